// A client program's view of each build (libTessel.so, libPallik.so, libCordun.so) on the
// simulated instrument that SCOPE_SIMULATOR selects: loaded with dlopen and driven through the
// exported functions only, the instrument samples at the rate of the time base the client sends
// and puts the trigger where the trigger position says.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Build {
    const char* name;
    const char* path;
};

const Build kBuilds[] = {
    {"Tessel", TESSEL_LIBRARY_PATH}, {"Pallik", PALLIK_LIBRARY_PATH}, {"Cordun", CORDUN_LIBRARY_PATH}};

// The exports a capture needs, looked up by name.
class Client {
public:
    explicit Client(const char* path) {
        setenv("SCOPE_SIMULATOR", "1", 1);
        // RTLD_NODELETE: the library's static objects stay mapped after dlclose, so the leak
        // checker still sees what they point to.
        m_lib = dlopen(path, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!m_lib)
            return;
        Find(voltage, "dsoSetVoltageAndCoupling");
        Find(rate, "dsoSetTriggerAndSampleRate");
        Find(rate2, "dsoSetTriggerAndSampleRate2");
        Find(rate3, "dsoSetTriggerAndSampleRate3");
        Find(start, "dsoCaptureStart");
        Find(arm, "dsoTriggerEnabled");
        Find(state, "dsoGetCaptureState");
        Find(read, "dsoGetChannelData");
        // Timing, forced trigger, equivalent time and the sd acquisition step.
        Find(force, "dsoForceTrigger");
        Find(displayed, "dsoChannelDataBuffer");
        Find(tdcSelect, "dsoSetTDCSel");
        Find(tdcRange, "dsoGetTDC");
        Find(tdcCalRead, "dsoGetTDCCalData");
        Find(tdcCal, "dsoSetTDCCal");
        Find(etsGet, "dsoETSGetData");
        Find(ets, "dsoETS");
        Find(sdLevels, "sdGetLevel");
        Find(sdVoltage, "sdSetVoltageAndCoupling");
        Find(sdOffset, "sdSetOffset");
        Find(sdRate, "sdSetTriggerAndSampleRate");
        Find(sdFilter, "sdSetFilt");
        Find(sdStep, "sdGetData");
    }
    ~Client() {
        if (m_lib)
            dlclose(m_lib);
    }
    bool Ready() const {
        return m_lib && voltage && rate && rate2 && rate3 && start && arm && state && read && force &&
               displayed && tdcSelect && tdcRange && tdcCalRead && tdcCal && etsGet && ets && sdLevels &&
               sdVoltage && sdOffset && sdRate && sdFilter && sdStep;
    }

    // Sends the settings, captures and reads CH1 of a 10240-point record at 500 mV/div (volts
    // index 5), where the instrument's 1 V sine spans two divisions either way.
    std::vector<std::uint16_t> Capture(std::uint16_t timeBase, std::uint16_t position) {
        return Capture(timeBase, position, 2, 5);
    }
    // The same with a channel selector and a volts index of its own; the record as displayed
    // (dsoChannelDataBuffer: 10240 points from time-base index 5 on) when `shown` is set.
    std::vector<std::uint16_t> Capture(std::uint16_t timeBase, std::uint16_t position, std::uint16_t selector,
                                       std::uint16_t volts, bool shown = false) {
        std::uint16_t s[7] = {0, selector, timeBase, position, 1, 10, 0};
        std::vector<std::uint16_t> a(20484, 0), b(20484, 0);
        if (voltage(0, volts, volts, 0, 0, s) != 1 || rate2(0, 0, 0, s) != 1 || rate3(0, 0, 0, s) != 1)
            return {};
        rate(0, 0, 0, s, 0, 0, 0, 0);
        start(0);
        arm(0);
        std::uint32_t address = 0;
        int polls = 0;
        while (state(0, &address) < 4 && ++polls < 20) {
        }
        if (polls >= 20 || read(0, volts, volts, position, a.data(), b.data(), s, address) != 1)
            return {};
        if (shown) {
            std::vector<std::uint16_t> d(10240, 0);
            displayed(s, 2, d.data(), a.data());
            return d;
        }
        a.resize(10240);
        return a;
    }

