#include "Driver.h"

#include <array>
#include <cstdio>

#include "ModelConstants.h"
#include "WireProtocol.h"
#include "simulator/SimEnvironment.h"

namespace kv::sdk {

std::atomic<bool> g_failWorkerStart{false};

namespace {

// The instrument this build drives: Pallik's has the 14336-sample deep buffer.
constexpr kv::sim::SimModel kSimulatedModel = kModel == Model::Cordun   ? kv::sim::SimModel::KestraF
                                              : kModel == Model::Pallik ? kv::sim::SimModel::KestraE14K
                                                                        : kv::sim::SimModel::KestraE;

// Simulated instruments named by SCOPE_SIMULATOR are registered once, before the first open.
void RegisterEnvironmentDevicesOnce() {
    static const bool registered = (kv::sim::RegisterSimulatorsFromEnvironment(kSimulatedModel), true);
    (void)registered;
}

} // namespace

std::string dsoGetDeviceName(std::uint16_t deviceIndex) {
    if (deviceIndex > 3)
        return std::string();
    return DeviceName(deviceIndex);
}

std::string DeviceName(std::uint16_t deviceIndex) {
    return std::string(kDeviceNamePrefix) + "-" + std::to_string(deviceIndex);
}

int dsoOpenDevice(DeviceHandle* handle, const char* name) {
    if (!handle || !name)
        return 0;
    RegisterEnvironmentDevicesOnce();
    const std::string path = std::string(kv::usb::kDevicePathPrefix) + name;
    const DeviceHandle h = kv::usb::OpenDevice(path);
    if (h == kv::usb::kInvalidHandle)
        return 0;
    *handle = h;
    return 1;
}

void dsoIoctlThreadProc(IoctlParams* params) {
    std::uint32_t returned = 0;
    const bool ok = kv::usb::IoControl(params->device, params->code, params->in, params->inLength,
                                       params->out, params->outLength, &returned);
    params->returned = returned;
    params->result = ok ? 1 : 0;
    if (params->event)
        params->event->Set();
}

int dsoVendorRequest(DeviceHandle device, std::uint8_t request, std::uint16_t value, std::uint8_t direction,
                     std::uint8_t* data, std::uint32_t length) {
    if (device == 0 || (length != 0 && !data))
        return 0;
    // No worker to carry the request: it is not sent.
    if (g_failWorkerStart.load())
        return 0;
    const VendorBlock block = EncodeVendorBlock(direction, request, value);
    IoctlParams params;
    params.device = device;
    params.code = kv::usb::kIoctlVendorRequest;
    params.in = block.data();
    params.inLength = static_cast<std::uint32_t>(block.size());
    params.out = data;
    params.outLength = length;
    // The bus carries the call on the device's own I/O thread, under its time-out, whenever the
    // device may block, and returns only once the transfer is over; a thread of our own per
    // request would add nothing but its start-up.
    dsoIoctlThreadProc(&params);
    // A data stage shorter than asked leaves bytes the caller would take as the device's.
    if (params.result && params.returned != length)
        return 0;
    return params.result;
}

OpenDevice::OpenDevice(std::uint16_t deviceIndex) {
    const std::string name = dsoGetDeviceName(deviceIndex);
    DeviceHandle h = 0;
    if (!name.empty() && dsoOpenDevice(&h, name.c_str()))
        m_handle = h;
}

OpenDevice::~OpenDevice() {
    if (m_handle != 0)
        kv::usb::CloseDevice(m_handle);
}

std::uint16_t dsoIsHighSpeed(std::uint16_t deviceIndex) {
    OpenDevice dev(deviceIndex);
    if (!dev.IsOpen())
        return 0;
    std::array<std::uint8_t, 10> reply{};
    if (!dsoVendorRequest(dev.Handle(), kRequestStatus, 0, kDirectionRead, reply.data(), 10))
        return 0;
    return reply[0];
}

std::uint16_t dsoSetTransferMode(std::uint16_t deviceIndex, std::uint16_t mode) {
    OpenDevice dev(deviceIndex);
    if (!dev.IsOpen())
        return 0;
    std::array<std::uint8_t, 10> buffer = EncodeTransferMode(mode);
    dsoVendorRequest(dev.Handle(), kRequestTransferMode, 0, kDirectionWrite, buffer.data(), 10);
    // Cleared first: a failed status read must not hand back the 0x0F of the mode payload,
    // which would read as "high speed".
    buffer.fill(0);
    if (!dsoVendorRequest(dev.Handle(), kRequestStatus, 0, kDirectionRead, buffer.data(), 10))
        return 0;
    return buffer[0];
}

std::uint32_t LinkPacketSize(std::uint16_t deviceIndex) {
    return dsoIsHighSpeed(deviceIndex) ? 512u : 64u;
}

bool SendBulkCommand(std::uint16_t deviceIndex, const std::vector<std::uint8_t>& packet) {
    dsoSetTransferMode(deviceIndex, 1);
    OpenDevice dev(deviceIndex);
    if (!dev.IsOpen())
        return false;
    std::vector<std::uint8_t> bytes = packet;
    const auto pipe = EncodePipe(kWritePipe);
    std::uint32_t returned = 0;
    const bool ok = kv::usb::IoControl(dev.Handle(), kv::usb::kIoctlBulkWrite, pipe.data(), 4, bytes.data(),
                                       static_cast<std::uint32_t>(bytes.size()), &returned);
    return ok && returned == bytes.size();
}

bool BulkRead(DeviceHandle device, std::uint8_t* buffer, std::uint32_t length) {
    const auto pipe = EncodePipe(kReadPipe);
    std::uint32_t returned = 0;
    const bool ok =
        kv::usb::IoControl(device, kv::usb::kIoctlBulkRead, pipe.data(), 4, buffer, length, &returned);
    return ok && returned == length;
}

bool BulkReadPackets(DeviceHandle device, std::uint8_t* buffer, std::uint32_t packet, std::uint32_t count) {
    const auto pipe = EncodePipe(kReadPipe);
    std::uint32_t returned = 0;
    const bool ok = kv::usb::IoControlRun(device, kv::usb::kIoctlBulkRead, pipe.data(), 4, buffer, packet,
                                          count, &returned);
    return ok && returned == static_cast<std::uint64_t>(packet) * count;
}

bool ReadBulkReply(std::uint16_t deviceIndex, std::vector<std::uint8_t>& reply, std::uint32_t minimumBytes,
                   std::uint32_t packetSize) {
    const std::uint32_t packet = packetSize != 0 ? packetSize : LinkPacketSize(deviceIndex);
    OpenDevice dev(deviceIndex);
    if (!dev.IsOpen())
        return false;
    std::vector<std::uint8_t> buffer(packet, 0);
    const auto pipe = EncodePipe(kReadPipe);
    std::uint32_t returned = 0;
    const bool ok = kv::usb::IoControl(dev.Handle(), kv::usb::kIoctlBulkRead, pipe.data(), 4, buffer.data(),
                                       packet, &returned);
    // A failed or short reply would decode as stale or zero bytes.
    if (!ok || returned < minimumBytes)
        return false;
    reply.swap(buffer);
    return true;
}

std::unique_lock<std::recursive_mutex> LockDevice(std::uint16_t deviceIndex) {
    static std::array<std::recursive_mutex, 5> locks;
    return std::unique_lock<std::recursive_mutex>(locks[deviceIndex < 4 ? deviceIndex : 4]);
}

} // namespace kv::sdk
