// Block transfers between contexts through Cairo.
#include "GdiInternal.h"

#include <cmath>

using namespace kvgdi;

namespace {

// Copies a source area (device units) of `src` onto `dst`, scaled; negative sizes mirror.
BOOL Transfer(HDC hdst, int x, int y, int w, int h, HDC hsrc, int xs, int ys, int ws, int hs, DWORD rop) {
    auto dst = LookupDC(hdst);
    auto src = LookupDC(hsrc);
    if (!dst || !src || rop != SRCCOPY || !src->IsRaster())
        return FALSE;
    cairo_surface_t* srcSurface = src->Surface();
    cairo_t* cr = dst->Cairo();
    if (!srcSurface || !cr)
        return FALSE;
    if (w == 0 || h == 0 || ws == 0 || hs == 0)
        return TRUE;
    const double dx = dst->Dx(x), dy = dst->Dy(y);
    const double sx = src->Dx(xs), sy = src->Dy(ys);
    // Copying a surface onto itself goes through a snapshot so the areas may overlap.
    cairo_surface_t* from = srcSurface;
    bool own = false;
    if (srcSurface == dst->Surface()) {
        cairo_surface_flush(srcSurface);
        from =
            cairo_surface_create_similar_image(srcSurface, CAIRO_FORMAT_RGB24, src->Width(), src->Height());
        cairo_t* c = cairo_create(from);
        cairo_set_source_surface(c, srcSurface, 0, 0);
        cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
        cairo_paint(c);
        cairo_destroy(c);
        own = true;
    }
    cairo_save(cr);
    cairo_new_path(cr);
    const double l = std::fmin(dx, dx + w), t = std::fmin(dy, dy + h);
    cairo_rectangle(cr, l, t, std::fabs(static_cast<double>(w)), std::fabs(static_cast<double>(h)));
    cairo_clip(cr);
    // Map destination -> source: scale by w/ws around the two origins.
    cairo_translate(cr, dx, dy);
    cairo_scale(cr, static_cast<double>(w) / ws, static_cast<double>(h) / hs);
    cairo_set_source_surface(cr, from, -sx, -sy);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_NONE);
    // Areas outside the source keep what the destination had.
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_paint(cr);
    cairo_restore(cr);
    if (own)
        cairo_surface_destroy(from);
    return TRUE;
}

} // namespace

BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop) {
    if (width < 0 || height < 0)
        return FALSE;
    return Transfer(dst, x, y, width, height, src, xSrc, ySrc, width, height, rop);
}

BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                int srcHeight, DWORD rop) {
    return Transfer(dst, x, y, width, height, src, xSrc, ySrc, srcWidth, srcHeight, rop);
}
