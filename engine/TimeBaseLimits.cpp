#include "engine/TimeBaseLimits.h"

#include <cmath>

#include "engine/ScopeSettings.h"
#include "engine/SettingsCodes.h"
#include "timebase/TimeBaseTable.h"

namespace {

// The steps the rules name.
constexpr int kStep40ns = kv::timebase::StepOf(4e-8);
constexpr int kStep40us = kv::timebase::StepOf(4e-5);
constexpr int kStep400us = kv::timebase::StepOf(4e-4);
constexpr int kStep400ms = kv::timebase::StepOf(0.4);
constexpr int kStep1s = kv::timebase::StepOf(1.0);
static_assert(kStep40ns >= 1 && kStep40us > kStep40ns && kStep400us > kStep40us, "steps in the table");
static_assert(kStep1s == kStep400ms + 1, "Roll begins at the step after the slowest Y-T time base");

std::int16_t IndexOf(double seconds, std::int16_t indexOffset) {
    return TimeBaseIndexOfStep(kv::timebase::StepOf(seconds), indexOffset);
}

} // namespace

bool IsBothChannelsOnChannelTrigger(std::int16_t channelMode, std::int16_t triggerSource) {
    return channelMode == kChannelModeBoth && triggerSource != kSourceAlt;
}

std::optional<TimeBaseLimits> RecordLengthTimeBaseLimits(std::int16_t mode, std::int16_t channelMode,
                                                         std::int16_t triggerSource,
                                                         std::int16_t indexOffset) {
    const bool both = IsBothChannelsOnChannelTrigger(channelMode, triggerSource);
    // Fastest seconds per division; every limited mode ends at 0.4 s/div, where Roll begins.
    double fastest = 0.0;
    switch (mode) {
    case kRecordLength10K:
        return TimeBaseLimits{0, static_cast<std::int16_t>(kv::timebase::kLastStep - indexOffset)};
    case kRecordLength14K:
    case kRecordLength32K:
        fastest = both ? 4e-5 : 2e-5;
        break;
    case kRecordLength28K:
    case kRecordLength64K:
        fastest = 4e-5;
        break;
    case kRecordLength512K:
        fastest = both ? 4e-4 : 2e-4;
        break;
    case kRecordLength1M:
        fastest = 4e-4;
        break;
    default:
        return std::nullopt;
    }
    return TimeBaseLimits{IndexOf(fastest, indexOffset), SlowestYtIndex(indexOffset)};
}

std::int16_t TimeBaseIndexOf(const CScopeSettings& settings, double seconds) {
    for (std::int16_t i = 0; i < CScopeSettings::kTimeBaseSteps; ++i) {
        const double s = settings.TimeBaseSeconds(i);
        if (s > 0.0 && std::fabs(s - seconds) < seconds * 1e-9)
            return i;
    }
    return -1;
}

std::int16_t TimeBaseIndexOfStep(int step, std::int16_t indexOffset) {
    if (step < indexOffset || step > kv::timebase::kLastStep)
        return -1;
    return static_cast<std::int16_t>(step - indexOffset);
}

std::int16_t SlowestYtIndex(std::int16_t indexOffset) {
    return TimeBaseIndexOfStep(kStep400ms, indexOffset);
}

std::int16_t RollThresholdIndex(std::int16_t indexOffset) {
    return TimeBaseIndexOfStep(kStep1s, indexOffset);
}

std::int16_t RollReturnIndex(std::int16_t indexOffset) {
    return TimeBaseIndexOfStep(kStep40us, indexOffset);
}

std::int16_t RecordLengthStartIndex(std::int16_t mode, std::int16_t indexOffset) {
    if (mode < 1 || mode > CScopeSettings::kMaxRecordLengthMode)
        return -1;
    return TimeBaseIndexOfStep(mode <= kRecordLength64K ? kStep40us : kStep400us, indexOffset);
}

std::int16_t SlowestInterpolationIndex(std::int16_t indexOffset) {
    return TimeBaseIndexOfStep(kStep40ns, indexOffset);
}
