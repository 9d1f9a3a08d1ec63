// Front-end settings: volts/div relays and gain bits, coupling, offset DACs, filters, trigger and
// sample rate, record positions and the TDC controls.
#include "FrontEnd.h"

#include <algorithm>

#include "Driver.h"
#include "ModelConstants.h"
#include "Tessel.h"
#include "WireProtocol.h"
#include "system/Narrow.h"
#include "timebase/TimeBaseTable.h"
#include "variants/Variants.h"

namespace kv::sdk {

int GainBit(std::uint16_t voltsIndex) {
    switch (voltsIndex) {
    case 0:
    case 1:
    case 4:
    case 7:
        return 1;
    default:
        return 0;
    }
}

SampleClock SampleClockFor(std::uint16_t timeBase, std::uint16_t selector, std::uint16_t overrideFlag) {
    constexpr std::uint8_t r = 2, s = 1;
    const bool screenColumn = IsScreenRateSelector(selector);
    SampleClock c;
    if (timeBase <= 6)
        c.flags = overrideFlag == 0 ? (r | s) : 0;
    else if (timeBase <= 10)
        c.flags = r | s;
    else if (timeBase == 11)
        c.flags = s;
    else if (timeBase == 12)
        c.flags = 0;
    else if (timeBase <= 25) {
        c.counter = screenColumn ? kv::timebase::ScreenClockCounter(timeBase, kModel == Model::Cordun)
                                 : kv::timebase::DeepClockCounter(timeBase);
        c.flags = r;
        if (!screenColumn && timeBase >= 14 && timeBase <= 17)
            c.flags = (timeBase == 15 || timeBase == 16) ? (r | s) : 0;
    } else {
        c.counter = kv::timebase::kRollClockCounter;
        c.flags = r;
    }
    return c;
}

int TimeBaseFlag(std::uint16_t timeBase, std::uint16_t selector, std::uint16_t channelSelector,
                 std::uint16_t triggerSource) {
    const bool screen = IsScreenRateSelector(selector);
    const int dual = (channelSelector == 2 && triggerSource != 2) ? 1 : 0;
    if (timeBase <= 10)
        return dual;
    if (timeBase == 15)
        return screen ? 1 : 0;
    if (timeBase == 16)
        return screen ? 1 : dual;
    if (timeBase == 25)
        return 0;
    return 1;
}

int TriggerSourceCode(std::uint16_t triggerSource) {
    static const int codes[5] = {1, 0, 3, 2, 2};
    return triggerSource <= kMaxTriggerSource ? codes[triggerSource] : 0;
}

int InterpolateDac(std::uint16_t lo, std::uint16_t hi, std::uint16_t position) {
    // An unclamped position drives the DAC outside lo..hi, and a value above 4095 spills into
    // the select bits of the packet and addresses another DAC.
    const std::int64_t p = std::min<std::uint16_t>(position, 511);
    const std::int64_t dac = lo + (static_cast<std::int64_t>(hi) - lo) * (511 - p) / 511;
    return static_cast<int>(std::clamp<std::int64_t>(dac, 0, 4095));
}

bool PositionsFor(std::uint16_t memoryCode, std::uint16_t triggerPosition, RecordPositions& out) {
    // Memory codes outside 1..3 have no positions; past 100 % position A outgrows its 19 bits.
    if (memoryCode < 1 || memoryCode > 3)
        return false;
    const std::uint16_t p = std::min<std::uint16_t>(triggerPosition, 100);
    double a, b;
    if (memoryCode == 3) {
        a = 524286 - (100 - p) * 5.12;
        b = 524287 - p * 5.12;
    } else {
        const double f = memoryCode == 1 ? 102.4 : 5242.88;
        a = p == 100 ? 524286 : 524287 - (100 - p) * f;
        b = 524287 - p * f;
    }
    out.a = static_cast<std::uint32_t>(std::max<std::int64_t>(TruncSat<std::int64_t>(a), 0));
    out.b = static_cast<std::uint32_t>(std::clamp<std::int64_t>(TruncSat<std::int64_t>(b), 0, 524286));
    return true;
}

std::vector<std::uint8_t> EncodeFilter(std::uint16_t a, std::uint16_t b, std::uint16_t c) {
    // 0 0x00, 1 0x0F, 2 switches: bit 0 = b, bit 1 = a, bit 2 = c; 3-7 zero.
    const auto bits = static_cast<std::uint8_t>((b & 1) | (a & 1) << 1 | (c & 1) << 2);
    return {0x00, 0x0F, bits, 0, 0, 0, 0, 0};
}

bool EncodeGainBits(std::uint16_t ch1Volts, std::uint16_t ch2Volts, const std::uint16_t* settings,
                    std::vector<std::uint8_t>& out) {
    if (!settings || ch1Volts > kMaxVoltsIndex || ch2Volts > kMaxVoltsIndex ||
        settings[2] > kMaxTimeBaseIndex)
        return false;
    const std::uint16_t timeBase = settings[2], channelSelector = settings[1], alternate = settings[6];
    int g1 = GainBit(ch1Volts), g2 = GainBit(ch2Volts);
    // One channel sampled by both converters: both take the selected channel's gain.
    if (timeBase <= 10 && (alternate == 1 || channelSelector != 2))
        g1 = g2 = channelSelector == 0 ? GainBit(ch1Volts) : GainBit(ch2Volts);
    // 0 0x07, 1 0x0F, 2 0x30 | CH1 gain (bit 0) | CH2 gain (bit 2), 3-7 zero.
    out = {0x07, 0x0F, static_cast<std::uint8_t>(0x30 | g1 | g2 << 2), 0, 0, 0, 0, 0};
    return true;
}

bool EncodeRelays(std::uint16_t ch1Volts, std::uint16_t ch2Volts, std::uint16_t ch1Coupling,
                  std::uint16_t ch2Coupling, std::uint16_t triggerSource, FrontEndRequest& out) {
    if (ch1Volts > kMaxVoltsIndex || ch2Volts > kMaxVoltsIndex || triggerSource > kMaxTriggerSource)
        return false;
    FrontEndRequest d{};
    // 1-2 CH1 attenuator relays, 3 CH1 coupling, 4-5 CH2 relays, 6 CH2 coupling, 7 trigger relay;
    // 0 and 8-16 zero.
    d[1] = ch1Volts <= 6 ? 0xFB : 0x04;
    d[2] = ch1Volts <= 3 ? 0xF7 : 0x08;
    d[3] = ch1Coupling == 1 ? 0x02 : 0xFD;
    d[4] = ch2Volts <= 6 ? 0xDF : 0x20;
    d[5] = ch2Volts <= 3 ? 0xBF : 0x40;
    d[6] = ch2Coupling == 1 ? 0x10 : 0xEF;
    d[7] = triggerSource == 3 ? 0xFE : 0x01;
    out = d;
    return true;
}

bool EncodeOffsets(const std::uint16_t* positions, std::uint16_t ch1Volts, std::uint16_t ch2Volts,
                   std::uint16_t triggerSource, const std::uint16_t* levels, FrontEndRequest& out) {
    if (!positions || !levels || ch1Volts > kMaxVoltsIndex || ch2Volts > kMaxVoltsIndex ||
        triggerSource > kMaxTriggerSource)
        return false;
    const int ch1 = InterpolateDac(levels[2 * ch1Volts], levels[2 * ch1Volts + 1], positions[0]);
    const int ch2 = InterpolateDac(levels[20 + 2 * ch2Volts], levels[21 + 2 * ch2Volts], positions[1]);
    const std::uint16_t triggerPosition =
        triggerSource == 0 ? positions[2] : (triggerSource == 1 ? positions[3] : positions[4]);
    const int trig = InterpolateDac(levels[40], levels[41], triggerPosition);
    FrontEndRequest d{};
    // 0-1 CH1 DAC (high | 0x20, low), 2-3 CH2 DAC (high | 0x30, low), 4-5 trigger DAC (high, low).
    d[0] = static_cast<std::uint8_t>((ch1 >> 8) | 0x20);
    d[1] = static_cast<std::uint8_t>(ch1 & 0xFF);
    d[2] = static_cast<std::uint8_t>((ch2 >> 8) | 0x30);
    d[3] = static_cast<std::uint8_t>(ch2 & 0xFF);
    d[4] = static_cast<std::uint8_t>(trig >> 8);
    d[5] = static_cast<std::uint8_t>(trig & 0xFF);
    out = d;
    return true;
}

bool EncodeTriggerAndRate(std::uint16_t triggerValue, std::uint16_t overrideFlag,
                          const std::uint16_t* settings, std::uint16_t flagA, std::uint16_t flagB,
                          std::uint16_t twoBit, std::uint32_t value, std::vector<std::uint8_t>& out) {
    if (!settings || settings[0] > kMaxTriggerSource || settings[2] > kMaxTimeBaseIndex)
        return false;
    std::uint16_t trig = triggerValue;
    std::uint32_t two = twoBit;
    if (flagB == 1) {
        if (two < 3) {
            trig = 0;
        } else {
            trig = 1;
            two += 1;
        }
    }
    const int channelBits = overrideFlag != 0 ? 2 : (settings[1] & 3);
    // 2: bit 7 flag B, 6 flag A, 5 trigger value, 3-4 source code, 1-2 channels, 0 time-base flag.
    const auto byte2 = static_cast<std::uint8_t>(
        (flagB & 1) << 7 | (flagA & 1) << 6 | (trig & 1) << 5 | TriggerSourceCode(settings[0]) << 3 |
        channelBits << 1 | TimeBaseFlag(settings[2], settings[5], settings[1], settings[0]));
    // 0 0x0E, 1 0, 2 flags, 3 two-bit value, 4-7 the 32-bit value LE.
    out = {0x0E,
           0x00,
           byte2,
           static_cast<std::uint8_t>(two & 3),
           static_cast<std::uint8_t>(value),
           static_cast<std::uint8_t>(value >> 8),
           static_cast<std::uint8_t>(value >> 16),
           static_cast<std::uint8_t>(value >> 24)};
    return true;
}

bool EncodeSampleClock(std::uint16_t overrideFlag, const std::uint16_t* settings,
                       std::vector<std::uint8_t>& out) {
    if (!settings || settings[2] > kMaxTimeBaseIndex)
        return false;
    const SampleClock c = SampleClockFor(settings[2], settings[5], overrideFlag);
    // 0 0x0C, 1 0, 2-3 counter LE, 4 r << 1 | s, 5 0.
    out = {
        0x0C,    0x00, static_cast<std::uint8_t>(c.counter & 0xFF), static_cast<std::uint8_t>(c.counter >> 8),
        c.flags, 0x00};
    return true;
}

bool EncodeRecordPositions(const std::uint16_t* settings, std::vector<std::uint8_t>& out) {
    RecordPositions pos;
    // Only the records the read takes under this selector: the two agree on every pair.
    if (!settings || settings[2] > kMaxTimeBaseIndex || !RecordFits(settings[4], settings[5]))
        return false;
    const std::uint32_t m = WireMemoryCode(settings[4]);
    if (!PositionsFor(static_cast<std::uint16_t>(m), settings[3], pos))
        return false;
    // 0 0x0D, 1 0, 2-4 A bits 0-18, 5 0xFF, 6-7 B bits 0-15, 8 memory code << 3 | B bits 16-18, 9 0xFF.
    out = {0x0D,
           0x00,
           static_cast<std::uint8_t>(pos.a),
           static_cast<std::uint8_t>(pos.a >> 8),
           static_cast<std::uint8_t>((pos.a >> 16) & 7),
           0xFF,
           static_cast<std::uint8_t>(pos.b),
           static_cast<std::uint8_t>(pos.b >> 8),
           static_cast<std::uint8_t>((m & 7) << 3 | ((pos.b >> 16) & 7)),
           0xFF};
    return true;
}

FrontEndRequest EncodeTdcCalibration(std::uint16_t value) {
    // 6 value bits 8-15, 7 value bits 0-7, the rest zero.
    FrontEndRequest d{};
    d[6] = static_cast<std::uint8_t>(value >> 8);
    d[7] = static_cast<std::uint8_t>(value & 0xFF);
    return d;
}

std::vector<std::uint8_t> EncodeTdcSelect(std::uint16_t value) {
    // 0 0x0B, 1 0, 2 and 3 the value's low byte.
    const auto low = static_cast<std::uint8_t>(value & 0xFF);
    return {0x0B, 0x00, low, low};
}

std::vector<std::uint8_t> EncodeGetTdcData() {
    return {0x0A, 0x00};
}

bool DecodeTdcCount(const std::uint8_t* reply, std::size_t length, std::uint32_t& count) {
    if (!reply || length < 4)
        return false;
    const std::uint32_t raw =
        static_cast<std::uint32_t>(reply[0]) | static_cast<std::uint32_t>(reply[1]) << 8 |
        static_cast<std::uint32_t>(reply[2]) << 16 | static_cast<std::uint32_t>(reply[3]) << 24;
    count = raw & 0x1FFFFFFFu;
    return true;
}

namespace {

// One 17-byte front-end request written to an opened device; the request's success flag.
int SendFrontEndRequest(std::uint16_t deviceIndex, std::uint8_t request, FrontEndRequest data) {
    OpenDevice dev(deviceIndex);
    if (!dev.IsOpen())
        return 0;
    return dsoVendorRequest(dev.Handle(), request, 0, kDirectionWrite, data.data(), kFrontEndRequestLength)
               ? 1
               : 0;
}

// The slow time bases stream roll records, which the instrument sends in transfer mode 4.
void FollowRateCommand(std::uint16_t deviceIndex, const std::uint16_t* settings) {
    if (settings[2] > 25)
        dsoSetTransferMode(deviceIndex, 4);
}

} // namespace
} // namespace kv::sdk

