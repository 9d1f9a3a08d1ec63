// One-pixel lines, styled pens, pixels and the fresh context's defaults.
#include "GdiTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST(GdiDefaults, FreshContextHasBlackPenWhiteBrushOpaqueWhiteBackgroundBlackText) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetTextColor(dc), kBlack);
    EXPECT_EQ(GetBkColor(dc), kWhite);
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
    LOGPEN lp;
    ASSERT_EQ(GetObject(GetCurrentObject(dc, OBJ_PEN), sizeof lp, &lp), static_cast<int>(sizeof lp));
    EXPECT_EQ(lp.lopnColor, kBlack);
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_SOLID));
    // Nothing is drawn on the 1 x 1 stock bitmap of a new memory context.
    EXPECT_EQ(SetPixel(dc, 0, 0, kRed), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
    EXPECT_TRUE(DeleteDC(dc));
}

TEST(GdiLines, LineToExcludesTheEndPointAndMovesTheCurrentPosition) {
    TestSurface s(40, 40, kWhite);
    MoveToEx(s.dc(), 5, 5, nullptr);
    ASSERT_TRUE(LineTo(s.dc(), 15, 5));
    EXPECT_EQ(s.at(5, 5), kBlack);
    EXPECT_EQ(s.at(14, 5), kBlack);
    EXPECT_EQ(s.at(15, 5), kWhite);
    EXPECT_EQ(s.Count(kBlack), 10);
    POINT cp;
    GetCurrentPositionEx(s.dc(), &cp);
    EXPECT_EQ(cp.x, 15);
    // Backwards and vertical: still the start drawn, the end left out.
    ASSERT_TRUE(LineTo(s.dc(), 15, 0));
    EXPECT_EQ(s.at(15, 5), kBlack);
    EXPECT_EQ(s.at(15, 1), kBlack);
    EXPECT_EQ(s.at(15, 0), kWhite);
}

