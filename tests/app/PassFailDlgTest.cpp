// The Pass/Fail panel: mask settings, Create, Start and Stop, frame counting as the view's
// timer drives it, the mask-settings file and closing the panel.
#include "app/PassFailDlg.h"
#include "DialogTestSupport.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "framework/CommonDialogs.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"
#include "system/LittleEndian.h"

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include "TestOutput.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace {

using apptest::Choose;
using apptest::Click;
using apptest::Text;
using apptest::Type;

std::string OutputFolder() {
    return kvtest::OutputDir();
}

class RecordingHost : public IPassFailHost {
public:
    void RunStart() override { calls.push_back("RunStart"); }
    void RunStop() override { calls.push_back("RunStop"); }
    void EnableChannelControls(int channel) override { calls.push_back("Channel" + std::to_string(channel)); }
    void EnableFormatList(BOOL enable) override { calls.push_back(enable ? "FormatOn" : "FormatOff"); }
    std::vector<std::string> calls;
};

class PassFailDialog : public ::testing::Test {
protected:
    PassFailDialog() {
        kv::EnsureApplication();
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.m_language.SetModel(doc.m_nModel);
        doc.m_language.SelectLanguage(CLanguageTable::kBuiltin);
        dlg.SetDocument(&doc);
        dlg.SetHost(&host);
        CPassFailDlg::SetBeepHook([this](UINT type) { beeps.push_back(type); });
        AfxSetMessageBoxHook([this](const CString& text, const CString&, UINT) {
            boxes.push_back(text.str());
            return IDOK;
        });
    }
    ~PassFailDialog() override {
        CPassFailDlg::SetBeepHook(nullptr);
        AfxSetMessageBoxHook(nullptr);
        CFileDialog::SetHook(nullptr);
    }
    void Open() { ASSERT_TRUE(dlg.Create(IDD_PASSFAIL)); }
    void Flat(CTrace& trace, std::int16_t value) {
        std::fill_n(trace.GetScreenTrace(), CTrace::kScreenPoints, value);
    }
    void ChooseFile(const std::string& path) {
        CFileDialog::SetHook([this, path](CFileDialog& fd) {
            lastFilter = fd.GetFilter();
            lastTitle = fd.m_ofn.lpstrTitle ? fd.m_ofn.lpstrTitle : "";
            fd.SetChosenPath(path.c_str());
            return static_cast<INT_PTR>(IDOK);
        });
    }

    CKelvaneDoc doc;
    RecordingHost host;
    CPassFailDlg dlg;
    std::vector<UINT> beeps;
    std::vector<std::string> boxes;
    CString lastFilter;
    std::string lastTitle;
};

TEST_F(PassFailDialog, OpensWithTheDocumentsSettings) {
    CPassFail& pf = doc.m_passFail;
    pf.m_nSource = 1;
    pf.m_nOutput = 3;
    pf.m_bStop = 1;
    pf.m_nHorizontalTolerance = 25;
    pf.m_nVerticalTolerance = 12;
    pf.m_nFailed = 4;
    pf.m_nPassed = 5;
    pf.m_nTotal = 9;
    Open();
    CString caption;
    dlg.GetWindowText(caption);
    EXPECT_STREQ(caption, "Pass/Fail");
    EXPECT_EQ(dlg.m_listSource.GetCount(), 2);
    EXPECT_EQ(dlg.m_listSource.GetCurSel(), 1);
    EXPECT_EQ(dlg.m_listOutput.GetCurSel(), 3);
    EXPECT_EQ(dlg.m_chkStopWhenOutput.GetCheck(), BST_CHECKED);
    EXPECT_STREQ(Text(dlg, IDC_PF_HORIZONTAL), "25");
    EXPECT_STREQ(Text(dlg, IDC_PF_VERTICAL), "12");
    EXPECT_STREQ(Text(dlg, IDC_PF_FAIL_COUNT), "4");
    EXPECT_STREQ(Text(dlg, IDC_PF_PASS_COUNT), "5");
    EXPECT_STREQ(Text(dlg, IDC_PF_TOTAL_COUNT), "9");
    EXPECT_FALSE(dlg.m_btnStop.IsWindowEnabled());
    EXPECT_TRUE(dlg.m_btnStart.IsWindowEnabled());
    EXPECT_EQ(dlg.m_editVertical.GetLimitText(), 3u);
    EXPECT_EQ(dlg.m_editHorizontal.GetLimitText(), 3u);
    int lo = 0, hi = 0;
    dlg.m_spinVertical.GetRange32(lo, hi);
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 128);
    dlg.m_spinHorizontal.GetRange32(lo, hi);
    EXPECT_EQ(hi, 200);
    EXPECT_EQ(dlg.m_nHorizontalMax, 200);
    EXPECT_EQ(dlg.m_nVerticalMax, 128);
}

