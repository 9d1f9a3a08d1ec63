// Run control, acquisition, cursor and utility commands, and the file commands through the file
// dialog writing and reading real files.
#include "CommandsTestSupport.h"

#include "app/DocUiBridge.h"
#include "engine/SettingsCodes.h"
#include "system/LittleEndian.h"

using cmdtest::CommandsTest;

TEST_F(CommandsTest, StartAndStopSetTheRunState) {
    Running(false);
    doc->m_bZoomIn = 1;
    doc->m_settings.SetHorizontalPosition(620);
    Run(ID_ACQUIRE_START);
    EXPECT_EQ(doc->m_bRunning, 1);
    EXPECT_EQ(doc->m_nRunStatus, 1);
    EXPECT_EQ(doc->m_bZoomIn, 0);
    EXPECT_EQ(doc->m_settings.GetHorizontalPosition(), 500);
    EXPECT_TRUE(mirror.Called("formatOn"));
    EXPECT_EQ(State(ID_ACQUIRE_START).second, 1);

    doc->m_settings.SetTimeBaseIndex(20);
    Run(ID_ACQUIRE_STOP);
    EXPECT_EQ(doc->m_bRunning, 0);
    EXPECT_EQ(doc->m_nRunStatus, 0);
    EXPECT_TRUE(mirror.Called("formatOff"));
    EXPECT_DOUBLE_EQ(doc->m_settings.GetCachedSecondsPerDiv(), doc->m_settings.GetSecondsPerDiv());
    EXPECT_EQ(State(ID_ACQUIRE_STOP).second, 1);

    // The document's run/stop command toggles through the view.
    doc->GetUi()->RunStopCommand();
    EXPECT_EQ(doc->m_bRunning, 1);
    doc->GetUi()->RunStopCommand();
    EXPECT_EQ(doc->m_bRunning, 0);
}

TEST_F(CommandsTest, StartLeavesEtsOnlyAboveIndexSix) {
    Running(false);
    doc->m_settings.SetSamplingMode(kSamplingEts);
    doc->m_settings.SetTimeBaseIndex(6);
    Run(ID_ACQUIRE_START);
    EXPECT_EQ(doc->m_settings.GetSamplingMode(), kSamplingEts);
    Run(ID_ACQUIRE_STOP);
    doc->m_settings.SetTimeBaseIndex(7);
    Run(ID_ACQUIRE_START);
    EXPECT_EQ(doc->m_settings.GetSamplingMode(), kSamplingRealTime);
}

TEST_F(CommandsTest, SingleSweepStartClearsTheRawRecords) {
    Running(false);
    doc->m_trigger.SetSweep(kSweepSingle);
    std::int16_t* raw = doc->m_ch1.GetRawRecord();
    ASSERT_NE(raw, nullptr);
    raw[0] = 77;
    raw[doc->m_ch1.GetRecordLength() - 1] = 77;
    Run(ID_ACQUIRE_START);
    EXPECT_EQ(raw[0], 0);
    EXPECT_EQ(raw[doc->m_ch1.GetRecordLength() - 1], 0);
}

