#pragma once
// Numbers as build scripts and script files write them: hexadecimal after "0x" or
// "$", decimal otherwise, an optional "-" in front; nothing else around them.
#include <cstdint>
#include <optional>
#include <string_view>

namespace tarpon {

// Nothing for an empty text, a stray character, or a value beyond ±2^48.
std::optional<int64_t> readPlainNumber(std::string_view text);

}  // namespace tarpon
