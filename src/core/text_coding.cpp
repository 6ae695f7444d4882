#include "core/text_coding.h"

#include <cstdio>

namespace tarpon {
namespace {

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Characters drawn as ".": controls, and the invisible ones that would move or
// hide the letters around them (bidirectional overrides, line and paragraph
// separators, the byte-order mark).
bool drawable(char32_t cp) {
    if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) return false;
    if (cp == 0x2028 || cp == 0x2029 || cp == 0xFEFF) return false;
    if ((cp >= 0x200B && cp <= 0x200F) || (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069))
        return false;
    return true;
}

}  // namespace

size_t utf8SequenceLength(std::string_view text, size_t at) {
    if (at >= text.size()) return 0;
    const auto c0 = static_cast<unsigned char>(text[at]);
    if (c0 < 0x80) return 1;
    size_t length = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (c0 >= 0xC2 && c0 <= 0xDF) length = 2;
    else if (c0 >= 0xE0 && c0 <= 0xEF) {
        length = 3;
        if (c0 == 0xE0) lo = 0xA0;        // no overlong forms
        else if (c0 == 0xED) hi = 0x9F;   // no surrogates
    } else if (c0 >= 0xF0 && c0 <= 0xF4) {
        length = 4;
        if (c0 == 0xF0) lo = 0x90;
        else if (c0 == 0xF4) hi = 0x8F;   // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    const auto c1 = static_cast<unsigned char>(text[at + 1]);
    if (c1 < lo || c1 > hi) return 0;
    for (size_t k = 2; k < length; ++k)
        if (!isContinuation(static_cast<unsigned char>(text[at + k]))) return 0;
    return length;
}

char32_t utf8CodePoint(std::string_view text, size_t at, size_t length) {
    const auto c0 = static_cast<unsigned char>(text[at]);
    if (length <= 1) return c0;
    char32_t cp = c0 & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[at + k]) & 0x3F);
    return cp;
}

bool isValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t length = utf8SequenceLength(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

bool hasByteAbove7F(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) > 0x7F) return true;
    return false;
}

std::string utf8Of(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

std::string utf8FromLatin1Text(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (const char c : latin1) out += utf8Of(static_cast<uint8_t>(c));
    return out;
}

std::optional<std::string> latin1FromUtf8(std::string_view utf8, char32_t* refused) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const size_t length = utf8SequenceLength(utf8, i);
        // Not UTF-8 at all: U+FFFD, which is what a text box would have shown.
        const char32_t cp = length == 0 ? 0xFFFD : utf8CodePoint(utf8, i, length);
        if (cp > 0xFF) {
            if (refused) *refused = cp;
            return std::nullopt;
        }
        out += static_cast<char>(cp);
        i += length == 0 ? 1 : length;
    }
    return out;
}

std::string describeCharacter(char32_t cp) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
    return (drawable(cp) ? "\"" + utf8Of(cp) + "\" (" : std::string("(")) + code + ")";
}

CellLetters cellLetters(std::string_view letters, bool utf8) {
    CellLetters cell;
    size_t i = 0;
    size_t count = 0;
    while (i < letters.size()) {
        size_t length = utf8 ? utf8SequenceLength(letters, i) : 1;
        const bool broken = length == 0;
        if (broken) length = 1;
        ++count;
        if (i + length > kMaxCellBytes) break;
        const auto byte = static_cast<unsigned char>(letters[i]);
        const char32_t cp = broken ? 0xFFFD : utf8 ? utf8CodePoint(letters, i, length) : byte;
        if (cp == '\n') {
            cell.text += kLineBreakSign;
            cell.lastDrawable = true;
        } else if (broken || !drawable(cp) || (!utf8 && cp > 0x7E)) {
            cell.text += '.';
            cell.lastDrawable = false;
        } else {
            cell.text.append(letters.substr(i, length));
            cell.lastDrawable = true;
        }
        i += length;
    }
    cell.many = count > 1;
    return cell;
}

}  // namespace tarpon
