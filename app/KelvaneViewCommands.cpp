// The view's command map: every menu item, accelerator key, toolbar button and context-menu item
// ends here in a command handler and, for most, an update handler (enable, check, relabel).
#include "app/KelvaneView.h"

#include "app/SidePanelMirror.h"
#include "app/ViewPanels.h"
#include "display/Knob.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "engine/TimeBaseLimits.h"
#include "resources/Resource.h"
#include "resources/ScaleLabels.h"
#include "resources/language/TextKeys.h"

#include <cstdint>

namespace {

using View = CKelvaneView;
using Doc = CKelvaneDoc;

constexpr int kTextTurnOff = 4000;
constexpr int kTextTurnOn = 4001;

// What a row of the map hands to its handlers: the channel of a per-channel row (0 CH1, 1 CH2)
// and the item's value (the row's first value plus the item's offset from the row's first id).
struct CommandArg {
    int channel;
    std::int16_t value;
};
using CommandFn = void (*)(View&, Doc&, CommandArg);
using UpdateFn = void (*)(View&, Doc&, CCmdUI*, CommandArg);

// One row of the command map: `count` consecutive ids from `first`, each with a command handler
// and an update handler (enable, check, relabel); either may be null.
struct CommandRow {
    UINT first;
    std::int16_t count;
    int channel;
    std::int16_t value;
    CommandFn command;
    UpdateFn update;
};

CTrace& Input(Doc& d, int channel) {
    return channel == 0 ? d.m_ch1 : d.m_ch2;
}

const char* VoltsLabel(int step, int probe) {
    const int entry = step + 3 * probe;
    if (entry < 0 || entry >= static_cast<int>(kv::kVoltsPerDivLadder.size()))
        return nullptr;
    return kv::kVoltsPerDivLadder[static_cast<std::size_t>(entry)];
}

// Enabled while its trace is on, checked when also `check`.
void ChannelItem(CCmdUI* ui, const CTrace& trace, bool check) {
    const bool on = trace.IsOn() != 0;
    ui->Enable(on ? TRUE : FALSE);
    ui->SetCheck(on && check ? 1 : 0);
}

// Enabled when `enabled`, checked only when enabled and `check`.
void EnabledItem(CCmdUI* ui, bool enabled, bool check) {
    ui->Enable(enabled ? TRUE : FALSE);
    ui->SetCheck(enabled && check ? 1 : 0);
}

void OnOffText(Doc& d, CCmdUI* ui, bool on) {
    ui->SetText(d.GetText(on ? kTextTurnOff : kTextTurnOn).GetString());
}

void CheckItem(CCmdUI* ui, bool check) {
    ui->SetCheck(check ? 1 : 0);
}

// ---- Handlers shared by several rows ----

void ChannelOnOff(View& v, Doc&, CommandArg a) {
    v.OnChannelOnOff(a.channel);
}
void ChannelOnOffText(View&, Doc& d, CCmdUI* ui, CommandArg a) {
    OnOffText(d, ui, Input(d, a.channel).IsOn() != 0);
}
void ChannelVoltsPerDiv(View& v, Doc&, CommandArg a) {
    v.SetChannelVoltsPerDiv(a.value, static_cast<std::int16_t>(a.channel));
}
void ChannelVoltsPerDivItem(View&, Doc& d, CCmdUI* ui, CommandArg a) {
    const CTrace& t = Input(d, a.channel);
    if (const char* label = VoltsLabel(a.value, t.GetProbe()))
        ui->SetText(label);
    ChannelItem(ui, t, t.GetVoltsPerDivIndex() == a.value);
}
void ChannelCoupling(View& v, Doc&, CommandArg a) {
    v.OnChannelCoupling(a.channel, a.value);
}
void ChannelCouplingItem(View&, Doc& d, CCmdUI* ui, CommandArg a) {
    ChannelItem(ui, Input(d, a.channel), Input(d, a.channel).GetCoupling() == a.value);
}
void ChannelFilter(View&, Doc& d, CommandArg a) {
    Input(d, a.channel).SetFilter(a.value);
}
void ChannelFilterItem(View&, Doc& d, CCmdUI* ui, CommandArg a) {
    ChannelItem(ui, Input(d, a.channel), Input(d, a.channel).GetFilter() == a.value);
}
void ChannelProbe(View& v, Doc&, CommandArg a) {
    v.OnChannelProbe(a.channel, a.value);
}
void ChannelProbeItem(View&, Doc& d, CCmdUI* ui, CommandArg a) {
    ChannelItem(ui, Input(d, a.channel), Input(d, a.channel).GetProbe() == a.value);
}
void ChannelReset(View& v, Doc&, CommandArg a) {
    v.OnChannelReset(a.channel);
}
void ChannelResetItem(View&, Doc& d, CCmdUI* ui, CommandArg a) {
    ui->Enable(Input(d, a.channel).IsOn() != 0);
}
void ChannelInvert(View&, Doc& d, CommandArg a) {
    CTrace& t = Input(d, a.channel);
    t.SetInvert(t.IsInverted() ? 0 : 1);
}
void ChannelInvertItem(View&, Doc& d, CCmdUI* ui, CommandArg a) {
    ChannelItem(ui, Input(d, a.channel), Input(d, a.channel).IsInverted() != 0);
}
void ChannelBandwidthLimit(View&, Doc& d, CommandArg a) {
    CTrace& t = Input(d, a.channel);
    t.SetBandwidthLimit(t.IsBandwidthLimit() ? 0 : 1);
    d.SendFilterSettings();
}
void ChannelBandwidthLimitItem(View&, Doc& d, CCmdUI* ui, CommandArg a) {
    if (d.IsDemoMode()) {
        ui->Enable(FALSE);
        ui->SetCheck(0);
        return;
    }
    ChannelItem(ui, Input(d, a.channel), Input(d, a.channel).IsBandwidthLimit() != 0);
}
void MathSourceItem(Doc& d, CCmdUI* ui, CommandArg a, std::int16_t source) {
    EnabledItem(ui, d.m_math.IsOn() && Input(d, a.value).IsOn(), source == a.value);
}
void SelectTimeBase(View& v, Doc&, CommandArg a) {
    v.SelectTimeBase(a.value);
}
void TimeBaseItem(View& v, Doc& d, CCmdUI* ui, CommandArg a) {
    CheckItem(ui, TimeBaseIndexOfStep(a.value, v.TimeBaseIndexOffset()) == d.m_settings.GetTimeBaseIndex());
}
void FormatItem(View&, Doc& d, CCmdUI* ui, CommandArg a) {
    EnabledItem(ui, d.m_bRunning && !d.m_passFail.m_nState1, d.m_settings.GetTimeBaseFormat() == a.value);
}
void CursorSource(View& v, Doc&, CommandArg a) {
    v.Screen().SetCursorSource(a.value);
}
void CursorSourceItem(View& v, Doc&, CCmdUI* ui, CommandArg a) {
    CheckItem(ui, v.Screen().GetCursorSource() == a.value);
}
void CursorMode(View& v, Doc&, CommandArg a) {
    v.OnCursorMode(a.value);
}
void CursorModeItem(View& v, Doc&, CCmdUI* ui, CommandArg a) {
    CheckItem(ui, v.Screen().GetCursorMode() == a.value);
}
// The cursor pairs have no meaning on the spectrum.
void CursorPairItem(View& v, Doc&, CCmdUI* ui, CommandArg a) {
    EnabledItem(ui, v.Screen().GetCursorSource() != CScopeScreen::kCursorSourceFft,
                v.Screen().GetCursorMode() == a.value);
}
void MeasureSource(View&, Doc& d, CommandArg a) {
    d.m_measure.SetSource(a.value);
}
void MeasureSourceItem(View&, Doc& d, CCmdUI* ui, CommandArg a) {
    CheckItem(ui, d.m_measure.GetSource() == a.value);
}
void AddMeasurement(View&, Doc& d, CommandArg a) {
    d.m_measure.AddMeasurement(a.value);
}
void DotMode(View& v, Doc&, CommandArg a) {
    v.Screen().SetDotMode(a.value);
    v.ScreenPanel().Invalidate(FALSE);
}
void DotModeItem(View& v, Doc&, CCmdUI* ui, CommandArg a) {
    CheckItem(ui, v.Screen().GetDotMode() == a.value);
}
// The mouse tools work on a stopped Y-T or Roll record in real time.
void MouseModeItem(Doc& d, CCmdUI* ui, std::int32_t flag) {
    EnabledItem(ui,
                !d.m_bRunning && d.m_settings.GetTimeBaseFormat() != kFormatXY &&
                    d.m_settings.GetSamplingMode() != kSamplingEts,
                flag != 0);
}
void BufferSize(View& v, Doc&, CommandArg a) {
    v.OnBufferSize(a.value);
}
void BufferSizeItem(View& v, Doc&, CCmdUI* ui, CommandArg a) {
    v.UpdateBufferSize(ui, a.value);
}
void Interpolation(View&, Doc& d, CommandArg a) {
    d.m_ch1.SetInterpolation(a.value);
    d.m_ch2.SetInterpolation(a.value);
    d.m_math.SetInterpolation(a.value);
    d.m_ref.SetInterpolation(a.value);
}
void InterpolationItem(View& v, Doc& d, CCmdUI* ui, CommandArg a) {
    const int p40ns = SlowestInterpolationIndex(v.TimeBaseIndexOffset());
    EnabledItem(ui,
                !d.IsDemoMode() && d.m_settings.GetSamplingMode() == kSamplingRealTime &&
                    d.m_settings.GetTimeBaseIndex() <= p40ns,
                d.m_ch1.GetInterpolation() == a.value);
}

// The whole map, by menu. A per-channel row appears once for CH1 and once for CH2.
// clang-format off
constexpr CommandRow kCommandRows[] = {
    // ---- File ----
    {ID_FILE_LOAD_CSV, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnFileLoadCsv(); }, nullptr},
    {ID_FILE_LOAD_SETUPS, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnFileLoadSetups(); }, nullptr},
    {ID_FILE_SAVE_CSV, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnFileSaveCsv(); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { ui->Enable(d.m_settings.GetSamplingMode() != kSamplingEts); }},
    {ID_FILE_SAVE_IMAGE, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnFileSaveImage(); }, nullptr},
    {ID_FILE_SAVE_SETUPS, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnFileSaveSetups(); }, nullptr},

    // ---- Channel > CH1 and CH2 ----
    {ID_CH1_ONOFF, 1, 0, 0, ChannelOnOff, ChannelOnOffText},
    {ID_CH1_VOLTDIV_FIRST, 10, 0, 0, ChannelVoltsPerDiv, ChannelVoltsPerDivItem},
    {ID_CH1_COUPLING_FIRST, 3, 0, kCouplingDc, ChannelCoupling, ChannelCouplingItem},
    {ID_CH1_FILTER_FIRST, 3, 0, 0, ChannelFilter, ChannelFilterItem},
    {ID_CH1_PROBE_FIRST, 4, 0, 0, ChannelProbe, ChannelProbeItem},
    {ID_CH1_RESET, 1, 0, 0, ChannelReset, ChannelResetItem},
    {ID_CH1_INVERT, 1, 0, 0, ChannelInvert, ChannelInvertItem},
    {ID_CH1_BWLIMIT, 1, 0, 0, ChannelBandwidthLimit, ChannelBandwidthLimitItem},
    {ID_CH2_ONOFF, 1, 1, 0, ChannelOnOff, ChannelOnOffText},
    {ID_CH2_VOLTDIV_FIRST, 10, 1, 0, ChannelVoltsPerDiv, ChannelVoltsPerDivItem},
    {ID_CH2_COUPLING_FIRST, 3, 1, kCouplingDc, ChannelCoupling, ChannelCouplingItem},
    {ID_CH2_FILTER_FIRST, 3, 1, 0, ChannelFilter, ChannelFilterItem},
    {ID_CH2_PROBE_FIRST, 4, 1, 0, ChannelProbe, ChannelProbeItem},
    {ID_CH2_RESET, 1, 1, 0, ChannelReset, ChannelResetItem},
    {ID_CH2_INVERT, 1, 1, 0, ChannelInvert, ChannelInvertItem},
    {ID_CH2_BWLIMIT, 1, 1, 0, ChannelBandwidthLimit, ChannelBandwidthLimitItem},

    // ---- Channel > MATH (sources: value 0 CH1, 1 CH2) ----
    {ID_MATH_ONOFF, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnMathOnOff(); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { OnOffText(d, ui, d.m_math.IsOn() != 0); }},
    {ID_MATH_SOURCEA_CH1, 2, 0, 0, [](View&, Doc& d, CommandArg a) { d.m_math.SetSourceA(a.value); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg a) { MathSourceItem(d, ui, a, d.m_math.GetSourceA()); }},
    {ID_MATH_SOURCEB_CH1, 2, 0, 0, [](View&, Doc& d, CommandArg a) { d.m_math.SetSourceB(a.value); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg a) { MathSourceItem(d, ui, a, d.m_math.GetSourceB()); }},
    {ID_MATH_OPERATE_FIRST, 4, 0, 0, [](View&, Doc& d, CommandArg a) { d.m_math.SetOperation(a.value); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg a) { ChannelItem(ui, d.m_math, d.m_math.GetOperation() == a.value); }},
    {ID_MATH_PROBE_FIRST, 4, 0, 0, [](View&, Doc& d, CommandArg a) { d.m_math.SetProbe(a.value); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg a) { ChannelItem(ui, d.m_math, d.m_math.GetProbe() == a.value); }},
    {ID_MATH_VOLTDIV_FIRST, 10, 0, 0, [](View&, Doc& d, CommandArg a) { d.m_math.SetVoltsPerDivIndex(a.value); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg a) {
         if (const char* label = VoltsLabel(a.value, d.m_math.GetProbe()))
             ui->SetText(label);
         ChannelItem(ui, d.m_math, d.m_math.GetVoltsPerDivIndex() == a.value);
     }},
    {ID_MATH_RESET, 1, 0, 0,
     [](View& v, Doc& d, CommandArg) {
         d.SetMathPosition(128.0f);
         v.Screen().UpdateMarkerPositions();
     },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { ui->Enable(d.m_math.IsOn() != 0); }},
    {ID_MATH_INVERT, 1, 0, 0, [](View&, Doc& d, CommandArg) { d.m_math.SetInvert(d.m_math.IsInverted() ? 0 : 1); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) {
         EnabledItem(ui, d.m_math.IsOn() && d.m_bRunning, d.m_math.IsInverted() != 0);
     }},

    // ---- Channel > Reference ----
    {ID_REF_VOLTDIV_FIRST, 10, 0, 0, [](View&, Doc& d, CommandArg a) { d.m_ref.SetVoltsPerDivIndex(a.value); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg a) { ChannelItem(ui, d.m_ref, d.m_ref.GetVoltsPerDivIndex() == a.value); }},
    {ID_REF_ONOFF, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnReferenceOnOff(); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { OnOffText(d, ui, d.m_ref.IsOn() != 0); }},
    {ID_REF_RESET, 1, 0, 0,
     [](View& v, Doc& d, CommandArg) {
         d.SetRefPosition(128.0f);
         v.Screen().UpdateMarkerPositions();
     },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { ui->Enable(d.m_ref.IsOn() != 0); }},
    {ID_REF_LOAD, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnReferenceLoad(); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { ui->Enable(d.m_ref.IsOn() != 0); }},
    {ID_REF_SAVE, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnReferenceSave(); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { ui->Enable(d.m_settings.GetTimeBaseFormat() != kFormatRoll); }},

    // ---- Trigger ----
    {ID_TRIG_MODE_EDGE, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnTriggerMode(kTriggerEdge); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { CheckItem(ui, d.m_trigger.GetTriggerType() == kTriggerEdge); }},
    {ID_TRIG_MODE_PULSE, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnTriggerMode(kTriggerPulse); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { EnabledItem(ui, !d.IsDemoMode(), d.m_trigger.GetTriggerType() == kTriggerPulse); }},
    {ID_TRIG_SWEEP_FIRST, 3, 0, kSweepAuto, [](View& v, Doc&, CommandArg a) { v.OnTriggerSweep(a.value); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg a) { CheckItem(ui, d.m_trigger.GetSweep() == a.value); }},
    {ID_TRIG_SOURCE_FIRST, 5, 0, kSourceCh1, [](View& v, Doc&, CommandArg a) { v.OnTriggerSource(a.value); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg a) { CheckItem(ui, d.m_trigger.GetSource() == a.value); }},
    {ID_TRIG_SLOPE_RISE, 2, 0, kSlopeRising, [](View& v, Doc&, CommandArg a) { v.OnTriggerSlope(a.value); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg a) {
         EnabledItem(ui, d.m_trigger.GetTriggerType() == kTriggerEdge, d.m_trigger.GetSlope() == a.value);
     }},
    {ID_TRIG_PW_FIRST, 6, 0, kPulsePositiveLess, [](View& v, Doc&, CommandArg a) { v.OnTriggerPulseCondition(a.value); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg a) {
         EnabledItem(ui, d.m_trigger.GetTriggerType() == kTriggerPulse, d.m_trigger.GetPulseCondition() == a.value);
     }},
    {ID_TRIG_LEVEL50, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnTriggerLevel50(); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { ui->Enable(d.m_settings.GetTimeBaseFormat() != kFormatRoll); }},
    {ID_TRIG_HF_REJECT, 1, 0, 0,
     [](View&, Doc& d, CommandArg) {
         d.m_trigger.SetHfReject(d.m_trigger.IsHfReject() ? 0 : 1);
         d.SendFilterSettings();
     },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { EnabledItem(ui, !d.IsDemoMode(), d.m_trigger.IsHfReject() != 0); }},

    // ---- Horizontal (time/div: value = time-base step of the command's label) ----
    {ID_TIMEDIV_FIRST, static_cast<std::int16_t>(kv::kTimeDivLabels.size()), 0, 0, SelectTimeBase, TimeBaseItem},
    {ID_FORMAT_YT, 1, 0, kFormatYT, [](View& v, Doc&, CommandArg) { v.OnFormatYT(); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) {
         EnabledItem(ui, d.m_bRunning != 0, d.m_settings.GetTimeBaseFormat() == kFormatYT);
     }},
    {ID_FORMAT_ROLL, 1, 0, kFormatRoll, [](View& v, Doc&, CommandArg) { v.OnFormatRoll(); }, FormatItem},
    {ID_FORMAT_XY, 1, 0, kFormatXY, [](View& v, Doc&, CommandArg) { v.OnFormatXY(); }, FormatItem},
    {ID_HORIZONTAL_ZERO, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnHorizontalCentre(); }, nullptr},

    // ---- Cursor (sources 0 CH1, 1 CH2, 2 MATH; modes 0 none, 1 cross, 2 trace, 3 vertical, 4 horizontal) ----
    {ID_CURSOR_SOURCE_CH1, 1, 0, 0, CursorSource, CursorSourceItem},
    {ID_CURSOR_SOURCE_CH2, 1, 0, 1, CursorSource, CursorSourceItem},
    {ID_CURSOR_SOURCE_MATH, 1, 0, 2, CursorSource, CursorSourceItem},
    {ID_CURSOR_SOURCE_FFT, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnCursorSourceFft(); },
     [](View& v, Doc& d, CCmdUI* ui, CommandArg) {
         EnabledItem(ui, d.m_fft.m_bFftOn != 0, v.Screen().GetCursorSource() == CScopeScreen::kCursorSourceFft);
     }},
    {ID_CURSOR_NONE, 1, 0, 0, CursorMode, CursorModeItem},
    {ID_CURSOR_CROSS, 1, 0, 1, CursorMode, CursorPairItem},
    {ID_CURSOR_VERTICAL, 1, 0, 3, CursorMode, CursorPairItem},
    {ID_CURSOR_HORIZONTAL, 1, 0, 4, CursorMode, CursorPairItem},
    {ID_CURSOR_TRACE, 1, 0, 2, CursorMode, CursorModeItem},

    // ---- Measure (sources 0 CH1, 1 CH2, 2 MATH; measurement codes 0..19) ----
    {ID_MEASURE_SOURCE_CH1, 1, 0, 0, MeasureSource, MeasureSourceItem},
    {ID_MEASURE_SOURCE_CH2, 1, 0, 1, MeasureSource, MeasureSourceItem},
    {ID_MEASURE_SOURCE_MATH, 1, 0, 2, MeasureSource, MeasureSourceItem},
    {ID_MEASURE_CLEAR, 1, 0, 0, [](View&, Doc& d, CommandArg) { d.m_measure.ClearAll(); }, nullptr},
    {ID_MEASURE_PK2PK, 1, 0, 0, AddMeasurement, nullptr},
    {ID_MEASURE_MAX, 1, 0, 1, AddMeasurement, nullptr},
    {ID_MEASURE_MIN, 1, 0, 2, AddMeasurement, nullptr},
    {ID_MEASURE_AMPLITUDE, 1, 0, 3, AddMeasurement, nullptr},
    {ID_MEASURE_TOP, 1, 0, 4, AddMeasurement, nullptr},
    {ID_MEASURE_MIDDLE, 1, 0, 5, AddMeasurement, nullptr},
    {ID_MEASURE_BASE, 1, 0, 6, AddMeasurement, nullptr},
    {ID_MEASURE_MEAN, 1, 0, 7, AddMeasurement, nullptr},
    {ID_MEASURE_CYCLE_MEAN, 1, 0, 8, AddMeasurement, nullptr},
    {ID_MEASURE_RMS, 1, 0, 9, AddMeasurement, nullptr},
    {ID_MEASURE_POVERSHOOT, 1, 0, 10, AddMeasurement, nullptr},
    {ID_MEASURE_NOVERSHOOT, 1, 0, 11, AddMeasurement, nullptr},
    {ID_MEASURE_PERIOD, 1, 0, 12, AddMeasurement, nullptr},
    {ID_MEASURE_FREQUENCY, 1, 0, 13, AddMeasurement, nullptr},
    {ID_MEASURE_RISE, 1, 0, 14, AddMeasurement, nullptr},
    {ID_MEASURE_FALL, 1, 0, 15, AddMeasurement, nullptr},
    {ID_MEASURE_PDUTY, 1, 0, 16, AddMeasurement, nullptr},
    {ID_MEASURE_NDUTY, 1, 0, 17, AddMeasurement, nullptr},
    {ID_MEASURE_PWIDTH, 1, 0, 18, AddMeasurement, nullptr},
    {ID_MEASURE_NWIDTH, 1, 0, 19, AddMeasurement, nullptr},

    // ---- Display (dot mode 0 vectors, 1 dots) ----
    {ID_DISPLAY_VECTORS, 1, 0, 0, DotMode, DotModeItem},
    {ID_DISPLAY_DOTS, 1, 0, 1, DotMode, DotModeItem},
    {ID_DISPLAY_GRID, 1, 0, 0,
     [](View& v, Doc&, CommandArg) {
         v.Screen().SetGridOn(v.Screen().IsGridOn() ? 0 : 1);
         v.ScreenPanel().Invalidate(FALSE);
     },
     [](View& v, Doc&, CCmdUI* ui, CommandArg) { CheckItem(ui, v.Screen().IsGridOn() != 0); }},
    {ID_DISPLAY_INTENSITY, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.ShowPanel(View::Panel::Intensity); }, nullptr},
    {ID_DISPLAY_SETTINGS, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.ShowPanel(View::Panel::Intensity); }, nullptr},
    {ID_DISPLAY_WAVEFORM_COLOR, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.ShowPanel(View::Panel::WaveformColor); }, nullptr},
    {ID_CALIBRATE_DATA, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.ShowPanel(View::Panel::CalibrateData); }, nullptr},

    // ---- Acquire (acquire modes 0 normal, 1 average, 2 peak; interpolation 0 step, 1 linear, 2 sin(x)/x;
    // Buffer Size: value = record-length mode 0..6) ----
    {ID_ACQUIRE_START, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnAcquireStart(); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { CheckItem(ui, d.m_bRunning != 0); }},
    {ID_ACQUIRE_STOP, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnAcquireStop(); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { CheckItem(ui, d.m_bRunning == 0); }},
    {ID_DRAG, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnMouseMode(View::MouseMode::Drag); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { MouseModeItem(d, ui, d.m_bDrag); }},
    {ID_ZOOM_IN, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnMouseMode(View::MouseMode::ZoomIn); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { MouseModeItem(d, ui, d.m_bZoomIn); }},
    {ID_ZOOM_OUT, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnMouseMode(View::MouseMode::ZoomOut); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { MouseModeItem(d, ui, d.m_bZoomOut); }},
    {ID_SAMPLING_REALTIME, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnSamplingRealTime(); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { CheckItem(ui, d.m_settings.GetSamplingMode() == kSamplingRealTime); }},
    {ID_SAMPLING_ETS, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnSamplingEts(); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) {
         const bool refused = d.IsDemoMode() || d.m_settings.GetTimeBaseIndex() > 6 ||
                              d.m_trigger.GetSweep() == kSweepSingle || d.m_trigger.GetSource() == kSourceAlt ||
                              d.m_average.GetAcquireMode() == CAverageBuffer::kModeAverage || d.m_fft.m_bFftOn;
         EnabledItem(ui, !refused, d.m_settings.GetSamplingMode() == kSamplingEts);
     }},
    {ID_ACQ_NORMAL, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnAcquireMode(CAverageBuffer::kModeNormal); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) {
         const bool normal = d.m_average.GetAcquireMode() == CAverageBuffer::kModeNormal;
         ui->Enable(d.m_bRunning || normal ? TRUE : FALSE);
         ui->SetCheck(normal ? 1 : 0);
     }},
    {ID_ACQ_AVERAGE, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnAcquireMode(CAverageBuffer::kModeAverage); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) {
         if (d.IsDemoMode()) {
             ui->Enable(FALSE);
             return;
         }
         CString text;
         text.Format("%s:%d", d.GetText(199).GetString(), static_cast<int>(d.m_average.GetFramesWanted()));
         ui->SetText(text.GetString());
         const bool average = d.m_average.GetAcquireMode() == CAverageBuffer::kModeAverage;
         if (d.m_settings.GetSamplingMode() == kSamplingEts) {
             ui->SetCheck(0);
             ui->Enable(FALSE);
         } else if (d.m_bRunning) {
             ui->Enable(TRUE);
             ui->SetCheck(average ? 1 : 0);
         } else {
             ui->Enable(average ? TRUE : FALSE);
             ui->SetCheck(average ? 1 : 0);
         }
     }},
    {ID_ACQ_PEAK, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnAcquireMode(CAverageBuffer::kModePeakDetect); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { CheckItem(ui, d.m_average.GetAcquireMode() == CAverageBuffer::kModePeakDetect); }},
    {ID_BUFFER_10K, 1, 0, kRecordLength10K, BufferSize, BufferSizeItem},
    {ID_BUFFER_14K, 1, 0, kRecordLength14K, BufferSize, BufferSizeItem},
    {ID_BUFFER_28K, 1, 0, kRecordLength28K, BufferSize, BufferSizeItem},
    {ID_BUFFER_32K, 1, 0, kRecordLength32K, BufferSize, BufferSizeItem},
    {ID_BUFFER_64K, 1, 0, kRecordLength64K, BufferSize, BufferSizeItem},
    {ID_BUFFER_512K, 1, 0, kRecordLength512K, BufferSize, BufferSizeItem},
    {ID_BUFFER_1M, 1, 0, kRecordLength1M, BufferSize, BufferSizeItem},
    {ID_INTERP_STEP, 1, 0, kInterpolationStep, Interpolation, InterpolationItem},
    {ID_INTERP_LINEAR, 1, 0, kInterpolationLinear, Interpolation, InterpolationItem},
    {ID_INTERP_SINX, 1, 0, kInterpolationSinc, Interpolation, InterpolationItem},
    {ID_AUTO_SETUP, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnAutoSetup(); }, nullptr},
    {ID_DEMO_SETTING, 1, 0, 0,
     [](View& v, Doc& d, CommandArg) {
         if (d.IsDemoMode())
             v.ShowPanel(View::Panel::DemoSetting);
     },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { ui->Enable(d.IsDemoMode() ? TRUE : FALSE); }},

    // ---- Utility ----
    {ID_UTILITY_FFT, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnUtilityFft(); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) {
         ui->Enable(d.m_settings.GetSamplingMode() == kSamplingEts || d.m_settings.GetRecordLengthMode() != kRecordLength10K ? FALSE : TRUE);
     }},
    {ID_UTILITY_RECORD, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnUtilityRecord(); }, nullptr},
    {ID_UTILITY_PASSFAIL, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnUtilityPassFail(); }, nullptr},
    {ID_UTILITY_CALIBRATION, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnUtilityCalibration(); },
     [](View&, Doc& d, CCmdUI* ui, CommandArg) { ui->Enable(d.IsDemoMode() || d.m_passFail.m_nState1 ? FALSE : TRUE); }},
    {ID_FACTORY_SETUP, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnFactorySetup(); }, nullptr},

    // ---- Context menu ----
    {ID_WINDOW_MODE, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnWindowMode(); }, nullptr},
    {ID_INFORMATION_ONOFF, 1, 0, 0, [](View& v, Doc&, CommandArg) { v.OnInformationOnOff(); },
     [](View& v, Doc& d, CCmdUI* ui, CommandArg) {
         ui->SetText(d.GetText(v.Screen().IsLabelsOn() ? kv::kTextInformationOff : kv::kTextInformationOn).GetString());
     }},
};
// clang-format on

} // namespace

