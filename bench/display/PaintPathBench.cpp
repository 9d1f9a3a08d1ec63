// What the paint path adds to a window's drawing: one paint of the scope screen's client area
// (its size in the default 800 x 630 main window) through the window's persistent pair and the
// paint's memory context into the paint context, with an empty drawing step, against a memcpy
// of the frame in the same run.
#include "OffScreenBuffer.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "../AnchorRatio.h"

namespace {

constexpr int kWidth = 612;
constexpr int kHeight = 552;

void BM_PaintThroughPair(benchmark::State& state) {
    CDC target;
    target.CreateCompatibleDC(nullptr);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&target, kWidth, kHeight);
    CBitmap* old = target.SelectObject(&bitmap);
    COffScreenBuffer buffer;
    const CRect client(0, 0, kWidth, kHeight);
    // The first paint makes the pair, as a window's first paint does.
    buffer.PaintThrough(&target, client, [](CDC*, const CRect&) {});
    std::vector<unsigned char> from(static_cast<std::size_t>(kWidth) * kHeight * 4, 1), to(from.size());
    kvbench::RunAgainstAnchor(
        state,
        [&] {
            buffer.PaintThrough(&target, client,
                                [](CDC* pDC, const CRect&) { benchmark::DoNotOptimize(pDC); });
            benchmark::ClobberMemory();
        },
        [&] {
            std::memcpy(to.data(), from.data(), from.size());
            benchmark::DoNotOptimize(to.data());
        });
    target.SelectObject(old);
}
BENCHMARK(BM_PaintThroughPair)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
