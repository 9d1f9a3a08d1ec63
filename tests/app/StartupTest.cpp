// Start-up of the program: the device search with no, one and several instruments, and the
// two start-up dialogs.
#include "../platform/system/ChildProcess.h"
#include "AppTestSupport.h"
#include "ModalKeys.h"

#include "app/StartupDialogs.h"
#include "framework/Controls.h"
#include "resources/Resource.h"
#include "resources/dialogs/DialogTemplates.h"
#include "simulator/SimZendral.h"
#include "system/FileAccess.h"
#include "zendral/ZendralRegistry.h"

#include <gtest/gtest.h>

#include <QPushButton>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace apptest;

namespace {

std::shared_ptr<kv::sim::SimZendral> CurrentSimulator() {
    return std::dynamic_pointer_cast<kv::sim::SimZendral>(kv::CurrentZendralShared());
}

} // namespace

TEST(Startup, NoInstrumentCloseQuitsAndStillWritesDefaultSet) {
    PrepareRun("");
    CString caption, cautionText;
    ModalAnswerer answer([&](CDialog& dlg) {
        EXPECT_NE(dynamic_cast<CSearchDeviceDlg*>(&dlg), nullptr);
        dlg.GetWindowText(caption);
        dlg.GetDlgItemText(IDC_CAUTION_TEXT, cautionText);
        Click(dlg, IDC_BUTTON_CLOSE);
    });
    CKelvaneApp app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(answer.seen, 1);
    EXPECT_STREQ(caption, "Search Device");
    EXPECT_STREQ(cautionText, "Instrument not found,Possible causes are:");
    EXPECT_EQ(app.GetDocument()->IsDemoMode(), 0);
    ProcessEventsFor(50); // the posted close
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_TRUE(FileExists(DefaultSetPath()));
}

TEST(Startup, IgnoreEntersDemoModeWithFactoryDefaultsEvenWithSavedSetup) {
    PrepareRun("");
    {
        // A saved set-up with a time base other than the default.
        CKelvaneDoc saved;
        saved.SetDefaultSettings();
        saved.AllocSampleBuffers();
        const std::int16_t def = saved.m_settings.GetTimeBaseIndex();
        saved.SetTimeBaseIndex(def == 20 ? 21 : 20);
        ASSERT_EQ(saved.SaveSetupFile(DefaultSetPath().c_str()), 1);
    }
    CKelvaneDoc fresh;
    fresh.SetDefaultSettings();
    ModalAnswerer answer([](CDialog& dlg) { Click(dlg, IDC_BUTTON_IGNORE); });
    CKelvaneApp app;
    ASSERT_TRUE(app.InitInstance());
    CKelvaneDoc* doc = app.GetDocument();
    EXPECT_EQ(doc->IsDemoMode(), 1);
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), fresh.m_settings.GetTimeBaseIndex());
    EXPECT_EQ(doc->m_usb.IsSettingsSent(), 1);
    EXPECT_NE(app.m_pMainWnd, nullptr);
    EXPECT_NE(app.GetView()->m_nPumpTimer, 0u);
}

TEST(Startup, EnterAndEscapeActAsCloseAndIgnore) {
    kv::EnsureApplication();
    kv::RegisterAppDialogTemplates();
    for (UINT key : {VK_RETURN, VK_ESCAPE}) {
        CSearchDeviceDlg dlg;
        QTimer::singleShot(10, [&] {
            MSG msg;
            msg.message = WM_KEYDOWN;
            msg.wParam = key;
            msg.hwnd = &dlg;
            dlg.PreTranslateMessage(&msg);
        });
        EXPECT_EQ(dlg.DoModal(), key == VK_RETURN ? IDOK : IDCANCEL);
    }
}

