#pragma once
// The instrument's USB access library as the program sees it: one operation per ordinal
// that the program imports. The real library is not part of this system; implementations
// are "no instrument" (the default), the recording fake used by tests and the simulated
// instrument, which registers itself through the factory hook in ZendralRegistry.h.
//
// Every record pointer travels with its capacity in samples, so an implementation never
// writes past the caller's buffer whatever the state block asks for.
#include <cstdint>

namespace kv {

// Word layout of the six-word device state block.
enum StateWord : int {
    kStateActiveSource = 0, // 0 CH1, 1 CH2, 2 ALT (until a capture picks a channel), 3 EXT, 4 EXT/10
    kStateChannelMode = 1,  // 0 CH1 only, 2 both channels, 3 CH2 only
    kStateTimeBase = 2,     // time-base index
    kStatePosition = 3,     // horizontal position / 5, 0..100
    kStateRecordLength = 4, // record-length code 0..6
    kStateAltFlag = 5,      // 1 when the trigger source is ALT
    kStateBlockWords = 6
};

// Word layout of the five-word level block (screen codes 0..511).
enum LevelWord : int {
    kLevelCh1Position = 0,
    kLevelCh2Position = 1,
    kLevelCh1Trigger = 2,
    kLevelCh2Trigger = 3,
    kLevelExtTrigger = 4,
    kLevelBlockWords = 5
};

constexpr int kCalibrationEntries = 40;    // zero-level calibration table
constexpr int kCalibrationBlockWords = 42; // the table and the two level-range words after it
constexpr int kCalibrationPairs = 128;     // pairs (high, low) in the table transfer buffer
constexpr int kCalibrationTransferLength = 80;
constexpr int kAdjustmentWords = 4;
constexpr int kFftRecordSamples = 10240; // record that the FFT input step resamples

// Parameter block of the spectrum computation (ordinal 17).
struct ZendralFftBlock {
    std::uint16_t source = 0; // 0 CH1, 1 CH2
    std::uint16_t window = 0; // 0 rectangle, 1 Hanning, 2 Hamming, 3 Blackman
    std::uint16_t bins = 0;   // 256, 512, 1024, 2048 or 4096
    double voltsPerDiv = 0.0; // volts per division of the source channel
    double scale = 0.0;       // 0.0 dB, 1.0 volts (the caller converts; the result is volts)
};

// The ETS arguments of ordinal 22 besides the records.
struct ZendralEtsArgs {
    void* workArea = nullptr;     // 1000-byte ETS work area
    short* calData = nullptr;     // two ETS calibration data words
    short* timerValues = nullptr; // ETS timer values A and B
    short value = 0;              // the ETS word that follows the work area
    short* nextWord = nullptr;    // the word after it
};

class IZendral {
public:
    virtual ~IZendral();

