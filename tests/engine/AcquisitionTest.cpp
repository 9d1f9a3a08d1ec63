#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"

#include "FakeDocUi.h"
#include "SignalZendral.h"
#include "system/Clock.h"
#include "zendral/ZendralRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using Ords = std::vector<int>;

bool OnScreen(const CTrace& t) {
    const std::int16_t* s = t.GetScreenTrace();
    return std::all_of(s, s + CTrace::kScreenPoints, [](std::int16_t v) { return v >= 0 && v <= 511; });
}

class AcquisitionTest : public ::testing::Test {
protected:
    AcquisitionTest() {
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.SetIntervalClock([this] { return now; });
        doc.ApplySettingsToDevice(); // the device state block the processing reads
        fake->ClearCalls();
    }
    // The document's time-base setter keeps the device state block in step; its calls are dropped.
    void TimeBase(int index) {
        doc.SetTimeBaseIndex(static_cast<std::int16_t>(index));
        fake->ClearCalls();
    }
    int Count(int ordinal) const { return static_cast<int>(fake->CallsOf(ordinal).size()); }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i)
            doc.AcquireTick();
    }

    // CH1 a rising and CH2 a falling staircase, one step every 40 samples (SignalZendral.h).
    std::shared_ptr<SignalZendral> fake = std::make_shared<SignalZendral>();
    kv::ScopedZendral scope{fake};
    CKelvaneDoc doc;
    std::uint32_t now = 1000;
};

// ---- instrument, Y-T ---------------------------------------------------------------------------

TEST_F(AcquisitionTest, ReadyCaptureIsArmedPolledReadAndRestarted) {
    doc.AcquireTick();
    EXPECT_EQ(fake->Ordinals(), (Ords{7, 2, 16, 6}));
    EXPECT_EQ(doc.m_nRunStatus, 2);
    // The live window starts 120 samples into the record (3 steps): points 0 and 499 show steps
    // 3 and 252 of each channel's own staircase.
    EXPECT_EQ(doc.m_ch1.GetScreenTrace()[0], 53);
    EXPECT_EQ(doc.m_ch1.GetScreenTrace()[499], 302);
    EXPECT_EQ(doc.m_ch2.GetScreenTrace()[0], 457);
    EXPECT_EQ(doc.m_ch2.GetScreenTrace()[499], 208);
    // X-Y takes the same road.
    fake->ClearCalls();
    doc.m_settings.SetTimeBaseFormat(kFormatXY);
    doc.AcquireTick();
    EXPECT_EQ(fake->Ordinals(), (Ords{7, 2, 16, 6}));
}

TEST_F(AcquisitionTest, AutoSweepForcesOnTheFourthIdlePollThenShowsAutoThenTriggered) {
    fake->captureStates = {0, 0, 0, 0, 4, 4};
    Ticks(3);
    EXPECT_EQ(Count(1), 0);
    EXPECT_EQ(doc.m_trigger.GetAutoIdleCounter(), 3);
    doc.AcquireTick();
    EXPECT_EQ(Count(1), 1);
    EXPECT_EQ(doc.m_bAutoForced, 1);
    EXPECT_EQ(doc.m_nRunStatus, 3);
    EXPECT_EQ(doc.m_trigger.GetAutoIdleCounter(), 0);
    doc.AcquireTick();
    EXPECT_EQ(doc.m_nRunStatus, 3); // the forced capture shows AUTO
    EXPECT_EQ(doc.m_bAutoForced, 0);
    doc.AcquireTick();
    EXPECT_EQ(doc.m_nRunStatus, 2); // a real trigger shows Trig'D
}

TEST_F(AcquisitionTest, CapturingStateShowsTriggeredAndClearsIdleCounter) {
    fake->captureStates = {0, 0, 3};
    Ticks(3);
    EXPECT_EQ(doc.m_nRunStatus, 2);
    EXPECT_EQ(doc.m_trigger.GetAutoIdleCounter(), 0);
    EXPECT_EQ(Count(16), 0);
}

TEST_F(AcquisitionTest, NormalSweepShowsWaitFromTheSecondIdlePoll) {
    doc.m_trigger.SetSweep(kSweepNormal);
    fake->captureStates = {1, 1, 1, 4};
    doc.AcquireTick();
    EXPECT_EQ(doc.m_nRunStatus, 3); // unchanged
    doc.AcquireTick();
    EXPECT_EQ(doc.m_nRunStatus, 4);
    EXPECT_EQ(doc.m_nNormalWaitCounter, 5);
    doc.AcquireTick();
    EXPECT_EQ(doc.m_nRunStatus, 4);
    EXPECT_EQ(Count(1), 0); // Normal never forces
    doc.AcquireTick();
    EXPECT_EQ(doc.m_nRunStatus, 2);
    EXPECT_EQ(doc.m_nNormalWaitCounter, 0);
}

TEST_F(AcquisitionTest, SingleSweepProcessesTheFirstCaptureAndStops) {
    doc.m_trigger.SetSweep(kSweepSingle);
    fake->captureStates = {0, 4};
    doc.AcquireTick();
    EXPECT_EQ(doc.m_nRunStatus, 4);
    doc.AcquireTick();
    EXPECT_EQ(doc.m_bRunning, 0);
    EXPECT_EQ(doc.m_nRunStatus, 0);
    // The same tick re-renders the stopped record: its window is centred on sample k - 1 = 5119,
    // so bucket 125 starts one sample before the live one and holds steps 127 and 128.
    EXPECT_EQ(doc.m_ch1.GetScreenTrace()[250], 177);
    EXPECT_EQ(doc.m_ch1.GetScreenTrace()[251], 178);
    EXPECT_EQ(doc.m_ch2.GetScreenTrace()[250], 333);
    EXPECT_EQ(doc.m_ch2.GetScreenTrace()[251], 332);
    fake->ClearCalls();
    doc.AcquireTick(); // stopped: no more device calls, the last record is re-rendered
    EXPECT_TRUE(fake->Ordinals().empty());
    EXPECT_TRUE(OnScreen(doc.m_ch1));
}

TEST_F(AcquisitionTest, SingleSweepGoesThroughTheViewsRunStopCommand) {
    FakeDocUi ui;
    doc.SetUi(&ui);
    doc.m_trigger.SetSweep(kSweepSingle);
    doc.AcquireTick();
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"RunStop"}));
}

TEST_F(AcquisitionTest, AlternateSourceAlternatesChannelModeAtTenMicroseconds) {
    doc.m_trigger.SetSource(kSourceAlt);
    TimeBase(11); // 10 us/div
    std::vector<int> modes, sources;
    for (int i = 0; i < 4; ++i) {
        doc.AcquireTick();
        modes.push_back(doc.m_usb.GetStateWord(kv::kStateChannelMode));
        sources.push_back(doc.m_usb.GetStateWord(kv::kStateActiveSource));
    }
    EXPECT_EQ(modes, (std::vector<int>{0, 3, 0, 3}));
    EXPECT_EQ(sources, (std::vector<int>{0, 1, 0, 1}));
    TimeBase(12); // 20 us/div
    Ticks(2);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateChannelMode), 2);
}

TEST_F(AcquisitionTest, StoppedAcquisitionStillRendersEveryTickWithoutDeviceCalls) {
    doc.AcquireTick();
    doc.m_bRunning = 0;
    doc.m_settings.CacheTimeBase();
    fake->ClearCalls();
    TimeBase(12); // faster view of the stored record
    doc.AcquireTick();
    EXPECT_TRUE(fake->Ordinals().empty());
    EXPECT_TRUE(OnScreen(doc.m_ch1));
}

TEST_F(AcquisitionTest, AveragingTakesTheMeanOfTheFramesWithinTheTick) {
    doc.m_average.SetAcquireMode(CAverageBuffer::kModeAverage);
    doc.m_average.SetFramesWanted(4);
    // Each capture lifts CH1's staircase by 100 and CH2's by 50. Point 10 shows step 8 of the
    // record, where the staircase of eight steps starts again.
    fake->ch1 = [](int n, int i) { return static_cast<short>(100 * (n + 1) + (i / 40) % 8); };
    fake->ch2 = [](int n, int i) { return static_cast<short>(50 * (n + 1) + (i / 40) % 8); };
    const int expected1[] = {100, 150, 200, 250, 350};
    const int expected2[] = {50, 75, 100, 125, 175};
    for (int i = 0; i < 5; ++i) {
        doc.AcquireTick();
        EXPECT_EQ(doc.m_ch1.GetScreenTrace()[10], expected1[i]) << i;
        EXPECT_EQ(doc.m_ch2.GetScreenTrace()[10], expected2[i]) << i;
    }
    EXPECT_EQ(doc.m_average.GetFramesHeld(), 4);
}

