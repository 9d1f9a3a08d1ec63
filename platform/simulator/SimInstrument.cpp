#include "simulator/SimInstrument.h"

#include <algorithm>
#include <cmath>

#include "scale/VerticalScale.h"
#include "timebase/TimeBaseTable.h"

namespace kv::sim {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Stored settings: the level table at 8 (CH1 ranges 0-9 then CH2 ranges 0-9, (low, high) DAC
// values, each u16 high byte first), the TDC calibration value at 100 and the TDC values at 112
// (u16 little-endian each).
constexpr std::uint32_t kLevelTableAddress = 8;
constexpr std::uint32_t kTdcCalAddress = 100;
constexpr std::uint32_t kTdcValuesAddress = 112;

// The offset DAC sets the raw code of 0 V: (4095 - DAC) / 4.
constexpr int kDacFull = 4095;
constexpr double kDacPerRawCode = 4.0;
constexpr int kTopPosition = 511;
constexpr int kTopRaw = 1023;

// Samples per division of the 10240-point record on a counted clock.
constexpr double kSamplesPerDivision = 1000.0;
// The roll stream gives one new point per fiftieth of a division at 1 s/div.
constexpr int kRollStep = 26;
constexpr double kRollPointsPerDivision = 50.0;
constexpr std::uint32_t kRollPoints = 256;

// Pretrigger samples of the rate command's record positions: B = 524287 - p x factor, the
// factor by memory code 1, 2, 3.
constexpr std::uint32_t kPositionBase = 524287;
constexpr double kPositionFactor[4] = {0.0, 102.4, 5242.88, 5.12};

// Synthesis: the sine is stepped by rotation and taken exactly again every so many samples, so
// rounding cannot build up; records are made in blocks of this many ring positions.
constexpr std::uint32_t kResync = 256;
constexpr std::uint32_t kBlock = 4096;

int AttenuatorClassOf(int voltsIndex) {
    return voltsIndex <= 3 ? 0 : (voltsIndex <= 6 ? 1 : 2);
}
int GainBitOf(int voltsIndex) {
    return (voltsIndex == 0 || voltsIndex == 1 || voltsIndex == 4 || voltsIndex == 7) ? 1 : 0;
}

void Put16(std::vector<std::uint8_t>& memory, std::uint32_t at, int value) {
    memory[at] = static_cast<std::uint8_t>(value & 0xFF);
    memory[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

// Packs raw codes of points [first, first + n) of a D-point record into the stream: bytes 2k and
// 2k + 1 the CH2 and CH1 low bytes, byte 2D + 2k CH1 bits 8-9 in bits 0-1 and CH2 bits 8-9 in
// bits 2-3. The upper nibble and the second byte carry noise the reader must ignore.
void Pack(std::uint8_t* stream, std::uint32_t d, std::uint32_t first, std::uint32_t n, const std::uint16_t* a,
          const std::uint16_t* b) {
    std::uint8_t* low = stream + 2 * static_cast<std::size_t>(first);
    std::uint8_t* high = stream + 2 * static_cast<std::size_t>(d) + 2 * static_cast<std::size_t>(first);
    for (std::uint32_t i = 0; i < n; ++i) {
        const unsigned x = a[i] & 0x3FFu, y = b[i] & 0x3FFu;
        low[2 * i] = static_cast<std::uint8_t>(y);
        low[2 * i + 1] = static_cast<std::uint8_t>(x);
        high[2 * i] = static_cast<std::uint8_t>(0xA0u | (x >> 8) | ((y >> 8) << 2));
        high[2 * i + 1] = 0x5A;
    }
}

} // namespace

SimInstrument::SimInstrument(SimModel model) : m_model(model), m_memory(kMemorySize, 0) {
    // Level pairs per range: the high value puts 0 V at the bottom (position 0), the low one at
    // the top (position 511) once the client's gain factor for the range is applied.
    for (int ch = 0; ch < 2; ++ch) {
        for (int r = 0; r < 10; ++r) {
            const int low =
                kDacFull - static_cast<int>(std::lround(kDacPerRawCode * kTopPosition / GainFactor(r)));
            const std::uint32_t at = kLevelTableAddress + 4 * static_cast<std::uint32_t>(10 * ch + r);
            m_memory[at] = static_cast<std::uint8_t>(low >> 8);
            m_memory[at + 1] = static_cast<std::uint8_t>(low & 0xFF);
            m_memory[at + 2] = static_cast<std::uint8_t>(kDacFull >> 8);
            m_memory[at + 3] = static_cast<std::uint8_t>(kDacFull & 0xFF);
        }
    }
    Put16(m_memory, kTdcCalAddress, kTdcCalibratedValue);
    Put16(m_memory, kTdcValuesAddress, kTdcOffsetCounts + kTdcPeriodCounts); // maximum
    Put16(m_memory, kTdcValuesAddress + 2, kTdcOffsetCounts);                // minimum
    m_signal[1].amplitude = 0.5;
    m_signal[1].frequency = 2000.0;
    m_capture = CurrentCapture();
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

// ---- front end ---------------------------------------------------------------------------------

void SimInstrument::SetVoltsIndex(int channel, int index) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_volts[channel & 1] = std::clamp(index, 0, 9);
    Relatch();
}

int SimInstrument::VoltsIndex(int channel) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_volts[channel & 1];
}

void SimInstrument::SetFrontEnd(int channel, int attenuatorClass, int gainBit) {
    std::lock_guard<std::mutex> lock(m_mutex);
    FrontEndLocked(channel, attenuatorClass, gainBit);
}

void SimInstrument::FrontEndLocked(int channel, int attenuatorClass, int gainBit) {
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
    Relatch();
}

int SimInstrument::Coupling(int channel) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_coupling[channel & 1];
}

void SimInstrument::SetOffsetDac(int channel, int dac) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_dac[channel & 1] = std::clamp(dac, 0, kDacFull);
}

