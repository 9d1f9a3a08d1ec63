// The calibration dialogs and the auto-setup progress window, driven against the recording
// instrument fake: choice, zero calibration progress and stop, the ETS calibration run, the
// Calibrate Data panel's writes and the progress window's steps and paint.
#include "app/CalibrationDlg.h"
#include "app/AutoSetupProgress.h"
#include "app/CalibrateDataDlg.h"
#include "app/EtsCalibrationDlg.h"
#include "app/ZeroCalibrationDlg.h"
#include "engine/KelvaneDoc.h"
#include "framework/DC.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"
#include "zendral/RecordingZendral.h"
#include "zendral/ZendralRegistry.h"

#include <gtest/gtest.h>

#include "TestOutput.h"
#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const CZeroCalibrationDlg& dlg) {
    std::vector<std::string> out;
    for (const CString& line : dlg.GetProgressLines())
        out.emplace_back(line.GetString());
    return out;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class CalibrationDialogs : public ::testing::Test {
protected:
    CalibrationDialogs() {
        kv::EnsureApplication();
        fake->calibrationPairs.assign(2 * kv::kCalibrationPairs, 0);
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.m_language.SelectLanguage(CLanguageTable::kBuiltin);
    }

    std::shared_ptr<kv::RecordingZendral> fake = std::make_shared<kv::RecordingZendral>();
    kv::ScopedZendral scope{fake};
    CKelvaneDoc doc;
};

// Runs the document's calibration steps as the pump does, polling the dialog as its 500 ms
// timer would every few ticks; collects every line the list showed. Bounded.
std::set<std::string> RunWithDialog(CKelvaneDoc& doc, CZeroCalibrationDlg& dlg) {
    std::set<std::string> seen;
    for (int tick = 0; tick < 20000 && dlg.m_bRunning; ++tick) {
        if (doc.IsCalibrating())
            doc.CalibrationStep();
        if (tick % 7 == 0 || !doc.IsCalibrating()) {
            dlg.OnTimer(IDT_DIALOG);
            for (const std::string& line : Lines(dlg))
                seen.insert(line);
        }
    }
    return seen;
}

} // namespace

TEST_F(CalibrationDialogs, CalibrationChoiceIsShownAndWrittenBack) {
    std::int16_t choice = 1;
    {
        CCalibrationDlg dlg(&choice);
        dlg.SetDocument(&doc);
        ASSERT_TRUE(dlg.Create(IDD_CALIBRATION));
        CString caption;
        dlg.GetWindowText(caption);
        EXPECT_STREQ(caption.GetString(), "Calibration");
        EXPECT_EQ(dlg.m_radioEts.GetCheck(), BST_CHECKED);
        EXPECT_EQ(dlg.m_radioZero.GetCheck(), BST_UNCHECKED);
        dlg.m_radioEts.SetCheck(BST_UNCHECKED);
        dlg.m_radioZero.SetCheck(BST_CHECKED);
        dlg.OnCommand(MAKEWPARAM(IDC_CALIBRATION_OK, BN_CLICKED), 0);
        EXPECT_EQ(choice, 0);
    }
    {
        CCalibrationDlg dlg(&choice);
        dlg.SetDocument(&doc);
        ASSERT_TRUE(dlg.Create(IDD_CALIBRATION));
        EXPECT_EQ(dlg.m_radioZero.GetCheck(), BST_CHECKED);
        // Neither checked: the choice stays.
        dlg.m_radioZero.SetCheck(BST_UNCHECKED);
        dlg.OnOK();
        EXPECT_EQ(choice, 0);
    }
}

TEST_F(CalibrationDialogs, ZeroCalibrationOfBothChannelsRunsToOk) {
    CZeroCalibrationDlg dlg;
    dlg.m_pDoc = &doc;
    ASSERT_TRUE(dlg.Create(IDD_ZERO_CALIBRATION));
    EXPECT_EQ(Lines(dlg), (std::vector<std::string>{"Prepare... OK!", "Please start calibration..."}));
    EXPECT_EQ(dlg.m_checkCh1.GetCheck(), BST_CHECKED);
    EXPECT_EQ(dlg.m_checkCh2.GetCheck(), BST_CHECKED);

    dlg.OnCommand(MAKEWPARAM(IDC_ZERO_START, BN_CLICKED), 0);
    ASSERT_EQ(dlg.m_bRunning, 1);
    EXPECT_FALSE(dlg.m_checkCh1.IsWindowEnabled());
    CString button;
    dlg.m_btnStartStop.GetWindowText(button);
    EXPECT_STREQ(button.GetString(), "Stop");

    const std::set<std::string> seen = RunWithDialog(doc, dlg);
    EXPECT_EQ(dlg.m_bRunning, 0);
    EXPECT_TRUE(seen.count("Calibrate CH1..."));
    EXPECT_TRUE(seen.count("Calibrate CH2... "));
    // A normal finish is no stop: the list ends in "Calibrate OK!" and the stop is not run twice.
    EXPECT_EQ(Lines(dlg),
              (std::vector<std::string>{"Prepare... OK!", "Please start calibration... OK!",
                                        "Calibrate CH1... OK!", "Calibrate CH2... OK!", "Calibrate OK!"}));
    EXPECT_TRUE(dlg.m_checkCh1.IsWindowEnabled());
    dlg.m_btnStartStop.GetWindowText(button);
    EXPECT_STREQ(button.GetString(), "Start");
    EXPECT_EQ(fake->CallsOf(10).size(), 1u);
}

