#include "engine/Measure.h"
#include "engine/Trace.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A trace at 1 V/div with its zero line at code 255 (position 256).
void FillTrace(CTrace& t, const std::function<int(int)>& wave, int on = 1) {
    t.SetOn(on);
    t.SetVoltsPerDivIndex(6);
    t.SetProbe(0);
    t.SetPosition(256.0f);
    for (int i = 0; i < 500; ++i)
        t.GetScreenTrace()[i] = static_cast<std::int16_t>(wave(i));
}

// Square wave of 100 points: low for 50 points, then high, 64 codes about the zero line: on the
// screen's 511 codes over 8 divisions that is 1.002 divisions each way.
int Square(int i) {
    return (i % 100) < 50 ? 191 : 319;
}

// Trapezoid of 100 points: low 0..39, ramp up 40..50, high 50..89, ramp down 90..99.
int Trapezoid(int i) {
    const int k = i % 100;
    if (k < 40)
        return 191;
    if (k <= 50)
        return 191 + (k - 40) * 128 / 10;
    if (k < 90)
        return 319;
    return 319 - (k - 90) * 128 / 10;
}

struct Fixture {
    CTrace ch1, ch2, math;
    CMeasure m;
    Fixture() {
        FillTrace(ch1, Square);
        FillTrace(ch2, Trapezoid);
        FillTrace(
            math, [](int) { return 0; }, 0);
        m.SetSecondsPerDiv(1e-3);
    }
    // Lists one measurement of the source and returns its text after an update.
    CString Text(short source, short type) {
        m.ClearAll();
        m.SetSource(source);
        m.AddMeasurement(type);
        m.Update(&ch1, &ch2, &math);
        return m.GetText(0);
    }
};

TEST(Measure, FormatsValuesWithUnits) {
    EXPECT_STREQ(FormatVolts(1.25f), "1.25V");
    EXPECT_STREQ(FormatVolts(0.5f), "500mV");
    EXPECT_STREQ(FormatVolts(1000.0f), "1.00kV");
    EXPECT_STREQ(FormatVolts(2e-5f), "20.0uV");
    EXPECT_STREQ(FormatVolts(12.5f), "12.5V");
    EXPECT_STREQ(FormatVolts(0.0f), "0.00V");
    EXPECT_STREQ(FormatVolts(5e-7f), "0.00V");
    EXPECT_STREQ(FormatSeconds(2.5e-9), "2.50ns");
    EXPECT_STREQ(FormatSeconds(0.0125), "12.5ms");
    EXPECT_STREQ(FormatSeconds(1.6e-4), "160us");
    EXPECT_STREQ(FormatSeconds(2.0), "2.00s");
    EXPECT_STREQ(FormatSeconds(5e-10), "0.00");
    EXPECT_STREQ(FormatHertz(125000.0), "125kHz");
    EXPECT_STREQ(FormatHertz(50.0), "50.0Hz");
    EXPECT_STREQ(FormatHertz(999.0), "999Hz");
    EXPECT_STREQ(FormatHertz(1.5e6), "1.50MHz");
    EXPECT_STREQ(FormatHertz(2.5e9), "2.50GHz");
}

TEST(Measure, NegativeValuesChooseTheirFormatByMagnitude) {
    // The sign does not shift the "." that picks the precision.
    EXPECT_STREQ(FormatVolts(-2.0f), "-2.00V");
    EXPECT_STREQ(FormatVolts(-0.5f), "-500mV");
    EXPECT_STREQ(FormatVolts(-12.5f), "-12.5V");
    EXPECT_STREQ(FormatSeconds(-0.0125), "-12.5ms");
    EXPECT_STREQ(FormatVolts(-250.0f), "-250V");
}

TEST(Measure, HugeOrNonFiniteNumbersDoNotOverflowTheIntegerForm) {
    EXPECT_STREQ(FormatHertz(1e30), "2147483647GHz");
    EXPECT_STREQ(FormatVolts(-1e30f), "-2147483648kV");
}

