#pragma once
// The record-length codes of the instrument's state block: samples per channel of each code
// (each deep length has two codes). The program and the simulated instrument read them here.
#include <cstdint>

namespace kv::timebase {

// Samples per channel of a record-length code; anything outside 1..6 counts as 0 (10240).
constexpr std::int32_t RecordLengthOfCode(int code) {
    switch (code) {
    case 1:
    case 2:
        return 14336;
    case 3:
    case 4:
        return 32768;
    case 5:
    case 6:
        return 524288;
    default:
        return 10240;
    }
}

} // namespace kv::timebase
