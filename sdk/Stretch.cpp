// Record stretching: the step, linear and sin(x)/x rules that widen a captured record around its
// trigger point for the fast time bases.
#include "Stretch.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "Narrow.h"

namespace kv::sdk {
namespace {

constexpr std::int64_t kLastSource = kStretchSourceLength - 1;
constexpr double kPi = 3.14159; // the kernel's own constant, not the full double value

std::uint16_t SourceAt(const std::uint16_t* src, std::int64_t index) {
    return src[std::clamp<std::int64_t>(index, 0, kLastSource)];
}

void StepRule(double x, std::uint16_t* dst, const std::uint16_t* src, const StretchGeometry& g) {
    const std::int64_t b = g.sourceTrigger, d = g.outputTrigger, L = g.length;
    // Clamped: at high trigger positions b + g/x runs past the source record.
    for (std::int64_t k = 0; k < L - d; ++k)
        dst[d + k] = SourceAt(src, b + static_cast<std::int64_t>(k / x));
    for (std::int64_t i = 1; i <= d; ++i) {
        const std::int64_t s = b - static_cast<std::int64_t>(i / x);
        if (s >= 0)
            dst[d - i] = src[s];
    }
}

std::uint16_t Blend(int prev, int next, std::int64_t r, double x) {
    return TruncSat<std::uint16_t>(prev + static_cast<double>(r * (next - prev)) / x);
}

void LinearRule(double x, std::uint16_t* dst, const std::uint16_t* src, const StretchGeometry& g) {
    const std::int64_t b = g.sourceTrigger, d = g.outputTrigger, L = g.length;
    int prev = src[b];
    const double after = static_cast<double>(L - d) / x;
    for (std::int64_t i = 0; static_cast<double>(i) < after; ++i) {
        // Near the end of the source the last point repeats instead of reading past it.
        const int next = b + i < kLastSource ? src[b + i + 1] : src[kLastSource];
        const std::int64_t base = d + static_cast<std::int64_t>(static_cast<double>(i) * x);
        for (std::int64_t r = 0; static_cast<double>(r) < x && base + r < L; ++r)
            dst[base + r] = Blend(prev, next, r, x);
        prev = next;
    }
    prev = src[b];
    const double before = static_cast<double>(d) / x;
    for (std::int64_t h = 0; static_cast<double>(h) < before; ++h) {
        const int next = SourceAt(src, b - h - 1);
        const std::int64_t base = d - static_cast<std::int64_t>(static_cast<double>(h) * x);
        for (std::int64_t u = 0; static_cast<double>(u) < x && base - u >= 0; ++u)
            dst[base - u] = Blend(prev, next, u, x);
        prev = next;
    }
    dst[0] = dst[1];
}

// The sin(x)/x work buffer: known samples every x entries, the gaps filled by the kernel.
class SincWork {
public:
    explicit SincWork(double x) : m_x(x), m_w(kSincWorkLength, 0) {
        // Kernel weights depend only on the gap offset o and the neighbour k.
        const std::int64_t gaps = std::min<std::int64_t>(static_cast<std::int64_t>(std::ceil(x)) - 1,
                                                         static_cast<std::int64_t>(kSincWorkLength));
        m_weights.resize(static_cast<std::size_t>(std::max<std::int64_t>(gaps, 0)) * 7);
        for (std::int64_t o = 1; o <= gaps; ++o) {
            const double t = static_cast<double>(o) / x;
            for (int k = -3; k <= 3; ++k) {
                const double a = kPi * (t - k);
                m_weights[static_cast<std::size_t>((o - 1) * 7 + (k + 3))] = std::sin(a) / a;
            }
        }
        for (int k = -3; k <= 3; ++k)
            m_offsets[k + 3] = static_cast<std::int64_t>(k * x);
    }

    // Every x-th entry i x takes the sample of `sourceIndex(i)` for i < count. The buffer is
    // zeroed first, so every entry the kernel reads is defined.
    template <typename F> void Fill(double count, F sourceIndex, const std::uint16_t* src) {
        std::fill(m_w.begin(), m_w.end(), std::uint16_t{0});
        for (std::int64_t i = 0; static_cast<double>(i) < count; ++i) {
            const auto at = static_cast<std::int64_t>(static_cast<double>(i) * m_x);
            if (at >= static_cast<std::int64_t>(m_w.size()))
                break;
            m_w[static_cast<std::size_t>(at)] = SourceAt(src, sourceIndex(i));
        }
    }

