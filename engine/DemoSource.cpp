#include "engine/DemoSource.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kAliasFactor = 0.5;
constexpr double kAliasReplacement = 1.25;

// Truncates toward zero and saturates to int16; NaN gives 0. Without the saturation a large
// amplitude at a small volts/div wraps into garbage codes instead of pinning at the edge.
std::int16_t ToSample(double value) {
    if (std::isnan(value))
        return 0;
    const double t = std::trunc(value);
    return static_cast<std::int16_t>(
        std::clamp(t, static_cast<double>(std::numeric_limits<std::int16_t>::min()),
                   static_cast<double>(std::numeric_limits<std::int16_t>::max())));
}

} // namespace

double CDemoGenerator::UsableFrequencyFactor() const {
    return m_dFrequencyFactor >= kAliasFactor ? kAliasReplacement : m_dFrequencyFactor;
}

template <typename ValueOf> void CDemoGenerator::FillAroundSplit(std::int16_t* record, ValueOf value) {
    const int c = std::clamp(m_nSplit / 100, 0, kRecordSamples);
    const int d = (m_nDirection == 1) ? -1 : 1;
    // Pre-trigger part written backwards from c - 1, then the rest forwards from c.
    for (int i = c - 1, k = 0; i >= 0; --i, k -= d)
        record[i] = value(k);
    for (int i = c, k = 0; i < kRecordSamples; ++i, k += d)
        record[i] = value(k);
}

void CDemoGenerator::GenerateSine(std::int16_t* record, std::int32_t capacity) {
    if (record == nullptr || capacity < kRecordSamples)
        return;
    const double f = UsableFrequencyFactor();
    const double offset = static_cast<double>(m_nZeroOffset) + m_nDcOffset;
    const double half = m_dAmplitude / 2.0;
    const double divisor = m_fNoiseDivisor;
    // sin(k x f x 2 pi + phase) by rotating a unit vector one step of k at a time; it is
    // re-seeded from the exact value every kResync steps so rounding cannot build up.
    constexpr int kResync = 256;
    double s = 0.0, c = 1.0, sinStep = 0.0, cosStep = 1.0;
    auto value = [&](int k, int n) {
        if (n % kResync == 0) {
            s = std::sin(k * f * 2.0 * kPi + m_dPhase);
            c = std::cos(k * f * 2.0 * kPi + m_dPhase);
        }
        const double v = (Rand() % 10) / divisor + offset + s * half;
        const double next = s * cosStep + c * sinStep;
        c = c * cosStep - s * sinStep;
        s = next;
        return ToSample(v);
    };
    const int split = std::clamp(m_nSplit / 100, 0, kRecordSamples);
    const int d = (m_nDirection == 1) ? -1 : 1;
    // Pre-trigger part written backwards from c - 1 (k = 0, -d, ...), then forwards from c.
    sinStep = std::sin(-d * f * 2.0 * kPi);
    cosStep = std::cos(-d * f * 2.0 * kPi);
    for (int i = split - 1, k = 0, n = 0; i >= 0; --i, k -= d, ++n)
        record[i] = value(k, n);
    sinStep = std::sin(d * f * 2.0 * kPi);
    cosStep = std::cos(d * f * 2.0 * kPi);
    for (int i = split, k = 0, n = 0; i < kRecordSamples; ++i, k += d, ++n)
        record[i] = value(k, n);
}

void CDemoGenerator::GenerateNoiseRecord(std::int16_t* record, std::int32_t capacity) {
    if (record == nullptr || capacity < kRecordSamples)
        return;
    const double offset = static_cast<double>(m_nZeroOffset) + m_nDcOffset;
    FillAroundSplit(record, [&](int) {
        return ToSample(((Rand() % 10) / static_cast<double>(m_fNoiseDivisor) - 0.5) * m_dAmplitude + offset);
    });
}

std::int16_t CDemoGenerator::GenerateNoise() {
    // Real division: an integer one would give only the two values +-amplitude/2.
    return ToSample(((Rand() % 10) / 9.0 - 0.5) * m_dAmplitude + m_nZeroOffset);
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
    case 0:
        return TriggerOnGenerator(0);
    case 1:
        return TriggerOnGenerator(1);
    case 2: {
        if (m_nActiveSource != 0 && m_nActiveSource != 1) {
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
        m_bCh1Valid = (m_nActiveSource == 0) ? 1 : 0;
        m_bCh2Valid = (m_nActiveSource == 1) ? 1 : 0;
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
