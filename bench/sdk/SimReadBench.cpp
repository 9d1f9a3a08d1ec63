// The deep read through the simulated instrument, each case beside its anchor in the same run:
//  - the library's read of both channels of a 524288-point record (linked in, and through
//    libTessel.so as a client loads it), against what the read cannot avoid: the instrument's
//    own synthesis of the record, its unpacking into two channels and one copy of the stream;
//  - the instrument's synthesis of one deep record, against the demo source's stepped sine for
//    as many samples.
// Each case reports its time, the anchor's ("anchor_ms") and their ratio ("ratio").
#include <benchmark/benchmark.h>

#include <dlfcn.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "Tessel.h"
#include "engine/DemoSource.h"
#include "simulator/SimWireDevice.h"
#include "usb/UsbBus.h"

namespace {

constexpr std::uint32_t kDeep = 524288;
constexpr std::size_t kBuffer = 2 * kDeep + 4;
// 10 ms/div on the deep record; the trigger in the middle.
constexpr std::uint16_t kSettings[7] = {0, 2, 20, 50, 2, 0, 0};
constexpr std::uint16_t kVolts = 4;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// The anchor of the read: synthesis of the same record by the instrument, unpacking of the
// stream into two scaled channels, one copy of the stream.
class ReadAnchor {
public:
    ReadAnchor() {
        m_inst.SetMemoryCode(2);
        m_inst.SetTimeBaseIndex(15); // the deep record's clock at 10 ms/div
        m_inst.SetVoltsIndex(0, kVolts);
        m_inst.SetVoltsIndex(1, kVolts);
        for (int raw = 0; raw < 1024; ++raw)
            m_table[raw] = static_cast<std::uint16_t>(raw * 1.42);
        m_a.resize(kDeep);
        m_b.resize(kDeep);
        Run(); // every buffer touched once
    }
    double Run() {
        const auto t0 = Clock::now();
        m_inst.FillRecordStream(m_stream);
        m_copy.resize(m_stream.size());
        std::memcpy(m_copy.data(), m_stream.data(), m_stream.size());
        const std::uint8_t* s = m_copy.data();
        for (std::uint32_t k = 0; k < kDeep; ++k) {
            const std::uint8_t high = s[2 * kDeep + 2 * k];
            m_a[k] = m_table[s[2 * k + 1] | (high & 3) << 8];
            m_b[k] = m_table[s[2 * k] | ((high >> 2) & 3) << 8];
        }
        benchmark::DoNotOptimize(m_a.data());
        benchmark::DoNotOptimize(m_b.data());
        return Seconds(t0, Clock::now());
    }

private:
    kv::sim::SimInstrument m_inst;
    std::array<std::uint16_t, 1024> m_table{};
    std::vector<std::uint8_t> m_stream, m_copy;
    std::vector<std::uint16_t> m_a, m_b;
};

// The exports a client needs for a capture and its read.
struct Exports {
    int (*rate2)(std::uint16_t, std::uint16_t, std::uint16_t,
                 const std::uint16_t*) = dsoSetTriggerAndSampleRate2;
    int (*rate3)(std::uint16_t, std::uint16_t, std::uint16_t,
                 const std::uint16_t*) = dsoSetTriggerAndSampleRate3;
    int (*voltage)(std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t,
                   const std::uint16_t*) = dsoSetVoltageAndCoupling;
    int (*start)(std::uint16_t) = dsoCaptureStart;
    int (*arm)(std::uint16_t) = dsoTriggerEnabled;
    std::uint16_t (*state)(std::uint16_t, std::uint32_t*) = dsoGetCaptureState;
    std::uint16_t (*read)(std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t*,
                          std::uint16_t*, const std::uint16_t*, std::uint32_t) = dsoGetChannelData;
};

// libTessel.so as a client loads it, with the instrument SCOPE_SIMULATOR selects.
bool LoadShared(Exports& e) {
    setenv("SCOPE_SIMULATOR", "1", 1);
    void* lib = dlopen(TESSEL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!lib)
        return false;
    auto find = [lib](auto& f, const char* name) {
        f = reinterpret_cast<std::remove_reference_t<decltype(f)>>(dlsym(lib, name));
        return f != nullptr;
    };
    return find(e.rate2, "dsoSetTriggerAndSampleRate2") && find(e.rate3, "dsoSetTriggerAndSampleRate3") &&
           find(e.voltage, "dsoSetVoltageAndCoupling") && find(e.start, "dsoCaptureStart") &&
           find(e.arm, "dsoTriggerEnabled") && find(e.state, "dsoGetCaptureState") &&
           find(e.read, "dsoGetChannelData");
}

// Sends the deep settings and captures once; the trigger address of the capture, or -1.
long long CaptureDeep(const Exports& e) {
    if (e.voltage(0, kVolts, kVolts, 0, 0, kSettings) != 1 || e.rate2(0, 0, 0, kSettings) != 1 ||
        e.rate3(0, 0, 0, kSettings) != 1 || e.start(0) != 1 || e.arm(0) != 1)
        return -1;
    std::uint32_t address = 0;
    for (int i = 0; i < 20; ++i)
        if (e.state(0, &address) >= 4)
            return address;
    return -1;
}

void RunRead(benchmark::State& state, const Exports& e) {
    ReadAnchor anchor;
    const long long address = CaptureDeep(e);
    if (address < 0) {
        state.SkipWithError("no capture");
        return;
    }
    std::vector<std::uint16_t> a(kBuffer), b(kBuffer);
    e.read(0, kVolts, kVolts, 50, a.data(), b.data(), kSettings, static_cast<std::uint32_t>(address));
    double readTotal = 0, anchorTotal = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const auto ok =
            e.read(0, kVolts, kVolts, 50, a.data(), b.data(), kSettings, static_cast<std::uint32_t>(address));
        const double t = Seconds(t0, Clock::now());
        if (ok != 1) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(a.data());
        state.SetIterationTime(t);
        readTotal += t;
        anchorTotal += anchor.Run();
    }
    state.counters["anchor_ms"] =
        benchmark::Counter(anchorTotal * 1e3 / static_cast<double>(state.iterations()));
    state.counters["ratio"] = benchmark::Counter(anchorTotal > 0 ? readTotal / anchorTotal : 0.0);
}

