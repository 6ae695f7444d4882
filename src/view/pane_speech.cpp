#include "view/pane_speech.h"

#include <algorithm>
#include <cstdio>

#include "core/editor_state.h"
#include "core/letter_reader.h"
#include "core/text_coding.h"

namespace tarpon {
namespace {

// How far before the cursor its letter can start (a long key and its parameter bytes).
constexpr int64_t kLetterReach = 256;

std::string offsetText(const EditorState& s) {
    char text[32];
    if (s.view.offsetMode) std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(s.cursor()));
    else std::snprintf(text, sizeof text, "%d", static_cast<int>(s.cursor()));
    return text;
}

std::string shownLineBreaks(std::string text) {
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at))
        text.replace(at, 1, kLineBreakSign);
    return text;
}

}  // namespace

std::string letterUnderCursor(EditorState& s) {
    const int64_t at = s.cursor();
    if (at < 0 || at >= s.doc.fileSize) return {};
    const std::span<const uint8_t> doc = s.document();
    if (!s.view.viewMode) {
        const uint8_t b = doc[static_cast<size_t>(at)];
        return b >= 32 && b <= 126 ? std::string(1, static_cast<char>(b)) : std::string();
    }
    const TableReading reading = s.reading();
    std::string text;
    bool utf8 = s.table.utf8();
    forEachLetter(s.doc.letters, reading, doc, s.doc.history.stateId(), std::max<int64_t>(0, at - kLetterReach), at + 1,
                  [&](const ReadLetter& letter) {
                      if (letter.start > at || at >= letter.start + letter.length) return;
                      text = letterText(reading, doc, letter);
                      utf8 = letterTextIsUtf8(reading, letter);
                  });
    return shownLineBreaks(utf8 ? text : utf8FromLatin1Text(text));
}

std::string hexPaneSpeech(const EditorState& s) {
    std::string said = "Hex pane, offset " + offsetText(s);
    if (s.cursor() >= s.doc.fileSize) return said + ", past the end";
    char byte[16];
    std::snprintf(byte, sizeof byte, "%02X", s.doc.fileData[static_cast<size_t>(s.cursor())]);
    return said + ", byte " + byte;
}

std::string textPaneSpeech(EditorState& s) {
    std::string said = std::string(s.view.viewMode ? "Table" : "Ascii") + " pane, offset " + offsetText(s);
    if (s.cursor() >= s.doc.fileSize) return said + ", past the end";
    const std::string letter = letterUnderCursor(s);
    return said + (letter.empty() ? ", no letter" : ", letter " + letter);
}

}  // namespace tarpon
