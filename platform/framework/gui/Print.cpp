// The framework's print path: the print dialog, the printer context for each page and the
// preview, driving a view's OnPreparePrinting / OnBeginPrinting / OnPrint / OnEndPrinting.
#include "framework/Print.h"

#include "framework/DC.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr UINT kIdFilePrint = 57607;
constexpr UINT kIdFilePrintDirect = 57608;
constexpr UINT kIdFilePrintPreview = 57609;
// Largest page accepted, in device pixels per side; a larger one would exhaust memory.
constexpr int kMaxPageSide = 20000;
constexpr const char* kNoPrinter = "No printer is available. Choose \"Print to File\" in the print dialog.";

struct PrintState {
    kv::PrintDialogHook dialogHook;
    kv::PrintPreviewHook previewHook;
    CString defaultOutput;
    int width = CPrintInfo::kDefaultPageWidth;
    int height = CPrintInfo::kDefaultPageHeight;
    int dpi = CPrintInfo::kDefaultDpi;
};

PrintState& State() {
    static PrintState state;
    return state;
}

void ApplyDefaultPrinter(CPrintInfo& info) {
    const PrintState& s = State();
    info.m_strOutputFile = s.defaultOutput;
    info.m_nPageWidth = s.width;
    info.m_nPageHeight = s.height;
    info.m_nDpi = s.dpi;
}

bool PageSizeUsable(const CPrintInfo& info) {
    return info.m_nPageWidth > 0 && info.m_nPageHeight > 0 && info.m_nPageWidth <= kMaxPageSide &&
           info.m_nPageHeight <= kMaxPageSide && info.m_nDpi > 0 && info.m_nDpi <= 4800;
}

// The context of one printed page: a page of the PDF file, or a bitmap of the page's size that
// is then put on the printer's page or shown in the preview. Both start alike, white and with
// the printer's default font (a sans-serif face of 10 points at the page's resolution), so the
// preview lays its text out exactly as the printed page does.
class CPrintPage {
public:
    // A bitmap page.
    explicit CPrintPage(const CPrintInfo& info) {
        if (!dc.CreateCompatibleDC(nullptr) ||
            !bitmap.CreateCompatibleBitmap(&dc, info.m_nPageWidth, info.m_nPageHeight))
            return;
        oldBitmap = dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, info.m_nPageWidth, info.m_nPageHeight, RGB(255, 255, 255));
        ok = PageDefaults(info);
    }
    // The pages of the PDF file `path`.
    CPrintPage(const CPrintInfo& info, const char* path) {
        if (!dc.CreatePrintFileDC(path, info.m_nPageWidth, info.m_nPageHeight, info.m_nDpi))
            return;
        ok = PageDefaults(info);
    }
    ~CPrintPage() {
        if (oldFont)
            dc.SelectObject(oldFont);
        if (oldBitmap)
            dc.SelectObject(oldBitmap);
    }
    CPrintPage(const CPrintPage&) = delete;
    CPrintPage& operator=(const CPrintPage&) = delete;

    // The page as an image. The drawing layer gives 32-bit rows of B, G, R and an unused
    // byte; that byte is made opaque, as a transparent page would show nothing on a printer
    // or in the preview but the paper behind it.
    QImage Image(const CPrintInfo& info) {
        QImage image(info.m_nPageWidth, info.m_nPageHeight, QImage::Format_RGB32);
        const LONG size = static_cast<LONG>(image.sizeInBytes());
        if (!bitmap.GetSafeHandle() ||
            GetBitmapBits(static_cast<HBITMAP>(bitmap), size, image.bits()) != size)
            return QImage();
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<quint32*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                row[x] |= 0xFF000000u;
        }
        return image;
    }

    CDC dc;
    bool ok = false;

private:
    bool PageDefaults(const CPrintInfo& info) {
        dc.SetBkColor(RGB(255, 255, 255));
        if (!font.Attach(KvCreatePrinterFont(info.m_nDpi)))
            return false;
        oldFont = dc.SelectObject(&font);
        dc.m_bPrinting = TRUE;
        return true;
    }

    CBitmap bitmap;
    CFont font;
    CBitmap* oldBitmap = nullptr;
    CFont* oldFont = nullptr;
};

