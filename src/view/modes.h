#pragma once
// The offset-mode caption (hex / decimal) and the text-pane mode labels (Ascii / Table).

namespace tarpon {

struct Editor;

void lblOffSetMode_Click(Editor& ed);
void lblViewMode_Click(Editor& ed, int index);

}  // namespace tarpon
