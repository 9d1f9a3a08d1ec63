// Channel, trigger and horizontal-format commands: each stores or sets its value through the
// document, mirrors the choice in the side panel's list and has the screen panel recompute its
// pointers or its trigger-level readout.
#include "app/KelvaneView.h"

#include "app/SidePanelMirror.h"
#include "display/Knob.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "engine/TimeBaseLimits.h"

namespace {

CTrace& Input(CKelvaneDoc& doc, int channel) {
    return channel == 0 ? doc.m_ch1 : doc.m_ch2;
}

} // namespace

void CKelvaneView::SetChannelVoltsPerDiv(std::int16_t step, std::int16_t channel) {
    if (!m_pDoc || (channel != 0 && channel != 1))
        return;
    if (channel == 0) {
        m_pDoc->SetCh1VoltDiv(step);
        SidePanelMirror().SelectEntry(ISidePanelMirror::kCh1VoltDiv, step);
        RepaintKnob(CKnob::kKnobCh1);
    } else {
        m_pDoc->SetCh2VoltDiv(step);
        SidePanelMirror().SelectEntry(ISidePanelMirror::kCh2VoltDiv, step);
        RepaintKnob(CKnob::kKnobCh2);
    }
    Screen().UpdateTriggerLevelVolts();
}

void CKelvaneView::OnChannelOnOff(int channel) {
    CKelvaneDoc& doc = *m_pDoc;
    if (doc.m_settings.GetTimeBaseFormat() == kFormatXY)
        return;
    CTrace& trace = Input(doc, channel);
    if (trace.IsOn()) {
        trace.SetOn(0);
        SidePanelMirror().DisableChannelControls(channel);
    } else {
        trace.SetOn(1);
        SidePanelMirror().EnableChannelControls(channel);
    }
    doc.ApplyChannelEnable();
}

void CKelvaneView::OnChannelCoupling(int channel, std::int16_t coupling) {
    CKelvaneDoc& doc = *m_pDoc;
    if (Input(doc, channel).GetCoupling() == coupling)
        return;
    if (channel == 0) {
        doc.SetCh1Coupling(coupling);
        SidePanelMirror().SelectEntry(ISidePanelMirror::kCh1Coupling, coupling);
    } else {
        doc.SetCh2Coupling(coupling);
        SidePanelMirror().SelectEntry(ISidePanelMirror::kCh2Coupling, coupling);
    }
}

void CKelvaneView::OnChannelProbe(int channel, std::int16_t probe) {
    Input(*m_pDoc, channel).SetProbe(probe);
    SidePanelMirror().SelectEntry(channel == 0 ? ISidePanelMirror::kCh1Probe : ISidePanelMirror::kCh2Probe,
                                  probe);
    SidePanelMirror().FillVoltsPerDivList(channel);
    Screen().UpdateTriggerLevelVolts();
}

void CKelvaneView::OnChannelReset(int channel) {
    CKelvaneDoc& doc = *m_pDoc;
    const std::int16_t source = doc.m_trigger.GetSource();
    const bool levelFollows = source == channel || source == kSourceAlt;
    if (levelFollows) {
        float level = doc.m_trigger.GetLevel(channel);
        std::int16_t state = kLevelInside;
        if (level < 0.0f) {
            level = 0.0f;
            state = kLevelAbove;
        } else if (level > 511.0f) {
            level = 511.0f;
            state = kLevelBelow;
        }
        if (channel == 0)
            doc.SetCh1TriggerLevel(level);
        else
            doc.SetCh2TriggerLevel(level);
        doc.m_trigger.SetMarkerWord(channel, state);
    }
    if (channel == 0)
        doc.SetCh1Position(256.0f);
    else
        doc.SetCh2Position(256.0f);
    Screen().UpdateMarkerPositions();
    if (levelFollows)
        Screen().FollowTriggerLevel(channel);
    // A level that stayed while its zero line moved now reads another voltage.
    Screen().UpdateTriggerLevelVolts();
}

void CKelvaneView::OnMathOnOff() {
    CKelvaneDoc& doc = *m_pDoc;
    if (doc.m_settings.GetTimeBaseFormat() == kFormatXY) {
        ShowNotAvailable();
        return;
    }
    doc.m_math.SetOn(doc.m_math.IsOn() ? 0 : 1);
}

// ---------------------------------------------------------------------------------------------
// Trigger

void CKelvaneView::OnTriggerMode(std::int16_t mode) {
    m_pDoc->SetTriggerMode(mode);
    SidePanelMirror().SelectEntry(ISidePanelMirror::kTriggerMode, mode);
    SidePanelMirror().FillSlopeList();
}

void CKelvaneView::OnTriggerSweep(std::int16_t sweep) {
    CKelvaneDoc& doc = *m_pDoc;
    const std::int16_t current = doc.m_trigger.GetSweep();
    if (current == sweep)
        return;
    if (sweep == kSweepSingle && doc.m_settings.GetSamplingMode() == kSamplingEts) {
        SidePanelMirror().SelectEntry(ISidePanelMirror::kSweep, current);
        return;
    }
    doc.m_trigger.SetSweep(sweep);
    SidePanelMirror().SelectEntry(ISidePanelMirror::kSweep, sweep);
}

void CKelvaneView::OnTriggerSource(std::int16_t source) {
    CKelvaneDoc& doc = *m_pDoc;
    if (source == doc.m_trigger.GetSource())
        return;
    const bool chosen = doc.ChooseTriggerSource(source);
    SidePanelMirror().SelectEntry(ISidePanelMirror::kTriggerSource,
                                  chosen ? source : doc.m_trigger.GetSource());
}

void CKelvaneView::OnTriggerSlope(std::int16_t slope) {
    m_pDoc->SetTriggerSlope(slope);
    SidePanelMirror().SelectEntry(ISidePanelMirror::kTriggerSlope, slope);
}

void CKelvaneView::OnTriggerPulseCondition(std::int16_t condition) {
    if (m_pDoc->m_trigger.GetPulseCondition() == condition)
        return;
    m_pDoc->SetPulseCondition(condition);
    SidePanelMirror().SelectEntry(ISidePanelMirror::kTriggerSlope, condition);
}

void CKelvaneView::OnTriggerLevel50() {
    CKelvaneDoc& doc = *m_pDoc;
    doc.m_measure.ComputeStats(&doc.m_ch1, &doc.m_ch2, &doc.m_math);
    const std::int16_t source = doc.m_trigger.GetSource();
    if (source == kSourceCh1 || source == kSourceAlt) {
        doc.SetCh1TriggerLevel(static_cast<float>(doc.m_measure.GetMidLevel(0)));
        doc.m_trigger.SetMarkerWord(CTrigger::kLevelCh1, kLevelInside);
    }
    if (source == kSourceCh2 || source == kSourceAlt) {
        doc.SetCh2TriggerLevel(static_cast<float>(doc.m_measure.GetMidLevel(1)));
        doc.m_trigger.SetMarkerWord(CTrigger::kLevelCh2, kLevelInside);
    }
    if (source == kSourceExt || source == kSourceExt10) {
        doc.SetExtTriggerLevel(128.0f);
        doc.m_trigger.SetMarkerWord(CTrigger::kLevelExt, kLevelInside);
    }
    Screen().UpdateMarkerPositions();
    Screen().UpdateTriggerLevelOffset();
    Screen().UpdateTriggerLevelVolts();
}

// ---------------------------------------------------------------------------------------------
// Horizontal format

void CKelvaneView::OnFormatYT() {
    CKelvaneDoc& doc = *m_pDoc;
    const std::int16_t format = doc.m_settings.GetTimeBaseFormat();
    if (format == kFormatYT)
        return;
    if (format == kFormatRoll) {
        const int p = RollReturnIndex(TimeBaseIndexOffset());
        SidePanelMirror().SelectEntry(ISidePanelMirror::kTimeDiv, p);
        doc.SetTimeBaseIndex(static_cast<std::int16_t>(p));
    }
    doc.SetHorizontalFormat(kFormatYT);
    SidePanelMirror().SelectEntry(ISidePanelMirror::kFormat, kFormatYT);
    RepaintKnob(CKnob::kKnobTime);
}

void CKelvaneView::OnFormatRoll() {
    CKelvaneDoc& doc = *m_pDoc;
    if (doc.m_settings.GetTimeBaseFormat() == kFormatRoll)
        return;
    // The deep record lengths cap the time base at 0.4 s/div, below Roll's 1 s/div.
    if (doc.m_settings.GetRecordLengthMode() != kRecordLength10K)
        return;
    doc.SetHorizontalFormat(kFormatRoll);
    SidePanelMirror().SelectEntry(ISidePanelMirror::kFormat, kFormatRoll);
    const int p = RollThresholdIndex(TimeBaseIndexOffset());
    SidePanelMirror().SelectEntry(ISidePanelMirror::kTimeDiv, p);
    doc.SetTimeBaseIndex(static_cast<std::int16_t>(p));
    RepaintKnob(CKnob::kKnobTime);
}

void CKelvaneView::OnFormatXY() {
    CKelvaneDoc& doc = *m_pDoc;
    const std::int16_t format = doc.m_settings.GetTimeBaseFormat();
    if (format == kFormatXY)
        return;
    for (int channel = 0; channel < 2; ++channel) {
        CTrace& trace = Input(doc, channel);
        if (!trace.IsOn()) {
            trace.SetOn(1);
            SidePanelMirror().EnableChannelControls(channel);
            doc.ApplyChannelEnable();
        }
    }
    if (doc.m_math.IsOn())
        doc.m_math.SetOn(0);
    if (doc.m_ref.IsOn())
        doc.m_ref.SetOn(0);
    if (format == kFormatRoll) {
        const int p = RollReturnIndex(TimeBaseIndexOffset());
        SidePanelMirror().SelectEntry(ISidePanelMirror::kTimeDiv, p);
        doc.SetTimeBaseIndex(static_cast<std::int16_t>(p));
    }
    doc.SetCh1Position(128.0f);
    doc.SetCh2Position(128.0f);
    doc.SetCh1TriggerLevel(128.0f);
    doc.SetCh2TriggerLevel(128.0f);
    Screen().UpdateMarkerPositions();
    Screen().UpdateTriggerLevelVolts();
    doc.SetHorizontalFormat(kFormatXY);
    SidePanelMirror().SelectEntry(ISidePanelMirror::kFormat, kFormatXY);
    RepaintKnob(CKnob::kKnobTime);
}

void CKelvaneView::OnHorizontalCentre() {
    m_pDoc->SetHorizontalPosition(250);
    Screen().SetTrigPosState(3);
    Screen().UpdateMarkerPositions();
    Screen().ResetDragAnchor();
}
