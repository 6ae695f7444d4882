#include "core/table.h"

#include <algorithm>

#include "core/text_coding.h"

namespace tarpon {
namespace {

// A node's children move from a sorted list to a 256-slot array past this many.
constexpr size_t kDenseFrom = 16;

// The first letter of a text (one UTF-8 character, or one byte that is none), packed.
uint32_t firstLetterCode(std::string_view text) {
    const size_t length = std::max<size_t>(utf8SequenceLength(text, 0), 1);
    uint32_t code = 0;
    for (size_t i = 0; i < length && i < text.size(); ++i) code = code << 8 | static_cast<uint8_t>(text[i]);
    return code;
}

std::string utf8FromLatin1(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) out += utf8Of(static_cast<uint8_t>(c));
    return out;
}

}  // namespace

std::string oneByteLetters(const TableEntry& entry) {
    return entry.kind == EntryKind::LineBreak ? entry.text + "\n" : entry.text;
}

int32_t Table::child(int32_t node, uint8_t b) const {
    const Node& n = nodes_[static_cast<size_t>(node)];
    if (!n.dense.empty()) return n.dense[b];
    const auto it = std::lower_bound(n.kids.begin(), n.kids.end(), b,
                                     [](const std::pair<uint8_t, int32_t>& kid, uint8_t v) { return kid.first < v; });
    return it != n.kids.end() && it->first == b ? it->second : -1;
}

int32_t Table::addChild(int32_t node, uint8_t b) {
    const int32_t found = child(node, b);
    if (found >= 0) return found;
    const auto made = static_cast<int32_t>(nodes_.size());
    nodes_.emplace_back();
    Node& n = nodes_[static_cast<size_t>(node)];
    if (!n.dense.empty()) {
        n.dense[b] = made;
        return made;
    }
    const auto it = std::lower_bound(n.kids.begin(), n.kids.end(), b,
                                     [](const std::pair<uint8_t, int32_t>& kid, uint8_t v) { return kid.first < v; });
    n.kids.insert(it, {b, made});
    if (n.kids.size() > kDenseFrom) {
        n.dense.assign(256, -1);
        for (const auto& [byte, kid] : n.kids) n.dense[byte] = kid;
        n.kids.clear();
        n.kids.shrink_to_fit();
    }
    return made;
}

// Puts entries_[at] into the key trie and the text index.
void Table::index(int32_t at) {
    if (nodes_.empty()) nodes_.emplace_back().dense.assign(256, -1);
    const TableEntry& entry = entries_[static_cast<size_t>(at)];
    int32_t node = 0;
    for (const char c : entry.key) node = addChild(node, static_cast<uint8_t>(c));
    nodes_[static_cast<size_t>(node)].entry = at;
    maxKeyLength_ = std::max(maxKeyLength_, entry.key.size());
    if (!entry.text.empty()) byFirstLetter_[firstLetterCode(entry.text)].push_back(at);
}

void Table::unindexText(int32_t at) {
    const std::string& text = entries_[static_cast<size_t>(at)].text;
    if (text.empty()) return;
    auto& bucket = byFirstLetter_[firstLetterCode(text)];
    std::erase(bucket, at);
}

void Table::rebuild() {
    nodes_.clear();
    byFirstLetter_.clear();
    maxKeyLength_ = 0;
    for (size_t i = 0; i < entries_.size(); ++i) index(static_cast<int32_t>(i));
}

void Table::set(TableEntry entry) {
    if (entry.key.empty()) {
        const auto same = std::find_if(endTags_.begin(), endTags_.end(),
                                       [&](const TableEntry& tag) { return tag.text == entry.text; });
        if (same == endTags_.end()) endTags_.push_back(std::move(entry));
        return;
    }
    const TableEntry* old = find(entry.key);
    if (!old) {
        entries_.push_back(std::move(entry));
        index(static_cast<int32_t>(entries_.size() - 1));
        return;
    }
    const auto at = static_cast<int32_t>(old - entries_.data());
    unindexText(at);
    entries_[static_cast<size_t>(at)] = std::move(entry);
    index(at);
}

bool Table::remove(std::string_view key) {
    const TableEntry* old = find(key);
    if (!old) return false;
    entries_.erase(entries_.begin() + (old - entries_.data()));
    rebuild();
    return true;
}

void Table::clear() {
    entries_.clear();
    endTags_.clear();
    rebuild();
}

const TableEntry* Table::find(std::string_view key) const {
    if (key.empty() || nodes_.empty()) return nullptr;
    int32_t node = 0;
    for (const char c : key) {
        node = child(node, static_cast<uint8_t>(c));
        if (node < 0) return nullptr;
    }
    const int32_t at = nodes_[static_cast<size_t>(node)].entry;
    return at < 0 ? nullptr : &entries_[static_cast<size_t>(at)];
}

const TableEntry* Table::longestMatch(std::span<const uint8_t> bytes) const {
    if (nodes_.empty()) return nullptr;
    int32_t best = -1;
    int32_t node = 0;
    for (const uint8_t b : bytes) {
        node = child(node, b);
        if (node < 0) break;
        if (nodes_[static_cast<size_t>(node)].entry >= 0) best = nodes_[static_cast<size_t>(node)].entry;
    }
    return best < 0 ? nullptr : &entries_[static_cast<size_t>(best)];
}

std::vector<const TableEntry*> Table::entriesPrefixOf(std::string_view text) const {
    std::vector<const TableEntry*> out;
    if (text.empty()) return out;
    const auto bucket = byFirstLetter_.find(firstLetterCode(text));
    if (bucket == byFirstLetter_.end()) return out;
    for (const int32_t at : bucket->second) {
        const TableEntry& entry = entries_[static_cast<size_t>(at)];
        if (text.starts_with(entry.text)) out.push_back(&entry);
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const TableEntry* a, const TableEntry* b) { return a->text.size() > b->text.size(); });
    return out;
}

CharTable Table::oneByteView() const {
    CharTable view;
    for (int b = 0; b < 256; ++b) {
        const char key = static_cast<char>(b);
        if (const TableEntry* entry = find({&key, 1})) view[static_cast<size_t>(b)] = oneByteLetters(*entry);
    }
    return view;
}

void Table::takeOneByteView(const CharTable& view, bool utf8) {
    for (int b = 0; b < 256; ++b) {
        const std::string key(1, static_cast<char>(b));
        const std::string& raw = view[static_cast<size_t>(b)];
        const std::string letters = utf8 && isValidUtf8(raw) ? raw : utf8FromLatin1(raw);
        const TableEntry* entry = find(key);
        if (entry ? oneByteLetters(*entry) == letters : letters.empty()) continue;
        if (letters.empty()) {
            remove(key);
            continue;
        }
        TableEntry changed;
        if (entry) changed = *entry;
        changed.key = key;
        changed.text = letters;
        if (changed.kind == EntryKind::LineBreak && changed.text.ends_with('\n')) changed.text.pop_back();
        set(std::move(changed));
    }
}

}  // namespace tarpon
