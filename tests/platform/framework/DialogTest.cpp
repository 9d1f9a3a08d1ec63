#include "framework/Dialog.h"
#include "framework/CommonDialogs.h"
#include "framework/Controls.h"
#include "framework/DataExchange.h"
#include "framework/WinApp.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

constexpr UINT kDialog = 9500;

void RegisterSample() {
    DialogTemplate t;
    t.id = kDialog;
    t.caption = "Average";
    t.size = SIZE{220, 160};
    auto add = [&](UINT id, ControlKind kind, const char* text, RECT r, DWORD style = WS_VISIBLE,
                   std::vector<CString> items = {}) {
        DialogControlTemplate c;
        c.id = id;
        c.kind = kind;
        c.text = text;
        c.rect = r;
        c.style = style;
        c.items = std::move(items);
        t.controls.push_back(c);
    };
    add(1108, ControlKind::Static, "Average", RECT{5, 5, 60, 20});
    add(1109, ControlKind::Edit, "", RECT{60, 5, 120, 20});
    add(1110, ControlKind::Edit, "", RECT{60, 25, 120, 40});
    add(1088, ControlKind::CheckBox, "Persistence", RECT{5, 45, 100, 60});
    add(1091, ControlKind::RadioButton, "CH1", RECT{5, 65, 50, 80},
        WS_VISIBLE | WS_GROUP | BS_AUTORADIOBUTTON);
    add(1092, ControlKind::RadioButton, "CH2", RECT{55, 65, 100, 80}, WS_VISIBLE | BS_AUTORADIOBUTTON);
    add(1298, ControlKind::ComboBox, "", RECT{5, 85, 100, 100}, WS_VISIBLE | WS_GROUP,
        {"Min", "100mS", "200mS"});
    add(1087, ControlKind::Slider, "", RECT{105, 85, 200, 100});
    add(1306, ControlKind::Spin, "", RECT{125, 5, 140, 20}, WS_VISIBLE | UDS_SETBUDDYINT);
    add(1035, ControlKind::TabControl, "", RECT{150, 25, 210, 60});
    add(IDOK, ControlKind::Button, "OK", RECT{5, 120, 60, 140}, WS_VISIBLE | BS_DEFPUSHBUTTON);
    add(IDCANCEL, ControlKind::Button, "Cancel", RECT{70, 120, 130, 140});
    RegisterDialogTemplate(t);
}

class SampleDlg : public CDialog {
public:
    SampleDlg() : CDialog(kDialog) {}
    int count = 0;
    double width = 0;
    int persistence = 0;
    int channel = -1;
    int depth = -1;
    int grid = 0;
    CComboBox combo;
    CSpinButtonCtrl spin;
    std::function<void(SampleDlg&)> onInit;
    std::vector<int> deltas;
    int clicks = 0;
    int edits = 0;
    int selchanges = 0;

    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, 1298, combo);
        DDX_Control(pDX, 1306, spin);
        DDX_Text(pDX, 1109, count);
        DDX_Text(pDX, 1110, width);
        DDX_Check(pDX, 1088, persistence);
        DDX_Radio(pDX, 1091, channel);
        DDX_CBIndex(pDX, 1298, depth);
        DDX_Slider(pDX, 1087, grid);
    }
    BOOL OnInitDialog() override {
        OnControl(BN_CLICKED, 1088, [this] { ++clicks; });
        OnControl(EN_CHANGE, 1109, [this] { ++edits; });
        OnControl(CBN_SELCHANGE, 1298, [this] { ++selchanges; });
        OnNotifyCode(UDN_DELTAPOS, 1306, [this](NMHDR* hdr, LRESULT* result) {
            deltas.push_back(reinterpret_cast<NMUPDOWN*>(hdr)->iDelta);
            *result = deltas.size() > 1 ? 1 : 0; // refuse the second step
        });
        CDialog::OnInitDialog();
        if (onInit)
            onInit(*this);
        return TRUE;
    }
};

class FwDialog : public ::testing::Test {
protected:
    void SetUp() override {
        kv::EnsureApplication();
        RegisterSample();
    }
    void TearDown() override { AfxSetMessageBoxHook(nullptr); }
};

