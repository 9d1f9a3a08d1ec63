// The knob: its picture read back pixel by pixel, the dial mapping, and turning it through its
// mouse handlers with the record-length range rule.
#include "Knob.h"
#include "../engine/FakeDocUi.h"
#include "PixelSurface.h"
#include "engine/DeviceStateBlock.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "framework/WinApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kCh1 = RGB(0, 200, 255);

std::string Combo(SidePanelCombo combo, int entry) {
    return "Combo " + std::to_string(static_cast<int>(combo)) + " " + std::to_string(entry);
}

bool Called(const FakeDocUi& ui, const std::string& call) {
    return std::find(ui.calls.begin(), ui.calls.end(), call) != ui.calls.end();
}

// A point on a circle around the knob's centre whose dial value turns a knob of `steps`
// steps to `index` (index = steps - steps x value / 100).
CPoint PointForIndex(int steps, int index) {
    for (int k = 0; k < 3600; ++k) {
        const double angle = k * 2.0 * 3.14159265358979 / 3600.0;
        const int x = static_cast<int>(std::lround(43.5 + 30.0 * std::sin(angle)));
        const int y = static_cast<int>(std::lround(42.5 - 30.0 * std::cos(angle)));
        const int value = static_cast<int>(CKnob::ValueFromPoint(x, y));
        if (steps - steps * value / 100 == index)
            return CPoint(x, y);
    }
    ADD_FAILURE() << "no point for index " << index;
    return CPoint(43, 10);
}

class KnobTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc.SetDefaultSettings();
        doc.OnLanguageDefault();
        doc.SetDemoMode(1);
        doc.m_ch1.SetColor(kCh1);
        doc.m_ch1.SetOn(1);
        doc.m_ch2.SetOn(1);
        doc.m_bRunning = 1;
        doc.SetUi(&ui);
        knob.SetDocument(&doc);
        AfxSetMessageBoxHook([this](const CString& text, const CString& caption, UINT) {
            messages.push_back(std::string(caption.GetString()) + ": " + text.GetString());
            return IDOK;
        });
    }
    void TearDown() override { AfxSetMessageBoxHook(nullptr); }

    void Press(int index) {
        const int steps =
            knob.GetKnobId() == CKnob::kKnobTime ? knob.GetStepCount() + 29 : knob.GetStepCount();
        knob.OnLButtonDown(MK_LBUTTON, PointForIndex(steps, index));
    }
    int Position(const char* label) const { return CKnob::TimeDivLabelPosition(label, doc.m_nModel); }
    // Record-length mode with both channels captured and a channel trigger (the stricter limit).
    void RecordLength(std::int16_t mode, bool bothChannels, std::int16_t source = 0) {
        doc.m_settings.SetRecordLengthMode(mode);
        doc.m_usb.SetStateWord(kv::kStateChannelMode, bothChannels ? 2 : 0);
        doc.m_trigger.SetSource(source);
    }

    CKelvaneDoc doc;
    FakeDocUi ui;
    CKnob knob;
    std::vector<std::string> messages;
};

TEST(KnobDial, ValueIsZeroAtLowerLeftFiftyUpHundredAtLowerRight) {
    EXPECT_NEAR(CKnob::ValueFromPoint(43, 5), 50.0, 1.5);
    EXPECT_NEAR(CKnob::ValueFromPoint(11, 75), 0.0, 1.5);
    EXPECT_NEAR(CKnob::ValueFromPoint(76, 75), 100.0, 1.5);
    EXPECT_NEAR(CKnob::ValueFromPoint(5, 43), 16.7, 1.0);  // left: a sixth of 270 degrees
    EXPECT_NEAR(CKnob::ValueFromPoint(82, 43), 83.3, 1.0); // right
    // The dead zone below the centre jumps to the nearest end of the dial.
    EXPECT_EQ(CKnob::ValueFromPoint(40, 84), 0.0);
    EXPECT_EQ(CKnob::ValueFromPoint(47, 84), 100.0);
}

