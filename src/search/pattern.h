#pragma once
// Turning what the user typed in the find dialog into the bytes to search for.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/char_table.h"
#include "core/table.h"

namespace tarpon {

// How the search text is read; the values are the indexes of the dialog's option buttons.
enum class PatternKind { Ascii = 0, Table = 1, Hex = 2, Dec = 3, Oct = 4 };

struct SearchRequest {
    std::vector<uint8_t> pattern;                      // at least one byte
    std::vector<std::vector<uint8_t>> otherSpellings;  // a Table text: the other byte sequences that read as it
    int32_t wildcard = -1;                             // 0..255, or -1 for none
    bool moreSpellings = false;                        // the text has more than kMaxSpellings spellings
};

// Nothing when there is nothing to search for (empty text, or a number list that
// is empty because it starts with a blank). Texts are Latin-1, one byte a character,
// or with `tableUtf8` (the table's letters are UTF-8) a Table search takes both texts
// as UTF-8. A Table search looks for every spelling of the text through the table's
// entries (see spellingsOf): `pattern` the one of the longest entries, the others
// beside it; a character that begins no entry is the first entry starting with it,
// or 0. A wild card that no byte can stand for gives nothing, and `problem` (when
// given) says why.
std::optional<SearchRequest> buildPattern(PatternKind kind, std::string_view text,
                                          std::string_view wildcard, const CharTable& table,
                                          bool tableUtf8 = false, std::string* problem = nullptr);
// A Table search through a table of keys of any length; `text` and `wildcard` are UTF-8.
std::optional<SearchRequest> buildTablePattern(std::string_view text, std::string_view wildcard,
                                               const Table& table, std::string* problem = nullptr);

}  // namespace tarpon
