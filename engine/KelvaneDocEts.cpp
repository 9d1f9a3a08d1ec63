// The ETS calibration value: one pass of the calibration that moves the instrument's ETS
// calibration value until its time-interval counter reads 1800. The ETS Calibration dialog
// calls the pass again and again until it reports convergence, then has the result stored.
#include "engine/KelvaneDoc.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr std::int32_t kTarget = 1800;
constexpr std::int32_t kTolerance = 5; // |median - target| below this has converged
constexpr std::int32_t kMaxPlausibleReading = 9999;
constexpr std::int32_t kMaxCalValue = 4095;
constexpr std::int16_t kCalValueRestart = 3950;
constexpr std::int32_t kUnsignedNegative = 32768; // a 16-bit value this high was stored negative
constexpr std::int16_t kTdcModeMeasure = 2;
constexpr std::int16_t kTdcModeEts = 3;
constexpr std::int16_t kTdcModeRealTime = 1;
constexpr int kReadings = 3;

} // namespace

int CKelvaneDoc::EtsCalibrationStep() {
    // 1. Three counter readings in TDC mode 2; their median is the measure.
    m_settings.SetTdcMode(kTdcModeMeasure);
    m_usb.SelectTdc(kTdcModeMeasure);
    std::int32_t readings[kReadings] = {};
    for (std::int32_t& reading : readings) {
        m_usb.CaptureStart();
        // A failed read writes nothing: start from 0 so no stale value passes for a reading.
        std::int32_t value = 0;
        m_usb.ReadTdc(&value);
        reading = value;
    }
    std::sort(readings, readings + kReadings);
    const std::int32_t median = readings[kReadings / 2];

    const std::int16_t restoreMode = m_settings.GetEtsFlag() ? kTdcModeEts : kTdcModeRealTime;
    auto restoreTdcMode = [this, restoreMode] {
        m_settings.SetTdcMode(restoreMode);
        m_usb.SelectTdc(restoreMode);
    };

    // 2. A value stored negative restarts the calibration from the default.
    std::int32_t value = static_cast<std::uint16_t>(m_settings.GetEtsCalValue());
    if (value >= kUnsignedNegative) {
        // Kept, so that the next pass starts from the restart value and not the old one.
        m_settings.SetEtsCalValue(kCalValueRestart);
        m_usb.SetTdcCalValue(kCalValueRestart);
        restoreTdcMode();
        return 0;
    }

    // 3. Converged.
    if (std::abs(median - kTarget) < kTolerance) {
        restoreTdcMode();
        return 1;
    }

    // 4. Half the distance towards the target; an implausible median restarts.
    if (median >= 0 && median < kTarget)
        value += (kTarget - median) / 2;
    else if (median >= kTarget && median <= kMaxPlausibleReading)
        value -= (median - kTarget) / 2;
    else
        value = kCalValueRestart;
    // A value below 0 would be sent as a huge unsigned one; above 4095 it is out of the
    // counter's range. Either restarts.
    if (value < 0 || value > kMaxCalValue)
        value = kCalValueRestart;
    // Kept on every pass: without it each pass would start again from the same value and the
    // dialog would finally write back the unchanged one.
    m_settings.SetEtsCalValue(static_cast<std::int16_t>(value));
    m_usb.SetTdcCalValue(static_cast<std::int16_t>(value));

    // 5.
    restoreTdcMode();
    return 0;
}

void CKelvaneDoc::StoreEtsCalibration() {
    m_usb.WriteTdcCalData(m_settings.GetEtsCalData());
    m_usb.SetTdcCalValue(m_settings.GetEtsCalValue());
    ReadEtsValue();
}
