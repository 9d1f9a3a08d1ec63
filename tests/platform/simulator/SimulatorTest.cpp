// The simulated instrument: environment selection, capture states, sample stream layout, wire
// decoding and fault injection.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "simulator/SimEnvironment.h"
#include "simulator/SimModel.h"
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

TEST(SimInstrument, ForceCompletesTheCaptureUnderWayArmedOrNot) {
    SimInstrument inst;
    inst.SetPollsToTrigger(0); // the signal never triggers by itself
    std::uint32_t addr = 0;
    inst.ForceTrigger(); // nothing started: nothing to complete
    EXPECT_EQ(inst.PollCaptureState(addr), 0);
    inst.CaptureStart(); // started, not armed
    EXPECT_EQ(inst.PollCaptureState(addr), 1);
    inst.ForceTrigger();
    EXPECT_EQ(inst.PollCaptureState(addr), 4);
    inst.CaptureStart();
    inst.ArmTrigger();
    EXPECT_EQ(inst.PollCaptureState(addr), 2);
    EXPECT_EQ(inst.PollCaptureState(addr), 2);
    inst.ForceTrigger();
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
    inst.SetVoltsIndex(0, 2); // 50 mV/div: one division (511 / 8 codes) up = display 319.875
    auto ch1 = [](const Bytes& stream, std::size_t d, std::size_t k) {
        return static_cast<std::uint16_t>(stream[2 * k + 1] | (stream[2 * d + 2 * k] & 3) << 8);
    };
    EXPECT_EQ(ch1(inst.RecordStream(), 512, 0), static_cast<std::uint16_t>(319.875 / 1.14));
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

namespace {

std::uint16_t Ch1Raw(const Bytes& stream, std::size_t d, std::size_t k) {
    return static_cast<std::uint16_t>(stream[2 * k + 1] | (stream[2 * d + 2 * k] & 3) << 8);
}

// One capture through the instrument's states.
void Capture(SimInstrument& inst) {
    inst.CaptureStart();
    inst.ArmTrigger();
    std::uint32_t address = 0;
    for (int i = 0; i < 10 && inst.PollCaptureState(address) < 4; ++i) {
    }
}

} // namespace

TEST(SimWire, RateCommandsSetTheSampleClock) {
    SimWireDevice d;
    SimInstrument& inst = d.Instrument();
    // 200 us/div: counter 65527, flags r; 1000 samples a division.
    ASSERT_TRUE(Write(d, {0x0C, 0, 0xF7, 0xFF, 0x02, 0}));
    EXPECT_EQ(inst.TimeBaseIndex(), 15);
    EXPECT_DOUBLE_EQ(inst.SampleInterval(), 200e-9);
    // 40 ms/div (Kestra-E's 63037) and 400 ms/div.
    ASSERT_TRUE(Write(d, {0x0C, 0, 0x3D, 0xF6, 0x02, 0}));
    EXPECT_EQ(inst.TimeBaseIndex(), 22);
    EXPECT_DOUBLE_EQ(inst.SampleInterval(), 40e-6);
    ASSERT_TRUE(Write(d, {0x0C, 0, 0xA1, 0xA3, 0x02, 0}));
    EXPECT_DOUBLE_EQ(inst.SampleInterval(), 400e-6);
    // A counter of another model's table leaves the clock alone.
    ASSERT_TRUE(Write(d, {0x0C, 0, 0x25, 0xF8, 0x02, 0}));
    EXPECT_DOUBLE_EQ(inst.SampleInterval(), 400e-6);
    // 65517 is 400 us/div until transfer mode 4 says it is the roll clock.
    ASSERT_TRUE(Write(d, {0x0C, 0, 0xED, 0xFF, 0x02, 0}));
    EXPECT_EQ(inst.TimeBaseIndex(), 16);
    EXPECT_FALSE(inst.RollMode());
    EXPECT_DOUBLE_EQ(inst.SampleInterval(), 400e-9);
    Bytes mode4 = {0x0F, 1, 1, 1, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(Vendor(d, 0, 0xB3, 0, mode4));
    EXPECT_TRUE(inst.RollMode());
    EXPECT_GE(inst.TimeBaseIndex(), 26);
    // Counter 0: steps 11 (100 MS/s) and 12 (50 MS/s) by their flags; steps 0..10 share the
    // fastest clock, 125 MS/s on each converter.
    ASSERT_TRUE(Write(d, {0x0C, 0, 0, 0, 0x01, 0}));
    EXPECT_EQ(inst.TimeBaseIndex(), 11);
    EXPECT_FALSE(inst.RollMode());
    EXPECT_DOUBLE_EQ(inst.SampleInterval(), 10e-9);
    ASSERT_TRUE(Write(d, {0x0C, 0, 0, 0, 0x00, 0}));
    EXPECT_EQ(inst.TimeBaseIndex(), 12);
    EXPECT_DOUBLE_EQ(inst.SampleInterval(), 20e-9);
    ASSERT_TRUE(Write(d, {0x0C, 0, 0, 0, 0x03, 0}));
    EXPECT_LE(inst.TimeBaseIndex(), 10);
    EXPECT_DOUBLE_EQ(inst.SampleInterval(), 8e-9);

    // The Kestra-F counts step 22 as 63525.
    SimInstrument f(SimModel::KestraF);
    f.ApplySampleClock(63525, 2);
    EXPECT_EQ(f.TimeBaseIndex(), 22);
    f.ApplySampleClock(63037, 2);
    EXPECT_EQ(f.TimeBaseIndex(), 22) << "not a Kestra-F counter: unchanged";
}

TEST(SimWire, PositionsAndTriggerCommandSetTheCapture) {
    SimWireDevice d;
    SimInstrument& inst = d.Instrument();
    EXPECT_EQ(inst.TriggerPosition(), 50);
    // Memory code 1, position 33: B = trunc(524287 - 33 x 102.4) = 520907 (0x7F2CB).
    ASSERT_TRUE(Write(d, {0x0D, 0, 0xFF, 0xFF, 0x07, 0xFF, 0xCB, 0xF2, (1 << 3) | 7, 0xFF}));
    EXPECT_EQ(inst.TriggerPosition(), 33);
    EXPECT_EQ(inst.RecordLength(), 10240u);
    // Memory code 2, position 100: B = -1, sent as 0.
    ASSERT_TRUE(Write(d, {0x0D, 0, 0xFE, 0xFF, 0x07, 0xFF, 0, 0, 2 << 3, 0xFF}));
    EXPECT_EQ(inst.TriggerPosition(), 100);
    EXPECT_EQ(inst.RecordLength(), 524288u);
    EXPECT_EQ(SimInstrument(SimModel::KestraE14K).RecordLength(), 10240u);

    // Trigger on CH2's falling edge, both channels: source code 0, bit 5 set, selector 2.
    ASSERT_TRUE(Write(d, {0x0D, 0, 0xFF, 0xEB, 0x07, 0xFF, 0xFF, 0xEB, (1 << 3) | 7, 0xFF})); // 10240, 50 %
    ASSERT_TRUE(Write(d, {0x0C, 0, 0x0D, 0xFE, 0x02, 0})); // 10 us a sample
    ASSERT_TRUE(Write(d, {0x0E, 0, (1 << 5) | (0 << 3) | (2 << 1) | 1, 0, 0, 0, 0, 0}));
    inst.SetTriggerAddress(9000u);
    Capture(inst);
    const Bytes s = inst.RecordStream();
    auto ch2 = [&](std::size_t k) {
        return static_cast<std::uint16_t>(s[2 * k] | ((s[2 * 10240 + 2 * k] >> 2) & 3) << 8);
    };
    // Record point j sits at ring position (9000 + j) mod 10240; the trigger at point 5120.
    auto at = [&](std::size_t j) { return ch2((9000 + j) % 10240); };
    const int mid = 457; // 0 V at range 3 before any offset: 256 / 0.56
    EXPECT_GT(at(5119), mid);
    EXPECT_LT(at(5122), mid);
    int worst = 0;
    for (std::size_t j = 1; j < 10240; ++j)
        worst = std::max(worst, std::abs(at(j) - at(j - 1)));
    // 0.5 V at 100 mV/div is five divisions, 570 raw codes; 2 kHz at 10 us a sample moves at
    // most 71.7 a sample.
    EXPECT_LE(worst, 72) << "no jump where the ring ends (record point 1240)";
}

TEST(SimInstrument, EtsFramesCarryTheTriggerPhase) {
    SimInstrument inst;
    EXPECT_FALSE(inst.EtsMode());
    inst.SetTdcSelect(3);
    EXPECT_TRUE(inst.EtsMode());
    inst.CaptureStart();
    EXPECT_EQ(inst.CaptureState(), 2) << "armed at once";
    std::vector<std::uint32_t> phases;
    for (int frame = 0; frame < 8; ++frame) {
        std::uint32_t address = 0;
        while (inst.PollCaptureState(address) < 4) {
        }
        const Bytes s = inst.RecordStream();
        ASSERT_EQ(s.size(), 2560u);
        const std::uint32_t tdc = s[2048] | s[2049] << 8 | s[2050] << 16 | s[2051] << 24;
        EXPECT_EQ(tdc, inst.TdcCount());
        // Between the counter's zero offset and one full calibrated period above it.
        EXPECT_GT(tdc, 100u);
        EXPECT_LE(tdc, 100u + 1800u + 250u);
        phases.push_back(tdc);
        inst.DataRead();
        EXPECT_EQ(inst.CaptureState(), 2) << "reading a frame arms the next";
    }
    std::sort(phases.begin(), phases.end());
    EXPECT_EQ(std::unique(phases.begin(), phases.end()), phases.end());
}

TEST(SimInstrument, TdcCounterFollowsSelectAndCalibration) {
    SimInstrument inst;
    EXPECT_EQ(inst.TdcCount(), 1000u) << "select 0 counts CH1's 1 kHz for a second";
    inst.SetTdcSelect(1);
    EXPECT_NEAR(inst.TdcCount(), 100.0, 2.0);
    inst.SetTdcSelect(2);
    EXPECT_NEAR(inst.TdcCount(), 2050.0, 2.0) << "power-up value 3950, calibrated at 3700";
    inst.SetTdcCalibration(3700);
    EXPECT_NEAR(inst.TdcCount(), 1800.0, 2.0);
    inst.SetTdcCalibration(3600);
    EXPECT_NEAR(inst.TdcCount(), 1700.0, 2.0);
    inst.SetTdcCount(77);
    EXPECT_EQ(inst.TdcCount(), 77u);
    inst.ClearTdcCount();
    EXPECT_NEAR(inst.TdcCount(), 1700.0, 2.0);
    // The stored calibration value and TDC range the clients read.
    Bytes stored(6);
    ASSERT_TRUE(inst.ReadMemory(100, stored.data(), 2));
    EXPECT_EQ(stored[0] | stored[1] << 8, 3700);
    ASSERT_TRUE(inst.ReadMemory(112, stored.data(), 4));
    EXPECT_EQ(stored[0] | stored[1] << 8, 1900);
    EXPECT_EQ(stored[2] | stored[3] << 8, 100);
}

TEST(SimInstrument, OffsetDacSetsTheZeroLevel) {
    // The stored level pair of each range puts position p at display code p once the client's
    // gain factor is applied: here range 6 (0.56) at position 300.
    SimInstrument inst;
    SimSignal flat;
    flat.amplitude = 0.0;
    inst.SetSignal(0, flat);
    Bytes pair(4);
    ASSERT_TRUE(inst.ReadMemory(8 + 4 * 6, pair.data(), 4));
    const int lo = pair[0] << 8 | pair[1], hi = pair[2] << 8 | pair[3];
    inst.ApplyOffsets(lo + (hi - lo) * (511 - 300) / 511, 0, 0);
    inst.SetVoltsIndex(0, 6);
    EXPECT_NEAR(Ch1Raw(inst.RecordStream(), 10240, 0) * 0.56, 300.0, 1.0);
    // Range 5 (1.14) shares range 6's relays: its own pair still lands position 300 at 300.
    ASSERT_TRUE(inst.ReadMemory(8 + 4 * 5, pair.data(), 4));
    const int lo5 = pair[0] << 8 | pair[1], hi5 = pair[2] << 8 | pair[3];
    inst.ApplyOffsets(lo5 + (hi5 - lo5) * (511 - 300) / 511, 0, 0);
    inst.SetVoltsIndex(0, 6);
    EXPECT_NEAR(Ch1Raw(inst.RecordStream(), 10240, 0) * 1.14, 300.0, 1.5);
}

namespace {

// Relay bytes 1, 2 (CH1) or 4, 5 (CH2) and the gain bit of a volts index, as the front-end table
// gives them.
void RangeWords(int v, int channel, Bytes& relays, int& gainByte) {
    const bool high = v >= 7, low = v <= 3;
    if (channel == 0) {
        relays[1] = high ? 0x04 : 0xFB;
        relays[2] = low ? 0xF7 : 0x08;
    } else {
        relays[4] = high ? 0x20 : 0xDF;
        relays[5] = low ? 0xBF : 0x40;
    }
    const int gain = (v == 0 || v == 1 || v == 4 || v == 7) ? 1 : 0;
    gainByte |= gain << (2 * channel);
}

} // namespace

// Every volts index sent over the wire on each channel, the other channel on a range of another
// attenuator class: an index whose class and gain bit it shares with its neighbour decodes to the
// first of the pair unless the instrument is already on it.
TEST(SimWire, EveryRangeDecodesOnBothChannels) {
    const int firstOfPair[10] = {0, 0, 2, 2, 4, 5, 5, 7, 8, 8};
    for (int channel = 0; channel < 2; ++channel) {
        for (int v = 0; v <= 9; ++v) {
            for (bool alreadyThere : {false, true}) {
                SimWireDevice d;
                const int other = v <= 3 ? 9 : 0;
                const int start = alreadyThere ? v : (v <= 3 ? 6 : 3);
                d.Instrument().SetVoltsIndex(channel, start);
                d.Instrument().SetVoltsIndex(1 - channel, other);
                Bytes relays(17, 0);
                relays[3] = 0xFD;
                relays[6] = 0xEF;
                relays[7] = 0x01;
                int gainByte = 0;
                RangeWords(v, channel, relays, gainByte);
                RangeWords(other, 1 - channel, relays, gainByte);
                ASSERT_TRUE(
                    Write(d, {0x07, 0x0F, static_cast<std::uint8_t>(0x30 | gainByte), 0, 0, 0, 0, 0}));
                ASSERT_TRUE(Vendor(d, 0, 0xB5, 0, relays));
                EXPECT_EQ(d.Instrument().VoltsIndex(channel), alreadyThere ? v : firstOfPair[v])
                    << "channel " << channel << " index " << v << " from " << start;
                EXPECT_EQ(d.Instrument().VoltsIndex(1 - channel), other)
                    << "channel " << channel << " index " << v;
            }
        }
    }
}

// The record length of every memory code; codes outside 1..3 are ignored.
TEST(SimInstrument, RecordLengthOfEveryMemoryCode) {
    SimInstrument inst;
    EXPECT_EQ(inst.RecordLength(), 10240u);
    inst.SetMemoryCode(3);
    EXPECT_EQ(inst.RecordLength(), 512u);
    inst.SetMemoryCode(4);
    EXPECT_EQ(inst.MemoryCode(), 3);
    inst.SetMemoryCode(0);
    EXPECT_EQ(inst.MemoryCode(), 3);
    inst.SetMemoryCode(2);
    EXPECT_EQ(inst.RecordLength(), SimDeepRecordLength(inst.Model()));
    EXPECT_GT(inst.RecordLength(), 10240u);
    inst.SetMemoryCode(1);
    EXPECT_EQ(inst.RecordLength(), 10240u);
}
