// Driver layer: device names, vendor-request blocks, transfer mode, bulk command packets,
// worker and time-out behaviour, per-device serialisation.
#include <atomic>
#include <chrono>
#include <thread>

#include "SimFixture.h"
#include "WireProtocol.h"

using namespace kv::sdk;
using kv::sim::Fault;
using kv::sim::FaultKind;

TEST(DeviceName, IndexesZeroToThreeOnly) {
    EXPECT_EQ(dsoGetDeviceName(0), "qzdev-0");
    EXPECT_EQ(dsoGetDeviceName(3), "qzdev-3");
    EXPECT_EQ(dsoGetDeviceName(4), "");
    EXPECT_EQ(dsoGetDeviceName(65535), "");
}

TEST(WireEncoding, VendorBlockLayout) {
    EXPECT_EQ(EncodeVendorBlock(1, 0xA2, 0x1234), (VendorBlock{1, 2, 0, 0, 0xA2, 0, 0x34, 0x12, 0, 0}));
    EXPECT_EQ(EncodeVendorBlock(0, 0xB3, 0), (VendorBlock{0, 2, 0, 0, 0xB3, 0, 0, 0, 0, 0}));
}

TEST(WireEncoding, TransferModePayloads) {
    const std::uint8_t codes[7] = {0, 3, 10, 9, 1, 2, 8};
    for (int mode = 1; mode <= 6; ++mode) {
        const auto p = EncodeTransferMode(static_cast<std::uint16_t>(mode));
        EXPECT_EQ(p[0], 0x0F);
        EXPECT_EQ(p[1], codes[mode]);
        EXPECT_EQ(p[2], codes[mode]);
        EXPECT_EQ(p[3], codes[mode]);
        for (int i = 4; i < 10; ++i)
            EXPECT_EQ(p[i], 0);
    }
    for (std::uint16_t mode : {0, 7, 65535})
        EXPECT_EQ(EncodeTransferMode(mode), (std::array<std::uint8_t, 10>{}));
}

TEST(WireEncoding, CaptureStateDecoding) {
    const std::uint8_t reply[4] = {4, 0x01, 0x34, 0x12};
    CaptureStateReply r;
    ASSERT_TRUE(DecodeCaptureState(reply, 4, r));
    EXPECT_EQ(r.state, 4);
    EXPECT_EQ(r.triggerAddress, 0x11234u);
    EXPECT_FALSE(DecodeCaptureState(reply, 3, r));
}

using DriverSim = SimFixture;

TEST_F(DriverSim, SetTransferModeSendsModeThenStatus) {
    dev->SetHighSpeed(true);
    EXPECT_EQ(dsoSetTransferMode(0, 4), 1);
    const auto vr = VendorRequests();
    ASSERT_EQ(vr.size(), 2u);
    EXPECT_EQ(vr[0].setup, Bytes({0, 2, 0, 0, 0xB3, 0, 0, 0, 0, 0}));
    EXPECT_EQ(vr[0].data, Bytes({0x0F, 1, 1, 1, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(vr[1].setup, Bytes({1, 2, 0, 0, 0xB2, 0, 0, 0, 0, 0}));
    EXPECT_EQ(vr[1].length, 10u);

    dev->ClearLog();
    dev->SetHighSpeed(false);
    EXPECT_EQ(dsoSetTransferMode(0, 9), 0); // full-speed link answers 0
    const auto vr2 = VendorRequests();
    ASSERT_EQ(vr2.size(), 2u);
    EXPECT_EQ(vr2[0].data, Bytes(10, 0)); // a mode outside 1..6 still sends ten zero bytes
}

TEST_F(DriverSim, FailedStatusReadIsNotHighSpeed) {
    dev->SetHighSpeed(true);
    // Fail the 0xB2 read that follows the 0xB3 write: the buffer still holding 0x0F must not
    // come back as "high speed".
    dev->InjectFault(Fault{FaultKind::Fail, kv::usb::kIoctlVendorRequest, 1, 1, 0});
    EXPECT_EQ(dsoSetTransferMode(0, 1), 0);
    dev->InjectFault(Fault{FaultKind::Fail, kv::usb::kIoctlVendorRequest, 0, 1, 0});
    EXPECT_EQ(dsoIsHighSpeed(0), 0);
    EXPECT_EQ(dsoIsHighSpeed(0), 1);
}

TEST_F(DriverSim, VendorRequestRefusesNullHandleAndMissingWorker) {
    std::uint8_t data[10] = {};
    EXPECT_EQ(dsoVendorRequest(0, 0xB2, 0, 1, data, 10), 0);
    g_failWorkerStart = true;
    std::uint16_t cal[4] = {7, 7, 7, 7};
    EXPECT_EQ(dsoGetCalData(0, cal), 0);
    EXPECT_EQ(cal[0], 7);
    EXPECT_TRUE(VendorRequests().empty()) << "no worker, no request";
}

TEST_F(DriverSim, StalledTransferTimesOutAsFailure) {
    kv::usb::SetTransferTimeoutMs(100);
    dev->InjectFault(Fault{FaultKind::Stall, kv::usb::kIoctlBulkWrite, 0, 1, 400});
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(dsoCaptureStart(0), 0);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_LT(ms, 350);
    std::this_thread::sleep_for(std::chrono::milliseconds(400)); // let the stalled call drain
    EXPECT_EQ(dsoCaptureStart(0), 1);
}

TEST_F(DriverSim, BulkCommandsAreProceededByTransferModeOne) {
    EXPECT_EQ(dsoTriggerEnabled(0), 1);
    const auto log = dev->Log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].code, kv::usb::kIoctlVendorRequest);
    EXPECT_EQ(log[0].data, Bytes({0x0F, 3, 3, 3, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(log[2].code, kv::usb::kIoctlBulkWrite);
    EXPECT_EQ(log[2].setup, Bytes({0, 0, 0, 0}));
    EXPECT_EQ(log[2].data, Bytes({0x04, 0x00}));
}

TEST_F(DriverSim, FailedWritesReportFailure) {
    for (auto call : {dsoCaptureStart, dsoTriggerEnabled, dsoForceTrigger}) {
        dev->InjectFault(Fault{FaultKind::Fail, kv::usb::kIoctlBulkWrite, 0, 1, 0});
        EXPECT_EQ(call(0), 0);
    }
    dev->InjectFault(Fault{FaultKind::Fail, kv::usb::kIoctlBulkWrite, 0, 1, 0});
    EXPECT_EQ(dsoSetLogicData(0, 5), 0);
}

TEST_F(DriverSim, CallsOnOneDeviceDoNotInterleave) {
    // A capture-state poll landing between the get-data command and its packets would swap a
    // reply packet into the sample stream.
    inst().SetSampleFunction([](int ch, std::uint32_t k, std::uint32_t, std::uint32_t) {
        return static_cast<std::uint16_t>((k * 3 + ch * 100) % 1024);
    });
    std::atomic<bool> stop{false};
    std::thread poller([&] {
        std::uint32_t addr = 0;
        while (!stop)
            dsoGetCaptureState(0, &addr);
    });
    std::vector<std::uint16_t> a(20484), b(20484);
    const std::uint16_t settings[7] = {0, 2, 12, 50, 1, 10, 0};
    int good = 0;
    for (int i = 0; i < 10; ++i) {
        if (dsoGetChannelData(0, 9, 9, 0, a.data(), b.data(), settings, 0) == 1 &&
            a[5] == static_cast<std::uint16_t>(15 * 0.56) && b[5] == static_cast<std::uint16_t>(115 * 0.56))
            ++good;
    }
    stop = true;
    poller.join();
    EXPECT_EQ(good, 10);
}
