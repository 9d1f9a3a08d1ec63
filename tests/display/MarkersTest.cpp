// The screen panel's pointers: where they are drawn, how the mouse grabs and drags them, and
// the settings the drags write into the document (seen through the recording instrument).
#include "ScreenTestSupport.h"
#include "engine/SettingsCodes.h"

#include <algorithm>
#include <cmath>

namespace {

using kvtest::kLeftButton;
using kvtest::ScreenSurface;
using Marker = CScopeScreen::Marker;

constexpr COLORREF kCh1 = 0x00FF00; // the document's default colours
constexpr COLORREF kCh2 = 0x00FFFF;
constexpr COLORREF kMath = 0x0000FF;
constexpr COLORREF kRef = 0xFFFF00;
constexpr COLORREF kTrig = RGB(250, 170, 100);
constexpr COLORREF kExt = RGB(255, 0, 255);
constexpr COLORREF kBand = RGB(50, 50, 50);

// The 800 x 630 window-mode plot is (21, 14, 779, 616): W = 758, H = 602.
double LevelOfY(double y) {
    return (y - 14.0) / 602.0 * 511.0;
}

class MarkersTest : public kvtest::ScreenFixture {};

TEST_F(MarkersTest, PointersSitAtTheirComputedPixelsForEachSourceAndPosition) {
    EXPECT_EQ(screen.GetPlotRect(), CRect(21, 14, 779, 616));
    // Trigger position 250 at L + 250 x W x 0.002 = 400; zero pointers at T + position x H / 511.
    EXPECT_EQ(screen.GetMarkerRect(CScopeScreen::kMarkerTrigPos), CRect(395, 0, 406, 13));
    EXPECT_EQ(screen.GetMarkerRect(CScopeScreen::kMarkerCh1Zero), CRect(2, 159, 19, 170)); // 164.79
    EXPECT_EQ(screen.GetMarkerRect(CScopeScreen::kMarkerCh2Zero), CRect(2, 461, 19, 472)); // 466.38
    EXPECT_EQ(screen.GetMarkerRect(CScopeScreen::kMarkerMath), CRect(2, 310, 19, 321));    // 315.59
    EXPECT_EQ(screen.GetMarkerRect(CScopeScreen::kMarkerCh1Level), CRect(783, 159, 800, 170));
    EXPECT_EQ(screen.GetMarkerRect(CScopeScreen::kMarkerCh2Level), CRect(783, 461, 800, 472));
    EXPECT_EQ(screen.GetMarkerRect(CScopeScreen::kMarkerExtLevel), CRect(783, 310, 800, 321));
    // X-Y pointer: L + 0.1 W + (511 - 128) x W x 0.8 / 511 = 551.3.
    EXPECT_EQ(screen.GetMarkerRect(CScopeScreen::kMarkerXY), CRect(546, 0, 557, 13));

    for (auto [position, left] :
         {std::pair{0, 16}, std::pair{100, 167}, std::pair{500, 774}, std::pair{600, 774}}) {
        doc.m_settings.SetHorizontalPosition(static_cast<std::int16_t>(position));
        screen.UpdateMarkerPositions();
        EXPECT_EQ(screen.GetMarkerRect(CScopeScreen::kMarkerTrigPos).left, left) << position;
    }
    doc.m_settings.SetHorizontalPosition(250);
    screen.UpdateMarkerPositions();

    doc.m_math.SetOn(1);
    doc.m_ref.SetOn(1);
    doc.m_ref.SetPosition(200.0f); // y = 249.6
    screen.UpdateMarkerPositions();
    ScreenSurface s(800, 630);
    Draw(s);
    s.Save("Markers-window");
    EXPECT_EQ(s.At(16, 164), kCh1);
    EXPECT_EQ(s.At(16, 466), kCh2);
    EXPECT_EQ(s.At(16, 315), kMath);
    EXPECT_EQ(s.At(16, 249), kRef);
    EXPECT_EQ(s.At(785, 164), kCh1); // CH1 is the trigger source
    EXPECT_EQ(s.At(785, 466), kBand);
    EXPECT_EQ(s.At(396, 5), kTrig);

    doc.m_trigger.SetSource(kSourceAlt); // ALT: both level pointers
    Draw(s);
    EXPECT_EQ(s.At(785, 164), kCh1);
    EXPECT_EQ(s.At(785, 466), kCh2);
    doc.m_trigger.SetSource(kSourceExt); // EXT
    Draw(s);
    EXPECT_EQ(s.At(785, 164), kBand);
    EXPECT_EQ(s.At(785, 315), kExt);

    // X-Y: the CH1 pointer moves to the top edge; no level or position pointer.
    doc.m_settings.SetTimeBaseFormat(kFormatXY);
    Draw(s);
    s.Save("Markers-xy");
    EXPECT_EQ(s.At(548, 3), kCh1);
    EXPECT_NE(s.At(16, 164), kCh1);
    EXPECT_NE(s.At(396, 5), kTrig);
    EXPECT_EQ(s.At(785, 315), kBand);
    // Channels that are off have no pointer.
    doc.m_settings.SetTimeBaseFormat(kFormatYT);
    doc.m_ch2.SetOn(0);
    Draw(s);
    EXPECT_NE(s.At(16, 466), kCh2);
}

TEST_F(MarkersTest, LevelPointersLeavingThePlotArePinnedAtItsEdgeWithTheirStateShape) {
    // A level above the plot (state 2): y limited to T, point (x - 4, T - 6).
    doc.m_trigger.SetLevel(0, -100.0f);
    doc.m_trigger.SetMarkerWord(0, 2);
    screen.UpdateMarkerPositions();
    EXPECT_EQ(screen.GetMarkerRect(CScopeScreen::kMarkerCh1Level), CRect(785, 8, 796, 25));
    doc.m_trigger.SetLevel(0, 900.0f);
    doc.m_trigger.SetMarkerWord(0, 3);
    screen.UpdateMarkerPositions();
    EXPECT_EQ(screen.GetMarkerRect(CScopeScreen::kMarkerCh1Level), CRect(785, 605, 796, 622));
    // The external level is not limited.
    doc.m_trigger.SetLevel(2, -100.0f);
    screen.UpdateMarkerPositions();
    EXPECT_EQ(screen.GetMarkerRect(CScopeScreen::kMarkerExtLevel).top, -108);
}

// The level pointer of either channel by its state: above the plot (2) the point sits at
// (x - 4, T - 6) and the body hangs below it; below the plot (3) at (x - 4, B + 6) with the body
// above it; inside (0) at (x, y) pointing left. x = R + 21 = 800.
TEST_F(MarkersTest, LevelPointerPointAndBodyByStateForEitherChannel) {
    const struct {
        std::int16_t source;
        Marker marker;
        COLORREF colour;
    } channels[] = {{0, CScopeScreen::kMarkerCh1Level, kCh1}, {1, CScopeScreen::kMarkerCh2Level, kCh2}};
    for (const auto& c : channels) {
        doc.m_trigger.SetSource(c.source);
        const struct {
            float level;
            std::int16_t state;
            float x, y;
            CPoint body, empty;
        } states[] = {
            {-100.0f, 2, 796.0f, 8.0f, CPoint(786, 20), CPoint(786, 608)},
            {900.0f, 3, 796.0f, 622.0f, CPoint(786, 608), CPoint(786, 20)},
            {256.0f, 0, 800.0f, 14.0f + 256.0f * 602.0f / 511.0f, CPoint(786, 315), CPoint(786, 608)},
        };
        for (const auto& st : states) {
            doc.m_trigger.SetLevel(c.source, st.level);
            doc.m_trigger.SetMarkerWord(c.source, st.state);
            screen.UpdateMarkerPositions();
            const CScopeScreen::MarkerPoint p = screen.GetMarkerPoint(c.marker);
            EXPECT_FLOAT_EQ(p.x, st.x) << c.source << " " << st.state;
            EXPECT_FLOAT_EQ(p.y, st.y) << c.source << " " << st.state;
            ScreenSurface s(800, 630);
            Draw(s);
            EXPECT_EQ(s.At(st.body.x, st.body.y), c.colour) << c.source << " " << st.state;
            EXPECT_EQ(s.At(st.empty.x, st.empty.y), kBand) << c.source << " " << st.state;
        }
        doc.m_trigger.SetMarkerWord(c.source, 0);
    }
}

// Full screen: every pointer is an open arrow in its own colour. Zero arrows at x0 = 0 run right
// from (0, y), level arrows left from (800, y), the position arrow down from (400, 0); positions
// 128 and 384 give y = 157.8 and 473.4, the external level 256 gives 315.6.
TEST_F(MarkersTest, FullScreenArrowsTakeTheirOwnPointersColours) {
    screen.SetFullScreenQuery([] { return true; });
    Resize(800, 630);
    const struct {
        std::int16_t source;
        COLORREF ch1Level, ch2Level, extLevel;
    } sources[] = {
        {0, kCh1, 0, 0}, {1, 0, kCh2, 0}, {2, kCh1, kCh2, 0}, {3, 0, 0, kExt}, {4, 0, 0, kExt},
    };
    for (const auto& src : sources) {
        doc.m_trigger.SetSource(src.source);
        ScreenSurface s(800, 630);
        Draw(s);
        EXPECT_EQ(s.At(7, 157), kCh1) << src.source;
        EXPECT_EQ(s.At(7, 473), kCh2) << src.source;
        EXPECT_EQ(s.At(400, 8), kTrig) << src.source;
        EXPECT_EQ(s.At(792, 157) == kCh1, src.ch1Level != 0) << src.source;
        EXPECT_EQ(s.At(792, 473) == kCh2, src.ch2Level != 0) << src.source;
        EXPECT_EQ(s.At(792, 315) == kExt, src.extLevel != 0) << src.source;
    }
    // X-Y: the CH1 arrow on the top edge at 0.1 x 800 + 383 x 640 / 511 = 559.7, in CH1's colour.
    doc.m_trigger.SetSource(kSourceCh1);
    doc.m_settings.SetTimeBaseFormat(kFormatXY);
    screen.UpdateMarkerPositions();
    ScreenSurface xy(800, 630);
    Draw(xy);
    xy.Save("Markers-fullscreen-xy");
    EXPECT_EQ(xy.At(559, 8), kCh1);
    EXPECT_EQ(xy.At(7, 473), kCh2);
    EXPECT_NE(xy.At(792, 157), kCh1);
}

TEST_F(MarkersTest, TheSelectedPointerIsDrawnOnTop) {
    doc.m_ch2.SetPosition(128.0f); // CH2's pointer over CH1's
    screen.UpdateMarkerPositions();
    ScreenSurface s(800, 630);
    Draw(s);
    EXPECT_EQ(screen.GetSelectedMarker(), 1);
    EXPECT_EQ(s.At(16, 164), kCh1);
    // Grab CH2 (CH1 off, so its test does not win), then show CH1 again.
    doc.m_ch1.SetOn(0);
    Drag(CentreOf(CScopeScreen::kMarkerCh2Zero), CentreOf(CScopeScreen::kMarkerCh2Zero));
    doc.m_ch1.SetOn(1);
    EXPECT_EQ(screen.GetSelectedMarker(), 2);
    Draw(s);
    EXPECT_EQ(s.At(16, 164), kCh2);
}

TEST_F(MarkersTest, FullScreenDrawsOpenArrowsAndIgnoresTheMouse) {
    screen.SetFullScreenQuery([] { return true; });
    Resize(800, 630);
    EXPECT_EQ(screen.GetPlotRect(), CRect(0, 0, 800, 630));
    EXPECT_EQ(screen.GetMarkerRect(CScopeScreen::kMarkerCh1Zero).left, 0); // x0 = 0
    ScreenSurface s(800, 630);
    Draw(s);
    s.Save("Markers-fullscreen");
    const int y = static_cast<int>(128.0f * 630.0f / 511.0f); // 157.8
    EXPECT_EQ(s.At(7, y), kCh1);                              // the arrow's shaft
    EXPECT_NE(s.At(3, y + 4), kCh1);                          // no filled body
    Press(CentreOf(CScopeScreen::kMarkerCh1Zero));
    MoveTo(CPoint(10, 400));
    EXPECT_FALSE(screen.IsDraggingMarker());
    EXPECT_FALSE(captured);
    EXPECT_FLOAT_EQ(doc.m_ch1.GetPosition(), 128.0f);
}

TEST_F(MarkersTest, HoveringGrabsAPointerAndLeavingItWithTheButtonUpLetsGo) {
    MoveTo(CentreOf(CScopeScreen::kMarkerCh1Zero), 0);
    EXPECT_TRUE(screen.IsDraggingMarker());
    EXPECT_TRUE(captured);
    EXPECT_EQ(cursor, CScopeScreen::kCursorPointer);
    MoveTo(CPoint(300, 300), 0);
    EXPECT_FALSE(screen.IsDraggingMarker());
    EXPECT_FALSE(captured);
    MoveTo(CentreOf(CScopeScreen::kMarkerTrigPos), 0);
    EXPECT_EQ(cursor, CScopeScreen::kCursorPositionPointer);
    EXPECT_EQ(screen.GetSelectedMarker(), 0);
}

TEST_F(MarkersTest, OnlyOneMouseEventInFourMovesAPointer) {
    Press(CentreOf(CScopeScreen::kMarkerCh1Zero)); // first event of the count
    screen.OnMouseMove(kLeftButton, CPoint(10, 300));
    screen.OnMouseMove(kLeftButton, CPoint(10, 300));
    EXPECT_FLOAT_EQ(doc.m_ch1.GetPosition(), 128.0f);
    EXPECT_TRUE(Ordinals().empty());
    screen.OnMouseMove(kLeftButton, CPoint(10, 300));
    EXPECT_NEAR(doc.m_ch1.GetPosition(), LevelOfY(300), 1e-3);
}

TEST_F(MarkersTest, DraggingTheCh1ZeroSetsItsPositionAndTheLevelFollows) {
    Drag(CentreOf(CScopeScreen::kMarkerCh1Zero), CPoint(10, 100));
    EXPECT_NEAR(doc.m_ch1.GetPosition(), 73.0, 1e-3);      // (100 - 14) / 602 x 511
    EXPECT_EQ(Ordinals(), (std::vector<int>{5, 6, 5, 6})); // position, then the following level
    EXPECT_NEAR(doc.m_trigger.GetLevel(0), 73.0, 1e-3);    // offset 0: the level sits on the zero
    EXPECT_EQ(doc.m_usb.GetLevelWord(kv::kLevelCh1Position), 73);
    EXPECT_EQ(screen.GetMarkerRect(CScopeScreen::kMarkerCh1Zero), CRect(2, 95, 19, 106));

    // Beyond the plot the position stops at 0 and 511.
    Drag(CentreOf(CScopeScreen::kMarkerCh1Zero), CPoint(10, 2));
    EXPECT_FLOAT_EQ(doc.m_ch1.GetPosition(), 0.0f);
    Drag(CentreOf(CScopeScreen::kMarkerCh1Zero), CPoint(10, 629));
    EXPECT_FLOAT_EQ(doc.m_ch1.GetPosition(), 511.0f);

    // A level kept 150 px below the zero leaves the plot: state 3 (below), pointer at B.
    doc.m_trigger.SetDragValue(150.0f);
    Drag(CentreOf(CScopeScreen::kMarkerCh1Zero), CPoint(10, 500));
    EXPECT_EQ(doc.m_trigger.GetMarkerWord(0), 3);
    EXPECT_NEAR(doc.m_trigger.GetLevel(0), LevelOfY(650), 1e-3);
    EXPECT_EQ(doc.m_usb.GetLevelWord(kv::kLevelCh1Trigger), 511); // the device word stays in range
    EXPECT_EQ(screen.GetMarkerRect(CScopeScreen::kMarkerCh1Level), CRect(785, 605, 796, 622));
    doc.m_trigger.SetDragValue(-150.0f);
    Drag(CentreOf(CScopeScreen::kMarkerCh1Zero), CPoint(10, 100));
    EXPECT_EQ(doc.m_trigger.GetMarkerWord(0), 2);
    Drag(CentreOf(CScopeScreen::kMarkerCh1Zero), CPoint(10, 400));
    EXPECT_EQ(doc.m_trigger.GetMarkerWord(0), 0);

    // CH2 is not the trigger source: its level stays.
    const float ch2Level = doc.m_trigger.GetLevel(1);
    Drag(CentreOf(CScopeScreen::kMarkerCh2Zero), CPoint(10, 300));
    EXPECT_NEAR(doc.m_ch2.GetPosition(), LevelOfY(300), 1e-3);
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevel(1), ch2Level);
}

