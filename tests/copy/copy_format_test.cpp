#include "copy/copy_format.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_editor.h"

namespace tarpon {
namespace {

using test::TestEditor;

CopyForm form(std::string from, std::string to, CopyType type, std::string before = "[", std::string after = "],",
              OffsetRadix radix = OffsetRadix::Hex) {
    return CopyForm{{std::move(from), std::move(to)}, radix, type, std::move(before), std::move(after)};
}

// 0x20 bytes of zeros with 'H', 'e', 'l' at 0x10..0x12, and table letters for them.
struct Example {
    Example() {
        std::vector<uint8_t> bytes(0x20, 0);
        bytes[0x10] = 0x48, bytes[0x11] = 0x65, bytes[0x12] = 0x6C;
        t.setDocument(bytes);
        t.ed.s.charTable[0x48] = "H", t.ed.s.charTable[0x65] = "e", t.ed.s.charTable[0x6C] = "ll";
    }
    TestEditor t;
};

TEST(Copy, PutsTheRangeOnTheClipboardAsValuesCharactersOrLetters) {
    const std::pair<CopyForm, std::string> cases[] = {
        {form("10", "12", CopyType::Value), "[72],[101],[108],"},
        {form("10", "12", CopyType::Ascii), "[H],[e],[l],"},
        {form("10", "12", CopyType::Table), "[H],[e],[ll],"},
        {form("12", "10", CopyType::Value), "[108],[101],[72],"},
        {form("10", "12", CopyType::Value, "", ""), "72101108"},
        {form("11", "11", CopyType::Value), "[101],"},
        {form("16", "18", CopyType::Value, "", ",", OffsetRadix::Dec), "72,101,108,"},
        {form("20", "22", CopyType::Value, "", ",", OffsetRadix::Oct), "72,101,108,"},
        {form("f", "10", CopyType::Table, "<", ">"), "<><H>"},  // byte 0 has no letters
        {form("f", "f", CopyType::Ascii, "", ""), std::string(1, '\0')},
        // Ends beyond the document are clipped to it, in either direction.
        {form("1E", "FFFFFFFF", CopyType::Value), "[0],[0],"},
        {form("FFFFFFFF", "1E", CopyType::Value), "[0],[0],"},
        {form("-5", "1", CopyType::Value, "", ",", OffsetRadix::Dec), "0,0,"},
    };
    Example e;
    for (const auto& [f, expected] : cases) {
        EXPECT_TRUE(cmdCopy_Click(e.t.ed, f)) << expected;
        EXPECT_EQ(e.t.services.clipboard, expected);
    }
    EXPECT_TRUE(e.t.services.messages.empty());
}

TEST(Copy, RefusesWithAMessageAndLeavesTheClipboard) {
    const std::pair<CopyForm, std::string> cases[] = {
        {form("", "12", CopyType::Value), "Fill in Start & End offset"},
        {form("10", "", CopyType::Value), "Fill in Start & End offset"},
        {form("20", "30", CopyType::Value), "The range lies outside the file"},
        {form("FFFFF", "0", CopyType::Ascii, std::string(300, '-'), ""), "The text to copy is too large"},
        {form("0", "0", CopyType::Ascii), "The range lies outside the file"},
    };
    Example e;
    for (size_t i = 0; i < std::size(cases); ++i) {
        if (i == 3) e.t.setDocument(std::vector<uint8_t>(1 << 20, 1));  // 300 MiB of text
        if (i == 4) e.t.setDocument({});
        e.t.services.clipboard = "before";
        e.t.services.messages.clear();
        EXPECT_FALSE(cmdCopy_Click(e.t.ed, cases[i].first));
        EXPECT_EQ(e.t.services.messages, std::vector<std::string>{cases[i].second});
        EXPECT_EQ(e.t.services.clipboard, "before");
    }
}

TEST(Copy, TextLengthIsExactAndEveryByteIsItsOwnCharacter) {
    std::vector<uint8_t> all(256);
    for (int b = 0; b < 256; ++b) all[static_cast<size_t>(b)] = static_cast<uint8_t>(b);
    CharTable table;
    table[1] = "abc";
    for (const CopyType type : {CopyType::Value, CopyType::Ascii, CopyType::Table})
        for (const auto& [from, to] : {std::pair<int64_t, int64_t>{0, 255}, {200, 3}, {3, 3}, {-9, 2}, {250, 999}})
            EXPECT_EQ(copyTextLength(all, from, to, type, "<<", ">", table),
                      formatCopy(all, from, to, type, "<<", ">", table).size());
    const std::string text = formatCopy(all, 0, 255, CopyType::Ascii, "", "", table);
    EXPECT_EQ(std::vector<uint8_t>(text.begin(), text.end()), all);
    EXPECT_EQ(formatCopy({}, 0, 5, CopyType::Value, "a", "b", table), "");
}

TEST(CopyDialogDecisions, OpeningValuesFollowTheSelectionAndOffsetMode) {
    TestEditor t;
    t.ed.s.offsetMode = true;
    t.ed.s.pageTop = 0x1000, t.ed.s.cursorRel = 5, t.ed.s.selAnchor = 0x1000;
    CopyForm f = copyFormOpening(t.ed.s);
    EXPECT_EQ(f.txtOffset, (std::array<std::string, 2>{"1000", "1005"}));
    EXPECT_EQ(f.offsetRadix, OffsetRadix::Hex);
    EXPECT_EQ(f.type, CopyType::Value);
    t.ed.s.offsetMode = false;
    t.ed.s.selAnchor = 0x1AFF;  // after the cursor
    f = copyFormOpening(t.ed.s);
    EXPECT_EQ(f.txtOffset, (std::array<std::string, 2>{"4101", "6911"}));
    EXPECT_EQ(f.offsetRadix, OffsetRadix::Dec);
    EXPECT_EQ(f.type, CopyType::Ascii);
    t.ed.s.selAnchor = -251;  // Page Up near the start leaves the anchor below 0
    EXPECT_EQ(copyFormOpening(t.ed.s).txtOffset[0], "0");
    EXPECT_EQ(UpdateCopyExample(CopyType::Value, "$", ", "), "Ex   $19, $19, $19, ");
    EXPECT_EQ(UpdateCopyExample(CopyType::Table, "'", ""), "Ex   'Y'Y'Y");
}

TEST(CopyDialogDecisions, OffsetKeyFilter) {
    struct Case {
        std::string field;
        OffsetRadix radix;
        int typed, received;  // received 0: refused
    };
    const Case cases[] = {
        {"1", OffsetRadix::Hex, 'f', 'F'},       {"1", OffsetRadix::Hex, 'A', 'A'}, {"1", OffsetRadix::Hex, 'g', 0},
        {"1", OffsetRadix::Dec, 'A', 0},         {"1", OffsetRadix::Dec, '9', '9'}, {"1", OffsetRadix::Oct, '8', 0},
        {"1", OffsetRadix::Oct, '7', '7'},       {"", OffsetRadix::Hex, '-', 0},    {"1", OffsetRadix::Hex, 22, 0},
        {"1234567", OffsetRadix::Hex, 'a', 'A'}, {"12345678", OffsetRadix::Hex, '1', 0},
        {"12345678", OffsetRadix::Dec, 8, 8},
    };
    for (const Case& c : cases)
        EXPECT_EQ(txtOffset_KeyPress(c.field, c.radix, c.typed), c.received) << c.field << " + " << c.typed;
}

TEST(CopyDialogDecisions, RadixSwitchKeepsDigitsUnconvertedAndLabelsSwap) {
    CopyForm f = form("1F9", "2859", CopyType::Value);
    OptOffset_Click(f, 2);
    EXPECT_EQ(f.txtOffset, (std::array<std::string, 2>{"1", "25"}));
    f.txtOffset = {"1F9", "255"};
    OptOffset_Click(f, 1);
    EXPECT_EQ(f.txtOffset, (std::array<std::string, 2>{"19", "255"}));
    EXPECT_EQ(readCopyOffset("255", f.offsetRadix), 255);
    EXPECT_EQ(readCopyOffset("1f9", OffsetRadix::Hex), 0x1F9);
    EXPECT_EQ(readCopyOffset("77", OffsetRadix::Oct), 077);
    OptOffset_Click(f, 3);  // no such option
    EXPECT_EQ(f.offsetRadix, OffsetRadix::Dec);
    f.txtOffset = {"5", "2"};
    Label_DblClick(f);
    EXPECT_EQ(f.txtOffset, (std::array<std::string, 2>{"2", "5"}));
}

}  // namespace
}  // namespace tarpon
