// Finding the instrument and driving its capture cycle: start, arm, force, poll, logic byte.
#include <cstdio>
#include <string>
#include <vector>

#include "Driver.h"
#include "ModelConstants.h"
#include "Tessel.h"
#include "WireProtocol.h"

using namespace kv::sdk;

TESSEL_API int dsoSearchDevice(uint16_t deviceIndex) {
    return Guarded(0, [&] {
        auto lock = LockDevice(deviceIndex);
        // The name takes the index as a decimal number, so any index may be asked for.
        const std::string name = DeviceName(deviceIndex);
        DeviceHandle h = 0;
        if (!dsoOpenDevice(&h, name.c_str()))
            return 0;
        kv::usb::CloseDevice(h);
        return 1;
    });
}

TESSEL_API int dsoCaptureStart(uint16_t deviceIndex) {
    return Guarded(0, [&] {
        auto lock = LockDevice(deviceIndex);
        // The write's own result: a lost start command must not read as a started capture.
        return SendBulkCommand(deviceIndex, EncodeCaptureStart()) ? 1 : 0;
    });
}

TESSEL_API int dsoTriggerEnabled(uint16_t deviceIndex) {
    return Guarded(0, [&] {
        auto lock = LockDevice(deviceIndex);
        return SendBulkCommand(deviceIndex, EncodeTriggerEnabled()) ? 1 : 0;
    });
}

TESSEL_API int dsoForceTrigger(uint16_t deviceIndex) {
    return Guarded(0, [&] {
        auto lock = LockDevice(deviceIndex);
        return SendBulkCommand(deviceIndex, EncodeForceTrigger()) ? 1 : 0;
    });
}

TESSEL_API uint16_t dsoGetCaptureState(uint16_t deviceIndex, uint32_t* triggerAddress) {
    return Guarded<uint16_t>(0, [&]() -> uint16_t {
        if (!triggerAddress)
            return 0;
        auto lock = LockDevice(deviceIndex);
        if (!SendBulkCommand(deviceIndex, EncodeGetCaptureState()))
            return 0;
        std::vector<std::uint8_t> reply;
        CaptureStateReply decoded;
        // A failed poll reports "no capture" and leaves the caller's address alone.
        if (!ReadBulkReply(deviceIndex, reply, 4) || !DecodeCaptureState(reply.data(), reply.size(), decoded))
            return 0;
        *triggerAddress = decoded.triggerAddress;
        return decoded.state;
    });
}

TESSEL_API uint16_t dsoGetLogicData(uint16_t deviceIndex) {
    return Guarded<uint16_t>(0, [&]() -> uint16_t {
        auto lock = LockDevice(deviceIndex);
        if (!SendBulkCommand(deviceIndex, EncodeGetLogicData()))
            return 0;
        std::vector<std::uint8_t> reply;
        if (!ReadBulkReply(deviceIndex, reply, 1))
            return 0;
        return reply[0];
    });
}

TESSEL_API int dsoSetLogicData(uint16_t deviceIndex, uint16_t value) {
    return Guarded(0, [&] {
        auto lock = LockDevice(deviceIndex);
        return SendBulkCommand(deviceIndex, EncodeSetLogicData(value)) ? 1 : 0;
    });
}
