// Undo and redo next to the block moves they stand for: a 1 MiB insert taken back
// and done again, and 10,000 typed bytes undone and redone, on the bytes alone.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench_editor.h"
#include "core/editor.h"
#include "edit/hex_input.h"
#include "edit/insert_delete.h"
#include "core/edits.h"

namespace tarpon {
namespace {

constexpr int64_t kMiB = 1 << 20;
constexpr int kTyped = 10000;

// A 2 MiB document with 1 MiB inserted in its middle: undo moves the 1 MiB tail
// back, redo moves it up again and fills the gap.
void BM_UndoRedoInsert1MiB(benchmark::State& state) {
    bench::BenchEditor b(static_cast<int32_t>(2 * kMiB));
    b.ed.s.view.cursorRel = static_cast<int32_t>(kMiB);
    if (!insertAtCursor(b.ed.s, kMiB, 0xAA).empty()) state.SkipWithError("insert refused");
    for (auto _ : state) {
        undoStep(b.ed.s);
        redoStep(b.ed.s);
        benchmark::DoNotOptimize(b.ed.s.doc.fileData.data());
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_UndoRedoInsert1MiB)->Unit(benchmark::kMicrosecond);

void BM_Memmove1MiB(benchmark::State& state) {
    std::vector<uint8_t> data(static_cast<size_t>(2 * kMiB), 0x5A);
    for (auto _ : state) {
        std::memmove(data.data() + kMiB, data.data(), static_cast<size_t>(kMiB));
        benchmark::DoNotOptimize(data.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Memmove1MiB)->Unit(benchmark::kMicrosecond);

// 10,000 bytes typed in the hex pane, then all undone and all redone per iteration.
void BM_UndoRedo10000TypedBytes(benchmark::State& state) {
    bench::BenchEditor b(64 * 1024);
    for (int i = 0; i < kTyped; ++i) {
        b.ed.s.view.pageTop = i & ~15;
        b.ed.s.view.cursorRel = i & 15;
        b.ed.s.typing.nibblePending = false;
        PicHex_KeyPress(b.ed, '4');
        PicHex_KeyPress(b.ed, '1');
    }
    for (auto _ : state) {
        while (undoStep(b.ed.s) >= 0) {
        }
        while (redoStep(b.ed.s) >= 0) {
        }
        benchmark::DoNotOptimize(b.ed.s.doc.fileData.data());
    }
    state.counters["history_bytes"] = static_cast<double>(b.ed.s.doc.history.size() * sizeof(Change));
    state.SetItemsProcessed(state.iterations() * 2 * kTyped);
}
BENCHMARK(BM_UndoRedo10000TypedBytes)->Unit(benchmark::kMicrosecond);

void BM_Memmove10000(benchmark::State& state) {
    std::vector<uint8_t> data(2 * kTyped, 0x5A);
    for (auto _ : state) {
        std::memmove(data.data() + kTyped, data.data(), kTyped);
        benchmark::DoNotOptimize(data.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Memmove10000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarpon
