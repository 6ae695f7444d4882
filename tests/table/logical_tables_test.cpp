// Table files that hold several logical tables, each after its "@name" line: only the chosen one is read,
// the others' lines are kept as they are, and saving changes only the chosen table's lines.
#include <gtest/gtest.h>

#include <algorithm>

#include "table/tbl_file.h"

namespace tarpon {
namespace {

using S = TblSkip;

std::vector<std::string> entriesOf(const Table& table) {
    std::vector<std::string> out;
    for (const TableEntry& e : table.entries()) out.push_back(hexKey(e.key) + "=" + e.text);
    std::sort(out.begin(), out.end());
    return out;
}

std::string utf16le(std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (const char16_t unit : text) out += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return out;
}

const std::string kTwo = "@main\r\n01=a\r\n02=b\r\n@items\r\n01=[Potion]\r\n";

// File bytes and the table chosen -> the file's tables, the chosen one's entries and skipped lines. Every
// file saves back unchanged.
TEST(LogicalTables, ReadsOnlyTheChosenTable) {
    struct Row {
        const char* name;
        std::string bytes;
        size_t part;
        std::vector<std::string> tables, entries;
        std::vector<std::pair<int, S>> skips;
    };
    const Row rows[] = {
        {"two tables: the first", kTwo, 0, {"main", "items"}, {"01=a", "02=b"}, {}},
        {"two tables: the second", kTwo, 1, {"main", "items"}, {"01=[Potion]"}, {}},
        {"entries before the first name are its table's", "01=a\n@main\n02=b\n@x\n01=c\n", 0, {"main", "x"},
         {"01=a", "02=b"}, {}},
        {"a key in two tables is given once in each", "@a\n41=A\n@b\n41=B\n", 1, {"a", "b"}, {"41=B"}, {}},
        {"switches and bit keys: the chosen table's are reported", "@a\n!01=,<@b>:1\n41=A\n@b\n%01=x\n42=B\n", 1,
         {"a", "b"}, {"42=B"}, {{5, S::BitKey}}},
        {"\"@XX=\" and an indented \"@\" are not names", "41=A\n@42=x\n @b\n", 0, {}, {"41=A"},
         {{2, S::TableId}, {3, S::TableId}}},
        {"names lose their blanks; a name may be empty", "@ main \t\n41=A\n@\n42=B\n", 1, {"main", ""}, {"42=B"},
         {}},
        {"UTF-16", utf16le(u"@a\r\n41=A\r\n@b\r\n41=\u3042\r\n"), 1, {"a", "b"}, {"41=\xE3\x81\x82"}, {}},
        {"a table the file does not have gives nothing", kTwo, 2, {"main", "items"}, {}, {}},
        {"one name: one table", "@only\n41=A\n", 0, {"only"}, {"41=A"}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Table table;
        TableSource source;
        const TblReadResult read = readTbl(row.bytes, table, &source, std::nullopt, {}, row.part);
        EXPECT_EQ(read.tables, row.tables);
        EXPECT_EQ(source.tables, row.tables);
        EXPECT_EQ(source.part, row.part);
        EXPECT_EQ(entriesOf(table), row.entries);
        std::vector<std::pair<int, S>> skips;
        for (const TblSkippedLine& skip : read.firstSkips) skips.emplace_back(skip.line, skip.reason);
        EXPECT_EQ(skips, row.skips);
        EXPECT_EQ(read.duplicates, 0);
        EXPECT_EQ(writeTbl(table, source), row.bytes) << "saved unchanged";
    }
}

TEST(LogicalTables, LoadMessageNamesTheTables) {
    Table table;
    const std::string text = describeTblLoad("t.tbl", readTbl(kTwo, table, nullptr, std::nullopt, {}, 1));
    EXPECT_NE(text.find("The file holds 2 tables, @main and @items: the entries are those of @items"),
              std::string::npos)
        << text;
    EXPECT_EQ(describeTblLoad("t.tbl", readTbl("@only\n41=A\n", table)), "") << "one table says nothing";
}

// File bytes, the chosen table and an edit (a text set, or "" to remove the key) -> the bytes saved.
TEST(LogicalTables, SavesAnEditInItsOwnTable) {
    struct Row {
        const char* name;
        std::string bytes;
        size_t part;
        std::string key, text, saved;
    };
    const Row rows[] = {
        {"a changed entry changes its line only", "@a\r\n41=A\r\n@b\r\n41=B\r\n", 1, "\x41", "C",
         "@a\r\n41=A\r\n@b\r\n41=C\r\n"},
        {"a new entry goes at the end of its table", "@a\n41=A\n\n@b\n41=B\n", 0, "\x42", "X",
         "@a\n41=A\n\n42=X\n@b\n41=B\n"},
        {"a new entry in the last table goes at the file's end", "@a\n41=A\n@b\n41=B", 1, "\x42", "X",
         "@a\n41=A\n@b\n41=B\n42=X\n"},
        {"a removed entry takes its line only", "@a\n41=A\n42=B\n@b\n41=B\n", 0, "\x41", "", "@a\n42=B\n@b\n41=B\n"},
        {"switch and bit lines stay", "@a\n!01=,<@b>:1\n41=A\n@b\n%01=x\n", 0, "\x41", "Z",
         "@a\n!01=,<@b>:1\n41=Z\n@b\n%01=x\n"},
        {"a key the other table has is new in this one", "@a\n41=A\n@b\n42=B\n", 0, "\x42", "Y",
         "@a\n41=A\n42=Y\n@b\n42=B\n"},
        {"entries before the first name: new ones after its name", "41=A\n@a\n@b\n42=B\n", 0, "\x43", "C",
         "41=A\n@a\n43=C\n@b\n42=B\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Table table;
        TableSource source;
        readTbl(row.bytes, table, &source, std::nullopt, {}, row.part);
        if (row.text.empty()) table.remove(row.key);
        else table.set(row.key, row.text, EntryKind::Letter, 0);
        EXPECT_EQ(writeTbl(table, source).value_or("(failed)"), row.saved);
    }
}

// Choosing another table keeps the edits of the one left (in the source's bytes), or changes nothing.
TEST(LogicalTables, ChoosingAnotherTableKeepsTheEdits) {
    struct Row {
        const char* name;
        std::string bytes, edit;  // the first table's 41 gets `edit`
        size_t chosen;
        std::vector<std::string> entries;  // once `chosen` is chosen
        std::string problem;
        std::string saved;  // once the first table is chosen again
    };
    const Row rows[] = {
        {"the second, then the first again", "@a\n41=A\n@b\n41=B\n", "X", 1, {"41=B"}, "", "@a\n41=X\n@b\n41=B\n"},
        {"a table the file does not have", "@a\n41=A\n@b\n41=B\n", "X", 2, {"41=X"},
         "the table file holds no such table", "@a\n41=X\n@b\n41=B\n"},
        {"an edit the file's encoding cannot hold", "@a\n41=\xE9\n@b\n41=B\n", "\xE3\x81\x82", 1,
         {"41=\xE3\x81\x82"}, "Entry 41 holds \"\xE3\x81\x82\" (U+3042), which Windows-1252 has no bytes for.", ""},
        {"a plain file takes UTF-8 for the edit", "@a\n41=A\n@b\n41=B\n", "\xE3\x81\x82", 1, {"41=B"}, "",
         "@a\n41=\xE3\x81\x82\n@b\n41=B\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Table table;
        TableSource source;
        readTbl(row.bytes, table, &source);
        source.path = "t.tbl";
        table.set("\x41", row.edit, EntryKind::Letter, 0);
        EXPECT_EQ(readLogicalTable(table, source, row.chosen), row.problem);
        EXPECT_EQ(entriesOf(table), row.entries);
        EXPECT_EQ(source.path, "t.tbl");
        if (!row.problem.empty()) {
            EXPECT_EQ(source.part, 0u);
            continue;
        }
        EXPECT_EQ(source.part, row.chosen);
        EXPECT_EQ(readLogicalTable(table, source, 0), "");
        EXPECT_EQ(writeTbl(table, source).value_or("(failed)"), row.saved);
    }
}

}  // namespace
}  // namespace tarpon
