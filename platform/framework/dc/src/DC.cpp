#include "framework/DC.h"

CDC::~CDC() {
    DeleteDC();
}

BOOL CDC::Attach(HDC hdc) {
    if (!hdc || m_hDC)
        return FALSE;
    m_hDC = hdc;
    m_hAttribDC = hdc;
    return TRUE;
}

HDC CDC::Detach() {
    HDC h = m_hDC;
    m_hDC = nullptr;
    m_hAttribDC = nullptr;
    m_temporaries.clear();
    return h;
}

BOOL CDC::DeleteDC() {
    if (!m_hDC)
        return FALSE;
    return ::DeleteDC(Detach());
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    return Attach(::CreateCompatibleDC(pDC ? pDC->GetSafeHdc() : nullptr));
}

BOOL CDC::CreatePrintFileDC(const char* path, int width, int height, int dpi) {
    if (!Attach(::KvCreatePdfDC(path, width, height, dpi)))
        return FALSE;
    m_bPrinting = TRUE;
    return TRUE;
}

template <class T> T* CDC::Wrap(HGDIOBJ handle) {
    if (!handle)
        return nullptr;
    if (auto* owner = dynamic_cast<T*>(CGdiObject::FromPermanentHandle(handle)))
        return owner;
    auto it = m_temporaries.find(handle);
    if (it != m_temporaries.end()) {
        if (auto* t = dynamic_cast<T*>(it->second.get()))
            return t;
        m_temporaries.erase(it);
    }
    // Keep the cache small: drop wrappers of handles that no longer exist.
    if (m_temporaries.size() > 32) {
        for (auto i = m_temporaries.begin(); i != m_temporaries.end();)
            i = ::KvIsGdiObject(i->first) ? std::next(i) : m_temporaries.erase(i);
    }
    auto temp = std::make_unique<T>();
    temp->m_hObject = handle;
    temp->m_bTemporary = true;
    T* raw = temp.get();
    m_temporaries[handle] = std::move(temp);
    return raw;
}

CGdiObject* CDC::SelectObject(CGdiObject* obj) {
    if (!obj)
        return nullptr;
    return Wrap<CGdiObject>(::SelectObject(m_hDC, obj->m_hObject));
}
CPen* CDC::SelectObject(CPen* pen) {
    return pen ? Wrap<CPen>(::SelectObject(m_hDC, pen->m_hObject)) : nullptr;
}
CBrush* CDC::SelectObject(CBrush* brush) {
    return brush ? Wrap<CBrush>(::SelectObject(m_hDC, brush->m_hObject)) : nullptr;
}
CFont* CDC::SelectObject(CFont* font) {
    return font ? Wrap<CFont>(::SelectObject(m_hDC, font->m_hObject)) : nullptr;
}
CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    return bitmap ? Wrap<CBitmap>(::SelectObject(m_hDC, bitmap->m_hObject)) : nullptr;
}
CGdiObject* CDC::SelectStockObject(int index) {
    return Wrap<CGdiObject>(::SelectObject(m_hDC, ::GetStockObject(index)));
}

CPoint CDC::SetWindowOrg(int x, int y) {
    POINT old;
    ::SetWindowOrgEx(m_hDC, x, y, &old);
    return CPoint(old);
}

CPoint CDC::GetWindowOrg() const {
    POINT p;
    ::GetWindowOrgEx(AttribDC(), &p);
    return CPoint(p);
}

CPoint CDC::SetViewportOrg(int x, int y) {
    POINT old;
    ::SetViewportOrgEx(m_hDC, x, y, &old);
    return CPoint(old);
}

CPoint CDC::GetViewportOrg() const {
    POINT p;
    ::GetViewportOrgEx(AttribDC(), &p);
    return CPoint(p);
}

CPoint CDC::MoveTo(int x, int y) {
    POINT old;
    ::MoveToEx(m_hDC, x, y, &old);
    return CPoint(old);
}

CPoint CDC::GetCurrentPosition() const {
    POINT p;
    ::GetCurrentPositionEx(m_hDC, &p);
    return CPoint(p);
}

void CDC::FillRect(const RECT* rc, CBrush* brush) {
    if (brush)
        ::FillRect(m_hDC, rc, static_cast<HBRUSH>(brush->m_hObject));
}

void CDC::FillSolidRect(const RECT* rc, COLORREF c) {
    if (!rc)
        return;
    ::SetBkColor(m_hDC, c);
    ::ExtTextOut(m_hDC, 0, 0, ETO_OPAQUE, rc, nullptr, 0, nullptr);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF c) {
    RECT rc{x, y, x + cx, y + cy};
    FillSolidRect(&rc, c);
}

void CDC::DrawFocusRect(const RECT* rc) {
    if (!rc || rc->right - rc->left < 1 || rc->bottom - rc->top < 1)
        return;
    auto dot = [this](int x, int y) {
        ::SetPixelV(m_hDC, x, y, (x + y) % 2 == 0 ? RGB(0, 0, 0) : RGB(255, 255, 255));
    };
    for (int x = rc->left; x < rc->right; ++x) {
        dot(x, rc->top);
        dot(x, rc->bottom - 1);
    }
    for (int y = rc->top + 1; y < rc->bottom - 1; ++y) {
        dot(rc->left, y);
        dot(rc->right - 1, y);
    }
}

BOOL CDC::FillRgn(CRgn* rgn, CBrush* brush) {
    if (!rgn || !brush)
        return FALSE;
    return ::FillRgn(m_hDC, static_cast<HRGN>(rgn->m_hObject), static_cast<HBRUSH>(brush->m_hObject));
}

BOOL CDC::PaintRgn(CRgn* rgn) {
    return rgn ? ::PaintRgn(m_hDC, static_cast<HRGN>(rgn->m_hObject)) : FALSE;
}

CSize CDC::GetTextExtent(const char* text, int count) const {
    SIZE s;
    if (!::GetTextExtentPoint32(AttribDC(), text, count, &s))
        return CSize(0, 0);
    return CSize(s.cx, s.cy);
}

BOOL CDC::BitBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, DWORD rop) {
    return src ? ::BitBlt(m_hDC, x, y, w, h, src->m_hDC, xs, ys, rop) : FALSE;
}

BOOL CDC::StretchBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, int ws, int hs, DWORD rop) {
    return src ? ::StretchBlt(m_hDC, x, y, w, h, src->m_hDC, xs, ys, ws, hs, rop) : FALSE;
}
