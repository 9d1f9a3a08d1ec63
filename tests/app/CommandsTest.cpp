// The view's command map through the routing: enable, check and label rules of the update
// handlers, one-line commands, and the full-screen context menu.
#include "CommandsTestSupport.h"

#include "app/MenuEx.h"
#include "engine/SettingsCodes.h"
#include "resources/ScaleLabels.h"

using cmdtest::CommandsTest;

TEST_F(CommandsTest, ChannelItemsFollowTheChannelOnState) {
    doc->m_ch2.SetOn(0);
    EXPECT_STREQ(Update(ID_CH2_ONOFF).m_strText.GetString(), "Turn On");
    for (UINT id : {ID_CH2_COUPLING_FIRST, ID_CH2_PROBE_FIRST, ID_CH2_FILTER_FIRST, ID_CH2_INVERT,
                    ID_CH2_VOLTDIV_FIRST})
        EXPECT_EQ(State(id), std::make_pair(false, 0)) << id;
    EXPECT_FALSE(Update(ID_CH2_RESET).m_bEnabled);

    Run(ID_CH2_ONOFF);
    EXPECT_TRUE(doc->m_ch2.IsOn());
    EXPECT_TRUE(mirror.Called("enable1"));
    EXPECT_STREQ(Update(ID_CH2_ONOFF).m_strText.GetString(), "Turn Off");
    doc->m_ch2.SetCoupling(kCouplingAc);
    EXPECT_EQ(State(ID_CH2_COUPLING_FIRST + 1), std::make_pair(true, 1));
    EXPECT_EQ(State(ID_CH2_COUPLING_FIRST), std::make_pair(true, 0));
    EXPECT_TRUE(Update(ID_CH2_RESET).m_bEnabled);
}

TEST_F(CommandsTest, VoltsPerDivItemsAreRelabelledByTheProbe) {
    doc->m_ch1.SetOn(1);
    doc->m_ch1.SetVoltsPerDivIndex(9);
    doc->m_ch1.SetProbe(3);
    CCmdUI ui = Update(ID_CH1_VOLTDIV_FIRST + 9);
    EXPECT_STREQ(ui.m_strText.GetString(), "10.0kV");
    EXPECT_EQ(ui.m_nCheck, 1);
    doc->m_ch1.SetProbe(1);
    EXPECT_STREQ(Update(ID_CH1_VOLTDIV_FIRST).m_strText.GetString(), "100mV");
    doc->m_ch1.SetProbe(2);
    EXPECT_STREQ(Update(ID_CH1_VOLTDIV_FIRST).m_strText.GetString(), "1.00V");

    doc->m_math.SetOn(1);
    doc->m_math.SetProbe(0);
    EXPECT_STREQ(Update(ID_MATH_VOLTDIV_FIRST + 5).m_strText.GetString(), "500mV");
    // REF steps keep their resource texts.
    doc->m_ref.SetOn(1);
    EXPECT_FALSE(Update(ID_REF_VOLTDIV_FIRST).m_bTextSet);
}

TEST_F(CommandsTest, DemoModeDisablesInstrumentOnlyItems) {
    ASSERT_TRUE(doc->IsDemoMode());
    doc->m_ch1.SetOn(1);
    doc->m_ch1.SetBandwidthLimit(1);
    doc->m_trigger.SetHfReject(1);
    for (UINT id : {ID_TRIG_MODE_PULSE, ID_CH1_BWLIMIT, ID_TRIG_HF_REJECT, ID_UTILITY_CALIBRATION})
        EXPECT_EQ(State(id), std::make_pair(false, 0)) << id;
    EXPECT_TRUE(Update(ID_DEMO_SETTING).m_bEnabled);

    doc->SetDemoMode(0);
    EXPECT_EQ(State(ID_CH1_BWLIMIT), std::make_pair(true, 1));
    EXPECT_EQ(State(ID_TRIG_HF_REJECT), std::make_pair(true, 1));
    EXPECT_TRUE(Update(ID_UTILITY_CALIBRATION).m_bEnabled);
    EXPECT_FALSE(Update(ID_DEMO_SETTING).m_bEnabled);
    doc->m_passFail.m_nState1 = 1;
    EXPECT_FALSE(Update(ID_UTILITY_CALIBRATION).m_bEnabled);
}