    // Ordinal 1: forces a trigger on the armed capture.
    virtual int ForceTrigger(short device) = 0;
    // Ordinal 2: writes the capture state (0, 1 waiting, 2, 3 running, above 3 data ready)
    // and returns it.
    virtual int GetCaptureState(short device, int* state) = 0;
    // Ordinal 3: trigger and sample rate.
    virtual int SetTriggerAndSampleRate(short device, short slope, int etsFlag, short* stateBlock,
                                        int triggerType, short pulseCondition, int pulseWidth) = 0;
    // Ordinal 33: receives the first three trigger arguments after ordinal 3.
    virtual int SetTriggerSlope(short device, short slope, int etsFlag, short* stateBlock) = 0;
    // Ordinal 34: receives the same three arguments after ordinal 33.
    virtual int SetSamplingTiming(short device, short slope, int etsFlag, short* stateBlock) = 0;
    // Ordinal 4: input ranges and couplings of both channels.
    virtual int SetVoltageAndCoupling(short device, short ch1VoltDiv, short ch2VoltDiv, short ch1Coupling,
                                      short ch2Coupling, short* stateBlock) = 0;
    // Ordinal 5: offsets and trigger levels from the level block and the 42-word calibration block.
    virtual int SetOffset(short device, short* levelBlock, short ch1VoltDiv, short ch2VoltDiv,
                          short activeSource, short* calibration) = 0;
    // Ordinal 6: starts (re-arms) a capture.
    virtual int CaptureStart(short device) = 0;
    // Ordinal 7: enables the trigger of the armed capture.
    virtual int EnableTrigger(short device) = 0;
    // Ordinal 8: device search / presence query; a non-zero 16-bit result means present.
    virtual int SearchDevice(short device) = 0;
    // Ordinal 9: reads the calibration table as (high, low) pairs into `pairs`
    // (kCalibrationPairs pairs); non-zero 16-bit result on success.
    virtual int ReadCalibration(short device, short* pairs, int length) = 0;
    // Ordinal 10: writes the calibration table from (high, low) pairs.
    virtual int WriteCalibration(short device, short* pairs, int length) = 0;
    // Ordinal 13: bandwidth limits of both channels and HF rejection (flags 0/1).
    virtual int SetFilter(short device, int ch1BandwidthLimit, int ch2BandwidthLimit, int hfReject) = 0;
    // Ordinal 14: reads the four adjustment words.
    virtual int ReadLineCalData(short device, short* words) = 0;
    // Ordinal 15: writes the four adjustment words.
    virtual int WriteLineCalData(short device, short* words) = 0;
    // Ordinal 16: reads both channels' records (at most `capacity` samples each).
    virtual int GetChannelData(short device, short ch1VoltDiv, short ch2VoltDiv, short* ch1Record,
                               short* ch2Record, int capacity, short* stateBlock, int captureState) = 0;
    // Ordinal 20: reads the device address of `index` (which replaces the current index).
    virtual int ReadDeviceAddress(short index, short* address) = 0;
    // Ordinal 21: gives a device a new address; takes no device index.
    virtual int SetDeviceAddress(short a, short b) = 0;
    // Ordinal 22: assembles the CH1 and CH2 work records from the ETS data; no device index.
    virtual int EtsAssemble(short* stateBlock, short* ch1Work, short* ch2Work, short* ch1Raw, int capacity,
                            const ZendralEtsArgs& ets) = 0;
    // Ordinal 23: selects the time-interval counter mode (1, 2 or 3).
    virtual int SelectTdc(short device, short mode) = 0;
    // Ordinal 24: reads the time-interval counter.
    virtual int ReadTdc(short device, int* value) = 0;
    // Ordinal 25: equivalent-time read into the CH1 raw record; 2 means no new data.
    virtual int EtsGetData(short device, short ch1VoltDiv, short ch2VoltDiv, short* ch1Raw, int capacity,
                           short* stateBlock, short sweep) = 0;
    // Ordinal 26: sends the ETS calibration value.
    virtual int SetTdcCalValue(short device, short value) = 0;
    // Ordinal 27: writes the two ETS calibration data words.
    virtual int WriteTdcCalData(short device, short* data) = 0;
    // Ordinal 31: writes the ETS maximum and minimum words.
    virtual int WriteEtsCalData(short device, short* data) = 0;
    // Ordinal 32: reads the two ETS calibration data words.
    virtual int ReadTdcCalData(short device, short* data) = 0;

    // Ordinal 18: fills `input` (2 x bins samples) from a record of at least
    // kFftRecordSamples samples by resampling its central ten divisions (samples
    // 120..10119). Returns 0 and writes nothing for a bad bin count or a short record.
    virtual int FftPrepareInput(const short* record, int recordLength, short bins, short* input);
    // Ordinal 17: windows the 2 x bins codes of `input`, converts them to volts about the
    // zero line 511 - position and writes `bins` amplitude magnitudes (volts) to `spectrum`.
    // Returns 0 and writes nothing for a bad bin count or window.
    virtual int FftCompute(const ZendralFftBlock* block, const short* input, short position,
                           double* spectrum);
};

// True for the bin counts the spectrum accepts.
bool IsValidFftBins(int bins);

} // namespace kv
