#pragma once
// The entries the table editor's grid cannot show whole (keys of two bytes or more,
// end tokens, line breaks and linked entries of any key length, end tags with no
// bytes) as rows in the table file's own syntax, and rows typed in that syntax
// applied to the table: what the list below the grid reads and edits.
#include <string>
#include <string_view>
#include <vector>

#include "core/table.h"

namespace tarpon {

struct Editor;

// One row per entry with a key of two bytes or more or of a kind other than a
// letter, in key order ("8140=あ", "/FF=<END>", "*FFFE", "$0500=<Color>,1"), then
// the end tags with no bytes ("/<END>"). A line break in a text is written "\n".
std::vector<std::string> longEntryRows(const Table& table);

// What a row changed, as rows: `before` is "" when there was no entry with its key
// (for an end tag with no bytes: its text), `after` is "" when there is none now.
struct RowChange {
    std::string before, after;
};

// Applies one typed row: "8140=あ" sets that entry, "8140=" removes it, "/", "*"
// and "$" give the other kinds. Returns what is wrong with the row, or "" when it
// was applied; `change` (when given) gets what it changed.
std::string applyEntryRow(Table& table, std::string_view row, RowChange* change = nullptr);
// Removes the entry that a row names (the entry with its key; an end tag with no
// bytes by its text). Returns what is wrong, or "" when it was removed.
std::string removeEntryRow(Table& table, std::string_view row, RowChange* change = nullptr);
// Puts the entry back as it was before the change (undo) or after it (redo).
void replayRowChange(Table& table, const RowChange& change, bool undo);

// The same on the editor's table; the grid and the text pane then show the result.
std::string ApplyTableRow(Editor& ed, std::string_view row, RowChange* change = nullptr);
std::string RemoveTableRow(Editor& ed, std::string_view row, RowChange* change = nullptr);

}  // namespace tarpon
