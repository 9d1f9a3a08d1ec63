#include "system/FileAccess.h"

#include "system/Paths.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace kv {

namespace {

constexpr std::size_t kLineBufferBytes = 64u << 10;
constexpr int kMaxLinkHops = 40;
constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

std::atomic<bool> g_failSaves{false};
std::atomic<const SaveFaultsForTesting*> g_faults{nullptr};

// Every save temporary starts so; the rest of its name says who writes it (see TemporaryName).
constexpr char kTemporaryPrefix[] = ".kv-save-";
constexpr std::size_t kTemporaryPrefixLength = sizeof kTemporaryPrefix - 1;
constexpr std::size_t kRandomChars = 6;
// Earlier temporaries carried only 8 random characters and no writer: left this long, their
// save is certainly over (one takes milliseconds).
constexpr std::size_t kOldRandomChars = 8;
constexpr time_t kOldTemporaryAgeSeconds = 3600;
// The access control list among a file's extended attributes.
constexpr char kAccessAclName[] = "system.posix_acl_access";

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

// The save's own bytes from the start of the file: written whole, or as far as an injected fault
// lets them.
bool WriteContents(int fd, const void* data, std::size_t size) {
    const SaveFaultsForTesting* faults = g_faults.load();
    if (faults && faults->writeFailsAfter >= 0 &&
        size > static_cast<std::uint64_t>(faults->writeFailsAfter)) {
        if (!WriteAll(fd, data, static_cast<std::size_t>(faults->writeFailsAfter), 0))
            return false;
        errno = faults->writeError;
        return false;
    }
    return WriteAll(fd, data, size, 0);
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
    t.folderWritable = FolderIsWritable(folder);
    if (::stat(target.c_str(), &st) != 0)
        return t;
    t.exists = true;
    t.regular = S_ISREG(st.st_mode);
    t.mode = st.st_mode;
    t.links = st.st_nlink;
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        t.fileWritable = false;
        t.writeRefusal = errno;
    }
    // Only the owner (or the administrator) can hand a new file to the old file's owner.
    t.keepsOwner = st.st_uid == ::geteuid() || ::geteuid() == 0;
    return t;
}

// The start of process `pid` in clock ticks since boot (field 22 of /proc/<pid>/stat), 0 when
// unknown. An id is reused once its process ends; the id with its start time names one process.
std::uint64_t ProcessStartTime(pid_t pid) {
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char buf[1024];
    const ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    if (n <= 0)
        return 0;
    buf[n] = '\0';
    // The command name (field 2) may hold blanks and parentheses: count from its closing one.
    const char* p = std::strrchr(buf, ')');
    if (!p)
        return 0;
    for (int field = 3; field <= 22; ++field) {
        while (*p && *p != ' ')
            ++p;
        while (*p == ' ')
            ++p;
        if (!*p)
            return 0;
        if (field == 22)
            return std::strtoull(p, nullptr, 10);
    }
    return 0;
}

std::uint64_t OwnStartTime() {
    // Kept per process id: a forked child is a process of its own.
    static std::atomic<pid_t> cachedPid{0};
    static std::atomic<std::uint64_t> cachedStart{0};
    const pid_t self = ::getpid();
    if (cachedPid.load() != self) {
        cachedStart = ProcessStartTime(self);
        cachedPid = self;
    }
    return cachedStart.load();
}

// ".kv-save-<process id>-<its start time>-<random>": short (a long target name plus a suffix
// could pass the name-length limit) and telling who writes it, so a later save can tell debris
// from a save in progress.
std::string TemporaryName(const std::string& folder, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const pid_t self = ::getpid();
    std::uint64_t x = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    x ^= (static_cast<std::uint64_t>(self) << 32) ^ (counter++ * 0x9E3779B97F4A7C15ull) ^ attempt;
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 32;
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name =
        folder + "/" + kTemporaryPrefix + std::to_string(self) + "-" + std::to_string(OwnStartTime()) + "-";
    for (std::size_t i = 0; i < kRandomChars; ++i) {
        name += kDigits[x % 36];
        x /= 36;
    }
    return name;
}

