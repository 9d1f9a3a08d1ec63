#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"

#include "FakeDocUi.h"
#include "resources/Resource.h"
#include "zendral/RecordingZendral.h"
#include "zendral/ZendralRegistry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using Ords = std::vector<int>;

class KelvaneDocTest : public ::testing::Test {
protected:
    KelvaneDocTest() {
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.SetUi(&ui);
    }
    std::shared_ptr<kv::RecordingZendral> fake = std::make_shared<kv::RecordingZendral>();
    kv::ScopedZendral scope{fake};
    CKelvaneDoc doc;
    FakeDocUi ui;
};

// The channel-enable step with both channels on: trigger, then each gain with its restart.
const Ords kChannelEnable = {3, 33, 34, 4, 5, 6, 4, 5, 6};

Ords Concat(std::initializer_list<Ords> parts) {
    Ords out;
    for (const Ords& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(KelvaneDocConstruction, ConstructorSetsItsOwnDefaults) {
    CKelvaneDoc doc;
    EXPECT_EQ(doc.m_nLanguage, -1);
    EXPECT_EQ(doc.m_nAutoSetupState, -1);
    EXPECT_EQ(doc.m_nCalibrationState, -1);
    EXPECT_EQ(doc.m_nCalibrationChannels[0], 0);
    EXPECT_EQ(doc.m_nCalibrationChannels[1], 1);
    EXPECT_EQ(doc.m_strPulseWidth, "10.0nS");
    EXPECT_EQ(doc.GetSampleBufferSize(), 0);
    EXPECT_EQ(doc.m_usb.GetDeviceIndex(), 0);
    EXPECT_EQ(doc.OnNewDocument(), TRUE);
}

TEST_F(KelvaneDocTest, DefaultsAndBuffersFollowTheModel) {
    doc.m_nModel = 2;
    doc.m_bRunning = 0;
    doc.m_nRunStatus = 0;
    doc.m_ch1.SetVoltsPerDivIndex(0);
    doc.SetDefaultSettings();
    EXPECT_EQ(doc.m_nModel, 4);
    EXPECT_EQ(doc.GetModelName(), "Kestra-E USB");
    EXPECT_EQ(doc.m_bRunning, 1);
    EXPECT_EQ(doc.m_nRunStatus, 3);
    for (const CTrace* t :
         {static_cast<const CTrace*>(&doc.m_ch1), static_cast<const CTrace*>(&doc.m_ch2),
          static_cast<const CTrace*>(&doc.m_math), static_cast<const CTrace*>(&doc.m_ref)}) {
        EXPECT_EQ(t->GetModel(), 4);
        EXPECT_EQ(t->GetVoltsPerDivIndex(), 6);
        EXPECT_EQ(t->GetInterpolation(), kInterpolationSinc);
        EXPECT_EQ(t->GetRecordLength(), 10240);
        EXPECT_EQ(t->GetMaxRecordLength(), 28672);
        EXPECT_EQ(t->GetFirstValid(), 0);
        EXPECT_EQ(t->GetLastValid(), 499);
    }
    EXPECT_EQ(doc.m_ch1.GetColor(), 0x00FF00u);
    EXPECT_EQ(doc.m_ch2.GetColor(), 0x00FFFFu);
    EXPECT_EQ(doc.m_math.GetColor(), 0x0000FFu);
    EXPECT_EQ(doc.m_ref.GetColor(), 0xFFFF00u);
    EXPECT_EQ(doc.m_ch1.IsOn(), 1);
    EXPECT_EQ(doc.m_ch2.IsOn(), 1);
    EXPECT_EQ(doc.m_math.IsOn(), 0);
    EXPECT_EQ(doc.m_ref.IsOn(), 0);
    EXPECT_EQ(doc.m_ch1.GetCoupling(), kCouplingAc);
    EXPECT_EQ(doc.m_math.GetCoupling(), kCouplingMath);
    EXPECT_FLOAT_EQ(doc.m_ch1.GetPosition(), 128.0f);
    EXPECT_FLOAT_EQ(doc.m_ch2.GetPosition(), 384.0f);
    EXPECT_FLOAT_EQ(doc.m_math.GetPosition(), 256.0f);
    EXPECT_EQ(doc.m_math.GetSourceB(), 1);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 13);
    EXPECT_EQ(doc.m_settings.GetIndexOffset(), 0);
    EXPECT_DOUBLE_EQ(doc.m_settings.GetSecondsPerDiv(), 4e-5);
    EXPECT_EQ(doc.m_settings.GetHorizontalPosition(), 250);
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevel(CTrigger::kLevelCh2), 384.0f);
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevel(CTrigger::kLevelExt), 256.0f);
    EXPECT_EQ(doc.m_ref.HasNoSamples(), 1);
    EXPECT_EQ(doc.m_ref.GetHorizontalPosition(), 250);
    EXPECT_EQ(doc.m_average.GetFramesWanted(), 1);
    EXPECT_EQ(doc.m_fft.m_nBins, 256);
    // Defaults send nothing to the instrument.
    EXPECT_TRUE(fake->calls.empty());

    EXPECT_EQ(doc.AllocSampleBuffers(), 0);
    EXPECT_EQ(doc.GetSampleBufferSize(), 65535);
    EXPECT_EQ(doc.m_ch1.GetRecordCapacity(), 65535);
    EXPECT_EQ(doc.m_ref.GetRecordCapacity(), 65535);
}

