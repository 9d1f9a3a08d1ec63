#include "engine/TimeBaseLimits.h"

#include <cmath>

#include "engine/ScopeSettings.h"
#include "engine/SettingsCodes.h"
#include "timebase/TimeBaseTable.h"

namespace {

// Time-base step of `seconds` per division; -1 when the table lacks it.
int StepOf(double seconds) {
    for (int step = 0; step < kv::timebase::kSteps; ++step)
        if (std::fabs(kv::timebase::SecondsPerDivision(step) - seconds) < seconds * 1e-9)
            return step;
    return -1;
}

std::int16_t IndexOf(double seconds, std::int16_t indexOffset) {
    return static_cast<std::int16_t>(StepOf(seconds) - indexOffset);
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
    return TimeBaseLimits{IndexOf(fastest, indexOffset), IndexOf(0.4, indexOffset)};
}

std::int16_t TimeBaseIndexOf(const CScopeSettings& settings, double seconds) {
    for (std::int16_t i = 0; i < CScopeSettings::kTimeBaseSteps; ++i) {
        const double s = settings.TimeBaseSeconds(i);
        if (s > 0.0 && std::fabs(s - seconds) < seconds * 1e-9)
            return i;
    }
    return -1;
}
