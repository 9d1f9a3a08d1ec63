#pragma once
// Trigger settings and the instrument's zero-level calibration block.
#include <cstdint>

#include "engine/SettingsCodes.h"
#include "zendral/Zendral.h"

class CTrigger {
public:
    static constexpr int kCalibrationEntries = kv::kCalibrationEntries; // zero-level calibration table
    static constexpr int kCalibrationBlockWords = 82; // table, two range words, reserved rest
    static constexpr int kLevelRangeLow = 40;         // word index in the block
    static constexpr int kLevelRangeHigh = 41;
    static constexpr int kVoltDivSteps = 10;

    // Which of the three levels, readouts and marker words.
    enum LevelSource : int { kLevelCh1 = 0, kLevelCh2 = 1, kLevelExt = 2, kLevelCount = 3 };

    struct LevelPair {
        std::int16_t high;
        std::int16_t low;
    };

    CTrigger();
    virtual ~CTrigger();

    void SetSource(std::int16_t source); // 0 CH1, 1 CH2, 2 ALT, 3 EXT, 4 EXT/10
    std::int16_t GetSource() const { return m_nSource; }
    void SetTriggerType(std::int16_t type); // 0 Edge, 1 Pulse (also the type word)
    std::int16_t GetTriggerType() const { return m_nTriggerType; }
    std::int32_t GetTriggerTypeWord() const { return m_nTriggerTypeWord; }
    void SetSweep(std::int16_t sweep); // 0 Auto, 1 Normal, 2 Single
    std::int16_t GetSweep() const { return m_nSweep; }
    void SetSlope(std::int16_t slope); // 0 rising, 1 falling
    std::int16_t GetSlope() const { return m_nSlope; }
    void SetHfReject(std::int32_t on) { m_bHfReject = on; }
    std::int32_t IsHfReject() const { return m_bHfReject; }

    void SetPulseCondition(std::int16_t condition); // stored when 0..5
    std::int16_t GetPulseCondition() const { return m_nPulseCondition; }
    void SetPulseWidth(std::int32_t width); // 5 ns steps, stored when 2..2000000000
    std::int32_t GetPulseWidth() const { return m_nPulseWidth; }

    void SetAutoIdleCounter(std::int16_t v) { m_nAutoIdleCounter = v; }
    std::int16_t GetAutoIdleCounter() const { return m_nAutoIdleCounter; }

    // Level offset of the screen panel's dragging (also the setup file's level offset).
    void SetDragValue(float v) { m_fDragValue = v; }
    float GetDragValue() const { return m_fDragValue; }
    // Trigger levels in the position frame: 0 at the top edge, 511 at the bottom.
    // A source outside 0..2 is ignored (and reads as 0).
    void SetLevel(int source, float level);
    float GetLevel(int source) const;
    void SetLevelVolts(int source, float volts);
    float GetLevelVolts(int source) const;
    // Per-source level-pointer states: 0 inside, 2 above, 3 below.
    void SetMarkerWord(int source, std::int16_t word);
    std::int16_t GetMarkerWord(int source) const;

    void SetDefaultLevelTableCh1();
    void SetDefaultLevelTableCh2();
    // Default (high, low) pair of channel 0/1 at volts/div index 0..9; {0, 0} outside.
    LevelPair GetLevelPair(int channel, int voltDivIndex) const;

    void ComputeLevelRange(std::int16_t ch1VoltDiv, std::int16_t ch2VoltDiv, std::int16_t activeSource);

    // The 82-word block the instrument reads and writes: 40 entries, range low, range high.
    std::int16_t* GetCalibrationTable() { return m_calibration; }
    const std::int16_t* GetCalibrationTable() const { return m_calibration; }
    std::int16_t GetLevelRangeLow() const { return m_calibration[kLevelRangeLow]; }
    std::int16_t GetLevelRangeHigh() const { return m_calibration[kLevelRangeHigh]; }

private:
    std::int16_t m_nSource = kSourceCh1;
    std::int16_t m_nTriggerType = kTriggerEdge;
    std::int16_t m_nSweep = kSweepAuto;
    std::int16_t m_nSlope = kSlopeRising;
    std::int32_t m_bHfReject = 0;
    std::int32_t m_nTriggerTypeWord = 0;
    std::int16_t m_nPulseCondition = kPulsePositiveLess;
    std::int32_t m_nPulseWidth = 2;
    std::int16_t m_nAutoIdleCounter = 0;
    float m_fDragValue = 0.0f;
    float m_fLevel[kLevelCount] = {128.0f, 384.0f, 256.0f};
    float m_fLevelVolts[kLevelCount] = {0.0f, 0.0f, 0.0f};
    std::int16_t m_nMarkerWord[kLevelCount] = {0, 0, 0};
    LevelPair m_levelTableCh1[kVoltDivSteps] = {};
    LevelPair m_levelTableCh2[kVoltDivSteps] = {};
    std::int16_t m_calibration[kCalibrationBlockWords] = {};
};
