#pragma once
// Starting the built program as a process of its own from a test: a fresh program folder with
// the program linked into it, a chosen environment, standard output read line by line, signals
// sent, the exit waited for. Everything is written under the build folder.
#include "TestOutput.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace programtest {

namespace fs = std::filesystem;

// A folder under the build folder's test output, removed (write access given back first) at the
// end of the test.
class Scratch {
public:
    explicit Scratch(const std::string& name) {
        m_path = fs::path(kvtest::OutputDir()) / (name + "-" + std::to_string(::getpid()));
        Remove();
        fs::create_directories(m_path);
        // Other users may pass through: a test may run the program as another user.
        fs::permissions(m_path, fs::perms(0755));
    }
    ~Scratch() { Remove(); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    const fs::path& Path() const { return m_path; }

private:
    void Remove() {
        std::error_code ec;
        if (!fs::exists(m_path, ec))
            return;
        for (const auto& entry : fs::recursive_directory_iterator(m_path, ec))
            if (entry.is_directory(ec))
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_path, ec);
    }
    fs::path m_path;
};

// Puts `program` into `folder` under the same file name: a hard link where possible (the same
// file system), else a copy.
inline fs::path InstallProgram(const std::string& program, const fs::path& folder) {
    fs::create_directories(folder);
    const fs::path target = folder / fs::path(program).filename();
    if (::link(program.c_str(), target.c_str()) != 0)
        fs::copy_file(program, target, fs::copy_options::overwrite_existing);
    return target;
}

// The environment of a run: the test's PATH and sanitizer options, the offscreen platform, and
// whatever the test adds.
inline std::vector<std::string> BaseEnvironment() {
    std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen"};
    for (const char* name : {"PATH", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TMPDIR"})
        if (const char* value = std::getenv(name))
            env.push_back(std::string(name) + "=" + value);
    return env;
}

inline bool RunningAsRoot() {
    return ::geteuid() == 0;
}

// The user a test runs the program as when it is itself root: the conventional "nobody".
constexpr uid_t kOtherUser = 65534;

class Process {
public:
    Process() = default;
    ~Process() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
        }
        if (m_out >= 0)
            ::close(m_out);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts `argv` with exactly `env`; its standard error goes to `errorLog`. With `asUser`,
    // it runs as that user and group (through setpriv; the test must be root). The signals in
    // `defaults` start with their default action, whatever the test inherited; the others keep
    // the test's disposition (an ignored one stays ignored, as nohup hands SIGHUP on).
    bool Start(const std::vector<std::string>& argvIn, const std::vector<std::string>& env,
               const fs::path& errorLog, uid_t asUser = static_cast<uid_t>(-1),
               const std::vector<int>& defaults = {SIGTERM, SIGHUP, SIGINT}) {
        std::vector<std::string> args;
        if (asUser != static_cast<uid_t>(-1)) {
            const std::string id = std::to_string(asUser);
            args = {"/usr/bin/setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups", "--"};
        }
        args.insert(args.end(), argvIn.begin(), argvIn.end());
        m_errorLog = errorLog;
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, errorLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        sigset_t toDefault, none;
        sigemptyset(&toDefault);
        sigemptyset(&none);
        for (int s : defaults)
            sigaddset(&toDefault, s);
        posix_spawnattr_setsigdefault(&attr, &toDefault);
        posix_spawnattr_setsigmask(&attr, &none);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
        std::vector<char*> argv, envp;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> envCopy = env;
        for (auto& e : envCopy)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        const int rc = posix_spawn(&m_pid, argv[0], &actions, &attr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
        ::close(fds[1]);
        m_out = fds[0];
        if (rc != 0) {
            m_pid = -1;
            return false;
        }
        return true;
    }

    pid_t Pid() const { return m_pid; }

    // The next line of standard output; false when none comes within `timeout` or the output ends.
    bool ReadLine(std::string& line, std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const auto nl = m_buffer.find('\n');
            if (nl != std::string::npos) {
                line = m_buffer.substr(0, nl);
                m_buffer.erase(0, nl + 1);
                return true;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            pollfd p{m_out, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                continue;
            char buf[512];
            const ssize_t n = ::read(m_out, buf, sizeof buf);
            if (n <= 0)
                return false;
            m_buffer.append(buf, static_cast<std::size_t>(n));
        }
    }

    // The value after `word` on the next line, which must start with it.
    bool ReadValue(const std::string& word, std::string& value) {
        std::string line;
        if (!ReadLine(line) || line.compare(0, word.size() + 1, word + " ") != 0) {
            ADD_FAILURE() << "expected \"" << word << " ...\", got \"" << line << "\"; stderr:\n"
                          << ErrorText();
            return false;
        }
        value = line.substr(word.size() + 1);
        return true;
    }
    int ReadNumber(const std::string& word) {
        std::string value;
        return ReadValue(word, value) ? std::atoi(value.c_str()) : -1;
    }

    // Whether the program has installed a handler for `signal` (so sending it now tests the
    // program's handling, not the default action).
    bool Catches(int signal) const {
        std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("SigCgt:", 0) == 0) {
                const unsigned long long mask = std::strtoull(line.c_str() + 7, nullptr, 16);
                return (mask >> (signal - 1)) & 1u;
            }
        }
        return false;
    }
    bool WaitUntilCatching(int signal, std::chrono::milliseconds timeout = std::chrono::seconds(60)) const {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            if (Catches(signal))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    // Waits for the end; the wait status, or -1 when the program has not ended within `timeout`.
    int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (m_pid > 0) {
            int status = 0;
            const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
            if (r == m_pid) {
                m_pid = -1;
                return status;
            }
            if (std::chrono::steady_clock::now() >= end)
                return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

    std::string ErrorText() const {
        std::ifstream in(m_errorLog);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_buffer;
    fs::path m_errorLog;
};

inline std::string DescribeStatus(int status) {
    if (status == -1)
        return "still running";
    if (WIFEXITED(status))
        return "exit " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return std::string("killed by ") + strsignal(WTERMSIG(status));
    return "status " + std::to_string(status);
}

} // namespace programtest
