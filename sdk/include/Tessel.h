/*
 * Tessel: client library for the Kestra-E USB oscilloscope. The same header serves the Pallik
 * build (define TESSEL_PALLIK before including it) and the Cordun build for the Kestra-F.
 *
 * Every device function takes the device index 0..3 first, opens the instrument, does its
 * transfers and closes it again before it returns. A function returns 0 when the device did not
 * open, a transfer failed or an argument was refused (null pointer, index or length out of
 * range); arrays passed in are then left as they were. Calls on one device index are serialised.
 *
 * Sizes: each pointer argument's comment gives how many elements the function may read or write
 * through it (uint16_t words unless said otherwise, "record[500]" for 500 of them); no function
 * goes beyond that. The record buffers of the channel data read are sized by the record-length
 * selector (capture settings [5]): selectors 10 and 512 take TESSEL_SCREEN_BUFFER_WORDS, any
 * other selector TESSEL_DEEP_BUFFER_WORDS (both below).
 *
 * Units:
 * - Display codes 0..511, 511 at the top of the screen: 511 codes span the 8 vertical divisions
 *   (TESSEL_CODES_PER_DIVISION, 63.875 codes per division).
 * - Volts/div index 0..9: 10 mV, 20 mV, 50 mV, 100 mV, 200 mV, 500 mV, 1 V, 2 V, 5 V, 10 V per
 *   division (at the input, probe x1).
 * - Time-base index 0..38, seconds per division (sdDisplaySampling returns them): 2 ns, 4 ns,
 *   10 ns, 20 ns, 40 ns, 100 ns, 200 ns, 400 ns, 1 us, 2 us, 4 us, 10 us, 20 us, 40 us, 100 us,
 *   200 us, 400 us, 1 ms, 2 ms, 4 ms, 10 ms, 20 ms, 40 ms, 100 ms, 200 ms, 400 ms, 1 s, 2 s, 4 s,
 *   10 s, 20 s, 40 s, 1 min, 2 min, 4 min, 10 min, 20 min, 40 min, 1 h.
 * - The screen spans 10 divisions: a screen record of 10240 points as dsoChannelDataBuffer
 *   delivers it holds 1000 points per division (dsoChannelDataFilt shows a 10000-point window of
 *   it), a display record of 500 points 50 points per division.
 * - Spectra: see sdFFT, dsoNewFFT and dsoFFTGetSamples for their frequency axes.
 */
#ifndef TESSEL_H
#define TESSEL_H

#include <stdint.h>

/* Device context of the drawing library: the opaque HDC of kvgdi.h (libkvgdi). A client that
 * draws includes kvgdi.h itself, before or after this header; this header declares nothing else
 * of it. */
#ifndef KVGDI_HDC_DEFINED
#define KVGDI_HDC_DEFINED
typedef struct HDC__* HDC;
#endif

/* Points of the screen record and of the deep record per channel (Pallik: 14336). */
#define TESSEL_SCREEN_RECORD_POINTS 10240
#if defined(KV_SDK_MODEL_PALLIK) || defined(TESSEL_PALLIK)
#define TESSEL_DEEP_RECORD_POINTS 14336
#else
#define TESSEL_DEEP_RECORD_POINTS 524288
#endif
/* A record buffer holds twice its record (the double-rate read fills both halves) and the
 * four-word trailer behind them: 20484 words, and 1048580 (Pallik: 28676) for the deep record. */
#define TESSEL_SCREEN_BUFFER_WORDS (2 * TESSEL_SCREEN_RECORD_POINTS + 4)
#define TESSEL_DEEP_BUFFER_WORDS (2 * TESSEL_DEEP_RECORD_POINTS + 4)
/* Display codes per vertical division. */
#define TESSEL_CODES_PER_DIVISION (511.0 / 8.0)

#ifdef __cplusplus
#define TESSEL_EXTERN_C extern "C"
#else
#define TESSEL_EXTERN_C
#endif

#if defined(TESSEL_BUILDING_LIBRARY)
#define TESSEL_API TESSEL_EXTERN_C __attribute__((visibility("default")))
#else
#define TESSEL_API TESSEL_EXTERN_C
#endif

/* ---- Stored settings ----
 * The instrument's non-volatile settings memory. Level table: 40 values at address 8, high byte
 * first (CH1 ranges 0-9 low/high, then CH2), moved one byte per array entry; one transfer carries
 * at most 8192 bytes. */
/* The device address byte: address[1]. */
TESSEL_API int dsoGetDeviceAddress(uint16_t deviceIndex, uint16_t* address);
/* address[1] (one byte). */
TESSEL_API int dsoSetDeviceAddress(uint16_t deviceIndex, const uint8_t* address);
/* length bytes at address 8; byte i to levels[i] (levels[length]). length above 8192 is refused. */
TESSEL_API int dsoGetChannelLevel(uint16_t deviceIndex, uint16_t* levels, uint16_t length);
/* length bytes at address 8; byte i = low byte of levels[i] (levels[length]). length above 8192
 * is refused. */
TESSEL_API int dsoSetChannelLevel(uint16_t deviceIndex, const uint16_t* levels, uint16_t length);
/* Four calibration bytes: calibration[4]. */
TESSEL_API int dsoGetCalData(uint16_t deviceIndex, uint16_t* calibration);
TESSEL_API int dsoSetCalData(uint16_t deviceIndex, const uint16_t* calibration);
/* The TDC calibration value: value[1]. */
TESSEL_API int dsoGetTDCCalData(uint16_t deviceIndex, uint16_t* value);
TESSEL_API int dsoSetTDCCalData(uint16_t deviceIndex, const uint16_t* value);
/* Two TDC values: values[2]. */
TESSEL_API int dsoGetTDC(uint16_t deviceIndex, uint16_t* values);
TESSEL_API int dsoSetTDC(uint16_t deviceIndex, const uint16_t* values);

/* ---- Capture control ----
 * Capture settings block (7 uint16_t, captureSettings[7] wherever it is taken): [0] trigger
 * source 0..4, [1] channel selector (0 CH1, 1 CH2, 2 both, 3 alternate), [2] time-base index
 * 0..38, [3] trigger position 0..100 %, [4] memory code (0 or 3 = 512 points, 1 = 10240,
 * 2 = the deep record), [5] record-length selector (10 = the 10240-point record, 512 = the
 * 512-point record, both in screen buffers; other = the deep record), [6] alternate-trigger flag.
 * The rate command dsoSetTriggerAndSampleRate3 and the read dsoGetChannelData take the same
 * pairs of memory code and selector: a record the selector's buffers hold (memory code 2 only
 * under a deep selector; codes above 3 never). */
