#include "app/PassFailDlg.h"

#include <QApplication>

#include <algorithm>
#include <limits>
#include <utility>

#include "app/DialogSupport.h"
#include "engine/KelvaneDoc.h"
#include "framework/CommonDialogs.h"
#include "framework/DataExchange.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"
#include "resources/dialogs/PassFailDialogTemplate.h"
#include "system/Paths.h"

namespace {

constexpr std::int16_t kMinTolerance = 1;

CPassFailDlg::BeepHook& Beeper() {
    static CPassFailDlg::BeepHook hook;
    return hook;
}

void MessageBeep(UINT type) {
    if (Beeper())
        Beeper()(type);
    else
        QApplication::beep();
}

CString Count(std::uint64_t n) {
    CString text;
    text.Format("%llu", static_cast<unsigned long long>(n));
    return text;
}

} // namespace

void CPassFailDlg::SetBeepHook(BeepHook hook) {
    Beeper() = std::move(hook);
}

CPassFailDlg::CPassFailDlg(CWnd* pParent) : CDialog(IDD_PASSFAIL, pParent) {
    kv::RegisterPassFailDialogTemplates();
    OnControl(EN_CHANGE, IDC_PF_VERTICAL, [this] { OnChangeVerticalTolerance(); });
    OnControl(EN_CHANGE, IDC_PF_HORIZONTAL, [this] { OnChangeHorizontalTolerance(); });
    OnControl(CBN_SELCHANGE, IDC_PF_OUTPUT, [this] { OnSelchangeOutput(); });
    OnControl(BN_CLICKED, IDC_PF_STOP_WHEN_OUTPUT, [this] { OnCheckStopWhenOutput(); });
    OnControl(BN_CLICKED, IDC_PF_CREATE, [this] { OnButtonCreate(); });
    OnControl(BN_CLICKED, IDC_PF_START, [this] { OnButtonStart(); });
    OnControl(BN_CLICKED, IDC_PF_STOP, [this] { OnButtonStop(); });
    OnControl(BN_CLICKED, IDC_PF_SAVE, [this] { OnButtonSave(); });
    OnControl(BN_CLICKED, IDC_PF_LOAD, [this] { OnButtonLoad(); });
    // The arrows step from the value as typed, not from their own last position.
    OnNotifyCode(UDN_DELTAPOS, IDC_PF_SPIN_VERTICAL, [this](NMHDR*, LRESULT* result) {
        m_bWriting = true;
        m_spinVertical.SetPos(m_nVerticalTolerance);
        m_bWriting = false;
        *result = 0;
    });
    OnNotifyCode(UDN_DELTAPOS, IDC_PF_SPIN_HORIZONTAL, [this](NMHDR*, LRESULT* result) {
        m_bWriting = true;
        m_spinHorizontal.SetPos(m_nHorizontalTolerance);
        m_bWriting = false;
        *result = 0;
    });
}

void CPassFailDlg::SetDocument(CKelvaneDoc* pDoc) {
    if (pDoc)
        m_pDoc = pDoc;
}

void CPassFailDlg::SetHost(IPassFailHost* pHost) {
    if (pHost)
        m_pHost = pHost;
}

void CPassFailDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PF_SOURCE, m_listSource);
    DDX_Control(pDX, IDC_PF_OUTPUT, m_listOutput);
    DDX_Control(pDX, IDC_PF_STOP_WHEN_OUTPUT, m_chkStopWhenOutput);
    DDX_Control(pDX, IDC_PF_VERTICAL, m_editVertical);
    DDX_Control(pDX, IDC_PF_HORIZONTAL, m_editHorizontal);
    DDX_Control(pDX, IDC_PF_SPIN_VERTICAL, m_spinVertical);
    DDX_Control(pDX, IDC_PF_SPIN_HORIZONTAL, m_spinHorizontal);
    DDX_Control(pDX, IDC_PF_CREATE, m_btnCreate);
    DDX_Control(pDX, IDC_PF_SAVE, m_btnSave);
    DDX_Control(pDX, IDC_PF_LOAD, m_btnLoad);
    DDX_Control(pDX, IDC_PF_START, m_btnStart);
    DDX_Control(pDX, IDC_PF_STOP, m_btnStop);
    DDX_Text(pDX, IDC_PF_HORIZONTAL, m_nHorizontalTolerance);
    DDX_Text(pDX, IDC_PF_VERTICAL, m_nVerticalTolerance);
}

