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
    CMemDC memDC(pTarget, &client);
    const int w = client.Width();
    const int h = client.Height();
    CDC* pBuffer = Prepare(pTarget, w, h);
    if (!pBuffer)
        return;
    draw(pBuffer, CRect(0, 0, w, h));
    CopyTo(&memDC, w, h);
}
