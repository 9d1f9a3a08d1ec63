#include "framework/FrameWnd.h"

#include "Bridge.h"
#include "ControlKeys.h"
#include "framework/Accelerator.h"
#include "framework/ControlBar.h"
#include "framework/Menu.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QApplication>
#include <QMainWindow>

namespace {
class FrameWidget : public BridgedWidget<QMainWindow> {
public:
    using BridgedWidget<QMainWindow>::BridgedWidget;
};
} // namespace

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd() {
    DestroyAcceleratorTable(m_hAccelTable);
    m_pActiveView = nullptr;
    // The view's window is a child of ours; let the view object go while both still exist.
    m_pOwnedView.reset();
}

BOOL CFrameWnd::Create(const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, UINT nID) {
    if (!CWnd::Create(lpszClassName, lpszWindowName, dwStyle | WS_CAPTION, rect, pParentWnd, 0))
        return FALSE;
    if (nID != 0) {
        auto menu = std::make_unique<CMenu>();
        if (menu->LoadMenu(nID)) {
            SetMenu(menu.get());
            m_pLoadedMenu = std::move(menu);
        }
    }
    return TRUE;
}

QWidget* CFrameWnd::CreateWidget(QWidget* parent) {
    auto* w = new FrameWidget(parent);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    return w;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd) {
    if (!Create(nullptr, "", dwDefaultStyle, RECT{0, 0, 800, 600}, pParentWnd, 0))
        return FALSE;
    LoadAccelTable(nIDResource);
    return TRUE;
}

BOOL CFrameWnd::LoadAccelTable(UINT nIDResource) {
    HACCEL table = LoadAccelerators(nIDResource);
    if (!table)
        return FALSE;
    DestroyAcceleratorTable(m_hAccelTable);
    m_hAccelTable = table;
    return TRUE;
}

BOOL CFrameWnd::CreateView(std::unique_ptr<CView> pView, CDocument* pDoc) {
    auto* win = qobject_cast<QMainWindow*>(GetWidget());
    if (!win || !pView)
        return FALSE;
    pView->m_pDocument = pDoc;
    RECT rc{0, 0, win->width(), win->height()};
    if (!pView->Create(nullptr, "", WS_CHILD | WS_VISIBLE, rc, this, AFX_IDW_PANE_FIRST))
        return FALSE;
    win->setCentralWidget(pView->GetWidget());
    // The view holds the keyboard whenever no control of it does: a click on it (or on one of
    // its display windows) takes the focus back from a control, and it has the focus when the
    // frame first becomes active, so the accelerators act from the start.
    pView->GetWidget()->setFocusPolicy(Qt::ClickFocus);
    pView->GetWidget()->setFocus(Qt::OtherFocusReason);
    m_pActiveView = pView.get();
    m_pOwnedView = std::move(pView);
    return TRUE;
}

CDocument* CFrameWnd::GetActiveDocument() const {
    return m_pActiveView ? m_pActiveView->GetDocument() : nullptr;
}

void CFrameWnd::InitialUpdateFrame(CDocument*, BOOL bMakeVisible) {
    if (m_pActiveView)
        m_pActiveView->OnInitialUpdate();
    if (bMakeVisible)
        ActivateFrame();
}

void CFrameWnd::ActivateFrame(int nCmdShow) {
    ShowWindow(nCmdShow == -1 ? SW_SHOW : nCmdShow);
}

void CFrameWnd::RecalcLayout(BOOL) {
    if (QWidget* w = GetWidget())
        w->updateGeometry();
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL) {
    if (pBar)
        pBar->ShowWindow(bShow ? SW_SHOW : SW_HIDE);
}

bool CFrameWnd::OnCmdMsg(UINT id, CCmdUI* pCmdUI) {
    if (m_pActiveView && m_pActiveView->OnCmdMsg(id, pCmdUI))
        return true;
    if (CWnd::OnCmdMsg(id, pCmdUI))
        return true;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(id, pCmdUI);
}

BOOL CFrameWnd::IsCommandHandled(UINT nID) {
    if (m_pActiveView && m_pActiveView->IsCommandHandled(nID))
        return TRUE;
    if (CWnd::IsCommandHandled(nID))
        return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->HasCommand(nID) ? TRUE : FALSE;
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
    if (!pMsg || !m_hAccelTable || (pMsg->message != WM_KEYDOWN && pMsg->message != WM_SYSKEYDOWN))
        return FALSE;
    // The accelerators belong to this frame and its children; a key typed into another top-level
    // window (a dialog owned by this frame included) is that window's own.
    if (!pMsg->hwnd || pMsg->hwnd->GetTopLevelParent() != this)
        return FALSE;
    // A key the focused control uses is the control's (Space on a check box, the arrows in a
    // list); every other key reaches the accelerators.
    if (kv::ControlUsesKey(kv::KeyTarget(*pMsg), static_cast<UINT>(pMsg->wParam), pMsg->lParam))
        return FALSE;
    return TranslateAccelerator(this, m_hAccelTable, pMsg) ? TRUE : FALSE;
}

void CFrameWnd::OnClose() {
    const bool isMain = AfxGetMainWnd() == this;
    DestroyWindow();
    if (isMain) {
        if (CWinApp* app = AfxGetApp())
            app->m_pMainWnd = nullptr;
        QApplication::quit();
    }
}

BOOL CFrameWnd::OnToolTipText(UINT, NMHDR*, LRESULT*) {
    return FALSE;
}

void CFrameWnd::OnDestroy() {
    CWnd::OnDestroy();
}