TEST_F(FwDialog, ModalDialogExchangesDataAndEndsWithItsResult) {
    SampleDlg dlg;
    dlg.count = 16;
    dlg.width = 2.5;
    dlg.persistence = 1;
    dlg.channel = 1;
    dlg.depth = 2;
    dlg.grid = 40;
    dlg.onInit = [](SampleDlg& d) {
        CString s;
        d.GetDlgItemText(1109, s);
        EXPECT_EQ(s, "16");
        d.GetDlgItemText(1110, s);
        EXPECT_EQ(s, "2.5");
        EXPECT_EQ(d.IsDlgButtonChecked(1088), 1u);
        EXPECT_EQ(d.IsDlgButtonChecked(1092), 1u);
        EXPECT_EQ(d.combo.GetCurSel(), 2);
        CString window;
        d.GetWindowText(window);
        EXPECT_EQ(window, "Average");
        // The user edits: the exchange reads the new values back on OK.
        d.SetDlgItemText(1109, "128");
        d.SetDlgItemText(1110, "-0.25");
        d.CheckRadioButton(1091, 1092, 1091);
        d.combo.SetCurSel(0);
        QTimer::singleShot(0, [&d] {
            auto* ok = qobject_cast<QPushButton*>(d.GetDlgItem(IDOK)->GetWidget());
            ok->click();
        });
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.count, 128);
    EXPECT_DOUBLE_EQ(dlg.width, -0.25);
    EXPECT_EQ(dlg.channel, 0);
    EXPECT_EQ(dlg.depth, 0);
    EXPECT_EQ(dlg.grid, 40);
    EXPECT_EQ(dlg.selchanges, 0); // selections made by code send no notification
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
}