TEST(KnobDial, PointerRunsFromLowerLeftOverTheTopToLowerRight) {
    const CPoint first = CKnob::PointerEnd(0);
    const CPoint middle = CKnob::PointerEnd(43);
    const CPoint last = CKnob::PointerEnd(87);
    EXPECT_LT(first.x, 43);
    EXPECT_GT(first.y, 42);
    EXPECT_LT(middle.y, 30);
    EXPECT_NEAR(middle.x, 43, 2);
    EXPECT_GT(last.x, 43);
    EXPECT_GT(last.y, 42);
}

TEST(KnobLabels, PositionsFollowTheModelsList) {
    EXPECT_EQ(CKnob::TimeDivLabelPosition("40.0us", 4), 13);
    EXPECT_EQ(CKnob::TimeDivLabelPosition("400ms", 4), 25);
    EXPECT_EQ(CKnob::TimeDivLabelPosition("1.00s", 5), 26);
    EXPECT_EQ(CKnob::TimeDivLabelPosition("2.00ns", 4), 0);
    // The other models start at "4.00ns".
    EXPECT_EQ(CKnob::TimeDivLabelPosition("400ms", 2), 24);
    EXPECT_EQ(CKnob::TimeDivLabelPosition("2.00ns", 2), -1);
    EXPECT_EQ(CKnob::TimeDivLabelPosition("3.00s", 4), -1);
    EXPECT_EQ(CKnob::TimeDivLabel(0, 4), CString("2.00ns"));
    EXPECT_EQ(CKnob::TimeDivLabel(0, 1), CString("4.00ns"));
    EXPECT_EQ(CKnob::TimeDivLabel(38, 4), CString("1.00h"));
    EXPECT_EQ(CKnob::TimeDivLabel(38, 1), CString());
    EXPECT_EQ(CKnob::TimeDivLabel(-1, 4), CString());
}

TEST_F(KnobTest, StepCountByModel) {
    EXPECT_EQ(knob.GetStepCount(), 9);
    doc.m_nModel = 5;
    EXPECT_EQ(knob.GetStepCount(), 9);
    doc.m_nModel = 2;
    EXPECT_EQ(knob.GetStepCount(), 8);
}

TEST_F(KnobTest, VoltsPerDivKnobMapsTheDialOntoTenPositions) {
    knob.SetKnobId(CKnob::kKnobCh1);
    for (int index : {0, 3, 5, 9}) {
        ui.calls.clear();
        doc.m_ch1.SetVoltsPerDivIndex(static_cast<std::int16_t>(index == 5 ? 0 : 5));
        Press(index);
        EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), index);
        EXPECT_TRUE(Called(ui, Combo(SidePanelCombo::Ch1VoltDiv, index))) << index;
        EXPECT_TRUE(Called(ui, "LevelReadout")) << index;
    }
    // The lower right is index 0, the lower left the largest index.
    knob.OnLButtonDown(MK_LBUTTON, CPoint(76, 75));
    EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 0);
    knob.OnLButtonDown(MK_LBUTTON, CPoint(11, 75));
    EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 9);
}

TEST_F(KnobTest, OtherModelsHaveNinePositions) {
    doc.m_nModel = 2;
    knob.SetKnobId(CKnob::kKnobCh2);
    knob.OnLButtonDown(MK_LBUTTON, CPoint(11, 75));
    EXPECT_EQ(doc.m_ch2.GetVoltsPerDivIndex(), 8);
    EXPECT_TRUE(Called(ui, Combo(SidePanelCombo::Ch2VoltDiv, 8)));
}

