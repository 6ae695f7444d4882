#include "app/pane_clipboard.h"

#include <algorithm>

#include "copy/copy_format.h"
#include "core/edits.h"
#include "core/editor.h"
#include "core/hex_text.h"
#include "core/spelling.h"
#include "core/text_coding.h"
#include "edit/text_input.h"
#include "view/cursor.h"

namespace tarpon {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The character at text[at], named for a message.
std::string characterNamed(std::string_view text, size_t at) { return describeCharacter(characterAt(text, at)); }

PasteBytes refusal(std::string problem) { return {{}, "The clipboard cannot be pasted: " + std::move(problem)}; }

// The selection's two ends, limited to the document; the document must have bytes.
std::pair<int64_t, int64_t> selection(const EditorState& s) {
    const int64_t last = int64_t{s.doc.fileSize} - 1;
    const int64_t a = std::clamp<int64_t>(s.view.selAnchor, 0, last), b = std::clamp<int64_t>(s.cursor(), 0, last);
    return std::minmax(a, b);
}

}  // namespace

bool canUseClipboard(const EditorState& s) {
    return s.doc.fileSize > 0 && (s.view.focusPane == InputPane::Hex || s.view.focusPane == InputPane::Text);
}

PasteBytes hexFromClipboard(std::string_view utf8) {
    PasteBytes out;
    for (size_t at = 0; at < utf8.size();) {
        if (isBlank(utf8[at])) {
            ++at;
            continue;
        }
        if (utf8[at] == '0' && at + 1 < utf8.size() && (utf8[at + 1] == 'x' || utf8[at + 1] == 'X')) at += 2;
        if (at >= utf8.size()) return refusal("\"0x\" is not followed by a value.");
        const int high = hexDigitValue(utf8[at]);
        if (high < 0) return refusal(characterNamed(utf8, at) + " is not a hexadecimal digit.");
        if (at + 1 >= utf8.size() || isBlank(utf8[at + 1]))
            return refusal("the digit " + characterNamed(utf8, at) + " has no second digit (a byte is two digits).");
        if (hexDigitValue(utf8[at + 1]) < 0) return refusal(characterNamed(utf8, at + 1) + " is not a hexadecimal digit.");
        out.bytes.push_back(static_cast<uint8_t>(high * 16 + hexDigitValue(utf8[at + 1])));
        at += 2;
    }
    if (out.bytes.empty()) return refusal("it holds no hexadecimal values.");
    return out;
}

PasteBytes textFromClipboard(EditorState& s, std::string_view utf8) {
    if (utf8.empty()) return refusal("it holds no text.");
    char32_t refused = 0;
    if (s.view.viewMode) {
        // What Copy writes (line breaks after line-break entries, `<$XX>` raw bytes)
        // is spelled back by typing's rule.
        size_t bad = 0;
        std::optional<std::vector<uint8_t>> spelled = s.table.speller().spell(utf8, &bad);
        if (!spelled) return refusal(describeCharacter(characterAt(utf8, bad)) + " begins no entry of the table.");
        return {std::move(*spelled), {}};
    }
    const std::optional<std::string> latin1 = latin1FromUtf8(utf8, &refused);
    if (!latin1) return refusal(describeCharacter(refused) + " has no one-byte code.");
    return {std::vector<uint8_t>(latin1->begin(), latin1->end()), {}};
}

void CopyFromPane(Editor& ed) {
    EditorState& s = ed.s;
    if (!canUseClipboard(s)) return;
    const auto [from, to] = selection(s);
    const std::span<const uint8_t> document(s.doc.fileData.data(), static_cast<size_t>(s.doc.fileSize));
    if (s.view.focusPane == InputPane::Hex) {
        ed.services.setClipboardText(hexPairs(document.subspan(static_cast<size_t>(from), static_cast<size_t>(to - from + 1))));
        return;
    }
    const CopyType type = s.view.viewMode ? CopyType::Table : CopyType::Ascii;
    CopyTable table = documentCopyTable(s);
    table.readsBack = s.table.utf8();
    table.speller = &s.table.speller();
    const std::string text = formatCopy(document, from, to, type, "", "", table);
    if (copyTextIsUtf8(s, type)) ed.services.setClipboardUtf8Text(text);
    else ed.services.setClipboardText(text);
}

void PasteIntoPane(Editor& ed) {
    EditorState& s = ed.s;
    if (!canUseClipboard(s)) return;
    CommitTypedLetters(ed);  // letters held before the paste are written first, as another key would
    const std::string clip = ed.services.clipboardUtf8Text();
    const PasteBytes paste = s.view.focusPane == InputPane::Hex ? hexFromClipboard(clip) : textFromClipboard(s, clip);
    if (!paste.problem.empty()) {
        ed.services.messageBox(paste.problem);
        return;
    }
    const int64_t cursor = s.cursor();
    const int64_t room = std::max<int64_t>(int64_t{s.doc.fileSize} - cursor, 0);
    const auto size = static_cast<int64_t>(paste.bytes.size());
    if (size > room) {
        ed.services.messageBox("The clipboard holds " + std::to_string(size) + " bytes, but only " +
                               std::to_string(room) +
                               " fit before the end of the document. Nothing was pasted.");
        return;
    }
    s.typing.nibblePending = false;
    overwriteBytes(s, cursor, paste.bytes);
    s.view.selAnchor = static_cast<int32_t>(cursor + size);
    MoveCursor(ed, cursor + size);
}

}  // namespace tarpon
