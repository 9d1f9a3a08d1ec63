// The bars above and below the screen panel and the side panel's knobs repaint only when what
// they show changed: a pump tick without a change neither draws them again nor hands them to
// Qt, an exposure still shows their last picture, and a change shows at the next tick. Pictures
// are compared pixel by pixel with the same window's picture drawn afresh on a memory context.
#include "AppTestSupport.h"

#include "../display/PixelSurface.h"
#include "PaintSurface.h"
#include "WndImpl.h"
#include "app/SidePanel.h"
#include "display/Knob.h"
#include "engine/SettingsCodes.h"
#include "resources/Resource.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

using namespace apptest;

namespace {

constexpr COLORREF kBarGrey = RGB(50, 50, 50);
constexpr COLORREF kBoxBlack = RGB(0, 0, 0);
constexpr COLORREF kStateGreen = RGB(0, 255, 0);

COLORREF At(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

int Count(const QImage& image, COLORREF c, const CRect& area) {
    int n = 0;
    for (int y = std::max(0, static_cast<int>(area.top));
         y < std::min(image.height(), static_cast<int>(area.bottom)); ++y)
        for (int x = std::max(0, static_cast<int>(area.left));
             x < std::min(image.width(), static_cast<int>(area.right)); ++x)
            n += At(image, x, y) == c;
    return n;
}

// Pixels where the window's shown picture differs from `expected`.
int Differences(const QImage& shown, const PixelSurface& expected) {
    if (shown.width() != expected.w || shown.height() != expected.h)
        return -1;
    int n = 0;
    for (int y = 0; y < expected.h; ++y)
        for (int x = 0; x < expected.w; ++x)
            n += At(shown, x, y) != expected.At(x, y);
    return n;
}

class UnchangedWindows : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareRun("");
        ModalAnswerer ignore([](CDialog& dlg) { Click(dlg, IDC_BUTTON_IGNORE); });
        app = std::make_unique<CKelvaneApp>();
        ASSERT_TRUE(app->InitInstance());
        view = app->GetView();
        doc = app->GetDocument();
        ASSERT_TRUE(view && doc);
        view->PumpTick(); // the main window shown at its default size
        // From here the ticks are driven one at a time, with the event loop between them.
        view->GetImpl()->timers.at(view->m_nPumpTimer)->stop();
        ProcessEventsFor(100);
        Tick();
    }

