#include "StoredSettings.h"

#include <cstring>
#include <vector>

#include "Driver.h"
#include "Tessel.h"
#include "WireProtocol.h"

namespace kv::sdk {

bool ReadStoredBytes(std::uint16_t deviceIndex, std::uint16_t address, std::uint8_t* out,
                     std::uint32_t length) {
    // One request goes through a buffer of the transfer limit; more would overrun it.
    if (length > kStoredTransferLimit || (length != 0 && !out))
        return false;
    OpenDevice dev(deviceIndex);
    if (!dev.IsOpen())
        return false;
    // Zeroed so that nothing undefined can ever reach the caller.
    std::vector<std::uint8_t> buffer(kStoredTransferLimit, 0);
    if (!dsoVendorRequest(dev.Handle(), kRequestStoredSettings, address, kDirectionRead, buffer.data(),
                          length))
        return false;
    if (length != 0)
        std::memcpy(out, buffer.data(), length);
    return true;
}

bool WriteStoredBytes(std::uint16_t deviceIndex, std::uint16_t address, const std::uint8_t* data,
                      std::uint32_t length) {
    if (length > kStoredTransferLimit || (length != 0 && !data))
        return false;
    OpenDevice dev(deviceIndex);
    if (!dev.IsOpen())
        return false;
    std::vector<std::uint8_t> buffer(kStoredTransferLimit, 0);
    if (length != 0)
        std::memcpy(buffer.data(), data, length);
    return dsoVendorRequest(dev.Handle(), kRequestStoredSettings, address, kDirectionWrite, buffer.data(),
                            length) != 0;
}

} // namespace kv::sdk

using namespace kv::sdk;

TESSEL_API int dsoGetDeviceAddress(uint16_t deviceIndex, uint16_t* address) {
    return Guarded(0, [&] {
        if (!address)
            return 0;
        auto lock = LockDevice(deviceIndex);
        std::uint8_t byte = 0;
        if (!ReadStoredBytes(deviceIndex, kAddressDevice, &byte, 1))
            return 0;
        *address = byte;
        return 1;
    });
}

TESSEL_API int dsoSetDeviceAddress(uint16_t deviceIndex, const uint8_t* address) {
    return Guarded(0, [&] {
        if (!address)
            return 0;
        auto lock = LockDevice(deviceIndex);
        return WriteStoredBytes(deviceIndex, kAddressDevice, address, 1) ? 1 : 0;
    });
}

TESSEL_API int dsoGetChannelLevel(uint16_t deviceIndex, uint16_t* levels, uint16_t length) {
    return Guarded(0, [&] {
        if (!levels || length > kStoredTransferLimit)
            return 0;
        auto lock = LockDevice(deviceIndex);
        std::vector<std::uint8_t> bytes(length, 0);
        if (!ReadStoredBytes(deviceIndex, kAddressLevelTable, bytes.data(), length))
            return 0;
        for (std::uint32_t i = 0; i < length; ++i)
            levels[i] = bytes[i];
        return 1;
    });
}

TESSEL_API int dsoSetChannelLevel(uint16_t deviceIndex, const uint16_t* levels, uint16_t length) {
    return Guarded(0, [&] {
        if (!levels || length > kStoredTransferLimit)
            return 0;
        auto lock = LockDevice(deviceIndex);
        std::vector<std::uint8_t> bytes(length, 0);
        for (std::uint32_t i = 0; i < length; ++i)
            bytes[i] = static_cast<std::uint8_t>(levels[i] & 0xFF);
        return WriteStoredBytes(deviceIndex, kAddressLevelTable, bytes.data(), length) ? 1 : 0;
    });
}

TESSEL_API int dsoGetCalData(uint16_t deviceIndex, uint16_t* calibration) {
    return Guarded(0, [&] {
        if (!calibration)
            return 0;
        auto lock = LockDevice(deviceIndex);
        std::uint8_t bytes[4] = {0, 0, 0, 0};
        if (!ReadStoredBytes(deviceIndex, kAddressCalibration, bytes, 4))
            return 0;
        for (int i = 0; i < 4; ++i)
            calibration[i] = bytes[i];
        return 1;
    });
}

TESSEL_API int dsoSetCalData(uint16_t deviceIndex, const uint16_t* calibration) {
    return Guarded(0, [&] {
        if (!calibration)
            return 0;
        auto lock = LockDevice(deviceIndex);
        std::uint8_t bytes[4];
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<std::uint8_t>(calibration[i] & 0xFF);
        return WriteStoredBytes(deviceIndex, kAddressCalibration, bytes, 4) ? 1 : 0;
    });
}

TESSEL_API int dsoGetTDCCalData(uint16_t deviceIndex, uint16_t* value) {
    return Guarded(0, [&] {
        if (!value)
            return 0;
        auto lock = LockDevice(deviceIndex);
        std::uint8_t bytes[2] = {0, 0};
        if (!ReadStoredBytes(deviceIndex, kAddressTdcCalibration, bytes, 2))
            return 0;
        *value = static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
        return 1;
    });
}

TESSEL_API int dsoSetTDCCalData(uint16_t deviceIndex, const uint16_t* value) {
    return Guarded(0, [&] {
        if (!value)
            return 0;
        auto lock = LockDevice(deviceIndex);
        const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(*value & 0xFF),
                                       static_cast<std::uint8_t>(*value >> 8)};
        return WriteStoredBytes(deviceIndex, kAddressTdcCalibration, bytes, 2) ? 1 : 0;
    });
}

TESSEL_API int dsoGetTDC(uint16_t deviceIndex, uint16_t* values) {
    return Guarded(0, [&] {
        if (!values)
            return 0;
        auto lock = LockDevice(deviceIndex);
        // Six bytes travel; bytes 4-5 are not used.
        std::uint8_t bytes[6] = {0, 0, 0, 0, 0, 0};
        if (!ReadStoredBytes(deviceIndex, kAddressTdc, bytes, 6))
            return 0;
        for (int j = 0; j < 2; ++j)
            values[j] = static_cast<std::uint16_t>(bytes[2 * j] | (bytes[2 * j + 1] << 8));
        return 1;
    });
}

TESSEL_API int dsoSetTDC(uint16_t deviceIndex, const uint16_t* values) {
    return Guarded(0, [&] {
        if (!values)
            return 0;
        auto lock = LockDevice(deviceIndex);
        const std::uint8_t bytes[4] = {
            static_cast<std::uint8_t>(values[0] & 0xFF), static_cast<std::uint8_t>(values[0] >> 8),
            static_cast<std::uint8_t>(values[1] & 0xFF), static_cast<std::uint8_t>(values[1] >> 8)};
        return WriteStoredBytes(deviceIndex, kAddressTdc, bytes, 4) ? 1 : 0;
    });
}
