#include "simulator/SimInstrument.h"

#include <algorithm>
#include <cmath>

namespace kv::sim {
namespace {

// Stored level table at address 8: CH1 ranges 0-9 then CH2 ranges 0-9, (low, high) DAC values,
// each u16 high byte first.
constexpr std::uint32_t kLevelTableAddress = 8;
constexpr int kDefaultLevelLow = 700;
constexpr int kDefaultLevelHigh = 2800;

int AttenuatorClassOf(int voltsIndex) {
    return voltsIndex <= 3 ? 0 : (voltsIndex <= 6 ? 1 : 2);
}
int GainBitOf(int voltsIndex) {
    return (voltsIndex == 0 || voltsIndex == 1 || voltsIndex == 4 || voltsIndex == 7) ? 1 : 0;
}

} // namespace

SimInstrument::SimInstrument() : m_memory(kMemorySize, 0) {
    for (int i = 0; i < 40; ++i) {
        const int v = (i % 2 == 0) ? kDefaultLevelLow : kDefaultLevelHigh;
        m_memory[kLevelTableAddress + 2 * i] = static_cast<std::uint8_t>(v >> 8);
        m_memory[kLevelTableAddress + 2 * i + 1] = static_cast<std::uint8_t>(v & 0xFF);
    }
    m_signal[1].amplitude = 0.5;
    m_signal[1].frequency = 2000.0;
}

bool SimInstrument::ReadMemory(std::uint32_t address, std::uint8_t* out, std::uint32_t length) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (address > kMemorySize || length > kMemorySize - address || (length != 0 && !out))
        return false;
    std::copy_n(m_memory.begin() + address, length, out);
    return true;
}

bool SimInstrument::WriteMemory(std::uint32_t address, const std::uint8_t* data, std::uint32_t length) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (address > kMemorySize || length > kMemorySize - address || (length != 0 && !data))
        return false;
    std::copy_n(data, length, m_memory.begin() + address);
    return true;
}

void SimInstrument::SetVoltsIndex(int channel, int index) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_volts[channel & 1] = std::clamp(index, 0, 9);
}

int SimInstrument::VoltsIndex(int channel) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_volts[channel & 1];
}

void SimInstrument::SetFrontEnd(int channel, int attenuatorClass, int gainBit) {
    std::lock_guard<std::mutex> lock(m_mutex);
    int& v = m_volts[channel & 1];
    if (AttenuatorClassOf(v) == attenuatorClass && GainBitOf(v) == gainBit)
        return;
    for (int i = 0; i <= 9; ++i) {
        if (AttenuatorClassOf(i) == attenuatorClass && GainBitOf(i) == gainBit) {
            v = i;
            return;
        }
    }
}

void SimInstrument::SetCoupling(int channel, int coupling) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_coupling[channel & 1] = std::clamp(coupling, 0, 2);
}

int SimInstrument::Coupling(int channel) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_coupling[channel & 1];
}

void SimInstrument::SetTimeBaseIndex(int index) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_timeBase = std::clamp(index, 0, 38);
    m_roll = m_timeBase > 25;
}

int SimInstrument::TimeBaseIndex() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_timeBase;
}

void SimInstrument::SetRollMode(bool roll) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_roll = roll;
}

bool SimInstrument::RollMode() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_roll;
}

void SimInstrument::SetMemoryCode(int code) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (code >= 1 && code <= 3)
        m_memoryCode = code;
}

int SimInstrument::MemoryCode() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_memoryCode;
}

std::uint32_t SimInstrument::RecordLength() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_roll)
        return 256;
    return m_memoryCode == 2 ? 524288u : (m_memoryCode == 3 ? 512u : 10240u);
}

void SimInstrument::SetTriggerSource(int source) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_triggerSource = source;
}

void SimInstrument::SetSignal(int channel, const SimSignal& signal) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_signal[channel & 1] = signal;
}

void SimInstrument::SetSampleFunction(SampleFn fn) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sampleFn = std::move(fn);
}

void SimInstrument::CaptureStart() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state = m_ets ? 2 : 1;
    m_polls = 0;
    ++m_captureStarts;
}

void SimInstrument::SetEtsMode(bool on) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ets = on;
}

bool SimInstrument::EtsMode() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_ets;
}

void SimInstrument::DataRead() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_ets) {
        m_state = 2;
        m_polls = 0;
    }
}

void SimInstrument::ArmTrigger() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_state == 1) {
        m_state = 2;
        m_polls = 0;
    }
}

void SimInstrument::ForceTrigger() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_state == 2 || m_state == 3) {
        if (m_state == 2)
            Trigger();
        m_state = 4;
    }
}

void SimInstrument::Trigger() {
    const std::uint32_t length =
        m_roll ? 256u : (m_memoryCode == 2 ? 524288u : (m_memoryCode == 3 ? 512u : 10240u));
    if (m_fixedTrigger) {
        m_trigger = *m_fixedTrigger;
    } else {
        m_seed = m_seed * 1103515245u + 12345u;
        m_trigger = (m_seed >> 8) % length;
    }
}

