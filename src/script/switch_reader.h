#pragma once
// Strings read through abcde's logical tables, following their switches: a switch's
// label is printed (nothing for an unlabelled one), its parts are read in their
// tables (the raw table as <$XX>), then reading goes back to the table that held it.
// An end token ends the string in whatever table it is read. A switch whose parts
// cannot be read to their end (a byte no entry of a counted part's table matches, or
// the string's limit) is no switch there: its first byte is written raw.
//
// Each string's text is checked the way an insert by abcde's rules reads it back;
// a text that would not give back exactly its bytes is written again without
// switches, and failing that byte by byte.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/progress.h"
#include "core/spell_rules.h"
#include "core/switch_table.h"

namespace tarpon {

class SwitchReader {
public:
    // `first`: the table each string starts in (an index into `tables`).
    SwitchReader(const SwitchingTables& tables, size_t first);

    // The string from `start` up to its end token or `limit`, appended to `out`; gives
    // the byte after it. `ended` tells whether an end token ended it.
    int64_t read(std::span<const uint8_t> doc, int64_t start, int64_t limit, std::string& out, bool* ended = nullptr,
                 const Progress& progress = {}) const;

private:
    // A part read to its end; ended by an end token; not readable here; or, by a -1
    // part, the table that holds the switch left at once.
    enum class Outcome { Done, Ended, Failed, Left };
    struct Walk;
    Outcome readIn(Walk& w, int table, const SwitchPart& goal, int depth) const;
    Outcome readPart(Walk& w, int table, const SwitchPart& goal, int depth) const;
    // The switch at the reading place read with its parts; false (nothing read) where it cannot be.
    bool readSwitch(Walk& w, const TableSwitch& sw, int depth, Outcome& out) const;
    bool spellsBack(std::string_view text, std::span<const uint8_t> bytes) const;

    const SwitchingTables& tables_;
    size_t first_;
    std::vector<std::unique_ptr<RuleSpeller>> spellers_;  // each table's, by abcde's rules
};

}  // namespace tarpon
