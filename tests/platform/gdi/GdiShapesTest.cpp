// Rectangles, ellipses, arcs, pies, chords, polygons, regions and fills.
#include "GdiTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class Brush {
public:
    Brush(HDC dc, COLORREF c) : m_dc(dc), m_brush(CreateSolidBrush(c)) { m_old = SelectObject(dc, m_brush); }
    ~Brush() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_brush);
    }

private:
    HDC m_dc;
    HBRUSH m_brush;
    HGDIOBJ m_old;
};

TEST(GdiShapes, RectangleExcludesRightAndBottomAndFillsWithTheBrush) {
    TestSurface s(40, 40, kBlue);
    Brush b(s.dc(), kRed);
    ASSERT_TRUE(Rectangle(s.dc(), 5, 5, 15, 12));
    RECT box;
    ASSERT_TRUE(s.Bounds(kBlack, &box));
    EXPECT_EQ(box.left, 5);
    EXPECT_EQ(box.top, 5);
    EXPECT_EQ(box.right, 14);
    EXPECT_EQ(box.bottom, 11);
    EXPECT_EQ(s.at(15, 8), kBlue);
    EXPECT_EQ(s.at(8, 12), kBlue);
    EXPECT_EQ(s.Count(kRed), 8 * 5);
    // Swapped corners draw the same rectangle.
    TestSurface t(40, 40, kBlue);
    Brush bt(t.dc(), kRed);
    Rectangle(t.dc(), 15, 12, 5, 5);
    EXPECT_EQ(t.Count(kBlack), s.Count(kBlack));
}

TEST(GdiShapes, RectangleWithNullPenFillsOnePixelLessToTheRightAndBottom) {
    TestSurface s(40, 40, kBlue);
    Brush b(s.dc(), kRed);
    SelectObject(s.dc(), GetStockObject(NULL_PEN));
    Rectangle(s.dc(), 5, 5, 15, 12);
    RECT box;
    ASSERT_TRUE(s.Bounds(kRed, &box));
    EXPECT_EQ(box.right, 13);
    EXPECT_EQ(box.bottom, 10);
    EXPECT_EQ(s.Count(kBlack), 0);
    SelectObject(s.dc(), GetStockObject(BLACK_PEN));
}

TEST(GdiShapes, FillRectCoversLeftTopUpToButNotIncludingRightBottom) {
    TestSurface s(20, 20, kBlack);
    HBRUSH b = CreateSolidBrush(kWhite);
    RECT rc{2, 3, 7, 9};
    EXPECT_NE(FillRect(s.dc(), &rc, b), 0);
    EXPECT_EQ(s.Count(kWhite), 5 * 6);
    EXPECT_EQ(s.at(7, 5), kBlack);
    RECT empty{5, 5, 5, 9};
    FillRect(s.dc(), &empty, b);
    EXPECT_EQ(s.Count(kWhite), 30);
    DeleteObject(b);
}

TEST(GdiShapes, EllipseTouchesLeftTopAndRightMinusOneBottomMinusOne) {
    TestSurface s(60, 60, kBlue);
    Brush b(s.dc(), kRed);
    ASSERT_TRUE(Ellipse(s.dc(), 10, 20, 41, 45));
    RECT box;
    ASSERT_TRUE(s.Bounds(kBlack, &box));
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 20);
    EXPECT_EQ(box.right, 40);
    EXPECT_EQ(box.bottom, 44);
    EXPECT_EQ(s.at(25, 32), kRed);
    EXPECT_EQ(s.at(10, 20), kBlue); // corner of the box is outside the ellipse
    // The outline is closed: every row between top and bottom has outline on both sides.
    for (int y = 21; y < 44; ++y) {
        EXPECT_GE(s.Count(kBlack, 0, y, 25, y + 1), 1) << y;
        EXPECT_GE(s.Count(kBlack, 26, y, 60, y + 1), 1) << y;
    }
}

// Which quadrants around the centre of the box (0,0)-(40,40) got the brush colour.
struct Quadrants {
    bool upperRight, upperLeft, lowerLeft, lowerRight;
};
Quadrants Probe(const TestSurface& s, COLORREF c) {
    return {s.at(28, 12) == c, s.at(12, 12) == c, s.at(12, 28) == c, s.at(28, 28) == c};
}

TEST(GdiShapes, PieRunsCounterClockwiseFromStartRadialToEndRadial) {
    TestSurface s(41, 41, kBlue);
    Brush b(s.dc(), kRed);
    // From the right (0 degrees) to the top (90 degrees): only the upper right quarter.
    Pie(s.dc(), 0, 0, 40, 40, 40, 20, 20, 0);
    Quadrants q = Probe(s, kRed);
    EXPECT_TRUE(q.upperRight);
    EXPECT_FALSE(q.upperLeft);
    EXPECT_FALSE(q.lowerLeft);
    EXPECT_FALSE(q.lowerRight);
    // Swapped radials: the other three quarters.
    TestSurface t(41, 41, kBlue);
    Brush bt(t.dc(), kRed);
    Pie(t.dc(), 0, 0, 40, 40, 20, 0, 40, 20);
    q = Probe(t, kRed);
    EXPECT_FALSE(q.upperRight);
    EXPECT_TRUE(q.upperLeft);
    EXPECT_TRUE(q.lowerLeft);
    EXPECT_TRUE(q.lowerRight);
}

