#pragma once
// The application object: one per program, owning the Qt application and its event loop.
#include "framework/CString.h"
#include "framework/Wnd.h"

#include <functional>
#include <string>
#include <vector>

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();
    // Key messages pass here before they reach their window; the default offers them to
    // every window from the target up to its top-level window, stopping at the first that takes it.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    CWnd* m_pMainWnd = nullptr;
    CString m_strAppName;
    std::vector<std::string> m_args; // command-line arguments after the program name
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The program's entry: makes the Qt application, runs InitInstance and the event loop.
int AfxWinMain(int argc, char** argv);
// A message box over the main window, captioned with the application's name.
int AfxMessageBox(const char* lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

// Answers message boxes without showing them (tests): gets text, caption and style and
// returns the button id.
using MessageBoxHook = std::function<int(const CString& text, const CString& caption, UINT type)>;
void AfxSetMessageBoxHook(MessageBoxHook hook);

namespace kv {
// Makes the Qt application if there is none yet.
void EnsureApplication();
// A null or empty caption gives the application's name (the main window's title when it has none).
int ShowMessageBox(CWnd* parent, const char* text, const char* caption, UINT type);
} // namespace kv
