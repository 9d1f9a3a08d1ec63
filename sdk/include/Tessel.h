/*
 * Tessel: client library for the Kestra-E USB oscilloscope.
 *
 * Every device function takes the device index 0..3 first, opens the instrument, does its
 * transfers and closes it again before it returns. A function returns 0 when the device did not
 * open, a transfer failed or an argument was refused (null pointer, index or length out of
 * range); arrays passed in are then left as they were. Calls on one device index are serialised.
 */
#ifndef TESSEL_H
#define TESSEL_H

#include <stdint.h>

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
TESSEL_API int dsoGetDeviceAddress(uint16_t deviceIndex, uint16_t* address);
TESSEL_API int dsoSetDeviceAddress(uint16_t deviceIndex, const uint8_t* address);
/* length bytes at address 8; byte i to levels[i]. length above 8192 is refused. */
TESSEL_API int dsoGetChannelLevel(uint16_t deviceIndex, uint16_t* levels, uint16_t length);
/* length bytes at address 8; byte i = low byte of levels[i]. length above 8192 is refused. */
TESSEL_API int dsoSetChannelLevel(uint16_t deviceIndex, const uint16_t* levels, uint16_t length);
/* Four calibration bytes (array of 4). */
TESSEL_API int dsoGetCalData(uint16_t deviceIndex, uint16_t* calibration);
TESSEL_API int dsoSetCalData(uint16_t deviceIndex, const uint16_t* calibration);
TESSEL_API int dsoGetTDCCalData(uint16_t deviceIndex, uint16_t* value);
TESSEL_API int dsoSetTDCCalData(uint16_t deviceIndex, const uint16_t* value);
/* Two TDC values (array of 2). */
TESSEL_API int dsoGetTDC(uint16_t deviceIndex, uint16_t* values);
TESSEL_API int dsoSetTDC(uint16_t deviceIndex, const uint16_t* values);

/* ---- Capture control ----
 * Capture settings block (7 uint16_t): [0] trigger source 0..4, [1] channel selector
 * (0 CH1, 1 CH2, 2 both, 3 alternate), [2] time-base index 0..38, [3] trigger position 0..100 %,
 * [4] memory code (0 = 512, 1 = 10240, 2 = 524288 points), [5] record-length selector
 * (10 = 10240-point record, other = deep record), [6] alternate-trigger flag. */
/* 1 when a device answers under "qzdev-<deviceIndex>". */
TESSEL_API int dsoSearchDevice(uint16_t deviceIndex);
TESSEL_API int dsoCaptureStart(uint16_t deviceIndex);
TESSEL_API int dsoTriggerEnabled(uint16_t deviceIndex);
TESSEL_API int dsoForceTrigger(uint16_t deviceIndex);
/* Capture state (below 2 no capture, 2-3 not ready, 4 or more ready); the 24-bit trigger address
 * is stored through triggerAddress. 0 and nothing stored when the poll failed. */
TESSEL_API uint16_t dsoGetCaptureState(uint16_t deviceIndex, uint32_t* triggerAddress);
TESSEL_API uint16_t dsoGetLogicData(uint16_t deviceIndex);
TESSEL_API int dsoSetLogicData(uint16_t deviceIndex, uint16_t value);

/* ---- Channel data read ----
 * Reads the captured record of both channels as display codes rotated to the trigger address and
 * writes a four-word trailer {time-base index, volts index, trailerValue, double-rate flag} behind
 * each record: at index 20480 when the record-length selector is 10 (buffers of at least 20484
 * words), else at index 1048576 (buffers of at least 1048580 words). Time-base indexes above 25
 * read a 256-point roll record without trailer. A memory code above 2, or memory code 2 with
 * selector 10, is refused. Returns 1 when read, 0 when refused or failed; the buffers are
 * untouched on 0. */
TESSEL_API uint16_t dsoGetChannelData(uint16_t deviceIndex, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                                      uint16_t trailerValue, uint16_t* ch1Record, uint16_t* ch2Record,
                                      const uint16_t* captureSettings, uint32_t triggerAddress);

/* ---- Front-end settings ----
 * Volts/div indexes 0..9 (10 mV .. 10 V per division), time-base index 0..38, trigger source
 * 0..4: any other value, or a null pointer, is refused (0, nothing sent). Coupling 1 = AC. */
/* Command 0x07 (gain bits) then request 0xB5 (relays, trigger source from captureSettings[0]);
 * the result of the second. */
TESSEL_API int dsoSetVoltageAndCoupling(uint16_t deviceIndex, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                                        uint16_t ch1Coupling, uint16_t ch2Coupling, const uint16_t* captureSettings);
/* Command 0x07; the two middle values are not used. The write's success flag. */
TESSEL_API int dsoSetVoltageAndCouplingFirst(uint16_t deviceIndex, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                                             uint16_t unused1, uint16_t unused2, const uint16_t* captureSettings);
/* Request 0xB5 with the relay masks; the request's success flag. */
TESSEL_API int dsoSetVoltageAndCouplingSecond(uint16_t deviceIndex, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                                              uint16_t ch1Coupling, uint16_t ch2Coupling, uint16_t triggerSource);
/* Request 0xB4: the CH1, CH2 and trigger DACs interpolated from the 42-entry level table
 * (CH1 range r at [2r], [2r+1], CH2 at [20+2r], [21+2r], trigger at [40], [41]) by the five
 * positions {CH1, CH2, trigger level for source 0, source 1, other sources}, each 0..511 with 511
 * at the top (larger values count as 511). */
