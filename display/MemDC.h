#pragma once
// Off-screen drawing context for one paint: everything drawn into it reaches the target in a
// single block transfer when it is destroyed. A printer target is drawn into directly.
#include "framework/DC.h"

class CMemDC : public CDC {
public:
    // Without a rectangle the target's clip box is used.
    explicit CMemDC(CDC* pDC, const CRect* pRect = nullptr);
    ~CMemDC() override;

    CMemDC* operator->() { return this; }
    operator CMemDC*() { return this; }

private:
    CBitmap m_bitmap;
    CBitmap* m_pOldBitmap = nullptr;
    CDC* m_pTargetDC = nullptr;
    CRect m_rcDraw;
    BOOL m_bOffScreen = FALSE;
};
