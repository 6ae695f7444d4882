#include "script/script_dump.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <new>
#include <vector>

#include "core/text_writer.h"
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

// The bytes read straight on between two questions to the progress.
constexpr int64_t kStretch = int64_t{1} << 16;

}  // namespace

int64_t readScriptString(const ScriptTable& st, std::span<const uint8_t> doc, int64_t start, int64_t limit,
                         std::string& out, const Progress& progress, bool* ended) {
    const size_t textAt = out.size();
    // Sure pieces first, straight on, a stretch at a time so that a long string asks
    // the progress too; the rest of the string, if any, is checked.
    bool sureEnded = false;
    int64_t from = start;
    for (;;) {
        const int64_t stretchEnd = std::min(limit, from + kStretch);
        const int64_t next = st.readSure(doc, from, stretchEnd, out, textAt, sureEnded);
        if (sureEnded || next >= limit) {
            if (ended) *ended = sureEnded;
            return next;
        }
        // Stopped before a piece it cannot read (not only for want of the bytes after the stretch).
        const bool stuck = next == from || stretchEnd == limit;
        from = next;
        if (stuck) break;
        if (!progress.keepGoing(from, static_cast<int64_t>(doc.size()), 1)) return from;  // the dump is thrown away
    }
    int64_t endTokenEnd = -1;  // where the last end token read ends
    const auto read = [&](int64_t at, bool raw) {
        // A long string asks too; once stopped it ends here (the dump is thrown away).
        if (!progress.keepGoing(at, static_cast<int64_t>(doc.size()), 1 << 16)) return TextPiece{1, true, true};
        const std::span<const uint8_t> rest = doc.subspan(static_cast<size_t>(at), static_cast<size_t>(limit - at));
        const size_t before = out.size();
        ScriptToken token = st.read(rest, raw, out);
        const char last = before > textAt && out[before - 1] != '\n' && out[before - 1] != '\r' ? out[before - 1] : 0;
        if (token.risky && unsafeInLine(last, std::string_view(out).substr(before))) {
            out.resize(before);
            token = st.read(rest, true, out);
        }
        if (token.ends) endTokenEnd = at + static_cast<int64_t>(token.length);
        return TextPiece{static_cast<int64_t>(token.length), token.ends, token.sure};
    };
    const int64_t end = writeCheckedText(st.speller(), doc, from, limit, out, read);
    if (ended) *ended = end == endTokenEnd;
    return end;
}

std::string endianCommand(bool bigEndian) { return bigEndian ? "#ENDIANSWAP(\"TRUE\")" : "#ENDIANSWAP(\"FALSE\")"; }

