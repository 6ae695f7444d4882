#include "table/table_editor.h"

#include <gtest/gtest.h>

#include "app/menu_commands.h"
#include "screen/keys.h"
#include "table/table_commands.h"
#include "table/tbl_file.h"
#include "test_editor.h"

namespace tarpon {
namespace {

std::vector<uint8_t> bytesOf(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

TEST(TblFile, WritesEveryByteValueAndReadsItBack) {
    CharTable table;  // every byte value as a letter, and awkward entries
    for (int b = 0; b < 256; ++b) table[static_cast<size_t>(b)] = std::string(1, static_cast<char>(b));
    table[0x20] = "a=b", table[0x22] = "\n\n", table[0x23] = "x\r", table[0x24] = "\xE9\xFF", table[0x25] = "";
    table[0x26] = "# not a comment", table[0x27] = " ", table[0xFF] = "th";
    const std::string text = writeTbl(table);
    EXPECT_TRUE(text.ends_with("\r\nFD=\xFD\r\nFE=\xFE\r\nFF=th\r\n"));  // ascending, upper-case, CR LF
    CharTable back;
    const TblReadResult read = readTbl(text, back);
    EXPECT_EQ(std::pair(read.entries, read.skipped), std::pair(255, 0));
    EXPECT_EQ(back, table);
}

// File text -> the entries it sets (every other keeps "old"), the lines it skips and its coding;
// then how a load with many skipped lines is described.
TEST(TblFile, ReaderEdgeCases) {
    using S = TblSkip;
    struct Row {
        const char* name;
        std::string text;
        std::vector<std::pair<int, std::string>> entries;
        std::vector<std::pair<int, S>> skips = {};
        TblCoding coding = TblCoding::Ascii;
    };
    const Row rows[] = {
        {"CR LF lines, the last for a byte wins", "41=A\r\n42=B\r\n41=C\r\n", {{0x41, "C"}, {0x42, "B"}}},
        {"equals sign as letter, lower-case key", "3D==\r\n9f=z\r\n", {{0x3D, "="}, {0x9F, "z"}}},
        {"no letters: emptied, passed over on the last line", "41=\r\n42=B\r\n43=\r\n", {{0x41, ""}, {0x42, "B"}}},
        {"lone LF and CR are letters in a CR LF file", "41=a\nb\rc\r\n42=x\r", {{0x41, "a\nb\rc"}, {0x42, "x\r"}}},
        {"LF and CR lines", "A\n42=B\r43=C\n", {{0x42, "B"}, {0x43, "C"}}, {{1, S::NoEquals}}},
        {"blank lines of white space", "  \n\t\n\r\n41=A", {{0x41, "A"}}},
        {"comments and blank lines count as lines", "# 41=x\n; 42=y\n  #c\n\n41=A\n8140=x", {{0x41, "A"}},
         {{6, S::WideKey}}},
        {"blanks around the key dropped, after = kept", "41 = A\n\t42\t=B\n", {{0x41, " A"}, {0x42, "B"}}},
        {"keys that are not two hex digits", "4G=q\n4g=r\n123=y\n4 1=t\n=w\n", {},
         {{1, S::BadKey}, {2, S::BadKey}, {3, S::BadKey}, {4, S::BadKey}, {5, S::BadKey}}},
        {"end tokens", "/00=<end>\r\n/FF=\r\n/FFFF=x\r\n41=A", {{0x00, "<end>"}, {0xFF, ""}, {0x41, "A"}},
         {{3, S::WideKey}}},
        {"newline markers", "*0A\n* FE \n*fd=\n*0B=x\n/00\n", {{0x0A, "\n"}, {0xFE, "\n"}, {0xFD, "\n"}},
         {{4, S::MarkerText}, {5, S::NoEquals}}},
        {"UTF-8 letters", "41=\xE3\x81\x82\r\n", {{0x41, "\xE3\x81\x82"}}, {}, TblCoding::Utf8},
        {"Latin-1 letters", "41=\xE9\r\n42=\xC3\r\n", {{0x41, "\xE9"}, {0x42, "\xC3"}}, {}, TblCoding::Latin1},
        {"byte-order mark, then a comment", "\xEF\xBB\xBF# c\n41=A", {{0x41, "A"}}, {}, TblCoding::Utf8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CharTable table, expected;
        table.fill("old"), expected.fill("old");
        for (const auto& [b, letters] : row.entries) expected[static_cast<size_t>(b)] = letters;
        const TblReadResult read = readTbl(row.text, table);
        EXPECT_EQ(table, expected);
        std::vector<std::pair<int, S>> skips;
        for (const TblSkippedLine& skip : read.firstSkips) skips.emplace_back(skip.line, skip.reason);
        EXPECT_EQ(std::tuple(read.entries, read.skipped, skips, read.coding),
                  std::tuple(std::ssize(row.entries), std::ssize(row.skips), row.skips, row.coding));
    }
    CharTable table;  // seven skipped lines: the first five listed
    const std::string message = describeTblLoad("g.tbl", readTbl("41=A\n=\n=\n=\n=\n=\n=\n=\n", table));
    EXPECT_TRUE(message.starts_with("Read 1 entry from \"g.tbl\".\n7 lines were skipped:\nline 2: ")) << message;
    EXPECT_TRUE(message.ends_with("\nline 6: the key is not two hexadecimal digits\nand 2 more.")) << message;
}

// A load reports its skipped lines; saving over that file asks first (Cancel is the default);
// failed saves say why and leave the file.
TEST(TableMenu, LoadAndSaveThroughTheMenu) {
    test::TempDir dir;
    test::TestEditor t;
    const std::string path = dir.file("names.tbl"), text = "41=\xC3\xA9\r\nnot a table\r\n";
    test::writeBytes(path, bytesOf(text));
    t.setDocument({0x41});
    t.ed.s.viewMode = true;
    t.services.fileDialogAnswers = {path, path, path, path, path};
    t.services.answers = {1, 0, 0};
    mnuTable_Click(t.ed, kTableLoad);
    EXPECT_TRUE(t.ed.s.tableUtf8);
    EXPECT_EQ(t.ed.v.PicText.runs()[0].text, "\xC3\xA9");  // shown at once
    t.ed.s.charTable[0x30] = "a\r\nb";                     // would split into two lines
    for (int i = 0; i < 2; ++i) mnuTable_Click(t.ed, kTableSave);  // cancelled, refused
    struct FailingIo : FileIo {
        ssize_t write(int, const void*, size_t) override { return -1; }
    } failing;
    t.ed.s.charTable[0x30] = "b";
    EXPECT_FALSE(saveTblFile(path, t.ed.s.charTable, failing, nullptr));
    EXPECT_EQ(test::readBytes(path), bytesOf(text));
    for (int i = 0; i < 2; ++i) mnuTable_Click(t.ed, kTableSave);  // saved, then nothing more to lose
    EXPECT_EQ(test::readBytes(path), bytesOf(writeTbl(t.ed.s.charTable)));
    EXPECT_EQ(t.services.questions.size(), 3u);
    EXPECT_EQ(t.services.messages, (std::vector<std::string>{
        "Read 1 entry from \"" + path + "\".\n1 line was skipped:\nline 2: no \"=\" after the key",
        "Problems Saving Table\nEntry 30 holds CR LF, which would end its line early in a table file."}));
}

using namespace frmTable;
using Entries = std::vector<std::pair<int, std::string>>;
constexpr int kFillAZ = -1000, kFill09 = -1002;  // the fill buttons
// A letter key with Ctrl or Alt held: pressed down, then typed (as its control code with Ctrl) unless taken.
constexpr int held(int shift, char key) { return -(key | shift << 16); }

// Name, cell, entries before, dual letters, UTF-8 table, input -> the entries afterwards; no two entries keep
// the same letters. Input: a fill button, a key pressed down (negative) or a character typed.
TEST(TableEditor, InputKeepsEveryEntryUnique) {
    const std::tuple<const char*, int, Entries, bool, bool, std::vector<int>, Entries> rows[] = {
        {"a letter replaces; an entry of the same letters is emptied", 0x41, {{0x41, "xy"}, {0x10, "A"}, {0x11, "AB"}},
         false, false, {'A'}, {{0x41, "A"}, {0x10, ""}, {0x11, "AB"}}},
        {"dual letters append; each step stays unique", 0x41, {{0x41, "t"}, {0x20, "th"}, {0x21, "thh"}}, true, false,
         {'h', 'h', 13}, {{0x41, "thh\r"}, {0x20, ""}, {0x21, ""}}},
        {"Esc and Delete empty the entry", 0x41, {{0x41, "A"}, {0x42, "B"}}, false, false,
         {27, -kKeyRight, -kKeyDelete}, {{0x41, ""}, {0x42, ""}}},
        {"key 255 is a letter, 256 is none", 0x41, {}, true, false, {255, 256}, {{0x41, "\xFF"}}},
        {"a UTF-8 table gets UTF-8", 0x41, {}, true, true, {'a', 0xE9}, {{0x41, "a\xC3\xA9"}}},
        {"Ctrl switches dual letters on", 0x41, {}, false, false, {-kKeyCtrl, 'a', 'b'}, {{0x41, "ab"}}},
        {"an arrow alone leaves dual letters off", 0x41, {}, false, false, {-kKeyRight, 'a', 'b'}, {{0x42, "b"}}},
        {"down and right stop at 255", 0xF5, {}, false, false, {-kKeyDown, -kKeyRight, 'x'}, {{0xFF, "x"}}},
        {"up and left stop at 0", 0x05, {}, false, false, {-kKeyUp, -kKeyLeft, 'y'}, {{0x00, "y"}, {0x04, ""}}},
        {"A-Z stops at 255 and empties its repeats", 0xF0, {{0x05, "Q"}, {0x06, "A"}}, false, false, {kFillAZ},
         {{0xF0, "A"}, {0xFF, "P"}, {0x05, "Q"}, {0x06, ""}}},
        {"0-9: ten letters, repeats emptied", 0x30, {{0x00, "3"}, {0x01, "34"}}, false, false, {kFill09},
         {{0x30, "0"}, {0x39, "9"}, {0x3A, ""}, {0x00, ""}, {0x01, "34"}}},
        {"Ctrl+C and Alt+A are no letters; Ctrl+Z takes back a whole fill and its emptied repeats", 0x41,
         {{0x41, "x"}, {0x10, "A"}}, false, false, {kFillAZ, held(kCtrl, 'C'), held(kAlt, 'A'), held(kCtrl, 'Z')},
         {{0x41, "x"}, {0x10, "A"}, {0x42, ""}}},
        {"Ctrl+Y and Ctrl+Shift+Z do undone steps again", 0x41, {{0x10, "A"}}, false, false,
         {kFillAZ, 27, held(kCtrl, 'Z'), held(kCtrl, 'Z'), held(kCtrl, 'Y'), held(kCtrl | kShift, 'Z')},
         {{0x41, ""}, {0x10, ""}, {0x42, "B"}}},
    };
    for (const auto& [name, cell, before, dual, utf8, input, after] : rows) {
        SCOPED_TRACE(name);
        test::TestEditor t;
        TableEditor editor;
        for (const auto& [b, letters] : before) t.ed.s.charTable[static_cast<size_t>(b)] = letters;
        t.ed.s.tableUtf8 = utf8;
        editor.tblCursor = cell;
        editor.dualLetters = dual;
        for (const int k : input) {
            if (-k > 0xFFFF) {
                const int key = -k & 0xFFFF, shift = -k >> 16;
                if (!PicHex_KeyDown(t.ed, editor, key, shift)) PicHex_KeyPress(t.ed, editor, shift & kCtrl ? key & 31 : key);
            } else if (k <= kFillAZ) cmd_Click(t.ed, editor, kFillAZ - k);
            else if (k < 0) PicHex_KeyDown(t.ed, editor, -k, 0);
            else PicHex_KeyPress(t.ed, editor, k);
        }
        for (const auto& [b, letters] : after) EXPECT_EQ(t.ed.s.charTable[static_cast<size_t>(b)], letters) << b;
    }
}

// A cell shows its entry, or a dot for none or for what it cannot draw: in a Latin-1 table every byte above
// 0x7E, in a UTF-8 table nothing that is a whole character.
TEST(TableEditor, GridShowsEachEntryOrADot) {
    TableEditor editor;
    CharTable table;
    table[1] = " ", table[2] = "\xC3\xA9";
    for (const bool utf8 : {false, true}) {
        paintTableHex(editor, table, utf8);
        const auto& cells = editor.PicHex.runs();
        EXPECT_EQ(cells[0].text + "|" + cells[1].text + "|" + cells[2].text, utf8 ? ".| |\xC3\xA9" : ".| |..");
    }
}

}  // namespace
}  // namespace tarpon
