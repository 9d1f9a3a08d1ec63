#include "app/SaveChannelDlg.h"

#include "app/LanguageDialogAdapter.h"
#include "engine/KelvaneDoc.h"
#include "framework/DataExchange.h"
#include "resources/Resource.h"
#include "resources/dialogs/RecordDialogTemplates.h"

CSaveChannelDlg::CSaveChannelDlg(CWnd* pParent) : CDialog(IDD_SAVE_CHANNEL, pParent) {
    kv::RegisterRecordDialogTemplates();
    OnControl(BN_CLICKED, IDC_SAVE_CHANNEL_OK, [this] { OnButtonOk(); });
}

void CSaveChannelDlg::SetDocument(CKelvaneDoc* pDoc) {
    if (pDoc)
        m_pDoc = pDoc;
}

void CSaveChannelDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RADIO_SAVE_CH1, m_radioCh1);
    DDX_Control(pDX, IDC_RADIO_SAVE_CH2, m_radioCh2);
    DDX_Control(pDX, IDC_SAVE_CHANNEL_OK, m_btnOk);
}

BOOL CSaveChannelDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_pDoc) {
        TranslateWindow(m_pDoc->m_language, *this);
        SetWindowText(m_pDoc->GetText(static_cast<int>(IDD_SAVE_CHANNEL)));
    }
    EnableChannelButtons();
    return TRUE;
}

void CSaveChannelDlg::EnableChannelButtons() {
    const bool ch1 = m_pDoc && m_pDoc->m_ch1.IsOn();
    const bool ch2 = m_pDoc && m_pDoc->m_ch2.IsOn();
    m_radioCh1.EnableWindow(TRUE);
    m_radioCh2.EnableWindow(TRUE);
    m_btnOk.EnableWindow(TRUE);
    m_radioCh1.SetCheck(BST_UNCHECKED);
    m_radioCh2.SetCheck(BST_UNCHECKED);
    if (ch1 && ch2) {
        (m_pDoc->m_nSaveChannel != 0 ? m_radioCh2 : m_radioCh1).SetCheck(BST_CHECKED);
    } else if (ch1) {
        m_radioCh2.EnableWindow(FALSE);
        m_radioCh1.SetCheck(BST_CHECKED);
    } else if (ch2) {
        m_radioCh1.EnableWindow(FALSE);
        m_radioCh2.SetCheck(BST_CHECKED);
    } else {
        m_radioCh1.EnableWindow(FALSE);
        m_radioCh2.EnableWindow(FALSE);
        m_btnOk.EnableWindow(FALSE);
    }
}

void CSaveChannelDlg::OnButtonOk() {
    // With no channel on there is nothing to save; OK is disabled then.
    if (!m_btnOk.IsWindowEnabled())
        return;
    if (m_pDoc) {
        if (m_radioCh1.GetCheck() == BST_CHECKED)
            m_pDoc->m_nSaveChannel = 0;
        else if (m_radioCh2.GetCheck() == BST_CHECKED)
            m_pDoc->m_nSaveChannel = 1;
        else
            m_pDoc->m_nSaveChannel = 2;
    }
    EndDialog(1);
}
