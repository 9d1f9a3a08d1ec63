#pragma once
// Widening of a captured record around its trigger point: step, linear and sin(x)/x rules.
// Internal to the library.
#include <cstdint>

namespace kv::sdk {

constexpr std::uint16_t kStretchStep = 0;
constexpr std::uint16_t kStretchLinear = 2;
constexpr std::uint32_t kStretchSourceLength = 10240;
constexpr std::uint32_t kStretchLongLength = 40000; // time-base indexes 0..4
constexpr std::uint32_t kSincWorkLength = 60000;

// Output length and trigger indexes of a stretch for a capture settings block.
struct StretchGeometry {
    std::uint32_t length = 0;        // L: 10240, or 40000 below time-base index 5
    std::uint32_t sourceTrigger = 0; // b
    std::uint32_t outputTrigger = 0; // d
};
StretchGeometry GeometryFor(const std::uint16_t* settings);

// Writes dst[0 .. L-1] from a source record of at least 10240 points: mode 0 step, 2 linear, any
// other sin(x)/x. `factor` is the number of output points per source point; below 1 (or not a
// number) it counts as 1.
void dsoStretchData(std::uint16_t mode, double factor, std::uint16_t* dst, const std::uint16_t* src,
                    const std::uint16_t* settings);

} // namespace kv::sdk
