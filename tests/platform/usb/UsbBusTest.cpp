// The device namespace stand-in: names, open and close, dispatch and the transfer time-out.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "usb/UsbBus.h"

namespace {

class EchoDevice : public kv::usb::UsbDevice {
public:
    std::atomic<bool> present{true};
    std::atomic<int> stallMs{0};
    std::atomic<int> calls{0};
    bool IsPresent() const override { return present; }
    bool IoControl(std::uint32_t code, const std::uint8_t* in, std::uint32_t inLen, std::uint8_t* out,
                   std::uint32_t outLen, std::uint32_t& returned) override {
        ++calls;
        if (stallMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(stallMs.load()));
        // Reply: the code's low byte, then the input bytes.
        if (outLen > 0)
            out[0] = static_cast<std::uint8_t>(code);
        for (std::uint32_t i = 0; i < inLen && i + 1 < outLen; ++i)
            out[i + 1] = in[i];
        returned = outLen;
        return code != 0xDEAD;
    }
};

class UsbBus : public ::testing::Test {
protected:
    void SetUp() override {
        kv::usb::UnregisterAllDevices();
        kv::usb::SetTransferTimeoutMs(5000);
        dev = std::make_shared<EchoDevice>();
        kv::usb::RegisterDevice("qzdev-1", dev);
    }
    void TearDown() override {
        kv::usb::UnregisterAllDevices();
        kv::usb::SetTransferTimeoutMs(5000);
    }
    std::shared_ptr<EchoDevice> dev;
};

} // namespace

TEST_F(UsbBus, OpensOnlyRegisteredPresentNamesUnderThePrefix) {
    EXPECT_EQ(kv::usb::OpenDevice("qzdev-1"), kv::usb::kInvalidHandle);
    EXPECT_EQ(kv::usb::OpenDevice("\\\\.\\"), kv::usb::kInvalidHandle);
    EXPECT_EQ(kv::usb::OpenDevice("\\\\.\\qzdev-2"), kv::usb::kInvalidHandle);
    const auto h = kv::usb::OpenDevice("\\\\.\\qzdev-1");
    ASSERT_NE(h, kv::usb::kInvalidHandle);
    EXPECT_NE(h, 0);
    EXPECT_EQ(kv::usb::OpenHandleCount(), 1);
    EXPECT_EQ(kv::usb::OpenCount("qzdev-1"), 1);
    EXPECT_TRUE(kv::usb::CloseDevice(h));
    EXPECT_FALSE(kv::usb::CloseDevice(h));
    EXPECT_EQ(kv::usb::OpenHandleCount(), 0);
    dev->present = false;
    EXPECT_EQ(kv::usb::OpenDevice("\\\\.\\qzdev-1"), kv::usb::kInvalidHandle);
}

TEST_F(UsbBus, CarriesCodeAndBuffersToTheDevice) {
    const auto h = kv::usb::OpenDevice("\\\\.\\qzdev-1");
    const std::uint8_t in[4] = {1, 0, 0, 0};
    std::uint8_t out[8] = {};
    std::uint32_t returned = 0;
    ASSERT_TRUE(kv::usb::IoControl(h, kv::usb::kIoctlBulkRead, in, 4, out, 8, &returned));
    EXPECT_EQ(returned, 8u);
    EXPECT_EQ(out[0], 0x4E);
    EXPECT_EQ(out[1], 1);
    EXPECT_FALSE(kv::usb::IoControl(h, 0xDEAD, in, 4, out, 8, &returned));
    EXPECT_FALSE(kv::usb::IoControl(h, 1, nullptr, 4, out, 8, &returned)) << "null input with a length";
    kv::usb::CloseDevice(h);
    EXPECT_FALSE(kv::usb::IoControl(h, 1, in, 4, out, 8, &returned)) << "closed handle";
}

TEST_F(UsbBus, StalledDeviceTimesOutWithoutWritingLater) {
    kv::usb::SetTransferTimeoutMs(50);
    dev->stallMs = 200;
    const auto h = kv::usb::OpenDevice("\\\\.\\qzdev-1");
    std::uint8_t out[4] = {9, 9, 9, 9};
    std::uint32_t returned = 7;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(kv::usb::IoControl(h, 0x51, nullptr, 0, out, 4, &returned));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(180));
    EXPECT_EQ(returned, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(out[0], 9) << "a late answer must not reach the caller's buffer";
    dev->stallMs = 0;
    EXPECT_TRUE(kv::usb::IoControl(h, 0x51, nullptr, 0, out, 4, &returned));
    kv::usb::CloseDevice(h);
}

TEST_F(UsbBus, UnregisteredDeviceFailsOpenHandles) {
    const auto h = kv::usb::OpenDevice("\\\\.\\qzdev-1");
    kv::usb::UnregisterDevice("qzdev-1");
    std::uint8_t out[2];
    std::uint32_t returned = 0;
    EXPECT_FALSE(kv::usb::IoControl(h, 0x51, nullptr, 0, out, 2, &returned));
    EXPECT_FALSE(kv::usb::IsRegistered("qzdev-1"));
    kv::usb::CloseDevice(h);
}
