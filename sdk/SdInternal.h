#pragma once
// Private parts of the simplified (sd) interface: the library's two shared globals, the autoset's
// time-base pick and the waits it makes. Internal: none of these names leave the library.
#include <atomic>
#include <cstdint>

namespace kv::sdk {

// Auto-sweep poll counter and alternate-trigger toggle of sdGetData. They are shared by every
// caller and device, as the interface defines them; atomics keep concurrent callers well defined.
extern std::atomic<int> g_sdPollCounter;
extern std::atomic<int> g_sdAlternateToggle;
void ResetSdState();

// Wait used between the autoset's steps; tests replace it to run without real delays.
using SleepFunction = void (*)(std::uint32_t ms);
extern std::atomic<SleepFunction> g_sdSleep;

// Mid level of the display codes that the autoset's positions and ground fill are built from.
int AutosetStartPosition();
std::uint16_t AutosetGroundCode();
std::uint16_t AutosetFinalTriggerPosition();

// Time-base index for a half period (in the autoset's scaled seconds) measured by the TDC.
std::uint16_t TimeBaseForPeriod(double x);

// One period measurement with the TDC and the choice of the time base; writes *timeBaseIndex.
// 0 when the index or the pointer is refused.
int sdAutosetPickTimeBase(std::uint16_t deviceIndex, std::uint16_t* timeBaseIndex);

} // namespace kv::sdk
