#pragma once
// Choosing the prefix filter of a multi search: which first bytes of the sequences the
// vector kernels look for before the sequences themselves are tried.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "search/ring_search.h"
#include "search/scan_kernels.h"

namespace tarpon {

using Sequences = std::vector<std::span<const uint8_t>>;

// The filter (without data, range or confirm) for `sequences` (empty ones passed
// over): their first bytes, as many (up to three) as every sequence has before its end
// or a byte equal to `wildcard` (unless -1), and as keep the distinct prefixes to at
// most kMaxPrefixes. Nothing when no width does: a sequence that starts with the wild
// card, or too many different first bytes.
std::optional<scan::PrefixSet> planPrefixes(const Sequences& sequences, int32_t wildcard);

// The filter's kernel for `isa` (one the processor has).
int64_t scanPrefixes(const scan::PrefixSet& f, SearchIsa isa);

// The share of the starts of `data` that `filter` passes, counted in up to 64 blocks
// of 256 starts spread over it (all of them when it is small).
double sampledPassingShare(const scan::PrefixSet& filter, const uint8_t* data, int64_t size, SearchIsa isa);

}  // namespace tarpon
