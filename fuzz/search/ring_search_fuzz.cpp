// libFuzzer target for the search routines: every scanner this machine runs
// (generic, SSE2, AVX2) must find what the straight scan finds, plain and
// relative, with and without a wildcard, from any cursor.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "search/reference_scan.h"
#include "search/ring_search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarpon;
    FuzzedDataProvider in(data, size);
    const bool relative = in.ConsumeBool();
    // A small alphabet makes partial matches, and so the scanners' hard cases, common.
    const int alphabet = in.ConsumeIntegralInRange(1, 256);
    const int32_t wildcard = in.ConsumeBool() ? in.ConsumeIntegral<uint8_t>() % alphabet : -1;
    const int64_t cursor = in.ConsumeIntegralInRange<int64_t>(0, int64_t{1} << 40);
    // Exact-size copies, so that a scanner reading past either end is caught.
    std::vector<uint8_t> pattern = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange(1, 40));
    if (pattern.empty()) return 0;
    std::vector<uint8_t> doc = in.ConsumeRemainingBytes<uint8_t>();
    for (uint8_t& b : pattern) b = static_cast<uint8_t>(b % alphabet);
    for (uint8_t& b : doc) b = static_cast<uint8_t>(b % alphabet);
    const RingQuery q{doc.data(), std::ssize(doc), pattern.data(), std::ssize(pattern), wildcard, cursor, relative};
    const int64_t expected = test::referenceFind(q.data, q.size, q.pattern, q.length, wildcard, cursor, relative);
    for (SearchIsa isa : {SearchIsa::Generic, SearchIsa::Sse2, SearchIsa::Avx2})
        if (isaSupported(isa) && findInRing(q, isa) != expected) std::abort();
    if (findInRing(q) != expected) std::abort();
    return 0;
}
