#pragma once
// The simulated instrument: stored settings memory, channel signals, capture states, trigger
// address, logic byte and TDC values. It knows nothing of the wire; SimWireDevice decodes the
// driver protocol into calls on this model, and other front ends may drive the same model.
#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

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
    static constexpr int kMidCode = 256; // display code of 0 V

    // Raw 10-bit sample of `channel` (0 = CH1, 1 = CH2) at record index k of a record of `length`
    // points whose trigger sits at `trigger`. Replaces the built-in signal model when set.
    using SampleFn = std::function<std::uint16_t(int channel, std::uint32_t k, std::uint32_t length,
                                                 std::uint32_t trigger)>;

    SimInstrument();

    // --- stored settings memory ---
    bool ReadMemory(std::uint32_t address, std::uint8_t* out, std::uint32_t length) const;
    bool WriteMemory(std::uint32_t address, const std::uint8_t* data, std::uint32_t length);

    // --- front end, as far as the model needs it ---
    void SetVoltsIndex(int channel, int index); // 0..9, 10 mV .. 10 V per division
    int VoltsIndex(int channel) const;
    // Attenuator class (0: indexes 0-3, 1: 4-6, 2: 7-9) and gain bit as the relays and the
    // gain command report them; keeps the current index when it matches, else takes the first
    // index that does.
    void SetFrontEnd(int channel, int attenuatorClass, int gainBit);
    void SetCoupling(int channel, int coupling); // 0 DC, 1 AC, 2 GND
    int Coupling(int channel) const;
    void SetTimeBaseIndex(int index); // 0..38
    int TimeBaseIndex() const;
    void SetRollMode(bool roll); // time bases of 1 s/div and slower stream 256-point records
    bool RollMode() const;
    void SetMemoryCode(int code); // wire meaning: 1 = 10240, 2 = 524288, 3 = 512 points
    int MemoryCode() const;
    std::uint32_t RecordLength() const; // points per channel of the next record
    void SetTriggerSource(int source);
    void SetSignal(int channel, const SimSignal& signal);
    void SetSampleFunction(SampleFn fn); // empty restores the signal model

    // Raw values the wire carried, kept for inspection.
    struct FrontEndWords {
        std::array<int, 3> dacs{}; // CH1, CH2, trigger
        std::array<std::uint8_t, 17> relays{};
        int gainByte = 0;
        int filterBits = 0;
        int sampleCounter = 0;
        int counterFlags = 0;
        std::uint32_t positionA = 0, positionB = 0;
        std::array<std::uint8_t, 8> triggerCommand{};
        int transferMode = 0; // last 0xB3 code byte
    };
    FrontEndWords& Words() { return m_words; }
    const FrontEndWords& Words() const { return m_words; }

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
    // Byte stream of the captured record as the get-data command returns it: 4 x D bytes
    // (1024 bytes of a 256-point record in roll mode).
    std::vector<std::uint8_t> RecordStream() const;
    std::uint16_t RawSample(int channel, std::uint32_t k, std::uint32_t length, std::uint32_t trigger) const;
    int CaptureStarts() const { return m_captureStarts; }
    // Equivalent-time sampling: a capture start arms the trigger at once, and reading a frame
    // (the get-data command) re-arms it for the next frame. Off by default.
    void SetEtsMode(bool on);
    bool EtsMode() const;
    // The get-data command was received: in ETS mode the trigger is armed again.
    void DataRead();

    // --- logic byte and TDC ---
    void SetLogicValue(std::uint8_t v);
    std::uint8_t LogicValue() const;
    void SetTdcCount(std::uint32_t count);
    std::uint32_t TdcCount() const;
    void SetTdcSelect(int value);
    int TdcSelect() const;
    void SetTdcCalibration(int value);
    int TdcCalibration() const;

private:
    static double GainFactor(int voltsIndex);
    static double VoltsPerDivision(int voltsIndex);
    static double SecondsPerDivision(int timeBaseIndex);
    void Trigger(); // caller holds the lock

    mutable std::mutex m_mutex;
    std::vector<std::uint8_t> m_memory;
    std::array<int, 2> m_volts{{3, 3}};
    std::array<int, 2> m_coupling{{0, 0}};
    std::array<SimSignal, 2> m_signal{};
    int m_timeBase = 12;
    bool m_roll = false;
    int m_memoryCode = 1;
    int m_triggerSource = 0;
    SampleFn m_sampleFn;
    FrontEndWords m_words;

    std::uint8_t m_state = 0;
    int m_polls = 0;
    int m_pollsToTrigger = 1;
    std::optional<std::uint32_t> m_fixedTrigger;
    std::uint32_t m_trigger = 0;
    std::uint32_t m_seed = 12345;
    int m_captureStarts = 0;
    bool m_ets = false;

    std::uint8_t m_logic = 0;
    std::uint32_t m_tdcCount = 0;
    int m_tdcSelect = 0;
    int m_tdcCal = 0;
};

} // namespace kv::sim
