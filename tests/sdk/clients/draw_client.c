/*
 * A C client that draws: it includes the drawing library's header beside the oscilloscope
 * library's, in the order DRAW_GDI_FIRST picks, and hands a memory context of the one to the
 * other. Built both ways round (and the same source compiled as C++), so the two headers' device
 * context is one type whichever comes first.
 */
#include <stdio.h>

#if defined(DRAW_GDI_FIRST)
#include "Tessel.h"
#include "kvgdi.h"
#else
#include "Tessel.h"
#include "kvgdi.h"
#endif

int main(void) {
    const uint16_t layout[7] = {200, 160, 0, 0, 0, 0, 0};
    HDC dc = CreateCompatibleDC(NULL);
    HBITMAP bitmap = dc ? CreateCompatibleBitmap(dc, 200, 160) : NULL;
    HGDIOBJ previous;
    COLORREF centre, corner;
    if (!bitmap) {
        fprintf(stderr, "draw_client: no memory bitmap\n");
        return 1;
    }
    previous = SelectObject(dc, bitmap);
    sdMainPanelDrawGrid(dc, layout);
    /* The graticule's solid centre ticks cross at the middle; a point off every line stays black. */
    centre = GetPixel(dc, 100, 80);
    corner = GetPixel(dc, 7, 7);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    if (centre != RGB(100, 100, 100) || corner != RGB(0, 0, 0)) {
        fprintf(stderr, "draw_client: centre %06lx, corner %06lx\n", (unsigned long)centre,
                (unsigned long)corner);
        return 1;
    }
    return 0;
}
