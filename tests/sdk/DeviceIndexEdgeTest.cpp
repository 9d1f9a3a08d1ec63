// The last device index (3) reaches its device through every front-end and sd setter; the first
// index past it (4) is refused before any traffic.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SimFixture.h"
#include "Tessel.h"

namespace {

class DeviceIndexEdge : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        last = std::make_shared<kv::sim::SimWireDevice>();
        kv::usb::RegisterDevice("qzdev-3", last);
    }
    std::shared_ptr<kv::sim::SimWireDevice> last;
};

TEST_F(DeviceIndexEdge, LastIndexReachesItsDeviceAndTheNextIsRefused) {
    std::uint16_t settings[7] = {0, 2, 20, 50, 1, 10, 0};
    const std::uint16_t positions[5] = {300, 200, 256, 256, 256};
    std::vector<std::uint16_t> levels(66, 0);
    for (int i = 0; i < 42; i += 2) {
        levels[i] = 700;
        levels[i + 1] = 2800;
    }
    const std::uint16_t filter[5] = {1, 0, 1, 0, 0};
    std::uint32_t count = 0;
    struct Call {
        std::string name;
        std::function<int(std::uint16_t)> run;
    };
    const std::vector<Call> calls = {
        {"dsoSetVoltageAndCoupling",
         [&](std::uint16_t i) { return dsoSetVoltageAndCoupling(i, 3, 7, 0, 1, settings); }},
        {"dsoSetVoltageAndCouplingFirst",
         [&](std::uint16_t i) { return dsoSetVoltageAndCouplingFirst(i, 3, 7, 0, 0, settings); }},
        {"dsoSetVoltageAndCouplingSecond",
         [&](std::uint16_t i) { return dsoSetVoltageAndCouplingSecond(i, 3, 7, 0, 1, 4); }},
        {"dsoSetOffset", [&](std::uint16_t i) { return dsoSetOffset(i, positions, 3, 7, 4, levels.data()); }},
        {"dsoSetFilt", [&](std::uint16_t i) { return dsoSetFilt(i, 1, 0, 1); }},
        {"dsoSetTriggerAndSampleRate",
         [&](std::uint16_t i) { return dsoSetTriggerAndSampleRate(i, 1, 1, settings, 0, 0, 2, 7); }},
        {"dsoSetTriggerAndSampleRate2",
         [&](std::uint16_t i) { return dsoSetTriggerAndSampleRate2(i, 0, 0, settings); }},
        {"dsoSetTriggerAndSampleRate3",
         [&](std::uint16_t i) { return dsoSetTriggerAndSampleRate3(i, 0, 0, settings); }},
        {"dsoSetTDCCal", [&](std::uint16_t i) { return dsoSetTDCCal(i, 3700); }},
        {"dsoSetTDCSel", [&](std::uint16_t i) { return dsoSetTDCSel(i, 2); }},
        {"dsoGetTDCData", [&](std::uint16_t i) { return dsoGetTDCData(i, &count); }},
        {"dsoCaptureStart", [&](std::uint16_t i) { return dsoCaptureStart(i); }},
        {"dsoForceTrigger", [&](std::uint16_t i) { return dsoForceTrigger(i); }},
        {"sdSetOffset", [&](std::uint16_t i) { return sdSetOffset(i, positions, 9, 9, 4, levels.data()); }},
        {"sdSetTriggerAndSampleRate",
         [&](std::uint16_t i) { return sdSetTriggerAndSampleRate(i, 0, 0, settings, 0, 0, 2); }},
        {"sdSetFilt", [&](std::uint16_t i) { return sdSetFilt(i, filter); }},
        {"sdGetLevel", [&](std::uint16_t i) { return sdGetLevel(i, levels.data()); }},
    };
    for (const Call& c : calls) {
        dev->ClearLog();
        last->ClearLog();
        EXPECT_NE(c.run(3), 0) << c.name;
        EXPECT_FALSE(last->Log().empty()) << c.name << " sent nothing to device 3";
        EXPECT_TRUE(dev->Log().empty()) << c.name << " talked to device 0";
        last->ClearLog();
        EXPECT_EQ(c.run(4), 0) << c.name;
        EXPECT_TRUE(last->Log().empty()) << c.name;
        EXPECT_TRUE(dev->Log().empty()) << c.name;
    }
}

} // namespace
