// The library's spectrum functions: the complex FFT, the windowed amplitude spectrum, sample
// picking, resampling for the trace and the spectrum drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "Canvas.h"
#include "Tessel.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

TEST(SdkFft, ForwardPeakAndInverseRoundTrip) {
    const uint32_t n = 64;
    std::vector<double> re(n), im(n), outRe(n), outIm(n), backRe(n), backIm(n);
    for (uint32_t i = 0; i < n; ++i)
        re[i] = std::sin(2 * kPi * 8 * i / n) + 0.25 * std::cos(2 * kPi * 3 * i / n);
    dsoFFT(n, 0, re.data(), nullptr, outRe.data(), outIm.data());
    // sin of 8 cycles: -n/2 i at bin 8 (forward transform uses exp(-i...)), cos: n/8 at bin 3.
    EXPECT_NEAR(outIm[8], -32.0, 1e-9);
    EXPECT_NEAR(outRe[3], 8.0, 1e-9);
    EXPECT_NEAR(std::hypot(outRe[5], outIm[5]), 0.0, 1e-9);
    dsoFFT(n, 1, outRe.data(), outIm.data(), backRe.data(), backIm.data());
    for (uint32_t i = 0; i < n; ++i) {
        EXPECT_NEAR(backRe[i], re[i], 1e-12);
        EXPECT_NEAR(backIm[i], 0.0, 1e-12);
    }
    // In place: the outputs may be the inputs.
    std::vector<double> a = re, b(n, 0.0);
    dsoFFT(n, 0, a.data(), b.data(), a.data(), b.data());
    EXPECT_NEAR(b[8], -32.0, 1e-9);
}

TEST(SdkFft, BadArgumentsComputeNothingAndSaySo) {
    std::vector<double> in(1000, 1.0), outRe(1000, 7.0), outIm(1000, 7.0);
    testing::internal::CaptureStderr();
    dsoFFT(1000, 0, in.data(), nullptr, outRe.data(), outIm.data());
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("1000"), std::string::npos);
    EXPECT_EQ(outRe[0], 7.0);
    EXPECT_EQ(outIm[999], 7.0);
    testing::internal::CaptureStderr();
    dsoFFT(8, 0, in.data(), nullptr, nullptr, outIm.data());
    said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("RealOut"), std::string::npos);
    EXPECT_EQ(outIm[0], 7.0);
}

std::vector<uint16_t> SineCodes(std::size_t n, double cycles, double amplitudeCodes) {
    std::vector<uint16_t> codes(n);
    for (std::size_t k = 0; k < n; ++k)
        codes[k] =
            static_cast<uint16_t>(std::lround(511 + amplitudeCodes * std::sin(2 * kPi * cycles * k / n)));
    return codes;
}

TEST(SdkNewFft, KnownSineGivesItsBinAndLevel) {
    DsoFftSettings settings{0, 0, 512, 1.0};
    const auto codes = SineCodes(1024, 50, 200);
    std::vector<double> out(512, -1.0);
    dsoNewFFT(&settings, codes.data(), 0, out.data());
    std::size_t peak = 0;
    for (std::size_t j = 1; j < out.size(); ++j)
        if (out[j] > out[peak])
            peak = j;
    EXPECT_EQ(peak, 50u);
    EXPECT_NEAR(out[50], 200 * 8.0 / 511, 0.01); // volts amplitude with the rectangular window
    // With a Hanning window the peak stays in its bin and keeps its level after normalisation.
    settings.window = 1;
    dsoNewFFT(&settings, codes.data(), 0, out.data());
    EXPECT_NEAR(out[50], 200 * 8.0 / 511, 0.02);
    EXPECT_LT(out[60], 0.005);
}

TEST(SdkNewFft, ConstantInputPutsAllEnergyInBinZero) {
    DsoFftSettings settings{0, 0, 128, 0.5};
    std::vector<uint16_t> codes(256, 300);
    std::vector<double> out(128, -1.0);
    dsoNewFFT(&settings, codes.data(), 11, out.data());
    EXPECT_NEAR(out[0], 2 * (300 + 11 - 511) * 0.5 * 8 / 511 * -1, 1e-9);
    for (std::size_t j = 1; j < out.size(); ++j)
        EXPECT_NEAR(out[j], 0.0, 1e-9);
}

TEST(SdkNewFft, CountsJustBelowAPowerOfTwoStayInsideTheirSamples) {
    // 2N = 131070 rounds its length up to 131072 points, two more than there are.
    DsoFftSettings settings{0, 0, 65535, 1.0};
    std::vector<uint16_t> codes(131070, 611);
    std::vector<double> out(65535, -1.0);
    dsoNewFFT(&settings, codes.data(), 0, out.data());
    EXPECT_GT(out[0], 0.0);
    EXPECT_NEAR(out[0], 2 * 100 * 8.0 / 511 * 65536 / 131070, 1e-6); // 65536 points transformed
}

