// Installed where the user may not write the program folder (mode 0555, a normal user): the
// settings live in the user's configuration folder (~/.config/kelvane, made private when it is
// missing), persist from one run to the next, and language files added there are listed after
// the program's own. A program folder the user may write keeps "Default.set" beside the program.
//
// Root may write any folder whatever its mode, so when the test runs as root it runs the program
// as another user (setpriv, from util-linux) and the program meets the same refusal a normal
// user does; run as a normal user, it runs the program directly.
#include "ProgramProcess.h"

#include "SavedSettings.h"
#include "system/Profile.h"

using namespace programtest;

namespace {

void WriteLanguage(const fs::path& file, const std::string& name) {
    kv::Profile profile;
    profile.SetString("App", "8888", name);
    profile.SetString("App", "4010", "Demo");
    const std::vector<std::uint8_t> bytes = profile.ToBytes();
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Hands a folder tree to `user` (as root): the program run as that user owns its home.
void GiveTo(const fs::path& path, uid_t user) {
    ASSERT_EQ(::chown(path.c_str(), user, user), 0) << path;
    for (const auto& entry : fs::recursive_directory_iterator(path))
        ASSERT_EQ(::lchown(entry.path().c_str(), user, user), 0) << entry.path();
}

class ReadOnlyProgramFolder : public ::testing::Test {
protected:
    Scratch scratch{"read-only-program"};
    fs::path folder = scratch.Path() / "program";
    fs::path home = scratch.Path() / "home";
    fs::path userFolder = home / ".config" / "kelvane";
    fs::path program;
    uid_t user = RunningAsRoot() ? kOtherUser : static_cast<uid_t>(-1);

    void SetUp() override {
        program = InstallProgram(KV_DRIVEN_KELVANE, folder);
        WriteLanguage(folder / "language" / "Alpha.lug", "Alpha");
        fs::permissions(folder / "language", fs::perms(0555));
        fs::permissions(folder, fs::perms(0555));
        fs::create_directories(home);
        if (RunningAsRoot()) {
            ASSERT_TRUE(fs::exists("/usr/bin/setpriv"))
                << "setpriv (util-linux) runs the program as a normal user";
            GiveTo(home, user);
        }
    }

    // One run: start, change the time base, end by SIGTERM. Returns the start and changed index.
    std::pair<int, int> RunOnce(std::string* languages = nullptr) {
        std::vector<std::string> env = BaseEnvironment();
        env.push_back("HOME=" + home.string());
        env.push_back("SCOPE_SIMULATOR=1");
        Process p;
        EXPECT_TRUE(p.Start({program.string(), "--nosplash"}, env, scratch.Path() / "stderr.txt", user));
        const int start = p.ReadNumber("start");
        std::string names;
        p.ReadValue("languages", names);
        if (languages)
            *languages = names;
        const int changed = p.ReadNumber("changed");
        ::kill(p.Pid(), SIGTERM);
        const int status = p.Wait();
        EXPECT_EQ(DescribeStatus(status), "exit 0") << p.ErrorText();
        // No message about a failed save, at the end or at any other time.
        EXPECT_EQ(p.ErrorText().find("Cann't save"), std::string::npos) << p.ErrorText();
        return {start, changed};
    }
};

TEST_F(ReadOnlyProgramFolder, SettingsPersistInTheUsersConfigFolder) {
    ASSERT_FALSE(fs::exists(userFolder));
    const auto [start1, changed1] = RunOnce();
    ASSERT_GE(changed1, 0);
    ASSERT_NE(changed1, start1);
    EXPECT_FALSE(fs::exists(folder / "Default.set"));
    const fs::path saved = userFolder / "Default.set";
    ASSERT_TRUE(fs::exists(saved));
    EXPECT_EQ(SavedTimeBase(saved), changed1);
    // Made for the user alone.
    EXPECT_EQ(fs::status(userFolder).permissions() & fs::perms::all, fs::perms(0700));

    // The next run starts from there; a language added to the user's folder is listed after
    // the program's own.
    WriteLanguage(userFolder / "language" / "Zulu.lug", "Zulu");
    WriteLanguage(userFolder / "language" / "Beta.lug", "Beta");
    if (RunningAsRoot())
        GiveTo(home, user);
    std::string languages;
    const auto [start2, changed2] = RunOnce(&languages);
    EXPECT_EQ(start2, changed1);
    EXPECT_EQ(languages, "3 Alpha Beta Zulu");
    EXPECT_EQ(SavedTimeBase(saved), changed2);
    EXPECT_FALSE(fs::exists(folder / "Default.set"));
}

TEST_F(ReadOnlyProgramFolder, ConfigFolderFollowsXdgConfigHome) {
    const fs::path config = scratch.Path() / "xdg";
    fs::create_directories(config);
    if (RunningAsRoot())
        GiveTo(config, user);
    std::vector<std::string> env = BaseEnvironment();
    env.push_back("HOME=" + home.string());
    env.push_back("XDG_CONFIG_HOME=" + config.string());
    env.push_back("SCOPE_SIMULATOR=1");
    Process p;
    ASSERT_TRUE(p.Start({program.string(), "--nosplash"}, env, scratch.Path() / "stderr.txt", user));
    p.ReadNumber("start");
    std::string languages;
    p.ReadValue("languages", languages);
    const int changed = p.ReadNumber("changed");
    ::kill(p.Pid(), SIGTERM);
    EXPECT_EQ(DescribeStatus(p.Wait()), "exit 0") << p.ErrorText();
    EXPECT_EQ(SavedTimeBase(config / "kelvane" / "Default.set"), changed);
    EXPECT_FALSE(fs::exists(userFolder / "Default.set"));
}

TEST_F(ReadOnlyProgramFolder, AFolderTheUserMayWriteKeepsTheSettingsBesideTheProgram) {
    if (RunningAsRoot()) {
        // Root may write the 0555 folder: the settings stay beside the program.
        user = static_cast<uid_t>(-1);
    } else {
        fs::permissions(folder, fs::perms(0755));
    }
    const auto [start, changed] = RunOnce();
    (void)start;
    EXPECT_EQ(SavedTimeBase(folder / "Default.set"), changed);
    EXPECT_FALSE(fs::exists(userFolder));
}

} // namespace
