#include "engine/TimeBaseLimits.h"

#include <gtest/gtest.h>

#include "engine/ScopeSettings.h"

namespace {

// The ranges of the record lengths while running, in seconds per division: the fastest time
// base with both channels captured on a channel trigger, the fastest otherwise, the slowest.
struct Range {
    std::int16_t mode;
    double fastestBoth;
    double fastestOther;
    double slowest;
};
constexpr Range kRanges[] = {
    {1, 0.00004, 0.00002, 0.4}, // 14K
    {2, 0.00004, 0.00004, 0.4}, // 28K
    {3, 0.00004, 0.00002, 0.4}, // 32K
    {4, 0.00004, 0.00004, 0.4}, // 64K
    {5, 0.0004, 0.0002, 0.4},   // 512K
    {6, 0.0004, 0.0004, 0.4},   // 1M
};

// Time-base step (2 ns = 0 .. 1 h = 38) of the seconds per division above.
int StepOf(double seconds) {
    if (seconds == 0.00002)
        return 12;
    if (seconds == 0.00004)
        return 13;
    if (seconds == 0.0002)
        return 15;
    if (seconds == 0.0004)
        return 16;
    if (seconds == 0.4)
        return 25;
    ADD_FAILURE() << "no step typed for " << seconds;
    return -100;
}

constexpr std::int16_t kChannelModes[] = {0, 2, 3};  // CH1 only, both, CH2 only
constexpr std::int16_t kSources[] = {0, 1, 2, 3, 4}; // CH1, CH2, ALT, EXT, EXT/10

TEST(TimeBaseLimits, EveryRecordLengthChannelModeSourceAndIndexOffset) {
    for (std::int16_t offset = 0; offset <= 1; ++offset) {
        CScopeSettings settings;
        settings.SetIndexOffset(offset);
        for (const Range& r : kRanges) {
            for (std::int16_t channelMode : kChannelModes) {
                for (std::int16_t source : kSources) {
                    const bool both = channelMode == 2 && source != 2;
                    const double fastest = both ? r.fastestBoth : r.fastestOther;
                    const std::optional<TimeBaseLimits> limits =
                        RecordLengthTimeBaseLimits(r.mode, channelMode, source, offset);
                    const std::string where = "mode " + std::to_string(r.mode) + " channels " +
                                              std::to_string(channelMode) + " source " +
                                              std::to_string(source) + " offset " + std::to_string(offset);
                    ASSERT_TRUE(limits.has_value()) << where;
                    EXPECT_EQ(limits->lower, StepOf(fastest) - offset) << where;
                    EXPECT_EQ(limits->upper, StepOf(r.slowest) - offset) << where;
                    // The indexes name those time bases in the settings of that offset.
                    EXPECT_DOUBLE_EQ(settings.TimeBaseSeconds(limits->lower), fastest) << where;
                    EXPECT_DOUBLE_EQ(settings.TimeBaseSeconds(limits->upper), r.slowest) << where;
                    EXPECT_EQ(IsBothChannelsOnChannelTrigger(channelMode, source), both) << where;
                }
            }
        }
    }
}

TEST(TimeBaseLimits, TenKPointsAllowEveryTimeBaseAndOtherModesHaveNoAnswer) {
    for (std::int16_t channelMode : kChannelModes) {
        for (std::int16_t source : kSources) {
            // 2 ns .. 1 h on models 4 and 5, 4 ns .. 1 h (one index fewer) on the others.
            const std::optional<TimeBaseLimits> fast = RecordLengthTimeBaseLimits(0, channelMode, source, 0);
            ASSERT_TRUE(fast.has_value());
            EXPECT_EQ(fast->lower, 0);
            EXPECT_EQ(fast->upper, 38);
            const std::optional<TimeBaseLimits> other = RecordLengthTimeBaseLimits(0, channelMode, source, 1);
            ASSERT_TRUE(other.has_value());
            EXPECT_EQ(other->lower, 0);
            EXPECT_EQ(other->upper, 37);
            for (std::int16_t mode : {std::int16_t{-1}, std::int16_t{7}, std::int16_t{65}})
                EXPECT_FALSE(RecordLengthTimeBaseLimits(mode, channelMode, source, 0).has_value()) << mode;
        }
    }
}

TEST(TimeBaseLimits, ListPositionsOfTheLimitLabels) {
    // 14K with both channels on CH1: "40.0us" .. "400ms", list positions 13 .. 25 on model 4
    // and 12 .. 24 on the models whose list starts at "4.00ns".
    const std::optional<TimeBaseLimits> model4 = RecordLengthTimeBaseLimits(1, 2, 0, 0);
    ASSERT_TRUE(model4.has_value());
    EXPECT_EQ(model4->lower, 13);
    EXPECT_EQ(model4->upper, 25);
    const std::optional<TimeBaseLimits> model2 = RecordLengthTimeBaseLimits(1, 2, 0, 1);
    ASSERT_TRUE(model2.has_value());
    EXPECT_EQ(model2->lower, 12);
    EXPECT_EQ(model2->upper, 24);
    // 512K with ALT: "200us" at position 15 on model 4.
    const std::optional<TimeBaseLimits> alt = RecordLengthTimeBaseLimits(5, 2, 2, 0);
    ASSERT_TRUE(alt.has_value());
    EXPECT_EQ(alt->lower, 15);
    EXPECT_EQ(CScopeSettings::IndexOffsetOfModel(4), 0);
    EXPECT_EQ(CScopeSettings::IndexOffsetOfModel(5), 0);
    for (int model : {0, 1, 2, 3})
        EXPECT_EQ(CScopeSettings::IndexOffsetOfModel(model), 1) << model;
}

// The time bases the rules name, under both index offsets: the index names that time base in
// the settings of the offset, and the steps the offset's list lacks have no index.
TEST(TimeBaseLimits, NamedTimeBasesUnderEitherIndexOffset) {
    for (std::int16_t offset = 0; offset <= 1; ++offset) {
        SCOPED_TRACE("offset " + std::to_string(offset));
        CScopeSettings settings;
        settings.SetIndexOffset(offset);
        EXPECT_DOUBLE_EQ(settings.TimeBaseSeconds(SlowestInterpolationIndex(offset)), 4e-8);
        EXPECT_DOUBLE_EQ(settings.TimeBaseSeconds(RollReturnIndex(offset)), 4e-5);
        EXPECT_DOUBLE_EQ(settings.TimeBaseSeconds(SlowestYtIndex(offset)), 0.4);
        EXPECT_DOUBLE_EQ(settings.TimeBaseSeconds(RollThresholdIndex(offset)), 1.0);
        EXPECT_EQ(RollThresholdIndex(offset), SlowestYtIndex(offset) + 1);
        for (std::int16_t mode = 1; mode <= 6; ++mode)
            EXPECT_DOUBLE_EQ(settings.TimeBaseSeconds(RecordLengthStartIndex(mode, offset)),
                             mode <= 4 ? 4e-5 : 4e-4)
                << mode;
        for (std::int16_t mode : {std::int16_t{-1}, std::int16_t{0}, std::int16_t{7}})
            EXPECT_EQ(RecordLengthStartIndex(mode, offset), -1) << mode;
        for (int step = 0; step <= 38; ++step) {
            const std::int16_t index = TimeBaseIndexOfStep(step, offset);
            if (step < offset) {
                EXPECT_EQ(index, -1) << step;
                continue;
            }
            EXPECT_EQ(index, step - offset) << step;
            EXPECT_GT(settings.TimeBaseSeconds(index), 0.0) << step;
        }
        EXPECT_EQ(TimeBaseIndexOfStep(39, offset), -1);
        EXPECT_EQ(TimeBaseIndexOfStep(-1, offset), -1);
    }
    EXPECT_EQ(RollReturnIndex(0), 13);
    EXPECT_EQ(RollReturnIndex(1), 12);
    EXPECT_EQ(TimeBaseIndexOfStep(38, 1), 37);
}

} // namespace
