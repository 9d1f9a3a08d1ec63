// Every lookup table of the engine, entry by entry, with the neighbours of each edge and the
// first value outside the table on both sides: seconds per division, the three sample-rate
// tables, volts/div and probe labels, trigger level tables and their scaled range words, the
// record lengths of the record-length codes and the unit steps of the measurement texts.
#include "engine/KelvaneDoc.h"
#include "engine/Measure.h"
#include "engine/ScopeSettings.h"
#include "engine/SettingsCodes.h"
#include "engine/Trace.h"
#include "engine/Trigger.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

// Seconds per division of steps 0..38.
constexpr std::array<double, 39> kSeconds = {2e-9, 4e-9, 1e-8, 2e-8, 4e-8, 1e-7, 2e-7, 4e-7, 1e-6, 2e-6,
                                             4e-6, 1e-5, 2e-5, 4e-5, 1e-4, 2e-4, 4e-4, 1e-3, 2e-3, 4e-3,
                                             1e-2, 2e-2, 4e-2, 0.1,  0.2,  0.4,  1,    2,    4,    10,
                                             20,   40,   60,   120,  240,  600,  1200, 2400, 3600};

TEST(Tables, SecondsPerDivisionOfEveryStepWithAndWithoutTheIndexOffset) {
    CScopeSettings s;
    for (int i = 0; i <= 38; ++i)
        EXPECT_DOUBLE_EQ(s.TimeBaseSeconds(static_cast<std::int16_t>(i)), kSeconds[static_cast<size_t>(i)])
            << i;
    EXPECT_EQ(s.TimeBaseSeconds(-1), 0.0);
    EXPECT_EQ(s.TimeBaseSeconds(39), 0.0);
    for (int i = 0; i <= 38; ++i) {
        s.SetTimeBaseIndex(static_cast<std::int16_t>(i));
        EXPECT_DOUBLE_EQ(s.GetSecondsPerDiv(), kSeconds[static_cast<size_t>(i)]) << i;
    }
    // Models with offset 1: index i names step i + 1, so index 37 is the last one.
    s.SetIndexOffset(1);
    for (int i = 0; i <= 37; ++i)
        EXPECT_DOUBLE_EQ(s.TimeBaseSeconds(static_cast<std::int16_t>(i)),
                         kSeconds[static_cast<size_t>(i + 1)])
            << i;
    EXPECT_EQ(s.TimeBaseSeconds(38), 0.0);
    EXPECT_EQ(s.TimeBaseSeconds(-2), 0.0);
    EXPECT_DOUBLE_EQ(s.TimeBaseSeconds(-1), 2e-9);
}

TEST(Tables, TimeBaseIndexAcceptsEveryStepAndNothingBeyond) {
    for (int offset : {0, 1}) {
        CScopeSettings s;
        s.SetIndexOffset(static_cast<std::int16_t>(offset));
        const int last = 38 - offset;
        for (int i = 0; i <= last; ++i) {
            s.SetTimeBaseIndex(static_cast<std::int16_t>(i));
            EXPECT_EQ(s.GetTimeBaseIndex(), i) << offset;
        }
        s.SetTimeBaseIndex(static_cast<std::int16_t>(last + 1));
        EXPECT_EQ(s.GetTimeBaseIndex(), last) << offset;
        s.SetTimeBaseIndex(-1);
        EXPECT_EQ(s.GetTimeBaseIndex(), last) << offset;
        // Stepping up from 0 reaches the last index and stops there; stepping down returns.
        s.SetTimeBaseIndex(0);
        for (int i = 1; i <= 45; ++i) {
            s.TimeBaseUp();
            EXPECT_EQ(s.GetTimeBaseIndex(), std::min(i, last)) << offset;
        }
        for (int i = last - 1; i >= -3; --i) {
            s.TimeBaseDown();
            EXPECT_EQ(s.GetTimeBaseIndex(), std::max(i, 0)) << offset;
        }
    }
}

// A device state block with the three words the sample-rate texts read.
struct State {
    std::int16_t words[kv::kStateBlockWords] = {0, 0, 0, 0, 0, 0};
    State(int source, int channelMode, int code) {
        words[kv::kStateActiveSource] = static_cast<std::int16_t>(source);
        words[kv::kStateChannelMode] = static_cast<std::int16_t>(channelMode);
        words[kv::kStateRecordLength] = static_cast<std::int16_t>(code);
    }
};