// ---------------------------------------------------------------------------------------------
// Side panel and knobs

void CKelvaneView::SetSidePanelMirror(ISidePanelMirror* mirror) {
    m_pMirror = mirror;
}

ISidePanelMirror& CKelvaneView::SidePanelMirror() {
    if (m_pMirror)
        return *m_pMirror;
    return Panels().DefaultMirror(*this);
}

void CKelvaneView::RepaintKnob(std::int16_t knobId) {
    CKnob::RepaintKnobs(knobId);
}

// ---------------------------------------------------------------------------------------------
// The map

void CKelvaneView::BuildCommandMap() {
    for (const CommandRow& row : kCommandRows) {
        for (std::int16_t k = 0; k < row.count; ++k) {
            const UINT id = row.first + static_cast<UINT>(k);
            const CommandArg arg{row.channel, static_cast<std::int16_t>(row.value + k)};
            // A command that needs the document does nothing before the initial update.
            if (CommandFn command = row.command)
                CCmdTarget::OnCommand(id, [this, command, arg] {
                    if (m_pDoc)
                        command(*this, *m_pDoc, arg);
                });
            if (UpdateFn update = row.update)
                CCmdTarget::OnUpdateCommand(id, [this, update, arg](CCmdUI* ui) {
                    if (m_pDoc && ui)
                        update(*this, *m_pDoc, ui, arg);
                });
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Buffer Size update rule

void CKelvaneView::UpdateBufferSize(CCmdUI* ui, std::int16_t mode) {
    const CKelvaneDoc& d = *m_pDoc;
    auto set = [ui](bool enabled, bool checked) {
        ui->Enable(enabled ? TRUE : FALSE);
        ui->SetCheck(enabled && checked ? 1 : 0);
    };
    const std::int16_t current = d.m_settings.GetRecordLengthMode();
    const bool isCurrent = current == mode;
    if (mode != kRecordLength10K && d.IsDemoMode()) {
        set(false, false);
        return;
    }
    if (mode >= kRecordLength512K && d.m_fft.m_bFftOn) {
        set(false, false);
        return;
    }
    if (!d.m_bRunning) {
        set(isCurrent, isCurrent);
        return;
    }
    if (mode == kRecordLength10K) {
        set(true, isCurrent);
        return;
    }
    const std::optional<TimeBaseLimits> limits = RecordLengthLimits(mode);
    if (!limits) {
        set(false, false);
        return;
    }
    // With both channels on a channel trigger the 28K, 64K and 1M lengths are never offered.
    const bool twoChannelLength =
        mode == kRecordLength28K || mode == kRecordLength64K || mode == kRecordLength1M;
    const std::int16_t index = d.m_settings.GetTimeBaseIndex();
    const bool inRange = index >= limits->lower && index <= limits->upper;
    set(inRange && !(twoChannelLength && IsDualCondition()), isCurrent);
}
