// IPS patches: what the writer makes for each kind of change, and what the reader
// does with sound and damaged patches.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "patch/ips.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;

// "PATCH" and "EOF" as text, the rest as hexadecimal pairs, spaces ignored.
Bytes ips(const std::string& hexBetween, const std::string& afterEof = "") {
    Bytes out = {'P', 'A', 'T', 'C', 'H'};
    const auto hex = [&](const std::string& text) {
        std::string digits;
        for (char c : text)
            if (c != ' ') digits += c;
        for (size_t i = 0; i + 1 < digits.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    };
    hex(hexBetween);
    out.insert(out.end(), {'E', 'O', 'F'});
    hex(afterEof);
    return out;
}

struct Record {
    uint32_t offset, length;
    bool rle;
    friend bool operator==(const Record&, const Record&) = default;
};

// The records of a patch the writer made (sound by construction).
std::vector<Record> recordsOf(const Bytes& p) {
    std::vector<Record> records;
    for (size_t at = 5; at + 3 <= p.size() && !(p[at] == 'E' && p[at + 1] == 'O' && p[at + 2] == 'F');) {
        const uint32_t offset = uint32_t{p[at]} << 16 | uint32_t{p[at + 1]} << 8 | p[at + 2];
        const uint32_t length = uint32_t{p[at + 3]} << 8 | p[at + 4];
        if (length == 0) records.push_back({offset, uint32_t{p[at + 5]} << 8 | p[at + 6], true}), at += 8;
        else records.push_back({offset, length, false}), at += 5 + length;
    }
    return records;
}

Bytes with(Bytes b, size_t at, const Bytes& put) {
    if (b.size() < at + put.size()) b.resize(at + put.size());
    std::copy(put.begin(), put.end(), b.begin() + static_cast<ptrdiff_t>(at));
    return b;
}

TEST(Ips, WriterMakesEachKindOfRecord) {
    const Bytes zeros8(8, 0);
    const struct {
        const char* name;
        Bytes original, modified, patch;
    } rows[] = {
        {.name = "same files: no record", .original = zeros8, .modified = zeros8, .patch = ips("")},
        {.name = "one changed byte", .original = zeros8, .modified = with(zeros8, 1, {0xAB}), .patch = ips("000001 0001 AB")},
        {.name = "changes four equal bytes apart: one record", .original = zeros8, .modified = with(zeros8, 1, {1, 0, 0, 0, 0, 2}),
         .patch = ips("000001 0006 010000000002")},
        {.name = "changes five equal bytes apart: two records", .original = Bytes(9, 0),
         .modified = with(Bytes(9, 0), 1, {1, 0, 0, 0, 0, 0, 2}), .patch = ips("000001 0001 01 000007 0001 02")},
        {.name = "a run of one byte: RLE record", .original = Bytes(16, 0), .modified = Bytes(16, 0x77),
         .patch = ips("000000 0000 0010 77")},
        {.name = "a short run stays data", .original = Bytes(16, 0), .modified = with(Bytes(16, 0), 2, Bytes(8, 0x77)),
         .patch = ips("000002 0008 7777777777777777")},
        {.name = "growth: the new bytes are written", .original = {0xAA, 0xBB}, .modified = {0xAA, 0xBB, 0xCC, 0},
         .patch = ips("000002 0002 CC00")},
        {.name = "truncation: the size after EOF", .original = {1, 2, 3, 4}, .modified = {1, 2}, .patch = ips("", "000002")},
        {.name = "changed and shorter", .original = {1, 2, 3, 4}, .modified = {9, 2}, .patch = ips("000000 0001 09", "000002")},
    };
    for (const auto& row : rows) {
        const PatchResult r = createIps(row.original, row.modified);
        EXPECT_TRUE(r.ok()) << row.name << ": " << r.error;
        EXPECT_EQ(Bytes(r.bytes.begin(), r.bytes.end()), row.patch) << row.name;
    }
}

TEST(Ips, WriterKeepsOffsetsAndSizesTheFormatCanHold) {
    const Bytes big(0x454F60, 0);
    const Bytes varied = [] {
        Bytes b(70000);
        for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(0x80 | (i * 7));  // never 0, never repeated
        return b;
    }();
    const struct {
        const char* name;
        Bytes original, modified;
        std::vector<Record> records;
    } rows[] = {
        {.name = "a change at 0x454F46 (\"EOF\") starts a byte earlier", .original = big,
         .modified = with(big, 0x454F46, {0xFF}), .records = {{0x454F45, 2, false}}},
        {.name = "a run at 0x454F46 starts a byte earlier", .original = big, .modified = with(big, 0x454F46, Bytes(20, 0x11)),
         .records = {{0x454F45, 2, false}, {0x454F47, 19, true}}},
        {.name = "a run of the byte before 0x454F46 takes it in", .original = with(Bytes(0x454F60, 0x22), 0x454F46, Bytes(20, 0x11)),
         .modified = Bytes(0x454F60, 0x22), .records = {{0x454F45, 21, true}}},
        {.name = "a record's end at 0x454F46: the next starts a byte earlier", .original = Bytes(0x454F46 + 5000, 0),
         .modified = with(Bytes(0x454F46 + 5000, 0), 0x454F46 - 65535, varied),
         .records = {{0x454F46 - 65535, 65535, false}, {0x454F45, 4466, false}}},
        {.name = "over 65,535 changed bytes: two records", .original = Bytes(varied.size(), 0), .modified = varied,
         .records = {{0, 65535, false}, {65535, 4465, false}}},
    };
    for (const auto& row : rows) {
        const PatchResult r = createIps(row.original, row.modified);
        ASSERT_TRUE(r.ok()) << row.name << ": " << r.error;
        EXPECT_EQ(recordsOf(Bytes(r.bytes.begin(), r.bytes.end())), row.records) << row.name;
        const PatchResult back = applyIps(r.bytes, row.original);
        EXPECT_TRUE(back.ok() && Bytes(back.bytes.begin(), back.bytes.end()) == row.modified) << row.name << ": " << back.error;
    }
}

TEST(Ips, FilesOver16MiBAreRefused) {
    const Bytes limit(kMaxIpsFileSize, 0), over(kMaxIpsFileSize + 1, 0);
    EXPECT_TRUE(createIps(limit, with(limit, kMaxIpsFileSize - 1, {1})).ok()) << "16 MiB exactly is a GBA ROM";
    for (const auto& [original, modified] : {std::pair{limit, over}, std::pair{over, limit}}) {
        const PatchResult r = createIps(original, modified);
        EXPECT_FALSE(r.ok());
        EXPECT_TRUE(r.bytes.empty());
        EXPECT_NE(r.error.find("16 MiB"), std::string::npos) << r.error;
    }
}

TEST(Ips, ReaderAppliesSoundPatchesAndRefusesDamagedOnes) {
    const Bytes four = {1, 2, 3, 4};
    const struct {
        const char* name;
        Bytes patch;
        Bytes result = {};              // when it applies
        const char* error = nullptr;  // a part of the message when it is refused
    } rows[] = {
        {.name = "data record", .patch = ips("000001 0002 AABB"), .result = {1, 0xAA, 0xBB, 4}},
        {.name = "RLE record", .patch = ips("000000 0000 0003 55"), .result = {0x55, 0x55, 0x55, 4}},
        {.name = "a record past the end grows the file with zeros", .patch = ips("000006 0001 77"), .result = {1, 2, 3, 4, 0, 0, 0x77}},
        {.name = "truncation", .patch = ips("000000 0001 09", "000001"), .result = {9}},
        {.name = "not a patch", .patch = {'P', 'A', 'T'}, .error = "not an IPS patch"},
        {.name = "cut short: no EOF", .patch = Bytes{'P', 'A', 'T', 'C', 'H'}, .error = "cut short"},
        {.name = "cut inside a header", .patch = Bytes{'P', 'A', 'T', 'C', 'H', 0, 0, 1, 0}, .error = "ends inside the record"},
        {.name = "record past the patch's end", .patch = Bytes{'P', 'A', 'T', 'C', 'H', 0, 0, 1, 0, 9, 1, 2}, .error = "runs past the end"},
        {.name = "RLE record cut", .patch = Bytes{'P', 'A', 'T', 'C', 'H', 0, 0, 1, 0, 0, 0, 3}, .error = "ends inside the record"},
        {.name = "stray bytes after EOF", .patch = ips("", "0001"), .error = "stray bytes"},
        {.name = "truncation past the end", .patch = ips("", "000005"), .error = "truncation size"},
    };
    for (const auto& row : rows) {
        const PatchResult r = applyIps(row.patch, four);
        if (row.error) {
            EXPECT_NE(r.error.find(row.error), std::string::npos) << row.name << ": " << r.error;
            EXPECT_TRUE(r.bytes.empty()) << row.name;
        } else {
            EXPECT_TRUE(r.ok()) << row.name << ": " << r.error;
            EXPECT_EQ(Bytes(r.bytes.begin(), r.bytes.end()), row.result) << row.name;
        }
    }
}

}  // namespace
}  // namespace tarpon
