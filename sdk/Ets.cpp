// Equivalent-time sampling (capture of short frames and their interleaving by trigger phase) and
// the software trigger on stretched records.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "ChannelRead.h"
#include "Driver.h"
#include "Tessel.h"
#include "WireProtocol.h"
#include "system/Narrow.h"

namespace kv::sdk {
namespace {

constexpr std::size_t kFrameWords = TESSEL_ETS_FRAME_WORDS;
constexpr std::uint32_t kFrameBytes = 2560;
constexpr std::int64_t kRecordPoints = 500;
constexpr std::size_t kFirstFrameMarker = 501;
constexpr std::uint16_t kFillAllSlots = 234;

// Interleave geometry by time-base index 0..6.
struct EtsRow {
    int slots;      // S
    int points;     // P per slot
    int firstPoint; // first point written, counting down to 0
    int ageStart;
    bool useC0; // the span subtracts c0 (indexes 4..6) or c1 (0..3)
};
constexpr EtsRow kRows[7] = {{500, 1, 1, 150, false},  {250, 2, 2, 140, false}, {100, 5, 6, 120, false},
                             {50, 10, 11, 100, false}, {25, 20, 20, 50, true},  {10, 50, 51, 50, true},
                             {5, 100, 101, 50, true}};

int FramesFor(std::uint16_t timeBase) {
    return timeBase > 1 ? 10 : 15;
}

std::int64_t Byte(std::uint16_t word) {
    return word & 0xFF;
}

// Display neighbours' mean for every point of a stale slot; the ends take their one neighbour.
void RefillSlot(std::uint16_t* record, const EtsRow& row, int slot) {
    for (int p = 0; p < row.points; ++p) {
        const std::int64_t at = static_cast<std::int64_t>(p) * row.slots + slot;
        if (at >= kRecordPoints)
            continue;
        if (at == 0)
            record[0] = record[1];
        else if (at == kRecordPoints - 1)
            record[at] = record[at - 1];
        else
            record[at] = static_cast<std::uint16_t>((record[at - 1] + record[at + 1]) / 2);
    }
}

// Cuts the 10240-point screen record around `trigger` of the 40000-point source, the trigger
// landing at screen index o.
void CutScreen(const std::uint16_t* source, std::uint16_t* screen, std::int64_t trigger, std::int64_t o) {
    for (std::int64_t j = 0; j <= o && trigger - j >= 0; ++j)
        // At position 100 the trigger lands at o = 10240, one past the screen record.
        if (trigger - j < 40000 && o - j < 10240)
            screen[o - j] = source[trigger - j];
    for (std::int64_t j = 0; j < 10240 - o && trigger + j < 40000; ++j)
        if (trigger + j >= 0)
            screen[o + j] = source[trigger + j];
}

} // namespace
} // namespace kv::sdk

using namespace kv::sdk;
using kv::Saturate;
using kv::TruncSat;

