// The status strip drawn into a memory context and read back pixel by pixel.
#include "StatusStrip.h"
#include "PixelSurface.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGrey = CStatusStrip::kBarColor;
constexpr COLORREF kGreen = CStatusStrip::kStateColor;
constexpr COLORREF kRed = CStatusStrip::kStopColor;
constexpr COLORREF kCh1 = RGB(0, 200, 255);
constexpr COLORREF kCh2 = RGB(255, 255, 0);
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr int kW = 596; // the form's strip control
constexpr int kH = 30;

class StatusStripTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc.SetDefaultSettings();
        doc.OnLanguageDefault();
        doc.m_ch1.SetColor(kCh1);
        doc.m_ch2.SetColor(kCh2);
        doc.m_ch1.SetOn(1);
        doc.m_ch2.SetOn(1);
        doc.m_settings.SetTimeBaseFormat(kFormatYT);
        doc.m_bRunning = 1;
        doc.m_nRunStatus = 1;
        strip.SetDocument(&doc);
    }
    void Draw() { strip.DrawStrip(&s.dc, CRect(0, 0, kW, kH)); }
    CRect LeftBox() const { return strip.GetLeftBox(); }
    CRect RightBox() const { return strip.GetRightBox(); }
    CRect CentreBox() const { return strip.GetCentreBox(); }
    // Pixels of colour c in the level text's area of the right box.
    int LevelPixels(COLORREF c) const {
        const CRect r = RightBox();
        return s.Count(c, r.left + 48, r.top, r.right, r.bottom);
    }
    // Overview pixel i: the colour found in its column (white or green), or black when none.
    COLORREF OverviewPixel(int i) const {
        const int x = CentreBox().left + 3 + i;
        for (int y = 0; y < kH; ++y) {
            const COLORREF c = s.At(x, y);
            if (c == kWhite || c == kGreen)
                return c;
        }
        return kBlack;
    }

    CKelvaneDoc doc;
    CStatusStrip strip;
    PixelSurface s{kW, kH};
};

TEST_F(StatusStripTest, BoxesFollowTheClientWidth) {
    Draw();
    EXPECT_EQ(LeftBox(), CRect(2, 2, 52, 23));
    EXPECT_EQ(CentreBox(), CRect(298 - 67, 0, 298 + 67, 23));
    EXPECT_EQ(RightBox(), CRect(kW - 97, 2, kW - 2, 23));
    // Bar grey around the boxes, black inside them.
    EXPECT_EQ(s.At(0, 0), kGrey);
    EXPECT_EQ(s.At(1, 22), kGrey);
    EXPECT_EQ(s.At(kW - 1, 10), kGrey);
    EXPECT_EQ(s.At(100, 27), kGrey);
    EXPECT_EQ(s.At(3, 21), kBlack);
    EXPECT_EQ(s.At(CentreBox().right - 2, 1), kBlack);
    EXPECT_EQ(s.At(RightBox().right - 3, RightBox().bottom - 2), kBlack);
    s.Save("StatusStrip-running");
}

TEST_F(StatusStripTest, RunStateTextAndColour) {
    doc.m_nRunStatus = 0;
    Draw();
    EXPECT_GT(s.Count(kRed, 2, 2, 52, 23), 10);
    EXPECT_EQ(s.Count(kGreen, 2, 2, 52, 23), 0);

    for (std::int16_t status : {1, 2, 5}) {
        doc.m_nRunStatus = status;
        Draw();
        EXPECT_GT(s.Count(kGreen, 2, 2, 52, 23), 10) << status;
        EXPECT_EQ(s.Count(kRed, 2, 2, 52, 23), 0) << status;
    }
}

// Text of the strip's kind: Arial of the height, weight 400, swiss family, black background.
void ReferenceText(PixelSurface& r, const CRect& box, const char* text, int height, COLORREF colour,
                   COLORREF back, int x, int y) {
    r.dc.FillSolidRect(&box, kBlack);
    CFont font;
    font.CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "Arial");
    CFont* old = r.dc.SelectObject(&font);
    r.dc.SetBkMode(OPAQUE);
    r.dc.SetBkColor(back);
    r.dc.SetTextColor(colour);
    r.dc.TextOut(x, y, text, static_cast<int>(std::strlen(text)));
    r.dc.SelectObject(old);
}

bool SameBox(const PixelSurface& a, const PixelSurface& b, const CRect& box) {
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            if (a.At(x, y) != b.At(x, y))
                return false;
    return true;
}

// Every row of the run-state table: the text, its colour and its place in the left box (the
// blinking statuses in their steady phase).
TEST_F(StatusStripTest, RunStateTextOfEveryStatus) {
    const struct {
        std::int16_t status;
        const char* text;
        COLORREF colour;
        int x;
    } rows[] = {{0, "STOP", kRed, 12},   {1, "RUN", kGreen, 14},  {2, "Trig'D", kGreen, 11},
                {3, "AUTO", kGreen, 12}, {4, "WAIT", kGreen, 12}, {5, "PLAY", kGreen, 12},
                {6, "AUTO", kGreen, 12}, {-1, "AUTO", kGreen, 12}};
    for (const auto& row : rows) {
        doc.m_nRunStatus = row.status;
        doc.m_nStatusTick = 0;
        Draw();
        PixelSurface r{kW, kH};
        ReferenceText(r, LeftBox(), row.text, 15, row.colour, kBlack, row.x, 5);
        EXPECT_TRUE(SameBox(s, r, LeftBox())) << row.status << " " << row.text;
    }
}

// Every row of the source-label table: text, background colour and place in the right box.
TEST_F(StatusStripTest, SourceLabelOfEverySource) {
    const struct {
        std::int16_t source;
        const char* text;
        COLORREF back;
        int a;
    } rows[] = {{0, "CH1", kCh1, 20},
                {1, "CH2", kCh2, 20},
                {2, "ALT", RGB(250, 170, 100), 20},
                {3, "EXT", kMagenta, 20},
                {4, "EXT/10", kMagenta, 15}};
    for (const auto& row : rows) {
        doc.m_trigger.SetSource(row.source);
        Draw();
        const CRect box = RightBox();
        PixelSurface r{kW, kH};
        ReferenceText(r, box, row.text, 12, kBlack, row.back, box.left + row.a, 8);
        // The label lies between the edge glyph (to l + 12) and the level text (from l + 48).
        const CRect label(box.left + 13, box.top, box.left + 47, box.bottom);
        EXPECT_TRUE(SameBox(s, r, label)) << row.text;
    }
}

TEST_F(StatusStripTest, AutoAndWaitBlinkWithTheTickCounter) {
    for (std::int16_t status : {3, 4}) {
        doc.m_nRunStatus = status;
        doc.m_nStatusTick = 5;
        Draw();
        const int steady = s.Count(kGreen, 2, 2, 52, 23);
        doc.m_nStatusTick = 25;
        Draw();
        const int blinking = s.Count(kGreen, 2, 2, 52, 23);
        // Green text on black versus black text on a green background.
        EXPECT_GT(steady, 10) << status;
        EXPECT_GT(blinking, steady + 100) << status;
        EXPECT_EQ(doc.m_nStatusTick, 25);
    }
}

TEST_F(StatusStripTest, PlayDoesNotBlink) {
    doc.m_nRunStatus = 3;
    doc.m_nStatusTick = 5;
    Draw();
    const int steady = s.Count(kGreen, 2, 2, 52, 23);
    doc.m_nRunStatus = 5;
    doc.m_nStatusTick = 25;
    Draw();
    EXPECT_LT(s.Count(kGreen, 2, 2, 52, 23), steady + 100);
    EXPECT_EQ(doc.m_nStatusTick, 25); // left alone outside AUTO and WAIT
}

