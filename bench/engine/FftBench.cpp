// Spectrum of the largest bin count with a window, dB scale and harmonics: the per-tick FFT cost.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "engine/FftData.h"
#include "zendral/NoInstrument.h"

namespace {

void BM_FftLargestBinCount(benchmark::State& state, double secondsPerDiv) {
    std::vector<short> record(kFftRecordLength);
    for (int i = 0; i < kFftRecordLength; ++i)
        record[i] =
            static_cast<short>(256 + std::lround(100 * std::sin(2 * 3.14159265358979 * 37 * i / 10000.0) +
                                                 20 * std::sin(2 * 3.14159265358979 * 74 * i / 10000.0)));
    // The spectrum needs no instrument: only the computing ordinals of the base class run.
    kv::NoInstrument zendral;
    kv::ZendralFftBlock block;
    CFftData fft;
    fft.m_nBins = 4096;
    fft.m_nWindow = 3;
    fft.m_nScale = 0;
    FftSourceData src;
    src.channelOn = true;
    src.secondsPerDiv = secondsPerDiv;
    src.workRecord = record.data();
    src.rawRecord = record.data();
    src.levelPosition = 255;
    src.voltsPerDiv = 1.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fft.Compute(src, block, zendral));
        benchmark::DoNotOptimize(fft.m_dPeakValues.data());
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_FftLargestBinCount, work_record, 1e-3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FftLargestBinCount, stretched_100ns, 1e-7)->Unit(benchmark::kMicrosecond);
