// Exact ends of the engine's ranges and the whole of its lookup tables: the first and last legal
// value, the first one past each end, every row of the sample-rate tables and each unit switch of
// the readout texts at its switch value and just below it.
#include "engine/AverageBuffer.h"
#include "engine/Measure.h"
#include "engine/PassFail.h"
#include "engine/Persistence.h"
#include "engine/RecordStore.h"
#include "engine/ScopeSettings.h"
#include "engine/SettingsCodes.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

struct State {
    std::int16_t words[kv::kStateBlockWords] = {0, 0, 0, 0, 0, 0};
    State(int source, int mode, int code) {
        words[kv::kStateActiveSource] = static_cast<std::int16_t>(source);
        words[kv::kStateChannelMode] = static_cast<std::int16_t>(mode);
        words[kv::kStateRecordLength] = static_cast<std::int16_t>(code);
    }
};

const char* const kSlow[13] = {"50S/s",   "25S/s",   "12.5S/s",  "5S/s",     "2.5S/s",   "1.25S/s", "0.83S/s",
                               "0.42S/s", "0.21S/s", "0.083S/s", "0.042S/s", "0.021S/s", "0.014S/s"};
const char* const kEts[7] = {"50GS/s", "25GS/s", "10GS/s", "5GS/s", "2.5GS/s", "1GS/s", "500MS/s"};

// Steps 11..25 by column: record code 0, the column's own code, any other code.
const char* const kRealTime[15][3] = {
    {"50MS/s", "50MS/s", "50MS/s"},    {"50MS/s", "150MS/s", "150MS/s"}, {"25MS/s", "50MS/s", "100MS/s"},
    {"10MS/s", "25MS/s", "50MS/s"},    {"5MS/s", "10MS/s", "25MS/s"},    {"2.5MS/s", "7.5MS/s", "10MS/s"},
    {"1MS/s", "3MS/s", "6MS/s"},       {"500KS/s", "1.5MS/s", "3MS/s"},  {"250KS/s", "750KS/s", "1.5MS/s"},
    {"100KS/s", "300KS/s", "600KS/s"}, {"50KS/s", "150KS/s", "300KS/s"}, {"25KS/s", "75KS/s", "150KS/s"},
    {"10KS/s", "30KS/s", "60KS/s"},    {"5KS/s", "15KS/s", "30KS/s"},    {"2.5KS/s", "7.5KS/s", "15KS/s"},
};
const char* const kAlt[15][3] = {
    {"100MS/s", "100MS/s", "100MS/s"}, {"50MS/s", "50MS/s", "50MS/s"},  {"25MS/s", "25MS/s", "25MS/s"},
    {"10MS/s", "10MS/s", "10MS/s"},    {"5MS/s", "250MS/s", "250MS/s"}, {"2.5MS/s", "125MS/s", "250MS/s"},
    {"1MS/s", "50MS/s", "100MS/s"},    {"500KS/s", "25MS/s", "50MS/s"}, {"250KS/s", "12.5MS/s", "25MS/s"},
    {"100KS/s", "5MS/s", "10MS/s"},    {"50KS/s", "2.5MS/s", "5MS/s"},  {"25KS/s", "1.25MS/s", "2.5MS/s"},
    {"10KS/s", "500KS/s", "1MS/s"},    {"5KS/s", "250KS/s", "500KS/s"}, {"2.5KS/s", "125KS/s", "250KS/s"},
};

std::string Text(const CString& s) {
    return std::string(static_cast<const char*>(s));
}

