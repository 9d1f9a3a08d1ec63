// Stretching and processing one record at the largest sizes the library handles: the 40000-point
// stretch at the fastest time base by each rule, and the deep 524288-point record through copy,
// offset and pair reduction.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "Stretch.h"
#include "Tessel.h"

namespace {

constexpr std::size_t kDeep = 524288;

std::vector<std::uint16_t> Signal(std::size_t n) {
    std::vector<std::uint16_t> r(n);
    for (std::size_t i = 0; i < n; ++i)
        r[i] = static_cast<std::uint16_t>(256 + 200 * std::sin(static_cast<double>(i) * 0.01));
    return r;
}

// Time-base index 0, both channels: factor 4000 into 40000 points. Argument: the rule's mode.
void BM_StretchFastest(benchmark::State& state) {
    const auto src = Signal(10240);
    std::vector<std::uint16_t> dst(40000);
    const std::uint16_t settings[7] = {0, 2, 0, 50, 1, 10, 0};
    const auto mode = static_cast<std::uint16_t>(state.range(0));
    for (auto _ : state) {
        dsoChannelDataBuffer(settings, mode, dst.data(), src.data());
        benchmark::DoNotOptimize(dst.data());
    }
}
BENCHMARK(BM_StretchFastest)
    ->Arg(0)
    ->Arg(2)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Time-base index 5, both channels: the linear rule by 80 into the 10240-point record.
void BM_StretchLinear80(benchmark::State& state) {
    const auto src = Signal(10240);
    std::vector<std::uint16_t> dst(10240);
    const std::uint16_t settings[7] = {0, 2, 5, 50, 1, 10, 0};
    for (auto _ : state) {
        dsoChannelDataBuffer(settings, 1, dst.data(), src.data());
        benchmark::DoNotOptimize(dst.data());
    }
}
BENCHMARK(BM_StretchLinear80)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The deep record: copy to the channel buffer, offset correction, and reduction to 250 pairs.
void BM_DeepRecordProcessing(benchmark::State& state) {
    auto src = Signal(kDeep);
    std::vector<std::uint16_t> dst(kDeep);
    std::vector<std::int16_t> pairs(500);
    const std::uint16_t settings[7] = {0, 2, 20, 50, 2, 0, 0};
    for (auto _ : state) {
        dsoChannelDataBuffer(settings, 0, dst.data(), src.data());
        dsoChannelDataAdjustOffset(250, dst.data());
        dsoChannelDataFilt(0, 50, pairs.data(), dst.data(), 0, 0);
        benchmark::DoNotOptimize(pairs.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2 * kDeep);
}
BENCHMARK(BM_DeepRecordProcessing)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
