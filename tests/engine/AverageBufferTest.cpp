#include "engine/AverageBuffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::int16_t> Flat(int value) {
    return std::vector<std::int16_t>(500, static_cast<std::int16_t>(value));
}

// Runs one processed frame the way the acquisition cycle does: held first, then push and average.
std::vector<std::int16_t> Frame(CAverageBuffer& avg, int value, int channel = 0) {
    auto screen = Flat(value);
    avg.BeginFrame();
    avg.AverageTrace(channel, screen.data());
    return screen;
}

TEST(AverageBuffer, DefaultsAndModeChangesAllocateAndReleaseRings) {
    CAverageBuffer avg;
    EXPECT_EQ(avg.GetAcquireMode(), CAverageBuffer::kModeNormal);
    EXPECT_EQ(avg.GetFramesWanted(), 1);
    EXPECT_EQ(avg.GetFramesHeld(), 0);
    EXPECT_FALSE(avg.HasRings());

    EXPECT_EQ(avg.SetAcquireMode(CAverageBuffer::kModeAverage), 0); // entering Average
    EXPECT_TRUE(avg.HasRings());
    EXPECT_EQ(avg.SetAcquireMode(CAverageBuffer::kModeAverage), 1); // already Average: rings kept
    EXPECT_TRUE(avg.HasRings());
    EXPECT_EQ(avg.SetAcquireMode(CAverageBuffer::kModePeakDetect), 1);
    EXPECT_FALSE(avg.HasRings());
    EXPECT_EQ(avg.GetAcquireMode(), CAverageBuffer::kModePeakDetect);

    // Back to Average: fresh zeroed rings.
    avg.SetAcquireMode(CAverageBuffer::kModeAverage);
    avg.SetFramesWanted(4);
    Frame(avg, 300);
    avg.SetAcquireMode(CAverageBuffer::kModeNormal);
    EXPECT_FALSE(avg.HasRings());
    avg.SetAcquireMode(CAverageBuffer::kModeAverage);
    for (int i = 0; i < 128 * 500; ++i)
        ASSERT_EQ(avg.GetRingCh1()[i], 0);
    for (int i = 0; i < 128 * 500; ++i)
        ASSERT_EQ(avg.GetRingCh2()[i], 0);
}

TEST(AverageBuffer, DefaultsReturnToNormalAndReleaseRings) {
    // Restoring the defaults goes through the mode setter, so Average's rings are released.
    CAverageBuffer avg;
    avg.SetAcquireMode(CAverageBuffer::kModeAverage);
    avg.SetFramesWanted(16);
    avg.SetFramesHeld(7);
    avg.SetDefaults();
    EXPECT_EQ(avg.GetAcquireMode(), CAverageBuffer::kModeNormal);
    EXPECT_FALSE(avg.HasRings());
    EXPECT_EQ(avg.GetFramesHeld(), 0);
    EXPECT_EQ(avg.GetFramesWanted(), 1);
}

TEST(AverageBuffer, UnknownModeIsNormal) {
    CAverageBuffer avg;
    avg.SetAcquireMode(CAverageBuffer::kModeAverage);
    avg.SetAcquireMode(7);
    EXPECT_EQ(avg.GetAcquireMode(), CAverageBuffer::kModeNormal);
    EXPECT_FALSE(avg.HasRings());
    avg.SetAcquireMode(-3);
    EXPECT_EQ(avg.GetAcquireMode(), CAverageBuffer::kModeNormal);
}

TEST(AverageBuffer, MeanOfFramesHeldThenSlidingWindow) {
    CAverageBuffer avg;
    avg.SetAcquireMode(CAverageBuffer::kModeAverage);
    avg.SetFramesWanted(4);
    EXPECT_EQ(Frame(avg, 100)[0], 100);
    EXPECT_EQ(Frame(avg, 200)[0], 150); // after 2 frames: mean of the 2
    EXPECT_EQ(Frame(avg, 300)[0], 200);
    EXPECT_EQ(Frame(avg, 400)[250], 250);
    EXPECT_EQ(avg.GetFramesHeld(), 4);
    // Fifth frame: frames 2..5 = 200, 300, 400, 500.
    auto out = Frame(avg, 500);
    EXPECT_EQ(out[0], 350);
    EXPECT_EQ(out[499], 350);
    EXPECT_EQ(avg.GetFramesHeld(), 4);
}