// The same as a person types them into the real dialog: Enter presses the default button,
// Close, and the program quits (saving its settings); Escape is Ignore, and the demo signal runs.
TEST(Startup, EnterAndEscapeTypedIntoTheSearchDeviceDialog) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        SCOPED_TRACE(key == Qt::Key_Return ? "Enter" : "Escape");
        PrepareRun("");
        bool closeIsDefault = false, ignoreIsDefault = true;
        kvtest::OnNextModal type([&](QWidget* modal) {
            auto* dlg = dynamic_cast<CSearchDeviceDlg*>(CWnd::FromWidget(modal));
            ASSERT_NE(dlg, nullptr);
            auto* close = qobject_cast<QPushButton*>(dlg->m_btnClose.GetWidget());
            auto* ignore = qobject_cast<QPushButton*>(dlg->m_btnIgnore.GetWidget());
            ASSERT_TRUE(close && ignore);
            closeIsDefault = close->isDefault();
            ignoreIsDefault = ignore->isDefault();
            kvtest::Press(modal, key);
        });
        CKelvaneApp app;
        ASSERT_TRUE(app.InitInstance());
        EXPECT_EQ(type.seen, 1);
        EXPECT_TRUE(closeIsDefault);
        EXPECT_FALSE(ignoreIsDefault);
        ProcessEventsFor(50);
        if (key == Qt::Key_Return) {
            EXPECT_EQ(app.m_pMainWnd, nullptr) << "Enter did not quit";
            EXPECT_TRUE(FileExists(DefaultSetPath()));
        } else {
            ASSERT_NE(app.m_pMainWnd, nullptr) << "Escape quit";
            EXPECT_EQ(app.GetDocument()->IsDemoMode(), 1);
        }
    }
}

TEST(Startup, OneInstrumentAtAnotherIndexIsUsedWithoutDialog) {
    PrepareRun("2");
    ModalAnswerer answer([](CDialog& dlg) { dlg.EndDialog(IDCANCEL); });
    CKelvaneApp app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(answer.seen, 0);
    CKelvaneDoc* doc = app.GetDocument();
    EXPECT_EQ(doc->IsDemoMode(), 0);
    // The instrument answers at index 2; index 0 would never answer the presence query.
    EXPECT_EQ(doc->m_usb.GetDeviceIndex(), 2);
    auto sim = CurrentSimulator();
    ASSERT_TRUE(sim);
    const int readsBefore = sim->ReadsServed(2);
    CKelvaneView* view = app.GetView();
    for (int i = 0; i < 20; ++i)
        view->PumpTick();
    EXPECT_STREQ(StatusPane(app), "Connected");
    EXPECT_GT(sim->ReadsServed(2), readsBefore);
}

TEST(Startup, SeveralInstrumentsDeviceListChoosesOne) {
    PrepareRun("1,3");
    bool slot1Disabled = false, slot2Checked = false, slot3Disabled = false;
    ModalAnswerer answer([&](CDialog& dlg) {
        auto* list = dynamic_cast<CDeviceListDlg*>(&dlg);
        ASSERT_NE(list, nullptr);
        slot1Disabled = !list->m_radioDevice1.IsWindowEnabled() && !list->m_editId1.IsWindowEnabled();
        slot2Checked = list->m_radioDevice2.GetCheck() == BST_CHECKED;
        slot3Disabled = !list->m_radioDevice3.IsWindowEnabled() && !list->m_btnModify3.IsWindowEnabled();
        Click(dlg, IDC_DEVICE_OK);
    });
    CKelvaneApp app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(answer.seen, 1);
    EXPECT_TRUE(slot1Disabled);
    EXPECT_TRUE(slot2Checked);
    EXPECT_TRUE(slot3Disabled);
    EXPECT_EQ(app.GetDocument()->m_usb.GetDeviceIndex(), 1);
    EXPECT_EQ(app.GetDocument()->IsDemoMode(), 0);
}

