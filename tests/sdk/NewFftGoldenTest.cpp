// dsoNewFFT against the definition: a direct DFT of the windowed volts, evaluated in long double,
// for every window and for sizes that are and are not powers of two. The library keeps its
// window, twiddles and buffers between calls, so the calls are interleaved: nothing kept from one
// size, window or thread may leak into another.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "Tessel.h"

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

// The six windows by their coefficients, over n samples.
long double WindowAt(int type, std::size_t k, std::size_t n) {
    const long double a = 2 * kPi * static_cast<long double>(k) / static_cast<long double>(n - 1);
    switch (type) {
    case 1:
        return 0.5L - 0.5L * std::cos(a);
    case 2:
        return 0.54L - 0.46L * std::cos(a);
    case 3:
        return 0.42L - 0.5L * std::cos(a) + 0.08L * std::cos(2 * a);
    case 4:
        return k < n / 2 ? 2.0L * k / (n - 1) : 2 - 2.0L * k / (n - 1);
    case 5:
        return (1 - 1.93L * std::cos(a) + 1.29L * std::cos(2 * a) - 0.388L * std::cos(3 * a) +
                0.0322L * std::cos(4 * a)) /
               2;
    default:
        return 1.0L;
    }
}

struct Case {
    std::vector<std::uint16_t> codes;
    std::uint16_t offset;
    int window;
    double voltsPerDivision;
};

// out[j] = |sum over the first len windowed volts of v_k e^(-2 pi i j k / len)| / (window sum / 2),
// len the largest power of two not above n; `bins` picks which j to evaluate (all when empty).
std::vector<long double> Direct(const Case& c, const std::vector<std::size_t>& bins) {
    const std::size_t n = c.codes.size(), half = n / 2;
    std::size_t len = 1;
    while (len * 2 <= n)
        len *= 2;
    std::vector<long double> v(n), cosT(len), sinT(len);
    long double windowSum = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const long double w = WindowAt(c.window, k, n);
        windowSum += w;
        v[k] = (static_cast<long double>(c.codes[k]) + c.offset - 511) * c.voltsPerDivision * 8 / 511 * w;
    }
    for (std::size_t t = 0; t < len; ++t) {
        cosT[t] = std::cos(2 * kPi * t / len);
        sinT[t] = std::sin(2 * kPi * t / len);
    }
    std::vector<long double> out(half, -1);
    auto one = [&](std::size_t j) {
        long double re = 0, im = 0;
        for (std::size_t k = 0; k < len; ++k) {
            const std::size_t t = (j * k) % len;
            re += v[k] * cosT[t];
            im -= v[k] * sinT[t];
        }
        out[j] = std::sqrt(re * re + im * im) / (windowSum / 2);
    };
    if (bins.empty())
        for (std::size_t j = 0; j < half; ++j)
            one(j);
    else
        for (std::size_t j : bins)
            one(j);
    return out;
}

Case MakeCase(std::size_t half, int window, int seed) {
    Case c{std::vector<std::uint16_t>(2 * half), static_cast<std::uint16_t>(7 * seed), window,
           0.2 * (seed + 1)};
    for (std::size_t k = 0; k < c.codes.size(); ++k)
        c.codes[k] = static_cast<std::uint16_t>(std::lround(511 + 180 * std::sin(0.071 * k * (seed + 1)) +
                                                            60 * std::cos(0.93 * k + seed) + (k * 37 % 23)));
    return c;
}

std::vector<double> Library(const Case& c) {
    const auto half = static_cast<std::uint16_t>(c.codes.size() / 2);
    const DsoFftSettings settings{0, static_cast<std::uint16_t>(c.window), half, c.voltsPerDivision};
    std::vector<double> out(half + 1, -7.0);
    dsoNewFFT(&settings, c.codes.data(), c.offset, out.data());
    EXPECT_EQ(out[half], -7.0) << "wrote past N values";
    out.pop_back();
    return out;
}

void ExpectMatches(const Case& c, const std::vector<std::size_t>& bins = {}) {
    const auto want = Direct(c, bins);
    const auto got = Library(c);
    for (std::size_t j = 0; j < want.size(); ++j)
        if (want[j] >= 0) {
            ASSERT_NEAR(got[j], static_cast<double>(want[j]), 1e-9)
                << "N " << got.size() << " window " << c.window << " bin " << j;
        }
}

TEST(SdkNewFftGolden, EveryWindowAndSizeMatchesTheDirectTransformInAnyOrder) {
    // Powers of two and counts whose transform takes only the first len samples (N = 3, 5, 48,
    // 100), each size visited twice with other sizes and windows between.
    const std::size_t sizes[] = {1, 8, 3, 512, 48, 5, 100, 8, 512, 3};
    int seed = 0;
    for (std::size_t half : sizes)
        for (int window : {0, 1, 2, 3, 4, 5, 9}) {
            if (half == 1 && (window == 1 || window == 3 || window == 4))
                continue; // these windows are (nearly) 0 at both of two samples
            ExpectMatches(MakeCase(half, window, seed++ % 5));
        }
}

TEST(SdkNewFftGolden, WindowsThatVanishOnTwoSamplesWriteNothing) {
    // Over two samples Hanning and triangular are 0 at both, and Blackman (0.42 - 0.5 + 0.08)
    // too: there is no window sum to normalise by.
    const std::vector<std::uint16_t> codes = {700, 300};
    for (std::uint16_t window : {1, 3, 4}) {
        const DsoFftSettings settings{0, window, 1, 1.0};
        double out[2] = {-5.0, -5.0};
        dsoNewFFT(&settings, codes.data(), 0, out);
        EXPECT_EQ(out[0], -5.0) << "window " << window;
    }
    // Hamming and flat top keep a positive sum there and give the definition's value.
    for (int window : {2, 5})
        ExpectMatches(Case{codes, 0, window, 1.0});
}

TEST(SdkNewFftGolden, EightThousandPointsBlackmanMatchAtSpreadBins) {
    std::vector<std::size_t> bins;
    for (std::size_t j = 0; j < 4096; j += j < 16 || j > 4080 ? 1 : 13)
        bins.push_back(j);
    ExpectMatches(MakeCase(4096, 3, 2), bins);
    ExpectMatches(MakeCase(4096, 0, 3), bins);
    // The same input again gives exactly the same spectrum.
    const Case c = MakeCase(4096, 3, 4);
    EXPECT_EQ(Library(c), Library(c));
}

TEST(SdkNewFftGolden, ThreadsComputingOtherSizesGetTheirOwnResults) {
    const Case a = MakeCase(256, 3, 1), b = MakeCase(100, 5, 2);
    const auto wantA = Direct(a, {}), wantB = Direct(b, {});
    std::vector<double> gotA, gotB;
    std::thread ta([&] {
        for (int i = 0; i < 30; ++i)
            gotA = Library(a);
    });
    std::thread tb([&] {
        for (int i = 0; i < 30; ++i)
            gotB = Library(b);
    });
    ta.join();
    tb.join();
    ASSERT_EQ(gotA.size(), wantA.size());
    ASSERT_EQ(gotB.size(), wantB.size());
    for (std::size_t j = 0; j < wantA.size(); ++j)
        ASSERT_NEAR(gotA[j], static_cast<double>(wantA[j]), 1e-9) << j;
    for (std::size_t j = 0; j < wantB.size(); ++j)
        ASSERT_NEAR(gotB[j], static_cast<double>(wantB[j]), 1e-9) << j;
}

} // namespace
