#include "framework/StatusBar.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
    auto* win = pParentWnd ? qobject_cast<QMainWindow*>(pParentWnd->GetWidget()) : nullptr;
    if (!win || GetWidget())
        return FALSE;
    auto* bar = new QStatusBar(win);
    bar->setSizeGripEnabled(false);
    win->setStatusBar(bar);
    m_nID = nID;
    m_dwStyle = dwStyle;
    AttachWidget(bar, false);
    bar->setVisible((dwStyle & WS_VISIBLE) != 0);
    return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount) {
    auto* bar = qobject_cast<QStatusBar*>(GetWidget());
    if (!bar || nIDCount < 0 || (!lpIDArray && nIDCount > 0))
        return FALSE;
    for (Pane& p : m_panes) {
        bar->removeWidget(p.label);
        delete p.label;
    }
    m_panes.clear();
    for (int i = 0; i < nIDCount; ++i) {
        Pane p;
        p.id = lpIDArray[i];
        p.label = new QLabel(QStringLiteral(" "), bar);
        p.width = 100;
        m_panes.push_back(p);
    }
    Relayout();
    return TRUE;
}

void CStatusBar::Relayout() {
    auto* bar = qobject_cast<QStatusBar*>(GetWidget());
    if (!bar)
        return;
    for (Pane& p : m_panes)
        bar->removeWidget(p.label);
    for (Pane& p : m_panes) {
        const bool stretch = (p.style & SBPS_STRETCH) != 0;
        // A pane's width is its least width: Qt's fonts are wider than the ones the widths were
        // chosen for, and a pane that cut its text (the clock) would hide what it is there to show.
        p.label->setMinimumWidth(std::max(0, p.width));
        p.label->setMaximumWidth(QWIDGETSIZE_MAX);
        p.label->setFrameShape((p.style & SBPS_NOBORDERS) ? QFrame::NoFrame : QFrame::Panel);
        p.label->setFrameShadow((p.style & SBPS_POPOUT) ? QFrame::Raised : QFrame::Sunken);
        bar->addWidget(p.label, stretch ? 1 : 0);
        p.label->show();
    }
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth) {
    if (nIndex < 0 || nIndex >= GetCount())
        return;
    Pane& p = m_panes[static_cast<size_t>(nIndex)];
    p.id = nID;
    p.style = nStyle;
    p.width = cxWidth;
    Relayout();
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const {
    if (nIndex < 0 || nIndex >= GetCount()) {
        nID = 0;
        nStyle = 0;
        cxWidth = 0;
        return;
    }
    const Pane& p = m_panes[static_cast<size_t>(nIndex)];
    nID = p.id;
    nStyle = p.style;
    cxWidth = p.width;
}

BOOL CStatusBar::SetPaneText(int nIndex, const char* lpszNewText, BOOL) {
    if (nIndex < 0 || nIndex >= GetCount())
        return FALSE;
    m_panes[static_cast<size_t>(nIndex)].label->setText(QString::fromUtf8(lpszNewText ? lpszNewText : ""));
    return TRUE;
}

CString CStatusBar::GetPaneText(int nIndex) const {
    if (nIndex < 0 || nIndex >= GetCount())
        return CString();
    return CString(m_panes[static_cast<size_t>(nIndex)].label->text().toUtf8().toStdString());
}

int CStatusBar::CommandToIndex(UINT nIDFind) const {
    for (size_t i = 0; i < m_panes.size(); ++i)
        if (m_panes[i].id == nIDFind)
            return static_cast<int>(i);
    return -1;
}