const std::array<const char*, 13> kSlowRates = {"50S/s",    "25S/s",    "12.5S/s", "5S/s",    "2.5S/s",
                                                "1.25S/s",  "0.83S/s",  "0.42S/s", "0.21S/s", "0.083S/s",
                                                "0.042S/s", "0.021S/s", "0.014S/s"};

// Steps 11..25 of the real-time table: c = 0, c = 3, other c.
const std::array<std::array<const char*, 3>, 15> kRealTime = {{
    {"50MS/s", "50MS/s", "50MS/s"},
    {"50MS/s", "150MS/s", "150MS/s"},
    {"25MS/s", "50MS/s", "100MS/s"},
    {"10MS/s", "25MS/s", "50MS/s"},
    {"5MS/s", "10MS/s", "25MS/s"},
    {"2.5MS/s", "7.5MS/s", "10MS/s"},
    {"1MS/s", "3MS/s", "6MS/s"},
    {"500KS/s", "1.5MS/s", "3MS/s"},
    {"250KS/s", "750KS/s", "1.5MS/s"},
    {"100KS/s", "300KS/s", "600KS/s"},
    {"50KS/s", "150KS/s", "300KS/s"},
    {"25KS/s", "75KS/s", "150KS/s"},
    {"10KS/s", "30KS/s", "60KS/s"},
    {"5KS/s", "15KS/s", "30KS/s"},
    {"2.5KS/s", "7.5KS/s", "15KS/s"},
}};

// Steps 11..25 of the third table: c = 0, c = 5, other c.
const std::array<std::array<const char*, 3>, 15> kAlt = {{
    {"100MS/s", "100MS/s", "100MS/s"},
    {"50MS/s", "50MS/s", "50MS/s"},
    {"25MS/s", "25MS/s", "25MS/s"},
    {"10MS/s", "10MS/s", "10MS/s"},
    {"5MS/s", "250MS/s", "250MS/s"},
    {"2.5MS/s", "125MS/s", "250MS/s"},
    {"1MS/s", "50MS/s", "100MS/s"},
    {"500KS/s", "25MS/s", "50MS/s"},
    {"250KS/s", "12.5MS/s", "25MS/s"},
    {"100KS/s", "5MS/s", "10MS/s"},
    {"50KS/s", "2.5MS/s", "5MS/s"},
    {"25KS/s", "1.25MS/s", "2.5MS/s"},
    {"10KS/s", "500KS/s", "1MS/s"},
    {"5KS/s", "250KS/s", "500KS/s"},
    {"2.5KS/s", "125KS/s", "250KS/s"},
}};

const std::array<const char*, 7> kEtsRates = {"50GS/s",  "25GS/s", "10GS/s", "5GS/s",
                                              "2.5GS/s", "1GS/s",  "500MS/s"};

// Column of the real-time table (0: c = 0, 1: c = 3, 2: any other c).
int RealTimeColumn(int code) {
    return code == 0 ? 0 : (code == 3 ? 1 : 2);
}
int AltColumn(int code) {
    return code == 0 ? 0 : (code == 5 ? 1 : 2);
}

TEST(Tables, RealTimeSampleRateOfEveryStepCodeAndChannelMode) {
    CScopeSettings s;
    for (int code = 0; code <= 6; ++code) {
        for (const State& st : {State(0, 2, code), State(0, 0, code), State(1, 3, code), State(2, 2, code)}) {
            const bool shared = st.words[kv::kStateChannelMode] == 2 && st.words[kv::kStateActiveSource] != 2;
            EXPECT_EQ(s.SampleRateText(0, st.words), "") << code;
            for (int step = 1; step <= 10; ++step)
                EXPECT_EQ(s.SampleRateText(static_cast<std::int16_t>(step), st.words),
                          shared ? "50MS/s" : "100MS/s")
                    << step << " " << code;
            for (int step = 11; step <= 25; ++step)
                EXPECT_EQ(
                    s.SampleRateText(static_cast<std::int16_t>(step), st.words),
                    kRealTime[static_cast<size_t>(step - 11)][static_cast<size_t>(RealTimeColumn(code))])
                    << step << " " << code;
            for (int step = 26; step <= 38; ++step)
                EXPECT_EQ(s.SampleRateText(static_cast<std::int16_t>(step), st.words),
                          kSlowRates[static_cast<size_t>(step - 26)])
                    << step;
            EXPECT_EQ(s.SampleRateText(39, st.words), "0.00S/s");
            EXPECT_EQ(s.SampleRateText(-1, st.words), "0.00S/s");
        }
    }
}

