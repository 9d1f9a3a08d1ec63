#pragma once
// Zero Calibration (dialog 207): starts and stops the zero-level calibration of CH1 and/or CH2
// and shows its progress. The view's acquisition timer drives the calibration steps; this
// dialog's own 500 ms timer only watches the document's calibration state.
#include <cstdint>
#include <vector>

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CKelvaneDoc;

class CZeroCalibrationDlg : public CDialog {
public:
    static constexpr UINT kPollMs = 500;

    explicit CZeroCalibrationDlg(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnTimer(UINT_PTR nIDEvent) override;
    void OnCancel() override;
    void OnOK() override {}

    void OnButtonStartStop();
    void StartCalibration();
    void StopCalibration();
    void OnButtonClose() { OnCancel(); }

    // The progress list's lines, top to bottom.
    std::vector<CString> GetProgressLines() const;

    CButton m_checkCh2;
    CButton m_checkCh1;
    CButton m_btnStartStop;
    CListBox m_listProgress;
    std::int32_t m_nLastStep = -1;
    CKelvaneDoc* m_pDoc = nullptr;
    std::int32_t m_bCh1 = 0;
    std::int32_t m_bCh2 = 0;
    std::int32_t m_bRunning = 0;

private:
    void ShowProgress(std::int32_t state);
    void EnableChecks(BOOL enable);
    void ShowMainWindow();
    CString Text(int id) const;
};
