// The document's settings setters: every channel, time-base and trigger change made by a
// menu, the side panel, the knob, a marker drag or a dialog ends up here. A setter stores the
// value, sends the affected part of the set-up to the instrument unless the document runs in
// demo mode, and restarts the capture.
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"

#include "engine/DeviceStateBlock.h"
#include "engine/DocDeviceCalls.h"

namespace {

using kv::docdevice::ComputeLevelRange;
using kv::docdevice::SendOffset;
using kv::docdevice::SendVoltageAndCoupling;

} // namespace

// --- Vertical settings ---------------------------------------------------------------------------

void CKelvaneDoc::SetCh1Coupling(std::int16_t coupling) {
    m_ch1.SetCoupling(coupling);
    if (!IsDemoMode())
        SendVoltageAndCoupling(*this);
    RestartCapture();
}

void CKelvaneDoc::SetCh2Coupling(std::int16_t coupling) {
    m_ch2.SetCoupling(coupling);
    if (!IsDemoMode())
        SendVoltageAndCoupling(*this);
    RestartCapture();
}

void CKelvaneDoc::SetCh1Position(float position) {
    m_ch1.SetPosition(position);
    m_usb.SetLevelWord(kv::kLevelCh1Position, LevelBlockWord(position));
    if (!IsDemoMode())
        SendOffset(*this);
    RestartCapture();
}

void CKelvaneDoc::SetCh2Position(float position) {
    m_ch2.SetPosition(position);
    m_usb.SetLevelWord(kv::kLevelCh2Position, LevelBlockWord(position));
    if (!IsDemoMode())
        SendOffset(*this);
    RestartCapture();
}

void CKelvaneDoc::SetMathPosition(float position) {
    m_math.SetPosition(position);
}

void CKelvaneDoc::SetRefPosition(float position) {
    m_ref.SetPosition(position);
}

// --- Trigger levels ------------------------------------------------------------------------------

void CKelvaneDoc::SetCh1TriggerLevel(float level) {
    m_trigger.SetLevel(CTrigger::kLevelCh1, level);
    // Unclamped, a level dragged or loaded beyond the screen would reach the instrument as a
    // word outside the level block's 0..511.
    m_usb.SetLevelWord(kv::kLevelCh1Trigger, LevelBlockWord(level));
    if (!IsDemoMode())
        SendOffset(*this);
    RestartCapture();
}

void CKelvaneDoc::SetCh2TriggerLevel(float level) {
    m_trigger.SetLevel(CTrigger::kLevelCh2, level);
    // Kept within 0..511 like CH1's level word.
    m_usb.SetLevelWord(kv::kLevelCh2Trigger, LevelBlockWord(level));
    if (!IsDemoMode())
        SendOffset(*this);
    RestartCapture();
}

void CKelvaneDoc::SetExtTriggerLevel(float level) {
    m_trigger.SetLevel(CTrigger::kLevelExt, level);
    m_usb.SetLevelWord(kv::kLevelExtTrigger, LevelBlockWord(level));
    if (!IsDemoMode()) {
        SendVoltageAndCoupling(*this);
        SendOffset(*this);
    }
    RestartCapture();
}

// --- Horizontal settings -------------------------------------------------------------------------

void CKelvaneDoc::SetHorizontalPosition(std::int16_t position) {
    m_settings.SetHorizontalPosition(position);
    m_usb.SetStateWord(kv::kStatePosition, PositionWord(position));
    if (!IsDemoMode())
        SendTriggerAndSampleRate();
    RestartCapture();
}

void CKelvaneDoc::DecrementTimeBase() {
    m_settings.TimeBaseDown();
    m_usb.SetStateWord(kv::kStateTimeBase, m_settings.GetTimeBaseIndex());
    SendTriggerAndSampleRate();
    RestartCapture();
}

void CKelvaneDoc::IncrementTimeBase() {
    m_settings.TimeBaseUp();
    m_usb.SetStateWord(kv::kStateTimeBase, m_settings.GetTimeBaseIndex());
    SendTriggerAndSampleRate();
    RestartCapture();
}

void CKelvaneDoc::SetHorizontalFormat(std::int16_t format) {
    m_settings.SetTimeBaseFormat(format);
    RestartCapture();
}

// --- Trigger settings ----------------------------------------------------------------------------

void CKelvaneDoc::SetTriggerMode(std::int16_t mode) {
    m_trigger.SetTriggerType(mode);
    SendTriggerAndSampleRate();
    RestartCapture();
}

void CKelvaneDoc::SetTriggerSource(std::int16_t source) {
    m_trigger.SetSource(source);
    // ALT stays the active source until the next capture picks a channel.
    m_usb.SetStateWord(kv::kStateActiveSource, m_trigger.GetSource());
    if (!IsDemoMode()) {
        ComputeLevelRange(*this);
        SendTriggerAndSampleRate();
        SendOffset(*this);
    }
    RestartCapture();
}

bool CKelvaneDoc::ChooseTriggerSource(std::int16_t source) {
    if (source == m_trigger.GetSource() || source < kSourceCh1 || source > kSourceExt10)
        return false;
    if (source == kSourceAlt && m_settings.GetSamplingMode() == kSamplingEts)
        return false;
    m_trigger.SetDragValue(0.0f);
    m_usb.SetStateWord(kv::kStateAltFlag, source == kSourceAlt ? 1 : 0);
    if (source == kSourceCh1 || source == kSourceCh2) {
        // The level goes onto the channel's zero line.
        m_trigger.SetMarkerWord(source, kLevelInside);
        if (source == kSourceCh1)
            SetCh1TriggerLevel(m_ch1.GetPosition());
        else
            SetCh2TriggerLevel(m_ch2.GetPosition());
    } else if (source != kSourceAlt) {
        m_trigger.SetMarkerWord(CTrigger::kLevelExt, kLevelInside);
        SetExtTriggerLevel(128.0f);
    }
    SetTriggerSource(source);
    // Pointers and level readout follow at once, whichever road the choice came by.
    Ui().RecomputeMarkers();
    Ui().RecomputeTriggerLevelReadout();
    ApplyChannelEnable();
    return true;
}

void CKelvaneDoc::SetTriggerSlope(std::int16_t slope) {
    m_trigger.SetSlope(slope);
    if (!IsDemoMode())
        SendTriggerAndSampleRate();
    RestartCapture();
}

void CKelvaneDoc::SetPulseCondition(std::int16_t condition) {
    m_trigger.SetPulseCondition(condition);
    if (!IsDemoMode())
        SendTriggerAndSampleRate();
    RestartCapture();
}