TEST(Measure, VoltageMeasurementsOfASquareWave) {
    Fixture f;
    // At 1 V/div the readings are the divisions the trace spans on the graticule.
    EXPECT_STREQ(f.Text(0, 0), "CH1:Vpp = 2.00V");
    EXPECT_STREQ(f.Text(0, 1), "CH1:Vmax = 1.00V");
    EXPECT_STREQ(f.Text(0, 2), "CH1:Vmin = -1.00V");
    EXPECT_STREQ(f.Text(0, 3), "CH1:Vamp = 2.00V");
    EXPECT_STREQ(f.Text(0, 4), "CH1:Vtop = 1.00V");
    EXPECT_STREQ(f.Text(0, 5), "CH1:Vmid = 0.00V");
    EXPECT_STREQ(f.Text(0, 6), "CH1:Vbase = -1.00V");
    EXPECT_STREQ(f.Text(0, 7), "CH1:Vmean = 0.00V");
    // Points 50..150 inclusive: 51 high and 50 low, mean 255.634: 0.634 codes above the zero
    // line, 0.634 x 8 / 511 divisions.
    EXPECT_STREQ(f.Text(0, 8), "CH1:Vcmean = 9.92mV");
    EXPECT_STREQ(f.Text(0, 9), "CH1:Vrms = 1.00V");
    EXPECT_STREQ(f.Text(0, 10), "CH1:Vpshoot = 0.0%");
    EXPECT_STREQ(f.Text(0, 11), "CH1:Vnshoot = 0.0%");
}

TEST(Measure, TimeMeasurementsOfASquareWave) {
    Fixture f;
    // Period 100 points = 2 divisions at 1 ms/div.
    EXPECT_STREQ(f.Text(0, 12), "CH1:Period = 2.00ms");
    EXPECT_STREQ(f.Text(0, 13), "CH1:Frequ = 500Hz");
    EXPECT_STREQ(f.Text(0, 16), "CH1:+Duty = 50.0%");
    EXPECT_STREQ(f.Text(0, 17), "CH1:-Duty = 50.0%");
    EXPECT_STREQ(f.Text(0, 18), "CH1:+Width = 1.00ms");
    EXPECT_STREQ(f.Text(0, 19), "CH1:-Width = 1.00ms");
    EXPECT_EQ(f.m.GetEdge(0, 0), 50);
    EXPECT_EQ(f.m.GetEdge(0, 1), 100);
    EXPECT_EQ(f.m.GetEdge(0, 2), 150);
}

TEST(Measure, DutyOfAnUnevenPulse) {
    Fixture f;
    // High for 25 of 100 points.
    FillTrace(f.ch1, [](int i) { return (i % 100) >= 75 ? 319 : 191; });
    EXPECT_STREQ(f.Text(0, 16), "CH1:+Duty = 25.0%");
    EXPECT_STREQ(f.Text(0, 17), "CH1:-Duty = 75.0%");
    EXPECT_STREQ(f.Text(0, 18), "CH1:+Width = 500us");
    f.m.SetSecondsPerDiv(0.5);
    EXPECT_STREQ(f.Text(0, 13), "CH1:Frequ = 1.00Hz");
}

TEST(Measure, RiseAndFallTimeOfATrapezoid) {
    Fixture f;
    // 10 % level 203 is crossed at point 42, 90 % level 306 at 50; falling: 92 to 100.
    EXPECT_STREQ(f.Text(1, 14), "CH2:RiseT = 160us");
    EXPECT_STREQ(f.Text(1, 15), "CH2:FallT = 160us");
    double t = 0.0;
    ASSERT_TRUE(f.m.FindRiseTime(1, &f.ch2, &t));
    EXPECT_DOUBLE_EQ(t, 8 * 0.02 * 1e-3);
    EXPECT_EQ(f.m.GetEdge(1, 0), 46);
    EXPECT_EQ(f.m.GetEdge(1, 1), 96);
    EXPECT_EQ(f.m.GetEdge(1, 2), 146);
}

TEST(Measure, OvershootIsMeasuredAgainstTheRobustLevels) {
    Fixture f;
    // A square wave with a single spike above the top and one below the base.
    FillTrace(f.ch1, [](int i) { return i == 120 ? 351 : i == 170 ? 175 : Square(i); });
    // max0 351, top 319, min0 175, base 191: (191 - 175) / 128 and (351 - 319) / 128.
    EXPECT_STREQ(f.Text(0, 10), "CH1:Vpshoot = 12.5%");
    EXPECT_STREQ(f.Text(0, 11), "CH1:Vnshoot = 25.0%");
    // 176 codes from spike to spike are 2.76 divisions; top to base 128 codes, 2.00.
    EXPECT_STREQ(f.Text(0, 0), "CH1:Vpp = 2.76V");
    EXPECT_STREQ(f.Text(0, 3), "CH1:Vamp = 2.00V");
}

TEST(Measure, FlatTraceShowsStarsForEdgeMeasurements) {
    Fixture f;
    FillTrace(f.ch1, [](int) { return 300; });
    for (short type : {8, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}) {
        const CString t = f.Text(0, type);
        EXPECT_EQ(t.Right(5), "*****") << type << " " << t.GetString();
    }
    EXPECT_STREQ(f.Text(0, 0), "CH1:Vpp = 0.00V");
    EXPECT_STREQ(f.Text(0, 4), "CH1:Vtop = 704mV"); // 45 codes above zero: 0.704 divisions
    EXPECT_EQ(f.m.GetEdge(0, 2), 0);
    EXPECT_EQ(f.m.GetPeriodsOnScreen(0), 0.0);
}

TEST(Measure, NoiseWithinSixCodesMakesNoEdges) {
    Fixture f;
    FillTrace(f.ch1, [](int i) { return (i % 2) ? 261 : 249; });
    EXPECT_STREQ(f.Text(0, 12), "CH1:Period = *****");
    // Seven codes away does switch.
    FillTrace(f.ch1, [](int i) { return (i % 20) < 10 ? 248 : 262; });
    EXPECT_STREQ(f.Text(0, 12), "CH1:Period = 400us");
}

// The hysteresis is six codes on each side, strictly: a point at mid + 6 keeps the state, one at
// mid + 7 or mid - 7 changes it.
TEST(Measure, HysteresisOfSixCodesOnBothSides) {
    Fixture f;
    // mid = (262 + 248) / 2 = 255; each period of 100 points: 248, a blip to 261, 248, then 262.
    FillTrace(f.ch1, [](int i) {
        const int k = i % 100;
        return k < 20 ? 248 : (k < 30 ? 261 : (k < 50 ? 248 : 262));
    });
    EXPECT_STREQ(f.Text(0, 12), "CH1:Period = 2.00ms");
    EXPECT_STREQ(f.Text(0, 16), "CH1:+Duty = 50.0%");
    EXPECT_EQ(f.m.GetEdge(0, 0), 50);
    EXPECT_EQ(f.m.GetEdge(0, 1), 100);
    EXPECT_EQ(f.m.GetEdge(0, 2), 150);
    // The same blip below the middle, to mid - 6, keeps the high state.
    FillTrace(f.ch1, [](int i) {
        const int k = i % 100;
        return k < 50 ? 248 : (k < 70 ? 262 : (k < 80 ? 249 : 262));
    });
    EXPECT_STREQ(f.Text(0, 12), "CH1:Period = 2.00ms");
    EXPECT_EQ(f.m.GetEdge(0, 0), 50);
    EXPECT_EQ(f.m.GetEdge(0, 1), 100);
    EXPECT_EQ(f.m.GetEdge(0, 2), 150);
}

TEST(Measure, SourceOffKeepsTheLabel) {
    Fixture f;
    f.ch2.SetOn(0);
    EXPECT_STREQ(f.Text(1, 15), "CH2:FallT = *****");
    EXPECT_STREQ(f.Text(1, 0), "CH2:Vpp = *****");
    EXPECT_STREQ(f.Text(2, 0), "MATH:Vpp = *****");
    f.math.SetOn(1);
    FillTrace(f.math, Square);
    EXPECT_STREQ(f.Text(2, 0), "MATH:Vpp = 2.00V");
}

