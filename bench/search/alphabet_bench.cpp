// Relative search through the kana alphabet, and Find All, on a document of the
// largest size the editor loads: kana text stored in gojuon order from byte 0x20.
// Yardsticks: one read pass over the buffer (the kana search), and the single
// search that goes once round the whole ring (Find All with 1,000 hits).
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "read_pass.h"
#include "search/alphabet.h"
#include "search/find_all.h"
#include "search/ring_search.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr int64_t kSize = 9437183;
constexpr int kBase = 0x20;

// Random kana words (2 to 6 letters, codes 0..48 from kBase) with a blank (0x10) between them.
Bytes kanaDocument() {
    Bytes doc;
    doc.reserve(static_cast<size_t>(kSize));
    std::mt19937_64 rng(3);
    while (static_cast<int64_t>(doc.size()) < kSize) {
        const size_t letters = 2 + rng() % 5;
        for (size_t i = 0; i < letters && static_cast<int64_t>(doc.size()) < kSize; ++i)
            doc.push_back(static_cast<uint8_t>(kBase + rng() % 49));
        if (static_cast<int64_t>(doc.size()) < kSize) doc.push_back(0x10);
    }
    return doc;
}

const Bytes& document() {
    static const Bytes doc = kanaDocument();
    return doc;
}

// A word of eight letters the random text is all but sure not to hold; its codes.
Bytes wordCodes() { return buildAlphabetPattern(hiraganaAlphabet(), "まおうのしろにす", "", nullptr)->pattern; }

// The document with the word planted 1,000 times, evenly spread.
const Bytes& plantedDocument() {
    static const Bytes doc = [] {
        Bytes d = document();
        const Bytes codes = wordCodes();
        for (int64_t k = 0; k < 1000; ++k) {
            const int64_t at = (k * (kSize - 16)) / 1000;
            for (size_t i = 0; i < codes.size(); ++i) d[static_cast<size_t>(at) + i] = static_cast<uint8_t>(kBase + codes[i]);
        }
        return d;
    }();
    return doc;
}

void BM_KanaReadPass(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(readPass(document()));
    state.SetBytesProcessed(state.iterations() * kSize);
}

void BM_KanaRelativeAbsent(benchmark::State& state) {
    const Bytes codes = wordCodes();
    const RingQuery q{document().data(), kSize, codes.data(), static_cast<int64_t>(codes.size()), -1, 0, true};
    if (findInRing(q) >= 0) return state.SkipWithError("the word is in the random text");
    for (auto _ : state) benchmark::DoNotOptimize(findInRing(q));
    state.SetBytesProcessed(state.iterations() * kSize);
}

void BM_FindAll1000Hits(benchmark::State& state) {
    const Bytes codes = wordCodes();
    const RingQuery q{plantedDocument().data(), kSize, codes.data(), static_cast<int64_t>(codes.size()), -1, 0, true};
    if (findAllInRing(q, kMaxHits + 1).size() != 1000) return state.SkipWithError("not 1,000 hits");
    for (auto _ : state) benchmark::DoNotOptimize(findAllInRing(q, kMaxHits + 1));
    state.SetBytesProcessed(state.iterations() * kSize);
}

}  // namespace

BENCHMARK(BM_KanaReadPass)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_KanaRelativeAbsent)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_FindAll1000Hits)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);

}  // namespace tarpon