// Every position of both channel knobs, on a model with ten positions (0 to 9) and on one with
// nine (0 to 8): each turn sets its own channel and its own side-panel list, never the other's.
TEST_F(KnobTest, EveryVoltsPerDivPositionOfBothChannelKnobs) {
    const struct {
        std::int16_t model;
        int last;
    } models[] = {{5, 9}, {1, 8}};
    const struct {
        std::int16_t id;
        CTrace& trace;
        CTrace& other;
        SidePanelCombo combo;
        SidePanelCombo otherCombo;
    } knobs[] = {
        {CKnob::kKnobCh1, doc.m_ch1, doc.m_ch2, SidePanelCombo::Ch1VoltDiv, SidePanelCombo::Ch2VoltDiv},
        {CKnob::kKnobCh2, doc.m_ch2, doc.m_ch1, SidePanelCombo::Ch2VoltDiv, SidePanelCombo::Ch1VoltDiv}};
    for (const auto& m : models) {
        doc.m_nModel = m.model;
        for (const auto& k : knobs) {
            knob.SetKnobId(k.id);
            for (int index = 0; index <= m.last; ++index) {
                k.trace.SetVoltsPerDivIndex(static_cast<std::int16_t>(index == 0 ? 1 : 0));
                k.other.SetVoltsPerDivIndex(7);
                ui.calls.clear();
                Press(index);
                EXPECT_EQ(k.trace.GetVoltsPerDivIndex(), index) << m.model << " " << k.id;
                EXPECT_EQ(k.other.GetVoltsPerDivIndex(), 7) << m.model << " " << k.id;
                EXPECT_TRUE(Called(ui, Combo(k.combo, index))) << m.model << " " << k.id << " " << index;
                EXPECT_FALSE(Called(ui, Combo(k.otherCombo, index))) << m.model << " " << k.id;
            }
            // The lower left end of the dial is the last position, never one beyond it.
            knob.OnLButtonDown(MK_LBUTTON, CPoint(11, 75));
            EXPECT_EQ(k.trace.GetVoltsPerDivIndex(), m.last) << m.model << " " << k.id;
        }
    }
}

TEST_F(KnobTest, UnchangedIndexTouchesNothing) {
    knob.SetKnobId(CKnob::kKnobCh1);
    doc.m_ch1.SetVoltsPerDivIndex(4);
    Press(4);
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(KnobTest, ChannelOffIgnoresTheMouseAndDrawsGrey) {
    knob.SetKnobId(CKnob::kKnobCh1);
    doc.m_ch1.SetOn(0);
    doc.m_ch1.SetVoltsPerDivIndex(5);
    Press(0);
    EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 5);
    EXPECT_TRUE(ui.calls.empty());

    PixelSurface s(CKnob::kWidth, CKnob::kHeight);
    knob.FillBackground(&s.dc, CRect(0, 0, s.w, s.h));
    knob.DrawKnob(&s.dc, CKnob::kKnobCh1);
    EXPECT_EQ(s.At(24, 42), CKnob::kOffColor);
    EXPECT_EQ(s.Count(kCh1), 0);
    s.Save("Knob-ch1-off");
}

TEST_F(KnobTest, DragTurnsOnlyWithTheLeftButtonAlone) {
    knob.SetKnobId(CKnob::kKnobCh1);
    doc.m_ch1.SetVoltsPerDivIndex(5);
    const CPoint lowerRight(76, 75);
    knob.OnMouseMove(MK_LBUTTON | MK_SHIFT, lowerRight);
    knob.OnMouseMove(MK_LBUTTON | MK_RBUTTON, lowerRight);
    knob.OnMouseMove(0, lowerRight);
    EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 5);
    knob.OnMouseMove(MK_LBUTTON, lowerRight);
    EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 0);
    knob.OnLButtonUp(0, CPoint(11, 75));
    EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 0);
}

TEST_F(KnobTest, MathKnobIsDrawnButNeverTurns) {
    knob.SetKnobId(CKnob::kKnobMath);
    doc.m_math.SetOn(1);
    doc.m_math.SetVoltsPerDivIndex(5);
    knob.OnLButtonDown(MK_LBUTTON, CPoint(76, 75));
    EXPECT_EQ(doc.m_math.GetVoltsPerDivIndex(), 5);
    EXPECT_TRUE(ui.calls.empty());
    PixelSurface s(CKnob::kWidth, CKnob::kHeight);
    knob.DrawKnob(&s.dc, CKnob::kKnobMath);
    EXPECT_EQ(s.At(24, 42), CKnob::kMathColor);
}

TEST_F(KnobTest, PictureShowsCapPointerAndBlackHubOutline) {
    knob.SetKnobId(CKnob::kKnobCh1);
    doc.m_ch1.SetVoltsPerDivIndex(0); // pointer at the lower right
    PixelSurface s(CKnob::kWidth, CKnob::kHeight);
    knob.FillBackground(&s.dc, CRect(0, 0, s.w, s.h));
    knob.DrawKnob(&s.dc, CKnob::kKnobCh1);
    s.Save("Knob-ch1-index0");
    EXPECT_EQ(s.At(1, 1), CKnob::kButtonFace);
    EXPECT_EQ(s.At(24, 42), kCh1);
    EXPECT_EQ(s.At(43, 20), kCh1);
    EXPECT_EQ(s.At(12, 40), RGB(210, 210, 210)); // the lit upper-left half of the ring
    EXPECT_EQ(s.At(74, 45), RGB(180, 180, 180)); // the shaded lower-right half
    // The white pointer runs into the lower right quadrant only.
    EXPECT_GT(s.Count(kWhite, 50, 49, 62, 62), 5);
    EXPECT_EQ(s.Count(kWhite, 25, 49, 37, 62), 0);
    // The hub is outlined with a 1-px black pen and filled in the knob colour.
    EXPECT_EQ(s.At(37, 42), kBlack);
    EXPECT_EQ(s.At(49, 42), kBlack);
    EXPECT_EQ(s.At(40, 39), kCh1);

    doc.m_ch1.SetVoltsPerDivIndex(9); // lower left
    knob.DrawKnob(&s.dc, CKnob::kKnobCh1);
    EXPECT_GT(s.Count(kWhite, 25, 49, 37, 62), 5);
}

// Every knob's cap takes its own trace's colour and its pointer its own trace's index: c = (n -
// index) x 87 / n for the volts/div knobs (n = 9 here), (n + 29 - index) x 87 / (n + 29) for the
// time base. c = 87 ends at the lower right, c = 0 at the lower left (25, 56), c = 48 up and
// right at (51, 20).
TEST_F(KnobTest, EachKnobShowsItsOwnTracesColourAndIndex) {
    constexpr COLORREF kCh2 = RGB(255, 255, 0);
    doc.m_ch2.SetColor(kCh2);
    doc.m_math.SetOn(1);
    enum Pointer { kLowerRight, kLowerLeft, kUpRight };
    const CRect regions[] = {CRect(50, 49, 62, 62), CRect(25, 49, 37, 62), CRect(47, 18, 55, 30)};
    // Other indexes on the other traces, so a knob that read the wrong trace points elsewhere.
    doc.m_ch1.SetVoltsPerDivIndex(2);
    doc.m_ch2.SetVoltsPerDivIndex(6);
    doc.m_math.SetVoltsPerDivIndex(7);
    const struct {
        std::int16_t id;
        int index;
        COLORREF colour;
        Pointer pointer;
    } cases[] = {
        {CKnob::kKnobCh1, 4, kCh1, kUpRight},
        {CKnob::kKnobCh2, 0, kCh2, kLowerRight},
        {CKnob::kKnobCh2, 9, kCh2, kLowerLeft},
        {CKnob::kKnobCh2, 4, kCh2, kUpRight},
        {CKnob::kKnobMath, 9, CKnob::kMathColor, kLowerLeft},
        {CKnob::kKnobTime, 38, CKnob::kTimeColor, kLowerLeft},
        {CKnob::kKnobTime, 0, CKnob::kTimeColor, kLowerRight},
    };
    for (const auto& c : cases) {
        const auto index = static_cast<std::int16_t>(c.index);
        const std::int16_t keep[] = {doc.m_ch1.GetVoltsPerDivIndex(), doc.m_ch2.GetVoltsPerDivIndex(),
                                     doc.m_math.GetVoltsPerDivIndex()};
        if (c.id == CKnob::kKnobCh1)
            doc.m_ch1.SetVoltsPerDivIndex(index);
        else if (c.id == CKnob::kKnobCh2)
            doc.m_ch2.SetVoltsPerDivIndex(index);
        else if (c.id == CKnob::kKnobMath)
            doc.m_math.SetVoltsPerDivIndex(index);
        else
            doc.m_settings.SetTimeBaseIndex(index);
        knob.SetKnobId(c.id);
        PixelSurface s(CKnob::kWidth, CKnob::kHeight);
        knob.FillBackground(&s.dc, CRect(0, 0, s.w, s.h));
        knob.DrawKnob(&s.dc, c.id);
        EXPECT_EQ(s.At(24, 42), c.colour) << c.id << " " << c.index;
        for (int r = 0; r < 3; ++r) {
            const CRect& rc = regions[r];
            const int white = s.Count(kWhite, rc.left, rc.top, rc.right, rc.bottom);
            if (r == c.pointer)
                EXPECT_GT(white, 3) << c.id << " " << c.index << " region " << r;
            else
                EXPECT_EQ(white, 0) << c.id << " " << c.index << " region " << r;
        }
        doc.m_ch1.SetVoltsPerDivIndex(keep[0]);
        doc.m_ch2.SetVoltsPerDivIndex(keep[1]);
        doc.m_math.SetVoltsPerDivIndex(keep[2]);
    }
    // A channel that is off is grey, whatever the other channel shows.
    doc.m_ch2.SetOn(0);
    PixelSurface off(CKnob::kWidth, CKnob::kHeight);
    knob.DrawKnob(&off.dc, CKnob::kKnobCh2);
    EXPECT_EQ(off.At(24, 42), CKnob::kOffColor);
}

