// The acquisition cycle: one step per timer tick that turns the instrument (or the demo source)
// into fresh screen traces, and keeps the run status that the status strip shows.
#include "engine/KelvaneDoc.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "engine/DeviceStateBlock.h"
#include "engine/SettingsCodes.h"
#include "system/Narrow.h"

namespace {

constexpr int kPoints = CTrace::kScreenPoints;
constexpr int kRollHeldMax = 500;
constexpr int kAutoIdleLimit = 3;     // instrument: the fourth idle poll forces
constexpr int kDemoAutoIdleLimit = 5; // demo: the sixth idle trigger test forces
constexpr int kFastTimeBases = 5;     // time-base indexes below this are interpolated and aligned

// Counters are kept in int16 words; saturating stops a long idle spell from wrapping negative.
std::int16_t Incremented(std::int16_t v) {
    return v < std::numeric_limits<std::int16_t>::max() ? static_cast<std::int16_t>(v + 1) : v;
}

bool SameSeconds(double a, double b) {
    return std::fabs(a - b) <= b * 1e-9;
}

// Pre-trigger wait factor in milliseconds by seconds/div; 0 when the time base has none.
double PretriggerFactor(double secondsPerDiv) {
    static const double kSeconds[] = {1e-4, 2e-4, 4e-4, 1e-3, 2e-3, 4e-3, 1e-2, 2e-2, 4e-2, 0.1, 0.2, 0.4};
    static const double kFactor[] = {0.1, 0.2, 0.4, 0.25, 0.5, 1, 2, 4, 8, 20, 40, 80};
    for (std::size_t i = 0; i < sizeof(kSeconds) / sizeof(kSeconds[0]); ++i)
        if (SameSeconds(secondsPerDiv, kSeconds[i]))
            return kFactor[i];
    return 0.0;
}

// Roll pacing: read interval factor and new points per read by seconds/div.
void RollPacing(double secondsPerDiv, double* factor, int* step) {
    if (SameSeconds(secondsPerDiv, 1.0)) {
        *factor = 1.0;
        *step = 2;
    } else if (SameSeconds(secondsPerDiv, 2.0)) {
        *factor = 1.0;
        *step = 1;
    } else if (SameSeconds(secondsPerDiv, 4.0)) {
        *factor = 8.0;
        *step = 2;
    } else {
        *factor = secondsPerDiv;
        *step = 1;
    }
}

std::int32_t CapacityOf(CTrace& a, CTrace& b) {
    if (a.GetRawRecord() == nullptr || b.GetRawRecord() == nullptr)
        return 0;
    return std::min(a.GetRecordCapacity(), b.GetRecordCapacity());
}

// Invert when set, then the trace filter (which clamps to 0..511).
void FinishTrace(CTrace& t) {
    if (t.IsInverted())
        t.InvertTrace();
    t.ApplyTraceFilter();
}

} // namespace

