// The simplified acquisition interface: thin sd wrappers over the dso exports, the level table of
// sdGetLevel, and the one-call acquisition and roll-mode steps.
#include <algorithm>
#include <array>
#include <cstdint>

#include "Driver.h"
#include "ModelConstants.h"
#include "SdInternal.h"
#include "StoredSettings.h"
#include "Tessel.h"
#include "system/Narrow.h"

namespace kv::sdk {

std::atomic<int> g_sdPollCounter{0};
std::atomic<int> g_sdAlternateToggle{0};

void ResetSdState() {
    g_sdPollCounter = 0;
    g_sdAlternateToggle = 0;
}

namespace {

constexpr std::uint32_t kSdGroundLength = 524288;
constexpr std::uint16_t kSweepAuto = 0, kSweepNormal = 1, kSweepSingle = 2;

// Trigger DAC pairs (low, high) by the volts/div index of the trigger channel.
constexpr std::array<std::array<std::uint16_t, 2>, 10> kTriggerPairsCh1{{{1250, 1409},
                                                                         {1237, 1681},
                                                                         {635, 1686},
                                                                         {710, 2902},
                                                                         {1252, 1648},
                                                                         {631, 1652},
                                                                         {712, 2805},
                                                                         {1231, 1666},
                                                                         {651, 1649},
                                                                         {685, 2733}}};
constexpr std::array<std::array<std::uint16_t, 2>, 10> kTriggerPairsCh2{{{1237, 1397},
                                                                         {1234, 1672},
                                                                         {607, 1693},
                                                                         {731, 2824},
                                                                         {1219, 1655},
                                                                         {634, 1620},
                                                                         {626, 2868},
                                                                         {1227, 1631},
                                                                         {584, 1642},
                                                                         {628, 2765}}};

// Level-table entries 40..65 that sdGetLevel writes after the stored table: the trigger pair,
// two words, the pair (170, 30) seven times, three pairs and the closing (4095, 0).
// clang-format off
constexpr std::array<std::uint16_t, 26> kLevelTail{
    712, 2805, 2202, 242,                                         // 40..43
    170, 30, 170, 30, 170, 30, 170, 30, 170, 30, 170, 30, 170, 30, // 44..57
    160, 30, 180, 40, 180, 90, 4095, 0};                          // 58..65
// clang-format on

bool ValidVolts(std::uint16_t v) {
    return v <= 9;
}

std::uint16_t LevelCode(std::uint16_t level) {
    return Saturate<std::uint16_t>(511 - static_cast<int>(level));
}

} // namespace
} // namespace kv::sdk

using namespace kv::sdk;

TESSEL_API int sdSearchDevice(uint16_t deviceIndex) {
    return dsoSearchDevice(deviceIndex);
}

TESSEL_API int sdSetVoltageAndCoupling(uint16_t deviceIndex, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                                       uint16_t ch1Coupling, uint16_t ch2Coupling,
                                       const uint16_t* captureSettings) {
    return dsoSetVoltageAndCoupling(deviceIndex, ch1VoltsIndex, ch2VoltsIndex, ch1Coupling, ch2Coupling,
                                    captureSettings);
}

TESSEL_API int sdCurrentTriggerLevel(uint16_t triggerSource, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                                     uint16_t* levels) {
    if (!levels)
        return 0;
    if (triggerSource == 0) {
        const auto& pair = ValidVolts(ch1VoltsIndex) ? kTriggerPairsCh1[ch1VoltsIndex] : kTriggerPairsCh1[6];
        levels[40] = pair[0];
        levels[41] = pair[1];
    } else if (triggerSource == 1) {
        const auto& pair = ValidVolts(ch2VoltsIndex) ? kTriggerPairsCh2[ch2VoltsIndex] : kTriggerPairsCh2[6];
        levels[40] = pair[0];
        levels[41] = pair[1];
    } else if (triggerSource > 2) {
        levels[40] = 497;
        levels[41] = 3085;
    }
    return 1;
}

TESSEL_API int sdSetOffset(uint16_t deviceIndex, const uint16_t* positions, uint16_t ch1VoltsIndex,
                           uint16_t ch2VoltsIndex, uint16_t triggerSource, uint16_t* levels) {
    return Guarded(0, [&] {
        // Checked before the trigger pair is written, so a refused call leaves the table as it was.
        if (deviceIndex > 3 || !positions || !levels || !ValidVolts(ch1VoltsIndex) ||
            !ValidVolts(ch2VoltsIndex) || triggerSource > 4)
            return 0;
        auto lock = LockDevice(deviceIndex);
        sdCurrentTriggerLevel(triggerSource, ch1VoltsIndex, ch2VoltsIndex, levels);
        return dsoSetOffset(deviceIndex, positions, ch1VoltsIndex, ch2VoltsIndex, triggerSource, levels);
    });
}

TESSEL_API int sdSetTriggerAndSampleRate(uint16_t deviceIndex, uint16_t triggerValue, uint16_t overrideFlag,
                                         uint16_t* captureSettings, uint16_t flagB, uint16_t twoBitValue,
                                         uint32_t value) {
    return Guarded(0, [&] {
        if (deviceIndex > 3 || !captureSettings)
            return 0;
        auto lock = LockDevice(deviceIndex);
        dsoSetTriggerAndSampleRate(deviceIndex, triggerValue, overrideFlag, captureSettings, 0, flagB,
                                   twoBitValue, value);
        dsoSetTriggerAndSampleRate2(deviceIndex, triggerValue, overrideFlag, captureSettings);
        return dsoSetTriggerAndSampleRate3(deviceIndex, triggerValue, overrideFlag, captureSettings);
    });
}

TESSEL_API int sdSetFilt(uint16_t deviceIndex, const uint16_t* triggerFilter) {
    if (!triggerFilter)
        return 0;
    return dsoSetFilt(deviceIndex, triggerFilter[0], triggerFilter[1], triggerFilter[2]);
}

TESSEL_API int sdCaptureStart(uint16_t deviceIndex) {
    return dsoCaptureStart(deviceIndex);
}
TESSEL_API int sdTriggerEnabled(uint16_t deviceIndex) {
    return dsoTriggerEnabled(deviceIndex);
}
TESSEL_API int sdForceTrigger(uint16_t deviceIndex) {
    return dsoForceTrigger(deviceIndex);
}

TESSEL_API int sdGetLevel(uint16_t deviceIndex, uint16_t* levels) {
    return Guarded(0, [&] {
        if (deviceIndex > 3 || !levels)
            return 0;
        auto lock = LockDevice(deviceIndex);
        std::array<std::uint8_t, 80> stored{};
        const bool ok = ReadStoredBytes(deviceIndex, kAddressLevelTable, stored.data(), 80);
        // A failed read must not overwrite the caller's table with bytes the device never sent.
        if (ok) {
            for (int i = 0; i < 40; ++i)
                levels[i] =
                    static_cast<std::uint16_t>(std::min<int>(stored[2 * i], 50) * 256 + stored[2 * i + 1]);
        }
        std::copy(kLevelTail.begin(), kLevelTail.end(), levels + 40);
        return ok ? 1 : 0;
    });
}

TESSEL_API int sdChannelInGND(uint16_t level, uint16_t* record) {
    if (!record)
        return 0;
    std::fill(record, record + kSdGroundLength, LevelCode(level));
    return 1;
}

TESSEL_API int sdDisplayScrollData(uint16_t* display, const uint16_t* levels, uint8_t ch1Flag,
                                   uint8_t ch2Flag, uint16_t newValue, uint16_t channel) {
    if (!display || !levels)
        return 0;
    std::copy(display + 1, display + 500, display);
    if (channel == 1 && ch1Flag)
        display[499] = LevelCode(levels[0]);
    else if (channel == 2 && ch2Flag)
        display[499] = LevelCode(levels[1]);
    else
        display[499] = newValue;
    return 1;
}

