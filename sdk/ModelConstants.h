#pragma once
// The model-dependent constants of the library, gathered so that the other builds change them in
// one place. A build selects its model with KV_SDK_MODEL_PALLIK or KV_SDK_MODEL_CORDUN; without
// either it is the Kestra-E library with the deep record of 524288 points.
#include <cstdint>

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
constexpr std::uint32_t kDeepRecordLength = kModel == Model::Pallik ? 14336 : 524288; // points per channel
constexpr std::uint32_t kScreenRecordLength = 10240; // record-length selector 10
constexpr std::uint32_t kShortTrailerIndex = 2 * kScreenRecordLength;
constexpr std::uint32_t kDeepTrailerIndex = 2 * kDeepRecordLength;

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