TESSEL_API int dsoSetOffset(uint16_t deviceIndex, const uint16_t* positions, uint16_t ch1VoltsIndex,
                            uint16_t ch2VoltsIndex, uint16_t triggerSource, const uint16_t* levels);
/* Command 0x00: the three filter switches (bit 0 of each). The write's success flag. */
TESSEL_API int dsoSetFilt(uint16_t deviceIndex, uint16_t a, uint16_t b, uint16_t c);
/* Command 0x0E: trigger flags, the two-bit value and a 32-bit value. Returns overrideFlag as given
 * once sent, 0 when refused or not sent. */
TESSEL_API int dsoSetTriggerAndSampleRate(uint16_t deviceIndex, uint16_t triggerValue, uint16_t overrideFlag,
                                          const uint16_t* captureSettings, uint16_t flagA, uint16_t flagB,
                                          uint16_t twoBitValue, uint32_t value);
/* Command 0x0C: the sample-clock counter by time-base index. The write's success flag. */
TESSEL_API int dsoSetTriggerAndSampleRate2(uint16_t deviceIndex, uint16_t triggerValue, uint16_t overrideFlag,
                                           const uint16_t* captureSettings);
/* Command 0x0D: pre- and post-trigger record positions from the memory code (1 = 10240,
 * 2 = 524288, 3 = 512 points; others refused) and the trigger position (above 100 counts as 100).
 * The write's success flag. */
TESSEL_API int dsoSetTriggerAndSampleRate3(uint16_t deviceIndex, uint16_t unused1, uint16_t unused2,
                                           const uint16_t* captureSettings);
/* Request 0xBC: the TDC calibration value. */
TESSEL_API int dsoSetTDCCal(uint16_t deviceIndex, uint16_t value);
/* Command 0x0B: the TDC select value (low byte). The write's success flag. */
TESSEL_API int dsoSetTDCSel(uint16_t deviceIndex, uint16_t value);
/* Command 0x0A: the 29-bit TDC count. 0 and count untouched when the reply did not arrive. */
TESSEL_API int dsoGetTDCData(uint16_t deviceIndex, uint32_t* count);

/* ---- Channel data processing ----
 * No function here talks to the instrument. Codes are 0..511 with 511 at the top; 1000 (700 in
 * the MATH record) marks a point without data. A null pointer, or an argument the function cannot
 * use, writes nothing. */
/* By time-base index captureSettings[2]: above 10 copies 10240 codes (record-length selector 10)
 * or 524288; at 10 copies 10240 unless both channels run without alternate trigger, then
 * stretches by 2; at 5..9 stretches linearly to 10240 points; at 0..4 stretches to 40000 points
 * by `mode` (0 step, 2 linear, other sin(x)/x). dst must hold 10240 (40000 below index 5, 524288
 * for a deep copy) codes, src at least 10240. */
TESSEL_API void dsoChannelDataBuffer(const uint16_t* captureSettings, uint16_t mode, uint16_t* dst,
                                     const uint16_t* src);
/* Selector 5 only: stretches linearly by 40 (80 when trigger source is not 2 and both channels
 * run). */
TESSEL_API void dsoFFTBuffer(const uint16_t* captureSettings, uint16_t selector, uint16_t* dst, const uint16_t* src);
/* The 501-point MATH record from 501-point CH1 and CH2 records. mathBlock: [1] position, [6]
 * volts/div index; offsets[2]; probe block: [0] CH1, [2] CH2, [4] MATH probe code; operation
 * block: [0] operands (0 CH1-CH1, 1 CH1-CH2, 2 CH2-CH1, 3 CH2-CH2), [1] operation (0 add,
 * 1 subtract, 2 multiply, 3 divide). A zero divisor gives 700. Returns the CH1 scale; an index
 * above 9 or an operand or operation above 3 fills 700 and returns 0.0. */
TESSEL_API double dsoChannelDataMathOperation(uint16_t* dst, const uint16_t* ch1, const uint16_t* ch2,
                                              const uint16_t* mathBlock, uint16_t ch1VoltsIndex,
                                              uint16_t ch2VoltsIndex, const uint16_t* offsets,
                                              const uint16_t* probeBlock, const uint16_t* operationBlock);
/* Adds (255 - level) to each of 524288 codes with 16-bit wrap-around, so the opposite call
 * restores the record. The record must hold 524288 codes. */
