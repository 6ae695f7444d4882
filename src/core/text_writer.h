#pragma once
// Text that reads back: bytes read piece by piece into text (letters, or `<$XX>` for
// a piece written raw), checked as it is written by spelling it back through a
// speller, so that the text gives exactly its bytes again. A piece whose text would
// spell otherwise is written raw. The check runs one piece of lookahead behind the
// reading; a piece made raw is read again from its byte, and the check goes back only
// as far as a spelled piece can reach, so a text costs time in proportion to its
// length. The script dump and the text pane's Copy both write through it.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/hex_text.h"
#include "core/spelling.h"

namespace tarpon {

// What reading one piece gave: how many bytes it took, whether the text ends after
// it, and whether its text is sure to spell back whatever follows.
struct TextPiece {
    int64_t length = 1;
    bool ends = false;
    bool sure = false;
};

template <class Read>  // TextPiece read(int64_t at, bool raw): appends the piece's text to `out`
class CheckedText {
public:
    CheckedText(const Speller& sp, std::span<const uint8_t> doc, int64_t start, int64_t limit, std::string& out,
                Read& read)
        : sp_(sp), doc_(doc), start_(start), limit_(limit), out_(out), textAt_(out.size()), read_(read),
          readAt_(start) {}

    // Writes the text; gives the byte after it.
    int64_t write() {
        if (!sp_.textsReachIntoRawBytes()) {
            writeAtPieceEdges();
            return end_;
        }
        while (readPiece()) {
        }
        if (sure_) return end_;
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
        bool sure = false;
    };

    // Where no entry's text reaches into a `<$XX>` after its first letter, a piece
    // made raw cannot change how the text before it spells. Then each piece is checked
    // once, at its own edge: the speller, from the piece's text, must give its bytes
    // and come to rest on a later piece's edge; else the piece is written raw, which
    // always spells back. The pieces read ahead for that stay read.
    void writeAtPieceEdges() {
        size_t next = 0;  // the first piece not yet checked
        for (;;) {
            if (next == pieces_.size()) {
                pieces_.clear();
                next = 0;
                if (!readPiece()) return;
            }
            if (pieces_[next].sure) {
                ++next;
                continue;
            }
            const size_t upTo = checkedFrom(next);
            if (upTo > next) {
                next = upTo;
                continue;
            }
            writeRaw(next++);
        }
    }

    // Piece `i` written raw. A piece of one byte keeps the pieces read after it, their
    // text moved; a longer one has them read again from the byte after its first.
    void writeRaw(size_t i) {
        const Piece p = pieces_[i];
        const int64_t after = i + 1 < pieces_.size() ? pieces_[i + 1].at : readAt_;
        const size_t textEnd = i + 1 < pieces_.size() ? pieces_[i + 1].textAt : out_.size();
        if (after == p.at + 1) {
            std::string raw;
            appendRawByte(raw, doc_[static_cast<size_t>(p.at)]);
            out_.replace(p.textAt, textEnd - p.textAt, raw);
            const auto moved = static_cast<ptrdiff_t>(raw.size()) - static_cast<ptrdiff_t>(textEnd - p.textAt);
            for (size_t k = i + 1; k < pieces_.size(); ++k) pieces_[k].textAt += static_cast<size_t>(moved);
            return;
        }
        out_.resize(p.textAt);
        pieces_.resize(i);
        readAt_ = p.at;
        ended_ = false;
        raw_.insert(p.at);
        readPiece();
        raw_.erase(p.at);
    }

    // The speller from piece `i`'s text on: the index of the piece whose edge it comes
    // to rest on with every byte right (the pieces before it are checked), or `i`.
    size_t checkedFrom(size_t i) {
        size_t text = pieces_[i].textAt;
        int64_t byte = pieces_[i].at;
        size_t edge = i + 1;
        for (;;) {
            while (!ended_ && out_.size() < text + sp_.longestText() + 1) readPiece();
            while (text < out_.size() && skipped(out_[text])) ++text;
            while (edge < pieces_.size() && pieces_[edge].textAt < text) ++edge;
            if (edge < pieces_.size() && pieces_[edge].textAt == text && pieces_[edge].at == byte && text > pieces_[i].textAt)
                return edge;
            if (text >= out_.size()) return ended_ && byte == end_ && edge == pieces_.size() ? edge : i;
            const Speller::Step s = stepAt(text);
            if (s.textLength == 0 || firstWrong(s.bytes, byte) >= 0) return i;
            text += s.textLength;
            byte += static_cast<int64_t>(s.bytes.size());
        }
    }