using namespace kv::sdk;

TESSEL_API int dsoSetVoltageAndCouplingFirst(uint16_t deviceIndex, uint16_t ch1VoltsIndex,
                                             uint16_t ch2VoltsIndex, uint16_t /*unused1*/,
                                             uint16_t /*unused2*/, const uint16_t* captureSettings) {
    return Guarded(0, [&] {
        std::vector<std::uint8_t> packet;
        if (deviceIndex > 3 || !EncodeGainBits(ch1VoltsIndex, ch2VoltsIndex, captureSettings, packet))
            return 0;
        auto lock = LockDevice(deviceIndex);
        return SendBulkCommand(deviceIndex, packet) ? 1 : 0;
    });
}

TESSEL_API int dsoSetVoltageAndCouplingSecond(uint16_t deviceIndex, uint16_t ch1VoltsIndex,
                                              uint16_t ch2VoltsIndex, uint16_t ch1Coupling,
                                              uint16_t ch2Coupling, uint16_t triggerSource) {
    return Guarded(0, [&] {
        FrontEndRequest data;
        if (deviceIndex > 3 ||
            !EncodeRelays(ch1VoltsIndex, ch2VoltsIndex, ch1Coupling, ch2Coupling, triggerSource, data))
            return 0;
        auto lock = LockDevice(deviceIndex);
        return SendFrontEndRequest(deviceIndex, kRequestRelays, data);
    });
}

