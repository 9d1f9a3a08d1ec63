// Lines, pixels and shapes. One-pixel pens are rasterised here pixel by pixel; fills and
// wide pens go through Cairo.
#include "GdiInternal.h"
#include "LineStepper.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kvgdi {
namespace {

// On/off run lengths of the styled one-pixel pens, in pixels.
struct Pattern {
    const int* runs;
    int count;
    int total;
};
constexpr int kDash[] = {18, 6};
constexpr int kDot[] = {3, 3};
constexpr int kDashDot[] = {9, 6, 3, 6};
constexpr int kDashDotDot[] = {9, 3, 3, 3, 3, 3};

const Pattern* PatternOf(int style) {
    static const Pattern dash{kDash, 2, 24};
    static const Pattern dot{kDot, 2, 6};
    static const Pattern dashDot{kDashDot, 4, 24};
    static const Pattern dashDotDot{kDashDotDot, 6, 24};
    switch (style) {
    case PS_DASH:
        return &dash;
    case PS_DOT:
        return &dot;
    case PS_DASHDOT:
        return &dashDot;
    case PS_DASHDOTDOT:
        return &dashDotDot;
    default:
        return nullptr;
    }
}

bool PatternOn(const Pattern& p, long long pos) {
    int m = static_cast<int>(((pos % p.total) + p.total) % p.total);
    for (int i = 0; i < p.count; ++i) {
        if (m < p.runs[i])
            return (i % 2) == 0;
        m -= p.runs[i];
    }
    return true;
}

// Direct pixel access to a raster context's surface for the duration of one call.
class Pixels {
public:
    explicit Pixels(DC& dc) : m_surface(dc.IsRaster() ? dc.Surface() : nullptr) {
        if (!m_surface)
            return;
        cairo_surface_flush(m_surface);
        m_data = cairo_image_surface_get_data(m_surface);
        m_stride = cairo_image_surface_get_stride(m_surface);
        m_w = dc.Width();
        m_h = dc.Height();
    }
    ~Pixels() {
        if (m_surface && m_touched)
            cairo_surface_mark_dirty(m_surface);
    }
    Pixels(const Pixels&) = delete;
    Pixels& operator=(const Pixels&) = delete;
    bool Valid() const { return m_data != nullptr; }
    int W() const { return m_w; }
    int H() const { return m_h; }
    void Put(long long x, long long y, std::uint32_t px) {
        if (x < 0 || y < 0 || x >= m_w || y >= m_h)
            return;
        reinterpret_cast<std::uint32_t*>(m_data + y * m_stride)[x] = px;
        m_touched = true;
    }
    std::uint32_t Get(int x, int y) const {
        return reinterpret_cast<const std::uint32_t*>(m_data + static_cast<long long>(y) * m_stride)[x];
    }

private:
    cairo_surface_t* m_surface;
    unsigned char* m_data = nullptr;
    int m_stride = 0;
    int m_w = 0, m_h = 0;
    bool m_touched = false;
};

void RasterInto(Pixels& px, const DC& dc, const Pen& pen, long long x0, long long y0, long long x1,
                long long y1, int* counter) {
    const long long dx = x1 - x0, dy = y1 - y0;
    const long long adx = std::llabs(dx), ady = std::llabs(dy);
    const long long n = std::max(adx, ady); // pixels drawn: start included, end excluded
    if (n == 0)
        return;
    const bool xMajor = adx >= ady;
    const long long major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    const int sMaj = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int sMin = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const long long majStart = xMajor ? x0 : y0;
    const long long majLimit = xMajor ? px.W() : px.H();
    // Only the steps whose major coordinate lies on the surface are walked.
    long long iLo, iHi; // inclusive
    if (sMaj > 0) {
        iLo = std::max(0LL, -majStart);
        iHi = std::min(n - 1, majLimit - 1 - majStart);
    } else {
        iLo = std::max(0LL, majStart - (majLimit - 1));
        iHi = std::min(n - 1, majStart);
    }
    const Pattern* pat = PatternOf(pen.style);
    const std::uint32_t on = ToPixel(pen.color);
    const std::uint32_t off = ToPixel(dc.bkColor);
    const bool fillGaps = dc.bkMode == OPAQUE;
    const long long base = counter ? *counter : 0;
    const long long minStart = xMajor ? y0 : x0;
    LineStepper step(major, minor, iLo);
    for (long long i = iLo; i <= iHi; ++i, step.Next()) {
        const long long ma = majStart + sMaj * i;
        const long long mi = minStart + sMin * step.Offset();
        const long long x = xMajor ? ma : mi, y = xMajor ? mi : ma;
        if (!pat || PatternOn(*pat, base + i))
            px.Put(x, y, on);
        else if (fillGaps)
            px.Put(x, y, off);
    }
    if (counter && pat)
        *counter = static_cast<int>((base + n) % pat->total);
}

void CairoStroke(DC& dc, const std::vector<POINT>& pts, bool closed) {
    cairo_t* cr = dc.Cairo();
    if (!cr || pts.size() < 2 || !PenDraws(dc))
        return;
    const Pen& pen = *dc.pen;
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_move_to(cr, pts[0].x + 0.5, pts[0].y + 0.5);
    for (size_t i = 1; i < pts.size(); ++i)
        cairo_line_to(cr, pts[i].x + 0.5, pts[i].y + 0.5);
    if (closed)
        cairo_close_path(cr);
    const double w = std::max(1, pen.width);
    cairo_set_line_width(cr, w);
    if (pen.width > 1) {
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    } else {
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    }
    if (const Pattern* pat = PatternOf(pen.style)) {
        double dashes[6];
        for (int i = 0; i < pat->count; ++i)
            dashes[i] = pat->runs[i] * w;
        if (dc.bkMode == OPAQUE) {
            SetCairoColor(cr, dc.bkColor);
            cairo_stroke_preserve(cr);
        }
        cairo_set_dash(cr, dashes, pat->count, 0);
    }
    SetCairoColor(cr, pen.color);
    cairo_stroke(cr);
    cairo_restore(cr);
}

} // namespace

