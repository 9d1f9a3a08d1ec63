#pragma once
// A window-like target for paint tests: a bitmap-backed context standing in for the paint
// context, filled with a colour no drawing uses.
#include "framework/DC.h"

namespace kvtest {

constexpr COLORREF kTargetColor = RGB(1, 2, 3);

struct BitmapTarget {
    CDC dc;
    CBitmap bmp;
    CBitmap* old = nullptr;
    BitmapTarget(int w, int h) {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, w, h);
        old = dc.SelectObject(&bmp);
        dc.FillSolidRect(0, 0, w, h, kTargetColor);
    }
    ~BitmapTarget() { dc.SelectObject(old); }
    BitmapTarget(const BitmapTarget&) = delete;
    BitmapTarget& operator=(const BitmapTarget&) = delete;
};

} // namespace kvtest
