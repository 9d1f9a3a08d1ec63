#include "framework/Wnd.h"

#include "Bridge.h"
#include "MenuPresenter.h"
#include "PaintSurface.h"
#include "WidgetAccess.h"
#include "WndImpl.h"
#include "framework/DC.h"
#include "framework/FrameWnd.h"
#include "framework/Menu.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVariant>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

namespace {

const char* const kWndProperty = "kv_cwnd";
const char* const kIdProperty = "kv_id";
CWnd* g_capture = nullptr;

// Every CWnd object that exists, for IsWindow.
std::unordered_set<const CWnd*>& LiveWindows() {
    static std::unordered_set<const CWnd*> windows;
    return windows;
}

// Commands that no update handler has disabled.
class ProbeCmdUI : public CCmdUI {};

QWidget* FindChildById(const QWidget* parent, int nID) {
    if (!parent)
        return nullptr;
    for (QWidget* child : parent->findChildren<QWidget*>()) {
        bool ok = false;
        if (child->property(kIdProperty).toInt(&ok) == nID && ok)
            return child;
    }
    return nullptr;
}

// A control that hides while it holds the keyboard would hand it to whichever control comes
// next, or to nothing at all; inside a frame window the keyboard goes to the frame's view, as
// a frame gives its view the focus.
void KeepFocusInFrame(QWidget* hiding) {
    QWidget* focus = QApplication::focusWidget();
    if (hiding->isWindow() || !focus || !(focus == hiding || hiding->isAncestorOf(focus)))
        return;
    auto* frame = dynamic_cast<CFrameWnd*>(CWnd::FromWidget(hiding->window()));
    CView* view = frame ? frame->GetActiveView() : nullptr;
    QWidget* viewWidget = view ? view->GetWidget() : nullptr;
    if (viewWidget && viewWidget != hiding && !hiding->isAncestorOf(viewWidget))
        viewWidget->setFocus(Qt::OtherFocusReason);
}

} // namespace

CWnd::Impl::~Impl() = default;

// ---------------------------------------------------------------------------------------------
// Event bridge

namespace kv::bridge {

unsigned VirtualKey(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<unsigned>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<unsigned>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return VK_F1 + static_cast<unsigned>(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Tab:
        return VK_TAB;
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    default:
        return 0;
    }
}

unsigned MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    unsigned flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        flags |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        flags |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        flags |= MK_CONTROL;
    return flags;
}

bool Dispatch(QWidget* widget, QEvent* event) {
    CWnd* wnd = CWnd::FromWidget(widget);
    if (!wnd)
        return false;
    switch (event->type()) {
    case QEvent::Resize: {
        auto* e = static_cast<QResizeEvent*>(event);
        const UINT type = widget->isMaximized() || widget->isFullScreen() ? SIZE_MAXIMIZED : SIZE_RESTORED;
        wnd->OnSize(type, e->size().width(), e->size().height());
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        const UINT flags = MouseFlags(e->buttons(), e->modifiers());
        const QPoint p = e->position().toPoint();
        const CPoint point(p.x(), p.y());
        if (event->type() == QEvent::MouseMove)
            wnd->OnMouseMove(flags, point);
        else if (e->button() == Qt::LeftButton && event->type() == QEvent::MouseButtonPress)
            wnd->OnLButtonDown(flags, point);
        else if (e->button() == Qt::LeftButton && event->type() == QEvent::MouseButtonRelease)
            wnd->OnLButtonUp(flags, point);
        else if (e->button() == Qt::LeftButton)
            wnd->OnLButtonDblClk(flags, point);
        else if (e->button() == Qt::RightButton && event->type() != QEvent::MouseButtonRelease)
            wnd->OnRButtonDown(flags, point);
        else if (e->button() == Qt::RightButton)
            wnd->OnRButtonUp(flags, point);
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* e = static_cast<QKeyEvent*>(event);
        const UINT vk = VirtualKey(e->key());
        if (vk == 0)
            return false;
        const UINT flags = e->isAutoRepeat() ? 0x4000u : 0u;
        if (event->type() == QEvent::KeyPress)
            wnd->OnKeyDown(vk, 1, flags);
        else
            wnd->OnKeyUp(vk, 1, flags);
        return false;
    }
    case QEvent::ContextMenu: {
        auto* e = static_cast<QContextMenuEvent*>(event);
        wnd->OnContextMenu(wnd, CPoint(e->globalPos().x(), e->globalPos().y()));
        return true;
    }
    case QEvent::Close: {
        // The window's OnClose decides what a close does (hide, destroy, or nothing). A window
        // it hid or destroyed counts as closed for Qt too: the application's quit, which first
        // closes every shown window, goes on instead of stopping at a hidden panel.
        QPointer<QWidget> guard(widget);
        event->ignore();
        wnd->OnClose();
        if (!guard || !guard->isVisible())
            event->accept();
        return true;
    }
    case QEvent::Show:
        if (widget->isWindow()) {
            MINMAXINFO info;
            info.ptMinTrackSize = POINT{widget->minimumWidth(), widget->minimumHeight()};
            info.ptMaxTrackSize = POINT{widget->maximumWidth(), widget->maximumHeight()};
            wnd->OnGetMinMaxInfo(&info);
            widget->setMinimumSize(std::max(0, static_cast<int>(info.ptMinTrackSize.x)),
                                   std::max(0, static_cast<int>(info.ptMinTrackSize.y)));
        }
        return false;
    default:
        return false;
    }
}

