#include "engine/DeviceStateBlock.h"
#include "engine/SettingsCodes.h"
#include "engine/Trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct StateBlock {
    std::int16_t w[kv::kStateBlockWords] = {0, 2, 0, 50, 0, 0};
    StateBlock(int timeBase, int percent, int channelMode = 2, int alt = 0) {
        w[kv::kStateTimeBase] = static_cast<std::int16_t>(timeBase);
        w[kv::kStatePosition] = static_cast<std::int16_t>(percent);
        w[kv::kStateChannelMode] = static_cast<std::int16_t>(channelMode);
        w[kv::kStateAltFlag] = static_cast<std::int16_t>(alt);
    }
};

class TraceProcessing : public ::testing::Test {
protected:
    void SetUp() override {
        t.AllocateRecords(65535);
        t.SetModel(4);
        t.SetRecordLength(10240);
        t.SetVoltsPerDivIndex(6);
        t.SetPosition(256.0f);
        t.SaveAcquisitionState(0);
    }
    std::int16_t* raw() { return t.GetRawRecord(); }
    std::int16_t* work() { return t.GetWorkRecord(); }
    std::int16_t* screen() { return t.GetScreenTrace(); }
    void FillRaw(double (*f)(int)) {
        for (int i = 0; i < t.GetRecordCapacity(); ++i)
            raw()[i] = static_cast<std::int16_t>(f(i));
    }
    CTrace t;
};

double Ramp(int i) {
    return i % 20000;
}
double SlowSine(int i) {
    return 256.0 + 200.0 * std::sin(2 * kPi * i / 200.0);
}

TEST(MinMaxDecimateTest, PairsFollowOrderOfOccurrence) {
    const std::int16_t src[] = {5, 1, 9, 3, /**/ 9, 2, 2, 7, /**/ 4, 4, 4, 4, /**/ 8, 0};
    std::int16_t dst[8] = {};
    EXPECT_EQ(MinMaxDecimate(4, 4, src, dst, 14), 4);
    EXPECT_EQ(dst[0], 1); // minimum occurs first
    EXPECT_EQ(dst[1], 9);
    EXPECT_EQ(dst[2], 9); // maximum occurs first
    EXPECT_EQ(dst[3], 2);
    EXPECT_EQ(dst[4], 4); // a tie puts the maximum first: both are 4
    EXPECT_EQ(dst[5], 4);
    EXPECT_EQ(dst[6], 8); // the partial last bucket stops at the source length
    EXPECT_EQ(dst[7], 0);

    std::int16_t guard[4] = {-1, -1, -1, -1};
    EXPECT_EQ(MinMaxDecimate(4, 2, src, guard, 4), 1); // stops at the source length
    EXPECT_EQ(guard[2], -1);
    EXPECT_EQ(MinMaxDecimate(0, 2, src, guard, 14), 0);
    EXPECT_EQ(MinMaxDecimate(4, 2, nullptr, guard, 14), 0);
}

TEST_F(TraceProcessing, SlowTimeBasesAndModelThreeCopyTheRecord) {
    FillRaw(Ramp);
    t.SelectInterpolationByModel(StateBlock(11, 50).w);
    EXPECT_TRUE(std::equal(raw(), raw() + 10240, work()));

    std::fill(work(), work() + 65535, std::int16_t{0});
    t.SetModel(2);
    t.SelectInterpolationByModel(StateBlock(10, 50).w);
    EXPECT_EQ(work()[5000], raw()[5000]);

    std::fill(work(), work() + 65535, std::int16_t{0});
    t.SetModel(3);
    t.SelectInterpolationByModel(StateBlock(0, 50).w);
    EXPECT_EQ(work()[10239], raw()[10239]);
}

