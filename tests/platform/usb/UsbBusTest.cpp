// The device namespace stand-in: names, open and close, dispatch and the transfer time-out.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

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

namespace {

// Fills each call's buffer with the call's number; can stall or come up short at one call.
class CountingDevice : public kv::usb::UsbDevice {
public:
    std::atomic<int> calls{0};
    std::atomic<int> stallMs{0};  // every call takes this long
    std::atomic<int> stallAt{-1}; // this call takes stallAtMs
    std::atomic<int> stallAtMs{0};
    std::atomic<int> shortAt{-1}; // this call delivers half its buffer
    bool IoControl(std::uint32_t, const std::uint8_t*, std::uint32_t, std::uint8_t* out, std::uint32_t outLen,
                   std::uint32_t& returned) override {
        const int n = calls++;
        if (stallMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(stallMs.load()));
        if (n == stallAt)
            std::this_thread::sleep_for(std::chrono::milliseconds(stallAtMs.load()));
        std::memset(out, n + 1, outLen);
        returned = n == shortAt ? outLen / 2 : outLen;
        return true;
    }
};

class UsbRun : public ::testing::Test {
protected:
    void SetUp() override {
        kv::usb::UnregisterAllDevices();
        dev = std::make_shared<CountingDevice>();
        kv::usb::RegisterDevice("qzdev-2", dev);
        h = kv::usb::OpenDevice("\\\\.\\qzdev-2");
    }
    void TearDown() override {
        kv::usb::CloseDevice(h);
        kv::usb::UnregisterAllDevices();
        kv::usb::SetTransferTimeoutMs(5000);
    }
    std::shared_ptr<CountingDevice> dev;
    kv::usb::Handle h = 0;
    const std::uint8_t pipe[4] = {1, 0, 0, 0};
};

} // namespace

TEST_F(UsbRun, EachChunkIsOneDeviceCallInOrder) {
    std::vector<std::uint8_t> buf(4 * 64, 0);
    std::uint32_t returned = 0;
    ASSERT_TRUE(kv::usb::IoControlRun(h, kv::usb::kIoctlBulkRead, pipe, 4, buf.data(), 64, 4, &returned));
    EXPECT_EQ(returned, 256u);
    EXPECT_EQ(dev->calls, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(buf[i * 64], i + 1);
        EXPECT_EQ(buf[i * 64 + 63], i + 1);
    }
    EXPECT_TRUE(kv::usb::IoControlRun(h, kv::usb::kIoctlBulkRead, pipe, 4, buf.data(), 64, 0, &returned));
    EXPECT_FALSE(kv::usb::IoControlRun(h, kv::usb::kIoctlBulkRead, pipe, 4, nullptr, 64, 2, &returned));
    EXPECT_EQ(dev->calls, 4);
}

TEST_F(UsbRun, EveryCallHasItsOwnTimeOut) {
    // Five calls of 60 ms each outlast one 100 ms time-out together, but none does alone.
    kv::usb::SetTransferTimeoutMs(100);
    dev->stallMs = 60;
    std::vector<std::uint8_t> buf(5 * 8, 0);
    std::uint32_t returned = 0;
    EXPECT_TRUE(kv::usb::IoControlRun(h, kv::usb::kIoctlBulkRead, pipe, 4, buf.data(), 8, 5, &returned));
    EXPECT_EQ(returned, 40u);
}

TEST_F(UsbRun, AStalledCallFailsTheRunInTimeAndSkipsTheRest) {
    kv::usb::SetTransferTimeoutMs(100);
    dev->stallAt = 2;
    dev->stallAtMs = 400;
    std::vector<std::uint8_t> buf(6 * 8, 0xEE);
    std::uint32_t returned = 99;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(kv::usb::IoControlRun(h, kv::usb::kIoctlBulkRead, pipe, 4, buf.data(), 8, 6, &returned));
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_LT(ms, 300);
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(buf[0], 0xEE) << "a timed-out run writes nothing into the caller's buffer";
    std::this_thread::sleep_for(std::chrono::milliseconds(450)); // let the stalled call drain
    EXPECT_EQ(dev->calls, 3) << "calls after the stalled one are not started";
    EXPECT_EQ(buf[47], 0xEE);
}

TEST_F(UsbRun, AShortCallEndsTheRun) {
    dev->shortAt = 1;
    std::vector<std::uint8_t> buf(4 * 16, 0);
    std::uint32_t returned = 0;
    EXPECT_FALSE(kv::usb::IoControlRun(h, kv::usb::kIoctlBulkRead, pipe, 4, buf.data(), 16, 4, &returned));
    EXPECT_EQ(returned, 24u);
    EXPECT_EQ(dev->calls, 2);
    EXPECT_EQ(buf[16], 2);
    EXPECT_EQ(buf[32], 0);
}
