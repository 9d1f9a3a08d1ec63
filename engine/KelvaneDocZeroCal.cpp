// Zero calibration: for each chosen channel and each volts/div step, searches the two table
// words that put the zero line at the bottom and at the top edge of the screen, then writes
// the table back to the instrument. One step per timer tick.
#include "engine/KelvaneDoc.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/DocDeviceCalls.h"
#include "engine/DocViewCalls.h"
#include "engine/SettingsCodes.h"
#include "engine/TimeBaseLimits.h"

namespace {

constexpr std::int32_t kStateCh1 = 0;
constexpr std::int32_t kStateCh2 = 1;
constexpr std::int32_t kStateDone = 2;
constexpr int kEntries = 10; // volts/div steps per channel
constexpr int kCh2TableOffset = 20;
constexpr std::int16_t kCalibrationTimeBase = 12;
constexpr std::int16_t kFinalVoltDiv = 6;
constexpr int kTopWordLimit = 4095;

struct StepSizes {
    std::int16_t large, medium, small, smallest, start;
};

// Step sizes and the bottom word's start value by volts/div step.
StepSizes StepsFor(int entry) {
    switch (entry) {
    case 0:
        return {10, 5, 2, 1, 1550};
    case 1:
    case 4:
    case 7:
        return {20, 15, 5, 3, 1800};
    case 2:
    case 5:
    case 8:
        return {90, 70, 35, 10, 1800};
    default:
        return {130, 120, 100, 10, 3200};
    }
}

} // namespace

namespace dv = kv::docview;

void CKelvaneDoc::SetCalibrationChannels(int ch1, int ch2) {
    m_nCalibrationChannels[0] = ch1;
    m_nCalibrationChannels[1] = ch2;
}

int CKelvaneDoc::StartCalibration() {
    m_bCalibrationWriteFailed = 0;
    // 1. Saved on states, factory defaults, acquisition running.
    m_bCalSavedCh1On = m_ch1.IsOn();
    m_bCalSavedCh2On = m_ch2.IsOn();
    Ui().FactorySetup();
    if (!m_bRunning)
        Ui().RunStopCommand();
    // 2. The table to adjust. Without it the stop would write a stale or empty table over the
    // entries of the channel that is not being calibrated.
    if (!m_usb.ReadCalibration(m_trigger.GetCalibrationTable())) {
        m_nCalibrationState = kIdle;
        return 0;
    }
    kv::docdevice::ComputeLevelRange(*this);
    // 3. Y-T format (Roll first moves to 40 us/div).
    const std::int16_t format = m_settings.GetTimeBaseFormat();
    if (format == kFormatRoll) {
        const std::int16_t index40us = TimeBaseIndexOf(m_settings, 4e-5);
        if (index40us >= 0)
            dv::SetTimeBase(*this, index40us);
    }
    if (format != kFormatYT) {
        SetHorizontalFormat(kFormatYT);
        dv::SelectCombo(*this, SidePanelCombo::Format, kFormatYT);
        Ui().RepaintView();
    }
    // 4. Normal acquisition, shortest record.
    if (m_average.GetAcquireMode() != CAverageBuffer::kModeNormal)
        m_average.SetAcquireMode(CAverageBuffer::kModeNormal);
    if (m_settings.GetRecordLengthMode() != kRecordLength10K)
        ChooseRecordLength(kRecordLength10K);
    // 5. Large window, fixed time base, Auto sweep.
    Ui().MaximizeMainWindow(true);
    dv::SetTimeBase(*this, kCalibrationTimeBase);
    if (m_trigger.GetSweep() != kSweepAuto) {
        m_trigger.SetSweep(kSweepAuto);
        dv::SelectCombo(*this, SidePanelCombo::Sweep, kSweepAuto);
    }
    // 6. The first channel to calibrate.
    m_nCalibrationEntry = 0;
    if (m_nCalibrationChannels[0]) {
        m_nCalibrationState = kStateCh1;
        m_ch1.SetOn(1);
        if (m_trigger.GetSource() != kSourceCh1)
            dv::TriggerOnChannel(*this, 0);
        if (m_ch1.GetCoupling() != kCouplingAc)
            dv::SetCoupling(*this, 0, kCouplingAc);
        if (m_nCalibrationChannels[1])
            m_ch2.SetOn(1);
    } else if (m_nCalibrationChannels[1]) {
        m_nCalibrationState = kStateCh2;
        m_ch2.SetOn(1);
        if (m_trigger.GetSource() != kSourceCh2)
            dv::TriggerOnChannel(*this, 1);
        if (m_ch2.GetCoupling() != kCouplingAc)
            dv::SetCoupling(*this, 1, kCouplingAc);
    } else {
        m_nCalibrationState = kStateDone;
    }
    // 7. Working copy of the table with its two level-range words (the instrument reads 42).
    m_nCalibrationSubStep = 0;
    ApplyChannelEnable();
    std::copy_n(m_trigger.GetCalibrationTable(), kv::kCalibrationBlockWords, m_calibrationWork);
    return 1;
}

