// Menu rows at the ends of their ranges: every item of the trigger-source, pulse-condition,
// MATH volts/div and cursor-mode groups acts on its own code (the last item included), and Start
// pulls the sampling mode, the horizontal position and the time base back inside their limits.
#include "CommandsTestSupport.h"

#include "engine/SettingsCodes.h"

namespace {

using cmdtest::CommandsTest;

TEST_F(CommandsTest, EveryTriggerSourceItemSelectsItsOwnSourceUpToExtTen) {
    // 0 CH1, 1 CH2, 2 ALT, 3 EXT, 4 EXT/10; walk backwards so every step is a change.
    for (int source = 4; source >= 0; --source) {
        Run(ID_TRIG_SOURCE_FIRST + source);
        EXPECT_EQ(doc->m_trigger.GetSource(), source);
        for (int other = 0; other < 5; ++other)
            EXPECT_EQ(State(ID_TRIG_SOURCE_FIRST + other).second, other == source ? 1 : 0)
                << source << " " << other;
    }
    // EXT/10 puts the external level in the middle of the screen, like EXT.
    doc->m_trigger.SetLevel(CTrigger::kLevelExt, 40.0f);
    Run(ID_TRIG_SOURCE_FIRST + 4);
    EXPECT_EQ(doc->m_trigger.GetSource(), kSourceExt10);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(CTrigger::kLevelExt), 128.0f);
}

TEST_F(CommandsTest, EveryPulseConditionItemSelectsItsOwnCondition) {
    doc->m_trigger.SetTriggerType(kTriggerPulse);
    // + Less, + Equal, + More, - Less, - Equal, - More.
    for (int condition = 5; condition >= 0; --condition) {
        Run(ID_TRIG_PW_FIRST + condition);
        EXPECT_EQ(doc->m_trigger.GetPulseCondition(), condition);
        EXPECT_EQ(mirror.Selected(ISidePanelMirror::kTriggerSlope), condition);
        for (int other = 0; other < 6; ++other)
            EXPECT_EQ(State(ID_TRIG_PW_FIRST + other), std::make_pair(true, other == condition ? 1 : 0))
                << condition << " " << other;
    }
    // Edge triggering greys all six, the last one too.
    doc->m_trigger.SetTriggerType(kTriggerEdge);
    EXPECT_FALSE(Update(ID_TRIG_PW_FIRST + 5).m_bEnabled);
    EXPECT_FALSE(Update(ID_TRIG_PW_FIRST).m_bEnabled);
}

TEST_F(CommandsTest, EveryMathVoltsItemSelectsItsOwnStep) {
    doc->m_math.SetOn(1);
    for (int step = 9; step >= 0; --step) {
        Run(ID_MATH_VOLTDIV_FIRST + step);
        EXPECT_EQ(doc->m_math.GetVoltsPerDivIndex(), step);
        EXPECT_EQ(State(ID_MATH_VOLTDIV_FIRST + step), std::make_pair(true, 1)) << step;
        EXPECT_EQ(State(ID_MATH_VOLTDIV_FIRST + (step + 1) % 10).second, 0) << step;
    }
}

TEST_F(CommandsTest, EveryCursorModeItemSelectsItsOwnMode) {
    // 0 none, 1 cross-hairs, 2 trace marker, 3 vertical lines (time), 4 horizontal lines (volts).
    const std::pair<UINT, int> items[] = {{ID_CURSOR_HORIZONTAL, 4}, {ID_CURSOR_VERTICAL, 3},
                                          {ID_CURSOR_TRACE, 2},      {ID_CURSOR_CROSS, 1},
                                          {ID_CURSOR_HORIZONTAL, 4}, {ID_CURSOR_NONE, 0}};
    for (const auto& [id, mode] : items) {
        Run(id);
        EXPECT_EQ(view->Screen().GetCursorMode(), mode) << id;
        for (const auto& [otherId, otherMode] : items)
            EXPECT_EQ(State(otherId).second, otherMode == mode ? 1 : 0) << id << " " << otherId;
    }
}

