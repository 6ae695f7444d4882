#include "table/tbl_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace tarpon {
namespace {

using namespace std::literals;
using S = TblSkip;
using E = TextEncoding;

// UTF-16 bytes of a text, with its byte-order mark.
std::string utf16(std::u16string_view text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

// Every entry as one sortable line: the kind's marker, the key, "=", the text (",N" for a linked entry).
std::vector<std::string> entriesOf(const Table& table) {
    std::vector<std::string> out;
    for (const auto* list : {&table.entries(), &table.endTags()})
        for (const TableEntry& e : *list) {
            static constexpr const char* kMarkers[] = {"", "/", "*", "$"};
            out.push_back(kMarkers[static_cast<int>(e.kind)] + hexKey(e.key) + "=" + e.text +
                          (e.kind == EntryKind::Linked ? "," + std::to_string(e.params) : ""));
        }
    std::sort(out.begin(), out.end());
    return out;
}

// One line of each kind: a letter, a two-byte letter, end tokens with and without text and an end tag with
// no bytes, line breaks with and without text, a linked entry, "\n" in a text; a comment and a table name.
const std::vector<std::string> kEveryKind = {"$C9=<p>,1", "*FD=<L>", "*FE=", "/00=", "/=<E>", "/FF=<END>",
                                             "41=A", "42=a\nb"};
std::vector<std::string> withKanji(std::string letter) {
    std::vector<std::string> out = kEveryKind;
    out.push_back("8140=" + letter);
    std::sort(out.begin(), out.end());
    return out;
}
constexpr std::string_view kEveryKindText =
    "41=A\r\n/FF=<END>\r\n/00\r\n/<E>\r\n*FE\r\n*FD=<L>\r\n$C9=<p>,1\r\n42=a\\nb\r\n# c\r\n@id\r\n";
constexpr std::u16string_view kEveryKindUtf16 =
    u"41=A\r\n/FF=<END>\r\n/00\r\n/<E>\r\n*FE\r\n*FD=<L>\r\n$C9=<p>,1\r\n42=a\\nb\r\n# c\r\n@id\r\n8140=\u3042";

std::string repeated(std::string_view text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

struct ReadRow {
    const char* name;
    std::string bytes;
    std::vector<std::string> entries;
    E encoding = E::Utf8;
    std::vector<std::pair<int, S>> skips = {};
    std::vector<std::pair<std::string, std::vector<int>>> duplicates = {};
    std::optional<E> forced = std::nullopt;
    bool byteOrderMark = false;
};

// File bytes -> entries, encoding, skipped lines and keys given twice. Every row also saves back unchanged
// to the same bytes.
const std::vector<ReadRow>& readRows() {
    static const std::vector<ReadRow> rows = {
        {"every kind, UTF-8", std::string(kEveryKindText) + "8140=\xE3\x81\x82", withKanji("\xE3\x81\x82"), E::Utf8,
         {}},
        {"every kind, UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + std::string(kEveryKindText) + "8140=\xC3\xA9",
         withKanji("\xC3\xA9"), E::Utf8, {}, {}, {}, true},
        {"every kind, UTF-16 LE", utf16(kEveryKindUtf16, false), withKanji("\xE3\x81\x82"), E::Utf16Le,
         {}, {}, {}, true},
        {"every kind, UTF-16 BE", utf16(kEveryKindUtf16, true), withKanji("\xE3\x81\x82"), E::Utf16Be,
         {}, {}, {}, true},
        {"every kind, Shift-JIS", std::string(kEveryKindText) + "8140=\x82\xA0\xB1", withKanji("\xE3\x81\x82\xEF\xBD\xB1"),
         E::ShiftJis, {}},
        {"every kind, Windows-1252", std::string(kEveryKindText) + "8140=\x80\xE9", withKanji("\xE2\x82\xAC\xC3\xA9"),
         E::Windows1252, {}},
        {"every kind, Latin-1 (0x81 is no Windows-1252 letter)", std::string(kEveryKindText) + "8140=\x81 \xE9",
         withKanji("\xC2\x81 \xC3\xA9"), E::Latin1, {}},
        {"Shift-JIS chosen for a file of one-byte kana", "B1=\xB1\r\n", {"B1=\xEF\xBD\xB1"}, E::ShiftJis, {}, {},
         E::ShiftJis},
        {"a file that takes three times its bytes in UTF-8", "41=" + std::string(40, '\x80') + "\r\n",
         {"41=" + repeated("\xE2\x82\xAC", 40)}, E::Windows1252},
        {"one-byte kana alone are read as 8-bit", "B1=\xB1\r\n", {"B1=\xC2\xB1"}, E::Windows1252},
        {"UTF-8 chosen for a Latin-1 file: the line is not read", "41=\xE9\r\n42=B\r\n", {"42=B"}, E::Utf8,
         {{1, S::NotEncoded}}, {}, E::Utf8},
        {"the last line for a key wins; both lines named", "41=A\r\n42=B\r\n41=C\r\n", {"41=C", "42=B"}, E::Utf8, {},
         {{"41", {1, 3}}}},
        {"a key given three times after comments: its line numbers",
         "# c\r\n\r\n41=A\r\n# d\r\n41=B\r\n41=C\r\n", {"41=C"}, E::Utf8, {}, {{"41", {3, 5, 6}}}},
        {"an end tag with no bytes whose text begins with digits", "/ABC\r\n/FE<E>\r\n", {"/=ABC", "/=FE<E>"}},
        {"equals sign as text, lower-case keys", "3D==\r\n9f=z\r\n81a0=w\r\n", {"3D==", "81A0=w", "9F=z"}},
        {"no text removes the key, except on the last line", "41=A\r\n43=C\r\n41=\r\n42=B\r\n43=\r\n",
         {"42=B", "43=C"}, E::Utf8, {}, {{"41", {1, 3}}}},
        {"lone LF and CR are text in a CR LF file", "41=a\nb\rc\r\n42=x\r", {"41=a\nb\rc", "42=x\r"}},
        {"CR LF past eight bytes; a CR before another byte is text", "41=abcd\r\n42=xy\r\x0C\nz\r\n43=0123456789\r\n",
         {"41=abcd", "42=xy\r\x0C\nz", "43=0123456789"}},
        {"LF and CR lines", "A\n42=B\r43=C\n", {"42=B", "43=C"}, E::Utf8, {{1, S::NoEquals}}},
        {"comments, blank lines and blanks around a key", "# 41=x\n; 42=y\n  \t\n\n 41 = A\n", {"41= A"}},
        {"keys of 32 bytes and more",
         "0102030405060708091011121314151617181920212223242526272829303132=a\n"
         "010203040506070809101112131415161718192021222324252627282930313233=b\n",
         {"0102030405060708091011121314151617181920212223242526272829303132=a"}, E::Utf8, {{2, S::LongKey}}},
        {"lines that are not read",
         "4G=q\n123=y\n4 1=t\n=w\n$C9=<x>\n$C9=<x>,256\n!01=x\n%01=x\n*FG\n/\n", {}, E::Utf8,
         {{1, S::BadKey}, {2, S::BadKey}, {3, S::BadKey}, {4, S::BadKey}, {5, S::BadLinked}, {6, S::BadLinked},
          {7, S::TableSwitch}, {8, S::BitKey}, {9, S::BadKey}, {10, S::BadKey}}},
    };
    return rows;
}

TEST(TblFile, ReadsEveryKindInEveryEncoding) {
    for (const ReadRow& row : readRows()) {
        SCOPED_TRACE(row.name);
        Table table;
        TableSource source;
        const TblReadResult read = readTbl(row.bytes, table, &source, row.forced);
        EXPECT_EQ(entriesOf(table), row.entries);
        EXPECT_EQ(std::pair(read.encoding.encoding, read.encoding.byteOrderMark),
                  std::pair(row.encoding, row.byteOrderMark));
        std::vector<std::pair<int, S>> skips;
        for (const TblSkippedLine& skip : read.firstSkips) skips.emplace_back(skip.line, skip.reason);
        const auto listed = std::min(row.skips.size(), kListedSkips);
        EXPECT_EQ(skips, std::vector(row.skips.begin(), row.skips.begin() + static_cast<std::ptrdiff_t>(listed)));
        EXPECT_EQ(read.skipped, std::ssize(row.skips));
        std::vector<std::pair<std::string, std::vector<int>>> duplicates;
        for (const TblDuplicate& d : read.firstDuplicates) duplicates.emplace_back(hexKey(d.key), d.lines);
        EXPECT_EQ(duplicates, row.duplicates);
        EXPECT_EQ(writeTbl(table, source), row.bytes) << "saved unchanged";
    }
}

// The load's message names at most a few keys given twice, each with a few of its lines and how many more:
// a key on a million lines makes a message of a few lines, not one line number each.
TEST(TblFile, DuplicatesMessageStaysShort) {
    const auto lines = [](int n, const std::string& line) {
        std::string text;
        for (int i = 0; i < n; ++i) text += line;
        return text;
    };
    const std::tuple<const char*, std::string, std::string> rows[] = {
        {"twice", "41=a\n42=b\n41=c\n", "1 key was given more than once (the last line counts):\n41 on lines 1 and 3"},
        {"as many lines as are listed", lines(4, "41=a\n"), "\n41 on lines 1, 2, 3 and 4"},
        {"more lines than are listed", lines(1000000, "41=a\n"),
         "\n41 on lines 1, 2, 3, 4 and 999996 more (the last, line 1000000, counts)"},
        {"more keys than are listed", lines(3, "41=a\n42=b\n43=c\n44=d\n45=e\n46=f\n47=g\n"),
         "7 keys were given more than once (the last line counts):\n41 on lines 1, 8 and 15\n"
         "42 on lines 2, 9 and 16\n43 on lines 3, 10 and 17\n44 on lines 4, 11 and 18\n45 on lines 5, 12 and 19\n"
         "and 2 more."},
    };
    for (const auto& [name, bytes, message] : rows) {
        SCOPED_TRACE(name);
        Table table;
        const std::string text = describeTblLoad("t.tbl", readTbl(bytes, table));
        EXPECT_NE(text.find(message), std::string::npos) << text;
        EXPECT_LT(text.size(), 500u);
    }
}

TableEntry entry(std::string key, std::string text, EntryKind kind = EntryKind::Letter) {
    return {.key = std::move(key), .text = std::move(text), .kind = kind, .params = 0};
}

// File bytes, then edits (an entry set, or a key with no text removed) -> the bytes saved, or the problem.
TEST(TblFile, SavesChangesInPlace) {
    struct Row {
        const char* name;
        std::string bytes;
        std::vector<TableEntry> edits;
        std::string saved;
        std::string problem = {};
    };
    const Row rows[] = {
        {"one-byte lines: new ones in key order, emptied ones dropped", "41=A\r\n43=C\r\n44=D\r\n",
         {entry("\x42", "B"), entry("\x44", ""), entry("\x81\x40", "w"), entry("\0"s, "z")},
         "00=z\r\n41=A\r\n42=B\r\n43=C\r\n8140=w\r\n"},
        {"one-byte lines: letters byte for byte, Latin-1 in a plain file", "41=A\r\n",
         {entry("\x41", "\xC3\xA9\n")}, "41=\xE9\n\r\n"},
        {"other files: changed in place, new at the end", "# t\n8140 = x\n/00\n",
         {entry("\x81\x40", "y"), entry("\x42", "a\nb"), entry("\0"s, "<E>", EntryKind::EndToken)},
         "# t\n8140 =y\n/00=<E>\n42=a\\nb\n"},
        {"a kind that changed is written afresh", "/FF=<END>\n41=A\n", {entry("\xFF", "x")}, "FF=x\n41=A\n"},
        {"a key given twice: the last line changes, or every line goes", "41=A\n41=B\n42=C\n41=D\n",
         {entry("\x41", ""), entry("\x42", "c")}, "42=c\n"},
        {"a key given twice: the line that counts changes", "41=A\n41=B\n", {entry("\x41", "C")}, "41=A\n41=C\n"},
        {"an emptied key gets its text back in place", "41=\n42=B\n", {entry("\x41", "A")}, "41=A\n42=B\n"},
        {"a last line without a line end", "41=A", {entry("\x42", "B")}, "41=A\r\n42=B\r\n"},
        {"Shift-JIS stays Shift-JIS", "8140=\x82\xA0\r\n", {entry("\x81\x42", "\xE3\x81\x86")},
         "8140=\x82\xA0\r\n8142=\x82\xA4\r\n"},
        {"UTF-16 stays UTF-16", utf16(u"41=A\n", false), {entry("\x41", "\xE3\x81\x82")}, utf16(u"41=\u3042\n", false)},
        {"a plain file takes UTF-8 for kana", "41=A\n", {entry("\x42", "\xE3\x81\x82")}, "41=A\n42=\xE3\x81\x82\n"},
        {"a character the file's encoding lacks", "41=\xE9\r\n", {entry("\x41", "\xE3\x81\x82")}, "",
         "Entry 41 holds \"\xE3\x81\x82\" (U+3042), which Windows-1252 has no bytes for."},
        {"CR LF in a file of one-byte lines", "41=A\r\n", {entry("\x41", "a\r\nb")}, "",
         "Entry 41 holds a line end, which would end its line early in a table file."},
        {"a lone CR in other files", "41=A\n", {entry("\x41", "a\rb")}, "",
         "Entry 41 holds a line end, which would end its line early in a table file."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Table table;
        TableSource source;
        readTbl(row.bytes, table, &source);
        for (const TableEntry& edit : row.edits) {
            if (edit.text.empty() && edit.kind == EntryKind::Letter) table.remove(edit.key);
            else table.set(edit);
        }
        std::string problem;
        EXPECT_EQ(writeTbl(table, source, &problem).value_or(""), row.saved);
        EXPECT_EQ(problem, row.problem);
    }
}

// A table made in the editor, with no file: one line per entry, one-byte keys ascending, then the longer keys.
TEST(TblFile, SavesANewTableInKeyOrder) {
    CharTable view;  // every byte value as a letter, Latin-1 as the grid types them, and awkward entries
    for (int b = 0; b < 256; ++b) view[static_cast<size_t>(b)] = std::string(1, static_cast<char>(b));
    view[0x20] = "a=b", view[0x22] = "\n\n", view[0x23] = "x\r", view[0x25] = "", view[0x26] = "# not a comment";
    Table table;
    table.takeOneByteView(view, false);
    table.set(entry("\x81\x40", "w"));
    const std::optional<std::string> bytes = writeTbl(table, TableSource{});
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(bytes->starts_with("00=\0\r\n01=\x01\r\n"sv));
    EXPECT_TRUE(bytes->ends_with("\r\nFE=\xFE\r\nFF=\xFF\r\n8140=w\r\n"));
    Table back;
    TableSource source;
    const TblReadResult read = readTbl(*bytes, back, &source);
    EXPECT_EQ(std::tuple(read.entries, read.skipped, read.encoding.encoding), std::tuple(256, 0, E::Latin1));
    EXPECT_EQ(back.oneByteView(), table.oneByteView());
    EXPECT_EQ(writeTbl(back, source), bytes);
}

// Random files of lines of every kind, junk, odd line ends and stray bytes, in every encoding: saved
// unchanged, each gives its bytes back (the fuzz target checks the same on any bytes).
TEST(TblFile, SavesAnyFileBackUnchanged) {
    static const char* const kPieces[] = {"41=A", "8140=\x82\xA0", "/FF", "/<E>", "*FE=<L>", "$C9=x,1", "# c", "",
                                          "  ", "@id", "4G=q", "41=", "42=a\\nb", "\xE9", "\xFF\xFE", "=", "*",
                                          "41=\xC3\xA9"};
    static const char* const kEnds[] = {"\r\n", "\n", "\r", ""};
    std::mt19937 rng(2701);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes = rng() % 8 == 0 ? "\xEF\xBB\xBF" : "";
        for (int lines = static_cast<int>(rng() % 8); lines > 0; --lines)
            bytes += std::string(kPieces[rng() % std::size(kPieces)]) + kEnds[rng() % std::size(kEnds)];
        const std::optional<E> forced = rng() % 2 ? std::nullopt : std::optional(static_cast<E>(rng() % kTextEncodings));
        Table table;
        TableSource source;
        readTbl(bytes, table, &source, forced);
        ASSERT_EQ(writeTbl(table, source), bytes) << round;
    }
}

}  // namespace
}  // namespace tarpon