/* 1 when a device answers under the build's device name with the index as a decimal number:
 * "qzdev-<deviceIndex>" (Tessel, Pallik), "qzdva-<deviceIndex>" (Cordun). Unlike the other
 * device functions any index may be asked for. */
TESSEL_API int dsoSearchDevice(uint16_t deviceIndex);
TESSEL_API int dsoCaptureStart(uint16_t deviceIndex);
TESSEL_API int dsoTriggerEnabled(uint16_t deviceIndex);
/* Completes the capture under way, armed or not, with the record as it stands; with no capture
 * started it does nothing. */
TESSEL_API int dsoForceTrigger(uint16_t deviceIndex);
/* Capture state (below 2 no capture, 2-3 not ready, 4 or more ready); the 24-bit trigger address
 * is stored through triggerAddress[1]. 0 and nothing stored when the poll failed. */
TESSEL_API uint16_t dsoGetCaptureState(uint16_t deviceIndex, uint32_t* triggerAddress);
TESSEL_API uint16_t dsoGetLogicData(uint16_t deviceIndex);
TESSEL_API int dsoSetLogicData(uint16_t deviceIndex, uint16_t value);

/* ---- Channel data read ----
 * Reads the captured record of both channels as display codes rotated to the trigger address
 * (D points per channel by the memory code: 512, 10240 or the deep record; 2D points of one
 * channel from the double-rate read at the fast time bases) and writes a four-word trailer
 * {time-base index, volts index, trailerValue, double-rate flag} behind each record, where the
 * zoom functions find it: at index 20480 under record-length selectors 10 and 512
 * (ch1Record[TESSEL_SCREEN_BUFFER_WORDS], 20484 words, and the same for ch2Record), else at
 * index 2 x TESSEL_DEEP_RECORD_POINTS (buffers of TESSEL_DEEP_BUFFER_WORDS: 1048580 words,
 * Pallik 28676 with the trailer at 28672). Nothing past the record and the trailer is written. Time-base
 * indexes above 25 read a 256-point roll record without trailer. A memory code the selector's
 * buffers cannot hold (2 under selector 10 or 512, above 3 under any) is refused, as the rate
 * command refuses it. Returns 1 when read, 0 when refused or failed; the buffers are untouched on
 * 0. */
TESSEL_API uint16_t dsoGetChannelData(uint16_t deviceIndex, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                                      uint16_t trailerValue, uint16_t* ch1Record, uint16_t* ch2Record,
                                      const uint16_t* captureSettings, uint32_t triggerAddress);

/* ---- Front-end settings ----
 * Volts/div indexes 0..9 (10 mV .. 10 V per division), time-base index 0..38, trigger source
 * 0..4: any other value, or a null pointer, is refused (0, nothing sent). Coupling 1 = AC. */
/* Command 0x07 (gain bits) then request 0xB5 (relays, trigger source from captureSettings[0]);
 * the result of the second. */
TESSEL_API int dsoSetVoltageAndCoupling(uint16_t deviceIndex, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                                        uint16_t ch1Coupling, uint16_t ch2Coupling,
                                        const uint16_t* captureSettings);
/* Command 0x07; the two middle values are not used. The write's success flag. */
TESSEL_API int dsoSetVoltageAndCouplingFirst(uint16_t deviceIndex, uint16_t ch1VoltsIndex,
                                             uint16_t ch2VoltsIndex, uint16_t unused1, uint16_t unused2,
                                             const uint16_t* captureSettings);
/* Request 0xB5 with the relay masks; the request's success flag. */
TESSEL_API int dsoSetVoltageAndCouplingSecond(uint16_t deviceIndex, uint16_t ch1VoltsIndex,
                                              uint16_t ch2VoltsIndex, uint16_t ch1Coupling,
                                              uint16_t ch2Coupling, uint16_t triggerSource);
/* Request 0xB4: the CH1, CH2 and trigger DACs interpolated from the level table levels[42]
 * (CH1 range r at [2r], [2r+1], CH2 at [20+2r], [21+2r], trigger at [40], [41]) by the five
 * positions[5] {CH1, CH2, trigger level for source 0, source 1, other sources}, each 0..511 with
 * 511 at the top (larger values count as 511). */
TESSEL_API int dsoSetOffset(uint16_t deviceIndex, const uint16_t* positions, uint16_t ch1VoltsIndex,
                            uint16_t ch2VoltsIndex, uint16_t triggerSource, const uint16_t* levels);
/* Command 0x00: the three filter switches (bit 0 of each). The write's success flag. */
TESSEL_API int dsoSetFilt(uint16_t deviceIndex, uint16_t a, uint16_t b, uint16_t c);
/* Command 0x0E: trigger flags, the two-bit value and a 32-bit value; a nonzero overrideFlag sends
 * channel selector 2. The Pallik build also stores 2 into captureSettings[1] when overrideFlag is
 * nonzero (before the command is packed), so the block must be writable; the other builds leave
 * it unchanged. Returns overrideFlag as given once sent, 0 when refused or not sent. */
TESSEL_API int dsoSetTriggerAndSampleRate(uint16_t deviceIndex, uint16_t triggerValue, uint16_t overrideFlag,
                                          uint16_t* captureSettings, uint16_t flagA, uint16_t flagB,
                                          uint16_t twoBitValue, uint32_t value);
/* Command 0x0C: the sample-clock counter by time-base index. The write's success flag. */
TESSEL_API int dsoSetTriggerAndSampleRate2(uint16_t deviceIndex, uint16_t triggerValue, uint16_t overrideFlag,
                                           const uint16_t* captureSettings);
/* Command 0x0D: pre- and post-trigger record positions from the memory code (0 and 3 = 512
 * points, sent as 3; 1 = 10240; 2 = the deep record) and the trigger position (above 100 counts
 * as 100). A pair of memory code and selector that dsoGetChannelData refuses is refused here too
 * (0, nothing sent). The write's success flag. */
TESSEL_API int dsoSetTriggerAndSampleRate3(uint16_t deviceIndex, uint16_t unused1, uint16_t unused2,
                                           const uint16_t* captureSettings);
