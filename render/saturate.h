// Double to int32 conversion that cannot overflow: values beyond the int32
// range saturate, NaN becomes 0.
#pragma once

#include <cstdint>
#include <limits>

namespace velmora {

inline int32_t SaturateToInt32(double value) {
    if (!(value == value)) return 0;
    if (value <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (value >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

// A coverage value from its unrounded form: truncated, clamped to 0..255.
inline uint8_t SaturateCoverage(double value) {
    if (!(value > 0.0)) return 0;
    if (value >= 255.0) return 255;
    return static_cast<uint8_t>(value);
}

}  // namespace velmora
