#pragma once
// The model-dependent constants of the library, gathered so that the other builds change them in
// one place. A build selects its model with KV_SDK_MODEL_PALLIK or KV_SDK_MODEL_CORDUN; without
// either it is the Kestra-E library with the deep record of 524288 points.
#include <cstdint>

#include "Tessel.h"
#include "scale/VerticalScale.h"
#include "timebase/RecordLength.h"

namespace kv::sdk {

enum class Model { Tessel, Pallik, Cordun };

#if defined(KV_SDK_MODEL_PALLIK)
constexpr Model kModel = Model::Pallik;
#elif defined(KV_SDK_MODEL_CORDUN)
constexpr Model kModel = Model::Cordun;
#else
constexpr Model kModel = Model::Tessel;
#endif

constexpr const char* kDeviceNamePrefix = kModel == Model::Cordun ? "qzdva" : "qzdev";
// Points per channel: the sizes the public header promises its clients.
constexpr std::uint32_t kDeepRecordLength = TESSEL_DEEP_RECORD_POINTS;
constexpr std::uint32_t kScreenRecordLength = TESSEL_SCREEN_RECORD_POINTS; // record-length selector 10
static_assert(kScreenRecordLength == kv::timebase::RecordLengthOfCode(0) &&
                  kDeepRecordLength == kv::timebase::RecordLengthOfCode(kModel == Model::Pallik ? 1 : 5),
              "the header's records are the instrument's record lengths");
static_assert(TESSEL_CODES_PER_DIVISION == kv::scale::kCodesPerDivision, "one vertical scale");
constexpr std::uint32_t kShortRecordLength = 512; // memory codes 0 and 3

// Record-length selectors that name a buffer of the screen record's size: 10, and 512 for the
// 512-point record, which the same buffer holds. Every other selector names the deep record.
constexpr bool IsScreenBufferSelector(std::uint16_t selector) {
    return selector == 10 || selector == 512;
}
// Points per channel of the record buffers a selector names; the read's buffers hold twice that
// (the double-rate record) and the four-word trailer behind them.
constexpr std::uint32_t BufferRecordLength(std::uint16_t selector) {
    return IsScreenBufferSelector(selector) ? kScreenRecordLength : kDeepRecordLength;
}
constexpr std::uint32_t TrailerIndex(std::uint16_t selector) {
    return 2 * BufferRecordLength(selector);
}
static_assert(TrailerIndex(10) + 4 == TESSEL_SCREEN_BUFFER_WORDS &&
                  TrailerIndex(0) + 4 == TESSEL_DEEP_BUFFER_WORDS,
              "the header's buffer sizes hold the record and its trailer");

// Points per channel a capture holds by memory code: 0 and 3 both name the 512-point record (0 is
// the read's name for it, 3 the instrument's), 1 the screen record, 2 the deep record; 0 for any
// other code.
constexpr std::uint32_t CapturePoints(std::uint16_t memoryCode) {
    switch (memoryCode) {
    case 0:
    case 3:
        return kShortRecordLength;
    case 1:
        return kScreenRecordLength;
    case 2:
        return kDeepRecordLength;
    default:
        return 0;
    }
}
// Whether the rate command and the read take a memory code under a record-length selector: the
// code names a record and the selector's buffers hold it. The two agree on every pair, so a
// client never sets up a capture that it cannot read, nor reads a stream of another length.
constexpr bool RecordFits(std::uint16_t memoryCode, std::uint16_t selector) {
    return CapturePoints(memoryCode) != 0 && CapturePoints(memoryCode) <= BufferRecordLength(selector);
}
// Memory code of command 0x0D: the instrument names the 512-point record 3.
constexpr std::uint16_t WireMemoryCode(std::uint16_t memoryCode) {
    return memoryCode == 0 ? 3 : memoryCode;
}

// Mid level of the display codes in the level-dependent processing functions.
constexpr int kMidLevel = kModel == Model::Cordun ? 256 : 255;
// Codes a grounded channel record receives.
constexpr std::uint32_t kGroundFillLength = kModel == Model::Pallik ? 28672 : 31000;

// Window and group size of the pair reduction of a deep record.
constexpr std::uint32_t kDeepFilterWindow = kModel == Model::Pallik ? 10000 : 500000;
constexpr std::uint32_t kDeepFilterGroup = kModel == Model::Pallik ? 40 : 2000;

// Whether a record-length selector picks the 10240-point column of the rate tables.
constexpr bool IsScreenRateSelector(std::uint16_t selector) {
    return kModel == Model::Pallik ? selector <= 99 : selector == 10;
}

// The TDC count comes back in one 512-byte packet whatever the link speed.
constexpr bool kTdcReplyAlways512 = kModel == Model::Pallik;

} // namespace kv::sdk
