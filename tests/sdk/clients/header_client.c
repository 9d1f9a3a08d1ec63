/*
 * A C client holding the library to what its header states, on the simulated instrument: buffer
 * sizes (the frames of an equivalent-time capture, the level table, a spectrum's stretch source)
 * in buffers that end at a page without access; the units (seconds per division, volts per
 * division, codes per division, the spectrum's frequency axis) against the simulated 1 kHz and
 * 2 kHz sines; the rise time's percent order; the device name the build answers under.
 */
#define _DEFAULT_SOURCE
#include <math.h>
#include <string.h>

#include "client_check.h"

/* ---- sizes ---- */

static void EtsFramesFitTheStatedBuffer(void) {
    uint16_t timeBase;
    CHECK(dsoSetTDCSel(0, 3) == 1, "the TDC select was refused"); /* frames need the trigger phase */
    for (timeBase = 0; timeBase <= 5; timeBase += 5) {
        const size_t words = timeBase < 2 ? 15 * TESSEL_ETS_FRAME_WORDS : 10 * TESSEL_ETS_FRAME_WORDS;
        uint16_t settings[7] = {0, 2, 0, 50, 1, 10, 0};
        uint16_t* frames = client_words(words);
        uint16_t ch1[500], ch2[500], age[502];
        const uint16_t cal[2] = {0, 0};
        uint16_t range[2] = {0, 0};
        int r;
        settings[2] = timeBase;
        if (!frames)
            return;
        memset(age, 0, sizeof age);
        age[501] = 234;
        r = dsoETSGetData(0, 4, 4, 0, frames, 0, settings, 0, 100, 0);
        CHECK(r == 1, "time base %u: dsoETSGetData gives %d", timeBase, r);
        CHECK(frames[(words / TESSEL_ETS_FRAME_WORDS - 1) * TESSEL_ETS_FRAME_WORDS + 1536] == 100,
              "time base %u: the last frame has no trigger point", timeBase);
        CHECK(dsoGetTDC(0, range) == 1, "no TDC range");
        CHECK(dsoETS(0, settings, ch1, ch2, frames, age, cal, range, 0) == 1, "time base %u: dsoETS refused",
              timeBase);
    }
    dsoSetTDCSel(0, 1);
}

static void LevelTableHolds66(void) {
    uint16_t* levels = client_words(66);
    if (!levels)
        return;
    CHECK(sdGetLevel(0, levels) == 1, "sdGetLevel failed");
    CHECK(levels[64] == 4095 && levels[65] == 0, "levels[64], [65] = %u, %u", levels[64], levels[65]);
}

static void SpectrumStretchSources(void) {
    double* source = (double*)client_guarded(2002, sizeof(double), 0);
    double* wide = (double*)client_guarded(3997, sizeof(double), 0);
    double* dst = (double*)client_guarded(1000, sizeof(double), 0);
    int i;
    if (!source || !wide || !dst)
        return;
    for (i = 0; i < 2002; ++i)
        source[i] = i;
    for (i = 0; i < 3997; ++i)
        wide[i] = i;
    CHECK(sdFFTDataBuffer(1, 2.5f, dst + 500, source) == 1, "interpolated stretch at 2.5");
    CHECK(dst[500 + 499] == 1999.0, "dst[499] = %g", dst[999]);
    CHECK(sdFFTDataBuffer(0, 2.5f, dst, wide) == 1, "copying stretch at 2.5");
    CHECK(dst[999] == 3996.0, "dst[999] = %g", dst[999]);
}

/* ---- units ---- */

static void SecondsPerDivisionAsListed(void) {
    /* The list at the top of the header. */
    static const double listed[39] = {2e-9,  4e-9,  10e-9, 20e-9, 40e-9,  100e-9, 200e-9, 400e-9, 1e-6, 2e-6,
                                      4e-6,  10e-6, 20e-6, 40e-6, 100e-6, 200e-6, 400e-6, 1e-3,   2e-3, 4e-3,
                                      10e-3, 20e-3, 40e-3, 0.1,   0.2,    0.4,    1,      2,      4,    10,
                                      20,    40,    60,    120,   240,    600,    1200,   2400,   3600};
    int t;
    for (t = 0; t <= 38; ++t) {
        double spd = -1;
        sdDisplaySampling(0, 0, 0, 0, (uint16_t)t, 10, &spd);
        CHECK(fabs(spd - listed[t]) <= 1e-9 * listed[t], "time base %d: %g s/div", t, spd);
    }
}

static int PeakOf(const double* spectrum, int first, int last) {
    int i, best = first;
    for (i = first; i <= last; ++i)
        if (spectrum[i] > spectrum[best])
            best = i;
    return best;
}

/* At 10 ms/div with N = 2048 the spectrum's points are 1000 / (2.5 x 0.01) / 1000 = 40 Hz apart:
 * the 1 kHz sine of CH1 peaks at point 25, the 2 kHz sine of CH2 at point 50. */
static void SpectrumFrequencyAxis(void) {
    uint16_t settings[7] = {0, 2, 20, 50, 1, 10, 0};
    uint16_t* a = client_words(TESSEL_SCREEN_BUFFER_WORDS);
    uint16_t* b = client_words(TESSEL_SCREEN_BUFFER_WORDS);
    uint16_t displayA[500], displayB[500];
    double out[500];
    SdSpectrumSettings spectrum;
    int channel;
    if (!a || !b || client_capture(settings, 6, 5, a, b) != 1) {
        CHECK(0, "no record for the spectrum");
        return;
    }
    memset(displayA, 0, sizeof displayA);
    memset(displayB, 0, sizeof displayB);
    for (channel = 0; channel <= 1; ++channel) {
        const int expected = channel == 0 ? 25 : 50;
        int peak;
        spectrum.channel = (uint16_t)channel;
        spectrum.windowType = 3;
        spectrum.pointCount = 2048;
        spectrum.gain = 1000;
        spectrum.linear = 1.0;
        spectrum.scale = 1.0;
        CHECK(sdFFT(0, settings, &spectrum, displayA, displayB, a, b, out) == 1, "sdFFT refused");
        peak = PeakOf(out, 5, 499);
        CHECK(abs(peak - expected) <= 1, "CH%d: the spectrum peaks at point %d, not %d", channel + 1, peak,
              expected);
    }
}

static int Swing(const uint16_t* record) {
    int i, lo = 1 << 20, hi = -1;
    for (i = 1; i < 5000; ++i) {
        lo = record[i] < lo ? record[i] : lo;
        hi = record[i] > hi ? record[i] : hi;
    }
    return hi - lo;
}

/* The same sine at 0.5 V/div spans twice the codes it spans at 1 V/div (volts/div steps), and the
 * volts of dsoNewFFT count TESSEL_CODES_PER_DIVISION codes to a division. */
static void VoltsAndCodesPerDivision(void) {
    uint16_t settings[7] = {0, 2, 20, 50, 1, 10, 0};
    uint16_t* a = client_words(TESSEL_SCREEN_BUFFER_WORDS);
    uint16_t* b = client_words(TESSEL_SCREEN_BUFFER_WORDS);
    uint16_t samples[256];
    double out[128];
    DsoFftSettings fft;
    int atOneVolt, atHalfVolt, i;
    if (!a || !b || client_capture(settings, 6, 6, a, b) != 1)
        return;
    atOneVolt = Swing(a);
    if (client_capture(settings, 5, 5, a, b) != 1)
        return;
    atHalfVolt = Swing(a);
    CHECK(atOneVolt > 20 && abs(atHalfVolt - 2 * atOneVolt) <= 4,
          "the sine spans %d codes at 1 V/div, %d at 0.5", atOneVolt, atHalfVolt);
    /* A constant 128 codes below 511, two divisions and a little more: 2.004 V at 1 V/div. */
    for (i = 0; i < 256; ++i)
        samples[i] = 383;
    fft.reserved = 0;
    fft.window = 0;
    fft.halfCount = 128;
    fft.voltsPerDivision = 1.0;
    dsoNewFFT(&fft, samples, 0, out);
    /* out[0] of a constant is twice its volts with the rectangular window. */
    CHECK(fabs(out[0] / 2 - (511 - 383) / TESSEL_CODES_PER_DIVISION) < 1e-9, "code 383 reads %g V",
          out[0] / 2);
}

/* ---- quirks ---- */

/* A client's display record of the 1 kHz sine at 1 ms/div (every 20th point of the screen record,
 * 50 points a period): from the 10 % to the 90 % level is asin(0.8) x 2 / (2 pi) of a period,
 * 14.8 points, and dsoMeasureRiseTime measures it with the percents (90, 10). */
static void RiseTimeTakesNinetyThenTen(void) {
    uint16_t settings[7] = {0, 2, 17, 50, 1, 10, 0};
    uint16_t* a = client_words(TESSEL_SCREEN_BUFFER_WORDS);
    uint16_t* b = client_words(TESSEL_SCREEN_BUFFER_WORDS);
    uint16_t display[500], top[5], base[5], rise[2] = {0, 0}, fall[2] = {0, 0}, swapped[2] = {0, 0};
    int i;
    if (!a || !b || client_capture(settings, 5, 5, a, b) != 1) {
        CHECK(0, "no record for the rise time");
        return;
    }
    for (i = 0; i < 500; ++i)
        display[i] = a[20 * i];
    dsoMeasureRiseTime(top, base, rise, display, 90, 10);
    dsoMeasureFallTime(top, base, fall, display, 90, 10);
    dsoMeasureRiseTime(top, base, swapped, display, 10, 90);
    CHECK(rise[1] > rise[0] && abs(rise[1] - rise[0] - 15) <= 3, "rise (90, 10): %u .. %u", rise[0], rise[1]);
    CHECK(fall[1] > fall[0] && abs(fall[1] - fall[0] - 15) <= 3, "fall (90, 10): %u .. %u", fall[0], fall[1]);
    CHECK(swapped[1] - swapped[0] > 25, "rise (10, 90) measures the rest of the period: %u .. %u", swapped[0],
          swapped[1]);
}

/* ---- device names ---- */

static void AnswersUnderItsOwnName(void) {
    CHECK(dsoSearchDevice(0) == 1, "the simulated instrument does not answer at index 0");
    CHECK(sdSearchDevice(0) == 1, "sdSearchDevice(0)");
    CHECK(dsoSearchDevice(1) == 0, "an instrument answers at index 1");
}

int main(void) {
    setenv("SCOPE_SIMULATOR", "1", 1);
    AnswersUnderItsOwnName();
    EtsFramesFitTheStatedBuffer();
    LevelTableHolds66();
    SpectrumStretchSources();
    SecondsPerDivisionAsListed();
    SpectrumFrequencyAxis();
    VoltsAndCodesPerDivision();
    RiseTimeTakesNinetyThenTen();
    return client_result("header_client");
}