BOOL CPassFailDlg::OnInitDialog() {
    m_bWriting = true;
    CDialog::OnInitDialog();
    m_bWriting = false;
    m_nHorizontalMax = CPassFail::kMaxHorizontalTolerance;
    m_nVerticalMax = CPassFail::kMaxVerticalTolerance;
    TranslateTexts();
    InitToleranceSpins();
    LoadFromDocument();
    return TRUE;
}

void CPassFailDlg::TranslateTexts() {
    if (!m_pDoc || !GetWidget())
        return;
    TranslateDialogTexts(*m_pDoc, *this);
}

void CPassFailDlg::FillSourceList() {
    if (!GetWidget())
        return;
    m_listSource.ResetContent();
    m_listSource.AddString("CH1");
    m_listSource.AddString("CH2");
    if (m_pDoc)
        m_listSource.SetCurSel(m_pDoc->m_passFail.m_nSource);
}

void CPassFailDlg::InitToleranceSpins() {
    if (!GetWidget())
        return;
    FillSourceList();
    m_bWriting = true;
    m_spinVertical.SetBuddy(&m_editVertical);
    m_spinVertical.SetRange32(kMinTolerance, m_nVerticalMax);
    m_spinHorizontal.SetBuddy(&m_editHorizontal);
    m_spinHorizontal.SetRange32(kMinTolerance, m_nHorizontalMax);
    m_bWriting = false;
    m_editVertical.SetLimitText(3);
    m_editHorizontal.SetLimitText(3);
}

void CPassFailDlg::LoadFromDocument() {
    if (!m_pDoc || !GetWidget())
        return;
    ShowSettings(m_pDoc->m_passFail);
    ShowCounts();
    m_btnStop.EnableWindow(FALSE);
    m_btnStart.EnableWindow(TRUE);
}

void CPassFailDlg::ShowSettings(const CPassFail& pf) {
    m_listOutput.SetCurSel(pf.m_nOutput);
    m_chkStopWhenOutput.SetCheck(pf.m_bStop ? BST_CHECKED : BST_UNCHECKED);
    m_nHorizontalTolerance = pf.m_nHorizontalTolerance;
    m_nVerticalTolerance = pf.m_nVerticalTolerance;
    m_bWriting = true;
    UpdateData(FALSE);
    m_spinVertical.SetPos(m_nVerticalTolerance);
    m_spinHorizontal.SetPos(m_nHorizontalTolerance);
    m_bWriting = false;
}

void CPassFailDlg::ReadTolerance(UINT editId, CSpinButtonCtrl& spin, std::int16_t& value, std::int16_t max) {
    if (m_bWriting || !GetWidget())
        return;
    CString text;
    GetDlgItemText(static_cast<int>(editId), text);
    long typed = 0;
    // A half-typed entry (empty, a lone sign) waits for the next key.
    if (!ParseWholeNumber(text, typed))
        return;
    // 0 or a negative tolerance would put the mask's limits outside its 500 points.
    const long clamped = std::clamp<long>(typed, kMinTolerance, max);
    value = static_cast<std::int16_t>(clamped);
    m_bWriting = true;
    if (clamped != typed)
        SetDlgItemInt(static_cast<int>(editId), value);
    spin.SetPos(value);
    m_bWriting = false;
}

void CPassFailDlg::OnChangeVerticalTolerance() {
    ReadTolerance(IDC_PF_VERTICAL, m_spinVertical, m_nVerticalTolerance, m_nVerticalMax);
}

void CPassFailDlg::OnChangeHorizontalTolerance() {
    ReadTolerance(IDC_PF_HORIZONTAL, m_spinHorizontal, m_nHorizontalTolerance, m_nHorizontalMax);
}

void CPassFailDlg::OnSelchangeOutput() {
    const int sel = m_listOutput.GetCurSel();
    if (m_pDoc && sel >= 0 && sel <= 3)
        m_pDoc->m_passFail.m_nOutput = static_cast<std::int16_t>(sel);
}

void CPassFailDlg::OnCheckStopWhenOutput() {
    if (m_pDoc)
        m_pDoc->m_passFail.m_bStop = m_chkStopWhenOutput.GetCheck() == BST_CHECKED ? 1 : 0;
}

void CPassFailDlg::ShowCounts() {
    if (!m_pDoc || !GetWidget())
        return;
    const CPassFail& pf = m_pDoc->m_passFail;
    SetDlgItemText(IDC_PF_FAIL_COUNT, Count(pf.m_nFailed).GetString());
    SetDlgItemText(IDC_PF_PASS_COUNT, Count(pf.m_nPassed).GetString());
    SetDlgItemText(IDC_PF_TOTAL_COUNT, Count(pf.m_nTotal).GetString());
}

void CPassFailDlg::ShowZeroCounts() {
    if (!GetWidget())
        return;
    SetDlgItemText(IDC_PF_FAIL_COUNT, "0");
    SetDlgItemText(IDC_PF_PASS_COUNT, "0");
    SetDlgItemText(IDC_PF_TOTAL_COUNT, "0");
}

void CPassFailDlg::EnableTestControls(bool testing) {
    if (!GetWidget())
        return;
    const BOOL idle = testing ? FALSE : TRUE;
    m_btnStop.EnableWindow(testing ? TRUE : FALSE);
    m_btnStart.EnableWindow(idle);
    m_listSource.EnableWindow(idle);
    m_editVertical.EnableWindow(idle);
    m_spinVertical.EnableWindow(idle);
    m_editHorizontal.EnableWindow(idle);
    m_spinHorizontal.EnableWindow(idle);
    m_btnCreate.EnableWindow(idle);
}

void CPassFailDlg::ShowError(const CString& text) {
    AfxMessageBox(text.GetString(), MB_OK | MB_ICONERROR);
}

void CPassFailDlg::OnButtonCreate() {
    if (!m_pDoc)
        return;
    CPassFail& pf = m_pDoc->m_passFail;
    pf.m_nHorizontalTolerance = std::clamp(m_nHorizontalTolerance, kMinTolerance, m_nHorizontalMax);
    pf.m_nVerticalTolerance = std::clamp(m_nVerticalTolerance, kMinTolerance, m_nVerticalMax);
    const int source = m_listSource.GetCurSel();
    if (source == 0 || source == 1)
        pf.m_nSource = static_cast<std::int16_t>(source);
    const int output = m_listOutput.GetCurSel();
    if (output >= 0 && output <= 3)
        pf.m_nOutput = static_cast<std::int16_t>(output);
    pf.m_bStop = m_chkStopWhenOutput.GetCheck() == BST_CHECKED ? 1 : 0;

    CTrace& trace = pf.m_nSource == 0 ? m_pDoc->m_ch1 : m_pDoc->m_ch2;
    trace.SetOn(1);
    if (m_pHost)
        m_pHost->EnableChannelControls(pf.m_nSource);
    pf.BuildMask(trace.GetScreenTrace());

    pf.m_nFailed = 0;
    pf.m_nPassed = 0;
    pf.m_nTotal = 0;
    ShowZeroCounts();
    pf.m_nState2 = 0;
    EnableTestControls(false);
}

