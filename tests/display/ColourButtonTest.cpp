// The colour button (swatch drawing, colour dialog through its test hook, where the colour
// goes) and the splash window (switch, single instance, bitmap, timing).
#include "ColourButton.h"
#include "../engine/FakeDocUi.h"
#include "Knob.h"
#include "PixelSurface.h"
#include "SplashWnd.h"
#include "engine/KelvaneDoc.h"
#include "framework/CommonDialogs.h"
#include "framework/FrameWnd.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <vector>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// Runs the event loop for up to `ms` milliseconds or until `done` answers true.
template <class Done> void Pump(int ms, Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

// --- Colour button ---------------------------------------------------------------------------------

TEST(ColorButtonDraw, FillsTheItemRectangleOnly) {
    PixelSurface s(30, 20);
    s.Fill(kWhite);
    CColorButton button;
    button.SetColor(RGB(10, 20, 200));
    DRAWITEMSTRUCT dis;
    dis.CtlType = CColorButton::kOwnerDrawButton;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = ODS_SELECTED; // no pressed look either
    dis.hDC = s.dc.GetSafeHdc();
    dis.rcItem = RECT{2, 3, 22, 13};
    button.DrawItem(&dis);
    EXPECT_EQ(s.Count(RGB(10, 20, 200)), 20 * 10);
    EXPECT_EQ(s.Count(RGB(10, 20, 200), 2, 3, 22, 13), 20 * 10);
    EXPECT_EQ(s.At(1, 3), kWhite);
    EXPECT_EQ(s.At(22, 12), kWhite);
    s.Save("ColourButton-swatch");
}

class ColorButtonClickTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc.SetDefaultSettings();
        doc.SetUi(&ui);
        view.m_pDocument = &doc;
        frame.SetActiveView(&view);
        app.m_pMainWnd = &frame;
        CColorDialog::SetHook([this](CColorDialog& dialog) {
            shownInitial = dialog.GetColor();
            shownFlags = dialog.m_cc.Flags;
            ++dialogs;
            if (!answerOk)
                return static_cast<INT_PTR>(IDCANCEL);
            dialog.SetCurrentColor(chosen);
            return static_cast<INT_PTR>(IDOK);
        });
    }
    void TearDown() override {
        CColorDialog::SetHook(nullptr);
        app.m_pMainWnd = nullptr;
    }

    CWinApp app;
    CFrameWnd frame;
    CView view;
    CKelvaneDoc doc;
    FakeDocUi ui;
    CColorButton button;
    bool answerOk = true;
    COLORREF chosen = RGB(1, 2, 3);
    COLORREF shownInitial = 0;
    DWORD shownFlags = 0;
    int dialogs = 0;
};

TEST_F(ColorButtonClickTest, ChosenColourGoesToTheButtonAndTheChannel) {
    button.m_nTrace = 1;
    button.SetColor(RGB(100, 110, 120));
    button.OnLButtonUp(0, CPoint(3, 3));
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(shownInitial, RGB(100, 110, 120));
    EXPECT_TRUE(shownFlags & CC_RGBINIT);
    EXPECT_EQ(button.GetColor(), chosen);
    EXPECT_EQ(doc.m_ch2.GetColor(), chosen);
    // CH1 and CH2 repaint the view's windows at once.
    EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "Repaint"), ui.calls.end());
}

