// Spectrum functions: a general complex radix-2 FFT, resampling and drawing of a 500-point
// spectrum trace, and the windowed amplitude spectrum of sample codes.
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <vector>

#include "Drawing.h"
#include "Driver.h"
#include "Narrow.h"
#include "Tessel.h"

namespace kv::sdk {

// Number of index bits of a power of two: the position of its lowest set bit.
unsigned NumberOfBitsNeeded(std::uint32_t powerOfTwo) {
    if (powerOfTwo < 2) {
        std::fprintf(stderr, "Tessel FFT: %u is too small to need index bits\n", powerOfTwo);
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

} // namespace
} // namespace kv::sdk

using namespace kv::sdk;

TESSEL_API void dsoFFT(uint32_t numSamples, int inverse, const double* realIn, const double* imagIn,
                       double* realOut, double* imagOut) {
    Guarded(0, [&] {
        if (numSamples < 2 || (numSamples & (numSamples - 1)) != 0) {
            std::fprintf(stderr, "Tessel FFT: the sample count %u is not a power of two from 2 up\n",
                         numSamples);
            return 0;
        }
        const struct {
            const void* p;
            const char* name;
        } required[] = {{realIn, "RealIn"}, {realOut, "RealOut"}, {imagOut, "ImagOut"}};
        for (const auto& r : required) {
            if (!r.p) {
                std::fprintf(stderr, "Tessel FFT: %s is a null pointer\n", r.name);
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
        const Plot p = PlotOf(layout);
        const std::int64_t g = layout[6] <= 0 ? 1 : layout[6];
        const std::int64_t pw = p.PlotWidth(), ph = p.PlotHeight();
        const auto code = [&](std::int64_t i) {
            return static_cast<int>(static_cast<std::uint16_t>(spectrum[i]));
        };
        const auto xOf = [&](std::int64_t i) { return p.left + static_cast<int>(g * i * pw / 500); };
        const auto yOf = [&](int u) { return p.top + static_cast<int>((511 - u) * ph / 511); };
        const int bottom = p.top + static_cast<int>(ph);
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
        std::vector<double> window(n);
        double windowSum = 0;
        for (std::size_t k = 0; k < n; ++k) {
            window[k] = WindowValue(settings->window, k, n);
            windowSum += window[k];
        }
        if (windowSum == 0)
            return 0; // e.g. a Hanning window over two samples: nothing to normalise by
        std::vector<std::complex<double>> x(n);
        const double scale = settings->voltsPerDivision * 8 / 511;
        for (std::size_t k = 0; k < n; ++k)
            x[k] = {(static_cast<double>(samples[k]) + offset - 511) * scale * window[k], 0.0};
        std::size_t len = std::size_t{1}
                          << static_cast<int>(std::log(static_cast<double>(n)) / std::log(2.0) + 0.001);
        // The 0.001 rounds counts just below a power of two up to it (n = 131070 gives 131072),
        // and the transform would then run past the n points it has.
        while (len > n)
            len /= 2;
        const std::size_t halfLen = len / 2;
        std::vector<std::complex<double>> twiddle(halfLen);
        const double step = 2 * kPi / static_cast<double>(len);
        const std::complex<double> rotation(std::cos(step), -std::sin(step));
        if (halfLen > 0)
            twiddle[0] = {1.0, 0.0};
        for (std::size_t i = 1; i < halfLen; ++i)
            twiddle[i] = twiddle[i - 1] * rotation;
        // Decimation in frequency; the result comes out in bit-reversed order.
        for (std::size_t h = halfLen, stride = 1; h >= 1; h /= 2, stride *= 2) {
            for (std::size_t k = 0; k < h; ++k) {
                for (std::size_t index = k; index + h < len; index += 2 * h) {
                    const std::complex<double> a = x[index], b = x[index + h];
                    x[index] = a + b;
                    x[index + h] = (a - b) * twiddle[stride * k];
                }
            }
        }
        const unsigned bits = NumberOfBitsNeeded(static_cast<std::uint32_t>(len));
        std::vector<bool> swapped(len, false);
        for (std::size_t i = 0; i + 1 < len; ++i) {
            const std::size_t r = ReverseBits(static_cast<std::uint32_t>(i), bits);
            if (!swapped[i] && !swapped[r] && r != i) {
                std::swap(x[i], x[r]);
                swapped[i] = swapped[r] = true;
            }
        }
        for (std::size_t j = 0; j < half; ++j)
            out[j] = std::abs(x[j]) / (windowSum / 2);
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
