#include "edit/text_input.h"

#include "core/editor.h"
#include "view/cursor.h"
#include "view/painting.h"

namespace tarpon {
namespace {

constexpr int kNoByte = 256;

bool cursorOnDocument(const EditorState& s) { return s.cursor() <= int64_t{s.fileSize} - 1; }

// Writes `value` under the cursor and moves the cursor and the anchor past it.
void writeAndAdvance(Editor& ed, uint8_t value) {
    EditorState& s = ed.s;
    const int64_t cursor = s.cursor();
    s.fileData[static_cast<size_t>(cursor)] = value;
    s.selAnchor = static_cast<int32_t>(cursor + 1);
    MoveCursor(ed, cursor + 1);
}

// How many entries begin with typedLetters; remembers in pendingByte the highest
// byte value whose entry equals them exactly.
int countMatches(EditorState& s) {
    const std::string& typed = s.typedLetters;
    int count = 0;
    for (int b = 0; b < 256; ++b) {
        const std::string& entry = s.charTable[static_cast<size_t>(b)];
        if (entry.size() < typed.size() || entry.compare(0, typed.size(), typed) != 0) continue;
        ++count;
        if (entry.size() == typed.size()) s.pendingByte = b;
    }
    return count;
}

void typeThroughTable(Editor& ed, char ch) {
    EditorState& s = ed.s;
    if (s.multiLetters) s.typedLetters += ch;
    else s.typedLetters.assign(1, ch);
    for (;;) {
        if (s.typedLetters.empty()) return;
        const int count = countMatches(s);
        if (count >= 2) return;  // more letters are needed
        // No entry begins with the letters: the held entry (if any) is written and the
        // letter that broke the match is tried again on its own.
        const bool retry = count == 0;
        if (retry) s.typedLetters.clear();
        if (s.pendingByte == kNoByte) return;
        if (!cursorOnDocument(s)) {
            s.typedLetters.clear();
            s.pendingByte = kNoByte;
            return;
        }
        const auto value = static_cast<uint8_t>(s.pendingByte);
        s.pendingByte = kNoByte;
        writeAndAdvance(ed, value);
        if (!retry) {
            RepaintAll(ed);
            s.typedLetters.clear();
            return;
        }
        s.typedLetters.assign(1, ch);
    }
}

}  // namespace

void PicText_KeyPress(Editor& ed, int ch) {
    EditorState& s = ed.s;
    if (ch < 0 || ch > 255) return;
    if (!cursorOnDocument(s)) return;
    if (!s.viewMode) {
        writeAndAdvance(ed, static_cast<uint8_t>(ch));
        RepaintAll(ed);
        s.typedLetters.clear();
        return;
    }
    typeThroughTable(ed, static_cast<char>(static_cast<uint8_t>(ch)));
}

}  // namespace tarpon
