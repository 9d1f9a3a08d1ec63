#include "app/RecordDlg.h"

#include "app/DialogSupport.h"
#include "app/KelvaneView.h"
#include "app/LanguageDialogAdapter.h"
#include "display/Knob.h"
#include "engine/KelvaneDoc.h"
#include "framework/CommonDialogs.h"
#include "framework/DataExchange.h"
#include "resources/Resource.h"
#include "resources/dialogs/RecordDialogTemplates.h"
#include "resources/language/TextKeys.h"
#include "system/Paths.h"

#include <algorithm>

namespace {

constexpr int kTextPlay = 1125; // "Play"
constexpr int kMaxFrames = CRecordStore::kMaxFrames;
constexpr int kMaxInterval = CRecordStore::kMaxInterval;

// A whole decimal number and nothing else. A half-typed entry is not one and is left alone.
bool ParseInt(const CString& text, int& value) {
    long v = 0;
    if (!ParseWholeNumber(text, v))
        return false;
    value = static_cast<int>(std::clamp<long>(v, -1000000L, 1000000L));
    return true;
}

CString EditText(const CWnd& edit) {
    CString text;
    edit.GetWindowText(text);
    return text;
}

} // namespace

CRecordDlg::CRecordDlg(CWnd* pParent) : CDialog(IDD_RECORD, pParent) {
    kv::RegisterRecordDialogTemplates();
    OnControl(CBN_SELCHANGE, IDC_RECORD_SOURCE, [this] { OnSelchangeSource(); });
    OnControl(EN_CHANGE, IDC_RECORD_END_FRAME, [this] { OnChangeRecordEndFrame(); });
    OnControl(EN_CHANGE, IDC_RECORD_INTERVAL, [this] { OnChangeRecordInterval(); });
    OnControl(EN_CHANGE, IDC_PLAY_INTERVAL, [this] { OnChangePlayInterval(); });
    OnControl(EN_CHANGE, IDC_PLAY_START_FRAME, [this] { OnChangeStartFrame(); });
    OnControl(EN_CHANGE, IDC_PLAY_END_FRAME, [this] { OnChangeEndFrame(); });
    OnControl(EN_CHANGE, IDC_PLAY_CURRENT_FRAME, [this] { OnChangeCurrentFrame(); });
    OnControl(BN_CLICKED, IDC_PLAY_REPEAT, [this] { OnCheckRepeat(); });
    OnControl(BN_CLICKED, IDC_BUTTON_RECORD, [this] { OnButtonStart(); });
    OnControl(BN_CLICKED, IDC_BUTTON_PLAY, [this] { OnButtonPlay(); });
    OnControl(BN_CLICKED, IDC_BUTTON_RECORD_SAVE, [this] { OnButtonSave(); });
    OnControl(BN_CLICKED, IDC_BUTTON_RECORD_LOAD, [this] { OnButtonLoad(); });
}

void CRecordDlg::SetDocument(CKelvaneDoc* pDoc) {
    if (pDoc)
        m_pDoc = pDoc;
}

void CRecordDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RECORD_SOURCE, m_comboSource);
    DDX_Control(pDX, IDC_RECORD_END_FRAME, m_editRecordEnd);
    DDX_Control(pDX, IDC_RECORD_INTERVAL, m_editRecordInterval);
    DDX_Control(pDX, IDC_PLAY_INTERVAL, m_editPlayInterval);
    DDX_Control(pDX, IDC_PLAY_START_FRAME, m_editStartFrame);
    DDX_Control(pDX, IDC_PLAY_END_FRAME, m_editEndFrame);
    DDX_Control(pDX, IDC_PLAY_CURRENT_FRAME, m_editCurrentFrame);
    DDX_Control(pDX, IDC_SPIN_RECORD_END, m_spinRecordEnd);
    DDX_Control(pDX, IDC_SPIN_RECORD_INTERVAL, m_spinRecordInterval);
    DDX_Control(pDX, IDC_SPIN_PLAY_INTERVAL, m_spinPlayInterval);
    DDX_Control(pDX, IDC_SPIN_PLAY_START, m_spinStartFrame);
    DDX_Control(pDX, IDC_SPIN_PLAY_END, m_spinEndFrame);
    DDX_Control(pDX, IDC_SPIN_PLAY_CURRENT, m_spinCurrentFrame);
    DDX_Control(pDX, IDC_BUTTON_RECORD, m_btnStart);
    DDX_Control(pDX, IDC_BUTTON_RECORD_SAVE, m_btnSave);
    DDX_Control(pDX, IDC_BUTTON_PLAY, m_btnPlay);
    DDX_Control(pDX, IDC_BUTTON_RECORD_LOAD, m_btnLoad);
    DDX_Control(pDX, IDC_PLAY_REPEAT, m_checkRepeat);
}

CString CRecordDlg::Text(int id) const {
    return m_pDoc ? m_pDoc->GetText(id) : CString();
}

CKelvaneView* CRecordDlg::View() const {
    if (m_pView)
        return m_pView;
    return ActiveKelvaneView();
}

void CRecordDlg::StartPump() {
    if (CKelvaneView* view = View())
        view->m_nPumpTimer = static_cast<UINT>(view->SetTimer(IDT_PUMP, CKelvaneView::kPumpPeriodMs));
}

void CRecordDlg::StopPump() {
    if (CKelvaneView* view = View())
        view->KillTimer(IDT_PUMP);
}

void CRecordDlg::Repaint() {
    if (m_pDoc)
        m_pDoc->Ui().RepaintView();
}

void CRecordDlg::SetChannelOn(int channel, std::int32_t on) {
    if (!m_pDoc)
        return;
    CTrace& trace = channel == 0 ? m_pDoc->m_ch1 : m_pDoc->m_ch2;
    if (trace.IsOn() == on)
        return;
    trace.SetOn(on);
    m_pDoc->Ui().UpdateChannelControls(m_pDoc->m_ch1.IsOn() != 0, m_pDoc->m_ch2.IsOn() != 0);
    // Without this the instrument keeps capturing the channels it had before.
    m_pDoc->ApplyChannelEnable();
}

int CRecordDlg::RecordedCount() const {
    if (!m_pDoc || m_pDoc->m_record.m_bNoData)
        return 0;
    return std::clamp<int>(m_pDoc->m_record.m_nFramesRecorded, 0, kMaxFrames);
}

void CRecordDlg::SetEditInt(CEdit& edit, int value) {
    const bool was = m_bUpdating;
    m_bUpdating = true;
    CString text;
    text.Format("%d", value);
    edit.SetWindowText(text);
    m_bUpdating = was;
}

void CRecordDlg::ShowRecordedCount(int count) {
    SetDlgItemInt(IDC_RECORD_COUNT, count);
}

// ---------------------------------------------------------------------------------------------
// Opening and the controls

BOOL CRecordDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_pDoc) {
        m_bCh1WasOn = m_pDoc->m_ch1.IsOn();
        m_bCh2WasOn = m_pDoc->m_ch2.IsOn();
    }
    UpdateControls();
    if (m_pDoc) {
        TranslateWindow(m_pDoc->m_language, *this);
        SetWindowText(m_pDoc->GetText(static_cast<int>(IDD_RECORD)));
    }
    // The record and play buttons show the state, in the current language.
    m_btnStart.SetWindowText(Text(m_pDoc && m_pDoc->m_record.m_bRecording ? kv::kTextStop : kv::kTextStart));
    m_btnPlay.SetWindowText(Text(kTextPlay));
    return TRUE;
}

void CRecordDlg::FillSourceList() {
    m_comboSource.ResetContent();
    m_comboSource.AddString("CH1");
    m_comboSource.AddString("CH2");
    const int source = m_pDoc ? std::clamp<int>(m_pDoc->m_record.m_nChannel, 0, 1) : 0;
    m_comboSource.SetCurSel(source);
    m_nSource = static_cast<std::int16_t>(source);
}

