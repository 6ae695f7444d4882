#include "script/script_dump.h"

#include <algorithm>
#include <array>
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
                         std::string& out, const Progress& progress, bool* ended, Measure* measure) {
    const size_t textAt = out.size();
    // Sure pieces first, straight on, a stretch at a time so that a long string asks
    // the progress too (and, when measured, lets its text go: shorter stretches for
    // long texts); the rest of the string, if any, is checked.
    Measure whole;  // none given: the whole string, kept
    if (!measure) measure = &whole;
    const int64_t stretch =
        measure->drop ? std::max<int64_t>(256, kStretch * 16 / static_cast<int64_t>(std::max<size_t>(st.speller().longestText(), 16)))
                : kStretch;
    bool sureEnded = false;
    int64_t from = start;
    for (;;) {
        const int64_t stretchEnd = std::min(limit, from + stretch);
        const int64_t next = st.readSure(doc, from, stretchEnd, out, textAt, sureEnded);
        if (measure->drop && out.size() > textAt + 1) {
            // Only the last character is kept: whether the next text starts a line.
            measure->dropped += out.size() - textAt - 1;
            out.erase(textAt, out.size() - textAt - 1);
        }
        if (measure->dropped + (out.size() - textAt) > measure->most) return next;  // too large: the caller refuses it
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
        if (measure->dropped + (out.size() - textAt) > measure->most) return TextPiece{1, true, true};  // refused
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

std::string checkDumpRequest(const DumpRequest& r, int64_t size) {
    if (!r.pointers && !(r.from >= 0 && r.from <= r.to && r.to < size))
        return "The range must lie in the file, its first byte not after its last.";
    if (r.pointers && !(r.p.size >= 2 && r.p.size <= 4)) return "A pointer is 2, 3 or 4 bytes.";
    if (r.pointers && !(r.count > 0 && r.tableAt >= 0 && r.tableAt + r.count * r.p.size <= size))
        return "The pointer table must hold at least one pointer and lie in the file.";
    if (r.maxLength < 0) return "A string's longest length cannot be negative.";
    return {};
}

bool scriptTooLarge(uint64_t size, const DumpRequest& r, DumpResult& out) {
    if (size <= r.maxScript) return false;
    out.script = std::string();
    out.problem = "The script would be larger than " + std::to_string(r.maxScript) +
                  " bytes: dump a smaller range, or fewer pointers.";
    return true;
}

void dumpPointerTable(std::span<const uint8_t> doc, const DumpRequest& r, DumpResult& out, const Progress& progress,
                      uint64_t* dropped, const ReadPointed& read) {
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
    uint64_t gone = 0;  // measured and let go
    if (!dropped) dropped = &gone;
    std::vector<PointedString> strings;
    int64_t last = 0;
    uint64_t written = *dropped + out.script.size();
    int64_t done = 0;
    for (const auto& [target, pointers] : pointersTo) {
        if (!progress.keepGoing(done++, std::ssize(pointersTo))) return;
        const int64_t limit = r.maxLength > 0 ? std::min(size, target + r.maxLength) : size;
        PointedString& s = strings.emplace_back();
        read(target, limit, s);
        last = std::max(last, s.end - 1);
        written += s.size;
        if (scriptTooLarge(written, r, out)) return;
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
        if (strings[k].text.empty()) *dropped += strings[k].size;  // let go when measured
        else out.script += strings[k].text;
        out.script += "\n\n";
        if (scriptTooLarge(*dropped + out.script.size(), r, out)) return;
        if (dropped != &gone) {
            *dropped += out.script.size();
            out.script.clear();
        }
        at = strings[k++].end;
    }
    out.strings = static_cast<int64_t>(k);
}

namespace {

// Where the script goes: into `out.script`, or, on a dry run that only measures it,
// through it (each string's text counted, then let go, so that a script too large is
// refused before its memory is taken).
struct ScriptSink {
    DumpResult& out;
    bool dry = false;
    Measure measure;  // the bytes counted and let go
    uint64_t size() const { return measure.dropped + out.script.size(); }
    void settle() {
        if (!dry) return;
        measure.dropped += out.script.size();
        out.script.clear();
    }
};

// A range's first bytes (an eighth of a small one), read before the script's room is worked out.
constexpr int64_t kMeasure = 64 * 1024;

void dumpRange(const ScriptTable& st, std::span<const uint8_t> doc, const DumpRequest& r, ScriptSink& sink,
               const Progress& progress) {
    DumpResult& out = sink.out;
    out.script += "#JMP(" + scriptNumber(r.from) + ", " + scriptNumber(r.to) + ")\n";
    // Most tables give a script about twice the range's bytes: room for that at once
    // rather than copying the script as it grows.
    const int64_t bytes = r.to - r.from + 1;
    if (!sink.dry) out.script.reserve(out.script.size() + static_cast<size_t>(std::min<int64_t>(2 * bytes, r.maxScript)));
    bool measured = sink.dry;
    for (int64_t at = r.from; at <= r.to; ++out.strings) {
        if (!progress.keepGoing(at - r.from, bytes, 1 << 12)) return;
        if (!measured && at - r.from >= std::min(kMeasure, std::max<int64_t>(4096, bytes / 8))) {
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
        if (!sink.dry) sink.measure.most = r.maxScript - std::min<uint64_t>(r.maxScript, out.script.size());
        at = readScriptString(st, doc, at, r.to + 1, out.script, progress, nullptr, &sink.measure);
        out.script += "\n\n";
        if (scriptTooLarge(sink.size(), r, out)) return;
        sink.settle();
    }
}

void dumpPointers(const ScriptTable& st, std::span<const uint8_t> doc, const DumpRequest& r, ScriptSink& sink,
                  const Progress& progress) {
    dumpPointerTable(doc, r, sink.out, progress, sink.dry ? &sink.measure.dropped : nullptr,
                     [&](int64_t target, int64_t limit, PointedString& s) {
                         Measure measure{sink.dry, 0, r.maxScript};
                         s.end = readScriptString(st, doc, target, limit, s.text, progress, nullptr, &measure);
                         s.size = measure.dropped + s.text.size();
                         if (sink.dry) std::string().swap(s.text);
                     });
}

// Whether the script might pass the bound: each byte at most the longest text its
// byte begins (or a raw byte), each place an end token may end a string a header.
// Only then is the script measured before it is written.
bool mayBeTooLarge(const Table& table, std::span<const uint8_t> doc, const DumpRequest& r) {
    constexpr uint64_t kHeader = 64;  // "//STRING #n @ $X" and the blank line after the string
    if (r.source.size() + 4 * kHeader > r.maxScript) return true;
    const uint64_t room = r.maxScript - r.source.size() - 4 * kHeader;  // beside the first lines
    std::array<uint64_t, 256> most{};
    most.fill(5);  // "<$XX>"
    std::array<bool, 256> ends{};
    for (const TableEntry& e : table.entries()) {
        const auto b = static_cast<uint8_t>(e.key[0]);
        const uint64_t text = e.text.size() + 1 + 5 * static_cast<uint64_t>(std::max(e.params, 0));
        most[b] = std::max(most[b], text);
        ends[b] = ends[b] || e.kind == EntryKind::EndToken;
    }
    uint64_t perByte = 0;
    for (int b = 0; b < 256; ++b) perByte = std::max(perByte, most[b] + (ends[b] ? kHeader : 0));
    if (r.pointers) {
        const uint64_t perString = r.maxLength > 0 ? static_cast<uint64_t>(r.maxLength) : doc.size();
        return static_cast<uint64_t>(r.count) * (perString * perByte + 4 * kHeader) > room;
    }
    const auto bytes = static_cast<uint64_t>(r.to - r.from + 1);
    if (bytes * perByte <= room) return false;
    // Most tables have one or two bytes that begin end tokens: counting them (a fast
    // pass each) bounds the headers, beside the longest text for every byte.
    const auto range = doc.subspan(static_cast<size_t>(r.from), bytes);
    if (std::count(ends.begin(), ends.end(), true) <= 4) {
        uint64_t strings = 1, longest = 0;
        for (int b = 0; b < 256; ++b) {
            longest = std::max(longest, most[b]);
            if (ends[b]) strings += static_cast<uint64_t>(std::count(range.begin(), range.end(), static_cast<uint8_t>(b)));
        }
        if (bytes * longest + strings * kHeader <= room) return false;
    }
    uint64_t bound = 0;
    for (int64_t at = r.from; at <= r.to; ++at) {
        const uint8_t b = doc[static_cast<size_t>(at)];
        bound += most[b] + (ends[b] ? kHeader : 0);
    }
    return bound > room;
}

}  // namespace

DumpResult dumpScript(const Table& table, std::span<const uint8_t> doc, const DumpRequest& r,
                      const Progress& progress) {
    DumpResult out;
    out.problem = checkDumpRequest(r, static_cast<int64_t>(doc.size()));
    if (!out.problem.empty()) return out;
    guardDump(out, progress, "dump a smaller range.", [&] {
        const ScriptTable st(table);
        const auto run = [&](ScriptSink& sink) {
            sink.out.script = "// Dumped by tarpon-hex" + (r.source.empty() ? std::string() : ": " + r.source) + "\n";
            if (r.pointers) dumpPointers(st, doc, r, sink, progress);
            else dumpRange(st, doc, r, sink, progress);
        };
        if (mayBeTooLarge(table, doc, r)) {
            DumpResult measured;
            ScriptSink dry{measured, true, {true, 0, r.maxScript}};
            run(dry);
            if (!measured.problem.empty() || progress.stopped()) {
                out = std::move(measured);
                return;
            }
        }
        ScriptSink sink{out, false, {false, 0, r.maxScript}};
        run(sink);
    });
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
