#include "app/StartupDialogs.h"

#include "app/DialogSupport.h"
#include "app/LanguageDialogAdapter.h"
#include "engine/KelvaneDoc.h"
#include "framework/DataExchange.h"
#include "resources/Resource.h"

namespace {

constexpr const char* kIdRangeMessage = "Device ID between 0 and 255 !";
constexpr const char* kChooseMessage = "Please choose a device !";
constexpr const char* kErrorCaption = "Error";

} // namespace

void TranslateStartupDialog(CKelvaneDoc* pDoc, CDialog& dialog) {
    if (!pDoc)
        return;
    pDoc->m_language.SetModel(pDoc->m_nModel);
    pDoc->m_language.SelectLanguage(pDoc->m_nLanguage);
    TranslateWindow(pDoc->m_language, dialog);
    dialog.SetWindowText(pDoc->GetText(static_cast<int>(dialog.m_nIDTemplate)));
}

// ---------------------------------------------------------------------------------------------
// Searching Device

CSearchDeviceDlg::CSearchDeviceDlg(CWnd* pParent) : CDialog(IDD_SEARCH_DEVICE, pParent) {
    OnControl(BN_CLICKED, IDC_BUTTON_CLOSE, [this] { OnButtonClose(); });
    OnControl(BN_CLICKED, IDC_BUTTON_IGNORE, [this] { OnButtonIgnore(); });
}

void CSearchDeviceDlg::SetDocument(CKelvaneDoc* pDoc) {
    if (pDoc)
        m_pDoc = pDoc;
}

void CSearchDeviceDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BUTTON_IGNORE, m_btnIgnore);
    DDX_Control(pDX, IDC_BUTTON_CLOSE, m_btnClose);
}

BOOL CSearchDeviceDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    TranslateStartupDialog(m_pDoc, *this);
    return TRUE;
}

void CSearchDeviceDlg::OnButtonClose() {
    EndDialog(IDOK);
}

void CSearchDeviceDlg::OnButtonIgnore() {
    EndDialog(IDCANCEL);
}

// ---------------------------------------------------------------------------------------------
// Device List

int CDeviceListDlg::EditId(int slot) {
    static const int ids[kSlots] = {IDC_EDIT_DEVICE_ID1, IDC_EDIT_DEVICE_ID2, IDC_EDIT_DEVICE_ID3,
                                    IDC_EDIT_DEVICE_ID4};
    return ids[slot];
}

int CDeviceListDlg::RadioId(int slot) {
    static const int ids[kSlots] = {IDC_RADIO_DEVICE1, IDC_RADIO_DEVICE2, IDC_RADIO_DEVICE3,
                                    IDC_RADIO_DEVICE4};
    return ids[slot];
}

int CDeviceListDlg::ModifyId(int slot) {
    static const int ids[kSlots] = {IDC_BUTTON_MODIFY_ID1, IDC_BUTTON_MODIFY_ID2, IDC_BUTTON_MODIFY_ID3,
                                    IDC_BUTTON_MODIFY_ID4};
    return ids[slot];
}

CEdit& CDeviceListDlg::Edit(int slot) {
    CEdit* edits[kSlots] = {&m_editId1, &m_editId2, &m_editId3, &m_editId4};
    return *edits[slot];
}

CButton& CDeviceListDlg::Radio(int slot) {
    CButton* radios[kSlots] = {&m_radioDevice1, &m_radioDevice2, &m_radioDevice3, &m_radioDevice4};
    return *radios[slot];
}

CButton& CDeviceListDlg::Modify(int slot) {
    CButton* buttons[kSlots] = {&m_btnModify1, &m_btnModify2, &m_btnModify3, &m_btnModify4};
    return *buttons[slot];
}

