#include "copy/copy_format.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_editor.h"

namespace tarpon {
namespace {

using test::TestEditor;

// The document of the worked example: 'H', 'e', 'l' at 0x10..0x12 among zeros.
struct CopyFixture : ::testing::Test {
    CopyFixture() {
        std::vector<uint8_t> bytes(0x20, 0);
        bytes[0x10] = 0x48;
        bytes[0x11] = 0x65;
        bytes[0x12] = 0x6C;
        t.setDocument(bytes);
        t.ed.s.charTable[0x48] = "H";
        t.ed.s.charTable[0x65] = "e";
        t.ed.s.charTable[0x6C] = "ll";
    }
    CopyForm form(std::string from, std::string to, CopyType type, std::string before = "[",
                  std::string after = "],", OffsetRadix radix = OffsetRadix::Hex) {
        CopyForm f;
        f.txtOffset = {std::move(from), std::move(to)};
        f.type = type;
        f.txtBefore = std::move(before);
        f.txtAfter = std::move(after);
        f.offsetRadix = radix;
        return f;
    }
    TestEditor t;
};

TEST_F(CopyFixture, CopiesTheRangeAsValuesCharactersOrTableLetters) {
    struct Case {
        CopyForm form;
        std::string expected;
    };
    const Case cases[] = {
        {form("10", "12", CopyType::Value), "[72],[101],[108],"},
        {form("10", "12", CopyType::Ascii), "[H],[e],[l],"},
        {form("10", "12", CopyType::Table), "[H],[e],[ll],"},
        {form("12", "10", CopyType::Value), "[108],[101],[72],"},
        {form("12", "10", CopyType::Table), "[ll],[e],[H],"},
        {form("10", "12", CopyType::Value, "", ""), "72101108"},
        {form("11", "11", CopyType::Value), "[101],"},
        {form("16", "18", CopyType::Value, "", ",", OffsetRadix::Dec), "72,101,108,"},
        {form("20", "22", CopyType::Value, "", ",", OffsetRadix::Oct), "72,101,108,"},
        {form("f", "10", CopyType::Table, "<", ">"), "<><H>"},  // byte 0 has no table entry
        {form("f", "f", CopyType::Ascii, "", ""), std::string(1, '\0')},
    };
    for (const Case& c : cases) {
        t.services.clipboard = "unchanged";
        EXPECT_TRUE(cmdCopy_Click(t.ed, c.form)) << c.expected;
        EXPECT_EQ(t.services.clipboard, c.expected);
    }
    EXPECT_TRUE(t.services.messages.empty());
}

TEST_F(CopyFixture, EveryByteBecomesItsOwnLatin1Character) {
    std::vector<uint8_t> all(256);
    for (int b = 0; b < 256; ++b) all[static_cast<size_t>(b)] = static_cast<uint8_t>(b);
    const std::string text = formatCopy(all, 0, 255, CopyType::Ascii, "", "", t.ed.s.charTable);
    ASSERT_EQ(text.size(), 256u);
    for (int b = 0; b < 256; ++b) EXPECT_EQ(static_cast<uint8_t>(text[static_cast<size_t>(b)]), b);
    const std::string values = formatCopy(all, 0, 255, CopyType::Value, "", " ", t.ed.s.charTable);
    EXPECT_EQ(values.substr(0, 8), "0 1 2 3 ");
    EXPECT_EQ(values.substr(values.size() - 8), "254 255 ");
}

TEST_F(CopyFixture, EndsOutsideTheDocumentAreClipped) {
    struct Case {
        std::string from, to, expected;
    };
    const Case cases[] = {
        {"1E", "FFFFFFFF", "[0],[0],"},                // past the end: up to the last byte
        {"FFFFFFFF", "1E", "[0],[0],"},                // the same, downwards
        {"12", "99999999", "[108],[0],[0],[0],[0],[0],[0],[0],[0],[0],[0],[0],[0],[0],"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(cmdCopy_Click(t.ed, form(c.from, c.to, CopyType::Value)));
        EXPECT_EQ(t.services.clipboard, c.expected) << c.from << ".." << c.to;
    }
    // A decimal text pasted with a sign reads below zero and is clipped to offset 0.
    EXPECT_TRUE(cmdCopy_Click(t.ed, form("-5", "1", CopyType::Value, "", ",", OffsetRadix::Dec)));
    EXPECT_EQ(t.services.clipboard, "0,0,");

    const auto clipped = clipCopyRange(-4, 40, 0x20);
    ASSERT_TRUE(clipped);
    EXPECT_EQ(clipped->from, 0);
    EXPECT_EQ(clipped->to, 0x1F);
    EXPECT_FALSE(clipCopyRange(0x20, 0x30, 0x20));
    EXPECT_FALSE(clipCopyRange(0, 0, 0));
    EXPECT_EQ(formatCopy(std::span<const uint8_t>(), 0, 5, CopyType::Value, "a", "b", t.ed.s.charTable), "");
}

TEST_F(CopyFixture, RefusedCopiesLeaveTheClipboardAndReportWhy) {
    t.services.clipboard = "before";
    EXPECT_FALSE(cmdCopy_Click(t.ed, form("", "12", CopyType::Value)));
    EXPECT_FALSE(cmdCopy_Click(t.ed, form("10", "", CopyType::Value)));
    EXPECT_FALSE(cmdCopy_Click(t.ed, form("20", "30", CopyType::Value)));
    t.setDocument({});
    EXPECT_FALSE(cmdCopy_Click(t.ed, form("0", "0", CopyType::Ascii)));
    EXPECT_EQ(t.services.clipboard, "before");
    ASSERT_EQ(t.services.messages.size(), 4u);
    EXPECT_EQ(t.services.messages[0], "Fill in Start & End offset");
    EXPECT_EQ(t.services.messages[1], "Fill in Start & End offset");
    EXPECT_EQ(t.services.messages[2], "The range lies outside the file");
    EXPECT_EQ(t.services.messages[3], "The range lies outside the file");
}

TEST_F(CopyFixture, AHugeTextIsRefusedBeforeItIsBuilt) {
    t.setDocument(std::vector<uint8_t>(1 << 20, 0x41));
    const std::string wrap(200, '-');
    EXPECT_FALSE(cmdCopy_Click(t.ed, form("0", "FFFFF", CopyType::Ascii, wrap, wrap)));
    ASSERT_EQ(t.services.messages.size(), 1u);
    EXPECT_EQ(t.services.messages[0], "The text to copy is too large");
    EXPECT_TRUE(t.services.clipboard.empty());
}

TEST(CopyText, LengthIsExactForEveryType) {
    CharTable table;
    table[1] = "abc";
    const std::vector<uint8_t> bytes = {0, 1, 9, 10, 99, 100, 255};
    for (const CopyType type : {CopyType::Value, CopyType::Ascii, CopyType::Table})
        for (const auto& [from, to] : {std::pair<int64_t, int64_t>{0, 6}, {6, 0}, {3, 3}, {-9, 2}})
            EXPECT_EQ(copyTextLength(bytes, from, to, type, "<<", ">", table),
                      formatCopy(bytes, from, to, type, "<<", ">", table).size());
}

TEST(CopyDialogDecisions, OpeningValuesFollowTheSelectionAndOffsetMode) {
    TestEditor t;
    t.setDocument(std::vector<uint8_t>(0x2000));
    t.ed.s.offsetMode = true;
    t.ed.s.pageTop = 0x1000;
    t.ed.s.cursorRel = 5;
    t.ed.s.selAnchor = 0x1000;
    CopyForm f = copyFormOpening(t.ed.s);
    EXPECT_EQ(f.txtOffset[0], "1000");
    EXPECT_EQ(f.txtOffset[1], "1005");
    EXPECT_EQ(f.offsetRadix, OffsetRadix::Hex);
    EXPECT_EQ(f.type, CopyType::Value);
    EXPECT_TRUE(f.txtBefore.empty() && f.txtAfter.empty());

    t.ed.s.selAnchor = 0x1AFF;  // anchor after the cursor
    f = copyFormOpening(t.ed.s);
    EXPECT_EQ(f.txtOffset[0], "1005");
    EXPECT_EQ(f.txtOffset[1], "1AFF");

    t.ed.s.offsetMode = false;
    f = copyFormOpening(t.ed.s);
    EXPECT_EQ(f.txtOffset[0], "4101");
    EXPECT_EQ(f.txtOffset[1], "6911");
    EXPECT_EQ(f.offsetRadix, OffsetRadix::Dec);
    EXPECT_EQ(f.type, CopyType::Ascii);
}

TEST(CopyDialogDecisions, PreviewShowsThreeWrappedSamples) {
    EXPECT_EQ(UpdateCopyExample(CopyType::Value, "$", ", "), "Ex   $19, $19, $19, ");
    EXPECT_EQ(UpdateCopyExample(CopyType::Ascii, "", ""), "Ex   YYY");
    EXPECT_EQ(UpdateCopyExample(CopyType::Table, "'", "'"), "Ex   'Y''Y''Y'");
}

TEST(CopyDialogDecisions, OffsetKeyFilter) {
    struct Case {
        std::string field;
        OffsetRadix radix;
        int typed, received;  // received 0: refused
    };
    const Case cases[] = {
        {"1", OffsetRadix::Hex, 'f', 'F'},     {"1", OffsetRadix::Hex, 'A', 'A'},
        {"1", OffsetRadix::Hex, '9', '9'},     {"1", OffsetRadix::Hex, 'g', 0},
        {"1", OffsetRadix::Dec, 'A', 0},       {"1", OffsetRadix::Dec, '9', '9'},
        {"1", OffsetRadix::Oct, '8', 0},       {"1", OffsetRadix::Oct, '7', '7'},
        {"", OffsetRadix::Hex, '-', 0},        {"", OffsetRadix::Dec, ' ', 0},
        {"1234567", OffsetRadix::Hex, 'a', 'A'}, {"12345678", OffsetRadix::Hex, '1', 0},
        {"12345678", OffsetRadix::Dec, 8, 8},  {"", OffsetRadix::Oct, 8, 8},
        {"1", OffsetRadix::Hex, 22, 0},        // Ctrl+V's character
    };
    for (const Case& c : cases)
        EXPECT_EQ(txtOffset_KeyPress(c.field, c.radix, c.typed), c.received)
            << c.field << " + " << c.typed << " in radix " << static_cast<int>(c.radix);
}

TEST(CopyDialogDecisions, RadixSwitchKeepsDigitsUnconverted) {
    CopyForm f;
    f.txtOffset = {"1F9", "2859"};
    OptOffset_Click(f, 2);
    EXPECT_EQ(f.offsetRadix, OffsetRadix::Oct);
    EXPECT_EQ(f.txtOffset[0], "1");
    EXPECT_EQ(f.txtOffset[1], "25");
    f.txtOffset = {"1F9", "255"};
    OptOffset_Click(f, 1);
    EXPECT_EQ(f.txtOffset[0], "19");
    EXPECT_EQ(f.txtOffset[1], "255");
    EXPECT_EQ(readCopyOffset(f.txtOffset[1], f.offsetRadix), 255);
    f.txtOffset = {"1f9", "77"};
    OptOffset_Click(f, 0);
    EXPECT_EQ(f.txtOffset[0], "1f9");
    EXPECT_EQ(readCopyOffset(f.txtOffset[0], f.offsetRadix), 0x1F9);
    EXPECT_EQ(readCopyOffset(f.txtOffset[1], OffsetRadix::Oct), 077);
    OptOffset_Click(f, 3);  // no such option: nothing changes
    EXPECT_EQ(f.offsetRadix, OffsetRadix::Hex);
}

TEST(CopyDialogDecisions, LabelDoubleClickSwapsTheEnds) {
    CopyForm f;
    f.txtOffset = {"5", "2"};
    Label_DblClick(f);
    EXPECT_EQ(f.txtOffset[0], "2");
    EXPECT_EQ(f.txtOffset[1], "5");
}

}  // namespace
}  // namespace tarpon