// A level carried along by a dragged zero stays inside (state 0) up to and including the plot's
// edges (T = 14, B = 616) and leaves it one pixel beyond, for either channel as the trigger
// source. CH1's zero is dragged to y = 300, CH2's to y = 400, so the two never overlap.
TEST_F(MarkersTest, AFollowingLevelIsInsideUpToThePlotEdgesOnEitherChannel) {
    const struct {
        std::int16_t source;
        Marker zero;
        Marker level;
        float y;
    } channels[] = {{0, CScopeScreen::kMarkerCh1Zero, CScopeScreen::kMarkerCh1Level, 300.0f},
                    {1, CScopeScreen::kMarkerCh2Zero, CScopeScreen::kMarkerCh2Level, 400.0f}};
    for (const auto& c : channels) {
        doc.m_trigger.SetSource(c.source);
        const struct {
            float offset;
            std::int16_t state;
            float pointerY;
            float level;
        } cases[] = {
            {616.0f - c.y, 0, 616.0f, 511.0f},
            {617.0f - c.y, 3, 622.0f, static_cast<float>(LevelOfY(617))},
            {14.0f - c.y, 0, 14.0f, 0.0f},
            {13.0f - c.y, 2, 8.0f, static_cast<float>(LevelOfY(13))},
        };
        for (const auto& k : cases) {
            doc.m_trigger.SetDragValue(k.offset);
            Drag(CentreOf(c.zero), CPoint(10, static_cast<int>(c.y)));
            EXPECT_EQ(doc.m_trigger.GetMarkerWord(c.source), k.state) << c.source << " " << k.offset;
            EXPECT_NEAR(doc.m_trigger.GetLevel(c.source), k.level, 1e-3) << c.source << " " << k.offset;
            EXPECT_FLOAT_EQ(screen.GetMarkerPoint(c.level).y, k.pointerY) << c.source << " " << k.offset;
        }
    }
}

