#include "core/text_coding.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarpon {
namespace {

TEST(TextCoding, Utf8SequencesAndLatin1) {
    struct Case {
        const char* name;
        std::string text;
        bool valid;
        std::optional<std::string> latin1;  // nothing: refused
        char32_t refused = 0;
    };
    const std::vector<Case> cases = {
        {"ASCII", "abc", true, "abc"},
        {"two bytes", "\xC3\xA9", true, "\xE9"},
        {"highest two-byte Latin-1", "\xC3\xBF", true, "\xFF"},
        {"first beyond Latin-1", "\xC4\x80", true, std::nullopt, 0x100},
        {"three bytes", "a\xE3\x81\x82", true, std::nullopt, 0x3042},
        {"four bytes", "\xF0\x9F\x98\x80", true, std::nullopt, 0x1F600},
        {"overlong two bytes", "\xC0\xAF", false, std::nullopt, 0xFFFD},
        {"overlong three bytes", "\xE0\x80\xAF", false, std::nullopt, 0xFFFD},
        {"surrogate", "\xED\xA0\x80", false, std::nullopt, 0xFFFD},
        {"past U+10FFFF", "\xF4\x90\x80\x80", false, std::nullopt, 0xFFFD},
        {"cut short", "\xE3\x81", false, std::nullopt, 0xFFFD},
        {"stray continuation", "\x81", false, std::nullopt, 0xFFFD},
        {"empty", "", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isValidUtf8(c.text), c.valid);
        char32_t refused = 0;
        EXPECT_EQ(latin1FromUtf8(c.text, &refused), c.latin1);
        EXPECT_EQ(refused, c.refused);
    }
    EXPECT_EQ(utf8Of(0x3042), "\xE3\x81\x82");
    EXPECT_EQ(utf8Of(0x7FF), "\xDF\xBF");
    EXPECT_EQ(utf8Of(0x800), "\xE0\xA0\x80");
    EXPECT_EQ(utf8Of(0x1F600), "\xF0\x9F\x98\x80");
    EXPECT_EQ(describeCharacter(0x3042), "\"\xE3\x81\x82\" (U+3042)");
    EXPECT_EQ(describeCharacter(0x202E), "(U+202E)");  // would turn the message round
}

}  // namespace
}  // namespace tarpon
