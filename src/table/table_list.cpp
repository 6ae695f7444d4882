#include "table/table_list.h"

#include <algorithm>

#include "core/editor.h"
#include "table/tbl_file.h"
#include "table/tbl_lines.h"
#include "view/painting.h"

namespace tarpon {
namespace {

// The row as an entry (or an emptying line), or what is wrong with it.
std::string parseRow(std::string_view row, ParsedLine& parsed) {
    parsed = parseTblText(row, false);
    if (parsed.skipped) return std::string(skipReason(parsed.reason));
    if (parsed.names) return "a table's name (@name) is not an entry: the file's tables are chosen above the list";
    if (parsed.role == TableSourceLine::Role::Other) return "not an entry: write it as in a table file (8140=text)";
    return {};
}

// The table's entry that `entry` would replace: the same key, or for an end tag with no bytes the same text.
const TableEntry* sameEntry(const Table& table, const TableEntry& entry) {
    if (!entry.key.empty()) return table.find(entry.key);
    for (const TableEntry& tag : table.endTags())
        if (tag.text == entry.text) return &tag;
    return nullptr;
}

std::string rowOf(const TableEntry* entry) { return entry ? entryRow(*entry) : std::string(); }

void removeEntry(Table& table, const TableEntry& entry) {
    if (entry.key.empty()) table.removeEndTag(entry.text);
    else table.remove(entry.key);
}

// Parses the row, runs `edit` on the table with the parsed line, and notes what changed.
template <typename Edit>
std::string editRow(Table& table, std::string_view row, RowChange* change, Edit edit) {
    ParsedLine parsed;
    std::string problem = parseRow(row, parsed);
    if (!problem.empty()) return problem;
    const TableEntry named = parsed.entry;  // `edit` may take the parsed entry
    const std::string before = rowOf(sameEntry(table, named));
    problem = edit(parsed);
    if (problem.empty() && change) *change = {before, rowOf(sameEntry(table, named))};
    return problem;
}

// The editor's table edited by `edit`; the grid and the pane follow a change.
template <typename Edit>
std::string editEditorTable(Editor& ed, Edit edit) {
    const bool wasUtf8 = ed.s.table.utf8();
    std::string problem = ed.s.table.edit([&](Table& table) { return edit(table); });
    if (!problem.empty()) {
        ed.s.table.spellUtf8(wasUtf8);  // nothing changed: the letters keep their spelling
        return problem;
    }
    PaintTextPane(ed);
    return {};
}

}  // namespace

std::vector<std::string> longEntryRows(const Table& table) {
    std::vector<const TableEntry*> listed;
    for (const TableEntry& entry : table.entries())
        if (entry.key.size() > 1 || entry.kind != EntryKind::Letter) listed.push_back(&entry);
    std::sort(listed.begin(), listed.end(), [](const TableEntry* a, const TableEntry* b) { return a->key < b->key; });
    for (const TableEntry& tag : table.endTags()) listed.push_back(&tag);
    std::vector<std::string> rows;
    for (const TableEntry* entry : listed) rows.push_back(entryRow(*entry));
    return rows;
}

std::string applyEntryRow(Table& table, std::string_view row, RowChange* change) {
    return editRow(table, row, change, [&table](ParsedLine& parsed) {
        if (parsed.role == TableSourceLine::Role::Emptying) removeEntry(table, parsed.entry);
        else table.set(std::move(parsed.entry));
        return std::string();
    });
}

std::string removeEntryRow(Table& table, std::string_view row, RowChange* change) {
    return editRow(table, row, change, [&table](const ParsedLine& parsed) {
        if (!sameEntry(table, parsed.entry)) return std::string("the table has no entry with that key");
        removeEntry(table, parsed.entry);
        return std::string();
    });
}

void replayRowChange(Table& table, const RowChange& change, bool undo) {
    const std::string& wanted = undo ? change.before : change.after;
    const std::string& other = undo ? change.after : change.before;
    if (!wanted.empty()) applyEntryRow(table, wanted);
    else if (!other.empty()) removeEntryRow(table, other);
}

std::string ApplyTableRow(Editor& ed, std::string_view row, RowChange* change) {
    return editEditorTable(ed, [&](Table& table) { return applyEntryRow(table, row, change); });
}

std::string RemoveTableRow(Editor& ed, std::string_view row, RowChange* change) {
    return editEditorTable(ed, [&](Table& table) { return removeEntryRow(table, row, change); });
}

}  // namespace tarpon
