// Search speed on documents of the largest size the editor loads, against a
// plain read of the buffer, glibc memmem and the straight scan.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstring>
#if defined(__x86_64__)
#include <immintrin.h>
#endif
#include <map>
#include <random>
#include <string>
#include <vector>

#include "search/reference_scan.h"
#include "search/ring_search.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr int64_t kSize = 9437183;

enum class Doc { Random, Text, Zeros, Letters };
enum class Kind { Plain, Wildcard, Relative };
constexpr std::array<Doc, 4> kDocs = {Doc::Random, Doc::Text, Doc::Zeros, Doc::Letters};
constexpr std::array<int64_t, 4> kLengths = {1, 4, 16, 64};

const char* docName(Doc d) {
    switch (d) {
    case Doc::Random: return "random";
    case Doc::Text: return "text";
    case Doc::Zeros: return "zeros";
    case Doc::Letters: return "0x41";
    }
    return "";
}

const char* kindName(Kind k) { return k == Kind::Plain ? "plain" : k == Kind::Wildcard ? "wildcard" : "relative"; }

Bytes makeDocument(Doc d) {
    Bytes out(static_cast<size_t>(kSize));
    std::mt19937_64 rng(42);
    if (d == Doc::Random)  // 0xFF left out, so that a one-byte pattern can be absent
        for (auto& b : out) b = static_cast<uint8_t>(rng() % 255);
    if (d == Doc::Letters) std::memset(out.data(), 0x41, out.size());
    if (d == Doc::Text) {
        static const char* kWords[] = {"the", "of", "and", "to", "in", "a", "is", "that", "for", "it",
                                       "as", "was", "with", "be", "by", "on", "not", "he", "this", "are",
                                       "or", "his", "from", "at", "which", "but", "have", "an", "had",
                                       "they", "you", "were", "their", "one", "all", "we", "can", "her",
                                       "has", "there", "been", "if", "more", "when", "will", "would",
                                       "who", "so", "no", "sword", "castle", "dragon", "village", "King"};
        size_t i = 0;
        while (i < out.size()) {
            std::string w = kWords[rng() % std::size(kWords)];
            w += rng() % 12 == 0 ? ". " : rng() % 40 == 0 ? "\r\n" : " ";
            for (char c : w)
                if (i < out.size()) out[i++] = static_cast<uint8_t>(c);
        }
    }
    return out;
}

const Bytes& document(Doc d) {
    static std::map<Doc, Bytes> docs;
    auto it = docs.find(d);
    if (it == docs.end()) it = docs.emplace(d, makeDocument(d)).first;
    return it->second;
}

// One benchmark case: a pattern absent from the document (for every kind), and
// a copy of the document holding it once, where the searches find it last.
struct Case {
    Bytes pattern, shifted;    // shifted: the pattern moved by one, for relative search
    int32_t wildcard = -1;     // a value outside the pattern, at its last byte when m >= 4
    Bytes withMatch;           // the document with the pattern at `matchAt`
    int64_t matchAt = 0;
};

int64_t search(const Bytes& doc, const Bytes& pat, int32_t w, int64_t cursor, bool relative) {
    return findInRing({doc.data(), static_cast<int64_t>(doc.size()), pat.data(), static_cast<int64_t>(pat.size()),
                       w, cursor, relative});
}

Bytes withWildcard(const Case& c) {
    Bytes p = c.pattern;
    if (p.size() >= 4) p.back() = static_cast<uint8_t>(c.wildcard);
    return p;
}

bool absentEverywhere(const Bytes& doc, const Case& c) {
    const int64_t cursor = kSize / 2;
    return search(doc, c.pattern, -1, cursor, false) < 0 && search(doc, withWildcard(c), c.wildcard, cursor, false) < 0 &&
           (c.pattern.size() < 2 || search(doc, c.shifted, -1, cursor, true) < 0);
}