TEST(Startup, SeveralInstrumentsCancelQuits) {
    PrepareRun("0,2");
    ModalAnswerer answer([](CDialog& dlg) { Click(dlg, IDC_DEVICE_CANCEL); });
    CKelvaneApp app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(answer.seen, 1);
    ProcessEventsFor(50);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_TRUE(FileExists(DefaultSetPath()));
}

// The Device List dialog on its own, over a document whose scan found indexes 0 and 2.
class DeviceListTest : public ::testing::Test {
protected:
    void SetUp() override {
        kv::EnsureApplication();
        kv::RegisterAppDialogTemplates();
        sim = std::make_shared<kv::sim::SimZendral>(std::vector<int>{0, 2});
        scoped = std::make_unique<kv::ScopedZendral>(sim);
        doc.m_usb.ScanDevices();
        AfxSetMessageBoxHook([this](const CString& text, const CString& caption, UINT) {
            messages.push_back(std::string(caption.GetString()) + ": " + text.GetString());
            return IDOK;
        });
        dlg.SetDocument(&doc);
        dlg.SetDocument(nullptr); // ignored
        ASSERT_TRUE(dlg.Create(IDD_DEVICE_LIST));
    }
    void TearDown() override { AfxSetMessageBoxHook(nullptr); }

    std::shared_ptr<kv::sim::SimZendral> sim;
    std::unique_ptr<kv::ScopedZendral> scoped;
    CKelvaneDoc doc;
    CDeviceListDlg dlg;
    std::vector<std::string> messages;
};

TEST_F(DeviceListTest, IdEditsClampAndIgnoreHalfTypedNumbers) {
    EXPECT_EQ(dlg.m_editId1.GetLimitText(), 3u);
    dlg.SetDlgItemText(IDC_EDIT_DEVICE_ID1, "300");
    CString text;
    dlg.GetDlgItemText(IDC_EDIT_DEVICE_ID1, text);
    EXPECT_STREQ(text, "255");
    EXPECT_EQ(dlg.m_nDeviceId[0], 255);

    dlg.SetDlgItemText(IDC_EDIT_DEVICE_ID1, "-12");
    dlg.GetDlgItemText(IDC_EDIT_DEVICE_ID1, text);
    EXPECT_STREQ(text, "0");
    EXPECT_EQ(dlg.m_nDeviceId[0], 0);

    dlg.SetDlgItemText(IDC_EDIT_DEVICE_ID1, "42");
    EXPECT_EQ(dlg.m_nDeviceId[0], 42);
    // A lone minus sign or an empty edit is not a number yet: no message, the ID stays.
    dlg.SetDlgItemText(IDC_EDIT_DEVICE_ID1, "-");
    dlg.SetDlgItemText(IDC_EDIT_DEVICE_ID1, "");
    dlg.SetDlgItemText(IDC_EDIT_DEVICE_ID1, "4x");
    EXPECT_EQ(dlg.m_nDeviceId[0], 42);
    EXPECT_TRUE(messages.empty());
}

TEST_F(DeviceListTest, RadioButtonsStayExclusiveAndOkStoresTheChoice) {
    EXPECT_EQ(dlg.m_radioDevice1.GetCheck(), BST_CHECKED); // first present slot
    EXPECT_FALSE(dlg.m_radioDevice2.IsWindowEnabled());
    dlg.m_radioDevice3.SetCheck(BST_CHECKED);
    dlg.OnRadioDevice(2);
    EXPECT_EQ(dlg.m_radioDevice1.GetCheck(), BST_UNCHECKED);
    EXPECT_EQ(dlg.m_radioDevice3.GetCheck(), BST_CHECKED);
    Click(dlg, IDC_DEVICE_OK);
    EXPECT_EQ(doc.m_usb.GetDeviceIndex(), 2);
}

TEST_F(DeviceListTest, OkWithoutChoiceAsksForOne) {
    dlg.m_radioDevice1.SetCheck(BST_UNCHECKED);
    doc.m_usb.SetDeviceIndex(3);
    Click(dlg, IDC_DEVICE_OK);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Error: Please choose a device !");
    EXPECT_EQ(doc.m_usb.GetDeviceIndex(), 3);
}

