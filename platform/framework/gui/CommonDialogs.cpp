#include "framework/CommonDialogs.h"

#include "framework/WinApp.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QStringList>

namespace {
CFileDialog::Hook g_fileHook;
CColorDialog::Hook g_colorHook;

// The common dialogs are windows of their own over the top-level window of their parent. Without
// a parent they belong to the window the person is working in (a panel of the main window, say),
// so that the keyboard goes back there when they close.
QWidget* ParentWidget(CWnd* parent) {
    if (parent && parent->GetWidget())
        return parent->GetWidget()->window();
    if (QWidget* active = QApplication::activeWindow(); active && CWnd::FromWidget(active))
        return active;
    CWnd* main = AfxGetMainWnd();
    return main && main->GetWidget() ? main->GetWidget()->window() : nullptr;
}
} // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt, const char* lpszFileName,
                         DWORD dwFlags, const char* lpszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog), m_strDefExt(lpszDefExt), m_strFileName(lpszFileName),
      m_strFilter(lpszFilter), m_pParentWnd(pParentWnd) {
    m_ofn.Flags = dwFlags;
    // The default extension is kept without its leading dot.
    if (m_strDefExt.GetLength() > 0 && m_strDefExt[0] == '.')
        m_strDefExt = m_strDefExt.Mid(1);
}

void CFileDialog::SetHook(Hook hook) {
    g_fileHook = std::move(hook);
}

void CFileDialog::SetChosenPath(const char* path) {
    m_strPathName = path ? path : "";
    const CString name = GetFileName();
    if (!name.IsEmpty() && name.Find('.') < 0 && !m_strDefExt.IsEmpty())
        m_strPathName += CString(".") + m_strDefExt;
}

CString CFileDialog::GetFileName() const {
    const int slash = m_strPathName.ReverseFind('/');
    return slash < 0 ? m_strPathName : m_strPathName.Mid(slash + 1);
}

CString CFileDialog::GetFileExt() const {
    const CString name = GetFileName();
    const int dot = name.ReverseFind('.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const {
    const CString name = GetFileName();
    const int dot = name.ReverseFind('.');
    return dot < 0 ? name : name.Left(dot);
}

INT_PTR CFileDialog::DoModal() {
    m_strPathName.Empty();
    if (g_fileHook)
        return g_fileHook(*this);
    kv::EnsureApplication();
    // "Label|pattern|Label|pattern||" becomes Qt name filters "Label (pattern)".
    QStringList filters;
    QStringList patterns;
    const QStringList parts = QString::fromUtf8(m_strFilter.GetString()).split('|');
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QString pattern = parts[i + 1];
        pattern.replace(';', ' ');
        filters << QStringLiteral("%1 (%2)").arg(parts[i], pattern);
        patterns << pattern;
    }
    QFileDialog dialog(ParentWidget(m_pParentWnd));
    if (m_ofn.lpstrTitle)
        dialog.setWindowTitle(QString::fromUtf8(m_ofn.lpstrTitle));
    dialog.setAcceptMode(m_bOpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(m_bOpenFileDialog ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(m_ofn.Flags & OFN_OVERWRITEPROMPT));
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = static_cast<int>(m_ofn.nFilterIndex) - 1;
        if (index >= 0 && index < filters.size())
            dialog.selectNameFilter(filters[index]);
    }
    if (!m_strDefExt.IsEmpty())
        dialog.setDefaultSuffix(QString::fromUtf8(m_strDefExt.GetString()));
    if (!m_strFileName.IsEmpty())
        dialog.selectFile(QString::fromUtf8(m_strFileName.GetString()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return IDCANCEL;
    m_ofn.nFilterIndex = static_cast<DWORD>(filters.indexOf(dialog.selectedNameFilter()) + 1);
    SetChosenPath(dialog.selectedFiles().first().toUtf8().constData());
    return IDOK;
}

CColorDialog::CColorDialog(COLORREF clrInit, DWORD dwFlags, CWnd* pParentWnd) : m_pParentWnd(pParentWnd) {
    m_cc.rgbResult = clrInit;
    m_cc.Flags = dwFlags;
}

void CColorDialog::SetHook(Hook hook) {
    g_colorHook = std::move(hook);
}

INT_PTR CColorDialog::DoModal() {
    if (g_colorHook)
        return g_colorHook(*this);
    kv::EnsureApplication();
    const QColor initial =
        (m_cc.Flags & CC_RGBINIT)
            ? QColor(GetRValue(m_cc.rgbResult), GetGValue(m_cc.rgbResult), GetBValue(m_cc.rgbResult))
            : QColor(Qt::black);
    const QColor chosen = QColorDialog::getColor(initial, ParentWidget(m_pParentWnd));
    if (!chosen.isValid())
        return IDCANCEL;
    m_cc.rgbResult = RGB(chosen.red(), chosen.green(), chosen.blue());
    return IDOK;
}