Case makeCase(Doc d, int64_t m) {
    const Bytes& doc = document(d);
    std::mt19937_64 rng(static_cast<uint64_t>(m) * 7 + static_cast<uint64_t>(d));
    static const uint8_t kOdd[] = {0xFF, '#', 0x01, 0x42};  // one value each document lacks
    Case c;
    for (int attempt = 0;; ++attempt) {
        const size_t at = rng() % (doc.size() - static_cast<size_t>(m));
        c.pattern.assign(doc.begin() + static_cast<ptrdiff_t>(at), doc.begin() + static_cast<ptrdiff_t>(at + m));
        const size_t changed = m >= 2 ? static_cast<size_t>(m - 2) : 0;
        c.pattern[changed] = attempt < 20 && d != Doc::Zeros && d != Doc::Letters
                                 ? static_cast<uint8_t>(c.pattern[changed] + 1 + rng() % 20)
                                 : kOdd[static_cast<int>(d)];
        c.shifted = c.pattern;
        const bool up = *std::max_element(c.pattern.begin(), c.pattern.end()) < 255;
        for (auto& b : c.shifted) b = static_cast<uint8_t>(up ? b + 1 : b - 1);
        for (int v = 0; v < 256; ++v)
            if (std::find(c.pattern.begin(), c.pattern.end(), v) == c.pattern.end()) {
                c.wildcard = v;
                break;
            }
        if (absentEverywhere(doc, c)) break;
    }
    c.withMatch = doc;
    c.matchAt = kSize - m;
    std::memcpy(c.withMatch.data() + c.matchAt, c.pattern.data(), static_cast<size_t>(m));
    return c;
}

const Case& benchCase(Doc d, int64_t m) {
    static std::map<std::pair<Doc, int64_t>, Case> cases;
    auto it = cases.find({d, m});
    if (it == cases.end()) it = cases.emplace(std::make_pair(d, m), makeCase(d, m)).first;
    return it->second;
}

// What one timed search is given: the document, pattern, wildcard and cursor.
struct Query {
    const Bytes* doc;
    Bytes pattern;
    int32_t wildcard;
    int64_t cursor;
    bool relative;
};

Query query(Doc d, int64_t m, Kind kind, bool worst) {
    const Case& c = benchCase(d, m);
    Query q{worst ? &c.withMatch : &document(d), c.pattern, -1, c.matchAt, false};
    if (kind == Kind::Wildcard) {
        q.pattern = withWildcard(c);
        q.wildcard = c.wildcard;
    }
    if (kind == Kind::Relative) {
        q.pattern = c.shifted;  // the document holds the pattern: a difference of one everywhere
        q.relative = true;
        q.cursor = c.matchAt + 1;  // the cursor's own start is never tried: the match is last
    }
    return q;
}

void runFast(benchmark::State& state, Doc d, int64_t m, Kind kind, bool worst, SearchIsa isa) {
    const Query q = query(d, m, kind, worst);
    const RingQuery rq{q.doc->data(), kSize, q.pattern.data(), m, q.wildcard, q.cursor, q.relative};
    const int64_t expected = worst ? benchCase(d, m).matchAt : -1;
    if (findInRing(rq, isa) != expected) {
        state.SkipWithError("wrong result");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(findInRing(rq, isa));
    state.SetBytesProcessed(state.iterations() * kSize);
}

void runReference(benchmark::State& state, Doc d, int64_t m, Kind kind, bool worst) {
    const Query q = query(d, m, kind, worst);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            test::referenceFind(q.doc->data(), kSize, q.pattern.data(), m, q.wildcard, q.cursor, q.relative));
    state.SetBytesProcessed(state.iterations() * kSize);
}

void runMemmem(benchmark::State& state, Doc d, int64_t m, bool worst) {
    const Query q = query(d, m, Kind::Plain, worst);
    for (auto _ : state) benchmark::DoNotOptimize(memmem(q.doc->data(), kSize, q.pattern.data(), static_cast<size_t>(m)));
    state.SetBytesProcessed(state.iterations() * kSize);
}