TEST(SdkNewFft, NoSamplesOrZeroWindowSumWritesNothing) {
    std::vector<uint16_t> codes(4, 400);
    double out[2] = {-5.0, -5.0};
    DsoFftSettings none{0, 0, 0, 1.0};
    dsoNewFFT(&none, codes.data(), 0, out);
    EXPECT_EQ(out[0], -5.0);
    // A Hanning window over two samples is 0 at both: no division by its zero sum.
    DsoFftSettings two{0, 1, 1, 1.0};
    dsoNewFFT(&two, codes.data(), 0, out);
    EXPECT_EQ(out[0], -5.0);
    dsoNewFFT(nullptr, codes.data(), 0, out);
    EXPECT_EQ(out[0], -5.0);
}

TEST(SdkFftGetSamples, PicksAndAverages) {
    std::vector<uint16_t> screen(10240);
    for (int i = 0; i < 10240; ++i)
        screen[i] = static_cast<uint16_t>(i % 500);
    std::vector<uint16_t> dst(4096 + 8, 0xBEEF);
    EXPECT_EQ(dsoFFTGetSamples(screen.data(), 2048, dst.data()), 1);
    EXPECT_EQ(dst[1], screen[2]);
    EXPECT_EQ(dst[2], screen[5]);
    EXPECT_EQ(dst[4095], screen[10237]);
    EXPECT_EQ(dst[4096], 0xBEEF);
    std::vector<uint16_t> avg(512 + 4, 0xBEEF);
    EXPECT_EQ(dsoFFTGetSamples(screen.data(), 256, avg.data()), 1);
    EXPECT_EQ(avg[1], (20 + 39) / 2); // mean of 20..39
    EXPECT_EQ(avg[512], 0xBEEF);
}

TEST(SdkFftGetSamples, WritesAtMostNValuesAndSumsWithoutOverflow) {
    std::vector<uint16_t> screen(10240, 511);
    // n = 4100: 8192 picks would overrun an output of 2N entries.
    std::vector<uint16_t> dst(4100 + 16, 0xBEEF);
    EXPECT_EQ(dsoFFTGetSamples(screen.data(), 2050, dst.data()), 1);
    EXPECT_EQ(dst[4099], 511);
    EXPECT_EQ(dst[4100], 0xBEEF);
    // n = 16: groups of 640 codes of 511 sum to 327040, which a 16-bit sum would wrap.
    std::vector<uint16_t> small(16, 0);
    EXPECT_EQ(dsoFFTGetSamples(screen.data(), 8, small.data()), 1);
    EXPECT_EQ(small[0], 511);
    EXPECT_EQ(small[15], 511);
    // N = 0 has no group size.
    uint16_t untouched = 0xBEEF;
    EXPECT_EQ(dsoFFTGetSamples(screen.data(), 0, &untouched), 0);
    EXPECT_EQ(untouched, 0xBEEF);
}

TEST(SdkFftDataBuffer, ResamplesWithinItsThousandPoints) {
    std::vector<uint32_t> src(2001);
    for (std::size_t i = 0; i < src.size(); ++i)
        src[i] = static_cast<uint32_t>(i * 10);
    std::vector<int32_t> dst(1010, -1);
    EXPECT_EQ(dsoFFTDataBuffer(0, 20, dst.data(), src.data()), 1);
    EXPECT_EQ(dst[0], 0);
    EXPECT_EQ(dst[3], 10); // src[trunc(3 / 2)]
    EXPECT_EQ(dst[999], 4990);
    EXPECT_EQ(dst[1000], -1);
    // Scale 30 (x = 3): 500 / 3 is not whole, the last group would pass index 999.
    std::fill(dst.begin(), dst.end(), -1);
    EXPECT_EQ(dsoFFTDataBuffer(1, 30, dst.data(), src.data()), 1);
    EXPECT_EQ(dst[0], 0);
    EXPECT_EQ(dst[1], 3); // 0 + 1 x (10 - 0) / 3
    EXPECT_EQ(dst[3], 10);
    EXPECT_EQ(dst[1000], -1);
    // A scale of 0 or below would divide by zero or never end.
    std::fill(dst.begin(), dst.end(), -1);
    EXPECT_EQ(dsoFFTDataBuffer(1, 0, dst.data(), src.data()), 1);
    EXPECT_EQ(dsoFFTDataBuffer(0, -5, dst.data(), src.data()), 1);
    EXPECT_EQ(dst[0], -1);
    // Interpolated values keep their low 16 bits.
    std::vector<uint32_t> big = {70000, 70000, 70000, 70000}; // i < 500 / 200 reads src[0..3]
    std::vector<int32_t> out(1000, -1);
    dsoFFTDataBuffer(1, 2000, out.data(), big.data());
    EXPECT_EQ(out[0], 70000 - 65536);
}

// FFT panel layout: width, height, margins l r t b, step, colour, mode, 3 unused, hidden.
std::vector<int32_t> FftLayout(int mode, int colour = 0, int hidden = 0) {
    return {500, 511, 0, 0, 0, 0, 1, colour, mode, 0, 0, 0, hidden};
}

TEST(SdkFftDrawing, SpectrumTraceGridAndBars) {
    std::vector<int32_t> spectrum(500, 100);
    spectrum[250] = 400;
    {
        Canvas c(500, 511);
        dsoFFTDrawGrid(c.dc(), FftLayout(0).data());
        dsoFFTDisplayData(c.dc(), FftLayout(0).data(), spectrum.data());
        c.Save("sdk_fft_trace");
        const COLORREF trace = RGB(50, 250, 250);
        EXPECT_EQ(c.At(100, 411), trace);                             // y = (511 - 100) x 511 / 511
        EXPECT_GT(c.Count(trace, 249, 100, 251, 400), 100);           // the steep rise to the peak
        EXPECT_GT(c.Count(RGB(100, 100, 100), 0, 255, 500, 257), 10); // centre tick row / grid
    }
    {
        // Draw mode other than 0: a bar from the plot's bottom edge up to each point.
        Canvas c(500, 511);
        dsoFFTDisplayData(c.dc(), FftLayout(1, 3 - 3 + 1).data(), spectrum.data());
        c.Save("sdk_fft_bars");
        const COLORREF red = RGB(255, 100, 100);
        EXPECT_EQ(c.At(250, 500), red);
        EXPECT_EQ(c.At(250, 112), red);
        EXPECT_EQ(c.At(250, 105), kBlack);
        EXPECT_EQ(c.Count(red, 100, 412, 101, 511), 99);
    }
    {
        Canvas c(500, 511);
        dsoFFTDisplayData(c.dc(), FftLayout(0, 4).data(), spectrum.data());    // no pen for selector 4
        dsoFFTDisplayData(c.dc(), FftLayout(0, 0, 1).data(), spectrum.data()); // hidden
        dsoFFTDrawGrid(c.dc(), FftLayout(0, 0, 1).data());
        EXPECT_EQ(c.CountNot(kBlack, 0, 0, 500, 511), 0);
    }
}

// A code of 510 is still on the plot and gets its bar up to y = top + (511 - 510) x 511 / 511 = 1;
// 511 and above are off the top and draw nothing; code 0 sits on the bottom edge.
TEST(SdkFftDrawing, BarsReachTheTopCodeAndStopAboveIt) {
    std::vector<int32_t> spectrum(500, 0);
    spectrum[100] = 510;
    spectrum[200] = 511;
    spectrum[300] = 600;
    spectrum[400] = 1;
    Canvas c(500, 511);
    dsoFFTDisplayData(c.dc(), FftLayout(1, 1).data(), spectrum.data());
    const COLORREF red = RGB(255, 100, 100);
    // From the bottom edge (511, outside the bitmap) up to y = 1, the end point left out: rows 2..510.
    EXPECT_EQ(c.Count(red, 100, 0, 101, 511), 509);
    EXPECT_EQ(c.At(100, 2), red);
    EXPECT_EQ(c.At(100, 1), kBlack);
    EXPECT_EQ(c.Count(red, 200, 0, 201, 511), 0);
    EXPECT_EQ(c.Count(red, 300, 0, 301, 511), 0);
    // Code 1: y = 510; the bar's one pixel besides its end point is row 511, below the bitmap.
    EXPECT_EQ(c.Count(red, 400, 0, 401, 511), 0);
}

// Selectors above 3 name no colour: nothing is drawn, whatever the background.
TEST(SdkFftDrawing, ColourSelectorsAboveThreeDrawNothingOnAnyBackground) {
    std::vector<int32_t> spectrum(500, 100);
    spectrum[250] = 400;
    for (int mode : {0, 1}) {
        for (int selector : {4, 5, 255}) {
            Canvas c(500, 511);
            const COLORREF ground = RGB(1, 2, 3);
            HBRUSH brush = CreateSolidBrush(ground);
            const RECT all{0, 0, 500, 511};
            FillRect(c.dc(), &all, brush);
            DeleteObject(brush);
            dsoFFTDisplayData(c.dc(), FftLayout(mode, selector).data(), spectrum.data());
            EXPECT_EQ(c.CountNot(ground, 0, 0, 500, 511), 0) << "mode " << mode << " selector " << selector;
        }
    }
}

} // namespace
