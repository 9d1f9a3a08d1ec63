// The simulated instrument's timing and trigger as a client of each library build meets them,
// compiled into one test program per build: the displayed record shows the signal's period at
// every time base the instrument samples in real time, the raw record's rate is the one the
// library reports, a forced trigger completes a capture, equivalent-time frames fill in auto
// sweep, and auto sweep delivers records after the settings alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "SdInternal.h"
#include "Tessel.h"
#include "simulator/SimModel.h"
#include "usb/UsbBus.h"

namespace {

#if defined(KV_SDK_MODEL_PALLIK)
#define BUILD_SUITE PallikTiming
#define BUILD_ETS_SUITE PallikEts
#define BUILD_AUTO_SUITE PallikAutoSweep
constexpr kv::sim::SimModel kInstrumentModel = kv::sim::SimModel::KestraE14K;
#elif defined(KV_SDK_MODEL_CORDUN)
#define BUILD_SUITE CordunTiming
#define BUILD_ETS_SUITE CordunEts
#define BUILD_AUTO_SUITE CordunAutoSweep
constexpr kv::sim::SimModel kInstrumentModel = kv::sim::SimModel::KestraF;
#else
#define BUILD_SUITE TesselTiming
#define BUILD_ETS_SUITE TesselEts
#define BUILD_AUTO_SUITE TesselAutoSweep
constexpr kv::sim::SimModel kInstrumentModel = kv::sim::SimModel::KestraE;
#endif

using Settings = std::array<std::uint16_t, 7>;
using Record = std::vector<std::uint16_t>;

// Seconds per division of the real-time steps 0..25, as the time/div labels name them.
constexpr double kSecondsPerDiv[26] = {2e-9, 4e-9, 1e-8, 2e-8, 4e-8, 1e-7, 2e-7, 4e-7, 1e-6,
                                       2e-6, 4e-6, 1e-5, 2e-5, 4e-5, 1e-4, 2e-4, 4e-4, 1e-3,
                                       2e-3, 4e-3, 0.01, 0.02, 0.04, 0.1,  0.2,  0.4};
constexpr std::uint16_t kVolts = 5; // 0.5 V/div: the 1 V sine stays on the screen
constexpr std::uint16_t kPosition = 25;

// Where the record crosses the middle of its range, rising or falling, between points first and
// last, interpolated between points.
std::vector<double> Crossings(const std::uint16_t* r, std::size_t first, std::size_t last) {
    const auto [lo, hi] = std::minmax_element(r + first, r + last);
    const double mid = (*lo + *hi) / 2.0;
    std::vector<double> at;
    for (std::size_t k = first; k + 1 < last; ++k) {
        const double a = r[k], b = r[k + 1];
        if ((a < mid && b >= mid) || (a >= mid && b < mid))
            at.push_back(static_cast<double>(k) + (mid - a) / (b - a));
    }
    return at;
}

// Mean distance between successive crossings: half a period, in points; 0 without two crossings.
double HalfPeriod(const std::uint16_t* r, std::size_t first, std::size_t last) {
    const std::vector<double> at = Crossings(r, first, last);
    return at.size() < 2 ? 0.0 : (at.back() - at.front()) / static_cast<double>(at.size() - 1);
}

class BuildTiming : public ::testing::Test {
protected:
    void SetUp() override {
        kv::usb::UnregisterAllDevices();
        kv::sdk::ResetSdState();
        dev = std::make_shared<kv::sim::SimModelDevice>(kInstrumentModel);
        dev->SetLogLimit(0);
        kv::usb::RegisterDevice(std::string(kv::sim::SimDevicePrefix(kInstrumentModel)) + "-0", dev);
    }
    void TearDown() override {
        kv::usb::UnregisterAllDevices();
        kv::sdk::ResetSdState();
        EXPECT_EQ(kv::usb::OpenHandleCount(), 0);
    }
    kv::sim::SimInstrument& inst() { return dev->Instrument(); }