TEST_F(KelvaneDocTest, ModelNamesAndOutOfRangeModel) {
    const char* names[] = {"Kestra-A USB", "Kestra-B USB", "Kestra-C USB",
                           "Kestra-D USB", "Kestra-E USB", "Kestra-F USB"};
    for (std::int16_t m = 0; m < 6; ++m) {
        doc.m_nModel = m;
        EXPECT_EQ(doc.GetModelName(), names[m]);
    }
    doc.m_nModel = 6;
    EXPECT_EQ(doc.GetModelName(), "");
    doc.m_nModel = -1;
    EXPECT_EQ(doc.GetModelName(), "");
}

TEST_F(KelvaneDocTest, RecordLengthCodesFollowTheTable) {
    const std::int32_t expected[] = {10240, 14336, 14336, 32768, 32768, 524288, 524288};
    doc.m_ref.SetRecordLength(500);
    for (std::int16_t code = 0; code <= 6; ++code) {
        fake->ClearCalls();
        doc.SetRecordLength(code);
        EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateRecordLength), code);
        EXPECT_EQ(doc.m_ch1.GetRecordLength(), expected[code]);
        EXPECT_EQ(doc.m_ch2.GetRecordLength(), expected[code]);
        EXPECT_EQ(doc.m_math.GetRecordLength(), expected[code]);
        EXPECT_EQ(doc.m_ref.GetRecordLength(), 500); // REF keeps its own
        EXPECT_EQ(fake->Ordinals(), (Ords{3, 33, 34}));
    }
    for (std::int16_t code : {std::int16_t{7}, std::int16_t{-1}, std::int16_t{32767}}) {
        doc.SetRecordLength(code);
        EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateRecordLength), 0);
        EXPECT_EQ(doc.m_ch1.GetRecordLength(), 10240);
    }
    // The settings' own code is the caller's.
    EXPECT_EQ(doc.m_settings.GetRecordLengthMode(), kRecordLength10K);
    // Sent in demo mode too.
    doc.SetDemoMode(1);
    fake->ClearCalls();
    doc.SetRecordLength(1);
    EXPECT_EQ(fake->Ordinals(), (Ords{3, 33, 34}));
}

// A chosen record length reaches both the settings (saved, shown in the menus) and the
// instrument; a code the settings refuse still sends the shortest record.
TEST_F(KelvaneDocTest, ChosenRecordLengthIsKeptAndSent) {
    doc.ChooseRecordLength(3);
    EXPECT_EQ(doc.m_settings.GetRecordLengthMode(), 3);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateRecordLength), 3);
    EXPECT_EQ(doc.m_ch2.GetRecordLength(), 32768);
    ASSERT_EQ(fake->CallsOf(3).size(), 1u);
    EXPECT_EQ(fake->CallsOf(3)[0].blocks.at(0).at(kv::kStateRecordLength), 3);

    fake->ClearCalls();
    doc.ChooseRecordLength(9);
    EXPECT_EQ(doc.m_settings.GetRecordLengthMode(), 3);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateRecordLength), 0);
    EXPECT_EQ(doc.m_ch1.GetRecordLength(), 10240);
    EXPECT_EQ(fake->Ordinals(), (Ords{3, 33, 34}));
}

