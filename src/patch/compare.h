#pragma once
// Finding where two files differ: runs of differing bytes, found chunk by chunk so
// that files larger than memory can be compared as they are read.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "core/comparison.h"

namespace tarpon {

class DiffScanner {
public:
    explicit DiffScanner(std::function<void(const ByteRun&)> emit) : emit_(std::move(emit)) {}
    // The next a.size() bytes of both files (a and b of one length), after those fed before.
    void feed(std::span<const uint8_t> a, std::span<const uint8_t> b);
    // Ends the comparison of files of these sizes: the open run, then the bytes past
    // the shorter file's end, as one run.
    void finish(uint64_t sizeA, uint64_t sizeB);
    uint64_t runs() const { return runs_; }
    uint64_t differingBytes() const { return bytes_; }

private:
    void close();
    std::function<void(const ByteRun&)> emit_;
    uint64_t at_ = 0;
    std::optional<ByteRun> open_;
    uint64_t runs_ = 0, bytes_ = 0;
};

// Every run where a and b differ, the part past the shorter one's end included.
// How many bytes a and b have the same from their start, at most n, compared eight at a time.
size_t commonPrefix(const uint8_t* a, const uint8_t* b, size_t n);

std::vector<ByteRun> differingRuns(std::span<const uint8_t> a, std::span<const uint8_t> b);

// The start of the first run that starts after `offset`, or of the last run that
// starts before it; nothing when there is none that way.
std::optional<uint64_t> nextDifference(const std::vector<ByteRun>& runs, uint64_t offset);
std::optional<uint64_t> previousDifference(const std::vector<ByteRun>& runs, uint64_t offset);
// Whether `offset` lies in one of the runs.
bool inDifference(const std::vector<ByteRun>& runs, uint64_t offset);

}  // namespace tarpon
