// Fonts and text placement, block transfers, bitmaps, print-to-file, and handle checking.
#include "GdiTestSupport.h"

#include <gtest/gtest.h>

#include "TestOutput.h"
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);

class Font {
public:
    Font(HDC dc, int height, const char* face, int weight = FW_NORMAL) : m_dc(dc) {
        m_font = CreateFont(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, DEFAULT_QUALITY,
                            FF_SWISS, face);
        m_old = SelectObject(dc, m_font);
    }
    ~Font() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_font);
    }

private:
    HDC m_dc;
    HFONT m_font;
    HGDIOBJ m_old;
};

TEST(GdiFonts, FacesResolveToInstalledFamiliesAndStyleWordsBecomeFlags) {
    char name[64];
    KvResolveFontFace("Arial", name, sizeof name);
    EXPECT_STREQ(name, "Liberation Sans");
    KvResolveFontFace("Arial Bold Italic", name, sizeof name);
    EXPECT_STREQ(name, "Liberation Sans");
    KvResolveFontFace("Times New Roman Bold Italic", name, sizeof name);
    EXPECT_STREQ(name, "Liberation Serif");
    char tiny[4];
    EXPECT_EQ(KvResolveFontFace("Arial", tiny, sizeof tiny), 15);
    EXPECT_STREQ(tiny, "Lib");
}

TEST(GdiText, ExtentHeightIsThePositiveCellHeightAndWidthGrowsWithText) {
    TestSurface s(10, 10);
    Font f(s.dc(), 15, "Arial");
    SIZE one, two;
    ASSERT_TRUE(GetTextExtentPoint32(s.dc(), "CH1", -1, &one));
    ASSERT_TRUE(GetTextExtentPoint32(s.dc(), "CH1CH1", -1, &two));
    EXPECT_EQ(one.cy, 15);
    EXPECT_GT(one.cx, 10);
    EXPECT_NEAR(two.cx, 2 * one.cx, 2);
    SIZE part;
    GetTextExtentPoint32(s.dc(), "CH1CH1", 3, &part);
    EXPECT_EQ(part.cx, one.cx);
    // A memory context without a bitmap still measures.
    HDC m = CreateCompatibleDC(nullptr);
    SIZE z;
    EXPECT_TRUE(GetTextExtentPoint32(m, "x", -1, &z));
    DeleteDC(m);
}

TEST(GdiText, TextOutDrawsInTheTextColourInsideItsCellAndOpaqueFillsTheCell) {
    TestSurface s(120, 40, kBlack);
    Font f(s.dc(), 15, "Arial");
    SetTextColor(s.dc(), kRed);
    SetBkMode(s.dc(), TRANSPARENT);
    ASSERT_TRUE(TextOut(s.dc(), 10, 5, "Trig'D", -1));
    SIZE ext;
    GetTextExtentPoint32(s.dc(), "Trig'D", -1, &ext);
    RECT box;
    ASSERT_TRUE(s.Bounds(kRed, &box));
    EXPECT_GE(box.left, 10);
    EXPECT_GE(box.top, 5);
    EXPECT_LT(box.right, 10 + ext.cx + 1);
    EXPECT_LT(box.bottom, 5 + ext.cy);
    EXPECT_GT(s.Count(kRed), 20);

    TestSurface o(120, 40, kBlack);
    Font fo(o.dc(), 15, "Arial");
    SetBkColor(o.dc(), kGreen);
    TextOut(o.dc(), 10, 5, "AUTO", 4);
    GetTextExtentPoint32(o.dc(), "AUTO", 4, &ext);
    EXPECT_EQ(o.Count(kGreen) + o.Count(kBlack, 10, 5, 10 + ext.cx, 5 + ext.cy), ext.cx * ext.cy);
    EXPECT_GT(o.Count(kBlack, 10, 5, 10 + ext.cx, 5 + ext.cy), 20); // black letters on green
    o.Save("gdi_text_opaque");
}

// Horizontal extent of the red pixels drawn by DrawText into (0,0)-(200,40).
RECT DrawAligned(UINT format, const char* text = "Print") {
    TestSurface s(200, 40, kBlack);
    Font f(s.dc(), 16, "Arial");
    SetTextColor(s.dc(), kRed);
    SetBkMode(s.dc(), TRANSPARENT);
    RECT rc{0, 0, 200, 40};
    DrawText(s.dc(), text, -1, &rc, format);
    RECT box{};
    s.Bounds(kRed, &box);
    return box;
}

