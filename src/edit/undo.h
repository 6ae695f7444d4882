#pragma once
// "&Undo" and "&Redo": take back the document's last change, or do it again. The
// cursor goes to the first byte the change touched, and the page follows it.
namespace tarpon {

struct Editor;

void Undo(Editor& ed);
void Redo(Editor& ed);

}  // namespace tarpon
