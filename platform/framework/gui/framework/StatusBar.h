#pragma once
// The frame's status bar: panes by id with fixed widths, one of them stretching.
#include "framework/ControlBar.h"

#include <vector>

class QLabel;

constexpr UINT SBPS_NORMAL = 0x0000;
constexpr UINT SBPS_NOBORDERS = 0x0100;
constexpr UINT SBPS_POPOUT = 0x0200;
constexpr UINT SBPS_STRETCH = 0x0800;

class CStatusBar : public CControlBar {
public:
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                UINT nID = AFX_IDW_STATUS_BAR);
    // One pane per id; each starts with the text " ".
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
    void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
    void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
    BOOL SetPaneText(int nIndex, const char* lpszNewText, BOOL bUpdate = TRUE);
    CString GetPaneText(int nIndex) const;
    int CommandToIndex(UINT nIDFind) const;
    int GetCount() const { return static_cast<int>(m_panes.size()); }

private:
    struct Pane {
        UINT id = 0;
        UINT style = 0;
        int width = 0;
        QLabel* label = nullptr;
    };
    void Relayout();
    std::vector<Pane> m_panes;
};
