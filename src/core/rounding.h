#pragma once
// One rounding rule for every real that becomes an integer: nearest, ties to even.
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace tarpon {

inline double roundHalfEven(double v) { return std::nearbyint(v); }

inline int64_t roundToInt64(double v) {
    const double r = std::nearbyint(v);
    if (!(r > -9.2e18 && r < 9.2e18)) return r > 0 ? std::numeric_limits<int64_t>::max()
                                                    : std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(r);
}

// A rounded value that fits a signed 32-bit offset, or nothing (NaN, infinity, too large).
inline std::optional<int32_t> roundToInt32(double v) {
    const double r = std::nearbyint(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return std::nullopt;
    return static_cast<int32_t>(r);
}

}  // namespace tarpon
