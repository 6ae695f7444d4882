#include "core/edits.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tarpon {
namespace {

// Sets the storage to hold `size` bytes (at least one). Growing past the capacity
// reserves half as much again, up to the largest loadable document, so that a run
// of small inserts does not copy the whole document each time; shrinking keeps the
// capacity. New bytes are left for the caller to write.
void resizeStorage(ByteStore& data, int64_t size) {
    const size_t wanted = static_cast<size_t>(std::max<int64_t>(size, 1));
    if (wanted > data.capacity())
        data.reserve(std::max(wanted, std::min(wanted + wanted / 2, static_cast<size_t>(kMaxFileSize))));
    data.resize(wanted);
}

// Takes `count` bytes out from `at` on, which must lie in the document.
void removeBytes(EditorState& s, int64_t at, int64_t count) {
    s.doc.letters.touched(at);
    s.doc.letters.moved(at, count, 0);
    uint8_t* data = s.doc.fileData.data();
    std::memmove(data + at, data + at + count, static_cast<size_t>(s.doc.fileSize - at - count));
    s.doc.fileSize = static_cast<int32_t>(s.doc.fileSize - count);
    resizeStorage(s.doc.fileData, s.doc.fileSize);
}

// The bytes an insert at cursor p adds: `amount` bytes from min(p, size) on. They
// are `fill` from p on, and zero where p lies past the old end.
void insertBytes(EditorState& s, int64_t p, int64_t amount, uint8_t fill) {
    const int64_t oldSize = s.doc.fileSize;
    const int64_t newSize = oldSize + amount;
    s.doc.letters.touched(std::min(p, oldSize));
    s.doc.letters.moved(std::min(p, oldSize), 0, amount);
    resizeStorage(s.doc.fileData, newSize);
    uint8_t* data = s.doc.fileData.data();
    std::memset(data + oldSize, 0, static_cast<size_t>(amount));
    s.doc.fileSize = static_cast<int32_t>(newSize);
    // At or past the new last byte the added bytes stay zero at the end.
    if (p >= newSize - 1) return;
    // The tail from the cursor to the old end moves up; a cursor beyond the old end
    // has no tail, and the gap then ends at the new end.
    if (p < oldSize) std::memmove(data + p + amount, data + p, static_cast<size_t>(oldSize - p));
    std::memset(data + p, fill, static_cast<size_t>(std::min(amount, newSize - p)));
}

// Puts `inserted` in place of the `removed` bytes from `at` on (all inside the
// document); the bytes after them move when the lengths differ.
void splice(EditorState& s, int64_t at, int64_t removed, std::span<const uint8_t> inserted) {
    const int64_t oldSize = s.doc.fileSize, added = static_cast<int64_t>(inserted.size());
    const int64_t newSize = oldSize - removed + added;
    s.doc.letters.touched(at);
    s.doc.letters.moved(at, removed, added);
    if (newSize > oldSize) resizeStorage(s.doc.fileData, newSize);
    uint8_t* data = s.doc.fileData.data();
    if (added != removed)
        std::memmove(data + at + added, data + at + removed, static_cast<size_t>(oldSize - at - removed));
    std::copy(inserted.begin(), inserted.end(), data + at);
    s.doc.fileSize = static_cast<int32_t>(newSize);
    if (newSize < oldSize) resizeStorage(s.doc.fileData, newSize);
}

// The first byte an insert added or took back: inserting past the end appends.
int64_t insertStart(int64_t cursor, int64_t sizeWithout) { return std::min(cursor, sizeWithout); }

void takeBack(EditorState& s, const Change& c) {
    switch (c.kind) {
    case Change::Kind::Overwrite:
        s.doc.fileData[static_cast<size_t>(c.offset)] = c.before;
        s.doc.letters.touched(c.offset);
        break;
    case Change::Kind::Splice:
        splice(s, c.offset, static_cast<int64_t>(s.doc.history.spliceAfter(c).size()), s.doc.history.spliceBefore(c));
        break;
    case Change::Kind::Insert: removeBytes(s, insertStart(c.offset, s.doc.fileSize - c.count), c.count); break;
    case Change::Kind::Delete:
        // Room for the byte first: an insert at the very end would leave it zero.
        insertBytes(s, c.offset, 1, 0);
        s.doc.fileData[static_cast<size_t>(c.offset)] = c.before;
        break;
    }
}

void doAgain(EditorState& s, const Change& c) {
    switch (c.kind) {
    case Change::Kind::Overwrite:
        s.doc.fileData[static_cast<size_t>(c.offset)] = c.after;
        s.doc.letters.touched(c.offset);
        break;
    case Change::Kind::Splice: splice(s, c.offset, c.count, s.doc.history.spliceAfter(c)); break;
    case Change::Kind::Insert: insertBytes(s, c.offset, c.count, c.after); break;
    case Change::Kind::Delete: removeBytes(s, c.offset, 1); break;
    }
}

// The first byte the changes touched; sizeWithout: the document's size without them.
int64_t firstTouched(std::span<const Change> changes, int64_t sizeWithout) {
    int64_t first = std::numeric_limits<int64_t>::max();
    for (const Change& c : changes)
        first = std::min<int64_t>(first, c.kind == Change::Kind::Insert ? insertStart(c.offset, sizeWithout)
                                                                         : c.offset);
    return first;
}

}  // namespace