TEST(SampleRateTables, EveryRowAndColumnOfTheRealTimeTable) {
    CScopeSettings s;
    // "Other" codes on both sides of the column codes 3 and 5 of the two tables.
    const int otherCodes[] = {1, 2, 4, 5, 6};
    for (int step = 11; step <= 25; ++step) {
        const char* const* row = kRealTime[step - 11];
        EXPECT_EQ(Text(s.SampleRateText(step, State(0, 0, 0).words)), row[0]) << step;
        EXPECT_EQ(Text(s.SampleRateText(step, State(0, 0, 3).words)), row[1]) << step;
        for (int code : otherCodes)
            EXPECT_EQ(Text(s.SampleRateText(step, State(0, 0, code).words)), row[2])
                << step << " code " << code;
    }
    for (int step = 26; step <= 38; ++step) {
        EXPECT_EQ(Text(s.SampleRateText(step, State(0, 0, 0).words)), kSlow[step - 26]) << step;
        EXPECT_EQ(Text(s.SampleRateTextEts(step, State(0, 0, 3).words)), kSlow[step - 26]) << step;
        EXPECT_EQ(Text(s.SampleRateTextAlt(step, State(0, 0, 5).words)), kSlow[step - 26]) << step;
    }
    // Step 10 is the last fast step, shared or not.
    EXPECT_EQ(Text(s.SampleRateText(10, State(0, 2, 0).words)), "50MS/s");
    EXPECT_EQ(Text(s.SampleRateText(10, State(2, 2, 0).words)), "100MS/s");
    EXPECT_EQ(Text(s.SampleRateText(1, State(0, 1, 0).words)), "100MS/s");
}

TEST(SampleRateTables, EveryRowAndColumnOfTheAltTable) {
    CScopeSettings s;
    const int otherCodes[] = {1, 2, 3, 4, 6};
    for (int step = 11; step <= 25; ++step) {
        const char* const* row = kAlt[step - 11];
        EXPECT_EQ(Text(s.SampleRateTextAlt(step, State(0, 0, 0).words)), row[0]) << step;
        EXPECT_EQ(Text(s.SampleRateTextAlt(step, State(0, 0, 5).words)), row[1]) << step;
        for (int code : otherCodes)
            EXPECT_EQ(Text(s.SampleRateTextAlt(step, State(0, 0, code).words)), row[2])
                << step << " code " << code;
    }
    // Steps 7..10, and 0..6 without ETS, read as the fast rows.
    for (int step = 0; step <= 10; ++step) {
        EXPECT_EQ(Text(s.SampleRateTextAlt(step, State(0, 2, 0).words)), "125MS/s") << step;
        EXPECT_EQ(Text(s.SampleRateTextAlt(step, State(1, 1, 0).words)), "250MS/s") << step;
    }
}

TEST(SampleRateTables, EtsRowsEndAtStepSix) {
    CScopeSettings s;
    s.SetSamplingMode(kSamplingEts);
    ASSERT_EQ(s.GetEtsFlag(), 1);
    for (int step = 0; step <= 6; ++step) {
        EXPECT_EQ(Text(s.SampleRateTextEts(step, State(0, 0, 0).words)), kEts[step]) << step;
        EXPECT_EQ(Text(s.SampleRateTextAlt(step, State(0, 2, 5).words)), kEts[step]) << step;
    }
    // Step 7 is past the ETS rows in both tables.
    EXPECT_EQ(Text(s.SampleRateTextEts(7, State(0, 2, 0).words)), "75MS/s");
    EXPECT_EQ(Text(s.SampleRateTextEts(7, State(0, 0, 0).words)), "150MS/s");
    EXPECT_EQ(Text(s.SampleRateTextAlt(7, State(0, 2, 0).words)), "125MS/s");
    EXPECT_EQ(Text(s.SampleRateTextAlt(7, State(0, 0, 0).words)), "250MS/s");
    // The ETS table's own rows 11 and 13, every column; row 12 and 14 come from the real-time table.
    for (int code : {0, 3, 6}) {
        EXPECT_EQ(Text(s.SampleRateTextEts(11, State(0, 0, code).words)), "75MS/s");
        EXPECT_EQ(Text(s.SampleRateTextEts(12, State(0, 0, code).words)), kRealTime[1][code == 0   ? 0
                                                                                       : code == 3 ? 1
                                                                                                   : 2]);
        EXPECT_EQ(Text(s.SampleRateTextEts(14, State(0, 0, code).words)), kRealTime[3][code == 0   ? 0
                                                                                       : code == 3 ? 1
                                                                                                   : 2]);
    }
    EXPECT_EQ(Text(s.SampleRateTextEts(13, State(0, 0, 0).words)), "25MS/s");
    EXPECT_EQ(Text(s.SampleRateTextEts(13, State(0, 0, 3).words)), "75MS/s");
    EXPECT_EQ(Text(s.SampleRateTextEts(13, State(0, 0, 5).words)), "150MS/s");
    // Past the last step in every table.
    for (int step : {39, 40}) {
        EXPECT_EQ(Text(s.SampleRateText(step, State(0, 0, 0).words)), "0.00S/s");
        EXPECT_EQ(Text(s.SampleRateTextEts(step, State(0, 0, 0).words)), "0.00S/s");
        EXPECT_EQ(Text(s.SampleRateTextAlt(step, State(0, 0, 0).words)), "0.00S/s");
    }
}

