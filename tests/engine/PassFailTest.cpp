#include "engine/PassFail.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "system/LittleEndian.h"

namespace {

std::vector<short> Flat(short code) {
    return std::vector<short>(CPassFail::kPoints, code);
}

std::filesystem::path PsfDir() {
    auto dir = std::filesystem::temp_directory_path() / ("kv-psf-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

void WriteWords(const std::filesystem::path& p, std::vector<std::uint16_t> words, std::size_t cut = 0) {
    kv::LeWriter w;
    for (auto v : words)
        w.U16(v);
    ASSERT_TRUE(kv::WriteWholeFileAtomic(p.string(), w.Data().data(), w.Data().size() - cut));
}

} // namespace

TEST(PassFailTest, ResetGivesTheDefaults) {
    CPassFail pf;
    pf.m_nSource = 1;
    pf.m_nTotal = 9;
    pf.m_upper[3] = 77;
    pf.m_nHorizontalTolerance = 50;
    pf.Reset();
    EXPECT_EQ(pf.m_nSource, 0);
    EXPECT_EQ(pf.m_nOutput, 0);
    EXPECT_EQ(pf.m_bStop, 0);
    EXPECT_EQ(pf.m_nTotal, 0u);
    EXPECT_EQ(pf.m_upper[3], 0);
    EXPECT_EQ(pf.m_nHorizontalTolerance, 1);
    EXPECT_EQ(pf.m_nVerticalTolerance, 1);
}

TEST(PassFailTest, MaskEdgesDecidePassAndFail) {
    CPassFail pf;
    pf.m_nVerticalTolerance = 10;
    const auto trace = Flat(200);
    pf.BuildMask(trace.data());
    EXPECT_EQ(pf.m_upper[0], 210);
    EXPECT_EQ(pf.m_lower[499], 190);
    EXPECT_EQ(pf.Test(trace.data()), 1);

    auto probe = trace;
    probe[250] = 210; // exactly on the upper mask
    probe[251] = 190; // exactly on the lower mask
    EXPECT_EQ(pf.Test(probe.data()), 1);
    probe[250] = 211;
    EXPECT_EQ(pf.Test(probe.data()), 0);
    probe[250] = 200;
    probe[499] = 189;
    EXPECT_EQ(pf.Test(probe.data()), 0);
}

TEST(PassFailTest, MaskIsClampedToTheScreen) {
    CPassFail pf;
    pf.m_nVerticalTolerance = 5;
    auto high = Flat(510);
    pf.BuildMask(high.data());
    for (int i = 0; i < CPassFail::kPoints; ++i) {
        ASSERT_EQ(pf.m_upper[i], 511);
        ASSERT_EQ(pf.m_lower[i], 505);
    }
    auto low = Flat(2);
    pf.BuildMask(low.data());
    EXPECT_EQ(pf.m_lower[100], 0);
    // Codes far outside the screen (gap marks) must not wrap the limits.
    auto gaps = Flat(32767);
    pf.m_nVerticalTolerance = 128;
    pf.BuildMask(gaps.data());
    EXPECT_EQ(pf.m_upper[0], 511);
    EXPECT_EQ(pf.m_lower[0], 511);
}

TEST(PassFailTest, HorizontalToleranceWidensOnlyInsideTheScreen) {
    CPassFail pf;
    pf.m_nVerticalTolerance = 1;
    pf.m_nHorizontalTolerance = 200;
    auto trace = Flat(100);
    trace[150] = 300; // closer than 200 to the left edge: widens only to the right
    trace[400] = 50;  // closer than 200 to the right edge: widens only to the left
    pf.BuildMask(trace.data());
    EXPECT_EQ(pf.m_upper[149], 101);
    EXPECT_EQ(pf.m_upper[150], 301);
    EXPECT_EQ(pf.m_upper[350], 301);
    EXPECT_EQ(pf.m_upper[351], 101);
    EXPECT_EQ(pf.m_lower[199], 99);
    EXPECT_EQ(pf.m_lower[200], 49);
    EXPECT_EQ(pf.m_lower[400], 49);
    EXPECT_EQ(pf.m_lower[401], 99);
    // A tolerance that reaches the dialog unclamped still builds a sane mask.
    pf.m_nVerticalTolerance = -5;
    pf.m_nHorizontalTolerance = 0;
    pf.BuildMask(Flat(100).data());
    EXPECT_EQ(pf.m_upper[10], 101);
    EXPECT_EQ(pf.m_lower[10], 99);
}

TEST(PassFailTest, CountingAndStopConditions) {
    CPassFail pf;
    pf.m_nVerticalTolerance = 4;
    const auto good = Flat(250);
    pf.BuildMask(good.data());
    auto bad = good;
    bad[0] = 260;
    EXPECT_EQ(pf.CountFrame(good.data()), 1);
    EXPECT_EQ(pf.CountFrame(bad.data()), 0);
    EXPECT_EQ(pf.CountFrame(good.data()), 1);
    EXPECT_EQ(pf.m_nPassed, 2u);
    EXPECT_EQ(pf.m_nFailed, 1u);
    EXPECT_EQ(pf.m_nTotal, 3u);

    // At the largest 64-bit count all three restart.
    pf.m_nTotal = std::numeric_limits<std::uint64_t>::max() - 1;
    pf.CountFrame(good.data());
    EXPECT_EQ(pf.m_nTotal, 0u);
    EXPECT_EQ(pf.m_nPassed, 0u);
    EXPECT_EQ(pf.m_nFailed, 0u);

    EXPECT_FALSE(pf.ShouldStop(0)); // stop flag clear
    pf.m_bStop = 1;
    const bool stopOnFail[4] = {true, true, false, false};
    for (int out = 0; out < 4; ++out) {
        pf.m_nOutput = static_cast<std::int16_t>(out);
        EXPECT_EQ(pf.ShouldStop(0), stopOnFail[out]) << out;
        EXPECT_EQ(pf.ShouldStop(1), !stopOnFail[out]) << out;
        EXPECT_EQ(pf.ShouldBeep(), out == 1 || out == 3);
    }
}

TEST(PassFailTest, MaskRegionsFollowTheMaskInsideThePlot) {
    CPassFail pf;
    pf.m_nVerticalTolerance = 1;
    pf.m_nHorizontalTolerance = 10;
    pf.BuildMask(Flat(255).data());
    std::vector<POINT> up, down;
    pf.GetMaskRegions(0, 0, 499, 511, up, down);
    ASSERT_EQ(up.size(), 480u + 2u); // points 10..489 and two along the edge
    EXPECT_EQ(up.front().x, 10);
    EXPECT_EQ(up.front().y, 511 - 256);
    EXPECT_EQ(up[479].x, 489);
    EXPECT_EQ(up[480].y, 0);
    EXPECT_EQ(up[481].x, 10);
    EXPECT_EQ(down.front().y, 511 - 254);
    EXPECT_EQ(down.back().y, 511);

    pf.GetMaskRegions(100, 50, 598, 561, up, down);
    EXPECT_EQ(up.front().x, 100 + 10 * 498 / 499);
    EXPECT_EQ(CPassFail::kMaskColor, RGB(150, 128, 0));

    // Tolerances that leave fewer than one point, or lie outside their range, shade nothing.
    pf.m_nHorizontalTolerance = 250;
    pf.GetMaskRegions(0, 0, 499, 511, up, down);
    EXPECT_TRUE(up.empty());
    EXPECT_TRUE(down.empty());
    pf.m_nHorizontalTolerance = -3;
    pf.GetMaskRegions(0, 0, 499, 511, up, down);
    EXPECT_EQ(up.size(), 502u);
}

TEST(PassFailTest, SettingsFileRoundTripsFieldByField) {
    const auto dir = PsfDir();
    const auto path = dir / "mask.psf";
    CPassFail pf;
    pf.m_nSource = 1;
    pf.m_nOutput = 3;
    pf.m_bStop = 1;
    pf.m_nHorizontalTolerance = 150;
    pf.m_nVerticalTolerance = 64;
    pf.m_nTotal = 5;
    ASSERT_EQ(pf.SaveSettings(path.c_str()), 1);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(kv::ReadWholeFile(path.string(), bytes));
    const std::vector<std::uint8_t> expected = {1, 0, 3, 0, 1, 0, 150, 0, 64, 0};
    EXPECT_EQ(bytes, expected);

    CPassFail loaded;
    loaded.m_nTotal = 77; // counters are not in the file
    ASSERT_EQ(loaded.LoadSettings(path.c_str()), 1);
    EXPECT_EQ(loaded.m_nSource, 1);
    EXPECT_EQ(loaded.m_nOutput, 3);
    EXPECT_EQ(loaded.m_bStop, 1);
    EXPECT_EQ(loaded.m_nHorizontalTolerance, 150);
    EXPECT_EQ(loaded.m_nVerticalTolerance, 64);
    EXPECT_EQ(loaded.m_nTotal, 77u);
    std::filesystem::remove_all(dir);
}

TEST(PassFailTest, LoadingClampsOutOfRangeSettings) {
    const auto dir = PsfDir();
    const auto path = dir / "range.psf";
    CPassFail pf;
    WriteWords(path, {7, 9, 4, 0, 0});
    ASSERT_EQ(pf.LoadSettings(path.c_str()), 1);
    EXPECT_EQ(pf.m_nSource, 1);
    EXPECT_EQ(pf.m_nOutput, 3);
    EXPECT_EQ(pf.m_bStop, 1);
    EXPECT_EQ(pf.m_nHorizontalTolerance, 1);
    EXPECT_EQ(pf.m_nVerticalTolerance, 1);
    WriteWords(path, {0xFFFF, 0xFFFF, 0, 999, 500});
    ASSERT_EQ(pf.LoadSettings(path.c_str()), 1);
    EXPECT_EQ(pf.m_nSource, 0);
    EXPECT_EQ(pf.m_nOutput, 0);
    EXPECT_EQ(pf.m_bStop, 0);
    EXPECT_EQ(pf.m_nHorizontalTolerance, 200);
    EXPECT_EQ(pf.m_nVerticalTolerance, 128);
    std::filesystem::remove_all(dir);
}

TEST(PassFailTest, ShortOrMissingFilesAreRefusedAndChangeNothing) {
    const auto dir = PsfDir();
    const auto path = dir / "short.psf";
    CPassFail pf;
    pf.m_nSource = 1;
    pf.m_nOutput = 2;
    pf.m_nHorizontalTolerance = 33;
    pf.m_nVerticalTolerance = 44;
    WriteWords(path, {0, 0, 0, 100, 100}, 1); // nine bytes
    CString error;
    EXPECT_EQ(pf.LoadSettings(path.c_str(), &error), 0);
    EXPECT_EQ(std::string(error).rfind("Can not open file: ", 0), 0u);
    WriteWords(path, {}, 0);
    EXPECT_EQ(pf.LoadSettings(path.c_str()), 0);
    EXPECT_EQ(pf.LoadSettings((dir / "none.psf").c_str(), &error), 0);
    EXPECT_EQ(std::string(error).rfind("Can not open file: ", 0), 0u);
    EXPECT_EQ(pf.m_nSource, 1);
    EXPECT_EQ(pf.m_nOutput, 2);
    EXPECT_EQ(pf.m_nHorizontalTolerance, 33);
    EXPECT_EQ(pf.m_nVerticalTolerance, 44);

    EXPECT_EQ(pf.SaveSettings((dir / "no" / "dir.psf").c_str(), &error), 0);
    EXPECT_EQ(std::string(error).rfind("Cann't save file: ", 0), 0u);
    std::filesystem::remove_all(dir);
}
