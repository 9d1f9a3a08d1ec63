// The deep-record read of both channels through the simulated instrument, beside a plain copy of
// the same number of bytes for scale.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "Tessel.h"
#include "simulator/SimWireDevice.h"
#include "usb/UsbBus.h"

namespace {

constexpr std::size_t kDeep = 524288;
constexpr std::size_t kBuffer = 2 * kDeep + 4;

void BM_GetChannelDataDeep(benchmark::State& state) {
    auto dev = std::make_shared<kv::sim::SimWireDevice>();
    dev->Instrument().SetMemoryCode(2);
    dev->Instrument().SetSampleFunction([](int ch, std::uint32_t k, std::uint32_t, std::uint32_t) {
        return static_cast<std::uint16_t>((k + ch * 512) & 1023);
    });
    kv::usb::RegisterDevice("qzdev-0", dev);
    std::vector<std::uint16_t> a(kBuffer), b(kBuffer);
    const std::uint16_t settings[7] = {0, 2, 12, 50, 2, 0, 0};
    for (auto _ : state) {
        dev->ClearLog();
        if (dsoGetChannelData(0, 3, 3, 50, a.data(), b.data(), settings, 123456) != 1)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(a.data());
        benchmark::DoNotOptimize(b.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 4 * kDeep);
    kv::usb::UnregisterAllDevices();
}
BENCHMARK(BM_GetChannelDataDeep)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_MemcpySameBytes(benchmark::State& state) {
    std::vector<std::uint8_t> src(4 * kDeep, 1), dst(4 * kDeep);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 4 * kDeep);
}
BENCHMARK(BM_MemcpySameBytes)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
