// Setup files through the running program: File > Save Setups and File > Load Setups bring back
// every setting, the screen panel's cursor settings included; files that cannot be used are
// named in a message and change nothing; start-up stays silent and is never held up by a named
// pipe; a write-protected "Default.set" is left as it was.
#include "CommandsTestSupport.h"

#include "../platform/system/ScratchFolder.h"
#include "engine/SettingsCodes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <sys/stat.h>
#include <thread>

using cmdtest::CommandsTest;

namespace {

class SetupThroughViewTest : public CommandsTest {
protected:
    void SetUp() override {
        CommandsTest::SetUp();
        ASSERT_TRUE(dir.Ok());
    }
    kvtest::ScratchFolder dir{"kv-setup-view-"};
};

TEST_F(SetupThroughViewTest, EveryFieldComesBackThroughTheProgram) {
    CKelvaneDoc& d = *doc;
    CScopeScreen& screen = view->Screen();
    d.SetDemoMode(0); // a demo session would only refresh the header of an existing file

    // The screen panel's settings through its menu commands.
    Run(ID_CURSOR_SOURCE_MATH);
    Run(ID_CURSOR_HORIZONTAL);
    Run(ID_DISPLAY_DOTS);
    Run(ID_DISPLAY_GRID);
    screen.SetGridIntensity(77);
    screen.SetWaveformIntensity(88);
    ASSERT_EQ(screen.GetCursorSource(), 2);
    ASSERT_EQ(screen.GetCursorMode(), 4);
    ASSERT_EQ(screen.GetDotMode(), 1);
    ASSERT_EQ(screen.IsGridOn(), 0);

    // Everything else as the panels and dialogs store it.
    d.m_ch1.SetOn(0);
    d.m_ch1.SetVoltsPerDivIndex(3);
    d.m_ch1.SetCoupling(kCouplingGnd);
    d.m_ch1.SetProbe(1);
    d.m_ch1.SetFilter(2);
    d.m_ch1.SetInvert(1);
    d.m_ch1.SetBandwidthLimit(1);
    d.m_ch1.SetPosition(100.5f);
    d.m_ch1.SetInterpolation(kInterpolationLinear);
    d.m_ch1.SetRecordLength(14336);
    d.m_ch1.SetColor(RGB(1, 2, 3));
    d.m_ch2.SetVoltsPerDivIndex(9);
    d.m_ch2.SetCoupling(kCouplingDc);
    d.m_ch2.SetProbe(3);
    d.m_ch2.SetFilter(1);
    d.m_ch2.SetPosition(-20.25f);
    d.m_ch2.SetColor(RGB(4, 5, 6));
    d.m_math.SetOn(1);
    d.m_math.SetVoltsPerDivIndex(2);
    d.m_math.SetProbe(2);
    d.m_math.SetSourceA(1);
    d.m_math.SetSourceB(0);
    d.m_math.SetOperation(3);
    d.m_math.SetInvert(1);
    d.m_math.SetPosition(300.0f);
    d.m_math.SetInterpolation(kInterpolationStep);
    d.m_math.SetColor(RGB(9, 8, 7));
    d.m_ref.SetOn(1);
    d.m_ref.SetPosition(200.0f);
    d.m_ref.SetPositionAtAcquisition(210.0f);
    d.m_ref.SetVoltsPerDivIndex(5);
    d.m_ref.SetVoltsPerDivAtAcquisition(4);
    d.m_ref.SetRecordLength(700);
    d.m_ref.SetTimeBaseIndex(20);
    d.m_ref.SetHorizontalPosition(123);
    d.m_ref.SetLoadedPosition(201.0f);
    d.m_ref.SetColor(RGB(10, 11, 12));
    for (int i = 0; i < 700; ++i)
        d.m_ref.GetRawRecord()[i] = static_cast<std::int16_t>(i * 3 - 1000);
    d.m_ref.SetNoSamples(0);
    d.m_trigger.SetTriggerType(kTriggerPulse);
    d.m_trigger.SetSweep(kSweepNormal);
    d.m_trigger.SetSource(kSourceExt);
    d.m_trigger.SetSlope(kSlopeFalling);
    d.m_trigger.SetLevel(0, 17.5f);
    d.m_trigger.SetLevel(1, 400.0f);
    d.m_trigger.SetLevel(2, 44.0f);
    d.m_trigger.SetHfReject(1);
    d.m_trigger.SetMarkerWord(0, 2);
    d.m_trigger.SetMarkerWord(1, 1);
    d.m_trigger.SetMarkerWord(2, 3);
    d.m_trigger.SetDragValue(-12.0f);
    d.m_trigger.SetPulseWidth(123456);
    d.m_trigger.SetPulseCondition(5);
    // The level readouts as the program shows them for these levels, zero lines and scales.
    screen.UpdateTriggerLevelVolts();
    const float levelVolts[3] = {d.m_trigger.GetLevelVolts(0), d.m_trigger.GetLevelVolts(1),
                                 d.m_trigger.GetLevelVolts(2)};
    d.m_settings.SetTimeBaseIndex(20);
    d.m_settings.SetTimeBaseFormat(kFormatYT);
    d.m_settings.SetHorizontalPosition(321);
    d.m_settings.SetSamplingMode(kSamplingRealTime);
    d.SetPersistenceDepth(7);
    d.SetPersistenceEnabled(1);
    d.m_average.SetAcquireMode(CAverageBuffer::kModeAverage);
    d.m_average.SetFramesWanted(64);
    d.m_nSaveChannel = 1;
    CRecordStore& rec = d.m_record;
    rec.m_bNoData = 0;
    for (std::size_t i = 0; i < rec.m_frames.size(); i += 997)
        rec.m_frames[i] = static_cast<std::int16_t>(i % 511);
    rec.m_nChannel = 1;
    rec.m_nRecordEndFrame = 300;
    rec.m_nRecordInterval = 20000;
    rec.m_nFramesRecorded = 250;
    rec.m_nTimeBaseIndex = 30;
    rec.m_nVoltsPerDivIndex = 8;
    rec.m_fPosition = 99.0f;
    rec.m_nCoupling = 2;
    rec.m_nProbe = 3;
    rec.m_nRecordingFlagWord = 1;
    rec.m_bPlaying = 0;
    rec.m_nPlayStartFrame = 5;
    rec.m_nHorizontalPosition = 500;
    rec.m_nRecordingValue = 0xDEADBEEF;
    rec.m_nPlayInterval = 40;
    rec.m_nCurrentFrame = 6;
    rec.m_nPlayEndFrame = 200;
    rec.m_bRepeat = 1;
    CPassFail& pf = d.m_passFail;
    pf.m_nHorizontalTolerance = 200;
    pf.m_nVerticalTolerance = 128;
    pf.m_nFailed = 1ull << 40;
    pf.m_nPassed = 7;
    pf.m_nTotal = (1ull << 40) + 7;
    pf.m_nOutput = 3;
    pf.m_nSource = 1;
    pf.m_bStop = 1;
    for (int i = 0; i < CPassFail::kPoints; ++i) {
        pf.m_upper[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(511 - i % 7);
        pf.m_lower[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i % 11);
    }
    d.m_measure.SetSource(2);
    for (short t : {3, 7, 19})
        d.m_measure.AddMeasurement(t);
    d.m_measure.SetSource(1);
    d.m_fft.m_bFftOn = 0;
    d.m_fft.m_nSource = 1;
    d.m_fft.m_nWindow = 3;
    d.m_fft.m_nBins = 4096;
    d.m_fft.m_nScale = 1;
    d.m_fft.m_dVerticalScale = 2.75;
    d.m_fft.m_nZoom = 16;

    const std::string path = dir.File("all.set");
    AnswerFileDialog(path);
    Run(ID_FILE_SAVE_SETUPS);
    ASSERT_TRUE(apptest::FileExists(path));

    // Factory Setup puts everything back to the defaults, the screen panel included.
    Run(ID_FACTORY_SETUP);
    d.SetDemoMode(0);
    ASSERT_EQ(screen.GetCursorMode(), 0);
    ASSERT_EQ(screen.GetCursorSource(), 0);
    ASSERT_EQ(d.m_ch1.GetVoltsPerDivIndex(), 6);
    mirror.calls.clear();
    boxes.clear();
    Run(ID_FILE_LOAD_SETUPS);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(mirror.Called("load")); // the side panel shows what was loaded

    // Header and the channel blocks.
    EXPECT_EQ(d.GetLanguageIndex(), -1);
    EXPECT_EQ(d.m_ch1.IsOn(), 0);
    EXPECT_EQ(d.m_ch1.GetVoltsPerDivIndex(), 3);
    EXPECT_EQ(d.m_ch1.GetCoupling(), kCouplingGnd);
    EXPECT_EQ(d.m_ch1.GetProbe(), 1);
    EXPECT_EQ(d.m_ch1.GetFilter(), 2);
    EXPECT_EQ(d.m_ch1.IsInverted(), 1);
    EXPECT_EQ(d.m_ch1.IsBandwidthLimit(), 1);
    EXPECT_EQ(d.m_ch1.GetPosition(), 100.5f);
    EXPECT_EQ(d.m_ch1.GetInterpolation(), kInterpolationLinear);
    EXPECT_EQ(d.m_ch1.GetRecordLength(), 14336);
    EXPECT_EQ(d.m_ch1.GetColor(), RGB(1, 2, 3));
    EXPECT_EQ(d.m_ch2.IsOn(), 1);
    EXPECT_EQ(d.m_ch2.GetVoltsPerDivIndex(), 9);
    EXPECT_EQ(d.m_ch2.GetCoupling(), kCouplingDc);
    EXPECT_EQ(d.m_ch2.GetProbe(), 3);
    EXPECT_EQ(d.m_ch2.GetFilter(), 1);
    EXPECT_EQ(d.m_ch2.GetPosition(), -20.25f);
    EXPECT_EQ(d.m_ch2.GetColor(), RGB(4, 5, 6));
    // MATH and REF.
    EXPECT_EQ(d.m_math.IsOn(), 1);
    EXPECT_EQ(d.m_math.GetVoltsPerDivIndex(), 2);
    EXPECT_EQ(d.m_math.GetProbe(), 2);
    EXPECT_EQ(d.m_math.GetSourceA(), 1);
    EXPECT_EQ(d.m_math.GetSourceB(), 0);
    EXPECT_EQ(d.m_math.GetOperation(), 3);
    EXPECT_EQ(d.m_math.IsInverted(), 1);
    EXPECT_EQ(d.m_math.GetPosition(), 300.0f);
    EXPECT_EQ(d.m_math.GetInterpolation(), kInterpolationStep);
    EXPECT_EQ(d.m_math.GetColor(), RGB(9, 8, 7));
    EXPECT_EQ(d.m_ref.IsOn(), 1);
    EXPECT_EQ(d.m_ref.HasNoSamples(), 0);
    EXPECT_EQ(d.m_ref.GetPosition(), 200.0f);
    EXPECT_EQ(d.m_ref.GetPositionAtAcquisition(), 210.0f);
    EXPECT_EQ(d.m_ref.GetVoltsPerDivIndex(), 5);
    EXPECT_EQ(d.m_ref.GetVoltsPerDivAtAcquisition(), 4);
    EXPECT_EQ(d.m_ref.GetRecordLength(), 700);
    EXPECT_EQ(d.m_ref.GetTimeBaseIndex(), 20);
    EXPECT_EQ(d.m_ref.GetHorizontalPosition(), 123);
    EXPECT_EQ(d.m_ref.GetLoadedPosition(), 201.0f);
    EXPECT_EQ(d.m_ref.GetColor(), RGB(10, 11, 12));
    EXPECT_EQ(d.m_ref.GetRawRecord()[0], -1000);
    EXPECT_EQ(d.m_ref.GetRawRecord()[699], 1097);
    // Trigger.
    EXPECT_EQ(d.m_trigger.GetTriggerType(), kTriggerPulse);
    EXPECT_EQ(d.m_trigger.GetSweep(), kSweepNormal);
    EXPECT_EQ(d.m_trigger.GetSource(), kSourceExt);
    EXPECT_EQ(d.m_trigger.GetSlope(), kSlopeFalling);
    EXPECT_EQ(d.m_trigger.GetLevel(0), 17.5f);
    EXPECT_EQ(d.m_trigger.GetLevel(1), 400.0f);
    EXPECT_EQ(d.m_trigger.GetLevel(2), 44.0f);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(d.m_trigger.GetLevelVolts(i), levelVolts[i]) << i;
    EXPECT_EQ(d.m_trigger.IsHfReject(), 1);
    EXPECT_EQ(d.m_trigger.GetMarkerWord(0), 2);
    EXPECT_EQ(d.m_trigger.GetMarkerWord(1), 1);
    EXPECT_EQ(d.m_trigger.GetMarkerWord(2), 3);
    EXPECT_EQ(d.m_trigger.GetDragValue(), -12.0f);
    EXPECT_EQ(d.m_trigger.GetPulseWidth(), 123456);
    EXPECT_EQ(d.m_trigger.GetPulseCondition(), 5);
    // Time base.
    EXPECT_EQ(d.m_settings.GetTimeBaseIndex(), 20);
    EXPECT_EQ(d.m_settings.GetRecordLengthMode(), kRecordLength10K);
    EXPECT_EQ(d.m_settings.GetTimeBaseFormat(), kFormatYT);
    EXPECT_EQ(d.m_settings.GetHorizontalPosition(), 321);
    EXPECT_EQ(d.m_settings.GetSamplingMode(), kSamplingRealTime);
    // The screen panel, through the program's own bridge.
    EXPECT_EQ(screen.GetCursorSource(), 2);
    EXPECT_EQ(screen.GetCursorMode(), 4);
    EXPECT_EQ(screen.GetDotMode(), 1);
    EXPECT_EQ(screen.IsGridOn(), 0);
    EXPECT_EQ(screen.GetGridIntensity(), 77);
    EXPECT_EQ(screen.GetWaveformIntensity(), 88);
    // Acquisition display.
    EXPECT_EQ(d.GetPersistenceDepth(), 7);
    EXPECT_EQ(d.IsPersistenceEnabled(), 1);
    EXPECT_EQ(d.m_average.GetAcquireMode(), CAverageBuffer::kModeAverage);
    EXPECT_EQ(d.m_average.GetFramesWanted(), 64);
    EXPECT_EQ(d.m_nSaveChannel, 1);
    // Record store.
    EXPECT_EQ(rec.m_bNoData, 0);
    EXPECT_EQ(rec.m_nChannel, 1);
    EXPECT_EQ(rec.m_nRecordEndFrame, 300);
    EXPECT_EQ(rec.m_nRecordInterval, 20000);
    EXPECT_EQ(rec.m_nFramesRecorded, 250);
    EXPECT_EQ(rec.m_nTimeBaseIndex, 30);
    EXPECT_EQ(rec.m_nVoltsPerDivIndex, 8);
    EXPECT_EQ(rec.m_fPosition, 99.0f);
    EXPECT_EQ(rec.m_nCoupling, 2);
    EXPECT_EQ(rec.m_nProbe, 3);
    EXPECT_EQ(rec.m_nRecordingFlagWord, 1);
    EXPECT_EQ(rec.m_bPlaying, 0);
    EXPECT_EQ(rec.m_nPlayStartFrame, 5);
    EXPECT_EQ(rec.m_nHorizontalPosition, 500);
    EXPECT_EQ(rec.m_nRecordingValue, 0xDEADBEEFu);
    EXPECT_EQ(rec.m_nPlayInterval, 40);
    EXPECT_EQ(rec.m_nCurrentFrame, 6);
    EXPECT_EQ(rec.m_nPlayEndFrame, 200);
    EXPECT_EQ(rec.m_bRepeat, 1);
    EXPECT_EQ(rec.m_frames[997], 997 % 511);
    EXPECT_EQ(rec.m_frames[1], 0);
    // Pass/fail.
    EXPECT_EQ(pf.m_nHorizontalTolerance, 200);
    EXPECT_EQ(pf.m_nVerticalTolerance, 128);
    EXPECT_EQ(pf.m_nFailed, 1ull << 40);
    EXPECT_EQ(pf.m_nPassed, 7u);
    EXPECT_EQ(pf.m_nTotal, (1ull << 40) + 7);
    EXPECT_EQ(pf.m_nOutput, 3);
    EXPECT_EQ(pf.m_nSource, 1);
    EXPECT_EQ(pf.m_bStop, 1);
    EXPECT_EQ(pf.m_upper[8], 510);
    EXPECT_EQ(pf.m_lower[12], 1);
    // Measurements.
    EXPECT_EQ(d.m_measure.GetCount(), 3);
    EXPECT_EQ(d.m_measure.GetSource(), 1);
    const short types[3] = {3, 7, 19};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(d.m_measure.GetEntry(i).used, 1) << i;
        EXPECT_EQ(d.m_measure.GetEntry(i).source, 2) << i;
        EXPECT_EQ(d.m_measure.GetEntry(i).type, types[i]) << i;
    }
    EXPECT_EQ(d.m_measure.GetEntry(3).used, 0);
    // FFT.
    EXPECT_EQ(d.m_fft.m_bFftOn, 0);
    EXPECT_EQ(d.m_fft.m_nSource, 1);
    EXPECT_EQ(d.m_fft.m_nWindow, 3);
    EXPECT_EQ(d.m_fft.m_nBins, 4096);
    EXPECT_EQ(d.m_fft.m_nScale, 1);
    EXPECT_EQ(d.m_fft.m_dVerticalScale, 2.75);
    EXPECT_EQ(d.m_fft.m_nZoom, 16);
}

TEST_F(SetupThroughViewTest, RefusedFilesAreNamedAndChangeNothing) {
    CKelvaneDoc& d = *doc;
    d.SetDemoMode(0);
    const std::string good = dir.File("good.set");
    ASSERT_EQ(d.SaveSetupFile(good.c_str()), 1);
    const auto bytes = kvtest::ReadAllBytes(good);
    ASSERT_GT(bytes.size(), 200u);

    // The current state differs from the file in fields on both sides of the cut.
    Run(ID_CURSOR_CROSS);
    d.m_ch1.SetVoltsPerDivIndex(2);
    d.m_trigger.SetLevel(0, 300.0f);
    const std::string cut = dir.File("cut.set");
    kvtest::WriteAllBytes(cut, std::string(bytes.begin(), bytes.begin() + 180)); // inside the trigger block
    mirror.calls.clear();
    AnswerFileDialog(cut);
    Run(ID_FILE_LOAD_SETUPS);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Can not open file: " + cut + ": the file ends early, in the trigger settings");
    EXPECT_FALSE(mirror.Called("load"));
    EXPECT_EQ(d.m_ch1.GetVoltsPerDivIndex(), 2);
    EXPECT_EQ(d.m_trigger.GetLevel(0), 300.0f);
    EXPECT_EQ(view->Screen().GetCursorMode(), 1);

    // A CSV file with a point that is no number: named with its line, nothing stops or switches.
    const std::string csv = dir.File("bad.csv");
    kvtest::WriteAllBytes(csv, "#CLOCK=0.001\n#SIZE=10240\n0.5,0,0\n0.25,0,0\n?,0,0\n");
    d.m_ch2.SetOn(1);
    const std::int16_t timeBase = d.m_settings.GetTimeBaseIndex();
    boxes.clear();
    AnswerFileDialog(csv);
    Run(ID_FILE_LOAD_CSV);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Can not open file: " + csv + ": line 5 \"?,0,0\" is not a number");
    EXPECT_EQ(d.m_bRunning, 1);
    EXPECT_EQ(d.m_ch2.IsOn(), 1);
    EXPECT_EQ(d.m_settings.GetTimeBaseIndex(), timeBase);
}