TESSEL_API int dsoSetVoltageAndCoupling(uint16_t deviceIndex, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                                        uint16_t ch1Coupling, uint16_t ch2Coupling,
                                        const uint16_t* captureSettings) {
    return Guarded(0, [&] {
        // Both halves are checked before either is sent, so a refusal sends nothing at all.
        std::vector<std::uint8_t> packet;
        FrontEndRequest data;
        if (deviceIndex > 3 || !EncodeGainBits(ch1VoltsIndex, ch2VoltsIndex, captureSettings, packet) ||
            !EncodeRelays(ch1VoltsIndex, ch2VoltsIndex, ch1Coupling, ch2Coupling, captureSettings[0], data))
            return 0;
        auto lock = LockDevice(deviceIndex);
        dsoSetVoltageAndCouplingFirst(deviceIndex, ch1VoltsIndex, ch2VoltsIndex, ch1Coupling, ch2Coupling,
                                      captureSettings);
        return dsoSetVoltageAndCouplingSecond(deviceIndex, ch1VoltsIndex, ch2VoltsIndex, ch1Coupling,
                                              ch2Coupling, captureSettings[0]);
    });
}

TESSEL_API int dsoSetOffset(uint16_t deviceIndex, const uint16_t* positions, uint16_t ch1VoltsIndex,
                            uint16_t ch2VoltsIndex, uint16_t triggerSource, const uint16_t* levels) {
    return Guarded(0, [&] {
        FrontEndRequest data;
        if (deviceIndex > 3 ||
            !EncodeOffsets(positions, ch1VoltsIndex, ch2VoltsIndex, triggerSource, levels, data))
            return 0;
        auto lock = LockDevice(deviceIndex);
        return SendFrontEndRequest(deviceIndex, kRequestOffset, data);
    });
}

