#include "engine/KelvaneDoc.h"

#include <algorithm>
#include <limits>

#include "engine/DeviceStateBlock.h"
#include "engine/DocDeviceCalls.h"
#include "engine/ModelCapabilities.h"
#include "engine/SettingsCodes.h"
#include "engine/TimeBaseLimits.h"
#include "resources/Resource.h"
#include "timebase/RecordLength.h"

namespace {

// Level range, input ranges and offsets after a volts/div change, all for the active source
// as it stood before the calls.
void SendVoltsPerDiv(CKelvaneDoc& doc) {
    const std::int16_t active = doc.m_usb.GetStateWord(kv::kStateActiveSource);
    doc.m_trigger.ComputeLevelRange(doc.m_ch1.GetVoltsPerDivIndex(), doc.m_ch2.GetVoltsPerDivIndex(), active);
    kv::docdevice::SendVoltageAndCoupling(doc);
    kv::docdevice::SendOffset(doc, active);
}

constexpr int kScreenPoints = CTrace::kScreenPoints;
constexpr int kTdcMin = 1;
constexpr int kTdcMax = 4095;
constexpr std::int16_t kEtsTimerADefault = 3950;
constexpr std::int16_t kEtsTimerBDefault = 2000;
constexpr std::int16_t kEtsProbeTimeBase = 12;

bool ValidVoltDiv(std::int16_t index) {
    return index >= 0 && index <= 9;
}

} // namespace

CKelvaneDoc::CKelvaneDoc() {
    m_strPulseWidth = "10.0nS";
    OnCommand(ID_LANGUAGE_DEFAULT, [this] { OnLanguageDefault(); });
    OnUpdateCommand(ID_LANGUAGE_DEFAULT, [this](CCmdUI* pCmdUI) { OnUpdateLanguageDefault(pCmdUI); });
}

CKelvaneDoc::~CKelvaneDoc() {
    m_persistence.Clear();
}

BOOL CKelvaneDoc::OnNewDocument() {
    return CDocument::OnNewDocument();
}