void CRecordDlg::UpdateControls() {
    m_nPlayPosition = 0;
    m_editRecordEnd.SetLimitText(4);
    m_editRecordInterval.SetLimitText(5);
    m_editPlayInterval.SetLimitText(5);
    m_editStartFrame.SetLimitText(4);
    m_editEndFrame.SetLimitText(4);
    m_editCurrentFrame.SetLimitText(4);
    m_spinRecordEnd.SetRange32(1, kMaxFrames);
    m_spinRecordInterval.SetRange32(1, kMaxInterval);
    m_spinPlayInterval.SetRange32(1, kMaxInterval);
    m_spinStartFrame.SetRange32(1, kMaxFrames);
    m_spinEndFrame.SetRange32(1, kMaxFrames);
    m_spinCurrentFrame.SetRange32(1, kMaxFrames);
    FillSourceList();
    if (!m_pDoc)
        return;
    const CRecordStore& store = m_pDoc->m_record;
    m_nRecordEndFrame = store.m_nRecordEndFrame;
    m_nRecordInterval = store.m_nRecordInterval;
    m_nPlayInterval = store.m_nPlayInterval;
    m_nStartFrame = store.m_nPlayStartFrame;
    m_nEndFrame = store.m_nPlayEndFrame;
    m_nCurrentFrame = store.m_nCurrentFrame;
    m_bUpdating = true;
    SetEditInt(m_editRecordEnd, m_nRecordEndFrame);
    SetEditInt(m_editRecordInterval, m_nRecordInterval);
    SetEditInt(m_editPlayInterval, m_nPlayInterval);
    SetEditInt(m_editStartFrame, m_nStartFrame);
    SetEditInt(m_editEndFrame, m_nEndFrame);
    SetEditInt(m_editCurrentFrame, m_nCurrentFrame);
    m_spinRecordEnd.SetPos(m_nRecordEndFrame);
    m_spinRecordInterval.SetPos(m_nRecordInterval);
    m_spinPlayInterval.SetPos(m_nPlayInterval);
    m_spinStartFrame.SetPos(m_nStartFrame);
    m_spinEndFrame.SetPos(m_nEndFrame);
    m_spinCurrentFrame.SetPos(m_nCurrentFrame);
    m_bUpdating = false;
    m_checkRepeat.SetCheck(store.m_bRepeat ? BST_CHECKED : BST_UNCHECKED);
    if (store.m_bNoData) {
        m_btnSave.EnableWindow(FALSE);
        m_btnPlay.EnableWindow(FALSE);
    } else {
        m_btnSave.EnableWindow(TRUE);
        // Play-back of an empty recording would run past the stored frames.
        m_btnPlay.EnableWindow(RecordedCount() > 0);
        ShowRecordedCount(store.m_nPlayEndFrame);
    }
}

void CRecordDlg::EnableRecordSettings(BOOL enable) {
    m_comboSource.EnableWindow(enable);
    m_editRecordEnd.EnableWindow(enable);
    m_spinRecordEnd.EnableWindow(enable);
    m_editRecordInterval.EnableWindow(enable);
    m_spinRecordInterval.EnableWindow(enable);
}

void CRecordDlg::EnablePlaySettings(BOOL enable) {
    m_editPlayInterval.EnableWindow(enable);
    m_spinPlayInterval.EnableWindow(enable);
    m_editStartFrame.EnableWindow(enable);
    m_spinStartFrame.EnableWindow(enable);
    m_editEndFrame.EnableWindow(enable);
    m_spinEndFrame.EnableWindow(enable);
    m_editCurrentFrame.EnableWindow(enable);
    m_spinCurrentFrame.EnableWindow(enable);
    m_checkRepeat.EnableWindow(enable);
}

