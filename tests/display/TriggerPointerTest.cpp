// The letter of the trigger-position pointer at the top edge of the screen panel: the whole
// "T" is drawn inside the pointer, crossbar included.
#include "ScreenTestSupport.h"

#include <algorithm>

namespace {

using kvtest::ScreenSurface;

constexpr COLORREF kLetter = RGB(0, 0, 0);
constexpr COLORREF kPointer = RGB(250, 170, 100);

class TriggerPointerTest : public kvtest::ScreenFixture {};

// Longest run of letter pixels along row y between x = l and x = r - 1.
int RowRun(const ScreenSurface& s, int y, int l, int r) {
    int best = 0;
    int run = 0;
    for (int x = l; x < r; ++x) {
        run = s.At(x, y) == kLetter ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

TEST_F(TriggerPointerTest, TheTAtTheTopEdgeKeepsItsCrossbar) {
    // Position 250 on the 758-px plot: the pointer (inside state) stands at x = 400, y = 0.
    const CRect box = screen.GetMarkerRect(CScopeScreen::kMarkerTrigPos);
    ASSERT_EQ(box, CRect(395, 0, 406, 13));
    ScreenSurface s(800, 630);
    Draw(s);
    s.Save("TriggerPointer-top");
    // The pointer's body is there: its colour fills most of the box's upper part.
    EXPECT_GT(s.Count(kPointer, box.left, 0, box.right, 7), 30);

    // The crossbar: a run of at least five letter pixels in one of the top rows of the box.
    int crossbarRow = -1;
    for (int y = 0; y < 4 && crossbarRow < 0; ++y)
        if (RowRun(s, y, box.left, box.right) >= 5)
            crossbarRow = y;
    ASSERT_GE(crossbarRow, 0) << "no crossbar in the top rows of the pointer";
    // The stem: one column of letter pixels below the crossbar, at least six rows long.
    int stem = 0;
    for (int x = box.left; x < box.right; ++x) {
        int run = 0;
        for (int y = crossbarRow + 1; y < box.bottom && s.At(x, y) == kLetter; ++y)
            ++run;
        stem = std::max(stem, run);
    }
    EXPECT_GE(stem, 6);
    // The letter stays inside the pointer's box.
    EXPECT_EQ(s.Count(kLetter, box.right, 0, box.right + 6, 13), 0);
}

} // namespace