TEST(GdiLines, DiagonalAndShallowLinesAreConnectedOnePixelPerMajorStep) {
    TestSurface s(40, 40, kWhite);
    MoveToEx(s.dc(), 0, 0, nullptr);
    LineTo(s.dc(), 10, 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(s.at(i, i), kBlack) << i;
    EXPECT_EQ(s.at(10, 10), kWhite);
    EXPECT_EQ(s.Count(kBlack), 10);

    TestSurface t(40, 40, kWhite);
    MoveToEx(t.dc(), 2, 30, nullptr);
    LineTo(t.dc(), 32, 20); // 30 across, 10 up
    EXPECT_EQ(t.Count(kBlack), 30);
    for (int x = 2; x < 32; ++x)
        EXPECT_EQ(t.Count(kBlack, x, 0, x + 1, 40), 1) << x;
    EXPECT_EQ(t.at(2, 30), kBlack);
    EXPECT_EQ(t.at(32, 20), kWhite);
}

TEST(GdiLines, PolylineDrawsEveryVertexButTheLast) {
    TestSurface s(30, 30, kWhite);
    POINT pts[] = {{2, 2}, {12, 2}, {12, 12}, {2, 12}};
    ASSERT_TRUE(Polyline(s.dc(), pts, 4));
    EXPECT_EQ(s.at(12, 2), kBlack);
    EXPECT_EQ(s.at(12, 12), kBlack);
    EXPECT_EQ(s.at(3, 12), kBlack);
    EXPECT_EQ(s.at(2, 12), kWhite);
    EXPECT_EQ(s.Count(kBlack), 30);
    EXPECT_FALSE(Polyline(s.dc(), pts, 1));
    EXPECT_FALSE(Polyline(s.dc(), nullptr, 4));
}

TEST(GdiLines, DottedPenAlternatesThreeOnThreeOffWithOpaqueGapsInBackgroundColour) {
    TestSurface s(40, 10, RGB(0, 0, 255));
    HPEN pen = CreatePen(PS_DOT, 1, kRed);
    HGDIOBJ old = SelectObject(s.dc(), pen);
    SetBkColor(s.dc(), RGB(0, 255, 0));
    MoveToEx(s.dc(), 0, 2, nullptr);
    LineTo(s.dc(), 24, 2);
    for (int x = 0; x < 24; ++x)
        EXPECT_EQ(s.at(x, 2), (x % 6) < 3 ? kRed : RGB(0, 255, 0)) << x;
    // Transparent: gaps keep what was there.
    SetBkMode(s.dc(), TRANSPARENT);
    MoveToEx(s.dc(), 0, 5, nullptr);
    LineTo(s.dc(), 24, 5);
    for (int x = 0; x < 24; ++x)
        EXPECT_EQ(s.at(x, 5), (x % 6) < 3 ? kRed : RGB(0, 0, 255)) << x;
    SelectObject(s.dc(), old);
    DeleteObject(pen);
}

TEST(GdiLines, DashDotDotAndDashPatterns) {
    TestSurface s(60, 10, kBlack);
    SetBkMode(s.dc(), TRANSPARENT);
    HPEN pen = CreatePen(PS_DASHDOTDOT, 1, kWhite);
    HGDIOBJ old = SelectObject(s.dc(), pen);
    MoveToEx(s.dc(), 0, 1, nullptr);
    LineTo(s.dc(), 48, 1);
    const char* expect = "111111111000111000111000";
    for (int x = 0; x < 48; ++x)
        EXPECT_EQ(s.at(x, 1), expect[x % 24] == '1' ? kWhite : kBlack) << x;
    HPEN dash = CreatePen(PS_DASH, 1, kWhite);
    SelectObject(s.dc(), dash);
    MoveToEx(s.dc(), 0, 3, nullptr);
    LineTo(s.dc(), 48, 3);
    EXPECT_EQ(s.Count(kWhite, 0, 3, 48, 4), 36);
    EXPECT_EQ(s.at(18, 3), kBlack);
    SelectObject(s.dc(), old);
    DeleteObject(pen);
    DeleteObject(dash);
}

TEST(GdiLines, TwoPixelPenDrawsAWiderLine) {
    TestSurface s(30, 30, kBlack);
    HPEN pen = CreatePen(PS_SOLID, 2, kWhite);
    HGDIOBJ old = SelectObject(s.dc(), pen);
    MoveToEx(s.dc(), 5, 10, nullptr);
    LineTo(s.dc(), 25, 10);
    EXPECT_GE(s.Count(kWhite, 10, 0, 11, 30), 2);
    EXPECT_EQ(s.Count(kWhite, 10, 0, 11, 9), 0);
    EXPECT_EQ(s.Count(kWhite, 10, 12, 11, 30), 0);
    SelectObject(s.dc(), old);
    DeleteObject(pen);
}

TEST(GdiLines, NullPenDrawsNothing) {
    TestSurface s(20, 20, kWhite);
    SelectObject(s.dc(), GetStockObject(NULL_PEN));
    MoveToEx(s.dc(), 0, 0, nullptr);
    EXPECT_TRUE(LineTo(s.dc(), 19, 19));
    EXPECT_EQ(s.Count(kWhite), 400);
    SelectObject(s.dc(), GetStockObject(BLACK_PEN));
}

TEST(GdiLines, FarOffLinesAreClippedQuicklyAndSafely) {
    TestSurface s(50, 50, kWhite);
    auto start = std::chrono::steady_clock::now();
    MoveToEx(s.dc(), -2000000000, 25, nullptr);
    LineTo(s.dc(), 2000000000, 25);
    MoveToEx(s.dc(), -1000000000, -1000000000, nullptr);
    LineTo(s.dc(), 1000000000, 1000000000);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                  .count();
    EXPECT_LT(ms, 1000);
    EXPECT_EQ(s.Count(kBlack, 0, 25, 50, 26), 50);
    EXPECT_EQ(s.at(10, 10), kBlack);
}

TEST(GdiPixels, SetPixelAndGetPixelRespectBoundsAndWindowOrigin) {
    TestSurface s(10, 10, kBlack);
    EXPECT_EQ(SetPixel(s.dc(), 3, 4, RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(s.dc(), 3, 4), RGB(1, 2, 3));
    EXPECT_EQ(SetPixel(s.dc(), 10, 0, kRed), CLR_INVALID);
    EXPECT_EQ(SetPixel(s.dc(), -1, 0, kRed), CLR_INVALID);
    EXPECT_EQ(GetPixel(s.dc(), 0, 10), CLR_INVALID);
    POINT old;
    SetWindowOrgEx(s.dc(), 100, 50, &old);
    EXPECT_EQ(SetPixel(s.dc(), 100, 50, kRed), kRed);
    POINT p{105, 52};
    LPtoDP(s.dc(), &p, 1);
    EXPECT_EQ(p.x, 5);
    EXPECT_EQ(p.y, 2);
    RECT clip;
    EXPECT_EQ(GetClipBox(s.dc(), &clip), SIMPLEREGION);
    EXPECT_EQ(clip.left, 100);
    EXPECT_EQ(clip.bottom, 60);
    SetWindowOrgEx(s.dc(), 0, 0, nullptr);
    EXPECT_EQ(s.at(0, 0), kRed);
}

} // namespace