std::optional<int> SimInstrument::OffsetDac(int channel) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_dac[channel & 1];
}

// ---- sample clock and record -------------------------------------------------------------------

void SimInstrument::SetTimeBaseIndex(int index) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_step = std::clamp(index, 0, kv::timebase::kLastStep);
    m_roll = m_step >= kRollStep;
    // The rate command this step sends with the 10240-point record.
    m_words.sampleCounter = kv::timebase::ScreenClockCounter(m_step, m_model == SimModel::KestraF);
    m_words.counterFlags = m_step <= 10 ? 3 : (m_step == 11 ? 1 : (m_step == 12 ? 0 : 2));
    if (m_roll)
        m_words.sampleCounter = kv::timebase::kRollClockCounter;
    Relatch();
}

int SimInstrument::TimeBaseIndex() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_roll ? std::max(m_step, kRollStep) : m_step;
}

double SimInstrument::SampleInterval() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return SampleIntervalLocked();
}

double SimInstrument::SampleIntervalLocked() const {
    if (m_roll)
        return kv::timebase::SecondsPerDivision(kRollStep) / kRollPointsPerDivision;
    if (m_step <= kLastFastestStep)
        return kFastestInterval;
    return kv::timebase::SecondsPerDivision(m_step) / kSamplesPerDivision;
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
    Relatch();
}

int SimInstrument::MemoryCode() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_memoryCode;
}

std::uint32_t SimInstrument::RecordLength() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return RecordLengthLocked();
}

std::uint32_t SimInstrument::RecordLengthLocked() const {
    if (m_roll)
        return kRollPoints;
    switch (m_memoryCode) {
    case 2:
        return SimDeepRecordLength(m_model);
    case 3:
        return 512;
    default:
        return 10240;
    }
}

int SimInstrument::TriggerPosition() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_position;
}

void SimInstrument::SetSignal(int channel, const SimSignal& signal) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_signal[channel & 1] = signal;
}

void SimInstrument::SetSampleFunction(SampleFn fn) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sampleFn = std::move(fn);
}

// ---- the wire's commands -----------------------------------------------------------------------

