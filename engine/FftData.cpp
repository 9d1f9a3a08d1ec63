#include "engine/FftData.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/FileErrors.h"
#include "engine/SettingsCodes.h"
#include "engine/Trace.h"
#include "system/LittleEndian.h"
#include "system/Narrow.h"
#include "system/NumberText.h"

namespace {

constexpr int kRollBins = 256;
// Time bases at or below this many seconds per division use the stretched raw record.
constexpr double kFastTimeBase = 1e-7;
// Above this the frequency axis follows the time base; at or below it bins are 1 MHz apart.
constexpr double kAxisTimeBase = 4e-8;
// A bin of exactly zero magnitude has no logarithm. In dB it reads this low, or this far under
// the weakest real bin of the spectrum when that lies lower still, so it stays below every real
// level: the peak search, the harmonics, the drawing and the export never take it for a strong
// bin. The screen at its coarsest 60 dB a division reaches down to -420 dB, so an empty bin is
// drawn on the bottom edge.
constexpr double kZeroBinFloorDb = -500.0;
constexpr double kZeroBinMarginDb = 20.0;

} // namespace

void LinearInterpolateRecord(const short* raw, short* dest, int factor, int positionWord) {
    if (!raw || !dest || factor <= 0)
        return;
    // A position word above 100 would put the trigger sample past the record.
    const int p = std::clamp(positionWord, 0, 100);
    const int last = kFftRecordLength - 1;
    const int i = p == 100 ? last : static_cast<int>(p * 102.4);
    const double d = factor;

    // Rightwards: one step per source sample, factor points per step, up to the record's end.
    const int rightSteps = (kFftRecordLength - i + factor - 1) / factor;
    for (int s = 0; s < rightSteps; ++s) {
        const int a = raw[std::min(i + s, last)];
        const int b = raw[std::min(i + s + 1, last)];
        for (int l = 0; l < factor; ++l) {
            const int at = i + s * factor + l;
            if (at >= kFftRecordLength)
                break;
            dest[at] = kv::TruncSat<std::int16_t>(a + (b - a) / d * l);
        }
    }
    // Leftwards the same from the trigger sample down to index 0.
    const int leftSteps = i / factor + 1;
    for (int s = 0; s < leftSteps; ++s) {
        const int a = raw[std::max(i - s, 0)];
        const int b = raw[std::max(i - s - 1, 0)];
        for (int l = 0; l < factor; ++l) {
            const int at = i - s * factor - l;
            if (at < 0)
                break;
            dest[at] = kv::TruncSat<std::int16_t>(a + (b - a) / d * l);
        }
    }
    dest[0] = dest[1];
}

CFftData::CFftData() : m_stretched(kFftRecordLength, 0), m_input(2 * kFftMaxBins, 0) {
    ResetFftSettings();
}

bool CFftData::IsValidBinCount(int bins) {
    return bins == 256 || bins == 512 || bins == 1024 || bins == 2048 || bins == 4096;
}

void CFftData::ResetFftSettings() {
    m_bFftOn = 0;
    m_nSource = 0;
    m_nWindow = kFftWindowRectangle;
    m_nBins = 256;
    m_nScale = kFftScaleLinear;
    m_dVerticalScale = 0.5;
    m_nZoom = 1;
    m_spectrum.fill(0.0);
    m_linear.fill(0.0);
    m_frequency.fill(0);
    m_nPeakBin = 0;
    m_nHarmonicBins.fill(0);
    m_dPeakValues.fill(0.0);
    m_nDisplayFlags.fill(1);
    m_nResultBins = 256;
}

int CFftData::Compute(const FftSourceData& src, kv::ZendralFftBlock& block, kv::IZendral& zendral) {
    // A bin count or window outside the lists would size the transform beyond its buffers.
    if (!IsValidBinCount(m_nBins) || m_nWindow < kFftWindowRectangle || m_nWindow > kFftWindowBlackman)
        return 0;

    block.source = static_cast<std::uint16_t>(m_nSource);
    block.window = static_cast<std::uint16_t>(m_nWindow);
    block.bins = static_cast<std::uint16_t>(m_nBins);
    if (m_nSource == 0 || m_nSource == 1)
        block.voltsPerDiv = src.voltsPerDiv;
    block.scale = m_nScale;
    kv::ZendralFftBlock params = block;

    int bins = m_nBins;
    if (src.roll) {
        // Roll uses 256 bins for this call only; the stored setting stays.
        bins = kRollBins;
        params.bins = kRollBins;
        if (src.rollPointsHeld < CTrace::kScreenPoints || !src.screenTrace)
            return 0;
        std::copy(src.screenTrace, src.screenTrace + CTrace::kScreenPoints, m_input.begin());
        std::fill(m_input.begin() + CTrace::kScreenPoints, m_input.begin() + 2 * kRollBins,
                  src.screenTrace[CTrace::kScreenPoints - 1]);
    } else {
        if (!src.channelOn)
            return 0;
        const short* record = src.workRecord;
        if (!(src.secondsPerDiv > kFastTimeBase)) {
            if (!src.rawRecord)
                return 0;
            LinearInterpolateRecord(src.rawRecord, m_stretched.data(), src.sharedConverter ? 100 : 50,
                                    src.positionWord);
            record = m_stretched.data();
        }
        if (!record)
            return 0;
        zendral.FftPrepareInput(record, kFftRecordLength, static_cast<short>(bins), m_input.data());
    }
    std::fill(m_spectrum.begin(), m_spectrum.end(), 0.0);
    zendral.FftCompute(&params, m_input.data(), src.levelPosition, m_spectrum.data());
    m_nResultBins = bins;

    ApplyScale(bins);
    if (!(src.secondsPerDiv > kFastTimeBase))
        SuppressSpurs(bins);
    FindPeak(bins);
    ComputeHarmonicBins();
    ComputeFrequencyAxis(src.secondsPerDiv);
    return 1;
}

