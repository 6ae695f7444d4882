#pragma once
// Script text and bytes through a table, both ways. A script's text is UTF-8; its
// line breaks are not data (a line-break entry's text is followed by one, for the
// eye), `<$XX>` stands for the raw byte XX, and each other piece is the text of a
// table entry, matched longest first when the text is turned back into bytes.
#include <array>
#include <bitset>
#include <climits>
#include <cstdlib>
#include <memory>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/hex_text.h"
#include "core/spelling.h"
#include "core/table.h"
#include "core/two_byte_index.h"

namespace tarpon {

// Scripts larger than this are neither read nor written: a dump of the largest
// document through an ordinary table stays well below it.
inline constexpr int64_t kMaxScriptSize = int64_t{256} << 20;

// One piece of a string read through the table; its text is appended to a script.
struct ScriptToken {
    size_t length = 0;   // the bytes it reads
    bool ends = false;   // an end token: the string ends after it
    bool sure = true;    // its text spells back to its bytes whatever text follows it
    bool risky = false;  // its text holds a "/" or a line break, or begins with "#" or a blank: it may change a script line
};

// A number as scripts write offsets: "$" and upper-case hex digits, "$-" when negative.
std::string scriptNumber(int64_t value);
void appendScriptNumber(std::string& out, int64_t value);


class ScriptTable {
public:
    explicit ScriptTable(const Table& table);

    // The token at the start of non-empty `bytes`, its text appended to `out`: the
    // longest entry's text (a line-break entry's followed by a line break; a linked
    // entry's followed by its parameter bytes, raw), or with `raw`, or with no entry,
    // the first byte as `<$XX>`.
    ScriptToken read(std::span<const uint8_t> bytes, bool raw, std::string& out) const;

    // Reads on from doc[at] while each piece is sure to spell back and safe in a
    // script line (no parameter bytes, nothing that forms a comment or a command), its
    // text appended to `out`, where out[lineAt] began the line; stops before any other
    // piece, after an end token (then `ended`), or at `limit`, or one piece before it
    // where a piece's text depends on the byte after it. Gives where it stopped. Most
    // strings are read whole here.
    int64_t readSure(std::span<const uint8_t> doc, int64_t at, int64_t limit, std::string& out, size_t lineAt,
                     bool& ended) const;

    // How an insert spells the script's text back (Atlas's rule), which the dump
    // writes for.
    const Speller& speller() const { return speller_; }

private:
    void markSureEntries();
    void markFirstBytes();

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
    // The same for readSure, packed: a piece it may read straight on (kUsable); a
    // one-byte letter written as its text or raw by the byte that follows it
    // (kBeginsLonger: its text may begin longer texts, see decide()); kLeadRisk: usable
    // only away from a line's start (its text begins with "#" or a blank).
    static constexpr uint8_t kUsable = 1, kBeginsLonger = 8, kLeadRisk = 16, kIndexed = 32, kNoEntry = 64;
    struct SurePiece {
        uint32_t text = 0;
        uint16_t textLength = 0;
        uint8_t keyLength = 0;
        uint8_t flags = 0;  // kUsable, kBeginsLonger, kLeadRisk, kEnds
    };
    std::vector<SurePiece> sure_;
    // The piece that the first two bytes read, kNoEntry, or kIndexed: a longer key may match.
    TwoByteIndex<SurePiece> surePieces_;
    // For a kBeginsLonger piece of key A followed by byte b, at decisions_[A * 256 + b]:
    // kUnknown (look closer: the careful path), kAsText, kAsRaw, or kNotYet. Worked out
    // when first needed, so a ScriptTable is not for several threads at once.
    enum Decision : uint8_t { kNotYet, kUnknown, kAsText, kAsRaw };
    mutable std::vector<uint8_t> decisions_;
    std::vector<std::bitset<256>> goesOn_;  // for such a letter A: the letters some text has after A's text
    Decision decide(uint8_t a, uint8_t b, const SurePiece& pa) const;
    std::vector<std::string_view> sortedTexts_;  // every entry's text, sorted: which begin longer ones
    bool beginsLonger(std::string_view text) const;
    std::string texts_;
    size_t rawAt_ = 0;  // where texts_ holds `<$XX>` of each byte value XX, 8 bytes apart
    // For a letter written by the byte after it, by the pair of bytes: kWriteFirst plus
    // where its text (or `<$XX>`) is in texts_ and its length (at << 8 | length), or
    // kWriteOther (the pieces are read one by one), or kWriteNotYet; kWriteLeadRisk
    // added for a text written only away from a line's start. Made when met.
    static constexpr uint32_t kWriteNotYet = 0, kWriteOther = 1, kWriteFirst = 2, kWriteLeadRisk = 1u << 31;
    struct FreeWrites {
        void operator()(uint32_t* p) const { std::free(p); }
    };
    mutable std::unique_ptr<uint32_t[], FreeWrites> writes_;
    uint32_t pairWrite(uint8_t a, uint8_t b) const;
    // The entry read at each pair of first bytes (its place in the table's entries),
    // -1 for none, or kWalk where a key of three or more bytes may match.
    static constexpr int32_t kWalk = INT32_MIN;
    TwoByteIndex<int32_t> entryOf_;
    Speller speller_;
};

}  // namespace tarpon
