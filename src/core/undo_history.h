#pragma once
// What the document's changes were, so that they can be taken back and done again.
// A change keeps only what it changed: one overwritten byte (before and after), the
// place, size and fill of an insert, or the one deleted byte; never a copy of the
// document. Changes that one keystroke or command made together are undone together.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarpon {

struct Change {
    enum class Kind : uint8_t { Overwrite, Insert, Delete };
    Kind kind = Kind::Overwrite;
    bool joined = false;   // undone and redone together with the change before it
    uint8_t before = 0;    // Overwrite: the old byte; Delete: the deleted byte
    uint8_t after = 0;     // Overwrite: the new byte; Insert: the fill
    int32_t offset = 0;    // Overwrite, Delete: the byte; Insert: the cursor it was made at
    int32_t count = 0;     // Insert: how many bytes; 1 otherwise
    uint64_t id = 0;       // unique for the run: tells the saved state apart
};

class UndoHistory {
public:
    // A new change drops everything that could have been redone.
    void record(Change change);
    void clear();

    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < changes_.size(); }

    // The changes the next undo takes back (newest first), or the next redo does
    // again (oldest first); the history moves past them.
    std::vector<Change> takeUndo();
    std::vector<Change> takeRedo();

    // The newest change in the document, or null.
    const Change* lastDone() const { return done_ == 0 ? nullptr : &changes_[done_ - 1]; }

    // Identifies the document's state: equal ids, equal bytes.
    uint64_t stateId() const { return done_ == 0 ? 0 : changes_[done_ - 1].id; }
    size_t size() const { return changes_.size(); }

private:
    std::vector<Change> changes_;
    size_t done_ = 0;  // changes_[0, done_) are in the document
    uint64_t nextId_ = 1;
};

}  // namespace tarpon
