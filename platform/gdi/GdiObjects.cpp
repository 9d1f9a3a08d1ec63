// Handle table, stock objects, object creation and selection, device-context state.
#include "GdiInternal.h"

#include <cairo-pdf.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace kvgdi {
namespace {

struct Table {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, ObjectPtr> objects;
    std::unordered_map<std::uintptr_t, std::shared_ptr<DC>> dcs;
    std::uintptr_t next = 0x10000;
    std::uintptr_t NewId() {
        next += 16;
        return next;
    }
};

Table& table() {
    static Table* t = new Table; // never destroyed: handles may be released during static teardown
    return *t;
}

// Cairo's writer for PDF and PNG files.
cairo_status_t WriteToStream(void* stream, const unsigned char* data, unsigned int length) {
    return static_cast<kv::OutputStream*>(stream)->Write(data, length) ? CAIRO_STATUS_SUCCESS
                                                                       : CAIRO_STATUS_WRITE_ERROR;
}

struct Stock {
    HGDIOBJ handles[18] = {};
    HGDIOBJ bitmap = nullptr;
    std::uintptr_t first = 0, last = 0;
};

HGDIOBJ RegisterStockPen(int style, COLORREF c) {
    auto p = std::make_shared<Pen>();
    p->style = style;
    p->color = c;
    return reinterpret_cast<HGDIOBJ>(Register(p));
}
HGDIOBJ RegisterStockBrush(bool null, COLORREF c) {
    auto b = std::make_shared<Brush>();
    b->null = null;
    b->color = c;
    return reinterpret_cast<HGDIOBJ>(Register(b));
}

const Stock& stock() {
    static const Stock s = [] {
        Stock st;
        {
            std::lock_guard<std::mutex> lock(table().mutex);
            st.first = table().next + 16;
        }
        st.handles[WHITE_BRUSH] = RegisterStockBrush(false, RGB(255, 255, 255));
        st.handles[LTGRAY_BRUSH] = RegisterStockBrush(false, RGB(192, 192, 192));
        st.handles[GRAY_BRUSH] = RegisterStockBrush(false, RGB(128, 128, 128));
        st.handles[DKGRAY_BRUSH] = RegisterStockBrush(false, RGB(64, 64, 64));
        st.handles[BLACK_BRUSH] = RegisterStockBrush(false, RGB(0, 0, 0));
        st.handles[NULL_BRUSH] = RegisterStockBrush(true, 0);
        st.handles[WHITE_PEN] = RegisterStockPen(PS_SOLID, RGB(255, 255, 255));
        st.handles[BLACK_PEN] = RegisterStockPen(PS_SOLID, RGB(0, 0, 0));
        st.handles[NULL_PEN] = RegisterStockPen(PS_NULL, 0);
        auto font = [](int height, int weight) {
            LOGFONT lf;
            lf.lfHeight = height;
            lf.lfWeight = weight;
            std::strcpy(lf.lfFaceName, "Sans");
            return reinterpret_cast<HGDIOBJ>(CreateFontIndirect(&lf));
        };
        st.handles[SYSTEM_FONT] = font(16, FW_BOLD);
        st.handles[ANSI_VAR_FONT] = font(13, FW_NORMAL);
        st.handles[DEFAULT_GUI_FONT] = font(-11, FW_NORMAL);
        st.bitmap = reinterpret_cast<HGDIOBJ>(Register(std::make_shared<Bitmap>()));
        std::lock_guard<std::mutex> lock(table().mutex);
        st.last = table().next;
        return st;
    }();
    return s;
}

template <class T> T* ToHandle(std::uintptr_t id) {
    return reinterpret_cast<T*>(id);
}

} // namespace

Bitmap::~Bitmap() {
    if (surface)
        cairo_surface_destroy(surface);
}

std::uintptr_t Register(ObjectPtr obj) {
    std::lock_guard<std::mutex> lock(table().mutex);
    std::uintptr_t id = table().NewId();
    table().objects.emplace(id, std::move(obj));
    return id;
}

ObjectPtr Lookup(const void* handle) {
    if (!handle)
        return nullptr;
    std::lock_guard<std::mutex> lock(table().mutex);
    auto it = table().objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == table().objects.end() ? nullptr : it->second;
}