void CRecordDlg::ResetPlaybackRanges() {
    if (!m_pDoc)
        return;
    CRecordStore& store = m_pDoc->m_record;
    const int count = RecordedCount();
    const int top = std::max(count, 1);
    m_nRecordEndFrame = top;
    store.m_nRecordEndFrame = static_cast<std::int16_t>(top);
    SetEditInt(m_editRecordEnd, top);
    m_spinRecordEnd.SetPos(top);
    m_nPlayInterval = std::clamp(m_nRecordInterval, 1, kMaxInterval);
    store.m_nPlayInterval = static_cast<std::int16_t>(m_nPlayInterval);
    SetEditInt(m_editPlayInterval, m_nPlayInterval);
    m_spinPlayInterval.SetPos(m_nPlayInterval);
    m_nStartFrame = 1;
    store.m_nPlayStartFrame = 1;
    m_spinStartFrame.SetRange32(1, top);
    SetEditInt(m_editStartFrame, 1);
    m_spinStartFrame.SetPos(1);
    m_nEndFrame = count;
    store.m_nPlayEndFrame = static_cast<std::int16_t>(count);
    m_spinEndFrame.SetRange32(1, top);
    SetEditInt(m_editEndFrame, count);
    m_spinEndFrame.SetPos(count);
    m_nCurrentFrame = 1;
    store.m_nCurrentFrame = 1;
    m_spinCurrentFrame.SetRange32(1, top);
    SetEditInt(m_editCurrentFrame, 1);
    m_spinCurrentFrame.SetPos(1);
    EnableRecordSettings(TRUE);
    EnablePlaySettings(TRUE);
    m_btnPlay.EnableWindow(count > 0);
    m_btnLoad.EnableWindow(TRUE);
    m_btnSave.EnableWindow(TRUE);
}

// ---------------------------------------------------------------------------------------------
// Control handlers

void CRecordDlg::OnSelchangeSource() {
    const int sel = m_comboSource.GetCurSel();
    if (sel == 0 || sel == 1)
        m_nSource = static_cast<std::int16_t>(sel);
}

void CRecordDlg::OnChangeRecordEndFrame() {
    int value = 0;
    if (m_bUpdating || !ParseInt(EditText(m_editRecordEnd), value))
        return;
    const int clamped = std::clamp(value, 1, kMaxFrames);
    m_nRecordEndFrame = clamped;
    if (clamped != value)
        SetEditInt(m_editRecordEnd, clamped);
}

void CRecordDlg::OnChangeRecordInterval() {
    int value = 0;
    if (m_bUpdating || !ParseInt(EditText(m_editRecordInterval), value))
        return;
    // An interval of 0 or below would reach the dialog's timer.
    const int clamped = std::clamp(value, 1, kMaxInterval);
    m_nRecordInterval = clamped;
    if (clamped != value)
        SetEditInt(m_editRecordInterval, clamped);
}

void CRecordDlg::OnChangePlayInterval() {
    int value = 0;
    if (m_bUpdating || !ParseInt(EditText(m_editPlayInterval), value))
        return;
    const int clamped = std::clamp(value, 1, kMaxInterval);
    m_nPlayInterval = clamped;
    if (m_pDoc)
        m_pDoc->m_record.m_nPlayInterval = static_cast<std::int16_t>(clamped);
    if (clamped != value)
        SetEditInt(m_editPlayInterval, clamped);
}

void CRecordDlg::OnChangeStartFrame() {
    int value = 0;
    if (m_bUpdating || !m_pDoc || !ParseInt(EditText(m_editStartFrame), value))
        return;
    // Nothing recorded: no frame to start from.
    if (RecordedCount() == 0)
        return;
    // A start of 0 or below would make play-back begin at frame -1.
    const int clamped = std::clamp(value, 1, std::max(m_nEndFrame, 1));
    m_nStartFrame = clamped;
    m_pDoc->m_record.m_nPlayStartFrame = static_cast<std::int16_t>(clamped);
    if (clamped != value)
        SetEditInt(m_editStartFrame, clamped);
}

