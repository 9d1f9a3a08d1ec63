// The simulated instrument as a client sees it through the library's exports: the sample clock
// follows the time base, the trigger sits where the trigger position puts it, records run on
// smoothly round the instrument's ring, volts/div and offsets set scale and zero, equivalent-time
// frames carry TDC readings that place their points, and a long run of reads stays flat in memory.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer's own count of the bytes allocated now (its malloc replaces the C
// library's, whose statistics then stay empty).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include "SimFixture.h"

namespace {

using Settings = std::array<std::uint16_t, 7>;
constexpr double kPi = 3.14159265358979323846;
constexpr std::size_t kShort = 10240;
constexpr std::size_t kDeep = 524288;

// A sine through `mid` crossing it upwards at t = 0, `peak` codes high, in display codes.
double SineCode(double mid, double peak, double frequency, double t) {
    return mid + peak * std::sin(2.0 * kPi * frequency * t);
}

// Mean spacing of the rising crossings of the record's middle level, in samples.
double Period(const std::uint16_t* r, std::size_t n) {
    const auto [lo, hi] = std::minmax_element(r + 1, r + n);
    const double mid = (*lo + *hi) / 2.0;
    std::vector<double> at;
    for (std::size_t k = 1; k + 1 < n; ++k)
        if (r[k] < mid && r[k + 1] >= mid)
            at.push_back(static_cast<double>(k) + (mid - r[k]) / (r[k + 1] - r[k]));
    if (at.size() < 2)
        return 0.0;
    return (at.back() - at.front()) / static_cast<double>(at.size() - 1);
}

class SimulatedInstrument : public SimFixture {
protected:
    // What a client sends for a set of capture settings: ranges and couplings, then the three
    // rate commands with the trigger slope as the trigger value. 500 mV/div unless told: the
    // instrument's 1 V CH1 sine spans two divisions (127.75 codes) either way, on the screen.
    void Apply(Settings& s, std::uint16_t ch1Volts = 5, std::uint16_t ch2Volts = 5, std::uint16_t slope = 0) {
        ASSERT_EQ(dsoSetVoltageAndCoupling(0, ch1Volts, ch2Volts, 0, 0, s.data()), 1);
        dsoSetTriggerAndSampleRate(0, slope, 0, s.data(), 0, 0, 0, 0);
        ASSERT_EQ(dsoSetTriggerAndSampleRate2(0, slope, 0, s.data()), 1);
        ASSERT_EQ(dsoSetTriggerAndSampleRate3(0, slope, 0, s.data()), 1);
    }
    // One capture, read as a client reads it.
    void Read(const Settings& s, std::vector<std::uint16_t>& a, std::vector<std::uint16_t>& b,
              std::uint16_t ch1Volts = 5, std::uint16_t ch2Volts = 5) {
        ASSERT_EQ(dsoCaptureStart(0), 1);
        ASSERT_EQ(dsoTriggerEnabled(0), 1);
        std::uint32_t address = 0;
        int state = 0;
        for (int i = 0; i < 20 && (state = dsoGetCaptureState(0, &address)) < 4; ++i) {
        }
        ASSERT_GE(state, 4);
        ASSERT_EQ(dsoGetChannelData(0, ch1Volts, ch2Volts, s[3], a.data(), b.data(), s.data(), address), 1);
    }
    static std::vector<std::uint16_t> Record(std::size_t points) {
        return std::vector<std::uint16_t>(2 * points + 4, 0);
    }
};

// ---- time base --------------------------------------------------------------------------------

TEST_F(SimulatedInstrument, SampleRateFollowsTheTimeBaseTable) {
    // Steps and their 10240-point sample rates; a signal of rate / 1000 has 1000 samples per period.
    struct Step {
        std::uint16_t index;
        double rate;
    };
    for (const Step st : {Step{12, 50e6}, Step{13, 25e6}, Step{14, 10e6}, Step{15, 5e6}, Step{16, 2.5e6},
                          Step{17, 1e6}, Step{20, 100e3}, Step{22, 25e3}, Step{25, 2.5e3}}) {
        SCOPED_TRACE(st.index);
        inst().SetSignal(0, kv::sim::SimSignal{1.0, st.rate / 1000.0, 0.0, false});
        Settings s{0, 2, st.index, 50, 1, 10, 0};
        Apply(s);
        auto a = Record(kShort), b = Record(kShort);
        Read(s, a, b);
        EXPECT_NEAR(Period(a.data(), kShort), 1000.0, 0.5);
    }
}

TEST_F(SimulatedInstrument, HalvingTheTimeBaseDoublesThePeriodInSamples) {
    // 1 kHz: 400 us/div samples at 2.5 MS/s (400 samples a period), 200 us/div at 5 MS/s.
    auto a = Record(kShort), b = Record(kShort);
    Settings s{0, 2, 16, 50, 1, 10, 0};
    Apply(s);
    Read(s, a, b);
    const double slow = Period(a.data(), kShort);
    s[2] = 15;
    Apply(s);
    Read(s, a, b);
    const double fast = Period(a.data(), kShort);
    EXPECT_NEAR(slow, 2500.0, 1.0);
    EXPECT_NEAR(fast, 5000.0, 1.0);
    EXPECT_NEAR(fast / slow, 2.0, 1e-3);
    // CH2's 2 kHz signal follows the same clock.
    EXPECT_NEAR(Period(b.data(), kShort), 2500.0, 1.0);
}

TEST_F(SimulatedInstrument, OneChannelAtTheFastestClockInterleavesBothConverters) {
    // CH1 alone at 2 us/div: both converters sample it in turn, 4 ns apart (250 MS/s); a 2.5 MHz
    // sine takes 100 points a period, and the trigger stays at trunc(50 x 102.4) of the window.
    inst().SetSignal(0, kv::sim::SimSignal{1.0, 2.5e6, 0.0, false});
    Settings s{0, 0, 9, 50, 1, 10, 0};
    Apply(s);
    auto a = Record(kShort), b = Record(kShort);
    Read(s, a, b);
    EXPECT_EQ(a[20483], 1) << "the double-rate read";
    EXPECT_NEAR(Period(a.data(), kShort), 100.0, 0.05);
    const auto [lo, hi] = std::minmax_element(a.begin() + 2, a.begin() + kShort);
    const double mid = (*lo + *hi) / 2.0;
    EXPECT_LT(a[5119], mid);
    EXPECT_GT(a[5122], mid);
    // Neighbours come from different converters: no comb between them.
    int worst = 0;
    for (std::size_t k = 2; k + 1 < kShort; ++k)
        worst = std::max(worst, std::abs(a[k + 1] - a[k]));
    EXPECT_LE(worst, 10); // 127.75 codes x 2 pi / 100 = 8.0 a point, and rounding
}

// ---- trigger ------------------------------------------------------------------------------------

TEST_F(SimulatedInstrument, TriggerSitsAtThePositionsPoint) {
    // 10 us samples: the 1 kHz CH1 sine takes 100 samples a period, about 8 codes per sample
    // through its middle, so the crossing is pinned to a sample.
    for (std::uint16_t p : {10, 33, 50, 75, 90}) {
        SCOPED_TRACE(p);
        const auto b = static_cast<std::size_t>(p * 102.4);
        for (std::uint16_t slope : {0, 1}) {
            Settings s{0, 2, 20, p, 1, 10, 0};
            Apply(s, 5, 5, slope);
            auto a = Record(kShort), c = Record(kShort);
            Read(s, a, c);
            const auto [lo, hi] = std::minmax_element(a.begin() + 1, a.begin() + kShort);
            const double mid = (*lo + *hi) / 2.0;
            if (slope == 0) {
                EXPECT_LT(a[b - 1], mid);
                EXPECT_GT(a[b + 2], mid);
                EXPECT_LT(a[b - 2], a[b - 1]);
            } else {
                EXPECT_GT(a[b - 1], mid);
                EXPECT_LT(a[b + 2], mid);
                EXPECT_GT(a[b - 2], a[b - 1]);
            }
        }
    }
    // Trigger source CH2: its 2 kHz sine crosses at the trigger point.
    Settings s{1, 2, 20, 40, 1, 10, 0};
    Apply(s);
    auto a = Record(kShort), c = Record(kShort);
    Read(s, a, c);
    const auto [lo, hi] = std::minmax_element(c.begin() + 1, c.begin() + kShort);
    const double mid = (*lo + *hi) / 2.0;
    EXPECT_LT(c[4095], mid);
    EXPECT_GT(c[4098], mid);
}

TEST_F(SimulatedInstrument, DeepRecordTriggerAndSignal) {
    // At 10 ms/div the deep record samples at 5 MS/s (the clock of 200 us/div's short record):
    // 524288 samples span 10.5 divisions. A 50 kHz sine takes 100 samples a period.
    inst().SetSignal(0, kv::sim::SimSignal{1.0, 50e3, 0.0, false});
    Settings s{0, 2, 20, 50, 2, 0, 0};
    Apply(s);
    auto a = Record(kDeep), b = Record(kDeep);
    Read(s, a, b);
    EXPECT_NEAR(Period(a.data(), kDeep), 100.0, 0.01);
    // Position 50 of the deep record: trunc(50 x 5242.88).
    const std::size_t t = 262144;
    const auto [lo, hi] = std::minmax_element(a.begin() + 1, a.begin() + kDeep);
    const double mid = (*lo + *hi) / 2.0;
    EXPECT_LT(a[t - 1], mid);
    EXPECT_GT(a[t + 2], mid);
}

// ---- the record round the ring -----------------------------------------------------------------

TEST_F(SimulatedInstrument, RecordRunsOnSmoothlyRoundTheRing) {
    // 1 V peak at 500 mV/div is two divisions, 127.75 codes; at 10 us a sample the 1 kHz sine
    // moves at most 2 pi x 127.75 / 100 = 8.03 codes a sample.
    Settings s{0, 2, 20, 50, 1, 10, 0};
    Apply(s);
    for (int capture = 0; capture < 6; ++capture) {
        SCOPED_TRACE(capture);
        if (capture == 0)
            inst().SetTriggerAddress(7000u); // the ring's end lands at record point 3240
        else
            inst().SetTriggerAddress(std::nullopt);
        auto a = Record(kShort), b = Record(kShort);
        Read(s, a, b);
        int worst = 0;
        for (std::size_t k = 1; k + 1 < kShort; ++k)
            worst = std::max(worst, std::abs(a[k + 1] - a[k]));
        EXPECT_LE(worst, 10);
        // Point k is the sine at (k - 5120) x 10 us, give or take the trigger's place between
        // two samples.
        for (std::size_t k = 1; k < kShort; ++k)
            ASSERT_NEAR(a[k], SineCode(255.0, 127.75, 1000.0, (static_cast<double>(k) - 5120.0) * 1e-5), 11.0)
                << k;
    }
}

// ---- volts/div and offsets ---------------------------------------------------------------------

TEST_F(SimulatedInstrument, VoltsPerDivisionAndPositionsSetScaleAndZero) {
    // Ranges 2 and 3 (50 and 100 mV/div), and 5 and 6 (0.5 and 1 V/div), share their relays and
    // gain bit; scale and zero level must still follow the range the client names. The zero
    // level is the position sent with the instrument's own level table; the screen's 511 codes
    // over 8 divisions, 63.875 a division.
    static const double kVoltsPerDiv[10] = {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10};
    std::vector<std::uint16_t> levels(66, 0);
    ASSERT_EQ(sdGetLevel(0, levels.data()), 1);
    struct Case {
        std::uint16_t v1, v2;
        double volts1, volts2; // signal peaks
    };
    for (const Case c :
         {Case{5, 6, 1.0, 0.5}, Case{6, 5, 1.0, 0.5}, Case{2, 3, 0.1, 0.2}, Case{3, 2, 0.2, 0.1}}) {
        SCOPED_TRACE(c.v1);
        inst().SetSignal(0, kv::sim::SimSignal{c.volts1, 1000.0, 0.0, false});
        inst().SetSignal(1, kv::sim::SimSignal{c.volts2, 2000.0, 0.0, false});
        const std::uint16_t positions[5] = {300, 200, 256, 256, 256};
        ASSERT_EQ(sdSetOffset(0, positions, c.v1, c.v2, 0, levels.data()), 1);
        Settings s{0, 2, 20, 50, 1, 10, 0};
        Apply(s, c.v1, c.v2);
        auto a = Record(kShort), b = Record(kShort);
        Read(s, a, b, c.v1, c.v2);
        const auto [lo1, hi1] = std::minmax_element(a.begin() + 1, a.begin() + kShort);
        const auto [lo2, hi2] = std::minmax_element(b.begin() + 1, b.begin() + kShort);
        EXPECT_NEAR((*lo1 + *hi1) / 2.0, 300.0, 2.0);
        EXPECT_NEAR((*lo2 + *hi2) / 2.0, 200.0, 2.0);
        const double peak1 = c.volts1 / kVoltsPerDiv[c.v1] * 63.875,
                     peak2 = c.volts2 / kVoltsPerDiv[c.v2] * 63.875;
        EXPECT_NEAR((*hi1 - *lo1) / 2.0, peak1, peak1 * 0.03 + 1.0);
        EXPECT_NEAR((*hi2 - *lo2) / 2.0, peak2, peak2 * 0.03 + 1.0);
    }
}

// The library's spectrum in volts reads the instrument's sine at its amplitude, on the screen's
// scale of 511 codes over 8 divisions, within one screen code.
TEST_F(SimulatedInstrument, SpectrumInVoltsIsTheSignalsAmplitude) {
    static const double kVoltsPerDiv[10] = {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10};
    std::vector<std::uint16_t> levels(66, 0);
    ASSERT_EQ(sdGetLevel(0, levels.data()), 1);
    const struct {
        std::uint16_t volts;
        double amplitude;
    } cases[] = {{6, 1.0}, {5, 1.0}, {3, 0.25}, {8, 12.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.volts);
        // 1 ms/div samples every 1 us: 976.5625 Hz puts ten periods in the 10240 points.
        inst().SetSignal(0, kv::sim::SimSignal{c.amplitude, 976.5625, 0.0, false});
        // Ranges that share relays and gain bit (5 and 6, 8 and 9) look alike on the wire; the
        // instrument is put on the named one so that only the scale is under test here.
        inst().SetVoltsIndex(0, c.volts);
        const std::uint16_t positions[5] = {256, 200, 256, 256, 256};
        ASSERT_EQ(sdSetOffset(0, positions, c.volts, 6, 0, levels.data()), 1);
        Settings s{0, 2, 17, 50, 1, 10, 0};
        Apply(s, c.volts, 6);
        auto a = Record(kShort), b = Record(kShort);
        Read(s, a, b, c.volts, 6);
        std::vector<std::uint16_t> samples(1024, 0);
        ASSERT_EQ(dsoFFTGetSamples(a.data(), 512, samples.data()), 1);
        const DsoFftSettings settings{0, 0, 512, kVoltsPerDiv[c.volts]};
        std::vector<double> spectrum(512, 0.0);
        dsoNewFFT(&settings, samples.data(), 511 - 256, spectrum.data());
        const auto peak = std::max_element(spectrum.begin() + 1, spectrum.end());
        EXPECT_EQ(peak - spectrum.begin(), 10);
        EXPECT_NEAR(*peak, c.amplitude, kVoltsPerDiv[c.volts] * 8.0 / 511.0);
    }
}

// ---- equivalent-time sampling -------------------------------------------------------------------

class SimulatedEts : public SimulatedInstrument {
protected:
    static constexpr std::size_t kFrame = 1600;
    static constexpr double kInterval = 20e-9; // the fastest clock
    static constexpr double kFrequency = 5e6;  // CH1: 0.1 V peak at 100 mV/div, one division

    void SetUp() override {
        SimulatedInstrument::SetUp();
        inst().SetSignal(0, kv::sim::SimSignal{0.1, kFrequency, 0.0, false});
        // The instrument's own TDC calibration and range, as a client reads them.
        std::uint16_t cal = 0;
        ASSERT_EQ(dsoGetTDCCalData(0, &cal), 1);
        ASSERT_EQ(dsoSetTDCCal(0, cal), 1);
        ASSERT_EQ(dsoGetTDC(0, range), 1);
        Apply(settings, 3, 3);
        ASSERT_EQ(dsoSetTDCSel(0, 3), 1);
    }
    // Ten frames at 100 ns/div, the trigger at the end of each 512-sample frame (position 100).
    std::vector<std::uint16_t> Frames() {
        std::vector<std::uint16_t> frames(20 * kFrame, 0);
        EXPECT_EQ(dsoETSGetData(0, 3, 3, 0, frames.data(), 0, settings.data(), 0, 511, 0), 1);
        return frames;
    }
    // Display point x of index 5 (10 slots, points 2 ns apart) shows the instrument's samples
    // taken 52 clock periods before the end of the record plus x x 2 ns.
    static double Expected(std::size_t x) {
        return SineCode(256.0, 63.875, kFrequency, (static_cast<double>(x) / 10.0 - 52.0) * kInterval);
    }

