#include "search/find.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <set>
#include <tuple>

#include "app/menu_commands.h"
#include "edit/undo.h"
#include "search/pointers.h"
#include "search/replace.h"
#include "search/reference_scan.h"
#include "search/ring_search.h"
#include "test_editor.h"
#include "view/cursor.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;
using K = PatternKind;

// Search text and wild card -> the bytes searched for and the wild card byte, or nothing.
TEST(BuildPattern, TextToBytesAndWildcard) {
    CharTable table{};
    const std::pair<int, std::string> entries[] = {
        {0x10, "th"}, {0x20, "t"}, {0x30, "e"}, {0x31, "e"}, {0x40, "*"}, {0x50, "?!"}, {0x51, "\xE9"},
        {0x11, "\xE3\x81\x82"}, {0x21, "\xE3\x81\x82\xE3\x81\x84"}, {0x32, "\xC3\xA9"},  // UTF-8 あ, あい, é
        {0x60, "\xE6\x97\xA5\xE6\x9C\xAC"},                                                   // 日本
    };
    for (const auto& [code, letters] : entries) table[static_cast<size_t>(code)] = letters;
    struct Row {
        const char* name;
        K kind;
        bool utf8;  // the table's letters are UTF-8
        std::string text, wildcard;
        std::optional<Bytes> pattern;
        int32_t wildcardByte = -1;
        std::vector<Bytes> others = {};  // the other spellings of a Table text
    };
    const Row rows[] = {
        {"ascii bytes above 0x7F unsigned; wild card: its first character", K::Ascii, false, "\xE9\xFF?", "?x",
         Bytes{0xE9, 0xFF, '?'}, '?'},
        {"ascii is never UTF-8, whatever the table", K::Ascii, true, "\xC3\xA9", "", Bytes{0xC3, 0xA9}},
        {"empty text: nothing to search", K::Ascii, false, "", "?", std::nullopt},
        {"hex list, a trailing blank ignored, wild card 256 none", K::Hex, false, "41 42 ", "100", Bytes{0x41, 0x42}},
        {"hex digits A to F and a to f; g is none: reading stops", K::Hex, false, "Af aF 4g 4G zz", "",
         Bytes{0xAF, 0xAF, 0x04, 0x04, 0x00}},
        {"hex: the low byte, exact if long", K::Hex, false, "1FF 123456789ABCDEF0123456789A", "", Bytes{0xFF, 0x9A}},
        {"tab and newline inside a number are passed over", K::Hex, false, "4\t1 4\n2", "", Bytes{0x41, 0x42}},
        {"two blanks end the list", K::Hex, false, "41  42", "", Bytes{0x41}},
        {"a leading blank empties the list", K::Hex, false, " 41 42", "", std::nullopt},
        {"decimal: modulo 256, ties to even, minus as 0", K::Dec, false, "300 66.5 1e3 -5", "", Bytes{44, 66, 232, 0}},
        {"octal list, 8 is no octal digit, wild card 377", K::Oct, false, "101 18", "377", Bytes{0x41, 1}, 0xFF},
        {"table: t as t (not th), e either way, x no entry: 0", K::Table, false, "tex", "*", Bytes{0x20, 0x30, 0}, 0x40,
         {{0x20, 0x31, 0}}},
        {"table: a letter that only begins an entry is that entry", K::Table, false, "h\xE9", "", Bytes{0, 0x51}},
        {"table wild card that is no entry: its code", K::Table, false, "e?", "?", Bytes{0x30, 0x50}, '?',
         {{0x31, 0x50}}},
        {"UTF-8: longest entry first, wild card an entry", K::Table, true, "\xC3\xA9\xE3\x81\x82\xE3\x81\x84",
         "\xE3\x81\x82", Bytes{0x32, 0x21}, 0x11},
        {"UTF-8: first entry starting, else 0; a stray byte is one character", K::Table, true,
         "\xE6\x97\xA5\xE3\x81\x84x\xE9*", "", Bytes{0x60, 0, 0, 0x51, 0x40}},
        {"UTF-8 wild card below U+0100: its code", K::Table, true, "*", "\xC3\xBC", Bytes{0x40}, 0xFC},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto r = buildPattern(row.kind, row.text, row.wildcard, table, row.utf8);
        ASSERT_EQ(r.has_value(), row.pattern.has_value());
        if (!r) continue;
        EXPECT_EQ(std::tuple(r->pattern, r->wildcard, r->otherSpellings),
                  std::tuple(*row.pattern, row.wildcardByte, row.others));
    }
}

