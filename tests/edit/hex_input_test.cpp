#include "edit/hex_input.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

#include "edit/text_pane.h"
#include "test_editor.h"
#include "view/cursor.h"
#include "view/geometry.h"

namespace tarpon {
namespace {

using test::TestEditor;

// A key as the window delivers it: key down, then the typed character.
void type(Editor& ed, char ch, int shift = 0) {
    PicHex_KeyDown(ed, static_cast<unsigned char>(ch), shift);
    PicHex_KeyPress(ed, static_cast<unsigned char>(ch));
}

TEST(HexTyping, DigitsShiftInNibbleByNibble) {
    TestEditor t;
    t.setDocument({0xFF, 0x3C, 0x00});
    type(t.ed, '1');
    EXPECT_EQ(t.ed.s.fileData[0], 0xF1);
    EXPECT_EQ(t.ed.s.cursor(), 0);
    EXPECT_TRUE(t.ed.s.nibblePending);
    type(t.ed, '2');
    EXPECT_EQ(t.ed.s.fileData[0], 0x12);
    EXPECT_EQ(t.ed.s.cursor(), 1);
    EXPECT_EQ(t.ed.s.selAnchor, 1);
    type(t.ed, 'a');
    type(t.ed, 'Z');  // not a hex digit, outside the key map: the pending nibble survives
    type(t.ed, '7');
    EXPECT_EQ(t.ed.s.fileData[1], 0xA7);
    EXPECT_EQ(t.ed.s.cursor(), 2);
    // A digit, Right, a digit: the arrow ends the byte, so the next byte gets one digit.
    type(t.ed, '5');
    PicHex_KeyDown(t.ed, kKeyLeft, 0);
    PicHex_KeyDown(t.ed, kKeyRight, 0);
    type(t.ed, '9');
    EXPECT_EQ(t.ed.s.fileData[2], 0x59);
    EXPECT_EQ(t.ed.s.cursor(), 2);
    type(t.ed, '1');  // the last byte: the cursor moves past the end, then digits do nothing
    EXPECT_EQ(t.ed.s.cursor(), 3);
    type(t.ed, '4');
    type(t.ed, '4');
    EXPECT_EQ(t.ed.s.fileSize, 3);
    EXPECT_EQ(t.ed.s.fileData[2], 0x91);
}

TEST(HexTyping, EmptyDocumentAndEnd) {
    TestEditor t;
    t.setDocument({});
    type(t.ed, '7');
    type(t.ed, '7');
    EXPECT_EQ(t.ed.s.fileSize, 0);
    EXPECT_EQ(t.ed.s.cursor(), 0);
    PicHex_KeyDown(t.ed, kKeyEnd, 0);
    EXPECT_EQ(t.ed.s.cursor(), 0);
}

TEST(HexTyping, TheCursorNeverLeavesThePage) {
    TestEditor t;
    t.setDocument(std::vector<uint8_t>(4096, 0));
    const int32_t lastShown = 18 * 16 - 1;
    MoveCursor(t.ed, 16 * 16);  // row 16 of 18 does not scroll
    t.ed.s.cursorRel = lastShown;
    type(t.ed, '4');
    type(t.ed, '2');
    // The next byte's row is not shown: the page scrolls one row, the cursor keeps its screen row.
    EXPECT_EQ(t.ed.s.fileData[static_cast<size_t>(lastShown)], 0x42);
    EXPECT_EQ(t.ed.s.pageTop, 16);
    EXPECT_EQ(t.ed.s.cursorRel, lastShown + 1 - 16);
    EXPECT_EQ(t.ed.s.selAnchor, lastShown + 1);

    TestEditor run;  // 640 bytes typed from offset 0
    run.setDocument(std::vector<uint8_t>(2000, 0));
    for (int i = 0; i < 640 * 2; ++i) type(run.ed, 'a');
    EXPECT_EQ(run.ed.s.cursor(), 640);
    EXPECT_TRUE(cursorRowShown(run.ed));
    EXPECT_EQ(run.ed.v.ShpHex[0].top, 18.0 * (run.ed.s.cursorRel / 16) + 2);
}

TEST(HexKeys, AnchorRulesAndKeyMap) {
    TestEditor t;
    t.setDocument(std::vector<uint8_t>(4096, 0));
    MoveCursor(t.ed, 5);
    t.ed.s.selAnchor = 5;
    PicHex_KeyDown(t.ed, kKeyDown, kShift);
    EXPECT_EQ(t.ed.s.cursor(), 21);
    EXPECT_EQ(t.ed.s.selAnchor, 5);
    EXPECT_TRUE(t.ed.v.ShpHex[1].visible);
    PicHex_KeyDown(t.ed, kKeyRight, kCtrl);  // only Shift keeps the anchor for keys
    EXPECT_EQ(t.ed.s.selAnchor, 22);
    PicHex_KeyDown(t.ed, kKeyPageDown, 0);
    EXPECT_EQ(t.ed.s.cursor(), 278);
    PicHex_KeyDown(t.ed, kKeyPageUp, 0);
    PicHex_KeyDown(t.ed, kKeyUp, 0);
    EXPECT_EQ(t.ed.s.cursor(), 6);
    PicHex_KeyDown(t.ed, kKeyEnd, 0);
    EXPECT_EQ(t.ed.s.cursor(), 4095);
    PicHex_KeyDown(t.ed, kKeyHome, 0);
    EXPECT_EQ(t.ed.s.cursor(), 0);
    PicHex_KeyDown(t.ed, kKeyEscape, 0);
    EXPECT_EQ(t.services.fileMenuOpened, 1);
    PicText_KeyDown(t.ed, kKeyEscape, 0);
    EXPECT_EQ(t.services.fileMenuOpened, 2);
    PicHex_KeyDown(t.ed, kKeyInsert, 0);
    ASSERT_EQ(t.services.opened.size(), 1u);
    EXPECT_EQ(t.services.opened[0], WindowKind::Insert);
    t.ed.s.fileData[1] = 0x77;
    PicHex_KeyDown(t.ed, kKeyDelete, 0);
    EXPECT_EQ(t.ed.s.fileSize, 4095);
    EXPECT_EQ(t.ed.s.fileData[0], 0x77);
    EXPECT_EQ(t.ed.v.picHex.runs()[0].text, "77");
}

TEST(HexMouse, ClicksDragsAndModifiers) {
    TestEditor t;
    t.setDocument(std::vector<uint8_t>(4096, 0));
    const double cw = t.ed.v.picHex.width() / 17;
    t.ed.s.pageTop = 32;
    t.ed.s.cursorRel = 0;
    t.ed.s.nibblePending = true;
    PicHex_MouseDown(t.ed, 1, 0, 0.5 * cw - 0.01, 2 * 18 + 1);
    EXPECT_EQ(t.ed.s.cursor(), 63);  // the last byte of the row above
    EXPECT_EQ(t.ed.s.selAnchor, 63);
    EXPECT_FALSE(t.ed.s.nibblePending);
    PicHex_MouseDown(t.ed, 1, kCtrl, 3.2 * cw, 18 * 3);  // any modifier keeps the anchor
    EXPECT_EQ(t.ed.s.selAnchor, 63);
    EXPECT_EQ(t.ed.s.cursor(), 32 + 48 + 2);
    PicHex_MouseMove(t.ed, 0, 0, 10 * cw, 5);  // no button: nothing
    EXPECT_EQ(t.ed.s.cursor(), 82);
    PicHex_MouseMove(t.ed, 1, 0, 2 * cw, 5);  // a drag keeps the anchor
    EXPECT_EQ(t.ed.s.cursor(), 33);
    EXPECT_EQ(t.ed.s.selAnchor, 63);
}

TEST(HexMouse, PointsFarOutsideThePaneStayInTheDocument) {
    // A drag far beyond the window, or a pane without width, gives extreme points.
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const double points[][3] = {{400, inf, inf}, {400, -inf, -inf}, {400, nan, nan}, {400, 1e300, -1e300},
                                {400, -1e300, 1e300}, {0, 5, 5}, {-1, 5, 5}, {400, -9e18, -9e18}};
    for (const auto& [width, x, y] : points) {
        SCOPED_TRACE(::testing::Message() << width << " " << x << " " << y);
        const long long hit = paneHitPosition(Pane({0, 0, width, 329}, kWhite, {}, kWhite), 329, x, y);
        EXPECT_LE(std::llabs(hit), 1LL << 42);
        TestEditor t;
        t.setDocument(std::vector<uint8_t>(4096, 0));
        PicHex_MouseDown(t.ed, 1, 0, x, y);
        EXPECT_GE(t.ed.s.cursor(), 0);
        EXPECT_LE(t.ed.s.cursor(), std::numeric_limits<int32_t>::max());
        PicText_MouseDown(t.ed, 1, 0, x, y);
        EXPECT_GE(t.ed.s.cursor(), 0);
        EXPECT_LE(t.ed.s.cursor(), std::numeric_limits<int32_t>::max());
        EXPECT_EQ(t.ed.s.pageTop % 16, 0);
    }
}

TEST(TextMouse, ClickPlacesTheCursorWithoutScrolling) {
    TestEditor t;
    t.setDocument(std::vector<uint8_t>(4096, 0));
    t.ed.s.pageTop = 0x200;
    t.ed.s.cursorRel = 0x100;
    t.ed.s.typedLetters = "t";
    const double cw = t.ed.v.PicText.width() / 17;
    PicText_MouseDown(t.ed, 1, 0, 2 * cw, 0);  // row 0: a hex-pane click would scroll up here
    EXPECT_EQ(t.ed.s.pageTop, 0x200);
    EXPECT_EQ(t.ed.s.cursor(), 0x201);
    EXPECT_EQ(t.ed.s.selAnchor, 0x201);
    EXPECT_EQ(t.ed.s.typedLetters, "t");
    PicText_MouseMove(t.ed, 1, 0, 5 * cw, 18);
    EXPECT_EQ(t.ed.s.cursor(), 0x214);
    EXPECT_EQ(t.ed.s.selAnchor, 0x201);
    // The strip below the last row that fits (18 rows: y 324 and on) counts as that row.
    const double h = t.ed.v.picOffset.height();
    ASSERT_EQ(rowsThatFit(h), 18);
    PicText_MouseDown(t.ed, 1, 0, 2 * cw, h - 4);
    EXPECT_EQ(t.ed.s.cursorRel, 17 * 16 + 1);
    EXPECT_TRUE(cursorRowShown(t.ed));
}

TEST(Focus, SwapsRasterOpsAndClearsPendingInput) {
    TestEditor t;
    t.ed.s.nibblePending = true;
    t.ed.s.typedLetters = "ab";
    PicText_GotFocus(t.ed);
    EXPECT_EQ(t.ed.v.ShpText[0].rop, RasterOp::MaskNotPen);
    EXPECT_EQ(t.ed.v.ShpHex[1].rop, RasterOp::NotXorPen);
    EXPECT_TRUE(t.ed.s.nibblePending);
    EXPECT_EQ(t.ed.s.typedLetters, "ab");
    PicHex_GotFocus(t.ed);
    EXPECT_EQ(t.ed.v.ShpHex[0].rop, RasterOp::MaskNotPen);
    EXPECT_EQ(t.ed.v.ShpText[1].rop, RasterOp::NotXorPen);
    EXPECT_FALSE(t.ed.s.nibblePending);
    EXPECT_TRUE(t.ed.s.typedLetters.empty());
}

}  // namespace
}  // namespace tarpon
