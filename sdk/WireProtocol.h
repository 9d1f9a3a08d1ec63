#pragma once
// Byte layouts of the driver protocol: the vendor-request block, the transfer-mode payload and
// the bulk command packets that the library sends, each built in exactly one function, and the
// decoders of the reply packets.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kv::sdk {

constexpr std::uint8_t kDirectionWrite = 0; // host to instrument
constexpr std::uint8_t kDirectionRead = 1;  // instrument to host

// Vendor request codes.
constexpr std::uint8_t kRequestStoredSettings = 0xA2;
constexpr std::uint8_t kRequestStatus = 0xB2;
constexpr std::uint8_t kRequestTransferMode = 0xB3;

// Pipe numbers of the bulk calls.
constexpr std::uint32_t kWritePipe = 0;
constexpr std::uint32_t kReadPipe = 1;

using VendorBlock = std::array<std::uint8_t, 10>;

VendorBlock EncodeVendorBlock(std::uint8_t direction, std::uint8_t request, std::uint16_t value);
std::array<std::uint8_t, 4> EncodePipe(std::uint32_t pipe);

// Data stage of request 0xB3 for transfer mode 1..6; any other mode gives ten zero bytes.
std::array<std::uint8_t, 10> EncodeTransferMode(std::uint16_t mode);

// Bulk command packets.
std::vector<std::uint8_t> EncodeForceTrigger();                    // 0x02
std::vector<std::uint8_t> EncodeCaptureStart();                    // 0x03
std::vector<std::uint8_t> EncodeTriggerEnabled();                  // 0x04
std::vector<std::uint8_t> EncodeGetData();                         // 0x05
std::vector<std::uint8_t> EncodeGetCaptureState();                 // 0x06
std::vector<std::uint8_t> EncodeSetLogicData(std::uint16_t value); // 0x08
std::vector<std::uint8_t> EncodeGetLogicData();                    // 0x09

struct CaptureStateReply {
    std::uint8_t state = 0;
    std::uint32_t triggerAddress = 0;
};
// False when the reply is shorter than the four bytes it must carry.
bool DecodeCaptureState(const std::uint8_t* reply, std::size_t length, CaptureStateReply& out);

} // namespace kv::sdk
