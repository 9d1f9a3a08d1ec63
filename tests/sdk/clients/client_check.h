/*
 * What the C client programs share: a check that counts failures, buffers that end right at a
 * page the process may not touch (so one element too far faults at once), and one capture on the
 * simulated instrument. Each program defines _DEFAULT_SOURCE before any include (mmap, setenv).
 */
#ifndef CLIENT_CHECK_H
#define CLIENT_CHECK_H

#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include "Tessel.h"

static int g_failures = 0;

static inline void client_fail(const char* file, int line, const char* format, ...) {
    va_list args;
    fprintf(stderr, "%s:%d: ", file, line);
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
    fputc('\n', stderr);
    ++g_failures;
}

/* CHECK(condition, printf-style message about what went wrong) */
#define CHECK(cond, ...) ((cond) ? (void)0 : client_fail(__FILE__, __LINE__, __VA_ARGS__))

/* The build under test, for the messages. */
#if defined(TESSEL_PALLIK)
#define CLIENT_BUILD "Pallik"
#elif defined(CLIENT_CORDUN)
#define CLIENT_BUILD "Cordun"
#else
#define CLIENT_BUILD "Tessel"
#endif

static inline int client_result(const char* name) {
    if (g_failures != 0)
        fprintf(stderr, "%s (%s): %d check(s) failed\n", name, CLIENT_BUILD, g_failures);
    return g_failures == 0 ? 0 : 1;
}

/* count elements of `size` bytes whose last one ends where a page without access begins. Filled
 * with the byte `fill`. Never released: the program ends soon after. */
static inline void* client_guarded(size_t count, size_t size, unsigned char fill) {
    const size_t page = (size_t)sysconf(_SC_PAGESIZE);
    const size_t bytes = count * size;
    const size_t span = (bytes + page - 1) / page * page;
    unsigned char* base =
        (unsigned char*)mmap(NULL, span + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    size_t i;
    if (base == (unsigned char*)MAP_FAILED)
        return NULL;
    if (mprotect(base + span, page, PROT_NONE) != 0)
        return NULL;
    for (i = 0; i < bytes; ++i)
        base[span - bytes + i] = fill;
    return base + span - bytes;
}

static inline uint16_t* client_words(size_t count) {
    return (uint16_t*)client_guarded(count, sizeof(uint16_t), 0xEE); /* 0xEEEE: no code */
}

/* Sends the channel ranges and the rate commands of `settings`, captures once and reads both
 * channels (the trigger position as the trailer value). Returns the read's result, 0 when a
 * setting was refused or no capture came. */
static inline int client_capture(uint16_t* settings, uint16_t ch1Volts, uint16_t ch2Volts, uint16_t* ch1,
                                 uint16_t* ch2) {
    uint32_t address = 0;
    int polls = 0;
    if (dsoSetVoltageAndCoupling(0, ch1Volts, ch2Volts, 0, 0, settings) != 1)
        return 0;
    dsoSetTriggerAndSampleRate(0, 0, 0, settings, 0, 0, 0, 0);
    if (dsoSetTriggerAndSampleRate2(0, 0, 0, settings) != 1 ||
        dsoSetTriggerAndSampleRate3(0, 0, 0, settings) != 1)
        return 0;
    dsoCaptureStart(0);
    dsoTriggerEnabled(0);
    while (dsoGetCaptureState(0, &address) < 4) {
        if (++polls > 100)
            dsoForceTrigger(0);
        if (polls > 200)
            return 0;
    }
    return dsoGetChannelData(0, ch1Volts, ch2Volts, settings[3], ch1, ch2, settings, address);
}

#endif /* CLIENT_CHECK_H */
