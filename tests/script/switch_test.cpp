// abcde's table switches both ways: each row a table file and bytes <-> the text the
// dump reads from them and the text an insert (abcde's rules) turns back into them.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "script/switch_dump.h"
#include "script/switch_reader.h"
#include "script_files.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes hexBytes(std::string_view text) {
    Bytes out;
    for (size_t i = 0; i + 1 < text.size(); i += 3) out.push_back(static_cast<uint8_t>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
    return out;
}

const SwitchingTables::EntryReader kReadEntries = [](std::string_view lines, Table& table, std::string&) {
    readTbl(lines, table);
    return true;
};

const std::string kItems = "@Items\n01=[Potion]\n02=[Holy]\n03=[Sword]\n";
const std::string kFonts = "@Fonts\n!01=,<@Items>:1+\n02=[Green]\n03<2>=[Batman]\n";
std::string mainWith(const std::string& sw) { return "@main\n01=foo\n02=bar\n03=cat\n" + sw + "\n" + kItems + kFonts; }

struct Row {
    const char* name;
    std::string table;
    std::string bytes;
    std::string text;
    bool dumps = true;    // the bytes dump to the text
    bool inserts = true;  // the text inserts to the bytes
};

std::vector<Row> rows() {
    return {
        {.name = "unlabelled switch for one match", .table = mainWith("!AB=,<@Items>:1"), .bytes = "AB 01 02 AB 03", .text = "[Potion]bar[Sword]"},
        {.name = "labelled switch back at its closing key", .table = mainWith("!AB=<[Item:]>,<@Items>:$AB"), .bytes = "AB 01 02 AB 03",
         .text = "[Item:][Potion][Holy]cat"},
        {.name = "raw part of one byte, twice", .table = mainWith("!AB=<[Item Name:]>,1"), .bytes = "AB 01 02 AB 03",
         .text = "[Item Name:]<$01>bar[Item Name:]<$03>"},
        {.name = "raw part of three bytes", .table = mainWith("!AB=<[Window]>,3"), .bytes = "AB 01 02 AB 03", .text = "[Window]<$01><$02><$AB>cat"},
        {.name = "three raw parts of one byte", .table = mainWith("!AB=<[Window]>,1,1,1"), .bytes = "AB 01 02 AB 03", .text = "[Window]<$01><$02><$AB>cat"},
        {.name = "nested switch whose matches count (+), and a weight of 2", .table = mainWith("!AB=,<@Fonts>:2"), .bytes = "AB 01 02 AB 03",
         .text = "[Holy][Batman]"},
        {.name = "two parts; the second switch runs out of bytes and is written raw", .table = mainWith("!AB=<[IF:]>,<@Items>:1,<@Fonts>:1"),
         .bytes = "AB 01 02 AB 03", .text = "[IF:][Potion][Green]<$AB>cat"},
        {.name = "-1 in the first table: the code alone", .table = mainWith("!AB=<[x]>,-1"), .bytes = "AB 01", .text = "[x]foo"},
        {.name = "0: stays, an unmatched byte raw", .table = "@main\n01=foo\n!AB=,<@Items>:0\n@Items\n01=[P]\n02=[H]\n/FF=[e]\n",
         .bytes = "AB 01 05 02 FF", .text = "[P]<$05>[H][e]"},
        {.name = "a string that ends inside a part staying to its end is written without switches", .table = mainWith("!AB=,<@Items>:0"),
         .bytes = "AB 01 02", .text = "<$AB>foobar", .inserts = false},
        {.name = "an end token in the other table ends the string; the next starts in the first",
         .table = "@main\n01=foo\n!AB=,<@Items>:0\n@Items\n01=[Potion]\n/FF=[end]\n", .bytes = "AB 01 FF 01", .text = "[Potion][end]foo", .dumps = false},
        {.name = "the end token ends the dumped string", .table = "@main\n01=foo\n!AB=,<@Items>:0\n@Items\n01=[Potion]\n/FF=[end]\n", .bytes = "AB 01 FF",
         .text = "[Potion][end]"},
        {.name = "a switch inside the other table counts there", .table = "@main\n01=foo\n!AB=,<@Items>:2\n@Items\n01=[Potion]\n!04=<[n]>,1\n",
         .bytes = "AB 04 07 01 01", .text = "[n]<$07>[Potion]foo"},
        {.name = "a byte a counted part cannot read: no switch there", .table = mainWith("!AB=,<@Items>:1"), .bytes = "AB 09 01", .text = "<$AB><$09>foo"},
        {.name = "a text that spells back shorter is written raw", .table = "@main\n01=a\n02=b\n03=ab\n!AB=<[x]>,1\n", .bytes = "01 02",
         .text = "<$01><$02>"},
        {.name = "a count met through + ends the part inside it early", .table = "@m\n01=a\n!AB=,<@T>:2\n@T\n!02=,<@U>:$FF+\n@U\n05=u\n",
         .bytes = "AB 02 05 01", .text = "ua"},
        {.name = "a closing key's weight counts through +", .table = "@m\n01=a\n!AB=,<@T>:4\n@T\n!02=,<@U>:$FF<2>+\n@U\n05=u\n",
         .bytes = "AB 02 05 FF 01", .text = "ua"},
        {.name = "a match that takes a count past its number is none", .table = "@main\n03=cat\n!AB=,<@W>:1\n@W\n03<2>=[B]\n",
         .bytes = "AB 03", .text = "<$AB>cat"},
        {.name = "-1 inside another table leaves that table", .table = "@main\n01=foo\n!AB=,<@Items>:0\n@Items\n01=[P]\n!FE=<[back]>,-1\n",
         .bytes = "AB 01 FE 01", .text = "[P][back]foo"},
        {.name = "a labelled switch only where its label stands", .table = mainWith("!AB=<[Item:]>,<@Items>:1"), .bytes = "", .text = "[Potion]",
         .dumps = false},
    };
}

