// The one text engine seen from every path: the same text through the same rule
// gives the same bytes whether it is typed, pasted, replaced or inserted, and what
// the text pane's Copy writes pastes back to the bytes it came from.
#include <gtest/gtest.h>

#include "app/menu_commands.h"
#include "app/pane_clipboard.h"
#include "edit/text_input.h"
#include "script/script_dump.h"
#include "script/script_insert.h"
#include "search/replace.h"
#include "table/tbl_file.h"
#include "test_editor.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;
using test::TestEditor;

Table tableOf(std::string_view lines) {
    Table table;
    readTbl(lines, table);
    return table;
}

// An editor in Table view over `doc`, the cursor on its first byte.
struct TableEditor : TestEditor {
    TableEditor(std::string_view lines, const Bytes& doc) : TestEditor(doc) {
        ed.s.table.replace(tableOf(lines));
        ed.s.view.viewMode = true;
        ed.s.view.focusPane = InputPane::Text;
        ed.s.typing.multiLetters = true;
    }
    Bytes written(size_t n) const { return {ed.s.doc.fileData.begin(), ed.s.doc.fileData.begin() + static_cast<long>(n)}; }
};

const Bytes kBlank(8, 0x00);

Bytes typed(std::string_view lines, const std::string& text) {
    TableEditor t(lines, kBlank);
    PicText_TypeCharacter(t.ed, text);
    CommitTypedLetters(t.ed);
    return t.written(static_cast<size_t>(t.ed.s.cursor()));
}

Bytes pasted(std::string_view lines, const std::string& text) {
    TableEditor t(lines, kBlank);
    t.services.clipboard = text;
    PasteIntoPane(t.ed);
    return t.written(static_cast<size_t>(t.ed.s.cursor()));
}

// Replaces the document's first byte, 7E ("~"), with the text, the document growing to take it.
Bytes replaced(std::string_view lines, const std::string& text) {
    Bytes doc = kBlank;
    doc[0] = 0x7E;
    TableEditor t(std::string(lines) + "\n7E=~\n", doc);
    ReplaceNext(t.ed, {.kind = PatternKind::Table, .find = "~", .replacement = text, .rule = LengthRule::Resize});
    return t.written(static_cast<size_t>(t.ed.s.doc.fileSize) - (kBlank.size() - 1));
}

Bytes inserted(std::string_view lines, const std::string& text) {
    const Table table = tableOf(lines);
    InsertOptions options;
    options.table = &table;
    const InsertPlan plan = planInsert(kBlank, "#JMP($0)\n" + text + "\n", options);
    EXPECT_EQ(plan.problem, "");
    return plan.writes.empty() ? Bytes{} : plan.writes.front().bytes;
}

TEST(TextEngine, TheSameTextGivesTheSameBytesOnEveryPath) {
    const struct {
        const char* name;
        const char* table;
        std::string text;
        Bytes window;  // typing, paste and Replace
        Bytes atlas;   // the script insert
        bool typeable = true;
    } rows[] = {
        {"three keys with one text: the higher key; Atlas the first", "81=a\n82=a\n83=a\n", "a", {0x83}, {0x81}},
        {"the longest text first", "61=a\n62=b\nE0=ab\n", "abb", {0xE0, 0x62}, {0xE0, 0x62}},
        {"an end token with a letter's text: Atlas takes the end token", "41=E\n/00=E\n", "E", {0x41}, {0x00}},
        {"a two-byte key against one-byte keys", "61=a\n62=b\n8140=ab\n", "ab", {0x81, 0x40}, {0x81, 0x40}},
        {"a line break as Copy writes it; not data to Atlas", "*0A\n61=a\n62=b\n", "a\nb", {0x61, 0x0A, 0x62},
         {0x61, 0x62}, false},
        {"a line-break entry's text with and without its line break", "*FE=[LINE]\n61=a\n", "[LINE]a[LINE]\n",
         {0xFE, 0x61, 0xFE}, {0xFE, 0x61, 0xFE}, false},
        {"a raw byte", "61=a\n", "a<$05>", {0x61, 0x05}, {0x61, 0x05}, false},
        {"a linked entry and its parameter byte", "$F0=<name>,1\n", "<name><$05>", {0xF0, 0x05}, {0xF0, 0x05}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.typeable) {
            EXPECT_EQ(typed(row.table, row.text), row.window) << "typing";
        }
        EXPECT_EQ(pasted(row.table, row.text), row.window) << "paste";
        EXPECT_EQ(replaced(row.table, row.text), row.window) << "Replace";
        EXPECT_EQ(inserted(row.table, row.text), row.atlas) << "insert";
    }
}

