#pragma once
// Typing in the text pane: in ASCII view each character is written as its own
// code; in table view typed letters are matched back to table entries, longest
// match first, and the matched entry's byte value is written.
#include <string_view>

namespace tarpon {

struct Editor;

// ch is a character code 0..255 (Latin-1); anything else is ignored.
void PicText_KeyPress(Editor& ed, int ch);
// Typed characters as UTF-8. Through a UTF-8 table each is one letter of the table's;
// otherwise each is typed as its Latin-1 code, and a character without one is ignored.
void PicText_TypeCharacter(Editor& ed, std::string_view utf8);

// The user left the typed letters unfinished (another pane took the keyboard, the
// view changed, a file is loaded or saved): they are written as if the typing ended
// here, longest complete entries first from the cursor on; the rest is dropped.
void CommitTypedLetters(Editor& ed);

// Backspace with letters held: the last one goes and nothing is written. False
// when no letter was held.
bool TakeBackHeldLetter(Editor& ed);

}  // namespace tarpon