void CKelvaneDoc::SetDefaultSettings() {
    // 1. Document flags.
    m_nModel = kDefaultModel;
    SetRunState(true, kRunStatusAuto);
    m_nStatusTick = 0;
    m_nSaveChannel = 0;
    m_bZoomOut = m_bZoomIn = m_bDrag = 0;
    m_bRollNewPoints = 0;
    m_nLastRollTime = 0;
    m_nAltPhase = 0;
    m_bPretriggerWait = 0;
    m_bAutoForced = 0;
    m_persistence.SetEnabled(0);
    m_bCh1NoSignal = m_bCh2NoSignal = 0;

    CTrace* traces[4] = {&m_ch1, &m_ch2, &m_math, &m_ref};
    // 2. Model index into every trace.
    for (CTrace* t : traces)
        t->SetModel(m_nModel);
    // 3. On states and colours.
    m_ch1.SetOn(1);
    m_ch2.SetOn(1);
    m_math.SetOn(0);
    m_ref.SetOn(0);
    m_ch1.SetColor(0x00FF00);
    m_ch2.SetColor(0x00FFFF);
    m_math.SetColor(0x0000FF);
    m_ref.SetColor(0xFFFF00);
    // 4. Vertical settings.
    for (CTrace* t : traces) {
        t->SetVoltsPerDivIndex(6);
        t->SetInterpolation(kInterpolationSinc);
    }
    m_ch1.SetCoupling(kCouplingAc);
    m_ch2.SetCoupling(kCouplingAc);
    m_math.SetCoupling(kCouplingMath);
    for (CTrace* t :
         {static_cast<CTrace*>(&m_ch1), static_cast<CTrace*>(&m_ch2), static_cast<CTrace*>(&m_math)}) {
        t->SetProbe(0);
        t->SetInvert(0);
        t->SetBandwidthLimit(0);
        t->SetFilter(0);
    }
    // 5. MATH operation and sources.
    m_math.SetOperation(CMathChannel::kAdd);
    m_math.SetSourceA(0);
    m_math.SetSourceB(1);
    // 6. Vertical positions.
    m_ch1.SetPosition(128.0f);
    m_ch2.SetPosition(384.0f);
    m_math.SetPosition(256.0f);
    m_ref.SetPosition(256.0f);
    // 7. Horizontal settings (40 us/div under either index offset).
    m_settings.SetRecordLengthMode(kRecordLength10K);
    m_settings.SetTimeBaseFormat(kFormatYT);
    m_settings.SetHorizontalPosition(250);
    m_settings.SetSamplingMode(kSamplingRealTime);
    const std::int16_t offset = CScopeSettings::IndexOffsetOfModel(m_nModel);
    m_settings.SetIndexOffset(offset);
    m_settings.SetTimeBaseIndex(static_cast<std::int16_t>(13 - offset));
    // 8. Trigger.
    m_trigger.SetDragValue(0.0f);
    m_trigger.SetLevel(CTrigger::kLevelCh1, 128.0f);
    m_trigger.SetLevel(CTrigger::kLevelCh2, 384.0f);
    m_trigger.SetLevel(CTrigger::kLevelExt, 256.0f);
    for (int s = 0; s < CTrigger::kLevelCount; ++s) {
        m_trigger.SetLevelVolts(s, 0.0f);
        m_trigger.SetMarkerWord(s, 0);
    }
    m_trigger.SetSource(kSourceCh1);
    m_trigger.SetTriggerType(kTriggerEdge);
    m_trigger.SetSlope(kSlopeRising);
    m_trigger.SetSweep(kSweepAuto);
    m_trigger.SetHfReject(0);
    // 9. Measurement list.
    m_measure.SetDefaults();
    // 10. Record store, pass/fail mask, FFT settings.
    m_record.Reset();
    m_passFail.Reset();
    m_fft.ResetFftSettings();
    // 11. Record lengths and the model's maximum record length (model 3 keeps its value).
    for (CTrace* t : traces)
        t->SetRecordLength(kv::timebase::RecordLengthOfCode(kRecordLength10K));
    const std::int32_t maxLength = CapabilitiesOfModel(m_nModel).maxRecordLength;
    if (maxLength > 0)
        for (CTrace* t : traces)
            t->SetMaxRecordLength(maxLength);
    // 12. Acquisition mode Normal (releases the averaging rings).
    m_average.SetAcquireMode(CAverageBuffer::kModeNormal);
    m_average.SetFramesHeld(0);
    m_average.SetFramesWanted(1);
    // 13. REF's stored acquisition data.
    m_ref.SetHorizontalPosition(250);
    m_ref.SetLoadedPosition(256.0f);
    m_ref.SetNoSamples(1);
    // 14. Persistence depth 0.
    SetPersistenceDepth(0);
    // 15. Valid range of every trace.
    for (CTrace* t : traces)
        t->SetValidRange(0, kScreenPoints - 1);
}

int CKelvaneDoc::AllocSampleBuffers() {
    const std::int32_t size = std::max(m_ch1.GetMaxRecordLength(), kMinSampleBuffer);
    m_ch1.AllocateRecords(size);
    m_ch2.AllocateRecords(size);
    m_ref.AllocateRecords(size);
    m_nSampleBufferSize =
        std::min({m_ch1.GetRecordCapacity(), m_ch2.GetRecordCapacity(), m_ref.GetRecordCapacity()});
    for (CTrace* t :
         {static_cast<CTrace*>(&m_ch1), static_cast<CTrace*>(&m_ch2), static_cast<CTrace*>(&m_math)})
        std::fill_n(t->GetScreenTrace(), kScreenPoints, std::int16_t{0});
    return 0;
}

bool CKelvaneDoc::IsRecordLengthCodeUsable(std::int16_t code) const {
    return code >= 0 && code <= CScopeSettings::kMaxRecordLengthMode &&
           kv::timebase::RecordLengthOfCode(code) <= m_nSampleBufferSize;
}

void CKelvaneDoc::SetRecordLength(std::int16_t code) {
    if (code < 1 || code > 6)
        code = 0;
    const std::int32_t length = kv::timebase::RecordLengthOfCode(code);
    m_usb.SetStateWord(kv::kStateRecordLength, code);
    m_ch1.SetRecordLength(length);
    m_ch2.SetRecordLength(length);
    m_math.SetRecordLength(length);
    SendTriggerAndSampleRate();
}

void CKelvaneDoc::ChooseRecordLength(std::int16_t code) {
    m_settings.SetRecordLengthMode(code);
    SetRecordLength(code);
}

void CKelvaneDoc::SendTriggerAndSampleRate() {
    m_usb.SetTriggerAndSampleRate(m_trigger.GetSlope(), m_settings.GetEtsFlag(), m_usb.GetStateBlock(),
                                  m_trigger.GetTriggerTypeWord(), m_trigger.GetPulseCondition(),
                                  m_trigger.GetPulseWidth());
}

