#include "app/AverageDlg.h"

#include <algorithm>

#include "app/DialogSupport.h"
#include "app/KelvaneView.h"
#include "engine/KelvaneDoc.h"
#include "framework/DataExchange.h"
#include "resources/Resource.h"
#include "resources/dialogs/AcquisitionDialogTemplates.h"

namespace {

constexpr std::int32_t kMinFrames = 1;
constexpr std::int32_t kMaxFrames = CAverageBuffer::kMaxFrames;

} // namespace

CAverageDlg::CAverageDlg(CWnd* pParent) : CDialog(IDD_AVERAGE, pParent) {
    kv::RegisterAcquisitionDialogTemplates();
    OnControl(EN_CHANGE, IDC_AVG_COUNT, [this] { OnChangeAverageCount(); });
    OnControl(BN_CLICKED, IDC_AVG_OK, [this] { OnButtonOk(); });
    OnControl(BN_CLICKED, IDC_AVG_CANCEL, [this] { OnButtonCancel(); });
}

void CAverageDlg::SetDocument(CKelvaneDoc* pDoc) {
    if (pDoc)
        m_pDoc = pDoc;
}

CKelvaneDoc* CAverageDlg::Document() const {
    if (m_pDoc)
        return m_pDoc;
    CKelvaneView* view = ActiveKelvaneView();
    return view ? view->GetDocument() : nullptr;
}

void CAverageDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_AVG_CANCEL, m_btnCancel);
    DDX_Control(pDX, IDC_AVG_OK, m_btnOk);
    DDX_Control(pDX, IDC_AVG_COUNT, m_editCount);
    DDX_Text(pDX, IDC_AVG_COUNT, m_nAverageCount);
}

BOOL CAverageDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    TranslateTexts();
    m_editCount.SetLimitText(3);
    LoadFromDocument();
    return TRUE;
}

void CAverageDlg::TranslateTexts() {
    CKelvaneDoc* doc = Document();
    if (!doc || !GetWidget())
        return;
    TranslateDialogTexts(*doc, *this);
}

void CAverageDlg::LoadFromDocument() {
    CKelvaneDoc* doc = Document();
    if (!doc || !GetWidget())
        return;
    m_nAverageCount = doc->m_average.GetFramesWanted();
    UpdateData(FALSE);
}

void CAverageDlg::OnChangeAverageCount() {
    if (!GetWidget())
        return;
    CString text;
    GetDlgItemText(IDC_AVG_COUNT, text);
    long value = 0;
    // A half-typed entry (empty, a lone sign) waits for the next key.
    if (!ParseWholeNumber(text, value))
        return;
    const long clamped = std::clamp<long>(value, kMinFrames, kMaxFrames);
    m_nAverageCount = static_cast<std::int32_t>(clamped);
    if (clamped != value)
        SetDlgItemInt(IDC_AVG_COUNT, m_nAverageCount);
}

void CAverageDlg::OnButtonOk() {
    CKelvaneDoc* doc = Document();
    if (!GetWidget())
        return;
    if (!UpdateData(TRUE))
        return;
    m_nAverageCount = std::clamp(m_nAverageCount, kMinFrames, kMaxFrames);
    if (doc && m_nAverageCount != doc->m_average.GetFramesWanted()) {
        doc->m_average.SetFramesWanted(static_cast<short>(m_nAverageCount));
        doc->m_average.SetFramesHeld(0);
        doc->m_average.ClearRings();
    }
    ShowWindow(SW_HIDE);
}

void CAverageDlg::OnButtonCancel() {
    LoadFromDocument();
    ShowWindow(SW_HIDE);
}