TEST(Switches, DumpedText) {
    for (const Row& r : rows()) {
        if (!r.dumps) continue;
        SCOPED_TRACE(r.name);
        SwitchingTables tables;
        std::string problem;
        ASSERT_EQ(tables.add(r.table, "s.tbl", kReadEntries, problem), 0) << problem;
        const Bytes doc = hexBytes(r.bytes);
        std::string text;
        const SwitchReader reader(tables, 0);
        EXPECT_EQ(reader.read({doc.data(), doc.size()}, 0, std::ssize(doc), text), std::ssize(doc));
        EXPECT_EQ(text, r.text);
    }
}

TEST(Switches, InsertedBytes) {
    for (const Row& r : rows()) {
        if (!r.inserts) continue;
        SCOPED_TRACE(r.name);
        Bytes doc(8, 0x99);
        InsertOptions o;
        o.sources = test::sourcesIn({{"g/s.tbl", r.table}}, "g");
        o.dialect = ScriptDialect::Abcde;
        const InsertPlan plan = planInsert({doc.data(), doc.size()}, "#VAR(T, TABLE)\n#ADDTBL(\"s.tbl\", T)\n#ACTIVETBL(T)\n#JMP(0)\n" + r.text, o);
        const Bytes want = hexBytes(r.bytes);
        if (want.empty()) {
            EXPECT_NE(plan.problem, "");
            continue;
        }
        ASSERT_EQ(plan.problem, "");
        ASSERT_FALSE(plan.writes.empty());
        EXPECT_EQ(plan.writes.front().bytes, want);
    }
}

}  // namespace
}  // namespace tarpon

