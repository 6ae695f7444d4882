#include "core/text_coding.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarpon {
namespace {

TEST(TextCoding, Utf8SequencesAndLatin1) {
    struct Row {
        const char* name;
        std::string text;
        bool valid;
        std::optional<std::string> latin1;  // nothing: refused
        char32_t refused = 0;
    };
    const std::vector<Row> rows = {
        {"ASCII", "abc", true, "abc"},
        {"lowest two-byte", "\xC2\x80", true, "\x80"},
        {"two bytes", "\xC3\xA9", true, "\xE9"},
        {"highest two-byte Latin-1", "\xC3\xBF", true, "\xFF"},
        {"first beyond Latin-1", "\xC4\x80", true, std::nullopt, 0x100},
        {"lowest three-byte", "\xE0\xA0\x80", true, std::nullopt, 0x800},
        {"three bytes", "a\xE3\x81\x82", true, std::nullopt, 0x3042},
        {"four bytes", "\xF0\x9F\x98\x80", true, std::nullopt, 0x1F600},
        {"highest code point", "\xF4\x8F\xBF\xBF", true, std::nullopt, 0x10FFFF},
        {"overlong two bytes", "\xC0\xAF", false, std::nullopt, 0xFFFD},
        {"overlong three bytes", "\xE0\x80\xAF", false, std::nullopt, 0xFFFD},
        {"surrogate", "\xED\xA0\x80", false, std::nullopt, 0xFFFD},
        {"past U+10FFFF", "\xF4\x90\x80\x80", false, std::nullopt, 0xFFFD},
        {"cut short", "\xE3\x81", false, std::nullopt, 0xFFFD},
        {"stray continuation", "\x80", false, std::nullopt, 0xFFFD},
        {"empty", "", true, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(isValidUtf8(row.text), row.valid);
        char32_t refused = 0;
        EXPECT_EQ(latin1FromUtf8(row.text, &refused), row.latin1);
        EXPECT_EQ(refused, row.refused);
    }
}

// A character named in a message: quoted as itself only when drawing it shows it
// and does not move or hide the text around it.
TEST(TextCoding, CharactersNamedForMessages) {
    const struct {
        char32_t codePoint;
        const char* named;
    } rows[] = {
        {0x20, "\" \" (U+0020)"},                     {0x7FF, "\"\xDF\xBF\" (U+07FF)"},
        {0x800, "\"\xE0\xA0\x80\" (U+0800)"},         {0x3042, "\"\xE3\x81\x82\" (U+3042)"},
        {0x1F600, "\"\xF0\x9F\x98\x80\" (U+1F600)"},  {0xA0, "\"\xC2\xA0\" (U+00A0)"},
        {0x1F, "(U+001F)"},   {0x7F, "(U+007F)"},   {0x9F, "(U+009F)"},   {0x2028, "(U+2028)"},
        {0x2029, "(U+2029)"}, {0xFEFF, "(U+FEFF)"}, {0x200B, "(U+200B)"}, {0x200F, "(U+200F)"},
        {0x202A, "(U+202A)"}, {0x202E, "(U+202E)"}, {0x2066, "(U+2066)"}, {0x2069, "(U+2069)"},
    };
    for (const auto& row : rows) EXPECT_EQ(describeCharacter(row.codePoint), row.named);
}

}  // namespace
}  // namespace tarpon
