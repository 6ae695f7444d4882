#pragma once
// The entries the table editor's grid cannot show (keys of two bytes or more, end
// tags with no bytes) as rows in the table file's own syntax, and rows typed in
// that syntax applied to the table: what a list beside the grid reads and edits.
#include <string>
#include <string_view>
#include <vector>

#include "core/table.h"

namespace tarpon {

struct Editor;

// One row per entry with a key of two bytes or more, in key order ("8140=あ",
// "/FFFF=<END>", "*FFFE", "$0500=<Color>,1"), then the end tags with no bytes
// ("/<END>"). A line break in a text is written "\n".
std::vector<std::string> longEntryRows(const Table& table);

// Applies one typed row: "8140=あ" sets that entry, "8140=" removes it, "/", "*"
// and "$" give the other kinds. Returns what is wrong with the row, or "" when it
// was applied.
std::string applyEntryRow(Table& table, std::string_view row);

// The same on the editor's table: the grid's edits first, then the row, then the
// grid and the text pane show the result.
std::string ApplyTableRow(Editor& ed, std::string_view row);

}  // namespace tarpon
