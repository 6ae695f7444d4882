#pragma once
// Text turned into bytes through the character table. One speller serves every
// path that writes text (paste, Replace, the script insert); where the rules differ
// they are named rules of it. spellingsOf gives Find every spelling of a text.
#include <cstdint>
#include <array>
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

// Which entry stands for a text that several entries share, and what a line break is.
enum class SpellRule {
    // Typing's rule, which paste and Replace follow: of equal texts the higher key; a
    // line-break entry is its text followed by a line break (as Copy writes it) or
    // its text alone; any other line break is refused.
    Window,
    // Atlas's: of equal texts the first letter entry, but an end token or line-break
    // entry with that text replaces it (the last of those); line breaks are not data;
    // `($XX)` is a raw byte too, and a table text's line break may be written `\n`.
    Atlas,
    // abcde's: of equal texts the lowest key; line breaks are not data. Its spelling of
    // fewest bytes over a whole text is RuleSpeller's (core/spell_rules.h), over the
    // pieces this speller offers.
    Abcde,
};

// The raw byte that `text` starts with by `rule` (`<$XX>`, and for Atlas `($XX)`), or -1.
int rawByteText(std::string_view text, SpellRule rule);

// Greedy longest-text spelling: at each place `<$XX>` is the byte XX, else the
// longest entry text that the rest begins with; carriage returns are not data.
class Speller {
public:
    Speller(const Table& table, SpellRule rule);

    // One piece at `at`: how much text it takes and the bytes it gives.
    struct Step {
        size_t textLength = 0;  // 0: no entry begins here
        std::string_view bytes;
        const std::string* key = nullptr;  // the entry's key; nullptr for a raw byte
        bool ends = false;                 // an end token's text
    };
    // The piece that begins at text[at], looking no further than `end`.
    Step step(std::string_view text, size_t at, size_t end) const;

    // The bytes `text` stands for, into `bytes` (cleared first). `from` (optional): for
    // each byte the index in `text` where the piece that gave it starts. False where a
    // place begins no entry; `badAt` then holds that index.
    bool spellInto(std::string_view text, std::vector<uint8_t>& bytes, std::vector<size_t>* from = nullptr,
                   size_t* badAt = nullptr) const;
    std::optional<std::vector<uint8_t>> spell(std::string_view text, size_t* badAt = nullptr) const;

    // The entry with the longest text that `text` begins with, no raw byte looked for:
    // its key is its text, its text the key it spells, its kind EndToken for an end token.
    const TableEntry* longestText(std::string_view text) const {
        return keyOfText_.longestMatch({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    }
    // Whether some end token is written `text`.
    bool isEndText(std::string_view text) const {
        const TableEntry* e = keyOfText_.find(text);
        return e && e->kind == EntryKind::EndToken;
    }
    // The key that spells exactly `text`, or nothing.
    const std::string* keyOf(std::string_view text) const {
        const TableEntry* e = keyOfText_.find(text);
        return e ? &e->text : nullptr;
    }
    SpellRule rule() const { return rule_; }
    // Some entry's text holds "<" after its first letter, so that a text spelled
    // before a `<$XX>` may reach into it.
    bool textsReachIntoRawBytes() const { return reachesIntoRaw_; }
    // The longest text of an entry, in bytes: no piece reaches further.
    size_t longestText() const { return longest_; }

private:
    void add(const std::string& text, const TableEntry& entry, bool replaces);
    bool spellPlain(std::string_view text, std::vector<uint8_t>& bytes, std::vector<size_t>* from,
                    size_t* badAt) const;

    SpellRule rule_;
    // The texts as keys of a table of their own, each entry's text being the key it
    // spells (empty for an end tag without bytes): longest match over it spells a text.
    Table keyOfText_;
    std::array<uint8_t, 256> bytes_{};  // every byte value, for a `<$XX>` piece
    size_t longest_ = 5;                // `<$XX>`
    bool reachesIntoRaw_ = false;
};

// The character at text[at], as the speller's refusals name it.
char32_t characterAt(std::string_view text, size_t at);

}  // namespace tarpon