CDeviceListDlg::CDeviceListDlg(CWnd* pParent) : CDialog(IDD_DEVICE_LIST, pParent) {
    for (int slot = 0; slot < kSlots; ++slot) {
        OnControl(EN_CHANGE, static_cast<UINT>(EditId(slot)), [this, slot] { OnChangeDeviceId(slot); });
        OnControl(BN_CLICKED, static_cast<UINT>(ModifyId(slot)), [this, slot] { OnButtonModifyId(slot); });
        OnControl(BN_CLICKED, static_cast<UINT>(RadioId(slot)), [this, slot] { OnRadioDevice(slot); });
    }
    OnControl(BN_CLICKED, IDC_DEVICE_OK, [this] { OnButtonOk(); });
    OnControl(BN_CLICKED, IDC_DEVICE_CANCEL, [this] { OnButtonCancel(); });
}

void CDeviceListDlg::SetDocument(CKelvaneDoc* pDoc) {
    if (pDoc)
        m_pDoc = pDoc;
}

void CDeviceListDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    for (int slot = kSlots - 1; slot >= 0; --slot)
        DDX_Control(pDX, EditId(slot), Edit(slot));
    for (int slot = kSlots - 1; slot >= 0; --slot)
        DDX_Control(pDX, RadioId(slot), Radio(slot));
    for (int slot = kSlots - 1; slot >= 0; --slot)
        DDX_Control(pDX, ModifyId(slot), Modify(slot));
    for (int slot = 0; slot < kSlots; ++slot)
        DDX_Text(pDX, EditId(slot), m_nDeviceId[slot]);
}

BOOL CDeviceListDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    TranslateStartupDialog(m_pDoc, *this);
    for (int slot = 0; slot < kSlots; ++slot)
        Edit(slot).SetLimitText(3);
    bool anyChecked = false;
    for (int slot = 0; slot < kSlots; ++slot) {
        const bool present = m_pDoc && m_pDoc->m_usb.IsPresent(slot);
        if (present) {
            if (!anyChecked) {
                Radio(slot).SetCheck(BST_CHECKED);
                anyChecked = true;
            }
            m_nDeviceId[slot] = m_pDoc->m_usb.GetAddress(slot);
            SetDlgItemInt(EditId(slot), m_nDeviceId[slot]);
        } else {
            Radio(slot).EnableWindow(FALSE);
            Edit(slot).EnableWindow(FALSE);
            Modify(slot).EnableWindow(FALSE);
        }
    }
    return TRUE;
}

void CDeviceListDlg::OnChangeDeviceId(int slot) {
    if (slot < 0 || slot >= kSlots)
        return;
    CString text;
    GetDlgItemText(EditId(slot), text);
    long value = 0;
    // A half-typed entry ("" or "-") is not a number yet; it is left alone without a message.
    if (!ParseWholeNumber(text, value))
        return;
    if (value < 0 || value > 255) {
        value = value < 0 ? 0 : 255;
        m_nDeviceId[slot] = static_cast<std::int16_t>(value);
        SetDlgItemInt(EditId(slot), static_cast<int>(value));
        return;
    }
    m_nDeviceId[slot] = static_cast<std::int16_t>(value);
}

void CDeviceListDlg::OnButtonModifyId(int slot) {
    if (slot < 0 || slot >= kSlots)
        return;
    const int id = m_nDeviceId[slot];
    if (id < 0 || id > 255) {
        MessageBox(kIdRangeMessage, kErrorCaption, MB_OK);
        return;
    }
    if (!m_pDoc)
        return;
    m_pDoc->ChangeDeviceAddress(static_cast<std::int16_t>(slot), static_cast<std::int16_t>(id));
}

void CDeviceListDlg::OnRadioDevice(int slot) {
    if (slot < 0 || slot >= kSlots || Radio(slot).GetCheck() != BST_CHECKED)
        return;
    for (int other = 0; other < kSlots; ++other)
        if (other != slot)
            Radio(other).SetCheck(BST_UNCHECKED);
}

void CDeviceListDlg::OnOK() {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (Radio(slot).GetCheck() == BST_CHECKED) {
            if (m_pDoc)
                m_pDoc->SelectDevice(static_cast<std::int16_t>(slot));
            EndDialog(IDOK);
            return;
        }
    }
    MessageBox(kChooseMessage, kErrorCaption, MB_OK);
}
