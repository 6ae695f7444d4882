#include "search/pattern.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/number_reading.h"
#include "core/text_coding.h"
#include "core/rounding.h"

namespace tarpon {
namespace {

uint8_t byteOf(char c) { return static_cast<uint8_t>(c); }

// The first entry whose letters start with the character `c` (its bytes); 0 when none does.
uint8_t tableCodeFor(std::string_view c, const CharTable& table) {
    for (size_t i = 0; i < table.size(); ++i)
        if (!table[i].empty() && table[i].starts_with(c)) return static_cast<uint8_t>(i);
    return 0;
}

// The first character of non-empty `text`: one byte, or with `utf8` a whole UTF-8
// sequence (a byte that starts none counts as one character).
std::string_view firstCharacter(std::string_view text, bool utf8) {
    return text.substr(0, utf8 ? std::max<size_t>(utf8SequenceLength(text, 0), 1) : 1);
}

// Through a UTF-8 table the text is spelled with the table's entries: at each
// place the longest entry the text goes on with (the first of equally long ones).
// Where none fits, the next character becomes the first entry starting with it, or 0.
std::vector<uint8_t> spellWithTable(std::string_view text, const CharTable& table) {
    std::vector<uint8_t> bytes;
    while (!text.empty()) {
        size_t best = table.size(), bestLength = 0;
        for (size_t i = 0; i < table.size(); ++i)
            if (table[i].size() > bestLength && text.starts_with(table[i])) best = i, bestLength = table[i].size();
        if (best == table.size()) {
            bestLength = firstCharacter(text, true).size();
            best = tableCodeFor(text.substr(0, bestLength), table);
        }
        bytes.push_back(static_cast<uint8_t>(best));
        text.remove_prefix(bestLength);
    }
    return bytes;
}

// The wild card: an entry that is exactly its first character, else the byte with
// that character's code; -1 for none. -2, and `problem` says why, when that code
// is above 0xFF (a UTF-8 wild card that is no entry).
int32_t textWildcard(PatternKind kind, std::string_view wildcard, const CharTable& table, bool utf8,
                     std::string* problem) {
    if (wildcard.empty()) return -1;
    const std::string_view c = firstCharacter(wildcard, utf8);
    if (kind == PatternKind::Table)
        for (size_t i = 0; i < table.size(); ++i)
            if (table[i] == c) return static_cast<int32_t>(i);
    if (c.size() == 1) return byteOf(c[0]);
    const char32_t code = utf8CodePoint(c, 0, c.size());
    if (code <= 0xFF) return static_cast<int32_t>(code);
    if (problem)
        *problem = "The wild card " + describeCharacter(code) +
                   " is no entry of the table, and no single byte has its code.";
    return -2;
}

const char* prefixOf(PatternKind kind) {
    switch (kind) {
    case PatternKind::Hex: return "&h0";
    case PatternKind::Oct: return "&o0";
    default: return "0";
    }
}

// Low eight bits of the number that number reading gives for prefix + text. Hex and
// octal are taken digit by digit so that numbers of any length stay exact.
uint8_t lowByte(PatternKind kind, std::string_view text) {
    if (kind == PatternKind::Hex || kind == PatternKind::Oct) {
        const int radix = kind == PatternKind::Hex ? 16 : 8;
        unsigned value = 0;
        for (char c : text) {
            if (c == ' ' || c == '\t' || c == '\n') continue;  // number reading skips these
            int d = 99;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
            if (d >= radix) break;
            value = (value * static_cast<unsigned>(radix) + static_cast<unsigned>(d)) & 0xFF;
        }
        return static_cast<uint8_t>(value);
    }
    // Decimal may carry a fraction or an exponent; the prefix "0" keeps it non-negative.
    const double v = roundHalfEven(ReadNumber(std::string(prefixOf(kind)) + std::string(text)));
    if (!std::isfinite(v) || v < 0) return 0;
    return static_cast<uint8_t>(static_cast<unsigned>(std::fmod(v, 256.0)));
}

int32_t numberWildcard(PatternKind kind, std::string_view wildcard) {
    if (wildcard.empty()) return -1;
    const double v = roundHalfEven(ReadNumber(std::string(prefixOf(kind)) + std::string(wildcard)));
    if (!(v >= 0 && v <= 255)) return -1;
    return static_cast<int32_t>(v);
}

// Pieces between single blanks; an empty piece (two blanks, a leading or a
// trailing blank) ends the list.
std::vector<std::string_view> numberPieces(std::string_view text) {
    std::vector<std::string_view> pieces;
    size_t from = 0;
    while (from <= text.size()) {
        const size_t blank = text.find(' ', from);
        const size_t to = blank == std::string_view::npos ? text.size() : blank;
        if (to == from) break;
        pieces.push_back(text.substr(from, to - from));
        if (blank == std::string_view::npos) break;
        from = blank + 1;
    }
    return pieces;
}

}  // namespace

std::optional<SearchRequest> buildPattern(PatternKind kind, std::string_view text,
                                          std::string_view wildcard, const CharTable& table,
                                          bool tableUtf8, std::string* problem) {
    if (text.empty()) return std::nullopt;
    SearchRequest request;
    if (kind == PatternKind::Ascii || kind == PatternKind::Table) {
        const bool utf8 = tableUtf8 && kind == PatternKind::Table;
        if (utf8) request.pattern = spellWithTable(text, table);
        else
            for (const char c : text)
                request.pattern.push_back(kind == PatternKind::Table ? tableCodeFor({&c, 1}, table) : byteOf(c));
        request.wildcard = textWildcard(kind, wildcard, table, utf8, problem);
        if (request.wildcard == -2) return std::nullopt;
        return request;
    }
    for (std::string_view piece : numberPieces(text)) request.pattern.push_back(lowByte(kind, piece));
    if (request.pattern.empty()) return std::nullopt;
    request.wildcard = numberWildcard(kind, wildcard);
    return request;
}

}  // namespace tarpon