void overwriteByte(EditorState& s, int64_t offset, uint8_t value, bool joined) {
    uint8_t& byte = s.doc.fileData[static_cast<size_t>(offset)];
    Change c;
    c.kind = Change::Kind::Overwrite;
    c.joined = joined;
    c.before = byte;
    c.after = value;
    c.offset = static_cast<int32_t>(offset);
    c.count = 1;
    byte = value;
    s.doc.letters.touched(offset);
    s.doc.history.record(c);
}

void overwriteBytes(EditorState& s, int64_t offset, std::span<const uint8_t> bytes) {
    spliceRecorded(s, offset, static_cast<int64_t>(bytes.size()), bytes);
}

void spliceRecorded(EditorState& s, int64_t offset, int64_t removed, std::span<const uint8_t> inserted,
                    bool joined) {
    if (removed == 0 && inserted.empty()) return;
    const std::span<const uint8_t> before(s.doc.fileData.data() + offset, static_cast<size_t>(removed));
    s.doc.history.recordSplice(static_cast<int32_t>(offset), before, inserted, joined);
    splice(s, offset, removed, inserted);
}

void insertRecorded(EditorState& s, int64_t p, int64_t amount, uint8_t fill) {
    insertBytes(s, p, amount, fill);
    Change c;
    c.kind = Change::Kind::Insert;
    c.after = fill;
    c.offset = static_cast<int32_t>(p);
    c.count = static_cast<int32_t>(amount);
    s.doc.history.record(c);
}

void deleteRecorded(EditorState& s, int64_t at) {
    Change c;
    c.kind = Change::Kind::Delete;
    c.before = s.doc.fileData[static_cast<size_t>(at)];
    c.offset = static_cast<int32_t>(at);
    c.count = 1;
    removeBytes(s, at, 1);
    s.doc.history.record(c);
}

int64_t undoStep(EditorState& s) {
    endTypingRun(s);
    const std::span<const Change> changes = s.doc.history.takeUndo();
    if (changes.empty()) return -1;
    for (auto c = changes.rbegin(); c != changes.rend(); ++c) takeBack(s, *c);
    return firstTouched(changes, s.doc.fileSize);
}

int64_t redoStep(EditorState& s) {
    endTypingRun(s);
    const std::span<const Change> changes = s.doc.history.takeRedo();
    if (changes.empty()) return -1;
    const int64_t sizeWithout = s.doc.fileSize;
    for (const Change& c : changes) doAgain(s, c);
    return firstTouched(changes, sizeWithout);
}

bool continuesTypingRun(const EditorState& s, InputPane pane, int64_t offset) {
    const TypingRun& run = s.typing.typingRun;
    return run.pane == pane && pane != InputPane::None && run.next == offset && run.state == s.doc.history.stateId() &&
           s.doc.history.canUndo();
}

void extendTypingRun(EditorState& s, InputPane pane, int64_t next) {
    s.typing.typingRun = {pane, next, s.doc.history.stateId()};
}

}  // namespace tarpon
