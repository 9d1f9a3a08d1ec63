#pragma once
// Labels that the 39 time/div commands (ids 32991..33029, in id order) pass to the view; the
// side panel's time/div list holds the same texts in time-base index order.
#include <array>

namespace kv::commands {

inline constexpr std::array<const char*, 39> kTimeDivLabels = {
    "2.00ns", "4.00ns", "10.0ns",  "20.0ns",  "40.0ns",  "100ns",   "200ns",   "400ns",   "1.00us", "2.00us",
    "4.00us", "10.0us", "20.0us",  "40.0us",  "100us",   "200us",   "400us",   "1.00ms",  "2.00ms", "4.00ms",
    "10.0ms", "20.0ms", "40.0ms",  "100ms",   "200ms",   "400ms",   "1.00s",   "2.00s",   "4.00s",  "10.0s",
    "20.0s",  "40.0s",  "1.00min", "2.00min", "4.00min", "10.0min", "20.0min", "40.0min", "1.00h"};

} // namespace kv::commands