bool IsStock(const void* handle) {
    const Stock& s = stock();
    auto id = reinterpret_cast<std::uintptr_t>(handle);
    return id >= s.first && id <= s.last;
}

bool Unregister(const void* handle) {
    if (!handle || IsStock(handle))
        return false;
    ObjectPtr doomed; // released outside the lock
    std::lock_guard<std::mutex> lock(table().mutex);
    auto it = table().objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == table().objects.end())
        return false;
    doomed = std::move(it->second);
    table().objects.erase(it);
    return true;
}

std::shared_ptr<DC> LookupDC(HDC hdc) {
    if (!hdc)
        return nullptr;
    std::lock_guard<std::mutex> lock(table().mutex);
    auto it = table().dcs.find(reinterpret_cast<std::uintptr_t>(hdc));
    return it == table().dcs.end() ? nullptr : it->second;
}

DC::~DC() {
    DropCairo();
    if (bitmap && bitmap->selectedBy == this)
        bitmap->selectedBy = nullptr;
    if (pdfSurface) {
        cairo_surface_finish(pdfSurface);
        cairo_surface_destroy(pdfSurface);
    }
}

cairo_surface_t* DC::Surface() const {
    if (printer)
        return pdfSurface;
    return bitmap ? bitmap->surface : nullptr;
}

int DC::Width() const {
    return printer ? pageWidth : (bitmap ? bitmap->width : 0);
}
int DC::Height() const {
    return printer ? pageHeight : (bitmap ? bitmap->height : 0);
}

cairo_t* DC::Cairo() {
    // A context that went into an error state would refuse every later call: start afresh.
    if (cr && cairo_status(cr) != CAIRO_STATUS_SUCCESS)
        DropCairo();
    if (cr)
        return cr;
    cairo_surface_t* s = Surface();
    if (!s)
        return nullptr;
    cr = cairo_create(s);
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(cr);
        cr = nullptr;
        return nullptr;
    }
    if (printer)
        cairo_scale(cr, 72.0 / dpi, 72.0 / dpi); // device units are printer pixels
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    return cr;
}

void DC::DropCairo() {
    if (cr) {
        cairo_destroy(cr);
        cr = nullptr;
    }
}

std::uint32_t ToPixel(COLORREF c) {
    return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(c)) << 8) | static_cast<std::uint32_t>(GetBValue(c));
}

COLORREF FromPixel(std::uint32_t p) {
    return RGB(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
               static_cast<int>(p & 0xFF));
}

void SetCairoColor(cairo_t* cr, COLORREF c) {
    cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

bool PenDraws(const DC& dc) {
    return dc.pen && dc.pen->style != PS_NULL;
}
bool BrushFills(const DC& dc) {
    return dc.brush && !dc.brush->null;
}

} // namespace kvgdi

using namespace kvgdi;

namespace {

std::shared_ptr<DC> NewDC() {
    auto dc = std::make_shared<DC>();
    const auto& s = stock();
    dc->hPen = s.handles[BLACK_PEN];
    dc->pen = LookupAs<Pen>(dc->hPen, Kind::Pen);
    dc->hBrush = s.handles[WHITE_BRUSH];
    dc->brush = LookupAs<Brush>(dc->hBrush, Kind::Brush);
    dc->hFont = s.handles[SYSTEM_FONT];
    dc->font = LookupAs<Font>(dc->hFont, Kind::Font);
    dc->hBitmap = s.bitmap;
    dc->bitmap = LookupAs<Bitmap>(dc->hBitmap, Kind::Bitmap);
    return dc;
}

HDC RegisterDC(std::shared_ptr<DC> dc) {
    std::lock_guard<std::mutex> lock(table().mutex);
    std::uintptr_t id = table().NewId();
    table().dcs.emplace(id, std::move(dc));
    return reinterpret_cast<HDC>(id);
}

// Largest bitmap side accepted; larger requests fail instead of exhausting memory.
constexpr int kMaxBitmapSide = 32767;
constexpr long long kMaxBitmapPixels = 1LL << 27;

std::shared_ptr<Bitmap> MakeBitmap(int width, int height, cairo_format_t format = CAIRO_FORMAT_RGB24) {
    if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide ||
        static_cast<long long>(width) * height > kMaxBitmapPixels)
        return nullptr;
    auto bmp = std::make_shared<Bitmap>();
    bmp->surface = cairo_image_surface_create(format, width, height);
    if (cairo_surface_status(bmp->surface) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    bmp->width = width;
    bmp->height = height;
    // Fresh bitmaps are black, like a new compatible bitmap. Cairo starts a surface with its
    // colour channels at 0, black already; an alpha surface also needs its alpha at FF.
    if (format == CAIRO_FORMAT_ARGB32) {
        cairo_surface_flush(bmp->surface);
        unsigned char* data = cairo_image_surface_get_data(bmp->surface);
        const int stride = cairo_image_surface_get_stride(bmp->surface);
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
            std::fill(row, row + width, 0xFF000000u);
        }
        cairo_surface_mark_dirty(bmp->surface);
    }
    return bmp;
}

} // namespace

