#pragma once
// The Average panel: how many frames the Average acquisition mode averages (1..128). Modeless;
// created once by the view, shown from the menu and only hidden when closed.
#include <cstdint>

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CKelvaneDoc;

class CAverageDlg : public CDialog {
public:
    explicit CAverageDlg(CWnd* pParent = nullptr);

    // The document to edit; without one the main window's active view gives it. A null
    // pointer is ignored.
    void SetDocument(CKelvaneDoc* pDoc);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    // The edit shows the averaging buffer's wanted-frame count.
    void LoadFromDocument();
    // Relabels the controls and the caption from the document's language.
    void TranslateTexts();

    // Edit 1109 changed: the count is kept within 1..128 as typed.
    void OnChangeAverageCount();
    // OK: a new count restarts averaging from an empty history; then the panel hides.
    void OnButtonOk();
    void OnOK() override { OnButtonOk(); }
    // Cancel: the edit goes back to the stored count; then the panel hides.
    void OnButtonCancel();
    void OnCancel() override { OnButtonCancel(); }

    CButton m_btnCancel;
    CButton m_btnOk;
    CEdit m_editCount;
    std::int32_t m_nAverageCount = 1;

private:
    CKelvaneDoc* Document() const;
    CKelvaneDoc* m_pDoc = nullptr;
};
