#pragma once
// Local time, milliseconds since midnight and sleeping.
#include <cstdint>

namespace kv {

struct LocalTime {
    int year = 0, month = 0, day = 0, dayOfWeek = 0;
    int hour = 0, minute = 0, second = 0, milliseconds = 0;
};

LocalTime GetLocalTime();

// Milliseconds since local midnight, 0..86399999.
std::uint32_t MillisecondsSinceMidnight();

// Milliseconds elapsed from `start` to `now`, both taken from MillisecondsSinceMidnight();
// a wait that spans midnight still sees a small positive difference.
std::uint32_t ElapsedSinceMidnightMs(std::uint32_t start, std::uint32_t now);

void SleepMs(std::uint32_t ms);

} // namespace kv
