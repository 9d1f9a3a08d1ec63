#pragma once
// Keys of the language table that several windows look up. Texts that one window alone shows
// keep their key beside the code that shows them.

namespace kv {

constexpr int kTextInformationOn = 4013;  // "Information ON"
constexpr int kTextInformationOff = 4014; // "Information OFF"
constexpr int kTextTime = 4018;           // "Time"
// The Start and Stop buttons share the keys of the Acquire menu's Start and Stop commands.
constexpr int kTextStart = 32872; // "Start"
constexpr int kTextStop = 32876;  // "Stop"

} // namespace kv