std::uint8_t SimInstrument::PollCaptureState(std::uint32_t& triggerAddress) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::uint8_t state = m_state;
    triggerAddress = state >= 3 ? m_trigger : 0;
    if (m_state == 2) {
        ++m_polls;
        if (m_pollsToTrigger > 0 && m_polls >= m_pollsToTrigger) {
            Trigger();
            m_state = 3;
        }
    } else if (m_state == 3) {
        m_state = 4;
    }
    return state;
}

std::uint8_t SimInstrument::CaptureState() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state;
}

void SimInstrument::SetPollsToTrigger(int polls) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pollsToTrigger = std::max(polls, 0);
}

void SimInstrument::SetTriggerAddress(std::optional<std::uint32_t> address) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fixedTrigger = address;
}

std::uint32_t SimInstrument::LastTriggerAddress() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_trigger;
}

double SimInstrument::GainFactor(int voltsIndex) {
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
    default:
        return 0.56;
    }
}

double SimInstrument::VoltsPerDivision(int voltsIndex) {
    static const double table[10] = {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0};
    return table[std::clamp(voltsIndex, 0, 9)];
}

double SimInstrument::SecondsPerDivision(int timeBaseIndex) {
    if (timeBaseIndex >= 38)
        return 3600.0;
    // 1-2-5 steps from 2 ns: 2, 5, 10, 20, 50, 100, ...
    static const double mantissa[3] = {2.0, 5.0, 10.0};
    const int i = std::clamp(timeBaseIndex, 0, 37);
    return mantissa[i % 3] * std::pow(10.0, i / 3) * 1e-9;
}

std::uint16_t SimInstrument::RawSample(int channel, std::uint32_t k, std::uint32_t length,
                                       std::uint32_t trigger) const {
    if (m_sampleFn)
        return m_sampleFn(channel, k, length, trigger);
    const int ch = channel & 1;
    const SimSignal& s = m_signal[ch];
    double volts = 0.0;
    if (m_coupling[ch] != 2) {
        // The record spans ten divisions; the trigger channel crosses zero upwards at the trigger.
        const double dt = SecondsPerDivision(m_timeBase) * 10.0 / 10240.0;
        const double t = (static_cast<double>(k) - static_cast<double>(trigger)) * dt;
        const double phase = 2.0 * 3.14159265358979323846 * s.frequency * t;
        const double wave = s.square ? (std::sin(phase) >= 0.0 ? 1.0 : -1.0) : std::sin(phase);
        volts = s.amplitude * wave + (m_coupling[ch] == 1 ? 0.0 : s.offset);
    }
    // 32 display codes per division around code 256, before the library's per-range gain.
    const double display = kMidCode + volts / VoltsPerDivision(m_volts[ch]) * 32.0;
    const double raw = display / GainFactor(m_volts[ch]);
    return static_cast<std::uint16_t>(std::clamp(raw, 0.0, 1023.0));
}

std::vector<std::uint8_t> SimInstrument::RecordStream() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::uint32_t d =
        m_roll ? 256u : (m_memoryCode == 2 ? 524288u : (m_memoryCode == 3 ? 512u : 10240u));
    const std::uint32_t trigger = m_trigger % d;
    std::vector<std::uint8_t> stream(4u * d, 0);
    for (std::uint32_t k = 0; k < d; ++k) {
        const std::uint16_t a = RawSample(0, k, d, trigger) & 0x3FF;
        const std::uint16_t b = RawSample(1, k, d, trigger) & 0x3FF;
        // Low bytes: CH2 then CH1 per point; high half: CH1 bits 8-9 in bits 0-1, CH2 bits 8-9
        // in bits 2-3. The upper nibble and the second byte carry noise the reader must ignore.
        stream[2 * k] = static_cast<std::uint8_t>(b & 0xFF);
        stream[2 * k + 1] = static_cast<std::uint8_t>(a & 0xFF);
        stream[2 * d + 2 * k] = static_cast<std::uint8_t>(0xA0 | (a >> 8) | ((b >> 8) << 2));
        stream[2 * d + 2 * k + 1] = 0x5A;
    }
    return stream;
}

void SimInstrument::SetLogicValue(std::uint8_t v) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_logic = v;
}
std::uint8_t SimInstrument::LogicValue() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_logic;
}
void SimInstrument::SetTdcCount(std::uint32_t count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tdcCount = count;
}
std::uint32_t SimInstrument::TdcCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_tdcCount;
}
void SimInstrument::SetTdcSelect(int value) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tdcSelect = value;
}
int SimInstrument::TdcSelect() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_tdcSelect;
}
void SimInstrument::SetTdcCalibration(int value) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tdcCal = value;
}
int SimInstrument::TdcCalibration() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_tdcCal;
}

} // namespace kv::sim
