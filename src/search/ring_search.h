#pragma once
// Searching the document as a ring: the starts after the cursor first, round the
// end, the cursor's own start last (plain) or not at all (relative).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/progress.h"

namespace tarpon {

struct RingQuery {
    const uint8_t* data = nullptr;  // the document, `size` bytes
    int64_t size = 0;
    const uint8_t* pattern = nullptr;
    int64_t length = 0;             // pattern bytes, at least 1
    int32_t wildcard = -1;          // pattern value that matches any byte; -1: none
    int64_t cursor = 0;             // may lie past the end; starts are taken modulo size
    bool relative = false;          // bytes differ from the pattern by one common amount
};

// The instruction sets the scanners are written for.
enum class SearchIsa { Generic, Sse2, Avx2 };

bool isaSupported(SearchIsa isa);
SearchIsa bestIsa();

// The first matching start in ring order, or -1 when there is none.
int64_t findInRing(const RingQuery& q);
int64_t findInRing(const RingQuery& q, SearchIsa isa);

// The same ring walked backwards: the first matching start before the cursor,
// going down and round the start to the end, or -1 when there is none.
int64_t findInRingBackward(const RingQuery& q);
// Every matching start, 0 to size - 1 (those running round the end last, as the
// ring has them), at most `limit`; the cursor plays no part. Stopped by `progress`
// (asked every 256 KiB): none.
std::vector<int64_t> findAllInRing(const RingQuery& q, size_t limit, SearchIsa isa = bestIsa(),
                                   const Progress& progress = {});
// Every matching start whose bytes lie whole in the document (none runs round the
// end), in order, each given to `hit` until it returns false; one pass, with the
// scanners Find uses.
void forEachWholeMatch(const RingQuery& q, const std::function<bool(int64_t)>& hit, SearchIsa isa = bestIsa());

}  // namespace tarpon
