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

#endif /* TESSEL_H */
