#include <cstring>

#include "search/scan_kernels.h"

namespace tarpon::scan {
namespace {

bool passes(const Filter& f, int64_t s) {
    const uint8_t* at = f.data + s;
    if (!f.relative) return at[f.pos1] == f.value1 && at[f.pos2] == f.value2;
    return static_cast<uint8_t>(at[f.pos1] - at[0]) == f.value1 &&
           static_cast<uint8_t>(at[f.pos2] - at[0]) == f.value2;
}

bool prefixAt(const PrefixSet& f, int64_t s) {
    for (int i = 0; i < f.prefixes; ++i)
        if (std::memcmp(f.data + s, f.value[i], static_cast<size_t>(f.width)) == 0) return true;
    return false;
}

}  // namespace

int64_t scanGeneric(const Filter& f, int64_t from) {
    for (int64_t s = from; s < f.count; ++s) {
        if (!f.relative) {
            // Jump to the next place where the first filter byte occurs.
            const uint8_t* base = f.data + f.pos1;
            const void* hit = std::memchr(base + s, f.value1, static_cast<size_t>(f.count - s));
            if (hit == nullptr) return -1;
            s = static_cast<const uint8_t*>(hit) - base;
        }
        if (passes(f, s) && f.confirm(f.context, f.data + s)) return s;
    }
    return -1;
}

int64_t scanPrefixesGeneric(const PrefixSet& f) {
    if (f.down) {
        for (int64_t s = f.to - 1; s >= f.from; --s)
            if (prefixAt(f, s) && f.confirm(f.context, s)) return s;
        return -1;
    }
    for (int64_t s = f.from; s < f.to; ++s)
        if (prefixAt(f, s) && f.confirm(f.context, s)) return s;
    return -1;
}

}  // namespace tarpon::scan
