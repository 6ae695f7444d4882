#include <cstring>

#include "search/ring_search.h"

namespace tarpon {
namespace {

// The pattern at start s, wrapping round the end as the forward search does.
bool matchesAt(const RingQuery& q, int64_t s) {
    const int d = int{q.data[s]} - int{q.pattern[0]};
    for (int64_t k = 0; k < q.length; ++k) {
        const int b = q.data[(s + k) % q.size];
        if (q.pattern[k] == q.wildcard) continue;
        if (q.relative ? b - int{q.pattern[k]} != d : b != q.pattern[k]) return false;
    }
    return true;
}

}  // namespace

// Backwards from the cursor: the starts before it first, then round from the end,
// the cursor's own start last (plain) or not at all (relative). A plain search
// looks for the pattern's first byte with memrchr, which skips most starts at once.
int64_t findInRingBackward(const RingQuery& q) {
    if (q.size <= 0 || q.length <= 0) return -1;
    const int64_t cursor = q.cursor % q.size;
    const bool scanFirstByte = !q.relative && q.pattern[0] != q.wildcard;
    // Two stretches: [0, cursor) downwards, then [cursor + 1 or cursor, size) downwards.
    const int64_t stretches[2][2] = {{0, cursor}, {q.relative ? cursor + 1 : cursor, q.size}};
    for (const auto& [low, high] : stretches) {
        int64_t s = high;
        while (s > low) {
            if (scanFirstByte) {
                const void* hit = memrchr(q.data + low, q.pattern[0], static_cast<size_t>(s - low));
                if (!hit) break;
                s = static_cast<const uint8_t*>(hit) - q.data;
            } else {
                --s;
            }
            if (matchesAt(q, s)) return s;
        }
    }
    return -1;
}

}  // namespace tarpon
