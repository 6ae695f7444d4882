#include "table/table_list.h"

#include <gtest/gtest.h>

#include "table/table_editor.h"
#include "test_editor.h"

namespace tarpon {
namespace {

// Rows typed into the list, one after another ("-" first: Remove) -> the list's rows and each row's problem
// ("" when applied).
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
        {"one-byte letters go to the grid; end tokens and line breaks are listed too",
         {"41=A", "/FF=<END>", "*FE", "$C9=<p>,1"}, {"$C9=<p>,1", "*FE", "/FF=<END>"}, {"", "", "", ""}},
        {"Remove: by the key whatever the text, an end tag by its text",
         {"8140=a", "/<END>", "/<STOP>", "-8140=other", "-/<END>", "-8140=a"},
         {"/<STOP>"},
         {"", "", "", "", "", "the table has no entry with that key"}},
        {"rows that are not entries say why",
         {"81=", "814=x", "@id", "@41=x", "# note", "$0500=<Color>"},
         {},
         {"", "the key is not an even number of hexadecimal digits",
          "a table's name (@name) is not an entry: the file's tables are chosen above the list",
          "an \"@\" line other than a table's name (@name on a line of its own) is not read",
          "not an entry: write it as in a table file (8140=text)",
          "a linked entry ($XX=text,N) needs its number of parameter bytes"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Table table;
        std::vector<std::string> problems;
        for (const std::string& typed : row.typed)
            problems.push_back(typed[0] == '-' ? removeEntryRow(table, typed.substr(1)) : applyEntryRow(table, typed));
        EXPECT_EQ(longEntryRows(table), row.rows);
        EXPECT_EQ(problems, row.problems);
    }
}

// A row for a one-byte key reaches the grid and the text pane; a grid edit made before it is kept.
TEST(TableList, RowsReachTheGridAndThePane) {
    test::TestEditor t(std::vector<uint8_t>{0x41, 0x42});
    t.ed.s.view.viewMode = true;
    t.ed.s.table.setLetters(0x42, "b");
    EXPECT_EQ(ApplyTableRow(t.ed, "41=\xC3\xA9"), "");
    EXPECT_EQ(t.ed.s.table.letters(0x41), "\xC3\xA9");
    EXPECT_EQ(t.ed.s.table.letters(0x42), "b");
    EXPECT_EQ(t.ed.v.PicText.runs()[0].text, "\xC3\xA9");
}

// Name, steps in the editor ("set:", "remove:", "key:" a letter typed into the grid's cell E9, "undo",
// "redo") -> the list's rows, the cell E9 and the messages. List edits are steps of the grid's undo.
TEST(TableList, ListEditsAreUndoSteps) {
    struct Row {
        const char* name;
        std::vector<std::string> steps;
        std::vector<std::string> rows;
        std::string cell;
        std::vector<std::string> messages;
    };
    const std::string a = "8140=\xE3\x81\x82";
    const Row rows[] = {
        {"set, change and remove, each undone", {"set:" + a, "set:8140=b", "remove:8140=b", "undo", "undo"},
         {a}, "", {}},
        {"undone back to nothing, then redone", {"set:" + a, "set:/<END>", "undo", "undo", "redo", "redo"},
         {a, "/<END>"}, "", {}},
        {"a grid step between list steps keeps its place", {"set:" + a, "key:x", "remove:" + a, "undo", "undo"},
         {a}, "", {}},
        {"a row that changes nothing is no step", {"set:8140=b", "set:8140=b", "undo"}, {}, "", {}},
        {"a Latin-1 grid letter becomes UTF-8 with the table, in the undo steps too",
         {"key:\xE9", "set:" + a, "undo", "undo", "redo"}, {}, "\xC3\xA9", {}},
        {"rows that cannot be applied say so",
         {"set:814=x", "remove:8142=x"},
         {},
         "",
         {"\"814=x\" was not set: the key is not an even number of hexadecimal digits.",
          "\"8142=x\" was not removed: the table has no entry with that key."}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t;
        TableEditor editor;
        editor.tblCursor = 0xE9;
        for (const std::string& step : row.steps) {
            const std::string arg = step.substr(step.find(':') + 1);
            if (step.starts_with("set:")) frmTable::ListRow_Set(t.ed, editor, arg);
            else if (step.starts_with("remove:")) frmTable::ListRow_Remove(t.ed, editor, arg);
            else if (step.starts_with("key:")) frmTable::PicHex_KeyPress(t.ed, editor, static_cast<uint8_t>(arg[0]));
            else frmTable::UndoStep(t.ed, editor, step == "undo");
        }
        EXPECT_EQ(longEntryRows(t.ed.s.table.model()), row.rows);
        EXPECT_EQ(t.ed.s.table.letters(0xE9), row.cell);
        EXPECT_EQ(t.services.messages, row.messages);
    }
}

}  // namespace
}  // namespace tarpon
