#pragma once
// What the first two bytes of a letter decide, for every pair of bytes: a value of
// the entry with the longest key of at most two bytes that they begin with, or
// `none` when there is none, or `walk` where a key of three or more bytes may
// match and the key tree must be walked. Built once per table revision, so that
// reading a document looks up most letters without walking the tree.
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "core/table.h"

namespace tarpon {

template <class T>
class TwoByteIndex {
public:
    // `valueOf(entry)`: what an entry gives.
    template <class F>
    void build(const Table& table, T none, T walk, F&& valueOf) {
        alone_.fill(none);
        block_.fill(-1);
        int32_t blocks = 0;
        for (const TableEntry& e : table.entries()) {
            const auto b0 = static_cast<uint8_t>(e.key[0]);
            if (e.key.size() == 1) alone_[b0] = valueOf(e);
            else if (block_[b0] < 0) block_[b0] = blocks++;
        }
        second_.assign(static_cast<size_t>(blocks) * 256, none);
        for (int b = 0; b < 256; ++b)
            if (block_[b] >= 0) std::fill_n(second_.begin() + block_[b] * 256, 256, alone_[b]);
        for (const TableEntry& e : table.entries())
            if (e.key.size() == 2) slot(e) = valueOf(e);
        for (const TableEntry& e : table.entries())
            if (e.key.size() > 2) slot(e) = walk;
    }
    // Whether the first byte alone decides: no longer key begins with it.
    bool firstDecides(uint8_t first) const { return block_[first] < 0; }
    // The value for a letter that begins `first`, `second` (any byte when firstDecides).
    T at(uint8_t first, uint8_t second) const {
        const int32_t block = block_[first];
        return block < 0 ? alone_[first] : second_[static_cast<size_t>(block) << 8 | second];
    }

private:
    T& slot(const TableEntry& e) {
        return second_[static_cast<size_t>(block_[static_cast<uint8_t>(e.key[0])]) << 8 | static_cast<uint8_t>(e.key[1])];
    }

    std::array<T, 256> alone_{};       // the one-byte key's value, or none
    std::array<int32_t, 256> block_{};  // the first byte's 256 slots in second_, or -1
    std::vector<T> second_;
};

}  // namespace tarpon