/* Request 0xBC: the TDC calibration value. */
TESSEL_API int dsoSetTDCCal(uint16_t deviceIndex, uint16_t value);
/* Command 0x0B: the TDC select value (low byte). The write's success flag. */
TESSEL_API int dsoSetTDCSel(uint16_t deviceIndex, uint16_t value);
/* Command 0x0A: the 29-bit TDC count into count[1]. 0 and count untouched when the reply did not
 * arrive. */
TESSEL_API int dsoGetTDCData(uint16_t deviceIndex, uint32_t* count);

/* ---- Channel data processing ----
 * No function here talks to the instrument. Codes are 0..511 with 511 at the top; 1000 (700 in
 * the MATH record) marks a point without data. A null pointer, or an argument the function cannot
 * use, writes nothing. */
/* By time-base index captureSettings[2]: above 10 copies 10240 codes (record-length selector 10
 * or 512) or TESSEL_DEEP_RECORD_POINTS (other selectors); at 10 copies 10240 unless both channels
 * run without alternate trigger, then stretches by 2; at 5..9 stretches linearly to 10240 points;
 * at 0..4 stretches to 40000 points by `mode` (0 step, 2 linear, other sin(x)/x). dst and src hold
 * as many codes as are copied, else dst[10240] (dst[40000] below index 5) and src[10240]. */
TESSEL_API void dsoChannelDataBuffer(const uint16_t* captureSettings, uint16_t mode, uint16_t* dst,
                                     const uint16_t* src);
/* Selector 5 only: stretches linearly by 40 (80 when trigger source is not 2 and both channels
 * run). src[10240]; dst[10240], dst[40000] when captureSettings[2] is below 5. */
TESSEL_API void dsoFFTBuffer(const uint16_t* captureSettings, uint16_t selector, uint16_t* dst,
                             const uint16_t* src);
/* The MATH record dst[501] from the records ch1[501] and ch2[501]. mathBlock[7]: [1] position,
 * [6] volts/div index; offsets[2]; probeBlock[5]: [0] CH1, [2] CH2, [4] MATH probe code;
 * operationBlock[2]: [0] operands (0 CH1-CH1, 1 CH1-CH2, 2 CH2-CH1, 3 CH2-CH2), [1] operation
 * (0 add, 1 subtract, 2 multiply, 3 divide). A zero divisor gives 700. Returns the CH1 scale; an
 * index above 9 or an operand or operation above 3 fills 700 and returns 0.0. */
TESSEL_API double dsoChannelDataMathOperation(uint16_t* dst, const uint16_t* ch1, const uint16_t* ch2,
                                              const uint16_t* mathBlock, uint16_t ch1VoltsIndex,
                                              uint16_t ch2VoltsIndex, const uint16_t* offsets,
                                              const uint16_t* probeBlock, const uint16_t* operationBlock);
/* Adds (255 - level; Cordun: 256 - level) to each code of record[TESSEL_DEEP_RECORD_POINTS]
 * (524288 codes; Pallik 14336) with 16-bit wrap-around, so the opposite call restores it. */
TESSEL_API int dsoChannelDataAdjustOffset(uint16_t level, uint16_t* record);
/* Sets the first 31000 codes (Pallik: 28672) to value (a grounded channel): record[31000]
 * (Pallik: record[28672]). */
TESSEL_API int dsoChannelInGND(uint16_t value, uint16_t* record);
/* 250 pairs (pairs[500] int16) from a 10000-code window placed by the trigger position (0..100)
 * in record[10240] (recordSelector 10 or 512), or from record[TESSEL_DEEP_RECORD_POINTS] (other
 * selectors; a 500000-code window, Pallik 10000): mode 2 group means, else (min, max) in order of
 * occurrence, mode 1 narrowed by one. */
TESSEL_API void dsoChannelDataFilt(uint16_t unused, uint16_t position, int16_t* pairs, const uint16_t* record,
                                   uint16_t recordSelector, uint16_t mode);
/* 251 pairs (pairs[502] int16) of record[10240] (selector 10 or 512). With another selector the
 * record is first moved 2048 points to the left in place (points 0..30719 take 2048..32767), so
 * it must hold 32768 codes. */
TESSEL_API void dsoChannelDataFiltbackup(uint16_t timeBaseIndex, int16_t* pairs, uint16_t* record,
                                         uint16_t recordSelector);
/* groupCount pairs (pairs[2 x groupCount] int16) of groups of groupSize codes of
 * record[validLength]; points at or past validLength read as the last valid point. A group size
 * or valid length of 0 writes nothing. */
TESSEL_API void dsoStopDataFilt(uint32_t groupSize, uint32_t groupCount, const uint16_t* record,
                                int16_t* pairs, uint16_t mode, uint32_t validLength);
/* Level of record[10240]: 511 pinned at the top, 0 at the bottom, else the mean of points
 * 100..499. */
TESSEL_API int dsoChannelAverageData(const uint16_t* record);
/* Roll mode: shifts display[500] left by one and appends the new code (511 - levels[0] for
 * channel 1 when channelBlock[2] is 1, 511 - levels[1] for channel 2 when channelBlock[3] is 1).
 * levels[2], channelBlock[4]. */
TESSEL_API int dsoScrollDisplayData(uint16_t* display, const uint16_t* levels, const uint16_t* channelBlock,
                                    uint16_t newCode, uint16_t channel);
/* Stopped display src[500] moved from the capture position to the current position (percent)
 * into dst[500]: mode 2 magnified by factor, mode 1 shifted, other modes reduced by factor (0
 * counts as 1). dst gets 1000 where no point lands. */
TESSEL_API void dsoScrollDisplayDataInStop(const uint16_t* src, uint16_t* dst, uint16_t capturePosition,
                                           uint16_t currentPosition, uint16_t factor, uint16_t mode);
/* First period of record[20000] (longer than a screen record: pass a read's record buffer):
 * out[0] the first rising crossing, out[1] the next one after a falling crossing (out[2], left
 * unchanged when not found). Returns the point where the walk stopped (20001 when it found no
 * period). */
TESSEL_API int dsoGetPointsNumberInPeriod(uint16_t* out, const uint16_t* record);
/* out[0] maximum, out[1] minimum of points 100..9899 of record[10240]; returns max - min. */
TESSEL_API int dsoGetAmplitude(uint16_t* out, const uint16_t* record);

