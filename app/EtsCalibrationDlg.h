#pragma once
// ETS Calibration (dialog 251): runs the equivalent-time-sampling timer calibration to the end
// within one click of Start and reports the result.
#include "framework/CString.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"

class CKelvaneDoc;

class CEtsCalibrationDlg : public CDialog {
public:
    // Passes of the calibration before it is given up.
    static constexpr int kMaxPasses = 202;

    explicit CEtsCalibrationDlg(CWnd* pParent = nullptr);
    // A null pointer is ignored.
    void SetDocument(CKelvaneDoc* pDoc);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override {}

    // Returns 1 when the calibration converged and was written, else 0.
    int OnButtonStart();

    CKelvaneDoc* m_pDoc = nullptr;
    CString m_strStatus;
};