void CRecordDlg::OnChangeEndFrame() {
    int value = 0;
    if (m_bUpdating || !m_pDoc || !ParseInt(EditText(m_editEndFrame), value))
        return;
    const int count = RecordedCount();
    if (count == 0)
        return;
    const int clamped = std::clamp(value, 1, count);
    m_nEndFrame = clamped;
    m_pDoc->m_record.m_nPlayEndFrame = static_cast<std::int16_t>(clamped);
    if (clamped != value)
        SetEditInt(m_editEndFrame, clamped);
    m_spinStartFrame.SetRange32(1, clamped);
    if (m_nStartFrame > clamped) {
        m_nStartFrame = clamped;
        m_pDoc->m_record.m_nPlayStartFrame = static_cast<std::int16_t>(clamped);
        SetEditInt(m_editStartFrame, clamped);
        m_spinStartFrame.SetPos(clamped);
    }
}

void CRecordDlg::OnChangeCurrentFrame() {
    int value = 0;
    if (m_bUpdating || !m_pDoc || !ParseInt(EditText(m_editCurrentFrame), value))
        return;
    if (RecordedCount() == 0)
        return;
    // A frame of 0 or below would copy the frame before the first.
    const int clamped = std::clamp(value, 1, std::max(m_nEndFrame, 1));
    m_nCurrentFrame = clamped;
    CRecordStore& store = m_pDoc->m_record;
    store.m_nCurrentFrame = static_cast<std::int16_t>(clamped);
    if (clamped != value)
        SetEditInt(m_editCurrentFrame, clamped);
    CTrace& trace = store.m_nChannel == 1 ? m_pDoc->m_ch2 : m_pDoc->m_ch1;
    store.CopyFrame(clamped - 1, trace.GetScreenTrace());
    Repaint();
}