    void Tick() {
        view->PumpTick();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    static int Presented(CWnd& wnd) { return wnd.GetImpl()->presentCount; }
    // What the window shows when Qt paints it anew into an image (an exposure).
    static QImage Shown(CWnd& wnd) { return wnd.GetWidget()->grab().toImage(); }
    // The picture last handed to Qt, read without painting.
    static QImage LastHanded(CWnd& wnd) { return wnd.GetImpl()->surface->Image(); }
    static CRect Client(CWnd& wnd) {
        RECT rc;
        wnd.GetClientRect(&rc);
        return CRect(rc);
    }

    // The bars' pictures drawn afresh for the document as it is now.
    PixelSurface& FreshBar() {
        const CRect rc = Client(view->ChannelInfoBar());
        surface = std::make_unique<PixelSurface>(rc.Width(), rc.Height());
        view->ChannelInfoBar().DrawBar(&surface->dc, rc);
        return *surface;
    }
    PixelSurface& FreshStrip() {
        const CRect rc = Client(view->StatusStrip());
        surface = std::make_unique<PixelSurface>(rc.Width(), rc.Height());
        view->StatusStrip().DrawStrip(&surface->dc, rc);
        return *surface;
    }

    std::unique_ptr<CKelvaneApp> app;
    CKelvaneView* view = nullptr;
    CKelvaneDoc* doc = nullptr;
    std::unique_ptr<PixelSurface> surface;
};

TEST_F(UnchangedWindows, TicksWithoutAChangeRepaintOnlyTheScreen) {
    CChannelInfoBar& bar = view->ChannelInfoBar();
    CStatusStrip& strip = view->StatusStrip();
    const int barDrawn = bar.GetDrawCount(), stripDrawn = strip.GetDrawCount();
    const int barShown = Presented(bar), stripShown = Presented(strip);
    const int screenShown = Presented(view->ScreenPanel());
    for (int i = 0; i < 10; ++i)
        Tick();
    EXPECT_EQ(Presented(view->ScreenPanel()) - screenShown, 10); // a new trace every tick
    EXPECT_EQ(bar.GetDrawCount(), barDrawn);
    EXPECT_EQ(Presented(bar), barShown);
    EXPECT_EQ(strip.GetDrawCount(), stripDrawn);
    EXPECT_EQ(Presented(strip), stripShown);
}

TEST_F(UnchangedWindows, AnExposureShowsTheKeptPictureWithoutDrawingIt) {
    CChannelInfoBar& bar = view->ChannelInfoBar();
    CStatusStrip& strip = view->StatusStrip();
    const int barDrawn = bar.GetDrawCount(), stripDrawn = strip.GetDrawCount();
    const int barShown = Presented(bar);
    bar.GetWidget()->repaint();
    EXPECT_EQ(Presented(bar), barShown + 1);

    const QImage barImage = Shown(bar);
    const QImage stripImage = Shown(strip);
    EXPECT_EQ(bar.GetDrawCount(), barDrawn);
    EXPECT_EQ(strip.GetDrawCount(), stripDrawn);
    EXPECT_EQ(Differences(barImage, FreshBar()), 0);
    EXPECT_EQ(Differences(stripImage, FreshStrip()), 0);
    // The bars' grey, the time box (w - 98 .. w) and the state box (2..52) in black.
    const int w = barImage.width();
    EXPECT_EQ(At(barImage, 1, 1), kBarGrey);
    EXPECT_EQ(At(barImage, w - 2, 21), kBoxBlack);
    EXPECT_EQ(At(barImage, w - 99, 21), kBarGrey);
    EXPECT_EQ(At(stripImage, 1, 1), kBarGrey);
    EXPECT_EQ(At(stripImage, 3, 21), kBoxBlack);
}

TEST_F(UnchangedWindows, AChannelSettingShowsInTheBarAtTheNextTick) {
    CChannelInfoBar& bar = view->ChannelInfoBar();
    ASSERT_TRUE(doc->m_ch1.IsOn());
    ASSERT_FALSE(doc->m_ch1.IsBandwidthLimit());
    // Without the limit the CH1 box ends at x = 88; with it at 100.
    EXPECT_EQ(At(Shown(bar), 95, 21), kBarGrey);
    int drawn = bar.GetDrawCount();
    int shown = Presented(bar);
    EXPECT_TRUE(view->OnCmdMsg(ID_CH1_BWLIMIT, nullptr));
    Tick();
    EXPECT_EQ(bar.GetDrawCount(), drawn + 1);
    EXPECT_EQ(Presented(bar), shown + 1);
    QImage image = Shown(bar);
    EXPECT_EQ(At(image, 95, 21), kBoxBlack);
    EXPECT_EQ(Differences(image, FreshBar()), 0);

    // CH1 off: its box goes dark grey, CH2's stays where it was.
    drawn = bar.GetDrawCount();
    EXPECT_TRUE(view->OnCmdMsg(ID_CH1_ONOFF, nullptr));
    ASSERT_FALSE(doc->m_ch1.IsOn());
    Tick();
    EXPECT_EQ(bar.GetDrawCount(), drawn + 1);
    image = Shown(bar);
    EXPECT_EQ(At(image, 5, 21), kBarGrey);
    EXPECT_EQ(At(image, 133, 21), kBoxBlack);
    EXPECT_EQ(Differences(image, FreshBar()), 0);

    // Nothing changed since: the next ticks leave the bar alone.
    drawn = bar.GetDrawCount();
    shown = Presented(bar);
    Tick();
    Tick();
    EXPECT_EQ(bar.GetDrawCount(), drawn);
    EXPECT_EQ(Presented(bar), shown);
}

TEST_F(UnchangedWindows, ATriggerSourceChangeShowsInTheStripAtTheNextTick) {
    CStatusStrip& strip = view->StatusStrip();
    ASSERT_EQ(doc->m_trigger.GetSource(), kSourceCh1);
    const CRect right = strip.GetRightBox();
    const CRect label(right.left + 20, 8, right.left + 46, 20);
    const COLORREF ch2 = doc->m_ch2.GetColor();
    ASSERT_NE(ch2, doc->m_ch1.GetColor());
    EXPECT_EQ(Count(Shown(strip), ch2, label), 0); // "CH1" on the CH1 colour
    const int drawn = strip.GetDrawCount();
    EXPECT_TRUE(view->OnCmdMsg(ID_TRIG_SOURCE_FIRST + 1, nullptr));
    Tick();
    EXPECT_EQ(strip.GetDrawCount(), drawn + 1);
    const QImage image = Shown(strip);
    EXPECT_GT(Count(image, ch2, label), 20); // "CH2" on the CH2 colour
    EXPECT_EQ(Differences(image, FreshStrip()), 0);
}

// ALT alternates the level readout by the strip's own paints, so the strip is drawn at every
// tick: CH1's level for 19 paints, CH2's for the next 22. (Reading the picture by a paint of
// its own would count as one more paint: the one handed to Qt is read instead.)
TEST_F(UnchangedWindows, WithAltTriggerTheStripIsDrawnEveryTickAndAlternates) {
    CStatusStrip& strip = view->StatusStrip();
    EXPECT_TRUE(view->OnCmdMsg(ID_TRIG_SOURCE_FIRST + 2, nullptr));
    ASSERT_EQ(doc->m_trigger.GetSource(), kSourceAlt);
    const CRect right = strip.GetRightBox();
    const CRect level(right.left + 48, 2, right.right, 23);
    const COLORREF ch1 = doc->m_ch1.GetColor(), ch2 = doc->m_ch2.GetColor();
    // 1 = CH1's colour, 2 = CH2's, per tick.
    std::vector<int> shown;
    for (int i = 0; i < 90; ++i) {
        const int drawn = strip.GetDrawCount();
        Tick();
        ASSERT_EQ(strip.GetDrawCount(), drawn + 1) << "tick " << i;
        const QImage image = LastHanded(strip);
        const bool one = Count(image, ch1, level) > 0, two = Count(image, ch2, level) > 0;
        ASSERT_NE(one, two) << "tick " << i;
        shown.push_back(one ? 1 : 2);
    }
    // Runs of one colour after the first change: 22 of CH2, 19 of CH1, alternating.
    std::size_t at = 1;
    while (at < shown.size() && shown[at] == shown[at - 1])
        ++at;
    ASSERT_LT(at, 45u);
    std::vector<int> runs;
    for (std::size_t i = at; i < shown.size();) {
        std::size_t j = i;
        while (j < shown.size() && shown[j] == shown[i])
            ++j;
        if (j < shown.size())
            runs.push_back((shown[i] == 1 ? 100 : 200) + static_cast<int>(j - i));
        i = j;
    }
    ASSERT_GE(runs.size(), 2u);
    for (int run : runs)
        EXPECT_TRUE(run == 119 || run == 222) << run;
}

// AUTO blinks by the pump's counter: the strip is drawn again only when the blink turns on
// (counter 21) and off (after 39), and shows the inverted text in between.
TEST_F(UnchangedWindows, ABlinkingStateIsDrawnOnlyWhenItTurns) {
    CStatusStrip& strip = view->StatusStrip();
    const CRect left = strip.GetLeftBox();
    doc->m_nRunStatus = 3;
    doc->m_nStatusTick = 0;
    strip.RepaintIfChanged();
    QCoreApplication::processEvents();
    const int plainGreen = Count(Shown(strip), kStateGreen, left);
    const int drawn = strip.GetDrawCount();
    std::map<int, int> drawnAt;
    int invertedGreen = 0;
    for (int step = 1; step <= 40; ++step) {
        const int before = strip.GetDrawCount();
        doc->AdvanceStatusTick();
        strip.RepaintIfChanged();
        QCoreApplication::processEvents();
        if (strip.GetDrawCount() != before)
            drawnAt[doc->m_nStatusTick] = strip.GetDrawCount() - before;
        if (doc->m_nStatusTick == 30)
            invertedGreen = Count(Shown(strip), kStateGreen, left);
    }
    EXPECT_EQ(strip.GetDrawCount() - drawn, 2);
    EXPECT_EQ(drawnAt, (std::map<int, int>{{0, 1}, {21, 1}}));
    // "AUTO" in black on green while inverted: far more green in the box than the text alone.
    EXPECT_GT(plainGreen, 10);
    EXPECT_GT(invertedGreen, 3 * plainGreen);
    EXPECT_EQ(Count(Shown(strip), kStateGreen, left), plainGreen);
}

// --- Knob ---------------------------------------------------------------------------------------

void Mouse(CWnd& wnd, QEvent::Type type, CPoint at) {
    const QPointF local(at.x, at.y);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, wnd.GetWidget()->mapToGlobal(local), button, held, Qt::NoModifier);
    QApplication::sendEvent(wnd.GetWidget(), &event);
}

