#include "simulator/SimZendral.h"

#include <algorithm>
#include <cmath>

#include "simulator/SimEnvironment.h"
#include "timebase/RecordLength.h"
#include "timebase/TimeBaseTable.h"
#include "zendral/ZendralRegistry.h"

namespace kv::sim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kTopCode = 511;
constexpr int kRecordWindow = 1000; // record samples per division at the slower time bases
constexpr int kScreenPerDiv = 50;   // screen points per division
constexpr int kFirstRollStep = 26;  // 1 s/div: the record becomes a continuous stream
constexpr int kEtsFrame = 10240;
constexpr short kEtsNoNewData = 2;

// Seconds per division of time-base steps 0..38 (index offset 0).
double SecondsPerDiv(int step) {
    return kv::timebase::SecondsPerDivision(std::clamp(step, 0, kv::timebase::kLastStep));
}

// Interpolation factor the program applies at the fast time bases (both channels / one channel):
// the record's samples are that many screen samples apart.
double FastFactor(int step, bool dual) {
    static const double kDual[11] = {5000, 2500, 1000, 500, 250, 100, 50, 25, 10, 5, 2.5};
    static const double kSingle[11] = {2500, 1250, 500, 250, 125, 50, 25, 12.5, 5, 2.5, 1.25};
    if (step < 0 || step > 10)
        return 1.0;
    return dual ? kDual[step] : kSingle[step];
}

// The converter's code nearest to a level, inside the screen's range.
short ToCode(double code) {
    if (std::isnan(code))
        return 0;
    return static_cast<short>(std::clamp(std::round(code), 0.0, static_cast<double>(kTopCode)));
}

int RollStep(int timeBase) {
    const double s = SecondsPerDiv(timeBase);
    return (s == 1.0 || s == 4.0) ? 2 : 1;
}

} // namespace

SimZendral::SimZendral(const std::vector<int>& indexes) {
    for (int i = 0; i < kDevices; ++i) {
        Device& d = m_devices[static_cast<std::size_t>(i)];
        d.address = static_cast<short>(i + 1);
        d.signal[0] = SimSignal{1.0, 1000.0, 0.0, false};
        d.signal[1] = SimSignal{0.5, 2000.0, 0.0, false};
        d.state = {{0, 2, 13, 50, 0, 0}};
        for (int k = 0; k < kCalibrationEntries; ++k) {
            d.calibration[static_cast<std::size_t>(2 * k)] = 1;       // high part
            d.calibration[static_cast<std::size_t>(2 * k + 1)] = 244; // low part: entry 500
        }
    }
    for (int index : indexes)
        if (index >= 0 && index < kDevices)
            m_devices[static_cast<std::size_t>(index)].model = std::make_shared<SimInstrument>();
}

SimZendral::Device* SimZendral::Live(int index) {
    if (index < 0 || index >= kDevices)
        return nullptr;
    Device& d = m_devices[static_cast<std::size_t>(index)];
    return (d.model && d.answering) ? &d : nullptr;
}

const SimZendral::Device* SimZendral::Find(int index) const {
    if (index < 0 || index >= kDevices)
        return nullptr;
    const Device& d = m_devices[static_cast<std::size_t>(index)];
    return d.model ? &d : nullptr;
}

std::shared_ptr<SimInstrument> SimZendral::Instrument(int index) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Device* d = Find(index);
    return d ? d->model : nullptr;
}

void SimZendral::SetSignal(int index, int channel, const SimSignal& signal) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (index >= 0 && index < kDevices)
        m_devices[static_cast<std::size_t>(index)].signal[static_cast<std::size_t>(channel & 1)] = signal;
}

SimSignal SimZendral::Signal(int index, int channel) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (index < 0 || index >= kDevices)
        return SimSignal{};
    return m_devices[static_cast<std::size_t>(index)].signal[static_cast<std::size_t>(channel & 1)];
}

void SimZendral::SetAnswering(int index, bool answering) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (index >= 0 && index < kDevices)
        m_devices[static_cast<std::size_t>(index)].answering = answering;
}

bool SimZendral::IsAnswering(int index) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Device* d = Find(index);
    return d && d->answering;
}

void SimZendral::SetPollsToTrigger(int index, int polls) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (index >= 0 && index < kDevices)
        m_devices[static_cast<std::size_t>(index)].pollsToTrigger = polls;
}

std::array<short, kStateBlockWords> SimZendral::StateBlock(int index) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Device* d = Find(index);
    return d ? d->state : std::array<short, kStateBlockWords>{};
}

