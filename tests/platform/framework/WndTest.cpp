#include "framework/Wnd.h"
#include "WndImpl.h"
#include "framework/PaintDC.h"
#include "framework/WinApp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

void ProcessFor(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

class FwWindow : public ::testing::Test {
protected:
    void SetUp() override { kv::EnsureApplication(); }
};

class TimerWnd : public CWnd {
public:
    std::vector<UINT_PTR> ticks;
    bool killOnFirst = false;
    void OnTimer(UINT_PTR id) override {
        ticks.push_back(id);
        if (killOnFirst && id == 2)
            KillTimer(2); // a one-shot timer ends itself inside its own tick
    }
};

TEST_F(FwWindow, TimersTickByIdAndStopWhenKilled) {
    TimerWnd wnd;
    ASSERT_TRUE(wnd.Create(nullptr, "t", 0, RECT{0, 0, 50, 50}, nullptr, 0));
    wnd.killOnFirst = true;
    EXPECT_EQ(wnd.SetTimer(1, 10), 1u);
    EXPECT_EQ(wnd.SetTimer(2, 1), 2u);
    ProcessFor(80);
    EXPECT_TRUE(wnd.KillTimer(1));
    EXPECT_FALSE(wnd.KillTimer(1));
    EXPECT_FALSE(wnd.KillTimer(2)); // already ended itself
    const auto ones = std::count(wnd.ticks.begin(), wnd.ticks.end(), UINT_PTR{1});
    const auto twos = std::count(wnd.ticks.begin(), wnd.ticks.end(), UINT_PTR{2});
    EXPECT_GE(ones, 2);
    EXPECT_EQ(twos, 1);
    const size_t before = wnd.ticks.size();
    ProcessFor(40);
    EXPECT_EQ(wnd.ticks.size(), before);
    EXPECT_EQ(wnd.SetTimer(0, 10), 0u); // id 0 is refused
}

class PaintWnd : public CWnd {
public:
    int paints = 0;
    HDC lastDC = reinterpret_cast<HDC>(1);
    void OnPaint() override {
        CPaintDC dc(this);
        ++paints;
        lastDC = dc.GetSafeHdc();
        RECT rc;
        GetClientRect(&rc);
        dc.FillSolidRect(&rc, RGB(255, 0, 0));
        dc.FillSolidRect(10, 10, 5, 5, RGB(0, 0, 255));
    }
};

TEST_F(FwWindow, PaintReachesTheWidgetInOneCopy) {
    PaintWnd wnd;
    ASSERT_TRUE(wnd.Create(nullptr, "p", WS_VISIBLE, RECT{0, 0, 40, 30}, nullptr, 0));
    const int before = wnd.GetImpl()->presentCount;
    const QImage image = wnd.GetWidget()->grab().toImage();
    EXPECT_GE(wnd.paints, 1);
    EXPECT_EQ(wnd.GetImpl()->presentCount - before, wnd.paints); // one copy per paint
    EXPECT_EQ(image.pixelColor(2, 2), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(12, 12), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(39, 29), QColor(255, 0, 0));
}

TEST_F(FwWindow, PaintWithEmptyClientAreaDrawsAndCopiesNothing) {
    PaintWnd wnd;
    ASSERT_TRUE(wnd.Create(nullptr, "p", 0, RECT{0, 0, 40, 30}, nullptr, 0));
    wnd.MoveWindow(0, 0, 0, 30);
    const int before = wnd.GetImpl()->presentCount;
    QPaintEvent paint(QRect(0, 0, 1, 1));
    QApplication::sendEvent(wnd.GetWidget(), &paint);
    EXPECT_EQ(wnd.paints, 1);
    EXPECT_EQ(wnd.lastDC, nullptr);
    EXPECT_EQ(wnd.GetImpl()->presentCount, before);
}

class MouseWnd : public CWnd {
public:
    struct Call {
        char kind;
        UINT flags;
        CPoint point;
    };
    std::vector<Call> calls;
    void OnLButtonDown(UINT f, CPoint p) override { calls.push_back({'D', f, p}); }
    void OnLButtonUp(UINT f, CPoint p) override { calls.push_back({'U', f, p}); }
    void OnLButtonDblClk(UINT f, CPoint p) override { calls.push_back({'2', f, p}); }
    void OnRButtonDown(UINT f, CPoint p) override { calls.push_back({'R', f, p}); }
    void OnMouseMove(UINT f, CPoint p) override { calls.push_back({'M', f, p}); }
};

void SendMouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMouseEvent e(type, QPointF(p), QPointF(w->mapToGlobal(p)), button, buttons, mods);
    QApplication::sendEvent(w, &e);
}

