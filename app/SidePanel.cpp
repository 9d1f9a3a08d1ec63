#include "app/SidePanel.h"

#include <algorithm>

#include <QString>
#include <QWidget>

#include "app/DialogSupport.h"
#include "app/KelvaneView.h"
#include "app/LanguageDialogAdapter.h"
#include "app/PulseWidthDlg.h"
#include "display/ScopeScreen.h"
#include "engine/DeviceStateBlock.h"
#include "engine/KelvaneDoc.h"
#include "engine/ModelCapabilities.h"
#include "engine/SettingsCodes.h"
#include "engine/TimeBaseLimits.h"
#include "framework/DataExchange.h"
#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "resources/ScaleLabels.h"
#include "resources/dialogs/SidePanelTemplates.h"

namespace {

constexpr int kPulseConditions = 6;
// Past this list index, leaving Roll also forces a trigger (the capture may wait long).
constexpr int kForceTriggerAbove = 20;

} // namespace

// --- Tool tips -----------------------------------------------------------------------------------

BOOL CPanelToolTip::Create(CWnd* pOwner) {
    m_pOwner = pOwner;
    return pOwner ? TRUE : FALSE;
}

void CPanelToolTip::Activate(BOOL bActivate) {
    m_bActive = bActivate ? TRUE : FALSE;
    for (const Tool& tool : m_tools)
        Apply(tool.wnd, tool.text);
}

void CPanelToolTip::AddTool(CWnd* pTool, const char* text) {
    if (!pTool)
        return;
    const CString value = text ? text : "";
    auto it = std::find_if(m_tools.begin(), m_tools.end(), [pTool](const Tool& t) { return t.wnd == pTool; });
    if (it == m_tools.end())
        m_tools.push_back(Tool{pTool, value});
    else
        it->text = value;
    Apply(pTool, value);
}

void CPanelToolTip::RelayEvent(MSG*) {}

CString CPanelToolTip::GetToolText(const CWnd* pTool) const {
    for (const Tool& tool : m_tools)
        if (tool.wnd == pTool)
            return tool.text;
    return CString();
}

void CPanelToolTip::Apply(CWnd* pTool, const CString& text) const {
    if (QWidget* w = pTool ? pTool->GetWidget() : nullptr)
        w->setToolTip(m_bActive ? QString::fromUtf8(text.GetString()) : QString());
}

// --- Panel ------------------------------------------------------------------------------------------

CSidebarDlg::CSidebarDlg(CWnd* pParent) : CDialog(IDD_SIDEBAR, pParent) {
    kv::RegisterSidePanelTemplates();
    OnControl(BN_CLICKED, IDC_CH1_ON, [this] { OnCheckChannel1On(); });
    OnControl(BN_CLICKED, IDC_CH2_ON, [this] { OnCheckChannel2On(); });
    OnControl(CBN_SELCHANGE, IDC_CH1_VOLTDIV, [this] { OnSelchangeChannel1VoltsPerDiv(); });
    OnControl(CBN_SELCHANGE, IDC_CH2_VOLTDIV, [this] { OnSelchangeChannel2VoltsPerDiv(); });
    OnControl(CBN_SELCHANGE, IDC_CH1_PROBE, [this] { OnSelchangeChannel1Probe(); });
    OnControl(CBN_SELCHANGE, IDC_CH2_PROBE, [this] { OnSelchangeChannel2Probe(); });
    OnControl(CBN_SELCHANGE, IDC_CH1_COUPLING, [this] { OnSelchangeChannel1Coupling(); });
    OnControl(CBN_SELCHANGE, IDC_CH2_COUPLING, [this] { OnSelchangeChannel2Coupling(); });
    OnControl(CBN_SELCHANGE, IDC_TIMEDIV, [this] { OnSelchangeTimeDiv(); });
    OnControl(CBN_SELCHANGE, IDC_FORMAT, [this] { OnSelchangeFormat(); });
    OnControl(CBN_SELCHANGE, IDC_TRIGGER_MODE, [this] { OnSelchangeTriggerMode(); });
    OnControl(CBN_SELCHANGE, IDC_TRIGGER_SWEEP, [this] { OnSelchangeTriggerSweep(); });
    OnControl(CBN_SELCHANGE, IDC_TRIGGER_SOURCE, [this] { OnSelchangeTriggerSource(); });
    OnControl(CBN_SELCHANGE, IDC_TRIGGER_SLOPE, [this] { OnSelchangeTriggerSlope(); });
    OnControl(BN_CLICKED, IDC_PULSE_WIDTH, [this] { OnButtonPulseWidth(); });
}

