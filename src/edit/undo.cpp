#include "edit/undo.h"

#include "core/edits.h"
#include "core/editor.h"
#include "edit/text_input.h"
#include "view/cursor.h"

namespace tarpon {
namespace {

void showByte(Editor& ed, int64_t first) {
    if (first < 0) return;
    ed.s.typing.nibblePending = false;
    ed.s.view.selAnchor = static_cast<int32_t>(first);
    MoveCursor(ed, first);
}

}  // namespace

void Undo(Editor& ed) {
    CommitTypedLetters(ed);  // letters still held become the change to take back
    showByte(ed, undoStep(ed.s));
}

void Redo(Editor& ed) { showByte(ed, redoStep(ed.s)); }

}  // namespace tarpon