struct UnitCase {
    char kind; // 'V' volts, 's' seconds, 'f' hertz
    double value;
    const char* text;
};

TEST(ReadoutUnits, EachSwitchAtItsValueAndJustBelow) {
    const UnitCase cases[] = {
        {'V', 1000.0, "1.00kV"},
        {'V', 999.0, "999V"},
        {'V', 1.0, "1.00V"},
        {'V', 0.999, "999mV"},
        {'V', 0.0015, "1.50mV"},
        {'V', 0.0005, "500uV"},
        {'V', -1000.0, "-1.00kV"},
        {'V', -1.0, "-1.00V"},
        {'s', 1.0, "1.00s"},
        {'s', 0.999, "999ms"},
        {'s', 0.001, "1.00ms"},
        {'s', 0.0009, "900us"},
        {'s', 1e-6, "1.00us"},
        {'s', 9e-7, "900ns"},
        {'s', 1e-9, "1.00ns"},
        {'s', -0.001, "-1.00ms"},
        {'s', -1e-6, "-1.00us"},
        {'f', 1000.0, "1.00kHz"},
        {'f', 999.5, "999Hz"},
        {'f', 1e6, "1.00MHz"},
        {'f', 999999.0, "999kHz"},
        {'f', 1e9, "1.00GHz"},
        {'f', 999e6, "999MHz"},
        {'f', -1e6, "-1.00MHz"},
        {'f', -1e9, "-1.00GHz"},
        // The digits follow the place of the point: two decimals below 10, one below 100, none above.
        {'V', 9.5, "9.50V"},
        {'V', 10.0, "10.0V"},
        {'V', 99.5, "99.5V"},
        {'V', 100.0, "100V"},
        {'s', 0.0995, "99.5ms"},
        {'s', 0.1, "100ms"},
        {'f', 10.0, "10.0Hz"},
        {'f', 100000.0, "100kHz"},
    };
    for (const UnitCase& c : cases) {
        const CString text = c.kind == 'V'   ? FormatVolts(static_cast<float>(c.value))
                             : c.kind == 's' ? FormatSeconds(c.value)
                                             : FormatHertz(c.value);
        EXPECT_EQ(Text(text), c.text) << c.kind << " " << c.value;
    }
}

TEST(RangeEnds, MeasurementListHoldsEightAndNoMore) {
    CMeasure m;
    m.SetSource(1);
    for (short type = 0; type < 8; ++type)
        m.AddMeasurement(static_cast<short>(type + 10));
    // The eighth entry is still appended, nothing dropped.
    ASSERT_EQ(m.GetCount(), 8);
    EXPECT_EQ(m.GetEntry(0).type, 10);
    EXPECT_EQ(m.GetEntry(7).type, 17);
    EXPECT_EQ(m.GetEntry(7).source, 1);
    m.AddMeasurement(19);
    EXPECT_EQ(m.GetCount(), 8);
    EXPECT_EQ(m.GetEntry(0).type, 11);
    EXPECT_EQ(m.GetEntry(7).type, 19);

    const struct { short in, out; } counts[] = {{8, 8}, {7, 7}, {9, 8}, {0, 0}, {-1, 0}, {1, 1}};
    for (const auto& c : counts) {
        m.SetCount(c.in);
        EXPECT_EQ(m.GetCount(), c.out) << c.in;
    }
}