TESSEL_API int sdGetData(uint16_t deviceIndex, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                         uint16_t* ch1Record, uint16_t* ch2Record, uint16_t* captureSettings,
                         const uint16_t* triggerFilter, const uint16_t* positions, uint16_t* levels,
                         uint32_t rearm, uint16_t flagB, uint16_t twoBitValue, uint32_t value) {
    return Guarded(0, [&] {
        if (deviceIndex > 3 || !ch1Record || !ch2Record || !captureSettings || !triggerFilter || !positions ||
            !levels)
            return 0;
        auto lock = LockDevice(deviceIndex);
        std::uint32_t triggerAddress = 0;
        const std::uint16_t state = dsoGetCaptureState(deviceIndex, &triggerAddress);
        const std::uint16_t sweep = triggerFilter[3];
        if (state < 2) {
            if (sweep == kSweepAuto) {
                // No capture under way (the first call after the settings): start and arm one as
                // normal sweep does, or there would be nothing for the forced trigger to complete.
                if (state == 0) {
                    dsoCaptureStart(deviceIndex);
                    dsoTriggerEnabled(deviceIndex);
                }
                if (++g_sdPollCounter > 3) {
                    g_sdPollCounter = 4;
                    dsoForceTrigger(deviceIndex);
                }
                return 0;
            }
            if (sweep == kSweepSingle) {
                if (rearm != 0)
                    dsoTriggerEnabled(deviceIndex);
                return 0;
            }
            if (sweep == kSweepNormal)
                dsoCaptureStart(deviceIndex);
            // Any other sweep value goes on to the read at once.
        } else if (state < 4) {
            return 0;
        }

        if (captureSettings[6] == 1) {
            const bool slow = captureSettings[2] >= 11;
            if (g_sdAlternateToggle.fetch_xor(1) == 0) {
                captureSettings[1] = slow ? 2 : 0;
                captureSettings[0] = 0;
            } else {
                captureSettings[1] = slow ? 2 : 3;
                captureSettings[0] = 1;
            }
            sdSetOffset(deviceIndex, positions, ch1VoltsIndex, ch2VoltsIndex, captureSettings[0], levels);
            sdSetTriggerAndSampleRate(deviceIndex, triggerFilter[4], 0, captureSettings, flagB, twoBitValue,
                                      value);
            dsoSetTriggerAndSampleRate2(deviceIndex, triggerFilter[4], 0, captureSettings);
            dsoSetTriggerAndSampleRate3(deviceIndex, triggerFilter[4], 0, captureSettings);
            sdSetFilt(deviceIndex, triggerFilter);
        }

        if (state < 2 && sweep == kSweepNormal) {
            dsoCaptureStart(deviceIndex);
            dsoTriggerEnabled(deviceIndex);
            return 0;
        }

        const std::uint16_t read =
            dsoGetChannelData(deviceIndex, ch1VoltsIndex, ch2VoltsIndex, captureSettings[3], ch1Record,
                              ch2Record, captureSettings, triggerAddress);
        dsoCaptureStart(deviceIndex);
        g_sdPollCounter = 0;
        if (sweep != kSweepSingle)
            dsoTriggerEnabled(deviceIndex);
        // The read's own result: a refused or failed read leaves the buffers stale, and the
        // client must not process them as a new record.
        return read ? 1 : 0;
    });
}

TESSEL_API int sdGetScrollData(uint16_t deviceIndex, uint16_t* captureSettings, const uint16_t* levels,
                               double* timing, uint16_t ch1VoltsIndex, uint16_t ch2VoltsIndex,
                               uint16_t* ch1Record, uint16_t* ch2Record, uint16_t* ch1Display,
                               uint16_t* ch2Display, uint16_t trailerValue, uint8_t ch1Flag,
                               uint8_t ch2Flag) {
    return Guarded(0, [&] {
        if (deviceIndex > 3 || !captureSettings || !levels || !timing || !ch1Record || !ch2Record ||
            !ch1Display || !ch2Display)
            return 0;
        auto lock = LockDevice(deviceIndex);
        // timing: [0] current time, [1] interval, [2] next due time, [3] started flag.
        if (timing[3] != 1.0) {
            timing[2] = timing[0];
            timing[3] = 1.0;
            return 1;
        }
        const double step = timing[1] / 50.0;
        if (timing[2] + step < timing[0]) {
            sdSetTriggerAndSampleRate(deviceIndex, 0, 0, captureSettings, 0, 0, 2);
            std::uint32_t triggerAddress = 0;
            dsoGetCaptureState(deviceIndex, &triggerAddress);
            dsoGetChannelData(deviceIndex, ch1VoltsIndex, ch2VoltsIndex, trailerValue, ch1Record, ch2Record,
                              captureSettings, triggerAddress);
            dsoCaptureStart(deviceIndex);
            dsoForceTrigger(deviceIndex);
            sdDisplayScrollData(ch1Display, levels, ch1Flag, ch2Flag, ch1Record[0], 1);
            sdDisplayScrollData(ch2Display, levels, ch1Flag, ch2Flag, ch2Record[0], 2);
            timing[2] += step;
        }
        return 1;
    });
}
