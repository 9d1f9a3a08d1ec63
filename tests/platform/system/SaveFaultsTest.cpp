// Saves that go wrong: killed mid-way (their debris is cleaned up by later saves, a live save's
// temporary never), a disk that fills up under an in-place save, a file-size limit, a read-only
// file system. In each case the old file survives and the reason is told.
#include "system/FileAccess.h"

#include "ChildProcess.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kvtest::AsString;
using kvtest::ReadAllBytes;
using kvtest::StatOf;
using kvtest::WriteAllBytes;

class SaveFaultsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.Ok()); }
    void TearDown() override {
        kv::SetSaveFaultsForTesting(nullptr);
        for (pid_t child : children) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
    }
    std::vector<std::string> Temporaries() const { return TemporariesIn(dir.Path()); }
    static std::vector<std::string> TemporariesIn(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) {
            const std::string name = e.path().filename().string();
            if (name.rfind(".kv-save-", 0) == 0)
                names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // Starts a save of `path` in a child process that stops once its temporary exists: killed
    // there (kill = true) it leaves the temporary behind; otherwise it waits, a save in progress,
    // until the test kills it.
    pid_t StartSaveThatStops(const std::string& path, bool kill) {
        int ready[2];
        if (::pipe(ready) != 0)
            return -1;
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(ready[0]);
            kv::SaveFaultsForTesting faults;
            faults.temporaryReady = [&](const std::string&) {
                if (kill)
                    ::raise(SIGKILL);
                [[maybe_unused]] const ssize_t told = ::write(ready[1], "r", 1);
                for (;;)
                    ::pause();
            };
            kv::SetSaveFaultsForTesting(&faults);
            kv::WriteWholeFile(path, "never", 5);
            ::_exit(1);
        }
        ::close(ready[1]);
        if (kill) {
            ::waitpid(child, nullptr, 0);
        } else {
            char c = 0;
            [[maybe_unused]] const ssize_t heard = ::read(ready[0], &c, 1);
            children.push_back(child);
        }
        ::close(ready[0]);
        return child;
    }
    // A process id that no process has now.
    static pid_t DeadPid() {
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(0);
        ::waitpid(child, nullptr, 0);
        return child;
    }

    kvtest::ScratchFolder dir{"kv-save-faults-"};
    std::vector<pid_t> children;
};

// ---- Debris of killed saves ----------------------------------------------------------------

TEST_F(SaveFaultsTest, AKilledSavesTemporaryIsRemovedByTheNextSave) {
    const std::string p = dir.File("Default.set");
    WriteAllBytes(p, "old");
    StartSaveThatStops(p, true);
    ASSERT_EQ(Temporaries().size(), 1u) << "the killed save left no temporary to clean up";
    EXPECT_EQ(AsString(ReadAllBytes(p)), "old");
    // A save of another file in that folder clears it.
    ASSERT_TRUE(kv::WriteWholeFile(dir.File("trace.csv"), "1", 1));
    EXPECT_TRUE(Temporaries().empty());

    // A killed save's debris goes with the next save of the same file too, and the start-up
    // call for the folder clears what the last one left.
    StartSaveThatStops(p, true);
    StartSaveThatStops(p, true);
    ASSERT_EQ(Temporaries().size(), 1u);
    EXPECT_EQ(kv::RemoveStaleSaveTemporaries(dir.Path()), 1u);
    EXPECT_TRUE(Temporaries().empty());
    EXPECT_EQ(AsString(ReadAllBytes(p)), "old");
}

TEST_F(SaveFaultsTest, ASaveInProgressKeepsItsTemporary) {
    const std::string p = dir.File("busy.set");
    WriteAllBytes(p, "old");
    const pid_t writer = StartSaveThatStops(p, false);
    ASSERT_EQ(Temporaries().size(), 1u);
    EXPECT_EQ(kv::RemoveStaleSaveTemporaries(dir.Path()), 0u);
    ASSERT_TRUE(kv::WriteWholeFile(dir.File("other.set"), "x", 1));
    EXPECT_EQ(Temporaries().size(), 1u) << "a live writer's temporary was removed";
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    children.clear();
    EXPECT_EQ(kv::RemoveStaleSaveTemporaries(dir.Path()), 1u);
    EXPECT_TRUE(Temporaries().empty());
}

