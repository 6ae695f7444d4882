#include "search/ring_search.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "search/reference_scan.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;

std::vector<SearchIsa> supportedIsas() {
    std::vector<SearchIsa> isas;
    for (SearchIsa isa : {SearchIsa::Generic, SearchIsa::Sse2, SearchIsa::Avx2})
        if (isaSupported(isa)) isas.push_back(isa);
    return isas;
}

const char* isaName(SearchIsa isa) {
    return isa == SearchIsa::Avx2 ? "avx2" : isa == SearchIsa::Sse2 ? "sse2" : "generic";
}

int64_t fast(const Bytes& doc, const Bytes& pat, int32_t w, int64_t cursor, bool relative, SearchIsa isa) {
    RingQuery q{doc.data(), static_cast<int64_t>(doc.size()), pat.data(), static_cast<int64_t>(pat.size()),
                w, cursor, relative};
    return findInRing(q, isa);
}

int64_t reference(const Bytes& doc, const Bytes& pat, int32_t w, int64_t cursor, bool relative) {
    return test::referenceFind(doc.data(), static_cast<int64_t>(doc.size()), pat.data(),
                               static_cast<int64_t>(pat.size()), w, cursor, relative);
}

TEST(RingSearch, AllInstructionSetsAgreeWithTheStraightScanOnHandPickedCases) {
    struct Case {
        Bytes doc, pat;
        int32_t w;
        int64_t cursor;
        bool relative;
        int64_t expected;
    };
    const std::vector<Case> cases = {
        {{0x41, 0x42, 0x43, 0x41, 0x42}, {0x41, 0x42}, -1, 0, false, 3},
        {{0x41, 0x42, 0x43, 0x41, 0x42}, {0x41, 0x42}, -1, 3, false, 0},
        {{0x42, 0x00, 0x00, 0x41}, {0x41, 0x42}, -1, 1, false, 3},        // runs round the end
        {{0x00, 0x41, 0x42, 0x00}, {0x41, 0x42}, -1, 1, false, 1},        // only at the cursor: last
        {{0x12, 0x41, 0x42, 0x11}, {0x41, 0x42}, -1, 1, true, 3},         // relative: 11 12 round the end
        {{0x00, 0x41, 0x42, 0x41}, {0x41, 0x43}, -1, 1, true, -1},        // only at the cursor: never
        {{5, 10, 11, 12}, {97, 98, 99}, -1, 0, true, 1},
        {{240, 9, 10, 35}, {97, 122}, -1, 3, true, 2},                    // 240,9 is not a, z
        {{240, 9}, {97, 122}, -1, 1, true, -1},
        {{0x41, 0xFF, 0x43}, {0x41, '?', 0x43}, '?', 2, false, 0},
        {{0x00, 0x7F, 0x10}, {0xFF, 0x80}, -1, 2, true, -1},              // 00 7F is FF 80 only mod 256
        {{0x01, 0x80, 0x10}, {0x00, 0x7F}, -1, 2, true, 0},
        {{9, 9, 9}, {7}, -1, 1, true, 2},                                 // one byte: the next start
        {{}, {0x41}, -1, 0, false, -1},
        {{0x41}, {0x41}, -1, 0, true, -1},
        {{0x41}, {0x41, 0x41, 0x41}, -1, 0, false, 0},                    // longer than the ring
        {{0x41, 0x42}, {0x42, 0x41, 0x42, 0x41, 0x43}, 0x43, 7, false, 1},
        {{1, 2, 3, 4}, {0x41, 0x42}, -1, 1000003, false, -1},
        {{0x41, 0x42, 0x41}, {0x41}, -1, 1000003, false, 2},              // 1000003 mod 3 = 1
    };
    for (SearchIsa isa : supportedIsas())
        for (size_t i = 0; i < cases.size(); ++i) {
            const Case& c = cases[i];
            SCOPED_TRACE(testing::Message() << isaName(isa) << " case " << i);
            EXPECT_EQ(reference(c.doc, c.pat, c.w, c.cursor, c.relative), c.expected);
            EXPECT_EQ(fast(c.doc, c.pat, c.w, c.cursor, c.relative, isa), c.expected);
        }
}

// Documents over small alphabets make matches and wrapping matches common.
Bytes randomBytes(std::mt19937_64& rng, size_t size, const Bytes& alphabet) {
    Bytes out(size);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    for (auto& b : out) b = alphabet[pick(rng)];
    return out;
}

