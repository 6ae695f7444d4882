// Find ▸ Table through a table of one- and two-byte keys, on a document of the
// largest size the editor loads: random lower-case words, each letter stored as its
// one-byte key or, now and then, as a two-byte key 89 xx. Yardstick: one read pass
// over the same buffer. The texts are absent, so each search goes once round the ring.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "read_pass.h"
#include "app/tool_commands.h"
#include "core/output.h"
#include "core/table.h"
#include "search/multi_search.h"
#include "search/pattern.h"
#include "search/ring_search.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr int64_t kSize = 9437183;

// a-z as their own codes, and each again as the two-byte key 89 followed by its code.
Table letterTable() {
    Table table;
    for (char c = 'a'; c <= 'z'; ++c) {
        table.set({std::string(1, c), std::string(1, c)});
        table.set({std::string{'\x89', c}, std::string(1, c)});
    }
    return table;
}

const Bytes& document() {
    static const Bytes doc = [] {
        Bytes d;
        d.reserve(static_cast<size_t>(kSize));
        std::mt19937_64 rng(5);
        while (static_cast<int64_t>(d.size()) < kSize) {
            if (rng() % 8 == 0) d.push_back(0x89);
            d.push_back(static_cast<uint8_t>(rng() % 7 == 0 ? ' ' : 'a' + rng() % 26));
        }
        d.resize(static_cast<size_t>(kSize));
        return d;
    }();
    return doc;
}

void BM_SpellingReadPass(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(readPass(document()));
    state.SetBytesProcessed(state.iterations() * kSize);
}

// A text with one spelling: Find takes the vector scanners of a plain search.
void BM_FindTableOneSpelling(benchmark::State& state) {
    const Bytes pattern = buildTablePattern("qzxjvk", "", letterTable())->pattern;
    const RingQuery q{document().data(), kSize, pattern.data(), static_cast<int64_t>(pattern.size()), -1, 0, false};
    if (findInRing(q) >= 0) return state.SkipWithError("the text is there");
    for (auto _ : state) benchmark::DoNotOptimize(findInRing(q));
    state.SetBytesProcessed(state.iterations() * kSize);
}

// A text of range(0) letters, each spelt in two ways: 2^n spellings, as Find looks for them (64 and 4,096
// alike in one pass: vector compares of the spellings' first three bytes, the tree of them where those lie).
void BM_FindTableSpellings(benchmark::State& state) {
    const std::string text = std::string("qzxjvkqzxjvk").substr(0, static_cast<size_t>(state.range(0)));
    const auto request = buildTablePattern(text, "", letterTable());
    const RingQuery q{document().data(), kSize, request->pattern.data(), static_cast<int64_t>(request->pattern.size()),
                      -1, 0, false};
    if (findNearestSpelling(q, request->otherSpellings, false) >= 0) return state.SkipWithError("the text is there");
    for (auto _ : state) benchmark::DoNotOptimize(findNearestSpelling(q, request->otherSpellings, false));
    state.SetBytesProcessed(state.iterations() * kSize);
}

// The same texts on a document of the bytes q, z and 89 alone, where the first bytes of some spelling lie at
// one start in seven: the worst case of the one pass, and of Find's choice between it and one by one.
void BM_FindTableCommonPrefixes(benchmark::State& state) {
    static const Bytes doc = [] {
        Bytes d(static_cast<size_t>(kSize));
        std::mt19937_64 rng(3);
        const uint8_t bytes[] = {'q', 'z', 0x89};
        for (uint8_t& b : d) b = bytes[rng() % 3];
        return d;
    }();
    const std::string text = std::string("qzxjvkqzxjvk").substr(0, static_cast<size_t>(state.range(0)));
    const auto request = buildTablePattern(text, "", letterTable());
    const RingQuery q{doc.data(), kSize, request->pattern.data(), static_cast<int64_t>(request->pattern.size()),
                      -1, 0, false};
    if (findNearestSpelling(q, request->otherSpellings, false) >= 0) return state.SkipWithError("the text is there");
    for (auto _ : state) benchmark::DoNotOptimize(findNearestSpelling(q, request->otherSpellings, false));
    state.SetBytesProcessed(state.iterations() * kSize);
}

// tarpon-hex find beside the window's Find ▸ Table, on the first MiB of the same document and the same
// 4,096 spellings (range 12): the window's search, the command's search of every hit, and the whole command
// (reading the table and the file, spelling the text, searching, writing the lines).
constexpr int64_t kMiB = 1 << 20;

class DiscardedOutput : public Output {
public:
    void write(std::string_view) override {}
    std::optional<Failure> finish() override { return std::nullopt; }
};

void BM_FindTableSpellings1MiB(benchmark::State& state) {
    const std::string text = std::string("qzxjvkqzxjvk").substr(0, static_cast<size_t>(state.range(0)));
    const auto request = buildTablePattern(text, "", letterTable());
    const RingQuery q{document().data(), kMiB, request->pattern.data(), static_cast<int64_t>(request->pattern.size()),
                      -1, 0, false};
    if (findNearestSpelling(q, request->otherSpellings, false) >= 0) return state.SkipWithError("the text is there");
    for (auto _ : state) benchmark::DoNotOptimize(findNearestSpelling(q, request->otherSpellings, false));
    state.SetBytesProcessed(state.iterations() * kMiB);
}

// What Find ▸ Table does in the window for one Find: the text spelled through the table, then the search.
void BM_FindTableWindowWhole1MiB(benchmark::State& state) {
    const std::string text = std::string("qzxjvkqzxjvk").substr(0, static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        const auto request = buildTablePattern(text, "", letterTable());
        const RingQuery q{document().data(), kMiB, request->pattern.data(),
                          static_cast<int64_t>(request->pattern.size()), -1, 0, false};
        benchmark::DoNotOptimize(findNearestSpelling(q, request->otherSpellings, false));
    }
    state.SetBytesProcessed(state.iterations() * kMiB);
}

void BM_CommandLineFindSearch(benchmark::State& state) {
    const std::string text = std::string("qzxjvkqzxjvk").substr(0, static_cast<size_t>(state.range(0)));
    const auto request = buildTablePattern(text, "", letterTable());
    DiscardedOutput out;
    const std::span<const uint8_t> doc(document().data(), static_cast<size_t>(kMiB));
    if (writeHits(*request, false, doc, out) != 0) return state.SkipWithError("the text is there");
    for (auto _ : state) benchmark::DoNotOptimize(writeHits(*request, false, doc, out));
    state.SetBytesProcessed(state.iterations() * kMiB);
}

void BM_CommandLineFindCommand(benchmark::State& state) {
    const char* dir = std::getenv("TARPON_BENCH_DIR");
    const std::string base = (dir && *dir ? std::string(dir) : std::filesystem::temp_directory_path().string()) +
                             "/tarpon-find-bench-";
    const std::string file = base + "doc.bin", table = base + "letters.tbl";
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(document().data()), kMiB);
    {
        std::ofstream t(table, std::ios::binary);
        for (char c = 'a'; c <= 'z'; ++c) t << std::hex << int{c} << "=" << c << "\n89" << int{c} << "=" << c << "\n";
    }
    const std::vector<std::string> args = {"find", "--table", table,
                                           std::string("qzxjvkqzxjvk").substr(0, static_cast<size_t>(state.range(0))), file};
    DiscardedOutput out, err;
    if (runToolCommand(args, out, err) != 1) state.SkipWithError("the text is there, or the command failed");
    for (auto _ : state) benchmark::DoNotOptimize(runToolCommand(args, out, err));
    state.SetBytesProcessed(state.iterations() * kMiB);
    std::filesystem::remove(file);
    std::filesystem::remove(table);
}

}  // namespace

BENCHMARK(BM_FindTableSpellings1MiB)->Arg(12)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_FindTableWindowWhole1MiB)->Arg(12)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_CommandLineFindSearch)->Arg(12)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_CommandLineFindCommand)->Arg(12)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_SpellingReadPass)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_FindTableOneSpelling)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_FindTableSpellings)->Arg(6)->Arg(12)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_FindTableCommonPrefixes)->Arg(6)->Arg(12)->Unit(benchmark::kMicrosecond)->Repetitions(7)
    ->ReportAggregatesOnly(true);

}  // namespace tarpon
