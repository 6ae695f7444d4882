#pragma once
// Growing and shrinking the document at the cursor. Each moves the document's tail
// with one block move and leaves the cursor, the page and the selection anchor
// where they were.
#include <cstdint>
#include <string>

namespace tarpon {

struct Editor;
struct EditorState;

// Removes the byte under the cursor; does nothing when the cursor is past the last
// byte. The caller repaints.
void DeleteByte(Editor& ed);

// What the Insert window's boxes and option groups hold.
struct InsertForm {
    std::string amount;
    bool amountHex = true;
    std::string fill;
    bool fillHex = true;
};

// Opens a gap of the typed amount at the cursor, fills it with the low 8 bits of
// the typed fill value and repaints. An amount below 0, or one that would make the
// document too large to load again, is refused with a message and nothing changes;
// the result is then false.
bool InsertBytes(Editor& ed, const InsertForm& form);

// The Insert window's buttons end by repainting the main window.
void RepaintFromInsertWindow(Editor& ed);

// The numeric core of InsertBytes. Returns the refusal message, empty when the
// bytes were inserted.
std::string insertAtCursor(EditorState& s, int64_t amount, uint8_t fill);

}  // namespace tarpon
