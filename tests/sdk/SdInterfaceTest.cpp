// The simplified acquisition interface against the simulated instrument: wrappers, level table,
// the acquisition step in every sweep mode, alternate trigger and the roll-mode step.
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "SdInternal.h"
#include "SimFixture.h"

namespace {

class SdInterfaceTest : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        kv::sdk::ResetSdState();
        levels.fill(0);
        for (int i = 0; i < 40; ++i)
            levels[i] = (i % 2 == 0) ? 700 : 2800;
    }
    // Command codes of the bulk writes since the log was last cleared.
    std::vector<int> Commands() const {
        std::vector<int> codes;
        for (const auto& w : BulkWrites())
            codes.push_back(w.data.empty() ? -1 : w.data[0]);
        return codes;
    }
    int Step(std::uint16_t sweep, std::uint32_t rearm = 0) {
        filter[3] = sweep;
        return sdGetData(0, 6, 6, ch1.data(), ch2.data(), settings.data(), filter.data(), positions.data(),
                         levels.data(), rearm, 0, 0, 0);
    }

    std::vector<std::uint16_t> ch1 = std::vector<std::uint16_t>(20484, 0xBEEF);
    std::vector<std::uint16_t> ch2 = std::vector<std::uint16_t>(20484, 0xBEEF);
    std::array<std::uint16_t, 7> settings{{0, 2, 12, 50, 1, 10, 0}};
    std::array<std::uint16_t, 5> filter{{0, 0, 0, 0, 1}};
    std::array<std::uint16_t, 5> positions{{255, 255, 255, 255, 255}};
    std::array<std::uint16_t, 66> levels{};
};

constexpr int kForce = 0x02, kStart = 0x03, kArm = 0x04, kGetData = 0x05, kState = 0x06;

TEST_F(SdInterfaceTest, TriggerLevelPairsFollowTheTriggerChannelsRange) {
    EXPECT_EQ(sdCurrentTriggerLevel(0, 3, 9, levels.data()), 1);
    EXPECT_EQ(levels[40], 710);
    EXPECT_EQ(levels[41], 2902);
    EXPECT_EQ(sdCurrentTriggerLevel(1, 3, 9, levels.data()), 1);
    EXPECT_EQ(levels[40], 628);
    EXPECT_EQ(levels[41], 2765);
    sdCurrentTriggerLevel(0, 12, 0, levels.data()); // a range outside the table
    EXPECT_EQ(levels[40], 712);
    EXPECT_EQ(levels[41], 2805);
    sdCurrentTriggerLevel(1, 0, 12, levels.data());
    EXPECT_EQ(levels[40], 626);
    EXPECT_EQ(levels[41], 2868);
    sdCurrentTriggerLevel(2, 0, 0, levels.data()); // source 2 keeps the pair
    EXPECT_EQ(levels[40], 626);
    sdCurrentTriggerLevel(4, 0, 0, levels.data());
    EXPECT_EQ(levels[40], 497);
    EXPECT_EQ(levels[41], 3085);
    EXPECT_EQ(sdCurrentTriggerLevel(0, 0, 0, nullptr), 0);
}

TEST_F(SdInterfaceTest, SetOffsetSendsTheTriggerDacFromTheFreshPair) {
    positions = {511, 511, 0, 511, 511};
    ASSERT_EQ(sdSetOffset(0, positions.data(), 6, 6, 0, levels.data()), 1);
    EXPECT_EQ(levels[40], 712);
    const auto reqs = VendorRequests();
    ASSERT_FALSE(reqs.empty());
    const auto& d = reqs.back().data;
    ASSERT_EQ(d.size(), 17u);
    EXPECT_EQ(reqs.back().setup[4], 0xB4);
    EXPECT_EQ((d[4] << 8) | d[5], 2805); // position 0 gives the high value of the pair
    EXPECT_EQ(((d[0] & 0x0F) << 8) | d[1], 700);

    // EXT and EXT/10 take the external pair and the fifth position.
    for (std::uint16_t source : {3, 4}) {
        positions = {511, 511, 511, 511, 0};
        dev->ClearLog();
        ASSERT_EQ(sdSetOffset(0, positions.data(), 6, 6, source, levels.data()), 1) << source;
        EXPECT_EQ(levels[40], 497);
        EXPECT_EQ(levels[41], 3085);
        const auto ext = VendorRequests();
        ASSERT_FALSE(ext.empty());
        EXPECT_EQ((ext.back().data[4] << 8) | ext.back().data[5], 3085) << source;
    }

    // A refused range leaves the table and the wire alone.
    levels[40] = 1;
    dev->ClearLog();
    EXPECT_EQ(sdSetOffset(0, positions.data(), 10, 6, 0, levels.data()), 0);
    EXPECT_EQ(sdSetOffset(0, positions.data(), 6, 6, 5, levels.data()), 0);
    EXPECT_EQ(sdSetOffset(4, positions.data(), 6, 6, 0, levels.data()), 0);
    EXPECT_EQ(levels[40], 1);
    EXPECT_EQ(dev->LogSize(), 0u);
}

