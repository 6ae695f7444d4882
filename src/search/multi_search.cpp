#include "search/multi_search.h"

#include <algorithm>
#include <array>
#include <climits>
#include <functional>
#include <optional>
#include <span>
#include <utility>

#include "search/prefix_plan.h"
#include "search/ring_search.h"
#include "search/scan_kernels.h"

namespace tarpon {
namespace {

// The sequences as a tree of their bytes; node 0 stands for the empty start. The
// edges below the root lie in one open-addressed table, keyed by parent and byte,
// which is quick to build for thousands of sequences.
class PatternTree {
public:
    PatternTree(const Sequences& patterns, int32_t wildcard) : wildcard_(wildcard) {
        first_.fill(-1);
        end_.push_back(false);
        // At most one new edge for each byte that a sequence does not share with the one before.
        size_t fresh = 0;
        for (size_t i = 0; i < patterns.size(); ++i) fresh += patterns[i].size() - shared(patterns, i);
        while ((size_t{1} << bits_) < 2 * fresh) ++bits_;
        edges_.resize(size_t{1} << bits_);
        std::vector<int32_t> path;
        for (size_t i = 0; i < patterns.size(); ++i) add(patterns[i], shared(patterns, i), path);
    }

    bool mayStartWith(uint8_t b) const { return first_[b] >= 0 || (wildcard_ >= 0 && first_[wildcard_] >= 0); }

    // Whether a sequence begins at s (the bytes taken round the end, up to `limit`:
    // past it a walk stops). A wild card in a sequence matches any byte, so the walk
    // may follow two branches; `open` holds the branches not yet followed.
    bool matchesAt(const uint8_t* data, int64_t size, int64_t s, std::vector<std::pair<int32_t, int64_t>>& open,
                   int64_t limit) const {
        if (wildcard_ < 0) {  // one path only
            int32_t node = first_[data[s]];
            for (int64_t k = 1; node >= 0; ++k) {
                if (end_[static_cast<size_t>(node)]) return true;
                if (s + k >= limit) return false;
                node = child(node, byteAt(data, size, s + k));
            }
            return false;
        }
        open.assign(1, {0, 0});
        while (!open.empty()) {
            auto [node, k] = open.back();
            open.pop_back();
            while (node >= 0) {
                if (end_[static_cast<size_t>(node)]) return true;
                if (s + k >= limit) break;
                const uint8_t b = byteAt(data, size, s + k);
                if (wildcard_ >= 0 && b != wildcard_) {
                    const int32_t any = child(node, static_cast<uint8_t>(wildcard_));
                    if (any >= 0) open.emplace_back(any, k + 1);
                }
                node = child(node, b);
                ++k;
            }
        }
        return false;
    }

private:
    struct Edge {
        uint64_t key = kNoKey;  // parent << 8 | byte
        int32_t node = -1;
    };
    static constexpr uint64_t kNoKey = UINT64_MAX;

    static uint64_t keyOf(int32_t parent, uint8_t b) { return static_cast<uint64_t>(parent) << 8 | b; }

    // The slot that holds `key`, or the empty one where it would go.
    size_t slotOf(uint64_t key) const {
        const size_t mask = edges_.size() - 1;
        size_t i = static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - bits_));
        while (edges_[i].key != key && edges_[i].key != kNoKey) i = (i + 1) & mask;
        return i;
    }

    int32_t child(int32_t node, uint8_t b) const { return node == 0 ? first_[b] : edges_[slotOf(keyOf(node, b))].node; }

    // The byte at i, round the end as often as need be.
    static uint8_t byteAt(const uint8_t* data, int64_t size, int64_t i) { return data[i < size ? i : i % size]; }

    // How many first bytes sequence i has in common with the one before: spellings come
    // in order, so that most of a sequence is often the one before's, and its walk
    // starts where they part.
    static size_t shared(const Sequences& patterns, size_t i) {
        if (i == 0) return 0;
        const std::span<const uint8_t> p = patterns[i], before = patterns[i - 1];
        return static_cast<size_t>(std::mismatch(p.begin(), p.end(), before.begin(), before.end()).first - p.begin());
    }

