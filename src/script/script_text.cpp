#include "script/script_text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace tarpon {

std::string scriptNumber(int64_t value) {
    std::string out;
    appendScriptNumber(out, value);
    return out;
}

void appendScriptNumber(std::string& out, int64_t value) {
    char text[20];
    char* end = text + sizeof text;
    char* at = end;
    auto magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        *--at = kHexDigits[magnitude & 15];
        magnitude >>= 4;
    } while (magnitude);
    if (value < 0) *--at = '-';  // Atlas reads "$-100", not "-$100"
    *--at = '$';
    out.append(at, end);
}

ScriptTable::ScriptTable(const Table& table) : table_(table), speller_(table, SpellRule::Atlas) { markSureEntries(); }

void ScriptTable::markSureEntries() {
    sortedTexts_.clear();
    // Every text the insert spells, the end tags without bytes among them.
    for (const TableEntry& e : table_.entries()) sortedTexts_.push_back(e.text);
    for (const TableEntry& e : table_.endTags()) sortedTexts_.push_back(e.text);
    std::sort(sortedTexts_.begin(), sortedTexts_.end());
    std::vector<const TableEntry*> byNext;  // the letters written by the byte after them
    pieces_.clear();
    sure_.clear();
    texts_.clear();
    for (const TableEntry& e : table_.entries()) {
        const std::string* back = speller_.keyOf(e.text);
        // A text that ends in "<" or "(" may begin a raw byte with the text after it.
        const bool spellsBack = back && *back == e.key && e.text.find_first_of("$\n\r") == std::string::npos &&
                                !e.text.ends_with('<') && !e.text.ends_with('(');
        const bool longer = beginsLonger(e.text), sure = spellsBack && !longer;
        const bool risky = e.text.find_first_of("/\r\n") != std::string::npos || e.text.starts_with('#') ||
                           e.text.starts_with(' ') || e.text.starts_with('\t');
        Piece p{static_cast<uint32_t>(texts_.size()), 0, static_cast<uint32_t>(e.key.size()),
                e.kind == EntryKind::Linked ? std::max(e.params, 0) : 0,
                static_cast<uint8_t>((sure ? kSure : 0) | (risky ? kRisky : 0) |
                                     (e.kind == EntryKind::EndToken ? kEnds : 0))};
        texts_ += e.text;
        if (e.kind == EntryKind::LineBreak) texts_ += '\n';
        p.textLength = static_cast<uint32_t>(texts_.size() - p.text);
        pieces_.push_back(p);
        // A text whose only risk is its first letter ("#", a blank) is safe after the line's start.
        const bool leadRisk = risky && e.text.find_first_of("/\r\n") == std::string::npos;
        const bool usable = (p.flags & kSure) && (!risky || leadRisk) && p.params == 0 &&
                            p.textLength <= UINT16_MAX && p.keyLength <= UINT8_MAX;
        // A one-byte letter whose text begins longer ones is written by what follows it,
        // where no text reaches into a raw byte (so writing it raw changes nothing before it).
        // So is any other one-byte letter that is sure: one path for both, without a
        // branch on which it is, since that depends on the letters and is hard to guess.
        const bool prefix = spellsBack && (longer ? !risky : usable) && !speller_.textsReachIntoRawBytes() &&
                            e.kind == EntryKind::Letter && p.params == 0 && e.key.size() == 1 &&
                            p.textLength <= UINT16_MAX;
        if (prefix) byNext.push_back(&e);
        sure_.push_back({p.text, static_cast<uint16_t>(usable || prefix ? p.textLength : 0),
                         static_cast<uint8_t>(usable || prefix ? p.keyLength : 0),
                         static_cast<uint8_t>((usable ? kUsable : 0) | (prefix ? kBeginsLonger : 0) |
                                              (usable && risky ? kLeadRisk : 0) | (p.flags & kEnds))});
    }
    rawAt_ = texts_.size();  // then `<$XX>` of each byte value, 8 bytes apart
    for (int b = 0; b < 256; ++b) {
        appendRawByte(texts_, static_cast<uint8_t>(b));
        texts_.append(3, '\0');
    }
    texts_.append(16, '\0');  // readSure copies short texts 16 bytes at a time
    // A letter whose text begins no longer one is written as text whatever follows; for
    // the others, the letters that may go on from their texts.
    decisions_.assign(byNext.empty() ? 0 : 256 * 256, kNotYet);
    // Zeroed pages from the system, touched only where a pair of bytes is met.
    writes_.reset(byNext.empty() ? nullptr : static_cast<uint32_t*>(std::calloc(256 * 256, sizeof(uint32_t))));
    if (!byNext.empty() && !writes_) throw std::bad_alloc();
    goesOn_.assign(byNext.empty() ? 0 : 256, {});
    for (const TableEntry* e : byNext) {
        const auto byte = static_cast<uint8_t>(e->key[0]);
        const std::string_view text = e->text;
        if (!beginsLonger(text)) {
            std::fill_n(decisions_.begin() + 256 * byte, 256, kAsText);
            continue;
        }
        for (auto it = std::upper_bound(sortedTexts_.begin(), sortedTexts_.end(), text);
             it != sortedTexts_.end() && it->starts_with(text); ++it)
            goesOn_[byte].set(static_cast<uint8_t>((*it)[text.size()]));
    }
    markFirstBytes();
}

