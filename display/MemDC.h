#pragma once
// Off-screen drawing context for one paint: everything drawn into it reaches the target in a
// single block transfer when it is destroyed. A printer target is drawn into directly.
#include "framework/DC.h"

class CMemDC : public CDC {
public:
    // Without a rectangle the target's clip box is used.
    explicit CMemDC(CDC* pDC, const CRect* pRect = nullptr);
    // Draws into `picture`, a context that its owner keeps between paints with a bitmap that
    // covers `rect` at (0, 0) (a window's persistent pair), instead of a bitmap of its own: nothing
    // is created or cleared, and what the picture holds reaches the target at destruction in
    // the same one block transfer. A printer target is drawn into directly, as above.
    CMemDC(CDC* pDC, const CRect& rect, CDC& picture);
    ~CMemDC() override;

    CMemDC* operator->() { return this; }
    operator CMemDC*() { return this; }

private:
    CBitmap m_bitmap;
    CBitmap* m_pOldBitmap = nullptr;
    CDC* m_pTargetDC = nullptr;
    CRect m_rcDraw;
    BOOL m_bOffScreen = FALSE;
    BOOL m_bKeptPicture = FALSE; // drawing goes to the owner's picture context
};
