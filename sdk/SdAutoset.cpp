// Autoset: for each enabled channel the least sensitive volts/div range at which the signal
// exceeds 128 codes peak to peak, and a time base from the period that the TDC measures.
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "Driver.h"
#include "ModelConstants.h"
#include "SdInternal.h"
#include "Tessel.h"
#include "system/Clock.h"

namespace kv::sdk {

std::atomic<SleepFunction> g_sdSleep{&kv::SleepMs};

namespace {

constexpr std::uint32_t kAutosetWorkLength = 32780;
constexpr int kAmplitudeEnough = 128;
constexpr std::uint16_t kFirstTrialTimeBase = 11;
constexpr std::uint16_t kSecondTrialTimeBase = 19;

void Wait(std::uint32_t ms) {
    if (SleepFunction sleep = g_sdSleep.load())
        sleep(ms);
}

// Autoset block: [0] channel picking the time base, [1]/[2] volts index, [3]/[4] time-base
// index, [5]/[6] ground flags, [7]/[8] enabled flags (CH1/CH2).
struct ChannelPass {
    int channel;        // 0 = CH1, 1 = CH2
    int smallThreshold; // average amplitude below which the signal counts as absent
};

class Autoset {
public:
    Autoset(std::uint16_t deviceIndex, std::uint16_t* settings, std::uint16_t* block,
            const std::uint16_t* filter, std::uint16_t* positions, std::uint16_t* levels)
        : m_dev(deviceIndex), m_settings(settings), m_block(block), m_filter(filter), m_positions(positions),
          m_levels(levels) {
        // A deep record-length selector makes the trial reads write 2 x D + 4 words per channel;
        // records sized for the 10240-point record alone would be overrun.
        const std::size_t length =
            std::max<std::size_t>(kAutosetWorkLength, std::size_t{TrailerIndex(settings[5])} + 4u);
        m_work[0].assign(length, 0);
        m_work[1].assign(length, 0);
    }

    int Run() {
        const std::uint16_t savedSelector = m_settings[1];
        m_settings[1] = 2;
        std::fill(m_positions, m_positions + 5, static_cast<std::uint16_t>(AutosetStartPosition()));
        m_block[1] = 6;
        m_block[2] = 6;
        m_block[3] = 9;
        m_block[4] = 9;
        m_settings[6] = 0;
        m_settings[3] = 0;
        if (m_block[7] != 0)
            RunChannel({0, 10});
        if (m_block[8] != 0)
            RunChannel({1, 20});
        const std::uint16_t last = AutosetFinalTriggerPosition();
        const std::array<std::uint16_t, 5> final{128, 384, 128, 384, last};
        std::copy(final.begin(), final.end(), m_positions);
        m_settings[1] = savedSelector;
        return 1;
    }

private:
    std::uint16_t& Range(int ch) { return m_block[1 + ch]; }
    std::uint16_t& TimeBase(int ch) { return m_block[3 + ch]; }

    void SendRate() { sdSetTriggerAndSampleRate(m_dev, m_filter[4], 0, m_settings, 0, 0, 2); }

    void RunChannel(const ChannelPass& pass) {
        const int ch = pass.channel;
        m_settings[0] = static_cast<std::uint16_t>(ch);
        m_settings[2] = kFirstTrialTimeBase;
        SendRate();
        sdSetFilt(m_dev, m_filter);
        sdSetOffset(m_dev, m_positions, 6, 6, m_settings[0], m_levels);
        Range(ch) = 9;
        TimeBase(ch) = 9;
        for (;;) {
            const int a1 = Trial(ch, kFirstTrialTimeBase);
            const int a2 = Trial(ch, kSecondTrialTimeBase);
            const int average = (a1 + a2) / 2;
            if (Range(ch) == 0 && average < pass.smallThreshold) {
                Range(ch) = 6;
                TimeBase(ch) = 13;
                m_foundSmall = true;
                break;
            }
            if (a1 > kAmplitudeEnough || a2 > kAmplitudeEnough)
                break;
            if (Range(ch) == 0)
                break;
            --Range(ch);
        }
        if (m_block[0] == ch && !m_foundSmall)
            sdAutosetPickTimeBase(m_dev, &TimeBase(ch));
    }

