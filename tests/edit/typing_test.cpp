#include "edit/text_input.h"

#include <gtest/gtest.h>

#include <map>

#include "edit/hex_input.h"
#include "test_editor.h"
#include "view/cursor.h"

namespace tarpon {
namespace {

// `keys` typed from `cursor` on, in the hex pane ('<' and '>' are the arrow keys, anything else
// a key that types its character) or in the text pane (UTF-8); `abandoned`: the hex pane then
// takes the keyboard. The bytes written (all others stay 0xEE), where the cursor and the anchor
// end, on the page, and what still waits: a hex digit, or table letters.
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
        {"t of th waits", L, worked, true, 256, 100, "t", {}, 100, "t"},
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
        {"ASCII: control codes are written as typed", Pane::Ascii, {}, false, 5, 0, "\b\r\x1B",
         {{0, 8}, {1, 13}, {2, 27}}, 3, ""},
        {"ASCII: beyond Latin-1 ignored, nothing past the end", Pane::Ascii, {}, false, 2, 0, "\u00FF\u20ACAB",
         {{0, 0xFF}, {1, 'A'}}, 2, ""},
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
        ASSERT_EQ(t.ed.s.fileSize, row.size);
        for (int at = 0; at < row.size; ++at)
            EXPECT_EQ(t.ed.s.fileData[static_cast<size_t>(at)], row.written.contains(at) ? row.written.at(at) : 0xEE)
                << "at " << at;
        EXPECT_EQ(t.ed.s.cursor(), row.endCursor);
        EXPECT_EQ(t.ed.s.selAnchor, row.endCursor);
        EXPECT_TRUE(cursorRowShown(t.ed));
        EXPECT_EQ(row.pane != H ? t.ed.s.typedLetters : t.ed.s.nibblePending ? "digit" : "", row.waiting);
    }
}

}  // namespace
}  // namespace tarpon
