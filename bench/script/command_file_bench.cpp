// A command file of 10 pointer-table blocks over a 4 MiB file, dumped into one script,
// beside the same 10 pointer tables dumped one after another as single dumps
// (dumpScript, the Dump Script window's and `dump --pointers`' path). Goal: at most 1.5x.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "script/block_dump.h"
#include "script/command_file.h"
#include "script/script_dump.h"

namespace tarpon {
namespace {

constexpr int kBlocks = 10;

struct Layout {
    std::vector<uint8_t> doc;
    std::vector<std::pair<int64_t, int64_t>> tables;  // each block's first pointer, its count
};

// 10 tables of 4-byte pointers first, then English-like strings ended by 00, to 4 MiB.
const Layout& layout() {
    static const Layout l = [] {
        Layout out;
        constexpr size_t kSize = size_t{4} << 20;
        std::mt19937 rng(11);
        std::vector<std::string> strings;
        size_t textBytes = 0;
        while (textBytes + 64 < kSize * 7 / 8) {
            std::string s;
            for (int k = 8 + static_cast<int>(rng() % 50); k > 0; --k)
                s += rng() % 6 ? static_cast<char>('a' + rng() % 26) : ' ';
            textBytes += s.size() + 1;
            strings.push_back(std::move(s));
        }
        const size_t pointers = strings.size();
        out.doc.resize(pointers * 4);
        for (size_t i = 0; i < pointers; ++i) {
            const size_t at = out.doc.size();
            for (int b = 0; b < 4; ++b) out.doc[i * 4 + static_cast<size_t>(b)] = static_cast<uint8_t>(at >> (8 * b));
            out.doc.insert(out.doc.end(), strings[i].begin(), strings[i].end());
            out.doc.push_back(0);
        }
        out.doc.resize(kSize, 0xFF);
        const int64_t per = static_cast<int64_t>(pointers) / kBlocks;
        for (int b = 0; b < kBlocks; ++b) out.tables.push_back({b * per * 4, per});
        return out;
    }();
    return l;
}

Table letters() {
    Table t;
    for (int c = 'a'; c <= 'z'; ++c) t.set({std::string(1, static_cast<char>(c)), std::string(1, static_cast<char>(c))});
    t.set({" ", " "});
    t.set({std::string(1, '\0'), "<end>", EntryKind::EndToken, 0});
    return t;
}

void BM_CommandFileTenBlocks(benchmark::State& state) {
    const Layout& l = layout();
    std::string text;
    for (const auto& [at, count] : l.tables)
        text += "#BLOCK NAME: part\n#TYPE: NORMAL\n#METHOD: POINTER\n#POINTER ENDIAN: LITTLE\n#POINTER TABLE START: " +
                std::to_string(at) + "\n#POINTER TABLE STOP: " + std::to_string(at + count * 4) +
                "\n#POINTER SIZE: 4\n#POINTER SPACE: 0\n#ATLAS PTRS: Yes\n#TABLE: letters.tbl\n#COMMENTS: No\n"
                "#SHOW END ADDRESS: No\n#END BLOCK\n";
    const Table table = letters();
    for (auto _ : state) {
        const CommandFile file = readCommandFile(text);
        const CommandTables tables{{&table}, {"letters.tbl"}, {}, nullptr, {}};
        const DumpResult r = dumpCommandFile(file, tables, {l.doc.data(), l.doc.size()});
        benchmark::DoNotOptimize(r.script.data());
        if (!r.problem.empty()) state.SkipWithError(r.problem.c_str());
    }
}
BENCHMARK(BM_CommandFileTenBlocks)->Unit(benchmark::kMillisecond);

void BM_TenSingleBlockDumps(benchmark::State& state) {
    const Layout& l = layout();
    const Table table = letters();
    for (auto _ : state) {
        for (const auto& [at, count] : l.tables) {
            DumpRequest r;
            r.pointers = true, r.tableAt = at, r.count = count, r.p = {4, false, 0};
            const DumpResult d = dumpScript(table, {l.doc.data(), l.doc.size()}, r);
            benchmark::DoNotOptimize(d.script.data());
        }
    }
}
BENCHMARK(BM_TenSingleBlockDumps)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarpon
