#pragma once
// A static control that draws its whole client area itself, through a persistent off-screen
// pair kept between paints.
#include "OffScreenBuffer.h"
#include "framework/Controls.h"
#include "framework/DC.h"
#include "framework/Geometry.h"

class CBufferedStatic : public CStatic {
public:
    ~CBufferedStatic() override = default;

    // Paints the client rectangle through Paint().
    void OnPaint() override;
    // The picture covers the whole client area, so erasing first would only flicker.
    BOOL OnEraseBkgnd(CDC* pDC) override;

    // One paint through a memory context and the persistent pair; 0-sized clients paint nothing.
    virtual void Paint(CDC* pTarget, const CRect& client) = 0;

protected:
    // True when the target can be painted on and the client has an area.
    static bool CanPaint(CDC* pTarget, const CRect& client) {
        return pTarget && pTarget->GetSafeHdc() && client.Width() > 0 && client.Height() > 0;
    }

    COffScreenBuffer m_buffer;
};