// Points on a circle about the knob's centre, by the volts/div index they turn a knob of
// `steps` steps to.
std::map<int, std::vector<CPoint>> PointsByIndex(int steps) {
    std::map<int, std::vector<CPoint>> points;
    for (int k = 0; k < 720; ++k) {
        const double angle = k * 2.0 * M_PI / 720.0;
        const CPoint p(static_cast<int>(std::lround(43.5 + 30.0 * std::sin(angle))),
                       static_cast<int>(std::lround(42.5 - 30.0 * std::cos(angle))));
        points[steps - steps * static_cast<int>(CKnob::ValueFromPoint(p.x, p.y)) / 100].push_back(p);
    }
    return points;
}

TEST_F(UnchangedWindows, AKnobDraggedWithinOneStepIsNotDrawnAgain) {
    view->CreateSidePanel();
    CSidebarDlg* panel = view->GetSidePanel();
    ASSERT_NE(panel, nullptr);
    panel->ShowWindow(SW_SHOW);
    ProcessEventsFor(80);
    CKnob& knob = panel->m_knobCh1;
    ASSERT_TRUE(doc->m_ch1.IsOn());
    ASSERT_EQ(knob.GetStepCount(), 9); // model 4: volts/div indexes 0..9
    const auto points = PointsByIndex(knob.GetStepCount());
    ASSERT_GE(points.at(3).size(), 2u);
    ASSERT_FALSE(points.at(5).empty());

    Mouse(knob, QEvent::MouseButtonPress, points.at(3).front());
    ProcessEventsFor(30);
    ASSERT_EQ(doc->m_ch1.GetVoltsPerDivIndex(), 3);
    int drawn = knob.GetDrawCount();
    const int shown = Presented(knob);

    Mouse(knob, QEvent::MouseMove, points.at(3).back()); // the same step
    ProcessEventsFor(30);
    EXPECT_EQ(doc->m_ch1.GetVoltsPerDivIndex(), 3);
    EXPECT_EQ(knob.GetDrawCount(), drawn);
    EXPECT_EQ(Presented(knob), shown);

    Mouse(knob, QEvent::MouseMove, points.at(5).front()); // two steps on
    ProcessEventsFor(30);
    EXPECT_EQ(doc->m_ch1.GetVoltsPerDivIndex(), 5);
    EXPECT_EQ(knob.GetDrawCount(), drawn + 1);
    Mouse(knob, QEvent::MouseButtonRelease, points.at(5).front());

    // Shown as drawn afresh, also after an exposure that draws nothing.
    drawn = knob.GetDrawCount();
    const QImage image = Shown(knob);
    EXPECT_EQ(knob.GetDrawCount(), drawn);
    PixelSurface fresh(CKnob::kWidth, CKnob::kHeight);
    knob.FillBackground(&fresh.dc, CRect(0, 0, CKnob::kWidth, CKnob::kHeight));
    knob.DrawKnob(&fresh.dc, CKnob::kKnobCh1);
    EXPECT_EQ(Differences(image, fresh), 0);
    // The white pointer, three quarters of the way out, for index 5: step (9 - 5) x 87 / 9.
    const CPoint end = CKnob::PointerEnd((9 - 5) * 87 / 9);
    EXPECT_EQ(At(image, 43 + 3 * (end.x - 43) / 4, 42 + 3 * (end.y - 42) / 4), RGB(255, 255, 255));
}

} // namespace
