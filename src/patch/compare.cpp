#include "patch/compare.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tarpon {
namespace {

// How many bytes from the start of a and b differ, at most n.
size_t differingPrefix(const uint8_t* a, const uint8_t* b, size_t n) {
    size_t i = 0;
    while (i < n && a[i] != b[i]) ++i;
    return i;
}

}  // namespace

void DiffScanner::feed(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n;) {
        const size_t same = commonPrefix(a.data() + i, b.data() + i, n - i);
        if (same > 0) close();
        i += same;
        const size_t different = differingPrefix(a.data() + i, b.data() + i, n - i);
        if (different == 0) continue;
        if (!open_) open_ = ByteRun{at_ + i, 0};
        open_->length += different;
        i += different;
    }
    at_ += n;
}

void DiffScanner::close() {
    if (!open_) return;
    ++runs_;
    bytes_ += open_->length;
    emit_(*open_);
    open_.reset();
}

void DiffScanner::finish(uint64_t sizeA, uint64_t sizeB) {
    close();
    const uint64_t common = std::min(sizeA, sizeB), longer = std::max(sizeA, sizeB);
    if (longer > common) {
        open_ = ByteRun{common, longer - common};
        close();
    }
}

std::vector<ByteRun> differingRuns(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    std::vector<ByteRun> runs;
    DiffScanner scanner([&](const ByteRun& r) { runs.push_back(r); });
    const size_t common = std::min(a.size(), b.size());
    scanner.feed(a.first(common), b.first(common));
    scanner.finish(a.size(), b.size());
    return runs;
}

std::optional<uint64_t> nextDifference(const std::vector<ByteRun>& runs, uint64_t offset) {
    const auto it = std::upper_bound(runs.begin(), runs.end(), offset,
                                     [](uint64_t at, const ByteRun& r) { return at < r.start; });
    if (it == runs.end()) return std::nullopt;
    return it->start;
}

std::optional<uint64_t> previousDifference(const std::vector<ByteRun>& runs, uint64_t offset) {
    const auto it = std::lower_bound(runs.begin(), runs.end(), offset,
                                     [](const ByteRun& r, uint64_t at) { return r.start < at; });
    if (it == runs.begin()) return std::nullopt;
    return std::prev(it)->start;
}

bool inDifference(const std::vector<ByteRun>& runs, uint64_t offset) {
    const auto it = std::upper_bound(runs.begin(), runs.end(), offset,
                                     [](uint64_t at, const ByteRun& r) { return at < r.start; });
    return it != runs.begin() && offset < std::prev(it)->end();
}

size_t commonPrefix(const uint8_t* a, const uint8_t* b, size_t n) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y) return i + static_cast<size_t>(std::countr_zero(x ^ y) / 8);
    }
    while (i < n && a[i] == b[i]) ++i;
    return i;
}

}  // namespace tarpon
