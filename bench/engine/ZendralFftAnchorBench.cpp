// Kelvane's spectrum behind the instrument interface (ordinal 17, 4096 bins, Blackman) against
// FFTW doing the same job with a plan made once: one run shows both times and their ratio.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <vector>

#include "../AnchorRatio.h"
#include "zendral/NoInstrument.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

void BM_ZendralFftCompute4096(benchmark::State& state) {
    constexpr int kBins = 4096, kN = 2 * kBins;
    std::vector<short> input(kN);
    for (int j = 0; j < kN; ++j)
        input[j] = static_cast<short>(256 + std::lround(100 * std::sin(0.05 * j) + 20 * std::sin(0.7 * j)));
    kv::NoInstrument zendral;
    kv::ZendralFftBlock block;
    block.window = 3;
    block.bins = kBins;
    block.voltsPerDiv = 1.0;
    const short position = 255;
    std::vector<double> spectrum(kBins), anchorSpectrum(kBins);

    // The anchor: the same conversion, window and single-sided amplitude, FFTW planned once.
    double* in = fftw_alloc_real(kN);
    fftw_complex* out = fftw_alloc_complex(kBins + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(kN, in, out, FFTW_ESTIMATE);
    std::vector<double> window(kN);
    double windowSum = 0;
    for (int j = 0; j < kN; ++j) {
        const double x = 2.0 * kPi * j / (kN - 1);
        window[j] = 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2.0 * x);
        windowSum += window[j];
    }
    const double zeroLine = 511.0 - position, voltsPerCode = block.voltsPerDiv * 8.0 / 511.0;

    kvbench::RunAgainstAnchor(
        state,
        [&] {
            benchmark::DoNotOptimize(zendral.FftCompute(&block, input.data(), position, spectrum.data()));
            benchmark::DoNotOptimize(spectrum.data());
        },
        [&] {
            for (int j = 0; j < kN; ++j)
                in[j] = (input[j] - zeroLine) * voltsPerCode * window[j];
            fftw_execute(plan);
            for (int k = 0; k < kBins; ++k)
                anchorSpectrum[k] = std::sqrt(out[k][0] * out[k][0] + out[k][1] * out[k][1]) *
                                    (k == 0 ? 1.0 : 2.0) / windowSum;
            benchmark::DoNotOptimize(anchorSpectrum.data());
        });
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
}
BENCHMARK(BM_ZendralFftCompute4096)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
