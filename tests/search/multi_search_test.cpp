#include "search/multi_search.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "search/reference_scan.h"
#include "search/ring_search.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr SearchIsa kIsas[] = {SearchIsa::Generic, SearchIsa::Sse2, SearchIsa::Avx2};

// The straight scan's answer: of the starts where one of `patterns` lies, the one tried first, the nth start
// tried being (cursor + n) or (cursor - n) round the ring; -1 when there is none.
int64_t nearestByStraightScan(const Bytes& doc, const std::vector<Bytes>& patterns, int32_t w, int64_t cursor,
                              bool backward) {
    const auto size = static_cast<int64_t>(doc.size());
    int64_t nearest = -1, distance = INT64_MAX;
    for (const Bytes& p : patterns) {
        if (p.empty()) continue;
        const int64_t at = test::referenceFind(doc.data(), size, p.data(), static_cast<int64_t>(p.size()), w, cursor,
                                               false, backward);
        if (at < 0) continue;
        const int64_t n = ((backward ? cursor - at : at - cursor) % size + size - 1) % size;
        if (n < distance) distance = n, nearest = at;
    }
    return nearest;
}

// findAnyInRing on every instruction set the machine has, each checked against `expected`.
void expectAnyInRing(const Bytes& doc, const std::vector<Bytes>& patterns, int32_t w, int64_t cursor,
                     bool backward, int64_t expected) {
    for (const SearchIsa isa : kIsas) {
        if (!isaSupported(isa)) continue;
        EXPECT_EQ(findAnyInRing(doc.data(), static_cast<int64_t>(doc.size()), patterns, w, cursor, backward, isa),
                  expected)
            << "isa " << static_cast<int>(isa) << (backward ? " backward" : " forward");
    }
}

// Several sequences at once, forward and backward, with a wild card now and then, on every instruction set;
// and Find's choice between them one by one and in one pass: the start the straight scan comes to first.
TEST(MultiSearch, AgreesWithTheStraightScan) {
    std::mt19937_64 rng(2);
    const auto pick = [&rng](uint64_t n) { return n == 0 ? uint64_t{0} : rng() % n; };
    for (int round = 0; round < 3000; ++round) {
        // Mostly three byte values, so that matches and passing prefixes are common; now and then 140
        // sequences of 16 values, too many different first bytes for the prefix filter. The values are
        // random bytes, which share a low or a high half now and then.
        const bool many = pick(20) == 0;
        std::vector<uint8_t> values(many ? 16 : 3);
        for (auto& v : values) v = static_cast<uint8_t>(pick(2) ? rng() : (pick(2) ? 0x40 : 0x04) * pick(3));
        const auto value = [&] { return values[pick(values.size())]; };
        Bytes doc(pick(many ? 600 : 300));
        for (auto& b : doc) b = value();
        std::vector<Bytes> patterns(many ? 140 : 1 + pick(pick(2) ? 5 : 12));
        for (Bytes& p : patterns) {
            p.resize(pick(8) == 0 ? doc.size() + 1 + pick(2) : 1 + pick(5));  // now and then longer than the document
            for (auto& b : p) b = value();
        }
        const auto cursor = static_cast<int64_t>(pick(doc.size() + 20));
        const int32_t w = pick(3) == 0 ? value() : -1;
        for (const bool backward : {false, true}) {
            SCOPED_TRACE(testing::Message() << "round " << round << (backward ? " backward" : ""));
            const int64_t expected = nearestByStraightScan(doc, patterns, w, cursor, backward);
            expectAnyInRing(doc, patterns, w, cursor, backward, expected);
            const std::vector<Bytes> others(patterns.begin() + 1, patterns.end());
            const RingQuery q{doc.data(), static_cast<int64_t>(doc.size()), patterns[0].data(),
                              static_cast<int64_t>(patterns[0].size()), w, cursor, false};
            EXPECT_EQ(findNearestSpelling(q, others, backward), expected) << "Find";
        }
        ASSERT_FALSE(HasFailure());  // one report, not one a round
    }
}

// One sequence of several in filler that matches none, at the edges of the 16- and 32-start blocks and at the
// end, where the sequence and then its first bytes run round to the start. Each is found first (from just
// before it) and last (from itself) in ring order, forward and backward.
TEST(MultiSearch, OneMatchAtBlockEdgesAndRoundTheEnd) {
    struct Row {
        const char* name;
        std::vector<Bytes> patterns;  // the first is planted, a wild card as 55
        int32_t wildcard = -1;
    };
    const Row rows[] = {
        {"three first bytes", {{0x10, 0x99, 0x20, 0x98}, {0x11, 0x99, 0x20}, {0x10, 0x98, 0x20, 0x20}}},
        {"a one-byte sequence among longer ones", {{0x97}, {0x10, 0x99, 0x20}, {0x98, 0x98}}},
        {"a wild card second", {{0x10, '?', 0x20, 0x98}, {0x11, 0x22}}, '?'},
        {"a wild card first", {{'?', 0x99, 0x20, 0x98}, {0x10, 0x98}}, '?'},
    };
    for (const Row& row : rows) {
        const Bytes& planted = row.patterns[0];
        for (const size_t size : {size_t{200}, size_t{2000}})
            for (const size_t at : {size_t{0}, size_t{15}, size_t{16}, size_t{31}, size_t{32}, size_t{100}, size - 5,
                                    size - 4, size - 3, size - 2, size - 1}) {
                Bytes doc(size);
                for (size_t i = 0; i < size; ++i) doc[i] = static_cast<uint8_t>(0x30 + (i * i + i / 7) % 3);
                for (size_t k = 0; k < planted.size(); ++k)
                    doc[(at + k) % size] = planted[k] == row.wildcard ? 0x55 : planted[k];
                const auto first = static_cast<int64_t>(at + size - 1), forwardLast = static_cast<int64_t>(at);
                for (const auto& [cursor, backward] : {std::pair{first, false}, std::pair{forwardLast, false},
                                                       std::pair{static_cast<int64_t>(at + 1), true},
                                                       std::pair{static_cast<int64_t>(at), true}}) {
                    SCOPED_TRACE(testing::Message() << row.name << ", size " << size << " at " << at << " cursor "
                                                    << cursor);
                    expectAnyInRing(doc, row.patterns, row.wildcard, cursor, backward, static_cast<int64_t>(at));
                }
            }
    }
}

}  // namespace
}  // namespace tarpon
