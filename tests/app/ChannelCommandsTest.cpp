// Channel, trigger and horizontal-format commands: their effect on the document and on the side
// panel's lists, and the refusals.
#include "CommandsTestSupport.h"

#include "engine/DeviceStateBlock.h"
#include "engine/SettingsCodes.h"

using cmdtest::CommandsTest;

TEST_F(CommandsTest, TriggerSourceFromTheMenuMovesTheLevelOntoTheZeroLine) {
    doc->m_trigger.SetSource(kSourceCh1);
    doc->m_ch2.SetPosition(300.0f);
    doc->m_trigger.SetLevel(CTrigger::kLevelCh2, 50.0f);
    doc->m_trigger.SetMarkerWord(CTrigger::kLevelCh2, 3);
    doc->m_trigger.SetDragValue(12.5f);
    Run(ID_TRIG_SOURCE_FIRST + 1);
    EXPECT_EQ(doc->m_trigger.GetSource(), kSourceCh2);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(CTrigger::kLevelCh2), 300.0f);
    EXPECT_EQ(doc->m_trigger.GetMarkerWord(CTrigger::kLevelCh2), 0);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetDragValue(), 0.0f); // the 32-bit word is the drag value
    EXPECT_EQ(doc->m_usb.GetStateWord(kv::kStateAltFlag), 0);
    EXPECT_EQ(mirror.Selected(ISidePanelMirror::kTriggerSource), 1);

    // The same source again changes nothing, not even the level.
    doc->m_trigger.SetLevel(CTrigger::kLevelCh2, 77.0f);
    Run(ID_TRIG_SOURCE_FIRST + 1);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(CTrigger::kLevelCh2), 77.0f);

    // ALT keeps both levels and raises the ALT flag.
    doc->m_trigger.SetLevel(CTrigger::kLevelCh1, 11.0f);
    Run(ID_TRIG_SOURCE_FIRST + 2);
    EXPECT_EQ(doc->m_trigger.GetSource(), kSourceAlt);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(CTrigger::kLevelCh1), 11.0f);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(CTrigger::kLevelCh2), 77.0f);
    EXPECT_EQ(doc->m_usb.GetStateWord(kv::kStateAltFlag), 1);

    Run(ID_TRIG_SOURCE_FIRST + 4);
    EXPECT_EQ(doc->m_trigger.GetSource(), kSourceExt10);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(CTrigger::kLevelExt), 128.0f);
    EXPECT_EQ(doc->m_usb.GetStateWord(kv::kStateAltFlag), 0);
}

TEST_F(CommandsTest, EtsRefusesAltSourceAndSingleSweepSilently) {
    doc->m_trigger.SetSource(kSourceCh1);
    doc->m_trigger.SetSweep(kSweepAuto);
    doc->m_settings.SetSamplingMode(kSamplingEts);
    Run(ID_TRIG_SOURCE_FIRST + 2);
    EXPECT_EQ(doc->m_trigger.GetSource(), kSourceCh1);
    EXPECT_EQ(mirror.Selected(ISidePanelMirror::kTriggerSource), 0);
    Run(ID_TRIG_SWEEP_FIRST + 2);
    EXPECT_EQ(doc->m_trigger.GetSweep(), kSweepAuto);
    EXPECT_EQ(mirror.Selected(ISidePanelMirror::kSweep), 0);
    EXPECT_TRUE(boxes.empty());
    doc->m_settings.SetSamplingMode(kSamplingRealTime);
    Run(ID_TRIG_SWEEP_FIRST + 2);
    EXPECT_EQ(doc->m_trigger.GetSweep(), kSweepSingle);
    EXPECT_EQ(mirror.Selected(ISidePanelMirror::kSweep), 2);
}

TEST_F(CommandsTest, ResetClampsTheLevelBeforeTheZeroLineMoves) {
    doc->m_ch1.SetOn(1);
    doc->m_trigger.SetSource(kSourceCh1);
    doc->m_ch1.SetPosition(100.0f);
    doc->m_trigger.SetLevel(CTrigger::kLevelCh1, 700.0f);
    Run(ID_CH1_RESET);
    EXPECT_FLOAT_EQ(doc->m_ch1.GetPosition(), 256.0f);
    // The clamped level then follows the zero line by the kept offset (0 here): it ends inside
    // the plot, on the moved zero line.
    EXPECT_EQ(doc->m_trigger.GetMarkerWord(CTrigger::kLevelCh1), 0);
    EXPECT_GE(doc->m_trigger.GetLevel(CTrigger::kLevelCh1), 0.0f);
    EXPECT_LE(doc->m_trigger.GetLevel(CTrigger::kLevelCh1), 511.0f);

    // Another source: the level is left alone.
    doc->m_trigger.SetSource(kSourceExt);
    doc->m_ch2.SetPosition(10.0f);
    doc->m_trigger.SetLevel(CTrigger::kLevelCh2, -40.0f);
    Run(ID_CH2_RESET);
    EXPECT_FLOAT_EQ(doc->m_ch2.GetPosition(), 256.0f);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(CTrigger::kLevelCh2), -40.0f);
}

