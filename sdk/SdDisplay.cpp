// The rest of the sd family: seconds per division and sample-rate figure by time base, drawing
// and processing wrappers, and the one-call spectrum with its drawing.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Driver.h"
#include "Tessel.h"
#include "gdi/gdi.h"
#include "system/Narrow.h"
#include "timebase/TimeBaseTable.h"

namespace kv::sdk {
namespace {

constexpr double kSdPi = 3.1415; // the window formulas' value of pi
constexpr int kSpectrumPoints = 500;

using kv::timebase::kSecondsPerDivision;

double SampleRateFigure(std::uint8_t flag1, std::uint8_t flag2, std::uint16_t ets, std::uint16_t mode,
                        std::uint16_t t, std::uint16_t selector) {
    static const double equivalent[7] = {5e4, 2.5e4, 1e4, 5e3, 2.5e3, 1e3, 500};
    static const double mid[4] = {100, 50, 25, 10};
    static const double slowScreen[11] = {5, 2.5, 1, 0.5, 0.25, 0.1, 0.05, 0.025, 0.01, 0.005, 0.0025};
    static const double slowShort[11] = {250, 125, 50, 25, 12.5, 5, 2.5, 1.25, 0.5, 0.25, 0.125};
    static const double slowDeep[11] = {500, 250, 100, 50, 25, 10, 5, 2.5, 1, 0.5, 0.25};
    static const double roll[13] = {20,   10,    33.3,  16.67, 0.83,  0.83, 0.33,
                                    0.33, 0.167, 0.056, 0.056, 0.028, 0.028};
    if (t <= 6 && ets != 0)
        return equivalent[t];
    if (t <= 10)
        return mode == 2 ? 250 : ((flag1 != 0 && flag2 != 0) ? 125 : 250);
    if (t <= 14)
        return mid[t - 11];
    if (t <= 25) {
        const double* table = selector == 10 ? slowScreen : (selector == 512 ? slowShort : slowDeep);
        return table[t - 15];
    }
    return roll[t - 26];
}

// Input samples of the spectrum for N points, time-base index t, records A and B.
void SpectrumInput(std::uint16_t n, std::uint16_t t, const std::uint16_t* a, const std::uint16_t* b,
                   std::vector<double>& x) {
    if (n == 256) {
        for (int i = 0; i <= 254; ++i)
            x[i] = a[i + 10];
        return;
    }
    const double k = n == 512 ? 10 : (n == 1024 ? 5 : (n == 2048 ? 2.5 : 1.25));
    const int d = n == 512 ? 10 : (n == 1024 ? 4 : (n == 2048 ? 8 : 16));
    for (int i = 0; i <= n - 2; ++i) {
        if (t >= 13 && t <= 24)
            x[i] = b[static_cast<std::size_t>(i * k)];
        else
            x[i] = a[i / d];
    }
}

// Window factors for N points; a factor beyond the window type's own length is 0.
void SpectrumWindow(std::uint16_t type, std::vector<double>& w) {
    const int n = static_cast<int>(w.size());
    switch (type) {
    case 0:
        for (int i = 0; i < std::min(n, 256); ++i)
            w[i] = 1.0;
        break;
    case 1:
        for (int i = 0; i < std::min(n, 512); ++i)
            w[i] = (1.0 - std::cos(2 * kSdPi * i / 511)) / 2.0;
        break;
    case 2:
        for (int i = 0; i < std::min(n, 1024); ++i)
            w[i] = 0.54 - 0.46 * std::cos(2 * kSdPi * i / 1023);
        break;
    default:
        for (int i = 0; i < std::min(n, 2048); ++i)
            w[i] = 0.42 - 0.5 * std::cos(2 * kSdPi * i / 2047) + 0.08 * std::cos(4 * kSdPi * i / 2047);
        break;
    }
}

// Stretch scale in tenths by point count.
float SpectrumStretch(std::uint16_t n) {
    switch (n) {
    case 256:
        return 40.0f;
    case 512:
        return 20.0f;
    case 1024:
        return 10.0f;
    case 2048:
        return 5.0f;
    default:
        return 2.5f;
    }
}

bool ValidPointCount(std::uint16_t n) {
    return n == 256 || n == 512 || n == 1024 || n == 2048 || n == 4096;
}

} // namespace
} // namespace kv::sdk

using namespace kv::sdk;
using kv::TruncSat;

TESSEL_API double sdDisplaySampling(uint8_t flag1, uint8_t flag2, uint16_t equivalentTime, uint16_t mode,
                                    uint16_t timeBaseIndex, uint16_t recordSelector,
                                    double* secondsPerDivision) {
    if (!secondsPerDivision || timeBaseIndex >= kSecondsPerDivision.size())
        return 0.0;
    *secondsPerDivision = kSecondsPerDivision[timeBaseIndex];
    return SampleRateFigure(flag1, flag2, equivalentTime, mode, timeBaseIndex, recordSelector);
}

TESSEL_API void sdMainPanelDrawGrid(HDC dc, const uint16_t* layout) {
    if (dc && layout)
        dsoMainPannelDrawGrid(dc, layout);
}

TESSEL_API int sdDisplayData(HDC dc, const uint16_t* layout, uint16_t mode, const uint16_t* record,
                             const uint16_t* colour) {
    if (!dc || !layout || !record || !colour)
        return 0;
    return dsoDisplayData(dc, layout, mode, record, 0, 511, colour);
}

TESSEL_API void sdDisplayDataXYMode(HDC dc, const uint16_t* layout, uint16_t mode, const uint16_t* xRecord,
                                    const uint16_t* yRecord) {
    if (dc && layout && xRecord && yRecord)
        dsoDisplayDataXYMode(dc, layout, mode, xRecord, yRecord);
}

