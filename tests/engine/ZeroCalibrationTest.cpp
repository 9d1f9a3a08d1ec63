#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"

#include "FakeDocUi.h"
#include "simulator/SimZendral.h"
#include "zendral/RecordingZendral.h"
#include "zendral/ZendralRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using Ords = std::vector<int>;
using kv::sim::SimSignal;
using kv::sim::SimZendral;

struct Steps {
    int large, medium, small, smallest, start;
};

Steps StepsOf(int e) {
    switch (e) {
    case 0:
        return {10, 5, 2, 1, 1550};
    case 1:
    case 4:
    case 7:
        return {20, 15, 5, 3, 1800};
    case 2:
    case 5:
    case 8:
        return {90, 70, 35, 10, 1800};
    default:
        return {130, 120, 100, 10, 3200};
    }
}

// Pairs of ordinal 9 for a table whose every entry is `entry`.
std::vector<short> PairsOf(int entry) {
    std::vector<short> pairs(2 * kv::kCalibrationPairs, 0);
    for (int i = 0; i < kv::kCalibrationEntries; ++i) {
        pairs[static_cast<std::size_t>(2 * i)] = static_cast<short>(entry >> 8);
        pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<short>(entry & 0xFF);
    }
    return pairs;
}

// Runs calibration steps as the timer pump does; returns the ticks taken (bounded).
int RunCalibration(CKelvaneDoc& doc, int maxTicks) {
    int ticks = 0;
    while (doc.IsCalibrating() && ticks < maxTicks) {
        doc.CalibrationStep();
        ++ticks;
    }
    return ticks;
}

class ZeroCalRecordingTest : public ::testing::Test {
protected:
    ZeroCalRecordingTest() {
        fake->calibrationPairs = PairsOf(500);
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.ApplySettingsToDevice();
        fake->ClearCalls();
    }
    std::shared_ptr<kv::RecordingZendral> fake = std::make_shared<kv::RecordingZendral>();
    kv::ScopedZendral scope{fake};
    CKelvaneDoc doc; // no view: the document setters run alone
};

} // namespace

// ---- start ----------------------------------------------------------------------------------------

TEST_F(ZeroCalRecordingTest, StartReadsTheTableAndPreparesCh1) {
    doc.m_ch2.SetOn(0);
    doc.m_settings.SetTimeBaseFormat(kFormatRoll);
    doc.SetCalibrationChannels(1, 1);
    EXPECT_EQ(doc.StartCalibration(), 1);
    EXPECT_EQ(doc.GetCalibrationState(), 0);
    EXPECT_TRUE(doc.IsCalibrating());
    EXPECT_EQ(doc.m_nCalibrationEntry, 0);
    EXPECT_EQ(doc.m_nCalibrationSubStep, 0);
    EXPECT_TRUE(doc.m_ch1.IsOn() && doc.m_ch2.IsOn());
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatYT);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 12);
    EXPECT_EQ(doc.m_trigger.GetSource(), kSourceCh1);
    EXPECT_EQ(doc.m_ch1.GetCoupling(), kCouplingAc);
    // The working copy holds the table and its two level-range words.
    for (int i = 0; i < kv::kCalibrationBlockWords; ++i)
        EXPECT_EQ(doc.m_calibrationWork[i], doc.m_trigger.GetCalibrationTable()[i]) << i;
    EXPECT_EQ(doc.m_calibrationWork[0], 500);
    EXPECT_NE(doc.m_calibrationWork[41], 0);
    // The saved states are those from before the defaults.
    EXPECT_EQ(doc.m_bCalSavedCh2On, 0);
}

