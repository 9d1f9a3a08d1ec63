#pragma once
// One channel of the instrument: vertical settings, sample records and the 500-point
// screen trace, with the processing steps that turn a record into that trace.
#include <cstdint>
#include <vector>

#include "engine/SettingsCodes.h"
#include "framework/CString.h"
#include "system/wintypes.h"

// Min/max decimation: for `count` buckets of `bucket` consecutive samples of src (stopping at
// `length`), writes each bucket's minimum and maximum in order of occurrence into dst[2i],
// dst[2i + 1] (a tie or an earlier maximum puts the maximum first). dst holds 2 x count values.
// Returns the number of pairs written; a bucket size or count below 1 writes nothing.
int MinMaxDecimate(int bucket, int count, const std::int16_t* src, std::int16_t* dst, int length);

class CTrace {
public:
    static constexpr int kScreenPoints = 500;
    static constexpr std::int16_t kGap = 11111;       // screen point without a sample
    static constexpr int kTopCode = 511;              // screen-trace code of the top edge (0 at the bottom)
    static constexpr int kMinRecordCapacity = 65535;  // every record buffer holds at least this
    static constexpr int kInputWindow = 10240;        // samples the fast-time-base steps read
    static constexpr int kInterpolatedLength = 32768; // work points after interpolation (T < 5)
    static constexpr int kSincScratchLength = 40000;
    static constexpr int kSincRowLength = 5000; // table entries per kernel row
    static constexpr int kMaxTaps = 10;
    static constexpr int kDefaultWindowLength = 10000;

    CTrace();
    virtual ~CTrace();

    // Channel settings (plain stores and loads).
    void SetOn(std::int32_t on) { m_bOn = on; }
    std::int32_t IsOn() const { return m_bOn; }
    void SetColor(COLORREF color) { m_color = color; }
    COLORREF GetColor() const { return m_color; }
    void SetBandwidthLimit(std::int32_t on) { m_bBandwidthLimit = on; }
    std::int32_t IsBandwidthLimit() const { return m_bBandwidthLimit; }
    void SetInvert(std::int32_t on) { m_bInvert = on; }
    std::int32_t IsInverted() const { return m_bInvert; }
    void SetCoupling(std::int16_t coupling) { m_nCoupling = coupling; } // 0 DC, 1 AC, 2 GND
    std::int16_t GetCoupling() const { return m_nCoupling; }
    void SetProbe(std::int16_t probe) { m_nProbe = probe; } // 0 x1, 1 x10, 2 x100, 3 x1000
    std::int16_t GetProbe() const { return m_nProbe; }
    void SetVoltsPerDivIndex(std::int16_t index) { m_nVoltsPerDiv = index; } // 0..9
    std::int16_t GetVoltsPerDivIndex() const { return m_nVoltsPerDiv; }
    void SetFilter(std::int16_t filter) { m_nFilter = filter; } // 0 None, 1 Lower, 2 Higher
    std::int16_t GetFilter() const { return m_nFilter; }
    void SetInterpolation(std::int16_t mode) { m_nInterpolation = mode; } // 0 step, 1 linear, 2 sin(x)/x
    std::int16_t GetInterpolation() const { return m_nInterpolation; }
    void SetModel(std::int16_t model) { m_nModel = model; }
    std::int16_t GetModel() const { return m_nModel; }
    void SetPosition(float position) { m_fPosition = position; } // zero line at 511 - position
    float GetPosition() const { return m_fPosition; }
    void SetPositionAtAcquisition(float position) { m_fPositionAtAcquisition = position; }
    float GetPositionAtAcquisition() const { return m_fPositionAtAcquisition; }
    void SetVoltsPerDivAtAcquisition(std::int16_t index) { m_nVoltsPerDivAtAcquisition = index; }
    std::int16_t GetVoltsPerDivAtAcquisition() const { return m_nVoltsPerDivAtAcquisition; }

    // Record geometry. A record length below 1 is ignored; the steps never read or write past
    // the allocated buffers whatever length is stored.
    void SetRecordLength(std::int32_t length);
    std::int32_t GetRecordLength() const { return m_nRecordLength; }
    void SetMaxRecordLength(std::int32_t length) { m_nMaxRecordLength = length; }
    std::int32_t GetMaxRecordLength() const { return m_nMaxRecordLength; }
    void SetWindowLength(std::int32_t length) { m_nWindowLength = length; }
    std::int32_t GetWindowLength() const { return m_nWindowLength; }

    // Sample memory: raw and work records of max(samples, 65535) int16 each, zero-filled.
    // Before the first call both pointers are null and every step is a no-op.
    void AllocateRecords(std::int32_t samples);
    std::int16_t* GetRawRecord() { return m_raw.empty() ? nullptr : m_raw.data(); }
    const std::int16_t* GetRawRecord() const { return m_raw.empty() ? nullptr : m_raw.data(); }
    std::int16_t* GetWorkRecord() { return m_work.empty() ? nullptr : m_work.data(); }
    const std::int16_t* GetWorkRecord() const { return m_work.empty() ? nullptr : m_work.data(); }
    std::int32_t GetRecordCapacity() const { return static_cast<std::int32_t>(m_raw.size()); }