TEST_F(TraceProcessing, StepInterpolationUsesTheDualOrSingleFactor) {
    FillRaw(Ramp);
    t.SetInterpolation(kInterpolationStep);
    // Model 4, T = 0: factor 5000 with both channels sharing the converter, 2500 otherwise.
    t.SelectInterpolationByModel(StateBlock(0, 50, 2, 0).w);
    const int e = 5120, r = 16384;
    EXPECT_EQ(work()[r], raw()[e]);
    EXPECT_EQ(work()[r + 2500], raw()[e]);
    EXPECT_EQ(work()[r + 4999], raw()[e]);
    EXPECT_EQ(work()[r + 5000], raw()[e + 1]);
    EXPECT_EQ(work()[r - 1], raw()[e]);
    EXPECT_EQ(work()[r - 5000], raw()[e - 1]);

    t.SelectInterpolationByModel(StateBlock(0, 50, 2, 1).w); // ALT: the single factor
    EXPECT_EQ(work()[r + 2499], raw()[e]);
    EXPECT_EQ(work()[r + 2500], raw()[e + 1]);
    EXPECT_EQ(work()[32767], raw()[e + (32767 - r) / 2500]);
}

TEST_F(TraceProcessing, StepInterpolationAtTheRightEdge) {
    FillRaw(Ramp);
    t.SetInterpolation(kInterpolationStep);
    t.InterpolateRecord(0, 250, StateBlock(3, 100).w);
    // P = 100: source pivot 10239, output pivot 32767.
    EXPECT_EQ(work()[32767], raw()[10239]);
    EXPECT_EQ(work()[32767 - 250], raw()[10238]);
    t.InterpolateRecord(0, 10, StateBlock(7, 100).w);
    EXPECT_EQ(work()[10239], raw()[10239]);
    EXPECT_EQ(work()[10229], raw()[10238]);
    // A small position still keeps 40 samples before the pivot.
    t.InterpolateRecord(0, 10, StateBlock(7, 0).w);
    EXPECT_EQ(work()[40], raw()[40]);
    EXPECT_EQ(work()[30], raw()[39]);
}

TEST_F(TraceProcessing, LinearInterpolationFollowsTheSamples) {
    for (int i = 0; i < 10240; ++i)
        raw()[i] = static_cast<std::int16_t>((i % 400) < 200 ? (i % 400) : 400 - (i % 400));
    // Model 4, T = 5, both channels: linear with factor 100 into 10240 points.
    t.SelectInterpolationByModel(StateBlock(5, 50).w);
    const int e = 5120;
    for (int u = -50; u < 50; ++u) {
        const int prev = raw()[e + u], next = raw()[e + u + 1];
        for (int k = 0; k < 100; k += 7) {
            const int expected = static_cast<int>(k * (next - prev) / 100.0 + prev);
            EXPECT_NEAR(work()[e + u * 100 + k], expected, 1) << u << "," << k;
        }
    }
    EXPECT_EQ(work()[0], work()[1]);

    // Fractional factor (model 0, T = 9 single: 2.52): output stays between neighbours.
    t.SetModel(0);
    t.SelectInterpolationByModel(StateBlock(9, 30, 0).w);
    for (int x = 1; x < 10240; ++x)
        EXPECT_LE(std::abs(work()[x] - work()[x - 1]), 2) << x;
}

TEST_F(TraceProcessing, SincResampleReconstructsASmoothSignal) {
    FillRaw(SlowSine);
    t.SetInterpolation(kInterpolationSinc);
    // Model 4, T = 3 single: factor 250.
    t.SelectInterpolationByModel(StateBlock(3, 50, 0).w);
    EXPECT_DOUBLE_EQ(t.GetTableFactor(), 250.0);
    const double d = 250.0;
    const int n = 1 + static_cast<int>(32768 / d);
    const int f = 5120 - static_cast<int>(50 * n * 0.01);
    // Every segment follows its own source samples: a fixed source index would repeat one
    // segment all along the record.
    int checked = 0;
    for (int x = 500; x < 32000; x += 37) {
        const double expected = SlowSine(0) + 200.0 * std::sin(2 * kPi * (f + x / d) / 200.0);
        EXPECT_NEAR(work()[x], expected, 6.0) << x;
        ++checked;
    }
    EXPECT_GT(checked, 800);
    for (int i = 0; i < n - 1; ++i)
        EXPECT_EQ(work()[static_cast<int>(d * i)], raw()[f + i]);
}

