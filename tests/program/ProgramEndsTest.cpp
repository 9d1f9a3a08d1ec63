// The settings survive every ordinary end of the program run as a process of its own: SIGTERM
// (logout, shutdown, kill), SIGHUP, SIGINT, and exit() from inside the event loop (what Qt's X11
// layer does when the display goes away). Each end writes "Default.set" exactly once, with the
// setting the program changed, and the process exits normally.
#include "ProgramProcess.h"

#include "SavedSettings.h"

#include <sys/inotify.h>

using namespace programtest;

namespace {

// Counts the saves of one file in a folder: a replacement renamed into place or a rewrite in
// place, as the file system reports them.
class SaveCounter {
public:
    SaveCounter(const fs::path& folder, std::string name) : m_name(std::move(name)) {
        m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd >= 0)
            inotify_add_watch(m_fd, folder.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE);
    }
    ~SaveCounter() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int Saves() {
        alignas(inotify_event) char buf[8192];
        for (;;) {
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n <= 0)
                break;
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
                if (e->len > 0 && m_name == e->name)
                    ++m_saves;
                at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
        }
        return m_saves;
    }
    bool Ok() const { return m_fd >= 0; }

private:
    int m_fd = -1;
    std::string m_name;
    int m_saves = 0;
};

class ProgramEnds : public ::testing::Test {
protected:
    Scratch scratch{"program-ends"};
    fs::path folder = scratch.Path() / "program";
    fs::path home = scratch.Path() / "home";
    fs::path settings = folder / "Default.set";
    fs::path program;

    void SetUp() override {
        fs::create_directories(home);
        program = InstallProgram(KV_DRIVEN_KELVANE, folder);
    }
    std::vector<std::string> Environment(bool instrument = true) const {
        std::vector<std::string> env = BaseEnvironment();
        env.push_back("HOME=" + home.string());
        env.push_back("XDG_CONFIG_HOME=" + (home / "config").string());
        // Connected to the simulated instrument a save writes the whole file (a demo session
        // only refreshes the header of an existing one).
        if (instrument)
            env.push_back("SCOPE_SIMULATOR=1");
        return env;
    }
    void Launch(Process& p, std::vector<std::string> extraEnv = {}) {
        std::vector<std::string> env = Environment();
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        ASSERT_TRUE(p.Start({program.string(), "--nosplash"}, env, scratch.Path() / "stderr.txt"));
    }
};

TEST_F(ProgramEnds, EachEndingSignalSavesTheChangedSettingOnceAndExitsNormally) {
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        fs::remove(settings);
        SaveCounter counter(folder, "Default.set");
        ASSERT_TRUE(counter.Ok());
        Process p;
        Launch(p);
        const int start = p.ReadNumber("start");
        std::string languages;
        ASSERT_TRUE(p.ReadValue("languages", languages));
        const int changed = p.ReadNumber("changed");
        ASSERT_GE(changed, 0);
        ASSERT_NE(changed, start);
        ASSERT_EQ(counter.Saves(), 0) << "nothing is saved before the end";

        ASSERT_EQ(::kill(p.Pid(), signal), 0);
        const int status = p.Wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << DescribeStatus(status) << "\n"
                                                                   << p.ErrorText();
        EXPECT_EQ(SavedTimeBase(settings), changed);
        EXPECT_EQ(counter.Saves(), 1);
        EXPECT_EQ(p.ErrorText().find("Cann't save"), std::string::npos) << p.ErrorText();
    }

    // The next start reads what the signal saved.
    Process again;
    Launch(again);
    const int expected = SavedTimeBase(settings);
    EXPECT_EQ(again.ReadNumber("start"), expected);
    ASSERT_TRUE(again.WaitUntilCatching(SIGTERM));
    ::kill(again.Pid(), SIGTERM);
    EXPECT_EQ(DescribeStatus(again.Wait()), "exit 0");
}