TEST_F(CalibrationDialogs, ZeroCalibrationOfCh2OnlyNeverReportsCh1) {
    CZeroCalibrationDlg dlg;
    dlg.m_pDoc = &doc;
    ASSERT_TRUE(dlg.Create(IDD_ZERO_CALIBRATION));
    dlg.m_checkCh1.SetCheck(BST_UNCHECKED);
    dlg.OnButtonStartStop();
    ASSERT_EQ(dlg.m_bRunning, 1);
    const std::set<std::string> seen = RunWithDialog(doc, dlg);
    EXPECT_FALSE(seen.count("Calibrate CH1... OK!"));
    EXPECT_TRUE(seen.count("Calibrate CH2... OK!"));
    EXPECT_TRUE(Contains(Lines(dlg), "Calibrate OK!"));
}

TEST_F(CalibrationDialogs, ZeroCalibrationWithoutChannelsOrTableDoesNothing) {
    CZeroCalibrationDlg dlg;
    dlg.m_pDoc = &doc;
    ASSERT_TRUE(dlg.Create(IDD_ZERO_CALIBRATION));
    dlg.m_checkCh1.SetCheck(BST_UNCHECKED);
    dlg.m_checkCh2.SetCheck(BST_UNCHECKED);
    dlg.OnButtonStartStop();
    EXPECT_EQ(dlg.m_bRunning, 0);
    EXPECT_TRUE(fake->CallsOf(9).empty());

    // The table cannot be read: the run ends at once with a stop and nothing is written.
    fake->readCalibrationResult = 0;
    dlg.m_checkCh1.SetCheck(BST_CHECKED);
    dlg.OnButtonStartStop();
    EXPECT_EQ(dlg.m_bRunning, 0);
    EXPECT_EQ(Lines(dlg).back(), "Calibrate Stop!");
    EXPECT_TRUE(fake->CallsOf(10).empty());
}

TEST_F(CalibrationDialogs, StoppingEarlyAddsStopAndReenablesChecks) {
    CZeroCalibrationDlg dlg;
    dlg.m_pDoc = &doc;
    ASSERT_TRUE(dlg.Create(IDD_ZERO_CALIBRATION));
    dlg.OnButtonStartStop();
    for (int i = 0; i < 5; ++i)
        doc.CalibrationStep();
    dlg.OnTimer(IDT_DIALOG);
    EXPECT_TRUE(Contains(Lines(dlg), "Calibrate CH1..."));
    dlg.OnButtonStartStop();
    EXPECT_EQ(dlg.m_bRunning, 0);
    EXPECT_FALSE(doc.IsCalibrating());
    EXPECT_EQ(Lines(dlg).back(), "Calibrate Stop!");
    EXPECT_TRUE(dlg.m_checkCh1.IsWindowEnabled());
    EXPECT_TRUE(dlg.m_checkCh2.IsWindowEnabled());
    EXPECT_TRUE(fake->CallsOf(10).empty()); // an unfinished table is never written

    // Close while running stops first.
    dlg.OnButtonStartStop();
    ASSERT_EQ(dlg.m_bRunning, 1);
    dlg.OnCommand(MAKEWPARAM(IDC_ZERO_CLOSE, BN_CLICKED), 0);
    EXPECT_EQ(dlg.m_bRunning, 0);
    EXPECT_FALSE(doc.IsCalibrating());
}

TEST_F(CalibrationDialogs, FailedTableWriteEndsInStopNotOk) {
    fake->results[10] = 0;
    CZeroCalibrationDlg dlg;
    dlg.m_pDoc = &doc;
    ASSERT_TRUE(dlg.Create(IDD_ZERO_CALIBRATION));
    dlg.m_checkCh2.SetCheck(BST_UNCHECKED);
    dlg.OnButtonStartStop();
    RunWithDialog(doc, dlg);
    const std::vector<std::string> lines = Lines(dlg);
    EXPECT_FALSE(Contains(lines, "Calibrate OK!"));
    EXPECT_EQ(lines.back(), "Calibrate Stop!");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Calibrate Stop!"), 1);
}

namespace {

// A counter that reads 1800 once the calibration value reaches 3000.
class TrackingZendral : public kv::RecordingZendral {
public:
    short sent = 3950;
    bool stuck = false;
    int SetTdcCalValue(short device, short value) override {
        sent = value;
        return RecordingZendral::SetTdcCalValue(device, value);
    }
    int ReadTdc(short device, int* value) override {
        RecordingZendral::ReadTdc(device, nullptr);
        if (value)
            *value = stuck ? 5000 : 1800 + (sent - 3000);
        return 1;
    }
};

} // namespace

TEST(EtsCalibrationDialog, RunsToConvergenceAndWritesTheResult) {
    kv::EnsureApplication();
    auto fake = std::make_shared<TrackingZendral>();
    kv::ScopedZendral scope(fake);
    CKelvaneDoc doc;
    doc.SetDefaultSettings();
    doc.AllocSampleBuffers();
    doc.m_language.SelectLanguage(CLanguageTable::kBuiltin);
    CEtsCalibrationDlg dlg;
    dlg.SetDocument(&doc);
    dlg.SetDocument(nullptr);
    ASSERT_TRUE(dlg.Create(IDD_ETS_CALIBRATION));
    EXPECT_STREQ(dlg.m_strStatus.GetString(), "ETS Calibration");

    EXPECT_EQ(dlg.OnButtonStart(), 1);
    EXPECT_STREQ(dlg.m_strStatus.GetString(), "ETS Calibration OK!");
    CString shown;
    dlg.GetDlgItemText(IDC_ETS_STATUS, shown);
    EXPECT_STREQ(shown.GetString(), "ETS Calibration OK!");
    EXPECT_TRUE(dlg.GetDlgItem(IDC_ETS_START)->IsWindowEnabled());
    EXPECT_NEAR(doc.m_settings.GetEtsCalValue(), 3000, 4);
    ASSERT_EQ(fake->CallsOf(27).size(), 1u);
    // The value written at the end is the calibrated one.
    EXPECT_EQ(fake->CallsOf(26).back().args.at(1), doc.m_settings.GetEtsCalValue());

    // A counter that never comes near gives up after 202 passes and writes nothing.
    fake->stuck = true;
    fake->ClearCalls();
    EXPECT_EQ(dlg.OnButtonStart(), 0);
    EXPECT_STREQ(dlg.m_strStatus.GetString(), "ETS Calibration Fails!");
    EXPECT_TRUE(fake->CallsOf(27).empty());
    EXPECT_EQ(fake->CallsOf(23).size(), 2u * CEtsCalibrationDlg::kMaxPasses);
}

TEST_F(CalibrationDialogs, CalibrateDataSendsListsAndClampedLimits) {
    doc.m_usb.GetAdjustmentWords()[0] = 2;
    doc.m_settings.SetEtsCalMax(250);
    doc.m_settings.SetEtsCalMin(20);
    doc.m_settings.SetEtsUpdate(1);
    CCalibrateDataDlg dlg;
    dlg.SetDocument(&doc);
    ASSERT_TRUE(dlg.Create(IDD_CALIBRATE_DATA));
    EXPECT_TRUE(fake->calls.empty()); // opening sends nothing
    EXPECT_EQ(dlg.m_listLineCal[0].GetCurSel(), 2);
    EXPECT_EQ(dlg.GetDlgItemInt(IDC_MAX_ETS_CAL_DATA), 250u);
    EXPECT_EQ(dlg.m_checkEtsUpdate.GetCheck(), BST_CHECKED);
    // Not translated: the template texts stay.
    CString label;
    dlg.GetDlgItemText(IDC_MAX_ETS_RANGE_LABEL, label);
    EXPECT_STREQ(label.GetString(), "( 0 ~ 300 )");

    // "-3" is item 13: stored and sent.
    CString item;
    dlg.m_listLineCal[1].GetLBText(13, item);
    EXPECT_STREQ(item.GetString(), "-3");
    dlg.m_listLineCal[1].SetCurSel(13);
    dlg.OnCommand(MAKEWPARAM(IDC_LINE_CAL_DATA2, CBN_SELCHANGE), 0);
    EXPECT_EQ(doc.m_usb.GetAdjustmentWords()[1], 13);
    ASSERT_EQ(fake->CallsOf(15).size(), 1u);
    // The same choice again sends nothing.
    dlg.OnCommand(MAKEWPARAM(IDC_LINE_CAL_DATA2, CBN_SELCHANGE), 0);
    EXPECT_EQ(fake->CallsOf(15).size(), 1u);

    // Limits above their labelled ranges are lowered before they are stored and sent.
    dlg.SetDlgItemText(IDC_MAX_ETS_CAL_DATA, "999");
    EXPECT_EQ(doc.m_settings.GetEtsCalMax(), 300);
    EXPECT_EQ(dlg.GetDlgItemInt(IDC_MAX_ETS_CAL_DATA), 300u);
    dlg.SetDlgItemText(IDC_MIN_ETS_CAL_DATA, "450");
    EXPECT_EQ(doc.m_settings.GetEtsCalMin(), 200);
    const std::vector<kv::ZendralCall> sent = fake->CallsOf(31);
    ASSERT_EQ(sent.size(), 2u);
    ASSERT_FALSE(sent.back().blocks.empty());
    EXPECT_EQ(sent.back().blocks.back(), (std::vector<short>{300, 200}));
    // An empty edit sends nothing.
    dlg.SetDlgItemText(IDC_MIN_ETS_CAL_DATA, "");
    EXPECT_EQ(fake->CallsOf(31).size(), 2u);

    dlg.m_checkEtsUpdate.SetCheck(BST_UNCHECKED);
    dlg.OnCommand(MAKEWPARAM(IDC_ETS_UPDATE, BN_CLICKED), 0);
    EXPECT_EQ(doc.m_settings.GetEtsUpdate(), 0);
    dlg.OnOK();
    EXPECT_FALSE(dlg.IsWindowVisible());
}