TEST_F(TraceProcessing, SincResampleKeepsSaturatedRunsFlat) {
    for (int i = 0; i < 10240; ++i)
        raw()[i] = static_cast<std::int16_t>((i / 20) % 2 ? 511 : 0);
    t.SincResample(50, 500.0);
    const int n = 1 + 32768 / 500;
    const int f = 5120 - static_cast<int>(50 * n * 0.01);
    for (int i = 0; i + 1 < n; ++i) {
        const int s = raw()[f + i], next = raw()[f + i + 1];
        if (s != next)
            continue;
        for (int j = 1; j < 500; j += 13)
            EXPECT_EQ(work()[500 * i + j], s) << i << "," << j;
    }
    // Factors beyond the coefficient rows are held to the table's size, 5000 points per
    // sample: at P = 100 the seven source samples from 10232 on all lie in a run at 511, so the
    // whole work record is 511.
    t.SincResample(100, 1e9);
    EXPECT_TRUE(std::all_of(work(), work() + 32768, [](std::int16_t v) { return v == 511; }));
    // Below one point per sample the factor is 1: each work point is its own source sample, the
    // last sample repeated past the 10240-point record.
    t.SincResample(0, 0.001);
    EXPECT_TRUE(std::equal(raw(), raw() + 10240, work()));
    EXPECT_EQ(work()[20000], raw()[10239]);
    // A factor that is not a number leaves the work record as it was.
    std::fill_n(work(), 32768, std::int16_t{77});
    t.SincResample(50, std::nan(""));
    EXPECT_TRUE(std::all_of(work(), work() + 32768, [](std::int16_t v) { return v == 77; }));
}

TEST_F(TraceProcessing, SoftTriggerFindsTheCrossingAndRotatesIt) {
    // A 1000-sample period sine; rising crossings of 256 at multiples of 1000.
    for (int i = 0; i < 40000; ++i)
        work()[i] = static_cast<std::int16_t>(256 + 200 * std::sin(2 * kPi * i / 1000.0));
    const std::vector<std::int16_t> before(work(), work() + 32768);
    const int h = 250, f = static_cast<int>(h * 0.2 * 102.4); // 5120
    const std::int16_t level = 511 - 256;                     // position frame: 0 at the top
    const int tp = t.SoftTriggerAlign(static_cast<std::int16_t>(h), 3, level, 0);
    EXPECT_GE(tp, f);
    EXPECT_LT(tp, 6000);
    EXPECT_LT(std::abs(before[tp] - 256), 10);
    EXPECT_LT(before[tp - 40], 256);
    EXPECT_GT(before[tp + 40], 256);
    EXPECT_EQ(t.GetTriggerPoint(), tp);
    EXPECT_EQ(work()[f], before[tp]);
    EXPECT_EQ(work()[0], before[tp - f]);
    EXPECT_EQ(work()[10239], before[tp - f + 10239]);

    // Falling slope picks the falling crossing near 500 + 1000k.
    std::copy(before.begin(), before.end(), work());
    const int tpFall = t.SoftTriggerAlign(static_cast<std::int16_t>(h), 3, level, 1);
    EXPECT_GT(before[tpFall - 40], 256);
    EXPECT_LT(before[tpFall + 40], 256);

    // The other channel is rotated to the same trigger point.
    CTrace other;
    other.AllocateRecords(65535);
    for (int i = 0; i < 32768; ++i)
        other.GetWorkRecord()[i] = static_cast<std::int16_t>(i % 30000);
    other.RotateRecordToPosition(static_cast<std::int16_t>(h), static_cast<std::int16_t>(tp));
    EXPECT_EQ(other.GetWorkRecord()[f], tp % 30000);
    EXPECT_EQ(other.GetTriggerPoint(), tp);
}

