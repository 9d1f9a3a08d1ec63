// Drawing costs on a screen-sized bitmap: 500-point one-pixel polylines, a full-surface fill
// through the layer, and the same fill straight through Cairo for comparison.
#include "gdi/gdi.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kW = 800, kH = 630;

struct Surface {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, kW, kH);
    HGDIOBJ old = SelectObject(dc, bmp);
    ~Surface() {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
};

void BM_Polyline500OnePixel(benchmark::State& state) {
    Surface s;
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 0));
    SelectObject(s.dc, pen);
    std::vector<POINT> pts(500);
    for (int i = 0; i < 500; ++i)
        pts[i] = {21 + i * 758 / 499, 315 - static_cast<LONG>(280 * std::sin(i * 0.05))};
    for (auto _ : state)
        benchmark::DoNotOptimize(Polyline(s.dc, pts.data(), 500));
    SelectObject(s.dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}
BENCHMARK(BM_Polyline500OnePixel);

void BM_Polyline500Dotted(benchmark::State& state) {
    Surface s;
    HPEN pen = CreatePen(PS_DOT, 1, RGB(0, 200, 255));
    SelectObject(s.dc, pen);
    std::vector<POINT> pts(500);
    for (int i = 0; i < 500; ++i)
        pts[i] = {21 + i * 758 / 499, 315 - static_cast<LONG>(280 * std::sin(i * 0.05))};
    for (auto _ : state)
        benchmark::DoNotOptimize(Polyline(s.dc, pts.data(), 500));
    SelectObject(s.dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}
BENCHMARK(BM_Polyline500Dotted);

void BM_FillSurfaceThroughLayer(benchmark::State& state) {
    Surface s;
    HBRUSH brush = CreateSolidBrush(RGB(50, 50, 50));
    RECT rc{0, 0, kW, kH};
    for (auto _ : state)
        benchmark::DoNotOptimize(FillRect(s.dc, &rc, brush));
    DeleteObject(brush);
}
BENCHMARK(BM_FillSurfaceThroughLayer);

void BM_FillSurfacePlainCairo(benchmark::State& state) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    for (auto _ : state) {
        cairo_rectangle(cr, 0, 0, kW, kH);
        cairo_set_source_rgb(cr, 50 / 255.0, 50 / 255.0, 50 / 255.0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_fill(cr);
        benchmark::ClobberMemory();
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_FillSurfacePlainCairo);

} // namespace