    int (*voltage)(std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t,
                   const std::uint16_t*) = nullptr;
    int (*rate)(std::uint16_t, std::uint16_t, std::uint16_t, const std::uint16_t*, std::uint16_t,
                std::uint16_t, std::uint16_t, std::uint32_t) = nullptr;
    int (*rate2)(std::uint16_t, std::uint16_t, std::uint16_t, const std::uint16_t*) = nullptr;
    int (*rate3)(std::uint16_t, std::uint16_t, std::uint16_t, const std::uint16_t*) = nullptr;
    int (*start)(std::uint16_t) = nullptr;
    int (*arm)(std::uint16_t) = nullptr;
    std::uint16_t (*state)(std::uint16_t, std::uint32_t*) = nullptr;
    std::uint16_t (*read)(std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t*,
                          std::uint16_t*, const std::uint16_t*, std::uint32_t) = nullptr;
    int (*force)(std::uint16_t) = nullptr;
    void (*displayed)(const std::uint16_t*, std::uint16_t, std::uint16_t*, const std::uint16_t*) = nullptr;
    int (*tdcSelect)(std::uint16_t, std::uint16_t) = nullptr;
    int (*tdcRange)(std::uint16_t, std::uint16_t*) = nullptr;
    int (*tdcCalRead)(std::uint16_t, std::uint16_t*) = nullptr;
    int (*tdcCal)(std::uint16_t, std::uint16_t) = nullptr;
    int (*etsGet)(std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t*, std::uint16_t,
                  const std::uint16_t*, std::uint16_t, std::uint16_t, std::uint16_t) = nullptr;
    int (*ets)(std::uint16_t, const std::uint16_t*, std::uint16_t*, std::uint16_t*, const std::uint16_t*,
               std::uint16_t*, const std::uint16_t*, const std::uint16_t*, std::uint16_t) = nullptr;
    int (*sdLevels)(std::uint16_t, std::uint16_t*) = nullptr;
    int (*sdVoltage)(std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t,
                     const std::uint16_t*) = nullptr;
    int (*sdOffset)(std::uint16_t, const std::uint16_t*, std::uint16_t, std::uint16_t, std::uint16_t,
                    std::uint16_t*) = nullptr;
    int (*sdRate)(std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t*, std::uint16_t, std::uint16_t,
                  std::uint32_t) = nullptr;
    int (*sdFilter)(std::uint16_t, const std::uint16_t*) = nullptr;
    int (*sdStep)(std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t*, std::uint16_t*, std::uint16_t*,
                  const std::uint16_t*, const std::uint16_t*, std::uint16_t*, std::uint32_t, std::uint16_t,
                  std::uint16_t, std::uint32_t) = nullptr;

private:
    template <typename F> void Find(F& f, const char* name) { f = reinterpret_cast<F>(dlsym(m_lib, name)); }
    void* m_lib = nullptr;
};

// Mean spacing of the rising crossings of the record's middle level, in samples.
double Period(const std::vector<std::uint16_t>& r) {
    if (r.size() < 3)
        return 0.0;
    const auto [lo, hi] = std::minmax_element(r.begin() + 1, r.end());
    const double mid = (*lo + *hi) / 2.0;
    std::vector<double> at;
    for (std::size_t k = 1; k + 1 < r.size(); ++k)
        if (r[k] < mid && r[k + 1] >= mid)
            at.push_back(static_cast<double>(k) + (mid - r[k]) / (r[k + 1] - r[k]));
    return at.size() < 2 ? 0.0 : (at.back() - at.front()) / static_cast<double>(at.size() - 1);
}

TEST(SimulatedInstrumentClient, PeriodInSamplesFollowsTheTimeBaseInEveryBuild) {
    // The instrument's CH1 carries 1 kHz. 400 us/div samples at 2.5 MS/s and 200 us/div at 5 MS/s;
    // 40 ms/div at 25 kS/s and 20 ms/div at 50 kS/s: halving the time base doubles the period.
    struct Pair {
        std::uint16_t slow, fast;
        double slowPeriod;
    };
    for (const Build& build : kBuilds) {
        SCOPED_TRACE(build.name);
        Client client(build.path);
        ASSERT_TRUE(client.Ready()) << dlerror();
        for (const Pair p : {Pair{16, 15, 2500.0}, Pair{22, 21, 25.0}}) {
            SCOPED_TRACE(p.slow);
            const double slow = Period(client.Capture(p.slow, 50));
            const double fast = Period(client.Capture(p.fast, 50));
            EXPECT_NEAR(slow, p.slowPeriod, p.slowPeriod * 1e-3);
            EXPECT_NEAR(fast, 2.0 * p.slowPeriod, p.slowPeriod * 2e-3);
        }
    }
}