// A Table text through a table with keys of any length -> every spelling, in order, and whether there are more.
TEST(BuildPattern, TableTextInEverySpelling) {
    using E = TableEntry;
    struct Row {
        const char* name;
        std::vector<E> entries;
        std::string text;
        std::vector<Bytes> spellings;  // all of them; or, with `count`, the first
        size_t count = 0;
        bool more = false;
    };
    const std::vector<E> letters = {{"c", "c"}, {"r", "r"}, {"y", "y"}, {"s", "s"}};
    std::vector<E> pairs = letters;
    pairs.insert(pairs.end(), {{"\x81\x41", "cr"}, {"\x81\x42", "ys"}});
    const std::vector<E> twoEs = {{"\x01", "a"}, {"\x02", "a"}};
    const Row rows[] = {
        {"letter by letter and in two-byte pairs, the longest entries first", pairs, "crys",
         {{0x81, 0x41, 0x81, 0x42}, {0x81, 0x41, 'y', 's'}, {'c', 'r', 0x81, 0x42}, {'c', 'r', 'y', 's'}}},
        {"one-byte pair keys", {{"\x01", "a"}, {"\x02", "b"}, {"\x10", "ab"}}, "abab",
         {{0x10, 0x10}, {0x10, 1, 2}, {1, 2, 0x10}, {1, 2, 1, 2}}},
        {"equally long: the shorter key first, then the lower", {{"\x31", "e"}, {"\x81\x30", "e"}, {"\x30", "e"}}, "e",
         {{0x30}, {0x31}, {0x81, 0x30}}},
        {"an entry after which the rest cannot be spelled is passed over",
         {{"\x01", "ab"}, {"\x02", "a"}, {"\x03", "bc"}}, "abc", {{2, 3}}},
        {"the same bytes in two ways are looked for once", {{"\x01", "a"}, {"\x02", "b"}, {"\x01\x02", "ab"}}, "ab",
         {{1, 2}}},
        {"end tokens and line breaks spell their text",
         {{"a", "a"}, {"\xFF", "<END>", EntryKind::EndToken}, {"\xFE", "<LINE>", EntryKind::LineBreak}},
         "a<LINE>a<END>", {{'a', 0xFE, 'a', 0xFF}}},
        {"2^12 spellings: all of them", twoEs, std::string(12, 'a'), {Bytes(12, 1)}, 4096},
        {"2^13 spellings: the first 4,096, and more", twoEs, std::string(13, 'a'), {Bytes(13, 1)}, 4096, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Table table;
        for (const E& e : row.entries) table.set(e);
        const auto r = buildTablePattern(row.text, "", table);
        ASSERT_TRUE(r.has_value());
        std::vector<Bytes> all = {r->pattern};
        all.insert(all.end(), r->otherSpellings.begin(), r->otherSpellings.end());
        EXPECT_EQ(r->moreSpellings, row.more);
        if (row.count == 0) {
            EXPECT_EQ(all, row.spellings);
            continue;
        }
        EXPECT_EQ(all.size(), row.count);
        EXPECT_EQ(all.front(), row.spellings.front());
        std::set<std::string> distinct;
        for (const Bytes& b : all) distinct.emplace(b.begin(), b.end());
        EXPECT_EQ(distinct.size(), all.size()) << "repeated spellings";
    }
}

// Find, Find Again and Find Previous with a Table text that the document holds in several spellings -> the
// cursor after each press, and what is said.
TEST(Find, TableTextFoundInEverySpelling) {
    struct Row {
        const char* name;
        std::vector<TableEntry> entries;  // as loaded; or, with `grid`, one-byte letters typed into the grid
        bool grid = false;
        std::vector<std::pair<int64_t, Bytes>> doc;  // bytes put at offsets of 128 zeros
        std::string text;
        std::string presses;  // 'f' Find, 'r' relative Find, 'a' Find Again, 'p' Find Previous
        std::vector<int64_t> landed;
        std::vector<std::string> messages = {};
    };
    std::vector<TableEntry> alphabet;
    for (char c = 'a'; c <= 'z'; ++c) alphabet.push_back({std::string(1, c), std::string(1, c)});
    std::vector<TableEntry> pairs = alphabet, twoByte = alphabet;
    pairs.insert(pairs.end(), {{"\x80", "cr"}, {"\x81", "ys"}, {"\x82", "ta"}});
    twoByte.insert(twoByte.end(), {{"\x88\x80", "cr"}, {"\x88\x81", "ys"}, {"\x88\x82", "ta"}});
    const std::vector<std::pair<int64_t, Bytes>> crystal = {
        {0x10, {'c', 'r', 'y', 's', 't', 'a', 'l'}}, {0x40, {0x80, 0x81, 0x82, 'l'}}, {0x60, {'c', 'r', 0x81, 't', 'a', 'l'}}};
    const std::vector<std::pair<int64_t, Bytes>> crystal2 = {
        {0x10, {'c', 'r', 'y', 's', 't', 'a', 'l'}}, {0x40, {0x88, 0x80, 0x88, 0x81, 0x88, 0x82, 'l'}}};
    const std::string more = "The text can be spelt in more than 4,096 ways through the table: Find looks for the first 4,096.";
    const Row rows[] = {
        {"one-byte pairs: letter by letter, in pairs, mixed, then round", pairs, false, crystal, "crystal", "faaa",
         {0x10, 0x40, 0x60, 0x10}},
        {"find previous goes back through every spelling", pairs, false, crystal, "crystal", "fpp", {0x10, 0x60, 0x40}},
        {"two-byte pair keys", twoByte, false, crystal2, "crystal", "faa", {0x10, 0x40, 0x10}},
        {"relative: the steps of the first spelling (the pairs) alone", pairs, false, crystal, "crystal", "ra",
         {0x40, 0x40}, {"No Results Found"}},
        {"a table typed in the grid", {{"\x01", "a"}, {"\x02", "b"}, {"\x03", "ab"}}, true,
         {{0x20, {3}}, {0x30, {1, 2}}}, "ab", "fa", {0x20, 0x30}},
        {"more spellings than are looked for: said, and the first ones found", {{"\x01", "a"}, {"\x02", "a"}}, false,
         {{0x20, Bytes(13, 1)}}, std::string(13, 'a'), "fa", {0x20, 0x20}, {more}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t;
        Bytes doc(128, 0);
        for (const auto& [at, bytes] : row.doc) std::copy(bytes.begin(), bytes.end(), doc.begin() + at);
        t.setDocument(doc);
        if (row.grid) {
            for (const TableEntry& e : row.entries) t.ed.s.table.setLetters(static_cast<uint8_t>(e.key[0]), e.text);
        } else {
            for (const TableEntry& e : row.entries) t.ed.s.table.edit([&](Table& m) { m.set(e); });
        }
        std::vector<int64_t> landed;
        for (const char press : row.presses) {
            if (press == 'f' || press == 'r') cmdFind_Click(t.ed, {K::Table, row.text, "", press == 'r'});
            else mnuOption_Click(t.ed, press == 'a' ? kOptionFindAgain : kOptionFindPrevious);
            landed.push_back(t.ed.s.cursor());
        }
        EXPECT_EQ(landed, row.landed);
        EXPECT_EQ(t.services.messages, row.messages);
    }
}

// Find presses, then Find Again (on `newDoc` when given) -> where the cursor lands and what is said.
TEST(Find, FindAndFindAgainMoveTheCursor) {
    struct Row {
        const char* name;
        Bytes doc, newDoc;
        std::vector<FindForm> finds;
        int64_t cursor, agains, landed;
        std::vector<std::string> messages;
        bool previous = false;  // the agains are Find Previous
    };
    const Bytes twice = {1, 2, 3, 1, 2, 3}, ab = {0, 0x41, 0x42, 0};
    const FindForm relative = {K::Dec, "11 12", "", true};  // 2 3 in `twice`
    const std::string none = "No Results Found";
    const Row rows[] = {
        {"plain: a match only at the cursor is found", ab, {}, {{K::Hex, "41 42", ""}}, 1, 0, 1, {}},
        {"relative: a match only at the cursor is not", ab, {}, {{K::Hex, "41 42", "", true}}, 1, 0, 1, {none}},
        {"empty text and a leading blank keep the last search", twice, {},
         {relative, {K::Hex, " 7", ""}, {K::Ascii, "", ""}}, 0, 1, 3, {}},
        {"the search outlives the document", twice, {9, 9, 5, 6}, {relative}, 0, 1, 2, {}},
        {"find again before any search does nothing", twice, {}, {}, 2, 1, 2, {}},
        {"find previous: back from 3 to 0, then round to 3", twice, {}, {{K::Hex, "1 2", ""}}, 2, 2, 3, {}, true},
        {"empty document: no results", {}, {}, {{K::Hex, "41", ""}, relative}, 0, 1, 0, {none, none, none}},
        {"a UTF-8 wild card no byte stands for", twice, {}, {{K::Table, "x", "\xE3\x81\xB2"}}, 0, 0, 0,
         {"The wild card \"\xE3\x81\xB2\" (U+3072) is no entry of the table, and no single byte has its code."}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t;
        t.setDocument(row.doc);
        t.ed.s.table.spellUtf8(true);
        MoveCursor(t.ed, row.cursor);
        for (const FindForm& form : row.finds) cmdFind_Click(t.ed, form);
        if (!row.newDoc.empty()) t.setDocument(row.newDoc);
        for (int64_t k = 0; k < row.agains; ++k)
            mnuOption_Click(t.ed, row.previous ? kOptionFindPrevious : kOptionFindAgain);
        EXPECT_EQ(t.ed.s.cursor(), row.landed);
        EXPECT_EQ(t.services.messages, row.messages);
    }
}

// Replace (at the cursor, then on to the next match) and Replace All on "ab.ab.ab" -> the document, the
// cursor and what is said; a change is taken back whole by one Undo.
TEST(Replace, AtTheCursorAndEverywhere) {
    using enum LengthRule;
    const struct {
        const char* name;
        std::string doc;
        int64_t cursor;
        ReplaceForm form;
        bool all;
        std::string after;
        int64_t landed;
        std::string message = "";
    } rows[] = {
        {"same length at the cursor, then on to the next", "ab.ab.ab", 0, {K::Ascii, "ab", "xy"}, false, "xy.ab.ab", 3},
        {"no match at the cursor: only on to the next", "ab.ab.ab", 1, {K::Ascii, "ab", "xy"}, false, "ab.ab.ab", 3},
        {"the last match, then round to the first", "ab.ab.ab", 6, {K::Ascii, "ab", "xy"}, false, "ab.ab.xy", 0},
        {"all, one step", "ab.ab.ab", 4, {K::Ascii, "ab", "xy"}, true, "xy.xy.xy", 0, "Replaced 3 matches."},
        {"shorter: refused unless the user chose", "ab.ab.ab", 0, {K::Ascii, "ab", "x"}, true, "ab.ab.ab", 0,
         "The replacement is 1 byte and the text found 2. Choose how to fill the difference, or make them the same "
         "length."},
        {"shorter, padded", "ab.ab.ab", 0, {K::Ascii, "ab", "x", Pad, "2e"}, true, "x..x..x.", 0, "Replaced 3 matches."},
        {"longer: padding cannot make room", "ab.ab.ab", 0, {K::Ascii, "ab", "xyz", Pad}, false, "ab.ab.ab", 0,
         "The replacement is 3 bytes and the text found 2. Padding cannot make room for a longer replacement: "
         "choose \"Insert/delete bytes\" to move what follows."},
        {"longer, the rest moves up", "ab.ab.ab", 0, {K::Ascii, "ab", "xyz", Resize}, false, "xyz.ab.ab", 4},
        {"shorter, the rest moves down, everywhere", "ab.ab.ab", 7, {K::Ascii, "ab", "x", Resize}, true, "x.x.x", 0,
         "Replaced 3 matches."},
        {"nothing in place: deleted", "ab.ab.ab", 0, {K::Ascii, "ab", "", Resize}, true, "..", 0, "Replaced 3 matches."},
        {"hex values, the last byte included", "ab.ab.ab", 0, {K::Hex, "62", "42"}, true, "aB.aB.aB", 1,
         "Replaced 3 matches."},
        {"matches do not overlap", "aaaaa", 0, {K::Ascii, "aa", "b", Resize}, true, "bba", 0, "Replaced 2 matches."},
        {"a match round the end of the ring is none", "b..a", 2, {K::Ascii, "ab", "xy"}, false, "b..a", 2,
         "No Results Found"},
        {"table: the replacement spelled with a two-byte key", "ab.ab.ab", 0, {K::Table, "ab", "z"}, true,
         "\x01\x02.\x01\x02.\x01\x02", 0, "Replaced 3 matches."},
        {"table: a replacement letter that begins no entry is refused", "ab.ab.ab", 0, {K::Table, "ab", "q"}, false,
         "ab.ab.ab", 0, "The replacement cannot be written: \"q\" (U+0071) begins no entry of the table."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t;
        const Bytes doc(row.doc.begin(), row.doc.end());
        t.setDocument(doc);
        for (const char* letter : {"a", "b", "."}) t.ed.s.table.edit([&](Table& m) { m.set({letter, letter}); });
        t.ed.s.table.edit([&](Table& m) { m.set({"\x01\x02", "z"}); });
        MoveCursor(t.ed, row.cursor);
        if (row.all) ReplaceAll(t.ed, row.form);
        else ReplaceNext(t.ed, row.form);
        EXPECT_EQ(t.document(), Bytes(row.after.begin(), row.after.end()));
        EXPECT_EQ(t.ed.s.cursor(), row.landed);
        EXPECT_EQ(t.services.messages, row.message.empty() ? std::vector<std::string>{} : std::vector{row.message});
        Undo(t.ed);
        EXPECT_EQ(t.document(), doc) << "one undo step";
    }
}

// Settings and an offset -> the pointer's bytes (none when the value does not fit), which decode back to it.
TEST(Pointers, EncodeDecodeFindAndFollow) {
    const std::tuple<const char*, PointerSettings, int64_t, std::optional<Bytes>> rows[] = {
        {"2 bytes, little-endian", {2, false, 0}, 0x1234, Bytes{0x34, 0x12}},
        {"2 bytes, big-endian", {2, true, 0}, 0x1234, Bytes{0x12, 0x34}},
        {"3 bytes with a negative added number", {3, false, -0x8000}, 0x10, Bytes{0x10, 0x80, 0x00}},
        {"4 bytes, big-endian, an added number", {4, true, 0xC000}, 0xC21A, Bytes{0, 0, 0x02, 0x1A}},
        {"the largest 2-byte value", {2, false, 0}, 0xFFFF, Bytes{0xFF, 0xFF}},
        {"one more does not fit", {2, false, 0}, 0x10000, std::nullopt},
        {"below the added number does not fit", {2, false, 0x100}, 0xFF, std::nullopt},
    };
    for (const auto& [name, settings, offset, bytes] : rows) {
        SCOPED_TRACE(name);
        EXPECT_EQ(encodePointer(offset, settings), bytes);
        if (bytes) {
            EXPECT_EQ(decodePointer(*bytes, settings), offset);
        }
    }
    // Document 05 00 05 00 00 05 00 05: pointers to 5 at 0, 2 (overlapping the first) and 5.
    test::TestEditor t;
    t.setDocument({5, 0, 5, 0, 0, 5, 0, 5});
    for (const auto& [most, at, more] : {std::tuple{size_t{3}, std::vector<int64_t>{0, 2, 5}, false},
                                         {size_t{2}, std::vector<int64_t>{0, 2}, true}}) {
        const PointerHits hits = findPointersTo(t.ed.s, 5, {2, false, 0}, most);
        EXPECT_EQ(std::pair(hits.at, hits.more), std::pair(at, more)) << "at most " << most;
    }
    // Following: from 0 to 5; from 7 no whole pointer; 05 00 read big-endian points outside the document.
    for (const auto& [cursor, settings, landed, message] :
         {std::tuple{0, PointerSettings{2, false, 0}, 5, ""},
          {7, PointerSettings{2, false, 0}, 7, "No whole 2-byte pointer lies at the cursor."},
          {0, PointerSettings{2, true, 0}, 0,
           "The pointer at the cursor points outside the document (offset 0x500)."}}) {
        t.services.messages.clear();
        MoveCursor(t.ed, cursor);
        FollowPointer(t.ed, settings);
        EXPECT_EQ(t.ed.s.cursor(), landed) << message;
        EXPECT_EQ(t.services.messages, *message ? std::vector<std::string>{message} : std::vector<std::string>{});
    }
}

// The first match as the generic scanner finds it; every vector scanner the machine has must agree.
int64_t find(const Bytes& doc, const Bytes& pat, int32_t w, int64_t cursor, bool relative) {
    const RingQuery q{doc.data(), static_cast<int64_t>(doc.size()), pat.data(), static_cast<int64_t>(pat.size()),
                      w, cursor, relative};
    const int64_t generic = findInRing(q, SearchIsa::Generic);
    for (const SearchIsa isa : {SearchIsa::Sse2, SearchIsa::Avx2})
        EXPECT_EQ(isaSupported(isa) ? findInRing(q, isa) : generic, generic) << "isa " << static_cast<int>(isa);
    return generic;
}

// Document, pattern, wild card, cursor, relative -> the first match.
TEST(RingSearch, HandPickedCasesOnEveryInstructionSet) {
    const std::tuple<const char*, Bytes, Bytes, int32_t, int64_t, bool, int64_t> rows[] = {
        {"round the end to the start", {0x41, 0x42, 0x43, 0x41, 0x42}, {0x41, 0x42}, -1, 3, false, 0},
        {"a match running round the end", {0x42, 0x00, 0x00, 0x41}, {0x41, 0x42}, -1, 1, false, 3},
        {"relative: 11 12 running round the end", {0x12, 0x41, 0x42, 0x11}, {0x41, 0x42}, -1, 1, true, 3},
        {"relative: 00 7F is FF 80 only modulo 256", {0x00, 0x7F, 0x10}, {0xFF, 0x80}, -1, 2, true, -1},
        {"relative with a wild card", {5, 0x99, 7, 0}, {0x41, '?', 0x43}, '?', 2, true, 0},
        {"wild card FF", {0x41, 0x00, 0x43}, {0x41, 0xFF, 0x43}, 0xFF, 2, false, 0},
        {"empty document", {}, {0x41}, -1, 0, false, -1},
        {"cursor past the end counts modulo the size", {0x41, 0x42, 0x41}, {0x41}, -1, 1000003, false, 2},
    };
    for (const auto& [name, doc, pat, w, cursor, relative, expected] : rows) {
        SCOPED_TRACE(name);  // also for a vector scanner that disagrees
        EXPECT_EQ(find(doc, pat, w, cursor, relative), expected);
    }
    const uint8_t byte = 0x41;  // an empty pattern at a real address finds nothing
    EXPECT_EQ(findInRing({&byte, 1, &byte, 0, -1, 0, false}), -1);
}

// One pattern in filler that cannot match it, at the edges of the 16-, 32-, 64- and 128-start blocks,
// found from just before it (the first start scanned) and just after it (the last start round the ring).
TEST(RingSearch, SingleMatchAtVectorBlockEdges) {
    const Bytes pat = {0x10, 0x99, 0x20, 0x98}, shifted = {0x11, 0x9A, 0x21, 0x99};
    for (const size_t size : {size_t{200}, size_t{20000}})
        for (const size_t at : {size_t{0}, size_t{15}, size_t{32}, size_t{63}, size_t{64}, size_t{128}, size - 4,
                                size - 2}) {
            Bytes doc(size);
            for (size_t i = 0; i < size; ++i) doc[i] = static_cast<uint8_t>(0x10 + (i * i + i / 7) % 3);
            for (size_t k = 0; k < pat.size(); ++k) doc[(at + k) % size] = pat[k];
            for (const auto cursor : {static_cast<int64_t>(at + size - 1), static_cast<int64_t>(at + 1)}) {
                SCOPED_TRACE(testing::Message() << "size " << size << " at " << at << " cursor " << cursor);
                EXPECT_EQ(find(doc, pat, -1, cursor, false), static_cast<int64_t>(at));
                EXPECT_EQ(find(doc, shifted, -1, cursor, true), static_cast<int64_t>(at));
            }
        }
}

TEST(RingSearch, AgreesWithTheStraightScanOnSeededDocuments) {
    std::mt19937_64 rng(1);
    const auto pick = [&rng](uint64_t n) { return n == 0 ? uint64_t{0} : rng() % n; };
    for (int round = 0; round < 3000; ++round) {
        // A few neighbouring values (round 255 to 0 at times) make matches and failed candidates common.
        const auto low = static_cast<uint8_t>(pick(2) ? 0xFE : rng()), span = static_cast<uint8_t>(1 + pick(3));
        Bytes doc(pick(301)), pat(pick(8) == 0 ? doc.size() + 1 + pick(3) : 1 + pick(8));
        for (auto& b : doc) b = static_cast<uint8_t>(low + pick(span));
        // Often a piece of the document, sometimes longer than it; shifted for relative searches.
        const bool piece = !doc.empty() && pick(2), relative = pick(2);
        const size_t from = pick(doc.size());
        const int shift = relative ? static_cast<int>(pick(7)) - 3 : 0;
        for (size_t k = 0; k < pat.size(); ++k)
            pat[k] = static_cast<uint8_t>(shift + (piece ? doc[(from + k) % doc.size()] : low + pick(span)));
        const int32_t w = pick(3) == 0 ? pat[pick(pat.size())] : -1;
        const auto cursor = static_cast<int64_t>(pick(doc.size() + 40));
        const int64_t expected = test::referenceFind(doc.data(), static_cast<int64_t>(doc.size()), pat.data(),
                                                     static_cast<int64_t>(pat.size()), w, cursor, relative);
        SCOPED_TRACE(testing::Message() << "round " << round);
        ASSERT_EQ(find(doc, pat, w, cursor, relative), expected);
        const RingQuery q{doc.data(), static_cast<int64_t>(doc.size()), pat.data(), static_cast<int64_t>(pat.size()),
                          w, cursor, relative};
        ASSERT_EQ(findInRingBackward(q), test::referenceFind(q.data, q.size, q.pattern, q.length, w, cursor, relative,
                                                             true)) << "backward";
        ASSERT_FALSE(HasFailure());  // one report, not one a round
    }
}

}  // namespace
}  // namespace tarpon