// The commands the panels and dialogs give the instrument through the document.
TEST_F(KelvaneDocTest, PanelAndDialogCommandsReachTheInstrument) {
    doc.m_bPretriggerWait = 1;
    doc.ForceTrigger();
    EXPECT_EQ(fake->Ordinals(), (Ords{1}));
    EXPECT_EQ(doc.m_bPretriggerWait, 0);

    // Line calibration: a changed word writes all four; the same level or a fifth word nothing.
    fake->ClearCalls();
    EXPECT_TRUE(doc.SetLineCalibrationWord(2, 7));
    ASSERT_EQ(fake->CallsOf(15).size(), 1u);
    EXPECT_EQ(fake->CallsOf(15)[0].blocks.at(0), (std::vector<short>{0, 0, 7, 0}));
    EXPECT_FALSE(doc.SetLineCalibrationWord(2, 7));
    EXPECT_FALSE(doc.SetLineCalibrationWord(4, 1));
    EXPECT_FALSE(doc.SetLineCalibrationWord(-1, 1));
    EXPECT_EQ(fake->CallsOf(15).size(), 1u);

    fake->ClearCalls();
    doc.SetEtsCalibrationLimits(230, 40);
    EXPECT_EQ(doc.m_settings.GetEtsCalMax(), 230);
    EXPECT_EQ(doc.m_settings.GetEtsCalMin(), 40);
    ASSERT_EQ(fake->CallsOf(31).size(), 1u);
    EXPECT_EQ(fake->CallsOf(31)[0].blocks.at(0), (std::vector<short>{230, 40}));

    // An address the instrument takes is read back; a refused one is not.
    fake->ClearCalls();
    fake->addresses = {{0, 0, 55, 0}};
    EXPECT_NE(doc.ChangeDeviceAddress(2, 55), 0);
    EXPECT_EQ(fake->Ordinals(), (Ords{21, 20}));
    EXPECT_EQ(doc.m_usb.GetAddress(2), 55);
    fake->ClearCalls();
    fake->results[21] = 0;
    fake->addresses = {{0, 0, 66, 0}};
    EXPECT_EQ(doc.ChangeDeviceAddress(2, 66), 0);
    EXPECT_EQ(fake->Ordinals(), (Ords{21}));
    EXPECT_EQ(doc.m_usb.GetAddress(2), 55);

    EXPECT_TRUE(doc.SelectDevice(3));
    EXPECT_EQ(doc.m_usb.GetDeviceIndex(), 3);
    EXPECT_FALSE(doc.SelectDevice(4));
    EXPECT_EQ(doc.m_usb.GetDeviceIndex(), 3);
}

// MATH and REF are the program's own traces: moving them sends nothing and restarts nothing.
TEST_F(KelvaneDocTest, MathAndRefPositionsStayOnTheScreen) {
    doc.m_bRunning = 1;
    doc.m_settings.SetTimeBaseFormat(1); // Roll: a restart would also clear the traces
    doc.m_ch1.GetScreenTrace()[10] = 200;
    std::int16_t level[kv::kLevelBlockWords];
    for (int i = 0; i < kv::kLevelBlockWords; ++i)
        level[i] = doc.m_usb.GetLevelWord(i);
    fake->ClearCalls();
    doc.SetMathPosition(300.5f);
    doc.SetRefPosition(42.0f);
    EXPECT_FLOAT_EQ(doc.m_math.GetPosition(), 300.5f);
    EXPECT_FLOAT_EQ(doc.m_ref.GetPosition(), 42.0f);
    EXPECT_TRUE(fake->calls.empty());
    for (int i = 0; i < kv::kLevelBlockWords; ++i)
        EXPECT_EQ(doc.m_usb.GetLevelWord(i), level[i]) << i;
    EXPECT_EQ(doc.m_ch1.GetScreenTrace()[10], 200);
}

