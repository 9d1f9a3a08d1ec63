#pragma once
// The program's one view: a form on template 101 that holds the display windows and the side
// panel's frame, decides at start-up between an instrument and demo mode, lays its children
// out, and drives everything that happens over time from its 32 ms pump timer.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "app/DisplayWindows.h"
#include "app/SidePanel.h"
#include "display/ChannelInfoBar.h"
#include "display/StatusStrip.h"
#include "engine/TimeBaseLimits.h"
#include "framework/CString.h"
#include "framework/Controls.h"
#include "framework/View.h"

class CKelvaneDoc;
class CMainFrame;
class CMenuEx;
class CDocUiBridge;
class CLanguageTable;
class CScreenImage;
class CTrace;
class CViewPanels;
class ISidePanelMirror;

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
    void RestoreFocusAfterFullScreen();
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
    // The window that had the keyboard when full screen began; it gets it back afterwards.
    HWND m_hWndFocusSaved = nullptr;
    std::int32_t m_bFirstTick = 1;
    UINT m_nPumpTimer = 0;
    std::int32_t m_bSidebarVisible = 0;
    std::int16_t m_nSidebarWidth = 0;
    std::int16_t m_nTopBarHeight = 0;
    std::int16_t m_nBottomBarHeight = 0;

    // BEGIN commands: the command map and the menu, key and context-menu commands
    // (bodies in KelvaneViewCommands.cpp, KelvaneViewChannel.cpp, KelvaneViewTimebase.cpp and
    // KelvaneViewRun.cpp).
    // Registers every command and update handler of the view; runs once, from construction.
    void BuildCommandMap();
    // The side panel as the commands see it; a test may install its own (null restores the
    // default, which forwards to the panel when there is one).
    void SetSidePanelMirror(ISidePanelMirror* mirror);
    ISidePanelMirror& SidePanelMirror();
    // Repaints the knob windows of one knob id (0 CH1, 1 CH2, 4 time base).
    void RepaintKnob(std::int16_t knobId);

    // Channel, trigger and format commands.
    void SetChannelVoltsPerDiv(std::int16_t step, std::int16_t channel);
    void OnChannelOnOff(int channel);
    void OnChannelCoupling(int channel, std::int16_t coupling);
    void OnChannelProbe(int channel, std::int16_t probe);
    void OnChannelReset(int channel);
    void OnMathOnOff();
    void OnTriggerMode(std::int16_t mode);
    void OnTriggerSweep(std::int16_t sweep);
    void OnTriggerSource(std::int16_t source);
    void OnTriggerSlope(std::int16_t slope);
    void OnTriggerPulseCondition(std::int16_t condition);
    void OnTriggerLevel50();
    void OnFormatYT();
    void OnFormatRoll();
    void OnFormatXY();
    void OnHorizontalCentre();

    // Time base and record length.
    // The time/div command of time-base step `step` (0..38); a step that the model's list lacks
    // names no time base and does nothing.
    void SelectTimeBase(int step);
    void SetTimeBaseIndex(std::int16_t index);
    void OnBufferSize(std::int16_t mode);
    // Enable and check mark of the Buffer Size item of record-length mode `mode`.
    void UpdateBufferSize(CCmdUI* ui, std::int16_t mode);
    void UpdateMenuChecks(CMenu* menu);
    // Index offset of the model's time bases: index i names step i + offset, and the side
    // panel's time/div list shows it at entry i.
    std::int16_t TimeBaseIndexOffset() const;
    // Both channels on and the trigger source not ALT: the stricter record-length ranges.
    bool IsDualCondition() const;
    // Time bases that record-length mode `mode` allows while running, for the present channel
    // mode and trigger source.
    std::optional<TimeBaseLimits> RecordLengthLimits(std::int16_t mode) const;
    // The range message of a record-length mode 1..6 ("14K Points Mode Range:..."), empty else.
    CString RecordLengthRangeMessage(std::int16_t mode) const;
    // Start-time clamp of the time base for the record length (a step of RunStart).
    void ClampTimeBaseForRecordLength();
    // Record length after a CSV of `points` samples was loaded into CH1.
    void ChooseRecordLengthForCsv(std::int32_t points);

    // Run control, acquisition, cursors and utilities.
    void RunStart();
    void RunStop();
    void OnAcquireStart();
    void OnAcquireStop();
    void OnAutoSetup();
    void FactorySetup();
    void OnFactorySetup() { FactorySetup(); }
    void ShowNotAvailable();
    enum class MouseMode { ZoomOut, ZoomIn, Drag };
    void OnMouseMode(MouseMode mode);
    void OnSamplingRealTime();
    void OnSamplingEts();
    void OnAcquireMode(std::int16_t mode);
    void OnCursorMode(std::int16_t mode);
    void OnCursorSourceFft();
    void OnUtilityFft();
    void OnUtilityRecord();
    void OnUtilityPassFail();
    void OnUtilityCalibration();
    void OnReferenceOnOff();

    // Files.
    void OnFileLoadCsv();
    void OnFileLoadSetups();
    void OnFileSaveSetups();
    void OnFileSaveCsv();
    void OnFileSaveImage();
    void OnReferenceLoad();
    void OnReferenceSave();
    // Reader of a chosen reference path by its extension, with the success steps; 1 when loaded.
    int LoadReferenceByExtension(const char* path);
    // The modeless panels (created on first use) reloaded from the document, as after Load Setups.
    void ReloadPanelsFromDocument();
    // Centres a modeless panel on the screen panel and shows it; a panel not built in is skipped.
    enum class Panel { Intensity, Average, PassFail, Fft, WaveformColor, DemoSetting, CalibrateData };
    void ShowPanel(Panel panel, int nCmdShow = SW_SHOW);
    // The pump's pass/fail count and FFT update (skipped while their panels do not exist).
    void PumpPassFail();
    void PumpFft();

    // Context menu and its commands.
    void OnContextMenu(CWnd* pWnd, CPoint point) override;
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu) override;
    void OnMeasureItem(int nIDCtl, MEASUREITEMSTRUCT* lpMeasureItemStruct) override;
    void OnWindowMode();
    void OnInformationOnOff();
    // Fills the loaded context menu: texts by position, model pruning.
    void PrepareContextMenu(CMenuEx& menu);
    // Shows the popup at a screen point; with a hook set (tests) the hook gets it instead.
    void TrackContextPopup(CMenu* popup, CPoint point);
    std::function<void(CMenu* popup, CPoint point)> m_contextPopupHook;

