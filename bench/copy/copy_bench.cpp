// Formatting a whole document of the largest size the editor loads.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "copy/copy_format.h"
#include "core/editor_state.h"

namespace {

std::vector<uint8_t> largestDocument() {
    std::vector<uint8_t> bytes(static_cast<size_t>(tarpon::kMaxFileSize - 1));
    uint32_t x = 12345;
    for (uint8_t& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 24);
    }
    return bytes;
}

void formatWholeDocument(benchmark::State& state, tarpon::CopyType type, const char* before, const char* after) {
    const std::vector<uint8_t> bytes = largestDocument();
    tarpon::CharTable table;
    for (int b = 0; b < 256; ++b) table[static_cast<size_t>(b)] = b % 3 ? "ab" : "";
    const tarpon::Table model;
    for (auto _ : state) {
        std::string text = tarpon::formatCopy(bytes, 0, static_cast<int64_t>(bytes.size()) - 1, type, before,
                                              after, {{model, table, false}});
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

void BM_CopyValues9MiB(benchmark::State& state) { formatWholeDocument(state, tarpon::CopyType::Value, "", ", "); }
void BM_CopyValuesReversed9MiB(benchmark::State& state) {
    const std::vector<uint8_t> bytes = largestDocument();
    const tarpon::CharTable table;
    const tarpon::Table model;
    for (auto _ : state) {
        std::string text = tarpon::formatCopy(bytes, static_cast<int64_t>(bytes.size()) - 1, 0,
                                              tarpon::CopyType::Value, "$", ",", {{model, table, false}});
        benchmark::DoNotOptimize(text.data());
    }
}
void BM_CopyTable9MiB(benchmark::State& state) { formatWholeDocument(state, tarpon::CopyType::Table, "[", "]"); }

}  // namespace

BENCHMARK(BM_CopyValues9MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyValuesReversed9MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyTable9MiB)->Unit(benchmark::kMillisecond);
