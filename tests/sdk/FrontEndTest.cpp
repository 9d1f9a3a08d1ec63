// Front-end settings: the exact bytes of every request and command against the instrument's log,
// the lookup tables behind them, refusals and failed transfers.
#include "FrontEnd.h"
#include "SimFixture.h"

using kv::sim::Fault;
using kv::sim::FaultKind;
using FrontEnd = SimFixture;

namespace {

// Capture settings block: source, channels, time base, position, memory code, selector, alternate.
struct Settings {
    std::uint16_t w[7] = {0, 2, 12, 50, 1, 10, 0};
};

Settings Make(std::uint16_t source, std::uint16_t channels, std::uint16_t timeBase, std::uint16_t position,
              std::uint16_t memoryCode, std::uint16_t selector, std::uint16_t alternate) {
    Settings s;
    const std::uint16_t v[7] = {source, channels, timeBase, position, memoryCode, selector, alternate};
    std::copy(v, v + 7, s.w);
    return s;
}

Bytes Request(std::initializer_list<int> head) {
    Bytes b(17, 0);
    int i = 0;
    for (int v : head)
        b[i++] = static_cast<std::uint8_t>(v);
    return b;
}

} // namespace

TEST_F(FrontEnd, OffsetDacsAreInterpolatedFromTheLevelTable) {
    std::uint16_t levels[42] = {};
    levels[2 * 3] = 1000; // CH1 range 3
    levels[2 * 3 + 1] = 3000;
    levels[20 + 2 * 5] = 100; // CH2 range 5
    levels[21 + 2 * 5] = 611;
    levels[40] = 0; // trigger
    levels[41] = 4095;
    const std::uint16_t top[5] = {511, 0, 511, 0, 255};
    ASSERT_EQ(dsoSetOffset(0, top, 3, 5, 1, levels), 1);
    const std::uint16_t bottom[5] = {0, 511, 0, 511, 0};
    ASSERT_EQ(dsoSetOffset(0, bottom, 3, 5, 0, levels), 1);
    const std::uint16_t mid[5] = {255, 255, 0, 0, 255};
    ASSERT_EQ(dsoSetOffset(0, mid, 3, 5, 4, levels), 1);
    const auto vr = VendorRequests();
    ASSERT_EQ(vr.size(), 3u);
    EXPECT_EQ(vr[0].setup, Bytes({0, 2, 0, 0, 0xB4, 0, 0, 0, 0, 0}));
    EXPECT_EQ(vr[0].length, 17u);
    // Position 511 gives lo, 0 gives hi; trigger source 1 uses positions[3].
    EXPECT_EQ(vr[0].data, Request({0x23, 0xE8, 0x32, 0x63, 0x0F, 0xFF}));
    EXPECT_EQ(vr[1].data, Request({0x2B, 0xB8, 0x30, 0x64, 0x0F, 0xFF}));
    // 255: 1000 + 2000 x 256 / 511 = 2001 (0x7D1); 100 + 511 x 256 / 511 = 356; source 4 uses [4]:
    // 4095 x 256 / 511 = 2051 (0x803).
    EXPECT_EQ(vr[2].data, Request({0x27, 0xD1, 0x31, 0x64, 0x08, 0x03}));
    EXPECT_EQ(inst().Words().dacs[0], 2001);
}

TEST_F(FrontEnd, OffsetPositionsAndDacsAreClampedBeforePacking) {
    std::uint16_t levels[42] = {};
    levels[0] = 1000;
    levels[1] = 3000;
    levels[20] = 5000; // beyond the 12-bit DAC
    levels[21] = 5000;
    levels[40] = 0;
    levels[41] = 100;
    // Position 5000 would drive CH1 below lo; 12 bits of 5000 would reach the CH2 select bits.
    const std::uint16_t positions[5] = {5000, 0, 600, 0, 0};
    ASSERT_EQ(dsoSetOffset(0, positions, 0, 0, 0, levels), 1);
    const auto vr = VendorRequests();
    ASSERT_EQ(vr.size(), 1u);
    EXPECT_EQ(vr[0].data, Request({0x23, 0xE8, 0x3F, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(kv::sdk::InterpolateDac(3000, 1000, 0), 1000) << "a falling pair interpolates too";
}

TEST_F(FrontEnd, RelayMasksFollowRangeCouplingAndTriggerSource) {
    ASSERT_EQ(dsoSetVoltageAndCouplingSecond(0, 9, 0, 1, 0, 3), 1);
    ASSERT_EQ(dsoSetVoltageAndCouplingSecond(0, 5, 8, 0, 1, 0), 1);
    ASSERT_EQ(dsoSetVoltageAndCouplingSecond(0, 2, 4, 2, 2, 4), 1);
    const auto vr = VendorRequests();
    ASSERT_EQ(vr.size(), 3u);
    EXPECT_EQ(vr[0].setup, Bytes({0, 2, 0, 0, 0xB5, 0, 0, 0, 0, 0}));
    EXPECT_EQ(vr[0].data, Request({0, 0x04, 0x08, 0x02, 0xDF, 0xBF, 0xEF, 0xFE}));
    EXPECT_EQ(vr[1].data, Request({0, 0xFB, 0x08, 0xFD, 0x20, 0x40, 0x10, 0x01}));
    EXPECT_EQ(vr[2].data, Request({0, 0xFB, 0xF7, 0xFD, 0xDF, 0x40, 0xEF, 0x01}));
    EXPECT_EQ(inst().Coupling(1), 0);
}

TEST_F(FrontEnd, GainBitsFollowTheSampledChannel) {
    // One channel at a fast time base: both converters take CH1's gain bit.
    Settings s = Make(0, 0, 5, 50, 1, 10, 0);
    ASSERT_EQ(dsoSetVoltageAndCoupling(0, 0, 2, 1, 0, s.w), 1);
    s.w[2] = 12;
    ASSERT_EQ(dsoSetVoltageAndCoupling(0, 0, 2, 1, 0, s.w), 1);
    s = Make(0, 1, 10, 50, 1, 10, 0); // CH2 alone: CH2's bit for both
    ASSERT_EQ(dsoSetVoltageAndCouplingFirst(0, 2, 7, 0, 0, s.w), 1);
    s = Make(0, 2, 8, 50, 1, 10, 1); // alternate trigger
    ASSERT_EQ(dsoSetVoltageAndCouplingFirst(0, 1, 3, 0, 0, s.w), 1);
    const auto w = BulkWrites();
    ASSERT_EQ(w.size(), 4u);
    EXPECT_EQ(w[0].data, Bytes({0x07, 0x0F, 0x35, 0, 0, 0, 0, 0}));
    EXPECT_EQ(w[1].data, Bytes({0x07, 0x0F, 0x31, 0, 0, 0, 0, 0}));
    EXPECT_EQ(w[2].data, Bytes({0x07, 0x0F, 0x35, 0, 0, 0, 0, 0}));
    EXPECT_EQ(w[3].data, Bytes({0x07, 0x0F, 0x30, 0, 0, 0, 0, 0}));
    // The combined call sends the relays after the gain command.
    const auto vr = VendorRequests();
    int relayRequests = 0;
    for (const auto& r : vr)
        relayRequests += r.setup[4] == 0xB5 ? 1 : 0;
    EXPECT_EQ(relayRequests, 2);
}

TEST_F(FrontEnd, UndefinedIndexesAreRefusedWithoutTraffic) {
    std::uint16_t levels[42] = {};
    const std::uint16_t positions[5] = {};
    Settings s;
    EXPECT_EQ(dsoSetOffset(0, positions, 10, 0, 0, levels), 0);
    EXPECT_EQ(dsoSetOffset(0, positions, 0, 0, 5, levels), 0);
    EXPECT_EQ(dsoSetVoltageAndCouplingSecond(0, 0, 12, 0, 0, 0), 0);
    EXPECT_EQ(dsoSetVoltageAndCouplingSecond(0, 0, 0, 0, 0, 5), 0);
    EXPECT_EQ(dsoSetVoltageAndCouplingFirst(0, 10, 0, 0, 0, s.w), 0);
    s.w[0] = 7; // the relay half refuses, so the gain half is not sent either
    EXPECT_EQ(dsoSetVoltageAndCoupling(0, 0, 0, 0, 0, s.w), 0);
    s = Settings();
    s.w[2] = 39;
    EXPECT_EQ(dsoSetVoltageAndCoupling(0, 0, 0, 0, 0, s.w), 0);
    EXPECT_EQ(dsoSetTriggerAndSampleRate(0, 0, 1, s.w, 0, 0, 0, 0), 0);
    EXPECT_EQ(dsoSetTriggerAndSampleRate2(0, 0, 0, s.w), 0);
    s = Settings();
    s.w[0] = 5;
    EXPECT_EQ(dsoSetTriggerAndSampleRate(0, 0, 1, s.w, 0, 0, 0, 0), 0);
    s = Settings();
    for (std::uint16_t m : {4, 9}) {
        s.w[4] = m;
        EXPECT_EQ(dsoSetTriggerAndSampleRate3(0, 0, 0, s.w), 0) << m;
    }
    // The deep record does not fit the buffers of selectors 10 and 512, which the read refuses too.
    for (std::uint16_t selector : {10, 512}) {
        s = Make(0, 2, 12, 50, 2, selector, 0);
        EXPECT_EQ(dsoSetTriggerAndSampleRate3(0, 0, 0, s.w), 0) << selector;
    }
    s = Settings();
    EXPECT_EQ(dsoSetOffset(0, nullptr, 0, 0, 0, levels), 0);
    EXPECT_EQ(dsoSetOffset(0, positions, 0, 0, 0, nullptr), 0);
    EXPECT_EQ(dsoSetTriggerAndSampleRate2(0, 0, 0, nullptr), 0);
    std::uint32_t count = 5;
    EXPECT_EQ(dsoGetTDCData(0, nullptr), 0);
    // Device index 4 names no device.
    EXPECT_EQ(dsoSetFilt(4, 1, 1, 1), 0);
    EXPECT_EQ(dsoSetTDCCal(4, 1), 0);
    EXPECT_EQ(dsoSetTDCSel(4, 1), 0);
    EXPECT_EQ(dsoGetTDCData(4, &count), 0);
    EXPECT_EQ(count, 5u);
    EXPECT_TRUE(dev->Log().empty());
}

TEST_F(FrontEnd, FilterSwitchesAndTdcPackets) {
    ASSERT_EQ(dsoSetFilt(0, 1, 0, 1), 1);
    ASSERT_EQ(dsoSetFilt(0, 0, 1, 0), 1);
    ASSERT_EQ(dsoSetFilt(0, 2, 3, 4), 1); // only bit 0 of each counts
    ASSERT_EQ(dsoSetTDCSel(0, 0x1A5), 1);
    ASSERT_EQ(dsoSetTDCCal(0, 0x1234), 1);
    const auto w = BulkWrites();
    ASSERT_EQ(w.size(), 4u);
    EXPECT_EQ(w[0].data, Bytes({0x00, 0x0F, 0x06, 0, 0, 0, 0, 0}));
    EXPECT_EQ(w[1].data, Bytes({0x00, 0x0F, 0x01, 0, 0, 0, 0, 0}));
    EXPECT_EQ(w[2].data, Bytes({0x00, 0x0F, 0x01, 0, 0, 0, 0, 0}));
    EXPECT_EQ(w[3].data, Bytes({0x0B, 0x00, 0xA5, 0xA5}));
    const auto vr = VendorRequests();
    EXPECT_EQ(vr.back().setup, Bytes({0, 2, 0, 0, 0xBC, 0, 0, 0, 0, 0}));
    EXPECT_EQ(vr.back().data, Request({0, 0, 0, 0, 0, 0, 0x12, 0x34}));
    EXPECT_EQ(inst().TdcCalibration(), 0x1234);
    EXPECT_EQ(inst().TdcSelect(), 0xA5);
}

TEST_F(FrontEnd, TdcCountDropsTheTopBitsAndFollowsTheLink) {
    inst().SetTdcCount(0xFFFFFFFF);
    std::uint32_t count = 0;
    ASSERT_EQ(dsoGetTDCData(0, &count), 1);
    EXPECT_EQ(count, 0x1FFFFFFFu);
    dev->SetHighSpeed(false);
    inst().SetTdcCount(0x00123456);
    ASSERT_EQ(dsoGetTDCData(0, &count), 1);
    EXPECT_EQ(count, 0x00123456u);
    const auto w = BulkWrites();
    EXPECT_EQ(w.back().data, Bytes({0x0A, 0x00}));
    const auto reads = BulkReads();
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0].length, 512u);
    EXPECT_EQ(reads[1].length, 64u);
}

TEST_F(FrontEnd, LostTransfersReportFailure) {
    // A lost TDC reply must not read as a count of 0.
    std::uint32_t count = 77;
    dev->InjectFault(Fault{FaultKind::Fail, kv::usb::kIoctlBulkRead, 0, 1, 0});
    EXPECT_EQ(dsoGetTDCData(0, &count), 0);
    EXPECT_EQ(count, 77u);
    // Failed writes are reported, not passed off as sent.
    Settings s;
    const auto failWrite = [&] {
        dev->InjectFault(Fault{FaultKind::Fail, kv::usb::kIoctlBulkWrite, 0, 1, 0});
    };
    failWrite();
    EXPECT_EQ(dsoSetFilt(0, 1, 1, 1), 0);
    failWrite();
    EXPECT_EQ(dsoSetTDCSel(0, 3), 0);
    failWrite();
    EXPECT_EQ(dsoSetTriggerAndSampleRate2(0, 0, 0, s.w), 0);
    failWrite();
    EXPECT_EQ(dsoSetTriggerAndSampleRate3(0, 0, 0, s.w), 0);
    failWrite();
    EXPECT_EQ(dsoSetTriggerAndSampleRate(0, 0, 3, s.w, 0, 0, 0, 0), 0);
    failWrite();
    EXPECT_EQ(dsoSetVoltageAndCouplingFirst(0, 0, 0, 0, 0, s.w), 0);
    dev->InjectFault(Fault{FaultKind::Fail, kv::usb::kIoctlVendorRequest, 0, 1, 0});
    EXPECT_EQ(dsoSetTDCCal(0, 1), 0);
    dev->SetPresent(false);
    const std::uint16_t positions[5] = {};
    const std::uint16_t levels[42] = {};
    EXPECT_EQ(dsoSetOffset(0, positions, 0, 0, 0, levels), 0);
    EXPECT_EQ(dsoSetVoltageAndCouplingSecond(0, 0, 0, 0, 0, 0), 0);
}

TEST_F(FrontEnd, TriggerCommandPacksFlagsSourceAndValue) {
    Settings s = Make(0, 2, 12, 50, 1, 10, 0);
    // Flag B with two-bit value 3: the trigger value becomes 1 and the value 3 + 1 wraps to 0.
    ASSERT_EQ(dsoSetTriggerAndSampleRate(0, 0, 0, s.w, 0, 1, 3, 0x12345678), 0);
    // The override flag comes back as given and forces channel bits 2.
    s = Make(2, 0, 25, 50, 1, 10, 0);
    EXPECT_EQ(dsoSetTriggerAndSampleRate(0, 1, 7, s.w, 1, 1, 1, 0), 7);
    s = Make(1, 1, 3, 50, 1, 10, 0);
    EXPECT_EQ(dsoSetTriggerAndSampleRate(0, 1, 0, s.w, 0, 0, 6, 0xFF), 0);
    // The external sources, 3 and 4 (EXT/10), are both taken and share code 2.
    s = Make(3, 1, 20, 50, 1, 10, 0);
    EXPECT_EQ(dsoSetTriggerAndSampleRate(0, 0, 0, s.w, 0, 0, 1, 0), 0);
    s = Make(4, 1, 20, 50, 1, 10, 0);
    EXPECT_EQ(dsoSetTriggerAndSampleRate(0, 0, 0, s.w, 0, 0, 1, 0), 0);
    // A source past EXT/10 sends nothing.
    s = Make(5, 1, 20, 50, 1, 10, 0);
    EXPECT_EQ(dsoSetTriggerAndSampleRate(0, 0, 0, s.w, 0, 0, 1, 0), 0);
    const auto w = BulkWrites();
    ASSERT_EQ(w.size(), 5u);
    // 0x80 flag B | 0x20 trigger | source 0 -> code 1 (0x08) | channels 2 (0x04) | T 12 flag 1.
    EXPECT_EQ(w[0].data, Bytes({0x0E, 0x00, 0xAD, 0x00, 0x78, 0x56, 0x34, 0x12}));
    // 0x80 | 0x40 flag A | trigger cleared | source 2 -> code 3 (0x18) | 0x04 | T 25 flag 0.
    EXPECT_EQ(w[1].data, Bytes({0x0E, 0x00, 0xDC, 0x01, 0, 0, 0, 0}));
    // trigger 1 (0x20) | source 1 -> code 0 | channels 1 (0x02) | T 3 one channel: flag 0.
    EXPECT_EQ(w[2].data, Bytes({0x0E, 0x00, 0x22, 0x02, 0xFF, 0, 0, 0}));
    // Code 2 (0x10) | channels 1 (0x02) | T 20 flag 1.
    EXPECT_EQ(w[3].data, Bytes({0x0E, 0x00, 0x13, 0x01, 0, 0, 0, 0}));
    EXPECT_EQ(w[4].data, w[3].data);
}

TEST_F(FrontEnd, TimeBaseFlagAndSourceCodeTables) {
    using kv::sdk::TimeBaseFlag;
    for (int t = 0; t <= 38; ++t) {
        SCOPED_TRACE(t);
        const bool fast = t <= 10;
        const int expectDual = 1; // both channels, source 0
        int screen, deep;
        if (fast)
            screen = deep = expectDual;
        else if (t == 15)
            screen = 1, deep = 0;
        else if (t == 16)
            screen = 1, deep = expectDual;
        else if (t == 25)
            screen = deep = 0;
        else
            screen = deep = 1;
        EXPECT_EQ(TimeBaseFlag(t, 10, 2, 0), screen);
        EXPECT_EQ(TimeBaseFlag(t, 0, 2, 0), deep);
        if (fast) {
            EXPECT_EQ(TimeBaseFlag(t, 10, 2, 2), 0) << "trigger source 2";
            EXPECT_EQ(TimeBaseFlag(t, 10, 1, 0), 0) << "one channel";
        }
    }
    EXPECT_EQ(TimeBaseFlag(16, 512, 2, 2), 0);
    const int codes[5] = {1, 0, 3, 2, 2};
    for (int s = 0; s < 5; ++s)
        EXPECT_EQ(kv::sdk::TriggerSourceCode(s), codes[s]);
}

TEST_F(FrontEnd, SampleClockCounterAtEveryTimeBase) {
    // {counter, r s} for selector 10 and for the deep record, time-base indexes 13..25.
    const int screen[13][2] = {{65535, 2}, {65532, 2}, {65527, 2}, {65517, 2}, {65487, 2},
                               {65437, 2}, {65337, 2}, {65037, 2}, {64539, 2}, {63037, 2},
                               {60537, 2}, {55537, 2}, {41889, 2}};
    const int deep[13][2] = {{65535, 2}, {0, 0},     {0, 3},     {0, 3},     {0, 0},
                             {65535, 2}, {65532, 2}, {65527, 2}, {65517, 2}, {65487, 2},
                             {65437, 2}, {65337, 2}, {65037, 2}};
    for (int t = 0; t <= 38; ++t) {
        for (std::uint16_t sel : {10, 0, 512}) {
            SCOPED_TRACE(testing::Message() << "T " << t << " selector " << sel);
            int counter = 0, flags;
            if (t <= 6)
                flags = 3;
            else if (t <= 10)
                flags = 3;
            else if (t == 11)
                flags = 1;
            else if (t == 12)
                flags = 0;
            else if (t <= 25) {
                const auto& row = sel == 10 ? screen[t - 13] : deep[t - 13];
                counter = row[0];
                flags = row[1];
            } else {
                counter = 65517;
                flags = 2;
            }
            const auto c = kv::sdk::SampleClockFor(t, sel, 0);
            EXPECT_EQ(c.counter, counter);
            EXPECT_EQ(c.flags, flags);
        }
    }
    EXPECT_EQ(kv::sdk::SampleClockFor(4, 10, 1).flags, 0) << "override clears r and s at 0..6";
    EXPECT_EQ(kv::sdk::SampleClockFor(8, 10, 1).flags, 3);
}

TEST_F(FrontEnd, SampleClockPacketAndRollTransferMode) {
    Settings s = Make(0, 2, 21, 50, 1, 10, 0);
    ASSERT_EQ(dsoSetTriggerAndSampleRate2(0, 99, 0, s.w), 1);
    EXPECT_EQ(BulkWrites().back().data, Bytes({0x0C, 0x00, 0x1B, 0xFC, 0x02, 0x00}));
    // Above index 25 each rate command is followed by transfer mode 4.
    dev->ClearLog();
    s.w[2] = 30;
    ASSERT_EQ(dsoSetTriggerAndSampleRate2(0, 0, 0, s.w), 1);
    ASSERT_EQ(dsoSetTriggerAndSampleRate3(0, 0, 0, s.w), 1);
    ASSERT_EQ(dsoSetTriggerAndSampleRate(0, 0, 0, s.w, 0, 0, 0, 0), 0);
    const auto log = dev->Log();
    int modeFour = 0;
    for (std::size_t i = 1; i < log.size(); ++i) {
        const auto& r = log[i];
        if (r.code == kv::usb::kIoctlVendorRequest && r.setup[4] == 0xB3 && r.data[1] == 1) {
            ++modeFour;
            EXPECT_EQ(log[i - 1].code, kv::usb::kIoctlBulkWrite) << "mode 4 follows the command";
            EXPECT_EQ(r.data, Bytes({0x0F, 1, 1, 1, 0, 0, 0, 0, 0, 0}));
        }
    }
    EXPECT_EQ(modeFour, 3);
    EXPECT_EQ(BulkWrites()[0].data, Bytes({0x0C, 0x00, 0xED, 0xFF, 0x02, 0x00}));
    EXPECT_TRUE(inst().RollMode());
    // At 25 and below no mode 4.
    dev->ClearLog();
    s.w[2] = 25;
    ASSERT_EQ(dsoSetTriggerAndSampleRate2(0, 0, 0, s.w), 1);
    for (const auto& r : VendorRequests()) {
        if (r.setup[4] == 0xB3) {
            EXPECT_NE(r.data[1], 1);
        }
    }
}

TEST_F(FrontEnd, RecordPositionsCommand) {
    Settings s = Make(0, 2, 12, 50, 1, 10, 0);
    ASSERT_EQ(dsoSetTriggerAndSampleRate3(0, 0, 0, s.w), 1);
    s.w[3] = 100;
    ASSERT_EQ(dsoSetTriggerAndSampleRate3(0, 0, 0, s.w), 1);
    s.w[3] = 250; // past 100 % counts as 100 %: A stays inside its 19 bits
    ASSERT_EQ(dsoSetTriggerAndSampleRate3(0, 0, 0, s.w), 1);
    s = Make(0, 2, 12, 0, 2, 0, 0);
    ASSERT_EQ(dsoSetTriggerAndSampleRate3(0, 0, 0, s.w), 1);
    s = Make(0, 2, 12, 100, 3, 512, 0);
    ASSERT_EQ(dsoSetTriggerAndSampleRate3(0, 0, 0, s.w), 1);
    // Memory code 0, the read's name for the 512-point record, goes out as the instrument's 3.
    s = Make(0, 2, 12, 100, 0, 512, 0);
    ASSERT_EQ(dsoSetTriggerAndSampleRate3(0, 0, 0, s.w), 1);
    const auto w = BulkWrites();
    ASSERT_EQ(w.size(), 6u);
    // m 1, p 50: A = B = 519167 (0x7EBFF).
    EXPECT_EQ(w[0].data, Bytes({0x0D, 0x00, 0xFF, 0xEB, 0x07, 0xFF, 0xFF, 0xEB, 0x0F, 0xFF}));
    // p 100: A = 524286 (0x7FFFE), B = 514047 (0x7D7FF).
    EXPECT_EQ(w[1].data, Bytes({0x0D, 0x00, 0xFE, 0xFF, 0x07, 0xFF, 0xFF, 0xD7, 0x0F, 0xFF}));
    EXPECT_EQ(w[2].data, w[1].data);
    // m 2, p 0: A = -1 -> 0; B = 524287 -> 524286.
    EXPECT_EQ(w[3].data, Bytes({0x0D, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFE, 0xFF, 0x17, 0xFF}));
    // m 3, p 100: A = 524286, B = trunc(524287 - 512) = 523775 (0x7FDFF).
    EXPECT_EQ(w[4].data, Bytes({0x0D, 0x00, 0xFE, 0xFF, 0x07, 0xFF, 0xFF, 0xFD, 0x1F, 0xFF}));
    EXPECT_EQ(w[5].data, w[4].data);
    EXPECT_EQ(inst().MemoryCode(), 3);
}
