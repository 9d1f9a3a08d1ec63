#include "app/DisplayWindows.h"

#include "framework/PaintDC.h"

CScreenPanelWnd::CScreenPanelWnd() {
    m_screen.SetInvalidateHandler([this] { Invalidate(FALSE); });
    m_screen.SetCaptureHandler([this](bool take) {
        if (take) {
            if (GetCapture() != this)
                SetCapture();
        } else if (GetCapture() == this) {
            ReleaseCapture();
        }
    });
    m_screen.SetCursorHandler([this](int resourceId) { ShowScreenCursor(resourceId); });
}

void CScreenPanelWnd::OnPaint() {
    CPaintDC dc(this);
    RECT rc;
    GetClientRect(&rc);
    m_screen.Paint(&dc, CRect(rc));
}

// The screen panel covers its whole client area, so erasing would only flicker.
BOOL CScreenPanelWnd::OnEraseBkgnd(CDC*) {
    return TRUE;
}

void CScreenPanelWnd::OnSize(UINT nType, int cx, int cy) {
    CWnd::OnSize(nType, cx, cy);
    m_screen.OnSize(cx, cy);
}

UINT CScreenPanelWnd::StandardCursorFor(int resourceId) {
    switch (resourceId) {
    case CScopeScreen::kCursorPositionPointer: // the trigger position moves sideways
        return IDC_SIZEWE;
    case CScopeScreen::kCursorPointer: // zero and level pointers move up and down
        return IDC_SIZENS;
    case CScopeScreen::kCursorCross:
    case CScopeScreen::kCursorZoomIn:
    case CScopeScreen::kCursorZoomOut:
        return IDC_CROSS;
    case CScopeScreen::kCursorDrag:
        return IDC_SIZEALL;
    default:
        return IDC_ARROW;
    }
}

void CScreenPanelWnd::ShowScreenCursor(int resourceId) {
    m_bCursorChosen = true;
    SetWindowCursor(this, LoadStandardCursor(StandardCursorFor(resourceId)));
}

template <class Step> void CScreenPanelWnd::MouseMessage(Step step) {
    m_bCursorChosen = false;
    step();
    // As with a window class cursor: the arrow returns once the screen no longer asks for a
    // shape, except while it holds the mouse for a drag.
    if (!m_bCursorChosen && GetCapture() != this)
        SetWindowCursor(this, LoadStandardCursor(IDC_ARROW));
}

void CScreenPanelWnd::OnLButtonDown(UINT nFlags, CPoint point) {
    MouseMessage([&] { m_screen.OnLButtonDown(nFlags, point); });
}

void CScreenPanelWnd::OnMouseMove(UINT nFlags, CPoint point) {
    MouseMessage([&] { m_screen.OnMouseMove(nFlags, point); });
}

void CScreenPanelWnd::OnLButtonUp(UINT nFlags, CPoint point) {
    MouseMessage([&] { m_screen.OnLButtonUp(nFlags, point); });
}

void CScreenPanelWnd::OnContextMenu(CWnd*, CPoint point) {
    if (CWnd* parent = GetParent())
        parent->OnContextMenu(this, point);
}

CMenuEx* CScreenPanelWnd::OwnerDrawnMenu() const {
    auto* frame = dynamic_cast<CMainFrame*>(GetParentFrame());
    return frame ? &frame->m_menu : nullptr;
}

void CScreenPanelWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu) {
    CWnd::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    if (CMenuEx* menu = OwnerDrawnMenu())
        menu->OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
}

void CScreenPanelWnd::OnMeasureItem(int nIDCtl, MEASUREITEMSTRUCT* lpMeasureItemStruct) {
    if (CMenuEx* menu = OwnerDrawnMenu())
        menu->OnMeasureItem(lpMeasureItemStruct);
    CWnd::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
}

CursorReadouts CScreenPanelWnd::GetCursorReadouts() const {
    CursorReadouts r;
    r.source = m_screen.GetCursorSource();
    r.type = m_screen.GetCursorMode();
    CString pane1, pane2, pane3;
    m_screen.GetReadoutPanes(pane1, pane2, pane3);
    if (r.source == CScopeScreen::kCursorSourceFft) {
        r.fftFrequency = pane1;
        r.fftLevel = pane3;
    } else {
        r.frequency = pane1;
        r.time = pane2;
        // The third pane holds the difference (cross and horizontal) or the trace voltage.
        r.voltageDifference = pane3;
        r.traceVoltage = pane3;
    }
    return r;
}

void CPlaceholderWnd::OnPaint() {
    CPaintDC dc(this);
    RECT rc;
    GetClientRect(&rc);
    dc.FillSolidRect(&rc, m_color);
}

BOOL CPlaceholderWnd::OnEraseBkgnd(CDC*) {
    return TRUE;
}
