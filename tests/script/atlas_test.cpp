// Insertion scripts in Atlas's language (and abcde's additions): each row a small
// script over a 16-byte document -> the bytes it leaves, or the refusal.
#include <gtest/gtest.h>

#include "script/atlas_lines.h"
#include "script/atlas_pointers.h"
#include "script_files.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;

const std::map<std::string, std::string>& files() {
    static const std::map<std::string, std::string> f{
        {"game/main.tbl", "/FF=<END>\n/<E>\n41=A\n42=B\n43=C\n20= \n80=AB\n9091=Q\n"},
        {"game/kana.tbl", "/00=[e]\n31=a\n"},
        {"game/few.tbl", "01=a\n02=ab\n03=bcd\n04=c\n05=d\n"},
        {"game/dup.tbl", "01=x\n/02=x\n03=x\n"},
        {"game/sjis.tbl", "01=\xE3\x81\x82\n"},
        {"game/multi.tbl", "01=a\n@main\n/00=[e]\n@B3=x\n@Items\n01=[Potion]\n"},
        {"game/nl.tbl", "41=A\nFE=[L]\\n\n"},
        {"game/switch.tbl", "@main\n01=foo\n02=bar\n03=cat\n!AB=,<@Items>:1\n@Items\n01=[Potion]\n02=[Holy]\n03=[Sword]\n"},
        {"game/closing.tbl", "@top\n01=foo\n02=bar\n03=cat\n!AB=<[Item:]>,<@Names>:$AB\n!AC=<[x]>,2,1\n@Names\n01=[Potion]\n02=[Holy]\n"},
        {"game/pair.tbl", "@p\n01=x\n!AB=,<@Two>:2\n@Two\n01=[A]\n02=[B]\n"},
        {"game/list.txt", "$8\n// the second\n\n  10  \n"},
    };
    return f;
}

