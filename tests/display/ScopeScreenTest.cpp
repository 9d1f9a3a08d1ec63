// The scope screen drawn into memory contexts and read back pixel by pixel.
#include "ScopeScreen.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"

#include "PixelSurface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kCh1 = 0x00FF00; // the document's default colours
constexpr COLORREF kCh2 = 0x00FFFF;
constexpr COLORREF kMask = RGB(150, 128, 0);

// The pictures of these tests are saved under names that start with "ScopeScreen-".
struct Surface : PixelSurface {
    using PixelSurface::PixelSurface;
    void Save(const char* name) const { PixelSurface::Save(std::string("ScopeScreen-") + name); }
};

// Draws a text the way the screen's text steps do: Arial, transparent background.
void DrawText(Surface& s, const char* text, int height, int x, int y, COLORREF c) {
    CFont font;
    font.CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "Arial");
    CFont* old = s.dc.SelectObject(&font);
    s.dc.SetBkMode(TRANSPARENT);
    s.dc.SetTextColor(c);
    s.dc.TextOut(x, y, text);
    s.dc.SelectObject(old);
}

// True when exactly the same pixels of the rectangle have colour c on both surfaces.
bool SamePixelsOf(const Surface& a, const Surface& b, COLORREF c, int l, int t, int r, int bt) {
    int shared = 0;
    for (int y = t; y < bt; ++y)
        for (int x = l; x < r; ++x) {
            const bool inA = a.At(x, y) == c;
            if (inA != (b.At(x, y) == c))
                return false;
            shared += inA;
        }
    return shared > 0;
}

class ScopeScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.OnLanguageDefault();
        doc.m_ch2.SetOn(0);
        screen.SetDocument(&doc);
    }
    void Draw(Surface& s) { screen.DrawScreen(&s.dc, CRect(0, 0, s.w, s.h)); }
    static void Fill(CTrace& t, int v) { std::fill_n(t.GetScreenTrace(), 500, static_cast<std::int16_t>(v)); }
    // The trace mapping on the 800 x 630 window-mode plot (21, 14, 779, 616).
    static int X(int i) { return static_cast<int>(21.0f + i * (758.0f / 499.0f)); }
    static int Y(int v) { return static_cast<int>(14.0f + (511 - v) * (602.0f / 511.0f)); }

    CKelvaneDoc doc;
    CScopeScreen screen;
};

TEST_F(ScopeScreenTest, WindowModeBordersGraticuleAndOutline) {
    Surface s(800, 630);
    doc.m_ch1.SetOn(0);
    Draw(s);
    s.Save("graticule");
    EXPECT_EQ(screen.GetPlotRect(), CRect(21, 14, 779, 616));
    EXPECT_EQ(s.At(5, 300), RGB(50, 50, 50));
    EXPECT_EQ(s.At(400, 5), RGB(50, 50, 50));
    EXPECT_EQ(s.At(21, 100), kWhite);              // outline over the left plot edge
    EXPECT_EQ(s.At(400, 100), RGB(200, 200, 200)); // vertical centre line
    EXPECT_EQ(s.At(100, 315), RGB(200, 200, 200)); // horizontal centre line
    EXPECT_EQ(s.At(96, 32), RGB(200, 200, 200));   // first dot of the first division column
    EXPECT_EQ(s.At(96, 40), kBlack);
    screen.SetGridOn(0);
    Draw(s);
    EXPECT_EQ(s.At(96, 32), kBlack);
    EXPECT_EQ(s.At(96, 15), RGB(200, 200, 200)); // ticks stay
}

TEST_F(ScopeScreenTest, TickLengthsFollowThePlotSize) {
    doc.m_ch1.SetOn(0);
    // Minor ticks: 1000 px wide gives 4.5 (capped) and 300 px gives 2, drawn from the top edge.
    for (auto [width, lit] : {std::pair{1000, 4}, std::pair{300, 2}}) {
        Surface s(width, 630);
        Draw(s);
        const int x = static_cast<int>(21.0f + (width - 42) * 0.02f);
        for (int y = 15; y < 14 + lit; ++y) // row 14 is the outline
            EXPECT_EQ(s.At(x, y), RGB(200, 200, 200)) << width << " " << y;
        EXPECT_EQ(s.At(x, 14 + lit), kBlack) << width;
    }
    // Major ticks: 400 px high gives 3; 1000 px high gives 6 (capped).
    for (auto [height, lit] : {std::pair{400, 3}, std::pair{1000, 6}}) {
        Surface s(800, height);
        Draw(s);
        float x = 21.0f;
        for (int h = 0; h < 5; ++h)
            x += 758.0f * 0.02f;
        for (int y = 15; y < 14 + lit; ++y)
            EXPECT_EQ(s.At(static_cast<int>(x), y), RGB(200, 200, 200)) << height << " " << y;
        EXPECT_EQ(s.At(static_cast<int>(x), 14 + lit), kBlack) << height;
    }
}

TEST_F(ScopeScreenTest, IntensitiesAreClampedAndScaleTheColours) {
    screen.SetGridIntensity(300);
    EXPECT_EQ(screen.GetGridIntensity(), 255);
    screen.SetGridIntensity(-5);
    EXPECT_EQ(screen.GetGridIntensity(), 0);
    screen.SetWaveformIntensity(1000);
    EXPECT_EQ(screen.GetWaveformIntensity(), 255);
    screen.SetWaveformIntensity(128);
    Fill(doc.m_ch1, 100);
    Surface s(800, 630);
    Draw(s);
    EXPECT_EQ(s.At(400, 100), kBlack); // intensity 0: black graticule
    EXPECT_EQ(s.At(X(10), Y(100)), RGB(0, 128, 0));
}

TEST_F(ScopeScreenTest, BorderOffFillsTheClientAndClearsThePreviousFrame) {
    Surface s(800, 630);
    Fill(doc.m_ch1, 500);
    Draw(s);
    ASSERT_EQ(s.At(X(10), Y(500)), kCh1);
    doc.m_ch1.SetOn(0);
    screen.SetBorderOn(0);
    Draw(s);
    s.Save("border-off");
    EXPECT_EQ(screen.GetPlotRect(), CRect(0, 0, 800, 630));
    EXPECT_EQ(s.At(5, 300), kBlack); // no band
    EXPECT_EQ(s.At(X(10), Y(500)), kBlack);
    EXPECT_EQ(s.At(100, 0), kWhite); // outline at the client edge
    EXPECT_EQ(s.At(400, 5), RGB(200, 200, 200));
}

TEST_F(ScopeScreenTest, FullScreenUsesNoMarginsFromTheFirstFrameAndShowsLabels) {
    Surface s(800, 630);
    Fill(doc.m_ch1, 20);
    Draw(s);
    EXPECT_EQ(s.At(5, 300), RGB(50, 50, 50));
    EXPECT_EQ(s.Count(kCh1, 160, 20, 400, 60), 0); // no labels in window mode
    bool full = true;
    screen.SetFullScreenQuery([&full] { return full; });
    Draw(s);
    s.Save("full-screen");
    EXPECT_EQ(screen.GetMarginX(), 0);
    EXPECT_EQ(screen.GetPlotRect(), CRect(0, 0, 800, 630));
    EXPECT_EQ(s.At(5, 300), kBlack);
    EXPECT_GT(s.Count(kCh1, 160, 20, 400, 60), 10);
    screen.SetLabelsOn(0);
    Draw(s);
    EXPECT_EQ(s.Count(kCh1, 160, 20, 400, 60), 0);
}

