#pragma once
// The two modal dialogs of the start-up device search: Searching Device (no instrument found:
// quit or run in demo mode) and Device List (several instruments: choose one, change IDs).
// Both load the document's language themselves, since they open before the main window has.
#include <cstdint>

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CKelvaneDoc;

class CSearchDeviceDlg : public CDialog {
public:
    explicit CSearchDeviceDlg(CWnd* pParent = nullptr);
    // A null pointer is ignored.
    void SetDocument(CKelvaneDoc* pDoc);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    CButton m_btnIgnore;
    CButton m_btnClose;
    CKelvaneDoc* m_pDoc = nullptr;

private:
    // Close ends with IDOK (quit); Ignore ends with IDCANCEL (demo mode).
    void OnButtonClose();
    void OnButtonIgnore();
};

class CDeviceListDlg : public CDialog {
public:
    static constexpr int kSlots = 4;

    explicit CDeviceListDlg(CWnd* pParent = nullptr);
    void SetDocument(CKelvaneDoc* pDoc);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    // Stores the first checked slot as the current device index and ends with IDOK; without a
    // choice asks for one and stays open.
    void OnOK() override;

    // Slot 0..3 (the dialog's "Device 1".."Device 4").
    void OnChangeDeviceId(int slot);
    void OnButtonModifyId(int slot);
    void OnRadioDevice(int slot);
    void OnButtonOk() { OnOK(); }
    void OnButtonCancel() { EndDialog(IDCANCEL); }

    CEdit m_editId4;
    CEdit m_editId3;
    CEdit m_editId2;
    CEdit m_editId1;
    CButton m_radioDevice4;
    CButton m_radioDevice3;
    CButton m_radioDevice2;
    CButton m_radioDevice1;
    CButton m_btnModify4;
    CButton m_btnModify3;
    CButton m_btnModify2;
    CButton m_btnModify1;
    std::int16_t m_nDeviceId[kSlots] = {0, 0, 0, 0};
    CKelvaneDoc* m_pDoc = nullptr;

    static int EditId(int slot);
    static int RadioId(int slot);
    static int ModifyId(int slot);

private:
    CEdit& Edit(int slot);
    CButton& Radio(int slot);
    CButton& Modify(int slot);
};

// Loads the document's language into its table, relabels the dialog's controls by id and sets
// its caption to the text keyed by the dialog id. Used by dialogs that open before the main window.
void TranslateStartupDialog(CKelvaneDoc* pDoc, CDialog& dialog);
