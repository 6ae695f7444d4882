#include "search/alphabet.h"

#include <algorithm>

#include "core/text_coding.h"

namespace tarpon {
namespace {

constexpr std::string_view kHiragana =
    "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをゃっゅょ";

// Katakana stand 0x60 code points above the hiragana of the same sound.
constexpr char32_t kKatakanaStep = 0x60;

char32_t codeOf(std::string_view character) { return utf8CodePoint(character, 0, character.size()); }

Alphabet kanaAlphabet(AlphabetKind kind, char32_t step) {
    Alphabet alphabet{kind, {}};
    const std::vector<std::string> hiragana = utf8Characters(kHiragana).value();
    for (const std::string& kana : hiragana) alphabet.letters.push_back(utf8Of(codeOf(kana) + step));
    return alphabet;
}

// Nothing, with the reason in `problem` when one is asked for.
std::nullopt_t refuse(std::string* problem, std::string text) {
    if (problem) *problem = std::move(text);
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::string>> utf8Characters(std::string_view text) {
    std::vector<std::string> out;
    for (size_t at = 0; at < text.size();) {
        const size_t length = utf8SequenceLength(text, at);
        if (length == 0) return std::nullopt;
        out.emplace_back(text.substr(at, length));
        at += length;
    }
    return out;
}

Alphabet hiraganaAlphabet() { return kanaAlphabet(AlphabetKind::Hiragana, 0); }

Alphabet katakanaAlphabet() { return kanaAlphabet(AlphabetKind::Katakana, kKatakanaStep); }

std::optional<Alphabet> customAlphabet(std::string_view sequence, std::string* problem) {
    const auto letters = utf8Characters(sequence);
    if (!letters) return refuse(problem, "The custom alphabet is not valid text.");
    if (letters->empty())
        return refuse(problem, "Type or paste the custom alphabet: its letters in the order the file stores them.");
    if (letters->size() > kMaxAlphabetLetters)
        return refuse(problem, "A custom alphabet holds at most 255 characters: one byte has room for no more.");
    for (auto it = letters->begin(); it != letters->end(); ++it)
        if (std::find(letters->begin(), it, *it) != it)
            return refuse(problem, "The custom alphabet holds " + describeCharacter(codeOf(*it)) +
                                    " twice: each character may appear once.");
    return Alphabet{AlphabetKind::Custom, *letters};
}

std::string alphabetName(AlphabetKind kind) {
    switch (kind) {
    case AlphabetKind::Ascii: return "the ASCII alphabet";
    case AlphabetKind::Hiragana: return "the Hiragana alphabet";
    case AlphabetKind::Katakana: return "the Katakana alphabet";
    case AlphabetKind::Custom: return "the custom alphabet";
    }
    return {};
}

std::optional<SearchRequest> buildAlphabetPattern(const Alphabet& alphabet, std::string_view text,
                                                  std::string_view wildcard, std::string* problem) {
    if (text.empty()) return std::nullopt;
    const auto characters = utf8Characters(text);
    const auto wildcardCharacters = utf8Characters(wildcard);
    if (!characters) return refuse(problem, "The search text is not valid text.");
    if (!wildcardCharacters) return refuse(problem, "The wild card is not valid text.");
    const std::string wild = wildcardCharacters->empty() ? std::string() : wildcardCharacters->front();
    if (!wild.empty() && characters->front() == wild)
        return refuse(problem, "A relative search must begin with a letter, not the wild card: the letters' "
                            "steps are taken from the first one.");
    SearchRequest request;
    request.wildcard = wild.empty() ? -1 : kAlphabetWildcard;
    for (const std::string& c : *characters) {
        if (c == wild) {
            request.pattern.push_back(static_cast<uint8_t>(kAlphabetWildcard));
            continue;
        }
        const auto at = std::find(alphabet.letters.begin(), alphabet.letters.end(), c);
        if (at == alphabet.letters.end())
            return refuse(problem, describeCharacter(codeOf(c)) + " is not in " + alphabetName(alphabet.kind) + ".");
        request.pattern.push_back(static_cast<uint8_t>(at - alphabet.letters.begin()));
    }
    return request;
}

}  // namespace tarpon