TEST(GdiText, DrawTextAlignsLeftRightCentreAndVerticalCentre) {
    RECT left = DrawAligned(DT_LEFT | DT_SINGLELINE);
    RECT right = DrawAligned(DT_RIGHT | DT_SINGLELINE);
    RECT centre = DrawAligned(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EXPECT_LE(left.left, 3);
    EXPECT_GE(right.right, 195);
    EXPECT_NEAR((centre.left + centre.right) / 2, 100, 4);
    EXPECT_NEAR((centre.top + centre.bottom) / 2, 20, 5);
    EXPECT_LT(left.bottom, 17);
    // Tabs expand only when asked.
    RECT tabbed = DrawAligned(DT_EXPANDTABS | DT_SINGLELINE, "a\tb");
    RECT plain = DrawAligned(DT_SINGLELINE | DT_NOPREFIX, "ab");
    EXPECT_GT(tabbed.right - tabbed.left, plain.right - plain.left + 20);
}

TEST(GdiText, DrawTextClipsToTheRectangleAndCalcRectMeasures) {
    TestSurface s(200, 40, kBlack);
    Font f(s.dc(), 16, "Arial");
    SetTextColor(s.dc(), kRed);
    SetBkMode(s.dc(), TRANSPARENT);
    RECT rc{10, 0, 30, 40};
    DrawText(s.dc(), "Wide text that overflows", -1, &rc, DT_LEFT | DT_SINGLELINE);
    EXPECT_EQ(s.Count(kRed, 30, 0, 200, 40), 0);
    RECT calc{0, 0, 0, 0};
    int h = DrawText(s.dc(), "two\nlines", -1, &calc, DT_CALCRECT);
    EXPECT_EQ(h, 32);
    EXPECT_EQ(calc.bottom, 32);
    EXPECT_GT(calc.right, 10);
}

TEST(GdiText, MalformedUtf8IsDrawnSafely) {
    TestSurface s(100, 30, kBlack);
    SetTextColor(s.dc(), kRed);
    const char bad[] = {'O', 'K', static_cast<char>(0xC3), static_cast<char>(0x28), static_cast<char>(0xFF),
                        0};
    EXPECT_TRUE(TextOut(s.dc(), 0, 0, bad, -1));
    EXPECT_GT(s.Count(kRed), 0);
    // The context still works afterwards.
    EXPECT_EQ(SetPixel(s.dc(), 90, 20, kGreen), kGreen);
}

TEST(GdiState, FillThroughExtTextOutOpaqueUsesTheBackgroundColour) {
    TestSurface s(20, 20, kBlack);
    SetBkColor(s.dc(), RGB(50, 50, 50));
    RECT rc{0, 0, 10, 20};
    ExtTextOut(s.dc(), 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    EXPECT_EQ(s.Count(RGB(50, 50, 50)), 200);
}

TEST(GdiBlit, BitBltCopiesTheAreaAtTheGivenOffsets) {
    TestSurface src(20, 20, kBlack);
    SetPixel(src.dc(), 5, 6, kRed);
    SetPixel(src.dc(), 9, 9, kGreen);
    TestSurface dst(30, 30, kWhite);
    ASSERT_TRUE(BitBlt(dst.dc(), 10, 10, 5, 5, src.dc(), 5, 5, SRCCOPY));
    EXPECT_EQ(dst.at(10, 11), kRed);
    EXPECT_EQ(dst.at(14, 14), kGreen);
    EXPECT_EQ(dst.Count(kWhite), 900 - 25);
    EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 5, 5, src.dc(), 0, 0, 0x00F00021));
    // A source area partly off the source leaves the destination there unchanged.
    TestSurface d2(30, 30, kWhite);
    BitBlt(d2.dc(), 0, 0, 30, 30, src.dc(), -5, -5, SRCCOPY);
    EXPECT_EQ(d2.at(2, 2), kWhite);
    EXPECT_EQ(d2.at(10, 11), kRed);
}

TEST(GdiBlit, OverlappingCopyWithinOneSurface) {
    TestSurface s(20, 4, kBlack);
    for (int x = 0; x < 10; ++x)
        SetPixel(s.dc(), x, 0, RGB(x * 20, 0, 0));
    BitBlt(s.dc(), 2, 0, 10, 1, s.dc(), 0, 0, SRCCOPY);
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(s.at(x + 2, 0), RGB(x * 20, 0, 0)) << x;
}

