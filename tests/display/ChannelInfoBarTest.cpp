// The channel information bar drawn into a memory context and read back pixel by pixel.
#include "ChannelInfoBar.h"
#include "PixelSurface.h"
#include "engine/KelvaneDoc.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGrey = CChannelInfoBar::kBarColor;
constexpr COLORREF kCh1 = RGB(0, 200, 255);
constexpr COLORREF kCh2 = RGB(255, 255, 0);
constexpr COLORREF kGlyph = RGB(200, 0, 0);
constexpr int kW = 596;
constexpr int kH = 30;

class ChannelInfoBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc.SetDefaultSettings();
        doc.OnLanguageDefault();
        doc.m_ch1.SetColor(kCh1);
        doc.m_ch2.SetColor(kCh2);
        doc.m_ch1.SetOn(1);
        doc.m_ch2.SetOn(1);
        doc.m_ch1.SetBandwidthLimit(0);
        doc.m_ch2.SetBandwidthLimit(0);
        bar.SetDocument(&doc);
    }
    void Draw(int w = kW) { bar.DrawBar(&s.dc, CRect(0, 0, w, kH)); }

    CKelvaneDoc doc;
    CChannelInfoBar bar;
    PixelSurface s{kW, kH};
};

TEST_F(ChannelInfoBarTest, BoxesAndTheirContents) {
    Draw();
    EXPECT_EQ(bar.GetCh1Box(), CRect(2, 2, 88, 23));
    EXPECT_EQ(bar.GetCh2Box(), CRect(132, 2, 220, 23));
    EXPECT_EQ(bar.GetTimeBox(), CRect(kW - 98, 2, kW, 23));
    EXPECT_EQ(s.At(0, 0), kGrey);
    EXPECT_EQ(s.At(110, 10), kGrey);
    EXPECT_EQ(s.At(87, 22), kBlack);
    EXPECT_EQ(s.At(88, 22), kGrey);
    EXPECT_EQ(s.At(219, 22), kBlack);
    EXPECT_EQ(s.At(kW - 1, 22), kBlack);
    // "CH1"/"CH2" in black on the channel colour; captions and coupling symbol in the colour.
    EXPECT_GT(s.Count(kCh1, 2, 2, 30, 23), 20);
    EXPECT_GT(s.Count(kCh1, 44, 2, 88, 23), 5);
    EXPECT_GT(s.Count(kCh2, 132, 2, 160, 23), 20);
    EXPECT_GT(s.Count(kCh2, 176, 2, 220, 23), 5);
    // "Time" and the time/div caption.
    EXPECT_GT(s.Count(CChannelInfoBar::kTimeColor, kW - 96, 2, kW - 60, 23), 5);
    EXPECT_GT(s.Count(CChannelInfoBar::kTimeColor, kW - 56, 2, kW, 23), 5);
    s.Save("ChannelInfoBar-both");
}

// Each channel box shows its own channel's coupling (DC, AC, GND) at l + 28, whatever the other
// channel's is: the glyph area matches the symbol drawn alone at the same place.
TEST_F(ChannelInfoBarTest, EachBoxShowsItsOwnChannelsCouplingForEveryCode) {
    const struct {
        CTrace& trace;
        CTrace& other;
        int left;
        COLORREF colour;
    } channels[] = {{doc.m_ch1, doc.m_ch2, 2, kCh1}, {doc.m_ch2, doc.m_ch1, 132, kCh2}};
    for (const auto& ch : channels) {
        for (std::int16_t coupling : {0, 1, 2}) {
            ch.trace.SetCoupling(coupling);
            ch.other.SetCoupling(static_cast<std::int16_t>((coupling + 1) % 3));
            Draw();
            PixelSurface ref{kW, kH};
            ref.Fill(kBlack);
            CChannelInfoBar::DrawCouplingGlyph(&ref.dc, ch.left + 28, 12, ch.colour, coupling);
            int differing = 0;
            for (int y = 6; y < 19; ++y)
                for (int x = ch.left + 28; x < ch.left + 40; ++x)
                    differing += s.At(x, y) != ref.At(x, y);
            EXPECT_EQ(differing, 0) << ch.left << " coupling " << coupling;
            EXPECT_GT(ref.Count(ch.colour), 5) << coupling;
        }
    }
}

TEST_F(ChannelInfoBarTest, ChannelOffLeavesItsBoxEmptyAndKeepsTheOtherInPlace) {
    doc.m_ch1.SetOn(0);
    Draw();
    EXPECT_EQ(s.CountOther(kGrey, 0, 0, 131, kH), 0);
    EXPECT_EQ(s.At(133, 22), kBlack);
    EXPECT_GT(s.Count(kCh2, 132, 2, 160, 23), 20);
    s.Save("ChannelInfoBar-ch1-off");
}

TEST_F(ChannelInfoBarTest, BandwidthLimitWidensTheBoxAndShowsB) {
    Draw();
    const int before = s.Count(kCh1, 80, 2, 100, 23);
    EXPECT_EQ(s.At(95, 22), kGrey);

    doc.m_ch1.SetBandwidthLimit(1);
    doc.m_ch2.SetBandwidthLimit(1);
    Draw();
    EXPECT_EQ(bar.GetCh1Box(), CRect(2, 2, 100, 23));
    EXPECT_EQ(bar.GetCh2Box(), CRect(132, 2, 232, 23));
    EXPECT_EQ(s.At(95, 22), kBlack);
    EXPECT_EQ(s.At(231, 22), kBlack);
    // "B" on the channel colour at l + 87 and l + 90.
    EXPECT_GT(s.Count(kCh1, 89, 2, 100, 23), before + 20);
    EXPECT_GT(s.Count(kCh2, 222, 2, 232, 23), 20);
    s.Save("ChannelInfoBar-bandwidth");
}