private:
    struct CommandMapRegistrar {
        explicit CommandMapRegistrar(CKelvaneView* view) { view->BuildCommandMap(); }
    };
    struct PanelsDeleter {
        void operator()(CViewPanels* panels) const;
    };
    CViewPanels& Panels();
    int RunFileDialog(BOOL open, const char* defExt, const char* filter, const char* title, CString& path);
    ISidePanelMirror* m_pMirror = nullptr;
    std::unique_ptr<CViewPanels, PanelsDeleter> m_pPanels;
    CMenuEx* m_pContextMenu = nullptr;
    CommandMapRegistrar m_commandMapRegistrar{this};

public:
    // END commands

    // BEGIN sidepanel: the side control panel in the tab control (bodies in
    // KelvaneViewSidePanel.cpp).
    // Creates the panel once as a modeless child of the tab control, wired to the document and
    // the screen, in the place of the stand-in window. Later calls do nothing.
    void CreateSidePanel();
    // The panel, or nullptr before it was created.
    CSidebarDlg* GetSidePanel();
    // The document's side-panel calls: list selections without notification, channel
    // controls, the time-base knob, texts after a language change.
    void SelectSidePanelCombo(SidePanelCombo combo, int entry);
    void UpdateSidePanelChannels(bool ch1On, bool ch2On);
    void RepaintSidePanelTimeKnob();
    void ApplySidePanelTexts();
    // After a language switch: the side panel and every modeless panel made so far take
    // their control texts and captions from the new table, then refill their lists and values.
    void ApplyPanelTexts();
    CSidebarDlg m_sidebarDlg;
    // END sidepanel

    // BEGIN dialogs2: printing of the test report (bodies in KelvanePrint.cpp)
public:
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
    // Stops a running acquisition for the print-out; OnEndPrinting starts it again.
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    // The one page: frame, texts, settings lines, graticule, traces and colour keys.
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override;
    void PrintPageFrame(CDC* pDC, int W, int H);
    void PrintGrid(CDC* pDC, int L, int T, int R, int B);
    // channel: 0 CH1, 1 CH2, 2 MATH, 3 REF.
    void PrintChannelTrace(CDC* pDC, int L, int T, int R, int B, int channel);
    // 1 while a print-out holds acquisition stopped.
    std::int32_t m_bPrintStopped = 0;
    // END dialogs2

private:
    void SearchDevices();
    // Grabs the main window as the program renders it; replaces (and frees) the last capture.
    void CaptureMainWindow();
    // Removes the items the model does not offer, and Demo Setting outside demo mode, by command.
    void PruneMenusForModel(CMenuEx* bar);
    void StatusText(int textId);

    std::unique_ptr<CDocUiBridge> m_pUiBridge;
    std::unique_ptr<CScreenImage> m_pCapturedImage;
};
