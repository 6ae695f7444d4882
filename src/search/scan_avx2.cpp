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

// For each offset, two tables of 16 bytes (in both lanes): bit i of low[n] is set when
// prefix i's byte there has the low nibble n, of high[n] when it has the high nibble n.
// A data byte then passes for the prefixes in low[its low nibble] & high[its high nibble],
// exactly those whose byte it is, with one shuffle for each half.
struct NibbleTables {
    __m256i low[kMaxPrefixWidth], high[kMaxPrefixWidth];
};

TARPON_AVX2 NibbleTables nibbleTables(const PrefixSet& f) {
    alignas(32) uint8_t low[kMaxPrefixWidth][32] = {}, high[kMaxPrefixWidth][32] = {};
    for (int i = 0; i < f.prefixes; ++i)
        for (int k = 0; k < f.width; ++k)
            for (int lane = 0; lane < 32; lane += 16) {
                low[k][lane + (f.value[i][k] & 15)] |= static_cast<uint8_t>(1u << i);
                high[k][lane + (f.value[i][k] >> 4)] |= static_cast<uint8_t>(1u << i);
            }
    NibbleTables t;
    for (int k = 0; k < kMaxPrefixWidth; ++k) t.low[k] = load(low[k]), t.high[k] = load(high[k]);
    return t;
}

// One byte for each of the 32 starts from `at`: the prefixes that lie there, one bit each.
template <int W>
TARPON_AVX2 inline __m256i prefixBits(const NibbleTables& t, const uint8_t* at) {
    const __m256i nibble = _mm256_set1_epi8(15);
    __m256i all = _mm256_set1_epi8(-1);
    for (int k = 0; k < W; ++k) {
        const __m256i d = load(at + k);
        const __m256i low = _mm256_shuffle_epi8(t.low[k], _mm256_and_si256(d, nibble));
        const __m256i high = _mm256_shuffle_epi8(t.high[k], _mm256_and_si256(_mm256_srli_epi16(d, 4), nibble));
        all = _mm256_and_si256(all, _mm256_and_si256(low, high));
    }
    return all;
}

// One bit for each of the 64 starts from s where some prefix lies.
template <int W>
TARPON_AVX2 inline uint64_t prefixMask(const PrefixSet& f, const NibbleTables& t, int64_t s) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i lo = _mm256_cmpeq_epi8(prefixBits<W>(t, f.data + s), zero);
    const __m256i hi = _mm256_cmpeq_epi8(prefixBits<W>(t, f.data + s + 32), zero);
    return ~blockMask(lo, hi);
}

// 64 starts a block, from the bottom or from the top; the rest to the generic loop.
template <int W>
TARPON_AVX2 int64_t prefixScan(const PrefixSet& f) {
    constexpr uint64_t kTop = uint64_t{1} << 63;
    const NibbleTables tables = nibbleTables(f);
    PrefixSet rest = f;
    for (; !f.down && rest.from + 64 <= f.to; rest.from += 64)
        for (uint64_t m = prefixMask<W>(f, tables, rest.from); m != 0; m &= m - 1) {
            const int64_t at = rest.from + __builtin_ctzll(m);
            if (f.confirm(f.context, at)) return at;
        }
    for (; f.down && rest.to - 64 >= f.from; rest.to -= 64)
        for (uint64_t m = prefixMask<W>(f, tables, rest.to - 64); m != 0; m &= ~(kTop >> __builtin_clzll(m))) {
            const int64_t at = rest.to - 1 - __builtin_clzll(m);
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
