#pragma once
// Printing of views. A print job carries a CPrintInfo: the pages to print, the page being
// printed and its drawing rectangle, and the printer chosen for it: a PDF file (the page is
// drawn into a PDF context) or a printer (each page is drawn into a bitmap context of the
// page's size and then put on the printer's page). Tests answer the print dialog and see the
// preview's pages through hooks, without showing anything.
#include "framework/CString.h"
#include "framework/Geometry.h"
#include "framework/WinDef.h"

#include <functional>

class CDC;

class CPrintInfo {
public:
    // A4 at 150 pixels per inch.
    static constexpr int kDefaultDpi = 150;
    static constexpr int kDefaultPageWidth = 1240;
    static constexpr int kDefaultPageHeight = 1754;

    CPrintInfo();

    void SetMinPage(UINT nMinPage) { m_nMinPage = nMinPage; }
    void SetMaxPage(UINT nMaxPage) { m_nMaxPage = nMaxPage; }
    UINT GetMinPage() const { return m_nMinPage; }
    UINT GetMaxPage() const { return m_nMaxPage; }
    UINT GetFromPage() const { return m_nFromPage; }
    UINT GetToPage() const { return m_nToPage; }

    BOOL m_bDirect = FALSE;          // printed without the print dialog
    BOOL m_bPreview = FALSE;         // drawn for the preview only
    BOOL m_bContinuePrinting = TRUE; // a view may end the job early
    UINT m_nCurPage = 1;
    CRect m_rectDraw; // the page's printable area in device pixels

    // The printer: a PDF file when m_strOutputFile is set, else the printer named (empty:
    // the default printer). Page size in device pixels at m_nDpi.
    CString m_strOutputFile;
    CString m_strPrinterName;
    int m_nPageWidth = kDefaultPageWidth;
    int m_nPageHeight = kDefaultPageHeight;
    int m_nDpi = kDefaultDpi;

    UINT m_nMinPage = 1;
    UINT m_nMaxPage = 1;
    UINT m_nFromPage = 1;
    UINT m_nToPage = 0xFFFF;
};

namespace kv {

// Answers the print dialog: it sees the job's CPrintInfo, may choose the printer or file and
// the page size, and returns IDOK or IDCANCEL. An empty hook shows the real dialog.
using PrintDialogHook = std::function<INT_PTR(CPrintInfo&)>;
void SetPrintDialogHook(PrintDialogHook hook);

// Receives each preview page, drawn into a bitmap context of the page's size, instead of the
// preview window. An empty hook shows the real preview.
using PrintPreviewHook = std::function<void(CDC& page, const CPrintInfo& info)>;
void SetPrintPreviewHook(PrintPreviewHook hook);

// The printer that Print Direct and the preview use: a PDF file when `outputFile` is set,
// else the system's default printer. Page size in device pixels at `dpi`.
void SetDefaultPrinter(const char* outputFile, int pageWidth = CPrintInfo::kDefaultPageWidth,
                       int pageHeight = CPrintInfo::kDefaultPageHeight, int dpi = CPrintInfo::kDefaultDpi);

} // namespace kv
