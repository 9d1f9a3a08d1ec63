#include "system/LittleEndian.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t maxBytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::vector<std::uint8_t> buf;
    std::uint8_t chunk[65536];
    bool ok = true;
    for (;;) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, f);
        if (n == 0)
            break;
        if (buf.size() + n > maxBytes) {
            ok = false;
            break;
        }
        buf.insert(buf.end(), chunk, chunk + n);
    }
    if (std::ferror(f))
        ok = false;
    std::fclose(f);
    if (ok)
        out.swap(buf);
    return ok;
}

namespace {
std::atomic<bool> g_failAtomicWrites{false};
}

void SetAtomicWriteFailureForTesting(bool fail) {
    g_failAtomicWrites = fail;
}

bool WriteWholeFileAtomic(const std::string& path, const void* data, std::size_t size) {
    // A unique, exclusively created temporary beside the target: two writers never share it and
    // an existing file of that name is never truncated.
    std::string tmp = path + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return false;
    bool ok = true;
    const auto* p = static_cast<const std::uint8_t*>(data);
    std::size_t left = size;
    while (ok && left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    // Keep the usual permissions of a new file rather than mkstemp's owner-only ones.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ok = ok && ::fchmod(fd, 0666 & ~mask) == 0;
    ok = ok && ::fsync(fd) == 0 && !g_failAtomicWrites;
    ok = (::close(fd) == 0) && ok;
    if (ok && std::rename(tmp.c_str(), path.c_str()) == 0)
        return true;
    ::unlink(tmp.c_str());
    return false;
}

} // namespace kv