void RasterSegment(DC& dc, const Pen& pen, int x0, int y0, int x1, int y1, int* counter) {
    Pixels px(dc);
    if (px.Valid())
        RasterInto(px, dc, pen, x0, y0, x1, y1, counter);
}

void StrokeDevicePath(DC& dc, const std::vector<POINT>& pts, bool closed) {
    if (!PenDraws(dc) || pts.size() < 2)
        return;
    if (dc.pen->width <= 1 && dc.IsRaster()) {
        Pixels px(dc);
        if (!px.Valid())
            return;
        int counter = 0;
        for (size_t i = 1; i < pts.size(); ++i)
            RasterInto(px, dc, *dc.pen, pts[i - 1].x, pts[i - 1].y, pts[i].x, pts[i].y, &counter);
        if (closed)
            RasterInto(px, dc, *dc.pen, pts.back().x, pts.back().y, pts.front().x, pts.front().y, &counter);
        return;
    }
    CairoStroke(dc, pts, closed);
}

} // namespace kvgdi

using namespace kvgdi;

namespace {

// Fills a device rectangle [l, r) x [t, b) with a colour through Cairo.
void FillDeviceRect(DC& dc, long long l, long long t, long long r, long long b, COLORREF color) {
    cairo_t* cr = dc.Cairo();
    if (!cr || r <= l || b <= t)
        return;
    // Keep the numbers Cairo sees near the surface.
    l = std::max(l, -1LL);
    t = std::max(t, -1LL);
    r = std::min(r, static_cast<long long>(dc.Width()) + 1);
    b = std::min(b, static_cast<long long>(dc.Height()) + 1);
    if (r <= l || b <= t)
        return;
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, static_cast<double>(l), static_cast<double>(t), static_cast<double>(r - l),
                    static_cast<double>(b - t));
    SetCairoColor(cr, color);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_fill(cr);
    cairo_restore(cr);
}

