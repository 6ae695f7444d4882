// Command files dumped into one script: what the script holds for each key and
// method, and that the unchanged script inserts back to the same bytes.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "script/block_dump.h"
#include "script/script_insert.h"
#include "script/script_files.h"
#include "table/tbl_file.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;

// t.tbl: an end token, a line break, letters. u.tbl: other letters, its own end token.
// s.tbl switches to i.tbl's @Items (for one match; labelled, until a closing key);
// r.tbl, with no ids, to the raw table for two bytes.
const std::map<std::string, std::string> kTables = {
    {"t.tbl", "/00=<end>\n*FE=<line>\n61=a\n62=b\n63=c\n"},
    {"u.tbl", "/00=<END>\n41=A\n42=B\n"},
    {"s.tbl", "@main\n/00=<end>\n61=a\n62=b\nC0=ab\n!AB=,<@Items>:1\n!AC=<[x]>,<@Items>:$AC\n"},
    {"i.tbl", "@Items\n01=[P]\n02=[H]\n/FF=[e]\n"},
    {"r.tbl", "/00=<end>\n61=a\n!AB=<[w]>,2\n"},
    {"v.tbl", "@my items\n01=[P]\n"}};

struct Loaded {
    std::vector<std::unique_ptr<Table>> owned;
    SwitchingTables logical;
    CommandTables view;
};

// As the dump loads them: abcde's logical tables too where some table switches or a block names one by id.
std::unique_ptr<Loaded> tablesFor(const CommandFile& file) {
    auto l = std::make_unique<Loaded>();
    bool logical = std::any_of(file.blocks.begin(), file.blocks.end(), [](const CartoBlock& b) { return !b.tableId.empty(); });
    for (const TableName& name : file.tables) {
        l->owned.push_back(std::make_unique<Table>());
        readTbl(kTables.at(name.path), *l->owned.back());
        l->view.tables.push_back(l->owned.back().get());
        l->view.paths.push_back(name.path);
        logical = logical || readLogicalTables(kTables.at(name.path)).switches();
    }
    if (!logical) return l;
    const auto read = [](std::string_view lines, Table& table, std::string&) { return readTbl(lines, table), true; };
    std::string problem;
    for (const TableName& name : file.tables) l->view.first.push_back(static_cast<size_t>(l->logical.add(kTables.at(name.path), name.path, read, problem)));
    l->view.logical = &l->logical;
    return l;
}

std::string block(const std::string& keys, const std::string& table = "t.tbl") {
    return "#BLOCK NAME: b\n#TABLE: " + table + "\n#SHOW END ADDRESS: No\n" + keys + "#END BLOCK\n";
}
// A block of one pointer at 0 read through s.tbl, i.tbl loaded for its switches.
std::string switching(const std::string& keys = {}, const std::string& table = "s.tbl", const std::string& sub = "#SUB TABLE: i.tbl\n") {
    return sub + block("#METHOD: POINTER\n#ATLAS PTRS: Yes\n#POINTER TABLE START: 0\n#POINTER TABLE STOP: 2\n#POINTER SIZE: 2\n" + keys, table);
}
std::string pointers(const std::string& start, const std::string& stop, const std::string& more = {},
                     const std::string& method = "POINTER", const std::string& size = "2") {
    return block("#METHOD: " + method + "\n#ATLAS PTRS: Yes\n#POINTER TABLE START: " + start + "\n#POINTER TABLE STOP: " +
                 stop + "\n#POINTER SIZE: " + size + "\n" + more);
}

// Pointers at 0, 2, 4 (to $8, $B, $8), then "ab<end>" at 8 and "c<line>a<end>" at $B.
const Bytes kDoc = {0x08, 0, 0x0B, 0, 0x08, 0, 0xFF, 0xFF, 0x61, 0x62, 0, 0x63, 0xFE, 0x61, 0, 0x99};

struct Row {
    const char* name = "";
    int covers = -1;  // how many bytes the insert writes: every pointer's and every string's
    std::string commands = {};
    Bytes doc = kDoc;
    std::vector<std::string> holds = {};  // in this order
    std::vector<std::string> lacks = {};
    std::string problem = {};
};

// Each fragment found after the one before it.
void expectInOrder(const std::string& script, const std::vector<std::string>& fragments) {
    size_t at = 0;
    for (const std::string& f : fragments) {
        const size_t found = script.find(f, at);
        ASSERT_NE(found, std::string::npos) << "missing, or out of order: " << f << "\nin:\n" << script;
        at = found + f.size();
    }
}

std::vector<Row> rows() {
    const std::string raw = "#METHOD: RAW\n#SCRIPT START: $8\n";
    return {
        {.name = "POINTER: two pointers to one string written one after another before its one copy", .covers = 13,
         .commands = "#GAME NAME: G\n" + pointers("0", "6"),
         .holds = {"//GAME NAME:\t\tG\n", "#VAR(Table_0, TABLE)\n#ADDTBL(\"t.tbl\", Table_0)\n",
                   "//BLOCK #000 NAME:\t\tb\n#ACTIVETBL(Table_0)", "#JMP($8, $E) // Jump to insertion point\n#HDR($0)",
                   "//POINTER #0 @ $0 - STRING #0 @ $8\n//POINTER #2 @ $4 - STRING #0 @ $8\n#W16($0)\n#W16($4)\nab<end>\n",
                   "//POINTER #1 @ $2 - STRING #1 @ $B\n#W16($2)\nc<line>\na<end>\n"}},
        {.name = "POINTER_RELATIVE: the base as #HDR", .covers = 9,
         .commands = pointers("0", "4", "#BASE POINTER: $-8\n", "POINTER_RELATIVE"),
         .doc = {0x10, 0, 0x13, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x61, 0x62, 0, 0x63, 0},
         .holds = {"#HDR(" + scriptNumber(-8) + ")", "STRING #0 @ $8\n#W16($0)\nab<end>", "#W16($2)\nc<end>"}},
        {.name = "POINTER_RELATIVE_PC: each pointer's own #HDR", .covers = 8,
         .commands = block("#METHOD: POINTER_RELATIVE_PC\n#ATLAS PTRS: Yes\n#POINTER TABLE START: 0\n"
                           "#POINTER TABLE STOP: 4\n#POINTER SIZE: 2\n#BASE POINTER: 2\n"),
         .doc = {0x04, 0, 0x04, 0, 0xFF, 0xFF, 0x61, 0, 0x62, 0},
         .holds = {"#HDR($2)\n#W16($0)\na<end>", "#HDR($4)\n#W16($2)\nb<end>"}},
        {.name = "big-endian 3-byte pointers with a byte of space between them", .covers = 10,
         .commands = pointers("0", "8", "#POINTER ENDIAN: BIG\n#POINTER SPACE: 1\n", "POINTER", "3"),
         .doc = {0, 0, 0x08, 0xEE, 0, 0, 0x0A, 0xEE, 0x61, 0, 0x62, 0},
         .holds = {endianCommand(true), "#W24($0)\na<end>", "#W24($4)\nb<end>"}},
        {.name = "RAW: the stop byte excluded; strings one after another", .covers = 7,
         .commands = block(raw + "#SCRIPT STOP: $F\n"),
         .holds = {"#JMP($8, $E) // Jump to insertion point", "//Block Range: $8 - $F\nab<end>\n\nc<line>\na<end>\n"},
         .lacks = {"#VAR", "#ACTIVETBL", "#HDR"}},
        {.name = "RAW: a stop inside a string", .covers = 2, .commands = block(raw + "#SCRIPT STOP: $A\n"),
         .holds = {"#JMP($8, $9)", "\nab\n"}, .lacks = {"<end>"}},
        {.name = "COMMENTS Yes: the text as // lines only, each pointer at its string", .covers = 4,
         .commands = pointers("0", "4", "#COMMENTS: Yes\n"),
         .holds = {"#W16($0)\n//ab<end>\n", "#JMP($B, $E)\n#W16($2)\n//c<line>\n//a<end>\n"},
         .lacks = {"\nab<end>", "\nc<line>"}},
        {.name = "COMMENTS Both: a // copy, then the text", .covers = 6,
         .commands = pointers("2", "4", "#COMMENTS: Both\n"), .holds = {"#W16($2)\n//c<line>\n//a<end>\nc<line>\na<end>\n"}},
        {.name = "ATLAS PTRS No: texts without pointer writes or tables", .covers = 7,
         .commands = block("#METHOD: POINTER\n#POINTER TABLE START: 0\n#POINTER TABLE STOP: 4\n#POINTER SIZE: 2\n"),
         .holds = {"#JMP($8, $E) // Jump", "STRING #0 @ $8\nab<end>\n", "STRING #1 @ $B\nc<line>\na<end>"},
         .lacks = {"#W16", "#VAR", "#HDR"}},
        {.name = "a fixed string of 2 bytes per pointer, with its end label", .covers = 8,
         .commands = pointers("0", "4", "#TYPE: FIXED_STRING\n#STRING LENGTH: 2\n#STRING END: Yes\n"),
         .holds = {"#W16($0)\nab\n//(END)\n", "#W16($2)\nc<line>\n//(END)\n"}},
        {.name = "fixed strings and lines in a RAW range: end tokens end nothing", .covers = 7,
         .commands = block(raw + "#SCRIPT STOP: $F\n#TYPE: FIXED_STRING && FIXED_LINE\n#STRING LENGTH: 4\n"
                                 "#LINE LENGTH: 2\n#LINE END: Yes\n#LINE CTRL: [L]\n"),
         .holds = {"ab\n//[L]\n<end>\nc\n//[L]\n\n<line>\na\n//[L]\n<end>\n//[L]\n"}},
        {.name = "two strings per pointer", .covers = 9,
         .commands = pointers("0", "2", "#STRINGS PER POINTER: 2\n"), .holds = {"#W16($0)\nab<end>\n\nc<line>\na<end>\n"}},
        {.name = "strings end at the next pointer's string, not at end tokens", .covers = 9,
         .commands = pointers("0", "4", "#STRINGS END AT NEXT POINTER: Yes\n"),
         .doc = {0x04, 0, 0x07, 0, 0x61, 0, 0x62, 0x63, 0},
         .holds = {"#W16($0)\na<end>\n\nb\n", "#W16($2)\nc<end>\n"}},
        {.name = "an auto jump inside a string: the rest after a #JMP", .covers = 6,
         .commands = pointers("0", "2", "#AUTO JUMP START: $A\n#AUTO JUMP STOP: $C\n"),
         .doc = {0x08, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x61, 0x62, 0xEE, 0xEE, 0x63, 0},
         .holds = {"#JMP($8, $D)", "#W16($0)\nab\n#JMP($C, $D)\nc<end>\n"}},
        {.name = "an end realigned to 4: the next string after a #JMP", .covers = 6,
         .commands = pointers("0", "2", "#STRINGS PER POINTER: 2\n#STRING END REALIGN MULTIPLE: 4\n"),
         .doc = {0x08, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x61, 0, 0xEE, 0xEE, 0x62, 0},
         .holds = {"#W16($0)\na<end>\n\n#JMP($C, $D)\nb<end>\n"}},
        {.name = "strings in pointer order", .covers = 8, .commands = pointers("0", "4"),
         .doc = {0x07, 0, 0x04, 0, 0x61, 0, 0xEE, 0x62, 0},
         .holds = {"STRING #0 @ $7\n#JMP($7, $8)\n#W16($0)\nb<end>\n", "STRING #1 @ $4\n#JMP($4, $8)\n#W16($2)\na<end>\n"}},
        {.name = "strings sorted by address", .covers = 8, .commands = pointers("0", "4", "#SORT OUTPUT BY STRING ADDRESS: Yes\n"),
         .doc = {0x07, 0, 0x04, 0, 0x61, 0, 0xEE, 0x62, 0},
         .holds = {"//POINTER #1 @ $2 - STRING #0 @ $4\n#W16($2)\na<end>\n", "STRING #1 @ $7\n#JMP($7, $8)\n#W16($0)\nb<end>\n"}},
        {.name = "#SCRIPT STOP also stops pointed-at strings", .covers = 5, .commands = pointers("2", "4", "#SCRIPT STOP: $E\n"),
         .holds = {"#W16($2)\nc<line>\na\n"}, .lacks = {"a<end>"}},
        {.name = "a pointer outside the file", .covers = 4, .commands = pointers("0", "4"), .doc = {0x20, 0, 0x04, 0, 0x61, 0},
         .holds = {"//POINTER #0 @ $0 points outside the file ($20)\n", "#W16($2)\na<end>"}},
        {.name = "one-byte pointers: a custom pointer of 8 bits", .covers = 6, .commands = pointers("0", "2", {}, "POINTER", "1"),
         .doc = {0x02, 0x04, 0x61, 0, 0x62, 0},
         .holds = {"#VAR(PtrByteA, CUSTOMPOINTER)\n#CREATEPTR(PtrByteA, \"LINEAR\", $0, 8)\n", "#WRITE(PtrByteA, $0)\na<end>", "#WRITE(PtrByteA, $1)\nb<end>"}},
        {.name = "one-byte POINTER_RELATIVE_PC pointers: the custom pointer made again after each #HDR", .covers = 6,
         .commands = pointers("0", "2", "#BASE POINTER: 1\n", "POINTER_RELATIVE_PC", "1"), .doc = {0x01, 0x02, 0x61, 0, 0x62, 0},
         .holds = {"#VAR(PtrByteA, CUSTOMPOINTER)\n", "#HDR($1)\n#CREATEPTR(PtrByteA, \"LINEAR\", $0, 8)\n#WRITE(PtrByteA, $0)\na<end>",
                   "#HDR($2)\n#CREATEPTR(PtrByteA, \"LINEAR\", $0, 8)\n#WRITE(PtrByteA, $1)\nb<end>"}},
        {.name = "two blocks, two tables, a sub table: each loaded once, each block's made active (also without ATLAS PTRS)", .covers = 7,
         .commands = pointers("0", "2") + "#SUB TABLE: u.tbl\n" +
                     "#BLOCK NAME: c\n#TABLE: u.tbl\n#METHOD: RAW\n#SCRIPT START: $10\n#SCRIPT STOP: $13\n#END BLOCK\n",
         .doc = {0x08, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x61, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x41, 0x42, 0},
         .holds = {"#ADDTBL(\"t.tbl\", Table_0)\n#VAR(Table_1, TABLE)\n#ADDTBL(\"u.tbl\", Table_1)\n\n", "#ACTIVETBL(Table_0)",
                   "//BLOCK #001 NAME:\t\tc\n#ACTIVETBL(Table_1)", "#JMP($10, $12)", "AB<END>"}},
        {.name = "switches mid-string: an unlabelled one for one match, a labelled one until its closing key", .covers = 12,
         .commands = switching(), .doc = {0x04, 0, 0xFF, 0xFF, 0x61, 0xAB, 0x02, 0x62, 0xAC, 0x01, 0x02, 0xAC, 0x61, 0x00},
         .holds = {"#ADDTBL(\"i.tbl\", Table_0)\n#VAR(Table_1, TABLE)\n#ADDTBL(\"s.tbl\", Table_1)\n\n", "#ACTIVETBL(@main)",
                   "#W16($0)\na[H]b[x][P][H]a<end>\n"},
         .lacks = {"CONTINUOUSFILE"}},
        {.name = "an end token in the switched-to table ends the string", .covers = 5, .commands = switching(),
         .doc = {0x04, 0, 0xFF, 0xFF, 0x61, 0xAB, 0xFF, 0x62, 0x00}, .holds = {"#W16($0)\na[e]\n"}, .lacks = {"a[e]b"}},
        {.name = "#TABLE ID starts the block in that table, named so", .covers = 5, .commands = switching("#TABLE ID: Items\n"),
         .doc = {0x04, 0, 0xFF, 0xFF, 0x01, 0x02, 0xFF}, .holds = {"#ACTIVETBL(@Items)", "#W16($0)\n[P][H][e]\n"}},
        {.name = "a raw switch in a table without ids: a command has the insert read it by abcde's rules", .covers = 8,
         .commands = switching({}, "r.tbl", {}), .doc = {0x04, 0, 0xFF, 0xFF, 0x61, 0xAB, 0x01, 0x02, 0x61, 0x00},
         .holds = {"#CONTINUOUSFILE(\"FALSE\")", "#ACTIVETBL(Table_0)", "#W16($0)\na[w]<$01><$02>a<end>\n"}},
        {.name = "lines of a fixed string through switches: each after its own #JMP, spelled alone as it was read", .covers = 4,
         .commands = switching("#TYPE: FIXED_STRING && FIXED_LINE\n#STRING LENGTH: 2\n#STRING END: No\n#LINE LENGTH: 1\n#LINE END: No\n"),
         .doc = {0x04, 0, 0xFF, 0xFF, 0x61, 0x62}, .holds = {"#W16($0)\na\n#JMP($5, $5)\nb\n"}},
        {.name = "a #TABLE ID no table has", .commands = switching("#TABLE ID: Nope\n"), .problem = "Line 10: no table loaded has the id @Nope."},
        {.name = "a #TABLE ID that an #ACTIVETBL line cannot hold", .commands = switching("#TABLE ID: my items\n", "v.tbl", {}),
         .problem = "Line 9: the id @my items cannot be written in an #ACTIVETBL line."},
        {.name = "a switch to a table not loaded", .commands = switching({}, "s.tbl", {}),
         .problem = "A table switches to @Items, which no table the command file loads has (#TABLE or #SUB TABLE)."},
        {.name = "a pointer table past the end of the file", .commands = pointers("0", "$11"),
         .problem = "Line 7: the pointer table runs past the end of the file."},
        {.name = "a RAW range past the end of the file", .commands = block(raw + "#SCRIPT STOP: $11\n"),
         .problem = "Line 6: the range runs past the end of the file."},
    };
}

TEST(BlockDump, WhatTheScriptHolds) {
    for (const Row& row : rows()) {
        SCOPED_TRACE(row.name);
        const CommandFile file = readCommandFile(row.commands);
        ASSERT_EQ(file.problem, "");
        const auto tables = tablesFor(file);
        const DumpResult dumped = dumpCommandFile(file, tables->view, {row.doc.data(), row.doc.size()});
        EXPECT_EQ(dumped.problem, row.problem);
        expectInOrder(dumped.script, row.holds);
        for (const std::string& f : row.lacks) EXPECT_EQ(dumped.script.find(f), std::string::npos) << f << " in\n" << dumped.script;
    }
}

// A script larger than its limit is refused, whole; one as large as its limit is written.
TEST(BlockDump, ScriptSizeLimit) {
    const CommandFile file = readCommandFile(pointers("0", "6") + block("#METHOD: RAW\n#SCRIPT START: 8\n#SCRIPT STOP: $F\n"));
    const auto tables = tablesFor(file);
    const std::span<const uint8_t> doc(kDoc.data(), kDoc.size());
    const uint64_t size = dumpCommandFile(file, tables->view, doc).script.size();
    const std::string refused = "The script would be larger than " + std::to_string(size - 1) + " bytes: dump fewer blocks, or smaller ones.";
    const std::tuple<const char*, uint64_t, std::string> rows[] = {
        {"as large as its limit", size, ""},
        {"one byte over", size - 1, refused},
        {"over within the first block's text", 20, "The script would be larger than 20 bytes: dump fewer blocks, or smaller ones."},
    };
    for (const auto& [name, limit, problem] : rows) {
        SCOPED_TRACE(name);
        const DumpResult r = dumpCommandFile(file, tables->view, doc, {}, limit);
        EXPECT_EQ(r.problem, problem);
        EXPECT_EQ(r.script.size(), problem.empty() ? size : 0);
    }
}

