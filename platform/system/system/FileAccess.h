#pragma once
// Reading and saving whole files, the one road every file reader and writer takes.
//
// Reading: a file is opened without blocking, so a named pipe or a device where a file was
// expected never stalls the program, and it is read only when it is a regular file no larger
// than the caller's limit. Lines can be taken one at a time, so a text reader holds one buffer
// and the current line rather than the whole file split up.
//
// Saving: the new contents replace the file in one step (written beside it, flushed to disk,
// renamed over it), keeping the file's permissions, owner and extended attributes (its access
// control list among them); the temporary is private until it has them, so a save never lets
// anyone read or write what the old file kept from them. A symbolic link is written through to
// its target; a file with several hard links, in a folder the user may not write, or whose
// attributes cannot be copied is rewritten in place, its old contents kept until the new ones
// are written; a write-protected file is refused and left as it is. A save never writes past the
// process's file-size limit: it fails with EFBIG instead of drawing SIGXFSZ.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace kv {

// Why a file could not be read or saved.
struct FileError {
    enum class Kind {
        None,
        System,         // the system refused; `systemError` holds its errno
        NotRegularFile, // a folder, named pipe, device or socket
        TooLarge,       // above the reader's limit (`limit` bytes)
        WriteProtected, // the file carries no write permission for us
    };
    Kind kind = Kind::None;
    int systemError = 0;
    std::uint64_t limit = 0;

    bool IsSet() const { return kind != Kind::None; }
    // The reason in words, e.g. "No such file or directory", "not a regular file",
    // "larger than 8 MiB", "the file is write-protected".
    std::string Text() const;

    static FileError FromErrno(int err);
};

// A regular file opened for reading.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens `path` without blocking and keeps it only when it is a regular file of at most
    // `maxBytes` bytes; false (with Error() set) otherwise.
    bool Open(const std::string& path, std::uint64_t maxBytes);
    bool IsOpen() const { return m_fd >= 0; }
    void Close();

    // The file's size when it was opened.
    std::uint64_t Size() const { return m_size; }

    // Reads up to `n` bytes: the count read, 0 at the end of the file, -1 on a read error.
    // Never reads more than the limit given to Open, even from a file that grows meanwhile.
    std::ptrdiff_t Read(void* buffer, std::size_t n);

    // Reads from the current position to the end of the file.
    bool ReadRest(std::vector<std::uint8_t>& out);

    const FileError& Error() const { return m_error; }

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
    std::uint64_t m_limit = 0;
    std::uint64_t m_consumed = 0;
    FileError m_error;
};

// Lines of a text file, one at a time; "\n" and "\r\n" ends are both accepted, and the last line
// needs no end. Holds one read buffer and at most one line besides it.
class LineReader {
public:
    explicit LineReader(InputFile& file) : m_file(file) {}

    // The next line without its end; the view stays valid until the next call. False at the end
    // of the file or on a read error (the file's Error() tells which).
    bool Next(std::string_view& line);
    // 1-based number of the last line returned.
    std::size_t LineNumber() const { return m_lineNumber; }

private:
    bool Fill();

    InputFile& m_file;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0; // first byte not yet handed out
    std::size_t m_end = 0;   // end of the bytes read
    std::size_t m_scanned = 0;
    bool m_eof = false;
    std::size_t m_lineNumber = 0;
};

// The whole file, read only when it is a regular file of at most maxBytes. False (with *error
// set when given) otherwise; `out` is left alone on failure.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t maxBytes = 64u << 20,
                   FileError* error = nullptr);

// ---- Saving ----------------------------------------------------------------------------------

// How a save puts its bytes in place of an existing file.
enum class SaveMethod {
    Replace, // a new file beside it, renamed over it
    InPlace, // the file itself rewritten (hard links, unwritable folder, another owner)
    Refuse,  // not saved at all (write-protected, not a regular file)
};

// What a save needs to know about its target (after following symbolic links).
struct SaveTarget {
    bool exists = false;
    bool regular = true;
    mode_t mode = 0;
    nlink_t links = 1;
    bool fileWritable = true;   // the system grants us write access to the file
    int writeRefusal = 0;       // otherwise its reason (EACCES, EROFS, ...)
    bool folderWritable = true; // ... and to the folder that holds it
    bool keepsOwner = true;     // a replacement can be given the file's owner (ours, or we may chown)
};