// ---- Device contexts ----

HDC CreateCompatibleDC(HDC hdc) {
    if (hdc && !LookupDC(hdc))
        return nullptr;
    return RegisterDC(NewDC());
}

BOOL DeleteDC(HDC hdc) {
    if (!hdc)
        return FALSE;
    std::shared_ptr<DC> doomed;
    {
        std::lock_guard<std::mutex> lock(table().mutex);
        auto it = table().dcs.find(reinterpret_cast<std::uintptr_t>(hdc));
        if (it == table().dcs.end())
            return FALSE;
        doomed = std::move(it->second);
        table().dcs.erase(it);
    }
    if (doomed->ownFont)
        DeleteObject(doomed->ownFont);
    return TRUE;
}

HDC KvCreatePdfDC(const char* path, int width, int height, int dpi) {
    if (!path || !*path || width <= 0 || height <= 0 || dpi <= 0 || dpi > 4800 || width > 1000000 ||
        height > 1000000)
        return nullptr;
    auto dc = NewDC();
    dc->printer = true;
    dc->pageWidth = width;
    dc->pageHeight = height;
    dc->dpi = dpi;
    // Written through our own stream: under a file-size limit the file then ends in a failed write
    // instead of SIGXFSZ, which would end the client's process.
    dc->pdfFile = std::make_unique<kv::OutputStream>();
    if (!dc->pdfFile->Open(path))
        return nullptr;
    dc->pdfSurface = cairo_pdf_surface_create_for_stream(WriteToStream, dc->pdfFile.get(), width * 72.0 / dpi,
                                                         height * 72.0 / dpi);
    if (cairo_surface_status(dc->pdfSurface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(dc->pdfSurface);
        dc->pdfSurface = nullptr;
        return nullptr;
    }
    // Deleting the default font here would leave a handle that SelectObject hands back but can
    // no longer select: a page that selected a font of its own and restored the "old" one
    // would keep its own font for every later line.
    HFONT f = KvCreatePrinterFont(dpi);
    dc->font = LookupAs<Font>(f, Kind::Font);
    dc->hFont = reinterpret_cast<HGDIOBJ>(f);
    dc->ownFont = dc->hFont;
    return RegisterDC(std::move(dc));
}

HFONT KvCreatePrinterFont(int dpi) {
    if (dpi <= 0 || dpi > 4800)
        return nullptr;
    LOGFONT lf;
    lf.lfHeight = -(10 * dpi / 72);
    lf.lfWeight = FW_NORMAL;
    std::strcpy(lf.lfFaceName, "Sans");
    return CreateFontIndirect(&lf);
}

int StartDoc(HDC hdc, const DOCINFO* info) {
    auto dc = LookupDC(hdc);
    if (!dc || !dc->printer || dc->docStarted)
        return 0;
    if (info && info->lpszDocName)
        cairo_pdf_surface_set_metadata(dc->pdfSurface, CAIRO_PDF_METADATA_TITLE, info->lpszDocName);
    dc->docStarted = true;
    return 1;
}

int StartPage(HDC hdc) {
    auto dc = LookupDC(hdc);
    return (dc && dc->printer && dc->docStarted) ? 1 : 0;
}

int EndPage(HDC hdc) {
    auto dc = LookupDC(hdc);
    if (!dc || !dc->printer || !dc->docStarted)
        return 0;
    if (cairo_t* cr = dc->Cairo())
        cairo_show_page(cr);
    return 1;
}

int EndDoc(HDC hdc) {
    auto dc = LookupDC(hdc);
    if (!dc || !dc->printer || !dc->docStarted)
        return 0;
    dc->DropCairo();
    cairo_surface_finish(dc->pdfSurface);
    dc->docStarted = false;
    // The document is printed only when all of it reached the file (a full disk shows up here).
    const bool written = cairo_surface_status(dc->pdfSurface) == CAIRO_STATUS_SUCCESS;
    const bool closed = dc->pdfFile && dc->pdfFile->Close();
    return written && closed ? 1 : 0;
}

int AbortDoc(HDC hdc) {
    auto dc = LookupDC(hdc);
    if (!dc || !dc->printer)
        return 0;
    dc->docStarted = false;
    return 1;
}

int GetDeviceCaps(HDC hdc, int index) {
    auto dc = LookupDC(hdc);
    if (!dc)
        return 0;
    switch (index) {
    case TECHNOLOGY:
        return dc->printer ? DT_RASPRINTER : DT_RASDISPLAY;
    case HORZRES:
        return dc->Width();
    case VERTRES:
        return dc->Height();
    case HORZSIZE:
        return static_cast<int>(dc->Width() * 25.4 / dc->dpi);
    case VERTSIZE:
        return static_cast<int>(dc->Height() * 25.4 / dc->dpi);
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return dc->dpi;
    default:
        return 0;
    }
}

// ---- Objects ----

HGDIOBJ GetStockObject(int index) {
    if (index < 0 || index >= 18)
        return nullptr;
    return stock().handles[index];
}

BOOL KvIsGdiObject(HGDIOBJ obj) {
    return Lookup(obj) ? TRUE : FALSE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
    auto dc = LookupDC(hdc);
    ObjectPtr o = Lookup(obj);
    if (!dc || !o)
        return nullptr;
    HGDIOBJ old = nullptr;
    switch (o->kind) {
    case Kind::Pen:
        old = dc->hPen;
        dc->pen = std::static_pointer_cast<Pen>(o);
        dc->hPen = obj;
        dc->styleCounter = 0;
        break;
    case Kind::Brush:
        old = dc->hBrush;
        dc->brush = std::static_pointer_cast<Brush>(o);
        dc->hBrush = obj;
        break;
    case Kind::Font:
        old = dc->hFont;
        dc->font = std::static_pointer_cast<Font>(o);
        dc->hFont = obj;
        break;
    case Kind::Bitmap: {
        auto bmp = std::static_pointer_cast<Bitmap>(o);
        if (dc->printer)
            return nullptr;
        // A bitmap can be selected into one context at a time.
        if (bmp->surface && bmp->selectedBy && bmp->selectedBy != dc.get())
            return nullptr;
        old = dc->hBitmap;
        if (dc->bitmap && dc->bitmap->selectedBy == dc.get())
            dc->bitmap->selectedBy = nullptr;
        dc->DropCairo();
        dc->bitmap = bmp;
        dc->hBitmap = obj;
        if (bmp->surface)
            bmp->selectedBy = dc.get();
        break;
    }
    case Kind::Region:
        return nullptr; // clipping regions are not supported
    }
    return old;
}

BOOL DeleteObject(HGDIOBJ obj) {
    if (!obj)
        return FALSE;
    if (IsStock(obj))
        return Lookup(obj) ? TRUE : FALSE;
    return Unregister(obj) ? TRUE : FALSE;
}

int GetObject(HGDIOBJ obj, int size, void* out) {
    ObjectPtr o = Lookup(obj);
    if (!o || !out || size <= 0)
        return 0;
    switch (o->kind) {
    case Kind::Pen: {
        if (size < static_cast<int>(sizeof(LOGPEN)))
            return 0;
        auto& p = static_cast<Pen&>(*o);
        LOGPEN lp;
        lp.lopnStyle = static_cast<UINT>(p.style);
        lp.lopnWidth.x = p.width;
        lp.lopnColor = p.color;
        std::memcpy(out, &lp, sizeof lp);
        return sizeof lp;
    }
    case Kind::Brush: {
        if (size < static_cast<int>(sizeof(LOGBRUSH)))
            return 0;
        auto& b = static_cast<Brush&>(*o);
        LOGBRUSH lb;
        lb.lbStyle = b.null ? BS_NULL : BS_SOLID;
        lb.lbColor = b.color;
        std::memcpy(out, &lb, sizeof lb);
        return sizeof lb;
    }
    case Kind::Font:
        if (size < static_cast<int>(sizeof(LOGFONT)))
            return 0;
        std::memcpy(out, &static_cast<Font&>(*o).lf, sizeof(LOGFONT));
        return sizeof(LOGFONT);
    case Kind::Bitmap: {
        if (size < static_cast<int>(sizeof(BITMAP)))
            return 0;
        auto& b = static_cast<Bitmap&>(*o);
        BITMAP bm;
        bm.bmWidth = b.surface ? b.width : 1;
        bm.bmHeight = b.surface ? b.height : 1;
        bm.bmWidthBytes = b.surface ? b.width * 4 : 2;
        bm.bmPlanes = 1;
        bm.bmBitsPixel = b.surface ? 32 : 1;
        std::memcpy(out, &bm, sizeof bm);
        return sizeof bm;
    }
    case Kind::Region:
        return 0;
    }
    return 0;
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT kind) {
    auto dc = LookupDC(hdc);
    if (!dc)
        return nullptr;
    switch (kind) {
    case OBJ_PEN:
        return dc->hPen;
    case OBJ_BRUSH:
        return dc->hBrush;
    case OBJ_FONT:
        return dc->hFont;
    case OBJ_BITMAP:
        return dc->hBitmap;
    default:
        return nullptr;
    }
}

HPEN CreatePen(int style, int width, COLORREF color) {
    if (style < PS_SOLID || style > PS_NULL)
        return nullptr;
    auto p = std::make_shared<Pen>();
    p->style = style;
    p->width = std::clamp(width, 1, 1000);
    p->color = color & 0x00FFFFFF;
    return ToHandle<HPEN__>(Register(p));
}

HBRUSH CreateSolidBrush(COLORREF color) {
    auto b = std::make_shared<Brush>();
    b->color = color & 0x00FFFFFF;
    return ToHandle<HBRUSH__>(Register(b));
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
    if (!LookupDC(hdc))
        return nullptr;
    auto bmp = MakeBitmap(width, height);
    return bmp ? ToHandle<HBITMAP__>(Register(bmp)) : nullptr;
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    if (planes != 1 || bitsPerPixel != 32)
        return nullptr;
    auto bmp = MakeBitmap(width, height);
    if (!bmp)
        return nullptr;
    if (bits) {
        unsigned char* data = cairo_image_surface_get_data(bmp->surface);
        int stride = cairo_image_surface_get_stride(bmp->surface);
        const auto* src = static_cast<const unsigned char*>(bits);
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
            for (int x = 0; x < width; ++x) {
                const unsigned char* p = src + (static_cast<std::ptrdiff_t>(y) * width + x) * 4;
                row[x] = 0xFF000000u | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
            }
        }
        cairo_surface_mark_dirty(bmp->surface);
    }
    return ToHandle<HBITMAP__>(Register(bmp));
}

