#pragma once
// Painting of the main window's panes from the editor state, and the marks.
namespace tarpon {

struct Editor;

void RepaintAll(Editor& ed);
void PlaceMarks(Editor& ed);
void PaintOffsetColumn(Editor& ed);
void PaintColumnHeader(Editor& ed);
void PaintHexPane(Editor& ed);
void PaintTextPane(Editor& ed);

}  // namespace tarpon