    // Fills the gaps after every known entry h from 3x while h <= 3x + extent.
    void Interpolate(std::int64_t extent) {
        const auto size = static_cast<std::int64_t>(m_w.size());
        const double last = 3 * m_x + static_cast<double>(extent);
        for (auto h = static_cast<std::int64_t>(3 * m_x); static_cast<double>(h) <= last;) {
            for (std::int64_t o = 1; static_cast<double>(o) < m_x && h + o < size; ++o) {
                const double* w = &m_weights[static_cast<std::size_t>((o - 1) * 7)];
                double sum = 0.0;
                for (int k = 0; k < 7; ++k)
                    sum += At(h + m_offsets[k]) * w[k];
                // The kernel overshoots near steps; wrapped into 16 bits that reads as a gap code.
                m_w[static_cast<std::size_t>(h + o)] = TruncSat<std::uint16_t>(sum);
            }
            const auto next = static_cast<std::int64_t>(static_cast<double>(h) + m_x);
            if (next <= h || next >= size)
                break;
            h = next;
        }
    }

    std::uint16_t Output(std::int64_t l) const { return At(static_cast<std::int64_t>(3 * m_x) + l); }

private:
    std::uint16_t At(std::int64_t i) const {
        return i >= 0 && i < static_cast<std::int64_t>(m_w.size()) ? m_w[static_cast<std::size_t>(i)] : 0;
    }

    double m_x;
    std::vector<std::uint16_t> m_w;
    std::vector<double> m_weights;
    std::int64_t m_offsets[7] = {};
};

void SincRule(double x, std::uint16_t* dst, const std::uint16_t* src, const StretchGeometry& g) {
    const std::int64_t b = g.sourceTrigger, d = g.outputTrigger, L = g.length;
    SincWork work(x);
    // After the trigger: entry 3x holds the trigger sample.
    work.Fill(
        static_cast<double>(L - d) / x + 6, [b](std::int64_t i) { return b + i - 3; }, src);
    work.Interpolate(L - d);
    for (std::int64_t l = 0; l < L - d; ++l)
        dst[d + l] = work.Output(l);
    if (d == 0)
        return;
    // Before the trigger, on the reversed record; both halves write the trigger sample at d.
    work.Fill(
        static_cast<double>(d) / x + 6, [b](std::int64_t i) { return b + 3 - i; }, src);
    work.Interpolate(d);
    for (std::int64_t i = 0; i <= d; ++i)
        dst[d - i] = work.Output(i);
}

} // namespace

StretchGeometry GeometryFor(const std::uint16_t* settings) {
    std::uint16_t position = settings[3];
    // Out of range, b and d would run past both records: a "negative" word counts as 0, anything
    // else above 100 as 100.
    if (position >= 6554)
        position = 0;
    else if (position > 100)
        position = 100;
    StretchGeometry g;
    g.sourceTrigger =
        position == 100 ? kStretchSourceLength - 1 : static_cast<std::uint32_t>(position * 102.4);
    if (settings[2] >= 5) {
        g.length = kStretchSourceLength;
        g.outputTrigger = g.sourceTrigger;
    } else {
        g.length = kStretchLongLength;
        g.outputTrigger = position == 100 ? 29999u : 10000u + position * 200u;
    }
    return g;
}

void dsoStretchData(std::uint16_t mode, double factor, std::uint16_t* dst, const std::uint16_t* src,
                    const std::uint16_t* settings) {
    if (!dst || !src || !settings)
        return;
    // Below 1 (or NaN) counts as 1; far above the output length every factor gives the same
    // result, and the cap keeps the index products inside 64 bits.
    const double x = factor >= 1.0 ? std::min(factor, 1.0e6) : 1.0;
    const StretchGeometry g = GeometryFor(settings);
    if (mode == kStretchStep)
        StepRule(x, dst, src, g);
    else if (mode == kStretchLinear)
        LinearRule(x, dst, src, g);
    else
        SincRule(x, dst, src, g);
}

} // namespace kv::sdk
