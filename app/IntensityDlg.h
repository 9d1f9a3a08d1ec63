#pragma once
// The Intensity panel: grid and waveform brightness of the screen panel and the persistence
// display (on/off and how long old frames stay). Modeless; closing it only hides it.
#include <cstdint>

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CKelvaneDoc;
class CScopeScreen;

class CIntensityDlg : public CDialog {
public:
    explicit CIntensityDlg(CWnd* pParent = nullptr);

    // The document and the screen panel to edit; without them the main window's active view
    // gives them. Null pointers are ignored.
    void SetDocument(CKelvaneDoc* pDoc);
    void SetScreen(CScopeScreen* pScreen);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    // Sliders from the screen panel, persistence check and time list from the document.
    void LoadFromDocument();
    void TranslateTexts();

    // The sliders' values are taken only when the mouse releases them.
    void OnReleasedcaptureGridIntensity(NMHDR* pNMHDR, LRESULT* pResult);
    void OnReleasedcaptureWaveformIntensity(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCheckPersistence();
    void OnSelchangePersistenceTime();
    void OnButtonOk() { ShowWindow(SW_HIDE); }
    void OnOK() override { OnButtonOk(); }
    void OnCancel() override { ShowWindow(SW_HIDE); }

    std::int16_t m_nGridIntensity = 0;
    std::int16_t m_nWaveformIntensity = 0;
    std::int32_t m_bPersistence = 0;
    CComboBox m_listPersistenceTime;
    CButton m_chkPersistence;
    CSliderCtrl m_sliderGrid;
    CSliderCtrl m_sliderWaveform;

private:
    CKelvaneDoc* Document() const;
    CScopeScreen* Screen() const;
    CKelvaneDoc* m_pDoc = nullptr;
    CScopeScreen* m_pScreen = nullptr;
};