TEST_F(CommandsTest, CurrentValueCommandsDoNothingButProbeActsEveryTime) {
    doc->m_ch1.SetOn(1);
    doc->m_ch1.SetCoupling(kCouplingDc);
    doc->m_trigger.SetSweep(kSweepAuto);
    mirror.selections.clear();
    Run(ID_CH1_COUPLING_FIRST);
    Run(ID_TRIG_SWEEP_FIRST);
    Run(ID_TRIG_SOURCE_FIRST + doc->m_trigger.GetSource());
    EXPECT_TRUE(mirror.selections.empty());

    doc->m_ch1.SetProbe(1);
    Run(ID_CH1_PROBE_FIRST + 1);
    EXPECT_EQ(mirror.Selected(ISidePanelMirror::kCh1Probe), 1);
    EXPECT_TRUE(mirror.Called("fillVolts0"));

    Run(ID_CH1_COUPLING_FIRST + 1);
    EXPECT_EQ(doc->m_ch1.GetCoupling(), kCouplingAc);
    EXPECT_EQ(mirror.Selected(ISidePanelMirror::kCh1Coupling), 1);
}

TEST_F(CommandsTest, MathItemsNeedMathAndTheirInput) {
    doc->m_math.SetOn(1);
    doc->m_ch1.SetOn(1);
    doc->m_ch2.SetOn(0);
    doc->m_math.SetSourceA(0);
    EXPECT_EQ(State(ID_MATH_SOURCEA_CH1), std::make_pair(true, 1));
    EXPECT_EQ(State(ID_MATH_SOURCEA_CH2), std::make_pair(false, 0));
    Run(ID_MATH_OPERATE_FIRST + 2);
    EXPECT_EQ(doc->m_math.GetOperation(), 2);
    Running(false);
    EXPECT_FALSE(Update(ID_MATH_INVERT).m_bEnabled);
    Running(true);
    EXPECT_TRUE(Update(ID_MATH_INVERT).m_bEnabled);
    Run(ID_MATH_RESET);
    EXPECT_FLOAT_EQ(doc->m_math.GetPosition(), 128.0f);
}

TEST_F(CommandsTest, TriggerItemsFollowTheTriggerMode) {
    doc->m_trigger.SetTriggerType(kTriggerEdge);
    doc->m_trigger.SetSlope(kSlopeFalling);
    EXPECT_EQ(State(ID_TRIG_SLOPE_FALL), std::make_pair(true, 1));
    EXPECT_EQ(State(ID_TRIG_PW_FIRST), std::make_pair(false, 0));
    doc->SetDemoMode(0);
    Run(ID_TRIG_MODE_PULSE);
    EXPECT_EQ(doc->m_trigger.GetTriggerType(), kTriggerPulse);
    EXPECT_EQ(mirror.Selected(ISidePanelMirror::kTriggerMode), 1);
    EXPECT_TRUE(mirror.Called("fillSlope"));
    EXPECT_EQ(State(ID_TRIG_SLOPE_FALL), std::make_pair(false, 0));
    Run(ID_TRIG_PW_FIRST + 4);
    EXPECT_EQ(doc->m_trigger.GetPulseCondition(), 4);
    EXPECT_EQ(mirror.Selected(ISidePanelMirror::kTriggerSlope), 4);
    EXPECT_EQ(State(ID_TRIG_PW_FIRST + 4), std::make_pair(true, 1));
}

