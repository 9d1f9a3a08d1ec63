// Measurements of a 500-point display record: extremes, mean, mid level, top and base levels,
// RMS, one period, the mean over it, and the fall and rise times. Results are codes and point
// indexes; volts and seconds are the client's.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "DisplayRecord.h"
#include "Tessel.h"
#include "system/Narrow.h"

namespace {

using kv::sdk::kDisplayPoints;

// Walks points 11, 13, ... for two crossings of `wanted` direction: the first at `firstLevel`,
// the second at `secondLevel`, the state being taken afresh from point 0 between them.
void EdgeWalk(const uint16_t* record, uint16_t* out, int firstLevel, int secondLevel, bool falling) {
    int level = firstLevel;
    bool high = level + 2 < record[0];
    bool first = true;
    for (int i = 11; i < kDisplayPoints; i += 2) {
        const int v = record[i];
        bool event = false;
        if (high && v + 2 < level) {
            high = false;
            event = falling;
        } else if (!high && v - 2 > level) {
            high = true;
            event = !falling;
        }
        if (!event)
            continue;
        if (!first) {
            out[1] = static_cast<uint16_t>(i);
            return;
        }
        out[0] = static_cast<uint16_t>(i);
        level = secondLevel;
        high = level + 2 < record[0];
        first = false;
        ++i; // one point more than the walk's step: the next point looked at is i + 3
    }
}

// Codes lie in 0..65535: a level outside +-kLevelLimit compares with every code as the limit does.
constexpr std::int64_t kLevelLimit = 1 << 20;

// The level at a percentage between base and top. A 16-bit percentage times a 16-bit code span
// overflows int; the level is computed in 64 bits and held where the walk's +-2 stays in range.
int LevelAt(const uint16_t* top, const uint16_t* base, uint16_t percent) {
    const std::int64_t hi = top[4], lo = base[4];
    return static_cast<int>(
        std::clamp<std::int64_t>(lo + percent * (hi - lo) / 100, -kLevelLimit, kLevelLimit));
}

} // namespace

TESSEL_API int dsoGetMaxChannelData(uint16_t* out, const uint16_t* record) {
    if (!out || !record)
        return 0;
    int maxV = 0, minV = 511;
    for (int i = 20; i < 480; ++i) {
        maxV = std::max<int>(maxV, record[i]);
        minV = std::min<int>(minV, record[i]);
    }
    out[0] = static_cast<uint16_t>(maxV);
    out[1] = static_cast<uint16_t>(minV);
    return maxV;
}

TESSEL_API int dsoMeasureMean(uint16_t* out, const uint16_t* record) {
    if (!out || !record)
        return 0;
    long sum = 0;
    for (int i = 10; i < kDisplayPoints; ++i)
        sum += record[i];
    const int mean = static_cast<int>(sum / 490);
    *out = static_cast<uint16_t>(mean);
    return mean;
}

TESSEL_API int dsoDataMedian(const uint16_t* record) {
    if (!record)
        return 0;
    const auto [lo, hi] = std::minmax_element(record, record + kDisplayPoints);
    return *lo + (*hi - *lo) / 2;
}

TESSEL_API int dsoMeasureAmplitude(uint16_t* top, uint16_t* base, const uint16_t* record) {
    if (!top || !base || !record)
        return 0;
    std::fill(top, top + 5, uint16_t{0});
    std::fill(base, base + 5, uint16_t{511});
    for (int i = 20; i < 480; ++i) {
        const uint16_t v = record[i];
        // The first slot the point beats takes it; nothing shifts, so single spikes stay in
        // slot 0 while slot 4 settles near the signal's level.
        auto slot = std::find_if(top, top + 5, [v](uint16_t t) { return v > t; });
        if (slot != top + 5) {
            *slot = v;
            continue;
        }
        slot = std::find_if(base, base + 5, [v](uint16_t b) { return v < b; });
        if (slot != base + 5)
            *slot = v;
    }
    return top[0];
}

