#pragma once
// The FFT panel: settings of the document's spectrum (source, window, bins, scale, vertical
// scale, zoom), the on/off switch, the text export, and the read-outs of the six harmonics
// and six spectrum figures, refreshed by the view's timer while the spectrum is on.
#include "framework/CString.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"

class CKelvaneDoc;
class CScopeScreen;

class CFftDlg : public CDialog {
public:
    static constexpr int kScaleItems = 12;

    explicit CFftDlg(CWnd* pParent = nullptr);

    // Null pointers are ignored; every handler does nothing while there is no document. The
    // screen panel (its cursor source) comes from the main window's active view when not set.
    void SetDocument(CKelvaneDoc* pDoc);
    void SetScreen(CScopeScreen* pScreen);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void LoadFromDocument();
    void TranslateTexts();
    // The vertical-scale list for the current scale: twelve dB steps or twelve volt steps.
    void FillScaleList();
    // Selects the item of the stored per-division value (no change when it is not listed).
    void SelectVerticalScale();

    void OnSelchangeSource();
    void OnSelchangeWindow();
    void OnSelchangeBins();
    void OnSelchangeScale();
    void OnSelchangeVerticalScale();
    void OnSelchangeZoom();
    void OnButtonStart();
    void OnButtonSave();

    // Read-outs, refreshed every timer tick while the spectrum is on.
    void UpdateHarmonics();
    void UpdateMeasurements();

    // The per-division value of item i of the list for a scale (0 dB, 1 linear).
    static double ScaleValue(int scale, int index);

    CComboBox m_listSource;
    CComboBox m_listWindow;
    CComboBox m_listBins;
    CComboBox m_listScale;
    CComboBox m_listVertical;
    CComboBox m_listZoom;
    CButton m_btnStart;
    CButton m_btnSave;
    CKelvaneDoc* m_pDoc = nullptr;

private:
    CScopeScreen* Screen() const;
    void ShowStartText();
    CScopeScreen* m_pScreen = nullptr;
};