// The calibration runs on the shortest record: a longer one is left in the settings and on the
// instrument alike.
TEST_F(ZeroCalRecordingTest, StartFallsBackToTheShortestRecord) {
    doc.ChooseRecordLength(3);
    fake->ClearCalls();
    doc.SetCalibrationChannels(1, 1);
    ASSERT_EQ(doc.StartCalibration(), 1);
    EXPECT_EQ(doc.m_settings.GetRecordLengthMode(), 0);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateRecordLength), 0);
    EXPECT_EQ(doc.m_ch1.GetRecordLength(), 10240);
    const auto rates = fake->CallsOf(3);
    ASSERT_FALSE(rates.empty());
    EXPECT_EQ(rates.front().blocks.at(0).at(kv::kStateRecordLength), 0);
}

TEST_F(ZeroCalRecordingTest, StartWithOnlyCh2TriggersOnCh2) {
    doc.SetCalibrationChannels(0, 1);
    FakeDocUi ui;
    doc.SetUi(&ui);
    EXPECT_EQ(doc.StartCalibration(), 1);
    EXPECT_EQ(doc.GetCalibrationState(), 1);
    EXPECT_EQ(doc.m_trigger.GetSource(), kSourceCh2);
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevel(CTrigger::kLevelCh2), doc.m_ch2.GetPosition());
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateActiveSource), 1);
    const std::vector<std::string> expected = {"FactorySetup", "Maximize", "SetTimeBase 12",
                                               "Combo 3 1",    "Markers",  "LevelReadout"};
    EXPECT_EQ(ui.calls, expected);
    doc.SetUi(nullptr);
}

TEST_F(ZeroCalRecordingTest, FailedTableReadEndsAtOnceAndWritesNothing) {
    fake->readCalibrationResult = 0;
    doc.SetCalibrationChannels(1, 1);
    EXPECT_EQ(doc.StartCalibration(), 0);
    EXPECT_EQ(doc.GetCalibrationState(), -1);
    EXPECT_FALSE(doc.IsCalibrating());
    doc.CalibrationStep();
    doc.StopCalibration();
    EXPECT_TRUE(fake->CallsOf(10).empty());
}

// ---- steps ------------------------------------------------------------------------------------------------

TEST_F(ZeroCalRecordingTest, BottomSearchSendsTheWorkingTableThenCapturesOnce) {
    doc.SetCalibrationChannels(1, 0);
    doc.StartCalibration();
    const std::int16_t rangeLow = doc.m_trigger.GetLevelRangeLow();
    const std::int16_t rangeHigh = doc.m_trigger.GetLevelRangeHigh();
    fake->sampleValue = 300;
    doc.CalibrationStep(); // sub-step 0: zero line at the bottom, first word at its start value
    EXPECT_FLOAT_EQ(doc.m_ch1.GetPosition(), 511.0f);
    EXPECT_EQ(doc.m_usb.GetLevelWord(kv::kLevelCh1Position), 511);
    EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 0);
    EXPECT_EQ(doc.m_calibrationWork[0], 1550);
    EXPECT_EQ(doc.m_nCalibrationSubStep, 1);
    fake->ClearCalls();
    doc.CalibrationStep(); // sub-step 1: one measurement
    EXPECT_EQ(fake->Ordinals(), (Ords{5, 6, 7, 1, 2, 16}));
    const kv::ZendralCall offset = fake->CallsOf(5).front();
    EXPECT_EQ(offset.args, (std::vector<long long>{0, 0, doc.m_ch2.GetVoltsPerDivIndex(), 0}));
    ASSERT_EQ(offset.blocks[1].size(), static_cast<std::size_t>(kv::kCalibrationBlockWords));
    EXPECT_EQ(offset.blocks[1][0], 1550);
    EXPECT_EQ(offset.blocks[1][1], 500);
    // The two level-range words of the copy taken at the start travel with the table.
    EXPECT_EQ(offset.blocks[1][40], rangeLow);
    EXPECT_EQ(offset.blocks[1][41], rangeHigh);
    EXPECT_EQ(doc.m_dCalibrationMean, 300.0);
    EXPECT_EQ(doc.m_calibrationWork[0], 1540); // mean 300: the large step
}