/* ---- Measurements of a display record, record[500] ----
 * Results are display codes and point indexes (50 points per division). */
/* out[0] maximum, out[1] minimum of points 20..479 (out[2]); returns the maximum. */
TESSEL_API int dsoGetMaxChannelData(uint16_t* out, const uint16_t* record);
/* Mean of points 10..499 (integer), stored in out[1] and returned. */
TESSEL_API int dsoMeasureMean(uint16_t* out, const uint16_t* record);
/* min + (max - min) / 2 over points 0..499. */
TESSEL_API int dsoDataMedian(const uint16_t* record);
/* Five top and five base levels of points 20..479 (top[5], base[5]); top[4] and base[4] are the
 * signal's levels. Returns top[0]. */
TESSEL_API int dsoMeasureAmplitude(uint16_t* top, uint16_t* base, const uint16_t* record);
/* RMS of points 1..499 about level; out[0] its integer part, out[1] 0 (out[2]). */
TESSEL_API double dsoMeasureRMS(int16_t* out, const uint16_t* record, uint16_t level);
/* RMS about level up to the point where point 0's code occurs for the third time; out[2] as
 * dsoMeasureRMS. */
TESSEL_API double dsoMeasureCycleRMS(int16_t* out, const uint16_t* record, uint16_t level);
/* One period: out[0] first rising crossing, out[2] the falling one after it, out[1] the next
 * rising one (out[3]); left as given when not found. top[5] and base[5] receive the level sets. */
TESSEL_API void dsoMeasureFrequency(uint16_t* top, uint16_t* base, uint16_t* out, const uint16_t* record);
/* Mean over one period: period[0] receives it (truncated), period[1] 0 (period[3], top[5],
 * base[5] as dsoMeasureFrequency); 0.0 when no full period. */
TESSEL_API double dsoMeasureCycleMean(uint16_t* top, uint16_t* base, uint16_t* period,
                                      const uint16_t* record);
/* Falling edge: out[0] the point where the record falls through the firstPercent level, out[1]
 * where it then falls through the secondPercent level (out[2], top[5], base[5]; left as given
 * when not found). The 90 % to 10 % fall time is out[1] - out[0] of (..., 90, 10). */
TESSEL_API void dsoMeasureFallTime(uint16_t* top, uint16_t* base, uint16_t* out, const uint16_t* record,
                                   uint16_t firstPercent, uint16_t secondPercent);
/* Rising edge, with the percents in the fall time's order: out[0] is the point where the record
 * rises through the secondPercent level, out[1] where it then rises through the firstPercent
 * level. So the 10 % to 90 % rise time is out[1] - out[0] of (..., 90, 10), as for the fall time;
 * (..., 10, 90) measures from the 90 % crossing to the next rising 10 % crossing instead. */
TESSEL_API void dsoMeasureRiseTime(uint16_t* top, uint16_t* base, uint16_t* out, const uint16_t* record,
                                   uint16_t firstPercent, uint16_t secondPercent);

/* ---- Spectrum, zoom, equivalent-time sampling, drawing, printing, pass/fail ----
 * Drawing goes to a device context of the drawing library (kvgdi.h, libkvgdi), for example a
 * memory context with a bitmap selected; every pen, brush, font and region is made for one call and
 * the context is handed back with the objects it had. A null pointer or context, or a length or
 * selector the function cannot use, writes and draws nothing (functions with a result return 0).
 * Display codes are 0..511 with 511 at the top; 1000 marks a point without data. Real values are
 * truncated toward zero and held inside the target's range. */

/* Complex radix-2 FFT of numSamples points (a power of two, 2 .. 2^31). imagIn may be NULL
 * (zeros). A bad count or a NULL realIn, realOut or imagOut prints one line to stderr and
 * computes nothing. The inverse divides by numSamples. */
TESSEL_API void dsoFFT(uint32_t numSamples, int inverse, const double* realIn, const double* imagIn,
                       double* realOut, double* imagOut);
/* Resamples a spectrum for a 1000-point trace with x = scaleTenths / 10: interpolate nonzero
 * fills the points between src[i] and src[i + 1] linearly (values kept to 16 bits) for i below
 * 500 / x, reading src[trunc(500 / x) + 2]; else dst[i] = src[trunc(i / x)] for i = 0..999,
 * reading src[trunc(999 / x) + 1]. dst[1000]; nothing is written at 1000 or beyond. A scale of 0
 * or below writes nothing and returns 1. */
TESSEL_API int dsoFFTDataBuffer(int interpolate, int32_t scaleTenths, int32_t* dst, const uint32_t* src);
/* FFT panel layout, layout[13] int32: [0] width, [1] height, [2] left, [3] right, [4] top,
 * [5] bottom margin, [6] point step (0 = 1), [7] colour selector 0..3 (others draw nothing),
 * [8] draw mode (0 joined points, other: a bar from the plot's bottom edge up to each point),
 * [9..11] not read, [12] hidden flag (1 draws nothing). spectrum[500] int32 whose low 16 bits are
 * codes. */
TESSEL_API void dsoFFTDisplayData(HDC dc, const int32_t* layout, const int32_t* spectrum);
/* The main panel's graticule on the FFT panel layout (layout[13]; its first six fields). */
TESSEL_API void dsoFFTDrawGrid(HDC dc, const int32_t* layout);
/* Settings of dsoNewFFT: window 0 rectangular, 1 Hanning, 2 Hamming, 3 Blackman, 4 triangular,
 * 5 flat top (others rectangular); halfCount N: the call reads 2N samples and writes N values. */
typedef struct DsoFftSettings {
    uint16_t reserved;
    uint16_t window;
    uint16_t halfCount;
    double voltsPerDivision;
} DsoFftSettings;
/* Amplitude spectrum of samples[2N] codes (volts = (code + offset - 511) x V/div / codes per
 * division) into out[N], normalised by half the window sum. Frequency axis: out[j] lies at
 * j x fs / L, L the largest power of two not above 2N, fs the samples' rate per second. N = 0,
 * or a window that sums to 0, writes nothing. */
TESSEL_API void dsoNewFFT(const DsoFftSettings* settings, const uint16_t* samples, uint16_t offset,
                          double* out);
