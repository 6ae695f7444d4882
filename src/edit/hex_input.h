#pragma once
// Keyboard and mouse input of the hex pane. Its key-down handler also serves the
// text pane, so both panes share one key map.
#include "screen/keys.h"
#include "screen/pane.h"

namespace tarpon {

struct Editor;

void PicHex_GotFocus(Editor& ed);
// Keys that never type in any pane: Alt with any key, and Ctrl with Z, Y, C, V or X
// (undo, redo and the clipboard, also when they have nothing to act on).
bool keyNeverTypes(int keyCode, int shift);
// True when the key is one of the key map's commands: it does only that, and no
// character of it is typed.
bool PicHex_KeyDown(Editor& ed, int keyCode, int shift);
void PicHex_KeyPress(Editor& ed, int ch);
void PicHex_MouseDown(Editor& ed, int button, int shift, double x, double y);
void PicHex_MouseMove(Editor& ed, int button, int shift, double x, double y);

// The page-relative position under (x, y) in the hex or text pane: row * 16 + column,
// where a click left of column 0 gives column -1, and a point below the last row
// that fits in rowsHeight counts as on that row.
long long paneHitPosition(const Pane& pane, double rowsHeight, double x, double y);

}  // namespace tarpon
