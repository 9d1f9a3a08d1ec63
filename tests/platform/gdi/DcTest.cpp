// The framework's CDC and GDI object wrappers.
#include "framework/DC.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

struct BitmapDC {
    CDC dc;
    CBitmap bmp;
    CBitmap* old = nullptr;
    BitmapDC(int w, int h) {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, w, h);
        old = dc.SelectObject(&bmp);
    }
    ~BitmapDC() { dc.SelectObject(old); }
};

TEST(FrameworkDC, GdiObjectsDeleteTheirHandlesWhenDestroyed) {
    HGDIOBJ h = nullptr;
    {
        CPen pen(PS_SOLID, 1, kRed);
        h = pen.GetSafeHandle();
        ASSERT_NE(h, nullptr);
        EXPECT_TRUE(KvIsGdiObject(h));
        EXPECT_FALSE(pen.CreatePen(PS_SOLID, 1, kRed)); // already holds one
    }
    EXPECT_FALSE(KvIsGdiObject(h));
    CBrush b(kRed);
    HGDIOBJ detached = b.Detach();
    EXPECT_EQ(b.GetSafeHandle(), nullptr);
    EXPECT_TRUE(KvIsGdiObject(detached));
    DeleteObject(detached);
    {
        CGdiObject stock;
        EXPECT_TRUE(stock.CreateStockObject(BLACK_BRUSH));
    }
    EXPECT_TRUE(KvIsGdiObject(GetStockObject(BLACK_BRUSH)));
}

TEST(FrameworkDC, SelectObjectReturnsThePreviousObjectAndRestoresIt) {
    BitmapDC t(20, 20);
    CPen red(PS_SOLID, 1, kRed);
    CPen* stockPen = t.dc.SelectObject(&red);
    ASSERT_NE(stockPen, nullptr);
    EXPECT_EQ(stockPen->GetSafeHandle(), GetStockObject(BLACK_PEN));
    CPen blue(PS_SOLID, 1, RGB(0, 0, 255));
    EXPECT_EQ(t.dc.SelectObject(&blue), &red); // the caller's own object comes back
    t.dc.SelectObject(stockPen);
    t.dc.MoveTo(0, 0);
    t.dc.LineTo(5, 0);
    EXPECT_EQ(t.dc.GetPixel(2, 0), kBlack);
    EXPECT_EQ(t.dc.SelectObject(static_cast<CPen*>(nullptr)), nullptr);
    // Stock selection and the temporary wrapper never delete the stock object.
    CGdiObject* prev = t.dc.SelectStockObject(NULL_BRUSH);
    ASSERT_NE(prev, nullptr);
    EXPECT_EQ(prev->GetSafeHandle(), GetStockObject(WHITE_BRUSH));
}

TEST(FrameworkDC, FillSolidRectFillsAndLeavesTheBackgroundColourSet) {
    BitmapDC t(20, 20);
    EXPECT_EQ(t.dc.GetBkColor(), RGB(255, 255, 255));
    CRect rc(2, 2, 8, 8);
    t.dc.FillSolidRect(&rc, RGB(50, 50, 50));
    EXPECT_EQ(t.dc.GetBkColor(), RGB(50, 50, 50));
    EXPECT_EQ(t.dc.GetPixel(2, 2), RGB(50, 50, 50));
    EXPECT_EQ(t.dc.GetPixel(7, 7), RGB(50, 50, 50));
    EXPECT_EQ(t.dc.GetPixel(8, 8), kBlack);
    t.dc.FillSolidRect(10, 10, 3, 2, kRed);
    EXPECT_EQ(t.dc.GetPixel(12, 11), kRed);
    EXPECT_EQ(t.dc.GetPixel(13, 11), kBlack);
    // Text drawn opaque now sits on that colour.
    EXPECT_EQ(t.dc.GetBkColor(), kRed);
}

TEST(FrameworkDC, RegionsTextAndOriginsThroughTheWrappers) {
    BitmapDC t(60, 30);
    CRgn rgn;
    POINT tri[] = {{0, 0}, {10, 0}, {0, 10}};
    ASSERT_TRUE(rgn.CreatePolygonRgn(tri, 3, ALTERNATE));
    CBrush brush(kRed);
    EXPECT_TRUE(t.dc.FillRgn(&rgn, &brush));
    EXPECT_EQ(t.dc.GetPixel(1, 1), kRed);
    EXPECT_FALSE(t.dc.FillRgn(nullptr, &brush));
    CFont font;
    ASSERT_TRUE(
        font.CreateFont(15, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "Arial"));
    CFont* oldFont = t.dc.SelectObject(&font);
    CSize ext = t.dc.GetTextExtent(CString("CH2"));
    EXPECT_EQ(ext.cy, 15);
    t.dc.SelectObject(oldFont);
    CPoint old = t.dc.SetWindowOrg(10, 5);
    EXPECT_EQ(old, CPoint(0, 0));
    EXPECT_EQ(t.dc.GetWindowOrg(), CPoint(10, 5));
    CRect r(10, 5, 20, 15);
    t.dc.LPtoDP(&r);
    EXPECT_EQ(r, CRect(0, 0, 10, 10));
}

TEST(FrameworkDC, AnEmptyCDCIsHarmless) {
    CDC dc;
    EXPECT_FALSE(dc.LineTo(3, 3));
    EXPECT_EQ(dc.GetPixel(0, 0), CLR_INVALID);
    dc.FillSolidRect(0, 0, 5, 5, kRed);
    EXPECT_EQ(dc.GetTextExtent(CString("x")), CSize(0, 0));
    EXPECT_FALSE(dc.BitBlt(0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
    EXPECT_FALSE(dc.DeleteDC());
}

} // namespace