TEST_F(MarkersTest, MathAndRefDragsWriteTheTracesWithoutADeviceCall) {
    doc.m_math.SetOn(1);
    doc.m_ref.SetOn(1);
    doc.m_ref.SetPosition(100.0f);
    screen.UpdateMarkerPositions();
    Drag(CentreOf(CScopeScreen::kMarkerMath), CPoint(10, 100));
    EXPECT_NEAR(doc.m_math.GetPosition(), 73.0, 1e-3);
    EXPECT_EQ(screen.GetSelectedMarker(), 3);
    Drag(CentreOf(CScopeScreen::kMarkerRef), CPoint(10, 616));
    EXPECT_FLOAT_EQ(doc.m_ref.GetPosition(), 511.0f);
    EXPECT_EQ(screen.GetSelectedMarker(), 4);
    EXPECT_TRUE(Ordinals().empty());
}

TEST_F(MarkersTest, DraggingALevelSetsItsVoltsAndShowsTheLevelLineWhileInsideThePlot) {
    Press(CentreOf(CScopeScreen::kMarkerCh1Level));
    EXPECT_EQ(screen.GetSelectedMarker(), 5);
    MoveTo(CPoint(791, 300));
    EXPECT_NEAR(doc.m_trigger.GetLevel(0), LevelOfY(300), 1e-3);
    // The divisions between the level and CH1's zero line (position 128) on the graticule, whose
    // 8 divisions hold 511 codes, at 1 V/div: (128 - 242.77) x 8 / 511.
    EXPECT_NEAR(doc.m_trigger.GetLevelVolts(0), (128.0 - LevelOfY(300)) * 8.0 / 511.0, 1e-4);
    EXPECT_TRUE(screen.IsTriggerLevelLineOn());
    ScreenSurface s(800, 630);
    Draw(s);
    s.Save("Markers-levelline");
    EXPECT_GT(s.Count(kTrig, 22, 300, 779, 301), 300); // dash-dot-dot across the plot at y 300
    MoveTo(CPoint(791, 3));
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevel(0), 0.0f);
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevelVolts(0), 1024.0f / 511.0f); // 128 codes: 2.004 divisions
    EXPECT_FALSE(screen.IsTriggerLevelLineOn());
    MoveTo(CPoint(791, 300));
    EXPECT_TRUE(screen.IsTriggerLevelLineOn());
    Release(CPoint(791, 300)); // releasing hides it at once, before any further event
    EXPECT_FALSE(screen.IsTriggerLevelLineOn());
    MoveTo(CPoint(791, 300), 0);
    EXPECT_FALSE(screen.IsTriggerLevelLineOn());
    EXPECT_EQ(fake->CallsOf(5).size(), fake->CallsOf(6).size());
}

