#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"

#include "zendral/RecordingZendral.h"
#include "zendral/ZendralRegistry.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using Ords = std::vector<int>;

// One calibration pass: TDC mode 2, three captures with a reading each.
const Ords kMeasure = {23, 6, 24, 6, 24, 6, 24};

class EtsCalibrationTest : public ::testing::Test {
protected:
    EtsCalibrationTest() {
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
    }
    // Runs one pass with three equal readings.
    int PassWith(int reading) {
        fake->tdcReadings = {reading, reading, reading};
        return doc.EtsCalibrationStep();
    }
    std::vector<long long> SentValues() const {
        std::vector<long long> out;
        for (const kv::ZendralCall& c : fake->CallsOf(26))
            out.push_back(c.args.at(1));
        return out;
    }
    std::vector<long long> SelectedModes() const {
        std::vector<long long> out;
        for (const kv::ZendralCall& c : fake->CallsOf(23))
            out.push_back(c.args.at(1));
        return out;
    }

    std::shared_ptr<kv::RecordingZendral> fake = std::make_shared<kv::RecordingZendral>();
    kv::ScopedZendral scope{fake};
    CKelvaneDoc doc;
};

// A counter whose reading follows the calibration value last sent: 1800 at value 3000, one
// count more for each count more. The calibration can only find 3000 if every pass starts
// from the value the previous one sent.
class TrackingZendral : public kv::RecordingZendral {
public:
    short sent = 3950;
    int SetTdcCalValue(short device, short value) override {
        sent = value;
        return RecordingZendral::SetTdcCalValue(device, value);
    }
    int ReadTdc(short device, int* value) override {
        RecordingZendral::ReadTdc(device, nullptr);
        if (value)
            *value = 1800 + (sent - 3000);
        return 1;
    }
};

TEST_F(EtsCalibrationTest, ConvergesWithinFourCountsOfTheTarget) {
    for (int reading : {1796, 1800, 1804}) {
        fake->ClearCalls();
        EXPECT_EQ(PassWith(reading), 1) << reading;
        Ords expected = kMeasure;
        expected.push_back(23); // no value sent once converged
        EXPECT_EQ(fake->Ordinals(), expected);
        EXPECT_EQ(doc.m_settings.GetEtsCalValue(), 3950);
    }
    // Real-time sampling: the counter goes back to mode 1; with ETS on to mode 3.
    EXPECT_EQ(SelectedModes(), (std::vector<long long>{2, 1}));
    EXPECT_EQ(doc.m_settings.GetTdcMode(), 1);
    doc.m_settings.SetSamplingMode(kSamplingEts);
    fake->ClearCalls();
    PassWith(1800);
    EXPECT_EQ(SelectedModes(), (std::vector<long long>{2, 3}));
    EXPECT_EQ(doc.m_settings.GetTdcMode(), 3);
}

TEST_F(EtsCalibrationTest, MovesHalfTheDistanceAndKeepsTheValue) {
    EXPECT_EQ(PassWith(1795), 0);
    EXPECT_EQ(doc.m_settings.GetEtsCalValue(), 3952);
    Ords expected = kMeasure;
    expected.insert(expected.end(), {26, 23});
    EXPECT_EQ(fake->Ordinals(), expected);
    // The next pass starts from the kept value, not from the one before.
    EXPECT_EQ(PassWith(1805), 0);
    EXPECT_EQ(doc.m_settings.GetEtsCalValue(), 3950);
    EXPECT_EQ(PassWith(1000), 0);
    EXPECT_EQ(doc.m_settings.GetEtsCalValue(), 3950); // 4350 is beyond 4095
    doc.m_settings.SetEtsCalValue(2000);
    PassWith(1000);
    PassWith(1400);
    EXPECT_EQ(SentValues(), (std::vector<long long>{3952, 3950, 3950, 2400, 2600}));
    EXPECT_EQ(doc.m_settings.GetEtsCalValue(), 2600);
    EXPECT_EQ(doc.m_settings.GetTdcMode(), 1);
}

TEST_F(EtsCalibrationTest, OutOfRangeValuesRestartFromTheDefault) {
    // Below 0 the value would be sent as a huge unsigned one.
    doc.m_settings.SetEtsCalValue(100);
    EXPECT_EQ(PassWith(5000), 0);
    EXPECT_EQ(doc.m_settings.GetEtsCalValue(), 3950);
    // Exactly 0 and 4095 are kept.
    doc.m_settings.SetEtsCalValue(100);
    PassWith(2000);
    EXPECT_EQ(doc.m_settings.GetEtsCalValue(), 0);
    doc.m_settings.SetEtsCalValue(4000);
    PassWith(1610);
    EXPECT_EQ(doc.m_settings.GetEtsCalValue(), 4095);
    // A median outside 0..9999 is implausible.
    doc.m_settings.SetEtsCalValue(1000);
    PassWith(10000);
    EXPECT_EQ(doc.m_settings.GetEtsCalValue(), 3950);
    doc.m_settings.SetEtsCalValue(1000);
    PassWith(-1);
    EXPECT_EQ(doc.m_settings.GetEtsCalValue(), 3950);
    doc.m_settings.SetEtsCalValue(1000);
    PassWith(9999);
    EXPECT_EQ(doc.m_settings.GetEtsCalValue(), 3950); // 1000 - 4099 is below 0
    EXPECT_EQ(SentValues(), (std::vector<long long>{3950, 0, 4095, 3950, 3950, 3950}));
}

