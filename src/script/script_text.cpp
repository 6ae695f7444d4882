#include "script/script_text.h"

#include <algorithm>
#include <cstdio>

namespace tarpon {
namespace {

std::string withoutLineBreaks(std::string_view text) {
    std::string out;
    for (const char c : text)
        if (c != '\n' && c != '\r') out += c;
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The byte of a `<$XX>` (or Atlas's `($XX)`) at the start of `text`, or -1.
int rawByteAt(std::string_view text) {
    if (text.size() < 5 || text[1] != '$' || !((text[0] == '<' && text[4] == '>') || (text[0] == '(' && text[4] == ')')))
        return -1;
    const int high = hexValue(text[2]), low = hexValue(text[3]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

void appendRawByte(uint8_t b, std::string& out) {
    const char* digits = "0123456789ABCDEF";
    const char piece[5] = {'<', '$', digits[b >> 4], digits[b & 15], '>'};
    out.append(piece, sizeof piece);
}

}  // namespace

std::string scriptNumber(int64_t value) {
    char text[20];
    char* end = text + sizeof text;
    char* at = end;
    auto magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        *--at = "0123456789ABCDEF"[magnitude & 15];
        magnitude >>= 4;
    } while (magnitude);
    if (value < 0) *--at = '-';  // Atlas reads "$-100", not "-$100"
    *--at = '$';
    return std::string(at, end);
}

std::string rawBytesText(std::span<const uint8_t> bytes) {
    std::string text;
    for (const uint8_t b : bytes) appendRawByte(b, text);
    return text;
}

// Texts longer than this are not spelled: the dump writes their bytes raw instead.
constexpr size_t kLongestSpelledText = 1024;

ScriptTable::ScriptTable(const Table& table) : table_(table) {
    // Of equal texts the first entry, but an end token or a line break takes the text
    // over from a letter (the last of those wins), as scripts are read.
    const auto add = [this](std::string_view raw, const std::string& key, bool strong) {
        const std::string text = withoutLineBreaks(raw);
        // Nothing to spell it with, or too long to look for: such bytes are written raw.
        if (text.empty() || text.size() > kLongestSpelledText) return;
        if (keyOfText_.find(text) && !strong) return;
        keyOfText_.set({text, key});
    };
    keyOfText_.reserve(table.entries().size() + table.endTags().size());
    for (const TableEntry& e : table.entries())
        add(e.text, e.key, e.kind == EntryKind::EndToken || e.kind == EntryKind::LineBreak);
    for (const TableEntry& tag : table.endTags()) add(tag.text, std::string(), true);  // spells to nothing
    markSureEntries();
}

void ScriptTable::markSureEntries() {
    // A text that begins a longer one begins the text that follows it in sorted order.
    std::vector<std::string_view> texts;
    for (const TableEntry& t : keyOfText_.entries()) texts.push_back(t.key);
    std::sort(texts.begin(), texts.end());
    const auto beginsLonger = [&](std::string_view text) {
        const auto it = std::upper_bound(texts.begin(), texts.end(), text);
        return it != texts.end() && it->starts_with(text);
    };
    pieces_.clear();
    texts_.clear();
    for (const TableEntry& e : table_.entries()) {
        const TableEntry* back = keyOfText_.find(e.text);
        const bool sure = back && back->text == e.key && e.text.find_first_of("$\n\r") == std::string::npos &&
                          !beginsLonger(e.text);
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
        appendRawByte(bytes[0], out);
        return {1, false};
    }
    const Piece& p = pieces_[static_cast<size_t>(at)];
    out.append(texts_, p.text, p.textLength);
    ScriptToken token{p.keyLength, (p.flags & kEnds) != 0, (p.flags & kSure) != 0, (p.flags & kRisky) != 0};
    if (p.params > 0) {
        const size_t params = std::min(static_cast<size_t>(p.params), bytes.size() - token.length);
        for (size_t i = 0; i < params; ++i) appendRawByte(bytes[token.length + i], out);
        token.length += params;
    }
    return token;
}

std::optional<std::vector<uint8_t>> ScriptTable::spell(std::string_view text, std::vector<size_t>* from,
                                                       size_t* badAt) const {
    std::vector<uint8_t> bytes;
    if (!spellInto(text, bytes, from, badAt)) return std::nullopt;
    return bytes;
}

bool ScriptTable::spellInto(std::string_view text, std::vector<uint8_t>& bytes, std::vector<size_t>* from,
                            size_t* badAt) const {
    bytes.clear();
    if (text.find('\r') == std::string_view::npos) return spellLines(text, bytes, from, badAt);
    // Carriage returns are not data and never part of an entry's text: spell the text
    // without them, then give the places back as places in `text`.
    std::string plain;
    std::vector<size_t> place;  // place[i]: where plain[i] stands in `text`
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] != '\r') {
            plain += text[i];
            place.push_back(i);
        }
    place.push_back(text.size());
    const bool spelled = spellLines(plain, bytes, from, badAt);
    if (from)
        for (size_t& at : *from) at = place[at];
    if (!spelled && badAt) *badAt = place[*badAt];
    return spelled;
}

bool ScriptTable::spellLines(std::string_view text, std::vector<uint8_t>& bytes, std::vector<size_t>* from,
                             size_t* badAt) const {
    const auto put = [&](std::string_view piece, size_t start) {
        bytes.insert(bytes.end(), piece.begin(), piece.end());
        if (from) from->insert(from->end(), piece.size(), start);
    };
    size_t at = 0, lineEnd = 0;
    while (at < text.size()) {
        if (text[at] == '\n') {
            ++at;
            continue;
        }
        if (const int raw = rawByteAt(text.substr(at)); raw >= 0) {
            const char byte = static_cast<char>(raw);
            put(std::string_view(&byte, 1), at);
            at += 5;
            continue;
        }
        if (lineEnd <= at) lineEnd = std::min(text.find('\n', at), text.size());
        // The longest entry text that goes on from here, on this line.
        const auto* line = reinterpret_cast<const uint8_t*>(text.data()) + at;
        const TableEntry* e = keyOfText_.longestMatch({line, lineEnd - at});
        if (!e) {
            if (badAt) *badAt = at;
            return false;
        }
        put(e->text, at);
        at += e->key.size();
    }
    return true;
}

}  // namespace tarpon
