#include "framework/View.h"

#include "framework/Dialog.h"
#include "framework/PaintDC.h"

void CView::OnInitialUpdate() {}

void CView::OnDraw(CDC*) {}

void CView::OnPaint() {
    CPaintDC dc(this);
    OnDraw(&dc);
}

bool CView::OnCmdMsg(UINT id, CCmdUI* pCmdUI) {
    if (CWnd::OnCmdMsg(id, pCmdUI))
        return true;
    return m_pDocument && m_pDocument->OnCmdMsg(id, pCmdUI);
}

BOOL CView::IsCommandHandled(UINT nID) {
    return CWnd::IsCommandHandled(nID) || (m_pDocument && m_pDocument->HasCommand(nID)) ? TRUE : FALSE;
}

BOOL CFormView::Create(const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, UINT nID) {
    const DialogTemplate* tmpl = FindDialogTemplate(m_nIDTemplate);
    if (!tmpl || !CView::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID))
        return FALSE;
    kv::BuildDialogControls(this, *tmpl);
    return TRUE;
}

void CFormView::OnInitialUpdate() {
    UpdateData(FALSE);
}

// Child controls paint themselves; the form paints its background the default way.
void CFormView::OnPaint() {
    CWnd::OnPaint();
}