TEST_F(ZeroCalRecordingTest, BottomStepRulesFollowTheMean) {
    doc.SetCalibrationChannels(1, 0);
    doc.StartCalibration();
    doc.CalibrationStep();
    const struct {
        short mean;
        int before, after, subStep;
    } cases[] = {
        {61, 1550, 1540, 1}, {60, 1550, 1545, 1}, {31, 1550, 1545, 1}, {30, 1550, 1548, 1},
        {21, 1550, 1548, 1}, {20, 1550, 1549, 1}, {1, 1550, 1549, 1},  {0, 1550, 1550, 2},
        {61, 9, 4, 1},       {61, 0, 0, 2},       {25, 1, 0, 1},
    };
    for (const auto& c : cases) {
        doc.m_nCalibrationSubStep = 1;
        doc.m_calibrationWork[0] = static_cast<std::int16_t>(c.before);
        fake->sampleValue = c.mean;
        doc.CalibrationStep();
        EXPECT_EQ(doc.m_calibrationWork[0], c.after) << c.mean << " " << c.before;
        EXPECT_EQ(doc.m_nCalibrationSubStep, c.subStep) << c.mean << " " << c.before;
    }
}

TEST_F(ZeroCalRecordingTest, TopSearchStartsFromTheBottomWordAndStopsAboveTheLimit) {
    doc.SetCalibrationChannels(1, 0);
    doc.StartCalibration();
    doc.m_nCalibrationEntry = 3;
    doc.CalibrationStep(); // sub-step 0 at entry 3
    doc.m_calibrationWork[6] = 2000;
    doc.m_nCalibrationSubStep = 2;
    doc.CalibrationStep(); // sub-step 2
    EXPECT_FLOAT_EQ(doc.m_ch1.GetPosition(), 0.0f);
    EXPECT_EQ(doc.m_usb.GetLevelWord(kv::kLevelCh1Position), 0);
    EXPECT_EQ(doc.m_calibrationWork[7], 2000);
    const struct {
        short mean;
        int before, after, subStep;
    } cases[] = {
        {399, 2000, 2130, 3}, {400, 2000, 2120, 3}, {459, 2000, 2120, 3}, {460, 2000, 2100, 3},
        {481, 2000, 2100, 3}, {482, 2000, 2010, 3}, {510, 2000, 2010, 3}, {511, 2000, 2000, 4},
        {0, 4095, 4225, 3},   {0, 4096, 4096, 4},
    };
    for (const auto& c : cases) {
        doc.m_nCalibrationSubStep = 3;
        doc.m_calibrationWork[7] = static_cast<std::int16_t>(c.before);
        fake->sampleValue = c.mean;
        doc.CalibrationStep();
        EXPECT_EQ(doc.m_calibrationWork[7], c.after) << c.mean << " " << c.before;
        EXPECT_EQ(doc.m_nCalibrationSubStep, c.subStep) << c.mean << " " << c.before;
    }
    doc.CalibrationStep(); // sub-step 4: next entry
    EXPECT_EQ(doc.m_nCalibrationSubStep, 0);
    EXPECT_EQ(doc.m_nCalibrationEntry, 4);
}

