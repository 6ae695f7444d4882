#pragma once
// Editing through the small value panes: bit clicks in the binary pane, digits
// shifted into the byte in the decimal and octal panes, and a typed cursor offset.
#include "screen/rgb.h"

namespace tarpon {

struct Editor;

// The colour of a value pane's text while it has the keyboard focus.
inline constexpr Rgb kFocusedValueText{0, 0, 128};

// The bit (7 = most significant) under x in a binary pane `paneWidth` pixels wide; -1: none.
int binaryBitAt(double paneWidth, double x);

void picBinary_MouseDown(Editor& ed, int button, int shift, double x, double y);
void picDec_KeyPress(Editor& ed, int ch);
void picOct_KeyPress(Editor& ed, int ch);
void picDec_KeyDown(Editor& ed, int keyCode, int shift);
void picOct_KeyDown(Editor& ed, int keyCode, int shift);
void picOffsetval_KeyPress(Editor& ed, int ch);

void picDec_GotFocus(Editor& ed);
void picDec_LostFocus(Editor& ed);
void picOct_GotFocus(Editor& ed);
void picOct_LostFocus(Editor& ed);
void picOffsetval_GotFocus(Editor& ed);
void picOffsetval_LostFocus(Editor& ed);

}  // namespace tarpon