TEST_F(ColorButtonClickTest, MathAndRefTakeTheColourWithoutARepaint) {
    button.m_nTrace = 2;
    button.OnLButtonUp(0, CPoint(3, 3));
    EXPECT_EQ(doc.m_math.GetColor(), chosen);
    button.m_nTrace = 3;
    chosen = RGB(9, 8, 7);
    button.OnLButtonUp(0, CPoint(3, 3));
    EXPECT_EQ(doc.m_ref.GetColor(), chosen);
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(ColorButtonClickTest, CancelChangesNothing) {
    answerOk = false;
    button.m_nTrace = 0;
    button.SetColor(RGB(5, 5, 5));
    const COLORREF before = doc.m_ch1.GetColor();
    button.OnLButtonUp(0, CPoint(3, 3));
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(button.GetColor(), RGB(5, 5, 5));
    EXPECT_EQ(doc.m_ch1.GetColor(), before);
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(ColorButtonClickTest, UnknownTraceOrNoDocumentOnlyRecoloursTheButton) {
    button.m_nTrace = 7;
    const COLORREF ch1 = doc.m_ch1.GetColor();
    button.OnLButtonUp(0, CPoint(3, 3));
    EXPECT_EQ(button.GetColor(), chosen);
    EXPECT_EQ(doc.m_ch1.GetColor(), ch1);

    app.m_pMainWnd = nullptr;
    button.m_nTrace = 0;
    chosen = RGB(4, 4, 4);
    button.OnLButtonUp(0, CPoint(3, 3));
    EXPECT_EQ(button.GetColor(), chosen);
    EXPECT_EQ(doc.m_ch1.GetColor(), ch1);
}

// A knob window that counts its paints.
class CountingKnob : public CKnob {
public:
    void OnPaint() override {
        ++paints;
        CKnob::OnPaint();
    }
    int paints = 0;
};

TEST_F(ColorButtonClickTest, ChannelColourRepaintsThatChannelsKnob) {
    kv::EnsureApplication();
    CountingKnob ch1Knob;
    CountingKnob ch2Knob;
    ch1Knob.SetDocument(&doc);
    ch2Knob.SetDocument(&doc);
    ch1Knob.SetKnobId(CKnob::kKnobCh1);
    ch2Knob.SetKnobId(CKnob::kKnobCh2);
    ASSERT_TRUE(ch1Knob.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 88, 86), nullptr, 1082));
    ASSERT_TRUE(ch2Knob.Create(nullptr, "", WS_VISIBLE, CRect(100, 0, 188, 86), nullptr, 1083));
    Pump(300, [&] { return ch1Knob.paints > 0 && ch2Knob.paints > 0; });
    ASSERT_GT(ch1Knob.paints, 0);
    Pump(50, [] { return false; });
    ch1Knob.paints = 0;
    ch2Knob.paints = 0;

    button.m_nTrace = 0;
    button.OnLButtonUp(0, CPoint(3, 3));
    Pump(300, [&] { return ch1Knob.paints > 0; });
    EXPECT_GT(ch1Knob.paints, 0);
    EXPECT_EQ(ch2Knob.paints, 0);
    ch1Knob.DestroyWindow();
    ch2Knob.DestroyWindow();
}

// --- Splash window -----------------------------------------------------------------------------------

class SplashTest : public ::testing::Test {
protected:
    void SetUp() override {
        kv::EnsureApplication();
        CSplashWnd::EnableSplash(TRUE);
        CSplashWnd::SetBitmapLoader([this](UINT id, CBitmap& bitmap) {
            requested.push_back(id);
            if (!bitmapPresent)
                return FALSE;
            std::vector<std::uint32_t> pixels(40 * 30, 0x00336699u);
            return bitmap.CreateBitmap(40, 30, 1, 32, pixels.data());
        });
        ASSERT_TRUE(parent.Create(nullptr, "main", WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0));
    }
    void TearDown() override {
        if (CSplashWnd* splash = CSplashWnd::GetInstance())
            splash->DestroyWindow();
        CSplashWnd::SetBitmapLoader(nullptr);
        CSplashWnd::EnableSplash(TRUE);
        parent.DestroyWindow();
        Pump(20, [] { return false; });
    }

    CWnd parent;
    std::vector<UINT> requested;
    bool bitmapPresent = true;
};

