// libFuzzer target for scripts: any table text and any bytes, dumped as a range (and, when
// they hold two bytes or more, through a 2-byte pointer at their start) and inserted back
// unchanged, give the same bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "script/script_dump.h"
#include "script/script_insert.h"
#include "table/tbl_file.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

void roundTrip(const tarpon::Table& table, const std::vector<uint8_t>& doc, const tarpon::DumpRequest& request) {
    const tarpon::DumpResult dumped = tarpon::dumpScript(table, {doc.data(), doc.size()}, request);
    if (!dumped.problem.empty()) return;
    tarpon::InsertOptions options;
    options.table = &table;
    const tarpon::InsertPlan plan = tarpon::planInsert({doc.data(), doc.size()}, dumped.script, options);
    check(plan.problem.empty());
    std::vector<uint8_t> written(doc.size(), 0x55);
    for (const tarpon::ScriptWrite& w : plan.writes) {
        check(w.at >= 0 && w.at + static_cast<int64_t>(w.bytes.size()) <= static_cast<int64_t>(doc.size()));
        std::copy(w.bytes.begin(), w.bytes.end(), written.begin() + w.at);
        for (size_t k = 0; k < w.bytes.size(); ++k) check(doc[static_cast<size_t>(w.at) + k] == w.bytes[k]);
    }
    if (!request.pointers) check(written == doc);  // a range dump covers every byte
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    tarpon::Table table;
    tarpon::readTbl(in.ConsumeRandomLengthString(600), table);
    const std::vector<uint8_t> doc = in.ConsumeRemainingBytes<uint8_t>();
    if (doc.empty()) return 0;
    tarpon::DumpRequest range;
    range.to = static_cast<int64_t>(doc.size()) - 1;
    roundTrip(table, doc, range);
    tarpon::DumpRequest pointer;
    pointer.pointers = true, pointer.count = 1, pointer.p = {2, false, 0};
    roundTrip(table, doc, pointer);
    return 0;
}