TEST_F(SdInterfaceTest, RateWrapperSendsAllThreeRateCommandsWithFlagAClear) {
    settings[2] = 20;
    EXPECT_EQ(sdSetTriggerAndSampleRate(0, 1, 0, settings.data(), 1, 3, 0x11223344), 1);
    EXPECT_EQ(Commands(), (std::vector<int>{0x0E, 0x0C, 0x0D}));
    const auto trig = BulkWrites()[0].data;
    EXPECT_EQ(trig[2] & 0x40, 0);    // flag A
    EXPECT_EQ(trig[2] & 0x80, 0x80); // flag B
    EXPECT_EQ(trig[4], 0x44);
    EXPECT_EQ(sdSetTriggerAndSampleRate(0, 1, 0, nullptr, 0, 0, 0), 0);

    const std::uint16_t block[5] = {1, 0, 1, 0, 0};
    dev->ClearLog();
    EXPECT_EQ(sdSetFilt(0, block), 1);
    EXPECT_EQ(BulkWrites().at(0).data[2], 0x06); // b in bit 0, a in bit 1, c in bit 2
    EXPECT_EQ(sdSetFilt(0, nullptr), 0);
}

TEST_F(SdInterfaceTest, GetLevelJoinsTheStoredBytesAndAppendsTheFixedTail) {
    std::uint8_t stored[80];
    for (int i = 0; i < 40; ++i) {
        stored[2 * i] = static_cast<std::uint8_t>(i == 3 ? 0x40 : i % 8);
        stored[2 * i + 1] = static_cast<std::uint8_t>(i);
    }
    ASSERT_TRUE(inst().WriteMemory(8, stored, 80));
    ASSERT_EQ(sdGetLevel(0, levels.data()), 1);
    EXPECT_EQ(levels[3], 50 * 256 + 3); // high byte limited to 50
    EXPECT_EQ(levels[5], 5 * 256 + 5);
    const std::array<std::uint16_t, 26> tail{712, 2805, 2202, 242, 170, 30,  170,  30,  170,
                                             30,  170,  30,   170, 30,  170, 30,   170, 30,
                                             160, 30,   180,  40,  180, 90,  4095, 0};
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), levels.begin() + 40));

    // A failed read keeps the caller's stored part, still writes the tail, and says so.
    std::fill(levels.begin(), levels.end(), 7);
    dev->InjectFault({kv::sim::FaultKind::Fail, kv::usb::kIoctlVendorRequest, 0, -1, 0});
    EXPECT_EQ(sdGetLevel(0, levels.data()), 0);
    EXPECT_TRUE(std::all_of(levels.begin(), levels.begin() + 40, [](std::uint16_t v) { return v == 7; }));
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), levels.begin() + 40));
    dev->ClearFault();
    EXPECT_EQ(sdGetLevel(0, nullptr), 0);
}

TEST_F(SdInterfaceTest, GroundAndScrollHelpers) {
    std::vector<std::uint16_t> record(524288 + 1, 9);
    EXPECT_EQ(sdChannelInGND(200, record.data()), 1);
    EXPECT_EQ(std::count(record.begin(), record.end(), 311), 524288);
    EXPECT_EQ(record.back(), 9);
    sdChannelInGND(600, record.data()); // below zero saturates instead of wrapping
    EXPECT_EQ(record[0], 0);
    EXPECT_EQ(sdChannelInGND(1, nullptr), 0);

    std::vector<std::uint16_t> display(500);
    for (int i = 0; i < 500; ++i)
        display[i] = static_cast<std::uint16_t>(i);
    const std::uint16_t lv[2] = {100, 200};
    EXPECT_EQ(sdDisplayScrollData(display.data(), lv, 0, 0, 42, 1), 1);
    EXPECT_EQ(display[0], 1);
    EXPECT_EQ(display[498], 499);
    EXPECT_EQ(display[499], 42);
    sdDisplayScrollData(display.data(), lv, 1, 0, 42, 1);
    EXPECT_EQ(display[499], 411);
    sdDisplayScrollData(display.data(), lv, 1, 0, 42, 2); // CH1's flag does not apply to channel 2
    EXPECT_EQ(display[499], 42);
    sdDisplayScrollData(display.data(), lv, 0, 1, 42, 2);
    EXPECT_EQ(display[499], 311);
    EXPECT_EQ(sdDisplayScrollData(nullptr, lv, 0, 0, 1, 1), 0);
}

TEST_F(SdInterfaceTest, AutoSweepForcesATriggerFromTheFourthIdlePoll) {
    inst().SetPollsToTrigger(0);
    inst().CaptureStart(); // a capture under way that nothing triggers
    for (int poll = 1; poll <= 3; ++poll) {
        dev->ClearLog();
        EXPECT_EQ(Step(0), 0);
        EXPECT_EQ(Commands(), (std::vector<int>{kState})) << "poll " << poll;
    }
    dev->ClearLog();
    EXPECT_EQ(Step(0), 0);
    EXPECT_EQ(Commands(), (std::vector<int>{kState, kForce})) << "poll 4";
    EXPECT_EQ(kv::sdk::g_sdPollCounter.load(), 4);
    // The force completed the capture: the next step reads it, restarts and re-arms.
    dev->ClearLog();
    EXPECT_EQ(Step(0), 1);
    EXPECT_EQ(Commands(), (std::vector<int>{kState, kGetData, kStart, kArm}));
    EXPECT_EQ(kv::sdk::g_sdPollCounter.load(), 0);
}

TEST_F(SdInterfaceTest, AutoSweepStartsTheFirstCaptureItself) {
    // Straight after the settings no capture is under way (state 0): the first step starts and
    // arms one, as normal sweep does, and the record follows without a call of the client's.
    // (At 1 V/div both sines stay on the screen.)
    inst().SetVoltsIndex(0, 6);
    inst().SetVoltsIndex(1, 6);
    EXPECT_EQ(Step(0), 0);
    EXPECT_EQ(Commands(), (std::vector<int>{kState, kStart, kArm}));
    int calls = 1, read = 0;
    while (read == 0 && calls < 10) {
        read = Step(0);
        ++calls;
    }
    EXPECT_EQ(read, 1);
    EXPECT_LE(calls, 4);
    EXPECT_TRUE(std::all_of(ch1.begin(), ch1.begin() + 10240, [](std::uint16_t v) { return v <= 511; }));
}

TEST_F(SdInterfaceTest, AutoSweepDrivesAWholeCapture) {
    inst().SetTriggerAddress(1234u);
    inst().SetVoltsIndex(0, 6);
    inst().SetVoltsIndex(1, 6);
    ASSERT_EQ(sdCaptureStart(0), 1);
    ASSERT_EQ(sdTriggerEnabled(0), 1);
    int steps = 0, read = 0;
    while (read == 0 && steps < 20) {
        read = Step(0);
        ++steps;
    }
    ASSERT_EQ(read, 1);
    EXPECT_EQ(kv::sdk::g_sdPollCounter.load(), 0) << "reset after the read";
    EXPECT_EQ(ch1[20482], 50) << "trailer carries the trigger position";
    EXPECT_EQ(ch1[20480], 12);
    EXPECT_TRUE(std::all_of(ch1.begin(), ch1.begin() + 10240, [](std::uint16_t v) { return v <= 511; }));
    const auto codes = Commands();
    // The read is followed by a restart and a re-arm.
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(std::vector<int>(codes.end() - 3, codes.end()), (std::vector<int>{kGetData, kStart, kArm}));
}

TEST_F(SdInterfaceTest, NormalSweepRestartsAnIdleCapture) {
    EXPECT_EQ(Step(1), 0);
    EXPECT_EQ(Commands(), (std::vector<int>{kState, kStart, kStart, kArm}));
}

TEST_F(SdInterfaceTest, SingleSweepReArmsOnlyWhenAskedAndNotAfterTheRead) {
    EXPECT_EQ(Step(2, 0), 0);
    EXPECT_EQ(Commands(), (std::vector<int>{kState}));
    dev->ClearLog();
    EXPECT_EQ(Step(2, 1), 0);
    EXPECT_EQ(Commands(), (std::vector<int>{kState, kArm}));

    inst().CaptureStart();
    inst().ArmTrigger();
    inst().ForceTrigger();
    dev->ClearLog();
    EXPECT_EQ(Step(2), 1);
    EXPECT_EQ(Commands(), (std::vector<int>{kState, kGetData, kStart}));
}