TESSEL_API double dsoMeasureRMS(int16_t* out, const uint16_t* record, uint16_t level) {
    if (!out || !record)
        return 0.0;
    float sum = 0.0f;
    for (int i = 1; i < kDisplayPoints; ++i) {
        const float d = static_cast<float>(static_cast<int>(record[i]) - level);
        sum += d * d;
    }
    const double rms = std::sqrt(static_cast<double>(sum) / 499);
    out[0] = kv::TruncSat<int16_t>(rms);
    out[1] = 0;
    return rms;
}

TESSEL_API double dsoMeasureCycleRMS(int16_t* out, const uint16_t* record, uint16_t level) {
    if (!out || !record)
        return 0.0;
    float sum = 0.0f;
    int visited = 0, repeats = 0;
    for (int i = 0; i < kDisplayPoints; ++i) {
        const int v = record[i];
        const float d = static_cast<float>(v - level);
        sum += d * d;
        ++visited;
        if (v == record[0] && ++repeats == 3)
            break;
    }
    const double rms = std::sqrt(static_cast<double>(sum) / visited);
    out[0] = kv::TruncSat<int16_t>(rms);
    out[1] = 0;
    return rms;
}

TESSEL_API void dsoMeasureFrequency(uint16_t* top, uint16_t* base, uint16_t* out, const uint16_t* record) {
    if (!top || !base || !out || !record)
        return;
    dsoMeasureAmplitude(top, base, record);
    const int mid = (top[4] + base[4]) / 2;
    bool high = record[0] > mid;
    int phase = 0; // 0 before the first rise, 1 before the fall, 2 before the second rise
    for (int i = 1; i < kDisplayPoints; i += 2) {
        const int v = record[i];
        if (!high && v - 6 > mid) {
            high = true;
            if (phase == 0) {
                out[0] = static_cast<uint16_t>(i);
                phase = 1;
            } else if (phase == 2) {
                out[1] = static_cast<uint16_t>(i);
                return;
            }
        } else if (high && v + 6 < mid) {
            high = false;
            if (phase == 1) {
                out[2] = static_cast<uint16_t>(i);
                phase = 2;
            }
        }
    }
}

TESSEL_API double dsoMeasureCycleMean(uint16_t* top, uint16_t* base, uint16_t* period,
                                      const uint16_t* record) {
    if (!top || !base || !period || !record)
        return 0.0;
    dsoMeasureFrequency(top, base, period, record);
    const int from = period[0];
    const int to = std::min<int>(period[1], kDisplayPoints);
    period[1] = 0;
    // Without a full period the average has no points and would divide by zero.
    if (to <= from) {
        period[0] = 0;
        return 0.0;
    }
    float sum = 0.0f;
    for (int i = from; i < to; ++i)
        sum += static_cast<float>(record[i]);
    const double mean = static_cast<double>(sum) / (to - from);
    period[0] = kv::TruncSat<uint16_t>(mean);
    return mean;
}

TESSEL_API void dsoMeasureFallTime(uint16_t* top, uint16_t* base, uint16_t* out, const uint16_t* record,
                                   uint16_t firstPercent, uint16_t secondPercent) {
    if (!top || !base || !out || !record)
        return;
    dsoMeasureAmplitude(top, base, record);
    EdgeWalk(record, out, LevelAt(top, base, firstPercent), LevelAt(top, base, secondPercent), true);
}

TESSEL_API void dsoMeasureRiseTime(uint16_t* top, uint16_t* base, uint16_t* out, const uint16_t* record,
                                   uint16_t firstPercent, uint16_t secondPercent) {
    if (!top || !base || !out || !record)
        return;
    dsoMeasureAmplitude(top, base, record);
    // The levels come in the opposite order of the fall time: second percent first.
    EdgeWalk(record, out, LevelAt(top, base, secondPercent), LevelAt(top, base, firstPercent), false);
}