TEST_F(ScopeScreenTest, RunningTraceVectorAndDotModes) {
    std::int16_t* p = doc.m_ch1.GetScreenTrace();
    for (int i = 0; i < 500; ++i)
        p[i] = static_cast<std::int16_t>(i % 2 ? 400 : 100);
    Surface s(800, 630);
    Draw(s);
    s.Save("vector");
    for (int i : {1, 2, 250, 498})
        EXPECT_EQ(s.At(X(i), Y(p[i])), kCh1) << i;
    // The line joins the points: pixels between the two levels.
    EXPECT_GT(s.Count(kCh1, X(1), Y(300), X(2) + 1, Y(200)), 20);
    screen.SetDotMode(1);
    Surface d(800, 630);
    Draw(d);
    for (int i : {1, 250, 498})
        EXPECT_EQ(d.At(X(i), Y(p[i])), kCh1) << i;
    EXPECT_EQ(d.Count(kCh1, X(1), Y(300), X(2) + 1, Y(200)), 0);
}

TEST_F(ScopeScreenTest, ValidWindowIsClampedAndMathFollowsItsFirstOperand) {
    Fill(doc.m_ch1, 300);
    doc.m_ch1.SetValidRange(100, 200);
    Surface s(800, 630);
    Draw(s);
    EXPECT_EQ(s.At(X(50), Y(300)), kBlack);
    EXPECT_EQ(s.At(X(150), Y(300)), kCh1);
    doc.m_ch1.SetValidRange(-50, 900);
    Draw(s);
    EXPECT_EQ(s.At(X(1), Y(300)), kCh1);
    EXPECT_EQ(s.At(X(498), Y(300)), kCh1);

    doc.m_ch1.SetOn(0);
    doc.m_ch1.SetValidRange(0, 499);
    doc.m_ch2.SetValidRange(0, 100);
    doc.m_math.SetOn(1);
    Fill(doc.m_math, 450);
    doc.m_math.SetSourceA(1);
    Draw(s);
    EXPECT_EQ(s.At(X(300), Y(450)), kBlack);
    doc.m_math.SetSourceA(0);
    Draw(s);
    EXPECT_EQ(s.At(X(300), Y(450)), doc.m_math.GetColor());
}

TEST_F(ScopeScreenTest, StoppedTracesAndRefSkipNegativesOrFallBackToDots) {
    Fill(doc.m_ch1, 300);
    std::fill_n(doc.m_ch1.GetScreenTrace() + 200, 10, std::int16_t{-5});
    Surface s(800, 630);
    Draw(s); // running: the negative points are drawn, off the plot
    EXPECT_EQ(s.At(X(205), Y(-5)), kCh1);
    doc.m_bRunning = 0;
    Draw(s);
    s.Save("stopped");
    EXPECT_EQ(s.At(X(205), Y(-5)), RGB(50, 50, 50));
    EXPECT_EQ(s.At(X(205), Y(300)), kCh1); // resumes from the last point drawn
    // Fewer display points than screen points: dots even in vector mode.
    doc.m_ch1.SetDisplayPointCount(1);
    Draw(s);
    EXPECT_EQ(s.At(X(205) + 1, Y(300)), kBlack);
    // REF takes the stopped road while running too.
    doc.m_bRunning = 1;
    doc.m_ch1.SetOn(0);
    doc.m_ref.SetOn(1);
    Fill(doc.m_ref, 300);
    doc.m_ref.GetScreenTrace()[100] = -5;
    Draw(s);
    EXPECT_EQ(s.At(X(100), Y(-5)), RGB(50, 50, 50));
    EXPECT_EQ(s.At(X(100), Y(300)), doc.m_ref.GetColor());
}