int CKelvaneDoc::ApplySettingsToDevice() {
    // 1. FFT settings into the device record's FFT block.
    kv::ZendralFftBlock& fft = m_usb.GetFftBlock();
    fft.source = static_cast<std::uint16_t>(m_fft.m_nSource);
    fft.window = static_cast<std::uint16_t>(m_fft.m_nWindow);
    fft.bins = static_cast<std::uint16_t>(m_fft.m_nBins);
    fft.scale = static_cast<double>(m_fft.m_nScale);
    // 2. Trigger source.
    const std::int16_t source = m_trigger.GetSource();
    if (source == kSourceAlt) {
        m_usb.SetStateWord(kv::kStateAltFlag, 1);
        SwapAlternateTriggerSource();
    } else {
        m_usb.SetStateWord(kv::kStateAltFlag, 0);
        m_usb.SetStateWord(kv::kStateActiveSource, source);
        m_usb.SetStateWord(kv::kStateChannelMode, kChannelModeBoth);
    }
    // 3. State block.
    m_usb.SetStateWord(kv::kStatePosition, PositionWord(m_settings.GetHorizontalPosition()));
    m_usb.SetStateWord(kv::kStateTimeBase, m_settings.GetTimeBaseIndex());
    m_usb.SetStateWord(kv::kStateRecordLength, m_settings.GetRecordLengthMode());
    // 4. Level block.
    m_usb.SetLevelWord(kv::kLevelCh1Position, LevelBlockWord(m_ch1.GetPosition()));
    m_usb.SetLevelWord(kv::kLevelCh2Position, LevelBlockWord(m_ch2.GetPosition()));
    m_usb.SetLevelWord(kv::kLevelCh1Trigger, LevelBlockWord(m_trigger.GetLevel(CTrigger::kLevelCh1)));
    m_usb.SetLevelWord(kv::kLevelCh2Trigger, LevelBlockWord(m_trigger.GetLevel(CTrigger::kLevelCh2)));
    m_usb.SetLevelWord(kv::kLevelExtTrigger, LevelBlockWord(m_trigger.GetLevel(CTrigger::kLevelExt)));
    // 5..8. Tables from the instrument; a failed read keeps the previous contents.
    m_usb.ReadCalibration(m_trigger.GetCalibrationTable());
    kv::docdevice::ComputeLevelRange(*this);
    m_usb.ReadLineCalData();
    m_usb.ReadTdcCalData(m_settings.GetEtsCalData());
    // 9. Channel mode, gains and the time-base clamp.
    ApplyChannelEnable();
    // 10..12. Trigger, input ranges, offsets.
    SendTriggerAndSampleRate();
    kv::docdevice::SendVoltageAndCoupling(*this);
    kv::docdevice::SendOffset(*this);
    // 13, 14. Filters (with their restart), then the capture.
    SendFilterSettings();
    m_usb.CaptureStart();
    // 15. Equivalent-time sampling.
    if (m_settings.GetSamplingMode() == kSamplingEts)
        SetEtsSampling();
    return 1;
}

void CKelvaneDoc::SetCh1VoltDiv(std::int16_t index) {
    // The index selects the trigger's level tables and the instrument's input range.
    if (!ValidVoltDiv(index))
        return;
    m_ch1.SetVoltsPerDivIndex(index);
    if (!m_bDemoMode)
        SendVoltsPerDiv(*this);
    RestartCapture();
}

void CKelvaneDoc::SetCh2VoltDiv(std::int16_t index) {
    if (!ValidVoltDiv(index))
        return;
    m_ch2.SetVoltsPerDivIndex(index);
    if (!m_bDemoMode)
        SendVoltsPerDiv(*this);
    RestartCapture();
}

void CKelvaneDoc::SetTimeBaseIndex(std::int16_t index) {
    if (index < 0 || index > CScopeSettings::kMaxTimeBaseStep)
        return;
    m_settings.SetTimeBaseIndex(index);
    m_usb.SetStateWord(kv::kStateTimeBase, m_settings.GetTimeBaseIndex());
    if (m_bDemoMode)
        return;
    if (index > 6 && m_bRunning)
        SetRealTimeSampling();
    SendTriggerAndSampleRate();
}

