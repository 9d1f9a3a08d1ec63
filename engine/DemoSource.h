#pragma once
// The built-in signal source used when the program runs without an instrument: two generators
// (sine, sine with strong noise, or noise) that follow the channel, time-base and trigger
// settings, and a simulated trigger test that decides when fresh records may be filled.
#include <cstdint>
#include <random>

#include "engine/SettingsCodes.h"

// One channel's generator. Amplitude and offsets are in screen codes (zero at the bottom of the
// screen).
class CDemoGenerator {
public:
    static constexpr int kRecordSamples = 10240;
    // The demo's amplitude setting becomes 32 codes per volt/div of peak-to-peak amplitude. The
    // screen has 511 / 8 codes a division, so the trace spans about half the setting, and every
    // reading of it (measurements, cursors, files) follows the trace on the graticule.
    static constexpr double kAmplitudeCodesPerDivision = 32.0;

    CDemoGenerator() = default;
    virtual ~CDemoGenerator() = default;

    // Parameters, derived from the settings at the start of every demo tick.
    std::int16_t m_bEnabled = 0;     // the channel is on
    std::int16_t m_nZeroOffset = 0;  // 511 - position
    std::int16_t m_nDcOffset = 0;    // DC offset added to every sample
    std::int16_t m_nSplit = 0;       // horizontal position 0..500
    std::int16_t m_nLevel = 0;       // 511 - trigger level
    double m_dFrequencyFactor = 0.0; // cycles per sample
    double m_dAmplitude = 0.0;       // peak-to-peak, in codes
    double m_dPhase = 0.0;           // radians at the trigger sample
    std::int16_t m_nDirection = 0;   // trigger slope: 0 forward, 1 backward
    float m_fNoiseDivisor = 9.0f;    // 9.0 faint noise, 1.0 strong noise

    // Writes kRecordSamples samples (nothing when `capacity` is smaller or the record is null).
    void GenerateSine(std::int16_t* record, std::int32_t capacity);
    void GenerateNoiseRecord(std::int16_t* record, std::int32_t capacity);
    // One noise sample about the zero line (no DC offset).
    std::int16_t GenerateNoise();

    // The random source of this generator: the minimal standard sequence x -> 48271 x mod
    // (2^31 - 1), uniform integers 1..2^31-2, started from `seed` (0 counts as 1).
    void Seed(std::uint32_t seed);
    int Rand();

private:
    // A factor of 0.5 cycles per sample or more would alias; it is replaced by 1.25.
    double UsableFrequencyFactor() const;
    // The next `count` draws of the random source.
    void Draw(std::uint32_t* out, int count);
    // Fills the record around the split so that k = 0 lands at the trigger sample: `segment`
    // (first index, index step, count, step of k) is called for the part before the trigger
    // sample, written backwards, and then for the rest.
    template <typename Segment> void FillAroundSplit(Segment segment);
    // One part of a sine record: `count` samples from `first`, `indexStep` apart, k stepping
    // by `kStep` from 0.
    void FillSineSegment(std::int16_t* record, int first, int indexStep, int count, int kStep);

    std::uint32_t m_nDrawState = 1;
};

class CDemoSource {
public:
    static constexpr std::int16_t kNotTriggered = 0;
    static constexpr std::int16_t kTriggered = 2;
    static constexpr std::int32_t kWaveSine = 0;
    static constexpr std::int32_t kWaveNoisySine = 1;
    static constexpr std::int32_t kWaveNoise = 2;

    CDemoSource() = default;
    virtual ~CDemoSource() = default;

    CDemoGenerator& Generator(int channel) { return channel == 0 ? m_ch1 : m_ch2; }
    const CDemoGenerator& Generator(int channel) const { return channel == 0 ? m_ch1 : m_ch2; }

    // Simulated trigger test: 2 when fresh records may be filled, 0 when not triggered.
    std::int16_t ComputeTriggerPhase();
    // The next trigger test triggers even when the level lies outside the signal.
    void ForceTrigger() { m_bForce = 1; }
    // 10240 samples into each valid, enabled channel's record.
    void FillDemoRecords(std::int16_t* ch1Record, std::int16_t* ch2Record, std::int32_t capacity);
    // One noise sample at the start of each valid, enabled channel's record (Roll format).
    void FillDemoPoints(std::int16_t* ch1Record, std::int16_t* ch2Record, std::int32_t capacity);

    // Advances the drift (when on) and applies the waveform's noise divisors; run once per
    // parameter update after the generators got their values.
    void AdvanceDriftAndWaveform();

    // Settings edited by the Demo Setting dialog.
    void SetFrequency(double f) { m_dFrequency = f; }
    double GetFrequency() const { return m_dFrequency; }
    void SetAmplitude(double volts) { m_dAmplitude = volts; }
    double GetAmplitude() const { return m_dAmplitude; }
    void SetDcOffset(std::int32_t on) { m_bDcOffset = on; }
    std::int32_t GetDcOffset() const { return m_bDcOffset; }
    void SetDrift(std::int32_t on) { m_bDrift = on; }
    std::int32_t GetDrift() const { return m_bDrift; }
    void SetDriftValue(double v) { m_dDriftValue = v; }
    double GetDriftValue() const { return m_dDriftValue; }
    void SetWaveform(std::int32_t w) { m_nWaveform = w; }
    std::int32_t GetWaveform() const { return m_nWaveform; }

    void SetDemoFlag(std::int32_t demo) { m_bDemo = demo; }
    std::int32_t GetDemoFlag() const { return m_bDemo; }
    void SetTriggerSource(std::int16_t s) { m_nTriggerSource = s; }
    std::int16_t GetTriggerSource() const { return m_nTriggerSource; }
    void SetActiveSource(std::int16_t s) { m_nActiveSource = s; }
    std::int16_t GetActiveSource() const { return m_nActiveSource; }
    std::int32_t IsValid(int channel) const { return channel == 0 ? m_bCh1Valid : m_bCh2Valid; }
    std::int32_t IsForced() const { return m_bForce; }

    // Seeds the phase source and both generators (tests use it for repeatable records).
    void Seed(std::uint32_t seed);

private:
    // Trigger test of one generator: true when its level lies inside its signal, with x the
    // level's place in the signal (-1 bottom .. 1 top).
    bool LevelInside(const CDemoGenerator& g, double* x) const;
    double RandomPhase();
    std::int16_t TriggerOnGenerator(int channel);

    CDemoGenerator m_ch1;
    CDemoGenerator m_ch2;
    std::int32_t m_bDemo = 0;
    std::int16_t m_nTriggerSource = kSourceCh1;
    std::int16_t m_nActiveSource = kSourceCh1;
    double m_dFrequency = 12.5;
    double m_dAmplitude = 4.0;
    std::int32_t m_bDcOffset = 1;
    std::int32_t m_bDrift = 1;
    double m_dDriftValue = 0.0;
    std::int32_t m_nWaveform = kWaveSine;
    std::int32_t m_bCh1Valid = 0;
    std::int32_t m_bCh2Valid = 0;
    std::int32_t m_bForce = 0;
    std::minstd_rand m_random{7u};
};
