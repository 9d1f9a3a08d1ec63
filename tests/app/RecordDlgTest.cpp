// Record And Play Back, Save channel and Waveform Color: recording and play-back on the
// dialog's own timer, the pump stopped and started around them, range clamps, ".rec" files
// through the file-dialog hook, the save-channel choice and colours reaching the traces.
#include "AppTestSupport.h"

#include "WndImpl.h"
#include "app/RecordDlg.h"
#include "app/SaveChannelDlg.h"
#include "app/WaveformColorDlg.h"
#include "engine/DeviceStateBlock.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "framework/CommonDialogs.h"
#include "resources/Resource.h"
#include "zendral/RecordingZendral.h"
#include "zendral/ZendralRegistry.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <cstdio>
#include <string>

using namespace apptest;

namespace {

bool TimerRunning(CWnd& wnd, UINT id) {
    CWnd::Impl* impl = wnd.GetImpl();
    if (!impl)
        return false;
    auto it = impl->timers.find(id);
    return it != impl->timers.end() && it->second && it->second->isActive();
}

std::string ItemText(CWnd& dlg, int id) {
    CString text;
    dlg.GetDlgItemText(id, text);
    return text.GetString();
}

// Fills a trace with a ramp that starts at `base`.
void FillTrace(CTrace& trace, int base) {
    for (int i = 0; i < CTrace::kScreenPoints; ++i)
        trace.GetScreenTrace()[i] = static_cast<std::int16_t>((base + i) % 512);
}

std::string TempPath(const char* name) {
    return kv::TempFolder() + "/" + name;
}

class RecordDialog : public ::testing::Test {
protected:
    RecordDialog() {
        kv::EnsureApplication();
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.SetDemoMode(1);
        doc.m_ch1.SetOn(1);
        doc.m_ch2.SetOn(0);
        FillTrace(doc.m_ch1, 7);
        FillTrace(doc.m_ch2, 100);
    }
    ~RecordDialog() override { CFileDialog::SetHook(nullptr); }

    // Opens the dialog (modeless, so the test can click through it).
    void Open() {
        dlg.SetDocument(&doc);
        ASSERT_TRUE(dlg.Create(IDD_RECORD));
    }

    // Records `frames` frames at `interval` ms from the dialog and waits for the end.
    void Record(int frames, int interval) {
        Type(dlg, IDC_RECORD_END_FRAME, std::to_string(frames).c_str());
        Type(dlg, IDC_RECORD_INTERVAL, std::to_string(interval).c_str());
        Click(dlg, IDC_BUTTON_RECORD);
        for (int i = 0; i < 200 && doc.m_record.m_bRecording; ++i)
            ProcessEventsFor(interval);
    }

    CKelvaneDoc doc;
    CRecordDlg dlg;
};

} // namespace

TEST_F(RecordDialog, RecordsFiveFramesAndStopsByItself) {
    Open();
    EXPECT_FALSE(dlg.m_btnPlay.IsWindowEnabled()); // nothing recorded yet
    EXPECT_FALSE(dlg.m_btnSave.IsWindowEnabled());
    Type(dlg, IDC_RECORD_END_FRAME, "5");
    Type(dlg, IDC_RECORD_INTERVAL, "100");
    Click(dlg, IDC_BUTTON_RECORD);
    EXPECT_EQ(doc.m_record.m_bRecording, 1);
    EXPECT_EQ(doc.m_nRunStatus, 3);
    EXPECT_TRUE(TimerRunning(dlg, IDT_DIALOG));
    EXPECT_FALSE(dlg.m_comboSource.IsWindowEnabled());
    EXPECT_FALSE(dlg.m_btnPlay.IsWindowEnabled());
    ProcessEventsFor(250);
    FillTrace(doc.m_ch1, 300); // the live trace moves on
    for (int i = 0; i < 40 && doc.m_record.m_bRecording; ++i)
        ProcessEventsFor(50);

    EXPECT_EQ(doc.m_record.m_bRecording, 0);
    EXPECT_FALSE(TimerRunning(dlg, IDT_DIALOG));
    EXPECT_EQ(doc.m_record.m_nFramesRecorded, 5);
    EXPECT_EQ(ItemText(dlg, IDC_RECORD_COUNT), "5");
    EXPECT_EQ(ItemText(dlg, IDC_PLAY_START_FRAME), "1");
    EXPECT_EQ(ItemText(dlg, IDC_PLAY_END_FRAME), "5");
    EXPECT_EQ(ItemText(dlg, IDC_PLAY_CURRENT_FRAME), "1");
    EXPECT_EQ(ItemText(dlg, IDC_PLAY_INTERVAL), "100");
    EXPECT_TRUE(dlg.m_btnPlay.IsWindowEnabled());
    EXPECT_TRUE(dlg.m_comboSource.IsWindowEnabled());
    EXPECT_EQ(doc.m_record.Frame(0)[0], 7);
    EXPECT_EQ(doc.m_record.Frame(4)[0], 300);
    EXPECT_EQ(doc.m_record.m_nChannel, 0);
}

