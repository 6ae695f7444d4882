#include "patch/bps.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <future>

namespace tarpon {
namespace {

enum Command { SourceRead = 0, TargetRead = 1, SourceCopy = 2, TargetCopy = 3 };
constexpr size_t kFooter = 12;

std::string hex32(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", v);
    return text;
}

uint32_t readLe32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

std::string damaged(const std::string& why) { return "The BPS patch is damaged: " + why + ". Nothing was written."; }

PatchResult refused(std::string why) {
    PatchResult r;
    r.error = std::move(why);
    return r;
}

// The commands between the header and the footer, read without ever going past either.
class BpsReader {
public:
    BpsReader(std::span<const uint8_t> p, size_t end) : p_(p), end_(end) {}
    bool atEnd() const { return at_ >= end_; }
    size_t at() const { return at_; }
    // A number as the format writes it: seven bits a byte, the last with its top bit set.
    bool number(uint64_t& value) {
        value = 0;
        uint64_t shift = 1;
        for (int i = 0; i < 10; ++i) {
            if (at_ >= end_) return false;
            const uint8_t b = p_[at_++];
            value += (b & 0x7F) * shift;
            if (b & 0x80) return value < (uint64_t{1} << 62);
            shift <<= 7;
            value += shift;
        }
        return false;
    }
    bool take(size_t n, std::span<const uint8_t>& bytes) {
        if (end_ - at_ < n) return false;
        bytes = p_.subspan(at_, n);
        at_ += n;
        return true;
    }

private:
    std::span<const uint8_t> p_;
    size_t end_;
    size_t at_ = 0;
};

struct Builder {
    std::span<const uint8_t> source;
    ByteStore& out;
    size_t written = 0;
    int64_t sourceAt = 0, targetAt = 0;  // where SourceCopy and TargetCopy read next
};

// A relative offset: its magnitude shifted up, its sign in the low bit.
bool moveBy(BpsReader& r, int64_t& at) {
    uint64_t v = 0;
    if (!r.number(v)) return false;
    const int64_t delta = static_cast<int64_t>(v >> 1);
    at += (v & 1) ? -delta : delta;
    return true;
}

std::string runCommand(BpsReader& r, Builder& b) {
    const size_t commandAt = r.at();
    const auto bad = [&](const char* why) { return damaged(std::string(why) + " (command at patch offset 0x" +
                                                           hex32(static_cast<uint32_t>(commandAt)) + ")"); };
    uint64_t word = 0;
    if (!r.number(word)) return bad("it ends inside a command");
    const uint64_t length = (word >> 2) + 1;
    if (length > b.out.size() - b.written) return bad("a command writes past the end of the modified file");
    uint8_t* to = b.out.data() + b.written;
    switch (word & 3) {
    case SourceRead:
        if (b.written + length > b.source.size()) return bad("a command reads past the end of the original");
        std::memcpy(to, b.source.data() + b.written, length);
        break;
    case TargetRead: {
        std::span<const uint8_t> bytes;
        if (!r.take(length, bytes)) return bad("new bytes run past the end of the patch");
        std::memcpy(to, bytes.data(), length);
        break;
    }
    case SourceCopy:
        if (!moveBy(r, b.sourceAt)) return bad("it ends inside a command");
        if (b.sourceAt < 0 || static_cast<uint64_t>(b.sourceAt) > b.source.size() ||
            length > b.source.size() - static_cast<uint64_t>(b.sourceAt))
            return bad("a copy reads outside the original");
        std::memcpy(to, b.source.data() + b.sourceAt, length);
        b.sourceAt += static_cast<int64_t>(length);
        break;
    case TargetCopy:
        if (!moveBy(r, b.targetAt)) return bad("it ends inside a command");
        if (b.targetAt < 0 || static_cast<uint64_t>(b.targetAt) >= b.written) return bad("a copy reads bytes not yet made");
        // Byte by byte: the copy may read what it has just written (a repeated pattern).
        for (uint64_t i = 0; i < length; ++i) to[i] = b.out[static_cast<size_t>(b.targetAt) + i];
        b.targetAt += static_cast<int64_t>(length);
        break;
    }
    b.written += length;
    return "";
}

// The modified file, built by the commands; an error when one is damaged.
PatchResult build(BpsReader& r, std::span<const uint8_t> original, uint64_t targetSize) {
    PatchResult result;
    if (targetSize > (uint64_t{1} << 31)) return refused(damaged("the modified file would be over 2 GiB"));
    result.bytes.resize(static_cast<size_t>(targetSize));
    Builder b{original, result.bytes};
    while (!r.atEnd() && result.error.empty()) result.error = runCommand(r, b);
    if (result.ok() && b.written != targetSize) result.error = damaged("its commands end before the modified file does");
    return result;
}

}  // namespace

uint32_t crc32Of(std::span<const uint8_t> bytes) {
    uLong crc = ::crc32(0L, Z_NULL, 0);
    for (size_t at = 0; at < bytes.size();) {
        const size_t n = std::min<size_t>(bytes.size() - at, size_t{1} << 30);
        crc = ::crc32(crc, bytes.data() + at, static_cast<uInt>(n));
        at += n;
    }
    return static_cast<uint32_t>(crc);
}

PatchResult applyBps(std::span<const uint8_t> patch, std::span<const uint8_t> original) {
    if (patch.size() < 4 || std::memcmp(patch.data(), "BPS1", 4) != 0)
        return refused("This is not a BPS patch: it does not start with \"BPS1\". Nothing was written.");
    if (patch.size() < 4 + 3 + kFooter) return refused(damaged("it is cut short"));
    const uint8_t* footer = patch.data() + patch.size() - kFooter;
    if (crc32Of(patch.first(patch.size() - 4)) != readLe32(footer + 8))
        return refused(damaged("its own checksum does not match (it is cut short or changed)"));
    BpsReader r(patch, patch.size() - kFooter);
    std::span<const uint8_t> skipped;
    r.take(4, skipped);
    uint64_t sourceSize = 0, targetSize = 0, metadata = 0;
    if (!r.number(sourceSize) || !r.number(targetSize) || !r.number(metadata) || !r.take(metadata, skipped))
        return refused(damaged("its header is cut short"));
    // The original's checksum is worked out beside the building, which reads only inside the original.
    std::future<uint32_t> originalCrc = std::async(std::launch::async, [original] { return crc32Of(original); });
    PatchResult result = build(r, original, targetSize);
    const uint32_t expected = readLe32(footer), found = originalCrc.get();
    if (sourceSize != original.size() || expected != found)
        return refused("This patch was made for another file: the original it expects has CRC32 " + hex32(expected) +
                       " (" + std::to_string(sourceSize) + " bytes), this file has CRC32 " + hex32(found) + " (" +
                       std::to_string(original.size()) + " bytes). Nothing was written.");
    if (result.ok() && crc32Of(result.bytes) != readLe32(footer + 4))
        result.error = damaged("the file it made does not have the checksum it names");
    if (!result.ok()) result.bytes = ByteStore();
    return result;
}

}  // namespace tarpon
