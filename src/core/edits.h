#pragma once
// Every change of the document's bytes, each recorded as it is made, and the
// replay of those records for Undo and Redo. Nothing else writes the document.
#include <cstdint>
#include <span>

#include "core/editor_state.h"

namespace tarpon {

// Overwrites the byte at offset, which must lie in the document. `joined`: part of
// the same step as the change before it.
void overwriteByte(EditorState& s, int64_t offset, uint8_t value, bool joined = false);
// Overwrites bytes.size() bytes from offset on, all inside the document, as one step.
void overwriteBytes(EditorState& s, int64_t offset, std::span<const uint8_t> bytes);
// Puts `inserted` in place of the `removed` bytes from offset on (all inside the
// document), as one step; the bytes after them move when the lengths differ. The
// caller keeps the document below the size limit.
void spliceRecorded(EditorState& s, int64_t offset, int64_t removed, std::span<const uint8_t> inserted,
                    bool joined = false);
// Opens a gap of `amount` bytes at cursor p and records it: `amount` bytes from
// min(p, size) on, `fill` from p on, and zero where p lies past the old end.
void insertRecorded(EditorState& s, int64_t p, int64_t amount, uint8_t fill);
// Takes the byte at `at` out and records it; `at` must lie in the document.
void deleteRecorded(EditorState& s, int64_t at);

// Undo and Redo on the bytes alone: the first byte the step touched, or -1 when
// there was nothing to undo or redo.
int64_t undoStep(EditorState& s);
int64_t redoStep(EditorState& s);

// A typing run: bytes typed one after another from one pane, each just after the
// one before, with nothing else done in between, are one undo step. A byte typed
// at `offset` continues the open run when it comes from the same pane, lands where
// the run stopped, and no other change, undo or cursor move came between.
bool continuesTypingRun(const EditorState& s, InputPane pane, int64_t offset);
// After a typed byte (or letter): the run goes on at `next`.
void extendTypingRun(EditorState& s, InputPane pane, int64_t next);
inline void endTypingRun(EditorState& s) { s.typing.typingRun = {}; }
// A pane took the keyboard: it is the one the secondary windows give it back to.
inline void paneTookKeyboard(EditorState& s, InputPane pane) {
    s.view.focusPane = pane;
    endTypingRun(s);
}

}  // namespace tarpon
