#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"

#include "FakeDocUi.h"
#include "zendral/RecordingZendral.h"
#include "zendral/ZendralRegistry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Ords = std::vector<int>;

const Ords kTrigger = {3, 33, 34};
const Ords kRestart = {6};

Ords Concat(std::initializer_list<Ords> parts) {
    Ords out;
    for (const Ords& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

class SettersTest : public ::testing::Test {
protected:
    SettersTest() {
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.SetUi(&ui);
        // As after start-up: the whole set-up has gone out once, so both blocks are filled.
        doc.ApplySettingsToDevice();
        fake->ClearCalls();
        ui.calls.clear();
    }
    // The level block as the last offset call (ordinal 5) carried it.
    std::vector<short> SentLevelBlock() const { return fake->CallsOf(5).back().blocks.at(0); }
    // The state block as the last trigger call (ordinal 3) carried it.
    std::vector<short> SentStateBlock() const { return fake->CallsOf(3).back().blocks.at(0); }

    std::shared_ptr<kv::RecordingZendral> fake = std::make_shared<kv::RecordingZendral>();
    kv::ScopedZendral scope{fake};
    CKelvaneDoc doc;
    FakeDocUi ui;
};

// Every setter's calls with an instrument and in demo mode: the device calls are skipped in
// demo mode except for the time-base steps, the trigger mode, the filters and the ETS
// switches; the capture restart (6) is sent either way; the time-base index and the ETS
// switches never restart.
TEST_F(SettersTest, EachSetterSendsItsGroupAndDemoModeKeepsOnlyTheExceptions) {
    struct Case {
        std::string name;
        std::function<void(CKelvaneDoc&)> call;
        Ords connected;
        Ords demo;
    };
    const Ords etsRead = {3, 33, 34, 23, 6, 24, 23, 6, 24, 23, 3, 33, 34};
    const std::vector<Case> cases = {
        {"Ch1VoltDiv", [](CKelvaneDoc& d) { d.SetCh1VoltDiv(3); }, {4, 5, 6}, kRestart},
        {"Ch2VoltDiv", [](CKelvaneDoc& d) { d.SetCh2VoltDiv(3); }, {4, 5, 6}, kRestart},
        {"Ch1Coupling", [](CKelvaneDoc& d) { d.SetCh1Coupling(kCouplingDc); }, {4, 6}, kRestart},
        {"Ch2Coupling", [](CKelvaneDoc& d) { d.SetCh2Coupling(kCouplingGnd); }, {4, 6}, kRestart},
        {"Ch1Position", [](CKelvaneDoc& d) { d.SetCh1Position(100.0f); }, {5, 6}, kRestart},
        {"Ch2Position", [](CKelvaneDoc& d) { d.SetCh2Position(100.0f); }, {5, 6}, kRestart},
        {"Ch1TriggerLevel", [](CKelvaneDoc& d) { d.SetCh1TriggerLevel(100.0f); }, {5, 6}, kRestart},
        {"Ch2TriggerLevel", [](CKelvaneDoc& d) { d.SetCh2TriggerLevel(100.0f); }, {5, 6}, kRestart},
        {"ExtTriggerLevel", [](CKelvaneDoc& d) { d.SetExtTriggerLevel(100.0f); }, {4, 5, 6}, kRestart},
        {"HorizontalPosition", [](CKelvaneDoc& d) { d.SetHorizontalPosition(100); },
         Concat({kTrigger, kRestart}), kRestart},
        {"TimeBaseIndex", [](CKelvaneDoc& d) { d.SetTimeBaseIndex(5); }, kTrigger, {}},
        {"DecrementTimeBase", [](CKelvaneDoc& d) { d.DecrementTimeBase(); }, Concat({kTrigger, kRestart}),
         Concat({kTrigger, kRestart})},
        {"IncrementTimeBase", [](CKelvaneDoc& d) { d.IncrementTimeBase(); }, Concat({kTrigger, kRestart}),
         Concat({kTrigger, kRestart})},
        {"SendFilterSettings", [](CKelvaneDoc& d) { d.SendFilterSettings(); }, {13, 6}, {13, 6}},
        {"TriggerMode", [](CKelvaneDoc& d) { d.SetTriggerMode(kTriggerPulse); }, Concat({kTrigger, kRestart}),
         Concat({kTrigger, kRestart})},
        {"TriggerSource",
         [](CKelvaneDoc& d) { d.SetTriggerSource(kSourceCh2); },
         {3, 33, 34, 5, 6},
         kRestart},
        {"TriggerSlope", [](CKelvaneDoc& d) { d.SetTriggerSlope(kSlopeFalling); },
         Concat({kTrigger, kRestart}), kRestart},
        {"PulseCondition", [](CKelvaneDoc& d) { d.SetPulseCondition(3); }, Concat({kTrigger, kRestart}),
         kRestart},
        {"EtsSampling", [](CKelvaneDoc& d) { d.SetEtsSampling(); }, Concat({etsRead, kTrigger}),
         Concat({etsRead, kTrigger})},
        {"RealTimeSampling", [](CKelvaneDoc& d) { d.SetRealTimeSampling(); }, kTrigger, kTrigger},
        {"HorizontalFormat", [](CKelvaneDoc& d) { d.SetHorizontalFormat(kFormatXY); }, kRestart, kRestart},
    };
    for (int demo = 0; demo <= 1; ++demo) {
        for (const Case& c : cases) {
            CKelvaneDoc d;
            d.SetDefaultSettings();
            d.AllocSampleBuffers();
            d.SetDemoMode(demo);
            d.SetUi(&ui);
            fake->ClearCalls();
            c.call(d);
            EXPECT_EQ(fake->Ordinals(), demo ? c.demo : c.connected)
                << c.name << (demo ? " in demo mode" : "");
        }
    }
    // None of the setters talks to the user interface: the callers mirror their own controls.
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(SettersTest, ChannelSettingsAreStoredAndSentWithBothChannels) {
    doc.SetCh1Coupling(kCouplingGnd);
    EXPECT_EQ(doc.m_ch1.GetCoupling(), kCouplingGnd);
    EXPECT_EQ(fake->CallsOf(4).back().args, (std::vector<long long>{0, 6, 6, 2, 1}));
    doc.SetCh2Coupling(kCouplingDc);
    EXPECT_EQ(doc.m_ch2.GetCoupling(), kCouplingDc);
    EXPECT_EQ(fake->CallsOf(4).back().args, (std::vector<long long>{0, 6, 6, 2, 0}));

    // A volts/div change recomputes the level range of the active source's table pair.
    doc.SetCh1VoltDiv(0);
    EXPECT_EQ(doc.m_trigger.GetLevelRangeHigh(), 1409);
    EXPECT_EQ(doc.m_trigger.GetLevelRangeLow(), 1250);
    const kv::ZendralCall offset = fake->CallsOf(5).back();
    EXPECT_EQ(offset.args, (std::vector<long long>{0, 0, 6, 0}));
    EXPECT_EQ(offset.blocks.at(1)[CTrigger::kLevelRangeHigh], 1409);

    // Demo mode still stores every value.
    doc.SetDemoMode(1);
    doc.SetCh2Coupling(kCouplingAc);
    doc.SetCh2VoltDiv(9);
    EXPECT_EQ(doc.m_ch2.GetCoupling(), kCouplingAc);
    EXPECT_EQ(doc.m_ch2.GetVoltsPerDivIndex(), 9);
}

TEST_F(SettersTest, PositionsKeepTheFloatAndSendAClampedTruncatedWord) {
    doc.SetCh1Position(600.0f);
    EXPECT_FLOAT_EQ(doc.m_ch1.GetPosition(), 600.0f);
    EXPECT_EQ(SentLevelBlock()[kv::kLevelCh1Position], 511);
    doc.SetCh1Position(-3.0f);
    EXPECT_FLOAT_EQ(doc.m_ch1.GetPosition(), -3.0f);
    EXPECT_EQ(SentLevelBlock()[kv::kLevelCh1Position], 0);
    doc.SetCh1Position(200.9f);
    EXPECT_EQ(SentLevelBlock()[kv::kLevelCh1Position], 200);

    doc.SetCh2Position(384.7f);
    EXPECT_EQ(SentLevelBlock(), (std::vector<short>{200, 384, 128, 384, 256}));
    doc.SetCh2Position(std::nanf(""));
    EXPECT_EQ(SentLevelBlock()[kv::kLevelCh2Position], 0);

    // In demo mode the word is still kept, ready for the next full set-up.
    doc.SetDemoMode(1);
    doc.SetCh1Position(1e9f);
    EXPECT_EQ(doc.m_usb.GetLevelWord(kv::kLevelCh1Position), 511);
}

TEST_F(SettersTest, TriggerLevelWordsStayInsideTheLevelBlockRange) {
    doc.SetCh1TriggerLevel(600.7f);
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevel(CTrigger::kLevelCh1), 600.7f);
    EXPECT_EQ(SentLevelBlock()[kv::kLevelCh1Trigger], 511);
    doc.SetCh1TriggerLevel(-40.5f);
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevel(CTrigger::kLevelCh1), -40.5f);
    EXPECT_EQ(SentLevelBlock()[kv::kLevelCh1Trigger], 0);
    doc.SetCh1TriggerLevel(300.99f);
    EXPECT_EQ(SentLevelBlock()[kv::kLevelCh1Trigger], 300);

    // A level far beyond 16 bits must neither wrap nor reach the instrument unclamped.
    doc.SetCh2TriggerLevel(70000.0f);
    EXPECT_EQ(SentLevelBlock()[kv::kLevelCh2Trigger], 511);
    doc.SetCh2TriggerLevel(-70000.0f);
    EXPECT_EQ(SentLevelBlock()[kv::kLevelCh2Trigger], 0);

    doc.SetExtTriggerLevel(520.0f);
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevel(CTrigger::kLevelExt), 520.0f);
    EXPECT_EQ(SentLevelBlock()[kv::kLevelExtTrigger], 511);
    EXPECT_EQ(fake->Ordinals().back(), 6);
    doc.SetExtTriggerLevel(128.0f);
    EXPECT_EQ(SentLevelBlock(), (std::vector<short>{128, 384, 300, 0, 128}));
}