TEST_F(CommandsTest, StartLeavesEtsUpToTheSeventhStepAndSwitchesToRealTimeAbove) {
    doc->SetDemoMode(0);
    // Time-base steps 0..6 are fast enough for equivalent-time sampling; 7 is the first that is not.
    const std::pair<int, std::int16_t> cases[] = {
        {6, kSamplingEts}, {7, kSamplingRealTime}, {0, kSamplingEts}, {8, kSamplingRealTime}};
    for (const auto& [step, sampling] : cases) {
        Running(false);
        doc->m_settings.SetTimeBaseIndex(static_cast<std::int16_t>(step));
        doc->m_settings.SetSamplingMode(kSamplingEts);
        Run(ID_ACQUIRE_START);
        EXPECT_TRUE(doc->m_bRunning) << step;
        EXPECT_EQ(doc->m_settings.GetSamplingMode(), sampling) << step;
    }
}

TEST_F(CommandsTest, StartPullsTheHorizontalPositionBackToItsLastLegalValue) {
    const std::pair<std::int16_t, std::int16_t> cases[] = {
        {500, 500}, {501, 500}, {0, 0}, {-1, 0}, {250, 250}};
    for (const auto& [position, kept] : cases) {
        Running(false);
        doc->m_settings.SetHorizontalPosition(position);
        Run(ID_ACQUIRE_START);
        EXPECT_EQ(doc->m_settings.GetHorizontalPosition(), kept) << position;
    }
}

} // namespace

namespace {

TEST_F(CommandsTest, StartKeepsTheTimeBaseOnTheEdgesOfEachRecordLengthsRange) {
    // Steps: 12 "20.0us", 13 "40.0us", 15 "200us", 16 "400us", 25 "400ms", 26 "1.00s". Out of
    // range, modes up to 64K fall back to 40.0us and the two deepest to 400us.
    struct Case {
        std::int16_t mode;
        bool ch2On;
        std::int16_t index, expected;
    };
    const Case cases[] = {
        {1, true, 13, 13},  {1, true, 12, 13},  {1, true, 25, 25},  {1, true, 26, 13},  {2, false, 13, 13},
        {2, false, 12, 13}, {2, false, 26, 13}, {4, false, 12, 13}, {4, false, 13, 13}, {4, false, 25, 25},
        {4, false, 26, 13}, {5, true, 15, 16},  {5, true, 16, 16},  {5, true, 25, 25},  {5, true, 26, 16},
        {6, false, 15, 16}, {6, false, 16, 16}, {6, false, 25, 25}, {6, false, 26, 16},
    };
    for (const Case& c : cases) {
        Run(ID_ACQUIRE_STOP);
        doc->m_ch1.SetOn(1);
        doc->m_ch2.SetOn(c.ch2On ? 1 : 0);
        doc->m_trigger.SetSource(kSourceCh1);
        doc->ApplyChannelEnable();
        doc->m_settings.SetRecordLengthMode(c.mode);
        doc->m_settings.SetTimeBaseIndex(c.index);
        Run(ID_ACQUIRE_START);
        EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), c.expected) << c.mode << " " << c.index;
    }
}

TEST_F(CommandsTest, StartIn10KEntersRollFromExactlyOneSecondPerDivision) {
    // The side panel's selection decides: 25 "400ms" stays in Y-T, 26 "1.00s" is the first Roll step.
    const std::pair<int, std::int16_t> cases[] = {
        {26, kFormatRoll}, {25, kFormatYT}, {38, kFormatRoll}, {0, kFormatYT}};
    for (const auto& [selection, format] : cases) {
        Run(ID_ACQUIRE_STOP);
        doc->m_settings.SetRecordLengthMode(kRecordLength10K);
        mirror.timeDivSelection = selection;
        Run(ID_ACQUIRE_START);
        EXPECT_EQ(doc->m_settings.GetTimeBaseFormat(), format) << selection;
        EXPECT_EQ(mirror.Selected(ISidePanelMirror::kFormat), format) << selection;
    }
}

} // namespace
