#pragma once
// Reading the document through the table: longest match over keys of every length,
// the same for the text pane and Copy. Letters are read from the document's start,
// so a byte's letter never depends on where the page is; a byte the user chose
// ("read from here") always starts a letter. LetterIndex keeps, for every block of
// the document, where its first letter starts, so that a repaint reads only from
// the block before the page, and a change of bytes drops only the blocks after it.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/char_table.h"
#include "core/table.h"
#include "core/two_byte_index.h"

namespace tarpon {

// One letter: `length` bytes from `start` (its key, and a linked entry's parameter bytes).
struct ReadLetter {
    int64_t start = 0;
    int32_t keyLength = 1;
    int32_t length = 1;
    const TableEntry* entry = nullptr;  // the table's entry for the key, or null
};

// The table as the document is read through it: keys of several bytes and the
// kinds from `table`, the letters of one-byte keys from the one-byte view (which
// the editor's table keeps beside it; Latin-1 when !utf8).
struct TableReading {
    const Table& table;
    const CharTable& view;
    bool utf8 = true;
    std::span<const int32_t> starts = {};  // offsets that start a letter, ascending
};

// The letter that starts at `at` in `doc` (at < doc.size()).
ReadLetter readLetterAt(const TableReading& r, std::span<const uint8_t> doc, int64_t at);

// A letter's text: the entry's letters (a line break entry's followed by "\n"),
// then "<$XX>" for each parameter byte; empty for a byte without an entry. UTF-8
// for a key of several bytes, else as the view holds it.
std::string letterText(const TableReading& r, std::span<const uint8_t> doc, const ReadLetter& letter);
// Whether letterText is UTF-8 (rather than Latin-1 from the view).
bool letterTextIsUtf8(const TableReading& r, const ReadLetter& letter);

// Every letter is its byte's own: no key of several bytes and no parameter bytes.
bool readsByteByByte(const Table& table);

// How long a letter is, from its first two bytes: enough to read most documents
// without walking the key tree (keys of one and two bytes, and their parameters).
class LetterSteps {
public:
    void build(const Table& table);
    // The length of the letter that begins `first`, `second`; 0: walk the tree.
    uint16_t step(uint8_t first, uint8_t second) const { return lengths_.at(first, second); }
    // Whether every letter that covers the byte before `at` ends at `at`, so that
    // reading from anywhere before passes through it; `longest`: the longest letter.
    bool endsEveryLetterAt(const uint8_t* doc, int64_t at, int64_t longest) const {
        for (int64_t k = 1; k < longest && k <= at; ++k)
            if (reach_[doc[at - k]] >= k) return false;
        return true;
    }

private:
    TwoByteIndex<uint16_t> lengths_;     // a byte without an entry is a letter of 1
    std::array<uint16_t, 256> reach_{};  // how many bytes after it a letter that begins with it may cover
};

class LetterIndex {
public:
    static constexpr int64_t kBlock = 256;

    // The bytes from `offset` on changed (or moved).
    void touched(int64_t offset);
    // `removed` bytes at `at` were replaced by `added`: chosen starts move with their
    // bytes, and go with the bytes taken away.
    void moved(int64_t at, int64_t removed, int64_t added);
    // A new document: nothing known, no chosen starts.
    void reset();
    // "Read from here": `offset` starts a letter, or no longer does when it did.
    void toggleStart(int64_t offset);
    const std::vector<int32_t>& starts() const { return starts_; }

    // The first letter start at or after `at` (doc.size() past the last).
    // `stamp` identifies the document's bytes (the history's state).
    int64_t startAtOrAfter(const TableReading& r, std::span<const uint8_t> doc, int64_t at, uint64_t stamp);

private:
    void keepBlocksBefore(int64_t offset);
    void check(const TableReading& r, std::span<const uint8_t> doc, uint64_t stamp);
    // The first letter start at or after `until`, reading on from the start `pos`.
    int64_t skipLetters(const TableReading& r, std::span<const uint8_t> doc, int64_t pos, int64_t until) const;

    LetterSteps steps_;

    std::vector<int32_t> starts_;
    std::vector<int32_t> blockStart_;  // blockStart_[k]: the first letter start at or after k * kBlock
    uint64_t revision_ = 0, stamp_ = 0;
    int64_t size_ = -1;
    int64_t touchedFrom_ = -1;  // the lowest changed offset since the last check, or -1
    int64_t margin_ = 1;        // how far before a change a letter can begin that reads it
};

// Calls `f(letter)` for every letter that starts in [from, to), in order.
template <class F>
void forEachLetter(LetterIndex& index, const TableReading& r, std::span<const uint8_t> doc, uint64_t stamp,
                   int64_t from, int64_t to, F&& f) {
    const auto size = static_cast<int64_t>(doc.size());
    for (int64_t at = index.startAtOrAfter(r, doc, from, stamp); at < to && at < size;) {
        const ReadLetter letter = readLetterAt(r, doc, at);
        f(letter);
        at += letter.length;
    }
}

}  // namespace tarpon
