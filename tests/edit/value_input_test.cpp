#include "edit/value_input.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_editor.h"
#include "view/cursor.h"

namespace tarpon {
namespace {

using test::TestEditor;

// An editor on a 0x200-byte document of zeros with the cursor at `cursor`.
struct ValueFixture {
    explicit ValueFixture(int32_t cursor = 0, int32_t size = 0x200) {
        t.setDocument(std::vector<uint8_t>(static_cast<size_t>(size)));
        t.ed.s.selAnchor = cursor;
        MoveCursor(t.ed, cursor);
    }
    uint8_t& byte() { return t.ed.s.fileData[static_cast<size_t>(t.ed.s.cursor())]; }
    TestEditor t;
};

TEST(ValueInput, BitUnderTheMouseInABinaryPane57PixelsWide) {
    struct Case {
        double x;
        int bit;  // -1: no bit
    };
    const Case cases[] = {{2, 7},  {7, 7},   {8, 6},  {14, 5}, {20, 4}, {23, 4}, {26, -1}, {27, -1}, {28, 3},
                          {33, 3}, {34, 2},  {51, 0}, {52, -1}, {56, -1}, {-3, 7}, {-4, -1}, {500, -1}};
    for (const Case& c : cases) EXPECT_EQ(binaryBitAt(57, c.x), c.bit) << "x = " << c.x;
}

TEST(ValueInput, BitClickTogglesTheCursorByteOnly) {
    ValueFixture f(0x10);
    f.t.ed.s.selAnchor = 0x0C;
    f.byte() = 0x0F;
    picBinary_MouseDown(f.t.ed, 1, 0, 2, 5);
    EXPECT_EQ(f.byte(), 0x8F);
    picBinary_MouseDown(f.t.ed, 2, 0, 51, 5);  // any button
    EXPECT_EQ(f.byte(), 0x8E);
    picBinary_MouseDown(f.t.ed, 1, 0, 26, 5);  // the gap between the groups
    EXPECT_EQ(f.byte(), 0x8E);
    EXPECT_EQ(f.t.ed.s.cursor(), 0x10);
    EXPECT_EQ(f.t.ed.s.selAnchor, 0x0C);
    EXPECT_EQ(f.t.ed.v.picBinary.runs().at(0).text, "1000 1110");  // repainted

    ValueFixture past(0x200);  // no byte under the cursor
    picBinary_MouseDown(past.t.ed, 1, 0, 2, 5);
    EXPECT_EQ(past.t.ed.s.fileSize, 0x200);
}

TEST(ValueInput, DigitsShiftIntoTheByte) {
    struct Case {
        bool octal;
        uint8_t before;
        int typed;
        uint8_t after;
    };
    const Case cases[] = {
        {false, 25, '5', 255}, {false, 25, '6', 56},  {false, 255, '3', 53}, {false, 7, '0', 70},
        {false, 0, '0', 0},    {false, 100, '9', 9},  {false, 0, '7', 7},    {false, 12, 'a', 12},
        {false, 12, ' ', 12},  {true, 052, '1', 021}, {true, 0377, '1', 071}, {true, 5, '8', 5},
        {true, 5, '9', 5},     {true, 0, '7', 7},     {true, 037, '7', 0377}, {true, 040, '0', 0},
    };
    for (const Case& c : cases) {
        ValueFixture f(3);
        f.byte() = c.before;
        if (c.octal) picOct_KeyPress(f.t.ed, c.typed);
        else picDec_KeyPress(f.t.ed, c.typed);
        EXPECT_EQ(f.byte(), c.after) << (c.octal ? "oct " : "dec ") << int{c.before} << " + " << char(c.typed);
        EXPECT_EQ(f.t.ed.s.cursor(), 3);
    }
    ValueFixture past(0x200);
    picDec_KeyPress(past.t.ed, '5');
    picOct_KeyPress(past.t.ed, '5');
    EXPECT_EQ(past.t.ed.s.fileSize, 0x200);
    EXPECT_EQ(past.t.ed.s.fileData[0x1FF], 0);
}

TEST(ValueInput, EnterStepsToTheNextByte) {
    ValueFixture f(7);
    picDec_KeyDown(f.t.ed, 13, 0);
    EXPECT_EQ(f.t.ed.s.cursor(), 8);
    EXPECT_EQ(f.t.ed.s.selAnchor, 8);
    picOct_KeyDown(f.t.ed, 13, 1);  // Shift: the selection grows
    picDec_KeyDown(f.t.ed, 13, 2);
    EXPECT_EQ(f.t.ed.s.cursor(), 10);
    EXPECT_EQ(f.t.ed.s.selAnchor, 8);
    picDec_KeyDown(f.t.ed, 39, 0);  // other keys do nothing
    picOct_KeyDown(f.t.ed, 40, 0);
    EXPECT_EQ(f.t.ed.s.cursor(), 10);
    picOct_KeyDown(f.t.ed, 13, 0);
    EXPECT_EQ(f.t.ed.s.cursor(), 11);
    EXPECT_EQ(f.t.ed.s.selAnchor, 11);
}

TEST(ValueInput, TypedOffsetMovesTheCursor) {
    struct Case {
        bool hex;
        int32_t cursor;
        int typed;
        int64_t target;  // -1: the cursor stays
    };
    const Case cases[] = {
        {true, 0x123, '4', 0x34},  {true, 0x20, '5', 0x205}, {true, 0x20, 'f', 0x20F},
        {true, 0x20, 'F', 0x20F},  {true, 0x21, '0', 0x10},  {true, 0, '7', 7},
        {true, 0x20, 'g', -1},     {true, 0x20, ' ', -1},    {false, 51, '2', 512},
        {false, 51, '9', 519},  {false, 53, '0', 30},      {false, 0, '9', 9},       {false, 51, 'a', -1},
        {false, 527, '5', 275},
    };
    for (const Case& c : cases) {
        ValueFixture f(c.cursor);
        f.t.ed.s.offsetMode = c.hex;
        f.t.ed.s.selAnchor = 3;
        picOffsetval_KeyPress(f.t.ed, c.typed);
        EXPECT_EQ(f.t.ed.s.cursor(), c.target < 0 ? c.cursor : c.target)
            << (c.hex ? "hex " : "dec ") << c.cursor << " + " << char(c.typed);
        EXPECT_EQ(f.t.ed.s.selAnchor, 3);
    }
    ValueFixture empty(0, 0);
    picOffsetval_KeyPress(empty.t.ed, 'F');
    EXPECT_EQ(empty.t.ed.s.cursor(), 15);
}

TEST(ValueInput, FocusColoursTheValuePane) {
    ValueFixture f(1);
    f.byte() = 9;
    const std::vector<std::pair<void (*)(Editor&), Pane*>> gains = {
        {picDec_GotFocus, &f.t.ed.v.picDec},
        {picOct_GotFocus, &f.t.ed.v.picOct},
        {picOffsetval_GotFocus, &f.t.ed.v.picOffsetval}};
    for (const auto& [gain, pane] : gains) {
        gain(f.t.ed);
        ASSERT_FALSE(pane->runs().empty());
        EXPECT_EQ(pane->runs()[0].color, (Rgb{0, 0, 128}));
    }
    EXPECT_EQ(f.t.ed.v.picBinary.textColor, kSystemWindowText);
    for (void (*lose)(Editor&) : {picDec_LostFocus, picOct_LostFocus, picOffsetval_LostFocus}) lose(f.t.ed);
    for (const auto& [gain, pane] : gains) EXPECT_EQ(pane->runs().at(0).color, kSystemWindowText);
}

}  // namespace
}  // namespace tarpon
