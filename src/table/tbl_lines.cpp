#include "table/tbl_lines.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <optional>

namespace tarpon {
namespace {

using Role = TableSourceLine::Role;

constexpr uint32_t kCr = 0x0D, kLf = 0x0A;

uint32_t codeUnitAt(std::string_view bytes, size_t at, TextEncoding encoding) {
    const auto b0 = static_cast<uint8_t>(bytes[at]);
    if (encoding == TextEncoding::Utf16Le) return b0 | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8;
    if (encoding == TextEncoding::Utf16Be) return static_cast<uint32_t>(b0) << 8 | static_cast<uint8_t>(bytes[at + 1]);
    return b0;
}

bool holdsCrLf(std::string_view bytes, TextEncoding encoding, size_t unit, size_t whole) {
    if (unit == 1) return bytes.find("\r\n") != std::string_view::npos;
    for (size_t at = 0; at + unit < whole; at += unit)
        if (codeUnitAt(bytes, at, encoding) == kCr && codeUnitAt(bytes, at + unit, encoding) == kLf) return true;
    return false;
}

// Each byte's value as a hexadecimal digit, or -1.
constexpr std::array<int8_t, 256> kHexValues = [] {
    std::array<int8_t, 256> values{};
    values.fill(-1);
    for (int d = 0; d < 10; ++d) values['0' + d] = static_cast<int8_t>(d);
    for (int d = 0; d < 6; ++d) values['A' + d] = values['a' + d] = static_cast<int8_t>(10 + d);
    return values;
}();

int hexValue(char ch) { return kHexValues[static_cast<uint8_t>(ch)]; }

bool isBlank(char ch) { return ch == ' ' || ch == '\t'; }

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A line of nothing but white space is blank.
bool isBlankLine(std::string_view line) {
    for (const char ch : line)
        if (!isBlank(ch) && ch != '\r' && ch != '\n' && ch != '\f' && ch != '\v') return false;
    return true;
}

// The bytes a key's hexadecimal digits give, in `key`; false and why when they give none.
// Bytes are added one at a time, as texts are below: for short strings that is done
// in place, where a call into the library to size the string costs more.
bool keyBytes(std::string_view digits, std::string& key, TblSkip* reason) {
    *reason = TblSkip::BadKey;
    if (digits.empty() || digits.size() % 2 != 0) return false;
    for (size_t i = 0; i < digits.size(); i += 2) {
        const int high = hexValue(digits[i]), low = hexValue(digits[i + 1]);
        if (high < 0 || low < 0) return false;
        key += static_cast<char>(high * 16 + low);
    }
    if (key.size() > kMaxKeyBytes) {
        *reason = TblSkip::LongKey;
        return false;
    }
    return true;
}

// Appends `text` to `out` with each "\\n" turned into a line break.
void unescapeLineBreaks(std::string_view text, std::string& out) {
    for (size_t i = 0; i < text.size(); ++i) {
        const bool lineBreak = text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n';
        out += lineBreak ? '\n' : text[i];
        i += lineBreak ? 1 : 0;
    }
}

// Makes `out` a skipped line that gives nothing.
void skip(ParsedLine& out, TblSkip reason) {
    out = ParsedLine{};
    out.skipped = true;
    out.reason = reason;
}

EntryKind kindOf(char marker) {
    switch (marker) {
    case '/': return EntryKind::EndToken;
    case '*': return EntryKind::LineBreak;
    case '$': return EntryKind::Linked;
    default: return EntryKind::Letter;
    }
}

// A line without "=": "/00", "*FE", or "/<END>" (an end tag with no bytes).
void withoutEquals(std::string_view s, size_t start, EntryKind kind, ParsedLine& out) {
    if (kind == EntryKind::Letter) return skip(out, TblSkip::NoEquals);
    if (kind == EntryKind::Linked) return skip(out, TblSkip::BadLinked);
    TblSkip reason;
    const std::string_view rest = trimBlanks(s.substr(start));
    out.role = Role::Entry;
    out.entry.kind = kind;
    if (keyBytes(rest, out.entry.key, &reason)) {
        out.leadLength = s.size();
        return;
    }
    if (kind != EntryKind::EndToken || rest.empty()) return skip(out, reason);
    out.entry.key.clear();
    unescapeLineBreaks(s.substr(start), out.entry.text);
    out.leadLength = start;
}

// "text,N" of a linked entry: N parameter bytes, 0 to 255.
bool splitLinked(std::string& text, int* params) {
    const size_t comma = text.rfind(',');
    if (comma == std::string::npos) return false;
    const std::string_view digits = trimBlanks(std::string_view(text).substr(comma + 1));
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || value < 0 || value > 255)
        return false;
    *params = value;
    text.erase(comma);
    return true;
}

// The lines of one-byte text (as LineCursor reads them). The line ends are counted
// in blocks of 240 bytes, each into a byte, which the compiler widens to vector
// instructions that count 16 bytes or more at once.
size_t countByteLines(std::string_view bytes, bool crlfOnly) {
    const auto* b = reinterpret_cast<const uint8_t*>(bytes.data());
    const size_t size = bytes.size();
    if (size == 0) return 0;
    size_t ends = 0;
    for (size_t from = crlfOnly ? 1 : 0; from < size; from += 240) {
        const size_t to = std::min(size, from + 240);
        uint8_t inBlock = 0;
        if (crlfOnly)
            for (size_t i = from; i < to; ++i) inBlock += (b[i - 1] == kCr) & (b[i] == kLf);
        else
            for (size_t i = from; i < to; ++i) inBlock += (b[i] == kCr) | (b[i] == kLf);
        ends += inBlock;
    }
    const bool endedLast = crlfOnly ? bytes.ends_with("\r\n") : b[size - 1] == kCr || b[size - 1] == kLf;
    return ends + (endedLast ? 0 : 1);
}

// Where the first CR LF at or after `from` starts, or the text's size when there is
// none. Lines are a few bytes long, so eight bytes at a time are looked at for CRs
// rather than calling memchr for each line.
size_t findCrLf(std::string_view text, size_t from) {
    constexpr uint64_t kOnes = 0x0101010101010101, kHighs = 0x8080808080808080;
    const char* data = text.data();
    for (; from + 8 < text.size(); from += 8) {  // the byte after the eight is there for the LF
        uint64_t word;
        std::memcpy(&word, data + from, 8);
        if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
        const uint64_t x = word ^ (kOnes * kCr);  // a zero byte where there is a CR
        // The top bit of each zero byte, lowest first (a higher one may be marked by
        // mistake after a zero byte, hence the check of each).
        for (uint64_t crs = (x - kOnes) & ~x & kHighs; crs != 0; crs &= crs - 1) {
            const size_t at = from + static_cast<size_t>(std::countr_zero(crs)) / 8;
            if (data[at] == '\r' && data[at + 1] == '\n') return at;
        }
    }
    for (; from + 1 < text.size(); ++from)
        if (data[from] == '\r' && data[from + 1] == '\n') return from;
    return text.size();
}

// Table files are far below 4 GiB (kMaxTblFileSize).
LineSpan makeSpan(size_t start, size_t length, size_t endBytes) {
    return {static_cast<uint32_t>(start), static_cast<uint32_t>(length), static_cast<uint32_t>(endBytes)};
}

// Reads the line `s` into `out`, which holds nothing yet. The key and the text go
// straight into the entry, with no string made on the way.
void readLine(std::string_view s, bool lastLine, ParsedLine& out) {
    if (isBlankLine(s)) return;
    size_t start = 0;
    while (isBlank(s[start])) ++start;
    const char lead = s[start];
    if (lead == '#' || lead == ';') return;
    if (lead == '@') return skip(out, TblSkip::TableId);
    if (lead == '!') return skip(out, TblSkip::TableSwitch);
    if (lead == '%') return skip(out, TblSkip::BitKey);
    const EntryKind kind = kindOf(lead);
    if (kind != EntryKind::Letter) ++start;
    size_t equals = start;  // a key is a few bytes: a loop finds the "=" sooner than memchr
    while (equals < s.size() && s[equals] != '=') ++equals;
    if (equals == s.size()) return withoutEquals(s, start, kind, out);
    TblSkip reason;
    if (!keyBytes(trimBlanks(s.substr(start, equals - start)), out.entry.key, &reason)) return skip(out, reason);
    out.entry.kind = kind;
    unescapeLineBreaks(s.substr(equals + 1), out.entry.text);
    out.leadLength = equals + 1;
    if (kind == EntryKind::Linked && !splitLinked(out.entry.text, &out.entry.params))
        return skip(out, TblSkip::BadLinked);
    // The last line is read only with a text, as a line too short to hold one always was.
    if (kind == EntryKind::Letter && out.entry.text.empty()) {
        if (lastLine) out = ParsedLine{};
        else out.role = Role::Emptying;
        return;
    }
    out.role = Role::Entry;
}

}  // namespace

