#include "table/table_editor.h"

#include <gtest/gtest.h>

#include "screen/keys.h"
#include "test_editor.h"

namespace tarpon {
namespace {

using namespace frmTable;
using Entries = std::vector<std::pair<int, std::string>>;
constexpr int kFillAZ = -1000, kFill09 = -1002;  // the fill buttons

// Input from a cell -> the entries afterwards; no two entries keep the same letters. Input:
// a fill button, a key pressed down (negative) or a character typed.
TEST(TableEditor, InputKeepsEveryEntryUnique) {
    struct Row {
        const char* name;
        int cell;
        Entries before;
        bool dual, utf8;
        std::vector<int> input;
        Entries after;
    };
    const Row rows[] = {
        {"a letter replaces; an entry of the same letters is emptied", 0x41, {{0x41, "xy"}, {0x10, "A"}, {0x11, "AB"}},
         false, false, {'A'}, {{0x41, "A"}, {0x10, ""}, {0x11, "AB"}}},
        {"dual letters append; each step stays unique", 0x41, {{0x41, "t"}, {0x20, "th"}, {0x21, "thh"}}, true, false,
         {'h', 'h', 13}, {{0x41, "thh\r"}, {0x20, ""}, {0x21, ""}}},
        {"Esc and Delete empty the entry", 0x41, {{0x41, "A"}, {0x42, "B"}}, false, false,
         {27, -kKeyRight, -kKeyDelete}, {{0x41, ""}, {0x42, ""}}},
        {"key 255 is a letter, 256 is none", 0x41, {}, true, false, {255, 256}, {{0x41, "\xFF"}}},
        {"a Latin-1 table gets Latin-1", 0x41, {}, true, false, {'a', 0xE9}, {{0x41, "a\xE9"}}},
        {"a UTF-8 table gets UTF-8", 0x41, {}, true, true, {'a', 0xE9}, {{0x41, "a\xC3\xA9"}}},
        {"Ctrl switches dual letters on", 0x41, {}, false, false, {-kKeyCtrl, 'a', 'b'}, {{0x41, "ab"}}},
        {"an arrow alone leaves dual letters off", 0x41, {}, false, false, {-kKeyRight, 'a', 'b'}, {{0x42, "b"}}},
        {"down and right stop at 255", 0xF5, {}, false, false, {-kKeyDown, -kKeyRight, 'x'}, {{0xFF, "x"}}},
        {"up and left stop at 0", 0x05, {}, false, false, {-kKeyUp, -kKeyLeft, 'y'}, {{0x00, "y"}, {0x04, ""}}},
        {"A-Z stops at 255 and empties its repeats", 0xF0, {{0x05, "Q"}, {0x06, "A"}}, false, false, {kFillAZ},
         {{0xF0, "A"}, {0xFF, "P"}, {0x05, "Q"}, {0x06, ""}}},
        {"0-9: ten letters, repeats emptied", 0x30, {{0x00, "3"}, {0x01, "34"}}, false, false, {kFill09},
         {{0x30, "0"}, {0x39, "9"}, {0x3A, ""}, {0x00, ""}, {0x01, "34"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t;
        TableEditor editor;
        for (const auto& [b, letters] : row.before) t.ed.s.charTable[static_cast<size_t>(b)] = letters;
        t.ed.s.tableUtf8 = row.utf8;
        editor.tblCursor = row.cell;
        editor.dualLetters = row.dual;
        for (const int k : row.input) {
            if (k <= kFillAZ) cmd_Click(t.ed, editor, kFillAZ - k);
            else if (k < 0) PicHex_KeyDown(t.ed, editor, -k, 0);
            else PicHex_KeyPress(t.ed, editor, k);
        }
        for (const auto& [b, letters] : row.after) EXPECT_EQ(t.ed.s.charTable[static_cast<size_t>(b)], letters) << b;
    }
}

TEST(TableEditor, GridShowsEachEntryOrADot) {
    test::TestEditor t;
    TableEditor editor;
    t.ed.s.charTable[1] = " ", t.ed.s.charTable[2] = "\xC3\xA9";
    for (const bool utf8 : {false, true}) {
        paintTableHex(editor, t.ed.s.charTable, utf8);
        const auto& cells = editor.PicHex.runs();
        EXPECT_EQ(cells[0].text + "|" + cells[1].text + "|" + cells[2].text, utf8 ? ".| |\xC3\xA9" : ".| |..");
    }
    paintTableHead(editor, true);
    EXPECT_EQ(editor.PicTop.runs().size(), 16u);  // a label for each column
}

}  // namespace
}  // namespace tarpon
