#include "edit/undo.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "core/editor.h"
#include "edit/insert_delete.h"
#include "edit/text_input.h"
#include "view/cursor.h"

namespace tarpon {
namespace {

// The first byte an insert added or took back: inserting past the end appends.
int64_t insertStart(int64_t cursor, int64_t sizeWithout) { return std::min(cursor, sizeWithout); }

void takeBack(EditorState& s, const Change& c) {
    switch (c.kind) {
    case Change::Kind::Overwrite: s.fileData[static_cast<size_t>(c.offset)] = c.before; break;
    case Change::Kind::Insert: removeBytes(s, insertStart(c.offset, s.fileSize - c.count), c.count); break;
    case Change::Kind::Delete:
        // Room for the byte first: an insert at the very end would leave it zero.
        insertBytes(s, c.offset, 1, 0);
        s.fileData[static_cast<size_t>(c.offset)] = c.before;
        break;
    }
}

void doAgain(EditorState& s, const Change& c) {
    switch (c.kind) {
    case Change::Kind::Overwrite: s.fileData[static_cast<size_t>(c.offset)] = c.after; break;
    case Change::Kind::Insert: insertBytes(s, c.offset, c.count, c.after); break;
    case Change::Kind::Delete: removeBytes(s, c.offset, 1); break;
    }
}

// Moves the cursor and the anchor to the first byte the changes touched.
void showChanges(Editor& ed, const std::vector<Change>& changes, int64_t sizeWithout) {
    int64_t first = std::numeric_limits<int64_t>::max();
    for (const Change& c : changes)
        first = std::min<int64_t>(first, c.kind == Change::Kind::Insert ? insertStart(c.offset, sizeWithout)
                                                                         : c.offset);
    ed.s.nibblePending = false;
    ed.s.selAnchor = static_cast<int32_t>(first);
    MoveCursor(ed, first);
}

}  // namespace

void Undo(Editor& ed) {
    CommitTypedLetters(ed);  // letters still held become the change to take back
    const std::vector<Change> changes = ed.s.history.takeUndo();
    if (changes.empty()) return;
    for (const Change& c : changes) takeBack(ed.s, c);
    showChanges(ed, changes, ed.s.fileSize);
}

void Redo(Editor& ed) {
    const std::vector<Change> changes = ed.s.history.takeRedo();
    if (changes.empty()) return;
    const int64_t sizeWithout = ed.s.fileSize;
    for (const Change& c : changes) doAgain(ed.s, c);
    showChanges(ed, changes, sizeWithout);
}

}  // namespace tarpon