TESSEL_API int dsoSetFilt(uint16_t deviceIndex, uint16_t a, uint16_t b, uint16_t c) {
    return Guarded(0, [&] {
        if (deviceIndex > 3)
            return 0;
        auto lock = LockDevice(deviceIndex);
        // The write's own result: a lost packet must not read as applied.
        return SendBulkCommand(deviceIndex, EncodeFilter(a, b, c)) ? 1 : 0;
    });
}

TESSEL_API int dsoSetTriggerAndSampleRate(uint16_t deviceIndex, uint16_t triggerValue, uint16_t overrideFlag,
                                          uint16_t* captureSettings, uint16_t flagA, uint16_t flagB,
                                          uint16_t twoBitValue, uint32_t value) {
    return Guarded(0, [&]() -> int {
        std::vector<std::uint8_t> packet;
        if (deviceIndex > 3 || !EncodeTriggerAndRate(triggerValue, overrideFlag, captureSettings, flagA,
                                                     flagB, twoBitValue, value, packet))
            return 0;
        if (StoreOverrideSelector(captureSettings, overrideFlag))
            EncodeTriggerAndRate(triggerValue, overrideFlag, captureSettings, flagA, flagB, twoBitValue,
                                 value, packet);
        auto lock = LockDevice(deviceIndex);
        if (!SendBulkCommand(deviceIndex, packet))
            return 0;
        FollowRateCommand(deviceIndex, captureSettings);
        return overrideFlag;
    });
}

