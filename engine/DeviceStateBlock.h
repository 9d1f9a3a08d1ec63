#pragma once
// The six-word device state block that the instrument access keeps and hands to the
// instrument by pointer; trace processing and the sample-rate texts read it. Its word layout
// (kv::kStateActiveSource .. kv::kStateAltFlag, kv::kStateBlockWords) is the instrument
// library's, declared with its interface. Beside it, the words the document writes into the
// state and level blocks from its settings.
#include <algorithm>
#include <cstdint>

#include "engine/SettingsCodes.h"
#include "system/Narrow.h"
#include "zendral/Zendral.h"

// Level-block word of a position or trigger level in screen codes: truncated toward zero and
// kept within 0..511 (NaN as 0). Unclamped, a level dragged or loaded beyond the screen would
// reach the instrument outside the block's range.
inline std::int16_t LevelBlockWord(float value) {
    return static_cast<std::int16_t>(std::clamp(kv::TruncSat<int>(value), 0, kMaxLevelCode));
}

// Position word of the state block: horizontal position / 5, 0 for a negative position and
// 100 beyond the right edge.
inline std::int16_t PositionWord(std::int16_t horizontalPosition) {
    return static_cast<std::int16_t>(std::clamp(horizontalPosition / 5, 0, kMaxPositionWord));
}
