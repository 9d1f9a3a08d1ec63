#include "app/EtsCalibrationDlg.h"

#include "app/LanguageDialogAdapter.h"
#include "engine/KelvaneDoc.h"
#include "framework/DataExchange.h"
#include "resources/Resource.h"
#include "resources/dialogs/CalibrationDialogTemplates.h"

namespace {

constexpr int kTextInProgress = 4026; // "ETS Calibration In Progress..."
constexpr int kTextFailed = 4027;     // "ETS Calibration Fails!"
constexpr int kTextDone = 4028;       // "ETS Calibration OK!"

} // namespace

CEtsCalibrationDlg::CEtsCalibrationDlg(CWnd* pParent) : CDialog(IDD_ETS_CALIBRATION, pParent) {
    kv::RegisterCalibrationDialogTemplates();
    m_strStatus = "Prepare Calibrate";
    OnControl(BN_CLICKED, IDC_ETS_START, [this] { OnButtonStart(); });
    OnControl(BN_CLICKED, IDC_ETS_CANCEL, [this] { EndDialog(IDCANCEL); });
}

void CEtsCalibrationDlg::SetDocument(CKelvaneDoc* pDoc) {
    if (pDoc)
        m_pDoc = pDoc;
}

void CEtsCalibrationDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_ETS_STATUS, m_strStatus);
}

BOOL CEtsCalibrationDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_pDoc) {
        TranslateWindow(m_pDoc->m_language, *this);
        const CString caption = m_pDoc->GetText(static_cast<int>(IDD_ETS_CALIBRATION));
        SetWindowText(caption);
        m_strStatus = caption;
        UpdateData(FALSE);
    }
    return TRUE;
}

int CEtsCalibrationDlg::OnButtonStart() {
    if (!m_pDoc)
        return 0;
    CKelvaneDoc& doc = *m_pDoc;
    CWnd* start = GetDlgItem(IDC_ETS_START);
    if (start)
        start->EnableWindow(FALSE);
    m_strStatus = doc.GetText(kTextInProgress);
    UpdateData(FALSE);
    UpdateWindow();

    bool converged = false;
    for (int pass = 0; pass < kMaxPasses && !converged; ++pass)
        converged = doc.EtsCalibrationStep() == 1;
    if (start)
        start->EnableWindow(TRUE);
    if (!converged) {
        m_strStatus = doc.GetText(kTextFailed);
        UpdateData(FALSE);
        return 0;
    }
    doc.StoreEtsCalibration();
    m_strStatus = doc.GetText(kTextDone);
    UpdateData(FALSE);
    return 1;
}