struct Box {
    int l, t, r, b;
};

Box Normalised(const DC& dc, int left, int top, int right, int bottom) {
    Box box{dc.Dx(std::min(left, right)), dc.Dy(std::min(top, bottom)), dc.Dx(std::max(left, right)),
            dc.Dy(std::max(top, bottom))};
    return box;
}

// Ellipse geometry in pixel-centre coordinates for a box whose right and bottom are excluded.
struct EllipseGeom {
    double cx, cy, a, b;
};

EllipseGeom GeomOf(const Box& box) {
    return {(box.l + box.r - 1) / 2.0, (box.t + box.b - 1) / 2.0, (box.r - box.l - 1) / 2.0,
            (box.b - box.t - 1) / 2.0};
}

// Parametric angle of the point where the radial towards (x, y) meets the ellipse.
double RadialAngle(const Box& box, const EllipseGeom& g, int x, int y) {
    const double dx = x - (box.l + box.r) / 2.0;
    const double dy = -(y - (box.t + box.b) / 2.0);
    const double phi = std::atan2(dy, dx);
    if (g.a <= 0 || g.b <= 0)
        return phi;
    return std::atan2(g.a * std::sin(phi), g.b * std::cos(phi));
}

// Outline points of the elliptical arc from angle t0 over `span` radians, counter-clockwise.
std::vector<POINT> ArcPoints(const EllipseGeom& g, double t0, double span) {
    const double radius = std::max(g.a, g.b);
    const int steps = std::max(8, static_cast<int>(std::ceil(radius * span * 1.5)) + 1);
    std::vector<POINT> pts;
    pts.reserve(static_cast<size_t>(steps) + 1);
    for (int i = 0; i <= steps; ++i) {
        const double t = t0 + span * i / steps;
        POINT p{static_cast<LONG>(std::lround(g.cx + g.a * std::cos(t))),
                static_cast<LONG>(std::lround(g.cy - g.b * std::sin(t)))};
        if (pts.empty() || pts.back().x != p.x || pts.back().y != p.y)
            pts.push_back(p);
    }
    return pts;
}

enum class ArcKind { Arc, Pie, Chord };

// Limits on shape sizes: beyond these a shape is refused instead of walking billions of points.
constexpr int kMaxShapeSide = 1 << 20;

BOOL DrawArcShape(HDC hdc, ArcKind kind, int left, int top, int right, int bottom, int xs, int ys, int xe,
                  int ye) {
    auto dc = LookupDC(hdc);
    if (!dc || !dc->Surface())
        return FALSE;
    Box box = Normalised(*dc, left, top, right, bottom);
    if (box.r - box.l > kMaxShapeSide || box.b - box.t > kMaxShapeSide)
        return FALSE;
    if (box.r - box.l < 1 || box.b - box.t < 1)
        return TRUE;
    EllipseGeom g = GeomOf(box);
    const int dxs = dc->Dx(xs), dys = dc->Dy(ys), dxe = dc->Dx(xe), dye = dc->Dy(ye);
    double t0 = RadialAngle(box, g, dxs, dys);
    double t1 = RadialAngle(box, g, dxe, dye);
    double span = t1 - t0;
    while (span <= 1e-12)
        span += 2 * M_PI;
    // Radials that give the same direction draw the whole ellipse.
    if (std::fabs(span - 2 * M_PI) < 1e-12 || (dxs == dxe && dys == dye))
        span = 2 * M_PI;

    if (kind != ArcKind::Arc && BrushFills(*dc) && g.a > 0 && g.b > 0) {
        if (cairo_t* cr = dc->Cairo()) {
            cairo_save(cr);
            cairo_new_path(cr);
            cairo_translate(cr, g.cx + 0.5, g.cy + 0.5);
            cairo_scale(cr, g.a, -g.b);
            if (kind == ArcKind::Pie && span < 2 * M_PI)
                cairo_move_to(cr, 0, 0);
            cairo_arc(cr, 0, 0, 1, t0, t0 + span);
            cairo_close_path(cr);
            cairo_restore(cr);
            SetCairoColor(cr, dc->brush->color);
            cairo_fill(cr);
        }
    }
    std::vector<POINT> pts = ArcPoints(g, t0, span);
    if (kind == ArcKind::Arc) {
        StrokeDevicePath(*dc, pts, false);
        return TRUE;
    }
    if (kind == ArcKind::Pie) {
        POINT c{static_cast<LONG>(std::lround(g.cx)), static_cast<LONG>(std::lround(g.cy))};
        pts.insert(pts.begin(), c);
    }
    StrokeDevicePath(*dc, pts, true);
    return TRUE;
}