TEST_F(ZeroCalRecordingTest, EveryStepIsCalibratedAndWrittenBackInBoundedTicks) {
    // A screen stuck at the bottom: each first word stops at once, each second word climbs by
    // its large step until it passes 4095.
    fake->sampleValue = 0;
    fake->calibrationPairs = PairsOf(777);
    doc.SetCalibrationChannels(1, 1);
    doc.StartCalibration();
    int bound = 0;
    for (int e = 0; e < 10; ++e)
        bound += 2 * (5 + (4096 - StepsOf(e).start) / StepsOf(e).large + 1);
    const int ticks = RunCalibration(doc, 100000);
    EXPECT_LE(ticks, bound + 2);
    EXPECT_EQ(doc.GetCalibrationState(), -1);
    EXPECT_EQ(doc.IsCalibrationWriteFailed(), 0);
    const std::int16_t* table = doc.m_trigger.GetCalibrationTable();
    for (int g : {0, 20}) {
        for (int e = 0; e < 10; ++e) {
            const Steps s = StepsOf(e);
            const int top = s.start + s.large * ((4095 - s.start) / s.large + 1);
            EXPECT_EQ(table[g + 2 * e], s.start) << g << " " << e;
            EXPECT_EQ(table[g + 2 * e + 1], top) << g << " " << e;
        }
    }
    // The table went to the instrument once, in (high, low) pairs.
    const auto writes = fake->CallsOf(10);
    ASSERT_EQ(writes.size(), 1u);
    const std::vector<short>& pairs = writes[0].blocks[0];
    for (int i = 0; i < kv::kCalibrationEntries; ++i) {
        EXPECT_EQ(pairs[static_cast<std::size_t>(2 * i)], table[i] >> 8);
        EXPECT_EQ(pairs[static_cast<std::size_t>(2 * i + 1)], table[i] & 0xFF);
    }
    // Afterwards the standard set-up is back.
    EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 6);
    EXPECT_EQ(doc.m_ch2.GetVoltsPerDivIndex(), 6);
    EXPECT_FLOAT_EQ(doc.m_ch2.GetPosition(), 384.0f);
    EXPECT_EQ(doc.m_trigger.GetSource(), kSourceCh1);
    EXPECT_EQ(doc.m_settings.GetHorizontalPosition(), 250);
}

TEST_F(ZeroCalRecordingTest, Ch1AloneLeavesCh2EntriesAsRead) {
    fake->sampleValue = 0;
    doc.SetCalibrationChannels(1, 0);
    doc.StartCalibration();
    RunCalibration(doc, 100000);
    const std::int16_t* table = doc.m_trigger.GetCalibrationTable();
    for (int i = 20; i < 40; ++i)
        EXPECT_EQ(table[i], 500) << i;
    EXPECT_EQ(table[0], 1550);
}

TEST_F(ZeroCalRecordingTest, FailedTableWriteIsReported) {
    fake->sampleValue = 0;
    fake->results[10] = 0;
    doc.SetCalibrationChannels(0, 1);
    doc.StartCalibration();
    RunCalibration(doc, 100000);
    EXPECT_EQ(doc.GetCalibrationState(), -1);
    EXPECT_EQ(fake->CallsOf(10).size(), 1u);
    EXPECT_EQ(doc.IsCalibrationWriteFailed(), 1);
    // The next start clears the report.
    fake->results.erase(10);
    doc.StartCalibration();
    EXPECT_EQ(doc.IsCalibrationWriteFailed(), 0);
}

TEST_F(ZeroCalRecordingTest, StopBeforeTheEndSendsTheUnchangedTableAndWritesNothing) {
    FakeDocUi ui;
    doc.SetUi(&ui);
    fake->sampleValue = 300;
    doc.m_ch2.SetOn(0);
    doc.SetCalibrationChannels(1, 1);
    doc.StartCalibration();
    std::vector<std::int16_t> before(doc.m_trigger.GetCalibrationTable(),
                                     doc.m_trigger.GetCalibrationTable() + kv::kCalibrationBlockWords);
    for (int i = 0; i < 5; ++i)
        doc.CalibrationStep();
    fake->ClearCalls();
    ui.calls.clear();
    EXPECT_EQ(doc.StopCalibration(), 1);
    EXPECT_EQ(doc.GetCalibrationState(), -1);
    EXPECT_TRUE(fake->CallsOf(10).empty());
    ASSERT_FALSE(fake->CallsOf(5).empty());
    EXPECT_EQ(fake->Ordinals().front(), 5);
    EXPECT_EQ(fake->CallsOf(5).front().blocks[1], before);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), doc.m_trigger.GetCalibrationTable()));
    // The saved on states come back and the window is restored.
    EXPECT_TRUE(doc.m_ch1.IsOn());
    EXPECT_FALSE(doc.m_ch2.IsOn());
    EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "ChannelControls 1 0"), ui.calls.end());
    EXPECT_EQ(ui.calls.back(), "Restore");
    doc.SetUi(nullptr);
}

