#include "app/WaveformColorDlg.h"

#include "engine/KelvaneDoc.h"
#include "framework/DataExchange.h"
#include "resources/Resource.h"
#include "resources/dialogs/RecordDialogTemplates.h"

CWaveformColorDlg::CWaveformColorDlg(CWnd* pParent) : CDialog(IDD_WAVEFORM_COLOR, pParent) {
    kv::RegisterRecordDialogTemplates();
}

void CWaveformColorDlg::SetDocument(CKelvaneDoc* pDoc) {
    if (pDoc)
        m_pDoc = pDoc;
}

void CWaveformColorDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CH1_COLOR, m_btnCh1);
    DDX_Control(pDX, IDC_CH2_COLOR, m_btnCh2);
    DDX_Control(pDX, IDC_MATH_COLOR, m_btnMath);
    DDX_Control(pDX, IDC_REF_COLOR, m_btnRef);
}

void CWaveformColorDlg::LoadFromDocument() {
    if (!m_pDoc)
        return;
    struct Slot {
        CColorButton& button;
        const CTrace& trace;
    };
    const Slot slots[] = {{m_btnCh1, m_pDoc->m_ch1},
                          {m_btnCh2, m_pDoc->m_ch2},
                          {m_btnMath, m_pDoc->m_math},
                          {m_btnRef, m_pDoc->m_ref}};
    std::int16_t index = 0;
    for (const Slot& slot : slots) {
        slot.button.m_nTrace = index++;
        slot.button.SetColor(slot.trace.GetColor());
    }
}