TEST_F(ChannelInfoBarTest, NarrowClientDrawsTimeBoxOverTheChannelBoxes) {
    PixelSurface narrow(200, kH);
    bar.DrawBar(&narrow.dc, CRect(0, 0, 200, kH));
    EXPECT_EQ(bar.GetTimeBox(), CRect(102, 2, 200, 23));
    // The boxes are filled before any text, so the overlapped CH2 label still shows.
    EXPECT_GT(narrow.Count(kCh2, 132, 2, 160, 23), 20);
    EXPECT_GT(narrow.Count(CChannelInfoBar::kTimeColor, 102, 2, 140, 23), 5);
    narrow.Save("ChannelInfoBar-narrow");
}

TEST_F(ChannelInfoBarTest, CaptionsComeFromTheListsOrTheDocument) {
    doc.m_ch1.SetProbe(1);
    doc.m_ch1.SetVoltsPerDivIndex(3);
    doc.m_settings.SetTimeBaseIndex(13);
    EXPECT_EQ(bar.GetCaption(CChannelInfoBar::Caption::Ch1VoltDiv), doc.m_ch1.GetProbeVoltDivText());
    EXPECT_EQ(bar.GetCaption(CChannelInfoBar::Caption::TimeDiv), CString("40.0us"));

    std::vector<CChannelInfoBar::Caption> asked;
    bar.SetCaptionSource([&asked](CChannelInfoBar::Caption which) {
        asked.push_back(which);
        return CString("LIST");
    });
    Draw();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0], CChannelInfoBar::Caption::Ch1VoltDiv);
    EXPECT_EQ(asked[1], CChannelInfoBar::Caption::Ch2VoltDiv);
    EXPECT_EQ(asked[2], CChannelInfoBar::Caption::TimeDiv);
}

TEST_F(ChannelInfoBarTest, PaintGoesThroughTheOffScreenPair) {
    PixelSurface target(kW, kH);
    target.Fill(kWhite);
    bar.Paint(&target.dc, CRect(0, 0, kW, kH));
    EXPECT_EQ(target.At(0, 0), kGrey);
    EXPECT_EQ(target.At(87, 22), kBlack);
    // A resize drops the pair: the next paint is drawn at the new size, not stretched.
    bar.RecreateBuffer();
    PixelSurface wide(700, kH);
    bar.Paint(&wide.dc, CRect(0, 0, 700, kH));
    EXPECT_EQ(wide.At(699, 22), kBlack);
    EXPECT_EQ(wide.At(605, 22), kBlack);
    EXPECT_EQ(wide.At(598, 22), kGrey);
}

// Pixels of the glyph colour in the 20 x 16 area around (10, 10).
std::vector<POINT> GlyphPixels(int coupling) {
    PixelSurface s(24, 20);
    s.Fill(kWhite);
    CChannelInfoBar::DrawCouplingGlyph(&s.dc, 6, 8, kGlyph, coupling);
    std::vector<POINT> points;
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x)
            if (s.At(x, y) == kGlyph)
                points.push_back(POINT{x, y});
    return points;
}

bool Has(const std::vector<POINT>& points, int x, int y) {
    for (const POINT& p : points)
        if (p.x == x && p.y == y)
            return true;
    return false;
}

TEST(ChannelInfoBarGlyph, DcIsFourDotsOverALine) {
    const auto p = GlyphPixels(0);
    for (int dx : {0, 3, 6, 9})
        EXPECT_TRUE(Has(p, 6 + dx, 8)) << dx;
    EXPECT_FALSE(Has(p, 7, 8));
    EXPECT_TRUE(Has(p, 6, 12));
    EXPECT_TRUE(Has(p, 15, 12));
    EXPECT_FALSE(Has(p, 16, 12)); // the end point is not drawn
    EXPECT_EQ(p.size(), 4u + 10u);
}

TEST(ChannelInfoBarGlyph, AcIsAWave) {
    const auto p = GlyphPixels(1);
    EXPECT_TRUE(Has(p, 6, 10));  // start (x, y + 2)
    EXPECT_TRUE(Has(p, 8, 6));   // crest (x + 2, y - 2)
    EXPECT_TRUE(Has(p, 12, 12)); // trough (x + 6, y + 4)
    // The seventh segment rises from (x + 8, y + 2) to (x + 8, y - 1), its end point left out.
    EXPECT_TRUE(Has(p, 13, 11));
    EXPECT_TRUE(Has(p, 14, 10));
    EXPECT_TRUE(Has(p, 14, 9));
    EXPECT_TRUE(Has(p, 14, 8));
    EXPECT_FALSE(Has(p, 14, 7)); // the last point is not drawn
    EXPECT_FALSE(Has(p, 6, 12));
}

TEST(ChannelInfoBarGlyph, GndAndAnyOtherCodeIsTheGroundSymbol) {
    for (int coupling : {2, 7, -1}) {
        const auto p = GlyphPixels(coupling);
        EXPECT_TRUE(Has(p, 6, 9)) << coupling;
        EXPECT_TRUE(Has(p, 16, 9)) << coupling;
        EXPECT_FALSE(Has(p, 17, 9)) << coupling;
        EXPECT_TRUE(Has(p, 11, 5)) << coupling;
        EXPECT_FALSE(Has(p, 11, 4)) << coupling;
        EXPECT_TRUE(Has(p, 8, 12)) << coupling;
        EXPECT_FALSE(Has(p, 15, 12)) << coupling;
    }
}

} // namespace
