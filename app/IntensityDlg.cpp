#include "app/IntensityDlg.h"

#include "app/DialogSupport.h"
#include "app/KelvaneView.h"
#include "display/ScopeScreen.h"
#include "engine/KelvaneDoc.h"
#include "framework/DataExchange.h"
#include "resources/Resource.h"
#include "resources/dialogs/AcquisitionDialogTemplates.h"

namespace {

constexpr int kIntensityMax = 255;

} // namespace

CIntensityDlg::CIntensityDlg(CWnd* pParent) : CDialog(IDD_INTENSITY, pParent) {
    kv::RegisterAcquisitionDialogTemplates();
    OnNotifyCode(NM_RELEASEDCAPTURE, IDC_INT_GRID,
                 [this](NMHDR* hdr, LRESULT* result) { OnReleasedcaptureGridIntensity(hdr, result); });
    OnNotifyCode(NM_RELEASEDCAPTURE, IDC_INT_WAVE,
                 [this](NMHDR* hdr, LRESULT* result) { OnReleasedcaptureWaveformIntensity(hdr, result); });
    OnControl(BN_CLICKED, IDC_INT_PERSISTENCE, [this] { OnCheckPersistence(); });
    OnControl(CBN_SELCHANGE, IDC_INT_PERSIST_TIME, [this] { OnSelchangePersistenceTime(); });
    OnControl(BN_CLICKED, IDC_INT_OK, [this] { OnButtonOk(); });
}

void CIntensityDlg::SetDocument(CKelvaneDoc* pDoc) {
    if (pDoc)
        m_pDoc = pDoc;
}

void CIntensityDlg::SetScreen(CScopeScreen* pScreen) {
    if (pScreen)
        m_pScreen = pScreen;
}

CKelvaneDoc* CIntensityDlg::Document() const {
    if (m_pDoc)
        return m_pDoc;
    CKelvaneView* view = ActiveKelvaneView();
    return view ? view->GetDocument() : nullptr;
}

CScopeScreen* CIntensityDlg::Screen() const {
    if (m_pScreen)
        return m_pScreen;
    CKelvaneView* view = ActiveKelvaneView();
    return view ? &view->Screen() : nullptr;
}

void CIntensityDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_INT_PERSIST_TIME, m_listPersistenceTime);
    DDX_Control(pDX, IDC_INT_PERSISTENCE, m_chkPersistence);
    DDX_Control(pDX, IDC_INT_GRID, m_sliderGrid);
    DDX_Control(pDX, IDC_INT_WAVE, m_sliderWaveform);
}

BOOL CIntensityDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    TranslateTexts();
    LoadFromDocument();
    return TRUE;
}

void CIntensityDlg::TranslateTexts() {
    CKelvaneDoc* doc = Document();
    if (!doc || !GetWidget())
        return;
    TranslateDialogTexts(*doc, *this);
}

void CIntensityDlg::LoadFromDocument() {
    if (!GetWidget())
        return;
    m_sliderGrid.SetRange(0, kIntensityMax);
    m_sliderWaveform.SetRange(0, kIntensityMax);
    if (CScopeScreen* screen = Screen()) {
        m_nGridIntensity = screen->GetGridIntensity();
        m_nWaveformIntensity = screen->GetWaveformIntensity();
    }
    m_sliderGrid.SetPos(m_nGridIntensity);
    m_sliderWaveform.SetPos(m_nWaveformIntensity);
    CKelvaneDoc* doc = Document();
    if (!doc)
        return;
    m_bPersistence = doc->IsPersistenceEnabled() ? 1 : 0;
    m_chkPersistence.SetCheck(m_bPersistence ? BST_CHECKED : BST_UNCHECKED);
    // Depth 16 has no item: the list then shows no selection.
    m_listPersistenceTime.SetCurSel(doc->GetPersistenceDepth());
    m_listPersistenceTime.EnableWindow(m_bPersistence ? TRUE : FALSE);
}

void CIntensityDlg::OnReleasedcaptureGridIntensity(NMHDR*, LRESULT* pResult) {
    m_nGridIntensity = static_cast<std::int16_t>(m_sliderGrid.GetPos());
    if (CScopeScreen* screen = Screen())
        screen->SetGridIntensity(m_nGridIntensity);
    if (pResult)
        *pResult = 0;
}

void CIntensityDlg::OnReleasedcaptureWaveformIntensity(NMHDR*, LRESULT* pResult) {
    m_nWaveformIntensity = static_cast<std::int16_t>(m_sliderWaveform.GetPos());
    if (CScopeScreen* screen = Screen())
        screen->SetWaveformIntensity(m_nWaveformIntensity);
    if (pResult)
        *pResult = 0;
}

void CIntensityDlg::OnCheckPersistence() {
    m_bPersistence = m_chkPersistence.GetCheck() == BST_CHECKED ? 1 : 0;
    m_listPersistenceTime.EnableWindow(m_bPersistence ? TRUE : FALSE);
    if (CKelvaneDoc* doc = Document())
        doc->SetPersistenceEnabled(m_bPersistence);
}

void CIntensityDlg::OnSelchangePersistenceTime() {
    const int index = m_listPersistenceTime.GetCurSel();
    CKelvaneDoc* doc = Document();
    if (!doc || index < 0)
        return;
    doc->SetPersistenceDepth(static_cast<std::int16_t>(index));
}
