#include "core/undo_history.h"

namespace tarpon {

void UndoHistory::dropRedo() {
    for (size_t i = done_; i < changes_.size(); ++i)
        if (changes_[i].kind == Change::Kind::Splice) {
            pool_.resize(changes_[i].pooled);  // the first dropped run's bytes and all after them
            break;
        }
    changes_.resize(done_);
}

void UndoHistory::record(Change change) {
    dropRedo();
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

void UndoHistory::recordSplice(int32_t offset, std::span<const uint8_t> before, std::span<const uint8_t> after,
                               bool joined) {
    dropRedo();
    Change c;
    c.kind = Change::Kind::Splice;
    c.joined = joined && !changes_.empty();
    c.offset = offset;
    c.count = static_cast<int32_t>(before.size());
    c.pooled = static_cast<uint32_t>(pool_.size());
    c.id = nextId_++;
    const auto added = static_cast<uint32_t>(after.size());
    for (int shift = 0; shift < 32; shift += 8) pool_.push_back(static_cast<uint8_t>(added >> shift));
    pool_.insert(pool_.end(), before.begin(), before.end());
    pool_.insert(pool_.end(), after.begin(), after.end());
    changes_.push_back(c);
    done_ = changes_.size();
}

void UndoHistory::clear() {
    changes_.clear();
    pool_.clear();
    done_ = 0;
}

std::span<const uint8_t> UndoHistory::spliceBefore(const Change& c) const {
    return std::span<const uint8_t>(pool_).subspan(c.pooled + 4, static_cast<size_t>(c.count));
}

std::span<const uint8_t> UndoHistory::spliceAfter(const Change& c) const {
    uint32_t added = 0;
    for (int k = 3; k >= 0; --k) added = added << 8 | pool_[c.pooled + static_cast<size_t>(k)];
    return std::span<const uint8_t>(pool_).subspan(c.pooled + 4 + static_cast<size_t>(c.count), added);
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