TEST_F(CommandsTest, MeasureDisplayAndInterpolationItems) {
    doc->m_measure.ClearAll();
    Run(ID_MEASURE_FREQUENCY);
    Run(ID_MEASURE_MIDDLE);
    ASSERT_EQ(doc->m_measure.GetCount(), 2);
    EXPECT_EQ(doc->m_measure.GetEntry(0).type, 13);
    EXPECT_EQ(doc->m_measure.GetEntry(1).type, 5);
    Run(ID_MEASURE_CLEAR);
    EXPECT_EQ(doc->m_measure.GetCount(), 0);

    const std::int32_t grid = view->Screen().IsGridOn();
    Run(ID_DISPLAY_GRID);
    EXPECT_NE(view->Screen().IsGridOn(), grid);
    Run(ID_DISPLAY_DOTS);
    EXPECT_EQ(State(ID_DISPLAY_DOTS).second, 1);

    doc->SetDemoMode(0);
    doc->m_settings.SetTimeBaseIndex(4); // "40.0ns"
    Run(ID_INTERP_LINEAR);
    EXPECT_EQ(doc->m_ref.GetInterpolation(), kInterpolationLinear);
    EXPECT_EQ(State(ID_INTERP_LINEAR), std::make_pair(true, 1));
    doc->m_settings.SetTimeBaseIndex(5);
    EXPECT_EQ(State(ID_INTERP_LINEAR), std::make_pair(false, 0));
}

TEST_F(CommandsTest, AverageItemShowsItsCountAndUtilityFftNeedsTenK) {
    doc->SetDemoMode(0);
    doc->m_average.SetFramesWanted(16);
    Running(true);
    const CCmdUI ui = Update(ID_ACQ_AVERAGE);
    EXPECT_STREQ(ui.m_strText.GetString(), "Average:16");
    EXPECT_TRUE(ui.m_bEnabled);
    EXPECT_TRUE(Update(ID_UTILITY_FFT).m_bEnabled);
    doc->m_settings.SetRecordLengthMode(kRecordLength14K);
    EXPECT_FALSE(Update(ID_UTILITY_FFT).m_bEnabled);
}

