#include "search/multi_search.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <utility>

#include "search/prefix_plan.h"
#include "search/ring_search.h"
#include "search/scan_kernels.h"

namespace tarpon {
namespace {

// The sequences as a tree of their bytes; node 0 stands for the empty start.
class PatternTree {
public:
    PatternTree(const Sequences& patterns, int32_t wildcard) : wildcard_(wildcard) {
        first_.fill(-1);
        nodes_.emplace_back();
        for (const std::span<const uint8_t> p : patterns) add(p);
    }

    bool mayStartWith(uint8_t b) const { return first_[b] >= 0 || (wildcard_ >= 0 && first_[wildcard_] >= 0); }

    // Whether a sequence begins at s (the bytes taken round the end). A wild card in
    // a sequence matches any byte, so the walk may follow two branches; `open` holds
    // the branches not yet followed.
    bool matchesAt(const uint8_t* data, int64_t size, int64_t s, std::vector<std::pair<int32_t, int64_t>>& open) const {
        if (wildcard_ < 0) {  // one path only
            int32_t node = first_[data[s]];
            for (int64_t k = 1; node >= 0; ++k) {
                if (nodes_[static_cast<size_t>(node)].end) return true;
                node = child(node, byteAt(data, size, s + k));
            }
            return false;
        }
        open.assign(1, {0, 0});
        while (!open.empty()) {
            auto [node, k] = open.back();
            open.pop_back();
            while (node >= 0) {
                if (nodes_[static_cast<size_t>(node)].end) return true;
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
    struct Node {
        std::vector<std::pair<uint8_t, int32_t>> kids;  // sorted by byte
        bool end = false;
    };

    int32_t child(int32_t node, uint8_t b) const {
        if (node == 0) return first_[b];
        const auto& kids = nodes_[static_cast<size_t>(node)].kids;
        const auto it = std::lower_bound(kids.begin(), kids.end(), std::pair<uint8_t, int32_t>(b, -1));
        return it != kids.end() && it->first == b ? it->second : -1;
    }

    // The byte at i, round the end as often as need be.
    static uint8_t byteAt(const uint8_t* data, int64_t size, int64_t i) { return data[i < size ? i : i % size]; }

    void add(std::span<const uint8_t> p) {
        if (p.empty()) return;
        int32_t node = 0;
        for (const uint8_t b : p) {
            int32_t next = child(node, b);
            if (next < 0) {
                next = static_cast<int32_t>(nodes_.size());
                if (node == 0) {
                    first_[b] = next;
                } else {
                    auto& kids = nodes_[static_cast<size_t>(node)].kids;
                    const auto at = std::lower_bound(kids.begin(), kids.end(), std::pair<uint8_t, int32_t>(b, -1));
                    kids.insert(at, {b, next});
                }
                nodes_.emplace_back();
            }
            node = next;
        }
        nodes_[static_cast<size_t>(node)].end = true;
    }

    int32_t wildcard_;
    std::array<int32_t, 256> first_{};  // the root's children, by byte
    std::vector<Node> nodes_;
};

// The first match in [low, high), going up or down, start by start.
int64_t scan(const PatternTree& tree, const uint8_t* data, int64_t size, int64_t low, int64_t high, bool down) {
    std::vector<std::pair<int32_t, int64_t>> open;
    if (down) {
        for (int64_t s = high - 1; s >= low; --s)
            if (tree.mayStartWith(data[s]) && tree.matchesAt(data, size, s, open)) return s;
        return -1;
    }
    for (int64_t s = low; s < high; ++s)
        if (tree.mayStartWith(data[s]) && tree.matchesAt(data, size, s, open)) return s;
    return -1;
}

// One pass for all the sequences: where a prefix filter was found, the vector kernels
// pick the starts where some sequence's first bytes lie, and the tree tries those.
class MultiSearcher {
public:
    MultiSearcher(const Sequences& sequences, int32_t wildcard, std::optional<scan::PrefixSet> filter,
                  const uint8_t* data, int64_t size, SearchIsa isa)
        : tree_(sequences, wildcard), filter_(filter), data_(data), size_(size), isa_(isa) {}

    // Forward: (c, size), then [0, c]; backward: [0, c) down, then [c, size) down.
    int64_t run(int64_t cursor, bool backward) {
        const int64_t c = std::max<int64_t>(cursor, 0) % size_;
        const int64_t first = backward ? firstIn(0, c, true) : firstIn(c + 1, size_, false);
        if (first >= 0) return first;
        return backward ? firstIn(c, size_, true) : firstIn(0, c + 1, false);
    }

private:
    // The starts whose prefix lies before the end go to the filter, the last few,
    // whose prefix runs round it, to the tree alone.
    int64_t firstIn(int64_t low, int64_t high, bool down) {
        if (!filter_) return scan(tree_, data_, size_, low, high, down);
        const int64_t split = std::clamp(size_ - filter_->width + 1, low, high);
        if (down) {
            const int64_t hit = scan(tree_, data_, size_, split, high, true);
            return hit >= 0 ? hit : filtered(low, split, true);
        }
        const int64_t hit = filtered(low, split, false);
        return hit >= 0 ? hit : scan(tree_, data_, size_, split, high, false);
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
            return self->tree_.matchesAt(self->data_, self->size_, s, self->open_);
        };
        f.context = this;
#if defined(__x86_64__)
        if (isa_ == SearchIsa::Avx2) return scan::scanPrefixesAvx2(f);
        if (isa_ == SearchIsa::Sse2) return scan::scanPrefixesSse2(f);
#endif
        return scan::scanPrefixesGeneric(f);
    }

    PatternTree tree_;
    std::optional<scan::PrefixSet> filter_;
    const uint8_t* data_;
    int64_t size_;
    SearchIsa isa_;
    std::vector<std::pair<int32_t, int64_t>> open_;
};

// Up to this many spellings without a prefix filter are looked for one by one with
// the vector scanners, which is faster than the tree alone; more share its one pass.
constexpr size_t kOneByOne = 128;
// With a prefix filter, the one pass is faster from this many spellings on.
constexpr size_t kOnePassWithFilter = 3;

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
    if (all.size() >= (filter ? kOnePassWithFilter : kOneByOne))
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

}  // namespace tarpon
