#include "engine/PassFail.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "engine/FileErrors.h"
#include "engine/Trace.h"
#include "system/LittleEndian.h"

namespace {} // namespace

void CPassFail::Reset() {
    m_nState1 = 0;
    m_nState2 = 0;
    m_bStop = 0;
    m_nSource = 0;
    m_nOutput = 0;
    m_nFailed = 0;
    m_nPassed = 0;
    m_nTotal = 0;
    m_upper.fill(0);
    m_lower.fill(0);
    m_nHorizontalTolerance = 1;
    m_nVerticalTolerance = 1;
}

void CPassFail::BuildMask(const short* trace) {
    if (!trace)
        return;
    // A tolerance of 0 or below would put the upper limit under the lower one.
    const int v = std::clamp<int>(m_nVerticalTolerance, 1, kMaxVerticalTolerance);
    const int h = std::clamp<int>(m_nHorizontalTolerance, 1, kMaxHorizontalTolerance);
    // Limits are built in int: a point near the int16 edge plus the tolerance would wrap.
    std::array<int, kPoints> upper{};
    std::array<int, kPoints> lower{};
    for (int i = 0; i < kPoints; ++i) {
        upper[i] = std::min(trace[i] + v, CTrace::kTopCode);
        lower[i] = std::max(trace[i] - v, 0);
    }
    for (int i = 0; i < kPoints; ++i) {
        const int hi = trace[i] + v;
        const int lo = trace[i] - v;
        if (i >= h) {
            for (int j = i - h; j <= i; ++j) {
                upper[j] = std::max(upper[j], hi);
                lower[j] = std::min(lower[j], lo);
            }
        }
        if (i + h < kPoints) {
            for (int j = i; j <= i + h; ++j) {
                upper[j] = std::max(upper[j], hi);
                lower[j] = std::min(lower[j], lo);
            }
        }
    }
    for (int i = 0; i < kPoints; ++i) {
        m_upper[i] = static_cast<std::int16_t>(std::clamp(upper[i], 0, CTrace::kTopCode));
        m_lower[i] = static_cast<std::int16_t>(std::clamp(lower[i], 0, CTrace::kTopCode));
    }
}

int CPassFail::Test(const short* trace) const {
    if (!trace)
        return 0;
    for (int i = 0; i < kPoints; ++i) {
        if (trace[i] < m_lower[i] || trace[i] > m_upper[i])
            return 0;
    }
    return 1;
}

int CPassFail::CountFrame(const short* trace) {
    const int passed = Test(trace);
    if (passed)
        ++m_nPassed;
    else
        ++m_nFailed;
    ++m_nTotal;
    if (m_nTotal == std::numeric_limits<std::uint64_t>::max()) {
        m_nFailed = 0;
        m_nPassed = 0;
        m_nTotal = 0;
    }
    return passed;
}

bool CPassFail::ShouldStop(int passed) const {
    if (!m_bStop)
        return false;
    if (passed)
        return m_nOutput == 2 || m_nOutput == 3;
    return m_nOutput == 0 || m_nOutput == 1;
}

void CPassFail::GetMaskRegions(int left, int top, int right, int bottom, std::vector<POINT>& upperRegion,
                               std::vector<POINT>& lowerRegion) const {
    upperRegion.clear();
    lowerRegion.clear();
    // A tolerance outside its range would index the masks outside their 500 points.
    const int h = std::max<int>(m_nHorizontalTolerance, 0);
    const int first = h;
    const int last = kPoints - 1 - h;
    if (first > last)
        return;
    const double dx = (static_cast<double>(right) - left) / (kPoints - 1);
    const double dy = (static_cast<double>(bottom) - top) / CTrace::kTopCode;
    auto x = [&](int k) { return static_cast<LONG>(left + static_cast<std::int64_t>(k * dx)); };
    auto y = [&](int c) {
        const int code = std::clamp(c, 0, CTrace::kTopCode);
        return static_cast<LONG>(top + static_cast<std::int64_t>((CTrace::kTopCode - code) * dy));
    };
    upperRegion.reserve(static_cast<size_t>(last - first + 3));
    lowerRegion.reserve(static_cast<size_t>(last - first + 3));
    for (int k = first; k <= last; ++k) {
        upperRegion.push_back(POINT{x(k), y(m_upper[k])});
        lowerRegion.push_back(POINT{x(k), y(m_lower[k])});
    }
    upperRegion.push_back(POINT{x(last), top});
    upperRegion.push_back(POINT{x(first), top});
    lowerRegion.push_back(POINT{x(last), bottom});
    lowerRegion.push_back(POINT{x(first), bottom});
}

int CPassFail::SaveSettings(const char* path, CString* error) const {
    kv::LeWriter w;
    w.I16(m_nSource);
    w.I16(m_nOutput);
    w.U16(static_cast<std::uint16_t>(m_bStop));
    w.I16(m_nHorizontalTolerance);
    w.I16(m_nVerticalTolerance);
    return kv::SaveWholeFile(path, w.Data().data(), w.Data().size(), error);
}

int CPassFail::LoadSettings(const char* path, CString* error) {
    std::vector<std::uint8_t> bytes;
    kv::FileError why;
    if (!path || !kv::ReadWholeFile(path, bytes, kMaxFileBytes, &why)) {
        if (error)
            error->Format("Can not open file: %s", kv::FileErrorText(path, why).c_str());
        return 0;
    }
    // A short file would leave the later settings undefined.
    if (bytes.size() < static_cast<size_t>(kFileSize)) {
        if (error)
            error->Format("Can not open file: %s: the file is too short", path);
        return 0;
    }
    kv::LeReader r(bytes);
    const int source = r.I16();
    const int output = r.I16();
    const int stop = r.I16();
    const int horizontal = r.I16();
    const int vertical = r.I16();
    m_nSource = static_cast<std::int16_t>(std::clamp(source, 0, 1));
    m_nOutput = static_cast<std::int16_t>(std::clamp(output, 0, 3));
    m_bStop = std::clamp(stop, 0, 1);
    m_nHorizontalTolerance = static_cast<std::int16_t>(std::clamp(horizontal, 1, kMaxHorizontalTolerance));
    m_nVerticalTolerance = static_cast<std::int16_t>(std::clamp(vertical, 1, kMaxVerticalTolerance));
    return 1;
}