TEST_F(StatusStripTest, BlinkCounterOutsideTheCycleRestarts) {
    doc.m_nRunStatus = 3;
    doc.m_nStatusTick = 40;
    Draw();
    EXPECT_EQ(doc.m_nStatusTick, 0);
    // A counter that went negative (it climbed while the strip was hidden) restarts as well,
    // so the blinking resumes at once.
    doc.m_nStatusTick = -7;
    Draw();
    EXPECT_EQ(doc.m_nStatusTick, 0);
}

TEST_F(StatusStripTest, TriggerMarkFollowsThePosition) {
    doc.m_settings.SetHorizontalPosition(0);
    Draw();
    EXPECT_EQ(strip.GetTriggerMark(), CPoint(CentreBox().left + 1, 0));
    doc.m_settings.SetHorizontalPosition(500);
    Draw();
    EXPECT_EQ(strip.GetTriggerMark(), CPoint(CentreBox().right - 6, 0));
    doc.m_settings.SetHorizontalPosition(250);
    Draw();
    EXPECT_EQ(strip.GetTriggerMark().x, CentreBox().left + 1 + 63); // 127 x 250 x 0.002 = 63.5
}

// The T mark over the 128-pixel overview (centre box 134 wide: 127 usable steps) at each end of
// the position range, one step inside each end, and beyond either end.
TEST_F(StatusStripTest, TriggerMarkAtBothEndsOfThePositionRange) {
    const struct {
        std::int16_t position;
        int dx;
    } cases[] = {{-5, 1},       {0, 1},         {1, 1 + 0}, // 127 x 0.002 = 0.254
                 {250, 1 + 63}, {499, 1 + 126},             // 127 x 0.998 = 126.7
                 {500, 128},    {600, 128}};                // pinned at the right end, right - 6
    Draw();
    ASSERT_EQ(CentreBox().Width(), 134);
    for (const auto& c : cases) {
        doc.m_settings.SetHorizontalPosition(c.position);
        Draw();
        EXPECT_EQ(strip.GetTriggerMark(), CPoint(CentreBox().left + c.dx, 0)) << c.position;
    }
}

TEST_F(StatusStripTest, StoppedStripUsesThePositionCachedAtStop) {
    doc.m_settings.SetHorizontalPosition(100);
    doc.m_settings.CacheTimeBase();
    doc.m_settings.SetHorizontalPosition(400);
    doc.m_bRunning = 0;
    Draw();
    EXPECT_EQ(strip.GetTriggerMark().x, CentreBox().left + 1 + 25); // 127 x 100 x 0.002 = 25.4
    doc.m_bRunning = 1;
    Draw();
    EXPECT_EQ(strip.GetTriggerMark().x, CentreBox().left + 1 + 101);
}

TEST_F(StatusStripTest, OverviewWithoutChannelsShowsTheWholeRecordWhileRunning) {
    doc.m_ch1.SetOn(0);
    doc.m_ch2.SetOn(0);
    doc.m_settings.SetHorizontalPosition(400);
    Draw();
    int start = -1;
    int end = -1;
    strip.CalcOverviewWindow(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 127);
    for (int i : {0, 64, 127})
        EXPECT_EQ(OverviewPixel(i), kGreen) << i;
}

TEST_F(StatusStripTest, StoppedOverviewFollowsPanAndZoomSinceTheStop) {
    doc.m_ch1.SetOn(0);
    doc.m_ch2.SetOn(0);
    doc.m_settings.SetHorizontalPosition(250);
    doc.m_settings.CacheTimeBase();
    doc.m_bRunning = 0;

    // Panned from 250 to 0 at the same time base: the record's first half is off screen.
    doc.m_settings.SetHorizontalPosition(0);
    Draw();
    int start = 0;
    int end = 0;
    strip.CalcOverviewWindow(start, end);
    EXPECT_EQ(start, 64);
    EXPECT_EQ(OverviewPixel(10), kWhite);
    EXPECT_EQ(OverviewPixel(100), kGreen);

    // Zoomed in twice (half the seconds/div) at the cached position: the middle half.
    doc.m_settings.SetHorizontalPosition(250);
    doc.m_settings.SetTimeBaseIndex(static_cast<std::int16_t>(doc.m_settings.GetTimeBaseIndex() - 1));
    const double ratio = doc.m_settings.GetCachedSecondsPerDiv() / doc.m_settings.GetSecondsPerDiv();
    ASSERT_DOUBLE_EQ(ratio, 2.0);
    Draw();
    strip.CalcOverviewWindow(start, end);
    EXPECT_EQ(start, 32);
    EXPECT_EQ(end, 95);
    EXPECT_EQ(OverviewPixel(20), kWhite);
    EXPECT_EQ(OverviewPixel(64), kGreen);
    EXPECT_EQ(OverviewPixel(110), kWhite);
    s.Save("StatusStrip-stopped-zoomed");
}