void CRecordDlg::OnCheckRepeat() {
    if (m_pDoc)
        m_pDoc->m_record.m_bRepeat = m_checkRepeat.GetCheck() == BST_CHECKED ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Recording

void CRecordDlg::StopRecording() {
    KillTimer(IDT_DIALOG);
    if (m_pDoc)
        m_pDoc->m_record.m_bRecording = 0;
    m_btnStart.SetWindowText(Text(kv::kTextStart));
    ResetPlaybackRanges();
}

void CRecordDlg::OnButtonStart() {
    if (!m_pDoc)
        return;
    CKelvaneDoc& doc = *m_pDoc;
    CRecordStore& store = doc.m_record;
    store.m_bNoData = 0;
    // The state comes from the store: the button's text depends on the language.
    if (store.m_bRecording) {
        StopRecording();
        return;
    }
    SetChannelOn(0, m_bCh1WasOn);
    SetChannelOn(1, m_bCh2WasOn);
    EnableRecordSettings(FALSE);
    StartPump();

    const int channel = std::clamp<int>(m_nSource, 0, 1);
    CTrace& trace = channel == 0 ? doc.m_ch1 : doc.m_ch2;
    const std::int32_t wasOn = channel == 0 ? m_bCh1WasOn : m_bCh2WasOn;
    if (!wasOn)
        SetChannelOn(channel, 1);
    RecordSettings settings;
    settings.channel = static_cast<std::int16_t>(channel);
    settings.voltsPerDivIndex = trace.GetVoltsPerDivIndex();
    settings.position = trace.GetPosition();
    settings.coupling = trace.GetCoupling();
    settings.probe = trace.GetProbe();
    settings.bandwidthLimit = static_cast<std::int16_t>(trace.IsBandwidthLimit() ? 1 : 0);
    settings.timeBaseIndex = doc.m_settings.GetTimeBaseIndex();
    settings.horizontalPosition = doc.m_settings.GetHorizontalPosition();
    store.BeginRecording(settings, m_nRecordEndFrame, m_nRecordInterval);
    ShowRecordedCount(0);

    doc.SetRunStatus(CKelvaneDoc::kRunStatusAuto);
    m_btnStart.SetWindowText(Text(kv::kTextStop));
    m_btnPlay.EnableWindow(FALSE);
    m_btnLoad.EnableWindow(FALSE);
    m_btnSave.EnableWindow(FALSE);
    SetTimer(IDT_DIALOG, static_cast<UINT>(store.m_nRecordInterval));
}

void CRecordDlg::RecordFrame() {
    if (!m_pDoc)
        return;
    CRecordStore& store = m_pDoc->m_record;
    const CTrace& trace = store.m_nChannel == 1 ? m_pDoc->m_ch2 : m_pDoc->m_ch1;
    const int going = store.RecordFrame(trace.GetScreenTrace());
    ShowRecordedCount(store.m_nFramesRecorded);
    if (!going)
        StopRecording();
}

// ---------------------------------------------------------------------------------------------
// Play-back

void CRecordDlg::StopPlayback() {
    KillTimer(IDT_DIALOG);
    if (m_pDoc) {
        m_nPlayPosition = static_cast<std::int16_t>(std::max(m_pDoc->m_record.m_nPlayStartFrame - 1, 0));
        m_pDoc->m_record.m_bPlaying = 0;
    }
    m_btnPlay.SetWindowText(Text(kTextPlay));
    EnablePlaySettings(TRUE);
    EnableRecordSettings(TRUE);
    m_btnStart.EnableWindow(TRUE);
    m_btnSave.EnableWindow(TRUE);
    m_btnLoad.EnableWindow(TRUE);
    m_btnPlay.EnableWindow(RecordedCount() > 0);
}

void CRecordDlg::OnButtonPlay() {
    if (!m_pDoc)
        return;
    CKelvaneDoc& doc = *m_pDoc;
    CRecordStore& store = doc.m_record;
    if (store.m_bPlaying) {
        StopPlayback();
        doc.SetRunStatus(CKelvaneDoc::kRunStatusStop);
        Repaint();
        return;
    }
    if (RecordedCount() == 0)
        return;
    StopPump();
    doc.SetRunStatus(CKelvaneDoc::kRunStatusPlay);
    EnablePlaySettings(FALSE);
    EnableRecordSettings(FALSE);
    m_comboSource.SetCurSel(std::clamp<int>(store.m_nChannel, 0, 1));
    SetEditInt(m_editRecordEnd, store.m_nFramesRecorded);
    SetEditInt(m_editRecordInterval, store.m_nRecordInterval);

    // The recording's channel with the settings it was taken under.
    const int channel = std::clamp<int>(store.m_nChannel, 0, 1);
    SetChannelOn(channel, 1);
    SetChannelOn(1 - channel, 0);
    CTrace& trace = channel == 0 ? doc.m_ch1 : doc.m_ch2;
    if (channel == 0) {
        doc.SetCh1Position(store.m_fPosition);
        doc.SetCh1VoltDiv(store.m_nVoltsPerDivIndex);
        doc.SetCh1Coupling(store.m_nCoupling);
    } else {
        doc.SetCh2Position(store.m_fPosition);
        doc.SetCh2VoltDiv(store.m_nVoltsPerDivIndex);
        doc.SetCh2Coupling(store.m_nCoupling);
    }
    trace.SetProbe(store.m_nProbe);
    trace.SetBandwidthLimit(store.m_nRecordingFlagWord ? 1 : 0);
    IDocUi& ui = doc.Ui();
    ui.SelectSidePanelCombo(channel == 0 ? SidePanelCombo::Ch1VoltDiv : SidePanelCombo::Ch2VoltDiv,
                            trace.GetVoltsPerDivIndex());
    ui.SelectSidePanelCombo(channel == 0 ? SidePanelCombo::Ch1Coupling : SidePanelCombo::Ch2Coupling,
                            trace.GetCoupling());
    ui.SelectSidePanelCombo(channel == 0 ? SidePanelCombo::Ch1Probe : SidePanelCombo::Ch2Probe,
                            trace.GetProbe());
    CKnob::RepaintKnobs(channel == 0 ? CKnob::kKnobCh1 : CKnob::kKnobCh2);
    doc.SetHorizontalPosition(store.m_nHorizontalPosition);
    doc.SetTimeBaseIndex(store.m_nTimeBaseIndex);
    ui.SelectSidePanelCombo(SidePanelCombo::TimeDiv, doc.m_settings.GetTimeBaseIndex());
    ui.RepaintTimeBaseKnob();
    ui.RecomputeMarkers();
    ui.RecomputeTriggerLevelReadout();

    const int start = store.BeginPlayback();
    if (start < 0) {
        StopPlayback();
        return;
    }
    m_nPlayPosition = static_cast<std::int16_t>(start);
    m_btnPlay.SetWindowText(Text(kv::kTextStop));
    m_btnStart.EnableWindow(FALSE);
    m_btnSave.EnableWindow(FALSE);
    m_btnLoad.EnableWindow(FALSE);
    SetTimer(IDT_DIALOG, static_cast<UINT>(store.m_nPlayInterval));
}

void CRecordDlg::PlayFrame() {
    if (!m_pDoc)
        return;
    CRecordStore& store = m_pDoc->m_record;
    CTrace& trace = store.m_nChannel == 1 ? m_pDoc->m_ch2 : m_pDoc->m_ch1;
    int position = m_nPlayPosition;
    const int shown = position + 1;
    const int going = store.PlayFrame(position, trace.GetScreenTrace());
    m_nPlayPosition = static_cast<std::int16_t>(position);
    SetEditInt(m_editCurrentFrame, shown);
    if (!going) {
        StopPlayback();
        m_pDoc->SetRunStatus(CKelvaneDoc::kRunStatusStop);
    }
    Repaint();
}

void CRecordDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == IDT_DIALOG && m_pDoc) {
        if (m_pDoc->m_record.m_bRecording)
            RecordFrame();
        else if (m_pDoc->m_record.m_bPlaying)
            PlayFrame();
    }
    CDialog::OnTimer(nIDEvent);
}

