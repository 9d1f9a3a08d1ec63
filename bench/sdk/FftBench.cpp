// The library's spectrum functions at their largest sizes.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "Tessel.h"

namespace {

// dsoNewFFT of 2N sample codes; N = 32768 is the largest power-of-two transform it makes.
void BM_NewFft(benchmark::State& state) {
    const auto half = static_cast<uint16_t>(state.range(0));
    std::vector<uint16_t> codes(2u * half);
    for (std::size_t k = 0; k < codes.size(); ++k)
        codes[k] = static_cast<uint16_t>(511 + 200 * std::sin(0.01 * static_cast<double>(k)));
    std::vector<double> out(half);
    DsoFftSettings settings{0, 1, half, 1.0};
    for (auto _ : state) {
        dsoNewFFT(&settings, codes.data(), 0, out.data());
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_NewFft)->Arg(4096)->Arg(32768)->Unit(benchmark::kMillisecond);

void BM_ComplexFft(benchmark::State& state) {
    const auto n = static_cast<uint32_t>(state.range(0));
    std::vector<double> re(n), im(n), outRe(n), outIm(n);
    for (uint32_t k = 0; k < n; ++k)
        re[k] = std::sin(0.01 * k);
    for (auto _ : state) {
        dsoFFT(n, 0, re.data(), im.data(), outRe.data(), outIm.data());
        benchmark::DoNotOptimize(outRe.data());
    }
}
BENCHMARK(BM_ComplexFft)->Arg(65536)->Unit(benchmark::kMillisecond);

} // namespace
