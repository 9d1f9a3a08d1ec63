// Dialog windows and keys through Qt's own event path: which windows are top-level and whom they
// belong to, and which keys the main window's accelerators may take.
#include "ModalKeys.h"
#include "TestOutput.h"
#include "framework/Accelerator.h"
#include "framework/CommonDialogs.h"
#include "framework/Dialog.h"
#include "framework/FrameWnd.h"
#include "framework/PaintDC.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

namespace {

constexpr UINT kAccel = 9701;
constexpr UINT kPanel = 9702;
constexpr UINT kChildPanel = 9703;
constexpr UINT kModal = 9704;
constexpr UINT kCmdStart = 32872;
constexpr UINT kCmdStop = 32876;
constexpr UINT kCmdAuto = 32871;
constexpr UINT kCmdExit = 57665;
constexpr COLORREF kViewColour = RGB(200, 0, 0);

DialogControlTemplate Control(UINT id, ControlKind kind, const char* text, RECT r, DWORD style) {
    DialogControlTemplate c;
    c.id = id;
    c.kind = kind;
    c.text = text;
    c.rect = r;
    c.style = style;
    return c;
}

void RegisterResources() {
    RegisterAcceleratorResource(kAccel, {{FVIRTKEY, VK_RETURN, kCmdStart},
                                         {FVIRTKEY, VK_SPACE, kCmdStop},
                                         {FVIRTKEY | FCONTROL, 'A', kCmdAuto},
                                         {FVIRTKEY | FCONTROL, 'X', kCmdExit}});
    constexpr DWORD kTab = WS_VISIBLE | WS_TABSTOP;
    DialogTemplate panel;
    panel.id = kPanel;
    panel.caption = "Intensity";
    panel.size = SIZE{300, 160};
    panel.controls = {
        Control(1085, ControlKind::Static, "Grid", RECT{10, 10, 60, 30}, WS_VISIBLE),
        Control(1109, ControlKind::Edit, "", RECT{10, 40, 110, 64}, kTab),
        Control(1088, ControlKind::CheckBox, "Persistence", RECT{10, 74, 140, 98}, kTab),
        Control(IDOK, ControlKind::Button, "OK", RECT{200, 72, 280, 100}, kTab | BS_DEFPUSHBUTTON),
    };
    RegisterDialogTemplate(panel);
    DialogTemplate child = panel;
    child.id = kChildPanel;
    child.caption = "";
    child.style = WS_CHILD;
    RegisterDialogTemplate(child);
    DialogTemplate modal;
    modal.id = kModal;
    modal.caption = "Pulse Width Setting";
    modal.size = SIZE{300, 120};
    modal.controls = {
        Control(1078, ControlKind::Edit, "", RECT{10, 10, 150, 34}, kTab),
        Control(1200, ControlKind::Button, "First", RECT{10, 80, 90, 108}, kTab),
        Control(1201, ControlKind::Button, "Apply", RECT{100, 80, 180, 108}, kTab | BS_DEFPUSHBUTTON),
        Control(IDCANCEL, ControlKind::Button, "Cancel", RECT{190, 80, 270, 108}, kTab),
    };
    RegisterDialogTemplate(modal);
}

class CountingView : public CView {
public:
    int starts = 0, stops = 0, autos = 0, exits = 0;
    CountingView() {
        OnCommand(kCmdStart, [this] { ++starts; });
        OnCommand(kCmdStop, [this] { ++stops; });
        OnCommand(kCmdAuto, [this] { ++autos; });
        OnCommand(kCmdExit, [this] { ++exits; });
    }
    int Fired() const { return starts + stops + autos + exits; }
    void OnDraw(CDC* pDC) override {
        RECT rc;
        GetClientRect(&rc);
        pDC->FillSolidRect(&rc, kViewColour);
    }
};

class PanelDlg : public CDialog {
public:
    explicit PanelDlg(UINT id) : CDialog(id) {}
    int oks = 0, cancels = 0;
    void OnOK() override {
        ++oks;
        ShowWindow(SW_HIDE);
    }
    void OnCancel() override {
        ++cancels;
        CDialog::OnCancel();
    }
};

class ModalDlg : public CDialog {
public:
    explicit ModalDlg(CWnd* parent) : CDialog(kModal, parent) {
        OnControl(BN_CLICKED, 1200, [this] { EndWith(1200); });
        OnControl(BN_CLICKED, 1201, [this] { EndWith(1201); });
    }
    UINT pressed = 0;
    std::function<void(ModalDlg&)> whileOpen;
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (whileOpen)
            QTimer::singleShot(0, GetWidget(), [this] { whileOpen(*this); });
        return TRUE;
    }

private:
    void EndWith(UINT id) {
        pressed = id;
        EndDialog(IDOK);
    }
};

using kvtest::OnNextModal;
using kvtest::Press;

void Type(QWidget* inWindow, const char* text) {
    for (const char* p = text; *p; ++p)
        QTest::keyClick(inWindow->window()->windowHandle(), *p);
}

void ShowAndActivate(QWidget* w) {
    w->show();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    QApplication::processEvents();
}

class FwDialogWindows : public ::testing::Test {
protected:
    void SetUp() override {
        kv::EnsureApplication();
        RegisterResources();
        app = std::make_unique<CWinApp>("Kestra-E USB(7.0.0.1+)");
        frame = std::make_unique<CFrameWnd>();
        ASSERT_TRUE(frame->Create(nullptr, "Main", WS_OVERLAPPEDWINDOW, RECT{0, 0, 640, 480}, nullptr, 0));
        ASSERT_TRUE(frame->LoadAccelTable(kAccel));
        app->m_pMainWnd = frame.get();
        auto v = std::make_unique<CountingView>();
        view = v.get();
        ASSERT_TRUE(frame->CreateView(std::move(v), nullptr));
        ShowAndActivate(frame->GetWidget());
    }
    void TearDown() override {
        AfxSetMessageBoxHook(nullptr);
        CFileDialog::SetHook(nullptr);
        app->m_pMainWnd = nullptr;
        frame.reset();
        app.reset();
    }
    std::unique_ptr<CWinApp> app;
    std::unique_ptr<CFrameWnd> frame;
    CountingView* view = nullptr;
};

TEST_F(FwDialogWindows, PanelWithoutChildStyleIsAnOpaqueWindowOwnedByTheTopLevelWindow) {
    PanelDlg panel(kPanel);
    // Made for the view, as the program's panels are; owned by the view's frame all the same.
    ASSERT_TRUE(panel.Create(kPanel, view));
    QWidget* w = panel.GetWidget();
    panel.ShowWindow(SW_SHOW);
    QApplication::processEvents();
    EXPECT_TRUE(w->isWindow());
    EXPECT_FALSE(view->GetWidget()->isAncestorOf(w));
    EXPECT_EQ(w->parentWidget(), frame->GetWidget());
    ASSERT_NE(w->windowHandle(), nullptr);
    EXPECT_EQ(w->windowHandle()->transientParent(), frame->GetWidget()->windowHandle());
    EXPECT_EQ(w->windowTitle(), QString("Intensity"));
    const Qt::WindowFlags flags = w->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::FramelessWindowHint));
    // A spot without controls shows the dialog's own background, not the view's red below it.
    const QImage image = w->grab().toImage();
    const QColor spot = image.pixelColor(250, 20);
    EXPECT_EQ(spot.alpha(), 255);
    EXPECT_EQ(spot, w->palette().color(QPalette::Window));
    EXPECT_NE(spot, QColor(200, 0, 0));

    // The frame's close button: hidden through Cancel, not destroyed; it opens again.
    w->windowHandle()->close();
    QApplication::processEvents();
    EXPECT_FALSE(panel.IsWindowVisible());
    EXPECT_EQ(panel.cancels, 1);
    EXPECT_NE(panel.GetSafeHwnd(), nullptr);
    panel.ShowWindow(SW_SHOW);
    EXPECT_TRUE(panel.IsWindowVisible());
}

