// The two computing ordinals (FFT input and spectrum) shared by every implementation.
#include "zendral/Zendral.h"

#include <fftw3.h>

#include <cmath>
#include <complex>
#include <memory>
#include <vector>

namespace kv {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kFirstCentralSample = 120; // (10240 - 10000) / 2
constexpr int kCentralSamples = 10000;   // ten divisions of 1000 samples

struct FftwPlanDeleter {
    void operator()(fftw_plan_s* plan) const { fftw_destroy_plan(plan); }
};
using FftwPlan = std::unique_ptr<fftw_plan_s, FftwPlanDeleter>;

struct FftwFree {
    void operator()(void* p) const { fftw_free(p); }
};

double WindowFactor(int window, int j, int n) {
    if (n < 2)
        return 1.0;
    const double x = 2.0 * kPi * j / (n - 1);
    switch (window) {
    case 1:
        return 0.5 - 0.5 * std::cos(x);
    case 2:
        return 0.54 - 0.46 * std::cos(x);
    case 3:
        return 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2.0 * x);
    default:
        return 1.0;
    }
}

} // namespace

IZendral::~IZendral() = default;

bool IsValidFftBins(int bins) {
    return bins == 256 || bins == 512 || bins == 1024 || bins == 2048 || bins == 4096;
}

int IZendral::FftPrepareInput(const short* record, int recordLength, short bins, short* input) {
    if (!record || !input || !IsValidFftBins(bins) || recordLength < kFftRecordSamples)
        return 0;
    const int n = 2 * bins;
    for (int j = 0; j < n; ++j)
        input[j] = record[kFirstCentralSample + (j * kCentralSamples) / n];
    return 1;
}

int IZendral::FftCompute(const ZendralFftBlock* block, const short* input, short position, double* spectrum) {
    if (!block || !input || !spectrum || !IsValidFftBins(block->bins) || block->window > 3)
        return 0;
    const int bins = block->bins;
    const int n = 2 * bins;
    const double zeroLine = 511.0 - position;
    const double voltsPerCode = block->voltsPerDiv * 8.0 / 511.0;

    std::unique_ptr<double, FftwFree> in(static_cast<double*>(fftw_malloc(sizeof(double) * n)));
    std::unique_ptr<fftw_complex, FftwFree> out(
        static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * (bins + 1))));
    if (!in || !out)
        return 0;
    double windowSum = 0.0;
    for (int j = 0; j < n; ++j) {
        const double w = WindowFactor(block->window, j, n);
        windowSum += w;
        in.get()[j] = (input[j] - zeroLine) * voltsPerCode * w;
    }
    FftwPlan plan(fftw_plan_dft_r2c_1d(n, in.get(), out.get(), FFTW_ESTIMATE));
    if (!plan || windowSum <= 0.0)
        return 0;
    fftw_execute(plan.get());
    // Single-sided amplitude: a sine of amplitude A shows A at its bin, DC shows its mean.
    for (int k = 0; k < bins; ++k) {
        const double re = out.get()[k][0];
        const double im = out.get()[k][1];
        spectrum[k] = std::sqrt(re * re + im * im) * (k == 0 ? 1.0 : 2.0) / windowSum;
    }
    return 1;
}

} // namespace kv
