#include "search/prefix_plan.h"

#include <algorithm>
#include <array>

namespace tarpon {
namespace {

using Prefix = std::array<uint8_t, scan::kMaxPrefixWidth>;

// The distinct prefixes of `width` bytes; stops counting past kMaxPrefixes.
std::vector<Prefix> distinctPrefixes(const Sequences& sequences, size_t width) {
    std::vector<Prefix> out;
    for (const std::span<const uint8_t> s : sequences) {
        if (s.empty()) continue;
        Prefix p{};
        std::copy_n(s.begin(), width, p.begin());
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
        for (size_t i = 0; i < prefixes.size(); ++i) std::copy(prefixes[i].begin(), prefixes[i].end(), f.value[i]);
        return f;
    }
    return std::nullopt;
}

}  // namespace tarpon
