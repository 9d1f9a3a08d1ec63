#include "app/SidePanelMirror.h"

#include "app/KelvaneView.h"
#include "display/Knob.h"
#include "engine/KelvaneDoc.h"

namespace {

int ModelOf(const CKelvaneView& view) {
    const CKelvaneDoc* doc = view.m_pDoc;
    return doc ? doc->m_nModel : CKelvaneDoc::kDefaultModel;
}

} // namespace

void CSidePanelMirror::SelectEntry(UINT, int) {}

int CSidePanelMirror::FindTimeDiv(const char* label) const {
    if (!label)
        return -1;
    // The panel's list holds these labels in time-base index order.
    return CKnob::TimeDivLabelPosition(label, ModelOf(m_view));
}

int CSidePanelMirror::GetTimeDivSelection() const {
    const CKelvaneDoc* doc = m_view.m_pDoc;
    return doc ? doc->m_settings.GetTimeBaseIndex() : -1;
}

void CSidePanelMirror::EnableChannelControls(int) {}

void CSidePanelMirror::DisableChannelControls(int) {}

void CSidePanelMirror::FillVoltsPerDivList(int) {}

void CSidePanelMirror::FillSlopeList() {}

void CSidePanelMirror::EnableFormatList(bool) {}

void CSidePanelMirror::LoadFromDocument() {}
