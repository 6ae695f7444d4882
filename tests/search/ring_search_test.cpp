#include "search/ring_search.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "search/reference_scan.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;

// The first match as the generic scanner finds it; every vector scanner the machine has must agree.
int64_t find(const Bytes& doc, const Bytes& pat, int32_t w, int64_t cursor, bool relative) {
    const RingQuery q{doc.data(), static_cast<int64_t>(doc.size()), pat.data(), static_cast<int64_t>(pat.size()),
                      w, cursor, relative};
    const int64_t generic = findInRing(q, SearchIsa::Generic);
    for (const SearchIsa isa : {SearchIsa::Sse2, SearchIsa::Avx2})
        EXPECT_EQ(isaSupported(isa) ? findInRing(q, isa) : generic, generic) << "isa " << static_cast<int>(isa);
    return generic;
}

TEST(RingSearch, HandPickedCasesOnEveryInstructionSet) {
    struct Row {
        const char* name;
        Bytes doc, pat;
        int32_t w;
        int64_t cursor;
        bool relative;
        int64_t expected;
    };
    const Row rows[] = {
        {"next match after the cursor", {0x41, 0x42, 0x43, 0x41, 0x42}, {0x41, 0x42}, -1, 0, false, 3},
        {"round the end to the start", {0x41, 0x42, 0x43, 0x41, 0x42}, {0x41, 0x42}, -1, 3, false, 0},
        {"a match running round the end", {0x42, 0x00, 0x00, 0x41}, {0x41, 0x42}, -1, 1, false, 3},
        {"relative: 11 12 running round the end", {0x12, 0x41, 0x42, 0x11}, {0x41, 0x42}, -1, 1, true, 3},
        {"relative: 10 11 12 is a b c", {5, 10, 11, 12}, {97, 98, 99}, -1, 0, true, 1},
        {"relative: 240 9 is not a z", {240, 9, 10, 35}, {97, 122}, -1, 3, true, 2},
        {"relative: 00 7F is FF 80 only modulo 256", {0x00, 0x7F, 0x10}, {0xFF, 0x80}, -1, 2, true, -1},
        {"relative: one byte matches the next start", {9, 9, 9}, {7}, -1, 1, true, 2},
        {"relative with a wild card", {5, 0x99, 7, 0}, {0x41, '?', 0x43}, '?', 2, true, 0},
        {"wild card FF", {0x41, 0x00, 0x43}, {0x41, 0xFF, 0x43}, 0xFF, 2, false, 0},
        {"empty document", {}, {0x41}, -1, 0, false, -1},
        {"pattern longer than the ring", {0x41}, {0x41, 0x41, 0x41}, -1, 0, false, 0},
        {"no match, cursor far past the end", {1, 2, 3, 4}, {0x41, 0x42}, -1, 1000003, false, -1},
        {"cursor past the end counts modulo the size", {0x41, 0x42, 0x41}, {0x41}, -1, 1000003, false, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(find(row.doc, row.pat, row.w, row.cursor, row.relative), row.expected);
    }
    const uint8_t byte = 0x41;
    EXPECT_EQ(findInRing({&byte, 1, &byte, 0, -1, 0, false}), -1);  // an empty pattern finds nothing
}

// One pattern in filler that cannot match it, at the edges of the 16-, 32-, 64- and 128-start blocks,
// found from just before it (the first start scanned) and just after it (the last start round the ring).
TEST(RingSearch, SingleMatchAtVectorBlockEdges) {
    const Bytes pat = {0x10, 0x99, 0x20, 0x98}, shifted = {0x11, 0x9A, 0x21, 0x99};
    for (const size_t size : {size_t{200}, size_t{20000}})
        for (const size_t at : {size_t{0}, size_t{15}, size_t{32}, size_t{63}, size_t{64}, size_t{128}, size - 4,
                                size - 2}) {
            Bytes doc(size);
            for (size_t i = 0; i < size; ++i) doc[i] = static_cast<uint8_t>(0x10 + (i * i + i / 7) % 3);
            for (size_t k = 0; k < pat.size(); ++k) doc[(at + k) % size] = pat[k];
            for (const auto cursor : {static_cast<int64_t>(at + size - 1), static_cast<int64_t>(at + 1)}) {
                SCOPED_TRACE(testing::Message() << "size " << size << " at " << at << " cursor " << cursor);
                EXPECT_EQ(find(doc, pat, -1, cursor, false), static_cast<int64_t>(at));
                EXPECT_EQ(find(doc, shifted, -1, cursor, true), static_cast<int64_t>(at));
            }
        }
}

TEST(RingSearch, AgreesWithTheStraightScanOnSeededDocuments) {
    std::mt19937_64 rng(1);
    const auto pick = [&rng](uint64_t n) { return n == 0 ? uint64_t{0} : rng() % n; };
    for (int round = 0; round < 3000; ++round) {
        // A few neighbouring values (round 255 to 0 at times) make matches and failed candidates common.
        const auto low = static_cast<uint8_t>(pick(2) ? 0xFE : rng()), span = static_cast<uint8_t>(1 + pick(3));
        Bytes doc(pick(301)), pat(pick(8) == 0 ? doc.size() + 1 + pick(3) : 1 + pick(8));
        for (auto& b : doc) b = static_cast<uint8_t>(low + pick(span));
        // Often a piece of the document, sometimes longer than it; shifted for relative searches.
        const bool piece = !doc.empty() && pick(2), relative = pick(2);
        const size_t from = pick(doc.size());
        const int shift = relative ? static_cast<int>(pick(7)) - 3 : 0;
        for (size_t k = 0; k < pat.size(); ++k)
            pat[k] = static_cast<uint8_t>(shift + (piece ? doc[(from + k) % doc.size()] : low + pick(span)));
        const int32_t w = pick(3) == 0 ? pat[pick(pat.size())] : -1;
        const auto cursor = static_cast<int64_t>(pick(doc.size() + 40));
        const int64_t expected = test::referenceFind(doc.data(), static_cast<int64_t>(doc.size()), pat.data(),
                                                     static_cast<int64_t>(pat.size()), w, cursor, relative);
        SCOPED_TRACE(testing::Message() << "round " << round);
        ASSERT_EQ(find(doc, pat, w, cursor, relative), expected);
        ASSERT_FALSE(HasFailure());  // one report, not one a round
    }
}

}  // namespace
}  // namespace tarpon