bool Paint(QWidget* widget) {
    CWnd* wnd = CWnd::FromWidget(widget);
    if (!wnd)
        return false;
    CWnd::Impl* impl = wnd->GetImpl();
    wnd->m_bPaintDefault = false;
    wnd->OnPaint();
    if (wnd->m_bPaintDefault)
        return false;
    if (impl->present && impl->present(widget))
        ++impl->presentCount;
    return true;
}

} // namespace kv::bridge

// ---------------------------------------------------------------------------------------------
// CWnd

CWnd::CWnd() : m_pImpl(std::make_unique<Impl>()) {
    LiveWindows().insert(this);
}

CWnd::~CWnd() {
    LiveWindows().erase(this);
    if (g_capture == this)
        ReleaseCapture();
    m_pImpl->timers.clear();
    m_pImpl->wrappers.clear();
    if (QWidget* w = m_pImpl->widget) {
        w->setProperty(kWndProperty, QVariant());
        if (m_pImpl->ownsWidget)
            delete w;
    }
}

QWidget* CWnd::GetWidget() const {
    return m_pImpl->widget;
}

HWND CWnd::GetSafeHwnd() const {
    return m_pImpl->widget ? const_cast<CWnd*>(this) : nullptr;
}

CWnd* CWnd::FromWidget(const QWidget* widget) {
    if (!widget)
        return nullptr;
    const QVariant v = widget->property(kWndProperty);
    return v.isValid() ? reinterpret_cast<CWnd*>(v.value<quintptr>()) : nullptr;
}

void CWnd::AttachWidget(QWidget* widget, bool owns) {
    m_pImpl->widget = widget;
    m_pImpl->ownsWidget = owns;
    if (widget) {
        widget->setProperty(kWndProperty, QVariant::fromValue(reinterpret_cast<quintptr>(this)));
        widget->setProperty(kIdProperty, static_cast<int>(m_nID));
    }
}

BOOL CWnd::Create(const char*, const char* lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                  UINT nID) {
    if (m_pImpl->widget)
        return FALSE;
    kv::EnsureApplication();
    CREATESTRUCT cs;
    cs.hwndParent = pParentWnd;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.style = dwStyle;
    cs.lpszName = lpszWindowName;
    if (!PreCreateWindow(cs))
        return FALSE;
    QWidget* parentWidget = pParentWnd ? pParentWnd->GetWidget() : nullptr;
    if (pParentWnd && !parentWidget)
        return FALSE;
    QWidget* w = CreateWidget(parentWidget);
    // An owned popup is a window of its own, not a child clipped by (or hidden with) its owner,
    // and it stays above its owner: the window system is told whose it is even while the owner
    // has not been shown yet.
    if ((cs.style & WS_POPUP) && parentWidget && !w->isWindow()) {
        Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint;
        if (cs.dwExStyle & WS_EX_TOPMOST)
            flags |= Qt::WindowStaysOnTopHint;
        if (cs.dwExStyle & WS_EX_NOACTIVATE)
            flags |= Qt::WindowDoesNotAcceptFocus;
        w->setWindowFlags(flags);
        w->setAttribute(Qt::WA_ShowWithoutActivating, (cs.dwExStyle & WS_EX_NOACTIVATE) != 0);
        QWidget* owner = parentWidget->window();
        owner->winId();
        w->winId();
        if (owner->windowHandle() && w->windowHandle())
            w->windowHandle()->setTransientParent(owner->windowHandle());
    }
    m_nID = nID;
    m_dwStyle = cs.style;
    m_dwExStyle = cs.dwExStyle;
    AttachWidget(w, true);
    w->setGeometry(cs.x, cs.y, std::max(0, cs.cx), std::max(0, cs.cy));
    if (cs.lpszName)
        w->setWindowTitle(QString::fromUtf8(cs.lpszName));
    if (OnCreate(&cs) == -1) {
        DestroyWindow();
        return FALSE;
    }
    if (cs.style & WS_VISIBLE)
        w->show();
    return TRUE;
}