TEST(Measure, UnknownTypeGivesEmptyText) {
    Fixture f;
    EXPECT_STREQ(f.Text(0, 20), "");
    EXPECT_STREQ(f.Text(0, -1), "");
}

TEST(Measure, VoltsScaleWithVoltsPerDivAndProbe) {
    Fixture f;
    // The trace spans 2.00 divisions.
    f.ch1.SetVoltsPerDivIndex(0); // 10 mV
    EXPECT_STREQ(f.Text(0, 0), "CH1:Vpp = 20.0mV");
    f.ch1.SetProbe(3); // x1000: 10 V/div
    EXPECT_STREQ(f.Text(0, 0), "CH1:Vpp = 20.0V");
    f.ch1.SetVoltsPerDivIndex(9); // 10 kV/div
    EXPECT_STREQ(f.Text(0, 0), "CH1:Vpp = 20.0kV");
}

TEST(Measure, GapsAreNotSamples) {
    Fixture f;
    FillTrace(f.ch1, [](int i) { return (i % 37) == 3 ? 11111 : Square(i); });
    EXPECT_STREQ(f.Text(0, 0), "CH1:Vpp = 2.00V");
    EXPECT_STREQ(f.Text(0, 7), "CH1:Vmean = 0.00V");
    EXPECT_STREQ(f.Text(0, 12), "CH1:Period = 2.00ms");
    EXPECT_STREQ(f.Text(0, 9), "CH1:Vrms = 1.00V");
    // A trace of gaps only has nothing to measure.
    FillTrace(f.ch1, [](int) { return 11111; });
    EXPECT_STREQ(f.Text(0, 0), "CH1:Vpp = *****");
    EXPECT_STREQ(f.Text(0, 9), "CH1:Vrms = *****");
    EXPECT_EQ(CMeasure::GetMeanPoint(&f.ch1), 0.0);
}

TEST(Measure, MaxMinCascadeKeepsRobustLevels) {
    CTrace t;
    // Ascending 0..499: each point beats max0; the slots 1..4 stay 0.
    FillTrace(t, [](int i) { return i; });
    CMeasure m;
    m.ComputeStats(&t, nullptr, nullptr);
    EXPECT_EQ(m.GetMax(0, 0), 499);
    EXPECT_EQ(m.GetMax(0, 4), 0);
    // Point 0 beats nothing (not > 0) and lands in min0.
    EXPECT_EQ(m.GetMin(0, 0), 0);
    EXPECT_EQ(m.GetMin(0, 1), 511);
    // Disabled sources keep the reset slots.
    EXPECT_EQ(m.GetMax(1, 0), 0);
    EXPECT_EQ(m.GetMin(1, 0), 511);
}

TEST(Measure, ListDropsTheOldestWhenFull) {
    CMeasure m;
    m.SetSource(1);
    for (short t = 0; t < 8; ++t)
        m.AddMeasurement(t);
    EXPECT_EQ(m.GetCount(), 8);
    m.SetSource(2);
    m.AddMeasurement(19);
    EXPECT_EQ(m.GetCount(), 8);
    EXPECT_EQ(m.GetEntry(0).type, 1);
    EXPECT_EQ(m.GetEntry(6).type, 7);
    EXPECT_EQ(m.GetEntry(7).type, 19);
    EXPECT_EQ(m.GetEntry(7).source, 2);
    EXPECT_EQ(m.GetEntry(7).used, 1);
    EXPECT_EQ(m.GetEntry(0).source, 1);

    m.SetSource(3); // ignored
    EXPECT_EQ(m.GetSource(), 2);
    m.SetSource(-1);
    EXPECT_EQ(m.GetSource(), 2);

    m.ClearAll();
    EXPECT_EQ(m.GetCount(), 0);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(m.GetEntry(i).used, 0);
        EXPECT_STREQ(m.GetText(i), "*****");
    }
    m.SetDefaults();
    EXPECT_STREQ(m.GetText(3), "CH?:*****");
    EXPECT_EQ(m.GetSource(), 0);
}

TEST(Measure, EntriesFromAFileAreBoundedBeforeUse) {
    Fixture f;
    f.m.SetCount(20);
    EXPECT_EQ(f.m.GetCount(), 8);
    f.m.SetCount(-4);
    EXPECT_EQ(f.m.GetCount(), 0);
    // Sources outside 0..2 would index the per-source slots out of bounds: skipped.
    f.m.SetCount(3);
    f.m.SetEntry(0, 1, 5, 0);
    f.m.SetEntry(1, 1, -1, 0);
    f.m.SetEntry(2, 1, 0, 0);
    f.m.Update(&f.ch1, &f.ch2, &f.math);
    EXPECT_STREQ(f.m.GetText(0), "*****");
    EXPECT_STREQ(f.m.GetText(1), "*****");
    EXPECT_STREQ(f.m.GetText(2), "CH1:Vpp = 2.00V");
    // Out-of-range list indexes are harmless.
    f.m.SetEntry(9, 1, 0, 0);
    EXPECT_EQ(f.m.GetEntry(-1).used, 0);
    EXPECT_STREQ(f.m.GetText(8), "");
    EXPECT_EQ(f.m.GetEdge(7, 0), 0);
}

TEST(Measure, UnusedEntriesKeepTheirText) {
    Fixture f;
    f.m.SetCount(2);
    f.m.SetEntry(0, 0, 0, 0);
    f.m.SetEntry(1, 1, 0, 1);
    f.m.Update(&f.ch1, &f.ch2, &f.math);
    EXPECT_STREQ(f.m.GetText(0), "*****");
    EXPECT_STREQ(f.m.GetText(1), "CH1:Vmax = 1.00V");
}

TEST(Measure, UpdatesOnEverySixthFrame) {
    Fixture f;
    EXPECT_FALSE(f.m.TickUpdate(1e-3, &f.ch1, &f.ch2, &f.math)); // nothing listed
    f.m.AddMeasurement(12);
    EXPECT_TRUE(f.m.TickUpdate(2e-3, &f.ch1, &f.ch2, &f.math));
    EXPECT_STREQ(f.m.GetText(0), "CH1:Period = 4.00ms");
    EXPECT_EQ(f.m.GetCountdown(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(f.m.TickUpdate(1e-3, &f.ch1, &f.ch2, &f.math));
    EXPECT_DOUBLE_EQ(f.m.GetSecondsPerDiv(), 2e-3);
    EXPECT_TRUE(f.m.TickUpdate(1e-3, &f.ch1, &f.ch2, &f.math));
    EXPECT_STREQ(f.m.GetText(0), "CH1:Period = 2.00ms");
}

TEST(Measure, RawFiguresForAutoSetupAndCalibration) {
    Fixture f;
    f.m.Update(&f.ch1, &f.ch2, &f.math);
    EXPECT_DOUBLE_EQ(f.m.GetMidLevel(0), 256.0); // 511 - (64 + 191)
    EXPECT_EQ(f.m.GetPeakToPeakPoints(0), 128);
    EXPECT_DOUBLE_EQ(f.m.GetPeriodsOnScreen(0), 5.0);
    EXPECT_DOUBLE_EQ(f.m.GetPeriodsOnScreen(1), 5.0);
    EXPECT_DOUBLE_EQ(CMeasure::GetMeanPoint(&f.ch1), 255.0);
    EXPECT_EQ(f.m.GetMidLevel(2), 0.0);
    EXPECT_EQ(f.m.GetPeakToPeakPoints(2), 0);
    EXPECT_EQ(f.m.GetPeriodsOnScreen(2), 0.0);
    EXPECT_EQ(CMeasure::GetMeanPoint(nullptr), 0.0);
}

TEST(Measure, PeriodsOnScreenIsZeroWithoutAPeriod) {
    Fixture f;
    FillTrace(f.ch1, [](int) { return 100; });
    f.m.Update(&f.ch1, &f.ch2, &f.math);
    EXPECT_EQ(f.m.GetPeriodsOnScreen(0), 0.0);
}

} // namespace