TEST_F(ScopeScreenTest, PersistenceRecordsFadeAndVanishWhenPersistenceIsOff) {
    doc.SetPersistenceDepth(3);
    doc.SetPersistenceEnabled(1);
    std::int16_t frame[500];
    for (int v : {100, 150, 200, 250, 300}) {
        std::fill_n(frame, 500, static_cast<std::int16_t>(v));
        doc.m_persistence.Append(0, frame, kCh1);
    }
    Fill(doc.m_ch1, 300);
    for (int dot : {0, 1}) {
        screen.SetDotMode(static_cast<std::int16_t>(dot));
        Surface s(800, 630);
        Draw(s);
        if (dot == 0)
            s.Save("persistence");
        EXPECT_EQ(s.At(X(40), Y(200)), RGB(0, 85, 0)) << dot; // oldest of three: 1/3
        EXPECT_EQ(s.At(X(40), Y(250)), RGB(0, 170, 0)) << dot;
        EXPECT_EQ(s.At(X(40), Y(150)), kBlack) << dot; // dropped
    }
    // Switching persistence off keeps the histories; neither mode may show them.
    doc.SetPersistenceEnabled(0);
    for (int dot : {0, 1}) {
        screen.SetDotMode(static_cast<std::int16_t>(dot));
        Surface s(800, 630);
        Draw(s);
        EXPECT_EQ(s.At(X(40), Y(200)), kBlack) << dot;
    }
}

TEST_F(ScopeScreenTest, FftTraceFollowsScaleZoomAndStaysInsideTheSpectrum) {
    CFftData& fft = doc.m_fft;
    fft.m_bFftOn = 1;
    fft.m_spectrum.fill(0.0);
    fft.m_linear.fill(1.0); // must never be drawn
    Fill(doc.m_ch1, 500);
    Surface s(800, 630);
    Draw(s);
    s.Save("fft");
    const COLORREF purple = RGB(128, 0, 255);
    EXPECT_EQ(s.At(300, static_cast<int>(616 - 602 * 0.125)), purple);
    fft.m_spectrum[128] = 1.0; // 1 V at 0.5 V per division: two divisions up
    Draw(s);
    EXPECT_EQ(s.At(static_cast<int>(21 + 128 * 758.0 / 256), static_cast<int>(616 - 75.25 - 150.5)), purple);
    // The line starts at the left edge on point 0's level: 1 V there lifts the start two divisions
    // (y 390), and point 1 at 0 V pulls it back to the base (y 541) within three pixels, so the
    // column inside the frame carries the steep fall through the upper half of that span.
    fft.m_spectrum[128] = 0.0;
    fft.m_spectrum[0] = 1.0;
    Surface first(800, 630);
    Draw(first);
    EXPECT_GT(first.Count(purple, 22, 420, 23, 480), 40);
    fft.m_spectrum[0] = 0.0;
    // Zoom 2 doubles the step: point 64 lies where point 128 lay without zoom, and point 128 at the
    // right edge.
    fft.m_spectrum[64] = 1.0;
    fft.m_nZoom = 2;
    Surface z(800, 630);
    Draw(z);
    EXPECT_EQ(z.At(static_cast<int>(21 + 64 * 2 * 758.0 / 256), static_cast<int>(616 - 75.25 - 150.5)),
              purple);
    EXPECT_EQ(z.At(static_cast<int>(21 + 64 * 758.0 / 256), static_cast<int>(616 - 75.25 - 150.5)), kBlack);
    fft.m_spectrum[64] = 0.0;
    fft.m_nZoom = 1;
    // A count beyond the spectrum reads nothing past it.
    fft.m_spectrum[128] = 0.0;
    fft.m_nBins = 5000;
    Draw(s);
    EXPECT_EQ(s.Count(purple, 0, 0, 800, 500), 0);
    // Zoom 0, zero or invalid vertical scales and non-finite levels never crash.
    fft.m_nBins = 256;
    fft.m_nZoom = 0;
    fft.m_spectrum[3] = std::numeric_limits<double>::quiet_NaN();
    fft.m_spectrum[4] = 1e300;
    Draw(s);
    for (double scale : {0.0, -1.0, std::nan("")}) {
        fft.m_dVerticalScale = scale;
        Surface e(800, 630);
        Draw(e);
        EXPECT_EQ(e.Count(purple), 0);
    }
    // No trace on: no spectrum.
    fft.m_dVerticalScale = 0.5;
    fft.m_nZoom = 1;
    doc.m_ch1.SetOn(0);
    Surface n(800, 630);
    Draw(n);
    EXPECT_EQ(n.Count(purple), 0);
}

