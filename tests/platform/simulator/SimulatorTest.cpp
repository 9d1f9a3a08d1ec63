// The simulated instrument: environment selection, capture states, sample stream layout, wire
// decoding and fault injection.
#include <gtest/gtest.h>

#include <cstdlib>

#include "simulator/SimEnvironment.h"
#include "simulator/SimWireDevice.h"
#include "usb/UsbBus.h"

using namespace kv::sim;
using Bytes = std::vector<std::uint8_t>;

namespace {

bool Vendor(SimWireDevice& d, std::uint8_t dir, std::uint8_t req, std::uint16_t value, Bytes& data) {
    const std::uint8_t block[10] = {
        dir, 2, 0, 0, req, 0, static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8), 0, 0};
    std::uint32_t returned = 0;
    return d.IoControl(kv::usb::kIoctlVendorRequest, block, 10, data.data(),
                       static_cast<std::uint32_t>(data.size()), returned);
}
bool Write(SimWireDevice& d, Bytes packet) {
    const std::uint8_t pipe[4] = {0, 0, 0, 0};
    std::uint32_t returned = 0;
    return d.IoControl(kv::usb::kIoctlBulkWrite, pipe, 4, packet.data(),
                       static_cast<std::uint32_t>(packet.size()), returned) &&
           returned == packet.size();
}
Bytes Read(SimWireDevice& d, std::uint32_t n) {
    const std::uint8_t pipe[4] = {1, 0, 0, 0};
    Bytes out(n, 0xEE);
    std::uint32_t returned = 0;
    if (!d.IoControl(kv::usb::kIoctlBulkRead, pipe, 4, out.data(), n, returned))
        return {};
    out.resize(returned);
    return out;
}

} // namespace

TEST(SimEnvironment, ParsesTheVariable) {
    EXPECT_TRUE(ParseSimulatorIndexes(nullptr).empty());
    EXPECT_TRUE(ParseSimulatorIndexes("").empty());
    EXPECT_EQ(ParseSimulatorIndexes("1"), (std::vector<int>{0}));
    EXPECT_EQ(ParseSimulatorIndexes("0,2"), (std::vector<int>{0, 2}));
    EXPECT_EQ(ParseSimulatorIndexes("3"), (std::vector<int>{3}));
    EXPECT_EQ(ParseSimulatorIndexes("2, 0,2,9,x,12"), (std::vector<int>{0, 2}));
}

TEST(SimEnvironment, RegistersNamedDevices) {
    kv::usb::UnregisterAllDevices();
    setenv("SCOPE_SIMULATOR", "0,2", 1);
    EXPECT_EQ(RegisterSimulatorsFromEnvironment("qzdva"), 2);
    EXPECT_TRUE(kv::usb::IsRegistered("qzdva-0"));
    EXPECT_FALSE(kv::usb::IsRegistered("qzdva-1"));
    EXPECT_TRUE(kv::usb::IsRegistered("qzdva-2"));
    EXPECT_NE(EnvironmentSimulator("qzdva", 2), nullptr);
    unsetenv("SCOPE_SIMULATOR");
    kv::usb::UnregisterAllDevices();
}

TEST(SimInstrument, CaptureStatesAdvanceByPolls) {
    SimInstrument inst;
    inst.SetPollsToTrigger(2);
    inst.SetTriggerAddress(1234);
    std::uint32_t addr = 99;
    EXPECT_EQ(inst.PollCaptureState(addr), 0);
    inst.ArmTrigger(); // not started: stays idle
    EXPECT_EQ(inst.PollCaptureState(addr), 0);
    inst.CaptureStart();
    inst.ArmTrigger();
    EXPECT_EQ(inst.PollCaptureState(addr), 2);
    EXPECT_EQ(inst.PollCaptureState(addr), 2);
    EXPECT_EQ(inst.PollCaptureState(addr), 3);
    EXPECT_EQ(addr, 1234u);
    EXPECT_EQ(inst.PollCaptureState(addr), 4);
    EXPECT_EQ(inst.PollCaptureState(addr), 4);
}

TEST(SimInstrument, StreamLayoutAndSignalFollowsRange) {
    SimInstrument inst;
    inst.SetSampleFunction([](int ch, std::uint32_t k, std::uint32_t, std::uint32_t) {
        return static_cast<std::uint16_t>(ch == 0 ? 0x3A5 : 0x1C3 + k);
    });
    inst.SetMemoryCode(3);
    const Bytes s = inst.RecordStream();
    ASSERT_EQ(s.size(), 2048u);
    EXPECT_EQ(s[0], 0xC3); // CH2 low of point 0
    EXPECT_EQ(s[1], 0xA5); // CH1 low of point 0
    EXPECT_EQ(s[1024] & 0x0F, 3 | (1 << 2));
    inst.SetSampleFunction(nullptr);
    SimSignal flat;
    flat.amplitude = 0.0;
    flat.offset = 0.05;
    inst.SetSignal(0, flat);
    inst.SetVoltsIndex(0, 2); // 50 mV/div: one division up = display 288
    auto ch1 = [](const Bytes& stream, std::size_t d, std::size_t k) {
        return static_cast<std::uint16_t>(stream[2 * k + 1] | (stream[2 * d + 2 * k] & 3) << 8);
    };
    EXPECT_EQ(ch1(inst.RecordStream(), 512, 0), static_cast<std::uint16_t>(288 / 1.14));
    inst.SetCoupling(0, 1); // AC removes the offset
    EXPECT_EQ(ch1(inst.RecordStream(), 512, 7), static_cast<std::uint16_t>(256 / 1.14));
}

