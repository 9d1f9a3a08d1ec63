#pragma once
// A top-level frame window: menu bar, toolbar, status bar, accelerators and one view in its
// client area. Commands from menus, toolbar and keys go to the active view (and its document)
// first, then to the frame, then to the application.
#include "framework/Wnd.h"

#include <memory>

class CView;
class CDocument;
class CControlBar;

constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;

class CFrameWnd : public CWnd {
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // Creates the frame; a menu resource id loads and installs that menu (owned by the frame).
    BOOL Create(const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
                const RECT& rect = RECT{0, 0, 800, 600}, CWnd* pParentWnd = nullptr, UINT nID = 0) override;
    // Creates the frame and loads the accelerator table nIDResource.
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW, CWnd* pParentWnd = nullptr);
    BOOL LoadAccelTable(UINT nIDResource);
    HACCEL m_hAccelTable = nullptr;

    // Puts the view in the client area, bound to pDoc, and makes it the active view.
    BOOL CreateView(std::unique_ptr<CView> pView, CDocument* pDoc);
    CView* GetActiveView() const { return m_pActiveView; }
    void SetActiveView(CView* pView) { m_pActiveView = pView; }
    CDocument* GetActiveDocument() const;
    // Runs the view's OnInitialUpdate, then ActivateFrame when bMakeVisible.
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
    virtual void ActivateFrame(int nCmdShow = -1);
    virtual void RecalcLayout(BOOL bNotify = TRUE);
    void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);

    bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;
    BOOL IsCommandHandled(UINT nID) override;
    // Translates accelerator keys of m_hAccelTable into commands.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Destroys the frame; closing the main window ends the program.
    void OnClose() override;
    // Toolbar tooltip request: write the text into the TOOLTIPTEXT at pNMHDR.
    virtual BOOL OnToolTipText(UINT nID, NMHDR* pNMHDR, LRESULT* pResult);

protected:
    void OnDestroy() override;
    QWidget* CreateWidget(QWidget* parent) override;

private:
    std::unique_ptr<CView> m_pOwnedView;
    CView* m_pActiveView = nullptr;
    std::unique_ptr<CMenu> m_pLoadedMenu;
};
