#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"

#include "FakeDocUi.h"
#include "simulator/SimZendral.h"
#include "zendral/RecordingZendral.h"
#include "zendral/ZendralRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using kv::sim::SimSignal;
using kv::sim::SimZendral;

// A view that records its calls and, like the real view, runs the document setter behind its
// time-base and volts/div setters.
class ForwardingUi : public FakeDocUi {
public:
    explicit ForwardingUi(CKelvaneDoc& doc) : m_doc(doc) {}
    void SetTimeBaseIndex(std::int16_t index) override {
        FakeDocUi::SetTimeBaseIndex(index);
        m_doc.SetTimeBaseIndex(index);
    }
    void SetChannelVoltsPerDiv(int channel, std::int16_t index) override {
        FakeDocUi::SetChannelVoltsPerDiv(channel, index);
        if (channel == 0)
            m_doc.SetCh1VoltDiv(index);
        else
            m_doc.SetCh2VoltDiv(index);
    }
    int Count(const std::string& call) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }

private:
    CKelvaneDoc& m_doc;
};

// Records whatever a pattern function gives for each sample, so a test can shape the screen.
class PatternZendral : public kv::RecordingZendral {
public:
    std::function<short(int channel, int k)> pattern = [](int, int) { return short{256}; };
    int GetChannelData(short device, short ch1VoltDiv, short ch2VoltDiv, short* ch1Record, short* ch2Record,
                       int capacity, short* stateBlock, int captureState) override {
        const int r = RecordingZendral::GetChannelData(device, ch1VoltDiv, ch2VoltDiv, ch1Record, ch2Record,
                                                       capacity, stateBlock, captureState);
        short* out[2] = {ch1Record, ch2Record};
        for (int ch = 0; ch < 2; ++ch)
            if (out[ch])
                for (int k = 0; k < capacity; ++k)
                    out[ch][k] = pattern(ch, k);
        return r;
    }
};

// A square wave between lo and hi with a period of `period` samples.
std::function<short(int, int)> Square(short lo, short hi, int period) {
    return [=](int, int k) { return (k % period) < period / 2 ? hi : lo; };
}

void Prepare(CKelvaneDoc& doc) {
    doc.SetDefaultSettings();
    doc.AllocSampleBuffers();
    doc.ApplySettingsToDevice();
}

// Runs the auto-setup as the timer pump does; returns the ticks it took (bounded).
int RunAutoSetup(CKelvaneDoc& doc, int maxTicks = 200) {
    doc.StartAutoSetup();
    int ticks = 0;
    while (doc.GetAutoSetupState() >= 0 && ticks < maxTicks) {
        ++ticks;
        if (doc.GetAutoSetupState() == 4)
            doc.FinishAutoSetup();
        else
            doc.AutoSetupStep();
    }
    return ticks;
}

class SimAutoSetupTest : public ::testing::Test {
protected:
    SimAutoSetupTest() {
        Prepare(doc);
        doc.SetUi(&ui);
    }
    std::shared_ptr<SimZendral> sim = std::make_shared<SimZendral>();
    kv::ScopedZendral scope{sim};
    CKelvaneDoc doc;
    ForwardingUi ui{doc};
};

} // namespace

// ---- against the simulated instrument -----------------------------------------------------------

