#pragma once
// "&Undo" and "&Redo": take back the document's last change, or do it again. The
// cursor goes to the first byte the change touched, and the page follows it.
#include <cstdint>

namespace tarpon {

struct Editor;
struct EditorState;

void Undo(Editor& ed);
void Redo(Editor& ed);

// The same on the bytes alone, without moving the cursor: the first byte the step
// touched, or -1 when there was nothing to undo or redo.
int64_t undoStep(EditorState& s);
int64_t redoStep(EditorState& s);

}  // namespace tarpon
