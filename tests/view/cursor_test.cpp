#include "view/cursor.h"

#include <gtest/gtest.h>

#include "screen/keys.h"
#include "test_editor.h"
#include "view/geometry.h"
#include "view/painting.h"

namespace tarpon {
namespace {

using test::TestEditor;

enum Button { kPageUp = 0, kRowUp = 1, kRowDown = 2, kPageDown = 3 };

struct Paged : TestEditor {
    explicit Paged(int size) { setDocument(std::vector<uint8_t>(static_cast<size_t>(size), 0x5A)); }
    void at(int32_t top, int32_t rel) {
        ed.s.pageTop = top;
        ed.s.cursorRel = rel;
    }
    std::pair<int32_t, int32_t> where() const { return {ed.s.pageTop, ed.s.cursorRel}; }
};

TEST(MoveCursor, PagingRulesForward) {
    Paged t(4096);
    ASSERT_EQ(rowsThatFit(t.ed.v.picOffset.height()), 18);
    // Row Down from row N - 2: the page moves one row and the cursor keeps its screen row.
    t.at(0, 16 * 16 + 3);
    cmdOff_MouseDown(t.ed, kRowDown, 1, 0);
    EXPECT_EQ(t.where(), std::make_pair(16, 16 * 16 + 3));
    // Within the page, short of the last fitting row: no scroll.
    t.at(0, 0);
    MoveCursor(t.ed, 16 * 16);
    EXPECT_EQ(t.where(), std::make_pair(0, 256));
    // Near the end: the 32-byte block holding the last byte.
    t.at(0, 5);
    MoveCursor(t.ed, 0xFF5);
    EXPECT_EQ(t.where(), std::make_pair(0xFE0, 0x15));
    // Past the end is accepted as the cursor offset.
    t.at(0, 0);
    MoveCursor(t.ed, 5000);
    EXPECT_EQ(t.ed.s.cursor(), 5000);
    EXPECT_EQ(t.ed.s.pageTop, 0xFE0);
}

TEST(MoveCursor, PagingRulesBackward) {
    Paged t(4096);
    t.at(0x100, 5);  // Row Up from row 0 at 0x105
    cmdOff_MouseDown(t.ed, kRowUp, 1, 0);
    EXPECT_EQ(t.where(), std::make_pair(0xE0, 0x15));
    t.at(0, 5);  // Row Up within the first row
    cmdOff_MouseDown(t.ed, kRowUp, 1, 0);
    EXPECT_EQ(t.where(), std::make_pair(0, 0));
    t.at(0x200, 0x53);  // Page Up on row 5
    cmdOff_MouseDown(t.ed, kPageUp, 1, 0);
    EXPECT_EQ(t.where(), std::make_pair(0x100, 0x53));
    t.at(0x100, 0x55);
    MoveCursor(t.ed, 0x40);
    EXPECT_EQ(t.where(), std::make_pair(0x10, 0x30));
    t.at(0x100, 0x55);
    MoveCursor(t.ed, 0x20);
    EXPECT_EQ(t.where(), std::make_pair(0x20, 0));
    t.at(0x200, 0x35);  // row 3: a target higher on the page does not scroll
    MoveCursor(t.ed, 0x203);
    EXPECT_EQ(t.where(), std::make_pair(0x200, 3));
    t.at(0x200, 0x13);  // row 1: the target on row 0 comes to row 1
    MoveCursor(t.ed, 0x205);
    EXPECT_EQ(t.where(), std::make_pair(0x1F0, 0x15));
    t.at(0, 0x13);
    MoveCursor(t.ed, 5);
    EXPECT_EQ(t.where(), std::make_pair(0, 5));
    t.at(0x200, 0x47);  // the cursor's own offset: nothing scrolls
    MoveCursor(t.ed, 0x247);
    EXPECT_EQ(t.where(), std::make_pair(0x200, 0x47));
    MoveCursor(t.ed, -70);
    EXPECT_EQ(t.where(), std::make_pair(0, 0));
}

TEST(MoveCursor, PagingButtonsAnchor) {
    Paged t(4096);
    t.at(0, 5);
    t.ed.s.selAnchor = 5;
    cmdOff_MouseDown(t.ed, kPageDown, 1, kShift);
    EXPECT_EQ(t.ed.s.selAnchor, 5);
    EXPECT_EQ(t.ed.s.cursor(), 261);
    EXPECT_TRUE(t.ed.v.ShpHex[1].visible);
    cmdOff_MouseDown(t.ed, kPageDown, 1, 0);
    EXPECT_EQ(t.ed.s.selAnchor, 517);
    EXPECT_FALSE(t.ed.v.ShpHex[1].visible);
    t.at(0, 5);
    cmdOff_MouseDown(t.ed, kPageUp, 1, 0);  // the anchor keeps the unclamped target
    EXPECT_EQ(t.ed.s.selAnchor, -251);
    EXPECT_EQ(t.ed.s.cursor(), 0);
}

TEST(ScrollBar, PositionFollowsTheCursorWithoutMovingItTwice) {
    Paged t(1000);
    MoveCursor(t.ed, 0);
    EXPECT_EQ(t.ed.v.VScroll.value(), -32768);
    MoveCursor(t.ed, 999);
    EXPECT_EQ(t.ed.v.VScroll.value(), 32767);
    MoveCursor(t.ed, 500);
    EXPECT_EQ(t.ed.s.cursor(), 500);  // the bar's change event did not move it again
    EXPECT_EQ(t.ed.v.VScroll.value(), static_cast<int>(roundHalfEven(500.0 / 999 * 65535 - 32768)));
    MoveCursor(t.ed, 5000);
    EXPECT_EQ(t.ed.v.VScroll.value(), 32767);
    EXPECT_FALSE(t.ed.s.scrollBusy);
}

TEST(ScrollBar, UserChangesMoveTheCursorByRow) {
    Paged t(1000);
    t.at(0, 8);
    t.ed.v.VScroll.scrollTo(32767);  // thumb dragged to the bottom
    EXPECT_EQ(t.ed.s.cursor(), 1000);  // row 992 plus column 8: past the last byte
    EXPECT_EQ(t.ed.v.VScroll.value(), 32767);
    t.ed.v.VScroll.setValue(-32768);
    EXPECT_EQ(t.ed.s.cursor(), 8);
    EXPECT_EQ(t.ed.v.VScroll.smallStep(), 1049);

    Paged small(20);
    small.ed.v.VScroll.setValue(0);
    EXPECT_EQ(small.ed.v.VScroll.smallStep(), 32767);
    Paged big(1000000);
    big.ed.v.VScroll.setValue(0);
    EXPECT_EQ(big.ed.v.VScroll.smallStep(), 1);
    EXPECT_EQ(big.ed.s.cursor(), 500000);
}

TEST(ScrollBar, EmptyDocumentIgnoresEventsAndLaterScrollingWorks) {
    Paged t(0);
    t.ed.v.VScroll.setValue(1000);
    EXPECT_EQ(t.ed.s.cursor(), 0);
    EXPECT_FALSE(t.ed.s.scrollBusy);
    t.setDocument(std::vector<uint8_t>(1000, 1));
    t.ed.v.VScroll.setValue(32767);
    EXPECT_EQ(t.ed.s.cursor(), 992);
}

TEST(MoveCursor, ExtremeTargetsStayInRange) {
    Paged t(100);
    MoveCursor(t.ed, int64_t{1} << 40);
    EXPECT_EQ(t.ed.s.cursor(), 2147483647);
    cmdOff_MouseDown(t.ed, kPageDown, 1, 0);
    EXPECT_EQ(t.ed.s.cursor(), 2147483647);
    EXPECT_GE(t.ed.s.pageTop, 0);
    EXPECT_EQ(t.ed.s.pageTop % 16, 0);
    RepaintAll(t.ed);
    EXPECT_TRUE(t.ed.v.picDec.runs().empty());
}

}  // namespace
}  // namespace tarpon
