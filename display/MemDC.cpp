#include "MemDC.h"

CMemDC::CMemDC(CDC* pDC, const CRect* pRect) {
    m_pTargetDC = pDC;
    m_pOldBitmap = nullptr;
    if (!pDC)
        return; // nothing to draw for: every drawing call fails harmlessly
    m_bOffScreen = !pDC->IsPrinting();

    if (pRect)
        m_rcDraw = *pRect;
    else
        pDC->GetClipBox(&m_rcDraw);

    if (m_bOffScreen) {
        CreateCompatibleDC(pDC);
        CRect device = m_rcDraw;
        pDC->LPtoDP(&device);
        // An empty area gets no bitmap: nothing is drawn and nothing is copied back.
        if (device.Width() > 0 && device.Height() > 0 &&
            m_bitmap.CreateCompatibleBitmap(pDC, device.Width(), device.Height()))
            m_pOldBitmap = SelectObject(&m_bitmap);
        SetMapMode(pDC->GetMapMode());
        pDC->DPtoLP(&device);
        m_rcDraw = device;
        SetWindowOrg(m_rcDraw.left, m_rcDraw.top);
    } else {
        m_bPrinting = pDC->m_bPrinting;
        m_hDC = pDC->m_hDC;
        m_hAttribDC = pDC->m_hAttribDC;
    }
    FillSolidRect(&m_rcDraw, pDC->GetBkColor());
}

CMemDC::CMemDC(CDC* pDC, const CRect& rect, CDC& picture) {
    m_pTargetDC = pDC;
    m_pOldBitmap = nullptr;
    if (!pDC)
        return;
    m_bOffScreen = !pDC->IsPrinting();
    m_rcDraw = rect;
    if (!m_bOffScreen) {
        m_bPrinting = pDC->m_bPrinting;
        m_hDC = pDC->m_hDC;
        m_hAttribDC = pDC->m_hAttribDC;
        FillSolidRect(&m_rcDraw, pDC->GetBkColor());
        return;
    }
    // An empty area or a missing picture: nothing is drawn and nothing is copied back.
    if (m_rcDraw.Width() <= 0 || m_rcDraw.Height() <= 0 || !picture.GetSafeHdc())
        return;
    m_hDC = picture.m_hDC;
    m_hAttribDC = picture.m_hAttribDC;
    m_bKeptPicture = TRUE;
}

CMemDC::~CMemDC() {
    if (m_bKeptPicture) {
        if (m_pTargetDC)
            m_pTargetDC->BitBlt(m_rcDraw.left, m_rcDraw.top, m_rcDraw.Width(), m_rcDraw.Height(), this, 0, 0,
                                SRCCOPY);
        // The context and its bitmap stay with their owner for the next paint.
        Detach();
        return;
    }
    if (m_bOffScreen) {
        if (m_pOldBitmap && m_pTargetDC) {
            m_pTargetDC->BitBlt(m_rcDraw.left, m_rcDraw.top, m_rcDraw.Width(), m_rcDraw.Height(), this,
                                m_rcDraw.left, m_rcDraw.top, SRCCOPY);
            SelectObject(m_pOldBitmap);
        }
    } else {
        // The handles belong to the printer context: forget them instead of deleting them.
        m_hDC = nullptr;
        m_hAttribDC = nullptr;
    }
    m_bitmap.DeleteObject();
    DeleteDC();
}
