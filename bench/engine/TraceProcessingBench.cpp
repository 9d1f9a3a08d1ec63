// Both channels from their records to 500-point screen traces, in the order the acquisition
// cycle runs the steps on each tick: at 32768 samples, the longest record the document's model
// takes, and at 524288, the longest of the family.
#include "engine/DeviceStateBlock.h"
#include "engine/SettingsCodes.h"
#include "engine/Trace.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

void PrepareChannel(CTrace& t, double phase, int length) {
    t.AllocateRecords(length);
    t.SetModel(length > 65535 ? 5 : 4);
    t.SetRecordLength(length);
    t.SetPosition(256.0f);
    t.SetFilter(1);
    t.SetInterpolation(kInterpolationSinc);
    std::int16_t* raw = t.GetRawRecord();
    for (int i = 0; i < length; ++i)
        raw[i] = static_cast<std::int16_t>(256 + 180 * std::sin(i * 0.0123 + phase));
}

// Real-time sampling, 10 ms/div: copy, live min/max display, filter.
void BM_BothChannelsRealTime(benchmark::State& state) {
    CTrace ch1, ch2;
    const int length = static_cast<int>(state.range(0));
    PrepareChannel(ch1, 0.0, length);
    PrepareChannel(ch2, 1.0, length);
    const std::int16_t code = length > 65535 ? 5 : 3;
    std::int16_t block[kv::kStateBlockWords] = {0, 2, 20, 50, code, 0};
    for (auto _ : state) {
        for (CTrace* t : {&ch1, &ch2}) {
            t->SetValidRange(0, 499);
            t->SelectInterpolationByModel(block);
            t->PeakDetectToDisplay(250, block[kv::kStateTimeBase]);
            t->ApplyTraceFilter();
        }
        benchmark::DoNotOptimize(ch1.GetScreenTrace());
        benchmark::DoNotOptimize(ch2.GetScreenTrace());
    }
}
BENCHMARK(BM_BothChannelsRealTime)->Arg(32768)->Arg(524288)->Unit(benchmark::kMicrosecond);

// Fastest time bases: sin(x)/x on both channels, trigger on CH1, CH2 rotated to it.
void BM_BothChannelsSincAndTrigger(benchmark::State& state) {
    CTrace ch1, ch2;
    const int length = static_cast<int>(state.range(0));
    PrepareChannel(ch1, 0.0, length);
    PrepareChannel(ch2, 1.0, length);
    const std::int16_t code = length > 65535 ? 5 : 3;
    std::int16_t block[kv::kStateBlockWords] = {0, 2, 2, 50, code, 0};
    for (auto _ : state) {
        ch1.SelectInterpolationByModel(block);
        ch2.SelectInterpolationByModel(block);
        const std::int16_t tp = ch1.SoftTriggerAlign(250, block[kv::kStateTimeBase], 255, 0);
        ch2.RotateRecordToPosition(250, tp);
        for (CTrace* t : {&ch1, &ch2}) {
            t->SetValidRange(0, 499);
            t->PeakDetectToDisplay(250, block[kv::kStateTimeBase]);
            t->ApplyTraceFilter();
        }
        benchmark::DoNotOptimize(ch1.GetScreenTrace());
        benchmark::DoNotOptimize(ch2.GetScreenTrace());
    }
}
BENCHMARK(BM_BothChannelsSincAndTrigger)->Arg(32768)->Arg(524288)->Unit(benchmark::kMicrosecond);

} // namespace
