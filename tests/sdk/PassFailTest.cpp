// Pass/fail mask and the painting of its zones.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "Canvas.h"
#include "Tessel.h"

namespace {

TEST(SdkPassFail, ToleranceZeroAndLimits) {
    std::vector<uint16_t> rec(500), up(500), lo(500);
    for (int i = 0; i < 500; ++i)
        rec[i] = static_cast<uint16_t>(i);
    EXPECT_EQ(dsoCalculatePassFailData(0, 0, up.data(), lo.data(), rec.data()), 1);
    EXPECT_EQ(up, rec);
    EXPECT_EQ(lo, rec);
    std::vector<uint16_t> top(500, 511), bottom(500, 0);
    dsoCalculatePassFailData(0, 10, up.data(), lo.data(), top.data());
    EXPECT_EQ(up, std::vector<uint16_t>(500, 511));
    EXPECT_EQ(lo, std::vector<uint16_t>(500, 501));
    dsoCalculatePassFailData(3, 10, up.data(), lo.data(), bottom.data());
    EXPECT_EQ(lo, std::vector<uint16_t>(500, 0));
    EXPECT_EQ(up, std::vector<uint16_t>(500, 10));
    EXPECT_EQ(dsoCalculatePassFailData(0, 0, nullptr, lo.data(), rec.data()), 0);
}

TEST(SdkPassFail, WideningNearTheEndsGoesOneWayOnly) {
    std::vector<uint16_t> rec(500, 100), up(500), lo(500);
    rec[5] = 200;   // below h: widens towards higher indexes only
    rec[495] = 20;  // j + h reaches 500: widens towards lower indexes only
    rec[250] = 300; // inside: both ways
    dsoCalculatePassFailData(10, 0, up.data(), lo.data(), rec.data());
    EXPECT_EQ(up[4], 100);
    EXPECT_EQ(up[5], 200);
    EXPECT_EQ(up[15], 200);
    EXPECT_EQ(up[16], 100);
    EXPECT_EQ(lo[485], 20);
    EXPECT_EQ(lo[484], 100);
    EXPECT_EQ(lo[495], 20);
    EXPECT_EQ(lo[496], 100);
    EXPECT_EQ(up[240], 300);
    EXPECT_EQ(up[260], 300);
    EXPECT_EQ(up[239], 100);
    EXPECT_EQ(up[261], 100);
}

TEST(SdkPassFail, ZonesAboveAndBelowTheMask) {
    const uint16_t layout[7] = {500, 511, 0, 0, 0, 0, 0};
    const COLORREF zone = RGB(150, 128, 0);
    std::vector<uint16_t> up(500, 400), lo(500, 100);
    Canvas c(500, 511);
    dsoDrawPassFailRgn(c.dc(), layout, up.data(), lo.data(), 0);
    c.Save("sdk_passfail_zones");
    EXPECT_EQ(c.At(250, 50), zone);
    EXPECT_EQ(c.At(2, 50), zone); // h = 0 spans the whole plot width
    EXPECT_EQ(c.At(250, 200), kBlack);
    EXPECT_EQ(c.At(250, 450), zone);
    // h = 100: the zones run from x = 100 to 400.
    Canvas n(500, 511);
    dsoDrawPassFailRgn(n.dc(), layout, up.data(), lo.data(), 100);
    EXPECT_EQ(n.At(50, 50), kBlack);
    EXPECT_EQ(n.At(250, 50), zone);
}

TEST(SdkPassFail, NoZoneWithFewerThanThreeCorners) {
    const uint16_t layout[7] = {500, 511, 0, 0, 0, 0, 0};
    std::vector<uint16_t> up(500, 400), lo(500, 100);
    Canvas c(500, 511);
    for (uint16_t h : {uint16_t(250), uint16_t(251), uint16_t(252), uint16_t(400), uint16_t(65535)})
        dsoDrawPassFailRgn(c.dc(), layout, up.data(), lo.data(), h);
    EXPECT_EQ(c.CountNot(kBlack, 0, 0, 500, 511), 0);
    dsoDrawPassFailRgn(c.dc(), layout, up.data(), lo.data(), 249); // 4 corners still draw
    EXPECT_GT(c.CountNot(kBlack, 0, 0, 500, 511), 0);
}

} // namespace
