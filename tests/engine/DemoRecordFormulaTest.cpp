// The demo records sample by sample against their formula, evaluated here directly: each sample
// is the noise draw (draw % 10 / noise divisor) + zero offset + DC offset + sin(k x frequency
// factor x 2 pi + phase) x amplitude / 2, truncated toward zero and saturated to 16 bits, with
// the draws taken in writing order (c - 1 down to 0, then c up to the end) from the minimal
// standard generator x -> 48271 x mod (2^31 - 1).
#include "engine/DemoSource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int kN = CDemoGenerator::kRecordSamples;

struct Params {
    double factor;
    double phase;
    double amplitude;
    std::int16_t zero;
    std::int16_t dc;
    std::int16_t split;
    std::int16_t direction;
    float divisor;
};

CDemoGenerator Make(const Params& p) {
    CDemoGenerator g;
    g.m_bEnabled = 1;
    g.m_dFrequencyFactor = p.factor;
    g.m_dPhase = p.phase;
    g.m_dAmplitude = p.amplitude;
    g.m_nZeroOffset = p.zero;
    g.m_nDcOffset = p.dc;
    g.m_nSplit = p.split;
    g.m_nDirection = p.direction;
    g.m_fNoiseDivisor = p.divisor;
    return g;
}

std::int16_t TruncSaturate(double v) {
    if (std::isnan(v))
        return 0;
    v = std::trunc(v);
    return static_cast<std::int16_t>(v > 32767.0 ? 32767.0 : v < -32768.0 ? -32768.0 : v);
}

// The record a generator must write, in writing order; `value` gives a sample from the draw and k.
template <typename Value>
std::vector<std::int16_t> ByFormula(const Params& p, std::uint32_t seed, Value value) {
    std::minstd_rand draws(seed);
    std::vector<std::int16_t> r(kN);
    const int c = p.split / 100;
    const int d = p.direction == 1 ? -1 : 1;
    for (int i = c - 1, k = 0; i >= 0; --i, k -= d)
        r[static_cast<std::size_t>(i)] = TruncSaturate(value(static_cast<int>(draws() % 10), k));
    for (int i = c, k = 0; i < kN; ++i, k += d)
        r[static_cast<std::size_t>(i)] = TruncSaturate(value(static_cast<int>(draws() % 10), k));
    return r;
}

std::vector<std::int16_t> SineByFormula(const Params& p, std::uint32_t seed) {
    const double f = p.factor >= 0.5 ? 1.25 : p.factor;
    return ByFormula(p, seed, [&](int draw, int k) {
        return draw / static_cast<double>(p.divisor) + p.zero + p.dc +
               std::sin(k * f * 2.0 * M_PI + p.phase) * p.amplitude / 2.0;
    });
}

std::vector<std::int16_t> NoiseByFormula(const Params& p, std::uint32_t seed) {
    return ByFormula(p, seed, [&](int draw, int) {
        return (draw / static_cast<double>(p.divisor) - 0.5) * p.amplitude + p.zero + p.dc;
    });
}

// First index where two records differ, -1 when they are equal.
int FirstDifference(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b) {
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return static_cast<int>(i);
    return -1;
}

// Settings that a demo tick produces (1 ms/div at 12.5 Hz with drift, 2 V/div, level inside
// the signal) and the corners: the sine exactly on whole codes at steps of a quarter or an
// eighth of a cycle, the aliasing replacement, both directions, strong noise, the longest
// pre-trigger part, no amplitude, amplitudes far beyond the 16-bit and the 32-bit range, and a
// phase that is not a number.
const Params kCases[] = {
    {0.0125, std::asin(20.0 / 32.0), 64.0, 255, 32, 250, 0, 9.0f},
    {0.0123875, -std::asin(0.5), 64.0, 315, 0, 0, 1, 9.0f},
    {0.125, 0.0, 200.0, 256, 0, 250, 0, 9.0f},
    {0.25, 0.0, 2.0, 100, 7, 500, 1, 1.0f},
    {0.125, std::asin(1.0), 64.0, 0, 0, 130, 0, 9.0f},
    {0.001, 0.0, 128000.0, 383, 32767, 250, 0, 9.0f},
    {0.6, 14.29, 96.0, 200, 48, 470, 0, 1.0f},
    {0.49999, 3.0, 31.0, -20, 0, 99, 1, 9.0f},
    {1e-7, 0.3, 640.0, 511, 0, 250, 0, 9.0f},
    {0.0043, 1.2, 0.0, 256, 0, 250, 0, 1.0f},
    {0.0371, 0.7, 10.0, 256, 0, 32767, 0, 9.0f},
    {0.01, 0.2, 3e9, 100, 0, 250, 1, 9.0f},
    {0.01, std::nan(""), 64.0, 256, 0, 250, 0, 9.0f},
};

TEST(DemoRecordFormula, SineRecordsEqualTheFormulaSampleBySample) {
    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        const Params& p = kCases[i];
        for (std::uint32_t seed : {1u, 77u, 40503u}) {
            CDemoGenerator g = Make(p);
            g.Seed(seed);
            std::vector<std::int16_t> r(kN, -7);
            g.GenerateSine(r.data(), kN);
            const std::vector<std::int16_t> expected = SineByFormula(p, seed);
            const int at = FirstDifference(r, expected);
            EXPECT_EQ(at, -1) << "case " << i << " seed " << seed << ": sample " << at << " is "
                              << (at >= 0 ? r[static_cast<std::size_t>(at)] : 0) << ", formula "
                              << (at >= 0 ? expected[static_cast<std::size_t>(at)] : 0);
        }
    }
}

TEST(DemoRecordFormula, NoiseRecordsEqualTheFormulaSampleBySample) {
    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        const Params& p = kCases[i];
        CDemoGenerator g = Make(p);
        g.Seed(9);
        std::vector<std::int16_t> r(kN, -7);
        g.GenerateNoiseRecord(r.data(), kN);
        const std::vector<std::int16_t> expected = NoiseByFormula(p, 9);
        EXPECT_EQ(FirstDifference(r, expected), -1) << "case " << i;
    }
}

// Consecutive records of one generator keep drawing from one sequence: the second record's
// noise continues where the first one's stopped, and so does the single Roll sample after it.
TEST(DemoRecordFormula, ConsecutiveRecordsContinueTheDrawSequence) {
    const Params p = kCases[0];
    CDemoGenerator g = Make(p);
    g.Seed(3);
    std::vector<std::int16_t> first(kN), second(kN);
    g.GenerateSine(first.data(), kN);
    g.GenerateSine(second.data(), kN);
    const int noise = g.GenerateNoise();

    std::minstd_rand draws(3u);
    draws.discard(kN - 1);
    const auto lastOfFirst = static_cast<std::uint32_t>(draws()); // seeds the rest of the sequence
    EXPECT_EQ(FirstDifference(first, SineByFormula(p, 3u)), -1);
    EXPECT_EQ(FirstDifference(second, SineByFormula(p, lastOfFirst)), -1);
    draws.discard(kN);
    EXPECT_EQ(noise, TruncSaturate((static_cast<int>(draws() % 10) / 9.0 - 0.5) * p.amplitude + p.zero));
}

} // namespace
