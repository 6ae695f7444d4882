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

// The byte of a `<$XX>` at the start of `text`, or -1.
int rawByteAt(std::string_view text) {
    if (text.size() < 5 || !text.starts_with("<$") || text[4] != '>') return -1;
    const int high = hexValue(text[2]), low = hexValue(text[3]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

}  // namespace

std::string rawBytesText(std::span<const uint8_t> bytes) {
    std::string text;
    for (const uint8_t b : bytes) {
        char piece[8];
        std::snprintf(piece, sizeof piece, "<$%02X>", b);
        text += piece;
    }
    return text;
}

// Texts longer than this are not spelled: the dump writes their bytes raw instead.
constexpr size_t kLongestSpelledText = 1024;

ScriptTable::ScriptTable(const Table& table) : table_(table) {
    const auto add = [this](std::string_view raw, const std::string& key) {
        const std::string text = withoutLineBreaks(raw);
        // Nothing to spell it with, or too long to look for: such bytes are written raw.
        if (text.empty() || text.size() > kLongestSpelledText) return;
        if (!keyOfText_.emplace(text, key).second) return;  // of equal texts, the first entry
        if (std::find(lengths_.begin(), lengths_.end(), text.size()) == lengths_.end()) lengths_.push_back(text.size());
        longestText_ = std::max(longestText_, text.size());
    };
    for (const TableEntry& e : table.entries()) add(e.text, e.key);
    for (const TableEntry& tag : table.endTags()) add(tag.text, std::string());  // spells to nothing
    std::sort(lengths_.rbegin(), lengths_.rend());
}

ScriptToken ScriptTable::read(std::span<const uint8_t> bytes, bool raw) const {
    const TableEntry* e = raw ? nullptr : table_.longestMatch(bytes);
    if (!e) return {1, rawBytesText(bytes.first(1)), false};
    ScriptToken token{e->key.size(), e->text, e->kind == EntryKind::EndToken};
    if (e->kind == EntryKind::LineBreak) token.text += "\n";
    if (e->kind == EntryKind::Linked) {
        const size_t params = std::min(static_cast<size_t>(e->params), bytes.size() - token.length);
        token.text += rawBytesText(bytes.subspan(token.length, params));
        token.length += params;
    }
    return token;
}

std::optional<std::vector<uint8_t>> ScriptTable::spell(std::string_view text, std::vector<size_t>* from,
                                                       size_t* badAt) const {
    std::vector<uint8_t> bytes;
    size_t at = 0;
    const auto put = [&](std::string_view piece, size_t start) {
        bytes.insert(bytes.end(), piece.begin(), piece.end());
        if (from) from->insert(from->end(), piece.size(), start);
    };
    while (at < text.size()) {
        if (text[at] == '\n' || text[at] == '\r') {
            ++at;
            continue;
        }
        if (const int raw = rawByteAt(text.substr(at)); raw >= 0) {
            const char byte = static_cast<char>(raw);
            put(std::string_view(&byte, 1), at);
            at += 5;
            continue;
        }
        // The longest entry text that goes on from here, on this line.
        std::string ahead;
        std::vector<size_t> ends;  // where in `text` each character of `ahead` ends
        for (size_t k = at; k < text.size() && ahead.size() < longestText_; ++k) {
            if (text[k] == '\n') break;
            if (text[k] == '\r') continue;
            ahead += text[k];
            ends.push_back(k + 1);
        }
        size_t length = 0;
        auto found = keyOfText_.end();
        for (const size_t n : lengths_)
            if (n <= ahead.size() && (found = keyOfText_.find(std::string_view(ahead).substr(0, n))) != keyOfText_.end()) {
                length = n;
                break;
            }
        if (length == 0) {
            if (badAt) *badAt = at;
            return std::nullopt;
        }
        put(found->second, at);
        at = ends[length - 1];
    }
    return bytes;
}

}  // namespace tarpon
