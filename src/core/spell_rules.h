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
#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/spelling.h"
#include "core/switch_table.h"
#include "core/table.h"

namespace tarpon {

// One piece of spelled text: an entry, a raw byte, or a table switch's key.
struct SpellPiece {
    uint32_t at = 0, length = 0;        // the text it was read from (none for a switch written for the text)
    const std::string* key = nullptr;   // its bytes; nullptr for the raw byte
    uint8_t raw = 0;
    bool ends = false;                  // an end token: the string ends with it
};

class RuleSpeller {
public:
    RuleSpeller(const Table& table, SpellRule rule);

    // Appends the pieces of `text` to `out` ("\n" in it separates lines and is no
    // piece). False when a place begins no spelling; `badAt` then holds it. `bounded`:
    // the search through table switches met its bounds before it found one.
    bool spell(std::string_view text, std::vector<SpellPiece>& out, size_t* badAt = nullptr, bool* bounded = nullptr) const;
    // Whether `text` ends with the text of one of the table's end tokens.
    bool endsWithEndText(std::string_view text) const {
        for (size_t k = 1; k <= std::min(text.size(), texts_.longestText()); ++k)
            if (texts_.isEndText(text.substr(text.size() - k))) return true;
        return false;
    }

    // The bytes a piece stands for (none for an end token without bytes).
    static std::string_view bytes(const SpellPiece& p) {
        return p.key ? std::string_view(*p.key) : std::string_view(reinterpret_cast<const char*>(&p.raw), 1);
    }
    // abcde's switches of this table, its entries' weights (by key, where not 1), and
    // where the tables the switches name are found.
    void addSwitch(TableSwitch s) { switches_.push_back(std::move(s)); }
    void setWeights(std::unordered_map<std::string, int> weights) { weights_ = std::move(weights); }
    void setSwitchTables(std::function<const RuleSpeller*(std::string_view id)> byId) { byId_ = std::move(byId); }
    const std::vector<TableSwitch>& switches() const { return switches_; }
    // How many matches the entry with this key counts as.
    int weightOf(const std::string& key) const {
        if (weights_.empty()) return 1;
        const auto it = weights_.find(key);
        return it == weights_.end() ? 1 : it->second;
    }
    // Whether some end token of the table is written `text`.
    bool isEndText(std::string_view text) const { return texts_.isEndText(text); }
    SpellRule rule() const { return texts_.rule(); }

private:
    bool spellLongest(std::string_view text, std::vector<SpellPiece>& out, size_t* badAt) const;
    bool spellFewest(std::string_view text, std::vector<SpellPiece>& out, size_t* badAt) const;
    // spell_switches.cpp: the fewest bytes when switches may take the text to other tables.
    bool spellSwitching(std::string_view text, std::vector<SpellPiece>& out, size_t* badAt, bool* bounded) const;
    friend class SwitchSearch;
    SpellPiece piece(size_t at, const TableEntry& e) const {
        return {static_cast<uint32_t>(at), static_cast<uint32_t>(e.key.size()), &e.text, 0,
                e.kind == EntryKind::EndToken};
    }
    // The pieces that may start at `at` (raw bytes first), longest text first.
    void candidates(std::string_view text, size_t at, size_t end, std::vector<SpellPiece>& out) const;

    Speller texts_;  // the table's texts by the rule: its steps, and every text a place begins
    std::vector<TableSwitch> switches_;
    std::unordered_map<std::string, int> weights_;
    std::function<const RuleSpeller*(std::string_view)> byId_;
};


}  // namespace tarpon