TEST_F(KelvaneDocTest, OnlyRecordLengthsThatFitTheBuffersAreUsable) {
    // Model 4's buffers hold 65535 samples: the deep codes would overrun them.
    for (std::int16_t code = 0; code <= 4; ++code)
        EXPECT_TRUE(doc.IsRecordLengthCodeUsable(code)) << code;
    EXPECT_FALSE(doc.IsRecordLengthCodeUsable(5));
    EXPECT_FALSE(doc.IsRecordLengthCodeUsable(6));
    EXPECT_FALSE(doc.IsRecordLengthCodeUsable(7));
    EXPECT_FALSE(doc.IsRecordLengthCodeUsable(-1));
    CKelvaneDoc bare;
    EXPECT_FALSE(bare.IsRecordLengthCodeUsable(0)); // nothing allocated yet
}

TEST_F(KelvaneDocTest, FullSetUpSendsInItsFixedOrder) {
    doc.m_settings.SetHorizontalPosition(499);
    EXPECT_EQ(doc.ApplySettingsToDevice(), 1);
    EXPECT_EQ(fake->Ordinals(), Concat({{9, 14, 32}, kChannelEnable, {3, 33, 34, 4, 5, 13, 6, 6}}));
    const std::int16_t* s = doc.m_usb.GetStateBlock();
    EXPECT_EQ(s[kv::kStateActiveSource], 0);
    EXPECT_EQ(s[kv::kStateChannelMode], 2);
    EXPECT_EQ(s[kv::kStateTimeBase], 13);
    EXPECT_EQ(s[kv::kStatePosition], 99);
    EXPECT_EQ(s[kv::kStateRecordLength], 0);
    EXPECT_EQ(s[kv::kStateAltFlag], 0);
    // Ordinal 5 of the last group carries the level block and the calibration block.
    const kv::ZendralCall offset = fake->CallsOf(5).back();
    EXPECT_EQ(offset.blocks[0], (std::vector<short>{128, 384, 128, 384, 256}));
    EXPECT_EQ(offset.args, (std::vector<long long>{0, 6, 6, 0}));
    const kv::ZendralCall gains = fake->CallsOf(4).back();
    EXPECT_EQ(gains.args, (std::vector<long long>{0, 6, 6, 1, 1}));
    const kv::ZendralCall filter = fake->CallsOf(13).back();
    EXPECT_EQ(filter.args, (std::vector<long long>{0, 0, 0, 0}));

    doc.m_settings.SetHorizontalPosition(500);
    doc.ApplySettingsToDevice();
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStatePosition), 100);
    // A pan beyond the screen never sends a word outside 0..100.
    doc.m_settings.SetHorizontalPosition(-20);
    doc.ApplySettingsToDevice();
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStatePosition), 0);
}

TEST_F(KelvaneDocTest, LevelBlockWordsAreClampedToTheScreenRange) {
    doc.m_trigger.SetLevel(CTrigger::kLevelCh1, 600.7f);
    doc.m_trigger.SetLevel(CTrigger::kLevelCh2, -3.0f);
    doc.m_trigger.SetLevel(CTrigger::kLevelExt, std::nanf(""));
    doc.m_ch1.SetPosition(12.9f);
    doc.m_ch2.SetPosition(1e9f);
    doc.ApplySettingsToDevice();
    EXPECT_EQ(fake->CallsOf(5).back().blocks[0], (std::vector<short>{12, 511, 511, 0, 0}));
    // The stored floats stay as given.
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevel(CTrigger::kLevelCh1), 600.7f);
}

TEST_F(KelvaneDocTest, SetUpReadsTheInstrumentTablesIntoTheirOwners) {
    fake->calibrationPairs[0] = 60;
    fake->calibrationPairs[1] = 7;
    fake->lineCalWords = {{0x1FF, 3, 0, 0}};
    fake->tdcCalData = {{11, 22}};
    doc.ApplySettingsToDevice();
    EXPECT_EQ(doc.m_trigger.GetCalibrationTable()[0], 12807);
    EXPECT_EQ(doc.m_usb.GetAdjustmentWords()[0], 0);
    EXPECT_EQ(doc.m_usb.GetAdjustmentWords()[1], 3);
    EXPECT_EQ(doc.m_settings.GetEtsCalData()[1], 22);
    // CH1 at 1 V/div, active source CH1: the level range of the CH1 table pair at index 6.
    EXPECT_EQ(doc.m_trigger.GetLevelRangeHigh(), 2670 * 4096 / 3898);
    EXPECT_EQ(doc.m_trigger.GetLevelRangeLow(), 678 * 4096 / 3898);

    // A failed table read keeps the previous table.
    fake->readCalibrationResult = 0;
    fake->calibrationPairs[1] = 9;
    doc.ApplySettingsToDevice();
    EXPECT_EQ(doc.m_trigger.GetCalibrationTable()[0], 12807);
}

TEST_F(KelvaneDocTest, FftScaleWordGoesIntoTheSecondDouble) {
    doc.m_fft.m_nSource = 1;
    doc.m_fft.m_nWindow = 3;
    doc.m_fft.m_nBins = 1024;
    doc.m_fft.m_nScale = 0;
    doc.m_usb.GetFftBlock().voltsPerDiv = 0.5;
    doc.ApplySettingsToDevice();
    const kv::ZendralFftBlock& b = doc.m_usb.GetFftBlock();
    EXPECT_EQ(b.source, 1);
    EXPECT_EQ(b.window, 3);
    EXPECT_EQ(b.bins, 1024);
    EXPECT_DOUBLE_EQ(b.scale, 0.0);
    EXPECT_DOUBLE_EQ(b.voltsPerDiv, 0.5); // filled by the FFT step, not here
    doc.m_fft.m_nScale = 1;
    doc.ApplySettingsToDevice();
    EXPECT_DOUBLE_EQ(doc.m_usb.GetFftBlock().scale, 1.0);
}

TEST_F(KelvaneDocTest, AltSourceLetsTheSwapChooseTheActiveChannel) {
    doc.m_trigger.SetSource(kSourceAlt);
    doc.ApplySettingsToDevice();
    EXPECT_EQ(fake->Ordinals(),
              Concat({{3, 33, 34, 5, 9, 14, 32}, kChannelEnable, {3, 33, 34, 4, 5, 13, 6, 6}}));
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateAltFlag), 1);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateActiveSource), 0);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateChannelMode), 2);
    EXPECT_EQ(doc.m_nAltPhase, 1);
    // The next swap picks CH2; at 10 us/div the channels alternate (modes 0 and 3).
    doc.m_settings.SetTimeBaseIndex(11);
    doc.SwapAlternateTriggerSource();
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateActiveSource), 1);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateChannelMode), 3);
    doc.SwapAlternateTriggerSource();
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateChannelMode), 0);

    doc.m_trigger.SetSource(kSourceCh2);
    doc.ApplySettingsToDevice();
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateAltFlag), 0);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateActiveSource), 1);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateChannelMode), 2);
}

TEST_F(KelvaneDocTest, EtsSamplingEndsTheSetUpAndReadsTheTimerValues) {
    doc.m_settings.SetSamplingMode(kSamplingEts);
    fake->tdcReadings = {1800, 0};
    doc.ApplySettingsToDevice();
    const Ords ets = {3, 33, 34, 23, 6, 24, 23, 6, 24, 23, 3, 33, 34, 3, 33, 34};
    EXPECT_EQ(fake->Ordinals(), Concat({{9, 14, 32}, kChannelEnable, {3, 33, 34, 4, 5, 13, 6, 6}, ets}));
    EXPECT_EQ(doc.m_settings.GetEtsTimerA(), 1800);
    EXPECT_EQ(doc.m_settings.GetEtsTimerB(), 2000); // 0 is outside 1..4095
    EXPECT_EQ(doc.m_settings.GetTdcMode(), 3);
    // The probe goes out at time-base word 12, the real word follows.
    const std::vector<kv::ZendralCall> t = fake->CallsOf(3);
    EXPECT_EQ(t[t.size() - 3].blocks[0][kv::kStateTimeBase], 12);
    EXPECT_EQ(t[t.size() - 2].blocks[0][kv::kStateTimeBase], 13);
    const std::vector<kv::ZendralCall> tdc = fake->CallsOf(23);
    EXPECT_EQ(tdc[0].args[1], 2);
    EXPECT_EQ(tdc[1].args[1], 1);
    EXPECT_EQ(tdc[2].args[1], 3);
}

