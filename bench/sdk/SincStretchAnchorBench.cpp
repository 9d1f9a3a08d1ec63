// The sin(x)/x stretch at the fastest time base (factor 4000 into 40000 points) against the
// linear stretch of the same record, which is its anchor: one run shows both and their ratio.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "../AnchorRatio.h"
#include "Stretch.h"

namespace {

void BM_SincStretch40000(benchmark::State& state) {
    std::vector<std::uint16_t> src(kv::sdk::kStretchSourceLength);
    for (std::size_t i = 0; i < src.size(); ++i)
        src[i] = static_cast<std::uint16_t>(256 + 200 * std::sin(static_cast<double>(i) * 0.01));
    std::vector<std::uint16_t> sinc(kv::sdk::kStretchLongLength), linear(kv::sdk::kStretchLongLength);
    // Time-base index 0, trigger position 50 %.
    const std::uint16_t settings[7] = {0, 2, 0, 50, 1, 10, 0};
    const double factor = 4000;
    kvbench::RunAgainstAnchor(
        state,
        [&] {
            kv::sdk::dsoStretchData(1, factor, sinc.data(), src.data(), settings);
            benchmark::DoNotOptimize(sinc.data());
        },
        [&] {
            kv::sdk::dsoStretchData(kv::sdk::kStretchLinear, factor, linear.data(), src.data(), settings);
            benchmark::DoNotOptimize(linear.data());
        });
}
BENCHMARK(BM_SincStretch40000)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