// The context menu's update handlers run when it opens: the Information text follows the flag
// and the volts/div labels follow the probe as in the main menu; the check marks come after.
TEST_F(CommandsTest, FullScreenContextMenuIsTranslatedPrunedAndMarked) {
    CMenu* shown = nullptr;
    CPoint where;
    int tracked = 0;
    view->m_contextPopupHook = [&](CMenu* popup, CPoint point) {
        ++tracked;
        shown = popup;
        where = point;
        view->OnInitMenuPopup(popup, 0, FALSE);
        CMenu* volts = popup->GetSubMenu(3);
        ASSERT_NE(volts, nullptr);
        view->OnInitMenuPopup(volts, 3, FALSE);
        CString text;
        popup->GetMenuString(1, text, MF_BYPOSITION);
        EXPECT_STREQ(text.GetString(), "Information OFF");
        EXPECT_EQ(volts->GetMenuState(ID_CH1_VOLTDIV_FIRST + 2, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
        volts->GetMenuString(0, text, MF_BYPOSITION);
        EXPECT_STREQ(text.GetString(), "100mV");
        CMenu* time = popup->GetSubMenu(2);
        EXPECT_EQ(time->GetMenuItemCount(), 39);
        EXPECT_EQ(time->GetMenuState(ID_TIMEDIV_FIRST + 13, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    };

    // Window mode: never a menu.
    view->OnContextMenu(view, CPoint(50, 50));
    EXPECT_EQ(tracked, 0);

    view->OnFullScreenToggle();
    ASSERT_TRUE(view->IsFrameFullScreen());
    view->Screen().SetLabelsOn(1);
    doc->m_ch1.SetOn(1);
    doc->m_ch1.SetVoltsPerDivIndex(2);
    doc->m_ch1.SetProbe(1);
    doc->m_settings.SetTimeBaseIndex(13);
    view->OnContextMenu(view, CPoint(-1, -1));
    ASSERT_EQ(tracked, 1);
    POINT corner{0, 0};
    view->ClientToScreen(&corner);
    EXPECT_EQ(where, CPoint(corner.x + 5, corner.y + 5));

    // Information toggles the labels; Window Mode leaves full screen but keeps the border flag.
    Run(ID_INFORMATION_ONOFF);
    EXPECT_EQ(view->Screen().IsLabelsOn(), 0);
    EXPECT_STREQ(Update(ID_INFORMATION_ONOFF).m_strText.GetString(), "Information ON");
    view->Screen().SetBorderOn(0);
    Run(ID_WINDOW_MODE);
    EXPECT_FALSE(view->IsFrameFullScreen());
    EXPECT_EQ(view->Screen().IsBorderOn(), 0);
    view->m_contextPopupHook = nullptr;
}

TEST_F(CommandsTest, ContextMenuLosesTheFastestStepsOnOtherModels) {
    CMenuEx menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_CONTEXT_MENU));
    CMenuEx* popup = menu.GetSubMenuEx(0);
    ASSERT_NE(popup, nullptr);
    doc->m_nModel = 1;
    view->PrepareContextMenu(*popup);
    EXPECT_EQ(popup->GetSubMenuEx(2)->GetItemCount(), 38);
    EXPECT_EQ(popup->GetSubMenuEx(2)->GetMenuItemID(0), ID_TIMEDIV_FIRST + 1);
    EXPECT_EQ(popup->GetSubMenuEx(3)->GetItemCount(), 9);
    EXPECT_EQ(popup->GetSubMenuEx(4)->GetItemCount(), 9);
    CString text;
    popup->GetMenuString(0, text, MF_BYPOSITION);
    if (text.IsEmpty())
        text = popup->GetItem(0)->m_strText;
    EXPECT_STREQ(text.GetString(), "Window Mode");
    menu.DestroyMenuEx();
}

// The CH2 rows of the Channel menu act on CH2 and show CH2's state; CH1 is left as it was.
TEST_F(CommandsTest, SecondChannelRowsActOnTheSecondChannel) {
    doc->SetDemoMode(0);
    for (CTrace* t : {&doc->m_ch1, &doc->m_ch2}) {
        t->SetOn(1);
        t->SetBandwidthLimit(0);
        t->SetInvert(0);
        t->SetFilter(0);
    }
    struct Case {
        UINT ch2Id, ch1Id;
        int (*get)(const CTrace&);
    };
    const Case cases[] = {
        {ID_CH2_BWLIMIT, ID_CH1_BWLIMIT,
         [](const CTrace& t) { return static_cast<int>(t.IsBandwidthLimit()); }},
        {ID_CH2_INVERT, ID_CH1_INVERT, [](const CTrace& t) { return static_cast<int>(t.IsInverted()); }},
        {ID_CH2_FILTER_FIRST + 2, ID_CH1_FILTER_FIRST + 2,
         [](const CTrace& t) { return t.GetFilter() == 2 ? 1 : 0; }},
    };
    for (const Case& c : cases) {
        Run(c.ch2Id);
        EXPECT_EQ(c.get(doc->m_ch2), 1) << c.ch2Id;
        EXPECT_EQ(c.get(doc->m_ch1), 0) << c.ch2Id;
        EXPECT_EQ(State(c.ch2Id), std::make_pair(true, 1)) << c.ch2Id;
        EXPECT_EQ(State(c.ch1Id), std::make_pair(true, 0)) << c.ch1Id;
    }
    // A second toggle turns CH2's back off.
    Run(ID_CH2_BWLIMIT);
    EXPECT_EQ(doc->m_ch2.IsBandwidthLimit(), 0);
    EXPECT_EQ(State(ID_CH2_BWLIMIT), std::make_pair(true, 0));

    // CH2's items follow CH2 alone: on while CH1 is off, greyed while CH2 is off.
    doc->m_ch1.SetOn(0);
    for (UINT id : {ID_CH2_BWLIMIT, ID_CH2_INVERT, ID_CH2_FILTER_FIRST, ID_CH2_RESET})
        EXPECT_TRUE(Update(id).m_bEnabled) << id;
    doc->m_ch1.SetOn(1);
    doc->m_ch2.SetOn(0);
    for (UINT id : {ID_CH2_BWLIMIT, ID_CH2_INVERT, ID_CH2_FILTER_FIRST, ID_CH2_RESET})
        EXPECT_FALSE(Update(id).m_bEnabled) << id;
}
