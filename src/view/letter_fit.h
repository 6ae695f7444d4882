#pragma once
// A letter drawn within the cells of its key, so that it never covers its
// neighbours: a letter that fits is drawn as it is, two letters to a cell are
// drawn narrowed, longer letters are cut with "…", and end tokens, line breaks
// and control codes ("<...>", "[...]", "{...}") too wide for their cells are
// drawn as one sign of their kind.
#include <string>
#include <string_view>

#include "core/table.h"

namespace tarpon {

inline constexpr std::string_view kEndSign = "\xE2\x96\xA0";   // "■"
inline constexpr std::string_view kCodeSign = "\xE2\x97\x86";  // "◆"
inline constexpr std::string_view kCutSign = "\xE2\x80\xA6";   // "…"

// At most this many letters are drawn in one cell (narrowed to fit).
inline constexpr int kLettersPerCell = 2;

struct FittedLetter {
    std::string text;       // UTF-8
    bool sign = false;      // drawn as the sign of its kind
    bool narrowed = false;  // more letters than cells: drawn narrower to fit
    bool lastDrawable = true;
    bool many = false;      // the letter's text holds more than one character
};

// `letters`: the letter's text (UTF-8, or Latin-1 when !utf8; a line break's ends in "\n"),
// `kind`: its entry's kind where known, `cells`: how many cells it may cover (at least 1).
FittedLetter fitLetter(std::string_view letters, bool utf8, EntryKind kind, int cells);

// Whether a text is a code in brackets such as "<end>", "[wait]" or "{color}".
bool isBracketedCode(std::string_view text);

}  // namespace tarpon