bool ScriptTable::beginsLonger(std::string_view text) const {
    // A text that begins a longer one begins the text that follows it in sorted order.
    const auto it = std::upper_bound(sortedTexts_.begin(), sortedTexts_.end(), text);
    return it != sortedTexts_.end() && it->starts_with(text);
}

ScriptTable::Decision ScriptTable::decide(uint8_t a, uint8_t b, const SurePiece& pa) const {
    uint8_t& d = decisions_[size_t{a} * 256 + b];
    if (d != kNotYet) return static_cast<Decision>(d);
    d = kUnknown;
    if (!entryOf_.firstDecides(b)) return kUnknown;  // the next piece depends on more bytes
    const int32_t next = entryOf_.at(b, 0);
    if (next < 0) {
        // A raw byte follows: its "<" begins no text after a first letter, so the
        // speller stops at the end of this text, which spells back.
        d = kAsText;
        return kAsText;
    }
    const SurePiece& pb = sure_[static_cast<size_t>(next)];
    if (!(pb.flags & (kUsable | kBeginsLonger))) return kUnknown;  // its text may be written otherwise
    if (pb.textLength > 0 && !goesOn_[a].test(static_cast<uint8_t>(texts_[pb.text]))) {
        d = kAsText;  // no text goes on from this one with the next text's first letter
        return kAsText;
    }
    std::string both(texts_.data() + pa.text, pa.textLength);
    both.append(texts_.data() + pb.text, pb.textLength);
    if (beginsLonger(both)) return kUnknown;  // what the speller reads depends on later text
    const TableEntry* x = speller_.longestText(both);
    if (!x) return kUnknown;
    if (x->key.size() == pa.textLength) {
        d = kAsText;  // it reads this text, whose key this is
        return kAsText;
    }
    // It reads further, into the next text: a key other than these bytes means the
    // letter must be written raw; the same bytes need the careful path.
    const std::string& key = x->text;
    const uint8_t here[2] = {a, b};
    for (size_t i = 0; i < std::min<size_t>(key.size(), 2); ++i)
        if (static_cast<uint8_t>(key[i]) != here[i]) {
            d = kAsRaw;
            return kAsRaw;
        }
    return kUnknown;
}

uint32_t ScriptTable::pairWrite(uint8_t a, uint8_t b) const {
    uint32_t& write = writes_[size_t{a} * 256 + b];
    write = kWriteOther;
    if (!surePieces_.firstDecides(a)) return write;
    const SurePiece p = surePieces_.at(a, 0);
    if (!(p.flags & kBeginsLonger)) return write;
    const uint8_t known = decisions_[size_t{a} * 256 + b];
    const Decision how = known != kNotYet ? static_cast<Decision>(known) : decide(a, b, p);
    const size_t at = how == kAsRaw ? rawAt_ + 8 * size_t{a} : p.text, length = how == kAsRaw ? 5 : p.textLength;
    if (how != kUnknown && at < (size_t{1} << 23) && length < 256)
        write = (kWriteFirst + static_cast<uint32_t>(at << 8 | length)) | (p.flags & kLeadRisk ? kWriteLeadRisk : 0);
    return write;
}

void ScriptTable::markFirstBytes() {
    const TableEntry* first = table_.entries().data();
    entryOf_.build(table_, -1, kWalk, [first](const TableEntry& e) { return static_cast<int32_t>(&e - first); });
    surePieces_.build(table_, SurePiece{0, 0, 0, kNoEntry}, SurePiece{0, 0, 0, kIndexed},
                      [this, first](const TableEntry& e) { return sure_[static_cast<size_t>(&e - first)]; });
}

ScriptToken ScriptTable::read(std::span<const uint8_t> bytes, bool raw, std::string& out) const {
    int32_t at = -1;
    if (!raw) at = entryOf_.firstDecides(bytes[0]) ? entryOf_.at(bytes[0], 0)
                   : bytes.size() < 2              ? kWalk
                                                   : entryOf_.at(bytes[0], bytes[1]);
    if (at == kWalk) {
        const TableEntry* e = table_.longestMatch(bytes);
        at = e ? static_cast<int32_t>(e - table_.entries().data()) : -1;
    }
    if (at < 0) {
        appendRawByte(out, bytes[0]);
        return {1, false};
    }
    const Piece& p = pieces_[static_cast<size_t>(at)];
    out.append(texts_.data() + p.text, p.textLength);
    ScriptToken token{p.keyLength, (p.flags & kEnds) != 0, (p.flags & kSure) != 0, (p.flags & kRisky) != 0};
    if (p.params > 0) {
        const size_t params = std::min(static_cast<size_t>(p.params), bytes.size() - token.length);
        for (size_t i = 0; i < params; ++i) appendRawByte(out, bytes[token.length + i]);
        token.length += params;
    }
    return token;
}

