#include "search/find.h"

#include <gtest/gtest.h>

#include <optional>

#include "app/menu_commands.h"
#include "test_editor.h"
#include "view/cursor.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;
using K = PatternKind;

// Search text and wild card -> the bytes searched for and the wild card byte, or nothing.
TEST(BuildPattern, TextToBytesAndWildcard) {
    CharTable table{};
    const std::pair<int, std::string> entries[] = {
        {0x10, "th"}, {0x20, "t"}, {0x30, "e"}, {0x31, "e"}, {0x40, "*"}, {0x50, "?!"}, {0x51, "\xE9"},
        {0x11, "\xE3\x81\x82"}, {0x21, "\xE3\x81\x82\xE3\x81\x84"}, {0x32, "\xC3\xA9"},  // UTF-8 あ, あい, é
        {0x60, "\xE6\x97\xA5\xE6\x9C\xAC"},                                                   // 日本
    };
    for (const auto& [code, letters] : entries) table[static_cast<size_t>(code)] = letters;
    struct Row {
        const char* name;
        K kind;
        bool utf8;  // the table's letters are UTF-8
        std::string text, wildcard;
        std::optional<Bytes> pattern;
        int32_t wildcardByte = -1;
    };
    const Row rows[] = {
        {"ascii bytes above 0x7F are not signed", K::Ascii, false, "A\xE9\xFF", "", Bytes{0x41, 0xE9, 0xFF}},
        {"ascii wild card: its first character", K::Ascii, false, "A?", "?x", Bytes{0x41, '?'}, '?'},
        {"ascii is never UTF-8, whatever the table", K::Ascii, true, "\xC3\xA9", "", Bytes{0xC3, 0xA9}},
        {"empty text: nothing to search", K::Ascii, false, "", "?", std::nullopt},
        {"hex list, a trailing blank ignored", K::Hex, false, "41 42 ", "", Bytes{0x41, 0x42}},
        {"hex digits A to F and a to f", K::Hex, false, "Af aF", "", Bytes{0xAF, 0xAF}},
        {"g is no hex digit: reading stops", K::Hex, false, "4g 4G zz", "", Bytes{0x04, 0x04, 0x00}},
        {"tab and newline inside a number are passed over", K::Hex, false, "4\t1 4\n2", "", Bytes{0x41, 0x42}},
        {"hex: the low byte, exact if long", K::Hex, false, "1FF 123456789ABCDEF0123456789A", "", Bytes{0xFF, 0x9A}},
        {"two blanks end the list", K::Hex, false, "41  42", "", Bytes{0x41}},
        {"a leading blank empties the list", K::Hex, false, " 41 42", "", std::nullopt},
        {"hex wild card 256 is none", K::Hex, false, "41", "100", Bytes{0x41}},
        {"decimal: modulo 256, ties to even, minus as 0", K::Dec, false, "300 66.5 1e3 -5", "", Bytes{44, 66, 232, 0}},
        {"octal list, 8 is no octal digit", K::Oct, false, "101 18", "", Bytes{0x41, 1}},
        {"octal wild card 377", K::Oct, false, "41", "377", Bytes{33}, 0xFF},
        {"table: first entry starting with it, else 0", K::Table, false, "tex", "*", Bytes{0x10, 0x30, 0}, 0x40},
        {"table wild card that is no entry: its code", K::Table, false, "e?", "?", Bytes{0x30, 0x50}, '?'},
        {"UTF-8: longest entry first, wild card an entry", K::Table, true, "\xC3\xA9\xE3\x81\x82\xE3\x81\x84",
         "\xE3\x81\x82", Bytes{0x32, 0x21}, 0x11},
        {"UTF-8: first entry starting, else 0", K::Table, true, "\xE6\x97\xA5\xE3\x81\x84x", "", Bytes{0x60, 0, 0}},
        {"UTF-8: a stray byte is one character", K::Table, true, "\xE9*", "", Bytes{0x51, 0x40}},
        {"UTF-8 wild card below U+0100: its code", K::Table, true, "*", "\xC3\xBC", Bytes{0x40}, 0xFC},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto r = buildPattern(row.kind, row.text, row.wildcard, table, row.utf8);
        ASSERT_EQ(r.has_value(), row.pattern.has_value());
        if (!r) continue;
        EXPECT_EQ(std::pair(r->pattern, r->wildcard), std::pair(*row.pattern, row.wildcardByte));
    }
}

// Find presses, then Find Again (on `newDoc` when given) -> where the cursor lands and what is said.
TEST(Find, FindAndFindAgainMoveTheCursor) {
    struct Row {
        const char* name;
        Bytes doc, newDoc;
        std::vector<FindForm> finds;
        int64_t cursor, agains, landed;
        std::vector<std::string> messages;
    };
    const Bytes twice = {1, 2, 3, 1, 2, 3}, ab = {0, 0x41, 0x42, 0};
    const FindForm relative = {K::Dec, "11 12", "", true};  // 2 3 in `twice`
    const std::string none = "No Results Found";
    const Row rows[] = {
        {"plain: a match only at the cursor is found", ab, {}, {{K::Hex, "41 42", ""}}, 1, 0, 1, {}},
        {"relative: a match only at the cursor is not", ab, {}, {{K::Hex, "41 42", "", true}}, 1, 0, 1, {none}},
        {"find again before any search does nothing", twice, {}, {}, 2, 1, 2, {}},
        {"empty text and a leading blank keep the last search", twice, {},
         {relative, {K::Hex, " 7", ""}, {K::Ascii, "", ""}}, 0, 1, 3, {}},
        {"the search outlives the document", twice, {9, 9, 5, 6}, {relative}, 0, 1, 2, {}},
        {"empty document: no results", {}, {}, {{K::Hex, "41", ""}, relative}, 0, 1, 0, {none, none, none}},
        {"a UTF-8 wild card no byte stands for", twice, {}, {{K::Table, "x", "\xE3\x81\xB2"}}, 0, 0, 0,
         {"The wild card \"\xE3\x81\xB2\" (U+3072) is no entry of the table, and no single byte has its code."}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t;
        t.setDocument(row.doc);
        t.ed.s.tableUtf8 = true;
        MoveCursor(t.ed, row.cursor);
        for (const FindForm& form : row.finds) cmdFind_Click(t.ed, form);
        if (!row.newDoc.empty()) t.setDocument(row.newDoc);
        for (int64_t k = 0; k < row.agains; ++k) mnuOption_Click(t.ed, kOptionFindAgain);
        EXPECT_EQ(t.ed.s.cursor(), row.landed);
        EXPECT_EQ(t.services.messages, row.messages);
    }
}

}  // namespace
}  // namespace tarpon
