// Spectrum functions: a general complex radix-2 FFT, resampling and drawing of a 500-point
// spectrum trace, and the windowed amplitude spectrum of sample codes.
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Drawing.h"
#include "Driver.h"
#include "Tessel.h"
#include "scale/VerticalScale.h"
#include "system/Narrow.h"
#include "system/NumberText.h"

namespace kv::sdk {

// Number of index bits of a power of two: the position of its lowest set bit.
unsigned NumberOfBitsNeeded(std::uint32_t powerOfTwo) {
    if (powerOfTwo < 2) {
        std::fputs(kv::FormatText("Tessel FFT: %u is too small to need index bits\n", powerOfTwo).c_str(),
                   stderr);
        return 0;
    }
    unsigned bits = 0;
    while (!(powerOfTwo & (1u << bits)))
        ++bits;
    return bits;
}

namespace {

constexpr double kPi = 3.14159265358979323846;

std::uint32_t ReverseBits(std::uint32_t index, unsigned bits) {
    std::uint32_t r = 0;
    for (unsigned i = 0; i < bits; ++i, index >>= 1)
        r = (r << 1) | (index & 1);
    return r;
}

// Pen colour of the spectrum trace by selector; false for selectors above 3.
bool SpectrumColour(std::int32_t selector, COLORREF* out) {
    static const COLORREF colours[4] = {RGB(50, 250, 250), RGB(255, 100, 100), RGB(0, 255, 255),
                                        RGB(0, 0, 0)};
    if (selector < 0 || selector > 3)
        return false;
    *out = colours[selector];
    return true;
}

double WindowValue(int type, std::size_t k, std::size_t n) {
    const double a = 2 * kPi / static_cast<double>(n - 1);
    const double ka = static_cast<double>(k) * a;
    switch (type) {
    case 1:
        return 0.5 - 0.5 * std::cos(ka);
    case 2:
        return 0.54 - 0.46 * std::cos(ka);
    case 3:
        return 0.42 - 0.5 * std::cos(ka) + 0.08 * std::cos(2 * ka);
    case 4: {
        const double r = 2.0 * static_cast<double>(k) / static_cast<double>(n - 1);
        return k < n / 2 ? r : 2 - r;
    }
    case 5:
        return (1 - 1.93 * std::cos(ka) + 1.29 * std::cos(2 * ka) - 0.388 * std::cos(3 * ka) +
                0.0322 * std::cos(4 * ka)) /
               2;
    default:
        return 1.0;
    }
}

// The window of the last sample count and type used on this thread, kept for the next call.
class WindowCache {
public:
    const double* For(int type, std::size_t n, double* sum) {
        if (n != m_n || type != m_type) {
            m_n = 0; // until the new table is complete
            m_values.resize(n);
            double sum = 0;
            for (std::size_t k = 0; k < n; ++k) {
                m_values[k] = WindowValue(type, k, n);
                sum += m_values[k];
            }
            m_sum = sum;
            m_n = n;
            m_type = type;
        }
        *sum = m_sum;
        return m_values.data();
    }

private:
    std::size_t m_n = 0;
    int m_type = -1;
    double m_sum = 0;
    std::vector<double> m_values;
};

// Two doubles handled as one value; plain scalar code where the target has no vector unit.
using Pair = double __attribute__((vector_size(16)));
Pair LoadPair(const double* p) {
    Pair v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
void StorePair(double* p, Pair v) {
    std::memcpy(p, &v, sizeof v);
}

// out[k] = sqrt(out[k]) / norm for k < count.
void RootsOver(double* out, std::size_t count, double norm) {
    std::size_t k = 0;
#if defined(__SSE2__)
    const __m128d divisor = _mm_set1_pd(norm);
    for (; k + 2 <= count; k += 2)
        _mm_storeu_pd(out + k, _mm_div_pd(_mm_sqrt_pd(_mm_loadu_pd(out + k)), divisor));
#endif
    for (; k < count; ++k)
        out[k] = std::sqrt(out[k]) / norm;
}

// Amplitude spectrum of len real values (len a power of two from 2 up) by decimation in
// frequency. The real input is packed as len / 2 complex points (even samples real, odd samples
// imaginary), transformed, and split into the spectrum of the real input: half the work of a
// complex transform with zero imaginary parts, and the same result. The twiddles, the bit-reversal
// swaps and the buffers of the last length are kept, so a call of the same length allocates
// nothing and evaluates no sine.
class RealSpectrum {
public:
    void Prepare(std::size_t len) {
        if (len == m_len)
            return;
        const std::size_t m = len / 2;
        m_len = 0; // until every table of the new length is in place
        m_re.assign(m, 0.0);
        m_im.assign(m, 0.0);
        // Stage twiddles exp(-2 pi i k / 2h), k < h, for h = m / 2, m / 4, ..., 1, one after another.
        m_twRe.clear();
        m_twIm.clear();
        for (std::size_t h = m / 2; h >= 1; h /= 2) {
            for (std::size_t k = 0; k < h; ++k) {
                const double a = -kPi * static_cast<double>(k) / static_cast<double>(h);
                m_twRe.push_back(std::cos(a));
                m_twIm.push_back(std::sin(a));
            }
        }
        // Split twiddles exp(-2 pi i k / len), k = 0 .. m.
        m_splitRe.resize(m + 1);
        m_splitIm.resize(m + 1);
        for (std::size_t k = 0; k <= m; ++k) {
            const double a = -2 * kPi * static_cast<double>(k) / static_cast<double>(len);
            m_splitRe[k] = std::cos(a);
            m_splitIm[k] = std::sin(a);
        }
        // The transform leaves its result in bit-reversed order; these pairs swap it back.
        m_swaps.clear();
        const unsigned bits = m > 1 ? NumberOfBitsNeeded(static_cast<std::uint32_t>(m)) : 0;
        for (std::uint32_t k = 0; k < m; ++k) {
            const std::uint32_t r = ReverseBits(k, bits);
            if (k < r)
                m_swaps.push_back({k, r});
        }
        m_len = len;
    }

    // Transforms the values input(0) .. input(len - 1).
    template <typename Input> void Transform(Input&& input) {
        const std::size_t m = m_len / 2;
        double* re = m_re.data();
        double* im = m_im.data();
        for (std::size_t k = 0; k < m; ++k) {
            re[k] = input(2 * k);
            im[k] = input(2 * k + 1);
        }
        const double* twRe = m_twRe.data();
        const double* twIm = m_twIm.data();
        for (std::size_t h = m / 2; h >= 2; h /= 2) {
            for (std::size_t block = 0; block < m; block += 2 * h)
                Butterflies(re + block, im + block, h, twRe, twIm);
            twRe += h;
            twIm += h;
        }
        if (m >= 2) { // the last stage: half-blocks of one point, twiddle 1
            for (std::size_t k = 0; k < m; k += 2) {
                const double ar = re[k], ai = im[k], br = re[k + 1], bi = im[k + 1];
                re[k] = ar + br;
                im[k] = ai + bi;
                re[k + 1] = ar - br;
                im[k + 1] = ai - bi;
            }
        }
        for (const auto& s : m_swaps) {
            std::swap(re[s.first], re[s.second]);
            std::swap(im[s.first], im[s.second]);
        }
    }

    // out[j] = |X[j]| / norm for j < count (count <= len), X the spectrum of the real input.
    // Above len / 2 the spectrum of a real input mirrors: |X[j]| = |X[len - j]|.
    void Magnitudes(std::size_t count, double norm, double* out) const {
        const std::size_t m = m_len / 2;
        const std::size_t direct = std::min(count, m + 1);
        const double* re = m_re.data();
        const double* im = m_im.data();
        for (std::size_t k = 0; k < direct; ++k) {
            // Z[k] and Z[m - k] of the packed transform (Z[m] is Z[0]).
            const std::size_t p = k == m ? 0 : k, q = k == 0 ? 0 : m - k;
            const double a = re[p], b = im[p], c = re[q], d = im[q];
            // Even part (Z[k] + conj Z[m-k]) / 2, odd part (Z[k] - conj Z[m-k]) / 2i.
            const double evenRe = 0.5 * (a + c), evenIm = 0.5 * (b - d);
            const double oddRe = 0.5 * (b + d), oddIm = 0.5 * (c - a);
            const double wr = m_splitRe[k], wi = m_splitIm[k];
            const double xr = evenRe + wr * oddRe - wi * oddIm;
            const double xi = evenIm + wr * oddIm + wi * oddRe;
            out[k] = xr * xr + xi * xi;
        }
        RootsOver(out, direct, norm);
        for (std::size_t k = direct; k < count; ++k)
            out[k] = out[m_len - k];
    }

private:
    // One block of a decimation-in-frequency stage, h even: (a, b) -> (a + b, (a - b) w[k]).
    static void Butterflies(double* re, double* im, std::size_t h, const double* twRe, const double* twIm) {
        double* re2 = re + h;
        double* im2 = im + h;
        for (std::size_t k = 0; k < h; k += 2) {
            const Pair ar = LoadPair(re + k), ai = LoadPair(im + k);
            const Pair br = LoadPair(re2 + k), bi = LoadPair(im2 + k);
            const Pair wr = LoadPair(twRe + k), wi = LoadPair(twIm + k);
            const Pair dr = ar - br, di = ai - bi;
            StorePair(re + k, ar + br);
            StorePair(im + k, ai + bi);
            StorePair(re2 + k, dr * wr - di * wi);
            StorePair(im2 + k, dr * wi + di * wr);
        }
    }

    std::size_t m_len = 0;
    std::vector<double> m_re, m_im;
    std::vector<double> m_twRe, m_twIm;
    std::vector<double> m_splitRe, m_splitIm;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_swaps;
};

// Per thread: clients may compute spectra on several threads at once.
thread_local WindowCache t_windows;
thread_local RealSpectrum t_spectrum;

} // namespace
} // namespace kv::sdk

using namespace kv::sdk;
using kv::Saturate;
using kv::TruncSat;

TESSEL_API void dsoFFT(uint32_t numSamples, int inverse, const double* realIn, const double* imagIn,
                       double* realOut, double* imagOut) {
    Guarded(0, [&] {
        if (numSamples < 2 || (numSamples & (numSamples - 1)) != 0) {
            std::fputs(kv::FormatText("Tessel FFT: the sample count %u is not a power of two from 2 up\n",
                                      numSamples)
                           .c_str(),
                       stderr);
            return 0;
        }
        const struct {
            const void* p;
            const char* name;
        } required[] = {{realIn, "RealIn"}, {realOut, "RealOut"}, {imagOut, "ImagOut"}};
        for (const auto& r : required) {
            if (!r.p) {
                std::fputs(kv::FormatText("Tessel FFT: %s is a null pointer\n", r.name).c_str(), stderr);
                return 0;
            }
        }
        const std::uint32_t n = numSamples;
        const unsigned bits = NumberOfBitsNeeded(n);
        // Read every input before writing: the outputs may be the inputs.
        std::vector<double> re(realIn, realIn + n), im(n, 0.0);
        if (imagIn)
            im.assign(imagIn, imagIn + n);
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint32_t j = ReverseBits(i, bits);
            realOut[j] = re[i];
            imagOut[j] = im[i];
        }
        const double sign = inverse ? -1.0 : 1.0;
        for (std::uint64_t block = 2; block <= n; block <<= 1) {
            const double angle = sign * 2 * kPi / static_cast<double>(block);
            // Twiddle w = exp(-i angle j), advanced by one rotation per j.
            const double s = std::sin(angle / 2);
            const double alpha = 2 * s * s, beta = std::sin(angle);
            const std::uint64_t half = block / 2;
            double wr = 1.0, wi = 0.0;
            for (std::uint64_t j = 0; j < half; ++j) {
                for (std::uint64_t i = j; i < n; i += block) {
                    const std::uint64_t k = i + half;
                    const double tr = wr * realOut[k] - wi * imagOut[k];
                    const double ti = wr * imagOut[k] + wi * realOut[k];
                    realOut[k] = realOut[i] - tr;
                    imagOut[k] = imagOut[i] - ti;
                    realOut[i] += tr;
                    imagOut[i] += ti;
                }
                const double nr = wr - (alpha * wr - beta * wi);
                const double ni = wi - (alpha * wi + beta * wr);
                wr = nr;
                wi = ni;
            }
        }
        if (inverse) {
            for (std::uint32_t i = 0; i < n; ++i) {
                realOut[i] /= n;
                imagOut[i] /= n;
            }
        }
        return 1;
    });
}