// The unchanged script inserted into the file (its tables found by the #ADDTBL lines)
// writes only the bytes that are there already, and every byte of each string and
// pointer it dumped.
TEST(BlockDump, InsertedBackGivesTheSameBytes) {
    int ran = 0;
    for (const Row& row : rows()) {
        if (!row.problem.empty()) continue;
        SCOPED_TRACE(row.name);
        const CommandFile file = readCommandFile(row.commands);
        const auto tables = tablesFor(file);
        const std::span<const uint8_t> doc(row.doc.data(), row.doc.size());
        const DumpResult dumped = dumpCommandFile(file, tables->view, doc);
        ASSERT_EQ(dumped.problem, "");
        InsertOptions options;
        options.table = tables->view.tables[0];  // for scripts without table lines (no #ATLAS PTRS: Yes), as --table
        std::map<std::string, std::string> files;
        for (const auto& [name, text] : kTables) files["/p/" + name] = text;
        options.sources = test::sourcesIn(files, "/p");
        const InsertPlan plan = planInsert(doc, dumped.script, options);
        ASSERT_EQ(plan.problem, "") << dumped.script;
        Bytes written = row.doc;
        std::set<int64_t> touched;
        for (const ScriptWrite& w : plan.writes) {
            ASSERT_LE(w.at + std::ssize(w.bytes), std::ssize(written));
            std::copy(w.bytes.begin(), w.bytes.end(), written.begin() + w.at);
            for (int64_t i = 0; i < std::ssize(w.bytes); ++i) touched.insert(w.at + i);
        }
        EXPECT_EQ(written, row.doc) << dumped.script;
        EXPECT_EQ(std::ssize(touched), row.covers) << dumped.script;
        ++ran;
    }
    EXPECT_GE(ran, 25);
}

}  // namespace
}  // namespace tarpon
