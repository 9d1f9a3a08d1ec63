// Drawing for clients on their own device contexts: traces, the X-Y plot, the graticule, printed
// markers and cursor lines, and the knob.
#include "Drawing.h"

#include <algorithm>
#include <cmath>

#include "Driver.h"
#include "ModelConstants.h"
#include "Tessel.h"
#include "system/Narrow.h"

namespace kv::sdk {

int Plot::CodeY(int code) const {
    return top + static_cast<int>(static_cast<std::int64_t>(511 - code) * PlotHeight() / 511);
}

ScopedObject::ScopedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_object(object) {
    if (m_object)
        m_previous = SelectObject(m_dc, m_object);
}

ScopedObject::~ScopedObject() {
    if (!m_object)
        return;
    if (m_previous)
        SelectObject(m_dc, m_previous);
    DeleteObject(m_object);
}

void FillPolygon(HDC dc, const POINT* points, int count, COLORREF colour) {
    HRGN region = CreatePolygonRgn(points, count, ALTERNATE);
    HBRUSH brush = CreateSolidBrush(colour);
    if (region && brush)
        FillRgn(dc, region, brush);
    if (region)
        DeleteObject(region);
    if (brush)
        DeleteObject(brush);
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

void DrawGraticule(HDC dc, const Plot& p) {
    const double dw = p.DivisionWidth(), dh = p.DivisionHeight();
    const int right = p.width - p.right, bottom = p.height - p.bottom;
    {
        ScopedObject pen(dc, CreatePen(PS_DOT, 1, RGB(100, 100, 100)));
        for (int i = 0; i <= 8; ++i) {
            const int y = TruncSat<int>(p.top + i * dh);
            Line(dc, p.left, y, right, y);
        }
        for (int i = 0; i <= 10; ++i) {
            const int x = TruncSat<int>(p.left + i * dw);
            Line(dc, x, p.top, x, bottom);
        }
    }
    ScopedObject pen(dc, CreatePen(PS_SOLID, 1, RGB(100, 100, 100)));
    const int cx = TruncSat<int>(p.left + 5 * dw), cy = TruncSat<int>(p.top + 4 * dh);
    const int reachX = TruncSat<int>(0.1 * dw), reachY = TruncSat<int>(0.1 * dh);
    for (int i = 0; i < 40; ++i) {
        const int y = TruncSat<int>(p.top + i * dh / 5);
        Line(dc, cx - reachX, y, cx + reachX, y);
    }
    for (int i = 0; i < 50; ++i) {
        const int x = TruncSat<int>(p.left + i * dw / 5);
        Line(dc, x, cy - reachY, x, cy + reachY);
    }
}

bool TraceColour(std::uint16_t selector, std::uint16_t intensity, const std::uint16_t* colour,
                 COLORREF* out) {
    // Integer scaling by intensity / 255; a component above 255 would wrap into its neighbour
    // when packed (an intensity of 511 doubles every component). Two 16-bit factors overflow int.
    const auto scale = [intensity](std::int64_t c) {
        return static_cast<int>(std::clamp<std::int64_t>(c * intensity / 255, 0, 255));
    };
    switch (selector) {
    case 0:
    case 1:
        if (!colour)
            return false;
        *out = RGB(scale(colour[0]), scale(colour[1]), scale(colour[2]));
        return true;
    case 2:
        *out = RGB(scale(236), 0, 0);
        return true;
    case 3:
        *out = RGB(scale(100), scale(250), scale(250));
        return true;
    default:
        return false;
    }
}

int DrawTraceStandard(HDC dc, const std::uint16_t* layout, std::uint16_t mode, const std::uint16_t* record,
                      std::uint16_t selector, std::uint16_t intensity, const std::uint16_t* colour) {
    COLORREF penColour = 0;
    if (!dc || !layout || !record || !TraceColour(selector, intensity, colour, &penColour))
        return 0;
    const Plot p = PlotOf(layout);
    const int k = std::max(1, layout[6] / 10);
    const int pw = p.PlotWidth();
    // Codes above 511 sit on the top edge.
    const auto yOf = [&](int code) { return p.CodeY(std::min(code, 511)); };
    const auto xOf = [&](int i) {
        return p.left + static_cast<int>(static_cast<std::int64_t>(k) * i * pw / 500);
    };
    ScopedObject pen(dc, CreatePen(PS_SOLID, 1, penColour));
    for (int i = 1; i <= 500 / k - 1; ++i) {
        const int u = record[k * i], t = record[k * (i - 1)];
        const int x = xOf(i);
        if (mode == 1) {
            if (t >= 700 || u >= 700)
                continue; // gap
            if (t > 511 && u > 511)
                continue;
            if (t == u && (t <= 0 || t >= 511))
                continue; // a trace pinned at an edge draws no line along it
            Line(dc, xOf(i - 1), yOf(t), x, yOf(u));
        } else if (u >= 1 && u <= 510) {
            const int y = yOf(u);
            Line(dc, x + 1, y, x + 1, y + 1);
        }
    }
    return 1;
}

} // namespace kv::sdk

using namespace kv::sdk;
using kv::TruncSat;

#if !defined(KV_SDK_MODEL_PALLIK)
// The Pallik build draws its traces with its own routine (sdk/variants).
TESSEL_API int dsoDisplayData(HDC dc, const uint16_t* layout, uint16_t mode, const uint16_t* record,
                              uint16_t colourSelector, uint16_t intensity, const uint16_t* colour) {
    return Guarded(
        0, [&] { return DrawTraceStandard(dc, layout, mode, record, colourSelector, intensity, colour); });
}
#endif

TESSEL_API void dsoDisplayDataXYMode(HDC dc, const uint16_t* layout, uint16_t mode, const uint16_t* xRecord,
                                     const uint16_t* yRecord) {
    Guarded(0, [&] {
        if (!dc || !layout || !xRecord || !yRecord)
            return 0;
        const Plot p = PlotOf(layout);
        const int k = std::max(1, layout[6] / 10);
        const std::int64_t pw = p.PlotWidth();
        ScopedObject pen(dc, CreatePen(PS_SOLID, 1, RGB(100, 250, 250)));
        bool first = true;
        for (int i = 1; i <= 1000 / k - 1; ++i) {
            const int at = k * i / 2;
            const int xv = xRecord[at], yv = yRecord[at];
            if (xv > 511 || yv > 511)
                continue;
            const int x = p.left + static_cast<int>((xv + 32) * pw / 320);
            const int y = p.CodeY(yv);
            if (mode == 1) {
                if (first)
                    MoveToEx(dc, x, y, nullptr);
                else
                    LineTo(dc, x, y);
                first = false;
            } else {
                Line(dc, x + 1, y, x + 1, y + 1);
            }
        }
        return 1;
    });
}

TESSEL_API void dsoMainPannelDrawGrid(HDC dc, const uint16_t* layout) {
    Guarded(0, [&] {
        if (!dc || !layout)
            return 0;
        DrawGraticule(dc, PlotOf(layout));
        return 1;
    });
}

TESSEL_API int dsoPrintDrawGrid(HDC dc, const uint16_t* layout, uint16_t ch1Position, uint16_t ch2Position,
                                uint16_t channelSelector, uint16_t triggerPosition) {
    return Guarded(0, [&] {
        if (!dc || !layout)
            return 0;
        const Plot p = PlotOf(layout);
        const double dw = p.DivisionWidth(), dh = p.DivisionHeight();
        {
            ScopedObject pen(dc, CreatePen(PS_DOT, 2, RGB(100, 100, 100)));
            const int cy = TruncSat<int>(p.top + 4 * dh), cx = TruncSat<int>(p.left + 5 * dw);
            Line(dc, p.left, cy, p.width - p.right, cy);
            Line(dc, cx, p.top, cx, p.height - p.bottom);
        }
        const int m = TruncSat<int>(dw) / 10;
        const auto channelMarker = [&](int position, COLORREF colour) {
            const int y = p.top + TruncSat<int>(position * dh * 8 / 511);
            const POINT tri[3] = {{p.left, y}, {p.left - m, y - m}, {p.left - m, y + m}};
            FillPolygon(dc, tri, 3, colour);
        };
        if (channelSelector != 2)
            channelMarker(ch1Position, RGB(0, 0, 0));
        if (channelSelector != 1)
            channelMarker(ch2Position, RGB(255, 0, 255));
        const int x = p.left + TruncSat<int>(triggerPosition * dw * 10 / 4);
        const int b = TruncSat<int>(p.top + 8 * dh);
        const POINT down[3] = {{x, p.top}, {x + m, p.top - m}, {x - m, p.top - m}};
        const POINT up[3] = {{x, b}, {x + m, b + m}, {x - m, b + m}};
        FillPolygon(dc, down, 3, RGB(0, 0, 255));
        FillPolygon(dc, up, 3, RGB(0, 0, 255));
        return 1;
    });
}

TESSEL_API void dsoPrintBackColor(HDC dc, const uint16_t* layout, uint16_t x1, uint16_t y1, uint16_t x2,
                                  uint16_t y2) {
    Guarded(0, [&] {
        if (!dc || !layout)
            return 0;
        const Plot p = PlotOf(layout);
        const double u = p.PlotHeight() / 8000.0;
        const int e = TruncSat<int>(100 * u);
        const auto cursor = [&](int style, int cx, int cy) {
            ScopedObject pen(dc, CreatePen(style, 1, RGB(0, 0, 0)));
            const int y = TruncSat<int>(p.top + cy * u);
            Line(dc, p.left - e, y, p.width - p.right + e, y);
            const int x = TruncSat<int>(p.left + static_cast<double>(cx) * p.PlotWidth() / 10000);
            Line(dc, x, p.top - e, x, p.height - p.bottom + e);
        };
        cursor(PS_DASHDOTDOT, x1, y1);
        cursor(PS_DASHDOT, x2, y2);
        return 1;
    });
}

TESSEL_API void dsoDrawKnob(HDC dc, const uint16_t* knob, uint16_t value) {
    Guarded(0, [&] {
        if (!dc || !knob)
            return 0;
        const int w = knob[0], h = knob[1], a = knob[2], b = knob[4];
        // Arcs, pies and chords without a pen or brush of their own use the context's current ones.
        Arc(dc, a - 3, b - 3, w - a + 3, h - b + 3, w, h, 0, h);
        Pie(dc, a - 10, b - 10, w - a + 10, h - b + 10, 0, h, 1, h);
        Pie(dc, a - 10, b - 10, w - a + 10, h - b + 10, w, h + 1, w, h);
        {
            ScopedObject light(dc, CreateSolidBrush(RGB(210, 210, 210)));
            Chord(dc, a, b, w - a, h - b, w, 0, 0, h);
        }
        {
            ScopedObject dark(dc, CreateSolidBrush(RGB(120, 120, 120)));
            Chord(dc, a, b, w - a, h - b, 0, h, w, 0);
        }
        COLORREF face = RGB(210, 210, 210); // also any kind above 2
        if (knob[7] == 0)
            face = RGB(50, 50, 255);
        else if (knob[7] == 1 && knob[8] == 1)
            face = RGB(0, 230, 0);
        else if (knob[7] == 2 && knob[9] == 1)
            face = RGB(225, 214, 0);
        {
            ScopedObject brush(dc, CreateSolidBrush(face));
            Ellipse(dc, a + 6, b + 6, w - a - 6, h - b - 6);
        }
        {
            const double v = std::min<int>(value, 100);
            const double angle = (-v * 0.75 - 12.5) * 2 * 3.141592 / 100;
            const int radius = TruncSat<int>(w / 3.2);
            ScopedObject pen(dc, CreatePen(PS_SOLID, 2, RGB(255, 255, 255)));
            Line(dc, w / 2, h / 2, w / 2 + TruncSat<int>(radius * std::sin(angle)),
                 h / 2 + TruncSat<int>(radius * std::cos(angle)));
        }
        ScopedObject capPen(dc, CreatePen(PS_SOLID, 2, face));
        ScopedObject capBrush(dc, CreateSolidBrush(face));
        Ellipse(dc, a + 17, b + 17, w - a - 17, h - b - 17);
        return 1;
    });
}

TESSEL_API int dsoGetKnobCurrentScale(int32_t x, int32_t y, const uint16_t* knob) {
    return Guarded(0, [&] {
        if (!knob)
            return 0;
        // In 64 bits: a point near the ends of the int32 range overflows int when moved or negated.
        const std::int64_t dx = static_cast<std::int64_t>(x) - knob[0] / 2;
        const std::int64_t dy = static_cast<std::int64_t>(y) - knob[1] / 2;
        const double angle = std::atan2(static_cast<double>(dx), static_cast<double>(-dy));
        const double value = (angle * 50 / 3.141592 + 50 - 12) / 0.75;
        return TruncSat<int>(std::clamp(value, 0.0, 100.0));
    });
}
