/*
 * A C client with names of its own that a drawing library would also use: an enum {OK, ERROR},
 * OPAQUE, its own POINT and RGB, and functions called Rectangle, Polygon and TextOut. The
 * oscilloscope library's header declares none of them, so the client compiles as it is.
 */
#include <stdio.h>

enum Status { OK, ERROR, OPAQUE };
typedef struct POINT {
    double x, y;
} POINT;
#define RGB(r, g, b) ((r) + (g) + (b))

#include "Tessel.h"

static double Rectangle(POINT a, POINT b) {
    return (b.x - a.x) * (b.y - a.y);
}
static int Polygon(int corners) {
    return corners >= 3 ? OK : ERROR;
}
static void TextOut(const char* text) {
    fputs(text, stderr);
}

int main(void) {
    POINT a = {0, 0}, b = {2, 3};
    uint16_t upper[500], lower[500], record[500];
    enum Status status = OK;
    int i;
    for (i = 0; i < 500; ++i)
        record[i] = 200;
    if (dsoCalculatePassFailData(0, 10, upper, lower, record) != 1 || upper[0] != 210 || lower[499] != 190)
        status = ERROR;
    if (Rectangle(a, b) != 6.0 || Polygon(4) != OK || RGB(1, 2, 3) != 6)
        status = ERROR;
    if (status != OK)
        TextOut("own_names_client: the library or the client's own names misbehaved\n");
    return status == OK ? 0 : 1;
}
