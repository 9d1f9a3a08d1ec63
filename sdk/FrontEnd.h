#pragma once
// The front-end words: gain bits, relay masks, offset DACs, filter switches, the sample clock,
// trigger flags and record positions, each packet built in exactly one function. An encoder gives
// false (and leaves `out` alone) for arguments whose words are not defined.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kv::sdk {

constexpr std::uint8_t kRequestOffset = 0xB4;
constexpr std::uint8_t kRequestRelays = 0xB5;
constexpr std::uint8_t kRequestTdcCalibration = 0xBC;
constexpr std::uint32_t kFrontEndRequestLength = 17;

constexpr std::uint16_t kMaxVoltsIndex = 9;
constexpr std::uint16_t kMaxTimeBaseIndex = 38;
constexpr std::uint16_t kMaxTriggerSource = 4;

using FrontEndRequest = std::array<std::uint8_t, kFrontEndRequestLength>;

// Gain bit of command 0x07 by volts/div index 0..9.
int GainBit(std::uint16_t voltsIndex);
// Sample-clock counter and (r, s) flags of command 0x0C by time-base index and selector.
struct SampleClock {
    std::uint16_t counter = 0;
    std::uint8_t flags = 0; // r << 1 | s
};
SampleClock SampleClockFor(std::uint16_t timeBase, std::uint16_t selector, std::uint16_t overrideFlag);
// Bit 0 of byte 2 of command 0x0E.
int TimeBaseFlag(std::uint16_t timeBase, std::uint16_t selector, std::uint16_t channelSelector,
                 std::uint16_t triggerSource);
// Wire code of the trigger source 0..4 (bits 3-4 of byte 2 of command 0x0E).
int TriggerSourceCode(std::uint16_t triggerSource);
// DAC value lo + (hi - lo) x (511 - p) / 511 with p clamped to 0..511, held inside 0..4095.
int InterpolateDac(std::uint16_t lo, std::uint16_t hi, std::uint16_t position);
// Record positions A and B of command 0x0D.
struct RecordPositions {
    std::uint32_t a = 0;
    std::uint32_t b = 0;
};
bool PositionsFor(std::uint16_t memoryCode, std::uint16_t triggerPosition, RecordPositions& out);

// Command 0x00: filter switches.
std::vector<std::uint8_t> EncodeFilter(std::uint16_t a, std::uint16_t b, std::uint16_t c);
// Command 0x07: gain bits. `settings` is the capture settings block.
bool EncodeGainBits(std::uint16_t ch1Volts, std::uint16_t ch2Volts, const std::uint16_t* settings,
                    std::vector<std::uint8_t>& out);
// Request 0xB5: relay masks.
bool EncodeRelays(std::uint16_t ch1Volts, std::uint16_t ch2Volts, std::uint16_t ch1Coupling,
                  std::uint16_t ch2Coupling, std::uint16_t triggerSource, FrontEndRequest& out);
// Request 0xB4: the three offset DACs from the positions array and the level table.
bool EncodeOffsets(const std::uint16_t* positions, std::uint16_t ch1Volts, std::uint16_t ch2Volts,
                   std::uint16_t triggerSource, const std::uint16_t* levels, FrontEndRequest& out);
// Command 0x0E: trigger and time-base flags and the 32-bit value.
bool EncodeTriggerAndRate(std::uint16_t triggerValue, std::uint16_t overrideFlag,
                          const std::uint16_t* settings, std::uint16_t flagA, std::uint16_t flagB,
                          std::uint16_t twoBit, std::uint32_t value, std::vector<std::uint8_t>& out);
// Command 0x0C: sample-clock counter.
bool EncodeSampleClock(std::uint16_t overrideFlag, const std::uint16_t* settings,
                       std::vector<std::uint8_t>& out);
// Command 0x0D: pre- and post-trigger record positions.
bool EncodeRecordPositions(const std::uint16_t* settings, std::vector<std::uint8_t>& out);
// Request 0xBC: TDC calibration value.
FrontEndRequest EncodeTdcCalibration(std::uint16_t value);
// Command 0x0B: TDC select.
std::vector<std::uint8_t> EncodeTdcSelect(std::uint16_t value);
// Command 0x0A: TDC count request.
std::vector<std::uint8_t> EncodeGetTdcData();
// Reply of 0x0A: bytes 0-3 LE with bits 29-31 cleared. False when shorter than four bytes.
bool DecodeTdcCount(const std::uint8_t* reply, std::size_t length, std::uint32_t& count);

} // namespace kv::sdk
