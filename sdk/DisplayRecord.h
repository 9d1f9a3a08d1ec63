#pragma once
// The display record that the processing, zoom, measurement and pass/fail functions read and
// write: 500 points across the screen, each a display code or the mark of a point without data.
#include <cstdint>

namespace kv::sdk {

constexpr int kDisplayPoints = 500;
constexpr std::uint16_t kNoData = 1000; // above every display code (0..511)

} // namespace kv::sdk