TEST_F(FwWindow, MouseHandlersGetKeyStateFlagsAndCapture) {
    MouseWnd wnd;
    ASSERT_TRUE(wnd.Create(nullptr, "m", WS_VISIBLE, RECT{0, 0, 100, 80}, nullptr, 0));
    QWidget* w = wnd.GetWidget();
    SendMouse(w, QEvent::MouseButtonPress, QPoint(5, 6), Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
    SendMouse(w, QEvent::MouseMove, QPoint(7, 8), Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
    SendMouse(w, QEvent::MouseButtonRelease, QPoint(9, 10), Qt::LeftButton, Qt::NoButton);
    SendMouse(w, QEvent::MouseButtonDblClick, QPoint(1, 1), Qt::LeftButton, Qt::LeftButton);
    SendMouse(w, QEvent::MouseButtonPress, QPoint(3, 4), Qt::RightButton, Qt::RightButton);
    ASSERT_EQ(wnd.calls.size(), 5u);
    EXPECT_EQ(wnd.calls[0].kind, 'D');
    EXPECT_EQ(wnd.calls[0].flags, MK_LBUTTON | MK_CONTROL);
    EXPECT_EQ(wnd.calls[0].point, CPoint(5, 6));
    EXPECT_EQ(wnd.calls[1].kind, 'M');
    EXPECT_EQ(wnd.calls[1].flags, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(wnd.calls[2].kind, 'U');
    EXPECT_EQ(wnd.calls[2].flags, 0u); // the released button is no longer down
    EXPECT_EQ(wnd.calls[3].kind, '2');
    EXPECT_EQ(wnd.calls[4].kind, 'R');
    EXPECT_EQ(wnd.calls[4].flags, MK_RBUTTON);

    EXPECT_EQ(wnd.SetCapture(), nullptr);
    EXPECT_EQ(CWnd::GetCapture(), &wnd);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    EXPECT_FALSE(ReleaseCapture());
    {
        MouseWnd other;
        other.Create(nullptr, "o", 0, RECT{0, 0, 10, 10}, nullptr, 0);
        other.SetCapture();
    } // a window that goes away gives up the capture
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
}

TEST_F(FwWindow, WindowTextGeometryAndChildren) {
    CWnd parent;
    ASSERT_TRUE(parent.Create(nullptr, "Parent", 0, RECT{0, 0, 200, 100}, nullptr, 0));
    CWnd child;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD | WS_VISIBLE, RECT{10, 20, 60, 50}, &parent, 1234));
    CString s;
    parent.GetWindowText(s);
    EXPECT_EQ(s, "Parent");
    parent.SetWindowText("Renamed");
    parent.GetWindowText(s);
    EXPECT_EQ(s, "Renamed");
    EXPECT_EQ(parent.GetDlgItem(1234), &child);
    EXPECT_EQ(child.GetParent(), &parent);
    EXPECT_EQ(parent.GetDlgItem(99), nullptr);
    RECT rc;
    child.GetClientRect(&rc);
    EXPECT_EQ(rc.right, 50);
    EXPECT_EQ(rc.bottom, 30);
    child.MoveWindow(0, 0, -5, 10); // negative sizes count as 0
    child.GetClientRect(&rc);
    EXPECT_EQ(rc.right, 0);
    EXPECT_TRUE(child.DestroyWindow());
    EXPECT_FALSE(child.DestroyWindow());
    EXPECT_EQ(child.GetSafeHwnd(), nullptr);
    child.SetWindowText("ignored"); // calls on a destroyed window do nothing
    EXPECT_FALSE(child.ShowWindow(SW_SHOW));
}

TEST_F(FwWindow, MessageBoxesAreAnsweredByTheHook) {
    CWinApp app("Kelvane");
    std::vector<std::string> seen;
    AfxSetMessageBoxHook([&](const CString& text, const CString& caption, UINT type) {
        seen.push_back(text.str() + "|" + caption.str() + "|" + std::to_string(type));
        return IDNO;
    });
    EXPECT_EQ(AfxMessageBox("Function not available!"), IDNO);
    CWnd wnd;
    wnd.Create(nullptr, "w", 0, RECT{0, 0, 10, 10}, nullptr, 0);
    EXPECT_EQ(wnd.MessageBox("14K Points Mode", "Error", MB_OK | MB_ICONERROR), IDNO);
    AfxSetMessageBoxHook(nullptr);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], "Function not available!|Kelvane|0");
    EXPECT_EQ(seen[1], "14K Points Mode|Error|16");
}

} // namespace