TEST_F(SimAutoSetupTest, KnownSignalsGiveVoltsPerDivAndTimeBase) {
    // CH1: 2 V peak-to-peak at 1.5 kHz; CH2: 1 V peak-to-peak at 3 kHz.
    sim->SetSignal(0, 0, SimSignal{1.0, 1500.0, 0.0, false});
    sim->SetSignal(0, 1, SimSignal{0.5, 3000.0, 0.0, false});
    doc.m_ch2.SetOn(0);
    const int ticks = RunAutoSetup(doc);
    EXPECT_LT(ticks, 200);
    EXPECT_EQ(doc.GetAutoSetupState(), -1);
    // The least sensitive range at which the signal spans more than 60 codes: one division
    // (63.9 codes) at 2 V/div for CH1 and at 1 V/div for CH2.
    EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 7);
    EXPECT_EQ(doc.m_ch2.GetVoltsPerDivIndex(), 6);
    EXPECT_TRUE(doc.m_bCh1Found && doc.m_bCh2Found);
    EXPECT_FALSE(doc.m_bCh1NoSignal || doc.m_bCh2NoSignal);
    // CH1's 1.5 kHz shows 6 periods at 400 us/div.
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 16);
    EXPECT_EQ(sim->StateBlock(0)[kv::kStateTimeBase], 16);
    // Both channels carry a signal, so both stay on (CH2 was off before).
    EXPECT_TRUE(doc.m_ch1.IsOn() && doc.m_ch2.IsOn());
    EXPECT_EQ(doc.m_trigger.GetSource(), kSourceCh1);
    EXPECT_EQ(doc.m_settings.GetHorizontalPosition(), 250);
    EXPECT_FLOAT_EQ(doc.m_ch1.GetPosition(), 128.0f);
    EXPECT_FLOAT_EQ(doc.m_ch2.GetPosition(), 384.0f);
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevel(CTrigger::kLevelCh2), 384.0f);
    EXPECT_EQ(doc.m_ch1.GetCoupling(), kCouplingAc);
    // The level block follows the settings (384 for CH2's position).
    EXPECT_EQ(doc.m_usb.GetLevelWord(kv::kLevelCh2Position), 384);
    EXPECT_EQ(sim->LevelBlock(0)[kv::kLevelCh2Trigger], 384);
}

TEST_F(SimAutoSetupTest, StartPreparesTheSearchAndShowsTheProgress) {
    doc.m_trigger.SetSweep(kSweepNormal);
    doc.SetTriggerSource(kSourceExt);
    doc.m_trigger.SetDragValue(12.0f);
    doc.m_settings.SetRecordLengthMode(kRecordLength14K);
    doc.SetRecordLength(1);
    doc.m_settings.SetTimeBaseFormat(kFormatRoll);
    ui.calls.clear();
    EXPECT_EQ(doc.StartAutoSetup(), 1);
    EXPECT_EQ(doc.GetAutoSetupState(), 0);
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatYT);
    EXPECT_EQ(doc.m_settings.GetRecordLengthMode(), kRecordLength10K);
    EXPECT_EQ(doc.m_ch1.GetRecordLength(), 10240);
    EXPECT_EQ(doc.m_trigger.GetSweep(), kSweepAuto);
    EXPECT_EQ(doc.m_trigger.GetSource(), kSourceCh1);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateActiveSource), 0);
    EXPECT_EQ(doc.m_trigger.GetDragValue(), 0.0f);
    EXPECT_EQ(doc.m_settings.GetHorizontalPosition(), 0);
    EXPECT_FLOAT_EQ(doc.m_ch2.GetPosition(), 128.0f);
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevel(CTrigger::kLevelCh2), 128.0f);
    EXPECT_EQ(doc.m_usb.GetLevelWord(kv::kLevelCh2Trigger), 128);
    EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 8);
    EXPECT_EQ(doc.m_ch2.GetVoltsPerDivIndex(), 8);
    EXPECT_EQ(doc.m_nSearchLow, 0);
    EXPECT_EQ(doc.m_nSearchHigh, 24);
    // The side panel follows every choice that has no view setter of its own.
    EXPECT_EQ(ui.Count("SetTimeBase 10"), 1);
    EXPECT_EQ(ui.Count("Combo 1 0"), 1); // format Y-T
    EXPECT_EQ(ui.Count("Combo 2 0"), 1); // sweep Auto
    EXPECT_EQ(ui.Count("Combo 3 0"), 1); // source CH1
    EXPECT_EQ(ui.Count("Combo 4 1"), 1); // CH1 AC
    EXPECT_EQ(ui.Count("Combo 5 1"), 1); // CH2 AC
    EXPECT_EQ(ui.Count("ShowProgress"), 1);
}

