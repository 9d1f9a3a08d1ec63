#include "app/SidePanelMirror.h"

#include "app/KelvaneView.h"
#include "app/SidePanel.h"
#include "engine/KelvaneDoc.h"

void CSidePanelMirror::SelectEntry(UINT listId, int entry) {
    if (CSidebarDlg* panel = m_view.GetSidePanel())
        panel->SelectEntry(listId, entry);
}

int CSidePanelMirror::GetTimeDivSelection() const {
    if (CSidebarDlg* panel = m_view.GetSidePanel())
        return panel->GetTimeDivSelection();
    const CKelvaneDoc* doc = m_view.m_pDoc;
    return doc ? doc->m_settings.GetTimeBaseIndex() : -1;
}

void CSidePanelMirror::EnableChannelControls(int channel) {
    if (CSidebarDlg* panel = m_view.GetSidePanel())
        panel->EnableChannelControls(channel);
}

void CSidePanelMirror::DisableChannelControls(int channel) {
    if (CSidebarDlg* panel = m_view.GetSidePanel())
        panel->DisableChannelControls(channel);
}

void CSidePanelMirror::FillVoltsPerDivList(int channel) {
    CSidebarDlg* panel = m_view.GetSidePanel();
    if (!panel)
        return;
    if (channel == 0)
        panel->FillChannel1VoltsPerDivList();
    else if (channel == 1)
        panel->FillChannel2VoltsPerDivList();
}

void CSidePanelMirror::FillSlopeList() {
    if (CSidebarDlg* panel = m_view.GetSidePanel())
        panel->FillSlopeList();
}

void CSidePanelMirror::EnableFormatList(bool enable) {
    if (CSidebarDlg* panel = m_view.GetSidePanel())
        panel->EnableFormatList(enable);
}

void CSidePanelMirror::LoadFromDocument() {
    if (CSidebarDlg* panel = m_view.GetSidePanel())
        panel->LoadFromDocument();
}
