#include "view/painting.h"

#include <gtest/gtest.h>

#include "screen/style.h"
#include "test_editor.h"

namespace tarpon {
namespace {

bool isRed(Rgb c) { return c.r >= 128 && c.g < 64 && c.b < 64; }

// A document of `size` counting bytes (0, 1, 2, ...), the page at `top` with the cursor `rel`
// below it, `height` pixels high (0: as the window starts); with `table`, the text pane shows
// table letters, `entry` standing for the cursor's byte, `held` typed there and not yet written.
// After a repaint `pane` holds `runs` texts, run `index` reading `text` in `ink`: red or not;
// in the text pane one letter's colour, the colour of byte 0 (no letter), or neither (many).
TEST(Painting, WhatThePanesShow) {
    enum Which { Head, Offset, Hex, Text, Dec, Oct, Bits, Percent };
    enum class Ink { Plain, Red, Letter, Dim, Many };
    struct Row {
        const char* name;
        int size, height, top, rel;
        Which pane;
        size_t runs, index;
        std::string text;
        Ink ink = Ink::Plain;
        bool table = false;
        std::string entry = {}, held = {};
    };
    const int fourRows = 18 * 3 + 23;
    const Row rows[] = {
        {"empty document: no offsets", 0, 0, 0, 0, Offset, 0, 0, ""},
        {"empty document: no cells", 0, 0, 0, 0, Hex, 0, 0, ""},
        {"four rows fit", 4096, fourRows, 0, 0, Hex, 64, 63, "3F"},
        {"the offset column labels three of them", 4096, fourRows, 0, 0, Offset, 3, 2, "00000020"},
        {"one pixel less: three rows", 4096, fourRows - 1, 0, 0, Hex, 48, 47, "2F"},
        {"the cursor row's offset is red", 8192, 0, 4096, 0x23, Offset, 18, 2, "00001020", Ink::Red},
        {"the cursor column's header is red", 8192, 0, 4096, 0x23, Head, 16, 3, "03", Ink::Red},
        {"ASCII tilde, the last printable", 256, 0, 0, 0x41, Text, 256, 0x7E, "~", Ink::Letter},
        {"ASCII 7F", 256, 0, 0, 0x41, Text, 256, 0x7F, ".", Ink::Dim},
        {"no table entry", 256, 0, 0, 0x41, Text, 256, 0x42, ".", Ink::Dim, true},
        {"two table letters", 256, 0, 0, 0x41, Text, 256, 0x41, "AB", Ink::Many, true, "AB"},
        {"an undrawable last letter", 256, 0, 0, 0x41, Text, 256, 0x41, "x.", Ink::Dim, true, std::string("x\x01", 2)},
        {"held letters: red, in the cursor's cell", 256, 0, 0, 0x41, Text, 256, 0x41, "th", Ink::Red, true, "c", "th"},
        {"a held tilde", 256, 0, 0, 0x41, Text, 256, 0x41, "~", Ink::Red, true, "c", "~"},
        {"byte 7 in decimal", 256, 0, 0, 7, Dec, 1, 0, "007"},
        {"byte A5 in bits", 256, 0, 0, 0xA5, Bits, 1, 0, "1010 0101"},
        {"past the end: no byte value", 3, 0, 0, 3, Dec, 0, 0, ""},
        {"percent", 4, 0, 0, 1, Percent, 1, 0, "33.333"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t;
        std::vector<uint8_t> bytes(static_cast<size_t>(row.size));
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
        t.setDocument(bytes);
        MainView& v = t.ed.v;
        if (row.height > 0) v.picOffset.geom.height = v.picHex.geom.height = v.PicText.geom.height = row.height;
        t.ed.s.pageTop = row.top;
        t.ed.s.cursorRel = row.rel;
        t.ed.s.viewMode = row.table;
        t.ed.s.charTable[static_cast<size_t>(row.rel)] = row.entry;
        t.ed.s.typedLetters = row.held;
        RepaintAll(t.ed);
        const Pane* panes[] = {&v.picHead, &v.picOffset, &v.picHex, &v.PicText,
                               &v.picDec,  &v.picOct,    &v.picBinary, &v.picPercent};
        const std::vector<TextRun>& runs = panes[row.pane]->runs();
        EXPECT_EQ(v.PicText.runs().size(), v.picHex.runs().size());
        ASSERT_EQ(runs.size(), row.runs);
        if (row.runs == 0) continue;
        EXPECT_EQ(runs[row.index].text, row.text);
        const Rgb c = runs[row.index].color;
        EXPECT_EQ(isRed(c), row.ink == Ink::Red);
        if (row.pane != Text) continue;
        const TextRun& byte0 = v.PicText.runs()[0];  // no letter stands for byte 0
        EXPECT_EQ(byte0.text, ".");
        EXPECT_EQ(c == kOneLetterText, row.ink == Ink::Letter);
        EXPECT_EQ(c == byte0.color, row.ink == Ink::Dim);
    }
}

// The cursor's mark lies over its cell; the anchor's shows only when the anchor is on the
// page (18 rows) and not on the cursor.
TEST(PlaceMarks, CursorAndAnchor) {
    struct Row {
        const char* name;
        int cursor, anchor;
        bool anchorShown;
    };
    const Row rows[] = {
        {"anchor on the cursor: hidden", 0x25, 0x25, false},
        {"anchor above the page: hidden", 0x25, -8, false},
        {"anchor on the last row shown", 0x25, 17 * 16 + 15, true},
        {"anchor on the row below it: hidden", 0x25, 18 * 16, false},
        {"cursor on the last row shown", 17 * 16 + 9, 0, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t;
        t.setDocument(std::vector<uint8_t>(4096, 0));
        t.ed.s.cursorRel = row.cursor;
        t.ed.s.selAnchor = row.anchor;
        RepaintAll(t.ed);
        PlaceMarks(t.ed);
        const Mark& m = t.ed.v.ShpHex[0];
        const TextRun& cell = t.ed.v.picHex.runs().at(static_cast<size_t>(row.cursor));
        EXPECT_TRUE(m.left <= cell.x && cell.x < m.left + m.width && m.top <= cell.y && cell.y < m.top + m.height);
        EXPECT_EQ(t.ed.v.ShpHex[1].visible, row.anchorShown);
    }
}

}  // namespace
}  // namespace tarpon
