// Zoom: rebuilding a display window from a live, reference, stopped, roll-mode or ETS record
// after the client changed the magnification or position, without a new capture. Points without
// data are 1000; every index is held inside its array.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "DisplayRecord.h"
#include "Driver.h"
#include "ModelConstants.h"
#include "Stretch.h"
#include "Tessel.h"
#include "system/Narrow.h"

namespace kv::sdk {
namespace {

// Largest group of the stopped-record zoom-out on a deep record.
constexpr std::uint32_t kDeepZoomOutGroupLimit = kModel == Model::Pallik ? 14000 : 500000;
// Where the reference zooms find the record length of a stored 10240-point record.
constexpr std::size_t kRefLengthWord = 2 * kScreenRecordLength + 3;

// The trailer of a live record: where the channel data read writes it, behind the 2n points its
// buffers hold (room for the double-rate record), so that a client zooms the buffer as it was
// read. Right behind the n points it would fall inside the record's second half.
const std::uint16_t* LiveTrailer(const std::uint16_t* record, std::int64_t n) {
    return record + 2 * n;
}

// A position word in percent: 6554 and above stand for negative positions.
int Percent(std::uint16_t word) {
    return word >= 6554 ? static_cast<int>(word) - 65536 : word;
}

// Shift of a working record of m x n points (each point repeated m times) from the capture
// position c to the current position p (fractions) into n destination points.
template <typename Work>
void ShiftByPositions(Work work, std::int64_t n, std::int64_t m, double c, double p, std::uint16_t* dst) {
    const double nd = static_cast<double>(n), workLength = static_cast<double>(m) * nd;
    if (p * nd > c * workLength) {
        const auto start = TruncSat<std::int64_t>(p * nd - c * workLength);
        for (std::int64_t k = 0; start + k < n && k < m * n; ++k)
            dst[start + k] = work(k);
    } else {
        const auto offset = TruncSat<std::int64_t>(c * workLength - p * nd);
        for (std::int64_t k = 0; k < n && offset + k < m * n; ++k)
            dst[k] = work(offset + k);
    }
}

void NoDataAbove511(std::uint16_t* dst, std::int64_t n) {
    std::replace_if(
        dst, dst + n, [](std::uint16_t v) { return v > 511; }, kNoData);
}

// Every step-th point of `work` forwards and backwards from `centre` into an n-point record.
template <typename Work>
std::vector<std::uint16_t> Decimate(Work work, std::int64_t n, std::int64_t centre, std::int64_t step) {
    std::vector<std::uint16_t> out(static_cast<std::size_t>(n), kNoData);
    for (std::int64_t j = 0;; ++j) {
        const std::int64_t at = centre + j, from = centre + j * step;
        if (at >= n || from >= n)
            break;
        if (at >= 0 && from >= 0)
            out[at] = work(from);
    }
    // Starting where `at` enters the record: a centre far past its end (a capture position word
    // up to 65535 %) would otherwise walk hundreds of millions of steps that write nothing.
    for (std::int64_t j = std::max<std::int64_t>(1, centre - n + 1);; ++j) {
        const std::int64_t at = centre - j, from = centre - j * step;
        if (at < 0 || from < 0)
            break;
        if (at < n && from < n)
            out[at] = work(from);
    }
    return out;
}

// The live record stretched by its own time-base index into n points (1000 where the stretch
// writes nothing).
std::vector<std::uint16_t> StretchedLive(const std::uint16_t* record, std::int64_t n,
                                         std::uint16_t stretchMode) {
    const std::uint16_t* trailer = LiveTrailer(record, n);
    const std::uint16_t timeBase = trailer[0];
    const bool doubleRate = trailer[3] == 1;
    std::vector<std::uint16_t> out(static_cast<std::size_t>(n), kNoData);
    if (timeBase > 10 || (timeBase == 10 && doubleRate)) {
        std::copy(record, record + n, out.begin());
        return out;
    }
    // Output points per source point by time-base index 0..10 (double-rate records / others).
    static const double factors[11][2] = {{1000, 2000}, {1000, 2000}, {400, 800}, {200, 400},
                                          {100, 200},   {40, 80},     {20, 40},   {10, 20},
                                          {4, 8},       {2, 4},       {1, 2}};
    const double factor = factors[timeBase][doubleRate ? 0 : 1];
    const std::uint16_t mode = timeBase >= 6 ? kStretchLinear : stretchMode;
    // The stretch reads the time base and the trigger position only.
    const std::uint16_t settings[7] = {0, 0, timeBase, trailer[2], 0, 10, 0};
    const StretchGeometry g = GeometryFor(settings);
    std::vector<std::uint16_t> work(g.length, kNoData);
    dsoStretchData(mode, factor, work.data(), record, settings);
    // Below index 5 the stretch is 40000 points long: take the 10240-point window that keeps the
    // stretched trigger at the source trigger's index.
    const std::int64_t from = static_cast<std::int64_t>(g.outputTrigger) - g.sourceTrigger;
    const std::int64_t count = std::min<std::int64_t>(
        {n, static_cast<std::int64_t>(kScreenRecordLength), static_cast<std::int64_t>(g.length) - from});
    std::copy(work.begin() + from, work.begin() + from + count, out.begin());
    return out;
}

void ZoomOutCore(const std::uint16_t* src, std::uint16_t* dst, std::int64_t n, std::int64_t repeat,
                 std::int64_t centreShift, double capture, std::uint16_t currentPosition,
                 std::uint16_t step) {
    const std::int64_t s = step == 0 ? 1 : step; // a step of 0 would never advance
    const auto work = [&](std::int64_t k) { return src[k / repeat]; };
    const std::int64_t centre = TruncSat<std::int64_t>(static_cast<double>(n) * capture) + centreShift;
    const std::vector<std::uint16_t> decimated = Decimate(work, n, centre, s);
    std::fill(dst, dst + n, kNoData);
    ShiftByPositions([&](std::int64_t k) { return decimated[k]; }, n, 1, capture,
                     Percent(currentPosition) / 100.0, dst);
}

void MagnifyCore(const std::uint16_t* stretched, std::uint16_t* dst, std::int64_t n,
                 std::uint16_t magnification, double capture, double current) {
    const std::int64_t m = magnification < 2 ? 1 : magnification;
    std::fill(dst, dst + n, kNoData);
    // The m x n working record is never built: its point k is stretched[k / m].
    ShiftByPositions([&](std::int64_t k) { return stretched[k / m]; }, n, m, capture, current, dst);
    NoDataAbove511(dst, n);
}

// Display index x of a spread window: x <= m shows the (m - x) / s-th point left of the trigger,
// x > m the one after it; each point covers s display indexes.
template <typename Left, typename Right>
void Spread(std::uint16_t* dst, std::int64_t m, double s, Left left, Right right) {
    for (std::int64_t x = 0; x < kDisplayPoints; ++x) {
        if (x <= m)
            dst[x] = left(static_cast<std::int64_t>((m - x) / s));
        else
            dst[x] = right(static_cast<std::int64_t>((x - m - 1) / s) + 1);
    }
}

void ProcessZoomInCore(const std::uint16_t* record, std::int64_t n, double capture, std::uint16_t g,
                       std::uint16_t* dst, std::uint16_t filterMode, std::uint32_t width) {
    std::fill(dst, dst + kDisplayPoints, kNoData);
    if (width == 0)
        return; // no window: nothing to draw, and 500 / 0 below
    const std::int64_t w = std::min<std::int64_t>(width, n);
    const std::int64_t d =
        std::max<std::int64_t>(1, TruncSat<std::int64_t>(static_cast<double>(n) * capture));
    const auto value = [&](std::int64_t i) { return i >= 0 && i < n ? record[i] : kNoData; };
    const bool negative = g >= 6554;
    const std::int64_t l = g <= 100 ? 0 : w * (g - 100) / 100;
    const std::int64_t m = std::min<std::int64_t>(5 * static_cast<std::int64_t>(g), 499);
    const std::int64_t base = d - 1 + (65536 - static_cast<std::int64_t>(g)) * w / 100;
    if (w < kDisplayPoints) {
        const double s = std::min(500.0 / static_cast<double>(w), 499.0);
        if (negative) {
            for (std::int64_t x = 0; x < kDisplayPoints; ++x)
                dst[x] = value(base + static_cast<std::int64_t>(x / s));
        } else {
            Spread(
                dst, m, s, [&](std::int64_t i) { return value(d - 1 - l - i); },
                [&](std::int64_t j) { return value(d - 1 + j); });
        }
        return;
    }
    // Wide windows: gather the w points in order, then reduce them to 250 pairs.
    std::vector<std::uint16_t> gathered(static_cast<std::size_t>(w));
    const std::int64_t mw = m * w / kDisplayPoints; // the trigger's place among the gathered points
    for (std::int64_t k = 0; k < w; ++k) {
        if (negative)
            gathered[k] = value(base + k);
        else
            gathered[k] = k <= mw ? value(d - 1 - l - (mw - k)) : value(d - 1 + (k - mw));
    }
    int16_t pairs[2 * 250];
    dsoStopDataFilt(static_cast<std::uint32_t>(2 * w / kDisplayPoints), 250, gathered.data(), pairs,
                    filterMode, static_cast<std::uint32_t>(w));
    for (int i = 0; i < 500; ++i)
        dst[i] = Saturate<std::uint16_t>(pairs[i]);
}

void ProcessZoomOutCore(const std::uint16_t* record, std::int64_t n, std::int64_t limit, double capture,
                        std::uint16_t g, std::uint16_t* dst, std::uint32_t groupSize) {
    std::fill(dst, dst + kDisplayPoints, kNoData);
    if (groupSize == 0)
        return; // no group: nothing to draw, and n / 0 below
    const std::int64_t w = std::min<std::int64_t>(groupSize, limit);
    const std::int64_t e = n / w;
    if (e == 0)
        return;
    std::vector<int16_t> reduced(static_cast<std::size_t>(2 * e));
    dsoStopDataFilt(static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(e), record, reduced.data(), 0,
                    static_cast<std::uint32_t>(n));
    const std::int64_t size = 2 * e;
    const std::int64_t f =
        std::max<std::int64_t>(1, TruncSat<std::int64_t>(static_cast<double>(size) * capture));
    const auto at = [&](std::int64_t i) { return Saturate<std::uint16_t>(reduced[i]); };
    if (g >= 6554) {
        const std::int64_t base = f - 1 + 5 * (65536 - static_cast<std::int64_t>(g));
        for (std::int64_t k = 0; k < kDisplayPoints && base + k < size; ++k)
            if (base + k >= 0)
                dst[k] = at(base + k);
        return;
    }
    const std::int64_t m = std::min<std::int64_t>(5 * static_cast<std::int64_t>(g), 499);
    const std::int64_t o = g <= 100 ? 0 : 5 * (static_cast<std::int64_t>(g) - 100);
    // Right of the trigger first, so that the trigger point itself comes from the left walk.
    for (std::int64_t k = 0; k <= 499 - m; ++k) {
        const std::int64_t i = f - 1 + o + k;
        if (i >= size)
            break;
        if (i >= 0)
            dst[m + k] = at(i);
    }
    for (std::int64_t k = 0; k <= m; ++k) {
        const std::int64_t i = f - 1 - o - k;
        if (i < 0)
            break;
        if (i < size)
            dst[m - k] = at(i);
    }
}

// Record length of a stored reference record: 10240 when word 20483 says so, else the deep record.
std::int64_t ReferenceLength(const std::uint16_t* record) {
    return record[kRefLengthWord] == kScreenRecordLength ? kScreenRecordLength : kDeepRecordLength;
}

} // namespace
} // namespace kv::sdk