TEST(GdiBlit, StretchBltScalesByNearestPixel) {
    TestSurface src(2, 2, kBlack);
    SetPixel(src.dc(), 1, 0, kRed);
    TestSurface dst(10, 10, kWhite);
    ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 8, 8, src.dc(), 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(dst.Count(kRed), 16);
    EXPECT_EQ(dst.at(4, 0), kRed);
    EXPECT_EQ(dst.at(3, 3), kBlack);
    EXPECT_EQ(dst.at(8, 8), kWhite);
}

TEST(GdiBitmaps, BitsRoundTripAndSizesAreChecked) {
    std::vector<unsigned char> bits(3 * 2 * 4, 0);
    bits[4] = 10;  // pixel (1,0): blue 10
    bits[14] = 30; // pixel (0,1): red 30
    HBITMAP bmp = CreateBitmap(3, 2, 1, 32, bits.data());
    ASSERT_NE(bmp, nullptr);
    BITMAP bm;
    ASSERT_EQ(GetObject(bmp, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 3);
    EXPECT_EQ(bm.bmHeight, 2);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    std::vector<unsigned char> back(bits.size(), 0xAA);
    EXPECT_EQ(GetBitmapBits(bmp, static_cast<LONG>(back.size()), back.data()), 24);
    EXPECT_EQ(back, bits);
    EXPECT_EQ(GetBitmapBits(bmp, 5, back.data()), 4); // never writes past the buffer
    DeleteObject(bmp);

    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(dc, 0, 10), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(dc, 10, -1), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(dc, 100000, 100000), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, 10, 10), nullptr);
    DeleteDC(dc);
}

TEST(GdiBitmaps, ABitmapIsSelectedIntoOneContextAtATime) {
    HDC a = CreateCompatibleDC(nullptr);
    HDC b = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(a, 4, 4);
    HGDIOBJ oldA = SelectObject(a, bmp);
    EXPECT_NE(oldA, nullptr);
    EXPECT_EQ(SelectObject(b, bmp), nullptr);
    SelectObject(a, oldA);
    EXPECT_NE(SelectObject(b, bmp), nullptr);
    DeleteDC(b); // releases the bitmap
    EXPECT_NE(SelectObject(a, bmp), nullptr);
    DeleteDC(a);
    EXPECT_TRUE(DeleteObject(bmp));
}

TEST(GdiHandles, NullDeletedAndForeignHandlesFailClosed) {
    HDC bogus = reinterpret_cast<HDC>(static_cast<std::uintptr_t>(0x12345));
    for (HDC dc : {static_cast<HDC>(nullptr), bogus}) {
        EXPECT_FALSE(MoveToEx(dc, 0, 0, nullptr));
        EXPECT_FALSE(LineTo(dc, 5, 5));
        EXPECT_FALSE(Rectangle(dc, 0, 0, 5, 5));
        EXPECT_FALSE(Ellipse(dc, 0, 0, 5, 5));
        EXPECT_FALSE(Pie(dc, 0, 0, 5, 5, 0, 0, 0, 0));
        EXPECT_FALSE(TextOut(dc, 0, 0, "x", 1));
        EXPECT_EQ(DrawText(dc, "x", 1, nullptr, 0), 0);
        EXPECT_EQ(SetPixel(dc, 0, 0, 0), CLR_INVALID);
        EXPECT_EQ(GetBkColor(dc), CLR_INVALID);
        EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), nullptr);
        EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 0);
        EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, dc, 0, 0, SRCCOPY));
        EXPECT_FALSE(DeleteDC(dc));
    }
    EXPECT_EQ(CreateCompatibleDC(bogus), nullptr);
    TestSurface s(10, 10, kBlack);
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_EQ(SelectObject(s.dc(), pen), nullptr);
    // A brush handle where a region is expected is refused.
    HBRUSH brush = CreateSolidBrush(kRed);
    EXPECT_FALSE(FillRgn(s.dc(), reinterpret_cast<HRGN>(brush), brush));
    EXPECT_EQ(FillRect(s.dc(), nullptr, brush), 0);
    DeleteObject(brush);
    // Stock objects survive being deleted.
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));
    EXPECT_TRUE(KvIsGdiObject(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(GetStockObject(99), nullptr);
}

TEST(GdiHandles, AnObjectDeletedWhileSelectedKeepsDrawingUntilDeselected) {
    TestSurface s(10, 10, kBlack);
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    HGDIOBJ old = SelectObject(s.dc(), pen);
    DeleteObject(pen);
    MoveToEx(s.dc(), 0, 0, nullptr);
    LineTo(s.dc(), 5, 0);
    EXPECT_EQ(s.at(2, 0), kRed);
    EXPECT_EQ(SelectObject(s.dc(), old), reinterpret_cast<HGDIOBJ>(pen));
}

TEST(GdiPrint, PdfContextProducesADocumentAndReportsPrinterCaps) {
    std::string path = kvtest::OutputDir() + "/gdi_print.pdf";
    std::remove(path.c_str());
    HDC dc = KvCreatePdfDC(path.c_str(), 2480, 3508, 300);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 2480);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 3508);
    EXPECT_EQ(StartPage(dc), 0); // no document yet
    DOCINFO di;
    di.lpszDocName = " Kestra-E USB ";
    ASSERT_GT(StartDoc(dc, &di), 0);
    ASSERT_GT(StartPage(dc), 0);
    Rectangle(dc, 24, 105, 2456, 3473);
    HPEN dotted = CreatePen(PS_DOT, 2, RGB(100, 100, 100));
    HGDIOBJ old = SelectObject(dc, dotted);
    MoveToEx(dc, 100, 1000, nullptr);
    LineTo(dc, 2000, 1000);
    SelectObject(dc, old);
    DeleteObject(dotted);
    SIZE ext;
    ASSERT_TRUE(GetTextExtentPoint32(dc, "TEST REPORT", -1, &ext));
    EXPECT_GT(ext.cy, 30); // the page font is 10 points at 300 dpi
    TextOut(dc, 1000, 175, "TEST REPORT", -1);
    EXPECT_EQ(GetPixel(dc, 10, 10), CLR_INVALID);
    EXPECT_GT(EndPage(dc), 0);
    EXPECT_GT(EndDoc(dc), 0);
    EXPECT_TRUE(DeleteDC(dc));
    std::ifstream f(path, std::ios::binary);
    std::string head(5, '\0');
    f.read(&head[0], 5);
    EXPECT_EQ(head, "%PDF-");
    EXPECT_EQ(KvCreatePdfDC("", 10, 10, 72), nullptr);
    EXPECT_EQ(KvCreatePdfDC(path.c_str(), 0, 10, 72), nullptr);
}

