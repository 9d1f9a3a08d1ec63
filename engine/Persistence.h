#pragma once
// Persistence histories: the last screen traces of CH1, CH2, MATH and REF, each stored with a
// colour that fades towards black with age, redrawn by the screen panel behind the live trace.
#include "system/wintypes.h"

#include <cstdint>
#include <deque>

#include "engine/Trace.h"

// One history entry: 500 screen points followed by the record's colour. The screen panel reads
// the colour as red, green, blue in bytes 1000, 1001 and 1002 of the record.
struct PersistenceRecord {
    std::int16_t points[CTrace::kScreenPoints];
    COLORREF color;
};
static_assert(sizeof(PersistenceRecord) == 1004, "a persistence record is 1004 bytes");

class CPersistence {
public:
    static constexpr int kTraces = 4;      // CH1, CH2, MATH, REF
    static constexpr short kMaxDepth = 16; // list indexes 0..15; 16 keeps no history
    static constexpr int kPoints = CTrace::kScreenPoints;

    CPersistence() = default;
    virtual ~CPersistence() = default;

    // Stores the depth (0..16, anything else becomes 0) and empties all four histories,
    // also when the depth does not change.
    void SetDepth(short depth);
    short GetDepth() const { return m_nDepth; }

    void SetEnabled(int enabled) { m_bEnabled = enabled; }
    int IsEnabled() const { return m_bEnabled; }

    // Records held for trace 0..3 (0 for any other index).
    short GetCount(short trace) const;
    // Record i of a trace, 0 = oldest; null when out of range.
    const PersistenceRecord* GetRecord(short trace, int index) const;

    // Appends a copy of the trace's 500 screen points and recolours the whole history so that the
    // newest record has the full colour. Does nothing when off, at depth 0 or 16, for a trace
    // index outside 0..3 or for a null point array.
    void Append(int trace, const std::int16_t* points, COLORREF color);

    // Empties all four histories; depth and enabled flag stay.
    void Clear();

private:
    short m_nDepth = 0;
    int m_bEnabled = 0;
    std::deque<PersistenceRecord> m_history[kTraces];
};
