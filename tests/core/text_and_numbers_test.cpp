// Reading numbers typed by the user, rounding them, and the UTF-8 text of names and messages.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <tuple>

#include "core/number_reading.h"
#include "core/plain_number.h"
#include "core/rounding.h"
#include "core/text_coding.h"
#include "core/text_encoding.h"

namespace tarpon {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max(), kMin64 = std::numeric_limits<int64_t>::min();

// Blanks anywhere are dropped; the prefix picks the radix; reading stops at the
// first character that does not fit, and yields 0 without digits.
TEST(NumberReading, PrefixesRadixesStopsAndExtremes) {
    const std::pair<std::string, double> rows[] = {  // text -> value
        {"&h0", 0},          {"&h0ff", 255},       {"&h0FFFF", 65535},   {"&hFFFFFFFF", 4294967295.0},
        {"&H1f", 31},        {"&h1 F", 31},        {"&h004G", 4},        {"&h00  ", 0},
        {"&o017", 15},       {"&o09", 0},          {"&O377", 255},       {"&o18", 1},
        {"5h7", 5},          {"5o7", 5},           {"02.5", 2.5},        {"01e3", 1000},
        {"1 000", 1000},     {"012ab", 12},        {"0-5", 0},           {"-5", -5},
        {"+7", 7},           {"", 0},              {"abc", 0},           {"1.5e-1", 0.15},
        {"1e", 1},           {"1e+", 1},           {"\t1\n2", 12},       {".5", 0.5},
        {"3.", 3},           {"7E2x", 700},        {"99.9", 99.9},       {"1e999", kInf},
        {"-1e999", -kInf},   {"1e-999", 0},        {"1" + std::string(400, '0') + "e-x", kInf},
    };
    for (const auto& [text, value] : rows) EXPECT_DOUBLE_EQ(ReadNumber(text), value) << '"' << text << '"';
}

// Nearest, ties to even; a 32-bit result exists only in range, a 64-bit one is clamped.
// Numbers of build scripts: hexadecimal after 0x or $, decimal otherwise, a leading minus; nothing else.
TEST(NumberReading, PlainNumbers) {
    const std::pair<const char*, std::optional<int64_t>> rows[] = {
        {"0x1F", 31}, {"$c000", 0xC000}, {"-0x10", -16}, {"12", 12}, {"-7", -7}, {"281474976710656", int64_t{1} << 48},
        {"281474976710657", std::nullopt}, {"", std::nullopt}, {"0x", std::nullopt}, {"-", std::nullopt},
        {"1g", std::nullopt}, {"$-1", std::nullopt}, {"12 ", std::nullopt}, {"0b1", std::nullopt}};
    for (const auto& [text, value] : rows) EXPECT_EQ(readPlainNumber(text), value) << text;
}

TEST(NumberReading, RoundingAtTheEdgesOfEachRange) {
    const std::tuple<double, std::optional<int32_t>, int64_t> rows[] = {  // value -> 32-bit, 64-bit
        {2.5, 2, 2},                                   {3.5, 4, 4},
        {-0.5, 0, 0},                                  {2.5000001, 3, 3},
        {2147483647.0, 2147483647, 2147483647},        {2147483647.5, std::nullopt, 2147483648},
        {-2147483648.0, -2147483647 - 1, -2147483648}, {-2147483648.5, -2147483647 - 1, -2147483648},
        {-2147483649.0, std::nullopt, -2147483649},    {9.1e18, std::nullopt, 9100000000000000000},
        {9.2e18, std::nullopt, kMax64},                {-9.2e18, std::nullopt, kMin64},
        {kInf, std::nullopt, kMax64},
    };
    for (const auto& [value, int32, int64] : rows)
        EXPECT_EQ(std::pair(roundToInt32(value), roundToInt64(value)), std::pair(int32, int64)) << value;
}

// Which character codes are digits and hex letters, at each edge of each range.
TEST(NumberReading, DigitAndHexLetterClasses) {
    for (const int code : {'0', '9'})
        EXPECT_TRUE(!IsNotDigit(code) && IsNotHexLetter(code) && IsHexDigitChar(code)) << code;
    for (const int code : {'A', 'F', 'a', 'f'})
        EXPECT_TRUE(IsNotDigit(code) && !IsNotHexLetter(code) && IsHexDigitChar(code)) << code;
    for (const int code : {'/', ':', '@', 'G', '`', 'g', '\0'})
        EXPECT_TRUE(IsNotDigit(code) && IsNotHexLetter(code) && !IsHexDigitChar(code)) << code;
}

// Text -> whether it is valid UTF-8, its Latin-1 bytes (nothing: refused) and the first character refused.
TEST(TextCoding, Utf8SequencesAndLatin1) {
    const std::tuple<const char*, std::string, bool, std::optional<std::string>, char32_t> rows[] = {
        {"ASCII", "abc", true, "abc", 0},
        {"lowest two-byte", "\xC2\x80", true, "\x80", 0},
        {"highest two-byte Latin-1", "\xC3\xBF", true, "\xFF", 0},
        {"first beyond Latin-1", "\xC4\x80", true, std::nullopt, 0x100},
        {"lowest three-byte", "\xE0\xA0\x80", true, std::nullopt, 0x800},
        {"four bytes", "\xF0\x9F\x98\x80", true, std::nullopt, 0x1F600},
        {"highest code point", "\xF4\x8F\xBF\xBF", true, std::nullopt, 0x10FFFF},
        {"overlong two bytes", "\xC0\xAF", false, std::nullopt, 0xFFFD},
        {"overlong three bytes", "\xE0\x80\xAF", false, std::nullopt, 0xFFFD},
        {"surrogate", "\xED\xA0\x80", false, std::nullopt, 0xFFFD},
        {"past U+10FFFF", "\xF4\x90\x80\x80", false, std::nullopt, 0xFFFD},
        {"cut short", "\xE3\x81", false, std::nullopt, 0xFFFD},
        {"stray continuation", "\x80", false, std::nullopt, 0xFFFD},
        {"empty", "", true, "", 0},
    };
    for (const auto& [name, text, valid, latin1, firstRefused] : rows) {
        char32_t refused = 0;
        EXPECT_EQ(std::tuple(isValidUtf8(text), latin1FromUtf8(text, &refused), refused),
                  std::tuple(valid, latin1, firstRefused)) << name;
    }
}

std::string times(std::string_view text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += text;
    return out;
}

// Bytes in an encoding -> their UTF-8, or nothing: long texts cross the converter's
// blocks, and ASCII runs of eight meet the letters around them at every offset.
TEST(TextEncoding, DecodesWholeTexts) {
    using E = TextEncoding;
    const std::tuple<const char*, std::string, E, std::optional<std::string>> rows[] = {
        {"Shift-JIS lines past a block", times("41=\x82\xA0\r\n", 1500), E::ShiftJis,
         times("41=\xE3\x81\x82\r\n", 1500)},
        {"ASCII runs of every length between kana", [] {
             std::string bytes;
             for (int run = 0; run < 20; ++run) bytes += std::string(static_cast<size_t>(run), 'a') + "\xB1";
             return bytes;
         }(),
         E::ShiftJis, [] {
             std::string text;
             for (int run = 0; run < 20; ++run) text += std::string(static_cast<size_t>(run), 'a') + "\xEF\xBD\xB1";
             return text;
         }()},
        {"a letter just past a block of ASCII", std::string(4100, 'a') + "\xE9", E::Latin1,
         std::string(4100, 'a') + "\xC3\xA9"},
        {"Windows-1252 euro sign", "\x80", E::Windows1252, "\xE2\x82\xAC"},
        {"UTF-16 outside the first plane", std::string("\x42\xD8\x9F\xDF", 4), E::Utf16Le, "\xF0\xA0\xAE\x9F"},
        {"UTF-16 BE two-byte and ASCII", std::string("\x00\xE9\x00\x41", 4), E::Utf16Be, "\xC3\xA9" "A"},
        {"UTF-16 lone surrogate", std::string("\x42\xD8\x41\x00", 4), E::Utf16Le, std::nullopt},
        {"UTF-16 odd byte at the end", std::string("\x41\x00\x42", 3), E::Utf16Le, std::nullopt},
        {"Shift-JIS lead byte cut short", "ab\x82", E::ShiftJis, std::nullopt},
        {"nothing", "", E::ShiftJis, ""},
    };
    for (const auto& [name, bytes, encoding, text] : rows) EXPECT_EQ(decodeText(bytes, encoding), text) << name;
}

// A character named in a message: quoted as itself only when drawing it shows it
// and does not move or hide the text around it.
TEST(TextCoding, CharactersNamedForMessages) {
    const std::pair<char32_t, const char*> rows[] = {  // code point -> how a message names it
        {0x20, "\" \" (U+0020)"},                     {0x7FF, "\"\xDF\xBF\" (U+07FF)"},
        {0x800, "\"\xE0\xA0\x80\" (U+0800)"},         {0x3042, "\"\xE3\x81\x82\" (U+3042)"},
        {0x1F600, "\"\xF0\x9F\x98\x80\" (U+1F600)"},  {0xA0, "\"\xC2\xA0\" (U+00A0)"},
        {0x1F, "(U+001F)"},   {0x7F, "(U+007F)"},   {0x9F, "(U+009F)"},   {0x2028, "(U+2028)"},
        {0x2029, "(U+2029)"}, {0xFEFF, "(U+FEFF)"}, {0x200B, "(U+200B)"}, {0x200F, "(U+200F)"},
        {0x202A, "(U+202A)"}, {0x202E, "(U+202E)"}, {0x2066, "(U+2066)"}, {0x2069, "(U+2069)"},
    };
    for (const auto& [codePoint, named] : rows) EXPECT_EQ(describeCharacter(codePoint), named);
}

}  // namespace
}  // namespace tarpon