Bytes hexBytes(std::string_view text) {
    Bytes out;
    for (size_t i = 0; i + 1 < text.size() + 1; i += 3) out.push_back(static_cast<uint8_t>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
    return out;
}

constexpr const char* kMain = "#VAR(T, TABLE)\n#ADDTBL(\"main.tbl\", T)\n#ACTIVETBL(T)\n";

struct Row {
    const char* name;
    std::string script;
    std::string bytes = {};    // the document's first bytes afterwards (the rest stay 00), when it inserts
    std::string problem = {};  // else why it was refused
    ScriptDialect dialect = ScriptDialect::Auto;
    std::string warning = {};
};

InsertPlan insert(const std::string& script, ScriptDialect dialect, Bytes& doc) {
    InsertOptions o;
    o.dialect = dialect;
    o.sources = test::sourcesIn(files(), "game");
    InsertPlan plan = planInsert({doc.data(), doc.size()}, script, o);
    for (const ScriptWrite& w : plan.writes) std::copy(w.bytes.begin(), w.bytes.end(), doc.begin() + w.at);
    return plan;
}

void check(const Row& r) {
    SCOPED_TRACE(r.name);
    Bytes doc(16, 0);
    const InsertPlan plan = insert(r.script, r.dialect, doc);
    EXPECT_EQ(plan.problem, r.problem);
    Bytes expected(16, 0);
    if (!r.bytes.empty()) {
        const Bytes given = hexBytes(r.bytes);
        std::copy(given.begin(), given.end(), expected.begin());
    }
    EXPECT_EQ(doc, expected);
    EXPECT_EQ(plan.warnings.empty() ? std::string() : plan.warnings.front(), r.warning);
}

std::string main(const std::string& rest) { return kMain + rest; }

TEST(Atlas, TextAndStrings) {
    const Row rows[] = {
        {.name = "longest text first", .script = main("#JMP($2)\nABC<END>"), .bytes = "00 00 80 43 FF"},
        {.name = "Atlas never matches across lines", .script = main("#JMP(0)\nA\nB<END>"), .bytes = "41 42 FF"},
        {.name = "abcde joins the lines", .script = main("#JMP(0)\nA\nB<END>"), .bytes = "80 FF", .dialect = ScriptDialect::Abcde},
        {.name = "Atlas: greedy", .script = "#VAR(F, TABLE)\n#ADDTBL(\"few.tbl\", F)\n#ACTIVETBL(F)\n#JMP(0)\nabcd", .bytes = "02 04 05"},
        {.name = "abcde: fewest bytes", .script = "#VAR(F, TABLE)\n#ADDTBL(\"few.tbl\", F)\n#ACTIVETBL(F)\n#JMP(0)\nabcd",
         .bytes = "01 03", .dialect = ScriptDialect::Abcde},
        {.name = "Atlas: an end token takes a letter's text", .script = "#VAR(D, TABLE)\n#ADDTBL(\"dup.tbl\", D)\n#ACTIVETBL(D)\n#JMP(0)\nx", .bytes = "02"},
        {.name = "abcde: the lowest key of a text", .script = "#VAR(D, TABLE)\n#ADDTBL(\"dup.tbl\", D)\n#ACTIVETBL(D)\n#JMP(0)\nx",
         .bytes = "01", .dialect = ScriptDialect::Abcde},
        {.name = "#JMP's bound is inclusive", .script = main("#JMP($0, $2)\nAB<END>\n#JMP($4, $6)\nACA"), .bytes = "80 FF 00 00 41 43 41"},
        {.name = "text past #JMP's bound is refused", .script = main("#JMP($0, $2)\nA\nACA<END>\nB"),
         .problem = "Line 6: the text is 2 bytes too long: it runs past the last byte of its #JMP, $2."},
        {.name = "raw bytes, either case, and Atlas's ($XX)", .script = main("#JMP(0)\n<$1a>($7F)<$C0>"), .bytes = "1A 7F C0"},
        {.name = "commands in any case, blanks before them", .script = main("  #jmp($2)\n\t#w16($0)\nA"), .bytes = "02 00 41"},
        {.name = "blank lines: Atlas passes over them", .script = main("#JMP(0)\nA\n  \nB"), .bytes = "41 42"},
        {.name = "blank lines: abcde spells them", .script = main("#JMP(0)\nA\n  \nB"), .bytes = "41 20 20 42", .dialect = ScriptDialect::Abcde},
        {.name = "// in a text line is text", .script = "#VAR(K, TABLE)\n#ADDTBL(\"kana.tbl\", K)\n#ACTIVETBL(K)\n#JMP(0)\n  // a\na//", .problem = "Line 6: \"/\" (U+002F) begins no entry of the table."},
        {.name = "a table text's line break left out", .script = "#VAR(N, TABLE)\n#ADDTBL(\"nl.tbl\", N)\n#ACTIVETBL(N)\n#JMP(0)\nA[L]A", .bytes = "41 FE 41"},
        {.name = "Atlas: a table text's line break written \\n", .script = "#VAR(N, TABLE)\n#ADDTBL(\"nl.tbl\", N)\n#ACTIVETBL(N)\n#JMP(0)\nA[L]\\nA", .bytes = "41 FE 41"},
        {.name = "a table switch mid-string", .script = main("#VAR(K, TABLE)\n#ADDTBL(\"kana.tbl\", K)\n#JMP(0)\nA\n#ACTIVETBL(K)\na[e]"), .bytes = "41 31 00"},
        {.name = "#STRINGALIGN pads before each string", .script = main("#STRINGALIGN(4)\n#JMP($1)\nA<END>B<END>"), .bytes = "00 00 00 00 41 FF 00 00 42 FF"},
        {.name = "#FIXEDLENGTH pads", .script = main("#FIXEDLENGTH(4, $20)\n#JMP(0)\nA<END>B<END>"), .bytes = "41 FF 20 20 42 FF 20 20"},
        {.name = "#FIXEDLENGTH cuts", .script = main("#FIXEDLENGTH(2, 0)\n#JMP(0)\nACAC<END>B<END>"), .bytes = "41 43 42 FF"},
        {.name = "Pascal strings count the end token's bytes", .script = main("#STRTYPE(\"PASCAL\")\n#JMP(0)\nAB<E>C<END>"), .bytes = "01 80 02 43 FF"},
        {.name = "Pascal length of 2, big-endian", .script = main("#STRTYPE(\"PASCAL\")\n#PASCALLEN(2)\n#ENDIANSWAP(\"TRUE\")\n#JMP(0)\nA<E>"), .bytes = "00 01 41"},
        {.name = "abcde's Pascal length in tokens", .script = main("#STRTYPE(\"PASCAL\")\n#PASCALTYPE(\"TOKENS\")\n#JMP(0)\nQ<END>"), .bytes = "02 90 91 FF"},
        {.name = "Pascal within a fixed length", .script = main("#STRTYPE(\"PASCAL\")\n#FIXEDLENGTH(3, 0)\n#JMP(0)\nACA<END>B<E>"), .bytes = "02 41 43 01 42 00"},
        {.name = "#BREAK stops the script", .script = main("#JMP(0)\nA\n#BREAK()\nB"), .bytes = "41"},
        {.name = "#SKIP and #ALIGN", .script = main("#JMP(0)\nA\n#SKIP(2)\nB\n#ALIGN(8)\nC"), .bytes = "41 00 00 42 00 00 00 00 43"},
    };
    for (const Row& r : rows) check(r);
}

TEST(Atlas, Pointers) {
    const std::string custom = "#VAR(P, CUSTOMPOINTER)\n";
    const std::string table8 = "#VAR(PT, POINTERTABLE)\n" + custom + "#CREATEPTR(P, \"LINEAR\", 0, 8)\n#PTRTBL(PT, $0, 1, P)\n";
    const Row rows[] = {
        {.name = "#HDR with a negative number", .script = main("#HDR($-10)\n#JMP($4)\n#W16($0)\nA"), .bytes = "14 00 00 00 41"},
        {.name = "each byte and word of the default pointer",
         .script = main("#HDR($-1234566C)\n#JMP($C)\n#WLB($0)\n#WHB($1)\n#WBB($2)\n#WUB($3)\n#WHW($4)\n#W32($6)"),
         .bytes = "78 56 34 12 34 12 78 56 34 12"},
        {.name = "LOROM00 at $8000", .script = main("#HDR($-7FFC)\n#SMA(\"LOROM00\")\n#JMP($4)\n#W24($0)"), .bytes = "00 80 01"},
        {.name = "LOROM00 at $7FFF", .script = main("#HDR($-7FFB)\n#SMA(\"LOROM00\")\n#JMP($4)\n#W24($0)"), .bytes = "FF FF 00"},
        {.name = "LOROM80", .script = main("#HDR($-7FFC)\n#SMA(\"LOROM80\")\n#JMP($4)\n#W24($0)"), .bytes = "00 80 81"},
        {.name = "HIROM", .script = main("#HDR($-3FFFC)\n#SMA(\"HIROM\")\n#JMP($4)\n#W24($0)"), .bytes = "00 00 C4"},
        {.name = "GB bank 0", .script = main("#HDR($-11F)\n#SMA(\"GB\")\n#JMP($4)\n#W24($0)"), .bytes = "23 01 00"},
        {.name = "GB bank 1", .script = main("#HDR($-411F)\n#SMA(\"GB\")\n#JMP($4)\n#W24($0)"), .bytes = "23 41 01"},
        {.name = "GB past bank 1, corrected", .script = main("#HDR($-811F)\n#SMA(\"GB\")\n#JMP($4)\n#W24($0)"), .bytes = "23 41 02"},
        {.name = "GB4XXX", .script = main("#HDR($-11F)\n#SMA(\"GB4XXX\")\n#JMP($4)\n#W24($0)"), .bytes = "23 41 00"},
        {.name = "MSB16 reverses the address", .script = main("#HDR($-1230)\n#SMA(\"MSB16\")\n#JMP($4)\n#W16($0)"), .bytes = "12 34"},
        {.name = "abcde's POINTER_RELATIVE", .script = main("#SMA(\"POINTER_RELATIVE\")\n#JMP($6)\n#W16($2)"), .bytes = "00 00 04 00"},
        {.name = "a custom pointer with offsetting", .script = main(custom + "#CREATEPTR(P, \"LINEAR\", $-8000, 16)\n#JMP($4)\n#WRITE(P, $0)\nA"),
         .bytes = "04 80 00 00 41"},
        {.name = "Atlas: the header of #CREATEPTR's time", .script = main(custom + "#HDR(2)\n#CREATEPTR(P, \"LINEAR\", 0, 16)\n#HDR(0)\n#JMP($4)\n#WRITE(P, $0)"),
         .bytes = "02 00",
         .warning = "Line 9: this pointer is written with the #HDR of its making ($2), as Atlas does; abcde would use the #HDR now in force ($0): --dialect abcde for that."},
        {.name = "abcde: the header of the write's time", .script = main(custom + "#HDR(2)\n#CREATEPTR(P, \"LINEAR\", 0, 16)\n#HDR(0)\n#JMP($4)\n#WRITE(P, $0)"),
         .bytes = "04 00", .dialect = ScriptDialect::Abcde},
        {.name = "#W16 and #WHB with a custom pointer", .script = main(custom + "#CREATEPTR(P, \"HIROM\", 0, 24)\n#JMP($4)\n#W16(P, $0)\n#WBB(P, $2)"),
         .bytes = "04 00 C0"},
        {.name = "a pointer table: next slot, then slot i", .script = main(table8 + "#JMP($8)\n#WRITE(PT)\nA\n#WRITE(PT)\n#WRITE(PT, 5)\n#WRITE(PT)"),
         .bytes = "08 09 00 00 00 09 09 00 41"},
        {.name = "a pointer list from its file", .script = main("#VAR(L, POINTERLIST)\n" + custom + "#CREATEPTR(P, \"LINEAR\", 0, 16)\n#PTRLIST(L, \"list.txt\", P)\n#JMP($2)\n#WRITE(L)\nA\n#WRITE(L)"),
         .bytes = "00 00 41 00 00 00 00 00 02 00 03 00"},
        {.name = "a pointer list runs out", .script = main("#VAR(L, POINTERLIST)\n" + custom + "#CREATEPTR(P, \"LINEAR\", 0, 16)\n#PTRLIST(L, \"list.txt\", P)\n#JMP($2)\n#WRITE(L)\n#WRITE(L)\n#WRITE(L)"),
         .problem = "Line 11: #WRITE: pointer list L has no place left."},
        {.name = "#AUTOWRITE at each end token, none after the last", .script = main(table8 + "#JMP($4)\n#AUTOWRITE(PT, \"<END>\")\nA<END>B<END>C"),
         .bytes = "04 06 00 00 41 FF 42 FF 43"},
        {.name = "#AUTOWRITE with an end token of no bytes", .script = main(table8 + "#JMP($4)\n#AUTOWRITE(PT, \"<E>\")\nA<E>B<E>"), .bytes = "04 05 00 00 41 42"},
        {.name = "#DISABLE ends it", .script = main(table8 + "#JMP($4)\n#AUTOWRITE(PT, \"<END>\")\nA<END>\n#DISABLE(PT, \"<END>\")\nB<END>"),
         .bytes = "04 00 00 00 41 FF 42 FF"},
        {.name = "#AUTOWRITE needs an end token", .script = main(table8 + "#AUTOWRITE(PT, \"A\")"),
         .problem = "Line 8: #AUTOWRITE: \"A\" is no end token of the active table."},
        {.name = "#EMBSET, then #EMBWRITE", .script = main("#EMBTYPE(\"LINEAR\", 16, 0)\n#JMP(0)\n#EMBSET(1)\nA\n#EMBWRITE(1)\nB"), .bytes = "03 00 41 42"},
        {.name = "#EMBWRITE, then #EMBSET, with the settings of the first", .script = main("#EMBTYPE(\"LINEAR\", 16, 0)\n#JMP($4)\n#EMBWRITE(1)\nA\n#EMBTYPE(\"LINEAR\", 16, $-100)\n#JMP(0)\n#EMBSET(1)"), .bytes = "04 00 00 00 41"},
        {.name = "ENDIANSWAP on pointers", .script = main("#ENDIANSWAP(\"TRUE\")\n#JMP($4)\n#W16($0)"), .bytes = "00 04"},
        {.name = "#WRITEOFS and #WRITEINDEX", .script = main(table8 + "#SETINDEX(7, 2)\n#JMP($4)\n#WRITEOFS(PT, 2)\n#WRITEINDEX($6, 1)\n#WRITEINDEX($8, 1)"),
         .bytes = "00 00 04 00 00 00 07 00 08 00"},
        {.name = "an embedded pointer table: slots reserved, written by index",
         .script = main("#VAR(E, EMBPOINTERTABLE)\n" + custom + "#CREATEPTR(P, \"LINEAR\", 0, 16)\n#JMP(0)\n#EMBPTRTBL(E, 2, P)\n#WRITE(E, 1)\nA\n#WRITE(E)"),
         .problem = "Line 11: #WRITE: that slot is outside the embedded pointer table E."},
        {.name = "an embedded pointer table's slots", .script = main("#VAR(E, EMBPOINTERTABLE)\n" + custom + "#CREATEPTR(P, \"LINEAR\", 0, 16)\n#JMP(0)\n#EMBPTRTBL(E, 2, P)\n#WRITE(E, 1)\nA\n#WRITE(E, 0)"),
         .bytes = "05 00 04 00 41"},
        {.name = "a pointer outside the file", .script = main("#JMP(0)\n#W32($E)"), .problem = "Line 5: the write at $E lies outside the file."},
    };
    for (const Row& r : rows) check(r);
}

TEST(Atlas, AbcdeAndRefusals) {
    const Row rows[] = {
        {.name = "#AUTOCMD runs when the text reaches its place", .script = main("#AUTOCMD($2, #JMP($8))\n#JMP(0)\nACAC"), .bytes = "41 43 00 00 00 00 00 00 41 43"},
        {.name = "#CALC and a CALCVAR write", .script = "#VAR(V, CALCVAR)\n#CALC(V, \"($10 + 2) * 3 - (1 < 2 ? 1 : 9)\")\n#W16(V, $0)", .bytes = "35 00"},
        {.name = "#READ and #PRINT", .script = main("#VAR(V, CALCVAR)\n#JMP(0)\nB\n#READ(V, $0)\n#PRINT(V, 8)"), .bytes = "42 42"},
        {.name = "abcde's tables by id, several in one file", .script = "#VAR(M, TABLE)\n#ADDTBL(\"multi.tbl\", M)\n#ACTIVETBL(M)\n#JMP(0)\na[e]\n#ACTIVETBL(@Items)\n[Potion]\n#ACTIVETBL(@main)\na",
         .bytes = "01 00 01 01"},
        {.name = "abcde: a switch written where the text needs the other table",
         .script = "#VAR(M, TABLE)\n#ADDTBL(\"switch.tbl\", M)\n#ACTIVETBL(M)\n#JMP(0)\n[Potion]bar[Sword]\n[Holy][Sword]", .bytes = "AB 01 02 AB 03 AB 02 AB 03",
         .dialect = ScriptDialect::Abcde},
        {.name = "abcde: a labelled switch and its closing key",
         .script = "#VAR(M, TABLE)\n#ADDTBL(\"closing.tbl\", M)\n#ACTIVETBL(M)\n#JMP(0)\n[Item:][Potion][Holy]cat[Item:][Holy]", .bytes = "AB 01 02 AB 03 AB 02",
         .dialect = ScriptDialect::Abcde},
        {.name = "abcde: a switch's count must be met", .script = "#VAR(M, TABLE)\n#ADDTBL(\"pair.tbl\", M)\n#ACTIVETBL(M)\n#JMP(0)\nx[A][B]x\n#JMP(8)\nx[A]",
         .problem = "Line 7: \"]\" (U+005D) begins no entry of the table.", .dialect = ScriptDialect::Abcde},
        {.name = "a table id no table has", .script = "#VAR(M, TABLE)\n#ADDTBL(\"multi.tbl\", M)\n#ACTIVETBL(@Weapons)",
         .problem = "Line 3: #ACTIVETBL: no table loaded has the id @Weapons."},
        {.name = "a table id given twice", .script = "#VAR(M, TABLE)\n#VAR(N, TABLE)\n#ADDTBL(\"multi.tbl\", M)\n#ADDTBL(\"multi.tbl\", N)",
         .problem = "Line 4: the table id @main is given twice."},
        {.name = "a plug-in command", .script = "#VAR(E, EXTENSION)\n#EXTLOAD(E, \"x.dll\")",
         .problem = "Line 2: #EXTLOAD runs a Windows plug-in of Atlas's; this editor does not run plug-ins."},
        {.name = "an unknown command", .script = "#FROB(1)", .problem = "Line 1: #FROB is not a command this editor reads."},
        {.name = "wrong arguments", .script = "#JMP(\"x\")", .problem = "Line 1: #JMP with these arguments: it is written #JMP(start) or #JMP(start, last byte)."},
        {.name = "a variable not declared", .script = "#ACTIVETBL(T)", .problem = "Line 1: #ACTIVETBL: T is not declared (#VAR) on an earlier line."},
        {.name = "text before #JMP", .script = main("A"), .problem = "Line 4: text before the first #JMP: where should it go?"},
        {.name = "text before any table", .script = "#VAR(T, TABLE)\n#ADDTBL(\"main.tbl\", T)\n#JMP(0)\nA", .problem = "Line 4: text before the first #ACTIVETBL: which table spells it?"},
        {.name = "a table by another machine's path, any case", .script = "#VAR(T, TABLE)\n#ADDTBL(\"C:\\Users\\me\\Game\\MAIN.TBL\", T)\n#ACTIVETBL(T)\n#JMP(0)\nA", .bytes = "41"},
        {.name = "a table nowhere", .script = "#VAR(T, TABLE)\n#ADDTBL(\"tables/none.tbl\", T)",
         .problem = "Line 2: the table \"tables/none.tbl\" was not found (looked for game/tables/none.tbl, game/none.tbl, and for any case of none.tbl in the script's folder)."},
        {.name = "#WARN past its place", .script = main("#JMP(0)\nACA\n#WARN($1, \"name\")"), .bytes = "41 43 41",
         .warning = "Line 6: name: the text ends at $2, 1 bytes past $1."},
        {.name = "a fixed length longer than the file", .script = "#FIXEDLENGTH($FFFFFFFF, 0)",
         .problem = "Line 1: #FIXEDLENGTH(4294967295): longer than the file."},
        {.name = "alignment past the file", .script = main("#JMP(1)\n#ALIGN($100000)"), .problem = "Line 5: #ALIGN's padding runs past the end of the file."},
        {.name = "the text runs past the file", .script = main("#JMP($E)\nACA"), .problem = "Line 5: the text runs 1 bytes past the end of the file."},
    };
    for (const Row& r : rows) check(r);
}

// Script files as translators keep them: byte-order marks, line ends, other encodings.
TEST(Atlas, ScriptFiles) {
    const std::string sjisTable = "#VAR(S, TABLE)\r\n#ADDTBL(\"sjis.tbl\", S)\r\n#ACTIVETBL(S)\r\n#JMP(0)\r\n";
    const std::string utf16 = *encodeText(main("#JMP(0)\nAB"), TextEncoding::Utf16Le);
    const Row rows[] = {
        {.name = "UTF-8 with a mark, CR LF and CR line ends", .script = "\xEF\xBB\xBF" + main("#JMP(0)\r\nA\rB<END>\r\n"), .bytes = "41 42 FF"},
        {.name = "Shift-JIS", .script = sjisTable + "\x82\xA0", .bytes = "01"},
        {.name = "UTF-16 with a mark", .script = std::string(byteOrderMark(TextEncoding::Utf16Le)) + utf16, .bytes = "80"},
    };
    for (const Row& r : rows) check(r);
}

// Numbers as both tools write them.
TEST(Atlas, Numbers) {
    const std::pair<const char*, std::optional<int64_t>> rows[] = {
        {"$1A", 26}, {"$1a", 26}, {"$-1A", -26}, {"-$1A", -26}, {"26", 26}, {"-26", -26},
        {"$", std::nullopt}, {"1A", std::nullopt}, {"$-", std::nullopt}, {"--1", std::nullopt}, {"$FFFFFFFFFFFFFF", std::nullopt},
    };
    for (const auto& [text, value] : rows) EXPECT_EQ(readScriptNumber(text), value) << text;
}

}  // namespace
}  // namespace tarpon
