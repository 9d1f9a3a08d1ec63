// Record stretching: the step, linear and sin(x)/x rules that widen a captured record around its
// trigger point for the fast time bases.
#include "Stretch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "system/Narrow.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Kernel weights of one factor, sin(pi (t - k)) / (pi (t - k)) for t = o / x, gap offsets
// o = 1 .. ceil(x) - 1 and neighbours k = -3 .. 3, held neighbour by neighbour so that one pass
// over the gap fills it from seven known samples.
class SincKernel {
public:
    double Factor() const { return m_x; }
    std::int64_t Gaps() const { return m_gaps; }
    const double* Weights(int k) const { return m_weights[static_cast<std::size_t>(k)].data(); }
    std::int64_t Offset(int k) const { return m_offsets[k]; }

    void Build(double x) {
        m_x = 0; // matches no factor until the weights are complete
        m_gaps = std::max<std::int64_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(std::ceil(x)) - 1, kSincWorkLength), 0);
        for (auto& w : m_weights)
            w.resize(static_cast<std::size_t>(m_gaps));
        for (std::int64_t o = 1; o <= m_gaps; ++o) {
            const double t = static_cast<double>(o) / x;
            for (int k = -3; k <= 3; ++k) {
                const double a = kPi * (t - k);
                m_weights[static_cast<std::size_t>(k + 3)][static_cast<std::size_t>(o - 1)] = std::sin(a) / a;
            }
        }
        for (int k = -3; k <= 3; ++k)
            m_offsets[k + 3] = static_cast<std::int64_t>(k * x);
        m_x = x;
    }

private:
    double m_x = 0;
    std::int64_t m_gaps = 0;
    std::array<std::vector<double>, 7> m_weights;
    std::int64_t m_offsets[7] = {};
};

// The sin(x)/x work buffer: known samples every x entries, the gaps filled by the kernel. The
// buffer and the kernels of the last two factors stay with the thread between calls: fresh
// pages and the sines of a new kernel cost ten times the interpolation itself.
class SincWork {
public:
    static SincWork& ForThread(double x) {
        thread_local SincWork work;
        work.Select(x);
        return work;
    }

    // Every x-th entry i x takes the sample of `sourceIndex(i)` for i < count. The entries this
    // pass can reach are zeroed first, so every entry the kernel reads is defined.
    template <typename F>
    void Fill(double count, std::int64_t extent, F sourceIndex, const std::uint16_t* src) {
        const double x = m_kernel->Factor();
        // Reads reach h + 3x with h <= 3x + extent, writes h + x, fills (count - 1) x.
        const double reach = std::max(7 * x + static_cast<double>(extent), count * x) + 8;
        const auto zeroed = static_cast<std::size_t>(std::min(reach, static_cast<double>(m_w.size())));
        std::fill(m_w.begin(), m_w.begin() + static_cast<std::ptrdiff_t>(zeroed), std::uint16_t{0});
        for (std::int64_t i = 0; static_cast<double>(i) < count; ++i) {
            const auto at = static_cast<std::int64_t>(static_cast<double>(i) * x);
            if (at >= static_cast<std::int64_t>(m_w.size()))
                break;
            m_w[static_cast<std::size_t>(at)] = SourceAt(src, sourceIndex(i));
        }
    }