HBITMAP KvCreateOpaqueBitmap(HDC hdc, int width, int height) {
    if (!LookupDC(hdc))
        return nullptr;
    // Drawing keeps the alpha of such a surface at its maximum: fills and pixels are opaque, and
    // blocks copied from 24-bit bitmaps count as opaque. The black start is opaque too.
    auto bmp = MakeBitmap(width, height, CAIRO_FORMAT_ARGB32);
    return bmp ? ToHandle<HBITMAP__>(Register(bmp)) : nullptr;
}

BOOL KvGetBitmapPixels(HBITMAP hbmp, KvBitmapPixels* pixels) {
    auto bmp = LookupAs<Bitmap>(hbmp, Kind::Bitmap);
    if (!bmp || !bmp->surface || !pixels)
        return FALSE;
    cairo_surface_flush(bmp->surface);
    pixels->data = cairo_image_surface_get_data(bmp->surface);
    pixels->width = bmp->width;
    pixels->height = bmp->height;
    pixels->stride = cairo_image_surface_get_stride(bmp->surface);
    pixels->opaque = cairo_image_surface_get_format(bmp->surface) == CAIRO_FORMAT_ARGB32 ? TRUE : FALSE;
    return pixels->data ? TRUE : FALSE;
}

LONG GetBitmapBits(HBITMAP hbmp, LONG size, void* bits) {
    auto bmp = LookupAs<Bitmap>(hbmp, Kind::Bitmap);
    if (!bmp || !bmp->surface || !bits || size <= 0)
        return 0;
    cairo_surface_flush(bmp->surface);
    const unsigned char* data = cairo_image_surface_get_data(bmp->surface);
    const int stride = cairo_image_surface_get_stride(bmp->surface);
    auto* out = static_cast<unsigned char*>(bits);
    // Whole pixels only, as many as `size` holds; the fourth byte of each is 0.
    const long long wanted = std::min<long long>(size / 4, static_cast<long long>(bmp->width) * bmp->height);
    long long written = 0;
    for (int y = 0; y < bmp->height && written < wanted; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        const long long count = std::min<long long>(bmp->width, wanted - written);
        for (long long x = 0; x < count; ++x) {
            // Pixel words are 0xxxRRGGBB: stored little-endian they are B, G, R, x.
            const std::uint32_t p = row[x];
            unsigned char* o = out + (written + x) * 4;
            o[0] = static_cast<unsigned char>(p & 0xFF);
            o[1] = static_cast<unsigned char>((p >> 8) & 0xFF);
            o[2] = static_cast<unsigned char>((p >> 16) & 0xFF);
            o[3] = 0;
        }
        written += count;
    }
    return static_cast<LONG>(written * 4);
}

