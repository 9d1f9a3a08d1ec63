// Channel data processing on crafted records: MATH, offset, ground, pair reductions, level and
// period helpers, roll and stopped-display shifts.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "Tessel.h"

namespace {

using Record = std::vector<std::uint16_t>;
using Pairs = std::vector<std::int16_t>;

struct Math {
    std::uint16_t block[7] = {0, 0, 0, 0, 0, 0, 6}; // [1] position, [6] volts index (1 V)
    std::uint16_t offsets[2] = {0, 0};
    std::uint16_t probe[5] = {0, 0, 0, 0, 0};
    std::uint16_t op[2] = {0, 0};
    Record ch1 = Record(501, 511), ch2 = Record(501, 511), dst = Record(501, 0xBEEF);
    double Run(std::uint16_t v1 = 6, std::uint16_t v2 = 6) {
        return dsoChannelDataMathOperation(dst.data(), ch1.data(), ch2.data(), block, v1, v2, offsets, probe,
                                           op);
    }
};

} // namespace

TEST(Processing, MathOfAChannelWithItself) {
    Math m;
    m.block[1] = 100;
    for (int i = 0; i < 501; ++i)
        m.ch1[i] = static_cast<std::uint16_t>(i);
    m.op[1] = 1; // CH1 - CH1
    m.Run();
    for (auto v : m.dst)
        ASSERT_EQ(v, 411);
    m.op[1] = 3; // CH1 / CH1 is 1 everywhere, zero included
    m.Run();
    for (auto v : m.dst)
        ASSERT_EQ(v, 412);
    m.op[0] = 3; // CH2 + CH2
    m.op[1] = 0;
    m.ch2[7] = 511 + 20;
    m.Run();
    EXPECT_EQ(m.dst[7], 411 + 40);
    EXPECT_EQ(m.dst[8], 411);
}

TEST(Processing, MathScalesByVoltsAndProbe) {
    Math m;
    m.ch1[0] = 511 + 32;
    m.ch2[0] = 511 + 16;
    m.offsets[1] = 4; // b = 20 codes
    // CH1 at 0.1 V/div with a probe one decade above the MATH probe: 32 x 10 x 0.1 / 1 = 32.
    m.probe[0] = 2;
    m.probe[2] = 1;
    m.probe[4] = 1;
    m.op[0] = 1; // CH1 + CH2
    EXPECT_DOUBLE_EQ(m.Run(3, 6), 1.0);
    EXPECT_EQ(m.dst[0], 511 + 32 + 20);
    m.op[0] = 1;
    m.op[1] = 1; // CH1 - CH2
    m.Run(3, 6);
    EXPECT_EQ(m.dst[0], 511 + 12);
    m.op[0] = 2; // CH2 - CH1
    m.Run(3, 6);
    EXPECT_EQ(m.dst[0], 511 - 12);
    m.op[1] = 2; // CH2 x CH1
    m.Run(3, 6);
    EXPECT_EQ(m.dst[0], 511 + 640);
    m.op[1] = 3; // |CH2| / |CH1| = 20 / 32
    m.Run(3, 6);
    EXPECT_EQ(m.dst[0], 511);
    // CH1 over CH2 where CH2 sits at its zero line.
    m.op[0] = 1;
    m.ch1[1] = 511 + 8;
    m.ch2[1] = 511;
    m.offsets[1] = 0;
    m.Run(3, 6);
    EXPECT_EQ(m.dst[1], 700) << "divisor 0 is a gap";
    EXPECT_EQ(m.dst[0], 511 + 2); // 32 / 16
    // Probe differences beyond three decades still scale.
    m.probe[0] = 6;
    EXPECT_DOUBLE_EQ(m.Run(3, 6), 1.0e4);
}

TEST(Processing, MathSaturatesAndRefusesUndefinedIndexes) {
    Math m;
    m.block[1] = 200;
    m.ch1[3] = 0; // a = -511
    m.op[0] = 1;
    m.op[1] = 1; // CH1 - CH2 = -511 + 511 - 200 < 0: saturates at 0 instead of wrapping
    m.Run();
    EXPECT_EQ(m.dst[3], 0);
    m.op[1] = 2; // (-511) x 0 ... and a large product
    m.ch2[4] = 1023;
    m.ch1[4] = 1023;
    m.Run();
    EXPECT_EQ(m.dst[4], 65535);
    for (std::uint16_t bad : {10, 40}) {
        Math r;
        EXPECT_EQ(r.Run(bad, 0), 0.0);
        for (auto v : r.dst)
            ASSERT_EQ(v, 700);
        Math q;
        q.block[6] = bad;
        EXPECT_EQ(q.Run(), 0.0);
        EXPECT_EQ(q.dst[500], 700);
    }
    Math o;
    o.op[1] = 4;
    EXPECT_EQ(o.Run(), 0.0);
    EXPECT_EQ(o.dst[0], 700);
    o.op[1] = 0;
    o.op[0] = 4;
    EXPECT_EQ(o.Run(), 0.0);
    EXPECT_EQ(dsoChannelDataMathOperation(nullptr, o.ch1.data(), o.ch2.data(), o.block, 0, 0, o.offsets,
                                          o.probe, o.op),
              0.0);
}

TEST(Processing, OffsetWrapsAndGroundFillsItsOwnLength) {
    Record r(524288 + 1, 0);
    for (std::size_t i = 0; i < 524288; ++i)
        r[i] = static_cast<std::uint16_t>(i * 131);
    r[524288] = 0xBEEF;
    const Record before = r;
    ASSERT_EQ(dsoChannelDataAdjustOffset(200, r.data()), 1);
    EXPECT_EQ(r[0], 55);
    EXPECT_EQ(r[1], 131 + 55);
    EXPECT_EQ(r[524287], static_cast<std::uint16_t>(524287 * 131 + 55));
    EXPECT_EQ(r[524288], 0xBEEF);
    // Level 310 subtracts 55 with 16-bit wrap-around, restoring the record exactly.
    ASSERT_EQ(dsoChannelDataAdjustOffset(310, r.data()), 1);
    EXPECT_EQ(r, before);
    Record g(31001, 7);
    ASSERT_EQ(dsoChannelInGND(256, g.data()), 1);
    EXPECT_EQ(g[30999], 256);
    EXPECT_EQ(g[31000], 7);
    EXPECT_EQ(dsoChannelInGND(256, nullptr), 0);
    EXPECT_EQ(dsoChannelDataAdjustOffset(0, nullptr), 0);
}

TEST(Processing, FilterReducesTheScreenWindowToPairs) {
    // Group k of the window holds a ramp k .. k + 39 rising for even k, falling for odd k.
    Record r(10240);
    for (int i = 0; i < 10240; ++i) {
        const int k = i / 40, j = i % 40;
        r[i] = static_cast<std::uint16_t>(k % 2 == 0 ? k + j : k + 39 - j);
    }
    Pairs p(500, -1);
    dsoChannelDataFilt(0, 0, p.data(), r.data(), 10, 0);
    EXPECT_EQ(p[0], 0); // (min, max): minimum first
    EXPECT_EQ(p[1], 39);
    EXPECT_EQ(p[2], 40); // (max, min)
    EXPECT_EQ(p[3], 1);
    EXPECT_EQ(p[498], 249 + 39);
    dsoChannelDataFilt(0, 0, p.data(), r.data(), 10, 2); // mean without the ends
    EXPECT_EQ(p[0], (1 + 38) / 2);
    EXPECT_EQ(p[1], p[0]);
    dsoChannelDataFilt(0, 0, p.data(), r.data(), 10, 1); // narrowed by one
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[1], 38);
    // Position 50: source point 5119 lands at window index 4999, so the window starts at 120.
    dsoChannelDataFilt(0, 50, p.data(), r.data(), 10, 0);
    EXPECT_EQ(p[0], r[120]); // group 3 falls: (max, min)
    EXPECT_EQ(p[1], r[159]);
    Record flat(10240, 1);
    flat[5] = 0;
    dsoChannelDataFilt(0, 0, p.data(), flat.data(), 10, 1);
    EXPECT_EQ(p[0], 1) << "maximum 1: the pair is left as it is";
    EXPECT_EQ(p[1], 0);
    // Past 100 % counts as 100 %: the window ends at the last point of the record.
    Pairs hi(500), capped(500);
    dsoChannelDataFilt(0, 100, capped.data(), r.data(), 10, 0);
    dsoChannelDataFilt(0, 300, hi.data(), r.data(), 10, 0);
    EXPECT_EQ(hi, capped);
    EXPECT_EQ(capped[499], std::min(r[10200], r[10239]));
}

