// The Channel menu and the side panel's channel controls in the running program, for CH1 and
// for CH2: each command and each list acts on its own channel only, the side panel and the menu
// show what the document holds, and the other channel keeps its own settings throughout.
#include "RealViewSupport.h"

#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"

#include <array>

namespace {

using realview::RealView;

struct Channel {
    const char* name;
    int index;
    UINT onOff, voltFirst, couplingFirst, probeFirst, filterFirst, reset, invert, bandwidth;
    CComboBox CSidebarDlg::*volts;
    CComboBox CSidebarDlg::*coupling;
    CComboBox CSidebarDlg::*probe;
    CButton CSidebarDlg::*on;
};

const Channel kCh1{"CH1",
                   0,
                   ID_CH1_ONOFF,
                   ID_CH1_VOLTDIV_FIRST,
                   ID_CH1_COUPLING_FIRST,
                   ID_CH1_PROBE_FIRST,
                   ID_CH1_FILTER_FIRST,
                   ID_CH1_RESET,
                   ID_CH1_INVERT,
                   ID_CH1_BWLIMIT,
                   &CSidebarDlg::m_cboCh1VoltDiv,
                   &CSidebarDlg::m_cboCh1Coupling,
                   &CSidebarDlg::m_cboCh1Probe,
                   &CSidebarDlg::m_btnCh1On};
const Channel kCh2{"CH2",
                   1,
                   ID_CH2_ONOFF,
                   ID_CH2_VOLTDIV_FIRST,
                   ID_CH2_COUPLING_FIRST,
                   ID_CH2_PROBE_FIRST,
                   ID_CH2_FILTER_FIRST,
                   ID_CH2_RESET,
                   ID_CH2_INVERT,
                   ID_CH2_BWLIMIT,
                   &CSidebarDlg::m_cboCh2VoltDiv,
                   &CSidebarDlg::m_cboCh2Coupling,
                   &CSidebarDlg::m_cboCh2Probe,
                   &CSidebarDlg::m_btnCh2On};

// Runs once with CH1 as "this" channel and once with CH2; the other channel must never move.
class ChannelRoad : public RealView, public ::testing::WithParamInterface<int> {
protected:
    const Channel& This() const { return GetParam() == 0 ? kCh1 : kCh2; }
    const Channel& Other() const { return GetParam() == 0 ? kCh2 : kCh1; }
    CTrace& Trace(const Channel& c) { return c.index == 0 ? doc->m_ch1 : doc->m_ch2; }
    CComboBox& List(CComboBox CSidebarDlg::*member) { return panel->*member; }
};

std::string ChannelName(const ::testing::TestParamInfo<int>& info) {
    return info.param == 0 ? "Ch1" : "Ch2";
}

TEST_P(ChannelRoad, VoltsPerDivCommandSetsItsChannelListAndCheckMark) {
    Command(Other().voltFirst + 2);
    Command(This().voltFirst + 8);
    EXPECT_EQ(Trace(This()).GetVoltsPerDivIndex(), 8);
    EXPECT_EQ(Trace(Other()).GetVoltsPerDivIndex(), 2);
    EXPECT_EQ(Selected(List(This().volts)), 8);
    EXPECT_EQ(Selected(List(Other().volts)), 2);
    for (int step = 0; step < 10; ++step) {
        const realview::MenuState item = Item(This().voltFirst + static_cast<UINT>(step));
        EXPECT_TRUE(item.enabled) << step;
        EXPECT_EQ(item.check, step == 8 ? 1 : 0) << step;
        EXPECT_EQ(Item(Other().voltFirst + static_cast<UINT>(step)).check, step == 2 ? 1 : 0) << step;
    }
}

TEST_P(ChannelRoad, CouplingCommandSetsItsChannelAndList) {
    Command(Other().couplingFirst + 2); // GND on the other channel
    Command(This().couplingFirst + 0);  // DC here
    EXPECT_EQ(Trace(This()).GetCoupling(), 0);
    EXPECT_EQ(Trace(Other()).GetCoupling(), 2);
    EXPECT_EQ(Selected(List(This().coupling)), 0);
    EXPECT_EQ(Selected(List(Other().coupling)), 2);
    EXPECT_EQ(Item(This().couplingFirst + 0).check, 1);
    EXPECT_EQ(Item(This().couplingFirst + 1).check, 0);
    EXPECT_EQ(Item(Other().couplingFirst + 2).check, 1);
}

TEST_P(ChannelRoad, ProbeCommandRelabelsOnlyItsChannelsVoltsPerDiv) {
    Command(This().probeFirst + 1);
    EXPECT_EQ(Trace(This()).GetProbe(), 1);
    EXPECT_EQ(Trace(Other()).GetProbe(), 0);
    EXPECT_EQ(Selected(List(This().probe)), 1);
    EXPECT_EQ(Selected(List(Other().probe)), 0);
    // x10: step 0 reads "100mV" and step 9 "100V", in the menu and in the side panel.
    EXPECT_EQ(Item(This().voltFirst + 0).text, "100mV");
    EXPECT_EQ(Item(This().voltFirst + 9).text, "100V");
    EXPECT_EQ(Item(Other().voltFirst + 0).text, "10.0mV");
    EXPECT_EQ(ItemText(List(This().volts), 0), "100mV");
    EXPECT_EQ(ItemText(List(Other().volts), 0), "10.0mV");
    Command(This().probeFirst + 3);
    EXPECT_EQ(Item(This().voltFirst + 9).text, "10.0kV");
    EXPECT_EQ(Item(This().probeFirst + 3).check, 1);
    EXPECT_EQ(Item(This().probeFirst + 1).check, 0);
}

TEST_P(ChannelRoad, OnOffCommandGatesTheChannelsItemsAndPanelControls) {
    Command(This().onOff);
    EXPECT_EQ(Trace(This()).IsOn(), 0);
    EXPECT_EQ(Trace(Other()).IsOn(), 1);
    EXPECT_EQ(Item(This().onOff).text, "Turn On");
    EXPECT_EQ(Item(Other().onOff).text, "Turn Off");
    EXPECT_FALSE(Item(This().voltFirst + 6).enabled);
    EXPECT_EQ(Item(This().voltFirst + 6).check, 0);
    EXPECT_FALSE(Item(This().couplingFirst + 1).enabled);
    EXPECT_FALSE(Item(This().reset).enabled);
    EXPECT_TRUE(Item(Other().voltFirst + 6).enabled);
    EXPECT_TRUE(Item(Other().reset).enabled);
    EXPECT_FALSE((panel->*This().on).GetCheck());
    EXPECT_TRUE((panel->*Other().on).GetCheck());
    EXPECT_FALSE(ListEnabled(List(This().volts)));
    EXPECT_FALSE(ListEnabled(List(This().coupling)));
    EXPECT_FALSE(ListEnabled(List(This().probe)));
    EXPECT_TRUE(ListEnabled(List(Other().volts)));
    Command(This().onOff);
    EXPECT_EQ(Trace(This()).IsOn(), 1);
    EXPECT_TRUE((panel->*This().on).GetCheck());
    EXPECT_TRUE(ListEnabled(List(This().probe)));
    EXPECT_EQ(Item(This().voltFirst + 6).check, 1);
}

TEST_P(ChannelRoad, ResetInvertAndFilterActOnTheirChannelAndToggle) {
    Trace(This()).SetPosition(100.0f);
    Trace(Other()).SetPosition(300.0f);
    Command(This().reset);
    EXPECT_FLOAT_EQ(Trace(This()).GetPosition(), 256.0f);
    EXPECT_FLOAT_EQ(Trace(Other()).GetPosition(), 300.0f);

    Command(This().invert);
    EXPECT_EQ(Trace(This()).IsInverted(), 1);
    EXPECT_EQ(Trace(Other()).IsInverted(), 0);
    EXPECT_EQ(Item(This().invert).check, 1);
    EXPECT_EQ(Item(Other().invert).check, 0);
    Command(This().invert);
    EXPECT_EQ(Trace(This()).IsInverted(), 0);
    EXPECT_EQ(Item(This().invert).check, 0);

    Command(This().filterFirst + 2);
    EXPECT_EQ(Trace(This()).GetFilter(), 2);
    EXPECT_EQ(Trace(Other()).GetFilter(), 0);
    EXPECT_EQ(Item(This().filterFirst + 2).check, 1);
    EXPECT_EQ(Item(Other().filterFirst + 0).check, 1);
    // The demo source has no bandwidth limit.
    EXPECT_FALSE(Item(This().bandwidth).enabled);
    EXPECT_EQ(Item(This().bandwidth).check, 0);
}

TEST_P(ChannelRoad, TriggerSourceAndLevel50UseTheChannelsOwnTrace) {
    Trace(This()).SetPosition(200.0f);
    Trace(Other()).SetPosition(420.0f);
    Command(ID_TRIG_SOURCE_FIRST + static_cast<UINT>(Other().index));
    Command(ID_TRIG_SOURCE_FIRST + static_cast<UINT>(This().index));
    EXPECT_EQ(doc->m_trigger.GetSource(), This().index);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(This().index), 200.0f); // on its own zero line
    EXPECT_EQ(Selected(panel->m_cboSource), This().index);
    EXPECT_EQ(Item(ID_TRIG_SOURCE_FIRST + static_cast<UINT>(This().index)).check, 1);

