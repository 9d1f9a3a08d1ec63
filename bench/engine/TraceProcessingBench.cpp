// Both channels from 524288-sample records to 500-point screen traces, in the order the
// acquisition cycle runs the steps on each tick.
#include "engine/DeviceStateBlock.h"
#include "engine/Trace.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr int kDeepRecord = 524288;

void PrepareChannel(CTrace& t, double phase) {
    t.AllocateRecords(kDeepRecord);
    t.SetModel(5);
    t.SetRecordLength(kDeepRecord);
    t.SetPosition(256.0f);
    t.SetFilter(1);
    t.SetInterpolation(2);
    std::int16_t* raw = t.GetRawRecord();
    for (int i = 0; i < kDeepRecord; ++i)
        raw[i] = static_cast<std::int16_t>(256 + 180 * std::sin(i * 0.0123 + phase));
}

// Real-time sampling, 10 ms/div: copy, live min/max display, filter.
void BM_BothChannelsRealTime(benchmark::State& state) {
    CTrace ch1, ch2;
    PrepareChannel(ch1, 0.0);
    PrepareChannel(ch2, 1.0);
    std::int16_t block[kStateBlockWords] = {0, 2, 20, 50, 5, 0};
    for (auto _ : state) {
        for (CTrace* t : {&ch1, &ch2}) {
            t->SetValidRange(0, 499);
            t->SelectInterpolationByModel(block);
            t->PeakDetectToDisplay(250, block[kStateTimeBase]);
            t->ApplyTraceFilter();
        }
        benchmark::DoNotOptimize(ch1.GetScreenTrace());
        benchmark::DoNotOptimize(ch2.GetScreenTrace());
    }
}
BENCHMARK(BM_BothChannelsRealTime)->Unit(benchmark::kMicrosecond);

// Fastest time bases: sin(x)/x on both channels, trigger on CH1, CH2 rotated to it.
void BM_BothChannelsSincAndTrigger(benchmark::State& state) {
    CTrace ch1, ch2;
    PrepareChannel(ch1, 0.0);
    PrepareChannel(ch2, 1.0);
    std::int16_t block[kStateBlockWords] = {0, 2, 2, 50, 5, 0};
    for (auto _ : state) {
        ch1.SelectInterpolationByModel(block);
        ch2.SelectInterpolationByModel(block);
        const std::int16_t tp = ch1.SoftTriggerAlign(250, block[kStateTimeBase], 255, 0);
        ch2.RotateRecordToPosition(250, tp);
        for (CTrace* t : {&ch1, &ch2}) {
            t->SetValidRange(0, 499);
            t->PeakDetectToDisplay(250, block[kStateTimeBase]);
            t->ApplyTraceFilter();
        }
        benchmark::DoNotOptimize(ch1.GetScreenTrace());
        benchmark::DoNotOptimize(ch2.GetScreenTrace());
    }
}
BENCHMARK(BM_BothChannelsSincAndTrigger)->Unit(benchmark::kMicrosecond);

} // namespace
