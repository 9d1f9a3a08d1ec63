#pragma once
// Which time bases a record length allows while acquisition runs. The time/div commands, the
// start of acquisition, the Buffer Size items, the side panel, the knob and the channel-enable
// step all ask here; each keeps its own reaction (message, clamp, refusal) to an index outside
// the answer.
#include <cstdint>
#include <optional>

class CScopeSettings;

// Time-base indexes, both ends allowed.
struct TimeBaseLimits {
    std::int16_t lower; // fastest allowed index
    std::int16_t upper; // slowest allowed index
};

// True when the instrument captures both channels (state block channel mode 2) on a channel
// trigger (a source other than ALT): the deeper records then need slower time bases.
bool IsBothChannelsOnChannelTrigger(std::int16_t channelMode, std::int16_t triggerSource);

// The time bases that record-length mode `mode` (0..6: 10K, 14K, 28K, 32K, 64K, 512K, 1M points)
// allows while running, for the state block's channel mode and the trigger source, as indexes
// under `indexOffset` (index i names time-base step i + indexOffset). Mode 0 allows every time
// base; a mode outside 0..6 has no answer.
std::optional<TimeBaseLimits> RecordLengthTimeBaseLimits(std::int16_t mode, std::int16_t channelMode,
                                                         std::int16_t triggerSource,
                                                         std::int16_t indexOffset);

// Time-base index whose step is `seconds` per division under the settings' index offset; -1
// when no step has it.
std::int16_t TimeBaseIndexOf(const CScopeSettings& settings, double seconds);
