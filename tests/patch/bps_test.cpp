// BPS patches: the commands the writer picks for each kind of change, and the
// reader's refusals of damaged patches and of another original.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "patch/bps.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;

void number(Bytes& out, uint64_t v) {
    for (;; --v) {
        const uint8_t low = v & 0x7F;
        v >>= 7;
        if (v == 0) return out.push_back(0x80 | low);
        out.push_back(low);
    }
}

uint64_t readNumber(const Bytes& p, size_t& at) {
    uint64_t v = 0, shift = 1;
    for (;; shift <<= 7, v += shift) {
        const uint8_t b = p[at++];
        v += (b & 0x7F) * shift;
        if (b & 0x80) return v;
    }
}

// The commands of a sound patch, as "SR4 TR1 SC8 TC3" (kind and length).
std::string commandsOf(const Bytes& p) {
    size_t at = 4;
    readNumber(p, at), readNumber(p, at);
    at += readNumber(p, at);
    std::string text;
    while (at < p.size() - 12) {
        const uint64_t word = readNumber(p, at), length = (word >> 2) + 1;
        const char* names[] = {"SR", "TR", "SC", "TC"};
        text += (text.empty() ? "" : " ") + std::string(names[word & 3]) + std::to_string(length);
        if ((word & 3) == 1) at += length;
        if ((word & 3) >= 2) readNumber(p, at);
    }
    return text;
}

void put32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A patch of these commands (already encoded) with true checksums around them.
Bytes sealed(const Bytes& original, const Bytes& modified, uint64_t sizeOfModified, const Bytes& commands) {
    Bytes p = {'B', 'P', 'S', '1'};
    number(p, original.size());
    number(p, sizeOfModified);
    number(p, 0);
    p.insert(p.end(), commands.begin(), commands.end());
    put32(p, crc32Of(original));
    put32(p, crc32Of(modified));
    put32(p, crc32Of(p));
    return p;
}

Bytes varied(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b) x = static_cast<uint8_t>(rng());
    return b;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(Bps, WriterPicksTheCommandForEachKindOfChange) {
    const Bytes a = varied(64, 1), b = varied(64, 2);
    const struct {
        const char* name;
        Bytes original, modified;
        const char* commands;
    } rows[] = {
        {.name = "same files: one SourceRead", .original = a, .modified = a, .commands = "SR64"},
        {.name = "a changed byte: new byte between SourceReads", .original = a,
         .modified = cat({Bytes(a.begin(), a.begin() + 10), {static_cast<uint8_t>(a[10] ^ 1)}, Bytes(a.begin() + 11, a.end())}),
         .commands = "SR10 TR1 SR53"},
        {.name = "blocks swapped: SourceCopy both", .original = cat({a, b}), .modified = cat({b, a}), .commands = "SC64 SC64"},
        {.name = "bytes inserted: the rest copied from its new place", .original = a,
         .modified = cat({Bytes(a.begin(), a.begin() + 32), b, Bytes(a.begin() + 32, a.end())}), .commands = "SR32 TR64 SC32"},
        {.name = "a change after moved bytes: the copy goes on past it", .original = a,
         .modified = cat({Bytes(a.begin(), a.begin() + 32), b, Bytes(a.begin() + 32, a.begin() + 50),
                          {static_cast<uint8_t>(a[50] ^ 1)}, Bytes(a.begin() + 51, a.begin() + 56)}),
         .commands = "SR32 TR64 SC18 TR1 SC5"},
        {.name = "a block repeated: TargetCopy", .original = a, .modified = cat({a, b, b}), .commands = "SR64 TR64 TC64"},
        {.name = "one byte repeated: TargetCopy of itself", .original = {}, .modified = Bytes(100, 7), .commands = "TR1 TC99"},
        {.name = "empty modified file: no command", .original = a, .modified = {}, .commands = ""},
    };
    for (const auto& row : rows) {
        const PatchResult r = createBps(row.original, row.modified);
        ASSERT_TRUE(r.ok()) << row.name;
        const Bytes patch(r.bytes.begin(), r.bytes.end());
        EXPECT_EQ(commandsOf(patch), row.commands) << row.name;
        const PatchResult back = applyBps(patch, row.original);
        EXPECT_TRUE(back.ok() && Bytes(back.bytes.begin(), back.bytes.end()) == row.modified) << row.name << ": " << back.error;
    }
}