TESSEL_API int dsoChannelDataAdjustOffset(uint16_t level, uint16_t* record);
/* Sets the first 31000 codes to value (a grounded channel). The record must hold 31000 codes. */
TESSEL_API int dsoChannelInGND(uint16_t value, uint16_t* record);
/* 250 pairs (500 int16) from a 10000-code window placed by the trigger position (0..100) in a
 * 10240-point record (recordSelector 10), or a 500000-code window of a 524288-point record:
 * mode 2 group means, else (min, max) in order of occurrence, mode 1 narrowed by one. */
TESSEL_API void dsoChannelDataFilt(uint16_t unused, uint16_t position, int16_t* pairs, const uint16_t* record,
                                   uint16_t recordSelector, uint16_t mode);
/* 251 pairs (502 int16). With a selector other than 10 the record is first moved 2048 points to
 * the left in place (points 0..30719 take 2048..32767), so it must hold 32768 codes. */
TESSEL_API void dsoChannelDataFiltbackup(uint16_t timeBaseIndex, int16_t* pairs, uint16_t* record,
                                         uint16_t recordSelector);
/* groupCount pairs of groups of groupSize codes; points at or past validLength read as the last
 * valid point. A group size or valid length of 0 writes nothing. */
TESSEL_API void dsoStopDataFilt(uint32_t groupSize, uint32_t groupCount, const uint16_t* record, int16_t* pairs,
                                uint16_t mode, uint32_t validLength);
/* Level of a 10240-point record: 511 pinned at the top, 0 at the bottom, else the mean of points
 * 100..499. */
TESSEL_API int dsoChannelAverageData(const uint16_t* record);
/* Roll mode: shifts the 500-point display left by one and appends the new code (511 - levels[0]
 * for channel 1 when channelBlock[2] is 1, 511 - levels[1] for channel 2 when channelBlock[3] is
 * 1). channelBlock holds at least 4 words. */
TESSEL_API int dsoScrollDisplayData(uint16_t* display, const uint16_t* levels, const uint16_t* channelBlock,
                                    uint16_t newCode, uint16_t channel);
/* Stopped display moved from the capture position to the current position (percent): mode 2
 * magnified by factor, mode 1 shifted, other modes reduced by factor (0 counts as 1). dst gets
 * 1000 where no point lands. */
TESSEL_API void dsoScrollDisplayDataInStop(const uint16_t* src, uint16_t* dst, uint16_t capturePosition,
                                           uint16_t currentPosition, uint16_t factor, uint16_t mode);
/* First period of a record of at least 20000 points: out[0] the first rising crossing, out[1] the
 * next one after a falling crossing (left unchanged when not found). Returns the point where the
 * walk stopped (20001 when it found no period). */
TESSEL_API int dsoGetPointsNumberInPeriod(uint16_t* out, const uint16_t* record);
/* out[0] maximum, out[1] minimum of points 100..9899 of a 10240-point record; returns max - min. */
TESSEL_API int dsoGetAmplitude(uint16_t* out, const uint16_t* record);

/* ---- Measurements of a 500-point display record ---- */
/* out[0] maximum, out[1] minimum of points 20..479; returns the maximum. */
TESSEL_API int dsoGetMaxChannelData(uint16_t* out, const uint16_t* record);
/* Mean of points 10..499 (integer), stored and returned. */
TESSEL_API int dsoMeasureMean(uint16_t* out, const uint16_t* record);
/* min + (max - min) / 2 over points 0..499. */
TESSEL_API int dsoDataMedian(const uint16_t* record);
/* Five top and five base levels of points 20..479; top[4] and base[4] are the signal's levels.
 * Returns top[0]. */
TESSEL_API int dsoMeasureAmplitude(uint16_t* top, uint16_t* base, const uint16_t* record);
/* RMS of points 1..499 about level; out[0] its integer part, out[1] 0. */
TESSEL_API double dsoMeasureRMS(int16_t* out, const uint16_t* record, uint16_t level);
/* RMS about level up to the point where point 0's code occurs for the third time. */
TESSEL_API double dsoMeasureCycleRMS(int16_t* out, const uint16_t* record, uint16_t level);
/* One period: out[0] first rising crossing, out[2] the falling one after it, out[1] the next
 * rising one; left as given when not found. top and base receive the level sets. */
TESSEL_API void dsoMeasureFrequency(uint16_t* top, uint16_t* base, uint16_t* out, const uint16_t* record);
/* Mean over one period: period[0] receives it (truncated), period[1] 0; 0.0 when no full period. */
TESSEL_API double dsoMeasureCycleMean(uint16_t* top, uint16_t* base, uint16_t* period, const uint16_t* record);
/* Falling edge between the firstPercent and secondPercent levels: out[0] and out[1] the points of
 * the two crossings; left as given when not found. */
TESSEL_API void dsoMeasureFallTime(uint16_t* top, uint16_t* base, uint16_t* out, const uint16_t* record,
                                   uint16_t firstPercent, uint16_t secondPercent);
/* Rising edge: as the fall time, but the first crossing is taken at the secondPercent level and
 * the second at the firstPercent level. */
TESSEL_API void dsoMeasureRiseTime(uint16_t* top, uint16_t* base, uint16_t* out, const uint16_t* record,
                                   uint16_t firstPercent, uint16_t secondPercent);

#endif /* TESSEL_H */