TEST_F(SdInterfaceTest, NotReadyStatesReturnWithoutTouchingTheSettings) {
    settings[6] = 1; // alternate trigger would otherwise change the block
    const auto before = settings;
    for (std::uint16_t sweep : {0, 1, 2, 7}) {
        inst().CaptureStart();
        inst().ArmTrigger(); // state 2; the poll moves it to 3
        dev->ClearLog();
        EXPECT_EQ(Step(sweep), 0);
        EXPECT_EQ(Step(sweep), 0); // state 3
        EXPECT_EQ(Commands(), (std::vector<int>{kState, kState}));
        EXPECT_EQ(settings, before);
    }
    EXPECT_EQ(kv::sdk::g_sdAlternateToggle.load(), 0);
}

TEST_F(SdInterfaceTest, UnknownSweepReadsAtOnce) {
    dev->ClearLog();
    EXPECT_EQ(Step(5), 1) << "state 0 with sweep 5 goes straight to the read";
    EXPECT_EQ(Commands(), (std::vector<int>{kState, kGetData, kStart, kArm}));
}

TEST_F(SdInterfaceTest, AlternateTriggerSwapsSourceAndSelectorOnEveryRead) {
    settings = {0, 2, 5, 50, 1, 10, 1};
    std::vector<std::pair<int, int>> seen;
    for (int i = 0; i < 4; ++i) {
        inst().CaptureStart();
        inst().ArmTrigger();
        inst().ForceTrigger();
        dev->ClearLog();
        Step(5);
        seen.emplace_back(settings[0], settings[1]);
        if (i == 0) {
            // 0x0E, 0x0C and 0x0D from the wrapper, then 0x0C and 0x0D again, then the filter.
            const auto codes = Commands();
            EXPECT_EQ(std::vector<int>(codes.begin() + 1, codes.begin() + 7),
                      (std::vector<int>{0x0E, 0x0C, 0x0D, 0x0C, 0x0D, 0x00}));
        }
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{0, 0}, {1, 3}, {0, 0}, {1, 3}}));

    settings[2] = 12; // slower time bases keep both channels
    inst().CaptureStart();
    inst().ArmTrigger();
    inst().ForceTrigger();
    Step(5);
    EXPECT_EQ(settings[0], 0);
    EXPECT_EQ(settings[1], 2);
}

TEST_F(SdInterfaceTest, FailedReadIsReportedButTheCaptureIsStillRestarted) {
    inst().SetTriggerAddress(20000u); // beyond the 10240-point record: the read refuses it
    inst().CaptureStart();
    inst().ArmTrigger();
    inst().ForceTrigger();
    dev->ClearLog();
    EXPECT_EQ(Step(0), 0);
    EXPECT_EQ(Commands(), (std::vector<int>{kState, kStart, kArm}));
    EXPECT_EQ(ch1[100], 0xBEEF);
}

TEST_F(SdInterfaceTest, RefusedArgumentsSendNothing) {
    EXPECT_EQ(sdGetData(0, 6, 6, nullptr, ch2.data(), settings.data(), filter.data(), positions.data(),
                        levels.data(), 0, 0, 0, 0),
              0);
    EXPECT_EQ(sdGetData(4, 6, 6, ch1.data(), ch2.data(), settings.data(), filter.data(), positions.data(),
                        levels.data(), 0, 0, 0, 0),
              0);
    double timing[4] = {0, 100, 0, 0};
    std::vector<std::uint16_t> d1(500), d2(500);
    EXPECT_EQ(sdGetScrollData(0, settings.data(), levels.data(), nullptr, 6, 6, ch1.data(), ch2.data(),
                              d1.data(), d2.data(), 0, 0, 0),
              0);
    EXPECT_EQ(sdGetScrollData(4, settings.data(), levels.data(), timing, 6, 6, ch1.data(), ch2.data(),
                              d1.data(), d2.data(), 0, 0, 0),
              0);
    EXPECT_EQ(dev->LogSize(), 0u);
    EXPECT_EQ(timing[3], 0.0);
}

