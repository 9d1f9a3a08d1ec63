// Pass/fail mask around a reference trace and the painting of its forbidden zones.
#include <algorithm>
#include <vector>

#include "DisplayRecord.h"
#include "Drawing.h"
#include "Driver.h"
#include "Tessel.h"
#include "system/Narrow.h"

using namespace kv::sdk;
using kv::TruncSat;

TESSEL_API int dsoCalculatePassFailData(uint16_t h, uint16_t v, uint16_t* upper, uint16_t* lower,
                                        const uint16_t* record) {
    return Guarded(0, [&] {
        if (!upper || !lower || !record)
            return 0;
        const auto up = [&](int j) { return std::min(511, record[j] + static_cast<int>(v)); };
        const auto down = [&](int j) { return std::max(0, record[j] - static_cast<int>(v)); };
        std::vector<int> hi(kDisplayPoints), lo(kDisplayPoints);
        for (int i = 0; i < kDisplayPoints; ++i) {
            hi[i] = up(i);
            lo[i] = down(i);
        }
        const int width = h;
        for (int j = 0; j < kDisplayPoints; ++j) {
            const auto widen = [&](int k) {
                hi[k] = std::max(hi[k], up(j));
                lo[k] = std::min(lo[k], down(j));
            };
            if (j >= width)
                for (int k = j - width; k <= j; ++k)
                    widen(k);
            if (j + width < kDisplayPoints)
                for (int k = j; k <= j + width; ++k)
                    widen(k);
        }
        for (int i = 0; i < kDisplayPoints; ++i) {
            upper[i] = static_cast<uint16_t>(hi[i]);
            lower[i] = static_cast<uint16_t>(lo[i]);
        }
        return 1;
    });
}

TESSEL_API void dsoDrawPassFailRgn(HDC dc, const uint16_t* layout, const uint16_t* upper,
                                   const uint16_t* lower, uint16_t h) {
    Guarded(0, [&] {
        if (!dc || !layout || !upper || !lower)
            return 0;
        const int count = 502 - 2 * static_cast<int>(h);
        // Fewer than three corners is no polygon; from h = 252 on the count would be negative.
        if (count < 3)
            return 0;
        const Plot p = PlotOf(layout);
        const double s = p.PlotWidth() / 500.0, c = p.PlotHeight() / 511.0;
        const int xStart = p.left + TruncSat<int>(h * s), xEnd = p.left + TruncSat<int>((500 - h) * s);
        const auto zone = [&](const uint16_t* curve, int edgeY) {
            std::vector<POINT> pts;
            pts.reserve(count);
            pts.push_back({xStart, edgeY});
            for (int i = 0; i <= 499 - 2 * h; ++i)
                pts.push_back(
                    {p.left + TruncSat<int>((h + i) * s), p.top + TruncSat<int>((511 - curve[h + i]) * c)});
            pts.push_back({xEnd, edgeY});
            FillPolygon(dc, pts.data(), static_cast<int>(pts.size()), RGB(150, 128, 0));
        };
        zone(upper, p.top);
        zone(lower, p.top + TruncSat<int>(511 * c));
        return 1;
    });
}
