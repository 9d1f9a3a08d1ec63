#include "engine/UsbDevice.h"

#include <algorithm>

#include "system/Narrow.h"
#include "zendral/ZendralRegistry.h"

namespace {

// The library's status results are 16-bit words; only their low half counts.
bool Ok16(int result) {
    return static_cast<std::uint16_t>(result) != 0;
}

constexpr int kMaxCalibrationHigh = 50;
constexpr std::int16_t kUnsetAdjustment = 0x1FF;

} // namespace

CUsbDevice::CUsbDevice() = default;
CUsbDevice::~CUsbDevice() = default;

std::int16_t CUsbDevice::ScanDevices() {
    kv::IZendral& z = kv::CurrentZendral();
    std::int16_t count = 0;
    for (std::int16_t i = 0; i < kMaxDevices; ++i) {
        if (Ok16(z.SearchDevice(i))) {
            m_bPresent[i] = 1;
            ReadDeviceAddress(i);
            ++count;
        } else {
            m_bPresent[i] = 0;
        }
    }
    m_nDeviceCount = count;
    return count;
}

int CUsbDevice::ReadDeviceAddress(std::int16_t index) {
    // The address array has four entries; an index from a dialog or file must not reach past them.
    if (index < 0 || index >= kMaxDevices)
        return 0;
    return kv::CurrentZendral().ReadDeviceAddress(index, &m_nAddress[index]);
}

int CUsbDevice::SetDeviceAddress(std::int16_t a, std::int16_t b) {
    return kv::CurrentZendral().SetDeviceAddress(a, b);
}

int CUsbDevice::IsDevicePresent() {
    return Ok16(kv::CurrentZendral().SearchDevice(m_nDeviceIndex)) ? 1 : 0;
}

std::int32_t CUsbDevice::IsPresent(int index) const {
    return index >= 0 && index < kMaxDevices ? m_bPresent[index] : 0;
}

std::int16_t CUsbDevice::GetAddress(int index) const {
    return index >= 0 && index < kMaxDevices ? m_nAddress[index] : 0;
}

bool CUsbDevice::SetDeviceIndex(std::int16_t index) {
    if (index < 0 || index >= kMaxDevices)
        return false;
    m_nDeviceIndex = index;
    return true;
}

int CUsbDevice::ReadCalibration(std::int16_t* table) {
    std::int16_t pairs[2 * kv::kCalibrationPairs] = {};
    if (!Ok16(kv::CurrentZendral().ReadCalibration(m_nDeviceIndex, pairs, kv::kCalibrationTransferLength)))
        return 0;
    if (!table)
        return 1;
    for (int i = 0; i < kCalibrationEntries; ++i) {
        const int high = std::min<int>(pairs[2 * i], kMaxCalibrationHigh);
        const int low = pairs[2 * i + 1];
        table[i] = kv::Saturate<std::int16_t>(high * 256 + low);
    }
    return 1;
}

int CUsbDevice::WriteCalibration(const std::uint16_t* table) {
    std::int16_t pairs[2 * kv::kCalibrationPairs] = {};
    if (table) {
        for (int i = 0; i < kCalibrationEntries; ++i) {
            pairs[2 * i] = static_cast<std::int16_t>(table[i] >> 8);
            pairs[2 * i + 1] = static_cast<std::int16_t>(table[i] & 0xFF);
        }
    }
    return Ok16(kv::CurrentZendral().WriteCalibration(m_nDeviceIndex, pairs, kv::kCalibrationTransferLength))
               ? 1
               : 0;
}

int CUsbDevice::ReadLineCalData() {
    std::int16_t words[kAdjustmentWords] = {};
    std::copy(m_adjustment, m_adjustment + kAdjustmentWords, words);
    if (!Ok16(kv::CurrentZendral().ReadLineCalData(m_nDeviceIndex, words)))
        return 0;
    for (int i = 0; i < kAdjustmentWords; ++i)
        m_adjustment[i] = words[i] == kUnsetAdjustment ? 0 : words[i];
    return 1;
}

int CUsbDevice::WriteLineCalData() {
    return Ok16(kv::CurrentZendral().WriteLineCalData(m_nDeviceIndex, m_adjustment)) ? 1 : 0;
}

int CUsbDevice::SetTriggerAndSampleRate(std::int16_t slope, std::int32_t etsFlag, std::int16_t* stateBlock,
                                        std::int32_t triggerType, std::int16_t pulseCondition,
                                        std::int32_t pulseWidth) {
    kv::IZendral& z = kv::CurrentZendral();
    std::int16_t* state = StateOr(stateBlock);
    z.SetTriggerAndSampleRate(m_nDeviceIndex, slope, etsFlag, state, triggerType, pulseCondition, pulseWidth);
    z.SetTriggerSlope(m_nDeviceIndex, slope, etsFlag, state);
    z.SetSamplingTiming(m_nDeviceIndex, slope, etsFlag, state);
    return 1;
}

