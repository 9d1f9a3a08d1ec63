#include "system/FileAccess.h"
#include "system/Profile.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kvtest::AsString;
using kvtest::ModeOf;
using kvtest::ReadAllBytes;
using kvtest::StatOf;
using kvtest::WriteAllBytes;
using Kind = kv::FileError::Kind;

class FileAccessTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.Ok()); }
    // Names left in the folder besides the expected ones (a leftover temporary file, say).
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.Path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Fifo(const std::string& name) {
        const std::string p = dir.File(name);
        EXPECT_EQ(::mkfifo(p.c_str(), 0644), 0);
        return p;
    }
    kvtest::ScratchFolder dir{"kv-file-access-"};
};

// ---- Reading -------------------------------------------------------------------------------

TEST_F(FileAccessTest, SpecialFilesAreRefusedWithoutWaiting) {
    const std::string fifo = Fifo("pipe.set");
    kv::FileError error;
    std::vector<std::uint8_t> bytes{1, 2, 3};
    bool ok = true;
    ASSERT_TRUE(
        kvtest::FinishesWithin(5000, fifo, [&] { ok = kv::ReadWholeFile(fifo, bytes, 1024, &error); }));
    EXPECT_FALSE(ok);
    EXPECT_EQ(error.kind, Kind::NotRegularFile);
    EXPECT_EQ(error.Text(), "not a regular file");
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{1, 2, 3})); // left alone

    // A link to an endless device is refused before a byte is read, as is a folder.
    const std::string zero = dir.File("zero.csv");
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    kv::InputFile file;
    EXPECT_FALSE(file.Open(zero, 64u << 20));
    EXPECT_EQ(file.Error().kind, Kind::NotRegularFile);
    EXPECT_FALSE(file.Open(dir.Path(), 1024));
    EXPECT_EQ(file.Error().kind, Kind::NotRegularFile);

    EXPECT_FALSE(file.Open(dir.File("missing.rec"), 1024));
    EXPECT_EQ(file.Error().kind, Kind::System);
    EXPECT_EQ(file.Error().systemError, ENOENT);
    EXPECT_EQ(file.Error().Text(), "No such file or directory");
}

TEST_F(FileAccessTest, FilesAboveTheLimitAreRefusedUnread) {
    const std::string p = dir.File("big.bin");
    WriteAllBytes(p, std::string(1025, 'x'));
    std::vector<std::uint8_t> bytes;
    kv::FileError error;
    EXPECT_FALSE(kv::ReadWholeFile(p, bytes, 1024, &error));
    EXPECT_EQ(error.kind, Kind::TooLarge);
    EXPECT_EQ(error.Text(), "the file is larger than 1 KiB");
    ASSERT_TRUE(kv::ReadWholeFile(p, bytes, 1025, &error));
    EXPECT_EQ(bytes.size(), 1025u);

    // A file that grows past the limit after it was opened is not read beyond it.
    WriteAllBytes(p, "abc");
    kv::InputFile file;
    ASSERT_TRUE(file.Open(p, 4));
    WriteAllBytes(p, "abcdefgh");
    EXPECT_FALSE(file.ReadRest(bytes));
    EXPECT_EQ(file.Error().kind, Kind::TooLarge);

    // A sparse file far above the limit costs nothing to refuse.
    const std::string huge = dir.File("huge.lug");
    WriteAllBytes(huge, "");
    ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(kv::kMaxProfileFileBytes) + 1), 0);
    kv::Profile profile;
    EXPECT_FALSE(profile.Load(huge, &error));
    EXPECT_EQ(error.Text(), "the file is larger than 4 MiB");
}

TEST_F(FileAccessTest, LinesComeOneAtATime) {
    const std::string p = dir.File("lines.txt");
    const std::string longLine(200000, 'y'); // longer than the read buffer
    WriteAllBytes(p, "one\r\ntwo\n\n" + longLine + "\nlast\r");
    kv::InputFile file;
    ASSERT_TRUE(file.Open(p, 1u << 20));
    kv::LineReader lines(file);
    std::vector<std::string> got;
    std::string_view line;
    while (lines.Next(line))
        got.emplace_back(line);
    EXPECT_EQ(got, (std::vector<std::string>{"one", "two", "", longLine, "last"}));
    EXPECT_EQ(lines.LineNumber(), 5u);
    EXPECT_FALSE(file.Error().IsSet());

    WriteAllBytes(p, "");
    ASSERT_TRUE(file.Open(p, 16));
    kv::LineReader none(file);
    EXPECT_FALSE(none.Next(line));
    EXPECT_EQ(none.LineNumber(), 0u);
}