namespace tarpon {
namespace {

// A long text between two commands is spelled in pieces cut after end tokens, each
// piece as the whole would be: many strings through a switch give their bytes each.
TEST(Switches, LongTextInPieces) {
    const std::string table = "@main\n02=bar\n/00=[end]\n!AB=,<@Items>:0\n@Items\n01=[Potion]\n/FF=[stop]\n";
    std::string script = "#VAR(T, TABLE)\n#ADDTBL(\"s.tbl\", T)\n#ACTIVETBL(@main)\n#JMP(0)\n";
    Bytes want;
    for (int i = 0; i < 7000; ++i) {  // 7000 strings of 8 to 16 letters: over 64 KiB
        script += i % 2 ? "bar[Pot\nion][stop]\n" : "bar[end]\n";  // a line that ends mid-string is no place to cut
        const Bytes one = i % 2 ? Bytes{0x02, 0xAB, 0x01, 0xFF} : Bytes{0x02, 0x00};
        want.insert(want.end(), one.begin(), one.end());
    }
    Bytes doc(want.size(), 0x55);
    InsertOptions o;
    o.sources = test::sourcesIn({{"g/s.tbl", table}}, "g");
    const InsertPlan plan = planInsert({doc.data(), doc.size()}, script, o);
    ASSERT_EQ(plan.problem, "");
    for (const ScriptWrite& w : plan.writes) std::copy(w.bytes.begin(), w.bytes.end(), doc.begin() + w.at);
    EXPECT_EQ(doc, want);
}

// What is not followed is refused with the table file and its line, by the insert and the dump alike.
TEST(Switches, Refusals) {
    const std::pair<std::string, std::string> rows[] = {
        {"line 2: bit keys (%0101) are not read by this editor.", "@m\n!%0101=,1\n"},
        {"line 2: <binary> parts (raw bits) are not read by this editor.", "@m\n!AB=,<binary>:4\n"},
        {"line 3: end tokens that switch tables (/!) are not read by this editor.", "@m\n01=a\n/!AB=<[x]>,<@m>:1\n"},
        {"line 1: a count of -1 is only for a part without a table id.", "!AB=,<@m>:-1\n@m\n"},
        {"line 1: keys of half bytes (an odd number of digits) are not read by this editor.", "!ABC=,1\n"},
        {"line 1: closing bit keys (%0101) are not read by this editor.", "!AB=,<@m>:%0101\n"},
        {"line 1: the count \"x\" is not a number from -1 to 1000.", "!AB=,x\n"},
        {"line 1: the switch has no part (,<@id>:COUNT).", "!AB=<[x]>\n"},
        {"line 2: a switch is written !KEY=<label>,<@id>:COUNT (a \",\" and its parts after the label).", "01=a\n!B3=x\n"},
        {"line 2: the entry's weight is not a number.", "01=a\n02<x>=b\n"},
    };
    for (const auto& [problem, table] : rows) {
        SCOPED_TRACE(problem);
        EXPECT_EQ(readLogicalTables(table).problem, problem);
        Bytes doc(4, 0);
        InsertOptions o;
        o.sources = test::sourcesIn({{"g/s.tbl", table}}, "g");
        o.dialect = ScriptDialect::Abcde;
        EXPECT_EQ(planInsert({doc.data(), doc.size()}, "#VAR(T, TABLE)\n#ADDTBL(\"s.tbl\", T)", o).problem,
                  "Line 2: the table \"s.tbl\", " + problem);
        SwitchingTables tables;
        std::string why;
        EXPECT_EQ(tables.add(table, "s.tbl", kReadEntries, why), -1);
        EXPECT_EQ(why, "the table \"s.tbl\", " + problem);
    }
}

// A table of bit keys is spelled by its bits, which do not switch: one with switches is refused.
TEST(Switches, BitKeysWithSwitchesRefused) {
    Bytes doc(4, 0);
    InsertOptions o;
    o.sources = test::sourcesIn({{"g/s.tbl", "@m\n%01=a\n!AB=,1\n"}}, "g");
    o.dialect = ScriptDialect::Abcde;
    EXPECT_EQ(planInsert({doc.data(), doc.size()}, "#VAR(T, TABLE)\n#ADDTBL(\"s.tbl\", T)", o).problem,
              "Line 2: the table \"s.tbl\" @m has keys of bits and table switches: this editor reads the one or the other.");
}

// Weights come off the keys before the entries are read; Atlas's reading leaves such lines alone.
TEST(Switches, LogicalTablesAndWeights) {
    const LogicalTables t = readLogicalTables("01=a\n@one\n/02<3>=b\n!AB<2>=<x>,1+\n@two\n03=c\n");
    ASSERT_EQ(t.problem, "");
    ASSERT_EQ(t.tables.size(), 2u);
    EXPECT_EQ(t.tables[0].id, "one");
    EXPECT_EQ(t.tables[0].lines, "01=a\n\n/02=b\n\n");  // the file's line numbers kept
    EXPECT_EQ(t.tables[0].weights.at("\x02"), 3);
    ASSERT_EQ(t.tables[0].switches.size(), 1u);
    EXPECT_EQ(t.tables[0].switches[0].weight, 2);
    EXPECT_TRUE(t.tables[0].switches[0].parts[0].plus);
    EXPECT_EQ(t.tables[1].lines, "\n\n\n\n\n03=c\n");
    EXPECT_EQ(readLogicalTables("01=a\n@one\n/02<3>=b\n!AB<2>=<x>,1+\n", false).tables[0].lines, "01=a\n\n/02<3>=b\n!AB<2>=<x>,1+\n");
}

}  // namespace
}  // namespace tarpon

