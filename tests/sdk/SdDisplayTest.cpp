// The sd display and spectrum functions: sampling table, spectrum stretching, the spectrum
// pipeline checked against a direct transform, and the drawing wrappers read back as pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Canvas.h"
#include "Tessel.h"

namespace {

TEST(SdDisplaySampling, SecondsPerDivisionAndRateFigures) {
    double spd = -1.0;
    EXPECT_DOUBLE_EQ(sdDisplaySampling(0, 0, 1, 0, 3, 10, &spd), 5e3);
    EXPECT_DOUBLE_EQ(spd, 2e-8);
    EXPECT_DOUBLE_EQ(sdDisplaySampling(0, 0, 0, 0, 3, 10, &spd), 250) << "without ETS as for 7..10";
    EXPECT_DOUBLE_EQ(sdDisplaySampling(1, 1, 0, 0, 8, 10, &spd), 125);
    EXPECT_DOUBLE_EQ(sdDisplaySampling(1, 1, 0, 2, 8, 10, &spd), 250);
    EXPECT_DOUBLE_EQ(sdDisplaySampling(1, 0, 0, 0, 8, 10, &spd), 250);
    EXPECT_DOUBLE_EQ(sdDisplaySampling(0, 0, 0, 0, 12, 10, &spd), 50);
    EXPECT_DOUBLE_EQ(sdDisplaySampling(0, 0, 0, 0, 20, 10, &spd), 0.1);
    EXPECT_DOUBLE_EQ(spd, 0.01);
    EXPECT_DOUBLE_EQ(sdDisplaySampling(0, 0, 0, 0, 20, 512, &spd), 5);
    EXPECT_DOUBLE_EQ(sdDisplaySampling(0, 0, 0, 0, 20, 0, &spd), 10);
    EXPECT_DOUBLE_EQ(sdDisplaySampling(0, 0, 0, 0, 26, 10, &spd), 20);
    EXPECT_DOUBLE_EQ(sdDisplaySampling(0, 0, 0, 0, 38, 10, &spd), 0.028);
    EXPECT_DOUBLE_EQ(spd, 3600);
    spd = -1.0;
    EXPECT_DOUBLE_EQ(sdDisplaySampling(0, 0, 1, 0, 39, 10, &spd), 0.0);
    EXPECT_DOUBLE_EQ(spd, -1.0);
    EXPECT_DOUBLE_EQ(sdDisplaySampling(0, 0, 1, 0, 3, 10, nullptr), 0.0);
}

TEST(SdFftDataBuffer, StretchesAndStaysInsideTheOutput) {
    std::vector<double> src(2001), dst(1001, -7.0);
    for (std::size_t i = 0; i < src.size(); ++i)
        src[i] = static_cast<double>(i);
    EXPECT_EQ(sdFFTDataBuffer(1, 10.0f, dst.data(), src.data()), 1);
    for (int i = 0; i < 500; ++i)
        ASSERT_DOUBLE_EQ(dst[i], i);
    EXPECT_DOUBLE_EQ(dst[500], -7.0);

    std::fill(dst.begin(), dst.end(), -7.0);
    EXPECT_EQ(sdFFTDataBuffer(1, 40.0f, dst.data(), src.data()), 1);
    EXPECT_DOUBLE_EQ(dst[5], 1.25); // between src[1] and src[2]
    // 500 / 3 is not whole: the last segment ends at point 499.
    std::fill(dst.begin(), dst.end(), -7.0);
    EXPECT_EQ(sdFFTDataBuffer(1, 30.0f, dst.data(), src.data()), 1);
    EXPECT_DOUBLE_EQ(dst[499], 166 + 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(dst[500], -7.0);

    std::fill(dst.begin(), dst.end(), -7.0);
    EXPECT_EQ(sdFFTDataBuffer(0, 20.0f, dst.data(), src.data()), 1);
    EXPECT_DOUBLE_EQ(dst[999], 499);
    EXPECT_DOUBLE_EQ(dst[1000], -7.0);

    std::fill(dst.begin(), dst.end(), -7.0);
    EXPECT_EQ(sdFFTDataBuffer(1, 0.0f, dst.data(), src.data()), 0);
    EXPECT_EQ(sdFFTDataBuffer(0, -5.0f, dst.data(), src.data()), 0);
    EXPECT_EQ(sdFFTDataBuffer(0, NAN, dst.data(), src.data()), 0);
    EXPECT_EQ(sdFFTDataBuffer(1, 10.0f, nullptr, src.data()), 0);
    EXPECT_TRUE(std::all_of(dst.begin(), dst.end(), [](double v) { return v == -7.0; }));
}

class SdFftTest : public ::testing::Test {
protected:
    std::vector<double> Run(std::uint16_t n, std::uint16_t window, double linear, double gain = 1000.0) {
        SdSpectrumSettings s{0, window, n, gain, linear, 1.0};
        std::vector<double> out(500, -1.0);
        result = sdFFT(0, settings, &s, a.data(), nullptr, b.data(), nullptr, out.data());
        return out;
    }
    std::uint16_t settings[7] = {0, 2, 20, 50, 1, 10, 0};
    std::vector<std::uint16_t> a = std::vector<std::uint16_t>(500, 256);
    std::vector<std::uint16_t> b = std::vector<std::uint16_t>(10240, 256);
    int result = -1;
};

TEST_F(SdFftTest, SettingsBlockIsNaturallyAligned) {
    EXPECT_EQ(offsetof(SdSpectrumSettings, pointCount), 4u);
    EXPECT_EQ(offsetof(SdSpectrumSettings, gain), 8u);
    EXPECT_EQ(offsetof(SdSpectrumSettings, linear), 16u);
    EXPECT_EQ(offsetof(SdSpectrumSettings, scale), 24u);
}

TEST_F(SdFftTest, LowestBinMatchesADirectTransformWithBothMirrorBinsPositive) {
    // N = 256 reads A[10..264]; a sine of one cycle over 256 samples sits in bins 1 and 255. Four
    // phases give every sign of the real and imaginary parts.
    settings[2] = 5;
    for (int quarter = 0; quarter < 4; ++quarter) {
        const double phase = 0.7 + quarter * M_PI / 2;
        for (int i = 0; i < 500; ++i)
            a[i] = static_cast<std::uint16_t>(
                256 + std::lround(100 * std::sin(2 * M_PI * (i - 10) / 256.0 + phase)));
        const auto out = Run(256, 0, 1.0);
        ASSERT_EQ(result, 1);
        double re1 = 0, im1 = 0;
        for (int i = 0; i <= 254; ++i) {
            re1 += a[i + 10] * std::cos(2 * M_PI * i / 256.0);
            im1 -= a[i + 10] * std::sin(2 * M_PI * i / 256.0);
        }
        // Bin 1 folds in bin 255, its mirror, both made positive first: 2 x (2|Re| + 2|Im|).
        const double expected = 4 * (std::fabs(re1) + std::fabs(im1));
        EXPECT_NEAR(out[4], expected, 1e-6 * expected) << quarter; // x = 4: y[1] lands on point 4
        EXPECT_NEAR(out[6], expected + (out[8] - expected) / 2, 1e-6 * expected) << quarter;
    }
}

TEST_F(SdFftTest, MidTimeBasesTakeEveryFifthPointOfRecordB) {
    // Only the points B[5i] may matter: the others carry noise.
    for (std::size_t j = 0; j < b.size(); ++j)
        b[j] = static_cast<std::uint16_t>(
            j % 5 == 0 ? 256 + std::lround(80 * std::sin(2 * M_PI * (j / 5) * 64 / 1024.0))
                       : (j * 7919) % 512);
    const auto noisy = Run(1024, 3, 1.0);
    ASSERT_EQ(result, 1);
    for (std::size_t j = 0; j < b.size(); ++j)
        if (j % 5 != 0)
            b[j] = 0;
    const auto clean = Run(1024, 3, 1.0);
    EXPECT_EQ(noisy, clean);
    // 64 cycles in 1024 samples: bin 64, output point 63 (q = 512 x 63 / 500).
    const auto peak = std::max_element(clean.begin() + 10, clean.end()) - clean.begin();
    EXPECT_EQ(peak, 63);
}

TEST_F(SdFftTest, DecibelsOnlyForPositiveValues) {
    for (int i = 0; i < 500; ++i)
        a[i] = static_cast<std::uint16_t>(256 + (i % 16 < 8 ? 50 : -50));
    settings[2] = 5;
    const auto db = Run(512, 1, 0.0);
    ASSERT_EQ(result, 1);
    const auto lin = Run(512, 1, 1.0);
    // x = 2: the even points are the computed values themselves, the odd ones interpolated.
    for (int i = 0; i < 500; i += 2) {
        if (lin[i] > 0) {
            ASSERT_NEAR(db[i], 20 * std::log10(lin[i]), 1e-9) << i;
        }
    }
    // A negative gain makes every value negative: no logarithm, no non-numbers.
    const auto negative = Run(512, 1, 0.0, -1000.0);
    EXPECT_TRUE(
        std::all_of(negative.begin(), negative.end(), [](double v) { return std::isfinite(v) && v <= 0; }));
}

TEST_F(SdFftTest, WindowEndsAtItsOwnLength) {
    // N = 512 outside time bases 13..24 takes x[i] = A[i / 10]; the rectangular window covers 256
    // points, so A[26..51] (points 260..510) carry no weight.
    settings[2] = 5;
    for (int i = 0; i < 500; ++i)
        a[i] = static_cast<std::uint16_t>(200 + (i * 37) % 100);
    const auto before = Run(512, 0, 1.0);
    for (int i = 26; i <= 51; ++i)
        a[i] = 500;
    EXPECT_EQ(Run(512, 0, 1.0), before);
    a[25] = 500; // points 250..255 are inside the window
    EXPECT_NE(Run(512, 0, 1.0), before);
}

TEST_F(SdFftTest, UndefinedPointCountsAndWindowsAreRefused) {
    for (std::uint16_t n : {0, 128, 300, 8192}) {
        const auto out = Run(n, 0, 1.0);
        EXPECT_EQ(result, 0) << n;
        EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](double v) { return v == -1.0; }));
    }
    Run(256, 4, 1.0);
    EXPECT_EQ(result, 0);
    SdSpectrumSettings s{1, 0, 256, 1000, 1, 1};
    std::vector<double> out(500);
    EXPECT_EQ(sdFFT(0, settings, &s, a.data(), nullptr, b.data(), nullptr, out.data()), 0)
        << "second channel missing";
}

