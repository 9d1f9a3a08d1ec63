// Record-to-screen steps: min/max decimation, live and stopped display, Roll, filter, invert.
#include "engine/Trace.h"

#include "engine/ModelCapabilities.h"
#include "engine/SettingsCodes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "system/Narrow.h"

namespace {

constexpr int kPoints = CTrace::kScreenPoints;
constexpr int kPairs = kPoints / 2;

// Minimum and maximum of a run of samples with the index of their first occurrence.
struct MinMax {
    int minValue = 0;
    int maxValue = 0;
    std::int64_t minIndex = -1;
    std::int64_t maxIndex = -1;

    // Candidates must be offered in increasing index order.
    void Offer(int value, std::int64_t index) {
        if (minIndex < 0 || value < minValue) {
            minValue = value;
            minIndex = index;
        }
        if (maxIndex < 0 || value > maxValue) {
            maxValue = value;
            maxIndex = index;
        }
    }
    void OfferRun(const std::int16_t* src, std::int64_t lo, std::int64_t hi) {
        for (std::int64_t i = lo; i < hi; ++i)
            Offer(src[i], i);
    }
    bool Empty() const { return minIndex < 0; }
    // A tie or an earlier maximum puts the maximum first.
    void Write(std::int16_t* dst) const {
        if (maxIndex <= minIndex) {
            dst[0] = static_cast<std::int16_t>(maxValue);
            dst[1] = static_cast<std::int16_t>(minValue);
        } else {
            dst[0] = static_cast<std::int16_t>(minValue);
            dst[1] = static_cast<std::int16_t>(maxValue);
        }
    }
};

// Min/max pairs of `pairs` buckets of `bucket` samples from `start`, where indexes outside
// 0..length-1 read as the gap value. Only the part of a bucket inside the record is scanned.
void DecimatePadded(const std::int16_t* rec, std::int64_t length, std::int64_t start, std::int64_t bucket,
                    int pairs, std::int16_t* dst) {
    for (int i = 0; i < pairs; ++i) {
        const std::int64_t lo = start + i * bucket;
        const std::int64_t hi = lo + bucket;
        MinMax mm;
        if (lo < 0)
            mm.Offer(CTrace::kGap, lo);
        const std::int64_t inLo = std::max<std::int64_t>(lo, 0);
        const std::int64_t inHi = std::min(hi, length);
        if (inLo < inHi)
            mm.OfferRun(rec, inLo, inHi);
        if (hi > length)
            mm.Offer(CTrace::kGap, std::max(lo, length));
        if (mm.Empty())
            mm.Offer(CTrace::kGap, lo);
        mm.Write(dst + 2 * i);
    }
}

} // namespace

int MinMaxDecimate(int bucket, int count, const std::int16_t* src, std::int16_t* dst, int length) {
    if (!src || !dst || bucket < 1 || count < 1)
        return 0;
    int written = 0;
    for (int i = 0; i < count; ++i) {
        const std::int64_t lo = static_cast<std::int64_t>(i) * bucket;
        if (lo >= length)
            break;
        MinMax mm;
        mm.OfferRun(src, lo, std::min<std::int64_t>(lo + bucket, length));
        mm.Write(dst + 2 * i);
        ++written;
    }
    return written;
}

void CTrace::PeakDetectToDisplay(std::int16_t position, std::int16_t timeBase) {
    if (m_work.empty())
        return;
    const int bucket =
        m_nRecordLength != kInputWindow ? CapabilitiesOfModel(m_nModel).peakDetectBucket(timeBase) : 40;
    const std::int64_t window = static_cast<std::int64_t>(kPairs) * bucket;
    const std::int64_t length = m_nRecordLength;
    m_nWindowLength = static_cast<std::int32_t>(window);
    m_nRollSpan = kv::TruncSat<std::int16_t>(static_cast<double>(2 * (length - window) / bucket));
    const std::int64_t start = static_cast<std::int64_t>(position * length * 0.002) -
                               static_cast<std::int64_t>(position * window * 0.002);
    DecimatePadded(m_work.data(), UsableLength(), start, bucket, kPairs, m_screen);
    // A live trace always fills every screen point, also after a stopped sparse view.
    m_nDisplayPointCount = kPoints;
}

