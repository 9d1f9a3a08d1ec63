#pragma once
// The library's driver layer: device names, open and close, vendor requests,
// bulk commands and reply packets. Internal: none of these names leave the library.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "system/Event.h"
#include "usb/UsbBus.h"

namespace kv::sdk {

using DeviceHandle = kv::usb::Handle; // 0 = no device

// "qzdev-0".."qzdev-3" for index 0..3, empty for any other index.
std::string dsoGetDeviceName(std::uint16_t deviceIndex);
// The device name of any index, the index written as a decimal number: "qzdev-12".
std::string DeviceName(std::uint16_t deviceIndex);

// Opens "\\.\" + name; 1 with the handle stored, 0 when it does not open.
int dsoOpenDevice(DeviceHandle* handle, const char* name);

// Parameter block of one vendor request's worker.
struct IoctlParams {
    std::thread* thread = nullptr;
    DeviceHandle device = 0;
    std::uint32_t code = 0;
    const void* in = nullptr;
    std::uint32_t inLength = 0;
    void* out = nullptr;
    std::uint32_t outLength = 0;
    std::uint32_t returned = 0;
    kv::Event* event = nullptr;
    int result = 0;
};

// The worker body: one control call with the block's arguments; stores the success flag and sets
// the block's event.
void dsoIoctlThreadProc(IoctlParams* params);

// One vendor request on an open device; the data stage uses `data` in both directions. The
// success flag (a transfer shorter than `length` counts as failed). A null handle gives 0. The
// call returns only once the transfer is over (or timed out).
int dsoVendorRequest(DeviceHandle device, std::uint8_t request, std::uint16_t value, std::uint8_t direction,
                     std::uint8_t* data, std::uint32_t length);

// Request 0xB2: nonzero on a high-speed link; 0 when the device does not open or the read fails.
std::uint16_t dsoIsHighSpeed(std::uint16_t deviceIndex);
// Requests 0xB3 (mode payload) then 0xB2; reply byte 0 of 0xB2, or 0 on failure.
std::uint16_t dsoSetTransferMode(std::uint16_t deviceIndex, std::uint16_t mode);

// Test seam: when set, no worker can take a vendor request, which is then refused unsent.
extern std::atomic<bool> g_failWorkerStart;

// An open device, closed when it goes out of scope.
class OpenDevice {
public:
    explicit OpenDevice(std::uint16_t deviceIndex);
    ~OpenDevice();
    OpenDevice(const OpenDevice&) = delete;
    OpenDevice& operator=(const OpenDevice&) = delete;
    bool IsOpen() const { return m_handle != 0; }
    DeviceHandle Handle() const { return m_handle; }

private:
    DeviceHandle m_handle = 0;
};

// Shared bulk-command steps: transfer mode 1, open, write the packet on pipe 0, close.
// True when the whole packet was written.
bool SendBulkCommand(std::uint16_t deviceIndex, const std::vector<std::uint8_t>& packet);
// Shared reply steps: packet size from the link speed, open, read one packet on pipe 1, close.
// True when at least `minimumBytes` arrived; `reply` then holds the zero-padded packet. A nonzero
// `packetSize` replaces the link's packet size.
bool ReadBulkReply(std::uint16_t deviceIndex, std::vector<std::uint8_t>& reply, std::uint32_t minimumBytes,
                   std::uint32_t packetSize = 0);
// One bulk read on an open device; true when exactly `length` bytes arrived.
bool BulkRead(DeviceHandle device, std::uint8_t* buffer, std::uint32_t length);
// `count` bulk reads of `packet` bytes each into consecutive parts of `buffer`, handed to the
// device in one piece; true when every packet arrived whole.
bool BulkReadPackets(DeviceHandle device, std::uint8_t* buffer, std::uint32_t packet, std::uint32_t count);

// Packet size of the link: 512 on a high-speed link, else 64.
std::uint32_t LinkPacketSize(std::uint16_t deviceIndex);

// Serialises the calls on one device index; the outermost export holds it, inner calls re-enter.
std::unique_lock<std::recursive_mutex> LockDevice(std::uint16_t deviceIndex);

// Runs an export body and turns any escaping exception into the failure value: nothing thrown
// may cross the C boundary.
template <typename R, typename F> R Guarded(R failure, F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

} // namespace kv::sdk