TEST(SplashSwitch, ShownByDefaultAndOffWithNoSplash) {
    EXPECT_TRUE(CSplashWnd::IsSplashEnabled());
    EXPECT_TRUE(CSplashWnd::SplashFlagFromArgs({}));
    EXPECT_TRUE(CSplashWnd::SplashFlagFromArgs({"setup.set", "-nosplash"}));
    EXPECT_FALSE(CSplashWnd::SplashFlagFromArgs({"--nosplash"}));
    EXPECT_FALSE(CSplashWnd::SplashFlagFromArgs({"x", "--nosplash"}));
}

TEST_F(SplashTest, DisabledShowsNothing) {
    CSplashWnd::EnableSplash(FALSE);
    CSplashWnd::ShowSplash(&parent);
    EXPECT_EQ(CSplashWnd::GetInstance(), nullptr);
    EXPECT_TRUE(requested.empty());
}

TEST_F(SplashTest, MissingBitmapMeansNoSplash) {
    bitmapPresent = false;
    CSplashWnd::ShowSplash(&parent);
    EXPECT_EQ(CSplashWnd::GetInstance(), nullptr);
    ASSERT_EQ(requested.size(), 1u);
    EXPECT_EQ(requested[0], CSplashWnd::kBitmapId);
    // Start-up goes on: a later call may still show it.
    bitmapPresent = true;
    CSplashWnd::ShowSplash(&parent);
    EXPECT_NE(CSplashWnd::GetInstance(), nullptr);
}

TEST_F(SplashTest, ShowsTheBitmapCentredOverTheParentOnlyOnce) {
    CSplashWnd::ShowSplash(&parent);
    CSplashWnd* splash = CSplashWnd::GetInstance();
    ASSERT_NE(splash, nullptr);
    RECT rc{};
    splash->GetClientRect(&rc);
    EXPECT_EQ(rc.right, 40);
    EXPECT_EQ(rc.bottom, 30);
    RECT outer{};
    RECT inner{};
    parent.GetWindowRect(&outer);
    splash->GetWindowRect(&inner);
    EXPECT_EQ(inner.left - outer.left, (400 - 40) / 2);
    EXPECT_EQ(inner.top - outer.top, (300 - 30) / 2);

    CSplashWnd::ShowSplash(&parent);
    EXPECT_EQ(CSplashWnd::GetInstance(), splash);
    EXPECT_EQ(requested.size(), 1u);
}

TEST_F(SplashTest, MessagesPassOnAndOnlyTheTimerClosesIt) {
    QElapsedTimer clock;
    clock.start();
    CSplashWnd::ShowSplash(&parent);
    ASSERT_NE(CSplashWnd::GetInstance(), nullptr);
    for (UINT message : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEMOVE}) {
        MSG msg;
        msg.message = message;
        EXPECT_FALSE(CSplashWnd::FilterAppMessage(&msg));
    }
    EXPECT_NE(CSplashWnd::GetInstance(), nullptr);

    Pump(500, [] { return CSplashWnd::GetInstance() == nullptr; });
    EXPECT_NE(CSplashWnd::GetInstance(), nullptr) << "closed before 750 ms";
    Pump(3000, [] { return CSplashWnd::GetInstance() == nullptr; });
    EXPECT_EQ(CSplashWnd::GetInstance(), nullptr);
    // The system's coarse timers may fire up to 5 % early.
    EXPECT_GE(clock.elapsed(), 710);
    EXPECT_LT(clock.elapsed(), 3000);

    // Gone means a new start-up could show it again.
    CSplashWnd::ShowSplash(&parent);
    EXPECT_NE(CSplashWnd::GetInstance(), nullptr);
}

TEST_F(SplashTest, TimerTickHidesAndDeletesTheWindow) {
    CSplashWnd::ShowSplash(&parent);
    CSplashWnd* splash = CSplashWnd::GetInstance();
    ASSERT_NE(splash, nullptr);
    splash->OnTimer(CSplashWnd::kTimerId);
    EXPECT_EQ(CSplashWnd::GetInstance(), nullptr);
    Pump(20, [] { return false; });
}

} // namespace
