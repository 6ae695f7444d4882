#include "table/tbl_file.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "temp_dir.h"

namespace tarpon {
namespace {

std::vector<uint8_t> bytesOf(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

TEST(TblFile, WritesLinesAndReadsThemBack) {
    CharTable example;
    example[0xFF] = "th";
    example[0x41] = "A";
    example[0x0A] = "x";
    EXPECT_EQ(writeTbl(example), "0A=x\r\n41=A\r\nFF=th\r\n");
    EXPECT_EQ(writeTbl(CharTable{}), "");

    CharTable table;  // every byte value as a letter, and awkward entries
    for (int b = 0; b < 256; ++b) table[static_cast<size_t>(b)] = std::string(1, static_cast<char>(b));
    table[0x20] = "a=b";
    table[0x22] = "\n\n";
    table[0x23] = "x\r";  // CR right before the line's CR LF
    table[0x24] = "\xE9\xFF";
    table[0x25] = "";
    table[0x26] = "# not a comment";
    table[0x27] = " ";
    CharTable back;
    const TblReadResult read = readTbl(writeTbl(table), back);
    EXPECT_EQ(read.skipped, 0);
    EXPECT_EQ(read.entries, 255);
    EXPECT_EQ(back, table);
}

// File text -> entries and skipped lines. Rows marked "was:" read differently
// before: a line that is not an entry used to end the load without a word.
TEST(TblFile, ReaderCases) {
    using K = TblSkip;
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::pair<int, std::string>> expect;  // every other entry stays "old"
        std::vector<TblSkippedLine> skips = {};
    };
    const std::vector<Case> cases = {
        // Files of entry lines ending in CR LF, as the writer writes them.
        {"crlf entries", "41=A\r\n42=B\r\n", {{0x41, "A"}, {0x42, "B"}}},
        {"equals sign as letter", "3D==\r\n", {{0x3D, "="}}},
        {"lower-case key", "ff=z\r\n", {{0xFF, "z"}}},
        {"no letters, last line: passed over", "42=B\r\n41=\r\n", {{0x42, "B"}}},
        {"no letters, earlier line: emptied", "41=\r\n42=B\r\n", {{0x41, ""}, {0x42, "B"}}},
        {"last line wins", "41=A\r\n41=B\r\n", {{0x41, "B"}}},
        {"lone LF and CR kept in a CR LF file", "41=a\nb\rc\r\n", {{0x41, "a\nb\rc"}}},
        {"empty file", "", {}},
        {"last line without CR LF", "41=A\r\n42=xyz", {{0x41, "A"}, {0x42, "xyz"}}},
        {"one-letter last line", "41=A\r\n5A=z", {{0x41, "A"}, {0x5A, "z"}}},
        {"single unterminated line", "5A=z", {{0x5A, "z"}}},
        {"unterminated last line without letters", "41=A\r\n42=", {{0x41, "A"}}},
        {"CR ending the last line of a CR LF file", "41=A\r\n42=x\r", {{0x41, "A"}, {0x42, "x\r"}}},
        {"leading space kept in letters", "41= A\r\n", {{0x41, " A"}}},
        // was: the load stopped at the first of these lines, silently.
        {"one-digit key", "1=A\r\n41=B\r\n", {{0x41, "B"}}, {{1, K::BadKey}}},
        {"blank line", "41=A\r\n\r\n42=B\r\n", {{0x41, "A"}, {0x42, "B"}}},
        {"plain text last", "41=A\r\nxyz", {{0x41, "A"}}, {{2, K::NoEquals}}},
        // was: read as 04 and 00.
        {"keys that are not hex", "4G=q\r\nG4=r\r\n", {}, {{1, K::BadKey}, {2, K::BadKey}}},
        // Line ends other than CR LF.
        {"LF only", "A\n42=B\n43=C\n", {{0x42, "B"}, {0x43, "C"}}, {{1, K::NoEquals}}},
        {"CR only", "41=A\r42=B\r", {{0x41, "A"}, {0x42, "B"}}},
        {"LF, no letters last", "41=A\n42=\n", {{0x41, "A"}}},
        {"LF then CR: an empty line between", "41=A\n\r42=B", {{0x41, "A"}, {0x42, "B"}}},
        // Lines that are not one-byte entries.
        {"two-byte key", "8140=x\r\n41=A\r\n", {{0x41, "A"}}, {{1, K::WideKey}}},
        {"three-byte key, LF", "41=A\n818283=x\n", {{0x41, "A"}}, {{2, K::WideKey}}},
        {"three-digit key", "123=x\n", {}, {{1, K::BadKey}}},
        {"empty key", "=x\n", {}, {{1, K::BadKey}}},
        {"end token", "/00=<end>\r\n/FF=\r\n41=A", {{0x00, "<end>"}, {0xFF, ""}, {0x41, "A"}}},
        {"end token without =", "/00\n", {}, {{1, K::NoEquals}}},
        {"two-byte end token", "/FFFF=<end>\n", {}, {{1, K::WideKey}}},
        {"newline markers", "*0A\n* FE \n*fd=\n", {{0x0A, "\n"}, {0xFE, "\n"}, {0xFD, "\n"}}},
        {"newline marker with letters", "*0A=x\n", {}, {{1, K::MarkerText}}},
        {"two-byte newline marker", "*FFFE\n", {}, {{1, K::WideKey}}},
        {"comments", "# 41=x\n; 42=y\n  #c\n41=A\n", {{0x41, "A"}}},
        {"blank lines of white space", "  \n\t\n\r\n41=A", {{0x41, "A"}}},
        {"blanks around the key", "41 = A\n\t42\t=B\n", {{0x41, " A"}, {0x42, "B"}}},
        {"blank inside the key", "4 1=A\n", {}, {{1, K::BadKey}}},
        {"byte-order mark", "\xEF\xBB\xBF" "41=A\r\n", {{0x41, "A"}}},
        {"byte-order mark, then a comment", "\xEF\xBB\xBF# c\n41=A", {{0x41, "A"}}},
        {"line numbers count every line",
         "# head\n\n8140=x\n41=A\n/zz=y\n", {{0x41, "A"}}, {{3, K::WideKey}, {5, K::BadKey}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CharTable table, expected;
        table.fill("old");
        expected.fill("old");
        std::set<int> given;
        for (const auto& [b, letters] : c.expect) {
            expected[static_cast<size_t>(b)] = letters;
            given.insert(b);
        }
        const TblReadResult read = readTbl(c.text, table);
        EXPECT_EQ(table, expected);
        EXPECT_EQ(read.entries, static_cast<int>(given.size()));
        EXPECT_EQ(read.skipped, static_cast<int>(c.skips.size()));
        ASSERT_EQ(read.firstSkips.size(), c.skips.size());
        for (size_t k = 0; k < c.skips.size(); ++k) {
            EXPECT_EQ(read.firstSkips[k].line, c.skips[k].line);
            EXPECT_EQ(read.firstSkips[k].reason, c.skips[k].reason) << "line " << c.skips[k].line;
        }
    }
}

TEST(TblFile, ManySkippedLinesAreCountedAndTheFirstListed) {
    std::string text = "41=A\n";
    for (int k = 0; k < 40; ++k) text += "8140=x\n";
    CharTable table;
    const TblReadResult read = readTbl(text, table);
    EXPECT_EQ(read.skipped, 40);
    ASSERT_EQ(read.firstSkips.size(), kListedSkips);
    EXPECT_EQ(read.firstSkips.back().line, 1 + static_cast<int>(kListedSkips));
    const std::string message = describeTblLoad("game.tbl", read);
    EXPECT_EQ(message.rfind("Read 1 entry from \"game.tbl\".\n40 lines were skipped:\n"
                            "line 2: keys of more than one byte are not supported\n", 0), 0u) << message;
    EXPECT_NE(message.find("and 35 more."), std::string::npos) << message;
}

// Random bytes, biased towards the characters the reader looks at, each in a buffer
// of exactly its size (a read past the end shows under the address sanitizer).
// Every entry read is a piece of the input and survives writing and reading back.
TEST(TblFile, RandomInputIsReadSafelyAndRoundTrips) {
    std::mt19937 rng(20261206);
    const char alphabet[] = {'0', '4', 'F', 'a', 'g', '=', '\r', '\n', '\0', '\xFF', '*', '/', '#', ' '};
    for (int round = 0; round < 5000; ++round) {
        const size_t length = rng() % 48;
        auto buffer = std::make_unique<char[]>(length);
        for (size_t k = 0; k < length; ++k)
            buffer[k] = rng() % 2 ? alphabet[rng() % sizeof alphabet] : static_cast<char>(rng() % 256);
        const std::string_view text(buffer.get(), length);
        CharTable table, back;
        readTbl(text, table);
        for (const std::string& entry : table) {
            if (entry != kNewlineMarkerLetters) {
                ASSERT_NE(text.find(entry), std::string_view::npos);
            }
        }
        ASSERT_EQ(unwritableEntry(table), -1);
        ASSERT_EQ(readTbl(writeTbl(table), back).skipped, 0);
        ASSERT_EQ(back, table) << "round " << round;
    }
}

TEST(TblFile, SavingReplacesWholeAndFailuresChangeNothing) {
    test::TempDir dir;
    const std::string path = dir.file("t.tbl");
    test::writeBytes(path, bytesOf(std::string(500, 'Q')));
    CharTable table;
    table[0x41] = "A";
    std::string error;
    ASSERT_TRUE(saveTblFile(path, table, systemFileIo(), &error)) << error;
    EXPECT_EQ(test::readBytes(path), bytesOf("41=A\r\n"));

    table[0x30] = "a\r\nb";  // would split into two lines
    EXPECT_FALSE(saveTblFile(path, table, systemFileIo(), &error));
    EXPECT_NE(error.find("30"), std::string::npos);
    struct FailingIo : FileIo {
        ssize_t write(int, const void*, size_t) override { return -1; }
    } failing;
    table[0x30] = "b";
    EXPECT_FALSE(saveTblFile(path, table, failing, &error));
    EXPECT_EQ(test::readBytes(path), bytesOf("41=A\r\n"));

    // Loading: a missing file is reported and not created; a directory or a file
    // that is too large is refused.
    const std::string big = dir.file("big.tbl");
    test::writeBytes(big, bytesOf("41=B\r\n"));
    std::filesystem::resize_file(big, kMaxTblFileSize);
    CharTable loaded;
    for (const std::string& bad : {dir.file("missing.tbl"), dir.path(), big}) {
        const TblLoadResult result = loadTblFile(bad, loaded);
        EXPECT_EQ(result.status, TblLoadStatus::Failed) << bad;
        EXPECT_FALSE(result.error.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.tbl")));
    EXPECT_EQ(loaded, CharTable{});
    EXPECT_EQ(loadTblFile(path, loaded).status, TblLoadStatus::Loaded);
    EXPECT_EQ(loaded[0x41], "A");
}

}  // namespace
}  // namespace tarpon
