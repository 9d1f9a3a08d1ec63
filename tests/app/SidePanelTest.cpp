// The side control panel: its lists, every control's road to the document, the record-length
// rule of the time/div list, the mirror calls, keys and translation, and its place in the view.
#include "AppTestSupport.h"
#include "TestOutput.h"

#include "app/SidePanel.h"
#include "display/ScopeScreen.h"
#include "engine/DeviceStateBlock.h"
#include "engine/SettingsCodes.h"
#include "framework/Accelerator.h"
#include "framework/FrameWnd.h"
#include "resources/Resource.h"
#include "system/Profile.h"
#include "zendral/RecordingZendral.h"
#include "zendral/ZendralRegistry.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QKeyEvent>
#include <QPixmap>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr UINT kCmdStop = ID_ACQUIRE_STOP;
constexpr UINT kAccelTable = 9650;

class HostFrame : public CFrameWnd {
public:
    HostFrame() {
        CCmdTarget::OnCommand(kCmdStop, [this] { ++stops; });
    }
    int stops = 0;
};

class SidePanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        kv::EnsureApplication();
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.m_language.LoadLanguage(CLanguageTable::kBuiltin);
        screen.SetDocument(&doc);
        AfxSetMessageBoxHook([this](const CString& text, const CString& caption, UINT) {
            messages.push_back(std::string(caption.GetString()) + "|" + text.GetString());
            return IDOK;
        });
        ASSERT_TRUE(frame.Create(nullptr, "host", WS_OVERLAPPEDWINDOW, RECT{0, 0, 400, 600}, nullptr, 0));
        panel.SetDocument(&doc);
        panel.SetScreen(&screen);
        ASSERT_TRUE(panel.Create(IDD_SIDEBAR, &frame));
        fake->ClearCalls();
    }
    void TearDown() override { AfxSetMessageBoxHook(nullptr); }

    QComboBox* Combo(UINT id) {
        return qobject_cast<QComboBox*>(panel.GetDlgItem(static_cast<int>(id))->GetWidget());
    }
    QAbstractButton* Button(UINT id) {
        return qobject_cast<QAbstractButton*>(panel.GetDlgItem(static_cast<int>(id))->GetWidget());
    }
    // Chooses list entry `index` as the user does (the list notifies its panel).
    void Choose(UINT id, int index) {
        QComboBox* c = Combo(id);
        c->setCurrentIndex(index);
        emit c->activated(index);
    }
    void Choose(UINT id, const char* label) { Choose(id, Combo(id)->findText(label)); }
    std::vector<std::string> Items(UINT id) {
        std::vector<std::string> out;
        for (int i = 0; i < Combo(id)->count(); ++i)
            out.push_back(Combo(id)->itemText(i).toStdString());
        return out;
    }
    std::string Text(UINT id) {
        CString s;
        panel.GetDlgItemText(static_cast<int>(id), s);
        return s.GetString();
    }
    bool Enabled(UINT id) { return panel.GetDlgItem(static_cast<int>(id))->IsWindowEnabled() != 0; }
    // Prefix search of the time/div list from its start.
    int Pos(const char* label) { return panel.m_cboTimeDiv.FindString(-1, label); }
    bool Called(int ordinal) {
        const std::vector<int> o = fake->Ordinals();
        return std::find(o.begin(), o.end(), ordinal) != o.end();
    }
    // Running, the given record length, both channels on and the given trigger source.
    void Running(std::int16_t mode, std::int16_t channelMode = 2, std::int16_t source = 0) {
        doc.m_bRunning = 1;
        doc.m_settings.SetRecordLengthMode(mode);
        doc.m_usb.SetStateWord(kv::kStateChannelMode, channelMode);
        doc.m_trigger.SetSource(source);
        panel.LoadFromDocument();
        fake->ClearCalls();
    }

    std::shared_ptr<kv::RecordingZendral> fake = std::make_shared<kv::RecordingZendral>();
    kv::ScopedZendral scope{fake};
    CKelvaneDoc doc;
    CScopeScreen screen;
    HostFrame frame;
    CSidebarDlg panel;
    std::vector<std::string> messages;
};

} // namespace

TEST_F(SidePanelTest, ListsFollowTheModelAndTheLanguage) {
    std::vector<std::string> time = Items(IDC_TIMEDIV);
    ASSERT_EQ(time.size(), 39u);
    EXPECT_EQ(time.front(), "2.00ns");
    EXPECT_EQ(time.back(), "1.00h");
    EXPECT_EQ(Items(IDC_TRIGGER_SOURCE), (std::vector<std::string>{"CH1", "CH2", "ALT", "EXT"}));
    EXPECT_EQ(Items(IDC_TRIGGER_MODE).size(), 2u);
    EXPECT_EQ(Items(IDC_TRIGGER_MODE)[0], doc.GetText(8030000).GetString());
    EXPECT_EQ(Items(IDC_TRIGGER_SWEEP).size(), 3u);
    EXPECT_EQ(Items(IDC_CH1_COUPLING)[2], doc.GetText(802000202).GetString());
    EXPECT_EQ(Items(IDC_CH2_COUPLING)[0], doc.GetText(802010200).GetString());
    EXPECT_FALSE(Items(IDC_CH1_COUPLING)[0].empty());
    EXPECT_EQ(Items(IDC_FORMAT), (std::vector<std::string>{"Y - T", "Roll", "X - Y"}));
    std::vector<std::string> volts = Items(IDC_CH1_VOLTDIV);
    ASSERT_EQ(volts.size(), 10u);
    EXPECT_EQ(volts.front(), "10.0mV");
    EXPECT_EQ(volts.back(), "10.0V");
    // Tool tips of the six channel lists come from the language table.
    EXPECT_STREQ(panel.m_toolTip.GetToolText(&panel.m_cboCh1VoltDiv), "CH1 Volt/DIV");
    EXPECT_STREQ(panel.m_toolTip.GetToolText(&panel.m_cboCh2Probe), "CH2 Probe");

    // A model without the 2 ns step and the tenth volts/div step, with EXT/10 and no Pulse.
    doc.m_nModel = 2;
    panel.FillLists();
    time = Items(IDC_TIMEDIV);
    ASSERT_EQ(time.size(), 38u);
    EXPECT_EQ(time.front(), "4.00ns");
    EXPECT_EQ(Items(IDC_CH1_VOLTDIV).size(), 9u);
    EXPECT_EQ(Items(IDC_TRIGGER_SOURCE).size(), 5u);
    EXPECT_EQ(Items(IDC_TRIGGER_MODE).size(), 1u);
    // Refilling never doubles a list.
    panel.FillLists();
    EXPECT_EQ(Items(IDC_TIMEDIV).size(), 38u);
    doc.m_nModel = 0;
    panel.FillLists();
    EXPECT_EQ(Items(IDC_TRIGGER_SOURCE).size(), 4u);
}

TEST_F(SidePanelTest, LoadFromDocumentSetsEveryControl) {
    doc.m_ch2.SetOn(0);
    doc.m_ch1.SetOn(1);
    doc.m_ch1.SetCoupling(kCouplingAc);
    doc.m_ch1.SetProbe(1);
    doc.m_ch1.SetVoltsPerDivIndex(4);
    doc.m_settings.SetTimeBaseIndex(17);
    doc.m_trigger.SetSource(kSourceExt);
    doc.m_trigger.SetSweep(kSweepNormal);
    doc.m_trigger.SetPulseWidth(200);
    doc.m_bRunning = 0;
    panel.LoadFromDocument();
    EXPECT_TRUE(Button(IDC_CH1_ON)->isChecked());
    EXPECT_FALSE(Button(IDC_CH2_ON)->isChecked());
    EXPECT_EQ(Combo(IDC_CH1_COUPLING)->currentIndex(), 1);
    EXPECT_EQ(Combo(IDC_CH1_PROBE)->currentIndex(), 1);
    // The labels follow the loaded probe (x10: 100mV .. 100V), the index stays.
    EXPECT_EQ(Items(IDC_CH1_VOLTDIV).front(), "100mV");
    EXPECT_EQ(Combo(IDC_CH1_VOLTDIV)->currentText().toStdString(), "2.00V");
    EXPECT_EQ(Combo(IDC_TIMEDIV)->currentText().toStdString(), "1.00ms");
    EXPECT_EQ(Combo(IDC_TRIGGER_SOURCE)->currentIndex(), 3);
    EXPECT_EQ(Combo(IDC_TRIGGER_SWEEP)->currentIndex(), 1);
    EXPECT_TRUE(Enabled(IDC_CH1_VOLTDIV));
    EXPECT_FALSE(Enabled(IDC_CH2_VOLTDIV));
    EXPECT_FALSE(Enabled(IDC_CH2_COUPLING));
    EXPECT_FALSE(Enabled(IDC_CH2_PROBE));
    EXPECT_FALSE(Enabled(IDC_FORMAT)); // only while acquisition runs
    EXPECT_EQ(Text(IDC_PULSE_WIDTH), "1.00uS");
    EXPECT_STREQ(doc.m_strPulseWidth, "1.00uS");
    EXPECT_EQ(Text(IDC_SLOPE_LABEL), "Trigger Slope");
    EXPECT_FALSE(Enabled(IDC_PULSE_WIDTH));
    EXPECT_TRUE(fake->calls.empty()); // loading sends nothing
}

