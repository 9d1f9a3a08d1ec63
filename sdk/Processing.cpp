// Channel data processing: screen and FFT buffers, the MATH record, offset and ground
// corrections, pair reductions, roll-mode and stopped-display shifts, and the level and period
// helpers of the long records. Nothing here talks to the instrument.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "DisplayRecord.h"
#include "Driver.h"
#include "ModelConstants.h"
#include "Stretch.h"
#include "Tessel.h"
#include "system/Narrow.h"

namespace kv::sdk {
namespace {

constexpr std::uint16_t kMathGap = 700;
constexpr std::size_t kMathPoints = 501;

const double kVoltsPerDivision[10] = {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10};

double ProbeFactor(int difference) {
    static const double decades[7] = {0.001, 0.01, 0.1, 1, 10, 100, 1000};
    if (difference >= -3 && difference <= 3)
        return decades[difference + 3];
    return std::pow(10.0, difference);
}

void StorePair(int16_t* pair, int first, int second) {
    pair[0] = Saturate<std::int16_t>(first);
    pair[1] = Saturate<std::int16_t>(second);
}

// One group of a pair reduction: mode 2 the mean of the given points in both members; other
// modes (min, max) in order of occurrence, first occurrence winning ties, mode 1 narrowed by one.
// The points from first + distinct on all equal the one there (a record's padding): that run is
// looked at once, and the mean counts each of its points, so a huge group costs no more than
// its distinct points.
template <typename At>
void ReduceGroup(At at, std::uint64_t first, std::uint64_t count, std::uint16_t mode, bool meanWithoutEnds,
                 int16_t* pair, std::uint64_t distinct = std::numeric_limits<std::uint64_t>::max()) {
    const std::uint64_t runStart = distinct >= count ? first + count : first + distinct;
    if (mode == 2) {
        std::uint64_t from = first, n = count;
        if (meanWithoutEnds && count > 2) {
            from = first + 1;
            n = count - 2;
        }
        const std::uint64_t walked = runStart > from ? std::min(n, runStart - from) : 0;
        std::uint64_t sum = 0;
        for (std::uint64_t j = 0; j < walked; ++j)
            sum += at(from + j);
        if (walked < n)
            sum += static_cast<std::uint64_t>(at(runStart)) * (n - walked);
        const int mean = n == 0 ? 0 : static_cast<int>(sum / n);
        StorePair(pair, mean, mean);
        return;
    }
    int minV = std::numeric_limits<int>::max(), maxV = -1;
    std::uint64_t minAt = 0, maxAt = 0;
    // A later point equal to an earlier one changes neither extreme nor its place.
    const std::uint64_t visited = std::min(count, runStart - first + 1);
    for (std::uint64_t j = 0; j < visited; ++j) {
        const int v = at(first + j);
        if (v < minV) {
            minV = v;
            minAt = j;
        }
        if (v > maxV) {
            maxV = v;
            maxAt = j;
        }
    }
    if (mode == 1 && maxV > 1) {
        ++minV;
        --maxV;
    }
    if (minAt < maxAt)
        StorePair(pair, minV, maxV);
    else
        StorePair(pair, maxV, minV);
}

// Moves a 500-point record from the capture point to the current point, both given as
// 500 x position / 100 screen points.
void Shift(const std::uint16_t* s, std::uint16_t* dst, std::int64_t capture, std::int64_t current) {
    if (capture >= current) {
        const std::int64_t off = capture - current;
        for (std::int64_t k = 0; off + k < 500; ++k)
            dst[k] = s[off + k];
    } else {
        const std::int64_t off = current - capture;
        for (std::int64_t k = 0; off + k < 500; ++k)
            dst[off + k] = s[k];
    }
}

} // namespace
} // namespace kv::sdk

using namespace kv::sdk;
using kv::Saturate;
using kv::TruncSat;