/* Picks n = 2 x halfCount samples from screen[10240] into dst[n]: n = 4096 every 2.5 points,
 * n above 4096 8192 points every 1.25 points (at most n written), smaller n group means of
 * trunc(10240 / n) points. With the screen record's 1000 points per division the picked samples'
 * rate is 1000 / (2.5, 1.25 or the group size) per division. Returns 1; 0 for halfCount 0. */
TESSEL_API int dsoFFTGetSamples(const uint16_t* screen, uint16_t halfCount, uint16_t* dst);

/* Zoom. Records of n points: n = 10240 for record selectors 10 and 512, else
 * TESSEL_DEEP_RECORD_POINTS. Position words are percent; 6554 and above stand for negative
 * percents (value - 65536). A live record is a record buffer as dsoGetChannelData filled it
 * (record[2n + 4]: TESSEL_SCREEN_BUFFER_WORDS or TESSEL_DEEP_BUFFER_WORDS), its trailer
 * {time-base index, volts index, capture position, double-rate flag} at 2n..2n+3. */
/* Stretch by the trailer's time-base index, repeat by magnification (0 and 1 = 1), shift from the
 * trailer's capture position to captureSettings[3] (captureSettings[7]: n by [5]); codes above
 * 511 become 1000. dst[n]. */
TESSEL_API void dsoDataResolutionZoomIn(const uint16_t* record, uint16_t* dst, uint16_t magnification,
                                        uint16_t stretchMode, const uint16_t* captureSettings);
/* Repeat by the trailer's time-base factor, take every step-th point (0 = 1) about the capture
 * point, shift to currentPosition. record[2n + 4] as above, dst[n]. */
TESSEL_API void dsoDataResolutionZoomOut(const uint16_t* record, uint16_t* dst, uint16_t currentPosition,
                                         uint16_t step, uint16_t recordSelector);
/* 250 min/max pairs (pairs[500] int16) of the groups on both sides of the position (0..100) in
 * the record, the start placed at the same fraction of the pair output; pairs without data are
 * (1000, 1000). Records: selectors 10 and 512 record[20000] below time-base index 11, else
 * record[10240]; other selectors record[32768], first moved 2048 points to the left in place.
 * divisor 0 counts as 1. */
TESSEL_API void dsoDataResolutionZoomInBackup(uint16_t* record, int16_t* pairs, uint16_t position,
                                              uint16_t divisor, uint16_t unused, uint16_t recordSelector,
                                              uint16_t timeBaseIndex);
/* A reference record src[n] (no trailer) repeated by magnification / decimated by step (0 = 1)
 * and shifted from capturePosition to currentPosition into dst[n]. */
TESSEL_API void dsoRefDataResolutionZoomIn(const uint16_t* src, uint16_t* dst, uint16_t capturePosition,
                                           uint16_t currentPosition, uint16_t magnification,
                                           uint16_t recordSelector);
TESSEL_API void dsoRefDataResolutionZoomOut(const uint16_t* src, uint16_t* dst, uint16_t capturePosition,
                                            uint16_t currentPosition, uint16_t step, uint16_t recordSelector);
/* Stop-data record: a record buffer as read, stopRecord[2n + 4] with n by captureSettings[5]
 * (capture position at 2n + 2). dst[500] around the trigger for a window of windowWidth points
 * (0 draws nothing; above n counts as n). */
TESSEL_API void dsoStopDataProcessZoomIn(const uint16_t* captureSettings, const uint16_t* stopRecord,
                                         uint16_t* dst, uint16_t filterMode, uint32_t windowWidth);
/* The whole record (stopRecord[2n + 4]) reduced in groups of groupSize points (at most 10000 for
 * the 10240-point record, else the deep record's limit; 0 draws nothing) into dst[500], placed
 * by captureSettings[3]. */
TESSEL_API void dsoStopDataProcessZoomOut(const uint16_t* captureSettings, const uint16_t* stopRecord,
                                          uint16_t* dst, uint32_t groupSize);
/* Roll mode on src[500] into dst[500], positionBlock[4] ([3] the position); width above 500
 * counts as 500; 0 draws nothing and returns 0. */
TESSEL_API int dsoScrollModeDataZoomIn(const uint16_t* positionBlock, const uint16_t* src, uint16_t* dst,
                                       uint16_t preTriggerPercent, uint32_t windowWidth);
TESSEL_API void dsoScrollModeDataZoomOut(const uint16_t* positionBlock, const uint16_t* src, uint16_t* dst,
                                         uint16_t preTriggerPercent, uint32_t groupSize);
/* Stored reference records, laid out as a read's record buffer: n chosen by word 20483 (10240
 * there: stopRecord[20484]; else the deep record: stopRecord[TESSEL_DEEP_BUFFER_WORDS]), fields
 * at 2n + 2 and 2n + 3. positionBlock[4], dst[500]. */
TESSEL_API void dsoRefDataProcessZoomIn(const uint16_t* positionBlock, const uint16_t* stopRecord,
                                        uint16_t* dst, uint16_t filterMode, uint32_t windowWidth);
TESSEL_API void dsoRefDataProcessZoomOut(const uint16_t* positionBlock, const uint16_t* stopRecord,
                                         uint16_t* dst, uint32_t groupSize);
/* src[500] ETS codes expanded by timePerDivision / baseTimePerDivision and windowed at the
 * position into dst[500]; a ratio of 1 or less (or not finite) copies. */
TESSEL_API void dsoETSDataZoomIn(const uint16_t* src, uint16_t* dst, double timePerDivision,
                                 uint16_t position, double baseTimePerDivision);
/* 1 for time-base indexes 0..2, else 2. */
TESSEL_API int dsoETSDataZoomOut(uint16_t timeBaseIndex);

/* ---- Equivalent-time sampling and software trigger ----
 * ETS frame: 1600 words: CH1 codes 0..511, CH2 codes 512..1023, trigger point bytes at 1536
 * (low) and 1537 (high), TDC reading bytes at 1546..1549 (least significant first). The frames
 * of one capture, as dsoETSGetData fills them and dsoETS reads them: 10 frames (frames[16000])
 * at time-base indexes 2 and above, 15 frames (frames[24000]) at 0 and 1; TESSEL_ETS_BUFFER_WORDS
 * serves every time base. */