TESSEL_API int dsoETS(uint16_t /*unused*/, const uint16_t* captureSettings, uint16_t* ch1Record,
                      uint16_t* ch2Record, const uint16_t* frames, uint16_t* ageTable,
                      const uint16_t* tdcCalibration, const uint16_t* tdcRange, uint16_t mode) {
    return Guarded(0, [&] {
        if (!captureSettings || !ch1Record || !ch2Record || !frames || !ageTable || !tdcCalibration ||
            !tdcRange)
            return 0;
        const std::uint16_t timeBase = captureSettings[2];
        if (timeBase > 6)
            return 0; // no interleave at this time base
        const EtsRow& row = kRows[timeBase];
        const std::int64_t c0 = tdcCalibration[0], c1 = tdcCalibration[1];
        const std::int64_t max = tdcRange[0], min = tdcRange[1];
        const std::int64_t span = max - min - (row.useC0 ? c0 : c1);
        if (span < 0 || (span == 0 && timeBase != 4))
            return 0;
        const double slotWidth = static_cast<double>(span) / row.slots;
        for (int f = 0; f < FramesFor(timeBase); ++f) {
            const std::uint16_t* frame = frames + static_cast<std::size_t>(f) * kFrameWords;
            const std::int64_t triggerPoint = Byte(frame[1536]) | (Byte(frame[1537]) << 8);
            std::int64_t t = Byte(frame[1546]) | (Byte(frame[1547]) << 8) | (Byte(frame[1548]) << 16) |
                             (Byte(frame[1549]) << 24);
            if (triggerPoint > 511)
                t = 0;
            double phase = 0;
            if (timeBase >= 4) {
                const std::int64_t q = t > max ? 0 : t;
                phase = static_cast<double>(q - min - c0);
            } else {
                const std::int64_t q = t > max + c0 ? 0 : t - min - c0;
                phase = static_cast<double>(q);
            }
            if (phase <= 0)
                continue;
            const double slotValue = phase / slotWidth;
            // At index 4 a span of 0 gives no slot at all; the call ends here, as any bad slot does.
            if (!std::isfinite(slotValue) || slotValue >= row.slots)
                return 1;
            const int slot = static_cast<int>(slotValue);
            std::int64_t sample = std::min<std::int64_t>(triggerPoint, 511);
            for (std::int64_t i = row.firstPoint; i >= 0; --i) {
                const std::int64_t at = i * row.slots + slot;
                if (at < kRecordPoints) {
                    ch1Record[at] = frame[sample];
                    ch2Record[at] = frame[512 + sample];
                }
                sample = sample == 0 ? 511 : sample - 1;
            }
            if (mode != 0)
                return 1;
            ageTable[slot] = static_cast<uint16_t>(row.ageStart);
            if (ageTable[kFirstFrameMarker] == kFillAllSlots) {
                for (int s = 0; s < row.slots; ++s) {
                    ageTable[s] = static_cast<uint16_t>(row.ageStart);
                    if (s == slot)
                        continue;
                    for (int p = 0; p < row.points; ++p) {
                        const std::int64_t from = static_cast<std::int64_t>(p) * row.slots + slot;
                        const std::int64_t to = static_cast<std::int64_t>(p) * row.slots + s;
                        if (from < kRecordPoints && to < kRecordPoints) {
                            ch1Record[to] = ch1Record[from];
                            ch2Record[to] = ch2Record[from];
                        }
                    }
                }
                ageTable[kFirstFrameMarker] = 0;
            } else {
                for (int s = 0; s < row.slots; ++s) {
                    const int age = ageTable[s] - 1;
                    ageTable[s] = Saturate<std::uint16_t>(age);
                    if (age < 6) {
                        ageTable[s] = static_cast<uint16_t>(row.ageStart);
                        RefillSlot(ch1Record, row, s);
                        RefillSlot(ch2Record, row, s);
                    }
                }
            }
        }
        return 1;
    });
}

TESSEL_API int dsoETSGetData(uint16_t deviceIndex, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                             uint16_t /*unused1*/, uint16_t* frames, uint16_t /*unused2*/,
                             const uint16_t* captureSettings, uint16_t /*unused3*/, uint16_t triggerPoint,
                             uint16_t sweepMode) {
    return Guarded(0, [&] {
        if (!frames || !captureSettings)
            return 0;
        auto lock = LockDevice(deviceIndex);
        const int count = FramesFor(captureSettings[2]);
        // Zeroed: the words no frame sets must not carry an earlier call's memory.
        std::vector<std::uint16_t> work(static_cast<std::size_t>(count) * kFrameWords, 0);
        const auto table1 = ScaleTable(ch1VoltsIndex), table2 = ScaleTable(ch2VoltsIndex);
        if (!dsoCaptureStart(deviceIndex))
            return 0;
        int polls = 0;
        std::vector<std::uint8_t> bytes(kFrameBytes);
        for (int f = 0; f < count; ++f) {
            for (;;) {
                if (polls >= 350)
                    return 0;
                if (polls >= 250) {
                    if (sweepMode == 1)
                        return 2;
                    if (sweepMode == 0)
                        dsoForceTrigger(deviceIndex);
                }
                std::uint32_t address = 0;
                const std::uint16_t state = dsoGetCaptureState(deviceIndex, &address);
                ++polls;
                if (state >= 4)
                    break;
            }
            if (!SendBulkCommand(deviceIndex, EncodeGetData()))
                return 0;
            const std::uint32_t packet = LinkPacketSize(deviceIndex);
            {
                OpenDevice dev(deviceIndex);
                if (!dev.IsOpen())
                    return 0;
                std::fill(bytes.begin(), bytes.end(), 0);
                for (std::uint32_t offset = 0; offset < kFrameBytes; offset += packet) {
                    // A lost packet would otherwise pass its zeros off as samples.
                    if (!BulkRead(dev.Handle(), bytes.data() + offset,
                                  std::min(packet, kFrameBytes - offset)))
                        return 0;
                }
            }
            // Bytes 0-1023: CH1 low bytes (odd) and CH2 low bytes (even) of samples 0..511; bytes
            // 1024-2047: the same pairs of the high half, whose even bytes carry bits 8-9 of both
            // channels (CH1 bits 0-1, CH2 bits 2-3); bytes 2048-2559: trailer, TDC reading in 0-3.
            std::uint16_t* frame = work.data() + static_cast<std::size_t>(f) * kFrameWords;
            std::uint8_t trailer[6];
            std::memcpy(trailer, bytes.data() + 2048, sizeof trailer);
            trailer[3] &= 0x0F;
            trailer[4] = static_cast<std::uint8_t>(triggerPoint & 0xFF);
            trailer[5] = static_cast<std::uint8_t>(triggerPoint >> 8);
            for (int k = 0; k < 512; ++k) {
                const int high = bytes[1024 + 2 * k];
                frame[k] = table1[bytes[2 * k + 1] + 256 * (high & 3)];
                frame[512 + k] = table2[bytes[2 * k] + 256 * ((high >> 2) & 3)];
            }
            frame[1536] = trailer[4];
            frame[1537] = trailer[5];
            for (int i = 0; i < 4; ++i)
                frame[1546 + i] = trailer[i];
        }
        std::copy(work.begin(), work.end(), frames);
        return 1;
    });
}

