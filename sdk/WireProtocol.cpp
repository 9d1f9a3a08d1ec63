#include "WireProtocol.h"

namespace kv::sdk {

VendorBlock EncodeVendorBlock(std::uint8_t direction, std::uint8_t request, std::uint16_t value) {
    // 0 direction, 1 request type 2 (vendor), 2 recipient 0 (device), 3 reserved 0,
    // 4 request code, 5 padding, 6-7 value LE, 8-9 index LE (always 0).
    return VendorBlock{direction,
                       2,
                       0,
                       0,
                       request,
                       0,
                       static_cast<std::uint8_t>(value & 0xFF),
                       static_cast<std::uint8_t>(value >> 8),
                       0,
                       0};
}

std::array<std::uint8_t, 4> EncodePipe(std::uint32_t pipe) {
    return {static_cast<std::uint8_t>(pipe), static_cast<std::uint8_t>(pipe >> 8),
            static_cast<std::uint8_t>(pipe >> 16), static_cast<std::uint8_t>(pipe >> 24)};
}

std::array<std::uint8_t, 10> EncodeTransferMode(std::uint16_t mode) {
    // {0x0F, c, c, c, 0, 0, 0, 0, 0, 0} with c by mode 1..6.
    static const std::uint8_t codes[6] = {3, 10, 9, 1, 2, 8};
    std::array<std::uint8_t, 10> payload{};
    if (mode >= 1 && mode <= 6) {
        const std::uint8_t c = codes[mode - 1];
        payload[0] = 0x0F;
        payload[1] = payload[2] = payload[3] = c;
    }
    return payload;
}

// Two-byte commands: {code, 0x00}.
std::vector<std::uint8_t> EncodeForceTrigger() {
    return {0x02, 0x00};
}
std::vector<std::uint8_t> EncodeCaptureStart() {
    return {0x03, 0x00};
}
std::vector<std::uint8_t> EncodeTriggerEnabled() {
    return {0x04, 0x00};
}
std::vector<std::uint8_t> EncodeGetData() {
    return {0x05, 0x00};
}
std::vector<std::uint8_t> EncodeGetCaptureState() {
    return {0x06, 0x00};
}
std::vector<std::uint8_t> EncodeGetLogicData() {
    return {0x09, 0x00};
}

std::vector<std::uint8_t> EncodeSetLogicData(std::uint16_t value) {
    // 0 0x08, 1 0x0F, 2 value bits 0-7, 3-7 zero.
    return {0x08, 0x0F, static_cast<std::uint8_t>(value & 0xFF), 0, 0, 0, 0, 0};
}

bool DecodeCaptureState(const std::uint8_t* reply, std::size_t length, CaptureStateReply& out) {
    if (!reply || length < 4)
        return false;
    // 0 state, 1 trigger address bits 16-23, 2-3 trigger address bits 0-15 LE.
    out.state = reply[0];
    out.triggerAddress =
        (static_cast<std::uint32_t>(reply[1]) << 16) | (static_cast<std::uint32_t>(reply[3]) << 8) | reply[2];
    return true;
}

} // namespace kv::sdk