#define TESSEL_ETS_FRAME_WORDS 1600
#define TESSEL_ETS_BUFFER_WORDS (15 * TESSEL_ETS_FRAME_WORDS)
/* Places the frames into ch1Record[500] and ch2Record[500] by their TDC phase; ageTable holds
 * one age per slot and the first-frame marker at [501] (ageTable[502]). tdcCalibration[2]
 * {c0, c1}, tdcRange[2] {max, min}. mode nonzero returns after the first placed frame. Returns 1;
 * 0 when the TDC span is not positive or the time-base index is above 6. */
TESSEL_API int dsoETS(uint16_t unused, const uint16_t* captureSettings, uint16_t* ch1Record,
                      uint16_t* ch2Record, const uint16_t* frames, uint16_t* ageTable,
                      const uint16_t* tdcCalibration, const uint16_t* tdcRange, uint16_t mode);
/* Captures the ETS frames (1600 words each) into frames. Returns 1; 2 when normal sweep gives up
 * waiting; 0 when the device does not open, a transfer fails or no capture completes (frames
 * untouched). */
/* An equivalent-time client first selects the time-interval counter's trigger-phase measurement,
 * dsoSetTDCSel(deviceIndex, 3): each trigger then captures one frame of 512 samples per channel,
 * 20 ns apart, whose TDC words hold the trigger's phase, by which dsoETS places it. Without it
 * the instrument captures in real time and streams a record, not frames: every frame then holds
 * the start of that one record's byte stream (its TDC words are no phase reading, so dsoETS
 * misplaces or skips such frames), or the call returns 0 when the record is shorter than a frame.
 * Auto sweep (sweepMode 0) forces a trigger before every poll beyond the 250th, and a forced
 * trigger completes the capture under way; normal sweep (1) returns 2 there instead. */
TESSEL_API int dsoETSGetData(uint16_t deviceIndex, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                             uint16_t unused1, uint16_t* frames, uint16_t unused2,
                             const uint16_t* captureSettings, uint16_t unused3, uint16_t triggerPoint,
                             uint16_t sweepMode);
/* Finds the trigger in source[40000], a stretched record (slope 0 rising, other falling; level 0
 * at the top), cuts the screen record screen[10240] around it and reduces it to 250 pairs
 * (pairs[500] int16). Position above 100 counts as 100. */
TESSEL_API void dsoSoftFindTrigger(uint16_t position, uint16_t slope, uint16_t level, int16_t* pairs,
                                   const uint16_t* source, uint16_t* screen, uint16_t unused);
/* As dsoSoftFindTrigger (the same sizes) with a given trigger index; mode 5 copies 10001 points
 * instead. Source points outside 0..39999 are skipped. */
TESSEL_API void dsoSoftFindTriggerCopy(uint16_t position, uint32_t triggerIndex, int16_t* pairs,
                                       const uint16_t* source, uint16_t* screen, uint16_t mode);

/* ---- Drawing and printing ----
 * Device contexts come from the drawing library (include kvgdi.h to make them). Panel layout,
 * layout[7] wherever it is taken: width, height, left, right, top, bottom margin, step code
 * (point step = step code / 10, at least 1). Plot from left to width - right and top to
 * height - bottom. */
/* Trace of record[500]: mode 1 vectors (700 and above are gaps), other modes dots. Colour
 * selector 0 and 1 take colour[3] {r, g, b} x intensity / 255, 2 red, 3 cyan, each component at
 * most 255; other selectors draw nothing and return 0. Returns 1. */
TESSEL_API int dsoDisplayData(HDC dc, const uint16_t* layout, uint16_t mode, const uint16_t* record,
                              uint16_t colourSelector, uint16_t intensity, const uint16_t* colour);
/* X-Y plot of xRecord[500] against yRecord[500]: mode 1 lines, other dots; pairs with a code
 * above 511 are skipped. */
TESSEL_API void dsoDisplayDataXYMode(HDC dc, const uint16_t* layout, uint16_t mode, const uint16_t* xRecord,
                                     const uint16_t* yRecord);
TESSEL_API void dsoMainPannelDrawGrid(HDC dc, const uint16_t* layout);
/* Printed centre lines and markers. channelSelector: 0 both channels, 1 CH1 only, 2 CH2 only.
 * Channel marker y = top + position x (8 divisions) / 511, so position 511 is at the bottom;
 * trigger marker x = left + triggerPosition x division width x 10 / 4. Returns 1. */
TESSEL_API int dsoPrintDrawGrid(HDC dc, const uint16_t* layout, uint16_t ch1Position, uint16_t ch2Position,
                                uint16_t channelSelector, uint16_t triggerPosition);
/* Printed cursor lines: x in ten-thousandths of the plot width, y in eight-thousandths of its
 * height; (x1, y1) dash-dot-dot, (x2, y2) dash-dot. */
TESSEL_API void dsoPrintBackColor(HDC dc, const uint16_t* layout, uint16_t x1, uint16_t y1, uint16_t x2,
                                  uint16_t y2);
/* Knob record, knob[10] uint16: [0] width, [1] height, [2] horizontal inset, [4] vertical inset,
 * [7] kind (0 blue, 1 green when [8] is 1, 2 yellow when [9] is 1, otherwise grey). value
 * 0..100. */
TESSEL_API void dsoDrawKnob(HDC dc, const uint16_t* knob, uint16_t value);
/* Scale value 0..100 of a point relative to the knob (knob[10] as dsoDrawKnob). */
TESSEL_API int dsoGetKnobCurrentScale(int32_t x, int32_t y, const uint16_t* knob);
/* The default printer: the "device" value ("name,driver,port") of the [windows] section of
 * $XDG_CONFIG_HOME/kelvane/win.ini (~/.config/kelvane/win.ini when unset). The driver "PDF" prints
 * to the file named by port (A4 pages at 300 dpi). Returns the context with a document and a page
 * started, or 0. */
TESSEL_API HDC dsoOpenPrinter(void);
/* Ends the page and the document and deletes the context. Returns 1 when the document was
 * printed whole, 0 when it was not (for the PDF printer: its file could not be written, e.g. the
 * disk is full or the file-size limit is reached; the file is then incomplete) and for a dc of 0,
 * which it leaves alone. The library's file writes never raise SIGXFSZ: beyond a file-size limit
 * (ulimit -f) they fail like any other write. */