    Settings settings{0, 2, 5, 100, 3, 512, 0};
    std::uint16_t range[2] = {0, 0};
    const std::uint16_t noCal[2] = {0, 0};
};

TEST_F(SimulatedEts, EachFramesTdcReadingPlacesItsPoints) {
    const auto frames = Frames();
    std::vector<int> slots;
    for (int f = 0; f < 10; ++f) {
        SCOPED_TRACE(f);
        std::vector<std::uint16_t> ch1(500, 0xFFFF), ch2(500, 0xFFFF), ages(502, 0);
        ASSERT_EQ(dsoETS(0, settings.data(), ch1.data(), ch2.data(), frames.data() + f * kFrame, ages.data(),
                         noCal, range, 1),
                  1);
        int slot = -1, placed = 0;
        for (std::size_t x = 0; x < 500; ++x) {
            if (ch1[x] == 0xFFFF)
                continue;
            ++placed;
            if (slot < 0)
                slot = static_cast<int>(x % 10);
            ASSERT_EQ(static_cast<int>(x % 10), slot) << "one slot per frame";
            ASSERT_NEAR(ch1[x], Expected(x), 6.0) << x;
        }
        EXPECT_EQ(placed, 50);
        slots.push_back(slot);
    }
    std::sort(slots.begin(), slots.end());
    EXPECT_GE(std::unique(slots.begin(), slots.end()) - slots.begin(), 5) << "triggers fall at many phases";
}

TEST_F(SimulatedEts, AccumulatedFramesBuildTheWholeSignal) {
    std::vector<std::uint16_t> ch1(500, 0), ch2(500, 0), ages(502, 0);
    ages[501] = 234; // the first frame fills every slot
    for (int call = 0; call < 30; ++call) {
        const auto frames = Frames();
        ASSERT_EQ(
            dsoETS(0, settings.data(), ch1.data(), ch2.data(), frames.data(), ages.data(), noCal, range, 0),
            1);
    }
    for (std::size_t x = 0; x < 500; ++x)
        ASSERT_NEAR(ch1[x], Expected(x), 7.0) << x;
}

// ---- reused buffers and memory ------------------------------------------------------------------

TEST_F(SimulatedInstrument, ReadsInTurnCarryNothingOver) {
    // Deep, short and deep again with different signals: every point is the model's, none is
    // left from the read before.
    struct Turn {
        std::uint16_t memoryCode, selector;
        std::size_t points;
        int mul;
    };
    for (const Turn t : {Turn{2, 0, kDeep, 7}, Turn{1, 10, kShort, 11}, Turn{2, 0, kDeep, 13}}) {
        SCOPED_TRACE(t.mul);
        const auto raw = [m = t.mul](int ch, std::uint32_t k) {
            return static_cast<std::uint16_t>((k * m + 97 * ch + 5) % 1024);
        };
        inst().SetSampleFunction(
            [raw](int ch, std::uint32_t k, std::uint32_t, std::uint32_t) { return raw(ch, k); });
        inst().SetTriggerAddress(static_cast<std::uint32_t>(t.points / 3));
        Settings s{0, 2, 20, 50, t.memoryCode, t.selector, 0};
        Apply(s, 3, 0);
        auto a = Record(t.points), b = Record(t.points);
        Read(s, a, b, 3, 0);
        const std::uint32_t d = static_cast<std::uint32_t>(t.points / 3);
        for (std::uint32_t k = 1; k < t.points; ++k) {
            const std::uint32_t i = static_cast<std::uint32_t>((d + k) % t.points);
            ASSERT_EQ(a[k], static_cast<std::uint16_t>(raw(0, i) * 0.56)) << k;
            ASSERT_EQ(b[k], static_cast<std::uint16_t>(raw(1, i) * 2.8)) << k;
        }
    }
}

std::size_t AllocatedBytes() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
#endif
}

