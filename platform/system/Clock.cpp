#include "system/Clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace kv {

LocalTime GetLocalTime() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    LocalTime lt;
    lt.year = tm.tm_year + 1900;
    lt.month = tm.tm_mon + 1;
    lt.day = tm.tm_mday;
    lt.dayOfWeek = tm.tm_wday;
    lt.hour = tm.tm_hour;
    lt.minute = tm.tm_min;
    lt.second = tm.tm_sec;
    lt.milliseconds = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return lt;
}

std::uint32_t MillisecondsSinceMidnight() {
    const LocalTime t = GetLocalTime();
    return static_cast<std::uint32_t>(((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.milliseconds);
}

std::uint32_t ElapsedSinceMidnightMs(std::uint32_t start, std::uint32_t now) {
    constexpr std::uint32_t kDay = 24u * 60u * 60u * 1000u;
    return now >= start ? now - start : kDay - start + now;
}

void SleepMs(std::uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

} // namespace kv
