// Drawing for clients, read back as pixels: traces, the X-Y plot, graticules, printed markers and
// cursors, the knob, the printed report page, the printer and the clipboard stand-in.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../platform/system/ChildProcess.h"
#include "Canvas.h"
#include "Printing.h"
#include "Tessel.h"
#include "TestOutput.h"

namespace {

const uint16_t kFull[7] = {500, 511, 0, 0, 0, 0, 0}; // plot 500 x 511: y = 511 - code

void Paint(HDC dc, int w, int h, COLORREF colour) {
    HBRUSH b = CreateSolidBrush(colour);
    RECT r{0, 0, w, h};
    FillRect(dc, &r, b);
    DeleteObject(b);
}

std::string Scratch(const std::string& name) {
    const std::string parent = kvtest::OutputDir();
    const std::string dir = parent + "/sdk-drawing-" + name;
    mkdir(dir.c_str(), 0755);
    return dir;
}

TEST(SdkDrawing, VectorTraceLevelsEdgesAndGaps) {
    const COLORREF red = RGB(236, 0, 0);
    std::vector<uint16_t> flat(500, 300);
    Canvas c(500, 511);
    EXPECT_EQ(dsoDisplayData(c.dc(), kFull, 1, flat.data(), 2, 255, nullptr), 1);
    c.Save("sdk_trace_flat");
    EXPECT_EQ(c.Count(red, 0, 211, 500, 212), 499); // 499 segments, the last end point excluded
    EXPECT_EQ(c.CountNot(kBlack, 0, 0, 500, 211), 0);
    for (uint16_t pinned : {uint16_t(511), uint16_t(0), uint16_t(600), uint16_t(1000)}) {
        Canvas e(500, 511);
        std::vector<uint16_t> rec(500, pinned);
        dsoDisplayData(e.dc(), kFull, 1, rec.data(), 2, 255, nullptr);
        dsoDisplayData(e.dc(), kFull, 0, rec.data(), 2, 255, nullptr);
        EXPECT_EQ(e.CountNot(kBlack, 0, 0, 500, 511), 0) << pinned;
    }
    // A code from 512 to 699 next to an in-range code is joined from the top edge.
    std::vector<uint16_t> spike(500, 300);
    spike[100] = 600;
    Canvas s(500, 511);
    dsoDisplayData(s.dc(), kFull, 1, spike.data(), 2, 255, nullptr);
    EXPECT_EQ(s.At(100, 0), red);
    EXPECT_GT(s.Count(red, 99, 0, 101, 211), 150);
    // Step code 50: every fifth point, 99 segments of 5 pixels.
    const uint16_t step5[7] = {500, 511, 0, 0, 0, 0, 50};
    Canvas k(500, 511);
    dsoDisplayData(k.dc(), step5, 1, flat.data(), 2, 255, nullptr);
    EXPECT_EQ(k.Count(red, 0, 211, 500, 212), 495);
}

TEST(SdkDrawing, DotsAndColours) {
    std::vector<uint16_t> flat(500, 300);
    Canvas c(500, 511);
    dsoDisplayData(c.dc(), kFull, 0, flat.data(), 3, 255, nullptr);
    EXPECT_EQ(c.Count(RGB(100, 250, 250), 0, 211, 500, 212), 498); // x + 1 = 2..500, 500 is off the bitmap
    EXPECT_EQ(c.At(1, 211), kBlack);
    // Intensity 511 doubles each component: held at 255 instead of wrapping into the next byte.
    const uint16_t colour[3] = {200, 100, 50};
    Canvas b(500, 511);
    dsoDisplayData(b.dc(), kFull, 1, flat.data(), 0, 511, colour);
    EXPECT_EQ(b.At(10, 211), RGB(255, 200, 100));
    Canvas d(500, 511);
    dsoDisplayData(d.dc(), kFull, 1, flat.data(), 1, 51, colour);
    EXPECT_EQ(d.At(10, 211), RGB(40, 20, 10));
    // No pen for selectors above 3, nor for a missing colour block.
    Canvas n(500, 511);
    EXPECT_EQ(dsoDisplayData(n.dc(), kFull, 1, flat.data(), 4, 255, colour), 0);
    EXPECT_EQ(dsoDisplayData(n.dc(), kFull, 1, flat.data(), 0, 255, nullptr), 0);
    EXPECT_EQ(dsoDisplayData(nullptr, kFull, 1, flat.data(), 2, 255, nullptr), 0);
    EXPECT_EQ(n.CountNot(kBlack, 0, 0, 500, 511), 0);
}

TEST(SdkDrawing, XYPlot) {
    std::vector<uint16_t> x(500, 128), y(500, 255);
    x[10] = 600; // skipped pair
    Canvas c(500, 511);
    dsoDisplayDataXYMode(c.dc(), kFull, 0, x.data(), y.data());
    EXPECT_EQ(c.At(251, 256), RGB(100, 250, 250)); // x = (128 + 32) x 500 / 320
    EXPECT_EQ(c.CountNot(kBlack, 0, 0, 500, 511), 1);
    for (int i = 0; i < 500; ++i)
        x[i] = static_cast<uint16_t>(i % 288);
    Canvas l(500, 511);
    dsoDisplayDataXYMode(l.dc(), kFull, 1, x.data(), y.data());
    l.Save("sdk_xy_lines");
    EXPECT_GT(l.Count(RGB(100, 250, 250), 0, 256, 500, 257), 400);
}

TEST(SdkDrawing, MainGraticule) {
    const uint16_t layout[7] = {500, 400, 0, 0, 0, 0, 0}; // divisions of 50 x 50
    Canvas c(500, 400);
    dsoMainPannelDrawGrid(c.dc(), layout);
    c.Save("sdk_grid");
    const COLORREF grey = RGB(100, 100, 100);
    const int dotted = c.Count(grey, 0, 50, 500, 51);
    EXPECT_GT(dotted, 100);
    EXPECT_LT(dotted, 500);
    EXPECT_EQ(c.At(246, 10), grey); // a tick on the vertical centre line, reaching 5 pixels
    EXPECT_EQ(c.At(244, 10), kBlack);
    EXPECT_EQ(c.At(40, 196), grey); // a tick on the horizontal centre line
    EXPECT_EQ(c.At(40, 194), kBlack);
}

TEST(SdkDrawing, PrintedMarkersKeepTheirScales) {
    const uint16_t layout[7] = {500, 400, 50, 50, 50, 50, 0}; // plot 400 x 300, m = 4
    const COLORREF white = RGB(255, 255, 255);
    Canvas c(500, 400);
    Paint(c.dc(), 500, 400, white);
    EXPECT_EQ(dsoPrintDrawGrid(c.dc(), layout, 511, 0, 0, 2), 1);
    c.Save("sdk_print_grid");
    EXPECT_EQ(c.At(48, 350), kBlack);          // CH1 at position 511: the bottom of the plot
    EXPECT_EQ(c.At(48, 50), RGB(255, 0, 255)); // CH2 at 0: the top
    EXPECT_EQ(c.At(250, 48), RGB(0, 0, 255));  // trigger 2: x = 50 + 2 x 40 x 10 / 4
    EXPECT_EQ(c.At(250, 352), RGB(0, 0, 255));
    Canvas one(500, 400);
    Paint(one.dc(), 500, 400, white);
    dsoPrintDrawGrid(one.dc(), layout, 511, 0, 1, 2); // CH1 only
    EXPECT_EQ(one.At(48, 50), white);
    EXPECT_EQ(one.At(48, 350), kBlack);
}

TEST(SdkDrawing, PrintedCursorLines) {
    const uint16_t layout[7] = {500, 400, 50, 50, 50, 50, 0};
    const COLORREF white = RGB(255, 255, 255);
    Canvas c(500, 400);
    Paint(c.dc(), 500, 400, white);
    dsoPrintBackColor(c.dc(), layout, 5000, 4000, 2500, 2000);
    c.Save("sdk_print_cursors");
    // (5000, 4000): x = 50 + 200, y = 50 + 4000 x 300 / 8000; overhang 3.
    const int row = c.Count(kBlack, 0, 200, 500, 201);
    EXPECT_GT(row, 150);
    EXPECT_LT(row, 406);
    EXPECT_EQ(c.Count(kBlack, 0, 200, 47, 201), 0);
    EXPECT_GT(c.Count(kBlack, 250, 47, 251, 353), 100);
    EXPECT_GT(c.Count(kBlack, 0, 125, 500, 126), 150); // the dash-dot pair at y = 50 + 75
}

std::vector<uint8_t> Pixels(const Canvas& c, int w, int h) {
    std::vector<uint8_t> bits(static_cast<std::size_t>(w) * h * 4);
    HBITMAP bmp = static_cast<HBITMAP>(GetCurrentObject(c.dc(), OBJ_BITMAP));
    GetBitmapBits(bmp, static_cast<LONG>(bits.size()), bits.data());
    return bits;
}

TEST(SdkDrawing, KnobFacePointerAndScale) {
    uint16_t knob[10] = {100, 100, 10, 0, 10, 0, 0, 0, 0, 0};
    Canvas c(100, 100);
    HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(c.dc(), red);
    dsoDrawKnob(c.dc(), knob, 50);
    c.Save("sdk_knob");
    EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_PEN), red);   // the caller's pen is back
    EXPECT_GT(c.Count(RGB(255, 0, 0), 40, 5, 60, 9), 0); // the arc drew with the current pen
    EXPECT_EQ(c.At(20, 50), RGB(50, 50, 255));           // kind 0 face
    EXPECT_EQ(c.At(50, 22), RGB(255, 255, 255));         // the pointer straight up at 50
    SelectObject(c.dc(), old);
    DeleteObject(red);
    // A value above 100 draws the pointer at 100.
    Canvas a(100, 100), b(100, 100);
    dsoDrawKnob(a.dc(), knob, 100);
    dsoDrawKnob(b.dc(), knob, 150);
    EXPECT_EQ(Pixels(a, 100, 100), Pixels(b, 100, 100));
    EXPECT_EQ(a.At(70, 70), RGB(255, 255, 255));
    // Kinds: 1 and 2 lit by their flags, anything above 2 grey.
    knob[7] = 1;
    knob[8] = 1;
    Canvas g(100, 100);
    dsoDrawKnob(g.dc(), knob, 0);
    EXPECT_EQ(g.At(80, 50), RGB(0, 230, 0));
    knob[7] = 5;
    Canvas k(100, 100);
    dsoDrawKnob(k.dc(), knob, 0);
    EXPECT_EQ(k.At(80, 50), RGB(210, 210, 210));

    EXPECT_EQ(dsoGetKnobCurrentScale(50, 0, knob), 50);
    EXPECT_EQ(dsoGetKnobCurrentScale(0, 100, knob), 0);
    EXPECT_EQ(dsoGetKnobCurrentScale(49, 100, knob), 0);    // below 0
    EXPECT_EQ(dsoGetKnobCurrentScale(100, 100, knob), 100); // above 100
    EXPECT_EQ(dsoGetKnobCurrentScale(100, 50, knob), 84);   // (pi/2 x 50 / pi + 38) / 0.75
    EXPECT_EQ(dsoGetKnobCurrentScale(50, 0, nullptr), 0);
}

TEST(SdkDrawing, ReportPageOnAThousandPixelPage) {
    const COLORREF blue = RGB(0, 0, 200), white = RGB(255, 255, 255);
    Canvas c(1000, 1000);
    Paint(c.dc(), 1000, 1000, blue);
    dsoSetPrintWidthAndHeight(c.dc());
    c.Save("sdk_report_page");
    EXPECT_EQ(dsoGetScreenWidth(c.dc()), 1000);
    EXPECT_EQ(dsoGetScreenHeight(c.dc()), 1000);
    // "(10, 30)" is (10 c, 30 d): the outer frame's corner.
    EXPECT_EQ(c.At(10, 500), kBlack);
    EXPECT_EQ(c.At(500, 30), kBlack);
    EXPECT_EQ(c.At(500, 29), blue);
    EXPECT_EQ(c.At(9, 500), blue);
    EXPECT_EQ(c.At(12, 500), white);
    EXPECT_GT(c.Count(kBlack, 300, 50, 700, 100), 50);   // "TEST REPORT"
    EXPECT_GT(c.Count(kBlack, 700, 100, 1000, 130), 20); // the caption
    EXPECT_EQ(c.At(245, 720), RGB(100, 250, 250));
    EXPECT_EQ(c.At(625, 720), RGB(255, 255, 0));
    EXPECT_EQ(c.At(500, 890), kBlack);
    EXPECT_EQ(c.At(100, 850), white); // the first writing line starts at 160
    EXPECT_EQ(c.At(200, 850), kBlack);
}

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old, m_had = true;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_had)
            setenv(m_name, m_old.c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};