TEST_F(ScopeScreenTest, XYPlotMapsWorkRecordsAndBoundsTheRecordLength) {
    doc.m_settings.SetTimeBaseFormat(kFormatXY);
    Fill(doc.m_ch1, 300);
    std::fill_n(doc.m_ch1.GetWorkRecord(), 10240, std::int16_t{255});
    std::fill_n(doc.m_ch2.GetWorkRecord(), 10240, std::int16_t{400});
    doc.m_ch1.GetWorkRecord()[5] = std::numeric_limits<std::int16_t>::min();
    doc.m_ch2.GetWorkRecord()[6] = std::numeric_limits<std::int16_t>::max();
    Surface s(800, 630);
    Draw(s);
    s.Save("xy");
    const int x = static_cast<int>(21 + 0.1 * 758 + 255 * 758 * 0.8 / 511);
    const int y = static_cast<int>(14 + (511 - 400) * 602.0 / 511);
    EXPECT_EQ(s.At(x, y), RGB(0, 255, 255));
    EXPECT_EQ(s.Count(kCh1, 22, 15, 779, 616), 0); // no traces in X-Y (the CH1 pointer sits in the margin)
    doc.m_ch1.SetRecordLength(524288);             // beyond the buffers
    Draw(s);
}

TEST_F(ScopeScreenTest, MaskShadingOnlyWhilePassFailIsEnabled) {
    Fill(doc.m_ch1, 256);
    doc.m_passFail.m_nVerticalTolerance = 10;
    doc.m_passFail.BuildMask(doc.m_ch1.GetScreenTrace());
    doc.m_ch1.SetOn(0);
    Surface s(800, 630);
    Draw(s);
    EXPECT_EQ(s.At(300, 50), kBlack);
    doc.m_passFail.m_nState1 = 1;
    Draw(s);
    s.Save("mask");
    EXPECT_EQ(s.At(300, 50), kMask);
    EXPECT_EQ(s.At(300, 600), kMask);
    EXPECT_EQ(s.At(300, 310), kBlack);
    doc.m_passFail.m_nHorizontalTolerance = 300; // nothing left to shade
    Surface e(800, 630);
    Draw(e);
    EXPECT_EQ(e.Count(kMask), 0);
}

TEST_F(ScopeScreenTest, MeasurementTextsAndAveragingLabel) {
    doc.m_ch1.SetOn(0);
    doc.m_measure.ClearAll();
    doc.m_measure.SetEntry(0, 1, 1, 0); // shown whatever the count
    doc.m_measure.SetEntry(7, 1, 9, 0); // unknown source: CH1's colour
    Surface s(800, 630);
    s.dc.SetTextColor(RGB(1, 2, 3));
    Draw(s);
    const int x1 = 21 + 758 / 8, y1 = 616 - 602 / 15, y4 = 616 - 602 / 8 - 2 * (602 / 15);
    EXPECT_GT(s.Count(kCh2, x1, y1, x1 + 80, y1 + 16), 5);
    EXPECT_EQ(s.Count(kCh2, x1 + 379, y1, x1 + 459, y1 + 16), 0); // entry 2 unused
    EXPECT_GT(s.Count(kCh1, x1 + 379, y4, x1 + 459, y4 + 16), 5);
    EXPECT_EQ(s.dc.GetTextColor(), RGB(1, 2, 3));
    const COLORREF magenta = RGB(225, 0, 225);
    EXPECT_EQ(s.Count(magenta, 27, 20, 200, 36), 0);
    doc.m_average.SetAcquireMode(CAverageBuffer::kModeAverage);
    doc.m_average.SetFramesWanted(4);
    doc.m_average.SetFramesHeld(2);
    Draw(s);
    s.Save("texts");
    // The label counts the frames wanted, not the frames held so far.
    Surface wanted(800, 630), held(800, 630);
    DrawText(wanted, "Average: 4", 15, 27, 20, magenta);
    DrawText(held, "Average: 2", 15, 27, 20, magenta);
    EXPECT_TRUE(SamePixelsOf(s, wanted, magenta, 21, 14, 200, 40));
    EXPECT_FALSE(SamePixelsOf(s, held, magenta, 21, 14, 200, 40));
}