TEST(AverageBuffer, IntegerDivisionTruncates) {
    CAverageBuffer avg;
    avg.SetAcquireMode(CAverageBuffer::kModeAverage);
    avg.SetFramesWanted(3);
    Frame(avg, 10);
    Frame(avg, 10);
    EXPECT_EQ(Frame(avg, 11)[0], 10); // 31 / 3
    // Negative sums truncate toward zero.
    CAverageBuffer neg;
    neg.SetAcquireMode(CAverageBuffer::kModeAverage);
    neg.SetFramesWanted(2);
    Frame(neg, -3);
    EXPECT_EQ(Frame(neg, 0)[0], -1); // -3 / 2
}

TEST(AverageBuffer, ChannelsKeepSeparateRings) {
    CAverageBuffer avg;
    avg.SetAcquireMode(CAverageBuffer::kModeAverage);
    avg.SetFramesWanted(2);
    auto a = Flat(100), b = Flat(400);
    avg.BeginFrame();
    avg.AverageTrace(0, a.data());
    avg.AverageTrace(1, b.data());
    a = Flat(200);
    b = Flat(500);
    avg.BeginFrame();
    avg.AverageTrace(0, a.data());
    avg.AverageTrace(1, b.data());
    EXPECT_EQ(a[0], 150);
    EXPECT_EQ(b[0], 450);
}

TEST(AverageBuffer, WantedCountIsClampedSoItNeverOverruns) {
    CAverageBuffer avg;
    avg.SetFramesWanted(0);
    EXPECT_EQ(avg.GetFramesWanted(), 1);
    avg.SetFramesWanted(-5);
    EXPECT_EQ(avg.GetFramesWanted(), 1);
    avg.SetFramesWanted(129);
    EXPECT_EQ(avg.GetFramesWanted(), 128);
    avg.SetFramesWanted(32767);
    EXPECT_EQ(avg.GetFramesWanted(), 128);

    // 200 frames at the largest count: the ring slides and the mean stays correct.
    avg.SetAcquireMode(CAverageBuffer::kModeAverage);
    std::vector<std::int16_t> out;
    for (int i = 1; i <= 200; ++i)
        out = Frame(avg, i);
    // Frames 73..200: mean (73 + 200) / 2 = 136.5, truncated.
    EXPECT_EQ(out[0], 136);
    EXPECT_EQ(avg.GetFramesHeld(), 128);

    // A count of 0 from a file averages single frames instead of dividing by zero.
    CAverageBuffer zero;
    zero.SetAcquireMode(CAverageBuffer::kModeAverage);
    zero.SetFramesWanted(0);
    EXPECT_EQ(Frame(zero, 42)[0], 42);
    EXPECT_EQ(Frame(zero, 43)[0], 43);
}

TEST(AverageBuffer, PushWithoutHeldFrameOrRingsChangesNothing) {
    CAverageBuffer avg;
    auto s = Flat(77);
    avg.AverageTrace(0, s.data()); // Normal mode: untouched
    EXPECT_EQ(s[0], 77);
    avg.PushFrameCh1(s.data()); // no rings: ignored
    avg.BeginFrame();           // counts only in Average mode
    EXPECT_EQ(avg.GetFramesHeld(), 0);
    avg.SetAcquireMode(CAverageBuffer::kModeAverage);
    avg.SetFramesWanted(4);
    // No BeginFrame yet: held is 0 and there is no newest slot to write.
    avg.AverageTrace(0, s.data());
    EXPECT_EQ(s[0], 77);
    avg.AverageFrames(nullptr, s.data());
    avg.AverageFrames(avg.GetRingCh1(), nullptr);
}

TEST(AverageBuffer, LoweringTheCountBelowHeldFramesStaysInRange) {
    CAverageBuffer avg;
    avg.SetAcquireMode(CAverageBuffer::kModeAverage);
    avg.SetFramesWanted(8);
    for (int i = 0; i < 8; ++i)
        Frame(avg, 100);
    avg.SetFramesWanted(2);
    auto s = Flat(300);
    avg.AverageTrace(0, s.data()); // before the next BeginFrame: held 8 > N 2
    EXPECT_EQ(s[0], 200);
    avg.SetFramesHeld(500);
    EXPECT_EQ(avg.GetFramesHeld(), 128);
    avg.SetFramesHeld(-1);
    EXPECT_EQ(avg.GetFramesHeld(), 0);
}

