#include "edit/value_input.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "test_editor.h"
#include "view/cursor.h"

namespace tarpon {
namespace {

// An editor on a 0x200-byte document of zeros with cursor and anchor at `cursor`.
struct Doc {
    explicit Doc(int32_t cursor, int32_t size = 0x200) {
        t.setDocument(std::vector<uint8_t>(static_cast<size_t>(size)));
        t.ed.s.selAnchor = cursor;
        MoveCursor(t.ed, cursor);
    }
    uint8_t& byte() { return t.ed.s.fileData[static_cast<size_t>(t.ed.s.cursor())]; }
    test::TestEditor t;
};

TEST(ValueInput, BitClickTogglesTheBitUnderTheMouse) {
    const std::pair<double, int> cases[] = {{2, 7},  {8, 6},  {23, 4}, {26, -1}, {27, -1}, {28, 3}, {34, 2},
                                            {51, 0}, {52, -1}, {56, -1}, {-3, 7}, {-4, -1}, {500, -1}};
    for (const auto& [x, bit] : cases) {
        EXPECT_EQ(binaryBitAt(57, x), bit) << "x = " << x;
        Doc d(0x10);
        d.t.ed.s.selAnchor = 0x0C;
        d.byte() = 0x5A;
        picBinary_MouseDown(d.t.ed, 2, 0, x, 5);
        EXPECT_EQ(d.byte(), bit < 0 ? 0x5A : 0x5A ^ (1 << bit)) << "x = " << x;
        EXPECT_EQ(d.t.ed.s.cursor(), 0x10);
        EXPECT_EQ(d.t.ed.s.selAnchor, 0x0C);
    }
    Doc past(0x200);  // no byte under the cursor: nothing is written
    picBinary_MouseDown(past.t.ed, 1, 0, 2, 5);
    EXPECT_EQ(past.t.ed.s.fileData.size(), 0x200u);
}

TEST(ValueInput, DigitsShiftIntoTheByte) {
    struct Case {
        bool octal;
        uint8_t before;
        int typed;
        uint8_t after;
    };
    const Case cases[] = {
        {false, 25, '5', 255}, {false, 25, '6', 56},   {false, 255, '3', 53},   {false, 7, '0', 70},
        {false, 0, '0', 0},    {false, 100, '9', 9},   {false, 12, 'a', 12},    {true, 052, '1', 021},
        {true, 0377, '1', 071}, {true, 5, '8', 5},     {true, 5, '9', 5},       {true, 037, '7', 0377},
    };
    for (const Case& c : cases) {
        Doc d(3);
        d.byte() = c.before;
        c.octal ? picOct_KeyPress(d.t.ed, c.typed) : picDec_KeyPress(d.t.ed, c.typed);
        EXPECT_EQ(d.byte(), c.after) << (c.octal ? "oct " : "dec ") << int{c.before} << " + " << char(c.typed);
        EXPECT_EQ(d.t.ed.s.cursor(), 3);
    }
}

TEST(ValueInput, EnterStepsOnAndShiftGrowsTheSelection) {
    Doc d(7);
    picDec_KeyDown(d.t.ed, 13, 0);
    EXPECT_EQ(d.t.ed.s.selAnchor, 8);
    picOct_KeyDown(d.t.ed, 13, 1);
    picDec_KeyDown(d.t.ed, 39, 0);  // other keys do nothing
    EXPECT_EQ(d.t.ed.s.cursor(), 9);
    EXPECT_EQ(d.t.ed.s.selAnchor, 8);
}

TEST(ValueInput, TypedOffsetMovesTheCursorWithinSizePlus15) {
    struct Case {
        bool hex;
        int32_t cursor;
        int typed;
        int64_t target;  // -1: the cursor stays
    };
    const Case cases[] = {
        {true, 0x123, '4', 0x34}, {true, 0x20, '5', 0x205}, {true, 0x20, 'f', 0x20F}, {true, 0x21, '0', 0x10},
        {true, 0x20, 'g', -1},    {false, 51, '9', 519},    {false, 53, '0', 30},     {false, 51, 'a', -1},
    };
    for (const Case& c : cases) {
        Doc d(c.cursor);
        d.t.ed.s.offsetMode = c.hex;
        picOffsetval_KeyPress(d.t.ed, c.typed);
        EXPECT_EQ(d.t.ed.s.cursor(), c.target < 0 ? c.cursor : c.target) << c.cursor << " + " << char(c.typed);
        EXPECT_EQ(d.t.ed.s.selAnchor, c.cursor);
    }
}

TEST(ValueInput, FocusColoursTheValuePaneText) {
    Doc d(1);
    using Handler = void (*)(Editor&);
    const std::tuple<Handler, Handler, Pane*> panes[] = {
        {picDec_GotFocus, picDec_LostFocus, &d.t.ed.v.picDec},
        {picOct_GotFocus, picOct_LostFocus, &d.t.ed.v.picOct},
        {picOffsetval_GotFocus, picOffsetval_LostFocus, &d.t.ed.v.picOffsetval}};
    for (const auto& [gain, lose, pane] : panes) {
        gain(d.t.ed);
        EXPECT_EQ(pane->runs().at(0).color, (Rgb{0, 0, 128}));
        lose(d.t.ed);
        EXPECT_EQ(pane->runs().at(0).color, kSystemWindowText);
    }
}

}  // namespace
}  // namespace tarpon
