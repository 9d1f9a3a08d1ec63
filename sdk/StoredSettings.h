#pragma once
// Transfers of the instrument's stored-settings memory (vendor request 0xA2).
#include <cstdint>

namespace kv::sdk {

constexpr std::uint32_t kStoredTransferLimit = 8192; // bytes one request can carry
constexpr std::uint16_t kAddressLevelTable = 8;
constexpr std::uint16_t kAddressDevice = 10;
constexpr std::uint16_t kAddressCalibration = 96;
constexpr std::uint16_t kAddressTdcCalibration = 100;
constexpr std::uint16_t kAddressTdc = 112;

// Reads `length` bytes at `address` into `out`; `out` is written only when the request
// succeeded. Lengths above the transfer limit are refused without a request.
bool ReadStoredBytes(std::uint16_t deviceIndex, std::uint16_t address, std::uint8_t* out,
                     std::uint32_t length);
bool WriteStoredBytes(std::uint16_t deviceIndex, std::uint16_t address, const std::uint8_t* data,
                      std::uint32_t length);

} // namespace kv::sdk
