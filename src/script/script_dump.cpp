#include "script/script_dump.h"

#include <algorithm>
#include <map>
#include <vector>

#include "script/script_text.h"

namespace tarpon {
namespace {

// A piece that would change meaning in a script line: a line break inside its text
// (other than a line-break entry's at its end), a "#" that starts the line
// (a command), a blank that starts it (a line of blanks is passed over, and blanks
// may lead to a "#" or "//"), or "//" (a comment), also formed with the text before
// it (`last`, the line's last character, or 0 on an empty line).
bool unsafeInLine(char last, std::string_view piece) {
    if (piece.empty()) return false;
    // A line break inside the text splits the line where a reader would not join it again.
    const size_t lineBreak = piece.find_first_of("\r\n");
    if (lineBreak != std::string_view::npos && (piece[lineBreak] == '\r' || lineBreak + 1 < piece.size())) return true;
    if (last == 0 && (piece[0] == '#' || piece[0] == ' ' || piece[0] == '\t')) return true;
    if (piece.find("//") != std::string_view::npos) return true;
    return last == '/' && piece[0] == '/';
}

// Reads the string from `start` up to its end token or `limit` onto `out`, the
// pieces at `raw` as raw bytes; gives the byte after it. `sure`: every piece is
// sure to spell back as it was read.
int64_t readPieces(const ScriptTable& st, std::span<const uint8_t> doc, int64_t start, int64_t limit,
                   const std::vector<int64_t>& raw, std::string& out, bool& sure) {
    sure = true;
    char last = 0;  // the last character of the script line being filled
    int64_t at = start;
    while (at < limit) {
        const std::span<const uint8_t> rest = doc.subspan(static_cast<size_t>(at), static_cast<size_t>(limit - at));
        const bool forced = !raw.empty() && std::binary_search(raw.begin(), raw.end(), at);
        const size_t before = out.size();
        ScriptToken token = st.read(rest, forced, out);
        if (token.risky && unsafeInLine(last, std::string_view(out).substr(before))) {
            out.resize(before);
            token = st.read(rest, true, out);
        }
        if (out.size() > before) last = out.back() == '\n' || out.back() == '\r' ? 0 : out.back();
        sure = sure && token.sure;
        at += static_cast<int64_t>(token.length);
        if (token.ends) break;
    }
    return at;
}

// The first byte of the piece that gives byte `k` of the string from `start`.
int64_t pieceHolding(const ScriptTable& st, std::span<const uint8_t> doc, int64_t start, int64_t end, int64_t limit,
                     size_t k, const std::vector<int64_t>& raw) {
    std::string scratch;
    int64_t piece = start;
    for (int64_t p = start; p < end && p - start <= static_cast<int64_t>(k);) {
        piece = p;
        const bool forced = std::binary_search(raw.begin(), raw.end(), p);
        p += static_cast<int64_t>(
            st.read(doc.subspan(static_cast<size_t>(p), static_cast<size_t>(limit - p)), forced, scratch).length);
    }
    return piece;
}

// The string from `start` up to its end token or `limit`, appended to `out` as
// script text that spells back to exactly its bytes: a piece whose text would spell
// otherwise is written raw. Gives the byte after the string.
int64_t readString(const ScriptTable& st, std::span<const uint8_t> doc, int64_t start, int64_t limit,
                   std::string& out) {
    std::vector<int64_t> raw;  // the pieces (by their first byte) that must be raw, ascending
    std::vector<uint8_t> spelled;
    const size_t textAt = out.size();
    for (;;) {
        out.resize(textAt);
        bool sure = false;
        const int64_t end = readPieces(st, doc, start, limit, raw, out, sure);
        if (sure) return end;
        const std::string_view text = std::string_view(out).substr(textAt);
        const std::span<const uint8_t> bytes = doc.subspan(static_cast<size_t>(start), static_cast<size_t>(end - start));
        // Spelled back, the text must give the same bytes; else the piece where they first differ goes raw.
        if (st.spellInto(text, spelled) && std::ranges::equal(spelled, bytes)) return end;
        std::vector<size_t> from;
        const bool ok = st.spellInto(text, spelled, &from);
        size_t k = from.size();  // a spelling that failed gave this many bytes first
        if (ok) k = static_cast<size_t>(std::ranges::mismatch(spelled, bytes).in1 - spelled.begin());
        const int64_t piece = pieceHolding(st, doc, start, end, limit, k, raw);
        const auto it = std::lower_bound(raw.begin(), raw.end(), piece);
        if (it == raw.end() || *it != piece) {
            raw.insert(it, piece);
        } else {  // already raw: make every piece raw, which always spells back
            raw.clear();
            for (int64_t p = start; p < end; ++p) raw.push_back(p);
        }
    }
}

void dumpRange(const ScriptTable& st, std::span<const uint8_t> doc, const DumpRequest& r, DumpResult& out) {
    out.script += "#JMP(" + scriptNumber(r.from) + ", " + scriptNumber(r.to) + ")\n";
    for (int64_t at = r.from; at <= r.to; ++out.strings) {
        out.script += "//STRING #";
        out.script += std::to_string(out.strings);
        out.script += " @ ";
        out.script += scriptNumber(at);
        out.script += '\n';
        at = readString(st, doc, at, r.to + 1, out.script);
        out.script += "\n\n";
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
            outside += "//POINTER #" + std::to_string(i) + " @ " + scriptNumber(place) + " points outside the file (" +
                       scriptNumber(target) + ")\n";
        else pointersTo[target].push_back({i, place});
    }
    out.script += "#SMA(\"LINEAR\")\n#HDR(" + scriptNumber(r.p.add) + ")\n";
    if (r.p.bigEndian) out.script += "#ENDIANSWAP(\"TRUE\")\n";
    out.script += outside;
    if (pointersTo.empty()) return;
    struct StringText {
        std::string text;
        int64_t end = 0;  // the byte after the string
    };
    std::vector<StringText> strings;
    int64_t last = 0;
    for (const auto& [target, pointers] : pointersTo) {
        const int64_t limit = r.maxLength > 0 ? std::min(size, target + r.maxLength) : size;
        StringText& s = strings.emplace_back();
        s.end = readString(st, doc, target, limit, s.text);
        last = std::max(last, s.end - 1);
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