TEST_F(SettersTest, HorizontalPositionIsSentAsAPercentage) {
    struct Case {
        std::int16_t position;
        short word;
    };
    for (const Case c : {Case{501, 100}, Case{250, 50}, Case{499, 99}, Case{500, 100}, Case{4, 0},
                         Case{-3, 0}, Case{-500, 0}, Case{32767, 100}}) {
        doc.SetHorizontalPosition(c.position);
        EXPECT_EQ(doc.m_settings.GetHorizontalPosition(), c.position);
        EXPECT_EQ(SentStateBlock()[kv::kStatePosition], c.word) << c.position;
    }
}

TEST_F(SettersTest, TimeBaseStepsStopAtBothEndsAndUpdateTheWord) {
    doc.IncrementTimeBase();
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 14);
    EXPECT_EQ(SentStateBlock()[kv::kStateTimeBase], 14);
    doc.DecrementTimeBase();
    doc.DecrementTimeBase();
    EXPECT_EQ(SentStateBlock()[kv::kStateTimeBase], 12);

    doc.m_settings.SetTimeBaseIndex(0);
    doc.DecrementTimeBase();
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 0);
    EXPECT_EQ(SentStateBlock()[kv::kStateTimeBase], 0);

    doc.m_settings.SetTimeBaseIndex(38);
    doc.IncrementTimeBase();
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 38);

    // With the index offset of the other models the last index is 37.
    doc.m_settings.SetIndexOffset(1);
    doc.m_settings.SetTimeBaseIndex(36);
    doc.IncrementTimeBase();
    doc.IncrementTimeBase();
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 37);
    EXPECT_EQ(SentStateBlock()[kv::kStateTimeBase], 37);
}

