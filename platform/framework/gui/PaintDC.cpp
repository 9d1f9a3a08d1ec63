#include "framework/PaintDC.h"

#include "PaintSurface.h"
#include "WndImpl.h"

#include <QPalette>

CPaintDC::CPaintDC(CWnd* pWnd) : m_pWnd(pWnd) {
    if (!pWnd || !pWnd->GetWidget())
        return;
    CWnd::Impl* impl = pWnd->GetImpl();
    if (!impl->surface)
        impl->surface = std::make_unique<kv::PaintSurface>();
    RECT rc;
    pWnd->GetClientRect(&rc);
    const QColor window = pWnd->GetWidget()->palette().color(QPalette::Window);
    if (HDC dc = impl->surface->Begin(rc.right - rc.left, rc.bottom - rc.top,
                                      RGB(window.red(), window.green(), window.blue())))
        Attach(dc);
    kv::PaintSurface* surface = impl->surface.get();
    impl->present = [surface](QWidget* widget) { return surface->Present(widget); };
}

CPaintDC::~CPaintDC() {
    // The context belongs to the window's surface, which shows it after OnPaint.
    Detach();
}

CClientDC::CClientDC(CWnd*) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    if (!dc)
        return;
    m_bitmap = ::CreateCompatibleBitmap(dc, 1, 1);
    if (m_bitmap)
        m_old = ::SelectObject(dc, m_bitmap);
    Attach(dc);
}

CClientDC::~CClientDC() {
    HDC dc = Detach();
    if (dc) {
        if (m_old)
            ::SelectObject(dc, m_old);
        ::DeleteDC(dc);
    }
    if (m_bitmap)
        ::DeleteObject(m_bitmap);
}

CDC* CWnd::GetDC() {
    auto dc = std::make_unique<CClientDC>(this);
    CDC* raw = dc.get();
    GetImpl()->clientDCs.push_back(std::move(dc));
    return raw;
}

int CWnd::ReleaseDC(CDC* pDC) {
    auto& dcs = GetImpl()->clientDCs;
    for (auto it = dcs.begin(); it != dcs.end(); ++it)
        if (it->get() == pDC) {
            dcs.erase(it);
            return 1;
        }
    return 0;
}
