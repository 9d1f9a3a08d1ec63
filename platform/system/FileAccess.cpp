#include "system/FileAccess.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {

namespace {

constexpr std::size_t kLineBufferBytes = 64u << 10;
constexpr int kMaxLinkHops = 40;
constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

std::atomic<bool> g_failSaves{false};

std::string SizeText(std::uint64_t bytes) {
    constexpr std::uint64_t kKiB = 1024, kMiB = kKiB * 1024;
    if (bytes >= kMiB && bytes % kMiB == 0)
        return std::to_string(bytes / kMiB) + " MiB";
    if (bytes >= kKiB && bytes % kKiB == 0)
        return std::to_string(bytes / kKiB) + " KiB";
    return std::to_string(bytes) + " bytes";
}

FileError Problem(FileError::Kind kind) {
    FileError e;
    e.kind = kind;
    return e;
}

void Set(FileError* out, const FileError& e) {
    if (out)
        *out = e;
}

// A descriptor closed on every return path.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { Reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            Reset();
            m_fd = other.Release();
        }
        return *this;
    }
    int Get() const { return m_fd; }
    int Release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    // Closes and reports whether the close went well (a delayed write error shows up here).
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }
    void Reset() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

// Opens without blocking: opening a named pipe for writing or reading would otherwise wait for
// the other end, and some devices wait for a carrier.
int OpenNonBlocking(const std::string& path, int flags, mode_t mode = 0) {
    int fd;
    do
        fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// A regular file needs no non-blocking mode; its reads and writes go back to the plain ones.
void MakeBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

bool WriteAll(int fd, const void* data, std::size_t size, off_t offset) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Flushes a folder's entries, so a rename in it survives a power cut. Failures are harmless.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

SaveTarget Inspect(const std::string& target, struct stat& st) {
    SaveTarget t;
    const std::string folder = FolderOf(target);
    t.folderWritable = ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
    if (::stat(target.c_str(), &st) != 0)
        return t;
    t.exists = true;
    t.regular = S_ISREG(st.st_mode);
    t.mode = st.st_mode;
    t.links = st.st_nlink;
    t.fileWritable = ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0;
    // Only the owner (or the administrator) can hand a new file to the old file's owner.
    t.keepsOwner = st.st_uid == ::geteuid() || ::geteuid() == 0;
    return t;
}

// A short, unlikely name: a long target name plus a suffix would pass the name-length limit.
std::string TemporaryName(const std::string& folder, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    std::uint64_t x = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    x ^= (static_cast<std::uint64_t>(::getpid()) << 32) ^ (counter++ * 0x9E3779B97F4A7C15ull) ^ attempt;
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 32;
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name = folder + "/.kv-save-";
    for (int i = 0; i < 8; ++i) {
        name += kDigits[x % 36];
        x /= 36;
    }
    return name;
}

bool Replace(const std::string& target, const SaveTarget& t, const struct stat& old, const void* data,
             std::size_t size, FileError* error) {
    const std::string folder = FolderOf(target);
    std::string tmp;
    Fd fd;
    for (unsigned attempt = 0; attempt < 100 && fd.Get() < 0; ++attempt) {
        tmp = TemporaryName(folder, attempt);
        // Exclusive: an existing file of that name is never truncated or followed. A new file
        // gets the usual permissions (the process's mask applies); a replacement gets the old
        // file's below.
        const int f = OpenNonBlocking(tmp, O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (f < 0 && errno != EEXIST) {
            Set(error, FileError::FromErrno(errno));
            return false;
        }
        fd = Fd(f);
    }
    if (fd.Get() < 0) {
        Set(error, FileError::FromErrno(EEXIST));
        return false;
    }
    bool ok = WriteAll(fd.Get(), data, size, 0);
    if (ok && t.exists) {
        // The replacement keeps the permissions and, where allowed, the owner of the old file.
        if (::fchown(fd.Get(), old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd.Get(), static_cast<uid_t>(-1), old.st_gid);
        ok = ::fchmod(fd.Get(), old.st_mode & 07777) == 0;
    }
    // On disk before the rename: a crash must not leave an empty file in place of the old one.
    ok = ok && ::fsync(fd.Get()) == 0;
    if (ok && g_failSaves) {
        errno = ENOSPC;
        ok = false;
    }
    const int err = errno;
    ok = fd.Close() && ok;
    if (ok && std::rename(tmp.c_str(), target.c_str()) == 0) {
        SyncFolder(folder);
        return true;
    }
    const int failure = ok ? errno : err;
    ::unlink(tmp.c_str());
    Set(error, FileError::FromErrno(failure ? failure : EIO));
    return false;
}

// Opens an existing regular file for writing, refusing special and write-protected files.
bool OpenExistingForWriting(const std::string& target, Fd& fd, struct stat& st, FileError* error) {
    // Told as protection whoever runs the program, not as the system's refusal to open it.
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ((st.st_mode & kAnyWrite) == 0 || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)) {
        Set(error, Problem(FileError::Kind::WriteProtected));
        return false;
    }
    fd = Fd(OpenNonBlocking(target, O_WRONLY));
    if (fd.Get() < 0) {
        Set(error, FileError::FromErrno(errno));
        return false;
    }
    if (::fstat(fd.Get(), &st) != 0) {
        Set(error, FileError::FromErrno(errno));
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        Set(error, Problem(FileError::Kind::NotRegularFile));
        return false;
    }
    // The administrator may write anything; a file without any write permission is still
    // treated as the user meant it: protected.
    if ((st.st_mode & kAnyWrite) == 0) {
        Set(error, Problem(FileError::Kind::WriteProtected));
        return false;
    }
    MakeBlocking(fd.Get());
    return true;
}

bool InPlace(const std::string& target, const void* data, std::size_t size, FileError* error) {
    Fd fd;
    struct stat st {};
    if (!OpenExistingForWriting(target, fd, st, error))
        return false;
    // Space first: on a full disk the save fails here, before a byte of the old file changes.
    if (size > static_cast<std::uint64_t>(st.st_size)) {
        const int r = ::fallocate(fd.Get(), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size));
        if (r != 0 && errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL) {
            Set(error, FileError::FromErrno(errno));
            return false;
        }
    }
    if (g_failSaves) {
        Set(error, FileError::FromErrno(ENOSPC));
        return false;
    }
    bool ok = WriteAll(fd.Get(), data, size, 0);
    ok = ok && ::ftruncate(fd.Get(), static_cast<off_t>(size)) == 0;
    ok = ok && ::fsync(fd.Get()) == 0;
    const int err = errno;
    ok = fd.Close() && ok;
    if (!ok)
        Set(error, FileError::FromErrno(err ? err : EIO));
    return ok;
}

} // namespace