std::array<short, kLevelBlockWords> SimZendral::LevelBlock(int index) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Device* d = Find(index);
    return d ? d->level : std::array<short, kLevelBlockWords>{};
}

int SimZendral::ReadsServed(int index) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Device* d = Find(index);
    return d ? d->reads : 0;
}

void SimZendral::TakeState(Device& d, const short* stateBlock) {
    if (stateBlock)
        std::copy_n(stateBlock, kStateBlockWords, d.state.begin());
}

// ---- signal model ----------------------------------------------------------------------------

double SimZendral::CodeAt(const Device& d, int channel, double t, double phase) const {
    const std::size_t ch = static_cast<std::size_t>(channel & 1);
    const double zero = kTopCode - d.level[ch];
    if (d.coupling[ch] == 2)
        return zero;
    const SimSignal& s = d.signal[ch];
    const double arg = 2.0 * kPi * s.frequency * t + phase;
    const double wave = s.square ? (std::sin(arg) >= 0.0 ? 1.0 : -1.0) : std::sin(arg);
    const double volts = s.amplitude * wave + (d.coupling[ch] == 0 ? s.offset : 0.0);
    return zero + volts * SimInstrument::DisplayCodesPerVolt(d.volts[ch]);
}

int SimZendral::TriggerChannel(const Device& d) const {
    switch (d.state[kStateActiveSource]) {
    case 0:
    case 2:
        return 0;
    case 1:
        return 1;
    default:
        return -1; // external input: not modelled, it always triggers
    }
}

bool SimZendral::TriggerPhase(const Device& d, int channel, double* phase) const {
    *phase = 0.0;
    if (channel < 0)
        return true;
    const std::size_t ch = static_cast<std::size_t>(channel);
    if (d.coupling[ch] == 2)
        return false;
    const SimSignal& s = d.signal[ch];
    const double scale = SimInstrument::DisplayCodesPerVolt(d.volts[ch]);
    const double centre = kTopCode - d.level[ch] + (d.coupling[ch] == 0 ? s.offset * scale : 0.0);
    const double levelCode = kTopCode - d.level[static_cast<std::size_t>(kLevelCh1Trigger) + ch];
    const double x = (levelCode - centre) / (s.amplitude * scale);
    if (!std::isfinite(x) || std::fabs(x) > 1.0)
        return false;
    *phase = (d.slope == 1) ? kPi - std::asin(x) : std::asin(x);
    return true;
}

void SimZendral::FillRecord(const Device& d, short* ch1, short* ch2, int count, int triggerSample,
                            double dt) {
    const int trigCh = TriggerChannel(d);
    double phase = 0.0;
    TriggerPhase(d, trigCh, &phase);
    short* out[2] = {ch1, ch2};
    for (int ch = 0; ch < 2; ++ch) {
        if (!out[ch])
            continue;
        const double p = (ch == trigCh) ? phase : 0.0;
        for (int k = 0; k < count; ++k)
            out[ch][k] = ToCode(CodeAt(d, ch, (k - triggerSample) * dt, p));
    }
}

// ---- ordinals ------------------------------------------------------------------------------------

template <typename Answer>
int SimZendral::OnDevice(short device, std::initializer_list<const void*> buffers, Answer&& answer,
                         int failed) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Device* d = Live(device);
    if (!d)
        return failed;
    for (const void* buffer : buffers)
        if (!buffer)
            return failed;
    return answer(*d);
}

int SimZendral::ForceTrigger(short device) {
    return OnDevice(device, {}, [](Device& d) {
        d.model->ForceTrigger();
        return 1;
    });
}

int SimZendral::GetCaptureState(short device, int* state) {
    return OnDevice(device, {}, [&](Device& d) {
        int polls = d.pollsToTrigger;
        if (polls < 0) {
            double phase = 0.0;
            polls = TriggerPhase(d, TriggerChannel(d), &phase) ? 1 : 0;
        }
        d.model->SetPollsToTrigger(polls);
        std::uint32_t address = 0;
        // Model states: 1 started, 2 armed, 3 triggered, 4 record complete.
        int result = 0;
        switch (d.model->PollCaptureState(address)) {
        case 0:
        case 1:
            result = 0;
            break;
        case 2:
            result = 1;
            break;
        case 3:
            result = 2;
            break;
        default:
            result = 4;
            break;
        }
        if (state)
            *state = result;
        return result;
    });
}

int SimZendral::SetTriggerAndSampleRate(short device, short slope, int, short* stateBlock, int, short, int) {
    return OnDevice(device, {}, [&](Device& d) {
        d.slope = slope;
        TakeState(d, stateBlock);
        return 1;
    });
}

