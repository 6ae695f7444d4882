#pragma once
// Bytes as hexadecimal text and back: the one formatter and reader of hex digits,
// and the `<$XX>` form in which copied text and scripts write a raw byte.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarpon {

// The value of a hexadecimal digit (either case), or -1.
constexpr int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

inline constexpr char kHexDigits[] = "0123456789ABCDEF";

// Two upper-case digits.
inline void appendHexByte(std::string& out, uint8_t b) {
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 15];
}

// "<$XX>".
inline void appendRawByte(std::string& out, uint8_t b) {
    const char text[5] = {'<', '$', kHexDigits[b >> 4], kHexDigits[b & 15], '>'};
    out.append(text, 5);
}

// The byte of a `<$XX>` at the start of `text` (digits of either case), or -1.
inline int rawByteAt(std::string_view text) {
    if (text.size() < 5 || text[0] != '<' || text[1] != '$' || text[4] != '>') return -1;
    const int high = hexDigitValue(text[2]), low = hexDigitValue(text[3]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// "41 42 0A": the bytes as pairs of digits, a blank between them.
std::string hexPairs(std::span<const uint8_t> bytes);

// `<$XX>` for every byte.
std::string rawBytesText(std::span<const uint8_t> bytes);

}  // namespace tarpon
