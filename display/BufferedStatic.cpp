#include "BufferedStatic.h"

#include <utility>

#include "framework/PaintDC.h"

void CBufferedStatic::OnPaint() {
    CPaintDC dc(this);
    RECT rc{0, 0, 0, 0};
    GetClientRect(&rc);
    Paint(&dc, CRect(rc));
}

BOOL CBufferedStatic::OnEraseBkgnd(CDC*) {
    return TRUE;
}

CPictureKey CBufferedStatic::KeyFor(const CRect& client) const {
    CPictureKey key = GetPictureKey();
    key.Add(client.Width()).Add(client.Height());
    return key;
}

void CBufferedStatic::RepaintIfChanged() {
    RECT rc{0, 0, 0, 0};
    GetClientRect(&rc);
    if (!m_buffer.IsReady() || KeyFor(CRect(rc)) != m_drawnKey)
        Invalidate(TRUE);
}

void CBufferedStatic::PaintPicture(CDC* pTarget, const CRect& client,
                                   const std::function<void(CDC*, const CRect&)>& draw) {
    CPictureKey key = KeyFor(client);
    const bool redraw = key != m_drawnKey;
    if (m_buffer.PaintThrough(pTarget, client, redraw, draw)) {
        m_drawnKey = std::move(key);
        ++m_nDrawCount;
    }
}