// ---- Saving --------------------------------------------------------------------------------

TEST_F(FileAccessTest, SaveMethodFollowsTheTarget) {
    kv::SaveTarget t;
    t.exists = true;
    t.mode = S_IFREG | 0644;
    kv::FileError why;
    EXPECT_EQ(kv::ChooseSaveMethod(t), kv::SaveMethod::Replace);

    kv::SaveTarget fresh;
    fresh.exists = false;
    fresh.folderWritable = false; // creating it fails later, with the system's reason
    EXPECT_EQ(kv::ChooseSaveMethod(fresh), kv::SaveMethod::Replace);

    kv::SaveTarget linked = t;
    linked.links = 2;
    EXPECT_EQ(kv::ChooseSaveMethod(linked), kv::SaveMethod::InPlace);
    kv::SaveTarget lockedFolder = t;
    lockedFolder.folderWritable = false;
    EXPECT_EQ(kv::ChooseSaveMethod(lockedFolder), kv::SaveMethod::InPlace);
    kv::SaveTarget othersFile = t;
    othersFile.keepsOwner = false;
    EXPECT_EQ(kv::ChooseSaveMethod(othersFile), kv::SaveMethod::InPlace);

    // No write bit at all protects the file even where the system would allow the write.
    kv::SaveTarget readOnly = t;
    readOnly.mode = S_IFREG | 0444;
    EXPECT_EQ(kv::ChooseSaveMethod(readOnly, &why), kv::SaveMethod::Refuse);
    EXPECT_EQ(why.Text(), "the file is write-protected");
    kv::SaveTarget denied = t;
    denied.fileWritable = false;
    EXPECT_EQ(kv::ChooseSaveMethod(denied), kv::SaveMethod::Refuse);
    kv::SaveTarget pipe = t;
    pipe.regular = false;
    pipe.mode = S_IFIFO | 0644;
    EXPECT_EQ(kv::ChooseSaveMethod(pipe, &why), kv::SaveMethod::Refuse);
    EXPECT_EQ(why.kind, Kind::NotRegularFile);
}

TEST_F(FileAccessTest, ReplacingKeepsModeAndOwner) {
    const std::string p = dir.File("Default.set");
    WriteAllBytes(p, "old");
    ASSERT_EQ(::chmod(p.c_str(), 0600), 0);
    ASSERT_TRUE(kv::WriteWholeFile(p, "new contents", 12));
    EXPECT_EQ(AsString(ReadAllBytes(p)), "new contents");
    EXPECT_EQ(ModeOf(p), 0600u);
    ASSERT_EQ(::chmod(p.c_str(), 0640), 0);
    ASSERT_TRUE(kv::WriteWholeFile(p, "x", 1));
    EXPECT_EQ(ModeOf(p), 0640u);
    EXPECT_EQ(Names(), std::vector<std::string>{"Default.set"}); // no temporary file left

    // A new file gets the usual permissions of the process.
    const mode_t mask = ::umask(022);
    const std::string fresh = dir.File("fresh.csv");
    ASSERT_TRUE(kv::WriteWholeFile(fresh, "1", 1));
    ::umask(mask);
    EXPECT_EQ(ModeOf(fresh), 0644u);

    if (!kvtest::RunningAsRoot()) {
        GTEST_SKIP() << "keeping another user's ownership needs the administrator; checked only as root";
    }
    ASSERT_EQ(::chown(p.c_str(), 4321, 4322), 0);
    ASSERT_TRUE(kv::WriteWholeFile(p, "owned", 5));
    EXPECT_EQ(StatOf(p).st_uid, 4321u);
    EXPECT_EQ(StatOf(p).st_gid, 4322u);
    EXPECT_EQ(ModeOf(p), 0640u);
}

