// libFuzzer target for command files: any text read as a command file never fails
// but with a message; one that reads is dumped from any bytes through a small table,
// and the script, inserted back unchanged (every table it names read as that table),
// writes only the bytes that are there.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "script/block_dump.h"
#include "script/command_file.h"
#include "script/script_insert.h"
#include "script/script_files.h"
#include "table/tbl_file.h"

namespace {

constexpr const char* kTable = "/00=<end>\n*FE=<line>\n61=a\n62=b\n6162=ab\n23=#\n2F=/\n";

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const tarpon::CommandFile file = tarpon::readCommandFile(in.ConsumeRandomLengthString(2000));
    check(file.problem.empty() != file.blocks.empty());
    if (!file.problem.empty()) return 0;
    tarpon::Table table;
    tarpon::readTbl(kTable, table);
    tarpon::CommandTables tables;
    for (const tarpon::TableName& name : file.tables) {
        tables.tables.push_back(&table);
        tables.paths.push_back(name.path);
    }
    const std::vector<uint8_t> doc = in.ConsumeRemainingBytes<uint8_t>();
    const tarpon::DumpResult dumped = tarpon::dumpCommandFile(file, tables, {doc.data(), doc.size()}, {}, 1 << 20);
    if (!dumped.problem.empty()) return 0;
    tarpon::InsertOptions options;
    options.table = &table;
    options.sources = tarpon::test::sourcesIn({}, "/p");
    options.sources.readFile = [](const std::string&) { return std::optional<std::string>(kTable); };
    const tarpon::InsertPlan plan = tarpon::planInsert({doc.data(), doc.size()}, dumped.script, options);
    check(plan.problem.empty());
    for (const tarpon::ScriptWrite& w : plan.writes)
        for (size_t k = 0; k < w.bytes.size(); ++k) check(doc[static_cast<size_t>(w.at) + k] == w.bytes[k]);
    return 0;
}
