// The spectrum ordinal keeps one transform per bin count between calls: every call, whatever
// came before it (other sizes, other windows, other threads), matches a direct DFT.
#include "zendral/NoInstrument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// A signal with no particular structure: two sines off the bin grid and a ramp.
std::vector<short> Codes(int n, int seed) {
    std::vector<short> v(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j)
        v[static_cast<std::size_t>(j)] = static_cast<short>(std::lround(
            255 + 90 * std::sin(0.37 * j + seed) + 40 * std::cos(1.91 * j * (seed + 1)) + (j % 17)));
    return v;
}

double Window(int type, int j, int n) {
    const double x = 2 * kPi * j / (n - 1);
    switch (type) {
    case 1: // Hanning
        return 0.5 - 0.5 * std::cos(x);
    case 2: // Hamming
        return 0.54 - 0.46 * std::cos(x);
    case 3: // Blackman
        return 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2 * x);
    default:
        return 1.0;
    }
}

// Single-sided amplitude in volts by the definition: |sum of x_j e^(-2 pi i j k / n)|, doubled
// except at DC, over the window sum.
std::vector<double> DirectSpectrum(const std::vector<short>& codes, int window, short position,
                                   double voltsPerDiv) {
    const int n = static_cast<int>(codes.size()), bins = n / 2;
    std::vector<double> x(codes.size()), c(codes.size()), s(codes.size());
    double windowSum = 0;
    for (int j = 0; j < n; ++j) {
        const double w = Window(window, j, n);
        windowSum += w;
        x[j] = (codes[j] - (511.0 - position)) * voltsPerDiv * 8 / 511 * w;
        c[j] = std::cos(2 * kPi * j / n);
        s[j] = std::sin(2 * kPi * j / n);
    }
    std::vector<double> out(static_cast<std::size_t>(bins));
    for (int k = 0; k < bins; ++k) {
        double re = 0, im = 0;
        for (int j = 0; j < n; ++j) {
            const int at = static_cast<int>((static_cast<long long>(j) * k) % n);
            re += x[j] * c[at];
            im -= x[j] * s[at];
        }
        out[k] = std::hypot(re, im) * (k == 0 ? 1 : 2) / windowSum;
    }
    return out;
}

std::vector<double> Compute(int bins, int window, const std::vector<short>& codes, short position,
                            double vpd) {
    kv::NoInstrument z;
    kv::ZendralFftBlock block;
    block.bins = static_cast<std::uint16_t>(bins);
    block.window = static_cast<std::uint16_t>(window);
    block.voltsPerDiv = vpd;
    std::vector<double> spectrum(static_cast<std::size_t>(bins), -1.0);
    EXPECT_EQ(z.FftCompute(&block, codes.data(), position, spectrum.data()), 1);
    return spectrum;
}

void ExpectSame(const std::vector<double>& got, const std::vector<double>& want, const char* what) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t k = 0; k < got.size(); ++k)
        ASSERT_NEAR(got[k], want[k], 1e-9) << what << " bin " << k;
}

TEST(ZendralFftPlan, EveryCallMatchesTheDirectTransformWhateverRanBefore) {
    const auto small = Codes(512, 1), large = Codes(1024, 2);
    // Interleaved sizes and windows, each repeated: a kept plan or window table from one call
    // must not leak into the next.
    const struct {
        int bins, window;
    } order[] = {{256, 3}, {512, 3}, {256, 0}, {256, 3}, {512, 1}, {256, 2}, {512, 3}, {512, 2}, {256, 1}};
    for (const auto& step : order) {
        const auto& codes = step.bins == 256 ? small : large;
        const short position = static_cast<short>(100 + step.window * 40);
        const double vpd = 0.5 * (step.window + 1);
        ExpectSame(Compute(step.bins, step.window, codes, position, vpd),
                   DirectSpectrum(codes, step.window, position, vpd), "interleaved");
    }
}

TEST(ZendralFftPlan, ConcurrentCallsOfDifferentSizesStayCorrect) {
    const auto small = Codes(512, 3), large = Codes(2048, 4);
    const auto wantSmall = DirectSpectrum(small, 1, 200, 1.0);
    const auto wantLarge = DirectSpectrum(large, 3, 200, 1.0);
    std::vector<double> gotSmall, gotLarge;
    std::thread a([&] {
        for (int i = 0; i < 20; ++i)
            gotSmall = Compute(256, 1, small, 200, 1.0);
    });
    std::thread b([&] {
        for (int i = 0; i < 20; ++i)
            gotLarge = Compute(1024, 3, large, 200, 1.0);
    });
    a.join();
    b.join();
    ExpectSame(gotSmall, wantSmall, "256 bins");
    ExpectSame(gotLarge, wantLarge, "1024 bins");
}

} // namespace