TEST_F(TraceProcessing, SoftTriggerWithoutMatchKeepsTheTriggerSample) {
    std::fill(work(), work() + 65535, std::int16_t{100});
    for (int i = 0; i < 32768; ++i)
        work()[i] = static_cast<std::int16_t>(i % 400);
    const std::vector<std::int16_t> before(work(), work() + 10240);
    // Level far above every sample: no match, trigger point = trigger sample, nothing moves.
    EXPECT_EQ(t.SoftTriggerAlign(500, 2, -300, 0), 10239);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), work()));
    // Positions and sample indexes from outside stay inside the record.
    t.SoftTriggerAlign(-200, 2, 100, 0);
    t.SoftTriggerAlign(2000, 2, 100, 1);
    t.RotateRecordToPosition(250, -5);
    t.RotateRecordToPosition(0, 32767);
    EXPECT_EQ(t.GetTriggerPoint(), 32767);
}

TEST_F(TraceProcessing, PeakDetectShowsTheWindowAroundThePosition) {
    for (int i = 0; i < 10240; ++i)
        work()[i] = static_cast<std::int16_t>((i * 7919) % 512);
    t.SetDisplayPointCount(1);
    t.PeakDetectToDisplay(250, 13);
    EXPECT_EQ(t.GetWindowLength(), 10000);
    EXPECT_EQ(t.GetRollSpan(), 12);
    EXPECT_EQ(t.GetDisplayPointCount(), 500);
    std::int16_t expected[500];
    MinMaxDecimate(40, 250, work() + 120, expected, 10000);
    EXPECT_TRUE(std::equal(expected, expected + 500, screen()));

    t.PeakDetectToDisplay(0, 13);
    MinMaxDecimate(40, 250, work(), expected, 10000);
    EXPECT_TRUE(std::equal(expected, expected + 500, screen()));
    t.PeakDetectToDisplay(500, 13);
    MinMaxDecimate(40, 250, work() + 240, expected, 10000);
    EXPECT_TRUE(std::equal(expected, expected + 500, screen()));
}

TEST_F(TraceProcessing, PeakDetectBucketByModelAndLongRecord) {
    CTrace deep;
    deep.AllocateRecords(524288);
    deep.SetModel(5);
    deep.SetRecordLength(524288);
    for (int i = 0; i < 524288; ++i)
        deep.GetWorkRecord()[i] = static_cast<std::int16_t>(i % 2000 == 777 ? 500 : 100);
    deep.PeakDetectToDisplay(250, 20);
    EXPECT_EQ(deep.GetWindowLength(), 500000);
    EXPECT_EQ(deep.GetRollSpan(), 24);
    for (int k = 0; k < 250; ++k) {
        EXPECT_EQ(std::min(deep.GetScreenTrace()[2 * k], deep.GetScreenTrace()[2 * k + 1]), 100);
        EXPECT_EQ(std::max(deep.GetScreenTrace()[2 * k], deep.GetScreenTrace()[2 * k + 1]), 500);
    }

    // Model 0 with a longer record picks 100 at the third steps, 80 between, 120 outside.
    t.SetModel(0);
    t.SetRecordLength(32768);
    t.PeakDetectToDisplay(250, 16);
    EXPECT_EQ(t.GetWindowLength(), 25000);
    t.PeakDetectToDisplay(250, 14);
    EXPECT_EQ(t.GetWindowLength(), 20000);
    t.PeakDetectToDisplay(250, 30);
    EXPECT_EQ(t.GetWindowLength(), 30000);
    t.SetModel(1);
    t.PeakDetectToDisplay(250, 12);
    EXPECT_EQ(t.GetWindowLength(), 30000);

    // A window longer than the record reads gaps, never past the buffer.
    t.SetModel(5);
    t.SetRecordLength(14336);
    t.PeakDetectToDisplay(250, 20);
    EXPECT_EQ(t.GetScreenTrace()[0], CTrace::kGap);
    auto allGaps = [&] {
        return std::all_of(screen(), screen() + 500, [](std::int16_t p) { return p == CTrace::kGap; });
    };
    // h = -300: the 500000-sample window starts 291399 samples in, far past the 14336 samples.
    t.PeakDetectToDisplay(-300, 20);
    EXPECT_TRUE(allGaps());
    // More than the buffer holds: the window from sample 500000 on lies past the buffer and
    // reads as gaps, not as memory beyond it.
    t.SetRecordLength(1000000);
    t.PeakDetectToDisplay(500, 20);
    EXPECT_TRUE(allGaps());
    EXPECT_EQ(t.GetWindowLength(), 500000);
    EXPECT_EQ(t.GetRollSpan(), 500);
}