int CUsbDevice::SetVoltageAndCoupling(std::int16_t ch1VoltDiv, std::int16_t ch2VoltDiv,
                                      std::int16_t ch1Coupling, std::int16_t ch2Coupling,
                                      std::int16_t* stateBlock) {
    kv::CurrentZendral().SetVoltageAndCoupling(m_nDeviceIndex, ch1VoltDiv, ch2VoltDiv, ch1Coupling,
                                               ch2Coupling, StateOr(stateBlock));
    return 1;
}

int CUsbDevice::SetOffset(const std::int16_t*, std::int16_t ch1VoltDiv, std::int16_t ch2VoltDiv,
                          std::int16_t activeSource, std::int16_t* calibration) {
    kv::CurrentZendral().SetOffset(m_nDeviceIndex, m_levelBlock, ch1VoltDiv, ch2VoltDiv, activeSource,
                                   calibration);
    return 1;
}

int CUsbDevice::CaptureStart() {
    kv::CurrentZendral().CaptureStart(m_nDeviceIndex);
    return 1;
}

int CUsbDevice::TriggerEnabled() {
    kv::CurrentZendral().EnableTrigger(m_nDeviceIndex);
    return 1;
}

int CUsbDevice::ForceTrigger() {
    kv::CurrentZendral().ForceTrigger(m_nDeviceIndex);
    return 1;
}

int CUsbDevice::GetCaptureState() {
    return kv::CurrentZendral().GetCaptureState(m_nDeviceIndex, &m_nCaptureState);
}

int CUsbDevice::SetFilter(std::int32_t ch1BandwidthLimit, std::int32_t ch2BandwidthLimit,
                          std::int32_t hfReject) {
    kv::CurrentZendral().SetFilter(m_nDeviceIndex, ch1BandwidthLimit, ch2BandwidthLimit, hfReject);
    return 1;
}

int CUsbDevice::GetChannelData(std::int16_t ch1VoltDiv, std::int16_t ch2VoltDiv, std::int16_t* ch1Record,
                               std::int16_t* ch2Record, std::int32_t capacity) {
    return kv::CurrentZendral().GetChannelData(m_nDeviceIndex, ch1VoltDiv, ch2VoltDiv, ch1Record, ch2Record,
                                               std::max(capacity, 0), m_stateBlock, m_nCaptureState);
}

int CUsbDevice::SelectTdc(std::int16_t mode) {
    return kv::CurrentZendral().SelectTdc(m_nDeviceIndex, mode);
}

int CUsbDevice::ReadTdc(std::int32_t* value) {
    return kv::CurrentZendral().ReadTdc(m_nDeviceIndex, value);
}

int CUsbDevice::WriteTdcCalData(std::int16_t* data) {
    return kv::CurrentZendral().WriteTdcCalData(m_nDeviceIndex, data);
}

int CUsbDevice::SetTdcCalValue(std::int16_t value) {
    return kv::CurrentZendral().SetTdcCalValue(m_nDeviceIndex, value);
}

int CUsbDevice::WriteEtsCalData(std::int16_t* data) {
    return kv::CurrentZendral().WriteEtsCalData(m_nDeviceIndex, data);
}

int CUsbDevice::ReadTdcCalData(std::int16_t* data) {
    return kv::CurrentZendral().ReadTdcCalData(m_nDeviceIndex, data);
}

int CUsbDevice::EtsGetData(std::int16_t ch1VoltDiv, std::int16_t ch2VoltDiv, std::int16_t* ch1Record,
                           std::int32_t capacity, std::int16_t sweep) {
    return kv::CurrentZendral().EtsGetData(m_nDeviceIndex, ch1VoltDiv, ch2VoltDiv, ch1Record,
                                           std::max(capacity, 0), m_stateBlock, sweep);
}

int CUsbDevice::EtsAssemble(std::int16_t* ch1Work, std::int16_t* ch2Work, std::int16_t* ch1Raw,
                            std::int32_t capacity, const kv::ZendralEtsArgs& ets) {
    return kv::CurrentZendral().EtsAssemble(m_stateBlock, ch1Work, ch2Work, ch1Raw, std::max(capacity, 0),
                                            ets);
}

std::int16_t CUsbDevice::GetStateWord(int word) const {
    return word >= 0 && word < kStateWords ? m_stateBlock[word] : 0;
}

void CUsbDevice::SetStateWord(int word, std::int16_t value) {
    if (word >= 0 && word < kStateWords)
        m_stateBlock[word] = value;
}

std::int16_t CUsbDevice::GetLevelWord(int word) const {
    return word >= 0 && word < kLevelWords ? m_levelBlock[word] : 0;
}

void CUsbDevice::SetLevelWord(int word, std::int16_t value) {
    if (word >= 0 && word < kLevelWords)
        m_levelBlock[word] = value;
}
