#pragma once
// Searching the document as a ring for any of several byte sequences at once (the
// spellings of one text), in one pass: vector compares pick the starts where the first
// bytes of some sequence lie, and a walk down a tree of the sequences tries those, so
// that the time hardly grows with their number.
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "search/ring_search.h"

namespace tarpon {

// The first start, in the order findInRing (or, `backward`, findInRingBackward) tries
// them, at which one of `patterns` lies (a plain search; a pattern byte equal to
// `wildcard`, unless -1, matches any byte); -1 when none does. A match may run
// round the end. Empty patterns are passed over. `isa`: the vector kernels that pick
// the starts where some pattern's first bytes lie.
int64_t findAnyInRing(const uint8_t* data, int64_t size, const std::vector<std::vector<uint8_t>>& patterns,
                      int32_t wildcard, int64_t cursor, bool backward = false, SearchIsa isa = bestIsa());

// The match of q's pattern or of one of `others` that the search q (plain or
// relative, with its wild card) comes to first, forward or `backward`; -1 when
// none. A relative search looks for q's pattern alone (the steps of its letters).
// Every start at which `pattern` or one of `others` lies whole in the data (no match
// runs round the end), in order, each given to `hit` until it returns false: one
// pass, as findAnyInRing searches (a single pattern with the one-pattern scanners).
void forEachWholeMatchOfAny(const uint8_t* data, int64_t size, std::span<const uint8_t> pattern,
                            const std::vector<std::vector<uint8_t>>& others, int32_t wildcard,
                            const std::function<bool(int64_t)>& hit, SearchIsa isa = bestIsa());

int64_t findNearestSpelling(RingQuery q, const std::vector<std::vector<uint8_t>>& others, bool backward);

}  // namespace tarpon