TEST(Tables, EtsSampleRateOfEveryStepWithTheFlagOnAndOff) {
    for (int ets : {0, 1}) {
        CScopeSettings s;
        s.SetSamplingMode(static_cast<std::int16_t>(ets));
        for (int code = 0; code <= 6; ++code) {
            for (const State& st : {State(0, 2, code), State(0, 0, code), State(2, 2, code)}) {
                const bool shared =
                    st.words[kv::kStateChannelMode] == 2 && st.words[kv::kStateActiveSource] != 2;
                for (int step = 0; step <= 10; ++step) {
                    const std::string expected = (ets && step <= 6) ? kEtsRates[static_cast<size_t>(step)]
                                                 : shared           ? "75MS/s"
                                                                    : "150MS/s";
                    EXPECT_EQ(s.SampleRateTextEts(static_cast<std::int16_t>(step), st.words), expected)
                        << step << " " << code << " " << ets;
                }
                EXPECT_EQ(s.SampleRateTextEts(11, st.words), "75MS/s");
                const char* const step13[3] = {"25MS/s", "75MS/s", "150MS/s"};
                EXPECT_EQ(s.SampleRateTextEts(13, st.words), step13[RealTimeColumn(code)]) << code;
                for (int step : {12, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25})
                    EXPECT_EQ(
                        s.SampleRateTextEts(static_cast<std::int16_t>(step), st.words),
                        kRealTime[static_cast<size_t>(step - 11)][static_cast<size_t>(RealTimeColumn(code))])
                        << step << " " << code;
                for (int step = 26; step <= 38; ++step)
                    EXPECT_EQ(s.SampleRateTextEts(static_cast<std::int16_t>(step), st.words),
                              kSlowRates[static_cast<size_t>(step - 26)]);
                EXPECT_EQ(s.SampleRateTextEts(39, st.words), "0.00S/s");
            }
        }
    }
}

TEST(Tables, ThirdSampleRateTableOfEveryStepWithTheEtsFlagOnAndOff) {
    for (int ets : {0, 1}) {
        CScopeSettings s;
        s.SetSamplingMode(static_cast<std::int16_t>(ets));
        for (int code = 0; code <= 6; ++code) {
            for (const State& st : {State(0, 2, code), State(1, 3, code), State(2, 2, code)}) {
                const bool shared =
                    st.words[kv::kStateChannelMode] == 2 && st.words[kv::kStateActiveSource] != 2;
                for (int step = 0; step <= 10; ++step) {
                    const std::string expected = (ets && step <= 6) ? kEtsRates[static_cast<size_t>(step)]
                                                 : shared           ? "125MS/s"
                                                                    : "250MS/s";
                    EXPECT_EQ(s.SampleRateTextAlt(static_cast<std::int16_t>(step), st.words), expected)
                        << step << " " << code << " " << ets;
                }
                for (int step = 11; step <= 25; ++step)
                    EXPECT_EQ(s.SampleRateTextAlt(static_cast<std::int16_t>(step), st.words),
                              kAlt[static_cast<size_t>(step - 11)][static_cast<size_t>(AltColumn(code))])
                        << step << " " << code;
                for (int step = 26; step <= 38; ++step)
                    EXPECT_EQ(s.SampleRateTextAlt(static_cast<std::int16_t>(step), st.words),
                              kSlowRates[static_cast<size_t>(step - 26)]);
                EXPECT_EQ(s.SampleRateTextAlt(39, st.words), "0.00S/s");
            }
        }
    }
}

TEST(Tables, SampleRateTextsFollowTheIndexOffset) {
    CScopeSettings s;
    s.SetIndexOffset(1);
    const State st(0, 0, 0);
    // Index i reads step i + 1.
    EXPECT_EQ(s.SampleRateText(0, st.words), "100MS/s");
    EXPECT_EQ(s.SampleRateText(10, st.words), "50MS/s");
    EXPECT_EQ(s.SampleRateText(24, st.words), "2.5KS/s");
    EXPECT_EQ(s.SampleRateText(25, st.words), "50S/s");
    EXPECT_EQ(s.SampleRateText(37, st.words), "0.014S/s");
    EXPECT_EQ(s.SampleRateText(38, st.words), "0.00S/s");
    EXPECT_EQ(s.SampleRateTextAlt(37, st.words), "0.014S/s");
    EXPECT_EQ(s.SampleRateTextEts(38, st.words), "0.00S/s");
}

// Volts per division at probe x1 and the probe factors.
constexpr std::array<double, 10> kVolts = {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10};
constexpr std::array<double, 4> kProbe = {1, 10, 100, 1000};
const std::array<const char*, 19> kLadder = {
    "10.0mV", "20.0mV", "50.0mV", "100mV", "200mV", "500mV",  "1.00V",  "2.00V",  "5.00V", "10.0V",
    "20.0V",  "50.0V",  "100V",   "200V",  "500V",  "1.00kV", "2.00kV", "5.00kV", "10.0kV"};

TEST(Tables, VoltsPerDivisionOfEveryIndexAndProbe) {
    CTrace t;
    for (int probe = 0; probe <= 3; ++probe) {
        t.SetProbe(static_cast<std::int16_t>(probe));
        for (int index = 0; index <= 9; ++index) {
            t.SetVoltsPerDivIndex(static_cast<std::int16_t>(index));
            const double expected = kVolts[static_cast<size_t>(index)] * kProbe[static_cast<size_t>(probe)];
            EXPECT_DOUBLE_EQ(t.GetVoltsPerDiv(), expected) << index << " " << probe;
            EXPECT_DOUBLE_EQ(t.GetVoltsPerDivOf(static_cast<std::int16_t>(index)), expected);
        }
        // The first index outside the table on either side counts as 1 V.
        for (int index : {-1, 10}) {
            t.SetVoltsPerDivIndex(static_cast<std::int16_t>(index));
            EXPECT_DOUBLE_EQ(t.GetVoltsPerDiv(), kProbe[static_cast<size_t>(probe)]) << index;
        }
    }
    // A probe outside 0..3 counts as x1.
    t.SetVoltsPerDivIndex(3);
    for (int probe : {-1, 4}) {
        t.SetProbe(static_cast<std::int16_t>(probe));
        EXPECT_DOUBLE_EQ(t.GetVoltsPerDiv(), 0.1) << probe;
    }
}

TEST(Tables, VoltDivAndProbeLabelsOfEveryEntry) {
    CTrace t;
    for (int index = 0; index <= 9; ++index) {
        t.SetVoltsPerDivIndex(static_cast<std::int16_t>(index));
        for (int probe = 0; probe <= 3; ++probe) {
            t.SetProbe(static_cast<std::int16_t>(probe));
            EXPECT_EQ(t.GetVoltDivText(), kLadder[static_cast<size_t>(index)]) << index;
            EXPECT_EQ(t.GetProbeVoltDivText(), kLadder[static_cast<size_t>(probe * 3 + index)])
                << index << " " << probe;
        }
    }
    for (int index : {-1, 10}) {
        t.SetVoltsPerDivIndex(static_cast<std::int16_t>(index));
        t.SetProbe(0);
        EXPECT_EQ(t.GetVoltDivText(), "1.00V") << index;
    }
    const std::array<const char*, 4> probes = {"x1", "x10", "x100", "x1000"};
    for (int probe = 0; probe <= 3; ++probe) {
        t.SetProbe(static_cast<std::int16_t>(probe));
        EXPECT_EQ(t.GetProbeText(), probes[static_cast<size_t>(probe)]);
    }
    for (int probe : {-1, 4}) {
        t.SetProbe(static_cast<std::int16_t>(probe));
        EXPECT_EQ(t.GetProbeText(), "x1") << probe;
    }
    const std::array<const char*, 3> couplings = {"DC", "AC", "GND"};
    for (int c = 0; c <= 2; ++c) {
        t.SetCoupling(static_cast<std::int16_t>(c));
        EXPECT_EQ(t.GetCouplingText(), couplings[static_cast<size_t>(c)]) << c;
    }
    for (int c : {-1, 3}) {
        t.SetCoupling(static_cast<std::int16_t>(c));
        EXPECT_EQ(t.GetCouplingText(), "AC") << c;
    }
}

