#include "core/byte_store.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tarpon {
namespace {

void fillPattern(ByteStore& s, size_t from) {
    for (size_t i = from; i < s.size(); ++i) s[i] = static_cast<uint8_t>(i * 7 + (i >> 13));
}

bool holdsPattern(const ByteStore& s) {
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i] != static_cast<uint8_t>(i * 7 + (i >> 13))) return false;
    return true;
}

// The storage moves between ordinary and huge-page blocks as it grows and shrinks;
// the bytes must survive every move, and large blocks start on a huge-page boundary.
TEST(ByteStore, KeepsItsBytesAcrossSmallAndLargeBlocks) {
    ByteStore s(1000);
    fillPattern(s, 0);
    const size_t steps[] = {kHugePageSize - 1, kHugePageSize, 3 * kHugePageSize + 12345, 9437183, 5000, 1};
    for (size_t size : steps) {
        const size_t old = s.size();
        s.resize(size);
        if (size > old) fillPattern(s, old);
        s.shrink_to_fit();
        ASSERT_EQ(s.size(), size);
        EXPECT_TRUE(holdsPattern(s)) << size;
        if (s.capacity() >= kHugePageSize) {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(s.data()) % kHugePageSize, 0u) << size;
        }
    }
}

TEST(ByteStore, MovedAndCopiedLargeStoresStayIntact) {
    ByteStore a(kHugePageSize + 17);
    fillPattern(a, 0);
    ByteStore b = a;
    ByteStore c = std::move(a);
    EXPECT_TRUE(holdsPattern(b));
    EXPECT_TRUE(holdsPattern(c));
    b.assign(3, 0);
    EXPECT_EQ(b.size(), 3u);
}

}  // namespace
}  // namespace tarpon
