#include "app/DisplayWindows.h"

#include "framework/PaintDC.h"

CScreenPanelWnd::CScreenPanelWnd() {
    m_screen.SetInvalidateHandler([this] { Invalidate(FALSE); });
}

void CScreenPanelWnd::OnPaint() {
    CPaintDC dc(this);
    RECT rc;
    GetClientRect(&rc);
    m_screen.Paint(&dc, CRect(rc));
}

// The screen panel covers its whole client area, so erasing would only flicker.
BOOL CScreenPanelWnd::OnEraseBkgnd(CDC*) { return TRUE; }

void CScreenPanelWnd::OnSize(UINT nType, int cx, int cy) {
    CWnd::OnSize(nType, cx, cy);
    m_screen.OnSize(cx, cy);
}

void CScreenPanelWnd::OnLButtonDown(UINT nFlags, CPoint point) { m_screen.OnLButtonDown(nFlags, point); }

void CScreenPanelWnd::OnMouseMove(UINT nFlags, CPoint point) { m_screen.OnMouseMove(nFlags, point); }

void CScreenPanelWnd::OnLButtonUp(UINT nFlags, CPoint point) { m_screen.OnLButtonUp(nFlags, point); }

void CPlaceholderWnd::OnPaint() {
    CPaintDC dc(this);
    RECT rc;
    GetClientRect(&rc);
    dc.FillSolidRect(&rc, m_color);
}

BOOL CPlaceholderWnd::OnEraseBkgnd(CDC*) { return TRUE; }