TEST_F(RecordDialog, StartAndStopFollowTheStoreNotTheButtonText) {
    // No language is loaded: "Start" and "Stop" both read as empty texts.
    Open();
    Type(dlg, IDC_RECORD_END_FRAME, "1000");
    Type(dlg, IDC_RECORD_INTERVAL, "20");
    Click(dlg, IDC_BUTTON_RECORD);
    ASSERT_EQ(doc.m_record.m_bRecording, 1);
    ProcessEventsFor(70);
    Click(dlg, IDC_BUTTON_RECORD);
    EXPECT_EQ(doc.m_record.m_bRecording, 0);
    EXPECT_FALSE(TimerRunning(dlg, IDT_DIALOG));
    const int count = doc.m_record.m_nFramesRecorded;
    EXPECT_GT(count, 0);
    EXPECT_LT(count, 1000);
    EXPECT_EQ(ItemText(dlg, IDC_PLAY_END_FRAME), std::to_string(count));

    Click(dlg, IDC_BUTTON_PLAY);
    EXPECT_EQ(doc.m_record.m_bPlaying, 1);
    EXPECT_EQ(doc.m_nRunStatus, 5);
    Click(dlg, IDC_BUTTON_PLAY);
    EXPECT_EQ(doc.m_record.m_bPlaying, 0);
    EXPECT_EQ(doc.m_nRunStatus, 0);
}

TEST_F(RecordDialog, PlayBackStopsAtTheEndOrRepeats) {
    Open();
    Record(4, 10);
    ASSERT_EQ(doc.m_record.m_nFramesRecorded, 4);
    FillTrace(doc.m_ch1, 0);
    for (int f = 0; f < 4; ++f)
        doc.m_record.m_frames[static_cast<std::size_t>(f) * CTrace::kScreenPoints] =
            static_cast<std::int16_t>(40 + f);
    Type(dlg, IDC_PLAY_INTERVAL, "10");
    Type(dlg, IDC_PLAY_START_FRAME, "2");

    // Without Repeat: frames 2..4, then STOP.
    Click(dlg, IDC_BUTTON_PLAY);
    EXPECT_EQ(dlg.m_nPlayPosition, 1);
    for (int i = 0; i < 50 && doc.m_record.m_bPlaying; ++i)
        ProcessEventsFor(10);
    EXPECT_EQ(doc.m_record.m_bPlaying, 0);
    EXPECT_EQ(doc.m_nRunStatus, 0);
    EXPECT_EQ(doc.m_ch1.GetScreenTrace()[0], 43);
    EXPECT_EQ(ItemText(dlg, IDC_PLAY_CURRENT_FRAME), "4");
    EXPECT_EQ(dlg.m_nPlayPosition, 1);
    EXPECT_TRUE(dlg.m_btnStart.IsWindowEnabled());

    // With Repeat: still playing long after one pass.
    dlg.m_checkRepeat.SetCheck(BST_CHECKED);
    Click(dlg, IDC_PLAY_REPEAT);
    Click(dlg, IDC_BUTTON_PLAY);
    ProcessEventsFor(200);
    EXPECT_EQ(doc.m_record.m_bPlaying, 1);
    EXPECT_FALSE(dlg.m_btnStart.IsWindowEnabled());
    EXPECT_FALSE(dlg.m_editStartFrame.IsWindowEnabled());
    Click(dlg, IDC_BUTTON_PLAY);
    EXPECT_EQ(doc.m_record.m_bPlaying, 0);
}

TEST_F(RecordDialog, FrameEditsAreClampedToTheRecording) {
    Open();
    // Nothing recorded: the frame edits change nothing.
    Type(dlg, IDC_PLAY_START_FRAME, "0");
    EXPECT_EQ(doc.m_record.m_nPlayStartFrame, 1);

    Record(6, 10);
    ASSERT_EQ(doc.m_record.m_nFramesRecorded, 6);
    Type(dlg, IDC_PLAY_END_FRAME, "9");
    EXPECT_EQ(ItemText(dlg, IDC_PLAY_END_FRAME), "6");
    Type(dlg, IDC_PLAY_END_FRAME, "4");
    EXPECT_EQ(doc.m_record.m_nPlayEndFrame, 4);
    Type(dlg, IDC_PLAY_START_FRAME, "5");
    EXPECT_EQ(ItemText(dlg, IDC_PLAY_START_FRAME), "4");
    Type(dlg, IDC_PLAY_END_FRAME, "2"); // the start follows the end down
    EXPECT_EQ(ItemText(dlg, IDC_PLAY_START_FRAME), "2");
    EXPECT_EQ(doc.m_record.m_nPlayStartFrame, 2);

    // Zero is raised to the first frame, never frame -1.
    Type(dlg, IDC_PLAY_START_FRAME, "0");
    EXPECT_EQ(ItemText(dlg, IDC_PLAY_START_FRAME), "1");
    doc.m_record.m_frames[0] = 77;
    Type(dlg, IDC_PLAY_CURRENT_FRAME, "0");
    EXPECT_EQ(ItemText(dlg, IDC_PLAY_CURRENT_FRAME), "1");
    EXPECT_EQ(doc.m_ch1.GetScreenTrace()[0], 77);
    Type(dlg, IDC_PLAY_CURRENT_FRAME, "8");
    EXPECT_EQ(ItemText(dlg, IDC_PLAY_CURRENT_FRAME), "2");

    // Intervals stay within 1..20000; frame counts within 1..1000.
    Type(dlg, IDC_PLAY_INTERVAL, "0");
    EXPECT_EQ(ItemText(dlg, IDC_PLAY_INTERVAL), "1");
    Type(dlg, IDC_PLAY_INTERVAL, "25000");
    EXPECT_EQ(doc.m_record.m_nPlayInterval, 20000);
    Type(dlg, IDC_RECORD_INTERVAL, "0");
    EXPECT_EQ(dlg.m_nRecordInterval, 1);
    Type(dlg, IDC_RECORD_INTERVAL, "99999");
    EXPECT_EQ(ItemText(dlg, IDC_RECORD_INTERVAL), "20000");
    Type(dlg, IDC_RECORD_END_FRAME, "5000");
    EXPECT_EQ(ItemText(dlg, IDC_RECORD_END_FRAME), "1000");
    Type(dlg, IDC_RECORD_END_FRAME, "abc"); // not a number: ignored
    EXPECT_EQ(dlg.m_nRecordEndFrame, 1000);
}

TEST_F(RecordDialog, RecFilesRoundTripThroughTheFileDialogs) {
    Open();
    FillTrace(doc.m_ch2, 200);
    doc.m_ch2.SetOn(1);
    dlg.m_comboSource.SetCurSel(1);
    dlg.OnCommand(MAKEWPARAM(IDC_RECORD_SOURCE, CBN_SELCHANGE), 0);
    Record(3, 10);
    ASSERT_EQ(doc.m_record.m_nFramesRecorded, 3);
    const std::string path = TempPath("kv-record-dialog.rec");
    std::remove(path.c_str());

    CString title, filter;
    CFileDialog::SetHook([&](CFileDialog& fd) {
        title = fd.m_ofn.lpstrTitle;
        filter = fd.GetFilter();
        fd.SetChosenPath(path.c_str());
        return static_cast<INT_PTR>(IDOK);
    });
    Click(dlg, IDC_BUTTON_RECORD_SAVE);
    EXPECT_STREQ(title.GetString(), "Save Record Data As...");
    EXPECT_STREQ(filter.GetString(), "Record File(*.rec)|*.rec||");
    ASSERT_TRUE(FileExists(path));

    doc.m_record.Reset();
    Click(dlg, IDC_BUTTON_RECORD_LOAD);
    EXPECT_STREQ(title.GetString(), "Load Record File...");
    EXPECT_EQ(doc.m_record.m_bNoData, 0);
    EXPECT_EQ(doc.m_record.m_nFramesRecorded, 3);
    EXPECT_EQ(doc.m_record.m_nChannel, 1);
    EXPECT_EQ(doc.m_record.Frame(2)[0], 200);
    EXPECT_EQ(ItemText(dlg, IDC_RECORD_COUNT), "3");
    EXPECT_EQ(ItemText(dlg, IDC_PLAY_END_FRAME), "3");
    EXPECT_TRUE(dlg.m_btnPlay.IsWindowEnabled());

    // Another extension is ignored without a message.
    const std::string other = TempPath("kv-record-dialog.txt");
    CFileDialog::SetHook([&](CFileDialog& fd) {
        fd.SetChosenPath(other.c_str());
        return static_cast<INT_PTR>(IDOK);
    });
    doc.m_record.m_nFramesRecorded = 2;
    Click(dlg, IDC_BUTTON_RECORD_LOAD);
    EXPECT_EQ(doc.m_record.m_nFramesRecorded, 2);
    std::remove(path.c_str());
}

TEST_F(RecordDialog, AnEmptyRecordingCannotBePlayed) {
    // A ".rec" file with no frames.
    const std::string path = TempPath("kv-record-empty.rec");
    {
        CRecordStore empty;
        empty.m_nFramesRecorded = 0;
        ASSERT_EQ(empty.SaveRecord(path.c_str()), 1);
    }
    Open();
    CFileDialog::SetHook([&](CFileDialog& fd) {
        fd.SetChosenPath(path.c_str());
        return static_cast<INT_PTR>(IDOK);
    });
    Click(dlg, IDC_BUTTON_RECORD_LOAD);
    EXPECT_EQ(doc.m_record.m_nFramesRecorded, 0);
    EXPECT_FALSE(dlg.m_btnPlay.IsWindowEnabled());
    dlg.OnButtonPlay();
    EXPECT_EQ(doc.m_record.m_bPlaying, 0);
    EXPECT_NE(doc.m_nRunStatus, 5);
    std::remove(path.c_str());
}

// A CH2 recording plays back onto CH2 under the settings it was taken with; CH1 is switched off
// and keeps its own trace and settings.
TEST_F(RecordDialog, ASecondChannelRecordingPlaysBackOntoTheSecondChannel) {
    doc.m_ch2.SetOn(1);
    doc.SetCh1VoltDiv(7);
    doc.SetCh1Coupling(kCouplingDc);
    doc.SetCh1Position(300.0f);
    doc.SetCh2VoltDiv(3);
    doc.SetCh2Coupling(kCouplingAc);
    doc.SetCh2Position(200.0f);
    Open();
    Choose(dlg, dlg.m_comboSource, IDC_RECORD_SOURCE, 1);
    Record(3, 10);
    ASSERT_EQ(doc.m_record.m_nFramesRecorded, 3);
    EXPECT_EQ(doc.m_record.m_frames[5], doc.m_ch2.GetScreenTrace()[5]);
    for (int f = 0; f < 3; ++f)
        doc.m_record.m_frames[static_cast<std::size_t>(f) * CTrace::kScreenPoints] =
            static_cast<std::int16_t>(60 + f);

    // The settings change after the recording; play-back brings CH2's back.
    doc.SetCh2VoltDiv(8);
    doc.SetCh2Coupling(kCouplingGnd);
    doc.SetCh2Position(50.0f);
    FillTrace(doc.m_ch1, 33);
    const std::int16_t ch1First = doc.m_ch1.GetScreenTrace()[0];
    Type(dlg, IDC_PLAY_INTERVAL, "10");
    Click(dlg, IDC_BUTTON_PLAY);
    EXPECT_EQ(doc.m_ch2.IsOn(), 1);
    EXPECT_EQ(doc.m_ch1.IsOn(), 0);
    EXPECT_EQ(doc.m_ch2.GetVoltsPerDivIndex(), 3);
    EXPECT_EQ(doc.m_ch2.GetCoupling(), kCouplingAc);
    EXPECT_FLOAT_EQ(doc.m_ch2.GetPosition(), 200.0f);
    EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 7);
    EXPECT_EQ(doc.m_ch1.GetCoupling(), kCouplingDc);
    EXPECT_FLOAT_EQ(doc.m_ch1.GetPosition(), 300.0f);
    for (int i = 0; i < 50 && doc.m_record.m_bPlaying; ++i)
        ProcessEventsFor(10);
    ASSERT_EQ(doc.m_record.m_bPlaying, 0);
    EXPECT_EQ(doc.m_ch2.GetScreenTrace()[0], 62);
    EXPECT_EQ(doc.m_ch1.GetScreenTrace()[0], ch1First);

    // Choosing a frame by hand also shows it on CH2.
    Type(dlg, IDC_PLAY_CURRENT_FRAME, "2");
    EXPECT_EQ(doc.m_ch2.GetScreenTrace()[0], 61);
    EXPECT_EQ(doc.m_ch1.GetScreenTrace()[0], ch1First);
}

TEST(RecordDialogChannels, RecordingAChannelThatWasOffTellsTheInstrument) {
    kv::EnsureApplication();
    auto fake = std::make_shared<kv::RecordingZendral>();
    kv::ScopedZendral scope(fake);
    CKelvaneDoc doc;
    doc.SetDefaultSettings();
    doc.AllocSampleBuffers();
    doc.m_ch1.SetOn(1);
    doc.m_ch2.SetOn(0);
    doc.ApplyChannelEnable();
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateChannelMode), 0);
    CRecordDlg dlg;
    dlg.SetDocument(&doc);
    ASSERT_TRUE(dlg.Create(IDD_RECORD));
    dlg.m_comboSource.SetCurSel(1);
    dlg.OnSelchangeSource();
    fake->ClearCalls();
    dlg.OnButtonStart();
    EXPECT_EQ(doc.m_ch2.IsOn(), 1);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateChannelMode), 2); // both channels captured
    EXPECT_FALSE(fake->calls.empty());
    // Closing puts CH2 back off, and the instrument learns that too.
    dlg.OnCancel();
    EXPECT_EQ(doc.m_record.m_bRecording, 0);
    EXPECT_EQ(doc.m_ch2.IsOn(), 0);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateChannelMode), 0);
    EXPECT_EQ(doc.m_nRunStatus, 3);
}

TEST(RecordDialogPump, RecordingRunsThePumpPlayStopsItClosingRestartsIt) {
    PrepareRun("");
    std::unique_ptr<CKelvaneApp> app;
    {
        ModalAnswerer answer([](CDialog& d) { Click(d, IDC_BUTTON_IGNORE); });
        app = std::make_unique<CKelvaneApp>();
        ASSERT_TRUE(app->InitInstance());
    }
    CKelvaneView* view = app->GetView();
    CKelvaneDoc* doc = app->GetDocument();
    ASSERT_TRUE(view && doc);
    ASSERT_TRUE(TimerRunning(*view, IDT_PUMP));
    view->KillTimer(IDT_PUMP);

    CRecordDlg dlg(view);
    dlg.SetDocument(doc);
    dlg.SetView(view);
    ASSERT_TRUE(dlg.Create(IDD_RECORD));
    Type(dlg, IDC_RECORD_END_FRAME, "3");
    Type(dlg, IDC_RECORD_INTERVAL, "20");
    Click(dlg, IDC_BUTTON_RECORD);
    EXPECT_TRUE(TimerRunning(*view, IDT_PUMP));
    for (int i = 0; i < 50 && doc->m_record.m_bRecording; ++i)
        ProcessEventsFor(20);
    ASSERT_EQ(doc->m_record.m_nFramesRecorded, 3);

    Type(dlg, IDC_PLAY_INTERVAL, "20");
    Click(dlg, IDC_BUTTON_PLAY);
    EXPECT_FALSE(TimerRunning(*view, IDT_PUMP));
    EXPECT_EQ(doc->m_nRunStatus, 5);
    for (int i = 0; i < 50 && doc->m_record.m_bPlaying; ++i)
        ProcessEventsFor(20);
    EXPECT_EQ(doc->m_nRunStatus, 0);
    EXPECT_FALSE(TimerRunning(*view, IDT_PUMP)); // stays stopped until the dialog closes

    // Closing while playing restarts acquisition.
    Click(dlg, IDC_BUTTON_PLAY);
    ASSERT_EQ(doc->m_record.m_bPlaying, 1);
    dlg.OnCancel();
    EXPECT_EQ(doc->m_record.m_bPlaying, 0);
    EXPECT_TRUE(TimerRunning(*view, IDT_PUMP));
    EXPECT_EQ(doc->m_nRunStatus, 3);

    // The Waveform Color panel: a colour chosen for MATH reaches the trace.
    CWaveformColorDlg colours(view);
    colours.SetDocument(doc);
    ASSERT_TRUE(colours.Create(IDD_WAVEFORM_COLOR, view));
    doc->m_ch1.SetColor(RGB(10, 20, 30));
    colours.LoadFromDocument();
    EXPECT_EQ(colours.m_btnCh1.GetColor(), RGB(10, 20, 30));
    EXPECT_EQ(colours.m_btnRef.m_nTrace, 3);
    const COLORREF mathBefore = doc->m_math.GetColor();
    COLORREF initial = 0;
    CColorDialog::SetHook([&](CColorDialog& cd) {
        initial = cd.m_cc.rgbResult;
        cd.SetCurrentColor(RGB(1, 2, 3));
        return static_cast<INT_PTR>(IDOK);
    });
    colours.m_btnMath.OnLButtonUp(0, CPoint(2, 2));
    EXPECT_EQ(initial, mathBefore);
    EXPECT_EQ(doc->m_math.GetColor(), RGB(1, 2, 3));
    colours.m_btnCh2.OnLButtonUp(0, CPoint(2, 2));
    EXPECT_EQ(doc->m_ch2.GetColor(), RGB(1, 2, 3));
    CColorDialog::SetHook([](CColorDialog&) { return static_cast<INT_PTR>(IDCANCEL); });
    colours.m_btnCh1.OnLButtonUp(0, CPoint(2, 2));
    EXPECT_EQ(doc->m_ch1.GetColor(), RGB(10, 20, 30));
    CColorDialog::SetHook(nullptr);
    colours.OnOK();
    EXPECT_FALSE(colours.IsWindowVisible());
}

TEST(SaveChannelDialog, ChoosesAmongTheChannelsThatAreOn) {
    kv::EnsureApplication();
    CKelvaneDoc doc;
    doc.SetDefaultSettings();
    struct Case {
        int ch1, ch2, stored;
        bool ch1Enabled, ch2Enabled, okEnabled;
        int checkedCh1, checkedCh2;
        int result;
    };
    const Case cases[] = {
        {1, 1, 1, true, true, true, BST_UNCHECKED, BST_CHECKED, 1},
        {1, 1, 0, true, true, true, BST_CHECKED, BST_UNCHECKED, 0},
        {1, 0, 1, true, false, true, BST_CHECKED, BST_UNCHECKED, 0},
        {0, 1, 0, false, true, true, BST_UNCHECKED, BST_CHECKED, 1},
        {0, 0, 1, false, false, false, BST_UNCHECKED, BST_UNCHECKED, 1},
    };
    for (const Case& c : cases) {
        doc.m_ch1.SetOn(c.ch1);
        doc.m_ch2.SetOn(c.ch2);
        doc.m_nSaveChannel = static_cast<std::int16_t>(c.stored);
        CSaveChannelDlg dlg;
        dlg.SetDocument(&doc);
        ASSERT_TRUE(dlg.Create(IDD_SAVE_CHANNEL));
        const std::string what = "ch1 " + std::to_string(c.ch1) + " ch2 " + std::to_string(c.ch2);
        EXPECT_EQ(dlg.m_radioCh1.IsWindowEnabled() != 0, c.ch1Enabled) << what;
        EXPECT_EQ(dlg.m_radioCh2.IsWindowEnabled() != 0, c.ch2Enabled) << what;
        EXPECT_EQ(dlg.m_btnOk.IsWindowEnabled() != 0, c.okEnabled) << what;
        EXPECT_EQ(dlg.m_radioCh1.GetCheck(), c.checkedCh1) << what;
        EXPECT_EQ(dlg.m_radioCh2.GetCheck(), c.checkedCh2) << what;
        Click(dlg, IDC_SAVE_CHANNEL_OK);
        EXPECT_EQ(doc.m_nSaveChannel, c.result) << what;
    }
}

TEST(SaveChannelDialog, NoCheckedRadioSavesChoiceTwo) {
    kv::EnsureApplication();
    CKelvaneDoc doc;
    doc.SetDefaultSettings();
    doc.m_ch1.SetOn(1);
    doc.m_ch2.SetOn(1);
    CSaveChannelDlg dlg;
    dlg.SetDocument(&doc);
    ASSERT_TRUE(dlg.Create(IDD_SAVE_CHANNEL));
    dlg.m_radioCh1.SetCheck(BST_UNCHECKED);
    dlg.m_radioCh2.SetCheck(BST_UNCHECKED);
    dlg.OnButtonOk();
    EXPECT_EQ(doc.m_nSaveChannel, 2);
}