void SimInstrument::ApplyTransferMode(std::uint8_t code) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_words.transferMode = code;
    // Transfer mode 4 follows the rate commands only at the roll time bases.
    if (code == 1)
        m_roll = true;
}

void SimInstrument::ApplyOffsets(int ch1Dac, int ch2Dac, int triggerDac) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_words.dacs = {{ch1Dac, ch2Dac, triggerDac}};
    m_dac[0] = std::clamp(ch1Dac, 0, kDacFull);
    m_dac[1] = std::clamp(ch2Dac, 0, kDacFull);
}

void SimInstrument::ApplyRelays(const std::uint8_t* data, std::uint32_t length) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::copy_n(data, std::min<std::uint32_t>(length, 17), m_words.relays.begin());
    // Bytes 1-3 CH1 (range, range, coupling), 4-6 CH2.
    for (int ch = 0; ch < 2; ++ch) {
        const std::uint8_t r1 = data[1 + 3 * ch], r2 = data[2 + 3 * ch];
        const int cls = (r1 & (ch == 0 ? 0x04 : 0x20)) ? 2 : ((r2 & (ch == 0 ? 0x08 : 0x40)) ? 1 : 0);
        FrontEndLocked(ch, cls, (m_words.gainByte >> (2 * ch)) & 1);
        m_coupling[ch] = data[3 + 3 * ch] == (ch == 0 ? 0x02 : 0x10) ? 1 : 0;
    }
}

void SimInstrument::ApplyGainBits(int gainByte) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_words.gainByte = gainByte & 0x0F;
}

void SimInstrument::ApplyFilter(int bits) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_words.filterBits = bits & 7;
}

void SimInstrument::ApplySampleClock(std::uint16_t counter, int flags) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_words.sampleCounter = counter;
    m_words.counterFlags = flags & 3;
    m_roll = false;
    if (counter == 0) {
        // Counter 0: the flags tell steps 11 (s alone) and 12 (none) from the fastest clock.
        m_step = flags == 1 ? 11 : (flags == 0 ? 12 : 10);
        return;
    }
    // A counter of the 10240-point column names its step; the deep column reuses the same
    // counters, five steps later, for the same clock. The roll counter is step 16's until
    // transfer mode 4 follows. A counter this model does not know leaves the clock alone.
    if (counter == kv::timebase::kRollClockCounter) {
        m_step = 16;
        return;
    }
    const int step = SimTimeBaseForScreenCounter(m_model, counter);
    if (step >= 0)
        m_step = step;
}

void SimInstrument::ApplyPositions(std::uint32_t a, std::uint32_t b, int memoryCode) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_words.positionA = a;
    m_words.positionB = b;
    m_roll = false;
    if (memoryCode < 1 || memoryCode > 3)
        return;
    m_memoryCode = memoryCode;
    // B counts back from the end of the position range by the trigger position in percent.
    const double percent = (static_cast<double>(kPositionBase) - std::min<std::uint32_t>(b, kPositionBase)) /
                           kPositionFactor[memoryCode];
    m_position = std::clamp(static_cast<int>(std::lround(percent)), 0, 100);
}

void SimInstrument::ApplyTriggerCommand(const std::uint8_t* p) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::copy_n(p, 8, m_words.triggerCommand.begin());
    m_roll = false;
    // Byte 2: bit 5 the slope (1 falling), bits 3-4 the trigger-source code, bits 1-2 the
    // channel selector.
    m_falling = (p[2] >> 5) & 1;
    m_triggerCode = (p[2] >> 3) & 3;
    m_channels = (p[2] >> 1) & 3;
}

SimInstrument::FrontEndWords SimInstrument::Words() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_words;
}

// ---- capture cycle -----------------------------------------------------------------------------

bool SimInstrument::EtsMode() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_tdcSelect == kTdcSelectPhase;
}

void SimInstrument::CaptureStart() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state = m_tdcSelect == kTdcSelectPhase ? 2 : 1;
    m_polls = 0;
    ++m_captureStarts;
}

