// The display windows as the running program connects them: splash, mouse capture and cursor
// of the screen panel, the time-base knob, status-bar readouts and the context menu.
#include "AppTestSupport.h"

#include "WndImpl.h"
#include "app/AutoSetupProgress.h"
#include "app/DocUiBridge.h"
#include "app/MenuEx.h"
#include "app/SidePanel.h"
#include "display/Knob.h"
#include "display/SplashWnd.h"
#include "framework/Cursor.h"
#include "resources/Resource.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

using namespace apptest;

namespace {

std::unique_ptr<CKelvaneApp> StartDemo(bool splash) {
    PrepareRun("");
    if (splash)
        CKelvaneApp::SetStartupArguments({});
    ModalAnswerer answer([](CDialog& dlg) { Click(dlg, IDC_BUTTON_IGNORE); });
    auto app = std::make_unique<CKelvaneApp>();
    CKelvaneApp::SetStartupArguments({"--nosplash"});
    EXPECT_TRUE(app->InitInstance());
    return app;
}

// Starts in demo mode and lets the first pump tick show the main window.
std::unique_ptr<CKelvaneApp> StartShown() {
    auto app = StartDemo(false);
    ProcessEventsFor(120);
    return app;
}

void Mouse(CWnd& wnd, QEvent::Type type, CPoint at, bool buttonHeld) {
    const QPointF local(at.x, at.y);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held =
        buttonHeld ? Qt::MouseButtons(Qt::LeftButton) : Qt::MouseButtons(Qt::NoButton);
    QMouseEvent event(type, local, wnd.GetWidget()->mapToGlobal(local), button, held, Qt::NoModifier);
    QApplication::sendEvent(wnd.GetWidget(), &event);
}

UINT ShownCursor(CWnd& wnd) {
    return GetStandardCursorId(GetWindowCursor(&wnd));
}

CPoint Centre(const CRect& rc) {
    return CPoint((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
}

} // namespace

// --- Splash ------------------------------------------------------------------------------------

TEST(GlueSplash, ShowsOverTheHiddenMainWindowAndClosesByItsTimer) {
    QElapsedTimer clock;
    clock.start();
    auto app = StartDemo(true);
    CSplashWnd* splash = CSplashWnd::GetInstance();
    ASSERT_NE(splash, nullptr);
    // A window of its own: seen while the main window is still hidden.
    EXPECT_TRUE(splash->GetWidget()->isWindow());
    EXPECT_TRUE(splash->IsWindowVisible());
    CBitmap expected;
    ASSERT_TRUE(CKelvaneApp::LoadResourceBitmap(IDB_SPLASH, expected));
    BITMAP bm{};
    expected.GetBitmap(&bm);
    RECT rc{};
    splash->GetClientRect(&rc);
    EXPECT_EQ(rc.right, bm.bmWidth);
    EXPECT_EQ(rc.bottom, bm.bmHeight);

    // Messages pass through the splash untouched.
    MSG msg;
    msg.hwnd = splash;
    msg.message = WM_MOUSEMOVE;
    EXPECT_FALSE(app->PreTranslateMessage(&msg));
    EXPECT_EQ(CSplashWnd::GetInstance(), splash);

    while (CSplashWnd::GetInstance() && clock.elapsed() < 4000)
        ProcessEventsFor(20);
    EXPECT_EQ(CSplashWnd::GetInstance(), nullptr);
    EXPECT_GE(clock.elapsed(), 700);
    EXPECT_TRUE(app->GetMainFrame()->IsWindowVisible());
}

TEST(GlueSplash, NoSplashFlagShowsNone) {
    auto app = StartDemo(false);
    EXPECT_FALSE(CSplashWnd::IsSplashEnabled());
    EXPECT_EQ(CSplashWnd::GetInstance(), nullptr);
    ProcessEventsFor(60);
    EXPECT_EQ(CSplashWnd::GetInstance(), nullptr);
}

// With an instrument the main window appears while the splash shows: the splash stays above it,
// centred on it, for its whole time, and the keyboard stays with the main window.
TEST(GlueSplash, StaysAboveTheMainWindowCentredOnItWithoutTakingTheKeyboard) {
    PrepareRun("1");
    CKelvaneApp::SetStartupArguments({});
    QElapsedTimer clock;
    clock.start();
    CKelvaneApp app;
    CKelvaneApp::SetStartupArguments({"--nosplash"});
    ASSERT_TRUE(app.InitInstance());
    CSplashWnd* splash = CSplashWnd::GetInstance();
    ASSERT_NE(splash, nullptr);
    QWidget* shown = splash->GetWidget();
    QWidget* main = app.GetMainFrame()->GetWidget();
    ASSERT_TRUE(shown && main);
    // Above the program's windows, owned by the main window, never given the keyboard.
    EXPECT_TRUE(shown->isWindow());
    EXPECT_TRUE(shown->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(shown->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(shown->testAttribute(Qt::WA_ShowWithoutActivating));
    ASSERT_NE(shown->windowHandle(), nullptr);
    ASSERT_NE(main->windowHandle(), nullptr);
    EXPECT_EQ(shown->windowHandle()->transientParent(), main->windowHandle());

    bool togetherCentred = false, splashActive = false;
    qint64 gone = -1;
    while (clock.elapsed() < 4000 && gone < 0) {
        ProcessEventsFor(10);
        if (!CSplashWnd::GetInstance()) {
            gone = clock.elapsed();
            break;
        }
        if (main->isVisible() && shown->isVisible()) {
            // The splash must never hold the keyboard. The headless platform activates every
            // window it shows whatever its flags, so only a window system can show this.
            if (QGuiApplication::platformName() != QLatin1String("offscreen"))
                splashActive |= QApplication::activeWindow() == shown || shown->hasFocus();
            const QPoint c = shown->geometry().center() - main->geometry().center();
            togetherCentred |= std::abs(c.x()) <= 1 && std::abs(c.y()) <= 1;
        }
    }
    EXPECT_TRUE(togetherCentred) << "never shown centred over the shown main window";
    EXPECT_FALSE(splashActive) << "the splash took the keyboard from the main window";
    EXPECT_GE(gone, 700);
    EXPECT_LT(gone, 2000);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([main] { return QApplication::activeWindow() == main; }, 2000));
}

TEST(GlueSplash, QuittingWhileTheSplashShowsLeavesNoneBehind) {
    auto app = StartDemo(true);
    ASSERT_NE(CSplashWnd::GetInstance(), nullptr);
    app.reset();
    EXPECT_EQ(CSplashWnd::GetInstance(), nullptr);
    ProcessEventsFor(20);
}

// --- Screen panel: capture, cursor, readouts ----------------------------------------------------

TEST(GlueScreenPanel, DraggingTheCh1ZeroCapturesTheMouseAndMovesTheChannel) {
    auto app = StartShown();
    CKelvaneView* view = app->GetView();
    ASSERT_NE(view, nullptr);
    CKelvaneDoc& doc = *app->GetDocument();
    CScreenPanelWnd& panel = view->ScreenPanel();
    doc.m_ch1.SetOn(1);
    view->Screen().UpdateMarkerPositions();
    const float before = doc.m_ch1.GetPosition();
    const CPoint grab = Centre(view->Screen().GetMarkerRect(CScopeScreen::kMarkerCh1Zero));
    const CRect plot = view->Screen().GetPlotRect();
    const int target = std::min(grab.y + 40, plot.bottom - 2);

    Mouse(panel, QEvent::MouseButtonPress, grab, true);
    EXPECT_EQ(CWnd::GetCapture(), &panel);
    EXPECT_EQ(ShownCursor(panel), IDC_SIZENS);
    // One mouse event in four moves a pointer.
    for (int i = 0; i < 4; ++i)
        Mouse(panel, QEvent::MouseMove, CPoint(grab.x, target), true);
    EXPECT_NE(doc.m_ch1.GetPosition(), before);
    EXPECT_NEAR(view->Screen().GetMarkerPoint(CScopeScreen::kMarkerCh1Zero).y, target, 0.5);
    EXPECT_EQ(CWnd::GetCapture(), &panel) << "the drag keeps the mouse";

    Mouse(panel, QEvent::MouseButtonRelease, CPoint(grab.x, target), false);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
}

TEST(GlueScreenPanel, MouseCursorShowsWhatThePointerUnderItDoes) {
    auto app = StartShown();
    CKelvaneView* view = app->GetView();
    ASSERT_NE(view, nullptr);
    CKelvaneDoc& doc = *app->GetDocument();
    CScreenPanelWnd& panel = view->ScreenPanel();
    doc.m_ch1.SetOn(1);
    doc.m_bRunning = 1;
    view->Screen().UpdateMarkerPositions();

    Mouse(panel, QEvent::MouseMove, Centre(view->Screen().GetMarkerRect(CScopeScreen::kMarkerTrigPos)),
          false);
    EXPECT_EQ(ShownCursor(panel), IDC_SIZEWE);
    EXPECT_EQ(panel.GetWidget()->cursor().shape(), Qt::SizeHorCursor);

    Mouse(panel, QEvent::MouseMove, Centre(view->Screen().GetMarkerRect(CScopeScreen::kMarkerCh1Zero)),
          false);
    EXPECT_EQ(ShownCursor(panel), IDC_SIZENS);

    // Away from every pointer the arrow returns and the mouse is free again.
    Mouse(panel, QEvent::MouseMove, Centre(view->Screen().GetPlotRect()), false);
    EXPECT_EQ(ShownCursor(panel), IDC_ARROW);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);

    // Cursor mode: the cross over the plot.
    view->Screen().SetCursorMode(1);
    Mouse(panel, QEvent::MouseMove, Centre(view->Screen().GetPlotRect()), false);
    EXPECT_EQ(ShownCursor(panel), IDC_CROSS);
    Mouse(panel, QEvent::MouseMove, CPoint(1, 1), false);
    EXPECT_EQ(ShownCursor(panel), IDC_ARROW);
}

TEST(GlueScreenPanel, StatusBarShowsTheCursorReadoutsOfPlacedCursors) {
    auto app = StartShown();
    CKelvaneView* view = app->GetView();
    ASSERT_NE(view, nullptr);
    CMainFrame* frame = app->GetMainFrame();
    CScreenPanelWnd& panel = view->ScreenPanel();
    CScopeScreen& screen = view->Screen();
    screen.SetCursorMode(3);
    const CRect plot = screen.GetPlotRect();
    const CPoint a(plot.left + 40, plot.top + 30), b(plot.left + 140, plot.top + 90);
    Mouse(panel, QEvent::MouseButtonPress, a, true);
    Mouse(panel, QEvent::MouseMove, b, true);
    Mouse(panel, QEvent::MouseButtonRelease, b, false);
    ASSERT_TRUE(screen.IsCursorPairPlaced());
    EXPECT_EQ(screen.GetCursorA().x, a.x);
    EXPECT_EQ(screen.GetCursorB().x, b.x);

    // The pump's next tick fills the panes.
    ProcessEventsFor(100);
    const CString freq = screen.FormatCursorFreq();
    EXPECT_FALSE(freq.IsEmpty());
    EXPECT_STREQ(frame->m_wndStatusBar.GetPaneText(1), freq);
    EXPECT_STREQ(frame->m_wndStatusBar.GetPaneText(2), screen.FormatCursorTime());
    EXPECT_STREQ(frame->m_wndStatusBar.GetPaneText(3), "");

    screen.SetCursorMode(4);
    frame->UpdateStatusBar("x");
    EXPECT_STREQ(frame->m_wndStatusBar.GetPaneText(1), "");
    EXPECT_STREQ(frame->m_wndStatusBar.GetPaneText(3), screen.FormatCursorVolt());
    screen.SetCursorMode(2);
    frame->UpdateStatusBar("x");
    EXPECT_STREQ(frame->m_wndStatusBar.GetPaneText(3), screen.FormatVoltAtCursor());
}

TEST(GlueScreenPanel, ReadoutsFollowTheCursorSource) {
    CScreenPanelWnd panel;
    panel.Screen().SetCursorMode(1);
    CursorReadouts r = panel.GetCursorReadouts();
    EXPECT_EQ(r.type, 1);
    EXPECT_EQ(r.source, 0);
    EXPECT_STREQ(r.frequency, panel.Screen().FormatCursorFreq());
    EXPECT_STREQ(r.time, panel.Screen().FormatCursorTime());
    EXPECT_STREQ(r.voltageDifference, panel.Screen().FormatCursorVolt());
    EXPECT_TRUE(r.fftFrequency.IsEmpty());

    panel.Screen().SetCursorSource(CScopeScreen::kCursorSourceFft);
    r = panel.GetCursorReadouts();
    EXPECT_EQ(r.source, CScopeScreen::kCursorSourceFft);
    EXPECT_STREQ(r.fftFrequency, panel.Screen().FormatFftCursorFreq());
    EXPECT_STREQ(r.fftLevel, panel.Screen().FormatFftCursorLevel());
    EXPECT_TRUE(r.frequency.IsEmpty());
}

// --- Knob --------------------------------------------------------------------------------------------

TEST(GlueKnob, TimeBaseKnobRepaintReachesTheKnob) {
    auto app = StartShown();
    CKelvaneView* view = app->GetView();
    ASSERT_NE(view, nullptr);
    view->CreateSidePanel();
    CSidebarDlg* panel = view->GetSidePanel();
    ASSERT_NE(panel, nullptr);
    panel->ShowWindow(SW_SHOW);
    ProcessEventsFor(80);
    CKnob& knob = panel->m_knobTime;
    ASSERT_NE(knob.GetSafeHwnd(), nullptr);
    const int paints = knob.GetImpl()->presentCount;

    ASSERT_NE(app->GetDocument()->GetUi(), nullptr);
    app->GetDocument()->GetUi()->RepaintTimeBaseKnob();
    ProcessEventsFor(80);
    EXPECT_GT(knob.GetImpl()->presentCount, paints);
}

// --- Auto-setup progress window ---------------------------------------------------------------------

TEST(GlueProgress, AutoSetupProgressWindowShowsStepsAndGoes) {
    auto app = StartShown();
    IDocUi* ui = app->GetDocument()->GetUi();
    auto* bridge = dynamic_cast<CDocUiBridge*>(ui);
    ASSERT_NE(bridge, nullptr);
    ui->SetAutoSetupProgressStep(2); // nothing shows yet: ignored
    EXPECT_EQ(bridge->GetAutoSetupProgress(), nullptr);

    ui->ShowAutoSetupProgress();
    CAutosetProgressDlg* progress = bridge->GetAutoSetupProgress();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->IsWindowVisible());
    EXPECT_STREQ(progress->GetText(), progress->m_strSteps[0]);
    ui->SetAutoSetupProgressStep(3);
    EXPECT_STREQ(progress->GetText(), progress->m_strSteps[3]);

    // A second start replaces the window instead of leaving the first behind.
    ui->ShowAutoSetupProgress();
    progress = bridge->GetAutoSetupProgress();
    ASSERT_NE(progress, nullptr);
    EXPECT_STREQ(progress->GetText(), progress->m_strSteps[0]);
    ui->CloseAutoSetupProgress();
    EXPECT_EQ(bridge->GetAutoSetupProgress(), nullptr);
    ui->CloseAutoSetupProgress();
}

// --- Context menu --------------------------------------------------------------------------------------

namespace {

// Records the popup that opens next and closes it.
struct PopupCatcher {
    int actions = -1;
    int widestItem = -1;
    bool seen = false;
    QTimer timer;
    PopupCatcher() {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            seen = true;
            actions = static_cast<int>(menu->actions().size());
            for (QAction* action : menu->actions())
                widestItem = std::max(widestItem, menu->actionGeometry(action).width());
            menu->close();
        });
        timer.start();
    }
};

