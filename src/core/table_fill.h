#pragma once
// Letters written into many entries of the character table at once (a table made
// from a relative-search hit), in the table's own letter coding.
#include <string>
#include <vector>

#include "core/table_state.h"

namespace tarpon {

struct TableFillEntry {
    int index = 0;        // the byte, 0..255
    std::string letters;  // UTF-8
};
using TableFill = std::vector<TableFillEntry>;

// The fill as the table will store it. A Latin-1 table keeps Latin-1 when every
// letter of the fill has a Latin-1 byte; otherwise the table becomes a UTF-8 table
// first (each entry keeps its letters, now spelled in UTF-8),
// since a Latin-1 entry cannot hold a kana. `respelled` (when given) tells whether
// an entry's bytes changed that way (it held a letter above 0x7F).
TableFill prepareTableFill(TableState& table, const TableFill& fill, bool* respelled = nullptr);

}  // namespace tarpon
