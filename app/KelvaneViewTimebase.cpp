// Time base and record length: which time bases each record length ("Buffer Size") allows, as
// the time/div commands, the start of acquisition and a CSV load enforce it, and the check marks
// the view sets on menus as they open.
#include "app/KelvaneView.h"

#include "app/SidePanelMirror.h"
#include "display/Knob.h"
#include "engine/DeviceStateBlock.h"
#include "engine/KelvaneDoc.h"
#include "engine/ModelCapabilities.h"
#include "engine/SettingsCodes.h"
#include "engine/TimeBaseLimits.h"
#include "framework/Menu.h"
#include "resources/Resource.h"
#include "resources/ScaleLabels.h"
#include "timebase/RecordLength.h"

bool CKelvaneView::IsDualCondition() const {
    if (!m_pDoc)
        return false;
    return IsBothChannelsOnChannelTrigger(m_pDoc->m_usb.GetStateWord(kv::kStateChannelMode),
                                          m_pDoc->m_trigger.GetSource());
}

std::optional<TimeBaseLimits> CKelvaneView::RecordLengthLimits(std::int16_t mode) const {
    if (!m_pDoc)
        return std::nullopt;
    // Indexes are entries of the model's time/div list.
    return RecordLengthTimeBaseLimits(mode, m_pDoc->m_usb.GetStateWord(kv::kStateChannelMode),
                                      m_pDoc->m_trigger.GetSource(), TimeBaseIndexOffset());
}

CString CKelvaneView::RecordLengthRangeMessage(std::int16_t mode) const {
    const bool dual = IsDualCondition();
    switch (mode) {
    case kRecordLength14K:
        return dual ? "14K Points Mode Range:40us/Div ~ 0.4s/Div"
                    : "14K Points Mode Range:20us/Div ~ 0.4s/Div";
    case kRecordLength28K:
        return "28K Points Mode Range:40us/Div ~ 0.4s/Div";
    case kRecordLength32K:
        return dual ? "32K Points Mode Range:40us/Div ~ 0.4s/Div"
                    : "32K Points Mode Range:20us/Div ~ 0.4s/Div";
    case kRecordLength64K:
        return "64K Points Mode Range:40us/Div ~ 0.4s/Div";
    case kRecordLength512K:
        return dual ? "512K Points Mode Range:400us/Div ~ 0.4s/Div"
                    : "512K Points Mode Range:200us/Div ~ 0.4s/Div";
    case kRecordLength1M:
        return "1M Points Mode Range:400us/Div ~ 0.4s/Div";
    default:
        return "";
    }
}

std::int16_t CKelvaneView::TimeBaseIndexOffset() const {
    return CScopeSettings::IndexOffsetOfModel(m_pDoc ? m_pDoc->m_nModel : CKelvaneDoc::kDefaultModel);
}

void CKelvaneView::SelectTimeBase(int step) {
    if (!m_pDoc)
        return;
    CKelvaneDoc& doc = *m_pDoc;
    const int p = TimeBaseIndexOfStep(step, TimeBaseIndexOffset());
    const int p400 = SlowestYtIndex(TimeBaseIndexOffset());
    // A step the list lacks names no time base; -1 must never become an index.
    if (p < 0)
        return;
    if (p > p400 && doc.m_passFail.m_nState1)
        return;
    if (p == doc.m_settings.GetTimeBaseIndex())
        return;
    const std::int16_t mode = doc.m_settings.GetRecordLengthMode();
    if (mode == kRecordLength10K) {
        doc.SetTimeBaseIndex(static_cast<std::int16_t>(p));
        SidePanelMirror().SelectEntry(ISidePanelMirror::kTimeDiv, p);
        if (doc.m_bRunning) {
            const std::int16_t format = doc.m_settings.GetTimeBaseFormat();
            if (p <= p400 && format == kFormatRoll) {
                SidePanelMirror().SelectEntry(ISidePanelMirror::kFormat, kFormatYT);
                doc.SetHorizontalFormat(kFormatYT);
            } else if (p > p400 && format != kFormatRoll) {
                SidePanelMirror().SelectEntry(ISidePanelMirror::kFormat, kFormatRoll);
                doc.SetHorizontalFormat(kFormatRoll);
            }
        }
        RepaintKnob(CKnob::kKnobTime);
    } else if (mode >= kRecordLength14K && mode <= kRecordLength1M) {
        if (!doc.m_bRunning) {
            doc.SetTimeBaseIndex(static_cast<std::int16_t>(p));
            SidePanelMirror().SelectEntry(ISidePanelMirror::kTimeDiv, p);
            RepaintKnob(CKnob::kKnobTime);
        } else {
            MessageBox(RecordLengthRangeMessage(mode).GetString(), "Error", MB_OK);
        }
    }
}

void CKelvaneView::SetTimeBaseIndex(std::int16_t index) {
    if (!m_pDoc)
        return;
    m_pDoc->SetTimeBaseIndex(index);
    SidePanelMirror().SelectEntry(ISidePanelMirror::kTimeDiv, index);
    RepaintKnob(CKnob::kKnobTime);
}

void CKelvaneView::OnBufferSize(std::int16_t mode) {
    if (!m_pDoc)
        return;
    m_pDoc->ChooseRecordLength(mode);
}

void CKelvaneView::ClampTimeBaseForRecordLength() {
    CKelvaneDoc& doc = *m_pDoc;
    const std::int16_t mode = doc.m_settings.GetRecordLengthMode();
    if (mode == kRecordLength10K) {
        const int p1 = RollThresholdIndex(TimeBaseIndexOffset());
        if (SidePanelMirror().GetTimeDivSelection() >= p1) {
            SidePanelMirror().SelectEntry(ISidePanelMirror::kFormat, kFormatRoll);
            doc.SetHorizontalFormat(kFormatRoll);
        } else if (doc.m_settings.GetTimeBaseFormat() == kFormatRoll) {
            SidePanelMirror().SelectEntry(ISidePanelMirror::kFormat, kFormatYT);
            doc.SetHorizontalFormat(kFormatYT);
        }
        return;
    }
    const std::optional<TimeBaseLimits> limits = RecordLengthLimits(mode);
    if (!limits)
        return;
    // Too fast or too slow, the time base becomes the same one.
    const int target = RecordLengthStartIndex(mode, TimeBaseIndexOffset());
    if (target < 0)
        return;
    const int index = doc.m_settings.GetTimeBaseIndex();
    if (index >= limits->lower && index <= limits->upper)
        return;
    if (doc.m_settings.GetTimeBaseFormat() == kFormatRoll) {
        SidePanelMirror().SelectEntry(ISidePanelMirror::kFormat, kFormatYT);
        doc.SetHorizontalFormat(kFormatYT);
    }
    doc.SetTimeBaseIndex(static_cast<std::int16_t>(target));
    SidePanelMirror().SelectEntry(ISidePanelMirror::kTimeDiv, target);
    RepaintKnob(CKnob::kKnobTime);
}

void CKelvaneView::ChooseRecordLengthForCsv(std::int32_t points) {
    CKelvaneDoc& doc = *m_pDoc;
    const ModelCapabilities& model = CapabilitiesOfModel(doc.m_nModel);
    std::int16_t mode = -1;
    switch (model.csvLoad) {
    case CsvLoadRecordLength::kByPoints:
        if (points == kv::timebase::RecordLengthOfCode(kRecordLength10K))
            mode = kRecordLength10K;
        else if (points == kv::timebase::RecordLengthOfCode(model.csvLoadDeepMode))
            mode = model.csvLoadDeepMode;
        break;
    case CsvLoadRecordLength::kAlways10K:
        mode = kRecordLength10K;
        break;
    case CsvLoadRecordLength::kUnchanged:
        break;
    }
    if (mode < 0 || doc.m_settings.GetRecordLengthMode() == mode)
        return;
    doc.ChooseRecordLength(mode);
}

void CKelvaneView::UpdateMenuChecks(CMenu* menu) {
    if (!menu || !m_pDoc)
        return;
    const CKelvaneDoc& doc = *m_pDoc;
    for (UINT i = 0; i < kv::kTimeDivLabels.size(); ++i) {
        const int p = TimeBaseIndexOfStep(static_cast<int>(i), TimeBaseIndexOffset());
        if (p < 0)
            continue;
        menu->CheckMenuItem(ID_TIMEDIV_FIRST + i,
                            MF_BYCOMMAND |
                                (p == doc.m_settings.GetTimeBaseIndex() ? MF_CHECKED : MF_UNCHECKED));
    }
    for (int ch = 0; ch < 2; ++ch) {
        const CTrace& trace = ch == 0 ? doc.m_ch1 : doc.m_ch2;
        const UINT first = ch == 0 ? ID_CH1_VOLTDIV_FIRST : ID_CH2_VOLTDIV_FIRST;
        for (UINT step = 0; step < 10; ++step) {
            if (trace.IsOn()) {
                menu->EnableMenuItem(first + step, MF_BYCOMMAND | MF_ENABLED);
                menu->CheckMenuItem(
                    first + step,
                    MF_BYCOMMAND |
                        (trace.GetVoltsPerDivIndex() == static_cast<int>(step) ? MF_CHECKED : MF_UNCHECKED));
            } else {
                menu->CheckMenuItem(first + step, MF_BYCOMMAND | MF_UNCHECKED);
                menu->EnableMenuItem(first + step, MF_BYCOMMAND | MF_GRAYED | MF_DISABLED);
            }
        }
    }
}