    std::int16_t* GetScreenTrace() { return m_screen; }
    const std::int16_t* GetScreenTrace() const { return m_screen; }

    void SetDisplayPointCount(std::int16_t count) { m_nDisplayPointCount = count; }
    std::int16_t GetDisplayPointCount() const { return m_nDisplayPointCount; }
    void SetTriggerPoint(std::int16_t point) { m_nTriggerPoint = point; }
    std::int16_t GetTriggerPoint() const { return m_nTriggerPoint; }
    void SetValidRange(std::int16_t first, std::int16_t last) {
        m_nFirstValid = first;
        m_nLastValid = last;
    }
    std::int16_t GetFirstValid() const { return m_nFirstValid; }
    std::int16_t GetLastValid() const { return m_nLastValid; }
    std::int16_t GetRollSpan() const { return m_nRollSpan; }
    void SetRollPointsHeld(std::int32_t held) { m_nRollPointsHeld = held; }
    std::int32_t GetRollPointsHeld() const { return m_nRollPointsHeld; }
    void SetRollNewPoints(std::int16_t count) { m_nRollNewPoints = count; }
    std::int16_t GetRollNewPoints() const { return m_nRollNewPoints; }
    double GetTableFactor() const { return m_dTableFactor; }
    std::int16_t GetTaps() const { return m_nTaps; }

    // Scale and conversion.
    double GetVoltsPerDiv() const;
    double GetVoltsPerDivOf(std::int16_t index) const;
    double RawToVolts(std::int16_t code) const;
    int VoltsToRaw(double volts) const;
    void FillZeroLevel();
    void CopyRecord();
    void CopyRecord2();

    // Texts.
    CString GetVoltDivText() const;
    CString GetProbeVoltDivText() const;
    CString GetCouplingText() const;
    CString GetProbeText() const;

    // Trace processing. stateBlock points at the six words of engine/DeviceStateBlock.h.
    void SelectInterpolationByModel(const std::int16_t* stateBlock);
    void InterpolateRecord(std::int16_t mode, double factor, const std::int16_t* stateBlock);
    void SincResample(std::int16_t percent, double factor);
    void BuildSincTable(double factor);
    // Returns the trigger point (also stored).
    std::int16_t SoftTriggerAlign(std::int16_t position, std::int16_t timeBase, std::int16_t levelWord,
                                  std::int16_t slope);
    void RotateRecordToPosition(std::int16_t position, std::int16_t sampleIndex);
    void PeakDetectToDisplay(std::int16_t position, std::int16_t timeBase);
    void CompressToDisplay(double ratio, std::int16_t positionAtAcquisition, std::int16_t positionNow);
    void ZoomToDisplay(double ratio, std::int16_t position);
    void ApplyTraceFilter();
    void InvertTrace();
    void RollAppend();
    void SaveAcquisitionState(std::int32_t copyScreen);
    void FindValidRange(int points);

private:
    int UsableLength() const;
    int RawAt(int index) const; // raw sample at index clamped to the 10240-sample input window
    void VerticalRescale();
    void DecimateStored(std::int64_t count, int percentAcq, int percentNow);
    void ExpandStored(std::int64_t count, int positionAcq, int percentNow);
    void RotateInto(int triggerSample, int triggerPoint);

    std::int32_t m_bOn = 0;
    std::int32_t m_bBandwidthLimit = 0;
    std::int32_t m_bInvert = 0;
    std::int16_t m_nCoupling = kCouplingDc;
    std::int16_t m_nProbe = 0;
    std::int16_t m_nVoltsPerDiv = 0;
    std::int16_t m_nFilter = 0;
    COLORREF m_color = 0;
    std::vector<double> m_sincTable; // (2 x taps + 1) rows of kSincRowLength
    double m_dTableFactor = 1.0;
    std::int16_t m_nTaps = kMaxTaps;
    std::int16_t m_nModel = 0;
    std::int32_t m_nRecordLength = kInputWindow;
    std::int32_t m_nMaxRecordLength = 0;
    std::int32_t m_nWindowLength = kDefaultWindowLength;
    std::int32_t m_nRollPointsHeld = 0;
    std::int16_t m_nRollNewPoints = 1;
    std::vector<std::int16_t> m_raw;
    std::vector<std::int16_t> m_work;
    std::int16_t m_screen[kScreenPoints] = {};
    float m_fPosition = 0.0f;
    float m_fPositionAtAcquisition = 0.0f;
    std::int16_t m_nVoltsPerDivAtAcquisition = 0;
    std::int16_t m_nDisplayPointCount = kScreenPoints;
    std::int16_t m_nInterpolation = kInterpolationSinc;
    std::int16_t m_nTriggerPoint = 0;
    std::int16_t m_nFirstValid = 0;
    std::int16_t m_nLastValid = kScreenPoints - 1;
    std::int16_t m_nRollSpan = 0;
    std::vector<std::int16_t> m_scratch; // reused work area of the resampling and rotation
};
