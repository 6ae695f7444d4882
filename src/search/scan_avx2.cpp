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

// Candidates of the 64 starts from `at`, as one bit each.
TARPON_AVX2 inline uint64_t candidates(const Filter& f, int64_t at, __m256i v1, __m256i v2) {
    const uint8_t* p1 = f.data + f.pos1 + at;
    const uint8_t* p2 = f.data + f.pos2 + at;
    if (!f.relative) return blockMask(plainHits(p1, p2, v1, v2), plainHits(p1 + 32, p2 + 32, v1, v2));
    const uint8_t* d = f.data + at;
    return blockMask(relativeHits(d, p1, p2, v1, v2), relativeHits(d + 32, p1 + 32, p2 + 32, v1, v2));
}

template <bool kRelative>
TARPON_AVX2 inline __m256i hits(const Filter& f, int64_t at, __m256i v1, __m256i v2) {
    const uint8_t* p1 = f.data + f.pos1 + at;
    const uint8_t* p2 = f.data + f.pos2 + at;
    if constexpr (kRelative) return relativeHits(f.data + at, p1, p2, v1, v2);
    else return plainHits(p1, p2, v1, v2);
}

// 128 starts a round; the masks are only formed where some start passed.
template <bool kRelative>
TARPON_AVX2 int64_t scanLoop(const Filter& f, int64_t& i, __m256i v1, __m256i v2) {
    for (; i + 128 <= f.count; i += 128) {
        const __m256i a = hits<kRelative>(f, i, v1, v2), b = hits<kRelative>(f, i + 32, v1, v2);
        const __m256i c = hits<kRelative>(f, i + 64, v1, v2), d = hits<kRelative>(f, i + 96, v1, v2);
        const __m256i any = _mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d));
        if (_mm256_testz_si256(any, any)) continue;
        for (int64_t half = 0; half < 128; half += 64) {
            const int64_t hit = confirmEach(f, i + half, candidates(f, i + half, v1, v2));
            if (hit >= 0) return hit;
        }
    }
    return -1;
}

}  // namespace

TARPON_AVX2 int64_t scanAvx2(const Filter& f) {
    const __m256i v1 = _mm256_set1_epi8(static_cast<char>(f.value1));
    const __m256i v2 = _mm256_set1_epi8(static_cast<char>(f.value2));
    int64_t i = 0;
    const int64_t hit = f.relative ? scanLoop<true>(f, i, v1, v2) : scanLoop<false>(f, i, v1, v2);
    if (hit >= 0) return hit;
    for (; i + 64 <= f.count; i += 64) {
        const int64_t found = confirmEach(f, i, candidates(f, i, v1, v2));
        if (found >= 0) return found;
    }
    return scanGeneric(f, i);
}

namespace {

// One bit for each of the 32 starts from s where some prefix lies.
template <int W>
TARPON_AVX2 inline uint32_t prefixMask(const PrefixSet& f, const __m256i (*values)[kMaxPrefixWidth], int64_t s) {
    __m256i d[W];
    for (int k = 0; k < W; ++k) d[k] = load(f.data + s + k);
    __m256i any = _mm256_setzero_si256();
    for (int i = 0; i < f.prefixes; ++i) {
        __m256i all = _mm256_cmpeq_epi8(d[0], values[i][0]);
        for (int k = 1; k < W; ++k) all = _mm256_and_si256(all, _mm256_cmpeq_epi8(d[k], values[i][k]));
        any = _mm256_or_si256(any, all);
    }
    return static_cast<uint32_t>(_mm256_movemask_epi8(any));
}

// 32 starts a block, from the bottom or from the top; the rest to the generic loop.
template <int W>
TARPON_AVX2 int64_t prefixScan(const PrefixSet& f) {
    __m256i values[kMaxPrefixes][kMaxPrefixWidth];
    for (int i = 0; i < kMaxPrefixes; ++i)
        for (int k = 0; k < kMaxPrefixWidth; ++k) values[i][k] = _mm256_set1_epi8(static_cast<char>(f.value[i][k]));
    PrefixSet rest = f;
    for (; !f.down && rest.from + 32 <= f.to; rest.from += 32)
        for (uint32_t m = prefixMask<W>(f, values, rest.from); m != 0; m &= m - 1) {
            const int64_t at = rest.from + __builtin_ctz(m);
            if (f.confirm(f.context, at)) return at;
        }
    for (; f.down && rest.to - 32 >= f.from; rest.to -= 32)
        for (uint32_t m = prefixMask<W>(f, values, rest.to - 32); m != 0; m &= ~(0x80000000u >> __builtin_clz(m))) {
            const int64_t at = rest.to - 1 - __builtin_clz(m);
            if (f.confirm(f.context, at)) return at;
        }
    return scanPrefixesGeneric(rest);
}

}  // namespace

TARPON_AVX2 int64_t scanPrefixesAvx2(const PrefixSet& f) {
    switch (f.width) {
    case 1: return prefixScan<1>(f);
    case 2: return prefixScan<2>(f);
    case 3: return prefixScan<3>(f);
    default: return scanPrefixesGeneric(f);
    }
}

#undef TARPON_AVX2

}  // namespace tarpon::scan
#endif
