#include "table/table_editor.h"

#include <gtest/gtest.h>

#include "test_editor.h"

namespace tarpon {
namespace {

using namespace frmTable;

constexpr int kUp = 38, kDown = 40, kLeft = 37, kRight = 39, kCtrlKey = 17, kCtrlBit = 2;

struct Fixture {
    Fixture() { Form_Load(t.ed, editor); }
    test::TestEditor t;
    TableEditor editor;
    CharTable& table() { return t.ed.s.charTable; }
};

TEST(TableEditor, LoadDisablesTheMainWindowAndUnloadEnablesIt) {
    Fixture f;
    EXPECT_FALSE(f.t.services.mainEnabled);
    EXPECT_EQ(f.editor.caption, "Edit Table");
    Form_Unload(f.t.ed, f.editor);
    EXPECT_TRUE(f.t.services.mainEnabled);
}

TEST(TableEditor, ArrowsMoveAndClamp) {
    struct Case {
        int from, key, to;
    };
    for (const Case& c : std::vector<Case>{{5, kUp, 0}, {0x20, kUp, 0x10}, {0xF5, kDown, 255}, {3, kDown, 19},
                                           {255, kRight, 255}, {16, kLeft, 15}, {15, kRight, 16}, {0, kLeft, 0},
                                           {7, 65, 7}}) {
        Fixture f;
        f.editor.tblCursor = c.from;
        PicHex_KeyDown(f.editor, c.key, 0);
        EXPECT_EQ(f.editor.tblCursor, c.to) << c.from << " key " << c.key;
        EXPECT_FALSE(f.editor.dualLetters);
    }
}

TEST(TableEditor, CtrlFlipsDualLettersAndTheCaption) {
    Fixture f;
    PicHex_KeyDown(f.editor, kCtrlKey, 0);  // Ctrl itself, whatever the modifier state says
    EXPECT_TRUE(f.editor.dualLetters);
    EXPECT_EQ(f.editor.caption, "Edit Table - Dual Letters");
    PicHex_KeyDown(f.editor, kRight, kCtrlBit);  // Ctrl held with another key
    EXPECT_FALSE(f.editor.dualLetters);
    EXPECT_EQ(f.editor.caption, "Edit Table");
    EXPECT_EQ(f.editor.tblCursor, 1);
}

TEST(TableEditor, TypingReplacesOrAppendsAndKeepsTextsUnique) {
    Fixture f;
    f.table()[0x10] = "A";
    f.table()[0x11] = "AB";
    f.editor.tblCursor = 0x41;
    PicHex_KeyPress(f.t.ed, f.editor, 'A');
    EXPECT_EQ(f.table()[0x41], "A");
    EXPECT_EQ(f.table()[0x10], "");
    EXPECT_EQ(f.table()[0x11], "AB");
    EXPECT_EQ(f.editor.tblCursor, 0x41);

    f.editor.tblCursor = 0x80;
    f.table()[0x80] = "t";
    f.table()[0x20] = "th";
    f.editor.dualLetters = true;
    PicHex_KeyPress(f.t.ed, f.editor, 'h');
    EXPECT_EQ(f.table()[0x80], "th");
    EXPECT_EQ(f.table()[0x20], "");
    PicHex_KeyPress(f.t.ed, f.editor, 'h');
    EXPECT_EQ(f.table()[0x80], "thh");
    PicHex_KeyPress(f.t.ed, f.editor, 13);  // control characters are letters too
    EXPECT_EQ(f.table()[0x80], "thh\r");

    // Esc empties the selected entry only.
    PicHex_KeyPress(f.t.ed, f.editor, 27);
    EXPECT_EQ(f.table()[0x80], "");
    EXPECT_EQ(f.table()[0x41], "A");
}

TEST(TableEditor, MainTextPaneFollowsEveryChange) {
    Fixture f;
    f.t.setDocument({0x30, 0x31});
    f.t.ed.s.viewMode = true;
    f.editor.tblCursor = 0x30;
    cmd_Click(f.t.ed, f.editor, 2);
    ASSERT_GE(f.t.ed.v.PicText.runs().size(), 2u);
    EXPECT_EQ(f.t.ed.v.PicText.runs()[0].text, "0");
    EXPECT_EQ(f.t.ed.v.PicText.runs()[1].text, "1");
    f.editor.tblCursor = 0x31;
    PicHex_KeyPress(f.t.ed, f.editor, 'x');
    EXPECT_EQ(f.t.ed.v.PicText.runs()[1].text, "x");
}

TEST(TableEditor, FillsStopAtTheLastEntryAndClearRepeats) {
    Fixture f;
    f.table()[0x05] = "Q";
    f.table()[0x06] = "A";
    f.editor.tblCursor = 0xF0;
    cmd_Click(f.t.ed, f.editor, 0);
    for (int j = 0; j < 16; ++j) EXPECT_EQ(f.table()[static_cast<size_t>(0xF0 + j)], std::string(1, char('A' + j)));
    EXPECT_EQ(f.table()[0x05], "Q");  // letters past P are not placed anywhere
    EXPECT_EQ(f.table()[0x06], "");   // A moved to 0xF0
    EXPECT_EQ(f.editor.tblCursor, 0xF0);

    f.table()[0x00] = "3";
    f.table()[0x01] = "34";
    f.editor.tblCursor = 0x30;
    cmd_Click(f.t.ed, f.editor, 2);
    for (int j = 0; j < 10; ++j) EXPECT_EQ(f.table()[static_cast<size_t>(0x30 + j)], std::string(1, char('0' + j)));
    EXPECT_EQ(f.table()[0x00], "");
    EXPECT_EQ(f.table()[0x01], "34");

    f.editor.tblCursor = 0x61;
    cmd_Click(f.t.ed, f.editor, 1);
    EXPECT_EQ(f.table()[0x61], "a");
    EXPECT_EQ(f.table()[0x7A], "z");
    EXPECT_EQ(f.table()[0xF0], "A");  // upper case untouched
}

TEST(TableEditor, GridLabelsAndCursorBox) {
    Fixture f;
    f.table()[0x00] = "\xE9";
    f.table()[0x01] = "th";
    paintTableHex(f.editor, f.table());
    const auto& cells = f.editor.PicHex.runs();
    ASSERT_EQ(cells.size(), 256u);
    const double cw = 265.0 / 17;
    EXPECT_EQ(cells[0].text, ".");
    EXPECT_EQ(f.table()[0x00], "\xE9");
    EXPECT_EQ(cells[1].text, "th");
    EXPECT_EQ(cells[2].text, ".");
    EXPECT_DOUBLE_EQ(cells[1].x, 23);  // round(cw + cw/2) = round(23.38)
    EXPECT_DOUBLE_EQ(cells[17].y, 23);
    EXPECT_EQ(cells[0].color, (Rgb{0, 0, 192}));

    EXPECT_EQ(f.editor.PicTop.runs().back().text, "F");
    EXPECT_EQ(f.editor.PicOffset.runs().back().text, "F");
    EXPECT_DOUBLE_EQ(f.editor.PicTop.runs()[0].x, 33);  // round(cw/2) + 25
    EXPECT_DOUBLE_EQ(f.editor.PicOffset.runs()[15].y, 275);
    paintTableHead(f.editor, false);
    paintTableSide(f.editor, false);
    EXPECT_EQ(f.editor.PicTop.runs().back().text, "15");
    EXPECT_EQ(f.editor.PicOffset.runs().back().text, "15");

    f.editor.tblCursor = 0x23;
    SetTblCur(f.editor);
    const Mark& box = f.editor.ShpTbl[0];
    EXPECT_DOUBLE_EQ(box.left, 3 * cw + cw / 4);
    EXPECT_DOUBLE_EQ(box.top, 2 * 18 + 2);
    EXPECT_DOUBLE_EQ(box.width, cw + cw / 17 + 1);
    EXPECT_EQ(box.rop, RasterOp::MaskNotPen);
    EXPECT_FALSE(f.editor.ShpTbl[1].visible);
}

TEST(TableEditor, ClicksPickCellsAndResizeWidensThem) {
    Fixture f;
    const double cw = 265.0 / 17;
    struct Case {
        double x, y;
        int cell;
    };
    for (const Case& c : std::vector<Case>{{cw / 2 + 1, 1, 0},
                                           {3 * cw + cw / 2, 18 * 4 + 3, 0x43},
                                           {16 * cw + cw / 2, 18 * 2, 0x30},  // right margin: next row
                                           {16 * cw + cw / 2, 18 * 15 + 1, 255},
                                           {-50, -50, 0}}) {
        PicHex_MouseDown(f.editor, c.x, c.y);
        EXPECT_EQ(f.editor.tblCursor, c.cell) << c.x << "," << c.y;
        EXPECT_DOUBLE_EQ(f.editor.ShpTbl[0].top, (c.cell / 16) * 18 + 2);
    }

    Form_Resize(f.t.ed, f.editor, 300);  // the designed size
    EXPECT_DOUBLE_EQ(f.editor.PicHex.width(), 265);
    EXPECT_DOUBLE_EQ(f.editor.PicTop.width(), 289);
    Form_Resize(f.t.ed, f.editor, 375);
    EXPECT_DOUBLE_EQ(f.editor.PicHex.width(), 340);
    EXPECT_DOUBLE_EQ(f.editor.PicHex.runs()[1].x, 30);  // round(20 + 10)
    EXPECT_DOUBLE_EQ(f.editor.ShpTbl[0].width, 20 + 20.0 / 17 + 1);
    Form_Resize(f.t.ed, f.editor, -1000);  // never a grid without width
    EXPECT_GT(f.editor.PicHex.width(), 0);
    PicHex_MouseDown(f.editor, 5, 5);
    EXPECT_GE(f.editor.tblCursor, 0);
}

}  // namespace
}  // namespace tarpon