// Draws the job's pages. `pageDone` receives each finished bitmap page (printer and preview);
// a PDF job draws straight into the file's context. Either way each page starts from the same
// CPrintPage defaults and is drawn by the same OnPrint.
BOOL RunPages(CView& view, CPrintInfo& info, const std::function<bool(CPrintPage&)>& pageDone) {
    if (!PageSizeUsable(info))
        return FALSE;
    const bool toFile = !info.m_bPreview && !info.m_strOutputFile.IsEmpty();
    std::unique_ptr<CPrintPage> page =
        toFile ? std::make_unique<CPrintPage>(info, info.m_strOutputFile.GetString())
               : std::make_unique<CPrintPage>(info);
    if (!page->ok)
        return FALSE;
    CDC* pDC = &page->dc;

    view.OnBeginPrinting(pDC, &info);
    DOCINFO doc;
    doc.lpszDocName = "Kelvane";
    if (toFile && pDC->StartDoc(&doc) <= 0) {
        view.OnEndPrinting(pDC, &info);
        return FALSE;
    }
    BOOL ok = TRUE;
    const UINT first = std::max(info.m_nFromPage, info.GetMinPage());
    const UINT last = std::min(info.m_nToPage, info.GetMaxPage());
    for (UINT number = first; number <= last && info.m_bContinuePrinting && ok; ++number) {
        info.m_nCurPage = number;
        info.m_rectDraw = CRect(0, 0, info.m_nPageWidth, info.m_nPageHeight);
        if (toFile) {
            pDC->StartPage();
            view.OnPrint(pDC, &info);
            if (pDC->EndPage() <= 0)
                ok = FALSE;
        } else {
            if (number != first) {
                page = std::make_unique<CPrintPage>(info);
                if (!page->ok) {
                    ok = FALSE;
                    break;
                }
                pDC = &page->dc;
            }
            view.OnPrint(pDC, &info);
            if (!pageDone(*page))
                ok = FALSE;
        }
    }
    if (toFile) {
        if (ok)
            pDC->EndDoc();
        else
            pDC->AbortDoc();
    }
    view.OnEndPrinting(pDC, &info);
    return ok;
}

QWidget* ParentOf(CView& view) {
    CWnd* top = view.GetTopLevelParent();
    return top ? top->GetWidget() : view.GetWidget();
}

// Reads the page size of a printer at its resolution into the job.
void TakePrinterPage(QPrinter& printer, CPrintInfo& info) {
    const QRect paint = printer.pageLayout().paintRectPixels(printer.resolution());
    if (paint.width() > 0 && paint.height() > 0) {
        info.m_nPageWidth = paint.width();
        info.m_nPageHeight = paint.height();
        info.m_nDpi = printer.resolution();
    }
}

} // namespace

CPrintInfo::CPrintInfo() : m_rectDraw(0, 0, kDefaultPageWidth, kDefaultPageHeight) {}

namespace kv {

void SetPrintDialogHook(PrintDialogHook hook) {
    State().dialogHook = std::move(hook);
}
void SetPrintPreviewHook(PrintPreviewHook hook) {
    State().previewHook = std::move(hook);
}

void SetDefaultPrinter(const char* outputFile, int pageWidth, int pageHeight, int dpi) {
    PrintState& s = State();
    s.defaultOutput = outputFile ? outputFile : "";
    s.width = pageWidth;
    s.height = pageHeight;
    s.dpi = dpi;
}

} // namespace kv

// ---------------------------------------------------------------------------------------------
// CView's print path

CView::CView() {
    CCmdTarget::OnCommand(kIdFilePrint, [this] { OnFilePrint(); });
    CCmdTarget::OnCommand(kIdFilePrintDirect, [this] { OnFilePrintDirect(); });
    CCmdTarget::OnCommand(kIdFilePrintPreview, [this] { OnFilePrintPreview(); });
}

BOOL CView::OnPreparePrinting(CPrintInfo* pInfo) {
    return DoPreparePrinting(pInfo);
}
void CView::OnBeginPrinting(CDC*, CPrintInfo*) {}
void CView::OnPrint(CDC* pDC, CPrintInfo*) {
    OnDraw(pDC);
}
void CView::OnEndPrinting(CDC*, CPrintInfo*) {}