TEST_F(SidePanelTest, ChannelListsGoThroughTheSettersAndSameChoiceDoesNothing) {
    doc.m_ch1.SetOn(1);
    panel.LoadFromDocument();
    const std::int16_t before = doc.m_ch1.GetVoltsPerDivIndex();
    Choose(IDC_CH1_VOLTDIV, before);
    EXPECT_TRUE(fake->calls.empty());

    doc.m_trigger.SetSource(kSourceCh1);
    doc.m_trigger.SetLevel(0, 40.0f);
    Choose(IDC_CH1_VOLTDIV, 7);
    EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 7);
    EXPECT_TRUE(Called(4));
    EXPECT_TRUE(Called(6));
    // The trigger-level readout follows the new scale.
    screen.UpdateTriggerLevelVolts();
    const float readout = doc.m_trigger.GetLevelVolts(0);
    Choose(IDC_CH1_VOLTDIV, 8);
    EXPECT_NE(doc.m_trigger.GetLevelVolts(0), readout);

    // Probe: stored only, the list relabelled with the index kept.
    fake->ClearCalls();
    Choose(IDC_CH2_PROBE, 3);
    EXPECT_EQ(doc.m_ch2.GetProbe(), 3);
    EXPECT_TRUE(fake->calls.empty());
    EXPECT_EQ(Items(IDC_CH2_VOLTDIV).front(), "10.0V");
    EXPECT_EQ(Items(IDC_CH2_VOLTDIV).back(), "10.0kV");
    EXPECT_EQ(Combo(IDC_CH2_VOLTDIV)->currentIndex(), doc.m_ch2.GetVoltsPerDivIndex());

    Choose(IDC_CH2_COUPLING, 2);
    EXPECT_EQ(doc.m_ch2.GetCoupling(), kCouplingGnd);
    EXPECT_TRUE(Called(4));
    fake->ClearCalls();
    Choose(IDC_CH2_COUPLING, 2);
    EXPECT_TRUE(fake->calls.empty());
}

TEST_F(SidePanelTest, OnButtonsSwitchChannelsExceptInXY) {
    doc.m_ch1.SetOn(1);
    doc.m_ch2.SetOn(1);
    panel.LoadFromDocument();
    Button(IDC_CH2_ON)->click();
    EXPECT_EQ(doc.m_ch2.IsOn(), 0);
    EXPECT_FALSE(Enabled(IDC_CH2_VOLTDIV));
    EXPECT_NE(doc.m_usb.GetStateWord(kv::kStateChannelMode), 2); // channel enable applied
    Button(IDC_CH2_ON)->click();
    EXPECT_EQ(doc.m_ch2.IsOn(), 1);
    EXPECT_TRUE(Enabled(IDC_CH2_VOLTDIV));

    doc.m_settings.SetTimeBaseFormat(kFormatXY);
    Button(IDC_CH1_ON)->click();
    EXPECT_TRUE(Button(IDC_CH1_ON)->isChecked());
    EXPECT_EQ(doc.m_ch1.IsOn(), 1);
}

TEST_F(SidePanelTest, TimeDivAcceptsAnythingWhileStopped) {
    doc.m_bRunning = 0;
    doc.m_settings.SetRecordLengthMode(kRecordLength512K);
    panel.LoadFromDocument();
    Choose(IDC_TIMEDIV, "2.00ns");
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 0);
    Choose(IDC_TIMEDIV, "10.0s");
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), Pos("10.0s"));
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatYT); // Roll is not entered
    EXPECT_TRUE(messages.empty());
}

TEST_F(SidePanelTest, TimeDivIn10KModeEntersAndLeavesRoll) {
    Running(0);
    Choose(IDC_TIMEDIV, "2.00s");
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatRoll);
    EXPECT_EQ(Combo(IDC_FORMAT)->currentIndex(), 1);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), Pos("2.00s"));

    // Back below 1 s at index 21 or above: Y-T, a forced trigger and no pretrigger wait.
    doc.m_bPretriggerWait = 1;
    fake->ClearCalls();
    Choose(IDC_TIMEDIV, 21);
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatYT);
    EXPECT_EQ(Combo(IDC_FORMAT)->currentIndex(), 0);
    EXPECT_TRUE(Called(1));
    EXPECT_EQ(doc.m_bPretriggerWait, 0);

    // At index 20 or below no trigger is forced.
    Choose(IDC_TIMEDIV, "1.00s");
    fake->ClearCalls();
    Choose(IDC_TIMEDIV, 20);
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatYT);
    EXPECT_FALSE(Called(1));

    // While the pass/fail test runs, 1 s and slower become 400 ms.
    doc.m_passFail.m_nState1 = 1;
    Choose(IDC_TIMEDIV, "4.00s");
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), Pos("400ms"));
    EXPECT_EQ(Combo(IDC_TIMEDIV)->currentIndex(), Pos("400ms"));
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatYT);
}

TEST_F(SidePanelTest, TimeDivRangesOfTheLongRecords) {
    struct Case {
        std::int16_t mode, channelMode, source;
        const char* refused;
        const char* accepted;
        const char* message;
    };
    const Case cases[] = {
        {1, 2, 0, "20.0us", "40.0us", "14K Points Mode Range:40.0us/div ~ 400ms/div"},
        {1, 0, 0, "10.0us", "20.0us", "14K Points Mode Range:20.0us/div ~ 400ms/div"},
        {2, 0, 0, "20.0us", "400ms", "28K Points Mode Range:40.0us/div ~ 400ms/div"},
        {3, 2, 2, "10.0us", "20.0us", "32K Points Mode Range:20.0us/div ~ 400ms/div"},
        {4, 0, 0, "1.00s", "40.0us", "64K Points Mode Range:40.0us/div ~ 400ms/div"},
        {5, 2, 0, "200us", "400us", "512K Points Mode Range:400us/div ~ 400ms/div"},
        {5, 2, 2, "100us", "200us", "512K Points Mode Range:200us/div ~ 400ms/div"},
        {6, 0, 0, "200us", "400us", "1M Points Mode Range:400us/div ~ 400ms/div"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        doc.m_settings.SetTimeBaseIndex(static_cast<std::int16_t>(Pos("100ms")));
        Running(c.mode, c.channelMode, c.source);
        messages.clear();
        Choose(IDC_TIMEDIV, c.refused);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], std::string("Error|") + c.message);
        EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), Pos("100ms"));
        EXPECT_EQ(Combo(IDC_TIMEDIV)->currentIndex(), Pos("100ms"));
        EXPECT_TRUE(fake->calls.empty());
        Choose(IDC_TIMEDIV, c.accepted);
        EXPECT_EQ(messages.size(), 1u);
        EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), Pos(c.accepted));
    }
}

TEST_F(SidePanelTest, FormatRollXYAndBack) {
    Running(0);
    doc.m_settings.SetHorizontalPosition(100);
    Choose(IDC_FORMAT, 1);
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatRoll);
    EXPECT_EQ(doc.m_settings.GetHorizontalPosition(), 500);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), Pos("1.00s"));
    EXPECT_EQ(Combo(IDC_TIMEDIV)->currentIndex(), Pos("1.00s"));

    // Leaving Roll for X-Y: both channels on and centred, MATH and REF off, 40 us/div.
    doc.m_ch2.SetOn(0);
    doc.m_math.SetOn(1);
    doc.m_ref.SetOn(1);
    panel.DisableChannelControls(1);
    Choose(IDC_FORMAT, 2);
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatXY);
    EXPECT_EQ(doc.m_ch2.IsOn(), 1);
    EXPECT_TRUE(Button(IDC_CH2_ON)->isChecked());
    EXPECT_TRUE(Enabled(IDC_CH2_VOLTDIV));
    EXPECT_FLOAT_EQ(doc.m_ch1.GetPosition(), 128.0f);
    EXPECT_FLOAT_EQ(doc.m_ch2.GetPosition(), 128.0f);
    EXPECT_EQ(doc.m_math.IsOn(), 0);
    EXPECT_EQ(doc.m_ref.IsOn(), 0);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), Pos("40.0us"));
    EXPECT_EQ(Combo(IDC_TIMEDIV)->currentIndex(), Pos("40.0us"));

    // X-Y to Y-T keeps the time base.
    Choose(IDC_FORMAT, 0);
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatYT);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), Pos("40.0us"));
}

TEST_F(SidePanelTest, RollRefusedInLongRecordModes) {
    doc.m_settings.SetTimeBaseIndex(static_cast<std::int16_t>(Pos("1.00ms")));
    for (std::int16_t mode : {1, 2, 5, 6}) {
        SCOPED_TRACE(mode);
        Running(mode);
        doc.m_settings.SetHorizontalPosition(100);
        Choose(IDC_FORMAT, 1);
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatYT);
        EXPECT_EQ(Combo(IDC_FORMAT)->currentIndex(), 0);
        EXPECT_EQ(doc.m_settings.GetHorizontalPosition(), 500);
        EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), Pos("1.00ms"));
    }
    Running(3, 0);
    Choose(IDC_FORMAT, 1);
    Running(3, 2);
    Choose(IDC_FORMAT, 1);
    Running(4);
    Choose(IDC_FORMAT, 1);
    EXPECT_EQ(messages, (std::vector<std::string>{"Error|32K Points Mode Range:20us/Div ~ 0.4s/Div",
                                                  "Error|32K Points Mode Range:40us/Div ~ 0.4s/Div",
                                                  "Error|64K Points Mode Range:40us/Div ~ 0.4s/Div"}));
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatYT);
}

