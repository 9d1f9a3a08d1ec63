#include "app/DemoSettingDlg.h"

#include <iterator>

#include "app/DialogSupport.h"
#include "engine/KelvaneDoc.h"
#include "framework/DataExchange.h"
#include "resources/Resource.h"
#include "resources/dialogs/AcquisitionDialogTemplates.h"

namespace {

// The values the demo source takes, in the order of the radio buttons. They are stored as they
// stand, whatever the button labels say.
constexpr double kFrequencies[] = {5120.0, 800.0, 200.0, 50.0, 12.5};
constexpr double kAmplitudes[] = {40.0, 4.0, 0.4, 0.04};

} // namespace

CDemoSettingDlg::CDemoSettingDlg(CWnd* pParent) : CDialog(IDD_DEMO_SETTING, pParent) {
    kv::RegisterAcquisitionDialogTemplates();
    for (int i = 0; i < 5; ++i)
        OnControl(BN_CLICKED, IDC_DEMO_5MHZ + static_cast<UINT>(i), [this, i] { OnRadioFrequency(i); });
    for (int i = 0; i < 4; ++i)
        OnControl(BN_CLICKED, IDC_DEMO_40V + static_cast<UINT>(i), [this, i] { OnRadioAmplitude(i); });
    for (int i = 0; i < 3; ++i)
        OnControl(BN_CLICKED, IDC_DEMO_NORMAL + static_cast<UINT>(i), [this, i] { OnRadioFunction(i); });
    OnControl(BN_CLICKED, IDC_DEMO_DC, [this] { OnCheckDcOffset(); });
    OnControl(BN_CLICKED, IDC_DEMO_SWEEP, [this] { OnCheckSweep(); });
}

void CDemoSettingDlg::SetDocument(CKelvaneDoc* pDoc) {
    if (pDoc)
        m_pDoc = pDoc;
}

void CDemoSettingDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DEMO_12_5KHZ, m_radio12_5KHz);
    DDX_Control(pDX, IDC_DEMO_4V, m_radio4V);
    DDX_Control(pDX, IDC_DEMO_NORMAL, m_radioNormal);
    DDX_Control(pDX, IDC_DEMO_DC, m_chkDcOffset);
    DDX_Control(pDX, IDC_DEMO_SWEEP, m_chkSweep);
}

BOOL CDemoSettingDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    TranslateTexts();
    m_radio12_5KHz.SetCheck(BST_CHECKED);
    m_radio4V.SetCheck(BST_CHECKED);
    m_radioNormal.SetCheck(BST_CHECKED);
    m_chkDcOffset.SetCheck(BST_CHECKED);
    m_chkSweep.SetCheck(BST_CHECKED);
    return TRUE;
}

void CDemoSettingDlg::TranslateTexts() {
    if (!m_pDoc || !GetWidget())
        return;
    TranslateDialogTexts(*m_pDoc, *this);
}

void CDemoSettingDlg::OnRadioFrequency(int index) {
    if (!m_pDoc || index < 0 || index >= static_cast<int>(std::size(kFrequencies)))
        return;
    m_pDoc->m_demo.SetFrequency(kFrequencies[index]);
    m_pDoc->RestartCapture();
}

void CDemoSettingDlg::OnRadioAmplitude(int index) {
    if (!m_pDoc || index < 0 || index >= static_cast<int>(std::size(kAmplitudes)))
        return;
    m_pDoc->m_demo.SetAmplitude(kAmplitudes[index]);
    m_pDoc->RestartCapture();
}

void CDemoSettingDlg::OnRadioFunction(int index) {
    if (!m_pDoc || index < 0 || index > CDemoSource::kWaveNoise)
        return;
    m_pDoc->m_demo.SetWaveform(index);
    m_pDoc->RestartCapture();
}

void CDemoSettingDlg::OnCheckDcOffset() {
    if (!m_pDoc)
        return;
    m_pDoc->m_demo.SetDcOffset(m_chkDcOffset.GetCheck() == BST_CHECKED ? 1 : 0);
    m_pDoc->RestartCapture();
}

void CDemoSettingDlg::OnCheckSweep() {
    if (!m_pDoc)
        return;
    m_pDoc->m_demo.SetDrift(m_chkSweep.GetCheck() == BST_CHECKED ? 1 : 0);
    m_pDoc->m_demo.SetDriftValue(0.0);
    m_pDoc->RestartCapture();
}
