#include "engine/Persistence.h"

#include <cstring>

void CPersistence::SetDepth(short depth) {
    // A negative depth from a file would otherwise drop records from an empty history.
    m_nDepth = (depth >= 0 && depth <= kMaxDepth) ? depth : 0;
    Clear();
}

short CPersistence::GetCount(short trace) const {
    if (trace < 0 || trace >= kTraces)
        return 0;
    return static_cast<short>(m_history[trace].size());
}

const PersistenceRecord* CPersistence::GetRecord(short trace, int index) const {
    if (trace < 0 || trace >= kTraces)
        return nullptr;
    const auto& h = m_history[trace];
    if (index < 0 || static_cast<size_t>(index) >= h.size())
        return nullptr;
    return &h[static_cast<size_t>(index)];
}

void CPersistence::Append(int trace, const std::int16_t* points, COLORREF color) {
    if (!m_bEnabled || m_nDepth == 0 || m_nDepth == kMaxDepth)
        return;
    if (trace < 0 || trace >= kTraces || points == nullptr)
        return;
    auto& h = m_history[trace];
    while (h.size() >= static_cast<size_t>(m_nDepth))
        h.pop_front();
    PersistenceRecord rec;
    std::memcpy(rec.points, points, sizeof(rec.points));
    rec.color = color;
    h.push_back(rec);

    // The i-th record from the oldest gets i / count of each colour component.
    const long count = static_cast<long>(h.size());
    const long r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    long i = 1;
    for (auto& record : h) {
        record.color = RGB(static_cast<int>(r * i / count), static_cast<int>(g * i / count),
                           static_cast<int>(b * i / count));
        ++i;
    }
}

void CPersistence::Clear() {
    for (auto& h : m_history)
        h.clear();
}