// Only the temporaries' own pattern, only files, only when the writer is gone: a reused process
// id is told from its first owner by the process's start time, and a writer's lock counts even
// where its process cannot be seen.
TEST_F(SaveFaultsTest, OnlyStaleTemporariesOfTheOwnPatternAreRemoved) {
    // This process's own temporary name, taken from a real save.
    std::string own;
    kv::SaveFaultsForTesting faults;
    faults.temporaryReady = [&](const std::string& tmp) { own = fs::path(tmp).filename().string(); };
    kv::SetSaveFaultsForTesting(&faults);
    ASSERT_TRUE(kv::WriteWholeFile(dir.File("probe.set"), "p", 1));
    kv::SetSaveFaultsForTesting(nullptr);
    const std::string prefix = ".kv-save-" + std::to_string(::getpid()) + "-";
    ASSERT_EQ(own.rfind(prefix, 0), 0u) << own;
    const std::string start = own.substr(prefix.size(), own.rfind('-') - prefix.size());
    const unsigned long long ownStart = std::stoull(start);
    const std::string dead = std::to_string(DeadPid());

    const auto make = [&](const std::string& name) {
        WriteAllBytes(dir.File(name), "debris");
        return name;
    };
    // Removed: a dead writer; an earlier process that had our id; an earlier anonymous temporary
    // left an hour ago (and below, a live id with another start: the id was reused).
    std::vector<std::string> stale = {
        make(".kv-save-" + dead + "-12345-abc123"),
        make(prefix + std::to_string(ownStart + 1) + "-abc123"),
        make(".kv-save-0a1b2c3d"),
    };
    const struct timeval old[2] = {{::time(nullptr) - 7200, 0}, {::time(nullptr) - 7200, 0}};
    ASSERT_EQ(::utimes(dir.File(".kv-save-0a1b2c3d").c_str(), old), 0);
    // Kept: our own live save; an anonymous one that may still be written; other names.
    std::vector<std::string> kept = {
        make(prefix + start + "-zzzzzz"),           make(".kv-save-0a1b2c3e"),
        make(".kv-save-" + dead + "-1-abc"),        make("kv-save-" + dead + "-1-abc123"),
        make(".kv-save-" + dead + "-1-abc123.csv"), make("Default.set"),
    };
    ASSERT_EQ(::mkdir(dir.File(".kv-save-" + dead + "-2-abc123").c_str(), 0755), 0);
    kept.push_back(".kv-save-" + dead + "-2-abc123");
    ASSERT_EQ(::symlink("Default.set", dir.File(".kv-save-" + dead + "-3-abc123").c_str()), 0);
    kept.push_back(".kv-save-" + dead + "-3-abc123");
    // A dead id, but a live process holds the file's lock (a writer on another machine).
    const std::string locked = make(".kv-save-" + dead + "-4-abc123");
    kept.push_back(locked);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        const int fd = ::open(dir.File(locked).c_str(), O_RDONLY);
        const bool held = fd >= 0 && ::flock(fd, LOCK_EX) == 0;
        [[maybe_unused]] const ssize_t told = ::write(ready[1], held ? "y" : "n", 1);
        for (;;)
            ::pause();
    }
    children.push_back(holder);
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    ASSERT_EQ(held, 'y');
    // The holder lives, but it started long after tick 1 of the machine's uptime.
    stale.push_back(make(".kv-save-" + std::to_string(holder) + "-1-abc123"));

    EXPECT_EQ(kv::RemoveStaleSaveTemporaries(dir.Path()), stale.size());
    for (const std::string& name : stale)
        EXPECT_FALSE(fs::exists(fs::symlink_status(dir.File(name)))) << name << " was left";
    for (const std::string& name : kept)
        EXPECT_TRUE(fs::exists(fs::symlink_status(dir.File(name)))) << name << " was removed";
}

// Saves killed at random moments, again and again: the file is always either the old or the new
// contents, whole, and the next save leaves no temporary behind. KV_SAVE_KILLS sets the count.
TEST_F(SaveFaultsTest, SavesKilledAtRandomNeverTearTheFileNorLeaveDebris) {
    const char* env = std::getenv("KV_SAVE_KILLS");
    const int kills = env ? std::max(1, std::atoi(env)) : 40;
    const std::string p = dir.File("Default.set");
    const std::string a(200000, 'a'), b(150000, 'b');
    WriteAllBytes(p, a);
    std::mt19937 random(12345);
    int torn = 0, debrisSeen = 0, killedMidSave = 0;
    for (int i = 0; i < kills; ++i) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int n = 0;; ++n) {
                const std::string& next = n % 2 ? a : b;
                kv::WriteWholeFile(p, next.data(), next.size());
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200 + random() % 3000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string now = AsString(ReadAllBytes(p));
        torn += now != a && now != b ? 1 : 0;
        const std::size_t left = Temporaries().size();
        debrisSeen += static_cast<int>(left);
        killedMidSave += left > 0 ? 1 : 0;
    }
    ASSERT_TRUE(kv::WriteWholeFile(dir.File("after.csv"), "1", 1));
    std::printf("%d kills: %d torn files, %d killed mid-save leaving %d temporaries, %zu left after the "
                "next save\n",
                kills, torn, killedMidSave, debrisSeen, Temporaries().size());
    EXPECT_EQ(torn, 0);
    EXPECT_TRUE(Temporaries().empty());
}

// ---- A full disk under an in-place save ----------------------------------------------------

class InPlaceOnAFullDisk : public SaveFaultsTest {
protected:
    void SetUp() override {
        SaveFaultsTest::SetUp();
        // A hard-linked CSV is rewritten in place.
        old.assign(40000, 'o');
        for (std::size_t i = 0; i < old.size(); i += 10)
            old[i] = '\n';
        WriteAllBytes(p, old);
        ASSERT_EQ(::link(p.c_str(), dir.File("twin.csv").c_str()), 0);
        fresh.assign(100000, 'n');
        faults.noSpaceReservation = true; // as on ext2
    }
    std::string p = dir.File("wave.csv");
    std::string old, fresh;
    kv::SaveFaultsForTesting faults;
};

TEST_F(InPlaceOnAFullDisk, TooLittleFreeSpaceIsRefusedBeforeTheFileChanges) {
    faults.freeBytes = 32768;
    bool touched = false;
    faults.temporaryReady = [&](const std::string&) { touched = true; };
    kv::SetSaveFaultsForTesting(&faults);
    kv::FileError error;
    EXPECT_FALSE(kv::WriteWholeFile(p, fresh.data(), fresh.size(), &error));
    EXPECT_EQ(error.systemError, ENOSPC);
    EXPECT_EQ(error.Text(), "No space left on device");
    EXPECT_EQ(AsString(ReadAllBytes(p)), old);
    EXPECT_FALSE(touched);
    // With room for it the same save goes through.
    faults.freeBytes = 1 << 20;
    EXPECT_TRUE(kv::WriteWholeFile(p, fresh.data(), fresh.size(), &error)) << error.Text();
    EXPECT_EQ(AsString(ReadAllBytes(dir.File("twin.csv"))), fresh);
}

TEST_F(InPlaceOnAFullDisk, AWriteThatFailsPartWayPutsTheOldContentsBack) {
    // The free space looked sufficient, then ran out after 28672 bytes (another writer, a quota).
    faults.writeFailsAfter = 28672;
    kv::SetSaveFaultsForTesting(&faults);
    kv::FileError error;
    EXPECT_FALSE(kv::WriteWholeFile(p, fresh.data(), fresh.size(), &error));
    EXPECT_EQ(error.systemError, ENOSPC);
    kv::SetSaveFaultsForTesting(nullptr);
    EXPECT_EQ(AsString(ReadAllBytes(p)), old) << "the old CSV was replaced by the start of the new one";
    EXPECT_EQ(StatOf(p).st_nlink, 2u);
    // A shorter save failing part-way leaves the old length too.
    faults.writeFailsAfter = 100;
    kv::SetSaveFaultsForTesting(&faults);
    EXPECT_FALSE(kv::WriteWholeFile(p, fresh.data(), 20000, &error));
    kv::SetSaveFaultsForTesting(nullptr);
    EXPECT_EQ(AsString(ReadAllBytes(p)), old);
}

// The same on a real ext2 file system that fills up, where the system allows making one (an
// administrator with loop devices); a mount namespace of its own keeps it from everyone else.
TEST_F(SaveFaultsTest, InPlaceSaveOnAFullExt2KeepsTheOldCsv) {
    if (!kvtest::RunningAsRoot() || std::system("command -v mkfs.ext2 >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "making an ext2 file system needs the administrator and mkfs.ext2";
    const std::string image = dir.File("small.ext2"), mnt = dir.File("mnt");
    ASSERT_EQ(::mkdir(mnt.c_str(), 0755), 0);
    const kvtest::ChildEnd end = kvtest::RunInChild([&] {
        if (!kvtest::OwnMountNamespace())
            return kvtest::kChildCannotSetUp;
        const std::string make = "truncate -s 1M '" + image + "' && mkfs.ext2 -q -F -b 1024 '" + image +
                                 "' >/dev/null 2>&1 && mount -o loop '" + image + "' '" + mnt +
                                 "' 2>/dev/null";
        if (std::system(make.c_str()) != 0)
            return kvtest::kChildCannotSetUp;
        const std::string csv = mnt + "/wave.csv", twin = mnt + "/twin.csv", plain = mnt + "/plain.csv";
        const std::string old(40000, 'o'), fresh(300000, 'n');
        WriteAllBytes(csv, old);
        WriteAllBytes(plain, old);
        if (::link(csv.c_str(), twin.c_str()) != 0)
            return 10;
        // Fill the disk.
        {
            std::ofstream fill(mnt + "/fill", std::ios::binary);
            const std::string block(4096, 'f');
            while (fill.write(block.data(), block.size()))
                fill.flush();
        }
        kv::FileError error;
        int code = 0;
        if (kv::WriteWholeFile(twin, fresh.data(), fresh.size(), &error) || error.systemError != ENOSPC)
            code |= 1;
        if (AsString(ReadAllBytes(csv)) != old)
            code |= 2;
        // The replacing road on the same disk: the temporary fails, the file stays.
        if (kv::WriteWholeFile(plain, fresh.data(), fresh.size(), &error) || error.systemError != ENOSPC)
            code |= 4;
        if (AsString(ReadAllBytes(plain)) != old || !TemporariesIn(mnt).empty())
            code |= 8;
        ::umount(mnt.c_str());
        return code;
    });
    ASSERT_TRUE(end.exited) << "ended by signal " << end.signal;
    if (end.code == kvtest::kChildCannotSetUp)
        GTEST_SKIP() << "no loop-mounted ext2 here";
    EXPECT_EQ(end.code & 1, 0) << "the in-place save was not refused with \"No space left on device\"";
    EXPECT_EQ(end.code & 2, 0) << "the old CSV did not survive the failed in-place save";
    EXPECT_EQ(end.code & 4, 0) << "the replacing save did not fail with ENOSPC";
    EXPECT_EQ(end.code & 8, 0) << "the replacing save lost the old file or left its temporary";
    EXPECT_EQ(end.code, 0);
}

// ---- A file-size limit ---------------------------------------------------------------------

TEST_F(SaveFaultsTest, AFileSizeLimitFailsTheSaveWithoutEndingTheProcess) {
    const std::string p = dir.File("big.csv"), twin = dir.File("twin.csv");
    const std::string old(1000, 'o'), fresh(100000, 'n');
    WriteAllBytes(p, old);
    const std::string q = dir.File("linked.csv");
    WriteAllBytes(q, old);
    ASSERT_EQ(::link(q.c_str(), twin.c_str()), 0);
    const kvtest::ChildEnd end = kvtest::RunInChild([&] {
        if (!kvtest::LimitFileSize(64 * 512)) // ulimit -f 64
            return kvtest::kChildCannotSetUp;
        kv::FileError error;
        int code = 0;
        if (kv::WriteWholeFile(p, fresh.data(), fresh.size(), &error) || error.systemError != EFBIG ||
            error.Text() != "File too large")
            code |= 1;
        if (kv::WriteWholeFile(twin, fresh.data(), fresh.size(), &error) || error.systemError != EFBIG)
            code |= 2;
        // Within the limit a save still goes through.
        if (!kv::WriteWholeFile(dir.File("small.csv"), "1,0,0\n", 6))
            code |= 4;
        return code;
    });
    ASSERT_TRUE(end.exited) << "the save ended the process with signal " << end.signal;
    EXPECT_EQ(end.code, 0);
    EXPECT_EQ(AsString(ReadAllBytes(p)), old);
    EXPECT_EQ(AsString(ReadAllBytes(q)), old);
    EXPECT_TRUE(Temporaries().empty());
}

TEST_F(SaveFaultsTest, StreamsStopAtTheFileSizeLimit) {
    const std::string p = dir.File("report.pdf");
    const kvtest::ChildEnd end = kvtest::RunInChild([&] {
        if (!kvtest::LimitFileSize(8192))
            return kvtest::kChildCannotSetUp;
        kv::OutputStream out;
        if (!out.Open(p))
            return 1;
        const std::string chunk(3000, 'x');
        const bool first = out.Write(chunk.data(), chunk.size()) && out.Write(chunk.data(), chunk.size());
        const bool third = out.Write(chunk.data(), chunk.size());
        const bool closed = out.Close();
        return first && !third && !closed && out.Error().systemError == EFBIG ? 0 : 2;
    });
    ASSERT_TRUE(end.exited) << "ended by signal " << end.signal;
    EXPECT_EQ(end.code, 0);
    EXPECT_EQ(StatOf(p).st_size, 6000);
}

// ---- A read-only file system ---------------------------------------------------------------

TEST_F(SaveFaultsTest, AReadOnlyFileSystemIsToldAsSuch) {
    kv::SaveTarget t;
    t.exists = true;
    t.mode = S_IFREG | 0644;
    t.fileWritable = false;
    t.writeRefusal = EROFS;
    kv::FileError why;
    EXPECT_EQ(kv::ChooseSaveMethod(t, &why), kv::SaveMethod::Refuse);
    EXPECT_EQ(why.Text(), "Read-only file system");

    const std::string ro = dir.File("ro");
    ASSERT_EQ(::mkdir(ro.c_str(), 0755), 0);
    const std::string p = ro + "/Default.set";
    WriteAllBytes(p, "old");
    ASSERT_EQ(::link(p.c_str(), (ro + "/twin.set").c_str()), 0);
    const kvtest::ChildEnd end = kvtest::RunInChild([&] {
        if (!kvtest::OwnMountNamespace() || !kvtest::MakeFolderReadOnly(ro))
            return kvtest::kChildCannotSetUp;
        kv::FileError error;
        int code = 0;
        if (kv::WriteWholeFile(p, "new", 3, &error) || error.Text() != "Read-only file system")
            code |= 1;
        if (kv::WriteWholeFile(ro + "/twin.set", "new", 3, &error) || error.Text() != "Read-only file system")
            code |= 2;
        if (kv::OverwriteFileStart(p, "new", 3, &error) || error.Text() != "Read-only file system")
            code |= 4;
        if (kv::WriteWholeFile(ro + "/fresh.csv", "1", 1, &error) || error.Text() != "Read-only file system")
            code |= 8;
        return code;
    });
    ASSERT_TRUE(end.exited);
    if (end.code == kvtest::kChildCannotSetUp)
        GTEST_SKIP() << "a read-only mount needs the administrator";
    EXPECT_EQ(end.code, 0) << "a save on the read-only file system was not told as such (code " << end.code
                           << ")";
    EXPECT_EQ(AsString(ReadAllBytes(p)), "old");
}

} // namespace