// ---- convergence against the simulated instrument -------------------------------------------------------

namespace {

// The simulated instrument with a zero-offset DAC: the two table words of a channel's volts/div
// step set the DAC at the bottom and the top position, positions in between interpolate, and
// the zero line sits at (DAC - base) / gain screen codes.
class OffsetSimZendral : public SimZendral {
public:
    static int Base(int e) { return StepsOf(e).start - 150 - 7 * e; }
    static double Gain(int e) { return 1.0 + 0.1 * (e % 3); }

    int SetOffset(short device, short* levelBlock, short ch1VoltDiv, short ch2VoltDiv, short activeSource,
                  short* calibration) override {
        short levels[kv::kLevelBlockWords] = {};
        if (levelBlock)
            std::copy_n(levelBlock, kv::kLevelBlockWords, levels);
        if (calibration && levelBlock) {
            const short volts[2] = {ch1VoltDiv, ch2VoltDiv};
            for (int ch = 0; ch < 2; ++ch) {
                const int e = std::clamp<int>(volts[ch], 0, 9);
                const double bottom = calibration[20 * ch + 2 * e];
                const double top = calibration[20 * ch + 2 * e + 1];
                const double fraction = (511.0 - levelBlock[ch]) / 511.0;
                const double dac = bottom + (top - bottom) * fraction;
                const double code = std::clamp((dac - Base(e)) / Gain(e), 0.0, 511.0);
                levels[ch] = static_cast<short>(511 - static_cast<int>(code));
            }
        }
        return SimZendral::SetOffset(device, levels, ch1VoltDiv, ch2VoltDiv, activeSource, calibration);
    }
};

} // namespace

TEST(ZeroCalSimulated, SearchConvergesOnTheInstrumentsZeroLines) {
    auto sim = std::make_shared<OffsetSimZendral>();
    kv::ScopedZendral scope{sim};
    // Inputs shorted to ground during the calibration.
    sim->SetSignal(0, 0, SimSignal{0.0, 1000.0, 0.0, false});
    sim->SetSignal(0, 1, SimSignal{0.0, 1000.0, 0.0, false});
    CKelvaneDoc doc;
    doc.SetDefaultSettings();
    doc.AllocSampleBuffers();
    doc.ApplySettingsToDevice();
    doc.SetCalibrationChannels(1, 1);
    ASSERT_EQ(doc.StartCalibration(), 1);
    const int ticks = RunCalibration(doc, 20000);
    EXPECT_LT(ticks, 20000);
    EXPECT_EQ(doc.GetCalibrationState(), -1);
    const std::int16_t* table = doc.m_trigger.GetCalibrationTable();
    for (int g : {0, 20}) {
        for (int e = 0; e < 10; ++e) {
            const Steps s = StepsOf(e);
            const int bottom = table[g + 2 * e];
            const int top = table[g + 2 * e + 1];
            // The bottom word puts the zero line just off the bottom edge (below code 1)...
            EXPECT_LT(bottom, OffsetSimZendral::Base(e) + OffsetSimZendral::Gain(e)) << g << " " << e;
            EXPECT_GT(bottom, OffsetSimZendral::Base(e) - s.small) << g << " " << e;
            // ...and the top word onto the top edge, one step past the last word below it.
            const double topCode = (top - OffsetSimZendral::Base(e)) / OffsetSimZendral::Gain(e);
            EXPECT_GT(topCode, 510.0) << g << " " << e;
            EXPECT_LT(topCode, 511.0 + s.large / OffsetSimZendral::Gain(e)) << g << " " << e;
        }
    }
    // The instrument holds the calibrated table: a fresh read gives it back.
    std::int16_t reread[kv::kCalibrationBlockWords] = {};
    ASSERT_EQ(doc.m_usb.ReadCalibration(reread), 1);
    for (int i = 0; i < kv::kCalibrationEntries; ++i)
        EXPECT_EQ(reread[i], table[i]) << i;
}