TESSEL_API int dsoClosePrinter(HDC dc);
/* Draws the test-report frame on the whole page. */
TESSEL_API void dsoSetPrintWidthAndHeight(HDC dc);
TESSEL_API int dsoGetScreenWidth(HDC dc);
TESSEL_API int dsoGetScreenHeight(HDC dc);
/* Copies an area of what was drawn on `window` (a context with a bitmap) to the clipboard. There is
 * no clipboard here: the picture goes to $TMPDIR/kelvane-clipboard-<uid>/clipboard.png (directory
 * private to the user). area[5] int32: [0] width, [1] height, [2] x, [4] y; the copy of width x
 * height pixels starts at source (-x, -y), and parts outside the drawing come out black. When no
 * picture can be made (a size outside 1..32767, a context that cannot be read such as a printer's,
 * or a file that cannot be written) the terminal bell rings on standard error and the previous
 * picture is left as it was. */
TESSEL_API void dsoSaveDataToPicture(HDC window, const int32_t* area);

/* ---- Pass/fail ---- */
/* Upper and lower limits upper[500] and lower[500] around record[500]: v codes up and down,
 * widened by h points to either side, within 0..511. Returns 1. */
TESSEL_API int dsoCalculatePassFailData(uint16_t h, uint16_t v, uint16_t* upper, uint16_t* lower,
                                        const uint16_t* record);
/* Fills the zones above upper[500] and below lower[500] between points h and 500 - h; h of 250 or
 * more draws nothing. */
TESSEL_API void dsoDrawPassFailRgn(HDC dc, const uint16_t* layout, const uint16_t* upper,
                                   const uint16_t* lower, uint16_t h);

/* ---- Simplified interface (sd family) ----
 * Wherever taken: trigger/filter block triggerFilter[5]: [0], [1], [2] filter switches, [3] sweep
 * (0 auto, 1 normal, 2 single), [4] trigger value. Positions positions[5]: CH1, CH2, trigger
 * level for source 0, for source 1, for other sources, each 0..511 with 511 at the top. Level
 * table levels[42] for the setters (CH1 range r at [2r], [2r+1], CH2 at [20+2r], [21+2r], trigger
 * pair at [40], [41], which sdSetOffset and sdGetData write); sdGetLevel fills 66. */
TESSEL_API int sdSearchDevice(uint16_t deviceIndex);
TESSEL_API int sdSetVoltageAndCoupling(uint16_t deviceIndex, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                                       uint16_t ch1Coupling, uint16_t ch2Coupling,
                                       const uint16_t* captureSettings);
/* Writes the trigger DAC pair levels[40], [41] for the trigger source (0 by the CH1 index, 1 by
 * the CH2 index, 2 unchanged, above 2 {497, 3085}). Returns 1; 0 for a null table. */
TESSEL_API int sdCurrentTriggerLevel(uint16_t triggerSource, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                                     uint16_t* levels);
/* sdCurrentTriggerLevel, then dsoSetOffset. Volts indexes above 9 or a source above 4 are
 * refused before the table is touched. */
TESSEL_API int sdSetOffset(uint16_t deviceIndex, const uint16_t* positions, uint16_t ch1VoltsIndex,
                           uint16_t ch2VoltsIndex, uint16_t triggerSource, uint16_t* levels);
/* Commands 0x0E (flag A 0), 0x0C and 0x0D; the result of the last. captureSettings is written as
 * by dsoSetTriggerAndSampleRate (Pallik build, nonzero overrideFlag). */
TESSEL_API int sdSetTriggerAndSampleRate(uint16_t deviceIndex, uint16_t triggerValue, uint16_t overrideFlag,
                                         uint16_t* captureSettings, uint16_t flagB, uint16_t twoBitValue,
                                         uint32_t value);
/* dsoSetFilt with the first three words of the trigger/filter block. */
TESSEL_API int sdSetFilt(uint16_t deviceIndex, const uint16_t* triggerFilter);
TESSEL_API int sdCaptureStart(uint16_t deviceIndex);
TESSEL_API int sdTriggerEnabled(uint16_t deviceIndex);
TESSEL_API int sdForceTrigger(uint16_t deviceIndex);
/* Fills levels[66], more than the 42 the setters use, so the table a client reads into holds 66
 * entries: [0..39] from the stored table (high byte limited to 50), then the fixed values
 * [40..43] = 712, 2805, 2202, 242, [44..57] = the pair 170, 30 seven times, [58..65] = 160, 30,
 * 180, 40, 180, 90, 4095, 0. When the read fails, [0..39] are left as they were, [40..65] are
 * written, and 0 is returned. */
TESSEL_API int sdGetLevel(uint16_t deviceIndex, uint16_t* levels);
/* Sets all 524288 points of record[524288] to 511 - level (0 when level is above 511); 524288
 * in every build, Pallik's included. */
TESSEL_API int sdChannelInGND(uint16_t level, uint16_t* record);
/* One acquisition step: polls the capture state once; in auto sweep forces a trigger from the
 * fourth poll without one; when a record is ready reads both channels (records sized as for
 * dsoGetChannelData) and re-arms. With the alternate flag captureSettings[6] = 1 the trigger
 * source and channel selector in captureSettings change from step to step. Returns 1 when a
 * record was read, 0 otherwise (also when the read failed). */
/* A client sends its settings and then calls sdGetData from its timer; it needs no capture start
 * of its own. In normal sweep every call that finds the state below 2 restarts and arms the
 * capture; in auto sweep a call that finds no capture under way (state 0) starts and arms one,
 * and every call from the fourth that finds the state below 2 forces a trigger, which completes
 * the capture.
 * A result of 0 leaves both records untouched and has three causes: no record was ready yet (call
 * again); the device did not answer (sdSearchDevice(deviceIndex) then returns 0); a ready record
 * could not be read (a transfer failed, or the instrument gave a trigger address outside the
 * record; the capture is restarted all the same). To tell the last from the first, poll
 * dsoGetCaptureState just before sdGetData: a state of 4 or more there followed by 0 here means
 * the ready record was lost. */
TESSEL_API int sdGetData(uint16_t deviceIndex, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                         uint16_t* ch1Record, uint16_t* ch2Record, uint16_t* captureSettings,
                         const uint16_t* triggerFilter, const uint16_t* positions, uint16_t* levels,
                         uint32_t rearm, uint16_t flagB, uint16_t twoBitValue, uint32_t value);
