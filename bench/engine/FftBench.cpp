// Spectrum of the largest bin count with a window, dB scale and harmonics: the per-tick FFT cost.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "engine/FftData.h"
#include "zendral/Zendral.h"

namespace {

// Instrument access whose only work is the two computing ordinals of the base.
class FftOnlyZendral : public kv::IZendral {
public:
    int ForceTrigger(short) override { return 0; }
    int GetCaptureState(short, int*) override { return 0; }
    int SetTriggerAndSampleRate(short, short, int, short*, int, short, int) override { return 0; }
    int SetTriggerSlope(short, short, int, short*) override { return 0; }
    int SetSamplingTiming(short, short, int, short*) override { return 0; }
    int SetVoltageAndCoupling(short, short, short, short, short, short*) override { return 0; }
    int SetOffset(short, short*, short, short, short, short*) override { return 0; }
    int CaptureStart(short) override { return 0; }
    int EnableTrigger(short) override { return 0; }
    int SearchDevice(short) override { return 0; }
    int ReadCalibration(short, short*, int) override { return 0; }
    int WriteCalibration(short, short*, int) override { return 0; }
    int SetFilter(short, int, int, int) override { return 0; }
    int ReadLineCalData(short, short*) override { return 0; }
    int WriteLineCalData(short, short*) override { return 0; }
    int GetChannelData(short, short, short, short*, short*, int, short*, int) override { return 0; }
    int ReadDeviceAddress(short, short*) override { return 0; }
    int SetDeviceAddress(short, short) override { return 0; }
    int EtsAssemble(short*, short*, short*, short*, int, const kv::ZendralEtsArgs&) override { return 0; }
    int SelectTdc(short, short) override { return 0; }
    int ReadTdc(short, int*) override { return 0; }
    int EtsGetData(short, short, short, short*, int, short*, short) override { return 0; }
    int SetTdcCalValue(short, short) override { return 0; }
    int WriteTdcCalData(short, short*) override { return 0; }
    int WriteEtsCalData(short, short*) override { return 0; }
    int ReadTdcCalData(short, short*) override { return 0; }
};

void BM_FftLargestBinCount(benchmark::State& state, double secondsPerDiv) {
    std::vector<short> record(kFftRecordLength);
    for (int i = 0; i < kFftRecordLength; ++i)
        record[i] = static_cast<short>(256 + std::lround(100 * std::sin(2 * 3.14159265358979 * 37 * i / 10000.0) +
                                                         20 * std::sin(2 * 3.14159265358979 * 74 * i / 10000.0)));
    FftOnlyZendral zendral;
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