TEST_F(KnobTest, PaintGoesThroughTheOffScreenPair) {
    knob.SetKnobId(CKnob::kKnobTime);
    PixelSurface direct(CKnob::kWidth, CKnob::kHeight);
    knob.FillBackground(&direct.dc, CRect(0, 0, direct.w, direct.h));
    knob.DrawKnob(&direct.dc, CKnob::kKnobTime);
    PixelSurface painted(CKnob::kWidth, CKnob::kHeight);
    painted.Fill(kBlack);
    knob.Paint(&painted.dc, CRect(0, 0, painted.w, painted.h));
    int differing = 0;
    for (int y = 0; y < direct.h; ++y)
        for (int x = 0; x < direct.w; ++x)
            differing += direct.At(x, y) != painted.At(x, y);
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(painted.At(24, 42), CKnob::kTimeColor);
    painted.Save("Knob-time");
}

TEST_F(KnobTest, TimeBaseKnobInTenKModeSwitchesRollWhileRunning) {
    knob.SetKnobId(CKnob::kKnobTime);
    RecordLength(0, true);
    Press(30);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 30);
    EXPECT_TRUE(Called(ui, Combo(SidePanelCombo::TimeDiv, 30)));
    EXPECT_TRUE(Called(ui, Combo(SidePanelCombo::Format, kFormatRoll)));
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatRoll);

    ui.calls.clear();
    Press(20);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 20);
    EXPECT_TRUE(Called(ui, Combo(SidePanelCombo::Format, kFormatYT)));
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatYT);
    EXPECT_TRUE(messages.empty());
}

TEST_F(KnobTest, TimeBaseKnobStoppedLeavesTheFormat) {
    knob.SetKnobId(CKnob::kKnobTime);
    RecordLength(0, true);
    doc.m_bRunning = 0;
    Press(30);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 30);
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatYT);
    EXPECT_FALSE(Called(ui, Combo(SidePanelCombo::Format, kFormatRoll)));
}

TEST_F(KnobTest, PassFailKeepsTheTimeBaseAt400msAndSendsIt) {
    knob.SetKnobId(CKnob::kKnobTime);
    RecordLength(0, true);
    doc.m_passFail.m_nState1 = 1;
    doc.SetTimeBaseIndex(20);
    Press(30);
    const int slowest = Position("400ms");
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), slowest);
    // The instrument's state block follows, not only the settings object.
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateTimeBase), slowest);
    EXPECT_TRUE(Called(ui, Combo(SidePanelCombo::TimeDiv, slowest)));
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatYT);
}

