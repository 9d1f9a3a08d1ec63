#include "engine/ScopeSettings.h"
#include "engine/SettingsCodes.h"

#include <gtest/gtest.h>

namespace {

// Device state block: active source, channel mode, time base, position, record code, ALT flag.
struct State {
    std::int16_t words[kv::kStateBlockWords] = {0, 0, 0, 0, 0, 0};
    State(int source, int mode, int code) {
        words[kv::kStateActiveSource] = static_cast<std::int16_t>(source);
        words[kv::kStateChannelMode] = static_cast<std::int16_t>(mode);
        words[kv::kStateRecordLength] = static_cast<std::int16_t>(code);
    }
};

TEST(ScopeSettings, ConstructionGivesUsableCacheAndClearedEtsCalibration) {
    CScopeSettings s;
    // The stopped re-rendering divides by the cached value before the first stop.
    EXPECT_DOUBLE_EQ(s.GetCachedSecondsPerDiv(), 4e-5);
    EXPECT_EQ(s.GetCachedHorizontalPosition(), 250);
    EXPECT_EQ(s.GetEtsCalMax(), 0);
    EXPECT_EQ(s.GetEtsCalMin(), 0);
    EXPECT_EQ(s.GetEtsUpdate(), 0);
    EXPECT_EQ(s.GetEtsFlag(), 0);
    EXPECT_EQ(s.GetEtsTimerA(), 3950);
    EXPECT_EQ(s.GetEtsTimerB(), 2000);
    EXPECT_EQ(s.GetTdcMode(), 3);
    EXPECT_EQ(s.GetEtsCalValue(), 3950);
    EXPECT_EQ(s.GetEtsCalData()[0], 0);
    EXPECT_EQ(s.GetEtsCalData()[1], 0);
    EXPECT_EQ(s.GetEtsWord1(), 1);
    EXPECT_EQ(*s.GetEtsWord2(), 0);
    EXPECT_EQ(s.GetHorizontalPosition(), 250);
    EXPECT_EQ(s.GetTimeBaseFormat(), kFormatYT);
    EXPECT_EQ(s.GetRecordLengthMode(), kRecordLength10K);
    EXPECT_EQ(s.GetSamplingMode(), kSamplingRealTime);
}

TEST(ScopeSettings, TimeBaseIndexStopsAtLastStepOfTheTable) {
    CScopeSettings s;
    s.SetTimeBaseIndex(38);
    EXPECT_EQ(s.GetTimeBaseIndex(), 38);
    s.SetTimeBaseIndex(39);
    EXPECT_EQ(s.GetTimeBaseIndex(), 38);
    s.SetTimeBaseIndex(-1);
    EXPECT_EQ(s.GetTimeBaseIndex(), 38);

    // With offset 1 index 38 would name step 39 (0 s/div); it is refused like TimeBaseUp does.
    s.SetIndexOffset(1);
    s.SetTimeBaseIndex(12);
    s.SetTimeBaseIndex(38);
    EXPECT_EQ(s.GetTimeBaseIndex(), 12);
    s.SetTimeBaseIndex(37);
    EXPECT_EQ(s.GetTimeBaseIndex(), 37);
    EXPECT_GT(s.GetSecondsPerDiv(), 0.0);

    s.SetIndexOffset(2);
    EXPECT_EQ(s.GetIndexOffset(), 1);
}

TEST(ScopeSettings, FormatAndRecordLengthModeKeepOnlyValidValues) {
    CScopeSettings s;
    s.SetTimeBaseFormat(kFormatXY);
    s.SetTimeBaseFormat(3);
    EXPECT_EQ(s.GetTimeBaseFormat(), kFormatXY);
    s.SetTimeBaseFormat(-1);
    EXPECT_EQ(s.GetTimeBaseFormat(), kFormatXY);

    s.SetRecordLengthMode(kRecordLength1M);
    EXPECT_EQ(s.GetRecordLengthMode(), kRecordLength1M);
    s.SetRecordLengthMode(7);
    EXPECT_EQ(s.GetRecordLengthMode(), kRecordLength1M);
    // A stored 65535 reads back as -1 and must not be taken as a mode.
    s.SetRecordLengthMode(static_cast<std::int16_t>(0xFFFF));
    EXPECT_EQ(s.GetRecordLengthMode(), kRecordLength1M);
    s.SetRecordLengthMode(kRecordLength10K);
    EXPECT_EQ(s.GetRecordLengthMode(), kRecordLength10K);
}

TEST(ScopeSettings, SamplingModeDrivesTheEtsFlag) {
    CScopeSettings s;
    s.SetSamplingMode(kSamplingEts);
    EXPECT_EQ(s.GetEtsFlag(), 1);
    s.SetSamplingMode(2);
    EXPECT_EQ(s.GetSamplingMode(), 2);
    EXPECT_EQ(s.GetEtsFlag(), 0);
}

TEST(ScopeSettings, TimeBaseUpAndDownStopAtTheEnds) {
    CScopeSettings s;
    s.SetIndexOffset(1);
    s.SetTimeBaseIndex(37);
    s.TimeBaseUp();
    EXPECT_EQ(s.GetTimeBaseIndex(), 37);

    s.SetIndexOffset(0);
    s.TimeBaseUp();
    EXPECT_EQ(s.GetTimeBaseIndex(), 38);
    s.TimeBaseUp();
    EXPECT_EQ(s.GetTimeBaseIndex(), 38);

    s.SetTimeBaseIndex(1);
    s.TimeBaseDown();
    EXPECT_EQ(s.GetTimeBaseIndex(), 0);
    s.TimeBaseDown();
    EXPECT_EQ(s.GetTimeBaseIndex(), 0);
}

TEST(ScopeSettings, TimeBaseTableFollowsTheIndexOffset) {
    CScopeSettings s;
    EXPECT_DOUBLE_EQ(s.TimeBaseSeconds(0), 2e-9);
    EXPECT_DOUBLE_EQ(s.TimeBaseSeconds(13), 4e-5);
    EXPECT_DOUBLE_EQ(s.TimeBaseSeconds(26), 1.0);
    EXPECT_DOUBLE_EQ(s.TimeBaseSeconds(38), 3600.0);
    EXPECT_DOUBLE_EQ(s.TimeBaseSeconds(39), 0.0);
    EXPECT_DOUBLE_EQ(s.TimeBaseSeconds(-1), 0.0);
    for (int i = 1; i <= 38; ++i)
        EXPECT_GT(s.TimeBaseSeconds(static_cast<std::int16_t>(i)),
                  s.TimeBaseSeconds(static_cast<std::int16_t>(i - 1)));

    s.SetTimeBaseIndex(13);
    EXPECT_DOUBLE_EQ(s.GetSecondsPerDiv(), 4e-5);
    s.SetIndexOffset(1);
    s.SetTimeBaseIndex(12);
    EXPECT_DOUBLE_EQ(s.GetSecondsPerDiv(), 4e-5);
    EXPECT_DOUBLE_EQ(s.TimeBaseSeconds(0), 4e-9);
    EXPECT_DOUBLE_EQ(s.TimeBaseSeconds(38), 0.0);
}

TEST(ScopeSettings, CacheTimeBaseRemembersSecondsAndPosition) {
    CScopeSettings s;
    s.SetTimeBaseIndex(20);
    s.SetHorizontalPosition(400);
    s.CacheTimeBase();
    s.SetTimeBaseIndex(5);
    s.SetHorizontalPosition(10);
    EXPECT_DOUBLE_EQ(s.GetCachedSecondsPerDiv(), 0.01);
    EXPECT_EQ(s.GetCachedHorizontalPosition(), 400);
}

TEST(ScopeSettings, RealTimeSampleRateTexts) {
    CScopeSettings s;
    const State single(0, 0, 0), dual(0, 2, 0), dualAlt(2, 2, 0), code3(0, 0, 3), code5(0, 0, 5);
    EXPECT_EQ(s.SampleRateText(0, single.words), "");
    EXPECT_EQ(s.SampleRateText(5, single.words), "100MS/s");
    EXPECT_EQ(s.SampleRateText(5, dual.words), "50MS/s");
    EXPECT_EQ(s.SampleRateText(10, dualAlt.words), "100MS/s");
    EXPECT_EQ(s.SampleRateText(12, single.words), "50MS/s");
    EXPECT_EQ(s.SampleRateText(12, code3.words), "150MS/s");
    EXPECT_EQ(s.SampleRateText(13, code3.words), "50MS/s");
    EXPECT_EQ(s.SampleRateText(13, code5.words), "100MS/s");
    EXPECT_EQ(s.SampleRateText(19, code3.words), "750KS/s");
    EXPECT_EQ(s.SampleRateText(25, single.words), "2.5KS/s");
    EXPECT_EQ(s.SampleRateText(25, code5.words), "15KS/s");
    EXPECT_EQ(s.SampleRateText(26, single.words), "50S/s");
    EXPECT_EQ(s.SampleRateText(34, single.words), "0.21S/s");
    EXPECT_EQ(s.SampleRateText(38, single.words), "0.014S/s");
    EXPECT_EQ(s.SampleRateText(39, single.words), "0.00S/s");
    s.SetIndexOffset(1);
    EXPECT_EQ(s.SampleRateText(38, single.words), "0.00S/s");
    EXPECT_EQ(s.SampleRateText(12, single.words), "25MS/s");
}

TEST(ScopeSettings, EtsAndAltSampleRateTexts) {
    CScopeSettings s;
    const State single(0, 0, 0), dual(0, 2, 0), code3(0, 0, 3), code5(0, 0, 5), code1(0, 0, 1);
    EXPECT_EQ(s.SampleRateTextEts(0, single.words), "150MS/s");
    EXPECT_EQ(s.SampleRateTextEts(10, dual.words), "75MS/s");
    EXPECT_EQ(s.SampleRateTextEts(11, code5.words), "75MS/s");
    EXPECT_EQ(s.SampleRateTextEts(13, code3.words), "75MS/s");
    EXPECT_EQ(s.SampleRateTextEts(13, code5.words), "150MS/s");
    EXPECT_EQ(s.SampleRateTextEts(12, code3.words), "150MS/s");
    EXPECT_EQ(s.SampleRateTextEts(30, single.words), "2.5S/s");
    EXPECT_EQ(s.SampleRateTextAlt(7, single.words), "250MS/s");
    EXPECT_EQ(s.SampleRateTextAlt(3, dual.words), "125MS/s");
    EXPECT_EQ(s.SampleRateTextAlt(15, code5.words), "250MS/s");
    EXPECT_EQ(s.SampleRateTextAlt(16, code1.words), "250MS/s");
    EXPECT_EQ(s.SampleRateTextAlt(16, code5.words), "125MS/s");
    EXPECT_EQ(s.SampleRateTextAlt(25, single.words), "2.5KS/s");
    EXPECT_EQ(s.SampleRateTextAlt(39, single.words), "0.00S/s");

    s.SetSamplingMode(kSamplingEts);
    EXPECT_EQ(s.SampleRateTextEts(0, single.words), "50GS/s");
    EXPECT_EQ(s.SampleRateTextEts(6, dual.words), "500MS/s");
    EXPECT_EQ(s.SampleRateTextEts(7, single.words), "150MS/s");
    EXPECT_EQ(s.SampleRateTextAlt(4, single.words), "2.5GS/s");
    EXPECT_EQ(s.SampleRateText(0, single.words), "");
    // No state block reads as all zero words.
    EXPECT_EQ(s.SampleRateText(14, nullptr), "10MS/s");
}

} // namespace