TEST_F(CommandsTest, AcquisitionModeMouseModesAndCursors) {
    doc->m_average.SetAcquireMode(CAverageBuffer::kModeAverage);
    doc->m_average.SetFramesHeld(5);
    Run(ID_ACQ_AVERAGE);
    EXPECT_EQ(doc->m_average.GetFramesHeld(), 5);
    Run(ID_ACQ_NORMAL);
    Run(ID_ACQ_AVERAGE);
    EXPECT_EQ(doc->m_average.GetAcquireMode(), CAverageBuffer::kModeAverage);
    EXPECT_EQ(doc->m_average.GetFramesHeld(), 0);

    Running(false);
    view->Screen().SetCursorMode(1);
    Run(ID_ZOOM_IN);
    EXPECT_EQ(view->Screen().GetCursorMode(), 0);
    Run(ID_DRAG);
    EXPECT_EQ(doc->m_bDrag, 1);
    EXPECT_EQ(doc->m_bZoomIn, 0);
    EXPECT_EQ(State(ID_DRAG), std::make_pair(true, 1));
    Run(ID_DRAG);
    EXPECT_EQ(doc->m_bDrag, 0);

    // Cross with source FFT does nothing; FFT as source turns Cross off, keeps Trace.
    view->Screen().SetCursorSource(CScopeScreen::kCursorSourceFft);
    Run(ID_CURSOR_CROSS);
    EXPECT_EQ(view->Screen().GetCursorMode(), 0);
    EXPECT_FALSE(Update(ID_CURSOR_CROSS).m_bEnabled);
    view->Screen().SetCursorSource(0);
    doc->m_bZoomOut = 1;
    Run(ID_CURSOR_CROSS);
    EXPECT_EQ(view->Screen().GetCursorMode(), 1);
    EXPECT_EQ(doc->m_bZoomOut, 0);
    Run(ID_CURSOR_SOURCE_FFT);
    EXPECT_EQ(view->Screen().GetCursorSource(), CScopeScreen::kCursorSourceFft);
    EXPECT_EQ(view->Screen().GetCursorMode(), 0);
    view->Screen().SetCursorSource(1);
    Run(ID_CURSOR_TRACE);
    Run(ID_CURSOR_SOURCE_FFT);
    EXPECT_EQ(view->Screen().GetCursorMode(), 2);
}

TEST_F(CommandsTest, UtilitiesRefuseOutsideTheirFormatOrRecordLength) {
    doc->m_settings.SetRecordLengthMode(kRecordLength14K);
    Run(ID_UTILITY_FFT);
    doc->m_settings.SetTimeBaseFormat(kFormatRoll);
    Run(ID_UTILITY_RECORD);
    Run(ID_UTILITY_PASSFAIL);
    ASSERT_EQ(boxes.size(), 3u);
    for (const auto& box : boxes)
        EXPECT_EQ(box.text + "|" + box.caption, "Function not available!|Error");
    EXPECT_EQ(doc->m_passFail.m_nState1, 0);

    doc->m_settings.SetTimeBaseFormat(kFormatYT);
    Run(ID_UTILITY_PASSFAIL);
    EXPECT_EQ(doc->m_passFail.m_nState1, 1);
    EXPECT_TRUE(mirror.Called("formatOff"));
}

TEST_F(CommandsTest, SetupFilesRoundTripThroughTheFileDialog) {
    const std::string path = TempPath("a.set");
    std::remove(path.c_str());
    doc->SetDemoMode(0); // a demo session only refreshes the header of an existing file
    doc->m_ch1.SetVoltsPerDivIndex(6);
    AnswerFileDialog(path);
    Run(ID_FILE_SAVE_SETUPS);
    EXPECT_EQ(lastFilter, "Setup File(*.set)|*.set||");
    EXPECT_EQ(lastTitle, "Save Setups As...");
    ASSERT_TRUE(apptest::FileExists(path));

    doc->m_ch1.SetVoltsPerDivIndex(2);
    Run(ID_FILE_LOAD_SETUPS);
    EXPECT_EQ(doc->m_ch1.GetVoltsPerDivIndex(), 6);
    EXPECT_TRUE(mirror.Called("load"));

    // A file that is no setup file: nothing reloads.
    mirror.calls.clear();
    const std::string bad = TempPath("bad.set");
    const unsigned char junk[3] = {1, 2, 3};
    kv::WriteWholeFileAtomic(bad, junk, sizeof junk);
    AnswerFileDialog(bad);
    Run(ID_FILE_LOAD_SETUPS);
    EXPECT_FALSE(mirror.Called("load"));
    std::remove(path.c_str());
    std::remove(bad.c_str());
}

// Saving CSV or reference data under another extension writes nothing; the user is told so.
TEST_F(CommandsTest, SavesUnderTheWrongExtensionAreReported) {
    apptest::ModalAnswerer ok([](CDialog& dlg) { apptest::Click(dlg, IDC_SAVE_CHANNEL_OK); });
    const std::string wrong = TempPath("data.txt");
    std::remove(wrong.c_str());
    AnswerFileDialog(wrong);
    Run(ID_FILE_SAVE_CSV);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "This is not a CSV file!");
    EXPECT_FALSE(apptest::FileExists(wrong));

    Run(ID_REF_SAVE);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "This is not a reference file!");
    EXPECT_FALSE(apptest::FileExists(wrong));

    const std::string csv = TempPath("data.CSV");
    AnswerFileDialog(csv);
    Run(ID_FILE_SAVE_CSV);
    EXPECT_EQ(lastFilter, "CSV File(*.csv)|*.csv||");
    EXPECT_TRUE(apptest::FileExists(csv));
    EXPECT_EQ(boxes.size(), 2u);
    std::remove(csv.c_str());
}