TEST(RangeEnds, PersistenceDepthAndSettingsSetters) {
    CPersistence p;
    const struct { short in, out; } depths[] = {{16, 16}, {15, 15}, {0, 0}, {17, 0}, {-1, 0}, {1, 1}};
    for (const auto& d : depths) {
        p.SetDepth(3);
        p.SetDepth(d.in);
        EXPECT_EQ(p.GetDepth(), d.out) << d.in;
    }

    CScopeSettings s;
    for (int format : {2, 1, 0}) {
        s.SetTimeBaseFormat(static_cast<std::int16_t>(format));
        EXPECT_EQ(s.GetTimeBaseFormat(), format);
    }
    s.SetTimeBaseFormat(kFormatRoll);
    s.SetTimeBaseFormat(kFormatXY);
    EXPECT_EQ(s.GetTimeBaseFormat(), kFormatXY);
    for (int mode = 0; mode <= 6; ++mode) {
        s.SetRecordLengthMode(kRecordLength14K);
        s.SetRecordLengthMode(static_cast<std::int16_t>(mode));
        EXPECT_EQ(s.GetRecordLengthMode(), mode);
    }
}

TEST(RangeEnds, MaskWidensByTheLargestHorizontalTolerance) {
    // A varying trace with one spike in the middle; the spike must widen the mask 200 points each way.
    std::array<short, CPassFail::kPoints> trace{};
    for (int i = 0; i < CPassFail::kPoints; ++i)
        trace[i] = static_cast<short>(200 + std::lround(20.0 * std::sin(i * 0.05)));
    trace[250] = 450;
    for (int h : {200, 250}) { // 250 is clamped to 200
        CPassFail pf;
        pf.m_nVerticalTolerance = 1;
        pf.m_nHorizontalTolerance = static_cast<std::int16_t>(h);
        pf.BuildMask(trace.data());
        EXPECT_EQ(pf.m_upper[50], 451) << h;
        EXPECT_EQ(pf.m_upper[450], 451) << h;
        EXPECT_LT(pf.m_upper[49], 451) << h;
        EXPECT_LT(pf.m_upper[451], 451) << h;
    }
    CPassFail narrow;
    narrow.m_nVerticalTolerance = 1;
    narrow.m_nHorizontalTolerance = 199;
    narrow.BuildMask(trace.data());
    EXPECT_LT(narrow.m_upper[50], 451);
    EXPECT_EQ(narrow.m_upper[51], 451);
}

TEST(RangeEnds, PlayIntervalKeepsTheLargestAllowedValue) {
    std::array<short, CRecordStore::kFramePoints> frame{};
    const struct {
        int in, out;
    } intervals[] = {{20000, 20000}, {19999, 19999}, {20001, 20000}, {1, 1}, {0, 1}};
    for (const auto& c : intervals) {
        CRecordStore store;
        store.BeginRecording(RecordSettings{}, 2, 5);
        for (int k = 0; k < 2; ++k) {
            for (int i = 0; i < CRecordStore::kFramePoints; ++i)
                frame[i] = static_cast<short>(100 + k * 50 + (i % 40));
            store.RecordFrame(frame.data());
        }
        store.m_nPlayInterval = static_cast<std::int16_t>(c.in);
        ASSERT_EQ(store.BeginPlayback(), 0);
        EXPECT_EQ(store.m_nPlayInterval, c.out) << c.in;
    }
}

TEST(RangeEnds, AverageOfChannelTwoCountsOnlyItsOwnFrames) {
    CAverageBuffer b;
    b.SetAcquireMode(CAverageBuffer::kModeAverage);
    b.SetFramesWanted(4);
    std::array<std::int16_t, CAverageBuffer::kPoints> ch1{}, ch2{}, out{};
    for (int i = 0; i < CAverageBuffer::kPoints; ++i) {
        ch1[i] = static_cast<std::int16_t>(256 + std::lround(100.0 * std::sin(i * 0.04)));
        ch2[i] = static_cast<std::int16_t>(300 + std::lround(80.0 * std::cos(i * 0.07)));
    }
    // Two frames reach CH1, only one CH2: CH2's mean is its single frame, not half of it.
    b.BeginFrame();
    b.PushFrameCh1(ch1.data());
    b.PushFrameCh2(ch2.data());
    b.BeginFrame();
    b.PushFrameCh1(ch1.data());
    b.AverageFrames(b.GetRingCh2(), out.data());
    EXPECT_EQ(out, ch2);
    // And the mirror: CH1 behind CH2.
    CAverageBuffer c;
    c.SetAcquireMode(CAverageBuffer::kModeAverage);
    c.SetFramesWanted(4);
    c.BeginFrame();
    c.PushFrameCh2(ch2.data());
    c.PushFrameCh1(ch1.data());
    c.BeginFrame();
    c.PushFrameCh2(ch2.data());
    c.AverageFrames(c.GetRingCh1(), out.data());
    EXPECT_EQ(out, ch1);
}

} // namespace