    bool readPiece() {
        if (ended_ || readAt_ >= limit_) {
            ended_ = true;
            end_ = readAt_;
            return false;
        }
        const size_t before = out_.size();
        const TextPiece piece = read_(readAt_, !raw_.empty() && raw_.count(readAt_) != 0);
        pieces_.push_back({readAt_, before, piece.sure});
        sure_ = sure_ && piece.sure;
        readAt_ = std::min(limit_, readAt_ + std::max<int64_t>(piece.length, 1));
        if (piece.ends || readAt_ >= limit_) {
            ended_ = true;
            end_ = readAt_;
        }
        return true;
    }

    // The index of the piece that holds byte `k`.
    size_t pieceHolding(int64_t k) const {
        const auto it = std::upper_bound(pieces_.begin(), pieces_.end(), k,
                                         [](int64_t byte, const Piece& p) { return byte < p.at; });
        return it == pieces_.begin() ? 0 : static_cast<size_t>(it - pieces_.begin() - 1);
    }

    // Piece `i` and the pieces after it are read again, piece `i` raw (and, when it
    // already was, every byte back to `from`).
    void makeRaw(size_t i, int64_t from) {
        const Piece p = pieces_[i];
        if (!raw_.insert(p.at).second)
            for (int64_t b = from; b <= p.at; ++b) raw_.insert(b);
        out_.resize(p.textAt);
        pieces_.resize(i);
        readAt_ = p.at;
        ended_ = false;
    }

    // The first byte from `byte` on that `bytes` get wrong, or -1.
    int64_t firstWrong(std::string_view bytes, int64_t byte) const {
        for (size_t k = 0; k < bytes.size(); ++k) {
            const int64_t at = byte + static_cast<int64_t>(k);
            if ((ended_ && at >= end_) || at >= limit_) return at;
            if (static_cast<char>(doc_[static_cast<size_t>(at)]) != bytes[k]) return at;
        }
        return -1;
    }

    // What the speller gives at out_[text]: the text it takes and its bytes, or nothing.
    Speller::Step stepAt(size_t text) const {
        const size_t reach = std::min(out_.size(), text + sp_.longestText());
        // To Atlas's rule an entry's text never reaches past a line break.
        size_t end = reach;
        if (sp_.rule() != SpellRule::Window)
            if (const void* nl = std::memchr(out_.data() + text, '\n', reach - text))
                end = static_cast<size_t>(static_cast<const char*>(nl) - out_.data());
        return sp_.step(out_, text, end);
    }

    bool skipped(char c) const { return c == '\r' || (c == '\n' && sp_.rule() != SpellRule::Window); }

    void check() {
        std::vector<std::pair<size_t, int64_t>> steps;  // each spelled piece's text and first byte
        size_t text = textAt_;
        int64_t byte = start_;
        for (;;) {
            while (!ended_ && out_.size() < text + sp_.longestText() + 1) readPiece();
            while (text < out_.size() && skipped(out_[text])) ++text;
            int64_t bad = -1;  // the first byte the spelling gets wrong
            Speller::Step s;
            if (text >= out_.size()) {
                if (byte == end_) return;
                bad = byte;
            } else {
                s = stepAt(text);
                bad = s.textLength == 0 ? byte : firstWrong(s.bytes, byte);
            }
            if (bad < 0) {
                steps.push_back({text, byte});
                text += s.textLength;
                byte += static_cast<int64_t>(s.bytes.size());
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

    const Speller& sp_;
    std::span<const uint8_t> doc_;
    int64_t start_, limit_;
    std::string& out_;
    size_t textAt_;
    Read& read_;
    std::vector<Piece> pieces_;
    std::set<int64_t> raw_;
    int64_t readAt_ = 0, end_ = 0;
    bool ended_ = false, sure_ = true;
};

// The bytes from `start` up to a piece that ends the text or `limit`, appended to
// `out` as text that `sp` spells back to them; gives the byte after the text.
template <class Read>
int64_t writeCheckedText(const Speller& sp, std::span<const uint8_t> doc, int64_t start, int64_t limit,
                         std::string& out, Read&& read) {
    return CheckedText<std::remove_reference_t<Read>>(sp, doc, start, limit, out, read).write();
}

}  // namespace tarpon
