#pragma once
#include <cstdint>
#include <string>

namespace tarpon {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The platform's window colours, as the classic desktop this editor imitates shows them.
inline constexpr Rgb kSystemWindowText{0, 0, 0};
inline constexpr Rgb kSystemWindowBackground{240, 240, 240};
inline constexpr Rgb kWhite{255, 255, 255};

struct FontSpec {
    std::string family;
    int pixelSize = 13;  // point size at 96 dpi: 9.75 pt -> 13 px, 9 pt -> 12 px, 8.25 pt -> 11 px
    bool bold = false;
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

struct Rect {
    double left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace tarpon
