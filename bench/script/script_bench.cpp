// Script dump and insert over a 9,437,183-byte document of strings through a table
// of one- and two-byte keys, next to one read pass over the same bytes.
#include <benchmark/benchmark.h>

#include <random>

#include "read_pass.h"
#include "script/script_dump.h"
#include "script/script_insert.h"
#include "table/tbl_file.h"

namespace tarpon {
namespace {

constexpr size_t kDocumentSize = 9437183;

// Letters 81-9A, pairs 8140-8145 (two-byte keys), a blank, end token 00.
const Table& benchTable() {
    static const Table table = [] {
        std::string text = "/00=<end>\n10= \n";
        for (int i = 0; i < 26; ++i) {
            char line[16];
            std::snprintf(line, sizeof line, "%02X=%c\n", 0x81 + i, 'a' + i);
            text += line;
        }
        for (int i = 0; i < 6; ++i) {
            char line[24];
            std::snprintf(line, sizeof line, "8F%02X=%c%c\n", 0x40 + i, 'A' + i, 'A' + i);
            text += line;
        }
        Table t;
        readTbl(text, t);
        return t;
    }();
    return table;
}

// Strings of 5 to 40 pieces, each ended by 00.
const std::vector<uint8_t>& benchDocument() {
    static const std::vector<uint8_t> doc = [] {
        std::mt19937 rng(1);
        std::vector<uint8_t> d;
        d.reserve(kDocumentSize);
        while (d.size() + 100 < kDocumentSize) {
            for (int n = 5 + static_cast<int>(rng() % 36); n > 0; --n) {
                const unsigned pick = rng() % 30;
                if (pick < 26) d.push_back(static_cast<uint8_t>(0x81 + pick));
                else if (pick < 29) d.insert(d.end(), {0x8F, static_cast<uint8_t>(0x40 + pick - 26)});
                else d.push_back(0x10);
            }
            d.push_back(0);
        }
        d.resize(kDocumentSize, 0);
        return d;
    }();
    return doc;
}

DumpRequest wholeRange() {
    DumpRequest r;
    r.to = static_cast<int64_t>(kDocumentSize) - 1;
    return r;
}

void BM_ScriptReadPass(benchmark::State& state) {
    const std::vector<uint8_t>& doc = benchDocument();
    for (auto _ : state) benchmark::DoNotOptimize(readPass(doc));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}
BENCHMARK(BM_ScriptReadPass)->Unit(benchmark::kMicrosecond);

void BM_ScriptDump(benchmark::State& state) {
    const std::vector<uint8_t>& doc = benchDocument();
    for (auto _ : state) benchmark::DoNotOptimize(dumpScript(benchTable(), {doc.data(), doc.size()}, wholeRange()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}
BENCHMARK(BM_ScriptDump)->Unit(benchmark::kMillisecond);

// The floor of any dump: writing a script of the dump's size into fresh memory.
void BM_ScriptWriteOnly(benchmark::State& state) {
    const std::vector<uint8_t>& doc = benchDocument();
    const std::string script = dumpScript(benchTable(), {doc.data(), doc.size()}, wholeRange()).script;
    for (auto _ : state) {
        std::string out;
        out.append(script);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
    state.counters["script_bytes"] = static_cast<double>(script.size());
}
BENCHMARK(BM_ScriptWriteOnly)->Unit(benchmark::kMillisecond);

void BM_ScriptInsert(benchmark::State& state) {
    const std::vector<uint8_t>& doc = benchDocument();
    const std::string script = dumpScript(benchTable(), {doc.data(), doc.size()}, wholeRange()).script;
    InsertOptions options;
    options.table = &benchTable();
    for (auto _ : state) benchmark::DoNotOptimize(planInsert({doc.data(), doc.size()}, script, options));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}
BENCHMARK(BM_ScriptInsert)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarpon
