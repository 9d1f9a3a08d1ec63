// The SDK's lookup tables entry by entry, with the first value outside each table: gain bits and
// relay masks by volts/div index, sample-clock counters and flags and the time-base flag by
// time-base index, trigger-source codes, transfer-mode codes, and the gain factors and
// calibration slots of the channel read.
#include "ChannelRead.h"
#include "FrontEnd.h"
#include "WireProtocol.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using namespace kv::sdk;

TEST(SdkTables, GainBitOfEveryVoltsIndex) {
    const std::array<int, 10> bits = {1, 1, 0, 0, 1, 0, 0, 1, 0, 0};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(GainBit(static_cast<std::uint16_t>(i)), bits[static_cast<size_t>(i)]) << i;
}

TEST(SdkTables, RelayMasksOfEveryVoltsIndexCouplingAndSource) {
    // Bytes 1, 2 (CH1) and 4, 5 (CH2) by the index ranges 0-3, 4-6, 7-9.
    const std::array<std::array<int, 4>, 10> ranges = {{{0xFB, 0xF7, 0xDF, 0xBF},
                                                        {0xFB, 0xF7, 0xDF, 0xBF},
                                                        {0xFB, 0xF7, 0xDF, 0xBF},
                                                        {0xFB, 0xF7, 0xDF, 0xBF},
                                                        {0xFB, 0x08, 0xDF, 0x40},
                                                        {0xFB, 0x08, 0xDF, 0x40},
                                                        {0xFB, 0x08, 0xDF, 0x40},
                                                        {0x04, 0x08, 0x20, 0x40},
                                                        {0x04, 0x08, 0x20, 0x40},
                                                        {0x04, 0x08, 0x20, 0x40}}};
    for (int i = 0; i < 10; ++i) {
        const int other = 9 - i; // the other channel at another range
        const auto& mine = ranges[static_cast<size_t>(i)];
        const auto& theirs = ranges[static_cast<size_t>(other)];
        FrontEndRequest r{};
        ASSERT_TRUE(
            EncodeRelays(static_cast<std::uint16_t>(i), static_cast<std::uint16_t>(other), 1, 0, 0, r));
        EXPECT_EQ(r[1], mine[0]) << i;
        EXPECT_EQ(r[2], mine[1]) << i;
        EXPECT_EQ(r[4], theirs[2]) << i;
        EXPECT_EQ(r[5], theirs[3]) << i;
        ASSERT_TRUE(
            EncodeRelays(static_cast<std::uint16_t>(other), static_cast<std::uint16_t>(i), 0, 1, 3, r));
        EXPECT_EQ(r[1], theirs[0]) << i;
        EXPECT_EQ(r[2], theirs[1]) << i;
        EXPECT_EQ(r[4], mine[2]) << i;
        EXPECT_EQ(r[5], mine[3]) << i;
    }
    for (int coupling = 0; coupling <= 2; ++coupling) {
        FrontEndRequest r{};
        ASSERT_TRUE(EncodeRelays(0, 0, static_cast<std::uint16_t>(coupling),
                                 static_cast<std::uint16_t>(2 - coupling), 0, r));
        EXPECT_EQ(r[3], coupling == 1 ? 0x02 : 0xFD) << coupling;
        EXPECT_EQ(r[6], 2 - coupling == 1 ? 0x10 : 0xEF) << coupling;
    }
    for (int source = 0; source <= 4; ++source) {
        FrontEndRequest r{};
        ASSERT_TRUE(EncodeRelays(5, 5, 1, 1, static_cast<std::uint16_t>(source), r));
        EXPECT_EQ(r[7], source == 3 ? 0xFE : 0x01) << source;
        EXPECT_EQ(r[0], 0);
        for (int b = 8; b < 17; ++b)
            EXPECT_EQ(r[static_cast<size_t>(b)], 0);
    }
    FrontEndRequest r{};
    EXPECT_FALSE(EncodeRelays(10, 0, 0, 0, 0, r));
    EXPECT_FALSE(EncodeRelays(0, 10, 0, 0, 0, r));
    EXPECT_FALSE(EncodeRelays(0, 0, 0, 0, 5, r));
}

// Sample-clock counter and flags (r bit 1, s bit 0) by time-base index, for the 10240-point
// selector and the deep one.
struct ClockRow {
    int screenCounter, deepCounter, screenFlags, deepFlags;
};
const std::array<ClockRow, 26> kClock = {{
    {0, 0, 3, 3},         {0, 0, 3, 3},         {0, 0, 3, 3},         {0, 0, 3, 3},
    {0, 0, 3, 3},         {0, 0, 3, 3},         {0, 0, 3, 3},         {0, 0, 3, 3},
    {0, 0, 3, 3},         {0, 0, 3, 3},         {0, 0, 3, 3},         {0, 0, 1, 1},
    {0, 0, 0, 0},         {65535, 65535, 2, 2}, {65532, 0, 2, 0},     {65527, 0, 2, 3},
    {65517, 0, 2, 3},     {65487, 0, 2, 0},     {65437, 65535, 2, 2}, {65337, 65532, 2, 2},
    {65037, 65527, 2, 2}, {64539, 65517, 2, 2}, {63037, 65487, 2, 2}, {60537, 65437, 2, 2},
    {55537, 65337, 2, 2}, {41889, 65037, 2, 2},
}};