int64_t ScriptTable::readSure(std::span<const uint8_t> doc, int64_t at, int64_t limit, std::string& out,
                              size_t lineAt, bool& ended) const {
    ended = false;
    // The text is gathered in a buffer and appended in long runs; a short text is
    // copied 16 bytes at a time (texts_ has the room after each). The
    // tables are read through local pointers, which the writes cannot be taken to change.
    // buffer[0] holds the character before the text in the buffer: w[-1] is always
    // the last one written ("\n" where the line starts).
    constexpr size_t kChunk = 16;
    char buffer[4096];
    buffer[0] = out.size() > lineAt ? out.back() : '\n';
    char* w = buffer + 1;
    char* const full = buffer + sizeof buffer - kChunk;
    const auto flush = [&out, &buffer](char* upTo) {
        out.append(buffer + 1, static_cast<size_t>(upTo - buffer - 1));
        buffer[0] = upTo[-1];
        return buffer + 1;
    };
    const auto atLineStart = [](const char* to) { return to[-1] == '\n' || to[-1] == '\r'; };
    const auto put = [&](char* to, const char* text, size_t length) {
        if (length > kChunk) {
            to = flush(to);
            out.append(text, length);
            buffer[0] = text[length - 1];  // the last character written
            return to;
        }
        if (to > full) to = flush(to);
        std::memcpy(to, text, kChunk);
        return to + length;
    };
    const uint8_t* d = doc.data();
    const uint8_t* const decisions = decisions_.data();
    const char* const texts = texts_.data();
    const char* const raws = texts + rawAt_;
    uint32_t* const writes = writes_.get();
    while (at < limit) {
        const uint8_t first = d[at];
        // Where the first byte decides, the key is that one byte: the next piece's place
        // is known before its entry is looked up.
        const bool one = surePieces_.firstDecides(first);
        // A letter written by the byte after it: what to write, straight from the pair.
        if (one && writes && at + 1 < limit) {
            uint32_t write = writes[size_t{first} * 256 + d[at + 1]];
            if (write == kWriteNotYet) write = pairWrite(first, d[at + 1]);
            if (write != kWriteOther && !((write & kWriteLeadRisk) && atLineStart(w))) {
                write = (write & ~kWriteLeadRisk) - kWriteFirst;
                w = put(w, texts + (write >> 8), write & 255);
                ++at;
                continue;
            }
        }
        if (!one && at + 1 >= limit) break;
        const SurePiece p = surePieces_.at(first, one ? 0 : d[at + 1]);
        if (p.flags & kIndexed) break;  // a longer key to walk for
        if (p.flags & kNoEntry) {
            // A byte no entry reads is written raw, which spells back whatever is around it.
            w = put(w, raws + 8 * size_t{first}, 5);
            ++at;
            continue;
        }
        if (p.flags & kBeginsLonger) {
            if (at + 1 >= limit) break;
            const uint8_t known = decisions[size_t{first} * 256 + d[at + 1]];
            const Decision how = known != kNotYet ? static_cast<Decision>(known) : decide(first, d[at + 1], p);
            if (how == kUnknown || ((p.flags & kLeadRisk) && atLineStart(w))) break;
            // Either text, chosen by a mask rather than a branch: which one depends on the
            // letters and is hard to guess.
            const uintptr_t raw = uintptr_t{0} - static_cast<uintptr_t>(how == kAsRaw);
            const auto textAt = reinterpret_cast<uintptr_t>(texts + p.text);
            const auto rawAt = reinterpret_cast<uintptr_t>(raws + 8 * size_t{first});
            w = put(w, reinterpret_cast<const char*>((rawAt & raw) | (textAt & ~raw)), (5 & raw) | (p.textLength & ~raw));
            ++at;
            continue;
        }
        if (!(p.flags & kUsable) || at + p.keyLength > limit) break;
        if ((p.flags & kLeadRisk) && atLineStart(w)) break;
        w = put(w, texts + p.text, p.textLength);
        // A branch rather than adding the key's length: the next piece is then looked up
        // before this one's entry has come from memory, which is what a guessed branch buys.
        if (one) {
            ++at;
        } else if (p.keyLength == 2) [[likely]] {
            at += 2;
        } else {
            asm volatile("");  // keeps the compiler from turning the branch back into an add
            at += p.keyLength;
        }
        if (p.flags & kEnds) {
            ended = true;
            break;
        }
    }
    flush(w);
    return at;
}

}  // namespace tarpon
