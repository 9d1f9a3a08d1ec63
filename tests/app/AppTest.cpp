// The application object (command line, About, Help, Exit) and the view's layout commands.
#include "AppTestSupport.h"

#include "framework/CommonDialogs.h"
#include "framework/Controls.h"
#include "resources/Resource.h"

#include <gtest/gtest.h>

#include <QLabel>

#include <filesystem>
#include <fstream>
#include <string>

using namespace apptest;
namespace fs = std::filesystem;

namespace {

std::unique_ptr<CKelvaneApp> StartDemoApp() {
    PrepareRun("");
    ModalAnswerer answer([](CDialog& dlg) { Click(dlg, IDC_BUTTON_IGNORE); });
    auto app = std::make_unique<CKelvaneApp>();
    EXPECT_TRUE(app->InitInstance());
    return app;
}

CRect WindowRectIn(CWnd& child, CWnd& parent) {
    RECT rc;
    child.GetWindowRect(&rc);
    POINT tl{rc.left, rc.top}, br{rc.right, rc.bottom};
    parent.ScreenToClient(&tl);
    parent.ScreenToClient(&br);
    return CRect(tl.x, tl.y, br.x, br.y);
}

fs::path TempDir(const char* name) {
    fs::path dir = fs::path(kv::TempFolder()) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

} // namespace

TEST(App, CommandLineTakesTheSplashSwitchAndIgnoresFiles) {
    EXPECT_TRUE(CKelvaneCommandLine::Parse({}).showSplash);
    EXPECT_TRUE(CKelvaneCommandLine::Parse({"some.set"}).showSplash);
    EXPECT_FALSE(CKelvaneCommandLine::Parse({"--nosplash", "x.csv"}).showSplash);
}

TEST(App, HelpFileFollowsTheLanguageWithItsOwnCase) {
    const fs::path dir = TempDir("kelvane-help");
    const CString folder(dir.string());
    EXPECT_STREQ(CKelvaneApp::HelpFilePath(folder, "french"), folder + "/language/OrvalaUSBHelp-french.chm");
    EXPECT_STREQ(CKelvaneApp::HelpFilePath(folder, "Spanish"),
                 folder + "/language/OrvalaUSBHelp-English.chm");
    EXPECT_STREQ(CKelvaneApp::HelpFilePath(folder, "English"),
                 folder + "/language/OrvalaUSBHelp-English.chm");
    EXPECT_STREQ(CKelvaneApp::HelpFilePath(folder, ""), folder + "/language/OrvalaUSBHelp-English.chm");
    // A file that differs only in case is found as it is named.
    fs::create_directories(dir / "language");
    std::ofstream(dir / "language" / "OrvalaUSBHelp-French.chm") << "x";
    EXPECT_STREQ(CKelvaneApp::HelpFilePath(folder, "french"), folder + "/language/OrvalaUSBHelp-French.chm");
    fs::remove_all(dir);
}

TEST(App, HelpContentsOpensTheEnglishHelpForTheBuiltInTable) {
    auto app = StartDemoApp();
    const fs::path dir = TempDir("kelvane-help-open");
    std::ofstream(dir / "OrvalaUSBHelp-English.chm") << "help";
    app->GetDocument()->m_language.SetLanguageFolder(CString(dir.string()));
    CString opened;
    CKelvaneApp::SetHelpOpener([&](const CString& path) {
        opened = path;
        return true;
    });
    int boxes = 0;
    AfxSetMessageBoxHook([&](const CString&, const CString&, UINT) {
        ++boxes;
        return IDOK;
    });
    app->GetMainFrame()->ExecuteCommand(ID_HELP_CONTENTS);
    CKelvaneApp::SetHelpOpener(nullptr);
    AfxSetMessageBoxHook(nullptr);
    EXPECT_STREQ(opened, CString(dir.string()) + "/OrvalaUSBHelp-English.chm");
    EXPECT_EQ(boxes, 0);
    fs::remove_all(dir);
}

TEST(App, ExitTakesTheCloseRoadAndSavesTheSettings) {
    // Connected: a demo session only refreshes an existing file.
    PrepareRun("1");
    auto app = std::make_unique<CKelvaneApp>();
    ASSERT_TRUE(app->InitInstance());
    app->GetView()->PumpTick();
    std::remove(DefaultSetPath().c_str());
    app->GetMainFrame()->ExecuteCommand(ID_APP_EXIT);
    EXPECT_NE(app->m_pMainWnd, nullptr); // posted, not yet run
    ProcessEventsFor(50);
    EXPECT_EQ(app->m_pMainWnd, nullptr);
    EXPECT_TRUE(FileExists(DefaultSetPath()));
}

TEST(App, FrameworkFileCommandsAndRecentFilesAreNotBuilt) {
    const fs::path config = TempDir("kelvane-config");
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    auto app = StartDemoApp();
    CMainFrame* frame = app->GetMainFrame();
    for (UINT id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_PRINT_SETUP})
        EXPECT_FALSE(frame->IsCommandHandled(id)) << id;
    app->GetView()->PumpTick();
    frame->SendMessage(WM_CLOSE);
    app.reset();
    EXPECT_TRUE(fs::is_empty(config)); // nothing kept outside "Default.set"
    unsetenv("XDG_CONFIG_HOME");
    fs::remove_all(config);
}

