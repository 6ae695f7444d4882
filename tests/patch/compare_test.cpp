// Where two files differ, and the command-line diff and patch commands.
#include <gtest/gtest.h>

#include <filesystem>

#include "../test_editor.h"
#include "patch/compare.h"
#include "patch/patch_commands.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

TEST(Compare, RunsOfDifferingBytes) {
    const struct {
        const char* name;
        Bytes a, b;
        std::vector<ByteRun> runs;
    } rows[] = {
        {.name = "same", .a = {1, 2, 3}, .b = {1, 2, 3}, .runs = {}},
        {.name = "first and last byte", .a = {1, 2, 3}, .b = {9, 2, 9}, .runs = {{0, 1}, {2, 1}}},
        {.name = "adjacent bytes are one run", .a = {1, 2, 3, 4}, .b = {1, 9, 9, 4}, .runs = {{1, 2}}},
        {.name = "b longer: its tail is one run", .a = {1, 2}, .b = {1, 2, 3, 4, 5}, .runs = {{2, 3}}},
        {.name = "a longer, and a run reaching the common end", .a = {1, 2, 3, 4}, .b = {1, 9}, .runs = {{1, 1}, {2, 2}}},
        {.name = "empty against bytes", .a = {}, .b = {7}, .runs = {{0, 1}}},
        {.name = "a run over eight-byte blocks", .a = Bytes(20, 0), .b = [] { Bytes b(20, 0); std::fill(b.begin() + 5, b.begin() + 17, 1); return b; }(),
         .runs = {{5, 12}}},
    };
    for (const auto& row : rows) EXPECT_EQ(differingRuns(row.a, row.b), row.runs) << row.name;
}

TEST(Compare, PiecesFedSeparatelyJoinTheirRuns) {
    const Bytes a(10, 0), b = {0, 1, 1, 1, 0, 0, 1, 1, 1, 1};
    std::vector<ByteRun> runs;
    DiffScanner scanner([&](const ByteRun& r) { runs.push_back(r); });
    for (size_t at = 0; at < a.size(); at += 3) {
        const size_t n = std::min<size_t>(3, a.size() - at);
        scanner.feed(std::span(a).subspan(at, n), std::span(b).subspan(at, n));
    }
    scanner.finish(10, 12);
    EXPECT_EQ(runs, (std::vector<ByteRun>{{1, 3}, {6, 4}, {10, 2}}));
    EXPECT_EQ(scanner.differingBytes(), 9u);
}

TEST(Compare, NextAndPreviousDifference) {
    const std::vector<ByteRun> runs = {{4, 2}, {10, 1}, {20, 5}};
    const struct {
        uint64_t from;
        std::optional<uint64_t> next, previous;
        bool inside;
    } rows[] = {
        {.from = 0, .next = 4, .previous = std::nullopt, .inside = false},
        {.from = 4, .next = 10, .previous = std::nullopt, .inside = true},
        {.from = 5, .next = 10, .previous = 4, .inside = true},
        {.from = 6, .next = 10, .previous = 4, .inside = false},
        {.from = 10, .next = 20, .previous = 4, .inside = true},
        {.from = 22, .next = std::nullopt, .previous = 20, .inside = true},
        {.from = 25, .next = std::nullopt, .previous = 20, .inside = false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(nextDifference(runs, row.from), row.next) << row.from;
        EXPECT_EQ(previousDifference(runs, row.from), row.previous) << row.from;
        EXPECT_EQ(inDifference(runs, row.from), row.inside) << row.from;
    }
}

TEST(PatchCommands, DiffListsRunsAndAnswersAsCmp) {
    TempDir dir;
    writeBytes(dir.file("a"), {1, 2, 3, 4});
    writeBytes(dir.file("same"), {1, 2, 3, 4});
    writeBytes(dir.file("b"), {1, 9, 9, 4, 5, 6});
    writeBytes(dir.file("huge"), {});
    std::filesystem::resize_file(dir.file("huge"), (uint64_t{2} << 30) + 1);  // sparse: no disk used
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string out, err;
    } rows[] = {
        {.name = "same", .args = {"diff", dir.file("a"), dir.file("same")}, .status = 0, .out = "", .err = ""},
        {.name = "differ, and b longer",
         .args = {"diff", dir.file("a"), dir.file("b")},
         .status = 1,
         .out = "0x00000001-0x00000002 2 bytes\n0x00000004-0x00000005 2 bytes, only in B\n",
         .err = "differ in size"},
        {.name = "missing file", .args = {"diff", dir.file("a"), dir.file("none")}, .status = 2, .out = "", .err = "No such file"},
        {.name = "a folder", .args = {"diff", dir.dir, dir.file("a")}, .status = 2, .out = "", .err = "not a regular file"},
        {.name = "over 2 GiB", .args = {"diff", dir.file("huge"), dir.file("a")}, .status = 2, .out = "", .err = "too large"},
        {.name = "one file", .args = {"diff", dir.file("a")}, .status = 2, .out = "", .err = "Usage"},
    };
    for (const auto& row : rows) {
        std::string out, err;
        EXPECT_EQ(runDiff(row.args, out, err), row.status) << row.name << ": " << err;
        EXPECT_EQ(out, row.out) << row.name;
        EXPECT_NE(err.find(row.err), std::string::npos) << row.name << ": " << err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("none"))) << "a missing file is never created";
}

TEST(PatchCommands, CreateAndApplyOrRefuseWritingNothing) {
    TempDir dir;
    const Bytes original = test::countingBytes(300);
    Bytes modified = original;
    modified[7] = 0xEE;
    modified.resize(280);
    writeBytes(dir.file("orig.bin"), original);
    writeBytes(dir.file("mod.bin"), modified);
    writeBytes(dir.file("other.bin"), Bytes(300, 1));
    writeBytes(dir.file("cut.ips"), {'P', 'A', 'T', 'C', 'H', 0, 0, 1, 0, 9, 1});
    writeBytes(dir.file("big.bin"), Bytes((size_t{16} << 20) + 1, 0));
    for (const char* patch : {"p.ips", "p.BPS"}) {
        std::string out, err;
        ASSERT_EQ(runPatch({"patch", "create", dir.file("orig.bin"), dir.file("mod.bin"), dir.file(patch)}, out, err), 0) << err;
        ASSERT_EQ(runPatch({"patch", "apply", dir.file(patch), dir.file("orig.bin"), "--out", dir.file("out.bin")}, out, err), 0) << err;
        EXPECT_EQ(readBytes(dir.file("out.bin")), modified) << patch;
        std::filesystem::remove(dir.file("out.bin"));
    }
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        const char* err;
        const char* notWritten;
    } rows[] = {
        {.name = "BPS on another original", .args = {"patch", "apply", dir.file("p.BPS"), dir.file("other.bin"), "--out", dir.file("o")},
         .status = 1, .err = "CRC32", .notWritten = "o"},
        {.name = "IPS of a file over 16 MiB", .args = {"patch", "create", dir.file("orig.bin"), dir.file("big.bin"), dir.file("big.ips")},
         .status = 1, .err = "16 MiB", .notWritten = "big.ips"},
        {.name = "unknown extension", .args = {"patch", "create", dir.file("orig.bin"), dir.file("mod.bin"), dir.file("p.ups")},
         .status = 2, .err = ".ips or .bps", .notWritten = "p.ups"},
        {.name = "apply without --out", .args = {"patch", "apply", dir.file("p.ips"), dir.file("orig.bin")}, .status = 2,
         .err = "--out", .notWritten = "orig.bin.out"},
        {.name = "damaged patch", .args = {"patch", "apply", dir.file("cut.ips"), dir.file("orig.bin"), "--out", dir.file("o")},
         .status = 1, .err = "damaged", .notWritten = "o"},
    };
    for (const auto& row : rows) {
        std::string out, err;
        EXPECT_EQ(runPatch(row.args, out, err), row.status) << row.name << ": " << err;
        EXPECT_NE(err.find(row.err), std::string::npos) << row.name << ": " << err;
        EXPECT_FALSE(std::filesystem::exists(dir.file(row.notWritten))) << row.name;
    }
    EXPECT_EQ(readBytes(dir.file("orig.bin")), original);
}

}  // namespace
}  // namespace tarpon
