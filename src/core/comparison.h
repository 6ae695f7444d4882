#pragma once
// What Compare With... keeps: the other file's bytes over the document's length, and
// the runs of the document that differ from them, which the panes mark.
#include <cstdint>
#include <string>
#include <vector>

#include "core/byte_store.h"

namespace tarpon {

// Bytes [start, start + length) of a file.
struct ByteRun {
    uint64_t start = 0;
    uint64_t length = 0;
    uint64_t end() const { return start + length; }
    friend bool operator==(const ByteRun&, const ByteRun&) = default;
};

struct ComparisonState {
    bool active = false;
    std::string otherPath;
    uint64_t otherSize = 0;  // the whole file's size; `other` holds at most the document's limit of it
    ByteStore other;
    uint64_t comparedState = 0;  // the document's history state the runs were found for
    int64_t comparedSize = -1;   // and its size then
    std::vector<ByteRun> runs;   // in the document, in order; bytes past the shorter file's end are the last
    uint64_t differingBytes = 0;
};

}  // namespace tarpon