TEST_F(ProgramEnds, ExitFromInsideTheEventLoopStillSavesAsALostDisplayEndsIt) {
    SaveCounter counter(folder, "Default.set");
    Process p;
    Launch(p, {"KV_DRIVEN_THEN=exit"});
    p.ReadNumber("start");
    std::string languages;
    p.ReadValue("languages", languages);
    const int changed = p.ReadNumber("changed");
    ASSERT_GE(changed, 0);
    const int status = p.Wait();
    // The exit status is the caller's (Qt's X11 layer exits with 1); the settings are saved.
    EXPECT_EQ(DescribeStatus(status), "exit 1") << p.ErrorText();
    EXPECT_EQ(SavedTimeBase(settings), changed);
    EXPECT_EQ(counter.Saves(), 1);
}

TEST_F(ProgramEnds, SignalWhileTheDeviceSearchAsksEndsWithoutAnAnswer) {
    // No instrument: the Searching Device question waits for a person who is not there (a
    // logout while it shows). The signal ends the program all the same; nothing has been changed
    // yet, and the settings stay as they were read (the question's own answers would have put
    // the defaults in their place).
    CKelvaneDoc saved;
    saved.SetDefaultSettings();
    saved.AllocSampleBuffers();
    const std::int16_t chosen = saved.m_settings.GetTimeBaseIndex() == 17 ? 18 : 17;
    saved.SetTimeBaseIndex(chosen);
    ASSERT_EQ(saved.SaveSetupFile(settings.c_str()), 1);
    SaveCounter counter(folder, "Default.set");
    Process p;
    ASSERT_TRUE(p.Start({program.string(), "--nosplash"}, Environment(false), scratch.Path() / "stderr.txt"));
    ASSERT_TRUE(p.WaitUntilCatching(SIGTERM));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the question is up by now
    ASSERT_EQ(::kill(p.Pid(), SIGTERM), 0);
    const int status = p.Wait(std::chrono::seconds(30));
    EXPECT_EQ(DescribeStatus(status), "exit 0") << p.ErrorText();
    EXPECT_EQ(SavedTimeBase(settings), chosen);
    EXPECT_EQ(counter.Saves(), 0);
}

TEST_F(ProgramEnds, AHangUpIgnoredAtStartStaysIgnored) {
    // Started the way nohup starts a program: SIGHUP ignored. The program keeps running through
    // a hang-up and still ends, saving, on SIGTERM.
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ASSERT_EQ(sigaction(SIGHUP, &ignore, &previous), 0);
    Process p;
    const bool started = p.Start({program.string(), "--nosplash"}, Environment(),
                                 scratch.Path() / "stderr.txt", static_cast<uid_t>(-1), {SIGTERM, SIGINT});
    sigaction(SIGHUP, &previous, nullptr);
    ASSERT_TRUE(started);
    p.ReadNumber("start");
    std::string languages;
    p.ReadValue("languages", languages);
    const int changed = p.ReadNumber("changed");
    EXPECT_FALSE(p.Catches(SIGHUP));
    ASSERT_EQ(::kill(p.Pid(), SIGHUP), 0);
    EXPECT_EQ(p.Wait(std::chrono::milliseconds(500)), -1) << "a hang-up ended a program started to ignore it";
    ASSERT_EQ(::kill(p.Pid(), SIGTERM), 0);
    EXPECT_EQ(DescribeStatus(p.Wait()), "exit 0") << p.ErrorText();
    EXPECT_EQ(SavedTimeBase(settings), changed);
}

TEST_F(ProgramEnds, TheShippedProgramSavesOnSigtermToo) {
    // The program exactly as built, without the test's additions.
    const fs::path shipped = InstallProgram(KV_KELVANE, folder);
    Process p;
    ASSERT_TRUE(p.Start({shipped.string(), "--nosplash"}, Environment(), scratch.Path() / "stderr.txt"));
    ASSERT_TRUE(p.WaitUntilCatching(SIGTERM));
    for (int signal : {SIGHUP, SIGINT})
        EXPECT_TRUE(p.Catches(signal)) << strsignal(signal);
    ASSERT_EQ(::kill(p.Pid(), SIGTERM), 0);
    EXPECT_EQ(DescribeStatus(p.Wait()), "exit 0") << p.ErrorText();
    EXPECT_GE(SavedTimeBase(settings), 0) << "a readable setup file for the program's model";
}

} // namespace