int SimInstrument::CaptureStarts() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_captureStarts;
}

void SimInstrument::DataRead() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_tdcSelect == kTdcSelectPhase) {
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
    // A force completes the capture under way, armed or not, as a scope's force does: the record
    // is taken as it stands. With no capture started there is nothing to complete.
    if (m_state >= 1 && m_state <= 3) {
        if (m_state < 3)
            Trigger();
        m_state = 4;
    }
}

std::uint32_t SimInstrument::NextRandom() {
    m_seed = m_seed * 1103515245u + 12345u;
    return m_seed >> 8;
}

double SimInstrument::RandomFraction() {
    // Strictly inside 0..1: a trigger exactly on a sample would read a whole clock period.
    return (static_cast<double>(NextRandom() & 0xFFFFFF) + 0.5) / 16777216.0;
}

SimInstrument::Capture SimInstrument::CurrentCapture() const {
    Capture c;
    c.ets = m_tdcSelect == kTdcSelectPhase;
    c.length = c.ets ? kEtsFramePoints : RecordLengthLocked();
    c.interval = c.ets ? kEtsInterval : SampleIntervalLocked();
    c.pretrigger = m_position >= 100 ? c.length - 1 : static_cast<std::uint32_t>(m_position) * c.length / 100;
    c.triggerChannel = m_triggerCode == 0 ? 1 : (m_triggerCode == 2 ? -1 : 0);
    c.falling = m_falling;
    // On the fastest clock with one channel (or the 512-point record), both converters sample
    // that channel in turn, half an interval apart.
    const bool fastest = m_words.sampleCounter == 0 && m_words.counterFlags == 3;
    if (!c.ets && fastest && (m_channels != 2 || m_memoryCode == 3))
        c.interleaved = m_channels == 0 ? 0 : 1;
    c.volts = m_volts;
    c.coupling = m_coupling;
    c.dac = m_dac;
    c.address = m_capture.address % c.length;
    c.delay = m_capture.delay;
    c.freePhase = m_capture.freePhase;
    return c;
}

void SimInstrument::Relatch() {
    m_capture = CurrentCapture();
}

void SimInstrument::Trigger() {
    Capture c = CurrentCapture();
    if (c.ets)
        c.address = 0; // a frame is read as it lies in its ring
    else if (m_fixedTrigger)
        c.address = *m_fixedTrigger % c.length;
    else
        c.address = NextRandom() % c.length;
    // A fixed address is reported as it was given, also one past the record (to test refusals).
    m_reportedAddress = m_fixedTrigger && !c.ets ? *m_fixedTrigger : c.address;
    c.delay = RandomFraction();
    c.freePhase = {{2.0 * kPi * RandomFraction(), 2.0 * kPi * RandomFraction()}};
    m_capture = c;
    if (c.ets) {
        // The TDC runs from the trigger to the next clock edge.
        const double period = std::max(1, kTdcPeriodCounts + (m_tdcCal - kTdcCalibratedValue));
        m_tdcPhaseReading = kTdcOffsetCounts + static_cast<std::uint32_t>((1.0 - c.delay) * period);
    }
}

std::uint8_t SimInstrument::PollCaptureState(std::uint32_t& triggerAddress) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::uint8_t state = m_state;
    triggerAddress = state >= 3 ? m_reportedAddress : 0;
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
    return m_reportedAddress;
}

// ---- signal and stream -------------------------------------------------------------------------

// The front end's gain per volts/div, written here apart from the client library's own table on
// purpose: the simulated instrument is the independent check of that table, and a wrong entry in
// one shows as a wrong reading against the other.
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

double SimInstrument::DisplayCodesPerVolt(int voltsIndex) {
    return kv::scale::VoltsToCodes(1.0, VoltsPerDivision(voltsIndex));
}