std::uint32_t CKelvaneDoc::GetMsOfDay() const {
    if (m_clock)
        return m_clock();
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void CKelvaneDoc::AppendPersistence(int trace) {
    CTrace* traces[4] = {&m_ch1, &m_ch2, &m_math, &m_ref};
    if (trace < 0 || trace > 3)
        return;
    m_persistence.Append(trace, traces[trace]->GetScreenTrace(), traces[trace]->GetColor());
}

// ---- The tick -------------------------------------------------------------------------------

void CKelvaneDoc::AcquireTick() {
    const bool roll = m_settings.GetTimeBaseFormat() == kFormatRoll;
    if (IsDemoMode()) {
        m_demo.SetDemoFlag(1);
        UpdateDemoParameters();
        if (!roll) {
            if (m_bRunning && !m_bPretriggerWait)
                PollDemoCapture();
            PretriggerWaitCheck();
            ProcessDemoTraces();
        } else {
            if (m_bRunning)
                RollReadDemo();
            if (m_bRollNewPoints || !m_bRunning)
                PostProcessTraces();
        }
        return;
    }
    if (roll) {
        if (m_bRunning)
            RollReadInstrument();
        if (m_bRollNewPoints || !m_bRunning)
            PostProcessTraces();
        return;
    }
    if (m_settings.GetSamplingMode() != kSamplingRealTime) {
        if (m_bRunning && m_settings.GetSamplingMode() == kSamplingEts)
            EtsCapture();
        return;
    }
    if (m_bRunning)
        PollAndReadInstrument();
    ProcessCapturedTraces();
}

// The view's run/stop command ends a Single sweep; without a view the document's stand-in stops
// it the same way, so a Single sweep never keeps capturing.
static void EndSingleSweep(CKelvaneDoc& doc) {
    doc.Ui().RunStopCommand();
}

void CKelvaneDoc::PollAndReadInstrument() {
    m_usb.TriggerEnabled();
    const int state = m_usb.GetCaptureState();
    const std::int16_t sweep = m_trigger.GetSweep();
    const std::int16_t source = m_trigger.GetSource();
    std::int16_t idle = m_trigger.GetAutoIdleCounter();

    if (state == 0 || state == 1) {
        if (sweep == kSweepAuto) {
            idle = Incremented(idle);
        } else if (sweep == kSweepNormal) {
            m_nNormalWaitCounter = Incremented(m_nNormalWaitCounter);
            if (m_nNormalWaitCounter > 1) {
                SetRunStatus(kRunStatusWait);
                m_nNormalWaitCounter = 5;
            }
        } else if (sweep == kSweepSingle) {
            SetRunStatus(kRunStatusWait);
        }
        if (source == kSourceAlt && sweep == kSweepNormal && state == 0) {
            SwapAlternateTriggerSource();
            m_usb.CaptureStart();
        }
    } else if (state == 2 || state == 3) {
        if (sweep == kSweepAuto)
            idle = 0;
        SetRunStatus(kRunStatusTriggered);
        m_nNormalWaitCounter = 0;
    } else {
        if (source == kSourceAlt)
            SwapAlternateTriggerSource();
        m_usb.GetChannelData(m_ch1.GetVoltsPerDivIndex(), m_ch2.GetVoltsPerDivIndex(), m_ch1.GetRawRecord(),
                             m_ch2.GetRawRecord(), CapacityOf(m_ch1, m_ch2));
        m_usb.CaptureStart();
        if (sweep == kSweepSingle) {
            ProcessCapturedTraces();
            EndSingleSweep(*this);
        } else if (sweep == kSweepAuto && m_bAutoForced) {
            SetRunStatus(kRunStatusAuto);
            m_bAutoForced = 0;
        } else {
            SetRunStatus(kRunStatusTriggered);
        }
        idle = 0;
        m_nNormalWaitCounter = 0;
    }
    if (sweep == kSweepAuto && idle > kAutoIdleLimit) {
        m_usb.ForceTrigger();
        m_bAutoForced = 1;
        SetRunStatus(kRunStatusAuto);
        idle = 0;
    }
    m_trigger.SetAutoIdleCounter(idle);
}

void CKelvaneDoc::PollDemoCapture() {
    const std::int16_t sweep = m_trigger.GetSweep();
    const std::int16_t source = m_trigger.GetSource();
    if (source == kSourceAlt && sweep == kSweepNormal)
        SwapAlternateTriggerSource();
    const std::int16_t r = m_demo.ComputeTriggerPhase();
    if (r == CDemoSource::kNotTriggered) {
        if (sweep == kSweepAuto)
            m_trigger.SetAutoIdleCounter(Incremented(m_trigger.GetAutoIdleCounter()));
        else
            SetRunStatus(kRunStatusWait);
    } else if (r == CDemoSource::kTriggered) {
        if (source == kSourceAlt && sweep != kSweepNormal)
            SwapAlternateTriggerSource();
        GenerateDemoData();
        const double seconds = m_settings.GetSecondsPerDiv();
        if (seconds >= 0.0001 && seconds < 1.0) {
            m_nPretriggerStart = static_cast<std::int32_t>(GetMsOfDay());
            m_bPretriggerWait = 1;
        }
        if (sweep == kSweepAuto && m_bAutoForced) {
            SetRunStatus(kRunStatusAuto);
            m_trigger.SetAutoIdleCounter(0);
            m_bAutoForced = 0;
        } else {
            SetRunStatus(kRunStatusTriggered);
        }
        if (sweep == kSweepSingle) {
            ProcessCapturedTraces();
            EndSingleSweep(*this);
        }
    }
    if (sweep == kSweepAuto && m_trigger.GetAutoIdleCounter() > kDemoAutoIdleLimit) {
        m_demo.ForceTrigger();
        m_bAutoForced = 1;
        SetRunStatus(kRunStatusAuto);
        m_trigger.SetAutoIdleCounter(0);
    }
}

void CKelvaneDoc::ForceTrigger() {
    m_usb.ForceTrigger();
    m_bPretriggerWait = 0;
}

void CKelvaneDoc::PretriggerWaitCheck() {
    if (!m_bPretriggerWait)
        return;
    const double factor = PretriggerFactor(m_settings.GetSecondsPerDiv());
    if (factor <= 0.0) {
        m_bPretriggerWait = 0;
        return;
    }
    // Taken modulo 2^32: a clock that restarts (at midnight, or on wrap) cannot make the
    // elapsed time negative and hold the wait for a day.
    const std::uint32_t elapsed = GetMsOfDay() - static_cast<std::uint32_t>(m_nPretriggerStart);
    const double wait = factor * (m_settings.GetHorizontalPosition() / 5) - 20.0;
    if (wait <= static_cast<double>(elapsed))
        m_bPretriggerWait = 0;
}

// ---- Roll ---------------------------------------------------------------------------------------

void CKelvaneDoc::RollReadInstrument() {
    double factor = 1.0;
    int step = 1;
    RollPacing(m_settings.GetSecondsPerDiv(), &factor, &step);
    const std::uint32_t now = GetMsOfDay();
    // Modulo-2^32 difference: a restarted clock must not freeze the Roll display.
    const std::uint32_t elapsed = now - static_cast<std::uint32_t>(m_nLastRollTime);
    if (factor * 20.0 > static_cast<double>(elapsed)) {
        m_bRollNewPoints = 0;
    } else {
        m_usb.GetChannelData(m_ch1.GetVoltsPerDivIndex(), m_ch2.GetVoltsPerDivIndex(), m_ch1.GetRawRecord(),
                             m_ch2.GetRawRecord(), CapacityOf(m_ch1, m_ch2));
        m_usb.ForceTrigger();
        m_nLastRollTime = static_cast<std::int32_t>(now);
        for (CTrace* t : {&m_ch1, &m_ch2}) {
            t->SetRollNewPoints(static_cast<std::int16_t>(step));
            t->SetRollPointsHeld(std::min(t->GetRollPointsHeld() + step, kRollHeldMax));
        }
        m_bRollNewPoints = 1;
    }
    SetRunStatus(kRunStatusRun);
}

void CKelvaneDoc::RollReadDemo() {
    const double factor = m_settings.GetSecondsPerDiv();
    const std::uint32_t now = GetMsOfDay();
    const std::uint32_t elapsed = now - static_cast<std::uint32_t>(m_nLastRollTime);
    if (factor * 20.0 > static_cast<double>(elapsed)) {
        m_bRollNewPoints = 0;
    } else {
        GenerateDemoData();
        m_nLastRollTime = static_cast<std::int32_t>(now);
        for (CTrace* t : {&m_ch1, &m_ch2})
            t->SetRollPointsHeld(
                std::min(t->GetRollPointsHeld() + std::max<int>(t->GetRollNewPoints(), 0), kRollHeldMax));
        m_bRollNewPoints = 1;
    }
    SetRunStatus(kRunStatusRun);
}

// ---- Equivalent time ------------------------------------------------------------------------------

void CKelvaneDoc::EtsCapture() {
    const std::int16_t sweep = m_trigger.GetSweep();
    const std::int32_t capacity = CapacityOf(m_ch1, m_ch2);
    if (sweep == kSweepAuto || sweep == kSweepNormal) {
        const int status = m_usb.EtsGetData(m_ch1.GetVoltsPerDivIndex(), m_ch2.GetVoltsPerDivIndex(),
                                            m_ch1.GetRawRecord(), capacity, sweep);
        if (sweep == kSweepNormal && status == 2) {
            std::fill_n(m_ch1.GetScreenTrace(), kPoints, std::int16_t{0});
            std::fill_n(m_ch2.GetScreenTrace(), kPoints, std::int16_t{0});
            return;
        }
    }
    std::int16_t timers[2] = {m_settings.GetEtsTimerA(), m_settings.GetEtsTimerB()};
    kv::ZendralEtsArgs ets;
    ets.workArea = m_settings.GetEtsWorkArea();
    ets.calData = m_settings.GetEtsCalData();
    ets.timerValues = timers;
    ets.value = m_settings.GetEtsWord1();
    ets.nextWord = m_settings.GetEtsWord2();
    const std::int32_t workCapacity =
        (m_ch1.GetWorkRecord() && m_ch2.GetWorkRecord()) ? std::min(capacity, m_ch2.GetRecordCapacity()) : 0;
    m_usb.EtsAssemble(m_ch1.GetWorkRecord(), m_ch2.GetWorkRecord(), m_ch1.GetRawRecord(), workCapacity, ets);

    int index = 0;
    for (CTrace* t : {&m_ch1, &m_ch2}) {
        const int trace = index++;
        if (!t->IsOn())
            continue;
        std::int16_t* screen = t->GetScreenTrace();
        if (const std::int16_t* work = t->GetWorkRecord())
            std::copy_n(work, kPoints, screen);
        if (m_bRunning) {
            t->SetValidRange(0, kPoints - 1);
            if (t->GetCoupling() == kCouplingGnd) {
                t->FillZeroLevel();
                // A grounded channel shows its zero line, as on every other road.
                const std::int16_t zero = kv::TruncSat<std::int16_t>(511.0 - std::trunc(t->GetPosition()));
                std::fill_n(screen, kPoints, zero);
            }
        }
        FinishTrace(*t);
        AppendPersistence(trace);
    }
    if (m_math.IsOn()) {
        m_math.UpdateFromInputs(m_ch1, m_ch2);
        AppendPersistence(2);
    }
    if (m_ref.IsOn()) {
        m_ref.UpdateDisplay(m_settings);
        AppendPersistence(3);
    }
    if (m_bRunning)
        m_measure.TickUpdate(m_settings.GetSecondsPerDiv(), &m_ch1, &m_ch2, &m_math);
}

// ---- Processing ----------------------------------------------------------------------------------

namespace {

// The work record from the raw record: the zero level for a grounded channel, else the
// interpolation (instrument) or the plain copy (demo).
void BuildWorkRecord(CTrace& t, const std::int16_t* stateBlock, bool demo) {
    if (t.GetCoupling() == kCouplingGnd)
        t.FillZeroLevel();
    else if (demo)
        t.CopyRecord2();
    else
        t.SelectInterpolationByModel(stateBlock);
}

// REF re-rendered from its own time base and horizontal position (demo and Roll roads).
void RenderRefFromTimeBase(CRefChannel& ref, const CScopeSettings& s) {
    ref.CopyRecord();
    ref.CompressToDisplay(s.TimeBaseSeconds(ref.GetTimeBaseIndex()) / s.GetSecondsPerDiv(),
                          ref.GetHorizontalPosition(), s.GetHorizontalPosition());
    ref.ApplyTraceFilter();
}

} // namespace

// Shared body of the Y-T processing; `demo` selects the demo record-to-screen conversion.
static void ProcessYt(CKelvaneDoc& doc, bool demo) {
    CScopeSettings& s = doc.m_settings;
    doc.m_average.BeginFrame();
    const std::int16_t T = s.GetTimeBaseIndex();
    const std::int16_t source = doc.m_trigger.GetSource();
    const std::int16_t h = s.GetHorizontalPosition();
    const bool running = doc.m_bRunning != 0;
    const std::int16_t* stateBlock = doc.m_usb.GetStateBlock();
    const bool internalSource = source == kSourceCh1 || source == kSourceCh2 || source == kSourceAlt;

    if (!demo && T < kFastTimeBases && internalSource && running) {
        for (CTrace* t : {&doc.m_ch1, &doc.m_ch2})
            if (t->IsOn())
                BuildWorkRecord(*t, stateBlock, false);
        const std::int16_t slope = doc.m_trigger.GetSlope();
        const std::int16_t level1 = LevelBlockWord(doc.m_trigger.GetLevel(CTrigger::kLevelCh1));
        const std::int16_t level2 = LevelBlockWord(doc.m_trigger.GetLevel(CTrigger::kLevelCh2));
        if (source == kSourceCh1) {
            const std::int16_t tp = doc.m_ch1.SoftTriggerAlign(h, T, level1, slope);
            doc.m_ch2.RotateRecordToPosition(h, tp);
        } else if (source == kSourceCh2) {
            const std::int16_t tp = doc.m_ch2.SoftTriggerAlign(h, T, level2, slope);
            doc.m_ch1.RotateRecordToPosition(h, tp);
        } else {
            doc.m_ch1.SoftTriggerAlign(h, T, level1, slope);
            doc.m_ch2.SoftTriggerAlign(h, T, level2, slope);
        }
    }

    const bool buildNow = demo || T >= kFastTimeBases || !internalSource;
    int index = 0;
    for (CTrace* t : {&doc.m_ch1, &doc.m_ch2}) {
        const int channel = index++;
        if (!t->IsOn())
            continue;
        if (running) {
            t->SetValidRange(0, kPoints - 1);
            if (buildNow)
                BuildWorkRecord(*t, stateBlock, demo);
            t->PeakDetectToDisplay(h, T);
        } else {
            t->CompressToDisplay(s.GetCachedSecondsPerDiv() / s.GetSecondsPerDiv(),
                                 s.GetCachedHorizontalPosition(), h);
        }
        if (running && doc.m_average.GetAcquireMode() == CAverageBuffer::kModeAverage)
            doc.m_average.AverageTrace(channel, t->GetScreenTrace());
        FinishTrace(*t);
        doc.AppendPersistence(channel);
    }
    if (doc.m_math.IsOn()) {
        doc.m_math.UpdateFromInputs(doc.m_ch1, doc.m_ch2);
        doc.AppendPersistence(2);
    }
    if (doc.m_ref.IsOn()) {
        if (demo)
            RenderRefFromTimeBase(doc.m_ref, s);
        else
            doc.m_ref.UpdateDisplay(s);
        doc.AppendPersistence(3);
    }
    if (running)
        doc.m_measure.TickUpdate(s.GetSecondsPerDiv(), &doc.m_ch1, &doc.m_ch2, &doc.m_math);
}

void CKelvaneDoc::ProcessCapturedTraces() {
    ProcessYt(*this, false);
}

void CKelvaneDoc::ProcessDemoTraces() {
    ProcessYt(*this, true);
}

void CKelvaneDoc::PostProcessTraces() {
    const bool running = m_bRunning != 0;
    int index = 0;
    for (CTrace* t : {&m_ch1, &m_ch2}) {
        const int channel = index++;
        if (!t->IsOn())
            continue;
        if (running)
            t->RollAppend();
        else
            t->ZoomToDisplay(m_settings.GetCachedSecondsPerDiv() / m_settings.GetSecondsPerDiv(),
                             m_settings.GetCachedHorizontalPosition());
        FinishTrace(*t);
        AppendPersistence(channel);
    }
    if (m_math.IsOn()) {
        m_math.UpdateFromInputs(m_ch1, m_ch2);
        AppendPersistence(2);
    }
    if (m_ref.IsOn()) {
        RenderRefFromTimeBase(m_ref, m_settings);
        AppendPersistence(3);
    }
}

// ---- Demo source -------------------------------------------------------------------------------------

void CKelvaneDoc::UpdateDemoParameters() {
    const double seconds = m_settings.GetSecondsPerDiv();
    const CTrace* channels[2] = {&m_ch1, &m_ch2};
    const int levels[2] = {CTrigger::kLevelCh1, CTrigger::kLevelCh2};
    for (int ch = 0; ch < 2; ++ch) {
        const CTrace& t = *channels[ch];
        CDemoGenerator& g = m_demo.Generator(ch);
        g.m_bEnabled = t.IsOn() ? 1 : 0;
        g.m_dFrequencyFactor = seconds * (m_demo.GetFrequency() - m_demo.GetDriftValue());
        // Codes truncated; saturated so a huge ratio cannot overflow.
        const double codes =
            m_demo.GetAmplitude() / t.GetVoltsPerDiv() * CDemoGenerator::kAmplitudeCodesPerDivision;
        g.m_dAmplitude =
            std::isfinite(codes) ? std::trunc(std::clamp(codes, -2147483648.0, 2147483647.0)) : 0.0;
        g.m_nZeroOffset = kv::TruncSat<std::int16_t>(511.0 - t.GetPosition());
        g.m_nLevel = kv::TruncSat<std::int16_t>(511.0 - m_trigger.GetLevel(levels[ch]));
        g.m_nSplit = m_settings.GetHorizontalPosition();
        g.m_nDirection = m_trigger.GetSlope();
        // Half of 40 V at 10 mV/div is 64000 codes: saturated, never wrapped into int16.
        g.m_nDcOffset = (t.GetCoupling() != kCouplingDc || !m_demo.GetDcOffset())
                            ? std::int16_t{0}
                            : kv::TruncSat<std::int16_t>(g.m_dAmplitude * 0.5);
    }
    m_demo.SetTriggerSource(m_trigger.GetSource());
    m_demo.SetActiveSource(m_usb.GetStateWord(kv::kStateActiveSource));
    m_demo.AdvanceDriftAndWaveform();
}

void CKelvaneDoc::GenerateDemoData() {
    const std::int32_t capacity = CapacityOf(m_ch1, m_ch2);
    if (m_settings.GetTimeBaseFormat() == kFormatRoll)
        m_demo.FillDemoPoints(m_ch1.GetRawRecord(), m_ch2.GetRawRecord(), capacity);
    else
        m_demo.FillDemoRecords(m_ch1.GetRawRecord(), m_ch2.GetRawRecord(), capacity);
}