TEST_F(KnobTest, FourteenKModeWithBothChannelsRefusesBelow40usWhileRunning) {
    knob.SetKnobId(CKnob::kKnobTime);
    RecordLength(1, true);
    doc.SetTimeBaseIndex(20);
    Press(Position("20.0us"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Error: 14K Points Mode Range:40.0us/div ~ 400ms/div");
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 20);
    EXPECT_TRUE(ui.calls.empty());

    // The limit itself is allowed.
    Press(Position("40.0us"));
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), Position("40.0us"));
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(KnobTest, RangeMessagesByRecordLengthMode) {
    knob.SetKnobId(CKnob::kKnobTime);
    const struct {
        std::int16_t mode;
        bool both;
        std::int16_t source;
        const char* tooFast;
        const char* lowest;
        const char* message;
    } cases[] = {
        {1, false, 0, "10.0us", "20.0us", "14K Points Mode Range:20.0us/div ~ 400ms/div"},
        {1, true, 2, "10.0us", "20.0us", "14K Points Mode Range:20.0us/div ~ 400ms/div"},
        {2, false, 0, "20.0us", "40.0us", "28K Points Mode Range:40.0us/div ~ 400ms/div"},
        {3, false, 0, "10.0us", "20.0us", "32K Points Mode Range:20.0us/div ~ 400ms/div"},
        {3, true, 0, "20.0us", "40.0us", "32K Points Mode Range:40.0us/div ~ 400ms/div"},
        {4, false, 1, "20.0us", "40.0us", "64K Points Mode Range:40.0us/div ~ 400ms/div"},
        {5, false, 0, "100us", "200us", "512K Points Mode Range:200us/div ~ 400ms/div"},
        {5, true, 1, "200us", "400us", "512K Points Mode Range:400us/div ~ 400ms/div"},
        {6, false, 0, "200us", "400us", "1M Points Mode Range:400us/div ~ 400ms/div"},
    };
    for (const auto& c : cases) {
        RecordLength(c.mode, c.both, c.source);
        doc.SetTimeBaseIndex(20);
        messages.clear();
        Press(Position(c.tooFast));
        ASSERT_EQ(messages.size(), 1u) << c.message;
        EXPECT_EQ(messages[0], std::string("Error: ") + c.message);
        EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 20);
        // Slower than 400 ms is refused with the same text.
        messages.clear();
        Press(Position("1.00s"));
        ASSERT_EQ(messages.size(), 1u) << c.message;
        EXPECT_EQ(messages[0], std::string("Error: ") + c.message);
        EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 20);
        // Both ends of the range are allowed.
        messages.clear();
        Press(Position("400ms"));
        EXPECT_TRUE(messages.empty()) << c.message;
        EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), Position("400ms"));
        Press(Position(c.lowest));
        EXPECT_TRUE(messages.empty()) << c.message;
        EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), Position(c.lowest)) << c.message;
    }
}

// The side panel's time/div labels of every index: models 4 and 5 start at 2 ns, the other
// models at 4 ns, and there is nothing beyond 1 h or before the first label.
TEST(KnobLabels, EveryIndexOfBothLists) {
    const char* const labels[39] = {
        "2.00ns",  "4.00ns",  "10.0ns",  "20.0ns",  "40.0ns",  "100ns",   "200ns",  "400ns",
        "1.00us",  "2.00us",  "4.00us",  "10.0us",  "20.0us",  "40.0us",  "100us",  "200us",
        "400us",   "1.00ms",  "2.00ms",  "4.00ms",  "10.0ms",  "20.0ms",  "40.0ms", "100ms",
        "200ms",   "400ms",   "1.00s",   "2.00s",   "4.00s",   "10.0s",   "20.0s",  "40.0s",
        "1.00min", "2.00min", "4.00min", "10.0min", "20.0min", "40.0min", "1.00h"};
    for (int model : {4, 5}) {
        for (int i = 0; i < 39; ++i) {
            EXPECT_EQ(CKnob::TimeDivLabel(i, model), labels[i]) << i;
            EXPECT_EQ(CKnob::TimeDivLabelPosition(labels[i], model), i) << labels[i];
        }
        EXPECT_EQ(CKnob::TimeDivLabel(39, model), "");
        EXPECT_EQ(CKnob::TimeDivLabel(-1, model), "");
    }
    for (int model : {0, 1, 2, 3}) {
        for (int i = 0; i < 38; ++i) {
            EXPECT_EQ(CKnob::TimeDivLabel(i, model), labels[i + 1]) << i;
            EXPECT_EQ(CKnob::TimeDivLabelPosition(labels[i + 1], model), i) << labels[i + 1];
        }
        EXPECT_EQ(CKnob::TimeDivLabel(38, model), "");
        EXPECT_EQ(CKnob::TimeDivLabelPosition("2.00ns", model), -1);
    }
}

TEST_F(KnobTest, RelaxedLimitAcceptsTheFasterTimeBase) {
    knob.SetKnobId(CKnob::kKnobTime);
    RecordLength(1, true, 2); // ALT trigger
    doc.SetTimeBaseIndex(20);
    Press(Position("20.0us"));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), Position("20.0us"));
    EXPECT_TRUE(Called(ui, Combo(SidePanelCombo::TimeDiv, Position("20.0us"))));
}

