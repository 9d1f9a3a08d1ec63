// Zoom of live, reference, stopped, roll-mode and ETS records.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "Tessel.h"

namespace {

constexpr uint16_t kNoData = 1000;
constexpr int kN = 10240;

// A live 10240-point record in a buffer laid out as the channel data read fills it: 2n points,
// the second half not part of this record, then the trailer {time base, volts, capture position,
// flag} at 2n.
std::vector<uint16_t> LiveRecord(uint16_t timeBase, uint16_t capture, uint16_t flag = 0) {
    std::vector<uint16_t> r(2 * kN + 4);
    for (int i = 0; i < kN; ++i)
        r[i] = static_cast<uint16_t>(i % 500);
    for (int i = kN; i < 2 * kN; ++i)
        r[i] = 211; // what a zoom reading its trailer right behind the n points would take
    r[2 * kN] = timeBase;
    r[2 * kN + 1] = 3;
    r[2 * kN + 2] = capture;
    r[2 * kN + 3] = flag;
    return r;
}

TEST(SdkZoom, EtsZoomOutByTimeBase) {
    EXPECT_EQ(dsoETSDataZoomOut(0), 1);
    EXPECT_EQ(dsoETSDataZoomOut(2), 1);
    EXPECT_EQ(dsoETSDataZoomOut(3), 2);
    EXPECT_EQ(dsoETSDataZoomOut(38), 2);
}

TEST(SdkZoom, ResolutionZoomInOfACopiedRecord) {
    auto rec = LiveRecord(12, 50);
    rec[7] = 600; // above 511: no data
    std::vector<uint16_t> dst(kN, 0);
    const uint16_t settings[7] = {0, 2, 12, 50, 1, 10, 0};
    dsoDataResolutionZoomIn(rec.data(), dst.data(), 1, 0, settings);
    for (int i = 0; i < kN; ++i)
        ASSERT_EQ(dst[i], i == 7 ? kNoData : rec[i]) << i;
    // Magnification 2 about equal positions of 0 %: every point twice.
    const uint16_t atZero[7] = {0, 2, 12, 0, 1, 10, 0};
    rec[2 * kN + 2] = 0;
    dsoDataResolutionZoomIn(rec.data(), dst.data(), 2, 0, atZero);
    EXPECT_EQ(dst[0], rec[0]);
    EXPECT_EQ(dst[21], rec[10]);
    EXPECT_EQ(dst[kN - 1], rec[kN / 2 - 1]);
}

TEST(SdkZoom, HugeMagnificationNeedsNoHugeBuffer) {
    // 65535 x 10240 points would be 1.3 GB if built; points come from stretched[k / m] instead.
    auto rec = LiveRecord(20, 50);
    std::vector<uint16_t> dst(kN, 0);
    const uint16_t settings[7] = {0, 2, 20, 50, 1, 10, 0};
    dsoDataResolutionZoomIn(rec.data(), dst.data(), 65535, 0, settings);
    // The capture point sits at the same fraction of the window: all points show record point
    // trunc(0.5 x 65535 x 10240 - 5120) / 65535 = 5119.
    EXPECT_EQ(dst[0], rec[5119]);
    EXPECT_EQ(dst[kN - 1], rec[5120]);
}

TEST(SdkZoom, ResolutionZoomInStretchesFastTimeBases) {
    // Time base 9, both channels: linear factor 4; trigger at b = 0 with capture position 0.
    auto rec = LiveRecord(9, 0);
    std::vector<uint16_t> dst(kN, 0);
    const uint16_t settings[7] = {0, 2, 9, 0, 1, 10, 0};
    dsoDataResolutionZoomIn(rec.data(), dst.data(), 1, 0, settings);
    EXPECT_EQ(dst[8], rec[2]);
    EXPECT_EQ(dst[9], 2); // 2 + 1 x (3 - 2) / 4 truncated
    // Time base 2 (factor 800, a 40000-point stretch): the window keeps the trigger at b.
    auto fast = LiveRecord(2, 50);
    for (int i = 0; i < kN; ++i)
        fast[i] = 200;
    const uint16_t fastSettings[7] = {0, 2, 2, 50, 1, 10, 0};
    dsoDataResolutionZoomIn(fast.data(), dst.data(), 1, 0, fastSettings);
    EXPECT_EQ(dst[5120], 200);
    EXPECT_EQ(dst[0], 200);
}

TEST(SdkZoom, ResolutionZoomOutWithStepZeroAdvances) {
    auto rec = LiveRecord(0, 50); // factor 2000 repeat
    std::vector<uint16_t> dst(kN, 0);
    dsoDataResolutionZoomOut(rec.data(), dst.data(), 50, 0, 10); // step 0 counts as 1
    // The working record repeats point 0 over its first 2000 points, point 5 covers 10000..
    EXPECT_EQ(dst[5120 - 120], rec[2]); // working index 5000 -> record point 2
    rec[2 * kN] = 12;                   // no repeat, step 2: every second point about trunc(n C) - 120 = 5000
    dsoDataResolutionZoomOut(rec.data(), dst.data(), 50, 2, 10);
    EXPECT_EQ(dst[5000], rec[5000]);
    EXPECT_EQ(dst[5001], rec[5002]);
    EXPECT_EQ(dst[4999], rec[4998]);
    EXPECT_EQ(dst[kN - 1], kNoData); // beyond the decimated points
}

TEST(SdkZoom, ReferenceZooms) {
    std::vector<uint16_t> src(kN);
    for (int i = 0; i < kN; ++i)
        src[i] = static_cast<uint16_t>(i % 512);
    std::vector<uint16_t> dst(kN, 0);
    dsoRefDataResolutionZoomIn(src.data(), dst.data(), 30, 30, 1, 10);
    EXPECT_EQ(dst, src);
    // Current position 40 against capture 30: the record moves right by 1024 points.
    dsoRefDataResolutionZoomIn(src.data(), dst.data(), 30, 40, 1, 10);
    EXPECT_EQ(dst[1023], kNoData);
    EXPECT_EQ(dst[1024], src[0]);
    // A position word of 65535 is -1 %: the record moves left by 1.3 % of the window.
    dsoRefDataResolutionZoomIn(src.data(), dst.data(), 30, 65535, 1, 10);
    EXPECT_EQ(dst[0], src[3174]); // trunc(0.31 x 10240) = 3174
    dsoRefDataResolutionZoomOut(src.data(), dst.data(), 50, 50, 3, 10);
    EXPECT_EQ(dst[5000], src[5000]);
    EXPECT_EQ(dst[5001], src[5003]);
}

// Stop-data record: 2n codes and the trailer, capture position at 2n + 2.
std::vector<uint16_t> StopRecord(uint16_t capture) {
    std::vector<uint16_t> r(2 * kN + 4);
    for (int i = 0; i < kN; ++i)
        r[i] = static_cast<uint16_t>(i % 400);
    r[2 * kN + 2] = capture;
    r[2 * kN + 3] = kN; // a reference record stores its length here
    return r;
}

TEST(SdkZoom, StoppedZoomInSpreadsAndReduces) {
    const auto rec = StopRecord(50); // trigger index d = 5120
    std::vector<uint16_t> dst(500, 0);
    const uint16_t settings[7] = {0, 2, 12, 50, 1, 10, 0};              // G = 50: trigger at display 250
    dsoStopDataProcessZoomIn(settings, rec.data(), dst.data(), 0, 250); // step 2
    EXPECT_EQ(dst[250], rec[5119]);
    EXPECT_EQ(dst[249], rec[5119]);
    EXPECT_EQ(dst[248], rec[5118]);
    EXPECT_EQ(dst[251], rec[5120]);
    EXPECT_EQ(dst[252], rec[5120]);
    EXPECT_EQ(dst[253], rec[5121]);
    // A wide window is reduced to pairs: 1000 points in groups of 4.
    dsoStopDataProcessZoomIn(settings, rec.data(), dst.data(), 0, 1000);
    // The trigger sits at gathered index 500: groups start at record point 4619 (= 5119 - 500).
    EXPECT_EQ(dst[0], rec[4619]); // (min, max) of a rising group
    EXPECT_EQ(dst[1], rec[4622]);
    // The same through the reference road, which finds n at word 20483.
    std::vector<uint16_t> viaRef(500, 0);
    const uint16_t position[5] = {0, 0, 0, 50, 0};
    dsoRefDataProcessZoomIn(position, rec.data(), viaRef.data(), 0, 1000);
    EXPECT_EQ(viaRef, dst);
}

TEST(SdkZoom, StoppedZoomOutPlacesTheReducedRecord) {
    const auto rec = StopRecord(50);
    std::vector<uint16_t> dst(500, 0);
    const uint16_t settings[7] = {0, 2, 12, 50, 1, 10, 0};
    dsoStopDataProcessZoomOut(settings, rec.data(), dst.data(), 40); // e = 256 pairs, f = 256
    // Groups of 40 rise inside the 400-code cycle: pair k is (40k mod 400, + 39). The trigger
    // (reduced index f - 1 = 255) lands at display 250.
    EXPECT_EQ(dst[250], 319);
    EXPECT_EQ(dst[249], 280);
    EXPECT_EQ(dst[251], 320);
    EXPECT_EQ(dst[0], 119);
    EXPECT_EQ(dst[499], 80);
    // Groups above the limit count as the limit (10000 points: one pair).
    dsoStopDataProcessZoomOut(settings, rec.data(), dst.data(), 60000);
    EXPECT_EQ(dst[250], 0); // f = 1: the pair (0, 399) of the first 10000 points
    EXPECT_EQ(dst[251], 399);
    EXPECT_EQ(dst[252], kNoData);
    EXPECT_EQ(dst[249], kNoData);
}

TEST(SdkZoom, WidthZeroDrawsNothingInEveryMember) {
    const auto rec = StopRecord(50);
    const uint16_t settings[7] = {0, 2, 12, 50, 1, 10, 0};
    const uint16_t position[5] = {0, 0, 0, 50, 0};
    std::vector<uint16_t> src(500, 100);
    std::vector<uint16_t> dst(500, 0);
    const std::vector<uint16_t> nothing(500, kNoData);
    dsoStopDataProcessZoomIn(settings, rec.data(), dst.data(), 0, 0);
    EXPECT_EQ(dst, nothing);
    std::fill(dst.begin(), dst.end(), 0);
    dsoStopDataProcessZoomOut(settings, rec.data(), dst.data(), 0);
    EXPECT_EQ(dst, nothing);
    std::fill(dst.begin(), dst.end(), 0);
    EXPECT_EQ(dsoScrollModeDataZoomIn(position, src.data(), dst.data(), 50, 0), 0);
    EXPECT_EQ(dst, nothing);
    std::fill(dst.begin(), dst.end(), 0);
    dsoScrollModeDataZoomOut(position, src.data(), dst.data(), 50, 0);
    EXPECT_EQ(dst, nothing);
    std::fill(dst.begin(), dst.end(), 0);
    dsoRefDataProcessZoomOut(position, rec.data(), dst.data(), 0);
    EXPECT_EQ(dst, nothing);
}

TEST(SdkZoom, RollZoomInNeverReadsPastTheRollRecord) {
    std::vector<uint16_t> src(501, 0);
    for (int i = 0; i < 500; ++i)
        src[i] = static_cast<uint16_t>(i);
    src[500] = 7; // must never be shown
    std::vector<uint16_t> dst(500, 0);
    // G = 65535 (-1 %): point base + i with base = p + 1 x 250 / 100 - 1 = 251; width 250, step 2.
    const uint16_t position[5] = {0, 0, 0, 65535, 0};
    EXPECT_EQ(dsoScrollModeDataZoomIn(position, src.data(), dst.data(), 50, 250), 1);
    EXPECT_EQ(dst[0], 251);
    EXPECT_EQ(dst[2], 252);
    EXPECT_EQ(dst[497], 499); // index 251 + 248 is the last roll point, 500 is none
    EXPECT_EQ(dst[498], kNoData);
    EXPECT_EQ(dst[499], kNoData);
    for (auto v : dst)
        EXPECT_NE(v, 7);
    // Around the point at G = 50: display 250 shows src[p] with p = 250.
    const uint16_t centred[5] = {0, 0, 0, 50, 0};
    dsoScrollModeDataZoomIn(centred, src.data(), dst.data(), 50, 100); // step 5
    EXPECT_EQ(dst[250], 250);
    EXPECT_EQ(dst[246], 250);
    EXPECT_EQ(dst[245], 249);
    EXPECT_EQ(dst[251], 251);
}

TEST(SdkZoom, BackupZoomStaysInsideItsPairs) {
    std::vector<uint16_t> rec(32768);
    for (std::size_t i = 0; i < rec.size(); ++i)
        rec[i] = static_cast<uint16_t>(i % 300);
    std::vector<int16_t> pairs(500 + 8, 77);
    // Divisor 0 and position 200: counted as 1 and 100.
    dsoDataResolutionZoomInBackup(rec.data(), pairs.data(), 200, 0, 0, 10, 12);
    for (int i = 500; i < 508; ++i)
        EXPECT_EQ(pairs[i], 77);
    EXPECT_EQ(pairs[2 * 249], static_cast<int16_t>(kNoData)); // the start: nothing to its right
    EXPECT_EQ(pairs[2 * 248], 0);                             // group 10200..10239 holds 0..39: (min, max)
    EXPECT_EQ(pairs[2 * 248 + 1], 39);
    // Position 50 on a 10240-point record: start 5120 at pair 125, groups of 40.
    std::vector<uint16_t> ramp(10240);
    for (int i = 0; i < 10240; ++i)
        ramp[i] = static_cast<uint16_t>(i / 40);
    dsoDataResolutionZoomInBackup(ramp.data(), pairs.data(), 50, 1, 0, 10, 12);
    EXPECT_EQ(pairs[250], 128); // nearest right group 5120..5159: (min, max)
    EXPECT_EQ(pairs[251], 128);
    EXPECT_EQ(pairs[248], 127); // nearest left group 5080..5119
}

TEST(SdkZoom, EtsZoomInExpandsOnlyWhatItShows) {
    std::vector<uint16_t> src(500);
    for (int i = 0; i < 500; ++i)
        src[i] = static_cast<uint16_t>(i);
    std::vector<uint16_t> dst(500, 0);
    dsoETSDataZoomIn(src.data(), dst.data(), 1e-6, 50, 0.0); // no base time: a copy
    EXPECT_EQ(dst, src);
    dsoETSDataZoomIn(src.data(), dst.data(), 1e-6, 50, 1e-6); // ratio 1: a copy
    EXPECT_EQ(dst, src);
    dsoETSDataZoomIn(src.data(), dst.data(), 2e-6, 50, 1e-6); // r = 2, e = 250
    EXPECT_EQ(dst[0], 125);
    EXPECT_EQ(dst[1], 125);
    EXPECT_EQ(dst[2], 126);
    // r = 10^12 would expand to 5 x 10^14 points; only the 500 shown are computed.
    dsoETSDataZoomIn(src.data(), dst.data(), 1.0, 100, 1e-12);
    EXPECT_EQ(dst[0], 499);       // e = 5 x 10^14 - 250: the last 250 expanded points
    EXPECT_EQ(dst[250], kNoData); // past the 5 x 10^14 expanded points
    dsoETSDataZoomIn(src.data(), dst.data(), 1.0, 0, 1e-12);
    EXPECT_EQ(dst[0], 0);
    EXPECT_EQ(dst[499], 0);
}

} // namespace
