#include "search/pattern.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/number_reading.h"
#include "core/spelling.h"
#include "core/text_coding.h"
#include "core/rounding.h"
#include "core/hex_text.h"

namespace tarpon {
namespace {

uint8_t byteOf(char c) { return static_cast<uint8_t>(c); }

// The first character of non-empty `text`: one byte, or with `utf8` a whole UTF-8
// sequence (a byte that starts none counts as one character).
std::string_view firstCharacter(std::string_view text, bool utf8) {
    return text.substr(0, utf8 ? std::max<size_t>(utf8SequenceLength(text, 0), 1) : 1);
}

// A Table search through the whole table; `view`: its one-byte view (UTF-8), for
// characters that begin no entry and for the wild card.
std::optional<SearchRequest> tablePattern(std::string_view text, std::string_view wildcard, const Table& table,
                                          const CharTable& view, std::string* problem);

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
            const int d = hexDigitValue(c);
            if (d < 0 || d >= radix) break;
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

std::optional<SearchRequest> tablePattern(std::string_view text, std::string_view wildcard, const Table& table,
                                          const CharTable& view, std::string* problem) {
    if (text.empty()) return std::nullopt;
    SearchRequest request;
    request.wildcard = textWildcard(PatternKind::Table, wildcard, view, true, problem);
    if (request.wildcard == -2) return std::nullopt;
    Spellings spellings = spellingsOf(table, text, kMaxSpellings, &view);
    request.moreSpellings = spellings.more;
    request.pattern = std::move(spellings.bytes.front());
    request.otherSpellings.assign(std::make_move_iterator(spellings.bytes.begin() + 1),
                                  std::make_move_iterator(spellings.bytes.end()));
    return request;
}

// A Table search through the one-byte table alone: its letters (Latin-1 unless `utf8`) as the entries.
std::optional<SearchRequest> viewPattern(std::string_view text, std::string_view wildcard, const CharTable& view,
                                         bool utf8, std::string* problem) {
    CharTable letters = view;
    Table table;
    for (size_t b = 0; b < letters.size(); ++b) {
        if (!utf8) letters[b] = utf8FromLatin1Text(letters[b]);
        if (!letters[b].empty()) table.set({std::string(1, static_cast<char>(b)), letters[b]});
    }
    return utf8 ? tablePattern(text, wildcard, table, letters, problem)
                : tablePattern(utf8FromLatin1Text(text), utf8FromLatin1Text(wildcard), table, letters, problem);
}

}  // namespace

std::optional<SearchRequest> buildTablePattern(std::string_view text, std::string_view wildcard, const Table& table,
                                               std::string* problem) {
    return tablePattern(text, wildcard, table, table.oneByteView(), problem);
}

std::optional<SearchRequest> buildPattern(PatternKind kind, std::string_view text,
                                          std::string_view wildcard, const CharTable& table,
                                          bool tableUtf8, std::string* problem) {
    if (text.empty()) return std::nullopt;
    if (kind == PatternKind::Table) return viewPattern(text, wildcard, table, tableUtf8, problem);
    SearchRequest request;
    if (kind == PatternKind::Ascii) {
        request.pattern.assign(text.begin(), text.end());
        request.wildcard = textWildcard(kind, wildcard, table, false, problem);
        return request;
    }
    for (std::string_view piece : numberPieces(text)) request.pattern.push_back(lowByte(kind, piece));
    if (request.pattern.empty()) return std::nullopt;
    request.wildcard = numberWildcard(kind, wildcard);
    return request;
}

}  // namespace tarpon