TEST(Bps, ReaderRefusesDamagedPatchesAndAnotherOriginal) {
    const Bytes original = varied(40, 3), modified = cat({Bytes(original.begin(), original.begin() + 20), varied(30, 4)});
    const Bytes good = [&] {
        const PatchResult r = createBps(original, modified);
        return Bytes(r.bytes.begin(), r.bytes.end());
    }();
    Bytes changed = good;
    changed[8] ^= 0x40;
    Bytes other = original;
    other[0] ^= 1;
    char names[2][9];
    std::snprintf(names[0], sizeof names[0], "%08X", crc32Of(original));
    std::snprintf(names[1], sizeof names[1], "%08X", crc32Of(other));
    Bytes sourceReadPast, targetCopyAhead, writesPast, sourceCopyBefore;
    number(sourceReadPast, (41 - 1) << 2 | 0);
    number(targetCopyAhead, (1 - 1) << 2 | 3), number(targetCopyAhead, 0);
    number(writesPast, (51 - 1) << 2 | 1);
    number(sourceCopyBefore, (4 - 1) << 2 | 2), number(sourceCopyBefore, 1 << 1 | 1);
    const struct {
        const char* name;
        Bytes patch, file;
        std::string error;
    } rows[] = {
        {.name = "another original: both checksums named", .patch = good, .file = other,
         .error = std::string(names[0]) + " (40 bytes), this file has CRC32 " + names[1]},
        {.name = "cut by a byte", .patch = Bytes(good.begin(), good.end() - 1), .file = original, .error = "own checksum"},
        {.name = "a byte changed", .patch = changed, .file = original, .error = "own checksum"},
        {.name = "too short for a header", .patch = {'B', 'P', 'S', '1', 0x80}, .file = original, .error = "cut short"},
        {.name = "not a patch", .patch = {'P', 'A', 'T', 'C', 'H'}, .file = original, .error = "not a BPS patch"},
        {.name = "SourceRead past the original", .patch = sealed(original, Bytes(41, 0), 41, sourceReadPast), .file = original,
         .error = "reads past the end of the original"},
        {.name = "TargetCopy of bytes not made", .patch = sealed(original, {0}, 1, targetCopyAhead), .file = original,
         .error = "not yet made"},
        {.name = "new bytes past the patch's end", .patch = sealed(original, modified, 50, writesPast), .file = original,
         .error = "writes past the end"},
        {.name = "SourceCopy before the original's start", .patch = sealed(original, Bytes(4, 0), 4, sourceCopyBefore),
         .file = original, .error = "reads outside the original"},
        {.name = "commands end early", .patch = sealed(original, modified, 50, {}), .file = original, .error = "end before"},
    };
    for (const auto& row : rows) {
        const PatchResult r = applyBps(row.patch, row.file);
        EXPECT_NE(r.error.find(row.error), std::string::npos) << row.name << ": " << r.error;
        EXPECT_TRUE(r.bytes.empty()) << row.name;
    }
    const PatchResult r = applyBps(good, original);
    EXPECT_TRUE(r.ok() && Bytes(r.bytes.begin(), r.bytes.end()) == modified) << r.error;
}

// A cheap seeded round trip; the fuzz target runs the same check on arbitrary pairs.
TEST(Bps, SeededEditsRoundTrip) {
    std::mt19937 rng(42);
    for (int round = 0; round < 20; ++round) {
        const Bytes a = varied(rng() % 5000, rng());
        Bytes b = a;
        for (int edit = 0; edit < 10; ++edit) {
            const size_t at = b.empty() ? 0 : rng() % b.size();
            const Bytes piece = varied(rng() % 40, rng());
            if (rng() % 2) b.insert(b.begin() + static_cast<ptrdiff_t>(at), piece.begin(), piece.end());
            else b.erase(b.begin() + static_cast<ptrdiff_t>(at), b.begin() + static_cast<ptrdiff_t>(std::min(b.size(), at + piece.size())));
        }
        const PatchResult p = createBps(a, b);
        const PatchResult back = applyBps(p.bytes, a);
        EXPECT_TRUE(back.ok() && Bytes(back.bytes.begin(), back.bytes.end()) == b) << "round " << round << ": " << back.error;
        EXPECT_LT(p.bytes.size(), b.size() / 2 + 400) << "round " << round << ": most of the file is copied, not sent";
    }
}

}  // namespace
}  // namespace tarpon
