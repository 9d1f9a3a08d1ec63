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
        m_bitmap = m_dc ? CreateCompatibleBitmap(m_dc, width, height) : nullptr;
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
        m_image = QImage(width, height, QImage::Format_RGB32);
    }
    m_drawn = true;
    return m_dc;
}

QImage PaintSurface::Image() {
    if (!m_bitmap)
        return QImage();
    // The drawing layer keeps its pixels to itself: fetch its 32-bit rows (B, G, R, x) into
    // the image's own buffer and mark them opaque, as the unused byte is undefined.
    GetBitmapBits(m_bitmap, static_cast<LONG>(m_image.sizeInBytes()), m_image.bits());
    for (int y = 0; y < m_height; ++y) {
        auto* row = reinterpret_cast<quint32*>(m_image.scanLine(y));
        for (int x = 0; x < m_width; ++x)
            row[x] |= 0xFF000000u;
    }
    return m_image;
}

bool PaintSurface::Present(QWidget* widget) {
    if (!m_drawn || !m_bitmap || !widget)
        return false;
    QPainter painter(widget);
    return Present(painter);
}

bool PaintSurface::Present(QPainter& painter) {
    if (!m_drawn || !m_bitmap)
        return false;
    m_drawn = false;
    const QImage image = Image();
    if (image.isNull())
        return false;
    painter.drawImage(0, 0, image);
    return true;
}

} // namespace kv
