#pragma once
// Script text and bytes through a table, both ways. A script's text is UTF-8; its
// line breaks are not data (a line-break entry's text is followed by one, for the
// eye), `<$XX>` stands for the raw byte XX, and each other piece is the text of a
// table entry, matched longest first when the text is turned back into bytes.
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/table.h"

namespace tarpon {

// One piece of a string read through the table.
struct ScriptToken {
    size_t length = 0;   // the bytes it reads
    std::string text;    // what the script shows for them (may end in a line break)
    bool ends = false;   // an end token: the string ends after it
};

// `<$XX>` for every byte.
std::string rawBytesText(std::span<const uint8_t> bytes);

class ScriptTable {
public:
    explicit ScriptTable(const Table& table);

    // The token at the start of non-empty `bytes`: the longest entry's text (a
    // line-break entry's followed by a line break; a linked entry's followed by its
    // parameter bytes, raw), or with `raw`, or with no entry, the first byte as `<$XX>`.
    ScriptToken read(std::span<const uint8_t> bytes, bool raw) const;

    // The bytes `text` stands for, each line spelled by itself (an entry's text is
    // never matched across a line break, which is not data). `from` (optional): for
    // each byte, the index in `text` where the piece that gave it starts. Nothing
    // when a place begins no entry; `badAt` then holds that index.
    std::optional<std::vector<uint8_t>> spell(std::string_view text, std::vector<size_t>* from = nullptr,
                                              size_t* badAt = nullptr) const;

private:
    const Table& table_;
    std::map<std::string, std::string, std::less<>> keyOfText_;  // text without line breaks -> key
    std::vector<size_t> lengths_;  // the texts' lengths, longest first
    size_t longestText_ = 0;
};

}  // namespace tarpon
