#pragma once
// Offsets and other numbers as the editor writes them: upper-case hexadecimal or
// decimal, optionally padded with zeros to a width.
#include <cstdint>
#include <string>

namespace tarpon {

// value in hexadecimal (as an unsigned 32-bit number) or decimal, zero-padded to width.
std::string PadNumber(int32_t value, bool hexMode, int width);

// An offset without padding: "1A2B" or "6699".
std::string offsetText(int64_t value, bool hexMode);

}  // namespace tarpon
