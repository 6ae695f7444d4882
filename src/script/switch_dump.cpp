#include "script/switch_dump.h"

#include <algorithm>
#include <map>
#include <vector>

#include "script/script_text.h"
#include "script/switch_reader.h"

namespace tarpon {
namespace {

// Why the request cannot be dumped from `doc`, or "".
std::string checkRequest(std::span<const uint8_t> doc, const DumpRequest& r) {
    const auto size = static_cast<int64_t>(doc.size());
    if (!r.pointers && !(r.from >= 0 && r.from <= r.to && r.to < size))
        return "The range must lie in the file, its first byte not after its last.";
    if (r.pointers && !(r.p.size >= 2 && r.p.size <= 4)) return "A pointer is 2, 3 or 4 bytes.";
    if (r.pointers && !(r.count > 0 && r.tableAt >= 0 && r.tableAt + r.count * r.p.size <= size))
        return "The pointer table must hold at least one pointer and lie in the file.";
    if (r.maxLength < 0) return "A string's longest length cannot be negative.";
    return {};
}

// A script past its bound is refused: nothing is kept of it.
bool tooLarge(uint64_t size, const DumpRequest& r, DumpResult& out) {
    if (size <= r.maxScript) return false;
    out.script = std::string();
    out.problem = "The script would be larger than " + std::to_string(r.maxScript) +
                  " bytes: dump a smaller range, or fewer pointers.";
    return true;
}

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
        if (tooLarge(out.script.size(), r, out)) return;
    }
}

void dumpPointers(const SwitchReader& reader, std::span<const uint8_t> doc, const DumpRequest& r, DumpResult& out,
                  const Progress& progress) {
    const auto size = static_cast<int64_t>(doc.size());
    std::map<int64_t, std::vector<std::pair<int64_t, int64_t>>> pointersTo;  // target -> (number, place)
    out.script += "#SMA(\"LINEAR\")\n#HDR(" + scriptNumber(r.p.add) + ")\n";
    if (r.p.bigEndian) out.script += endianCommand(true) + "\n";
    for (int64_t i = 0; i < r.count; ++i) {
        const int64_t place = r.tableAt + i * r.p.size;
        const int64_t target = decodePointer(doc.subspan(static_cast<size_t>(place)), r.p);
        if (target < 0 || target >= size)
            out.script += "//POINTER #" + std::to_string(i) + " @ " + scriptNumber(place) + " points outside the file (" +
                          scriptNumber(target) + ")\n";
        else pointersTo[target].push_back({i, place});
    }
    std::vector<std::pair<std::string, int64_t>> strings;  // each text, and the byte after it
    int64_t last = 0;
    uint64_t written = out.script.size();
    for (const auto& [target, pointers] : pointersTo) {
        if (!progress.keepGoing(std::ssize(strings), std::ssize(pointersTo))) return;
        const int64_t limit = r.maxLength > 0 ? std::min(size, target + r.maxLength) : size;
        auto& [text, end] = strings.emplace_back();
        end = reader.read(doc, target, limit, text, nullptr, progress);
        last = std::max(last, end - 1);
        written += text.size();
        if (tooLarge(written, r, out)) return;
    }
    const std::string area = ", " + scriptNumber(last) + ")\n";
    int64_t at = -1;
    size_t k = 0;
    for (const auto& [target, pointers] : pointersTo) {
        if (target != at) out.script += "#JMP(" + scriptNumber(target) + area;
        for (const auto& [number, place] : pointers)
            out.script += "//POINTER #" + std::to_string(number) + " @ " + scriptNumber(place) + " - STRING #" +
                          std::to_string(k) + " @ " + scriptNumber(target) + "\n#W" + std::to_string(8 * r.p.size) + "(" +
                          scriptNumber(place) + ")\n";
        out.script += strings[k].first + "\n\n";
        if (tooLarge(out.script.size(), r, out)) return;
        at = strings[k++].second;
    }
    out.strings = static_cast<int64_t>(k);
}

}  // namespace

DumpResult dumpSwitchingScript(const SwitchingTables& tables, const std::string& path, std::span<const uint8_t> doc,
                               const DumpRequest& r, const Progress& progress) {
    DumpResult out;
    if (out.problem = checkRequest(doc, r); !out.problem.empty()) return out;
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
