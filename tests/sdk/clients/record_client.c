/*
 * A C client of the 512-point record and of every pair of memory code and record-length selector,
 * on the simulated instrument: what the rate command accepts the read reads, what one refuses
 * the other refuses, the record holds the simulated signal's codes, and no read writes past the
 * buffer size the header gives for its selector.
 */
#define _DEFAULT_SOURCE
#include "client_check.h"

enum { kCh1Volts = 6, kCh2Volts = 5 }; /* 1 V/div and 0.5 V/div: both sines within the screen */

static size_t BufferWords(uint16_t selector) {
    return selector == 10 || selector == 512 ? TESSEL_SCREEN_BUFFER_WORDS : TESSEL_DEEP_BUFFER_WORDS;
}

struct Span {
    int min, max;
    long long sum;
};

static struct Span SpanOf(const uint16_t* record, size_t first, size_t count) {
    struct Span s = {1 << 20, -1, 0};
    size_t i;
    for (i = first; i < first + count; ++i) {
        s.min = record[i] < s.min ? record[i] : s.min;
        s.max = record[i] > s.max ? record[i] : s.max;
        s.sum += record[i];
    }
    return s;
}

/* Every pair of memory code 0..5 and selector 10, 512, 0: the rate command and the read agree, and
 * an accepted read writes its record, the trailer and nothing else of its buffers. */
static void CodesAndSelectorsAgree(void) {
    static const uint16_t selectors[3] = {10, 512, 0};
    uint16_t code;
    int k;
    for (code = 0; code <= 5; ++code) {
        for (k = 0; k < 3; ++k) {
            const uint16_t selector = selectors[k];
            const size_t words = BufferWords(selector);
            uint16_t settings[7] = {0, 2, 20, 50, 0, 0, 0};
            uint16_t* ch1 = client_words(words);
            uint16_t* ch2 = client_words(words);
            int rate, read;
            size_t points, i, touched = 0;
            settings[4] = code;
            settings[5] = selector;
            if (!ch1 || !ch2) {
                CHECK(0, "no memory for %zu words", words);
                return;
            }
            rate = dsoSetTriggerAndSampleRate3(0, 0, 0, settings);
            read = rate == 1 ? client_capture(settings, kCh1Volts, kCh2Volts, ch1, ch2)
                             : dsoGetChannelData(0, kCh1Volts, kCh2Volts, 50, ch1, ch2, settings, 0);
            CHECK(rate == read, "memory code %u, selector %u: the rate command gives %d, the read %d", code,
                  selector, rate, read);
            if (read != 1) {
                CHECK(ch1[0] == 0xEEEE && ch1[words - 1] == 0xEEEE, "a refused read wrote its buffer");
                continue;
            }
            points = code == 0 || code == 3
                         ? 512
                         : (code == 1 ? TESSEL_SCREEN_RECORD_POINTS : TESSEL_DEEP_RECORD_POINTS);
            for (i = 0; i < points; ++i)
                if (ch1[i] > 1023 || ch2[i] > 1023) {
                    CHECK(0, "code %u, selector %u: point %zu reads %u / %u", code, selector, i, ch1[i],
                          ch2[i]);
                    break;
                }
            /* Past the record (single-rate read) only the trailer at 2 x n may change. */
            for (i = points; i < words - 4; ++i)
                touched += ch1[i] != 0xEEEE || ch2[i] != 0xEEEE;
            CHECK(touched == 0, "code %u, selector %u: %zu words past the %zu-point record written", code,
                  selector, touched, points);
            CHECK(ch1[words - 4] == 20 && ch1[words - 3] == kCh1Volts && ch1[words - 2] == 50 &&
                      ch1[words - 1] == 0,
                  "code %u, selector %u: trailer {%u, %u, %u, %u} at %zu", code, selector, ch1[words - 4],
                  ch1[words - 3], ch1[words - 2], ch1[words - 1], words - 4);
            CHECK(ch2[words - 3] == kCh2Volts, "CH2's trailer names CH2's range");
        }
    }
}

/* The 512-point record under memory code 0 and 3 holds the simulated sines as a 10240-point
 * record does on the same sample clock (its selector's column of the rate tables, which a deep
 * selector shares): point for point about the trigger at 50 %, within a few codes. A stream of
 * another length decoded as 512 points would not even keep the codes' high bits. */
