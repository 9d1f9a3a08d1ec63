#pragma once
// The scale labels of the side panel's lists, the time/div commands and the readouts: one text
// per time-base step and per volts/div step of each probe.
#include <array>
#include <cstdint>

namespace kv {

// Time/div labels of time-base steps 0..38 (2 ns .. 1 h per division), in step order. The side
// panel's time/div list of a model holds them from the model's first step on ("2.00ns" on
// models 4 and 5, "4.00ns" on the others); the 39 time/div commands (ids 32991..33029, in id
// order) pass them to the view.
inline constexpr std::array<const char*, 39> kTimeDivLabels = {
    "2.00ns", "4.00ns", "10.0ns",  "20.0ns",  "40.0ns",  "100ns",   "200ns",   "400ns",   "1.00us", "2.00us",
    "4.00us", "10.0us", "20.0us",  "40.0us",  "100us",   "200us",   "400us",   "1.00ms",  "2.00ms", "4.00ms",
    "10.0ms", "20.0ms", "40.0ms",  "100ms",   "200ms",   "400ms",   "1.00s",   "2.00s",   "4.00s",  "10.0s",
    "20.0s",  "40.0s",  "1.00min", "2.00min", "4.00min", "10.0min", "20.0min", "40.0min", "1.00h"};

// Volts/div labels across the probes: volts/div step k (0..9, 10 mV .. 10 V) at probe p (x1,
// x10, x100, x1000) is entry k + 3p.
inline constexpr std::array<const char*, 19> kVoltsPerDivLadder = {
    "10.0mV", "20.0mV", "50.0mV", "100mV", "200mV", "500mV",  "1.00V",  "2.00V",  "5.00V", "10.0V",
    "20.0V",  "50.0V",  "100V",   "200V",  "500V",  "1.00kV", "2.00kV", "5.00kV", "10.0kV"};

// The message of the side panel and the knob for a time base outside record-length mode 1..6's
// range; `both` is true with both channels captured on a channel trigger.
inline const char* RecordLengthRangeMessage(std::int16_t mode, bool both) {
    switch (mode) {
    case 1:
        return both ? "14K Points Mode Range:40.0us/div ~ 400ms/div"
                    : "14K Points Mode Range:20.0us/div ~ 400ms/div";
    case 2:
        return "28K Points Mode Range:40.0us/div ~ 400ms/div";
    case 3:
        return both ? "32K Points Mode Range:40.0us/div ~ 400ms/div"
                    : "32K Points Mode Range:20.0us/div ~ 400ms/div";
    case 4:
        return "64K Points Mode Range:40.0us/div ~ 400ms/div";
    case 5:
        return both ? "512K Points Mode Range:400us/div ~ 400ms/div"
                    : "512K Points Mode Range:200us/div ~ 400ms/div";
    default:
        return "1M Points Mode Range:400us/div ~ 400ms/div";
    }
}

} // namespace kv