TEST_F(SimAutoSetupTest, ChannelWithoutSignalIsSwitchedOffAtOneVoltPerDiv) {
    sim->SetSignal(0, 0, SimSignal{1.0, 1500.0, 0.0, false});
    sim->SetSignal(0, 1, SimSignal{0.0, 1000.0, 0.0, false});
    doc.StartAutoSetup();
    doc.AutoSetupStep(); // 2 V peak-to-peak at 5 V/div spans 25.6 codes: rejected
    EXPECT_EQ(doc.GetAutoSetupState(), 0);
    EXPECT_EQ(doc.m_nAutoCandidate, 7);
    doc.AutoSetupStep(); // at 2 V/div one division, 63.9 codes: accepted
    EXPECT_EQ(doc.GetAutoSetupState(), 1);
    EXPECT_EQ(doc.m_nAutoCandidate, 8);
    // CH2 costs nine candidate steps, the last of which leaves the progress window alone.
    ui.calls.clear();
    for (int i = 0; i < 9; ++i)
        doc.AutoSetupStep();
    EXPECT_EQ(doc.GetAutoSetupState(), 2);
    EXPECT_TRUE(doc.m_bCh2NoSignal);
    EXPECT_EQ(doc.m_ch2.GetVoltsPerDivIndex(), 6);
    EXPECT_EQ(ui.Count("ProgressStep 1"), 8);
    EXPECT_EQ(ui.Count("ProgressStep 2"), 0);
    // Entering the time-base state starts at the fastest time base.
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 0);
    int guard = 0;
    while (doc.GetAutoSetupState() >= 0 && guard++ < 100)
        doc.GetAutoSetupState() == 4 ? doc.FinishAutoSetup() : doc.AutoSetupStep();
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 16);
    EXPECT_TRUE(doc.m_ch1.IsOn());
    EXPECT_FALSE(doc.m_ch2.IsOn());
    EXPECT_EQ(doc.m_trigger.GetSource(), kSourceCh1);
    EXPECT_EQ(ui.calls.back(), "CloseProgress");
    EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "ChannelControls 1 0"), ui.calls.end());
}

TEST_F(SimAutoSetupTest, SignalOnlyOnCh2MovesTheTriggerToCh2AndSearchesOnIt) {
    sim->SetSignal(0, 0, SimSignal{0.0, 1000.0, 0.0, false});
    sim->SetSignal(0, 1, SimSignal{0.5, 3000.0, 0.0, false});
    EXPECT_LT(RunAutoSetup(doc), 200);
    EXPECT_TRUE(doc.m_bCh1NoSignal);
    EXPECT_TRUE(doc.m_bCh2Found);
    EXPECT_FALSE(doc.m_ch1.IsOn());
    EXPECT_TRUE(doc.m_ch2.IsOn());
    EXPECT_EQ(doc.m_trigger.GetSource(), kSourceCh2);
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateActiveSource), 1);
    EXPECT_FLOAT_EQ(doc.m_trigger.GetLevel(CTrigger::kLevelCh2), 384.0f);
    EXPECT_EQ(ui.Count("Combo 3 1"), 1);
    // 3 kHz shows 6 periods at 200 us/div.
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 15);
    // The channel mode follows CH2 alone.
    EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateChannelMode), 3);
}

TEST_F(SimAutoSetupTest, NoSignalAnywhereRestoresTheChannelsAtOneVoltAndTwelve) {
    sim->SetSignal(0, 0, SimSignal{0.0, 1000.0, 0.0, false});
    sim->SetSignal(0, 1, SimSignal{0.0, 1000.0, 0.0, false});
    doc.m_ch2.SetOn(0);
    EXPECT_LT(RunAutoSetup(doc), 200);
    EXPECT_TRUE(doc.m_bCh1NoSignal && doc.m_bCh2NoSignal);
    EXPECT_TRUE(doc.m_ch1.IsOn());
    EXPECT_FALSE(doc.m_ch2.IsOn());
    EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 6);
    EXPECT_EQ(doc.m_ch2.GetVoltsPerDivIndex(), 6);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 12);
    // A later run that finds a signal no longer reports the old no-signal flags.
    sim->SetSignal(0, 0, SimSignal{1.0, 1500.0, 0.0, false});
    RunAutoSetup(doc);
    EXPECT_FALSE(doc.m_bCh1NoSignal);
    EXPECT_TRUE(doc.m_bCh2NoSignal);
}

TEST_F(SimAutoSetupTest, SettleTakesTenTicksEveryRun) {
    sim->SetSignal(0, 0, SimSignal{1.0, 1500.0, 0.0, false});
    doc.StartAutoSetup();
    int guard = 0;
    while (doc.GetAutoSetupState() != 3 && guard++ < 100)
        doc.AutoSetupStep();
    for (int i = 0; i < 9; ++i) {
        doc.AutoSetupStep();
        EXPECT_EQ(doc.GetAutoSetupState(), 3);
    }
    doc.AutoSetupStep();
    EXPECT_EQ(doc.GetAutoSetupState(), 4);
    EXPECT_EQ(ui.calls.back(), "ProgressStep 4");
    doc.FinishAutoSetup();
    // The next run counts from zero again.
    doc.StartAutoSetup();
    doc.m_nAutoSetupState = 3;
    for (int i = 0; i < 9; ++i)
        doc.AutoSetupStep();
    EXPECT_EQ(doc.GetAutoSetupState(), 3);
}

// ---- one blocking capture ----------------------------------------------------------------------------

TEST(AutoSetupCapture, OneCaptureArmsForcesPollsUntilReadyAndReads) {
    auto fake = std::make_shared<kv::RecordingZendral>();
    kv::ScopedZendral scope{fake};
    CKelvaneDoc doc;
    Prepare(doc);
    fake->sampleValue = 200;
    fake->captureStates = {0, 2, 3, 4};
    fake->ClearCalls();
    doc.CaptureOnce();
    EXPECT_EQ(fake->Ordinals(), (std::vector<int>{6, 7, 1, 2, 2, 2, 2, 16}));
    EXPECT_EQ(doc.m_ch1.GetScreenTrace()[250], 200);
}

TEST(AutoSetupCapture, CaptureThatNeverBecomesReadyIsReadAfterEightyPolls) {
    auto fake = std::make_shared<kv::RecordingZendral>();
    kv::ScopedZendral scope{fake};
    CKelvaneDoc doc;
    Prepare(doc);
    fake->defaultCaptureState = 1;
    fake->ClearCalls();
    doc.CaptureOnce();
    EXPECT_EQ(fake->CallsOf(2).size(), 80u);
    EXPECT_EQ(fake->CallsOf(16).size(), 1u);
    EXPECT_EQ(fake->Ordinals().back(), 16);
}

// ---- amplitude and time-base tests on shaped screens -----------------------------------------------

class PatternAutoSetupTest : public ::testing::Test {
protected:
    PatternAutoSetupTest() { Prepare(doc); }
    std::shared_ptr<PatternZendral> fake = std::make_shared<PatternZendral>();
    kv::ScopedZendral scope{fake};
    CKelvaneDoc doc; // no view: the document setters run alone
};

TEST_F(PatternAutoSetupTest, PeakToPeakOfSixtyOrOneFortyIsRejected) {
    const struct {
        short lo, hi;
        int accepted;
    } cases[] = {{200, 260, 0}, {200, 261, 1}, {200, 339, 1}, {200, 340, 0}};
    for (const auto& c : cases) {
        fake->pattern = Square(c.lo, c.hi, 2000);
        fake->ClearCalls();
        EXPECT_EQ(doc.CheckAmplitude(0), c.accepted) << c.hi - c.lo;
        // A rejection tries once more at the slower time base.
        EXPECT_EQ(fake->CallsOf(16).size(), c.accepted ? 1u : 2u);
        EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), c.accepted ? 10 : 19);
    }
}

TEST_F(PatternAutoSetupTest, FlatTraceSearchGoesSlowerAndEndsWithoutMatch) {
    // No full period on screen: the periods figure is 0, never a division by zero, and the
    // search keeps moving towards slower time bases until it runs out.
    fake->pattern = [](int, int) { return short{256}; };
    doc.m_nSearchLow = 0;
    doc.m_nSearchHigh = 24;
    std::vector<int> probes;
    int result = 0;
    for (int i = 0; i < 10 && result == 0; ++i) {
        result = doc.TimeBaseSearch(0);
        probes.push_back(doc.m_settings.GetTimeBaseIndex());
    }
    EXPECT_EQ(result, 3);
    EXPECT_EQ(probes, (std::vector<int>{12, 18, 21, 22, 23, 24, 24}));
    EXPECT_EQ(doc.m_nAutoResult, 12);
    EXPECT_EQ(doc.m_measure.GetPeriodsOnScreen(0), 0.0);
}

TEST_F(PatternAutoSetupTest, PeriodsAreComparedAsRealNumbers) {
    // A period of 960 samples is 48 screen points: 500 / 48 = 10.4 periods, above 10, so the
    // probe becomes the upper bound (truncated to 10 it would have matched).
    fake->pattern = Square(150, 350, 960);
    doc.m_nSearchLow = 0;
    doc.m_nSearchHigh = 24;
    EXPECT_EQ(doc.TimeBaseSearch(0), 0);
    EXPECT_NEAR(doc.m_measure.GetPeriodsOnScreen(0), 500.0 / 48.0, 1e-9);
    EXPECT_EQ(doc.m_nSearchHigh, 12);
    EXPECT_EQ(doc.m_nSearchLow, 0);
    // 2500 samples (125 points) gives exactly 4 periods: a match.
    fake->pattern = Square(150, 350, 2500);
    doc.m_nSearchLow = 0;
    doc.m_nSearchHigh = 24;
    EXPECT_EQ(doc.TimeBaseSearch(0), 1);
    EXPECT_EQ(doc.m_nAutoResult, 12);
}

TEST_F(PatternAutoSetupTest, AdjacentBoundsProbeTheHigherThenEnd) {
    fake->pattern = [](int, int) { return short{256}; };
    doc.m_nSearchLow = 7;
    doc.m_nSearchHigh = 8;
    EXPECT_EQ(doc.TimeBaseSearch(0), 0);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 8);
    EXPECT_EQ(doc.m_nSearchLow, 8);
    EXPECT_EQ(doc.TimeBaseSearch(0), 3);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 8);
}

TEST_F(PatternAutoSetupTest, WholeRunIsBoundedWhateverTheInstrumentShows) {
    // A signal that is never accepted and never shows a period still ends.
    fake->pattern = Square(0, 511, 20);
    const int ticks = RunAutoSetup(doc, 1000);
    EXPECT_EQ(doc.GetAutoSetupState(), -1);
    EXPECT_LE(ticks, 9 + 9 + 7 + 10 + 1);
}

// ---- demo mode ------------------------------------------------------------------------------------------

TEST(AutoSetupDemo, DemoSignalIsFoundWithoutCapturingFromTheInstrument) {
    auto fake = std::make_shared<kv::RecordingZendral>();
    kv::ScopedZendral scope{fake};
    CKelvaneDoc doc;
    doc.SetDefaultSettings();
    doc.AllocSampleBuffers();
    doc.SetDemoMode(1);
    doc.m_demo.SetDemoFlag(1);
    fake->ClearCalls();
    const int ticks = RunAutoSetup(doc);
    EXPECT_LT(ticks, 200);
    EXPECT_EQ(doc.GetAutoSetupState(), -1);
    EXPECT_TRUE(doc.m_bCh1Found);
    // No capture ordinal reaches the instrument in demo mode.
    for (int ordinal : {1, 2, 7, 16})
        EXPECT_TRUE(fake->CallsOf(ordinal).empty()) << ordinal;
    // The found volts/div shows the demo amplitude between 60 and 140 codes.
    doc.CaptureOnce();
    doc.m_measure.ComputeStats(&doc.m_ch1, &doc.m_ch2, &doc.m_math);
    const int pp = doc.m_measure.GetPeakToPeakPoints(0);
    EXPECT_GT(pp, 60);
    EXPECT_LT(pp, 140);
}