using namespace kv::sdk;
using kv::TruncSat;

TESSEL_API void dsoDataResolutionZoomIn(const uint16_t* record, uint16_t* dst, uint16_t magnification,
                                        uint16_t stretchMode, const uint16_t* captureSettings) {
    Guarded(0, [&] {
        if (!record || !dst || !captureSettings)
            return 0;
        const std::int64_t n = BufferRecordLength(captureSettings[5]);
        const std::vector<std::uint16_t> stretched = StretchedLive(record, n, stretchMode);
        MagnifyCore(stretched.data(), dst, n, magnification, LiveTrailer(record, n)[2] / 100.0,
                    Percent(captureSettings[3]) / 100.0);
        return 1;
    });
}

TESSEL_API void dsoDataResolutionZoomOut(const uint16_t* record, uint16_t* dst, uint16_t currentPosition,
                                         uint16_t step, uint16_t recordSelector) {
    Guarded(0, [&] {
        if (!record || !dst)
            return 0;
        const std::int64_t n = BufferRecordLength(recordSelector);
        static const std::int64_t repeats[10] = {2000, 800, 400, 200, 100, 50, 25, 10, 5, 3};
        const std::uint16_t* trailer = LiveTrailer(record, n);
        const std::int64_t repeat = trailer[0] < 10 ? repeats[trailer[0]] : 1;
        const std::int64_t shift = n == kScreenRecordLength ? -120 : 12168;
        ZoomOutCore(record, dst, n, repeat, shift, trailer[2] / 100.0, currentPosition, step);
        return 1;
    });
}

