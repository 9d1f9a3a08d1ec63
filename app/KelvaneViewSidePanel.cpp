// The view's side of the side control panel: creation inside the tab control and the calls
// the document makes on the panel through its user interface.
#include "app/KelvaneView.h"

#include <algorithm>

#include "engine/KelvaneDoc.h"

void CKelvaneView::CreateSidePanel() {
    if (m_sidebarDlg.GetSafeHwnd() || !m_sidebarFrame.GetSafeHwnd())
        return;
    CKelvaneDoc* doc = GetDocument();
    if (!doc)
        return;
    // The document first: the panel loads every control from it while it is created.
    m_sidebarDlg.SetDocument(doc);
    m_sidebarDlg.SetScreen(&Screen());
    if (!m_sidebarDlg.Create(IDD_SIDEBAR, &m_sidebarFrame))
        return;
    // The panel takes the place of the plain stand-in window.
    RECT rc{0, 0, 0, 0};
    m_sidebarFrame.GetClientRect(&rc);
    if (m_sidebarPanel.GetSafeHwnd())
        m_sidebarPanel.ShowWindow(SW_HIDE);
    m_sidebarDlg.MoveWindow(0, 0, kSidebarWidth, std::max<int>(rc.bottom - rc.top, 0));
    m_sidebarDlg.ShowWindow(SW_SHOW);
}

CSidebarDlg* CKelvaneView::GetSidePanel() {
    return m_sidebarDlg.GetSafeHwnd() ? &m_sidebarDlg : nullptr;
}

void CKelvaneView::SelectSidePanelCombo(SidePanelCombo combo, int entry) {
    if (CSidebarDlg* panel = GetSidePanel())
        panel->SelectCombo(combo, entry);
}

void CKelvaneView::UpdateSidePanelChannels(bool ch1On, bool ch2On) {
    if (CSidebarDlg* panel = GetSidePanel())
        panel->UpdateChannelControls(ch1On, ch2On);
}

void CKelvaneView::RepaintSidePanelTimeKnob() {
    if (CSidebarDlg* panel = GetSidePanel())
        panel->RepaintKnob(CKnob::kKnobTime);
}

void CKelvaneView::ApplySidePanelTexts() {
    if (CSidebarDlg* panel = GetSidePanel())
        panel->ApplyLanguage();
}
