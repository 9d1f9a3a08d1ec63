#pragma once
// Waveform Color (dialog 227, modeless): four colour buttons for CH1, CH2, MATH and REF. A
// click on a button opens the colour dialog and the chosen colour goes to the trace at once.
#include "display/ColourButton.h"
#include "framework/Dialog.h"

class CKelvaneDoc;

class CWaveformColorDlg : public CDialog {
public:
    explicit CWaveformColorDlg(CWnd* pParent = nullptr);
    // A null pointer is ignored.
    void SetDocument(CKelvaneDoc* pDoc);

    void DoDataExchange(CDataExchange* pDX) override;
    // Gives each button its trace slot and that trace's current colour.
    void LoadFromDocument();
    // OK and Cancel only hide the panel.
    void OnOK() override { ShowWindow(SW_HIDE); }
    void OnCancel() override { ShowWindow(SW_HIDE); }

    CColorButton m_btnCh1;
    CColorButton m_btnCh2;
    CColorButton m_btnMath;
    CColorButton m_btnRef;
    CKelvaneDoc* m_pDoc = nullptr;
};
