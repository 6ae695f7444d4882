#include "table/table_list.h"

#include <algorithm>

#include "core/editor.h"
#include "table/tbl_file.h"
#include "table/tbl_lines.h"
#include "view/painting.h"

namespace tarpon {

std::vector<std::string> longEntryRows(const Table& table) {
    std::vector<const TableEntry*> listed;
    for (const TableEntry& entry : table.entries())
        if (entry.key.size() > 1) listed.push_back(&entry);
    std::sort(listed.begin(), listed.end(), [](const TableEntry* a, const TableEntry* b) { return a->key < b->key; });
    for (const TableEntry& tag : table.endTags()) listed.push_back(&tag);
    std::vector<std::string> rows;
    for (const TableEntry* entry : listed) rows.push_back(entryRow(*entry));
    return rows;
}

std::string applyEntryRow(Table& table, std::string_view row) {
    ParsedLine parsed = parseTblText(row, false);
    if (parsed.skipped) return std::string(skipReason(parsed.reason));
    if (parsed.role == TableSourceLine::Role::Other) return "not an entry: write it as in a table file (8140=text)";
    if (parsed.role == TableSourceLine::Role::Emptying) table.remove(parsed.entry.key);
    else table.set(std::move(parsed.entry));
    return {};
}

std::string ApplyTableRow(Editor& ed, std::string_view row) {
    std::string problem = applyEntryRow(ed.s.syncedTable(), row);
    if (!problem.empty()) return problem;
    ed.s.showTable();
    PaintTextPane(ed);
    return {};
}

}  // namespace tarpon
