#include "app/layout.h"

#include <gtest/gtest.h>

#include "test_editor.h"

namespace tarpon {
namespace {

// The panes stretch with the window and the scroll bar stays between them. A smaller
// window brings a hidden cursor row back as the last row shown; the page stays while
// the cursor's row is shown, when no row fits at all, and when the window is minimised.
TEST(Layout, TheWindowSizesThePanesAndKeepsTheCursorsRowShown) {
    const struct {
        const char* name;
        int width, height;
        bool minimized;
        int32_t cursor, pageTop;  // the page's top afterwards; it starts at 0x100
        Rect hex, scrollBar;
    } rows[] = {
        {"start-up size", kStartWidth, kStartHeight, false, 0x210, 0x100, {88, 32, 328, 334}, {415, 33, 17, 333}},
        {"minimum size, cursor row shown", kMinWidth, kMinHeight, false, 0x120, 0x100, {88, 32, 325, 184},
         {412, 33, 17, 183}},
        {"minimum size, cursor row hidden", kMinWidth, kMinHeight, false, 0x210, 0x190, {88, 32, 325, 184},
         {412, 33, 17, 183}},
        {"no row fits", kMinWidth, 150, false, 0x210, 0x100, {88, 32, 325, 14}, {412, 33, 17, 13}},
        {"minimised", 100, 100, true, 0x210, 0x100, {88, 32, 328, 334}, {415, 33, 17, 333}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t;
        t.setDocument(std::vector<uint8_t>(4096, 0));
        t.ed.s.pageTop = 0x100;
        t.ed.s.cursorRel = row.cursor - 0x100;
        Form_Resize(t.ed, row.width, row.height, row.minimized);
        EXPECT_EQ(t.ed.v.picHex.geom, row.hex);
        EXPECT_EQ(t.ed.v.vscrollGeom, row.scrollBar);
        EXPECT_EQ(t.ed.s.pageTop, row.pageTop);
        EXPECT_EQ(t.ed.s.cursor(), row.cursor);
    }
}

}  // namespace
}  // namespace tarpon