    // The capture settings as a client sends them: ranges and couplings, then the rate commands.
    static void Send(Settings& s) {
        ASSERT_EQ(dsoSetVoltageAndCoupling(0, kVolts, kVolts, 0, 0, s.data()), 1);
        ASSERT_EQ(sdSetTriggerAndSampleRate(0, 0, 0, s.data(), 0, 0, 0), 1);
    }
    // Polls until a record is ready; the state reached.
    static int WaitReady(std::uint32_t& address) {
        int state = 0;
        for (int i = 0; i < 20 && (state = dsoGetCaptureState(0, &address)) < 4; ++i) {
        }
        return state;
    }
    // One capture as a client makes it: start, arm, poll until ready, read both channels.
    static bool Capture(const Settings& s, Record& a, Record& b) {
        if (dsoCaptureStart(0) != 1 || dsoTriggerEnabled(0) != 1)
            return false;
        std::uint32_t address = 0;
        return WaitReady(address) >= 4 &&
               dsoGetChannelData(0, kVolts, kVolts, s[3], a.data(), b.data(), s.data(), address) == 1;
    }

    std::shared_ptr<kv::sim::SimModelDevice> dev;
};
using BUILD_SUITE = BuildTiming;

// ---- the sample clock --------------------------------------------------------------------------

TEST_F(BUILD_SUITE, DisplayedRecordShowsTheSignalsPeriodAtEveryRealTimeBase) {
    // The displayed record has 1000 points a division at every time base: 10240 points from
    // index 5 on, 40000 stretched points below. CH1 carries a sine of about four periods in ten
    // divisions (at most 10 MHz, ten samples a period on the slowest fastest-clock converter).
    for (const std::uint16_t selector : {std::uint16_t{2}, std::uint16_t{0}}) {
        for (std::uint16_t t = 0; t <= 25; ++t) {
            SCOPED_TRACE(testing::Message()
                         << "time base " << t << (selector == 2 ? ", both" : ", CH1 alone"));
            const double frequency = std::min(4.0 / (10.0 * kSecondsPerDiv[t]), t == 0 ? 12.5e6 : 10e6);
            inst().SetSignal(0, kv::sim::SimSignal{1.0, frequency, 0.0, false});
            Settings s{0, selector, t, kPosition, 1, 10, 0};
            Send(s);
            Record a(20484, 0), b(20484, 0);
            ASSERT_TRUE(Capture(s, a, b));
            const std::size_t points = t < 5 ? 40000 : 10240;
            Record shown(points, 0);
            dsoChannelDataBuffer(s.data(), 2, shown.data(), a.data());
            const double nominal = 0.5 / frequency / (kSecondsPerDiv[t] / 1000.0);
            EXPECT_NEAR(HalfPeriod(shown.data(), 1, points) / nominal, 1.0, t < 5 ? 0.03 : 0.01);
        }
    }
}

TEST_F(BUILD_SUITE, RawRecordIsSampledAtTheRateTheLibraryReports) {
    // sdDisplaySampling's figure (MS/s) for the 10240-point record, both channels or CH1 alone; a
    // sine of figure / 2560 MHz takes 2560 raw samples a period, 1280 a half.
    for (const std::uint16_t selector : {std::uint16_t{2}, std::uint16_t{0}}) {
        for (std::uint16_t t = 0; t <= 25; ++t) {
            SCOPED_TRACE(testing::Message()
                         << "time base " << t << (selector == 2 ? ", both" : ", CH1 alone"));
            double secondsPerDiv = 0.0;
            const double rate =
                1e6 * sdDisplaySampling(1, selector == 2 ? 1 : 0, 0, 0, t, 10, &secondsPerDiv);
            ASSERT_GT(rate, 0.0);
            inst().SetSignal(0, kv::sim::SimSignal{1.0, rate / 2560.0, 0.0, false});
            Settings s{0, selector, t, kPosition, 1, 10, 0};
            Send(s);
            Record a(20484, 0), b(20484, 0);
            ASSERT_TRUE(Capture(s, a, b));
            // A code step of the slow slope through the middle moves a crossing by a sample or so.
            EXPECT_NEAR(HalfPeriod(a.data(), 1, 10240), 1280.0, 3.0);
        }
    }
}

// ---- forced trigger ------------------------------------------------------------------------------

TEST_F(BUILD_SUITE, ForcedTriggerCompletesTheCaptureUnderWay) {
    inst().SetPollsToTrigger(0); // the signal never triggers by itself
    inst().SetSignal(0, kv::sim::SimSignal{1.0, 1000.0, 0.0, false});
    Settings s{0, 2, 20, 50, 1, 10, 0};
    Send(s);
    std::uint32_t address = 0;
    // With no capture started there is nothing to complete.
    ASSERT_EQ(dsoForceTrigger(0), 1);
    EXPECT_EQ(dsoGetCaptureState(0, &address), 0);
    for (const bool arm : {false, true}) {
        SCOPED_TRACE(arm ? "armed" : "started, not armed");
        ASSERT_EQ(dsoCaptureStart(0), 1);
        if (arm) {
            ASSERT_EQ(dsoTriggerEnabled(0), 1);
        }
        EXPECT_LT(dsoGetCaptureState(0, &address), 4);
        EXPECT_LT(dsoGetCaptureState(0, &address), 4) << "waits for a trigger";
        ASSERT_EQ(dsoForceTrigger(0), 1);
        ASSERT_GE(WaitReady(address), 4);
        Record a(20484, 0), b(20484, 0);
        ASSERT_EQ(dsoGetChannelData(0, kVolts, kVolts, 50, a.data(), b.data(), s.data(), address), 1);
        // The record holds the 1 kHz sine at 10 us a sample: 50 samples a half period.
        EXPECT_NEAR(HalfPeriod(a.data(), 1, 10240), 50.0, 0.1);
        EXPECT_EQ(a[20480], 20);
    }
}

// ---- equivalent-time sampling --------------------------------------------------------------------

class BuildEts : public BuildTiming {
protected:
    static constexpr std::size_t kFrame = 1600;
    static constexpr int kFrames = 10; // at time-base index 5