TEST(SimulatedInstrumentClient, TriggerSitsAtThePositionInEveryBuild) {
    // 10 ms/div: 100 samples a period; position 30 puts the rising crossing at trunc(30 x 102.4).
    for (const Build& build : kBuilds) {
        SCOPED_TRACE(build.name);
        Client client(build.path);
        ASSERT_TRUE(client.Ready()) << dlerror();
        const auto a = client.Capture(20, 30);
        ASSERT_EQ(a.size(), 10240u);
        const auto [lo, hi] = std::minmax_element(a.begin() + 1, a.end());
        const double mid = (*lo + *hi) / 2.0;
        EXPECT_LT(a[3071], mid);
        EXPECT_GT(a[3074], mid);
        EXPECT_LT(a[3070], a[3071]);
    }
}

// Slope of the record through its trigger point b, in codes a point: a least-squares line over
// the points round b (at most `reach` to either side) that keep clear of the clipped ends and
// within 200 codes of the trigger point, where the sine is straight to a thousandth.
double SlopeAt(const std::vector<std::uint16_t>& r, std::size_t b, std::size_t reach) {
    const auto [lo, hi] = std::minmax_element(r.begin() + 1, r.end());
    auto inside = [&, lo = *lo, hi = *hi](std::size_t k) {
        return r[k] > lo + 4 && r[k] + 4 < hi &&
               std::abs(static_cast<int>(r[k]) - static_cast<int>(r[b])) <= 200;
    };
    std::size_t first = b, last = b;
    while (first > 1 && b - first < reach && inside(first - 1))
        --first;
    while (last + 1 < r.size() && last - b < reach && inside(last + 1))
        ++last;
    if (last - first < 20)
        return 0.0;
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t k = first; k <= last; ++k) {
        const double x = static_cast<double>(k) - static_cast<double>(b), y = r[k];
        n += 1;
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

TEST(SimulatedInstrumentClient, FastTimeBasesShowOneKilohertzAsOneKilohertzInEveryBuild) {
    // At 10 mV/div CH1's 1 V, 1 kHz sine crosses the screen in microseconds, so at the fast time
    // bases the displayed record shows the straight middle of its rising edge, triggered at point
    // 5120: its slope in codes a point measures the time a point stands for. The scale comes
    // from 200 us/div, where the record shows whole periods: a period of P points and a slope
    // of s there make a point at another time base worth (slope / s) x (1 ms / P). The period
    // seen on the screen against the true one is the nominal time of a point (a thousandth of a
    // division) against that.
    static const double kSecondsPerDiv[14] = {2e-9, 4e-9, 1e-8, 2e-8, 4e-8, 1e-7, 2e-7,
                                              4e-7, 1e-6, 2e-6, 4e-6, 1e-5, 2e-5, 4e-5};
    for (const Build& build : kBuilds) {
        Client client(build.path);
        ASSERT_TRUE(client.Ready()) << dlerror();
        for (const std::uint16_t selector : {std::uint16_t{2}, std::uint16_t{0}}) {
            SCOPED_TRACE(testing::Message()
                         << build.name << (selector == 2 ? ", both channels" : ", CH1 alone"));
            const auto reference = client.Capture(15, 50, selector, 0, true);
            const double period = Period(reference), slope = SlopeAt(reference, 5120, 200);
            ASSERT_NEAR(period, 5000.0, 5.0) << "200 us/div samples at 5 MS/s";
            ASSERT_GT(slope, 0.0);
            for (std::uint16_t t = 5; t <= 13; ++t) {
                SCOPED_TRACE(t);
                const double s = SlopeAt(client.Capture(t, 50, selector, 0, true), 5120, 5000);
                ASSERT_GT(s, 0.0);
                const double pointSeconds = s / slope * (1e-3 / period);
                const double ratio = kSecondsPerDiv[t] / 1000.0 / pointSeconds;
                testing::Test::RecordProperty(std::string(build.name) + (selector == 2 ? "_both_" : "_ch1_") +
                                                  std::to_string(t),
                                              std::to_string(ratio));
                // At 100 ns/div the edge rises only 20 codes across the record: a few code steps.
                EXPECT_NEAR(ratio, 1.0, t == 5 ? 0.1 : 0.02);
            }
        }
    }
}

TEST(SimulatedInstrumentClient, ForcedTriggerCompletesACaptureInEveryBuild) {
    for (const Build& build : kBuilds) {
        SCOPED_TRACE(build.name);
        Client client(build.path);
        ASSERT_TRUE(client.Ready()) << dlerror();
        std::uint16_t s[7] = {0, 2, 20, 50, 1, 10, 0};
        ASSERT_EQ(client.voltage(0, 4, 4, 0, 0, s), 1);
        ASSERT_EQ(client.rate2(0, 0, 0, s), 1);
        ASSERT_EQ(client.rate3(0, 0, 0, s), 1);
        // Started but never armed: only the force completes the capture.
        ASSERT_EQ(client.start(0), 1);
        std::uint32_t address = 0;
        EXPECT_LT(client.state(0, &address), 4);
        EXPECT_LT(client.state(0, &address), 4);
        ASSERT_EQ(client.force(0), 1);
        int polls = 0;
        while (client.state(0, &address) < 4 && ++polls < 5) {
        }
        ASSERT_LT(polls, 5);
        std::vector<std::uint16_t> a(20484, 0), b(20484, 0);
        ASSERT_EQ(client.read(0, 4, 4, 50, a.data(), b.data(), s, address), 1);
        a.resize(10240);
        EXPECT_NEAR(Period(a), 100.0, 0.2) << "the 1 kHz sine at 10 us a sample";
    }
}

TEST(SimulatedInstrumentClient, EquivalentTimeInAutoSweepFillsEveryFrameInEveryBuild) {
    // 100 ns/div, trigger at the end of each frame; the time-interval counter on the trigger phase.
    constexpr std::size_t kFrame = 1600;
    for (const Build& build : kBuilds) {
        SCOPED_TRACE(build.name);
        Client client(build.path);
        ASSERT_TRUE(client.Ready()) << dlerror();
        std::uint16_t s[7] = {0, 2, 5, 100, 3, 512, 0};
        std::uint16_t cal = 0, range[2] = {0, 0};
        const std::uint16_t noCal[2] = {0, 0};
        ASSERT_EQ(client.tdcCalRead(0, &cal), 1);
        ASSERT_EQ(client.tdcCal(0, cal), 1);
        ASSERT_EQ(client.tdcRange(0, range), 1);
        ASSERT_EQ(client.voltage(0, 3, 3, 0, 0, s), 1);
        ASSERT_EQ(client.sdRate(0, 0, 0, s, 0, 0, 0), 1);
        ASSERT_EQ(client.tdcSelect(0, 3), 1);
        std::vector<std::uint16_t> frames(10 * kFrame, 0);
        const int got = client.etsGet(0, 3, 3, 0, frames.data(), 0, s, 0, 511, 0);
        ASSERT_EQ(client.tdcSelect(0, 0), 1); // back to real time for the other tests
        ASSERT_EQ(got, 1);
        // Each frame alone (followed by empty ones) places its 50 points of the 500.
        int placedFrames = 0;
        for (std::size_t f = 0; f < 10; ++f) {
            std::vector<std::uint16_t> one(10 * kFrame, 0);
            std::copy_n(frames.begin() + static_cast<std::ptrdiff_t>(f * kFrame), kFrame, one.begin());
            std::vector<std::uint16_t> ch1(500, 0xFFFF), ch2(500, 0xFFFF), ages(502, 0);
            ASSERT_EQ(client.ets(0, s, ch1.data(), ch2.data(), one.data(), ages.data(), noCal, range, 1), 1);
            if (std::count_if(ch1.begin(), ch1.end(), [](std::uint16_t v) { return v != 0xFFFF; }) == 50)
                ++placedFrames;
        }
        EXPECT_EQ(placedFrames, 10);
    }
}

TEST(SimulatedInstrumentClient, AutoSweepDeliversRecordsAfterTheSettingsInEveryBuild) {
    for (const Build& build : kBuilds) {
        SCOPED_TRACE(build.name);
        Client client(build.path);
        ASSERT_TRUE(client.Ready()) << dlerror();
        std::uint16_t s[7] = {0, 2, 20, 50, 1, 10, 0};
        std::uint16_t filter[5] = {0, 0, 0, 0, 0}; // auto sweep
        std::uint16_t positions[5] = {255, 255, 255, 255, 255};
        std::vector<std::uint16_t> levels(66, 0), a(20484, 0), b(20484, 0);
        ASSERT_EQ(client.sdLevels(0, levels.data()), 1);
        ASSERT_EQ(client.sdVoltage(0, 4, 4, 0, 0, s), 1);
        ASSERT_EQ(client.sdOffset(0, positions, 4, 4, 0, levels.data()), 1);
        ASSERT_EQ(client.sdRate(0, 0, 0, s, 0, 0, 0), 1);
        ASSERT_EQ(client.sdFilter(0, filter), 1);
        int records = 0, first = 0;
        for (int call = 1; call <= 1000; ++call) {
            if (client.sdStep(0, 4, 4, a.data(), b.data(), s, filter, positions, levels.data(), 0, 0, 0, 0) ==
                    1 &&
                ++records == 1)
                first = call;
        }
        EXPECT_GE(first, 1);
        EXPECT_LE(first, 5);
        EXPECT_GE(records, 300);
        a.resize(10240);
        EXPECT_NEAR(Period(a), 100.0, 0.2);
    }
}

} // namespace
