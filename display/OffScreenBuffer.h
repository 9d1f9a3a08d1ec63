#pragma once
// The persistent off-screen context and bitmap that a custom-drawn window keeps between
// paints. It is made at the client size when missing, drawn into, copied into the paint's
// CMemDC, and dropped on a size change so the next paint rebuilds it at the new size.
#include <functional>

#include "framework/DC.h"

class COffScreenBuffer {
public:
    COffScreenBuffer() = default;
    ~COffScreenBuffer();
    COffScreenBuffer(const COffScreenBuffer&) = delete;
    COffScreenBuffer& operator=(const COffScreenBuffer&) = delete;

    // The context to draw the window's picture into, created compatible with `pTarget` at
    // width x height when either handle is missing. Null for a 0-sized client.
    CDC* Prepare(CDC* pTarget, int width, int height);
    // Copies the picture at (0, 0), width x height, into `pTarget`.
    BOOL CopyTo(CDC* pTarget, int width, int height);
    // Selects the old bitmap back and deletes the context and the bitmap (size change).
    void Release();
    // One paint of `client` into `pTarget`: `draw` paints the picture at (0, 0) into the
    // persistent context, which the paint's memory context then brings to the target in one
    // block transfer. Nothing is drawn when the pair cannot be made (0-sized client).
    void PaintThrough(CDC* pTarget, const CRect& client, const std::function<void(CDC*, const CRect&)>& draw);
    // The same, except that a pair that already holds a picture is shown again as it is unless
    // `redraw` is set. True when `draw` ran.
    bool PaintThrough(CDC* pTarget, const CRect& client, bool redraw,
                      const std::function<void(CDC*, const CRect&)>& draw);

    bool IsReady() const { return m_dc.GetSafeHdc() && m_bitmap.GetSafeHandle(); }
    CDC& GetDC() { return m_dc; }

private:
    CBitmap* m_pOldBitmap = nullptr;
    CBitmap m_bitmap;
    CDC m_dc;
};