// ---------------------------------------------------------------------------------------------
// Files and closing

void CRecordDlg::OnButtonSave() {
    if (!m_pDoc)
        return;
    CFileDialog dialog(FALSE, ".rec", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "Record File(*.rec)|*.rec||", this);
    dialog.m_ofn.lpstrTitle = "Save Record Data As...";
    if (dialog.DoModal() != IDOK)
        return;
    CString error;
    if (!m_pDoc->m_record.SaveRecord(dialog.GetPathName().GetString(), &error))
        MessageBox(error.GetString());
}

void CRecordDlg::OnButtonLoad() {
    if (!m_pDoc)
        return;
    CFileDialog dialog(TRUE, ".rec", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "Record File(*.rec)|*.rec|All Files(*.*)|*.*||", this);
    dialog.m_ofn.lpstrTitle = "Load Record File...";
    if (dialog.DoModal() != IDOK)
        return;
    const CString path = dialog.GetPathName();
    if (kv::ExtensionOf4(path.GetString()) != ".rec")
        return;
    CString error;
    if (!m_pDoc->m_record.LoadRecord(path.GetString(), &error)) {
        MessageBox(error.GetString());
        return;
    }
    m_pDoc->m_record.m_bNoData = 0;
    UpdateControls();
    ResetPlaybackRanges();
    ShowRecordedCount(RecordedCount());
}

void CRecordDlg::OnCancel() {
    if (m_pDoc) {
        CKelvaneDoc& doc = *m_pDoc;
        if (doc.m_record.m_bRecording) {
            doc.m_record.m_bNoData = 0;
            StopRecording();
        }
        if (doc.m_record.m_bPlaying)
            StopPlayback();
        doc.SetRunStatus(CKelvaneDoc::kRunStatusAuto);
        Repaint();
        SetChannelOn(0, m_bCh1WasOn);
        SetChannelOn(1, m_bCh2WasOn);
    }
    StartPump();
    CDialog::OnCancel();
}