void RightClick(CWnd& wnd, CPoint at) {
    const QPoint local(at.x, at.y);
    QContextMenuEvent event(QContextMenuEvent::Mouse, local, wnd.GetWidget()->mapToGlobal(local));
    QApplication::sendEvent(wnd.GetWidget(), &event);
}

} // namespace

TEST(GlueContextMenu, RightClickInWindowModeStepsAZoomToolAndOpensNoMenu) {
    auto app = StartShown();
    CKelvaneView* view = app->GetView();
    ASSERT_NE(view, nullptr);
    CKelvaneDoc& doc = *app->GetDocument();
    doc.m_bZoomIn = 1;
    const std::int16_t index = doc.m_settings.GetTimeBaseIndex();
    PopupCatcher catcher;
    RightClick(view->ScreenPanel(), Centre(view->Screen().GetPlotRect()));
    ProcessEventsFor(20);
    EXPECT_FALSE(catcher.seen);
    // Zoom In's right click steps one time base slower.
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), index + 1);
}

TEST(GlueContextMenu, RightClickInFullScreenOpensTheOwnerDrawnMenuOverThePanel) {
    auto app = StartShown();
    CKelvaneView* view = app->GetView();
    ASSERT_NE(view, nullptr);
    view->OnFullScreenToggle();
    ASSERT_TRUE(view->IsFrameFullScreen());
    PopupCatcher catcher;
    RightClick(view->ScreenPanel(), CPoint(50, 50));
    EXPECT_TRUE(catcher.seen);
    EXPECT_EQ(catcher.actions, 5);
    view->OnFullScreenToggle();
}

TEST(GlueContextMenu, OwnerDrawnItemsOfAPopupOwnedByThePanelAreMeasured) {
    auto app = StartShown();
    CKelvaneView* view = app->GetView();
    ASSERT_NE(view, nullptr);
    CMenuEx menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_CONTEXT_MENU));
    CMenuEx* popup = menu.GetSubMenuEx(0);
    ASSERT_NE(popup, nullptr);
    PopupCatcher catcher;
    popup->TrackPopupMenu(TPM_LEFTALIGN, 10, 10, &view->ScreenPanel());
    EXPECT_TRUE(catcher.seen);
    // Without the owner-drawn menu's measuring every item would be zero wide.
    EXPECT_GT(catcher.widestItem, 20);
    menu.DestroyMenuEx();
}
