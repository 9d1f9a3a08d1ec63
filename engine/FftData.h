#pragma once
// FFT settings and results of the document: input selection, dB conversion, spur suppression,
// peak and harmonic search, frequency axis and the text export.
#include <array>
#include <cstdint>
#include <vector>

#include "engine/SettingsCodes.h"
#include "framework/CString.h"
#include "zendral/Zendral.h"

// Samples in one screen record of the instrument; the FFT input is always taken from such a record.
constexpr int kFftRecordLength = 10240;
// Largest number of frequency bins.
constexpr int kFftMaxBins = 4096;

// What one spectrum computation needs to know about the source channel and the time base.
struct FftSourceData {
    bool roll = false;                  // Roll format
    int rollPointsHeld = 0;             // Roll points appended since the screen was cleared
    const short* screenTrace = nullptr; // 500 screen points of the source channel
    bool channelOn = false;
    double secondsPerDiv = 0.0;
    const short* workRecord = nullptr; // at least kFftRecordLength samples
    const short* rawRecord = nullptr;  // at least kFftRecordLength samples
    bool sharedConverter = false;      // channel mode 2 without the ALT flag
    int positionWord = 50;             // horizontal position / 5, 0..100
    short levelPosition = 0;           // source channel's position word in the level block
    double voltsPerDiv = 0.0;          // volts/div of the source channel
};

// Linear stretch of a kFftRecordLength-sample record by `factor` around the trigger sample given by
// the position word (horizontal position / 5). `dest` holds kFftRecordLength samples.
void LinearInterpolateRecord(const short* raw, short* dest, int factor, int positionWord);

class CFftData {
public:
    CFftData();
    virtual ~CFftData() = default;
    CFftData(const CFftData&) = default;
    CFftData& operator=(const CFftData&) = default;

    static bool IsValidBinCount(int bins);

    // Defaults: FFT off, CH1, Rectangle, 256 bins, linear, vertical scale 0.5, zoom x1; results zeroed.
    void ResetFftSettings();

    // One spectrum of the source channel: fills the instrument object's parameter block from the
    // settings, then runs the instrument library's input (18) and spectrum (17) steps. Returns 1
    // when a spectrum was computed, 0 when the source gave nothing to transform (results stay).
    int Compute(const FftSourceData& src, kv::ZendralFftBlock& block, kv::IZendral& zendral);

    // Steps of Compute, usable on their own.
    void ApplyScale(int bins);                       // linear copy, then dB when scale is 0
    void SuppressSpurs(int bins);                    // at 100 ns/div and faster
    void FindPeak(int bins);                         // peak bin and value
    void ComputeHarmonicBins();                      // harmonics 2..6 of the peak
    void ComputeFrequencyAxis(double secondsPerDiv); // every bin of the axis

    // Whether harmonic n (2..6) lies inside the last computed spectrum.
    bool IsHarmonicValid(int n) const;
    // Linear (volts) value at harmonic n (2..6), 0 when it lies beyond the spectrum.
    double LinearHarmonicValue(int n) const;
    // Bin count of the last computed spectrum (256 in Roll whatever the setting).
    int ResultBins() const { return m_nResultBins; }

    // Writes the frequency and level of every bin as text. On failure returns 0 and, when
    // `error` is given, sets it to the message to show.
    int SaveFftToText(const char* path, CString* error = nullptr) const;

    // Settings (stored by the setup file, edited by the FFT dialog).
    std::int32_t m_bFftOn = 0;
    std::int16_t m_nSource = 0;
    std::int16_t m_nWindow = kFftWindowRectangle;
    std::int16_t m_nBins = 256;
    std::int16_t m_nScale = kFftScaleLinear;
    double m_dVerticalScale = 0.5;
    std::int16_t m_nZoom = 1;

    // Results.
    std::array<double, kFftMaxBins> m_spectrum{};        // dB when the scale is 0
    std::array<double, kFftMaxBins> m_linear{};          // the same before the dB conversion
    std::array<std::int64_t, kFftMaxBins> m_frequency{}; // hertz; 64-bit, the fast time bases exceed 2^31
    std::int16_t m_nPeakBin = 0;
    std::array<std::int16_t, 5> m_nHarmonicBins{}; // harmonics 2..6
    std::array<double, 6> m_dPeakValues{};         // peak, then harmonics 2..6
    std::array<std::int32_t, 6> m_nDisplayFlags{}; // which of peak and harmonics are shown

private:
    int m_nResultBins = 256;
    std::vector<short> m_stretched; // stretched raw record at the fast time bases
    std::vector<short> m_input;     // 2 x bins transform input
};
