#include "view/cursor.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "edit/hex_input.h"
#include "edit/text_pane.h"
#include "edit/value_input.h"
#include "screen/keys.h"
#include "screen/style.h"
#include "test_editor.h"
#include "view/jump.h"
#include "view/geometry.h"
#include "view/painting.h"
#include "view/pane_speech.h"

namespace tarpon {
namespace {

// `size` bytes, page at `top`, cursor and anchor `rel` below it, a hex digit waiting. One move: MoveCursor(arg),
// paging button arg (Page Up, Row Up, Row Down, Page Down), arg wheel notches, scroll bar at arg, key arg in the
// offset pane, or a click or drag at x = arg 17ths of the pane, y pixels -> where page, cursor and anchor end.
TEST(CursorMoves, PagingRules) {
    enum class Move { To, Button, Wheel, Bar, Offset, HexClick, TextClick, TextDrag };
    constexpr double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        const char* name;
        int size, top, rel;
        Move how;
        double arg;
        int shift, wantTop, wantRel, wantAnchor = top + rel;
        double y = 0, windowHeight = kStartHeight;
    };
    const Row rows[] = {
        {"jump near the end shows the last 32-byte block", 4096, 0, 5, Move::To, 0xFF5, 0, 0xFE0, 0x15},
        {"past the end: the page follows the cursor", 4096, 0, 0, Move::To, 5000, 0, 4992 - 16 * 17, 16 * 17 + 8},
        {"above the page near the start goes to row 0", 4096, 0x100, 0x55, Move::To, 0x20, 0, 0x20, 0},
        {"above the page, row 2 just reachable", 4096, 0x100, 0x55, Move::To, 0x25, 0, 0, 0x25},
        {"up to row 0 from the first byte of row 2: one row up", 4096, 0x200, 0x20, Move::To, 0x205, 0, 0x1F0, 0x15},
        {"near the end the page top stays on the cursor's row", 1000, 0, 0, Move::To, 980, 0, 976, 4},
        {"below zero goes to 0", 4096, 0x200, 0x47, Move::To, -70, 0, 0, 0},
        {"beyond any offset stops at the largest", 100, 0, 0, Move::To, 1e12, 0, 2147483360, 287},
        {"empty document", 0, 0, 0, Move::To, 5, 0, 0, 5},
        {"the scroll bar set by a move does not move the cursor again", 40, 0, 0, Move::To, 31, 0, 0, 31},
        {"scroll bar at the bottom: the last row, same column", 1000, 0, 8, Move::Bar, 32767, 0, 992, 8},
        {"an empty document ignores the scroll bar", 0, 0, 8, Move::Bar, 1000, 0, 0, 8},
        {"row down from row N-2 scrolls one row", 4096, 0, 0x103, Move::Button, 2, 0, 16, 0x103, 0x113},
        {"page down with Shift keeps the anchor", 4096, 0, 5, Move::Button, 3, kShift, 0, 261, 5},
        {"page down past the end in a short window", 1000, 832, 68, Move::Button, 3, 0, 1024, 132, 1156, 0, 320},
        {"no button 4", 4096, 0x200, 0x47, Move::Button, 4, 0, 0x200, 0x47},
        {"wheel: a notch down is three rows", 4096, 0x100, 0x25, Move::Wheel, -1, 0, 0x130, 0x25, 0x155},
        {"offset pane: a digit appended, size + 15 the farthest", 512, 0, 0x20, Move::Offset, 'f', 0, 0x1E0, 0x2F},
        {"offset pane: past size + 15 the first digit goes", 512, 0, 0x21, Move::Offset, '0', 0, 0, 0x10},
        {"offset pane: as many first digits as it takes go", 512, 0x120, 3, Move::Offset, '4', 0, 0x20, 0x14},
        {"left of column 0: the last byte of the row above", 4096, 32, 0, Move::HexClick, 0.49, 0, 32, 31, 63, 37},
        {"a click with Ctrl keeps the anchor", 4096, 32, 0, Move::HexClick, 3.2, kCtrl, 32, 50, 32, 54},
        {"a drag to row 0 keeps page and anchor", 4096, 0x200, 0x100, Move::TextDrag, 5, 0, 0x200, 4, 0x300, 17},
        {"text pane: below the last row, the last row shown", 4096, 0, 0, Move::TextClick, 2, 0, 0, 273, 273, 330},
        {"a click far right and below", 4096, 0, 0, Move::HexClick, inf, 0, 2147483360, 287, 2147483647, inf},
        {"a click at no number", 4096, 0x200, 0, Move::TextClick, nan, 0, 0, 0, 0, nan},
        {"wheel down at the end stops on the last row", 1000, 0x3A0, 0x15, Move::Wheel, -5, 0, 992, 5, 997},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t(std::vector<uint8_t>(static_cast<size_t>(row.size), 0x5A));
        t.ed.services.resizeMainWindow(kStartWidth, static_cast<int>(row.windowHeight));
        t.ed.s.view.pageTop = row.top;
        t.ed.s.view.cursorRel = row.rel;
        t.ed.s.view.selAnchor = row.top + row.rel;
        t.ed.s.typing.nibblePending = true;
        const double x = row.arg * (row.how == Move::HexClick ? t.ed.v.picHex : t.ed.v.PicText).width() / 17;
        switch (row.how) {
        case Move::To: MoveCursor(t.ed, static_cast<int64_t>(row.arg)); break;
        case Move::Button: cmdOff_MouseDown(t.ed, static_cast<int>(row.arg), kLeftButton, row.shift); break;
        case Move::Wheel: Pane_MouseWheel(t.ed, static_cast<int>(row.arg), row.shift); break;
        case Move::Bar: t.ed.v.VScroll.setValue(static_cast<int>(row.arg)); break;
        case Move::Offset: picOffsetval_KeyPress(t.ed, static_cast<int>(row.arg)); break;
        case Move::HexClick: PicHex_MouseDown(t.ed, kLeftButton, row.shift, x, row.y); break;
        case Move::TextClick: PicText_MouseDown(t.ed, kLeftButton, row.shift, x, row.y); break;
        case Move::TextDrag: PicText_MouseMove(t.ed, kLeftButton, row.shift, x, row.y); break;
        }
        EXPECT_EQ(std::pair(t.ed.s.view.pageTop, t.ed.s.view.cursorRel), std::pair(row.wantTop, row.wantRel));
        EXPECT_EQ(t.ed.s.view.selAnchor, row.wantAnchor);
        EXPECT_TRUE(cursorRowShown(t.ed));
        EXPECT_FALSE(t.ed.s.view.scrollBusy);
        EXPECT_EQ(t.ed.s.typing.nibblePending, row.how < Move::HexClick);  // a click ends the byte
    }
}

// Text, radix, relative, cursor -> where a jump goes.
TEST(Jump, Targets) {
    constexpr int64_t kRefused = -1'000'000'000'000;
    const std::tuple<const char*, Radix, bool, int64_t, int64_t> rows[] = {
        {"-10", Radix::Hex, false, 0, 16},               // a minus counts only for relative jumps
        {"0x200", Radix::Dec, false, 0, 0x200},          // 0x makes it hex in Dec
        {"$1F", Radix::Oct, false, 0, 31},               // $ makes it hex in Oct
        {"-$10", Radix::Dec, true, 100, 84},             // minus then $, relative
        {"80000000", Radix::Hex, false, 0, kRefused},    // beyond an offset
        {"7FFFFFFF", Radix::Hex, true, 1, kRefused},     // relative, one past the largest
    };
    for (const auto& [text, radix, relative, cursor, target] : rows)
        EXPECT_EQ(jumpTarget(text, radix, relative, cursor).value_or(kRefused), target) << text;
    EXPECT_EQ(filterForRadix("9A-0 ", Radix::Dec), "90 ");
    EXPECT_EQ(filterForRadix("1A-2", Radix::Hex), "1A-2");
}

bool isRed(Rgb c) { return c.r >= 128 && c.g < 64 && c.b < 64; }

// `size` counting bytes, page at `top`, cursor `rel` below it, `height` pixels high (0: as the window starts); with
// an `entry` for the cursor's byte the text pane shows table letters (UTF-8 if it holds a3), `held` typed, unwritten.
// After a repaint `pane` holds `runs` texts; the cursor's (cell, row or column label, value) reads `text` in `ink`.
// The cursor's mark lies over its cell; the mark of `anchor` shows (`anchorShown`) only when it is on the page.
TEST(Painting, WhatThePanesShow) {
    enum Which { Head, Offset, Hex, Text, Dec, Bits, Percent };
    enum class Ink { Own, Red, Letter, Dim };  // Own: the pane's own colour, or the many-letters one
    struct Row {
        const char* name;
        int size, height, top, rel;
        Which pane;
        size_t runs;
        std::string text;
        Ink ink = Ink::Own;
        std::string entry = {}, held = {};
        int anchor = top + rel;
        bool anchorShown = false;
    };
    const std::string a3 = "\xE3\x81\x82", a15 = a3 + a3 + a3 + a3 + a3, a16(16, 'a');  // a3: a three-byte letter
    const Row rows[] = {
        {"empty document: no offsets", 0, 0, 0, 0, Offset, 0, ""},
        {"empty document: no cells", 0, 0, 0, 0, Hex, 0, ""},
        {"four rows fit; the anchor on row 0 shows", 4096, 77, 0, 63, Hex, 64, "3F", Ink::Own, {}, {}, 0, true},
        {"one pixel less: three rows", 4096, 76, 0, 47, Hex, 48, "2F"},
        {"three of four rows labelled, the cursor's red", 8192, 77, 4096, 0x23, Offset, 3, "00001020", Ink::Red},
        {"the cursor column's header is red", 8192, 0, 4096, 0x23, Head, 16, "03", Ink::Red},
        {"ASCII tilde, the last printable", 256, 0, 0, 0x7E, Text, 256, "~", Ink::Letter},
        {"two table letters, ~ the last printable", 256, 0, 0, 0x41, Text, 256, "A~", Ink::Own, "A~"},
        {"an undrawable last letter", 256, 0, 0, 0x41, Text, 256, "x.", Ink::Dim, std::string("x\x01", 2)},
        {"held letters: red, in the cursor's cell", 256, 0, 0, 0x41, Text, 256, "th", Ink::Red, "c", "th"},
        {"a long entry: its first letter, cut", 256, 0, 0, 0x41, Text, 256, "a\u2026", Ink::Own, a16 + "a"},
        {"a long UTF-8 entry: no character cut in two", 256, 0, 0, 0x41, Text, 256, a3 + "\u2026", Ink::Own, a15 + a3},
        {"byte 7 in decimal", 256, 0, 0, 7, Dec, 1, "007"},
        {"byte A5 in bits", 256, 0, 0, 0xA5, Bits, 1, "1010 0101"},
        {"past the end: no byte value", 3, 0, 0, 3, Dec, 0, ""},
        {"percent", 4, 0, 0, 1, Percent, 1, "33.333"},
        {"anchor above the page: hidden", 4096, 0, 0, 0x25, Hex, 288, "25", Ink::Own, {}, {}, -8},
        {"anchor on the last row", 4096, 77, 0, 0x25, Hex, 64, "25", Ink::Own, {}, {}, 0x3F, true},
        {"anchor below the page: hidden", 4096, 77, 0, 0x25, Hex, 64, "25", Ink::Own, {}, {}, 0x40},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t(test::countingBytes(static_cast<size_t>(row.size)));
        MainView& v = t.ed.v;
        if (row.height > 0) v.picOffset.geom.height = v.picHex.geom.height = v.PicText.geom.height = row.height;
        t.ed.s.view.pageTop = row.top;
        t.ed.s.view.cursorRel = row.rel;
        t.ed.s.view.selAnchor = row.anchor;
        t.ed.s.view.viewMode = !row.entry.empty();
        t.ed.s.table.spellUtf8(row.entry.find(a3) != std::string::npos);
        t.ed.s.table.setLetters(static_cast<uint8_t>(row.top + row.rel), row.entry);
        t.ed.s.typing.typedLetters = row.held;
        RepaintAll(t.ed);
        PlaceMarks(t.ed);
        EXPECT_EQ(v.ShpHex[1].visible, row.anchorShown);
        const Pane* panes[] = {&v.picHead, &v.picOffset, &v.picHex, &v.PicText, &v.picDec, &v.picBinary, &v.picPercent};
        const std::vector<TextRun>& runs = panes[row.pane]->runs();
        EXPECT_EQ(v.PicText.runs().size(), v.picHex.runs().size());
        EXPECT_EQ(runs.size(), row.runs);
        if (runs.size() != row.runs || row.runs == 0) continue;
        const auto rel = static_cast<size_t>(row.rel);
        const Mark& m = v.ShpHex[0];
        const TextRun& cell = v.picHex.runs().at(rel);
        EXPECT_TRUE(m.left <= cell.x && cell.x < m.left + m.width && m.top <= cell.y && cell.y < m.top + m.height);
        const auto& run = runs[row.pane == Head ? rel % 16 : row.pane == Offset ? rel / 16 : row.pane < Dec ? rel : 0];
        EXPECT_EQ(run.text, row.text);
        const Rgb c = run.color, dim = v.PicText.runs()[0].color;
        EXPECT_EQ(v.PicText.runs()[0].text, ".");  // byte 0 has no letter: `dim` is the colour of no letter
        EXPECT_EQ(isRed(c) ? Ink::Red : c == kOneLetterText ? Ink::Letter : c == dim ? Ink::Dim : Ink::Own, row.ink);
    }
}

// Table view through a table with a key of two bytes ("AB" th, "ABC" <ctl>) and one-byte letters (A a, B b,
// C c, D word, E <end> ending strings, F <line> breaking lines; Z has no entry): page at `top`, `starts` chosen,
// `held` letters at the cursor (offset 1) -> the text pane's runs but the "." of Z as "column/row:text" ("~" after
// a narrowed one), each cut where the cells of its key end (never over the next letter).
TEST(Painting, LettersOfLongerKeys) {
    struct Row {
        const char* name;
        std::string bytes;
        int top = 0;
        std::vector<int> starts = {};
        std::string held = {};
        std::string runs;
    };
    const std::string fifteen(15, 'Z');
    const Row rows[] = {
        {"a pair over two cells, then a letter", "ABA", 0, {}, {}, "0/0:th 2/0:a"},
        {"a code wider than its three cells: its sign", "ABCB", 0, {}, {}, "0/0:\u25C6 3/0:b"},
        {"a long one-byte letter: cut and narrowed", "DA", 0, {}, {}, "0/0:w\u2026~ 1/0:a"},
        {"end token and line break: their signs", "EFA", 0, {}, {}, "0/0:\u25A0 1/0:\u21B5 2/0:a"},
        {"a key split by the row end stays on its row", fifteen + "ABA", 0, {}, {}, "15/0:th~ 1/1:a"},
        {"the letter begun above the page is not drawn", fifteen + "ABA", 16, {}, {}, "1/0:a"},
        {"read from here splits the pair", "AB", 0, {1}, {}, "0/0:a 1/0:b"},
        {"held letters take the cursor's cell", "CABA", 0, {}, "xy", "0/0:c 3/0:a 1/0:xy~"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t(std::vector<uint8_t>(row.bytes.begin(), row.bytes.end()));
        const std::tuple<const char*, const char*, EntryKind> entries[] = {
            {"A", "a", EntryKind::Letter},        {"B", "b", EntryKind::Letter},         {"C", "c", EntryKind::Letter},
            {"D", "word", EntryKind::Letter},     {"E", "<end>", EntryKind::EndToken},  {"F", "<line>", EntryKind::LineBreak},
            {"AB", "th", EntryKind::Letter},      {"ABC", "<ctl>", EntryKind::Letter}};
        for (const auto& [key, text, kind] : entries) t.ed.s.table.edit([&](Table& m) { m.set({key, text, kind, 0}); });
        for (const int start : row.starts) t.ed.s.doc.letters.toggleStart(start);
        t.ed.s.view.viewMode = true;
        t.ed.s.view.pageTop = row.top;
        t.ed.s.view.cursorRel = 1;
        t.ed.s.typing.typedLetters = row.held;
        PaintTextPane(t.ed);
        std::string seen;
        const double p = columnPitch(t.ed.v.PicText.width());
        const std::vector<TextRun>& runs = t.ed.v.PicText.runs();
        for (size_t i = 0; i < runs.size(); ++i) {
            const TextRun& run = runs[i];
            if (run.text == ".") continue;
            int col = 0;
            while (col < 16 && columnX(col, p) != run.x) ++col;
            const int rowOnPage = (static_cast<int>(run.y) - 5) / 18;
            seen += (seen.empty() ? "" : " ") + std::to_string(col) + "/" + std::to_string(rowOnPage) + ":" + run.text +
                    (run.narrowed ? "~" : "");
            EXPECT_GT(run.clipWidth, 0) << run.text;  // every letter is held within its cells
            if (i + 1 < runs.size() && runs[i + 1].y == run.y && runs[i + 1].x > run.x) {
                EXPECT_LE(run.x + run.clipWidth, runs[i + 1].x) << run.text;  // never over the next letter
            }
        }
        EXPECT_EQ(seen, row.runs);
    }
}

// What the panes say about the cursor: through a table with a two-byte key ("AB" th) and an end token (E <end>),
// the whole letter the cursor's byte belongs to, also from its second byte; in the "Ascii" view the byte itself.
TEST(PaneSpeech, SaysTheCursorsPlaceAndItsWholeLetter) {
    struct Row {
        const char* name;
        bool table, hexOffsets;
        int cursor;
        std::string hex, text;
    };
    const Row rows[] = {
        {"a pair from its first byte", true, true, 1, "Hex pane, offset 0x1, byte 41", "Table pane, offset 0x1, letter th"},
        {"a pair from its second byte", true, false, 2, "Hex pane, offset 2, byte 42", "Table pane, offset 2, letter th"},
        {"an end token, whole", true, true, 3, "Hex pane, offset 0x3, byte 45", "Table pane, offset 0x3, letter <end>"},
        {"a byte without an entry", true, true, 0, "Hex pane, offset 0x0, byte 5A", "Table pane, offset 0x0, no letter"},
        {"Ascii: the byte's character", false, true, 2, "Hex pane, offset 0x2, byte 42", "Ascii pane, offset 0x2, letter B"},
        {"past the end", true, true, 4, "Hex pane, offset 0x4, past the end", "Table pane, offset 0x4, past the end"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t(std::vector<uint8_t>{'Z', 'A', 'B', 'E'});
        t.ed.s.table.edit([&](Table& m) { m.set({"AB", "th", EntryKind::Letter, 0}); });
        t.ed.s.table.edit([&](Table& m) { m.set({"E", "<end>", EntryKind::EndToken, 0}); });
        t.ed.s.view.viewMode = row.table;
        t.ed.s.view.offsetMode = row.hexOffsets;
        t.ed.s.view.cursorRel = row.cursor;
        EXPECT_EQ(hexPaneSpeech(t.ed.s), row.hex);
        EXPECT_EQ(textPaneSpeech(t.ed.s), row.text);
    }
}

}  // namespace
}  // namespace tarpon