TEST(SdkTables, SampleClockOfEveryTimeBase) {
    for (int t = 0; t <= 38; ++t) {
        const ClockRow row = t <= 25 ? kClock[static_cast<size_t>(t)] : ClockRow{65517, 65517, 2, 2};
        const SampleClock screen = SampleClockFor(static_cast<std::uint16_t>(t), 10, 0);
        const SampleClock deep = SampleClockFor(static_cast<std::uint16_t>(t), 512, 0);
        EXPECT_EQ(screen.counter, row.screenCounter) << t;
        EXPECT_EQ(deep.counter, row.deepCounter) << t;
        EXPECT_EQ(screen.flags, row.screenFlags) << t;
        EXPECT_EQ(deep.flags, row.deepFlags) << t;
        // The override argument clears both flags of the fastest time bases only.
        const SampleClock overridden = SampleClockFor(static_cast<std::uint16_t>(t), 10, 1);
        EXPECT_EQ(overridden.flags, t <= 6 ? 0 : row.screenFlags) << t;
        EXPECT_EQ(overridden.counter, row.screenCounter) << t;
    }
}

TEST(SdkTables, TimeBaseFlagOfEveryTimeBase) {
    for (int t = 0; t <= 38; ++t) {
        for (const int sel : {10, 512}) {
            for (const auto& [channels, source] : {std::pair<int, int>{2, 0}, {2, 2}, {0, 0}, {3, 1}}) {
                const int dual = (channels == 2 && source != 2) ? 1 : 0;
                int expected = 1;
                if (t <= 10)
                    expected = dual;
                else if (t == 15)
                    expected = sel == 10 ? 1 : 0;
                else if (t == 16)
                    expected = sel == 10 ? 1 : dual;
                else if (t == 25)
                    expected = 0;
                EXPECT_EQ(TimeBaseFlag(static_cast<std::uint16_t>(t), static_cast<std::uint16_t>(sel),
                                       static_cast<std::uint16_t>(channels),
                                       static_cast<std::uint16_t>(source)),
                          expected)
                    << t << " " << sel << " " << channels << " " << source;
            }
        }
    }
}

TEST(SdkTables, TriggerSourceCodeOfEverySource) {
    const std::array<int, 5> codes = {1, 0, 3, 2, 2};
    for (int s = 0; s < 5; ++s)
        EXPECT_EQ(TriggerSourceCode(static_cast<std::uint16_t>(s)), codes[static_cast<size_t>(s)]) << s;
}

TEST(SdkTables, TransferModeCodeOfEveryMode) {
    const std::array<int, 6> codes = {3, 10, 9, 1, 2, 8};
    for (int mode = 1; mode <= 6; ++mode) {
        const auto p = EncodeTransferMode(static_cast<std::uint16_t>(mode));
        const int c = codes[static_cast<size_t>(mode - 1)];
        EXPECT_EQ(
            p, (std::array<std::uint8_t, 10>{0x0F, static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c),
                                             static_cast<std::uint8_t>(c), 0, 0, 0, 0, 0, 0}))
            << mode;
    }
    EXPECT_EQ(EncodeTransferMode(0), (std::array<std::uint8_t, 10>{}));
    EXPECT_EQ(EncodeTransferMode(7), (std::array<std::uint8_t, 10>{}));
}

TEST(SdkTables, GainFactorAndCalibrationSlotOfEveryVoltsIndex) {
    const std::array<double, 10> gains = {2.8, 1.42, 1.14, 0.56, 1.42, 1.14, 0.56, 1.42, 1.14, 0.56};
    const std::array<int, 10> slots = {3, 1, 2, 0, 1, 2, 0, 1, 2, 0};
    // The scaled code of raw 101 and 1023, truncated toward zero.
    const std::array<int, 10> at101 = {282, 143, 115, 56, 143, 115, 56, 143, 115, 56};
    const std::array<int, 10> at1023 = {2864, 1452, 1166, 572, 1452, 1166, 572, 1452, 1166, 572};
    for (int i = 0; i < 10; ++i) {
        EXPECT_DOUBLE_EQ(GainFactor(static_cast<std::uint16_t>(i)), gains[static_cast<size_t>(i)]) << i;
        EXPECT_EQ(CalibrationSlot(static_cast<std::uint16_t>(i)), slots[static_cast<size_t>(i)]) << i;
        const auto table = ScaleTable(static_cast<std::uint16_t>(i));
        EXPECT_EQ(table[101], at101[static_cast<size_t>(i)]) << i;
        EXPECT_EQ(table[1023], at1023[static_cast<size_t>(i)]) << i;
        EXPECT_EQ(table[0], 0);
    }
    // Another index keeps the raw code.
    EXPECT_EQ(CalibrationSlot(10), -1);
    EXPECT_EQ(ScaleTable(10)[100], 100);
    EXPECT_EQ(ScaleTable(10)[1023], 1023);
}

} // namespace
