// The software trigger's exact edges: the 10-code window around the level, the strict comparison
// of the samples 40 either side, and the last sample of the search with the full and the shortened
// span.
#include "engine/Trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

class SoftTriggerEdges : public ::testing::Test {
protected:
    void SetUp() override {
        t.AllocateRecords(65535);
        t.SetModel(4);
        t.SetRecordLength(10240);
        t.SetVoltsPerDivIndex(6);
        t.SetPosition(256.0f);
    }
    // A noisy low level before sample c, a noisy high level after it, and `value` at c.
    void Step(int c, int value) {
        std::int16_t* w = t.GetWorkRecord();
        for (int i = 0; i < 65535; ++i) {
            const int ripple = static_cast<int>(std::lround(15.0 * std::sin(i * 0.3)));
            w[i] = static_cast<std::int16_t>(i < c ? 120 + ripple : 390 + ripple);
        }
        w[c] = static_cast<std::int16_t>(value);
    }
    static constexpr std::int16_t kLevelWord = 511 - 256; // target code 256
    CTrace t;
};

TEST_F(SoftTriggerEdges, OnlySamplesWithinNineCodesOfTheLevelCanTrigger) {
    const struct {
        int value;
        bool found;
    } cases[] = {{256, true}, {265, true}, {247, true}, {266, false}, {246, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Step(3000, c.value);
        // Position 0: trigger sample 0, search from sample 40.
        const int tp = t.SoftTriggerAlign(0, 2, kLevelWord, 0);
        EXPECT_EQ(tp, c.found ? 3000 : 0);
    }
}

TEST_F(SoftTriggerEdges, NeighboursOnTheLevelDoNotMakeACrossing) {
    // Both candidates 2960 and 3000 sit on the level; each has a neighbour exactly on it too.
    Step(3000, 256);
    t.GetWorkRecord()[2960] = 256;
    EXPECT_EQ(t.SoftTriggerAlign(0, 2, kLevelWord, 0), 0);
    // Falling slope over a falling step, mirrored.
    std::int16_t* w = t.GetWorkRecord();
    for (int i = 0; i < 65535; ++i)
        w[i] = static_cast<std::int16_t>(i < 3000 ? 390 : 120);
    w[3000] = 256;
    w[3040] = 256;
    EXPECT_EQ(t.SoftTriggerAlign(0, 2, kLevelWord, 1), 0);
    w[3040] = 120;
    EXPECT_EQ(t.SoftTriggerAlign(0, 2, kLevelWord, 1), 3000);
}

TEST_F(SoftTriggerEdges, SearchEndsAtItsLastSample) {
    const struct {
        int position; // horizontal position 0..500
        int sample;   // its trigger sample
        int crossing;
        bool found;
    } cases[] = {
        // Position 0: trigger sample 0, samples 40 .. 22527.
        {0, 0, 22527, true},
        {0, 0, 22528, false},
        // Position 498: trigger sample 10199 leaves 40 samples after it, the full span.
        {498, 10199, 10199 + 22527, true},
        {498, 10199, 10199 + 22528, false},
        // Position 499: trigger sample 10219 leaves fewer, the span is 40 shorter.
        {499, 10219, 10219 + 22487, true},
        {499, 10219, 10219 + 22488, false},
        // Position 500 is capped at sample 10239.
        {500, 10239, 10239 + 22487, true},
        {500, 10239, 10239 + 22488, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "position " << c.position << ", crossing " << c.crossing);
        Step(c.crossing, 256);
        EXPECT_EQ(t.SoftTriggerAlign(static_cast<std::int16_t>(c.position), 2, kLevelWord, 0),
                  c.found ? c.crossing : c.sample);
    }
}

} // namespace
