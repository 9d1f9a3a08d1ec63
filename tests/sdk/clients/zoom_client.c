/*
 * A C client zooming the record buffers exactly as the read filled them, on the simulated
 * instrument: with equal positions and no magnification the resolution zooms give the record
 * back point for point, a magnification of 2 repeats it about the capture point, and the
 * double-rate flag of the trailer picks the stretch. Buffers end at a page without access.
 */
#define _DEFAULT_SOURCE
#include "client_check.h"

static int Shown(uint16_t code) {
    return code > 511 ? 1000 : code; /* the zoom-in shows codes above the screen as no data */
}

static void ZoomBack(uint16_t timeBase, uint16_t memoryCode, uint16_t selector) {
    const size_t words = selector == 10 ? TESSEL_SCREEN_BUFFER_WORDS : TESSEL_DEEP_BUFFER_WORDS;
    const size_t n = selector == 10 ? TESSEL_SCREEN_RECORD_POINTS : TESSEL_DEEP_RECORD_POINTS;
    uint16_t settings[7] = {0, 2, 0, 50, 0, 0, 0};
    uint16_t* a = client_words(words);
    uint16_t* b = client_words(words);
    uint16_t* dst = client_words(n);
    size_t i, wrong = 0, firstWrong = 0;
    settings[2] = timeBase;
    settings[4] = memoryCode;
    settings[5] = selector;
    if (!a || !b || !dst || client_capture(settings, 4, 4, a, b) != 1) {
        CHECK(0, "time base %u, selector %u: no record", timeBase, selector);
        return;
    }
    dsoDataResolutionZoomIn(a, dst, 1, 0, settings);
    for (i = 0; i < n; ++i)
        if (dst[i] != Shown(a[i]) && wrong++ == 0)
            firstWrong = i;
    CHECK(wrong == 0, "zoom in, time base %u, selector %u: %zu of %zu points differ (first %zu: %u, read %u)",
          timeBase, selector, wrong, n, firstWrong, dst[firstWrong], a[firstWrong]);

    dsoDataResolutionZoomOut(a, dst, settings[3], 1, selector);
    for (i = 0, wrong = 0; i < n; ++i)
        if (dst[i] != a[i] && wrong++ == 0)
            firstWrong = i;
    CHECK(wrong == 0,
          "zoom out, time base %u, selector %u: %zu of %zu points differ (first %zu: %u, read %u)", timeBase,
          selector, wrong, n, firstWrong, dst[firstWrong], a[firstWrong]);

    /* Magnified twice about the capture point at 50 %: the window shows the middle half. */
    dsoDataResolutionZoomIn(b, dst, 2, 0, settings);
    CHECK(dst[0] == Shown(b[n / 4]) && dst[n / 2] == Shown(b[n / 2]) &&
              dst[n - 1] == Shown(b[(n / 2 + n - 1) / 2]),
          "magnified, time base %u, selector %u: %u %u %u against %u %u %u", timeBase, selector, dst[0],
          dst[n / 2], dst[n - 1], b[n / 4], b[n / 2], b[(n / 2 + n - 1) / 2]);
}

/* CH1 alone at time-base index 8: the double-rate read, flag 1 in the trailer, which makes the
 * zoom stretch by 4 (not 8): one read point every 4 zoomed points from the trigger at 5120. */
static void DoubleRateFlagPicksTheStretch(void) {
    uint16_t settings[7] = {0, 0, 8, 50, 1, 10, 0};
    uint16_t* a = client_words(TESSEL_SCREEN_BUFFER_WORDS);
    uint16_t* b = client_words(TESSEL_SCREEN_BUFFER_WORDS);
    uint16_t* dst = client_words(TESSEL_SCREEN_RECORD_POINTS);
    int k;
    if (!a || !b || !dst || client_capture(settings, 4, 4, a, b) != 1) {
        CHECK(0, "no double-rate record");
        return;
    }
    CHECK(a[20480] == 8 && a[20483] == 1, "trailer {%u, .., .., %u}", a[20480], a[20483]);
    /* A 1 kHz sine is flat over the 10 us this record spans: a ramp in its place (the trailer kept
     * as read) shows which stretch the zoom took. */
    for (k = 0; k < TESSEL_SCREEN_RECORD_POINTS; ++k)
        a[k] = (uint16_t)(100 + k % 300);
    dsoDataResolutionZoomIn(a, dst, 1, 2, settings);
    for (k = 0; k <= 3; ++k)
        CHECK(dst[5120 + 4 * k] == Shown(a[5120 + k]), "zoomed point %d is %u, read point %d %u",
              5120 + 4 * k, dst[5120 + 4 * k], 5120 + k, a[5120 + k]);
    CHECK(dst[5116] == Shown(a[5119]), "before the trigger: %u against %u", dst[5116], a[5119]);
}

int main(void) {
    setenv("SCOPE_SIMULATOR", "1", 1);
    ZoomBack(12, 1, 10);
    ZoomBack(20, 1, 10);
    ZoomBack(20, 2, 0);
    DoubleRateFlagPicksTheStretch();
    return client_result("zoom_client");
}
