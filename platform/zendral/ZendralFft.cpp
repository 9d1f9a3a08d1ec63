// The two computing ordinals (FFT input and spectrum) shared by every implementation.
#include "zendral/Zendral.h"

#include <fftw3.h>

#include "scale/VerticalScale.h"

#include <array>
#include <cmath>
#include <memory>
#include <mutex>
#include <vector>

namespace kv {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kFirstCentralSample = 120; // (10240 - 10000) / 2
constexpr int kCentralSamples = 10000;   // ten divisions of 1000 samples

// Bin counts 256 .. 4096 as slots 0 .. 4.
int BinSlot(int bins) {
    int slot = 0;
    while ((256 << slot) < bins)
        ++slot;
    return slot;
}

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

// The transform of one bin count: its FFTW plan and buffers, made on first use and kept, with the
// window tables it has needed so far. Planning and fresh buffers cost several times the transform
// itself, and the spectrum runs on every tick while the FFT is on.
struct SpectrumPlan {
    explicit SpectrumPlan(int points)
        : n(points), in(fftw_alloc_real(static_cast<std::size_t>(points))),
          out(fftw_alloc_complex(static_cast<std::size_t>(points / 2 + 1))) {
        if (in && out)
            plan = fftw_plan_dft_r2c_1d(n, in, out, FFTW_ESTIMATE);
    }
    ~SpectrumPlan() {
        if (plan)
            fftw_destroy_plan(plan);
        fftw_free(in);
        fftw_free(out);
    }
    SpectrumPlan(const SpectrumPlan&) = delete;
    SpectrumPlan& operator=(const SpectrumPlan&) = delete;

    bool Ok() const { return plan != nullptr; }
    const double* Window(int window) const { return windows[window].data(); }
    double WindowSum(int window) const { return windowSums[window]; }
    void PrepareWindow(int window) {
        std::vector<double>& w = windows[window];
        if (!w.empty())
            return;
        w.resize(static_cast<std::size_t>(n));
        double sum = 0.0;
        for (int j = 0; j < n; ++j) {
            w[j] = WindowFactor(window, j, n);
            sum += w[j];
        }
        windowSums[window] = sum;
    }

    const int n;
    double* const in;
    fftw_complex* const out;
    fftw_plan plan = nullptr;
    std::array<std::vector<double>, 4> windows;
    std::array<double, 4> windowSums{};
};

// One plan per bin count for the whole program. The planner is not thread-safe, and each plan
// owns its buffers, so one lock covers a whole computation.
class SpectrumPlans {
public:
    static SpectrumPlans& Instance() {
        static SpectrumPlans plans;
        return plans;
    }

    // Runs `compute` on the plan of `bins` with `window` ready; 0 when no plan could be made or
    // the window sums to nothing.
    template <typename F> int Run(int bins, int window, F&& compute) {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::unique_ptr<SpectrumPlan>& slot = m_plans[static_cast<std::size_t>(BinSlot(bins))];
        if (!slot)
            slot = std::make_unique<SpectrumPlan>(2 * bins);
        if (!slot->Ok()) {
            slot.reset();
            return 0;
        }
        slot->PrepareWindow(window);
        if (slot->WindowSum(window) <= 0.0)
            return 0;
        compute(*slot);
        return 1;
    }

private:
    std::mutex m_mutex;
    std::array<std::unique_ptr<SpectrumPlan>, 5> m_plans;
};

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
    const double zeroLine = 511.0 - position;
    const double voltsPerCode = kv::scale::CodesToVolts(1.0, block->voltsPerDiv);
    return SpectrumPlans::Instance().Run(bins, block->window, [&](const SpectrumPlan& p) {
        for (int j = 0; j < p.n; ++j)
            p.in[j] = (input[j] - zeroLine) * voltsPerCode * p.Window(block->window)[j];
        fftw_execute(p.plan);
        // Single-sided amplitude: a sine of amplitude A shows A at its bin, DC shows its mean.
        const double windowSum = p.WindowSum(block->window);
        for (int k = 0; k < bins; ++k) {
            const double re = p.out[k][0];
            const double im = p.out[k][1];
            spectrum[k] = std::sqrt(re * re + im * im) * (k == 0 ? 1.0 : 2.0) / windowSum;
        }
    });
}

} // namespace kv
