#pragma once
// Narrowing of real and wide values into smaller integer fields, the one rule used throughout:
// truncation toward zero, then saturation to the target's range; NaN gives 0.
#include <cmath>
#include <cstdint>
#include <limits>

namespace kv {

template <typename T> T TruncSat(double v) {
    if (std::isnan(v))
        return 0;
    const double t = std::trunc(v);
    if (t <= static_cast<double>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (t >= static_cast<double>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return static_cast<T>(t);
}

template <typename T> T Saturate(std::int64_t v) {
    if (v < static_cast<std::int64_t>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (v > static_cast<std::int64_t>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return static_cast<T>(v);
}

} // namespace kv
