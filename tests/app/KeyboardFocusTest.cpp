// The keyboard in the running program, through Qt's event path on the real windows: Tab reaches
// every control of the side panel and of each modeless panel, the control with the focus is
// marked (its pixels differ from the same control without the focus), and the keys a focused
// control uses are its own (Space on a check box or button, the arrows in a list or slider)
// while every other key still reaches the main window's accelerators.
#include "ShownAppSupport.h"

#include "ModalKeys.h"
#include "app/AverageDlg.h"
#include "app/CalibrateDataDlg.h"
#include "app/DemoSettingDlg.h"
#include "app/FftDlg.h"
#include "app/IntensityDlg.h"
#include "app/KelvaneView.h"
#include "app/PassFailDlg.h"
#include "app/SidePanel.h"
#include "app/WaveformColorDlg.h"
#include "engine/KelvaneDoc.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QSlider>

#include <map>
#include <set>

using namespace apptest;

namespace {

QImage Picture(QWidget* w) {
    return w->grab().toImage();
}

int DifferingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return a.width() * a.height();
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

// A control's name for messages: its class and id.
std::string Name(const QWidget* w) {
    return std::string(w->metaObject()->className()) + " " + std::to_string(w->property("kv_id").toInt());
}

class KeyboardFocus : public ShownApp {
protected:
    void SetUp() override { Start(); }

    // The dialog controls of `dialog` that Tab should reach: shown, enabled, taking Tab.
    static std::set<QWidget*> TabControls(QWidget* dialog) {
        std::set<QWidget*> controls;
        for (QWidget* w : dialog->findChildren<QWidget*>())
            if (w->property("kv_id").isValid() && !w->isWindow() && w->isVisible() && w->isEnabled() &&
                (w->focusPolicy() & Qt::TabFocus))
                controls.insert(w);
        return controls;
    }
    // Goes round the controls of `dialog` with Tab, and through each group of radio buttons with
    // the arrows (a group is one Tab stop, as on every desktop), and checks that every control
    // was reached and drew a mark while it had the focus.
    void ExpectTabReachesAndMarksEveryControl(QWidget* top, QWidget* dialog) {
        const std::set<QWidget*> expected = TabControls(dialog);
        ASSERT_FALSE(expected.empty());
        std::map<QWidget*, QImage> focused;
        std::map<QWidget*, QImage> unfocused;
        std::set<QWidget*> reached;
        QTest::keyClick(top->windowHandle(), Qt::Key_Tab); // the keyboard moves: marks show
        for (int step = 0; step < 4 * static_cast<int>(expected.size()) + 6; ++step) {
            QWidget* current = QApplication::focusWidget();
            Qt::Key key = Qt::Key_Tab;
            if (current && expected.count(current)) {
                reached.insert(current);
                focused[current] = Picture(current);
                // Within a group of radio buttons the arrows go on to the next unseen one.
                if (auto* radio = qobject_cast<QAbstractButton*>(current); radio && radio->group())
                    for (QAbstractButton* other : radio->group()->buttons())
                        if (!reached.count(other) && other->isEnabled())
                            key = Qt::Key_Down;
            }
            QTest::keyClick(top->windowHandle(), key);
            QApplication::processEvents();
            if (key == Qt::Key_Down && QApplication::focusWidget() == current)
                QTest::keyClick(top->windowHandle(), Qt::Key_Tab); // the group's last one
            if (current && expected.count(current) && QApplication::focusWidget() != current)
                unfocused[current] = Picture(current);
        }
        for (QWidget* control : expected) {
            EXPECT_TRUE(reached.count(control)) << "the keyboard never reached " << Name(control);
            if (!focused.count(control) || !unfocused.count(control))
                continue;
            EXPECT_GE(DifferingPixels(focused[control], unfocused[control]), 8)
                << "no focus mark on " << Name(control);
        }
    }
    template <class Dlg> Dlg* ShownPanel() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                if (auto* dlg = dynamic_cast<Dlg*>(CWnd::FromWidget(w)))
                    return dlg;
        return nullptr;
    }
    // Makes a shown panel the active window, as a click on its title would.
    static void Activate(QWidget* panel) {
        panel->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([panel] { return QApplication::activeWindow() == panel; }));
    }
    // Tabs in the main window until `control` has the keyboard.
    bool TabTo(QWidget* control) {
        for (int i = 0; i < 40 && QApplication::focusWidget() != control; ++i)
            Key(Qt::Key_Tab);
        return QApplication::focusWidget() == control;
    }
    QWidget* SideControl(UINT id) {
        for (QWidget* w : view->GetSidePanel()->GetWidget()->findChildren<QWidget*>())
            if (w->property("kv_id").toInt() == static_cast<int>(id))
                return w;
        return nullptr;
    }
};

TEST_F(KeyboardFocus, TheViewHasTheKeyboardAtStartAndSpaceStops) {
    EXPECT_EQ(QApplication::focusWidget(), view->GetWidget());
    Key(Qt::Key_Space);
    EXPECT_EQ(doc->m_bRunning, 0);
    Key(Qt::Key_Return);
    EXPECT_EQ(doc->m_bRunning, 1);
}

TEST_F(KeyboardFocus, TabReachesEverySidePanelControlAndMarksIt) {
    ExpectTabReachesAndMarksEveryControl(window, view->GetSidePanel()->GetWidget());
}

TEST_F(KeyboardFocus, SpaceOnAFocusedCheckBoxTogglesItAndAcquisitionRuns) {
    auto* ch1 = qobject_cast<QAbstractButton*>(SideControl(IDC_CH1_ON));
    ASSERT_NE(ch1, nullptr);
    ASSERT_TRUE(TabTo(ch1));
    ASSERT_TRUE(ch1->isChecked());
    const int status = doc->m_nRunStatus;
    Key(Qt::Key_Space);
    EXPECT_FALSE(ch1->isChecked());
    EXPECT_EQ(doc->m_ch1.IsOn(), 0);
    EXPECT_EQ(doc->m_bRunning, 1);
    EXPECT_EQ(doc->m_nRunStatus, status);
    Key(Qt::Key_Space);
    EXPECT_TRUE(ch1->isChecked());
    EXPECT_EQ(doc->m_ch1.IsOn(), 1);
    EXPECT_EQ(doc->m_bRunning, 1);

    // Keys the check box has no use for are the accelerators', acting once.
    Key(Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(doc->m_ch2.IsOn(), 0);
    EXPECT_TRUE(ch1->isChecked());
    app->GetMainFrame()->ExecuteCommand(ID_ACQUIRE_STOP);
    ASSERT_EQ(doc->m_bRunning, 0);
    Key(Qt::Key_Return);
    EXPECT_EQ(doc->m_bRunning, 1);
    EXPECT_EQ(QApplication::focusWidget(), ch1);

    // A click on the screen gives the keyboard back to the view: Space stops again.
    QWidget* panel = view->ScreenPanel().GetWidget();
    QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, panel->rect().center());
    EXPECT_EQ(QApplication::focusWidget(), view->GetWidget());
    Key(Qt::Key_Space);
    EXPECT_EQ(doc->m_bRunning, 0);
    EXPECT_TRUE(ch1->isChecked());
}

TEST_F(KeyboardFocus, ArrowsStepTheFocusedListOnlyAndOtherKeysStayAccelerators) {
    QWidget* timeDiv = SideControl(IDC_TIMEDIV);
    QWidget* volts = SideControl(IDC_CH1_VOLTDIV);
    ASSERT_TRUE(timeDiv && volts);
    const int time = doc->m_settings.GetTimeBaseIndex();
    const int ch1 = doc->m_ch1.GetVoltsPerDivIndex();
    const int ch2 = doc->m_ch2.GetVoltsPerDivIndex();
    ASSERT_TRUE(TabTo(timeDiv));
    Key(Qt::Key_Down);
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), time + 1);
    Key(Qt::Key_Up);
    Key(Qt::Key_Up);
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), time - 1);
    EXPECT_EQ(doc->m_ch1.GetVoltsPerDivIndex(), ch1);
    ASSERT_TRUE(TabTo(volts));
    Key(Qt::Key_Up);
    EXPECT_EQ(doc->m_ch1.GetVoltsPerDivIndex(), ch1 - 1);
    EXPECT_EQ(doc->m_ch2.GetVoltsPerDivIndex(), ch2);
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), time - 1);
    // A list has no use for Space and Enter: Stop and Start.
    Key(Qt::Key_Space);
    EXPECT_EQ(doc->m_bRunning, 0);
    Key(Qt::Key_Return);
    EXPECT_EQ(doc->m_bRunning, 1);
    EXPECT_EQ(QApplication::focusWidget(), volts);
    EXPECT_EQ(doc->m_ch1.GetVoltsPerDivIndex(), ch1 - 1);
}

TEST_F(KeyboardFocus, TabReachesEveryControlOfEachModelessPanelAndMarksIt) {
    struct Road {
        const char* name;
        std::function<void()> open;
        std::function<QWidget*()> panel;
    };
    auto widgetOf = [](CWnd* wnd) { return wnd ? wnd->GetWidget() : nullptr; };
    const Road roads[] = {
        {"Intensity", [this] { Key(Qt::Key_I, Qt::ControlModifier); },
         [&] { return widgetOf(ShownPanel<CIntensityDlg>()); }},
        {"FFT", [this] { Key(Qt::Key_F2); }, [&] { return widgetOf(ShownPanel<CFftDlg>()); }},
        {"Pass/Fail", [this] { Key(Qt::Key_F4); }, [&] { return widgetOf(ShownPanel<CPassFailDlg>()); }},
        // Its menu item is disabled in demo mode; the view shows it as the item would.
        {"Average", [this] { view->ShowPanel(CKelvaneView::Panel::Average); },
         [&] { return widgetOf(ShownPanel<CAverageDlg>()); }},
        {"Waveform Color", [this] { ClickMenuItem("Display", "Waveform Color"); },
         [&] { return widgetOf(ShownPanel<CWaveformColorDlg>()); }},
        {"Calibrate Data",
         [this] { Key(Qt::Key_C, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier); },
         [&] { return widgetOf(ShownPanel<CCalibrateDataDlg>()); }},
        {"Demo Setting", [this] { ClickMenuItem("Acquire", "Demo Setting"); },
         [&] { return widgetOf(ShownPanel<CDemoSettingDlg>()); }},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.name);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == window; }));
        road.open();
        QWidget* panel = road.panel();
        ASSERT_NE(panel, nullptr);
        Activate(panel);
        ExpectTabReachesAndMarksEveryControl(panel, panel);
        panel->close();
        QApplication::processEvents();
    }
}