void CTrace::DecimateStored(std::int64_t count, int percentAcq, int percentNow) {
    const std::int64_t k =
        std::max<std::int64_t>(1, static_cast<std::int64_t>(m_nRecordLength * percentAcq * 0.01));
    const std::int64_t usable = UsableLength();
    const int centre = std::min(5 * percentNow, kPoints - 1);
    if (count < kPoints) {
        m_nDisplayPointCount = 1;
        const int step = static_cast<int>(std::min(static_cast<double>(kPoints) / count, 499.0));
        // Writes are limited to the screen: a panned position may put the centre off-screen.
        for (int x = 0; x < kPoints; ++x) {
            const int offset = x - centre;
            if (offset % step != 0)
                continue;
            const std::int64_t idx = k - 1 + offset / step;
            if (idx >= 0 && idx < usable)
                m_screen[x] = m_work[static_cast<std::size_t>(idx)];
        }
        return;
    }
    m_nDisplayPointCount = kPoints;
    const std::int64_t bucket = static_cast<std::int64_t>(count * 0.004);
    const std::int64_t start = (k - 1) - static_cast<std::int64_t>(count * percentNow * 0.01);
    DecimatePadded(m_work.data(), usable, start, bucket, kPairs, m_screen);
}

void CTrace::ExpandStored(std::int64_t count, int positionAcq, int percentNow) {
    const int usable = UsableLength();
    const int c = static_cast<int>(std::min<std::int64_t>(count, usable));
    if (c <= 0)
        return; // the screen stays all gaps
    const int buckets = usable / c;
    std::vector<std::int16_t> pairs(static_cast<std::size_t>(2 * buckets));
    const int values = 2 * MinMaxDecimate(c, buckets, m_work.data(), pairs.data(), usable);
    const std::int64_t k =
        std::max<std::int64_t>(1, static_cast<std::int64_t>(positionAcq * 0.002 * (2.0 * buckets)));
    const int centre = std::min(5 * percentNow, kPoints - 1);
    for (int x = 0; x < kPoints; ++x) {
        const std::int64_t idx = k - 1 + (x - centre);
        if (idx >= 0 && idx < values)
            m_screen[x] = pairs[static_cast<std::size_t>(idx)];
    }
}

void CTrace::VerticalRescale() {
    const double ratio = GetVoltsPerDivOf(m_nVoltsPerDivAtAcquisition) / GetVoltsPerDiv();
    const double atAcquisition = std::trunc(m_fPositionAtAcquisition);
    const double now = std::trunc(m_fPosition);
    // Large volts/div ratios overflow 16 bits; the wide result saturates instead of wrapping
    // back into the screen range as spurious points.
    for (std::int16_t& p : m_screen)
        p = kv::TruncSat<std::int16_t>(std::trunc(ratio * (atAcquisition + p - 511.0)) - now + 511.0);
}

void CTrace::CompressToDisplay(double ratio, std::int16_t positionAtAcquisition, std::int16_t positionNow) {
    std::fill(m_screen, m_screen + kPoints, kGap);
    const int percentAcq = positionAtAcquisition / 5;
    const int percentNow = positionNow / 5;
    // A ratio that is not finite and positive, or a zero divisor below, leaves all gaps.
    if (m_work.empty() || !(std::isfinite(ratio) && ratio > 0.0)) {
        FindValidRange(kPoints);
        return;
    }
    const std::int64_t length = m_nRecordLength;
    bool drawn = true;
    if (length == kInputWindow) {
        if (ratio >= 1.0) {
            DecimateStored(10000 / static_cast<std::int64_t>(std::min(ratio, 10000.0)), percentAcq,
                           percentNow);
        } else {
            m_nDisplayPointCount = kPoints;
            ExpandStored(static_cast<std::int64_t>(std::min(1.0 / ratio, 10240.0)) * 40,
                         positionAtAcquisition, percentNow);
        }
    } else {
        const std::int64_t window = m_nWindowLength;
        if (window <= 0) {
            drawn = false;
        } else if (ratio >= 1.0) {
            const std::int64_t divisor =
                static_cast<std::int64_t>(std::min(ratio, static_cast<double>(window)));
            DecimateStored(window / divisor, percentAcq, percentNow);
        } else {
            m_nDisplayPointCount = kPoints;
            const std::int64_t z =
                static_cast<std::int64_t>(std::min(1.0 / ratio, static_cast<double>(length)));
            const std::int64_t count = window / 250 * z;
            if (count <= 0)
                drawn = false;
            else
                ExpandStored(count, positionAtAcquisition, percentNow);
        }
    }
    FindValidRange(kPoints);
    if (drawn && m_nFirstValid <= m_nLastValid)
        VerticalRescale();
}

