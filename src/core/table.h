#pragma once
// The character table: entries keyed by byte sequences of one or more bytes, each
// with its text as UTF-8. The 256-entry CharTable is its one-byte view, which the
// table editor's grid and everything that indexes by a single byte keep using.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/char_table.h"

namespace tarpon {

// Longer keys are refused when a table is read.
inline constexpr size_t kMaxKeyBytes = 32;

enum class EntryKind : uint8_t {
    Letter,     // "XX=text"
    EndToken,   // "/XX=text" or "/XX": a byte that ends a string
    LineBreak,  // "*XX=text" or "*XX": a byte that starts a new line
    Linked,     // "$XX=text,N": the text, then N parameter bytes
};

struct TableEntry {
    std::string key;   // the bytes; empty only for an end tag with no bytes ("/<END>")
    std::string text;  // UTF-8; a line break in it is "\n"
    EntryKind kind = EntryKind::Letter;
    int params = 0;    // Linked: how many parameter bytes follow the key
    bool operator==(const TableEntry&) const = default;
};

// The letters an entry gives its byte in the one-byte view: its text, and for a
// line break the text followed by "\n".
std::string oneByteLetters(const TableEntry& entry);

class Table {
public:
    // Adds the entry, or replaces the one with the same key. An entry with no key
    // is an end tag with no bytes: kept (by its text) but never matched. Returns
    // the key's id (below), or -1 for an end tag.
    int32_t set(TableEntry&& entry);
    int32_t set(const TableEntry& entry) { return set(TableEntry(entry)); }
    // The same, with the entry's parts copied straight into its place (the one way
    // an entry with a key is stored).
    int32_t set(std::string_view key, std::string_view text, EntryKind kind, int params);
    // A number of the key's own, from 0 and below keyIds(), that stays the same
    // while the table lives, whether the key has an entry or not: for tables of
    // facts about keys kept beside the table. Not for an empty key.
    int32_t keyId(std::string_view key);
    size_t keyIds() const { return nodes_.size(); }
    // Removes the entry with that key; false when there is none.
    bool remove(std::string_view key);
    // Removes the end tag with no bytes that has this text; false when there is none.
    bool removeEndTag(std::string_view text);
    void clear();
    // Room for this many more entries, so that reading a large file does not move them again and again.
    void reserve(size_t more);

    const TableEntry* find(std::string_view key) const;
    // The entry whose key has this id (keyId), or nullptr.
    const TableEntry* entryOf(int32_t keyId) const {
        if (keyId < 0 || static_cast<size_t>(keyId) >= nodes_.size()) return nullptr;
        const int32_t at = nodes_[static_cast<size_t>(keyId)].entry;
        return at < 0 ? nullptr : &entries_[static_cast<size_t>(at)];
    }
    // The entry with the longest key that `bytes` begins with, or nullptr.
    const TableEntry* longestMatch(std::span<const uint8_t> bytes) const;
    // The entries with a key whose non-empty text begins `text`, longest text first
    // (entries of the same length in the order they were added).
    std::vector<const TableEntry*> entriesPrefixOf(std::string_view text) const;

    // Entries with keys, in the order they were added (a removal moves the last one
    // into the gap); then the end tags without bytes.
    const std::vector<TableEntry>& entries() const { return entries_; }
    const std::vector<TableEntry>& endTags() const { return endTags_; }
    size_t maxKeyLength() const { return maxKeyLength_; }
    // Changes with every change of the entries; no two tables' changes share a number.
    uint64_t revision() const;

    // The one-byte view: entry b holds the letters of the key {b} (UTF-8), or nothing.
    CharTable oneByteView() const;
    // Takes the one-byte view back after it was edited: letters that differ from
    // what the entry gives become its text (its kind stays; a line break loses the
    // one "\n" the view adds), new letters become letter entries, emptied letters
    // remove the entry. `utf8`: the view's letters are UTF-8, else Latin-1 bytes.
    void takeOneByteView(const CharTable& view, bool utf8);
    // The same for one byte, whose letters are UTF-8.
    void setOneByteLetters(uint8_t b, std::string_view letters);

private:
    // A node's children are a list sorted by byte while they are few, then 256 slots
    // (most nodes are leaves and have neither).
    struct Node {
        int32_t entry = -1;
        int32_t sorted = -1;  // its list in sorted_, or -1
        int32_t dense = -1;   // where its 256 slots start in dense_, or -1
    };
    int32_t child(int32_t node, uint8_t b) const {
        const Node& n = nodes_[static_cast<size_t>(node)];
        if (n.dense >= 0) return dense_[static_cast<size_t>(n.dense) + b];
        return n.sorted < 0 ? -1 : sortedChild(n.sorted, b);
    }
    int32_t sortedChild(int32_t list, uint8_t b) const;
    int32_t addChild(int32_t node, uint8_t b);
    int32_t nodeOf(std::string_view key) const;

    std::vector<TableEntry> entries_;
    std::vector<TableEntry> endTags_;
    std::vector<Node> nodes_;  // the key trie; nodes_[0] is the root
    std::vector<std::vector<std::pair<uint8_t, int32_t>>> sorted_;
    std::vector<int32_t> dense_;
    // The text index, (first letter, entry) in order, made when first asked for after a change.
    mutable std::vector<std::pair<uint32_t, int32_t>> byFirstLetter_;
    mutable bool textIndexStale_ = false;
    size_t maxKeyLength_ = 0;
    // A change only marks the revision stale; the next number is drawn when it is
    // asked for, so that reading a file of thousands of entries draws one.
    mutable uint64_t revision_ = 0;
    mutable bool revisionStale_ = true;
};

}  // namespace tarpon