TEST(AverageBuffer, ClearRingsRestartsFromEmptyHistory) {
    CAverageBuffer avg;
    avg.SetAcquireMode(CAverageBuffer::kModeAverage);
    avg.SetFramesWanted(2);
    Frame(avg, 500);
    Frame(avg, 500);
    avg.ClearRings();
    avg.SetFramesHeld(0);
    EXPECT_EQ(Frame(avg, 100)[0], 100);
    EXPECT_EQ(avg.GetRingCh1()[500], 0);
}

std::vector<std::int16_t> Points(int v) {
    return Flat(v);
}

TEST(Persistence, DepthKeepsLastRecordsWithFadingColours) {
    CPersistence p;
    p.SetEnabled(1);
    p.SetDepth(3);
    const COLORREF colour = RGB(255, 90, 30);
    for (int i = 1; i <= 5; ++i)
        p.Append(0, Points(i).data(), colour);
    ASSERT_EQ(p.GetCount(0), 3);
    EXPECT_EQ(p.GetRecord(0, 0)->points[0], 3);
    EXPECT_EQ(p.GetRecord(0, 2)->points[499], 5);
    // Factors 1/3, 2/3, 1, truncated.
    EXPECT_EQ(p.GetRecord(0, 0)->color, RGB(85, 30, 10));
    EXPECT_EQ(p.GetRecord(0, 1)->color, RGB(170, 60, 20));
    EXPECT_EQ(p.GetRecord(0, 2)->color, colour);
    EXPECT_EQ(p.GetRecord(0, 3), nullptr);
    EXPECT_EQ(p.GetCount(1), 0);
}

TEST(Persistence, RecordLayoutHasColourBytesAt1000) {
    CPersistence p;
    p.SetEnabled(1);
    p.SetDepth(5);
    p.Append(2, Points(9).data(), RGB(1, 2, 3));
    const auto* rec = reinterpret_cast<const unsigned char*>(p.GetRecord(2, 0));
    EXPECT_EQ(rec[1000], 1);
    EXPECT_EQ(rec[1001], 2);
    EXPECT_EQ(rec[1002], 3);
}

TEST(Persistence, NothingIsKeptWhenOffOrAtDepth0Or16) {
    CPersistence p;
    p.SetDepth(4);
    p.Append(0, Points(1).data(), RGB(255, 0, 0)); // off
    EXPECT_EQ(p.GetCount(0), 0);
    p.SetEnabled(1);
    p.SetDepth(0);
    p.Append(0, Points(1).data(), RGB(255, 0, 0));
    EXPECT_EQ(p.GetCount(0), 0);
    p.SetDepth(16); // keeps no history
    p.Append(3, Points(1).data(), RGB(255, 0, 0));
    EXPECT_EQ(p.GetCount(3), 0);
    EXPECT_EQ(p.GetDepth(), 16);
}

TEST(Persistence, SetDepthAlwaysEmptiesAndRejectsOutOfRange) {
    CPersistence p;
    p.SetEnabled(1);
    p.SetDepth(4);
    for (int t = 0; t < 4; ++t)
        p.Append(t, Points(t).data(), RGB(0, 255, 0));
    p.SetDepth(4); // unchanged depth still empties
    for (short t = 0; t < 4; ++t)
        EXPECT_EQ(p.GetCount(t), 0);

    // A negative depth from a file is stored as 0 and appends keep nothing.
    p.SetDepth(-2);
    EXPECT_EQ(p.GetDepth(), 0);
    p.Append(0, Points(1).data(), RGB(0, 255, 0));
    EXPECT_EQ(p.GetCount(0), 0);
    p.SetDepth(17);
    EXPECT_EQ(p.GetDepth(), 0);
    p.SetDepth(15);
    EXPECT_EQ(p.GetDepth(), 15);
}

TEST(Persistence, BadTraceIndexesAreHarmless) {
    CPersistence p;
    p.SetEnabled(1);
    p.SetDepth(2);
    p.Append(4, Points(1).data(), 0);
    p.Append(-1, Points(1).data(), 0);
    p.Append(0, nullptr, 0);
    EXPECT_EQ(p.GetCount(4), 0);
    EXPECT_EQ(p.GetCount(-1), 0);
    EXPECT_EQ(p.GetCount(0), 0);
    EXPECT_EQ(p.GetRecord(7, 0), nullptr);
}

} // namespace
