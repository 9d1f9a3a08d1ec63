#include "app/ZeroCalibrationDlg.h"

#include "app/LanguageDialogAdapter.h"
#include "engine/KelvaneDoc.h"
#include "framework/DataExchange.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"
#include "resources/dialogs/CalibrationDialogTemplates.h"
#include "resources/language/TextKeys.h"

namespace {

constexpr const char* kPrepared = "Prepare... OK!";
constexpr const char* kPleaseStart = "Please start calibration...";
constexpr const char* kStarted = "Please start calibration... OK!";
constexpr const char* kStopped = "Calibrate Stop!";

} // namespace

CZeroCalibrationDlg::CZeroCalibrationDlg(CWnd* pParent) : CDialog(IDD_ZERO_CALIBRATION, pParent) {
    kv::RegisterCalibrationDialogTemplates();
    OnControl(BN_CLICKED, IDC_ZERO_START, [this] { OnButtonStartStop(); });
    OnControl(BN_CLICKED, IDC_ZERO_CLOSE, [this] { OnButtonClose(); });
}

void CZeroCalibrationDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ZERO_CH2, m_checkCh2);
    DDX_Control(pDX, IDC_ZERO_CH1, m_checkCh1);
    DDX_Control(pDX, IDC_ZERO_START, m_btnStartStop);
    DDX_Control(pDX, IDC_ZERO_PROGRESS, m_listProgress);
}

CString CZeroCalibrationDlg::Text(int id) const {
    return m_pDoc ? m_pDoc->GetText(id) : CString();
}

BOOL CZeroCalibrationDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_listProgress.ResetContent();
    m_listProgress.AddString(kPrepared);
    m_listProgress.AddString(kPleaseStart);
    m_checkCh1.SetCheck(BST_CHECKED);
    m_checkCh2.SetCheck(BST_CHECKED);
    if (m_pDoc) {
        TranslateWindow(m_pDoc->m_language, *this);
        SetWindowText(m_pDoc->GetText(static_cast<int>(IDD_ZERO_CALIBRATION)));
    }
    return TRUE;
}

std::vector<CString> CZeroCalibrationDlg::GetProgressLines() const {
    std::vector<CString> lines;
    for (int i = 0; i < m_listProgress.GetCount(); ++i) {
        CString line;
        m_listProgress.GetText(i, line);
        lines.push_back(line);
    }
    return lines;
}

void CZeroCalibrationDlg::EnableChecks(BOOL enable) {
    m_checkCh1.EnableWindow(enable);
    m_checkCh2.EnableWindow(enable);
}

void CZeroCalibrationDlg::ShowMainWindow() {
    if (CWnd* main = AfxGetMainWnd())
        main->ShowWindow(SW_SHOWNORMAL);
}

void CZeroCalibrationDlg::OnButtonStartStop() {
    m_nLastStep = -1;
    if (m_bRunning)
        StopCalibration();
    else
        StartCalibration();
}

void CZeroCalibrationDlg::StartCalibration() {
    m_bCh1 = m_checkCh1.GetCheck() == BST_CHECKED ? 1 : 0;
    m_bCh2 = m_checkCh2.GetCheck() == BST_CHECKED ? 1 : 0;
    if ((!m_bCh1 && !m_bCh2) || !m_pDoc)
        return;
    m_pDoc->SetCalibrationChannels(m_bCh1, m_bCh2);
    const int started = m_pDoc->StartCalibration();
    m_listProgress.ResetContent();
    m_listProgress.AddString(kPrepared);
    m_listProgress.AddString(kStarted);
    // The table could not be read: nothing will be written, and the run ends here.
    if (!started) {
        m_listProgress.AddString(kStopped);
        ShowMainWindow();
        return;
    }
    EnableChecks(FALSE);
    m_btnStartStop.SetWindowText(Text(kv::kTextStop));
    SetTimer(IDT_DIALOG, kPollMs);
    m_bRunning = 1;
}

void CZeroCalibrationDlg::StopCalibration() {
    EnableChecks(TRUE);
    m_btnStartStop.SetWindowText(Text(kv::kTextStart));
    if (m_pDoc)
        m_pDoc->StopCalibration();
    KillTimer(IDT_DIALOG);
    m_listProgress.AddString(kStopped);
    m_bRunning = 0;
    ShowMainWindow();
}

void CZeroCalibrationDlg::ShowProgress(std::int32_t state) {
    m_listProgress.ResetContent();
    m_listProgress.AddString(kPrepared);
    m_listProgress.AddString(kStarted);
    switch (state) {
    case 0:
        m_listProgress.AddString("Calibrate CH1...");
        break;
    case 1:
        if (m_bCh1)
            m_listProgress.AddString("Calibrate CH1... OK!");
        m_listProgress.AddString("Calibrate CH2... ");
        break;
    case 2:
    case -1:
        if (m_bCh1)
            m_listProgress.AddString("Calibrate CH1... OK!");
        if (m_bCh2)
            m_listProgress.AddString("Calibrate CH2... OK!");
        // A table the instrument did not take is no successful calibration.
        if (state == -1 && m_pDoc && m_pDoc->IsCalibrationWriteFailed())
            m_listProgress.AddString(kStopped);
        else
            m_listProgress.AddString("Calibrate OK!");
        break;
    default:
        break;
    }
}

void CZeroCalibrationDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == IDT_DIALOG && m_bRunning && m_pDoc) {
        const std::int32_t state = m_pDoc->GetCalibrationState();
        if (state == -1) {
            // The document finished (or ended) the calibration: its stop has already run, so
            // the dialog only returns to idle; running the stop again would reset the channels
            // a second time and report a stop after success.
            m_nLastStep = state;
            ShowProgress(state);
            EnableChecks(TRUE);
            m_btnStartStop.SetWindowText(Text(kv::kTextStart));
            KillTimer(IDT_DIALOG);
            m_bRunning = 0;
            ShowMainWindow();
        } else if (state != m_nLastStep) {
            m_nLastStep = state;
            ShowProgress(state);
        }
    }
    CDialog::OnTimer(nIDEvent);
}

void CZeroCalibrationDlg::OnCancel() {
    if (m_bRunning)
        StopCalibration();
    EndDialog(IDCANCEL);
}
