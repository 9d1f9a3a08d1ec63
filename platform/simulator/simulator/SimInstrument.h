#pragma once
// The simulated instrument: stored settings memory, channel signals, front end, sample clock,
// capture states, trigger address, logic byte and the time-interval counter (TDC). It knows
// nothing of the wire; SimWireDevice decodes the driver protocol into calls on this model, and
// the instrument-access side (SimZendral) drives the same model.
//
// Timing. The sample clock follows the rate command. Time-base steps 0..10 share the fastest
// clock: each converter samples every 8 ns (125 MS/s), and one channel sampled by both converters
// in turn gets a sample every 4 ns (250 MS/s). From step 10 (one channel) on, the 10240-point
// record holds 1000 samples a division: step 11 every 10 ns and step 12 every 20 ns (counter 0,
// told apart by two flag bits), steps 13..25 by their counters. Equivalent-time frames are
// sampled every 20 ns. A capture keeps what it needs when it triggers (record length, sample
// interval, trigger position, trigger channel and slope, front end), so settings sent between
// the trigger and the read apply to the next capture, as on the instrument.
//
// Record. The instrument records into a ring of D samples; the trigger address it reports is the
// ring position of the oldest sample, and the trigger sits `pretrigger` samples after it, where
// pretrigger is the trigger position in percent of D (D - 1 at 100 %). Time runs on round the
// ring, so a steady signal is continuous across the ring's end.
#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "simulator/InstrumentModel.h"

namespace kv::sim {

// One channel's input signal: a sine (or a square) with a DC offset, in volts.
struct SimSignal {
    double amplitude = 1.0;    // volts, peak
    double frequency = 1000.0; // Hz
    double offset = 0.0;       // volts
    bool square = false;
};

class SimInstrument {
public:
    static constexpr std::size_t kMemorySize = 65536;
    static constexpr int kMidCode = 256; // display code of 0 V before any offset is sent
    // Time between two samples of one converter on the fastest clock (125 million a second),
    // which time-base steps 0..10 share.
    static constexpr double kFastestInterval = 8e-9;
    static constexpr int kLastFastestStep = 10;
    // Time between two samples of an equivalent-time frame (50 million a second).
    static constexpr double kEtsInterval = 20e-9;
    // Equivalent-time frames: 512 samples per channel and a 512-byte trailer.
    static constexpr std::uint32_t kEtsFramePoints = 512;
    static constexpr std::uint32_t kEtsTrailerBytes = 512;
    // TDC select values: 0 counts the trigger channel's periods for a second, 1 reads the
    // counter's zero offset, 2 one full clock period, 3 the trigger phase of each capture, which
    // puts the instrument into equivalent-time sampling.
    static constexpr int kTdcSelectFrequency = 0;
    static constexpr int kTdcSelectOffset = 1;
    static constexpr int kTdcSelectPeriod = 2;
    static constexpr int kTdcSelectPhase = 3;
    // The TDC: its zero offset in counts, the counts of one full clock period when calibrated,
    // and the calibration value at which it is calibrated; the value moves the period count one
    // for one. The stored TDC values and calibration value (addresses 112 and 100) are these.
    static constexpr int kTdcOffsetCounts = 100;
    static constexpr int kTdcPeriodCounts = 1800;
    static constexpr int kTdcCalibratedValue = 3700;
    static constexpr int kTdcPowerUpValue = 3950;

    // Raw 10-bit sample of `channel` (0 = CH1, 1 = CH2) at ring position k of a record of
    // `length` points whose oldest sample sits at `address`. Replaces the signal model when set.
    using SampleFn = std::function<std::uint16_t(int channel, std::uint32_t k, std::uint32_t length,
                                                 std::uint32_t address)>;

    explicit SimInstrument(SimModel model = SimModel::KestraE);
    SimModel Model() const { return m_model; }

    // --- stored settings memory ---
    bool ReadMemory(std::uint32_t address, std::uint8_t* out, std::uint32_t length) const;
    bool WriteMemory(std::uint32_t address, const std::uint8_t* data, std::uint32_t length);

