#pragma once
// Text turned into bytes through the character table: at each place the longest
// entry the text goes on with (the shortest, then lowest key of equally long ones).
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/char_table.h"
#include "core/table.h"

namespace tarpon {

// Find looks for at most this many spellings of one text.
inline constexpr size_t kMaxSpellings = 4096;

struct Spellings {
    std::vector<std::vector<uint8_t>> bytes;  // distinct; the preferred spelling first
    bool more = false;                        // the text has more spellings than were asked for
    char32_t refused = 0;                     // no spelling: the character no entry begins
};

// The byte sequences that `table` reads as `text` (UTF-8; a byte that begins no
// sequence is a character of its own), at most `most`. At each place every entry
// whose text the rest begins with and after which the rest can still be spelled:
// the longest text first, of equally long ones the shortest key, then the lowest.
// Where the rest cannot be spelled to its end, the entries that fit are taken all the
// same, and a character that begins no entry is, with `fallback` (the one-byte view,
// UTF-8), the first entry of it that starts with the character, or 0; without one,
// there is no spelling and `refused` names the character.
Spellings spellingsOf(const Table& table, std::string_view text, size_t most, const CharTable* fallback = nullptr);

// The first spelling through the whole table; nothing when some character begins no
// entry, and `refused` then names it.
std::optional<std::vector<uint8_t>> spellLongest(std::string_view text, const Table& table,
                                                 char32_t* refused = nullptr);

}  // namespace tarpon