// A watchdog that releases a named pipe the program might wait on, and says whether it had to.
class PipeWatchdog {
public:
    explicit PipeWatchdog(std::string fifo) : m_fifo(std::move(fifo)), m_thread([this] { Watch(); }) {}
    ~PipeWatchdog() { Stop(); }
    // True when the pipe had to be released for the program to go on.
    bool Stop() {
        m_done = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_released;
    }

private:
    void Watch() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!m_done) {
            if (std::chrono::steady_clock::now() > deadline) {
                kvtest::ReleasePipe(m_fifo);
                m_released = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    std::string m_fifo;
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_released{false};
    std::thread m_thread;
};

TEST(StartupFiles, APipeInTheLanguageFolderDoesNotHoldUpTheStart) {
    apptest::PrepareRun("");
    const std::string folder = kv::ProgramFolder() + "/language";
    const bool made = ::mkdir(folder.c_str(), 0755) == 0;
    const std::string fifo = folder + "/Pipe.lug";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    {
        PipeWatchdog watchdog(fifo);
        apptest::ModalAnswerer answer([](CDialog& dlg) { apptest::Click(dlg, IDC_BUTTON_IGNORE); });
        CKelvaneApp app;
        ASSERT_TRUE(app.InitInstance());
        for (int i = 0; i < 3; ++i)
            app.GetView()->PumpTick(); // the first tick builds the Language menu
        EXPECT_FALSE(watchdog.Stop()) << "the start waited on the pipe";
        EXPECT_EQ(app.GetDocument()->m_language.GetLanguageCount(), 0);
    }
    ::unlink(fifo.c_str());
    if (made)
        ::rmdir(folder.c_str());
    std::remove(apptest::DefaultSetPath().c_str());
}

TEST(StartupFiles, AForeignDefaultSetIsSilentAndAProtectedOneIsKept) {
    apptest::PrepareRun("");
    const std::string path = apptest::DefaultSetPath();
    kvtest::WriteAllBytes(path, "not a setup file at all");
    std::vector<std::string> boxes;
    AfxSetMessageBoxHook([&](const CString& text, const CString&, UINT) {
        boxes.push_back(text.GetString());
        return IDOK;
    });
    {
        apptest::ModalAnswerer answer([](CDialog& dlg) { apptest::Click(dlg, IDC_BUTTON_IGNORE); });
        CKelvaneApp app;
        ASSERT_TRUE(app.InitInstance());
        EXPECT_TRUE(boxes.empty());
        // Protected before the program closes: the save at closing is refused and says so.
        ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
        app.GetMainFrame()->SendMessage(WM_CLOSE);
        apptest::ProcessEventsFor(20);
    }
    AfxSetMessageBoxHook(nullptr);
    EXPECT_EQ(kvtest::AsString(kvtest::ReadAllBytes(path)), "not a setup file at all");
    EXPECT_EQ(boxes, std::vector<std::string>{"Cann't save file: " + path + ": the file is write-protected"});
    ::chmod(path.c_str(), 0644);
    std::remove(path.c_str());
}

} // namespace