TEST_F(KelvaneDocTest, FailedTimerReadsFallBackToTheDefaults) {
    // The first reading is in range; the second call fails and must not reuse it.
    doc.m_settings.SetEtsTimerA(1234);
    doc.m_settings.SetEtsTimerB(1234);
    fake->tdcReadings = {};
    doc.ReadEtsValue();
    EXPECT_EQ(doc.m_settings.GetEtsTimerA(), 3950);
    EXPECT_EQ(doc.m_settings.GetEtsTimerB(), 2000);
    fake->tdcReadings = {4096};
    doc.ReadEtsValue();
    EXPECT_EQ(doc.m_settings.GetEtsTimerA(), 3950);
    EXPECT_EQ(doc.m_settings.GetEtsTimerB(), 2000);
    fake->tdcReadings = {700};
    doc.ReadEtsValue();
    EXPECT_EQ(doc.m_settings.GetEtsTimerA(), 700);
    EXPECT_EQ(doc.m_settings.GetEtsTimerB(), 2000);
}

TEST_F(KelvaneDocTest, RecordLengthLimitsTheTimeBaseWhileRunning) {
    doc.m_settings.SetRecordLengthMode(kRecordLength28K);
    doc.m_settings.SetTimeBaseIndex(12); // 20 us/div
    doc.ApplyChannelEnable();
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 13); // 40 us/div
    EXPECT_EQ(doc.m_settings.GetRecordLengthMode(), kRecordLength14K);
    EXPECT_EQ(doc.m_ch1.GetRecordLength(), 14336);
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"Combo 0 13", "Repaint"}));

    // Code 5 allows 400 us .. 400 ms; code 6 becomes 5.
    ui.calls.clear();
    doc.m_settings.SetRecordLengthMode(kRecordLength1M);
    doc.m_settings.SetTimeBaseIndex(26); // 1 s/div
    doc.ApplyChannelEnable();
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 16);
    EXPECT_EQ(doc.m_settings.GetRecordLengthMode(), kRecordLength512K);

    // Inside the range nothing moves; stopped, nothing is limited.
    ui.calls.clear();
    doc.m_settings.SetRecordLengthMode(kRecordLength32K);
    doc.m_settings.SetTimeBaseIndex(20);
    doc.ApplyChannelEnable();
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 20);
    EXPECT_TRUE(ui.calls.empty());
    doc.m_bRunning = 0;
    doc.m_settings.SetTimeBaseIndex(2);
    doc.ApplyChannelEnable();
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 2);

    // Without a view the clamp still works.
    doc.SetUi(nullptr);
    doc.m_bRunning = 1;
    doc.ApplyChannelEnable();
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 13);
}

TEST_F(KelvaneDocTest, ChannelModeFollowsTheOnStates) {
    doc.m_ch1.SetOn(0);
    doc.ApplyChannelEnable();
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateChannelMode), 3);
    doc.m_ch2.SetOn(0);
    doc.ApplyChannelEnable();
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateChannelMode), 0);
    doc.m_ch1.SetOn(1);
    doc.ApplyChannelEnable();
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateChannelMode), 0);
}

TEST_F(KelvaneDocTest, DemoModeSkipsDeviceCallsButStillRestarts) {
    doc.SetDemoMode(1);
    doc.SetCh1VoltDiv(3);
    EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 3);
    EXPECT_EQ(fake->Ordinals(), (Ords{6}));
    fake->ClearCalls();
    doc.SendFilterSettings();
    EXPECT_EQ(fake->Ordinals(), (Ords{13, 6}));
    fake->ClearCalls();
    doc.ApplyChannelEnable();
    EXPECT_TRUE(fake->calls.empty());
    // Out-of-range indexes are refused before they reach the tables or the instrument.
    doc.SetDemoMode(0);
    fake->ClearCalls();
    doc.SetCh2VoltDiv(10);
    doc.SetCh1VoltDiv(-1);
    EXPECT_TRUE(fake->calls.empty());
    EXPECT_EQ(doc.m_ch2.GetVoltsPerDivIndex(), 6);
}

TEST_F(KelvaneDocTest, TimeBaseSetterLeavesEtsOnlyAboveIndexSix) {
    doc.m_settings.SetSamplingMode(kSamplingEts);
    doc.SetTimeBaseIndex(6);
    EXPECT_EQ(doc.m_settings.GetSamplingMode(), kSamplingEts);
    EXPECT_EQ(fake->Ordinals(), (Ords{3, 33, 34}));
    fake->ClearCalls();
    doc.SetTimeBaseIndex(7);
    EXPECT_EQ(doc.m_settings.GetSamplingMode(), kSamplingRealTime);
    EXPECT_EQ(fake->Ordinals(), (Ords{3, 33, 34, 3, 33, 34}));
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateTimeBase), 7);
    fake->ClearCalls();
    doc.SetTimeBaseIndex(39);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 7);
    EXPECT_TRUE(fake->calls.empty());
}

TEST_F(KelvaneDocTest, RollRestartClearsTheRollHistory) {
    doc.m_settings.SetTimeBaseFormat(kFormatRoll);
    doc.m_ch1.SetRollPointsHeld(300);
    doc.m_ch1.GetScreenTrace()[10] = 77;
    doc.m_ch2.GetWorkRecord()[28671] = 5;
    doc.RestartCapture();
    EXPECT_EQ(doc.m_ch1.GetRollPointsHeld(), 0);
    EXPECT_EQ(doc.m_ch1.GetScreenTrace()[10], 0);
    EXPECT_EQ(doc.m_ch2.GetWorkRecord()[28671], 0);
    EXPECT_EQ(fake->Ordinals(), (Ords{6}));
}

TEST_F(KelvaneDocTest, StatusTickAdvancesOnlyWhileAutoOrWait) {
    for (std::int16_t status : {0, 1, 2, 5}) {
        doc.m_nRunStatus = status;
        doc.AdvanceStatusTick();
    }
    EXPECT_EQ(doc.m_nStatusTick, 0);
    doc.m_nRunStatus = 3;
    doc.AdvanceStatusTick();
    doc.m_nRunStatus = 4;
    doc.AdvanceStatusTick();
    EXPECT_EQ(doc.m_nStatusTick, 2);
    // The counter wraps after 39 even when nothing paints the strip (full screen for hours).
    for (int i = 0; i < 100000; ++i)
        doc.AdvanceStatusTick();
    EXPECT_GE(doc.m_nStatusTick, 0);
    EXPECT_LE(doc.m_nStatusTick, 39);
    doc.m_nStatusTick = 39;
    doc.AdvanceStatusTick();
    EXPECT_EQ(doc.m_nStatusTick, 0);
}

TEST_F(KelvaneDocTest, LanguageResetCommandSelectsTheBuiltInTable) {
    doc.m_nLanguage = 3;
    ASSERT_TRUE(doc.OnCmdMsg(ID_LANGUAGE_DEFAULT, nullptr));
    EXPECT_EQ(doc.GetLanguageIndex(), -1);
    EXPECT_EQ(ui.calls,
              (std::vector<std::string>{"TranslateMenu", "ApplyTexts", "SetMenuImages", "RedrawFrame"}));
    CCmdUI cmd;
    ASSERT_TRUE(doc.OnCmdMsg(ID_LANGUAGE_DEFAULT, &cmd));
    EXPECT_EQ(cmd.m_nCheck, 1);
    // Indexes that name no language file, negative ones included, become the built-in table.
    for (int index : {-7, -2, 0, 5}) {
        doc.SelectLanguage(index);
        EXPECT_EQ(doc.GetLanguageIndex(), -1) << index;
    }
    doc.m_nLanguage = 0;
    doc.OnCmdMsg(ID_LANGUAGE_DEFAULT, &cmd);
    EXPECT_EQ(cmd.m_nCheck, 0);
}

TEST_F(KelvaneDocTest, PersistenceDepthAndSwitch) {
    doc.SetPersistenceEnabled(1);
    EXPECT_EQ(doc.IsPersistenceEnabled(), 1);
    doc.SetPersistenceDepth(16);
    EXPECT_EQ(doc.GetPersistenceDepth(), 16);
    doc.SetPersistenceDepth(-3);
    EXPECT_EQ(doc.GetPersistenceDepth(), 0);
    doc.SetDefaultSettings();
    EXPECT_EQ(doc.IsPersistenceEnabled(), 0);
}

} // namespace