TEST_F(ScopeScreenTest, ChannelLabelShowsTheProbeLadderEntry) {
    screen.SetFullScreenQuery([] { return true; });
    doc.m_ch1.SetProbe(1);
    doc.m_ch1.SetVoltsPerDivIndex(5);
    Fill(doc.m_ch1, 20);
    Surface s(800, 630), expected(800, 630);
    Draw(s);
    DrawText(expected, "CH1: 5.00V/DIV", 25, 160, 20, kCh1);
    EXPECT_TRUE(SamePixelsOf(s, expected, kCh1, 100, 0, 500, 60));
}

// Both labels in full-screen mode: CH1's at (W / 5, 20) and CH2's at (W / 10 x 7, 20), each with
// its own probe ladder entry and in its own colour.
TEST_F(ScopeScreenTest, ChannelLabelsOfBothChannelsInTheirOwnColours) {
    screen.SetFullScreenQuery([] { return true; });
    doc.m_ch2.SetOn(1);
    doc.m_ch1.SetVoltsPerDivIndex(3); // 100mV
    doc.m_ch2.SetVoltsPerDivIndex(8); // 5.00V
    Fill(doc.m_ch1, 20);
    Fill(doc.m_ch2, 30);
    Surface s(800, 630), expected(800, 630);
    Draw(s);
    s.Save("labels-both");
    DrawText(expected, "CH1: 100mV/DIV", 25, 160, 20, kCh1);
    DrawText(expected, "CH2: 5.00V/DIV", 25, 560, 20, kCh2);
    EXPECT_TRUE(SamePixelsOf(s, expected, kCh1, 100, 0, 500, 60));
    EXPECT_TRUE(SamePixelsOf(s, expected, kCh2, 500, 0, 800, 60));
    EXPECT_EQ(s.Count(kCh1, 500, 0, 800, 60), 0);
    // CH2 off: its label goes, CH1's stays.
    doc.m_ch2.SetOn(0);
    Surface one(800, 630);
    Draw(one);
    EXPECT_EQ(one.Count(kCh2, 500, 0, 800, 60), 0);
    EXPECT_TRUE(SamePixelsOf(one, expected, kCh1, 100, 0, 500, 60));
}

// Every one of the 500 points is a dot, for both channels: running in dot mode, and stopped with
// fewer display points than screen points. Points 0 and 499 lie on the plot's left and right
// edges, under the outline; values off the plot put them in the margin bands, where they show.
TEST_F(ScopeScreenTest, DotsReachBothEndsOnBothChannels) {
    doc.m_ch2.SetOn(1);
    std::int16_t* a = doc.m_ch1.GetScreenTrace();
    std::int16_t* b = doc.m_ch2.GetScreenTrace();
    for (int i = 0; i < 500; ++i) {
        // CH1 between 50 and 250, CH2 between 280 and 480: the two never share a pixel.
        a[i] = static_cast<std::int16_t>(150 + 100 * std::sin(i * 2 * 3.14159265 / 97));
        b[i] = static_cast<std::int16_t>(380 + 100 * std::cos(i * 2 * 3.14159265 / 61));
    }
    for (bool running : {true, false}) {
        doc.m_bRunning = running ? 1 : 0;
        screen.SetDotMode(running ? 1 : 0);
        doc.m_ch1.SetDisplayPointCount(running ? 500 : 250);
        doc.m_ch2.SetDisplayPointCount(running ? 500 : 250);
        Surface s(800, 630);
        Draw(s);
        for (int i : {1, 2, 250, 497, 498}) {
            EXPECT_EQ(s.At(X(i), Y(a[i])), kCh1) << running << " " << i;
            EXPECT_EQ(s.At(X(i), Y(b[i])), kCh2) << running << " " << i;
        }
    }
    // Running: the end points below (-5, y 621) and above (520, y 3) the plot, in the bands.
    doc.m_bRunning = 1;
    screen.SetDotMode(1);
    a[0] = -5;
    a[499] = -5;
    b[0] = 520;
    b[499] = 520;
    Surface s(800, 630);
    Draw(s);
    s.Save("dots-ends");
    EXPECT_EQ(s.At(21, 621), kCh1);
    EXPECT_EQ(s.At(779, 621), kCh1);
    EXPECT_EQ(s.At(21, 3), kCh2);
    EXPECT_EQ(s.At(779, 3), kCh2);
    EXPECT_EQ(s.At(400, 621), RGB(50, 50, 50));
}

TEST_F(ScopeScreenTest, BadContextsRectanglesAndIndexesDrawNothing) {
    Surface s(100, 80);
    s.dc.FillSolidRect(0, 0, 100, 80, RGB(9, 9, 9));
    CDC none;
    screen.DrawScreen(nullptr, CRect(0, 0, 100, 80));
    screen.DrawScreen(&none, CRect(0, 0, 100, 80));
    screen.DrawScreen(&s.dc, CRect(0, 0, 0, 0));
    screen.DrawScreen(&s.dc, CRect(10, 10, 10, 50));
    screen.DrawGraticuleInRect(&s.dc, 0, 0, 0, 0, kWhite);
    screen.DrawGraticuleInRect(nullptr, 0, 0, 50, 50, kWhite);
    std::int16_t pts[500] = {};
    for (int index : {-1, 4, 100})
        screen.DrawWaveform(&s.dc, pts, index);
    screen.DrawWaveform(&s.dc, nullptr, 0);
    screen.Paint(nullptr, CRect(0, 0, 100, 80));
    screen.Paint(&s.dc, CRect(0, 0, 0, 0));
    EXPECT_EQ(s.Count(RGB(9, 9, 9)), 100 * 80);
    CScopeScreen lone; // no document: frame and graticule only
    lone.DrawScreen(&s.dc, CRect(0, 0, 100, 80));
    EXPECT_EQ(s.At(5, 40), RGB(50, 50, 50));
}

TEST_F(ScopeScreenTest, PaintCopiesThePersistentPictureAndRebuildsItAfterASizeChange) {
    Surface target(300, 200);
    screen.Paint(&target.dc, CRect(0, 0, 300, 200));
    EXPECT_EQ(target.At(5, 100), RGB(50, 50, 50));
    EXPECT_EQ(target.At(21, 100), kWhite);
    Surface bigger(400, 300);
    screen.OnSize(400, 300);
    screen.Paint(&bigger.dc, CRect(0, 0, 400, 300));
    EXPECT_EQ(bigger.At(379, 250), kWhite); // right outline of the new size
    EXPECT_EQ(screen.GetScreenRect(), CRect(0, 0, 400, 300));
}

TEST_F(ScopeScreenTest, DefaultsAndChannelColours) {
    screen.SetDotMode(1);
    screen.SetBorderOn(0);
    screen.SetGridOn(0);
    screen.SetGridIntensity(10);
    screen.ResetDisplaySettings();
    EXPECT_EQ(screen.GetDotMode(), 0);
    EXPECT_EQ(screen.IsBorderOn(), 1);
    EXPECT_EQ(screen.IsGridOn(), 1);
    EXPECT_EQ(screen.GetGridIntensity(), 200);
    EXPECT_EQ(screen.GetWaveformIntensity(), 255);
    EXPECT_EQ(screen.GetChannelColor(1), kCh2);
    EXPECT_EQ(screen.GetChannelColor(2), doc.m_math.GetColor());
    EXPECT_EQ(screen.GetChannelColor(0), kCh1);
    EXPECT_EQ(screen.GetChannelColor(-3), kCh1);
}

} // namespace
