// The text pane in Table view through a table of 7,000 two-byte keys (the shape of
// the kanji tables) beside the same with a one-byte table, a typed byte followed by
// the repaint, and reading a whole 9 MiB document through that table.
#include <benchmark/benchmark.h>

#include "bench_editor.h"
#include "core/edits.h"
#include "core/letter_reader.h"
#include "view/painting.h"

namespace tarpon::bench {
namespace {

// 7,000 two-byte keys from 889F on (trail bytes 40..FC but 7F), and the ASCII letters.
void addAscii(Table& t) {
    for (int b = 0x20; b < 0x7F; ++b) {
        const std::string letter(1, static_cast<char>(b));
        t.set({letter, letter, EntryKind::Letter, 0});
    }
}

Table kanjiShapedTable() {
    Table t;
    int entries = 0;
    for (int lead = 0x88; lead <= 0xFC && entries < 7000; ++lead)
        for (int trail = lead == 0x88 ? 0x9F : 0x40; trail <= 0xFC && entries < 7000; ++trail, ++entries)
            if (trail != 0x7F)
                t.set({{static_cast<char>(lead), static_cast<char>(trail)}, "\xE4\xBA\x9C", EntryKind::Letter, 0});
    addAscii(t);
    return t;
}

void tableView(BenchEditor& b, bool kanji) {
    if (kanji) b.ed.s.table = kanjiShapedTable();
    else addAscii(b.ed.s.table);
    b.ed.s.showTable();
    b.ed.s.viewMode = true;
    b.ed.s.pageTop = kLargest / 2 & ~15;
    RepaintAll(b.ed);  // the letters' index is made once, as after a load
}

// Every pane repainted, the page in the middle of the largest document.
void BM_RepaintTableView(benchmark::State& state) {
    BenchEditor b(kLargest);
    tableView(b, state.range(0) != 0);
    for (auto _ : state) RepaintAll(b.ed);
}
BENCHMARK(BM_RepaintTableView)->Arg(0)->Arg(1);

// A byte typed on the page, then the text pane repainted.
void BM_TypedByteThenRepaint(benchmark::State& state) {
    BenchEditor b(kLargest);
    tableView(b, state.range(0) != 0);
    int step = 0;
    for (auto _ : state) {
        overwriteByte(b.ed.s, b.ed.s.pageTop + (step & 63), static_cast<uint8_t>(0x88 + (step & 7)));
        ++step;
        PaintTextPane(b.ed);
    }
}
BENCHMARK(BM_TypedByteThenRepaint)->Arg(0)->Arg(1);

// The whole document read through the kanji-shaped table, from nothing known.
void BM_ReadDocumentThroughKanjiTable(benchmark::State& state) {
    BenchEditor b(kLargest);
    b.ed.s.table = kanjiShapedTable();
    b.ed.s.showTable();
    for (auto _ : state) {
        LetterIndex index;
        benchmark::DoNotOptimize(index.startAtOrAfter(b.ed.s.reading(), b.ed.s.document(), kLargest - 1, 0));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kLargest);
}
BENCHMARK(BM_ReadDocumentThroughKanjiTable)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarpon::bench