TEST_F(CommandsTest, ReferenceSavedThenLoadedIntoRef) {
    apptest::ModalAnswerer ok([](CDialog& dlg) { apptest::Click(dlg, IDC_SAVE_CHANNEL_OK); });
    const std::string path = TempPath("wave.rfc");
    doc->m_ch1.SetOn(1);
    for (int i = 0; i < 500; ++i)
        doc->m_ch1.GetScreenTrace()[i] = static_cast<std::int16_t>(100 + i % 50);
    AnswerFileDialog(path);
    Run(ID_REF_SAVE);
    ASSERT_TRUE(apptest::FileExists(path));

    doc->m_ref.SetOn(0);
    Run(ID_REF_LOAD);
    EXPECT_EQ(lastFilter, "Reference File(*.rfc)|*.rfc|Old Reference File(*.ref)|*.ref||");
    EXPECT_TRUE(doc->m_ref.IsOn());
    EXPECT_FALSE(doc->m_ref.HasNoSamples());
    // Loaded once, REF on no longer asks for a file.
    doc->m_ref.SetOn(0);
    const int dialogs = fileDialogs;
    Run(ID_REF_ONOFF);
    EXPECT_EQ(fileDialogs, dialogs);
    EXPECT_TRUE(doc->m_ref.IsOn());

    // Another extension is ignored.
    doc->m_ref.SetOn(0);
    EXPECT_EQ(view->LoadReferenceByExtension(TempPath("wave.bin").c_str()), 0);
    EXPECT_FALSE(doc->m_ref.IsOn());
    std::remove(path.c_str());
}

TEST_F(CommandsTest, RefOnWithNothingLoadedAndTheDialogCancelled) {
    doc->m_ref.SetOn(0);
    doc->m_ref.SetNoSamples(1);
    AnswerFileDialog("");
    Run(ID_REF_ONOFF);
    EXPECT_EQ(fileDialogs, 1);
    EXPECT_TRUE(doc->m_ref.IsOn());
    Run(ID_REF_ONOFF);
    EXPECT_FALSE(doc->m_ref.IsOn());
}

// Each offered format is one the writer writes.
TEST_F(CommandsTest, SaveImageOffersItsFormatsAndArmsTheCaptureTimer) {
    const std::string path = TempPath("screen.bmp");
    AnswerFileDialog(path);
    Run(ID_FILE_SAVE_IMAGE);
    EXPECT_EQ(lastFilter, "BMP File(*.bmp)|*.bmp|JPEG File(*.jpg)|*.jpg|PNG File(*.png)|*.png||");
    EXPECT_EQ(lastDefExt.substr(lastDefExt.size() - 3), "bmp");
    EXPECT_EQ(std::string(view->m_strImagePath.GetString()), path);
    EXPECT_NE(view->m_nImageTimer, 0u);
    view->OnTimer(view->m_nImageTimer);
    EXPECT_EQ(view->m_nImageTimer, 0u);
    EXPECT_TRUE(apptest::FileExists(path));
    std::remove(path.c_str());
}

TEST_F(CommandsTest, FactorySetupRestoresDefaultsAndReloadsThePanels) {
    doc->m_ch1.SetVoltsPerDivIndex(0);
    doc->m_settings.SetTimeBaseIndex(30);
    Run(ID_FACTORY_SETUP);
    CKelvaneDoc fresh;
    fresh.SetDefaultSettings();
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), fresh.m_settings.GetTimeBaseIndex());
    EXPECT_EQ(doc->m_ch1.GetVoltsPerDivIndex(), fresh.m_ch1.GetVoltsPerDivIndex());
    EXPECT_TRUE(mirror.Called("load"));
}
