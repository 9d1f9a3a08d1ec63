#pragma once
// Ends of the program that arrive as signals: SIGTERM (logout, shutdown, a plain kill), SIGHUP
// (the terminal or session went away) and SIGINT (Ctrl+C). The handler only notes the signal in
// a pipe; the event loop reads the pipe and runs the program's own end on the GUI thread, so
// nothing but a write(2) ever runs inside a signal handler.
#include <csignal>
#include <functional>
#include <iterator>
#include <memory>

class QSocketNotifier;

class CEndSignals {
public:
    static constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

    using Handler = std::function<void(int signal)>;
    // Installs the handlers. `onSignal` runs from the event loop, on the GUI thread, once for
    // every signal caught. A signal the program was started with ignored (nohup, a background
    // job) stays ignored. Only one watcher is active at a time; a second one does nothing.
    explicit CEndSignals(Handler onSignal);
    // Puts back the dispositions there were before.
    ~CEndSignals();
    CEndSignals(const CEndSignals&) = delete;
    CEndSignals& operator=(const CEndSignals&) = delete;

    bool IsActive() const { return m_active; }

private:
    void Drain();

    Handler m_onSignal;
    bool m_active = false;
    int m_readFd = -1;
    int m_writeFd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previous[std::size(kSignals)] = {};
    bool m_installed[std::size(kSignals)] = {};
};
