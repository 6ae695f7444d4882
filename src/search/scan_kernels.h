#pragma once
// The inner loops of the searchers. A kernel visits the starts 0..count-1 of a
// linear stretch, keeps those where two chosen bytes pass the filter, and asks
// `confirm` about each in order. The stretch holds count + length - 1 bytes.
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

}  // namespace tarpon::scan