TESSEL_API void dsoSoftFindTrigger(uint16_t position, uint16_t slope, uint16_t level, int16_t* pairs,
                                   const uint16_t* source, uint16_t* screen, uint16_t /*unused*/) {
    Guarded(0, [&] {
        if (!pairs || !source || !screen)
            return 0;
        // Past 100 % the screen trigger index would run off the 10240-point output.
        const std::uint16_t p = std::min<std::uint16_t>(position, 100);
        const std::int64_t fallback = TruncSat<std::int64_t>(p * 200.0 + 10000);
        const std::int64_t o = TruncSat<std::int64_t>(p * 102.4);
        std::int64_t start = fallback < 20000 ? 10000 : fallback - 10000;
        start = std::max(start, o);
        const std::int64_t end = start >= 19960 ? 29960 : start + 10000;
        const int l = 511 - static_cast<int>(level);
        std::int64_t trigger = fallback;
        for (std::int64_t i = std::max<std::int64_t>(start, 40); i < end && i + 40 < 40000; ++i) {
            const int v = source[i], before = source[i - 40], after = source[i + 40];
            if (std::abs(v - l) > 9)
                continue;
            const bool crosses = slope == 0 ? (before < l && l < after) : (before > l && l > after);
            if (crosses) {
                trigger = i;
                break;
            }
        }
        CutScreen(source, screen, trigger, o);
        dsoChannelDataFilt(0, p, pairs, screen, 10, 0);
        return 1;
    });
}

TESSEL_API void dsoSoftFindTriggerCopy(uint16_t position, uint32_t triggerIndex, int16_t* pairs,
                                       const uint16_t* source, uint16_t* screen, uint16_t mode) {
    Guarded(0, [&] {
        if (!pairs || !source || !screen)
            return 0;
        const std::uint16_t p = std::min<std::uint16_t>(position, 100);
        const std::int64_t trigger = triggerIndex;
        if (mode == 5) {
            const std::int64_t lead = TruncSat<std::int64_t>(p * 200.0);
            const std::int64_t offset = trigger - lead + 5000;
            // Source indexes outside the 40000-point record are skipped, not read.
            const auto copy = [&](std::int64_t i) {
                if (offset + i >= 0 && offset + i < 40000)
                    screen[i] = source[offset + i];
            };
            if (trigger < lead) {
                for (std::int64_t i = 10000; i >= 0; --i)
                    copy(i);
            } else {
                for (std::int64_t i = 0; i < 10000; ++i)
                    copy(i);
            }
        } else {
            CutScreen(source, screen, trigger, TruncSat<std::int64_t>(p * 102.4));
        }
        dsoChannelDataFilt(0, p, pairs, screen, 10, 0);
        return 1;
    });
}
