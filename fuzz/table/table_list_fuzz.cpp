// libFuzzer target for the table editor's list rows: rows typed in the table file's
// syntax, applied to and removed from a table that holds a few entries of every
// kind. Never a crash; a row is applied whole or not at all; undoing what it changed
// gives the table back, redoing gives its result again; and every row the list
// shows applies to a fresh table as the same entry.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "core/table.h"
#include "table/table_list.h"

namespace {

using tarpon::Table;

void check(bool ok) {
    if (!ok) std::abort();
}

// The table's entries and end tags, in order of key, then text.
std::vector<tarpon::TableEntry> contents(const Table& table) {
    std::vector<tarpon::TableEntry> all = table.entries();
    all.insert(all.end(), table.endTags().begin(), table.endTags().end());
    std::erase_if(all, [](const tarpon::TableEntry& e) { return e.key.empty() && e.text.empty(); });
    std::sort(all.begin(), all.end(), [](const tarpon::TableEntry& a, const tarpon::TableEntry& b) {
        return std::tie(a.key, a.text, a.kind, a.params) < std::tie(b.key, b.text, b.kind, b.params);
    });
    return all;
}

Table startingTable() {
    Table table;
    for (const char* row : {"41=a", "8140=\xE3\x81\x82", "/FF=<END>", "*FE", "$F0=<name>,1", "/<end>"})
        tarpon::applyEntryRow(table, row);
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Table table = startingTable();
    while (in.remaining_bytes() > 0) {
        const bool remove = in.ConsumeBool();
        const std::string row = in.ConsumeRandomLengthString(80);
        const std::vector<tarpon::TableEntry> before = contents(table);
        tarpon::RowChange change;
        const std::string problem = remove ? tarpon::removeEntryRow(table, row, &change)
                                           : tarpon::applyEntryRow(table, row, &change);
        const std::vector<tarpon::TableEntry> after = contents(table);
        if (!problem.empty()) {
            check(after == before);  // a refused row changes nothing
            continue;
        }
        tarpon::replayRowChange(table, change, true);
        check(contents(table) == before);
        tarpon::replayRowChange(table, change, false);
        check(contents(table) == after);
    }
    // What the list shows reads back as the same entries.
    Table again;
    for (const std::string& row : tarpon::longEntryRows(table)) check(tarpon::applyEntryRow(again, row).empty());
    check(tarpon::longEntryRows(again) == tarpon::longEntryRows(table));
    return 0;
}
