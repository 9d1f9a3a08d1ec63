// Time base and record length: the range rule of the time/div commands with its messages, the
// Buffer Size enable rule, the start-time clamp and the record length chosen after a CSV load.
#include "CommandsTestSupport.h"

#include "engine/DeviceStateBlock.h"
#include "engine/SettingsCodes.h"

#include <fstream>

using cmdtest::CommandsTest;

namespace {

constexpr UINT TimeDivId(int index) {
    return ID_TIMEDIV_FIRST + static_cast<UINT>(index);
}

} // namespace

TEST_F(CommandsTest, DeepRecordLengthsRefuseTimeDivWhileRunning) {
    doc->m_ch1.SetOn(1);
    doc->m_ch2.SetOn(1);
    doc->ApplyChannelEnable();
    doc->m_trigger.SetSource(kSourceCh1);
    doc->m_settings.SetRecordLengthMode(kRecordLength14K);
    doc->m_settings.SetTimeBaseIndex(16);
    Running(true);
    Run(TimeDivId(18));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "14K Points Mode Range:40us/Div ~ 0.4s/Div");
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), 16);

    doc->m_trigger.SetSource(kSourceAlt);
    Run(TimeDivId(18));
    EXPECT_EQ(boxes.back().text, "14K Points Mode Range:20us/Div ~ 0.4s/Div");
    doc->m_trigger.SetSource(kSourceCh1);
    const char* expected[] = {"",
                              "",
                              "28K Points Mode Range:40us/Div ~ 0.4s/Div",
                              "32K Points Mode Range:40us/Div ~ 0.4s/Div",
                              "64K Points Mode Range:40us/Div ~ 0.4s/Div",
                              "512K Points Mode Range:400us/Div ~ 0.4s/Div",
                              "1M Points Mode Range:400us/Div ~ 0.4s/Div"};
    for (std::int16_t mode = 2; mode <= 6; ++mode)
        EXPECT_EQ(std::string(view->RecordLengthRangeMessage(mode).GetString()), expected[mode]);
    doc->m_ch2.SetOn(0);
    doc->ApplyChannelEnable();
    EXPECT_STREQ(view->RecordLengthRangeMessage(5).GetString(),
                 "512K Points Mode Range:200us/Div ~ 0.4s/Div");

    // Stopped: set freely, no message.
    Running(false);
    boxes.clear();
    Run(TimeDivId(30));
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), 30);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(CommandsTest, TenKSwitchesBetweenYTAndRollAtFourHundredMs) {
    doc->m_settings.SetRecordLengthMode(kRecordLength10K);
    doc->m_settings.SetTimeBaseIndex(13);
    Running(true);
    Run(TimeDivId(26)); // "1.00s"
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), 26);
    EXPECT_EQ(doc->m_settings.GetTimeBaseFormat(), kFormatRoll);
    EXPECT_EQ(mirror.Selected(ISidePanelMirror::kFormat), 1);
    EXPECT_EQ(State(TimeDivId(26)).second, 1);
    Run(TimeDivId(25)); // "400ms"
    EXPECT_EQ(doc->m_settings.GetTimeBaseFormat(), kFormatYT);

    // Pass/fail enabled: slower than 400 ms is ignored.
    doc->m_passFail.m_nState1 = 1;
    Run(TimeDivId(30));
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), 25);
    EXPECT_TRUE(boxes.empty());
}

// A label missing from the list names no time base; it is never used as index -1.
TEST_F(CommandsTest, LabelMissingFromTheListIsIgnored) {
    doc->m_nModel = 1;
    doc->m_settings.SetTimeBaseIndex(10);
    view->SelectTimeBase("2.00ns");
    view->SelectTimeBase("nonsense");
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), 10);
    EXPECT_EQ(view->TimeDivPosition("4.00ns"), 0);
}

TEST_F(CommandsTest, StartPullsTheTimeBaseIntoTheRecordLengthRange) {
    doc->m_ch1.SetOn(1);
    doc->m_ch2.SetOn(0);
    doc->ApplyChannelEnable();
    doc->m_settings.SetRecordLengthMode(kRecordLength512K);
    doc->m_settings.SetTimeBaseIndex(11); // "10.0us"
    doc->m_settings.SetTimeBaseFormat(kFormatRoll);
    Running(false);
    Run(ID_ACQUIRE_START);
    EXPECT_EQ(doc->m_bRunning, 1);
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), 16); // "400us"
    EXPECT_EQ(doc->m_settings.GetTimeBaseFormat(), kFormatYT);

    // 10K: a stopped selection at 1 s or slower starts in Roll.
    Run(ID_ACQUIRE_STOP);
    doc->m_settings.SetRecordLengthMode(kRecordLength10K);
    mirror.timeDivSelection = 27;
    Run(ID_ACQUIRE_START);
    EXPECT_EQ(doc->m_settings.GetTimeBaseFormat(), kFormatRoll);
}

