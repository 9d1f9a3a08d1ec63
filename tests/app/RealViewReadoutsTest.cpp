// The status strip and the channel information bar of the running program, for CH1 and CH2:
// each readout shows its own channel's value in its own colour. A readout is compared with the
// same window painted with other values: a region that must not depend on the other channel
// stays the same pixel for pixel, and one that must depend on its own channel changes.
#include "RealViewSupport.h"

#include "engine/KelvaneDoc.h"

namespace {

using realview::RealView;

class Readouts : public RealView, public ::testing::WithParamInterface<int> {
protected:
    int This() const { return GetParam(); }
    int Other() const { return 1 - GetParam(); }
    CTrace& Trace(int ch) { return ch == 0 ? doc->m_ch1 : doc->m_ch2; }
    UINT VoltFirst(int ch) const { return ch == 0 ? ID_CH1_VOLTDIV_FIRST : ID_CH2_VOLTDIV_FIRST; }
    // The strip's right box (trigger) and the level text's place in it.
    CRect RightBox(const QImage& strip) const { return CRect(strip.width() - 97, 2, strip.width() - 2, 23); }
    // The channel bar's box of a channel (bandwidth limit off).
    static CRect BarBox(int ch) { return ch == 0 ? CRect(2, 2, 88, 23) : CRect(132, 2, 220, 23); }
};

std::string ChannelName(const ::testing::TestParamInfo<int>& info) {
    return info.param == 0 ? "Ch1" : "Ch2";
}

TEST_P(Readouts, StatusStripShowsTheSourceChannelsLevelInItsColour) {
    doc->m_ch1.SetColor(RGB(0, 200, 255));
    doc->m_ch2.SetColor(RGB(255, 255, 0));
    doc->m_trigger.SetSource(static_cast<std::int16_t>(This()));
    doc->m_trigger.SetLevelVolts(This(), 0.25f);
    doc->m_trigger.SetLevelVolts(Other(), 3.0f);
    const QImage a = Picture(view->StatusStrip());
    const CRect box = RightBox(a);
    const COLORREF mine = Trace(This()).GetColor();
    const COLORREF others = Trace(Other()).GetColor();
    // Source label on the channel's colour, level text and edge glyph in it; none of the other's.
    EXPECT_GT(Count(a, mine, box.left + 20, box.top, box.left + 46, box.bottom), 40);
    EXPECT_GT(Count(a, mine, box.left + 48, box.top, box.right, box.bottom), 10);
    EXPECT_GT(Count(a, mine, box.left + 4, box.top, box.left + 13, box.bottom), 8);
    EXPECT_EQ(Count(a, others, box.left, box.top, box.right, box.bottom), 0);

    // The other channel's level does not show; this channel's does.
    doc->m_trigger.SetLevelVolts(Other(), 7.5f);
    const QImage b = Picture(view->StatusStrip());
    EXPECT_TRUE(SameRegion(a, b, box.left, box.top, box.right, box.bottom));
    doc->m_trigger.SetLevelVolts(This(), 3.0f);
    const QImage c = Picture(view->StatusStrip());
    EXPECT_FALSE(SameRegion(a, c, box.left + 48, box.top, box.right, box.bottom));

    // The same value of the other channel as source reads the same text in the other colour.
    doc->m_trigger.SetSource(static_cast<std::int16_t>(Other()));
    Trace(Other()).SetColor(mine);
    Trace(This()).SetColor(others);
    doc->m_trigger.SetLevelVolts(Other(), 0.25f);
    const QImage d = Picture(view->StatusStrip());
    EXPECT_TRUE(SameRegion(a, d, box.left + 48, box.top, box.right, box.bottom));
}

TEST_P(Readouts, ChannelBarCaptionFollowsItsOwnChannel) {
    Command(VoltFirst(This()) + 0);
    Command(VoltFirst(Other()) + 9);
    const QImage a = Picture(view->ChannelInfoBar());
    const CRect mine = BarBox(This()), others = BarBox(Other());
    // Another volts/div on the other channel leaves this box as it was and changes the other one.
    Command(VoltFirst(Other()) + 5);
    const QImage b = Picture(view->ChannelInfoBar());
    EXPECT_TRUE(SameRegion(a, b, mine.left, mine.top, mine.right, mine.bottom));
    EXPECT_FALSE(SameRegion(a, b, others.left, others.top, others.right, others.bottom));
    // And this channel's own change shows in its box.
    Command(VoltFirst(This()) + 9);
    const QImage c = Picture(view->ChannelInfoBar());
    EXPECT_FALSE(SameRegion(b, c, mine.left + 40, mine.top, mine.right, mine.bottom));
    EXPECT_TRUE(SameRegion(b, c, others.left, others.top, others.right, others.bottom));
    // Each box in its channel's colour.
    EXPECT_GT(Count(c, Trace(This()).GetColor(), mine.left, mine.top, mine.right, mine.bottom), 30);
    EXPECT_EQ(Count(c, Trace(Other()).GetColor(), mine.left, mine.top, mine.right, mine.bottom), 0);
}

TEST_P(Readouts, BandwidthMarkWidensOnlyItsChannelsBox) {
    const CRect mine = BarBox(This());
    const COLORREF colour = Trace(This()).GetColor();
    const COLORREF grey = RGB(50, 50, 50);
    // Inverting is not a bandwidth limit: no mark, no wider box.
    Trace(This()).SetInvert(1);
    QImage a = Picture(view->ChannelInfoBar());
    EXPECT_EQ(Count(a, grey, mine.right, mine.top, mine.right + 12, mine.bottom), 12 * 21);
    Trace(This()).SetInvert(0);
    Trace(This()).SetBandwidthLimit(1);
    a = Picture(view->ChannelInfoBar());
    // The box grows by 12 px and "B" sits on the channel's colour at its right end.
    EXPECT_EQ(At(a, mine.right + 10, mine.bottom - 1), RGB(0, 0, 0));
    EXPECT_GT(Count(a, colour, mine.right - 2, mine.top, mine.right + 12, mine.bottom), 10);
    const CRect others = BarBox(Other());
    EXPECT_EQ(At(a, others.right + 5, others.bottom - 1), grey);
}

INSTANTIATE_TEST_SUITE_P(BothChannels, Readouts, ::testing::Values(0, 1), ChannelName);

} // namespace