QWidget* CWnd::CreateWidget(QWidget* parent) {
    auto* w = new BridgedWidget<QWidget>(parent);
    w->setMouseTracking(true);
    return w;
}

BOOL CWnd::SubclassWindow(QWidget* widget) {
    if (!widget || m_pImpl->widget || FromWidget(widget))
        return FALSE;
    bool ok = false;
    const int id = widget->property(kIdProperty).toInt(&ok);
    if (ok)
        m_nID = static_cast<UINT>(id);
    AttachWidget(widget, false);
    if (!widget->isEnabled())
        m_dwStyle |= WS_DISABLED;
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (!pParent)
        return FALSE;
    QWidget* w = FindChildById(pParent->GetWidget(), static_cast<int>(nID));
    if (!w)
        return FALSE;
    // A temporary wrapper made by GetDlgItem gives way to the real object.
    if (CWnd* existing = FromWidget(w)) {
        auto& wrappers = pParent->m_pImpl->wrappers;
        auto it = wrappers.find(static_cast<int>(nID));
        if (it == wrappers.end() || it->second.get() != existing)
            return FALSE;
        existing->UnsubclassWindow();
        wrappers.erase(it);
    }
    return SubclassWindow(w);
}

QWidget* CWnd::UnsubclassWindow() {
    QWidget* w = m_pImpl->widget;
    if (w)
        w->setProperty(kWndProperty, QVariant());
    m_pImpl->widget = nullptr;
    m_pImpl->ownsWidget = false;
    return w;
}

BOOL CWnd::DestroyWindow() {
    QWidget* w = m_pImpl->widget;
    if (!w)
        return FALSE;
    OnDestroy();
    if (g_capture == this)
        ReleaseCapture();
    m_pImpl->timers.clear();
    m_pImpl->presenter.reset();
    w->setProperty(kWndProperty, QVariant());
    m_pImpl->widget = nullptr;
    const bool owns = m_pImpl->ownsWidget;
    m_pImpl->ownsWidget = false;
    if (owns) {
        w->hide();
        // The widget may be inside its own event handler; Qt deletes it once that returns.
        w->deleteLater();
    }
    PostNcDestroy();
    return TRUE;
}

CWnd* CWnd::GetParent() const {
    QWidget* w = m_pImpl->widget;
    for (QWidget* p = w ? w->parentWidget() : nullptr; p; p = p->parentWidget())
        if (CWnd* wnd = FromWidget(p))
            return wnd;
    return nullptr;
}

CWnd* CWnd::GetTopLevelParent() const {
    QWidget* w = m_pImpl->widget;
    return w ? FromWidget(w->window()) : nullptr;
}

CFrameWnd* CWnd::GetParentFrame() const {
    for (CWnd* p = GetParent(); p; p = p->GetParent())
        if (auto* frame = dynamic_cast<CFrameWnd*>(p))
            return frame;
    return nullptr;
}

CWnd* CWnd::GetDlgItem(int nID) const {
    QWidget* w = FindChildById(m_pImpl->widget, nID);
    if (!w)
        return nullptr;
    if (CWnd* wnd = FromWidget(w))
        return wnd;
    auto wrapper = std::make_unique<CWnd>();
    wrapper->SubclassWindow(w);
    CWnd* raw = wrapper.get();
    m_pImpl->wrappers[nID] = std::move(wrapper);
    return raw;
}

void CWnd::SetWindowText(const char* lpszString) {
    if (QWidget* w = m_pImpl->widget)
        kv::SetWidgetText(w, lpszString ? lpszString : "");
}

void CWnd::GetWindowText(CString& rString) const {
    rString = m_pImpl->widget ? kv::GetWidgetText(m_pImpl->widget).c_str() : "";
}

int CWnd::GetWindowTextLength() const {
    CString s;
    GetWindowText(s);
    return s.GetLength();
}

void CWnd::SetDlgItemText(int nID, const char* lpszString) {
    if (CWnd* item = GetDlgItem(nID))
        item->SetWindowText(lpszString);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const {
    rString.Empty();
    if (CWnd* item = GetDlgItem(nID))
        item->GetWindowText(rString);
    return rString.GetLength();
}

void CWnd::SetDlgItemInt(int nID, int nValue, BOOL bSigned) {
    CString s;
    if (bSigned)
        s.Format("%d", nValue);
    else
        s.Format("%u", static_cast<unsigned>(nValue));
    SetDlgItemText(nID, s);
}

UINT CWnd::GetDlgItemInt(int nID, BOOL* lpTrans, BOOL bSigned) const {
    CString s;
    GetDlgItemText(nID, s);
    s.Trim();
    char* end = nullptr;
    const long long v = std::strtoll(s.GetString(), &end, 10);
    const bool ok = !s.IsEmpty() && end && *end == '\0' && (bSigned || v >= 0) && v >= INT32_MIN &&
                    v <= (bSigned ? static_cast<long long>(INT32_MAX) : static_cast<long long>(UINT32_MAX));
    if (lpTrans)
        *lpTrans = ok ? TRUE : FALSE;
    return ok ? static_cast<UINT>(v) : 0;
}

void CWnd::CheckDlgButton(int nIDButton, UINT nCheck) {
    if (CWnd* item = GetDlgItem(nIDButton))
        kv::SetWidgetCheck(item->GetWidget(), static_cast<int>(nCheck));
}

UINT CWnd::IsDlgButtonChecked(int nIDButton) const {
    CWnd* item = GetDlgItem(nIDButton);
    return item ? static_cast<UINT>(kv::GetWidgetCheck(item->GetWidget())) : 0;
}

void CWnd::CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
    for (int id = nIDFirstButton; id <= nIDLastButton; ++id)
        CheckDlgButton(id, id == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    QWidget* w = m_pImpl->widget;
    if (!w)
        return;
    const QSize old = w->size();
    w->setGeometry(x, y, std::max(0, nWidth), std::max(0, nHeight));
    // Qt holds back the resize event of a hidden widget until it is shown, but callers size their
    // child windows before the first show and then lay out from the new client size at once.
    if (!w->isVisible() && w->size() != old) {
        w->setAttribute(Qt::WA_PendingResizeEvent, false);
        QResizeEvent e(w->size(), old);
        QCoreApplication::sendEvent(w, &e);
    }
    if (bRepaint)
        w->update();
}

void CWnd::MoveWindow(const RECT* lpRect, BOOL bRepaint) {
    if (lpRect)
        MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top,
                   bRepaint);
}

BOOL CWnd::ShowWindow(int nCmdShow) {
    QWidget* w = m_pImpl->widget;
    if (!w)
        return FALSE;
    const BOOL wasVisible = w->isVisible() ? TRUE : FALSE;
    switch (nCmdShow) {
    case SW_HIDE:
        KeepFocusInFrame(w);
        w->hide();
        m_dwStyle &= ~WS_VISIBLE;
        return wasVisible;
    case SW_SHOWMAXIMIZED:
        if (w->isWindow() && !(m_dwStyle & WS_CAPTION)) {
            // Maximised without a caption is the whole screen. The window system's full-screen
            // state does that without re-creating the window, and gives the old placement back.
            m_pImpl->captionPending = false;
            w->showFullScreen();
        } else {
            w->showMaximized();
        }
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
        w->showMinimized();
        break;
    case SW_SHOWNOACTIVATE:
        // Shown where the person is not working: the active window keeps the keyboard.
        w->setAttribute(Qt::WA_ShowWithoutActivating, true);
        w->show();
        w->setAttribute(Qt::WA_ShowWithoutActivating, false);
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
        if (w->isWindow()) {
            w->showNormal();
            ApplyCaptionStyle();
        } else {
            w->show();
        }
        break;
    default:
        if (w->isWindow())
            ApplyCaptionStyle();
        w->show();
        break;
    }
    m_dwStyle |= WS_VISIBLE;
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const {
    return m_pImpl->widget && m_pImpl->widget->isVisible() ? TRUE : FALSE;
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    QWidget* w = m_pImpl->widget;
    if (!w)
        return FALSE;
    const BOOL wasDisabled = w->isEnabled() ? FALSE : TRUE;
    w->setEnabled(bEnable != FALSE);
    if (bEnable)
        m_dwStyle &= ~WS_DISABLED;
    else
        m_dwStyle |= WS_DISABLED;
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const {
    return m_pImpl->widget && m_pImpl->widget->isEnabled() ? TRUE : FALSE;
}

BOOL CWnd::IsZoomed() const {
    QWidget* w = m_pImpl->widget;
    return w && (w->isMaximized() || w->isFullScreen()) ? TRUE : FALSE;
}

BOOL CWnd::IsIconic() const {
    return m_pImpl->widget && m_pImpl->widget->isMinimized() ? TRUE : FALSE;
}

void CWnd::GetClientRect(RECT* lpRect) const {
    if (!lpRect)
        return;
    *lpRect = RECT{};
    if (QWidget* w = m_pImpl->widget) {
        lpRect->right = w->width();
        lpRect->bottom = w->height();
    }
}

void CWnd::GetWindowRect(RECT* lpRect) const {
    if (!lpRect)
        return;
    *lpRect = RECT{};
    if (QWidget* w = m_pImpl->widget) {
        const QPoint origin = w->mapToGlobal(QPoint(0, 0));
        lpRect->left = origin.x();
        lpRect->top = origin.y();
        lpRect->right = origin.x() + w->width();
        lpRect->bottom = origin.y() + w->height();
    }
}

void CWnd::ClientToScreen(POINT* lpPoint) const {
    if (QWidget* w = m_pImpl->widget; w && lpPoint) {
        const QPoint p = w->mapToGlobal(QPoint(lpPoint->x, lpPoint->y));
        *lpPoint = POINT{p.x(), p.y()};
    }
}

void CWnd::ScreenToClient(POINT* lpPoint) const {
    if (QWidget* w = m_pImpl->widget; w && lpPoint) {
        const QPoint p = w->mapFromGlobal(QPoint(lpPoint->x, lpPoint->y));
        *lpPoint = POINT{p.x(), p.y()};
    }
}

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
    QWidget* w = m_pImpl->widget;
    if (!w)
        return;
    QRect area;
    // A child centres in its parent and an owned popup over its owner; other windows on the screen.
    const bool overOwner = !w->isWindow() || (m_dwStyle & WS_POPUP) != 0;
    QWidget* ref = pAlternateOwner ? pAlternateOwner->GetWidget() : (overOwner ? w->parentWidget() : nullptr);
    if (ref)
        area = QRect(ref->mapToGlobal(QPoint(0, 0)), ref->size());
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    else
        return;
    QPoint topLeft(area.x() + (area.width() - w->width()) / 2, area.y() + (area.height() - w->height()) / 2);
    if (!w->isWindow() && w->parentWidget()) {
        w->move(w->parentWidget()->mapFromGlobal(topLeft));
        return;
    }
    // A window never starts outside the screen's work area: its title bar stays where the mouse
    // can reach it, even when the window is larger than the area.
    if (QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen()) {
        const QRect work = screen->availableGeometry();
        QSize frame = w->frameGeometry().size();
        // Before its first showing the window system has not framed the window yet: reckon with
        // a title bar and borders.
        if (frame == w->size()) {
            const SIZE allowance = WindowFrameAllowance();
            frame += QSize(allowance.cx, allowance.cy);
        }
        topLeft.setX(std::max(work.left(), std::min(topLeft.x(), work.right() + 1 - frame.width())));
        topLeft.setY(std::max(work.top(), std::min(topLeft.y(), work.bottom() + 1 - frame.height())));
    }
    w->move(topLeft);
}

CWnd* CWnd::SetFocus() {
    CWnd* previous = GetFocus();
    if (QWidget* w = m_pImpl->widget)
        w->setFocus(Qt::OtherFocusReason);
    return previous;
}

CWnd* CWnd::GetFocus() {
    QWidget* focus = QApplication::focusWidget();
    if (!focus)
        return nullptr;
    if (CWnd* wnd = FromWidget(focus))
        return wnd;
    bool ok = false;
    const int id = focus->property(kIdProperty).toInt(&ok);
    if (!ok)
        return nullptr;
    for (QWidget* p = focus->parentWidget(); p; p = p->parentWidget()) {
        if (CWnd* owner = FromWidget(p)) {
            CWnd* item = owner->GetDlgItem(id);
            return item && item->GetWidget() == focus ? item : nullptr;
        }
    }
    return nullptr;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT) {
    const DWORD before = m_dwStyle;
    m_dwStyle = (m_dwStyle & ~dwRemove) | dwAdd;
    QWidget* w = m_pImpl->widget;
    if (w && w->isWindow() && ((before ^ m_dwStyle) & WS_CAPTION)) {
        if (!(m_dwStyle & WS_CAPTION) && w->isVisible() && !w->isFullScreen()) {
            // Taking the frame off a shown window re-creates it in the window system, which
            // loses its place and the keyboard; a maximise that follows at once (full screen)
            // needs no frame change, so the change waits for the caller's next step.
            m_pImpl->captionPending = true;
            QTimer::singleShot(0, w, [this, w] {
                if (FromWidget(w) == this && m_pImpl->captionPending)
                    ApplyCaptionStyle();
            });
        } else {
            ApplyCaptionStyle();
        }
    }
    if (w && ((before ^ m_dwStyle) & WS_DISABLED))
        w->setEnabled(!(m_dwStyle & WS_DISABLED));
    return before != m_dwStyle ? TRUE : FALSE;
}

void CWnd::ApplyCaptionStyle() {
    m_pImpl->captionPending = false;
    QWidget* w = m_pImpl->widget;
    // A window that covers the screen shows no frame either way; its caption comes back with
    // its placement.
    if (!w || !w->isWindow() || w->isFullScreen())
        return;
    const bool frameless = !(m_dwStyle & WS_CAPTION);
    if (w->windowFlags().testFlag(Qt::FramelessWindowHint) == frameless)
        return;
    const bool visible = w->isVisible();
    w->setWindowFlag(Qt::FramelessWindowHint, frameless);
    if (visible)
        w->show(); // changing window flags hides the window
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT) {
    const DWORD before = m_dwExStyle;
    m_dwExStyle = (m_dwExStyle & ~dwRemove) | dwAdd;
    if (QWidget* w = m_pImpl->widget)
        w->update();
    return before != m_dwExStyle ? TRUE : FALSE;
}

void CWnd::Invalidate(BOOL) {
    if (QWidget* w = m_pImpl->widget)
        w->update();
}

void CWnd::InvalidateRect(const RECT* lpRect, BOOL) {
    QWidget* w = m_pImpl->widget;
    if (!w)
        return;
    if (lpRect)
        w->update(
            QRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top));
    else
        w->update();
}

