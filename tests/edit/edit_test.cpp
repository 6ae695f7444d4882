// Changes to the document (typing, value panes, insert and delete) and taking them back.
#include "edit/undo.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/document.h"
#include "app/file_commands.h"
#include "app/menu_commands.h"
#include "edit/hex_input.h"
#include "edit/insert_delete.h"
#include "edit/text_input.h"
#include "edit/value_input.h"
#include "test_editor.h"
#include "view/cursor.h"

namespace tarpon {
namespace {

// `keys` typed from `cursor` on, in the hex pane ('<' and '>' are the arrow keys, anything else a key that types
// its character) or in the text pane (UTF-8); `abandoned`: the hex pane then takes the keyboard. The bytes written
// (all others stay 0xEE), where the cursor and the anchor end, on the page, and what still waits: digit or letters.
TEST(Typing, HexDigitsAndLongestMatchLetters) {
    enum class Pane { Hex, Ascii, Latin1Table, Utf8Table };
    using Table = std::map<int, std::string>;  // byte -> letters
    struct Row {
        const char* name;
        Pane pane;
        Table table;
        bool multi;
        int size, cursor;
        const char* keys;
        std::map<int, int> written;
        int endCursor;
        std::string waiting;
        bool abandoned = false;
    };
    const Table worked = {{0x54, "t"}, {0x68, "h"}, {0x80, "th"}, {0x65, "e"}};
    const Table the = {{0x74, "t"}, {0x68, "h"}, {0x65, "e"}, {0x78, "x"}, {0xC0, "the"},
                       {0x61, "a"}, {0x62, "b"}, {0x64, "d"}, {0xC1, "abc"}};
    const Pane H = Pane::Hex, L = Pane::Latin1Table;
    const Row rows[] = {
        {"hex: one digit goes into the low nibble and waits", H, {}, false, 3, 0, "1", {{0, 0xE1}}, 0, "digit"},
        {"hex: a non-key character keeps the waiting digit", H, {}, false, 3, 0, "aZ7", {{0, 0xA7}}, 1, ""},
        {"hex: an arrow ends the byte", H, {}, false, 3, 2, "5<>9", {{2, 0x59}}, 2, "digit"},
        {"hex: the last byte steps past the end, nothing typed there", H, {}, false, 3, 2, "1144", {{2, 0x11}}, 3, ""},
        {"hex: the next byte below the page, the page scrolls", H, {}, false, 4096, 287, "42", {{287, 0x42}}, 288, ""},
        {"thte: th, then t and e", L, worked, true, 256, 100, "thte", {{100, 0x80}, {101, 0x54}, {102, 0x65}}, 103, ""},
        {"no Multi Letters: a letter replaces the last", L, worked, false, 256, 100, "th", {{100, 0x68}}, 101, ""},
        {"two equal entries: the higher byte", L, {{0x20, " "}, {0xFF, " "}, {0x61, "a"}}, true, 256, 0, " a",
         {{0, 0xFF}, {1, 0x61}}, 2, ""},
        {"th waits for the e of the", L, the, true, 256, 0, "th", {}, 0, "th"},
        {"thexabd: the, x, then a, b and d taken again", L, the, true, 256, 0, "thexabd",
         {{0, 0xC0}, {1, 0x78}, {2, 0x61}, {3, 0x62}, {4, 0x64}}, 5, ""},
        {"abxy: ab; x begins nothing and goes, y stays", L, {{0x90, "ab"}, {0x91, "abxd"}, {0x79, "y"}}, true, 256, 0,
         "abxy", {{0, 0x90}, {1, 0x79}}, 2, ""},
        {"nothing is typed past the end", L, worked, true, 4, 3, "tee", {{3, 0x54}}, 4, ""},
        {"abandoned th towards the: t, then h", L, the, true, 256, 3, "th", {{3, 0x74}, {4, 0x68}}, 5, "", true},
        {"abandoned at the last byte: the rest is dropped", L, the, true, 4, 3, "th", {{3, 0x74}}, 4, "", true},
        {"UTF-8 table: an unknown character goes whole", Pane::Utf8Table,
         {{0x41, "\u3042"}, {0xC0, "\u3042\u3044"}, {0x43, "\u304B"}}, true, 256, 0, "\u3046\u3042\u304B",
         {{0, 0x41}, {1, 0x43}}, 2, ""},
        {"ASCII: control codes as typed, beyond Latin-1 ignored, nothing past the end", Pane::Ascii, {}, false, 5, 0,
         "\b\r\x1B\u00FF\u20ACAB", {{0, 8}, {1, 13}, {2, 27}, {3, 0xFF}, {4, 'A'}}, 5, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t;
        t.setDocument(std::vector<uint8_t>(static_cast<size_t>(row.size), 0xEE));
        t.ed.s.cursorRel = t.ed.s.selAnchor = row.cursor;
        for (const auto& [b, letters] : row.table) t.ed.s.charTable[static_cast<size_t>(b)] = letters;
        t.ed.s.viewMode = row.pane == L || row.pane == Pane::Utf8Table;
        t.ed.s.tableUtf8 = row.pane == Pane::Utf8Table;
        t.ed.s.multiLetters = row.multi;
        for (const char* k = row.keys; *k && row.pane == H; ++k) {
            const bool arrow = *k == '<' || *k == '>';
            PicHex_KeyDown(t.ed, arrow ? (*k == '<' ? int{kKeyLeft} : int{kKeyRight}) : *k, 0);
            if (!arrow) PicHex_KeyPress(t.ed, *k);
        }
        if (row.pane != H) PicText_TypeCharacter(t.ed, row.keys);
        if (row.abandoned) PicHex_GotFocus(t.ed);
        std::vector<uint8_t> expected(static_cast<size_t>(row.size), 0xEE);
        for (const auto& [at, b] : row.written) expected[static_cast<size_t>(at)] = static_cast<uint8_t>(b);
        EXPECT_EQ(t.document(), expected);
        EXPECT_EQ(t.ed.s.cursor(), row.endCursor);
        EXPECT_EQ(t.ed.s.selAnchor, row.endCursor);
        EXPECT_TRUE(cursorRowShown(t.ed));
        EXPECT_EQ(row.pane != H ? t.ed.s.typedLetters : t.ed.s.nibblePending ? "digit" : "", row.waiting);
    }
}

using Bytes = std::vector<uint8_t>;

// Insert: `text` bytes (hex) of `fill`; Letters: through a table with a, b, d and abc;
// Bit: a click at x = `text` in the binary pane.
enum class Op { Hex, Letters, Dec, Oct, Bit, Insert, Delete, Undo, Save };
struct Edit {
    Op op;
    int at = 0;  // where the cursor is put first
    const char* text = "";
    const char* fill = "AA";
};

void apply(test::TestEditor& t, const Edit& e) {
    if (e.op == Op::Undo) return Undo(t.ed);
    if (e.op == Op::Save) return static_cast<void>(SaveDocument(t.ed));
    t.ed.s.selAnchor = e.at;
    MoveCursor(t.ed, e.at);
    t.ed.s.viewMode = t.ed.s.multiLetters = e.op == Op::Letters;
    switch (e.op) {
    case Op::Hex: for (const char* k = e.text; *k; ++k) PicHex_KeyPress(t.ed, *k); break;
    case Op::Dec: for (const char* k = e.text; *k; ++k) picDec_KeyPress(t.ed, *k); break;
    case Op::Oct: for (const char* k = e.text; *k; ++k) picOct_KeyPress(t.ed, *k); break;
    case Op::Bit: picBinary_MouseDown(t.ed, kLeftButton, 0, std::stod(e.text), 5); break;
    case Op::Insert: InsertBytes(t.ed, {e.text, true, e.fill, true}); break;
    case Op::Delete: DeleteByte(t.ed); break;
    default: PicText_TypeCharacter(t.ed, e.text); break;
    }
}

// A document loaded from a file gets some edits; `steps` lists what Undo takes back one at a time: the document
// after the step and its first byte, where Undo and Redo put the cursor. The document is unmodified exactly at the
// step it was saved after (0: as loaded). Undo walks back, Redo forward, and loading the file again forgets it all.
TEST(Undo, Sessions) {
    struct Step {
        Bytes after;
        int64_t first;
    };
    struct Row {
        const char* name;
        Bytes start;
        std::vector<Edit> edits;
        std::vector<Step> steps;
        size_t savedAfter = 0;
        size_t messages = 0;
    };
    const Bytes c4 = {0, 1, 2, 3};
    Bytes largest = {0, 1};  // a four-byte document grown to one byte below the size limit
    largest.resize(static_cast<size_t>(kMaxFileSize - 3), 0xAA);
    largest.insert(largest.end(), {2, 3});
    const Row rows[] = {
        {"two digits, one step", c4, {{Op::Hex, 0, "4142"}}, {{{0x41, 1, 2, 3}, 0}, {{0x41, 0x42, 2, 3}, 1}}},
        {"a byte typed again after moving back is a new step", c4, {{Op::Hex, 0, "12"}, {Op::Hex, 0, "34"}},
         {{{0x12, 1, 2, 3}, 0}, {{0x34, 1, 2, 3}, 0}}},
        {"decimal 25 then 6: above 255, the first digit goes", {25}, {{Op::Dec, 0, "6"}}, {{{56}, 0}}},
        {"decimal 255 then 3: a fourth digit pushes out the first", {255}, {{Op::Dec, 0, "3"}}, {{{53}, 0}}},
        {"octal 37 then 7 is 377", {037}, {{Op::Oct, 0, "7"}}, {{{0377}, 0}}},
        {"a digit past the end writes nothing", c4, {{Op::Dec, 4, "1"}, {Op::Oct, 4, "1"}, {Op::Bit, 4, "2"}}, {}},
        {"bit 4, the last of the left group", {0x5A}, {{Op::Bit, 0, "23"}}, {{{0x4A}, 0}}},
        {"bit 3, the first of the right group", {0x5A}, {{Op::Bit, 0, "28"}}, {{{0x52}, 0}}},
        {"no bit between the groups, right of bit 0, left of bit 7", {0x5A},
         {{Op::Bit, 0, "26"}, {Op::Bit, 0, "52"}, {Op::Bit, 0, "-4"}}, {}},
        {"one letter that writes three bytes is one step", c4, {{Op::Letters, 1, "abd"}}, {{{0, 0x61, 0x62, 0x64}, 1}}},
        {"insert three in the middle", c4, {{Op::Insert, 2, "3"}}, {{{0, 1, 0xAA, 0xAA, 0xAA, 2, 3}, 2}}},
        {"insert one past the end, one byte: zero", c4, {{Op::Insert, 4, "1"}}, {{{0, 1, 2, 3, 0}, 4}}},
        {"insert one past the end, two bytes: filled", c4, {{Op::Insert, 4, "2"}}, {{{0, 1, 2, 3, 0xAA, 0xAA}, 4}}},
        {"insert further past the end: filled from the cursor on", c4, {{Op::Insert, 6, "4"}},
         {{{0, 1, 2, 3, 0, 0, 0xAA, 0xAA}, 4}}},
        {"insert into an empty document, 1FF: low byte", {}, {{Op::Insert, 0, "3", "1FF"}}, {{{0xFF, 0xFF, 0xFF}, 0}}},
        {"the largest document that still loads", c4, {{Op::Insert, 2, "8FFFFB"}}, {{largest, 2}}},
        {"one byte more would reach the size limit: refused", c4, {{Op::Insert, 2, "8FFFFC"}}, {}, 0, 1},
        {"delete the first and the last byte", c4, {{Op::Delete, 0}, {Op::Delete, 2}}, {{{1, 2, 3}, 0}, {{1, 2}, 2}}},
        {"delete past the end: nothing", c4, {{Op::Delete, 4}}, {}},
        {"delete in an empty document: nothing", {}, {{Op::Delete, 0}}, {}},
        {"undo to the saved state is unmodified, past it modified", c4,
         {{Op::Hex, 0, "aa"}, {Op::Save}, {Op::Hex, 1, "bb"}}, {{{0xAA, 1, 2, 3}, 0}, {{0xAA, 0xBB, 2, 3}, 1}}, 1},
        {"a new change drops what could be redone", c4, {{Op::Hex, 0, "aa"}, {Op::Undo}, {Op::Hex, 0, "cc"}},
         {{{0xCC, 1, 2, 3}, 0}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TempDir dir;
        const std::string path = dir.file("doc.bin");
        test::writeBytes(path, row.start);
        test::TestEditor t(path);
        for (auto [b, e] : {std::pair{0x61, "a"}, {0x62, "b"}, {0x64, "d"}, {0xC1, "abc"}}) t.ed.s.charTable[b] = e;
        for (const Edit& e : row.edits) apply(t, e);
        EXPECT_EQ(t.services.messages.size(), row.messages);
        const size_t n = row.steps.size();
        auto state = [&](size_t k) { return k == 0 ? row.start : row.steps[k - 1].after; };
        auto offered = [&](int item) {  // by the Edit menu
            RefreshEditMenu(t.ed);
            return t.ed.v.menus[kMenuEdit].items[item].enabled;
        };
        ASSERT_EQ(t.document(), state(n));
        EXPECT_EQ(t.ed.s.modified(), n != row.savedAfter);
        EXPECT_TRUE(offered(kEditUndo) == (n > 0) && !offered(kEditRedo));
        for (size_t k = n; k > 0; --k) {
            Undo(t.ed);
            EXPECT_EQ(t.document(), state(k - 1)) << "undo " << k;
            EXPECT_EQ(t.ed.s.cursor(), row.steps[k - 1].first) << "undo " << k;
            EXPECT_EQ(t.ed.s.modified(), k - 1 != row.savedAfter) << "undo " << k;
            EXPECT_TRUE(offered(kEditUndo) == (k > 1) && offered(kEditRedo)) << "undo " << k;
        }
        Undo(t.ed);  // nothing left to undo
        for (size_t k = 1; k <= n; ++k) {
            Redo(t.ed);
            EXPECT_EQ(t.document(), state(k)) << "redo " << k;
            EXPECT_EQ(t.ed.s.cursor(), row.steps[k - 1].first) << "redo " << k;
            EXPECT_EQ(t.ed.s.modified(), k != row.savedAfter) << "redo " << k;
        }
        LoadFile(t.ed, path);
        EXPECT_FALSE(t.ed.s.history.canUndo() || t.ed.s.modified());
        EXPECT_EQ(t.document(), state(row.savedAfter));
    }
}

}  // namespace
}  // namespace tarpon