TEST_F(TraceProcessing, CompressSpreadsSamplesAtAFasterTimeBase) {
    for (int i = 0; i < 10240; ++i)
        work()[i] = static_cast<std::int16_t>(i % 500);
    t.CompressToDisplay(100.0, 250, 250);
    EXPECT_EQ(t.GetDisplayPointCount(), 1);
    const int k = 5120;
    EXPECT_EQ(screen()[250], (k - 1) % 500);
    EXPECT_EQ(screen()[255], k % 500);
    EXPECT_EQ(screen()[245], (k - 2) % 500);
    EXPECT_EQ(screen()[251], CTrace::kGap);
    int samples = 0;
    for (int x = 0; x < 500; ++x)
        samples += screen()[x] != CTrace::kGap;
    EXPECT_EQ(samples, 100);
    EXPECT_EQ(t.GetFirstValid(), 0);
    EXPECT_EQ(t.GetLastValid(), 495);
}

TEST_F(TraceProcessing, CompressDecimatesAtTheSameTimeBase) {
    for (int i = 0; i < 10240; ++i)
        work()[i] = static_cast<std::int16_t>((i * 31) % 512);
    t.CompressToDisplay(1.0, 250, 250);
    EXPECT_EQ(t.GetDisplayPointCount(), 500);
    std::int16_t expected[500];
    MinMaxDecimate(40, 250, work() + 5119 - 5000, expected, 10000);
    EXPECT_TRUE(std::equal(expected, expected + 500, screen()));
}

TEST_F(TraceProcessing, CompressExpandsAtASlowerTimeBase) {
    for (int i = 0; i < 10240; ++i)
        work()[i] = static_cast<std::int16_t>(i / 80);
    t.CompressToDisplay(0.5, 250, 250);
    // 80-sample buckets, 128 pairs; the trigger's value 127 lands on screen point 250.
    std::int16_t pairs[256];
    MinMaxDecimate(80, 128, work(), pairs, 10240);
    EXPECT_EQ(screen()[250], pairs[127]);
    EXPECT_EQ(screen()[123], pairs[0]);
    EXPECT_EQ(screen()[122], CTrace::kGap);
    EXPECT_EQ(screen()[378], pairs[255]);
    EXPECT_EQ(screen()[379], CTrace::kGap);
    EXPECT_EQ(t.GetFirstValid(), 123);
    EXPECT_EQ(t.GetLastValid(), 378);
}

TEST_F(TraceProcessing, CompressTreatsEveryOtherLengthAsALongerRecord) {
    for (int i = 0; i < 28672; ++i)
        work()[i] = static_cast<std::int16_t>((i * 13) % 509);
    t.SetRecordLength(28672); // only a loaded CSV gives this length
    t.CompressToDisplay(2.0, 250, 250);
    // 10000-sample window at half the time base: 5000 samples around sample 14335.
    std::int16_t expected[500];
    MinMaxDecimate(20, 250, work() + 14335 - 2500, expected, 5000);
    EXPECT_TRUE(std::equal(expected, expected + 500, screen()));

    t.SetRecordLength(500); // a saved screen trace used as a reference
    t.CompressToDisplay(1.0, 250, 250);
    EXPECT_LE(t.GetFirstValid(), t.GetLastValid());
    EXPECT_EQ(screen()[0], CTrace::kGap);
}

TEST_F(TraceProcessing, CompressWithoutUsableDivisorShowsOnlyGaps) {
    auto allGaps = [&] {
        return std::all_of(screen(), screen() + 500, [](std::int16_t p) { return p == CTrace::kGap; });
    };
    for (double q : {0.0, -1.0, std::nan(""), static_cast<double>(INFINITY)}) {
        t.CompressToDisplay(q, 250, 250);
        EXPECT_TRUE(allGaps()) << q;
        EXPECT_GT(t.GetFirstValid(), t.GetLastValid());
    }
    t.SetRecordLength(32768);
    t.SetWindowLength(0); // e.g. a trace that never ran the live display
    t.CompressToDisplay(2.0, 250, 250);
    EXPECT_TRUE(allGaps());
    t.SetWindowLength(100); // window / 250 = 0 samples per pair
    t.CompressToDisplay(0.5, 250, 250);
    EXPECT_TRUE(allGaps());
    t.SetWindowLength(10000);
    t.CompressToDisplay(2.0, 250, 250);
    EXPECT_FALSE(allGaps());
}

