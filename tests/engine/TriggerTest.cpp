#include "engine/Trigger.h"
#include "engine/SettingsCodes.h"

#include <gtest/gtest.h>

namespace {

TEST(Trigger, ConstructionClearsTheCalibrationBlockAndFillsTheLevelTables) {
    CTrigger t;
    for (int i = 0; i < CTrigger::kCalibrationBlockWords; ++i)
        EXPECT_EQ(t.GetCalibrationTable()[i], 0) << i;
    EXPECT_EQ(t.GetPulseWidth(), 2);
    EXPECT_EQ(t.GetPulseCondition(), 0);
    EXPECT_EQ(t.GetTriggerTypeWord(), 0);
    EXPECT_EQ(t.GetAutoIdleCounter(), 0);
    EXPECT_EQ(t.GetLevelPair(0, 0).high, 1341);
    EXPECT_EQ(t.GetLevelPair(0, 0).low, 1190);
    EXPECT_EQ(t.GetLevelPair(0, 3).high, 2762);
    EXPECT_EQ(t.GetLevelPair(1, 6).high, 2730);
    EXPECT_EQ(t.GetLevelPair(1, 9).low, 598);
    EXPECT_EQ(t.GetLevelPair(1, 10).high, 0);
    EXPECT_EQ(t.GetLevelPair(2, 0).high, 0);
    EXPECT_FLOAT_EQ(t.GetLevel(CTrigger::kLevelCh1), 128.0f);
    EXPECT_FLOAT_EQ(t.GetLevel(CTrigger::kLevelCh2), 384.0f);
    EXPECT_FLOAT_EQ(t.GetLevel(CTrigger::kLevelExt), 256.0f);
}

TEST(Trigger, SettersIgnoreValuesOutsideTheirRange) {
    CTrigger t;
    t.SetSource(kSourceExt10);
    t.SetSource(5);
    EXPECT_EQ(t.GetSource(), kSourceExt10);
    t.SetSource(-1);
    EXPECT_EQ(t.GetSource(), kSourceExt10);
    t.SetSweep(kSweepSingle);
    t.SetSweep(3);
    EXPECT_EQ(t.GetSweep(), kSweepSingle);
    t.SetSlope(kSlopeFalling);
    t.SetSlope(2);
    EXPECT_EQ(t.GetSlope(), kSlopeFalling);
    t.SetTriggerType(kTriggerPulse);
    EXPECT_EQ(t.GetTriggerTypeWord(), 1);
    t.SetTriggerType(2);
    EXPECT_EQ(t.GetTriggerType(), kTriggerPulse);
    EXPECT_EQ(t.GetTriggerTypeWord(), 1);
    t.SetPulseCondition(5);
    t.SetPulseCondition(6);
    EXPECT_EQ(t.GetPulseCondition(), 5);
    t.SetPulseWidth(1);
    EXPECT_EQ(t.GetPulseWidth(), 2);
    t.SetPulseWidth(2000000000);
    EXPECT_EQ(t.GetPulseWidth(), 2000000000);
    t.SetHfReject(1);
    EXPECT_EQ(t.IsHfReject(), 1);
}

TEST(Trigger, LevelsReadoutsAndMarkerWordsAreIndexedBySource) {
    CTrigger t;
    // Levels are in the position frame: 0 at the top edge.
    t.SetLevel(CTrigger::kLevelExt, 10.5f);
    t.SetLevelVolts(CTrigger::kLevelCh2, -1.25f);
    t.SetMarkerWord(CTrigger::kLevelCh1, 3);
    EXPECT_FLOAT_EQ(t.GetLevel(CTrigger::kLevelExt), 10.5f);
    EXPECT_FLOAT_EQ(t.GetLevelVolts(CTrigger::kLevelCh2), -1.25f);
    EXPECT_EQ(t.GetMarkerWord(CTrigger::kLevelCh1), 3);
    t.SetLevel(3, 1.0f);
    t.SetMarkerWord(-1, 9);
    EXPECT_FLOAT_EQ(t.GetLevel(3), 0.0f);
    EXPECT_EQ(t.GetMarkerWord(-1), 0);
    t.SetDragValue(-7.5f);
    EXPECT_FLOAT_EQ(t.GetDragValue(), -7.5f);
}

TEST(Trigger, ComputeLevelRangeScalesTheActiveChannelsPair) {
    CTrigger t;
    t.ComputeLevelRange(0, 9, 0);
    EXPECT_EQ(t.GetLevelRangeHigh(), 1409);
    EXPECT_EQ(t.GetLevelRangeLow(), 1250);
    EXPECT_EQ(t.GetCalibrationTable()[CTrigger::kLevelRangeHigh], 1409);

    t.ComputeLevelRange(0, 9, 1);
    EXPECT_EQ(t.GetLevelRangeHigh(), 2632 * 4096 / 3898);
    EXPECT_EQ(t.GetLevelRangeLow(), 598 * 4096 / 3898);

    t.ComputeLevelRange(0, 0, 3);
    EXPECT_EQ(t.GetLevelRangeHigh(), 3085);
    EXPECT_EQ(t.GetLevelRangeLow(), 497);

    t.ComputeLevelRange(0, 0, 0);
    t.ComputeLevelRange(5, 5, 2); // ALT: unchanged
    EXPECT_EQ(t.GetLevelRangeHigh(), 1409);
    t.ComputeLevelRange(10, 0, 0); // index outside the table: unchanged
    t.ComputeLevelRange(0, -1, 1);
    EXPECT_EQ(t.GetLevelRangeHigh(), 1409);
    EXPECT_EQ(t.GetLevelRangeLow(), 1250);
    t.ComputeLevelRange(0, 0, 4);
    EXPECT_EQ(t.GetLevelRangeHigh(), 3085);
    // The table entries before the range words are untouched.
    EXPECT_EQ(t.GetCalibrationTable()[39], 0);
}

} // namespace
