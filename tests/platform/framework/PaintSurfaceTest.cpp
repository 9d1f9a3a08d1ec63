// A window's painted surface reaches Qt straight from the drawing layer's pixels: what Qt shows
// must be, pixel for pixel, what the drawing layer holds, fully opaque, and the same picture the
// drawing calls make on an ordinary bitmap.
#include "PaintSurface.h"
#include "WndImpl.h"
#include "framework/PaintDC.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int kW = 97, kH = 61; // odd sizes: rows that are not a multiple of any vector width

// Everything a window draws with: fills, one-pixel and dotted pens, a filled ellipse, text, and
// a block copied (and one stretched) from a memory bitmap, as the off-screen buffers do.
void DrawPicture(HDC dc) {
    const RECT all{0, 0, kW, kH};
    HBRUSH navy = CreateSolidBrush(RGB(10, 20, 90));
    FillRect(dc, &all, navy);
    DeleteObject(navy);
    HPEN dotted = CreatePen(PS_DOT, 1, RGB(100, 100, 100));
    HGDIOBJ oldPen = SelectObject(dc, dotted);
    for (int y = 5; y < kH; y += 7) {
        MoveToEx(dc, 0, y, nullptr);
        LineTo(dc, kW, y);
    }
    SelectObject(dc, oldPen);
    DeleteObject(dotted);
    HBRUSH yellow = CreateSolidBrush(RGB(250, 240, 0));
    HGDIOBJ oldBrush = SelectObject(dc, yellow);
    Ellipse(dc, 50, 10, 90, 40);
    SelectObject(dc, oldBrush);
    DeleteObject(yellow);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 255, 128));
    TextOut(dc, 3, 40, "Trig'D 1.00V", 12);

    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 30, 20);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    const RECT block{0, 0, 30, 20};
    HBRUSH red = CreateSolidBrush(RGB(200, 30, 30));
    FillRect(mem, &block, red);
    DeleteObject(red);
    SetTextColor(mem, RGB(255, 255, 255));
    SetBkColor(mem, RGB(0, 0, 0));
    TextOut(mem, 1, 1, "CH1", 3);
    BitBlt(dc, 5, 5, 30, 20, mem, 0, 0, SRCCOPY);
    StretchBlt(dc, 60, 42, 30, 10, mem, 0, 0, 30, 20, SRCCOPY);
    SelectObject(mem, oldBmp);
    DeleteObject(bmp);
    DeleteDC(mem);
}

// The drawing layer's own readout of a bitmap, as 0x00RRGGBB words.
std::vector<std::uint32_t> Bits(HBITMAP bmp) {
    std::vector<std::uint32_t> bits(static_cast<std::size_t>(kW) * kH);
    EXPECT_EQ(GetBitmapBits(bmp, static_cast<LONG>(bits.size() * 4), bits.data()),
              static_cast<LONG>(bits.size() * 4));
    return bits;
}

// The same picture on an ordinary 24-bit memory bitmap.
std::vector<std::uint32_t> OrdinaryPicture() {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, kW, kH);
    HGDIOBJ old = SelectObject(dc, bmp);
    DrawPicture(dc);
    SelectObject(dc, old);
    auto bits = Bits(bmp);
    DeleteObject(bmp);
    DeleteDC(dc);
    return bits;
}

void ExpectShows(const QImage& shown, const std::vector<std::uint32_t>& bits, const char* what) {
    ASSERT_EQ(shown.width(), kW);
    ASSERT_EQ(shown.height(), kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const QRgb p = shown.pixel(x, y);
            ASSERT_EQ(qAlpha(p), 255) << what << " at " << x << "," << y;
            ASSERT_EQ(p & 0xFFFFFFu, bits[static_cast<std::size_t>(y) * kW + x])
                << what << " at " << x << "," << y;
        }
}

class PictureWnd : public CWnd {
public:
    std::vector<std::uint32_t> drawn; // what the drawing layer holds after the last paint
    void OnPaint() override {
        CPaintDC dc(this);
        if (!dc.GetSafeHdc())
            return;
        DrawPicture(dc.GetSafeHdc());
        drawn = Bits(static_cast<HBITMAP>(GetCurrentObject(dc.GetSafeHdc(), OBJ_BITMAP)));
    }
};

class PaintSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override { kv::EnsureApplication(); }
};

TEST_F(PaintSurfaceTest, TheWidgetShowsExactlyThePixelsDrawn) {
    const auto ordinary = OrdinaryPicture();
    PictureWnd wnd;
    ASSERT_TRUE(wnd.Create(nullptr, "p", WS_VISIBLE, RECT{0, 0, kW, kH}, nullptr, 0));
    const QImage shown = wnd.GetWidget()->grab().toImage();
    ASSERT_FALSE(wnd.drawn.empty());
    // The screen's surface holds the same picture as an ordinary bitmap would ...
    EXPECT_EQ(wnd.drawn, ordinary);
    // ... and Qt shows it unchanged and opaque.
    ExpectShows(shown, wnd.drawn, "grab");
}

TEST_F(PaintSurfaceTest, PresentOntoEitherImageFormatAndTheCopy) {
    kv::PaintSurface surface;
    HDC dc = surface.Begin(kW, kH);
    ASSERT_NE(dc, nullptr);
    DrawPicture(dc);
    const auto bits = Bits(static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP)));
    EXPECT_EQ(bits, OrdinaryPicture());
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
        QImage target(kW, kH, format);
        target.fill(Qt::transparent);
        {
            QPainter painter(&target);
            ASSERT_TRUE(surface.Present(painter));
            EXPECT_FALSE(surface.Present(painter)); // one presentation per paint
        }
        ExpectShows(target, bits, format == QImage::Format_RGB32 ? "rgb32" : "argb32pm");
        surface.Begin(kW, kH);
    }
    ExpectShows(surface.Image(), bits, "copy");
}

TEST_F(PaintSurfaceTest, ANewSizeStartsFromTheBackgroundColour) {
    kv::PaintSurface surface;
    ASSERT_NE(surface.Begin(20, 10, RGB(1, 2, 3)), nullptr);
    ASSERT_NE(surface.Begin(8, 4, RGB(40, 50, 60)), nullptr);
    const QImage image = surface.Image();
    ASSERT_EQ(image.size(), QSize(8, 4));
    EXPECT_EQ(image.pixel(7, 3), qRgb(40, 50, 60));
    EXPECT_EQ(surface.Begin(0, 4), nullptr);
    QImage target(8, 4, QImage::Format_RGB32);
    QPainter painter(&target);
    EXPECT_FALSE(surface.Present(painter)); // nothing drawn in an empty paint
}

} // namespace