// A dragged level pointer shows the level line from the plot's top row (y 14, level 0) to its
// bottom row (y 616, level 511) inclusive, and hides it one pixel beyond either, where the level
// stays at the edge; the same for CH1 and for CH2 as the trigger source.
TEST_F(MarkersTest, LevelLineShowsUpToBothPlotEdgesForEitherChannel) {
    const struct {
        std::int16_t source;
        Marker level;
    } channels[] = {{0, CScopeScreen::kMarkerCh1Level}, {1, CScopeScreen::kMarkerCh2Level}};
    const struct {
        int y;
        bool line;
        float level;
    } cases[] = {{300, true, static_cast<float>(LevelOfY(300))},
                 {14, true, 0.0f},
                 {13, false, 0.0f},
                 {616, true, 511.0f},
                 {617, false, 511.0f}};
    for (const auto& ch : channels) {
        doc.m_trigger.SetSource(ch.source);
        screen.UpdateMarkerPositions();
        const float otherLevel = doc.m_trigger.GetLevel(1 - ch.source);
        Press(CentreOf(ch.level));
        for (const auto& c : cases) {
            MoveTo(CPoint(791, c.y));
            EXPECT_EQ(screen.IsTriggerLevelLineOn(), c.line) << ch.source << " y " << c.y;
            EXPECT_NEAR(doc.m_trigger.GetLevel(ch.source), c.level, 1e-3) << ch.source << " y " << c.y;
        }
        Release(CPoint(791, 617));
        EXPECT_FLOAT_EQ(doc.m_trigger.GetLevel(1 - ch.source), otherLevel) << ch.source;
        // Dragged back in, the pointer is inside again.
        Drag(CentreOf(ch.level), CPoint(791, 400));
        EXPECT_EQ(doc.m_trigger.GetMarkerWord(ch.source), 0) << ch.source;
    }
}

