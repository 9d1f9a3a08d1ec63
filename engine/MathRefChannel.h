#pragma once
// The two derived traces beside CH1 and CH2: MATH, a point-by-point combination of the input
// channels' screen traces, and REF, a stored waveform shown at the current time base and volts/div.
#include "engine/Trace.h"
#include "framework/CString.h"

#include <cstdint>

class CScopeSettings;

class CMathChannel : public CTrace {
public:
    static constexpr std::int16_t kAdd = 0;
    static constexpr std::int16_t kSubtract = 1;
    static constexpr std::int16_t kMultiply = 2;
    static constexpr std::int16_t kDivide = 3;

    CMathChannel() = default;
    ~CMathChannel() override = default;

    void SetOperation(std::int16_t op) { m_nOperation = op; }
    std::int16_t GetOperation() const { return m_nOperation; }
    void SetSourceA(std::int16_t source) { m_nSourceA = source; } // 0 CH1, other CH2
    std::int16_t GetSourceA() const { return m_nSourceA; }
    void SetSourceB(std::int16_t source) { m_nSourceB = source; }
    std::int16_t GetSourceB() const { return m_nSourceB; }

    // "CH1 X CH2" and the like.
    CString GetLabel() const;

    // Picks the operands by the sources and runs the operation into the screen trace;
    // an unknown operation computes nothing.
    void Compute(const CTrace* ch1, const CTrace* ch2);
    void ComputeAdd(const CTrace* x, const CTrace* y);
    void ComputeSubtract(const CTrace* x, const CTrace* y);
    void ComputeMultiply(const CTrace* x, const CTrace* y);
    void ComputeDivide(const CTrace* x, const CTrace* y);

    // One processing run while MATH is on: the sources follow the enabled inputs (only CH1 on:
    // CH1 twice; only CH2 on: CH2 twice; neither: the trace is zeroed), the display point count of
    // the first enabled input is copied, then invert and trace filter. Persistence is the caller's.
    void UpdateFromInputs(const CTrace& ch1, const CTrace& ch2);

private:
    template <typename Op> void ForEachPoint(const CTrace* x, const CTrace* y, Op op);

    std::int16_t m_nOperation = kAdd;
    std::int16_t m_nSourceA = 0;
    std::int16_t m_nSourceB = 1;
};

class CRefChannel : public CTrace {
public:
    static constexpr std::int16_t kScreenRecordLength = 500; // a saved screen trace

    CRefChannel() = default;
    ~CRefChannel() override = default;

    // Time base (0..38) and horizontal trigger position (0..500) at which the reference was taken.
    void SetTimeBaseIndex(std::int16_t index) { m_nTimeBaseIndex = index; }
    std::int16_t GetTimeBaseIndex() const { return m_nTimeBaseIndex; }
    void SetHorizontalPosition(std::int16_t position) { m_nHorizontalPosition = position; }
    std::int16_t GetHorizontalPosition() const { return m_nHorizontalPosition; }
    // Vertical position stored with the reference.
    void SetLoadedPosition(float position) { m_fLoadedPosition = position; }
    float GetLoadedPosition() const { return m_fLoadedPosition; }
    void SetNoSamples(std::int32_t flag) { m_bNoSamples = flag; }
    std::int32_t HasNoSamples() const { return m_bNoSamples; }

    // The stored acquisition data of the defaults: position 250, loaded position 256, no samples.
    void ResetStoredData();
    // After a reference file was read: raw record to work record, REF on, samples present.
    void AcceptLoadedRecord();

    // One processing run while REF is on: a 500-point reference is rescaled point by point to the
    // current volts/div and position; a longer one is re-rendered from its own time base and
    // horizontal position at the current ones; then the trace filter. Persistence is the caller's.
    void UpdateDisplay(const CScopeSettings& settings);
    // The same with the two time bases given in seconds per division.
    void UpdateDisplay(double refSecondsPerDiv, double secondsPerDivNow, std::int16_t horizontalPositionNow);

private:
    void RescaleScreenRecord();

    std::int16_t m_nTimeBaseIndex = 0;
    std::int16_t m_nHorizontalPosition = 250;
    float m_fLoadedPosition = 256.0f;
    std::int32_t m_bNoSamples = 1;
};
