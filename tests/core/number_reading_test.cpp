#include "core/number_reading.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/rounding.h"

namespace tarpon {
namespace {

struct Case {
    const char* text;
    double value;
};

TEST(NumberReading, PrefixesRadixesAndStops) {
    const Case cases[] = {
        {"&h0", 0},         {"&h0ff", 255},        {"&h0FFFF", 65535},     {"&hFFFFFFFF", 4294967295.0},
        {"&H1f", 31},       {"&h1 F", 31},         {"&h004G", 4},          {"&h00  ", 0},
        {"&o017", 15},      {"&o09", 0},           {"&O377", 255},         {"&o18", 1},
        {"02.5", 2.5},      {"01e3", 1000},        {"1 000", 1000},        {"012ab", 12},
        {"0-5", 0},         {"-5", -5},            {"+7", 7},              {"", 0},
        {"abc", 0},         {"1.5e-1", 0.15},      {"1e", 1},              {"1e+", 1},
        {"\t1\n2", 12},     {".5", 0.5},           {"3.", 3},              {"7E2x", 700},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(ReadNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(NumberReading, ExtremesStayFiniteOrAreRefusedByCallers) {
    EXPECT_TRUE(std::isinf(ReadNumber("1e999")));
    EXPECT_EQ(ReadNumber("1e-999"), 0);
    EXPECT_FALSE(roundToInt32(ReadNumber("99999999999")).has_value());
    EXPECT_FALSE(roundToInt32(ReadNumber("1e999")).has_value());
    EXPECT_EQ(roundToInt32(ReadNumber("2147483647")), 2147483647);
}

TEST(NumberReading, RoundsHalfToEven) {
    EXPECT_EQ(roundToInt32(ReadNumber("02.5")), 2);
    EXPECT_EQ(roundToInt32(ReadNumber("03.5")), 4);
    EXPECT_EQ(roundToInt32(-0.5), 0);
    EXPECT_EQ(roundToInt64(2.5000001), 3);
}

TEST(NumberReading, DigitTests) {
    EXPECT_FALSE(IsNotDigit('5'));
    EXPECT_TRUE(IsNotDigit('a'));
    EXPECT_TRUE(IsNotDigit('/'));
    EXPECT_TRUE(IsNotDigit(':'));
    EXPECT_FALSE(IsNotHexLetter('c'));
    EXPECT_FALSE(IsNotHexLetter('C'));
    EXPECT_TRUE(IsNotHexLetter('g'));
    EXPECT_TRUE(IsNotHexLetter('5'));
    EXPECT_TRUE(IsNotHexLetter('@'));
    EXPECT_TRUE(IsNotHexLetter('`'));
    EXPECT_TRUE(IsNotHexLetter(0xC1));
}

}  // namespace
}  // namespace tarpon
