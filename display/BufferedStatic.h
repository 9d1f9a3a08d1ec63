#pragma once
// A static control that draws its whole client area itself, through a persistent off-screen
// pair kept between paints. The pair keeps the last picture: a paint whose picture inputs did
// not change since the last drawing shows it again instead of drawing it anew.
#include <functional>

#include "OffScreenBuffer.h"
#include "PictureKey.h"
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

    // A repaint request that is carried out only when the picture would differ from the one
    // shown: a window whose inputs did not change keeps its picture on the screen.
    void RepaintIfChanged();
    // Pictures drawn so far; paints that showed the kept picture again do not count.
    int GetDrawCount() const { return m_nDrawCount; }

protected:
    // Every input of the picture other than the client size.
    virtual CPictureKey GetPictureKey() const = 0;
    // One paint through the persistent pair: `draw` runs when the pair is new or the picture's
    // inputs changed since it last ran; otherwise the kept picture is shown.
    void PaintPicture(CDC* pTarget, const CRect& client, const std::function<void(CDC*, const CRect&)>& draw);

    // True when the target can be painted on and the client has an area.
    static bool CanPaint(CDC* pTarget, const CRect& client) {
        return pTarget && pTarget->GetSafeHdc() && client.Width() > 0 && client.Height() > 0;
    }

    COffScreenBuffer m_buffer;

private:
    CPictureKey KeyFor(const CRect& client) const;

    CPictureKey m_drawnKey;
    int m_nDrawCount = 0;
};
