#include "script/switch_dump.h"

#include "script/script_text.h"
#include "script/switch_reader.h"

namespace tarpon {
namespace {

// Each string after its own #JMP: abcde's insert spells the text between two commands
// as one, and each string was checked alone.
void dumpRange(const SwitchReader& reader, std::span<const uint8_t> doc, const DumpRequest& r, DumpResult& out,
               const Progress& progress) {
    const std::string area = ", " + scriptNumber(r.to) + ")\n";
    out.script += "#JMP(" + scriptNumber(r.from) + area;
    for (int64_t at = r.from; at <= r.to; ++out.strings) {
        if (!progress.keepGoing(at - r.from, r.to + 1 - r.from, 1 << 12)) return;
        out.script += "//STRING #" + std::to_string(out.strings) + " @ " + scriptNumber(at) + "\n#JMP(" + scriptNumber(at) + area;
        at = reader.read(doc, at, r.to + 1, out.script, nullptr, progress);
        out.script += "\n\n";
        if (scriptTooLarge(out.script.size(), r, out)) return;
    }
}

void dumpPointers(const SwitchReader& reader, std::span<const uint8_t> doc, const DumpRequest& r, DumpResult& out,
                  const Progress& progress) {
    dumpPointerTable(doc, r, out, progress, nullptr, [&](int64_t target, int64_t limit, PointedString& s) {
        s.end = reader.read(doc, target, limit, s.text, nullptr, progress);
        s.size = s.text.size();
    });
}

}  // namespace

DumpResult dumpSwitchingScript(const SwitchingTables& tables, const std::string& path, std::span<const uint8_t> doc,
                               const DumpRequest& r, const Progress& progress) {
    DumpResult out;
    if (out.problem = checkDumpRequest(r, static_cast<int64_t>(doc.size())); !out.problem.empty()) return out;
    if (tables.size() == 0 || path.find_first_of("\"\r\n") != std::string::npos) {
        out.problem = tables.size() == 0 ? "The table holds no table." : "The table's path cannot be written in an #ADDTBL line: " + path;
        return out;
    }
    if (const std::string missing = tables.missingTarget(); !missing.empty()) {
        out.problem = "The table switches to " + missing + ", which it does not hold.";
        return out;
    }
    guardDump(out, progress, "dump a smaller range.", [&] {
        const SwitchReader reader(tables, 0);
        const std::string id = writableTableId(tables.at(0).id) ? tables.at(0).id : std::string();
        // "#ACTIVETBL(@id)" has an insert read the script by abcde's rules; without an id, a command only abcde has does.
        out.script = "// Dumped by tarpon-hex" + (r.source.empty() ? std::string() : ": " + r.source) + "\n" +
                     "#VAR(Table_0, TABLE)\n#ADDTBL(\"" + path + "\", Table_0)\n" +
                     (id.empty() ? "#ACTIVETBL(Table_0)\n#CONTINUOUSFILE(\"FALSE\") // read by abcde's rules: the tables switch\n"
                                 : "#ACTIVETBL(@" + id + ")\n");
        if (r.pointers) dumpPointers(reader, doc, r, out, progress);
        else dumpRange(reader, doc, r, out, progress);
    });
    return out;
}

}  // namespace tarpon
