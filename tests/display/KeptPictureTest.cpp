// The paint-time memory context over a window's kept picture, and the persistent pair showing
// that picture again without drawing it.
#include "BitmapTarget.h"
#include "MemDC.h"
#include "OffScreenBuffer.h"
#include "TestOutput.h"
#include "system/Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGrey = RGB(50, 50, 50);
using kvtest::kTargetColor;

// The window's paint context, with a grey background colour for the pair to use.
struct Target : kvtest::BitmapTarget {
    Target(int w, int h) : BitmapTarget(w, h) { dc.SetBkColor(kGrey); }
};

// A kept picture: left half red, right half blue.
struct Picture {
    CDC dc;
    CBitmap bmp;
    CBitmap* old = nullptr;
    Picture(int w, int h) {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, w, h);
        old = dc.SelectObject(&bmp);
        dc.FillSolidRect(0, 0, w / 2, h, kRed);
        dc.FillSolidRect(w / 2, 0, w - w / 2, h, kBlue);
    }
    ~Picture() { dc.SelectObject(old); }
};

TEST(MemDCOverAKeptPicture, ShowsThePictureUnclearedAtDestructionAndLeavesItToItsOwner) {
    Target t(40, 30);
    Picture pic(20, 10);
    const CRect rc(5, 8, 25, 18);
    {
        CMemDC mem(&t.dc, rc, pic.dc);
        // Nothing was cleared to the background colour: the picture is still there.
        EXPECT_EQ(mem.GetPixel(0, 0), kRed);
        EXPECT_EQ(mem.GetPixel(19, 9), kBlue);
        mem.SetPixel(3, 4, kGrey); // drawing goes into the picture itself
        EXPECT_EQ(pic.dc.GetPixel(3, 4), kGrey);
        EXPECT_EQ(t.dc.GetPixel(5, 8), kTargetColor); // nothing shown yet
    }
    // One transfer: the picture at the rectangle's corner, nothing outside it.
    EXPECT_EQ(t.dc.GetPixel(5, 8), kRed);
    EXPECT_EQ(t.dc.GetPixel(8, 12), kGrey);
    EXPECT_EQ(t.dc.GetPixel(24, 17), kBlue);
    EXPECT_EQ(t.dc.GetPixel(25, 17), kTargetColor);
    EXPECT_EQ(t.dc.GetPixel(24, 18), kTargetColor);
    EXPECT_EQ(t.dc.GetPixel(4, 8), kTargetColor);
    // The picture's context and bitmap outlive the memory context and still draw.
    EXPECT_EQ(pic.dc.GetPixel(19, 0), kBlue);
    EXPECT_TRUE(pic.dc.SetPixel(0, 0, kGrey) != static_cast<COLORREF>(-1));
    EXPECT_EQ(pic.dc.GetPixel(0, 0), kGrey);
}

TEST(MemDCOverAKeptPicture, AnEmptyAreaOrAMissingPictureCopiesNothing) {
    Target t(10, 10);
    Picture pic(10, 10);
    for (CRect rc : {CRect(0, 0, 0, 10), CRect(0, 0, 10, 0), CRect(5, 5, 2, 2)}) {
        CMemDC mem(&t.dc, rc, pic.dc);
        EXPECT_FALSE(mem.LineTo(9, 9));
    }
    CDC none;
    { CMemDC mem(&t.dc, CRect(0, 0, 10, 10), none); }
    { CMemDC mem(nullptr, CRect(0, 0, 10, 10), pic.dc); }
    EXPECT_EQ(t.dc.GetPixel(0, 0), kTargetColor);
    EXPECT_EQ(t.dc.GetPixel(9, 9), kTargetColor);
    EXPECT_EQ(pic.dc.GetPixel(0, 0), kRed);
}

TEST(KeptPicture, IsShownAgainWithoutDrawingUntilARedrawOrASizeChange) {
    Target t(30, 20);
    COffScreenBuffer buffer;
    const CRect client(0, 0, 30, 20);
    int draws = 0;
    COLORREF colour = kRed;
    const auto draw = [&](CDC* pDC, const CRect& rc) {
        ++draws;
        pDC->FillSolidRect(&rc, colour);
    };
    EXPECT_TRUE(buffer.PaintThrough(&t.dc, client, false, draw)); // a new pair is always drawn
    EXPECT_EQ(draws, 1);
    EXPECT_EQ(t.dc.GetPixel(29, 19), kRed);

    // The target lost its pixels (an exposure): the kept picture comes back without a drawing.
    t.dc.FillSolidRect(0, 0, 30, 20, kTargetColor);
    colour = kBlue;
    EXPECT_FALSE(buffer.PaintThrough(&t.dc, client, false, draw));
    EXPECT_EQ(draws, 1);
    EXPECT_EQ(t.dc.GetPixel(0, 0), kRed);
    EXPECT_EQ(t.dc.GetPixel(29, 19), kRed);

    EXPECT_TRUE(buffer.PaintThrough(&t.dc, client, true, draw));
    EXPECT_EQ(draws, 2);
    EXPECT_EQ(t.dc.GetPixel(15, 10), kBlue);

    // After a size change the pair is rebuilt at the new size and drawn, asked or not.
    buffer.Release();
    colour = kGrey;
    const CRect smaller(0, 0, 12, 8);
    t.dc.FillSolidRect(0, 0, 30, 20, kTargetColor);
    EXPECT_TRUE(buffer.PaintThrough(&t.dc, smaller, false, draw));
    EXPECT_EQ(draws, 3);
    EXPECT_EQ(t.dc.GetPixel(11, 7), kGrey);
    EXPECT_EQ(t.dc.GetPixel(12, 7), kTargetColor);
    EXPECT_EQ(buffer.GetDC().GetDeviceCaps(HORZRES), 12);

    // A 0-sized client draws and shows nothing.
    EXPECT_FALSE(buffer.PaintThrough(&t.dc, CRect(0, 0, 0, 8), true, draw));
    EXPECT_EQ(draws, 3);
}

TEST(KeptPicture, APrinterGetsThePictureAndStaysValid) {
    // Under the build folder: the test run's output folder, else beside the test program.
    const std::string path = kvtest::OutputDir() + "/kept_picture_print.pdf";
    CDC printer;
    ASSERT_TRUE(printer.CreatePrintFileDC(path.c_str(), 200, 100, 72));
    DOCINFO di;
    printer.StartDoc(&di);
    printer.StartPage();
    COffScreenBuffer buffer;
    int draws = 0;
    EXPECT_TRUE(buffer.PaintThrough(&printer, CRect(0, 0, 40, 20), false, [&](CDC* pDC, const CRect& rc) {
        ++draws;
        pDC->FillSolidRect(&rc, kRed);
    }));
    EXPECT_EQ(draws, 1);
    EXPECT_EQ(buffer.GetDC().GetPixel(39, 19), kRed);
    EXPECT_EQ(printer.GetDeviceCaps(TECHNOLOGY), DT_RASPRINTER);
    EXPECT_TRUE(printer.Rectangle(20, 20, 40, 40));
    EXPECT_GT(printer.EndPage(), 0);
    EXPECT_GT(printer.EndDoc(), 0);
}

} // namespace
