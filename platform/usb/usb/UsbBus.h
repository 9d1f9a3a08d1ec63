#pragma once
// Stand-in for the kernel driver's device namespace: devices are registered by name
// ("qzdev-0".."qzdev-3", "qzdva-0".."qzdva-3"), opened by path ("\\.\" + name) and driven with
// control calls. Every control call has a time-out and reports failure instead of hanging.
#include <cstdint>
#include <memory>
#include <string>

#include "usb/UsbDevice.h"

namespace kv::usb {

using Handle = std::intptr_t;
constexpr Handle kInvalidHandle = -1; // never 0: a null handle means "no device" to callers

// The path prefix of the device namespace.
constexpr const char* kDevicePathPrefix = "\\\\.\\";

// Registration by name; a later registration under the same name replaces the earlier one.
void RegisterDevice(const std::string& name, std::shared_ptr<UsbDevice> device);
void UnregisterDevice(const std::string& name);
void UnregisterAllDevices();
bool IsRegistered(const std::string& name);

// Opens "\\.\" + name. Fails (kInvalidHandle) when the path lacks the prefix, the name is not
// registered or the device reports itself absent.
Handle OpenDevice(const std::string& path);
bool CloseDevice(Handle handle);

// One control call on an open handle, bounded by the transfer time-out.
bool IoControl(Handle handle, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
               std::uint32_t outLen, std::uint32_t* returned);

// A run of `count` control calls with the same code and input, call i moving bytes
// [i x chunk, (i + 1) x chunk) of `out`, carried to the device in one hand-off. Each call keeps
// its own time-out, counted from its start. The run stops at the first call that fails or moves
// less than `chunk` bytes; `returned` gets the bytes moved in all, and only those are written to
// `out`. True when every call succeeded with its whole chunk.
bool IoControlRun(Handle handle, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
                  std::uint32_t chunk, std::uint32_t count, std::uint32_t* returned);

// Time-out of every control call, 5000 ms unless changed (tests shorten it).
void SetTransferTimeoutMs(std::uint32_t ms);
std::uint32_t TransferTimeoutMs();

// Bookkeeping for tests and diagnostics.
int OpenHandleCount();                   // handles open right now
long OpenCount(const std::string& name); // successful opens of `name` since registration
long FailedOpenCount();                  // opens refused for any reason since start

} // namespace kv::usb
