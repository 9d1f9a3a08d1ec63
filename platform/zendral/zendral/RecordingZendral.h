#pragma once
// A scriptable instrument access for tests: records every ordinal call with its arguments
// and a copy of the blocks it was given (as they stood at the call), and answers from
// values the test sets.
#include "zendral/Zendral.h"

#include <array>
#include <deque>
#include <map>
#include <vector>

namespace kv {

struct ZendralCall {
    int ordinal = 0;
    std::vector<long long> args;            // scalar arguments in call order (device index first)
    std::vector<std::vector<short>> blocks; // copies of the pointed-to blocks in call order
};

class RecordingZendral : public IZendral {
public:
    RecordingZendral();

    // --- What the fake answers -------------------------------------------------------
    std::array<int, 4> searchResults{{1, 0, 0, 0}}; // ordinal 8 per device index
    std::array<short, 4> addresses{{0, 0, 0, 0}};   // ordinal 20 per index
    int readCalibrationResult = 1;                  // ordinal 9
    std::vector<short> calibrationPairs;            // 2 x kCalibrationPairs words for ordinal 9
    int lineCalResult = 1;                          // ordinal 14
    std::array<short, kAdjustmentWords> lineCalWords{{0, 0, 0, 0}};
    std::array<short, 2> tdcCalData{{0, 0}}; // ordinal 32
    std::deque<int> tdcReadings;             // ordinal 24; empty: fails, writes nothing
    std::deque<int> captureStates;           // ordinal 2; empty: defaultCaptureState
    int defaultCaptureState = 4;
    int etsStatus = 1;          // ordinal 25
    short sampleValue = 0;      // fill value of ordinal 16 records
    std::map<int, int> results; // result override per ordinal (default 1)

    // --- What was called -------------------------------------------------------------
    std::vector<ZendralCall> calls;
    std::vector<int> Ordinals() const;
    std::vector<ZendralCall> CallsOf(int ordinal) const;
    void ClearCalls() { calls.clear(); }

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
    int FftPrepareInput(const short* record, int recordLength, short bins, short* input) override;
    int FftCompute(const ZendralFftBlock* block, const short* input, short position,
                   double* spectrum) override;

private:
    int Record(int ordinal, std::vector<long long> args, std::vector<std::vector<short>> blocks = {});
};

} // namespace kv