TEST_F(SimulatedInstrument, TenThousandReadsLeaveMemoryFlat) {
    // As a client's instrument from SCOPE_SIMULATOR: no wire log.
    dev->SetLogLimit(0);
    Settings s{0, 2, 20, 50, 1, 10, 0}, deep{0, 2, 20, 50, 2, 0, 0};
    auto a = Record(kShort), b = Record(kShort);
    auto deepA = Record(kDeep), deepB = Record(kDeep);
    // Short reads of one capture, then a deep capture and its read.
    auto round = [&](int shortReads) {
        Apply(s);
        Read(s, a, b);
        for (int i = 1; i < shortReads; ++i)
            ASSERT_EQ(dsoGetChannelData(0, 5, 5, 50, a.data(), b.data(), s.data(), 1234), 1);
        Apply(deep);
        Read(deep, deepA, deepB);
    };
    round(50); // buffers of both sizes exist from here on
    const std::size_t before = AllocatedBytes();
    for (int r = 0; r < 10; ++r)
        round(1000);
    const std::size_t after = AllocatedBytes();
    EXPECT_LT(after, before + 64 * 1024) << "grew by " << (after - before) << " bytes over 10,060 reads";

    // With the log on, it keeps no more than its limit.
    dev->SetLogLimit(500);
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(dsoGetChannelData(0, 5, 5, 50, a.data(), b.data(), s.data(), 1234), 1);
    EXPECT_EQ(dev->LogSize(), 500u);
    const auto log = dev->Log();
    EXPECT_EQ(log.back().code, kv::usb::kIoctlBulkRead) << "the newest transfers stay";
}

} // namespace