TEST(AutosetProgress, StepsTextsAndPaint) {
    kv::EnsureApplication();
    CAutosetProgressDlg dlg;
    EXPECT_STREQ(dlg.GetText().GetString(), "Autoset CH1...");
    dlg.SetStep(2);
    EXPECT_STREQ(dlg.GetText().GetString(), "Autoset CH1... OK!\nAutoset CH2... OK!\nAutoset Horizontal...");
    dlg.SetStep(7); // ignored
    EXPECT_STREQ(dlg.GetText().GetString(), "Autoset CH1... OK!\nAutoset CH2... OK!\nAutoset Horizontal...");
    dlg.SetStep(4);
    ASSERT_TRUE(dlg.Create(IDD_AUTOSET_PROGRESS));
    dlg.OnCancel(); // keys cannot close it
    dlg.ShowWindow(SW_SHOW);
    EXPECT_TRUE(dlg.IsWindowVisible());

    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap bmp;
    ASSERT_TRUE(bmp.CreateCompatibleBitmap(&dc, 240, 110));
    CBitmap* old = dc.SelectObject(&bmp);
    dlg.Draw(&dc, 240, 110);
    // Raised edge on the top and the right only; dark background; white text inside the margin.
    EXPECT_EQ(dc.GetPixel(100, 0), RGB(227, 227, 227));
    EXPECT_EQ(dc.GetPixel(100, 1), RGB(255, 255, 255));
    EXPECT_EQ(dc.GetPixel(239, 50), RGB(105, 105, 105));
    EXPECT_EQ(dc.GetPixel(238, 50), RGB(160, 160, 160));
    EXPECT_EQ(dc.GetPixel(0, 50), CAutosetProgressDlg::kBackColor);
    EXPECT_EQ(dc.GetPixel(100, 109), CAutosetProgressDlg::kBackColor);
    int white = 0;
    for (int y = 0; y < 110; ++y)
        for (int x = 0; x < 240; ++x)
            if (dc.GetPixel(x, y) == RGB(255, 255, 255) && y > 1) {
                ++white;
                EXPECT_GE(x, 10);
                EXPECT_GE(y, 10);
            }
    EXPECT_GT(white, 50);
    KvSaveDCPng(dc.GetSafeHdc(), (kvtest::OutputDir() + "/autoset-progress.png").c_str());
    dc.SelectObject(old);
}

// Every list reaches its last level, "-10" (index 20), when opening and when chosen.
TEST_F(CalibrationDialogs, CalibrateDataListsReachTheLastLevel) {
    for (int i = 0; i < 4; ++i)
        doc.m_usb.GetAdjustmentWords()[i] = static_cast<std::int16_t>(20 - i);
    CCalibrateDataDlg dlg;
    dlg.SetDocument(&doc);
    ASSERT_TRUE(dlg.Create(IDD_CALIBRATE_DATA));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dlg.m_listLineCal[i].GetCurSel(), 20 - i) << i;
        CString item;
        dlg.m_listLineCal[i].GetLBText(20, item);
        EXPECT_STREQ(item.GetString(), "-10") << i;
    }
    for (int i = 0; i < 4; ++i) {
        doc.m_usb.GetAdjustmentWords()[i] = 0;
        fake->ClearCalls();
        dlg.m_listLineCal[i].SetCurSel(20);
        dlg.OnCommand(MAKEWPARAM(IDC_LINE_CAL_DATA1 + i, CBN_SELCHANGE), 0);
        EXPECT_EQ(doc.m_usb.GetAdjustmentWords()[i], 20) << i;
        EXPECT_EQ(fake->CallsOf(15).size(), 1u) << i;
    }
    dlg.OnOK();
}
