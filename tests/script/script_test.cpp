// Script dump and insert through a small table of every kind of entry.
#include <gtest/gtest.h>

#include <random>

#include "core/edits.h"
#include "core/editor_state.h"
#include "script/script_dump.h"
#include "script/script_insert.h"
#include "table/tbl_file.h"
#include "script/script_commands.h"
#include "script/script_files.h"
#include "test_editor.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;

// An end token, a line break, letters, a letter pair that "a" and "b" also spell, a
// linked entry with one parameter byte, and two letters that mean something in a
// script line ("#" at its start, "//"), and keys of two and three bytes.
constexpr const char* kScriptTable = "/00=<end>\n*FE=<line>\n*FD=[a long line break]\n61=a\n62=b\nC0=ab\n$05=<col>,1\n23=#\n2F=/\nC1C2=q\nC0C5=y\nC1C3C4=r\n";
Table scriptTable() {
    Table t;
    readTbl(kScriptTable, t);
    return t;
}

std::span<const uint8_t> span(const Bytes& b) { return {b.data(), b.size()}; }

// Bytes and what to dump -> the script after its first line, or why nothing was dumped.
TEST(Script, Dump) {
    const Table table = scriptTable();
    DumpRequest range;
    range.to = 4;
    DumpRequest ptrs;
    ptrs.pointers = true, ptrs.count = 3, ptrs.p = {2, false, 0};
    DumpRequest small = range, exact = range, smallPtrs = ptrs;
    exact.maxScript = 93;  // the first row's script, first line included
    small.maxScript = 92;
    smallPtrs.maxScript = 101;  // the fourth row's, less one byte and the script's end
    DumpRequest negative = ptrs;
    negative.count = 1, negative.p.add = -6;
    const std::tuple<const char*, Bytes, DumpRequest, std::string> rows[] = {
        {"strings cut at end tokens; a and b written so that they do not spell the pair", {0x61, 0x62, 0, 0xC0, 0},
         range, "#JMP($0, $4)\n//STRING #0 @ $0\n<$61>b<end>\n\n//STRING #1 @ $3\nab<end>\n\n"},
        {"a # that starts a line and a // are written raw", {0x23, 0x23, 0x2F, 0x2F, 0}, range,
         "#JMP($0, $4)\n//STRING #0 @ $0\n<$23>#/<$2F><end>\n\n"},
        {"a linked entry's parameter, a line break, a byte without an entry", {0x05, 0x07, 0xFE, 0x99, 0x62}, range,
         "#JMP($0, $4)\n//STRING #0 @ $0\n<col><$07><line>\n<$99>b\n\n"},
        {"two pointers to one string, one outside the file", {0x06, 0, 0x06, 0, 0xFF, 0, 0x61, 0, 0x62}, ptrs,
         "#SMA(\"LINEAR\")\n#HDR($0)\n//POINTER #2 @ $4 points outside the file ($FF)\n#JMP($6, $7)\n"
         "//POINTER #0 @ $0 - STRING #0 @ $6\n#W16($0)\n//POINTER #1 @ $2 - STRING #0 @ $6\n#W16($2)\na<end>\n\n"},
        {"a negative header, as Atlas writes it", {0x08, 0, 0x61, 0}, negative,
         "#SMA(\"LINEAR\")\n#HDR($-6)\n#JMP($2, $3)\n//POINTER #0 @ $0 - STRING #0 @ $2\n#W16($0)\na<end>\n\n"},
        {"a # that starts a line after a long line-break text", {0x62, 0xFD, 0x23, 0x61, 0}, range,
         "#JMP($0, $4)\n//STRING #0 @ $0\nb[a long line break]\n<$23>a<end>\n\n"},
        {"a key of two bytes, and its first byte alone", {0xC1, 0xC2, 0xC1, 0x61, 0}, range,
         "#JMP($0, $4)\n//STRING #0 @ $0\nq<$C1>a<end>\n\n"},
        {"a one-byte key that begins a longer one", {0xC0, 0xC6, 0xC0, 0xC5, 0}, range,
         "#JMP($0, $4)\n//STRING #0 @ $0\nab<$C6>y<end>\n\n"},
        {"a key of three bytes, and two of them alone", {0xC1, 0xC3, 0xC4, 0xC1, 0xC3}, range,
         "#JMP($0, $4)\n//STRING #0 @ $0\nr<$C1><$C3>\n\n"},
        {"a range past the end", {0x61}, range, "The range must lie in the file, its first byte not after its last."},
        {"a script one byte over its limit", {0x61, 0x62, 0, 0xC0, 0}, small,
         "The script would be larger than 92 bytes: dump a smaller range, or fewer pointers."},
        {"a script as large as its limit", {0x61, 0x62, 0, 0xC0, 0}, exact,
         "#JMP($0, $4)\n//STRING #0 @ $0\n<$61>b<end>\n\n//STRING #1 @ $3\nab<end>\n\n"},
        {"pointed-at strings over the limit", {0x06, 0, 0x06, 0, 0xFF, 0, 0x61, 0, 0x62}, smallPtrs,
         "The script would be larger than 101 bytes: dump a smaller range, or fewer pointers."},
        {"a pointer table past the end", {0x06, 0}, ptrs,
         "The pointer table must hold at least one pointer and lie in the file."},
    };
    for (const auto& [name, doc, request, expected] : rows) {
        SCOPED_TRACE(name);
        const DumpResult r = dumpScript(table, span(doc), request);
        const std::string got = r.problem.empty() ? r.script.substr(r.script.find('\n') + 1) : r.problem;
        EXPECT_EQ(got, expected);
    }
}

InsertPlan insertWith(const Table& table, const Bytes& doc, std::string_view script) {
    InsertOptions o;
    o.table = &table;
    return planInsert(span(doc), script, o);
}

// A script on 8 zero bytes, through a table given beside it -> the bytes afterwards,
// or the message and nothing written.
TEST(Script, Insert) {
    const Table table = scriptTable();
    const std::tuple<const char*, std::string, Bytes, std::string> rows[] = {
        {"pointers with a header, then the text they point at", "#HDR(-$10)\n#JMP($2)\n#W16($0) // here\nab<end>\n",
         {0x12, 0, 0xC0, 0, 0, 0, 0, 0}, ""},
        {"big-endian 3-byte pointers; raw bytes; line breaks are not data", "#ENDIAN(\"BIG\")\n#JMP($1)\n#W24($5)\n<$41>\nb\n",
         {0, 0x41, 0x62, 0, 0, 0, 0, 1}, ""},
        {"an end tag's text and a linked entry", "#JMP($0, $7)\n<col><$09><line><end>", {5, 9, 0xFE, 0, 0, 0, 0, 0}, ""},
        {"text before the first #JMP", "// start\nab\n", {}, "Line 2: text before the first #JMP: where should it go?"},
        {"past the end of the file", "#JMP($6)\nab<$61><$61>", {}, "Line 2: the text runs 1 bytes past the end of the file."},
        {"a letter no entry begins", "#JMP($0)\nab\nz", {}, "Line 3: \"z\" (U+007A) begins no entry of the table."},
        {"a pointer value is cut to its size", "#JMP($7)\n#HDR($8)\n#W16($0)\n", {0xFF, 0xFF, 0, 0, 0, 0, 0, 0}, ""},
        {"no table at all", "#JMP($0)\nab", {}, "Line 2: no table: the script names none (#VAR, #ADDTBL, #ACTIVETBL) and none was given."},
    };
    for (const auto& [name, script, after, problem] : rows) {
        SCOPED_TRACE(name);
        test::TestEditor t;
        const Bytes zeros(8, 0);
        t.setDocument(zeros);
        InsertOptions o;
        o.table = std::string_view(name) == "no table at all" ? nullptr : &table;
        const InsertPlan plan = planInsert(span(zeros), script, o);
        EXPECT_EQ(plan.problem, problem);
        applyInsert(t.ed.s, plan);
        EXPECT_EQ(t.document(), problem.empty() ? after : zeros);
    }
}

// A second table ends strings at "a", which must not be spelled together with a "b"
// that starts the next; it has a second key for "b", two letters that together read
// as a raw byte, a blank (a line must not start with one), the letters of "($41)" and
// a letter with an end token's text (which the end token takes over).
constexpr const char* kEndsAtA = "/61=a\n99=b\n9B=<$\n9A=41>\n20= \n28=(\n29=)\n24=$\n34=4\n31=1\n63=<end>\n65=<stop>\n/66=<stop>\n";

// The dumped script inserted onto `onto`, through `table`, or through the same table
// named by the script itself (#VAR, #ADDTBL, #ACTIVETBL) when `tableText` is given.
InsertPlan insertBack(const Table& table, const std::string& tableText, const Bytes& onto, const std::string& script) {
    if (tableText.empty()) return insertWith(table, onto, script);
    InsertOptions o;
    o.sources = test::sourcesIn({{"here/t.tbl", tableText}}, "here");
    return planInsert(span(onto), "#VAR(Tbl, TABLE)\n#ADDTBL(\"t.tbl\", Tbl)\n#ACTIVETBL(Tbl)\n" + script, o);
}