// The text pane's Copy of the whole document, pasted back over zeros, gives the
// document again; the dump of it inserted unchanged too.
TEST(TextEngine, WhatIsCopiedOrDumpedReadsBack) {
    const struct {
        const char* name;
        const char* table;
        Bytes doc;
        std::string copied;
    } rows[] = {
        {"a line break", "*0A\n61=a\n62=b\n", {0x61, 0x0A, 0x62}, "a\nb"},
        {"a linked entry with its parameter", "$F0=<name>,1\n61=a\n", {0xF0, 0x05, 0x61}, "<name><$05>a"},
        {"a byte with no entry", "61=a\n", {0x61, 0x99, 0x61}, "a<$99>a"},
        {"three keys with one text: the one typing would not write goes raw", "81=a\n82=a\n83=a\n", {0x81, 0x83},
         "<$81>a"},
        {"a text that also begins a longer one", "61=a\n62=b\nE0=ab\n", {0x61, 0x62, 0xE0}, "<$61>bab"},
        {"a text with \"<\" after its first letter, which can reach into a raw byte written after it",
         "61=a\n62=b\nE0=ab\nE1=b<\n", {0x61, 0x62, 0xE0, 0x62, 0x99}, "<$61>bab<$62><$99>"},
        {"a raw byte that would join the text before it", "61=a\n62=b\n63=c\nE0=ca\nE1=b<\n", {0x62, 0x63, 0x61},
         "<$62><$63>a"},
        {"an end tag without bytes whose text goes on from a letter's", "/xy\n78=x\n79=y\n", {0x78, 0x79, 0x78},
         "<$78>yx"},
        {"a letter cut by the end of the range is whole", "61=a\n8140=X\n", {0x61, 0x81, 0x40}, "aX"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TableEditor t(row.table, row.doc);
        t.ed.s.view.selAnchor = 0;
        t.ed.s.view.cursorRel = static_cast<int32_t>(row.doc.size() - 1);
        CopyFromPane(t.ed);
        EXPECT_EQ(t.services.clipboard, row.copied);
        const std::string clip = t.services.clipboard;
        TableEditor back(row.table, Bytes(row.doc.size(), 0x00));
        back.services.clipboard = clip;
        PasteIntoPane(back.ed);
        EXPECT_EQ(back.document(), row.doc) << "pasted back";
        EXPECT_EQ(back.services.messages, std::vector<std::string>{});

        const Table table = tableOf(row.table);
        DumpRequest whole;
        whole.to = static_cast<int64_t>(row.doc.size()) - 1;
        const DumpResult dumped = dumpScript(table, row.doc, whole);
        InsertOptions options;
        options.table = &table;
        const InsertPlan plan = planInsert(Bytes(row.doc.size(), 0x00), dumped.script, options);
        ASSERT_EQ(plan.problem, "") << dumped.script;
        Bytes again(row.doc.size(), 0x00);
        for (const ScriptWrite& w : plan.writes) std::copy(w.bytes.begin(), w.bytes.end(), again.begin() + w.at);
        EXPECT_EQ(again, row.doc) << "dumped and inserted:\n" << dumped.script;
    }
}

}  // namespace
}  // namespace tarpon