TEST_F(AcquisitionTest, PersistenceKeepsTheLastFramesOfEveryTraceThatIsOn) {
    doc.SetPersistenceEnabled(1);
    doc.SetPersistenceDepth(3);
    doc.m_math.SetOn(1);
    Ticks(5);
    EXPECT_EQ(doc.GetPersistenceCount(0), 3);
    EXPECT_EQ(doc.GetPersistenceCount(1), 3);
    EXPECT_EQ(doc.GetPersistenceCount(2), 3);
    EXPECT_EQ(doc.GetPersistenceCount(3), 0); // REF off
}

TEST_F(AcquisitionTest, MeasurementsUpdateOnEverySixthProcessedFrameWhileRunning) {
    doc.m_measure.AddMeasurement(0);
    std::vector<int> countdowns;
    for (int i = 0; i < 7; ++i) {
        doc.AcquireTick();
        countdowns.push_back(doc.m_measure.GetCountdown());
    }
    EXPECT_EQ(countdowns, (std::vector<int>{5, 4, 3, 2, 1, 0, 5}));
    doc.m_bRunning = 0;
    doc.AcquireTick();
    EXPECT_EQ(doc.m_measure.GetCountdown(), 5);
}

TEST_F(AcquisitionTest, OutOfRangePositionsAndLevelsKeepTracesOnScreen) {
    doc.m_ch1.SetPosition(-1000.0f);
    doc.m_ch2.SetPosition(5000.0f);
    doc.m_trigger.SetLevel(CTrigger::kLevelCh1, 9999.0f);
    doc.m_math.SetOn(1);
    doc.m_ch1.SetInvert(1);
    for (std::int16_t h : {std::int16_t{-50}, std::int16_t{0}, std::int16_t{500}, std::int16_t{600}}) {
        doc.m_settings.SetHorizontalPosition(h);
        for (std::int16_t tb : {std::int16_t{0}, std::int16_t{4}, std::int16_t{13}}) {
            TimeBase(tb);
            Ticks(2);
            EXPECT_TRUE(OnScreen(doc.m_ch1)) << h << " " << tb;
            EXPECT_TRUE(OnScreen(doc.m_ch2)) << h << " " << tb;
            EXPECT_TRUE(OnScreen(doc.m_math)) << h << " " << tb;
        }
    }
}

// ---- Roll ----------------------------------------------------------------------------------------

TEST_F(AcquisitionTest, RollAtFourSecondsReadsEvery160MsTwoPointsPerChannel) {
    // Each Roll read delivers the newest points first in the record, a little higher each time.
    fake->ch1 = [](int n, int i) { return static_cast<short>(100 + 3 * n + i); };
    fake->ch2 = [](int n, int i) { return static_cast<short>(400 - 3 * n - i); };
    doc.m_settings.SetTimeBaseFormat(kFormatRoll);
    TimeBase(28); // 4 s/div
    doc.AcquireTick();
    EXPECT_EQ(fake->Ordinals(), (Ords{16, 1}));
    EXPECT_EQ(doc.m_nRunStatus, 1);
    EXPECT_EQ(doc.m_ch1.GetRollPointsHeld(), 2);
    EXPECT_EQ(doc.m_ch1.GetRollNewPoints(), 2);
    now += 159;
    doc.AcquireTick();
    EXPECT_EQ(Count(16), 1);
    EXPECT_EQ(doc.m_bRollNewPoints, 0);
    now += 1;
    doc.AcquireTick();
    EXPECT_EQ(Count(16), 2);
    EXPECT_EQ(doc.m_bRollNewPoints, 1);
    EXPECT_EQ(doc.m_ch2.GetRollPointsHeld(), 4);
    // The new points arrive at the right end, the earlier ones moved left by two.
    const std::int16_t* s1 = doc.m_ch1.GetScreenTrace();
    const std::int16_t* s2 = doc.m_ch2.GetScreenTrace();
    EXPECT_EQ(std::vector<int>(s1 + 496, s1 + 500), (std::vector<int>{100, 101, 103, 104}));
    EXPECT_EQ(std::vector<int>(s2 + 496, s2 + 500), (std::vector<int>{400, 399, 397, 396}));
    for (int i = 0; i < 300; ++i) {
        now += 160;
        doc.AcquireTick();
    }
    EXPECT_EQ(doc.m_ch1.GetRollPointsHeld(), 500);
}

// Roll pacing by time base: the read interval is 20 ms x the factor (1 for 1 s and 2 s, 8 for
// 4 s, the seconds per division otherwise) and each read brings 2, 1, 2 or 1 new points.
TEST_F(AcquisitionTest, RollPacingOfEveryRollTimeBase) {
    const struct {
        int index;
        std::uint32_t intervalMs;
        int points;
    } rows[] = {{26, 20, 2},    {27, 20, 1},    {28, 160, 2},  {29, 200, 1},  {30, 400, 1},
                {31, 800, 1},   {32, 1200, 1},  {33, 2400, 1}, {34, 4800, 1}, {35, 12000, 1},
                {36, 24000, 1}, {37, 48000, 1}, {38, 72000, 1}};
    doc.m_settings.SetTimeBaseFormat(kFormatRoll);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.index);
        TimeBase(row.index);
        now += 100000; // long after the last read
        doc.AcquireTick();
        ASSERT_EQ(Count(16), 1);
        EXPECT_EQ(doc.m_ch1.GetRollNewPoints(), row.points);
        EXPECT_EQ(doc.m_ch2.GetRollNewPoints(), row.points);
        const int held = doc.m_ch1.GetRollPointsHeld();
        now += row.intervalMs - 1;
        doc.AcquireTick();
        EXPECT_EQ(Count(16), 1); // one millisecond early
        EXPECT_EQ(doc.m_bRollNewPoints, 0);
        now += 1;
        doc.AcquireTick();
        EXPECT_EQ(Count(16), 2);
        EXPECT_EQ(doc.m_ch1.GetRollPointsHeld(), std::min(held + row.points, 500));
        fake->ClearCalls();
    }
}

TEST_F(AcquisitionTest, RollIntervalSurvivesAClockThatRestartsAtMidnight) {
    doc.m_settings.SetTimeBaseFormat(kFormatRoll);
    TimeBase(26); // 1 s/div: every 20 ms
    now = 86399990;
    doc.AcquireTick();
    ASSERT_EQ(Count(16), 1);
    now = 15; // 25 ms later, past midnight
    doc.AcquireTick();
    EXPECT_EQ(Count(16), 2);
    now = 30;
    doc.AcquireTick();
    EXPECT_EQ(Count(16), 2); // only 15 ms
    now = 35;
    doc.AcquireTick();
    EXPECT_EQ(Count(16), 3);
}

TEST_F(AcquisitionTest, RollIntervalIsExactAcrossTheClocksWordWrap) {
    doc.m_settings.SetTimeBaseFormat(kFormatRoll);
    TimeBase(28);
    now = 0xFFFFFFF0u;
    doc.AcquireTick();
    now = 0x50; // 96 ms later
    doc.AcquireTick();
    EXPECT_EQ(Count(16), 1);
    now = 0xA0; // 176 ms later
    doc.AcquireTick();
    EXPECT_EQ(Count(16), 2);
}

TEST_F(AcquisitionTest, DefaultClockIsMonotonicMilliseconds) {
    CKelvaneDoc fresh;
    const std::uint32_t a = fresh.GetMsOfDay();
    kv::SleepMs(5);
    const std::uint32_t b = fresh.GetMsOfDay();
    EXPECT_GE(b - a, 4u);
    EXPECT_LT(b - a, 5000u);
}

// ---- equivalent time -------------------------------------------------------------------------------

class AcquisitionEtsTest : public AcquisitionTest {
protected:
    AcquisitionEtsTest() {
        doc.m_settings.SetSamplingMode(kSamplingEts);
        TimeBase(3);
        std::fill_n(doc.m_ch1.GetWorkRecord(), 600, std::int16_t{200});
        std::fill_n(doc.m_ch2.GetWorkRecord(), 600, std::int16_t{210});
    }
};

TEST_F(AcquisitionEtsTest, AutoReadsAssemblesAndShowsTheWorkRecord) {
    doc.AcquireTick();
    EXPECT_EQ(fake->Ordinals(), (Ords{25, 22}));
    EXPECT_EQ(doc.m_ch1.GetScreenTrace()[0], 200);
    EXPECT_EQ(doc.m_ch2.GetScreenTrace()[499], 210);
    // Single sweep does not call the ETS read; stopped does nothing at all.
    fake->ClearCalls();
    doc.m_trigger.SetSweep(kSweepSingle);
    doc.AcquireTick();
    EXPECT_EQ(fake->Ordinals(), (Ords{22}));
    fake->ClearCalls();
    doc.m_bRunning = 0;
    doc.AcquireTick();
    EXPECT_TRUE(fake->Ordinals().empty());
}