TESSEL_API int dsoFFTDataBuffer(int interpolate, int32_t scaleTenths, int32_t* dst, const uint32_t* src) {
    return Guarded(0, [&] {
        if (!dst || !src)
            return 0;
        // A scale of 0 or below divides by zero or never advances.
        if (scaleTenths <= 0)
            return 1;
        const double x = scaleTenths / 10.0;
        if (interpolate) {
            for (std::int64_t i = 0; i < 500 / x; ++i) {
                const double a = src[i], b = src[i + 1];
                const std::int64_t base = static_cast<std::int64_t>(x * static_cast<double>(i));
                for (std::int64_t j = 0; j < x; ++j) {
                    const std::int64_t at = base + j;
                    if (at >= 1000)
                        break;
                    const auto v = TruncSat<std::int64_t>(a + static_cast<double>(j) * (b - a) / x);
                    dst[at] = static_cast<std::uint16_t>(v); // kept to 16 bits
                }
            }
        } else {
            for (int i = 0; i < 1000; ++i)
                dst[i] = static_cast<int32_t>(src[static_cast<std::int64_t>(i / x)]);
        }
        return 1;
    });
}

TESSEL_API void dsoFFTDisplayData(HDC dc, const int32_t* layout, const int32_t* spectrum) {
    Guarded(0, [&] {
        COLORREF colour = 0;
        if (!dc || !layout || !spectrum || layout[12] == 1 || !SpectrumColour(layout[7], &colour))
            return 0;
        // Extents and coordinates in 64 bits: a client's extreme margins would overflow int, and
        // every coordinate is then held to the int range.
        const std::int64_t left = layout[2], top = layout[4];
        const std::int64_t pw = std::int64_t{layout[0]} - layout[2] - layout[3];
        const std::int64_t ph = std::int64_t{layout[1]} - layout[4] - layout[5];
        const std::int64_t g = layout[6] <= 0 ? 1 : layout[6];
        const auto code = [&](std::int64_t i) {
            return static_cast<int>(static_cast<std::uint16_t>(spectrum[i]));
        };
        const auto xOf = [&](std::int64_t i) { return Saturate<int>(left + g * i * pw / 500); };
        const auto yOf = [&](int u) { return Saturate<int>(top + (511 - u) * ph / 511); };
        const int bottom = Saturate<int>(top + ph);
        ScopedObject pen(dc, CreatePen(PS_SOLID, 1, colour));
        for (std::int64_t i = 1; i <= 500 / g - 1; ++i) {
            const int u = code(g * i), x = xOf(i), y = yOf(u);
            if (layout[8] != 0) {
                if (u <= 510)
                    Line(dc, x, bottom, x, y);
                continue;
            }
            const int t = code(g * (i - 1)), px = xOf(i - 1), py = yOf(t);
            if (t <= 510 && u <= 510)
                Line(dc, px, py, x, y);
            else if (t <= 510)
                Line(dc, px, py, x, 0);
            else if (u >= 1 && u <= 510)
                Line(dc, px, 0, x, y);
        }
        return 1;
    });
}

TESSEL_API void dsoFFTDrawGrid(HDC dc, const int32_t* layout) {
    Guarded(0, [&] {
        if (!dc || !layout || layout[12] == 1)
            return 0;
        // The graticule works in int pixels: sizes or margins beyond a quarter of that range (no
        // screen or page comes near them) would overflow its sums, and draw nothing.
        constexpr std::int32_t kReach = std::int32_t{1} << 29;
        for (int field = 0; field < 6; ++field)
            if (layout[field] < -kReach || layout[field] > kReach)
                return 0;
        DrawGraticule(dc, PlotOf(layout));
        return 1;
    });
}

TESSEL_API void dsoNewFFT(const DsoFftSettings* settings, const uint16_t* samples, uint16_t offset,
                          double* out) {
    Guarded(0, [&] {
        // With no samples the length and the window sum below would be log(0) and 0.
        if (!settings || !samples || !out || settings->halfCount == 0)
            return 0;
        const std::size_t half = settings->halfCount, n = 2 * half;
        double windowSum = 0;
        const double* window = t_windows.For(settings->window, n, &windowSum);
        // A window that is 0 at every sample leaves nothing to normalise by: Hanning over two
        // samples exactly, Blackman over two up to rounding (a sum of -3e-17 would scale the
        // spectrum by 1e17).
        if (std::fabs(windowSum) < 1e-9)
            return 0;
        std::size_t len = std::size_t{1}
                          << static_cast<int>(std::log(static_cast<double>(n)) / std::log(2.0) + 0.001);
        // The 0.001 rounds counts just below a power of two up to it (n = 131070 gives 131072),
        // and the transform would then run past the n points it has.
        while (len > n)
            len /= 2;
        // The transform takes the first len windowed volts; the window spans all n samples.
        RealSpectrum& spectrum = t_spectrum;
        spectrum.Prepare(len);
        const double scale = kv::scale::CodesToVolts(1.0, settings->voltsPerDivision);
        spectrum.Transform([&](std::size_t k) {
            return (static_cast<double>(samples[k]) + offset - 511) * scale * window[k];
        });
        spectrum.Magnitudes(half, windowSum / 2, out);
        return 1;
    });
}

TESSEL_API int dsoFFTGetSamples(const uint16_t* screen, uint16_t halfCount, uint16_t* dst) {
    return Guarded(0, [&] {
        // N = 0 would divide the record into groups of 10240 / 0 points.
        if (!screen || !dst || halfCount == 0)
            return 0;
        const std::uint32_t n = 2u * halfCount;
        if (n == 4096) {
            for (std::uint32_t i = 0; i < n; ++i)
                dst[i] = screen[i * 10240 / 4096];
        } else if (n > 4096) {
            // 8192 picks, but never more than the n entries the caller's output holds.
            const std::uint32_t count = std::min<std::uint32_t>(n, 8192);
            for (std::uint32_t i = 0; i < count; ++i)
                dst[i] = screen[i * 10240 / 8192];
        } else {
            const std::uint32_t d = 10240 / n;
            const std::uint32_t groups = std::min<std::uint32_t>(n, 10240 / d);
            for (std::uint32_t j = 0; j < groups; ++j) {
                std::uint32_t sum = 0; // a 16-bit sum overflows for n below 80
                for (std::uint32_t k = 0; k < d; ++k)
                    sum += screen[j * d + k];
                dst[j] = static_cast<uint16_t>(sum / d);
            }
        }
        return 1;
    });
}