void BM_SdkDeepReadLinked(benchmark::State& state) {
    auto dev = std::make_shared<kv::sim::SimWireDevice>();
    dev->SetLogLimit(0); // as the instrument of SCOPE_SIMULATOR
    kv::usb::RegisterDevice("qzdev-0", dev);
    RunRead(state, Exports{});
    kv::usb::UnregisterAllDevices();
}
BENCHMARK(BM_SdkDeepReadLinked)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_SdkDeepReadShared(benchmark::State& state) {
    Exports e;
    if (!LoadShared(e)) {
        state.SkipWithError("libTessel.so did not load");
        return;
    }
    RunRead(state, e);
}
BENCHMARK(BM_SdkDeepReadShared)->Unit(benchmark::kMillisecond)->UseManualTime();

// One deep record of both channels from the instrument, against the demo source's stepped sine
// for the same 2 x 524288 samples.
void BM_SimDeepRecord(benchmark::State& state) {
    kv::sim::SimInstrument inst;
    inst.SetMemoryCode(2);
    inst.SetTimeBaseIndex(15);
    std::vector<std::uint8_t> stream;
    inst.FillRecordStream(stream);
    CDemoGenerator demo;
    demo.m_dFrequencyFactor = 0.001;
    demo.m_dAmplitude = 200.0;
    demo.m_nZeroOffset = 256;
    demo.m_nSplit = 25000;
    std::vector<std::int16_t> record(CDemoGenerator::kRecordSamples);
    constexpr double kDemoRecords = 2.0 * kDeep / CDemoGenerator::kRecordSamples; // 102.4
    double synthTotal = 0, anchorTotal = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        inst.FillRecordStream(stream);
        const double t = Seconds(t0, Clock::now());
        benchmark::DoNotOptimize(stream.data());
        state.SetIterationTime(t);
        synthTotal += t;
        t0 = Clock::now();
        for (int i = 0; i < 102; ++i)
            demo.GenerateSine(record.data(), static_cast<std::int32_t>(record.size()));
        benchmark::DoNotOptimize(record.data());
        anchorTotal += Seconds(t0, Clock::now()) * kDemoRecords / 102.0;
    }
    state.counters["anchor_ms"] =
        benchmark::Counter(anchorTotal * 1e3 / static_cast<double>(state.iterations()));
    state.counters["ratio"] = benchmark::Counter(anchorTotal > 0 ? synthTotal / anchorTotal : 0.0);
}
BENCHMARK(BM_SimDeepRecord)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace
