#include "engine/Trace.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(Trace, ConstructionDefaults) {
    CTrace t;
    EXPECT_EQ(t.GetDisplayPointCount(), 500);
    EXPECT_EQ(t.GetTaps(), 10);
    EXPECT_DOUBLE_EQ(t.GetTableFactor(), 1.0);
    EXPECT_EQ(t.GetRollPointsHeld(), 0);
    EXPECT_EQ(t.GetRollNewPoints(), 1);
    // A stored record can be re-rendered before any live display has set the window.
    EXPECT_EQ(t.GetWindowLength(), 10000);
    EXPECT_EQ(t.GetRawRecord(), nullptr);
    EXPECT_EQ(t.GetWorkRecord(), nullptr);
}

TEST(Trace, VoltsPerDivFollowsIndexAndProbe) {
    CTrace t;
    t.SetVoltsPerDivIndex(9);
    t.SetProbe(3);
    EXPECT_DOUBLE_EQ(t.GetVoltsPerDiv(), 10000.0);
    t.SetVoltsPerDivIndex(12);
    t.SetProbe(1);
    EXPECT_DOUBLE_EQ(t.GetVoltsPerDiv(), 10.0);
    t.SetVoltsPerDivIndex(0);
    t.SetProbe(7);
    EXPECT_DOUBLE_EQ(t.GetVoltsPerDiv(), 0.01);
    t.SetProbe(2);
    EXPECT_DOUBLE_EQ(t.GetVoltsPerDivOf(5), 50.0);
    EXPECT_DOUBLE_EQ(t.GetVoltsPerDivOf(-1), 100.0);
}

TEST(Trace, VoltDivTextsAndProbeLabels) {
    CTrace t;
    const char* const plain[10] = {"10.0mV", "20.0mV", "50.0mV", "100mV", "200mV",
                                   "500mV",  "1.00V",  "2.00V",  "5.00V", "10.0V"};
    for (int i = 0; i < 10; ++i) {
        t.SetVoltsPerDivIndex(static_cast<std::int16_t>(i));
        EXPECT_EQ(t.GetVoltDivText(), plain[i]);
    }
    t.SetVoltsPerDivIndex(10);
    EXPECT_EQ(t.GetVoltDivText(), "1.00V");

    t.SetVoltsPerDivIndex(9);
    t.SetProbe(3);
    EXPECT_EQ(t.GetProbeVoltDivText(), "10.0kV");
    t.SetVoltsPerDivIndex(0);
    t.SetProbe(0);
    EXPECT_EQ(t.GetProbeVoltDivText(), "10.0mV");
    t.SetVoltsPerDivIndex(6);
    t.SetProbe(1);
    EXPECT_EQ(t.GetProbeVoltDivText(), "10.0V"); // 1 V x10
    t.SetVoltsPerDivIndex(4);
    t.SetProbe(2);
    EXPECT_EQ(t.GetProbeVoltDivText(), "20.0V"); // 200 mV x100
}

TEST(Trace, ProbeVoltDivTextRefusesOutOfRangeSettings) {
    CTrace t;
    // probe 4 / index 9 would read label 21 of 19.
    t.SetVoltsPerDivIndex(9);
    t.SetProbe(4);
    EXPECT_EQ(t.GetProbeVoltDivText(), "1.00V");
    t.SetProbe(-1);
    EXPECT_EQ(t.GetProbeVoltDivText(), "1.00V");
    t.SetProbe(0);
    t.SetVoltsPerDivIndex(10);
    EXPECT_EQ(t.GetProbeVoltDivText(), "1.00V");
    t.SetVoltsPerDivIndex(-3);
    EXPECT_EQ(t.GetProbeVoltDivText(), "1.00V");
}

TEST(Trace, CouplingAndProbeTexts) {
    CTrace t;
    const std::pair<int, const char*> coupling[] = {{0, "DC"}, {1, "AC"}, {2, "GND"}, {3, "AC"}, {-1, "AC"}};
    for (const auto& [value, text] : coupling) {
        t.SetCoupling(static_cast<std::int16_t>(value));
        EXPECT_EQ(t.GetCouplingText(), text);
    }
    const std::pair<int, const char*> probe[] = {{0, "x1"}, {1, "x10"}, {2, "x100"}, {3, "x1000"}, {4, "x1"}};
    for (const auto& [value, text] : probe) {
        t.SetProbe(static_cast<std::int16_t>(value));
        EXPECT_EQ(t.GetProbeText(), text);
    }
}

