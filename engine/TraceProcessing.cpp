// Record interpolation at the fast time bases and the software trigger alignment.
#include "engine/DeviceStateBlock.h"
#include "engine/ModelCapabilities.h"
#include "engine/SettingsCodes.h"
#include "engine/Trace.h"

#include <algorithm>
#include <cmath>

#include "system/Narrow.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kLastInputSample = CTrace::kInputWindow - 1;         // 10239
constexpr int kLastInterpolated = CTrace::kInterpolatedLength - 1; // 32767
constexpr int kTriggerGuard = 40;   // neighbours examined on each side of a candidate
constexpr int kSearchSpan = 0x5800; // 22528 candidates after the trigger sample

// Factors beyond the table's 5000 entries per row, or below one output point per sample,
// would write past the coefficient rows or loop without end.
double UsableFactor(double factor) {
    return std::clamp(factor, 1.0, static_cast<double>(CTrace::kSincRowLength));
}

int TriggerSample(int position) {
    const int h = std::clamp(position, 0, 500);
    return std::min(static_cast<int>(h * 0.2 * 102.4), kLastInputSample);
}

} // namespace

int CTrace::RawAt(int index) const {
    const int last = std::min(kLastInputSample, GetRecordCapacity() - 1);
    return m_raw[static_cast<std::size_t>(std::clamp(index, 0, last))];
}

void CTrace::SelectInterpolationByModel(const std::int16_t* stateBlock) {
    if (!stateBlock || m_work.empty())
        return;
    const int t = stateBlock[kv::kStateTimeBase];
    const bool dual =
        stateBlock[kv::kStateChannelMode] == kChannelModeBoth && stateBlock[kv::kStateAltFlag] == 0;
    const FastInterpolationRow* choices = CapabilitiesOfModel(m_nModel).fastInterpolation;
    if (!choices || t < 0 || t >= kFastInterpolationSteps) {
        CopyRecord();
        return;
    }
    const FastInterpolationRow& c = choices[t];
    const double factor = dual ? c.dual : c.single;
    if (factor <= 0.0) {
        CopyRecord();
        return;
    }
    InterpolateRecord(c.kind == 's' ? m_nInterpolation : kInterpolationLinear, factor, stateBlock);
}

void CTrace::InterpolateRecord(std::int16_t mode, double factor, const std::int16_t* stateBlock) {
    if (!stateBlock || m_work.empty())
        return;
    const int percent = std::clamp<int>(stateBlock[kv::kStatePosition], 0, 100);
    if (!std::isfinite(factor)) {
        CopyRecord();
        return;
    }
    if (mode == kInterpolationSinc) {
        SincResample(static_cast<std::int16_t>(percent), factor);
        return;
    }
    const double d = UsableFactor(factor);
    const int e = std::clamp(static_cast<int>(percent * 102.4), kTriggerGuard, kLastInputSample);
    int r = e;
    int length = kInputWindow;
    if (stateBlock[kv::kStateTimeBase] < 5) {
        r = std::min(static_cast<int>(percent * 327.68), kLastInterpolated);
        length = kInterpolatedLength;
    }
    std::int16_t* work = m_work.data();

    if (mode == kInterpolationStep) {
        for (int l = 0; l < length - r; ++l)
            work[r + l] = static_cast<std::int16_t>(RawAt(e + static_cast<int>(l / d)));
        for (int g = 1; g <= r; ++g) {
            const int src = e - static_cast<int>(g / d);
            if (src >= 0)
                work[r - g] = static_cast<std::int16_t>(RawAt(src));
        }
        return;
    }

    // Linear: d output points per source step, rightwards then leftwards from the pivot.
    const double steps = (length - r) / d;
    for (int u = 0; u < steps; ++u) {
        const double prev = RawAt(e + u);
        const double next = RawAt(e + u + 1);
        const int base = r + static_cast<int>(u * d);
        for (int k = 0; k < d && base + k < length; ++k)
            work[base + k] = kv::TruncSat<std::int16_t>(k * (next - prev) / d + prev);
    }
    for (int u = 0;; ++u) {
        const int base = r - static_cast<int>(u * d);
        if (base < 0)
            break;
        const double prev = RawAt(e - u);
        const double next = RawAt(e - u - 1);
        for (int k = 0; k < d && base - k >= 0; ++k)
            work[base - k] = kv::TruncSat<std::int16_t>(k * (next - prev) / d + prev);
    }
    work[0] = work[1];
}