// Default level tables (high, low) by volts/div index, and the range words they give: each word
// x 4096 / 3898, truncated.
struct LevelRow {
    int high, low, scaledHigh, scaledLow;
};
constexpr std::array<LevelRow, 10> kCh1Levels = {{{1341, 1190, 1409, 1250},
                                                  {1600, 1178, 1681, 1237},
                                                  {1605, 605, 1686, 635},
                                                  {2762, 676, 2902, 710},
                                                  {1569, 1192, 1648, 1252},
                                                  {1573, 601, 1652, 631},
                                                  {2670, 678, 2805, 712},
                                                  {1586, 1172, 1666, 1231},
                                                  {1570, 620, 1649, 651},
                                                  {2601, 652, 2733, 685}}};
constexpr std::array<LevelRow, 10> kCh2Levels = {{{1330, 1178, 1397, 1237},
                                                  {1592, 1175, 1672, 1234},
                                                  {1612, 578, 1693, 607},
                                                  {2688, 696, 2824, 731},
                                                  {1575, 1161, 1655, 1219},
                                                  {1542, 604, 1620, 634},
                                                  {2730, 596, 2868, 626},
                                                  {1553, 1168, 1631, 1227},
                                                  {1563, 556, 1642, 584},
                                                  {2632, 598, 2765, 628}}};

TEST(Tables, TriggerLevelTablesAndTheRangeWordsOfEveryIndex) {
    CTrigger t;
    for (int i = 0; i <= 9; ++i) {
        const LevelRow& a = kCh1Levels[static_cast<size_t>(i)];
        const LevelRow& b = kCh2Levels[static_cast<size_t>(i)];
        EXPECT_EQ(t.GetLevelPair(0, i).high, a.high) << i;
        EXPECT_EQ(t.GetLevelPair(0, i).low, a.low) << i;
        EXPECT_EQ(t.GetLevelPair(1, i).high, b.high) << i;
        EXPECT_EQ(t.GetLevelPair(1, i).low, b.low) << i;
        // CH1 active: CH1's pair at CH1's index, whatever CH2's index is; and the reverse.
        const auto other = static_cast<std::int16_t>(9 - i);
        t.ComputeLevelRange(static_cast<std::int16_t>(i), other, 0);
        EXPECT_EQ(t.GetLevelRangeHigh(), a.scaledHigh) << i;
        EXPECT_EQ(t.GetLevelRangeLow(), a.scaledLow) << i;
        t.ComputeLevelRange(other, static_cast<std::int16_t>(i), 1);
        EXPECT_EQ(t.GetLevelRangeHigh(), b.scaledHigh) << i;
        EXPECT_EQ(t.GetLevelRangeLow(), b.scaledLow) << i;
    }
    // The first index outside the table on either side, and ALT, leave the words as they were.
    t.ComputeLevelRange(3, 3, 0);
    for (const auto [ch1, ch2, source] :
         {std::array<int, 3>{-1, 3, 0}, std::array<int, 3>{10, 3, 0}, std::array<int, 3>{3, -1, 1},
          std::array<int, 3>{3, 10, 1}, std::array<int, 3>{3, 3, 2}}) {
        t.ComputeLevelRange(static_cast<std::int16_t>(ch1), static_cast<std::int16_t>(ch2),
                            static_cast<std::int16_t>(source));
        EXPECT_EQ(t.GetLevelRangeHigh(), 2902) << ch1 << " " << ch2 << " " << source;
        EXPECT_EQ(t.GetLevelRangeLow(), 710);
    }
    for (int source : {3, 4}) {
        t.ComputeLevelRange(3, 3, 0);
        t.ComputeLevelRange(-5, 40, static_cast<std::int16_t>(source));
        EXPECT_EQ(t.GetLevelRangeHigh(), 3085);
        EXPECT_EQ(t.GetLevelRangeLow(), 497);
    }
    EXPECT_EQ(t.GetLevelPair(0, 10).high, 0);
    EXPECT_EQ(t.GetLevelPair(1, -1).low, 0);
}

TEST(Tables, TriggerSettingsAcceptExactlyTheirRanges) {
    CTrigger t;
    for (int v = -1; v <= 5; ++v) {
        t.SetSource(1);
        t.SetSource(static_cast<std::int16_t>(v));
        EXPECT_EQ(t.GetSource(), (v >= 0 && v <= 4) ? v : 1) << v;
        t.SetSweep(kSweepNormal);
        t.SetSweep(static_cast<std::int16_t>(v));
        EXPECT_EQ(t.GetSweep(), (v >= 0 && v <= 2) ? v : 1) << v;
        t.SetSlope(kSlopeFalling);
        t.SetSlope(static_cast<std::int16_t>(v));
        EXPECT_EQ(t.GetSlope(), (v >= 0 && v <= 1) ? v : 1) << v;
        t.SetTriggerType(kTriggerPulse);
        t.SetTriggerType(static_cast<std::int16_t>(v));
        EXPECT_EQ(t.GetTriggerType(), (v >= 0 && v <= 1) ? v : 1) << v;
    }
}