TEST_F(PassFailDialog, TolerancesAreKeptInRangeAsTyped) {
    Open();
    Type(dlg, IDC_PF_HORIZONTAL, "300");
    EXPECT_STREQ(Text(dlg, IDC_PF_HORIZONTAL), "200");
    Type(dlg, IDC_PF_VERTICAL, "300");
    EXPECT_STREQ(Text(dlg, IDC_PF_VERTICAL), "128");
    // 0 and negative tolerances would put the mask outside its points.
    Type(dlg, IDC_PF_VERTICAL, "0");
    EXPECT_STREQ(Text(dlg, IDC_PF_VERTICAL), "1");
    Type(dlg, IDC_PF_HORIZONTAL, "-5");
    EXPECT_STREQ(Text(dlg, IDC_PF_HORIZONTAL), "1");
    EXPECT_EQ(dlg.m_nHorizontalTolerance, 1);
    EXPECT_EQ(dlg.m_nVerticalTolerance, 1);
    Type(dlg, IDC_PF_VERTICAL, "");
    EXPECT_EQ(dlg.m_nVerticalTolerance, 1);
    Type(dlg, IDC_PF_VERTICAL, "40");
    EXPECT_EQ(dlg.m_nVerticalTolerance, 40);
    EXPECT_EQ(dlg.m_spinVertical.GetPos(), 40);
    Click(dlg, IDC_PF_CREATE);
    EXPECT_EQ(doc.m_passFail.m_nVerticalTolerance, 40);
    EXPECT_EQ(doc.m_passFail.m_nHorizontalTolerance, 1);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PassFailDialog, SpinArrowsStepFromTheTypedValue) {
    Open();
    Type(dlg, IDC_PF_VERTICAL, "40");
    NMUPDOWN nm;
    nm.hdr.idFrom = IDC_PF_SPIN_VERTICAL;
    nm.hdr.code = UDN_DELTAPOS;
    nm.iDelta = 1;
    LRESULT result = 1;
    dlg.OnNotify(IDC_PF_SPIN_VERTICAL, reinterpret_cast<LPARAM>(&nm.hdr), &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(dlg.m_spinVertical.GetPos(), 40);
}

TEST_F(PassFailDialog, CreateBuildsTheMaskFromTheSourceChannel) {
    doc.m_ch2.SetOn(0);
    Flat(doc.m_ch2, 200);
    doc.m_passFail.m_nFailed = 3;
    doc.m_passFail.m_nTotal = 3;
    Open();
    Choose(dlg, dlg.m_listSource, IDC_PF_SOURCE, 1);
    Choose(dlg, dlg.m_listOutput, IDC_PF_OUTPUT, 2);
    dlg.m_chkStopWhenOutput.SetCheck(BST_CHECKED);
    Click(dlg, IDC_PF_STOP_WHEN_OUTPUT);
    Type(dlg, IDC_PF_VERTICAL, "10");
    Type(dlg, IDC_PF_HORIZONTAL, "5");
    Click(dlg, IDC_PF_CREATE);
    const CPassFail& pf = doc.m_passFail;
    EXPECT_EQ(doc.m_ch2.IsOn(), 1);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"Channel1"}));
    EXPECT_EQ(pf.m_nSource, 1);
    EXPECT_EQ(pf.m_nOutput, 2);
    EXPECT_EQ(pf.m_bStop, 1);
    EXPECT_EQ(pf.m_upper[250], 210);
    EXPECT_EQ(pf.m_lower[250], 190);
    EXPECT_EQ(pf.m_nTotal, 0u);
    EXPECT_EQ(pf.m_nFailed, 0u);
    EXPECT_EQ(pf.m_nState2, 0);
    EXPECT_STREQ(Text(dlg, IDC_PF_FAIL_COUNT), "0");
    EXPECT_TRUE(dlg.m_btnStart.IsWindowEnabled());
    EXPECT_FALSE(dlg.m_btnStop.IsWindowEnabled());
}

TEST_F(PassFailDialog, StartLocksTheSettingsAndStartsAcquisition) {
    doc.m_bRunning = 0;
    Open();
    Click(dlg, IDC_PF_START);
    const CPassFail& pf = doc.m_passFail;
    EXPECT_EQ(pf.m_nState1, 1);
    EXPECT_EQ(pf.m_nState2, 1);
    EXPECT_EQ(doc.m_bRunning, 1);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"RunStart"}));
    EXPECT_TRUE(dlg.m_btnStop.IsWindowEnabled());
    for (CWnd* w : std::initializer_list<CWnd*>{&dlg.m_btnStart, &dlg.m_btnCreate, &dlg.m_listSource,
                                                &dlg.m_editVertical, &dlg.m_editHorizontal,
                                                &dlg.m_spinVertical, &dlg.m_spinHorizontal})
        EXPECT_FALSE(w->IsWindowEnabled());
    Click(dlg, IDC_PF_STOP);
    EXPECT_EQ(pf.m_nState2, 0);
    EXPECT_EQ(host.calls.back(), "RunStop");
    EXPECT_TRUE(dlg.m_btnStart.IsWindowEnabled());
    EXPECT_TRUE(dlg.m_listSource.IsWindowEnabled());
    EXPECT_FALSE(dlg.m_btnStop.IsWindowEnabled());
}

TEST_F(PassFailDialog, FramesAreCountedWithoutStoppingWhenTheFlagIsClear) {
    Flat(doc.m_ch1, 300);
    Open();
    Choose(dlg, dlg.m_listOutput, IDC_PF_OUTPUT, 3);
    Click(dlg, IDC_PF_CREATE);
    Click(dlg, IDC_PF_START);
    for (int i = 0; i < 3; ++i)
        dlg.CountFrame();
    Flat(doc.m_ch1, 320);
    dlg.CountFrame();
    dlg.CountFrame();
    const CPassFail& pf = doc.m_passFail;
    EXPECT_EQ(pf.m_nPassed, 3u);
    EXPECT_EQ(pf.m_nFailed, 2u);
    EXPECT_EQ(pf.m_nTotal, 5u);
    EXPECT_STREQ(Text(dlg, IDC_PF_PASS_COUNT), "3");
    EXPECT_STREQ(Text(dlg, IDC_PF_FAIL_COUNT), "2");
    EXPECT_STREQ(Text(dlg, IDC_PF_TOTAL_COUNT), "5");
    EXPECT_TRUE(beeps.empty());
    EXPECT_EQ(pf.m_nState2, 1);
    EXPECT_EQ(doc.m_bRunning, 1);
}

TEST_F(PassFailDialog, PassPlusBeeperStopsAndBeepsOnTheFirstPass) {
    Flat(doc.m_ch1, 300);
    Open();
    Choose(dlg, dlg.m_listOutput, IDC_PF_OUTPUT, 3);
    dlg.m_chkStopWhenOutput.SetCheck(BST_CHECKED);
    Click(dlg, IDC_PF_CREATE);
    Click(dlg, IDC_PF_START);
    host.calls.clear();
    dlg.CountFrame();
    EXPECT_EQ(beeps, (std::vector<UINT>{0}));
    EXPECT_EQ(doc.m_bRunning, 0);
    EXPECT_EQ(doc.m_nRunStatus, 0);
    EXPECT_EQ(doc.m_passFail.m_nState2, 0);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"RunStop"}));
    EXPECT_STREQ(Text(dlg, IDC_PF_PASS_COUNT), "1");
    EXPECT_TRUE(dlg.m_btnStart.IsWindowEnabled());
}

TEST_F(PassFailDialog, OutputConditionsDecideWhatStops) {
    Flat(doc.m_ch1, 300);
    Open();
    dlg.m_chkStopWhenOutput.SetCheck(BST_CHECKED);
    Click(dlg, IDC_PF_CREATE);
    // FAIL: a passing frame goes on, a failing one stops without a beep.
    Choose(dlg, dlg.m_listOutput, IDC_PF_OUTPUT, 0);
    Click(dlg, IDC_PF_STOP_WHEN_OUTPUT);
    Click(dlg, IDC_PF_START);
    dlg.CountFrame();
    EXPECT_EQ(doc.m_passFail.m_nState2, 1);
    Flat(doc.m_ch1, 100);
    dlg.CountFrame();
    EXPECT_EQ(doc.m_passFail.m_nState2, 0);
    EXPECT_EQ(doc.m_nRunStatus, 0);
    EXPECT_TRUE(beeps.empty());
    // FAIL + BEEPER beeps.
    Choose(dlg, dlg.m_listOutput, IDC_PF_OUTPUT, 1);
    Click(dlg, IDC_PF_START);
    dlg.CountFrame();
    EXPECT_EQ(beeps.size(), 1u);
    // PASS ignores failing frames.
    Choose(dlg, dlg.m_listOutput, IDC_PF_OUTPUT, 2);
    Click(dlg, IDC_PF_START);
    dlg.CountFrame();
    EXPECT_EQ(doc.m_passFail.m_nState2, 1);
}

TEST_F(PassFailDialog, CountsAreShownAsUnsigned64BitNumbersAndRestartAtTheTop) {
    Flat(doc.m_ch1, 300);
    Open();
    Click(dlg, IDC_PF_CREATE);
    CPassFail& pf = doc.m_passFail;
    pf.m_nPassed = 4294967295u;
    pf.m_nTotal = 4294967295u;
    dlg.CountFrame();
    EXPECT_STREQ(Text(dlg, IDC_PF_PASS_COUNT), "4294967296");
    EXPECT_STREQ(Text(dlg, IDC_PF_TOTAL_COUNT), "4294967296");
    pf.m_nTotal = std::numeric_limits<std::uint64_t>::max() - 1;
    dlg.CountFrame();
    EXPECT_STREQ(Text(dlg, IDC_PF_TOTAL_COUNT), "18446744073709551615");
    dlg.CountFrame(); // the top was reached: all three restart, then this frame counts
    EXPECT_EQ(pf.m_nTotal, 1u);
    EXPECT_EQ(pf.m_nPassed, 1u);
    EXPECT_EQ(pf.m_nFailed, 0u);
}

TEST_F(PassFailDialog, SaveAndLoadTheMaskSettings) {
    Open();
    Choose(dlg, dlg.m_listOutput, IDC_PF_OUTPUT, 1);
    Type(dlg, IDC_PF_VERTICAL, "33");
    Type(dlg, IDC_PF_HORIZONTAL, "44");
    Click(dlg, IDC_PF_CREATE);
    const std::string path = OutputFolder() + "/passfail-dialog.psf";
    ChooseFile(path);
    Click(dlg, IDC_PF_SAVE);
    EXPECT_STREQ(lastFilter, "PassFail File(*.psf)|*.psf||");
    EXPECT_EQ(lastTitle, "Save PassFail Mask As...");
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(kv::ReadWholeFile(path, bytes, 1024));
    EXPECT_EQ(bytes.size(), 10u);

    // Change everything, then load: the upper-case extension is accepted.
    doc.m_passFail.m_nOutput = 0;
    doc.m_passFail.m_nVerticalTolerance = 5;
    dlg.LoadFromDocument();
    const std::string upper = OutputFolder() + "/PASSFAIL-DIALOG.PSF";
    std::rename(path.c_str(), upper.c_str());
    ChooseFile(upper);
    host.calls.clear();
    Click(dlg, IDC_PF_LOAD);
    EXPECT_STREQ(lastFilter, "PassFail File(*.psf)|*.psf|All Files(*.*)|*.*||");
    EXPECT_EQ(lastTitle, "Load PassFail Mask File...");
    EXPECT_EQ(doc.m_passFail.m_nOutput, 1);
    EXPECT_EQ(doc.m_passFail.m_nVerticalTolerance, 33);
    EXPECT_EQ(dlg.m_listOutput.GetCurSel(), 1);
    EXPECT_STREQ(Text(dlg, IDC_PF_VERTICAL), "33");
    EXPECT_STREQ(Text(dlg, IDC_PF_HORIZONTAL), "44");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"RunStop"}));
    std::remove(upper.c_str());
}