TEST_F(MarkersTest, WithAltTheGrabbedPointerDecidesWhichLevelChanges) {
    doc.m_trigger.SetSource(kSourceAlt);
    const float ch1Level = doc.m_trigger.GetLevel(0);
    Drag(CentreOf(CScopeScreen::kMarkerCh2Level), CPoint(791, 300));
    EXPECT_NEAR(doc.m_trigger.GetLevel(1), LevelOfY(300), 1e-3);
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevel(0), ch1Level);
    EXPECT_NEAR(doc.m_trigger.GetLevelVolts(1), (384.0 - LevelOfY(300)) * 8.0 / 511.0, 1e-4);
}

TEST_F(MarkersTest, ExternalLevelReadsInVoltsOfItsOwnScale) {
    doc.m_trigger.SetSource(kSourceExt);
    doc.m_trigger.SetLevel(2, 64.0f);
    screen.UpdateTriggerLevelVolts();
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevelVolts(2), 2.0f); // (128 - 64) / 32
    doc.m_trigger.SetSource(kSourceExt10);
    screen.UpdateTriggerLevelVolts();
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevelVolts(2), 20.0f);
    // A channel's readout is read on the graticule, with the probe: 32 codes above the zero line
    // are 32 x 8 / 511 = 0.501 divisions, at 1 V/div x10.
    doc.m_trigger.SetSource(kSourceCh1);
    doc.m_ch1.SetProbe(1);
    doc.m_trigger.SetLevel(0, 96.0f);
    screen.UpdateTriggerLevelVolts();
    EXPECT_NEAR(doc.m_trigger.GetLevelVolts(0), 10.0 * 32.0 * 8.0 / 511.0, 1e-5);
}

