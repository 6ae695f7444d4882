// Making a BPS patch: one greedy pass over the modified file. At each place the
// longest of these is taken, when it is worth its command: the original's bytes at
// the same place, a copy from where the last copy from the original ended, and
// copies from the original or the modified file found through a hash of 8 bytes.
// Bytes nothing matches gather into one run of new bytes.
#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "patch/bps.h"
#include "patch/compare.h"

namespace tarpon {
namespace {

enum Command { SourceRead = 0, TargetRead = 1, SourceCopy = 2, TargetCopy = 3 };
constexpr size_t kKey = 8;
constexpr uint32_t kNone = ~uint32_t{0};


size_t numberSize(uint64_t v) {
    size_t n = 1;
    while (v >= 0x80) v = (v >> 7) - 1, ++n;
    return n;
}

// The newest place each 8-byte key was seen, in a table of about a quarter as many slots as bytes.
class KeyIndex {
public:
    explicit KeyIndex(size_t bytes)
        : bits_(std::max(10, static_cast<int>(std::bit_width(std::max<size_t>(bytes / 4, 1))))), slots_(size_t{1} << bits_, kNone) {}
    uint32_t& slot(const uint8_t* at) {
        uint64_t key;
        std::memcpy(&key, at, kKey);
        return slots_[(key * 0x9E3779B97F4A7C15ull) >> (64 - bits_)];
    }

private:
    int bits_;
    std::vector<uint32_t> slots_;
};

struct Choice {
    Command command = TargetRead;
    size_t length = 0;
    int64_t from = 0;  // SourceCopy, TargetCopy: where the copy reads
    // What the choice saves over sending its bytes as new bytes.
    int64_t gain(int64_t relativeTo) const {
        size_t cost = numberSize((length - 1) << 2 | command);
        if (command == SourceCopy || command == TargetCopy) {
            const int64_t d = from - relativeTo;
            cost += numberSize(static_cast<uint64_t>(d < 0 ? -d : d) << 1);
        }
        return static_cast<int64_t>(length) - static_cast<int64_t>(cost);
    }
};

class BpsWriter {
public:
    BpsWriter(std::span<const uint8_t> source, std::span<const uint8_t> target)
        : s_(source), t_(target), sourceKeys_(source.size()), targetKeys_(target.size()) {
        out_.reserve(1024);
        for (const char c : {'B', 'P', 'S', '1'}) out_.push_back(static_cast<uint8_t>(c));
        number(s_.size());
        number(t_.size());
        number(0);  // no metadata
        // Backwards, so that the first place a key occurs is the one kept.
        for (size_t i = s_.size() >= kKey ? s_.size() - kKey + 1 : 0; i-- > 0;)
            sourceKeys_.slot(s_.data() + i) = static_cast<uint32_t>(i);
    }

    ByteStore write() {
        size_t newFrom = 0;  // the new bytes not yet sent start here
        for (size_t at = 0; at < t_.size();) {
            Choice c = best(at);
            // Breaking a run of new bytes costs a command of its own.
            if (c.length == 0 || gainOf(c) <= (newFrom < at ? 1 : 0)) {
                remember(at, 1);
                ++at;
                continue;
            }
            extendBack(c, at, newFrom);
            sendNew(newFrom, at);
            send(c);
            remember(at, c.length);
            at += c.length;
            if (c.command == SourceCopy) copyEnd_ = at;
            newFrom = at;
        }
        sendNew(newFrom, t_.size());
        put32(crc32Of(s_));
        put32(crc32Of(t_));
        put32(crc32Of(out_));
        return std::move(out_);
    }

private:
    int64_t gainOf(const Choice& c) const { return c.gain(c.command == SourceCopy ? sourceAt_ : targetAt_); }

