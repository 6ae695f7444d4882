#include "core/number_text.h"

#include <gtest/gtest.h>

namespace tarpon {
namespace {

TEST(PadNumber, HexDecimalAndWidth) {
    EXPECT_EQ(PadNumber(255, true, 8), "000000FF");
    EXPECT_EQ(PadNumber(255, false, 10), "0000000255");
    EXPECT_EQ(PadNumber(10, true, 2), "0A");
    EXPECT_EQ(PadNumber(10, false, 2), "10");
    EXPECT_EQ(PadNumber(-1, true, 2), "FFFFFFFF");
    EXPECT_EQ(PadNumber(123456, false, 2), "123456");
}

}  // namespace
}  // namespace tarpon