static void ShortRecordHoldsTheSignal(void) {
    /* Selector 1000: a deep buffer, and the deep column of the rate tables in every build. */
    uint16_t longSettings[7] = {0, 2, 20, 50, 1, 1000, 0};
    uint16_t* a = client_words(TESSEL_DEEP_BUFFER_WORDS);
    uint16_t* b = client_words(TESSEL_DEEP_BUFFER_WORDS);
    uint16_t* shortA = client_words(TESSEL_SCREEN_BUFFER_WORDS);
    uint16_t* shortB = client_words(TESSEL_SCREEN_BUFFER_WORDS);
    struct Span span;
    uint16_t code;
    if (!a || !b || !shortA || !shortB || client_capture(longSettings, kCh1Volts, kCh2Volts, a, b) != 1) {
        CHECK(0, "the 10240-point record was not read");
        return;
    }
    span = SpanOf(a, 1, 10239);
    CHECK(span.max - span.min > 4, "CH1 spans %d..%d over the 10240 points", span.min, span.max);
    for (code = 0; code <= 3; code += 3) {
        uint16_t settings[7] = {0, 2, 20, 50, 0, 512, 0};
        size_t k, differ = 0, first = 0;
        settings[4] = code;
        if (client_capture(settings, kCh1Volts, kCh2Volts, shortA, shortB) != 1) {
            CHECK(0, "memory code %u: the 512-point record was not read", code);
            continue;
        }
        /* The trigger sits at 256 of the short record and at 5120 of the long one. */
        for (k = 1; k < 512; ++k) {
            const size_t at = 5120 - 256 + k;
            if ((abs(shortA[k] - a[at]) > 3 || abs(shortB[k] - b[at]) > 3) && differ++ == 0)
                first = k;
        }
        CHECK(differ == 0,
              "memory code %u: %zu of 511 points differ from the long record (first %zu: %u/%u "
              "against %u/%u)",
              code, differ, first, shortA[first], shortB[first], a[5120 - 256 + first],
              b[5120 - 256 + first]);
    }
}

/* At time-base index 15 the 512-point record comes from the double-rate read: 1024 points of
 * one channel, still inside the screen buffer, the trailer flagging it. */
static void ShortDoubleRateRecord(void) {
    uint16_t settings[7] = {0, 0, 15, 50, 3, 512, 0};
    uint16_t* a = client_words(TESSEL_SCREEN_BUFFER_WORDS);
    uint16_t* b = client_words(TESSEL_SCREEN_BUFFER_WORDS);
    size_t i, touched = 0;
    if (!a || !b || client_capture(settings, kCh1Volts, kCh2Volts, a, b) != 1) {
        CHECK(0, "the double-rate 512-point record was not read");
        return;
    }
    for (i = 1024; i < 20480; ++i)
        touched += a[i] != 0xEEEE;
    CHECK(touched == 0, "%zu words written past the 1024 double-rate points", touched);
    CHECK(a[20483] == 1, "the trailer's double-rate flag is %u", a[20483]);
    for (i = 0; i < 1024 && a[i] <= 511; ++i) {
    }
    CHECK(i == 1024, "double-rate point %zu reads %u", i, i < 1024 ? a[i] : 0);
}

/* The simplified interface on the same settings block: sdGetData reads the 512-point record (it
 * never waits for ever on a record the rate command set up), in normal and in auto sweep. */
static void SdLoopReadsTheShortRecord(void) {
    uint16_t sweep;
    for (sweep = 0; sweep <= 1; ++sweep) {
        uint16_t settings[7] = {0, 2, 20, 50, 0, 512, 0};
        uint16_t filter[5] = {0, 0, 0, 0, 0};
        uint16_t positions[5] = {255, 255, 255, 255, 255};
        uint16_t levels[66];
        uint16_t* a = client_words(TESSEL_SCREEN_BUFFER_WORDS);
        uint16_t* b = client_words(TESSEL_SCREEN_BUFFER_WORDS);
        int i, got = 0;
        filter[3] = sweep;
        if (!a || !b)
            return;
        sdGetLevel(0, levels);
        sdSetVoltageAndCoupling(0, kCh1Volts, kCh2Volts, 0, 0, settings);
        sdSetOffset(0, positions, kCh1Volts, kCh2Volts, 0, levels);
        CHECK(sdSetTriggerAndSampleRate(0, 0, 0, settings, 0, 0, 0) == 1,
              "sweep %u: the rate commands refused", sweep);
        sdCaptureStart(0);
        sdTriggerEnabled(0);
        for (i = 0; i < 200 && got < 3; ++i)
            got += sdGetData(0, kCh1Volts, kCh2Volts, a, b, settings, filter, positions, levels, 1, 0, 0, 0);
        CHECK(got == 3, "sweep %u: %d records of 512 points in %d steps", sweep, got, i);
        CHECK(a[20480] == 20 && a[512] == 0xEEEE, "sweep %u: trailer %u, point 512 %u", sweep, a[20480],
              a[512]);
    }
}

int main(void) {
    setenv("SCOPE_SIMULATOR", "1", 1);
    CHECK(dsoSearchDevice(0) == 1, "no simulated instrument at index 0");
    CodesAndSelectorsAgree();
    ShortRecordHoldsTheSignal();
    ShortDoubleRateRecord();
    SdLoopReadsTheShortRecord();
    return client_result("record_client");
}
