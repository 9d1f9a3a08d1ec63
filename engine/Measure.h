#pragma once
// Automatic measurements: a list of up to eight chosen measurements computed from the 500-point
// screen traces of CH1, CH2 and MATH, each with its result text for the screen panel.
// Voltages use the screen's own scale (kv::scale): the graticule a person reads them against.
#include "framework/CString.h"

#include <cstdint>

class CTrace;

// Value texts with three significant digits in the common case ("1.25V", "12.5ms", "125kHz").
CString FormatVolts(float volts);
CString FormatSeconds(double seconds);
CString FormatHertz(double hertz);

class CMeasure {
public:
    static constexpr short kMaxEntries = 8;
    static constexpr short kSources = 3; // CH1, CH2, MATH
    static constexpr short kTypes = 20;
    static constexpr short kUpdateEvery = 5; // frames skipped between updates

    struct Entry {
        std::int32_t used = 0;
        std::int16_t source = 0; // 0 CH1, 1 CH2, 2 MATH
        std::int16_t type = 0;   // 0..19
    };

    CMeasure();
    virtual ~CMeasure() = default;

    // Source given to the next added entry: 0..2, other values are ignored.
    void SetSource(short source);
    short GetSource() const { return m_nSource; }

    // Appends {used, current source, type}; a full list first drops its oldest entry.
    void AddMeasurement(short type);
    void DropOldest();
    // All entries unused, all texts "*****", count 0.
    void ClearAll();
    // The document's defaults: source CH1, count 0, countdown 0, entries cleared, texts "CH?:*****".
    void SetDefaults();

    // List access for the setup file and the screen panel.
    short GetCount() const { return m_nCount; }
    void SetCount(short count); // kept within 0..8
    const Entry& GetEntry(int index) const;
    void SetEntry(int index, std::int32_t used, std::int16_t source, std::int16_t type);
    const CString& GetText(int index) const;
    short GetCountdown() const { return m_nCountdown; }
    void SetCountdown(short countdown) { m_nCountdown = countdown; }
    double GetSecondsPerDiv() const { return m_dSecondsPerDiv; }
    void SetSecondsPerDiv(double seconds) { m_dSecondsPerDiv = seconds; }

    // One processed frame while running: with entries listed, either counts the countdown down or
    // stores the time base, updates and restarts the countdown at 5. Returns true when it updated.
    bool TickUpdate(double secondsPerDiv, const CTrace* ch1, const CTrace* ch2, const CTrace* math);

    // Statistics, edges and every used entry's text.
    void Update(const CTrace* ch1, const CTrace* ch2, const CTrace* math);
    void ComputeStats(const CTrace* ch1, const CTrace* ch2, const CTrace* math);
    void FindEdges(short source, const CTrace* trace);
    // Rise and fall time in seconds; false when the trace does not cross both levels.
    bool FindRiseTime(short source, const CTrace* trace, double* seconds) const;
    bool FindFallTime(short source, const CTrace* trace, double* seconds) const;
    // Text of entry i: source prefix, label, value with unit ("CH1:Vpp = 1.25V").
    CString FormatMeasurement(int index, const CTrace* trace) const;

    // Raw figures for the auto-setup, the 50 % trigger level and the zero calibration.
    double GetMidLevel(short source) const;
    short GetPeakToPeakPoints(short source) const;
    double GetPeriodsOnScreen(short source) const;
    static double GetMeanPoint(const CTrace* trace);

    short GetMax(short source, int slot) const;
    short GetMin(short source, int slot) const;
    short GetEdge(short source, int edge) const;

private:
    bool ValidSource(int source) const { return source >= 0 && source < kSources; }
    CString ValueText(short type, short source, const CTrace* trace) const;

    short m_nCount = 0;
    short m_nCountdown = 0;
    double m_dSecondsPerDiv = 0.0;
    CString m_strText[kMaxEntries];
    Entry m_entries[kMaxEntries];
    short m_nSource = 0;
    short m_max[kSources][5] = {};
    short m_min[kSources][5] = {};
    short m_edges[kSources][3] = {};
    short m_nSamples[kSources] = {}; // points of each source that are not gaps
};