TEST_F(SettersTest, TriggerSourceBecomesTheActiveSourceWithItsLevelRange) {
    doc.SetTriggerSource(kSourceCh2);
    EXPECT_EQ(doc.m_trigger.GetSource(), kSourceCh2);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateActiveSource), 1);
    EXPECT_EQ(SentStateBlock()[kv::kStateActiveSource], 1);
    EXPECT_EQ(doc.m_trigger.GetLevelRangeHigh(), 2730 * 4096 / 3898);
    EXPECT_EQ(fake->CallsOf(5).back().args[3], 1);

    // ALT stays the active source until a capture picks a channel; the range is left as it was.
    doc.SetTriggerSource(kSourceAlt);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateActiveSource), 2);
    EXPECT_EQ(doc.m_trigger.GetLevelRangeHigh(), 2730 * 4096 / 3898);

    doc.SetTriggerSource(kSourceExt10);
    EXPECT_EQ(doc.m_trigger.GetLevelRangeHigh(), 3085);
    EXPECT_EQ(doc.m_trigger.GetLevelRangeLow(), 497);

    // An unknown source is ignored and the stored one is sent again.
    doc.SetTriggerSource(5);
    EXPECT_EQ(doc.m_trigger.GetSource(), kSourceExt10);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateActiveSource), 4);

    // Demo mode keeps the active source for the sample-rate texts.
    doc.SetDemoMode(1);
    doc.SetTriggerSource(kSourceCh1);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateActiveSource), 0);
}

TEST_F(SettersTest, TriggerModeSlopeAndPulseConditionReachTheTriggerCall) {
    doc.m_trigger.SetPulseWidth(40);
    doc.SetTriggerMode(kTriggerPulse);
    doc.SetTriggerSlope(kSlopeFalling);
    doc.SetPulseCondition(4);
    EXPECT_EQ(doc.m_trigger.GetTriggerType(), kTriggerPulse);
    EXPECT_EQ(doc.m_trigger.GetTriggerTypeWord(), 1);
    // device, slope, ETS flag, trigger type word, pulse condition, pulse width
    EXPECT_EQ(fake->CallsOf(3).back().args, (std::vector<long long>{0, 1, 0, 1, 4, 40}));
    EXPECT_EQ(fake->CallsOf(33).back().args, (std::vector<long long>{0, 1, 0}));

    // Values the trigger object refuses leave the stored ones.
    doc.SetTriggerMode(2);
    doc.SetTriggerSlope(7);
    doc.SetPulseCondition(6);
    EXPECT_EQ(fake->CallsOf(3).back().args, (std::vector<long long>{0, 1, 0, 1, 4, 40}));

    // The trigger mode is sent in demo mode too.
    doc.SetDemoMode(1);
    fake->ClearCalls();
    doc.SetTriggerMode(kTriggerEdge);
    EXPECT_EQ(fake->CallsOf(3).back().args[3], 0);
}

TEST_F(SettersTest, FormatIsStoredWithoutADeviceCallAndRollRestartClearsTheScreen) {
    doc.SetHorizontalFormat(kFormatXY);
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatXY);
    doc.SetHorizontalFormat(3);
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatXY);
    doc.m_ch1.SetRollPointsHeld(120);
    doc.m_ch1.GetScreenTrace()[3] = 55;
    doc.SetHorizontalFormat(kFormatRoll);
    EXPECT_EQ(doc.m_ch1.GetRollPointsHeld(), 0);
    EXPECT_EQ(doc.m_ch1.GetScreenTrace()[3], 0);
    EXPECT_EQ(fake->Ordinals(), (Ords{6, 6, 6}));
}

