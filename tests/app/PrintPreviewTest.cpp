// Print Preview as a person uses it: the real preview window shows the test report the printer
// gets (frame, title, traces, colour keys), zooms, and prints from its own print button.
#include "ShownAppSupport.h"

#include "app/KelvaneView.h"
#include "engine/KelvaneDoc.h"
#include "framework/DC.h"
#include "framework/Print.h"

#include <QPageLayout>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

#include <fstream>
#include <set>

using namespace apptest;

namespace {

// Where the preview shows the page, and how the printed image sits on it.
struct PreviewPicture {
    QImage image;
    QRect page;   // the paper in the picture
    QRectF full;  // the paper in printer pixels
    QRectF paint; // the printed image (printable area) in printer pixels
    double zoom = 0;

    // The picture's pixel at a fraction (fx, fy) of the printed image.
    QColor At(double fx, double fy) const {
        const double x = (paint.left() + fx * paint.width() - full.left()) / full.width();
        const double y = (paint.top() + fy * paint.height() - full.top()) / full.height();
        return image.pixelColor(page.left() + static_cast<int>(x * page.width()),
                                page.top() + static_cast<int>(y * page.height()));
    }
};

bool NearWhite(QColor c) {
    return c.red() > 244 && c.green() > 244 && c.blue() > 244;
}
bool Dark(QColor c) {
    return c.red() < 120 && c.green() < 120 && c.blue() < 120;
}
bool Green(QColor c) {
    return c.green() > 170 && c.red() < 110 && c.blue() < 110;
}
bool Yellow(QColor c) {
    return c.red() > 170 && c.green() > 170 && c.blue() < 110;
}

// The bounding box of the near-white pixels: the paper.
QRect PaperIn(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (NearWhite(image.pixelColor(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

PreviewPicture Grab(QPrintPreviewWidget* widget, QPrinter* printer) {
    QApplication::processEvents();
    PreviewPicture p;
    p.image = widget->grab().toImage();
    p.page = PaperIn(p.image);
    const int dpi = printer->resolution();
    p.full = printer->pageLayout().fullRectPixels(dpi);
    p.paint = printer->pageLayout().paintRectPixels(dpi);
    p.zoom = widget->zoomFactor();
    return p;
}

// Any pixel of the kind in the square of +-d pixels around the fraction (fx, fy).
template <class Pred> bool Near(const PreviewPicture& p, double fx, double fy, Pred pred, int d = 2) {
    const double x = (p.paint.left() + fx * p.paint.width() - p.full.left()) / p.full.width();
    const double y = (p.paint.top() + fy * p.paint.height() - p.full.top()) / p.full.height();
    const int cx = p.page.left() + static_cast<int>(x * p.page.width());
    const int cy = p.page.top() + static_cast<int>(y * p.page.height());
    for (int yy = cy - d; yy <= cy + d; ++yy)
        for (int xx = cx - d; xx <= cx + d; ++xx)
            if (p.image.rect().contains(xx, yy) && pred(p.image.pixelColor(xx, yy)))
                return true;
    return false;
}

class PrintPreview : public ShownApp {
protected:
    void SetUp() override {
        Start();
        kv::SetDefaultPrinter(nullptr);
    }
    void TearDown() override {
        kv::SetPrintPreviewHook(nullptr);
        kv::SetDefaultPrinter(nullptr);
        ShownApp::TearDown();
    }
    ScratchFolder scratch{"print-preview"};
};

TEST_F(PrintPreview, ShowsThePrintedPageZoomsAndPrintsFromItsPrintButton) {
    ProcessEventsFor(150); // a few acquisition ticks: both traces on screen
    ASSERT_TRUE(doc->m_ch1.IsOn() && doc->m_ch2.IsOn());
    ASSERT_EQ(doc->m_bRunning, 1);
    const std::string pdf = scratch.File("from-preview.pdf");

    PreviewPicture fitted, zoomed;
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!dialog || seen)
            return;
        seen = true;
        auto* widget = dialog->findChild<QPrintPreviewWidget*>();
        if (!widget) {
            dialog->reject();
            return;
        }
        widget->resize(700, 900);
        widget->fitInView();
        fitted = Grab(widget, dialog->printer());
        widget->zoomIn(2.0);
        zoomed = Grab(widget, dialog->printer());
        // The preview's print button prints its printer's pages; here the printer is a file.
        dialog->printer()->setOutputFileName(QString::fromStdString(pdf));
        widget->print();
        dialog->reject();
    });
    poll.start();
    ASSERT_TRUE(app->GetMainFrame()->ExecuteCommand(ID_FILE_PRINT_PREVIEW));
    poll.stop();
    ASSERT_TRUE(seen);

    // The paper is there, and it is not one uniform colour.
    ASSERT_GT(fitted.page.width(), 100);
    ASSERT_GT(fitted.page.height(), 140);
    std::set<QRgb> colours;
    for (int y = fitted.page.top(); y <= fitted.page.bottom(); y += 2)
        for (int x = fitted.page.left(); x <= fitted.page.right(); x += 2)
            colours.insert(fitted.image.pixel(x, y));
    EXPECT_GT(colours.size(), 10u);

    // What the page holds, where the test report puts it (u = W/1000, v = H/1000):
    // the CH1 and CH2 colour keys (x 140u..240u and 340u..440u, y about 714v..731v) ...
    EXPECT_TRUE(Near(fitted, 0.19, 0.7225, Green)) << "CH1 key";
    EXPECT_TRUE(Near(fitted, 0.39, 0.7215, Yellow)) << "CH2 key";
    EXPECT_TRUE(NearWhite(fitted.At(0.29, 0.6))) << "paper between the keys";
    // ... the page frame at 10u .. 17u from the left edge, and the title at the top ...
    bool frame = false;
    for (double fx = 0.005; fx < 0.025 && !frame; fx += 0.002)
        frame = Near(fitted, fx, 0.5, Dark, 0);
    EXPECT_TRUE(frame) << "page frame";
    int title = 0;
    for (double fx = 0.35; fx < 0.65; fx += 0.005)
        for (double fy = 0.04; fy < 0.09; fy += 0.005)
            title += Dark(fitted.At(fx, fy)) ? 1 : 0;
    EXPECT_GT(title, 10) << "title";
    // ... and the traces inside the plot box (0.05 W .. 0.95 W, 0.152 H .. 0.70 H).
    int green = 0, yellow = 0;
    for (int y = 0; y < fitted.image.height(); ++y)
        for (int x = 0; x < fitted.image.width(); ++x) {
            green += Green(fitted.image.pixelColor(x, y));
            yellow += Yellow(fitted.image.pixelColor(x, y));
        }
    EXPECT_GT(green, 40);
    EXPECT_GT(yellow, 40);

    // Zooming in shows the page larger.
    EXPECT_GT(zoomed.zoom, fitted.zoom * 1.5);
    EXPECT_GT(zoomed.page.width(), fitted.page.width());

    // Printing from the preview wrote the page, and acquisition runs again afterwards.
    std::ifstream in(pdf, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_GT(bytes.size(), 20000u);
    EXPECT_EQ(doc->m_bRunning, 1);
}

TEST_F(PrintPreview, ThePreviewPageIsThePageThePrinterGets) {
    ProcessEventsFor(100);
    // The printer's page: the bitmap the framework hands to a printer, taken at the same size
    // as the preview's page, read back at the colour keys and in the plot box.
    QSize pageSize;
    QColor ch1Key, ch2Key, paper;
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    PreviewPicture shown;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!dialog || seen)
            return;
        seen = true;
        auto* widget = dialog->findChild<QPrintPreviewWidget*>();
        if (widget) {
            widget->resize(700, 900);
            widget->fitInView();
            shown = Grab(widget, dialog->printer());
            pageSize =
                dialog->printer()->pageLayout().paintRectPixels(dialog->printer()->resolution()).size();
        }
        dialog->reject();
    });
    poll.start();
    view->OnFilePrintPreview();
    poll.stop();
    ASSERT_TRUE(seen);
    ASSERT_FALSE(pageSize.isEmpty());

    const int w = pageSize.width();
    const int h = pageSize.height();
    kv::SetDefaultPrinter(nullptr, w, h, CPrintInfo::kDefaultDpi);
    kv::SetPrintPreviewHook([&](CDC& page, const CPrintInfo&) {
        auto at = [&](double fx, double fy) {
            const COLORREF c = page.GetPixel(static_cast<int>(fx * w), static_cast<int>(fy * h));
            return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
        };
        ch1Key = at(0.19, 0.7225);
        ch2Key = at(0.39, 0.7215);
        paper = at(0.29, 0.6);
    });
    view->OnFilePrintPreview();
    kv::SetPrintPreviewHook(nullptr);
    ASSERT_TRUE(ch1Key.isValid() && ch2Key.isValid());
    // The printed page and the preview agree at the same places.
    EXPECT_TRUE(Green(ch1Key));
    EXPECT_TRUE(Yellow(ch2Key));
    EXPECT_TRUE(NearWhite(paper));
    EXPECT_TRUE(Near(shown, 0.19, 0.7225, Green));
    EXPECT_TRUE(Near(shown, 0.39, 0.7215, Yellow));
    EXPECT_TRUE(NearWhite(shown.At(0.29, 0.6)));
}

} // namespace
