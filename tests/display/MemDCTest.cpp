// The paint-time memory context and the persistent off-screen pair.
#include "MemDC.h"
#include "BitmapTarget.h"
#include "OffScreenBuffer.h"

#include <gtest/gtest.h>

#include "TestOutput.h"
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGrey = RGB(50, 50, 50);

using Target = kvtest::BitmapTarget;
using kvtest::kTargetColor;

TEST(MemDC, DrawingReachesTheTargetOnlyWhenTheMemDCIsDestroyed) {
    Target t(40, 30);
    t.dc.SetBkColor(kGrey);
    CRect rc(5, 5, 25, 20);
    {
        CMemDC mem(&t.dc, &rc);
        CPen pen(PS_SOLID, 1, kRed);
        CPen* old = mem.SelectObject(&pen);
        mem.MoveTo(5, 10); // target coordinates land in the bitmap
        mem.LineTo(25, 10);
        mem.SelectObject(old);
        EXPECT_EQ(mem.GetPixel(5, 10), kRed);
        EXPECT_EQ(t.dc.GetPixel(6, 10), kTargetColor); // nothing shown yet
    }
    EXPECT_EQ(t.dc.GetPixel(5, 10), kRed);
    EXPECT_EQ(t.dc.GetPixel(24, 10), kRed);
    // The rest of the rectangle shows the target's background colour; outside it is untouched.
    EXPECT_EQ(t.dc.GetPixel(5, 5), kGrey);
    EXPECT_EQ(t.dc.GetPixel(24, 19), kGrey);
    EXPECT_EQ(t.dc.GetPixel(25, 10), kTargetColor);
    EXPECT_EQ(t.dc.GetPixel(4, 4), kTargetColor);
}

TEST(MemDC, WithoutARectangleTheTargetsClipBoxIsUsed) {
    Target t(16, 12);
    t.dc.SetBkColor(kGrey);
    { CMemDC mem(&t.dc); }
    EXPECT_EQ(t.dc.GetPixel(0, 0), kGrey);
    EXPECT_EQ(t.dc.GetPixel(15, 11), kGrey);
}

TEST(MemDC, AnEmptyClientDrawsAndCopiesNothing) {
    Target t(10, 10);
    t.dc.SetBkColor(kGrey);
    for (CRect rc : {CRect(0, 0, 0, 10), CRect(0, 0, 10, 0), CRect(5, 5, 2, 2)}) {
        CMemDC mem(&t.dc, &rc);
        mem.FillSolidRect(0, 0, 10, 10, kRed);
        mem.MoveTo(0, 0);
        EXPECT_FALSE(mem.LineTo(9, 9));
    }
    EXPECT_EQ(t.dc.GetPixel(0, 0), kTargetColor);
    EXPECT_EQ(t.dc.GetPixel(9, 9), kTargetColor);
    CMemDC none(nullptr); // no target at all is harmless too
    EXPECT_FALSE(none.LineTo(1, 1));
}

TEST(MemDC, APrinterTargetIsDrawnDirectlyAndStaysValid) {
    std::string path = kvtest::OutputDir() + "/memdc_print.pdf";
    CDC printer;
    ASSERT_TRUE(printer.CreatePrintFileDC(path.c_str(), 1000, 1400, 150));
    ASSERT_TRUE(printer.IsPrinting());
    DOCINFO di;
    printer.StartDoc(&di);
    printer.StartPage();
    {
        CMemDC mem(&printer, nullptr);
        EXPECT_EQ(mem.GetSafeHdc(), printer.GetSafeHdc());
        EXPECT_TRUE(mem.IsPrinting());
        EXPECT_TRUE(mem.Rectangle(10, 10, 500, 500));
    }
    // The printer context survived the CMemDC and still draws.
    EXPECT_EQ(printer.GetDeviceCaps(TECHNOLOGY), DT_RASPRINTER);
    EXPECT_TRUE(printer.Rectangle(20, 20, 40, 40));
    EXPECT_GT(printer.EndPage(), 0);
    EXPECT_GT(printer.EndDoc(), 0);
}

TEST(OffScreenBuffer, IsMadeOnceAndRebuiltAtTheNewSizeAfterARelease) {
    Target t(50, 40);
    COffScreenBuffer buffer;
    EXPECT_EQ(buffer.Prepare(&t.dc, 0, 40), nullptr); // no 0-sized bitmap
    EXPECT_FALSE(buffer.IsReady());
    CDC* pic = buffer.Prepare(&t.dc, 30, 20);
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->GetDeviceCaps(HORZRES), 30);
    pic->FillSolidRect(0, 0, 30, 20, kRed);
    EXPECT_EQ(buffer.Prepare(&t.dc, 30, 20), pic);
    EXPECT_EQ(pic->GetPixel(29, 19), kRed); // kept between paints
    {
        CRect rc(0, 0, 50, 40);
        CMemDC mem(&t.dc, &rc);
        EXPECT_TRUE(buffer.CopyTo(&mem, 30, 20));
    }
    EXPECT_EQ(t.dc.GetPixel(29, 19), kRed);
    EXPECT_EQ(t.dc.GetPixel(30, 20), t.dc.GetBkColor());
    // Size change: the pair is dropped and rebuilt, not stretched.
    buffer.Release();
    EXPECT_FALSE(buffer.IsReady());
    pic = buffer.Prepare(&t.dc, 50, 40);
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->GetDeviceCaps(HORZRES), 50);
    EXPECT_EQ(pic->GetDeviceCaps(VERTRES), 40);
    EXPECT_EQ(pic->GetPixel(29, 19), kBlack);
}

} // namespace
