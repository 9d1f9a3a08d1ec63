// The main frame: title and sizes, status panes and clock, full screen, tooltips, menu
// images and the save of "Default.set" on every close.
#include "app/MainFrame.h"
#include "DialogTestSupport.h"
#include "engine/KelvaneDoc.h"
#include "framework/View.h"
#include "resources/Resource.h"
#include "resources/images/ImageResources.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include "TestOutput.h"
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

std::string OutputFolder() {
    return kvtest::OutputDir();
}

class FakeReadouts : public ICursorReadoutSource {
public:
    CursorReadouts GetCursorReadouts() const override { return r; }
    CursorReadouts r;
};

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(m_frame->LoadFrame(IDR_MAINFRAME));
        ASSERT_TRUE(m_frame->CreateView(std::make_unique<CView>(), &m_doc));
        m_frame->InstallMenu(m_frame->BuildMenu());
        m_folder =
            OutputFolder() + "/mainframe-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
        m_frame->SetSetupFolder(m_folder.c_str());
    }
    void TearDown() override {
        if (m_frame && m_frame->GetSafeHwnd())
            m_frame->DestroyWindow();
        m_frame.reset();
    }
    CString Pane(UINT id) {
        return m_frame->m_wndStatusBar.GetPaneText(m_frame->m_wndStatusBar.CommandToIndex(id));
    }
    CKelvaneDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    std::string m_folder;
};

} // namespace

TEST_F(MainFrameTest, FixedTitleSizeHiddenStartAndSixPanes) {
    CString title;
    m_frame->GetWindowText(title);
    EXPECT_STREQ(title.GetString(), "Kestra-E USB(7.0.0.1+)");
    RECT rc;
    m_frame->GetWindowRect(&rc);
    EXPECT_EQ(rc.right - rc.left, 800);
    EXPECT_EQ(rc.bottom - rc.top, 630);
    m_frame->ActivateFrame(SW_SHOW);
    EXPECT_FALSE(m_frame->IsWindowVisible()); // the first pump tick shows it
    EXPECT_FALSE(m_frame->GetStyle() & FWS_ADDTOTITLE);

    ASSERT_EQ(m_frame->m_wndStatusBar.GetCount(), 6);
    const UINT ids[] = {61450, 61447, 61448, 61449, 61451, 61446};
    const int widths[] = {100, 110, 110, 110, 1, 100};
    for (int i = 0; i < 6; ++i) {
        UINT id = 0, style = 0;
        int width = 0;
        m_frame->m_wndStatusBar.GetPaneInfo(i, id, style, width);
        EXPECT_EQ(id, ids[i]);
        EXPECT_EQ(width, widths[i]);
        EXPECT_TRUE(style & SBPS_NOBORDERS);
        EXPECT_EQ((style & SBPS_STRETCH) != 0, i == 4);
    }
    EXPECT_EQ(m_frame->m_wndToolBar.GetToolBarCtrl().GetButtonCount(), 23);
    EXPECT_EQ(m_frame->m_menuImages[0].GetImageCount(), 17);
    EXPECT_EQ(m_frame->m_menuImages[1].GetImageCount(), 17);
    EXPECT_EQ(m_frame->m_toolImages[0].GetImageCount(), 17);
}

TEST_F(MainFrameTest, NeverSmallerThan600By450) {
    MINMAXINFO info;
    m_frame->OnGetMinMaxInfo(&info);
    EXPECT_EQ(info.ptMinTrackSize.x, 600);
    EXPECT_EQ(info.ptMinTrackSize.y, 450);
    m_frame->ShowWindow(SW_SHOW);
    m_frame->GetWidget()->resize(300, 200);
    EXPECT_GE(m_frame->GetWidget()->width(), 600);
    EXPECT_GE(m_frame->GetWidget()->height(), 450);
}