Bytes randomAlphabet(std::mt19937_64& rng) {
    static const Bytes specials = {0x00, 0xFF, 0x41, 0x80, 0x7F, 0x01};
    const size_t n = std::uniform_int_distribution<size_t>(1, 4)(rng);
    Bytes alphabet;
    for (size_t i = 0; i < n; ++i)
        alphabet.push_back(rng() % 2 ? specials[rng() % specials.size()] : static_cast<uint8_t>(rng()));
    return alphabet;
}

// A pattern from the document (so that it often matches) or from the alphabet,
// shifted for relative searches, with wildcards in the awkward places.
Bytes randomPattern(std::mt19937_64& rng, const Bytes& doc, const Bytes& alphabet, int32_t& wildcard) {
    const size_t n = doc.size();
    size_t m = std::uniform_int_distribution<size_t>(1, 8)(rng);
    if (rng() % 8 == 0) m = n == 0 ? 1 : n + rng() % 3;  // m = n and m > n
    if (rng() % 8 == 0) m = 16 + rng() % 80;
    Bytes pat = randomBytes(rng, m, alphabet);
    if (n > 0 && rng() % 2)
        for (size_t k = 0, at = rng() % n; k < m; ++k) pat[k] = doc[(at + k) % n];
    if (rng() % 3 == 0) {
        const int shift = static_cast<int>(rng() % 7) - 3;
        for (auto& b : pat) b = static_cast<uint8_t>(b + shift);
    }
    wildcard = -1;
    switch (rng() % 6) {
    case 0: wildcard = pat[0]; break;
    case 1: wildcard = pat[m - 1]; break;
    case 2: wildcard = static_cast<uint8_t>(rng()); break;
    case 3:  // all but one byte
        wildcard = static_cast<uint8_t>(pat[0] + 1);
        for (size_t k = 0; k < m; ++k)
            if (k != m / 2) pat[k] = static_cast<uint8_t>(wildcard);
        break;
    default: break;
    }
    return pat;
}

void compareOnRandomCases(uint64_t seed, int rounds, size_t minSize, size_t maxSize) {
    std::mt19937_64 rng(seed);
    const auto isas = supportedIsas();
    for (int round = 0; round < rounds; ++round) {
        const Bytes alphabet = randomAlphabet(rng);
        const size_t size = std::uniform_int_distribution<size_t>(minSize, maxSize)(rng);
        const Bytes doc = randomBytes(rng, size, alphabet);
        for (int t = 0; t < 6; ++t) {
            int32_t w = -1;
            const Bytes pat = randomPattern(rng, doc, alphabet, w);
            const int64_t cursor = static_cast<int64_t>(rng() % (size + 40));
            const bool relative = rng() % 2;
            const int64_t expected = reference(doc, pat, w, cursor, relative);
            for (SearchIsa isa : isas)
                ASSERT_EQ(fast(doc, pat, w, cursor, relative, isa), expected)
                    << isaName(isa) << " seed " << seed << " round " << round << " size " << size
                    << " m " << pat.size() << " w " << w << " cursor " << cursor << " relative " << relative;
        }
    }
}

TEST(RingSearch, MatchesTheStraightScanOnSmallRandomDocuments) {
    for (uint64_t seed = 1; seed <= 20; ++seed) compareOnRandomCases(seed, 200, 0, 300);
}

TEST(RingSearch, MatchesTheStraightScanOnLargeRandomDocuments) {
    // Large enough for the vector loops and their tails, and for sampled counts.
    for (uint64_t seed = 100; seed < 103; ++seed) compareOnRandomCases(seed, 4, 16 * 1024, 64 * 1024);
}

TEST(RingSearch, SparseMatchesInLargeDocumentsAreFoundAtTheirExactPlace) {
    // Random data where the pattern lies once, at every alignment near the ends of the vector blocks.
    std::mt19937_64 rng(7);
    Bytes doc = randomBytes(rng, 20000, {0x10, 0x20, 0x30});
    const Bytes pat = {0x10, 0x99, 0x20, 0x98};
    const Bytes shifted = {0x11, 0x9A, 0x21, 0x99};
    for (size_t at : {size_t{0}, size_t{31}, size_t{32}, size_t{63}, size_t{64}, size_t{12345}, size_t{19996},
                      size_t{19998}}) {
        Bytes d = doc;
        for (size_t k = 0; k < pat.size(); ++k) d[(at + k) % d.size()] = pat[k];
        for (SearchIsa isa : supportedIsas()) {
            SCOPED_TRACE(testing::Message() << isaName(isa) << " at " << at);
            EXPECT_EQ(fast(d, pat, -1, static_cast<int64_t>(at), false, isa), static_cast<int64_t>(at));
            EXPECT_EQ(fast(d, shifted, -1, static_cast<int64_t>(at) + 1, true, isa), static_cast<int64_t>(at));
        }
    }
}

}  // namespace
}  // namespace tarpon
