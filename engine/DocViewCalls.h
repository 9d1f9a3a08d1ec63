#pragma once
// The view's setters and side-panel updates as the auto-setup and the zero calibration reach
// them. Without a view the document's stand-in runs the document's own setter alone and skips
// the panel calls.
#include <cstdint>

#include "engine/KelvaneDoc.h"

namespace kv::docview {

// Time base through the view's setter (which also moves the side panel's list).
inline void SetTimeBase(CKelvaneDoc& doc, std::int16_t index) {
    doc.Ui().SetTimeBaseIndex(index);
}

// Volts/div of channel 0 (CH1) or 1 (CH2) through the view's setter.
inline void SetVoltsPerDiv(CKelvaneDoc& doc, int channel, std::int16_t index) {
    doc.Ui().SetChannelVoltsPerDiv(channel, index);
}

inline void SelectCombo(CKelvaneDoc& doc, SidePanelCombo combo, int entry) {
    doc.Ui().SelectSidePanelCombo(combo, entry);
}

inline void RecomputeMarkers(CKelvaneDoc& doc) {
    doc.Ui().RecomputeMarkers();
}

inline void RecomputeLevelReadout(CKelvaneDoc& doc) {
    doc.Ui().RecomputeTriggerLevelReadout();
}

inline void UpdateChannelControls(CKelvaneDoc& doc) {
    doc.Ui().UpdateChannelControls(doc.m_ch1.IsOn() != 0, doc.m_ch2.IsOn() != 0);
}

// Coupling of channel 0/1 through the document setter, mirrored in the side panel.
inline void SetCoupling(CKelvaneDoc& doc, int channel, std::int16_t coupling) {
    if (channel == 0) {
        doc.SetCh1Coupling(coupling);
        SelectCombo(doc, SidePanelCombo::Ch1Coupling, coupling);
    } else {
        doc.SetCh2Coupling(coupling);
        SelectCombo(doc, SidePanelCombo::Ch2Coupling, coupling);
    }
}

// Trigger source through the document setter, mirrored in the side panel.
inline void SetTriggerSource(CKelvaneDoc& doc, std::int16_t source) {
    doc.SetTriggerSource(source);
    SelectCombo(doc, SidePanelCombo::TriggerSource, source);
}

// Makes channel 0/1 the trigger source with its level on its zero line: drag value, ALT flag
// and the channel's marker word cleared, then markers and level readout recomputed.
inline void TriggerOnChannel(CKelvaneDoc& doc, int channel) {
    doc.m_trigger.SetDragValue(0.0f);
    doc.m_usb.SetStateWord(kv::kStateAltFlag, 0);
    doc.m_trigger.SetMarkerWord(channel == 0 ? CTrigger::kLevelCh1 : CTrigger::kLevelCh2, 0);
    if (channel == 0)
        doc.SetCh1TriggerLevel(doc.m_ch1.GetPosition());
    else
        doc.SetCh2TriggerLevel(doc.m_ch2.GetPosition());
    SetTriggerSource(doc, static_cast<std::int16_t>(channel == 0 ? 0 : 1));
    RecomputeMarkers(doc);
    RecomputeLevelReadout(doc);
}

} // namespace kv::docview
