// Changes to the document (typing, value panes, insert and delete) and taking them back.
#include "edit/undo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>

#include "app/document.h"
#include "app/file_commands.h"
#include "app/menu_commands.h"
#include "edit/hex_input.h"
#include "edit/insert_delete.h"
#include "edit/text_input.h"
#include "edit/text_pane.h"
#include "edit/value_input.h"
#include "test_editor.h"
#include "view/cursor.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;

// Hex: keys, '<' and '>' the arrows; Ascii, Letters (the table), OneLetter (no Multi Letters), Utf8 (a UTF-8
// table): typed into the text pane; Bit: a click at x = `text`; Insert: `text` bytes (hex) of 1AA: low byte AA.
enum class Op { Hex, Ascii, Letters, OneLetter, Utf8, Dec, Oct, Bit, Insert, Delete, Undo, Save };
struct Edit {
    Op op;
    int at = 0;  // the cursor and the anchor are put here first, the page left at the top
    const char* text = "";
};

int64_t firstDifference(const Bytes& a, const Bytes& b) { return std::ranges::mismatch(a, b).in1 - a.begin(); }

void apply(test::TestEditor& t, const Edit& e) {
    t.ed.s.view.cursorRel = t.ed.s.view.selAnchor = e.at;
    t.ed.s.view.viewMode = e.op == Op::Letters || e.op == Op::OneLetter || e.op == Op::Utf8;
    t.ed.s.typing.multiLetters = e.op != Op::OneLetter;
    t.ed.s.table.spellUtf8(e.op == Op::Utf8);
    for (const char* k = e.text; *k && e.op == Op::Hex; ++k)
        if (!PicHex_KeyDown(t.ed, *k == '<' ? +kKeyLeft : *k == '>' ? +kKeyRight : *k, 0)) PicHex_KeyPress(t.ed, *k);
    switch (e.op) {
    case Op::Hex: break;  // typed above
    case Op::Dec: for (const char* k = e.text; *k; ++k) picDec_KeyPress(t.ed, *k); break;
    case Op::Oct: for (const char* k = e.text; *k; ++k) picOct_KeyPress(t.ed, *k); break;
    case Op::Bit: picBinary_MouseDown(t.ed, kLeftButton, 0, std::stod(e.text), 5); break;
    case Op::Insert: InsertBytes(t.ed, {e.text, true, "1AA", true}); break;
    case Op::Delete: DeleteByte(t.ed); break;
    case Op::Undo: Undo(t.ed); break;
    case Op::Save: SaveDocument(t.ed); break;
    default:  // the text pane; Backspace goes to its key handler first
        for (std::string_view rest = e.text; !rest.empty();) {
            const size_t piece = rest[0] == '\b' ? 1 : std::min(rest.find('\b'), rest.size());
            if (rest[0] != '\b' || !PicText_KeyDown(t.ed, kKeyBackspace, 0)) PicText_TypeCharacter(t.ed, rest.substr(0, piece));
            rest.remove_prefix(piece);
        }
        break;
    }
}