// ---- Errors -------------------------------------------------------------------------------

FileError FileError::FromErrno(int err) {
    FileError e;
    e.kind = Kind::System;
    e.systemError = err;
    return e;
}

std::string FileError::Text() const {
    switch (kind) {
    case Kind::None:
        return std::string();
    case Kind::System:
        return std::strerror(systemError ? systemError : EIO);
    case Kind::NotRegularFile:
        return "not a regular file";
    case Kind::TooLarge:
        return "the file is larger than " + SizeText(limit);
    case Kind::WriteProtected:
        return "the file is write-protected";
    }
    return std::string();
}

// ---- Reading ------------------------------------------------------------------------------

InputFile::~InputFile() {
    Close();
}

void InputFile::Close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool InputFile::Open(const std::string& path, std::uint64_t maxBytes) {
    Close();
    m_error = FileError();
    m_size = m_consumed = 0;
    Fd fd(OpenNonBlocking(path, O_RDONLY));
    struct stat st {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0) {
        m_error = FileError::FromErrno(errno);
        return false;
    }
    // A pipe, device or socket never ends the way a file does (and /dev/zero never ends at all).
    if (!S_ISREG(st.st_mode)) {
        m_error = Problem(FileError::Kind::NotRegularFile);
        return false;
    }
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        m_error = Problem(FileError::Kind::TooLarge);
        m_error.limit = maxBytes;
        return false;
    }
    MakeBlocking(fd.Get());
    m_size = static_cast<std::uint64_t>(st.st_size);
    m_limit = maxBytes;
    m_fd = fd.Release();
    return true;
}

std::ptrdiff_t InputFile::Read(void* buffer, std::size_t n) {
    if (m_fd < 0)
        return -1;
    if (n == 0)
        return 0;
    const std::uint64_t room = m_limit - m_consumed;
    // One byte beyond the limit tells a file that grew past it from one that ends there.
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(n, room == 0 ? 1 : room));
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, want);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            m_error = FileError::FromErrno(errno);
            return -1;
        }
        if (room == 0 && got > 0) {
            m_error = Problem(FileError::Kind::TooLarge);
            m_error.limit = m_limit;
            return -1;
        }
        m_consumed += static_cast<std::uint64_t>(got);
        return got;
    }
}

bool InputFile::ReadRest(std::vector<std::uint8_t>& out) {
    out.clear();
    // Sized from the file up front: the buffer never grows by doubling for a file that keeps
    // its size.
    const std::uint64_t expected = m_size > m_consumed ? m_size - m_consumed : 0;
    out.resize(static_cast<std::size_t>(std::min<std::uint64_t>(expected, m_limit)));
    std::size_t have = 0;
    for (;;) {
        if (have == out.size())
            out.resize(out.size() + kLineBufferBytes);
        const std::ptrdiff_t got = Read(out.data() + have, out.size() - have);
        if (got < 0) {
            out.clear();
            return false;
        }
        if (got == 0)
            break;
        have += static_cast<std::size_t>(got);
    }
    out.resize(have);
    return true;
}