TEST_F(MarkersTest, TriggerPositionDragFollowsTheMouseAndStaysWithinTheRecord) {
    Drag(CentreOf(CScopeScreen::kMarkerTrigPos), CPoint(300, 6));
    EXPECT_EQ(doc.m_settings.GetHorizontalPosition(), 184); // (300 - 21 + 1) / 758 x 500
    EXPECT_EQ(Ordinals().back(), 6);
    Drag(CentreOf(CScopeScreen::kMarkerTrigPos), CPoint(900, 6));
    EXPECT_EQ(doc.m_settings.GetHorizontalPosition(), 500);
    Drag(CentreOf(CScopeScreen::kMarkerTrigPos), CPoint(0, 6));
    EXPECT_EQ(doc.m_settings.GetHorizontalPosition(), 0);
    EXPECT_EQ(screen.GetTrigPosState(), 3);

    // A plot narrower than 500 px: at x = R the formula gives (258 + 1) / 258 x 500 = 501.
    Resize(300, 630);
    Drag(CentreOf(CScopeScreen::kMarkerTrigPos), CPoint(279, 6));
    EXPECT_EQ(doc.m_settings.GetHorizontalPosition(), 500);
}

TEST_F(MarkersTest, TriggerPositionCannotBeGrabbedWhileStoppedOrOutsideYT) {
    doc.m_bRunning = 0;
    Drag(CentreOf(CScopeScreen::kMarkerTrigPos), CPoint(300, 6));
    EXPECT_EQ(doc.m_settings.GetHorizontalPosition(), 250);
    doc.m_bRunning = 1;
    for (std::int16_t format : {1, 2}) {
        doc.m_settings.SetTimeBaseFormat(format);
        Press(CentreOf(CScopeScreen::kMarkerTrigPos));
        EXPECT_FALSE(screen.IsDraggingMarker()) << format;
        Release(CPoint(0, 0));
    }
    EXPECT_EQ(doc.m_settings.GetHorizontalPosition(), 250);
}

