#include "simulator/SimZendral.h"

#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "zendral/ZendralRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using kv::sim::SimSignal;
using kv::sim::SimZendral;

constexpr int kN = 10240;

// Sends what the program sends before a capture: trigger/sample rate, ranges, offsets.
void SendFrontEnd(SimZendral& z, std::vector<short> state, short v1, short v2, short c1, short c2,
                  std::vector<short> levels = {128, 384, 128, 384, 256}) {
    z.SetTriggerAndSampleRate(0, 0, 0, state.data(), 0, 0, 2);
    z.SetVoltageAndCoupling(0, v1, v2, c1, c2, state.data());
    z.SetOffset(0, levels.data(), v1, v2, state[0], nullptr);
}

std::vector<short> StateBlock(short source = 0, short timeBase = 13, short percent = 50) {
    return {source, 2, timeBase, percent, 0, 0};
}

TEST(SimZendral, OnlyListedIndexesAnswerTheSearch) {
    SimZendral z({0, 2});
    EXPECT_EQ(z.SearchDevice(0), 1);
    EXPECT_EQ(z.SearchDevice(1), 0);
    EXPECT_EQ(z.SearchDevice(2), 1);
    EXPECT_EQ(z.SearchDevice(3), 0);
    EXPECT_EQ(z.SearchDevice(-1), 0);
    kv::ScopedZendral scope(std::make_shared<SimZendral>(std::vector<int>{1, 3}));
    CUsbDevice usb;
    EXPECT_EQ(usb.ScanDevices(), 2);
    EXPECT_EQ(usb.IsPresent(1), 1);
    EXPECT_EQ(usb.IsPresent(0), 0);
    EXPECT_EQ(usb.GetAddress(3), 4);
}

TEST(SimZendral, CaptureStateWalksFromStartedThroughCapturingToReady) {
    SimZendral z;
    auto state = StateBlock();
    SendFrontEnd(z, state, 6, 6, 0, 0);
    int s = -1;
    z.CaptureStart(0);
    EXPECT_EQ(z.GetCaptureState(0, &s), 0); // started, not armed
    z.EnableTrigger(0);
    std::vector<int> walk;
    for (int i = 0; i < 4; ++i) {
        z.EnableTrigger(0);
        walk.push_back(z.GetCaptureState(0, &s));
    }
    EXPECT_EQ(walk, (std::vector<int>{1, 2, 4, 4}));
    EXPECT_EQ(s, 4);
}

TEST(SimZendral, LevelOutsideTheSignalWaitsUntilForced) {
    SimZendral z;
    auto state = StateBlock();
    SendFrontEnd(z, state, 6, 6, 0, 0, {128, 384, 0, 384, 256}); // CH1 level at the top edge
    z.CaptureStart(0);
    int s = 0;
    for (int i = 0; i < 10; ++i) {
        z.EnableTrigger(0);
        ASSERT_EQ(z.GetCaptureState(0, &s), 1);
    }
    z.ForceTrigger(0);
    EXPECT_EQ(z.GetCaptureState(0, &s), 4);
}

TEST(SimZendral, RecordFollowsVoltsPerDivCouplingAndPosition) {
    SimZendral z;
    z.SetSignal(0, 0, SimSignal{1.0, 1000.0, 0.5, false});
    auto state = StateBlock(0, 17); // 1 ms/div: ten periods in the record
    std::vector<short> ch1(kN, -1), ch2(kN, -1);
    auto span = [](const std::vector<short>& r) {
        const auto [lo, hi] = std::minmax_element(r.begin(), r.end());
        return std::make_pair(*lo, *hi);
    };
    // One division of the screen is 511 / 8 = 63.875 codes. 1 V peak at 1 V/div: one division
    // either side of zero line 383, above a DC offset of 0.5 V, half a division (31.9 codes).
    SendFrontEnd(z, state, 6, 6, 0, 0);
    ASSERT_EQ(z.GetChannelData(0, 6, 6, ch1.data(), ch2.data(), kN, state.data(), 4), 1);
    EXPECT_NEAR(span(ch1).first, 351, 1);  // 383 + 31.9 - 63.9
    EXPECT_NEAR(span(ch1).second, 479, 1); // 383 + 31.9 + 63.9
    // 500 mV/div doubles the amplitude in codes; AC coupling drops the offset.
    SendFrontEnd(z, state, 5, 6, 1, 0);
    z.GetChannelData(0, 5, 6, ch1.data(), ch2.data(), kN, state.data(), 4);
    EXPECT_NEAR(span(ch1).first, 255, 1);  // 383 - 127.75
    EXPECT_NEAR(span(ch1).second, 511, 1); // 383 + 127.75
    // GND: the flat zero line of the channel's position.
    SendFrontEnd(z, state, 6, 6, 2, 2, {200, 300, 128, 384, 256});
    z.GetChannelData(0, 6, 6, ch1.data(), ch2.data(), kN, state.data(), 4);
    EXPECT_EQ(span(ch1), std::make_pair(short{311}, short{311}));
    EXPECT_EQ(span(ch2), std::make_pair(short{211}, short{211}));
}

