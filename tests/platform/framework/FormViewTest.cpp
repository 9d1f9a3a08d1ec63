#include "framework/Accelerator.h"
#include "framework/DC.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/FrameWnd.h"
#include "framework/ImageList.h"
#include "framework/PaintDC.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QSlider>

#include <gtest/gtest.h>

namespace {

constexpr UINT kForm = 9700;

void RegisterForm() {
    DialogTemplate t;
    t.id = kForm;
    t.size = SIZE{300, 200};
    DialogControlTemplate screen;
    screen.id = 1003;
    screen.kind = ControlKind::Custom;
    screen.rect = RECT{0, 30, 200, 130};
    t.controls.push_back(screen);
    DialogControlTemplate slider;
    slider.id = 1087;
    slider.kind = ControlKind::Slider;
    slider.rect = RECT{0, 140, 200, 160};
    t.controls.push_back(slider);
    DialogControlTemplate edit;
    edit.id = 1078;
    edit.kind = ControlKind::Edit;
    edit.rect = RECT{210, 140, 290, 160};
    t.controls.push_back(edit);
    RegisterDialogTemplate(t);
}

// A custom-drawn panel bound to a placeholder of the form's template.
class Screen : public CWnd {
public:
    int paints = 0;
    std::vector<CPoint> clicks;
    void OnPaint() override {
        CPaintDC dc(this);
        ++paints;
        RECT rc;
        GetClientRect(&rc);
        dc.FillSolidRect(&rc, RGB(0, 0, 0));
        dc.FillSolidRect(rc.right - 2, rc.bottom - 2, 2, 2, RGB(0, 255, 0));
    }
    void OnLButtonDown(UINT, CPoint p) override { clicks.push_back(p); }
};

class Form : public CFormView {
public:
    Form() : CFormView(kForm) {}
    Screen screen;
    int released = -1;
    short value = 0;
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, 1003, screen);
        DDX_Text(pDX, 1078, value);
    }
    void OnInitialUpdate() override {
        CFormView::OnInitialUpdate();
        OnNotifyCode(NM_RELEASEDCAPTURE, 1087,
                     [this](NMHDR* hdr, LRESULT*) { released = static_cast<int>(hdr->idFrom); });
        OnCommand(500, [] {});
        OnUpdateCommand(500, [](CCmdUI* ui) { ui->Enable(FALSE); });
    }
};

class FwFormView : public ::testing::Test {
protected:
    void SetUp() override {
        kv::EnsureApplication();
        RegisterForm();
    }
};

TEST_F(FwFormView, BoundCustomControlPaintsAndTakesMouseInput) {
    CFrameWnd frame;
    ASSERT_TRUE(frame.Create(nullptr, "Form", WS_OVERLAPPEDWINDOW, RECT{0, 0, 320, 240}));
    auto owned = std::make_unique<Form>();
    Form* form = owned.get();
    ASSERT_TRUE(frame.CreateView(std::move(owned), nullptr));
    frame.InitialUpdateFrame(nullptr, TRUE);
    QApplication::processEvents();
    ASSERT_NE(form->screen.GetWidget(), nullptr);
    EXPECT_EQ(form->screen.GetDlgCtrlID(), 1003);
    const QImage image = form->screen.GetWidget()->grab().toImage();
    EXPECT_GE(form->screen.paints, 1);
    EXPECT_EQ(image.pixelColor(5, 5), QColor(0, 0, 0));
    EXPECT_EQ(image.pixelColor(199, 99), QColor(0, 255, 0));

    QWidget* w = form->screen.GetWidget();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(12, 7), QPointF(w->mapToGlobal(QPoint(12, 7))),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    ASSERT_EQ(form->screen.clicks.size(), 1u);
    EXPECT_EQ(form->screen.clicks[0], CPoint(12, 7));

    auto* slider = qobject_cast<QSlider*>(form->GetDlgItem(1087)->GetWidget());
    emit slider->sliderReleased();
    EXPECT_EQ(form->released, 1087);

    // A 16-bit member refuses a value beyond its range and keeps the old one.
    AfxSetMessageBoxHook([](const CString&, const CString&, UINT) { return IDOK; });
    form->value = 3;
    form->SetDlgItemText(1078, "40000");
    EXPECT_FALSE(form->UpdateData(TRUE));
    EXPECT_EQ(form->value, 3);
    form->SetDlgItemText(1078, " -32768 ");
    EXPECT_TRUE(form->UpdateData(TRUE));
    EXPECT_EQ(form->value, -32768);
    AfxSetMessageBoxHook(nullptr);

    // Integer reads of a control report whether the text was a number.
    BOOL ok = TRUE;
    form->SetDlgItemText(1078, "12x");
    EXPECT_EQ(form->GetDlgItemInt(1078, &ok), 0u);
    EXPECT_FALSE(ok);
    form->SetDlgItemInt(1078, -5);
    EXPECT_EQ(static_cast<int>(form->GetDlgItemInt(1078, &ok)), -5);
    EXPECT_TRUE(ok);
    form->GetDlgItemInt(1078, &ok, FALSE);
    EXPECT_FALSE(ok); // negative is no unsigned number

    // An accelerator for a command its update handler disables runs nothing.
    ACCEL accel{FVIRTKEY, static_cast<WORD>(VK_F1 + 1), 500};
    frame.m_hAccelTable = CreateAcceleratorTable(&accel, 1);
    MSG msg;
    msg.hwnd = form;
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_F1 + 1;
    EXPECT_TRUE(frame.PreTranslateMessage(&msg));
    EXPECT_FALSE(frame.ExecuteCommand(500));
    msg.message = WM_KEYUP;
    EXPECT_FALSE(frame.PreTranslateMessage(&msg));
}

TEST_F(FwFormView, ImageListDrawsItsImagesTransparently) {
    CImageList list;
    EXPECT_EQ(list.Add(QImage(20, 20, QImage::Format_RGB32)), -1); // not created yet
    ASSERT_TRUE(list.Create(4, 4, ILC_COLOR24 | ILC_MASK, 2, 0));
    QImage strip(8, 4, QImage::Format_RGB32);
    strip.fill(QColor(255, 0, 255));
    strip.setPixelColor(5, 1, QColor(0, 0, 255));
    ASSERT_EQ(list.Add(strip, RGB(255, 0, 255)), 0);
    EXPECT_EQ(list.Add(QImage(3, 4, QImage::Format_RGB32)), -1); // narrower than one image

    CDC screen;
    ASSERT_TRUE(screen.Attach(CreateCompatibleDC(nullptr)));
    HBITMAP bmp = CreateCompatibleBitmap(screen, 10, 10);
    HGDIOBJ old = SelectObject(screen, bmp);
    screen.FillSolidRect(0, 0, 10, 10, RGB(10, 10, 10));
    EXPECT_TRUE(list.Draw(&screen, 1, POINT{2, 2}, ILD_TRANSPARENT));
    EXPECT_EQ(screen.GetPixel(3, 3), RGB(0, 0, 255));
    EXPECT_EQ(screen.GetPixel(2, 2), RGB(10, 10, 10)); // masked pixel left alone
    EXPECT_FALSE(list.Draw(&screen, 2, POINT{0, 0}, ILD_TRANSPARENT));
    EXPECT_FALSE(list.Draw(nullptr, 0, POINT{0, 0}, ILD_TRANSPARENT));
    SelectObject(screen, old);
    DeleteObject(bmp);
}

} // namespace
