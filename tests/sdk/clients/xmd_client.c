/*
 * A C client that uses the X protocol's scalar types (BOOL, BYTE, INT32, ...) beside the
 * oscilloscope library: the library's header brings none of the drawing library's names.
 */
#include <X11/Xmd.h>

#include <stdio.h>

#include "Tessel.h"

int main(void) {
    BOOL ok = 1;
    BYTE byte = 7;
    INT32 sum = 0;
    uint16_t record[TESSEL_SCREEN_RECORD_POINTS];
    uint16_t extremes[2] = {0, 0};
    int i;
    for (i = 0; i < TESSEL_SCREEN_RECORD_POINTS; ++i)
        record[i] = (uint16_t)(i % 300);
    sum = dsoGetAmplitude(extremes, record);
    if (sum != 299 || extremes[0] != 299 || extremes[1] != 0)
        ok = 0;
    if (!ok || byte != 7) {
        fprintf(stderr, "xmd_client: amplitude %ld (%u..%u)\n", (long)sum, extremes[1], extremes[0]);
        return 1;
    }
    return 0;
}
