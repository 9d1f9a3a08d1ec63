#include "zendral/ZendralRegistry.h"
#include "zendral/NoInstrument.h"
#include "zendral/RecordingZendral.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class EnvGuard {
public:
    explicit EnvGuard(const char* value) {
        const char* old = std::getenv("SCOPE_SIMULATOR");
        m_had = old != nullptr;
        if (old)
            m_old = old;
        if (value)
            setenv("SCOPE_SIMULATOR", value, 1);
        else
            unsetenv("SCOPE_SIMULATOR");
    }
    ~EnvGuard() {
        if (m_had)
            setenv("SCOPE_SIMULATOR", m_old.c_str(), 1);
        else
            unsetenv("SCOPE_SIMULATOR");
        kv::RegisterZendralFactory(kv::kSimulatorFactoryName, nullptr);
        kv::SetCurrentZendral(nullptr);
    }

private:
    bool m_had = false;
    std::string m_old;
};

TEST(ZendralRegistry, DefaultIsNoInstrumentThatFindsNothingAndTouchesNothing) {
    kv::IZendral& z = kv::CurrentZendral();
    for (short i = 0; i < 4; ++i)
        EXPECT_EQ(z.SearchDevice(i), 0);
    std::vector<short> pairs(256, 77);
    EXPECT_EQ(z.ReadCalibration(0, pairs.data(), 80), 0);
    short words[4] = {1, 2, 3, 4};
    EXPECT_EQ(z.ReadLineCalData(0, words), 0);
    EXPECT_EQ(words[3], 4);
    std::vector<short> rec(16, 9);
    short state[6] = {};
    z.GetChannelData(0, 6, 6, rec.data(), rec.data(), 16, state, 4);
    EXPECT_EQ(z.EtsGetData(0, 6, 6, rec.data(), 16, state, 0), 2);
    for (short v : pairs)
        ASSERT_EQ(v, 77);
    for (short v : rec)
        ASSERT_EQ(v, 9);
}

TEST(ZendralRegistry, ScopedSetterRestoresThePreviousAccess) {
    auto fake = std::make_shared<kv::RecordingZendral>();
    {
        kv::ScopedZendral scope(fake);
        EXPECT_EQ(&kv::CurrentZendral(), fake.get());
        EXPECT_EQ(kv::CurrentZendral().SearchDevice(0), 1);
    }
    EXPECT_NE(&kv::CurrentZendral(), fake.get());
    EXPECT_EQ(kv::CurrentZendral().SearchDevice(0), 0);
    // Setting null is "no instrument", never a null access.
    kv::SetCurrentZendral(nullptr);
    EXPECT_EQ(kv::CurrentZendral().SearchDevice(0), 0);
}

TEST(ZendralRegistry, EnvironmentSelectsTheRegisteredSimulator) {
    EnvGuard env("0,2");
    std::string seen;
    auto fake = std::make_shared<kv::RecordingZendral>();
    kv::RegisterZendralFactory(kv::kSimulatorFactoryName, [&](const std::string& s) {
        seen = s;
        return fake;
    });
    EXPECT_TRUE(kv::SelectZendralFromEnvironment());
    EXPECT_EQ(seen, "0,2");
    EXPECT_EQ(&kv::CurrentZendral(), fake.get());
}

TEST(ZendralRegistry, EnvironmentFallsBackToNoInstrument) {
    {
        EnvGuard env(nullptr);
        kv::RegisterZendralFactory(kv::kSimulatorFactoryName, [](const std::string&) {
            return std::make_shared<kv::RecordingZendral>();
        });
        EXPECT_FALSE(kv::SelectZendralFromEnvironment());
        EXPECT_EQ(kv::CurrentZendral().SearchDevice(0), 0);
    }
    {
        // Set, but nothing registered: still no instrument rather than a crash.
        EnvGuard env("1");
        EXPECT_FALSE(kv::SelectZendralFromEnvironment());
        EXPECT_EQ(kv::CurrentZendral().SearchDevice(0), 0);
    }
    {
        // The factory declines the selection text.
        EnvGuard env("bogus");
        kv::RegisterZendralFactory(kv::kSimulatorFactoryName, [](const std::string&) { return nullptr; });
        EXPECT_FALSE(kv::SelectZendralFromEnvironment());
        EXPECT_EQ(kv::CurrentZendral().SearchDevice(0), 0);
    }
}

TEST(RecordingZendral, RecordsBlocksAsTheyStoodAtTheCall) {
    kv::RecordingZendral z;
    short state[6] = {1, 2, 13, 50, 0, 0};
    z.SetVoltageAndCoupling(2, 6, 7, 1, 0, state);
    state[2] = 20;
    z.SetTriggerSlope(2, 1, 0, state);
    ASSERT_EQ(z.Ordinals(), (std::vector<int>{4, 33}));
    EXPECT_EQ(z.calls[0].args, (std::vector<long long>{2, 6, 7, 1, 0}));
    EXPECT_EQ(z.calls[0].blocks[0][2], 13);
    EXPECT_EQ(z.calls[1].blocks[0][2], 20);
}

} // namespace
