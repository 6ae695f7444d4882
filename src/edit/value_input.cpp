#include "edit/value_input.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>

#include "core/edits.h"
#include "core/editor.h"
#include "core/number_reading.h"
#include "core/number_text.h"
#include "core/rounding.h"
#include "edit/text_input.h"
#include "screen/keys.h"
#include "view/cursor.h"
#include "view/painting.h"
#include "view/value_panes.h"

namespace tarpon {
namespace {

// The byte under the cursor, or null when the cursor is past the document.
uint8_t* cursorByte(EditorState& s) {
    const int64_t pos = s.cursor();
    if (pos < 0 || pos >= s.doc.fileSize) return nullptr;
    return &s.doc.fileData[static_cast<size_t>(pos)];
}

// Shifts `digit` into the byte's digit text in `radix` (8 or 10), like a three-digit
// display: a fourth digit pushes the first out, as does a value above 255.
void shiftDigitIn(Editor& ed, char digit, int radix) {
    uint8_t* b = cursorByte(ed.s);
    if (!b) return;
    char buf[8];
    std::snprintf(buf, sizeof buf, radix == 8 ? "%o" : "%d", *b);
    std::string t = buf;
    if (t.size() == 3) t.erase(0, 1);
    t.push_back(digit);
    if (std::stoi(t) > (radix == 8 ? 377 : 255)) t.erase(0, 1);
    overwriteByte(ed.s, ed.s.cursor(), static_cast<uint8_t>(std::stoi(t, nullptr, radix)));
    RepaintAll(ed);
}

// Enter without Shift, Ctrl or Alt moves the anchor along; with any of them the selection grows.
void stepToNextByte(Editor& ed, int keyCode, int shift) {
    if (keyCode != kKeyEnter) return;
    const int64_t target = std::min<int64_t>(ed.s.cursor() + 1, std::numeric_limits<int32_t>::max());
    if (shift == 0) ed.s.view.selAnchor = static_cast<int32_t>(target);
    MoveCursor(ed, target);
}

void setFocusColour(Editor& ed, Pane& pane, Rgb colour, void (*repaint)(Editor&)) {
    pane.textColor = colour;
    repaint(ed);
}

}  // namespace

int binaryBitAt(double paneWidth, double x) {
    const int64_t half = roundToInt64(paneWidth) / 2;
    const bool leftGroup = x < static_cast<double>(half);
    const int64_t k = roundToInt64(x - (leftGroup ? 2 : 4)) / 6;
    if (k < 0 || k > (leftGroup ? 3 : 7)) return -1;
    return 7 - static_cast<int>(k);
}

void picBinary_MouseDown(Editor& ed, int /*button*/, int /*shift*/, double x, double /*y*/) {
    uint8_t* b = cursorByte(ed.s);
    if (!b) return;
    const int bit = binaryBitAt(ed.v.picBinary.width(), x);
    if (bit < 0) return;
    overwriteByte(ed.s, ed.s.cursor(), static_cast<uint8_t>(*b ^ (1u << bit)));
    RepaintAll(ed);
}

void picDec_KeyPress(Editor& ed, int ch) {
    if (IsNotDigit(ch)) return;
    shiftDigitIn(ed, static_cast<char>(ch), 10);
}

void picOct_KeyPress(Editor& ed, int ch) {
    if (ch < '0' || ch > '7') return;
    shiftDigitIn(ed, static_cast<char>(ch), 8);
}

void picDec_KeyDown(Editor& ed, int keyCode, int shift) { stepToNextByte(ed, keyCode, shift); }

void picOct_KeyDown(Editor& ed, int keyCode, int shift) { stepToNextByte(ed, keyCode, shift); }

void picOffsetval_KeyPress(Editor& ed, int ch) {
    const bool hex = ed.s.view.offsetMode;
    if (hex ? !IsHexDigitChar(ch) : IsNotDigit(ch)) return;
    std::string t = offsetText(ed.s.cursor(), hex);
    t.push_back(static_cast<char>(ch));
    const double limit = static_cast<double>(int64_t{ed.s.doc.fileSize} + 15);
    const std::string prefix = hex ? "&h0" : "0";
    // One digit is at most 15, so the loop stops with at least one character left.
    while (t.size() > 1 && ReadNumber(prefix + t) > limit) t.erase(0, 1);
    MoveCursor(ed, roundToInt64(ReadNumber(prefix + t)));
}

void picDec_GotFocus(Editor& ed) {
    paneTookKeyboard(ed.s, InputPane::Dec);
    CommitTypedLetters(ed);
    setFocusColour(ed, ed.v.picDec, kFocusedValueText, PaintDecValue);
}
void picDec_LostFocus(Editor& ed) { setFocusColour(ed, ed.v.picDec, kSystemWindowText, PaintDecValue); }
void picOct_GotFocus(Editor& ed) {
    paneTookKeyboard(ed.s, InputPane::Oct);
    CommitTypedLetters(ed);
    setFocusColour(ed, ed.v.picOct, kFocusedValueText, PaintOctValue);
}
void picOct_LostFocus(Editor& ed) { setFocusColour(ed, ed.v.picOct, kSystemWindowText, PaintOctValue); }
void picOffsetval_GotFocus(Editor& ed) {
    paneTookKeyboard(ed.s, InputPane::Offset);
    CommitTypedLetters(ed);
    setFocusColour(ed, ed.v.picOffsetval, kFocusedValueText, PaintOffsetValue);
}
void picOffsetval_LostFocus(Editor& ed) {
    setFocusColour(ed, ed.v.picOffsetval, kSystemWindowText, PaintOffsetValue);
}

}  // namespace tarpon
