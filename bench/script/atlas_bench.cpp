// An insertion script of translators' size: 1,300 strings through three tables the
// script names and switches, each with a custom pointer, into a 1 MiB document; and
// its peak memory beside the document and the script. abcde (Perl) takes about 1.2 s
// for a script of this shape on the benchmark machine; the goal is a tenth of that.
#include <benchmark/benchmark.h>

#include <random>

#include "script/script_insert.h"
#include "table/tbl_file.h"

namespace tarpon {
namespace {

std::string tableText(const std::string& extra) {
    std::string t = "/00=[END]\nFE=[LINE]\n20= \n2E=.\n";
    char line[16];
    for (int i = 0; i < 26; ++i) {
        std::snprintf(line, sizeof line, "%02X=%c\n%02X=%c\n", 0x41 + i, 'A' + i, 0x61 + i, 'a' + i);
        t += line;
    }
    const char* pairs[] = {"th", "he", "in", "er", "an", "re", "on", "at", "en", "nd", "ti", "es", "or", "te", "of"};
    for (int i = 0; i < 15; ++i) {
        std::snprintf(line, sizeof line, "%02X=%s\n", 0x80 + i, pairs[i]);
        t += line;
    }
    return t + extra;
}

std::string benchScript() {
    std::mt19937 rng(3);
    const char* words[] = {"the", "hero", "went", "to", "castle", "and", "found", "a", "sword", "in", "old", "cave"};
    const char* tables[] = {"Main", "Names", "Menu"};
    std::string s = "#VAR(Main, TABLE)\n#ADDTBL(\"main.tbl\", Main)\n#VAR(Names, TABLE)\n#ADDTBL(\"names.tbl\", Names)\n"
                    "#VAR(Menu, TABLE)\n#ADDTBL(\"menu.tbl\", Menu)\n#VAR(P, CUSTOMPOINTER)\n#HDR($10)\n"
                    "#CREATEPTR(P, \"LINEAR\", $-8000, 16)\n#JMP($10010, $3FFFF)\n";
    for (int i = 0; i < 1300; ++i) {
        if (i % 100 == 0) s += std::string("#ACTIVETBL(") + tables[i / 100 % 3] + ")\n";
        s += "//POINTER #" + std::to_string(i) + "\n#WRITE(P, $" + std::to_string(10 + 2 * i) + ")\n";
        if (i / 100 % 3 == 1) s += "[Hero] ";
        for (int n = 4 + static_cast<int>(rng() % 9); n > 0; --n) s += std::string(words[rng() % 12]) + (n > 1 ? " " : ".");
        s += i % 3 == 0 ? "[LINE]\nthe old cave.\n[END]\n\n" : "\n[END]\n\n";
    }
    return s;
}

InsertOptions benchOptions() {
    InsertOptions o;
    const std::map<std::string, std::string> files{{"s/main.tbl", tableText("")},
                                                   {"s/names.tbl", tableText("C0=[Hero]\n")},
                                                   {"s/menu.tbl", tableText("D0=[Cursor]\n")}};
    o.sources.folder = "s";
    o.sources.readFile = [files](const std::string& path) -> std::optional<std::string> {
        const auto it = files.find(path);
        return it == files.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    o.sources.readTable = [](std::string_view bytes, Table& table, std::string&) {
        readTbl(bytes, table);
        return true;
    };
    return o;
}

void BM_AtlasScriptInsert(benchmark::State& state) {
    const std::vector<uint8_t> doc(1 << 20, 0);
    const std::string script = benchScript();
    const InsertOptions options = benchOptions();
    int64_t strings = 0;
    for (auto _ : state) {
        const InsertPlan plan = planInsert({doc.data(), doc.size()}, script, options);
        if (!plan.problem.empty()) state.SkipWithError(plan.problem.c_str());
        strings = plan.strings;
        benchmark::DoNotOptimize(plan.writes.data());
    }
    state.counters["strings"] = static_cast<double>(strings);
    state.counters["script_bytes"] = static_cast<double>(script.size());
}
BENCHMARK(BM_AtlasScriptInsert)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarpon
