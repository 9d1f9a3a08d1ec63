// Who may read and write a saved file: a save keeps the old file's access control list and
// extended attributes, and its temporary is never more open than the file it replaces.
#include "system/FileAccess.h"

#include "ChildProcess.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using kvtest::AsString;
using kvtest::ModeOf;
using kvtest::ReadAllBytes;
using kvtest::StatOf;
using kvtest::WriteAllBytes;

constexpr char kAccessAcl[] = "system.posix_acl_access";
constexpr char kDefaultAcl[] = "system.posix_acl_default";

// One entry of an access control list as the kernel stores it in its extended attribute.
struct AclEntry {
    std::uint16_t tag;
    std::uint16_t perm; // 4 read, 2 write, 1 execute
    std::uint32_t id;
};
constexpr std::uint16_t kUserObj = 0x01, kUser = 0x02, kGroupObj = 0x04, kMask = 0x10, kOther = 0x20;
constexpr std::uint32_t kNoId = 0xFFFFFFFFu;

std::vector<char> EncodeAcl(const std::vector<AclEntry>& entries) {
    std::vector<char> out(4 + 8 * entries.size());
    const std::uint32_t version = 2;
    std::memcpy(out.data(), &version, 4);
    for (std::size_t i = 0; i < entries.size(); ++i)
        std::memcpy(out.data() + 4 + 8 * i, &entries[i], 8);
    return out;
}

std::vector<AclEntry> DecodeAcl(const std::vector<char>& bytes) {
    std::vector<AclEntry> out;
    for (std::size_t at = 4; at + 8 <= bytes.size(); at += 8) {
        AclEntry e{};
        std::memcpy(&e, bytes.data() + at, 8);
        out.push_back(e);
    }
    return out;
}

// The attribute's value; empty with *present false when the file has none.
std::vector<char> Attribute(const std::string& path, const char* name, bool* present = nullptr) {
    std::vector<char> value(4096);
    const ssize_t n = ::getxattr(path.c_str(), name, value.data(), value.size());
    if (present)
        *present = n >= 0;
    value.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return value;
}

// Permission bits the list gives an entry, or -1 when it has no such entry.
int PermOf(const std::vector<AclEntry>& acl, std::uint16_t tag, std::uint32_t id = kNoId) {
    for (const AclEntry& e : acl)
        if (e.tag == tag && (id == kNoId || e.id == id))
            return e.perm;
    return -1;
}

class SaveAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.Ok());
        // Other users must reach the files for the access checks run as them.
        ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    }
    void TearDown() override { kv::SetSaveFaultsForTesting(nullptr); }

    // Sets an access list on `path`; false (the test then skips) where the file system has none.
    bool SetAcl(const std::string& path, const std::vector<AclEntry>& entries,
                const char* name = kAccessAcl) {
        const std::vector<char> bytes = EncodeAcl(entries);
        return ::setxattr(path.c_str(), name, bytes.data(), bytes.size(), 0) == 0;
    }

    // Whether user `uid` (with primary group `gid`) may open the file for reading and for
    // writing, tried for real in a child that takes that identity. -1 when it cannot be tried.
    int AccessAs(const std::string& path, uid_t uid, gid_t gid, int flags) {
        if (!kvtest::RunningAsRoot())
            return -1;
        const kvtest::ChildEnd end = kvtest::RunInChild([&] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                return kvtest::kChildCannotSetUp;
            const int fd = ::open(path.c_str(), flags);
            if (fd < 0)
                return errno == EACCES ? 0 : kvtest::kChildCannotSetUp;
            ::close(fd);
            return 1;
        });
        return end.exited && end.code <= 1 ? end.code : -1;
    }

    kvtest::ScratchFolder dir{"kv-save-access-"};
};

// A file whose list closes it to its owning group and opens it to user 4242: after a save both
// still hold, and an extended attribute of the user's own is kept too.
TEST_F(SaveAccessTest, AccessListAndAttributesSurviveTheSave) {
    const std::string p = dir.File("shared.csv");
    WriteAllBytes(p, "old,0,0\n");
    ASSERT_EQ(::chmod(p.c_str(), 0660), 0);
    const std::vector<AclEntry> acl = {
        {kUserObj, 6, kNoId}, {kUser, 6, 4242}, {kGroupObj, 0, kNoId}, {kMask, 6, kNoId}, {kOther, 0, kNoId}};
    if (!SetAcl(p, acl))
        GTEST_SKIP() << "the build folder's file system keeps no access lists (" << std::strerror(errno)
                     << ")";
    ASSERT_EQ(::setxattr(p.c_str(), "user.kelvane.note", "probe 7", 7, 0), 0);
    const std::vector<char> before = Attribute(p, kAccessAcl);
    const ino_t inode = StatOf(p).st_ino;

    // The temporary has the list and the mode before its first byte is written.
    std::vector<char> seenAcl;
    mode_t seenMode = 0;
    off_t seenSize = -1;
    kv::SaveFaultsForTesting faults;
    faults.temporaryReady = [&](const std::string& tmp) {
        seenAcl = Attribute(tmp, kAccessAcl);
        seenMode = ModeOf(tmp);
        seenSize = StatOf(tmp).st_size;
    };
    kv::SetSaveFaultsForTesting(&faults);
    kv::FileError error;
    ASSERT_TRUE(kv::WriteWholeFile(p, "new,1,1\n", 8, &error)) << error.Text();
    kv::SetSaveFaultsForTesting(nullptr);

    EXPECT_NE(StatOf(p).st_ino, inode) << "saved by replacement, the road that lost the list";
    EXPECT_EQ(AsString(ReadAllBytes(p)), "new,1,1\n");
    EXPECT_EQ(Attribute(p, kAccessAcl), before);
    const std::vector<AclEntry> after = DecodeAcl(Attribute(p, kAccessAcl));
    EXPECT_EQ(PermOf(after, kUser, 4242), 6);
    EXPECT_EQ(PermOf(after, kGroupObj), 0);
    EXPECT_EQ(ModeOf(p), 0660u);
    const std::vector<char> note = Attribute(p, "user.kelvane.note");
    EXPECT_EQ(std::string(note.begin(), note.end()), "probe 7");
    EXPECT_EQ(seenAcl, before);
    EXPECT_EQ(seenMode, 0660u);
    EXPECT_EQ(seenSize, 0);

    // Tried for real: user 4242 reads and writes it, a member of the owning group does not.
    const gid_t group = StatOf(p).st_gid;
    const int user4242 = AccessAs(p, 4242, 4242, O_RDWR);
    const int groupMember = AccessAs(p, 4343, group, O_RDONLY);
    if (user4242 < 0 || groupMember < 0)
        GTEST_SKIP() << "access as other users is checked only as the administrator";
    EXPECT_EQ(user4242, 1);
    EXPECT_EQ(groupMember, 0);
}

// A folder's default list is inherited by every new file; the old file did not have it, and its
// group bits would have become the mask that opens the file to the list's users.
TEST_F(SaveAccessTest, AFoldersDefaultListDoesNotOpenAReplacedFile) {
    const std::string sub = dir.File("team");
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    const std::string p = sub + "/Default.set";
    WriteAllBytes(p, "old");
    ASSERT_EQ(::chmod(p.c_str(), 0660), 0);
    const std::vector<AclEntry> def = {
        {kUserObj, 7, kNoId}, {kUser, 6, 4242}, {kGroupObj, 5, kNoId}, {kMask, 7, kNoId}, {kOther, 5, kNoId}};
    if (!SetAcl(sub, def, kDefaultAcl))
        GTEST_SKIP() << "the build folder's file system keeps no access lists";
    ASSERT_TRUE(kv::WriteWholeFile(p, "new", 3));
    bool hasAcl = true;
    Attribute(p, kAccessAcl, &hasAcl);
    EXPECT_FALSE(hasAcl) << "the replacement took the folder's list: user 4242 may now write it";
    EXPECT_EQ(ModeOf(p), 0660u);
    EXPECT_EQ(AsString(ReadAllBytes(p)), "new");
}

// Another user watching the folder opens each temporary the moment it appears: it must never be
// more open than the private file it replaces.
TEST_F(SaveAccessTest, TemporaryIsNeverMoreOpenThanThePrivateFile) {
    const std::string p = dir.File("private.set");
    const std::string contents(16384, 's');
    WriteAllBytes(p, contents);
    ASSERT_EQ(::chmod(p.c_str(), 0600), 0);
    const mode_t mask = ::umask(022); // new files would be 0644

    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, dir.Path().c_str(), IN_CREATE), 0);
    std::atomic<bool> done{false};
    std::atomic<int> observed{0}, open{0};
    std::thread watcher([&] {
        alignas(inotify_event) char buf[8192];
        while (!done) {
            const ssize_t n = ::read(watch, buf, sizeof buf);
            if (n <= 0) {
                std::this_thread::yield();
                continue;
            }
            for (char* at = buf; at < buf + n;) {
                const auto* ev = reinterpret_cast<const inotify_event*>(at);
                at += sizeof(inotify_event) + ev->len;
                if (ev->len == 0 || std::strncmp(ev->name, ".kv-save-", 9) != 0)
                    continue;
                struct stat st {};
                if (::stat(dir.File(ev->name).c_str(), &st) != 0)
                    continue; // renamed already
                ++observed;
                if (st.st_mode & 077)
                    ++open;
            }
        }
    });
    int saved = 0;
    for (int i = 0; i < 200; ++i)
        saved += kv::WriteWholeFile(p, contents.data(), contents.size()) ? 1 : 0;
    done = true;
    watcher.join();
    ::close(watch);
    ::umask(mask);

    EXPECT_EQ(saved, 200);
    ASSERT_GT(observed.load(), 0) << "no temporary was seen while it existed";
    EXPECT_EQ(open.load(), 0) << open.load() << " of " << observed.load()
                              << " temporaries could be read by the group or others";
    EXPECT_EQ(ModeOf(p), 0600u);
}

// Where the new file cannot have the old file's group (its owner no longer belongs to it), a
// replacement would hand the group's access to another group: the file is rewritten in place.
TEST_F(SaveAccessTest, AGroupThatCannotBeKeptMeansSavingInPlace) {
    if (!kvtest::RunningAsRoot())
        GTEST_SKIP() << "giving a file a group its owner is not in needs the administrator";
    const std::string p = dir.File("group.set");
    WriteAllBytes(p, "old");
    const uid_t user = 4444;
    const gid_t foreignGroup = 4445;
    ASSERT_EQ(::chown(dir.Path().c_str(), user, user), 0);
    ASSERT_EQ(::chown(p.c_str(), user, foreignGroup), 0);
    ASSERT_EQ(::chmod(p.c_str(), 0640), 0);
    const ino_t inode = StatOf(p).st_ino;
    const kvtest::ChildEnd end = kvtest::RunInChild([&] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(user) != 0 || ::setuid(user) != 0)
            return kvtest::kChildCannotSetUp;
        return kv::WriteWholeFile(p, "new", 3) ? 0 : 1;
    });
    ::chown(dir.Path().c_str(), 0, 0);
    ASSERT_TRUE(end.exited);
    if (end.code == kvtest::kChildCannotSetUp)
        GTEST_SKIP() << "cannot act as another user here";
    EXPECT_EQ(end.code, 0);
    EXPECT_EQ(AsString(ReadAllBytes(p)), "new");
    EXPECT_EQ(StatOf(p).st_ino, inode);
    EXPECT_EQ(StatOf(p).st_gid, foreignGroup);
    EXPECT_EQ(ModeOf(p), 0640u);
}

} // namespace
