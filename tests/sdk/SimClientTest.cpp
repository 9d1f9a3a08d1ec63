// A client program's view of each build (libTessel.so, libPallik.so, libCordun.so) on the
// simulated instrument that SCOPE_SIMULATOR selects: loaded with dlopen and driven through the
// exported functions only, the instrument samples at the rate of the time base the client sends
// and puts the trigger where the trigger position says.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
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
    }
    ~Client() {
        if (m_lib)
            dlclose(m_lib);
    }
    bool Ready() const { return m_lib && voltage && rate && rate2 && rate3 && start && arm && state && read; }

    // Sends the settings, captures and reads CH1 of a 10240-point record at 500 mV/div (volts
    // index 5), where the instrument's 1 V sine spans two divisions either way.
    std::vector<std::uint16_t> Capture(std::uint16_t timeBase, std::uint16_t position) {
        std::uint16_t s[7] = {0, 2, timeBase, position, 1, 10, 0};
        std::vector<std::uint16_t> a(20484, 0), b(20484, 0);
        if (voltage(0, 5, 5, 0, 0, s) != 1 || rate2(0, 0, 0, s) != 1 || rate3(0, 0, 0, s) != 1)
            return {};
        rate(0, 0, 0, s, 0, 0, 0, 0);
        start(0);
        arm(0);
        std::uint32_t address = 0;
        int polls = 0;
        while (state(0, &address) < 4 && ++polls < 20) {
        }
        if (polls >= 20 || read(0, 5, 5, position, a.data(), b.data(), s, address) != 1)
            return {};
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

} // namespace