BOOL KvSaveBitmapPng(HBITMAP hbmp, const char* path) {
    auto bmp = LookupAs<Bitmap>(hbmp, Kind::Bitmap);
    if (!bmp || !bmp->surface || !path || !*path)
        return FALSE;
    cairo_surface_flush(bmp->surface);
    kv::OutputStream file;
    if (!file.Open(path))
        return FALSE;
    const bool written =
        cairo_surface_write_to_png_stream(bmp->surface, WriteToStream, &file) == CAIRO_STATUS_SUCCESS;
    return file.Close() && written ? TRUE : FALSE;
}

BOOL KvSaveDCPng(HDC hdc, const char* path) {
    auto dc = LookupDC(hdc);
    if (!dc || dc->printer)
        return FALSE;
    return KvSaveBitmapPng(reinterpret_cast<HBITMAP>(dc->hBitmap), path);
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
    // Fewer than three points enclose nothing; such a region is refused.
    if (!points || count < 3 || count > 1000000 || (fillMode != ALTERNATE && fillMode != WINDING))
        return nullptr;
    auto r = std::make_shared<Region>();
    r->polygons.emplace_back(points, points + count);
    r->fillMode = fillMode;
    return ToHandle<HRGN__>(Register(r));
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    auto r = std::make_shared<Region>();
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (right > left && bottom > top)
        r->polygons.push_back({{left, top}, {right, top}, {right, bottom}, {left, bottom}});
    return ToHandle<HRGN__>(Register(r));
}