bool LineReader::Fill() {
    if (m_buffer.empty())
        m_buffer.resize(kLineBufferBytes);
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_scanned -= m_begin;
        m_begin = 0;
    }
    if (m_end == m_buffer.size())
        m_buffer.resize(m_buffer.size() * 2); // a line longer than the buffer
    const std::ptrdiff_t got = m_file.Read(m_buffer.data() + m_end, m_buffer.size() - m_end);
    if (got < 0)
        return false;
    if (got == 0)
        m_eof = true;
    m_end += static_cast<std::size_t>(got);
    return true;
}

bool LineReader::Next(std::string_view& line) {
    for (;;) {
        const char* base = m_buffer.data();
        const void* nl = m_end > m_scanned ? std::memchr(base + m_scanned, '\n', m_end - m_scanned) : nullptr;
        std::size_t stop;
        if (nl) {
            stop = static_cast<std::size_t>(static_cast<const char*>(nl) - base);
        } else if (m_eof) {
            if (m_begin >= m_end)
                return false;
            stop = m_end; // the last line has no end
        } else {
            m_scanned = m_end;
            if (!Fill())
                return false;
            continue;
        }
        line = std::string_view(base + m_begin, stop - m_begin);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_begin = m_scanned = std::min(stop + 1, m_end);
        ++m_lineNumber;
        return true;
    }
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t maxBytes,
                   FileError* error) {
    InputFile file;
    std::vector<std::uint8_t> bytes;
    if (!file.Open(path, maxBytes) || !file.ReadRest(bytes)) {
        Set(error, file.Error());
        return false;
    }
    out.swap(bytes);
    return true;
}

// ---- Saving -------------------------------------------------------------------------------

SaveMethod ChooseSaveMethod(const SaveTarget& t, FileError* why) {
    if (!t.exists)
        return SaveMethod::Replace;
    if (!t.regular) {
        Set(why, Problem(FileError::Kind::NotRegularFile));
        return SaveMethod::Refuse;
    }
    // No write permission at all means the user protected the file, also from the administrator.
    if ((t.mode & kAnyWrite) == 0 || !t.fileWritable) {
        Set(why, Problem(FileError::Kind::WriteProtected));
        return SaveMethod::Refuse;
    }
    // A replacement would split hard links, could not be created in the folder, or would change
    // hands: the file is rewritten where it is instead.
    if (t.links > 1 || !t.folderWritable || !t.keepsOwner)
        return SaveMethod::InPlace;
    return SaveMethod::Replace;
}

bool ResolveSaveTarget(const std::string& path, std::string& target, FileError* error) {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno == ENOENT) { // a new file, or a link to one that does not exist yet
                target = current;
                return true;
            }
            Set(error, FileError::FromErrno(errno));
            return false;
        }
        if (!S_ISLNK(st.st_mode)) {
            target = current;
            return true;
        }
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) {
            Set(error, FileError::FromErrno(n < 0 ? errno : EIO));
            return false;
        }
        link.resize(static_cast<std::size_t>(n));
        current = link[0] == '/' ? link : FolderOf(current) + "/" + link;
    }
    Set(error, FileError::FromErrno(ELOOP));
    return false;
}

bool WriteWholeFile(const std::string& path, const void* data, std::size_t size, FileError* error) {
    std::string target;
    if (!ResolveSaveTarget(path, target, error))
        return false;
    struct stat st {};
    const SaveTarget t = Inspect(target, st);
    FileError why;
    switch (ChooseSaveMethod(t, &why)) {
    case SaveMethod::Refuse:
        Set(error, why);
        return false;
    case SaveMethod::InPlace:
        return InPlace(target, data, size, error);
    case SaveMethod::Replace:
        break;
    }
    return Replace(target, t, st, data, size, error);
}

bool WriteWholeFileAtomic(const std::string& path, const void* data, std::size_t size) {
    FileError error;
    if (WriteWholeFile(path, data, size, &error))
        return true;
    errno = error.kind == FileError::Kind::System ? error.systemError : EACCES;
    return false;
}

bool WriteFileInPlace(const std::string& path, const void* data, std::size_t size, FileError* error) {
    std::string target;
    return ResolveSaveTarget(path, target, error) && InPlace(target, data, size, error);
}

bool OverwriteFileStart(const std::string& path, const void* data, std::size_t size, FileError* error) {
    std::string target;
    if (!ResolveSaveTarget(path, target, error))
        return false;
    Fd fd;
    struct stat st {};
    if (!OpenExistingForWriting(target, fd, st, error))
        return false;
    if (g_failSaves) {
        Set(error, FileError::FromErrno(ENOSPC));
        return false;
    }
    bool ok = WriteAll(fd.Get(), data, size, 0) && ::fsync(fd.Get()) == 0;
    const int err = errno;
    ok = fd.Close() && ok;
    if (!ok)
        Set(error, FileError::FromErrno(err ? err : EIO));
    return ok;
}

void SetAtomicWriteFailureForTesting(bool fail) {
    g_failSaves = fail;
}

} // namespace kv
