#pragma once
// Private helpers of the library's drawing functions: panel geometry, objects selected for one
// call, and the trace routine and pen colour that the model builds share.
#include <cstdint>

#include "gdi/gdi.h"

namespace kv::sdk {

// Plot area of a panel layout {width, height, left, right, top, bottom, ...}.
struct Plot {
    int width = 0, height = 0;                    // panel
    int left = 0, right = 0, top = 0, bottom = 0; // margins
    int PlotWidth() const { return width - left - right; }
    int PlotHeight() const { return height - top - bottom; }
    double DivisionWidth() const { return PlotWidth() / 10.0; }
    double DivisionHeight() const { return PlotHeight() / 8.0; }
    // y of a display code 0..511 (511 at the top).
    int CodeY(int code) const;
};
template <typename T> Plot PlotOf(const T* layout) {
    Plot p;
    p.width = static_cast<int>(layout[0]);
    p.height = static_cast<int>(layout[1]);
    p.left = static_cast<int>(layout[2]);
    p.right = static_cast<int>(layout[3]);
    p.top = static_cast<int>(layout[4]);
    p.bottom = static_cast<int>(layout[5]);
    return p;
}

// A GDI object made for one call: selected on construction, deselected and deleted when it goes
// out of scope. A null object (creation failed) selects nothing.
class ScopedObject {
public:
    ScopedObject(HDC dc, HGDIOBJ object);
    ~ScopedObject();
    ScopedObject(const ScopedObject&) = delete;
    ScopedObject& operator=(const ScopedObject&) = delete;
    bool Ok() const { return m_object != nullptr; }

private:
    HDC m_dc;
    HGDIOBJ m_object;
    HGDIOBJ m_previous = nullptr;
};

// Fills a polygon as a region with a solid colour; the region and brush live for this call only.
void FillPolygon(HDC dc, const POINT* points, int count, COLORREF colour);

// One line from (x0, y0) to (x1, y1) with the selected pen (the end point excluded).
void Line(HDC dc, int x0, int y0, int x1, int y1);

// The graticule of the main panel: dotted grid lines and solid centre-axis ticks.
void DrawGraticule(HDC dc, const Plot& plot);

// Pen colour of a trace: selectors 0 and 1 the colour block, 2 red, 3 cyan, each component scaled
// by intensity / 255 and held at 255. False for other selectors or a missing colour block.
bool TraceColour(std::uint16_t selector, std::uint16_t intensity, const std::uint16_t* colour, COLORREF* out);

// The standard trace drawer (vectors or dots). 1 when drawn, 0 when refused.
int DrawTraceStandard(HDC dc, const std::uint16_t* layout, std::uint16_t mode, const std::uint16_t* record,
                      std::uint16_t selector, std::uint16_t intensity, const std::uint16_t* colour);

} // namespace kv::sdk