int GetRgnBox(HRGN hrgn, RECT* rect) {
    auto r = LookupAs<Region>(hrgn, Kind::Region);
    if (!r || !rect)
        return ERROR;
    bool any = false;
    RECT box;
    for (const auto& poly : r->polygons)
        for (const POINT& p : poly) {
            if (!any) {
                box = {p.x, p.y, p.x, p.y};
                any = true;
            }
            box.left = std::min(box.left, p.x);
            box.top = std::min(box.top, p.y);
            box.right = std::max(box.right, p.x);
            box.bottom = std::max(box.bottom, p.y);
        }
    *rect = any ? box : RECT{};
    return (any && box.right > box.left && box.bottom > box.top) ? SIMPLEREGION : NULLREGION;
}

// ---- State ----

COLORREF SetTextColor(HDC hdc, COLORREF color) {
    auto dc = LookupDC(hdc);
    if (!dc)
        return CLR_INVALID;
    COLORREF old = dc->textColor;
    dc->textColor = color & 0x00FFFFFF;
    return old;
}

COLORREF GetTextColor(HDC hdc) {
    auto dc = LookupDC(hdc);
    return dc ? dc->textColor : CLR_INVALID;
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
    auto dc = LookupDC(hdc);
    if (!dc)
        return CLR_INVALID;
    COLORREF old = dc->bkColor;
    dc->bkColor = color & 0x00FFFFFF;
    return old;
}