// The overview's window takes the roll span of CH1 when CH1 is on, else of CH2 when CH2 is on.
// A record of the input window with 40-sample buckets leaves a span of 12 beyond the 500 points
// (2 x (10240 - 10000) / 40), so at position 500 the window runs from 3 (500 x 0.002 x 12 / 4)
// to 127; a channel with no span yet (0) shows the whole record.
TEST_F(StatusStripTest, OverviewTakesTheSpanOfTheFirstChannelThatIsOn) {
    const struct {
        bool ch1On, ch2On;
        bool ch1Span, ch2Span;
        int start, end;
    } cases[] = {
        {false, true, false, true, 3, 127}, // CH2 alone: CH2's span
        {true, false, true, false, 3, 127}, // CH1 alone: CH1's span
        {true, true, false, true, 0, 127},  // both: CH1's span, not CH2's
        {true, true, true, false, 3, 127},
        {false, true, true, false, 0, 127}, // CH1 off: its span does not count
    };
    for (const auto& c : cases) {
        CKelvaneDoc fresh;
        fresh.SetDefaultSettings();
        fresh.AllocSampleBuffers();
        fresh.m_settings.SetTimeBaseFormat(kFormatYT);
        fresh.m_settings.SetHorizontalPosition(500);
        fresh.m_bRunning = 1;
        fresh.m_ch1.SetOn(c.ch1On ? 1 : 0);
        fresh.m_ch2.SetOn(c.ch2On ? 1 : 0);
        if (c.ch1Span)
            fresh.m_ch1.PeakDetectToDisplay(250, 13);
        if (c.ch2Span)
            fresh.m_ch2.PeakDetectToDisplay(250, 13);
        ASSERT_EQ(fresh.m_ch1.GetRollSpan(), c.ch1Span ? 12 : 0);
        ASSERT_EQ(fresh.m_ch2.GetRollSpan(), c.ch2Span ? 12 : 0);
        CStatusStrip other;
        other.SetDocument(&fresh);
        PixelSurface t{kW, kH};
        other.DrawStrip(&t.dc, CRect(0, 0, kW, kH));
        int start = -1;
        int end = -1;
        other.CalcOverviewWindow(start, end);
        EXPECT_EQ(start, c.start) << c.ch1On << c.ch2On << c.ch1Span << c.ch2Span;
        EXPECT_EQ(end, c.end) << c.ch1On << c.ch2On << c.ch1Span << c.ch2Span;
        // The first overview pixels show the window's start: white before it, green from it.
        const int x0 = other.GetCentreBox().left + 3;
        auto lit = [&](int i) {
            for (int y = 0; y < kH; ++y)
                if (t.At(x0 + i, y) == kGreen)
                    return true;
            return false;
        };
        EXPECT_EQ(lit(0), c.start == 0) << c.ch1On << c.ch2On << c.ch1Span << c.ch2Span;
        EXPECT_TRUE(lit(3));
    }
}

