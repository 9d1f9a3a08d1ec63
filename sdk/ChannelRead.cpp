// Reading one captured record of both channels: unpacking, scaling, rotating to the trigger
// address, the double-rate and roll-mode paths, and the record trailer.
#include "ChannelRead.h"

#include <algorithm>
#include <array>
#include <vector>

#include "Driver.h"
#include "ModelConstants.h"
#include "Tessel.h"
#include "WireProtocol.h"
#include "system/Narrow.h"

namespace kv::sdk {

double GainFactor(std::uint16_t voltsIndex) {
    switch (voltsIndex) {
    case 0:
        return 2.8;
    case 1:
    case 4:
    case 7:
        return 1.42;
    case 2:
    case 5:
    case 8:
        return 1.14;
    case 3:
    case 6:
    case 9:
        return 0.56;
    default:
        return 0.0;
    }
}

std::array<std::uint16_t, 1024> ScaleTable(std::uint16_t voltsIndex) {
    std::array<std::uint16_t, 1024> table{};
    const double gain = GainFactor(voltsIndex);
    for (int raw = 0; raw < 1024; ++raw)
        table[raw] = gain == 0.0 ? static_cast<std::uint16_t>(raw) : static_cast<std::uint16_t>(raw * gain);
    return table;
}

int CalibrationSlot(std::uint16_t voltsIndex) {
    switch (voltsIndex) {
    case 0:
        return 3;
    case 1:
    case 4:
    case 7:
        return 1;
    case 2:
    case 5:
    case 8:
        return 2;
    case 3:
    case 6:
    case 9:
        return 0;
    default:
        return -1;
    }
}

std::uint16_t CorrectConverterA(std::uint16_t code, int c) {
    if (c <= 10) {
        if (code < c)
            return 0;
        if (code >= 511)
            return 511;
        return static_cast<std::uint16_t>(code - c);
    }
    const int o = c - 10;
    if (code < o)
        return 0;
    if (code < 511 - o)
        return static_cast<std::uint16_t>(code + o);
    return 511;
}

std::uint16_t Extrapolate(std::uint16_t a, std::uint16_t b) {
    // Done in 16 bits, a falling edge would wrap to about 65000 and read as a gap code.
    const std::int32_t v = 2 * static_cast<std::int32_t>(a) - static_cast<std::int32_t>(b);
    return Saturate<std::uint16_t>(v);
}

DoubleRateWindow WindowFor(std::uint32_t position, std::uint32_t length) {
    // Past 100 % the window would start beyond the interleaved record.
    const std::uint64_t p = std::min<std::uint32_t>(position, 100);
    const std::uint64_t o = p * 2 * length / 100;
    const std::uint64_t n = p * length / 100;
    DoubleRateWindow w;
    w.o = static_cast<std::uint32_t>(o >= 1 ? o - 1 : 0);
    w.n = static_cast<std::uint32_t>(n >= 1 ? n - 1 : 0);
    return w;
}

namespace {

// Work memory of the read, kept per device index and reused by every read of that device (the
// device lock keeps them apart): first touches of fresh pages for a 2 MB stream on every read
// would cost more than the read itself. Every byte a read uses is written by that read first.
struct ReadBuffers {
    std::vector<std::uint8_t> stream;
    std::vector<std::uint16_t> rotated;
};

ReadBuffers& BuffersOf(std::uint16_t deviceIndex) {
    static std::array<ReadBuffers, 4> buffers;
    return buffers[deviceIndex & 3];
}

// View of one capture's byte stream of D points.
class Stream {
public:
    Stream(const std::vector<std::uint8_t>& bytes, std::uint32_t points) : m_b(bytes.data()), m_d(points) {}
    // Bytes 0..2D-1: (CH2 low, CH1 low) per point; bytes 2D..: CH1 bits 8-9 in bits 0-1 and
    // CH2 bits 8-9 in bits 2-3 of the first byte of each pair.
    std::uint16_t Ch1(std::uint32_t k) const {
        return static_cast<std::uint16_t>(m_b[2 * k + 1] | ((m_b[2 * m_d + 2 * k] & 0x03) << 8));
    }
    std::uint16_t Ch2(std::uint32_t k) const {
        return static_cast<std::uint16_t>(m_b[2 * k] | (((m_b[2 * m_d + 2 * k] >> 2) & 0x03) << 8));
    }

private:
    const std::uint8_t* m_b;
    std::uint32_t m_d;
};

// Reads `total` bytes in packets of `packet` bytes; false on any failed or short packet.
bool ReadStream(DeviceHandle device, std::vector<std::uint8_t>& stream, std::uint32_t total,
                std::uint32_t packet) {
    if (stream.size() < total)
        stream.resize(total);
    const std::uint32_t whole = total / packet, rest = total % packet;
    // Unchecked, a lost packet would leave stale bytes that pass as a fresh record.
    if (whole != 0 && !BulkReadPackets(device, stream.data(), packet, whole))
        return false;
    return rest == 0 || BulkRead(device, stream.data() + static_cast<std::size_t>(whole) * packet, rest);
}

void WriteTrailer(std::uint16_t* record, std::uint32_t at, std::uint16_t timeBase, std::uint16_t volts,
                  std::uint16_t value, std::uint16_t doubleRate) {
    record[at] = timeBase;
    record[at + 1] = volts;
    record[at + 2] = value;
    record[at + 3] = doubleRate;
}

// What one read is, from the seven capture-settings words and the trigger address.
struct ReadPlan {
    std::uint16_t triggerSource;
    std::uint16_t channelSelector;
    std::uint16_t timeBase;
    std::uint16_t position;
    std::uint16_t alternate;
    std::uint32_t d;         // points per channel of the capture
    std::uint32_t trailerAt; // record index of the four trailer words
    bool roll;               // 256 points of each channel, no rotation, no trailer
    bool doubleRate;         // both converters sample one channel in turn: 2D points
};

// False for settings that name no record this library can read into the caller's buffers.
bool PlanRead(const std::uint16_t* captureSettings, std::uint32_t triggerAddress, ReadPlan& plan) {
    plan.triggerSource = captureSettings[0];
    plan.channelSelector = captureSettings[1];
    plan.timeBase = captureSettings[2];
    plan.position = captureSettings[3];
    const std::uint16_t memoryCode = captureSettings[4];
    const std::uint16_t selector = captureSettings[5];
    plan.alternate = captureSettings[6];

    // The rate command takes the same pairs: a memory code the read refused (or read as another
    // record) would leave a client polling for ever or decoding a stream of another length, and a
    // deep record under the 10240-point selector would run far past the buffers' trailer.
    if (!RecordFits(memoryCode, selector))
        return false;
    plan.d = CapturePoints(memoryCode);
    const std::uint32_t lastAddress = selector == 10 ? kScreenRecordLength - 1 : kDeepRecordLength - 1;
    if (triggerAddress > lastAddress)
        return false;
    // Behind twice the selector's record length: room for the double-rate record of 2D points.
    plan.trailerAt = TrailerIndex(selector);

    plan.roll = plan.timeBase > 25;
    plan.doubleRate =
        !plan.roll && ((selector == 512 && plan.timeBase == 15) ||
                       (plan.timeBase <= 10 && (plan.alternate == 1 || plan.channelSelector != 2)));
    return true;
}

// The capture's byte stream: 256 points in Roll, else 2D points in the link's packets (double
// rate) or in 512-byte packets whatever the link speed.
bool ReadCapture(std::uint16_t deviceIndex, const ReadPlan& plan, std::vector<std::uint8_t>& bytes,
                 std::uint32_t packet) {
    OpenDevice dev(deviceIndex);
    if (!dev.IsOpen())
        return false;
    if (plan.roll)
        return ReadStream(dev.Handle(), bytes, 1024, packet);
    if (plan.doubleRate)
        return ReadStream(dev.Handle(), bytes, 4 * plan.d, packet);
    return ReadStream(dev.Handle(), bytes, 4 * plan.d, 512);
}

// Roll: the 256 newest points of each channel, scaled, as they come.
void UnpackRoll(const std::vector<std::uint8_t>& bytes, std::uint16_t ch1VoltsIndex,
                std::uint16_t ch2VoltsIndex, std::uint16_t* ch1Record, std::uint16_t* ch2Record) {
    const Stream s(bytes, 256);
    const auto t1 = ScaleTable(ch1VoltsIndex);
    const auto t2 = ScaleTable(ch2VoltsIndex);
    for (std::uint32_t k = 0; k < 256; ++k) {
        ch1Record[k] = t1[s.Ch1(k)];
        ch2Record[k] = t2[s.Ch2(k)];
    }
}

// One converter per channel: each channel's D points rotated to start after the trigger
// address. In ALT the channel that is the trigger source keeps its record.
void UnpackSingleRate(const std::vector<std::uint8_t>& bytes, const ReadPlan& plan,
                      std::uint32_t triggerAddress, std::uint16_t ch1VoltsIndex, std::uint16_t ch2VoltsIndex,
                      std::uint16_t* ch1Record, std::uint16_t* ch2Record) {
    const std::uint32_t d = plan.d;
    const Stream s(bytes, d);
    const auto t1 = ScaleTable(ch1VoltsIndex);
    const auto t2 = ScaleTable(ch2VoltsIndex);
    const bool writeCh1 = !(plan.alternate == 1 && plan.triggerSource == 0);
    const bool writeCh2 = !(plan.alternate == 1 && plan.triggerSource == 1);
    const std::uint32_t start = triggerAddress % d;
    // Output point k takes sample (start + k) mod D; the trigger sample itself is not kept.
    for (std::uint32_t k = 1; k < d; ++k) {
        std::uint32_t idx = start + k;
        if (idx >= d)
            idx -= d;
        if (writeCh1)
            ch1Record[k] = t1[s.Ch1(idx)];
        if (writeCh2)
            ch2Record[k] = t2[s.Ch2(idx)];
    }
    ch1Record[0] = Extrapolate(ch1Record[1], ch1Record[2]);
    ch2Record[0] = Extrapolate(ch2Record[1], ch2Record[2]);
}

// Double rate: converter A (the CH1 half, corrected by its calibration value) and B (the CH2
// half) sample one channel in turn; the 2D interleaved points, rotated to the trigger address,
// go to that channel's record through the window of the trigger position.
void UnpackDoubleRate(const std::vector<std::uint8_t>& bytes, const ReadPlan& plan,
                      std::uint32_t triggerAddress, std::uint16_t ch1VoltsIndex, std::uint16_t ch2VoltsIndex,
                      const std::uint16_t (&cal)[4], std::vector<std::uint16_t>& rotated,
                      std::uint16_t* ch1Record, std::uint16_t* ch2Record) {
    const std::uint32_t d = plan.d;
    const Stream s(bytes, d);
    const std::uint16_t volts =
        (plan.channelSelector == 3 || plan.channelSelector == 0) ? ch1VoltsIndex : ch2VoltsIndex;
    const auto table = ScaleTable(volts);
    const int slot = CalibrationSlot(volts);
    const int c = slot < 0 ? 0 : cal[slot];
    const std::uint32_t d2 = 2 * d;
    // Taken modulo 2D: rotating by 2d without it reads beyond the interleaved record.
    const std::uint32_t base = static_cast<std::uint32_t>((2ull * triggerAddress) % d2);
    if (rotated.size() < d2)
        rotated.resize(d2);
    rotated[0] = 0; // receives no sample
    for (std::uint32_t j = 1; j < d2; ++j) {
        std::uint32_t i = base + j;
        if (i >= d2)
            i -= d2;
        const std::uint32_t k = i / 2;
        if ((i & 1) == 0)
            rotated[j] = CorrectConverterA(table[s.Ch1(k)], c);
        else
            rotated[j] = table[s.Ch2(k)];
    }
    const bool toCh1 = (plan.alternate == 1 && plan.channelSelector != 0) ||
                       (plan.alternate != 1 && plan.channelSelector == 0);
    std::uint16_t* out = toCh1 ? ch1Record : ch2Record;
    const DoubleRateWindow w = WindowFor(plan.position, d);
    const std::uint32_t first = w.o - w.n;
    for (std::uint32_t i = 0; i < d; ++i)
        out[i] = rotated[std::min(first + i, d2 - 1)];
    std::copy(rotated.begin() + d, rotated.begin() + d2, out + d);
    for (std::uint16_t* rec : {ch1Record, ch2Record}) {
        rec[1] = Extrapolate(rec[2], rec[3]);
        rec[0] = Extrapolate(rec[1], rec[2]);
    }
}

} // namespace
} // namespace kv::sdk