    // Fills the gaps after every known entry h from 3x while h <= 3x + extent.
    void Interpolate(std::int64_t extent) {
        const SincKernel& kernel = *m_kernel;
        const double x = kernel.Factor();
        const auto size = static_cast<std::int64_t>(m_w.size());
        const double last = 3 * x + static_cast<double>(extent);
        for (auto h = static_cast<std::int64_t>(3 * x); static_cast<double>(h) <= last && h < size;) {
            // Gap offsets o with o < x and h + o inside the buffer, from the seven samples
            // around h (the same for the whole gap).
            const std::int64_t gaps = std::min(kernel.Gaps(), size - 1 - h);
            double s[7];
            for (int k = 0; k < 7; ++k)
                s[k] = At(h + kernel.Offset(k));
            std::uint16_t* out = m_w.data() + h + 1;
            const double *w0 = kernel.Weights(0), *w1 = kernel.Weights(1), *w2 = kernel.Weights(2),
                         *w3 = kernel.Weights(3), *w4 = kernel.Weights(4), *w5 = kernel.Weights(5),
                         *w6 = kernel.Weights(6);
            std::int64_t g = 0;
#if defined(__SSE2__)
            // Two gap points at a time, summed in the same order as below.
            const __m128d s0 = _mm_set1_pd(s[0]), s1 = _mm_set1_pd(s[1]), s2 = _mm_set1_pd(s[2]),
                          s3 = _mm_set1_pd(s[3]), s4 = _mm_set1_pd(s[4]), s5 = _mm_set1_pd(s[5]),
                          s6 = _mm_set1_pd(s[6]);
            const __m128d lowest = _mm_setzero_pd(), highest = _mm_set1_pd(65535.0);
            for (; g + 2 <= gaps; g += 2) {
                __m128d sum = _mm_setzero_pd();
                sum = _mm_add_pd(sum, _mm_mul_pd(s0, _mm_loadu_pd(w0 + g)));
                sum = _mm_add_pd(sum, _mm_mul_pd(s1, _mm_loadu_pd(w1 + g)));
                sum = _mm_add_pd(sum, _mm_mul_pd(s2, _mm_loadu_pd(w2 + g)));
                sum = _mm_add_pd(sum, _mm_mul_pd(s3, _mm_loadu_pd(w3 + g)));
                sum = _mm_add_pd(sum, _mm_mul_pd(s4, _mm_loadu_pd(w4 + g)));
                sum = _mm_add_pd(sum, _mm_mul_pd(s5, _mm_loadu_pd(w5 + g)));
                sum = _mm_add_pd(sum, _mm_mul_pd(s6, _mm_loadu_pd(w6 + g)));
                // Saturated to 0..65535 (a NaN gives 0), then truncated toward zero.
                const __m128i codes = _mm_cvttpd_epi32(_mm_min_pd(_mm_max_pd(sum, lowest), highest));
                out[g] = static_cast<std::uint16_t>(_mm_cvtsi128_si32(codes));
                out[g + 1] = static_cast<std::uint16_t>(_mm_cvtsi128_si32(_mm_srli_si128(codes, 4)));
            }
#endif
            for (; g < gaps; ++g) {
                double sum = 0.0;
                sum += s[0] * w0[g];
                sum += s[1] * w1[g];
                sum += s[2] * w2[g];
                sum += s[3] * w3[g];
                sum += s[4] * w4[g];
                sum += s[5] * w5[g];
                sum += s[6] * w6[g];
                // The kernel overshoots near steps; wrapped into 16 bits that reads as a gap code.
                out[g] = TruncSat<std::uint16_t>(sum);
            }
            const auto next = static_cast<std::int64_t>(static_cast<double>(h) + x);
            if (next <= h || next >= size)
                break;
            h = next;
        }
    }

    // dst[0 .. count - 1] = W[3x], W[3x + 1], ... (forwards), or dst[0], dst[-1], ... (backwards).
    void Output(std::uint16_t* dst, std::int64_t count, bool backwards) const {
        const auto first = static_cast<std::int64_t>(3 * m_kernel->Factor());
        const auto size = static_cast<std::int64_t>(m_w.size());
        // Entries past the buffer read as 0.
        const std::int64_t inside = std::clamp<std::int64_t>(size - first, 0, count);
        const std::uint16_t* from = m_w.data() + std::min(first, size);
        if (backwards) {
            for (std::int64_t l = 0; l < inside; ++l)
                *(dst - l) = from[l];
            for (std::int64_t l = inside; l < count; ++l)
                *(dst - l) = 0;
        } else {
            std::copy(from, from + inside, dst);
            std::fill(dst + inside, dst + count, std::uint16_t{0});
        }
    }

private:
    SincWork() : m_w(kSincWorkLength, 0) {}

    void Select(double x) {
        for (SincKernel& k : m_kernels)
            if (k.Factor() == x) {
                m_kernel = &k;
                return;
            }
        SincKernel& fresh = m_kernels[m_nextKernel];
        m_nextKernel = (m_nextKernel + 1) % m_kernels.size();
        fresh.Build(x);
        m_kernel = &fresh;
    }

    std::uint16_t At(std::int64_t i) const {
        return i >= 0 && i < static_cast<std::int64_t>(m_w.size()) ? m_w[static_cast<std::size_t>(i)] : 0;
    }

    std::vector<std::uint16_t> m_w;
    std::array<SincKernel, 2> m_kernels;
    std::size_t m_nextKernel = 0;
    const SincKernel* m_kernel = nullptr;
};

void SincRule(double x, std::uint16_t* dst, const std::uint16_t* src, const StretchGeometry& g) {
    const std::int64_t b = g.sourceTrigger, d = g.outputTrigger, L = g.length;
    SincWork& work = SincWork::ForThread(x);
    // After the trigger: entry 3x holds the trigger sample.
    work.Fill(
        static_cast<double>(L - d) / x + 6, L - d, [b](std::int64_t i) { return b + i - 3; }, src);
    work.Interpolate(L - d);
    work.Output(dst + d, L - d, false);
    if (d == 0)
        return;
    // Before the trigger, on the reversed record; both halves write the trigger sample at d.
    work.Fill(
        static_cast<double>(d) / x + 6, d, [b](std::int64_t i) { return b + 3 - i; }, src);
    work.Interpolate(d);
    work.Output(dst + d, d + 1, true);
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