    // One trial capture at the current ranges; the peak-to-peak amplitude of the channel.
    int Trial(int ch, std::uint16_t timeBase) {
        m_settings[2] = timeBase;
        dsoSetVoltageAndCoupling(m_dev, m_block[1], m_block[2], 1, 1, m_settings);
        sdSetOffset(m_dev, m_positions, m_block[1], m_block[2], m_settings[0], m_levels);
        SendRate();
        sdSetFilt(m_dev, m_filter);
        sdCaptureStart(m_dev);
        sdTriggerEnabled(m_dev);
        sdForceTrigger(m_dev);
        Wait(20);
        std::uint32_t triggerAddress = 0;
        dsoGetCaptureState(m_dev, &triggerAddress);
        dsoGetChannelData(m_dev, m_block[1], m_block[2], 0, m_work[0].data(), m_work[1].data(), m_settings,
                          triggerAddress);
        sdCaptureStart(m_dev);
        sdTriggerEnabled(m_dev);
        std::vector<std::uint16_t>& work = m_work[ch];
        // A grounded channel reads as its zero line. Only the work record is filled: the
        // 524288-point ground helper would run far past it.
        if (m_block[5 + ch] != 0)
            std::fill(work.begin(), work.end(), AutosetGroundCode());
        std::uint16_t extremes[2] = {0, 0};
        return dsoGetAmplitude(extremes, work.data());
    }

    std::uint16_t m_dev;
    std::uint16_t* m_settings;
    std::uint16_t* m_block;
    const std::uint16_t* m_filter;
    std::uint16_t* m_positions;
    std::uint16_t* m_levels;
    std::array<std::vector<std::uint16_t>, 2> m_work;
    // Shared by both channels: a small CH1 signal also stops CH2's time-base pick.
    bool m_foundSmall = false;
};

} // namespace

std::uint16_t TimeBaseForPeriod(double x) {
    // Lower bound of each band and its time-base index; below the first bound the index is 1.
    static const std::array<std::pair<double, std::uint16_t>, 23> bands{
        {{1e-8, 2},  {2e-8, 3},  {4e-8, 4},  {1e-7, 5},  {2e-7, 6},  {4e-7, 7},  {1e-6, 8},  {2e-6, 9},
         {4e-6, 10}, {1e-5, 11}, {2e-5, 12}, {4e-5, 13}, {1e-4, 14}, {2e-4, 15}, {4e-4, 16}, {1e-3, 17},
         {2e-3, 18}, {4e-3, 19}, {0.01, 20}, {0.02, 21}, {0.04, 22}, {0.1, 23},  {0.2, 24}}};
    std::uint16_t index = 1;
    for (const auto& band : bands) {
        // The last band starts above 0.2; every other band starts at its bound.
        const bool in = band.second == 24 ? x > band.first : x >= band.first;
        if (in)
            index = band.second;
    }
    return index;
}

int sdAutosetPickTimeBase(std::uint16_t deviceIndex, std::uint16_t* timeBaseIndex) {
    if (deviceIndex > 3 || !timeBaseIndex)
        return 0;
    auto lock = LockDevice(deviceIndex);
    dsoSetTDCSel(deviceIndex, 0);
    dsoCaptureStart(deviceIndex);
    Wait(600);
    std::uint32_t n = 0;
    dsoGetTDCData(deviceIndex, &n);
    if (n < 3) {
        *timeBaseIndex = 13;
    } else {
        const double x = (1.0 / (2.0 * static_cast<double>(n))) * 4.5 / 10.0;
        *timeBaseIndex = TimeBaseForPeriod(x);
    }
    dsoSetTDCSel(deviceIndex, 1);
    return 1;
}

} // namespace kv::sdk

using namespace kv::sdk;

TESSEL_API int sdAutoset(uint16_t deviceIndex, uint16_t* captureSettings, uint16_t* autosetBlock,
                         const uint16_t* triggerFilter, uint16_t* positions, uint16_t* levels) {
    return Guarded(0, [&] {
        if (deviceIndex > 3 || !captureSettings || !autosetBlock || !triggerFilter || !positions || !levels)
            return 0;
        auto lock = LockDevice(deviceIndex);
        return Autoset(deviceIndex, captureSettings, autosetBlock, triggerFilter, positions, levels).Run();
    });
}
