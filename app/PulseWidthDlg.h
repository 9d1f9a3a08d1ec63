#pragma once
// The Pulse Width Setting dialog: the width of the pulse-width trigger, shown as a number and a
// unit (nS, uS, mS, S) and stepped by the spin arrows. Modal; opened from the side panel.
#include <cstdint>

#include "framework/CString.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"

class CKelvaneDoc;

class CPulseWidthDlg : public CDialog {
public:
    // Limits of the trigger's pulse-width count (5 ns steps).
    static constexpr std::int32_t kMinCount = 2;
    static constexpr std::int32_t kMaxCount = 2000000000;

    explicit CPulseWidthDlg(CWnd* pParent = nullptr);

    // A null pointer is ignored.
    void SetDocument(CKelvaneDoc* pDoc);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    // Chooses the shown value, unit and spin step for a count and stores the caption text in
    // the document's pulse-width caption.
    void ShowPulseWidth(std::int32_t count);
    // One spin step: delta -1 (up arrow) adds the step, +1 (down arrow) takes it away; the
    // count wraps around 2..2000000000. Other deltas change nothing.
    void StepPulseWidth(int delta);
    void OnDeltaposPulseWidthSpin(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelchangeUnit();
    // Reads the value and unit, stores the count and ends with IDOK.
    void OnButtonOk();
    void OnOK() override { OnButtonOk(); }

    // The caption of a pulse width of `count` 5 ns steps, e.g. "1.50uS"; empty below 10 ns.
    static CString FormatPulseWidth(std::int64_t count);
    // The count for a shown value in a unit (0 ns, 1 us, 2 ms, 3 s), wrapped into 2..2000000000.
    static std::int32_t CountFromValue(double value, int unit);

    int m_nUnit = 0; // 0 ns, 1 us, 2 ms, 3 s
    CKelvaneDoc* m_pDoc = nullptr;
    std::int32_t m_nStep = 1;
    CComboBox m_listUnit;
    CSpinButtonCtrl m_spin;
    CEdit m_editValue;
    double m_dValue = 0.0;
};
