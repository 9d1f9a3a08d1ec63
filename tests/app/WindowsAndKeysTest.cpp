// The program's windows and keys as a user meets them, through Qt's event path on the real
// top-level windows: modeless panels are owned windows of their own, dialogs and message boxes
// keep their keys, and the main window's accelerators act only on the main window.
#include "AppTestSupport.h"
#include "ModalKeys.h"
#include "TestOutput.h"

#include "app/CalibrationDlg.h"
#include "app/PulseWidthDlg.h"
#include "app/RecordDlg.h"
#include "app/SaveChannelDlg.h"
#include "framework/CommonDialogs.h"
#include "resources/Resource.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

using namespace apptest;
namespace fs = std::filesystem;

namespace {

constexpr const char* kProgramTitle = "Kestra-E USB(7.0.0.1+)";

using kvtest::OnNextModal;
using kvtest::Press;

void Type(QWidget* inWindow, const char* text) {
    for (const char* p = text; *p; ++p)
        QTest::keyClick(inWindow->window()->windowHandle(), *p);
}

// The program's modeless dialog made from template `id`, found among the top-level windows.
CDialog* FindPanel(UINT id) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dlg = dynamic_cast<CDialog*>(CWnd::FromWidget(w));
        const DialogTemplate* tmpl = dlg ? kv::TemplateOf(dlg) : nullptr;
        if (tmpl && tmpl->id == id)
            return dlg;
    }
    return nullptr;
}

