#pragma once
// The program's one view: a form on template 101 that holds the display windows and the side
// panel's frame, decides at start-up between an instrument and demo mode, lays its children
// out, and drives everything that happens over time from its 32 ms pump timer.
#include <cstdint>
#include <memory>

#include "app/DisplayWindows.h"
#include "display/ChannelInfoBar.h"
#include "display/StatusStrip.h"
#include "framework/CString.h"
#include "framework/Controls.h"
#include "framework/View.h"

class CKelvaneDoc;
class CMainFrame;
class CMenuEx;
class CDocUiBridge;
class CLanguageTable;
class CScreenImage;

class CKelvaneView : public CFormView {
public:
    static constexpr std::int16_t kSidebarWidth = 188;
    static constexpr std::int16_t kBarHeight = 30;
    static constexpr UINT kPumpPeriodMs = 32;

    CKelvaneView();
    ~CKelvaneView() override;

    CKelvaneDoc* GetDocument() const;

    // --- Start-up -------------------------------------------------------------------------
    void OnInitialUpdate() override;
    // 1 when "Default.set" in the program folder was read, else 0.
    int LoadDefaultSetup();
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void DoDataExchange(CDataExchange* pDX) override;

    // --- Layout ---------------------------------------------------------------------------
    void RecalcLayout();
    void PlaceSidebar(const CRect& client);
    void PlaceSidebarPanel();
    void PlaceTopBar(const CRect& client);
    void PlaceBottomBar(const CRect& client);
    void PlaceScopeScreen(const CRect& client);
    void OnSize(UINT nType, int cx, int cy) override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnPaint() override;

    // --- Commands -------------------------------------------------------------------------
    void OnFullScreenToggle();
    void OnViewFullScreen() { OnFullScreenToggle(); }
    void OnViewSidebar();
    void OnFileSaveWaveform();
    // Writes the waveform export chosen by the path's last four characters.
    int SaveWaveformByExtension(const char* path);
    void OnLanguage(UINT nID);
    void OnUpdateLanguage(CCmdUI* pCmdUI);

    // --- Pump -----------------------------------------------------------------------------
    void OnTimer(UINT_PTR nIDEvent) override;
    // One tick of timer 1.
    void PumpTick();
    void SetupMenusForModel();
    int BuildLanguageMenu();
    // The last Save Image capture (null before the first).
    const CScreenImage* GetCapturedImage() const { return m_pCapturedImage.get(); }

    // --- Children and state (read by the bridge, the frame and tests) ----------------------
    CScopeScreen& Screen() { return m_screenPanel.Screen(); }
    CScreenPanelWnd& ScreenPanel() { return m_screenPanel; }
    CStatusStrip& StatusStrip() { return m_statusStrip; }
    CChannelInfoBar& ChannelInfoBar() { return m_channelInfo; }
    CTabCtrl& SidebarFrame() { return m_sidebarFrame; }
    CWnd& SidebarPanel() { return m_sidebarPanel; }
    CMainFrame* GetMainFrame() const;
    // Whether the main frame is in full screen (false without a frame).
    bool IsFrameFullScreen() const;

    CTabCtrl m_sidebarFrame;
    CStatusStrip m_statusStrip;
    CScreenPanelWnd m_screenPanel;
    CChannelInfoBar m_channelInfo;
    CPlaceholderWnd m_sidebarPanel;
    CKelvaneDoc* m_pDoc = nullptr;
    UINT m_nImageTimer = 0;
    CString m_strImagePath;
    std::int32_t m_bSidebarSaved = 0;
    std::int32_t m_bFirstTick = 1;
    UINT m_nPumpTimer = 0;
    std::int32_t m_bSidebarVisible = 0;
    std::int16_t m_nSidebarWidth = 0;
    std::int16_t m_nTopBarHeight = 0;
    std::int16_t m_nBottomBarHeight = 0;

private:
    void SearchDevices();
    // Grabs the main window as the program renders it; replaces (and frees) the last capture.
    void CaptureMainWindow();
    // Removes item `position` of `menu` the way the owner-drawn menu wants it removed.
    static void DeleteByPosition(CMenuEx* menu, UINT position);
    void PruneMenusForModel(CMenuEx* bar);
    void StatusText(int textId);

    std::unique_ptr<CDocUiBridge> m_pUiBridge;
    std::unique_ptr<CScreenImage> m_pCapturedImage;
};
