#pragma once
// Script text and bytes through a table, both ways. A script's text is UTF-8; its
// line breaks are not data (a line-break entry's text is followed by one, for the
// eye), `<$XX>` stands for the raw byte XX, and each other piece is the text of a
// table entry, matched longest first when the text is turned back into bytes.
#include <climits>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/table.h"
#include "core/two_byte_index.h"

namespace tarpon {

// One piece of a string read through the table; its text is appended to a script.
struct ScriptToken {
    size_t length = 0;   // the bytes it reads
    bool ends = false;   // an end token: the string ends after it
    bool sure = true;    // its text spells back to its bytes whatever text follows it
    bool risky = false;  // its text holds a "/" or a line break, or begins with "#" or a blank: it may change a script line
};

// A number as scripts write offsets: "$" and upper-case hex digits, "$-" when negative.
std::string scriptNumber(int64_t value);

// `<$XX>` for every byte.
std::string rawBytesText(std::span<const uint8_t> bytes);

class ScriptTable {
public:
    explicit ScriptTable(const Table& table);

    // The token at the start of non-empty `bytes`, its text appended to `out`: the
    // longest entry's text (a line-break entry's followed by a line break; a linked
    // entry's followed by its parameter bytes, raw), or with `raw`, or with no entry,
    // the first byte as `<$XX>`.
    ScriptToken read(std::span<const uint8_t> bytes, bool raw, std::string& out) const;

    // The bytes `text` stands for, each line spelled by itself (an entry's text is
    // never matched across a line break, which is not data). `from` (optional): for
    // each byte, the index in `text` where the piece that gave it starts. Nothing
    // when a place begins no entry; `badAt` then holds that index.
    std::optional<std::vector<uint8_t>> spell(std::string_view text, std::vector<size_t>* from = nullptr,
                                              size_t* badAt = nullptr) const;
    // The same into `bytes` (cleared first), for a caller that spells many texts;
    // false where spell gives nothing.
    bool spellInto(std::string_view text, std::vector<uint8_t>& bytes, std::vector<size_t>* from = nullptr,
                   size_t* badAt = nullptr) const;

private:
    void markSureEntries();
    void markFirstBytes();
    bool spellLines(std::string_view text, std::vector<uint8_t>& bytes, std::vector<size_t>* from,
                    size_t* badAt) const;

    const Table& table_;
    // What reading gives for each entry of the table: its text (and a line break's
    // line break) in texts_, its key's length, its parameter bytes, and flags:
    // kSure: no text that may follow its text can make them spell otherwise (its
    // text is the only one for its key, begins no longer text and holds nothing that
    // reads as a raw byte or a line break); kRisky: as ScriptToken::risky; kEnds: an
    // end token.
    static constexpr uint8_t kSure = 1, kRisky = 2, kEnds = 4;
    struct Piece {
        uint32_t text = 0, textLength = 0, keyLength = 0;
        int32_t params = 0;
        uint8_t flags = 0;
    };
    std::vector<Piece> pieces_;
    std::string texts_;
    // The entry read at each pair of first bytes (its place in the table's entries),
    // -1 for none, or kWalk where a key of three or more bytes may match.
    static constexpr int32_t kWalk = INT32_MIN;
    TwoByteIndex<int32_t> entryOf_;
    // The texts as keys of a table of their own, each entry's text being the key it
    // spells (empty for an end tag): longest match over it spells a script's text.
    Table keyOfText_;
};

}  // namespace tarpon
