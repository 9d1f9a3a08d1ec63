#include "app/CalibrateDataDlg.h"

#include "engine/KelvaneDoc.h"
#include "framework/DataExchange.h"
#include "resources/Resource.h"
#include "resources/dialogs/CalibrationDialogTemplates.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kLevels = 21;

} // namespace

CCalibrateDataDlg::CCalibrateDataDlg(CWnd* pParent) : CDialog(IDD_CALIBRATE_DATA, pParent) {
    kv::RegisterCalibrationDialogTemplates();
    OnControl(CBN_SELCHANGE, IDC_LINE_CAL_DATA1, [this] { OnSelchangeLineCalData1(); });
    OnControl(CBN_SELCHANGE, IDC_LINE_CAL_DATA2, [this] { OnSelchangeLineCalData2(); });
    OnControl(CBN_SELCHANGE, IDC_LINE_CAL_DATA3, [this] { OnSelchangeLineCalData3(); });
    OnControl(CBN_SELCHANGE, IDC_LINE_CAL_DATA4, [this] { OnSelchangeLineCalData4(); });
    OnControl(EN_CHANGE, IDC_MAX_ETS_CAL_DATA, [this] { OnChangeMaxEtsCalData(); });
    OnControl(EN_CHANGE, IDC_MIN_ETS_CAL_DATA, [this] { OnChangeMinEtsCalData(); });
    OnControl(BN_CLICKED, IDC_ETS_UPDATE, [this] { OnCheckEtsUpdate(); });
}

void CCalibrateDataDlg::SetDocument(CKelvaneDoc* pDoc) {
    if (pDoc)
        m_pDoc = pDoc;
}

void CCalibrateDataDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ETS_UPDATE, m_checkEtsUpdate);
    DDX_Control(pDX, IDC_MAX_ETS_CAL_DATA, m_editMax);
    DDX_Control(pDX, IDC_MIN_ETS_CAL_DATA, m_editMin);
    for (int i = 0; i < 4; ++i)
        DDX_Control(pDX, static_cast<int>(IDC_LINE_CAL_DATA1) + i, m_listLineCal[i]);
}

BOOL CCalibrateDataDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    LoadFromDocument();
    return TRUE;
}

void CCalibrateDataDlg::LoadFromDocument() {
    m_editMax.SetLimitText(3);
    m_editMin.SetLimitText(3);
    if (!m_pDoc)
        return;
    m_bLoading = true;
    m_checkEtsUpdate.SetCheck(m_pDoc->m_settings.GetEtsUpdate() ? BST_CHECKED : BST_UNCHECKED);
    const std::int16_t* words = m_pDoc->m_usb.GetAdjustmentWords();
    for (int i = 0; i < 4; ++i)
        m_listLineCal[i].SetCurSel(words[i] >= 0 && words[i] < kLevels ? words[i] : -1);
    m_nMax = m_pDoc->m_settings.GetEtsCalMax();
    m_nMin = m_pDoc->m_settings.GetEtsCalMin();
    SetDlgItemInt(IDC_MAX_ETS_CAL_DATA, m_nMax);
    SetDlgItemInt(IDC_MIN_ETS_CAL_DATA, m_nMin);
    m_bLoading = false;
}

void CCalibrateDataDlg::OnSelchangeLineCalData(int list) {
    if (!m_pDoc || list < 0 || list >= 4)
        return;
    const int index = m_listLineCal[list].GetCurSel();
    if (index < 0 || index >= kLevels)
        return;
    m_pDoc->SetLineCalibrationWord(list, static_cast<std::int16_t>(index));
}

bool CCalibrateDataDlg::ReadLimit(CEdit& edit, int limit, std::int16_t& value) {
    CString text;
    edit.GetWindowText(text);
    const char* s = text.GetString();
    if (!s || !*s)
        return false;
    char* end = nullptr;
    const long v = std::strtol(s, &end, 10);
    if (end == s || *end != '\0')
        return false;
    const long clamped = std::clamp<long>(v, 0, limit);
    value = static_cast<std::int16_t>(clamped);
    // The instrument's stored limits would take any three digits, well past their range.
    if (clamped != v) {
        m_bLoading = true;
        SetDlgItemInt(edit.GetDlgCtrlID(), value);
        m_bLoading = false;
    }
    return true;
}

void CCalibrateDataDlg::SendEtsLimits() {
    m_pDoc->SetEtsCalibrationLimits(m_nMax, m_nMin);
}

void CCalibrateDataDlg::OnChangeMaxEtsCalData() {
    if (m_bLoading || !m_pDoc || !ReadLimit(m_editMax, kMaxEtsLimit, m_nMax))
        return;
    SendEtsLimits();
}

void CCalibrateDataDlg::OnChangeMinEtsCalData() {
    if (m_bLoading || !m_pDoc || !ReadLimit(m_editMin, kMinEtsLimit, m_nMin))
        return;
    SendEtsLimits();
}

void CCalibrateDataDlg::OnCheckEtsUpdate() {
    if (m_pDoc)
        m_pDoc->m_settings.SetEtsUpdate(m_checkEtsUpdate.GetCheck() == BST_CHECKED ? 1 : 0);
}
