#include "view/jump.h"

#include <gtest/gtest.h>

namespace tarpon {
namespace {

TEST(Jump, TargetsInEveryRadix) {
    struct Case {
        const char* text;
        Radix radix;
        bool relative;
        int64_t cursor, target;
    };
    const Case cases[] = {
        {"1F", Radix::Hex, false, 0, 31},       {"100", Radix::Dec, true, 50, 150},
        {"-100", Radix::Dec, true, 50, -50},    {"17", Radix::Oct, false, 0, 15},
        {"9", Radix::Oct, false, 7, 0},         {"-10", Radix::Hex, false, 0, 16},
        {"1 000", Radix::Dec, false, 0, 1000},  {"2.5", Radix::Dec, false, 0, 2},
        {"3.5", Radix::Dec, false, 0, 4},       {"", Radix::Hex, false, 99, 0},
        {"", Radix::Dec, true, 99, 99},         {"zz", Radix::Hex, true, 40, 40},
        {"7FFFFFFF", Radix::Hex, false, 0, 2147483647},
        {"0x200", Radix::Dec, false, 0, 0x200}, {"$1F", Radix::Oct, false, 0, 31},
        {"0X10", Radix::Hex, false, 0, 16},     {"-0x10", Radix::Dec, true, 100, 84},
        {"-$10", Radix::Dec, true, 100, 84},    {"10x", Radix::Dec, false, 0, 10},
    };
    for (const Case& c : cases) {
        const auto target = jumpTarget(c.text, c.radix, c.relative, c.cursor);
        ASSERT_TRUE(target.has_value()) << c.text;
        EXPECT_EQ(*target, c.target) << c.text;
    }
}

TEST(Jump, NumbersBeyondAnOffsetAreRefused) {
    EXPECT_FALSE(jumpTarget("80000000", Radix::Hex, false, 0));
    EXPECT_FALSE(jumpTarget("99999999999", Radix::Dec, false, 0));
    EXPECT_FALSE(jumpTarget("1e999", Radix::Dec, false, 0));
    EXPECT_FALSE(jumpTarget("7FFFFFFF", Radix::Hex, true, 1));
    EXPECT_TRUE(jumpTarget("7FFFFFFF", Radix::Hex, true, 0));
}

TEST(Jump, RadixFilterAndPrefixes) {
    EXPECT_EQ(filterForRadix("1A-2", Radix::Dec), "12");
    EXPECT_EQ(filterForRadix("1 F9-", Radix::Oct), "1 9");
    EXPECT_EQ(filterForRadix("1A-2", Radix::Hex), "1A-2");
    EXPECT_STREQ(jumpPrefix(Radix::Hex), "&h0");
    EXPECT_STREQ(jumpPrefix(Radix::Dec), "0");
    EXPECT_STREQ(jumpPrefix(Radix::Oct), "&o0");
}

}  // namespace
}  // namespace tarpon
