#include "app/EndSignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The write end of the active watcher's pipe; -1 while none is active.
std::atomic<int> g_writeFd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

void NoteSignal(int signal) {
    const int savedErrno = errno;
    const int fd = g_writeFd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signal);
        // A full pipe already holds signals the loop has not read: this one adds nothing.
        [[maybe_unused]] const ssize_t written = write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

CEndSignals::CEndSignals(Handler onSignal) : m_onSignal(std::move(onSignal)) {
    if (g_writeFd.load() >= 0)
        return;
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0)
        return;
    m_readFd = fds[0];
    m_writeFd = fds[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_readFd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { Drain(); });
    g_writeFd.store(m_writeFd);
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        struct sigaction current {};
        if (sigaction(kSignals[i], nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = NoteSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        m_installed[i] = sigaction(kSignals[i], &action, &m_previous[i]) == 0;
    }
    m_active = true;
}

CEndSignals::~CEndSignals() {
    if (!m_active)
        return;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        if (m_installed[i])
            sigaction(kSignals[i], &m_previous[i], nullptr);
    g_writeFd.store(-1);
    m_notifier.reset();
    ::close(m_readFd);
    ::close(m_writeFd);
}

void CEndSignals::Drain() {
    unsigned char caught[64];
    for (;;) {
        const ssize_t n = read(m_readFd, caught, sizeof caught);
        if (n <= 0)
            break;
        for (ssize_t i = 0; i < n; ++i)
            if (m_onSignal)
                m_onSignal(caught[i]);
    }
}