void CTrace::BuildSincTable(double factor) {
    const double d = UsableFactor(factor);
    const int taps = std::clamp<int>(m_nTaps, 0, kMaxTaps);
    m_sincTable.assign(static_cast<std::size_t>(2 * kMaxTaps + 1) * kSincRowLength, 0.0);
    for (int i = 1; i < d && i < kSincRowLength; ++i) {
        for (int j = -taps; j <= taps; ++j) {
            const double t = (i / d - j) * kPi;
            m_sincTable[static_cast<std::size_t>((j + taps) * kSincRowLength + i)] = std::sin(t) / t;
        }
    }
    m_dTableFactor = factor;
}

void CTrace::SincResample(std::int16_t percent, double factor) {
    if (m_work.empty() || !std::isfinite(factor))
        return;
    const int p = std::clamp<int>(percent, 0, 100);
    const double d = UsableFactor(factor);
    const int n = 1 + static_cast<int>(std::floor(kInterpolatedLength / d));
    const int e = static_cast<int>(p * n * 0.01);
    int f = std::min(static_cast<int>(p * 102.4), kLastInputSample);
    if (f >= e)
        f -= e;

    if (d != m_dTableFactor || m_sincTable.empty())
        BuildSincTable(d);

    const int taps = std::clamp<int>(m_nTaps, 0, kMaxTaps);
    m_scratch.assign(kSincScratchLength, 0);
    std::int16_t* out = m_scratch.data();
    for (int i = 0; i < n; ++i)
        out[static_cast<int>(d * i)] = static_cast<std::int16_t>(RawAt(f + i));

    double window[2 * kMaxTaps + 1];
    for (int i = 0; i < n; ++i) {
        // Each output segment takes its own source sample and kernel neighbourhood; a fixed
        // source index would give every segment the same 21 samples.
        const int s = RawAt(f + i);
        const int next = RawAt(f + i + 1);
        const int base = static_cast<int>(d * i);
        if ((s == 511 && next == 511) || (s == 0 && next == 0)) {
            for (int j = 1; j < d; ++j)
                out[base + j] = static_cast<std::int16_t>(s);
            continue;
        }
        for (int k = -taps; k <= taps; ++k)
            window[k + taps] = RawAt(f + i + k);
        for (int j = 1; j < d; ++j) {
            double sum = 0.0;
            for (int k = 0; k <= 2 * taps; ++k)
                sum += window[k] * m_sincTable[static_cast<std::size_t>(k * kSincRowLength + j)];
            out[base + j] = kv::TruncSat<std::int16_t>(sum);
        }
    }
    std::copy(out, out + kInterpolatedLength, m_work.begin());
}

void CTrace::RotateInto(int triggerSample, int triggerPoint) {
    m_scratch.resize(std::max<std::size_t>(m_scratch.size(), kInputWindow));
    for (int i = 0; i < kInputWindow; ++i) {
        const int src = std::clamp(triggerPoint - triggerSample + i, 0, kLastInterpolated);
        m_scratch[static_cast<std::size_t>(i)] = m_work[static_cast<std::size_t>(src)];
    }
    std::copy(m_scratch.begin(), m_scratch.begin() + kInputWindow, m_work.begin());
    m_nTriggerPoint = static_cast<std::int16_t>(triggerPoint);
}

std::int16_t CTrace::SoftTriggerAlign(std::int16_t position, std::int16_t /*timeBase*/,
                                      std::int16_t levelWord, std::int16_t slope) {
    if (m_work.empty())
        return m_nTriggerPoint;
    const int f = TriggerSample(position);
    const int start = std::max(f, kTriggerGuard);
    // Near the end of the input window the search stops 40 samples earlier so that the right
    // neighbour of the last candidate still lies inside the interpolated record.
    const int end =
        (kInputWindow - f - 1 < kTriggerGuard) ? f + kSearchSpan - kTriggerGuard : f + kSearchSpan;
    const int target = 511 - levelWord;
    const std::int16_t* w = m_work.data();
    int tp = f;
    for (int g = start; g < end; ++g) {
        if (std::abs(w[g] - target) >= 10)
            continue;
        const bool match = (slope == kSlopeFalling)
                               ? (w[g - kTriggerGuard] > target && w[g + kTriggerGuard] < target)
                               : (w[g - kTriggerGuard] < target && w[g + kTriggerGuard] > target);
        if (match) {
            tp = g;
            break;
        }
    }
    RotateInto(f, tp);
    return m_nTriggerPoint;
}

void CTrace::RotateRecordToPosition(std::int16_t position, std::int16_t sampleIndex) {
    if (m_work.empty())
        return;
    RotateInto(TriggerSample(position), std::clamp<int>(sampleIndex, 0, kLastInterpolated));
}