    void SetUp() override {
        BuildTiming::SetUp();
        // 5 MHz at 100 ns/div: five periods across the 500 points, 64 codes a volt at 100 mV/div.
        inst().SetSignal(0, kv::sim::SimSignal{0.2, 5e6, 0.0, false});
        std::uint16_t cal = 0;
        ASSERT_EQ(dsoGetTDCCalData(0, &cal), 1);
        ASSERT_EQ(dsoSetTDCCal(0, cal), 1);
        ASSERT_EQ(dsoGetTDC(0, range), 1);
        ASSERT_EQ(dsoSetVoltageAndCoupling(0, 3, 3, 0, 0, settings.data()), 1);
        ASSERT_EQ(sdSetTriggerAndSampleRate(0, 0, 0, settings.data(), 0, 0, 0), 1);
    }
    int Get(std::vector<std::uint16_t>& frames, std::uint16_t sweep) {
        return dsoETSGetData(0, 3, 3, 0, frames.data(), 0, settings.data(), 0, 511, sweep);
    }
    // The slot (0..9) each frame's points land in, -1 when dsoETS places none of them. Each frame
    // goes to dsoETS alone, followed by empty frames that it skips.
    std::vector<int> Slots(const std::vector<std::uint16_t>& frames) {
        std::vector<int> slots;
        for (int f = 0; f < kFrames; ++f) {
            std::vector<std::uint16_t> one(kFrames * kFrame, 0);
            std::copy_n(frames.begin() + f * kFrame, kFrame, one.begin());
            std::vector<std::uint16_t> ch1(500, 0xFFFF), ch2(500, 0xFFFF), ages(502, 0);
            EXPECT_EQ(
                dsoETS(0, settings.data(), ch1.data(), ch2.data(), one.data(), ages.data(), noCal, range, 1),
                1);
            const auto first =
                std::find_if(ch1.begin(), ch1.end(), [](std::uint16_t v) { return v != 0xFFFF; });
            const int placed = static_cast<int>(
                std::count_if(ch1.begin(), ch1.end(), [](std::uint16_t v) { return v != 0xFFFF; }));
            slots.push_back(first == ch1.end() ? -1 : static_cast<int>((first - ch1.begin()) % 10));
            EXPECT_TRUE(placed == 0 || placed == 50) << "frame " << f << " placed " << placed;
        }
        return slots;
    }