    // `path`: the nodes of the sequence added before, by depth.
    void add(std::span<const uint8_t> p, size_t common, std::vector<int32_t>& path) {
        if (p.empty()) return;
        path.resize(common);
        int32_t node = common == 0 ? 0 : path.back();
        for (const uint8_t b : p.subspan(common)) {
            int32_t* next = &first_[b];
            if (node != 0) {
                Edge& e = edges_[slotOf(keyOf(node, b))];
                e.key = keyOf(node, b);  // the edge's slot, or the empty one it now takes
                next = &e.node;
            }
            if (*next < 0) {
                *next = static_cast<int32_t>(end_.size());
                end_.push_back(false);
            }
            path.push_back(node = *next);
        }
        end_[static_cast<size_t>(node)] = true;
    }

    int32_t wildcard_;
    std::array<int32_t, 256> first_{};  // the root's children, by byte
    int bits_ = 4;
    std::vector<Edge> edges_;  // 2^bits_, at most half of them used
    std::vector<uint8_t> end_;  // whether a sequence ends at the node
};

// The first match in [low, high), going up or down, start by start.
int64_t scan(const PatternTree& tree, const uint8_t* data, int64_t size, int64_t low, int64_t high, bool down,
             int64_t limit) {
    std::vector<std::pair<int32_t, int64_t>> open;
    if (down) {
        for (int64_t s = high - 1; s >= low; --s)
            if (tree.mayStartWith(data[s]) && tree.matchesAt(data, size, s, open, limit)) return s;
        return -1;
    }
    for (int64_t s = low; s < high; ++s)
        if (tree.mayStartWith(data[s]) && tree.matchesAt(data, size, s, open, limit)) return s;
    return -1;
}

// One pass for all the sequences: where a prefix filter was found, the vector kernels
// pick the starts where some sequence's first bytes lie, and the tree tries those.
class MultiSearcher {
public:
    // `whole`: a match must lie whole in the data, never run round its end.
    MultiSearcher(const Sequences& sequences, int32_t wildcard, std::optional<scan::PrefixSet> filter,
                  const uint8_t* data, int64_t size, SearchIsa isa, bool whole = false)
        : tree_(sequences, wildcard), filter_(filter), data_(data), size_(size), isa_(isa),
          limit_(whole ? size : INT64_MAX) {}

    // Forward: (c, size), then [0, c]; backward: [0, c) down, then [c, size) down.
    int64_t run(int64_t cursor, bool backward) {
        const int64_t c = std::max<int64_t>(cursor, 0) % size_;
        const int64_t first = backward ? firstIn(0, c, true) : firstIn(c + 1, size_, false);
        if (first >= 0) return first;
        return backward ? firstIn(c, size_, true) : firstIn(0, c + 1, false);
    }

    // Every match from 0 on, in order, until `hit` returns false.
    void each(const std::function<bool(int64_t)>& hit) {
        for (int64_t from = 0; from < size_;) {
            const int64_t at = firstIn(from, size_, false);
            if (at < 0 || !hit(at)) return;
            from = at + 1;
        }
    }

private:
    // The starts whose prefix lies before the end go to the filter, the last few,
    // whose prefix runs round it, to the tree alone.
    int64_t firstIn(int64_t low, int64_t high, bool down) {
        if (!filter_) return scan(tree_, data_, size_, low, high, down, limit_);
        const int64_t split = std::clamp(size_ - filter_->width + 1, low, high);
        if (down) {
            const int64_t hit = scan(tree_, data_, size_, split, high, true, limit_);
            return hit >= 0 ? hit : filtered(low, split, true);
        }
        const int64_t hit = filtered(low, split, false);
        return hit >= 0 ? hit : scan(tree_, data_, size_, split, high, false, limit_);
    }

    int64_t filtered(int64_t low, int64_t high, bool down) {
        if (low >= high) return -1;
        scan::PrefixSet f = *filter_;
        f.data = data_;
        f.from = low;
        f.to = high;
        f.down = down;
        f.confirm = [](const void* context, int64_t s) {
            auto* self = static_cast<MultiSearcher*>(const_cast<void*>(context));
            return self->tree_.matchesAt(self->data_, self->size_, s, self->open_, self->limit_);
        };
        f.context = this;
        return scanPrefixes(f, isa_);
    }

