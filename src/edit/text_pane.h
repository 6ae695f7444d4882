#pragma once
// Cursor placement and focus in the text pane; its keys go through the hex pane's map.
namespace tarpon {

struct Editor;

void PicText_GotFocus(Editor& ed);
bool PicText_KeyDown(Editor& ed, int keyCode, int shift);  // as PicHex_KeyDown
void PicText_MouseDown(Editor& ed, int button, int shift, double x, double y);
void PicText_MouseMove(Editor& ed, int button, int shift, double x, double y);

}  // namespace tarpon
