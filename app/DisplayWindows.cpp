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

void CPlaceholderWnd::OnPaint() {
    CPaintDC dc(this);
    RECT rc;
    GetClientRect(&rc);
    dc.FillSolidRect(&rc, m_color);
}

BOOL CPlaceholderWnd::OnEraseBkgnd(CDC*) { return TRUE; }