    // Level 50 %: 511 - the middle of the channel's own extremes.
    const float otherLevel = doc->m_trigger.GetLevel(Other().index);
    for (int i = 0; i < CTrace::kScreenPoints; ++i) {
        Trace(This()).GetScreenTrace()[i] = static_cast<std::int16_t>(i % 2 ? 100 : 200); // middle 150
        Trace(Other()).GetScreenTrace()[i] = static_cast<std::int16_t>(i % 2 ? 300 : 450);
    }
    Command(ID_TRIG_LEVEL50);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(This().index), 511.0f - 150.0f);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(Other().index), otherLevel);
    EXPECT_EQ(doc->m_trigger.GetMarkerWord(This().index), 0);
}

TEST_P(ChannelRoad, TriggerLevelReadoutUsesTheChannelsOwnScale) {
    Command(ID_TRIG_SOURCE_FIRST + static_cast<UINT>(This().index));
    Command(Other().voltFirst + 6); // 1 V/div
    Trace(Other()).SetPosition(50.0f);
    Trace(This()).SetPosition(200.0f);
    // The level one division (511 / 8 = 63.875 codes) above the zero line.
    if (This().index == 0)
        doc->SetCh1TriggerLevel(136.125f);
    else
        doc->SetCh2TriggerLevel(136.125f);
    // 100 mV/div: one division reads 0.1 V, as the graticule shows it.
    Command(This().voltFirst + 3);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevelVolts(This().index), 0.1f);
    // x10 probe: 1 V.
    Command(This().probeFirst + 1);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevelVolts(This().index), 1.0f);
}

