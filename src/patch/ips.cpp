#include "patch/ips.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tarpon {
namespace {

constexpr size_t kMaxRecord = 0xFFFF;
// A record's offset and length: what a record costs beside its data.
constexpr size_t kRecordHeader = 5;
// A run of one byte this long, inside a stretch of changes, is cheaper as a record of its own.
constexpr size_t kRleInside = 14;
constexpr size_t kRleAtEdge = 9;

std::string hex(uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(v));
    return text;
}

class IpsWriter {
public:
    explicit IpsWriter(std::span<const uint8_t> target) : t_(target) { put("PATCH"); }

    // Bytes [from, to) of the target, as records of at most kMaxRecord bytes.
    void writeStretch(size_t from, size_t to) {
        for (size_t at = from; at < to;) {
            const size_t run = sameByteRun(at, to);
            const bool edge = at == from || at + run == to;
            if (run >= (edge ? kRleAtEdge : kRleInside)) {
                rle(at, run);
                at += run;
                continue;
            }
            // Data up to the next run worth a record of its own.
            size_t end = at + run;
            while (end < to) {
                const size_t r = sameByteRun(end, to);
                if (r >= (end + r == to ? kRleAtEdge : kRleInside)) break;
                end += r;
            }
            literal(at, end - at);
            at = end;
        }
    }

    ByteStore finish(std::span<const uint8_t> original) {
        put("EOF");
        if (t_.size() < original.size()) put24(t_.size());
        return std::move(out_);
    }

private:
    size_t sameByteRun(size_t at, size_t to) const {
        size_t n = 1;
        while (at + n < to && t_[at + n] == t_[at]) ++n;
        return n;
    }

    void literal(size_t at, size_t length) {
        if (at == kIpsEofOffset) --at, ++length;  // the byte before it is written again, unchanged
        for (size_t done = 0; done < length;) {
            const size_t n = std::min(kMaxRecord, length - done);
            header(at + done, n);
            out_.insert(out_.end(), t_.begin() + static_cast<ptrdiff_t>(at + done),
                        t_.begin() + static_cast<ptrdiff_t>(at + done + n));
            done += n;
            if (at + done == kIpsEofOffset && done < length) {  // the next record would start there
                --done;
            }
        }
    }

    void rle(size_t at, size_t length) {
        if (at == kIpsEofOffset) {  // start at the byte before, as data when it is another byte
            if (t_[at - 1] != t_[at]) {
                literal(at - 1, 2);
                ++at, --length;
                if (length < kRleAtEdge) return literal(at, length);
            } else {
                --at, ++length;
            }
        }
        for (size_t done = 0; done < length;) {
            size_t n = std::min(kMaxRecord, length - done);
            if (at + done + n == kIpsEofOffset && done + n < length) --n;
            header(at + done, 0);
            put16(n);
            out_.push_back(t_[at]);
            done += n;
        }
    }

    void header(size_t at, size_t length) {
        put24(at);
        put16(length);
    }
    void put(const char* text) { out_.insert(out_.end(), text, text + std::strlen(text)); }
    void put24(size_t v) {
        out_.push_back(static_cast<uint8_t>(v >> 16));
        put16(v & 0xFFFF);
    }
    void put16(size_t v) {
        out_.push_back(static_cast<uint8_t>(v >> 8));
        out_.push_back(static_cast<uint8_t>(v));
    }

    std::span<const uint8_t> t_;
    ByteStore out_;
};

// Reads big-endian numbers from the patch, never past its end.
class IpsReader {
public:
    explicit IpsReader(std::span<const uint8_t> p) : p_(p) {}
    bool has(size_t n) const { return p_.size() - at_ >= n; }
    size_t at() const { return at_; }
    size_t left() const { return p_.size() - at_; }
    uint32_t number(int bytes) {
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i) v = v << 8 | p_[at_++];
        return v;
    }
    bool eofMarker() const { return has(3) && std::memcmp(p_.data() + at_, "EOF", 3) == 0; }
    std::span<const uint8_t> take(size_t n) {
        const auto s = p_.subspan(at_, n);
        at_ += n;
        return s;
    }