TESSEL_API void sdGetDisplayData(const uint16_t* captureSettings, int16_t* pairs, const uint16_t* record) {
    if (captureSettings && pairs && record)
        dsoChannelDataFilt(captureSettings[2], captureSettings[3], pairs, record, captureSettings[5], 0);
}

TESSEL_API void sdChannelDataBuffer(const uint16_t* captureSettings, uint16_t mode, uint16_t* dst,
                                    const uint16_t* src) {
    if (captureSettings && dst && src)
        dsoChannelDataBuffer(captureSettings, mode, dst, src);
}

TESSEL_API int sdFFTDataBuffer(uint16_t interpolate, float scale, double* dst, const double* src) {
    if (!dst || !src)
        return 0;
    // A scale of 0 or below never advances the loops below, and a non-number matches nothing.
    if (!(scale > 0.0f) || !std::isfinite(scale))
        return 0;
    const double x = static_cast<double>(scale) / 10.0;
    if (interpolate != 0) {
        const double count = kSpectrumPoints / x;
        for (std::size_t i = 0; static_cast<double>(i) < count; ++i) {
            const double b = src[i];
            const double c = src[i + 1];
            const std::size_t base = static_cast<std::size_t>(x * static_cast<double>(i));
            for (std::size_t j = 0; static_cast<double>(j) < x; ++j) {
                // With 500 / x not whole the last segment would run past the 500 points.
                if (base + j >= static_cast<std::size_t>(kSpectrumPoints))
                    break;
                dst[base + j] = b + static_cast<double>(j) * (c - b) / x;
            }
        }
    } else {
        for (int i = 0; i < 2 * kSpectrumPoints; ++i)
            dst[i] = src[static_cast<std::size_t>(i / x)];
    }
    return 1;
}

TESSEL_API int sdFFT(uint16_t /*unused*/, const uint16_t* captureSettings, const SdSpectrumSettings* spectrum,
                     const uint16_t* firstRecordA, const uint16_t* secondRecordA,
                     const uint16_t* firstRecordB, const uint16_t* secondRecordB, double* out) {
    return Guarded(0, [&] {
        if (!captureSettings || !spectrum || !out)
            return 0;
        const std::uint16_t n = spectrum->pointCount;
        // Any other count or window leaves the input, the window and the output length undefined.
        if (!ValidPointCount(n) || spectrum->windowType > 3)
            return 0;
        const std::uint16_t* a = spectrum->channel == 0 ? firstRecordA : secondRecordA;
        const std::uint16_t* b = spectrum->channel == 0 ? firstRecordB : secondRecordB;
        if (!a || !b)
            return 0;
        const std::uint16_t t = captureSettings[2];

        std::vector<double> x(n, 0.0), w(n, 0.0), re(n, 0.0), im(n, 0.0), outRe(n, 0.0), outIm(n, 0.0);
        SpectrumInput(n, t, a, b, x);
        SpectrumWindow(spectrum->windowType, w);
        for (int i = 0; i <= n - 2; ++i)
            re[i] = x[i] * w[i];
        dsoFFT(n, 0, re.data(), im.data(), outRe.data(), outIm.data());

        // Every bin is made positive before the fold, bin N - 1 included, which folds into bin 1.
        for (int i = 0; i < n; ++i) {
            outRe[i] = std::fabs(outRe[i]);
            outIm[i] = std::fabs(outIm[i]);
        }
        for (int i = 1; i <= n / 2 - 2; ++i) {
            outRe[i] += outRe[n - i];
            outIm[i] += outIm[n - i];
        }

        const int m = (n / 256) * 125;
        // One more value than computed: the stretch reads one point past the last one.
        std::vector<double> y(static_cast<std::size_t>(m) + 1, 0.0);
        for (int l = 0; l <= m - 2; ++l) {
            const int q = (n / 2) * l / m;
            y[l] = (2 * outIm[q] + 2 * outRe[q]) * spectrum->gain / 1000.0;
        }
        if (spectrum->linear == 0.0) {
            // The logarithm of a value of 0 or below is no level; such values stay as they are.
            for (double& v : y)
                if (v > 0.0)
                    v = 20.0 * std::log(v) / std::log(10.0);
        }
        for (double& v : y)
            v *= spectrum->scale;
        return sdFFTDataBuffer(1, SpectrumStretch(n), out, y.data());
    });
}

TESSEL_API void sdFFTDisplayData(HDC dc, const uint16_t* layout, const double* spectrum) {
    if (!dc || !layout || !spectrum)
        return;
    const int left = layout[2], top = layout[4];
    const double plotWidth = static_cast<double>(layout[0]) - layout[2] - layout[3];
    const double plotHeight = static_cast<double>(layout[1]) - layout[4] - layout[5];
    const double yScale = plotHeight / 256.0;
    auto yOf = [&](int v) -> int {
        if (v > 510)
            return 0;
        if (v < 0)
            return TruncSat<int>(yScale * 510.0);
        return TruncSat<int>(yScale * (511 - v) + top);
    };
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(50, 250, 250));
    if (!pen)
        return;
    HGDIOBJ previous = SelectObject(dc, pen);
    for (int i = 1; i < kSpectrumPoints; ++i) {
        const int a = TruncSat<int>(spectrum[i - 1]);
        const int b = TruncSat<int>(spectrum[i]);
        if ((a < 0 || a > 510) && (b < 1 || b > 510))
            continue;
        const int x0 = TruncSat<int>(left + (i - 1) * plotWidth / kSpectrumPoints);
        const int x1 = TruncSat<int>(left + i * plotWidth / kSpectrumPoints);
        MoveToEx(dc, x0, yOf(a), nullptr);
        LineTo(dc, x1, yOf(b));
    }
    SelectObject(dc, previous);
    DeleteObject(pen);
}