void CWnd::UpdateWindow() {
    if (QWidget* w = m_pImpl->widget; w && w->isVisible())
        w->repaint();
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void*) {
    if (!m_pImpl->widget || nIDEvent == 0)
        return 0;
    auto& timer = m_pImpl->timers[nIDEvent];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, [this, nIDEvent] {
            if (m_pImpl->widget)
                OnTimer(nIDEvent);
        });
    }
    timer->start(static_cast<int>(std::min<UINT>(std::max<UINT>(nElapse, 1u), 0x7FFFFFFFu)));
    return nIDEvent;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
    auto it = m_pImpl->timers.find(nIDEvent);
    if (it == m_pImpl->timers.end())
        return FALSE;
    // The timer may be the one whose tick is running now; stop it and delete it later.
    it->second->stop();
    it->second.release()->deleteLater();
    m_pImpl->timers.erase(it);
    return TRUE;
}

CWnd* CWnd::SetCapture() {
    CWnd* previous = g_capture;
    if (previous && previous != this)
        ReleaseCapture();
    if (QWidget* w = m_pImpl->widget) {
        w->grabMouse();
        g_capture = this;
    }
    return previous;
}

CWnd* CWnd::GetCapture() {
    return g_capture;
}

BOOL IsWindow(HWND hWnd) {
    return hWnd && LiveWindows().count(hWnd) && hWnd->GetWidget() ? TRUE : FALSE;
}