namespace tarpon {
namespace {

// Every kind of switch: for one match, to a closing key, raw, nested with "+" and
// weights, staying, back at once; end tokens in both tables; a key of two bytes.
constexpr const char* kEveryKind =
    "@main\n/00=<end>\n61=a\n62=b\n6162=ab\n!AB=,<@Items>:1\n!AC=<[x]>,<@Items>:$AC\n!AD=<[w]>,2\n!AE=<[f]>,<@Fonts>:2\n"
    "!AF=<[s]>,<@Items>:0\n!B0=<[q]>,-1\n@Items\n01=[P]\n02<2>=[H]\n/FF=[e]\n!04=<[n]>,1\n!FE=<[k]>,-1\n@Fonts\n!01=,<@Items>:1+\n02=[G]\n03<2>=[B]\n";

// Any bytes dumped through the switches, as a range or from a pointer, and inserted
// back unchanged (the script loads the table itself) give the same bytes.
TEST(Switches, DumpThenInsertGivesTheSameBytes) {
    SwitchingTables tables;
    std::string problem;
    ASSERT_EQ(tables.add(kEveryKind, "/t/s.tbl", kReadEntries, problem), 0) << problem;
    const uint8_t pool[] = {0x00, 0x61, 0x62, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF, 0xB0, 0x01, 0x02, 0x03, 0x04, 0xFE, 0xFF, 0x99};
    std::mt19937 rng(5);
    int switched = 0;
    for (int round = 0; round < 600; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        Bytes doc(3 + rng() % 30);
        for (uint8_t& b : doc) b = pool[rng() % std::size(pool)];
        DumpRequest r;
        if (round % 2) {
            r.pointers = true, r.count = 1, r.p = {2, false, 0};
            doc[0] = 2, doc[1] = 0;
        } else {
            r.to = std::ssize(doc) - 1;
        }
        const DumpResult dumped = dumpSwitchingScript(tables, "/t/s.tbl", {doc.data(), doc.size()}, r);
        ASSERT_EQ(dumped.problem, "");
        switched += dumped.script.find("[P]") != std::string::npos;
        const Bytes blank(doc.size(), 0x55);
        InsertOptions o;
        o.sources = test::sourcesIn({{"/t/s.tbl", kEveryKind}}, "/t");
        const InsertPlan plan = planInsert({blank.data(), blank.size()}, dumped.script, o);
        ASSERT_EQ(plan.problem, "") << dumped.script;
        std::set<int64_t> covered;  // every write gives the bytes there, and a range is written whole
        for (const ScriptWrite& w : plan.writes)
            for (size_t k = 0; k < w.bytes.size(); ++k) {
                ASSERT_EQ(w.bytes[k], doc[static_cast<size_t>(w.at) + k]) << "at " << w.at + std::ssize(w.bytes) << "\n" << dumped.script;
                covered.insert(w.at + static_cast<int64_t>(k));
            }
        EXPECT_EQ(std::ssize(covered), round % 2 ? 2 + plan.textBytes : std::ssize(doc)) << dumped.script;
    }
    EXPECT_GT(switched, 40);  // many dumps read through a switch
}

}  // namespace
}  // namespace tarpon
