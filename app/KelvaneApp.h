#pragma once
// The program's application object: sets up the resources, makes the document, the main frame
// and the view, and handles About, Help Contents and Exit.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/CString.h"
#include "framework/DC.h"
#include "framework/Dialog.h"
#include "framework/WinApp.h"

class CEndSignals;
class CKelvaneDoc;
class CMainFrame;
class CKelvaneView;
class QObject;

// What the command line asks for. File arguments are ignored: the program has no document files.
struct CKelvaneCommandLine {
    bool showSplash = true; // "--nosplash" turns the splash window off
    static CKelvaneCommandLine Parse(const std::vector<std::string>& args);
};

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CKelvaneDoc* pDoc = nullptr, CWnd* pParent = nullptr);
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    CWnd m_picture; // picture control 1231

private:
    CKelvaneDoc* m_pDoc;
};

class CKelvaneApp : public CWinApp {
public:
    CKelvaneApp();
    ~CKelvaneApp() override;

    BOOL InitInstance() override;
    // The event loop; not entered at all when an end was asked for during start-up.
    int Run() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void OnAppAbout();
    void OnHelpContents();
    void OnAppExit();

    CKelvaneDoc* GetDocument() const { return m_pDoc.get(); }
    CMainFrame* GetMainFrame() const { return m_pFrame.get(); }
    CKelvaneView* GetView() const;
    bool IsSplashEnabled() const { return m_bSplash; }

    // The help file for a language file title: "English", "French" and "German" have their own
    // (compared without regard to case, the title's own case kept), any other title the English
    // one. An existing file in the language folder whose name differs only in case is preferred.
    static CString HelpFilePath(const CString& programFolder, const CString& languageTitle);
    // The same within a given language folder (the document's language table names it).
    static CString HelpFileInFolder(const CString& languageFolder, const CString& languageTitle);

    // Arguments every application object starts with, ahead of the command line's own (which
    // the framework's main appends); a program run has none. Headless runs pass "--nosplash".
    static void SetStartupArguments(std::vector<std::string> args);

    // Builds the framework bitmap of a bitmap resource; FALSE when there is no such bitmap.
    static BOOL LoadResourceBitmap(UINT nID, CBitmap& bitmap);

    // Opens a file with the desktop's default handler; tests replace it. Returns whether the
    // request was handed over.
    using UrlOpener = std::function<bool(const CString& path)>;
    static void SetHelpOpener(UrlOpener opener);

    // Ends of the program other than the window's close. Once the program runs (its event loop
    // has started), each saves the settings through the close's own save
    // (CMainFrame::SaveSettings), once per end; during start-up nothing has been changed yet
    // and the saved settings stay as they were read:
    // - SIGTERM, SIGHUP, SIGINT (read from the event loop): the settings are saved, then every
    //   event loop is left, open dialogs included, and the program returns from its main;
    // - the session manager's request to commit data: the settings are saved, the program goes on;
    // - the event loop ending for any other reason (Qt's quit);
    // - exit() called on the GUI thread while the program runs: Qt's X11 layer ends the program
    //   this way when the display goes away, without returning from its event loop.
    void OnEndSignal(int signal);
    void OnCommitData();
    void OnQuit();
    void OnProcessExit();

private:
    // The single-document template: a new document, the main frame and its view.
    BOOL OpenNewDocument();
    // Installs the roads out above; undone by the destructor.
    void WatchEnds();

    std::unique_ptr<CKelvaneDoc> m_pDoc;
    std::unique_ptr<CMainFrame> m_pFrame;
    bool m_bSplash = true;
    bool m_bRunning = false; // the event loop has started
    bool m_bEnding = false;
    std::unique_ptr<CEndSignals> m_pEndSignals;
    std::unique_ptr<QObject> m_pEndHooks; // context of the connections to the Qt application
};