int GetSystemMetrics(int nIndex) {
    kv::EnsureApplication();
    switch (nIndex) {
    case SM_CYCAPTION:
        return QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    case SM_CXSIZEFRAME:
    case SM_CYSIZEFRAME:
        return QApplication::style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    default:
        return 0;
    }
}

SIZE WindowFrameAllowance() {
    return SIZE{2 * GetSystemMetrics(SM_CXSIZEFRAME),
                GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYSIZEFRAME)};
}

BOOL SystemParametersInfo(UINT uiAction, UINT, void* pvParam, UINT) {
    if (uiAction != SPI_GETWORKAREA || !pvParam)
        return FALSE;
    kv::EnsureApplication();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return FALSE;
    const QRect work = screen->availableGeometry();
    *static_cast<RECT*>(pvParam) = RECT{work.left(), work.top(), work.right() + 1, work.bottom() + 1};
    return TRUE;
}

BOOL ReleaseCapture() {
    if (!g_capture)
        return FALSE;
    if (QWidget* w = g_capture->GetWidget())
        w->releaseMouse();
    g_capture = nullptr;
    return TRUE;
}

int CWnd::MessageBox(const char* lpszText, const char* lpszCaption, UINT nType) {
    return kv::ShowMessageBox(this, lpszText, lpszCaption, nType);
}

BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const {
    QWidget* w = m_pImpl->widget;
    if (!w || !lpwndpl)
        return FALSE;
    *lpwndpl = WINDOWPLACEMENT{};
    lpwndpl->showCmd = w->isMaximized() || w->isFullScreen() ? SW_SHOWMAXIMIZED
                       : w->isMinimized()                    ? SW_SHOWMINIMIZED
                                                             : SW_SHOWNORMAL;
    const QRect r = w->isWindow() ? w->normalGeometry() : w->geometry();
    const QRect normal = r.isValid() ? r : w->geometry();
    lpwndpl->rcNormalPosition =
        RECT{normal.x(), normal.y(), normal.x() + normal.width(), normal.y() + normal.height()};
    return TRUE;
}

BOOL CWnd::SetWindowPlacement(const WINDOWPLACEMENT* lpwndpl) {
    QWidget* w = m_pImpl->widget;
    if (!w || !lpwndpl)
        return FALSE;
    const RECT& r = lpwndpl->rcNormalPosition;
    if (w->isMaximized() || w->isMinimized() || w->isFullScreen())
        w->showNormal();
    if (w->isWindow())
        ApplyCaptionStyle();
    w->setGeometry(r.left, r.top, std::max(0, r.right - r.left), std::max(0, r.bottom - r.top));
    if (lpwndpl->showCmd == SW_SHOWMAXIMIZED)
        w->showMaximized();
    else if (lpwndpl->showCmd == SW_SHOWMINIMIZED)
        w->showMinimized();
    return TRUE;
}

CMenu* CWnd::GetMenu() const {
    return CMenu::FromHandle(m_pImpl->menu);
}

BOOL CWnd::SetMenu(CMenu* pMenu) {
    auto* win = qobject_cast<QMainWindow*>(m_pImpl->widget.data());
    if (!win)
        return FALSE;
    HMENU h = pMenu ? pMenu->m_hMenu : nullptr;
    if (pMenu && !IsMenu(h))
        return FALSE;
    m_pImpl->menu = h;
    if (!m_pImpl->presenter)
        m_pImpl->presenter = std::make_unique<kv::MenuPresenter>(this);
    m_pImpl->presenter->InstallBar(win, h);
    return TRUE;
}

void CWnd::DrawMenuBar() {
    auto* win = qobject_cast<QMainWindow*>(m_pImpl->widget.data());
    if (win && m_pImpl->presenter)
        m_pImpl->presenter->InstallBar(win, IsMenu(m_pImpl->menu) ? m_pImpl->menu : nullptr);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_pImpl->widget || (message != WM_CLOSE && message != WM_COMMAND))
        return FALSE;
    QPointer<QWidget> guard = m_pImpl->widget.data();
    QMetaObject::invokeMethod(
        qApp,
        [guard, message, wParam, lParam] {
            if (CWnd* wnd = FromWidget(guard.data()))
                wnd->SendMessage(message, wParam, lParam);
        },
        Qt::QueuedConnection);
    return TRUE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_pImpl->widget)
        return 0;
    if (message == WM_CLOSE) {
        OnClose();
        return 0;
    }
    if (message == WM_COMMAND)
        return OnCommand(wParam, lParam);
    if (message == BM_CLICK) {
        OnLButtonDown(MK_LBUTTON, CPoint(0, 0));
        OnLButtonUp(0, CPoint(0, 0));
    }
    return 0;
}

