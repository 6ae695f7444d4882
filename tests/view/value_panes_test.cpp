#include "view/value_panes.h"

#include <gtest/gtest.h>

#include "test_editor.h"
#include "view/painting.h"

namespace tarpon {
namespace {

using test::TestEditor;

std::string shown(const Pane& pane) { return pane.runs().empty() ? "" : pane.runs()[0].text; }

TEST(ValuePanes, ByteUnderTheCursor) {
    TestEditor t;
    t.setDocument({0x07, 0xFF, 0xA5});
    RepaintAll(t.ed);
    EXPECT_EQ(shown(t.ed.v.picDec), "007");
    EXPECT_EQ(shown(t.ed.v.picOct), "007");
    EXPECT_EQ(shown(t.ed.v.picBinary), "0000 0111");
    EXPECT_EQ(t.ed.v.picBinary.runs()[0].x, 2);
    t.ed.s.cursorRel = 1;
    RepaintAll(t.ed);
    EXPECT_EQ(shown(t.ed.v.picDec), "255");
    EXPECT_EQ(shown(t.ed.v.picOct), "377");
    EXPECT_EQ(shown(t.ed.v.picBinary), "1111 1111");
    t.ed.s.cursorRel = 2;
    RepaintAll(t.ed);
    EXPECT_EQ(shown(t.ed.v.picBinary), "1010 0101");
    t.ed.s.cursorRel = 3;  // one past the end
    RepaintAll(t.ed);
    EXPECT_EQ(shown(t.ed.v.picDec), "");
    EXPECT_EQ(shown(t.ed.v.picOct), "");
    EXPECT_EQ(shown(t.ed.v.picBinary), "");
    EXPECT_EQ(shown(t.ed.v.picOffsetval), "00000003");
}

TEST(ValuePanes, OffsetAndSizeFollowTheOffsetMode) {
    TestEditor t;
    t.setDocument(std::vector<uint8_t>(1048576));
    RepaintAll(t.ed);
    EXPECT_EQ(shown(t.ed.v.picFilesize), "00100000");
    EXPECT_EQ(t.ed.v.picFilesize.runs()[0].x, 6);
    t.ed.s.offsetMode = false;
    RepaintAll(t.ed);
    EXPECT_EQ(shown(t.ed.v.picFilesize), "0001048576");
    EXPECT_EQ(t.ed.v.picFilesize.runs()[0].x, 2);
    EXPECT_EQ(shown(t.ed.v.picOffsetval), "0000000000");
}

TEST(ValuePanes, Percentage) {
    EXPECT_EQ(percentText(1000, 1000, '.'), "100.1");
    EXPECT_EQ(percentText(1, 2, '.'), "100");
    EXPECT_EQ(percentText(1, 4, '.'), "33.333");
    EXPECT_EQ(percentText(1, 4, ','), "33,333");
    EXPECT_EQ(percentText(0, 4, '.'), "0");
    EXPECT_EQ(percentText(1, 3, '.'), "50");
    EXPECT_EQ(percentText(2147483647, 2, '.'), "214748364700");

    TestEditor t;
    t.setDocument({1});
    RepaintAll(t.ed);
    EXPECT_TRUE(t.ed.v.picPercent.runs().empty());
    t.setDocument({1, 2});
    t.ed.s.cursorRel = 1;
    RepaintAll(t.ed);
    EXPECT_EQ(shown(t.ed.v.picPercent), "100");
    EXPECT_EQ(t.ed.v.picPercent.runs()[0].x, 4);
}

}  // namespace
}  // namespace tarpon
