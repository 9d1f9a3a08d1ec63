#include "OffScreenBuffer.h"

#include "MemDC.h"

COffScreenBuffer::~COffScreenBuffer() {
    Release();
}

CDC* COffScreenBuffer::Prepare(CDC* pTarget, int width, int height) {
    if (!pTarget || width <= 0 || height <= 0)
        return nullptr;
    if (!IsReady()) {
        Release();
        if (!m_dc.CreateCompatibleDC(pTarget))
            return nullptr;
        if (!m_bitmap.CreateCompatibleBitmap(pTarget, width, height)) {
            m_dc.DeleteDC();
            return nullptr;
        }
        m_pOldBitmap = m_dc.SelectObject(&m_bitmap);
    }
    return &m_dc;
}

BOOL COffScreenBuffer::CopyTo(CDC* pTarget, int width, int height) {
    if (!pTarget || !IsReady())
        return FALSE;
    return pTarget->BitBlt(0, 0, width, height, &m_dc, 0, 0, SRCCOPY);
}

void COffScreenBuffer::Release() {
    if (m_dc.GetSafeHdc() && m_pOldBitmap)
        m_dc.SelectObject(m_pOldBitmap);
    m_pOldBitmap = nullptr;
    m_dc.DeleteDC();
    m_bitmap.DeleteObject();
}

void COffScreenBuffer::PaintThrough(CDC* pTarget, const CRect& client,
                                    const std::function<void(CDC*, const CRect&)>& draw) {
    PaintThrough(pTarget, client, true, draw);
}

bool COffScreenBuffer::PaintThrough(CDC* pTarget, const CRect& client, bool redraw,
                                    const std::function<void(CDC*, const CRect&)>& draw) {
    const int w = client.Width();
    const int h = client.Height();
    const bool made = !IsReady();
    CDC* pBuffer = Prepare(pTarget, w, h);
    if (!pBuffer)
        return false;
    const bool drawing = redraw || made;
    if (pTarget->IsPrinting()) {
        // A printer context is drawn into directly: the picture is copied onto it.
        CMemDC memDC(pTarget, &client);
        if (drawing)
            draw(pBuffer, CRect(0, 0, w, h));
        CopyTo(&memDC, w, h);
        return drawing;
    }
    // The memory context of this paint works on the pair itself: the picture covers the whole
    // client, so a bitmap of its own, its background fill and a second copy would add nothing.
    CMemDC memDC(pTarget, client, *pBuffer);
    if (drawing)
        draw(pBuffer, CRect(0, 0, w, h));
    return drawing;
}