void CFftData::ApplyScale(int bins) {
    bins = std::clamp(bins, 0, kFftMaxBins);
    m_nResultBins = bins;
    std::copy(m_spectrum.begin(), m_spectrum.begin() + bins, m_linear.begin());
    // Bins beyond this spectrum would otherwise show a longer earlier one.
    std::fill(m_spectrum.begin() + bins, m_spectrum.end(), 0.0);
    std::fill(m_linear.begin() + bins, m_linear.end(), 0.0);
    if (m_nScale != kFftScaleDb)
        return;
    double floor = kZeroBinFloorDb;
    for (int k = 0; k < bins; ++k) {
        const double v = m_spectrum[k];
        // Only positive magnitudes have a logarithm; anything else would become NaN.
        if (v > 0.0) {
            m_spectrum[k] = 20.0 * std::log10(v);
            floor = std::min(floor, m_spectrum[k] - kZeroBinMarginDb);
        }
    }
    // Left at 0 dB, an empty bin would stand above every real bin of a spectrum in volts. The
    // bins past a Roll spectrum of 256 are empty too, for the drawing and the export.
    for (int k = 0; k < kFftMaxBins; ++k) {
        if (!(m_linear[k] > 0.0))
            m_spectrum[k] = floor;
    }
}

void CFftData::SuppressSpurs(int bins) {
    bins = std::clamp(bins, 0, kFftMaxBins);
    if (bins < 64)
        return;
    int top = 1;
    for (int k = 2; k < bins; ++k) {
        if (m_spectrum[k] > m_spectrum[top])
            top = k;
    }
    // The linear copy moves with the spectrum so that both index the same frequencies.
    auto shift = [](std::array<double, kFftMaxBins>& a, int first, int last, int by) {
        for (int j = first; j <= last; ++j)
            a[j - by] = a[j];
    };
    if (top > 63) {
        shift(m_spectrum, 64, bins - 4, 2);
        shift(m_linear, 64, bins - 4, 2);
    } else if (top >= 21) {
        shift(m_spectrum, 21, 63, 1);
        shift(m_linear, 21, 63, 1);
    }
}

void CFftData::FindPeak(int bins) {
    bins = std::clamp(bins, 2, kFftMaxBins);
    int peak = 1;
    for (int k = 2; k < bins; ++k) {
        if (m_spectrum[k] > m_spectrum[peak])
            peak = k;
    }
    m_nPeakBin = static_cast<std::int16_t>(peak);
    m_dPeakValues[0] = m_spectrum[peak];
}

void CFftData::ComputeHarmonicBins() {
    const int peak = m_nPeakBin;
    for (int n = 2; n <= 6; ++n) {
        const int bin = peak * n; // at most 4095 x 6, inside int16
        m_nHarmonicBins[n - 2] = static_cast<std::int16_t>(bin);
        // A harmonic past the last bin would read beyond the spectrum.
        m_dPeakValues[n - 1] = (bin >= 0 && bin < m_nResultBins) ? m_spectrum[bin] : 0.0;
    }
}

void CFftData::ComputeFrequencyAxis(double secondsPerDiv) {
    if (secondsPerDiv > kAxisTimeBase) {
        const double step = 0.1 / secondsPerDiv;
        for (int k = 0; k < kFftMaxBins; ++k) {
            // The relative nudge keeps values like 699999.9999 from truncating a whole hertz low.
            const double f = step * k * (1.0 + 1e-12);
            m_frequency[k] = f < 9.2e18 ? static_cast<std::int64_t>(f) : INT64_MAX;
        }
    } else {
        for (int k = 0; k < kFftMaxBins; ++k)
            m_frequency[k] = static_cast<std::int64_t>(k) * 1000000;
    }
}

bool CFftData::IsHarmonicValid(int n) const {
    if (n < 2 || n > 6)
        return false;
    const int bin = m_nHarmonicBins[n - 2];
    return bin >= 0 && bin < m_nResultBins;
}

double CFftData::LinearHarmonicValue(int n) const {
    return IsHarmonicValid(n) ? m_linear[m_nHarmonicBins[n - 2]] : 0.0;
}

int CFftData::SaveFftToText(const char* path, CString* error) const {
    std::string text;
    text.reserve(64 + 48 * kFftMaxBins);
    text += kv::FormatText("%s\t\t\t\t\t%s\n", "Freq(Hz)", m_nScale == kFftScaleDb ? "dB" : "Volt(V)");
    text += " \n";
    const int bins = std::clamp<int>(m_nBins, 0, kFftMaxBins);
    for (int k = 0; k < bins; ++k)
        text += kv::FormatText("%lld\t\t\t\t\t%f\n", static_cast<long long>(m_frequency[k]), m_spectrum[k]);
    return kv::SaveWholeFile(path, text.data(), text.size(), error);
}