TEST_F(PassFailDialog, LoadIgnoresOtherExtensionsAndReportsBadFiles) {
    Open();
    const std::string txt = OutputFolder() + "/passfail-dialog.txt";
    const std::uint8_t settings[10] = {1, 0, 3, 0, 1, 0, 9, 0, 9, 0};
    ASSERT_TRUE(kv::WriteWholeFileAtomic(txt, settings, sizeof settings));
    ChooseFile(txt);
    Click(dlg, IDC_PF_LOAD);
    EXPECT_EQ(doc.m_passFail.m_nOutput, 0);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_TRUE(boxes.empty());
    std::remove(txt.c_str());

    const std::string shortFile = OutputFolder() + "/passfail-short.psf";
    ASSERT_TRUE(kv::WriteWholeFileAtomic(shortFile, settings, 4));
    ChooseFile(shortFile);
    Click(dlg, IDC_PF_LOAD);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(doc.m_passFail.m_nSource, 0);
    EXPECT_TRUE(host.calls.empty());
    std::remove(shortFile.c_str());
}

TEST_F(PassFailDialog, ClosingEndsPassFailAndRestartsThroughTheView) {
    Open();
    dlg.ShowWindow(SW_SHOW);
    Click(dlg, IDC_PF_START);
    doc.m_bRunning = 0; // stopped meanwhile
    host.calls.clear();
    dlg.OnClose();
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_EQ(doc.m_passFail.m_nState1, 0);
    EXPECT_EQ(doc.m_passFail.m_nState2, 0);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"RunStop", "RunStart", "FormatOn"}));
    EXPECT_EQ(doc.m_nRunStatus, 3);
}

TEST_F(PassFailDialog, WithoutAViewTheRunFlagsAreSetOnTheDocument) {
    CPassFailDlg lonely;
    lonely.SetDocument(&doc);
    ASSERT_TRUE(lonely.Create(IDD_PASSFAIL));
    doc.m_bRunning = 0;
    Click(lonely, IDC_PF_START);
    EXPECT_EQ(doc.m_bRunning, 1);
    EXPECT_EQ(doc.m_nRunStatus, 3);
    doc.m_bRunning = 0;
    doc.m_nRunStatus = 0;
    Click(lonely, IDCANCEL);
    EXPECT_EQ(doc.m_bRunning, 1);
    EXPECT_EQ(doc.m_nRunStatus, 3);
    lonely.OnOK();
    EXPECT_FALSE(lonely.IsWindowVisible());
}

// The view's timer runs the acquisition tick and then counts the frame, in Y-T format.
TEST_F(PassFailDialog, ATestRunCountsEveryDemoFrame) {
    doc.SetDemoMode(1);
    doc.m_demo.Seed(5);
    doc.m_bRunning = 1;
    doc.m_nRunStatus = 1;
    std::uint32_t now = 1000;
    doc.SetIntervalClock([&now] { return now; });
    for (int i = 0; i < 3; ++i, now += 32)
        doc.AcquireTick();
    Open();
    Type(dlg, IDC_PF_VERTICAL, "128");
    Type(dlg, IDC_PF_HORIZONTAL, "200");
    Click(dlg, IDC_PF_CREATE);
    Click(dlg, IDC_PF_START);
    int ticks = 0;
    for (int i = 0; i < 40; ++i, now += 32) {
        doc.AcquireTick();
        if (doc.m_passFail.m_nState2 && doc.m_settings.GetTimeBaseFormat() == kFormatYT) {
            dlg.CountFrame();
            ++ticks;
        }
    }
    const CPassFail& pf = doc.m_passFail;
    EXPECT_EQ(ticks, 40);
    EXPECT_EQ(pf.m_nTotal, 40u);
    EXPECT_EQ(pf.m_nPassed + pf.m_nFailed, 40u);
    EXPECT_STREQ(Text(dlg, IDC_PF_TOTAL_COUNT), "40");
}

