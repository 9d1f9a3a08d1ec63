#include "PaintSurface.h"

#include <QPainter>
#include <QWidget>

namespace kv {

PaintSurface::~PaintSurface() {
    Release();
}

void PaintSurface::Release() {
    if (m_dc) {
        SelectObject(m_dc, m_oldBitmap);
        DeleteDC(m_dc);
    }
    if (m_bitmap)
        DeleteObject(m_bitmap);
    m_dc = nullptr;
    m_bitmap = nullptr;
    m_oldBitmap = nullptr;
    m_width = m_height = 0;
    m_drawn = false;
}

HDC PaintSurface::Begin(int width, int height, COLORREF background) {
    m_drawn = false;
    if (width <= 0 || height <= 0)
        return nullptr;
    if (m_dc && (width != m_width || height != m_height))
        Release();
    if (!m_dc) {
        m_dc = CreateCompatibleDC(nullptr);
        // Opaque pixels: Qt can show them in place as 32-bit RGB (see View()).
        m_bitmap = m_dc ? KvCreateOpaqueBitmap(m_dc, width, height) : nullptr;
        if (!m_bitmap) {
            Release();
            return nullptr;
        }
        m_oldBitmap = SelectObject(m_dc, m_bitmap);
        if (HBRUSH brush = CreateSolidBrush(background)) {
            const RECT all{0, 0, width, height};
            FillRect(m_dc, &all, brush);
            DeleteObject(brush);
        }
        m_width = width;
        m_height = height;
    }
    m_drawn = true;
    return m_dc;
}

QImage PaintSurface::View() const {
    KvBitmapPixels pixels{};
    if (!m_bitmap || !KvGetBitmapPixels(m_bitmap, &pixels) || !pixels.opaque)
        return QImage();
    // The drawing layer's own rows, not a copy: their words are 0xFFRRGGBB, which is what a
    // 32-bit RGB image holds. The image must not outlive this paint.
    return QImage(static_cast<const uchar*>(pixels.data), pixels.width, pixels.height, pixels.stride,
                  QImage::Format_RGB32);
}

QImage PaintSurface::Image() const {
    return View().copy();
}

bool PaintSurface::Present(QWidget* widget) {
    if (!m_drawn || !m_bitmap || !widget)
        return false;
    // A surface that covers the whole widget paints every pixel of it: Qt need not paint the
    // parent's background underneath first.
    if (widget->width() == m_width && widget->height() == m_height &&
        !widget->testAttribute(Qt::WA_OpaquePaintEvent))
        widget->setAttribute(Qt::WA_OpaquePaintEvent);
    QPainter painter(widget);
    return Present(painter);
}

bool PaintSurface::Present(QPainter& painter) {
    if (!m_drawn || !m_bitmap)
        return false;
    m_drawn = false;
    const QImage view = View();
    if (view.isNull())
        return false;
    painter.drawImage(0, 0, view);
    return true;
}

} // namespace kv
