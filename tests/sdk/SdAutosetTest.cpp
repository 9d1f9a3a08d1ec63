// Autoset on simulated signals of known raw amplitude: the range walk, the small-signal rule, the
// ground flags, the TDC time-base pick and the deep-record trial reads.
#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "SdInternal.h"
#include "SimFixture.h"
#include "system/Clock.h"

namespace {

std::mutex g_waitsMutex;
std::vector<std::uint32_t> g_waits;
void RecordWait(std::uint32_t ms) {
    std::lock_guard<std::mutex> lock(g_waitsMutex);
    g_waits.push_back(ms);
}

class SdAutosetTest : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        kv::sdk::ResetSdState();
        g_waits.clear();
        kv::sdk::g_sdSleep = &RecordWait;
        for (int i = 0; i < 42; ++i)
            levels[i] = (i % 2 == 0) ? 700 : 2800;
    }
    void TearDown() override {
        kv::sdk::g_sdSleep = &kv::SleepMs;
        SimFixture::TearDown();
    }
    // Square waves about raw code `centre` with a raw peak-to-peak of pp1 (CH1) and pp2 (CH2).
    void Signals(int pp1, int pp2, int centre = 100) {
        inst().SetSampleFunction([=](int channel, std::uint32_t k, std::uint32_t, std::uint32_t) {
            const int pp = channel == 0 ? pp1 : pp2;
            const int half = ((k / 50) % 2 == 0) ? -(pp / 2) : pp - pp / 2;
            return static_cast<std::uint16_t>(std::clamp(centre + half, 0, 1023));
        });
    }
    int Run() {
        return sdAutoset(0, settings.data(), block.data(), filter.data(), positions.data(), levels.data());
    }
    int Count(int code) const {
        int n = 0;
        for (const auto& w : BulkWrites())
            n += (!w.data.empty() && w.data[0] == code) ? 1 : 0;
        return n;
    }

    std::array<std::uint16_t, 7> settings{{0, 1, 12, 50, 1, 10, 1}};
    std::array<std::uint16_t, 9> block{{0, 0, 0, 0, 0, 0, 0, 1, 0}};
    std::array<std::uint16_t, 5> filter{{0, 0, 0, 0, 0}};
    std::array<std::uint16_t, 5> positions{{1, 2, 3, 4, 5}};
    std::array<std::uint16_t, 66> levels{};
};

TEST_F(SdAutosetTest, LargeSignalStopsAtTheLeastSensitiveRangeAndPicksTheTimeBase) {
    Signals(600, 0, 400); // 336 codes peak to peak even at range 9
    inst().SetTdcCount(3);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(block[1], 9);
    EXPECT_EQ(block[3], 22) << "count 3: x = 0.075";
    EXPECT_EQ(Count(0x05), 2) << "one pair of trials";
    EXPECT_EQ(g_waits, (std::vector<std::uint32_t>{20, 20, 600}));
    // TDC select 0 for the measurement, 1 afterwards.
    std::vector<int> selects;
    for (const auto& w : BulkWrites())
        if (w.data[0] == 0x0B)
            selects.push_back(w.data[2]);
    EXPECT_EQ(selects, (std::vector<int>{0, 1}));
    // Results and the state the instrument is left in.
    EXPECT_EQ(positions, (std::array<std::uint16_t, 5>{128, 384, 128, 384, 256}));
    EXPECT_EQ(settings[1], 1) << "channel selector restored";
    EXPECT_EQ(settings[2], 19);
    EXPECT_EQ(settings[3], 0);
    EXPECT_EQ(settings[6], 0);
    EXPECT_EQ(block[2], 6);
    EXPECT_EQ(block[4], 9);
}

TEST_F(SdAutosetTest, RangeWalkStopsAtTheFirstRangeAbove128Codes) {
    Signals(100, 0); // 56 codes at range 9, 114 at 8, 142 at 7
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(block[1], 7);
    EXPECT_EQ(Count(0x05), 6);
    // Each trial sends the range under trial: the last relay request carries range 7 for CH1.
    const auto reqs = VendorRequests();
    const auto relays = std::find_if(reqs.rbegin(), reqs.rend(), [](const kv::sim::WireRecord& r) {
        return r.setup.size() == 10 && r.setup[4] == 0xB5;
    });
    ASSERT_NE(relays, reqs.rend());
    EXPECT_EQ(relays->data[1], 0x04); // CH1 range 7..9 relay
    EXPECT_EQ(relays->data[2], 0x08);
}