TEST_F(FwDialogWindows, ChildStyleTemplateStaysInsideItsParent) {
    PanelDlg panel(kChildPanel);
    ASSERT_TRUE(panel.Create(kChildPanel, view));
    panel.ShowWindow(SW_SHOW);
    EXPECT_FALSE(panel.GetWidget()->isWindow());
    EXPECT_EQ(panel.GetWidget()->parentWidget(), view->GetWidget());
    EXPECT_EQ(panel.GetTopLevelParent(), frame.get());
}

TEST_F(FwDialogWindows, TextsTooLongForTheirTemplateRectangleGrowUpToTheNextControl) {
    PanelDlg panel(kPanel);
    ASSERT_TRUE(panel.Create(kPanel, nullptr));
    panel.ShowWindow(SW_SHOW);
    QApplication::processEvents();
    auto* label = qobject_cast<QLabel*>(panel.GetDlgItem(1085)->GetWidget());
    auto* check = qobject_cast<QCheckBox*>(panel.GetDlgItem(1088)->GetWidget());
    // A translation longer than the 50-pixel label: nothing stands to its right.
    panel.SetDlgItemText(1085, "Intensite de la grille de fond");
    panel.SetDlgItemText(1088, "Persistance des traces a l'ecran");
    QApplication::processEvents();
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
    // The OK button is in the check box's row: the check box stops short of it.
    EXPECT_LT(check->geometry().right(), panel.GetDlgItem(IDOK)->GetWidget()->x());
    EXPECT_GT(check->width(), 130);
}

TEST_F(FwDialogWindows, ModalDialogHandlesItsOwnKeys) {
    // Enter in the edit presses the default button, not the first one, and starts nothing.
    ModalDlg first(view);
    QString typed;
    first.whileOpen = [&](ModalDlg& d) {
        auto* edit = qobject_cast<QLineEdit*>(d.GetDlgItem(1078)->GetWidget());
        edit->setFocus();
        Type(edit, "a b");
        Press(edit, Qt::Key_A, Qt::ControlModifier); // selects all, runs no Auto Setup
        Press(edit, Qt::Key_X, Qt::ControlModifier); // cuts, quits nothing
        Type(edit, "12 ns");
        Press(edit, Qt::Key_Backspace);
        typed = edit->text();
        Press(edit, Qt::Key_Return);
    };
    EXPECT_EQ(first.DoModal(), IDOK);
    EXPECT_EQ(first.pressed, 1201u);
    EXPECT_EQ(typed, QString("12 n"));
    EXPECT_EQ(view->Fired(), 0);

    // Tab walks the controls in template order; Space presses the focused button.
    ModalDlg second(view);
    int afterTab = 0;
    int afterBackTab = 0;
    second.whileOpen = [&](ModalDlg& d) {
        d.GetDlgItem(1078)->GetWidget()->setFocus();
        Press(d.GetWidget(), Qt::Key_Tab);
        Press(d.GetWidget(), Qt::Key_Tab);
        afterTab = QApplication::focusWidget()->property("kv_id").toInt();
        Press(d.GetWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        afterBackTab = QApplication::focusWidget()->property("kv_id").toInt();
        Press(d.GetWidget(), Qt::Key_Space);
    };
    EXPECT_EQ(second.DoModal(), IDOK);
    EXPECT_EQ(afterTab, 1201);
    EXPECT_EQ(afterBackTab, 1200);
    EXPECT_EQ(second.pressed, 1200u);
    EXPECT_EQ(view->Fired(), 0);

    // Escape cancels.
    ModalDlg third(view);
    third.whileOpen = [&](ModalDlg& d) { Press(d.GetWidget(), Qt::Key_Escape); };
    EXPECT_EQ(third.DoModal(), IDCANCEL);
    EXPECT_EQ(third.pressed, 0u);
    EXPECT_EQ(view->Fired(), 0);
}

TEST_F(FwDialogWindows, MainWindowKeysRunAcceleratorsButEditingKeysStayInEdits) {
    PanelDlg child(kChildPanel);
    ASSERT_TRUE(child.Create(kChildPanel, view));
    child.ShowWindow(SW_SHOW);
    view->GetWidget()->setFocus();
    QApplication::processEvents();
    Press(view->GetWidget(), Qt::Key_Return);
    Press(view->GetWidget(), Qt::Key_Space);
    EXPECT_EQ(view->starts, 1);
    EXPECT_EQ(view->stops, 1);
    // An edit inside the main window keeps its editing keys; Enter is no editing key.
    auto* edit = qobject_cast<QLineEdit*>(child.GetDlgItem(1109)->GetWidget());
    edit->setFocus();
    Type(edit, "x y");
    Press(edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), QString("x y"));
    EXPECT_EQ(edit->selectedText(), QString("x y"));
    EXPECT_EQ(view->stops, 1);
    EXPECT_EQ(view->autos, 0);
    // Enter in a panel inside the main window presses the panel's default button.
    Press(edit, Qt::Key_Return);
    EXPECT_EQ(child.oks, 1);
    EXPECT_EQ(view->starts, 1);

    // A panel of its own keeps every key: Enter presses its default button.
    PanelDlg panel(kPanel);
    ASSERT_TRUE(panel.Create(kPanel, view));
    ShowAndActivate(panel.GetWidget());
    panel.GetDlgItem(1088)->GetWidget()->setFocus();
    Press(panel.GetWidget(), Qt::Key_Space);
    EXPECT_EQ(panel.IsDlgButtonChecked(1088), 1u);
    Press(panel.GetWidget(), Qt::Key_Return);
    EXPECT_EQ(panel.oks, 1);
    EXPECT_EQ(view->starts, 1);
    EXPECT_EQ(view->stops, 1);
}

