#include "engine/DemoSource.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

namespace {

constexpr int kN = CDemoGenerator::kRecordSamples;

std::vector<std::int16_t> Sine(CDemoGenerator& g, std::uint32_t seed) {
    std::vector<std::int16_t> r(kN, -7);
    g.Seed(seed);
    g.GenerateSine(r.data(), kN);
    return r;
}

CDemoGenerator SineGenerator() {
    CDemoGenerator g;
    g.m_bEnabled = 1;
    g.m_nZeroOffset = 256;
    g.m_dAmplitude = 200.0;
    g.m_nSplit = 250;
    g.m_dFrequencyFactor = 0.001;
    return g;
}

TEST(DemoGenerator, AliasingFactorIsReplacedAndRecordMatchesFactorOnePointTwoFive) {
    CDemoGenerator a = SineGenerator();
    CDemoGenerator b = SineGenerator();
    a.m_dFrequencyFactor = 0.6;
    b.m_dFrequencyFactor = 1.25;
    EXPECT_EQ(Sine(a, 3), Sine(b, 3));
    a.m_dFrequencyFactor = 0.49;
    EXPECT_NE(Sine(a, 3), Sine(b, 3));
}

TEST(DemoGenerator, NoiseSpreadFollowsTheDivisor) {
    CDemoGenerator g = SineGenerator();
    g.m_dAmplitude = 0.0; // only noise + zero offset remains
    g.m_fNoiseDivisor = 1.0f;
    auto strong = Sine(g, 5);
    EXPECT_EQ(*std::min_element(strong.begin(), strong.end()), 256);
    EXPECT_EQ(*std::max_element(strong.begin(), strong.end()), 265);
    g.m_fNoiseDivisor = 9.0f;
    auto faint = Sine(g, 5);
    EXPECT_EQ(*std::min_element(faint.begin(), faint.end()), 256);
    EXPECT_EQ(*std::max_element(faint.begin(), faint.end()), 257);
}

TEST(DemoGenerator, TriggerCrossingSitsAtSplitOverHundredInBothDirections) {
    CDemoGenerator g = SineGenerator();
    g.m_nSplit = 250; // c = 2
    g.m_dPhase = 0.0; // crossing the zero line at k = 0
    auto r = Sine(g, 1);
    EXPECT_NEAR(r[2], 256, 1);
    EXPECT_NEAR(r[1], 256, 1);   // sample c - 1 also takes k = 0
    EXPECT_GT(r[40], r[2] + 20); // rising after the trigger
    g.m_nDirection = 1;
    auto f = Sine(g, 1);
    EXPECT_NEAR(f[2], 256, 1);
    EXPECT_LT(f[40], f[2] - 20); // backwards: falling after the trigger
}

TEST(DemoGenerator, NoiseUsesRealDivisionAndGivesManyLevels) {
    CDemoGenerator g;
    g.m_dAmplitude = 90.0;
    g.m_nZeroOffset = 200;
    g.m_nDcOffset = 50; // not applied to the single noise sample
    std::set<int> seen;
    for (int i = 0; i < 500; ++i) {
        const int v = g.GenerateNoise();
        EXPECT_GE(v, 200 - 45);
        EXPECT_LE(v, 200 + 45);
        seen.insert(v);
    }
    EXPECT_GE(seen.size(), 8u); // integer division would give only two values
}

TEST(DemoGenerator, ShortOrMissingRecordIsLeftAlone) {
    CDemoGenerator g = SineGenerator();
    std::vector<std::int16_t> r(100, 9);
    g.GenerateSine(r.data(), 100);
    g.GenerateNoiseRecord(r.data(), 100);
    g.GenerateSine(nullptr, kN);
    EXPECT_TRUE(std::all_of(r.begin(), r.end(), [](std::int16_t v) { return v == 9; }));
}

class DemoSourceTest : public ::testing::Test {
protected:
    DemoSourceTest() {
        for (int ch = 0; ch < 2; ++ch) {
            CDemoGenerator& g = src.Generator(ch);
            g = SineGenerator();
            g.m_nLevel = 256; // inside the signal
        }
        src.Seed(11);
    }
    CDemoSource src;
    std::vector<std::int16_t> ch1 = std::vector<std::int16_t>(kN, -1);
    std::vector<std::int16_t> ch2 = std::vector<std::int16_t>(kN, -1);
    bool Filled(const std::vector<std::int16_t>& r) const { return r[100] != -1; }
};

TEST_F(DemoSourceTest, DefaultsAreTheDialogValues) {
    CDemoSource d;
    EXPECT_DOUBLE_EQ(d.GetFrequency(), 12.5);
    EXPECT_DOUBLE_EQ(d.GetAmplitude(), 4.0);
    EXPECT_EQ(d.GetDcOffset(), 1);
    EXPECT_EQ(d.GetDrift(), 1);
    EXPECT_EQ(d.GetWaveform(), 0);
    EXPECT_EQ(d.GetDemoFlag(), 0);
    // The dialog's frequencies are stored exactly as written.
    d.SetFrequency(5120);
    EXPECT_DOUBLE_EQ(d.GetFrequency(), 5120.0);
}

TEST_F(DemoSourceTest, LevelOutsideSignalNeverFillsUntilForced) {
    src.Generator(0).m_nLevel = 500; // far above the 256 +- 100 signal
    src.SetTriggerSource(kSourceCh1);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(src.ComputeTriggerPhase(), CDemoSource::kNotTriggered);
        src.FillDemoRecords(ch1.data(), ch2.data(), kN);
    }
    EXPECT_FALSE(Filled(ch1));
    EXPECT_FALSE(Filled(ch2));
    src.ForceTrigger();
    EXPECT_EQ(src.ComputeTriggerPhase(), CDemoSource::kTriggered);
    EXPECT_EQ(src.IsForced(), 0);
    src.FillDemoRecords(ch1.data(), ch2.data(), kN);
    EXPECT_TRUE(Filled(ch1));
    EXPECT_TRUE(Filled(ch2));
}

