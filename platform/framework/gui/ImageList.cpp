#include "framework/ImageList.h"

#include "framework/DC.h"

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int) {
    if (cx <= 0 || cy <= 0 || cx > 4096 || cy > 4096)
        return FALSE;
    m_created = true;
    m_cx = cx;
    m_cy = cy;
    m_flags = nFlags;
    m_images.clear();
    m_images.reserve(static_cast<size_t>(nInitial > 0 ? nInitial : 0));
    return TRUE;
}

BOOL CImageList::DeleteImageList() {
    const BOOL had = m_created ? TRUE : FALSE;
    m_created = false;
    m_images.clear();
    return had;
}

int CImageList::Add(const QImage& source, COLORREF crMask) {
    if (!m_created || source.isNull() || source.height() < m_cy || source.width() < m_cx)
        return -1;
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int first = GetImageCount();
    const QRgb maskRgb = qRgb(GetRValue(crMask), GetGValue(crMask), GetBValue(crMask));
    const bool masked = (m_flags & ILC_MASK) && crMask != 0xFFFFFFFFu;
    for (int x0 = 0; x0 + m_cx <= image.width(); x0 += m_cx) {
        QImage piece = image.copy(x0, 0, m_cx, m_cy);
        for (int y = 0; y < m_cy; ++y) {
            auto* row = reinterpret_cast<QRgb*>(piece.scanLine(y));
            for (int x = 0; x < m_cx; ++x) {
                row[x] |= 0xFF000000u;
                if (masked && (row[x] & 0x00FFFFFFu) == (maskRgb & 0x00FFFFFFu))
                    row[x] = 0;
            }
        }
        m_images.push_back(std::move(piece));
    }
    return first;
}

int CImageList::Add(CBitmap* pbmImage, COLORREF crMask) {
    if (!pbmImage || !pbmImage->GetSafeHandle())
        return -1;
    BITMAP bm;
    if (pbmImage->GetBitmap(&bm) != static_cast<int>(sizeof bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return -1;
    QImage image(bm.bmWidth, bm.bmHeight, QImage::Format_RGB32);
    if (GetBitmapBits(static_cast<HBITMAP>(pbmImage->GetSafeHandle()), static_cast<LONG>(image.sizeInBytes()),
                      image.bits()) <= 0)
        return -1;
    return Add(image, crMask);
}

int CImageList::Add(CBitmap* pbmImage, CBitmap*) {
    return Add(pbmImage, 0xFFFFFFFFu);
}

BOOL CImageList::GetImageInfo(int nImage, IMAGEINFO* pImageInfo) const {
    if (!pImageInfo || nImage < 0 || nImage >= GetImageCount())
        return FALSE;
    pImageInfo->rcImage = RECT{0, 0, m_cx, m_cy};
    return TRUE;
}

QImage CImageList::GetImage(int nImage) const {
    if (nImage < 0 || nImage >= GetImageCount())
        return QImage();
    return m_images[static_cast<size_t>(nImage)];
}

BOOL CImageList::Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle) {
    if (!pDC || !pDC->GetSafeHdc() || nImage < 0 || nImage >= GetImageCount())
        return FALSE;
    const QImage& image = m_images[static_cast<size_t>(nImage)];
    const bool transparent = (nStyle & ILD_TRANSPARENT) != 0;
    for (int y = 0; y < m_cy; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < m_cx; ++x) {
            const QRgb p = row[x];
            if (transparent && qAlpha(p) == 0)
                continue;
            ::SetPixel(pDC->GetSafeHdc(), pt.x + x, pt.y + y, RGB(qRed(p), qGreen(p), qBlue(p)));
        }
    }
    return TRUE;
}