ParsedLine parseTblText(std::string_view s, bool lastLine) {
    ParsedLine out;
    readLine(s, lastLine, out);
    return out;
}

LineCursor::LineCursor(std::string_view bytes, TextEncoding encoding)
    : bytes_(bytes), encoding_(encoding), unit_(codeUnitSize(encoding)), whole_(bytes.size() - bytes.size() % unit_),
      crlfOnly_(holdsCrLf(bytes, encoding, unit_, whole_)) {}

uint32_t LineCursor::unitAt(size_t at) const {
    return unit_ == 1 ? static_cast<uint8_t>(bytes_[at]) : codeUnitAt(bytes_, at, encoding_);
}

bool LineCursor::next(LineSpan& span) {
    if (at_ >= bytes_.size()) return false;
    const size_t start = at_;
    if (unit_ == 1 && crlfOnly_) {  // the usual table file
        const size_t end = findCrLf(bytes_, start);
        const size_t endBytes = end < bytes_.size() ? 2 : 0;
        span = makeSpan(start, end - start, endBytes);
        at_ = end + endBytes;
        return true;
    }
    for (size_t at = start; at < whole_; at += unit_) {
        const uint32_t u = unitAt(at);
        if (u != kCr && u != kLf) continue;
        size_t endUnits = 1;
        if (crlfOnly_) endUnits = u == kCr && at + unit_ < whole_ && unitAt(at + unit_) == kLf ? 2 : 0;
        if (endUnits == 0) continue;
        span = makeSpan(start, at - start, endUnits * unit_);
        at_ = at + endUnits * unit_;
        return true;
    }
    span = makeSpan(start, bytes_.size() - start, 0);
    at_ = bytes_.size();
    return true;
}

