// Scripts through tables of bit keys: inserting (abcde's rules, Atlas's refusal) and
// dumping so that the unchanged script inserts back to the same bytes.
#include <gtest/gtest.h>

#include <random>

#include <set>

#include "script/bit_dump.h"
#include "script/block_dump.h"
#include "script/command_file.h"
#include "script_files.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;

const std::string kNotes = "%01=x\n%001=y\n%000=z\n/%11=[e]\n";

const std::map<std::string, std::string>& files() {
    static const std::map<std::string, std::string> f{
        {"game/bits.tbl", kNotes},
        {"game/bad.tbl", "%01=x\n\n%0x=y\n"},
        {"game/late.tbl", "@one\r\n41=A\r\n@two\r\nF=f\r\n"},
        {"game/bytes.tbl", "41=A\n"},
    };
    return f;
}

std::string hexOf(const Bytes& bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const uint8_t b : bytes) out += std::string(out.empty() ? "" : " ") + kHex[b >> 4] + kHex[b & 15];
    return out;
}

InsertPlan insert(const std::string& script, ScriptDialect dialect, Bytes& doc, const BitTable* given = nullptr) {
    static const Table empty;
    InsertOptions o;
    o.dialect = dialect;
    o.sources = test::sourcesIn(files(), "game");
    o.table = given ? &empty : nullptr;
    o.bitTable = given;
    InsertPlan plan = planInsert({doc.data(), doc.size()}, script, o);
    for (const ScriptWrite& w : plan.writes) std::copy(w.bytes.begin(), w.bytes.end(), doc.begin() + w.at);
    return plan;
}

std::string with(const std::string& table, const std::string& rest) {
    return "#VAR(T, TABLE)\n#ADDTBL(\"" + table + "\", T)\n#ACTIVETBL(T)\n" + rest;
}