using namespace kv::sdk;

TESSEL_API uint16_t dsoGetChannelData(uint16_t deviceIndex, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                                      uint16_t trailerValue, uint16_t* ch1Record, uint16_t* ch2Record,
                                      const uint16_t* captureSettings, uint32_t triggerAddress) {
    return Guarded<uint16_t>(0, [&]() -> uint16_t {
        if (!ch1Record || !ch2Record || !captureSettings || deviceIndex > 3)
            return 0;
        ReadPlan plan;
        if (!PlanRead(captureSettings, triggerAddress, plan))
            return 0;

        auto lock = LockDevice(deviceIndex);

        // Zero unless read: a failed calibration read gives zero offsets, never stale ones.
        std::uint16_t cal[4] = {0, 0, 0, 0};
        dsoGetCalData(deviceIndex, cal);
        for (auto& c : cal)
            if (c > 200)
                c = 0;

        if (!SendBulkCommand(deviceIndex, EncodeGetData()))
            return 0;
        const std::uint32_t packet = LinkPacketSize(deviceIndex);
        ReadBuffers& work = BuffersOf(deviceIndex);
        if (!ReadCapture(deviceIndex, plan, work.stream, packet))
            return 0;

        if (plan.roll) {
            UnpackRoll(work.stream, ch1VoltsIndex, ch2VoltsIndex, ch1Record, ch2Record);
            return 1;
        }
        if (plan.doubleRate)
            UnpackDoubleRate(work.stream, plan, triggerAddress, ch1VoltsIndex, ch2VoltsIndex, cal,
                             work.rotated, ch1Record, ch2Record);
        else
            UnpackSingleRate(work.stream, plan, triggerAddress, ch1VoltsIndex, ch2VoltsIndex, ch1Record,
                             ch2Record);
        const std::uint16_t doubleRate = plan.doubleRate ? 1 : 0;
        WriteTrailer(ch1Record, plan.trailerAt, plan.timeBase, ch1VoltsIndex, trailerValue, doubleRate);
        WriteTrailer(ch2Record, plan.trailerAt, plan.timeBase, ch2VoltsIndex, trailerValue, doubleRate);
        return 1;
    });
}
