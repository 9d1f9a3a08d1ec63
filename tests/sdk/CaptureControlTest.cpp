// Capture control: search, command packets, capture cycle, trigger address and logic byte.
#include "SimFixture.h"

using kv::sim::Fault;
using kv::sim::FaultKind;
using CaptureControl = SimFixture;

TEST_F(CaptureControl, SearchFormatsTheIndexAsADecimalNumber) {
    EXPECT_EQ(dsoSearchDevice(0), 1);
    EXPECT_EQ(dsoSearchDevice(1), 0);
    EXPECT_EQ(kv::usb::OpenHandleCount(), 0);
    kv::usb::RegisterDevice("qzdev-7", std::make_shared<kv::sim::SimWireDevice>());
    EXPECT_EQ(dsoSearchDevice(7), 1);
    EXPECT_EQ(dsoCaptureStart(7), 0) << "other exports accept only 0..3";
    EXPECT_EQ(kv::usb::OpenCount("qzdev-7"), 1);
    EXPECT_TRUE(dev->Log().empty());
}

TEST_F(CaptureControl, CommandPacketsAreExact) {
    ASSERT_EQ(dsoCaptureStart(0), 1);
    ASSERT_EQ(dsoTriggerEnabled(0), 1);
    ASSERT_EQ(dsoForceTrigger(0), 1);
    ASSERT_EQ(dsoSetLogicData(0, 0x1FF), 1);
    std::uint32_t addr = 0;
    dsoGetCaptureState(0, &addr);
    dsoGetLogicData(0);
    const auto w = BulkWrites();
    ASSERT_EQ(w.size(), 6u);
    EXPECT_EQ(w[0].data, Bytes({0x03, 0x00}));
    EXPECT_EQ(w[1].data, Bytes({0x04, 0x00}));
    EXPECT_EQ(w[2].data, Bytes({0x02, 0x00}));
    EXPECT_EQ(w[3].data, Bytes({0x08, 0x0F, 0xFF, 0, 0, 0, 0, 0}));
    EXPECT_EQ(w[4].data, Bytes({0x06, 0x00}));
    EXPECT_EQ(w[5].data, Bytes({0x09, 0x00}));
    for (const auto& r : BulkReads())
        EXPECT_EQ(r.setup, Bytes({1, 0, 0, 0}));
    EXPECT_EQ(inst().LogicValue(), 0xFF);
}

TEST_F(CaptureControl, ReplyPacketFollowsLinkSpeed) {
    std::uint32_t addr = 0;
    dev->SetHighSpeed(true);
    dsoGetCaptureState(0, &addr);
    dev->SetHighSpeed(false);
    dsoGetCaptureState(0, &addr);
    const auto reads = BulkReads();
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0].length, 512u);
    EXPECT_EQ(reads[1].length, 64u);
}

TEST_F(CaptureControl, CaptureCycleDeliversStateAndTriggerAddress) {
    inst().SetMemoryCode(2);
    inst().SetTriggerAddress(0x11234);
    std::uint32_t addr = 0xFFFFFFFF;
    ASSERT_EQ(dsoCaptureStart(0), 1);
    EXPECT_EQ(dsoGetCaptureState(0, &addr), 1);
    ASSERT_EQ(dsoTriggerEnabled(0), 1);
    EXPECT_EQ(dsoGetCaptureState(0, &addr), 2);
    EXPECT_EQ(dsoGetCaptureState(0, &addr), 3);
    EXPECT_EQ(dsoGetCaptureState(0, &addr), 4);
    EXPECT_EQ(addr, 0x11234u);
}

TEST_F(CaptureControl, ForceTriggerEndsAWaitWithoutSignal) {
    inst().SetPollsToTrigger(0);
    std::uint32_t addr = 0;
    dsoCaptureStart(0);
    dsoTriggerEnabled(0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(dsoGetCaptureState(0, &addr), 2);
    ASSERT_EQ(dsoForceTrigger(0), 1);
    EXPECT_EQ(dsoGetCaptureState(0, &addr), 4);
}

TEST_F(CaptureControl, ResultsAreTheStateAndTheValue) {
    inst().SetLogicValue(0x9C);
    EXPECT_EQ(dsoGetLogicData(0), 0x9C);
    std::uint32_t addr = 0;
    dsoCaptureStart(0);
    EXPECT_EQ(dsoGetCaptureState(0, &addr), 1);
}

TEST_F(CaptureControl, FailedPollLeavesTheAddressAlone) {
    inst().SetTriggerAddress(77);
    dsoCaptureStart(0);
    dsoTriggerEnabled(0);
    std::uint32_t addr = 5;
    dev->InjectFault(Fault{FaultKind::Fail, kv::usb::kIoctlBulkRead, 0, 1, 0});
    EXPECT_EQ(dsoGetCaptureState(0, &addr), 0);
    EXPECT_EQ(addr, 5u);
    EXPECT_EQ(dsoGetCaptureState(0, nullptr), 0);
    dev->InjectFault(Fault{FaultKind::Fail, kv::usb::kIoctlBulkRead, 0, 1, 0});
    EXPECT_EQ(dsoGetLogicData(0), 0);
}

TEST_F(CaptureControl, IndexFourAndAbsentDeviceReachNothing) {
    std::uint32_t addr = 9;
    EXPECT_EQ(dsoCaptureStart(4), 0);
    EXPECT_EQ(dsoTriggerEnabled(4), 0);
    EXPECT_EQ(dsoForceTrigger(4), 0);
    EXPECT_EQ(dsoGetCaptureState(4, &addr), 0);
    EXPECT_EQ(dsoGetLogicData(4), 0);
    EXPECT_EQ(dsoSetLogicData(4, 1), 0);
    EXPECT_EQ(addr, 9u);
    EXPECT_TRUE(dev->Log().empty());
    dev->SetPresent(false);
    EXPECT_EQ(dsoSearchDevice(0), 0);
    EXPECT_EQ(dsoCaptureStart(0), 0);
    EXPECT_EQ(dsoGetCaptureState(0, &addr), 0);
}
