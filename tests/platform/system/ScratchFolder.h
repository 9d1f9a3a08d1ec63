#pragma once
// Test helpers for file-system cases: a private folder under the build folder's test output,
// named pipes that never hang a test, and the facts of the account the tests run under.
#include "TestOutput.h"
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace kvtest {

// A folder of its own under the build folder's test output, removed with everything in it at the end. Folders
// the test made read-only are made writable again first.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& prefix) {
        const std::filesystem::path base = OutputDir();
        std::error_code ec;
        std::filesystem::create_directories(base, ec);
        std::string tmpl = (base / (prefix + "XXXXXX")).string();
        if (::mkdtemp(tmpl.data()))
            m_path = tmpl;
    }
    ~ScratchFolder() {
        std::error_code ec;
        if (m_path.empty())
            return;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec) && !it->is_symlink(ec))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ec);
        }
        std::filesystem::remove_all(m_path, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool Ok() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

inline bool RunningAsRoot() {
    return ::geteuid() == 0;
}

inline std::vector<std::uint8_t> ReadAllBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAllBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string AsString(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

inline struct stat StatOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

inline mode_t ModeOf(const std::string& path) {
    return StatOf(path).st_mode & 07777;
}

// Releases anything blocked on the named pipe: a reader waiting for a writer or the reverse.
inline void ReleasePipe(const std::string& fifo) {
    const int r = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    const int w = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (w >= 0)
        ::close(w);
    if (r >= 0)
        ::close(r);
}

// Runs `work` on a thread of its own and reports whether it finished within `ms`. When it does
// not, the named pipe it waits on is released so the test can still end (and then fails).
template <class Work> bool FinishesWithin(int ms, const std::string& fifo, Work work) {
    auto done = std::async(std::launch::async, work);
    if (done.wait_for(std::chrono::milliseconds(ms)) == std::future_status::ready)
        return true;
    while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
        ReleasePipe(fifo);
    return false;
}

} // namespace kvtest
