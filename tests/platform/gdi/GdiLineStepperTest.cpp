// The incremental one-pixel line walk against the closed-form rounding it replaces: the same
// offsets at every step, and the same pixels on a surface for many random lines.
#include "GdiTestSupport.h"
#include "LineStepper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <set>
#include <utility>

namespace {

// The offset of step i computed directly: round half up of i * minor / major.
long long ClosedFormOffset(long long major, long long minor, long long i) {
    return static_cast<long long>((static_cast<__int128>(2) * i * minor + major) / (2 * major));
}

TEST(GdiLineStepper, MatchesTheClosedFormAtEveryStep) {
    std::mt19937_64 rng(20240611);
    const long long spans[] = {1, 7, 500, 70000, 1LL << 31, (1LL << 32) + 5};
    for (int trial = 0; trial < 3000; ++trial) {
        const long long limit = spans[trial % 6];
        const long long major = 1 + static_cast<long long>(rng() % static_cast<unsigned long long>(limit));
        const long long minor = static_cast<long long>(rng() % static_cast<unsigned long long>(major + 1));
        // Walks that start part-way, as clipped lines do.
        const long long first = static_cast<long long>(rng() % static_cast<unsigned long long>(major));
        kvgdi::LineStepper step(major, minor, first);
        for (long long i = first; i < std::min(major, first + 400); ++i, step.Next())
            ASSERT_EQ(step.Offset(), ClosedFormOffset(major, minor, i))
                << "major " << major << " minor " << minor << " step " << i;
    }
}

// The pixels of MoveToEx/LineTo from (x0, y0) to (x1, y1) by the closed form, end excluded,
// clipped to w x h.
std::set<std::pair<int, int>> ReferencePixels(int x0, int y0, int x1, int y1, int w, int h) {
    std::set<std::pair<int, int>> pixels;
    const long long dx = x1 - x0, dy = y1 - y0;
    const long long adx = std::llabs(dx), ady = std::llabs(dy);
    const long long n = std::max(adx, ady);
    const bool xMajor = adx >= ady;
    const long long major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    const int sMaj = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int sMin = (xMajor ? dy : dx) < 0 ? -1 : 1;
    for (long long i = 0; i < n; ++i) {
        const long long ma = (xMajor ? x0 : y0) + sMaj * i;
        const long long mi = (xMajor ? y0 : x0) + sMin * ClosedFormOffset(major, minor, i);
        const long long x = xMajor ? ma : mi, y = xMajor ? mi : ma;
        if (x >= 0 && y >= 0 && x < w && y < h)
            pixels.insert({static_cast<int>(x), static_cast<int>(y)});
    }
    return pixels;
}

TEST(GdiLineStepper, RandomLinesLandOnTheSamePixelsAsTheClosedForm) {
    constexpr int kW = 64, kH = 48;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(-60, 120);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    for (int trial = 0; trial < 1500; ++trial) {
        TestSurface s(kW, kH);
        HGDIOBJ old = SelectObject(s.dc(), pen);
        const int x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
        MoveToEx(s.dc(), x0, y0, nullptr);
        LineTo(s.dc(), x1, y1);
        SelectObject(s.dc(), old);
        std::set<std::pair<int, int>> drawn;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                if (s.at(x, y) == RGB(255, 255, 255))
                    drawn.insert({x, y});
        ASSERT_EQ(drawn, ReferencePixels(x0, y0, x1, y1, kW, kH))
            << "(" << x0 << ", " << y0 << ") - (" << x1 << ", " << y1 << ")";
    }
    DeleteObject(pen);
}

} // namespace
