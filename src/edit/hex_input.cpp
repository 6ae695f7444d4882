#include "edit/hex_input.h"

#include <algorithm>
#include <string>

#include "core/edits.h"
#include "core/editor.h"
#include "core/number_reading.h"
#include "core/rounding.h"
#include "edit/insert_delete.h"
#include "edit/text_input.h"
#include "view/cursor.h"
#include "view/geometry.h"
#include "view/painting.h"

namespace tarpon {
namespace {

// Runs the action of a key of the key map; false for a key outside it.
bool runKey(Editor& ed, int keyCode) {
    const int64_t cursor = ed.s.cursor();
    switch (keyCode) {
    case kKeyLeft: MoveCursor(ed, cursor - 1); return true;
    case kKeyRight: MoveCursor(ed, cursor + 1); return true;
    case kKeyUp: MoveCursor(ed, cursor - 16); return true;
    case kKeyDown: MoveCursor(ed, cursor + 16); return true;
    case kKeyPageUp: MoveCursor(ed, cursor - 256); return true;
    case kKeyPageDown: MoveCursor(ed, cursor + 256); return true;
    case kKeyHome: MoveCursor(ed, 0); return true;
    case kKeyEnd: MoveCursor(ed, int64_t{ed.s.doc.fileSize} - 1); return true;
    case kKeyEscape: ed.services.openFileMenu(); return true;
    case kKeyInsert:
        CommitTypedLetters(ed);  // the window changes bytes: letters typed before it are written first
        ed.services.openWindow(WindowKind::Insert);
        return true;
    case kKeyDelete:
        DeleteByte(ed);
        RepaintAll(ed);
        return true;
    default: return false;
    }
}

}  // namespace

void PicHex_GotFocus(Editor& ed) {
    paneTookKeyboard(ed.s, InputPane::Hex);
    for (Mark& m : ed.v.ShpHex) m.rop = RasterOp::MaskNotPen;
    for (Mark& m : ed.v.ShpText) m.rop = RasterOp::NotXorPen;
    ed.s.typing.nibblePending = false;
    CommitTypedLetters(ed);
}

bool keyNeverTypes(int keyCode, int shift) {
    if ((shift & kAlt) != 0) return true;
    if ((shift & kCtrl) == 0) return false;
    // Ctrl+Shift with a letter or digit is a command chord in every editor, never a control code to type.
    const bool letterOrDigit = (keyCode >= 'A' && keyCode <= 'Z') || (keyCode >= '0' && keyCode <= '9');
    if ((shift & kShift) != 0 && letterOrDigit) return true;
    return keyCode == 'Z' || keyCode == 'Y' || keyCode == 'C' || keyCode == 'V' || keyCode == 'X';
}

bool PicHex_KeyDown(Editor& ed, int keyCode, int shift) {
    const bool pending = ed.s.typing.nibblePending;
    ed.s.typing.nibblePending = false;
    const bool command = runKey(ed, keyCode);
    if (!command) ed.s.typing.nibblePending = pending;
    // A modifier pressed alone (the Ctrl of Ctrl+C) keeps the selection it is about to act on.
    const bool modifierAlone = keyCode == kKeyShift || keyCode == kKeyCtrl || keyCode == kKeyAlt;
    if ((shift & kShift) == 0 && !modifierAlone) ed.s.view.selAnchor = static_cast<int32_t>(ed.s.cursor());
    PlaceMarks(ed);
    return command || keyNeverTypes(keyCode, shift);
}

void PicHex_KeyPress(Editor& ed, int ch) {
    EditorState& s = ed.s;
    if (!IsHexDigitChar(ch)) return;
    const int64_t cursor = s.cursor();
    if (cursor > int64_t{s.doc.fileSize} - 1) return;
    const int d = static_cast<int>(ReadNumber(std::string("&h0") + static_cast<char>(ch)));
    const uint8_t byte = s.doc.fileData[static_cast<size_t>(cursor)];
    // The two digits of a byte are one change, and a typing run one step.
    const Change* last = s.doc.history.lastDone();
    const bool secondDigit =
        s.typing.nibblePending && last && last->kind == Change::Kind::Overwrite && last->offset == cursor;
    overwriteByte(s, cursor, static_cast<uint8_t>((byte & 15) * 16 + d),
                  secondDigit || continuesTypingRun(s, InputPane::Hex, cursor));
    if (s.typing.nibblePending) {
        s.typing.nibblePending = false;
        s.view.selAnchor = static_cast<int32_t>(cursor + 1);
        // The next byte's row may lie below the page: then the page scrolls as a forward move does.
        if (rowFits(rowOf(int64_t{s.view.cursorRel} + 1), ed.v.picOffset.height())) {
            ++s.view.cursorRel;
            PlaceMarks(ed);
        } else {
            MoveCursor(ed, cursor + 1);
        }
    } else {
        s.typing.nibblePending = true;
    }
    extendTypingRun(s, InputPane::Hex, s.typing.nibblePending ? cursor : cursor + 1);
    RepaintAll(ed);
}

long long paneHitPosition(const Pane& pane, double rowsHeight, double x, double y) {
    // A point far outside the pane (a drag beyond the window, a pane of no width) is
    // limited first so that the sum cannot overflow; MoveCursor clamps the rest.
    // Below the last row shown, a point counts as on that row.
    constexpr int64_t kFar = int64_t{1} << 40;
    const double cw = pane.width() / 17;
    const int64_t col = std::clamp<int64_t>(roundToInt64(x / cw - 1), -kFar, kFar);
    const int64_t lastRow = std::max(rowsThatFit(rowsHeight) - 1, 0);
    const int64_t row = std::min(std::clamp<int64_t>(roundToInt64(y), -kFar, kFar) / 18, lastRow);  // truncates toward zero
    return row * 16 + col;
}

void PicHex_MouseDown(Editor& ed, int /*button*/, int shift, double x, double y) {
    MoveCursor(ed, ed.s.view.pageTop + paneHitPosition(ed.v.picHex, ed.v.picOffset.height(), x, y));
    if (shift == 0) ed.s.view.selAnchor = static_cast<int32_t>(ed.s.cursor());
    PlaceMarks(ed);
    ed.s.typing.nibblePending = false;
}

void PicHex_MouseMove(Editor& ed, int button, int shift, double x, double y) {
    if (button != 0) PicHex_MouseDown(ed, button, shift | 1, x, y);
}

}  // namespace tarpon