TEST_F(MarkersTest, XYPointerDragSetsTheCh1Position) {
    doc.m_settings.SetTimeBaseFormat(kFormatXY);
    Drag(CentreOf(CScopeScreen::kMarkerXY), CPoint(400, 6));
    EXPECT_NEAR(doc.m_ch1.GetPosition(), 511.0 - (400 - 21 - 75.8) / (758 * 0.8 / 511), 1e-2);
    EXPECT_EQ(screen.GetMarkerPoint(CScopeScreen::kMarkerXY).x, 400.0f);
    Drag(CentreOf(CScopeScreen::kMarkerXY), CPoint(760, 6)); // beyond R - 0.1 W
    EXPECT_FLOAT_EQ(doc.m_ch1.GetPosition(), 0.0f);
    Drag(CentreOf(CScopeScreen::kMarkerXY), CPoint(30, 6)); // below L + 0.1 W
    EXPECT_FLOAT_EQ(doc.m_ch1.GetPosition(), 511.0f);
}

TEST_F(MarkersTest, DragToolPansTheHorizontalPositionAndSaturatesLongPans) {
    doc.m_bDrag = 1;
    screen.ResetDragAnchor();
    EXPECT_FLOAT_EQ(screen.GetDragAnchor().x, 400.0f);
    Press(CPoint(300, 300));
    EXPECT_TRUE(captured);
    EXPECT_EQ(cursor, CScopeScreen::kCursorDrag);
    EXPECT_EQ(doc.m_settings.GetHorizontalPosition(), 250); // (400 - 21 + 1) / 758 x 500
    screen.OnMouseMove(kLeftButton, CPoint(400, 300));
    EXPECT_EQ(doc.m_settings.GetHorizontalPosition(), 316); // anchor 500
    Release(CPoint(400, 300));

    // Pan right again and again: the position runs past 500 and saturates instead of wrapping.
    for (int i = 0; i < 80; ++i) {
        Press(CPoint(22, 300));
        screen.OnMouseMove(kLeftButton, CPoint(778, 300));
        Release(CPoint(778, 300));
    }
    EXPECT_EQ(doc.m_settings.GetHorizontalPosition(), 32767);
    EXPECT_EQ(screen.GetTrigPosState(), 1);
    EXPECT_EQ(screen.GetMarkerRect(CScopeScreen::kMarkerTrigPos), CRect(775, 1, 791, 12));
    for (int i = 0; i < 200; ++i) {
        Press(CPoint(778, 300));
        screen.OnMouseMove(kLeftButton, CPoint(22, 300));
        Release(CPoint(22, 300));
    }
    EXPECT_EQ(doc.m_settings.GetHorizontalPosition(), -32768);
    EXPECT_EQ(screen.GetTrigPosState(), 0);
    // Leaving the plot with the button up lets the capture go.
    MoveTo(CPoint(5, 5), 0);
    EXPECT_FALSE(captured);
}