CSidebarDlg::~CSidebarDlg() = default;

void CSidebarDlg::SetDocument(CKelvaneDoc* pDoc) {
    if (!pDoc)
        return;
    m_pDoc = pDoc;
    m_knobCh1.SetDocument(pDoc);
    m_knobCh2.SetDocument(pDoc);
    m_knobTime.SetDocument(pDoc);
}

void CSidebarDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TRIGGER_SWEEP, m_cboSweep);
    DDX_Control(pDX, IDC_TRIGGER_SLOPE, m_cboSlope);
    DDX_Control(pDX, IDC_TRIGGER_SOURCE, m_cboSource);
    DDX_Control(pDX, IDC_TRIGGER_MODE, m_cboTriggerMode);
    DDX_Control(pDX, IDC_FORMAT, m_cboFormat);
    DDX_Control(pDX, IDC_TIMEDIV, m_cboTimeDiv);
    DDX_Control(pDX, IDC_CH2_COUPLING, m_cboCh2Coupling);
    DDX_Control(pDX, IDC_CH1_COUPLING, m_cboCh1Coupling);
    DDX_Control(pDX, IDC_CH2_VOLTDIV, m_cboCh2VoltDiv);
    DDX_Control(pDX, IDC_CH2_PROBE, m_cboCh2Probe);
    DDX_Control(pDX, IDC_CH1_VOLTDIV, m_cboCh1VoltDiv);
    DDX_Control(pDX, IDC_CH1_PROBE, m_cboCh1Probe);
    DDX_Control(pDX, IDC_CH2_ON, m_btnCh2On);
    DDX_Control(pDX, IDC_CH1_ON, m_btnCh1On);
    DDX_Control(pDX, IDC_KNOB_CH1, m_knobCh1);
    DDX_Control(pDX, IDC_KNOB_CH2, m_knobCh2);
    DDX_Control(pDX, IDC_KNOB_TIME, m_knobTime);
}

int CSidebarDlg::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CDialog::OnCreate(lpCreateStruct) == -1)
        return -1;
    m_toolTip.Create(this);
    m_toolTip.Activate(TRUE);
    return 0;
}

BOOL CSidebarDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    FillLists();
    LoadFromDocument();
    return FALSE;
}

