// Cartographer command files read into blocks, or refused with the line at fault.
#include <gtest/gtest.h>

#include "script/command_file.h"

namespace tarpon {
namespace {

// The block's settings that differ from a plain block's, in a fixed order.
std::string describe(const CartoBlock& b) {
    const CartoBlock plain;
    std::string out = "'" + b.game + "' '" + b.name + "' table " + std::to_string(b.table);
    const char* methods[] = {" POINTER", " POINTER_RELATIVE", " POINTER_RELATIVE_PC", " RAW"};
    out += methods[static_cast<int>(b.method)];
    const auto num = [&](const char* name, int64_t v, int64_t base) {
        if (v != base) out += std::string(" ") + name + "=" + std::to_string(v);
    };
    num("start", b.tableStart, 0), num("stop", b.tableStop, 0), num("size", b.pointerSize, 2);
    num("space", b.pointerSpace, 0), num("base", b.base, 0), num("length", b.stringLength, 0);
    num("line", b.lineLength, 0), num("per", b.stringsPerPointer, 1), num("align", b.realignMultiple, 0);
    num("alignAt", b.realignOffset, 0);
    if (b.scriptStart) num("from", *b.scriptStart, -1);
    if (b.scriptStop) num("to", *b.scriptStop, -1);
    if (b.jumpFrom) num("jump", *b.jumpFrom, -1), num("to", *b.jumpTo, -1);
    if (b.endLabel) out += " end=" + *b.endLabel;
    if (b.lineLabel) out += " lineEnd=" + *b.lineLabel;
    if (!b.tableId.empty()) out += " @" + b.tableId;
    if (b.bigEndian) out += " big";
    if (b.atlasPtrs) out += " atlas";
    if (b.comments != plain.comments) out += b.comments == CartoComments::Yes ? " comments" : " both";
    if (b.endAtNextPointer) out += " next";
    if (b.sortByAddress) out += " sorted";
    if (!b.showEndAddress) out += " noEnd";
    return out;
}

// ASCII text as UTF-16LE with its byte-order mark.
std::string utf16le(std::string_view ascii) {
    std::string out = "\xFF\xFE";
    for (const char c : ascii) out += std::string{c, '\0'};
    return out;
}

// Command file text -> each block described, tables (name@line), or the problem.
TEST(CommandFile, Reads) {
    const std::string ptr = "#METHOD: POINTER\n#POINTER TABLE START: $10\n#POINTER TABLE STOP: $20\n#POINTER SIZE: 2\n";
    const std::string raw = "#METHOD: RAW\n#SCRIPT START: $10\n#SCRIPT STOP: $20\n";
    const struct {
        const char* name = "";
        std::string text = {};
        std::vector<std::string> blocks = {};
        std::string tables = {}, problem = {};
    } rows[] = {
        {.name = "the notes' example: tabs, CR LF, a byte-order mark, a comment after a value",
         .text = "\xEF\xBB\xBF#GAME NAME:\t\tSome Game (NES)\r\n#BLOCK NAME:\t\tDialogue\r\n#TYPE:\t\t\tNORMAL\r\n"
                 "#METHOD:\t\tPOINTER_RELATIVE\r\n#POINTER ENDIAN:\tLITTLE\r\n#POINTER TABLE START:\t$28010\r\n"
                 "#POINTER TABLE STOP:\t$28210\r\n#POINTER SIZE:\t\t$02\r\n#POINTER SPACE:\t\t$00\r\n"
                 "#ATLAS PTRS:\t\tYes\r\n#BASE POINTER:\t\t$20010\t\t// added to every pointer\r\n"
                 "#TABLE:\t\t\tgame.tbl\r\n#COMMENTS:\t\tNo\r\n#END BLOCK\r\n",
         .blocks = {"'Some Game (NES)' 'Dialogue' table 0 POINTER_RELATIVE start=163856 stop=164368 base=131088 atlas"},
         .tables = "game.tbl@12 "},
        {.name = "every number form; big-endian; values trimmed",
         .text = "#BLOCK NAME: a\n#METHOD: POINTER_RELATIVE_PC\n#POINTER TABLE START: 16\n#POINTER TABLE STOP: $20  \n"
                 "#POINTER SIZE: 3\n#POINTER SPACE: 1\n#POINTER ENDIAN: BIG\n#BASE POINTER: $-1A\n#TABLE: t.tbl\n#END BLOCK\n"
                 "#BLOCK NAME: b\n#METHOD: POINTER_RELATIVE\n#POINTER TABLE START: 16\n#POINTER TABLE STOP: 17\n"
                 "#POINTER SIZE: 1\n#BASE POINTER: -$1A\n#TABLE: t.tbl\n#END BLOCK\n",
         .blocks = {"'' 'a' table 0 POINTER_RELATIVE_PC start=16 stop=32 size=3 space=1 base=-26 big",
                    "'' 'b' table 0 POINTER_RELATIVE start=16 stop=17 size=1 base=-26"},
         .tables = "t.tbl@9 "},
        {.name = "fixed strings and lines with their labels; the game name carried to the next block; a sub table",
         .text = "#GAME NAME: G\n#BLOCK NAME: a\n#TYPE: FIXED_STRING && FIXED_LINE\n#STRING LENGTH: 8\n#STRING END: Yes\n"
                 "#LINE LENGTH: 4\n#LINE END: Yes\n#LINE CTRL: [L]\n" + raw + "#TABLE: t.tbl\n#COMMENTS: Both\n#END BLOCK\n"
                 "#SUB TABLE: kana.tbl\n#BLOCK NAME: b\n#TYPE: FIXED_STRING\n#STRING LENGTH: 2\n#STRING END: No\n" + raw +
                 "#TABLE: u.tbl\n#COMMENTS: yes\n#END BLOCK\n",
         .blocks = {"'G' 'a' table 0 RAW length=8 line=4 from=16 to=32 end=(END) lineEnd=[L] both",
                    "'G' 'b' table 2 RAW length=2 from=16 to=32 comments"},
         .tables = "t.tbl@12 kana.tbl@15 u.tbl@23 "},
        {.name = "abcde's keys",
         .text = "#BLOCK NAME: a\n" + ptr + "#STRINGS PER POINTER: 3\n#STRINGS END AT NEXT POINTER: Yes\n"
                 "#SORT OUTPUT BY STRING ADDRESS: Yes\n#AUTO JUMP START: $30\n#AUTO JUMP STOP: $40\n"
                 "#STRING END REALIGN MULTIPLE: 4\n#STRING END REALIGN OFFSET: 1\n#SHOW END ADDRESS: No\n"
                 "#RELATIVE PC: No\n#TABLE: t.tbl\n#END BLOCK\n",
         .blocks = {"'' 'a' table 0 POINTER start=16 stop=32 per=3 align=4 alignAt=1 jump=48 to=64 next sorted noEnd"},
         .tables = "t.tbl@15 "},
        {.name = "an unknown key", .text = "#BLOCK NAME: a\n#POINTER COUNT: 4\n",
         .problem = "Line 2: #POINTER COUNT is not a key this dump follows."},
        {.name = "#TABLE ID and a #SUB TABLE", .text = "#SUB TABLE: s.tbl\n#BLOCK NAME: a\n" + ptr + "#TABLE: t.tbl\n#TABLE ID: Items\n#END BLOCK\n",
         .blocks = {"'' 'a' table 1 POINTER start=16 stop=32 @Items"}, .tables = "s.tbl@1 t.tbl@7 "},
        {.name = "no #END BLOCK", .text = "\n#BLOCK NAME: a\n" + ptr + "#TABLE: t.tbl\n",
         .problem = "Line 2: the block that begins here has no #END BLOCK."},
        {.name = "a key twice: the #END BLOCK forgotten", .text = "#BLOCK NAME: a\n" + ptr + "#TABLE: t\n#BLOCK NAME: b\n",
         .problem = "Line 7: #BLOCK NAME is given twice in one block (first on line 1); is an #END BLOCK missing?"},
        {.name = "a number that is none", .text = "#BLOCK NAME: a\n" + ptr + "#POINTER SPACE: 1O\n#TABLE: t\n#END BLOCK\n",
         .problem = "Line 6: #POINTER SPACE: \"1O\" is not a number ($hex or decimal)."},
        {.name = "pointers of 5 bytes",
         .text = "#METHOD: POINTER\n#POINTER TABLE START: 0\n#POINTER TABLE STOP: 9\n#POINTER SIZE: 5\n#TABLE: t\n#END BLOCK\n",
         .problem = "Line 4: #POINTER SIZE: 5 is out of range (1 to 4)."},
        {.name = "a RAW range that stops where it starts",
         .text = "#METHOD: RAW\n#SCRIPT START: $10\n#SCRIPT STOP: 16\n#TABLE: t\n#END BLOCK\n",
         .problem = "Line 3: #SCRIPT STOP: the range ends (the stop byte excluded) before it begins."},
        {.name = "a RAW block without its stop", .text = "#METHOD: RAW\n#SCRIPT START: $10\n#TABLE: t\n#END BLOCK\n",
         .problem = "Line 1: a RAW block needs #SCRIPT START and #SCRIPT STOP."},
        {.name = "an auto jump backwards",
         .text = "#TABLE: t\n" + raw + "#AUTO JUMP START: $18\n#AUTO JUMP STOP: $14\n#END BLOCK\n",
         .problem = "Line 6: #AUTO JUMP STOP: the jump must go forward, past #AUTO JUMP START."},
        {.name = "a fixed string without its length", .text = "#TYPE: FIXED_STRING\n#TABLE: t\n" + raw + "#END BLOCK\n",
         .problem = "Line 1: #TYPE: FIXED_STRING needs #STRING LENGTH."},
        {.name = "an unknown method", .text = "#METHOD: POINTERS\n#TABLE: t\n#END BLOCK\n",
         .problem = "Line 1: #METHOD: \"POINTERS\" is not one of POINTER, POINTER_RELATIVE, POINTER_RELATIVE_PC, RAW."},
        {.name = "no #TABLE", .text = "\n\n" + raw + "#END BLOCK\n", .problem = "Line 3: the block has no #TABLE."},
        {.name = "Yes or No", .text = "#TABLE: t\n" + raw + "#ATLAS PTRS: Sure\n#END BLOCK\n",
         .problem = "Line 5: #ATLAS PTRS: the value is Yes or No."},
        {.name = "a line that is no key", .text = "// notes\nDialogue block\n", .problem = "Line 2: a command file's lines are written #KEY: value."},
        {.name = "only comments", .text = "// nothing here\r\n\r\n", .problem = "The command file holds no block (#BLOCK NAME: ... #END BLOCK)."},
        {.name = "a UTF-8 byte-order mark before bytes that are no UTF-8", .text = "\xEF\xBB\xBF#GAME NAME: \xFF\xFE\n",
         .problem = "The command file does not read as the encoding its byte-order mark names."},
        {.name = "UTF-16 with its byte-order mark",
         .text = utf16le("#TABLE: t\r\n#METHOD: RAW\r\n#SCRIPT START: 0\r\n#SCRIPT STOP: 1\r\n#END BLOCK"),
         .blocks = {"'' '' table 0 RAW from=0 to=1"}, .tables = "t@1 "},
        {.name = "a lone CR inside a value", .text = "#GAME NAME: a\rb\n", .problem = "Line 1: #GAME NAME: the value holds a control character."},
        {.name = "a quote in a table's path", .text = "#SUB TABLE: a\"b.tbl\n",
         .problem = "Line 1: #SUB TABLE: a table's path cannot hold a \" (it is written in quotes)."},
        {.name = "#END BLOCK alone", .text = "#END BLOCK\n", .problem = "Line 1: #END BLOCK without a block before it."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const CommandFile file = readCommandFile(row.text);
        EXPECT_EQ(file.problem, row.problem);
        std::vector<std::string> blocks;
        for (const CartoBlock& b : file.blocks) blocks.push_back(describe(b));
        EXPECT_EQ(blocks, row.blocks);
        std::string tables;
        for (const TableName& t : file.tables) tables += t.path + "@" + std::to_string(t.line) + " ";
        EXPECT_EQ(tables, row.tables);
    }
}

}  // namespace
}  // namespace tarpon
