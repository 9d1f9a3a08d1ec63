#pragma once
// Horizontal and sampling settings of the instrument and the time-base tables.
#include <cstdint>

#include "engine/DeviceStateBlock.h"
#include "engine/SettingsCodes.h"
#include "framework/CString.h"

class CScopeSettings {
public:
    static constexpr int kTimeBaseSteps = 39; // steps 0..38, 2 ns .. 3600 s per division
    static constexpr int kMaxTimeBaseStep = 38;
    static constexpr int kEtsWorkAreaBytes = 1000;
    static constexpr int kMaxRecordLengthMode = kRecordLength1M;

    CScopeSettings();
    virtual ~CScopeSettings();

    // Index offset of a model (index i names step i + offset), as the model table gives it: 0 for
    // the models with the 2 ns step, 1 for the others. The time/div lists of a model start at the
    // step of its offset: "2.00ns" or "4.00ns".
    static std::int16_t IndexOffsetOfModel(int model);
    void SetIndexOffset(std::int16_t offset); // stored when 0..1
    std::int16_t GetIndexOffset() const { return m_nIndexOffset; }

    void SetTimeBaseIndex(std::int16_t index); // stored when 0..38 - offset
    std::int16_t GetTimeBaseIndex() const { return m_nTimeBaseIndex; }
    void SetTimeBaseFormat(std::int16_t format); // 0 Y-T, 1 Roll, 2 X-Y
    std::int16_t GetTimeBaseFormat() const { return m_nFormat; }
    // Callers keep 0..500; a drag pan may leave it outside, the processing copes.
    void SetHorizontalPosition(std::int16_t position) { m_nHorizontalPosition = position; }
    std::int16_t GetHorizontalPosition() const { return m_nHorizontalPosition; }
    void SetSamplingMode(std::int16_t mode); // ETS flag := (mode == kSamplingEts)
    std::int16_t GetSamplingMode() const { return m_nSamplingMode; }
    void SetRecordLengthMode(std::int16_t mode); // stored when 0..6
    std::int16_t GetRecordLengthMode() const { return m_nRecordLengthMode; }

    void TimeBaseDown();
    void TimeBaseUp();
    // Seconds per division of step index + offset; 0 for a step outside 0..38.
    double TimeBaseSeconds(std::int16_t index) const;
    double GetSecondsPerDiv() const { return TimeBaseSeconds(m_nTimeBaseIndex); }

    void CacheTimeBase();
    double GetCachedSecondsPerDiv() const { return m_dCachedSecondsPerDiv; }
    std::int16_t GetCachedHorizontalPosition() const { return m_nCachedHorizontalPosition; }

    // Sample-rate texts; stateBlock points at the six words of DeviceStateBlock.h (null reads
    // as all zero).
    CString SampleRateText(std::int16_t index, const std::int16_t* stateBlock) const;
    CString SampleRateTextEts(std::int16_t index, const std::int16_t* stateBlock) const;
    CString SampleRateTextAlt(std::int16_t index, const std::int16_t* stateBlock) const;

    // ETS and TDC words.
    std::int32_t GetEtsFlag() const { return m_bEts; }
    void SetEtsTimerA(std::int16_t v) { m_nEtsTimerA = v; }
    std::int16_t GetEtsTimerA() const { return m_nEtsTimerA; }
    void SetEtsTimerB(std::int16_t v) { m_nEtsTimerB = v; }
    std::int16_t GetEtsTimerB() const { return m_nEtsTimerB; }
    void SetTdcMode(std::int16_t v) { m_nTdcMode = v; }
    std::int16_t GetTdcMode() const { return m_nTdcMode; }
    void SetEtsCalValue(std::int16_t v) { m_nEtsCalValue = v; }
    std::int16_t GetEtsCalValue() const { return m_nEtsCalValue; }
    std::int16_t* GetEtsCalData() { return m_nEtsCalData; } // 2 words (ordinals 27, 32)
    const std::int16_t* GetEtsCalData() const { return m_nEtsCalData; }
    unsigned char* GetEtsWorkArea() { return m_etsWorkArea; } // kEtsWorkAreaBytes
    std::int16_t GetEtsWord1() const { return m_nEtsWord1; }
    void SetEtsWord1(std::int16_t v) { m_nEtsWord1 = v; }
    std::int16_t* GetEtsWord2() { return &m_nEtsWord2; }
    // ETS calibration maximum/minimum and the ETS Update flag (Calibrate Data dialog).
    void SetEtsCalMax(std::int16_t v) { m_nEtsCalMax = v; }
    std::int16_t GetEtsCalMax() const { return m_nEtsCalMax; }
    void SetEtsCalMin(std::int16_t v) { m_nEtsCalMin = v; }
    std::int16_t GetEtsCalMin() const { return m_nEtsCalMin; }
    void SetEtsUpdate(std::int32_t v) { m_bEtsUpdate = v; }
    std::int32_t GetEtsUpdate() const { return m_bEtsUpdate; }

private:
    std::int16_t m_nIndexOffset = 0;
    double m_dCachedSecondsPerDiv = 4e-5;
    std::int16_t m_nCachedHorizontalPosition = 250;
    std::int32_t m_bEts = 0;
    std::int16_t m_nEtsTimerA = 3950;
    std::int16_t m_nEtsTimerB = 2000;
    std::int16_t m_nTdcMode = 3;
    std::int16_t m_nEtsCalValue = 3950;
    std::int16_t m_nEtsCalData[2] = {0, 0};
    unsigned char m_etsWorkArea[kEtsWorkAreaBytes] = {};
    std::int16_t m_nEtsWord1 = 1;
    std::int16_t m_nEtsWord2 = 0;
    std::int16_t m_nTimeBaseIndex = 13;
    std::int16_t m_nFormat = kFormatYT;
    std::int16_t m_nHorizontalPosition = 250;
    std::int16_t m_nRecordLengthMode = kRecordLength10K;
    std::int16_t m_nSamplingMode = kSamplingRealTime;
    std::int16_t m_nEtsCalMax = 0;
    std::int16_t m_nEtsCalMin = 0;
    std::int32_t m_bEtsUpdate = 0;
};
