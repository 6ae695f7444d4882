#pragma once
// Text turned into bytes through a table by the rule of the tool a script was
// written for. Each rule reads `<$XX>` as the raw byte XX; they differ in which
// entry a text stands for and in how a text is cut into entries:
//   Window  longest text first; of entries with the same text the first one.
//   Atlas   longest text first, never across a line break; of entries with the
//           same text the first one, but an end token or line-break entry takes the
//           text over from a letter (the last of those wins). `($XX)` is a raw byte
//           too, and a table text's line break may also be written as `\n`.
//   Abcde   the spelling of fewest bytes over the whole text (the caller joins the
//           lines), of equally short ones the one whose pieces read the most text
//           first; of entries with the same text the lowest key. Line breaks in
//           table texts are not part of them.
// In every rule a line break in a table text can be left out of the script.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/table.h"

namespace tarpon {

enum class SpellRule { Window, Atlas, Abcde };

// One piece of spelled text: an entry, or a raw byte.
struct SpellPiece {
    uint32_t at = 0, length = 0;  // the text it was read from
    int32_t choice = -1;          // the entry's place in the speller, -1 for a raw byte
    uint8_t raw = 0;
};

class RuleSpeller {
public:
    RuleSpeller(const Table& table, SpellRule rule);

    // Appends the pieces of `text` to `out` ("\n" in it separates lines and is no
    // piece). False when a place begins no spelling; `badAt` then holds it.
    bool spell(std::string_view text, std::vector<SpellPiece>& out, size_t* badAt = nullptr) const;

    // The bytes a piece stands for (none for an end token without bytes).
    std::string_view bytes(const SpellPiece& p) const {
        return p.choice < 0 ? std::string_view(reinterpret_cast<const char*>(&p.raw), 1)
                            : std::string_view(choices_[static_cast<size_t>(p.choice)].key);
    }
    bool ends(const SpellPiece& p) const { return p.choice >= 0 && choices_[static_cast<size_t>(p.choice)].ends; }
    // Whether some end token of the table is written `text`.
    bool isEndText(std::string_view text) const;
    SpellRule rule() const { return rule_; }

private:
    struct Choice {
        std::string key;
        bool ends = false, strong = false;  // an end token; an end token or a line break
    };
    void add(std::string_view text, const TableEntry& e);
    bool spellLongest(std::string_view text, std::vector<SpellPiece>& out, size_t* badAt) const;
    bool spellFewest(std::string_view text, std::vector<SpellPiece>& out, size_t* badAt) const;
    // The pieces that may start at `at` (raw bytes first), longest text first.
    void candidates(std::string_view text, size_t at, size_t end, std::vector<SpellPiece>& out) const;

    SpellRule rule_;
    std::vector<Choice> choices_;
    Table byText_;  // keyed by text; an entry's params hold its place in choices_
};

// The raw byte that `text` starts with in `rule` (`<$XX>`, and for Atlas `($XX)`), or -1.
int rawByteText(std::string_view text, SpellRule rule);

}  // namespace tarpon