void CPassFailDlg::OnButtonStart() {
    if (!m_pDoc)
        return;
    CPassFail& pf = m_pDoc->m_passFail;
    pf.m_nState1 = 1;
    if (GetWidget()) {
        m_listSource.SetCurSel(pf.m_nSource);
        EnableTestControls(true);
        m_nHorizontalTolerance = pf.m_nHorizontalTolerance;
        m_nVerticalTolerance = pf.m_nVerticalTolerance;
        m_bWriting = true;
        UpdateData(FALSE);
        m_bWriting = false;
    }
    pf.m_nFailed = 0;
    pf.m_nPassed = 0;
    pf.m_nTotal = 0;
    ShowZeroCounts();
    if (!m_pDoc->m_bRunning)
        m_pDoc->SetRunState(true, CKelvaneDoc::kRunStatusAuto);
    if (m_pHost)
        m_pHost->RunStart();
    pf.m_nState2 = 1;
}

void CPassFailDlg::CountFrame() {
    if (!m_pDoc)
        return;
    CPassFail& pf = m_pDoc->m_passFail;
    const CTrace& trace = pf.m_nSource == 0 ? m_pDoc->m_ch1 : m_pDoc->m_ch2;
    const int passed = pf.Test(trace.GetScreenTrace());
    if (pf.m_nTotal == std::numeric_limits<std::uint64_t>::max()) {
        pf.m_nFailed = 0;
        pf.m_nPassed = 0;
        pf.m_nTotal = 0;
    }
    if (passed)
        ++pf.m_nPassed;
    else
        ++pf.m_nFailed;
    ++pf.m_nTotal;
    if (pf.ShouldStop(passed)) {
        m_pDoc->SetRunState(false, CKelvaneDoc::kRunStatusStop);
        StopTest();
        if (pf.ShouldBeep())
            MessageBeep(0);
    }
    ShowCounts();
}

void CPassFailDlg::StopTest() {
    if (m_pDoc)
        m_pDoc->m_passFail.m_nState2 = 0;
    EnableTestControls(false);
    if (m_pHost)
        m_pHost->RunStop();
}

void CPassFailDlg::OnButtonSave() {
    if (!m_pDoc)
        return;
    CFileDialog dialog(FALSE, "psf", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "PassFail File(*.psf)|*.psf||", this);
    dialog.m_ofn.lpstrTitle = "Save PassFail Mask As...";
    if (dialog.DoModal() != IDOK)
        return;
    CString error;
    if (!m_pDoc->m_passFail.SaveSettings(dialog.GetPathName().GetString(), &error))
        ShowError(error);
}

void CPassFailDlg::OnButtonLoad() {
    if (!m_pDoc)
        return;
    CFileDialog dialog(TRUE, "psf", nullptr, OFN_HIDEREADONLY,
                       "PassFail File(*.psf)|*.psf|All Files(*.*)|*.*||", this);
    dialog.m_ofn.lpstrTitle = "Load PassFail Mask File...";
    if (dialog.DoModal() != IDOK)
        return;
    const CString path = dialog.GetPathName();
    if (kv::ExtensionOf4(path.GetString()) != ".psf")
        return;
    CPassFail& pf = m_pDoc->m_passFail;
    CString error;
    if (!pf.LoadSettings(path.GetString(), &error)) {
        ShowError(error);
        return;
    }
    StopTest();
    ShowZeroCounts();
    if (!GetWidget())
        return;
    m_listSource.SetCurSel(pf.m_nSource);
    ShowSettings(pf);
}

void CPassFailDlg::OnCancel() {
    if (m_pDoc) {
        m_pDoc->m_passFail.m_nState1 = 0;
        StopTest();
        if (!m_pDoc->m_bRunning) {
            // Through the view's start: it also pulls a panned position back into 0..500 and
            // ends zoom and drag, which a bare run flag would leave in force.
            if (m_pHost)
                m_pHost->RunStart();
            m_pDoc->SetRunState(true, CKelvaneDoc::kRunStatusAuto);
        }
    }
    if (m_pHost)
        m_pHost->EnableFormatList(TRUE);
    ShowWindow(SW_HIDE);
}