TEST_F(SdInterfaceTest, ScrollStepsOncePerFiftiethOfTheInterval) {
    settings[2] = 30;
    double timing[4] = {0.0, 100.0, 0.0, 0.0};
    std::vector<std::uint16_t> d1(500, 7), d2(500, 7);
    const std::uint16_t lv[2] = {0, 100};
    EXPECT_EQ(sdGetScrollData(0, settings.data(), lv, timing, 6, 6, ch1.data(), ch2.data(), d1.data(),
                              d2.data(), 0, 0, 1),
              1);
    EXPECT_EQ(timing[3], 1.0);
    EXPECT_EQ(dev->LogSize(), 0u) << "the first call only starts the clock";
    int reads = 0;
    for (int t = 1; t <= 10; ++t) {
        timing[0] = t;
        dev->ClearLog();
        sdGetScrollData(0, settings.data(), lv, timing, 6, 6, ch1.data(), ch2.data(), d1.data(), d2.data(), 0,
                        0, 1);
        const auto codes = Commands();
        if (std::count(codes.begin(), codes.end(), kGetData) == 1) {
            ++reads;
            EXPECT_EQ(t % 2, 1) << "steps at t = 3, 5, 7, 9";
            EXPECT_EQ(std::vector<int>(codes.end() - 2, codes.end()), (std::vector<int>{kStart, kForce}));
        }
    }
    EXPECT_EQ(reads, 4);
    EXPECT_EQ(timing[2], 8.0);
    EXPECT_EQ(d1[499], ch1[0]); // CH1 appends its newest point
    EXPECT_EQ(d2[499], 411);    // CH2 shows its level line
    EXPECT_EQ(d1[495], 7);
}

} // namespace

namespace {

// Scroll steps with neither substitute flag: each display takes the newest point of its own
// channel, CH1 from CH1's record and CH2 from CH2's; with a flag set its level line instead.
TEST_F(SdInterfaceTest, ScrollDisplaysTakeTheirOwnChannelsNewestPoint) {
    settings[2] = 30;
    inst().SetVoltsIndex(0, 6);
    inst().SetVoltsIndex(1, 6);
    inst().SetSignal(0, kv::sim::SimSignal{1.5, 0.5, 1.0, false});  // high on the screen
    inst().SetSignal(1, kv::sim::SimSignal{1.0, 0.7, -1.5, false}); // low on the screen
    const std::uint16_t lv[2] = {100, 200};
    struct Case {
        std::uint8_t ch1Flag, ch2Flag;
    };
    for (const Case& c : {Case{0, 0}, Case{1, 0}, Case{0, 1}, Case{1, 1}}) {
        double timing[4] = {0.0, 100.0, 0.0, 0.0};
        std::vector<std::uint16_t> d1(500, 7), d2(500, 7);
        sdGetScrollData(0, settings.data(), lv, timing, 6, 6, ch1.data(), ch2.data(), d1.data(), d2.data(), 0,
                        c.ch1Flag, c.ch2Flag);
        timing[0] = 3.0;
        ASSERT_EQ(sdGetScrollData(0, settings.data(), lv, timing, 6, 6, ch1.data(), ch2.data(), d1.data(),
                                  d2.data(), 0, c.ch1Flag, c.ch2Flag),
                  1);
        ASSERT_NE(ch1[0], ch2[0]) << "the two inputs must differ for this check";
        EXPECT_EQ(d1[499], c.ch1Flag ? 411 : ch1[0]) << int(c.ch1Flag) << int(c.ch2Flag);
        EXPECT_EQ(d2[499], c.ch2Flag ? 311 : ch2[0]) << int(c.ch1Flag) << int(c.ch2Flag);
        EXPECT_EQ(d1[498], 7);
        EXPECT_EQ(d2[498], 7);
    }
}

// Alternate trigger keeps both channels (selector 2) from time base 11 on, and splits them
// (selector 0 for CH1's turn, 3 for CH2's) up to time base 10, on both turns.
TEST_F(SdInterfaceTest, AlternateTriggerSelectorAtTheTimeBaseBoundary) {
    struct Case {
        std::uint16_t timeBase;
        std::pair<int, int> first, second;
    };
    for (const Case& c : {Case{10, {0, 0}, {1, 3}}, Case{11, {0, 2}, {1, 2}}, Case{0, {0, 0}, {1, 3}},
                          Case{25, {0, 2}, {1, 2}}}) {
        kv::sdk::ResetSdState();
        settings = {0, 2, c.timeBase, 50, 1, 10, 1};
        std::vector<std::pair<int, int>> seen;
        for (int i = 0; i < 2; ++i) {
            inst().CaptureStart();
            inst().ArmTrigger();
            inst().ForceTrigger();
            Step(5);
            seen.emplace_back(settings[0], settings[1]);
        }
        EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{c.first, c.second})) << "time base " << c.timeBase;
    }
}

} // namespace
