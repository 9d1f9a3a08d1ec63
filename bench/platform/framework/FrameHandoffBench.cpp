// Handing a drawn frame to Qt: a window's paint surface, the size of the scope screen at the
// default window size, shown onto a backing-store image, against a memcpy of the same frame.
// The blit that brings a finished picture into the surface is measured beside it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cstring>
#include <vector>

#include "../../AnchorRatio.h"
#include "PaintSurface.h"
#include "gdi/gdi.h"

namespace {

constexpr int kWidth = 612; // the scope screen's client area in the 800 x 630 main window
constexpr int kHeight = 552;

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

// A finished picture in a memory context, as a window's off-screen buffer holds it.
struct Picture {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, kWidth, kHeight);
    HGDIOBJ old = SelectObject(dc, bitmap);
    Picture() {
        HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
        const RECT all{0, 0, kWidth, kHeight};
        FillRect(dc, &all, black);
        DeleteObject(black);
        HPEN green = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
        HGDIOBJ oldPen = SelectObject(dc, green);
        for (int x = 0; x < kWidth; x += 3) {
            MoveToEx(dc, x, kHeight / 2, nullptr);
            LineTo(dc, x + 3, (x * 7) % kHeight);
        }
        SelectObject(dc, oldPen);
        DeleteObject(green);
    }
    ~Picture() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

void BM_PresentFrame(benchmark::State& state) {
    App();
    Picture picture;
    kv::PaintSurface surface;
    HDC dc = surface.Begin(kWidth, kHeight);
    BitBlt(dc, 0, 0, kWidth, kHeight, picture.dc, 0, 0, SRCCOPY);
    QImage backingStore(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&backingStore);
    std::vector<unsigned char> from(static_cast<std::size_t>(kWidth) * kHeight * 4, 1), to(from.size());
    kvbench::RunAgainstAnchor(
        state,
        [&] {
            surface.Begin(kWidth, kHeight); // the same bitmap again: a new paint of the window
            benchmark::DoNotOptimize(surface.Present(painter));
        },
        [&] {
            std::memcpy(to.data(), from.data(), from.size());
            benchmark::DoNotOptimize(to.data());
        });
}
BENCHMARK(BM_PresentFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The paint's last block transfer into the surface, which the handoff then shows.
void BM_BlitIntoSurface(benchmark::State& state) {
    App();
    Picture picture;
    kv::PaintSurface surface;
    std::vector<unsigned char> from(static_cast<std::size_t>(kWidth) * kHeight * 4, 1), to(from.size());
    kvbench::RunAgainstAnchor(
        state,
        [&] {
            HDC dc = surface.Begin(kWidth, kHeight);
            benchmark::DoNotOptimize(BitBlt(dc, 0, 0, kWidth, kHeight, picture.dc, 0, 0, SRCCOPY));
        },
        [&] {
            std::memcpy(to.data(), from.data(), from.size());
            benchmark::DoNotOptimize(to.data());
        });
}
BENCHMARK(BM_BlitIntoSurface)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
