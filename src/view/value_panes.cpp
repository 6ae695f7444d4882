#include "view/value_panes.h"

#include <cstdio>

#include "core/editor.h"
#include "core/number_text.h"
#include "core/rounding.h"

namespace tarpon {
namespace {

// The byte under the cursor, if there is one.
const uint8_t* cursorByte(const EditorState& s) {
    const int64_t pos = s.cursor();
    if (pos < 0 || pos >= s.doc.fileSize) return nullptr;
    return &s.doc.fileData[static_cast<size_t>(pos)];
}

// Three digits of the cursor byte in radix 8 or 10, zero-padded (007, 377).
void paintByte(Pane& pane, const EditorState& s, int radix) {
    pane.clear();
    if (const uint8_t* b = cursorByte(s)) {
        const char text[] = {static_cast<char>('0' + *b / (radix * radix)),
                             static_cast<char>('0' + *b / radix % radix), static_cast<char>('0' + *b % radix), 0};
        pane.drawText(2, 0, text);
    }
}

void paintOffsetLike(Pane& pane, int64_t value, bool hexMode) {
    pane.clear();
    pane.drawText(hexMode ? 6 : 2, 0,
                  PadNumber(static_cast<int32_t>(value), hexMode, hexMode ? 8 : 10));
}

}  // namespace

void PaintValuePanes(Editor& ed) {
    PaintOffsetValue(ed);
    PaintDecValue(ed);
    PaintOctValue(ed);
    PaintBinaryValue(ed);
    PaintPercent(ed);
}

void PaintFileSize(Editor& ed) { paintOffsetLike(ed.v.picFilesize, ed.s.doc.fileSize, ed.s.view.offsetMode); }

void PaintOffsetValue(Editor& ed) { paintOffsetLike(ed.v.picOffsetval, ed.s.cursor(), ed.s.view.offsetMode); }

void PaintDecValue(Editor& ed) { paintByte(ed.v.picDec, ed.s, 10); }

void PaintOctValue(Editor& ed) { paintByte(ed.v.picOct, ed.s, 8); }

void PaintBinaryValue(Editor& ed) {
    Pane& pane = ed.v.picBinary;
    pane.clear();
    const uint8_t* b = cursorByte(ed.s);
    if (!b) return;
    std::string bits;
    for (int bit = 7; bit >= 0; --bit) {
        bits.push_back((*b >> bit) & 1 ? '1' : '0');
        if (bit == 4) bits.push_back(' ');
    }
    pane.drawText(2, 0, bits);
}

std::string percentText(int64_t pos, int32_t fileSize, char decimalSeparator) {
    const double q = static_cast<double>(pos) / (fileSize - 1);
    const int64_t k = roundToInt64(q * 100000);
    std::string text = std::to_string(k / 1000);
    int64_t frac = k % 1000;
    if (frac != 0) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%03d", static_cast<int>(frac));
        std::string digits(buf);
        while (digits.back() == '0') digits.pop_back();
        text += decimalSeparator + digits;
    }
    return text;
}

void PaintPercent(Editor& ed) {
    Pane& pane = ed.v.picPercent;
    pane.clear();
    if (ed.s.doc.fileSize < 2) return;
    pane.drawText(4, 0, percentText(ed.s.cursor(), ed.s.doc.fileSize, ed.v.decimalSeparator));
}

}  // namespace tarpon