COLORREF GetBkColor(HDC hdc) {
    auto dc = LookupDC(hdc);
    return dc ? dc->bkColor : CLR_INVALID;
}

int SetBkMode(HDC hdc, int mode) {
    auto dc = LookupDC(hdc);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    int old = dc->bkMode;
    dc->bkMode = mode;
    return old;
}

int GetBkMode(HDC hdc) {
    auto dc = LookupDC(hdc);
    return dc ? dc->bkMode : 0;
}

int SetPolyFillMode(HDC hdc, int mode) {
    auto dc = LookupDC(hdc);
    if (!dc || (mode != ALTERNATE && mode != WINDING))
        return 0;
    int old = dc->polyFillMode;
    dc->polyFillMode = mode;
    return old;
}

int GetPolyFillMode(HDC hdc) {
    auto dc = LookupDC(hdc);
    return dc ? dc->polyFillMode : 0;
}

int SetMapMode(HDC hdc, int mode) {
    auto dc = LookupDC(hdc);
    return (dc && mode == MM_TEXT) ? MM_TEXT : 0;
}

int GetMapMode(HDC hdc) {
    return LookupDC(hdc) ? MM_TEXT : 0;
}

BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* previous) {
    auto dc = LookupDC(hdc);
    if (!dc)
        return FALSE;
    if (previous)
        *previous = dc->windowOrg;
    dc->windowOrg = {x, y};
    return TRUE;
}

BOOL GetWindowOrgEx(HDC hdc, POINT* origin) {
    auto dc = LookupDC(hdc);
    if (!dc || !origin)
        return FALSE;
    *origin = dc->windowOrg;
    return TRUE;
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* previous) {
    auto dc = LookupDC(hdc);
    if (!dc)
        return FALSE;
    if (previous)
        *previous = dc->viewportOrg;
    dc->viewportOrg = {x, y};
    return TRUE;
}

BOOL GetViewportOrgEx(HDC hdc, POINT* origin) {
    auto dc = LookupDC(hdc);
    if (!dc || !origin)
        return FALSE;
    *origin = dc->viewportOrg;
    return TRUE;
}

BOOL LPtoDP(HDC hdc, POINT* points, int count) {
    auto dc = LookupDC(hdc);
    if (!dc || !points || count < 0)
        return FALSE;
    for (int i = 0; i < count; ++i)
        points[i] = {dc->Dx(points[i].x), dc->Dy(points[i].y)};
    return TRUE;
}

BOOL DPtoLP(HDC hdc, POINT* points, int count) {
    auto dc = LookupDC(hdc);
    if (!dc || !points || count < 0)
        return FALSE;
    for (int i = 0; i < count; ++i)
        points[i] = {points[i].x + dc->windowOrg.x - dc->viewportOrg.x,
                     points[i].y + dc->windowOrg.y - dc->viewportOrg.y};
    return TRUE;
}

int GetClipBox(HDC hdc, RECT* rect) {
    auto dc = LookupDC(hdc);
    if (!dc || !rect)
        return ERROR;
    int w = dc->Surface() ? dc->Width() : 1;
    int h = dc->Surface() ? dc->Height() : 1;
    POINT tl{0, 0}, br{w, h};
    DPtoLP(hdc, &tl, 1);
    DPtoLP(hdc, &br, 1);
    *rect = {tl.x, tl.y, br.x, br.y};
    return SIMPLEREGION;
}

BOOL GetCurrentPositionEx(HDC hdc, POINT* point) {
    auto dc = LookupDC(hdc);
    if (!dc || !point)
        return FALSE;
    *point = dc->current;
    return TRUE;
}
