// Built for AVX2 by function attribute only; callers check the processor first.
#if defined(__x86_64__)
#include <immintrin.h>

#include "search/scan_kernels.h"

namespace tarpon::scan {
namespace {

#define TARPON_AVX2 __attribute__((target("avx2")))

TARPON_AVX2 inline __m256i load(const uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

TARPON_AVX2 inline __m256i plainHits(const uint8_t* a, const uint8_t* b, __m256i v1, __m256i v2) {
    return _mm256_and_si256(_mm256_cmpeq_epi8(load(a), v1), _mm256_cmpeq_epi8(load(b), v2));
}

TARPON_AVX2 inline __m256i relativeHits(const uint8_t* base, const uint8_t* a, const uint8_t* b, __m256i v1,
                                        __m256i v2) {
    const __m256i b0 = load(base);
    return _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_sub_epi8(load(a), b0), v1),
                            _mm256_cmpeq_epi8(_mm256_sub_epi8(load(b), b0), v2));
}

int64_t confirmEach(const Filter& f, int64_t base, uint64_t mask) {
    for (; mask != 0; mask &= mask - 1) {
        const int64_t s = base + __builtin_ctzll(mask);
        if (f.confirm(f.context, f.data + s)) return s;
    }
    return -1;
}

TARPON_AVX2 uint64_t blockMask(__m256i lo, __m256i hi) {
    return static_cast<uint32_t>(_mm256_movemask_epi8(lo)) |
           (static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(hi))) << 32);
}

}  // namespace

TARPON_AVX2 int64_t scanAvx2(const Filter& f) {
    const __m256i v1 = _mm256_set1_epi8(static_cast<char>(f.value1));
    const __m256i v2 = _mm256_set1_epi8(static_cast<char>(f.value2));
    const uint8_t* d = f.data;
    const uint8_t* p1 = f.data + f.pos1;
    const uint8_t* p2 = f.data + f.pos2;
    int64_t i = 0;
    for (; i + 64 <= f.count; i += 64) {
        __m256i lo, hi;
        if (!f.relative) {
            lo = plainHits(p1 + i, p2 + i, v1, v2);
            hi = plainHits(p1 + i + 32, p2 + i + 32, v1, v2);
        } else {
            lo = relativeHits(d + i, p1 + i, p2 + i, v1, v2);
            hi = relativeHits(d + i + 32, p1 + i + 32, p2 + i + 32, v1, v2);
        }
        const uint64_t mask = blockMask(lo, hi);
        if (mask != 0) {
            const int64_t hit = confirmEach(f, i, mask);
            if (hit >= 0) return hit;
        }
    }
    return scanGeneric(f, i);
}

#undef TARPON_AVX2

}  // namespace tarpon::scan
#endif
