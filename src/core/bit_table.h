#pragma once
// A table whose keys are strings of bits rather than whole bytes, as abcde's tables
// write them: "%0110=text" (those bits), "F=text" (an odd number of hex digits: four
// bits each), "41=text" (eight bits a byte pair), each optionally "/" (an end token).
// Keys are read most significant bit first, and leading zeros count. Reading data
// through it takes the longest key at each bit; writing text takes the spelling of
// fewest bits, packed most significant bit first with no alignment between pieces.
#include <array>
#include <functional>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarpon {

// Keys longer than this are refused (they only come from mistyped lines).
inline constexpr size_t kMaxBitKey = 256;

struct BitEntry {
    std::string key;   // '0' and '1', most significant first
    std::string text;  // as dumped: "\n" in the file is a line break here
    bool ends = false; // an end token: a string ends after it
    int line = 0;      // the table file's line, counted from 1
};

// Whether a table file's lines hold a key that is not whole bytes ("%…" or an odd
// number of hex digits); gives its line (counted from 1), or 0.
int firstBitKeyLine(std::string_view lines);

// One piece of data read through the table: an entry's key, or raw bits no key matches.
struct BitToken {
    uint64_t at = 0;     // its first bit, counted from the data's first byte's highest bit
    uint32_t bits = 0;   // how many
    int32_t entry = -1;  // its entry, or -1: raw (`<$XX>` for eight bits, `<%0>`/`<%1>` for one)
};

// One piece of text spelled through the table.
struct BitPiece {
    uint32_t at = 0, length = 0;  // the text it stands for
    int32_t entry = -1;           // its entry, or -1: raw bits
    uint8_t rawBits = 0;          // raw: 8 (`<$XX>`) or 1 (`<%0>`, `<%1>`)
    uint8_t raw = 0;              // raw: their value
};

class BitTable {
public:
    // Reads a table file's lines (UTF-8, an optional byte order mark, "#" comments,
    // "@name" lines passed over). Nothing, and `problem` naming the line, for a line that
    // is no entry of such a table, a key given twice, a text holding "<" or ">", or a
    // table switch ("!"), which this table does not read.
    static std::optional<BitTable> read(std::string_view lines, std::string& problem);

    const std::vector<BitEntry>& entries() const { return entries_; }
    bool isEndText(std::string_view text) const;

    // Reading: the token at bit `at` of `data`, reading no bit at or past `end`. No key
    // matching gives raw bits: eight when eight are left, else one.
    BitToken tokenAt(std::span<const uint8_t> data, uint64_t at, uint64_t end) const;
    // Its text appended to `out`.
    void appendText(const BitToken& t, std::span<const uint8_t> data, std::string& out) const;
    // The tokens from bit `at` up to `end`, or with `untilEnd` up to and with the first
    // end token, appended to `out`; gives the bit after the last.
    uint64_t readString(std::span<const uint8_t> data, uint64_t at, uint64_t end, bool untilEnd,
                        std::vector<BitToken>& out) const;

    // Writing: the pieces of fewest bits that spell `text` (line breaks are no data;
    // `<$XX>` with upper-case digits is eight raw bits, `<%0>`/`<%1>` one). Of equally
    // few bits, the piece that reads the most text first, then the lowest bits. False
    // when a place begins no piece; `badAt` then holds it.
    bool spell(std::string_view text, std::vector<BitPiece>& out, size_t* badAt = nullptr) const;

    // The fewest bits from each place of text[from, to) to `to`, into `cost` and `best`
    // (both at least text.size() + 1 long; cost[to] is taken as 0, no piece passes `to`).
    // cost is kNoSpelling where no spelling reaches `to`.
    static constexpr uint64_t kNoSpelling = UINT64_MAX;
    void solve(std::string_view text, size_t from, size_t to, std::vector<uint64_t>& cost,
               std::vector<BitPiece>& best) const;

    // A piece's bits as '0' and '1'.
    std::string bitsOf(const BitPiece& p) const;

private:
    void candidates(std::string_view text, size_t at, size_t to, std::vector<BitPiece>& out) const;
    std::string insertText(const BitEntry& e) const;

    std::vector<BitEntry> entries_;
    struct Node {
        std::array<int32_t, 2> next{-1, -1};
        int32_t entry = -1;
    };
    std::vector<Node> trie_{1};
    // Entries by the text a script writes for them (line breaks left out), and every
    // such text's length, longest first.
    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, std::vector<int32_t>, TextHash, std::equal_to<>> byText_;
    std::vector<size_t> textLengths_;
};

// Bits packed into bytes, most significant first; the last byte's unused bits are 0.
class BitPacker {
public:
    void put(std::string_view bits);
    void putValue(uint32_t value, int bits);
    uint64_t bitCount() const { return bits_; }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    uint64_t bits_ = 0;
};

// The bit at `at` of `data` (the first byte's highest bit is 0).
inline int bitAt(std::span<const uint8_t> data, uint64_t at) { return (data[at / 8] >> (7 - at % 8)) & 1; }

}  // namespace tarpon