void CWnd::OnControl(UINT nCode, UINT nID, std::function<void()> handler) {
    m_pImpl->controlHandlers[{nCode, nID}] = std::move(handler);
}

void CWnd::OnNotifyCode(UINT nCode, UINT nID, std::function<void(NMHDR*, LRESULT*)> handler) {
    m_pImpl->notifyHandlers[{nCode, nID}] = std::move(handler);
}

BOOL CWnd::ExecuteCommand(UINT nID) {
    ProbeCmdUI probe;
    probe.m_nID = nID;
    OnCmdMsg(nID, &probe);
    // A command disabled by its update handler must not run from a key or a stale menu.
    if (!probe.m_bEnabled)
        return FALSE;
    return OnCommand(MAKEWPARAM(nID, 0), 0);
}

BOOL CWnd::IsCommandHandled(UINT nID) {
    return HasCommand(nID) || m_pImpl->controlHandlers.count({0u, nID}) != 0 ? TRUE : FALSE;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT&) {
    return TRUE;
}

int CWnd::OnCreate(LPCREATESTRUCT) {
    return 0;
}

void CWnd::OnDestroy() {}

void CWnd::PostNcDestroy() {}

void CWnd::PreSubclassWindow() {}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) {
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    auto it = m_pImpl->controlHandlers.find({code, id});
    if (it != m_pImpl->controlHandlers.end()) {
        auto handler = it->second; // the handler may replace its own entry
        handler();
        return TRUE;
    }
    if (code == 0)
        return OnCmdMsg(id, nullptr) ? TRUE : FALSE;
    return FALSE;
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (!hdr)
        return FALSE;
    auto it = m_pImpl->notifyHandlers.find({hdr->code, static_cast<UINT>(hdr->idFrom)});
    if (it == m_pImpl->notifyHandlers.end())
        return FALSE;
    LRESULT dummy = 0;
    auto handler = it->second;
    handler(hdr, pResult ? pResult : &dummy);
    return TRUE;
}

void CWnd::OnPaint() {
    m_bPaintDefault = true;
}

BOOL CWnd::OnEraseBkgnd(CDC*) {
    return TRUE;
}

void CWnd::OnSize(UINT, int, int) {}

void CWnd::OnGetMinMaxInfo(MINMAXINFO*) {}

void CWnd::OnLButtonDown(UINT, CPoint) {}

void CWnd::OnLButtonUp(UINT, CPoint) {}

void CWnd::OnLButtonDblClk(UINT, CPoint) {}

void CWnd::OnRButtonDown(UINT, CPoint) {}

void CWnd::OnRButtonUp(UINT, CPoint) {}

void CWnd::OnMouseMove(UINT, CPoint) {}

void CWnd::OnKeyDown(UINT, UINT, UINT) {}

void CWnd::OnKeyUp(UINT, UINT, UINT) {}

UINT CWnd::OnGetDlgCode() {
    return 0;
}

void CWnd::OnTimer(UINT_PTR) {}

void CWnd::OnClose() {
    DestroyWindow();
}

void CWnd::OnContextMenu(CWnd*, CPoint) {}

void CWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL bSysMenu) {
    if (bSysMenu || !pPopupMenu)
        return;
    kv::MenuPresenter::UpdateItems(this, pPopupMenu->m_hMenu);
}

void CWnd::OnMeasureItem(int, MEASUREITEMSTRUCT* lpMeasureItemStruct) {
    if (lpMeasureItemStruct && lpMeasureItemStruct->CtlType == ODT_MENU)
        kv::MenuPresenter::DefaultMeasure(lpMeasureItemStruct);
}

void CWnd::OnDrawItem(int, DRAWITEMSTRUCT* lpDrawItemStruct) {
    kv::MenuPresenter::DefaultDraw(lpDrawItemStruct);
}