int SimZendral::SetTriggerSlope(short device, short slope, int, short* stateBlock) {
    return OnDevice(device, {}, [&](Device& d) {
        d.slope = slope;
        TakeState(d, stateBlock);
        return 1;
    });
}

int SimZendral::SetSamplingTiming(short device, short, int, short* stateBlock) {
    return OnDevice(device, {}, [&](Device& d) {
        TakeState(d, stateBlock);
        return 1;
    });
}

int SimZendral::SetVoltageAndCoupling(short device, short ch1VoltDiv, short ch2VoltDiv, short ch1Coupling,
                                      short ch2Coupling, short* stateBlock) {
    return OnDevice(device, {}, [&](Device& d) {
        d.volts = {{static_cast<short>(std::clamp<int>(ch1VoltDiv, 0, 9)),
                    static_cast<short>(std::clamp<int>(ch2VoltDiv, 0, 9))}};
        d.coupling = {{static_cast<short>(std::clamp<int>(ch1Coupling, 0, 2)),
                       static_cast<short>(std::clamp<int>(ch2Coupling, 0, 2))}};
        for (int ch = 0; ch < 2; ++ch) {
            d.model->SetVoltsIndex(ch, d.volts[static_cast<std::size_t>(ch)]);
            d.model->SetCoupling(ch, d.coupling[static_cast<std::size_t>(ch)]);
        }
        TakeState(d, stateBlock);
        return 1;
    });
}

int SimZendral::SetOffset(short device, short* levelBlock, short, short, short activeSource, short*) {
    return OnDevice(device, {}, [&](Device& d) {
        if (levelBlock)
            for (int i = 0; i < kLevelBlockWords; ++i)
                d.level[static_cast<std::size_t>(i)] =
                    static_cast<short>(std::clamp<int>(levelBlock[i], 0, kTopCode));
        d.state[kStateActiveSource] = activeSource;
        return 1;
    });
}

int SimZendral::CaptureStart(short device) {
    return OnDevice(device, {}, [](Device& d) {
        d.model->CaptureStart();
        return 1;
    });
}

int SimZendral::EnableTrigger(short device) {
    return OnDevice(device, {}, [](Device& d) {
        d.model->ArmTrigger();
        return 1;
    });
}

int SimZendral::SearchDevice(short device) {
    return OnDevice(device, {}, [](Device&) { return 1; });
}

int SimZendral::ReadCalibration(short device, short* pairs, int) {
    return OnDevice(device, {pairs}, [&](Device& d) {
        std::copy(d.calibration.begin(), d.calibration.end(), pairs);
        return 1;
    });
}

int SimZendral::WriteCalibration(short device, short* pairs, int length) {
    return OnDevice(device, {pairs}, [&](Device& d) {
        const int words = std::clamp(length, 0, 2 * kCalibrationPairs);
        std::copy_n(pairs, words, d.calibration.begin());
        return 1;
    });
}

int SimZendral::SetFilter(short device, int, int, int) {
    return OnDevice(device, {}, [](Device&) { return 1; });
}

int SimZendral::ReadLineCalData(short device, short* words) {
    return OnDevice(device, {words}, [&](Device& d) {
        std::copy(d.lineCal.begin(), d.lineCal.end(), words);
        return 1;
    });
}

int SimZendral::WriteLineCalData(short device, short* words) {
    return OnDevice(device, {words}, [&](Device& d) {
        std::copy_n(words, kAdjustmentWords, d.lineCal.begin());
        return 1;
    });
}

int SimZendral::GetChannelData(short device, short ch1VoltDiv, short ch2VoltDiv, short* ch1Record,
                               short* ch2Record, int capacity, short* stateBlock, int) {
    return OnDevice(device, {}, [&](Device& d) {
        if (capacity <= 0)
            return 0;
        TakeState(d, stateBlock);
        d.volts = {{static_cast<short>(std::clamp<int>(ch1VoltDiv, 0, 9)),
                    static_cast<short>(std::clamp<int>(ch2VoltDiv, 0, 9))}};
        const int step = d.state[kStateTimeBase];
        const double seconds = SecondsPerDiv(step);
        ++d.reads;
        if (step >= kFirstRollStep) {
            // Slow time bases stream: each read continues where the last one ended, newest points
            // first in the record, so the program's Roll display scrolls a continuous signal.
            const int count = std::min(capacity, 512);
            const double dt = seconds / kScreenPerDiv;
            short* out[2] = {ch1Record, ch2Record};
            for (int ch = 0; ch < 2; ++ch)
                if (out[ch])
                    for (int k = 0; k < count; ++k)
                        out[ch][k] = ToCode(CodeAt(d, ch, static_cast<double>(d.rollSample + k) * dt, 0.0));
            d.rollSample += RollStep(step);
            return 1;
        }
        const std::int64_t length =
            std::min<std::int64_t>(kv::timebase::RecordLengthOfCode(d.state[kStateRecordLength]), capacity);
        const int percent = std::clamp<int>(d.state[kStatePosition], 0, 100);
        const int trigger = static_cast<int>(length * percent / 100);
        const bool dual = d.state[kStateChannelMode] == 2 && d.state[kStateAltFlag] == 0;
        const double dt = seconds / kRecordWindow * FastFactor(step, dual);
        FillRecord(d, ch1Record, ch2Record, static_cast<int>(length),
                   std::min<int>(trigger, static_cast<int>(length) - 1), dt);
        return 1;
    });
}

