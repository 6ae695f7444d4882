#pragma once
// Text turned into bytes through the character table: at each place the longest
// entry the text goes on with (the lowest byte of equally long ones).
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/char_table.h"

namespace tarpon {

// The bytes that spell `text` (in the table's own coding: UTF-8 with `utf8`, else
// Latin-1). Nothing when some place begins no entry; `refused` then holds the
// character found there.
std::optional<std::vector<uint8_t>> spellLongest(std::string_view text, const CharTable& table, bool utf8,
                                                 char32_t* refused = nullptr);

}  // namespace tarpon