TEST_F(SidePanelTest, TriggerListsAndTheirRefusals) {
    // Pulse mode: six conditions, the pulse-width caption and field enabled.
    Choose(IDC_TRIGGER_MODE, 1);
    EXPECT_EQ(doc.m_trigger.GetTriggerType(), kTriggerPulse);
    EXPECT_EQ(Items(IDC_TRIGGER_SLOPE).size(), 6u);
    EXPECT_EQ(Text(IDC_SLOPE_LABEL), "When Pulse Width");
    EXPECT_TRUE(Enabled(IDC_PULSE_WIDTH));
    EXPECT_TRUE(Enabled(IDC_PULSE_WIDTH_LABEL));
    Choose(IDC_TRIGGER_SLOPE, 4);
    EXPECT_EQ(doc.m_trigger.GetPulseCondition(), 4);
    EXPECT_EQ(doc.m_trigger.GetSlope(), kSlopeRising);

    // Demo mode has no Pulse: the list goes back to Edge, and that is a change here.
    doc.SetDemoMode(1);
    Choose(IDC_TRIGGER_MODE, 1);
    EXPECT_EQ(Combo(IDC_TRIGGER_MODE)->currentIndex(), 0);
    EXPECT_EQ(doc.m_trigger.GetTriggerType(), kTriggerEdge);
    EXPECT_EQ(Items(IDC_TRIGGER_SLOPE), (std::vector<std::string>{"+", "-"}));
    EXPECT_FALSE(Enabled(IDC_PULSE_WIDTH));
    doc.SetDemoMode(0);
    Choose(IDC_TRIGGER_SLOPE, 1);
    EXPECT_EQ(doc.m_trigger.GetSlope(), kSlopeFalling);

    // Sweep is stored only; Single is refused in ETS, and so is ALT.
    fake->ClearCalls();
    Choose(IDC_TRIGGER_SWEEP, 1);
    EXPECT_EQ(doc.m_trigger.GetSweep(), kSweepNormal);
    EXPECT_TRUE(fake->calls.empty());
    doc.m_settings.SetSamplingMode(kSamplingEts);
    Choose(IDC_TRIGGER_SWEEP, 2);
    EXPECT_EQ(doc.m_trigger.GetSweep(), kSweepNormal);
    EXPECT_EQ(Combo(IDC_TRIGGER_SWEEP)->currentIndex(), 1);
    Choose(IDC_TRIGGER_SOURCE, 2);
    EXPECT_EQ(doc.m_trigger.GetSource(), kSourceCh1);
    EXPECT_EQ(Combo(IDC_TRIGGER_SOURCE)->currentIndex(), 0);
    doc.m_settings.SetSamplingMode(kSamplingRealTime);

    Choose(IDC_TRIGGER_SOURCE, 2);
    EXPECT_EQ(doc.m_trigger.GetSource(), kSourceAlt);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateAltFlag), 1);
    doc.m_trigger.SetMarkerWord(CTrigger::kLevelExt, 3);
    Choose(IDC_TRIGGER_SOURCE, 3);
    EXPECT_EQ(doc.m_trigger.GetSource(), kSourceExt);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateAltFlag), 0);
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevel(CTrigger::kLevelExt), 128.0f);
    EXPECT_EQ(doc.m_trigger.GetMarkerWord(CTrigger::kLevelExt), 0);
    Choose(IDC_TRIGGER_SOURCE, 1);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateAltFlag), 0);
}

TEST_F(SidePanelTest, PulseWidthCaptionOverEveryUnit) {
    const std::pair<std::int64_t, const char*> cases[] = {{1, ""},
                                                          {2, "10.0nS"},
                                                          {19, "95.0nS"},
                                                          {20, "100nS"},
                                                          {199, "995nS"},
                                                          {200, "1.00uS"},
                                                          {2000, "10.0uS"},
                                                          {20000, "100uS"},
                                                          {199999, "999uS"},
                                                          {200000, "1.00mS"},
                                                          {2000000, "10.0mS"},
                                                          {20000000, "100mS"},
                                                          {200000000, "1.00 S"},
                                                          {1999999999, "10.00 S"},
                                                          {2000000000, "10.0 S"}};
    for (const auto& [count, text] : cases) {
        EXPECT_STREQ(panel.FormatPulseWidth(count), text) << count;
        EXPECT_STREQ(doc.m_strPulseWidth, text) << count;
    }
}

TEST_F(SidePanelTest, PulseWidthButtonRunsTheDialogOnlyInPulseMode) {
    apptest::ModalAnswerer answer([](CDialog& dlg) { apptest::Click(dlg, IDC_PW_OK); });
    Button(IDC_PULSE_WIDTH)->setEnabled(true);
    panel.OnButtonPulseWidth();
    EXPECT_EQ(answer.seen, 0);
    doc.m_trigger.SetTriggerType(kTriggerPulse);
    doc.m_trigger.SetPulseWidth(2000);
    panel.LoadFromDocument();
    doc.m_strPulseWidth = "";
    Button(IDC_PULSE_WIDTH)->click();
    EXPECT_EQ(answer.seen, 1);
    EXPECT_FALSE(doc.m_strPulseWidth.IsEmpty());
    EXPECT_EQ(Text(IDC_PULSE_WIDTH), doc.m_strPulseWidth.GetString());
}

TEST_F(SidePanelTest, MirrorCallsSetSelectionsWithoutNotification) {
    const std::int16_t time = doc.m_settings.GetTimeBaseIndex();
    panel.SelectTimeDiv(30);
    panel.SelectCombo(SidePanelCombo::Format, kFormatRoll);
    panel.SelectCombo(SidePanelCombo::Ch1VoltDiv, 9);
    panel.SelectCoupling(1, 2);
    panel.SelectProbe(0, 2);
    panel.SelectSweep(2);
    panel.SelectTriggerSource(3);
    panel.SelectEntry(IDC_TRIGGER_SLOPE, 1);
    panel.SelectEntry(1234, 1); // not a list of the panel
    EXPECT_EQ(Combo(IDC_TIMEDIV)->currentIndex(), 30);
    EXPECT_EQ(Combo(IDC_FORMAT)->currentIndex(), 1);
    EXPECT_EQ(Combo(IDC_CH1_VOLTDIV)->currentIndex(), 9);
    EXPECT_EQ(Combo(IDC_CH2_COUPLING)->currentIndex(), 2);
    EXPECT_EQ(Combo(IDC_CH1_PROBE)->currentIndex(), 2);
    EXPECT_EQ(Combo(IDC_TRIGGER_SWEEP)->currentIndex(), 2);
    EXPECT_EQ(Combo(IDC_TRIGGER_SOURCE)->currentIndex(), 3);
    EXPECT_EQ(Combo(IDC_TRIGGER_SLOPE)->currentIndex(), 1);
    EXPECT_EQ(panel.GetTimeDivSelection(), 30);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), time);
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatYT);
    EXPECT_EQ(doc.m_trigger.GetSource(), kSourceCh1);
    EXPECT_TRUE(fake->calls.empty());
    EXPECT_EQ(Pos("400ms"), 25);
    EXPECT_EQ(Pos("3.00s"), -1);

    panel.UpdateChannelControls(false, true);
    EXPECT_FALSE(Button(IDC_CH1_ON)->isChecked());
    EXPECT_FALSE(Enabled(IDC_CH1_PROBE));
    panel.EnableChannelControls(5); // no such channel
    panel.EnableFormatList(true);
    EXPECT_TRUE(Enabled(IDC_FORMAT));
}