TESSEL_API void dsoChannelDataBuffer(const uint16_t* captureSettings, uint16_t mode, uint16_t* dst,
                                     const uint16_t* src) {
    Guarded(0, [&] {
        if (!captureSettings || !dst || !src)
            return 0;
        const std::uint16_t timeBase = captureSettings[2];
        const bool doubled = captureSettings[6] != 1 && captureSettings[1] == 2;
        if (timeBase > 10 || (timeBase == 10 && !doubled)) {
            const std::uint32_t n =
                timeBase > 10 ? BufferRecordLength(captureSettings[5]) : kScreenRecordLength;
            std::memmove(dst, src, n * sizeof(std::uint16_t));
            return 1;
        }
        // Output points per source point by time-base index 0..10.
        static const double factors[11] = {2000, 1000, 400, 200, 100, 40, 20, 10, 4, 2, 1};
        const double factor = factors[timeBase] * (doubled ? 2 : 1);
        dsoStretchData(timeBase >= 5 ? kStretchLinear : mode, factor, dst, src, captureSettings);
        return 1;
    });
}

TESSEL_API void dsoFFTBuffer(const uint16_t* captureSettings, uint16_t selector, uint16_t* dst,
                             const uint16_t* src) {
    Guarded(0, [&] {
        if (!captureSettings || !dst || !src || selector != 5)
            return 0;
        const double factor = (captureSettings[0] != 2 && captureSettings[1] == 2) ? 80 : 40;
        dsoStretchData(kStretchLinear, factor, dst, src, captureSettings);
        return 1;
    });
}

TESSEL_API double dsoChannelDataMathOperation(uint16_t* dst, const uint16_t* ch1, const uint16_t* ch2,
                                              const uint16_t* mathBlock, uint16_t ch1VoltsIndex,
                                              uint16_t ch2VoltsIndex, const uint16_t* offsets,
                                              const uint16_t* probeBlock, const uint16_t* operationBlock) {
    return Guarded(0.0, [&]() -> double {
        if (!dst || !ch1 || !ch2 || !mathBlock || !offsets || !probeBlock || !operationBlock)
            return 0.0;
        const std::uint16_t mathVolts = mathBlock[6];
        const std::uint16_t operands = operationBlock[0], operation = operationBlock[1];
        // Unchecked, these index the volts table out of bounds and leave the result undefined.
        if (ch1VoltsIndex > 9 || ch2VoltsIndex > 9 || mathVolts > 9 || operands > 3 || operation > 3) {
            std::fill(dst, dst + kMathPoints, kMathGap);
            return 0.0;
        }
        const double p1 = ProbeFactor(static_cast<int>(probeBlock[0]) - probeBlock[4]);
        const double p2 = ProbeFactor(static_cast<int>(probeBlock[2]) - probeBlock[4]);
        const double v1 = kVoltsPerDivision[ch1VoltsIndex], v2 = kVoltsPerDivision[ch2VoltsIndex];
        const double vm = kVoltsPerDivision[mathVolts];
        const int position = mathBlock[1];
        for (std::size_t i = 0; i < kMathPoints; ++i) {
            const double a = static_cast<double>(static_cast<int>(ch1[i]) - 511 + offsets[0]) * p1 * v1 / vm;
            const double b = static_cast<double>(static_cast<int>(ch2[i]) - 511 + offsets[1]) * p2 * v2 / vm;
            const double x = operands == 2 || operands == 3 ? b : a; // left operand
            const double y = operands == 1 ? b : (operands == 2 ? a : x);
            const bool same = operands == 0 || operands == 3;
            double result = 0.0;
            bool gap = false;
            switch (operation) {
            case 0:
                result = x + y;
                break;
            case 1:
                result = same ? 0.0 : x - y;
                break;
            case 2:
                result = x * y;
                break;
            default:
                if (same)
                    result = 1.0;
                else if (y == 0.0)
                    gap = true;
                else
                    result = std::fabs(x) / std::fabs(y);
            }
            // Saturated: a negative or huge result would wrap into an unrelated code.
            dst[i] = gap ? kMathGap : TruncSat<std::uint16_t>(result + 511 - position);
        }
        return p1 * v1 / vm;
    });
}

TESSEL_API int dsoChannelDataAdjustOffset(uint16_t level, uint16_t* record) {
    if (!record)
        return 0;
    // 16-bit wrap-around on purpose: the opposite call restores the record exactly.
    const auto delta = static_cast<std::uint16_t>(kMidLevel - level);
    for (std::uint32_t i = 0; i < kDeepRecordLength; ++i)
        record[i] = static_cast<std::uint16_t>(record[i] + delta);
    return 1;
}