constexpr std::uint16_t kLayout[7] = {520, 300, 10, 10, 10, 10, 0};

TEST(SdDrawing, SpectrumIsDrawnOnItsOwnScale) {
    Canvas canvas(520, 300);
    std::vector<double> spectrum(500, 300.0);
    spectrum[250] = 600.0; // above 510: joined to y = 0
    sdFFTDisplayData(canvas.dc(), kLayout, spectrum.data());
    canvas.Save("sd_fft_display");
    const COLORREF cyan = RGB(50, 250, 250);
    // y = 280 / 256 x (511 - 300) + 10 = 240.78.
    EXPECT_EQ(canvas.At(100, 240), cyan);
    EXPECT_EQ(canvas.At(100, 239), kBlack);
    EXPECT_GT(canvas.Count(cyan, 255, 0, 262, 5), 0) << "the segment rises to the top edge";
}

TEST(SdDrawing, SpectrumSegmentsOutsideTheRangeAreSkipped) {
    Canvas canvas(520, 300);
    std::vector<double> spectrum(500, -5.0);
    sdFFTDisplayData(canvas.dc(), kLayout, spectrum.data());
    EXPECT_EQ(canvas.CountNot(kBlack, 0, 0, 520, 300), 0);
    sdFFTDisplayData(canvas.dc(), kLayout, nullptr);
}

TEST(SdDrawing, DisplayDataUsesFullIntensityHeldAtFullColour) {
    Canvas canvas(520, 300);
    std::vector<std::uint16_t> record(500, 300);
    const std::uint16_t colour[3] = {200, 100, 50};
    EXPECT_EQ(sdDisplayData(canvas.dc(), kLayout, 1, record.data(), colour), 1);
    canvas.Save("sd_display_data");
    // Intensity 511 doubles each component; they stay within 255.
    const COLORREF expected = RGB(255, 200, 100);
    EXPECT_GT(canvas.Count(expected, 0, 0, 520, 300), 400);
    EXPECT_EQ(canvas.CountNot(kBlack, 0, 0, 520, 300), canvas.Count(expected, 0, 0, 520, 300));
    EXPECT_EQ(sdDisplayData(canvas.dc(), kLayout, 1, record.data(), nullptr), 0);
}

TEST(SdDrawing, GridAndXyWrappersDrawAsTheirDsoCounterparts) {
    Canvas mine(520, 300), theirs(520, 300);
    sdMainPanelDrawGrid(mine.dc(), kLayout);
    dsoMainPannelDrawGrid(theirs.dc(), kLayout);
    std::vector<std::uint16_t> x(500), y(500);
    for (int i = 0; i < 500; ++i) {
        x[i] = static_cast<std::uint16_t>(i % 256);
        y[i] = static_cast<std::uint16_t>((i * 3) % 512);
    }
    sdDisplayDataXYMode(mine.dc(), kLayout, 1, x.data(), y.data());
    dsoDisplayDataXYMode(theirs.dc(), kLayout, 1, x.data(), y.data());
    int differing = 0, drawn = 0;
    for (int py = 0; py < 300; ++py)
        for (int px = 0; px < 520; ++px) {
            differing += mine.At(px, py) != theirs.At(px, py) ? 1 : 0;
            drawn += mine.At(px, py) != kBlack ? 1 : 0;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(drawn, 1000);
}

TEST(SdProcessing, WrappersPassTheSettingsBlockOn) {
    const std::uint16_t settings[7] = {0, 2, 8, 30, 1, 10, 0};
    std::vector<std::uint16_t> record(10240);
    for (int i = 0; i < 10240; ++i)
        record[i] = static_cast<std::uint16_t>((i * 13) % 512);
    std::vector<std::int16_t> mine(500, -1), theirs(500, -2);
    sdGetDisplayData(settings, mine.data(), record.data());
    dsoChannelDataFilt(8, 30, theirs.data(), record.data(), 10, 0);
    EXPECT_EQ(mine, theirs);

    std::vector<std::uint16_t> a(10240, 1), b(10240, 2);
    sdChannelDataBuffer(settings, 2, a.data(), record.data());
    dsoChannelDataBuffer(settings, 2, b.data(), record.data());
    EXPECT_EQ(a, b);
    sdGetDisplayData(nullptr, mine.data(), record.data());
}

} // namespace

// The rate figure of every time base from 7 to 14, and the first and last of each slow table.
TEST(SdDisplaySampling, RateFigureOfEachMidTimeBase) {
    struct Case {
        std::uint16_t t, selector;
        double figure, secondsPerDivision;
    };
    const Case cases[] = {
        {7, 10, 250, 4e-7},   {10, 10, 250, 4e-6},   {11, 10, 100, 1e-5},  {12, 512, 50, 2e-5},
        {13, 0, 25, 4e-5},    {14, 10, 10, 1e-4},    {15, 10, 5, 2e-4},    {25, 10, 0.0025, 0.4},
        {15, 512, 250, 2e-4}, {25, 512, 0.125, 0.4}, {15, 0, 500, 2e-4},   {25, 0, 0.25, 0.4},
        {27, 10, 10, 2},      {33, 10, 0.33, 120},   {35, 10, 0.056, 600},
    };
    for (const Case& c : cases) {
        double spd = -1.0;
        EXPECT_DOUBLE_EQ(sdDisplaySampling(0, 0, 0, 0, c.t, c.selector, &spd), c.figure)
            << "T " << c.t << " selector " << c.selector;
        EXPECT_DOUBLE_EQ(spd, c.secondsPerDivision) << "T " << c.t;
    }
    // The equivalent-time flag only changes time bases 0..6.
    double spd = 0;
    EXPECT_DOUBLE_EQ(sdDisplaySampling(0, 0, 1, 0, 6, 10, &spd), 500);
    EXPECT_DOUBLE_EQ(sdDisplaySampling(0, 0, 1, 0, 0, 10, &spd), 5e4);
    EXPECT_DOUBLE_EQ(sdDisplaySampling(1, 1, 1, 0, 7, 10, &spd), 125);
    EXPECT_DOUBLE_EQ(sdDisplaySampling(1, 1, 1, 0, 11, 10, &spd), 100);
}

// The spectrum's channel word picks both records of one channel: the A record at fast time
// bases, the B record at 13..24. Each channel's result equals the other's on swapped records.
TEST(SdFftChannels, ChannelWordPicksBothRecordsOfThatChannel) {
    std::vector<std::uint16_t> sineA(500), sineB(10240), otherA(500), otherB(10240);
    for (int i = 0; i < 500; ++i) {
        sineA[i] = static_cast<std::uint16_t>(256 + std::lround(90 * std::sin(2 * M_PI * i * 8 / 500.0)));
        otherA[i] = static_cast<std::uint16_t>(256 + std::lround(40 * std::sin(2 * M_PI * i * 23 / 500.0)));
    }
    for (int j = 0; j < 10240; ++j) {
        sineB[j] = static_cast<std::uint16_t>(256 + std::lround(90 * std::sin(2 * M_PI * j * 64 / 5120.0)));
        otherB[j] = static_cast<std::uint16_t>(256 + std::lround(40 * std::sin(2 * M_PI * j * 200 / 5120.0)));
    }
    for (std::uint16_t t : {5, 20}) {
        std::uint16_t settings[7] = {0, 2, t, 50, 1, 10, 0};
        const auto run = [&](std::uint16_t channel, const std::vector<std::uint16_t>& a1,
                             const std::vector<std::uint16_t>& a2, const std::vector<std::uint16_t>& b1,
                             const std::vector<std::uint16_t>& b2) {
            SdSpectrumSettings s{channel, 3, 1024, 1000.0, 1.0, 1.0};
            std::vector<double> out(500, -1.0);
            EXPECT_EQ(sdFFT(0, settings, &s, a1.data(), a2.data(), b1.data(), b2.data(), out.data()), 1);
            return out;
        };
        const auto first = run(0, sineA, otherA, sineB, otherB);
        const auto second = run(1, sineA, otherA, sineB, otherB);
        EXPECT_NE(first, second) << "T " << t;
        EXPECT_EQ(second, run(0, otherA, sineA, otherB, sineB)) << "T " << t;
        EXPECT_EQ(first, run(1, otherA, sineA, otherB, sineB)) << "T " << t;
    }
}