/* One roll-mode step. timing[4] doubles: current time, interval, next due time, started flag.
 * Reads (records sized as for dsoGetChannelData, levels[2]) and appends one point per channel to
 * the displays ch1Display[500] and ch2Display[500] when next due + interval / 50 lies before the
 * current time. Returns 1; 0 for a refused argument. */
TESSEL_API int sdGetScrollData(uint16_t deviceIndex, uint16_t* captureSettings, const uint16_t* levels,
                               double* timing, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                               uint16_t* ch1Record, uint16_t* ch2Record, uint16_t* ch1Display,
                               uint16_t* ch2Display, uint16_t trailerValue, uint8_t ch1Flag, uint8_t ch2Flag);
/* Shifts display[500] left by one and appends 511 - levels[0] (channel 1 with its flag),
 * 511 - levels[1] (channel 2 with its flag) or newValue; levels[2]. Returns 1. */
TESSEL_API int sdDisplayScrollData(uint16_t* display, const uint16_t* levels, uint8_t ch1Flag,
                                   uint8_t ch2Flag, uint16_t newValue, uint16_t channel);
/* Autoset block autosetBlock[9]: [0] channel whose period picks the time base (0 CH1, 1 CH2), [1] CH1
 * and [2] CH2 volts index (results), [3] CH1 and [4] CH2 time-base index (results), [5]/[6] ground
 * flags, [7]/[8] enabled flags. Drives trial captures on the instrument; positions end as
 * {128, 384, 128, 384, 256} (255 last in the Pallik build). Returns 1; 0 for a refused argument. */
TESSEL_API int sdAutoset(uint16_t deviceIndex, uint16_t* captureSettings, uint16_t* autosetBlock,
                         const uint16_t* triggerFilter, uint16_t* positions, uint16_t* levels);
/* Seconds per division of time-base index 0..38 through secondsPerDivision[1] (the values of the
 * time-base list at the top) and the sample-rate figure; above 38 returns 0 and writes nothing. */
TESSEL_API double sdDisplaySampling(uint8_t flag1, uint8_t flag2, uint16_t equivalentTime, uint16_t mode,
                                    uint16_t timeBaseIndex, uint16_t recordSelector,
                                    double* secondsPerDivision);
TESSEL_API void sdMainPanelDrawGrid(HDC dc, const uint16_t* layout);
/* dsoDisplayData (record[500], colour[3]) with colour selector 0 and intensity 511 (components
 * held at 255). */
TESSEL_API int sdDisplayData(HDC dc, const uint16_t* layout, uint16_t mode, const uint16_t* record,
                             const uint16_t* colour);
TESSEL_API void sdDisplayDataXYMode(HDC dc, const uint16_t* layout, uint16_t mode, const uint16_t* xRecord,
                                    const uint16_t* yRecord);
/* dsoChannelDataFilt(captureSettings[2], captureSettings[3], pairs, record, captureSettings[5], 0):
 * pairs[500] int16, record sized by captureSettings[5] as there. */
TESSEL_API void sdGetDisplayData(const uint16_t* captureSettings, int16_t* pairs, const uint16_t* record);
/* dsoChannelDataBuffer with the same arguments and sizes. */
TESSEL_API void sdChannelDataBuffer(const uint16_t* captureSettings, uint16_t mode, uint16_t* dst,
                                    const uint16_t* src);
/* Stretches a spectrum with x = scaleTenths / 10: interpolate nonzero fills dst[500] linearly
 * from src[trunc(500 / x) + 2] (at scale 2.5: 2002 values), else dst[i] = src[trunc(i / x)] for
 * i = 0..999: dst[1000] from src[trunc(999 / x) + 1] (at scale 2.5: 3997 values). Returns 1; 0
 * for a scale of 0 or below. */
TESSEL_API int sdFFTDataBuffer(uint16_t interpolate, float scaleTenths, double* dst, const double* src);
/* Spectrum settings: channel (0 the first channel's records, other the second's), window 0..3
 * (rectangular, Hann, Hamming, Blackman), point count 256, 512, 1024, 2048 or 4096, then gain
 * (x gain / 1000), linear flag (0.0 = decibels) and output scale. */
typedef struct SdSpectrumSettings {
    uint16_t channel;
    uint16_t windowType;
    uint16_t pointCount;
    double gain;
    double linear;
    double scale;
} SdSpectrumSettings;
/* The spectrum out[500] of the chosen channel from records A (firstRecordA[265],
 * secondRecordA[265]) or, at time-base indexes 13..24 with N above 256, records B (screen records,
 * firstRecordB[10240], secondRecordB[10240]). Frequency axis: out[k] lies at k x fs / 1000 (0 up
 * to half of fs), fs the rate of the transformed samples: with records B every c-th point of the
 * screen record, fs = 1000 / (c x seconds per division), c = 10, 5, 2.5, 1.25 for N = 512, 1024,
 * 2048, 4096; otherwise record A's own rate (N = 256), or that rate times 10, 4, 8, 16 for
 * N = 512 .. 4096 (each point of A taken that many times). Returns 1; 0 (out untouched) for
 * another point count, a window above 3 or a null pointer. */
TESSEL_API int sdFFT(uint16_t unused, const uint16_t* captureSettings, const SdSpectrumSettings* spectrum,
                     const uint16_t* firstRecordA, const uint16_t* secondRecordA,
                     const uint16_t* firstRecordB, const uint16_t* secondRecordB, double* out);
/* Draws spectrum[500] (doubles): value v at y = top + (511 - v) x plot height / 256 (above 510 at
 * y 0, below 0 at plot height x 510 / 256). */
TESSEL_API void sdFFTDisplayData(HDC dc, const uint16_t* layout, const double* spectrum);

#if defined(KV_SDK_MODEL_PALLIK) || defined(TESSEL_PALLIK)
/* Pallik build only (clients of Pallik define TESSEL_PALLIK): the standard trace drawer of the
 * other builds, whose dsoDisplayData it is (the same sizes). Pallik's own dsoDisplayData draws every point
 * between the first and the last one with data (only 1000 is a gap), codes pinned to 1..510 from the edges,
 * edge-pinned stretches and dots in black. */
TESSEL_API int dsoDisplayDatabackup(HDC dc, const uint16_t* layout, uint16_t mode, const uint16_t* record,
                                    uint16_t colourSelector, uint16_t intensity, const uint16_t* colour);
#endif

#endif /* TESSEL_H */