// The side panel's own controls, driven with keys and the mouse.
TEST_P(ChannelRoad, SidePanelListsSetTheirOwnChannel) {
    Choose(List(This().volts), 2);
    EXPECT_EQ(Trace(This()).GetVoltsPerDivIndex(), 2);
    EXPECT_EQ(Trace(Other()).GetVoltsPerDivIndex(), 6);
    EXPECT_EQ(Item(This().voltFirst + 2).check, 1);

    Choose(List(This().coupling), 2);
    EXPECT_EQ(Trace(This()).GetCoupling(), 2);
    EXPECT_EQ(Trace(Other()).GetCoupling(), 1);

    Choose(List(This().probe), 3);
    EXPECT_EQ(Trace(This()).GetProbe(), 3);
    EXPECT_EQ(Trace(Other()).GetProbe(), 0);
    // The volts/div list is rebuilt for x1000 and keeps the channel's index.
    EXPECT_EQ(ItemText(List(This().volts), 0), "10.0V");
    EXPECT_EQ(ItemText(List(This().volts), 9), "10.0kV");
    EXPECT_EQ(Selected(List(This().volts)), 2);
    EXPECT_EQ(ItemText(List(Other().volts), 0), "10.0mV");
}

TEST_P(ChannelRoad, SidePanelOnButtonSwitchesItsChannelAndControls) {
    ClickButton(panel->*This().on);
    EXPECT_EQ(Trace(This()).IsOn(), 0);
    EXPECT_EQ(Trace(Other()).IsOn(), 1);
    EXPECT_FALSE(ListEnabled(List(This().volts)));
    EXPECT_FALSE(ListEnabled(List(This().probe)));
    EXPECT_TRUE(ListEnabled(List(Other().volts)));
    EXPECT_EQ(Item(This().onOff).text, "Turn On");
    ClickButton(panel->*This().on);
    EXPECT_EQ(Trace(This()).IsOn(), 1);
    EXPECT_TRUE(ListEnabled(List(This().coupling)));
}

INSTANTIATE_TEST_SUITE_P(BothChannels, ChannelRoad, ::testing::Values(0, 1), ChannelName);