TEST(GdiShapes, EqualRadialPointsGiveTheFullEllipse) {
    for (int kind = 0; kind < 2; ++kind) {
        TestSurface s(41, 41, kBlue);
        Brush b(s.dc(), kRed);
        if (kind == 0)
            Chord(s.dc(), 0, 0, 40, 40, 0, 0, 0, 0);
        else
            Pie(s.dc(), 0, 0, 40, 40, 3, 7, 3, 7);
        Quadrants q = Probe(s, kRed);
        EXPECT_TRUE(q.upperRight && q.upperLeft && q.lowerLeft && q.lowerRight) << kind;
        RECT box;
        ASSERT_TRUE(s.Bounds(kBlack, &box));
        EXPECT_EQ(box.right, 39);
        EXPECT_EQ(box.bottom, 39);
    }
}

TEST(GdiShapes, ChordIsClosedByAStraightLine) {
    TestSurface s(41, 41, kBlue);
    Brush b(s.dc(), kRed);
    // From the top-right corner direction to the bottom-left: the upper-left half.
    Chord(s.dc(), 0, 0, 40, 40, 40, 0, 0, 40);
    EXPECT_EQ(s.at(10, 10), kRed);
    EXPECT_EQ(s.at(30, 30), kBlue);
    // The closing line runs through the centre along the other diagonal.
    EXPECT_EQ(s.at(20, 19), kBlack);
}

TEST(GdiShapes, ThinKnobPieSliceStaysThin) {
    TestSurface s(88, 86, kBlue);
    Brush b(s.dc(), kRed);
    Pie(s.dc(), -1, -1, 88, 86, 0, 85, 1, 85);
    // A sliver towards the lower left, nothing on the right half.
    EXPECT_EQ(s.Count(kRed, 44, 0, 88, 86), 0);
    EXPECT_EQ(s.Count(kBlack, 50, 0, 88, 86), 0);
    EXPECT_GT(s.Count(kBlack, 0, 43, 43, 86), 10);
}

TEST(GdiShapes, ArcDrawsOnlyTheOutline) {
    TestSurface s(41, 41, kBlue);
    Brush b(s.dc(), kRed);
    Arc(s.dc(), 0, 0, 40, 40, 40, 20, 0, 20); // upper half
    EXPECT_EQ(s.Count(kRed), 0);
    EXPECT_EQ(s.at(20, 0), kBlack);
    EXPECT_EQ(s.Count(kBlack, 0, 25, 41, 41), 0);
}

TEST(GdiRegions, PolygonRegionFillsInsideAndExcludesRightAndBottomEdges) {
    TestSurface s(30, 30, kBlack);
    POINT sq[] = {{5, 5}, {15, 5}, {15, 10}, {5, 10}};
    HRGN rgn = CreatePolygonRgn(sq, 4, ALTERNATE);
    ASSERT_NE(rgn, nullptr);
    HBRUSH b = CreateSolidBrush(kWhite);
    ASSERT_TRUE(FillRgn(s.dc(), rgn, b));
    EXPECT_EQ(s.Count(kWhite), 10 * 5);
    EXPECT_EQ(s.at(15, 7), kBlack);
    RECT box;
    EXPECT_EQ(GetRgnBox(rgn, &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 15);
    // A triangle: its tip row is narrow, its base row wide.
    POINT tri[] = {{20, 10}, {29, 28}, {11, 28}};
    HRGN t = CreatePolygonRgn(tri, 3, WINDING);
    FillRgn(s.dc(), t, b);
    EXPECT_LT(s.Count(kWhite, 0, 12, 30, 13), s.Count(kWhite, 0, 26, 30, 27));
    DeleteObject(t);
    DeleteObject(rgn);
    DeleteObject(b);
}

TEST(GdiRegions, DegeneratePolygonsAreRefused) {
    POINT two[] = {{0, 0}, {5, 5}};
    EXPECT_EQ(CreatePolygonRgn(two, 2, ALTERNATE), nullptr);
    EXPECT_EQ(CreatePolygonRgn(two, -4, ALTERNATE), nullptr);
    EXPECT_EQ(CreatePolygonRgn(nullptr, 3, ALTERNATE), nullptr);
    POINT three[] = {{0, 0}, {5, 5}, {0, 5}};
    EXPECT_EQ(CreatePolygonRgn(three, 3, 7), nullptr);
}

TEST(GdiShapes, PolygonFillsAndOutlinesWithPenAndBrush) {
    TestSurface s(30, 30, kBlue);
    Brush b(s.dc(), kRed);
    POINT pts[] = {{5, 5}, {25, 5}, {25, 25}, {5, 25}};
    ASSERT_TRUE(Polygon(s.dc(), pts, 4));
    EXPECT_EQ(s.at(15, 15), kRed);
    EXPECT_EQ(s.at(25, 25), kBlack); // the outline closes through every vertex
    EXPECT_EQ(s.at(5, 25), kBlack);
    EXPECT_EQ(s.at(26, 15), kBlue);
}

TEST(GdiShapes, PaintRgnUsesTheCurrentBrushAndNullBrushFillsNothing) {
    TestSurface s(20, 20, kBlack);
    HRGN r = CreateRectRgn(0, 0, 4, 4);
    EXPECT_TRUE(PaintRgn(s.dc(), r)); // default white brush
    EXPECT_EQ(s.Count(kWhite), 16);
    SelectObject(s.dc(), GetStockObject(NULL_BRUSH));
    HRGN r2 = CreateRectRgn(10, 10, 14, 14);
    PaintRgn(s.dc(), r2);
    Rectangle(s.dc(), 5, 5, 9, 9);
    EXPECT_EQ(s.Count(kWhite), 16);
    DeleteObject(r);
    DeleteObject(r2);
}

} // namespace

