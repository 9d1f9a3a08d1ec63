// File commands: which dialog, which filter, which reader or writer, and what the view does
// after a successful read.
#include "app/KelvaneView.h"

#include "app/SaveChannelDlg.h"
#include "app/SidePanelMirror.h"
#include "engine/KelvaneDoc.h"
#include "framework/CommonDialogs.h"
#include "resources/Resource.h"
#include "system/Paths.h"

#include <string>

namespace {

constexpr UINT kImageDelayMs = 1;

std::string Extension(const CString& path) {
    return kv::ExtensionOf4(path.GetString());
}

} // namespace

int CKelvaneView::RunFileDialog(BOOL open, const char* defExt, const char* filter, const char* title,
                                CString& path) {
    CFileDialog dlg(open, defExt, nullptr, OFN_OVERWRITEPROMPT, filter, this);
    dlg.m_ofn.lpstrTitle = title;
    if (dlg.DoModal() != IDOK)
        return 0;
    path = dlg.GetPathName();
    return path.IsEmpty() ? 0 : 1;
}

void CKelvaneView::OnFileLoadCsv() {
    CString path;
    if (!RunFileDialog(TRUE, ".csv", "CSV File(*.csv)|*.csv|All Files(*.*)|*.*||", "Load CSV File...", path))
        return;
    CKelvaneDoc& doc = *m_pDoc;
    if (!doc.LoadCsvFile(path.GetString()))
        return;
    ChooseRecordLengthForCsv(doc.m_ch1.GetRecordLength());
    RunStop();
    if (!doc.m_ch1.IsOn()) {
        doc.m_ch1.SetOn(1);
        SidePanelMirror().EnableChannelControls(0);
        doc.ApplyChannelEnable();
    }
    if (doc.m_ch2.IsOn()) {
        doc.m_ch2.SetOn(0);
        SidePanelMirror().DisableChannelControls(1);
        doc.ApplyChannelEnable();
    }
}

void CKelvaneView::OnFileLoadSetups() {
    CString path;
    if (!RunFileDialog(TRUE, ".set", "Setup File(*.set)|*.set|All Files(*.*)|*.*||", "Load Setup File...",
                       path))
        return;
    // A file the user chose and that cannot be used is named in a message; nothing changes.
    if (!m_pDoc->LoadSetupFile(path.GetString(), true))
        return;
    SidePanelMirror().LoadFromDocument();
    ReloadPanelsFromDocument();
    RecalcLayout();
}

void CKelvaneView::OnFileSaveSetups() {
    CString path;
    if (RunFileDialog(FALSE, ".set", "Setup File(*.set)|*.set||", "Save Setups As...", path))
        m_pDoc->SaveSetupFile(path.GetString(), true);
}

void CKelvaneView::OnFileSaveCsv() {
    CSaveChannelDlg choice(this);
    choice.SetDocument(m_pDoc);
    if (choice.DoModal() != IDOK)
        return;
    CString path;
    if (!RunFileDialog(FALSE, ".csv", "CSV File(*.csv)|*.csv||", "Save Data As CSV...", path))
        return;
    // Another extension would write nothing while the user believes the data was saved.
    if (Extension(path) != ".csv") {
        MessageBox("This is not a CSV file!", nullptr, MB_OK);
        return;
    }
    m_pDoc->SaveCsvFile(path.GetString());
}

void CKelvaneView::OnFileSaveImage() {
    CString path;
    // Each name gets the format it asks for (the writer goes by the extension).
    if (!RunFileDialog(FALSE, ".bmp", "BMP File(*.bmp)|*.bmp|JPEG File(*.jpg)|*.jpg|PNG File(*.png)|*.png||",
                       "Save Data As...", path))
        return;
    m_strImagePath = path;
    m_nImageTimer = static_cast<UINT>(SetTimer(IDT_IMAGE, kImageDelayMs));
}

void CKelvaneView::OnReferenceLoad() {
    CString path;
    if (!RunFileDialog(TRUE, ".rfc", "Reference File(*.rfc)|*.rfc|Old Reference File(*.ref)|*.ref||",
                       "Load Reference File...", path))
        return;
    LoadReferenceByExtension(path.GetString());
}

int CKelvaneView::LoadReferenceByExtension(const char* path) {
    if (!m_pDoc || !path)
        return 0;
    CKelvaneDoc& doc = *m_pDoc;
    const std::string ext = kv::ExtensionOf4(path);
    int loaded = 0;
    if (ext == ".rfc")
        loaded = doc.LoadReferenceFile(path);
    else if (ext == ".ref")
        loaded = doc.LoadOldReferenceFile(path);
    if (!loaded)
        return 0;
    doc.m_ref.CopyRecord();
    doc.m_ref.SetOn(1);
    // A loaded reference is no longer empty; left set, REF on would ask for a file every time.
    doc.m_ref.SetNoSamples(0);
    Screen().UpdateMarkerPositions();
    return 1;
}

void CKelvaneView::OnReferenceSave() {
    CSaveChannelDlg choice(this);
    choice.SetDocument(m_pDoc);
    if (choice.DoModal() != IDOK)
        return;
    CString path;
    if (!RunFileDialog(FALSE, ".rfc", "Reference File(*.rfc)|*.rfc||", "Save Data As Reference File...",
                       path))
        return;
    // Another extension would write nothing while the user believes the data was saved.
    if (Extension(path) != ".rfc") {
        MessageBox("This is not a reference file!", nullptr, MB_OK);
        return;
    }
    m_pDoc->SaveReferenceFile(path.GetString());
}