TEST_F(TraceProcessing, CompressAfterPanningOffScreenStaysInsideTheScreen) {
    for (int i = 0; i < 10240; ++i)
        work()[i] = static_cast<std::int16_t>(i % 500);
    t.CompressToDisplay(100.0, 250, -100); // centre point -100
    EXPECT_EQ(screen()[0], (5119 + 20) % 500);
    EXPECT_EQ(screen()[5], (5119 + 21) % 500);
    t.CompressToDisplay(0.5, 250, -3000);
    EXPECT_GT(t.GetFirstValid(), t.GetLastValid());
    // Centre point capped at 499: bucket 63 of 80 samples (5040..5119) ends the screen, the
    // 127 values before it fill points 372..498, and the left of the screen stays empty.
    t.CompressToDisplay(0.5, 250, 32767);
    EXPECT_EQ(screen()[499], 119);
    EXPECT_EQ(screen()[498], 40);
    EXPECT_EQ(screen()[372], 0);
    EXPECT_EQ(screen()[371], CTrace::kGap);
    EXPECT_EQ(t.GetFirstValid(), 372);
    EXPECT_EQ(t.GetLastValid(), 499);
    auto allGaps = [&] {
        return std::all_of(screen(), screen() + 500, [](std::int16_t p) { return p == CTrace::kGap; });
    };
    // The windows of these positions lie wholly before or after the record.
    t.CompressToDisplay(3.0, -500, 600);
    EXPECT_TRUE(allGaps());
    t.CompressToDisplay(1.0, 250, -32768);
    EXPECT_TRUE(allGaps());
    EXPECT_GT(t.GetFirstValid(), t.GetLastValid());
}

TEST_F(TraceProcessing, RescaleSaturatesInsteadOfWrapping) {
    for (int i = 0; i < 10240; ++i)
        work()[i] = 386;
    t.SetVoltsPerDivIndex(9);
    t.SaveAcquisitionState(0); // taken at 10 V/div, position 256
    t.SetVoltsPerDivIndex(0);  // shown at 10 mV/div: ratio 1000
    t.CompressToDisplay(100.0, 250, 250);
    // 1000 x 131 + 255 wraps to 183 in 16 bits, a spurious on-screen point.
    EXPECT_EQ(screen()[250], 32767);
    t.ApplyTraceFilter();
    EXPECT_EQ(screen()[250], 511);
}

TEST_F(TraceProcessing, RescaleMovesAStoredTraceToTheNewScale) {
    for (int i = 0; i < 10240; ++i)
        work()[i] = 355;      // 100 codes above the zero line at position 256
    t.SetVoltsPerDivIndex(7); // 1 V/div at acquisition, 2 V/div now: halved
    t.SetPosition(300.0f);
    t.CompressToDisplay(1.0, 250, 250);
    EXPECT_EQ(screen()[0], 50 + 211);
}

TEST_F(TraceProcessing, RollZoomSpreadsAndCompressesTheHistory) {
    for (int i = 0; i < 500; ++i)
        work()[i] = static_cast<std::int16_t>(i);
    t.SetRollPointsHeld(100);
    t.ZoomToDisplay(2.0, 250);
    EXPECT_EQ(t.GetDisplayPointCount(), 250);
    EXPECT_EQ(screen()[499], 499);
    EXPECT_EQ(screen()[497], 498);
    EXPECT_EQ(screen()[498], CTrace::kGap);
    EXPECT_EQ(screen()[499 - 2 * 99], 400);
    EXPECT_EQ(screen()[499 - 2 * 100], CTrace::kGap);

    t.ZoomToDisplay(0.5, 250);
    EXPECT_EQ(t.GetDisplayPointCount(), 500);
    EXPECT_EQ(screen()[498], 496);
    EXPECT_EQ(screen()[499], 499);
    EXPECT_EQ(screen()[450], 400); // the 25th pair ends where the held points end
    EXPECT_EQ(screen()[451], 403);
    EXPECT_EQ(screen()[449], CTrace::kGap);

    t.SetRollPointsHeld(9999);
    t.ZoomToDisplay(0.001, 250);
    t.ZoomToDisplay(1e9, 250);
    EXPECT_EQ(screen()[499], 499);
    t.ZoomToDisplay(std::nan(""), 250);
    EXPECT_EQ(screen()[499], CTrace::kGap);
}

