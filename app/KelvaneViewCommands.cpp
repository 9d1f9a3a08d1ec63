// The view's command map: every menu item, accelerator key, toolbar button and context-menu item
// ends here in a command handler and, for most, an update handler (enable, check, relabel).
#include "app/KelvaneView.h"

#include "app/SidePanelMirror.h"
#include "app/ViewPanels.h"
#include "display/Knob.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "resources/Resource.h"
#include "resources/ScaleLabels.h"
#include "resources/language/TextKeys.h"

#include <array>

namespace {

constexpr int kTextTurnOff = 4000;
constexpr int kTextTurnOn = 4001;

using kv::kTimeDivLabels;

// Measurement codes 0..19 and their item ids.
constexpr std::array<UINT, 20> kMeasureIds = {
    ID_MEASURE_PK2PK,      ID_MEASURE_MAX,       ID_MEASURE_MIN,        ID_MEASURE_AMPLITUDE,
    ID_MEASURE_TOP,        ID_MEASURE_MIDDLE,    ID_MEASURE_BASE,       ID_MEASURE_MEAN,
    ID_MEASURE_CYCLE_MEAN, ID_MEASURE_RMS,       ID_MEASURE_POVERSHOOT, ID_MEASURE_NOVERSHOOT,
    ID_MEASURE_PERIOD,     ID_MEASURE_FREQUENCY, ID_MEASURE_RISE,       ID_MEASURE_FALL,
    ID_MEASURE_PDUTY,      ID_MEASURE_NDUTY,     ID_MEASURE_PWIDTH,     ID_MEASURE_NWIDTH};

// Buffer Size ids by record-length mode 0..6.
constexpr std::array<UINT, 7> kBufferIds = {ID_BUFFER_10K, ID_BUFFER_14K,  ID_BUFFER_28K, ID_BUFFER_32K,
                                            ID_BUFFER_64K, ID_BUFFER_512K, ID_BUFFER_1M};

const char* VoltsLabel(int step, int probe) {
    const int entry = step + 3 * probe;
    if (entry < 0 || entry >= static_cast<int>(kv::kVoltsPerDivLadder.size()))
        return nullptr;
    return kv::kVoltsPerDivLadder[static_cast<std::size_t>(entry)];
}

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

int CKelvaneView::TimeDivPosition(const char* label) {
    return SidePanelMirror().FindTimeDiv(label);
}

void CKelvaneView::UpdateChannelItem(CCmdUI* ui, const CTrace& trace, bool check) {
    const bool on = trace.IsOn() != 0;
    ui->Enable(on ? TRUE : FALSE);
    ui->SetCheck(on && check ? 1 : 0);
}

// ---------------------------------------------------------------------------------------------
// The map

void CKelvaneView::BuildCommandMap() {
    // A command that needs the document does nothing before the initial update.
    auto cmd = [this](UINT id, std::function<void(CKelvaneDoc&)> fn) {
        CCmdTarget::OnCommand(id, [this, fn] {
            if (m_pDoc)
                fn(*m_pDoc);
        });
    };
    auto upd = [this](UINT id, std::function<void(CKelvaneDoc&, CCmdUI*)> fn) {
        CCmdTarget::OnUpdateCommand(id, [this, fn](CCmdUI* ui) {
            if (m_pDoc && ui)
                fn(*m_pDoc, ui);
        });
    };
    auto onOffText = [this](CCmdUI* ui, bool on) {
        ui->SetText(m_pDoc->GetText(on ? kTextTurnOff : kTextTurnOn).GetString());
    };

    // ---- File ----
    cmd(ID_FILE_LOAD_CSV, [this](CKelvaneDoc&) { OnFileLoadCsv(); });
    cmd(ID_FILE_LOAD_SETUPS, [this](CKelvaneDoc&) { OnFileLoadSetups(); });
    cmd(ID_FILE_SAVE_CSV, [this](CKelvaneDoc&) { OnFileSaveCsv(); });
    upd(ID_FILE_SAVE_CSV,
        [](CKelvaneDoc& d, CCmdUI* ui) { ui->Enable(d.m_settings.GetSamplingMode() != 1); });
    cmd(ID_FILE_SAVE_IMAGE, [this](CKelvaneDoc&) { OnFileSaveImage(); });
    cmd(ID_FILE_SAVE_SETUPS, [this](CKelvaneDoc&) { OnFileSaveSetups(); });

    // ---- Channel > CH1 and CH2 ----
    for (int ch = 0; ch < 2; ++ch) {
        auto trace = [ch](CKelvaneDoc& d) -> CTrace& { return ch == 0 ? d.m_ch1 : d.m_ch2; };
        const UINT onOff = ch == 0 ? ID_CH1_ONOFF : ID_CH2_ONOFF;
        const UINT voltFirst = ch == 0 ? ID_CH1_VOLTDIV_FIRST : ID_CH2_VOLTDIV_FIRST;
        const UINT couplingFirst = ch == 0 ? ID_CH1_COUPLING_FIRST : ID_CH2_COUPLING_FIRST;
        const UINT probeFirst = ch == 0 ? ID_CH1_PROBE_FIRST : ID_CH2_PROBE_FIRST;
        const UINT filterFirst = ch == 0 ? ID_CH1_FILTER_FIRST : ID_CH2_FILTER_FIRST;

        cmd(onOff, [this, ch](CKelvaneDoc&) { OnChannelOnOff(ch); });
        upd(onOff, [trace, onOffText](CKelvaneDoc& d, CCmdUI* ui) { onOffText(ui, trace(d).IsOn() != 0); });
        for (std::int16_t step = 0; step < 10; ++step) {
            cmd(voltFirst + static_cast<UINT>(step), [this, ch, step](CKelvaneDoc&) {
                SetChannelVoltsPerDiv(step, static_cast<std::int16_t>(ch));
            });
            upd(voltFirst + static_cast<UINT>(step), [this, trace, step](CKelvaneDoc& d, CCmdUI* ui) {
                const CTrace& t = trace(d);
                if (const char* label = VoltsLabel(step, t.GetProbe()))
                    ui->SetText(label);
                UpdateChannelItem(ui, t, t.GetVoltsPerDivIndex() == step);
            });
        }
        for (std::int16_t k = 0; k < 3; ++k) {
            cmd(couplingFirst + static_cast<UINT>(k),
                [this, ch, k](CKelvaneDoc&) { OnChannelCoupling(ch, k); });
            upd(couplingFirst + static_cast<UINT>(k), [this, trace, k](CKelvaneDoc& d, CCmdUI* ui) {
                UpdateChannelItem(ui, trace(d), trace(d).GetCoupling() == k);
            });
            cmd(filterFirst + static_cast<UINT>(k), [trace, k](CKelvaneDoc& d) { trace(d).SetFilter(k); });
            upd(filterFirst + static_cast<UINT>(k), [this, trace, k](CKelvaneDoc& d, CCmdUI* ui) {
                UpdateChannelItem(ui, trace(d), trace(d).GetFilter() == k);
            });
        }
        for (std::int16_t k = 0; k < 4; ++k) {
            cmd(probeFirst + static_cast<UINT>(k), [this, ch, k](CKelvaneDoc&) { OnChannelProbe(ch, k); });
            upd(probeFirst + static_cast<UINT>(k), [this, trace, k](CKelvaneDoc& d, CCmdUI* ui) {
                UpdateChannelItem(ui, trace(d), trace(d).GetProbe() == k);
            });
        }
        const UINT reset = ch == 0 ? ID_CH1_RESET : ID_CH2_RESET;
        cmd(reset, [this, ch](CKelvaneDoc&) { OnChannelReset(ch); });
        upd(reset, [trace](CKelvaneDoc& d, CCmdUI* ui) { ui->Enable(trace(d).IsOn() != 0); });
        const UINT invert = ch == 0 ? ID_CH1_INVERT : ID_CH2_INVERT;
        cmd(invert, [trace](CKelvaneDoc& d) { trace(d).SetInvert(trace(d).IsInverted() ? 0 : 1); });
        upd(invert, [this, trace](CKelvaneDoc& d, CCmdUI* ui) {
            UpdateChannelItem(ui, trace(d), trace(d).IsInverted() != 0);
        });
        const UINT bw = ch == 0 ? ID_CH1_BWLIMIT : ID_CH2_BWLIMIT;
        cmd(bw, [trace](CKelvaneDoc& d) {
            trace(d).SetBandwidthLimit(trace(d).IsBandwidthLimit() ? 0 : 1);
            d.SendFilterSettings();
        });
        upd(bw, [this, trace](CKelvaneDoc& d, CCmdUI* ui) {
            if (d.IsDemoMode()) {
                ui->Enable(FALSE);
                ui->SetCheck(0);
                return;
            }
            UpdateChannelItem(ui, trace(d), trace(d).IsBandwidthLimit() != 0);
        });
    }

    // ---- Channel > MATH ----
    cmd(ID_MATH_ONOFF, [this](CKelvaneDoc&) { OnMathOnOff(); });
    upd(ID_MATH_ONOFF, [onOffText](CKelvaneDoc& d, CCmdUI* ui) { onOffText(ui, d.m_math.IsOn() != 0); });
    for (std::int16_t k = 0; k < 2; ++k) {
        auto input = [k](CKelvaneDoc& d) -> const CTrace& { return k == 0 ? d.m_ch1 : d.m_ch2; };
        cmd(ID_MATH_SOURCEA_CH1 + static_cast<UINT>(k), [k](CKelvaneDoc& d) { d.m_math.SetSourceA(k); });
        upd(ID_MATH_SOURCEA_CH1 + static_cast<UINT>(k), [input, k](CKelvaneDoc& d, CCmdUI* ui) {
            const bool on = d.m_math.IsOn() && input(d).IsOn();
            ui->Enable(on ? TRUE : FALSE);
            ui->SetCheck(on && d.m_math.GetSourceA() == k ? 1 : 0);
        });
        cmd(ID_MATH_SOURCEB_CH1 + static_cast<UINT>(k), [k](CKelvaneDoc& d) { d.m_math.SetSourceB(k); });
        upd(ID_MATH_SOURCEB_CH1 + static_cast<UINT>(k), [input, k](CKelvaneDoc& d, CCmdUI* ui) {
            const bool on = d.m_math.IsOn() && input(d).IsOn();
            ui->Enable(on ? TRUE : FALSE);
            ui->SetCheck(on && d.m_math.GetSourceB() == k ? 1 : 0);
        });
    }
    for (std::int16_t k = 0; k < 4; ++k) {
        cmd(ID_MATH_OPERATE_FIRST + static_cast<UINT>(k), [k](CKelvaneDoc& d) { d.m_math.SetOperation(k); });
        upd(ID_MATH_OPERATE_FIRST + static_cast<UINT>(k), [this, k](CKelvaneDoc& d, CCmdUI* ui) {
            UpdateChannelItem(ui, d.m_math, d.m_math.GetOperation() == k);
        });
        cmd(ID_MATH_PROBE_FIRST + static_cast<UINT>(k), [k](CKelvaneDoc& d) { d.m_math.SetProbe(k); });
        upd(ID_MATH_PROBE_FIRST + static_cast<UINT>(k), [this, k](CKelvaneDoc& d, CCmdUI* ui) {
            UpdateChannelItem(ui, d.m_math, d.m_math.GetProbe() == k);
        });
    }
    for (std::int16_t step = 0; step < 10; ++step) {
        cmd(ID_MATH_VOLTDIV_FIRST + static_cast<UINT>(step),
            [step](CKelvaneDoc& d) { d.m_math.SetVoltsPerDivIndex(step); });
        upd(ID_MATH_VOLTDIV_FIRST + static_cast<UINT>(step), [this, step](CKelvaneDoc& d, CCmdUI* ui) {
            if (const char* label = VoltsLabel(step, d.m_math.GetProbe()))
                ui->SetText(label);
            UpdateChannelItem(ui, d.m_math, d.m_math.GetVoltsPerDivIndex() == step);
        });
        cmd(ID_REF_VOLTDIV_FIRST + static_cast<UINT>(step),
            [step](CKelvaneDoc& d) { d.m_ref.SetVoltsPerDivIndex(step); });
        upd(ID_REF_VOLTDIV_FIRST + static_cast<UINT>(step), [this, step](CKelvaneDoc& d, CCmdUI* ui) {
            UpdateChannelItem(ui, d.m_ref, d.m_ref.GetVoltsPerDivIndex() == step);
        });
    }
    cmd(ID_MATH_RESET, [this](CKelvaneDoc& d) {
        d.m_math.SetPosition(128.0f);
        Screen().UpdateMarkerPositions();
    });
    upd(ID_MATH_RESET, [](CKelvaneDoc& d, CCmdUI* ui) { ui->Enable(d.m_math.IsOn() != 0); });
    cmd(ID_MATH_INVERT, [](CKelvaneDoc& d) { d.m_math.SetInvert(d.m_math.IsInverted() ? 0 : 1); });
    upd(ID_MATH_INVERT, [](CKelvaneDoc& d, CCmdUI* ui) {
        const bool on = d.m_math.IsOn() && d.m_bRunning;
        ui->Enable(on ? TRUE : FALSE);
        ui->SetCheck(on && d.m_math.IsInverted() ? 1 : 0);
    });

    // ---- Channel > Reference ----
    cmd(ID_REF_ONOFF, [this](CKelvaneDoc&) { OnReferenceOnOff(); });
    upd(ID_REF_ONOFF, [onOffText](CKelvaneDoc& d, CCmdUI* ui) { onOffText(ui, d.m_ref.IsOn() != 0); });
    cmd(ID_REF_RESET, [this](CKelvaneDoc& d) {
        d.m_ref.SetPosition(128.0f);
        Screen().UpdateMarkerPositions();
    });
    upd(ID_REF_RESET, [](CKelvaneDoc& d, CCmdUI* ui) { ui->Enable(d.m_ref.IsOn() != 0); });
    cmd(ID_REF_LOAD, [this](CKelvaneDoc&) { OnReferenceLoad(); });
    upd(ID_REF_LOAD, [](CKelvaneDoc& d, CCmdUI* ui) { ui->Enable(d.m_ref.IsOn() != 0); });
    cmd(ID_REF_SAVE, [this](CKelvaneDoc&) { OnReferenceSave(); });
    upd(ID_REF_SAVE,
        [](CKelvaneDoc& d, CCmdUI* ui) { ui->Enable(d.m_settings.GetTimeBaseFormat() != kFormatRoll); });

    // ---- Trigger ----
    cmd(ID_TRIG_MODE_EDGE, [this](CKelvaneDoc&) { OnTriggerMode(0); });
    upd(ID_TRIG_MODE_EDGE,
        [](CKelvaneDoc& d, CCmdUI* ui) { ui->SetCheck(d.m_trigger.GetTriggerType() == 0 ? 1 : 0); });
    cmd(ID_TRIG_MODE_PULSE, [this](CKelvaneDoc&) { OnTriggerMode(1); });
    upd(ID_TRIG_MODE_PULSE, [](CKelvaneDoc& d, CCmdUI* ui) {
        const bool enabled = !d.IsDemoMode();
        ui->Enable(enabled ? TRUE : FALSE);
        ui->SetCheck(enabled && d.m_trigger.GetTriggerType() == 1 ? 1 : 0);
    });
    for (std::int16_t k = 0; k < 3; ++k) {
        cmd(ID_TRIG_SWEEP_FIRST + static_cast<UINT>(k), [this, k](CKelvaneDoc&) { OnTriggerSweep(k); });
        upd(ID_TRIG_SWEEP_FIRST + static_cast<UINT>(k),
            [k](CKelvaneDoc& d, CCmdUI* ui) { ui->SetCheck(d.m_trigger.GetSweep() == k ? 1 : 0); });
    }
    for (std::int16_t k = 0; k < 5; ++k) {
        cmd(ID_TRIG_SOURCE_FIRST + static_cast<UINT>(k), [this, k](CKelvaneDoc&) { OnTriggerSource(k); });
        upd(ID_TRIG_SOURCE_FIRST + static_cast<UINT>(k),
            [k](CKelvaneDoc& d, CCmdUI* ui) { ui->SetCheck(d.m_trigger.GetSource() == k ? 1 : 0); });
    }
    for (std::int16_t k = 0; k < 2; ++k) {
        const UINT id = k == 0 ? ID_TRIG_SLOPE_RISE : ID_TRIG_SLOPE_FALL;
        cmd(id, [this, k](CKelvaneDoc&) { OnTriggerSlope(k); });
        upd(id, [k](CKelvaneDoc& d, CCmdUI* ui) {
            const bool edge = d.m_trigger.GetTriggerType() == 0;
            ui->Enable(edge ? TRUE : FALSE);
            ui->SetCheck(edge && d.m_trigger.GetSlope() == k ? 1 : 0);
        });
    }
    for (std::int16_t k = 0; k < 6; ++k) {
        cmd(ID_TRIG_PW_FIRST + static_cast<UINT>(k), [this, k](CKelvaneDoc&) { OnTriggerPulseCondition(k); });
        upd(ID_TRIG_PW_FIRST + static_cast<UINT>(k), [k](CKelvaneDoc& d, CCmdUI* ui) {
            const bool pulse = d.m_trigger.GetTriggerType() == 1;
            ui->Enable(pulse ? TRUE : FALSE);
            ui->SetCheck(pulse && d.m_trigger.GetPulseCondition() == k ? 1 : 0);
        });
    }
    cmd(ID_TRIG_LEVEL50, [this](CKelvaneDoc&) { OnTriggerLevel50(); });
    upd(ID_TRIG_LEVEL50,
        [](CKelvaneDoc& d, CCmdUI* ui) { ui->Enable(d.m_settings.GetTimeBaseFormat() != kFormatRoll); });
    cmd(ID_TRIG_HF_REJECT, [](CKelvaneDoc& d) {
        d.m_trigger.SetHfReject(d.m_trigger.IsHfReject() ? 0 : 1);
        d.SendFilterSettings();
    });
    upd(ID_TRIG_HF_REJECT, [](CKelvaneDoc& d, CCmdUI* ui) {
        const bool enabled = !d.IsDemoMode();
        ui->Enable(enabled ? TRUE : FALSE);
        ui->SetCheck(enabled && d.m_trigger.IsHfReject() ? 1 : 0);
    });

    // ---- Horizontal ----
    for (UINT i = 0; i < kTimeDivLabels.size(); ++i) {
        const char* label = kTimeDivLabels[i];
        cmd(ID_TIMEDIV_FIRST + i, [this, label](CKelvaneDoc&) { SelectTimeBase(label); });
        upd(ID_TIMEDIV_FIRST + i, [this, label](CKelvaneDoc& d, CCmdUI* ui) {
            ui->SetCheck(TimeDivPosition(label) == d.m_settings.GetTimeBaseIndex() ? 1 : 0);
        });
    }
    cmd(ID_FORMAT_YT, [this](CKelvaneDoc&) { OnFormatYT(); });
    cmd(ID_FORMAT_ROLL, [this](CKelvaneDoc&) { OnFormatRoll(); });
    cmd(ID_FORMAT_XY, [this](CKelvaneDoc&) { OnFormatXY(); });
    upd(ID_FORMAT_YT, [](CKelvaneDoc& d, CCmdUI* ui) {
        ui->Enable(d.m_bRunning ? TRUE : FALSE);
        ui->SetCheck(d.m_bRunning && d.m_settings.GetTimeBaseFormat() == kFormatYT ? 1 : 0);
    });
    for (const std::int16_t format : {kFormatRoll, kFormatXY}) {
        upd(format == kFormatRoll ? ID_FORMAT_ROLL : ID_FORMAT_XY, [format](CKelvaneDoc& d, CCmdUI* ui) {
            const bool enabled = d.m_bRunning && !d.m_passFail.m_nState1;
            ui->Enable(enabled ? TRUE : FALSE);
            ui->SetCheck(enabled && d.m_settings.GetTimeBaseFormat() == format ? 1 : 0);
        });
    }
    cmd(ID_HORIZONTAL_ZERO, [this](CKelvaneDoc&) { OnHorizontalCentre(); });

    // ---- Cursor ----
    const std::array<UINT, 3> cursorSources = {ID_CURSOR_SOURCE_CH1, ID_CURSOR_SOURCE_CH2,
                                               ID_CURSOR_SOURCE_MATH};
    for (std::int16_t k = 0; k < 3; ++k) {
        cmd(cursorSources[static_cast<std::size_t>(k)],
            [this, k](CKelvaneDoc&) { Screen().SetCursorSource(k); });
        upd(cursorSources[static_cast<std::size_t>(k)],
            [this, k](CKelvaneDoc&, CCmdUI* ui) { ui->SetCheck(Screen().GetCursorSource() == k ? 1 : 0); });
    }
    cmd(ID_CURSOR_SOURCE_FFT, [this](CKelvaneDoc&) { OnCursorSourceFft(); });
    upd(ID_CURSOR_SOURCE_FFT, [this](CKelvaneDoc& d, CCmdUI* ui) {
        const bool on = d.m_fft.m_bFftOn != 0;
        ui->Enable(on ? TRUE : FALSE);
        ui->SetCheck(on && Screen().GetCursorSource() == CScopeScreen::kCursorSourceFft ? 1 : 0);
    });
    cmd(ID_CURSOR_NONE, [this](CKelvaneDoc&) { OnCursorMode(0); });
    upd(ID_CURSOR_NONE,
        [this](CKelvaneDoc&, CCmdUI* ui) { ui->SetCheck(Screen().GetCursorMode() == 0 ? 1 : 0); });
    const std::array<std::pair<UINT, std::int16_t>, 3> pairModes = {
        std::pair<UINT, std::int16_t>{ID_CURSOR_CROSS, 1},
        {ID_CURSOR_VERTICAL, 3},
        {ID_CURSOR_HORIZONTAL, 4}};
    for (const auto& [id, mode] : pairModes) {
        const std::int16_t m = mode;
        cmd(id, [this, m](CKelvaneDoc&) { OnCursorMode(m); });
        upd(id, [this, m](CKelvaneDoc&, CCmdUI* ui) {
            const bool enabled = Screen().GetCursorSource() != CScopeScreen::kCursorSourceFft;
            ui->Enable(enabled ? TRUE : FALSE);
            ui->SetCheck(enabled && Screen().GetCursorMode() == m ? 1 : 0);
        });
    }
    cmd(ID_CURSOR_TRACE, [this](CKelvaneDoc&) { OnCursorMode(2); });
    upd(ID_CURSOR_TRACE,
        [this](CKelvaneDoc&, CCmdUI* ui) { ui->SetCheck(Screen().GetCursorMode() == 2 ? 1 : 0); });

    // ---- Measure ----
    const std::array<UINT, 3> measureSources = {ID_MEASURE_SOURCE_CH1, ID_MEASURE_SOURCE_CH2,
                                                ID_MEASURE_SOURCE_MATH};
    for (short k = 0; k < 3; ++k) {
        cmd(measureSources[static_cast<std::size_t>(k)], [k](CKelvaneDoc& d) { d.m_measure.SetSource(k); });
        upd(measureSources[static_cast<std::size_t>(k)],
            [k](CKelvaneDoc& d, CCmdUI* ui) { ui->SetCheck(d.m_measure.GetSource() == k ? 1 : 0); });
    }
    cmd(ID_MEASURE_CLEAR, [](CKelvaneDoc& d) { d.m_measure.ClearAll(); });
    for (short code = 0; code < static_cast<short>(kMeasureIds.size()); ++code)
        cmd(kMeasureIds[static_cast<std::size_t>(code)],
            [code](CKelvaneDoc& d) { d.m_measure.AddMeasurement(code); });

    // ---- Display ----
    for (std::int16_t k = 0; k < 2; ++k) {
        const UINT id = k == 0 ? ID_DISPLAY_VECTORS : ID_DISPLAY_DOTS;
        cmd(id, [this, k](CKelvaneDoc&) {
            Screen().SetDotMode(k);
            ScreenPanel().Invalidate(FALSE);
        });
        upd(id, [this, k](CKelvaneDoc&, CCmdUI* ui) { ui->SetCheck(Screen().GetDotMode() == k ? 1 : 0); });
    }
    cmd(ID_DISPLAY_GRID, [this](CKelvaneDoc&) {
        Screen().SetGridOn(Screen().IsGridOn() ? 0 : 1);
        ScreenPanel().Invalidate(FALSE);
    });
    upd(ID_DISPLAY_GRID, [this](CKelvaneDoc&, CCmdUI* ui) { ui->SetCheck(Screen().IsGridOn() ? 1 : 0); });
    cmd(ID_DISPLAY_INTENSITY, [this](CKelvaneDoc&) { ShowPanel(Panel::Intensity); });
    cmd(ID_DISPLAY_SETTINGS, [this](CKelvaneDoc&) { ShowPanel(Panel::Intensity); });
    cmd(ID_DISPLAY_WAVEFORM_COLOR, [this](CKelvaneDoc&) { ShowPanel(Panel::WaveformColor); });
    cmd(ID_CALIBRATE_DATA, [this](CKelvaneDoc&) { ShowPanel(Panel::CalibrateData); });

    // ---- Acquire ----
    cmd(ID_ACQUIRE_START, [this](CKelvaneDoc&) { OnAcquireStart(); });
    upd(ID_ACQUIRE_START, [](CKelvaneDoc& d, CCmdUI* ui) { ui->SetCheck(d.m_bRunning ? 1 : 0); });
    cmd(ID_ACQUIRE_STOP, [this](CKelvaneDoc&) { OnAcquireStop(); });
    upd(ID_ACQUIRE_STOP, [](CKelvaneDoc& d, CCmdUI* ui) { ui->SetCheck(d.m_bRunning ? 0 : 1); });
    const std::array<std::pair<UINT, MouseMode>, 3> mouseModes = {
        std::pair<UINT, MouseMode>{ID_DRAG, MouseMode::Drag},
        {ID_ZOOM_IN, MouseMode::ZoomIn},
        {ID_ZOOM_OUT, MouseMode::ZoomOut}};
    for (const auto& [id, mode] : mouseModes) {
        const MouseMode m = mode;
        cmd(id, [this, m](CKelvaneDoc&) { OnMouseMode(m); });
        upd(id, [m](CKelvaneDoc& d, CCmdUI* ui) {
            const bool enabled = !d.m_bRunning && d.m_settings.GetTimeBaseFormat() != kFormatXY &&
                                 d.m_settings.GetSamplingMode() != 1;
            const std::int32_t flag = m == MouseMode::Drag     ? d.m_bDrag
                                      : m == MouseMode::ZoomIn ? d.m_bZoomIn
                                                               : d.m_bZoomOut;
            ui->Enable(enabled ? TRUE : FALSE);
            ui->SetCheck(enabled && flag ? 1 : 0);
        });
    }
    cmd(ID_SAMPLING_REALTIME, [this](CKelvaneDoc&) { OnSamplingRealTime(); });
    upd(ID_SAMPLING_REALTIME,
        [](CKelvaneDoc& d, CCmdUI* ui) { ui->SetCheck(d.m_settings.GetSamplingMode() == 0 ? 1 : 0); });
    cmd(ID_SAMPLING_ETS, [this](CKelvaneDoc&) { OnSamplingEts(); });
    upd(ID_SAMPLING_ETS, [](CKelvaneDoc& d, CCmdUI* ui) {
        const bool refused = d.IsDemoMode() || d.m_settings.GetTimeBaseIndex() > 6 ||
                             d.m_trigger.GetSweep() == 2 || d.m_trigger.GetSource() == 2 ||
                             d.m_average.GetAcquireMode() == 1 || d.m_fft.m_bFftOn;
        ui->Enable(refused ? FALSE : TRUE);
        ui->SetCheck(!refused && d.m_settings.GetSamplingMode() == 1 ? 1 : 0);
    });
    cmd(ID_ACQ_NORMAL, [this](CKelvaneDoc&) { OnAcquireMode(0); });
    upd(ID_ACQ_NORMAL, [](CKelvaneDoc& d, CCmdUI* ui) {
        const bool normal = d.m_average.GetAcquireMode() == 0;
        ui->Enable(d.m_bRunning || normal ? TRUE : FALSE);
        ui->SetCheck(normal ? 1 : 0);
    });
    cmd(ID_ACQ_AVERAGE, [this](CKelvaneDoc&) { OnAcquireMode(1); });
    upd(ID_ACQ_AVERAGE, [](CKelvaneDoc& d, CCmdUI* ui) {
        if (d.IsDemoMode()) {
            ui->Enable(FALSE);
            return;
        }
        CString text;
        text.Format("%s:%d", d.GetText(199).GetString(), static_cast<int>(d.m_average.GetFramesWanted()));
        ui->SetText(text.GetString());
        const bool average = d.m_average.GetAcquireMode() == 1;
        if (d.m_settings.GetSamplingMode() == 1) {
            ui->SetCheck(0);
            ui->Enable(FALSE);
        } else if (d.m_bRunning) {
            ui->Enable(TRUE);
            ui->SetCheck(average ? 1 : 0);
        } else {
            ui->Enable(average ? TRUE : FALSE);
            ui->SetCheck(average ? 1 : 0);
        }
    });
    cmd(ID_ACQ_PEAK, [this](CKelvaneDoc&) { OnAcquireMode(2); });
    upd(ID_ACQ_PEAK,
        [](CKelvaneDoc& d, CCmdUI* ui) { ui->SetCheck(d.m_average.GetAcquireMode() == 2 ? 1 : 0); });
    for (std::int16_t mode = 0; mode < static_cast<std::int16_t>(kBufferIds.size()); ++mode) {
        cmd(kBufferIds[static_cast<std::size_t>(mode)], [this, mode](CKelvaneDoc&) { OnBufferSize(mode); });
        upd(kBufferIds[static_cast<std::size_t>(mode)],
            [this, mode](CKelvaneDoc&, CCmdUI* ui) { UpdateBufferSize(ui, mode); });
    }
    const std::array<std::pair<UINT, std::int16_t>, 3> interpolations = {
        std::pair<UINT, std::int16_t>{ID_INTERP_STEP, 0}, {ID_INTERP_LINEAR, 1}, {ID_INTERP_SINX, 2}};
    for (const auto& [id, mode] : interpolations) {
        const std::int16_t m = mode;
        cmd(id, [m](CKelvaneDoc& d) {
            d.m_ch1.SetInterpolation(m);
            d.m_ch2.SetInterpolation(m);
            d.m_math.SetInterpolation(m);
            d.m_ref.SetInterpolation(m);
        });
        upd(id, [this, m](CKelvaneDoc& d, CCmdUI* ui) {
            const int p40ns = TimeDivPosition("40.0ns");
            // Without the label in the list there is no rule to apply.
            if (p40ns < 0)
                return;
            const bool enabled = !d.IsDemoMode() && d.m_settings.GetSamplingMode() == 0 &&
                                 d.m_settings.GetTimeBaseIndex() <= p40ns;
            ui->Enable(enabled ? TRUE : FALSE);
            ui->SetCheck(enabled && d.m_ch1.GetInterpolation() == m ? 1 : 0);
        });
    }
    cmd(ID_AUTO_SETUP, [this](CKelvaneDoc&) { OnAutoSetup(); });
    cmd(ID_DEMO_SETTING, [this](CKelvaneDoc& d) {
        if (d.IsDemoMode())
            ShowPanel(Panel::DemoSetting);
    });
    upd(ID_DEMO_SETTING, [](CKelvaneDoc& d, CCmdUI* ui) { ui->Enable(d.IsDemoMode() ? TRUE : FALSE); });

    // ---- Utility ----
    cmd(ID_UTILITY_FFT, [this](CKelvaneDoc&) { OnUtilityFft(); });
    upd(ID_UTILITY_FFT, [](CKelvaneDoc& d, CCmdUI* ui) {
        ui->Enable(d.m_settings.GetSamplingMode() == 1 || d.m_settings.GetRecordLengthMode() != 0 ? FALSE
                                                                                                  : TRUE);
    });
    cmd(ID_UTILITY_RECORD, [this](CKelvaneDoc&) { OnUtilityRecord(); });
    cmd(ID_UTILITY_PASSFAIL, [this](CKelvaneDoc&) { OnUtilityPassFail(); });
    cmd(ID_UTILITY_CALIBRATION, [this](CKelvaneDoc&) { OnUtilityCalibration(); });
    upd(ID_UTILITY_CALIBRATION, [](CKelvaneDoc& d, CCmdUI* ui) {
        ui->Enable(d.IsDemoMode() || d.m_passFail.m_nState1 ? FALSE : TRUE);
    });
    cmd(ID_FACTORY_SETUP, [this](CKelvaneDoc&) { OnFactorySetup(); });

    // ---- Context menu ----
    cmd(ID_WINDOW_MODE, [this](CKelvaneDoc&) { OnWindowMode(); });
    cmd(ID_INFORMATION_ONOFF, [this](CKelvaneDoc&) { OnInformationOnOff(); });
    upd(ID_INFORMATION_ONOFF, [this](CKelvaneDoc& d, CCmdUI* ui) {
        ui->SetText(
            d.GetText(Screen().IsLabelsOn() ? kv::kTextInformationOff : kv::kTextInformationOn).GetString());
    });
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
    if (mode != 0 && d.IsDemoMode()) {
        set(false, false);
        return;
    }
    if (mode >= 5 && d.m_fft.m_bFftOn) {
        set(false, false);
        return;
    }
    if (!d.m_bRunning) {
        set(isCurrent, isCurrent);
        return;
    }
    if (mode == 0) {
        set(true, isCurrent);
        return;
    }
    const std::optional<TimeBaseLimits> limits = RecordLengthLimits(mode);
    if (!limits) {
        set(false, false);
        return;
    }
    // With both channels on a channel trigger the 28K, 64K and 1M lengths are never offered.
    const bool twoChannelLength = mode == 2 || mode == 4 || mode == 6;
    const std::int16_t index = d.m_settings.GetTimeBaseIndex();
    const bool inRange = index >= limits->lower && index <= limits->upper;
    set(inRange && !(twoChannelLength && IsDualCondition()), isCurrent);
}
