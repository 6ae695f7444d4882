#include "script/bit_dump.h"

#include <algorithm>

namespace tarpon {
namespace {

// Raw tokens for `bits` bits from `at`: eight at a time, then one at a time.
void appendRaw(uint64_t at, uint64_t bits, std::vector<BitToken>& out) {
    for (; bits >= 8; at += 8, bits -= 8) out.push_back({at, 8, -1});
    for (; bits > 0; ++at, --bits) out.push_back({at, 1, -1});
}

// A piece's text that would change a script line: a CR, "//" (a comment, also with
// the "/" before it), or "#" or a blank where a line starts (a command, or blanks
// that may lead to one). `last`: the character before it, 0 at a line's start.
bool unsafeInLine(char last, std::string_view text) {
    if (text.find('\r') != std::string_view::npos || text.find("//") != std::string_view::npos) return true;
    if (last == '/' && text.starts_with('/')) return true;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool lineStart = i == 0 ? (last == 0 || last == '\n') : text[i - 1] == '\n';
        if (lineStart && (text[i] == '#' || text[i] == ' ' || text[i] == '\t')) return true;
    }
    return false;
}

// Marks raw the tokens whose text would change a script line.
void markUnsafe(const BitTable& table, std::span<const uint8_t> data, const std::vector<BitToken>& tokens,
                const std::vector<uint64_t>& lineStarts, std::vector<bool>& raw) {
    char last = 0;
    std::string text;
    for (size_t k = 0; k < tokens.size(); ++k) {
        if (std::binary_search(lineStarts.begin(), lineStarts.end(), tokens[k].at)) last = 0;
        if (tokens[k].entry < 0) {
            last = '>';
            continue;
        }
        text.clear();
        table.appendText(tokens[k], data, text);
        raw[k] = unsafeInLine(last, text);
        if (raw[k]) last = '>';
        else if (!text.empty()) last = text.back();
    }
}

bool endsString(const BitTable& table, const BitToken& t) {
    return t.entry >= 0 && table.entries()[static_cast<size_t>(t.entry)].ends;
}

}  // namespace

void makeSpellable(const BitTable& table, std::span<const uint8_t> data, std::vector<BitToken>& tokens,
                   const std::vector<uint64_t>& lineStarts) {
    const size_t n = tokens.size();
    std::vector<bool> raw(n);
    markUnsafe(table, data, tokens, lineStarts, raw);
    // The text the insert reads (no line breaks), and where each token's starts in it.
    std::string text;
    std::vector<size_t> starts(n + 1);
    std::vector<BitToken> pieces;
    std::string piece;
    for (size_t k = 0; k < n; ++k) {
        starts[k] = text.size();
        pieces.clear();
        if (raw[k]) appendRaw(tokens[k].at, tokens[k].bits, pieces);
        else pieces.push_back(tokens[k]);
        piece.clear();
        for (const BitToken& p : pieces) table.appendText(p, data, piece);
        std::erase(piece, '\n');
        text += piece;
    }
    starts[n] = text.size();
    std::vector<uint64_t> cost(text.size() + 1);
    std::vector<BitPiece> best(text.size() + 1);
    table.solve(text, 0, text.size(), cost, best);
    // A raw piece spells only itself and no entry's text reaches into one, so a token
    // made raw splits the text in two: what follows keeps its spelling, what comes
    // before is spelled again up to it.
    const auto spelledBack = [&](size_t k) {
        if (raw[k] || tokens[k].entry < 0) return true;
        const BitPiece& p = best[starts[k]];
        return starts[k + 1] > starts[k] && p.entry == tokens[k].entry && p.length == starts[k + 1] - starts[k];
    };
    std::vector<std::pair<size_t, size_t>> todo{{0, n}};  // token ranges whose spelling in `best` holds
    while (!todo.empty()) {
        const auto [a, b] = todo.back();
        todo.pop_back();
        size_t k = a;
        while (k < b && spelledBack(k)) ++k;
        if (k == b) continue;
        raw[k] = true;
        todo.push_back({k + 1, b});
        if (k > a) {
            table.solve(text, starts[a], starts[k], cost, best);
            todo.push_back({a, k});
        }
    }
    std::vector<BitToken> out;
    out.reserve(n);
    for (size_t k = 0; k < n; ++k) {
        if (raw[k] && tokens[k].entry >= 0) appendRaw(tokens[k].at, tokens[k].bits, out);
        else out.push_back(tokens[k]);
    }
    tokens = std::move(out);
}

BitString readBitStrings(const BitTable& table, std::span<const uint8_t> doc, int64_t start, int64_t limit,
                         int64_t count) {
    std::vector<BitToken> tokens;
    std::vector<uint64_t> starts{static_cast<uint64_t>(start) * 8};
    const auto end = static_cast<uint64_t>(std::min(limit, start + kMaxBitRun)) * 8;
    BitString s;
    s.end = starts.front();
    for (int64_t strings = 0; s.end < end && (count <= 0 || strings < count); ++strings) {
        if (strings > 0) starts.push_back(s.end);
        s.end = table.readString(doc, s.end, end, true, tokens);
        s.ended = endsString(table, tokens.back());
    }
    if (s.end % 8 != 0) {  // the insert pads this byte with zero bits: other bits are written out
        const uint64_t byteEnd = (s.end + 7) / 8 * 8;
        bool any = false;
        for (uint64_t p = s.end; p < byteEnd; ++p) any = any || bitAt(doc, p) != 0;
        if (any) {
            appendRaw(s.end, byteEnd - s.end, tokens);
            s.end = byteEnd;
        }
    }
    makeSpellable(table, doc, tokens, starts);
    size_t next = 1;
    for (const BitToken& t : tokens) {
        if (next < starts.size() && starts[next] == t.at) s.text += '\n', ++next;
        table.appendText(t, doc, s.text);
    }
    return s;
}

namespace {

std::string bitPlace(uint64_t bit) {
    return scriptNumber(static_cast<int64_t>(bit / 8)) + (bit % 8 ? ", bit " + std::to_string(bit % 8) : std::string());
}

// The range is one run of bits in the insert (no command comes between its strings):
// each string starts at the bit after the last one's end token.
void dumpRange(const BitTable& table, std::span<const uint8_t> doc, const DumpRequest& r, DumpResult& out,
               const Progress& progress) {
    out.script += "#JMP(" + scriptNumber(r.from) + ", " + scriptNumber(r.to) + ")\n";
    const auto from = static_cast<uint64_t>(r.from) * 8, end = static_cast<uint64_t>(r.to + 1) * 8;
    std::vector<BitToken> tokens;
    std::vector<uint64_t> starts{from};
    for (uint64_t at = from; at < end;) {
        if (!progress.keepGoing(static_cast<int64_t>(at - from), static_cast<int64_t>(end - from), 1 << 15)) return;
        at = table.readString(doc, at, end, true, tokens);
        if (at < end) starts.push_back(at);
    }
    makeSpellable(table, doc, tokens, starts);
    size_t next = 0;
    for (const BitToken& t : tokens) {
        if (next < starts.size() && starts[next] == t.at) {
            if (next > 0) out.script += "\n\n";
            out.script += "//STRING #" + std::to_string(next++) + " @ " + bitPlace(t.at) + "\n";
            if (scriptTooLarge(out.script.size(), r, out)) return;
        }
        table.appendText(t, doc, out.script);
    }
    out.script += "\n\n";
    out.strings = static_cast<int64_t>(next);
    scriptTooLarge(out.script.size(), r, out);
}

// Each string follows a pointer write, a command, so each is a run of bits of its own.
void dumpPointers(const BitTable& table, std::span<const uint8_t> doc, const DumpRequest& r, DumpResult& out,
                  const Progress& progress) {
    dumpPointerTable(doc, r, out, progress, nullptr, [&](int64_t target, int64_t limit, PointedString& s) {
        BitString read = readBitStrings(table, doc, target, limit);
        s.end = static_cast<int64_t>((read.end + 7) / 8);
        s.size = read.text.size();
        s.text = std::move(read.text);
    });
}

}  // namespace

DumpResult dumpBitScript(const BitTable& table, std::span<const uint8_t> doc, const DumpRequest& r,
                         const Progress& progress) {
    DumpResult out;
    out.problem = checkDumpRequest(r, static_cast<int64_t>(doc.size()));
    if (!out.problem.empty()) return out;
    if (!r.pointers && r.to - r.from >= kMaxBitRun)
        out.problem = "A range read through a table of bit keys is at most 4 MiB: dump a smaller range.";
    if (!out.problem.empty()) return out;
    guardDump(out, progress, "dump a smaller range.", [&] {
        out.script = "// Dumped by tarpon-hex" + (r.source.empty() ? std::string() : ": " + r.source) + "\n";
        out.script += "// The table has keys of bits: insert this script by abcde's rules.\n";
        if (r.pointers) dumpPointers(table, doc, r, out, progress);
        else dumpRange(table, doc, r, out, progress);
    });
    return out;
}

}  // namespace tarpon
