#include "edit/text_input.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "core/edits.h"
#include "core/editor.h"
#include "core/text_coding.h"
#include "view/cursor.h"
#include "view/painting.h"

namespace tarpon {
namespace {

bool cursorOnDocument(const EditorState& s) { return s.cursor() <= int64_t{s.doc.fileSize} - 1; }

// Writes `key` from the cursor on and moves the cursor and the anchor past it;
// `joined`: part of the same keystroke as the write before.
void writeAndAdvance(Editor& ed, std::string_view key, bool joined = false) {
    EditorState& s = ed.s;
    for (const char b : key) {
        const int64_t cursor = s.cursor();
        overwriteByte(s, cursor, static_cast<uint8_t>(b), joined || continuesTypingRun(s, InputPane::Text, cursor));
        joined = true;
        s.view.selAnchor = static_cast<int32_t>(cursor + 1);
        MoveCursor(ed, cursor + 1);
        extendTypingRun(s, InputPane::Text, cursor + 1);
    }
}

void writeAndAdvance(Editor& ed, uint8_t value) {
    const char key = static_cast<char>(value);
    writeAndAdvance(ed, std::string_view(&key, 1));
}

// Every entry a letter can be typed as, with its letters in the text pane's coding
// (UTF-8 through a UTF-8 table, else Latin-1): the one-byte keys as the grid holds
// them, then the longer keys of the table.
template <typename Visit>
void forEachEntry(const EditorState& s, Visit visit) {
    for (size_t b = 0; b < s.table.charTable().size(); ++b) {
        const char key = static_cast<char>(b);
        if (!s.table.charTable()[b].empty()) visit(std::string_view(&key, 1), s.table.charTable()[b]);
    }
    for (const TableEntry& e : s.table.model().entries()) {
        if (e.key.size() < 2 || e.text.empty()) continue;
        const std::string_view key = e.key;
        if (s.table.utf8() && e.kind != EntryKind::LineBreak) visit(key, e.text);  // no copy
        else if (s.table.utf8()) visit(key, oneByteLetters(e));
        else if (const std::optional<std::string> latin1 = latin1FromUtf8(oneByteLetters(e))) visit(key, *latin1);
    }
}

// Typed letters as the speller reads them: UTF-8 (a Latin-1 grid's letters converted).
std::string spelledForm(const EditorState& s, std::string_view letters) {
    return s.table.utf8() ? std::string(letters) : utf8FromLatin1Text(letters);
}

// How many typed letters (in the grid's coding) the first `length` bytes of their UTF-8 form hold.
size_t typedLength(const EditorState& s, std::string_view utf8, size_t length) {
    if (s.table.utf8()) return length;
    size_t letters = 0;
    for (size_t at = 0; at < length; at += std::max<size_t>(utf8SequenceLength(utf8, at), 1)) ++letters;
    return letters;
}

// How many entries begin with `letters`, and the key that spells them exactly.
struct Matches {
    int count = 0;
    std::string exact;  // empty: none
};

Matches matchesOf(EditorState& s, std::string_view letters) {
    Matches m;
    forEachEntry(s, [&](std::string_view, std::string_view entry) { m.count += entry.starts_with(letters); });
    if (const std::string* key = s.table.speller().keyOf(spelledForm(s, letters))) m.exact = *key;
    return m;
}

// The longest entry that `letters` begin with, by typing's rule (of equal entries
// the higher key), or none.
struct Entry {
    std::string key;
    size_t length = 0;
};

Entry longestEntryAtStart(EditorState& s, std::string_view letters) {
    const std::string utf8 = spelledForm(s, letters);
    const Speller::Step step = s.table.speller().step(utf8, 0, utf8.size());
    if (step.textLength == 0) return {};
    return {std::string(step.bytes), typedLength(s, utf8, step.textLength)};
}

// Through a UTF-8 table a letter is a whole character.
size_t letterLength(const EditorState& s, std::string_view typed) {
    return s.table.utf8() ? std::max<size_t>(utf8SequenceLength(typed, 0), 1) : 1;
}

void sayNoRoom(Editor& ed, std::string_view letters, size_t keyLength) {
    const EditorState& s = ed.s;
    const int64_t left = int64_t{s.doc.fileSize} - s.cursor();
    const std::string shown = s.table.utf8() ? std::string(letters) : utf8FromLatin1Text(letters);
    ed.services.messageBox("\"" + shown + "\" takes " + std::to_string(keyLength) + " bytes, but only " +
                           std::to_string(left) + (left == 1 ? " byte is" : " bytes are") +
                           " left before the end of the document: nothing was written.");
}

// Writes what the typed letters spell, from the cursor on. The letters wait while
// they begin two entries or more, or one entry not yet complete; a single complete
// entry is written at once. Letters that can no longer grow into an entry give the
// longest entry they begin with, and the letters after it are taken again. With
// `ended`, no more letters will come, so nothing waits. Letters that begin no entry
// are dropped, and so is everything once the cursor is past the last byte; an entry
// whose key does not fit before the end is dropped with a message.
// True when it wrote a byte.
bool resolveTypedLetters(Editor& ed, bool ended) {
    EditorState& s = ed.s;
    std::string& typed = s.typing.typedLetters;
    bool wrote = false;
    while (!typed.empty()) {
        const Matches m = matchesOf(s, typed);
        if (!ended && (m.count >= 2 || (m.count == 1 && m.exact.empty()))) break;
        const Entry entry =
            m.count == 1 && !m.exact.empty() ? Entry{m.exact, typed.size()} : longestEntryAtStart(s, typed);
        if (entry.length == 0) {
            typed.erase(0, letterLength(s, typed));  // a letter that begins no entry goes
            continue;
        }
        if (!cursorOnDocument(s)) {
            typed.clear();
            break;
        }
        if (static_cast<int64_t>(entry.key.size()) > int64_t{s.doc.fileSize} - s.cursor()) {
            sayNoRoom(ed, std::string_view(typed).substr(0, entry.length), entry.key.size());
            typed.erase(0, entry.length);
            continue;
        }
        writeAndAdvance(ed, entry.key, wrote);
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
    if (s.typing.multiLetters) s.typing.typedLetters += letter;
    else s.typing.typedLetters = letter;
    repaintAfterTyping(ed, resolveTypedLetters(ed, !s.typing.multiLetters));
}

}  // namespace

void PicText_KeyPress(Editor& ed, int ch) {
    EditorState& s = ed.s;
    if (ch < 0 || ch > 255) return;
    if (!cursorOnDocument(s)) return;
    if (!s.view.viewMode) {
        writeAndAdvance(ed, static_cast<uint8_t>(ch));
        RepaintAll(ed);
        s.typing.typedLetters.clear();
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
        if (ed.s.view.viewMode && ed.s.table.utf8()) {
            if (cursorOnDocument(ed.s)) typeLetter(ed, std::string(character));
            continue;
        }
        const char32_t code = utf8CodePoint(character, 0, length);
        if (code <= 0xFF) PicText_KeyPress(ed, static_cast<int>(code));
    }
}

bool TakeBackHeldLetter(Editor& ed) {
    std::string& typed = ed.s.typing.typedLetters;
    if (typed.empty()) return false;
    size_t last = typed.size() - 1;
    // Through a UTF-8 table a letter is a whole character: step back over its continuation bytes.
    if (ed.s.table.utf8())
        while (last > 0 && (static_cast<uint8_t>(typed[last]) & 0xC0) == 0x80) --last;
    typed.erase(last);
    PaintTextPane(ed);
    return true;
}

void CommitTypedLetters(Editor& ed) {
    if (ed.s.typing.typedLetters.empty()) return;
    repaintAfterTyping(ed, resolveTypedLetters(ed, true));
}

}  // namespace tarpon
