// Reading a bitmap's pixels in place, and opaque bitmaps: whatever is drawn into one, every
// pixel word keeps FF in its top byte, so a screen can show the words as 32-bit RGB directly.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "gdi/gdi.h"

namespace {

std::uint32_t WordAt(const KvBitmapPixels& p, int x, int y) {
    std::uint32_t w;
    std::memcpy(
        &w, static_cast<const unsigned char*>(p.data) + static_cast<std::ptrdiff_t>(y) * p.stride + x * 4, 4);
    return w;
}

TEST(GdiBitmapPixels, OpaqueBitmapsStayOpaqueUnderEveryKindOfDrawing) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP opaque = KvCreateOpaqueBitmap(dc, 41, 23);
    ASSERT_NE(opaque, nullptr);
    KvBitmapPixels p{};
    ASSERT_TRUE(KvGetBitmapPixels(opaque, &p));
    EXPECT_TRUE(p.opaque);
    EXPECT_EQ(p.width, 41);
    EXPECT_EQ(p.height, 23);
    EXPECT_GE(p.stride, 41 * 4);
    EXPECT_EQ(WordAt(p, 40, 22), 0xFF000000u); // black, like any fresh bitmap

    HGDIOBJ old = SelectObject(dc, opaque);
    // A solid fill, one-pixel pen lines, text, and a block from an ordinary 24-bit bitmap.
    HBRUSH teal = CreateSolidBrush(RGB(0, 128, 128));
    const RECT part{0, 0, 20, 23};
    FillRect(dc, &part, teal);
    DeleteObject(teal);
    HPEN pen = CreatePen(PS_DASHDOTDOT, 1, RGB(255, 255, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, 41, 23);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SetTextColor(dc, RGB(250, 10, 10));
    TextOut(dc, 2, 4, "5.00mV", 6);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP ordinary = CreateCompatibleBitmap(dc, 10, 10);
    HGDIOBJ oldOrdinary = SelectObject(mem, ordinary);
    SetPixel(mem, 3, 3, RGB(1, 2, 3));
    BitBlt(dc, 30, 10, 10, 10, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldOrdinary);
    DeleteObject(ordinary);
    DeleteDC(mem);

    ASSERT_TRUE(KvGetBitmapPixels(opaque, &p));
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 41; ++x)
            ASSERT_EQ(WordAt(p, x, y) >> 24, 0xFFu) << x << "," << y;
    EXPECT_EQ(WordAt(p, 0, 0), 0xFFFFFF00u); // the line's first dash
    EXPECT_EQ(WordAt(p, 33, 13), 0xFF010203u);
    EXPECT_EQ(WordAt(p, 10, 20) & 0xFFFFFFu, 0x008080u);
    SelectObject(dc, old);
    DeleteObject(opaque);
    DeleteDC(dc);
}

TEST(GdiBitmapPixels, OrdinaryBitmapsAndRefusals) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 3, 2);
    KvBitmapPixels p{};
    ASSERT_TRUE(KvGetBitmapPixels(bmp, &p));
    EXPECT_FALSE(p.opaque);
    EXPECT_EQ(WordAt(p, 2, 1) & 0xFFFFFFu, 0u); // black
    EXPECT_FALSE(KvGetBitmapPixels(bmp, nullptr));
    EXPECT_FALSE(KvGetBitmapPixels(nullptr, &p));
    EXPECT_FALSE(KvGetBitmapPixels(reinterpret_cast<HBITMAP>(CreateSolidBrush(0)), &p));
    EXPECT_EQ(KvCreateOpaqueBitmap(nullptr, 3, 2), nullptr);
    EXPECT_EQ(KvCreateOpaqueBitmap(dc, 0, 2), nullptr);
    DeleteObject(bmp);
    DeleteDC(dc);
}

TEST(GdiBitmapPixels, BitmapBitsCopyWholePixelsAcrossRowsAndStopAtTheBuffer) {
    HDC dc = CreateCompatibleDC(nullptr);
    for (bool opaque : {false, true}) {
        HBITMAP bmp = opaque ? KvCreateOpaqueBitmap(dc, 3, 2) : CreateCompatibleBitmap(dc, 3, 2);
        HGDIOBJ old = SelectObject(dc, bmp);
        for (int i = 0; i < 6; ++i)
            SetPixel(dc, i % 3, i / 3, RGB(10 * i, 20 + i, 200 - i));
        SelectObject(dc, old);
        std::vector<unsigned char> bits(30, 0xAA);
        // Four and a half pixels of room: four whole pixels, reaching into the second row.
        EXPECT_EQ(GetBitmapBits(bmp, 18, bits.data()), 16);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(bits[i * 4 + 0], 200 - i) << i; // B, G, R, 0
            EXPECT_EQ(bits[i * 4 + 1], 20 + i) << i;
            EXPECT_EQ(bits[i * 4 + 2], 10 * i) << i;
            EXPECT_EQ(bits[i * 4 + 3], 0) << i;
        }
        EXPECT_EQ(bits[16], 0xAA);
        EXPECT_EQ(GetBitmapBits(bmp, 30, bits.data()), 24); // the whole bitmap, no more
        EXPECT_EQ(bits[5 * 4 + 2], 50);
        EXPECT_EQ(bits[24], 0xAA);
        EXPECT_EQ(GetBitmapBits(bmp, 3, bits.data()), 0);
        DeleteObject(bmp);
    }
    DeleteDC(dc);
}

} // namespace
