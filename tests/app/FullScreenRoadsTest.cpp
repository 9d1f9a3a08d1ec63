// Full screen as a person uses it, through Qt's event path on the real main window: entered by
// Alt+Enter, by the toolbar button and by View > Full Screen, left by Alt+Enter or the context
// menu's Window Mode, three round trips each. The window comes back to exactly its old
// placement, no menu opens by itself, and the accelerators act afterwards. Alt alone opens
// the menu bar as in any Qt application; Alt with a key never does.
#include "ShownAppSupport.h"

#include "app/FftDlg.h"
#include "app/KelvaneView.h"
#include "app/SidePanel.h"
#include "engine/KelvaneDoc.h"

#include <QComboBox>

using namespace apptest;

namespace {

class FullScreenRoads : public ShownApp {
protected:
    void SetUp() override {
        Start();
        // Somewhere other than the centre, so that an offset shows.
        window->move(137, 91);
        QApplication::processEvents();
        placed = window->geometry();
        framed = window->frameGeometry();
    }
    // Leaves full screen and checks what the person gets back.
    void ExpectBackInPlace(const char* road, int round) {
        ASSERT_FALSE(view->IsFrameFullScreen()) << road << " round " << round;
        EXPECT_FALSE(window->isFullScreen()) << road << " round " << round;
        EXPECT_EQ(window->geometry(), placed) << road << " round " << round;
        EXPECT_EQ(window->frameGeometry(), framed) << road << " round " << round;
        EXPECT_TRUE(Bar()->isVisible()) << road << " round " << round;
        EXPECT_FALSE(MenuActive()) << road << " round " << round;
    }
    void ExpectFullScreen(const char* road, int round) {
        ASSERT_TRUE(view->IsFrameFullScreen()) << road << " round " << round;
        EXPECT_EQ(window->geometry(), window->screen()->geometry()) << road << " round " << round;
        EXPECT_FALSE(Bar()->isVisible()) << road << " round " << round;
        EXPECT_FALSE(MenuActive()) << road << " round " << round;
    }
    // Space stops and Enter starts, as typed into the main window.
    void ExpectAcceleratorsAct() {
        ASSERT_EQ(doc->m_bRunning, 1);
        Key(Qt::Key_Space);
        EXPECT_EQ(doc->m_bRunning, 0);
        Key(Qt::Key_Return);
        EXPECT_EQ(doc->m_bRunning, 1);
        const int ch2 = doc->m_ch2.IsOn();
        Key(Qt::Key_2, Qt::ControlModifier);
        EXPECT_NE(doc->m_ch2.IsOn(), ch2);
        Key(Qt::Key_2, Qt::ControlModifier);
        EXPECT_EQ(doc->m_ch2.IsOn(), ch2);
    }
    QRect placed;
    QRect framed;
};

TEST_F(FullScreenRoads, AltEnterThereAndBackThreeTimes) {
    for (int round = 0; round < 3; ++round) {
        AltChord(Qt::Key_Return);
        ExpectFullScreen("Alt+Enter", round);
        AltChord(Qt::Key_Return);
        ExpectBackInPlace("Alt+Enter", round);
    }
    ExpectAcceleratorsAct();
}

TEST_F(FullScreenRoads, ToolbarButtonThereAltEnterBackThreeTimes) {
    for (int round = 0; round < 3; ++round) {
        ClickToolbarButton(ID_VIEW_FULL_SCREEN);
        ExpectFullScreen("toolbar", round);
        AltChord(Qt::Key_Return);
        ExpectBackInPlace("toolbar", round);
    }
    ExpectAcceleratorsAct();
}

TEST_F(FullScreenRoads, ViewMenuThereWindowModeOrAltEnterBackThreeTimes) {
    for (int round = 0; round < 3; ++round) {
        ClickMenuItem("View", "Full Screen");
        ExpectFullScreen("View > Full Screen", round);
        if (round == 1) {
            // The context menu of the full screen: Window Mode.
            PopupWatcher choose([](QMenu* menu) {
                for (QAction* a : menu->actions())
                    if (a->text() == "Window Mode")
                        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier,
                                          menu->actionGeometry(a).center());
                if (menu->isVisible()) // no such item: the failure shows below, the test goes on
                    menu->close();
            });
            QWidget* panel = view->ScreenPanel().GetWidget();
            QTest::mouseClick(window->windowHandle(), Qt::RightButton, Qt::NoModifier,
                              panel->mapTo(window, panel->rect().center()));
            ProcessEventsFor(20);
            EXPECT_TRUE(choose.done);
        } else {
            AltChord(Qt::Key_Return);
        }
        ExpectBackInPlace("View > Full Screen", round);
    }
    ExpectAcceleratorsAct();
}

TEST_F(FullScreenRoads, TheReportedSequenceOpensNoMenuAndLeavesTheKeysWorking) {
    // Click the screen, Space, Enter, Ctrl+1 twice, Alt+Enter six times, View > Down > Return
    // (the side bar goes), click the screen, Alt+Enter twice.
    QWidget* panel = view->ScreenPanel().GetWidget();
    QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, panel->rect().center());
    Key(Qt::Key_Space);
    EXPECT_EQ(doc->m_bRunning, 0);
    Key(Qt::Key_Return);
    EXPECT_EQ(doc->m_bRunning, 1);
    Key(Qt::Key_1, Qt::ControlModifier);
    Key(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(doc->m_ch1.IsOn(), 1);
    for (int i = 0; i < 6; ++i) {
        AltChord(Qt::Key_Return);
        EXPECT_EQ(view->IsFrameFullScreen(), i % 2 == 0) << i;
        EXPECT_FALSE(MenuActive()) << i;
    }
    ExpectBackInPlace("Alt+Enter", 6);
    QAction* viewMenu = Bar()->actions().at(1);
    QTest::mouseClick(Bar(), Qt::LeftButton, Qt::NoModifier, Bar()->actionGeometry(viewMenu).center());
    ASSERT_NE(OpenMenu(), nullptr);
    Key(Qt::Key_Down);
    Key(Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(view->m_bSidebarVisible, 0);
    QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, panel->rect().center());
    AltChord(Qt::Key_Return);
    ExpectFullScreen("Alt+Enter", 7);
    AltChord(Qt::Key_Return);
    ExpectBackInPlace("Alt+Enter", 8);
    EXPECT_EQ(view->m_bSidebarVisible, 0);
    ExpectAcceleratorsAct();
    Key(Qt::Key_F2); // a function key reaches its command too: the FFT panel opens
    bool fftShown = false;
    for (QWidget* w : QApplication::topLevelWidgets())
        fftShown |= w->isVisible() && dynamic_cast<CFftDlg*>(CWnd::FromWidget(w)) != nullptr;
    EXPECT_TRUE(fftShown);
}

TEST_F(FullScreenRoads, TheKeyboardComesBackToTheControlThatHadIt) {
    QComboBox* timeDiv = nullptr;
    for (QComboBox* combo : view->GetSidePanel()->GetWidget()->findChildren<QComboBox*>())
        if (combo->property("kv_id").toInt() == IDC_TIMEDIV)
            timeDiv = combo;
    ASSERT_NE(timeDiv, nullptr);
    timeDiv->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), timeDiv);
    AltChord(Qt::Key_Return);
    ExpectFullScreen("Alt+Enter", 0);
    // The side bar is gone: the keyboard is the view's, and Space stops.
    EXPECT_EQ(QApplication::focusWidget(), view->GetWidget());
    Key(Qt::Key_Space);
    EXPECT_EQ(doc->m_bRunning, 0);
    Key(Qt::Key_Return);
    AltChord(Qt::Key_Return);
    ExpectBackInPlace("Alt+Enter", 0);
    EXPECT_EQ(QApplication::focusWidget(), timeDiv);
    const int index = doc->m_settings.GetTimeBaseIndex();
    Key(Qt::Key_Down);
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), index + 1);
}

TEST_F(FullScreenRoads, AltAloneOpensTheMenuBarAndAltWithAKeyNever) {
    AltTap();
    EXPECT_EQ(QApplication::focusWidget(), Bar());
    ASSERT_NE(Bar()->activeAction(), nullptr);
    EXPECT_EQ(Title(Bar()->activeAction()).remove('&'), "File");
    EXPECT_EQ(OpenMenu(), nullptr); // highlighted, not yet open
    Key(Qt::Key_Down);
    ASSERT_NE(OpenMenu(), nullptr);
    EXPECT_EQ(OpenMenu()->title().remove('&'), "File");
    Key(Qt::Key_Escape);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(MenuActive());
    // The keyboard is back with the view: Space stops.
    EXPECT_EQ(QApplication::focusWidget(), view->GetWidget());
    Key(Qt::Key_Space);
    EXPECT_EQ(doc->m_bRunning, 0);
    Key(Qt::Key_Return);

    // Alt+Enter, Alt+1 and Alt+F2 are chords: no menu is selected, none opens.
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_1, Qt::Key_F2}) {
        const bool full = view->IsFrameFullScreen();
        AltChord(key);
        EXPECT_FALSE(MenuActive()) << key;
        EXPECT_EQ(view->IsFrameFullScreen(), key == Qt::Key_Return ? !full : full) << key;
        Key(Qt::Key_Down);
        EXPECT_EQ(OpenMenu(), nullptr) << key;
    }
    AltChord(Qt::Key_Return);
    ASSERT_FALSE(view->IsFrameFullScreen());

    // A bar that keeps the focus after its keyboard mode (as Qt leaves it when nothing had the
    // keyboard before the mode began) has no say over the keys: Space stops, Enter starts.
    Bar()->setFocus(Qt::MenuBarFocusReason);
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), Bar());
    ASSERT_EQ(Bar()->activeAction(), nullptr);
    Key(Qt::Key_Space);
    EXPECT_EQ(doc->m_bRunning, 0);
    Key(Qt::Key_Return);
    EXPECT_EQ(doc->m_bRunning, 1);
    EXPECT_EQ(OpenMenu(), nullptr);

    // Alt alone again still opens the bar.
    AltTap();
    ASSERT_NE(Bar()->activeAction(), nullptr);
    AltTap(); // a second Alt leaves the bar
    EXPECT_FALSE(MenuActive());
}

} // namespace