TEST_F(FileAccessTest, SymbolicLinksAreWrittenThrough) {
    fs::create_directory(dir.File("real"));
    const std::string target = dir.File("real/settings.set");
    WriteAllBytes(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0604), 0);
    // A relative link to a link to the file.
    const std::string hop = dir.File("hop.set");
    const std::string link = dir.File("link.set");
    ASSERT_EQ(::symlink("real/settings.set", hop.c_str()), 0);
    ASSERT_EQ(::symlink("hop.set", link.c_str()), 0);
    ASSERT_TRUE(kv::WriteWholeFile(link, "through", 7));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_symlink(hop));
    EXPECT_EQ(AsString(ReadAllBytes(target)), "through");
    EXPECT_EQ(ModeOf(target), 0604u);

    // A link to a file that does not exist yet creates the file.
    const std::string dangling = dir.File("dangling.set");
    ASSERT_EQ(::symlink("real/later.set", dangling.c_str()), 0);
    ASSERT_TRUE(kv::WriteWholeFile(dangling, "made", 4));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(AsString(ReadAllBytes(dir.File("real/later.set"))), "made");

    // A loop of links is refused.
    const std::string a = dir.File("a.set"), b = dir.File("b.set");
    ASSERT_EQ(::symlink("b.set", a.c_str()), 0);
    ASSERT_EQ(::symlink("a.set", b.c_str()), 0);
    kv::FileError error;
    EXPECT_FALSE(kv::WriteWholeFile(a, "x", 1, &error));
    EXPECT_EQ(error.systemError, ELOOP);
}

TEST_F(FileAccessTest, HardLinkedFilesAreRewrittenInPlace) {
    const std::string p = dir.File("one.set");
    const std::string q = dir.File("two.set");
    WriteAllBytes(p, "a longer old content");
    ASSERT_EQ(::link(p.c_str(), q.c_str()), 0);
    const ino_t inode = StatOf(p).st_ino;
    ASSERT_TRUE(kv::WriteWholeFile(q, "short", 5));
    EXPECT_EQ(AsString(ReadAllBytes(p)), "short");
    EXPECT_EQ(StatOf(p).st_ino, inode);
    EXPECT_EQ(StatOf(q).st_ino, inode);
    EXPECT_EQ(StatOf(p).st_nlink, 2u);
}

TEST_F(FileAccessTest, WriteProtectedAndSpecialFilesAreRefusedUntouched) {
    const std::string p = dir.File("locked.set");
    WriteAllBytes(p, "keep me");
    ASSERT_EQ(::chmod(p.c_str(), 0444), 0);
    kv::FileError error;
    EXPECT_FALSE(kv::WriteWholeFile(p, "lost", 4, &error));
    EXPECT_EQ(error.kind, Kind::WriteProtected);
    EXPECT_EQ(AsString(ReadAllBytes(p)), "keep me");
    EXPECT_EQ(ModeOf(p), 0444u);
    EXPECT_FALSE(kv::WriteFileInPlace(p, "lost", 4, &error));
    EXPECT_FALSE(kv::OverwriteFileStart(p, "lost", 4, &error));
    EXPECT_EQ(AsString(ReadAllBytes(p)), "keep me");

    // Saving onto a named pipe neither waits for a reader nor replaces the pipe.
    const std::string fifo = Fifo("pipe.csv");
    bool saved = true;
    ASSERT_TRUE(
        kvtest::FinishesWithin(5000, fifo, [&] { saved = kv::WriteWholeFile(fifo, "x", 1, &error); }));
    EXPECT_FALSE(saved);
    EXPECT_EQ(error.kind, Kind::NotRegularFile);
    EXPECT_TRUE(S_ISFIFO(StatOf(fifo).st_mode));
    ASSERT_TRUE(
        kvtest::FinishesWithin(5000, fifo, [&] { saved = kv::OverwriteFileStart(fifo, "x", 1, &error); }));
    EXPECT_FALSE(saved);
}

TEST_F(FileAccessTest, UnwritableFolderFallsBackToWritingInPlace) {
    fs::create_directory(dir.File("locked"));
    const std::string p = dir.File("locked/Default.set");
    WriteAllBytes(p, "old old old");
    const ino_t inode = StatOf(p).st_ino;
    // The administrator may write any folder, so as root the save runs as an ordinary user that
    // owns the file but cannot add names to its folder.
    const bool asRoot = kvtest::RunningAsRoot();
    const uid_t user = 65534;
    if (asRoot) {
        ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0); // the scratch folder is private
        ASSERT_EQ(::chown(dir.File("locked").c_str(), user, user), 0);
        ASSERT_EQ(::chown(p.c_str(), user, user), 0);
    }
    ASSERT_EQ(::chmod(dir.File("locked").c_str(), 0555), 0);
    auto save = [&] {
        const bool replaced = kv::WriteWholeFile(p, "new", 3);
        const bool created = kv::WriteWholeFile(dir.File("locked/other.set"), "x", 1);
        return replaced && !created && StatOf(p).st_ino == inode && AsString(ReadAllBytes(p)) == "new";
    };
    bool ok = false;
    if (asRoot) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const bool dropped = ::setgid(user) == 0 && ::setuid(user) == 0;
            if (dropped && ::access(p.c_str(), W_OK) != 0)
                ::_exit(2); // a private folder above the build folder keeps the user out
            ::_exit(dropped && save() ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 2) {
            ::chmod(dir.File("locked").c_str(), 0755);
            GTEST_SKIP() << "an ordinary user cannot reach the build folder";
        }
        ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    } else {
        ok = save();
    }
    ::chmod(dir.File("locked").c_str(), 0755);
    EXPECT_TRUE(ok) << "the file was not rewritten in place, or a new file appeared in the locked folder";
    EXPECT_EQ(AsString(ReadAllBytes(p)), "new");
}

TEST_F(FileAccessTest, InPlaceWritesKeepTheFileAndCutIt) {
    const std::string p = dir.File("place.set");
    WriteAllBytes(p, std::string(100, 'o'));
    ASSERT_EQ(::chmod(p.c_str(), 0620), 0);
    const ino_t inode = StatOf(p).st_ino;
    ASSERT_TRUE(kv::WriteFileInPlace(p, "shorter", 7));
    EXPECT_EQ(AsString(ReadAllBytes(p)), "shorter");
    const std::string longer(5000, 'n');
    ASSERT_TRUE(kv::WriteFileInPlace(p, longer.data(), longer.size()));
    EXPECT_EQ(AsString(ReadAllBytes(p)), longer);
    EXPECT_EQ(StatOf(p).st_ino, inode);
    EXPECT_EQ(ModeOf(p), 0620u);
    kv::FileError error;
    EXPECT_FALSE(kv::WriteFileInPlace(dir.File("absent.set"), "x", 1, &error));
    EXPECT_EQ(error.systemError, ENOENT);

    // Only the start of the file changes.
    ASSERT_TRUE(kv::OverwriteFileStart(p, "HEAD", 4));
    EXPECT_EQ(AsString(ReadAllBytes(p)), "HEAD" + longer.substr(4));
}

TEST_F(FileAccessTest, AFailedSaveLeavesThePreviousFile) {
    const std::string p = dir.File("Default.set");
    const std::string q = dir.File("twin.set");
    WriteAllBytes(p, "previous");
    kv::SetAtomicWriteFailureForTesting(true);
    kv::FileError error;
    EXPECT_FALSE(kv::WriteWholeFile(p, "next", 4, &error));
    EXPECT_EQ(error.systemError, ENOSPC);
    EXPECT_EQ(AsString(ReadAllBytes(p)), "previous");
    // The same for the in-place road of a hard-linked file.
    ASSERT_EQ(::link(p.c_str(), q.c_str()), 0);
    EXPECT_FALSE(kv::WriteWholeFile(q, "next", 4, &error));
    kv::SetAtomicWriteFailureForTesting(false);
    EXPECT_EQ(AsString(ReadAllBytes(p)), "previous");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Default.set", "twin.set"}));
}

TEST_F(FileAccessTest, NamesUpToTheLongestTheSystemTakes) {
    for (std::size_t length : {249u, 250u, 254u, 255u}) {
        const std::string name = std::string(length - 4, 'n') + ".set";
        const std::string p = dir.File(name);
        ASSERT_TRUE(kv::WriteWholeFile(p, "first", 5)) << length;
        ASSERT_TRUE(kv::WriteWholeFile(p, "second", 6)) << length;
        EXPECT_EQ(AsString(ReadAllBytes(p)), "second") << length;
        std::vector<std::uint8_t> back;
        EXPECT_TRUE(kv::ReadWholeFile(p, back, 64)) << length;
        fs::remove(p);
    }
    EXPECT_TRUE(Names().empty());
}

} // namespace
