// One whole acquisition tick in demo mode: both channels, MATH, eight measurements and
// persistence on, at each record length the document's buffers allow.
#include "engine/KelvaneDoc.h"

#include <benchmark/benchmark.h>

namespace {

void BM_DemoAcquisitionTick(benchmark::State& state) {
    CKelvaneDoc doc;
    doc.SetDefaultSettings();
    doc.AllocSampleBuffers();
    doc.SetDemoMode(1);
    const auto code = static_cast<std::int16_t>(state.range(0));
    if (!doc.IsRecordLengthCodeUsable(code)) {
        state.SkipWithError("record length does not fit the buffers");
        return;
    }
    doc.ChooseRecordLength(code);
    doc.m_math.SetOn(1);
    for (short type = 0; type < 8; ++type)
        doc.m_measure.AddMeasurement(type);
    doc.SetPersistenceEnabled(1);
    doc.SetPersistenceDepth(8);
    for (auto _ : state) {
        doc.AcquireTick();
        benchmark::DoNotOptimize(doc.m_ch1.GetScreenTrace()[0]);
    }
    state.SetLabel(std::to_string(doc.m_ch1.GetRecordLength()) + " samples");
}

// Codes 0, 1 and 3: 10240, 14336 and 32768 samples (the 524288-sample codes do not fit).
BENCHMARK(BM_DemoAcquisitionTick)->Arg(0)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);

} // namespace