TEST(SimZendral, TriggerChannelCrossesItsLevelAtTheTriggerSampleWithTheSlope) {
    SimZendral z;
    for (short slope : {short{0}, short{1}}) {
        auto state = StateBlock(0, 20, 50); // 10 ms/div, trigger at sample 5120
        z.SetTriggerAndSampleRate(0, slope, 0, state.data(), 0, 0, 2);
        z.SetVoltageAndCoupling(0, 6, 6, 0, 0, state.data());
        std::vector<short> levels = {128, 384, 113, 384, 256}; // level code 398: 15 codes above zero
        z.SetOffset(0, levels.data(), 6, 6, 0, nullptr);
        std::vector<short> ch1(kN), ch2(kN);
        z.GetChannelData(0, 6, 6, ch1.data(), ch2.data(), kN, state.data(), 4);
        EXPECT_NEAR(ch1[5120], 398, 1) << slope;
        if (slope == 0)
            EXPECT_GT(ch1[5150], ch1[5090]);
        else
            EXPECT_LT(ch1[5150], ch1[5090]);
    }
}

TEST(SimZendral, RecordNeverExceedsTheCallersCapacity) {
    SimZendral z;
    auto state = StateBlock();
    state[4] = 5; // 524288-sample record
    std::vector<short> ch1(1000 + 8, -3), ch2(1000 + 8, -3);
    z.GetChannelData(0, 6, 6, ch1.data(), ch2.data(), 1000, state.data(), 4);
    EXPECT_NE(ch1[999], -3);
    EXPECT_EQ(ch1[1000], -3);
    EXPECT_EQ(ch2[1000], -3);
}

TEST(SimZendral, UnpluggedDeviceAnswersNothingAndComesBack) {
    SimZendral z;
    z.SetAnswering(0, false);
    std::vector<short> ch1(kN, -3), ch2(kN, -3);
    auto state = StateBlock();
    int s = 77;
    EXPECT_EQ(z.SearchDevice(0), 0);
    EXPECT_EQ(z.GetCaptureState(0, &s), 0);
    EXPECT_EQ(s, 77);
    EXPECT_EQ(z.GetChannelData(0, 6, 6, ch1.data(), ch2.data(), kN, state.data(), 4), 0);
    EXPECT_EQ(ch1[0], -3);
    std::vector<short> pairs(256, -3);
    EXPECT_EQ(z.ReadCalibration(0, pairs.data(), 80), 0);
    EXPECT_EQ(pairs[0], -3);
    z.SetAnswering(0, true);
    EXPECT_EQ(z.SearchDevice(0), 1);
    EXPECT_EQ(z.GetChannelData(0, 6, 6, ch1.data(), ch2.data(), kN, state.data(), 4), 1);
}

TEST(SimZendral, TablesRoundTripThroughTheInstrumentAccess) {
    kv::ScopedZendral scope(std::make_shared<SimZendral>());
    CUsbDevice usb;
    std::int16_t table[kv::kCalibrationBlockWords] = {};
    ASSERT_EQ(usb.ReadCalibration(table), 1);
    EXPECT_EQ(table[0], 500);
    std::uint16_t written[40];
    for (int i = 0; i < 40; ++i)
        written[i] = static_cast<std::uint16_t>(1000 + i);
    ASSERT_EQ(usb.WriteCalibration(written), 1);
    ASSERT_EQ(usb.ReadCalibration(table), 1);
    EXPECT_EQ(table[39], 1039);
    usb.GetAdjustmentWords()[2] = 0x1FE;
    usb.WriteLineCalData();
    usb.GetAdjustmentWords()[2] = 0;
    ASSERT_EQ(usb.ReadLineCalData(), 1);
    EXPECT_EQ(usb.GetAdjustmentWords()[2], 0x1FE);
    std::int32_t tdc = 0;
    usb.SelectTdc(2);
    usb.ReadTdc(&tdc);
    EXPECT_GE(tdc, 1);
    EXPECT_LE(tdc, 4095);
}

