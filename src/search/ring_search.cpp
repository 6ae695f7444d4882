#include "search/ring_search.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "search/scan_kernels.h"

namespace tarpon {
namespace {

using Histogram = std::array<uint64_t, 256>;

struct Matcher {
    const uint8_t* pattern;
    int64_t length;
    int32_t wildcard;
    bool hasWildcard;
};

bool confirmPlain(const void* context, const uint8_t* at) {
    const auto& m = *static_cast<const Matcher*>(context);
    if (!m.hasWildcard) return std::memcmp(at, m.pattern, static_cast<size_t>(m.length)) == 0;
    for (int64_t k = 0; k < m.length; ++k)
        if (at[k] != m.pattern[k] && m.pattern[k] != m.wildcard) return false;
    return true;
}

// The exact rule: every non-wildcard byte differs from its pattern byte by the
// difference at the first byte, as signed integers (not modulo 256).
bool confirmRelative(const void* context, const uint8_t* at) {
    const auto& m = *static_cast<const Matcher*>(context);
    const int d = int{at[0]} - int{m.pattern[0]};
    for (int64_t k = 1; k < m.length; ++k)
        if (m.pattern[k] != m.wildcard && int{at[k]} - int{m.pattern[k]} != d) return false;
    return true;
}

constexpr int64_t kSampleBlock = 256, kSampleBlocks = 64;

// Where the sampled blocks begin: the whole document when small, else 64 blocks spread over it.
int64_t sampleBlockStart(int64_t size, int64_t b) { return (size - kSampleBlock) * b / (kSampleBlocks - 1); }

Histogram sampleHistogram(const uint8_t* data, int64_t size) {
    Histogram h{};
    if (size <= kSampleBlock * kSampleBlocks) {
        for (int64_t i = 0; i < size; ++i) ++h[data[i]];
        return h;
    }
    for (int64_t b = 0; b < kSampleBlocks; ++b) {
        const uint8_t* block = data + sampleBlockStart(size, b);
        for (int64_t i = 0; i < kSampleBlock; ++i) ++h[block[i]];
    }
    return h;
}

// How the pattern is looked for: every start matches, a single byte found with
// memchr, or a two-byte filter whose candidates are confirmed.
struct Plan {
    enum Kind { Everywhere, OneByte, Filtered } kind = Everywhere;
    int64_t pos1 = 0, pos2 = 0;
    uint8_t value1 = 0, value2 = 0;
};

// A pattern position the filter could test, the value it tests for and how
// often that test passes on the sampled bytes.
struct FilterPos {
    int64_t pos;
    uint8_t value;
    uint64_t score;
};

bool passes(const RingQuery& q, int64_t s, const FilterPos& f) {
    if (!q.relative) return q.data[s + f.pos] == f.value;
    return static_cast<uint8_t>(q.data[s + f.pos] - q.data[s]) == f.value;
}

std::vector<FilterPos> plainPositions(const RingQuery& q, const Histogram& h) {
    std::vector<FilterPos> out;
    for (int64_t k = 0; k < q.length; ++k)
        if (q.pattern[k] != q.wildcard) out.push_back({k, q.pattern[k], h[q.pattern[k]]});
    return out;
}

// Relative: data[s+k] - data[s] must equal pattern[k] - pattern[0] modulo 256.
// A difference is common when many byte pairs of the sample have it.
std::vector<FilterPos> relativePositions(const RingQuery& q, const Histogram& h) {
    std::array<uint64_t, 256> pairCount;
    pairCount.fill(UINT64_MAX);
    std::vector<FilterPos> out;
    for (int64_t k = 1; k < q.length; ++k) {
        if (q.pattern[k] == q.wildcard) continue;
        const uint8_t delta = static_cast<uint8_t>(q.pattern[k] - q.pattern[0]);
        if (pairCount[delta] == UINT64_MAX) {
            uint64_t sum = 0;
            for (int x = 0; x < 256; ++x) sum += h[static_cast<size_t>(x)] * h[static_cast<uint8_t>(x + delta)];
            pairCount[delta] = sum;
        }
        out.push_back({k, delta, pairCount[delta]});
    }
    return out;
}

// Sampled starts (within the document, not round the end) where `first` passes; at most 1024.
std::vector<int64_t> startsPassing(const RingQuery& q, const FilterPos& first) {
    std::vector<int64_t> out;
    const bool small = q.size <= kSampleBlock * kSampleBlocks;
    const int64_t blocks = small ? 1 : kSampleBlocks;
    for (int64_t b = 0; b < blocks && out.size() < 1024; ++b) {
        const int64_t from = small ? 0 : sampleBlockStart(q.size, b);
        const int64_t to = std::min(small ? q.size : from + kSampleBlock, q.size - q.length + 1);
        for (int64_t s = from; s < to && out.size() < 1024; ++s)
            if (passes(q, s, first)) out.push_back(s);
    }
    return out;
}

// The rarest position first; then the one that most often fails where the first
// passes, so that bytes that come together (CR LF) are not both chosen.
std::pair<FilterPos, FilterPos> choosePair(const RingQuery& q, std::vector<FilterPos> positions) {
    std::stable_sort(positions.begin(), positions.end(),
                     [](const FilterPos& a, const FilterPos& b) { return a.score < b.score; });
    const FilterPos first = positions[0];
    if (positions.size() == 1) return {first, first};
    if (positions.size() > 33) positions.resize(33);
    const std::vector<int64_t> starts = startsPassing(q, first);
    size_t best = 1;
    size_t bestCount = SIZE_MAX;
    for (size_t i = 1; i < positions.size() && !starts.empty(); ++i) {
        size_t count = 0;
        for (int64_t s : starts) count += passes(q, s, positions[i]);
        if (count < bestCount) {
            best = i;
            bestCount = count;
        }
    }
    return {first, positions[best]};
}

Plan makePlan(const RingQuery& q) {
    Plan plan;
    if (q.length == 1 && !q.relative) {
        if (q.pattern[0] != q.wildcard) plan = {Plan::OneByte, 0, 0, q.pattern[0], q.pattern[0]};
        return plan;
    }
    const Histogram h = sampleHistogram(q.data, q.size);
    const std::vector<FilterPos> positions = q.relative ? relativePositions(q, h) : plainPositions(q, h);
    if (positions.empty()) return plan;
    if (positions.size() == 1 && !q.relative) return {Plan::OneByte, positions[0].pos, 0, positions[0].value, 0};
    const auto [a, b] = choosePair(q, positions);
    return {Plan::Filtered, a.pos, b.pos, a.value, b.value};
}

class RingSearcher {
public:
    RingSearcher(const RingQuery& q, SearchIsa isa)
        : q_(q), isa_(isa), matcher_{q.pattern, q.length, q.wildcard, hasWildcard(q)}, plan_(makePlan(q)) {}