    Choice best(size_t at) {
        const size_t left = t_.size() - at;
        Choice c;
        if (at < s_.size())
            c = {SourceRead, commonPrefix(s_.data() + at, t_.data() + at, std::min(left, s_.size() - at)),
                 static_cast<int64_t>(at)};
        const auto consider = [&](Command command, int64_t from, size_t length) {
            const Choice other{command, length, from};
            if (length > 0 && (c.length == 0 || gainOf(other) > gainOf(c))) c = other;
        };
        // The last copy from the original going on past the bytes changed since it ended.
        const int64_t resume = sourceAt_ + static_cast<int64_t>(at - copyEnd_);
        if (resume >= 0 && static_cast<size_t>(resume) < s_.size())
            consider(SourceCopy, resume, commonPrefix(s_.data() + resume, t_.data() + at,
                                                     std::min(left, s_.size() - static_cast<size_t>(resume))));
        if (left < kKey) return c;
        const uint32_t fromSource = sourceKeys_.slot(t_.data() + at);
        if (fromSource != kNone)
            consider(SourceCopy, fromSource, commonPrefix(s_.data() + fromSource, t_.data() + at,
                                                         std::min(left, s_.size() - fromSource)));
        const uint32_t fromTarget = targetKeys_.slot(t_.data() + at);
        if (fromTarget != kNone && fromTarget < at)
            consider(TargetCopy, fromTarget, commonPrefix(t_.data() + fromTarget, t_.data() + at, left));
        return c;
    }

    // A match found at `at` often began a little before it, among the new bytes not yet sent.
    void extendBack(Choice& c, size_t& at, size_t newFrom) const {
        const uint8_t* from = c.command == TargetCopy ? t_.data() : s_.data();
        while (at > newFrom && c.from > 0 && from[c.from - 1] == t_[at - 1]) --at, --c.from, ++c.length;
    }

    // Bytes [at, at + n) of the modified file become places a later TargetCopy can read.
    void remember(size_t at, size_t n) {
        const size_t end = std::min(at + n, t_.size() >= kKey ? t_.size() - kKey + 1 : 0);
        for (size_t i = at; i < end; ++i) targetKeys_.slot(t_.data() + i) = static_cast<uint32_t>(i);
    }

    void send(const Choice& c) {
        number((c.length - 1) << 2 | c.command);
        if (c.command == SourceCopy) moveTo(sourceAt_, c.from, c.length);
        if (c.command == TargetCopy) moveTo(targetAt_, c.from, c.length);
    }

    void moveTo(int64_t& relative, int64_t from, size_t length) {
        const int64_t d = from - relative;
        number(static_cast<uint64_t>(d < 0 ? -d : d) << 1 | (d < 0 ? 1 : 0));
        relative = from + static_cast<int64_t>(length);
    }

    void sendNew(size_t from, size_t to) {
        if (from == to) return;
        number((to - from - 1) << 2 | TargetRead);
        out_.insert(out_.end(), t_.begin() + static_cast<ptrdiff_t>(from), t_.begin() + static_cast<ptrdiff_t>(to));
    }

    void number(uint64_t v) {
        for (;;) {
            const uint8_t low = v & 0x7F;
            v >>= 7;
            if (v == 0) {
                out_.push_back(0x80 | low);
                return;
            }
            out_.push_back(low);
            --v;
        }
    }
    void put32(uint32_t v) {
        for (int i = 0; i < 4; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }

    std::span<const uint8_t> s_, t_;
    KeyIndex sourceKeys_, targetKeys_;
    ByteStore out_;
    int64_t sourceAt_ = 0, targetAt_ = 0;
    size_t copyEnd_ = 0;  // where in the modified file the last SourceCopy ended
};

}  // namespace

PatchResult createBps(std::span<const uint8_t> original, std::span<const uint8_t> modified) {
    PatchResult result;
    if (original.size() >= kNone || modified.size() >= kNone) {
        result.error = "Files of 4 GiB or more cannot be patched here. No patch was written.";
        return result;
    }
    result.bytes = BpsWriter(original, modified).write();
    return result;
}

}  // namespace tarpon