void WriteProfile(const std::string& dir, const std::string& text) {
    mkdir((dir + "/kelvane").c_str(), 0755);
    std::ofstream(dir + "/kelvane/win.ini") << text;
}

TEST(SdkPrinting, PrintsAReportToThePdfPrinter) {
    const std::string dir = Scratch("printer");
    ScopedEnv env("XDG_CONFIG_HOME", dir);
    // Longer than 80 characters in all: the whole entry counts.
    const std::string pdf = dir + "/a-report-file-name-long-enough-to-pass-eighty-characters.pdf";
    std::remove(pdf.c_str());
    WriteProfile(dir, "[windows]\ndevice=Kelvane PDF,PDF," + pdf + "\n");
    EXPECT_EQ(kv::sdk::SystemProfilePath(), dir + "/kelvane/win.ini");
    HDC printer = dsoOpenPrinter();
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(dsoGetScreenWidth(printer), 2480);
    EXPECT_EQ(dsoGetScreenHeight(printer), 3508);
    dsoSetPrintWidthAndHeight(printer);
    const uint16_t layout[7] = {2000, 1500, 200, 200, 400, 200, 0};
    dsoPrintDrawGrid(printer, layout, 200, 300, 0, 50);
    std::vector<uint16_t> trace(500, 256);
    dsoDisplayData(printer, layout, 1, trace.data(), 2, 255, nullptr);
    EXPECT_EQ(dsoClosePrinter(printer), 1);
    std::ifstream in(pdf, std::ios::binary);
    std::string head(5, '\0');
    in.read(head.data(), 5);
    EXPECT_EQ(head, "%PDF-");
}

TEST(SdkPrinting, AClientUnderACommaLocaleGetsAWellFormedReportAndKeepsItsLocale) {
    // A client that took a user's locale with a decimal comma, as setlocale(LC_ALL, "") does.
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "de_DE.UTF-8 is not installed; scripts/setup-deps.sh generates it";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    const std::string dir = Scratch("comma-locale");
    ScopedEnv env("XDG_CONFIG_HOME", dir);
    const std::string pdf = dir + "/report.pdf";
    std::remove(pdf.c_str());
    WriteProfile(dir, "[windows]\ndevice=Kelvane PDF,PDF," + pdf + "\n");
    HDC printer = dsoOpenPrinter();
    ASSERT_NE(printer, nullptr);
    const uint16_t layout[7] = {2000, 1500, 200, 200, 400, 200, 0};
    dsoPrintDrawGrid(printer, layout, 200, 300, 0, 50);
    std::vector<uint16_t> trace(500, 256);
    dsoDisplayData(printer, layout, 1, trace.data(), 2, 255, nullptr);
    dsoClosePrinter(printer);
    std::ifstream in(pdf, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A4 in points, with decimal points: a comma there would not be a number to a PDF reader.
    EXPECT_NE(bytes.find("/MediaBox [ 0 0 595.2 841.92 ]"), std::string::npos);
    EXPECT_STREQ(std::localeconv()->decimal_point, ",") << "the client's locale is its own";
    std::setlocale(LC_ALL, "C");
}

TEST(SdkPrinting, NoPrinterWithoutAFullDeviceEntry) {
    const std::string dir = Scratch("noprinter");
    ScopedEnv env("XDG_CONFIG_HOME", dir);
    WriteProfile(dir, "[windows]\nload=\n");
    EXPECT_EQ(dsoOpenPrinter(), nullptr); // default ",,,"
    WriteProfile(dir, "[windows]\ndevice=Kelvane PDF,PDF\n");
    EXPECT_EQ(dsoOpenPrinter(), nullptr);
    WriteProfile(dir, "[windows]\ndevice=Laser,winspool,LPT1:\n"); // no such driver here
    EXPECT_EQ(dsoOpenPrinter(), nullptr);
    EXPECT_EQ(dsoClosePrinter(nullptr), 0); // after a failed open: nothing to end or delete
}

// A print whose file cannot be written whole is not reported as printed: a full disk (the device
// that is always full), and a file-size limit, which must not end the client's process either.
TEST(SdkPrinting, APrintThatCannotBeWrittenIsReportedAsFailed) {
    const std::string dir = Scratch("fullprint");
    ScopedEnv env("XDG_CONFIG_HOME", dir);
    const auto printReport = [] {
        HDC printer = dsoOpenPrinter();
        if (!printer)
            return -1;
        dsoSetPrintWidthAndHeight(printer);
        const uint16_t layout[7] = {2000, 1500, 200, 200, 400, 200, 0};
        dsoPrintDrawGrid(printer, layout, 200, 300, 0, 50);
        return dsoClosePrinter(printer);
    };
    WriteProfile(dir, "[windows]\ndevice=Kelvane PDF,PDF,/dev/full\n");
    EXPECT_EQ(printReport(), 0) << "the print onto a full disk passed for printed";

    const std::string pdf = dir + "/limited.pdf";
    WriteProfile(dir, "[windows]\ndevice=Kelvane PDF,PDF," + pdf + "\n");
    const kvtest::ChildEnd end = kvtest::RunInChild([&] {
        if (!kvtest::LimitFileSize(8192))
            return kvtest::kChildCannotSetUp;
        return printReport() == 0 ? 0 : 1;
    });
    ASSERT_TRUE(end.exited) << "the print ended the client with signal " << end.signal;
    EXPECT_EQ(end.code, 0) << "the print past the file-size limit passed for printed";
    struct stat st {};
    ASSERT_EQ(stat(pdf.c_str(), &st), 0);
    EXPECT_LE(st.st_size, 8192);
    // Without the limit the same report is printed.
    EXPECT_EQ(printReport(), 1);
}

TEST(SdkPrinting, FailedPageStartAbortsAndReturnsZero) {
    const std::string dir = Scratch("pagefail");
    ScopedEnv env("XDG_CONFIG_HOME", dir);
    WriteProfile(dir, "[windows]\ndevice=Kelvane PDF,PDF," + dir + "/never.pdf\n");
    kv::sdk::g_failStartPage = true;
    EXPECT_EQ(dsoOpenPrinter(), nullptr);
    kv::sdk::g_failStartPage = false;
    HDC printer = dsoOpenPrinter();
    EXPECT_NE(printer, nullptr);
    dsoClosePrinter(printer);
}

TEST(SdkPrinting, PictureGoesToThePrivateClipboardFile) {
    const std::string dir = Scratch("clipboard");
    ScopedEnv env("TMPDIR", dir);
    Canvas c(200, 100);
    Paint(c.dc(), 200, 100, RGB(255, 0, 0));
    const int32_t area[5] = {50, 40, -10, 0, -20}; // the copy starts at source (10, 20)
    dsoSaveDataToPicture(c.dc(), area);
    const std::string path = kv::sdk::ClipboardPicturePath();
    EXPECT_EQ(path.rfind(dir, 0), 0u);
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good());
    std::vector<unsigned char> head(24);
    in.read(reinterpret_cast<char*>(head.data()), 24);
    EXPECT_EQ(head[1], 'P');
    EXPECT_EQ(head[2], 'N');
    const auto be32 = [&](int at) {
        return head[at] << 24 | head[at + 1] << 16 | head[at + 2] << 8 | head[at + 3];
    };
    EXPECT_EQ(be32(16), 50);
    EXPECT_EQ(be32(20), 40);
    struct stat st {};
    ASSERT_EQ(stat(path.substr(0, path.rfind('/')).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    const int32_t empty[5] = {0, 40, 0, 0, 0};
    dsoSaveDataToPicture(c.dc(), empty); // no bitmap can be made: nothing happens
    dsoSaveDataToPicture(nullptr, area);
}

} // namespace

// Every graticule line: nine rows from the top to the bottom edge of the plot and eleven columns
// from the left to the right edge, none between them.
TEST(SdkDrawing, GraticuleHasAllNineRowsAndElevenColumns) {
    const uint16_t layout[7] = {500, 400, 0, 0, 0, 0, 0}; // divisions of 50 x 50
    Canvas c(520, 420);
    dsoMainPannelDrawGrid(c.dc(), layout);
    const COLORREF grey = RGB(100, 100, 100);
    for (int i = 0; i <= 8; ++i)
        EXPECT_GT(c.Count(grey, 0, 50 * i, 500, 50 * i + 1), 100) << "row " << i;
    for (int i = 0; i <= 10; ++i)
        EXPECT_GT(c.Count(grey, 50 * i, 0, 50 * i + 1, 400), 80) << "column " << i;
    EXPECT_LT(c.Count(grey, 0, 425 / 2 + 2, 500, 425 / 2 + 3), 20); // between two rows
    EXPECT_EQ(c.Count(grey, 0, 405, 520, 420), 0);                  // nothing below the plot
}

// The knob face by kind and the flag of that kind only.
TEST(SdkDrawing, KnobFaceFollowsItsKindsOwnFlag) {
    struct Case {
        uint16_t kind, flag1, flag2;
        COLORREF face;
    };
    const COLORREF grey = RGB(210, 210, 210);
    const Case cases[] = {
        {0, 0, 0, RGB(50, 50, 255)}, {0, 1, 1, RGB(50, 50, 255)},
        {1, 1, 0, RGB(0, 230, 0)},   {1, 0, 1, grey},
        {2, 0, 1, RGB(225, 214, 0)}, {2, 1, 0, grey},
        {2, 1, 1, RGB(225, 214, 0)}, {3, 1, 1, grey},
    };
    for (const Case& k : cases) {
        const uint16_t knob[10] = {100, 100, 10, 0, 10, 0, 0, k.kind, k.flag1, k.flag2};
        Canvas c(100, 100);
        dsoDrawKnob(c.dc(), knob, 0);
        EXPECT_EQ(c.At(80, 50), k.face) << "kind " << k.kind << " flags " << k.flag1 << k.flag2;
        EXPECT_EQ(c.At(20, 50), k.face) << "kind " << k.kind << " flags " << k.flag1 << k.flag2;
    }
}