TEST(BitScript, Insert) {
    struct Row {
        const char* name;
        std::string script;
        ScriptDialect dialect;
        std::string bytes;    // the document's first 8 bytes afterwards
        std::string problem;  // or why it was refused
    };
    const std::string table4 = "#VAR(PT, POINTERTABLE)\n#VAR(P, CUSTOMPOINTER)\n#CREATEPTR(P, \"LINEAR\", 0, 8)\n#PTRTBL(PT, $0, 1, P)\n";
    const Row rows[] = {
        {"abcde's packing example, read by abcde's rules for its table", with("bits.tbl", "#JMP(2)\nxyzx[e]"), ScriptDialect::Auto,
         "00 00 48 70 00 00 00 00", ""},
        {"lines up to a command are one run of bits", with("bits.tbl", "#JMP(2)\nxy\nzx[e]\n#JMP(5)\nx"), ScriptDialect::Auto,
         "00 00 48 70 00 40 00 00", ""},
        {"#AUTOWRITE points at the byte that holds each string's first bit",
         with("bits.tbl", table4 + "#JMP(4)\n#AUTOWRITE(PT, \"[e]\")\nx[e]yyy[e]z[e]"), ScriptDialect::Auto,
         "04 04 05 00 72 4E 30 00", ""},
        {"the Atlas dialect refuses it, naming the table's line", with("bits.tbl", "#JMP(0)\nx"), ScriptDialect::Atlas, "",
         "Line 2: the table \"bits.tbl\" line 1 (%01=x) has a key of bits, which only abcde's rules read: insert with the abcde dialect (--dialect abcde)."},
        {"a later table of the file keeps the file's line numbers", "#VAR(T, TABLE)\n#ADDTBL(\"late.tbl\", T)", ScriptDialect::Atlas, "",
         "Line 2: the table \"late.tbl\" line 4 (F=f) has a key of bits, which only abcde's rules read: insert with the abcde dialect (--dialect abcde)."},
        {"a bad line, with its line", with("bad.tbl", "#JMP(0)\nx"), ScriptDialect::Auto, "",
         "Line 2: the table \"bad.tbl\" line 3: \"%0x=y\" has no \"=\" after its key."},
        {"a character no key spells", with("bits.tbl", "#JMP(0)\nxq"), ScriptDialect::Auto, "",
         "Line 5: \"q\" (U+0071) begins no entry of the table."},
        {"#AUTOWRITE needs an end token of the table", with("bits.tbl", table4 + "#AUTOWRITE(PT, \"x\")"), ScriptDialect::Auto, "",
         "Line 8: #AUTOWRITE: \"x\" is no end token of the active table."},
        {"a byte table beside it stays a byte table", "#VAR(T, TABLE)\n#VAR(B, TABLE)\n#ADDTBL(\"bits.tbl\", T)\n#ADDTBL(\"bytes.tbl\", B)\n"
         "#ACTIVETBL(B)\n#JMP(0)\nA\n#ACTIVETBL(T)\ny", ScriptDialect::Auto, "41 20 00 00 00 00 00 00", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Bytes doc(8, 0);
        const InsertPlan plan = insert(r.script, r.dialect, doc);
        EXPECT_EQ(plan.problem, r.problem);
        if (r.problem.empty()) {
            EXPECT_EQ(hexOf(doc), r.bytes);
            EXPECT_EQ(plan.dialect, ScriptDialect::Abcde);
        }
    }
}

TEST(BitScript, GivenTableMakesTheScriptAbcdes) {
    std::string problem;
    const std::optional<BitTable> bits = BitTable::read(kNotes, problem);
    ASSERT_TRUE(bits) << problem;
    Bytes doc(4, 0);
    EXPECT_EQ(insert("#JMP(1)\nxyzx[e]", ScriptDialect::Auto, doc, &*bits).problem, "");
    EXPECT_EQ(hexOf(doc), "00 48 70 00");
    EXPECT_EQ(insert("#JMP(1)\nx", ScriptDialect::Atlas, doc, &*bits).problem,
              "Line 2: the table has keys of bits, which only abcde's rules read: insert with the abcde dialect (--dialect abcde).");
}

// Tables whose texts the insert may spell otherwise than they were read.
const char* const kTables[] = {
    "%01=x\n%001=y\n%000=z\n/%11=[e]\n",                   // abcde's packing example: most data ends in raw bits
    "%0=a\n%10=a\n/%11=.\n",                               // one text, two keys
    "%0001=ab\n%1=a\n%01=b\n%00000=c\n/%001=[e]\n",        // fewer bits for a text than the key read
    "ABC=long\n%1=#\n%01= \n%001=/\n%0001=\\n\n/%0000=[e]\n",  // twelve bits; a command, blanks, comments, line breaks
    "%1=a\\n\n%01=\n%00=b\n",                               // a line break after a letter; a key of no text
};

// Bytes dumped as a range or from pointers, the script inserted into a document of
// other bytes: every byte comes back.
TEST(BitScript, DumpThenInsertGivesTheSameBytes) {
    std::mt19937 rng(5);
    for (int round = 0; round < 600; ++round) {
        std::string problem;
        const std::optional<BitTable> table = BitTable::read(kTables[round % std::size(kTables)], problem);
        ASSERT_TRUE(table) << problem;
        const bool pointers = round % 3 == 0;
        Bytes doc(5 + rng() % 24);
        for (uint8_t& b : doc) b = static_cast<uint8_t>(rng() % 3 ? rng() : (rng() % 2 ? 0xFF : 0));
        DumpRequest r;
        r.to = static_cast<int64_t>(doc.size()) - 1;
        if (pointers) {  // two pointers to the byte after them, or further on
            r.pointers = true, r.count = 2;
            r.p = {2, false, 0};
            for (int i = 0; i < 2; ++i) doc[static_cast<size_t>(2 * i)] = static_cast<uint8_t>(4 + rng() % (doc.size() - 4)), doc[static_cast<size_t>(2 * i + 1)] = 0;
        }
        SCOPED_TRACE(testing::Message() << "round " << round << ", bytes " << hexOf(doc));
        const DumpResult dumped = dumpBitScript(*table, {doc.data(), doc.size()}, r);
        ASSERT_EQ(dumped.problem, "");
        Bytes back = doc;
        if (!pointers) std::fill(back.begin(), back.end(), 0x5A);
        const InsertPlan plan = insert(dumped.script, ScriptDialect::Auto, back, &*table);
        ASSERT_EQ(plan.problem, "") << dumped.script;
        ASSERT_EQ(hexOf(back), hexOf(doc)) << dumped.script;
    }
}

TEST(BitScript, Dump) {
    struct Row {
        const char* name;
        std::string table;
        Bytes doc;
        bool pointers;
        std::string script;  // after the first two lines
    };
    const Row rows[] = {
        {"a range: strings follow each other bit by bit", kNotes, {0x48, 0x70, 0xFF}, false,
         "#JMP($0, $2)\n//STRING #0 @ $0\nxyzx[e]\n\n//STRING #1 @ $1, bit 4\nzx[e]\n\n//STRING #2 @ $2, bit 3\n[e]\n\n"
         "//STRING #3 @ $2, bit 5\n[e]\n\n//STRING #4 @ $2, bit 7\n<%1>\n\n"},
        {"a pointed-at string: the 1 bits after its end token are kept", kNotes, {0x02, 0x00, 0x72, 0x4F}, true,
         "#SMA(\"LINEAR\")\n#HDR($0)\n#JMP($2, $2)\n//POINTER #0 @ $0 - STRING #0 @ $2\n#W16($0)\nx[e]<%0><%0><%1><%0>\n\n"},
        {"a text the insert spells with fewer bits is written raw", "%0001=ab\n%1=a\n%01=b\n", {0x1A}, false,
         "#JMP($0, $0)\n//STRING #0 @ $0\n<%0><%0><%0><%1>ab<%0>\n\n"},
        {"a command's # at a line's start is written raw", "%1=#\n%0=x\n", {0x80}, false,
         "#JMP($0, $0)\n//STRING #0 @ $0\n<%1>xxxxxxx\n\n"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        std::string problem;
        const std::optional<BitTable> table = BitTable::read(r.table, problem);
        ASSERT_TRUE(table) << problem;
        DumpRequest q;
        q.to = static_cast<int64_t>(r.doc.size()) - 1;
        q.pointers = r.pointers, q.count = 1, q.p = {2, false, 0};
        const DumpResult dumped = dumpBitScript(*table, {r.doc.data(), r.doc.size()}, q);
        ASSERT_EQ(dumped.problem, "");
        const size_t afterHeader = dumped.script.find('\n', dumped.script.find('\n') + 1) + 1;
        EXPECT_EQ(dumped.script.substr(afterHeader), r.script);
    }
    std::string problem;
    const std::optional<BitTable> table = BitTable::read(kNotes, problem);
    const Bytes large(static_cast<size_t>(kMaxBitRun) + 1, 0);
    DumpRequest q;
    q.to = kMaxBitRun;
    EXPECT_EQ(dumpBitScript(*table, {large.data(), large.size()}, q).problem,
              "A range read through a table of bit keys is at most 4 MiB: dump a smaller range.");
}

// A command file's blocks through a table of bit keys, inserted back unchanged by the
// script's own #ADDTBL lines: the same bytes, and every byte of the strings and pointers.
TEST(BitScript, CommandFileDumpThenInsertGivesTheSameBytes) {
    struct Row {
        const char* name;
        std::string keys;
        int covers;           // bytes the insert writes
        std::string holds;    // in the script
        std::string problem;  // or why nothing was dumped
    };
    const std::string pointers = "#METHOD: POINTER\n#ATLAS PTRS: Yes\n#POINTER TABLE START: 0\n#POINTER TABLE STOP: 4\n#POINTER SIZE: 2\n";
    const Row rows[] = {
        {"two strings a pointer, the second from the first's end token's next bit", pointers + "#STRINGS PER POINTER: 2\n", 7,
         "#W16($2)\nxyzx[e]\nzx[e]<%1><%1><%1><%1><%1>\n", ""},
        {"a range", "#METHOD: RAW\n#ATLAS PTRS: Yes\n#SCRIPT START: 4\n#SCRIPT STOP: 7\n", 3, "xyzx[e]\nzx[e]\n[e]\n[e]\n<%1>\n", ""},
        {"fixed lengths are refused", pointers + "#TYPE: FIXED_STRING\n#STRING LENGTH: 2\n", 0, "",
         "Line 2: the table has keys of bits: its blocks are read as strings ended by end tokens, with no fixed length, auto jump or realigning."},
    };
    const Bytes doc = {0x04, 0x00, 0x04, 0x00, 0x48, 0x70, 0xFF, 0x00};
    std::string problem;
    const std::optional<BitTable> bits = BitTable::read(kNotes, problem);
    ASSERT_TRUE(bits) << problem;
    const Table empty;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const CommandFile file = readCommandFile("#BLOCK NAME: b\n#TABLE: b.tbl\n#SHOW END ADDRESS: No\n" + r.keys + "#END BLOCK\n");
        ASSERT_EQ(file.problem, "");
        const CommandTables tables{{&empty}, {"/p/b.tbl"}, {&*bits}, nullptr, {}};
        const DumpResult dumped = dumpCommandFile(file, tables, {doc.data(), doc.size()});
        EXPECT_EQ(dumped.problem, r.problem);
        if (!r.problem.empty()) continue;
        EXPECT_NE(dumped.script.find(r.holds), std::string::npos) << dumped.script;
        InsertOptions options;
        options.sources = test::sourcesIn({{"/p/b.tbl", kNotes}}, "/p");
        const InsertPlan plan = planInsert({doc.data(), doc.size()}, dumped.script, options);
        ASSERT_EQ(plan.problem, "") << dumped.script;
        Bytes written = doc;
        std::set<int64_t> touched;
        for (const ScriptWrite& w : plan.writes) {
            std::copy(w.bytes.begin(), w.bytes.end(), written.begin() + w.at);
            for (int64_t i = 0; i < std::ssize(w.bytes); ++i) touched.insert(w.at + i);
        }
        EXPECT_EQ(hexOf(written), hexOf(doc)) << dumped.script;
        EXPECT_EQ(std::ssize(touched), r.covers) << dumped.script;
    }
}

}  // namespace
}  // namespace tarpon