// The method for a target; for Refuse, *why (when given) says what is wrong.
SaveMethod ChooseSaveMethod(const SaveTarget& target, FileError* why = nullptr);

// The file a save to `path` writes: `path` itself, or the end of its chain of symbolic links
// (which need not exist yet). False, with *error set, for a chain that loops or cannot be read.
bool ResolveSaveTarget(const std::string& path, std::string& target, FileError* error = nullptr);

// Writes `size` bytes as the whole file at `path`, choosing the method above. A failed save
// leaves the previous file as it was. False, with *error set when given, on failure.
bool WriteWholeFile(const std::string& path, const void* data, std::size_t size, FileError* error = nullptr);
// The same under its older name.
bool WriteWholeFileAtomic(const std::string& path, const void* data, std::size_t size);

// Rewrites the existing regular file at `path` in place (through its symbolic links): space for
// `size` bytes is reserved before the first byte changes (where the file system cannot reserve
// it, a size the free space plainly cannot hold is refused with ENOSPC), then the bytes are
// written, the file is cut to `size` and flushed to disk. A write that fails part-way puts the
// old contents back. The fallback of WriteWholeFile.
bool WriteFileInPlace(const std::string& path, const void* data, std::size_t size,
                      FileError* error = nullptr);

// Replaces only the first `size` bytes of an existing regular file, keeping the rest. Refuses a
// missing, write-protected or special file.
bool OverwriteFileStart(const std::string& path, const void* data, std::size_t size,
                        FileError* error = nullptr);

// Whether a file may grow to `bytes` under the process's file-size limit (RLIMIT_FSIZE): a
// write beyond it would draw SIGXFSZ, which ends a process that does not ignore it.
bool FitsFileSizeLimit(std::uint64_t bytes);

// A file written front to back by a producer that does not know the size in advance (a PDF or
// PNG encoder). Every write is checked against the file-size limit first, so the limit gives a
// failed write (EFBIG) rather than SIGXFSZ; the first failure is kept and Close reports it.
class OutputStream {
public:
    OutputStream() = default;
    ~OutputStream();
    OutputStream(const OutputStream&) = delete;
    OutputStream& operator=(const OutputStream&) = delete;

    // Creates or truncates `path` (mode 0666 less the process's mask).
    bool Open(const std::string& path);
    bool Write(const void* data, std::size_t size);
    // Closes the file: true when every write and the close went well.
    bool Close();
    const FileError& Error() const { return m_error; }

private:
    int m_fd = -1;
    bool m_regular = false;
    std::uint64_t m_offset = 0;
    FileError m_error;
};

// Removes what saves into `folder` left behind when their process was killed mid-way: files of
// the save temporaries' own name pattern whose writer is gone (its process has ended, checked by
// process id and start time so a reused id does not count, and no lock is held on the file).
// A live writer's temporary, anyone else's file and every other name are left alone. Every save
// calls it for the folder it writes into; a program calls it at start-up for its settings
// folder. Returns the number of files removed.
std::size_t RemoveStaleSaveTemporaries(const std::string& folder);

// Test seam: while set, every save fails once its bytes are ready but before the previous file is
// touched, the way a full disk would.
void SetAtomicWriteFailureForTesting(bool fail);

// Test seam: faults and a pause injected into the save path. Only tests set it.
struct SaveFaultsForTesting {
    // Called with the temporary's path once it has its final owner, mode and attributes, before
    // its first byte is written (a test may inspect it there, or end the process).
    std::function<void(const std::string& temporary)> temporaryReady;
    bool noSpaceReservation = false; // the file system cannot reserve space (as ext2 cannot)
    std::int64_t freeBytes = -1;     // what the file system reports free, when not -1
    // Writes fail with `writeError` once this many bytes of the save are written, when not -1.
    std::int64_t writeFailsAfter = -1;
    int writeError = ENOSPC;
};
// Installs `faults` (nullptr removes them); the caller keeps it alive while installed.
void SetSaveFaultsForTesting(const SaveFaultsForTesting* faults);

} // namespace kv