TEST_F(PassFailDialog, PictureShowsEveryCaptionAndTheCounts) {
    Flat(doc.m_ch1, 300);
    Open();
    Click(dlg, IDC_PF_CREATE);
    Click(dlg, IDC_PF_START);
    dlg.CountFrame();
    dlg.ShowWindow(SW_SHOW);
    EXPECT_TRUE(dlg.IsWindowVisible());
    EXPECT_GT(apptest::ExpectCaptionsShown(dlg), 5);
    EXPECT_STREQ(Text(dlg, IDC_PF_TOTAL_COUNT), "1");
    dlg.GetWidget()->grab().toImage().save(QString::fromStdString(OutputFolder() + "/dialog-passfail.png"));
}

} // namespace

namespace {

// A sine of `amplitude` codes around `centre`, `cycles` periods over the 500 display points.
void Sine(CTrace& trace, int centre, int amplitude, double cycles, double phase) {
    for (int i = 0; i < CTrace::kScreenPoints; ++i)
        trace.GetScreenTrace()[i] = static_cast<std::int16_t>(
            centre +
            std::lround(amplitude * std::sin(2.0 * M_PI * cycles * i / CTrace::kScreenPoints + phase)));
}

} // namespace

// A mask made from CH2 judges CH2's frames, whatever CH1 shows meanwhile.
TEST_F(PassFailDialog, ASecondChannelMaskJudgesTheSecondChannel) {
    doc.m_ch1.SetOn(1);
    doc.m_ch2.SetOn(1);
    Sine(doc.m_ch1, 300, 80, 3.0, 0.0);
    Sine(doc.m_ch2, 220, 60, 2.0, 1.0);
    Open();
    Choose(dlg, dlg.m_listSource, IDC_PF_SOURCE, 1);
    Click(dlg, IDC_PF_CREATE);
    EXPECT_EQ(doc.m_passFail.m_nSource, 1);
    Click(dlg, IDC_PF_START);

    // CH1 moves far off; CH2 is unchanged and passes.
    Sine(doc.m_ch1, 120, 100, 5.0, 0.5);
    dlg.CountFrame();
    dlg.CountFrame();
    // CH2 moves up by 150 codes and fails.
    Sine(doc.m_ch2, 370, 60, 2.0, 1.0);
    dlg.CountFrame();
    const CPassFail& pf = doc.m_passFail;
    EXPECT_EQ(pf.m_nPassed, 2u);
    EXPECT_EQ(pf.m_nFailed, 1u);
    EXPECT_STREQ(Text(dlg, IDC_PF_PASS_COUNT), "2");
    EXPECT_STREQ(Text(dlg, IDC_PF_FAIL_COUNT), "1");
    EXPECT_STREQ(Text(dlg, IDC_PF_TOTAL_COUNT), "3");
}

// The output list and the stop check take effect as they change, before Create or Start.
TEST_F(PassFailDialog, OutputChoiceAndStopCheckAreStoredAsTheyChange) {
    Open();
    for (int output : {3, 2, 1, 0, 3}) {
        Choose(dlg, dlg.m_listOutput, IDC_PF_OUTPUT, output);
        EXPECT_EQ(doc.m_passFail.m_nOutput, output);
    }
    for (int check : {BST_CHECKED, BST_UNCHECKED}) {
        dlg.m_chkStopWhenOutput.SetCheck(check);
        Click(dlg, IDC_PF_STOP_WHEN_OUTPUT);
        EXPECT_EQ(doc.m_passFail.m_bStop, check == BST_CHECKED ? 1 : 0);
    }
}