TEST_F(SidePanelTest, KeysActOnceWhileAPanelControlHasTheFocus) {
    CWinApp app("Kelvane");
    app.m_pMainWnd = &frame;
    RegisterAcceleratorResource(kAccelTable, {{FVIRTKEY, VK_SPACE, static_cast<WORD>(kCmdStop)},
                                              {FVIRTKEY | FCONTROL, 'T', static_cast<WORD>(kCmdStop)}});
    ASSERT_TRUE(frame.LoadAccelTable(kAccelTable));
    frame.ShowWindow(SW_SHOW);
    panel.ShowWindow(SW_SHOW);
    doc.m_ch1.SetOn(1);
    panel.LoadFromDocument();

    // Space aimed at the panel's check button is the button's: the frame does not take it as
    // its accelerator, so the key acts once, on the button.
    MSG msg;
    msg.hwnd = &panel.m_btnCh1On;
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_SPACE;
    EXPECT_FALSE(app.PreTranslateMessage(&msg));
    EXPECT_EQ(frame.stops, 0);
    // A key the button has no use for is the frame's accelerator, once.
    msg.wParam = 'T';
    msg.lParam = KV_KEY_CONTROL;
    EXPECT_TRUE(app.PreTranslateMessage(&msg));
    EXPECT_EQ(frame.stops, 1);
    msg.lParam = 0;

    QAbstractButton* button = Button(IDC_CH1_ON);
    QApplication::setActiveWindow(frame.GetWidget());
    button->setFocus();
    QApplication::processEvents();
    if (QApplication::focusWidget() == button) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
        QApplication::sendEvent(button, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ");
        QApplication::sendEvent(button, &release);
        QApplication::processEvents();
        EXPECT_EQ(frame.stops, 1);
        EXPECT_FALSE(button->isChecked());
        EXPECT_EQ(doc.m_ch1.IsOn(), 0);
    }

    // A key that is no accelerator is the panel's own; Escape and Enter never close it.
    msg.wParam = 'A';
    EXPECT_FALSE(panel.PreTranslateMessage(&msg));
    msg.wParam = VK_ESCAPE;
    panel.PreTranslateMessage(&msg);
    msg.wParam = VK_RETURN;
    msg.hwnd = &panel;
    panel.PreTranslateMessage(&msg);
    EXPECT_TRUE(panel.IsWindowVisible());
    EXPECT_EQ(frame.stops, 1);
    app.m_pMainWnd = nullptr;
    frame.m_hAccelTable = nullptr;
}

