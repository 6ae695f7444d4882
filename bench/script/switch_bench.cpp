// Dumping 1 MiB through tables that switch (letters and pairs in the first table,
// names behind an unlabelled switch for one match, a labelled one to a closing key,
// a raw part), and inserting that script back by abcde's rules.
#include <benchmark/benchmark.h>

#include <random>

#include "script/script_insert.h"
#include "script/switch_dump.h"
#include "table/tbl_file.h"

namespace tarpon {
namespace {

std::string switchTable() {
    std::string t = "@main\n/00=[END]\n20= \n2E=.\n";
    char line[32];
    for (int i = 0; i < 26; ++i) {
        std::snprintf(line, sizeof line, "%02X=%c\n", 0x61 + i, 'a' + i);
        t += line;
    }
    t += "!F0=,<@Names>:1\n!F1=<[Item:]>,<@Names>:$F1\n!F2=<[wait]>,1\n@Names\n/00=[END]\n";
    for (int i = 0; i < 40; ++i) {
        std::snprintf(line, sizeof line, "%02X=[Name%d]\n", 0x10 + i, i);
        t += line;
    }
    return t;
}

std::vector<uint8_t> switchDocument() {
    std::mt19937 rng(9);
    std::vector<uint8_t> doc(1 << 20);
    for (size_t at = 0; at < doc.size();) {
        const unsigned pick = rng() % 40;
        auto put = [&](uint8_t b) { if (at < doc.size()) doc[at++] = b; };
        if (pick == 0) put(0);
        else if (pick == 1) put(0xF0), put(static_cast<uint8_t>(0x10 + rng() % 40));
        else if (pick == 2) put(0xF1), put(static_cast<uint8_t>(0x10 + rng() % 40)), put(static_cast<uint8_t>(0x10 + rng() % 40)), put(0xF1);
        else if (pick == 3) put(0xF2), put(static_cast<uint8_t>(rng()));
        else put(pick < 8 ? 0x20 : static_cast<uint8_t>(0x61 + rng() % 26));
    }
    return doc;
}

struct Fixture {
    std::string table = switchTable();
    std::vector<uint8_t> doc = switchDocument();
    SwitchingTables tables;
    DumpRequest request;
    Fixture() {
        std::string problem;
        tables.add(table, "/b/s.tbl", [](std::string_view lines, Table& t, std::string&) { return readTbl(lines, t), true; }, problem);
        request.to = static_cast<int64_t>(doc.size()) - 1;
    }
};

void BM_SwitchDump(benchmark::State& state) {
    const Fixture f;
    size_t names = 0;  // names read through a switch, not written raw
    for (auto _ : state) {
        const DumpResult r = dumpSwitchingScript(f.tables, "/b/s.tbl", {f.doc.data(), f.doc.size()}, f.request);
        if (!r.problem.empty()) state.SkipWithError(r.problem.c_str());
        names = 0;
        for (size_t at = r.script.find("[Name"); at != std::string::npos; at = r.script.find("[Name", at + 1)) ++names;
        benchmark::DoNotOptimize(r.script.data());
    }
    state.counters["names"] = static_cast<double>(names);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.doc.size()));
}
BENCHMARK(BM_SwitchDump)->Unit(benchmark::kMillisecond);

void BM_SwitchInsert(benchmark::State& state) {
    const Fixture f;
    const std::string script = dumpSwitchingScript(f.tables, "/b/s.tbl", {f.doc.data(), f.doc.size()}, f.request).script;
    InsertOptions o;
    o.sources.folder = "/b";
    o.sources.readFile = [&f](const std::string& path) { return path == "/b/s.tbl" ? std::optional<std::string>(f.table) : std::nullopt; };
    o.sources.readTable = [](std::string_view lines, Table& t, std::string&) { return readTbl(lines, t), true; };
    const std::vector<uint8_t> blank(f.doc.size(), 0);
    for (auto _ : state) {
        const InsertPlan plan = planInsert({blank.data(), blank.size()}, script, o);
        if (!plan.problem.empty()) state.SkipWithError(plan.problem.c_str());
        benchmark::DoNotOptimize(plan.writes.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.doc.size()));
}
BENCHMARK(BM_SwitchInsert)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarpon
