#include "script/script_dump.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "script/script_text.h"

namespace tarpon {
namespace {

// A piece that would change meaning in a script line: a "#" that starts the line
// (a command), or "//" (a comment), also formed with the text before it (`last`,
// the line's last character, or 0 on an empty line).
bool unsafeInLine(char last, std::string_view piece) {
    if (piece.empty()) return false;
    if (last == 0 && piece[0] == '#') return true;
    if (piece.find("//") != std::string_view::npos) return true;
    return last == '/' && piece[0] == '/';
}

// The script text of one string, written so that an insert spells it back to
// exactly its bytes: pieces are read through the table, and a piece whose text
// would spell otherwise is written raw. The check spells the text as it is read,
// one piece of lookahead ahead; a piece made raw is read again from its byte, and
// the check goes back only as far as a spelled piece can reach, so a string costs
// time in proportion to its length.
class StringWriter {
public:
    StringWriter(const ScriptTable& st, std::span<const uint8_t> doc, int64_t start, int64_t limit, std::string& out)
        : st_(st), sp_(st.speller()), doc_(doc), start_(start), limit_(limit), out_(out), textAt_(out.size()),
          readAt_(start) {}

    // Writes the string; gives the byte after it.
    int64_t write() {
        bool sure = true;
        readAll(sure);
        if (sure) return end_;
        out_.resize(textAt_);
        pieces_.clear();
        readAt_ = start_;
        ended_ = false;
        check();
        return end_;
    }

private:
    struct Piece {
        int64_t at;     // its first byte
        size_t textAt;  // where its text starts in out_
    };

    bool isRaw(int64_t at) const { return raw_.count(at) != 0; }

    // Reads one piece at readAt_ onto out_.
    bool readPiece() {
        if (ended_ || readAt_ >= limit_) {
            ended_ = true;
            end_ = readAt_;
            return false;
        }
        const std::span<const uint8_t> rest = doc_.subspan(static_cast<size_t>(readAt_), static_cast<size_t>(limit_ - readAt_));
        const size_t before = out_.size();
        const char last = before > textAt_ && out_.back() != '\n' ? out_.back() : 0;
        ScriptToken token = st_.read(rest, isRaw(readAt_), out_);
        if (token.risky && unsafeInLine(last, std::string_view(out_).substr(before))) {
            out_.resize(before);
            token = st_.read(rest, true, out_);
        }
        pieces_.push_back({readAt_, before});
        sure_ = sure_ && token.sure;
        readAt_ += static_cast<int64_t>(token.length);
        if (token.ends || readAt_ >= limit_) {
            ended_ = true;
            end_ = readAt_;
        }
        return true;
    }

    void readAll(bool& sure) {
        sure_ = true;
        while (readPiece()) {
        }
        sure = sure_;
    }

    // The index of the piece that holds byte `k`.
    size_t pieceHolding(int64_t k) const {
        const auto it = std::upper_bound(pieces_.begin(), pieces_.end(), k,
                                         [](int64_t byte, const Piece& p) { return byte < p.at; });
        return it == pieces_.begin() ? 0 : static_cast<size_t>(it - pieces_.begin() - 1);
    }

    // Piece `i` and the pieces after it are read again, piece `i` raw (and, when it
    // already was, every piece back to `from`'s byte).
    void makeRaw(size_t i, int64_t from) {
        const Piece p = pieces_[i];
        if (!isRaw(p.at)) raw_.insert(p.at);
        else
            for (int64_t b = from; b <= p.at; ++b) raw_.insert(b);
        out_.resize(p.textAt);
        pieces_.resize(i);
        readAt_ = p.at;
        ended_ = false;
    }

    // Spells the text back step by step against the bytes, reading ahead as needed.
    void check() {
        std::vector<std::pair<size_t, int64_t>> steps;  // each spelled piece's text and first byte
        size_t text = textAt_;
        int64_t byte = start_;
        for (;;) {
            while (!ended_ && out_.size() < text + sp_.longestText() + 1) readPiece();
            while (text < out_.size() && (out_[text] == '\n' || out_[text] == '\r')) ++text;
            int64_t bad = -1;  // the first byte the spelling gets wrong
            size_t length = 0, produced = 0;
            if (text >= out_.size()) {
                if (byte == end_) return;
                bad = byte;
            } else {
                const size_t reach = std::min(out_.size(), text + sp_.longestText());
                const void* nl = std::memchr(out_.data() + text, '\n', reach - text);
                const size_t lineEnd = nl ? static_cast<size_t>(static_cast<const char*>(nl) - out_.data()) : reach;
                const Speller::Step s = sp_.step(out_, text, lineEnd);
                length = s.textLength;
                produced = s.bytes.size();
                bad = length == 0 ? byte : firstWrong(s.bytes, byte);
            }
            if (bad < 0) {
                steps.push_back({text, byte});
                text += length;
                byte += static_cast<int64_t>(produced);
                continue;
            }
            const size_t i = pieceHolding(ended_ ? std::min(bad, end_ - 1) : bad);
            // Back to a spelled piece that cannot reach the piece made raw.
            while (!steps.empty() && steps.back().first + sp_.longestText() > pieces_[i].textAt) steps.pop_back();
            text = steps.empty() ? textAt_ : steps.back().first;
            byte = steps.empty() ? start_ : steps.back().second;
            if (!steps.empty()) steps.pop_back();
            makeRaw(i, byte);
        }
    }

    // The first byte from `byte` on that `bytes` get wrong, or -1.
    int64_t firstWrong(std::string_view bytes, int64_t byte) const {
        for (size_t k = 0; k < bytes.size(); ++k) {
            const int64_t at = byte + static_cast<int64_t>(k);
            if (at >= end_ && ended_) return at;
            if (at >= limit_ || static_cast<char>(doc_[static_cast<size_t>(at)]) != bytes[k]) return at;
        }
        return -1;
    }

    const ScriptTable& st_;
    const Speller& sp_;
    std::span<const uint8_t> doc_;
    int64_t start_, limit_;
    std::string& out_;
    size_t textAt_;
    std::vector<Piece> pieces_;
    std::set<int64_t> raw_;
    int64_t readAt_ = 0, end_ = 0;
    bool ended_ = false, sure_ = true;
};

int64_t readString(const ScriptTable& st, std::span<const uint8_t> doc, int64_t start, int64_t limit,
                   std::string& out) {
    return StringWriter(st, doc, start, limit, out).write();
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
    if (r.p.bigEndian) out.script += "#ENDIAN(\"BIG\")\n";
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
