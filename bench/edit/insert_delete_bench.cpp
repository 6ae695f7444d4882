// Insert and delete at the start of the largest loadable document, next to one
// plain block move of the same length: each edit should cost about one move.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench_editor.h"
#include "core/editor.h"
#include "edit/insert_delete.h"

namespace tarpon {
namespace {

// One delete and one insert at offset 0 per iteration, so the document keeps its size.
void BM_DeleteThenInsertAtStart(benchmark::State& state) {
    bench::NullServices services;
    Editor ed(services);
    ed.s.doc.fileData.assign(static_cast<size_t>(bench::kLargest), 0x5A);
    ed.s.doc.fileSize = bench::kLargest;
    for (auto _ : state) {
        DeleteByte(ed);
        if (!insertAtCursor(ed.s, 1, 0xAA).empty()) state.SkipWithError("insert refused");
        benchmark::DoNotOptimize(ed.s.doc.fileData.data());
    }
    state.SetItemsProcessed(state.iterations() * 2);
    state.SetBytesProcessed(state.iterations() * 2 * int64_t{bench::kLargest});
}
BENCHMARK(BM_DeleteThenInsertAtStart)->Unit(benchmark::kMicrosecond);

// The floor: one move of the whole document by one place.
void BM_OneBlockMoveOfTheDocument(benchmark::State& state) {
    std::vector<uint8_t> data(static_cast<size_t>(bench::kLargest) + 1, 0x5A);
    for (auto _ : state) {
        std::memmove(data.data() + 1, data.data(), static_cast<size_t>(bench::kLargest));
        benchmark::DoNotOptimize(data.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * int64_t{bench::kLargest});
}
BENCHMARK(BM_OneBlockMoveOfTheDocument)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarpon
