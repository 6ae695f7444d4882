#include "table/tbl_file.h"

#include <gtest/gtest.h>

#include <random>

#include "temp_dir.h"

namespace tarpon {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

std::vector<uint8_t> bytesOf(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

TEST(TblWriter, WritesAscendingUpperCaseLinesWithCrLf) {
    CharTable table;
    table[0xFF] = "th";
    table[0x41] = "A";
    table[0x0A] = "x";
    const std::string text = writeTbl(table);
    EXPECT_EQ(text, "0A=x\r\n41=A\r\nFF=th\r\n");
    EXPECT_EQ(text.size(), 19u);
    EXPECT_EQ(writeTbl(CharTable{}), "");
}

TEST(TblReader, RoundTripsEveryByteValueAsAnEntry) {
    CharTable table;
    for (int b = 0; b < 256; ++b) table[static_cast<size_t>(b)] = std::string(1, static_cast<char>(b));
    table[0x20] = "a=b";       // "=" inside
    table[0x21] = "\r";        // CR alone
    table[0x22] = "\n\n";      // LF alone
    table[0x23] = "x\r";       // CR right before the line end
    table[0x24] = "\xE9\xFF";  // bytes above 0x7F
    table[0x25] = "";          // an empty entry is not written and stays empty
    CharTable back;
    EXPECT_EQ(readTbl(writeTbl(table), back), TblReadEnd::Complete);
    EXPECT_EQ(back, table);
}

TEST(TblReader, EdgeCases) {
    struct Case {
        const char* name;
        std::string text;
        TblReadEnd end;
        std::vector<std::pair<int, std::string>> expect;  // entries after the load; others stay "old"
    };
    const std::string crlf = "\r\n";
    const std::vector<Case> cases = {
        {"two lines", "41=A\r\n42=B\r\n", TblReadEnd::Complete, {{0x41, "A"}, {0x42, "B"}}},
        {"equals sign", "3D==\r\n", TblReadEnd::Complete, {{0x3D, "="}}},
        {"lower-case digits", "ff=z\r\n", TblReadEnd::Complete, {{0xFF, "z"}}},
        {"one digit", "1=A\r\n41=B\r\n", TblReadEnd::Stopped, {}},
        {"blank line stops", "41=A\r\n\r\n42=B\r\n", TblReadEnd::Stopped, {{0x41, "A"}}},
        {"short last line", "42=B\r\n41=\r\n", TblReadEnd::Complete, {{0x42, "B"}}},
        {"empty entry mid-file", "41=\r\n42=B\r\n", TblReadEnd::Complete, {{0x41, ""}, {0x42, "B"}}},
        {"last line wins", "41=A\r\n42=B\r\n41=B\r\n", TblReadEnd::Complete, {{0x41, "B"}, {0x42, "B"}}},
        {"digit then non-digit", "4G=q\r\n", TblReadEnd::Complete, {{0x04, "q"}}},
        {"non-digit first", "G4=q\r\n", TblReadEnd::Complete, {{0x00, "q"}}},
        {"lone LF inside", "41=a\nb\r\n", TblReadEnd::Complete, {{0x41, "a\nb"}}},
        {"empty file", "", TblReadEnd::Complete, {}},
        {"text that is no table", "Hello world\r\n", TblReadEnd::Stopped, {}},
        // Hand-written files whose last line has no CR LF keep the whole last entry.
        {"unterminated last line", "41=A\r\n42=xyz", TblReadEnd::Complete, {{0x41, "A"}, {0x42, "xyz"}}},
        {"unterminated one letter", "41=A\r\n5A=z", TblReadEnd::Complete, {{0x41, "A"}, {0x5A, "z"}}},
        {"unterminated alone", "5A=z", TblReadEnd::Complete, {{0x5A, "z"}}},
        {"unterminated two letters", "5A=zy", TblReadEnd::Complete, {{0x5A, "zy"}}},
        {"unterminated without letter", "41=A\r\n42=", TblReadEnd::Complete, {{0x41, "A"}}},
        {"short tail after line", "41=A\r\nxyz", TblReadEnd::Complete, {{0x41, "A"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CharTable table;
        table.fill("old");
        EXPECT_EQ(readTbl(c.text, table), c.end);
        CharTable expected;
        expected.fill("old");
        for (const auto& [b, letters] : c.expect) expected[static_cast<size_t>(b)] = letters;
        for (int b = 0; b < 256; ++b) EXPECT_EQ(table[static_cast<size_t>(b)], expected[static_cast<size_t>(b)]) << b;
    }
}

// Random tables (letters of any bytes but CR LF) survive writing and reading back.
TEST(TblReader, RandomTablesRoundTrip) {
    std::mt19937 rng(20261206);
    for (int round = 0; round < 300; ++round) {
        CharTable table;
        for (std::string& entry : table) {
            if (rng() % 3 == 0) continue;
            const size_t length = 1 + rng() % 5;
            for (size_t k = 0; k < length; ++k) entry += static_cast<char>(rng() % 256);
            while (entry.find("\r\n") != std::string::npos) entry.erase(entry.find("\r\n"), 1);
        }
        ASSERT_EQ(unwritableEntry(table), -1);
        CharTable back;
        readTbl(writeTbl(table), back);
        ASSERT_EQ(back, table) << "round " << round;
    }
}

// Arbitrary bytes, biased towards the characters that matter to the reader, never
// crash it; each input sits in a buffer of exactly its size so that a read past the
// end shows under the address sanitizer. Every entry it sets is a piece of the input,
// and whatever it reads is written and read back unchanged.
TEST(TblReader, ArbitraryBytesAreHarmless) {
    std::mt19937 rng(7);
    const char alphabet[] = {'0', '4', '1', 'F', 'a', 'g', '=', '\r', '\n', 'x', '\0', '\xFF'};
    for (int round = 0; round < 5000; ++round) {
        const size_t length = rng() % 40;
        auto buffer = std::make_unique<char[]>(length);
        for (size_t k = 0; k < length; ++k)
            buffer[k] = rng() % 2 ? alphabet[rng() % sizeof alphabet] : static_cast<char>(rng() % 256);
        const std::string_view text(buffer.get(), length);
        CharTable table;
        readTbl(text, table);
        for (const std::string& entry : table) ASSERT_NE(text.find(entry), std::string_view::npos);
        ASSERT_EQ(unwritableEntry(table), -1);
        CharTable back;
        readTbl(writeTbl(table), back);
        ASSERT_EQ(back, table);
    }
}

TEST(TblFile, SaveReplacesLongerFileAndLoadReadsItBack) {
    TempDir dir;
    const std::string path = dir.file("game.tbl");
    writeBytes(path, bytesOf(std::string(500, 'Q')));
    CharTable table;
    table[0x41] = "A";
    std::string error;
    ASSERT_TRUE(saveTblFile(path, table, systemFileIo(), &error)) << error;
    EXPECT_EQ(readBytes(path), bytesOf("41=A\r\n"));
    ASSERT_TRUE(saveTblFile(path, CharTable{}, systemFileIo(), &error)) << error;
    EXPECT_TRUE(readBytes(path).empty());

    writeBytes(path, bytesOf("0A=x\r\n41=A\r\nFF=th\r\n"));
    CharTable loaded;
    EXPECT_EQ(loadTblFile(path, loaded).status, TblLoadStatus::Complete);
    EXPECT_EQ(loaded[0x0A], "x");
    EXPECT_EQ(loaded[0xFF], "th");
}

TEST(TblFile, FailuresChangeNothing) {
    TempDir dir;
    const std::string path = dir.file("t.tbl");
    writeBytes(path, bytesOf("41=A\r\n"));
    CharTable table;
    table[0x30] = "a\r\nb";  // cannot be written as one line
    std::string error;
    EXPECT_FALSE(saveTblFile(path, table, systemFileIo(), &error));
    EXPECT_NE(error.find("30"), std::string::npos);
    EXPECT_EQ(readBytes(path), bytesOf("41=A\r\n"));

    // A failing write leaves the old file whole.
    struct FailingIo : FileIo {
        ssize_t write(int, const void*, size_t) override { return -1; }
    } failing;
    table[0x30] = "b";
    EXPECT_FALSE(saveTblFile(path, table, failing, &error));
    EXPECT_EQ(readBytes(path), bytesOf("41=A\r\n"));

    // A missing file is reported, not created; a directory is not a table.
    CharTable loaded;
    const std::string missing = dir.file("missing.tbl");
    TblLoadResult result = loadTblFile(missing, loaded);
    EXPECT_EQ(result.status, TblLoadStatus::Failed);
    EXPECT_FALSE(result.error.empty());
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(loadTblFile(dir.path(), loaded).status, TblLoadStatus::Failed);
    const std::string big = dir.file("big.tbl");
    writeBytes(big, bytesOf("41=A\r\n"));
    std::filesystem::resize_file(big, kMaxTblFileSize);
    result = loadTblFile(big, loaded);
    EXPECT_EQ(result.status, TblLoadStatus::Failed);
    EXPECT_NE(result.error.find("too big"), std::string::npos);
    EXPECT_EQ(loaded, CharTable{});
}

}  // namespace
}  // namespace tarpon