bool AllOf(std::string_view s, bool (*accept)(char)) {
    return !s.empty() && std::all_of(s.begin(), s.end(), accept);
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsRandomChar(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z');
}

// What a name of the temporaries' pattern says about its writer.
struct TemporaryWriter {
    bool named = false; // the name carries the writer (else an earlier, anonymous temporary)
    pid_t pid = 0;
    std::uint64_t start = 0;
};

bool ParseTemporaryName(std::string_view name, TemporaryWriter& writer) {
    if (name.size() <= kTemporaryPrefixLength || name.substr(0, kTemporaryPrefixLength) != kTemporaryPrefix)
        return false;
    const std::string_view rest = name.substr(kTemporaryPrefixLength);
    const auto dash1 = rest.find('-');
    if (dash1 == std::string_view::npos)
        return rest.size() == kOldRandomChars && AllOf(rest, IsRandomChar);
    const auto dash2 = rest.find('-', dash1 + 1);
    if (dash2 == std::string_view::npos)
        return false;
    const std::string_view pid = rest.substr(0, dash1), start = rest.substr(dash1 + 1, dash2 - dash1 - 1),
                           random = rest.substr(dash2 + 1);
    if (!AllOf(pid, IsDigit) || pid.size() > 9 || !AllOf(start, IsDigit) || start.size() > 19 ||
        random.size() != kRandomChars || !AllOf(random, IsRandomChar))
        return false;
    writer.named = true;
    writer.pid = static_cast<pid_t>(std::stoul(std::string(pid)));
    writer.start = std::stoull(std::string(start));
    return writer.pid > 0;
}

// Whether the process a temporary's name gives may still be writing it. Unsure means alive.
bool WriterAlive(const TemporaryWriter& writer) {
    if (writer.pid == ::getpid())
        return writer.start == OwnStartTime(); // else an earlier process that had our id
    if (::kill(writer.pid, 0) != 0 && errno == ESRCH)
        return false;
    // The id is taken; by the writer only when the start time matches too.
    const std::uint64_t start = ProcessStartTime(writer.pid);
    return start == 0 || writer.start == 0 || start == writer.start;
}

// A file's extended attribute names, or its value for one name. False when the system refuses
// (e.g. EACCES); a file system without extended attributes has none.
bool ListAttributes(const std::string& path, std::vector<char>& names) {
    for (int tries = 0; tries < 8; ++tries) {
        const ssize_t need = ::llistxattr(path.c_str(), nullptr, 0);
        if (need < 0)
            return errno == ENOTSUP;
        names.resize(static_cast<std::size_t>(need));
        const ssize_t got = need > 0 ? ::llistxattr(path.c_str(), names.data(), names.size()) : 0;
        if (got >= 0) {
            names.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE) // grew meanwhile: ask again
            return false;
    }
    return false;
}

bool AttributeValue(const std::string& path, const char* name, std::vector<char>& value) {
    for (int tries = 0; tries < 8; ++tries) {
        const ssize_t need = ::lgetxattr(path.c_str(), name, nullptr, 0);
        if (need < 0)
            return false;
        value.resize(static_cast<std::size_t>(need));
        const ssize_t got = need > 0 ? ::lgetxattr(path.c_str(), name, value.data(), value.size()) : 0;
        if (got >= 0) {
            value.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
    return false;
}

bool SameAttribute(int fd, const char* name, const std::vector<char>& value) {
    std::vector<char> have(value.size() + 1);
    const ssize_t got = ::fgetxattr(fd, name, have.data(), have.size());
    return got >= 0 && static_cast<std::size_t>(got) == value.size() &&
           std::equal(value.begin(), value.end(), have.begin());
}

// Gives the temporary `fd` exactly the extended attributes of the file at `from`, its access
// control list among them. Without this a save would drop the list: users it admitted would lose
// the file, and the owning group would get the access the list's mask gave. False when any of
// them cannot be copied.
bool CopyAttributes(const std::string& from, int fd) {
    std::vector<char> names, value;
    if (!ListAttributes(from, names))
        return false;
    bool hasAcl = false;
    for (std::size_t at = 0; at < names.size();) {
        const char* name = names.data() + at;
        const std::size_t length = ::strnlen(name, names.size() - at);
        at += length + 1;
        if (length == 0)
            continue;
        hasAcl |= std::strcmp(name, kAccessAclName) == 0;
        if (!AttributeValue(from, name, value))
            return false;
        // A label the system gave the new file already (a security module's) needs no rights.
        if (SameAttribute(fd, name, value))
            continue;
        if (::fsetxattr(fd, name, value.data(), value.size(), 0) != 0)
            return false;
    }
    // A folder's default list is inherited by the temporary: the old file had none of it.
    if (!hasAcl && ::fremovexattr(fd, kAccessAclName) != 0 && errno != ENODATA && errno != ENOTSUP)
        return false;
    return true;
}

enum class ReplaceResult { Done, Failed, UseInPlace };

ReplaceResult Replace(const std::string& target, const SaveTarget& t, const struct stat& old,
                      const void* data, std::size_t size, FileError* error) {
    const std::string folder = FolderOf(target);
    std::string tmp;
    Fd fd;
    for (unsigned attempt = 0; attempt < 100 && fd.Get() < 0; ++attempt) {
        tmp = TemporaryName(folder, attempt);
        // Exclusive: an existing file of that name is never truncated or followed. A new file
        // gets the usual permissions (the process's mask or the folder's default list applies).
        // A replacement starts private and gets the old file's access below, before its first
        // byte: created with the usual permissions, a watcher could read a private file's new
        // contents before they were narrowed.
        const int f = OpenNonBlocking(tmp, O_WRONLY | O_CREAT | O_EXCL, t.exists ? 0600 : 0666);
        if (f < 0 && errno != EEXIST) {
            Set(error, FileError::FromErrno(errno));
            return ReplaceResult::Failed;
        }
        fd = Fd(f);
    }
    if (fd.Get() < 0) {
        Set(error, FileError::FromErrno(EEXIST));
        return ReplaceResult::Failed;
    }
    // Held until the file is closed: a later save's clean-up leaves a locked temporary alone.
    (void)::flock(fd.Get(), LOCK_EX | LOCK_NB);
    const auto abandon = [&](int err) {
        fd.Reset();
        ::unlink(tmp.c_str());
        Set(error, FileError::FromErrno(err ? err : EIO));
        return ReplaceResult::Failed;
    };
    if (t.exists) {
        // The replacement keeps the old file's owner and group, extended attributes and mode.
        // Where one of them cannot be given to a new file, the old file is rewritten instead:
        // any of them lost could open the file to someone it was closed to.
        if (::fchown(fd.Get(), old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd.Get(), static_cast<uid_t>(-1), old.st_gid);
        struct stat now {};
        const bool owned =
            ::fstat(fd.Get(), &now) == 0 && now.st_uid == old.st_uid && now.st_gid == old.st_gid;
        if (!owned || !CopyAttributes(target, fd.Get())) {
            fd.Reset();
            ::unlink(tmp.c_str());
            return ReplaceResult::UseInPlace;
        }
        if (::fchmod(fd.Get(), old.st_mode & 07777) != 0)
            return abandon(errno);
    }
    if (const SaveFaultsForTesting* faults = g_faults.load(); faults && faults->temporaryReady)
        faults->temporaryReady(tmp);
    bool ok = WriteContents(fd.Get(), data, size);
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
        return ReplaceResult::Done;
    }
    return abandon(ok ? errno : err);
}

// The refusal of an existing regular file this process may not write (`writable` false, with
// the system's reason in `refusal`) or that has no write permission at all; false when it may
// be written. A read-only file system is told as such: no permission the user could change would
// help. Otherwise the user protected the file, also from the administrator.
bool RefusedForWriting(bool writable, int refusal, mode_t mode, FileError* why) {
    if (!writable && refusal == EROFS) {
        Set(why, FileError::FromErrno(EROFS));
        return true;
    }
    if (!writable || (mode & kAnyWrite) == 0) {
        Set(why, Problem(FileError::Kind::WriteProtected));
        return true;
    }
    return false;
}

// Opens an existing regular file for writing, refusing special and write-protected files.
bool OpenExistingForWriting(const std::string& target, Fd& fd, struct stat& st, FileError* error) {
    // Told as protection whoever runs the program, not as the system's refusal to open it.
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        const bool denied = ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0;
        if (RefusedForWriting(!denied, denied ? errno : 0, st.st_mode, error))
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

// Whether the file system plainly has room for the file to grow to `size` bytes, for file systems
// that cannot reserve space. Unknown counts as room: the kept copy of the old contents still
// covers a write that fails.
bool RoomFor(int fd, const struct stat& st, std::size_t size) {
    struct statvfs vfs {};
    if (::fstatvfs(fd, &vfs) != 0)
        return true;
    const std::uint64_t unit = vfs.f_frsize ? vfs.f_frsize : (vfs.f_bsize ? vfs.f_bsize : 4096);
    std::uint64_t free = static_cast<std::uint64_t>(vfs.f_bavail) * unit;
    if (const SaveFaultsForTesting* faults = g_faults.load(); faults && faults->freeBytes >= 0)
        free = static_cast<std::uint64_t>(faults->freeBytes);
    const std::uint64_t have = static_cast<std::uint64_t>(st.st_blocks) * 512u;
    const std::uint64_t want = (static_cast<std::uint64_t>(size) + unit - 1) / unit * unit;
    if (want <= have)
        return true;
    // The new blocks need block maps too (on ext2 one map block per unit / 4 data blocks).
    const std::uint64_t grow = want - have;
    return free >= grow + grow / 256 + 4 * unit;
}

// The current contents of the file `st` describes, read through a descriptor of its own.
bool ReadCurrent(const std::string& target, const struct stat& st, std::vector<std::uint8_t>& out) {
    Fd fd(OpenNonBlocking(target, O_RDONLY));
    struct stat now {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &now) != 0 || now.st_ino != st.st_ino || now.st_dev != st.st_dev)
        return false;
    MakeBlocking(fd.Get());
    out.resize(static_cast<std::size_t>(now.st_size));
    std::size_t have = 0;
    while (have < out.size()) {
        const ssize_t n = ::pread(fd.Get(), out.data() + have, out.size() - have, static_cast<off_t>(have));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        have += static_cast<std::size_t>(n);
    }
    return true;
}

bool InPlace(const std::string& target, const void* data, std::size_t size, FileError* error) {
    Fd fd;
    struct stat st {};
    if (!OpenExistingForWriting(target, fd, st, error))
        return false;
    if (!FitsFileSizeLimit(size)) {
        Set(error, FileError::FromErrno(EFBIG));
        return false;
    }
    const SaveFaultsForTesting* faults = g_faults.load();
    // Space first: on a full disk the save fails here, before a byte of the old file changes.
    if (size > static_cast<std::uint64_t>(st.st_size)) {
        int r = -1;
        if (faults && faults->noSpaceReservation)
            errno = EOPNOTSUPP;
        else
            r = ::fallocate(fd.Get(), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size));
        if (r != 0) {
            if (errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL) {
                Set(error, FileError::FromErrno(errno));
                return false;
            }
            // No reservation on this file system (ext2, some network ones): refuse what the free
            // space plainly cannot hold, rather than find out half-way through the file.
            if (!RoomFor(fd.Get(), st, size)) {
                Set(error, FileError::FromErrno(ENOSPC));
                return false;
            }
        }
    }
    if (g_failSaves) {
        Set(error, FileError::FromErrno(ENOSPC));
        return false;
    }
    // The old contents are kept until the new ones are on disk: a write that still fails part-way
    // (the disk filled meanwhile, a quota, an I/O error) puts them back, so the file is never left
    // holding the start of the new contents.
    std::vector<std::uint8_t> previous;
    const bool kept = ReadCurrent(target, st, previous);
    bool ok = WriteContents(fd.Get(), data, size);
    ok = ok && ::ftruncate(fd.Get(), static_cast<off_t>(size)) == 0;
    ok = ok && ::fsync(fd.Get()) == 0;
    const int err = errno;
    if (!ok && kept) {
        // Over blocks the old file held already: this needs no new space.
        if (WriteAll(fd.Get(), previous.data(), previous.size(), 0))
            (void)::ftruncate(fd.Get(), static_cast<off_t>(previous.size()));
        (void)::fsync(fd.Get());
    }
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
    if (RefusedForWriting(t.fileWritable, t.writeRefusal, t.mode, why))
        return SaveMethod::Refuse;
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
    const SaveMethod method = ChooseSaveMethod(t, &why);
    if (method == SaveMethod::Refuse) {
        Set(error, why);
        return false;
    }
    // Beyond the file-size limit the write would draw SIGXFSZ, which ends the process unless it is
    // ignored: refused before anything is written.
    if (!FitsFileSizeLimit(size)) {
        Set(error, FileError::FromErrno(EFBIG));
        return false;
    }
    // Debris of saves killed mid-way goes first: on a full disk its room may be what this needs.
    if (t.folderWritable)
        RemoveStaleSaveTemporaries(FolderOf(target));
    if (method == SaveMethod::Replace) {
        const ReplaceResult r = Replace(target, t, st, data, size, error);
        if (r != ReplaceResult::UseInPlace)
            return r == ReplaceResult::Done;
    }
    return InPlace(target, data, size, error);
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
    if (!FitsFileSizeLimit(size)) {
        Set(error, FileError::FromErrno(EFBIG));
        return false;
    }
    if (g_failSaves) {
        Set(error, FileError::FromErrno(ENOSPC));
        return false;
    }
    bool ok = WriteContents(fd.Get(), data, size) && ::fsync(fd.Get()) == 0;
    const int err = errno;
    ok = fd.Close() && ok;
    if (!ok)
        Set(error, FileError::FromErrno(err ? err : EIO));
    return ok;
}

void SetAtomicWriteFailureForTesting(bool fail) {
    g_failSaves = fail;
}

void SetSaveFaultsForTesting(const SaveFaultsForTesting* faults) {
    g_faults = faults;
}

bool FitsFileSizeLimit(std::uint64_t bytes) {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return true;
    return bytes <= static_cast<std::uint64_t>(limit.rlim_cur);
}

std::size_t RemoveStaleSaveTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    const int dirFd = ::dirfd(dir);
    const uid_t self = ::geteuid();
    const time_t now = ::time(nullptr);
    std::size_t removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        TemporaryWriter writer;
        if (!ParseTemporaryName(entry->d_name, writer) || (writer.named && WriterAlive(writer)))
            continue;
        Fd fd(::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        struct stat st {};
        if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        // Only our own debris (the administrator's clean-up may take anyone's).
        if (st.st_uid != self && self != 0)
            continue;
        if (!writer.named && now - st.st_mtime < kOldTemporaryAgeSeconds)
            continue;
        // A writer elsewhere (another machine sharing the folder) holds its lock until it is done.
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        // Still the file just checked under that name, not one put there since.
        struct stat named {};
        if (::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) != 0 || named.st_ino != st.st_ino ||
            named.st_dev != st.st_dev)
            continue;
        if (::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

// ---- Writing a stream ---------------------------------------------------------------------

OutputStream::~OutputStream() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool OutputStream::Open(const std::string& path) {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_offset = 0;
    m_error = FileError();
    int fd;
    do
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        m_error = FileError::FromErrno(errno);
        return false;
    }
    struct stat st {};
    // The limit holds for regular files only (a pipe or a device has no size to limit).
    m_regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    m_fd = fd;
    return true;
}

bool OutputStream::Write(const void* data, std::size_t size) {
    if (m_fd < 0 || m_error.IsSet())
        return false;
    if (m_regular && !FitsFileSizeLimit(m_offset + size)) {
        m_error = FileError::FromErrno(EFBIG);
        return false;
    }
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(m_fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = FileError::FromErrno(n == 0 ? EIO : errno);
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
        m_offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool OutputStream::Close() {
    if (m_fd >= 0) {
        // A delayed write error (a network file system's) shows up here.
        if (::close(m_fd) != 0 && !m_error.IsSet())
            m_error = FileError::FromErrno(errno);
        m_fd = -1;
    }
    return !m_error.IsSet();
}

} // namespace kv
