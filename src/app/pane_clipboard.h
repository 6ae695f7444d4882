#pragma once
// "&Copy" and "&Paste" of the Edit menu in the hex and text panes. A copy takes the
// selection (anchor to cursor, both ends included) as the pane shows it; a paste
// writes the clipboard over the bytes from the cursor on, as one undo step, and
// never changes the document's length.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarpon {

struct Editor;
struct EditorState;

// The keyboard is in the hex or text pane and the document has bytes.
bool canUseClipboard(const EditorState& s);
void CopyFromPane(Editor& ed);
void PasteIntoPane(Editor& ed);

// The bytes a clipboard text stands for, or why it cannot be pasted.
struct PasteBytes {
    std::vector<uint8_t> bytes;
    std::string problem;  // empty when the text was read whole
};
// Hex digit pairs; blanks, tabs, line breaks and a "0x" before a value are passed over.
PasteBytes hexFromClipboard(std::string_view utf8);
// Through the text pane's view: "Ascii" each character's Latin-1 code, "Table" spelled with the entries of
// s.table by typing's rule (longest text first, of equal texts the higher key; what Copy writes for line
// breaks and raw bytes reads back).
PasteBytes textFromClipboard(EditorState& s, std::string_view utf8);

}  // namespace tarpon