TEST_F(SidePanelTest, TranslationRelabelsByIdAndLeavesListsAlone) {
    const fs::path dir = fs::path(kv::TempFolder()) / "kelvane-sidepanel-language";
    fs::remove_all(dir);
    fs::create_directories(dir);
    kv::Profile p;
    for (const auto& [k, v] : std::vector<std::pair<std::string, std::string>>{{"1104", "Kanal"},
                                                                               {"1232", "Zeit / DIV"},
                                                                               {"1058", "broken"},
                                                                               {"4003", "K1 Volt/DIV"},
                                                                               {"4025", "Flanke"},
                                                                               {"8030100", "Automatik"},
                                                                               {"8888", "Deutsch"}}) {
        ASSERT_TRUE(p.SetString("App", k, v));
    }
    const std::vector<std::uint8_t> bytes = p.ToBytes();
    std::ofstream(dir / "Deutsch.lug", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    doc.m_language.SetLanguageFolder(CString(dir.string()));
    doc.m_language.ScanLanguageFiles();
    doc.m_language.SelectLanguage(0);
    panel.ApplyLanguage();
    EXPECT_EQ(Text(IDC_CHANNEL_FRAME), "Kanal");
    EXPECT_EQ(Text(IDC_TIMEDIV_LABEL), "Zeit / DIV");
    EXPECT_EQ(Text(IDC_SLOPE_LABEL), "Flanke");
    EXPECT_EQ(Items(IDC_TIMEDIV).size(), 39u);
    EXPECT_EQ(Items(IDC_TIMEDIV).front(), "2.00ns");
    EXPECT_EQ(Items(IDC_TRIGGER_SWEEP).front(), "Automatik");
    EXPECT_STREQ(panel.m_toolTip.GetToolText(&panel.m_cboCh1VoltDiv), "K1 Volt/DIV");
    EXPECT_EQ(Combo(IDC_TIMEDIV)->currentIndex(), doc.m_settings.GetTimeBaseIndex());
    fs::remove_all(dir);
}

TEST_F(SidePanelTest, PanelPicture) {
    doc.m_ch1.SetOn(1);
    doc.m_ch2.SetOn(0);
    doc.m_bRunning = 1;
    panel.LoadFromDocument();
    panel.ShowWindow(SW_SHOW);
    QPixmap picture = panel.GetWidget()->grab();
    EXPECT_EQ(picture.width(), 188);
    EXPECT_GT(apptest::ExpectCaptionsShown(panel), 5);
    EXPECT_TRUE(picture.save(QString::fromStdString(kvtest::OutputDir() + "/side-panel.png")));
}

TEST(SidePanelView, ViewCreatesThePanelInTheTabControlAndTheDocumentReachesIt) {
    kv::EnsureApplication();
    apptest::PrepareRun("");
    apptest::ModalAnswerer answer([](CDialog& dlg) { apptest::Click(dlg, IDC_BUTTON_IGNORE); });
    auto app = std::make_unique<CKelvaneApp>();
    ASSERT_TRUE(app->InitInstance());
    auto* view = dynamic_cast<CKelvaneView*>(app->GetMainFrame()->GetActiveView());
    ASSERT_NE(view, nullptr);
    view->CreateSidePanel();
    CSidebarDlg* panel = view->GetSidePanel();
    ASSERT_NE(panel, nullptr);
    view->CreateSidePanel(); // once only
    EXPECT_EQ(view->GetSidePanel(), panel);
    EXPECT_EQ(panel->GetParent(), &view->SidebarFrame());
    EXPECT_EQ(panel->GetDocument(), view->GetDocument());

    IDocUi* ui = view->GetDocument()->GetUi();
    ASSERT_NE(ui, nullptr);
    ui->SelectSidePanelCombo(SidePanelCombo::TimeDiv, 5);
    EXPECT_EQ(panel->GetTimeDivSelection(), 5);
    ui->UpdateChannelControls(false, true);
    EXPECT_EQ(panel->m_btnCh1On.GetCheck(), 0);
    EXPECT_EQ(panel->m_btnCh2On.GetCheck(), 1);
    // A language change reloads the panel from the document.
    ui->ApplyTexts();
    EXPECT_EQ(panel->GetTimeDivSelection(), view->GetDocument()->m_settings.GetTimeBaseIndex());
}

TEST_F(SidePanelTest, EveryChannelListEntryReachesItsOwnChannelOnly) {
    doc.m_ch1.SetOn(1);
    doc.m_ch2.SetOn(1);
    panel.LoadFromDocument();
    struct List {
        UINT ch1Id, ch2Id;
        int entries;
        std::int16_t (CTrace::*get)() const;
    };
    // Volts/div 10 mV .. 10 V, coupling DC/AC/GND, probe x1/x10/x100/x1000.
    const List lists[] = {{IDC_CH1_VOLTDIV, IDC_CH2_VOLTDIV, 10, &CTrace::GetVoltsPerDivIndex},
                          {IDC_CH1_COUPLING, IDC_CH2_COUPLING, 3, &CTrace::GetCoupling},
                          {IDC_CH1_PROBE, IDC_CH2_PROBE, 4, &CTrace::GetProbe}};
    for (const List& list : lists) {
        for (int channel = 0; channel < 2; ++channel) {
            CTrace& mine = channel == 0 ? doc.m_ch1 : doc.m_ch2;
            CTrace& other = channel == 0 ? doc.m_ch2 : doc.m_ch1;
            const UINT id = channel == 0 ? list.ch1Id : list.ch2Id;
            ASSERT_EQ(Combo(id)->count(), list.entries) << id;
            const std::int16_t otherBefore = (other.*list.get)();
            // Last entry first, so that every choice is a change.
            for (int entry = list.entries - 1; entry >= 0; --entry) {
                Choose(id, entry);
                EXPECT_EQ((mine.*list.get)(), entry) << id << " " << entry;
                EXPECT_EQ((other.*list.get)(), otherBefore) << id << " " << entry;
            }
        }
    }
}

TEST_F(SidePanelTest, TriggerSourceListOffersExtTenOnTheLargerModelsAndSelectsIt) {
    doc.m_nModel = 1;
    panel.ApplyLanguage();
    ASSERT_EQ(Items(IDC_TRIGGER_SOURCE), (std::vector<std::string>{"CH1", "CH2", "ALT", "EXT", "EXT/10"}));
    doc.m_trigger.SetLevel(CTrigger::kLevelExt, 30.0f);
    doc.m_trigger.SetMarkerWord(CTrigger::kLevelExt, 2);
    Choose(IDC_TRIGGER_SOURCE, 4);
    EXPECT_EQ(doc.m_trigger.GetSource(), kSourceExt10);
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevel(CTrigger::kLevelExt), 128.0f);
    EXPECT_EQ(doc.m_trigger.GetMarkerWord(CTrigger::kLevelExt), 0);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateAltFlag), 0);
    // Every entry back down to CH1 selects its own source.
    for (int source = 3; source >= 0; --source) {
        Choose(IDC_TRIGGER_SOURCE, source);
        EXPECT_EQ(doc.m_trigger.GetSource(), source);
        EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateAltFlag), source == 2 ? 1 : 0) << source;
    }
}

TEST_F(SidePanelTest, EverySweepAndPulseConditionEntrySelectsItsOwnCode) {
    for (int sweep = 2; sweep >= 0; --sweep) {
        Choose(IDC_TRIGGER_SWEEP, sweep);
        EXPECT_EQ(doc.m_trigger.GetSweep(), sweep);
    }
    Choose(IDC_TRIGGER_MODE, 1);
    ASSERT_EQ(doc.m_trigger.GetTriggerType(), kTriggerPulse);
    for (int condition = 5; condition >= 0; --condition) {
        Choose(IDC_TRIGGER_SLOPE, condition);
        EXPECT_EQ(doc.m_trigger.GetPulseCondition(), condition);
        EXPECT_EQ(doc.m_trigger.GetSlope(), kSlopeRising) << condition;
    }
}