TESSEL_API int dsoChannelInGND(uint16_t value, uint16_t* record) {
    if (!record)
        return 0;
    std::fill(record, record + kGroundFillLength, value);
    return 1;
}

TESSEL_API void dsoChannelDataFilt(uint16_t /*unused*/, uint16_t position, int16_t* pairs,
                                   const uint16_t* record, uint16_t recordSelector, uint16_t mode) {
    if (!pairs || !record)
        return;
    // Past 100 % the window would start beyond the record.
    const std::uint32_t p = std::min<std::uint16_t>(position, 100);
    const bool screen = IsScreenBufferSelector(recordSelector);
    const std::uint32_t window = screen ? 10000 : kDeepFilterWindow;
    const std::uint32_t group = screen ? 40 : kDeepFilterGroup;
    const std::uint32_t length = screen ? kScreenRecordLength : kDeepRecordLength;
    const double perPercent = screen ? 102.4 : kDeepRecordLength / 100.0;
    // Source point trunc(p x perPercent) - 1 lands at window index p x window / 100 - 1; the
    // points before and after it follow in order, so the window is one run of the record.
    const std::int64_t source = p == 0 ? 0 : static_cast<std::int64_t>(p * perPercent) - 1;
    const std::int64_t at = p == 0 ? 0 : static_cast<std::int64_t>(p) * (window / 100) - 1;
    const std::int64_t start = std::clamp<std::int64_t>(source - at, 0, length - window);
    const auto value = [&](std::uint64_t i) { return static_cast<int>(record[i]); };
    for (std::uint32_t k = 0; k < 250; ++k)
        ReduceGroup(value, static_cast<std::uint64_t>(start) + k * group, group, mode, true, pairs + 2 * k);
}

TESSEL_API void dsoChannelDataFiltbackup(uint16_t timeBaseIndex, int16_t* pairs, uint16_t* record,
                                         uint16_t recordSelector) {
    if (!pairs || !record)
        return;
    std::uint32_t group = 40;
    if (!IsScreenBufferSelector(recordSelector)) {
        // Moved in the caller's array, as callers of this reduction expect.
        std::memmove(record, record + 2048, 30720 * sizeof(std::uint16_t));
        const std::uint16_t t = timeBaseIndex;
        group = t == 11 ? 60 : ((t == 13 || t == 16 || t == 19 || t == 22) ? 100 : 80);
    }
    int previousFirst = 0;
    for (std::uint32_t k = 0; k < 251; ++k) {
        const std::uint16_t* g = record + static_cast<std::size_t>(k) * group;
        const auto [lo, hi] = std::minmax_element(g, g + group);
        const bool rising = k >= 2 && *hi < previousFirst;
        if (rising)
            StorePair(pairs + 2 * k, *lo, *hi);
        else
            StorePair(pairs + 2 * k, *hi, *lo);
        previousFirst = pairs[2 * k];
    }
}

TESSEL_API void dsoStopDataFilt(uint32_t groupSize, uint32_t groupCount, const uint16_t* record,
                                int16_t* pairs, uint16_t mode, uint32_t validLength) {
    // A group size of 0 divides by zero, and a valid length of 0 reads before the record.
    if (!record || !pairs || groupSize == 0 || validLength == 0)
        return;
    const std::uint64_t last = validLength - 1;
    const auto value = [&](std::uint64_t i) { return static_cast<int>(record[std::min(i, last)]); };
    for (std::uint64_t k = 0; k < groupCount; ++k) {
        const std::uint64_t first = k * groupSize;
        // From the last valid point on every point reads the same.
        ReduceGroup(value, first, groupSize, mode, false, pairs + 2 * k, first <= last ? last - first : 0);
    }
}

TESSEL_API int dsoChannelAverageData(const uint16_t* record) {
    if (!record)
        return 0;
    int maxV = 0, minV = 511;
    for (std::uint32_t i = 0; i < kScreenRecordLength; ++i) {
        maxV = std::max<int>(maxV, record[i]);
        minV = std::min<int>(minV, record[i]);
    }
    if (maxV == 511 && (minV == 510 || minV == 511))
        return 511;
    if (maxV == 1 && minV == 0)
        return 0;
    long sum = 0;
    for (int i = 100; i < 500; ++i)
        sum += record[i];
    return static_cast<int>(sum / 400);
}

