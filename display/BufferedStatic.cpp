#include "BufferedStatic.h"

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