void CKelvaneDoc::CalibrationStep() {
    const std::int32_t state = m_nCalibrationState;
    if (state == kIdle)
        return;
    if (state != kStateCh1 && state != kStateCh2) {
        StopCalibration();
        return;
    }
    const int channel = state;
    CTrace& trace = channel == 0 ? m_ch1 : m_ch2;
    const int entry = std::clamp(m_nCalibrationEntry, 0, kEntries - 1);
    const int bottom = (channel == 0 ? 0 : kCh2TableOffset) + 2 * entry;
    const int top = bottom + 1;
    const StepSizes steps = StepsFor(entry);

    // Sends the working table with this entry's volts/div and measures the zero line.
    auto measure = [&]() {
        const std::int16_t ch1VoltDiv =
            channel == 0 ? static_cast<std::int16_t>(entry) : m_ch1.GetVoltsPerDivIndex();
        const std::int16_t ch2VoltDiv =
            channel == 1 ? static_cast<std::int16_t>(entry) : m_ch2.GetVoltsPerDivIndex();
        m_usb.SetOffset(m_usb.GetLevelBlock(), ch1VoltDiv, ch2VoltDiv, 0, m_calibrationWork);
        CaptureOnce();
        const double mean = std::trunc(CMeasure::GetMeanPoint(&trace));
        m_dCalibrationMean = mean;
        return mean;
    };

    switch (m_nCalibrationSubStep) {
    case 0: // zero line at the bottom
        if (channel == 0)
            SetCh1Position(511.0f);
        else
            SetCh2Position(511.0f);
        dv::SetVoltsPerDiv(*this, channel, static_cast<std::int16_t>(entry));
        m_calibrationWork[bottom] = steps.start;
        m_nCalibrationSubStep = 1;
        break;
    case 1: { // lower the bottom word until the line leaves the screen
        const double m = measure();
        std::int16_t& w = m_calibrationWork[bottom];
        if (w == 0)
            m_nCalibrationSubStep = 2;
        else if (m >= 61 && m <= 511 && w >= steps.large)
            w = static_cast<std::int16_t>(w - steps.large);
        else if (m >= 31 && w >= steps.medium)
            w = static_cast<std::int16_t>(w - steps.medium);
        else if (m >= 21 && w >= steps.small)
            w = static_cast<std::int16_t>(w - steps.small);
        else if (m < 1 || w < steps.smallest)
            m_nCalibrationSubStep = 2;
        else
            w = static_cast<std::int16_t>(w - steps.smallest);
        break;
    }
    case 2: // zero line at the top
        if (channel == 0)
            SetCh1Position(0.0f);
        else
            SetCh2Position(0.0f);
        dv::SetVoltsPerDiv(*this, channel, static_cast<std::int16_t>(entry));
        m_calibrationWork[top] = m_calibrationWork[bottom];
        m_nCalibrationSubStep = 3;
        break;
    case 3: { // raise the top word until the line reaches the top edge
        const double m = measure();
        std::int16_t& w = m_calibrationWork[top];
        if (w > kTopWordLimit)
            m_nCalibrationSubStep = 4;
        else if (m <= 399)
            w = static_cast<std::int16_t>(w + steps.large);
        else if (m <= 459)
            w = static_cast<std::int16_t>(w + steps.medium);
        else if (m <= 481)
            w = static_cast<std::int16_t>(w + steps.small);
        else if (m > 510)
            m_nCalibrationSubStep = 4;
        else
            w = static_cast<std::int16_t>(w + steps.smallest);
        break;
    }
    default: // entry done
        m_nCalibrationSubStep = 0;
        ++m_nCalibrationEntry;
        break;
    }

    if (m_nCalibrationEntry >= kEntries) {
        m_nCalibrationEntry = 0;
        if (channel == 1 || m_nCalibrationChannels[1]) {
            m_nCalibrationState = state + 1;
            SetCh1Position(128.0f);
            SetCh1TriggerLevel(128.0f);
            dv::RecomputeMarkers(*this);
            if (m_trigger.GetSource() != kSourceCh2) {
                m_trigger.SetDragValue(0.0f);
                m_usb.SetStateWord(kv::kStateAltFlag, 0);
                m_trigger.SetMarkerWord(CTrigger::kLevelCh2, 0);
                SetCh2TriggerLevel(m_ch2.GetPosition());
                dv::SetTriggerSource(*this, kSourceCh2);
                dv::RecomputeMarkers(*this);
                dv::RecomputeLevelReadout(*this);
            }
            if (m_ch2.GetCoupling() != kCouplingAc)
                dv::SetCoupling(*this, 1, kCouplingAc);
        } else {
            m_nCalibrationState = kStateDone;
        }
    }
    dv::RecomputeMarkers(*this);
}

int CKelvaneDoc::StopCalibration() {
    int result = 1;
    // 1. A finished calibration keeps its table, in the instrument too.
    if (m_nCalibrationState == kStateDone) {
        std::copy_n(m_calibrationWork, kv::kCalibrationBlockWords, m_trigger.GetCalibrationTable());
        std::uint16_t table[kv::kCalibrationEntries];
        for (int i = 0; i < kv::kCalibrationEntries; ++i)
            table[i] = static_cast<std::uint16_t>(m_calibrationWork[i]);
        // An unchecked write would report success for a table the instrument never stored.
        if (!m_usb.WriteCalibration(table)) {
            m_bCalibrationWriteFailed = 1;
            result = 0;
        }
    }
    // 2. The instrument works with the stored table again.
    m_usb.SetOffset(m_usb.GetLevelBlock(), m_ch1.GetVoltsPerDivIndex(), m_ch2.GetVoltsPerDivIndex(),
                    m_usb.GetStateWord(kv::kStateActiveSource), m_trigger.GetCalibrationTable());
    // 3. Channels and trigger as before.
    m_ch1.SetOn(m_bCalSavedCh1On);
    m_ch2.SetOn(m_bCalSavedCh2On);
    dv::SetTriggerSource(*this, 0);
    ApplyChannelEnable();
    dv::UpdateChannelControls(*this);
    // 4. Standard positions, levels and volts/div.
    SetHorizontalPosition(250);
    SetCh1Position(128.0f);
    SetCh1TriggerLevel(128.0f);
    SetCh2Position(384.0f);
    SetCh2TriggerLevel(384.0f);
    dv::SetVoltsPerDiv(*this, 0, kFinalVoltDiv);
    dv::SetVoltsPerDiv(*this, 1, kFinalVoltDiv);
    dv::RecomputeMarkers(*this);
    // The readouts were last taken while the zero lines sat at the screen's edges.
    dv::RecomputeLevelReadout(*this);
    // 5. Idle, normal window.
    m_nCalibrationState = kIdle;
    Ui().MaximizeMainWindow(false);
    return result;
}