BOOL CSidebarDlg::PreTranslateMessage(MSG* pMsg) {
    if (!pMsg)
        return FALSE;
    m_toolTip.RelayEvent(pMsg);
    const UINT m = pMsg->message;
    if (m == WM_KEYDOWN || m == WM_KEYUP || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP) {
        auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
        if (!frame)
            frame = GetParentFrame();
        // Without this check a key that ran a menu command would act a second time on the
        // focused control (Space stops acquisition and also toggles a channel button).
        if (frame && frame->PreTranslateMessage(pMsg))
            return TRUE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

// --- Loading -----------------------------------------------------------------------------------------

void CSidebarDlg::LoadFromDocument() {
    if (!m_pDoc || !GetWidget())
        return;
    CKelvaneDoc& doc = *m_pDoc;
    m_knobCh1.SetKnobId(CKnob::kKnobCh1);
    m_knobCh2.SetKnobId(CKnob::kKnobCh2);
    m_knobTime.SetKnobId(CKnob::kKnobTime);

    m_btnCh1On.SetCheck(doc.m_ch1.IsOn() ? BST_CHECKED : BST_UNCHECKED);
    m_cboCh1Coupling.SetCurSel(doc.m_ch1.GetCoupling());
    m_cboCh1VoltDiv.SetCurSel(doc.m_ch1.GetVoltsPerDivIndex());
    m_cboCh1Probe.SetCurSel(doc.m_ch1.GetProbe());
    m_btnCh2On.SetCheck(doc.m_ch2.IsOn() ? BST_CHECKED : BST_UNCHECKED);
    m_cboCh2Coupling.SetCurSel(doc.m_ch2.GetCoupling());
    m_cboCh2VoltDiv.SetCurSel(doc.m_ch2.GetVoltsPerDivIndex());
    m_cboCh2Probe.SetCurSel(doc.m_ch2.GetProbe());

    m_cboTimeDiv.SetCurSel(doc.m_settings.GetTimeBaseIndex());
    m_cboFormat.SetCurSel(doc.m_settings.GetTimeBaseFormat());
    m_cboTriggerMode.SetCurSel(doc.m_trigger.GetTriggerType());
    m_cboSource.SetCurSel(doc.m_trigger.GetSource());
    m_cboSweep.SetCurSel(doc.m_trigger.GetSweep());
    FillSlopeList();
    // The volts/div labels follow the probe, which a loaded set-up may have changed: rebuild
    // both lists (each selects its channel's index) rather than only selecting in stale labels.
    FillChannel1VoltsPerDivList();
    FillChannel2VoltsPerDivList();

    FormatPulseWidth(doc.m_trigger.GetPulseWidth());
    ShowPulseWidth();

    SetChannelControls(0, doc.m_ch1.IsOn() != 0);
    SetChannelControls(1, doc.m_ch2.IsOn() != 0);
    m_cboFormat.EnableWindow(doc.m_bRunning ? TRUE : FALSE);
    RepaintKnob(CKnob::kKnobCh1);
    RepaintKnob(CKnob::kKnobCh2);
    RepaintKnob(CKnob::kKnobTime);
}

void CSidebarDlg::ApplyLanguage() {
    if (!m_pDoc || !GetWidget())
        return;
    TranslateWindow(m_pDoc->m_language, *this);
    FillLists();
    LoadFromDocument();
    Invalidate(TRUE);
}

CString CSidebarDlg::ListText(int key) const {
    if (!m_pDoc)
        return CString();
    CString text = m_pDoc->GetText(key);
    const int mark = text.Find('#');
    return mark >= 0 ? text.Left(mark) : text;
}

void CSidebarDlg::FillLists() {
    if (!GetWidget())
        return;
    FillTimeDivList();
    FillTriggerSourceList();
    FillTriggerModeList();
    FillChannel1VoltsPerDivList();
    FillChannel2VoltsPerDivList();
    FillSweepList();
    FillCouplingLists();
    const struct {
        CWnd* control;
        int key;
    } tips[] = {{&m_cboCh1VoltDiv, 4003}, {&m_cboCh1Coupling, 4004}, {&m_cboCh1Probe, 4005},
                {&m_cboCh2VoltDiv, 4006}, {&m_cboCh2Coupling, 4007}, {&m_cboCh2Probe, 4008}};
    for (const auto& tip : tips)
        m_toolTip.AddTool(tip.control, m_pDoc ? m_pDoc->GetText(tip.key).GetString() : "");
}

void CSidebarDlg::FillTimeDivList() {
    const int model = m_pDoc ? m_pDoc->GetModel() : CKelvaneDoc::kDefaultModel;
    m_cboTimeDiv.ResetContent();
    for (int i = 0;; ++i) {
        const CString label = CKnob::TimeDivLabel(i, model);
        if (label.IsEmpty())
            break;
        m_cboTimeDiv.AddString(label);
    }
}

void CSidebarDlg::FillTriggerSourceList() {
    const int model = m_pDoc ? m_pDoc->GetModel() : CKelvaneDoc::kDefaultModel;
    m_cboSource.ResetContent();
    for (const char* name : {"CH1", "CH2", "ALT", "EXT"})
        m_cboSource.AddString(name);
    if (CapabilitiesOfModel(model).hasExt10)
        m_cboSource.AddString("EXT/10");
}

void CSidebarDlg::FillTriggerModeList() {
    const int model = m_pDoc ? m_pDoc->GetModel() : CKelvaneDoc::kDefaultModel;
    m_cboTriggerMode.ResetContent();
    m_cboTriggerMode.AddString(ListText(kKeyModeEdge));
    if (CapabilitiesOfModel(model).hasPulseTrigger)
        m_cboTriggerMode.AddString(ListText(kKeyModePulse));
}

void CSidebarDlg::FillSweepList() {
    m_cboSweep.ResetContent();
    for (int i = 0; i < 3; ++i)
        m_cboSweep.AddString(ListText(kKeySweepFirst + i));
}

void CSidebarDlg::FillCouplingLists() {
    m_cboCh1Coupling.ResetContent();
    m_cboCh2Coupling.ResetContent();
    for (int i = 0; i < 3; ++i) {
        m_cboCh1Coupling.AddString(ListText(kKeyCh1CouplingFirst + i));
        m_cboCh2Coupling.AddString(ListText(kKeyCh2CouplingFirst + i));
    }
}

void CSidebarDlg::FillChannel1VoltsPerDivList() {
    FillVoltsPerDivList(0);
}

void CSidebarDlg::FillChannel2VoltsPerDivList() {
    FillVoltsPerDivList(1);
}

void CSidebarDlg::FillVoltsPerDivList(int channel) {
    if (!m_pDoc || (channel != 0 && channel != 1))
        return;
    const CTrace& trace = channel == 0 ? m_pDoc->m_ch1 : m_pDoc->m_ch2;
    CComboBox& list = channel == 0 ? m_cboCh1VoltDiv : m_cboCh2VoltDiv;
    // A probe code from outside 0..3 would index past the ladder.
    const int probe = std::clamp<int>(trace.GetProbe(), 0, 3);
    const int count = CapabilitiesOfModel(m_pDoc->GetModel()).has10V ? 10 : 9;
    list.ResetContent();
    for (int i = 0; i < count; ++i)
        list.AddString(kv::kVoltsPerDivLadder[static_cast<std::size_t>(3 * probe + i)]);
    list.SetCurSel(trace.GetVoltsPerDivIndex());
}

void CSidebarDlg::FillSlopeList() {
    if (!m_pDoc || !GetWidget())
        return;
    const CTrigger& trigger = m_pDoc->m_trigger;
    m_cboSlope.ResetContent();
    const bool pulse = trigger.GetTriggerType() == kTriggerPulse;
    if (pulse) {
        for (int i = 0; i < kPulseConditions; ++i)
            m_cboSlope.AddString(ListText(kKeyPulseConditionFirst + i));
        m_cboSlope.SetCurSel(trigger.GetPulseCondition());
        SetDlgItemText(IDC_SLOPE_LABEL, m_pDoc->GetText(kKeyWhenPulseWidth));
    } else {
        m_cboSlope.AddString("+");
        m_cboSlope.AddString("-");
        m_cboSlope.SetCurSel(trigger.GetSlope());
        SetDlgItemText(IDC_SLOPE_LABEL, m_pDoc->GetText(kKeyTriggerSlope));
    }
    if (CWnd* label = GetDlgItem(IDC_PULSE_WIDTH_LABEL))
        label->EnableWindow(pulse ? TRUE : FALSE);
    if (CWnd* width = GetDlgItem(IDC_PULSE_WIDTH))
        width->EnableWindow(pulse ? TRUE : FALSE);
}

CString CSidebarDlg::FormatPulseWidth(std::int64_t count) {
    const std::int64_t v = count * 5; // nanoseconds
    const double d = static_cast<double>(v);
    CString text;
    if (v < 10)
        text = "";
    else if (v < 100)
        text.Format("%.1fnS", d);
    else if (v < 1000)
        text.Format("%ldnS", static_cast<long>(v));
    else if (v < 10000)
        text.Format("%.2fuS", d * 0.001);
    else if (v < 100000)
        text.Format("%.1fuS", d * 0.001);
    else if (v < 1000000)
        text.Format("%lduS", static_cast<long>(d * 0.001));
    else if (v < 10000000)
        text.Format("%.2fmS", d * 1e-6);
    else if (v < 100000000)
        text.Format("%.1fmS", d * 1e-6);
    else if (v < 1000000000)
        text.Format("%ldmS", static_cast<long>(d * 1e-6));
    else if (v < 10000000000LL)
        text.Format("%.2f S", d * 1e-9);
    else if (v < 100000000000LL)
        text.Format("%.1f S", d * 1e-9);
    else
        text.Format("%ld S", static_cast<long>(d * 1e-9));
    if (m_pDoc)
        m_pDoc->m_strPulseWidth = text;
    return text;
}

void CSidebarDlg::ShowPulseWidth() {
    if (m_pDoc && GetWidget())
        SetDlgItemText(IDC_PULSE_WIDTH, m_pDoc->m_strPulseWidth);
}

// --- Calls from elsewhere ---------------------------------------------------------------------

void CSidebarDlg::EnableChannelControls(int channel) {
    SetChannelControls(channel, true);
}

void CSidebarDlg::DisableChannelControls(int channel) {
    SetChannelControls(channel, false);
}

void CSidebarDlg::SetChannelControls(int channel, bool on) {
    if ((channel != 0 && channel != 1) || !GetWidget())
        return;
    const BOOL enable = on ? TRUE : FALSE;
    if (channel == 0) {
        m_btnCh1On.SetCheck(on ? BST_CHECKED : BST_UNCHECKED);
        m_cboCh1VoltDiv.EnableWindow(enable);
        m_cboCh1Coupling.EnableWindow(enable);
        m_cboCh1Probe.EnableWindow(enable);
        RepaintKnob(CKnob::kKnobCh1);
    } else {
        m_btnCh2On.SetCheck(on ? BST_CHECKED : BST_UNCHECKED);
        m_cboCh2VoltDiv.EnableWindow(enable);
        m_cboCh2Coupling.EnableWindow(enable);
        m_cboCh2Probe.EnableWindow(enable);
        RepaintKnob(CKnob::kKnobCh2);
    }
}

void CSidebarDlg::UpdateChannelControls(bool ch1On, bool ch2On) {
    SetChannelControls(0, ch1On);
    SetChannelControls(1, ch2On);
}

CComboBox* CSidebarDlg::ComboOf(UINT listId) {
    switch (listId) {
    case IDC_CH1_PROBE:
        return &m_cboCh1Probe;
    case IDC_CH1_VOLTDIV:
        return &m_cboCh1VoltDiv;
    case IDC_CH1_COUPLING:
        return &m_cboCh1Coupling;
    case IDC_CH2_PROBE:
        return &m_cboCh2Probe;
    case IDC_CH2_VOLTDIV:
        return &m_cboCh2VoltDiv;
    case IDC_CH2_COUPLING:
        return &m_cboCh2Coupling;
    case IDC_TIMEDIV:
        return &m_cboTimeDiv;
    case IDC_FORMAT:
        return &m_cboFormat;
    case IDC_TRIGGER_SOURCE:
        return &m_cboSource;
    case IDC_TRIGGER_SLOPE:
        return &m_cboSlope;
    case IDC_TRIGGER_MODE:
        return &m_cboTriggerMode;
    case IDC_TRIGGER_SWEEP:
        return &m_cboSweep;
    default:
        return nullptr;
    }
}

void CSidebarDlg::SelectEntry(UINT listId, int entry) {
    if (CComboBox* list = ComboOf(listId))
        list->SetCurSel(entry);
}

void CSidebarDlg::SelectCombo(SidePanelCombo combo, int entry) {
    switch (combo) {
    case SidePanelCombo::TimeDiv:
        SelectEntry(IDC_TIMEDIV, entry);
        break;
    case SidePanelCombo::Format:
        SelectEntry(IDC_FORMAT, entry);
        break;
    case SidePanelCombo::Sweep:
        SelectEntry(IDC_TRIGGER_SWEEP, entry);
        break;
    case SidePanelCombo::TriggerSource:
        SelectEntry(IDC_TRIGGER_SOURCE, entry);
        break;
    case SidePanelCombo::Ch1Coupling:
        SelectEntry(IDC_CH1_COUPLING, entry);
        break;
    case SidePanelCombo::Ch2Coupling:
        SelectEntry(IDC_CH2_COUPLING, entry);
        break;
    case SidePanelCombo::Ch1VoltDiv:
        SelectEntry(IDC_CH1_VOLTDIV, entry);
        break;
    case SidePanelCombo::Ch2VoltDiv:
        SelectEntry(IDC_CH2_VOLTDIV, entry);
        break;
    case SidePanelCombo::Ch1Probe:
    case SidePanelCombo::Ch2Probe: {
        // The volts/div labels are scaled by the probe: they change with it.
        const int channel = combo == SidePanelCombo::Ch1Probe ? 0 : 1;
        SelectProbe(channel, entry);
        FillVoltsPerDivList(channel);
        break;
    }
    }
}

void CSidebarDlg::SelectCoupling(int channel, int coupling) {
    if (channel == 0 || channel == 1)
        SelectEntry(channel == 0 ? IDC_CH1_COUPLING : IDC_CH2_COUPLING, coupling);
}

void CSidebarDlg::SelectVoltsPerDiv(int channel, int index) {
    if (channel == 0 || channel == 1)
        SelectEntry(channel == 0 ? IDC_CH1_VOLTDIV : IDC_CH2_VOLTDIV, index);
}

void CSidebarDlg::SelectProbe(int channel, int probe) {
    if (channel == 0 || channel == 1)
        SelectEntry(channel == 0 ? IDC_CH1_PROBE : IDC_CH2_PROBE, probe);
}

void CSidebarDlg::EnableFormatList(bool enable) {
    m_cboFormat.EnableWindow(enable ? TRUE : FALSE);
}

void CSidebarDlg::RepaintKnob(std::int16_t knobId) {
    CKnob* knob = knobId == CKnob::kKnobCh1    ? &m_knobCh1
                  : knobId == CKnob::kKnobCh2  ? &m_knobCh2
                  : knobId == CKnob::kKnobTime ? &m_knobTime
                                               : nullptr;
    if (knob && knob->GetWidget())
        knob->Invalidate(FALSE);
}

CScopeScreen* CSidebarDlg::ActiveScreen() const {
    if (m_pScreen)
        return m_pScreen;
    CKelvaneView* view = ActiveKelvaneView();
    return view ? &view->Screen() : nullptr;
}

void CSidebarDlg::ShowRangeError(const char* message) {
    MessageBox(message, "Error", MB_OK);
}

// --- Channel handlers ----------------------------------------------------------------------------

void CSidebarDlg::OnCheckChannelOn(int channel) {
    if (!m_pDoc)
        return;
    CButton& button = channel == 0 ? m_btnCh1On : m_btnCh2On;
    if (m_pDoc->m_settings.GetTimeBaseFormat() == kFormatXY) {
        // X-Y needs both channels: the button stays on.
        button.SetCheck(BST_CHECKED);
        return;
    }
    CTrace& trace = channel == 0 ? m_pDoc->m_ch1 : m_pDoc->m_ch2;
    const bool on = button.GetCheck() == BST_CHECKED;
    trace.SetOn(on ? 1 : 0);
    SetChannelControls(channel, on);
    m_pDoc->ApplyChannelEnable();
}

void CSidebarDlg::OnSelchangeVoltsPerDiv(int channel) {
    if (!m_pDoc)
        return;
    const CTrace& trace = channel == 0 ? m_pDoc->m_ch1 : m_pDoc->m_ch2;
    const int sel = (channel == 0 ? m_cboCh1VoltDiv : m_cboCh2VoltDiv).GetCurSel();
    if (sel < 0 || sel == trace.GetVoltsPerDivIndex())
        return;
    if (channel == 0)
        m_pDoc->SetCh1VoltDiv(static_cast<std::int16_t>(sel));
    else
        m_pDoc->SetCh2VoltDiv(static_cast<std::int16_t>(sel));
    RepaintKnob(channel == 0 ? CKnob::kKnobCh1 : CKnob::kKnobCh2);
    if (CScopeScreen* screen = ActiveScreen())
        screen->UpdateTriggerLevelVolts();
}

void CSidebarDlg::OnSelchangeProbe(int channel) {
    if (!m_pDoc)
        return;
    CTrace& trace = channel == 0 ? m_pDoc->m_ch1 : m_pDoc->m_ch2;
    const int sel = (channel == 0 ? m_cboCh1Probe : m_cboCh2Probe).GetCurSel();
    if (sel < 0 || sel == trace.GetProbe())
        return;
    trace.SetProbe(static_cast<std::int16_t>(sel));
    FillVoltsPerDivList(channel);
    if (CScopeScreen* screen = ActiveScreen())
        screen->UpdateTriggerLevelVolts();
}

void CSidebarDlg::OnSelchangeCoupling(int channel) {
    if (!m_pDoc)
        return;
    const CTrace& trace = channel == 0 ? m_pDoc->m_ch1 : m_pDoc->m_ch2;
    const int sel = (channel == 0 ? m_cboCh1Coupling : m_cboCh2Coupling).GetCurSel();
    if (sel < 0 || sel > 2 || sel == trace.GetCoupling())
        return;
    if (channel == 0)
        m_pDoc->SetCh1Coupling(static_cast<std::int16_t>(sel));
    else
        m_pDoc->SetCh2Coupling(static_cast<std::int16_t>(sel));
}

// --- Horizontal handlers ------------------------------------------------------------------------------

void CSidebarDlg::OnSelchangeTimeDiv() {
    if (!m_pDoc)
        return;
    CKelvaneDoc& doc = *m_pDoc;
    int s = m_cboTimeDiv.GetCurSel();
    const int stored = doc.m_settings.GetTimeBaseIndex();
    if (s < 0 || s == stored)
        return;

    if (doc.m_bRunning) {
        const std::int16_t mode = doc.m_settings.GetRecordLengthMode();
        if (mode == kRecordLength10K) {
            const std::int16_t offset = CScopeSettings::IndexOffsetOfModel(doc.GetModel());
            const int oneSecond = RollThresholdIndex(offset);
            if (doc.m_passFail.m_nState1 && s >= oneSecond) {
                const int slowest = SlowestYtIndex(offset);
                m_cboTimeDiv.SetCurSel(slowest);
                s = slowest;
            }
            if (s >= oneSecond) {
                m_cboFormat.SetCurSel(kFormatRoll);
                doc.SetHorizontalFormat(kFormatRoll);
            } else if (doc.m_settings.GetTimeBaseFormat() == kFormatRoll) {
                m_cboFormat.SetCurSel(kFormatYT);
                doc.SetHorizontalFormat(kFormatYT);
                if (s > kForceTriggerAbove)
                    doc.ForceTrigger();
            }
        } else if (mode >= kRecordLength14K && mode <= CScopeSettings::kMaxRecordLengthMode) {
            const std::int16_t channelMode = doc.m_usb.GetStateWord(kv::kStateChannelMode);
            const std::int16_t source = doc.m_trigger.GetSource();
            const std::optional<TimeBaseLimits> limits = RecordLengthTimeBaseLimits(
                mode, channelMode, source, CScopeSettings::IndexOffsetOfModel(doc.GetModel()));
            if (limits && (s < limits->lower || s > limits->upper)) {
                ShowRangeError(
                    kv::RecordLengthRangeMessage(mode, IsBothChannelsOnChannelTrigger(channelMode, source)));
                m_cboTimeDiv.SetCurSel(stored);
                return;
            }
        }
    }
    doc.SetTimeBaseIndex(static_cast<std::int16_t>(s));
    RepaintKnob(CKnob::kKnobTime);
}

void CSidebarDlg::OnSelchangeFormat() {
    if (!m_pDoc)
        return;
    CKelvaneDoc& doc = *m_pDoc;
    const int f = m_cboFormat.GetCurSel();
    const std::int16_t stored = doc.m_settings.GetTimeBaseFormat();
    if (f < 0 || f == stored)
        return;

    if (f == kFormatRoll) {
        doc.SetHorizontalPosition(500);
        const std::int16_t mode = doc.m_settings.GetRecordLengthMode();
        if (mode != kRecordLength10K) {
            const char* message = nullptr;
            if (mode == kRecordLength32K) {
                const bool both = IsBothChannelsOnChannelTrigger(
                    doc.m_usb.GetStateWord(kv::kStateChannelMode), doc.m_trigger.GetSource());
                message = both ? "32K Points Mode Range:40us/Div ~ 0.4s/Div"
                               : "32K Points Mode Range:20us/Div ~ 0.4s/Div";
            } else if (mode == kRecordLength64K) {
                message = "64K Points Mode Range:40us/Div ~ 0.4s/Div";
            }
            if (message)
                ShowRangeError(message);
            m_cboFormat.SetCurSel(stored);
        } else {
            const int oneSecond = RollThresholdIndex(CScopeSettings::IndexOffsetOfModel(doc.GetModel()));
            m_cboTimeDiv.SetCurSel(oneSecond);
            doc.SetTimeBaseIndex(static_cast<std::int16_t>(oneSecond));
        }
    } else {
        if (f == kFormatXY) {
            for (int channel = 0; channel < 2; ++channel) {
                CTrace& trace = channel == 0 ? doc.m_ch1 : doc.m_ch2;
                if (!trace.IsOn()) {
                    trace.SetOn(1);
                    EnableChannelControls(channel);
                    doc.ApplyChannelEnable();
                }
            }
            doc.SetCh1Position(128.0f);
            doc.SetCh2Position(128.0f);
            if (CScopeScreen* screen = ActiveScreen()) {
                screen->UpdateMarkerPositions();
                screen->FollowTriggerLevel(0);
                screen->FollowTriggerLevel(1);
                screen->UpdateTriggerLevelVolts();
            }
            if (doc.m_math.IsOn())
                doc.m_math.SetOn(0);
            if (doc.m_ref.IsOn())
                doc.m_ref.SetOn(0);
        }
        if (stored == kFormatRoll) {
            const int fast = RollReturnIndex(CScopeSettings::IndexOffsetOfModel(doc.GetModel()));
            m_cboTimeDiv.SetCurSel(fast);
            doc.SetTimeBaseIndex(static_cast<std::int16_t>(fast));
        }
    }

    if (CScopeScreen* screen = ActiveScreen())
        screen->UpdateMarkerPositions();
    const int now = m_cboFormat.GetCurSel();
    doc.SetHorizontalFormat(static_cast<std::int16_t>(now >= 0 ? now : stored));
    RepaintKnob(CKnob::kKnobTime);
}

// --- Trigger handlers ------------------------------------------------------------------------------

void CSidebarDlg::OnSelchangeTriggerMode() {
    if (!m_pDoc)
        return;
    // The demo source has no pulse-width trigger.
    if (m_pDoc->IsDemoMode())
        m_cboTriggerMode.SetCurSel(kTriggerEdge);
    const int sel = m_cboTriggerMode.GetCurSel();
    if (sel < 0 || sel == m_pDoc->m_trigger.GetTriggerType())
        return;
    m_pDoc->SetTriggerMode(static_cast<std::int16_t>(sel));
    FillSlopeList();
}

void CSidebarDlg::OnSelchangeTriggerSweep() {
    if (!m_pDoc)
        return;
    const std::int16_t stored = m_pDoc->m_trigger.GetSweep();
    const int sel = m_cboSweep.GetCurSel();
    if (sel < 0 || sel == stored)
        return;
    if (sel == kSweepSingle && m_pDoc->m_settings.GetSamplingMode() == kSamplingEts) {
        m_cboSweep.SetCurSel(stored);
        return;
    }
    m_pDoc->m_trigger.SetSweep(static_cast<std::int16_t>(sel));
}

void CSidebarDlg::OnSelchangeTriggerSource() {
    if (!m_pDoc)
        return;
    const int sel = m_cboSource.GetCurSel();
    // The same choice as the menu's, through the same road; a refused one (ALT under ETS)
    // puts the list back on the stored source.
    if (sel < 0 || !m_pDoc->ChooseTriggerSource(static_cast<std::int16_t>(sel)))
        m_cboSource.SetCurSel(m_pDoc->m_trigger.GetSource());
}

void CSidebarDlg::OnSelchangeTriggerSlope() {
    if (!m_pDoc)
        return;
    const int sel = m_cboSlope.GetCurSel();
    if (sel < 0)
        return;
    CTrigger& trigger = m_pDoc->m_trigger;
    if (trigger.GetTriggerType() == kTriggerEdge) {
        if (sel != trigger.GetSlope())
            m_pDoc->SetTriggerSlope(static_cast<std::int16_t>(sel));
    } else if (sel != trigger.GetPulseCondition()) {
        m_pDoc->SetPulseCondition(static_cast<std::int16_t>(sel));
    }
}

void CSidebarDlg::OnButtonPulseWidth() {
    if (!m_pDoc || m_pDoc->m_trigger.GetTriggerType() != kTriggerPulse)
        return;
    CPulseWidthDlg dlg(this);
    dlg.SetDocument(m_pDoc);
    if (dlg.DoModal() == IDOK)
        ShowPulseWidth();
}