TEST_F(SettersTest, TimeBaseIndexLeavesEtsAboveIndexSixOnlyWhileRunning) {
    doc.m_settings.SetSamplingMode(kSamplingEts);
    doc.m_bRunning = 0;
    doc.SetTimeBaseIndex(7);
    EXPECT_EQ(doc.m_settings.GetSamplingMode(), kSamplingEts);
    EXPECT_EQ(fake->Ordinals(), kTrigger);
    // Running: real-time sampling is sent first, with ETS flag 0, then the new index.
    doc.m_bRunning = 1;
    fake->ClearCalls();
    doc.SetTimeBaseIndex(8);
    EXPECT_EQ(doc.m_settings.GetSamplingMode(), kSamplingRealTime);
    EXPECT_EQ(fake->Ordinals(), Concat({kTrigger, kTrigger}));
    EXPECT_EQ(fake->CallsOf(3).front().args[2], 0);
    EXPECT_EQ(SentStateBlock()[kv::kStateTimeBase], 8);
}

// The time-base limit of the channel-enable step takes its bounds from the time-base table, so
// it holds without a view and under either index offset; its ranges are its own.
TEST_F(SettersTest, ChannelEnableLimitsTheTimeBaseFromTheTable) {
    struct Case {
        std::int16_t offset;
        std::int16_t code;
        std::int16_t index;
        std::int16_t expectedIndex;
        std::int16_t expectedCode;
    };
    const Case cases[] = {
        {0, 1, 12, 13, 1},                    // 20 us/div is below this clamp's 40 us/div, also for 14K
        {0, 3, 25, 25, 3},                    // 400 ms/div is inside
        {0, 3, 26, 13, 3},                    // too slow also becomes 40 us/div
        {0, 4, 5, 13, 3},  {0, 5, 15, 16, 5}, // 200 us/div is below 400 us/div
        {0, 0, 2, 2, 0},                      // code 0 has no limit
        {1, 1, 5, 12, 1},                     // index offset 1: 40 us/div is index 12
        {1, 5, 30, 15, 5},                    // and 400 us/div index 15
        {1, 1, 24, 24, 1},                    // 400 ms/div is index 24
    };
    doc.SetUi(nullptr);
    for (const Case& c : cases) {
        doc.m_settings.SetIndexOffset(c.offset);
        doc.m_settings.SetRecordLengthMode(c.code);
        doc.m_settings.SetTimeBaseIndex(c.index);
        doc.ApplyChannelEnable();
        EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), c.expectedIndex)
            << "offset " << c.offset << " code " << c.code << " index " << c.index;
        EXPECT_EQ(doc.m_settings.GetRecordLengthMode(), c.expectedCode);
    }
}

TEST_F(SettersTest, ChannelEnableSkipsTheLimitForAltWithOneChannelAndSendsLittleInDemo) {
    // ALT with only CH1 on: no limit.
    doc.m_trigger.SetSource(kSourceAlt);
    doc.m_ch2.SetOn(0);
    doc.m_settings.SetRecordLengthMode(kRecordLength14K);
    doc.m_settings.SetTimeBaseIndex(5);
    doc.ApplyChannelEnable();
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 5);
    // Both channels on: the limit applies again.
    doc.m_ch2.SetOn(1);
    doc.ApplyChannelEnable();
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 13);

    // In demo mode only the record-length change reaches the instrument (it is sent in demo
    // mode too); the clamp itself still moves the index and the side panel.
    doc.SetDemoMode(1);
    doc.m_trigger.SetSource(kSourceCh1);
    doc.m_settings.SetRecordLengthMode(kRecordLength28K);
    doc.m_settings.SetTimeBaseIndex(12);
    fake->ClearCalls();
    ui.calls.clear();
    doc.ApplyChannelEnable();
    EXPECT_EQ(fake->Ordinals(), kTrigger);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 13);
    EXPECT_EQ(doc.m_settings.GetRecordLengthMode(), kRecordLength14K);
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"Combo 0 13", "Repaint"}));
}

} // namespace