namespace {

// A knob and a small graticule with a trace, saved for a person to look at.
TEST(GdiScenes, KnobAndGraticuleRenderAsExpected) {
    TestSurface s(200, 100, RGB(212, 208, 200));
    HDC dc = s.dc();
    Arc(dc, 6, 6, 81, 79, 87, 85, 0, 85);
    Pie(dc, -1, -1, 88, 86, 0, 85, 1, 85);
    Pie(dc, -1, -1, 88, 86, 87, 86, 87, 85);
    HBRUSH light = CreateSolidBrush(RGB(210, 210, 210));
    HGDIOBJ old = SelectObject(dc, light);
    Chord(dc, 9, 9, 78, 76, 87, 0, 0, 85);
    HBRUSH dark = CreateSolidBrush(RGB(180, 180, 180));
    SelectObject(dc, dark);
    Chord(dc, 9, 9, 78, 76, 0, 85, 87, 0);
    HBRUSH cap = CreateSolidBrush(RGB(50, 50, 255));
    SelectObject(dc, cap);
    Chord(dc, 15, 15, 72, 70, 0, 0, 0, 0);
    HPEN white = CreatePen(PS_SOLID, 2, RGB(255, 255, 255));
    HGDIOBJ oldPen = SelectObject(dc, white);
    MoveToEx(dc, 43, 42, nullptr);
    LineTo(dc, 60, 25);
    SelectObject(dc, oldPen);
    Chord(dc, 37, 37, 50, 48, 0, 0, 0, 0);
    SelectObject(dc, old);
    // The cap is the knob colour at its centre, the light half above the dark one.
    EXPECT_EQ(s.at(30, 55), RGB(50, 50, 255));
    EXPECT_EQ(s.at(13, 40), RGB(210, 210, 210));
    EXPECT_EQ(s.at(74, 40), RGB(180, 180, 180));

    RECT plot{100, 10, 190, 90};
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    FillRect(dc, &plot, black);
    HPEN grid = CreatePen(PS_DOT, 1, RGB(100, 100, 100));
    oldPen = SelectObject(dc, grid);
    SetBkMode(dc, TRANSPARENT);
    for (int i = 1; i < 10; ++i) {
        MoveToEx(dc, 100 + i * 9, 10, nullptr);
        LineTo(dc, 100 + i * 9, 90);
    }
    HPEN trace = CreatePen(PS_SOLID, 1, RGB(255, 255, 0));
    SelectObject(dc, trace);
    POINT pts[90];
    for (int i = 0; i < 90; ++i)
        pts[i] = {100 + i, 50 - static_cast<LONG>(30 * std::sin(i / 9.0))};
    Polyline(dc, pts, 90);
    SelectObject(dc, oldPen);
    EXPECT_GT(s.Count(RGB(255, 255, 0), 100, 10, 190, 90), 89);
    EXPECT_GT(s.Count(RGB(100, 100, 100), 100, 10, 190, 90), 9 * 30);
    s.Save("gdi_scene_knob_graticule");
    for (HGDIOBJ o : {static_cast<HGDIOBJ>(light), static_cast<HGDIOBJ>(dark), static_cast<HGDIOBJ>(cap),
                      static_cast<HGDIOBJ>(white), static_cast<HGDIOBJ>(black), static_cast<HGDIOBJ>(grid),
                      static_cast<HGDIOBJ>(trace)})
        EXPECT_TRUE(DeleteObject(o));
}

} // namespace
