#pragma once
// abcde's logical tables and table switches. A table file may hold several tables,
// each named by an "@id" line, and switch entries:
//   !KEY[<N>]=[<label>],P1,P2,...   each P: [<@id>:]COUNT[+]
// After KEY the reading goes on in each part's table in turn (no id: the raw table,
// every byte as <$XX>) for COUNT matches (N > 0, weighted), as long as it can (0),
// not at all (-1, only without an id), or until a closing key ($HEX, consumed, not
// printed); then back in the table that holds the switch. "+": the matches there
// count toward that table's own count too. "KEY<N>=text" gives any entry the weight N.
// What this editor cannot follow (bit keys, <binary> parts, end tokens that switch)
// is refused with its line, never read as something else.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/table.h"

namespace tarpon {

// Counts above this are refused: a count is a small number of tokens.
inline constexpr int kMaxSwitchCount = 1000;

struct SwitchPart {
    std::string target;     // the table's id; "" for the raw table
    int count = 1;          // > 0: that many matches; 0: as long as it can; -1: back at once
    std::string closing;    // when not empty: back after this key (count is then 0)
    int closingWeight = 1;  // the closing key's matches
    bool plus = false;      // matches in the target count toward the enclosing table's count
};

struct TableSwitch {
    std::string key;     // its bytes
    int weight = 1;      // the matches the key itself counts as in its own table
    std::string label;   // its text in a script; "" when nothing is printed for it
    std::vector<SwitchPart> parts;
};

// One logical table of a file, read apart from its entries.
struct LogicalTable {
    std::string id;      // "" when it has none
    std::string lines;   // its entry lines for a table reader: weights taken off, switch lines left out
    std::vector<TableSwitch> switches;
    std::unordered_map<std::string, int> weights;  // entries whose weight is not 1, by key bytes
};

struct LogicalTables {
    std::vector<LogicalTable> tables;  // at least one unless `problem` says why
    std::string problem;               // "line N: ..." for a line that is refused
    bool switches() const;             // some table holds a switch
    bool named() const;                // some table has an id
};

// The tables in a table file's bytes, as abcde reads them: each "@id" line names the
// table read so far, or, when that has its id, starts the next. A UTF-16 file is one
// table, read whole. An "@XX=text" line is an entry (Atlas's dakuten form). Without
// `switches` (Atlas reads the file) switch lines and weights are left to the entry
// reader, which passes them over.
LogicalTables readLogicalTables(std::string_view bytes, bool switches = true);

// A switch line ("!…"), or nothing and `problem` saying what is not followed.
std::optional<TableSwitch> readSwitchLine(std::string_view line, std::string& problem);

// Logical tables with their entries read, their ids looked up across files.
struct SwitchingTable {
    std::string id;
    std::unique_ptr<Table> table;
    std::vector<TableSwitch> switches;
    std::unordered_map<std::string, int> weights;
    std::string file;  // the file it came from, for messages
    int weightOf(std::string_view key) const {
        if (weights.empty()) return 1;
        const auto it = weights.find(std::string(key));
        return it == weights.end() ? 1 : it->second;
    }
};

// Whether an id can be written in a script command's argument (`#ACTIVETBL(@id)`).
bool writableTableId(std::string_view id);

class SwitchingTables {
public:
    // Reads a file's entries into `table`; false and `problem` when they are no table.
    using EntryReader = std::function<bool(std::string_view lines, Table& table, std::string& problem)>;
    // Adds the file's tables; gives the index of its first, or -1 and `problem` (naming
    // `file` and the line) for a refused line, a table that cannot be read or an id given twice.
    int add(std::string_view bytes, const std::string& file, const EntryReader& read, std::string& problem);
    const SwitchingTable& at(size_t i) const { return tables_[i]; }
    size_t size() const { return tables_.size(); }
    // The table with this id, or -1.
    int find(std::string_view id) const;
    // A target of some switch that no table has, as "@id", or "".
    std::string missingTarget() const;
    bool switches() const { return switches_; }

private:
    std::vector<SwitchingTable> tables_;
    bool switches_ = false;
};

}  // namespace tarpon
