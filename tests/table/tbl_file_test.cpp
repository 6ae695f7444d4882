#include "table/tbl_file.h"

#include <gtest/gtest.h>

#include <random>

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
    CharTable back;
    EXPECT_EQ(readTbl(writeTbl(table), back), TblReadEnd::Complete);
    EXPECT_EQ(back, table);
}

TEST(TblFile, ReaderEdgeCases) {
    struct Case {
        std::string text;
        TblReadEnd end;
        std::vector<std::pair<int, std::string>> expect;  // every other entry stays "old"
    };
    const auto C = TblReadEnd::Complete, S = TblReadEnd::Stopped;
    const std::vector<Case> cases = {
        {"41=A\r\n42=B\r\n", C, {{0x41, "A"}, {0x42, "B"}}},
        {"3D==\r\n", C, {{0x3D, "="}}},
        {"ff=z\r\n", C, {{0xFF, "z"}}},
        {"1=A\r\n41=B\r\n", S, {}},
        {"41=A\r\n\r\n42=B\r\n", S, {{0x41, "A"}}},  // a blank line ends the load
        {"42=B\r\n41=\r\n", C, {{0x42, "B"}}},       // too short to be read
        {"41=\r\n42=B\r\n", C, {{0x41, ""}, {0x42, "B"}}},
        {"41=A\r\n41=B\r\n", C, {{0x41, "B"}}},
        {"4G=q\r\nG4=r\r\n", C, {{0x04, "q"}, {0x00, "r"}}},
        {"41=a\nb\rc\r\n", C, {{0x41, "a\nb\rc"}}},
        {"", C, {}},
        // A last line without CR LF keeps its whole entry; one ending in CR LF is as above.
        {"41=A\r\n42=xyz", C, {{0x41, "A"}, {0x42, "xyz"}}},
        {"41=A\r\n5A=z", C, {{0x41, "A"}, {0x5A, "z"}}},
        {"5A=z", C, {{0x5A, "z"}}},
        {"41=A\r\n42=", C, {{0x41, "A"}}},
        {"41=A\r\nxyz", C, {{0x41, "A"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CharTable table, expected;
        table.fill("old");
        expected.fill("old");
        for (const auto& [b, letters] : c.expect) expected[static_cast<size_t>(b)] = letters;
        EXPECT_EQ(readTbl(c.text, table), c.end);
        EXPECT_EQ(table, expected);
    }
}

// Random bytes, biased towards the characters the reader looks at, each in a buffer
// of exactly its size (a read past the end shows under the address sanitizer).
// Every entry read is a piece of the input and survives writing and reading back.
TEST(TblFile, RandomInputIsReadSafelyAndRoundTrips) {
    std::mt19937 rng(20261206);
    const char alphabet[] = {'0', '4', 'F', 'a', 'g', '=', '\r', '\n', '\0', '\xFF'};
    for (int round = 0; round < 5000; ++round) {
        const size_t length = rng() % 48;
        auto buffer = std::make_unique<char[]>(length);
        for (size_t k = 0; k < length; ++k)
            buffer[k] = rng() % 2 ? alphabet[rng() % sizeof alphabet] : static_cast<char>(rng() % 256);
        const std::string_view text(buffer.get(), length);
        CharTable table, back;
        readTbl(text, table);
        for (const std::string& entry : table) ASSERT_NE(text.find(entry), std::string_view::npos);
        ASSERT_EQ(unwritableEntry(table), -1);
        readTbl(writeTbl(table), back);
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
    EXPECT_EQ(loadTblFile(path, loaded).status, TblLoadStatus::Complete);
    EXPECT_EQ(loaded[0x41], "A");
}

}  // namespace
}  // namespace tarpon