TEST_F(StatusStripTest, RollAndXYLeaveTheRightBoxEmpty) {
    for (std::int16_t format : {1, 2}) {
        doc.m_settings.SetTimeBaseFormat(format);
        Draw();
        const CRect r = RightBox();
        EXPECT_EQ(s.CountOther(kGrey, r.left, r.top, r.right, r.bottom), 0) << format;
        // The centre box shows the mode name in its own colour instead of the overview.
        EXPECT_GT(s.Count(CStatusStrip::kCentreTextColor, CentreBox().left, 0, CentreBox().right, 23), 5);
        EXPECT_EQ(s.Count(kWhite, CentreBox().left, 0, CentreBox().right, 23), 0);
    }
    s.Save("StatusStrip-xy");
}

TEST_F(StatusStripTest, CentreBracketsAreDrawnInEveryFormat) {
    for (std::int16_t format : {0, 1, 2}) {
        doc.m_settings.SetTimeBaseFormat(format);
        Draw();
        const CRect c = CentreBox();
        const int b = c.Height() - 2;
        EXPECT_EQ(s.At(c.left + 2, 7), CStatusStrip::kBracketColor);
        EXPECT_EQ(s.At(c.left + 2, b), CStatusStrip::kBracketColor);
        EXPECT_EQ(s.At(c.left + 3, b), CStatusStrip::kBracketColor);
        EXPECT_EQ(s.At(c.right - 3, 12), CStatusStrip::kBracketColor);
        EXPECT_EQ(s.At(c.right - 4, 7), CStatusStrip::kBracketColor);
    }
}

TEST_F(StatusStripTest, SourceLabelBackgroundByTriggerSource) {
    const struct {
        std::int16_t source;
        COLORREF back;
    } cases[] = {{0, kCh1}, {1, kCh2}, {2, CStatusStrip::kAltColor}, {3, kMagenta}, {4, kMagenta}};
    for (const auto& c : cases) {
        doc.m_trigger.SetSource(c.source);
        Draw();
        const CRect r = RightBox();
        EXPECT_GT(s.Count(c.back, r.left + 14, 6, r.left + 48, 22), 20) << c.source;
    }
}

TEST_F(StatusStripTest, LevelTextColourBySource) {
    doc.m_trigger.SetLevelVolts(CTrigger::kLevelCh1, 1.5f);
    doc.m_trigger.SetLevelVolts(CTrigger::kLevelCh2, -0.25f);
    doc.m_trigger.SetLevelVolts(CTrigger::kLevelExt, 2.0f);
    doc.m_trigger.SetSource(kSourceCh1);
    Draw();
    EXPECT_GT(LevelPixels(kCh1), 0);
    EXPECT_EQ(LevelPixels(kCh2), 0);
    doc.m_trigger.SetSource(kSourceCh2);
    Draw();
    EXPECT_GT(LevelPixels(kCh2), 0);
    EXPECT_EQ(LevelPixels(kCh1), 0);
    doc.m_trigger.SetSource(kSourceExt);
    Draw();
    EXPECT_GT(LevelPixels(kMagenta), 0);
}

TEST_F(StatusStripTest, AltTriggerShowsCh1For19PaintsThenCh2For22) {
    doc.m_trigger.SetSource(kSourceAlt);
    for (int paint = 1; paint <= 19; ++paint) {
        Draw();
        ASSERT_GT(LevelPixels(kCh1), 0) << paint;
        ASSERT_EQ(LevelPixels(kCh2), 0) << paint;
    }
    for (int paint = 20; paint <= 41; ++paint) {
        Draw();
        ASSERT_GT(LevelPixels(kCh2), 0) << paint;
        ASSERT_EQ(LevelPixels(kCh1), 0) << paint;
    }
    EXPECT_EQ(strip.GetAltCount(), 0);
    Draw();
    EXPECT_GT(LevelPixels(kCh1), 0);
}

