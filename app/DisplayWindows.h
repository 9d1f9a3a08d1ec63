#pragma once
// Window glue for the view's child windows: the screen panel as a window that paints the
// scope screen through its off-screen buffer, and plain placeholder windows for the bars
// whose own drawing comes later (status strip, channel information bar, side control panel).
#include "display/ScopeScreen.h"
#include "framework/Wnd.h"

class CScreenPanelWnd : public CWnd {
public:
    CScreenPanelWnd();

    CScopeScreen& Screen() { return m_screen; }
    const CScopeScreen& Screen() const { return m_screen; }

    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnSize(UINT nType, int cx, int cy) override;

private:
    CScopeScreen m_screen;
};

// A child window that only fills its client area with one colour.
class CPlaceholderWnd : public CWnd {
public:
    explicit CPlaceholderWnd(COLORREF color) : m_color(color) {}
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* pDC) override;

private:
    COLORREF m_color;
};