TEST_F(DemoSourceTest, LevelInsideSetsPhaseToAsinOfLevel) {
    src.Generator(1).m_nLevel = 306; // x = 50 / 100
    src.SetTriggerSource(kSourceCh2);
    EXPECT_EQ(src.ComputeTriggerPhase(), CDemoSource::kTriggered);
    EXPECT_NEAR(src.Generator(0).m_dPhase, std::asin(0.5), 1e-12);
    EXPECT_NEAR(src.Generator(1).m_dPhase, std::asin(0.5), 1e-12);
    EXPECT_EQ(src.IsValid(0), 1);
    EXPECT_EQ(src.IsValid(1), 1);
}

TEST_F(DemoSourceTest, AlternateSourceFillsOnlyTheActiveChannel) {
    src.SetTriggerSource(kSourceAlt);
    src.SetActiveSource(1);
    EXPECT_EQ(src.ComputeTriggerPhase(), CDemoSource::kTriggered);
    EXPECT_EQ(src.IsValid(0), 0);
    EXPECT_EQ(src.IsValid(1), 1);
    src.FillDemoRecords(ch1.data(), ch2.data(), kN);
    EXPECT_FALSE(Filled(ch1));
    EXPECT_TRUE(Filled(ch2));
    // Active source still ALT (no capture picked a channel yet): both channels.
    src.SetActiveSource(2);
    EXPECT_EQ(src.ComputeTriggerPhase(), CDemoSource::kTriggered);
    EXPECT_EQ(src.IsValid(0), 1);
    EXPECT_EQ(src.IsValid(1), 1);
}

TEST_F(DemoSourceTest, ExternalSourceTriggersOnlyWhenForced) {
    src.SetTriggerSource(kSourceExt);
    EXPECT_EQ(src.ComputeTriggerPhase(), CDemoSource::kNotTriggered);
    src.ForceTrigger();
    EXPECT_EQ(src.ComputeTriggerPhase(), CDemoSource::kTriggered);
    EXPECT_EQ(src.IsValid(0), 1);
    EXPECT_EQ(src.IsValid(1), 1);
}

TEST_F(DemoSourceTest, ZeroAmplitudeCountsAsLevelOutside) {
    src.Generator(0).m_dAmplitude = 0.0;
    src.Generator(0).m_nLevel = src.Generator(0).m_nZeroOffset; // 0 / 0
    src.SetTriggerSource(kSourceCh1);
    EXPECT_EQ(src.ComputeTriggerPhase(), CDemoSource::kNotTriggered);
}

