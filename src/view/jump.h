#pragma once
// What the "Jump To" window decides: the radix filter and the target offset.
#include <cstdint>
#include <optional>
#include <string>

namespace tarpon {

enum class Radix { Hex = 0, Dec = 1, Oct = 2 };

// The prefix that gives typed digits their radix.
const char* jumpPrefix(Radix radix);

// Switching to Dec or Oct keeps only digits 0-9 and blanks; Hex keeps the text.
std::string filterForRadix(const std::string& text, Radix radix);

// The offset to move to, or nothing when the number does not fit a 32-bit offset.
// A leading "-" counts only for relative jumps. After it, "0x" or "$" makes the
// number hexadecimal whatever the radix. Targets below 0 are left to the
// cursor movement, which puts them at 0.
std::optional<int64_t> jumpTarget(const std::string& text, Radix radix, bool relative, int64_t cursor);

}  // namespace tarpon