namespace {

// A script past kMaxScriptSize is refused: nothing is kept of it.
bool tooLarge(uint64_t size, const DumpRequest& r, DumpResult& out) {
    if (size <= r.maxScript) return false;
    out.script = std::string();
    out.problem = "The script would be larger than " + std::to_string(r.maxScript) +
                  " bytes: dump a smaller range, or fewer pointers.";
    return true;
}

// A range's first bytes, read before the script's room is worked out.
constexpr int64_t kMeasure = 64 * 1024;

template <typename Read>
void dumpRange(const Read& readString, std::span<const uint8_t> doc, const DumpRequest& r, DumpResult& out,
               const Progress& progress) {
    out.script += "#JMP(" + scriptNumber(r.from) + ", " + scriptNumber(r.to) + ")\n";
    // Most tables give a script about twice the range's bytes: room for that at once
    // rather than copying the script as it grows.
    const int64_t bytes = r.to - r.from + 1;
    out.script.reserve(out.script.size() + static_cast<size_t>(std::min<int64_t>(2 * bytes, r.maxScript)));
    bool measured = false;
    for (int64_t at = r.from; at <= r.to; ++out.strings) {
        if (!progress.keepGoing(at - r.from, bytes, 1 << 12)) return;
        if (!measured && at - r.from >= kMeasure) {
            // The first bytes tell how much text this table gives per byte: room for the
            // rest at that rate, rather than copying the script as it grows.
            measured = true;
            const double perByte = static_cast<double>(out.script.size()) / static_cast<double>(at - r.from);
            const double room = static_cast<double>(out.script.size()) + perByte * static_cast<double>(r.to + 1 - at) * 1.05;
            out.script.reserve(static_cast<size_t>(std::min(room, static_cast<double>(r.maxScript)) + 4096));
        }
        char number[24];
        const auto written = std::to_chars(number, number + sizeof number, out.strings);
        out.script += "//STRING #";
        out.script.append(number, written.ptr);
        out.script += " @ ";
        appendScriptNumber(out.script, at);
        out.script += '\n';
        at = readString(doc, at, r.to + 1, out.script, progress);
        out.script += "\n\n";
        if (tooLarge(out.script.size(), r, out)) return;
    }
}

template <typename Read>
void dumpPointers(const Read& readString, std::span<const uint8_t> doc, const DumpRequest& r, DumpResult& out,
                  const Progress& progress) {
    const auto size = static_cast<int64_t>(doc.size());
    std::map<int64_t, std::vector<std::pair<int64_t, int64_t>>> pointersTo;  // target -> (number, place)
    std::string outside;
    for (int64_t i = 0; i < r.count; ++i) {
        const int64_t place = r.tableAt + i * r.p.size;
        const int64_t target = decodePointer(doc.subspan(static_cast<size_t>(place)), r.p);
        if (target < 0 || target >= size)
            outside += "//POINTER #" + std::to_string(i) + " @ " + scriptNumber(place) + " points outside the file (" +
                       scriptNumber(target) + ")\n";
        else pointersTo[target].push_back({i, place});
    }
    out.script += "#SMA(\"LINEAR\")\n#HDR(" + scriptNumber(r.p.add) + ")\n";
    if (r.p.bigEndian) out.script += endianCommand(true) + "\n";
    out.script += outside;
    if (pointersTo.empty()) return;
    struct StringText {
        std::string text;
        int64_t end = 0;  // the byte after the string
    };
    std::vector<StringText> strings;
    int64_t last = 0;
    uint64_t written = out.script.size();
    int64_t done = 0;
    for (const auto& [target, pointers] : pointersTo) {
        if (!progress.keepGoing(done++, std::ssize(pointersTo))) return;
        const int64_t limit = r.maxLength > 0 ? std::min(size, target + r.maxLength) : size;
        StringText& s = strings.emplace_back();
        s.end = readString(doc, target, limit, s.text, progress);
        last = std::max(last, s.end - 1);
        written += s.text.size();
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
        out.script += strings[k].text + "\n\n";
        at = strings[k++].end;
    }
    out.strings = static_cast<int64_t>(k);
}

}  // namespace

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

template <typename Read>
void dumpStrings(const Read& read, const std::string& header, std::span<const uint8_t> doc, const DumpRequest& r,
                 DumpResult& out, const Progress& progress) {
    out.script = "// Dumped by tarpon-hex" + (r.source.empty() ? std::string() : ": " + r.source) + "\n" + header;
    if (r.pointers) dumpPointers(read, doc, r, out, progress);
    else dumpRange(read, doc, r, out, progress);
}

}  // namespace

DumpResult dumpScript(const Table& table, std::span<const uint8_t> doc, const DumpRequest& r,
                      const Progress& progress) {
    DumpResult out;
    if (out.problem = checkRequest(doc, r); !out.problem.empty()) return out;
    guardDump(out, progress, "dump a smaller range.", [&] {
        const ScriptTable st(table);
        const auto read = [&st](std::span<const uint8_t> d, int64_t at, int64_t limit, std::string& text, const Progress& p) {
            return readScriptString(st, d, at, limit, text, p);
        };
        dumpStrings(read, {}, doc, r, out, progress);
    });
    return out;
}

DumpResult dumpScriptWith(const ScriptStringReader& read, const std::string& header, std::span<const uint8_t> doc,
                          const DumpRequest& r, const Progress& progress) {
    DumpResult out;
    if (out.problem = checkRequest(doc, r); !out.problem.empty()) return out;
    guardDump(out, progress, "dump a smaller range.", [&] { dumpStrings(read, header, doc, r, out, progress); });
    return out;
}

void guardDump(DumpResult& out, const Progress& progress, const std::string& advice, const std::function<void()>& work) {
    try {
        work();
    } catch (const std::bad_alloc&) {
        out = DumpResult();
        out.problem = "There is not enough memory for the script: " + advice;
    }
    if (progress.stopped()) {
        out = DumpResult();
        out.problem = "The dump was cancelled.";
        out.cancelled = true;
    }
}

}  // namespace tarpon
