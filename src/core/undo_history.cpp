#include "core/undo_history.h"

namespace tarpon {

void UndoHistory::record(Change change) {
    changes_.resize(done_);
    if (changes_.empty()) change.joined = false;
    change.id = nextId_++;
    changes_.push_back(change);
    done_ = changes_.size();
}

void UndoHistory::clear() {
    changes_.clear();
    done_ = 0;
}

std::vector<Change> UndoHistory::takeUndo() {
    std::vector<Change> taken;
    while (done_ > 0) {
        const Change& c = changes_[--done_];
        taken.push_back(c);
        if (!c.joined) break;
    }
    return taken;
}

std::vector<Change> UndoHistory::takeRedo() {
    std::vector<Change> taken;
    while (done_ < changes_.size()) {
        taken.push_back(changes_[done_++]);
        if (done_ == changes_.size() || !changes_[done_].joined) break;
    }
    return taken;
}

}  // namespace tarpon
