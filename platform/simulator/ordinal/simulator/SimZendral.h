#pragma once
// The simulated instrument as the program's instrument-access library sees it: every ordinal
// the engine calls is answered from one SimInstrument model per device index. The channels
// carry a signal that follows volts/div, coupling, position, time base and trigger; the capture
// state walks from started through armed and triggered to data ready; a device can be told to
// stop answering (unplugged) and to answer again.
#include <array>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <vector>

#include "simulator/SimInstrument.h"
#include "zendral/Zendral.h"

namespace kv::sim {

class SimZendral : public kv::IZendral {
public:
    static constexpr int kDevices = 4;

    // Instruments at the given device indexes (0..3; others are ignored).
    explicit SimZendral(const std::vector<int>& indexes = {0});

    // The model behind a device index, or null when no instrument sits there.
    std::shared_ptr<SimInstrument> Instrument(int index) const;

    // Input signal of a channel (0 CH1, 1 CH2) of a device.
    void SetSignal(int index, int channel, const SimSignal& signal);
    SimSignal Signal(int index, int channel) const;
    // An unplugged device answers nothing: the search and presence query give 0 and every other
    // ordinal fails without touching the caller's buffers.
    void SetAnswering(int index, bool answering);
    bool IsAnswering(int index) const;
    // Polls in the armed state before the capture triggers; -1 (default) decides by the trigger
    // level (inside the signal: the first poll; outside: never, only a force triggers).
    void SetPollsToTrigger(int index, int polls);

    // What the device last received, for inspection.
    std::array<short, kStateBlockWords> StateBlock(int index) const;
    std::array<short, kLevelBlockWords> LevelBlock(int index) const;
    int ReadsServed(int index) const;

    // --- ordinals ---
    int ForceTrigger(short device) override;
    int GetCaptureState(short device, int* state) override;
    int SetTriggerAndSampleRate(short device, short slope, int etsFlag, short* stateBlock, int triggerType,
                                short pulseCondition, int pulseWidth) override;
    int SetTriggerSlope(short device, short slope, int etsFlag, short* stateBlock) override;
    int SetSamplingTiming(short device, short slope, int etsFlag, short* stateBlock) override;
    int SetVoltageAndCoupling(short device, short ch1VoltDiv, short ch2VoltDiv, short ch1Coupling,
                              short ch2Coupling, short* stateBlock) override;
    int SetOffset(short device, short* levelBlock, short ch1VoltDiv, short ch2VoltDiv, short activeSource,
                  short* calibration) override;
    int CaptureStart(short device) override;
    int EnableTrigger(short device) override;
    int SearchDevice(short device) override;
    int ReadCalibration(short device, short* pairs, int length) override;
    int WriteCalibration(short device, short* pairs, int length) override;
    int SetFilter(short device, int ch1BandwidthLimit, int ch2BandwidthLimit, int hfReject) override;
    int ReadLineCalData(short device, short* words) override;
    int WriteLineCalData(short device, short* words) override;
    int GetChannelData(short device, short ch1VoltDiv, short ch2VoltDiv, short* ch1Record, short* ch2Record,
                       int capacity, short* stateBlock, int captureState) override;
    int ReadDeviceAddress(short index, short* address) override;
    int SetDeviceAddress(short a, short b) override;
    int EtsAssemble(short* stateBlock, short* ch1Work, short* ch2Work, short* ch1Raw, int capacity,
                    const ZendralEtsArgs& ets) override;
    int SelectTdc(short device, short mode) override;
    int ReadTdc(short device, int* value) override;
    int EtsGetData(short device, short ch1VoltDiv, short ch2VoltDiv, short* ch1Raw, int capacity,
                   short* stateBlock, short sweep) override;
    int SetTdcCalValue(short device, short value) override;
    int WriteTdcCalData(short device, short* data) override;
    int WriteEtsCalData(short device, short* data) override;
    int ReadTdcCalData(short device, short* data) override;

private:
    struct Device {
        std::shared_ptr<SimInstrument> model;
        bool answering = true;
        short address = 0;
        std::array<SimSignal, 2> signal{};
        std::array<short, kStateBlockWords> state{};
        std::array<short, kLevelBlockWords> level{{128, 384, 128, 384, 256}};
        std::array<short, 2> volts{{6, 6}};
        std::array<short, 2> coupling{{0, 0}};
        short slope = 0;
        int pollsToTrigger = -1;
        std::array<short, 2 * kCalibrationPairs> calibration{};
        std::array<short, kAdjustmentWords> lineCal{};
        std::array<short, 2> tdcCal{};
        std::array<short, 2> etsCal{};
        long long rollSample = 0; // running sample count of the Roll stream
        int reads = 0;
    };

    // The road of every ordinal addressed to a device: under the lock, `answer` runs on the
    // answering device at the index and its result is returned. No instrument answering there,
    // or a null among the buffers the ordinal needs, gives `failed` and touches nothing.
    template <typename Answer>
    int OnDevice(short device, std::initializer_list<const void*> buffers, Answer&& answer, int failed = 0);
    // The answering device at an index, or null (caller holds the lock).
    Device* Live(int index);
    const Device* Find(int index) const;
    void TakeState(Device& d, const short* stateBlock);
    // Screen code of a channel at time t (seconds from the trigger).
    double CodeAt(const Device& d, int channel, double t, double phase) const;
    // Phase that puts the trigger channel on its level with the right slope at t = 0; false
    // when the level lies outside that channel's signal.
    bool TriggerPhase(const Device& d, int channel, double* phase) const;
    int TriggerChannel(const Device& d) const;
    void FillRecord(const Device& d, short* ch1, short* ch2, int count, int triggerSample, double dt);

    mutable std::mutex m_mutex;
    std::array<Device, kDevices> m_devices{};
};

} // namespace kv::sim

namespace kv {

// Registers the simulator with the instrument-access factory and selects the access for this
// run from SCOPE_SIMULATOR (unset: none; "1": index 0; "0,2": those indexes). Returns true when
// a simulated instrument was selected. The program calls it once at start-up.
bool InstallSimulatorFromEnvironment();

} // namespace kv