void FillPolygons(DC& dc, const std::vector<std::vector<POINT>>& polys, int fillMode, COLORREF color) {
    cairo_t* cr = dc.Cairo();
    if (!cr)
        return;
    cairo_save(cr);
    cairo_new_path(cr);
    for (const auto& poly : polys) {
        if (poly.size() < 3)
            continue;
        cairo_move_to(cr, dc.Dx(poly[0].x), dc.Dy(poly[0].y));
        for (size_t i = 1; i < poly.size(); ++i)
            cairo_line_to(cr, dc.Dx(poly[i].x), dc.Dy(poly[i].y));
        cairo_close_path(cr);
    }
    cairo_set_fill_rule(cr, fillMode == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    SetCairoColor(cr, color);
    cairo_fill(cr);
    cairo_restore(cr);
}

} // namespace

BOOL MoveToEx(HDC hdc, int x, int y, POINT* previous) {
    auto dc = LookupDC(hdc);
    if (!dc)
        return FALSE;
    if (previous)
        *previous = dc->current;
    dc->current = {x, y};
    dc->styleCounter = 0;
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
    auto dc = LookupDC(hdc);
    if (!dc || !dc->Surface())
        return FALSE;
    POINT from = dc->current;
    dc->current = {x, y};
    if (!PenDraws(*dc))
        return TRUE;
    if (dc->pen->width <= 1 && dc->IsRaster()) {
        RasterSegment(*dc, *dc->pen, dc->Dx(from.x), dc->Dy(from.y), dc->Dx(x), dc->Dy(y), &dc->styleCounter);
        return TRUE;
    }
    StrokeDevicePath(*dc, {{dc->Dx(from.x), dc->Dy(from.y)}, {dc->Dx(x), dc->Dy(y)}}, false);
    return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* points, int count) {
    auto dc = LookupDC(hdc);
    if (!dc || !dc->Surface() || !points || count < 2)
        return FALSE;
    std::vector<POINT> pts(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        pts[static_cast<size_t>(i)] = {dc->Dx(points[i].x), dc->Dy(points[i].y)};
    StrokeDevicePath(*dc, pts, false);
    return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
    auto dc = LookupDC(hdc);
    if (!dc || !dc->Surface())
        return CLR_INVALID;
    const int dx = dc->Dx(x), dy = dc->Dy(y);
    if (dx < 0 || dy < 0 || dx >= dc->Width() || dy >= dc->Height())
        return CLR_INVALID;
    color &= 0x00FFFFFF;
    if (dc->IsRaster()) {
        Pixels px(*dc);
        px.Put(dx, dy, ToPixel(color));
    } else {
        FillDeviceRect(*dc, dx, dy, dx + 1, dy + 1, color);
    }
    return color;
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color) {
    return SetPixel(hdc, x, y, color) == CLR_INVALID ? FALSE : TRUE;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    auto dc = LookupDC(hdc);
    if (!dc || !dc->IsRaster() || !dc->Surface())
        return CLR_INVALID;
    const int dx = dc->Dx(x), dy = dc->Dy(y);
    if (dx < 0 || dy < 0 || dx >= dc->Width() || dy >= dc->Height())
        return CLR_INVALID;
    Pixels px(*dc);
    return FromPixel(px.Get(dx, dy));
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = LookupDC(hdc);
    if (!dc || !dc->Surface())
        return FALSE;
    Box box = Normalised(*dc, left, top, right, bottom);
    if (box.r <= box.l || box.b <= box.t)
        return TRUE;
    const bool pen = PenDraws(*dc);
    if (BrushFills(*dc)) {
        if (pen)
            FillDeviceRect(*dc, box.l, box.t, box.r, box.b, dc->brush->color);
        else
            FillDeviceRect(*dc, box.l, box.t, box.r - 1, box.b - 1, dc->brush->color);
    }
    if (pen)
        StrokeDevicePath(
            *dc, {{box.l, box.t}, {box.r - 1, box.t}, {box.r - 1, box.b - 1}, {box.l, box.b - 1}}, true);
    return TRUE;
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH hbrush) {
    auto dc = LookupDC(hdc);
    auto brush = LookupAs<Brush>(hbrush, Kind::Brush);
    if (!dc || !dc->Surface() || !rect || !brush)
        return 0;
    if (!brush->null)
        FillDeviceRect(*dc, dc->Dx(rect->left), dc->Dy(rect->top), dc->Dx(rect->right), dc->Dy(rect->bottom),
                       brush->color);
    return 1;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    return DrawArcShape(hdc, ArcKind::Chord, left, top, right, bottom, 0, 0, 0, 0);
}

BOOL Arc(HDC hdc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
    return DrawArcShape(hdc, ArcKind::Arc, left, top, right, bottom, xs, ys, xe, ye);
}

BOOL Pie(HDC hdc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
    return DrawArcShape(hdc, ArcKind::Pie, left, top, right, bottom, xs, ys, xe, ye);
}

BOOL Chord(HDC hdc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
    return DrawArcShape(hdc, ArcKind::Chord, left, top, right, bottom, xs, ys, xe, ye);
}

BOOL Polygon(HDC hdc, const POINT* points, int count) {
    auto dc = LookupDC(hdc);
    if (!dc || !dc->Surface() || !points || count < 2)
        return FALSE;
    std::vector<POINT> logical(points, points + count);
    if (BrushFills(*dc) && count >= 3)
        FillPolygons(*dc, {logical}, dc->polyFillMode, dc->brush->color);
    std::vector<POINT> device(logical.size());
    for (size_t i = 0; i < logical.size(); ++i)
        device[i] = {dc->Dx(logical[i].x), dc->Dy(logical[i].y)};
    StrokeDevicePath(*dc, device, true);
    return TRUE;
}

BOOL FillRgn(HDC hdc, HRGN hrgn, HBRUSH hbrush) {
    auto dc = LookupDC(hdc);
    auto rgn = LookupAs<Region>(hrgn, Kind::Region);
    auto brush = LookupAs<Brush>(hbrush, Kind::Brush);
    if (!dc || !dc->Surface() || !rgn || !brush)
        return FALSE;
    if (!brush->null)
        FillPolygons(*dc, rgn->polygons, rgn->fillMode, brush->color);
    return TRUE;
}

BOOL PaintRgn(HDC hdc, HRGN hrgn) {
    auto dc = LookupDC(hdc);
    auto rgn = LookupAs<Region>(hrgn, Kind::Region);
    if (!dc || !dc->Surface() || !rgn)
        return FALSE;
    if (BrushFills(*dc))
        FillPolygons(*dc, rgn->polygons, rgn->fillMode, dc->brush->color);
    return TRUE;
}
