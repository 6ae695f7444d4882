// SSE2 is part of every x86-64 processor, so this needs no run-time check.
#if defined(__x86_64__)
#include <emmintrin.h>

#include "search/scan_kernels.h"

namespace tarpon::scan {
namespace {

inline __m128i load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Filter hits of the 16 starts from `at`, one byte lane each.
template <bool kRelative>
inline __m128i hits(const Filter& f, int64_t at, __m128i v1, __m128i v2) {
    const __m128i a = load(f.data + f.pos1 + at), b = load(f.data + f.pos2 + at);
    if constexpr (kRelative) {
        const __m128i base = load(f.data + at);
        return _mm_and_si128(_mm_cmpeq_epi8(_mm_sub_epi8(a, base), v1), _mm_cmpeq_epi8(_mm_sub_epi8(b, base), v2));
    } else {
        return _mm_and_si128(_mm_cmpeq_epi8(a, v1), _mm_cmpeq_epi8(b, v2));
    }
}

int64_t confirmEach(const Filter& f, int64_t base, uint32_t mask) {
    for (; mask != 0; mask &= mask - 1) {
        const int64_t s = base + __builtin_ctz(mask);
        if (f.confirm(f.context, f.data + s)) return s;
    }
    return -1;
}

// 64 starts a round; the masks are only formed where some start passed.
template <bool kRelative>
int64_t scanLoop(const Filter& f, int64_t& i, __m128i v1, __m128i v2) {
    for (; i + 64 <= f.count; i += 64) {
        const __m128i a = hits<kRelative>(f, i, v1, v2), b = hits<kRelative>(f, i + 16, v1, v2);
        const __m128i c = hits<kRelative>(f, i + 32, v1, v2), d = hits<kRelative>(f, i + 48, v1, v2);
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) == 0) continue;
        const __m128i parts[4] = {a, b, c, d};
        for (int64_t k = 0; k < 4; ++k) {
            const int64_t hit = confirmEach(f, i + 16 * k, static_cast<uint32_t>(_mm_movemask_epi8(parts[k])));
            if (hit >= 0) return hit;
        }
    }
    return -1;
}

}  // namespace

int64_t scanSse2(const Filter& f) {
    const __m128i v1 = _mm_set1_epi8(static_cast<char>(f.value1));
    const __m128i v2 = _mm_set1_epi8(static_cast<char>(f.value2));
    int64_t i = 0;
    const int64_t hit = f.relative ? scanLoop<true>(f, i, v1, v2) : scanLoop<false>(f, i, v1, v2);
    if (hit >= 0) return hit;
    return scanGeneric(f, i);
}

namespace {

// One bit for each of the 16 starts from s where some prefix lies.
template <int W>
inline uint32_t prefixMask(const PrefixSet& f, const __m128i (*values)[kMaxPrefixWidth], int64_t s) {
    __m128i d[W];
    for (int k = 0; k < W; ++k) d[k] = load(f.data + s + k);
    __m128i any = _mm_setzero_si128();
    for (int i = 0; i < f.prefixes; ++i) {
        __m128i all = _mm_cmpeq_epi8(d[0], values[i][0]);
        for (int k = 1; k < W; ++k) all = _mm_and_si128(all, _mm_cmpeq_epi8(d[k], values[i][k]));
        any = _mm_or_si128(any, all);
    }
    return static_cast<uint32_t>(_mm_movemask_epi8(any));
}

// 16 starts a block, from the bottom or from the top; the rest to the generic loop.
template <int W>
int64_t prefixScan(const PrefixSet& f) {
    __m128i values[kMaxPrefixes][kMaxPrefixWidth];
    for (int i = 0; i < kMaxPrefixes; ++i)
        for (int k = 0; k < kMaxPrefixWidth; ++k) values[i][k] = _mm_set1_epi8(static_cast<char>(f.value[i][k]));
    PrefixSet rest = f;
    for (; !f.down && rest.from + 16 <= f.to; rest.from += 16)
        for (uint32_t m = prefixMask<W>(f, values, rest.from); m != 0; m &= m - 1) {
            const int64_t at = rest.from + __builtin_ctz(m);
            if (f.confirm(f.context, at)) return at;
        }
    for (; f.down && rest.to - 16 >= f.from; rest.to -= 16)
        for (uint32_t m = prefixMask<W>(f, values, rest.to - 16); m != 0; m &= ~(0x80000000u >> __builtin_clz(m))) {
            const int64_t at = rest.to - 16 + 31 - __builtin_clz(m);
            if (f.confirm(f.context, at)) return at;
        }
    return scanPrefixesGeneric(rest);
}

}  // namespace

int64_t scanPrefixesSse2(const PrefixSet& f) {
    switch (f.width) {
    case 1: return prefixScan<1>(f);
    case 2: return prefixScan<2>(f);
    case 3: return prefixScan<3>(f);
    default: return scanPrefixesGeneric(f);
    }
}

}  // namespace tarpon::scan
#endif