TEST(SimWire, DecodesRequestsAndCommands) {
    SimWireDevice d;
    Bytes mem = {1, 2, 3};
    ASSERT_TRUE(Vendor(d, 0, 0xA2, 500, mem));
    Bytes back(3);
    ASSERT_TRUE(Vendor(d, 1, 0xA2, 500, back));
    EXPECT_EQ(back, mem);
    Bytes tooFar(16);
    EXPECT_FALSE(Vendor(d, 1, 0xA2, 65530, tooFar));

    // Gain bits: CH1 at bit 0, CH2 at bit 2; relays put CH1 in the 7-9 class, CH2 in 0-3.
    ASSERT_TRUE(Write(d, {0x07, 0x0F, 0x30 | 1 | (0 << 2), 0, 0, 0, 0, 0}));
    Bytes relays = {0, 0x04, 0x08, 0x02, 0xDF, 0xBF, 0xEF, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(Vendor(d, 0, 0xB5, 0, relays));
    EXPECT_EQ(d.Instrument().VoltsIndex(0), 7);
    EXPECT_EQ(d.Instrument().VoltsIndex(1), 3); // 2 and 3 share class and gain: the current index stays
    EXPECT_EQ(d.Instrument().Coupling(0), 1);
    EXPECT_EQ(d.Instrument().Coupling(1), 0);

    // 0x0D: memory code 2 in bits 3-5 of byte 8.
    ASSERT_TRUE(Write(d, {0x0D, 0, 0xFF, 0xFF, 0x07, 0xFF, 0, 0, (2 << 3) | 7, 0xFF}));
    EXPECT_EQ(d.Instrument().MemoryCode(), 2);
    EXPECT_EQ(d.Instrument().Words().positionA, 0x7FFFFu);
    // Transfer mode 4 after a rate command selects the roll stream.
    Bytes mode4 = {0x0F, 1, 1, 1, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(Vendor(d, 0, 0xB3, 0, mode4));
    EXPECT_TRUE(d.Instrument().RollMode());
    EXPECT_EQ(d.Instrument().RecordLength(), 256u);

    ASSERT_TRUE(Write(d, {0x08, 0x0F, 0x5C, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(Write(d, {0x09, 0}));
    EXPECT_EQ(Read(d, 64)[0], 0x5C);

    Bytes badBlock(10);
    const std::uint8_t block[10] = {1, 1, 0, 0, 0xB2, 0, 0, 0, 0, 0}; // request type must be 2
    std::uint32_t returned = 0;
    EXPECT_FALSE(d.IoControl(kv::usb::kIoctlVendorRequest, block, 10, badBlock.data(), 10, returned));
    const std::uint8_t wrongPipe[4] = {1, 0, 0, 0};
    Bytes packet = {0x03, 0};
    EXPECT_FALSE(d.IoControl(kv::usb::kIoctlBulkWrite, wrongPipe, 4, packet.data(), 2, returned));
}

TEST(SimWire, StreamsTheRecordAndReportsLinkSpeed) {
    SimWireDevice d;
    d.SetHighSpeed(false);
    Bytes status(10, 0xFF);
    ASSERT_TRUE(Vendor(d, 1, 0xB2, 0, status));
    EXPECT_EQ(status, Bytes(10, 0));
    d.Instrument().SetMemoryCode(3);
    ASSERT_TRUE(Write(d, {0x05, 0}));
    std::size_t total = 0;
    for (Bytes chunk = Read(d, 64); !chunk.empty(); chunk = Read(d, 64))
        total += chunk.size();
    EXPECT_EQ(total, 2048u);
}

TEST(SimWire, FaultsSkipCountAndClear) {
    SimWireDevice d;
    d.InjectFault(Fault{FaultKind::Fail, kv::usb::kIoctlBulkWrite, 1, 2, 0});
    EXPECT_TRUE(Write(d, {0x03, 0}));
    EXPECT_FALSE(Write(d, {0x03, 0}));
    EXPECT_FALSE(Write(d, {0x03, 0}));
    EXPECT_TRUE(Write(d, {0x03, 0}));
    ASSERT_TRUE(Write(d, {0x05, 0}));
    d.InjectFault(Fault{FaultKind::Short, kv::usb::kIoctlBulkRead, 0, 1, 0});
    EXPECT_EQ(Read(d, 512).size(), 256u);
    d.SetPresent(false);
    EXPECT_FALSE(d.IsPresent());
    EXPECT_TRUE(Read(d, 512).empty());
    EXPECT_EQ(d.LogSize(), 6u); // an absent device sees nothing
}
