#pragma once
// Calibrate Data (dialog 223, modeless service panel): edits the instrument's four
// line-calibration words and its ETS calibration limits; every change is sent at once. The
// panel keeps its template texts in every language.
#include <cstdint>

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CKelvaneDoc;

class CCalibrateDataDlg : public CDialog {
public:
    static constexpr int kMaxEtsLimit = 300;
    static constexpr int kMinEtsLimit = 200;

    explicit CCalibrateDataDlg(CWnd* pParent = nullptr);
    // A null pointer is ignored.
    void SetDocument(CKelvaneDoc* pDoc);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void LoadFromDocument();
    void OnOK() override { ShowWindow(SW_HIDE); }
    void OnCancel() override { ShowWindow(SW_HIDE); }

    // List 0..3 is control 1313..1316.
    void OnSelchangeLineCalData(int list);
    void OnSelchangeLineCalData1() { OnSelchangeLineCalData(0); }
    void OnSelchangeLineCalData2() { OnSelchangeLineCalData(1); }
    void OnSelchangeLineCalData3() { OnSelchangeLineCalData(2); }
    void OnSelchangeLineCalData4() { OnSelchangeLineCalData(3); }
    void OnChangeMaxEtsCalData();
    void OnChangeMinEtsCalData();
    void OnCheckEtsUpdate();

    CButton m_checkEtsUpdate;
    CEdit m_editMax;
    CEdit m_editMin;
    CComboBox m_listLineCal[4];
    std::int16_t m_nMax = 0;
    std::int16_t m_nMin = 0;
    CKelvaneDoc* m_pDoc = nullptr;

private:
    // Reads an edit as 0..limit; false (nothing to send) when it holds no number.
    bool ReadLimit(CEdit& edit, int limit, std::int16_t& value);
    void SendEtsLimits();
    bool m_bLoading = false;
};