void CKelvaneDoc::SendFilterSettings() {
    m_usb.SetFilter(m_ch1.IsBandwidthLimit(), m_ch2.IsBandwidthLimit(), m_trigger.IsHfReject());
    RestartCapture();
}

void CKelvaneDoc::SetEtsSampling() {
    m_settings.SetSamplingMode(kSamplingEts);
    ReadEtsValue();
    SendTriggerAndSampleRate();
}

void CKelvaneDoc::SetRealTimeSampling() {
    m_settings.SetSamplingMode(kSamplingRealTime);
    SendTriggerAndSampleRate();
}

void CKelvaneDoc::ReadEtsValue() {
    m_usb.SetStateWord(kv::kStateTimeBase, kEtsProbeTimeBase);
    SendTriggerAndSampleRate();
    // A failed read leaves the value as it was before the call: start from 0, never from
    // whatever an earlier reading left, so a failure always falls back to the default.
    auto readInMode = [this](std::int16_t mode) {
        m_settings.SetTdcMode(mode);
        m_usb.SelectTdc(mode);
        m_usb.CaptureStart();
        std::int32_t value = 0;
        m_usb.ReadTdc(&value);
        return value;
    };
    const std::int32_t a = readInMode(2);
    m_settings.SetEtsTimerA(a >= kTdcMin && a <= kTdcMax ? static_cast<std::int16_t>(a) : kEtsTimerADefault);
    const std::int32_t b = readInMode(1);
    m_settings.SetEtsTimerB(b >= kTdcMin && b <= kTdcMax ? static_cast<std::int16_t>(b) : kEtsTimerBDefault);
    m_settings.SetTdcMode(3);
    m_usb.SelectTdc(3);
    m_usb.SetStateWord(kv::kStateTimeBase, m_settings.GetTimeBaseIndex());
    SendTriggerAndSampleRate();
}

void CKelvaneDoc::ApplyChannelEnable() {
    // 1. Channel mode from the on states.
    std::int16_t mode = kChannelModeCh1;
    if (m_ch1.IsOn() && m_ch2.IsOn())
        mode = kChannelModeBoth;
    else if (m_ch2.IsOn())
        mode = kChannelModeCh2;
    m_usb.SetStateWord(kv::kStateChannelMode, mode);
    // 2. Trigger and both gains (each with its restart).
    if (!m_bDemoMode) {
        SendTriggerAndSampleRate();
        SetCh1VoltDiv(m_ch1.GetVoltsPerDivIndex());
        SetCh2VoltDiv(m_ch2.GetVoltsPerDivIndex());
    }
    // 3. The record length limits the time base while acquisition runs.
    if (!m_bRunning || (mode != kChannelModeBoth && m_trigger.GetSource() == kSourceAlt))
        return;
    const std::int16_t code = m_settings.GetRecordLengthMode();
    // Whatever the channels and the source, this clamp keeps to the narrower range that holds
    // for both channels on a channel trigger, and a time base outside it becomes its fast end.
    const std::optional<TimeBaseLimits> limits =
        RecordLengthTimeBaseLimits(code, kChannelModeBoth, kSourceCh1, m_settings.GetIndexOffset());
    const std::int16_t index = m_settings.GetTimeBaseIndex();
    if (limits && (index < limits->lower || index > limits->upper)) {
        SetTimeBaseIndex(limits->lower);
        IDocUi& ui = Ui();
        ui.SelectSidePanelCombo(SidePanelCombo::TimeDiv, limits->lower);
        ui.RepaintView();
    }
    // The 28K, 64K and 1M codes then fall back to 14K, 32K and 512K.
    if (code == kRecordLength28K || code == kRecordLength64K || code == kRecordLength1M)
        ChooseRecordLength(static_cast<std::int16_t>(code - 1));
}

void CKelvaneDoc::SwapAlternateTriggerSource() {
    if (m_trigger.GetSource() != kSourceAlt)
        return;
    m_usb.SetStateWord(kv::kStateAltFlag, 1);
    const bool shared = m_settings.GetSecondsPerDiv() > 0.00001;
    if (m_nAltPhase == 0) {
        m_usb.SetStateWord(kv::kStateActiveSource, kSourceCh1);
        m_usb.SetStateWord(kv::kStateChannelMode, shared ? kChannelModeBoth : kChannelModeCh1);
        m_nAltPhase = 1;
    } else {
        m_usb.SetStateWord(kv::kStateActiveSource, kSourceCh2);
        m_usb.SetStateWord(kv::kStateChannelMode, shared ? kChannelModeBoth : kChannelModeCh2);
        m_nAltPhase = 0;
    }
    if (m_bDemoMode)
        return;
    const std::int16_t active = m_usb.GetStateWord(kv::kStateActiveSource);
    m_trigger.ComputeLevelRange(m_ch1.GetVoltsPerDivIndex(), m_ch2.GetVoltsPerDivIndex(), active);
    SendTriggerAndSampleRate();
    kv::docdevice::SendOffset(*this, active);
}

