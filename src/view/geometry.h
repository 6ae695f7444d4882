#pragma once
// Page geometry: 16 bytes to a row, rows 18 px apart, columns at W/17 pitch.
#include <cstdint>

#include "core/rounding.h"

namespace tarpon {

inline constexpr int kRowBytes = 16;
inline constexpr int kRowPitch = 18;

// Rows whose texts fit in a pane of height h: 18r + 23 <= h.
inline int rowsThatFit(double h) {
    if (h < 23) return 0;
    return static_cast<int>((h - 23) / kRowPitch) + 1;
}

inline bool rowFits(int64_t row, double h) { return static_cast<double>(18 * row + 23) <= h; }

inline double columnPitch(double paneWidth) { return paneWidth / 17.0; }

inline double columnX(int col, double pitch) { return roundHalfEven(col * pitch + pitch / 2); }

inline double rowTextY(int64_t row) { return static_cast<double>(18 * row + 5); }

// Row and column of a page-relative offset; rows count down from the page top,
// and an offset above the page has a negative row.
inline int64_t rowOf(int64_t rel) { return rel >> 4; }
inline int colOf(int64_t rel) { return static_cast<int>(rel & 15); }

}  // namespace tarpon