    // --- front end ---
    // Volts/div index 0..9 (10 mV .. 10 V per division); also applies to the record already
    // captured (a test convenience).
    void SetVoltsIndex(int channel, int index);
    int VoltsIndex(int channel) const;
    // Attenuator class (0: indexes 0-3, 1: 4-6, 2: 7-9) and gain bit as the relays and the gain
    // command carry them. Indexes 0/1, 2/3, 5/6 and 8/9 share both, so the wire cannot tell them
    // apart: the current index stays when it matches, else the first index that does. The
    // client's own gain factor finishes the scale, so the amplitude is right either way, and
    // once an offset DAC has been sent the zero level follows it and is right too.
    void SetFrontEnd(int channel, int attenuatorClass, int gainBit);
    // 0 DC, 1 AC, 2 GND; also applies to the record already captured (a test convenience).
    void SetCoupling(int channel, int coupling);
    int Coupling(int channel) const;
    // Vertical offset DAC of a channel (0..4095), which sets the raw code of 0 V:
    // (4095 - DAC) / 4. Until one is sent, 0 V lies at display code 256 of the current index.
    void SetOffsetDac(int channel, int dac);
    std::optional<int> OffsetDac(int channel) const;

    // --- sample clock and record ---
    // Runs the clock of this time-base step's 10240-point record (26 and up: the roll stream);
    // also applies to the record already captured (a test convenience).
    void SetTimeBaseIndex(int index);
    // The step whose 10240-point record the clock runs now: 10 on the fastest clock (which steps
    // 0..10 share), 11 or 12 by the flags of counter 0, 13..25 by counter, 26 for the roll stream.
    int TimeBaseIndex() const;
    // Seconds between two samples of one converter on the current clock.
    double SampleInterval() const;
    void SetRollMode(bool roll); // the roll stream: 256-point records of the newest samples
    bool RollMode() const;
    // Wire memory code: 1 = 10240, 2 = the deep record, 3 = 512 points. Also applies to the
    // record already captured (a test convenience).
    void SetMemoryCode(int code);
    int MemoryCode() const;
    std::uint32_t RecordLength() const; // points per channel of the next record
    // Trigger position in percent of the record (50 until the positions command says else).
    int TriggerPosition() const;
    void SetSignal(int channel, const SimSignal& signal);
    void SetSampleFunction(SampleFn fn); // empty restores the signal model

    // --- signal scale, shared by the wire and the instrument-access roads ---
    // Volts per division of index 0..9 (other indexes are clamped into it).
    static double VoltsPerDivision(int voltsIndex);
    // Screen codes that one volt spans at a volts/div index: the screen's own scale, so an
    // amplitude of 1 V reaches one division at 1 V/div on the graticule.
    static double DisplayCodesPerVolt(int voltsIndex);

    // --- the wire's commands, decoded ---
    void ApplyTransferMode(std::uint8_t code);                             // 0xB3 code byte
    void ApplyOffsets(int ch1Dac, int ch2Dac, int triggerDac);             // 0xB4
    void ApplyRelays(const std::uint8_t* bytes, std::uint32_t length);     // 0xB5 data
    void ApplyGainBits(int gainByte);                                      // 0x07 byte 2
    void ApplyFilter(int bits);                                            // 0x00 byte 2
    void ApplySampleClock(std::uint16_t counter, int flags);               // 0x0C
    void ApplyPositions(std::uint32_t a, std::uint32_t b, int memoryCode); // 0x0D
    void ApplyTriggerCommand(const std::uint8_t* packet);                  // 0x0E, 8 bytes

    // What the wire carried, kept for inspection.
    struct FrontEndWords {
        std::array<int, 3> dacs{}; // CH1, CH2, trigger
        std::array<std::uint8_t, 17> relays{};
        int gainByte = 0;
        int filterBits = 0;
        int sampleCounter = 0;
        int counterFlags = 0;
        std::uint32_t positionA = 519167, positionB = 519167; // 50 %
        std::array<std::uint8_t, 8> triggerCommand{{0x0E, 0, 0x0C, 0, 0, 0, 0, 0}};
        int transferMode = 0; // last 0xB3 code byte
    };
    FrontEndWords Words() const;

    // --- capture cycle ---
    void CaptureStart();
    void ArmTrigger();
    void ForceTrigger();
    // One poll: gives the state and the trigger address, then moves the capture on.
    std::uint8_t PollCaptureState(std::uint32_t& triggerAddress);
    std::uint8_t CaptureState() const;
    // Polls in the armed state before the signal triggers by itself; 0 = never (no signal edge).
    void SetPollsToTrigger(int polls);
    // Fixed trigger address for the next captures; empty = a fresh pseudo-random address each time.
    void SetTriggerAddress(std::optional<std::uint32_t> address);
    std::uint32_t LastTriggerAddress() const;
    // Byte stream of the captured record as the get-data command returns it, written into `out`
    // (whose memory is reused): 4 x D bytes; 1024 bytes of the 256 newest points in roll mode;
    // in equivalent-time sampling one frame of 2048 bytes and the trailer with the TDC reading.
    void FillRecordStream(std::vector<std::uint8_t>& out);
    std::vector<std::uint8_t> RecordStream();
    int CaptureStarts() const;
    // Equivalent-time sampling: on while the TDC measures the trigger phase (select 3). A capture
    // start then arms the trigger at once, and reading a frame arms it again for the next.
    bool EtsMode() const;
    // The get-data command was received: in equivalent-time sampling the trigger is armed again.
    void DataRead();

    // --- logic byte and TDC ---
    void SetLogicValue(std::uint8_t v);
    std::uint8_t LogicValue() const;
    // A fixed reading for every TDC read, in place of the counter model; ClearTdcCount returns
    // to the model.
    void SetTdcCount(std::uint32_t count);
    void ClearTdcCount();
    // The TDC reading for the current select value.
    std::uint32_t TdcCount();
    void SetTdcSelect(int value);
    int TdcSelect() const;
    void SetTdcCalibration(int value);
    int TdcCalibration() const;

private:
    // What a capture keeps from the moment it triggers.
    struct Capture {
        std::uint32_t length = 10240;
        double interval = 20e-6;
        std::uint32_t pretrigger = 5120;
        std::uint32_t address = 0;
        int triggerChannel = 0; // -1: the external input, no channel is locked to the trigger
        bool falling = false;
        int interleaved = -1; // the channel both converters sample, or -1
        bool ets = false;
        double delay = 0.0;                // the trigger comes this fraction of an interval after its sample
        std::array<double, 2> freePhase{}; // phases of the channels when nothing locks them
        std::array<int, 2> volts{{3, 3}};
        std::array<int, 2> coupling{{0, 0}};
        std::array<std::optional<int>, 2> dac{};
    };
    // Raw code = zero + volts x perVolt, clamped to 0..1023.
    struct ChannelScale {
        double zero = 0.0;
        double perVolt = 0.0;
        bool grounded = false;
    };

    static double GainFactor(int voltsIndex);
    // Caller holds the lock.
    void FrontEndLocked(int channel, int attenuatorClass, int gainBit);
    void Trigger();
    Capture CurrentCapture() const;
    void Relatch();
    std::uint32_t NextRandom();
    double RandomFraction();
    std::uint32_t RecordLengthLocked() const;
    double SampleIntervalLocked() const;
    ChannelScale ScaleOf(const Capture& c, int channel) const;
    // Raw codes of `n` samples of a channel taken `dt` apart from time t0 (seconds from the
    // trigger) into `out`.
    void Synthesize(const Capture& c, int channel, double t0, double dt, std::uint32_t n,
                    std::uint16_t* out) const;
    // Raw codes of ring positions [first, first + n) of a record of `c`, both converters.
    void RingSamples(const Capture& c, std::uint32_t first, std::uint32_t n, std::uint16_t* a,
                     std::uint16_t* b) const;
    void FillRoll(std::vector<std::uint8_t>& out);
    std::uint32_t TdcReadingLocked();

    const SimModel m_model;
    mutable std::mutex m_mutex;
    std::vector<std::uint8_t> m_memory;
    std::array<int, 2> m_volts{{3, 3}};
    std::array<int, 2> m_coupling{{0, 0}};
    std::array<std::optional<int>, 2> m_dac{};
    std::array<SimSignal, 2> m_signal{};
    int m_step = 12; // step whose clock runs
    bool m_roll = false;
    int m_memoryCode = 1;
    int m_position = 50;
    int m_triggerCode = 1;  // trigger-source code: 1 CH1, 0 CH2, 3 ALT, 2 external
    int m_channels = 2;     // channel selector: 2 both, 0 CH1 alone, else CH2 alone
    bool m_falling = false; // trigger slope
    SampleFn m_sampleFn;
    FrontEndWords m_words;
    Capture m_capture;
    std::uint32_t m_reportedAddress = 0;
    long long m_rollSample = 0; // newest sample of the roll stream

    std::uint8_t m_state = 0;
    int m_polls = 0;
    int m_pollsToTrigger = 1;
    std::optional<std::uint32_t> m_fixedTrigger;
    std::uint32_t m_seed = 12345;
    int m_captureStarts = 0;

    std::uint8_t m_logic = 0;
    std::optional<std::uint32_t> m_tdcFixed;
    int m_tdcSelect = 0;
    int m_tdcCal = kTdcPowerUpValue;
    std::uint32_t m_tdcPhaseReading = kTdcOffsetCounts;
    std::vector<std::uint16_t> m_blockA, m_blockB; // synthesis scratch, reused
};

} // namespace kv::sim