TEST_F(AcquisitionEtsTest, NormalWithoutNewDataClearsBothScreenTracesToZero) {
    doc.m_trigger.SetSweep(kSweepNormal);
    fake->etsStatus = 2;
    std::fill_n(doc.m_ch1.GetScreenTrace(), 500, std::int16_t{77});
    std::fill_n(doc.m_ch2.GetScreenTrace(), 500, std::int16_t{88});
    doc.AcquireTick();
    EXPECT_EQ(fake->Ordinals(), (Ords{25}));
    for (const CTrace* t : {&doc.m_ch1, &doc.m_ch2}) {
        const std::int16_t* s = t->GetScreenTrace();
        EXPECT_TRUE(std::all_of(s, s + 500, [](std::int16_t v) { return v == 0; }));
    }
}

TEST_F(AcquisitionEtsTest, GroundedChannelShowsItsZeroLine) {
    doc.m_ch1.SetCoupling(kCouplingGnd);
    doc.m_ch1.SetPosition(128.6f);
    doc.AcquireTick();
    const std::int16_t* s = doc.m_ch1.GetScreenTrace();
    EXPECT_TRUE(std::all_of(s, s + 500, [](std::int16_t v) { return v == 383; }));
    EXPECT_EQ(doc.m_ch1.GetWorkRecord()[0], 383);
}

TEST_F(AcquisitionEtsTest, MeasurementsKeepTheirSixFrameCountdown) {
    doc.m_measure.AddMeasurement(0);
    std::vector<int> countdowns;
    for (int i = 0; i < 7; ++i) {
        doc.AcquireTick();
        countdowns.push_back(doc.m_measure.GetCountdown());
    }
    EXPECT_EQ(countdowns, (std::vector<int>{5, 4, 3, 2, 1, 0, 5}));
}

// ---- demo ------------------------------------------------------------------------------------------

class DemoAcquisitionTest : public AcquisitionTest {
protected:
    DemoAcquisitionTest() {
        doc.SetDemoMode(1);
        doc.m_demo.Seed(4);
    }
    void LevelOutside() { doc.m_trigger.SetLevel(CTrigger::kLevelCh1, 0.0f); } // far above CH1's sine
};

TEST_F(DemoAcquisitionTest, TickDrawsTheDemoSineWithoutTouchingTheInstrument) {
    doc.m_math.SetOn(1);
    Ticks(3);
    EXPECT_TRUE(fake->Ordinals().empty());
    EXPECT_EQ(doc.m_nRunStatus, 2);
    EXPECT_EQ(doc.m_demo.GetDemoFlag(), 1);
    const std::int16_t* s = doc.m_ch1.GetScreenTrace();
    const auto [lo, hi] = std::minmax_element(s, s + 500);
    EXPECT_GT(*hi - *lo, 100); // 4 V at 1 V/div: 128 codes peak to peak
    EXPECT_TRUE(OnScreen(doc.m_math));
}

TEST_F(DemoAcquisitionTest, AutoSweepForcesOnTheSixthIdleTest) {
    LevelOutside();
    Ticks(5);
    EXPECT_EQ(doc.m_trigger.GetAutoIdleCounter(), 5);
    EXPECT_EQ(doc.m_demo.IsForced(), 0);
    doc.AcquireTick();
    EXPECT_EQ(doc.m_demo.IsForced(), 1);
    EXPECT_EQ(doc.m_bAutoForced, 1);
    EXPECT_EQ(doc.m_nRunStatus, 3);
    std::fill_n(doc.m_ch1.GetRawRecord(), 10240, std::int16_t{-9});
    doc.AcquireTick();
    EXPECT_NE(doc.m_ch1.GetRawRecord()[5000], -9); // the forced test filled the records
    EXPECT_EQ(doc.m_nRunStatus, 3);
    EXPECT_EQ(doc.m_bAutoForced, 0);
}

TEST_F(DemoAcquisitionTest, NormalSweepWithLevelOutsideNeverFillsARecord) {
    LevelOutside();
    doc.m_trigger.SetSweep(kSweepNormal);
    std::fill_n(doc.m_ch1.GetRawRecord(), 10240, std::int16_t{-9});
    Ticks(20);
    EXPECT_EQ(doc.m_nRunStatus, 4);
    EXPECT_EQ(doc.m_ch1.GetRawRecord()[5000], -9);
}

