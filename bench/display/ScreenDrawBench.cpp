// A full scope-screen picture at the default window size against a plain fill of a surface of
// the same size, measured in the same run.
#include "ScopeScreen.h"
#include "engine/KelvaneDoc.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <memory>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 630;

struct Scene {
    CKelvaneDoc doc;
    CScopeScreen screen;
    CDC dc;
    CBitmap bmp;
    CBitmap* old = nullptr;

    Scene() {
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.m_math.SetOn(1);
        doc.m_ref.SetOn(1);
        CTrace* traces[] = {&doc.m_ch1, &doc.m_ch2, &doc.m_math, &doc.m_ref};
        for (int t = 0; t < 4; ++t) {
            std::int16_t* p = traces[t]->GetScreenTrace();
            for (int i = 0; i < 500; ++i)
                p[i] = static_cast<std::int16_t>(256 + 60 * (t + 1) * std::sin(i * 0.05 * (t + 1)));
        }
        doc.SetPersistenceDepth(8);
        doc.SetPersistenceEnabled(1);
        for (int frame = 0; frame < 8; ++frame)
            for (int t = 0; t < 4; ++t) {
                std::int16_t p[500];
                for (int i = 0; i < 500; ++i)
                    p[i] = static_cast<std::int16_t>(traces[t]->GetScreenTrace()[i] + frame * 3);
                doc.m_persistence.Append(t, p, traces[t]->GetColor());
            }
        doc.m_measure.ClearAll();
        for (int k = 0; k < 8; ++k)
            doc.m_measure.SetEntry(k, 1, static_cast<std::int16_t>(k % 3), static_cast<std::int16_t>(k));
        screen.SetDocument(&doc);
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, kWidth, kHeight);
        old = dc.SelectObject(&bmp);
    }
    ~Scene() { dc.SelectObject(old); }
};

void BM_DrawScreen(benchmark::State& state) {
    auto scene = std::make_unique<Scene>();
    const CRect client(0, 0, kWidth, kHeight);
    for (auto _ : state) {
        scene->screen.DrawScreen(&scene->dc, client);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawScreen)->Unit(benchmark::kMillisecond);

void BM_PlainCairoFill(benchmark::State& state) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    for (auto _ : state) {
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_rectangle(cr, 0, 0, kWidth, kHeight);
        cairo_fill(cr);
        cairo_surface_flush(surface);
        benchmark::ClobberMemory();
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_PlainCairoFill)->Unit(benchmark::kMillisecond);

} // namespace
