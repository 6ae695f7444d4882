#include "core/hex_text.h"
#include "table/tbl_lines.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <optional>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// Each byte's value as a hexadecimal digit, or -1: a table, as table files are read a key digit at a time.
constexpr std::array<int8_t, 256> kHexValues = [] {
    std::array<int8_t, 256> values{};
    for (int c = 0; c < 256; ++c) values[static_cast<size_t>(c)] = static_cast<int8_t>(hexDigitValue(static_cast<char>(c)));
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

// The bytes a key's hexadecimal digits give, into `out`; false and why when they give none.
bool readKey(std::string_view digits, LineFields& out, TblSkip* reason) {
    *reason = TblSkip::BadKey;
    if (digits.empty() || digits.size() % 2 != 0) return false;
    size_t length = 0;
    for (size_t i = 0; i < digits.size(); i += 2, ++length) {
        const int high = hexValue(digits[i]), low = hexValue(digits[i + 1]);
        if (high < 0 || low < 0) return false;
        if (length < kMaxKeyBytes) out.keyBytes[length] = static_cast<char>(high * 16 + low);
    }
    if (length > kMaxKeyBytes) {
        *reason = TblSkip::LongKey;
        return false;
    }
    out.keyLength = static_cast<uint8_t>(length);
    return true;
}

// The usual key, hexadecimal digits from `start` straight up to what follows them,
// into `out`; returns where they end. No key (keyLength 0) when they are not that.
size_t readPlainKey(std::string_view s, size_t start, LineFields& out) {
    size_t at = start, length = 0;
    for (; at + 1 < s.size() && s[at] != '=' && length < kMaxKeyBytes; at += 2, ++length) {
        const int high = hexValue(s[at]), low = hexValue(s[at + 1]);
        if (high < 0 || low < 0) break;
        out.keyBytes[length] = static_cast<char>(high * 16 + low);
    }
    out.keyLength = static_cast<uint8_t>(length);
    return at;
}

// `text` with each "\\n" turned into a line break: the text itself when it holds
// none, else its copy in `scratch`.
std::string_view unescapeLineBreaks(std::string_view text, std::string& scratch) {
    size_t at = 0;  // texts are a few bytes: a loop finds the "\\" sooner than memchr
    while (at + 1 < text.size() && !(text[at] == '\\' && text[at + 1] == 'n')) ++at;
    if (at + 1 >= text.size()) return text;
    scratch.clear();
    for (size_t from = 0;; at = text.find("\\n", from)) {
        scratch.append(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
        if (at == std::string_view::npos) return scratch;
        scratch += '\n';
        from = at + 2;
    }
}

// Makes `out` a skipped line that gives nothing.
void skip(LineFields& out, TblSkip reason) {
    out.reset();
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
void withoutEquals(std::string_view s, size_t start, EntryKind kind, LineFields& out, std::string& scratch) {
    if (kind == EntryKind::Letter) return skip(out, TblSkip::NoEquals);
    if (kind == EntryKind::Linked) return skip(out, TblSkip::BadLinked);
    TblSkip reason;
    const std::string_view rest = trimBlanks(s.substr(start));
    out.role = Role::Entry;
    out.kind = kind;
    if (readKey(rest, out, &reason)) {
        out.leadLength = s.size();
        return;
    }
    if (kind != EntryKind::EndToken || rest.empty()) return skip(out, reason);
    out.text = unescapeLineBreaks(s.substr(start), scratch);
    out.leadLength = start;
}

// "text,N" of a linked entry: N parameter bytes, 0 to 255; `text` keeps what is before the comma.
bool splitLinked(std::string_view& text, int* params) {
    const size_t comma = text.rfind(',');
    if (comma == std::string_view::npos) return false;
    const std::string_view digits = trimBlanks(text.substr(comma + 1));
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || value < 0 || value > 255)
        return false;
    *params = value;
    text = text.substr(0, comma);
    return true;
}

// How many line ends one-byte text holds.
size_t countByteEnds(std::string_view bytes, bool crlfOnly) {
    const auto* b = reinterpret_cast<const uint8_t*>(bytes.data());
    if (crlfOnly) return countWhere(1, bytes.size(), [b](size_t i) { return (b[i - 1] == kCr) & (b[i] == kLf); });
    return countWhere(0, bytes.size(), [b](size_t i) { return (b[i] == kCr) | (b[i] == kLf); });
}

// Writes where each line end of one-byte text starts into `ends`; returns how many
// there are. Sixteen bytes are looked at a time (and the byte after them, for the
// LF of a CR LF).
template <bool kCrLfOnly>
size_t findByteEnds(std::string_view bytes, uint32_t* ends) {
    const auto* b = reinterpret_cast<const uint8_t*>(bytes.data());
    const size_t size = bytes.size();
    size_t count = 0, i = 0;
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    for (; i + 17 <= size; i += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        const __m128i isCr = _mm_cmpeq_epi8(here, cr);
        __m128i isEnd;
        if constexpr (kCrLfOnly)
            isEnd = _mm_and_si128(isCr, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i + 1)), lf));
        else
            isEnd = _mm_or_si128(isCr, _mm_cmpeq_epi8(here, lf));
        for (auto m = static_cast<unsigned>(_mm_movemask_epi8(isEnd)); m != 0; m &= m - 1)
            ends[count++] = static_cast<uint32_t>(i + static_cast<size_t>(std::countr_zero(m)));
    }