    int64_t run() {
        const int64_t n = q_.size;
        const int64_t c = ((q_.cursor % n) + n) % n;
        const int64_t hit = firstIn(c + 1, n - 1);
        if (hit >= 0) return hit;
        return firstIn(0, q_.relative ? c - 1 : c);
    }

    // Every matching start from 0 to the last, in order, at most `limit`: each
    // scan goes on from the start after the previous hit, so all of them make one pass.
    // Scans go a slab at a time, so that `progress` is asked as they go.
    std::vector<int64_t> all(size_t limit, const Progress& progress) {
        constexpr int64_t kSlab = int64_t{1} << 18;
        std::vector<int64_t> hits;
        for (int64_t from = 0; from < q_.size && hits.size() < limit;) {
            if (!progress.keepGoing(from, q_.size, kSlab)) return {};
            const int64_t to = std::min(q_.size - 1, from + kSlab - 1);
            const int64_t hit = firstIn(from, to);
            if (hit >= 0) hits.push_back(hit);
            from = hit >= 0 ? hit + 1 : to + 1;
        }
        return hits;
    }

    void whole(const std::function<bool(int64_t)>& hit) {
        const int64_t last = q_.size - q_.length;
        for (int64_t from = 0; from <= last;) {
            const int64_t at = firstIn(from, last);
            if (at < 0 || !hit(at)) return;
            from = at + 1;
        }
    }

private:
    static bool hasWildcard(const RingQuery& q) {
        if (q.wildcard < 0 || q.wildcard > 255) return false;
        return std::memchr(q.pattern, q.wildcard, static_cast<size_t>(q.length)) != nullptr;
    }

