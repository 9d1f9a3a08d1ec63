// Where each captured sample lands on the screen: the live window around the trigger sample at
// every horizontal position, the software trigger at the fastest time bases that brings the
// crossing to the trigger position wherever the instrument put it, and the other channel that
// moves with it. The instrument delivers different signals on CH1 and CH2 and moves its
// trigger from capture to capture.
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"

#include "SignalZendral.h"
#include "zendral/ZendralRegistry.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

namespace {

std::vector<int> Screen(const CTrace& t) {
    return std::vector<int>(t.GetScreenTrace(), t.GetScreenTrace() + CTrace::kScreenPoints);
}

class AcquisitionPlacement : public ::testing::Test {
protected:
    AcquisitionPlacement() {
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.SetIntervalClock([] { return 1000u; });
        doc.ApplySettingsToDevice();
        fake->ClearCalls();
    }

    std::shared_ptr<SignalZendral> fake = std::make_shared<SignalZendral>();
    kv::ScopedZendral scope{fake};
    CKelvaneDoc doc;
};

// ---- live display: the 10000-sample window around the trigger sample ---------------------------

// The window of 250 buckets of 40 samples starts trunc(h x 10000 x 0.002) samples before sample
// trunc(h x 10240 x 0.002): 0, 48, 120 and 240 samples into the record for h = 0, 100, 250, 500.
// The staircases step every 40 samples, so a bucket that starts on a step holds one value and any
// other bucket two, in the order in which they occur.
TEST_F(AcquisitionPlacement, EachChannelsOwnSamplesFillTheWindowAroundTheTriggerSample) {
    doc.SetCh1VoltDiv(6);
    doc.SetCh2VoltDiv(4);
    fake->ClearCalls();
    const std::array<std::pair<int, int>, 4> cases = {{{0, 0}, {100, 48}, {250, 120}, {500, 240}}};
    for (const auto& [h, start] : cases) {
        doc.SetHorizontalPosition(static_cast<std::int16_t>(h));
        doc.AcquireTick();
        const std::vector<int> ch1 = Screen(doc.m_ch1), ch2 = Screen(doc.m_ch2);
        for (int k = 0; k < 250; ++k) {
            const int step = (start + 40 * k) / 40;
            const bool straddles = start % 40 != 0;
            // CH1 rises: the lower value comes first; CH2 falls: the higher value comes first.
            EXPECT_EQ(ch1[2 * k], 50 + step) << h << " " << k;
            EXPECT_EQ(ch1[2 * k + 1], 50 + step + (straddles ? 1 : 0)) << h << " " << k;
            EXPECT_EQ(ch2[2 * k], 460 - step) << h << " " << k;
            EXPECT_EQ(ch2[2 * k + 1], 460 - step - (straddles ? 1 : 0)) << h << " " << k;
        }
        EXPECT_EQ(doc.m_ch1.GetFirstValid(), 0);
        EXPECT_EQ(doc.m_ch2.GetLastValid(), 499);
    }
    // Each read asked for both channels at their own volts/div.
    const auto reads = fake->CallsOf(16);
    ASSERT_EQ(reads.size(), 4u);
    for (const auto& call : reads) {
        EXPECT_EQ(call.args[1], 6);
        EXPECT_EQ(call.args[2], 4);
    }
}

// ---- software trigger at the fastest time bases --------------------------------------------------

// At 40 ns/div (index 4) model 4 stretches each sample of a 10240-point record to 250 work points
// with both channels on (125 with one channel or ALT), pivoting sample 5120 at work point 16384.
// The trigger search then takes the first work point from 5120 on that lies within 9 codes of
// the level with the point 40 before it below the level and the point 40 after it above: the
// first point of the stretched sample just above the level. That point becomes sample 5120 of
// the shown record, the first sample of live bucket 125, so the crossing lies between screen
// points 249 and 250 whatever sample of the record the instrument put it at.
class FastTrigger : public AcquisitionPlacement {
protected:
    FastTrigger() {
        doc.SetTimeBaseIndex(4);
        doc.m_ch1.SetInterpolation(kInterpolationStep);
        doc.m_ch2.SetInterpolation(kInterpolationStep);
        fake->ClearCalls();
    }
    // The sample at which the instrument's trigger lies in capture n: it moves every time.
    static int Crossing(int n) {
        static const int kOffsets[4] = {3, 7, 12, 20};
        return 5120 + kOffsets[n % 4];
    }
    // Below the level, one sample 5 codes above the level (256 for the level word 255), then above.
    static short Rising(int n, int i) {
        const int c = Crossing(n);
        return static_cast<short>(i < c ? 100 : (i == c ? 261 : 400));
    }
    // Two samples after the crossing a fall from 300 to 150, with no point near the level.
    static short FallingAfter(int n, int i) { return static_cast<short>(i < Crossing(n) + 2 ? 300 : 150); }

    // The trigger channel: the rise between points 249 and 250; the crossing sample covers
    // 250 work points, buckets 125 to 131, where the 400 plateau begins.
    static void ExpectRiseAtTheTriggerPosition(const std::vector<int>& s) {
        for (int x = 0; x < 250; ++x)
            ASSERT_EQ(s[static_cast<size_t>(x)], 100) << x;
        for (int x = 250; x <= 262; ++x)
            ASSERT_EQ(s[static_cast<size_t>(x)], 261) << x;
        for (int x = 263; x < 500; ++x)
            ASSERT_EQ(s[static_cast<size_t>(x)], 400) << x;
    }
    // The other channel keeps its distance: its fall lies 2 samples (500 work points) after the
    // crossing, inside bucket 137 with the higher value first.
    static void ExpectFallTwoSamplesLater(const std::vector<int>& s) {
        for (int x = 0; x <= 274; ++x)
            ASSERT_EQ(s[static_cast<size_t>(x)], 300) << x;
        for (int x = 275; x < 500; ++x)
            ASSERT_EQ(s[static_cast<size_t>(x)], 150) << x;
    }
};

TEST_F(FastTrigger, SourceCh1AlignsCh1AndRotatesCh2ByTheSameAmount) {
    doc.SetCh1TriggerLevel(255.0f);
    doc.SetCh2TriggerLevel(60.0f); // far from CH2's signal: CH2 must not be searched
    fake->ch1 = Rising;
    fake->ch2 = FallingAfter;
    for (int n = 0; n < 4; ++n) {
        doc.AcquireTick();
        SCOPED_TRACE(n);
        ExpectRiseAtTheTriggerPosition(Screen(doc.m_ch1));
        ExpectFallTwoSamplesLater(Screen(doc.m_ch2));
    }
    EXPECT_EQ(fake->captures, 4);
}

TEST_F(FastTrigger, SourceCh2AlignsCh2AndRotatesCh1ByTheSameAmount) {
    doc.SetTriggerSource(kSourceCh2);
    doc.SetCh2TriggerLevel(255.0f);
    doc.SetCh1TriggerLevel(60.0f);
    fake->ch1 = FallingAfter;
    fake->ch2 = Rising;
    for (int n = 0; n < 4; ++n) {
        doc.AcquireTick();
        SCOPED_TRACE(n);
        ExpectRiseAtTheTriggerPosition(Screen(doc.m_ch2));
        ExpectFallTwoSamplesLater(Screen(doc.m_ch1));
    }
}

TEST_F(FastTrigger, AltAlignsEachChannelOnItsOwnLevel) {
    doc.m_trigger.SetSource(kSourceAlt);
    doc.ApplySettingsToDevice();
    doc.SetCh1TriggerLevel(255.0f); // crossing at 256
    doc.SetCh2TriggerLevel(200.0f); // crossing at 311
    fake->ch1 = Rising;
    // CH2 crosses its own level 5 samples after CH1 crosses its.
    fake->ch2 = [](int n, int i) {
        const int c = Crossing(n) + 5;
        return static_cast<short>(i < c ? 250 : (i == c ? 316 : 450));
    };
    for (int n = 0; n < 4; ++n) {
        doc.AcquireTick();
        SCOPED_TRACE(n);
        // With ALT one channel is sampled at a time: 125 work points per sample, buckets 125
        // to 127 hold the crossing sample, bucket 128 meets the plateau.
        const std::vector<int> ch1 = Screen(doc.m_ch1), ch2 = Screen(doc.m_ch2);
        EXPECT_EQ(ch1[249], 100);
        EXPECT_EQ(ch1[250], 261);
        EXPECT_EQ(ch1[256], 261);
        EXPECT_EQ(ch1[257], 400);
        EXPECT_EQ(ch2[249], 250);
        EXPECT_EQ(ch2[250], 316);
        EXPECT_EQ(ch2[256], 316);
        EXPECT_EQ(ch2[257], 450);
    }
}

TEST_F(FastTrigger, ExternalSourceShowsTheStretchedRecordWithoutAlignment) {
    doc.SetTriggerSource(kSourceExt);
    fake->ch1 = [](int, int) { return short{333}; };
    fake->ch2 = [](int, int) { return short{222}; };
    doc.AcquireTick();
    EXPECT_EQ(Screen(doc.m_ch1), std::vector<int>(500, 333));
    EXPECT_EQ(Screen(doc.m_ch2), std::vector<int>(500, 222));
}

TEST_F(FastTrigger, NoCrossingLeavesTheTriggerSampleInPlace) {
    // No point within 9 codes of the level: the trigger point is the trigger sample itself and
    // the record is shown as the instrument delivered it around sample 5120.
    doc.SetCh1TriggerLevel(255.0f);
    fake->ch1 = [](int, int i) { return static_cast<short>(i < 5120 ? 100 : 400); };
    fake->ch2 = [](int, int i) { return static_cast<short>(i < 5120 ? 300 : 150); };
    doc.AcquireTick();
    const std::vector<int> ch1 = Screen(doc.m_ch1), ch2 = Screen(doc.m_ch2);
    // Work points 5120 - 10119 on screen hold samples 5120 - trunc(g / 250) for g = 11264 down
    // to 6265: samples 5055 to 5095, all before the step.
    EXPECT_EQ(ch1, std::vector<int>(500, 100));
    EXPECT_EQ(ch2, std::vector<int>(500, 300));
}

} // namespace
