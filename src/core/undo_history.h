#pragma once
// What the document's changes were, so that they can be taken back and done again.
// A change keeps only what it changed: one overwritten byte (before and after), the
// old and new bytes of a spliced run (an overwrite, or a replacement of another
// length), the place, size and fill of an insert, or the one deleted byte; never a
// copy of the document. Changes that one keystroke,
// command or typing run made together are undone together.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tarpon {

struct Change {
    enum class Kind : uint8_t { Overwrite, Splice, Insert, Delete };
    Kind kind = Kind::Overwrite;
    bool joined = false;   // undone and redone together with the change before it
    uint8_t before = 0;    // Overwrite: the old byte; Delete: the deleted byte
    uint8_t after = 0;     // Overwrite: the new byte; Insert: the fill
    int32_t offset = 0;    // Overwrite, Splice, Delete: the first byte; Insert: the cursor it was made at
    int32_t count = 0;     // Insert: how many bytes; Splice: how many it took out; 1 otherwise
    uint32_t pooled = 0;   // Splice: where its bytes start in the history's pool
    uint64_t id = 0;       // unique for the run: tells the saved state apart
};

class UndoHistory {
public:
    // A new change drops everything that could have been redone. A joined overwrite
    // of the byte the newest change overwrote becomes part of that change.
    void record(Change change);
    // A Splice at offset: `before` taken out, `after` put in its place.
    void recordSplice(int32_t offset, std::span<const uint8_t> before, std::span<const uint8_t> after, bool joined);
    void clear();

    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < changes_.size(); }

    // The changes the next undo takes back, or the next redo does again, oldest
    // first (undo them newest first); the history moves past them. Valid until the
    // next change is recorded.
    std::span<const Change> takeUndo();
    std::span<const Change> takeRedo();

    // A Splice's old and new bytes.
    std::span<const uint8_t> spliceBefore(const Change& c) const;
    std::span<const uint8_t> spliceAfter(const Change& c) const;

    // The newest change in the document, or null.
    const Change* lastDone() const { return done_ == 0 ? nullptr : &changes_[done_ - 1]; }

    // Identifies the document's state: equal ids, equal bytes.
    uint64_t stateId() const { return done_ == 0 ? 0 : changes_[done_ - 1].id; }
    size_t size() const { return changes_.size(); }

private:
    void dropRedo();

    std::vector<Change> changes_;
    // The Splice changes' bytes, in their order: each the new bytes' count (4 bytes,
    // little-endian), the old bytes, the new bytes.
    std::vector<uint8_t> pool_;
    size_t done_ = 0;            // changes_[0, done_) are in the document
    uint64_t nextId_ = 1;
};

}  // namespace tarpon