TEST_F(DemoSourceTest, RollFillsOnePointPerValidEnabledChannel) {
    src.SetTriggerSource(kSourceCh1);
    ASSERT_EQ(src.ComputeTriggerPhase(), CDemoSource::kTriggered);
    src.Generator(1).m_bEnabled = 0;
    src.FillDemoPoints(ch1.data(), ch2.data(), kN);
    EXPECT_NE(ch1[0], -1);
    EXPECT_EQ(ch1[1], -1);
    EXPECT_EQ(ch2[0], -1);
}

TEST_F(DemoSourceTest, DriftRunsUpToTheFrequencyAndWraps) {
    src.SetFrequency(10.0);
    for (int i = 1; i <= 99; ++i) {
        src.AdvanceDriftAndWaveform();
        ASSERT_NEAR(src.GetDriftValue(), 0.1 * i, 1e-9);
    }
    src.AdvanceDriftAndWaveform(); // reaches 10.0 (or rounds just below it)
    src.AdvanceDriftAndWaveform();
    EXPECT_LT(src.GetDriftValue(), 0.2 + 1e-9);
    src.SetDrift(0);
    const double held = src.GetDriftValue();
    src.AdvanceDriftAndWaveform();
    EXPECT_DOUBLE_EQ(src.GetDriftValue(), held);
}

TEST_F(DemoSourceTest, WaveformSetsNoiseDivisorsAndUnknownValuesKeepThem) {
    src.SetWaveform(1);
    src.AdvanceDriftAndWaveform();
    EXPECT_FLOAT_EQ(src.Generator(0).m_fNoiseDivisor, 1.0f);
    src.SetWaveform(7);
    src.AdvanceDriftAndWaveform();
    EXPECT_FLOAT_EQ(src.Generator(1).m_fNoiseDivisor, 1.0f);
    src.SetWaveform(2);
    src.AdvanceDriftAndWaveform();
    EXPECT_FLOAT_EQ(src.Generator(1).m_fNoiseDivisor, 9.0f);
}

class DemoDocTest : public ::testing::Test {
protected:
    DemoDocTest() {
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.SetDemoMode(1);
    }
    CKelvaneDoc doc;
};

TEST_F(DemoDocTest, ParametersFollowTheSettings) {
    doc.m_demo.SetDrift(0);
    doc.m_ch1.SetCoupling(kCouplingDc); // DC
    doc.m_ch1.SetVoltsPerDivIndex(7);   // 2 V/div: 4 V -> 64 codes
    doc.m_ch1.SetPosition(100.7f);
    doc.m_trigger.SetLevel(CTrigger::kLevelCh1, 150.0f);
    doc.m_trigger.SetSlope(kSlopeFalling);
    doc.UpdateDemoParameters();
    const CDemoGenerator& g = doc.m_demo.Generator(0);
    EXPECT_EQ(g.m_bEnabled, 1);
    EXPECT_DOUBLE_EQ(g.m_dAmplitude, 64.0);
    EXPECT_EQ(g.m_nDcOffset, 32);
    EXPECT_EQ(g.m_nZeroOffset, 410);
    EXPECT_EQ(g.m_nLevel, 361);
    EXPECT_EQ(g.m_nSplit, 250);
    EXPECT_EQ(g.m_nDirection, 1);
    EXPECT_DOUBLE_EQ(g.m_dFrequencyFactor, doc.m_settings.GetSecondsPerDiv() * 12.5);
    // AC coupling (CH2's default) has no DC offset; neither has DC with the offset switched off.
    EXPECT_EQ(doc.m_demo.Generator(1).m_nDcOffset, 0);
    doc.m_demo.SetDcOffset(0);
    doc.UpdateDemoParameters();
    EXPECT_EQ(doc.m_demo.Generator(0).m_nDcOffset, 0);
}

// Each generator takes its own channel's trigger level: with the source on CH2 only CH2's level
// decides whether the demo triggers, whatever CH1's level is.
TEST_F(DemoDocTest, EachGeneratorTakesItsOwnChannelsLevel) {
    doc.m_demo.SetDrift(0);
    for (CTrace* t : {&doc.m_ch1, &doc.m_ch2}) {
        t->SetOn(1);
        t->SetVoltsPerDivIndex(7); // 2 V/div: 4 V -> 64 codes, the signal spans 311 +- 32
        t->SetPosition(200.0f);
    }
    doc.m_trigger.SetSource(kSourceCh2);
    doc.m_trigger.SetLevel(CTrigger::kLevelCh1, 20.0f);  // word 491: far outside
    doc.m_trigger.SetLevel(CTrigger::kLevelCh2, 200.0f); // word 311: the middle of the signal
    doc.UpdateDemoParameters();
    EXPECT_EQ(doc.m_demo.Generator(0).m_nLevel, 491);
    EXPECT_EQ(doc.m_demo.Generator(1).m_nLevel, 311);
    EXPECT_EQ(doc.m_demo.ComputeTriggerPhase(), CDemoSource::kTriggered);
    // The other way round nothing triggers while the source stays on CH2.
    doc.m_trigger.SetLevel(CTrigger::kLevelCh1, 200.0f);
    doc.m_trigger.SetLevel(CTrigger::kLevelCh2, 20.0f);
    doc.UpdateDemoParameters();
    EXPECT_EQ(doc.m_demo.Generator(1).m_nLevel, 491);
    EXPECT_EQ(doc.m_demo.ComputeTriggerPhase(), CDemoSource::kNotTriggered);
    // Back on CH1 its own level inside the signal triggers.
    doc.m_trigger.SetSource(kSourceCh1);
    doc.UpdateDemoParameters();
    EXPECT_EQ(doc.m_demo.ComputeTriggerPhase(), CDemoSource::kTriggered);
}

TEST_F(DemoDocTest, HugeAmplitudeSaturatesInsteadOfWrapping) {
    doc.m_demo.SetAmplitude(40.0);
    doc.m_ch1.SetCoupling(kCouplingDc);
    doc.m_ch1.SetVoltsPerDivIndex(0); // 10 mV/div: 128000 codes, DC offset 64000
    doc.UpdateDemoParameters();
    CDemoGenerator& g = doc.m_demo.Generator(0);
    EXPECT_DOUBLE_EQ(g.m_dAmplitude, 128000.0);
    EXPECT_EQ(g.m_nDcOffset, 32767);
    g.m_dPhase = 0.0;
    g.m_dFrequencyFactor = 0.001;
    std::vector<std::int16_t> r(kN);
    g.GenerateSine(r.data(), kN);
    for (int i = 2; i < kN; i += 7) {
        const double expected = 383 + 32767 + std::sin((i - 2) * 0.001 * 2 * M_PI) * 64000;
        const std::int16_t v = r[static_cast<std::size_t>(i)];
        if (expected > 32768)
            ASSERT_EQ(v, 32767) << i;
        else if (expected < -32769)
            ASSERT_EQ(v, -32768) << i;
        else
            ASSERT_NEAR(v, expected, 2.0) << i; // a wrapped sample would be far off
    }
    // Once through the tick the trace filter pins the trace at the top edge instead of garbage.
    doc.AcquireTick();
    const std::int16_t* s = doc.m_ch1.GetScreenTrace();
    EXPECT_TRUE(std::all_of(s, s + 500, [](std::int16_t v) { return v >= 0 && v <= 511; }));
}

TEST_F(DemoDocTest, GenerateDemoDataFillsRecordsOrOnePointByFormat) {
    doc.m_demo.Seed(2);
    doc.UpdateDemoParameters();
    ASSERT_EQ(doc.m_demo.ComputeTriggerPhase(), CDemoSource::kTriggered);
    std::fill_n(doc.m_ch1.GetRawRecord(), kN, std::int16_t{-5});
    doc.m_settings.SetTimeBaseFormat(kFormatRoll);
    doc.GenerateDemoData();
    EXPECT_NE(doc.m_ch1.GetRawRecord()[0], -5);
    EXPECT_EQ(doc.m_ch1.GetRawRecord()[1], -5);
    doc.m_settings.SetTimeBaseFormat(kFormatYT);
    doc.GenerateDemoData();
    EXPECT_NE(doc.m_ch1.GetRawRecord()[kN - 1], -5);
}

} // namespace
