/*
 * A client of the oscilloscope library drawing without any window: it makes a memory device
 * context and a bitmap with the drawing library, lets the library draw the graticule and a trace
 * into it, reads the pixels back and writes them to a 24-bit BMP file.
 *
 *     sdk_example_draw OUTPUT.bmp
 *
 * Build: cc -std=c99 draw_grid_and_trace.c -I<prefix>/include -L<prefix>/lib -lTessel -lkvgdi -lm
 */
#include <math.h>
#include <stdint.h>
#include <stdio.h>

#include "Tessel.h"
#include "kvgdi.h" /* the drawing library: contexts, bitmaps, brushes, pixels */

enum { kWidth = 500, kHeight = 400, kPoints = 500 };

static void PutLe(unsigned char* at, uint32_t value, int bytes) {
    int i;
    for (i = 0; i < bytes; ++i)
        at[i] = (unsigned char)(value >> (8 * i));
}

/* Writes the context's bitmap as a bottom-up 24-bit BMP; 1 when the whole file was written. */
static int WriteBmp(HDC dc, int width, int height, const char* path) {
    const uint32_t rowBytes = (uint32_t)(width * 3 + 3) / 4 * 4;
    unsigned char header[54] = {0};
    unsigned char row[kWidth * 3 + 4];
    FILE* file;
    int x, y, ok = 1;

    header[0] = 'B';
    header[1] = 'M';
    PutLe(header + 2, 54 + rowBytes * (uint32_t)height, 4); /* file size */
    PutLe(header + 10, 54, 4);                              /* offset of the pixels */
    PutLe(header + 14, 40, 4);                              /* size of the info header */
    PutLe(header + 18, (uint32_t)width, 4);
    PutLe(header + 22, (uint32_t)height, 4); /* positive: the last row comes first */
    PutLe(header + 26, 1, 2);                /* planes */
    PutLe(header + 28, 24, 2);               /* bits per pixel */
    PutLe(header + 34, rowBytes * (uint32_t)height, 4);

    file = fopen(path, "wb");
    if (!file)
        return 0;
    if (fwrite(header, sizeof header, 1, file) != 1)
        ok = 0;
    for (y = height - 1; ok && y >= 0; --y) {
        for (x = 0; x < (int)rowBytes; ++x)
            row[x] = 0;
        for (x = 0; x < width; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            row[3 * x] = (unsigned char)GetBValue(c);
            row[3 * x + 1] = (unsigned char)GetGValue(c);
            row[3 * x + 2] = (unsigned char)GetRValue(c);
        }
        if (fwrite(row, rowBytes, 1, file) != 1)
            ok = 0;
    }
    if (fclose(file) != 0)
        ok = 0;
    return ok;
}

int main(int argc, char** argv) {
    /* Panel layout: width, height, left, right, top and bottom margin, step code (0: every point). */
    const uint16_t layout[7] = {kWidth, kHeight, 0, 0, 0, 0, 0};
    /* Trace colour {red, green, blue}, scaled by the intensity / 255. */
    const uint16_t yellow[3] = {255, 255, 0};
    const RECT all = {0, 0, kWidth, kHeight};
    uint16_t trace[kPoints];
    HDC dc;
    HBITMAP bitmap;
    HBRUSH background;
    HGDIOBJ previous;
    int i, ok;

    if (argc != 2) {
        fprintf(stderr, "usage: %s OUTPUT.bmp\n", argv[0]);
        return 2;
    }
    /* Two and a half periods of a sine in display codes (0..511, 511 at the top). */
    for (i = 0; i < kPoints; ++i)
        trace[i] = (uint16_t)(256 + 150 * sin(2 * 3.14159265358979 * i / 200));

    dc = CreateCompatibleDC(NULL);
    bitmap = dc ? CreateCompatibleBitmap(dc, kWidth, kHeight) : NULL;
    if (!bitmap) {
        fprintf(stderr, "no memory bitmap\n");
        if (dc)
            DeleteDC(dc);
        return 1;
    }
    previous = SelectObject(dc, bitmap);

    background = CreateSolidBrush(RGB(0, 0, 40));
    FillRect(dc, &all, background);
    DeleteObject(background);

    dsoMainPannelDrawGrid(dc, layout);
    /* Mode 1 joins the points; colour selector 0 takes the colour block at intensity 255. */
    ok = dsoDisplayData(dc, layout, 1, trace, 0, 255, yellow) == 1;
    if (!ok)
        fprintf(stderr, "the trace was not drawn\n");
    if (ok && !WriteBmp(dc, kWidth, kHeight, argv[1])) {
        fprintf(stderr, "cannot write %s\n", argv[1]);
        ok = 0;
    }

    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return ok ? 0 : 1;
}