#endif
    for (; i < size; ++i) {
        const bool end = kCrLfOnly ? b[i] == kCr && i + 1 < size && b[i + 1] == kLf : b[i] == kCr || b[i] == kLf;
        if (end) ends[count++] = static_cast<uint32_t>(i);
    }
    return count;
}

// The same for text of two-byte code units.
size_t findUnitEnds(std::string_view bytes, TextEncoding encoding, bool crlfOnly, uint32_t* ends) {
    const size_t whole = bytes.size() - bytes.size() % 2;
    size_t count = 0;
    for (size_t at = 0; at < whole; at += 2) {
        const uint32_t u = codeUnitAt(bytes, at, encoding);
        if (crlfOnly ? u == kCr && at + 2 < whole && codeUnitAt(bytes, at + 2, encoding) == kLf : u == kCr || u == kLf) {
            if (ends) ends[count] = static_cast<uint32_t>(at);
            ++count;
            at += crlfOnly ? 2 : 0;
        }
    }
    return count;
}

// Where each line end starts, into `ends`, or only how many there are when it is null.
size_t findEnds(std::string_view bytes, TextEncoding encoding, bool crlfOnly, uint32_t* ends) {
    if (codeUnitSize(encoding) == 2) return findUnitEnds(bytes, encoding, crlfOnly, ends);
    if (!ends) return countByteEnds(bytes, crlfOnly);
    return crlfOnly ? findByteEnds<true>(bytes, ends) : findByteEnds<false>(bytes, ends);
}

// "@name" from the line's first column, with no "=" after it, names the logical table
// that follows; any other "@" line ("@XX=...") is not read.
void readTableName(std::string_view s, LineFields& out) {
    if (s.front() != '@' || s.find('=') != std::string_view::npos) return skip(out, TblSkip::TableId);
    out.names = true;
    out.text = trimBlanks(s.substr(1));
}

}  // namespace

void readTblFields(std::string_view s, bool lastLine, LineFields& out, std::string& scratch) {
    out.reset();
    size_t start = 0;
    while (start < s.size() && isBlank(s[start])) ++start;
    if (start == s.size()) return;
    const char lead = s[start];
    if ((lead == '\r' || lead == '\n' || lead == '\f' || lead == '\v') && isBlankLine(s)) return;
    if (lead == '#' || lead == ';') return;
    if (lead == '@') return readTableName(s, out);
    if (lead == '!') return skip(out, TblSkip::TableSwitch);
    if (lead == '%') return skip(out, TblSkip::BitKey);
    const EntryKind kind = kindOf(lead);
    if (kind != EntryKind::Letter) ++start;
    size_t equals = readPlainKey(s, start, out);
    if (equals == s.size() || s[equals] != '=' || out.keyLength == 0) {  // blanks, an odd digit, a long key...
        out.keyLength = 0;
        equals = start;  // a key is a few bytes: a loop finds the "=" sooner than memchr
        while (equals < s.size() && s[equals] != '=') ++equals;
        if (equals == s.size()) return withoutEquals(s, start, kind, out, scratch);
        TblSkip reason;
        if (!readKey(trimBlanks(s.substr(start, equals - start)), out, &reason)) return skip(out, reason);
    }
    out.kind = kind;
    std::string_view text = s.substr(equals + 1);
    out.leadLength = equals + 1;
    if (kind == EntryKind::Linked && !splitLinked(text, &out.params)) return skip(out, TblSkip::BadLinked);
    out.text = std::find(text.begin(), text.end(), '\\') == text.end() ? text : unescapeLineBreaks(text, scratch);
    // The last line is read only with a text, as a line too short to hold one always was.
    if (kind == EntryKind::Letter && out.text.empty()) {
        if (lastLine) out.reset();
        else out.role = Role::Emptying;
        return;
    }
    out.role = Role::Entry;
}

ParsedLine parseTblText(std::string_view s, bool lastLine) {
    LineFields fields;
    std::string scratch;
    readTblFields(s, lastLine, fields, scratch);
    ParsedLine out;
    out.role = fields.role;
    out.skipped = fields.skipped;
    out.reason = fields.reason;
    out.entry = {std::string(fields.key()), std::string(fields.text), fields.kind, fields.params};
    out.leadLength = fields.leadLength;
    out.names = fields.names;
    return out;
}

// The ends are counted first, so that the array takes no more memory than they need.
LineCursor::LineCursor(std::string_view bytes, TextEncoding encoding) : bytes_(bytes) {
    const size_t unit = codeUnitSize(encoding);
    const bool crlfOnly = holdsCrLf(bytes, encoding, unit, bytes.size() - bytes.size() % unit);
    endBytes_ = static_cast<uint32_t>((crlfOnly ? 2 : 1) * unit);
    endCount_ = findEnds(bytes, encoding, crlfOnly, nullptr);
    ends_ = std::make_unique_for_overwrite<uint32_t[]>(endCount_);
    findEnds(bytes, encoding, crlfOnly, ends_.get());
    const size_t ended = endCount_ == 0 ? 0 : ends_[endCount_ - 1] + endBytes_;
    lines_ = endCount_ + (ended < bytes.size() ? 1 : 0);
}

// Text after the last line end is a line of its own; a text that ends with one has no
// empty line after it.
size_t countLines(std::string_view bytes, TextEncoding encoding) {
    const size_t unit = codeUnitSize(encoding);
    const size_t whole = bytes.size() - bytes.size() % unit;
    const bool crlfOnly = holdsCrLf(bytes, encoding, unit, whole);
    const size_t ends = findEnds(bytes, encoding, crlfOnly, nullptr);
    bool endsWithEnd = false;
    if (whole == bytes.size() && whole >= unit) {
        const uint32_t last = codeUnitAt(bytes, whole - unit, encoding);
        endsWithEnd = crlfOnly ? last == kLf && whole >= 2 * unit && codeUnitAt(bytes, whole - 2 * unit, encoding) == kCr
                               : last == kCr || last == kLf;
    }
    return ends + (bytes.empty() || endsWithEnd ? 0 : 1);
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
    std::string row = kMarkers[static_cast<int>(entry.kind)];
    for (const char c : entry.key) appendHexByte(row, static_cast<uint8_t>(c));
    if (entry.key.empty()) return row + escapeLineBreaks(entry.text);
    const bool bare = entry.text.empty() && (entry.kind == EntryKind::EndToken || entry.kind == EntryKind::LineBreak);
    if (bare) return row;
    row += "=" + escapeLineBreaks(entry.text);
    if (entry.kind == EntryKind::Linked) row += "," + std::to_string(entry.params);
    return row;
}

}  // namespace tarpon
