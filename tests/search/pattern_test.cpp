#include "search/pattern.h"

#include <gtest/gtest.h>

#include <optional>

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;

struct PatternCase {
    PatternKind kind;
    std::string text, wildcard;
    Bytes pattern;
    int32_t expectedWildcard;
};

TEST(BuildPattern, ReadsTextAndNumberListsWithTheirWildcards) {
    const std::vector<PatternCase> cases = {
        {PatternKind::Ascii, "AB", "", {0x41, 0x42}, -1},
        {PatternKind::Ascii, "A?C", "?x", {0x41, '?', 0x43}, '?'},  // first character only
        {PatternKind::Ascii, "\xE9\xFF", "", {0xE9, 0xFF}, -1},      // bytes, never signed chars
        {PatternKind::Hex, "41 42", "", {0x41, 0x42}, -1},
        {PatternKind::Dec, "65 66", "", {0x41, 0x42}, -1},
        {PatternKind::Oct, "101 102", "", {0x41, 0x42}, -1},
        {PatternKind::Dec, "300 256", "", {44, 0}, -1},
        {PatternKind::Hex, "1FF", "", {0xFF}, -1},
        {PatternKind::Hex, "123456789ABCDEF0123456789A", "", {0x9A}, -1},  // low bits of a long number
        {PatternKind::Oct, "7777777777777777777777777", "", {0xFF}, -1},
        {PatternKind::Hex, "41  42", "", {0x41}, -1},               // two blanks end the list
        {PatternKind::Hex, "41 42 ", "", {0x41, 0x42}, -1},         // a trailing blank is ignored
        {PatternKind::Hex, "4G zz", "", {0x04, 0x00}, -1},          // reading stops at a non-digit
        {PatternKind::Dec, "65.5 66.5 1e3", "", {66, 66, 232}, -1},  // ties to even
        {PatternKind::Dec, "-5", "", {0}, -1},                      // the prefix "0" reads "0-5" as 0
        {PatternKind::Hex, "41", "FF", {0x41}, 255},
        {PatternKind::Hex, "41", "100", {0x41}, -1},                // 256: no wildcard
        {PatternKind::Dec, "41", "99999999999999999999999", {41}, -1},
        {PatternKind::Dec, "41", "0", {41}, 0},
        {PatternKind::Oct, "41", "377", {33}, 255},
    };
    const CharTable noTable{};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " / " + c.wildcard);
        const auto r = buildPattern(c.kind, c.text, c.wildcard, noTable);
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(r->pattern, c.pattern);
        EXPECT_EQ(r->wildcard, c.expectedWildcard);
    }
}

TEST(BuildPattern, NothingToSearchForGivesNothing) {
    const CharTable noTable{};
    EXPECT_FALSE(buildPattern(PatternKind::Ascii, "", "?", noTable));
    EXPECT_FALSE(buildPattern(PatternKind::Hex, "", "", noTable));
    EXPECT_FALSE(buildPattern(PatternKind::Hex, " 41 42", "", noTable));
    EXPECT_FALSE(buildPattern(PatternKind::Dec, " ", "", noTable));
    EXPECT_TRUE(buildPattern(PatternKind::Ascii, " ", "", noTable));  // a blank is text like any other
}

TEST(BuildPattern, TableLettersBecomeTheCodesOfTheFirstEntryStartingWithThem) {
    CharTable table{};
    const std::pair<int, std::string> entries[] = {
        {0x10, "th"},  // a multi-letter entry counts by its first letter
        {0x20, "t"},   // later: not used for 't'
        {0x30, "e"}, {0x31, "e"}, {0x40, "*"},
        {0x50, "?!"},  // starts with '?' but is not '?' alone
    };
    for (const auto& [code, letters] : entries) table[static_cast<size_t>(code)] = letters;
    auto r = buildPattern(PatternKind::Table, "tex", "*", table);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->pattern, (Bytes{0x10, 0x30, 0x00}));  // x has no entry: 0
    EXPECT_EQ(r->wildcard, 0x40);

    // No entry is "?" alone: the wildcard is '?' itself, while '?' in the text becomes 0x50.
    r = buildPattern(PatternKind::Table, "e?", "?", table);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->pattern, (Bytes{0x30, 0x50}));
    EXPECT_EQ(r->wildcard, '?');
}

// With a UTF-8 table, the text is spelled with the entries, longest first.
TEST(BuildPattern, Utf8TableSpellsTheTextWithItsEntries) {
    CharTable table{};
    const std::pair<int, std::string> entries[] = {
        {0x10, "\xE3\x81\x82"},                // あ
        {0x20, "\xE3\x81\x82\xE3\x81\x84"},  // あい
        {0x30, "\xC3\xA9"},                     // é
        {0x40, "*"},
        {0x50, "\xE9"},                          // not UTF-8: found by its byte
        {0x60, "\xE6\x97\xA5\xE6\x9C\xAC"},  // 日本
    };
    for (const auto& [code, letters] : entries) table[static_cast<size_t>(code)] = letters;
    struct Case {
        const char* name;
        bool utf8;
        std::string text, wildcard;
        std::optional<Bytes> pattern;
        int32_t wildcardByte = -1;
    };
    const std::vector<Case> cases = {
        {"two characters", true, "\xE3\x81\x82\xC3\xA9", "", Bytes{0x10, 0x30}},
        {"longest entry first", true, "\xC3\xA9\xE3\x81\x82\xE3\x81\x84", "", Bytes{0x30, 0x20}},
        {"no entry fits: the first starting with the character", true, "\xE6\x97\xA5", "", Bytes{0x60}},
        {"no entry: 0", true, "\xE3\x81\x84x", "", Bytes{0x00, 0x00}},
        {"a stray byte is one character", true, "\xE9*", "", Bytes{0x50, 0x40}},
        {"wild card that is an entry", true, "*", "\xE3\x81\x82", Bytes{0x40}, 0x10},
        {"wild card below U+0100: its code", true, "*", "\xC3\xBC", Bytes{0x40}, 0xFC},
        {"wild card no byte can stand for", true, "*", "\xE3\x81\xB2", std::nullopt},
        {"Latin-1 table: a byte a character", false, "\xC3\xA9", "\xC3\xA9", Bytes{0x30, 0x00}, 0xC3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string problem;
        const auto r = buildPattern(PatternKind::Table, c.text, c.wildcard, table, c.utf8, &problem);
        ASSERT_EQ(r.has_value(), c.pattern.has_value());
        if (!r) {
            EXPECT_NE(problem.find("U+3072"), std::string::npos) << problem;
            continue;
        }
        EXPECT_EQ(r->pattern, *c.pattern);
        EXPECT_EQ(r->wildcard, c.wildcardByte);
        // An Ascii search never reads its text as UTF-8.
        EXPECT_EQ(buildPattern(PatternKind::Ascii, c.text, "", table, c.utf8)->pattern.size(), c.text.size());
    }
}

}  // namespace
}  // namespace tarpon