TEST(Processing, FilterReducesTheDeepWindowInGroupsOf2000) {
    Record r(524288);
    for (std::size_t i = 0; i < r.size(); ++i)
        r[i] = static_cast<std::uint16_t>(i / 2000);
    Pairs p(500);
    dsoChannelDataFilt(0, 100, p.data(), r.data(), 0, 2);
    // Window start 524287 - 499999 = 24288; group 0 covers 24288..26287.
    EXPECT_EQ(p[0], (12 * 1711 + 13 * 287) / 1998); // the mean without the two end points
    EXPECT_EQ(p[499], (261 * 1711 + 262 * 287) / 1998);
}

TEST(Processing, BackupFilterOrdersPairsByTheTrend) {
    Record r(32768, 0);
    for (int i = 0; i < 10240; ++i)
        r[i] = static_cast<std::uint16_t>(400 - (i / 40)); // falling group by group, flat inside
    r[81] = 450; // group 2 has a spike above the previous pair's first member
    Pairs p(502, -1);
    dsoChannelDataFiltbackup(12, p.data(), r.data(), 10);
    EXPECT_EQ(p[0], 400);
    EXPECT_EQ(p[1], 400);
    EXPECT_EQ(p[4], 450); // (max, min): maximum not below 399
    EXPECT_EQ(p[5], 398);
    EXPECT_EQ(p[6], 397); // (min, max): maximum 397 is below 450
    EXPECT_EQ(p[500], 150);
    // Deep records are moved 2048 points left in the caller's array first, groups of 100 at 13.
    Record d(32768);
    for (int i = 0; i < 32768; ++i)
        d[i] = static_cast<std::uint16_t>(i / 100);
    dsoChannelDataFiltbackup(13, p.data(), d.data(), 0);
    EXPECT_EQ(d[0], 20);
    EXPECT_EQ(d[30719], 327);
    EXPECT_EQ(p[0], 21); // points 2048..2147 of the original: 20 .. 21
    EXPECT_EQ(p[1], 20);
}

TEST(Processing, StoppedRecordReduction) {
    Record r = {5, 9, 1, 7, 3, 3};
    Pairs p(8, -1);
    dsoStopDataFilt(2, 4, r.data(), p.data(), 0, 4); // points from 4 on read as point 3
    EXPECT_EQ(p, Pairs({5, 9, 1, 7, 7, 7, 7, 7}));
    dsoStopDataFilt(3, 2, r.data(), p.data(), 2, 6);
    EXPECT_EQ(p[0], 5);
    EXPECT_EQ(p[2], 4);
    // Group size 0 or valid length 0 would divide by zero or read before the record.
    Pairs untouched(4, -1);
    dsoStopDataFilt(0, 2, r.data(), untouched.data(), 2, 6);
    dsoStopDataFilt(2, 2, r.data(), untouched.data(), 0, 0);
    EXPECT_EQ(untouched, Pairs(4, -1));
}

TEST(Processing, RecordLevelAmplitudeAndPeriod) {
    Record top(10240, 511);
    EXPECT_EQ(dsoChannelAverageData(top.data()), 511);
    top[9] = 510;
    EXPECT_EQ(dsoChannelAverageData(top.data()), 511);
    Record bottom(10240, 1);
    bottom[77] = 0;
    EXPECT_EQ(dsoChannelAverageData(bottom.data()), 0);
    Record mid(10240, 300);
    for (int i = 100; i < 500; ++i)
        mid[i] = static_cast<std::uint16_t>(i < 300 ? 200 : 203);
    EXPECT_EQ(dsoChannelAverageData(mid.data()), 201); // (200 x 200 + 203 x 200) / 400 = 201.5

    std::uint16_t out[2] = {9, 9};
    Record flat(10240, 123);
    EXPECT_EQ(dsoGetAmplitude(out, flat.data()), 0);
    EXPECT_EQ(out[0], 123);
    EXPECT_EQ(out[1], 123);
    flat[99] = 500; // outside 100..9899
    flat[9899] = 2;
    EXPECT_EQ(dsoGetAmplitude(out, flat.data()), 121);

    // Square wave of period 400: low 100 on 0..199, high 400 on 200..399, ...
    Record sq(20000);
    for (int i = 0; i < 20000; ++i)
        sq[i] = static_cast<std::uint16_t>((i / 200) % 2 ? 400 : 100);
    std::uint16_t period[2] = {7, 7};
    EXPECT_EQ(dsoGetPointsNumberInPeriod(period, sq.data()), 601);
    EXPECT_EQ(period[0], 201);
    EXPECT_EQ(period[1], 601);
    Record never(20000, 260); // between the two thresholds
    std::uint16_t unchanged[2] = {7, 8};
    EXPECT_EQ(dsoGetPointsNumberInPeriod(unchanged, never.data()), 20001);
    EXPECT_EQ(unchanged[0], 7);
    EXPECT_EQ(unchanged[1], 8);
}