// A page that selects a font of its own and then restores the one it replaced must get the
// printer's default font back: the default stays a live object for the context's life.
TEST(GdiPrint, ThePrinterDefaultFontCanBeSelectedBackAndGoesWithTheContext) {
    const std::string path = kvtest::OutputDir() + "/gdi_print_fonts.pdf";
    HDC dc = KvCreatePdfDC(path.c_str(), 1240, 1754, 150);
    ASSERT_NE(dc, nullptr);
    const HGDIOBJ initial = GetCurrentObject(dc, OBJ_FONT);
    SIZE before, large, after;
    ASSERT_TRUE(GetTextExtentPoint32(dc, "Sampling Rate", -1, &before));
    HFONT label = CreateFont(44, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, 0,
                             "Arial Bold Italic");
    const HGDIOBJ old = SelectObject(dc, label);
    EXPECT_EQ(old, initial);
    ASSERT_TRUE(GetTextExtentPoint32(dc, "Sampling Rate", -1, &large));
    EXPECT_GT(large.cy, before.cy + 10);
    EXPECT_EQ(SelectObject(dc, old), reinterpret_cast<HGDIOBJ>(label));
    DeleteObject(label);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), initial);
    ASSERT_TRUE(GetTextExtentPoint32(dc, "Sampling Rate", -1, &after));
    EXPECT_EQ(after.cy, before.cy);
    EXPECT_EQ(after.cx, before.cx);
    // The default is the printer font of the page's resolution: 10 points at 150 dpi.
    LOGFONT lf;
    ASSERT_EQ(GetObject(initial, sizeof lf, &lf), static_cast<int>(sizeof lf));
    EXPECT_EQ(lf.lfHeight, -(10 * 150 / 72));
    HFONT made = KvCreatePrinterFont(150);
    LOGFONT same;
    ASSERT_EQ(GetObject(made, sizeof same, &same), static_cast<int>(sizeof same));
    EXPECT_EQ(same.lfHeight, lf.lfHeight);
    EXPECT_STREQ(same.lfFaceName, lf.lfFaceName);
    DeleteObject(made);
    EXPECT_EQ(KvCreatePrinterFont(0), nullptr);

    EXPECT_TRUE(KvIsGdiObject(initial));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(KvIsGdiObject(initial)) << "the context's default font outlived it";
    std::remove(path.c_str());
}

} // namespace
