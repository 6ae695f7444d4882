#include "view/cursor.h"

#include <gtest/gtest.h>

#include "screen/keys.h"
#include "app/layout.h"
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

// Each row: a document, the page and cursor before, a move (a target, or a paging
// button), and where the page and cursor end up. Every row also checks that the
// cursor's row is on the page.
TEST(MoveCursor, PagingRules) {
    struct Row {
        const char* name;
        int size, top, rel;
        int64_t target;  // absolute target, or -1000 - button for a paging button
        int wantTop, wantRel;
        int windowHeight = kStartHeight;
    };
    constexpr int64_t kRowDownButton = -1000 - kRowDown, kRowUpButton = -1000 - kRowUp,
                      kPageUpButton = -1000 - kPageUp, kPageDownButton = -1000 - kPageDown;
    const Row rows[] = {
        {"row down from row N-2 scrolls one row", 4096, 0, 16 * 16 + 3, kRowDownButton, 16, 16 * 16 + 3},
        {"forward short of the last fitting row", 4096, 0, 0, 16 * 16, 0, 256},
        {"jump near the end shows the last 32-byte block", 4096, 0, 5, 0xFF5, 0xFE0, 0x15},
        {"past the end: the page follows the cursor", 4096, 0, 0, 5000, 4992 - 16 * 17, 16 * 17 + 8},
        {"row up from row 0 lands on row 1", 4096, 0x100, 5, kRowUpButton, 0xE0, 0x15},
        {"row up within the first row", 4096, 0, 5, kRowUpButton, 0, 0},
        {"page up keeps the screen row", 4096, 0x200, 0x53, kPageUpButton, 0x100, 0x53},
        {"above the page keeps row 3", 4096, 0x100, 0x55, 0x40, 0x10, 0x30},
        {"above the page near the start goes to row 0", 4096, 0x100, 0x55, 0x20, 0x20, 0},
        {"up on the page from row 3: no scroll", 4096, 0x200, 0x35, 0x203, 0x200, 3},
        {"up to row 0 from row 1 scrolls one row", 4096, 0x200, 0x13, 0x205, 0x1F0, 0x15},
        {"up from row 1 at the start", 4096, 0, 0x13, 5, 0, 5},
        {"the cursor's own offset: nothing scrolls", 4096, 0x200, 0x47, 0x247, 0x200, 0x47},
        {"below zero goes to 0", 4096, 0x200, 0x47, -70, 0, 0},
        // Targets in the 16 bytes before the last 32-byte block, when (size - 1) mod 32 >= 16.
        {"jump to 0x172 in a 400-byte file", 400, 0, 0, 0x172, 0x170, 2},
        {"MoveCursor(980) in a 1000-byte file", 1000, 0, 0, 980, 976, 4},
        {"the last byte itself", 1000, 0, 0, 999, 992, 7},
        {"page down past the end in a short window", 1000, 832, 68, kPageDownButton, 1024, 132, 320},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Paged t(row.size);
        t.ed.services.resizeMainWindow(kStartWidth, row.windowHeight);
        t.at(row.top, row.rel);
        if (row.target <= -1000) cmdOff_MouseDown(t.ed, static_cast<int>(-1000 - row.target), 1, 0);
        else MoveCursor(t.ed, row.target);
        EXPECT_EQ(t.where(), std::make_pair(row.wantTop, row.wantRel));
        EXPECT_GE(t.ed.s.cursorRel, 0);
        EXPECT_TRUE(cursorRowShown(t.ed));
    }
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
