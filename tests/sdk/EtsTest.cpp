// Equivalent-time sampling: frame assembly and ageing, the ETS capture against the simulated
// instrument, and the software trigger on 40000-point stretched records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "SimFixture.h"
#include "Tessel.h"

namespace {

constexpr std::size_t kFrame = 1600;

// A frame whose CH1 code r is r and CH2 code r is 1000 - r.
void FillFrame(uint16_t* frame, uint16_t triggerPoint, uint32_t tdc) {
    for (int r = 0; r < 512; ++r) {
        frame[r] = static_cast<uint16_t>(r);
        frame[512 + r] = static_cast<uint16_t>(1000 - r);
    }
    frame[1536] = triggerPoint & 0xFF;
    frame[1537] = triggerPoint >> 8;
    for (int i = 0; i < 4; ++i)
        frame[1546 + i] = (tdc >> (8 * i)) & 0xFF;
}

struct EtsCase {
    std::vector<uint16_t> frames = std::vector<uint16_t>(15 * kFrame, 0);
    std::vector<uint16_t> ch1 = std::vector<uint16_t>(500, 7);
    std::vector<uint16_t> ch2 = std::vector<uint16_t>(500, 7);
    std::vector<uint16_t> ages = std::vector<uint16_t>(502, 100);
    uint16_t cal[2] = {0, 0};
    uint16_t range[2] = {1000, 0}; // max, min: span 1000
    int Run(uint16_t timeBase, uint16_t mode = 0) {
        const uint16_t settings[7] = {0, 2, timeBase, 50, 1, 10, 0};
        return dsoETS(0, settings, ch1.data(), ch2.data(), frames.data(), ages.data(), cal, range, mode);
    }
};

TEST(SdkEts, PlacesAFrameBySlotWalkingTheRingBackwards) {
    EtsCase c;
    for (int f = 0; f < 10; ++f)
        FillFrame(c.frames.data() + f * kFrame, 511, 450); // slot trunc(450 / (1000 / 5)) = 2
    ASSERT_EQ(c.Run(6), 1);
    // First point written 101: sample 511 at index 507 and 510 at 502 fall outside; sample 509
    // lands at 99 x 5 + 2.
    for (int i = 0; i <= 99; ++i) {
        ASSERT_EQ(c.ch1[i * 5 + 2], 410 + i) << i;
        ASSERT_EQ(c.ch2[i * 5 + 2], 1000 - (410 + i)) << i;
    }
    EXPECT_EQ(c.ch1[3], 7);
    EXPECT_EQ(c.ages[2], 49); // set to 50 by each frame, then aged once
    EXPECT_EQ(c.ages[0], 90); // aged by ten frames
}

TEST(SdkEts, WrapsToSample511AfterSampleZero) {
    EtsCase c;
    for (int f = 0; f < 10; ++f)
        FillFrame(c.frames.data() + f * kFrame, 3, 450);
    ASSERT_EQ(c.Run(6, 1), 1);
    // Trigger point 3: samples 3 and 2 fall outside (i = 101, 100), 1 and 0 land at i = 99, 98,
    // then the ring goes on from sample 511.
    EXPECT_EQ(c.ch1[99 * 5 + 2], 1);
    EXPECT_EQ(c.ch1[98 * 5 + 2], 0);
    EXPECT_EQ(c.ch1[97 * 5 + 2], 511);
    EXPECT_EQ(c.ch1[96 * 5 + 2], 510);
    EXPECT_EQ(c.ages[2], 100); // mode 1 returns after the first placed frame, before any ageing
}

TEST(SdkEts, FirstFrameMarkerFillsEverySlotOnce) {
    EtsCase c;
    for (int f = 0; f < 10; ++f)
        FillFrame(c.frames.data() + f * kFrame, 511, 450);
    c.ages[501] = 234;
    ASSERT_EQ(c.Run(6), 1);
    EXPECT_EQ(c.ages[501], 0);
    for (int p = 0; p < 100; ++p)
        for (int s = 0; s < 5; ++s)
            ASSERT_EQ(c.ch1[p * 5 + s], c.ch1[p * 5 + 2]) << p << " " << s;
    EXPECT_EQ(c.ages[0], 41); // 50, then nine more frames
    EXPECT_EQ(c.ages[2], 49);
}

TEST(SdkEts, StaleSlotsTakeTheirNeighboursMean) {
    EtsCase c;
    FillFrame(c.frames.data(), 511, 450);
    for (int f = 1; f < 10; ++f)
        FillFrame(c.frames.data() + f * kFrame, 600, 450); // trigger point above 511: skipped
    for (int i = 0; i < 500; ++i)
        c.ch1[i] = (i % 2) ? 100 : 0;
    c.ages[0] = 3;
    ASSERT_EQ(c.Run(6), 1);
    EXPECT_EQ(c.ages[0], 50);
    EXPECT_EQ(c.ch1[0], 100);  // index 0 takes index 1
    EXPECT_EQ(c.ch1[10], 100); // (100 + 100) / 2
    EXPECT_EQ(c.ch1[5], 0);    // (0 + 0) / 2
    EXPECT_EQ(c.ch1[1], 100);  // slot 1 is not stale
}

TEST(SdkEts, RefusalsAndSkips) {
    EtsCase c;
    for (int f = 0; f < 15; ++f)
        FillFrame(c.frames.data() + f * kFrame, 600, 450);
    EXPECT_EQ(c.Run(6), 1); // every trigger point above 511: nothing placed
    EXPECT_EQ(c.ch1, std::vector<uint16_t>(500, 7));
    EXPECT_EQ(c.ages[0], 100);
    for (int f = 0; f < 15; ++f)
        FillFrame(c.frames.data() + f * kFrame, 511, 450);
    EXPECT_EQ(c.Run(7), 0); // no interleave at index 7
    EXPECT_EQ(c.ch1, std::vector<uint16_t>(500, 7));
    c.range[0] = 10;
    c.range[1] = 20;
    EXPECT_EQ(c.Run(6), 0); // negative span
    // A span of 0 is refused except at index 4, where it yields no slot and ends with 1.
    c.range[0] = 20;
    EXPECT_EQ(c.Run(6), 0);
    EXPECT_EQ(c.Run(4), 1);
    EXPECT_EQ(c.ch1, std::vector<uint16_t>(500, 7));
}

TEST(SdkEts, SlotOutOfRangeEndsTheCall) {
    EtsCase c;
    for (int f = 0; f < 15; ++f)
        FillFrame(c.frames.data() + f * kFrame, 511, 900);
    c.range[0] = 1000;
    c.range[1] = 0;
    c.cal[1] = 500; // indexes 0..3 use c1: span 500, Q = 900 - 0 - 0 = 900 -> slot past the last
    EXPECT_EQ(c.Run(3), 1);
    EXPECT_EQ(c.ch1, std::vector<uint16_t>(500, 7));
}

class SdkEtsCapture : public SimFixture {};

TEST_F(SdkEtsCapture, ReadsTenFramesWithOneCaptureStart) {
    // The TDC set to measure the trigger phase puts the instrument into equivalent-time sampling.
    ASSERT_EQ(dsoSetTDCSel(0, 3), 1);
    const auto raw = [](int channel, std::uint32_t k) {
        return static_cast<std::uint16_t>(channel == 0 ? (k * 7) & 0x3FF : (k * 3 + 100) & 0x3FF);
    };
    inst().SetSampleFunction(
        [raw](int channel, std::uint32_t k, std::uint32_t, std::uint32_t) { return raw(channel, k); });
    uint16_t tdcRange[2] = {0, 0};
    ASSERT_EQ(dsoGetTDC(0, tdcRange), 1);
    std::vector<uint16_t> frames(10 * kFrame, 0xAAAA);
    const uint16_t settings[7] = {0, 2, 5, 50, 1, 10, 0};
    dev->ClearLog();
    ASSERT_EQ(dsoETSGetData(0, 3, 0, 0, frames.data(), 0, settings, 0, 0x0123, 0), 1);
    EXPECT_EQ(inst().CaptureStarts(), 1);
    int dataCommands = 0;
    for (const auto& w : BulkWrites())
        dataCommands += (!w.data.empty() && w.data[0] == 0x05) ? 1 : 0;
    EXPECT_EQ(dataCommands, 10);
    std::vector<std::uint32_t> readings;
    for (int f = 0; f < 10; ++f) {
        const uint16_t* frame = frames.data() + f * kFrame;
        for (std::uint32_t k = 0; k < 512; ++k) {
            ASSERT_EQ(frame[k], static_cast<uint16_t>(raw(0, k) * 0.56)) << k;
            ASSERT_EQ(frame[512 + k], static_cast<uint16_t>(raw(1, k) * 2.8)) << k;
            ASSERT_EQ(frame[1024 + k], 0) << "unset words are zero, not what the buffer held";
        }
        EXPECT_EQ(frame[1536], 0x23);
        EXPECT_EQ(frame[1537], 0x01);
        EXPECT_EQ(frame[1538], 0);
        for (int i = 0; i < 4; ++i)
            ASSERT_LE(frame[1546 + i], 0xFF) << "one trailer byte per word";
        const std::uint32_t tdc = frame[1546] | frame[1547] << 8 | frame[1548] << 16 | frame[1549] << 24;
        EXPECT_GT(tdc, tdcRange[1]) << "a phase reading lies above the counter's minimum";
        readings.push_back(tdc);
    }
    std::sort(readings.begin(), readings.end());
    EXPECT_GT(std::unique(readings.begin(), readings.end()) - readings.begin(), 5)
        << "each frame's trigger falls at its own phase";
}

TEST_F(SdkEtsCapture, SweepModesWhenNoTriggerComes) {
    ASSERT_EQ(dsoSetTDCSel(0, 3), 1);
    inst().SetPollsToTrigger(0); // the signal never triggers by itself
    std::vector<uint16_t> frames(10 * kFrame, 0xAAAA);
    const uint16_t settings[7] = {0, 2, 5, 50, 1, 10, 0};
    EXPECT_EQ(dsoETSGetData(0, 3, 3, 0, frames.data(), 0, settings, 0, 0, 1), 2); // normal: gives up
    EXPECT_EQ(frames[0], 0xAAAA);
    EXPECT_EQ(dsoETSGetData(0, 3, 3, 0, frames.data(), 0, settings, 0, 0, 0), 1); // auto: forced
    EXPECT_NE(frames[1024], 0xAAAA);
}

TEST_F(SdkEtsCapture, FailuresLeaveTheFramesAlone) {
    std::vector<uint16_t> frames(15 * kFrame, 0xAAAA);
    const uint16_t settings[7] = {0, 2, 1, 50, 1, 10, 0};
    // Without ETS mode the capture never arms: no capture completes within 350 polls.
    EXPECT_EQ(dsoETSGetData(0, 3, 3, 0, frames.data(), 0, settings, 0, 0, 2), 0);
    ASSERT_EQ(dsoSetTDCSel(0, 3), 1);
    kv::sim::Fault fault;
    fault.kind = kv::sim::FaultKind::Short;
    fault.code = kv::usb::kIoctlBulkRead;
    fault.skip = 40; // the state polls pass, a frame packet comes back short
    dev->InjectFault(fault);
    EXPECT_EQ(dsoETSGetData(0, 3, 3, 0, frames.data(), 0, settings, 0, 0, 0), 0);
    dev->ClearFault();
    EXPECT_EQ(dsoETSGetData(1, 3, 3, 0, frames.data(), 0, settings, 0, 0, 0), 0); // no device 1
    EXPECT_EQ(frames[0], 0xAAAA);
    EXPECT_EQ(frames[1024], 0xAAAA);
}

// A 40000-point record: 100 up to 15000, a rising ramp of one code per point, then 499.
std::vector<uint16_t> RampSource() {
    std::vector<uint16_t> s(40000);
    for (int i = 0; i < 40000; ++i)
        s[i] = static_cast<uint16_t>(i < 15000 ? 100 : std::min(499, 100 + (i - 15000)));
    return s;
}

TEST(SdkSoftTrigger, FindsTheRisingEdgeOnlyWithItsSlope) {
    const auto source = RampSource();
    std::vector<uint16_t> screen(10240 + 4, 1);
    std::vector<int16_t> pairs(500);
    dsoSoftFindTrigger(50, 0, 255, pairs.data(), source.data(), screen.data(), 0); // L = 256
    EXPECT_EQ(screen[5120], 247); // first point within 9 of 256 with the edge 40 points around it
    EXPECT_EQ(screen[5119], 246);
    EXPECT_EQ(screen[0], source[15147 - 5120]);
    EXPECT_EQ(screen[10239], source[15147 + 5119]);
    EXPECT_EQ(pairs[0], 100); // the reduction of the new screen record
    // The falling slope is not this edge: the default trigger D = 20000 is taken.
    dsoSoftFindTrigger(50, 1, 255, pairs.data(), source.data(), screen.data(), 0);
    EXPECT_EQ(screen[5120], 499);
}

TEST(SdkSoftTrigger, PositionsPastTheRecordStayInside) {
    const auto source = RampSource();
    std::vector<uint16_t> screen(10240 + 4, 1);
    std::vector<int16_t> pairs(500);
    dsoSoftFindTrigger(200, 0, 255, pairs.data(), source.data(), screen.data(), 0); // as 100
    dsoSoftFindTrigger(100, 0, 255, pairs.data(), source.data(), screen.data(), 0);
    for (int i = 10240; i < 10244; ++i)
        EXPECT_EQ(screen[i], 1);
    dsoSoftFindTriggerCopy(150, 39999, pairs.data(), source.data(), screen.data(), 0);
    EXPECT_EQ(screen[10240], 1);
}

TEST(SdkSoftTrigger, CopyModes) {
    const auto source = RampSource();
    std::vector<uint16_t> screen(10240, 1);
    std::vector<int16_t> pairs(500);
    dsoSoftFindTriggerCopy(50, 20000, pairs.data(), source.data(), screen.data(), 5);
    EXPECT_EQ(screen[0], source[15000]);
    EXPECT_EQ(screen[9999], source[24999]);
    EXPECT_EQ(screen[10000], 1);
    // Trigger 0 at position 100 would read 15000 points before the record: they are skipped.
    std::fill(screen.begin(), screen.end(), 1);
    dsoSoftFindTriggerCopy(100, 0, pairs.data(), source.data(), screen.data(), 5);
    EXPECT_EQ(screen[0], 1);
    EXPECT_EQ(screen[10000], 1);
    // Other modes cut the window around the given index.
    dsoSoftFindTriggerCopy(50, 15147, pairs.data(), source.data(), screen.data(), 0);
    EXPECT_EQ(screen[5120], 247);
}

} // namespace
