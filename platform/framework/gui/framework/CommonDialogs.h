#pragma once
// The standard file and colour dialogs. A hook set by tests answers them without showing
// anything: it sees the dialog, may set its result (path or colour) and returns IDOK or IDCANCEL.
#include "framework/CString.h"
#include "framework/Wnd.h"

#include <functional>

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD CC_RGBINIT = 0x00000001;
constexpr DWORD CC_FULLOPEN = 0x00000002;

struct OPENFILENAME {
    const char* lpstrTitle = nullptr;
    DWORD nFilterIndex = 1; // 1-based filter chosen
    DWORD Flags = 0;
};

class CFileDialog {
public:
    // lpszFilter: "Label|pattern|Label|pattern||" pairs.
    explicit CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt = nullptr,
                         const char* lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         const char* lpszFilter = nullptr, CWnd* pParentWnd = nullptr);
    virtual ~CFileDialog() = default;
    virtual INT_PTR DoModal();

    CString GetPathName() const { return m_strPathName; }
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFileTitle() const;

    OPENFILENAME m_ofn;

    // For hooks.
    BOOL IsOpenDialog() const { return m_bOpenFileDialog; }
    const CString& GetDefExt() const { return m_strDefExt; }
    const CString& GetFilter() const { return m_strFilter; }
    const CString& GetInitialFileName() const { return m_strFileName; }
    // The chosen path; the default extension is added when the name has none.
    void SetChosenPath(const char* path);

    using Hook = std::function<INT_PTR(CFileDialog&)>;
    static void SetHook(Hook hook);

private:
    BOOL m_bOpenFileDialog;
    CString m_strDefExt;
    CString m_strFileName;
    CString m_strFilter;
    CString m_strPathName;
    CWnd* m_pParentWnd;
};

struct CHOOSECOLOR {
    COLORREF rgbResult = 0;
    COLORREF* lpCustColors = nullptr;
    DWORD Flags = 0;
};

class CColorDialog {
public:
    explicit CColorDialog(COLORREF clrInit = 0, DWORD dwFlags = 0, CWnd* pParentWnd = nullptr);
    virtual ~CColorDialog() = default;
    virtual INT_PTR DoModal();
    COLORREF GetColor() const { return m_cc.rgbResult; }
    void SetCurrentColor(COLORREF clr) { m_cc.rgbResult = clr; }
    CHOOSECOLOR m_cc;

    using Hook = std::function<INT_PTR(CColorDialog&)>;
    static void SetHook(Hook hook);

private:
    CWnd* m_pParentWnd;
};
