#pragma once
// A simulated instrument registered as device index 0 for the length of one test.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "Driver.h"
#include "Tessel.h"
#include "simulator/SimWireDevice.h"
#include "usb/UsbBus.h"

class SimFixture : public ::testing::Test {
protected:
    void SetUp() override {
        kv::usb::UnregisterAllDevices();
        kv::usb::SetTransferTimeoutMs(5000);
        kv::sdk::g_failWorkerStart = false;
        dev = std::make_shared<kv::sim::SimWireDevice>();
        kv::usb::RegisterDevice("qzdev-0", dev);
    }
    void TearDown() override {
        kv::sdk::g_failWorkerStart = false;
        kv::usb::UnregisterAllDevices();
        kv::usb::SetTransferTimeoutMs(5000);
        EXPECT_EQ(kv::usb::OpenHandleCount(), 0) << "a device was left open";
    }
    kv::sim::SimInstrument& inst() { return dev->Instrument(); }

    // Records of one kind of transfer, in order.
    std::vector<kv::sim::WireRecord> Transfers(std::uint32_t code) const {
        std::vector<kv::sim::WireRecord> out;
        for (const auto& r : dev->Log())
            if (r.code == code)
                out.push_back(r);
        return out;
    }
    std::vector<kv::sim::WireRecord> BulkWrites() const { return Transfers(kv::usb::kIoctlBulkWrite); }
    std::vector<kv::sim::WireRecord> VendorRequests() const {
        return Transfers(kv::usb::kIoctlVendorRequest);
    }
    std::vector<kv::sim::WireRecord> BulkReads() const { return Transfers(kv::usb::kIoctlBulkRead); }

    std::shared_ptr<kv::sim::SimWireDevice> dev;
};

using Bytes = std::vector<std::uint8_t>;

// The bulk commands a device received whose first byte is `code`, in order.
inline std::vector<Bytes> CommandsSent(const kv::sim::SimWireDevice& dev, int code) {
    std::vector<Bytes> out;
    for (const auto& r : dev.Log())
        if (r.code == kv::usb::kIoctlBulkWrite && !r.data.empty() && r.data[0] == code)
            out.push_back(r.data);
    return out;
}
