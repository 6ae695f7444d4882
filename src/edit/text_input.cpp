#include "edit/text_input.h"

#include <algorithm>
#include <string_view>

#include "core/edits.h"
#include "core/editor.h"
#include "core/text_coding.h"
#include "view/cursor.h"
#include "view/painting.h"

namespace tarpon {
namespace {

constexpr int kNoByte = 256;

bool cursorOnDocument(const EditorState& s) { return s.cursor() <= int64_t{s.fileSize} - 1; }

// Writes `value` under the cursor and moves the cursor and the anchor past it;
// `joined`: part of the same keystroke as the write before.
void writeAndAdvance(Editor& ed, uint8_t value, bool joined = false) {
    EditorState& s = ed.s;
    const int64_t cursor = s.cursor();
    overwriteByte(s, cursor, value, joined || continuesTypingRun(s, InputPane::Text, cursor));
    s.selAnchor = static_cast<int32_t>(cursor + 1);
    MoveCursor(ed, cursor + 1);
    extendTypingRun(s, InputPane::Text, cursor + 1);
}

bool beginsWith(std::string_view text, std::string_view start) {
    return text.size() >= start.size() && text.compare(0, start.size(), start) == 0;
}

// How many entries begin with `letters`, and the highest byte whose entry equals them.
struct Matches {
    int count = 0;
    int exact = kNoByte;
};

Matches matchesOf(const CharTable& table, std::string_view letters) {
    Matches m;
    for (int b = 0; b < 256; ++b) {
        const std::string& entry = table[static_cast<size_t>(b)];
        if (entry.empty() || !beginsWith(entry, letters)) continue;
        ++m.count;
        if (entry.size() == letters.size()) m.exact = b;
    }
    return m;
}

// The longest entry that `letters` begin with (of equal entries the highest byte), or none.
struct Entry {
    int byte = kNoByte;
    size_t length = 0;
};

Entry longestEntryAtStart(const CharTable& table, std::string_view letters) {
    Entry best;
    for (int b = 0; b < 256; ++b) {
        const std::string& entry = table[static_cast<size_t>(b)];
        if (!entry.empty() && entry.size() >= best.length && beginsWith(letters, entry)) best = {b, entry.size()};
    }
    return best;
}

// Writes what the typed letters spell, from the cursor on. The letters wait while
// they begin two entries or more, or one entry not yet complete; a single complete
// entry is written at once. Letters that can no longer grow into an entry give the
// longest entry they begin with, and the letters after it are taken again. With
// `ended`, no more letters will come, so nothing waits. Letters that begin no entry
// are dropped, and so is everything once the cursor is past the last byte.
// True when it wrote a byte.
bool resolveTypedLetters(Editor& ed, bool ended) {
    EditorState& s = ed.s;
    std::string& typed = s.typedLetters;
    bool wrote = false;
    while (!typed.empty()) {
        const Matches m = matchesOf(s.charTable, typed);
        if (!ended && (m.count >= 2 || (m.count == 1 && m.exact == kNoByte))) break;
        const Entry entry =
            m.count == 1 && m.exact != kNoByte ? Entry{m.exact, typed.size()} : longestEntryAtStart(s.charTable, typed);
        if (entry.length == 0) {
            // A letter that begins no entry goes; through a UTF-8 table a letter is a whole character.
            const size_t letter = s.tableUtf8 ? utf8SequenceLength(typed, 0) : 1;
            typed.erase(0, std::max<size_t>(letter, 1));
            continue;
        }
        if (!cursorOnDocument(s)) {
            typed.clear();
            break;
        }
        writeAndAdvance(ed, static_cast<uint8_t>(entry.byte), wrote);
        typed.erase(0, entry.length);
        wrote = true;
    }
    return wrote;
}

// After typing: everything when a byte was written, else the text pane, which shows the held letters.
void repaintAfterTyping(Editor& ed, bool wrote) {
    if (wrote) RepaintAll(ed);
    else PaintTextPane(ed);
}

// One more letter (one character, which through a UTF-8 table may be several bytes).
// Without Multi Letters each letter stands alone: written at once when it is an entry, else dropped.
void typeLetter(Editor& ed, const std::string& letter) {
    EditorState& s = ed.s;
    if (s.multiLetters) s.typedLetters += letter;
    else s.typedLetters = letter;
    repaintAfterTyping(ed, resolveTypedLetters(ed, !s.multiLetters));
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
    typeLetter(ed, std::string(1, static_cast<char>(static_cast<uint8_t>(ch))));
}

void PicText_TypeCharacter(Editor& ed, std::string_view utf8) {
    for (size_t at = 0; at < utf8.size();) {
        const size_t length = utf8SequenceLength(utf8, at);
        if (length == 0) {  // not UTF-8: nothing a key could have meant
            ++at;
            continue;
        }
        const std::string_view character = utf8.substr(at, length);
        at += length;
        if (ed.s.viewMode && ed.s.tableUtf8) {
            if (cursorOnDocument(ed.s)) typeLetter(ed, std::string(character));
            continue;
        }
        const char32_t code = utf8CodePoint(character, 0, length);
        if (code <= 0xFF) PicText_KeyPress(ed, static_cast<int>(code));
    }
}

bool TakeBackHeldLetter(Editor& ed) {
    std::string& typed = ed.s.typedLetters;
    if (typed.empty()) return false;
    size_t last = typed.size() - 1;
    // Through a UTF-8 table a letter is a whole character: step back over its continuation bytes.
    if (ed.s.tableUtf8)
        while (last > 0 && (static_cast<uint8_t>(typed[last]) & 0xC0) == 0x80) --last;
    typed.erase(last);
    PaintTextPane(ed);
    return true;
}

void CommitTypedLetters(Editor& ed) {
    if (ed.s.typedLetters.empty()) return;
    repaintAfterTyping(ed, resolveTypedLetters(ed, true));
}

}  // namespace tarpon
