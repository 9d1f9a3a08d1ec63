// Every entry and every edge of the SDK's lookup tables, walked from the first to the last legal
// value: relay and trigger words per range and source, the time-base flags per index, the trigger
// DAC pairs per range on both channels, the sampling figures of every time base, the scrolling
// display's channel substitutes and the edges of the spectrum's sample selection.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "Canvas.h"
#include "ChannelRead.h"
#include "FrontEnd.h"
#include "SimFixture.h"
#include "Tessel.h"

namespace {

using namespace kv::sdk;

// Relay bytes 1, 2 (CH1) and 4, 5 (CH2) of every volts index, with the other channel on a range
// whose bytes differ, so a swapped channel shows; byte 7 for every trigger source.
TEST(FrontEndSweep, RelayBytesOfEveryRangeOnBothChannelsAndEverySource) {
    for (std::uint16_t v = 0; v <= 9; ++v) {
        const std::uint8_t high1 = v <= 6 ? 0xFB : 0x04, low1 = v <= 3 ? 0xF7 : 0x08;
        const std::uint8_t high2 = v <= 6 ? 0xDF : 0x20, low2 = v <= 3 ? 0xBF : 0x40;
        const std::uint16_t other = v <= 4 ? 9 : 0;
        FrontEndRequest d{};
        ASSERT_TRUE(EncodeRelays(v, other, 0, 1, 0, d)) << v;
        EXPECT_EQ(d[1], high1) << "CH1 index " << v;
        EXPECT_EQ(d[2], low1) << "CH1 index " << v;
        EXPECT_EQ(d[3], 0xFD);
        EXPECT_EQ(d[6], 0x10);
        ASSERT_TRUE(EncodeRelays(other, v, 1, 0, 0, d)) << v;
        EXPECT_EQ(d[4], high2) << "CH2 index " << v;
        EXPECT_EQ(d[5], low2) << "CH2 index " << v;
        EXPECT_EQ(d[3], 0x02);
        EXPECT_EQ(d[6], 0xEF);
    }
    const std::uint8_t sourceByte[5] = {0x01, 0x01, 0x01, 0xFE, 0x01};
    for (std::uint16_t source = 0; source <= 4; ++source) {
        FrontEndRequest d{};
        ASSERT_TRUE(EncodeRelays(5, 5, 0, 0, source, d)) << source;
        EXPECT_EQ(d[7], sourceByte[source]) << "source " << source;
    }
    FrontEndRequest d{};
    EXPECT_FALSE(EncodeRelays(10, 0, 0, 0, 0, d));
    EXPECT_FALSE(EncodeRelays(0, 10, 0, 0, 0, d));
    EXPECT_FALSE(EncodeRelays(0, 0, 0, 0, 5, d));
}

// The trigger DAC takes positions [2], [3] and [4] for sources 0, 1 and 2..4; each source's own
// position is put at the bottom (the pair's high value) and the others at the top.
TEST(FrontEndSweep, TriggerDacFollowsThePositionOfEverySource) {
    std::vector<std::uint16_t> levels(66, 0);
    for (int i = 0; i < 40; i += 2) {
        levels[i] = 1000;
        levels[i + 1] = 3000;
    }
    levels[40] = 500;
    levels[41] = 2500;
    for (std::uint16_t source = 0; source <= 4; ++source) {
        std::uint16_t positions[5] = {100, 200, 511, 511, 511};
        positions[source <= 1 ? 2 + source : 4] = 0;
        FrontEndRequest d{};
        ASSERT_TRUE(EncodeOffsets(positions, 3, 7, source, levels.data(), d)) << source;
        EXPECT_EQ(d[4] << 8 | d[5], 2500) << "source " << source;
    }
}

// Time-base flag for every index, for both kinds of record-length selector and both kinds of
// channel/trigger pair; the r and s bits of the clock command for every index.
TEST(FrontEndSweep, TimeBaseFlagAndClockBitsOfEveryIndex) {
    for (std::uint16_t t = 0; t <= 38; ++t) {
        for (std::uint16_t sel : {10, 512}) {
            for (int dualCase = 0; dualCase < 2; ++dualCase) {
                const std::uint16_t channels = dualCase ? 2 : 0, source = dualCase ? 1 : 0;
                int expected;
                if (t <= 10)
                    expected = dualCase;
                else if (t == 15)
                    expected = sel == 10 ? 1 : 0;
                else if (t == 16)
                    expected = sel == 10 ? 1 : dualCase;
                else if (t == 25)
                    expected = 0;
                else
                    expected = 1;
                EXPECT_EQ(TimeBaseFlag(t, sel, channels, source), expected)
                    << "T " << t << " sel " << sel << " dual " << dualCase;
            }
            // Channel selector 2 with trigger source 2 is not the dual case.
            if (t <= 10) {
                EXPECT_EQ(TimeBaseFlag(t, sel, 2, 2), 0) << t;
            }
        }
        // r << 1 | s from the table: sel = 10 and sel = 512.
        int rs10, rsOther;
        if (t <= 10)
            rs10 = rsOther = 3;
        else if (t == 11)
            rs10 = rsOther = 1;
        else if (t == 12)
            rs10 = rsOther = 0;
        else {
            rs10 = 2;
            rsOther = (t == 14 || t == 17) ? 0 : (t == 15 || t == 16) ? 3 : 2;
        }
        EXPECT_EQ(SampleClockFor(t, 10, 0).flags, rs10) << "T " << t;
        EXPECT_EQ(SampleClockFor(t, 512, 0).flags, rsOther) << "T " << t;
        if (t <= 6)
            EXPECT_EQ(SampleClockFor(t, 10, 1).flags, 0) << "override at T " << t;
        else
            EXPECT_EQ(SampleClockFor(t, 10, 1).flags, rs10) << "override at T " << t;
    }
    const int codes[5] = {1, 0, 3, 2, 2};
    for (std::uint16_t source = 0; source <= 4; ++source)
        EXPECT_EQ(TriggerSourceCode(source), codes[source]) << source;
}

// The trigger DAC pair of every volts index on each channel, the fallback pair of an undefined
// index, the external pair of sources 3 and 4 and source 2 leaving the table alone.
TEST(SdSweep, TriggerLevelPairOfEveryRangeAndSource) {
    const std::uint16_t ch1[11][2] = {{1250, 1409}, {1237, 1681}, {635, 1686}, {710, 2902},
                                      {1252, 1648}, {631, 1652},  {712, 2805}, {1231, 1666},
                                      {651, 1649},  {685, 2733},  {712, 2805}};
    const std::uint16_t ch2[11][2] = {{1237, 1397}, {1234, 1672}, {607, 1693}, {731, 2824},
                                      {1219, 1655}, {634, 1620},  {626, 2868}, {1227, 1631},
                                      {584, 1642},  {628, 2765},  {626, 2868}};
    for (std::uint16_t v = 0; v <= 10; ++v) {
        // The other channel's index is a different range, so reading the wrong index shows.
        const std::uint16_t other = static_cast<std::uint16_t>((v + 3) % 10);
        std::vector<std::uint16_t> levels(66, 7);
        ASSERT_EQ(sdCurrentTriggerLevel(0, v, other, levels.data()), 1);
        EXPECT_EQ(levels[40], ch1[v][0]) << "CH1 index " << v;
        EXPECT_EQ(levels[41], ch1[v][1]) << "CH1 index " << v;
        ASSERT_EQ(sdCurrentTriggerLevel(1, other, v, levels.data()), 1);
        EXPECT_EQ(levels[40], ch2[v][0]) << "CH2 index " << v;
        EXPECT_EQ(levels[41], ch2[v][1]) << "CH2 index " << v;
        EXPECT_EQ(levels[39], 7);
        EXPECT_EQ(levels[42], 7);
    }
    for (std::uint16_t source : {3, 4}) {
        std::vector<std::uint16_t> levels(66, 7);
        ASSERT_EQ(sdCurrentTriggerLevel(source, 0, 0, levels.data()), 1);
        EXPECT_EQ(levels[40], 497) << "source " << source;
        EXPECT_EQ(levels[41], 3085) << "source " << source;
    }
    std::vector<std::uint16_t> levels(66, 7);
    ASSERT_EQ(sdCurrentTriggerLevel(2, 0, 0, levels.data()), 1);
    EXPECT_EQ(levels[40], 7);
    EXPECT_EQ(levels[41], 7);
}

// Each channel substitutes its own level only under its own flag; the record moves left by one.
TEST(SdSweep, ScrollSubstitutesEachChannelUnderItsOwnFlag) {
    const std::uint16_t levels[2] = {100, 300};
    struct Case {
        std::uint8_t flag1, flag2;
        std::uint16_t channel, last;
    };
    const Case cases[] = {
        {1, 0, 1, 411}, {0, 1, 1, 77}, {1, 1, 1, 411}, {0, 0, 1, 77},
        {0, 1, 2, 211}, {1, 0, 2, 77}, {1, 1, 2, 211}, {0, 0, 2, 77},
    };
    for (const Case& c : cases) {
        std::vector<std::uint16_t> display(500);
        for (int i = 0; i < 500; ++i)
            display[i] = static_cast<std::uint16_t>(256 + std::lround(120 * std::sin(i / 9.0)));
        const auto before = display;
        ASSERT_EQ(sdDisplayScrollData(display.data(), levels, c.flag1, c.flag2, 77, c.channel), 1);
        EXPECT_EQ(display[0], before[1]);
        EXPECT_EQ(display[498], before[499]);
        EXPECT_EQ(display[499], c.last)
            << "flags " << int(c.flag1) << int(c.flag2) << " channel " << c.channel;
    }
}

// The sampling figure and seconds per division of every time base and record-length selector.
TEST(SdSweep, SamplingFigureOfEveryTimeBase) {
    const double spd[39] = {2e-9, 4e-9, 1e-8, 2e-8, 4e-8, 1e-7, 2e-7, 4e-7, 1e-6, 2e-6, 4e-6, 1e-5, 2e-5,
                            4e-5, 1e-4, 2e-4, 4e-4, 1e-3, 2e-3, 4e-3, 0.01, 0.02, 0.04, 0.1,  0.2,  0.4,
                            1,    2,    4,    10,   20,   40,   60,   120,  240,  600,  1200, 2400, 3600};
    const double ets[7] = {5e4, 2.5e4, 1e4, 5e3, 2.5e3, 1e3, 500};
    const double mid[4] = {100, 50, 25, 10};
    const double slowScreen[11] = {5, 2.5, 1, 0.5, 0.25, 0.1, 0.05, 0.025, 0.01, 0.005, 0.0025};
    const double slowShort[11] = {250, 125, 50, 25, 12.5, 5, 2.5, 1.25, 0.5, 0.25, 0.125};
    const double slowDeep[11] = {500, 250, 100, 50, 25, 10, 5, 2.5, 1, 0.5, 0.25};
    const double roll[13] = {20, 10, 33.3, 16.67, 0.83, 0.83, 0.33, 0.33, 0.167, 0.056, 0.056, 0.028, 0.028};
    for (std::uint16_t t = 0; t <= 38; ++t) {
        for (std::uint16_t sel : {10, 512, 1024}) {
            for (std::uint16_t etsFlag : {0, 1}) {
                double figure;
                if (t <= 6 && etsFlag)
                    figure = ets[t];
                else if (t <= 10)
                    figure = 125; // both flags set, mode 0
                else if (t <= 14)
                    figure = mid[t - 11];
                else if (t <= 25)
                    figure = (sel == 10 ? slowScreen : sel == 512 ? slowShort : slowDeep)[t - 15];
                else
                    figure = roll[t - 26];
                double seconds = -1;
                EXPECT_DOUBLE_EQ(sdDisplaySampling(1, 1, etsFlag, 0, t, sel, &seconds), figure)
                    << "T " << t << " sel " << sel << " ETS " << etsFlag;
                EXPECT_DOUBLE_EQ(seconds, spd[t]) << "T " << t;
            }
        }
        if (t <= 10 && t >= 7) {
            double seconds;
            EXPECT_DOUBLE_EQ(sdDisplaySampling(1, 1, 0, 2, t, 10, &seconds), 250) << t;
            EXPECT_DOUBLE_EQ(sdDisplaySampling(0, 1, 0, 0, t, 10, &seconds), 250) << t;
            EXPECT_DOUBLE_EQ(sdDisplaySampling(1, 0, 0, 0, t, 10, &seconds), 250) << t;
        }
    }
}

// Which samples the spectrum reads at the edges: a spike on the last point read changes the
// spectrum, one on the first point past it does not.
class SdFftEdges : public ::testing::Test {
protected:
    std::vector<double> Run(std::uint16_t n, std::uint16_t t) {
        std::uint16_t settings[7] = {0, 2, t, 50, 1, 10, 0};
        // The four-term window covers 2048 points, so every point below that counts.
        SdSpectrumSettings s{0, static_cast<std::uint16_t>(n == 256 ? 0 : 3), n, 1000.0, 1.0, 1.0};
        std::vector<double> out(500, -1.0);
        EXPECT_EQ(sdFFT(0, settings, &s, a.data(), a2.data(), b.data(), b2.data(), out.data()), 1);
        return out;
    }
    void SetUp() override {
        for (std::size_t i = 0; i < a.size(); ++i)
            a[i] = static_cast<std::uint16_t>(256 + std::lround(60 * std::sin(i * 0.37)));
        for (std::size_t i = 0; i < b.size(); ++i)
            b[i] = static_cast<std::uint16_t>(256 + std::lround(60 * std::cos(i * 0.011)));
    }
    // True when replacing sample `at` of `record` changes the spectrum of (n, t).
    bool Reads(std::vector<std::uint16_t>& record, std::size_t at, std::uint16_t n, std::uint16_t t) {
        const auto before = Run(n, t);
        const std::uint16_t kept = record[at];
        record[at] = static_cast<std::uint16_t>(kept > 256 ? 20 : 500);
        const auto after = Run(n, t);
        record[at] = kept;
        return before != after;
    }
    std::vector<std::uint16_t> a = std::vector<std::uint16_t>(1024);
    std::vector<std::uint16_t> a2 = std::vector<std::uint16_t>(1024, 256);
    std::vector<std::uint16_t> b = std::vector<std::uint16_t>(10240);
    std::vector<std::uint16_t> b2 = std::vector<std::uint16_t>(10240, 256);
};

TEST_F(SdFftEdges, LastSampleReadForEveryPointCount) {
    // N = 256: x[i] = A[i + 10] for i = 0..254.
    EXPECT_FALSE(Reads(a, 9, 256, 5));
    EXPECT_TRUE(Reads(a, 10, 256, 5));
    EXPECT_TRUE(Reads(a, 264, 256, 5));
    EXPECT_FALSE(Reads(a, 265, 256, 5));
    // Fast time bases: A[i / d] for i = 0..N-2 with d = 10, 4, 8, 16.
    EXPECT_TRUE(Reads(a, 51, 512, 5));
    EXPECT_FALSE(Reads(a, 52, 512, 5));
    for (std::uint16_t n : {1024, 2048}) {
        EXPECT_TRUE(Reads(a, 255, n, 5)) << n;
        EXPECT_FALSE(Reads(a, 256, n, 5)) << n;
    }
    // N = 4096 with d = 16: the window's last points (i = 2046, 2047) read A[127].
    EXPECT_TRUE(Reads(a, 127, 4096, 5));
}

TEST_F(SdFftEdges, RecordBOnlyFromTimeBase13To24) {
    // N = 1024: B[trunc(5 i)] up to i = 1022, so B[5110] is read and B[5111] is not.
    for (std::uint16_t t : {13, 24}) {
        EXPECT_TRUE(Reads(b, 5110, 1024, t)) << t;
        EXPECT_FALSE(Reads(b, 5111, 1024, t)) << t;
        EXPECT_FALSE(Reads(a, 100, 1024, t)) << t;
    }
    for (std::uint16_t t : {12, 25}) {
        EXPECT_FALSE(Reads(b, 5110, 1024, t)) << t;
        EXPECT_TRUE(Reads(a, 100, 1024, t)) << t;
    }
    // The other step sizes: k = 10 and 2.5 give last reads B[5100] and B[5115]; k = 1.25 reads
    // B[2557] at i = 2046, inside the window.
    EXPECT_TRUE(Reads(b, 5100, 512, 20));
    EXPECT_FALSE(Reads(b, 5101, 512, 20));
    EXPECT_TRUE(Reads(b, 5115, 2048, 20));
    EXPECT_FALSE(Reads(b, 5116, 2048, 20));
    EXPECT_TRUE(Reads(b, 2557, 4096, 20));
}

// ETS: a frame whose CH1 sample r is r and CH2 sample r is 1000 - r, with its trigger point and
// TDC reading.
void FillEtsFrame(std::uint16_t* frame, std::uint16_t triggerPoint, std::uint32_t tdc) {
    for (int r = 0; r < 512; ++r) {
        frame[r] = static_cast<std::uint16_t>(r);
        frame[512 + r] = static_cast<std::uint16_t>(1000 - r);
    }
    frame[1536] = triggerPoint & 0xFF;
    frame[1537] = triggerPoint >> 8;
    for (int i = 0; i < 4; ++i)
        frame[1546 + i] = (tdc >> (8 * i)) & 0xFF;
}

struct EtsRun {
    std::vector<std::uint16_t> frames = std::vector<std::uint16_t>(15 * 1600, 0);
    std::vector<std::uint16_t> ch1 = std::vector<std::uint16_t>(500, 7);
    std::vector<std::uint16_t> ch2 = std::vector<std::uint16_t>(500, 7);
    std::vector<std::uint16_t> ages = std::vector<std::uint16_t>(502, 100);
    std::uint16_t cal[2] = {0, 0};
    std::uint16_t range[2] = {1000, 0}; // max, min
    EtsRun(std::uint16_t triggerPoint, std::uint32_t tdc) {
        for (int f = 0; f < 15; ++f)
            FillEtsFrame(frames.data() + f * 1600, triggerPoint, tdc);
    }
    int Run(std::uint16_t timeBase, std::uint16_t mode) {
        const std::uint16_t settings[7] = {0, 2, timeBase, 50, 1, 10, 0};
        return dsoETS(0, settings, ch1.data(), ch2.data(), frames.data(), ages.data(), cal, range, mode);
    }
};

// Slots, points per slot, first point written and age start of every interleaving time base; the
// frame count (15 below index 2, else 10) shows in how often the untouched slots age.
TEST(EtsSweep, InterleaveGeometryOfEveryTimeBase) {
    struct Row {
        std::uint16_t t;
        int slots, first, ageStart, frames;
    };
    const Row rows[] = {{0, 500, 1, 150, 15}, {1, 250, 2, 140, 15}, {2, 100, 6, 120, 10},
                        {3, 50, 11, 100, 10}, {4, 25, 20, 50, 10},  {5, 10, 51, 50, 10},
                        {6, 5, 101, 50, 10}};
    for (const Row& r : rows) {
        // TDC 450 of a span of 1000: slot trunc(450 / (1000 / S)).
        const int slot = 450 * r.slots / 1000;
        EtsRun placed(511, 450);
        ASSERT_EQ(placed.Run(r.t, 1), 1) << r.t;
        int written = 0;
        for (int k = 0; k <= r.first; ++k) {
            const int at = (r.first - k) * r.slots + slot;
            if (at >= 500)
                continue;
            ++written;
            EXPECT_EQ(placed.ch1[at], 511 - k) << "T " << r.t << " k " << k;
            EXPECT_EQ(placed.ch2[at], 1000 - (511 - k)) << "T " << r.t << " k " << k;
        }
        const auto untouched = std::count(placed.ch1.begin(), placed.ch1.end(), 7);
        EXPECT_EQ(untouched, 500 - written) << "T " << r.t;

        EtsRun aged(511, 450);
        ASSERT_EQ(aged.Run(r.t, 0), 1) << r.t;
        EXPECT_EQ(aged.ages[slot], r.ageStart - 1) << "T " << r.t;
        EXPECT_EQ(aged.ages[slot == 0 ? 1 : 0], 100 - r.frames) << "T " << r.t;
    }
    EtsRun none(511, 450);
    EXPECT_EQ(none.Run(7, 1), 0);
    EXPECT_EQ(none.ch1, std::vector<std::uint16_t>(500, 7));
}

// With only the last frame of the count valid, index 1 (15 frames) places it and index 2 (10
// frames) never reaches it.
TEST(EtsSweep, FrameCountChangesBetweenIndexOneAndTwo) {
    for (std::uint16_t t : {1, 2}) {
        EtsRun c(600, 450);
        FillEtsFrame(c.frames.data() + 14 * 1600, 511, 450);
        ASSERT_EQ(c.Run(t, 1), 1);
        const bool placed = c.ch1 != std::vector<std::uint16_t>(500, 7);
        EXPECT_EQ(placed, t == 1) << "T " << t;
    }
}

// A stale slot is one whose age falls below 6: age 7 becomes 6 and stays, age 6 becomes 5 and
// is refilled from its neighbours with the age start.
TEST(EtsSweep, AgeSixIsKeptAndFiveIsRefilled) {
    EtsRun c(600, 450);
    FillEtsFrame(c.frames.data(), 511, 450); // one valid frame, slot 2 at index 6
    for (int i = 0; i < 500; ++i)
        c.ch1[i] = static_cast<std::uint16_t>(i % 5 == 0 ? 40 : 200 + i % 5);
    c.ages[0] = 6;
    c.ages[1] = 7;
    ASSERT_EQ(c.Run(6, 0), 1);
    EXPECT_EQ(c.ages[0], 50);
    EXPECT_EQ(c.ages[1], 6);
    EXPECT_EQ(c.ch1[5], (204 + 201) / 2); // slot 0 refilled from indexes 4 and 6
    EXPECT_EQ(c.ch1[6], 201);             // slot 1 kept
}

// Index 4 takes the TDC reading as it is (0 past max) before subtracting min and c0; index 3
// subtracts first and only drops readings past max + c0. A reading between the two limits is
// skipped at 4 and ends the call at 3 with a slot past the last.
TEST(EtsSweep, PhaseRuleChangesBetweenIndexThreeAndFour) {
    for (std::uint16_t t : {3, 4}) {
        EtsRun c(511, 450);
        c.cal[0] = 100;
        c.cal[1] = 100;
        FillEtsFrame(c.frames.data(), 511, 1050);
        ASSERT_EQ(c.Run(t, 1), 1);
        const bool placed = c.ch1 != std::vector<std::uint16_t>(500, 7);
        EXPECT_EQ(placed, t == 4) << "T " << t;
        if (t == 4) { // slot trunc((450 - 100) / (900 / 25)) = 9: sample 510 at 19 x 25 + 9
            EXPECT_EQ(c.ch1[484], 510);
        }
    }
}

// The ETS zoom-out factor of every time-base index.
TEST(EtsSweep, ZoomOutFactorOfEveryIndex) {
    for (std::uint16_t t = 0; t <= 38; ++t)
        EXPECT_EQ(dsoETSDataZoomOut(t), t < 3 ? 1 : 2) << t;
    EXPECT_EQ(dsoETSDataZoomOut(65535), 2);
}

// The live-record zoom stretches linearly from index 6 up whatever the caller asks, and with the
// caller's mode below; index 10 of a double-rate record is copied.
TEST(ZoomSweep, StretchRuleChangesBetweenIndexFiveAndSix) {
    const auto zoom = [](std::uint16_t t, std::uint16_t mode, std::uint16_t doubleRate) {
        // Laid out as the read fills it: the trailer behind 2 x 10240 points.
        std::vector<std::uint16_t> record(20480 + 4);
        for (int i = 0; i < 10240; ++i)
            record[i] = static_cast<std::uint16_t>(256 + std::lround(150 * std::sin(i * 0.9)));
        record[20480] = t;
        record[20481] = 3;
        record[20482] = 50;
        record[20483] = doubleRate;
        const std::uint16_t settings[7] = {0, 2, t, 50, 1, 10, 0};
        std::vector<std::uint16_t> dst(10240, 0);
        dsoDataResolutionZoomIn(record.data(), dst.data(), 1, mode, settings);
        return dst;
    };
    EXPECT_EQ(zoom(6, 0, 0), zoom(6, 2, 0));
    EXPECT_EQ(zoom(7, 0, 0), zoom(7, 2, 0));
    EXPECT_NE(zoom(5, 0, 0), zoom(5, 2, 0));
    EXPECT_NE(zoom(5, 0, 1), zoom(5, 2, 1));
    // Index 10: a copy for a double-rate record, a two-fold stretch otherwise.
    const auto copied = zoom(10, 0, 1);
    const auto stretched = zoom(10, 0, 0);
    EXPECT_EQ(copied, zoom(11, 0, 0));
    EXPECT_NE(stretched, copied);
}

// A 100/300 square wave from point 20 (high 20..79, low 80..139, ...) whose first 20 points are
// `lead` with one probe value; top[4] = 300 and base[4] = 100 give mid level 200.
std::vector<std::uint16_t> SquareWithProbe(std::uint16_t lead, int at, std::uint16_t probe) {
    std::vector<std::uint16_t> r(500);
    for (int i = 0; i < 500; ++i)
        r[i] = i < 20 ? lead : (((i - 20) / 60) % 2 == 0 ? 300 : 100);
    r[at] = probe;
    return r;
}

// The period's hysteresis of 6 codes about the mid level, at its exact edge in both directions.
TEST(MeasureSweep, PeriodHysteresisEdges) {
    struct Case {
        std::uint16_t lead;
        int at;
        std::uint16_t probe;
        std::uint16_t out[3];
    };
    const Case cases[] = {
        {100, 5, 206, {21, 141, 81}},  // 206 - 6 is not above 200
        {100, 5, 207, {5, 21, 7}},     // 207 - 6 is: the rise comes at point 5
        {100, 41, 194, {21, 141, 81}}, // 194 + 6 is not below 200
        {100, 41, 193, {21, 43, 41}},  // 193 + 6 is: a fall at 41, a rise at 43
    };
    for (const Case& c : cases) {
        const auto record = SquareWithProbe(c.lead, c.at, c.probe);
        std::uint16_t top[5], base[5], out[3] = {9, 9, 9};
        dsoMeasureFrequency(top, base, out, record.data());
        EXPECT_EQ(top[4], 300);
        EXPECT_EQ(base[4], 100);
        EXPECT_EQ(out[0], c.out[0]) << "probe " << c.probe << " at " << c.at;
        EXPECT_EQ(out[1], c.out[1]) << "probe " << c.probe << " at " << c.at;
        EXPECT_EQ(out[2], c.out[2]) << "probe " << c.probe << " at " << c.at;
    }
}

// The edge walks' hysteresis of 2 codes about the 50 % level (200) and their first point, 11.
TEST(MeasureSweep, EdgeWalkHysteresisAndFirstPoint) {
    struct Case {
        int at;
        std::uint16_t probe;
        std::uint16_t fallFirst;
    };
    const Case cases[] = {{11, 198, 81}, {11, 197, 11}, {9, 100, 81}, {13, 197, 13}};
    for (const Case& c : cases) {
        const auto record = SquareWithProbe(300, c.at, c.probe);
        std::uint16_t top[5], base[5], out[2] = {9, 9};
        dsoMeasureFallTime(top, base, out, record.data(), 50, 10);
        EXPECT_EQ(out[0], c.fallFirst) << "probe " << c.probe << " at " << c.at;
    }
    // Rising: 202 + 2 is not above 200 (the first level comes from the second percent), 203 is.
    for (std::uint16_t probe : {202, 203}) {
        std::vector<std::uint16_t> record(500);
        for (int i = 0; i < 500; ++i)
            record[i] = i < 20 ? 100 : (((i - 20) / 60) % 2 == 0 ? 100 : 300);
        record[11] = probe;
        std::uint16_t top[5], base[5], out[2] = {9, 9};
        dsoMeasureRiseTime(top, base, out, record.data(), 10, 50);
        EXPECT_EQ(out[0], probe == 203 ? 11 : 81) << probe;
    }
}

// Mean over points 10..499 and RMS over 1..499: a spike on the first point counted moves the
// result, one just before it does not.
TEST(MeasureSweep, MeanAndRmsWindows) {
    std::vector<std::uint16_t> record(500, 200);
    std::uint16_t mean = 0;
    record[9] = 500;
    EXPECT_EQ(dsoMeasureMean(&mean, record.data()), 200);
    record[9] = 200;
    record[10] = 200 + 490;
    EXPECT_EQ(dsoMeasureMean(&mean, record.data()), 201);
    record[10] = 200;
    record[499] = 200 + 490;
    EXPECT_EQ(dsoMeasureMean(&mean, record.data()), 201);
    record[499] = 200;

    std::int16_t out[2] = {9, 9};
    record[0] = 511;
    EXPECT_DOUBLE_EQ(dsoMeasureRMS(out, record.data(), 200), 0.0);
    record[0] = 200;
    record[499] = 200 + 499; // sqrt(499^2 / 499) = sqrt(499)
    EXPECT_NEAR(dsoMeasureRMS(out, record.data(), 200), std::sqrt(499.0), 1e-3);
    EXPECT_EQ(out[0], 22);
    record[499] = 200;
    record[1] = 200 + 499;
    EXPECT_NEAR(dsoMeasureRMS(out, record.data(), 200), std::sqrt(499.0), 1e-3);
}

// The channel buffer's rule edges: the caller's stretch mode up to index 4 and the linear rule
// from 5; index 10 copies unless the single-channel double rate applies (channel selector 2
// without the alternate flag); index 11 copies.
TEST(ProcessingSweep, ChannelBufferRuleEdges) {
    std::vector<std::uint16_t> src(10240);
    for (int i = 0; i < 10240; ++i)
        src[i] =
            static_cast<std::uint16_t>(256 + std::lround(140 * std::sin(i * 0.7) + 30 * std::cos(i * 2.3)));
    const auto run = [&](std::uint16_t t, std::uint16_t mode, std::uint16_t channels,
                         std::uint16_t alternate) {
        const std::uint16_t settings[7] = {0, channels, t, 50, 1, 10, alternate};
        std::vector<std::uint16_t> dst(40960, 4321);
        dsoChannelDataBuffer(settings, mode, dst.data(), src.data());
        return dst;
    };
    EXPECT_NE(run(4, 0, 0, 0), run(4, 2, 0, 0));
    EXPECT_EQ(run(5, 0, 0, 0), run(5, 2, 0, 0));
    const std::vector<std::uint16_t> copied = [&] {
        std::vector<std::uint16_t> c(src);
        c.resize(40960, 4321);
        return c;
    }();
    EXPECT_EQ(run(10, 0, 0, 0), copied);
    EXPECT_EQ(run(10, 0, 1, 0), copied);
    EXPECT_EQ(run(10, 0, 2, 1), copied);
    EXPECT_NE(run(10, 0, 2, 0), copied);
    EXPECT_EQ(run(11, 0, 2, 0), copied);
    EXPECT_NE(run(9, 0, 0, 0), copied);
}

// The spectrum buffer works for selector 5 only.
TEST(ProcessingSweep, SpectrumBufferOnlyForSelectorFive) {
    std::vector<std::uint16_t> src(10240);
    for (int i = 0; i < 10240; ++i)
        src[i] = static_cast<std::uint16_t>(256 + std::lround(100 * std::sin(i * 0.05)));
    const std::uint16_t settings[7] = {0, 0, 20, 50, 1, 10, 0};
    for (std::uint16_t selector : {4, 5, 6}) {
        std::vector<std::uint16_t> dst(40960 * 2 + 16, 4321);
        dsoFFTBuffer(settings, selector, dst.data(), src.data());
        const bool written = dst != std::vector<std::uint16_t>(dst.size(), 4321);
        EXPECT_EQ(written, selector == 5) << selector;
    }
}

// Spectrum trace pictures on a 500 x 511 plot at margin 10 (y = 10 + 511 - code), probed by pixel:
// the pen colour of every selector on a grey ground, nothing for selector 4, and the 510/511
// edge of the code range in both draw modes.
TEST(SpectrumPictureSweep, ColourOfEverySelectorAndTheTopCodeEdge) {
    const COLORREF grey = RGB(128, 128, 128);
    const auto draw = [&](std::int32_t selector, std::int32_t mode, std::int32_t peak) {
        auto c = std::make_unique<Canvas>(520, 531);
        HBRUSH b = CreateSolidBrush(grey);
        RECT all{0, 0, 520, 531};
        FillRect(c->dc(), &all, b);
        DeleteObject(b);
        const std::int32_t layout[13] = {520, 531, 10, 10, 10, 10, 1, selector, mode, 0, 0, 0, 0};
        std::vector<std::int32_t> spectrum(1000, 255);
        spectrum[250] = peak;
        dsoFFTDisplayData(c->dc(), layout, spectrum.data());
        return c;
    };
    const COLORREF colours[4] = {RGB(50, 250, 250), RGB(255, 100, 100), RGB(0, 255, 255), RGB(0, 0, 0)};
    for (std::int32_t selector = 0; selector <= 3; ++selector) {
        const auto c = draw(selector, 0, 255);
        EXPECT_EQ(c->At(100, 266), colours[selector]) << selector; // x = 10 + 90, y = 10 + 256
        EXPECT_EQ(c->At(100, 260), grey) << selector;
    }
    const auto none = draw(4, 0, 255);
    EXPECT_EQ(none->CountNot(grey, 0, 0, 520, 531), 0);

    // Mode 0: a peak of 510 stays on the plot (y = 11); 511 runs to y = 0 at x = 260.
    EXPECT_EQ(draw(0, 0, 511)->At(260, 0), colours[0]);
    const auto kept = draw(0, 0, 510);
    EXPECT_EQ(kept->At(260, 11), colours[0]);
    EXPECT_EQ(kept->At(260, 0), grey);
    // Mode 1: a bar from the bottom (y = 521) for codes up to 510 only.
    EXPECT_EQ(draw(0, 1, 510)->At(260, 100), colours[0]);
    EXPECT_EQ(draw(0, 1, 511)->At(260, 100), grey);
    EXPECT_EQ(draw(0, 1, 511)->At(259, 400), colours[0]);
}

// The per-range arithmetic of the channel read: display code of raw codes by gain factor, the
// calibration value each range uses, and converter A's correction at the 10/11 switch and at the
// ends of the code range.
TEST(ChannelReadSweep, ScaleSlotAndCorrectionOfEveryRange) {
    const double gain[10] = {2.8, 1.42, 1.14, 0.56, 1.42, 1.14, 0.56, 1.42, 1.14, 0.56};
    const int slot[10] = {3, 1, 2, 0, 1, 2, 0, 1, 2, 0};
    for (std::uint16_t v = 0; v <= 9; ++v) {
        const auto table = ScaleTable(v);
        for (int raw : {0, 1, 100, 511, 1023})
            EXPECT_EQ(table[raw], static_cast<std::uint16_t>(raw * gain[v]))
                << "index " << v << " raw " << raw;
        EXPECT_EQ(CalibrationSlot(v), slot[v]) << v;
    }
    EXPECT_EQ(ScaleTable(10)[1023], 1023);
    EXPECT_EQ(CalibrationSlot(10), -1);

    struct Case {
        int c;
        std::uint16_t code, out;
    };
    const Case cases[] = {
        {0, 0, 0},      {0, 510, 510},  {0, 511, 511},  {0, 700, 511},  {10, 9, 0},     {10, 10, 0},
        {10, 11, 1},    {10, 510, 500}, {10, 511, 511}, {11, 0, 0},     {11, 1, 2},     {11, 509, 510},
        {11, 510, 511}, {30, 19, 0},    {30, 20, 40},   {30, 490, 510}, {30, 491, 511},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CorrectConverterA(c.code, c.c), c.out) << "c " << c.c << " code " << c.code;
}

class ChannelReadRanges : public SimFixture {};

// Every range on each channel through a real read, the other channel on the mirrored range so a
// swapped scale shows; the raw codes vary along the record.
TEST_F(ChannelReadRanges, EachChannelScalesByItsOwnRange) {
    const double gain[10] = {2.8, 1.42, 1.14, 0.56, 1.42, 1.14, 0.56, 1.42, 1.14, 0.56};
    inst().SetSampleFunction([](int ch, std::uint32_t k, std::uint32_t, std::uint32_t) {
        return static_cast<std::uint16_t>(ch == 0 ? 600 + k % 300 : 900 - k % 250);
    });
    const std::uint16_t settings[7] = {0, 2, 12, 50, 1, 10, 0};
    for (std::uint16_t v = 0; v <= 9; ++v) {
        const std::uint16_t w = static_cast<std::uint16_t>(9 - v);
        std::vector<std::uint16_t> a(20484, 0xBEEF), b(20484, 0xBEEF);
        ASSERT_EQ(dsoGetChannelData(0, v, w, 0, a.data(), b.data(), settings, 0), 1) << v;
        for (std::size_t k : {1, 2, 333, 10239}) {
            EXPECT_EQ(a[k], static_cast<std::uint16_t>((600 + k % 300) * gain[v]))
                << "CH1 index " << v << " at " << k;
            EXPECT_EQ(b[k], static_cast<std::uint16_t>((900 - k % 250) * gain[w]))
                << "CH2 index " << w << " at " << k;
        }
    }
}

// The trace pen of every colour selector at full and half intensity, probed on a drawn
// horizontal trace at code 200 (y = 311 on a 500 x 511 plot); selector 4 draws nothing.
TEST(TracePictureSweep, PenOfEverySelectorAndIntensity) {
    const std::uint16_t layout[7] = {500, 511, 0, 0, 0, 0, 0};
    const std::uint16_t block[3] = {10, 200, 60};
    const COLORREF grey = RGB(128, 128, 128);
    std::vector<std::uint16_t> record(500, 200);
    struct Case {
        std::uint16_t selector, intensity;
        COLORREF pen;
    };
    const Case cases[] = {
        {0, 255, RGB(10, 200, 60)},   {1, 255, RGB(10, 200, 60)},  {2, 255, RGB(236, 0, 0)},
        {3, 255, RGB(100, 250, 250)}, {0, 128, RGB(5, 100, 30)},   {1, 128, RGB(5, 100, 30)},
        {2, 128, RGB(118, 0, 0)},     {3, 128, RGB(50, 125, 125)},
    };
    const auto draw = [&](std::uint16_t selector, std::uint16_t intensity) {
        auto c = std::make_unique<Canvas>(500, 511);
        HBRUSH b = CreateSolidBrush(grey);
        RECT all{0, 0, 500, 511};
        FillRect(c->dc(), &all, b);
        DeleteObject(b);
        dsoDisplayData(c->dc(), layout, 1, record.data(), selector, intensity, block);
        return c;
    };
    for (const Case& c : cases) {
        const auto canvas = draw(c.selector, c.intensity);
        EXPECT_EQ(canvas->At(250, 311), c.pen) << "selector " << c.selector << " intensity " << c.intensity;
        EXPECT_EQ(canvas->At(250, 300), grey);
    }
    EXPECT_EQ(draw(4, 255)->CountNot(grey, 0, 0, 500, 511), 0);
}

} // namespace
