#include "core/hex_text.h"
#include "core/letter_reader.h"

#include <algorithm>

namespace tarpon {
namespace {

// The next chosen start after `at`, or `end`.
int64_t nextStartAfter(std::span<const int32_t> starts, int64_t at, int64_t end) {
    const auto it = std::upper_bound(starts.begin(), starts.end(), at);
    return it == starts.end() ? end : std::min<int64_t>(*it, end);
}

// A letter's length in bytes, or 0 when too long to note in a step.
uint16_t lengthOf(const TableEntry& e) {
    const size_t n = e.key.size() + (e.kind == EntryKind::Linked ? static_cast<size_t>(std::max(e.params, 0)) : 0);
    return n < 0x8000 ? static_cast<uint16_t>(n) : 0;
}


}  // namespace

ReadLetter readLetterAt(const TableReading& r, std::span<const uint8_t> doc, int64_t at) {
    const auto size = static_cast<int64_t>(doc.size());
    // A chosen start ends the letter before it, even inside a key.
    const int64_t end = r.starts.empty() ? size : nextStartAfter(r.starts, at, size);
    const auto longest = static_cast<int64_t>(std::max<size_t>(r.table.maxKeyLength(), 1));
    const auto window = static_cast<size_t>(std::min<int64_t>(end - at, longest));
    ReadLetter letter{at, 1, 1, r.table.longestMatch(doc.subspan(static_cast<size_t>(at), window))};
    if (!letter.entry) return letter;
    letter.keyLength = static_cast<int32_t>(letter.entry->key.size());
    const int64_t params = letter.entry->kind == EntryKind::Linked ? std::max(letter.entry->params, 0) : 0;
    letter.length = static_cast<int32_t>(std::min<int64_t>(letter.keyLength + params, end - at));
    return letter;
}

bool letterTextIsUtf8(const TableReading& r, const ReadLetter& letter) { return r.utf8 || letter.keyLength > 1; }

std::string letterText(const TableReading& r, std::span<const uint8_t> doc, const ReadLetter& letter) {
    std::string text;
    if (letter.keyLength > 1) text = oneByteLetters(*letter.entry);
    else text = r.view[doc[static_cast<size_t>(letter.start)]];
    for (int32_t i = letter.keyLength; i < letter.length; ++i)
        appendRawByte(text, doc[static_cast<size_t>(letter.start + i)]);
    return text;
}

bool readsByteByByte(const Table& table) {
    if (table.maxKeyLength() > 1) return false;
    return std::none_of(table.entries().begin(), table.entries().end(),
                        [](const TableEntry& e) { return e.kind == EntryKind::Linked && e.params > 0; });
}

void LetterSteps::build(const Table& table) {
    lengths_.build(table, uint16_t{1}, uint16_t{0}, lengthOf);
    reach_.fill(0);
    for (const TableEntry& e : table.entries()) {
        const auto b0 = static_cast<uint8_t>(e.key[0]);
        const int64_t params = e.kind == EntryKind::Linked ? std::max(e.params, 0) : 0;
        const int64_t reach = static_cast<int64_t>(e.key.size()) + params - 1;
        reach_[b0] = static_cast<uint16_t>(std::clamp<int64_t>(reach, reach_[b0], 0xFFFF));
    }
}

int64_t LetterIndex::skipLetters(const TableReading& r, std::span<const uint8_t> doc, int64_t pos, int64_t until) const {
    const auto size = static_cast<int64_t>(doc.size());
    const uint8_t* bytes = doc.data();
    while (pos < until && pos < size) {
        // Letters end at a chosen start: read up to the next one by steps.
        const int64_t end = r.starts.empty() ? size : nextStartAfter(r.starts, pos, size);
        const int64_t stop = std::min(until, end);
        while (pos < stop && pos + 1 < end) {
            const uint16_t step = steps_.step(bytes[pos], bytes[pos + 1]);
            pos += step ? std::min<int64_t>(step, end - pos) : readLetterAt(r, doc, pos).length;
        }
        if (pos < stop) pos += readLetterAt(r, doc, pos).length;
    }
    return pos;
}

void LetterIndex::keepBlocksBefore(int64_t offset) {
    // Block k's first start depends only on the letters that begin before k * kBlock,
    // and each of those reads at most margin_ bytes.
    const int64_t keep = offset < margin_ ? 1 : (offset - margin_) / kBlock + 1;
    if (static_cast<int64_t>(blockStart_.size()) > keep) blockStart_.resize(static_cast<size_t>(keep));
}

void LetterIndex::touched(int64_t offset) {
    touchedFrom_ = touchedFrom_ < 0 ? offset : std::min(touchedFrom_, offset);
}

void LetterIndex::moved(int64_t at, int64_t removed, int64_t added) {
    if (removed == added) return;
    const int64_t gone = at + std::min(removed, added);  // bytes from here to at + removed are gone
    std::erase_if(starts_, [&](int32_t start) { return start >= gone && start < at + removed; });
    for (int32_t& start : starts_)
        if (start >= at + removed) start = static_cast<int32_t>(start + added - removed);
}

void LetterIndex::reset() {
    starts_.clear();
    blockStart_.clear();
    size_ = -1;
    touchedFrom_ = -1;
}

void LetterIndex::toggleStart(int64_t offset) {
    const auto at = static_cast<int32_t>(offset);
    const auto it = std::lower_bound(starts_.begin(), starts_.end(), at);
    if (it != starts_.end() && *it == at) starts_.erase(it);
    else starts_.insert(it, at);
    touched(offset);
}

void LetterIndex::check(const TableReading& r, std::span<const uint8_t> doc, uint64_t stamp) {
    const auto size = static_cast<int64_t>(doc.size());
    if (r.table.revision() != revision_ || size_ < 0) {
        revision_ = r.table.revision();
        int64_t params = 0;
        for (const TableEntry& e : r.table.entries())
            if (e.kind == EntryKind::Linked) params = std::max<int64_t>(params, e.params);
        margin_ = static_cast<int64_t>(std::max<size_t>(r.table.maxKeyLength(), 1)) + params;
        steps_.build(r.table);
        blockStart_.clear();
    } else if (touchedFrom_ >= 0) {
        keepBlocksBefore(touchedFrom_);
    } else if (stamp != stamp_ || size != size_) {
        blockStart_.clear();  // changed without a word: read it all again
    }
    touchedFrom_ = -1;
    stamp_ = stamp;
    size_ = size;
    if (blockStart_.empty()) blockStart_.push_back(0);
}

int64_t LetterIndex::startAtOrAfter(const TableReading& r, std::span<const uint8_t> doc, int64_t at, uint64_t stamp) {
    check(r, doc, stamp);
    const auto size = static_cast<int64_t>(doc.size());
    if (at <= 0) return 0;
    if (at >= size) return size;
    const int64_t block = at / kBlock;
    // Letters that can be this long are read through rather than looked behind.
    constexpr int64_t kLongestLookBehind = 64;
    while (static_cast<int64_t>(blockStart_.size()) <= block) {
        const int64_t next = static_cast<int64_t>(blockStart_.size()) * kBlock;
        int64_t from = blockStart_.back();
        // Rather than read the whole block before, start at a byte just before its
        // end that every reading passes through, when there is one.
        if (margin_ <= kLongestLookBehind)
            for (int64_t p = next; p > std::max(from, next - kLongestLookBehind); --p)
                if (steps_.endsEveryLetterAt(doc.data(), p, margin_)) {
                    from = p;
                    break;
                }
        blockStart_.push_back(static_cast<int32_t>(skipLetters(r, doc, from, next)));
    }
    return skipLetters(r, doc, blockStart_[static_cast<size_t>(block)], at);
}

}  // namespace tarpon