TEST_F(CommandsTest, BufferSizeItemsFollowTheRule) {
    doc->SetDemoMode(0);
    doc->m_settings.SetRecordLengthMode(kRecordLength10K);
    Running(false);
    EXPECT_EQ(State(ID_BUFFER_10K), std::make_pair(true, 1));
    EXPECT_EQ(State(ID_BUFFER_14K), std::make_pair(false, 0));

    doc->m_ch1.SetOn(1);
    doc->m_ch2.SetOn(1);
    doc->ApplyChannelEnable();
    doc->m_trigger.SetSource(kSourceCh2);
    doc->m_settings.SetTimeBaseIndex(20); // 10 ms
    Running(true);
    EXPECT_EQ(State(ID_BUFFER_1M), std::make_pair(false, 0));
    EXPECT_EQ(State(ID_BUFFER_28K), std::make_pair(false, 0));
    EXPECT_EQ(State(ID_BUFFER_512K), std::make_pair(true, 0));
    doc->m_settings.SetTimeBaseIndex(12); // 20 us: below the dual lower limit
    EXPECT_FALSE(Update(ID_BUFFER_14K).m_bEnabled);
    doc->m_trigger.SetSource(kSourceAlt);
    EXPECT_TRUE(Update(ID_BUFFER_14K).m_bEnabled);

    Run(ID_BUFFER_14K);
    EXPECT_EQ(doc->m_settings.GetRecordLengthMode(), kRecordLength14K);
    EXPECT_EQ(doc->m_ch1.GetRecordLength(), 14336);
    EXPECT_EQ(State(ID_BUFFER_14K), std::make_pair(true, 1));

    doc->m_fft.m_bFftOn = 1;
    doc->m_settings.SetTimeBaseIndex(20);
    EXPECT_FALSE(Update(ID_BUFFER_512K).m_bEnabled);
    doc->SetDemoMode(1);
    EXPECT_FALSE(Update(ID_BUFFER_14K).m_bEnabled);
    EXPECT_TRUE(Update(ID_BUFFER_10K).m_bEnabled);
}

TEST_F(CommandsTest, LoadCsvChoosesTheRecordLengthByModel) {
    const std::string path = TempPath("deep.csv");
    {
        std::ofstream out(path);
        out << "#CLOCK=0.000000001\n#SIZE=14336\n";
        for (int i = 0; i < 14336; ++i)
            out << (i % 50) * 0.01 << ",0,0\n";
    }
    doc->m_settings.SetRecordLengthMode(kRecordLength10K);
    doc->m_ch1.SetOn(0);
    doc->m_ch2.SetOn(1);
    Running(true);
    AnswerFileDialog(path);
    Run(ID_FILE_LOAD_CSV);
    EXPECT_EQ(lastFilter, "CSV File(*.csv)|*.csv|All Files(*.*)|*.*||");
    EXPECT_EQ(lastTitle, "Load CSV File...");
    EXPECT_EQ(doc->m_settings.GetRecordLengthMode(), kRecordLength14K);
    EXPECT_EQ(doc->m_bRunning, 0);
    EXPECT_TRUE(doc->m_ch1.IsOn());
    EXPECT_FALSE(doc->m_ch2.IsOn());
    EXPECT_TRUE(mirror.Called("enable0"));
    EXPECT_TRUE(mirror.Called("disable1"));

    // Model 0 keeps the mode for 14336 points.
    doc->m_settings.SetRecordLengthMode(kRecordLength10K);
    doc->m_nModel = 0;
    view->ChooseRecordLengthForCsv(14336);
    EXPECT_EQ(doc->m_settings.GetRecordLengthMode(), kRecordLength10K);
    view->ChooseRecordLengthForCsv(32768);
    EXPECT_EQ(doc->m_settings.GetRecordLengthMode(), kRecordLength32K);
    std::remove(path.c_str());
}

TEST_F(CommandsTest, FailedCsvLoadChangesNothing) {
    const std::string path = TempPath("missing.csv");
    std::remove(path.c_str());
    doc->m_ch2.SetOn(1);
    Running(true);
    AnswerFileDialog(path);
    Run(ID_FILE_LOAD_CSV);
    EXPECT_EQ(doc->m_bRunning, 1);
    EXPECT_TRUE(doc->m_ch2.IsOn());
}