class RecordLengthTable : public ::testing::Test {
protected:
    RecordLengthTable() {
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
    }
    CKelvaneDoc doc;
};

TEST_F(RecordLengthTable, EveryCodeGivesItsLengthAndOtherCodesGiveTheShortest) {
    const std::array<std::int32_t, 7> lengths = {10240, 14336, 14336, 32768, 32768, 524288, 524288};
    for (int code : {-1, 0, 1, 2, 3, 4, 5, 6, 7}) {
        doc.m_ref.SetRecordLength(777);
        doc.SetRecordLength(static_cast<std::int16_t>(code));
        const bool known = code >= 1 && code <= 6;
        const std::int32_t expected = known ? lengths[static_cast<size_t>(code)] : 10240;
        EXPECT_EQ(doc.m_ch1.GetRecordLength(), expected) << code;
        EXPECT_EQ(doc.m_ch2.GetRecordLength(), expected) << code;
        EXPECT_EQ(doc.m_math.GetRecordLength(), expected) << code;
        EXPECT_EQ(doc.m_ref.GetRecordLength(), 777) << code;
        EXPECT_EQ(doc.m_usb.GetStateWord(kv::kStateRecordLength), known ? code : 0) << code;
    }
}

TEST(Tables, RecordLengthModesAreAcceptedUpToSix) {
    CScopeSettings s;
    for (int mode = -1; mode <= 7; ++mode) {
        s.SetRecordLengthMode(kRecordLength28K);
        s.SetRecordLengthMode(static_cast<std::int16_t>(mode));
        EXPECT_EQ(s.GetRecordLengthMode(), (mode >= 0 && mode <= 6) ? mode : 2) << mode;
    }
    for (int format = -1; format <= 3; ++format) {
        s.SetTimeBaseFormat(kFormatRoll);
        s.SetTimeBaseFormat(static_cast<std::int16_t>(format));
        EXPECT_EQ(s.GetTimeBaseFormat(), (format >= 0 && format <= 2) ? format : 1) << format;
    }
}

// The unit steps of the measurement texts, both sides of every edge.
TEST(Tables, MeasurementUnitsChangeExactlyAtTheirEdges) {
    EXPECT_EQ(FormatVolts(1000.0f), "1.00kV");
    EXPECT_EQ(FormatVolts(999.0f), "999V");
    EXPECT_EQ(FormatVolts(1.0f), "1.00V");
    EXPECT_EQ(FormatVolts(0.5f), "500mV");
    EXPECT_EQ(FormatVolts(0.001f), "1.00mV");
    EXPECT_EQ(FormatVolts(0.00025f), "250uV");
    EXPECT_EQ(FormatVolts(0.000002f), "2.00uV");
    EXPECT_EQ(FormatVolts(-0.25f), "-250mV");
    EXPECT_EQ(FormatVolts(12.5f), "12.5V");

    EXPECT_EQ(FormatSeconds(1.0), "1.00s");
    EXPECT_EQ(FormatSeconds(0.5), "500ms");
    EXPECT_EQ(FormatSeconds(0.001), "1.00ms");
    EXPECT_EQ(FormatSeconds(0.0005), "500us");
    EXPECT_EQ(FormatSeconds(0.000001), "1.00us");
    EXPECT_EQ(FormatSeconds(0.0000005), "500ns");
    EXPECT_EQ(FormatSeconds(2.5e-9), "2.50ns");
    EXPECT_EQ(FormatSeconds(1e-9), "1.00ns");
    EXPECT_EQ(FormatSeconds(5e-10), "0.00");

    EXPECT_EQ(FormatHertz(999.0), "999Hz");
    EXPECT_EQ(FormatHertz(1000.0), "1.00kHz");
    EXPECT_EQ(FormatHertz(125000.0), "125kHz");
    EXPECT_EQ(FormatHertz(999000.0), "999kHz");
    EXPECT_EQ(FormatHertz(1e6), "1.00MHz");
    EXPECT_EQ(FormatHertz(25e6), "25.0MHz");
    EXPECT_EQ(FormatHertz(1e9), "1.00GHz");
}

} // namespace
