#pragma once
// Image lists: equal-sized images cut from bitmaps, drawn into a CDC or shown by Qt.
#include "framework/WinDef.h"

#include <QImage>

#include <vector>

class CDC;
class CBitmap;

constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR24 = 0x0018;
constexpr UINT ILC_COLOR32 = 0x0020;
constexpr UINT ILD_NORMAL = 0x0000;
constexpr UINT ILD_TRANSPARENT = 0x0001;

struct IMAGEINFO {
    RECT rcImage;
};

class CImageList {
public:
    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    BOOL DeleteImageList();
    // Adds every cx-wide image of the bitmap; returns the index of the first, or -1.
    int Add(CBitmap* pbmImage, CBitmap* pbmMask);
    // As above; pixels of crMask colour are left out when drawn transparently (ILC_MASK).
    int Add(CBitmap* pbmImage, COLORREF crMask);
    int Add(const QImage& image, COLORREF crMask = 0xFFFFFFFFu);
    int GetImageCount() const { return static_cast<int>(m_images.size()); }
    BOOL GetImageInfo(int nImage, IMAGEINFO* pImageInfo) const;
    BOOL Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle);
    // One image with its masked pixels transparent, for Qt icons.
    QImage GetImage(int nImage) const;
    SIZE GetImageSize() const { return SIZE{m_cx, m_cy}; }
    bool IsCreated() const { return m_created; }

private:
    bool m_created = false;
    int m_cx = 0;
    int m_cy = 0;
    UINT m_flags = 0;
    COLORREF m_mask = 0xFFFFFFFFu;
    std::vector<QImage> m_images; // 32-bit, masked pixels with alpha 0
};
