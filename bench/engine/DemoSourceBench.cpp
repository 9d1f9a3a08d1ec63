// The demo source's records: both channels' 10240-sample sines as a demo tick fills them,
// against their anchor in the same run: the random draws alone (the noise term's 2 x 10240
// uniform integers, which every way of making the records has to draw).
#include "engine/DemoSource.h"
#include "engine/SettingsCodes.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "../AnchorRatio.h"

namespace {

// The generators as a demo tick leaves them at the default settings (1 ms/div, 2 V/div,
// 4 V amplitude, level inside the signal), with the waveform given.
void SetUp(CDemoSource& src, std::int32_t waveform) {
    src.Seed(11);
    src.SetWaveform(waveform);
    for (int ch = 0; ch < 2; ++ch) {
        CDemoGenerator& g = src.Generator(ch);
        g.m_bEnabled = 1;
        g.m_nZeroOffset = static_cast<std::int16_t>(255 + 60 * ch);
        g.m_nDcOffset = 32;
        g.m_nSplit = 250;
        g.m_nLevel = static_cast<std::int16_t>(g.m_nZeroOffset + 20);
        g.m_dFrequencyFactor = 1e-3 * (12.5 - 0.125 * ch);
        g.m_dAmplitude = 64.0;
    }
    src.SetTriggerSource(kSourceCh1);
    src.AdvanceDriftAndWaveform();
}

void BM_DemoRecords(benchmark::State& state) {
    CDemoSource src;
    SetUp(src, static_cast<std::int32_t>(state.range(0)));
    std::vector<std::int16_t> ch1(CDemoGenerator::kRecordSamples), ch2(ch1.size());
    std::minstd_rand draws(5u);
    kvbench::RunAgainstAnchor(
        state,
        [&] {
            src.ComputeTriggerPhase();
            src.FillDemoRecords(ch1.data(), ch2.data(), static_cast<std::int32_t>(ch1.size()));
            benchmark::DoNotOptimize(ch1.data());
            benchmark::DoNotOptimize(ch2.data());
        },
        [&] {
            for (std::int16_t* record : {ch1.data(), ch2.data()})
                for (int i = 0; i < CDemoGenerator::kRecordSamples; ++i)
                    record[i] = static_cast<std::int16_t>(static_cast<int>(draws()) % 10);
            benchmark::DoNotOptimize(ch1.data());
            benchmark::DoNotOptimize(ch2.data());
        });
}
// 0: sine, 1: sine with strong noise.
BENCHMARK(BM_DemoRecords)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
