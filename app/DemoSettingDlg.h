#pragma once
// The Demo Setting panel: frequency, amplitude, DC offset, drift and waveform of the built-in
// demo source. Modeless; each control applies at once and restarts the capture.
#include "framework/Controls.h"
#include "framework/Dialog.h"

class CKelvaneDoc;

class CDemoSettingDlg : public CDialog {
public:
    explicit CDemoSettingDlg(CWnd* pParent = nullptr);

    // A null pointer is ignored.
    void SetDocument(CKelvaneDoc* pDoc);

    // Shows the start-up choice (12.5 KHz, 4.00 V, Normal, DC + and Sweep); the document is
    // not read.
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void TranslateTexts();

    // Frequency radio 0..4 (1281..1285), amplitude radio 0..3 (1286..1289), function 0..2.
    void OnRadioFrequency(int index);
    void OnRadioAmplitude(int index);
    void OnRadioFunction(int index);
    void OnCheckDcOffset();
    void OnCheckSweep();

    // Enter does nothing; Escape and closing hide the panel.
    void OnOK() override {}
    void OnCancel() override { ShowWindow(SW_HIDE); }

    CButton m_radio12_5KHz;
    CButton m_radio4V;
    CButton m_radioNormal;
    CButton m_chkDcOffset;
    CButton m_chkSweep;
    CKelvaneDoc* m_pDoc = nullptr;
};
