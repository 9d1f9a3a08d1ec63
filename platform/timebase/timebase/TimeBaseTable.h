#pragma once
// The instrument's time base: seconds per division of the 39 steps (2 ns .. 1 hour, in 1-2-4
// steps up to 40 s, then minutes), and the sample-clock counters that the rate command (bulk
// command 0x0C) carries for each step. The program, the client library and the simulated
// instrument all read them from here.
#include <array>
#include <cstdint>

namespace kv::timebase {

constexpr int kSteps = 39;
constexpr int kLastStep = kSteps - 1;

constexpr std::array<double, kSteps> kSecondsPerDivision{
    2e-9,  4e-9,  1e-8,  2e-8, 4e-8, 1e-7, 2e-7, 4e-7,       // 0-7
    1e-6,  2e-6,  4e-6,  1e-5, 2e-5, 4e-5, 1e-4, 2e-4, 4e-4, // 8-16
    0.001, 0.002, 0.004, 0.01, 0.02, 0.04, 0.1,  0.2,  0.4,  // 17-25
    1,     2,     4,     10,   20,   40,                     // 26-31
    60,    120,   240,   600,  1200, 2400, 3600,             // 32-38
};

// Seconds per division of a step; 0 outside 0..38.
constexpr double SecondsPerDivision(int step) {
    return step >= 0 && step < kSteps ? kSecondsPerDivision[static_cast<std::size_t>(step)] : 0.0;
}

// Step whose seconds per division are exactly `seconds` (a value written as the table writes
// it); -1 when the table has none.
constexpr int StepOf(double seconds) {
    for (int step = 0; step < kSteps; ++step)
        if (kSecondsPerDivision[static_cast<std::size_t>(step)] == seconds)
            return step;
    return -1;
}

// Sample-clock counters of the rate command for steps 13..25. The 10240-point record has one
// column, the deep record another; steps below 13 run the fastest clock (counter 0, told apart
// by two flag bits), steps from 26 on the roll clock.
constexpr int kFirstCountedStep = 13;
constexpr int kLastCountedStep = 25;
constexpr std::array<std::uint16_t, 13> kScreenClockCounters{65535, 65532, 65527, 65517, 65487, 65437, 65337,
                                                             65037, 64539, 63037, 60537, 55537, 41889};
constexpr std::array<std::uint16_t, 13> kDeepClockCounters{65535, 0,     0,     0,     0,     65535, 65532,
                                                           65527, 65517, 65487, 65437, 65337, 65037};
constexpr std::uint16_t kRollClockCounter = 65517;
// The Kestra-F counts step 22 of the 10240-point record differently.
constexpr int kKestraFCounterStep = 22;
constexpr std::uint16_t kKestraFScreenCounter22 = 63525;

// Counter of the 10240-point column for a step 13..25 (0 outside), Kestra-E or Kestra-F.
constexpr std::uint16_t ScreenClockCounter(int step, bool kestraF) {
    if (step < kFirstCountedStep || step > kLastCountedStep)
        return 0;
    if (kestraF && step == kKestraFCounterStep)
        return kKestraFScreenCounter22;
    return kScreenClockCounters[static_cast<std::size_t>(step - kFirstCountedStep)];
}

// Counter of the deep-record column for a step 13..25 (0 outside).
constexpr std::uint16_t DeepClockCounter(int step) {
    if (step < kFirstCountedStep || step > kLastCountedStep)
        return 0;
    return kDeepClockCounters[static_cast<std::size_t>(step - kFirstCountedStep)];
}

} // namespace kv::timebase