TEST_F(DemoAcquisitionTest, SingleSweepStopsAfterTheFirstTrigger) {
    doc.m_trigger.SetSweep(kSweepSingle);
    doc.AcquireTick();
    EXPECT_EQ(doc.m_bRunning, 0);
    EXPECT_EQ(doc.m_nRunStatus, 0);
}

TEST_F(DemoAcquisitionTest, PretriggerWaitPausesPollingAndEndsAcrossMidnight) {
    TimeBase(25); // 400 ms/div: factor 80, wait 80 x 50 - 20 = 3980 ms
    now = 86399000;
    doc.AcquireTick();
    ASSERT_EQ(doc.m_bPretriggerWait, 1);
    EXPECT_EQ(doc.m_nRunStatus, 2);
    LevelOutside();
    doc.m_trigger.SetSweep(kSweepNormal);
    now = 86399500;
    doc.AcquireTick();
    EXPECT_EQ(doc.m_bPretriggerWait, 1);
    EXPECT_EQ(doc.m_nRunStatus, 2); // not polled while waiting
    now = 3000;                     // the clock restarted at midnight
    doc.AcquireTick();
    EXPECT_EQ(doc.m_bPretriggerWait, 0);
    doc.AcquireTick();
    EXPECT_EQ(doc.m_nRunStatus, 4); // polling again
}

// The pre-trigger wait of the demo road at every time base from 100 us to 400 ms/div: it lasts
// factor x (horizontal position / 5) - 20 ms (position 250: factor x 50 - 20).
TEST_F(DemoAcquisitionTest, PretriggerWaitOfEveryTimeBaseWithAFactor) {
    const struct {
        int index;
        int waitMs; // factor x 50 - 20, rounded up to whole milliseconds
    } rows[] = {{14, 0},  {15, 0},   {16, 0},   {17, 0},   {18, 5},    {19, 30},
                {20, 80}, {21, 180}, {22, 380}, {23, 980}, {24, 1980}, {25, 3980}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.index);
        TimeBase(row.index);
        doc.m_bPretriggerWait = 0;
        doc.AcquireTick(); // triggers on the demo sine and starts the wait
        ASSERT_EQ(doc.m_bPretriggerWait, row.waitMs > 0 ? 1 : 0);
        if (row.waitMs == 0)
            continue;
        const std::uint32_t start = now;
        now = start + static_cast<std::uint32_t>(row.waitMs) - 1;
        doc.PretriggerWaitCheck();
        EXPECT_EQ(doc.m_bPretriggerWait, 1);
        now = start + static_cast<std::uint32_t>(row.waitMs);
        doc.PretriggerWaitCheck();
        EXPECT_EQ(doc.m_bPretriggerWait, 0);
    }
    // 40 us/div and 1 s/div have no wait at all.
    for (int index : {13, 26}) {
        TimeBase(index);
        doc.AcquireTick();
        EXPECT_EQ(doc.m_bPretriggerWait, 0) << index;
    }
}

TEST_F(DemoAcquisitionTest, PretriggerWaitEndsAtOnceOnATimeBaseWithoutFactor) {
    TimeBase(25);
    doc.AcquireTick();
    ASSERT_EQ(doc.m_bPretriggerWait, 1);
    TimeBase(13); // 40 us/div has no wait factor
    doc.PretriggerWaitCheck();
    EXPECT_EQ(doc.m_bPretriggerWait, 0);
}

TEST_F(DemoAcquisitionTest, RollAppendsOnePointPerReadAtTheTimeBasesPace) {
    TimeBase(26);      // 1 s/div: factor 1 -> 20 ms
    doc.AcquireTick(); // Y-T tick first: the trigger test marks the channels valid
    doc.m_settings.SetTimeBaseFormat(kFormatRoll);
    const int held = doc.m_ch1.GetRollPointsHeld();
    now += 20;
    doc.AcquireTick();
    EXPECT_EQ(doc.m_bRollNewPoints, 1);
    EXPECT_EQ(doc.m_ch1.GetRollPointsHeld(), held + 1);
    now += 10;
    doc.AcquireTick();
    EXPECT_EQ(doc.m_bRollNewPoints, 0);
    EXPECT_EQ(doc.m_nRunStatus, 1);
    EXPECT_TRUE(fake->Ordinals().empty());
}

} // namespace
