#pragma once
// Helpers for the application-shell tests: answering modal dialogs from inside their event
// loop, choosing the simulated instruments, running the program's start-up headless.
#include "DialogTestSupport.h"
#include "app/KelvaneApp.h"
#include "app/KelvaneView.h"
#include "app/MainFrame.h"
#include "engine/KelvaneDoc.h"
#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "system/Paths.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace apptest {

// Runs `action` on the next modal dialog that opens (once), from inside its own event loop.
// `seen` counts the dialogs answered.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(CDialog&)> action) : m_action(std::move(action)) {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start();
    }
    int seen = 0;

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == m_last)
            return;
        auto* dlg = dynamic_cast<CDialog*>(CWnd::FromWidget(modal));
        if (!dlg)
            return;
        m_last = modal;
        ++seen;
        m_action(*dlg);
    }
    std::function<void(CDialog&)> m_action;
    QTimer m_timer;
    QWidget* m_last = nullptr;
};

// Runs the event loop (sleeping between events, as the program does) for `ms` milliseconds.
inline void ProcessEventsFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

inline std::string DefaultSetPath() {
    return kv::ProgramFolder() + "/Default.set";
}

inline bool FileExists(const std::string& path) {
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        return true;
    }
    return false;
}

// Selects the simulated instruments for the next start-up ("" for none) and clears the
// settings file the program reads and writes. The application objects made afterwards start
// with "--nosplash".
inline void PrepareRun(const char* simulator) {
    kv::EnsureApplication();
    // Headless runs start without the splash window unless a test asks for it.
    CKelvaneApp::SetStartupArguments({"--nosplash"});
    if (simulator && *simulator)
        setenv("SCOPE_SIMULATOR", simulator, 1);
    else
        unsetenv("SCOPE_SIMULATOR");
    std::remove(DefaultSetPath().c_str());
}

// Starts the program as a person does when no instrument answers (Ignore at the Searching
// Device dialog, or the simulated instruments of `simulator`), runs the first pump tick that
// shows the main window and makes that window the active one. Null when the start failed.
inline std::unique_ptr<CKelvaneApp> StartAndShow(const char* simulator = "") {
    PrepareRun(simulator);
    ModalAnswerer answer([](CDialog& dlg) { Click(dlg, IDC_BUTTON_IGNORE); });
    auto app = std::make_unique<CKelvaneApp>();
    if (!app->InitInstance())
        return nullptr;
    app->GetView()->PumpTick(); // the first tick shows the main window
    QApplication::setActiveWindow(app->GetMainFrame()->GetWidget());
    ProcessEventsFor(20);
    return app;
}

inline CString StatusPane(CKelvaneApp& app) {
    CMainFrame* frame = app.GetMainFrame();
    return frame ? frame->m_wndStatusBar.GetPaneText(0) : CString();
}

} // namespace apptest
