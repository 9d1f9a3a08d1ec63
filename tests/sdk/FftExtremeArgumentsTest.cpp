// Every integer argument of the spectrum exports at its extremes (INT_MIN, INT_MAX, 0, -1, and
// the ends of the 16-bit fields). Under the sanitizers any overflow fails the run; besides, each
// case checks what the call did.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "Canvas.h"
#include "Tessel.h"

namespace {

constexpr std::int32_t kExtremes[] = {INT_MIN, INT_MAX, 0, -1};

TEST(SdkFftExtremes, ComplexFftCountsAndInverseFlags) {
    std::vector<double> in(8, 1.0), outRe(8, 7.0), outIm(8, 7.0);
    // Not powers of two: refused with a diagnostic, outputs untouched.
    for (std::uint32_t count : {0u, static_cast<std::uint32_t>(INT_MAX), static_cast<std::uint32_t>(-1)}) {
        testing::internal::CaptureStderr();
        dsoFFT(count, 0, in.data(), nullptr, outRe.data(), outIm.data());
        EXPECT_NE(testing::internal::GetCapturedStderr().find(std::to_string(count)), std::string::npos);
        EXPECT_EQ(outRe[0], 7.0);
        EXPECT_EQ(outIm[7], 7.0);
    }
    // INT_MIN read as a count is 2^31, a valid size: only the missing input stops it here.
    testing::internal::CaptureStderr();
    dsoFFT(static_cast<std::uint32_t>(INT_MIN), 0, nullptr, nullptr, outRe.data(), outIm.data());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("RealIn"), std::string::npos);
    EXPECT_EQ(outRe[0], 7.0);
    // Any nonzero flag asks for the inverse: forward then inverse gives the input back.
    const std::vector<double> signal = {1, -2, 3.5, 0, 0.25, 8, -1, 2};
    for (int flag : {INT_MIN, INT_MAX, -1}) {
        std::vector<double> fr(8), fi(8), br(8), bi(8);
        dsoFFT(8, 0, signal.data(), nullptr, fr.data(), fi.data());
        dsoFFT(8, flag, fr.data(), fi.data(), br.data(), bi.data());
        for (int k = 0; k < 8; ++k) {
            EXPECT_NEAR(br[k], signal[k], 1e-12) << flag;
            EXPECT_NEAR(bi[k], 0.0, 1e-12) << flag;
        }
    }
}

TEST(SdkFftExtremes, DataBufferScalesAndFlags) {
    std::vector<std::uint32_t> src(1001);
    for (std::size_t i = 0; i < src.size(); ++i)
        src[i] = static_cast<std::uint32_t>(100 + i);
    std::vector<std::int32_t> dst(1001, -1);
    for (std::int32_t flag : kExtremes)
        for (std::int32_t scale : {INT_MIN, 0, -1}) {
            EXPECT_EQ(dsoFFTDataBuffer(flag, scale, dst.data(), src.data()), 1);
            EXPECT_EQ(dst[0], -1) << "scale " << scale;
        }
    // The largest scale spreads src[0] over all 1000 points either way (with interpolation the
    // step to src[1] is far below one code per point), and nothing lands at 1000.
    for (std::int32_t flag : kExtremes) {
        std::fill(dst.begin(), dst.end(), -1);
        EXPECT_EQ(dsoFFTDataBuffer(flag, INT_MAX, dst.data(), src.data()), 1);
        EXPECT_EQ(dst[0], 100) << flag;
        EXPECT_EQ(dst[999], 100) << flag;
        EXPECT_EQ(dst[1000], -1) << flag;
    }
}

std::vector<std::int32_t> Layout() {
    // width, height, margins l r t b, step, colour, mode, 3 unused, hidden
    return {200, 200, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0};
}

