#include "engine/DemoSource.h"

#include "engine/SettingsCodes.h"

#include <algorithm>
#include <cmath>

#include "system/Narrow.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kAliasFactor = 0.5;
constexpr double kAliasReplacement = 1.25;

// The minimal standard generator. 2^31 is 1 modulo 2^31 - 1, so a product of two draws is
// reduced by adding its high bits to its low 31 bits instead of dividing.
constexpr std::uint64_t kDrawModulus = 2147483647u;
constexpr std::uint64_t kDrawMultiplier = 48271u;

constexpr std::uint32_t MulMod(std::uint64_t a, std::uint64_t x) {
    const std::uint64_t product = a * x; // both below 2^31
    const std::uint64_t folded = (product & kDrawModulus) + (product >> 31);
    return static_cast<std::uint32_t>(folded >= kDrawModulus ? folded - kDrawModulus : folded);
}

// The multipliers that step the sequence 2, 3 and 4 draws at once.
constexpr std::uint64_t kDrawMultiplier2 = MulMod(kDrawMultiplier, kDrawMultiplier);
constexpr std::uint64_t kDrawMultiplier3 = MulMod(kDrawMultiplier2, kDrawMultiplier);
constexpr std::uint64_t kDrawMultiplier4 = MulMod(kDrawMultiplier2, kDrawMultiplier2);

// Sine records are made in blocks: each block starts from the sine and cosine of its first
// step's phase, computed as the formula computes it, and goes on by angle addition with a
// table of the block's step angles.
constexpr int kBlock = 256;
// The block's values differ from the formula's own evaluation of each step by a few 1e-10 at
// most (the rounding of the formula's argument, up to 2^20 radians, dominates); a sample whose
// value lies closer than this bound (in sine units, times the half amplitude) to a whole code is
// evaluated by the formula itself, so truncation gives exactly the formula's sample.
constexpr double kSineTolerance = 1e-8;
constexpr double kValueTolerance = 1e-9; // rounding of the sum, in codes
constexpr double kLargestArgument = 1048576.0;
constexpr double kLargestAmplitude = 1e9;

} // namespace

void CDemoGenerator::Seed(std::uint32_t seed) {
    const std::uint32_t state = (seed == 0 ? 1u : seed) % static_cast<std::uint32_t>(kDrawModulus);
    m_nDrawState = state == 0 ? 1u : state;
}

int CDemoGenerator::Rand() {
    m_nDrawState = MulMod(kDrawMultiplier, m_nDrawState);
    return static_cast<int>(m_nDrawState);
}

void CDemoGenerator::Draw(std::uint32_t* out, int count) {
    std::uint32_t x = m_nDrawState;
    int i = 0;
    if (count >= 4) {
        // Four interleaved chains, each four draws ahead of its last value: the same sequence
        // without waiting for every product in turn.
        std::uint32_t d0 = MulMod(kDrawMultiplier, x), d1 = MulMod(kDrawMultiplier2, x);
        std::uint32_t d2 = MulMod(kDrawMultiplier3, x), d3 = MulMod(kDrawMultiplier4, x);
        for (; i + 4 <= count; i += 4) {
            out[i] = d0;
            out[i + 1] = d1;
            out[i + 2] = d2;
            out[i + 3] = d3;
            x = d3;
            d0 = MulMod(kDrawMultiplier4, d0);
            d1 = MulMod(kDrawMultiplier4, d1);
            d2 = MulMod(kDrawMultiplier4, d2);
            d3 = MulMod(kDrawMultiplier4, d3);
        }
    }
    for (; i < count; ++i)
        out[i] = x = MulMod(kDrawMultiplier, x);
    m_nDrawState = x;
}

double CDemoGenerator::UsableFrequencyFactor() const {
    return m_dFrequencyFactor >= kAliasFactor ? kAliasReplacement : m_dFrequencyFactor;
}

template <typename Segment> void CDemoGenerator::FillAroundSplit(Segment segment) {
    const int c = std::clamp(m_nSplit / 100, 0, kRecordSamples);
    const int d = (m_nDirection == 1) ? -1 : 1;
    // Pre-trigger part written backwards from c - 1 (k = 0, -d, ...), then the rest forwards
    // from c (k = 0, d, ...).
    segment(c - 1, -1, c, -d);
    segment(c, 1, kRecordSamples - c, d);
}

void CDemoGenerator::FillSineSegment(std::int16_t* record, int first, int indexStep, int count, int kStep) {
    const double f = UsableFrequencyFactor();
    const double amplitude = m_dAmplitude;
    const double phase = m_dPhase;
    // The noise term and both offsets, added in the formula's order, for each draw % 10.
    double base[10];
    for (int r = 0; r < 10; ++r)
        base[r] = r / static_cast<double>(m_fNoiseDivisor) + m_nZeroOffset + m_nDcOffset;
    const auto exact = [&](int r, int k) {
        return kv::TruncSat<std::int16_t>(base[r] + std::sin(k * f * 2.0 * kPi + phase) * amplitude / 2.0);
    };

    // Stepping needs finite values whose codes fit 32 bits (the 16-bit offsets and an
    // amplitude of a few 100000 codes at most in use); anything else takes the formula.
    const double step = f * 2.0 * kPi;
    const bool stepped = std::isfinite(step) && std::isfinite(phase) &&
                         std::fabs(amplitude) < kLargestAmplitude &&
                         std::fabs(step) * kRecordSamples + std::fabs(phase) < kLargestArgument;
    if (!stepped) {
        std::uint32_t draws[kBlock];
        for (int n0 = 0; n0 < count; n0 += kBlock) {
            const int len = std::min(kBlock, count - n0);
            Draw(draws, len);
            for (int j = 0; j < len; ++j)
                record[first + (n0 + j) * indexStep] =
                    exact(static_cast<int>(draws[j] % 10), (n0 + j) * kStep);
        }
        return;
    }

    // cos and sin of j steps (j = 0..kBlock-1), by rotation: a few rounding steps per entry.
    double tableCos[kBlock], tableSin[kBlock];
    const double stepCos = std::cos(step), stepSin = std::sin(step);
    double rc = 1.0, rs = 0.0;
    for (int j = 0; j < kBlock; ++j) {
        tableCos[j] = rc;
        tableSin[j] = rs;
        const double next = rs * stepCos + rc * stepSin;
        rc = rc * stepCos - rs * stepSin;
        rs = next;
    }
    const double half = amplitude / 2.0;
    const double margin = kSineTolerance * std::max(1.0, std::fabs(half)) + kValueTolerance;

    // Per block: the samples, and which of them may lie too near a whole code to be sure of.
    // Truncation is monotonic, so a value whose whole margin truncates to one integer has that
    // sample whichever way it was computed. The first pass runs over whole blocks (entries past
    // a short block's end are computed and unused) as one straight loop over fixed arrays.
    std::uint32_t blockDraws[kBlock] = {};
    std::int16_t sample[kBlock];
    std::uint8_t sure[kBlock];
    for (int n0 = 0; n0 < count; n0 += kBlock) {
        const int len = std::min(kBlock, count - n0);
        Draw(blockDraws, len);
        const int k0 = n0 * kStep;
        const double start = k0 * f * 2.0 * kPi + phase;
        const double s0 = std::sin(start);
        const double c0 = std::cos(start) * kStep; // k runs backwards with kStep = -1
        for (int j = 0; j < kBlock; ++j) {
            const double v = base[blockDraws[j] % 10] + (s0 * tableCos[j] + c0 * tableSin[j]) * half;
            const auto low = static_cast<std::int32_t>(v - margin);
            const auto high = static_cast<std::int32_t>(v + margin);
            sample[j] = kv::Saturate<std::int16_t>(low);
            sure[j] = static_cast<std::uint8_t>(low == high);
        }
        std::int16_t* out = record + first + n0 * indexStep;
        for (int j = 0; j < len; ++j, out += indexStep)
            *out = sure[j] ? sample[j] : exact(static_cast<int>(blockDraws[j] % 10), k0 + j * kStep);
    }
}

void CDemoGenerator::GenerateSine(std::int16_t* record, std::int32_t capacity) {
    if (record == nullptr || capacity < kRecordSamples)
        return;
    FillAroundSplit([&](int first, int indexStep, int count, int kStep) {
        FillSineSegment(record, first, indexStep, count, kStep);
    });
}

void CDemoGenerator::GenerateNoiseRecord(std::int16_t* record, std::int32_t capacity) {
    if (record == nullptr || capacity < kRecordSamples)
        return;
    // Ten possible samples, one per draw % 10.
    std::int16_t sample[10];
    for (int r = 0; r < 10; ++r)
        sample[r] = kv::TruncSat<std::int16_t>(
            (r / static_cast<double>(m_fNoiseDivisor) - 0.5) * m_dAmplitude + m_nZeroOffset + m_nDcOffset);
    std::uint32_t draws[kBlock];
    FillAroundSplit([&](int first, int indexStep, int count, int) {
        for (int n0 = 0; n0 < count; n0 += kBlock) {
            const int len = std::min(kBlock, count - n0);
            Draw(draws, len);
            for (int j = 0; j < len; ++j)
                record[first + (n0 + j) * indexStep] = sample[draws[j] % 10];
        }
    });
}

std::int16_t CDemoGenerator::GenerateNoise() {
    // Real division: an integer one would give only the two values +-amplitude/2.
    return kv::TruncSat<std::int16_t>(((Rand() % 10) / 9.0 - 0.5) * m_dAmplitude + m_nZeroOffset);
}

void CDemoSource::Seed(std::uint32_t seed) {
    m_random.seed(seed == 0 ? 1u : seed);
    m_ch1.Seed(seed * 2u + 1u);
    m_ch2.Seed(seed * 2u + 2u);
}

double CDemoSource::RandomPhase() {
    return (static_cast<int>(m_random()) % 10 + 0.1) * kPi / 2.0;
}

bool CDemoSource::LevelInside(const CDemoGenerator& g, double* x) const {
    *x = (static_cast<double>(g.m_nLevel) - g.m_nZeroOffset) / (g.m_dAmplitude / 2.0);
    // A zero amplitude gives a NaN or infinite place: the level is then outside the signal.
    return std::isfinite(*x) && std::fabs(*x) <= 1.0;
}

std::int16_t CDemoSource::TriggerOnGenerator(int channel) {
    double x = 0.0;
    const bool inside = LevelInside(Generator(channel), &x);
    const double phase = inside ? std::asin(x) : RandomPhase();
    m_ch1.m_dPhase = phase;
    m_ch2.m_dPhase = phase;
    if (!inside && !m_bForce) {
        m_bCh1Valid = m_bCh2Valid = 0;
        return kNotTriggered;
    }
    m_bForce = 0;
    m_bCh1Valid = m_bCh2Valid = 1;
    return kTriggered;
}

std::int16_t CDemoSource::ComputeTriggerPhase() {
    switch (m_nTriggerSource) {
    case kSourceCh1:
        return TriggerOnGenerator(0);
    case kSourceCh2:
        return TriggerOnGenerator(1);
    case kSourceAlt: {
        if (m_nActiveSource != kSourceCh1 && m_nActiveSource != kSourceCh2) {
            m_bForce = 0;
            m_bCh1Valid = m_bCh2Valid = 1;
            return kTriggered;
        }
        CDemoGenerator& g = Generator(m_nActiveSource);
        double x = 0.0;
        const bool inside = LevelInside(g, &x);
        g.m_dPhase = inside ? std::asin(x) : RandomPhase();
        if (!inside && !m_bForce) {
            m_bCh1Valid = m_bCh2Valid = 0;
            return kNotTriggered;
        }
        m_bForce = 0;
        m_bCh1Valid = (m_nActiveSource == kSourceCh1) ? 1 : 0;
        m_bCh2Valid = (m_nActiveSource == kSourceCh2) ? 1 : 0;
        return kTriggered;
    }
    default: // EXT, EXT/10: only a forced test triggers
        if (!m_bForce) {
            m_bCh1Valid = m_bCh2Valid = 0;
            return kNotTriggered;
        }
        m_bForce = 0;
        m_ch1.m_dPhase = RandomPhase();
        if (m_ch2.m_bEnabled)
            m_ch2.m_dPhase = RandomPhase();
        m_bCh1Valid = m_bCh2Valid = 1;
        return kTriggered;
    }
}

void CDemoSource::FillDemoRecords(std::int16_t* ch1Record, std::int16_t* ch2Record, std::int32_t capacity) {
    std::int16_t* records[2] = {ch1Record, ch2Record};
    for (int ch = 0; ch < 2; ++ch) {
        CDemoGenerator& g = Generator(ch);
        if (!g.m_bEnabled || !IsValid(ch))
            continue;
        if (m_nWaveform == kWaveNoise)
            g.GenerateNoiseRecord(records[ch], capacity);
        else
            g.GenerateSine(records[ch], capacity);
    }
}

void CDemoSource::FillDemoPoints(std::int16_t* ch1Record, std::int16_t* ch2Record, std::int32_t capacity) {
    std::int16_t* records[2] = {ch1Record, ch2Record};
    for (int ch = 0; ch < 2; ++ch) {
        CDemoGenerator& g = Generator(ch);
        if (g.m_bEnabled && IsValid(ch) && records[ch] != nullptr && capacity > 0)
            records[ch][0] = g.GenerateNoise();
    }
}

void CDemoSource::AdvanceDriftAndWaveform() {
    if (m_bDrift) {
        m_dDriftValue += m_dFrequency * 0.01;
        if (m_dDriftValue >= m_dFrequency)
            m_dDriftValue = 0.0;
    }
    if (m_nWaveform == kWaveNoisySine) {
        m_ch1.m_fNoiseDivisor = m_ch2.m_fNoiseDivisor = 1.0f;
    } else if (m_nWaveform == kWaveSine || m_nWaveform == kWaveNoise) {
        m_ch1.m_fNoiseDivisor = m_ch2.m_fNoiseDivisor = 9.0f;
    }
}
