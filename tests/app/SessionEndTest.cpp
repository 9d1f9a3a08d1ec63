// The session manager's end of the program, through Qt's own API: Qt asks the program to commit
// its data (QGuiApplication::commitDataRequest, with the application's session manager) and, when
// the session really ends, quits it (the Quit event of QCoreApplication::quit, which closes every
// shown window first). The commit saves the settings; the quit that follows writes nothing more,
// even with a modeless panel open; a logout that was cancelled leaves the program running, and a
// setting changed afterwards is saved by the next end.
#include "AppTestSupport.h"

#include "resources/Resource.h"

#include <QGuiApplication>
#include <QSessionManager>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace apptest;

namespace {

// Identity and last change of a file: a save renames a new file into place.
struct Stamp {
    bool exists = false;
    ino_t inode = 0;
    long long changedNs = 0;
    bool operator==(const Stamp& o) const {
        return exists == o.exists && inode == o.inode && changedNs == o.changedNs;
    }
};

Stamp StampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return {true, st.st_ino, st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec};
}

class SessionEnd : public ::testing::Test {
protected:
    void SetUp() override {
        // Connected to the simulated instrument: a save writes the whole file.
        PrepareRun("1");
        app = std::make_unique<CKelvaneApp>();
        ASSERT_TRUE(app->InitInstance());
        app->GetView()->PumpTick();
        doc = app->GetDocument();
    }
    void TearDown() override {
        app.reset();
        unsetenv("SCOPE_SIMULATOR");
        std::remove(DefaultSetPath().c_str());
    }

    // As Qt does when the session manager asks the program to save its state.
    static void CommitData() {
        auto* manager = qApp->findChild<QSessionManager*>();
        ASSERT_NE(manager, nullptr);
        emit qGuiApp->commitDataRequest(*manager);
    }
    // A time base other than the current one, chosen from the Time/DIV menu.
    int ChangeTimeBase() {
        const int target = doc->m_settings.GetTimeBaseIndex() == 12 ? 14 : 12;
        app->GetMainFrame()->ExecuteCommand(ID_TIMEDIV_FIRST + static_cast<UINT>(target));
        EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), target);
        return target;
    }
    int SavedTimeBase() {
        CKelvaneDoc saved;
        saved.SetDefaultSettings();
        saved.AllocSampleBuffers();
        saved.m_nModel = doc->m_nModel;
        return saved.LoadSetupFile(DefaultSetPath().c_str()) ? saved.m_settings.GetTimeBaseIndex() : -1;
    }

    std::unique_ptr<CKelvaneApp> app;
    CKelvaneDoc* doc = nullptr;
};

TEST_F(SessionEnd, CommitSavesAndTheQuitThatFollowsWritesNothingMore) {
    const int changed = ChangeTimeBase();
    // A modeless panel on the screen must not hold the quit up.
    app->GetMainFrame()->ExecuteCommand(ID_UTILITY_FFT);
    QWidget* mainWindow = app->GetMainFrame()->GetWidget();
    int panelsShown = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        panelsShown += w != mainWindow && w->isVisible();
    ASSERT_GE(panelsShown, 1);
    ASSERT_FALSE(FileExists(DefaultSetPath()));
    Stamp afterCommit;
    int savedAtCommit = -1;
    QTimer::singleShot(50, [&] {
        CommitData();
        afterCommit = StampOf(DefaultSetPath());
        savedAtCommit = SavedTimeBase();
        QTimer::singleShot(50, [] { QCoreApplication::quit(); });
    });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(99); }); // a quit that was held up
    EXPECT_EQ(app->Run(), 0);
    EXPECT_TRUE(afterCommit.exists);
    EXPECT_EQ(savedAtCommit, changed);
    EXPECT_TRUE(StampOf(DefaultSetPath()) == afterCommit) << "written again after the commit";
    EXPECT_EQ(app->m_pMainWnd, nullptr) << "the quit closes the main window";
}

TEST_F(SessionEnd, AChangeAfterACancelledLogoutIsSavedByTheNextEnd) {
    int first = -1, second = -1, savedAtCommit = -1;
    Stamp afterCommit;
    bool running = false;
    QTimer::singleShot(50, [&] {
        first = ChangeTimeBase();
        CommitData();
        savedAtCommit = SavedTimeBase();
        afterCommit = StampOf(DefaultSetPath());
        // The logout was cancelled: the program goes on, and the person changes the time base
        // again and then leaves by File > Exit.
        QTimer::singleShot(50, [&] {
            running = app->m_pMainWnd != nullptr;
            second = ChangeTimeBase();
            app->GetMainFrame()->ExecuteCommand(ID_APP_EXIT);
        });
    });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
    EXPECT_EQ(app->Run(), 0);
    EXPECT_EQ(savedAtCommit, first);
    EXPECT_TRUE(running);
    EXPECT_EQ(app->m_pMainWnd, nullptr);
    EXPECT_FALSE(StampOf(DefaultSetPath()) == afterCommit);
    EXPECT_EQ(SavedTimeBase(), second);
}

TEST_F(SessionEnd, ACommitWithNothingChangedSinceTheLastOneWritesNothing) {
    Stamp first, second;
    QTimer::singleShot(50, [&] {
        ChangeTimeBase();
        CommitData();
        first = StampOf(DefaultSetPath());
        CommitData();
        second = StampOf(DefaultSetPath());
        QCoreApplication::quit();
    });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
    EXPECT_EQ(app->Run(), 0);
    ASSERT_TRUE(first.exists);
    EXPECT_TRUE(second == first);
    EXPECT_TRUE(StampOf(DefaultSetPath()) == first);
}

TEST_F(SessionEnd, NothingIsSavedBeforeTheProgramRuns) {
    // A commit request during start-up (before the event loop) finds the settings just as they
    // were read: nothing to save, and the file is left as it is.
    CommitData();
    EXPECT_FALSE(FileExists(DefaultSetPath()));
}

} // namespace
