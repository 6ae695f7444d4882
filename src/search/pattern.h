#pragma once
// Turning what the user typed in the find dialog into the bytes to search for.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/char_table.h"

namespace tarpon {

// How the search text is read; the values are the indexes of the dialog's option buttons.
enum class PatternKind { Ascii = 0, Table = 1, Hex = 2, Dec = 3, Oct = 4 };

struct SearchRequest {
    std::vector<uint8_t> pattern;  // at least one byte
    int32_t wildcard = -1;         // 0..255, or -1 for none
};

// Nothing when there is nothing to search for (empty text, or a number list that
// is empty because it starts with a blank). Texts are Latin-1, one byte a character,
// and a Table search makes each character the first entry starting with it. With
// `tableUtf8` (the table's letters are UTF-8), a Table search takes both texts as
// UTF-8 and spells the text with the table's entries, longest first. A wild card
// that no byte can stand for gives nothing, and `problem` (when given) says why.
std::optional<SearchRequest> buildPattern(PatternKind kind, std::string_view text,
                                          std::string_view wildcard, const CharTable& table,
                                          bool tableUtf8 = false, std::string* problem = nullptr);

}  // namespace tarpon
