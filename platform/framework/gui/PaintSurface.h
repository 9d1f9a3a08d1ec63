#pragma once
// An off-screen drawing bitmap of a window's client size, shown on the widget in one copy.
#include "gdi/gdi.h"

#include <QImage>

class QPainter;
class QWidget;

namespace kv {

class PaintSurface {
public:
    PaintSurface() = default;
    PaintSurface(const PaintSurface&) = delete;
    PaintSurface& operator=(const PaintSurface&) = delete;
    ~PaintSurface();

    // A context on a bitmap of width x height, or nullptr when either is 0 or less: nothing
    // is created, drawn or shown then. The bitmap is kept while the size stays the same; a
    // new one starts filled with the background colour, as an erased window would.
    HDC Begin(int width, int height, COLORREF background = RGB(240, 240, 240));
    // Draws the bitmap on the widget with one drawImage straight from the bitmap's pixels;
    // false when nothing was drawn.
    bool Present(QWidget* widget);
    // The same onto an open painter.
    bool Present(QPainter& painter);
    // A copy of the pixels as an image.
    QImage Image() const;

private:
    // The bitmap's pixels wrapped in place (no copy); valid while the bitmap is not drawn into.
    QImage View() const;
    void Release();
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    int m_width = 0;
    int m_height = 0;
    bool m_drawn = false;
};

} // namespace kv
