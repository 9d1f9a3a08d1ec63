#pragma once
// Test helpers that run a case in a forked child: under a resource limit, in a mount namespace
// of its own (a read-only or small file system that vanishes with the child), or as another
// user. The child's verdict comes back as its exit code.
#include <csignal>
#include <functional>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kvtest {

// How a child ended: its exit code, or the signal that ended it.
struct ChildEnd {
    bool exited = false;
    int code = -1;
    int signal = 0;
};

// Runs `body` in a forked child and returns how the child ended; `body`'s result is its exit
// code. Nothing of the child (its mounts, limits, identity) reaches the test process.
inline ChildEnd RunInChild(const std::function<int()>& body) {
    ChildEnd end;
    const pid_t child = ::fork();
    if (child < 0)
        return end;
    if (child == 0)
        ::_exit(body());
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    if (WIFEXITED(status)) {
        end.exited = true;
        end.code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        end.signal = WTERMSIG(status);
    }
    return end;
}

// In a child: a file-size limit of `bytes` (ulimit -f), with SIGXFSZ at its default action so a
// write past the limit would end the child.
inline bool LimitFileSize(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_DFL);
    struct rlimit limit {};
    limit.rlim_cur = limit.rlim_max = bytes;
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

// In a child: a mount namespace of its own whose mounts are private, so whatever the child
// mounts disappears with it. False where the system does not allow it (no administrator).
inline bool OwnMountNamespace() {
    return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// In a child with its own mount namespace: `folder` becomes read-only.
inline bool MakeFolderReadOnly(const std::string& folder) {
    return ::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
           ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

// Exit code a child uses to say the system did not allow its set-up; the test then skips.
constexpr int kChildCannotSetUp = 77;

} // namespace kvtest
