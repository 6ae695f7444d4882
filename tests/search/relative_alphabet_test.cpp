// Relative search through the kana and custom alphabets, Find All's hits, and the table made from a hit.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

#include "app/menu_commands.h"
#include "core/text_coding.h"
#include "screen/keys.h"
#include "search/alphabet.h"
#include "search/find.h"
#include "search/find_all.h"
#include "search/reference_scan.h"
#include "search/ring_search.h"
#include "table/table_editor.h"
#include "test_editor.h"
#include "view/cursor.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr int W = kAlphabetWildcard;

Alphabet custom(std::string_view letters) { return customAlphabet(letters, nullptr).value(); }

// The document bytes of `text` stored in the alphabet's order from `base`; a
// character outside the alphabet becomes 0x00.
Bytes encode(const Alphabet& alphabet, std::string_view text, int base) {
    Bytes out;
    const std::vector<std::string> characters = utf8Characters(text).value();
    for (const std::string& c : characters) {
        const auto at = std::find(alphabet.letters.begin(), alphabet.letters.end(), c);
        out.push_back(at == alphabet.letters.end() ? 0 : static_cast<uint8_t>(base + (at - alphabet.letters.begin())));
    }
    return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Alphabet, text and wild card -> the codes searched for, or the message that refuses them.
TEST(AlphabetPattern, LettersBecomeTheirPlacesOrAreRefused) {
    struct Row {
        const char* name;
        Alphabet alphabet;
        std::string text, wildcard;
        std::optional<Bytes> codes;
        int32_t wildcardCode = -1;
        std::string problem = {};
    };
    const Row rows[] = {
        {"hiragana: places in gojuon order", hiraganaAlphabet(), "まおう", "", Bytes{30, 4, 2}},
        {"the small kana follow を", hiraganaAlphabet(), "をゃっゅょ", "", Bytes{44, 45, 46, 47, 48}},
        {"a wild card that is a letter is the wild card", hiraganaAlphabet(), "まおう", "お", Bytes{30, W, 2}, W},
        {"only the wild card's first character counts", hiraganaAlphabet(), "まxう", "x?", Bytes{30, W, 2}, W},
        {"ん is not in the sequence", hiraganaAlphabet(), "あん", "", std::nullopt, -1,
         "\"ん\" (U+3093) is not in the Hiragana alphabet."},
        {"hiragana is no katakana", katakanaAlphabet(), "マお", "", std::nullopt, -1,
         "\"お\" (U+304A) is not in the Katakana alphabet."},
        {"a Latin letter in a kana search", hiraganaAlphabet(), "まa", "", std::nullopt, -1,
         "\"a\" (U+0061) is not in the Hiragana alphabet."},
        {"a text that begins with the wild card", hiraganaAlphabet(), "?う", "?", std::nullopt, -1,
         "A relative search must begin with a letter, not the wild card: the letters' steps are taken from the "
         "first one."},
        {"empty text: nothing, and nothing said", hiraganaAlphabet(), "", "", std::nullopt},
        {"custom: places in the typed order", custom("zyx!"), "xz!", "", Bytes{2, 0, 3}},
        {"custom: a blank is a letter when typed in", custom("ab "), "b a", "", Bytes{1, 2, 0}},
        {"bad UTF-8 in the text", hiraganaAlphabet(), "\xE3\x81", "", std::nullopt, -1,
         "The search text is not valid text."},
        {"bad UTF-8 in the wild card", hiraganaAlphabet(), "ま", "\xFF", std::nullopt, -1,
         "The wild card is not valid text."},
        {"an empty text is nothing, whatever the wild card", hiraganaAlphabet(), "", "\xFF", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string problem;
        const auto r = buildAlphabetPattern(row.alphabet, row.text, row.wildcard, &problem);
        EXPECT_EQ(problem, row.problem);
        ASSERT_EQ(r.has_value(), row.codes.has_value());
        if (r) {
            EXPECT_EQ(std::pair(r->pattern, r->wildcard), std::pair(*row.codes, row.wildcardCode));
        }
    }
}

// A typed custom sequence -> its letters, or the message that refuses it.
TEST(AlphabetPattern, CustomSequences) {
    const std::string long255(255, 'x'), distinct255 = [] {
        std::string s;
        for (char32_t c = 0x4E00; c < 0x4E00 + 255; ++c) s += utf8Of(c);
        return s;
    }();
    const std::tuple<const char*, std::string, size_t, std::string> rows[] = {
        {"kana and Latin letters once each", "かaキ", 3, ""},
        {"255 letters fit", distinct255, 255, ""},
        {"256 do not", distinct255 + "z", 0, "A custom alphabet holds at most 255 characters: one byte has room for no more."},
        {"a repeated letter is named", "abcb", 0, "The custom alphabet holds \"b\" (U+0062) twice: each character may appear once."},
        {"empty", "", 0, "Type or paste the custom alphabet: its letters in the order the file stores them."},
        {"not UTF-8", "a\xFF", 0, "The custom alphabet is not valid text."},
    };
    for (const auto& [name, sequence, letters, message] : rows) {
        SCOPED_TRACE(name);
        std::string problem;
        const auto alphabet = customAlphabet(sequence, &problem);
        EXPECT_EQ(alphabet ? alphabet->letters.size() : 0, letters);
        EXPECT_EQ(problem, message);
    }
    EXPECT_EQ(custom("かaキ").letters, (std::vector<std::string>{"か", "a", "キ"}));
}

FindForm relativeForm(const Alphabet& alphabet, std::string text, std::string wildcard = "") {
    return {PatternKind::Ascii, std::move(text), std::move(wildcard), true, alphabet};
}

// A document, a search through an alphabet from a cursor -> where Find and then Find Again land;
// the straight scan over the same codes must agree with both.
TEST(AlphabetSearch, FindAndFindAgainAgreeWithTheStraightScan) {
    const Alphabet hira = hiraganaAlphabet(), kata = katakanaAlphabet(), abc = custom("ケa!ゃ");
    struct Row {
        const char* name;
        FindForm form;
        Bytes doc;
        int64_t cursor, found, foundAgain;
    };
    const Row rows[] = {
        {"hiragana from base 0x80, a decoy with one letter off", relativeForm(hira, "まおう"),
         concat({encode(hira, "まえう", 0x80), encode(hira, "はまおうだ", 0x80)}), 0, 4, 4},
        {"two bases: the second hit has another base", relativeForm(hira, "しろ"),
         concat({{0}, encode(hira, "しろ", 0x10), encode(hira, "しろ", 0xA0)}), 0, 1, 3},
        {"katakana with a wild card", relativeForm(kata, "マ*ウ", "*"), concat({{7, 9}, encode(kata, "マリウ", 0x21)}),
         0, 2, 2},
        {"a letter at place 0 with the base at byte 0", relativeForm(hira, "あい"), encode(hira, "ああい", 0), 0, 1, 1},
        {"custom order, round the end of the document", relativeForm(abc, "!ゃケ"),
         concat({encode(abc, "ケ", 0x40), {0, 0}, encode(abc, "!ゃ", 0x40)}), 1, 3, 3},
        {"no hit", relativeForm(hira, "まお"), encode(hira, "おまえ", 0x50), 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t(row.doc);
        MoveCursor(t.ed, row.cursor);
        cmdFind_Click(t.ed, row.form);
        const Bytes& p = t.ed.s.search.searchPattern;
        const auto straight = [&](int64_t from) {
            const int64_t at = test::referenceFind(row.doc.data(), static_cast<int64_t>(row.doc.size()), p.data(),
                                                   static_cast<int64_t>(p.size()), t.ed.s.search.searchWildcard, from, true);
            return at < 0 ? from : at;
        };
        EXPECT_EQ(t.ed.s.cursor(), row.found);
        EXPECT_EQ(straight(row.cursor), row.found);
        mnuOption_Click(t.ed, kOptionFindAgain);
        EXPECT_EQ(t.ed.s.cursor(), row.foundAgain);
        EXPECT_EQ(straight(row.found), row.foundAgain);
    }
}

TEST(AlphabetSearch, FindAllAgreesWithTheStraightScanOnSeededDocuments) {
    std::mt19937_64 rng(7);
    const auto pick = [&rng](uint64_t n) { return n == 0 ? uint64_t{0} : rng() % n; };
    for (int round = 0; round < 1500; ++round) {
        const auto low = static_cast<uint8_t>(pick(2) ? 0xFD : rng()), span = static_cast<uint8_t>(1 + pick(4));
        Bytes doc(pick(400)), pat(1 + pick(6));
        for (auto& b : doc) b = static_cast<uint8_t>(low + pick(span));
        for (auto& b : pat) b = static_cast<uint8_t>(pick(span + 2));
        const int32_t w = pick(3) == 0 ? pat[pick(pat.size())] : -1;
        const size_t limit = pick(4) == 0 ? pick(5) : kMaxHits;
        std::vector<int64_t> expected;
        for (size_t s = 0; s < doc.size() && expected.size() < limit; ++s)
            if (test::relativeMatchAt(doc, pat, w, s)) expected.push_back(static_cast<int64_t>(s));
        const RingQuery q{doc.data(), static_cast<int64_t>(doc.size()), pat.data(), static_cast<int64_t>(pat.size()),
                          w, 0, true};
        SCOPED_TRACE(testing::Message() << "round " << round);
        for (const SearchIsa isa : {SearchIsa::Generic, SearchIsa::Sse2, SearchIsa::Avx2})
            if (isaSupported(isa)) {
                ASSERT_EQ(findAllInRing(q, limit, isa), expected) << "isa " << static_cast<int>(isa);
            }
    }
}

struct HitRow {
    int64_t offset;
    std::string base, preview;
};
bool operator==(const HitRow& a, const HitRow& b) {
    return std::tie(a.offset, a.base, a.preview) == std::tie(b.offset, b.base, b.preview);
}
void PrintTo(const HitRow& r, std::ostream* os) { *os << r.offset << " " << r.base << " " << r.preview; }

Bytes shifted(std::string_view text, int by) {
    Bytes out;
    for (const char c : text) out.push_back(static_cast<uint8_t>(c + by));
    return out;
}

// Document and relative search -> every hit's offset, implied base and preview, or how many are listed (at most
// 1,000), and what is said; the search is kept for Find Again.
TEST(FindAll, HitsBoundsAndMessages) {
    const Alphabet hira = hiraganaAlphabet();
    const std::string more = "More than 1,000 hits: the list shows the first 1,000.", none = "No Results Found";
    struct Row {
        const char* name;
        FindForm form;
        Bytes doc;
        std::vector<HitRow> hits = {};  // empty: only `listed` is checked
        std::optional<size_t> listed = std::nullopt;
        std::vector<std::string> messages = {};
    };
    const Row rows[] = {
        {"kana sentence: letters inside the alphabet, dots for the rest", relativeForm(hira, "まおう"),
         concat({{0xFF, 0xFE}, encode(hira, "まおうはしろにいる", 0x30), {0x00}}), {{2, "30=あ", "··まおうはしろにいる·"}}},
        {"preview: 8 bytes before the hit and 24 from its start", relativeForm(hira, "まおう"),
         concat({Bytes(9, 0), encode(hira, "まおうはしろにいるよそらのかなたにあるしろいもりのおく", 0x60)}),
         {{9, "60=あ", "········まおうはしろにいるよそらのかなたにあるしろいもり"}}},
        {"a long hit: the preview stops 24 bytes from its start", relativeForm(Alphabet{}, "abcdefghijklmnopqrstuvwxyz"),
         shifted("abcdefghijklmnopqrstuvwxyz", 1), {{0, "62=a", "abcdefghijklmnopqrstuvwx"}}},
        {"ASCII, small letters: the base is a's byte", relativeForm(Alphabet{}, "dragon"),
         concat({{0x10}, shifted("the dragon", 0x20)}), {{5, "81=a", "·the·dragon"}}},
        {"ASCII, capitals only: the base is A's byte", relativeForm(Alphabet{}, "KING"), shifted("OLD KING", -0x40),
         {{4, "01=A", "OLD·KING"}}},
        {"ASCII, mixed case: the base is a's byte", relativeForm(Alphabet{}, "Dragon"), shifted("The Dragon", 0x20),
         {{4, "81=a", "The·Dragon"}}},
        {"the alphabet starts below byte 0", relativeForm(hira, "かこ"), encode(hira, "かこく", -5),
         {{0, "-05=あ", "かこく"}}},
        {"two hits at two bases", relativeForm(custom("xyz"), "xz"), Bytes{1, 3, 9, 0x50, 0x52},
         {{0, "01=x", "xz···"}, {3, "50=x", "···xz"}}},
        {"1,099 hits: the first 1,000 and a message", relativeForm(Alphabet{}, "ab"), test::countingBytes(1100), {},
         1000, {more}},
        {"exactly 1,000: no message", relativeForm(Alphabet{}, "ab"), test::countingBytes(1004), {}, 1000},
        {"no hit", relativeForm(hira, "まお"), Bytes{1, 2, 3}, {}, std::nullopt, {none}},
        {"a letter outside the alphabet", relativeForm(hira, "まん"), Bytes{1, 2}, {}, std::nullopt,
         {"\"ん\" (U+3093) is not in the Hiragana alphabet."}},
        {"not a relative search: nothing", {PatternKind::Ascii, "ab", "", false}, Bytes{1, 2}},
        {"empty document", relativeForm(Alphabet{}, "ab"), Bytes{}, {}, std::nullopt, {none}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t(row.doc);
        const std::optional<HitList> list = cmdFindAll_Click(t.ed, row.form);
        const std::optional<size_t> listed = row.hits.empty() ? row.listed : row.hits.size();
        EXPECT_EQ(list ? std::optional(list->hits.size()) : std::nullopt, listed);
        EXPECT_EQ(t.services.messages, row.messages);
        if (!list || row.hits.empty()) continue;
        std::vector<HitRow> got;
        for (const RelativeHit& hit : list->hits) got.push_back({hit.offset, baseText(*list, hit), hit.preview});
        EXPECT_EQ(got, row.hits);
    }
    // The hits' search goes on with Find Again from the cursor, relative and through the alphabet.
    test::TestEditor t(concat({{0}, encode(hiraganaAlphabet(), "まおう", 9), encode(hiraganaAlphabet(), "まおう", 0x70)}));
    ASSERT_TRUE(cmdFindAll_Click(t.ed, relativeForm(hiraganaAlphabet(), "まおう")).has_value());
    EXPECT_EQ(t.ed.s.cursor(), 0);
    mnuOption_Click(t.ed, kOptionFindAgain);
    EXPECT_EQ(t.ed.s.cursor(), 1);
    mnuOption_Click(t.ed, kOptionFindAgain);
    EXPECT_EQ(t.ed.s.cursor(), 4);
}

// A hit (alphabet, its letters' case, shift) -> the entries the table gets: how many, the first and the last.
TEST(TableFromHit, EntriesAtTheImpliedBase) {
    using Entry = std::pair<int, std::string>;
    struct Row {
        const char* name;
        Alphabet alphabet;
        bool upper, lower;
        int shift;
        bool both;
        size_t count;
        Entry first, last;
    };
    const Alphabet hira = hiraganaAlphabet();
    const Row rows[] = {
        {"kana: the whole sequence", hira, false, false, 0x30, false, 49, {0x30, "あ"}, {0x60, "ょ"}},
        {"kana near FF: cut at the last byte", hira, false, false, 0xF0, false, 16, {0xF0, "あ"}, {0xFF, "た"}},
        {"kana below 0: from the first letter with a byte", hira, false, false, -5, false, 44, {0, "か"}, {43, "ょ"}},
        {"ASCII small letters: a-z", Alphabet{}, false, true, 0x20, false, 26, {0x81, "a"}, {0x9A, "z"}},
        {"ASCII capitals: A-Z", Alphabet{}, true, false, -0x40, false, 26, {0x01, "A"}, {0x1A, "Z"}},
        {"ASCII no letters: a-z", Alphabet{}, false, false, 0, false, 26, {'a', "a"}, {'z', "z"}},
        {"ASCII both cases asked for", Alphabet{}, false, true, 0, true, 52, {'A', "A"}, {'z', "z"}},
        {"ASCII mixed case: both", Alphabet{}, true, true, 0, false, 52, {'A', "A"}, {'z', "z"}},
        {"ASCII both, small letters above FF", Alphabet{}, false, true, 0xA0, true, 26, {0xE1, "A"}, {0xFA, "Z"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        HitList list;
        list.alphabet = row.alphabet;
        list.upper = row.upper;
        list.lower = row.lower;
        const TableFill fill = tableFromHit(list, {0, row.shift, ""}, row.both);
        ASSERT_EQ(fill.size(), row.count);
        EXPECT_EQ(Entry(fill.front().index, fill.front().letters), row.first);
        EXPECT_EQ(Entry(fill.back().index, fill.back().letters), row.last);
        EXPECT_TRUE(std::is_sorted(fill.begin(), fill.end(), [](auto& a, auto& b) { return a.index < b.index; }));
    }
}

// A table and a fill -> the entries afterwards (others kept, the table's coding), whether the user is told
// that letters were respelled, and the entries after Ctrl+Z.
TEST(TableFromHit, FillIsOneUndoableStepInTheTablesCoding) {
    using Entries = std::vector<std::pair<int, std::string>>;
    struct Row {
        const char* name;
        bool utf8;
        Entries before;
        TableFill fill;
        Entries after, undone;
        bool utf8After, told = false;
    };
    const Row rows[] = {
        {"other entries stay, the filled byte is overwritten", false, {{0x10, "x"}, {0x31, "q"}},
         {{0x30, "a"}, {0x31, "b"}}, {{0x10, "x"}, {0x30, "a"}, {0x31, "b"}}, {{0x10, "x"}, {0x30, ""}, {0x31, "q"}},
         false},
        {"kana make a Latin-1 table UTF-8; its letters stay the same", false, {{0x05, "\xE9"}, {0x30, "z"}},
         {{0x30, "あ"}}, {{0x05, "\xC3\xA9"}, {0x30, "あ"}}, {{0x05, "\xC3\xA9"}, {0x30, "z"}}, true, true},
        {"kana into a table of ASCII letters: nothing to tell", false, {{0x05, "e"}}, {{0x30, "あ"}},
         {{0x05, "e"}, {0x30, "あ"}}, {{0x05, "e"}, {0x30, ""}}, true},
        {"Latin-1 letters stay Latin-1", false, {{0x05, "\xE9"}}, {{0x40, "\xC3\xBC"}},
         {{0x05, "\xE9"}, {0x40, "\xFC"}}, {{0x05, "\xE9"}, {0x40, ""}}, false},
        {"a UTF-8 table takes the letters as they are", true, {{0x05, "\xC3\xA9"}}, {{0x40, "\xC3\xBC"}},
         {{0x05, "\xC3\xA9"}, {0x40, "\xC3\xBC"}}, {{0x05, "\xC3\xA9"}, {0x40, ""}}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t;
        t.ed.s.table.spellUtf8(row.utf8);
        for (const auto& [index, letters] : row.before) t.ed.s.table.setLetters(static_cast<size_t>(index), letters);
        TableEditor editor;
        EXPECT_TRUE(frmTable::FillEntries(t.ed, editor, row.fill));
        EXPECT_EQ(editor.tblCursor, row.fill.front().index);
        const auto entries = [&](const Entries& which) {
            Entries now;
            for (const auto& e : which) now.emplace_back(e.first, t.ed.s.table.letters(static_cast<size_t>(e.first)));
            return now;
        };
        EXPECT_EQ(entries(row.after), row.after);
        EXPECT_EQ(t.ed.s.table.utf8(), row.utf8After);
        EXPECT_EQ(t.services.messages.size(), row.told ? 1u : 0u);
        frmTable::PicHex_KeyDown(t.ed, editor, 'Z', kCtrl);
        EXPECT_EQ(entries(row.undone), row.undone);
    }
    // A letter typed in the grid before kana made the table UTF-8 is done again in UTF-8, not as its Latin-1 byte.
    test::TestEditor t;
    TableEditor editor;
    editor.tblCursor = 0x05;
    frmTable::PicHex_KeyPress(t.ed, editor, 0xE9);
    frmTable::FillEntries(t.ed, editor, {{0x30, "あ"}});
    for (const int key : {'Z', 'Z', 'Y'}) frmTable::PicHex_KeyDown(t.ed, editor, key, kCtrl);
    EXPECT_EQ(t.ed.s.table.letters(0x05), "\xC3\xA9");
}

}  // namespace
}  // namespace tarpon
