#include "search/multi_search.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tarpon {
namespace {

// The sequences as a tree of their bytes; node 0 stands for the empty start.
class PatternTree {
public:
    explicit PatternTree(const std::vector<std::vector<uint8_t>>& patterns) {
        first_.fill(-1);
        nodes_.emplace_back();
        for (const std::vector<uint8_t>& p : patterns) add(p);
    }

    // Whether a sequence begins at s (the bytes taken round the end).
    bool matchesAt(const uint8_t* data, int64_t size, int64_t s) const {
        int32_t node = first_[data[s]];
        for (int64_t k = 1; node >= 0; ++k) {
            if (nodes_[static_cast<size_t>(node)].end) return true;
            node = child(node, data[(s + k) % size]);
        }
        return false;
    }
    bool startsWith(uint8_t b) const { return first_[b] >= 0; }

private:
    struct Node {
        std::vector<std::pair<uint8_t, int32_t>> kids;  // sorted by byte
        bool end = false;
    };

    int32_t child(int32_t node, uint8_t b) const {
        const auto& kids = nodes_[static_cast<size_t>(node)].kids;
        const auto it = std::lower_bound(kids.begin(), kids.end(), std::pair<uint8_t, int32_t>(b, -1));
        return it != kids.end() && it->first == b ? it->second : -1;
    }

    void add(const std::vector<uint8_t>& p) {
        if (p.empty()) return;
        if (first_[p[0]] < 0) {
            first_[p[0]] = static_cast<int32_t>(nodes_.size());
            nodes_.emplace_back();
        }
        int32_t node = first_[p[0]];
        for (size_t k = 1; k < p.size(); ++k) {
            int32_t next = child(node, p[k]);
            if (next < 0) {
                next = static_cast<int32_t>(nodes_.size());
                auto& kids = nodes_[static_cast<size_t>(node)].kids;
                kids.insert(std::lower_bound(kids.begin(), kids.end(), std::pair<uint8_t, int32_t>(p[k], -1)),
                            {p[k], next});
                nodes_.emplace_back();
            }
            node = next;
        }
        nodes_[static_cast<size_t>(node)].end = true;
    }

    std::array<int32_t, 256> first_{};
    std::vector<Node> nodes_;
};

// The first match in [low, high), going up or down.
int64_t scan(const PatternTree& tree, const uint8_t* data, int64_t size, int64_t low, int64_t high, bool down) {
    if (down) {
        for (int64_t s = high - 1; s >= low; --s)
            if (tree.startsWith(data[s]) && tree.matchesAt(data, size, s)) return s;
        return -1;
    }
    for (int64_t s = low; s < high; ++s)
        if (tree.startsWith(data[s]) && tree.matchesAt(data, size, s)) return s;
    return -1;
}

}  // namespace

int64_t findAnyInRing(const uint8_t* data, int64_t size, const std::vector<std::vector<uint8_t>>& patterns,
                      int64_t cursor, bool backward) {
    if (size <= 0 || data == nullptr) return -1;
    const PatternTree tree(patterns);
    const int64_t c = std::max<int64_t>(cursor, 0) % size;
    // Forward: (c, size), then [0, c]; backward: [0, c) down, then [c, size) down.
    const int64_t first = backward ? scan(tree, data, size, 0, c, true) : scan(tree, data, size, c + 1, size, false);
    if (first >= 0) return first;
    return backward ? scan(tree, data, size, c, size, true) : scan(tree, data, size, 0, c + 1, false);
}

}  // namespace tarpon