// Any bytes dumped as a range and inserted back, unchanged, give the same bytes, and one Undo takes it all back.
TEST(Script, DumpThenInsertGivesTheSameBytes) {
    Table endsAtA = scriptTable();
    readTbl(kEndsAtA, endsAtA);
    std::mt19937 rng(7);
    const uint8_t common[] = {0, 0xFE, 0x61, 0x62, 0xC0, 0x05, 0x23, 0x2F, 0x99, 0x9A, 0x9B, 0x20, 0x28, 0x29, 0x24, 0x34, 0x31, 0x63, 0x65, 0x66};
    for (int round = 0; round < 900; ++round) {
        const Table table = round % 2 ? endsAtA : scriptTable();
        const std::string named = round % 3 ? std::string() : kScriptTable + std::string(round % 2 ? kEndsAtA : "");
        Bytes doc(1 + rng() % 40);
        for (uint8_t& b : doc) b = rng() % 4 ? common[rng() % std::size(common)] : static_cast<uint8_t>(rng());
        if (round == 1) doc = {0x28, 0x24, 0x34, 0x31, 0x29, 0x20, 0x23};  // "($41) #": a raw byte to Atlas, a blank, a command
        SCOPED_TRACE(testing::Message() << "round " << round);
        DumpRequest r;
        r.to = static_cast<int64_t>(doc.size()) - 1;
        const DumpResult dumped = dumpScript(table, span(doc), r);
        const Bytes blank(doc.size(), 0x55);
        test::TestEditor t;
        t.setDocument(blank);
        const InsertPlan plan = insertBack(table, named, blank, dumped.script);
        ASSERT_EQ(plan.problem, "") << dumped.script;
        applyInsert(t.ed.s, plan);
        ASSERT_EQ(t.document(), doc) << dumped.script;
        undoStep(t.ed.s);
        ASSERT_EQ(t.document(), blank) << "one undo step";
    }
}

// A pointer dumped with either byte order and a header of either sign, inserted back
// unchanged, writes the bytes that were there.
TEST(Script, PointerDumpThenInsertGivesTheSameBytes) {
    const Table table = scriptTable();
    std::mt19937 rng(11);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        Bytes doc(4 + rng() % 20);
        for (uint8_t& b : doc) b = static_cast<uint8_t>(0x61 + rng() % 2);
        DumpRequest r;
        r.pointers = true, r.count = 1;
        r.p = {2, round % 2 == 0, static_cast<int64_t>(rng() % 7) - 3};
        const int64_t value = 3 + static_cast<int64_t>(rng() % (doc.size() - 3)) - r.p.add;  // a target past the pointer
        doc[r.p.bigEndian ? 1 : 0] = static_cast<uint8_t>(value);
        doc[r.p.bigEndian ? 0 : 1] = static_cast<uint8_t>(value >> 8);
        const DumpResult dumped = dumpScript(table, span(doc), r);
        const InsertPlan plan = insertWith(table, doc, dumped.script);
        ASSERT_EQ(plan.problem, "") << dumped.script;
        ASSERT_EQ(plan.pointers, 1) << dumped.script;
        Bytes after = doc;
        for (const ScriptWrite& w : plan.writes) std::copy(w.bytes.begin(), w.bytes.end(), after.begin() + w.at);
        ASSERT_EQ(after, doc) << dumped.script;
    }
}

// Insert Script... with a script that names its own table: the bytes written, the
// message, one undo step; and a refusal that writes nothing.
TEST(Script, InsertScriptWindowCommand) {
    test::TempDir dir;
    const std::string good = dir.file("good.txt"), bad = dir.file("bad.txt");
    test::writeText(good, "#VAR(T, TABLE)\n#ADDTBL(\"C:\\game\\T.TBL\", T)\n#ACTIVETBL(T)\n#JMP(1)\nab<end>\n");
    test::writeText(bad, "#VAR(T, TABLE)\n#ADDTBL(\"t.tbl\", T)\n#ACTIVETBL(T)\n#JMP(1)\nab\n#EXTLOAD(X, \"a.dll\")\n");
    const auto sources = [&](const std::string& path) {
        EXPECT_TRUE(path == good || path == bad);
        return test::sourcesIn({{dir.dir + "/t.tbl", kScriptTable}}, dir.dir);
    };
    test::TestEditor t(Bytes(4, 0x55));
    t.services.fileDialogAnswers = {good, bad};
    InsertScriptFile(t.ed, sources);
    EXPECT_EQ(t.document(), (Bytes{0x55, 0xC0, 0, 0x55}));
    ASSERT_EQ(t.services.messages.size(), 1u);
    EXPECT_EQ(t.services.messages.back(), "Wrote 1 string, 2 bytes of text and 0 pointers.");
    InsertScriptFile(t.ed, sources);
    EXPECT_EQ(t.services.messages.back(),
              "bad.txt: Line 6: #EXTLOAD runs a Windows plug-in of Atlas's; this editor does not run plug-ins. Nothing was written.");
    EXPECT_EQ(t.document(), (Bytes{0x55, 0xC0, 0, 0x55}));
    undoStep(t.ed.s);
    EXPECT_EQ(t.document(), Bytes(4, 0x55)) << "one undo step";
}

}  // namespace
}  // namespace tarpon
