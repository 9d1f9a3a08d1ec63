// Devices that answer at once: the bus calls them on the caller's thread, straight into the
// caller's buffers, one call at a time, and falls back to its own thread (with the time-out) as
// soon as a device may block. Buffers of queued calls are reused without leaking old bytes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "usb/UsbBus.h"

namespace {

// Fills each call's buffer with the call's number and notes the thread it ran on; says whether
// it answers at once, can stall, and checks that no two calls ever overlap.
class QuickDevice : public kv::usb::UsbDevice {
public:
    std::atomic<bool> atOnce{true};
    std::atomic<int> stallMs{0};
    std::atomic<int> calls{0};
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    std::atomic<std::uint32_t> deliver{0}; // bytes a call delivers; 0 = all
    std::thread::id lastThread;
    bool AnswersAtOnce() const override { return atOnce; }
    bool IoControl(std::uint32_t, const std::uint8_t*, std::uint32_t, std::uint8_t* out, std::uint32_t outLen,
                   std::uint32_t& returned) override {
        if (inside++ != 0)
            overlapped = true;
        const int n = ++calls;
        lastThread = std::this_thread::get_id();
        if (stallMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(stallMs.load()));
        returned = deliver != 0 ? std::min<std::uint32_t>(deliver, outLen) : outLen;
        std::memset(out, n, returned);
        --inside;
        return true;
    }
};

class UsbDirect : public ::testing::Test {
protected:
    void SetUp() override {
        kv::usb::UnregisterAllDevices();
        kv::usb::SetTransferTimeoutMs(5000);
        dev = std::make_shared<QuickDevice>();
        kv::usb::RegisterDevice("qzdev-3", dev);
        h = kv::usb::OpenDevice("\\\\.\\qzdev-3");
    }
    void TearDown() override {
        kv::usb::CloseDevice(h);
        kv::usb::UnregisterAllDevices();
        kv::usb::SetTransferTimeoutMs(5000);
    }
    std::shared_ptr<QuickDevice> dev;
    kv::usb::Handle h = 0;
    const std::uint8_t pipe[4] = {1, 0, 0, 0};
};

} // namespace

TEST_F(UsbDirect, AQuickDeviceIsCalledOnTheCallersThread) {
    std::vector<std::uint8_t> buf(3 * 32, 0);
    std::uint32_t returned = 0;
    ASSERT_TRUE(kv::usb::IoControl(h, kv::usb::kIoctlBulkRead, pipe, 4, buf.data(), 32, &returned));
    EXPECT_EQ(returned, 32u);
    EXPECT_EQ(dev->lastThread, std::this_thread::get_id());
    ASSERT_TRUE(kv::usb::IoControlRun(h, kv::usb::kIoctlBulkRead, pipe, 4, buf.data(), 32, 3, &returned));
    EXPECT_EQ(returned, 96u);
    EXPECT_EQ(buf[0], 2);
    EXPECT_EQ(buf[95], 4);
    EXPECT_EQ(dev->lastThread, std::this_thread::get_id());

    // A device that may block goes to the bus's own thread.
    dev->atOnce = false;
    ASSERT_TRUE(kv::usb::IoControl(h, kv::usb::kIoctlBulkRead, pipe, 4, buf.data(), 32, &returned));
    EXPECT_NE(dev->lastThread, std::this_thread::get_id());
}

TEST_F(UsbDirect, ShortRunsStopAndKeepTheRestOfTheBuffer) {
    for (bool atOnce : {true, false}) {
        SCOPED_TRACE(atOnce);
        dev->atOnce = atOnce;
        dev->deliver = 0;
        std::vector<std::uint8_t> big(4 * 64, 0);
        std::uint32_t returned = 0;
        ASSERT_TRUE(kv::usb::IoControlRun(h, kv::usb::kIoctlBulkRead, pipe, 4, big.data(), 64, 4, &returned));
        // A later, shorter read hands back only what arrived, never what an earlier, larger
        // read left in a reused buffer.
        dev->deliver = 10;
        std::vector<std::uint8_t> small(2 * 32, 0xEE);
        EXPECT_FALSE(
            kv::usb::IoControlRun(h, kv::usb::kIoctlBulkRead, pipe, 4, small.data(), 32, 2, &returned));
        EXPECT_EQ(returned, 10u);
        EXPECT_NE(small[9], 0xEE);
        EXPECT_EQ(small[10], 0xEE);
        EXPECT_EQ(small[63], 0xEE);
        std::vector<std::uint8_t> one(32, 0xEE);
        EXPECT_TRUE(kv::usb::IoControl(h, kv::usb::kIoctlBulkRead, pipe, 4, one.data(), 32, &returned));
        EXPECT_EQ(returned, 10u);
        EXPECT_EQ(one[10], 0xEE);
    }
}

TEST_F(UsbDirect, CallsFromManyThreadsNeverOverlap) {
    // Half the time the device may block: quick calls and queued ones must still take turns.
    std::atomic<bool> stop{false};
    std::thread toggler([&] {
        while (!stop) {
            dev->atOnce = !dev->atOnce;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    std::vector<std::thread> callers;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t)
        callers.emplace_back([&] {
            std::vector<std::uint8_t> buf(8 * 16);
            for (int i = 0; i < 300; ++i) {
                std::uint32_t returned = 0;
                if (!kv::usb::IoControlRun(h, kv::usb::kIoctlBulkRead, pipe, 4, buf.data(), 16, 8, &returned))
                    ++failures;
            }
        });
    for (auto& c : callers)
        c.join();
    stop = true;
    toggler.join();
    EXPECT_FALSE(dev->overlapped);
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(dev->calls, 4 * 300 * 8);
}

TEST_F(UsbDirect, AStallWaitingToStrikeStillTimesOut) {
    // A device that says it may block gets the time-out watch again.
    kv::usb::SetTransferTimeoutMs(100);
    dev->atOnce = false;
    dev->stallMs = 400;
    std::vector<std::uint8_t> buf(16, 0xEE);
    std::uint32_t returned = 0;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(kv::usb::IoControl(h, kv::usb::kIoctlBulkRead, pipe, 4, buf.data(), 16, &returned));
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_LT(ms, 300);
    EXPECT_EQ(buf[0], 0xEE);
    std::this_thread::sleep_for(std::chrono::milliseconds(450)); // let the stalled call drain
}
