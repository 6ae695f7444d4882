// One keystroke's logic on a 9 MiB document: the move, the marks and a full
// repaint of every pane into its retained drawing.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_editor.h"
#include "edit/hex_input.h"
#include "view/painting.h"

namespace tarpon::bench {
namespace {

void BM_PageDownKey(benchmark::State& state) {
    BenchEditor b(kLargest);
    for (auto _ : state) {
        PicHex_KeyDown(b.ed, b.ed.s.cursor() > kLargest - 512 ? kKeyHome : kKeyPageDown, 0);
        benchmark::DoNotOptimize(b.ed.v.picHex.runs().data());
    }
}
BENCHMARK(BM_PageDownKey);

void BM_ArrowKey(benchmark::State& state) {
    BenchEditor b(kLargest);
    int step = 0;
    for (auto _ : state) PicHex_KeyDown(b.ed, (step++ & 1) ? kKeyLeft : kKeyRight, 0);
}
BENCHMARK(BM_ArrowKey);

void BM_HexDigit(benchmark::State& state) {
    BenchEditor b(kLargest);
    for (auto _ : state) {
        if (b.ed.s.cursor() >= 200) b.ed.s.view.cursorRel = 0;
        PicHex_KeyDown(b.ed, 'A', 0);
        PicHex_KeyPress(b.ed, 'A');
    }
}
BENCHMARK(BM_HexDigit);

void BM_RepaintAllOnly(benchmark::State& state) {
    BenchEditor b(kLargest);
    for (auto _ : state) RepaintAll(b.ed);
}
BENCHMARK(BM_RepaintAllOnly);

// The text pane through a table whose every entry is 1 MiB (10 MiB for the
// second run), UTF-8 and Latin-1: a cell draws only what it can show, so this
// costs about what a table of short entries does.
void BM_RepaintHugeTableEntries(benchmark::State& state) {
    BenchEditor b(kLargest);
    b.ed.s.view.viewMode = true;
    b.ed.s.table.spellUtf8(state.range(1) != 0);
    const std::string huge(static_cast<size_t>(state.range(0)) << 20, 'x');
    for (size_t entry = 0; entry < 256; ++entry) b.ed.s.table.setLetters(entry, huge);
    for (auto _ : state) PaintTextPane(b.ed);
}
BENCHMARK(BM_RepaintHugeTableEntries)->Args({1, 0})->Args({1, 1})->Args({10, 1});

}  // namespace
}  // namespace tarpon::bench