// A point of the window that no control covers.
QPoint FreeSpot(QWidget* window) {
    for (int y = window->height() - 3; y > 0; y -= 3)
        for (int x = window->width() - 3; x > 0; x -= 3) {
            bool covered = false;
            for (QWidget* c : window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
                covered = covered || (!c->isWindow() && c->isVisible() && c->geometry().contains(x, y));
            if (!covered)
                return QPoint(x, y);
        }
    return QPoint(1, 1);
}

std::vector<std::int16_t> ScreenTrace(const CTrace& trace) {
    const std::int16_t* p = trace.GetScreenTrace();
    return std::vector<std::int16_t>(p, p + CTrace::kScreenPoints);
}

fs::path OutputDir(const char* name) {
    fs::path dir = fs::path(kvtest::OutputDir()) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

class WindowsAndKeys : public ::testing::Test {
protected:
    void Start(const char* simulator = "") {
        app = StartAndShow(simulator);
        ASSERT_TRUE(app);
        view = app->GetView();
        doc = view->GetDocument();
        frame = app->GetMainFrame();
    }
    void TearDown() override {
        AfxSetMessageBoxHook(nullptr);
        CFileDialog::SetHook(nullptr);
        app.reset();
    }
    // Stops acquisition from the keyboard, on the scope screen, and lets a few ticks pass.
    void StopWithSpace() {
        QWidget* screen = view->ScreenPanel().GetWidget();
        QApplication::setActiveWindow(frame->GetWidget());
        screen->setFocus();
        Press(screen, Qt::Key_Space);
        ASSERT_EQ(doc->m_bRunning, 0);
        for (int i = 0; i < 3; ++i)
            view->PumpTick();
    }
    std::unique_ptr<CKelvaneApp> app;
    CKelvaneView* view = nullptr;
    CKelvaneDoc* doc = nullptr;
    CMainFrame* frame = nullptr;
};

struct PanelCase {
    CKelvaneView::Panel panel;
    UINT id;
    const char* caption;
};

const std::array<PanelCase, 7> kPanels = {{
    {CKelvaneView::Panel::Intensity, IDD_INTENSITY, "Intensity"},
    {CKelvaneView::Panel::Average, IDD_AVERAGE, "Average"},
    {CKelvaneView::Panel::PassFail, IDD_PASSFAIL, "Pass/Fail"},
    {CKelvaneView::Panel::Fft, IDD_FFT, "FFT"},
    {CKelvaneView::Panel::CalibrateData, IDD_CALIBRATE_DATA, "Calibrate Data"},
    {CKelvaneView::Panel::WaveformColor, IDD_WAVEFORM_COLOR, "Waveform Color"},
    {CKelvaneView::Panel::DemoSetting, IDD_DEMO_SETTING, "Demo Setting"},
}};

TEST_F(WindowsAndKeys, EveryPanelIsAnOpaqueWindowOwnedByTheMainWindowThatClosesToHidden) {
    Start();
    QWidget* main = frame->GetWidget();
    for (const PanelCase& c : kPanels) {
        SCOPED_TRACE(c.caption);
        view->ShowPanel(c.panel);
        ProcessEventsFor(5);
        CDialog* dlg = FindPanel(c.id);
        ASSERT_NE(dlg, nullptr);
        QWidget* w = dlg->GetWidget();
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(w->isWindow());
        EXPECT_FALSE(view->GetWidget()->isAncestorOf(w));
        EXPECT_FALSE(view->ScreenPanel().GetWidget()->isAncestorOf(w));
        ASSERT_NE(w->windowHandle(), nullptr);
        EXPECT_EQ(w->windowHandle()->transientParent(), main->windowHandle());
        EXPECT_EQ(w->windowTitle(), QString(c.caption));
        EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        const QColor spot = w->grab().toImage().pixelColor(FreeSpot(w));
        EXPECT_EQ(spot.alpha(), 255);
        EXPECT_EQ(spot, w->palette().color(QPalette::Window));

        // Every text of the panel shows whole.
        for (QLabel* label : w->findChildren<QLabel*>()) {
            if (label->isVisible() && !label->text().isEmpty() && !label->text().contains('\n') &&
                label->height() < 2 * label->fontMetrics().lineSpacing()) {
                EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
                    << label->text().toStdString();
            }
        }
        for (QAbstractButton* button : w->findChildren<QAbstractButton*>()) {
            if (!button->isVisible() || button->text().isEmpty())
                continue;
            // A push button needs its text and a little room; a check or radio box its whole hint.
            const int needed = qobject_cast<QPushButton*>(button)
                                   ? button->fontMetrics().horizontalAdvance(button->text()) + 8
                                   : button->sizeHint().width();
            EXPECT_GE(button->width(), needed) << button->text().toStdString();
        }

        // The frame's close button hides the panel; the same window opens again.
        w->windowHandle()->close();
        ProcessEventsFor(5);
        EXPECT_FALSE(dlg->IsWindowVisible());
        EXPECT_EQ(dlg->GetWidget(), w);
        view->ShowPanel(c.panel);
        EXPECT_TRUE(dlg->IsWindowVisible());
        EXPECT_EQ(FindPanel(c.id)->GetWidget(), w);
        dlg->ShowWindow(SW_HIDE);
    }
    // The side control panel stays inside the view's tab control.
    QWidget* side = view->GetSidePanel()->GetWidget();
    EXPECT_FALSE(side->isWindow());
    EXPECT_TRUE(view->SidebarFrame().GetWidget()->isAncestorOf(side));
}

TEST_F(WindowsAndKeys, DemoSettingOpensOnTheFirstDemoTickCentredOverTheScreen) {
    Start();
    CDialog* demo = FindPanel(IDD_DEMO_SETTING);
    ASSERT_NE(demo, nullptr);
    EXPECT_TRUE(demo->IsWindowVisible());
    QWidget* screen = view->ScreenPanel().GetWidget();
    const QPoint screenCentre = screen->mapToGlobal(screen->rect().center());
    const QPoint panelCentre = demo->GetWidget()->mapToGlobal(demo->GetWidget()->rect().center());
    EXPECT_LE((screenCentre - panelCentre).manhattanLength(), 4); // odd sizes round
    app.reset();

    // With an instrument there is no demo source to set.
    Start("1");
    CDialog* none = FindPanel(IDD_DEMO_SETTING);
    EXPECT_TRUE(!none || !none->IsWindowVisible());
}

TEST_F(WindowsAndKeys, EnterInModalDialogsPressesTheirDefaultButtonAndStartsNothing) {
    Start();
    StopWithSpace();

    // Calibration: OK keeps the radio chosen.
    std::int16_t choice = 1;
    CCalibrationDlg calibration(&choice, view);
    calibration.SetDocument(doc);
    OnNextModal enter1([](QWidget* w) { Press(w, Qt::Key_Return); });
    EXPECT_EQ(calibration.DoModal(), IDOK);
    EXPECT_EQ(choice, 1);

    // Save channel: OK ends with 1 and the choice of CH1.
    CSaveChannelDlg channel(view);
    channel.SetDocument(doc);
    OnNextModal enter2([](QWidget* w) { Press(w, Qt::Key_Return); });
    EXPECT_EQ(channel.DoModal(), 1);
    EXPECT_EQ(doc->m_nSaveChannel, 0);

    // Pulse width: Ctrl+A and a new number in the edit, then Enter stores it.
    CPulseWidthDlg pulse(view);
    pulse.SetDocument(doc);
    int unit = -1;
    OnNextModal enter3([&](QWidget* w) {
        auto* edit = qobject_cast<QLineEdit*>(pulse.GetDlgItem(IDC_PW_VALUE)->GetWidget());
        unit = qobject_cast<QComboBox*>(pulse.GetDlgItem(IDC_PW_UNIT)->GetWidget())->currentIndex();
        edit->setFocus();
        Press(w, Qt::Key_A, Qt::ControlModifier);
        Type(w, "50");
        Press(w, Qt::Key_Return);
    });
    EXPECT_EQ(pulse.DoModal(), IDOK);
    const double factors[] = {0.2, 200.0, 200000.0, 200000000.0};
    ASSERT_GE(unit, 0);
    EXPECT_EQ(doc->m_trigger.GetPulseWidth(), static_cast<std::int32_t>(50 * factors[unit]));
    EXPECT_EQ(doc->GetAutoSetupState(), -1); // Ctrl+A selected the text, no Auto Setup

    // Record And Play Back has no default button: Enter leaves it open, Escape closes it.
    CRecordDlg record(view);
    record.SetDocument(doc);
    record.SetView(view);
    bool openAfterEnter = false;
    OnNextModal enter4([&](QWidget* w) {
        Press(w, Qt::Key_Return);
        openAfterEnter = w->isVisible();
        Press(w, Qt::Key_Escape);
    });
    EXPECT_EQ(record.DoModal(), IDCANCEL);
    EXPECT_TRUE(openAfterEnter);

    // About: OK.
    OnNextModal enter5([](QWidget* w) { Press(w, Qt::Key_Return); });
    app->OnAppAbout();
    EXPECT_EQ(enter5.seen, 1);

    EXPECT_EQ(doc->m_bRunning, 0);
    EXPECT_EQ(doc->GetAutoSetupState(), -1);
    EXPECT_NE(app->m_pMainWnd, nullptr);
}

TEST_F(WindowsAndKeys, SaveWaveformTakesATypedNameWithSpacesAndLeavesTheStoppedTraceAlone) {
    Start();
    StopWithSpace();
    const auto ch1 = ScreenTrace(doc->m_ch1);
    const auto ch2 = ScreenTrace(doc->m_ch2);
    ASSERT_NE(ch1, ch2); // two channels with a signal of their own
    const fs::path dir = OutputDir("save waveform keys");
    QString leftInField = "?";
    OnNextModal typeName([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->setDirectory(QString::fromStdString(dir.string()));
        ProcessEventsFor(5);
        auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(field, nullptr);
        Type(dialog, "scratch");
        Press(dialog, Qt::Key_A, Qt::ControlModifier); // select all, not Auto Setup
        Press(dialog, Qt::Key_X, Qt::ControlModifier); // cut, not Exit
        leftInField = field->text();
        Type(dialog, "bench wave 2");
        Press(dialog, Qt::Key_Return); // save, not Start
    });
    frame->ExecuteCommand(ID_FILE_SAVE_WAVEFORM);
    ProcessEventsFor(20);
    EXPECT_EQ(typeName.seen, 1);
    EXPECT_TRUE(leftInField.isEmpty());
    ASSERT_TRUE(fs::exists(dir / "bench wave 2.doc"));
    EXPECT_GT(fs::file_size(dir / "bench wave 2.doc"), 0u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_EQ(doc->m_bRunning, 0);
    EXPECT_EQ(doc->GetAutoSetupState(), -1);
    EXPECT_NE(app->m_pMainWnd, nullptr);
    view->PumpTick();
    EXPECT_EQ(ScreenTrace(doc->m_ch1), ch1);
    EXPECT_EQ(ScreenTrace(doc->m_ch2), ch2);
    fs::remove_all(dir);
}

TEST_F(WindowsAndKeys, MessageBoxesTakeEnterAndSpaceAndShowTheProgramTitle) {
    Start();
    StopWithSpace();
    const fs::path dir = OutputDir("message box keys");
    const fs::path bad = dir / "not a setup.txt";
    std::ofstream(bad) << "hello";
    CFileDialog::SetHook([&](CFileDialog& d) {
        d.SetChosenPath(bad.c_str());
        return static_cast<INT_PTR>(IDOK);
    });
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
        QString title, text;
        OnNextModal answer([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            title = box->windowTitle();
            text = box->text();
            Press(box, key);
        });
        frame->ExecuteCommand(ID_FILE_LOAD_SETUPS);
        EXPECT_EQ(answer.seen, 1);
        EXPECT_EQ(text, QString("This is not a setup file!"));
        EXPECT_EQ(title, QString(kProgramTitle));
        EXPECT_EQ(doc->m_bRunning, 0); // Enter did not start, Space did not act twice
    }
    // A box with its own caption keeps it; Escape closes it.
    QString title;
    OnNextModal answer([&](QWidget* w) {
        title = w->windowTitle();
        Press(w, Qt::Key_Escape);
    });
    view->ShowNotAvailable();
    EXPECT_EQ(title, QString("Error"));
    EXPECT_EQ(doc->m_bRunning, 0);
    fs::remove_all(dir);
}

TEST_F(WindowsAndKeys, PanelsKeepTheirKeysFromTheMainWindowsAccelerators) {
    Start();
    ASSERT_EQ(doc->m_bRunning, 1);
    // Space on a radio button of the demo panel picks it and leaves acquisition running.
    CDialog* demo = FindPanel(IDD_DEMO_SETTING);
    ASSERT_NE(demo, nullptr);
    QApplication::setActiveWindow(demo->GetWidget());
    demo->GetDlgItem(IDC_DEMO_800KHZ)->GetWidget()->setFocus();
    Press(demo->GetWidget(), Qt::Key_Space);
    EXPECT_EQ(demo->IsDlgButtonChecked(IDC_DEMO_800KHZ), 1u);
    EXPECT_DOUBLE_EQ(doc->m_demo.GetFrequency(), 800.0);
    EXPECT_EQ(doc->m_bRunning, 1);

    // Ctrl+A in the Average panel's count selects it; Enter there is the panel's OK.
    view->ShowPanel(CKelvaneView::Panel::Average);
    CDialog* average = FindPanel(IDD_AVERAGE);
    ASSERT_NE(average, nullptr);
    QApplication::setActiveWindow(average->GetWidget());
    auto* count = qobject_cast<QLineEdit*>(average->GetDlgItem(IDC_AVG_COUNT)->GetWidget());
    count->setFocus();
    Press(count, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(count->selectedText(), count->text());
    EXPECT_EQ(doc->GetAutoSetupState(), -1);
    Type(count, "64");
    Press(count, Qt::Key_Return);
    EXPECT_EQ(doc->m_average.GetFramesWanted(), 64);
    EXPECT_FALSE(average->IsWindowVisible());
    EXPECT_EQ(doc->m_bRunning, 1);
    EXPECT_EQ(doc->GetAutoSetupState(), -1);

    // The same keys on the scope screen are the main window's accelerators.
    QApplication::setActiveWindow(frame->GetWidget());
    view->ScreenPanel().GetWidget()->setFocus();
    Press(view->ScreenPanel().GetWidget(), Qt::Key_Space);
    EXPECT_EQ(doc->m_bRunning, 0);
    Press(view->ScreenPanel().GetWidget(), Qt::Key_Return);
    EXPECT_EQ(doc->m_bRunning, 1);
}

} // namespace
