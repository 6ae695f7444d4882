#include "view/painting.h"

#include <gtest/gtest.h>

#include "test_editor.h"
#include "view/geometry.h"

namespace tarpon {
namespace {

using test::TestEditor;

constexpr Rgb kBlue{63, 50, 218}, kPurple{143, 50, 186}, kBrown{111, 66, 42}, kRed{160, 0, 0};

std::vector<uint8_t> counting(int n) {
    std::vector<uint8_t> bytes(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    return bytes;
}

TEST(Painting, EmptyDocumentLeavesPanesBlankButHeader) {
    TestEditor t;
    t.setDocument({});
    RepaintAll(t.ed);
    EXPECT_TRUE(t.ed.v.picOffset.runs().empty());
    EXPECT_TRUE(t.ed.v.picHex.runs().empty());
    EXPECT_TRUE(t.ed.v.PicText.runs().empty());
    ASSERT_EQ(t.ed.v.picHead.runs().size(), 16u);
    EXPECT_EQ(t.ed.v.picHead.runs()[15].text, "0F");
}

TEST(Painting, TwentyByteDocument) {
    TestEditor t;
    t.setDocument(counting(20));
    RepaintAll(t.ed);
    const auto& hex = t.ed.v.picHex.runs();
    ASSERT_EQ(hex.size(), 20u);
    const double p = t.ed.v.picHex.width() / 17;
    EXPECT_EQ(hex[0].x, roundHalfEven(p / 2));
    EXPECT_EQ(hex[0].y, 5);
    EXPECT_EQ(hex[19].text, "13");
    EXPECT_EQ(hex[19].x, roundHalfEven(3 * p + p / 2));
    EXPECT_EQ(hex[19].y, 23);
    EXPECT_EQ((hex[0].color), (Rgb{0, 128, 0}));
    ASSERT_EQ(t.ed.v.picOffset.runs().size(), 2u);
    EXPECT_EQ(t.ed.v.picOffset.runs()[1].text, "00000010");
    EXPECT_EQ(t.ed.v.PicText.runs().size(), 20u);
}

TEST(Painting, RowFitBoundaryDiffersForOffsetColumn) {
    TestEditor t;
    t.setDocument(counting(4096));
    // Height 18*3 + 23: rows 0..3 fit the hex and text panes; the offset column labels rows 0..2.
    for (Pane* pane : {&t.ed.v.picOffset, &t.ed.v.picHex, &t.ed.v.PicText}) pane->geom.height = 18 * 3 + 23;
    RepaintAll(t.ed);
    EXPECT_EQ(t.ed.v.picHex.runs().size(), 64u);
    EXPECT_EQ(t.ed.v.PicText.runs().size(), 64u);
    EXPECT_EQ(t.ed.v.picOffset.runs().size(), 3u);
    EXPECT_EQ(rowsThatFit(18 * 3 + 23), 4);
    EXPECT_EQ(rowsThatFit(18 * 3 + 22), 3);
    EXPECT_EQ(rowsThatFit(22), 0);
}

TEST(Painting, OffsetLabelsInBothModesAndCursorRowColour) {
    TestEditor t;
    t.setDocument(counting(8192));
    t.ed.s.pageTop = 4096;
    t.ed.s.cursorRel = 0x23;  // row 2, column 3
    RepaintAll(t.ed);
    const auto& labels = t.ed.v.picOffset.runs();
    EXPECT_EQ(labels[0].text, "00001000");
    EXPECT_EQ(labels[0].x, 10);
    EXPECT_EQ(labels[0].color, kSystemWindowText);
    EXPECT_EQ(labels[2].color, kRed);
    EXPECT_EQ(t.ed.v.picHead.runs()[3].color, kRed);
    EXPECT_EQ(t.ed.v.picHead.runs()[4].color, kSystemWindowText);
    EXPECT_EQ(t.ed.v.picHead.runs()[0].y, 10);
    EXPECT_EQ(t.ed.v.picHead.runs()[0].x, roundHalfEven(t.ed.v.picHex.width() / 34) + 87);
    EXPECT_EQ(t.ed.v.picOffset.textColor, kSystemWindowText);
    t.ed.s.offsetMode = false;
    RepaintAll(t.ed);
    EXPECT_EQ(t.ed.v.picOffset.runs()[0].text, "0000004096");
    EXPECT_EQ(t.ed.v.picOffset.runs()[0].x, 2);
    EXPECT_EQ(t.ed.v.picHead.runs()[15].text, "15");
}

TEST(Painting, AsciiCellColours) {
    TestEditor t;
    t.setDocument({0x20, 0x41, 0x7F, 0xC0, 0x00});
    RepaintAll(t.ed);
    const auto& cells = t.ed.v.PicText.runs();
    ASSERT_EQ(cells.size(), 5u);
    EXPECT_EQ(cells[0].text, " ");
    EXPECT_EQ(cells[0].color, kBlue);
    EXPECT_EQ(cells[1].text, "A");
    EXPECT_EQ(cells[2].text, ".");
    EXPECT_EQ(cells[2].color, kBrown);
    EXPECT_EQ(cells[3].text, ".");
    EXPECT_EQ(cells[3].color, kBrown);
    EXPECT_EQ(cells[4].color, kBrown);
}

TEST(Painting, TableCells) {
    TestEditor t;
    t.setDocument({0x41, 0x42, 0x43, 0x44});
    t.ed.s.viewMode = true;
    t.ed.s.charTable[0x41] = "AB";
    t.ed.s.charTable[0x42] = std::string("x\x01", 2);
    t.ed.s.charTable[0x43] = "c";
    RepaintAll(t.ed);
    const auto& cells = t.ed.v.PicText.runs();
    EXPECT_EQ(cells[0].text, "AB");
    EXPECT_EQ(cells[0].color, kPurple);
    EXPECT_EQ(cells[1].text, "x.");
    EXPECT_EQ(cells[1].color, kBrown);
    EXPECT_EQ(cells[2].color, kBlue);
    EXPECT_EQ(cells[3].text, ".");
    EXPECT_EQ(cells[3].color, kBrown);
}

// What one text-pane cell shows for an entry, through a Latin-1 and a UTF-8 table.
TEST(Painting, TableCellsOfLatin1AndUtf8Tables) {
    struct Case {
        const char* name;
        std::string entry;
        bool utf8;
        std::string shown;
        Rgb color;
    };
    const std::string huge(10 << 20, 'q');
    const std::string kana = "\xE3\x81\x82";  // あ
    const std::vector<Case> cases = {
        {"Latin-1 letter above 0x7E", "\xE9", false, ".", kBrown},
        {"UTF-8 letter", "\xC3\xA9", true, "\xC3\xA9", kBlue},
        {"UTF-8 letters, read as Latin-1", "\xC3\xA9", false, "..", kBrown},
        {"two UTF-8 characters are many letters", kana + kana, true, kana + kana, kPurple},
        {"broken UTF-8", "\xE3\x81", true, "..", kBrown},
        {"line break drawn as a sign", "\n", false, "\xE2\x86\xB5", kBlue},
        {"line break after a letter", "a\n", true, "a\xE2\x86\xB5", kPurple},
        {"control character in UTF-8", "\xC2\x85", true, ".", kBrown},
        {"10 MiB entry: 16 bytes shown", huge, false, std::string(16, 'q'), kPurple},
        {"UTF-8 never cut: 5 of 6 characters", kana + kana + kana + kana + kana + kana, true,
         kana + kana + kana + kana + kana, kPurple},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestEditor t;
        t.setDocument({0x41});
        t.ed.s.viewMode = true;
        t.ed.s.tableUtf8 = c.utf8;
        t.ed.s.charTable[0x41] = c.entry;
        PaintTextPane(t.ed);
        const auto& cells = t.ed.v.PicText.runs();
        ASSERT_EQ(cells.size(), 1u);
        EXPECT_EQ(cells[0].text, c.shown);
        EXPECT_EQ(cells[0].color, c.color);
        EXPECT_TRUE(cells[0].utf8);
    }
}

TEST(PlaceMarks, PositionsAndAnchorVisibility) {
    TestEditor t;
    t.setDocument(counting(4096));
    auto& v = t.ed.v;
    t.ed.s.pageTop = 0x100;
    t.ed.s.cursorRel = 0x25;
    t.ed.s.selAnchor = 0x100 + 0x25;
    PlaceMarks(t.ed);
    const double p = v.picHex.width() / 17;
    EXPECT_EQ(v.ShpHex[0].left, roundHalfEven(5 * p + p / 3));
    EXPECT_DOUBLE_EQ(v.ShpHex[0].width, p + p / 17);
    EXPECT_EQ(v.ShpHex[0].top, 38);
    EXPECT_EQ(v.ShpText[0].top, 38);
    EXPECT_FALSE(v.ShpHex[1].visible);  // anchor on the cursor

    t.ed.s.selAnchor = 0x100 - 8;  // the row just above the page
    PlaceMarks(t.ed);
    EXPECT_FALSE(v.ShpHex[1].visible);
    EXPECT_FALSE(v.ShpText[1].visible);

    t.ed.s.selAnchor = 0x100 + 0x13;
    PlaceMarks(t.ed);
    EXPECT_TRUE(v.ShpHex[1].visible);
    EXPECT_TRUE(v.ShpText[1].visible);
    EXPECT_EQ(v.ShpText[1].top, 20);
    EXPECT_EQ(v.ShpText[1].left, roundHalfEven(3 * (v.PicText.width() / 17) + v.PicText.width() / 51));
}

TEST(PlaceMarks, CursorRowBelowThePaneLeavesMarksAlone) {
    TestEditor t;
    t.setDocument(counting(4096));
    PlaceMarks(t.ed);
    const Mark before = t.ed.v.ShpHex[0];
    t.ed.s.cursorRel = 16 * 40;
    PlaceMarks(t.ed);
    EXPECT_EQ(t.ed.v.ShpHex[0], before);
}

}  // namespace
}  // namespace tarpon