TESSEL_API void dsoDataResolutionZoomInBackup(uint16_t* record, int16_t* pairs, uint16_t position,
                                              uint16_t divisor, uint16_t /*unused*/, uint16_t recordSelector,
                                              uint16_t timeBaseIndex) {
    Guarded(0, [&] {
        if (!record || !pairs)
            return 0;
        const std::int64_t p =
            std::min<std::uint16_t>(position, 100);          // past 100 % the start leaves the record
        const std::int64_t div = divisor == 0 ? 1 : divisor; // 500 / 0 groups otherwise
        std::int64_t length = 0, group = 40;
        if (IsScreenBufferSelector(recordSelector)) {
            length = timeBaseIndex < 11 ? 20000 : kScreenRecordLength;
        } else {
            // Moved in the caller's array, as the earlier reduction does.
            std::memmove(record, record + 2048, 30720 * sizeof(std::uint16_t));
            length = 30720;
            const std::uint16_t t = timeBaseIndex;
            if (t == 11)
                group = 60;
            else if (t == 13 || t == 16 || t == 19 || t == 22)
                group = 100;
            else if (t == 14 || t == 15 || t == 17 || t == 18 || t == 20 || t == 21 || t == 23 || t == 24)
                group = 80;
            else
                group = 120;
        }
        const std::int64_t start = p * length / 100;
        const std::int64_t groups = 500 / div + 1;
        constexpr std::int64_t kPairs = 250;
        std::fill(pairs, pairs + 2 * kPairs, static_cast<int16_t>(kNoData));
        const std::int64_t centre = std::min<std::int64_t>(kPairs - 1, p * kPairs / 100);
        const auto store = [&](std::int64_t pair, std::int64_t first, bool nearest, std::int64_t neighbour) {
            const auto [lo, hi] = std::minmax_element(record + first, record + first + group);
            const bool minFirst = nearest || *hi < pairs[2 * neighbour];
            pairs[2 * pair] = static_cast<int16_t>(minFirst ? *lo : *hi);
            pairs[2 * pair + 1] = static_cast<int16_t>(minFirst ? *hi : *lo);
        };
        for (std::int64_t i = 0; i < groups; ++i) {
            const std::int64_t first = start + i * group, pair = centre + i;
            if (first + group > length || pair >= kPairs)
                break;
            store(pair, first, i == 0, pair - 1);
        }
        for (std::int64_t i = 0; i < groups; ++i) {
            const std::int64_t first = start - (i + 1) * group, pair = centre - 1 - i;
            if (first < 0 || pair < 0)
                break;
            store(pair, first, i == 0, pair + 1);
        }
        return 1;
    });
}