TESSEL_API int dsoSetTriggerAndSampleRate2(uint16_t deviceIndex, uint16_t /*triggerValue*/,
                                           uint16_t overrideFlag, const uint16_t* captureSettings) {
    return Guarded(0, [&] {
        std::vector<std::uint8_t> packet;
        if (deviceIndex > 3 || !EncodeSampleClock(overrideFlag, captureSettings, packet))
            return 0;
        auto lock = LockDevice(deviceIndex);
        if (!SendBulkCommand(deviceIndex, packet))
            return 0;
        FollowRateCommand(deviceIndex, captureSettings);
        return 1;
    });
}

TESSEL_API int dsoSetTriggerAndSampleRate3(uint16_t deviceIndex, uint16_t /*unused1*/, uint16_t /*unused2*/,
                                           const uint16_t* captureSettings) {
    return Guarded(0, [&] {
        std::vector<std::uint8_t> packet;
        if (deviceIndex > 3 || !EncodeRecordPositions(captureSettings, packet))
            return 0;
        auto lock = LockDevice(deviceIndex);
        if (!SendBulkCommand(deviceIndex, packet))
            return 0;
        FollowRateCommand(deviceIndex, captureSettings);
        return 1;
    });
}

TESSEL_API int dsoSetTDCCal(uint16_t deviceIndex, uint16_t value) {
    return Guarded(0, [&] {
        if (deviceIndex > 3)
            return 0;
        auto lock = LockDevice(deviceIndex);
        return SendFrontEndRequest(deviceIndex, kRequestTdcCalibration, EncodeTdcCalibration(value));
    });
}

TESSEL_API int dsoSetTDCSel(uint16_t deviceIndex, uint16_t value) {
    return Guarded(0, [&] {
        if (deviceIndex > 3)
            return 0;
        auto lock = LockDevice(deviceIndex);
        return SendBulkCommand(deviceIndex, EncodeTdcSelect(value)) ? 1 : 0;
    });
}

TESSEL_API int dsoGetTDCData(uint16_t deviceIndex, uint32_t* count) {
    return Guarded(0, [&] {
        if (deviceIndex > 3 || !count)
            return 0;
        auto lock = LockDevice(deviceIndex);
        if (!SendBulkCommand(deviceIndex, EncodeGetTdcData()))
            return 0;
        std::vector<std::uint8_t> reply;
        std::uint32_t decoded = 0;
        // A lost reply would otherwise read as a count of 0 and pass as a measurement.
        if (!ReadBulkReply(deviceIndex, reply, 4, kTdcReplyAlways512 ? 512 : 0) ||
            !DecodeTdcCount(reply.data(), reply.size(), decoded))
            return 0;
        *count = decoded;
        return 1;
    });
}