TEST(SimZendral, EnvironmentSelectsTheSimulatorForTheProgram) {
    kv::ScopedZendral restore(nullptr);
    ::setenv("SCOPE_SIMULATOR", "0,2", 1);
    EXPECT_TRUE(kv::InstallSimulatorFromEnvironment());
    EXPECT_EQ(kv::CurrentZendral().SearchDevice(0), 1);
    EXPECT_EQ(kv::CurrentZendral().SearchDevice(1), 0);
    EXPECT_EQ(kv::CurrentZendral().SearchDevice(2), 1);
    ::setenv("SCOPE_SIMULATOR", "1", 1);
    EXPECT_TRUE(kv::InstallSimulatorFromEnvironment());
    EXPECT_EQ(kv::CurrentZendral().SearchDevice(0), 1);
    ::unsetenv("SCOPE_SIMULATOR");
    EXPECT_FALSE(kv::InstallSimulatorFromEnvironment());
    EXPECT_EQ(kv::CurrentZendral().SearchDevice(0), 0);
}

// ---- the acquisition tick against the simulated instrument ------------------------------------

class SimulatedAcquisitionTest : public ::testing::Test {
protected:
    SimulatedAcquisitionTest() {
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.m_ch1.SetCoupling(kCouplingDc);
        sim->SetSignal(0, 0, SimSignal{1.0, 25000.0, 0.0, false}); // ten periods on screen at 40 us/div
        doc.ApplySettingsToDevice();
    }
    std::shared_ptr<SimZendral> sim = std::make_shared<SimZendral>();
    kv::ScopedZendral scope{sim};
    CKelvaneDoc doc;
};

TEST_F(SimulatedAcquisitionTest, AutoSweepCapturesTheSignalAndMeasuresIt) {
    doc.m_measure.AddMeasurement(0); // CH1 Vpp
    std::vector<int> statuses;
    for (int i = 0; i < 12; ++i) { // measurements refresh on every sixth processed frame
        doc.AcquireTick();
        statuses.push_back(doc.m_nRunStatus);
    }
    EXPECT_EQ(statuses.back(), 2);
    EXPECT_GE(sim->ReadsServed(0), 1);
    const std::int16_t* s = doc.m_ch1.GetScreenTrace();
    const auto [lo, hi] = std::minmax_element(s, s + 500);
    EXPECT_NEAR(*hi - *lo, 128, 1); // 1 V peak at 1 V/div: one division (63.9 codes) each way
    EXPECT_STREQ(doc.m_measure.GetText(0).GetString(), "CH1:Vpp = 2.00V");
}

TEST_F(SimulatedAcquisitionTest, AutoSweepForcesWhenTheLevelIsOutsideAndNormalWaits) {
    doc.m_trigger.SetLevel(CTrigger::kLevelCh1, 0.0f);
    doc.ApplySettingsToDevice();
    std::vector<int> statuses;
    for (int i = 0; i < 8; ++i) {
        doc.AcquireTick();
        statuses.push_back(doc.m_nRunStatus);
    }
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), 3), statuses.end());
    EXPECT_GE(sim->ReadsServed(0), 1);
    doc.m_trigger.SetSweep(kSweepNormal);
    const int reads = sim->ReadsServed(0);
    for (int i = 0; i < 6; ++i)
        doc.AcquireTick();
    EXPECT_EQ(doc.m_nRunStatus, 4);
    EXPECT_LE(sim->ReadsServed(0) - reads, 1); // at most the capture already under way
}

TEST_F(SimulatedAcquisitionTest, SingleSweepAndRollAgainstTheSimulator) {
    doc.m_trigger.SetSweep(kSweepSingle);
    for (int i = 0; i < 6 && doc.m_bRunning; ++i)
        doc.AcquireTick();
    EXPECT_EQ(doc.m_bRunning, 0);
    doc.m_bRunning = 1;
    doc.m_trigger.SetSweep(kSweepAuto);
    doc.m_settings.SetTimeBaseFormat(kFormatRoll);
    doc.SetTimeBaseIndex(26);
    sim->SetSignal(0, 0, SimSignal{1.0, 0.3, 0.0, false});
    std::uint32_t now = 0;
    doc.SetIntervalClock([&now] { return now; });
    for (int i = 0; i < 50; ++i) {
        now += 20;
        doc.AcquireTick();
    }
    EXPECT_EQ(doc.m_nRunStatus, 1);
    EXPECT_EQ(doc.m_ch1.GetRollPointsHeld(), 100);
    const std::int16_t* s = doc.m_ch1.GetScreenTrace();
    const auto [lo, hi] = std::minmax_element(s + 400, s + 500);
    EXPECT_GT(*hi - *lo, 10); // a moving signal, not a flat line
}

