#pragma once
// The inner loops of the searchers. A kernel of one pattern visits the starts
// 0..count-1 of a linear stretch, keeps those where two chosen bytes pass the filter,
// and asks `confirm` about each in order. The stretch holds count + length - 1 bytes.
// A kernel of several patterns keeps the starts where the first bytes of one lie.
#include <cstdint>

namespace tarpon::scan {

struct Filter {
    const uint8_t* data = nullptr;
    int64_t count = 0;
    int64_t pos1 = 0, pos2 = 0;
    uint8_t value1 = 0, value2 = 0;
    // Plain: data[s+pos] == value. Relative: data[s+pos] - data[s] == value, modulo 256,
    // which every true match passes since equal differences stay equal modulo 256.
    bool relative = false;
    bool (*confirm)(const void* context, const uint8_t* at) = nullptr;
    const void* context = nullptr;
};

// Each returns the first confirmed start, or -1.
int64_t scanGeneric(const Filter& f, int64_t from = 0);
#if defined(__x86_64__)
int64_t scanSse2(const Filter& f);
int64_t scanAvx2(const Filter& f);
#endif

// Several short byte strings at once (the first bytes of the sequences of a multi
// search, up to the first wild card): a start passes where one of the prefixes lies.
inline constexpr int kMaxPrefixes = 8, kMaxPrefixWidth = 3;

struct PrefixSet {
    const uint8_t* data = nullptr;
    int64_t from = 0, to = 0;  // the starts tried, from..to-1; each has `width` bytes in data
    bool down = false;         // tried from the top down
    int width = 1;             // 1..kMaxPrefixWidth
    int prefixes = 0;          // 1..kMaxPrefixes
    uint8_t value[kMaxPrefixes][kMaxPrefixWidth] = {};
    bool (*confirm)(const void* context, int64_t s) = nullptr;
    const void* context = nullptr;
};

// Each returns the first passing start (in the order tried) that `confirm` accepts, or -1.
int64_t scanPrefixesGeneric(const PrefixSet& f);
#if defined(__x86_64__)
int64_t scanPrefixesSse2(const PrefixSet& f);
int64_t scanPrefixesAvx2(const PrefixSet& f);
#endif

}  // namespace tarpon::scan
