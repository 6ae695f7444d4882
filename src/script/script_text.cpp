#include "script/script_text.h"

#include <algorithm>

namespace tarpon {

std::string scriptNumber(int64_t value) {
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
    return std::string(at, end);
}

ScriptTable::ScriptTable(const Table& table) : table_(table), speller_(table, SpellRule::Atlas) { markSureEntries(); }

void ScriptTable::markSureEntries() {
    // A text that begins a longer one begins the text that follows it in sorted order.
    std::vector<std::string_view> texts;
    for (const TableEntry& e : table_.entries()) texts.push_back(e.text);
    std::sort(texts.begin(), texts.end());
    const auto beginsLonger = [&](std::string_view text) {
        const auto it = std::upper_bound(texts.begin(), texts.end(), text);
        return it != texts.end() && it->starts_with(text);
    };
    pieces_.clear();
    sure_.clear();
    texts_.clear();
    for (const TableEntry& e : table_.entries()) {
        const std::string* back = speller_.keyOf(e.text);
        // A text that ends in "<" or "(" may begin a raw byte with the text after it.
        const bool sure = back && *back == e.key && e.text.find_first_of("$\n\r") == std::string::npos &&
                          !e.text.ends_with('<') && !e.text.ends_with('(') && !beginsLonger(e.text);
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
        const bool usable = (p.flags & (kSure | kRisky)) == kSure && p.params == 0 && p.textLength <= UINT16_MAX &&
                            p.keyLength <= UINT8_MAX;
        sure_.push_back({p.text, static_cast<uint16_t>(usable ? p.textLength : 0),
                         static_cast<uint8_t>(usable ? p.keyLength : 0),
                         static_cast<uint8_t>((usable ? kUsable : 0) | (p.flags & kEnds))});
    }
    markFirstBytes();
}

void ScriptTable::markFirstBytes() {
    const TableEntry* first = table_.entries().data();
    entryOf_.build(table_, -1, kWalk, [first](const TableEntry& e) { return static_cast<int32_t>(&e - first); });
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
                              bool& ended) const {
    ended = false;
    const uint8_t* d = doc.data();
    while (at < limit) {
        const uint8_t first = d[at];
        int32_t e;
        if (entryOf_.firstDecides(first)) e = entryOf_.at(first, 0);
        else if (at + 1 < limit) e = entryOf_.at(first, d[at + 1]);
        else return at;
        if (e < 0) return at;  // no entry, or a longer key to walk for
        const SurePiece p = sure_[static_cast<size_t>(e)];
        if (!(p.flags & kUsable) || at + p.keyLength > limit) return at;
        out.append(texts_.data() + p.text, p.textLength);
        at += p.keyLength;
        if (p.flags & kEnds) {
            ended = true;
            return at;
        }
    }
    return at;
}

}  // namespace tarpon
