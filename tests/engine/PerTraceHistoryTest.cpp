// Persistence histories of all four traces after real acquisition ticks: each history holds its
// own trace's points and colour, REF included, with CH1 and CH2 carrying different signals. Also
// the time bases at which a triggered demo capture starts the pre-trigger wait.
#include "engine/KelvaneDoc.h"

#include "SignalZendral.h"
#include "zendral/ZendralRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

class PerTraceHistoryTest : public ::testing::Test {
protected:
    PerTraceHistoryTest() {
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.SetIntervalClock([this] { return now; });
        doc.ApplySettingsToDevice();
        fake->ClearCalls();
    }
    std::shared_ptr<SignalZendral> fake = std::make_shared<SignalZendral>();
    kv::ScopedZendral scope{fake};
    CKelvaneDoc doc;
    std::uint32_t now = 1000;
};

std::vector<std::int16_t> Points(const CTrace& t) {
    return std::vector<std::int16_t>(t.GetScreenTrace(), t.GetScreenTrace() + CTrace::kScreenPoints);
}

std::vector<std::int16_t> Points(const PersistenceRecord* r) {
    return r ? std::vector<std::int16_t>(r->points, r->points + CTrace::kScreenPoints)
             : std::vector<std::int16_t>{};
}

TEST_F(PerTraceHistoryTest, EveryTraceKeepsItsOwnPointsAndColour) {
    doc.SetPersistenceEnabled(1);
    doc.SetPersistenceDepth(16); // the largest depth keeps no history at all
    doc.m_math.SetOn(1);
    doc.m_ref.SetOn(1);
    for (int i = 0; i < 3; ++i)
        doc.AcquireTick();
    for (short t = 0; t < 4; ++t)
        EXPECT_EQ(doc.GetPersistenceCount(t), 0) << t;

    doc.SetPersistenceDepth(2);
    for (int i = 0; i < 3; ++i)
        doc.AcquireTick();
    const CTrace* traces[4] = {&doc.m_ch1, &doc.m_ch2, &doc.m_math, &doc.m_ref};
    // The two inputs differ, so a history filled from the wrong channel shows.
    ASSERT_NE(Points(doc.m_ch1), Points(doc.m_ch2));
    for (short t = 0; t < 4; ++t) {
        SCOPED_TRACE(t);
        EXPECT_EQ(doc.GetPersistenceCount(t), 2);
        const PersistenceRecord* newest = doc.m_persistence.GetRecord(t, 1);
        ASSERT_NE(newest, nullptr);
        EXPECT_EQ(Points(newest), Points(*traces[t]));
        EXPECT_EQ(newest->color, traces[t]->GetColor());
    }
    EXPECT_EQ(doc.m_persistence.GetRecord(3, 2), nullptr);
}

// A triggered demo capture starts the pre-trigger wait from 100 us/div up to, not including,
// 1 s/div.
TEST_F(PerTraceHistoryTest, DemoCaptureStartsTheWaitOnlyBelowOneSecondPerDivision) {
    doc.SetDemoMode(1);
    doc.m_demo.Seed(4);
    const struct {
        int index;
        int waits;
    } rows[] = {{13, 0}, {14, 1}, {24, 1}, {25, 1}, {26, 0}, {27, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.index);
        doc.m_settings.SetTimeBaseIndex(static_cast<std::int16_t>(row.index));
        doc.m_bPretriggerWait = 0;
        doc.UpdateDemoParameters();
        std::fill_n(doc.m_ch1.GetRawRecord(), 10240, std::int16_t{-9});
        doc.PollDemoCapture();
        // The demo sine triggers on every poll: the records were filled.
        ASSERT_NE(doc.m_ch1.GetRawRecord()[5000], -9);
        EXPECT_EQ(doc.m_bPretriggerWait, row.waits);
    }
}

} // namespace