TEST_F(FwDialog, BadNumberFailsTheExchangeOnceAndKeepsTheDialogOpen) {
    int boxes = 0;
    AfxSetMessageBoxHook([&](const CString& text, const CString&, UINT) {
        ++boxes;
        EXPECT_EQ(text, "Please enter an integer.");
        return IDOK;
    });
    SampleDlg dlg;
    dlg.count = 5;
    dlg.onInit = [](SampleDlg& d) {
        d.SetDlgItemText(1109, "12abc");
        d.OnOK();                                // refused: the dialog stays
        EXPECT_FALSE(d.UpdateData(TRUE, FALSE)); // silent form reports nothing
        d.SetDlgItemText(1109, "99999999999");   // beyond int: refused too
        EXPECT_FALSE(d.UpdateData(TRUE, FALSE));
        d.EndDialog(IDCANCEL);
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(dlg.count, 5);
}

TEST_F(FwDialog, EndDialogInsideInitReturnsAtOnceAndEscapeCancels) {
    SampleDlg dlg;
    dlg.onInit = [](SampleDlg& d) { d.EndDialog(1234); };
    EXPECT_EQ(dlg.DoModal(), 1234);
    SampleDlg second;
    second.onInit = [](SampleDlg& d) {
        MSG msg;
        msg.hwnd = &d;
        msg.message = WM_KEYDOWN;
        msg.wParam = VK_ESCAPE;
        EXPECT_TRUE(d.PreTranslateMessage(&msg));
    };
    EXPECT_EQ(second.DoModal(), IDCANCEL);
    CDialog missing(4242);
    EXPECT_EQ(missing.DoModal(), -1);
}

TEST_F(FwDialog, ModelessDialogIsCreatedOnceThenShownAndHidden) {
    SampleDlg dlg;
    ASSERT_TRUE(dlg.Create(kDialog));
    EXPECT_FALSE(dlg.Create(kDialog));
    EXPECT_FALSE(dlg.IsWindowVisible());
    dlg.ShowWindow(SW_SHOW);
    EXPECT_TRUE(dlg.IsWindowVisible());
    dlg.OnCancel(); // the framework's Cancel hides a modeless dialog
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_NE(dlg.GetSafeHwnd(), nullptr);
    dlg.SendMessage(WM_CLOSE);
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_NE(dlg.GetSafeHwnd(), nullptr);
}

TEST_F(FwDialog, ControlsNotifyTheirDialogAndFollowWindowsRules) {
    SampleDlg dlg;
    ASSERT_TRUE(dlg.Create(kDialog));
    auto* check = qobject_cast<QAbstractButton*>(dlg.GetDlgItem(1088)->GetWidget());
    check->click();
    EXPECT_EQ(dlg.clicks, 1);
    const int editsBefore = dlg.edits; // writing the initial values already changed the edit
    dlg.SetDlgItemText(1109, "7");
    EXPECT_EQ(dlg.edits, editsBefore + 1);
    auto* combo = qobject_cast<QComboBox*>(dlg.combo.GetWidget());
    emit combo->activated(1); // a user's choice notifies
    EXPECT_EQ(dlg.selchanges, 1);

    // Automatic radio buttons of one group exclude each other.
    auto* ch1 = qobject_cast<QRadioButton*>(dlg.GetDlgItem(1091)->GetWidget());
    auto* ch2 = qobject_cast<QRadioButton*>(dlg.GetDlgItem(1092)->GetWidget());
    ch1->click();
    ch2->click();
    EXPECT_FALSE(ch1->isChecked());
    EXPECT_TRUE(ch2->isChecked());

    // Combo lists: no selection after filling; prefix search ignores case and wraps.
    dlg.combo.ResetContent();
    dlg.combo.AddString("4.00ns");
    dlg.combo.AddString("10.0ns");
    dlg.combo.AddString("1.00us");
    EXPECT_EQ(dlg.combo.GetCurSel(), CB_ERR);
    EXPECT_EQ(dlg.combo.FindString(-1, "1"), 1);
    EXPECT_EQ(dlg.combo.FindString(1, "1"), 2);
    EXPECT_EQ(dlg.combo.FindString(2, "1"), 1);
    EXPECT_EQ(dlg.combo.FindString(-1, "1.00US"), 2);
    EXPECT_EQ(dlg.combo.FindString(-1, "2"), CB_ERR);
    EXPECT_EQ(dlg.combo.SetCurSel(9), CB_ERR);
    CString text;
    EXPECT_EQ(dlg.combo.GetLBText(5, text), CB_ERR);
    EXPECT_TRUE(text.IsEmpty());

    // The default up-down range runs from 100 down to 0: the up arrow reports -1.
    auto* spinWidget = dlg.spin.GetWidget();
    ASSERT_NE(spinWidget, nullptr);
    dlg.spin.SetBuddy(dlg.GetDlgItem(1110));
    dlg.spin.SetPos(50);
    auto arrows = spinWidget->findChildren<QAbstractButton*>();
    ASSERT_EQ(arrows.size(), 2);
    arrows[0]->click();
    ASSERT_EQ(dlg.deltas.size(), 1u);
    EXPECT_EQ(dlg.deltas[0], -1);
    EXPECT_EQ(dlg.spin.GetPos(), 49);
    dlg.GetDlgItemText(1110, text);
    EXPECT_EQ(text, "49");
    arrows[1]->click(); // refused by the handler: the position stays
    EXPECT_EQ(dlg.deltas.back(), 1);
    EXPECT_EQ(dlg.spin.GetPos(), 49);
    dlg.spin.SetRange(1, 128);
    dlg.spin.SetPos(500);
    EXPECT_EQ(dlg.spin.GetPos(), 128);

    // Edits limit their text; tabs count their items.
    CEdit edit;
    ASSERT_TRUE(edit.SubclassDlgItem(1109, &dlg));
    edit.SetLimitText(3);
    edit.SetWindowText("12345");
    edit.GetWindowText(text);
    EXPECT_EQ(text, "123");
    CTabCtrl tab;
    ASSERT_TRUE(tab.SubclassDlgItem(1035, &dlg));
    tab.InsertItem(0, "Panel");
    EXPECT_EQ(tab.GetItemCount(), 1);
    // A control class on the wrong kind of control does nothing.
    CSliderCtrl notSlider;
    ASSERT_TRUE(notSlider.SubclassDlgItem(1108, &dlg));
    notSlider.SetPos(5);
    EXPECT_EQ(notSlider.GetPos(), 0);
}

TEST_F(FwDialog, FileAndColourDialogsAreAnsweredByHooks) {
    CFileDialog::SetHook([](CFileDialog& d) {
        EXPECT_FALSE(d.IsOpenDialog());
        EXPECT_EQ(d.GetFilter(), "Word File(*.doc)|*.doc|Text File(*.txt)|*.txt||");
        EXPECT_STREQ(d.m_ofn.lpstrTitle, "Save Data As...");
        d.SetChosenPath("/tmp/out/wave"); // no extension: the default one is added
        return static_cast<INT_PTR>(IDOK);
    });
    CFileDialog save(FALSE, ".doc", nullptr, OFN_OVERWRITEPROMPT,
                     "Word File(*.doc)|*.doc|Text File(*.txt)|*.txt||");
    save.m_ofn.lpstrTitle = "Save Data As...";
    EXPECT_EQ(save.DoModal(), IDOK);
    EXPECT_EQ(save.GetPathName(), "/tmp/out/wave.doc");
    EXPECT_EQ(save.GetFileName(), "wave.doc");
    EXPECT_EQ(save.GetFileExt(), "doc");
    EXPECT_EQ(save.GetFileTitle(), "wave");
    CFileDialog::SetHook([](CFileDialog&) { return static_cast<INT_PTR>(IDCANCEL); });
    CFileDialog open(TRUE);
    EXPECT_EQ(open.DoModal(), IDCANCEL);
    EXPECT_TRUE(open.GetPathName().IsEmpty());
    CFileDialog::SetHook(nullptr);

    CColorDialog::SetHook([](CColorDialog& d) {
        EXPECT_EQ(d.GetColor(), RGB(1, 2, 3));
        d.SetCurrentColor(RGB(200, 100, 50));
        return static_cast<INT_PTR>(IDOK);
    });
    CColorDialog colour(RGB(1, 2, 3), CC_RGBINIT);
    EXPECT_EQ(colour.DoModal(), IDOK);
    EXPECT_EQ(colour.GetColor(), RGB(200, 100, 50));
    CColorDialog::SetHook(nullptr);
}

} // namespace
