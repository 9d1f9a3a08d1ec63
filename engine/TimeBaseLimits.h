#pragma once
// Which time bases a record length allows while acquisition runs, and the other time bases the
// rules are keyed on (the Roll threshold, where leaving Roll lands, ...), as time-base indexes.
// The time/div commands, the start of acquisition, the Buffer Size items, the format changes,
// the side panel, the knob and the channel-enable step all ask here; each keeps its own
// reaction (message, clamp, refusal) to an index outside the answer.
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

// --- The time bases the view's rules are keyed on ---------------------------------------------
// Each answer is a time-base index under `indexOffset` (the model's: index i names step
// i + indexOffset), which is also the entry of the model's time/div list that shows the time
// base: the list holds the labels of the steps from indexOffset on, in step order.

// Index of step `step` (0..38; the time/div command of that step); -1 when the model's list
// lacks the step (2 ns under index offset 1) or the table has no such step.
std::int16_t TimeBaseIndexOfStep(int step, std::int16_t indexOffset);
// 400 ms/div: the slowest time base shown in Y-T and the slowest a deep record length allows;
// where the pass/fail test holds a slower choice.
std::int16_t SlowestYtIndex(std::int16_t indexOffset);
// 1 s/div, the Roll threshold: this time base and every slower one run in Roll format.
std::int16_t RollThresholdIndex(std::int16_t indexOffset);
// 40 us/div: where leaving Roll for Y-T or X-Y puts the time base.
std::int16_t RollReturnIndex(std::int16_t indexOffset);
// Where the start of acquisition puts a time base outside the range of record-length mode
// `mode`: 40 us/div for 14K..64K (modes 1..4), 400 us/div for 512K and 1M (5, 6); -1 for
// other modes.
std::int16_t RecordLengthStartIndex(std::int16_t mode, std::int16_t indexOffset);
// 40 ns/div: the slowest time base that offers interpolation.
std::int16_t SlowestInterpolationIndex(std::int16_t indexOffset);