TEST(Trace, RawToVoltsAndBackUseTheDisplayScale) {
    CTrace t;
    t.SetVoltsPerDivIndex(6);
    t.SetPosition(128.0f);
    EXPECT_DOUBLE_EQ(t.RawToVolts(383), 0.0);
    t.SetPosition(0.0f);
    t.SetVoltsPerDivIndex(7);
    EXPECT_NEAR(t.RawToVolts(511), 0.0, 1e-12);
    t.SetPosition(511.0f);
    EXPECT_NEAR(t.RawToVolts(511), 8 * 2.0, 1e-9);

    for (float pos : {0.0f, 128.0f, 255.5f, 384.0f}) {
        for (int vdiv = 0; vdiv < 10; ++vdiv) {
            t.SetPosition(pos);
            t.SetVoltsPerDivIndex(static_cast<std::int16_t>(vdiv));
            for (int c = 0; c <= 511; ++c) {
                const int back = t.VoltsToRaw(t.RawToVolts(static_cast<std::int16_t>(c)));
                EXPECT_TRUE(back == c || back == c - 1) << c << " -> " << back;
            }
        }
    }
}

TEST(Trace, AllocationAndRecordLengthNeverExceedTheBuffers) {
    CTrace t;
    // Without buffers every step is harmless.
    t.CopyRecord();
    t.FillZeroLevel();
    t.RollAppend();
    t.SaveAcquisitionState(1);

    t.AllocateRecords(1000);
    EXPECT_EQ(t.GetRecordCapacity(), 65535);
    t.SetRecordLength(0);
    EXPECT_EQ(t.GetRecordLength(), 10240);
    t.SetRecordLength(524288);
    EXPECT_EQ(t.GetRecordLength(), 524288);
    std::fill(t.GetRawRecord(), t.GetRawRecord() + t.GetRecordCapacity(), std::int16_t{7});
    t.CopyRecord2(); // capped at the 65535-sample buffer
    EXPECT_EQ(t.GetWorkRecord()[65534], 7);

    t.AllocateRecords(524288);
    EXPECT_EQ(t.GetRecordCapacity(), 524288);
    EXPECT_EQ(t.GetRawRecord()[524287], 0);
}

TEST(Trace, FillZeroLevelCoversTheInterpolatedRecord) {
    CTrace t;
    t.AllocateRecords(65535);
    t.SetRecordLength(10240);
    std::fill(t.GetWorkRecord(), t.GetWorkRecord() + 65535, std::int16_t{99});
    t.SetPosition(128.7f);
    t.FillZeroLevel();
    // Alignment at the fast time bases reads up to index 32767: no old samples may remain.
    EXPECT_EQ(t.GetWorkRecord()[0], 383);
    EXPECT_EQ(t.GetWorkRecord()[10239], 383);
    EXPECT_EQ(t.GetWorkRecord()[32767], 383);
    EXPECT_EQ(t.GetWorkRecord()[32768], 99);
}

TEST(Trace, SaveAcquisitionStateCopiesScreenOnRequest) {
    CTrace t;
    t.AllocateRecords(65535);
    t.SetVoltsPerDivIndex(3);
    t.SetPosition(200.0f);
    for (int i = 0; i < 500; ++i)
        t.GetScreenTrace()[i] = static_cast<std::int16_t>(i);
    t.SaveAcquisitionState(0);
    EXPECT_EQ(t.GetVoltsPerDivAtAcquisition(), 3);
    EXPECT_FLOAT_EQ(t.GetPositionAtAcquisition(), 200.0f);
    EXPECT_EQ(t.GetWorkRecord()[499], 0);
    t.SaveAcquisitionState(1);
    EXPECT_EQ(t.GetWorkRecord()[499], 499);
}

TEST(Trace, FindValidRangeOfAnAllGapTraceIsEmpty) {
    CTrace t;
    std::fill(t.GetScreenTrace(), t.GetScreenTrace() + 500, CTrace::kGap);
    t.FindValidRange(500);
    EXPECT_GT(t.GetFirstValid(), t.GetLastValid());
    t.GetScreenTrace()[17] = 3;
    t.GetScreenTrace()[420] = 5;
    t.FindValidRange(500);
    EXPECT_EQ(t.GetFirstValid(), 17);
    EXPECT_EQ(t.GetLastValid(), 420);
    t.FindValidRange(100);
    EXPECT_EQ(t.GetLastValid(), 17);
    t.FindValidRange(9999); // never scans past the 500 points
    EXPECT_EQ(t.GetLastValid(), 420);
}

} // namespace