void CTrace::ZoomToDisplay(double ratio, std::int16_t /*position*/) {
    std::fill(m_screen, m_screen + kPoints, kGap);
    if (m_work.empty() || !(std::isfinite(ratio) && ratio > 0.0))
        return;
    const int held = std::clamp<int>(m_nRollPointsHeld, 0, kPoints);
    const std::int16_t* history = m_work.data();
    if (ratio >= 1.0) {
        const int shown = kPoints / static_cast<int>(std::min(ratio, 500.0));
        m_nDisplayPointCount = static_cast<std::int16_t>(shown);
        const int step = static_cast<int>(std::min(static_cast<double>(kPoints) / shown, 499.0));
        for (int j = 0; j < held; ++j) {
            const int x = kPoints - 1 - j * step;
            if (x < 0)
                break;
            m_screen[x] = history[kPoints - 1 - j];
        }
    } else {
        m_nDisplayPointCount = kPoints;
        const int bucket = 2 * static_cast<int>(std::min(1.0 / ratio, 500.0));
        const int oldest = kPoints - held;
        for (int i = 0; i < kPairs; ++i) {
            const int hi = kPoints - i * bucket;
            const int lo = std::max(hi - bucket, oldest);
            if (lo >= hi)
                break;
            MinMax mm;
            mm.OfferRun(history, lo, hi);
            mm.Write(m_screen + kPoints - 2 - 2 * i);
        }
    }
    VerticalRescale();
}

void CTrace::RollAppend() {
    if (m_work.empty())
        return;
    // More than 500 new points would shift the 500-point arrays past their start.
    const int count = std::clamp<int>(m_nRollNewPoints, 0, kPoints);
    const int keep = kPoints - count;
    std::memmove(m_screen, m_screen + count, sizeof(std::int16_t) * static_cast<std::size_t>(keep));
    std::memmove(m_work.data(), m_work.data() + count, sizeof(std::int16_t) * static_cast<std::size_t>(keep));
    const bool ground = (m_nCoupling == kCouplingGnd);
    const std::int16_t zero = kv::TruncSat<std::int16_t>(511.0 - std::trunc(m_fPosition));
    for (int i = 0; i < count; ++i) {
        const std::int16_t v = ground ? zero : m_raw[static_cast<std::size_t>(i)];
        m_screen[keep + i] = v;
        m_work[static_cast<std::size_t>(keep + i)] = v;
    }
    if (m_nRollPointsHeld > 0) {
        m_nFirstValid = static_cast<std::int16_t>(kPoints - std::clamp<int>(m_nRollPointsHeld, 0, kPoints));
        m_nLastValid = static_cast<std::int16_t>(kPoints - count);
    }
}

void CTrace::ApplyTraceFilter() {
    const double zero = 511.0 - m_fPosition;
    const double keep = (m_nFilter == 1) ? 0.999 : (m_nFilter == 2 ? 0.998 : 1.0);
    for (std::int16_t& p : m_screen) {
        double v = p;
        if (keep != 1.0)
            v = std::trunc((p - zero) * keep + zero);
        if (std::isnan(v))
            v = 0.0;
        p = static_cast<std::int16_t>(std::clamp(v, 0.0, 511.0));
    }
}

void CTrace::InvertTrace() {
    const double twiceZero = 2.0 * (511.0 - m_fPosition);
    for (std::int16_t& p : m_screen)
        p = kv::TruncSat<std::int16_t>(twiceZero - p);
}