BOOL CView::DoPreparePrinting(CPrintInfo* pInfo) {
    if (!pInfo)
        return FALSE;
    ApplyDefaultPrinter(*pInfo);
    if (pInfo->m_bDirect || pInfo->m_bPreview)
        return TRUE;
    if (const kv::PrintDialogHook& hook = State().dialogHook)
        return hook(*pInfo) == IDOK ? TRUE : FALSE;
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(pInfo->m_nDpi);
    QPrintDialog dialog(&printer, ParentOf(*this));
    dialog.setMinMax(static_cast<int>(pInfo->GetMinPage()), static_cast<int>(pInfo->GetMaxPage()));
    if (dialog.exec() != QDialog::Accepted)
        return FALSE;
    TakePrinterPage(printer, *pInfo);
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        pInfo->m_strOutputFile = printer.outputFileName().toUtf8().constData();
    } else {
        pInfo->m_strOutputFile = "";
        pInfo->m_strPrinterName = printer.printerName().toUtf8().constData();
    }
    return TRUE;
}

namespace {

// Prints a prepared job: into its PDF file, or page by page onto the printer.
void PrintJob(CView& view, CPrintInfo& info) {
    if (!info.m_strOutputFile.IsEmpty()) {
        RunPages(view, info, [](CPrintPage&) { return true; });
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    if (!info.m_strPrinterName.IsEmpty())
        printer.setPrinterName(QString::fromUtf8(info.m_strPrinterName.GetString()));
    if (QPrinterInfo::availablePrinters().isEmpty() && printer.outputFileName().isEmpty()) {
        // Without a printer the painter would fail on the first page; say so instead.
        AfxMessageBox(kNoPrinter, MB_OK | MB_ICONERROR);
        return;
    }
    printer.setResolution(info.m_nDpi);
    QPainter painter;
    bool started = false;
    RunPages(view, info, [&](CPrintPage& page) {
        if (!started) {
            if (!painter.begin(&printer))
                return false;
            started = true;
        } else if (!printer.newPage()) {
            return false;
        }
        const QImage image = page.Image(info);
        const QRect target = printer.pageLayout().paintRectPixels(printer.resolution());
        painter.drawImage(QRect(0, 0, target.width(), target.height()), image);
        return true;
    });
    if (started)
        painter.end();
}

// Draws the job's pages onto `target` at its page size, one bitmap page per printer page.
void PaintPages(CView& view, const CPrintInfo& prepared, QPrinter& target) {
    CPrintInfo job = prepared;
    job.m_bPreview = TRUE; // bitmap pages, whatever the target writes them into
    TakePrinterPage(target, job);
    QPainter painter;
    bool started = false;
    RunPages(view, job, [&](CPrintPage& page) {
        if (!started) {
            if (!painter.begin(&target))
                return false;
            // Scaled down in the preview, one-pixel lines of the page stay visible.
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            started = true;
        } else if (!target.newPage()) {
            return false;
        }
        const QImage image = page.Image(job);
        if (image.isNull())
            return false;
        painter.drawImage(QRect(0, 0, job.m_nPageWidth, job.m_nPageHeight), image);
        return true;
    });
    if (started)
        painter.end();
}

} // namespace

void CView::OnFilePrint() {
    CPrintInfo info;
    if (!OnPreparePrinting(&info))
        return;
    PrintJob(*this, info);
}

void CView::OnFilePrintDirect() {
    CPrintInfo info;
    info.m_bDirect = TRUE;
    if (!OnPreparePrinting(&info))
        return;
    PrintJob(*this, info);
}

void CView::OnFilePrintPreview() {
    CPrintInfo info;
    info.m_bPreview = TRUE;
    if (!OnPreparePrinting(&info))
        return;
    if (const kv::PrintPreviewHook& hook = State().previewHook) {
        RunPages(*this, info, [&](CPrintPage& page) {
            hook(page.dc, info);
            return true;
        });
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(info.m_nDpi);
    QPrintPreviewDialog preview(&printer, ParentOf(*this));
    // The pages are drawn for the printer that asks for them: the preview's own, or the one
    // chosen from the preview's print button, so both show the same page at their size.
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [this, &info](QPrinter* target) { PaintPages(*this, info, *target); });
    preview.exec();
}