    Settings settings{0, 2, 5, 100, 3, 512, 0};
    std::uint16_t range[2] = {0, 0};
    const std::uint16_t noCal[2] = {0, 0};
};
using BUILD_ETS_SUITE = BuildEts;

TEST_F(BUILD_ETS_SUITE, AutoSweepFillsEveryFrameAndTheSlotsWithoutATrigger) {
    ASSERT_EQ(dsoSetTDCSel(0, 3), 1);
    inst().SetPollsToTrigger(0); // only forced triggers
    std::vector<std::uint16_t> frames(kFrames * kFrame, 0);
    ASSERT_EQ(Get(frames, 1), 2) << "normal sweep gives up without a trigger";
    std::set<int> filled;
    for (int call = 0; call < 4; ++call) {
        ASSERT_EQ(Get(frames, 0), 1) << "call " << call;
        const std::vector<int> slots = Slots(frames);
        EXPECT_EQ(std::count(slots.begin(), slots.end(), -1), 0) << "every frame carries a phase";
        filled.insert(slots.begin(), slots.end());
    }
    EXPECT_EQ(filled.size(), 10u) << "forty forced frames reach all ten slots";
}

TEST_F(BUILD_ETS_SUITE, TriggeredFramesFillTheRecordInAFewCalls) {
    ASSERT_EQ(dsoSetTDCSel(0, 3), 1);
    std::vector<std::uint16_t> frames(kFrames * kFrame, 0);
    std::set<int> filled;
    int calls = 0;
    while (filled.size() < 10 && calls < 5) {
        ASSERT_EQ(Get(frames, 0), 1);
        const std::vector<int> slots = Slots(frames);
        EXPECT_EQ(std::count(slots.begin(), slots.end(), -1), 0);
        filled.insert(slots.begin(), slots.end());
        ++calls;
    }
    EXPECT_EQ(filled.size(), 10u) << "500 of 500 points after " << calls << " calls";
}

TEST_F(BUILD_ETS_SUITE, WithoutThePhaseMeasurementTheCaptureIsOneRealTimeRecord) {
    // Counter select 0 (power-up): the instrument captures real-time records. A longer record
    // than a frame: auto sweep forces one capture after 250 polls, every frame holds the start of
    // it; normal sweep never sees the unarmed capture complete.
    inst().SetPollsToTrigger(0);
    settings[4] = 1;
    settings[5] = 10;
    ASSERT_EQ(sdSetTriggerAndSampleRate(0, 0, 0, settings.data(), 0, 0, 0), 1);
    std::vector<std::uint16_t> frames(kFrames * kFrame, 0);
    ASSERT_EQ(Get(frames, 1), 2);
    ASSERT_EQ(Get(frames, 0), 1);
    for (int f = 1; f < kFrames; ++f)
        EXPECT_TRUE(std::equal(frames.begin(), frames.begin() + kFrame, frames.begin() + f * kFrame))
            << "frame " << f << " is the same capture";
    // The 512-point record is shorter than a frame: the read comes up short.
    settings[4] = 3;
    settings[5] = 512;
    ASSERT_EQ(sdSetTriggerAndSampleRate(0, 0, 0, settings.data(), 0, 0, 0), 1);
    EXPECT_EQ(Get(frames, 0), 0);
}

// ---- the simplified interface in auto sweep -----------------------------------------------------

class BuildAutoSweep : public BuildTiming {
protected:
    void SetUp() override {
        BuildTiming::SetUp();
        ASSERT_EQ(sdGetLevel(0, levels.data()), 1);
        // The settings, once, through the sd setters; no capture start of the client's own.
        ASSERT_EQ(sdSetVoltageAndCoupling(0, kVolts, kVolts, 0, 0, settings.data()), 1);
        ASSERT_EQ(sdSetOffset(0, positions.data(), kVolts, kVolts, 0, levels.data()), 1);
        ASSERT_EQ(sdSetTriggerAndSampleRate(0, 0, 0, settings.data(), 0, 0, 0), 1);
        ASSERT_EQ(sdSetFilt(0, filter.data()), 1);
    }
    int Step() {
        return sdGetData(0, kVolts, kVolts, ch1.data(), ch2.data(), settings.data(), filter.data(),
                         positions.data(), levels.data(), 0, 0, 0, 0);
    }

