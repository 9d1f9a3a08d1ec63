#pragma once
// A device object behind a kernel device name. The bus (UsbBus.h) carries each control call of an
// open handle to the device registered under that name.
#include <cstdint>

namespace kv::usb {

// Control codes of the instrument's general-purpose driver interface (device type 0x22).
constexpr std::uint32_t kIoctlVendorRequest = 0x222059; // in: 10-byte request block; out: data stage
constexpr std::uint32_t kIoctlBulkWrite = 0x222051;     // in: u32 pipe (0); out: the packet to send
constexpr std::uint32_t kIoctlBulkRead = 0x22204E;      // in: u32 pipe (1); out: the receive buffer

class UsbDevice {
public:
    virtual ~UsbDevice() = default;

    // False makes every open of the device's name fail (instrument unplugged).
    virtual bool IsPresent() const { return true; }

    // True while every call returns at once (never blocks): the bus then makes the call on the
    // caller's thread, straight into the caller's buffers, since no time-out can strike; such a
    // device writes no more into `out` than it reports in `returned`. A device that may block
    // answers false and gets the bus's own thread and time-out watch.
    virtual bool AnswersAtOnce() const { return false; }

    // One control call. `out` holds `outLen` bytes: the data sent for writes, the room for replies.
    // Stores the number of bytes transferred in `returned` and gives the call's success flag.
    // May be called from a bus worker thread; a call that does not return within the bus's
    // time-out is reported as failed to the caller.
    virtual bool IoControl(std::uint32_t code, const std::uint8_t* in, std::uint32_t inLen, std::uint8_t* out,
                           std::uint32_t outLen, std::uint32_t& returned) = 0;
};

} // namespace kv::usb