TEST_F(MainFrameTest, StatusBarShowsTextReadoutsAndClock) {
    kv::LocalTime t;
    t.year = 2009;
    t.month = 3;
    t.day = 5;
    t.hour = 14;
    t.minute = 7;
    EXPECT_STREQ(CMainFrame::FormatClock(t).GetString(), "05-03-2009  14:07");

    FakeReadouts readouts;
    readouts.r.frequency = "1.000kHz";
    readouts.r.time = "1.000ms";
    readouts.r.voltageDifference = "2.00V";
    readouts.r.traceVoltage = "1.50V";
    readouts.r.fftFrequency = "50.0Hz";
    readouts.r.fftLevel = "-20.0dB";
    m_frame->SetCursorReadoutSource(&readouts);

    readouts.r.type = 1;
    m_frame->UpdateStatusBar("Connected", t);
    EXPECT_STREQ(Pane(61450), "Connected");
    EXPECT_STREQ(Pane(61447), "1.000kHz");
    EXPECT_STREQ(Pane(61448), "1.000ms");
    EXPECT_STREQ(Pane(61449), "2.00V");
    EXPECT_STREQ(Pane(61446), "05-03-2009  14:07");

    readouts.r.type = 2;
    m_frame->UpdateStatusBar("Run in demo", t);
    EXPECT_STREQ(Pane(61447), "");
    EXPECT_STREQ(Pane(61448), "");
    EXPECT_STREQ(Pane(61449), "1.50V");

    readouts.r.type = 4;
    m_frame->UpdateStatusBar("x", t);
    EXPECT_STREQ(Pane(61447), "");
    EXPECT_STREQ(Pane(61449), "2.00V");

    readouts.r.type = 1;
    readouts.r.source = 6;
    m_frame->UpdateStatusBar("x", t);
    EXPECT_STREQ(Pane(61447), "50.0Hz");
    EXPECT_STREQ(Pane(61448), "");
    EXPECT_STREQ(Pane(61449), "-20.0dB");
}

TEST_F(MainFrameTest, FullScreenOnAndOffRestoresPlacementCaptionMenuAndBars) {
    m_frame->ShowWindow(SW_SHOW);
    m_frame->MoveWindow(40, 30, 820, 640);
    WINDOWPLACEMENT before;
    m_frame->GetWindowPlacement(&before);
    const HMENU menu = m_frame->m_menu.m_hMenu;
    ASSERT_EQ(m_frame->GetMenu(), &m_frame->m_menu);

    m_frame->SetFullScreen(TRUE);
    EXPECT_EQ(m_frame->GetMenu(), nullptr);
    EXPECT_FALSE(m_frame->GetStyle() & WS_CAPTION);
    EXPECT_TRUE(m_frame->m_wndToolBar.GetWidget()->isHidden());
    EXPECT_TRUE(m_frame->m_wndStatusBar.GetWidget()->isHidden());
    EXPECT_TRUE(IsMenu(menu));    // the menu object keeps it while it is off the window
    m_frame->SetFullScreen(TRUE); // a second call keeps the first saved placement

    m_frame->SetFullScreen(FALSE);
    WINDOWPLACEMENT after;
    m_frame->GetWindowPlacement(&after);
    EXPECT_EQ(after.rcNormalPosition.right - after.rcNormalPosition.left, 820);
    EXPECT_EQ(after.rcNormalPosition.bottom - after.rcNormalPosition.top, 640);
    EXPECT_FALSE(m_frame->IsZoomed());
    EXPECT_TRUE(m_frame->GetStyle() & WS_CAPTION);
    EXPECT_FALSE(m_frame->m_wndToolBar.GetWidget()->isHidden());
    EXPECT_FALSE(m_frame->m_wndStatusBar.GetWidget()->isHidden());
    ASSERT_NE(m_frame->GetMenu(), nullptr);
    EXPECT_EQ(m_frame->GetMenu()->m_hMenu, menu);
    EXPECT_EQ(m_frame->GetMenu(), &m_frame->m_menu);
}

TEST_F(MainFrameTest, TooltipsComeFromTheLanguageTable) {
    m_doc.SelectLanguage(-1);
    TOOLTIPTEXT ttt;
    ttt.hdr.idFrom = ID_FILE_LOAD_CSV;
    LRESULT result = 0;
    EXPECT_FALSE(m_frame->OnToolTipText(ID_FILE_LOAD_CSV, &ttt.hdr, &result));
    EXPECT_STREQ(ttt.szText, "Load *.csv");
    const int buttons = m_frame->m_wndToolBar.GetToolBarCtrl().GetButtonCount();
    EXPECT_STREQ(m_frame->m_wndToolBar.GetToolTipText(0).GetString(), "Load *.csv");
    EXPECT_STREQ(m_frame->m_wndToolBar.GetToolTipText(buttons - 1).GetString(), "Help");

    TOOLTIPTEXT missing;
    std::strcpy(missing.szText, "old");
    missing.hdr.idFrom = 12345;
    m_frame->OnToolTipText(12345, &missing.hdr, &result);
    EXPECT_STREQ(missing.szText, "");
}

TEST_F(MainFrameTest, MenuImagesFollowTheCommandTableAndSurviveALanguageChange) {
    CMenuEx* file = m_frame->m_menu.GetSubMenuEx(0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetItem(0)->m_nImage, 0);
    EXPECT_EQ(file->GetItem(0)->m_pNormal, &m_frame->m_menuImages[0]);
    EXPECT_EQ(file->GetItem(0)->m_pDisabled, &m_frame->m_menuImages[1]);
    EXPECT_EQ(m_frame->m_menu.GetSubMenuEx(8)->GetItem(1)->m_nImage, 12); // Stop
    m_frame->m_menu.SetItemText(0, "Datei");
    m_frame->SetMenuImages();
    EXPECT_EQ(file->GetItem(8)->m_nImage, 2); // Print
}

TEST_F(MainFrameTest, EveryCloseWritesDefaultSet) {
    const std::filesystem::path path = std::filesystem::path(m_folder) / "Default.set";
    EXPECT_STREQ(m_frame->GetDefaultSetupPath().GetString(), path.string().c_str());
    // A close posted while start-up runs (quitting from the device search) takes the same road.
    ASSERT_TRUE(m_frame->PostMessage(WM_CLOSE));
    for (int i = 0; i < 20 && !std::filesystem::exists(path); ++i)
        QApplication::processEvents();
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_GT(std::filesystem::file_size(path), 20u);
    EXPECT_EQ(m_frame->GetSafeHwnd(), nullptr);
}

TEST_F(MainFrameTest, PictureShowsTheStatusTextAndTheMenuImages) {
    m_frame->ShowWindow(SW_SHOW);
    m_doc.SelectLanguage(-1);
    m_frame->UpdateStatusBar("Run in demo");
    QApplication::processEvents();
    const QImage shot = m_frame->GetWidget()->grab().toImage();
    EXPECT_EQ(shot.width(), 800);
    // The status text and every other caption of the frame are painted where they belong.
    EXPECT_GT(apptest::ExpectCaptionsShown(*m_frame), 0);
    EXPECT_TRUE(shot.save(QString::fromStdString(OutputFolder() + "/mainframe.png")));
    // The menu strip as the menu image lists hold it: 17 images of 20 px, each with a picture
    // on the strip's background colour (its top-left pixel).
    kv::BitmapResource strip;
    ASSERT_TRUE(kv::LoadBitmapResource(IDB_MENU_NORMAL, strip));
    EXPECT_EQ(strip.width, 17 * 20);
    QImage image(reinterpret_cast<const uchar*>(strip.pixels.data()), strip.width, strip.height,
                 QImage::Format_RGB32);
    const QRgb background = image.pixel(0, 0);
    for (int i = 0; i < 17; ++i) {
        int drawn = 0;
        for (int y = 0; y < strip.height; ++y)
            for (int x = 20 * i; x < 20 * i + 20; ++x)
                drawn += image.pixel(x, y) != background ? 1 : 0;
        EXPECT_GT(drawn, 10) << "image " << i;
    }
    EXPECT_TRUE(image.scaled(strip.width * 3, strip.height * 3)
                    .save(QString::fromStdString(OutputFolder() + "/menu-images.png")));
}