    Settings settings{0, 2, 20, 50, 1, 10, 0};            // 10 ms/div: 1 kHz is 100 samples a period
    std::array<std::uint16_t, 5> filter{{0, 0, 0, 0, 0}}; // auto sweep
    std::array<std::uint16_t, 5> positions{{255, 255, 255, 255, 255}};
    std::array<std::uint16_t, 66> levels{};
    Record ch1 = Record(20484, 0xBEEF), ch2 = Record(20484, 0xBEEF);
};
using BUILD_AUTO_SUITE = BuildAutoSweep;

TEST_F(BUILD_AUTO_SUITE, RecordsComeAfterTheSettingsAlone) {
    inst().SetSignal(0, kv::sim::SimSignal{1.0, 1000.0, 0.0, false});
    int records = 0, first = 0;
    for (int call = 1; call <= 1000; ++call) {
        if (Step() == 1) {
            if (++records == 1) {
                first = call;
                EXPECT_NEAR(HalfPeriod(ch1.data(), 1, 10240), 50.0, 0.1);
                EXPECT_EQ(ch1[20480], 20);
            }
        }
    }
    EXPECT_GE(first, 1);
    EXPECT_LE(first, 4) << "the first call starts and arms the capture";
    EXPECT_GE(records, 300) << "a record every third call";
}

TEST_F(BUILD_AUTO_SUITE, AZeroResultTellsItsCause) {
    // The instrument will report a trigger address beyond the 10240-point record.
    inst().SetTriggerAddress(20000u);
    std::uint32_t address = 0;
    // No record ready yet: the poll just before shows a capture on its way.
    EXPECT_EQ(Step(), 0);
    EXPECT_LT(dsoGetCaptureState(0, &address), 4);
    EXPECT_EQ(Step(), 0);
    EXPECT_EQ(sdSearchDevice(0), 1);
    // A ready record that cannot be read: the poll just before shows it ready.
    ASSERT_GE(WaitReady(address), 4);
    ASSERT_EQ(Step(), 0);
    EXPECT_EQ(ch1[100], 0xBEEF) << "the records are untouched";
    EXPECT_EQ(sdSearchDevice(0), 1);
    // The capture was restarted all the same: with a good address the records come again.
    inst().SetTriggerAddress(1234u);
    int read = 0;
    for (int i = 0; i < 6 && read == 0; ++i)
        read = Step();
    EXPECT_EQ(read, 1);
    // No device: 0 here, and the search says so.
    dev->SetPresent(false);
    EXPECT_EQ(Step(), 0);
    EXPECT_EQ(sdSearchDevice(0), 0);
}

} // namespace