TEST(SdkFftExtremes, SpectrumTraceLayoutFields) {
    std::vector<std::int32_t> spectrum(500, 300);
    // Each field of the layout at each extreme, on an otherwise ordinary panel.
    for (int field = 0; field < 13; ++field)
        for (std::int32_t v : kExtremes) {
            Canvas c(200, 200);
            auto layout = Layout();
            layout[static_cast<std::size_t>(field)] = v;
            dsoFFTDisplayData(c.dc(), layout.data(), spectrum.data());
            // The canvas is still a working context afterwards.
            SetPixel(c.dc(), 0, 0, RGB(1, 2, 3));
            EXPECT_EQ(c.At(0, 0), RGB(1, 2, 3)) << "field " << field << " value " << v;
        }
    const COLORREF trace = RGB(50, 250, 250);
    {
        // A plot 2^31 wide that starts at the largest int: every point is held there, off the
        // canvas, instead of wrapping round to negative coordinates.
        Canvas c(200, 200);
        auto layout = Layout();
        layout[0] = INT_MAX; // width
        layout[2] = INT_MAX; // left margin
        layout[3] = INT_MIN; // right margin
        dsoFFTDisplayData(c.dc(), layout.data(), spectrum.data());
        EXPECT_EQ(c.CountNot(kBlack, 0, 0, 200, 200), 0);
    }
    {
        // The widest step leaves no point to draw; colour selectors outside 0..3 draw nothing.
        Canvas c(200, 200);
        auto layout = Layout();
        layout[6] = INT_MAX;
        dsoFFTDisplayData(c.dc(), layout.data(), spectrum.data());
        layout = Layout();
        for (std::int32_t colour : {INT_MIN, INT_MAX, -1}) {
            layout[7] = colour;
            dsoFFTDisplayData(c.dc(), layout.data(), spectrum.data());
        }
        EXPECT_EQ(c.CountNot(kBlack, 0, 0, 200, 200), 0);
    }
    {
        // Any draw mode but 0 draws bars; any hidden flag but 1 draws: both as mode 1.
        Canvas bars(200, 200), extreme(200, 200);
        auto layout = Layout();
        layout[8] = 1;
        dsoFFTDisplayData(bars.dc(), layout.data(), spectrum.data());
        layout[8] = INT_MIN;
        layout[12] = INT_MAX;
        dsoFFTDisplayData(extreme.dc(), layout.data(), spectrum.data());
        EXPECT_GT(bars.Count(trace, 0, 0, 200, 200), 1000);
        EXPECT_EQ(extreme.Count(trace, 0, 0, 200, 200), bars.Count(trace, 0, 0, 200, 200));
    }
}

TEST(SdkFftExtremes, GridLayoutFields) {
    const COLORREF grid = RGB(100, 100, 100);
    for (int field = 0; field < 13; ++field)
        for (std::int32_t v : kExtremes) {
            Canvas c(200, 200);
            auto layout = Layout();
            layout[static_cast<std::size_t>(field)] = v;
            dsoFFTDrawGrid(c.dc(), layout.data());
            const int drawn = c.Count(grid, 0, 0, 200, 200);
            if (field < 6 && (v == INT_MIN || v == INT_MAX)) {
                EXPECT_EQ(drawn, 0) << "a size or margin of " << v << " draws nothing, field " << field;
            } else if (field == 12) {
                EXPECT_GT(drawn, 100) << "hidden flag " << v << " still draws";
            }
        }
}

TEST(SdkFftExtremes, NewFftOffsetsWindowsAndCounts) {
    // Offsets at both ends of 16 bits: constant codes put (code + offset - 511) volts in bin 0.
    std::vector<std::uint16_t> codes(64, 10);
    std::vector<double> out(33, -1.0);
    for (std::uint16_t offset :
         {std::uint16_t{0}, std::uint16_t{32767}, std::uint16_t{32768}, std::uint16_t{65535}}) {
        const DsoFftSettings settings{0xFFFF, 0xFFFF, 32, 1.0}; // window 65535 counts as rectangular
        dsoNewFFT(&settings, codes.data(), offset, out.data());
        EXPECT_NEAR(out[0], 2.0 * std::fabs(10.0 + offset - 511) * 8 / 511, 1e-9) << offset;
        EXPECT_NEAR(out[1], 0.0, 1e-9) << offset;
        EXPECT_EQ(out[32], -1.0);
    }
}

TEST(SdkFftExtremes, GetSamplesCounts) {
    std::vector<std::uint16_t> screen(10240);
    for (std::size_t i = 0; i < screen.size(); ++i)
        screen[i] = static_cast<std::uint16_t>(i % 500);
    // The largest counts take 8192 points and write nothing after them.
    for (std::uint16_t half : {std::uint16_t{32768}, std::uint16_t{65535}}) {
        std::vector<std::uint16_t> dst(2u * half, 0xBEEF);
        EXPECT_EQ(dsoFFTGetSamples(screen.data(), half, dst.data()), 1);
        EXPECT_EQ(dst[8191], screen[8191 * 10240 / 8192]);
        EXPECT_EQ(dst[8192], 0xBEEF);
    }
    // N = 1: two means of 5120 points each.
    std::vector<std::uint16_t> two(3, 0xBEEF);
    EXPECT_EQ(dsoFFTGetSamples(screen.data(), 1, two.data()), 1);
    long first = 0, second = 0;
    for (int i = 0; i < 5120; ++i) {
        first += screen[static_cast<std::size_t>(i)];
        second += screen[static_cast<std::size_t>(5120 + i)];
    }
    EXPECT_EQ(two[0], first / 5120);
    EXPECT_EQ(two[1], second / 5120);
    EXPECT_EQ(two[2], 0xBEEF);
}

} // namespace