    PatternTree tree_;
    std::optional<scan::PrefixSet> filter_;
    const uint8_t* data_;
    int64_t size_;
    SearchIsa isa_;
    int64_t limit_;
    std::vector<std::pair<int32_t, int64_t>> open_;
};

// Up to this many spellings are looked for one by one with the vector scanners unless
// the prefix filter pays (onePassPays); more share the one pass through their tree.
constexpr size_t kOneByOne = 128;

// Whether one pass behind `filter` beats `n` searches one by one (as measured on
// text): the filter reads the document about as fast as one of them, and each start
// it passes costs a walk down the tree, about as much as 500 bytes of a search for one.
bool onePassPays(const scan::PrefixSet& filter, const RingQuery& q, size_t n) {
    return 1.0 + 500.0 * sampledPassingShare(filter, q.data, q.size, bestIsa()) < static_cast<double>(n);
}

// How far `at` lies from the first start the search tries, in the order it tries them.
int64_t ringDistance(const RingQuery& q, int64_t at, bool backward) {
    const int64_t cursor = q.cursor % q.size;
    const int64_t d = backward ? cursor - 1 - at : at - cursor - 1;
    return ((d % q.size) + q.size) % q.size;
}

}  // namespace

int64_t findAnyInRing(const uint8_t* data, int64_t size, const std::vector<std::vector<uint8_t>>& patterns,
                      int32_t wildcard, int64_t cursor, bool backward, SearchIsa isa) {
    if (size <= 0 || data == nullptr) return -1;
    if (!isaSupported(isa)) isa = SearchIsa::Generic;
    const Sequences sequences(patterns.begin(), patterns.end());
    return MultiSearcher(sequences, wildcard, planPrefixes(sequences, wildcard), data, size, isa).run(cursor, backward);
}

int64_t findNearestSpelling(RingQuery q, const std::vector<std::vector<uint8_t>>& others, bool backward) {
    const auto find = [&] { return q.length <= 0 ? -1 : backward ? findInRingBackward(q) : findInRing(q); };
    if (q.size <= 0 || q.data == nullptr) return -1;
    if (q.relative || others.empty()) return find();
    Sequences all(others.begin(), others.end());
    if (q.length > 0) all.emplace_back(q.pattern, static_cast<size_t>(q.length));
    std::optional<scan::PrefixSet> filter = planPrefixes(all, q.wildcard);
    if (all.size() >= kOneByOne || (filter && onePassPays(*filter, q, all.size())))
        return MultiSearcher(all, q.wildcard, filter, q.data, q.size, bestIsa()).run(q.cursor, backward);
    int64_t best = find();
    int64_t bestDistance = best < 0 ? INT64_MAX : ringDistance(q, best, backward);
    for (const std::vector<uint8_t>& spelling : others) {
        if (bestDistance == 0) break;
        q.pattern = spelling.data();
        q.length = static_cast<int64_t>(spelling.size());
        const int64_t at = find();
        const int64_t distance = at < 0 ? INT64_MAX : ringDistance(q, at, backward);
        if (distance < bestDistance) best = at, bestDistance = distance;
    }
    return best;
}

void forEachWholeMatchOfAny(const uint8_t* data, int64_t size, std::span<const uint8_t> pattern,
                            const std::vector<std::vector<uint8_t>>& others, int32_t wildcard,
                            const std::function<bool(int64_t)>& hit, SearchIsa isa) {
    if (size <= 0 || data == nullptr) return;
    if (!isaSupported(isa)) isa = SearchIsa::Generic;
    // In the order Find gives them to its tree, empty ones passed over.
    Sequences all;
    all.reserve(others.size() + 1);
    for (const std::vector<uint8_t>& p : others)
        if (!p.empty()) all.emplace_back(p);
    if (!pattern.empty()) all.push_back(pattern);
    if (all.size() == 1) {  // the one-pattern scanners
        const RingQuery q{data, size, all[0].data(), static_cast<int64_t>(all[0].size()), wildcard, 0, false};
        return forEachWholeMatch(q, hit, isa);
    }
    if (all.empty()) return;
    MultiSearcher(all, wildcard, planPrefixes(all, wildcard), data, size, isa, true).each(hit);
}

}  // namespace tarpon