TEST(Processing, ScrollAppendsOnTheRight) {
    Record disp(500);
    for (int i = 0; i < 500; ++i)
        disp[i] = static_cast<std::uint16_t>(i);
    const std::uint16_t levels[2] = {11, 600};
    std::uint16_t block[4] = {0, 0, 0, 0};
    ASSERT_EQ(dsoScrollDisplayData(disp.data(), levels, block, 77, 1), 1);
    EXPECT_EQ(disp[0], 1);
    EXPECT_EQ(disp[498], 499);
    EXPECT_EQ(disp[499], 77);
    block[2] = 1;
    dsoScrollDisplayData(disp.data(), levels, block, 77, 1);
    EXPECT_EQ(disp[499], 500);
    dsoScrollDisplayData(disp.data(), levels, block, 77, 2); // block[3] is 0: the code as given
    EXPECT_EQ(disp[499], 77);
    block[3] = 1;
    dsoScrollDisplayData(disp.data(), levels, block, 77, 2);
    EXPECT_EQ(disp[499], 0) << "511 - 600 saturates at 0";
    EXPECT_EQ(dsoScrollDisplayData(nullptr, levels, block, 1, 1), 0);
}

TEST(Processing, StoppedDisplayShift) {
    Record src(500);
    for (int i = 0; i < 500; ++i)
        src[i] = static_cast<std::uint16_t>(i);
    Record dst(500);
    // Shift only: the capture point moves from 60 % to 50 %.
    dsoScrollDisplayDataInStop(src.data(), dst.data(), 60, 50, 1, 1);
    EXPECT_EQ(dst[0], 50);
    EXPECT_EQ(dst[449], 499);
    EXPECT_EQ(dst[450], 1000);
    dsoScrollDisplayDataInStop(src.data(), dst.data(), 50, 60, 1, 1);
    EXPECT_EQ(dst[49], 1000);
    EXPECT_EQ(dst[50], 0);
    // Magnified by 2 about the same position: expanded points 250..749 = source 125..374.
    dsoScrollDisplayDataInStop(src.data(), dst.data(), 50, 50, 2, 2);
    EXPECT_EQ(dst[0], 125);
    EXPECT_EQ(dst[1], 125);
    EXPECT_EQ(dst[499], 374);
    // Magnified with the current position far right: written from 500 f - 500 c g on.
    dsoScrollDisplayDataInStop(src.data(), dst.data(), 10, 90, 2, 2);
    EXPECT_EQ(dst[349], 1000);
    EXPECT_EQ(dst[350], 0);
    EXPECT_EQ(dst[499], 74);
    // Reads stay inside the expanded record however far the capture point lies.
    dsoScrollDisplayDataInStop(src.data(), dst.data(), 100, 0, 3, 2);
    EXPECT_EQ(dst[0], 1000);
    // Reduced by 2 about trunc(500 g) - 1 = 249.
    dsoScrollDisplayDataInStop(src.data(), dst.data(), 50, 50, 2, 0);
    EXPECT_EQ(dst[249], 249);
    EXPECT_EQ(dst[250], 251);
    EXPECT_EQ(dst[248], 247);
    EXPECT_EQ(dst[374], 499);
    EXPECT_EQ(dst[375], 1000);
    EXPECT_EQ(dst[124], 1000);
    EXPECT_EQ(dst[125], 1);
    // A factor of 0 counts as 1 instead of never advancing.
    Record one(500), zero(500);
    dsoScrollDisplayDataInStop(src.data(), one.data(), 40, 50, 1, 0);
    dsoScrollDisplayDataInStop(src.data(), zero.data(), 40, 50, 0, 0);
    EXPECT_EQ(one, zero);
    dsoScrollDisplayDataInStop(src.data(), zero.data(), 40, 50, 0, 2);
    EXPECT_EQ(zero[50], 0);
}