// A language change reloads the panel from the document: every list shows its own channel.
TEST_F(RealView, SidePanelReloadsEachChannelsOwnSettings) {
    doc->m_ch1.SetCoupling(kCouplingDc);
    doc->m_ch2.SetCoupling(kCouplingGnd);
    doc->m_ch1.SetVoltsPerDivIndex(1);
    doc->m_ch2.SetVoltsPerDivIndex(8);
    doc->m_ch1.SetProbe(2);
    doc->m_ch2.SetProbe(1);
    doc->m_trigger.SetSource(kSourceCh2);
    doc->m_trigger.SetSweep(kSweepSingle);
    doc->m_settings.SetTimeBaseIndex(21);
    doc->GetUi()->ApplyTexts();
    EXPECT_EQ(Selected(panel->m_cboCh1Coupling), 0);
    EXPECT_EQ(Selected(panel->m_cboCh2Coupling), 2);
    EXPECT_EQ(Selected(panel->m_cboCh1VoltDiv), 1);
    EXPECT_EQ(Selected(panel->m_cboCh2VoltDiv), 8);
    EXPECT_EQ(Selected(panel->m_cboCh1Probe), 2);
    EXPECT_EQ(Selected(panel->m_cboCh2Probe), 1);
    EXPECT_EQ(ItemText(panel->m_cboCh1VoltDiv, 0), "1.00V");
    EXPECT_EQ(ItemText(panel->m_cboCh2VoltDiv, 0), "100mV");
    EXPECT_EQ(Selected(panel->m_cboSource), 1);
    EXPECT_EQ(Selected(panel->m_cboSweep), 2);
    EXPECT_EQ(Selected(panel->m_cboTimeDiv), 21);
}

// The side panel's time/div list in the 10K record length, chosen with the arrow keys: 1 s/div
// and slower run in Roll, 400 ms/div and faster in Y-T, and the format list follows.
TEST_F(RealView, SidePanelTimeDivListEntersRollFromOneSecond) {
    ASSERT_EQ(doc->m_bRunning, 1);
    ASSERT_EQ(doc->m_settings.GetRecordLengthMode(), kRecordLength10K);
    const int slowest = panel->m_cboTimeDiv.FindString(-1, "400ms");
    const int oneSecond = panel->m_cboTimeDiv.FindString(-1, "1.00s");
    ASSERT_GE(slowest, 0);
    ASSERT_EQ(oneSecond, slowest + 1);
    Choose(panel->m_cboTimeDiv, slowest);
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), slowest);
    EXPECT_EQ(doc->m_settings.GetTimeBaseFormat(), kFormatYT);
    EXPECT_EQ(Selected(panel->m_cboFormat), 0);
    Choose(panel->m_cboTimeDiv, oneSecond);
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), oneSecond);
    EXPECT_EQ(doc->m_settings.GetTimeBaseFormat(), kFormatRoll);
    EXPECT_EQ(Selected(panel->m_cboFormat), 1);
    Choose(panel->m_cboTimeDiv, slowest);
    EXPECT_EQ(doc->m_settings.GetTimeBaseFormat(), kFormatYT);
    EXPECT_EQ(Selected(panel->m_cboFormat), 0);
}

// The 39 time/div commands select the time base of their own label, in index order.
TEST_F(RealView, EveryTimeDivCommandSelectsItsTimeBase) {
    for (int i = 38; i >= 0; --i) {
        Command(ID_TIMEDIV_FIRST + static_cast<UINT>(i));
        ASSERT_EQ(doc->m_settings.GetTimeBaseIndex(), i);
        EXPECT_EQ(Selected(panel->m_cboTimeDiv), i);
        EXPECT_EQ(Item(ID_TIMEDIV_FIRST + static_cast<UINT>(i)).check, 1);
        if (i < 38) {
            EXPECT_EQ(Item(ID_TIMEDIV_FIRST + static_cast<UINT>(i + 1)).check, 0);
        }
        // Slower than 400 ms/div runs in Roll, 400 ms and faster in Y-T.
        EXPECT_EQ(doc->m_settings.GetTimeBaseFormat(), i > 25 ? 1 : 0) << i;
    }
}

// Starting acquisition pulls the time base into the record length's range: 14K with both
// channels on allows 40 us/div to 400 ms/div, both ends included.
TEST_F(RealView, StartKeepsTheEndsOfTheRecordLengthRangeAndPullsInTheRest) {
    doc->m_settings.SetRecordLengthMode(kRecordLength14K);
    const struct { int index, expected; } cases[] = {{25, 25}, {13, 13}, {26, 13}, {12, 13}, {20, 20}};
    for (const auto& c : cases) {
        Command(ID_ACQUIRE_STOP);
        ASSERT_EQ(doc->m_bRunning, 0);
        Command(ID_TIMEDIV_FIRST + static_cast<UINT>(c.index));
        ASSERT_EQ(doc->m_settings.GetTimeBaseIndex(), c.index);
        Command(ID_ACQUIRE_START);
        EXPECT_EQ(doc->m_bRunning, 1);
        EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), c.expected) << c.index;
        EXPECT_EQ(Selected(panel->m_cboTimeDiv), c.expected) << c.index;
    }
}

} // namespace
