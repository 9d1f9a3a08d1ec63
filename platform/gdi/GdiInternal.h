#pragma once
// Internal object model of the drawing layer: the objects behind the handles, the handle
// table and the device context state. Not part of the public interface.
#include "gdi/gdi.h"
#include "system/FileAccess.h"

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kvgdi {

enum class Kind { Pen, Brush, Font, Bitmap, Region };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Kind kind;
};

struct Pen : Object {
    Pen() : Object(Kind::Pen) {}
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
};

struct Brush : Object {
    Brush() : Object(Kind::Brush) {}
    bool null = false;
    COLORREF color = 0;
};

struct Font : Object {
    Font() : Object(Kind::Font) {}
    LOGFONT lf;
    std::string family; // resolved family for Cairo
    bool bold = false;
    bool italic = false;
};

// A bitmap owns a Cairo image surface (RGB24). The stock bitmap has none: nothing is
// drawn on a context that holds it.
struct Bitmap : Object {
    Bitmap() : Object(Kind::Bitmap) {}
    ~Bitmap() override;
    cairo_surface_t* surface = nullptr;
    int width = 0;
    int height = 0;
    const void* selectedBy = nullptr; // the context that holds it, if any
};

struct Region : Object {
    Region() : Object(Kind::Region) {}
    std::vector<std::vector<POINT>> polygons;
    int fillMode = ALTERNATE;
};

using ObjectPtr = std::shared_ptr<Object>;

// Handle table.
std::uintptr_t Register(ObjectPtr obj);
ObjectPtr Lookup(const void* handle);
template <class T> std::shared_ptr<T> LookupAs(const void* handle, Kind kind) {
    ObjectPtr p = Lookup(handle);
    if (!p || p->kind != kind)
        return nullptr;
    return std::static_pointer_cast<T>(p);
}
bool Unregister(const void* handle); // false for stock or unknown handles
bool IsStock(const void* handle);

struct DC {
    ~DC();
    bool printer = false;
    // Surface being drawn: the selected bitmap's, or the PDF surface.
    cairo_surface_t* pdfSurface = nullptr;
    // The PDF file the surface writes; closed once the surface is finished.
    std::unique_ptr<kv::OutputStream> pdfFile;
    int pageWidth = 0;
    int pageHeight = 0;
    int dpi = 96;
    bool docStarted = false;

    std::shared_ptr<Pen> pen;
    std::shared_ptr<Brush> brush;
    std::shared_ptr<Font> font;
    std::shared_ptr<Bitmap> bitmap;
    HGDIOBJ hPen = nullptr, hBrush = nullptr, hFont = nullptr, hBitmap = nullptr;
    // A font the context made for itself (a printer's default font). It stays a live object
    // until the context is deleted, so a caller that selected another font can select it back.
    HGDIOBJ ownFont = nullptr;

    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    int polyFillMode = ALTERNATE;
    POINT windowOrg;
    POINT viewportOrg;
    POINT current;        // current position, logical
    int styleCounter = 0; // pattern position of styled one-pixel pens

    cairo_t* cr = nullptr; // drawing state for the current surface (created lazily)

    cairo_surface_t* Surface() const;
    bool IsRaster() const { return !printer; }
    int Width() const;
    int Height() const;
    // Lazily creates the Cairo context over the current surface; null when nothing is drawable.
    cairo_t* Cairo();
    void DropCairo();
    // Logical to device.
    int Dx(int x) const { return x - windowOrg.x + viewportOrg.x; }
    int Dy(int y) const { return y - windowOrg.y + viewportOrg.y; }
};

std::shared_ptr<DC> LookupDC(HDC hdc);

// Pixel helpers on raster surfaces.
std::uint32_t ToPixel(COLORREF c);
COLORREF FromPixel(std::uint32_t p);
void SetCairoColor(cairo_t* cr, COLORREF c);

// One-pixel pen rasteriser: draws a segment from (x0, y0) to (x1, y1) in device pixels,
// excluding the end point, with the pen's style pattern starting at `*counter`.
void RasterSegment(DC& dc, const Pen& pen, int x0, int y0, int x1, int y1, int* counter);
// Draws a closed or open outline through device points with the current pen (any width).
void StrokeDevicePath(DC& dc, const std::vector<POINT>& pts, bool closed);
bool PenDraws(const DC& dc);
bool BrushFills(const DC& dc);

} // namespace kvgdi
