#pragma once
// Calibration (dialog 252): chooses between zero calibration (0) and ETS calibration (1); the
// caller's choice is read on opening and written back on OK.
#include <cstdint>

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CKelvaneDoc;

class CCalibrationDlg : public CDialog {
public:
    explicit CCalibrationDlg(std::int16_t* pChoice, CWnd* pParent = nullptr);
    // The document whose language translates the dialog; by default the main window's.
    void SetDocument(CKelvaneDoc* pDoc);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnButtonOk() { OnOK(); }
    void OnButtonCancel() { EndDialog(IDCANCEL); }

    CButton m_radioZero;
    CButton m_radioEts;
    std::int16_t* m_pChoice = nullptr;

private:
    CKelvaneDoc* Document() const;
    CKelvaneDoc* m_pDoc = nullptr;
};
