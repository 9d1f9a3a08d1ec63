#pragma once
// Window glue for the view's child windows: the screen panel as a window that paints the
// scope screen through its off-screen buffer, and a plain window that stands in for the side
// control panel until the panel itself exists.
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
    // Mouse input goes to the screen's marker dragging.
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnMouseMove(UINT nFlags, CPoint point) override;
    void OnLButtonUp(UINT nFlags, CPoint point) override;

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
