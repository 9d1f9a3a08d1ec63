// Auto-setup: finds a volts/div step for each channel and a time base that shows 4 to 10
// periods, one step per timer tick, with one blocking capture per measurement.
#include "engine/KelvaneDoc.h"

#include <algorithm>
#include <cstdlib>

#include "engine/DocViewCalls.h"
#include "engine/SettingsCodes.h"
#include "system/Clock.h"

namespace {

constexpr std::int32_t kStateCh1 = 0;
constexpr std::int32_t kStateCh2 = 1;
constexpr std::int32_t kStateSearch = 2;
constexpr std::int32_t kStateSettle = 3;
constexpr std::int32_t kStateFinish = 4;
constexpr std::int32_t kFirstCandidate = 8;  // 5 V/div
constexpr std::int16_t kNoSignalVoltDiv = 6; // 1 V/div
constexpr std::int16_t kAmplitudeTimeBase = 10;
constexpr std::int16_t kAmplitudeRetryTimeBase = 19;
constexpr std::int16_t kStartTimeBase = 10;
constexpr std::int16_t kFallbackTimeBase = 12;
constexpr std::int32_t kSearchHigh = 24;
constexpr int kSettleTicks = 10;
constexpr int kMinPeakToPeak = 60;  // exclusive
constexpr int kMaxPeakToPeak = 140; // exclusive
constexpr double kMinPeriods = 4.0;
constexpr double kMaxPeriods = 10.0;
constexpr int kCapturePolls = 80;
constexpr std::uint32_t kPollSleepMs = 10;
constexpr int kCaptureReady = 3; // capture states above this mean data ready

} // namespace

namespace dv = kv::docview;

void CKelvaneDoc::CaptureOnce() {
    if (IsDemoMode()) {
        m_demo.ForceTrigger();
        for (int i = 0; i < kCapturePolls; ++i) {
            if (m_demo.ComputeTriggerPhase() == CDemoSource::kTriggered)
                break;
            if (i + 1 < kCapturePolls)
                kv::SleepMs(kPollSleepMs);
        }
        GenerateDemoData();
        ProcessDemoTraces();
        return;
    }
    m_usb.CaptureStart();
    m_usb.TriggerEnabled();
    m_usb.ForceTrigger();
    for (int i = 0; i < kCapturePolls; ++i) {
        if (m_usb.GetCaptureState() > kCaptureReady)
            break;
        if (i + 1 < kCapturePolls)
            kv::SleepMs(kPollSleepMs);
    }
    // Read and measured even when it never became ready: the measurement decides.
    const std::int32_t capacity = (m_ch1.GetRawRecord() && m_ch2.GetRawRecord())
                                      ? std::min(m_ch1.GetRecordCapacity(), m_ch2.GetRecordCapacity())
                                      : 0;
    m_usb.GetChannelData(m_ch1.GetVoltsPerDivIndex(), m_ch2.GetVoltsPerDivIndex(), m_ch1.GetRawRecord(),
                         m_ch2.GetRawRecord(), capacity);
    ProcessCapturedTraces();
}

int CKelvaneDoc::StartAutoSetup() {
    // 1. State and cleared screen traces.
    m_nAutoSetupState = kStateCh1;
    std::fill_n(m_ch1.GetScreenTrace(), CTrace::kScreenPoints, std::int16_t{0});
    std::fill_n(m_ch2.GetScreenTrace(), CTrace::kScreenPoints, std::int16_t{0});
    // 2. Time base, Y-T format, shortest record.
    dv::SetTimeBase(*this, kStartTimeBase);
    SetHorizontalFormat(kFormatYT);
    dv::SelectCombo(*this, SidePanelCombo::Format, kFormatYT);
    ChooseRecordLength(kRecordLength10K);
    // 3. Both channels on; their states come back at the finish when nothing is found.
    m_bCh1Found = m_bCh2Found = 0;
    // A no-signal flag left from an earlier run would describe a channel this run may find.
    m_bCh1NoSignal = m_bCh2NoSignal = 0;
    m_bSavedCh1On = m_ch1.IsOn();
    m_bSavedCh2On = m_ch2.IsOn();
    m_ch1.SetOn(1);
    m_ch2.SetOn(1);
    dv::UpdateChannelControls(*this);
    // 4. Auto sweep, triggered on CH1.
    if (m_trigger.GetSweep() != kSweepAuto) {
        m_trigger.SetSweep(kSweepAuto);
        dv::SelectCombo(*this, SidePanelCombo::Sweep, kSweepAuto);
    }
    dv::SetTriggerSource(*this, kSourceCh1);
    m_trigger.SetDragValue(0.0f);
    m_usb.SetStateWord(kv::kStateAltFlag, 0);
    m_trigger.SetMarkerWord(CTrigger::kLevelCh1, 0);
    dv::RecomputeLevelReadout(*this);
    // 5. Channel mode, positions and levels.
    ApplyChannelEnable();
    SetHorizontalPosition(0);
    SetCh1Position(128.0f);
    SetCh2Position(128.0f);
    SetCh1TriggerLevel(128.0f);
    SetCh2TriggerLevel(128.0f);
    // 6. Start at 5 V/div, AC coupled.
    dv::SetVoltsPerDiv(*this, 0, static_cast<std::int16_t>(kFirstCandidate));
    dv::SetVoltsPerDiv(*this, 1, static_cast<std::int16_t>(kFirstCandidate));
    dv::SetCoupling(*this, 0, 1);
    dv::SetCoupling(*this, 1, 1);
    // 7. Search state.
    m_nAutoCandidate = kFirstCandidate;
    m_nAutoResult = 0;
    dv::RecomputeMarkers(*this);
    m_nSearchLow = 0;
    m_nSearchHigh = kSearchHigh;
    m_nSettleCount = 0;
    // 8. Progress window.
    Ui().ShowAutoSetupProgress();
    return 1;
}

int CKelvaneDoc::CheckAmplitude(int channel) {
    const short source = static_cast<short>(channel == 0 ? 0 : 1);
    auto measure = [this, source](std::int16_t timeBase) {
        dv::SetTimeBase(*this, timeBase);
        CaptureOnce();
        m_measure.ComputeStats(&m_ch1, &m_ch2, &m_math);
        const int pp = m_measure.GetPeakToPeakPoints(source);
        return pp > kMinPeakToPeak && pp < kMaxPeakToPeak;
    };
    if (IsDemoMode())
        UpdateDemoParameters();
    if (measure(kAmplitudeTimeBase))
        return 1;
    return measure(kAmplitudeRetryTimeBase) ? 1 : 0;
}

int CKelvaneDoc::TimeBaseSearch(int channel) {
    bool last = false;
    std::int32_t probe = 0;
    if (std::abs(m_nSearchLow - m_nSearchHigh) == 1) {
        m_nSearchLow = m_nSearchHigh;
        probe = m_nSearchHigh;
    } else if (m_nSearchLow == m_nSearchHigh) {
        probe = m_nSearchLow;
        last = true;
    } else {
        probe = (m_nSearchLow + m_nSearchHigh) / 2;
    }
    dv::SetTimeBase(*this, static_cast<std::int16_t>(probe));
    if (IsDemoMode())
        UpdateDemoParameters();
    CaptureOnce();
    m_measure.Update(&m_ch1, &m_ch2, &m_math);
    // Real periods: 0 when no full period was found, which sends the search slower.
    const double p = m_measure.GetPeriodsOnScreen(static_cast<short>(channel == 0 ? 0 : 1));
    if (p < kMinPeriods) {
        m_nSearchLow = probe;
    } else if (p <= kMaxPeriods) {
        m_nAutoResult = probe;
        return 1;
    } else {
        m_nSearchHigh = probe;
    }
    if (last) {
        m_nAutoResult = kFallbackTimeBase;
        return 3;
    }
    return 0;
}

int CKelvaneDoc::AutoSetupStep() {
    const std::int32_t state = m_nAutoSetupState;
    auto enterNext = [this](std::int32_t next) {
        m_nAutoCandidate = kFirstCandidate;
        m_nAutoSetupState = next;
        if (next == kStateSearch) {
            dv::SetTimeBase(*this, 0);
            m_nAutoResult = 0;
        }
    };
    if (state == kStateCh1 || state == kStateCh2) {
        const int channel = state;
        dv::SetVoltsPerDiv(*this, channel, static_cast<std::int16_t>(m_nAutoCandidate));
        if (CheckAmplitude(channel)) {
            (channel == 0 ? m_bCh1Found : m_bCh2Found) = 1;
            enterNext(state + 1);
        } else if (--m_nAutoCandidate < 0) {
            (channel == 0 ? m_bCh1NoSignal : m_bCh2NoSignal) = 1;
            dv::SetVoltsPerDiv(*this, channel, kNoSignalVoltDiv);
            enterNext(state + 1);
            return 1;
        }
    } else if (state == kStateSearch) {
        int result = 3;
        if (m_bCh1Found)
            result = TimeBaseSearch(0);
        else if (m_bCh2Found)
            result = TimeBaseSearch(1);
        if (result == 1) {
            dv::SetTimeBase(*this, static_cast<std::int16_t>(m_nAutoResult));
            m_nAutoSetupState = kStateSettle;
        } else if (result == 3) {
            dv::SetTimeBase(*this, kFallbackTimeBase);
            m_nAutoSetupState = kStateSettle;
        }
    } else if (state == kStateSettle) {
        if (++m_nSettleCount >= kSettleTicks)
            m_nAutoSetupState = kStateFinish;
    } else {
        return 1;
    }
    Ui().SetAutoSetupProgressStep(m_nAutoSetupState);
    return 1;
}

int CKelvaneDoc::FinishAutoSetup() {
    // 1. Idle again.
    m_nAutoSetupState = kIdle;
    // 2. Channels with a signal stay on; with none found both get their old states back.
    if (m_bCh1Found || m_bCh2Found) {
        m_ch1.SetOn(m_bCh1Found);
        m_ch2.SetOn(m_bCh2Found);
    } else {
        m_ch1.SetOn(m_bSavedCh1On);
        m_ch2.SetOn(m_bSavedCh2On);
    }
    ApplyChannelEnable();
    dv::UpdateChannelControls(*this);
    // 3. Standard positions and levels.
    m_trigger.SetDragValue(0.0f);
    SetHorizontalPosition(250);
    SetCh1Position(128.0f);
    SetCh1TriggerLevel(128.0f);
    SetCh2Position(384.0f);
    SetCh2TriggerLevel(384.0f);
    // 4. The trigger moves to the channel that stayed on.
    bool switched = false;
    if (m_trigger.GetSource() == kSourceCh1 && !m_ch1.IsOn()) {
        SetCh2TriggerLevel(m_ch2.GetPosition());
        dv::SetTriggerSource(*this, kSourceCh2);
        switched = true;
    } else if (m_trigger.GetSource() == kSourceCh2 && !m_ch2.IsOn()) {
        SetCh1TriggerLevel(m_ch1.GetPosition());
        dv::SetTriggerSource(*this, kSourceCh1);
        switched = true;
    }
    if (switched) {
        m_trigger.SetDragValue(0.0f);
        m_usb.SetStateWord(kv::kStateAltFlag, 0);
        m_trigger.SetMarkerWord(CTrigger::kLevelCh1, 0);
        ApplyChannelEnable();
    }
    // 5. Markers and level readouts, after any switch above; the progress window goes.
    dv::RecomputeMarkers(*this);
    dv::RecomputeLevelReadout(*this);
    Ui().CloseAutoSetupProgress();
    return 1;
}