void CKelvaneDoc::RestartCapture() {
    if (m_settings.GetTimeBaseFormat() == kFormatRoll && m_bRunning) {
        for (CTrace* t : {&m_ch1, &m_ch2}) {
            t->SetRollPointsHeld(0);
            std::fill_n(t->GetScreenTrace(), kScreenPoints, std::int16_t{0});
            if (std::int16_t* work = t->GetWorkRecord())
                std::fill_n(work, std::min(std::max(t->GetMaxRecordLength(), 0), t->GetRecordCapacity()),
                            std::int16_t{0});
        }
    }
    m_usb.CaptureStart();
}

CString CKelvaneDoc::GetModelName() const {
    return CString(CapabilitiesOfModel(m_nModel).name);
}

void CKelvaneDoc::SetPersistenceEnabled(std::int32_t on) {
    m_persistence.SetEnabled(on);
}

void CKelvaneDoc::SetPersistenceDepth(std::int16_t depth) {
    m_persistence.SetDepth(depth);
}

void CKelvaneDoc::SetRunState(bool running, std::int16_t status) {
    m_bRunning = running ? 1 : 0;
    m_nRunStatus = status;
}

// ---- Instrument commands of the panels and dialogs ----------------------------------------------

bool CKelvaneDoc::SetLineCalibrationWord(int word, std::int16_t level) {
    std::int16_t* words = m_usb.GetAdjustmentWords();
    if (word < 0 || word >= kv::kAdjustmentWords || words[word] == level)
        return false;
    words[word] = level;
    m_usb.WriteLineCalData();
    return true;
}

void CKelvaneDoc::SetEtsCalibrationLimits(std::int16_t max, std::int16_t min) {
    m_settings.SetEtsCalMax(max);
    m_settings.SetEtsCalMin(min);
    std::int16_t pair[2] = {max, min};
    m_usb.WriteEtsCalData(pair);
}

int CKelvaneDoc::ChangeDeviceAddress(std::int16_t slot, std::int16_t address) {
    const int answer = m_usb.SetDeviceAddress(slot, address);
    if (answer != 0)
        m_usb.ReadDeviceAddress(slot);
    return answer;
}

bool CKelvaneDoc::SelectDevice(std::int16_t slot) {
    return m_usb.SetDeviceIndex(slot);
}

void CKelvaneDoc::AdvanceStatusTick() {
    // The blink counter wraps here, not only in the strip's paint: while the strip is hidden (full
    // screen) it would otherwise climb until it went negative and stopped the blinking.
    if (m_nRunStatus == kRunStatusAuto || m_nRunStatus == kRunStatusWait)
        m_nStatusTick = static_cast<std::int16_t>(m_nStatusTick >= 39 ? 0 : m_nStatusTick + 1);
}

void CKelvaneDoc::SelectLanguage(int index) {
    // A negative index from a setup file would otherwise index the file list out of bounds.
    if (index < CLanguageTable::kBuiltin || index >= m_language.GetLanguageCount())
        index = CLanguageTable::kBuiltin;
    m_nLanguage = index;
    m_language.SetModel(m_nModel);
    m_language.SelectLanguage(index);
    IDocUi& ui = Ui();
    // A language file that could not be read leaves every text empty: the user is told why.
    if (!m_language.GetLoadError().IsEmpty())
        ui.MessageBox(("Can not open file: " + m_language.GetLoadError().str()).c_str(), "");
    ui.TranslateMenu(m_language);
    ui.ApplyTexts();
    ui.SetMenuImages();
    ui.RedrawFrame();
}

void CKelvaneDoc::OnUpdateLanguageDefault(CCmdUI* pCmdUI) const {
    if (pCmdUI)
        pCmdUI->SetCheck(m_nLanguage == CLanguageTable::kBuiltin ? 1 : 0);
}
