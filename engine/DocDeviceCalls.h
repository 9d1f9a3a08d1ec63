#pragma once
// The groups of instrument calls that the document's setters and its start-up combine, each
// made from the document's current volts/div, couplings and active trigger source.
#include <cstdint>

#include "engine/KelvaneDoc.h"

namespace kv::docdevice {

// The trigger's level range for the current volts/div and active source.
inline void ComputeLevelRange(CKelvaneDoc& doc) {
    doc.m_trigger.ComputeLevelRange(doc.m_ch1.GetVoltsPerDivIndex(), doc.m_ch2.GetVoltsPerDivIndex(),
                                    doc.m_usb.GetStateWord(kStateActiveSource));
}

// Input ranges and couplings of both channels.
inline void SendVoltageAndCoupling(CKelvaneDoc& doc) {
    doc.m_usb.SetVoltageAndCoupling(doc.m_ch1.GetVoltsPerDivIndex(), doc.m_ch2.GetVoltsPerDivIndex(),
                                    doc.m_ch1.GetCoupling(), doc.m_ch2.GetCoupling(),
                                    doc.m_usb.GetStateBlock());
}

// Channel offsets for the given active source.
inline void SendOffset(CKelvaneDoc& doc, std::int16_t activeSource) {
    doc.m_usb.SetOffset(doc.m_usb.GetLevelBlock(), doc.m_ch1.GetVoltsPerDivIndex(),
                        doc.m_ch2.GetVoltsPerDivIndex(), activeSource, doc.m_trigger.GetCalibrationTable());
}

// Channel offsets for the active source of the state block.
inline void SendOffset(CKelvaneDoc& doc) {
    SendOffset(doc, doc.m_usb.GetStateWord(kStateActiveSource));
}

} // namespace kv::docdevice