TEST_F(KeyboardFocus, ColourSwatchesTakeTheKeyboardShowItAndOpenTheColourDialog) {
    ClickMenuItem("Display", "Waveform Color");
    auto* dlg = ShownPanel<CWaveformColorDlg>();
    ASSERT_NE(dlg, nullptr);
    QWidget* panel = dlg->GetWidget();
    Activate(panel);
    QWidget* swatch = dlg->GetDlgItem(IDC_CH1_COLOR)->GetWidget();
    for (int i = 0; i < 12 && QApplication::focusWidget() != swatch; ++i)
        QTest::keyClick(panel->windowHandle(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), swatch);
    // The mark: dots of black and white just inside the edge, on the trace's colour.
    const QImage marked = Picture(swatch);
    const int inset = CColorButton::kFocusInset;
    const COLORREF c = doc->m_ch1.GetColor();
    const QColor trace(GetRValue(c), GetGValue(c), GetBValue(c));
    int black = 0, white = 0;
    for (int x = inset; x < marked.width() - inset; ++x) {
        const QColor p = marked.pixelColor(x, inset);
        black += p == QColor(0, 0, 0);
        white += p == QColor(255, 255, 255);
    }
    EXPECT_GT(black, 10);
    EXPECT_GT(white, 10);
    EXPECT_EQ(marked.pixelColor(marked.width() / 2, marked.height() / 2), trace);
    EXPECT_EQ(marked.pixelColor(1, 1), trace);

    // Space opens the colour dialog; the chosen colour goes to CH1 and to the swatch.
    QWidget* owner = nullptr;
    kvtest::OnNextModal pick([&owner](QWidget* modal) {
        owner = modal->parentWidget();
        auto* colours = qobject_cast<QColorDialog*>(modal);
        if (!colours)
            return (void)modal->close();
        colours->setCurrentColor(QColor(10, 200, 30));
        colours->accept();
    });
    QTest::keyClick(panel->windowHandle(), Qt::Key_Space);
    ProcessEventsFor(20);
    EXPECT_EQ(pick.seen, 1);
    EXPECT_EQ(doc->m_ch1.GetColor(), RGB(10, 200, 30));
    EXPECT_TRUE(panel->isVisible());
    // Enter on the focused swatch opens it too, and does not close the panel as OK would.
    kvtest::OnNextModal cancel([](QWidget* modal) {
        if (auto* colours = qobject_cast<QColorDialog*>(modal))
            colours->reject();
        else
            modal->close();
    });
    // The colour dialog belonged to the panel, whose window the keyboard goes back to.
    EXPECT_EQ(owner, panel);
    Activate(panel);
    ASSERT_EQ(QApplication::focusWidget(), swatch);
    QTest::keyClick(panel->windowHandle(), Qt::Key_Return);
    ProcessEventsFor(20);
    EXPECT_EQ(cancel.seen, 1);
    EXPECT_EQ(doc->m_ch1.GetColor(), RGB(10, 200, 30));
    EXPECT_TRUE(panel->isVisible());
    const QImage unmarked = [&] {
        QTest::keyClick(panel->windowHandle(), Qt::Key_Tab);
        return Picture(swatch);
    }();
    EXPECT_EQ(unmarked.pixelColor(inset, inset), QColor(10, 200, 30));
}

TEST_F(KeyboardFocus, ArrowsMoveAFocusedSliderAndTheIntensityFollows) {
    Key(Qt::Key_I, Qt::ControlModifier);
    auto* dlg = ShownPanel<CIntensityDlg>();
    ASSERT_NE(dlg, nullptr);
    QWidget* panel = dlg->GetWidget();
    Activate(panel);
    auto* grid = qobject_cast<QSlider*>(dlg->GetDlgItem(IDC_INT_GRID)->GetWidget());
    ASSERT_NE(grid, nullptr);
    for (int i = 0; i < 8 && QApplication::focusWidget() != grid; ++i)
        QTest::keyClick(panel->windowHandle(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), grid);
    const int before = grid->value();
    const int time = doc->m_settings.GetTimeBaseIndex();
    QTest::keyClick(panel->windowHandle(), before > 0 ? Qt::Key_Left : Qt::Key_Right);
    ProcessEventsFor(10);
    const int after = grid->value();
    EXPECT_EQ(std::abs(after - before), 1);
    EXPECT_EQ(view->Screen().GetGridIntensity(), after);
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), time);
    EXPECT_EQ(doc->m_bRunning, 1);
}

} // namespace
