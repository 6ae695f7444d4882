#include "core/table.h"

#include <algorithm>
#include <atomic>

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

// Revisions are drawn from one counter, so a copied table never shares a later one.
uint64_t nextRevision() {
    static std::atomic<uint64_t> counter{0};
    return ++counter;
}

bool byteBefore(const std::pair<uint8_t, int32_t>& kid, uint8_t b) { return kid.first < b; }

}  // namespace

std::string oneByteLetters(const TableEntry& entry) {
    return entry.kind == EntryKind::LineBreak ? entry.text + "\n" : entry.text;
}

int32_t Table::sortedChild(int32_t list, uint8_t b) const {
    const auto& kids = sorted_[static_cast<size_t>(list)];
    const auto it = std::lower_bound(kids.begin(), kids.end(), b, byteBefore);
    return it != kids.end() && it->first == b ? it->second : -1;
}

// A new child of `node` for the byte `b`, which it has none for.
int32_t Table::addChild(int32_t node, uint8_t b) {
    const auto made = static_cast<int32_t>(nodes_.size());
    nodes_.emplace_back();
    Node& n = nodes_[static_cast<size_t>(node)];
    if (n.dense >= 0) {
        dense_[static_cast<size_t>(n.dense) + b] = made;
        return made;
    }
    if (n.sorted < 0) {
        n.sorted = static_cast<int32_t>(sorted_.size());
        sorted_.emplace_back();
    }
    auto& kids = sorted_[static_cast<size_t>(n.sorted)];
    kids.insert(std::lower_bound(kids.begin(), kids.end(), b, byteBefore), {b, made});
    if (kids.size() > kDenseFrom) {
        n.dense = static_cast<int32_t>(dense_.size());
        dense_.resize(dense_.size() + 256, -1);
        for (const auto& [byte, kid] : kids) dense_[static_cast<size_t>(n.dense) + byte] = kid;
        kids = {};
    }
    return made;
}

// A key of several bytes needs a node for each byte before its last as well, shared
// by the keys that begin with them: an eighth more is room for those of a usual table.
void Table::reserve(size_t more) {
    entries_.reserve(entries_.size() + more);
    nodes_.reserve(nodes_.size() + more + more / 8 + 1);
}

int32_t Table::keyId(std::string_view key) {
    if (nodes_.empty()) {  // every key starts at the root: it has its 256 slots from the first
        nodes_.push_back({.entry = -1, .sorted = -1, .dense = 0});
        dense_.assign(256, -1);
    }
    int32_t node = 0;
    for (const char c : key) {
        const auto b = static_cast<uint8_t>(c);
        const int32_t dense = node == 0 ? 0 : nodes_[static_cast<size_t>(node)].dense;  // the root's slots come first
        if (dense < 0) {
            const int32_t found = child(node, b);
            node = found >= 0 ? found : addChild(node, b);
            continue;
        }
        int32_t& slot = dense_[static_cast<size_t>(dense) + b];  // new nodes do not move dense_
        if (slot < 0) {
            slot = static_cast<int32_t>(nodes_.size());
            nodes_.emplace_back();
        }
        node = slot;
    }
    return node;
}

// The trie node of a key, or -1.
int32_t Table::nodeOf(std::string_view key) const {
    if (key.empty() || nodes_.empty()) return -1;
    int32_t node = 0;
    for (const char c : key) {
        node = child(node, static_cast<uint8_t>(c));
        if (node < 0) return -1;
    }
    return node;
}

uint64_t Table::revision() const {
    if (revisionStale_) {
        revision_ = nextRevision();
        revisionStale_ = false;
    }
    return revision_;
}

int32_t Table::set(TableEntry&& entry) {
    if (!entry.key.empty()) return set(entry.key, entry.text, entry.kind, entry.params);
    const auto same = std::find_if(endTags_.begin(), endTags_.end(),
                                   [&](const TableEntry& tag) { return tag.text == entry.text; });
    if (same == endTags_.end()) endTags_.push_back(std::move(entry));
    return -1;
}

int32_t Table::set(std::string_view key, std::string_view text, EntryKind kind, int params) {
    if (key.empty()) return set(TableEntry{std::string(key), std::string(text), kind, params});
    const int32_t node = keyId(key);
    textIndexStale_ = true;
    revisionStale_ = true;
    int32_t& at = nodes_[static_cast<size_t>(node)].entry;
    TableEntry* entry = nullptr;
    if (at >= 0) {
        entry = &entries_[static_cast<size_t>(at)];
        entry->text.assign(text);
    } else {
        maxKeyLength_ = std::max(maxKeyLength_, key.size());
        at = static_cast<int32_t>(entries_.size());
        entry = &entries_.emplace_back();
        entry->key.append(key);
        entry->text.append(text);
    }
    entry->kind = kind;
    entry->params = params;
    return node;
}

// The last entry moves into the gap, so a removal costs no more than a lookup.
bool Table::remove(std::string_view key) {
    const int32_t node = nodeOf(key);
    if (node < 0 || nodes_[static_cast<size_t>(node)].entry < 0) return false;
    const int32_t at = nodes_[static_cast<size_t>(node)].entry;
    nodes_[static_cast<size_t>(node)].entry = -1;
    const auto last = static_cast<int32_t>(entries_.size() - 1);
    if (at != last) {
        nodes_[static_cast<size_t>(nodeOf(entries_.back().key))].entry = at;
        entries_[static_cast<size_t>(at)] = std::move(entries_.back());
    }
    entries_.pop_back();
    textIndexStale_ = true;
    revisionStale_ = true;
    return true;
}

bool Table::removeEndTag(std::string_view text) {
    const auto tag = std::find_if(endTags_.begin(), endTags_.end(), [&](const TableEntry& t) { return t.text == text; });
    if (tag == endTags_.end()) return false;
    endTags_.erase(tag);
    return true;
}

void Table::clear() {
    entries_.clear();
    endTags_.clear();
    nodes_.clear();
    sorted_.clear();
    dense_.clear();
    byFirstLetter_.clear();
    textIndexStale_ = false;
    maxKeyLength_ = 0;
    revisionStale_ = true;
}

const TableEntry* Table::find(std::string_view key) const {
    const int32_t node = nodeOf(key);
    const int32_t at = node < 0 ? -1 : nodes_[static_cast<size_t>(node)].entry;
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
    if (textIndexStale_) {
        byFirstLetter_.clear();
        for (size_t i = 0; i < entries_.size(); ++i)
            if (!entries_[i].text.empty())
                byFirstLetter_.emplace_back(firstLetterCode(entries_[i].text), static_cast<int32_t>(i));
        std::sort(byFirstLetter_.begin(), byFirstLetter_.end());
        textIndexStale_ = false;
    }
    const uint32_t first = firstLetterCode(text);
    const auto from = std::lower_bound(byFirstLetter_.begin(), byFirstLetter_.end(), std::pair(first, int32_t{-1}));
    for (auto it = from; it != byFirstLetter_.end() && it->first == first; ++it) {
        const TableEntry& entry = entries_[static_cast<size_t>(it->second)];
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
        const std::string& raw = view[static_cast<size_t>(b)];
        setOneByteLetters(static_cast<uint8_t>(b), utf8 && isValidUtf8(raw) ? raw : utf8FromLatin1(raw));
    }
}

void Table::setOneByteLetters(uint8_t b, std::string_view letters) {
    const std::string key(1, static_cast<char>(b));
    const TableEntry* entry = find(key);
    if (entry ? oneByteLetters(*entry) == letters : letters.empty()) return;
    if (letters.empty()) {
        remove(key);
        return;
    }
    TableEntry changed;
    if (entry) changed = *entry;
    changed.key = key;
    changed.text = std::string(letters);
    if (changed.kind == EntryKind::LineBreak && changed.text.ends_with('\n')) changed.text.pop_back();
    set(std::move(changed));
}

}  // namespace tarpon