namespace {

// A trace at 1 V/div with its zero line at code 255, filled from a wave.
void Fill(CTrace& t, int (*wave)(int)) {
    t.SetOn(1);
    t.SetVoltsPerDivIndex(6);
    t.SetProbe(0);
    t.SetPosition(256.0f);
    for (int i = 0; i < CTrace::kScreenPoints; ++i)
        t.GetScreenTrace()[i] = static_cast<std::int16_t>(wave(i));
}

// 64 codes either side of the zero line (1.00 division on the screen's 511 codes over 8), 100
// points a period, low first.
int SquareWave(int i) {
    return (i % 100) < 50 ? 191 : 319;
}
// Low 0..39, ramp of 10 points up, high until 89, ramp down.
int TrapezoidWave(int i) {
    const int k = i % 100;
    return k < 40 ? 191 : k <= 50 ? 191 + (k - 40) * 128 / 10 : k < 90 ? 319 : 319 - (k - 90) * 128 / 10;
}
// What the other traces carry meanwhile: a smaller sine of another period and level.
int OtherWave(int i) {
    return 300 + static_cast<int>(std::lround(60.0 * std::sin(i * 2.0 * 3.14159265358979 / 70.0)));
}

TEST(MeasureSources, EveryTypeReadsItsOwnSourceOnEachOfTheThreeTraces) {
    // Types 0..13 and 16..19 of the square wave at 1 ms/div; rise and fall of the trapezoid.
    const char* const square[20] = {"Vpp = 2.00V",     "Vmax = 1.00V",  "Vmin = -1.00V",   "Vamp = 2.00V",
                                    "Vtop = 1.00V",    "Vmid = 0.00V",  "Vbase = -1.00V",  "Vmean = 0.00V",
                                    "Vcmean = 9.92mV", "Vrms = 1.00V",  "Vpshoot = 0.0%",  "Vnshoot = 0.0%",
                                    "Period = 2.00ms", "Frequ = 500Hz", nullptr,           nullptr,
                                    "+Duty = 50.0%",   "-Duty = 50.0%", "+Width = 1.00ms", "-Width = 1.00ms"};
    const char* const prefix[3] = {"CH1:", "CH2:", "MATH:"};
    for (short source = 0; source < 3; ++source) {
        SCOPED_TRACE(source);
        CTrace traces[3];
        for (int wave = 0; wave < 2; ++wave) {
            for (short t = 0; t < 3; ++t)
                Fill(traces[t], t == source ? (wave == 0 ? SquareWave : TrapezoidWave) : OtherWave);
            CMeasure m;
            m.SetSecondsPerDiv(1e-3);
            m.SetSource(source);
            const short types[2][8] = {{0, 1, 2, 3, 4, 5, 6, 7}, {8, 9, 10, 11, 12, 13, 16, 17}};
            for (int batch = 0; batch < (wave == 0 ? 3 : 1); ++batch) {
                m.ClearAll();
                if (wave == 1) {
                    m.AddMeasurement(14);
                    m.AddMeasurement(15);
                } else if (batch < 2) {
                    for (short type : types[batch])
                        m.AddMeasurement(type);
                } else {
                    m.AddMeasurement(18);
                    m.AddMeasurement(19);
                }
                m.Update(&traces[0], &traces[1], &traces[2]);
                for (int e = 0; e < m.GetCount(); ++e) {
                    const short type = m.GetEntry(e).type;
                    const std::string want =
                        std::string(prefix[source]) +
                        (wave == 1 ? (type == 14 ? "RiseT = 160us" : "FallT = 160us") : square[type]);
                    EXPECT_EQ(Text(m.GetText(e)), want) << "type " << type;
                }
            }
        }
    }
}

} // namespace