TEST_F(DeviceListTest, ModifyIdChecksTheRangeAndWritesTheAddress) {
    dlg.m_nDeviceId[0] = 300; // beyond what the edit lets through
    Click(dlg, IDC_BUTTON_MODIFY_ID1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Error: Device ID between 0 and 255 !");

    dlg.SetDlgItemText(IDC_EDIT_DEVICE_ID1, "77");
    Click(dlg, IDC_BUTTON_MODIFY_ID1);
    EXPECT_EQ(messages.size(), 1u);
    short address = -1;
    sim->ReadDeviceAddress(0, &address);
    EXPECT_EQ(address, 77);
    EXPECT_EQ(doc.m_usb.GetAddress(0), 77);
}

TEST_F(DeviceListTest, ModifyIdAcceptsBothEndsOfTheRange) {
    for (const int id : {255, 0, 254, 1}) {
        dlg.SetDlgItemInt(IDC_EDIT_DEVICE_ID1, id);
        EXPECT_EQ(dlg.m_nDeviceId[0], id);
        Click(dlg, IDC_BUTTON_MODIFY_ID1);
        short address = -1;
        sim->ReadDeviceAddress(0, &address);
        EXPECT_EQ(address, id);
        EXPECT_EQ(doc.m_usb.GetAddress(0), id);
    }
    // None of them is out of range.
    EXPECT_TRUE(messages.empty());
    // One past the top is.
    dlg.m_nDeviceId[0] = 256;
    Click(dlg, IDC_BUTTON_MODIFY_ID1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(doc.m_usb.GetAddress(0), 1);
}

// A save of "Default.set" killed mid-way left its temporary in the settings folder: the next start
// removes it. And from the start on, a write past a file-size limit fails (EFBIG) instead of
// ending the program with SIGXFSZ.
TEST(Startup, RemovesKilledSavesDebrisAndSurvivesTheFileSizeLimit) {
    PrepareRun("1");
    const auto temporaries = [] {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator(kv::ProgramFolder()))
            n += e.path().filename().string().rfind(".kv-save-", 0) == 0 ? 1 : 0;
        return n;
    };
    const int before = temporaries();
    const kvtest::ChildEnd killed = kvtest::RunInChild([] {
        kv::SaveFaultsForTesting faults;
        faults.temporaryReady = [](const std::string&) { ::raise(SIGKILL); };
        kv::SetSaveFaultsForTesting(&faults);
        kv::WriteWholeFile(DefaultSetPath(), "x", 1);
        return 1;
    });
    ASSERT_EQ(killed.signal, SIGKILL);
    ASSERT_EQ(temporaries(), before + 1);

    std::signal(SIGXFSZ, SIG_DFL);
    ModalAnswerer answer([](CDialog& dlg) { dlg.EndDialog(IDCANCEL); });
    CKelvaneApp app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(temporaries(), 0);

    const std::string big = kv::ProgramFolder() + "/limit-probe.bin";
    const kvtest::ChildEnd limited = kvtest::RunInChild([&] {
        struct rlimit limit {};
        limit.rlim_cur = limit.rlim_max = 4096;
        const int fd = ::open(big.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return kvtest::kChildCannotSetUp;
        static const char block[8192] = {};
        const ssize_t n = ::write(fd, block, sizeof block); // 4096 written
        const ssize_t more = ::write(fd, block, sizeof block);
        return n == 4096 && more < 0 && errno == EFBIG ? 0 : 1;
    });
    std::remove(big.c_str());
    std::signal(SIGXFSZ, SIG_DFL);
    ASSERT_TRUE(limited.exited) << "a write past the limit ended the program with signal " << limited.signal;
    EXPECT_EQ(limited.code, 0);
}