TEST_F(FwDialogWindows, MessageBoxAnswersEnterAndSpaceAndIsCaptionedWithTheProgramTitle) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
        QString title;
        OnNextModal answer([&](QWidget* box) {
            title = box->windowTitle();
            Press(box, key);
        });
        EXPECT_EQ(AfxMessageBox("Cann't save file: x", MB_OK), IDOK);
        EXPECT_EQ(answer.seen, 1);
        EXPECT_EQ(title, QString("Kestra-E USB(7.0.0.1+)"));
    }
    // An empty caption is no caption; without an application name the main window's title shows.
    app->m_strAppName.Empty();
    QString title;
    OnNextModal answer([&](QWidget* box) {
        title = box->windowTitle();
        Press(box, Qt::Key_Escape);
    });
    kv::ShowMessageBox(frame.get(), "text", "", MB_OK);
    EXPECT_EQ(title, QString("Main"));
    EXPECT_EQ(view->Fired(), 0);
}

TEST_F(FwDialogWindows, FileDialogKeepsItsKeysAndSavesTheTypedNameWithSpaces) {
    const QString dir = QDir(QString::fromStdString(kvtest::OutputDir())).filePath("file dialog keys");
    std::filesystem::remove_all(dir.toStdString());
    QDir().mkpath(dir);
    OnNextModal answer([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->setDirectory(dir);
        QApplication::processEvents();
        Type(dialog, "scratch");
        Press(dialog, Qt::Key_A, Qt::ControlModifier);
        Press(dialog, Qt::Key_X, Qt::ControlModifier);
        Type(dialog, "my first setup");
        Press(dialog, Qt::Key_Return);
    });
    CFileDialog save(FALSE, ".set", nullptr, OFN_OVERWRITEPROMPT, "Setup File(*.set)|*.set||");
    save.m_ofn.lpstrTitle = "Save Setups As...";
    ASSERT_EQ(save.DoModal(), IDOK);
    EXPECT_EQ(answer.seen, 1);
    EXPECT_EQ(save.GetPathName(), CString((dir + "/my first setup.set").toUtf8().constData()));
    EXPECT_EQ(view->Fired(), 0);
    std::filesystem::remove_all(dir.toStdString());
}

} // namespace
