#pragma once
// The arithmetic of the channel data read: gain factors, calibration offsets, the double-rate
// window and the extrapolated first points.
#include <array>
#include <cstdint>

namespace kv::sdk {

// Gain factor by volts/div index; 0.0 for an index outside 0..9 (the raw code is kept).
double GainFactor(std::uint16_t voltsIndex);
// Display code of every raw code 0..1023 for one volts/div index (truncated toward zero).
std::array<std::uint16_t, 1024> ScaleTable(std::uint16_t voltsIndex);
// Which of the four calibration values a volts/div index uses; -1 for none.
int CalibrationSlot(std::uint16_t voltsIndex);
// Converter A correction by calibration value c (already 0 when it was above 200).
std::uint16_t CorrectConverterA(std::uint16_t code, int c);
// 2 x a - b, computed signed and held inside 0..65535.
std::uint16_t Extrapolate(std::uint16_t a, std::uint16_t b);

// Start offsets of the double-rate window for trigger position p (clamped to 0..100) and record
// length D: O into the 2D interleaved points, N into the D-point window.
struct DoubleRateWindow {
    std::uint32_t o = 0;
    std::uint32_t n = 0;
};
DoubleRateWindow WindowFor(std::uint32_t position, std::uint32_t length);

} // namespace kv::sdk