SimInstrument::ChannelScale SimInstrument::ScaleOf(const Capture& c, int channel) const {
    // Display codes on the screen's scale once the client multiplies by its gain factor.
    const int ch = channel & 1;
    const double gain = GainFactor(c.volts[ch]);
    ChannelScale s;
    s.perVolt = DisplayCodesPerVolt(c.volts[ch]) / gain;
    s.zero = c.dac[ch] ? (kDacFull - *c.dac[ch]) / kDacPerRawCode : kMidCode / gain;
    s.grounded = c.coupling[ch] == 2;
    return s;
}

void SimInstrument::Synthesize(const Capture& c, int channel, double t0, double dt, std::uint32_t n,
                               std::uint16_t* out) const {
    const int ch = channel & 1;
    const ChannelScale scale = ScaleOf(c, ch);
    const SimSignal& sig = m_signal[ch];
    const double base = scale.zero + (c.coupling[ch] == 0 ? sig.offset * scale.perVolt : 0.0);
    const double amp = sig.amplitude * scale.perVolt;
    auto code = [](double v) {
        return static_cast<std::uint16_t>(std::clamp(v, 0.0, static_cast<double>(kTopRaw)));
    };
    if (scale.grounded || amp == 0.0 || sig.frequency == 0.0) {
        std::fill_n(out, n, code(scale.grounded ? scale.zero : base));
        return;
    }
    // The trigger channel crosses its middle at t = 0 with the trigger's slope; the other
    // channel shares the time origin. With the external input nothing is locked.
    double phase0 = 0.0;
    if (c.triggerChannel < 0)
        phase0 = c.freePhase[ch];
    else if (c.triggerChannel == ch && c.falling)
        phase0 = kPi;
    const double omega = 2.0 * kPi * sig.frequency;
    const double step = omega * dt;
    const double cs = std::cos(step), sn = std::sin(step);
    for (std::uint32_t start = 0; start < n; start += kResync) {
        const double theta = omega * (t0 + static_cast<double>(start) * dt) + phase0;
        double s = std::sin(theta), k = std::cos(theta);
        const std::uint32_t end = std::min(n, start + kResync);
        if (sig.square) {
            for (std::uint32_t i = start; i < end; ++i) {
                out[i] = code(base + (s >= 0.0 ? amp : -amp));
                const double next = s * cs + k * sn;
                k = k * cs - s * sn;
                s = next;
            }
        } else {
            for (std::uint32_t i = start; i < end; ++i) {
                out[i] = code(base + amp * s);
                const double next = s * cs + k * sn;
                k = k * cs - s * sn;
                s = next;
            }
        }
    }
}

void SimInstrument::RingSamples(const Capture& c, std::uint32_t first, std::uint32_t n, std::uint16_t* a,
                                std::uint16_t* b) const {
    const std::uint32_t d = c.length;
    if (m_sampleFn) {
        for (std::uint32_t i = 0; i < n; ++i) {
            a[i] = m_sampleFn(0, first + i, d, c.address);
            b[i] = m_sampleFn(1, first + i, d, c.address);
        }
        return;
    }
    // Ring position k holds record point (k - address) mod D; time runs on round the ring.
    const double dt = c.interval;
    std::uint32_t done = 0;
    while (done < n) {
        const std::uint32_t k = first + done;
        const std::uint32_t point = k >= c.address ? k - c.address : k + d - c.address;
        // A run of positions up to the ring's end or the oldest sample, whichever comes first.
        const std::uint32_t runEnd = k < c.address ? c.address : d;
        const std::uint32_t run = std::min(n - done, runEnd - k);
        const double t0 = (static_cast<double>(point) - static_cast<double>(c.pretrigger) - c.delay) * dt;
        if (c.interleaved >= 0) {
            Synthesize(c, c.interleaved, t0, dt, run, a + done);
            Synthesize(c, c.interleaved, t0 + dt / 2.0, dt, run, b + done);
        } else {
            Synthesize(c, 0, t0, dt, run, a + done);
            Synthesize(c, 1, t0, dt, run, b + done);
        }
        done += run;
    }
}