size_t LineCursor::count() const {
    if (unit_ == 1) return countByteLines(bytes_, crlfOnly_);
    LineCursor again(*this);
    again.at_ = 0;
    size_t lines = 0;
    for (LineSpan span; again.next(span);) ++lines;
    return lines;
}

ParsedLine parseTblLine(std::string_view content, TextEncoding encoding, bool lastLine) {
    ParsedLine out;
    const std::optional<std::string> text = decodeText(content, encoding);
    if (text) readLine(*text, lastLine, out);
    else skip(out, TblSkip::NotEncoded);
    return out;
}

std::string tblLineLead(std::string_view content, TextEncoding encoding) {
    const std::string text = decodeText(content, encoding).value_or("");
    return text.substr(0, parseTblText(text, false).leadLength);
}

std::string escapeLineBreaks(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

std::string entryRow(const TableEntry& entry) {
    static constexpr const char* kMarkers[] = {"", "/", "*", "$"};
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string row = kMarkers[static_cast<int>(entry.kind)];
    for (const char c : entry.key) {
        row += kDigits[static_cast<uint8_t>(c) >> 4];
        row += kDigits[static_cast<uint8_t>(c) & 15];
    }
    if (entry.key.empty()) return row + escapeLineBreaks(entry.text);
    const bool bare = entry.text.empty() && (entry.kind == EntryKind::EndToken || entry.kind == EntryKind::LineBreak);
    if (bare) return row;
    row += "=" + escapeLineBreaks(entry.text);
    if (entry.kind == EntryKind::Linked) row += "," + std::to_string(entry.params);
    return row;
}

}  // namespace tarpon
