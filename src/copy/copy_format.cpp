#include "copy/copy_format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "core/editor.h"
#include "core/hex_text.h"
#include "core/text_writer.h"
#include "core/number_reading.h"
#include "core/number_text.h"
#include "core/rounding.h"
#include "core/text_coding.h"
#include "screen/keys.h"

namespace tarpon {
namespace {

bool isRadixDigit(int ch, OffsetRadix radix) {
    switch (radix) {
    case OffsetRadix::Hex: return IsHexDigitChar(ch);
    case OffsetRadix::Dec: return ch >= '0' && ch <= '9';
    case OffsetRadix::Oct: return ch >= '0' && ch <= '7';
    }
    return false;
}

// The decimal texts "0" to "255", so that formatting a byte is one lookup.
struct ByteNumbers {
    ByteNumbers() {
        for (int b = 0; b < 256; ++b) {
            const int n = std::snprintf(text[b], sizeof text[b], "%d", b);
            length[b] = static_cast<uint8_t>(n);
        }
    }
    char text[256][4];
    uint8_t length[256];
};

const ByteNumbers& byteNumbers() {
    static const ByteNumbers numbers;
    return numbers;
}

// Each byte value as the one character with the same code.
const char* latin1Chars() {
    static const auto chars = [] {
        std::array<char, 256> c{};
        for (int b = 0; b < 256; ++b) c[static_cast<size_t>(b)] = static_cast<char>(b);
        return c;
    }();
    return chars.data();
}

std::string_view itemOf(uint8_t b, CopyType type, const CharTable& table) {
    switch (type) {
    case CopyType::Value: return {byteNumbers().text[b], byteNumbers().length[b]};
    case CopyType::Ascii: return {latin1Chars() + b, 1};
    case CopyType::Table: return table[b];
    }
    return {};
}

}  // namespace

CopyForm copyFormOpening(const EditorState& s) {
    // An anchor left below 0 by a paging step stands for offset 0.
    const int64_t cursor = s.cursor(), anchor = std::max(s.view.selAnchor, 0);
    const int64_t from = std::min(cursor, anchor), to = std::max(cursor, anchor);
    CopyForm form;
    form.offsetRadix = s.view.offsetMode ? OffsetRadix::Hex : OffsetRadix::Dec;
    form.type = s.view.offsetMode ? CopyType::Value : CopyType::Ascii;
    form.txtOffset = {offsetText(from, s.view.offsetMode), offsetText(to, s.view.offsetMode)};
    return form;
}

std::string UpdateCopyExample(CopyType type, std::string_view before, std::string_view after) {
    const std::string_view sample = type == CopyType::Value ? "19" : "Y";
    std::string text = "Ex   ";
    for (int i = 0; i < 3; ++i) {
        text += before;
        text += sample;
        text += after;
    }
    return text;
}

int txtOffset_KeyPress(std::string_view field, OffsetRadix radix, int ch) {
    if (ch == 8) return 8;
    if (field.size() == 8) return 0;
    if (!isRadixDigit(ch, radix)) return 0;
    if (radix == OffsetRadix::Hex && ch >= 'a' && ch <= 'f') return ch - 'a' + 'A';
    return ch;
}

std::optional<std::string> acceptedOffsetText(std::string_view text, OffsetRadix radix) {
    if (text.size() > 8) return std::nullopt;
    std::string accepted;
    for (const char c : text) {
        const int received = txtOffset_KeyPress(accepted, radix, static_cast<unsigned char>(c));
        if (received == 0 || received == 8) return std::nullopt;
        accepted.push_back(static_cast<char>(received));
    }
    return accepted;
}

bool isTypedCharacter(int unicode, int shift) {
    return unicode >= 32 && unicode != 127 && (shift & (kCtrl | kAlt)) == 0;
}

std::string keepRadixDigits(std::string_view text, OffsetRadix radix) {
    std::string kept;
    for (const char c : text)
        if (isRadixDigit(static_cast<unsigned char>(c), radix)) kept.push_back(c);
    return kept;
}

void OptOffset_Click(CopyForm& form, int index) {
    if (index < 0 || index > 2) return;
    form.offsetRadix = static_cast<OffsetRadix>(index);
    for (std::string& field : form.txtOffset) field = keepRadixDigits(field, form.offsetRadix);
}

void Label_DblClick(CopyForm& form) { std::swap(form.txtOffset[0], form.txtOffset[1]); }

int64_t readCopyOffset(std::string_view text, OffsetRadix radix) {
    const char* prefix = radix == OffsetRadix::Hex ? "&h" : radix == OffsetRadix::Oct ? "&o" : "";
    return roundToInt64(ReadNumber(std::string(prefix) + std::string(text)));
}

std::optional<CopyRange> clipCopyRange(int64_t from, int64_t to, int64_t size) {
    const int64_t lo = std::max<int64_t>(std::min(from, to), 0);
    const int64_t hi = std::min<int64_t>(std::max(from, to), size - 1);
    if (lo > hi) return std::nullopt;
    return from <= to ? CopyRange{lo, hi} : CopyRange{hi, lo};
}

namespace {

// The text of each byte value with its wrapping, built once per copy so that the
// loop over the range is one copy per byte.
std::array<std::string, 256> wrappedItems(CopyType type, std::string_view before, std::string_view after,
                                          const CharTable& table) {
    std::array<std::string, 256> items;
    for (int b = 0; b < 256; ++b) {
        std::string& item = items[static_cast<size_t>(b)];
        const std::string_view middle = itemOf(static_cast<uint8_t>(b), type, table);
        item.reserve(before.size() + middle.size() + after.size());
        item.append(before).append(middle).append(after);
    }
    return items;
}

// How often each byte value occurs in bytes[lo..hi].
std::array<uint64_t, 256> histogram(std::span<const uint8_t> bytes, int64_t lo, int64_t hi) {
    std::array<uint64_t, 256> counts{};
    for (int64_t i = lo; i <= hi; ++i) ++counts[bytes[static_cast<size_t>(i)]];
    return counts;
}

// A letter's text in the copy's own encoding: UTF-8 when the table's letters are,
// else Latin-1 ("?" for a character Latin-1 does not have).
std::string copiedLetter(const CopyTable& table, std::span<const uint8_t> bytes, const ReadLetter& letter) {
    const TableReading& r = table.reading;
    std::string text = letterText(r, bytes, letter);
    if (text.empty() && table.readsBack)
        return rawBytesText(bytes.subspan(static_cast<size_t>(letter.start), static_cast<size_t>(letter.length)));
    if (r.utf8 || !letterTextIsUtf8(r, letter)) return text;
    std::string latin1;
    for (size_t i = 0; i < text.size();) {
        const size_t length = std::max<size_t>(utf8SequenceLength(text, i), 1);
        const auto one = latin1FromUtf8(std::string_view(text).substr(i, length));
        latin1 += one ? *one : "?";
        i += length;
    }
    return latin1;
}

// Calls f(letter) for every letter that starts in [lo, hi].
template <class F>
void forEachCopiedLetter(std::span<const uint8_t> bytes, int64_t lo, int64_t hi, const CopyTable& table, F&& f) {
    LetterIndex own;
    LetterIndex& index = table.index ? *table.index : own;
    forEachLetter(index, table.reading, bytes, table.stamp, lo, hi + 1, f);
}

// Whether a Table copy reads letters through the table rather than byte by byte.
bool readsLetters(CopyType type, const CopyTable& table) {
    return type == CopyType::Table && (table.readsBack || !readsByteByByte(table.reading.table));
}

uint64_t letterCopyLength(std::span<const uint8_t> bytes, int64_t lo, int64_t hi, std::string_view before,
                          std::string_view after, const CopyTable& table) {
    uint64_t total = 0;
    forEachCopiedLetter(bytes, lo, hi, table, [&](const ReadLetter& letter) {
        total += before.size() + after.size() + copiedLetter(table, bytes, letter).size();
    });
    return total;
}

// The letters from `lo` to `hi` as text that typing's rule spells back to their bytes.
std::string lettersThatReadBack(std::span<const uint8_t> bytes, int64_t lo, int64_t hi, const CopyTable& table) {
    const Speller& speller = *table.speller;
    LetterIndex own;
    LetterIndex& index = table.index ? *table.index : own;
    const int64_t start = index.startAtOrAfter(table.reading, bytes, lo, table.stamp);
    std::string text;
    const auto read = [&](int64_t at, bool raw) {
        if (raw) {
            appendRawByte(text, bytes[static_cast<size_t>(at)]);
            return TextPiece{1, at >= hi};
        }
        const ReadLetter letter = readLetterAt(table.reading, bytes, at);
        text += copiedLetter(table, bytes, letter);
        return TextPiece{letter.length, at + letter.length > hi};
    };
    if (start <= hi) writeCheckedText(speller, bytes, start, static_cast<int64_t>(bytes.size()), text, read);
    return text;
}

std::string letterCopy(std::span<const uint8_t> bytes, const CopyRange& range, std::string_view before,
                       std::string_view after, const CopyTable& table) {
    const int64_t lo = std::min(range.from, range.to), hi = std::max(range.from, range.to);
    if (table.readsBack && table.speller && range.from <= range.to && before.empty() && after.empty())
        return lettersThatReadBack(bytes, lo, hi, table);
    std::string text;
    const auto append = [&](const ReadLetter& letter) {
        text.append(before).append(copiedLetter(table, bytes, letter)).append(after);
    };
    if (range.from <= range.to) {
        forEachCopiedLetter(bytes, lo, hi, table, append);
        return text;
    }
    // Downwards: the letters' starts first (a letter is the same wherever it is read from).
    std::vector<int32_t> starts;
    forEachCopiedLetter(bytes, lo, hi, table,
                        [&](const ReadLetter& letter) { starts.push_back(static_cast<int32_t>(letter.start)); });
    for (auto it = starts.rbegin(); it != starts.rend(); ++it) append(readLetterAt(table.reading, bytes, *it));
    return text;
}

}  // namespace

uint64_t copyTextLength(std::span<const uint8_t> bytes, int64_t from, int64_t to, CopyType type,
                        std::string_view before, std::string_view after, const CopyTable& copyTable) {
    const auto range = clipCopyRange(from, to, static_cast<int64_t>(bytes.size()));
    if (!range) return 0;
    if (readsLetters(type, copyTable))
        return letterCopyLength(bytes, std::min(range->from, range->to), std::max(range->from, range->to), before,
                                after, copyTable);
    const CharTable& table = copyTable.reading.view;
    const int64_t lo = std::min(range->from, range->to), hi = std::max(range->from, range->to);
    const std::array<uint64_t, 256> counts = histogram(bytes, lo, hi);
    uint64_t total = static_cast<uint64_t>(hi - lo + 1) * (before.size() + after.size());
    for (int b = 0; b < 256; ++b)
        total += counts[static_cast<size_t>(b)] * itemOf(static_cast<uint8_t>(b), type, table).size();
    return total;
}

std::string formatCopy(std::span<const uint8_t> bytes, int64_t from, int64_t to, CopyType type,
                       std::string_view before, std::string_view after, const CopyTable& copyTable) {
    const auto range = clipCopyRange(from, to, static_cast<int64_t>(bytes.size()));
    if (!range) return {};
    if (readsLetters(type, copyTable)) return letterCopy(bytes, *range, before, after, copyTable);
    const std::array<std::string, 256> items = wrappedItems(type, before, after, copyTable.reading.view);
    std::string text(copyTextLength(bytes, from, to, type, before, after, copyTable), '\0');
    char* out = text.data();
    const int64_t step = range->from <= range->to ? 1 : -1;
    for (int64_t i = range->from;; i += step) {
        const std::string& item = items[bytes[static_cast<size_t>(i)]];
        std::memcpy(out, item.data(), item.size());
        out += item.size();
        if (i == range->to) break;
    }
    return text;
}

CopyTable documentCopyTable(EditorState& s) {
    return {s.reading(), &s.doc.letters, s.doc.history.stateId()};
}

bool copyTextIsUtf8(const EditorState& s, CopyType type) { return type == CopyType::Table && s.table.utf8(); }

bool cmdCopy_Click(Editor& ed, const CopyForm& form) {
    if (form.txtOffset[0].empty() || form.txtOffset[1].empty()) {
        ed.services.messageBox("Fill in Start & End offset");
        return false;
    }
    const int64_t from = readCopyOffset(form.txtOffset[0], form.offsetRadix);
    const int64_t to = readCopyOffset(form.txtOffset[1], form.offsetRadix);
    const std::span<const uint8_t> doc(ed.s.doc.fileData.data(), static_cast<size_t>(std::max(ed.s.doc.fileSize, 0)));
    if (!clipCopyRange(from, to, static_cast<int64_t>(doc.size()))) {
        ed.services.messageBox("The range lies outside the file");
        return false;
    }
    const CopyTable table = documentCopyTable(ed.s);
    if (copyTextLength(doc, from, to, form.type, form.txtBefore, form.txtAfter, table) > kMaxCopyText) {
        ed.services.messageBox("The text to copy is too large");
        return false;
    }
    const std::string text = formatCopy(doc, from, to, form.type, form.txtBefore, form.txtAfter, table);
    if (copyTextIsUtf8(ed.s, form.type)) ed.services.setClipboardUtf8Text(text);
    else ed.services.setClipboardText(text);
    return true;
}

}  // namespace tarpon
