#pragma once
// Colours and fonts that more than one window uses.
#include "screen/rgb.h"

namespace tarpon {

// The header strips of the main window and the table editor.
inline constexpr Rgb kHeadBack{141, 143, 171};
// A byte that stands for one letter, in the text pane.
inline constexpr Rgb kOneLetterText{63, 50, 218};
// The table editor's grid letters, and the fill of the marks.
inline constexpr Rgb kMarkBlue{0, 0, 192};

// Bytes that differ from the compared file: dark red on pale yellow, legible under both
// marks and whatever the desktop theme (the panes keep their own white).
inline constexpr Rgb kDifferenceBack{255, 236, 179};
inline constexpr Rgb kDifferenceText{160, 0, 0};

inline const FontSpec kCourier{"Courier", 13, false};
inline const FontSpec kWindowDefault{"Arial", 11, false};

}  // namespace tarpon
