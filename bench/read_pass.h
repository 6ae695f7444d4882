#pragma once
// The yardstick of the search and script benchmarks: every byte read once, eight at a
// time (the compiler widens the loop to the vector registers).
#include <cstdint>
#include <cstring>
#include <vector>

namespace tarpon {

template <class Bytes>
uint64_t readPass(const Bytes& doc) {
    uint64_t acc = 0;
    size_t i = 0;
    for (; i + 8 <= doc.size(); i += 8) {
        uint64_t w;
        std::memcpy(&w, doc.data() + i, 8);
        acc |= w;
    }
    for (; i < doc.size(); ++i) acc |= doc[i];
    return acc;
}

}  // namespace tarpon
