// Measurements on known 500-point records against values worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Tessel.h"

namespace {

using Record = std::vector<std::uint16_t>;

// Square wave of period 100: 100 on the first half of each period, 300 on the second.
Record Square() {
    Record r(500);
    for (int i = 0; i < 500; ++i)
        r[i] = static_cast<std::uint16_t>((i % 100) < 50 ? 100 : 300);
    return r;
}

// Flat at `from` until point 100, a straight edge of 4 codes per point to `to`, then flat.
Record Edge(int from, int to) {
    Record r(500);
    const int step = to > from ? 4 : -4;
    for (int i = 0; i < 500; ++i) {
        int v = from + step * std::max(0, i - 100);
        v = step > 0 ? std::min(v, to) : std::max(v, to);
        r[i] = static_cast<std::uint16_t>(v);
    }
    return r;
}

} // namespace

TEST(Measure, FlatRecord) {
    const Record flat(500, 200);
    std::uint16_t mm[2] = {};
    EXPECT_EQ(dsoGetMaxChannelData(mm, flat.data()), 200);
    EXPECT_EQ(mm[0], 200);
    EXPECT_EQ(mm[1], 200);
    EXPECT_EQ(dsoDataMedian(flat.data()), 200);
    std::uint16_t mean = 0;
    EXPECT_EQ(dsoMeasureMean(&mean, flat.data()), 200);
    EXPECT_EQ(mean, 200);
    std::uint16_t top[5], base[5];
    EXPECT_EQ(dsoMeasureAmplitude(top, base, flat.data()), 200);
    for (int s = 0; s < 5; ++s) {
        EXPECT_EQ(top[s], 200);
        EXPECT_EQ(base[s], 200);
    }
    std::int16_t rms[2] = {9, 9};
    EXPECT_EQ(dsoMeasureRMS(rms, flat.data(), 200), 0.0);
    EXPECT_EQ(rms[0], 0);
    EXPECT_EQ(rms[1], 0);
}

TEST(Measure, ExtremesMeanAndMedianUseTheirOwnRanges) {
    Record r(500, 100);
    r[5] = 500; // outside 20..479 and 10..499
    r[19] = 0;
    r[300] = 400; // inside everything
    std::uint16_t mm[2];
    EXPECT_EQ(dsoGetMaxChannelData(mm, r.data()), 400);
    EXPECT_EQ(mm[1], 100);
    std::uint16_t mean;
    EXPECT_EQ(dsoMeasureMean(&mean, r.data()), (489 * 100 + 400) / 490);
    EXPECT_EQ(dsoDataMedian(r.data()), 0 + 500 / 2);
}

TEST(Measure, LevelSetsKeepSpikesInTheFirstSlots) {
    Record r = Square();
    r[30] = 450; // a spike on the low part
    std::uint16_t top[5], base[5];
    EXPECT_EQ(dsoMeasureAmplitude(top, base, r.data()), 450);
    EXPECT_EQ(top[4], 300);
    EXPECT_EQ(base[4], 100);
    EXPECT_EQ(base[0], 100);
}

TEST(Measure, RmsAboutALevel) {
    const Record r = Square();
    std::int16_t out[2];
    EXPECT_DOUBLE_EQ(dsoMeasureRMS(out, r.data(), 200), 100.0);
    EXPECT_EQ(out[0], 100);
    // Cycle RMS stops at the third occurrence of point 0's code: points 0, 1, 2.
    Record c(500, 50);
    c[0] = 10;
    c[1] = 10;
    c[2] = 10;
    EXPECT_DOUBLE_EQ(dsoMeasureCycleRMS(out, c.data(), 0), 10.0);
    // Point 0's code never recurs: all 500 points count.
    Record n(500, 30);
    n[0] = 430;
    const double expected = std::sqrt((400.0 * 400.0 + 499 * 0.0) / 500);
    EXPECT_DOUBLE_EQ(dsoMeasureCycleRMS(out, n.data(), 30), expected);
    EXPECT_EQ(out[0], 17);
}

TEST(Measure, OnePeriodOfASquareWave) {
    const Record r = Square();
    std::uint16_t top[5], base[5], out[3] = {0, 0, 0};
    dsoMeasureFrequency(top, base, out, r.data());
    EXPECT_EQ(out[0], 51);  // first rise, odd points only
    EXPECT_EQ(out[2], 101); // fall
    EXPECT_EQ(out[1], 151); // next rise: period 100 points
    std::uint16_t period[3] = {0, 0, 0};
    EXPECT_DOUBLE_EQ(dsoMeasureCycleMean(top, base, period, r.data()), 200.0);
    EXPECT_EQ(period[0], 200);
    EXPECT_EQ(period[1], 0);
    // No crossing: the caller's values stay.
    const Record flat(500, 250);
    std::uint16_t keep[3] = {4, 5, 6};
    dsoMeasureFrequency(top, base, keep, flat.data());
    EXPECT_EQ(keep[0], 4);
    EXPECT_EQ(keep[1], 5);
    EXPECT_EQ(keep[2], 6);
}

TEST(Measure, CycleMeanWithoutAFullPeriodIsZero) {
    // Without a full period the mean would divide by zero (or average caller garbage).
    const Record flat(500, 250);
    std::uint16_t top[5], base[5], period[3] = {5, 5, 0};
    EXPECT_EQ(dsoMeasureCycleMean(top, base, period, flat.data()), 0.0);
    EXPECT_EQ(period[0], 0);
    EXPECT_EQ(period[1], 0);
    std::uint16_t beyond[3] = {600, 900, 0}; // period[1] is limited to 500 first
    EXPECT_EQ(dsoMeasureCycleMean(top, base, beyond, flat.data()), 0.0);
    // period[1] past the record is limited to 500 before averaging.
    std::uint16_t tail[3] = {490, 60000, 0};
    EXPECT_DOUBLE_EQ(dsoMeasureCycleMean(top, base, tail, flat.data()), 250.0);
    EXPECT_EQ(tail[0], 250);
}