TEST_F(EtsCalibrationTest, ANegativeStoredValueRestartsWithoutLookingAtTheReadings) {
    doc.m_settings.SetEtsCalValue(-1); // 65535 as an unsigned value
    EXPECT_EQ(PassWith(1800), 0);      // even a converged reading does not count
    EXPECT_EQ(doc.m_settings.GetEtsCalValue(), 3950);
    EXPECT_EQ(fake->Ordinals(), (Ords{23, 6, 24, 6, 24, 6, 24, 26, 23}));
    EXPECT_EQ(SentValues(), (std::vector<long long>{3950}));
    // Kept, so the next pass can converge.
    EXPECT_EQ(PassWith(1800), 1);
}

TEST_F(EtsCalibrationTest, TheMedianOfThreeReadingsCounts) {
    fake->tdcReadings = {100, 1801, 9000};
    EXPECT_EQ(doc.EtsCalibrationStep(), 1);
    fake->tdcReadings = {1790, 1700, 5000};
    EXPECT_EQ(doc.EtsCalibrationStep(), 0);
    EXPECT_EQ(doc.m_settings.GetEtsCalValue(), 3955);
}

TEST_F(EtsCalibrationTest, AFailedReadCountsAsZeroNotAsTheLastReading) {
    // One good reading, then two reads that fail and write nothing.
    fake->tdcReadings = {1800};
    EXPECT_EQ(doc.EtsCalibrationStep(), 0);
    EXPECT_EQ(doc.m_settings.GetEtsCalValue(), 3950); // 3950 + 900 is beyond 4095
    doc.m_settings.SetEtsCalValue(1000);
    fake->tdcReadings = {1800};
    doc.EtsCalibrationStep();
    EXPECT_EQ(doc.m_settings.GetEtsCalValue(), 1900);
}

TEST_F(EtsCalibrationTest, RepeatedPassesFindTheValueOfAFollowingCounter) {
    auto tracking = std::make_shared<TrackingZendral>();
    kv::ScopedZendral local{tracking};
    int passes = 0;
    while (passes < 202 && doc.EtsCalibrationStep() == 0)
        ++passes;
    EXPECT_LT(passes, 202);
    EXPECT_NEAR(doc.m_settings.GetEtsCalValue(), 3000, 4);
    EXPECT_EQ(doc.m_settings.GetEtsCalValue(), tracking->sent);
}

TEST_F(EtsCalibrationTest, TimerValuesOutsideTheCounterRangeFallBack) {
    struct Case {
        int a;
        int b;
        std::int16_t expectedA;
        std::int16_t expectedB;
    };
    for (const Case c : {Case{0, 4096, 3950, 2000}, Case{4096, 0, 3950, 2000}, Case{1, 4095, 1, 4095},
                         Case{-5, 70000, 3950, 2000}}) {
        fake->tdcReadings = {c.a, c.b};
        doc.ReadEtsValue();
        EXPECT_EQ(doc.m_settings.GetEtsTimerA(), c.expectedA) << c.a;
        EXPECT_EQ(doc.m_settings.GetEtsTimerB(), c.expectedB) << c.b;
        EXPECT_EQ(doc.m_settings.GetTdcMode(), 3);
    }
}

TEST_F(EtsCalibrationTest, SwitchingEtsOnReadsTheTimersAtTheProbeTimeBaseEvenInDemoMode) {
    doc.SetDemoMode(1);
    doc.m_settings.SetTimeBaseIndex(4);
    fake->tdcReadings = {3000, 1500};
    doc.SetEtsSampling();
    EXPECT_EQ(doc.m_settings.GetSamplingMode(), kSamplingEts);
    EXPECT_EQ(doc.m_settings.GetEtsFlag(), 1);
    EXPECT_EQ(doc.m_settings.GetEtsTimerA(), 3000);
    EXPECT_EQ(doc.m_settings.GetEtsTimerB(), 1500);
    const std::vector<kv::ZendralCall> t = fake->CallsOf(3);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].blocks[0][kv::kStateTimeBase], 12);
    EXPECT_EQ(t[1].blocks[0][kv::kStateTimeBase], 4);
    EXPECT_EQ(t[2].blocks[0][kv::kStateTimeBase], 4);
    EXPECT_EQ(t[2].args[2], 1); // ETS flag
    EXPECT_EQ(SelectedModes(), (std::vector<long long>{2, 1, 3}));
}

} // namespace