// One edit in `size` bytes 0xEE, then maybe the hex pane takes the keyboard: the bytes written from the cursor on
// and what waits (a digit or letters). Cursor and anchor end past the last byte written, or on it if a digit waits.
TEST(Typing, HexDigitsAndLongestMatchLetters) {
    using enum Op;
    using Table = std::map<int, std::string>;  // byte -> letters
    struct Row {
        const char* name;
        Table table;
        int size;
        Edit edit;
        Bytes written;
        std::string waiting;
        bool abandoned = false;
        std::map<std::string, std::string> longKeys = {};  // keys of two bytes or more -> letters
        std::string message = "";
    };
    const Table worked = {{0x54, "t"}, {0x68, "h"}, {0x80, "th"}, {0x65, "e"}};
    const std::map<std::string, std::string> pairs = {{"\x81\x40", "th"}, {"\x81\x41", "e"}};
    const Table the = {{0x74, "t"}, {0x68, "h"}, {0x65, "e"}, {0x78, "x"}, {0xC0, "the"},
                       {0x61, "a"}, {0x62, "b"}, {0x64, "d"}, {0xC1, "abc"}};
    const Row rows[] = {
        {"hex: one digit goes into the low nibble and waits", {}, 3, {Hex, 0, "1"}, {0xE1}, "digit"},
        {"hex: a non-key character keeps the waiting digit", {}, 3, {Hex, 0, "aZ7"}, {0xA7}, ""},
        {"hex: an arrow ends the byte", {}, 3, {Hex, 2, "5<>9"}, {0x59}, "digit"},
        {"hex: the last byte steps past the end, nothing typed there", {}, 3, {Hex, 2, "1144"}, {0x11}, ""},
        {"hex: the next byte below the page, the page scrolls", {}, 4096, {Hex, 287, "42"}, {0x42}, ""},
        {"thte: th, then t and e", worked, 256, {Letters, 100, "thte"}, {0x80, 0x54, 0x65}, ""},
        {"no Multi Letters: each letter that is an entry is written at once", worked, 256, {OneLetter, 100, "tah"},
         {0x54, 0x68}, ""},
        {"two equal entries: the higher byte", {{0x20, " "}, {0xFF, " "}}, 256, {Letters, 0, " a"}, {0xFF}, ""},
        {"th waits for the e of the", the, 256, {Letters, 0, "th"}, {}, "th"},
        {"thexabd: the, x; abd as a, b, d", the, 256, {Letters, 0, "thexabd"}, {0xC0, 0x78, 0x61, 0x62, 0x64}, ""},
        {"abxy: ab; x begins nothing and goes, y stays", {{0x90, "ab"}, {0x91, "abxd"}, {0x79, "y"}}, 256,
         {Letters, 0, "abxy"}, {0x90, 0x79}, ""},
        {"nothing is typed past the end", worked, 4, {Letters, 3, "tee"}, {0x54}, ""},
        {"abandoned th towards the: t, then h", the, 256, {Letters, 3, "th"}, {0x74, 0x68}, "", true},
        {"Backspace takes back the last held letter", the, 256, {Letters, 0, "th\bx"}, {0x74, 0x78}, ""},
        {"abandoned at the last byte: the rest is dropped", the, 4, {Letters, 3, "th"}, {0x74}, "", true},
        {"UTF-8 table: an unknown character goes whole", {{0x41, "\u3042"}, {0xC0, "\u3042\u3044"}, {0x43, "\u304B"}},
         256, {Utf8, 0, "\u3046\u3042\u304B"}, {0x41, 0x43}, ""},
        {"ASCII: control codes as typed, beyond Latin-1 ignored, nothing past the end", {}, 5,
         {Ascii, 0, "\b\r\x1B\u00FF\u20ACAB"}, {8, 13, 27, 0xFF, 'A'}, ""},
        {"two-byte keys: th waits for t to end, e at once", {{0x74, "t"}, {0x68, "h"}}, 256, {Letters, 0, "thet"},
         {0x81, 0x40, 0x81, 0x41}, "t", false, pairs},
        {"a two-byte key and a one-byte key with the same letters: the higher key", {{0x65, "e"}}, 256,
         {OneLetter, 0, "e"}, {0x81, 0x41}, "", false, pairs},
        {"no Multi Letters: a two-byte pair alone is no letter, e is", {}, 256, {OneLetter, 0, "te"}, {0x81, 0x41},
         "", false, pairs},
        {"a UTF-8 letter of a two-byte key", {{0x41, "\u3042"}}, 256, {Utf8, 0, "\u3044\u3042"}, {0x82, 0xA2, 0x41},
         "", false, {{"\x82\xA2", "\u3044"}}},
        {"a two-byte key at the last byte writes nothing and says so", {{0x78, "x"}}, 4, {Letters, 3, "ex"}, {0x78}, "",
         false, pairs, "\"e\" takes 2 bytes, but only 1 byte is left before the end of the document: nothing was written."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Bytes expected(static_cast<size_t>(row.size), 0xEE);
        test::TestEditor t(expected);
        t.ed.s.table.spellUtf8(row.edit.op == Op::Utf8);  // the letters below are spelled so
        for (const auto& [b, letters] : row.table) t.ed.s.table.setLetters(static_cast<size_t>(b), letters);
        for (const auto& [key, letters] : row.longKeys)
            t.ed.s.table.edit([&](tarpon::Table& m) { m.set({key, letters}); });
        apply(t, row.edit);
        if (row.abandoned) PicHex_GotFocus(t.ed);
        std::copy(row.written.begin(), row.written.end(), expected.begin() + row.edit.at);
        const int64_t end = row.edit.at + std::ssize(row.written) - (row.waiting == "digit");
        const std::string waiting = row.edit.op == Hex ? (t.ed.s.typing.nibblePending ? "digit" : "") : t.ed.s.typing.typedLetters;
        EXPECT_EQ(std::tuple(t.document(), t.ed.s.cursor(), int64_t{t.ed.s.view.selAnchor}, cursorRowShown(t.ed), waiting),
                  std::tuple(expected, end, end, true, row.waiting));
        EXPECT_EQ(t.services.messages, row.message.empty() ? std::vector<std::string>{} : std::vector{row.message});
    }
}

// A document loaded from a file gets some edits (Letters through a table with a, b, d and abc); `docs`: as loaded,
// then after each step that Undo takes back and Redo does again, either putting the cursor on the step's first
// changed byte. Unmodified exactly at step `savedAfter`; loading the file again forgets it all.
TEST(Undo, Sessions) {
    using enum Op;
    struct Row {
        const char* name;
        std::vector<Edit> edits;
        std::vector<Bytes> docs;
        size_t savedAfter = 0;
        size_t messages = 0;
    };
    const Bytes c4 = {0, 1, 2, 3};
    const Row rows[] = {
        {"a typing run is one step; a move ends it", {{Hex, 0, "4142<>43"}, {Ascii, 3, "z"}, {Ascii, 2, "xy"}},
         {c4, {0x41, 0x42, 2, 3}, {0x41, 0x42, 0x43, 3}, {0x41, 0x42, 0x43, 'z'}, {0x41, 0x42, 'x', 'y'}}},
        {"one byte typed twice: two steps", {{Hex, 0, "12"}, {Hex, 0, "34"}}, {c4, {0x12, 1, 2, 3}, {0x34, 1, 2, 3}}},
        {"decimal 25 then 6: above 255, the first digit goes", {{Dec, 0, "6"}}, {{25}, {56}}},
        {"decimal 255 then 3: a fourth digit pushes out the first", {{Dec, 0, "3"}}, {{255}, {53}}},
        {"octal 37 then 7 is 377", {{Oct, 0, "7"}}, {{037}, {0377}}},
        {"a digit past the end writes nothing", {{Dec, 4, "1"}, {Oct, 4, "1"}, {Bit, 4, "2"}}, {c4}},
        {"bits 4 and 3, either side of the gap", {{Bit, 0, "23"}, {Bit, 0, "28"}}, {{0x5A}, {0x4A}, {0x42}}},
        {"no bit between the groups or outside them", {{Bit, 0, "26"}, {Bit, 0, "52"}, {Bit, 0, "-4"}}, {{0x5A}}},
        {"one letter that writes three bytes is one step", {{Letters, 1, "abd"}}, {c4, {0, 0x61, 0x62, 0x64}}},
        {"two letters of two-byte keys typed in a run: one step", {{Letters, 0, "xx"}}, {c4, {0x81, 0x40, 0x81, 0x40}}},
        {"insert three in the middle", {{Insert, 2, "3"}}, {c4, {0, 1, 0xAA, 0xAA, 0xAA, 2, 3}}},
        {"just past the end one byte stays zero, two are filled", {{Insert, 4, "1"}, {Insert, 5, "2"}},
         {c4, {0, 1, 2, 3, 0}, {0, 1, 2, 3, 0, 0xAA, 0xAA}}},
        {"a gap past the end: zero, then filled", {{Insert, 6, "4"}}, {c4, {0, 1, 2, 3, 0, 0, 0xAA, 0xAA}}},
        {"the largest document that loads, from none", {{Insert, 0, "8FFFFF"}}, {{}, Bytes(kMaxFileSize - 1, 0xAA)}},
        {"one byte more would reach the size limit: refused", {{Insert, 4, "8FFFFC"}}, {c4}, 0, 1},
        {"delete first, last, then past the end", {{Delete, 0}, {Delete, 2}, {Delete, 2}}, {c4, {1, 2, 3}, {1, 2}}},
        {"delete in an empty document: nothing", {{Delete, 0}}, {Bytes{}}},
        {"undo to the saved state is unmodified, past it modified", {{Hex, 0, "aa"}, {Save}, {Hex, 1, "bb"}},
         {c4, {0xAA, 1, 2, 3}, {0xAA, 0xBB, 2, 3}}, 1},
        {"a new change drops what could be redone", {{Hex, 0, "aa"}, {Undo}, {Hex, 0, "cc"}}, {c4, {0xCC, 1, 2, 3}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const test::TempDir dir;
        test::writeBytes(dir.file("doc"), row.docs[0]);
        test::TestEditor t(dir.file("doc"));
        for (auto [b, e] : {std::pair{0x61, "a"}, {0x62, "b"}, {0x64, "d"}, {0xC1, "abc"}}) t.ed.s.table.setLetters(b, e);
        t.ed.s.table.edit([&](tarpon::Table& m) { m.set({"\x81\x40", "x"}); });
        for (const Edit& e : row.edits) apply(t, e);
        EXPECT_EQ(t.services.messages.size(), row.messages);
        const size_t n = row.docs.size() - 1;
        auto now = [&] {  // the document, modified, Undo and Redo offered
            RefreshEditMenu(t.ed);
            const auto& items = t.ed.v.menus[kMenuEdit].items;
            return std::tuple(t.document(), t.ed.s.modified(), items[kEditUndo].enabled, items[kEditRedo].enabled);
        };
        auto at = [&](size_t k) { return std::tuple(row.docs[k], k != row.savedAfter, k > 0, k < n); };
        ASSERT_EQ(now(), at(n));
        for (size_t k = n; k > 0; --k) {
            tarpon::Undo(t.ed);
            EXPECT_EQ(now(), at(k - 1)) << "undo " << k;
            EXPECT_EQ(t.ed.s.cursor(), firstDifference(row.docs[k - 1], row.docs[k])) << "undo " << k;
        }
        tarpon::Undo(t.ed);  // nothing left to undo
        for (size_t k = 1; k <= n; ++k) {
            Redo(t.ed);
            EXPECT_EQ(now(), at(k)) << "redo " << k;
            EXPECT_EQ(t.ed.s.cursor(), firstDifference(row.docs[k - 1], row.docs[k])) << "redo " << k;
        }
        LoadFile(t.ed, dir.file("doc"));
        EXPECT_EQ(now(), std::tuple(row.docs[row.savedAfter], false, false, false));
    }
}

}  // namespace
}  // namespace tarpon
