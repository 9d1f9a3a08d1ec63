// The measuring cursors: placing the pair with the mouse, drawing it in each mode, and the
// time, frequency and voltage readouts against hand-computed values.
#include "ScreenTestSupport.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

using kvtest::kLeftButton;
using kvtest::ScreenSurface;

constexpr COLORREF kCursor = RGB(0, 200, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

std::string S(const CString& text) {
    return std::string(text.GetString());
}

class CursorsTest : public kvtest::ScreenFixture {
protected:
    // 443 x 828: plot (21, 14, 422, 814), W - 1 = 400 and H = 800, so at 40 us/div (the default
    // time base) one pixel is 1 us and at 1 V/div one pixel is 10 mV.
    CursorsTest() { Resize(443, 828); }
    void Place(std::int16_t mode, CPoint a, CPoint b) {
        screen.SetCursorMode(mode);
        Press(a);
        MoveTo(b);
        Release(b);
    }
};

TEST_F(CursorsTest, ThePairFollowsTheMouseUntilTheModeOrTheSizeChanges) {
    EXPECT_FALSE(screen.IsCursorPairPlaced());
    screen.SetCursorMode(1);
    Press(CPoint(50, 100));
    EXPECT_EQ(cursor, CScopeScreen::kCursorCross);
    EXPECT_TRUE(captured);
    MoveTo(CPoint(150, 150));
    EXPECT_TRUE(screen.IsCursorPairPlaced());
    EXPECT_EQ(screen.GetCursorA(), CPoint(50, 100));
    EXPECT_EQ(screen.GetCursorB(), CPoint(150, 150));
    // Outside the plot B stays and the capture goes.
    MoveTo(CPoint(430, 150));
    EXPECT_EQ(screen.GetCursorB(), CPoint(150, 150));
    EXPECT_FALSE(captured);
    EXPECT_FALSE(screen.IsInPlot());
    Release(CPoint(430, 150));
    // A new press starts a new pair at the press point.
    Place(1, CPoint(60, 60), CPoint(70, 70));
    EXPECT_EQ(screen.GetCursorA(), CPoint(60, 60));
    screen.SetCursorMode(3);
    EXPECT_FALSE(screen.IsCursorPairPlaced());
    Place(3, CPoint(60, 60), CPoint(70, 70));
    Resize(443, 600);
    EXPECT_FALSE(screen.IsCursorPairPlaced());
    // Without a cursor mode the press places nothing.
    screen.SetCursorMode(0);
    Press(CPoint(60, 60));
    EXPECT_FALSE(screen.IsCursorPairPlaced());
}

TEST_F(CursorsTest, TimeAndFrequencyOfTheVerticalCursors) {
    struct Case {
        std::int16_t timeBase;
        int dx;
        const char* time;
        const char* freq;
    };
    const Case cases[] = {
        {13, 100, "Time = 100.000 uS", "Freq = 10.000 KHz"}, // 4e-5 x 10 / 400 x 100
        {0, 100, "Time = 5.000 nS", "Freq = 200.000 MHz"},   // 2 ns/div
        {0, 1, "Time = 0.050 nS", "Freq = 20.000 GHz"},
        {20, 100, "Time = 25.000 mS", "Freq = 40.000 Hz"}, // 10 ms/div
        {26, 100, "Time = 2.500 S", "Freq = 0.400 Hz"},    // 1 s/div
        {13, 0, "Time = 0.000 S", "Freq = 0.000 Hz"},      // A and B at the same x
        {17, 40, "Time = 1.000 mS", "Freq = 1.000 KHz"},   // 1 ms/div: exactly 1 kHz
        {11, 4, "Time = 1.000 uS", "Freq = 1.000 MHz"},    // 10 us/div: exactly 1 MHz
    };
    for (const Case& c : cases) {
        doc.m_settings.SetTimeBaseIndex(c.timeBase);
        Place(3, CPoint(50, 100), CPoint(50 + c.dx, 300));
        EXPECT_EQ(S(screen.FormatCursorTime()), c.time) << c.timeBase << " " << c.dx;
        EXPECT_EQ(S(screen.FormatCursorFreq()), c.freq) << c.timeBase << " " << c.dx;
    }
    // B left of A reads the same.
    doc.m_settings.SetTimeBaseIndex(13);
    Place(3, CPoint(150, 100), CPoint(50, 100));
    EXPECT_EQ(S(screen.FormatCursorTime()), "Time = 100.000 uS");
}

TEST_F(CursorsTest, VoltageBetweenTheHorizontalCursors) {
    auto volt = [&](CPoint a, CPoint b) {
        Place(4, a, b);
        return S(screen.FormatCursorVolt());
    };
    EXPECT_EQ(volt({50, 100}, {50, 150}), "Volt = 500.000 mV"); // 50 px x 1 V x 8 / 800
    EXPECT_EQ(volt({50, 100}, {50, 300}), "Volt = 2.000 V");
    EXPECT_EQ(volt({50, 100}, {50, 50}), "Volt = -500.000 mV");
    EXPECT_EQ(volt({50, 100}, {50, 100}), "Volt = 0.000 kV"); // the same y
    // Exactly 1 V reads in volts and exactly 1 mV in millivolts, either way round.
    EXPECT_EQ(volt({50, 100}, {50, 200}), "Volt = 1.000 V");
    EXPECT_EQ(volt({50, 200}, {50, 100}), "Volt = -1.000 V");
    doc.m_ch1.SetVoltsPerDivIndex(0); // 10 mV/div: 10 px are 1 mV
    EXPECT_EQ(volt({50, 100}, {50, 110}), "Volt = 1.000 mV");
    EXPECT_EQ(volt({50, 100}, {50, 101}), "Volt = 100.000 uV");
    doc.m_ch1.SetVoltsPerDivIndex(9); // 10 V/div x1000
    doc.m_ch1.SetProbe(3);
    EXPECT_EQ(volt({50, 100}, {50, 150}), "Volt = 5.000 kV");
    // MATH uses its own scale; a trace that is off, or the FFT, reads 0.
    screen.SetCursorSource(2);
    EXPECT_EQ(volt({50, 100}, {50, 150}), "Volt = 0.000 kV");
    doc.m_math.SetOn(1);
    EXPECT_EQ(volt({50, 100}, {50, 150}), "Volt = 500.000 mV");
    screen.SetCursorSource(1);
    doc.m_ch2.SetOn(0);
    EXPECT_EQ(volt({50, 100}, {50, 150}), "Volt = 0.000 kV");
}

// Each unit of the time and frequency readouts starts exactly at its power of a thousand; one
// pixel less reads in the unit below. 400 px span ten divisions, so 40 px are one division.
TEST_F(CursorsTest, TimeAndFrequencyUnitsSwitchExactlyAtTheirBoundaries) {
    const struct {
        std::int16_t timeBase;
        int dx;
        const char* time;
        const char* freq;
    } cases[] = {
        {26, 40, "Time = 1.000 S", "Freq = 1.000 Hz"},      // 1 s/div, one division
        {26, 39, "Time = 975.000 mS", "Freq = 1.026 Hz"},   //
        {17, 39, "Time = 975.000 uS", "Freq = 1.026 KHz"},  // 1 ms/div
        {11, 3, "Time = 750.000 nS", "Freq = 1.333 MHz"},   // 10 us/div
        {0, 20, "Time = 1.000 nS", "Freq = 1.000 GHz"},     // 2 ns/div, half a division
        {0, 19, "Time = 0.950 nS", "Freq = 1.053 GHz"},     //
        {20, 400, "Time = 100.000 mS", "Freq = 10.000 Hz"}, // 10 ms/div, the whole width
        {13, 400, "Time = 400.000 uS", "Freq = 2.500 KHz"}, // 40 us/div, the whole width
    };
    for (const auto& c : cases) {
        doc.m_settings.SetTimeBaseIndex(c.timeBase);
        Place(3, CPoint(21, 100), CPoint(21 + c.dx, 300));
        EXPECT_EQ(S(screen.FormatCursorTime()), c.time) << c.timeBase << " " << c.dx;
        EXPECT_EQ(S(screen.FormatCursorFreq()), c.freq) << c.timeBase << " " << c.dx;
    }
}

// The voltage between the horizontal cursors reads each channel's own scale, and switches to kV
// at exactly 1000 V and to mV at exactly 1 mV, either way round. The other channel is set to a
// scale that would read differently. 800 px are eight divisions: 100 px per division.
TEST_F(CursorsTest, VoltageUnitsSwitchExactlyAtTheirBoundariesOnEitherChannel) {
    doc.m_ch2.SetOn(1);
    const struct {
        std::int16_t source;
        CTrace& trace;
        CTrace& other;
    } channels[] = {{0, doc.m_ch1, doc.m_ch2}, {1, doc.m_ch2, doc.m_ch1}};
    const struct {
        std::int16_t voltsIndex;
        std::int16_t probe;
        int dy;
        const char* text;
    } cases[] = {
        {9, 3, 10, "Volt = 1.000 kV"}, // 10 V/div x1000: 100 V a pixel
        {9, 3, -10, "Volt = -1.000 kV"},  {9, 3, 9, "Volt = 900.000 V"},
        {9, 3, -9, "Volt = -900.000 V"},  {0, 0, 9, "Volt = 900.000 uV"}, // 10 mV/div: 100 uV a pixel
        {0, 0, -9, "Volt = -900.000 uV"},
    };
    for (const auto& ch : channels) {
        screen.SetCursorSource(ch.source);
        ch.other.SetVoltsPerDivIndex(6);
        ch.other.SetProbe(1);
        for (const auto& c : cases) {
            ch.trace.SetVoltsPerDivIndex(c.voltsIndex);
            ch.trace.SetProbe(c.probe);
            Place(4, CPoint(50, 300), CPoint(50, 300 + c.dy));
            EXPECT_EQ(S(screen.FormatCursorVolt()), c.text) << ch.source << " " << c.dy;
        }
    }
}

TEST_F(CursorsTest, VoltageAtTheTraceCursor) {
    Resize(542, 828); // W = 500: point u lies at x = 21 + u
    std::int16_t* trace = doc.m_ch1.GetScreenTrace();
    std::fill_n(trace, 500, std::int16_t{383}); // CH1's zero line (position 128)
    auto at = [&](int x) {
        Place(2, CPoint(x, 300), CPoint(x, 300));
        return S(screen.FormatVoltAtCursor());
    };
    trace[100] = 447; // 64 codes x 1 V x 8 / 511
    EXPECT_EQ(at(121), "Volt = 1.002 V");
    trace[100] = 385;
    EXPECT_EQ(at(121), "Volt = 31.311 mV");
    trace[100] = 300;
    EXPECT_EQ(at(121), "Volt = -1.299 V");
    EXPECT_EQ(at(122), "Volt = 0.000 V"); // on the zero line
    doc.m_ch1.SetVoltsPerDivIndex(0);
    trace[100] = 384;
    EXPECT_EQ(at(121), "Volt = 156.556 uV");
    doc.m_ch1.SetVoltsPerDivIndex(6);

    // B at the last pixel is point 499; after the plot narrows to W = 499 it maps to 500, which
    // counts as 499; narrower still it lies beyond the trace.
    trace[499] = 447;
    EXPECT_EQ(at(520), "Volt = 1.002 V");
    Resize(541, 828);
    EXPECT_EQ(S(screen.FormatVoltAtCursor()), "Volt = 1.002 V");
    Resize(300, 828);
    EXPECT_EQ(S(screen.FormatVoltAtCursor()), "Volt = 0.000 V");
    Resize(542, 828);
    doc.m_ch1.SetOn(0);
    EXPECT_EQ(at(121), "Volt = 0.000 V");
}

// The trace cursor reads the cursor source's own point: with the zero at position 127.875 a code
// of 447 lies 63.875 codes up, exactly 1 V at 1 V/div (63.875 x 8 / 511), which reads in volts;
// one code less reads in millivolts. Both channels carry a different varying signal.
TEST_F(CursorsTest, VoltAtTheCursorReadsItsOwnChannelUpToExactlyOneVolt) {
    Resize(542, 828); // W = 500: point u lies at x = 21 + u
    doc.m_ch2.SetOn(1);
    std::int16_t* ch1 = doc.m_ch1.GetScreenTrace();
    std::int16_t* ch2 = doc.m_ch2.GetScreenTrace();
    for (int i = 0; i < 500; ++i) {
        ch1[i] = static_cast<std::int16_t>(383 + 60 * std::sin(i * 0.11));
        ch2[i] = static_cast<std::int16_t>(200 + 90 * std::cos(i * 0.07));
    }
    const struct {
        std::int16_t source;
        CTrace& trace;
        CTrace& other;
    } channels[] = {{0, doc.m_ch1, doc.m_ch2}, {1, doc.m_ch2, doc.m_ch1}};
    for (const auto& c : channels) {
        screen.SetCursorSource(c.source);
        c.trace.SetPosition(127.875f);
        c.other.SetPosition(300.0f);
        c.trace.GetScreenTrace()[100] = 447;
        c.other.GetScreenTrace()[100] = 100;
        Place(2, CPoint(121, 300), CPoint(121, 300));
        EXPECT_EQ(S(screen.FormatVoltAtCursor()), "Volt = 1.000 V") << c.source;
        c.trace.GetScreenTrace()[100] = 446; // 62.875 x 8 / 511
        EXPECT_EQ(S(screen.FormatVoltAtCursor()), "Volt = 984.344 mV") << c.source;
        CString p1, p2, p3;
        screen.GetReadoutPanes(p1, p2, p3);
        EXPECT_EQ(S(p3), "Volt = 984.344 mV") << c.source;
    }
}

TEST_F(CursorsTest, FftReadoutsStayInsideTheSpectrumWhenThePlotShrinks) {
    Resize(542, 828);
    CFftData& fft = doc.m_fft;
    fft.m_bFftOn = 1;
    screen.SetCursorSource(CScopeScreen::kCursorSourceFft);
    Place(2, CPoint(121, 300), CPoint(121, 300)); // k = 256 x 100 / 500 = 51
    fft.m_frequency[51] = 2500000;
    fft.m_spectrum[51] = 0.25;
    EXPECT_EQ(S(screen.FormatFftCursorFreq()), "Freq = 2.500 MHz");
    EXPECT_EQ(S(screen.FormatFftCursorLevel()), "Volt = 250.000 mV");
    for (auto [level, text] : {std::pair{-0.5, "Volt = -0.001 kV"}, std::pair{0.0, "Volt = 0.000 kV"},
                               std::pair{2000.0, "Volt = 2.000 kV"}, std::pair{5e-4, "Volt = 500.000 uV"}}) {
        fft.m_spectrum[51] = level;
        EXPECT_EQ(S(screen.FormatFftCursorLevel()), text) << level;
    }
    fft.m_nScale = 0;
    fft.m_spectrum[51] = -12.5;
    EXPECT_EQ(S(screen.FormatFftCursorLevel()), "-12.50 dB");

    // A point stored on a wide plot read on a narrow one: k = 4096 x 499 / 258 would read far
    // past the 4096 values.
    fft.m_nBins = 4096;
    Place(2, CPoint(520, 300), CPoint(520, 300));
    Resize(300, 828);
    fft.m_frequency[4095] = 9;
    EXPECT_EQ(S(screen.FormatFftCursorFreq()), "Freq = 9.000 Hz");
    // Zoomed x16 only 4096 / 16 = 256 points are shown.
    fft.m_nZoom = 16;
    fft.m_frequency[255] = 3000;
    EXPECT_EQ(S(screen.FormatFftCursorFreq()), "Freq = 3.000 KHz");
    ScreenSurface s(300, 828);
    Draw(s); // the trace marker reads the same clamped point
}

// The spectrum cursor's frequency at every unit switch and one hertz below it. A value that
// would print as 1000.000 in the smaller unit reads 1.000 in the larger one instead.
TEST_F(CursorsTest, SpectrumFrequencyUnitsSwitchAtEachPowerOfAThousand) {
    doc.m_fft.m_bFftOn = 1;
    screen.SetCursorSource(CScopeScreen::kCursorSourceFft);
    Place(2, CPoint(121, 300), CPoint(121, 300));
    const struct {
        std::int64_t hz;
        const char* text;
    } cases[] = {
        {999, "Freq = 999.000 Hz"},       {1000, "Freq = 1.000 KHz"},        {999999, "Freq = 999.999 KHz"},
        {1000000, "Freq = 1.000 MHz"},    {999999499, "Freq = 999.999 MHz"}, {999999999, "Freq = 1.000 GHz"},
        {1000000000, "Freq = 1.000 GHz"}, {2500000000, "Freq = 2.500 GHz"},  {0, "Freq = 0.000 Hz"}};
    for (const auto& c : cases) {
        std::fill(doc.m_fft.m_frequency.begin(), doc.m_fft.m_frequency.end(), c.hz);
        EXPECT_EQ(S(screen.FormatFftCursorFreq()), c.text) << c.hz;
    }
}

// The spectrum cursor's linear level at each unit switch and one step below it; a negative level
// reads in kV.
TEST_F(CursorsTest, SpectrumLevelUnitsSwitchAtEachPowerOfAThousand) {
    doc.m_fft.m_bFftOn = 1;
    doc.m_fft.m_nScale = 1;
    screen.SetCursorSource(CScopeScreen::kCursorSourceFft);
    Place(2, CPoint(121, 300), CPoint(121, 300));
    const struct {
        double level;
        const char* text;
    } cases[] = {{1000.0, "Volt = 1.000 kV"},  {999.0, "Volt = 999.000 V"},  {1.0, "Volt = 1.000 V"},
                 {0.999, "Volt = 999.000 mV"}, {0.001, "Volt = 1.000 mV"},   {0.0009, "Volt = 900.000 uV"},
                 {-1.0, "Volt = -0.001 kV"},   {-1500.0, "Volt = -1.500 kV"}};
    for (const auto& c : cases) {
        std::fill(std::begin(doc.m_fft.m_spectrum), std::end(doc.m_fft.m_spectrum), c.level);
        EXPECT_EQ(S(screen.FormatFftCursorLevel()), c.text) << c.level;
    }
}

TEST_F(CursorsTest, CursorLinesAndTraceMarkerAreDrawnWhereTheModeSays) {
    Resize(542, 828);
    ScreenSurface s(542, 828);
    Place(1, CPoint(100, 200), CPoint(300, 400));
    Draw(s);
    s.Save("Cursors-cross");
    EXPECT_EQ(s.At(60, 200), kCursor);  // A: solid horizontal
    EXPECT_EQ(s.At(100, 600), kCursor); // A: solid vertical
    EXPECT_EQ(s.At(23, 400), kCursor);  // B: dotted, 3 on from L + 1 ...
    EXPECT_NE(s.At(26, 400), kCursor);  // ... then 3 off
    EXPECT_EQ(s.At(300, 17), kCursor);
    EXPECT_NE(s.At(300, 20), kCursor);
    Place(3, CPoint(100, 200), CPoint(300, 400));
    Draw(s);
    EXPECT_NE(s.At(60, 200), kCursor);
    EXPECT_EQ(s.At(100, 600), kCursor);
    Place(4, CPoint(100, 200), CPoint(300, 400));
    Draw(s);
    EXPECT_EQ(s.At(60, 200), kCursor);
    EXPECT_NE(s.At(100, 600), kCursor);
    screen.SetCursorMode(1); // hidden until the next press
    Draw(s);
    EXPECT_NE(s.At(60, 200), kCursor);

    // Trace marker on CH1 at code 447: x = 21 + 100, y = 14 + (511 - 447) x 800 / 511 = 114.
    // (The trace itself is drawn over the marker, so only point 100 is raised.)
    std::fill_n(doc.m_ch1.GetScreenTrace(), 500, std::int16_t{383});
    doc.m_ch1.GetScreenTrace()[100] = 447;
    Place(2, CPoint(121, 500), CPoint(121, 500));
    Draw(s);
    s.Save("Cursors-trace");
    EXPECT_EQ(s.At(118, 116), kBlack);  // filled body
    EXPECT_EQ(s.At(117, 114), kCursor); // its outline
    EXPECT_EQ(s.At(113, 114), kCursor); // horizontal stroke
    EXPECT_EQ(s.At(121, 400), kCursor); // vertical line
    // On a trace that is off the marker sits at the top edge (limited to T + 1).
    doc.m_ch1.SetOn(0);
    Draw(s);
    EXPECT_EQ(s.At(113, 15), kCursor);
    EXPECT_EQ(s.At(121, 17), kBlack);

    // Points on the plot's edge are drawn (and kept) one pixel inside.
    Place(1, CPoint(21, 14), CPoint(21, 14));
    Draw(s);
    EXPECT_EQ(screen.GetCursorA(), CPoint(22, 15));
}

TEST_F(CursorsTest, StatusPanesFollowTheSourceAndMode) {
    Place(1, CPoint(50, 100), CPoint(150, 150));
    CString p1, p2, p3;
    screen.GetReadoutPanes(p1, p2, p3);
    EXPECT_EQ(S(p1), "Freq = 10.000 KHz");
    EXPECT_EQ(S(p2), "Time = 100.000 uS");
    EXPECT_EQ(S(p3), "Volt = 500.000 mV");
    const std::string volt = S(screen.FormatVoltAtCursor());
    struct Case {
        std::int16_t mode;
        std::string p1, p2, p3;
    };
    for (const Case& c : {Case{2, "", "", volt}, Case{3, "Freq = 10.000 KHz", "Time = 100.000 uS", ""},
                          Case{4, "", "", "Volt = 500.000 mV"}, Case{0, "", "", ""}}) {
        screen.SetCursorMode(c.mode); // the readouts use the stored points, shown or not
        screen.GetReadoutPanes(p1, p2, p3);
        EXPECT_EQ(S(p1), c.p1) << c.mode;
        EXPECT_EQ(S(p2), c.p2) << c.mode;
        EXPECT_EQ(S(p3), c.p3) << c.mode;
    }
    screen.SetCursorSource(CScopeScreen::kCursorSourceFft);
    screen.GetReadoutPanes(p1, p2, p3);
    EXPECT_EQ(S(p1), S(screen.FormatFftCursorFreq()));
    EXPECT_EQ(S(p2), "");
    EXPECT_EQ(S(p3), S(screen.FormatFftCursorLevel()));
}

} // namespace
