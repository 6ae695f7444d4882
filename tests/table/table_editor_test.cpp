#include "table/table_editor.h"

#include <gtest/gtest.h>

#include "screen/keys.h"
#include "test_editor.h"

namespace tarpon {
namespace {

using namespace frmTable;

constexpr int kUp = kKeyUp, kDown = kKeyDown, kLeft = kKeyLeft, kRight = kKeyRight, kCtrlKey = kKeyCtrl, kCtrlBit = kCtrl;

void setEntries(CharTable& table, std::vector<std::pair<int, std::string>> entries) {
    for (auto& [b, letters] : entries) table[static_cast<size_t>(b)] = std::move(letters);
}

struct Fixture {
    Fixture() { Form_Load(t.ed, editor); }
    test::TestEditor t;
    TableEditor editor;
};

TEST(TableEditor, ArrowsClampAndCtrlFlipsDualLetters) {
    Fixture f;
    for (const auto& [from, key, to] : std::vector<std::tuple<int, int, int>>{
             {5, kUp, 0}, {0x20, kUp, 0x10}, {0xF5, kDown, 255}, {255, kRight, 255}, {16, kLeft, 15}, {0, kLeft, 0}}) {
        f.editor.tblCursor = from;
        PicHex_KeyDown(f.t.ed, f.editor, key, 0);
        EXPECT_EQ(f.editor.tblCursor, to) << from << " key " << key;
    }
    EXPECT_EQ(f.editor.caption, "Edit Table");
    PicHex_KeyDown(f.t.ed, f.editor, kCtrlKey, 0);  // Ctrl itself, whatever the modifier state says
    EXPECT_EQ(f.editor.caption, "Edit Table - Dual Letters");
    PicHex_KeyDown(f.t.ed, f.editor, kRight, kCtrlBit);
    EXPECT_EQ(f.editor.caption, "Edit Table");
    EXPECT_FALSE(f.editor.dualLetters);
}

TEST(TableEditor, TypingKeepsTextsUniqueAndEscEmptiesOneEntry) {
    Fixture f;
    CharTable& table = f.t.ed.s.charTable;
    setEntries(table, {{0x10, "A"}, {0x11, "AB"}});
    f.editor.tblCursor = 0x41;
    PicHex_KeyPress(f.t.ed, f.editor, 'A');
    EXPECT_EQ(table[0x41], "A");
    EXPECT_EQ(table[0x10], "");
    EXPECT_EQ(table[0x11], "AB");

    f.editor.tblCursor = 0x80;
    setEntries(table, {{0x80, "t"}, {0x20, "th"}});
    f.editor.dualLetters = true;
    for (int k : {int{'h'}, int{'h'}, 13}) PicHex_KeyPress(f.t.ed, f.editor, k);
    EXPECT_EQ(table[0x80], "thh\r");
    EXPECT_EQ(table[0x20], "");  // emptied when 0x80 became "th"
    PicHex_KeyPress(f.t.ed, f.editor, 27);
    EXPECT_EQ(table[0x80], "");
    EXPECT_EQ(table[0x41], "A");
    EXPECT_EQ(f.editor.tblCursor, 0x80);
    f.editor.tblCursor = 0x41;  // Delete empties the entry too, and stores no letter of its own
    EXPECT_TRUE(PicHex_KeyDown(f.t.ed, f.editor, kKeyDelete, 0));
    EXPECT_EQ(table[0x41], "");
}

TEST(TableEditor, AUtf8TableGetsTypedLettersAsUtf8) {
    for (const bool utf8 : {false, true}) {
        Fixture f;
        f.t.ed.s.tableUtf8 = utf8;
        f.t.ed.s.viewMode = true;
        f.editor.tblCursor = 0x41;
        f.editor.dualLetters = true;
        PicHex_KeyPress(f.t.ed, f.editor, 'a');
        PicHex_KeyPress(f.t.ed, f.editor, 0xE9);
        EXPECT_EQ(f.t.ed.s.charTable[0x41], utf8 ? "a\xC3\xA9" : "a\xE9") << utf8;
        EXPECT_EQ(f.t.ed.v.PicText.runs()[0x41].text, utf8 ? "a\xC3\xA9" : "a.") << utf8;
    }
}

TEST(TableEditor, FillsStopAtTheLastEntryAndClearRepeats) {
    Fixture f;
    CharTable& table = f.t.ed.s.charTable;
    setEntries(table, {{0x05, "Q"}, {0x06, "A"}, {0x00, "3"}, {0x01, "34"}});
    f.editor.tblCursor = 0xF0;
    cmd_Click(f.t.ed, f.editor, 0);
    f.editor.tblCursor = 0x30;
    cmd_Click(f.t.ed, f.editor, 2);
    for (int j = 0; j < 16; ++j) EXPECT_EQ(table[static_cast<size_t>(0xF0 + j)], std::string(1, char('A' + j)));
    for (int j = 0; j < 10; ++j) EXPECT_EQ(table[static_cast<size_t>(0x30 + j)], std::string(1, char('0' + j)));
    EXPECT_EQ(table[0x05], "Q");  // Q to Z found no room
    EXPECT_EQ(table[0x06], "");
    EXPECT_EQ(table[0x00], "");
    EXPECT_EQ(table[0x01], "34");
}

TEST(TableEditor, GridCellsClicksAndResize) {
    Fixture f;
    CharTable& table = f.t.ed.s.charTable;
    setEntries(table, {{0x00, "\xE9"}, {0x01, "th"}, {0x02, std::string(1 << 20, 'x')}, {0x03, "\xE3\x81\x82"}});
    paintTableHex(f.editor, table, false);
    const auto& cells = f.editor.PicHex.runs();
    ASSERT_EQ(cells.size(), 256u);
    EXPECT_EQ(cells[0].text, ".");
    EXPECT_EQ(cells[1].text, "th");
    EXPECT_EQ(cells[2].text, std::string(16, 'x'));  // only what can show in a cell
    EXPECT_EQ(cells[3].text, "...");
    paintTableHex(f.editor, table, true);
    EXPECT_EQ(cells[0].text, ".");  // not UTF-8
    EXPECT_EQ(cells[3].text, "\xE3\x81\x82");
    EXPECT_TRUE(cells[3].utf8);
    EXPECT_DOUBLE_EQ(cells[1].x, 23);  // round(1.5 * 265 / 17)
    EXPECT_EQ(f.editor.PicTop.runs().back().text, "F");
    paintTableSide(f.editor, false);
    EXPECT_EQ(f.editor.PicOffset.runs().back().text, "15");

    const double cw = 265.0 / 17;
    for (const auto& [x, y, cell] : std::vector<std::tuple<double, double, int>>{
             {3 * cw + cw / 2, 18 * 4 + 3, 0x43}, {16 * cw + cw / 2, 18 * 2, 0x30}, {-50, -50, 0}}) {
        PicHex_MouseDown(f.editor, x, y);
        EXPECT_EQ(f.editor.tblCursor, cell);
    }
    EXPECT_DOUBLE_EQ(f.editor.ShpTbl[0].left, cw / 4);
    EXPECT_DOUBLE_EQ(f.editor.ShpTbl[0].width, cw + cw / 17 + 1);
    Form_Resize(f.t.ed, f.editor, 375);
    EXPECT_DOUBLE_EQ(f.editor.PicHex.width(), 340);
    EXPECT_DOUBLE_EQ(f.editor.PicTop.width(), 364);
    EXPECT_DOUBLE_EQ(f.editor.ShpTbl[0].width, 20 + 20.0 / 17 + 1);
    Form_Resize(f.t.ed, f.editor, -1000);  // never a grid without width
    EXPECT_GT(f.editor.PicHex.width(), 0);
}

}  // namespace
}  // namespace tarpon
