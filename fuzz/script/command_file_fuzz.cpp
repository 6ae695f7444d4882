// libFuzzer target for command files: any text read as a command file never fails
// but with a message; one that reads is dumped from any bytes through a small table,
// and the script, inserted back unchanged (every table it names read as that table),
// writes only the bytes that are there.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>

#include "script/block_dump.h"
#include "script/command_file.h"
#include "script/script_insert.h"
#include "script/script_files.h"
#include "table/tbl_file.h"

namespace {

constexpr const char* kTable = "/00=<end>\n*FE=<line>\n61=a\n62=b\n6162=ab\n23=#\n2F=/\n";
// abcde's tables with switches of every kind, read instead when the input asks.
constexpr const char* kSwitching = "@m\n/00=<end>\n61=a\n62=b\n6162=ab\n23=#\n!AB=,<@n>:1\n!AC=<[x]>,<@n>:$AC\n!AD=<[w]>,2\n"
                                   "!AE=<[s]>,<@n>:0\n@n\n01<2>=[P]\n02=[H]\n/FF=[e]\n!04=<[c]>,<@m>:1+\n";

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const tarpon::CommandFile file = tarpon::readCommandFile(in.ConsumeRandomLengthString(2000));
    check(file.problem.empty() != file.blocks.empty());
    if (!file.problem.empty()) return 0;
    // One file only: two files of the same ids are refused, by the dump and the insert alike.
    const bool switching = in.ConsumeBool() && file.tables.size() == 1;
    const char* tableText = switching ? kSwitching : kTable;
    tarpon::Table table;
    tarpon::readTbl(tableText, table);
    tarpon::CommandTables tables;
    tarpon::SwitchingTables logical;
    for (const tarpon::TableName& name : file.tables) {
        tables.tables.push_back(&table);
        tables.paths.push_back(name.path);
        std::string problem;
        if (switching) tables.first.push_back(static_cast<size_t>(logical.add(tableText, name.path, [](std::string_view lines, tarpon::Table& t, std::string&) {
            return tarpon::readTbl(lines, t), true;
        }, problem)));
    }
    if (switching) tables.logical = &logical;
    const std::vector<uint8_t> doc = in.ConsumeRemainingBytes<uint8_t>();
    const tarpon::DumpResult dumped = tarpon::dumpCommandFile(file, tables, {doc.data(), doc.size()}, {}, 1 << 20);
    if (!dumped.problem.empty()) return 0;
    // Text read through switches spells back only through the tables the script loads (ATLAS PTRS: Yes).
    if (switching && std::none_of(file.blocks.begin(), file.blocks.end(), [](const tarpon::CartoBlock& b) { return b.atlasPtrs; }))
        return 0;
    tarpon::InsertOptions options;
    options.table = &table;
    options.sources = tarpon::test::sourcesIn({}, "/p");
    options.sources.readFile = [tableText](const std::string&) { return std::optional<std::string>(tableText); };
    const tarpon::InsertPlan plan = tarpon::planInsert({doc.data(), doc.size()}, dumped.script, options);
    check(plan.problem.empty());
    for (const tarpon::ScriptWrite& w : plan.writes)
        for (size_t k = 0; k < w.bytes.size(); ++k) check(doc[static_cast<size_t>(w.at) + k] == w.bytes[k]);
    return 0;
}
