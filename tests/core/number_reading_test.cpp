#include "core/number_reading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "core/rounding.h"

namespace tarpon {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max(), kMin64 = std::numeric_limits<int64_t>::min();

// Blanks anywhere are dropped; the prefix picks the radix; reading stops at the
// first character that does not fit, and yields 0 without digits.
TEST(NumberReading, PrefixesRadixesStopsAndExtremes) {
    const struct {
        std::string text;
        double value;
    } rows[] = {
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
    for (const auto& row : rows) EXPECT_DOUBLE_EQ(ReadNumber(row.text), row.value) << '"' << row.text << '"';
}

// Nearest, ties to even; a 32-bit result exists only in range, a 64-bit one is clamped.
TEST(NumberReading, RoundingAtTheEdgesOfEachRange) {
    const struct {
        double value;
        std::optional<int32_t> int32;
        int64_t int64;
    } rows[] = {
        {2.5, 2, 2},                                   {3.5, 4, 4},
        {-0.5, 0, 0},                                  {2.5000001, 3, 3},
        {2147483647.0, 2147483647, 2147483647},        {2147483647.5, std::nullopt, 2147483648},
        {-2147483648.0, -2147483647 - 1, -2147483648}, {-2147483648.5, -2147483647 - 1, -2147483648},
        {-2147483649.0, std::nullopt, -2147483649},    {9.1e18, std::nullopt, 9100000000000000000},
        {9.2e18, std::nullopt, kMax64},                {-9.2e18, std::nullopt, kMin64},
        {kInf, std::nullopt, kMax64},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(roundToInt32(row.value), row.int32) << row.value;
        EXPECT_EQ(roundToInt64(row.value), row.int64) << row.value;
    }
}

TEST(NumberReading, DigitAndHexLetterTests) {
    const struct {
        int code;
        bool digit, hexLetter;
    } rows[] = {
        {'0', true, false},  {'9', true, false},  {'/', false, false}, {':', false, false}, {'A', false, true},
        {'F', false, true},  {'a', false, true},  {'f', false, true},  {'@', false, false}, {'G', false, false},
        {'`', false, false}, {'g', false, false}, {0xC1, false, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(IsNotDigit(row.code), !row.digit) << row.code;
        EXPECT_EQ(IsNotHexLetter(row.code), !row.hexLetter) << row.code;
        EXPECT_EQ(IsHexDigitChar(row.code), row.digit || row.hexLetter) << row.code;
    }
}

}  // namespace
}  // namespace tarpon
