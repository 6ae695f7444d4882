#include "search/prefix_plan.h"

#include <algorithm>

namespace tarpon {
namespace {

// A prefix's bytes, the first lowest.
using Prefix = uint32_t;

// The distinct prefixes of `width` bytes; stops counting past kMaxPrefixes.
std::vector<Prefix> distinctPrefixes(const Sequences& sequences, size_t width) {
    std::vector<Prefix> out;
    for (const std::span<const uint8_t> s : sequences) {
        if (s.empty()) continue;
        Prefix p = 0;
        for (size_t k = 0; k < width; ++k) p |= Prefix{s[k]} << (8 * k);
        if (std::find(out.begin(), out.end(), p) != out.end()) continue;
        out.push_back(p);
        if (out.size() > scan::kMaxPrefixes) break;
    }
    return out;
}

// How many first bytes every non-empty sequence has before its end or a wild card, at most kMaxPrefixWidth.
size_t plainLead(const Sequences& sequences, int32_t wildcard) {
    size_t lead = scan::kMaxPrefixWidth;
    for (const std::span<const uint8_t> s : sequences) {
        if (s.empty()) continue;
        const auto end = s.begin() + static_cast<std::ptrdiff_t>(std::min(lead, s.size()));
        lead = static_cast<size_t>(std::find(s.begin(), end, wildcard) - s.begin());
    }
    return lead;
}

}  // namespace

std::optional<scan::PrefixSet> planPrefixes(const Sequences& sequences, int32_t wildcard) {
    if (std::all_of(sequences.begin(), sequences.end(), [](std::span<const uint8_t> s) { return s.empty(); }))
        return std::nullopt;
    for (size_t width = plainLead(sequences, wildcard); width >= 1; --width) {
        const std::vector<Prefix> prefixes = distinctPrefixes(sequences, width);
        if (prefixes.size() > scan::kMaxPrefixes) continue;
        scan::PrefixSet f;
        f.width = static_cast<int>(width);
        f.prefixes = static_cast<int>(prefixes.size());
        for (size_t i = 0; i < prefixes.size(); ++i)
            for (size_t k = 0; k < width; ++k) f.value[i][k] = static_cast<uint8_t>(prefixes[i] >> (8 * k));
        return f;
    }
    return std::nullopt;
}

int64_t scanPrefixes(const scan::PrefixSet& f, SearchIsa isa) {
#if defined(__x86_64__)
    if (isa == SearchIsa::Avx2) return scan::scanPrefixesAvx2(f);
    if (isa == SearchIsa::Sse2) return scan::scanPrefixesSse2(f);
#endif
    return scan::scanPrefixesGeneric(f);
}

double sampledPassingShare(const scan::PrefixSet& filter, const uint8_t* data, int64_t size, SearchIsa isa) {
    constexpr int64_t kBlock = 256, kBlocks = 64;
    const int64_t starts = size - filter.width + 1;  // those whose prefix lies before the end
    if (starts <= 0) return 0;
    int64_t passed = 0, tried = 0;
    scan::PrefixSet f = filter;
    f.data = data;
    f.down = false;
    f.confirm = [](const void* context, int64_t) {
        ++*static_cast<int64_t*>(const_cast<void*>(context));
        return false;  // counted, and the scan goes on
    };
    f.context = &passed;
    const bool whole = starts <= kBlock * kBlocks;
    for (int64_t b = 0; b < (whole ? 1 : kBlocks); ++b) {
        f.from = whole ? 0 : (starts - kBlock) * b / (kBlocks - 1);
        f.to = whole ? starts : f.from + kBlock;
        tried += f.to - f.from;
        scanPrefixes(f, isa);
    }
    return static_cast<double>(passed) / static_cast<double>(tried);
}

}  // namespace tarpon
