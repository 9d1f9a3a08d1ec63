#pragma once
// The program's frame window: fixed title, 800 x 630 at start and never smaller than 600 x 450,
// a flat toolbar and a six-pane status bar, the owner-drawn main menu with its images, a
// full-screen mode, tooltips from the language table, and the save of all settings to
// "Default.set" whenever the window closes.
#include "app/MenuEx.h"
#include "framework/FrameWnd.h"
#include "framework/ImageList.h"
#include "framework/StatusBar.h"
#include "framework/ToolBar.h"
#include "system/Clock.h"

#include <cstdint>
#include <vector>

class CKelvaneDoc;

// The cursor readouts that the status bar shows, as the screen panel has them.
struct CursorReadouts {
    int source = 0; // 6: the FFT cursor
    int type = 0;   // 0 None, 1 Cross, 2 Trace, 3 Vertical, 4 Horizontal
    CString frequency;
    CString time;
    CString voltageDifference;
    CString traceVoltage;
    CString fftFrequency;
    CString fftLevel;
};

class ICursorReadoutSource {
public:
    virtual ~ICursorReadoutSource() = default;
    virtual CursorReadouts GetCursorReadouts() const = 0;
};

class CMainFrame : public CFrameWnd {
public:
    static constexpr const char* kTitle = "Kestra-E USB(7.0.0.1+)";
    static constexpr int kInitialWidth = 800;
    static constexpr int kInitialHeight = 630;
    static constexpr int kMinTrackWidth = 600;
    static constexpr int kMinTrackHeight = 450;
    static constexpr int kTooltipChars = 79;

    CMainFrame();
    ~CMainFrame() override;

    std::int32_t m_bFullScreen = 0;
    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
    // The main menu. It owns its handles for the life of the frame; the window only refers to
    // the menu bar, also while full screen takes it off the window.
    CMenuEx m_menu;
    CImageList m_menuImages[3]; // normal, disabled, hot
    CImageList m_toolImages[3]; // normal, disabled, hot
    WINDOWPLACEMENT m_wpPrev;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void ActivateFrame(int nCmdShow = -1) override;
    int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
    void OnGetMinMaxInfo(MINMAXINFO* lpMMI) override;
    // While a menu has the keyboard its keys are the menu's: Enter in the menu bar opens a
    // menu instead of starting acquisition.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu) override;
    void OnMeasureItem(int nIDCtl, MEASUREITEMSTRUCT* lpMeasureItemStruct) override;
    void OnClose() override;
    void OnSize(UINT nType, int cx, int cy) override;
    BOOL OnToolTipText(UINT nID, NMHDR* pNMHDR, LRESULT* pResult) override;

    // Loads menu 128 into m_menu with its images and returns the menu bar's handle for the
    // window (the menu keeps owning it).
    HMENU BuildMenu();
    // Shows a menu built by BuildMenu as the window's menu bar.
    BOOL InstallMenu(HMENU hMenu);
    // Assigns the menu images by the command-to-image table.
    void SetMenuImages();
    void SetFullScreen(BOOL bFullScreen);
    // Status text, cursor readouts and the clock; once per pump tick.
    void UpdateStatusBar(const char* lpszText);
    void UpdateStatusBar(const char* lpszText, const kv::LocalTime& now);
    // "dd-mm-yyyy  hh:mm".
    static CString FormatClock(const kv::LocalTime& time);

    // How SaveSettings is asked.
    enum class SettingsSave {
        Ending,        // a road out of the program: the window's close
        EndingQuietly, // a road out where nobody may be there to answer a message box (a signal,
                       // the end of the event loop, a lost display): a failure goes to stderr
        Commit,        // the session manager asks for a save before the session may end; the
                       // program may go on afterwards (a cancelled logout)
    };
    // Saves every setting to "Default.set" (GetDefaultSetupPath), making its folder when it is
    // missing: the one save that every road out of the program takes. The first road of an end
    // saves; the roads that follow it in the same end (the quit after a close, the exit after a
    // signal) write nothing more, and a road that finds exactly the settings a commit already
    // wrote writes nothing either. TRUE when the file holds the settings.
    BOOL SaveSettings(SettingsSave how = SettingsSave::Ending);

    void SetCursorReadoutSource(const ICursorReadoutSource* source) { m_pReadouts = source; }
    // The folder "Default.set" is read from and written to: kv::SettingsFolder() unless set (tests).
    void SetSetupFolder(const CString& folder) { m_strSetupFolder = folder; }
    CString GetDefaultSetupPath() const;
    CKelvaneDoc* GetKelvaneDoc() const;

private:
    BOOL CreateImageLists();
    // Shrinks the window, frame included, into the screen's work area where it does not fit.
    void FitToWorkArea();
    void SetPane(UINT nID, const char* text);

    const ICursorReadoutSource* m_pReadouts = nullptr;
    CString m_strSetupFolder;
    bool m_bSettingsEnded = false;
    // What this run last wrote to "Default.set", and whether it wrote anything.
    std::vector<std::uint8_t> m_savedSettings;
    bool m_bSettingsWritten = false;
    bool m_bMenuOffWindow = false;
};
