#pragma once
// The orders a relative search reads typed text in: ASCII (each character's own
// code) or a sequence of letters, where a letter's code is its place in the sequence.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/pattern.h"

namespace tarpon {

// The values are the places of the find dialog's choices.
enum class AlphabetKind { Ascii = 0, Hiragana = 1, Katakana = 2, Custom = 3 };

struct Alphabet {
    AlphabetKind kind = AlphabetKind::Ascii;
    std::vector<std::string> letters;  // UTF-8, one character each, in order; empty for ASCII
};

// A one-byte encoding has room for no more letters; the code above the last is the wild card's.
inline constexpr size_t kMaxAlphabetLetters = 255;
inline constexpr int32_t kAlphabetWildcard = 255;

// The 45 basic kana in gojuon order, then the small ya, tsu, yu and yo; ん and the voiced kana are not in it.
Alphabet hiraganaAlphabet();
// The same order in katakana.
Alphabet katakanaAlphabet();
// A sequence the user typed (UTF-8): its characters, each at most once. Nothing, and
// `problem` says why, for an empty or too long sequence, a repeated character or bad UTF-8.
std::optional<Alphabet> customAlphabet(std::string_view sequence, std::string* problem);

// What the alphabet is called in messages: "the Hiragana alphabet".
std::string alphabetName(AlphabetKind kind);

// The search text and wild card (UTF-8) through a sequence alphabet: each letter's
// code is its place, the wild card's first character becomes kAlphabetWildcard
// wherever the text holds it. Nothing for an empty text; nothing, and `problem`
// says why, for a character that is not in the alphabet or a text that begins with
// the wild card (a relative search takes its step from the first letter).
std::optional<SearchRequest> buildAlphabetPattern(const Alphabet& alphabet, std::string_view text,
                                                  std::string_view wildcard, std::string* problem);

// The characters of UTF-8 text; nothing when it is not UTF-8.
std::optional<std::vector<std::string>> utf8Characters(std::string_view text);

}  // namespace tarpon
