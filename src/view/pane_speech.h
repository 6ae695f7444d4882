#pragma once
// What the main window's panes say about the cursor: the names a screen reader
// reads out, and the whole text of the letter under the cursor, which a cell
// may show only in part.
#include <string>

namespace tarpon {

struct EditorState;

// The cursor's letter in the text pane, whole, as UTF-8 ("" past the end or
// for a byte without a letter); a line break shows as "↵".
std::string letterUnderCursor(EditorState& s);

// "Hex pane, offset 0x62, byte 84"; the offset in the window's radix.
std::string hexPaneSpeech(const EditorState& s);
// "Table pane, offset 0x62, letter <end>" (or "Ascii pane, ..., letter T").
std::string textPaneSpeech(EditorState& s);

}  // namespace tarpon
