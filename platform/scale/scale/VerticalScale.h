#pragma once
// The vertical scale of a screen code: 511 codes span the 8 divisions of the graticule, 511 at
// the top edge, as the screen draws them. Everything that turns codes into volts or volts into
// codes reads it from here: a channel's conversion (and through it the cursor at a point, the
// exports and the spectrum), the measurements, the trigger-level readout, the MATH product, the
// client library's spectrum in volts and the simulated instrument's signal. A second scale
// anywhere would make one trace read two amplitudes.

namespace kv::scale {

constexpr int kTopCode = 511; // top edge of the plot
constexpr int kDivisions = 8; // vertical divisions of the graticule
// Screen codes per division (63.875) and its inverse, the divisions one code spans.
constexpr double kCodesPerDivision = kTopCode / static_cast<double>(kDivisions);
constexpr double kDivisionsPerCode = kDivisions / static_cast<double>(kTopCode);

// Volts of a difference of `codes` screen codes on a channel of `voltsPerDiv` volts per division.
constexpr double CodesToVolts(double codes, double voltsPerDiv) {
    return codes * voltsPerDiv * kDivisionsPerCode;
}

// Screen codes that `volts` span on a channel of `voltsPerDiv` volts per division (not rounded).
constexpr double VoltsToCodes(double volts, double voltsPerDiv) {
    return volts / (voltsPerDiv * kDivisionsPerCode);
}

} // namespace kv::scale