TEST_F(CommandsTest, VoltsPerDivAndProbeCommands) {
    doc->m_ch2.SetOn(1);
    Run(ID_CH2_VOLTDIV_FIRST + 7);
    EXPECT_EQ(doc->m_ch2.GetVoltsPerDivIndex(), 7);
    EXPECT_EQ(mirror.Selected(ISidePanelMirror::kCh2VoltDiv), 7);
    // Any channel but 0 and 1 does nothing at all.
    mirror.selections.clear();
    view->SetChannelVoltsPerDiv(3, 2);
    EXPECT_TRUE(mirror.selections.empty());

    Run(ID_CH2_PROBE_FIRST + 1);
    EXPECT_EQ(doc->m_ch2.GetProbe(), 1);
    EXPECT_EQ(doc->m_ch2.GetVoltsPerDivIndex(), 7);
    EXPECT_TRUE(mirror.Called("fillVolts1"));
    EXPECT_STREQ(Update(ID_CH2_VOLTDIV_FIRST + 7).m_strText.GetString(), "20.0V");
}

TEST_F(CommandsTest, XYFromRollSetsEverythingForXY) {
    Running(true);
    doc->m_settings.SetRecordLengthMode(kRecordLength10K);
    Run(ID_FORMAT_ROLL);
    ASSERT_EQ(doc->m_settings.GetTimeBaseFormat(), kFormatRoll);
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), 26); // "1.00s"
    EXPECT_EQ(State(ID_FORMAT_ROLL), std::make_pair(true, 1));

    doc->m_ch1.SetOn(0);
    doc->m_ch2.SetOn(0);
    doc->m_math.SetOn(1);
    doc->m_ref.SetOn(1);
    Run(ID_FORMAT_XY);
    EXPECT_EQ(doc->m_settings.GetTimeBaseFormat(), kFormatXY);
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), 13); // "40.0us"
    EXPECT_TRUE(doc->m_ch1.IsOn() && doc->m_ch2.IsOn());
    EXPECT_FALSE(doc->m_math.IsOn() || doc->m_ref.IsOn());
    EXPECT_FLOAT_EQ(doc->m_ch1.GetPosition(), 128.0f);
    EXPECT_FLOAT_EQ(doc->m_ch2.GetPosition(), 128.0f);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(CTrigger::kLevelCh1), 128.0f);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(CTrigger::kLevelCh2), 128.0f);
    EXPECT_EQ(mirror.Selected(ISidePanelMirror::kFormat), 2);

    // In X-Y: channel on/off does nothing; MATH and REF refuse with a message.
    Run(ID_CH1_ONOFF);
    EXPECT_TRUE(doc->m_ch1.IsOn());
    Run(ID_MATH_ONOFF);
    Run(ID_REF_ONOFF);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Function not available!");
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_FALSE(doc->m_math.IsOn());

    // Pass/fail active disables Roll and X-Y.
    doc->m_passFail.m_nState1 = 1;
    EXPECT_EQ(State(ID_FORMAT_XY), std::make_pair(false, 0));
    EXPECT_TRUE(Update(ID_FORMAT_YT).m_bEnabled);
    Run(ID_FORMAT_YT);
    EXPECT_EQ(doc->m_settings.GetTimeBaseFormat(), kFormatYT);
}

TEST_F(CommandsTest, RollCommandActsOnlyAtTenK) {
    Running(true);
    doc->m_settings.SetRecordLengthMode(kRecordLength14K);
    doc->m_settings.SetTimeBaseIndex(13);
    Run(ID_FORMAT_ROLL);
    EXPECT_EQ(doc->m_settings.GetTimeBaseFormat(), kFormatYT);
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), 13);
}

TEST_F(CommandsTest, LevelFiftyAndHorizontalCentre) {
    doc->m_trigger.SetSource(kSourceExt);
    doc->m_trigger.SetLevel(CTrigger::kLevelExt, 10.0f);
    doc->m_trigger.SetMarkerWord(CTrigger::kLevelExt, 2);
    Run(ID_TRIG_LEVEL50);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(CTrigger::kLevelExt), 128.0f);
    EXPECT_EQ(doc->m_trigger.GetMarkerWord(CTrigger::kLevelExt), 0);

    doc->m_settings.SetTimeBaseFormat(kFormatRoll);
    EXPECT_FALSE(Update(ID_TRIG_LEVEL50).m_bEnabled);

    doc->m_settings.SetHorizontalPosition(40);
    view->Screen().SetTrigPosState(0);
    Run(ID_HORIZONTAL_ZERO);
    EXPECT_EQ(doc->m_settings.GetHorizontalPosition(), 250);
    EXPECT_EQ(view->Screen().GetTrigPosState(), 3);
}