// The physical anchor: every byte of the buffer read once, as fast as the
// processor's widest loads allow (four independent accumulators).
#if defined(__x86_64__)
__attribute__((target("avx2"))) uint8_t orAllAvx2(const uint8_t* p, size_t n) {
    __m256i a = _mm256_setzero_si256(), b = a, c = a, d = a;
    size_t i = 0;
    for (; i + 128 <= n; i += 128) {
        a = _mm256_or_si256(a, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i)));
        b = _mm256_or_si256(b, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + 32)));
        c = _mm256_or_si256(c, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + 64)));
        d = _mm256_or_si256(d, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + 96)));
    }
    a = _mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d));
    uint8_t out = static_cast<uint8_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, _mm256_setzero_si256())) != -1);
    for (; i < n; ++i) out |= p[i];
    return out;
}

uint8_t orAllSse2(const uint8_t* p, size_t n) {
    __m128i a = _mm_setzero_si128(), b = a, c = a, d = a;
    size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        a = _mm_or_si128(a, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)));
        b = _mm_or_si128(b, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16)));
        c = _mm_or_si128(c, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 32)));
        d = _mm_or_si128(d, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 48)));
    }
    a = _mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d));
    uint8_t out = static_cast<uint8_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, _mm_setzero_si128())) != 0xFFFF);
    for (; i < n; ++i) out |= p[i];
    return out;
}

uint8_t orAll(const uint8_t* p, size_t n) {
    return isaSupported(SearchIsa::Avx2) ? orAllAvx2(p, n) : orAllSse2(p, n);
}
#else
uint8_t orAll(const uint8_t* p, size_t n) {
    uint64_t acc = 0;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        acc |= w;
    }
    for (; i < n; ++i) acc |= p[i];
    return acc != 0;
}
#endif

void runReadPass(benchmark::State& state, Doc d) {
    const Bytes& doc = document(d);
    for (auto _ : state) benchmark::DoNotOptimize(orAll(doc.data(), doc.size()));
    state.SetBytesProcessed(state.iterations() * kSize);
}

const char* isaName(SearchIsa isa) { return isa == SearchIsa::Avx2 ? "avx2" : isa == SearchIsa::Sse2 ? "sse2" : "generic"; }

void registerAll() {
    constexpr int kRepetitions = 7;
    auto fast = [](benchmark::internal::Benchmark* b) {
        b->Repetitions(kRepetitions)->ReportAggregatesOnly(true)->MinTime(0.05)->Unit(benchmark::kMicrosecond);
    };
    for (Doc d : kDocs) {
        const std::string doc = docName(d);
        fast(benchmark::RegisterBenchmark(("search/read/" + doc).c_str(), runReadPass, d));
        for (int64_t m : kLengths)
            for (bool worst : {false, true}) {
                const std::string tail = doc + "/m" + std::to_string(m) + (worst ? "/last" : "/absent");
                fast(benchmark::RegisterBenchmark(("search/memmem/" + tail).c_str(), runMemmem, d, m, worst));
                for (Kind kind : {Kind::Plain, Kind::Wildcard, Kind::Relative}) {
                    if (m == 1 && kind != Kind::Plain) continue;  // one byte: no wildcard place; relative matches at once
                    for (SearchIsa isa : {SearchIsa::Sse2, SearchIsa::Avx2, SearchIsa::Generic})
                        if (isaSupported(isa))
                            fast(benchmark::RegisterBenchmark(
                                ("search/" + std::string(kindName(kind)) + "-" + isaName(isa) + "/" + tail).c_str(),
                                runFast, d, m, kind, worst, isa));
                    if (worst)  // the straight scan takes the whole ring either way
                        benchmark::RegisterBenchmark(("search/reference-" + std::string(kindName(kind)) + "/" + tail).c_str(),
                                                     runReference, d, m, kind, worst)
                            ->Iterations(1)
                            ->Repetitions(3)
                            ->ReportAggregatesOnly(true)
                            ->Unit(benchmark::kMillisecond);
                }
            }
    }
}

const bool registered = (registerAll(), true);

}  // namespace
}  // namespace tarpon