TEST_F(TraceProcessing, RollAppendShiftsInTheNewPoints) {
    for (int i = 0; i < 500; ++i)
        screen()[i] = work()[i] = static_cast<std::int16_t>(i);
    raw()[0] = 1000;
    raw()[1] = 1001;
    raw()[2] = 1002;
    t.SetRollNewPoints(3);
    t.SetRollPointsHeld(40);
    t.RollAppend();
    EXPECT_EQ(screen()[0], 3);
    EXPECT_EQ(screen()[496], 499);
    EXPECT_EQ(screen()[497], 1000);
    EXPECT_EQ(screen()[499], 1002);
    EXPECT_EQ(work()[499], 1002);
    EXPECT_EQ(t.GetFirstValid(), 460);
    EXPECT_EQ(t.GetLastValid(), 497);

    t.SetCoupling(kCouplingGnd);
    t.SetRollNewPoints(1);
    t.RollAppend();
    EXPECT_EQ(screen()[499], 255);
    EXPECT_EQ(screen()[498], 1002);
}

TEST_F(TraceProcessing, RollAppendTakesAtMostAScreenOfPoints) {
    for (int i = 0; i < 600; ++i)
        raw()[i] = static_cast<std::int16_t>(2000 + i);
    std::fill(screen(), screen() + 500, std::int16_t{7});
    t.SetRollNewPoints(511); // 501..511 would shift past the start of the arrays
    t.SetRollPointsHeld(500);
    t.RollAppend();
    EXPECT_EQ(screen()[0], 2000);
    EXPECT_EQ(screen()[499], 2499);
    EXPECT_EQ(t.GetFirstValid(), 0);
    EXPECT_EQ(t.GetLastValid(), 0);

    t.SetRollNewPoints(-4);
    t.RollAppend();
    EXPECT_EQ(screen()[0], 2000);
}

TEST_F(TraceProcessing, TraceFilterPullsTowardsTheZeroLineAndClamps) {
    t.SetPosition(111.0f); // zero line at 400
    screen()[0] = 600;
    screen()[1] = -3;
    screen()[2] = 100;
    screen()[3] = CTrace::kGap;
    t.SetFilter(0);
    t.ApplyTraceFilter();
    EXPECT_EQ(screen()[0], 511);
    EXPECT_EQ(screen()[1], 0);
    EXPECT_EQ(screen()[2], 100);
    EXPECT_EQ(screen()[3], 511);

    screen()[2] = 100;
    t.SetFilter(1);
    t.ApplyTraceFilter();
    EXPECT_EQ(screen()[2], static_cast<int>((100 - 400) * 0.999 + 400));
    screen()[2] = 100;
    t.SetFilter(2);
    t.ApplyTraceFilter();
    EXPECT_EQ(screen()[2], static_cast<int>((100 - 400) * 0.998 + 400));
}

TEST_F(TraceProcessing, InvertMirrorsAboutTheZeroLine) {
    t.SetPosition(128.0f); // zero line 383
    screen()[0] = 383;
    screen()[1] = 400;
    screen()[2] = -32768;
    t.InvertTrace();
    EXPECT_EQ(screen()[0], 383);
    EXPECT_EQ(screen()[1], 366);
    EXPECT_EQ(screen()[2], 32767); // saturated, not wrapped
    screen()[3] = 100;
    t.SetPosition(0.0f);
    t.InvertTrace();
    EXPECT_EQ(screen()[3], 922);
    t.ApplyTraceFilter();
    EXPECT_EQ(screen()[3], 511);
}

} // namespace