TEST(Measure, FallTimeSkipsOnePointAfterTheFirstCrossing) {
    const Record r = Edge(400, 0);
    std::uint16_t top[5], base[5], out[2] = {0, 0};
    dsoMeasureFallTime(top, base, out, r.data(), 90, 10);
    EXPECT_EQ(top[4], 400);
    EXPECT_EQ(base[4], 0);
    // 360: first v < 358 at an odd point from 11 is 111; then 40 on even points 114, 116, ...:
    // first v < 38 is 192.
    EXPECT_EQ(out[0], 111);
    EXPECT_EQ(out[1], 192);
    // A record that never falls leaves out[] alone.
    const Record flat(500, 200);
    std::uint16_t keep[2] = {7, 8};
    dsoMeasureFallTime(top, base, keep, flat.data(), 90, 10);
    EXPECT_EQ(keep[0], 7);
    EXPECT_EQ(keep[1], 8);
}

TEST(Measure, RiseTimeTakesTheSecondPercentFirst) {
    const Record r = Edge(0, 400);
    std::uint16_t top[5], base[5], out[2] = {0, 0};
    // (90, 10): first crossing at 10 % (40: v > 42 from 111), then 90 % (360: v > 362 from 192).
    dsoMeasureRiseTime(top, base, out, r.data(), 90, 10);
    EXPECT_EQ(out[0], 111);
    EXPECT_EQ(out[1], 192);
    // (10, 90): first at 90 % (191), then 10 %, already passed: the next point looked at, 194.
    dsoMeasureRiseTime(top, base, out, r.data(), 10, 90);
    EXPECT_EQ(out[0], 191);
    EXPECT_EQ(out[1], 194);
}

TEST(Measure, NullArgumentsWriteNothing) {
    const Record r = Square();
    std::uint16_t top[5] = {1, 1, 1, 1, 1}, out[3] = {2, 2, 2};
    EXPECT_EQ(dsoGetMaxChannelData(nullptr, r.data()), 0);
    EXPECT_EQ(dsoMeasureAmplitude(top, nullptr, r.data()), 0);
    EXPECT_EQ(top[0], 1);
    dsoMeasureFrequency(top, nullptr, out, r.data());
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(dsoMeasureRMS(nullptr, r.data(), 0), 0.0);
    EXPECT_EQ(dsoDataMedian(nullptr), 0);
}

// Extremes see points 20..479 only: values just outside the window never win, the ends do.
TEST(Measure, ExtremesIncludeBothEndsOfTheirWindow) {
    struct Case {
        int at19, at20, at479, at480;
        int max, min;
    };
    for (const Case& c : {Case{400, 300, 350, 450, 350, 100}, Case{5, 50, 40, 6, 100, 40},
                          Case{100, 100, 500, 100, 500, 100}, Case{100, 3, 100, 100, 100, 3}}) {
        Record r(500, 100);
        r[19] = static_cast<std::uint16_t>(c.at19);
        r[20] = static_cast<std::uint16_t>(c.at20);
        r[479] = static_cast<std::uint16_t>(c.at479);
        r[480] = static_cast<std::uint16_t>(c.at480);
        std::uint16_t mm[2] = {};
        EXPECT_EQ(dsoGetMaxChannelData(mm, r.data()), c.max);
        EXPECT_EQ(mm[0], c.max);
        EXPECT_EQ(mm[1], c.min);
    }
}

// The period and the mean over it take the mid level from the settled levels top[4] and base[4],
// so one spike (landing in top[0]) moves neither.
TEST(Measure, PeriodIgnoresASingleSpike) {
    Record r = Square(); // 100 on points 0..49 of each period, 300 on 50..99
    r[30] = 500;         // a spike on a point the period walk does not look at
    std::uint16_t top[5], base[5], out[3] = {9, 9, 9};
    dsoMeasureFrequency(top, base, out, r.data());
    EXPECT_EQ(top[0], 500);
    EXPECT_EQ(top[4], 300);
    EXPECT_EQ(base[4], 100);
    EXPECT_EQ(out[0], 51); // first rise above 200 + 6 on the odd points
    EXPECT_EQ(out[2], 101);
    EXPECT_EQ(out[1], 151);
    std::uint16_t period[3] = {};
    const double mean = dsoMeasureCycleMean(top, base, period, r.data());
    EXPECT_DOUBLE_EQ(mean, 200.0); // points 51..150: 50 at 300, 50 at 100
    EXPECT_EQ(period[0], 200);
    EXPECT_EQ(period[1], 0);
}

// The cycle RMS walks until point 0's value has been seen three times (point 0 included), or
// to the end of the record when it never comes back.
TEST(Measure, CycleRmsStopsAtTheThirdRepeatOfPointZero) {
    Record r(500, 200);
    r[0] = r[5] = r[9] = r[12] = 100;
    std::int16_t out[2] = {-1, -1};
    // Points 0..9 visited, 7 of them 100 away from the level: sqrt(70000 / 10).
    EXPECT_NEAR(dsoMeasureCycleRMS(out, r.data(), 100), std::sqrt(7000.0), 1e-3);
    EXPECT_EQ(out[0], 83);
    EXPECT_EQ(out[1], 0);

    Record once(500, 200);
    once[0] = 100;
    EXPECT_NEAR(dsoMeasureCycleRMS(out, once.data(), 100), std::sqrt(499.0 * 10000 / 500), 1e-2);
    EXPECT_EQ(out[0], 99);
}