TEST_F(KnobTest, StoppedShowsNoRangeMessage) {
    knob.SetKnobId(CKnob::kKnobTime);
    RecordLength(6, true);
    doc.m_bRunning = 0;
    doc.SetTimeBaseIndex(20);
    Press(5);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 5);
    Press(35);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 35);
    // Outside 10K mode the format is never switched by the knob.
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatYT);
}

TEST_F(KnobTest, OtherModelsUseTheirOwnListPositions) {
    doc.m_nModel = 2;
    knob.SetKnobId(CKnob::kKnobTime);
    RecordLength(1, true);
    doc.SetTimeBaseIndex(20);
    Press(12); // "40.0us" on these models
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 12);
    Press(11);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 12);
}

// Turning the time base while running enters Roll at exactly 1.00 s/div and leaves it at
// 400 ms/div, one step faster; with pass/fail on, 1.00 s/div is already too slow and falls back
// to 400 ms/div, while 400 ms/div itself is kept. Both model lists (they start one label apart).
TEST_F(KnobTest, RollAndThePassFailLimitSwitchAtExactlyOneSecondPerDiv) {
    knob.SetKnobId(CKnob::kKnobTime);
    RecordLength(0, true);
    for (std::int16_t model : {4, 2}) {
        doc.m_nModel = model;
        doc.m_passFail.m_nState1 = 0;
        doc.SetTimeBaseIndex(static_cast<std::int16_t>(Position("10.0ms")));
        Press(Position("1.00s"));
        EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), Position("1.00s")) << model;
        EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatRoll) << model;
        Press(Position("400ms"));
        EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), Position("400ms")) << model;
        EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatYT) << model;

        doc.m_passFail.m_nState1 = 1;
        Press(Position("200ms"));
        Press(Position("400ms"));
        EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), Position("400ms")) << model;
        Press(Position("200ms"));
        ui.calls.clear();
        Press(Position("1.00s"));
        EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), Position("400ms")) << model;
        EXPECT_TRUE(Called(ui, Combo(SidePanelCombo::TimeDiv, Position("400ms")))) << model;
        EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatYT) << model;
    }
    EXPECT_TRUE(messages.empty());
}

// The time knob's two ends: the lower right is each model's fastest label, the lower left its
// slowest, 1.00 h, on either model list.
TEST_F(KnobTest, TimeKnobEndsAreTheFirstAndLastLabelOfEachModel) {
    knob.SetKnobId(CKnob::kKnobTime);
    RecordLength(0, true);
    doc.m_bRunning = 0;
    const struct {
        std::int16_t model;
        const char* fastest;
    } models[] = {{4, "2.00ns"}, {5, "2.00ns"}, {2, "4.00ns"}, {0, "4.00ns"}};
    for (const auto& m : models) {
        doc.m_nModel = m.model;
        doc.SetTimeBaseIndex(static_cast<std::int16_t>(Position("10.0ms")));
        knob.OnLButtonDown(MK_LBUTTON, CPoint(76, 75));
        EXPECT_EQ(CKnob::TimeDivLabel(doc.m_settings.GetTimeBaseIndex(), m.model), CString(m.fastest))
            << m.model;
        knob.OnLButtonDown(MK_LBUTTON, CPoint(11, 75));
        EXPECT_EQ(CKnob::TimeDivLabel(doc.m_settings.GetTimeBaseIndex(), m.model), CString("1.00h"))
            << m.model;
    }
}

TEST_F(KnobTest, NullDocumentIsIgnoredAndDrawsGrey) {
    CKnob lonely;
    lonely.SetDocument(nullptr);
    EXPECT_EQ(lonely.GetDocument(), nullptr);
    lonely.OnLButtonDown(MK_LBUTTON, CPoint(76, 75)); // nothing to change, no crash
    PixelSurface s(CKnob::kWidth, CKnob::kHeight);
    lonely.DrawKnob(&s.dc, CKnob::kKnobCh1);
    EXPECT_EQ(s.At(24, 42), CKnob::kOffColor);
    knob.SetDocument(nullptr);
    EXPECT_EQ(knob.GetDocument(), &doc);
}

} // namespace
