#include "table/table_list.h"

#include <gtest/gtest.h>

#include "test_editor.h"

namespace tarpon {
namespace {

// Rows typed into the list, one after another -> the list's rows and each row's problem ("" when applied).
TEST(TableList, TypedRowsEditTheLongerKeys) {
    struct Row {
        const char* name;
        std::vector<std::string> typed;
        std::vector<std::string> rows;
        std::vector<std::string> problems;
    };
    const Row rows[] = {
        {"every kind, listed in key order, end tags last",
         {"$0500=<Color>,1", "8140=\xE3\x81\x82", "/<END>", "/FFFF=<E>", "*FFFE", "8141=a\\nb"},
         {"$0500=<Color>,1", "8140=\xE3\x81\x82", "8141=a\\nb", "*FFFE", "/FFFF=<E>", "/<END>"},
         {"", "", "", "", "", ""}},
        {"a row changes its key's entry; no text removes it", {"8140=a", "8141=b", "8140=c", "8141="}, {"8140=c"},
         {"", "", "", ""}},
        {"one-byte keys go to the grid, not the list", {"41=A"}, {}, {""}},
        {"rows that are not entries say why",
         {"81=", "814=x", "@id", "# note", "$0500=<Color>"},
         {},
         {"", "the key is not an even number of hexadecimal digits", "table names (@name) are not supported",
          "not an entry: write it as in a table file (8140=text)",
          "a linked entry ($XX=text,N) needs its number of parameter bytes"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Table table;
        std::vector<std::string> problems;
        for (const std::string& typed : row.typed) problems.push_back(applyEntryRow(table, typed));
        EXPECT_EQ(longEntryRows(table), row.rows);
        EXPECT_EQ(problems, row.problems);
    }
}

// A row for a one-byte key reaches the grid and the text pane; a grid edit made before it is kept.
TEST(TableList, RowsReachTheGridAndThePane) {
    test::TestEditor t;
    t.setDocument({0x41, 0x42});
    t.ed.s.viewMode = true;
    t.ed.s.charTable[0x42] = "b";
    EXPECT_EQ(ApplyTableRow(t.ed, "41=\xC3\xA9"), "");
    EXPECT_EQ(t.ed.s.charTable[0x41], "\xC3\xA9");
    EXPECT_EQ(t.ed.s.charTable[0x42], "b");
    EXPECT_EQ(t.ed.v.PicText.runs()[0].text, "\xC3\xA9");
}

}  // namespace
}  // namespace tarpon
