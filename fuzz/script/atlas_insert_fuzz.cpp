// libFuzzer target for the insert's reader: any command text over a small document,
// with two tables and a pointer list the script may name. It never crashes, writes
// only inside the document, and a refusal names its line and writes nothing.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "script/script_files.h"
#include "script/script_insert.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::map<std::string, std::string> files{
        {"s/a.tbl", in.ConsumeRandomLengthString(300)},
        {"s/b.tbl", "/00=<end>\n/<e>\n41=A\n4142=AB\n*FE=<line>\n"},
        {"s/l.txt", in.ConsumeRandomLengthString(60)},
        {"s/c.tbl", "@m\n01=x\n!AB=,<@n>:2\n!AC=<[o]>,<@n>:$AC\n!AD=,<@n>:0\n@n\n01=[A]\n/00=[e]\n"},
        // Raw parts, several parts, "+", weights, a switch inside the other table, -1.
        {"s/d.tbl", "@p\n01=x\n!AB=<[r]>,2,<@q>:1+\n!AC=,<@q>:3\n!AD=<[b]>,-1\n@q\n01<2>=[A]\n!02=<[c]>,<@p>:1+\n/00=[e]\n"},
    };
    const auto dialect = static_cast<tarpon::ScriptDialect>(in.ConsumeIntegralInRange(0, 2));
    const std::vector<uint8_t> doc(64, 0x55);
    const std::string script = in.ConsumeRemainingBytesAsString();
    tarpon::InsertOptions options;
    options.dialect = dialect;
    options.sources = tarpon::test::sourcesIn(files, "s");
    const tarpon::InsertPlan plan = tarpon::planInsert({doc.data(), doc.size()}, script, options);
    if (!plan.problem.empty()) {
        check(plan.writes.empty());
        check(plan.problem.starts_with("Line ") || plan.problem.starts_with("The script is not"));
    }
    for (const tarpon::ScriptWrite& w : plan.writes)
        check(w.at >= 0 && w.at + static_cast<int64_t>(w.bytes.size()) <= static_cast<int64_t>(doc.size()));
    return 0;
}
