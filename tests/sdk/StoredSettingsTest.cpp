// Stored settings: request bytes, round trips, limits and failed reads.
#include "SimFixture.h"

using kv::sim::Fault;
using kv::sim::FaultKind;
using StoredSettings = SimFixture;

namespace {
Bytes Memory(kv::sim::SimInstrument& inst, std::uint32_t address, std::uint32_t n) {
    Bytes b(n);
    inst.ReadMemory(address, b.data(), n);
    return b;
}
} // namespace

TEST_F(StoredSettings, RequestBlocksCarryAddressAndLength) {
    std::uint16_t cal[4];
    ASSERT_EQ(dsoGetCalData(0, cal), 1);
    std::uint16_t tdc[2] = {0x0102, 0x0304};
    ASSERT_EQ(dsoSetTDC(0, tdc), 1);
    const auto vr = VendorRequests();
    ASSERT_EQ(vr.size(), 2u);
    EXPECT_EQ(vr[0].setup, Bytes({1, 2, 0, 0, 0xA2, 0, 96, 0, 0, 0}));
    EXPECT_EQ(vr[0].length, 4u);
    EXPECT_EQ(vr[1].setup, Bytes({0, 2, 0, 0, 0xA2, 0, 112, 0, 0, 0}));
    EXPECT_EQ(vr[1].data, Bytes({0x02, 0x01, 0x04, 0x03}));
}

TEST_F(StoredSettings, RoundTripsThroughTheInstrumentMemory) {
    const std::uint8_t address = 0x5A;
    ASSERT_EQ(dsoSetDeviceAddress(0, &address), 1);
    std::uint16_t readAddress = 0;
    ASSERT_EQ(dsoGetDeviceAddress(0, &readAddress), 1);
    EXPECT_EQ(readAddress, 0x5A);

    const std::uint16_t cal[4] = {0x0105, 2, 3, 4};
    ASSERT_EQ(dsoSetCalData(0, cal), 1);
    EXPECT_EQ(Memory(inst(), 96, 4), Bytes({0x05, 2, 3, 4}));
    std::uint16_t calBack[4] = {};
    ASSERT_EQ(dsoGetCalData(0, calBack), 1);
    EXPECT_EQ(calBack[0], 5);
    EXPECT_EQ(calBack[3], 4);

    const std::uint8_t tdcCal[2] = {0x34, 0x12};
    inst().WriteMemory(100, tdcCal, 2);
    std::uint16_t v = 0;
    ASSERT_EQ(dsoGetTDCCalData(0, &v), 1);
    EXPECT_EQ(v, 0x1234);
    const std::uint16_t newCal = 0xBEEF;
    ASSERT_EQ(dsoSetTDCCalData(0, &newCal), 1);
    EXPECT_EQ(Memory(inst(), 100, 2), Bytes({0xEF, 0xBE}));

    const std::uint16_t tdc[2] = {0xA1B2, 0x0C0D};
    ASSERT_EQ(dsoSetTDC(0, tdc), 1);
    std::uint16_t tdcBack[2] = {};
    ASSERT_EQ(dsoGetTDC(0, tdcBack), 1);
    EXPECT_EQ(tdcBack[0], 0xA1B2);
    EXPECT_EQ(tdcBack[1], 0x0C0D);

    std::vector<std::uint16_t> levels(80);
    for (int i = 0; i < 80; ++i)
        levels[i] = static_cast<std::uint16_t>(0x100 * i + i + 1); // only the low byte travels
    ASSERT_EQ(dsoSetChannelLevel(0, levels.data(), 80), 1);
    std::vector<std::uint16_t> back(80, 0xFFFF);
    ASSERT_EQ(dsoGetChannelLevel(0, back.data(), 80), 1);
    for (int i = 0; i < 80; ++i)
        EXPECT_EQ(back[i], (i + 1) & 0xFF);
}

TEST_F(StoredSettings, DeviceAddressSharesTheLevelTableBytes) {
    // One flat memory: address 10 is byte 2 of the level table at 8.
    const std::uint8_t address = 0x77;
    ASSERT_EQ(dsoSetDeviceAddress(0, &address), 1);
    std::uint16_t levels[4] = {};
    ASSERT_EQ(dsoGetChannelLevel(0, levels, 4), 1);
    EXPECT_EQ(levels[2], 0x77);
}

TEST_F(StoredSettings, LengthZeroAndOverLimit) {
    std::uint16_t levels[2] = {9, 9};
    EXPECT_EQ(dsoGetChannelLevel(0, levels, 0), 1);
    ASSERT_EQ(VendorRequests().size(), 1u);
    EXPECT_EQ(VendorRequests()[0].length, 0u);
    EXPECT_EQ(levels[0], 9);

    dev->ClearLog();
    std::vector<std::uint16_t> big(8193, 1);
    EXPECT_EQ(dsoGetChannelLevel(0, big.data(), 8193), 0);
    EXPECT_EQ(dsoSetChannelLevel(0, big.data(), 8193), 0);
    EXPECT_EQ(big[0], 1);
    EXPECT_TRUE(dev->Log().empty()) << "nothing may be sent for a length over the buffer";
    EXPECT_EQ(dsoGetChannelLevel(0, big.data(), 8192), 1);
}

TEST_F(StoredSettings, FailedReadsLeaveCallerArraysUnchanged) {
    auto failNext = [&] { dev->InjectFault(Fault{FaultKind::Fail, kv::usb::kIoctlVendorRequest, 0, 1, 0}); };
    std::uint16_t word = 0xAAAA;
    std::uint16_t arr[80];
    std::fill(std::begin(arr), std::end(arr), 0xAAAA);

    failNext();
    EXPECT_EQ(dsoGetDeviceAddress(0, &word), 0);
    failNext();
    EXPECT_EQ(dsoGetTDCCalData(0, &word), 0);
    EXPECT_EQ(word, 0xAAAA);
    failNext();
    EXPECT_EQ(dsoGetCalData(0, arr), 0);
    failNext();
    EXPECT_EQ(dsoGetTDC(0, arr), 0);
    failNext();
    EXPECT_EQ(dsoGetChannelLevel(0, arr, 80), 0);
    dev->InjectFault(Fault{FaultKind::Short, kv::usb::kIoctlVendorRequest, 0, 1, 0});
    EXPECT_EQ(dsoGetChannelLevel(0, arr, 80), 0) << "a short data stage is a failed read";
    for (auto v : arr)
        ASSERT_EQ(v, 0xAAAA);
}

TEST_F(StoredSettings, RefusedArgumentsSendNothing) {
    std::uint16_t arr[4] = {1, 2, 3, 4};
    EXPECT_EQ(dsoGetCalData(0, nullptr), 0);
    EXPECT_EQ(dsoSetCalData(0, nullptr), 0);
    EXPECT_EQ(dsoGetTDC(0, nullptr), 0);
    EXPECT_EQ(dsoSetDeviceAddress(0, nullptr), 0);
    EXPECT_EQ(dsoGetChannelLevel(0, nullptr, 4), 0);
    EXPECT_TRUE(dev->Log().empty());
    // Device index 4 has no name: nothing reaches any device.
    EXPECT_EQ(dsoGetCalData(4, arr), 0);
    EXPECT_EQ(dsoSetTDC(4, arr), 0);
    EXPECT_EQ(arr[0], 1);
    EXPECT_TRUE(dev->Log().empty());
    dev->SetPresent(false);
    EXPECT_EQ(dsoGetCalData(0, arr), 0);
}