private:
    std::span<const uint8_t> p_;
    size_t at_ = 0;
};

std::string damaged(const std::string& why) { return "The IPS patch is damaged: " + why + ". Nothing was written."; }

// Reads one record into out; an error when it is cut short.
std::string applyRecord(IpsReader& r, ByteStore& out) {
    const size_t recordAt = r.at();
    if (!r.has(5)) return damaged("it ends inside the record at patch offset " + hex(recordAt));
    const uint32_t offset = r.number(3), length = r.number(2);
    if (length == 0) {
        if (!r.has(3)) return damaged("it ends inside the record at patch offset " + hex(recordAt));
        const uint32_t count = r.number(2);
        const uint8_t value = static_cast<uint8_t>(r.number(1));
        if (out.size() < offset + count) out.resize(offset + count, 0);
        std::fill_n(out.begin() + offset, count, value);
        return "";
    }
    if (!r.has(length))
        return damaged("the record for file offset " + hex(offset) + " runs past the end of the patch");
    const auto data = r.take(length);
    if (out.size() < offset + length) out.resize(offset + length, 0);
    std::copy(data.begin(), data.end(), out.begin() + offset);
    return "";
}

}  // namespace

PatchResult createIps(std::span<const uint8_t> original, std::span<const uint8_t> modified) {
    PatchResult result;
    if (original.size() > kMaxIpsFileSize || modified.size() > kMaxIpsFileSize) {
        result.error = "An IPS patch holds files of at most 16 MiB (16,777,216 bytes); this one is " +
                       std::to_string(std::max(original.size(), modified.size())) +
                       " bytes. Make a BPS patch instead. No patch was written.";
        return result;
    }
    IpsWriter writer(modified);
    const auto differs = [&](size_t i) { return i >= original.size() || original[i] != modified[i]; };
    for (size_t i = 0; i < modified.size();) {
        if (!differs(i)) {
            ++i;
            continue;
        }
        // A stretch of changes goes on over gaps of equal bytes cheaper to repeat than a new record.
        size_t end = i + 1;
        for (;;) {
            while (end < modified.size() && differs(end)) ++end;
            size_t gap = 0;
            while (gap < kRecordHeader && end + gap < modified.size() && !differs(end + gap)) ++gap;
            if (gap == kRecordHeader || end + gap == modified.size()) break;
            end += gap;
        }
        writer.writeStretch(i, end);
        i = end;
    }
    result.bytes = writer.finish(original);
    return result;
}

PatchResult applyIps(std::span<const uint8_t> patch, std::span<const uint8_t> original) {
    PatchResult result;
    if (patch.size() < 5 || std::memcmp(patch.data(), "PATCH", 5) != 0) {
        result.error = "This is not an IPS patch: it does not start with \"PATCH\". Nothing was written.";
        return result;
    }
    IpsReader r(patch);
    r.take(5);
    result.bytes.assign(original.begin(), original.end());
    while (!r.eofMarker()) {
        if (!r.has(1)) {
            result.error = damaged("it is cut short (no \"EOF\" at its end)");
            break;
        }
        result.error = applyRecord(r, result.bytes);
        if (!result.error.empty()) break;
    }
    if (result.error.empty()) {
        r.take(3);
        if (r.left() == 3) {
            const uint32_t size = r.number(3);
            if (size > result.bytes.size()) result.error = damaged("its truncation size is past the file's end");
            else result.bytes.resize(size);
        } else if (r.left() != 0) {
            result.error = damaged(std::to_string(r.left()) + " stray bytes follow its \"EOF\"");
        }
    }
    if (!result.error.empty()) result.bytes = ByteStore();
    return result;
}

}  // namespace tarpon
