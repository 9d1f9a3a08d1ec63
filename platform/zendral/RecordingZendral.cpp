#include "zendral/RecordingZendral.h"

#include <algorithm>
#include <cstring>

namespace kv {

namespace {

std::vector<short> Copy(const short* p, int n) {
    return p ? std::vector<short>(p, p + n) : std::vector<short>();
}

} // namespace

RecordingZendral::RecordingZendral() : calibrationPairs(2 * kCalibrationPairs, 0) {}

std::vector<int> RecordingZendral::Ordinals() const {
    std::vector<int> out;
    out.reserve(calls.size());
    for (const ZendralCall& c : calls)
        out.push_back(c.ordinal);
    return out;
}

std::vector<ZendralCall> RecordingZendral::CallsOf(int ordinal) const {
    std::vector<ZendralCall> out;
    for (const ZendralCall& c : calls)
        if (c.ordinal == ordinal)
            out.push_back(c);
    return out;
}

int RecordingZendral::Record(int ordinal, std::vector<long long> args,
                             std::vector<std::vector<short>> blocks) {
    calls.push_back(ZendralCall{ordinal, std::move(args), std::move(blocks)});
    auto it = results.find(ordinal);
    return it == results.end() ? 1 : it->second;
}

int RecordingZendral::ForceTrigger(short device) {
    return Record(1, {device});
}

int RecordingZendral::GetCaptureState(short device, int* state) {
    int value = defaultCaptureState;
    if (!captureStates.empty()) {
        value = captureStates.front();
        captureStates.pop_front();
    }
    Record(2, {device});
    if (state)
        *state = value;
    return value;
}

int RecordingZendral::SetTriggerAndSampleRate(short device, short slope, int etsFlag, short* stateBlock,
                                              int triggerType, short pulseCondition, int pulseWidth) {
    return Record(3, {device, slope, etsFlag, triggerType, pulseCondition, pulseWidth},
                  {Copy(stateBlock, kStateBlockWords)});
}

int RecordingZendral::SetTriggerSlope(short device, short slope, int etsFlag, short* stateBlock) {
    return Record(33, {device, slope, etsFlag}, {Copy(stateBlock, kStateBlockWords)});
}

int RecordingZendral::SetSamplingTiming(short device, short slope, int etsFlag, short* stateBlock) {
    return Record(34, {device, slope, etsFlag}, {Copy(stateBlock, kStateBlockWords)});
}

int RecordingZendral::SetVoltageAndCoupling(short device, short ch1VoltDiv, short ch2VoltDiv,
                                            short ch1Coupling, short ch2Coupling, short* stateBlock) {
    return Record(4, {device, ch1VoltDiv, ch2VoltDiv, ch1Coupling, ch2Coupling},
                  {Copy(stateBlock, kStateBlockWords)});
}

int RecordingZendral::SetOffset(short device, short* levelBlock, short ch1VoltDiv, short ch2VoltDiv,
                                short activeSource, short* calibration) {
    return Record(5, {device, ch1VoltDiv, ch2VoltDiv, activeSource},
                  {Copy(levelBlock, kLevelBlockWords), Copy(calibration, kCalibrationBlockWords)});
}

int RecordingZendral::CaptureStart(short device) {
    return Record(6, {device});
}
int RecordingZendral::EnableTrigger(short device) {
    return Record(7, {device});
}

int RecordingZendral::SearchDevice(short device) {
    Record(8, {device});
    return device >= 0 && device < 4 ? searchResults[static_cast<size_t>(device)] : 0;
}

int RecordingZendral::ReadCalibration(short device, short* pairs, int length) {
    Record(9, {device, length}, {Copy(pairs, 2 * kCalibrationPairs)});
    if (readCalibrationResult != 0 && pairs)
        std::copy_n(calibrationPairs.begin(),
                    std::min<size_t>(calibrationPairs.size(), 2 * kCalibrationPairs), pairs);
    return readCalibrationResult;
}

int RecordingZendral::WriteCalibration(short device, short* pairs, int length) {
    return Record(10, {device, length}, {Copy(pairs, 2 * kCalibrationPairs)});
}

int RecordingZendral::SetFilter(short device, int ch1BandwidthLimit, int ch2BandwidthLimit, int hfReject) {
    return Record(13, {device, ch1BandwidthLimit, ch2BandwidthLimit, hfReject});
}

int RecordingZendral::ReadLineCalData(short device, short* words) {
    Record(14, {device});
    if (lineCalResult != 0 && words)
        std::copy(lineCalWords.begin(), lineCalWords.end(), words);
    return lineCalResult;
}

int RecordingZendral::WriteLineCalData(short device, short* words) {
    return Record(15, {device}, {Copy(words, kAdjustmentWords)});
}

int RecordingZendral::GetChannelData(short device, short ch1VoltDiv, short ch2VoltDiv, short* ch1Record,
                                     short* ch2Record, int capacity, short* stateBlock, int captureState) {
    const int r = Record(16, {device, ch1VoltDiv, ch2VoltDiv, capacity, captureState},
                         {Copy(stateBlock, kStateBlockWords)});
    if (capacity > 0) {
        if (ch1Record)
            std::fill_n(ch1Record, capacity, sampleValue);
        if (ch2Record)
            std::fill_n(ch2Record, capacity, sampleValue);
    }
    return r;
}

int RecordingZendral::ReadDeviceAddress(short index, short* address) {
    const int r = Record(20, {index});
    if (address && index >= 0 && index < 4)
        *address = addresses[static_cast<size_t>(index)];
    return r;
}

int RecordingZendral::SetDeviceAddress(short a, short b) {
    return Record(21, {a, b});
}

int RecordingZendral::EtsAssemble(short* stateBlock, short*, short*, short*, int capacity,
                                  const ZendralEtsArgs& ets) {
    return Record(22, {capacity, ets.value},
                  {Copy(stateBlock, kStateBlockWords), Copy(ets.calData, 2), Copy(ets.timerValues, 2)});
}

int RecordingZendral::SelectTdc(short device, short mode) {
    return Record(23, {device, mode});
}

int RecordingZendral::ReadTdc(short device, int* value) {
    Record(24, {device});
    if (tdcReadings.empty())
        return 0;
    if (value)
        *value = tdcReadings.front();
    tdcReadings.pop_front();
    return 1;
}

int RecordingZendral::EtsGetData(short device, short ch1VoltDiv, short ch2VoltDiv, short*, int capacity,
                                 short* stateBlock, short sweep) {
    Record(25, {device, ch1VoltDiv, ch2VoltDiv, capacity, sweep}, {Copy(stateBlock, kStateBlockWords)});
    return etsStatus;
}

int RecordingZendral::SetTdcCalValue(short device, short value) {
    return Record(26, {device, value});
}

int RecordingZendral::WriteTdcCalData(short device, short* data) {
    return Record(27, {device}, {Copy(data, 2)});
}

int RecordingZendral::WriteEtsCalData(short device, short* data) {
    return Record(31, {device}, {Copy(data, 2)});
}

int RecordingZendral::ReadTdcCalData(short device, short* data) {
    const int r = Record(32, {device});
    if (data)
        std::copy(tdcCalData.begin(), tdcCalData.end(), data);
    return r;
}

int RecordingZendral::FftPrepareInput(const short* record, int recordLength, short bins, short* input) {
    Record(18, {recordLength, bins});
    return IZendral::FftPrepareInput(record, recordLength, bins, input);
}

int RecordingZendral::FftCompute(const ZendralFftBlock* block, const short* input, short position,
                                 double* spectrum) {
    Record(17, {block ? block->source : -1, block ? block->window : -1, block ? block->bins : -1, position});
    return IZendral::FftCompute(block, input, position, spectrum);
}

} // namespace kv
