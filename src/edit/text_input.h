#pragma once
// Typing in the text pane: in ASCII view each character is written as its own
// code; in table view typed letters are matched back to table entries, longest
// match first, and the matched entry's byte value is written.
namespace tarpon {

struct Editor;

// ch is a character code 0..255 (Latin-1); anything else is ignored.
void PicText_KeyPress(Editor& ed, int ch);

}  // namespace tarpon
