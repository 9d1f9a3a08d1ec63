#include "app/CalibrationDlg.h"

#include "app/LanguageDialogAdapter.h"
#include "engine/KelvaneDoc.h"
#include "framework/DataExchange.h"
#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"
#include "resources/dialogs/CalibrationDialogTemplates.h"

CCalibrationDlg::CCalibrationDlg(std::int16_t* pChoice, CWnd* pParent)
    : CDialog(IDD_CALIBRATION, pParent), m_pChoice(pChoice) {
    kv::RegisterCalibrationDialogTemplates();
    OnControl(BN_CLICKED, IDC_CALIBRATION_OK, [this] { OnButtonOk(); });
    OnControl(BN_CLICKED, IDC_CALIBRATION_CANCEL, [this] { OnButtonCancel(); });
}

void CCalibrationDlg::SetDocument(CKelvaneDoc* pDoc) {
    if (pDoc)
        m_pDoc = pDoc;
}

CKelvaneDoc* CCalibrationDlg::Document() const {
    if (m_pDoc)
        return m_pDoc;
    auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
    return frame ? dynamic_cast<CKelvaneDoc*>(frame->GetActiveDocument()) : nullptr;
}

void CCalibrationDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RADIO_ZERO_CAL, m_radioZero);
    DDX_Control(pDX, IDC_RADIO_ETS_CAL, m_radioEts);
}

BOOL CCalibrationDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (CKelvaneDoc* doc = Document()) {
        TranslateWindow(doc->m_language, *this);
        SetWindowText(doc->GetText(static_cast<int>(IDD_CALIBRATION)));
    }
    const bool ets = m_pChoice && *m_pChoice != 0;
    m_radioZero.SetCheck(ets ? BST_UNCHECKED : BST_CHECKED);
    m_radioEts.SetCheck(ets ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void CCalibrationDlg::OnOK() {
    if (m_pChoice) {
        if (m_radioZero.GetCheck() == BST_CHECKED)
            *m_pChoice = 0;
        else if (m_radioEts.GetCheck() == BST_CHECKED)
            *m_pChoice = 1;
    }
    EndDialog(IDOK);
}
