// The printed test report as a person gets it: printed to a PDF file through the real print
// dialog, read back with pdftotext -bbox and pdftoppm, its text lines never overlap and it is
// the page the preview shows, line for line.
#include "ModalKeys.h"
#include "ShownAppSupport.h"

#include "framework/DC.h"
#include "framework/Print.h"
#include "system/NumberText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPrintDialog>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <vector>

using namespace apptest;

namespace {

// One word of the PDF's text layer, in points from the page's top left corner.
struct Word {
    double x0, y0, x1, y1;
    std::string text;
};

struct PdfText {
    double width = 0, height = 0; // the page, in points
    std::vector<Word> words;
};

std::string Shell(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return out;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        out.append(buffer, n);
    return out;
}

bool HaveTool(const char* tool) {
    return !Shell(std::string("command -v ") + tool + " 2>/dev/null").empty();
}

// A number as the tool writes it, "." the decimal point whatever the locale the tests run in.
double Number(const std::string& text) {
    double value = 0.0;
    kv::ParseDouble(text, value);
    return value;
}

PdfText ReadText(const std::string& pdf) {
    PdfText text;
    const std::string html = Shell("pdftotext -bbox '" + pdf + "' - 2>/dev/null");
    std::smatch m;
    if (std::regex_search(html, m, std::regex("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\""))) {
        text.width = Number(m[1]);
        text.height = Number(m[2]);
    }
    const std::regex word(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator(); ++it)
        text.words.push_back(
            {Number((*it)[1]), Number((*it)[2]), Number((*it)[3]), Number((*it)[4]), (*it)[5]});
    return text;
}

const Word* Find(const PdfText& text, const std::string& w) {
    for (const Word& word : text.words)
        if (word.text == w)
            return &word;
    return nullptr;
}

// Pairs of words whose boxes overlap: text printed over text.
std::vector<std::string> Overlaps(const PdfText& text) {
    std::vector<std::string> found;
    for (size_t i = 0; i < text.words.size(); ++i)
        for (size_t j = i + 1; j < text.words.size(); ++j) {
            const Word& a = text.words[i];
            const Word& b = text.words[j];
            const double w = std::min(a.x1, b.x1) - std::max(a.x0, b.x0);
            const double h = std::min(a.y1, b.y1) - std::max(a.y0, b.y0);
            if (w > 0.01 && h > 0.01)
                found.push_back("\"" + a.text + "\" and \"" + b.text + "\"");
        }
    return found;
}

// The words grouped into lines (same top), each line's box in pixels at `dpi`.
std::vector<QRect> LineBoxes(const PdfText& text, int dpi) {
    std::vector<Word> lines;
    for (const Word& w : text.words) {
        auto same = std::find_if(lines.begin(), lines.end(), [&](const Word& l) {
            return std::abs(l.y0 - w.y0) < 0.5 && std::abs(l.y1 - w.y1) < 0.5;
        });
        if (same == lines.end()) {
            lines.push_back(w);
        } else {
            same->x0 = std::min(same->x0, w.x0);
            same->x1 = std::max(same->x1, w.x1);
        }
    }
    std::vector<QRect> boxes;
    const double k = dpi / 72.0;
    for (const Word& l : lines)
        boxes.push_back(QRect(QPoint(static_cast<int>(l.x0 * k), static_cast<int>(l.y0 * k)),
                              QPoint(static_cast<int>(l.x1 * k), static_cast<int>(l.y1 * k))));
    return boxes;
}

bool Ink(const QImage& image, int x, int y) {
    const QColor c = image.pixelColor(x, y);
    return std::max({c.red(), c.green(), c.blue()}) < 140; // black text, not the colour keys
}

// The box of the ink inside `area` (empty when there is none).
QRect InkBox(const QImage& image, const QRect& area) {
    QRect box;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (Ink(image, x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

class PrintedPage : public ShownApp {
protected:
    void SetUp() override {
        Start();
        kv::SetDefaultPrinter(nullptr);
        // Every line of the report: all four channels on.
        doc->m_ch1.SetOn(1);
        doc->m_ch2.SetOn(1);
        doc->m_math.SetOn(1);
        doc->m_ref.SetOn(1);
    }
    void TearDown() override {
        kv::SetPrintDialogHook(nullptr);
        kv::SetPrintPreviewHook(nullptr);
        kv::SetDefaultPrinter(nullptr);
        ShownApp::TearDown();
    }

    // The preview's page at the printed page's size, as a picture.
    QImage PreviewPage(int width, int height, int dpi) {
        const std::string png = scratch.File("preview-page.png");
        kv::SetDefaultPrinter(nullptr, width, height, dpi);
        kv::SetPrintPreviewHook(
            [&](CDC& page, const CPrintInfo&) { KvSaveDCPng(page.GetSafeHdc(), png.c_str()); });
        EXPECT_TRUE(app->GetMainFrame()->ExecuteCommand(ID_FILE_PRINT_PREVIEW));
        kv::SetPrintPreviewHook(nullptr);
        return QImage(QString::fromStdString(png));
    }

    ScratchFolder scratch{"printed-page"};
};

TEST_F(PrintedPage, TextLinesNeverOverlapAndTheLayoutIsThePreviews) {
    if (!HaveTool("pdftotext") || !HaveTool("pdftoppm"))
        GTEST_SKIP() << "pdftotext and pdftoppm (poppler-utils) are needed to read the printed PDF back";
    const std::string pdf = scratch.File("report.pdf");
    std::remove(pdf.c_str());

    // Ctrl+P, then in the print dialog the file name, Enter: printed to a PDF file.
    kvtest::OnNextModal answer([&](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        ASSERT_NE(dialog, nullptr) << "Ctrl+P opened " << modal->metaObject()->className();
        auto* printers = dialog->findChild<QComboBox*>("printers");
        auto* name = dialog->findChild<QLineEdit*>("filename");
        ASSERT_TRUE(printers && name);
        const int toFile = printers->findText("Print to File (PDF)");
        ASSERT_GE(toFile, 0);
        printers->setCurrentIndex(toFile);
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, QString::fromStdString(pdf));
        kvtest::Press(dialog, Qt::Key_Return);
    });
    Key(Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return answer.seen == 1 && !QApplication::activeModalWidget(); }, 5000));
    ASSERT_TRUE(FileExists(pdf)) << "nothing printed";
    EXPECT_EQ(doc->m_bRunning, 1) << "acquisition runs again after the page";

    const PdfText text = ReadText(pdf);
    ASSERT_GT(text.width, 100);
    ASSERT_GT(text.words.size(), 30u) << "the page holds no text layer";
    for (const char* w : {"Test", "Report", "Date", "Sampling", "Rate", "Time/DIV", "CH1", "CH2", "MATH",
                          "REF", "VOLT", "Coupling", "Note"})
        EXPECT_NE(Find(text, w), nullptr) << "\"" << w << "\" is not on the page";

    // Nothing is printed over anything else (the label font on the body lines put "Sampling
    // Rate" over "CH1  VOLT DIV").
    const std::vector<std::string> overlaps = Overlaps(text);
    EXPECT_TRUE(overlaps.empty()) << overlaps.size() << " overlaps, first " << overlaps.front();

    // The body lines are in the printer's 10-point font, the labels in the larger label font.
    const Word* sampling = Find(text, "Sampling");
    const Word* note = Find(text, "Note");
    ASSERT_TRUE(sampling && note);
    EXPECT_GT(sampling->y1 - sampling->y0, 9.0);
    EXPECT_LT(sampling->y1 - sampling->y0, 13.0);
    EXPECT_GT(note->y1 - note->y0, 1.4 * (sampling->y1 - sampling->y0));

    // The preview's page at the same size and resolution, and the printed page rasterised at
    // that resolution: every printed line's ink lies where the preview's does.
    const int dpi = CPrintInfo::kDefaultDpi;
    const int W = static_cast<int>(std::lround(text.width * dpi / 72.0));
    const int H = static_cast<int>(std::lround(text.height * dpi / 72.0));
    view->RunStop(); // the same traces in both
    const QImage preview = PreviewPage(W, H, dpi);
    ASSERT_EQ(preview.size(), QSize(W, H));
    const std::string raster = scratch.File("printed.png");
    Shell("pdftoppm -r " + std::to_string(dpi) + " -png -singlefile '" + pdf + "' '" +
          raster.substr(0, raster.size() - 4) + "'");
    const QImage printed(QString::fromStdString(raster));
    ASSERT_LE(std::abs(printed.width() - W), 1);
    ASSERT_LE(std::abs(printed.height() - H), 1);

    const std::vector<QRect> lines = LineBoxes(text, dpi);
    const Word* date = Find(text, "Date");
    ASSERT_NE(date, nullptr);
    const QPoint dateAt(static_cast<int>((date->x0 + date->x1) / 2 * dpi / 72.0),
                        static_cast<int>((date->y0 + date->y1) / 2 * dpi / 72.0));
    for (const QRect& line : lines) {
        const QRect around = line.adjusted(-4, -4, 4, 4);
        const QRect p = InkBox(printed, around);
        const QRect s = InkBox(preview, around);
        ASSERT_FALSE(p.isEmpty());
        EXPECT_FALSE(s.isEmpty()) << "the preview has no text at " << line.y() << " px";
        if (s.isEmpty())
            continue;
        EXPECT_LE(std::abs(p.left() - s.left()), 3) << "line at " << line.y() << " px";
        // The date line carries the clock, which moves on between the print and the preview.
        if (line.contains(dateAt))
            continue;
        // Hinted raster glyphs and the PDF's outlines differ by a pixel here and there; over a long
        // line that adds up to about 1 % of its width.
        EXPECT_LE(std::abs(p.right() - s.right()), std::max(3, p.width() / 60))
            << "line at " << line.y() << " px";
        EXPECT_LE(std::abs(p.top() - s.top()), 3) << "line at " << line.y() << " px";
        EXPECT_LE(std::abs(p.bottom() - s.bottom()), 3) << "line at " << line.y() << " px";
    }
    // And the preview draws no text that the printed page lacks, below the plot box.
    int stray = 0;
    for (int y = static_cast<int>(0.735 * H); y < static_cast<int>(0.95 * H); ++y)
        for (int x = static_cast<int>(0.03 * W); x < static_cast<int>(0.97 * W); ++x) { // inside the frame
            const bool inLine = std::any_of(lines.begin(), lines.end(), [&](const QRect& l) {
                return l.adjusted(-4, -4, 4, 4).contains(x, y);
            });
            // The ruled note lines are drawn, not printed text.
            const bool rule = std::abs(y - static_cast<int>(0.890 * H)) <= 1 ||
                              std::abs(y - static_cast<int>(0.930 * H)) <= 1 ||
                              std::abs(y - static_cast<int>(0.970 * H)) <= 1;
            stray += !inLine && !rule && Ink(preview, x, y);
        }
    EXPECT_EQ(stray, 0) << "preview text outside the printed lines";
}

// A landscape page is shorter than the body's line pitch allows for a 10-point font: the body
// shrinks rather than print its lines over each other.
TEST_F(PrintedPage, ALandscapePageKeepsItsLinesApart) {
    if (!HaveTool("pdftotext"))
        GTEST_SKIP() << "pdftotext (poppler-utils) is needed to read the printed PDF back";
    for (const QSize page : {QSize(1754, 1240), QSize(1240, 1754), QSize(1000, 700)}) {
        const std::string pdf = scratch.File("page-" + std::to_string(page.width()) + ".pdf");
        kv::SetPrintDialogHook([&](CPrintInfo& info) {
            info.m_strOutputFile = pdf.c_str();
            info.m_nPageWidth = page.width();
            info.m_nPageHeight = page.height();
            info.m_nDpi = CPrintInfo::kDefaultDpi;
            return static_cast<INT_PTR>(IDOK);
        });
        ASSERT_TRUE(app->GetMainFrame()->ExecuteCommand(ID_FILE_PRINT));
        const PdfText text = ReadText(pdf);
        ASSERT_GT(text.words.size(), 30u) << page.width() << " x " << page.height();
        const std::vector<std::string> overlaps = Overlaps(text);
        EXPECT_TRUE(overlaps.empty()) << page.width() << " x " << page.height() << ": " << overlaps.size()
                                      << " overlaps, first " << (overlaps.empty() ? "" : overlaps.front());
        // Portrait A4 keeps the full 10-point font.
        if (page == QSize(1240, 1754)) {
            const Word* sampling = Find(text, "Sampling");
            ASSERT_NE(sampling, nullptr);
            EXPECT_GT(sampling->y1 - sampling->y0, 10.5);
        }
    }
}

} // namespace
