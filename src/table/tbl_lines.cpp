#include "table/tbl_lines.h"

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

int hexValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return -1;
}

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

// The bytes a key's hexadecimal digits give, or nothing and why.
std::optional<std::string> keyBytes(std::string_view digits, TblSkip* reason) {
    std::string key;
    *reason = TblSkip::BadKey;
    if (digits.empty() || digits.size() % 2 != 0) return std::nullopt;
    for (size_t i = 0; i < digits.size(); i += 2) {
        const int high = hexValue(digits[i]), low = hexValue(digits[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        key += static_cast<char>(high * 16 + low);
    }
    if (key.size() > kMaxKeyBytes) {
        *reason = TblSkip::LongKey;
        return std::nullopt;
    }
    return key;
}

std::string unescapeLineBreaks(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

ParsedLine skip(TblSkip reason) {
    ParsedLine out;
    out.skipped = true;
    out.reason = reason;
    return out;
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
ParsedLine withoutEquals(std::string_view s, size_t start, EntryKind kind) {
    if (kind == EntryKind::Letter) return skip(TblSkip::NoEquals);
    if (kind == EntryKind::Linked) return skip(TblSkip::BadLinked);
    TblSkip reason;
    ParsedLine out;
    out.role = Role::Entry;
    out.entry.kind = kind;
    if (std::optional<std::string> key = keyBytes(trimBlanks(s.substr(start)), &reason)) {
        out.entry.key = std::move(*key);
        out.lead = std::string(s);
        return out;
    }
    if (kind != EntryKind::EndToken || trimBlanks(s.substr(start)).empty()) return skip(reason);
    out.entry.text = unescapeLineBreaks(s.substr(start));
    out.lead = std::string(s.substr(0, start));
    return out;
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

// Table files are far below 4 GiB (kMaxTblFileSize).
LineSpan makeSpan(size_t start, size_t length, size_t endBytes) {
    return {static_cast<uint32_t>(start), static_cast<uint32_t>(length), static_cast<uint32_t>(endBytes)};
}

}  // namespace

ParsedLine parseTblText(std::string_view s, bool lastLine) {
    if (isBlankLine(s)) return {};
    size_t start = 0;
    while (isBlank(s[start])) ++start;
    const char lead = s[start];
    if (lead == '#' || lead == ';') return {};
    if (lead == '@') return skip(TblSkip::TableId);
    if (lead == '!') return skip(TblSkip::TableSwitch);
    if (lead == '%') return skip(TblSkip::BitKey);
    const EntryKind kind = kindOf(lead);
    if (kind != EntryKind::Letter) ++start;
    const size_t equals = s.find('=', start);
    if (equals == std::string_view::npos) return withoutEquals(s, start, kind);
    TblSkip reason;
    std::optional<std::string> key = keyBytes(trimBlanks(s.substr(start, equals - start)), &reason);
    if (!key) return skip(reason);
    ParsedLine out;
    out.entry = {.key = std::move(*key), .text = unescapeLineBreaks(s.substr(equals + 1)), .kind = kind};
    out.lead = std::string(s.substr(0, equals + 1));
    if (kind == EntryKind::Linked && !splitLinked(out.entry.text, &out.entry.params)) return skip(TblSkip::BadLinked);
    if (kind == EntryKind::Letter && out.entry.text.empty()) {
        // The last line is read only with a text, as a line too short to hold one always was.
        if (lastLine) return {};
        out.role = Role::Emptying;
        return out;
    }
    out.role = Role::Entry;
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
    if (unit_ == 1 && crlfOnly_) {  // the usual table file: find each CR quickly
        for (size_t at = start; at + 1 < bytes_.size();) {
            const void* cr = std::memchr(bytes_.data() + at, '\r', bytes_.size() - at - 1);
            if (!cr) break;
            at = static_cast<size_t>(static_cast<const char*>(cr) - bytes_.data());
            if (bytes_[at + 1] == '\n') {
                span = makeSpan(start, at - start, 2);
                at_ = at + 2;
                return true;
            }
            ++at;
        }
        span = makeSpan(start, bytes_.size() - start, 0);
        at_ = bytes_.size();
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
    LineCursor again(*this);
    again.at_ = 0;
    size_t lines = 0;
    for (LineSpan span; again.next(span);) ++lines;
    return lines;
}

ParsedLine parseTblLine(std::string_view content, TextEncoding encoding, bool lastLine) {
    const std::optional<std::string> text = decodeText(content, encoding);
    if (!text) return skip(TblSkip::NotEncoded);
    return parseTblText(*text, lastLine);
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