TESSEL_API int dsoScrollDisplayData(uint16_t* display, const uint16_t* levels, const uint16_t* channelBlock,
                                    uint16_t newCode, uint16_t channel) {
    if (!display || !levels || !channelBlock)
        return 0;
    std::memmove(display, display + 1, (kDisplayPoints - 1) * sizeof(std::uint16_t));
    int code = newCode;
    if (channelBlock[2] == 1 && channel == 1)
        code = 511 - levels[0];
    if (channelBlock[3] == 1 && channel == 2)
        code = 511 - levels[1];
    display[kDisplayPoints - 1] = Saturate<std::uint16_t>(code);
    return 1;
}

TESSEL_API void dsoScrollDisplayDataInStop(const uint16_t* src, uint16_t* dst, uint16_t capturePosition,
                                           uint16_t currentPosition, uint16_t factor, uint16_t mode) {
    if (!src || !dst)
        return;
    std::fill(dst, dst + kDisplayPoints, kNoData);
    // A factor of 0 would never advance through the record.
    const std::int64_t c = factor == 0 ? 1 : factor;
    // 500 g and 500 f for positions in percent: whole numbers, kept exact.
    const std::int64_t g = 5 * static_cast<std::int64_t>(capturePosition);
    const std::int64_t f = 5 * static_cast<std::int64_t>(currentPosition);
    if (mode == 2) {
        // Expanded record of 500 c codes: point j repeats source point j / c.
        const std::int64_t expanded = 500 * c;
        if (f > g * c) {
            const std::int64_t start = f - g * c;
            for (std::int64_t j = 0; start + j <= 499 && j < expanded; ++j)
                dst[start + j] = src[j / c];
        } else {
            const std::int64_t off = g * c - f;
            for (std::int64_t k = 0; k < 500 && off + k < expanded; ++k)
                dst[k] = src[(off + k) / c];
        }
        return;
    }
    if (mode == 1) {
        Shift(src, dst, g, f);
        return;
    }
    // Reduced: every c-th source point about the capture point, then shifted.
    std::uint16_t reduced[kDisplayPoints];
    std::fill(reduced, reduced + kDisplayPoints, kNoData);
    const std::int64_t centre = g - 1;
    for (std::int64_t j = 0;; ++j) {
        const std::int64_t at = centre + j, from = centre + j * c;
        if (at > 499 || from > 499)
            break;
        if (at >= 0 && from >= 0)
            reduced[at] = src[from];
    }
    for (std::int64_t j = 1;; ++j) {
        const std::int64_t at = centre - j, from = centre - j * c;
        if (at < 0 || from < 0 || at > 499 || from > 499)
            break;
        reduced[at] = src[from];
    }
    Shift(reduced, dst, g, f);
}

TESSEL_API int dsoGetPointsNumberInPeriod(uint16_t* out, const uint16_t* record) {
    if (!out || !record)
        return 0;
    bool high = record[0] > kMidLevel;
    int phase = 0; // 0 before the first rise, 1 before the fall, 2 before the second rise
    int i = 1;
    for (; i < 20000; i += 4) {
        const int v = record[i];
        if (!high && v > kMidLevel + 8) {
            high = true;
            if (phase == 0) {
                out[0] = static_cast<std::uint16_t>(i);
                phase = 1;
            } else if (phase == 2) {
                out[1] = static_cast<std::uint16_t>(i);
                break;
            }
        } else if (high && v < kMidLevel - 8) {
            high = false;
            if (phase == 1)
                phase = 2;
        }
    }
    return i;
}

TESSEL_API int dsoGetAmplitude(uint16_t* out, const uint16_t* record) {
    if (!out || !record)
        return 0;
    int maxV = 0, minV = 511;
    for (int i = 100; i < 9900; ++i) {
        maxV = std::max<int>(maxV, record[i]);
        minV = std::min<int>(minV, record[i]);
    }
    out[0] = static_cast<std::uint16_t>(maxV);
    out[1] = static_cast<std::uint16_t>(minV);
    return std::abs(maxV - minV);
}
