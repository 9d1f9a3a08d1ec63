#pragma once
// Save (dialog 193): asks which input channel the reference and CSV writers save. The choice
// goes to the document's save channel: 0 CH1, 1 CH2, 2 when no channel is checked.
#include "framework/Controls.h"
#include "framework/Dialog.h"

class CKelvaneDoc;

class CSaveChannelDlg : public CDialog {
public:
    explicit CSaveChannelDlg(CWnd* pParent = nullptr);
    // A null pointer is ignored.
    void SetDocument(CKelvaneDoc* pDoc);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override { OnButtonOk(); }

    // Checks and enables the channel radios by the channels that are on.
    void EnableChannelButtons();
    void OnButtonOk();

    CButton m_radioCh1;
    CButton m_radioCh2;
    CButton m_btnOk;
    CKelvaneDoc* m_pDoc = nullptr;
};