TEST_F(SimulatedAcquisitionTest, InstrumentThatStopsAnsweringMidCaptureNeitherCrashesNorHangs) {
    doc.m_trigger.SetSweep(kSweepAuto);
    doc.AcquireTick();
    doc.AcquireTick();
    sim->SetAnswering(0, false);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 200; ++i)
        doc.AcquireTick();
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count();
    EXPECT_LT(ms, 2000); // 200 ticks, each one bounded poll
    EXPECT_EQ(doc.m_usb.IsDevicePresent(), 0);
    for (auto sweep : {std::int16_t{1}, std::int16_t{2}}) {
        doc.m_trigger.SetSweep(sweep);
        for (int i = 0; i < 20; ++i)
            doc.AcquireTick();
    }
    EXPECT_EQ(doc.m_nRunStatus, 4);
    sim->SetAnswering(0, true);
    doc.m_trigger.SetSweep(kSweepAuto);
    doc.ApplySettingsToDevice();
    const int reads = sim->ReadsServed(0);
    for (int i = 0; i < 6; ++i)
        doc.AcquireTick();
    EXPECT_GT(sim->ReadsServed(0), reads);
}

// Mean spacing of the rising crossings of a screen trace's middle level, in screen points.
double ScreenPeriod(const std::int16_t* s, int n) {
    const auto [lo, hi] = std::minmax_element(s, s + n);
    const double mid = (*lo + *hi) / 2.0;
    std::vector<double> at;
    for (int k = 0; k + 1 < n; ++k)
        if (s[k] < mid && s[k + 1] >= mid)
            at.push_back(k + (mid - s[k]) / (s[k + 1] - s[k]));
    return at.size() < 2 ? 0.0 : (at.back() - at.front()) / static_cast<double>(at.size() - 1);
}

TEST_F(SimulatedAcquisitionTest, ScreenTraceShowsTheSignalsPeriodAtTheFastTimeBases) {
    // Four periods of CH1's sine across the ten divisions: 125 screen points a period at every
    // time base, with both channels on and with CH1 alone.
    static const double kSecondsPerDiv[14] = {2e-9, 4e-9, 1e-8, 2e-8, 4e-8, 1e-7, 2e-7,
                                              4e-7, 1e-6, 2e-6, 4e-6, 1e-5, 2e-5, 4e-5};
    for (const bool both : {true, false}) {
        doc.m_ch2.SetOn(both ? 1 : 0);
        doc.ApplyChannelEnable();
        for (std::int16_t t = 4; t <= 13; ++t) {
            SCOPED_TRACE(testing::Message()
                         << "time base " << t << (both ? ", both channels" : ", CH1 alone"));
            sim->SetSignal(0, 0, SimSignal{1.0, 4.0 / (10.0 * kSecondsPerDiv[t]), 0.0, false});
            doc.SetTimeBaseIndex(t);
            for (int i = 0; i < 4; ++i)
                doc.AcquireTick();
            EXPECT_NEAR(ScreenPeriod(doc.m_ch1.GetScreenTrace(), 500), 125.0, 1.5);
        }
    }
}

TEST_F(SimulatedAcquisitionTest, EtsRoadAgainstTheSimulator) {
    doc.m_settings.SetSamplingMode(kSamplingEts);
    doc.SetTimeBaseIndex(3);
    doc.m_settings.SetSamplingMode(kSamplingEts);
    doc.AcquireTick();
    const std::int16_t* s = doc.m_ch1.GetScreenTrace();
    const auto [lo, hi] = std::minmax_element(s, s + 500);
    EXPECT_GT(*hi - *lo, 0);
    doc.m_trigger.SetSweep(kSweepNormal);
    doc.m_trigger.SetLevel(CTrigger::kLevelCh1, 0.0f);
    doc.ApplySettingsToDevice();
    doc.m_settings.SetSamplingMode(kSamplingEts);
    doc.AcquireTick();
    EXPECT_TRUE(std::all_of(s, s + 500, [](std::int16_t v) { return v == 0; }));
}

} // namespace