TEST(App, AboutIsTranslatedAndShowsItsPicture) {
    auto app = StartDemoApp();
    app->GetView()->PumpTick();
    CString caption;
    bool picture = false;
    ModalAnswerer answer([&](CDialog& dlg) {
        dlg.GetWindowText(caption);
        auto* label = qobject_cast<QLabel*>(dlg.GetDlgItem(IDC_ABOUT_PICTURE)->GetWidget());
        picture = label && !label->pixmap().isNull();
        Click(dlg, IDOK);
    });
    app->OnAppAbout();
    EXPECT_EQ(answer.seen, 1);
    EXPECT_STREQ(caption, "About");
    EXPECT_TRUE(picture);
}

TEST(Layout, ChildrenFillTheViewAroundTheSidebar) {
    auto app = StartDemoApp();
    CKelvaneView* view = app->GetView();
    view->PumpTick();
    ProcessEventsFor(30);
    RECT rc;
    view->GetClientRect(&rc);
    const int w = rc.right, h = rc.bottom;
    ASSERT_GT(w, 300);
    EXPECT_EQ(WindowRectIn(view->SidebarFrame(), *view), CRect(w - 188, 0, w, h));
    EXPECT_EQ(WindowRectIn(view->StatusStrip(), *view), CRect(0, 0, w - 188, 30));
    EXPECT_EQ(WindowRectIn(view->ScreenPanel(), *view), CRect(0, 30, w - 188, h - 30));
    EXPECT_EQ(WindowRectIn(view->ChannelInfoBar(), *view), CRect(0, h - 30, w - 188, h));
    EXPECT_EQ(WindowRectIn(view->SidebarPanel(), view->SidebarFrame()), CRect(0, 0, 188, h));
}

TEST(Layout, SizeChangeBeforeTheFirstTickKeepsTheStartUpLayout) {
    auto app = StartDemoApp();
    CKelvaneView* view = app->GetView();
    const CRect before = WindowRectIn(view->ScreenPanel(), *view);
    view->OnSize(SIZE_RESTORED, 400, 300);
    EXPECT_EQ(WindowRectIn(view->ScreenPanel(), *view), before);
    view->m_bFirstTick = 0;
    view->OnSize(SIZE_RESTORED, 0, 300); // a zero size never lays out
    EXPECT_EQ(WindowRectIn(view->ScreenPanel(), *view), before);
}

TEST(Layout, SidebarCommandMovesEverythingInOnePass) {
    auto app = StartDemoApp();
    CKelvaneView* view = app->GetView();
    view->PumpTick();
    ProcessEventsFor(30);
    RECT rc;
    view->GetClientRect(&rc);
    view->OnViewSidebar();
    EXPECT_EQ(view->m_bSidebarVisible, 0);
    EXPECT_EQ(view->m_nSidebarWidth, 0);
    EXPECT_FALSE(view->SidebarFrame().IsWindowVisible());
    EXPECT_EQ(WindowRectIn(view->ScreenPanel(), *view).Width(), rc.right);
    EXPECT_EQ(WindowRectIn(view->SidebarFrame(), *view).Width(), 0);
    view->OnViewSidebar();
    EXPECT_EQ(WindowRectIn(view->ScreenPanel(), *view).Width(), rc.right - 188);
    EXPECT_EQ(WindowRectIn(view->SidebarFrame(), *view).Width(), 188);
}

TEST(Layout, LeavingFullScreenRestoresTheSidebarOnlyIfItWasShown) {
    auto app = StartDemoApp();
    CKelvaneView* view = app->GetView();
    CMainFrame* frame = app->GetMainFrame();
    view->PumpTick();
    ProcessEventsFor(30);

    view->OnViewFullScreen();
    ProcessEventsFor(30);
    EXPECT_EQ(frame->m_bFullScreen, 1);
    EXPECT_FALSE(view->StatusStrip().IsWindowVisible());
    EXPECT_FALSE(view->ChannelInfoBar().IsWindowVisible());
    RECT rc;
    view->GetClientRect(&rc);
    EXPECT_EQ(WindowRectIn(view->ScreenPanel(), *view), CRect(rc));
    EXPECT_FALSE(view->ScreenPanel().GetExStyle() & WS_EX_CLIENTEDGE);
    view->ExecuteCommand(ID_FULL_SCREEN_TOGGLE);
    ProcessEventsFor(30);
    EXPECT_EQ(frame->m_bFullScreen, 0);
    EXPECT_EQ(view->m_bSidebarVisible, 1);
    EXPECT_TRUE(view->SidebarFrame().IsWindowVisible());
    EXPECT_TRUE(view->Screen().IsBorderOn());

    view->OnViewSidebar(); // hidden before full screen: stays hidden after it
    view->OnFullScreenToggle();
    view->OnFullScreenToggle();
    ProcessEventsFor(30);
    EXPECT_EQ(view->m_bSidebarVisible, 0);
    EXPECT_EQ(view->m_nSidebarWidth, 0);
    EXPECT_TRUE(view->StatusStrip().IsWindowVisible());
    EXPECT_EQ(view->m_nTopBarHeight, 30);
}

TEST(Layout, SaveWaveformPicksTheFormByExtension) {
    auto app = StartDemoApp();
    CKelvaneView* view = app->GetView();
    const fs::path dir = TempDir("kelvane-waveform");
    auto firstLine = [](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    ASSERT_EQ(view->SaveWaveformByExtension((dir / "a.doc").c_str()), 1);
    ASSERT_EQ(view->SaveWaveformByExtension((dir / "b.XLS").c_str()), 1);
    ASSERT_EQ(view->SaveWaveformByExtension((dir / "c.txt").c_str()), 1);
    ASSERT_EQ(view->SaveWaveformByExtension((dir / "d.csv").c_str()), 1);
    ASSERT_EQ(view->SaveWaveformByExtension((dir / "e").c_str()), 1);
    EXPECT_EQ(firstLine(dir / "b.XLS"), firstLine(dir / "a.doc"));
    EXPECT_NE(firstLine(dir / "a.doc"), firstLine(dir / "c.txt"));
    EXPECT_EQ(firstLine(dir / "d.csv"), firstLine(dir / "c.txt"));
    EXPECT_EQ(firstLine(dir / "e"), firstLine(dir / "c.txt"));

    // Through the command: the dialog's filter and title as the user sees them.
    CString filter, title;
    CFileDialog::SetHook([&](CFileDialog& dlg) {
        filter = dlg.GetFilter();
        title = dlg.m_ofn.lpstrTitle;
        dlg.SetChosenPath((dir / "f.xls").c_str());
        return static_cast<INT_PTR>(IDOK);
    });
    view->ExecuteCommand(ID_FILE_SAVE_WAVEFORM);
    CFileDialog::SetHook(nullptr);
    EXPECT_STREQ(filter, "Document File(*.doc)|*.doc|Spreadsheet File(*.xls)|*.xls|Text File(*.txt)|*.txt||");
    EXPECT_STREQ(title, "Save Data As...");
    EXPECT_EQ(firstLine(dir / "f.xls"), firstLine(dir / "a.doc"));
    fs::remove_all(dir);
}
