// The text pane in Table view through a table of 7,000 two-byte keys (the shape of
// the kanji tables) beside the same with a one-byte table, a typed byte followed by
// the repaint, and reading a whole 9 MiB document through that table.
#include <benchmark/benchmark.h>

#include <array>
#include <random>

#include "bench_editor.h"
#include "read_pass.h"
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
    if (kanji) b.ed.s.table.replace(kanjiShapedTable());
    else b.ed.s.table.edit([](Table& m) { addAscii(m); });
    b.ed.s.view.viewMode = true;
    b.ed.s.view.pageTop = kLargest / 2 & ~15;
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
        overwriteByte(b.ed.s, b.ed.s.view.pageTop + (step & 63), static_cast<uint8_t>(0x88 + (step & 7)));
        ++step;
        PaintTextPane(b.ed);
    }
}
BENCHMARK(BM_TypedByteThenRepaint)->Arg(0)->Arg(1);

// The whole document read through the kanji-shaped table, from nothing known:
// range(0) 0, random bytes; 1, the table's keys back to back (a Japanese script);
// 2, one key's first byte over and over, so that no byte ends every letter that may
// cover the one before it and each block is read through.
void BM_ReadDocumentThroughKanjiTable(benchmark::State& state) {
    BenchEditor b(kLargest);
    b.ed.s.table.replace(kanjiShapedTable());
    auto& bytes = b.ed.s.doc.fileData;
    if (state.range(0) == 1) {
        const std::vector<TableEntry>& entries = b.ed.s.table.model().entries();
        std::mt19937 rng(3);
        for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
            const std::string& key = entries[rng() % 7000].key;
            bytes[at] = static_cast<uint8_t>(key[0]), bytes[at + 1] = static_cast<uint8_t>(key[1]);
        }
    } else if (state.range(0) == 2) {
        std::fill(bytes.begin(), bytes.end(), 0x89);
    }
    for (auto _ : state) {
        LetterIndex index;
        benchmark::DoNotOptimize(index.startAtOrAfter(b.ed.s.reading(), b.ed.s.document(), kLargest - 1, 0));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kLargest);
}
BENCHMARK(BM_ReadDocumentThroughKanjiTable)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// One read pass over the same document: the yardstick.
void BM_ReadDocumentReadPass(benchmark::State& state) {
    BenchEditor b(kLargest);
    for (auto _ : state) benchmark::DoNotOptimize(readPass(b.ed.s.doc.fileData));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kLargest);
}
BENCHMARK(BM_ReadDocumentReadPass)->Unit(benchmark::kMillisecond);

// The floor of any reader that finds letters one after another: each step looks up
// the letter's length by its first byte (2 for the kanji table's first bytes).
void BM_ReadDocumentLengthsOnly(benchmark::State& state) {
    BenchEditor b(kLargest);
    std::array<uint8_t, 256> length;
    length.fill(1);
    const Table table = kanjiShapedTable();
    for (const TableEntry& e : table.entries()) length[static_cast<uint8_t>(e.key[0])] = static_cast<uint8_t>(e.key.size());
    const std::span<const uint8_t> doc = b.ed.s.document();
    for (auto _ : state) {
        int64_t letters = 0;
        for (size_t at = 0; at < doc.size(); ++letters) at += length[doc[at]];
        benchmark::DoNotOptimize(letters);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kLargest);
}
BENCHMARK(BM_ReadDocumentLengthsOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarpon::bench
