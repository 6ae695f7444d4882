#pragma once
// Text as bytes: Latin-1 (one byte a character) and UTF-8, and the letters of a
// table entry made fit to draw in one cell.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarpon {

// The length of the well-formed UTF-8 sequence at text[at] (1 to 4), or 0 when
// none starts there (a stray continuation byte, an overlong form, a surrogate,
// a sequence cut short or past U+10FFFF).
size_t utf8SequenceLength(std::string_view text, size_t at);

// The code point of the sequence utf8SequenceLength found (length > 0).
char32_t utf8CodePoint(std::string_view text, size_t at, size_t length);

bool isValidUtf8(std::string_view text);
bool hasByteAbove7F(std::string_view text);

std::string utf8Of(char32_t codePoint);

// The Latin-1 bytes of UTF-8 text; when a character has no Latin-1 byte (above
// U+00FF), nothing, and `refused` holds that character.
std::optional<std::string> latin1FromUtf8(std::string_view utf8, char32_t* refused = nullptr);

// Latin-1 bytes as UTF-8 text, each byte the character with its code.
std::string utf8FromLatin1Text(std::string_view latin1);

// "あ" (U+3042): a character named for a message.
std::string describeCharacter(char32_t codePoint);

// At most this many bytes of an entry are drawn in a cell: more never fits.
inline constexpr size_t kMaxCellBytes = 16;

// An entry's letters as a cell shows them, as UTF-8: the first kMaxCellBytes bytes
// at most (a UTF-8 sequence is never cut), each line break as a sign, and "." for
// each letter that cannot be drawn (a control character, a Latin-1 byte above
// 0x7E, a byte that is not part of a UTF-8 sequence).
struct CellLetters {
    std::string text;
    bool lastDrawable = true;  // the last letter shown is drawn as itself or as the line-break sign
    bool many = false;         // the entry holds more than one letter
};
CellLetters cellLetters(std::string_view letters, bool utf8);

// What a line break in an entry's letters is drawn as: "↵".
inline constexpr std::string_view kLineBreakSign = "\xE2\x86\xB5";

}  // namespace tarpon
