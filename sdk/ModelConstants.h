#pragma once
// The model-dependent constants of the library, gathered so that the other builds change them in
// one place.
#include <cstdint>

namespace kv::sdk {

constexpr const char* kDeviceNamePrefix = "qzdev";
constexpr std::uint32_t kDeepRecordLength = 524288;        // points per channel
constexpr std::uint32_t kScreenRecordLength = 10240;       // record-length selector 10
constexpr std::uint32_t kShortTrailerIndex = 2 * kScreenRecordLength;
constexpr std::uint32_t kDeepTrailerIndex = 2 * kDeepRecordLength;

} // namespace kv::sdk