TEST_F(SdAutosetTest, NoSignalGivesRange6AndTimeBase13WithoutAnyPick) {
    Signals(0, 0);
    block = {1, 0, 0, 0, 0, 0, 0, 1, 1};
    inst().SetTdcCount(30000);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(block[1], 6);
    EXPECT_EQ(block[3], 13);
    EXPECT_EQ(block[2], 6);
    EXPECT_EQ(block[4], 13);
    EXPECT_EQ(Count(0x05), 40) << "ranges 9..0 on both channels, two trials each";
    EXPECT_EQ(Count(0x0A), 0) << "the found-small flag of CH1 also stops CH2's pick";
    EXPECT_EQ(std::count(g_waits.begin(), g_waits.end(), 600u), 0);
}

TEST_F(SdAutosetTest, SmallSignalThresholdIsTenForCh1AndTwentyForCh2) {
    Signals(6, 6); // 17 codes at range 0, 9 at range 1
    block = {0, 0, 0, 0, 0, 0, 0, 1, 1};
    inst().SetTdcCount(30000);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(block[1], 0) << "17 is not below 10: CH1 keeps range 0";
    EXPECT_EQ(block[3], 10) << "count 30000: x = 7.5e-6";
    EXPECT_EQ(block[2], 6) << "17 is below 20: CH2 counts as absent";
    EXPECT_EQ(block[4], 13);
    // CH2's trials send CH1's range as it then stands (0): relay byte 2 of range 0..3.
    const auto reqs = VendorRequests();
    const auto relays = std::find_if(reqs.rbegin(), reqs.rend(), [](const kv::sim::WireRecord& r) {
        return r.setup.size() == 10 && r.setup[4] == 0xB5;
    });
    ASSERT_NE(relays, reqs.rend());
    EXPECT_EQ(relays->data[2], 0xF7);
    EXPECT_EQ(relays->data[5], 0xBF) << "CH2 ended its walk at range 0";
}

TEST_F(SdAutosetTest, GroundedChannelReadsAsItsZeroLine) {
    Signals(600, 600, 400);
    block = {0, 0, 0, 0, 0, 1, 0, 1, 1};
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(block[1], 6) << "a grounded CH1 has no amplitude";
    EXPECT_EQ(block[3], 13);
    EXPECT_EQ(block[2], 9) << "CH2 is not grounded";
}

TEST_F(SdAutosetTest, SecondChannelPassMirrorsTheFirst) {
    Signals(0, 600, 400);
    block = {1, 0, 0, 0, 0, 0, 0, 0, 1};
    inst().SetTdcCount(2);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(block[2], 9);
    EXPECT_EQ(block[4], 13) << "a count below 3 gives index 13";
    EXPECT_EQ(block[1], 6) << "CH1 is not tried and keeps its start value";
    // Trigger source 1: bits 3-4 of byte 2 of command 0x0E carry code 0.
    for (const auto& w : BulkWrites()) {
        if (w.data[0] == 0x0E) {
            EXPECT_EQ((w.data[2] >> 3) & 3, 0);
        }
    }
    EXPECT_EQ(settings[0], 1);
}

TEST_F(SdAutosetTest, DeepRecordTrialsGetRecordsOfTheirOwnSize) {
    Signals(600, 600, 400);
    settings = {0, 2, 12, 50, 2, 0, 0}; // memory code 2, deep record-length selector
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(block[1], 9);
}

TEST_F(SdAutosetTest, TimeBasePickBands) {
    using kv::sdk::TimeBaseForPeriod;
    EXPECT_EQ(TimeBaseForPeriod(5e-9), 1);
    EXPECT_EQ(TimeBaseForPeriod(1e-8), 2);
    EXPECT_EQ(TimeBaseForPeriod(3.9e-6), 9);
    EXPECT_EQ(TimeBaseForPeriod(4e-6), 10);
    EXPECT_EQ(TimeBaseForPeriod(0.075), 22);
    EXPECT_EQ(TimeBaseForPeriod(0.2), 23);
    EXPECT_EQ(TimeBaseForPeriod(0.2000001), 24);

    std::uint16_t tb = 0;
    inst().SetTdcCount(30000);
    EXPECT_EQ(kv::sdk::sdAutosetPickTimeBase(0, &tb), 1);
    EXPECT_EQ(tb, 10);
    dev->SetPresent(false); // no count arrives: treated as no period
    tb = 0;
    EXPECT_EQ(kv::sdk::sdAutosetPickTimeBase(0, &tb), 1);
    EXPECT_EQ(tb, 13);
    EXPECT_EQ(kv::sdk::sdAutosetPickTimeBase(0, nullptr), 0);
}

TEST_F(SdAutosetTest, RefusedArgumentsTouchNothing) {
    EXPECT_EQ(sdAutoset(4, settings.data(), block.data(), filter.data(), positions.data(), levels.data()), 0);
    EXPECT_EQ(sdAutoset(0, settings.data(), nullptr, filter.data(), positions.data(), levels.data()), 0);
    EXPECT_EQ(positions, (std::array<std::uint16_t, 5>{1, 2, 3, 4, 5}));
    EXPECT_EQ(dev->LogSize(), 0u);
}

} // namespace
