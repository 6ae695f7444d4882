#include "script/script_dump.h"

#include <cstdio>
#include <map>
#include <set>
#include <vector>

#include "script/script_text.h"

namespace tarpon {
namespace {

std::string hex(int64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%s$%llX", value < 0 ? "-" : "",
                  static_cast<unsigned long long>(value < 0 ? -value : value));
    return text;
}

// A piece that would change meaning in a script line: a "#" that starts the line
// (a command), or "//" (a comment), also formed with the text before it.
bool unsafeInLine(const std::string& line, const std::string& piece) {
    if (piece.empty()) return false;
    if (line.empty() && piece[0] == '#') return true;
    if (piece.find("//") != std::string::npos) return true;
    return !line.empty() && line.back() == '/' && piece[0] == '/';
}

struct StringText {
    std::string text;
    int64_t end = 0;  // the byte after the string
};

// The string from `start` up to its end token or `limit`, as script text that spells
// back to exactly its bytes: a piece whose text would spell otherwise is written raw.
StringText readString(const ScriptTable& st, std::span<const uint8_t> doc, int64_t start, int64_t limit) {
    std::set<int64_t> raw;  // the pieces (by their first byte) that must be raw
    for (;;) {
        StringText s;
        std::string line;  // the script line being filled, to keep commands and comments out
        int64_t at = start;
        while (at < limit) {
            const std::span<const uint8_t> rest = doc.subspan(static_cast<size_t>(at), static_cast<size_t>(limit - at));
            ScriptToken token = st.read(rest, raw.contains(at));
            if (!raw.contains(at) && unsafeInLine(line, token.text)) token = st.read(rest, true);
            s.text += token.text;
            const size_t lastBreak = token.text.rfind('\n');
            line = lastBreak == std::string::npos ? line + token.text : token.text.substr(lastBreak + 1);
            at += static_cast<int64_t>(token.length);
            if (token.ends) break;
        }
        s.end = at;
        // Spelled back, the text must give the same bytes; else the piece where they first differ goes raw.
        std::vector<size_t> from;
        const auto spelled = st.spell(s.text, &from);
        const std::span<const uint8_t> bytes = doc.subspan(static_cast<size_t>(start), static_cast<size_t>(at - start));
        if (spelled && std::equal(spelled->begin(), spelled->end(), bytes.begin(), bytes.end())) return s;
        // The first differing byte, found by reading the pieces again in step with the text.
        size_t k = from.size();  // a spelling that failed gave this many bytes first
        if (spelled)
            for (k = 0; k < spelled->size() && k < bytes.size() && (*spelled)[k] == bytes[k];) ++k;
        int64_t piece = start;
        for (int64_t p = start; p < at && p - start <= static_cast<int64_t>(k);) {
            piece = p;
            p += static_cast<int64_t>(st.read(doc.subspan(static_cast<size_t>(p), static_cast<size_t>(limit - p)),
                                              raw.contains(p)).length);
        }
        if (!raw.insert(piece).second) {  // already raw: make every piece raw, which always spells back
            for (int64_t p = start; p < at; ++p) raw.insert(p);
        }
    }
}

void dumpRange(const ScriptTable& st, std::span<const uint8_t> doc, const DumpRequest& r, DumpResult& out) {
    out.script += "#JMP(" + hex(r.from) + ", " + hex(r.to) + ")\n";
    for (int64_t at = r.from; at <= r.to; ++out.strings) {
        const StringText s = readString(st, doc, at, r.to + 1);
        out.script += "//STRING #" + std::to_string(out.strings) + " @ " + hex(at) + "\n" + s.text + "\n\n";
        at = s.end;
    }
}

void dumpPointers(const ScriptTable& st, std::span<const uint8_t> doc, const DumpRequest& r, DumpResult& out) {
    const auto size = static_cast<int64_t>(doc.size());
    std::map<int64_t, std::vector<std::pair<int64_t, int64_t>>> pointersTo;  // target -> (number, place)
    std::string outside;
    for (int64_t i = 0; i < r.count; ++i) {
        const int64_t place = r.tableAt + i * r.p.size;
        int64_t target = 0;
        for (int k = 0; k < r.p.size; ++k)
            target = target << 8 | doc[static_cast<size_t>(place + (r.p.bigEndian ? k : r.p.size - 1 - k))];
        target += r.p.add;
        if (target < 0 || target >= size)
            outside += "//POINTER #" + std::to_string(i) + " @ " + hex(place) + " points outside the file (" +
                       hex(target) + ")\n";
        else pointersTo[target].push_back({i, place});
    }
    out.script += "#SMA(\"LINEAR\")\n#HDR(" + hex(r.p.add) + ")\n";
    if (r.p.bigEndian) out.script += "#ENDIAN(\"BIG\")\n";
    out.script += outside;
    if (pointersTo.empty()) return;
    std::vector<StringText> strings;
    int64_t last = 0;
    for (const auto& [target, pointers] : pointersTo) {
        const int64_t limit = r.maxLength > 0 ? std::min(size, target + r.maxLength) : size;
        strings.push_back(readString(st, doc, target, limit));
        last = std::max(last, strings.back().end - 1);
    }
    const std::string area = ", " + hex(last) + ")\n";
    int64_t at = -1;
    size_t k = 0;
    for (const auto& [target, pointers] : pointersTo) {
        if (target != at) out.script += "#JMP(" + hex(target) + area;
        for (const auto& [number, place] : pointers)
            out.script += "//POINTER #" + std::to_string(number) + " @ " + hex(place) + " - STRING #" +
                          std::to_string(k) + " @ " + hex(target) + "\n#W" + std::to_string(8 * r.p.size) + "(" +
                          hex(place) + ")\n";
        out.script += strings[k].text + "\n\n";
        at = strings[k++].end;
    }
    out.strings = static_cast<int64_t>(k);
}

}  // namespace

DumpResult dumpScript(const Table& table, std::span<const uint8_t> doc, const DumpRequest& r) {
    DumpResult out;
    const auto size = static_cast<int64_t>(doc.size());
    if (!r.pointers && !(r.from >= 0 && r.from <= r.to && r.to < size))
        out.problem = "The range must lie in the file, its first byte not after its last.";
    else if (r.pointers && !(r.p.size >= 2 && r.p.size <= 4))
        out.problem = "A pointer is 2, 3 or 4 bytes.";
    else if (r.pointers && !(r.count > 0 && r.tableAt >= 0 && r.tableAt + r.count * r.p.size <= size))
        out.problem = "The pointer table must hold at least one pointer and lie in the file.";
    else if (r.maxLength < 0)
        out.problem = "A string's longest length cannot be negative.";
    if (!out.problem.empty()) return out;
    const ScriptTable st(table);
    out.script = "// Dumped by tarpon-hex" + (r.source.empty() ? std::string() : ": " + r.source) + "\n";
    if (r.pointers) dumpPointers(st, doc, r, out);
    else dumpRange(st, doc, r, out);
    return out;
}

}  // namespace tarpon
