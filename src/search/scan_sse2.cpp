// SSE2 is part of every x86-64 processor, so this needs no run-time check.
#if defined(__x86_64__)
#include <emmintrin.h>

#include "search/scan_kernels.h"

namespace tarpon::scan {
namespace {

inline __m128i load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

int64_t confirmEach(const Filter& f, int64_t base, uint32_t mask) {
    for (; mask != 0; mask &= mask - 1) {
        const int64_t s = base + __builtin_ctz(mask);
        if (f.confirm(f.context, f.data + s)) return s;
    }
    return -1;
}

uint32_t blockMask(__m128i lo, __m128i hi) {
    return static_cast<uint32_t>(_mm_movemask_epi8(lo)) | (static_cast<uint32_t>(_mm_movemask_epi8(hi)) << 16);
}

}  // namespace

int64_t scanSse2(const Filter& f) {
    const __m128i v1 = _mm_set1_epi8(static_cast<char>(f.value1));
    const __m128i v2 = _mm_set1_epi8(static_cast<char>(f.value2));
    const uint8_t* p1 = f.data + f.pos1;
    const uint8_t* p2 = f.data + f.pos2;
    int64_t i = 0;
    for (; i + 32 <= f.count; i += 32) {
        __m128i lo, hi;
        if (!f.relative) {
            lo = _mm_and_si128(_mm_cmpeq_epi8(load(p1 + i), v1), _mm_cmpeq_epi8(load(p2 + i), v2));
            hi = _mm_and_si128(_mm_cmpeq_epi8(load(p1 + i + 16), v1), _mm_cmpeq_epi8(load(p2 + i + 16), v2));
        } else {
            const __m128i b0 = load(f.data + i), b1 = load(f.data + i + 16);
            lo = _mm_and_si128(_mm_cmpeq_epi8(_mm_sub_epi8(load(p1 + i), b0), v1),
                               _mm_cmpeq_epi8(_mm_sub_epi8(load(p2 + i), b0), v2));
            hi = _mm_and_si128(_mm_cmpeq_epi8(_mm_sub_epi8(load(p1 + i + 16), b1), v1),
                               _mm_cmpeq_epi8(_mm_sub_epi8(load(p2 + i + 16), b1), v2));
        }
        const uint32_t mask = blockMask(lo, hi);
        if (mask != 0) {
            const int64_t hit = confirmEach(f, i, mask);
            if (hit >= 0) return hit;
        }
    }
    return scanGeneric(f, i);
}

}  // namespace tarpon::scan
#endif
