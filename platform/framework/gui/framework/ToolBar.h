#pragma once
// The frame's toolbar: buttons by command id with three image lists (normal, disabled, hot);
// tooltips are asked of the frame's OnToolTipText when the pointer rests on a button.
#include "framework/ControlBar.h"
#include "framework/ImageList.h"

#include <vector>

class CFrameWnd;
class QToolBar;
class QAction;

// Registers toolbar resources: button command ids in order, 0 for a separator.
void RegisterToolBarResource(UINT resourceId, std::vector<UINT> buttons);

class CToolBar;

// The button strip behind a CToolBar.
class CToolBarCtrl {
public:
    explicit CToolBarCtrl(CToolBar* bar) : m_pBar(bar) {}
    CImageList* SetImageList(CImageList* pImageList);
    CImageList* SetDisabledImageList(CImageList* pImageList);
    CImageList* SetHotImageList(CImageList* pImageList);
    int GetButtonCount() const;

private:
    CToolBar* m_pBar;
};

class CToolBar : public CControlBar {
public:
    CToolBar();
    ~CToolBar() override;

    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, CRect rcBorders = CRect(0, 0, 0, 0),
                  UINT nID = AFX_IDW_TOOLBAR);
    BOOL LoadToolBar(UINT nIDResource);
    BOOL SetButtons(const UINT* lpIDArray, int nIDCount);
    CToolBarCtrl& GetToolBarCtrl() { return m_ctrl; }
    int CommandToIndex(UINT nIDFind) const;
    UINT GetItemID(int nIndex) const;
    // Asks the frame for the tooltip of button nIndex (as when the pointer rests on it).
    CString GetToolTipText(int nIndex);
    // Runs the update handlers of every button (enable, check).
    void UpdateButtons();

    // The framework's part.
    void ApplyImages();
    CImageList* m_pImages[3] = {nullptr, nullptr, nullptr}; // normal, disabled, hot

private:
    QToolBar* Bar() const;
    CToolBarCtrl m_ctrl;
    std::vector<UINT> m_ids;
    std::vector<QAction*> m_actions;
};