    // The first matching start in lo..hi, trying them in increasing order: first
    // those whose bytes lie before the end, then those that run round it.
    int64_t firstIn(int64_t lo, int64_t hi) {
        if (lo > hi) return -1;
        const int64_t lastLinear = q_.size - q_.length;
        if (lo <= std::min(hi, lastLinear)) {
            const int64_t hit = scanStretch(q_.data + lo, std::min(hi, lastLinear) - lo + 1);
            if (hit >= 0) return lo + hit;
        }
        const int64_t from = std::max(lo, lastLinear + 1);
        if (from > hi) return -1;
        buildWrap();
        const int64_t hit = scanStretch(wrap_.data() + (from - wrapFirst_), hi - from + 1);
        return hit >= 0 ? from + hit : -1;
    }

    // The bytes of the starts that run round the end, laid out in a line.
    void buildWrap() {
        if (!wrap_.empty()) return;
        wrapFirst_ = std::max<int64_t>(0, q_.size - q_.length + 1);
        wrap_.resize(static_cast<size_t>(q_.size - wrapFirst_ + q_.length - 1));
        int64_t from = wrapFirst_;
        for (size_t i = 0; i < wrap_.size();) {
            const size_t run = std::min<size_t>(wrap_.size() - i, static_cast<size_t>(q_.size - from));
            std::memcpy(wrap_.data() + i, q_.data + from, run);
            i += run;
            from = 0;
        }
    }

    int64_t scanStretch(const uint8_t* data, int64_t count) const {
        switch (plan_.kind) {
        case Plan::Everywhere: return 0;
        case Plan::OneByte: {
            const void* hit = std::memchr(data + plan_.pos1, plan_.value1, static_cast<size_t>(count));
            return hit ? static_cast<const uint8_t*>(hit) - (data + plan_.pos1) : -1;
        }
        case Plan::Filtered: break;
        }
        scan::Filter f;
        f.data = data;
        f.count = count;
        f.pos1 = plan_.pos1;
        f.pos2 = plan_.pos2;
        f.value1 = plan_.value1;
        f.value2 = plan_.value2;
        f.relative = q_.relative;
        f.confirm = q_.relative ? confirmRelative : confirmPlain;
        f.context = &matcher_;
        return runKernel(f);
    }

    int64_t runKernel(const scan::Filter& f) const {
#if defined(__x86_64__)
        if (isa_ == SearchIsa::Avx2) return scan::scanAvx2(f);
        if (isa_ == SearchIsa::Sse2) return scan::scanSse2(f);
#endif
        return scan::scanGeneric(f);
    }

    const RingQuery& q_;
    SearchIsa isa_;
    Matcher matcher_;
    Plan plan_;
    std::vector<uint8_t> wrap_;
    int64_t wrapFirst_ = 0;
};

}  // namespace

bool isaSupported(SearchIsa isa) {
    switch (isa) {
    case SearchIsa::Generic: return true;
#if defined(__x86_64__)
    case SearchIsa::Sse2: return true;
    case SearchIsa::Avx2: return __builtin_cpu_supports("avx2");
#else
    default: return false;
#endif
    }
    return false;
}

SearchIsa bestIsa() {
    static const SearchIsa best = isaSupported(SearchIsa::Avx2)   ? SearchIsa::Avx2
                                  : isaSupported(SearchIsa::Sse2) ? SearchIsa::Sse2
                                                                  : SearchIsa::Generic;
    return best;
}

int64_t findInRing(const RingQuery& q) { return findInRing(q, bestIsa()); }

int64_t findInRing(const RingQuery& q, SearchIsa isa) {
    if (q.size <= 0 || q.length <= 0 || q.data == nullptr || q.pattern == nullptr) return -1;
    if (!isaSupported(isa)) isa = SearchIsa::Generic;
    return RingSearcher(q, isa).run();
}

std::vector<int64_t> findAllInRing(const RingQuery& q, size_t limit, SearchIsa isa, const Progress& progress) {
    if (q.size <= 0 || q.length <= 0 || q.data == nullptr || q.pattern == nullptr) return {};
    if (!isaSupported(isa)) isa = SearchIsa::Generic;
    return RingSearcher(q, isa).all(limit, progress);
}

void forEachWholeMatch(const RingQuery& q, const std::function<bool(int64_t)>& hit, SearchIsa isa) {
    if (q.size <= 0 || q.length <= 0 || q.length > q.size || q.data == nullptr || q.pattern == nullptr) return;
    if (!isaSupported(isa)) isa = SearchIsa::Generic;
    RingSearcher(q, isa).whole(hit);
}

}  // namespace tarpon
