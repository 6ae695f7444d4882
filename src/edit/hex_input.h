#pragma once
// Keyboard and mouse input of the hex pane. Its key-down handler also serves the
// text pane, so both panes share one key map.
#include "screen/keys.h"

namespace tarpon {

struct Editor;

void PicHex_GotFocus(Editor& ed);
void PicHex_KeyDown(Editor& ed, int keyCode, int shift);
void PicHex_KeyPress(Editor& ed, int ch);
void PicHex_MouseDown(Editor& ed, int button, int shift, double x, double y);
void PicHex_MouseMove(Editor& ed, int button, int shift, double x, double y);

// The page-relative position under (x, y) in a pane of the given width:
// row * 16 + column, where a click left of column 0 gives column -1.
long long paneHitPosition(double paneWidth, double x, double y);

}  // namespace tarpon
