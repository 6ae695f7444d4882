#include "view/painting.h"

#include <algorithm>
#include <array>

#include "core/hex_text.h"
#include "core/editor.h"
#include "core/letter_reader.h"
#include "core/number_text.h"
#include "core/text_coding.h"
#include "screen/style.h"
#include "view/geometry.h"
#include "view/letter_fit.h"
#include "view/value_panes.h"

namespace tarpon {
namespace {

constexpr Rgb kCursorLabel{160, 0, 0};
constexpr Rgb kManyLetters{143, 50, 186};
constexpr Rgb kUnprintable{111, 66, 42};
constexpr Rgb kHeldLetters{200, 0, 0};
constexpr Rgb kSigns{0, 128, 128};

const std::array<std::array<char, 2>, 256>& hexDigitPairs() {
    static const auto table = [] {
        std::array<std::array<char, 2>, 256> t{};
        for (int i = 0; i < 256; ++i) t[i] = {kHexDigits[i >> 4], kHexDigits[i & 15]};
        return t;
    }();
    return table;
}

// Draws in `color` and puts the pane's own colour back afterwards.
void drawInColor(Pane& pane, double x, double y, std::string_view text, Rgb color) {
    const Rgb saved = pane.textColor;
    pane.textColor = color;
    pane.drawText(x, y, text);
    pane.textColor = saved;
}

// The letters a text cell shows, as UTF-8, their colour, and whether they are drawn narrowed.
struct Cell {
    std::string text;
    Rgb color;
    bool narrowed = false;
};

Cell fittedCell(std::string_view letters, bool utf8, EntryKind kind, int cells) {
    if (letters.empty()) return {".", kUnprintable};
    // Only what fits in the cell is looked at, so a huge entry costs no more than a short one.
    FittedLetter fit = fitLetter(letters, utf8, kind, cells);
    const Rgb color = fit.sign ? kSigns : !fit.lastDrawable ? kUnprintable : fit.many ? kManyLetters : kOneLetterText;
    return {std::move(fit.text), color, fit.narrowed};
}

EntryKind kindOfByte(const Table& table, uint8_t b) {
    const char key = static_cast<char>(b);
    const TableEntry* entry = table.find(std::string_view(&key, 1));
    return entry ? entry->kind : EntryKind::Letter;
}

Cell textCell(const EditorState& s, uint8_t b) {
    if (!s.view.viewMode) {
        const bool printable = b >= 32 && b <= 126;
        return {std::string(1, printable ? static_cast<char>(b) : '.'), printable ? kOneLetterText : kUnprintable};
    }
    return fittedCell(s.table.charTable()[b], s.table.utf8(), kindOfByte(s.table.model(), b), 1);
}

// Draws a cell's letters within `cells` columns from column c, so that they never reach the next cell.
void drawCell(Pane& pane, const Cell& cell, int c, int64_t row, int cells, double p) {
    pane.textColor = cell.color;
    const double x = columnX(c, p);
    pane.drawUtf8TextWithin(x, rowTextY(row), cell.text, columnX(c + cells, p) - x, cell.narrowed);
}

// Whether the byte at `offset` differs from the compared file; `next` is the first run
// that may hold it, moved on as the offsets, asked in order, pass runs.
bool differs(const std::vector<ByteRun>& runs, size_t& next, int64_t offset) {
    while (next < runs.size() && runs[next].end() <= static_cast<uint64_t>(offset)) ++next;
    return next < runs.size() && runs[next].start <= static_cast<uint64_t>(offset);
}

// The first run that ends after `offset`.
size_t firstRunAfter(const std::vector<ByteRun>& runs, int64_t offset) {
    const auto it = std::upper_bound(runs.begin(), runs.end(), static_cast<uint64_t>(std::max<int64_t>(offset, 0)),
                                     [](uint64_t at, const ByteRun& r) { return at < r.end(); });
    return static_cast<size_t>(it - runs.begin());
}

// A box under each shown byte that differs from the compared file.
void markDifferences(Pane& pane, const EditorState& s, double paneHeight) {
    const std::vector<ByteRun>& runs = s.doc.comparison.runs;
    if (!s.doc.comparison.active || runs.empty()) return;
    const double p = columnPitch(pane.width());
    size_t next = firstRunAfter(runs, s.view.pageTop);
    for (int64_t r = 0; rowFits(r, paneHeight); ++r)
        for (int c = 0; c < kRowBytes; ++c) {
            const int64_t offset = s.view.pageTop + kRowBytes * r + c;
            if (offset >= s.doc.fileSize) return;
            if (differs(runs, next, offset))
                pane.fillBox(roundHalfEven(c * p + p / 3), static_cast<double>(kRowPitch * r + 2), p + p / 17, kRowPitch,
                             kDifferenceBack);
        }
}

// Table letters typed but not yet written stand in the cursor's cell, in their own colour.
Cell heldLettersCell(const EditorState& s) {
    return {cellLetters(s.typing.typedLetters, s.table.utf8()).text, kHeldLetters, true};
}

void placePair(std::array<Mark, 2>& marks, const Pane& pane, const EditorState& s) {
    const double p = columnPitch(pane.width());
    marks[0].width = marks[1].width = p + p / 17;
    marks[0].left = roundHalfEven(colOf(s.view.cursorRel) * p + p / 3);
    marks[1].left = roundHalfEven(colOf(s.view.selAnchor) * p + p / 3);
}

// A letter of a table with longer keys: drawn from its first byte's cell, cut at the
// end of its key's cells on that row, so that it never covers the next letter.
void drawLetter(Pane& pane, const EditorState& s, const ReadLetter& letter, int64_t rel, double p) {
    const TableReading reading = s.reading();
    const std::span<const uint8_t> doc = s.document();
    const int c = colOf(rel);
    const int cells = static_cast<int>(std::min<int64_t>(letter.length, kRowBytes - c));
    Cell cell;
    if (letter.length == 1) {
        cell = textCell(s, doc[static_cast<size_t>(letter.start)]);
    } else {
        // The entry's own text when nothing is added to it (most letters), else the letter's text made up.
        const bool plain = letter.length == letter.keyLength && letter.entry->kind != EntryKind::LineBreak;
        const std::string made = plain ? std::string() : letterText(reading, doc, letter);
        const std::string_view text = plain ? std::string_view(letter.entry->text) : made;
        const EntryKind kind = letter.entry ? letter.entry->kind : EntryKind::Letter;
        cell = fittedCell(text, letterTextIsUtf8(reading, letter), kind, cells);
    }
    drawCell(pane, cell, c, rowOf(rel), cells, p);
}

// Table view through a table with keys of several bytes (or parameter bytes): each
// letter that starts on the page, read as the whole document reads.
void paintLetters(Editor& ed) {
    EditorState& s = ed.s;
    Pane& pane = ed.v.PicText;
    const double p = columnPitch(pane.width());
    const int64_t rows = rowsThatFit(pane.height());
    const int64_t end = std::min<int64_t>(int64_t{s.view.pageTop} + rows * kRowBytes, s.doc.fileSize);
    const bool held = !s.typing.typedLetters.empty();
    forEachLetter(s.doc.letters, s.reading(), s.document(), s.doc.history.stateId(), s.view.pageTop, end,
                  [&](const ReadLetter& letter) {
                      if (held && letter.start == s.cursor()) return;
                      drawLetter(pane, s, letter, letter.start - s.view.pageTop, p);
                  });
    if (held && s.cursor() >= s.view.pageTop && s.cursor() < end) {
        drawCell(pane, heldLettersCell(s), colOf(s.view.cursorRel), rowOf(s.view.cursorRel), 1, p);
    }
}

}  // namespace

void RepaintAll(Editor& ed) {
    PaintValuePanes(ed);
    PaintFileSize(ed);
    PaintColumnHeader(ed);
    PaintOffsetColumn(ed);
    PaintOffsetValue(ed);
    PaintHexPane(ed);
    PaintTextPane(ed);
}

void PaintOffsetColumn(Editor& ed) {
    const EditorState& s = ed.s;
    Pane& pane = ed.v.picOffset;
    pane.clear();
    const double h = pane.height();
    for (int64_t k = 0; s.view.pageTop + k < s.doc.fileSize; k += kRowBytes) {
        const int64_t r = k / kRowBytes;
        if (h <= static_cast<double>(18 * r + 23)) break;
        const bool cursorRow = (int64_t{s.view.cursorRel} & ~int64_t{15}) == k;
        const std::string text = PadNumber(static_cast<int32_t>(s.view.pageTop + k), s.view.offsetMode,
                                           s.view.offsetMode ? 8 : 10);
        drawInColor(pane, s.view.offsetMode ? 10 : 2, rowTextY(r), text,
                    cursorRow ? kCursorLabel : pane.textColor);
    }
}

void PaintColumnHeader(Editor& ed) {
    const EditorState& s = ed.s;
    Pane& pane = ed.v.picHead;
    pane.clear();
    const double p = columnPitch(ed.v.picHex.width());
    for (int c = 0; c < 16; ++c) {
        const Rgb color = c == colOf(s.view.cursorRel) ? kCursorLabel : pane.textColor;
        drawInColor(pane, columnX(c, p) + 87, 10, PadNumber(c, s.view.offsetMode, 2), color);
    }
}

void PaintHexPane(Editor& ed) {
    const EditorState& s = ed.s;
    Pane& pane = ed.v.picHex;
    pane.clear();
    const double p = columnPitch(pane.width());
    const double h = ed.v.picOffset.height();
    const auto& pairs = hexDigitPairs();
    markDifferences(pane, s, h);
    const std::vector<ByteRun>& runs = s.doc.comparison.runs;
    size_t next = s.doc.comparison.active ? firstRunAfter(runs, s.view.pageTop) : runs.size();
    for (int64_t r = 0; rowFits(r, h); ++r) {
        for (int c = 0; c < 16; ++c) {
            const int64_t offset = s.view.pageTop + 16 * r + c;
            if (offset >= s.doc.fileSize || offset < 0) return;
            const auto& pair = pairs[s.doc.fileData[static_cast<size_t>(offset)]];
            const std::string_view text(pair.data(), 2);
            if (differs(runs, next, offset)) drawInColor(pane, columnX(c, p), rowTextY(r), text, kDifferenceText);
            else pane.drawText(columnX(c, p), rowTextY(r), text);
        }
    }
}

void PaintTextPane(Editor& ed) {
    const EditorState& s = ed.s;
    Pane& pane = ed.v.PicText;
    pane.clear();
    markDifferences(pane, s, pane.height());
    if (s.view.viewMode && !readsByteByByte(s.table.model())) {
        paintLetters(ed);
        return;
    }
    const double p = columnPitch(pane.width());
    const double h = pane.height();
    for (int64_t r = 0; rowFits(r, h); ++r) {
        for (int c = 0; c < 16; ++c) {
            const int64_t offset = s.view.pageTop + 16 * r + c;
            if (offset >= s.doc.fileSize || offset < 0) return;
            Cell cell = textCell(s, s.doc.fileData[static_cast<size_t>(offset)]);
            if (offset == s.cursor() && s.view.viewMode && !s.typing.typedLetters.empty()) cell = heldLettersCell(s);
            drawCell(pane, cell, c, r, 1, p);
        }
    }
}

void PlaceMarks(Editor& ed) {
    const EditorState& s = ed.s;
    MainView& v = ed.v;
    const double h = v.picOffset.height();
    if (h < static_cast<double>(18 * rowOf(s.view.cursorRel) + 23)) return;
    placePair(v.ShpHex, v.picHex, s);
    placePair(v.ShpText, v.PicText, s);
    v.ShpHex[0].top = v.ShpText[0].top = static_cast<double>(18 * rowOf(s.view.cursorRel) + 2);
    const int64_t a = (int64_t{s.view.selAnchor} - s.view.pageTop) >> 4;
    const bool onCursor = s.view.selAnchor == s.cursor();
    const bool visible = !onCursor && a >= 0 && static_cast<double>(a) <= (h - 5) / 18 - 1;
    v.ShpHex[1].visible = v.ShpText[1].visible = visible;
    v.ShpHex[1].top = v.ShpText[1].top = static_cast<double>(18 * a + 2);
}

}  // namespace tarpon