TEST_F(MarkersTest, ZoomToolsStepTheTimeBaseAndKeepTheSidePanelInStep) {
    const std::int16_t start = doc.m_settings.GetTimeBaseIndex();
    doc.m_bZoomIn = 1;
    Press(CPoint(400, 300));
    Release(CPoint(400, 300));
    EXPECT_EQ(cursor, CScopeScreen::kCursorZoomIn);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), start - 1);
    EXPECT_EQ(ui.calls,
              (std::vector<std::string>{"Combo 0 " + std::to_string(start - 1), "RepaintTimeBaseKnob"}));
    // Outside the plot nothing happens.
    MoveTo(CPoint(5, 5), 0);
    Press(CPoint(5, 5));
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), start - 1);
    Release(CPoint(5, 5));
    // The right click goes the other way, without a plot test.
    screen.ZoomToolRightClick();
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), start);

    doc.m_bZoomIn = 0;
    doc.m_bZoomOut = 1;
    Press(CPoint(400, 300));
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), start + 1);
    screen.ZoomToolRightClick();
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), start);
    doc.m_bZoomOut = 0;
    ui.calls.clear();
    screen.ZoomToolRightClick();
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), start);
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(MarkersTest, ReleasingTheButtonEndsTheDrag) {
    Press(CentreOf(CScopeScreen::kMarkerCh1Zero));
    EXPECT_TRUE(screen.IsDraggingMarker());
    Release(CPoint(10, 300));
    EXPECT_FALSE(screen.IsDraggingMarker());
    EXPECT_FALSE(captured);
    screen.ResetDisplaySettings();
    EXPECT_FALSE(screen.IsTriggerLevelLineOn());
}

} // namespace