int SimZendral::ReadDeviceAddress(short index, short* address) {
    return OnDevice(index, {address}, [&](Device& d) {
        *address = d.address;
        return 1;
    });
}

int SimZendral::SetDeviceAddress(short a, short b) {
    return OnDevice(a, {}, [&](Device& d) {
        d.address = static_cast<short>(b & 0xFF);
        return 1;
    });
}

int SimZendral::EtsAssemble(short* stateBlock, short* ch1Work, short* ch2Work, short*, int capacity,
                            const ZendralEtsArgs&) {
    std::lock_guard<std::mutex> lock(m_mutex);
    // No device index: the assembly belongs to the first answering instrument.
    Device* d = nullptr;
    for (int i = 0; i < kDevices && !d; ++i)
        d = Live(i);
    if (!d || capacity <= 0)
        return 0;
    TakeState(*d, stateBlock);
    const int count = std::min(capacity, kEtsFrame);
    const int trigger = std::clamp<int>(d->state[kStatePosition], 0, 100) * 5;
    FillRecord(*d, ch1Work, ch2Work, count, std::min(trigger, count - 1),
               SecondsPerDiv(d->state[kStateTimeBase]) / kScreenPerDiv);
    return 1;
}

int SimZendral::SelectTdc(short device, short mode) {
    return OnDevice(device, {}, [&](Device& d) {
        d.model->SetTdcSelect(mode);
        return 1;
    });
}

int SimZendral::ReadTdc(short device, int* value) {
    return OnDevice(device, {value}, [&](Device& d) {
        // The model's counter: its reading follows the mode and the calibration value sent.
        *value = static_cast<int>(d.model->TdcCount());
        return 1;
    });
}

int SimZendral::EtsGetData(short device, short, short, short*, int, short* stateBlock, short sweep) {
    return OnDevice(
        device, {},
        [&](Device& d) {
            TakeState(d, stateBlock);
            double phase = 0.0;
            const bool triggers = TriggerPhase(d, TriggerChannel(d), &phase);
            // Normal sweep without a trigger has nothing new; Auto always delivers a frame.
            return (sweep == 1 && !triggers) ? kEtsNoNewData : 1;
        },
        kEtsNoNewData);
}

int SimZendral::SetTdcCalValue(short device, short value) {
    return OnDevice(device, {}, [&](Device& d) {
        d.model->SetTdcCalibration(value);
        return 1;
    });
}

int SimZendral::WriteTdcCalData(short device, short* data) {
    return OnDevice(device, {data}, [&](Device& d) {
        std::copy_n(data, 2, d.tdcCal.begin());
        return 1;
    });
}

int SimZendral::WriteEtsCalData(short device, short* data) {
    return OnDevice(device, {data}, [&](Device& d) {
        std::copy_n(data, 2, d.etsCal.begin());
        return 1;
    });
}

int SimZendral::ReadTdcCalData(short device, short* data) {
    return OnDevice(device, {data}, [&](Device& d) {
        std::copy(d.tdcCal.begin(), d.tdcCal.end(), data);
        return 1;
    });
}

} // namespace kv::sim

namespace kv {

bool InstallSimulatorFromEnvironment() {
    RegisterZendralFactory(kSimulatorFactoryName,
                           [](const std::string& selection) -> std::shared_ptr<IZendral> {
                               const std::vector<int> indexes = sim::ParseSimulatorIndexes(selection.c_str());
                               if (indexes.empty())
                                   return nullptr;
                               return std::make_shared<sim::SimZendral>(indexes);
                           });
    return SelectZendralFromEnvironment();
}

} // namespace kv
