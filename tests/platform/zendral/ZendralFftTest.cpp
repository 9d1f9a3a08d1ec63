#include "zendral/NoInstrument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Codes of a sine with `cycles` periods over n samples, `ampCodes` high, about `zero`.
std::vector<short> SineCodes(int n, double cycles, double ampCodes, double zero) {
    std::vector<short> v(static_cast<size_t>(n));
    for (int j = 0; j < n; ++j)
        v[static_cast<size_t>(j)] =
            static_cast<short>(std::lround(zero + ampCodes * std::sin(2 * kPi * cycles * j / n)));
    return v;
}

TEST(ZendralFft, SineAmplitudeLandsInItsBinForEveryWindow) {
    kv::NoInstrument z;
    for (int bins : {256, 512, 1024, 2048, 4096}) {
        for (int window = 0; window <= 3; ++window) {
            const int n = 2 * bins;
            const double zero = 511.0 - 256.0;
            // 10 cycles in the block, 63.875 codes = 1 division = 1 V at 1 V/div.
            std::vector<short> in = SineCodes(n, 10, 63.875 * 2, zero);
            kv::ZendralFftBlock block;
            block.bins = static_cast<std::uint16_t>(bins);
            block.window = static_cast<std::uint16_t>(window);
            block.voltsPerDiv = 1.0;
            std::vector<double> spectrum(static_cast<size_t>(bins), -1.0);
            ASSERT_EQ(z.FftCompute(&block, in.data(), 256, spectrum.data()), 1);
            size_t peak = 1;
            for (size_t k = 1; k < spectrum.size(); ++k)
                if (spectrum[k] > spectrum[peak])
                    peak = k;
            EXPECT_EQ(peak, 10u) << bins << " window " << window;
            EXPECT_NEAR(spectrum[10], 2.0, 0.05) << bins << " window " << window;
            EXPECT_LT(spectrum[0], 0.02);
        }
    }
}

TEST(ZendralFft, DcOffsetShowsInBinZeroAboutTheZeroLine) {
    kv::NoInstrument z;
    kv::ZendralFftBlock block;
    block.bins = 256;
    block.voltsPerDiv = 2.0;
    // Position 100: zero line at code 411; codes 511 are 100 codes above it.
    std::vector<short> in(512, 511);
    std::vector<double> spectrum(256, -1.0);
    ASSERT_EQ(z.FftCompute(&block, in.data(), 100, spectrum.data()), 1);
    EXPECT_NEAR(spectrum[0], 100 * 2.0 * 8.0 / 511.0, 1e-9);
    EXPECT_NEAR(spectrum[5], 0.0, 1e-9);
}

TEST(ZendralFft, RefusesBadBinsOrWindowAndWritesNothing) {
    kv::NoInstrument z;
    std::vector<short> in(8192, 300);
    std::vector<double> spectrum(4096, -7.0);
    kv::ZendralFftBlock block;
    for (int bins : {0, 100, 255, 8192}) {
        block.bins = static_cast<std::uint16_t>(bins);
        EXPECT_EQ(z.FftCompute(&block, in.data(), 0, spectrum.data()), 0);
    }
    block.bins = 256;
    block.window = 4;
    EXPECT_EQ(z.FftCompute(&block, in.data(), 0, spectrum.data()), 0);
    EXPECT_EQ(z.FftCompute(nullptr, in.data(), 0, spectrum.data()), 0);
    for (double v : spectrum)
        ASSERT_EQ(v, -7.0);
}

TEST(ZendralFft, PrepareInputResamplesTheCentralTenDivisions) {
    kv::NoInstrument z;
    std::vector<short> record(10240);
    for (int i = 0; i < 10240; ++i)
        record[static_cast<size_t>(i)] = static_cast<short>(i % 30000);
    std::vector<short> input(512 + 4, -1);
    ASSERT_EQ(z.FftPrepareInput(record.data(), 10240, 256, input.data()), 1);
    EXPECT_EQ(input[0], 120);
    EXPECT_EQ(input[1], 120 + 10000 / 512);         // truncated index 139
    EXPECT_EQ(input[511], 120 + 511 * 10000 / 512); // last sample lies inside 120..10119
    EXPECT_EQ(input[512], -1);                      // nothing beyond 2 x bins
}

TEST(ZendralFft, PrepareInputRefusesShortRecordsAndBadBins) {
    kv::NoInstrument z;
    std::vector<short> record(10239, 5);
    std::vector<short> input(8192, -1);
    EXPECT_EQ(z.FftPrepareInput(record.data(), 10239, 256, input.data()), 0);
    std::vector<short> full(10240, 5);
    EXPECT_EQ(z.FftPrepareInput(full.data(), 10240, 300, input.data()), 0);
    EXPECT_EQ(z.FftPrepareInput(nullptr, 10240, 256, input.data()), 0);
    for (short v : input)
        ASSERT_EQ(v, -1);
}

} // namespace
