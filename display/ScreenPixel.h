#pragma once
// Conversion of computed screen coordinates to pixel addresses for the screen panel.
#include <cmath>

namespace kv {

// Coordinates are kept well inside the int range so that the drawing layer's origin shifts
// cannot overflow; anything this far out lies off every surface anyway.
constexpr double kPixelLimit = 1 << 28;

// Truncates toward zero like kv::TruncSat, but saturates at +-kPixelLimit instead of the int
// range; NaN gives 0.
inline int ToPixel(double v) {
    if (std::isnan(v))
        return 0;
    if (v >= kPixelLimit)
        return static_cast<int>(kPixelLimit);
    if (v <= -kPixelLimit)
        return -static_cast<int>(kPixelLimit);
    return static_cast<int>(v);
}

} // namespace kv
