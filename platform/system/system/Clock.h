#pragma once
// Local time and sleeping.
#include <cstdint>

namespace kv {

struct LocalTime {
    int year = 0, month = 0, day = 0, dayOfWeek = 0;
    int hour = 0, minute = 0, second = 0, milliseconds = 0;
};

LocalTime GetLocalTime();

void SleepMs(std::uint32_t ms);

} // namespace kv
