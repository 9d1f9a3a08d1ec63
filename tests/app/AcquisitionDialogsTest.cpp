// The Average, Intensity, Pulse Width Setting and Demo Setting dialogs, opened headless from
// their templates on a document of their own.
#include "DialogTestSupport.h"
#include "TestOutput.h"
#include "app/AverageDlg.h"
#include "app/DemoSettingDlg.h"
#include "app/IntensityDlg.h"
#include "app/PulseWidthDlg.h"
#include "display/ScopeScreen.h"
#include "engine/KelvaneDoc.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"
#include "zendral/RecordingZendral.h"
#include "zendral/ZendralRegistry.h"

#include <QApplication>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

using apptest::Choose;
using apptest::Click;
using apptest::Notify;
using apptest::Text;
using apptest::Type;

// Checks that the dialog's picture shows its captions and saves it for a person to look at.
void Grab(CDialog& dlg, const char* name) {
    QWidget* w = dlg.GetWidget();
    ASSERT_NE(w, nullptr);
    EXPECT_GT(apptest::ExpectCaptionsShown(dlg), 0) << name;
    w->grab().toImage().save(QString::fromStdString(kvtest::OutputDir() + "/" + name));
}

class AcquisitionDialogs : public ::testing::Test {
protected:
    AcquisitionDialogs() {
        kv::EnsureApplication();
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.m_language.SetModel(doc.m_nModel);
        doc.m_language.SelectLanguage(CLanguageTable::kBuiltin);
        screen.SetDocument(&doc);
        AfxSetMessageBoxHook([this](const CString& text, const CString& caption, UINT) {
            boxes.push_back(text.str() + "|" + caption.str());
            return IDOK;
        });
    }
    ~AcquisitionDialogs() override { AfxSetMessageBoxHook(nullptr); }

    std::shared_ptr<kv::RecordingZendral> fake = std::make_shared<kv::RecordingZendral>();
    kv::ScopedZendral scope{fake};
    CKelvaneDoc doc;
    CScopeScreen screen;
    std::vector<std::string> boxes;
};

// ---- Average -----------------------------------------------------------------------------------

TEST_F(AcquisitionDialogs, AverageOpensWithTheWantedFrameCount) {
    doc.m_average.SetFramesWanted(16);
    CAverageDlg dlg;
    dlg.SetDocument(&doc);
    dlg.SetDocument(nullptr); // ignored
    ASSERT_TRUE(dlg.Create(IDD_AVERAGE));
    EXPECT_FALSE(dlg.IsWindowVisible());
    CString caption;
    dlg.GetWindowText(caption);
    EXPECT_STREQ(caption, "Average");
    EXPECT_STREQ(Text(dlg, IDC_AVG_COUNT), "16");
    EXPECT_STREQ(Text(dlg, IDC_AVG_RANGE), "(1 ~ 128)");
    EXPECT_EQ(dlg.m_editCount.GetLimitText(), 3u);
    doc.m_average.SetFramesWanted(64); // Load Setups, Factory Setup
    dlg.LoadFromDocument();
    EXPECT_STREQ(Text(dlg, IDC_AVG_COUNT), "64");
}

TEST_F(AcquisitionDialogs, AverageCountIsClampedAsTyped) {
    CAverageDlg dlg;
    dlg.SetDocument(&doc);
    ASSERT_TRUE(dlg.Create(IDD_AVERAGE));
    Type(dlg, IDC_AVG_COUNT, "0");
    EXPECT_STREQ(Text(dlg, IDC_AVG_COUNT), "1");
    Type(dlg, IDC_AVG_COUNT, "500");
    EXPECT_STREQ(Text(dlg, IDC_AVG_COUNT), "128");
    Type(dlg, IDC_AVG_COUNT, "-5");
    EXPECT_STREQ(Text(dlg, IDC_AVG_COUNT), "1");
    Type(dlg, IDC_AVG_COUNT, "32");
    EXPECT_STREQ(Text(dlg, IDC_AVG_COUNT), "32");
    EXPECT_EQ(dlg.m_nAverageCount, 32);
    // A half-typed entry is left alone and nothing is reported while typing.
    Type(dlg, IDC_AVG_COUNT, "");
    EXPECT_STREQ(Text(dlg, IDC_AVG_COUNT), "");
    EXPECT_TRUE(boxes.empty());
    // The document changes only with OK.
    EXPECT_EQ(doc.m_average.GetFramesWanted(), 1);
}

TEST_F(AcquisitionDialogs, AverageCountKeepsBothEndsOfItsRangeThroughOk) {
    CAverageDlg dlg;
    dlg.SetDocument(&doc);
    ASSERT_TRUE(dlg.Create(IDD_AVERAGE));
    // Typed, shown, and the count the averaging wants after OK: 1..128 frames.
    const std::tuple<const char*, const char*, int> cases[] = {{"128", "128", 128}, {"129", "128", 128},
                                                               {"127", "127", 127}, {"1", "1", 1},
                                                               {"2", "2", 2},       {"0", "1", 1}};
    for (const auto& [typed, shown, wanted] : cases) {
        dlg.ShowWindow(SW_SHOW);
        Type(dlg, IDC_AVG_COUNT, typed);
        EXPECT_STREQ(Text(dlg, IDC_AVG_COUNT), shown) << typed;
        Click(dlg, IDC_AVG_OK);
        EXPECT_EQ(doc.m_average.GetFramesWanted(), wanted) << typed;
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(AcquisitionDialogs, AverageOkRestartsAveragingOnlyForANewCount) {
    doc.m_average.SetAcquireMode(CAverageBuffer::kModeAverage);
    doc.m_average.SetFramesWanted(4);
    std::int16_t frame[CAverageBuffer::kPoints];
    std::fill(std::begin(frame), std::end(frame), std::int16_t{300});
    for (int i = 0; i < 3; ++i) {
        doc.m_average.BeginFrame();
        doc.m_average.PushFrameCh1(frame);
    }
    ASSERT_EQ(doc.m_average.GetFramesHeld(), 3);

    CAverageDlg dlg;
    dlg.SetDocument(&doc);
    ASSERT_TRUE(dlg.Create(IDD_AVERAGE));
    dlg.ShowWindow(SW_SHOW);
    Click(dlg, IDC_AVG_OK); // unchanged: the averaged history stays
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_EQ(doc.m_average.GetFramesHeld(), 3);
    EXPECT_EQ(doc.m_average.GetRingCh1()[0], 300);

    dlg.ShowWindow(SW_SHOW);
    Type(dlg, IDC_AVG_COUNT, "8");
    Click(dlg, IDOK); // Enter
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_EQ(doc.m_average.GetFramesWanted(), 8);
    EXPECT_EQ(doc.m_average.GetFramesHeld(), 0);
    EXPECT_EQ(doc.m_average.GetRingCh1()[0], 0);
}

TEST_F(AcquisitionDialogs, AverageCancelAndABadEntry) {
    doc.m_average.SetFramesWanted(10);
    CAverageDlg dlg;
    dlg.SetDocument(&doc);
    ASSERT_TRUE(dlg.Create(IDD_AVERAGE));
    dlg.ShowWindow(SW_SHOW);
    Type(dlg, IDC_AVG_COUNT, "20");
    Click(dlg, IDC_AVG_CANCEL);
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_STREQ(Text(dlg, IDC_AVG_COUNT), "10");
    EXPECT_EQ(doc.m_average.GetFramesWanted(), 10);

    // Not a number: the data exchange reports it, nothing is stored, the panel stays.
    dlg.ShowWindow(SW_SHOW);
    Type(dlg, IDC_AVG_COUNT, "x");
    Click(dlg, IDC_AVG_OK);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(dlg.IsWindowVisible());
    EXPECT_EQ(doc.m_average.GetFramesWanted(), 10);
}

// ---- Intensity ---------------------------------------------------------------------------------

TEST_F(AcquisitionDialogs, IntensityOpensFromScreenAndDocument) {
    screen.SetGridIntensity(90);
    screen.SetWaveformIntensity(180);
    doc.SetPersistenceEnabled(1);
    doc.SetPersistenceDepth(5);
    CIntensityDlg dlg;
    dlg.SetDocument(&doc);
    dlg.SetScreen(&screen);
    ASSERT_TRUE(dlg.Create(IDD_INTENSITY));
    EXPECT_EQ(dlg.m_sliderGrid.GetRangeMin(), 0);
    EXPECT_EQ(dlg.m_sliderGrid.GetRangeMax(), 255);
    EXPECT_EQ(dlg.m_sliderWaveform.GetRangeMax(), 255);
    EXPECT_EQ(dlg.m_sliderGrid.GetPos(), 90);
    EXPECT_EQ(dlg.m_sliderWaveform.GetPos(), 180);
    EXPECT_EQ(dlg.m_chkPersistence.GetCheck(), BST_CHECKED);
    EXPECT_EQ(dlg.m_listPersistenceTime.GetCurSel(), 5);
    EXPECT_TRUE(dlg.m_listPersistenceTime.IsWindowEnabled());
    EXPECT_EQ(dlg.m_listPersistenceTime.GetCount(), 16);
    CString last;
    dlg.m_listPersistenceTime.GetLBText(15, last);
    EXPECT_STREQ(last, "10.0 S");

    doc.SetPersistenceEnabled(0);
    dlg.LoadFromDocument();
    EXPECT_EQ(dlg.m_chkPersistence.GetCheck(), BST_UNCHECKED);
    EXPECT_FALSE(dlg.m_listPersistenceTime.IsWindowEnabled());
}

TEST_F(AcquisitionDialogs, IntensitySlidersApplyOnlyWhenReleased) {
    CIntensityDlg dlg;
    dlg.SetDocument(&doc);
    dlg.SetScreen(&screen);
    ASSERT_TRUE(dlg.Create(IDD_INTENSITY));
    const std::int16_t grid = screen.GetGridIntensity();
    const std::int16_t wave = screen.GetWaveformIntensity();
    dlg.m_sliderGrid.SetPos(17);
    dlg.m_sliderWaveform.SetPos(33);
    EXPECT_EQ(screen.GetGridIntensity(), grid);
    EXPECT_EQ(screen.GetWaveformIntensity(), wave);
    Notify(dlg, IDC_INT_GRID, NM_RELEASEDCAPTURE);
    EXPECT_EQ(screen.GetGridIntensity(), 17);
    EXPECT_EQ(screen.GetWaveformIntensity(), wave);
    Notify(dlg, IDC_INT_WAVE, NM_RELEASEDCAPTURE);
    EXPECT_EQ(screen.GetWaveformIntensity(), 33);
}

TEST_F(AcquisitionDialogs, IntensityPersistenceCheckAndTimeList) {
    CIntensityDlg dlg;
    dlg.SetDocument(&doc);
    dlg.SetScreen(&screen);
    ASSERT_TRUE(dlg.Create(IDD_INTENSITY));
    dlg.ShowWindow(SW_SHOW);
    dlg.m_chkPersistence.SetCheck(BST_CHECKED);
    Click(dlg, IDC_INT_PERSISTENCE);
    EXPECT_EQ(doc.IsPersistenceEnabled(), 1);
    EXPECT_TRUE(dlg.m_listPersistenceTime.IsWindowEnabled());
    Choose(dlg, dlg.m_listPersistenceTime, IDC_INT_PERSIST_TIME, 12);
    EXPECT_EQ(doc.GetPersistenceDepth(), 12);
    dlg.m_chkPersistence.SetCheck(BST_UNCHECKED);
    Click(dlg, IDC_INT_PERSISTENCE);
    EXPECT_EQ(doc.IsPersistenceEnabled(), 0);
    EXPECT_FALSE(dlg.m_listPersistenceTime.IsWindowEnabled());
    Click(dlg, IDC_INT_OK);
    EXPECT_FALSE(dlg.IsWindowVisible());
}

// ---- Pulse Width Setting -------------------------------------------------------------------------

TEST(PulseWidthCaption, FollowsTheRangesOfTheWidth) {
    struct Case {
        std::int64_t count;
        const char* text;
    };
    const Case cases[] = {
        {1, ""}, // below 10 ns
        {2, "10.0nS"},
        {19, "95.0nS"},
        {20, "100nS"},
        {199, "995nS"},
        {200, "1.00uS"},
        {300, "1.50uS"},
        {2000, "10.0uS"},
        {20000, "100uS"},
        {199999, "999uS"},
        {200000, "1.00mS"},
        {2000000, "10.0mS"},
        {20000000, "100mS"},
        {200000000, "1.00 S"},
        {2000000000, "10.0 S"},
        {20000000000LL, "100 S"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(CPulseWidthDlg::FormatPulseWidth(c.count), c.text) << c.count;
}

TEST(PulseWidthValue, ShownValueUnitAndStepByRange) {
    struct Case {
        std::int32_t count;
        double value;
        int unit;
        std::int32_t step;
    };
    const Case cases[] = {
        {2, 10, 0, 1},
        {199, 995, 0, 1},
        {200, 1.0, 1, 2},
        {2000, 10.0, 1, 20},
        {20000, 100.0, 1, 200},
        {200000, 1.0, 2, 2000},
        {2000000, 10.0, 2, 20000},
        {20000000, 100, 2, 200000},
        {200000000, 1.0, 3, 2000000},
        {2000000000, 10.0, 3, 20000000},
    };
    CKelvaneDoc doc;
    CPulseWidthDlg dlg;
    dlg.SetDocument(&doc);
    for (const Case& c : cases) {
        dlg.ShowPulseWidth(c.count);
        EXPECT_NEAR(dlg.m_dValue, c.value, 1e-9 * c.value) << c.count;
        EXPECT_EQ(dlg.m_nUnit, c.unit) << c.count;
        EXPECT_EQ(dlg.m_nStep, c.step) << c.count;
        EXPECT_STREQ(doc.m_strPulseWidth, CPulseWidthDlg::FormatPulseWidth(c.count));
    }
}

TEST_F(AcquisitionDialogs, PulseWidthSpinStepsAndWraps) {
    CPulseWidthDlg dlg;
    dlg.SetDocument(&doc);
    doc.m_trigger.SetPulseWidth(2);
    dlg.ShowPulseWidth(2);
    dlg.StepPulseWidth(+1); // down arrow from 10 ns
    EXPECT_EQ(doc.m_trigger.GetPulseWidth(), 2000000000);
    EXPECT_STREQ(doc.m_strPulseWidth, "10.0 S");
    dlg.StepPulseWidth(-1); // up arrow from the top
    EXPECT_EQ(doc.m_trigger.GetPulseWidth(), 2);
    dlg.StepPulseWidth(-1);
    EXPECT_EQ(doc.m_trigger.GetPulseWidth(), 3);
    dlg.StepPulseWidth(5); // not an arrow
    EXPECT_EQ(doc.m_trigger.GetPulseWidth(), 3);
    // From the top the down arrow takes the finer step of 2000000 counts.
    doc.m_trigger.SetPulseWidth(2000000000);
    dlg.ShowPulseWidth(2000000000);
    dlg.StepPulseWidth(+1);
    EXPECT_EQ(doc.m_trigger.GetPulseWidth(), 1998000000);
    // Within the microsecond decade the step is 20 counts (100 ns).
    doc.m_trigger.SetPulseWidth(2000);
    dlg.ShowPulseWidth(2000);
    dlg.StepPulseWidth(-1);
    EXPECT_EQ(doc.m_trigger.GetPulseWidth(), 2020);
    EXPECT_STREQ(doc.m_strPulseWidth, "10.1uS");
}

TEST(PulseWidthValue, OkCountIsComputedWideAndWrapped) {
    EXPECT_EQ(CPulseWidthDlg::CountFromValue(1.5, 1), 300);
    EXPECT_EQ(CPulseWidthDlg::CountFromValue(10, 0), 2);
    EXPECT_EQ(CPulseWidthDlg::CountFromValue(995, 0), 199);
    EXPECT_EQ(CPulseWidthDlg::CountFromValue(7, 0), 2000000000);  // 1.4 counts: below 2
    EXPECT_EQ(CPulseWidthDlg::CountFromValue(10, 3), 2000000000); // exactly the top
    // Four digits in seconds are about 2e12 counts: wrapped, not overflowed.
    EXPECT_EQ(CPulseWidthDlg::CountFromValue(9999, 3), 2);
    EXPECT_EQ(CPulseWidthDlg::CountFromValue(11, 3), 2);
    EXPECT_EQ(CPulseWidthDlg::CountFromValue(-1, 2), 2000000000);
    EXPECT_EQ(CPulseWidthDlg::CountFromValue(std::nan(""), 1), 2000000000);
    EXPECT_EQ(CPulseWidthDlg::CountFromValue(1e300, 1), 2);
    // A decimal entry that binary cannot hold exactly keeps its whole count.
    EXPECT_EQ(CPulseWidthDlg::CountFromValue(1.15, 1), 230);
    EXPECT_EQ(CPulseWidthDlg::CountFromValue(0.35, 2), 70000);
}

TEST_F(AcquisitionDialogs, PulseWidthModalRunStoresTheCountOnOk) {
    doc.m_trigger.SetPulseWidth(20000); // 100 uS
    CString caption, unitText, valueText;
    UINT limit = 0;
    QTimer::singleShot(20, [&] {
        auto* dlg = dynamic_cast<CPulseWidthDlg*>(CWnd::FromWidget(QApplication::activeModalWidget()));
        ASSERT_NE(dlg, nullptr);
        dlg->GetWindowText(caption);
        valueText = Text(*dlg, IDC_PW_VALUE);
        dlg->m_listUnit.GetLBText(dlg->m_listUnit.GetCurSel(), unitText);
        limit = dlg->m_editValue.GetLimitText();
        Type(*dlg, IDC_PW_VALUE, "1.5");
        Choose(*dlg, dlg->m_listUnit, IDC_PW_UNIT, 1);
        Click(*dlg, IDC_PW_OK);
    });
    CPulseWidthDlg dlg;
    dlg.SetDocument(&doc);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_STREQ(caption, "Pulse Width Setting");
    EXPECT_STREQ(valueText, "100");
    EXPECT_STREQ(unitText, "uS");
    EXPECT_EQ(limit, 4u);
    EXPECT_EQ(doc.m_trigger.GetPulseWidth(), 300);
    EXPECT_STREQ(doc.m_strPulseWidth, "1.50uS");
}

TEST_F(AcquisitionDialogs, PulseWidthCancelKeepsWhatTheSpinStored) {
    doc.m_trigger.SetPulseWidth(100);
    QTimer::singleShot(20, [&] {
        auto* dlg = dynamic_cast<CPulseWidthDlg*>(CWnd::FromWidget(QApplication::activeModalWidget()));
        ASSERT_NE(dlg, nullptr);
        NMUPDOWN nm;
        nm.hdr.idFrom = IDC_PW_SPIN;
        nm.hdr.code = UDN_DELTAPOS;
        nm.iDelta = -1; // up arrow
        LRESULT result = 0;
        dlg->OnNotify(IDC_PW_SPIN, reinterpret_cast<LPARAM>(&nm.hdr), &result);
        EXPECT_STREQ(Text(*dlg, IDC_PW_VALUE), "505");
        Click(*dlg, IDCANCEL);
    });
    CPulseWidthDlg dlg;
    dlg.SetDocument(&doc);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(doc.m_trigger.GetPulseWidth(), 101);
}

// ---- Demo Setting ----------------------------------------------------------------------------------

TEST_F(AcquisitionDialogs, DemoSettingShowsTheStartUpChoice) {
    CDemoSettingDlg dlg;
    dlg.SetDocument(&doc);
    ASSERT_TRUE(dlg.Create(IDD_DEMO_SETTING));
    for (int id : {IDC_DEMO_12_5KHZ, IDC_DEMO_4V, IDC_DEMO_NORMAL, IDC_DEMO_DC, IDC_DEMO_SWEEP})
        EXPECT_EQ(dlg.IsDlgButtonChecked(id), 1u) << id;
    for (int id : {IDC_DEMO_5MHZ, IDC_DEMO_800KHZ, IDC_DEMO_40V, IDC_DEMO_40MV, IDC_DEMO_NOISE})
        EXPECT_EQ(dlg.IsDlgButtonChecked(id), 0u) << id;
    CString caption;
    dlg.GetWindowText(caption);
    EXPECT_STREQ(caption, "Demo Setting");
}

TEST_F(AcquisitionDialogs, DemoSettingControlsWriteTheSourceAndRestart) {
    doc.SetDemoMode(1);
    CDemoSettingDlg dlg;
    dlg.SetDocument(&doc);
    ASSERT_TRUE(dlg.Create(IDD_DEMO_SETTING));
    const double freqs[] = {5120, 800, 200, 50, 12.5};
    for (int i = 0; i < 5; ++i) {
        fake->ClearCalls();
        Click(dlg, IDC_DEMO_5MHZ + i);
        EXPECT_EQ(doc.m_demo.GetFrequency(), freqs[i]);
        EXPECT_EQ(fake->CallsOf(6).size(), 1u);
    }
    const double amps[] = {40, 4, 0.4, 0.04};
    for (int i = 0; i < 4; ++i) {
        fake->ClearCalls();
        Click(dlg, IDC_DEMO_40V + i);
        EXPECT_EQ(doc.m_demo.GetAmplitude(), amps[i]);
        EXPECT_EQ(fake->CallsOf(6).size(), 1u);
    }
    for (int i = 2; i >= 0; --i) {
        Click(dlg, IDC_DEMO_NORMAL + i);
        EXPECT_EQ(doc.m_demo.GetWaveform(), i);
    }
    dlg.CheckDlgButton(IDC_DEMO_DC, BST_UNCHECKED);
    Click(dlg, IDC_DEMO_DC);
    EXPECT_EQ(doc.m_demo.GetDcOffset(), 0);
    doc.m_demo.SetDriftValue(3.25);
    dlg.CheckDlgButton(IDC_DEMO_SWEEP, BST_UNCHECKED);
    fake->ClearCalls();
    Click(dlg, IDC_DEMO_SWEEP);
    EXPECT_EQ(doc.m_demo.GetDrift(), 0);
    EXPECT_EQ(doc.m_demo.GetDriftValue(), 0.0);
    EXPECT_EQ(fake->CallsOf(6).size(), 1u);
}

TEST_F(AcquisitionDialogs, DemoSettingIgnoresEnterAndHidesOnEscape) {
    CDemoSettingDlg dlg;
    dlg.SetDocument(&doc);
    ASSERT_TRUE(dlg.Create(IDD_DEMO_SETTING));
    dlg.ShowWindow(SW_SHOW);
    Click(dlg, IDOK);
    EXPECT_TRUE(dlg.IsWindowVisible());
    Click(dlg, IDCANCEL);
    EXPECT_FALSE(dlg.IsWindowVisible());
    // Its radio buttons keep the last choice when shown again; the document is not reread.
    Click(dlg, IDC_DEMO_800KHZ);
    dlg.ShowWindow(SW_SHOW);
    EXPECT_EQ(doc.m_demo.GetFrequency(), 800.0);
}

// ---- Texts by control id ------------------------------------------------------------------------

TEST_F(AcquisitionDialogs, TextsComeFromTheLanguageByIdButListsAndValuesStay) {
    std::string tmpl = kvtest::OutputDir() + "/kv-dialogs-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    const std::string folder = std::string(tmpl) + "/language";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string lug = "[App]\n199=Mittelwert\n1108=Anzahl\n1109=x\n184=Helligkeit\n1088=Nachleuchten\n"
                            "1298=nein\n231=Demo\n1281=5 MHz\n249=Pulsbreite\n1303=Breite\n1308=nein\n";
    const std::string path = folder + "/Deutsch.lug";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(lug.data(), 1, lug.size(), f);
        std::fclose(f);
    }
    doc.m_language.SetLanguageFolder(folder.c_str());
    doc.m_language.ScanLanguageFiles();
    doc.m_language.SelectLanguage(0);

    doc.m_average.SetFramesWanted(7);
    CAverageDlg average;
    average.SetDocument(&doc);
    ASSERT_TRUE(average.Create(IDD_AVERAGE));
    CString caption;
    average.GetWindowText(caption);
    EXPECT_STREQ(caption, "Mittelwert");
    EXPECT_STREQ(Text(average, IDC_AVG_LABEL), "Anzahl");
    EXPECT_STREQ(Text(average, IDC_AVG_COUNT), "7"); // an edit keeps its value

    CIntensityDlg intensity;
    intensity.SetDocument(&doc);
    intensity.SetScreen(&screen);
    ASSERT_TRUE(intensity.Create(IDD_INTENSITY));
    intensity.GetWindowText(caption);
    EXPECT_STREQ(caption, "Helligkeit");
    EXPECT_STREQ(Text(intensity, IDC_INT_PERSISTENCE), "Nachleuchten");
    CString first;
    intensity.m_listPersistenceTime.GetLBText(0, first);
    EXPECT_STREQ(first, "Min"); // a list keeps its items

    CDemoSettingDlg demo;
    demo.SetDocument(&doc);
    ASSERT_TRUE(demo.Create(IDD_DEMO_SETTING));
    demo.GetWindowText(caption);
    EXPECT_STREQ(caption, "Demo");
    EXPECT_STREQ(Text(demo, IDC_DEMO_5MHZ), "5 MHz");
    EXPECT_STREQ(Text(demo, IDC_DEMO_800KHZ), "800 KHz"); // no key: unchanged

    std::remove(path.c_str());
    ::rmdir(folder.c_str());
    ::rmdir(tmpl.c_str());
}

TEST_F(AcquisitionDialogs, PicturesOfTheFourDialogsShowTheirCaptions) {
    CAverageDlg average;
    average.SetDocument(&doc);
    ASSERT_TRUE(average.Create(IDD_AVERAGE));
    average.ShowWindow(SW_SHOW);
    Grab(average, "dialog-average.png");
    CIntensityDlg intensity;
    intensity.SetDocument(&doc);
    intensity.SetScreen(&screen);
    ASSERT_TRUE(intensity.Create(IDD_INTENSITY));
    intensity.ShowWindow(SW_SHOW);
    Grab(intensity, "dialog-intensity.png");
    CDemoSettingDlg demo;
    demo.SetDocument(&doc);
    ASSERT_TRUE(demo.Create(IDD_DEMO_SETTING));
    demo.ShowWindow(SW_SHOW);
    Grab(demo, "dialog-demo-setting.png");
    QTimer::singleShot(20, [&] {
        auto* dlg = dynamic_cast<CPulseWidthDlg*>(CWnd::FromWidget(QApplication::activeModalWidget()));
        ASSERT_NE(dlg, nullptr);
        Grab(*dlg, "dialog-pulse-width.png");
        Click(*dlg, IDCANCEL);
    });
    CPulseWidthDlg pulse;
    pulse.SetDocument(&doc);
    EXPECT_EQ(pulse.DoModal(), IDCANCEL);
    EXPECT_NE(average.GetWidget()->grab().toImage().width(), 0);
}

} // namespace