TESSEL_API void dsoRefDataResolutionZoomIn(const uint16_t* src, uint16_t* dst, uint16_t capturePosition,
                                           uint16_t currentPosition, uint16_t magnification,
                                           uint16_t recordSelector) {
    Guarded(0, [&] {
        if (!src || !dst)
            return 0;
        MagnifyCore(src, dst, BufferRecordLength(recordSelector), magnification, capturePosition / 100.0,
                    Percent(currentPosition) / 100.0);
        return 1;
    });
}

TESSEL_API void dsoRefDataResolutionZoomOut(const uint16_t* src, uint16_t* dst, uint16_t capturePosition,
                                            uint16_t currentPosition, uint16_t step,
                                            uint16_t recordSelector) {
    Guarded(0, [&] {
        if (!src || !dst)
            return 0;
        ZoomOutCore(src, dst, BufferRecordLength(recordSelector), 1, -120, capturePosition / 100.0,
                    currentPosition, step);
        return 1;
    });
}

TESSEL_API void dsoStopDataProcessZoomIn(const uint16_t* captureSettings, const uint16_t* stopRecord,
                                         uint16_t* dst, uint16_t filterMode, uint32_t windowWidth) {
    Guarded(0, [&] {
        if (!captureSettings || !stopRecord || !dst)
            return 0;
        const std::int64_t n = BufferRecordLength(captureSettings[5]);
        ProcessZoomInCore(stopRecord, n, stopRecord[2 * n + 2] / 100.0, captureSettings[3], dst, filterMode,
                          windowWidth);
        return 1;
    });
}

TESSEL_API void dsoStopDataProcessZoomOut(const uint16_t* captureSettings, const uint16_t* stopRecord,
                                          uint16_t* dst, uint32_t groupSize) {
    Guarded(0, [&] {
        if (!captureSettings || !stopRecord || !dst)
            return 0;
        const std::int64_t n = BufferRecordLength(captureSettings[5]);
        const std::int64_t limit = n == kScreenRecordLength ? 10000 : kDeepZoomOutGroupLimit;
        ProcessZoomOutCore(stopRecord, n, limit, stopRecord[2 * n + 2] / 100.0, captureSettings[3], dst,
                           groupSize);
        return 1;
    });
}

