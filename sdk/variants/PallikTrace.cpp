// The Pallik build's trace drawer. It draws all 500 points between the first and the last point
// with data, pins codes to the plot's edges and draws edge-pinned stretches in black; the
// standard drawer of the other builds stays available as dsoDisplayDatabackup.
#include <algorithm>
#include <cstdint>

#include "DisplayRecord.h"
#include "Drawing.h"
#include "Driver.h"
#include "Tessel.h"
#include "system/Narrow.h"

namespace kv::sdk {
namespace {

int PallikDrawTrace(HDC dc, const std::uint16_t* layout, std::uint16_t mode, const std::uint16_t* record,
                    std::uint16_t selector, std::uint16_t intensity, const std::uint16_t* colour) {
    COLORREF traceColour = 0;
    if (!dc || !layout || !record || !TraceColour(selector, intensity, colour, &traceColour))
        return 0;
    const Plot p = PlotOf(layout);
    const double plotWidth = p.PlotWidth();
    const double plotHeight = p.PlotHeight();

    int first = 0, last = kDisplayPoints - 1;
    const std::uint16_t* begin = record;
    const std::uint16_t* end = record + kDisplayPoints;
    const auto firstData = std::find_if(begin, end, [](std::uint16_t v) { return v != kNoData; });
    if (firstData != end) {
        first = static_cast<int>(firstData - begin);
        for (int i = kDisplayPoints - 1; i >= 0; --i)
            if (record[i] != kNoData) {
                last = i;
                break;
            }
    }

    auto depth = [&](int i) { return std::clamp(511 - static_cast<int>(record[i]), 1, 510); };
    auto xOf = [&](int i) { return TruncSat<int>(p.left + i * plotWidth / 499.0); };
    auto yOf = [&](int d) { return TruncSat<int>(p.top + d * plotHeight / 511.0); };

    HPEN colourPen = CreatePen(PS_SOLID, 1, traceColour);
    HPEN blackPen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    if (!colourPen || !blackPen) {
        DeleteObject(colourPen);
        DeleteObject(blackPen);
        return 0;
    }
    HGDIOBJ previous = SelectObject(dc, colourPen);
    if (mode != 0) {
        for (int s = first; s < last; ++s) {
            const int d0 = depth(s), d1 = depth(s + 1);
            const bool pinned = (d0 == 1 && d1 == 1) || (d0 == 510 && d1 == 510);
            SelectObject(dc, pinned ? blackPen : colourPen);
            MoveToEx(dc, xOf(s), yOf(d0), nullptr);
            LineTo(dc, xOf(s + 1), yOf(d1));
        }
    } else {
        for (int i = 0; i < kDisplayPoints; ++i) {
            const int d = depth(i);
            SetPixel(dc, xOf(i), yOf(d), (d == 1 || d == 510) ? RGB(0, 0, 0) : traceColour);
        }
    }
    SelectObject(dc, previous);
    DeleteObject(colourPen);
    DeleteObject(blackPen);
    return 1;
}

} // namespace
} // namespace kv::sdk

using namespace kv::sdk;

TESSEL_API int dsoDisplayData(HDC dc, const uint16_t* layout, uint16_t mode, const uint16_t* record,
                              uint16_t colourSelector, uint16_t intensity, const uint16_t* colour) {
    return Guarded(
        0, [&] { return PallikDrawTrace(dc, layout, mode, record, colourSelector, intensity, colour); });
}

TESSEL_API int dsoDisplayDatabackup(HDC dc, const uint16_t* layout, uint16_t mode, const uint16_t* record,
                                    uint16_t colourSelector, uint16_t intensity, const uint16_t* colour) {
    return Guarded(
        0, [&] { return DrawTraceStandard(dc, layout, mode, record, colourSelector, intensity, colour); });
}