TEST(StatusStripLevelText, UnitsAndDigitsByMagnitude) {
    EXPECT_EQ(CString("0.00uV"), CStatusStrip::FormatLevel(0.0));
    EXPECT_EQ(CString("1.50V"), CStatusStrip::FormatLevel(1.5));
    EXPECT_EQ(CString("12.5V"), CStatusStrip::FormatLevel(12.5));
    EXPECT_EQ(CString("250mV"), CStatusStrip::FormatLevel(0.25));
    EXPECT_EQ(CString("2.00mV"), CStatusStrip::FormatLevel(0.002));
    EXPECT_EQ(CString("500uV"), CStatusStrip::FormatLevel(0.0005));
    EXPECT_EQ(CString("1.50kV"), CStatusStrip::FormatLevel(1500.0));
    EXPECT_EQ(CString("-1.50V"), CStatusStrip::FormatLevel(-1.5));
    EXPECT_EQ(CString("-12.5V"), CStatusStrip::FormatLevel(-12.5));
    EXPECT_EQ(CString("-250mV"), CStatusStrip::FormatLevel(-0.25));
    // Lengths without a rule keep the full "%f" text.
    EXPECT_EQ(CString("1234.567000kV"), CStatusStrip::FormatLevel(1234567.0));
}

TEST_F(StatusStripTest, EdgeGlyphFollowsTheSlope) {
    doc.m_trigger.SetTriggerType(kTriggerEdge);
    doc.m_trigger.SetSource(kSourceCh1);
    doc.m_trigger.SetSlope(kSlopeRising);
    Draw();
    const CRect r = RightBox();
    const int l = r.left;
    const int t = r.top;
    const int b = r.bottom;
    EXPECT_EQ(s.At(l + 4, b - 4), kCh1);  // rising: low step first
    EXPECT_EQ(s.At(l + 8, t + 9), kCh1);  // the riser / arrow
    EXPECT_EQ(s.At(l + 11, t + 4), kCh1); // high step last
    EXPECT_NE(s.At(l + 4, t + 4), kCh1);
    s.Save("StatusStrip-edge-rising");

    doc.m_trigger.SetSlope(kSlopeFalling);
    Draw();
    EXPECT_EQ(s.At(l + 4, t + 4), kCh1);
    EXPECT_EQ(s.At(l + 11, b - 4), kCh1);
    EXPECT_NE(s.At(l + 4, b - 4), kCh1);
}

// The "+" conditions (0 to 2) draw a high pulse, the "-" conditions (3 to 5) a low one.
TEST_F(StatusStripTest, PulseGlyphFollowsTheCondition) {
    doc.m_trigger.SetTriggerType(kTriggerPulse);
    doc.m_trigger.SetSource(kSourceCh2);
    Draw(); // lays out the boxes
    const CRect r = RightBox();
    const int l = r.left;
    const int top = r.top + 4;
    const int bottom = r.bottom - 4;
    for (std::int16_t condition = 0; condition <= 5; ++condition) {
        doc.m_trigger.SetPulseCondition(condition);
        Draw();
        const bool low = condition > 2;
        const int outer = low ? top : bottom; // the level before and after the pulse
        const int inner = low ? bottom : top;
        EXPECT_EQ(s.At(l + 3, outer), kCh2) << condition;
        EXPECT_EQ(s.At(l + 8, inner), kCh2) << condition;
        EXPECT_EQ(s.At(l + 13, outer), kCh2) << condition;
        EXPECT_NE(s.At(l + 3, inner), kCh2) << condition;
        EXPECT_NE(s.At(l + 8, outer), kCh2) << condition;
    }
    s.Save("StatusStrip-pulse");
}

TEST_F(StatusStripTest, PaintGoesThroughTheOffScreenPairAndSkipsEmptyClients) {
    PixelSurface target(kW, kH);
    target.Fill(kWhite);
    strip.Paint(&target.dc, CRect(0, 0, kW, kH));
    EXPECT_EQ(target.At(0, 0), kGrey);
    EXPECT_EQ(target.At(3, 21), kBlack);

    PixelSurface untouched(kW, kH);
    untouched.Fill(kWhite);
    strip.Paint(&untouched.dc, CRect(0, 0, 0, kH));
    EXPECT_EQ(untouched.Count(kWhite), kW * kH);
}