TESSEL_API int dsoScrollModeDataZoomIn(const uint16_t* positionBlock, const uint16_t* src, uint16_t* dst,
                                       uint16_t preTriggerPercent, uint32_t windowWidth) {
    return Guarded(0, [&] {
        if (!positionBlock || !src || !dst)
            return 0;
        std::fill(dst, dst + kDisplayPoints, kNoData);
        if (windowWidth == 0)
            return 0;
        // Wider than the roll record the display step would fall below one point.
        const std::int64_t w = std::min<std::uint32_t>(windowWidth, 500);
        const double s = std::min(500.0 / static_cast<double>(w), 499.0);
        const std::int64_t p = std::max<std::int64_t>(1, TruncSat<std::int64_t>(preTriggerPercent * 5.0));
        // Indexes of 500 and above lie past the roll record.
        const auto value = [&](std::int64_t i) { return i >= 0 && i < kDisplayPoints ? src[i] : kNoData; };
        const std::uint16_t g = positionBlock[3];
        if (g >= 6554) {
            const std::int64_t base = p + (65536 - static_cast<std::int64_t>(g)) * w / 100 - 1;
            for (std::int64_t x = 0; x < kDisplayPoints; ++x)
                dst[x] = value(base + static_cast<std::int64_t>(x / s));
            return 1;
        }
        const std::int64_t l = g <= 100 ? 0 : w * (g - 100) / 100;
        const std::int64_t m = std::min<std::int64_t>(5 * static_cast<std::int64_t>(g), 499);
        Spread(
            dst, m, s, [&](std::int64_t i) { return value(p - l - i); },
            [&](std::int64_t j) { return value(p + j); });
        return 1;
    });
}

TESSEL_API void dsoScrollModeDataZoomOut(const uint16_t* positionBlock, const uint16_t* src, uint16_t* dst,
                                         uint16_t preTriggerPercent, uint32_t groupSize) {
    Guarded(0, [&] {
        if (!positionBlock || !src || !dst)
            return 0;
        ProcessZoomOutCore(src, kDisplayPoints, kDisplayPoints, preTriggerPercent / 100.0, positionBlock[3],
                           dst, groupSize);
        return 1;
    });
}

TESSEL_API void dsoRefDataProcessZoomIn(const uint16_t* positionBlock, const uint16_t* stopRecord,
                                        uint16_t* dst, uint16_t filterMode, uint32_t windowWidth) {
    Guarded(0, [&] {
        if (!positionBlock || !stopRecord || !dst)
            return 0;
        const std::int64_t n = ReferenceLength(stopRecord);
        ProcessZoomInCore(stopRecord, n, stopRecord[2 * n + 2] / 100.0, positionBlock[3], dst, filterMode,
                          windowWidth);
        return 1;
    });
}

TESSEL_API void dsoRefDataProcessZoomOut(const uint16_t* positionBlock, const uint16_t* stopRecord,
                                         uint16_t* dst, uint32_t groupSize) {
    Guarded(0, [&] {
        if (!positionBlock || !stopRecord || !dst)
            return 0;
        const std::int64_t n = ReferenceLength(stopRecord);
        ProcessZoomOutCore(stopRecord, n, n, stopRecord[2 * n + 2] / 100.0, positionBlock[3], dst, groupSize);
        return 1;
    });
}

TESSEL_API void dsoETSDataZoomIn(const uint16_t* src, uint16_t* dst, double timePerDivision,
                                 uint16_t position, double baseTimePerDivision) {
    Guarded(0, [&] {
        if (!src || !dst)
            return 0;
        const double r = timePerDivision / baseTimePerDivision;
        // A ratio that is not a number, infinite or 1 or less has nothing to expand.
        if (!std::isfinite(r) || r <= 1) {
            std::copy(src, src + kDisplayPoints, dst);
            return 1;
        }
        // Only the 500 expanded points shown are computed; the expansion has 500 r points.
        const double expanded = 500 * r;
        const double e = std::max(0.0, 5.0 * Percent(position) * std::trunc(r) - 250);
        for (std::int64_t i = 0; i < kDisplayPoints; ++i) {
            const double k = e + static_cast<double>(i);
            if (k >= expanded) {
                dst[i] = kNoData;
                continue;
            }
            const double q = k / r;
            const auto at = std::min<std::int64_t>(static_cast<std::int64_t>(q), kDisplayPoints - 1);
            const double a = src[at], b = src[std::min<std::int64_t>(at + 1, kDisplayPoints - 1)];
            dst[i] = TruncSat<std::uint16_t>(a + (b - a) * (q - static_cast<double>(at)));
        }
        return 1;
    });
}

TESSEL_API int dsoETSDataZoomOut(uint16_t timeBaseIndex) {
    return timeBaseIndex < 3 ? 1 : 2;
}
