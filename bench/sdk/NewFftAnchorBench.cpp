// dsoNewFFT of 8192 sample codes with the Blackman window against FFTW doing the same job with a
// real-input plan made once: codes to volts, the same window, the transform, the normalised
// magnitudes. One run shows both times and their ratio.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "../AnchorRatio.h"
#include "Tessel.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

class FftwAnchor {
public:
    FftwAnchor(std::size_t n, unsigned flags)
        : m_n(n), m_in(fftw_alloc_real(n)), m_out(fftw_alloc_complex(n / 2 + 1)), m_window(n) {
        m_plan = fftw_plan_dft_r2c_1d(static_cast<int>(n), m_in, m_out, flags);
        const double a = 2 * kPi / static_cast<double>(n - 1);
        for (std::size_t k = 0; k < n; ++k) {
            const double ka = static_cast<double>(k) * a;
            m_window[k] = 0.42 - 0.5 * std::cos(ka) + 0.08 * std::cos(2 * ka);
            m_windowSum += m_window[k];
        }
    }
    ~FftwAnchor() {
        fftw_destroy_plan(m_plan);
        fftw_free(m_in);
        fftw_free(m_out);
    }
    FftwAnchor(const FftwAnchor&) = delete;
    FftwAnchor& operator=(const FftwAnchor&) = delete;

    void Run(const std::uint16_t* codes, std::uint16_t offset, double voltsPerDivision, double* out) {
        const double scale = voltsPerDivision * 8 / 511;
        for (std::size_t k = 0; k < m_n; ++k)
            m_in[k] = (static_cast<double>(codes[k]) + offset - 511) * scale * m_window[k];
        fftw_execute(m_plan);
        const double norm = m_windowSum / 2;
        for (std::size_t j = 0; j < m_n / 2; ++j)
            out[j] = std::sqrt(m_out[j][0] * m_out[j][0] + m_out[j][1] * m_out[j][1]) / norm;
    }

private:
    std::size_t m_n;
    double* m_in;
    fftw_complex* m_out;
    fftw_plan m_plan;
    std::vector<double> m_window;
    double m_windowSum = 0;
};

// Argument: FFTW planner flags of the anchor (FFTW_ESTIMATE or FFTW_MEASURE).
void BM_NewFftBlackman8192(benchmark::State& state) {
    constexpr std::uint16_t kHalf = 4096;
    std::vector<std::uint16_t> codes(2 * kHalf);
    for (std::size_t k = 0; k < codes.size(); ++k)
        codes[k] = static_cast<std::uint16_t>(511 + 200 * std::sin(0.05 * static_cast<double>(k)) +
                                              30 * std::sin(0.9 * static_cast<double>(k)));
    std::vector<double> out(kHalf), anchorOut(kHalf);
    const DsoFftSettings settings{0, 3, kHalf, 1.0};
    FftwAnchor anchor(2 * kHalf, static_cast<unsigned>(state.range(0)));
    kvbench::RunAgainstAnchor(
        state,
        [&] {
            dsoNewFFT(&settings, codes.data(), 0, out.data());
            benchmark::DoNotOptimize(out.data());
        },
        [&] {
            anchor.Run(codes.data(), 0, 1.0, anchorOut.data());
            benchmark::DoNotOptimize(anchorOut.data());
        });
}
BENCHMARK(BM_NewFftBlackman8192)
    ->Arg(FFTW_ESTIMATE)
    ->Arg(FFTW_MEASURE)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace
