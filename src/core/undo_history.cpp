#include "core/undo_history.h"

namespace tarpon {

void UndoHistory::record(Change change) {
    changes_.resize(done_);
    change.id = nextId_++;
    if (changes_.empty()) change.joined = false;
    Change* last = changes_.empty() ? nullptr : &changes_.back();
    if (change.joined && change.kind == Change::Kind::Overwrite && last->kind == Change::Kind::Overwrite &&
        last->offset == change.offset) {
        last->after = change.after;
        last->id = change.id;
        return;
    }
    changes_.push_back(change);
    done_ = changes_.size();
}

void UndoHistory::clear() {
    changes_.clear();
    done_ = 0;
}

std::span<const Change> UndoHistory::takeUndo() {
    const size_t end = done_;
    while (done_ > 0 && changes_[--done_].joined) {
    }
    return std::span<const Change>(changes_).subspan(done_, end - done_);
}

std::span<const Change> UndoHistory::takeRedo() {
    const size_t start = done_;
    if (done_ < changes_.size()) ++done_;
    while (done_ < changes_.size() && changes_[done_].joined) ++done_;
    return std::span<const Change>(changes_).subspan(start, done_ - start);
}

}  // namespace tarpon