void SimInstrument::FillRoll(std::vector<std::uint8_t>& out) {
    // Point 0 is the newest sample; every read moves the stream on by one point.
    Capture c = CurrentCapture();
    c.triggerChannel = 0;
    c.falling = false;
    c.interleaved = -1;
    const double dt = SampleIntervalLocked();
    m_blockA.resize(kRollPoints);
    m_blockB.resize(kRollPoints);
    const double newest = static_cast<double>(m_rollSample) * dt;
    if (m_sampleFn) {
        for (std::uint32_t k = 0; k < kRollPoints; ++k) {
            m_blockA[k] = m_sampleFn(0, k, kRollPoints, 0);
            m_blockB[k] = m_sampleFn(1, k, kRollPoints, 0);
        }
    } else {
        Synthesize(c, 0, newest, -dt, kRollPoints, m_blockA.data());
        Synthesize(c, 1, newest, -dt, kRollPoints, m_blockB.data());
    }
    ++m_rollSample;
    out.resize(4 * kRollPoints);
    Pack(out.data(), kRollPoints, 0, kRollPoints, m_blockA.data(), m_blockB.data());
}

void SimInstrument::FillRecordStream(std::vector<std::uint8_t>& out) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_roll) {
        FillRoll(out);
        return;
    }
    const Capture& c = m_capture;
    const std::uint32_t d = c.length;
    const std::size_t bytes = 4 * static_cast<std::size_t>(d) + (c.ets ? kEtsTrailerBytes : 0);
    out.resize(bytes);
    m_blockA.resize(std::min(d, kBlock));
    m_blockB.resize(std::min(d, kBlock));
    for (std::uint32_t first = 0; first < d; first += kBlock) {
        const std::uint32_t n = std::min(kBlock, d - first);
        RingSamples(c, first, n, m_blockA.data(), m_blockB.data());
        Pack(out.data(), d, first, n, m_blockA.data(), m_blockB.data());
    }
    if (c.ets) {
        // Trailer: bytes 0-3 the TDC reading (LE), 4-5 the trigger's position in the frame.
        std::uint8_t* trailer = out.data() + 4 * static_cast<std::size_t>(d);
        std::fill_n(trailer, kEtsTrailerBytes, std::uint8_t{0});
        for (int i = 0; i < 4; ++i)
            trailer[i] = static_cast<std::uint8_t>(m_tdcPhaseReading >> (8 * i));
        trailer[4] = static_cast<std::uint8_t>(c.pretrigger & 0xFF);
        trailer[5] = static_cast<std::uint8_t>(c.pretrigger >> 8);
    }
}

std::vector<std::uint8_t> SimInstrument::RecordStream() {
    std::vector<std::uint8_t> out;
    FillRecordStream(out);
    return out;
}

// ---- logic byte and TDC ------------------------------------------------------------------------

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
    m_tdcFixed = count;
}
void SimInstrument::ClearTdcCount() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tdcFixed.reset();
}
std::uint32_t SimInstrument::TdcCount() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return TdcReadingLocked();
}

std::uint32_t SimInstrument::TdcReadingLocked() {
    if (m_tdcFixed)
        return *m_tdcFixed;
    // A count or two of jitter on every measured interval.
    const int jitter = static_cast<int>(NextRandom() % 5) - 2;
    switch (m_tdcSelect) {
    case kTdcSelectFrequency: {
        // Periods of the trigger channel in one second.
        const int ch = m_triggerCode == 0 ? 1 : 0;
        const SimSignal& s = m_signal[ch];
        if (m_coupling[ch] == 2 || s.amplitude == 0.0)
            return 0;
        return static_cast<std::uint32_t>(std::lround(std::max(0.0, s.frequency)));
    }
    case kTdcSelectOffset:
        return static_cast<std::uint32_t>(kTdcOffsetCounts + jitter);
    case kTdcSelectPeriod:
        // The calibration value stretches the counter's time scale: one count per step.
        return static_cast<std::uint32_t>(
            std::max(0, kTdcPeriodCounts + (m_tdcCal - kTdcCalibratedValue) + jitter));
    case kTdcSelectPhase:
        return m_tdcPhaseReading;
    default:
        return 0;
    }
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