TEST(StatusStripDocument, NullDocumentIsIgnored) {
    CKelvaneDoc doc;
    CStatusStrip strip;
    strip.SetDocument(&doc);
    strip.SetDocument(nullptr);
    EXPECT_EQ(strip.GetDocument(), &doc);
}

// The level text switches unit at exactly 1 kV, 1 V and 1 mV (and keeps three figures), with
// the value one step below each switch in the smaller unit, on either side of zero.
TEST(StatusStripLevelText, UnitSwitchesExactlyAtEachPowerOfAThousand) {
    const struct {
        double volts;
        const char* text;
    } cases[] = {{1000.0, "1.00kV"}, {999.0, "999V"},    {1.0, "1.00V"},       {0.999, "999mV"},
                 {0.001, "1.00mV"},  {0.0009, "900uV"},  {-1000.0, "-1.00kV"}, {-999.0, "-999V"},
                 {-1.0, "-1.00V"},   {-0.999, "-999mV"}, {-0.001, "-1.00mV"},  {-0.0009, "-900uV"}};
    for (const auto& c : cases)
        EXPECT_EQ(CStatusStrip::FormatLevel(c.volts), CString(c.text)) << c.volts;
}

// Each source shows its own level in its own colour: CH1's, CH2's, and the external input's for
// both EXT and EXT/10. The three levels differ, so a level read from the wrong slot shows.
TEST_F(StatusStripTest, LevelTextOfEverySourceReadsItsOwnLevel) {
    doc.m_trigger.SetLevelVolts(CTrigger::kLevelCh1, 1.0f);
    doc.m_trigger.SetLevelVolts(CTrigger::kLevelCh2, -0.25f);
    doc.m_trigger.SetLevelVolts(CTrigger::kLevelExt, 1000.0f);
    const struct {
        std::int16_t source;
        const char* text;
        COLORREF colour;
    } rows[] = {{0, "1.00V", kCh1}, {1, "-250mV", kCh2}, {3, "1.00kV", kMagenta}, {4, "1.00kV", kMagenta}};
    for (const auto& row : rows) {
        doc.m_trigger.SetSource(row.source);
        Draw();
        const CRect box = RightBox();
        PixelSurface r{kW, kH};
        ReferenceText(r, box, row.text, 15, row.colour, kBlack, box.left + 48, 6);
        const CRect level(box.left + 48, box.top, box.right, box.bottom);
        EXPECT_TRUE(SameBox(s, r, level)) << row.source << " " << row.text;
    }
}

// AUTO and WAIT invert their text for ticks 21 to 39 inclusive: ticks 20 and 40 are steady (40
// also restarts the counter), 21 and 39 are inverted.
TEST_F(StatusStripTest, BlinkPhaseStartsAtTick21AndEndsAfterTick39) {
    const struct {
        std::int16_t tick;
        bool inverted;
    } cases[] = {{0, false}, {20, false}, {21, true}, {30, true}, {39, true}, {40, false}};
    for (std::int16_t status : {3, 4}) {
        doc.m_nRunStatus = status;
        doc.m_nStatusTick = 5;
        Draw();
        const int steady = s.Count(kGreen, 2, 2, 52, 23);
        for (const auto& c : cases) {
            doc.m_nStatusTick = c.tick;
            Draw();
            const int green = s.Count(kGreen, 2, 2, 52, 23);
            if (c.inverted)
                EXPECT_GT(green, steady + 100) << status << " tick " << c.tick;
            else
                EXPECT_EQ(green, steady) << status << " tick " << c.tick;
        }
    }
}

// The overview draws all 128 record pixels: with the whole record in view every one of them is
// green, the first and the last included, and nothing is drawn one pixel beyond either end.
TEST_F(StatusStripTest, OverviewCoversAllOfItsPixelsFromFirstToLast) {
    doc.m_ch1.SetOn(0);
    doc.m_ch2.SetOn(0);
    Draw();
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(OverviewPixel(i), kGreen) << i;
    EXPECT_EQ(OverviewPixel(-1), kBlack);
    EXPECT_EQ(OverviewPixel(128), kBlack);
}

} // namespace
