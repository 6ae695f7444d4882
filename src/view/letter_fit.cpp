#include "view/letter_fit.h"

#include "core/text_coding.h"

namespace tarpon {
namespace {

// How many characters a UTF-8 text holds.
int charactersIn(std::string_view utf8) {
    int n = 0;
    for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// The first `count` characters of a UTF-8 text.
std::string firstCharacters(std::string_view utf8, int count) {
    size_t end = 0;
    for (int n = 0; end < utf8.size(); ++end) {
        if ((static_cast<unsigned char>(utf8[end]) & 0xC0) != 0x80 && n++ == count) break;
    }
    return std::string(utf8.substr(0, end));
}

}  // namespace

bool isBracketedCode(std::string_view text) {
    if (text.size() < 3) return false;
    const char open = text.front(), close = text.back();
    return (open == '<' && close == '>') || (open == '[' && close == ']') || (open == '{' && close == '}');
}

FittedLetter fitLetter(std::string_view letters, bool utf8, EntryKind kind, int cells) {
    if (cells < 1) cells = 1;
    const bool lineBreak = kind == EntryKind::LineBreak || (!letters.empty() && letters.back() == '\n');
    const std::string_view bare = lineBreak && !letters.empty() && letters.back() == '\n'
                                      ? letters.substr(0, letters.size() - 1) : letters;
    CellLetters shown = cellLetters(letters, utf8);
    const int count = charactersIn(shown.text);
    FittedLetter fit{std::move(shown.text), false, false, shown.lastDrawable, shown.many};
    if (count <= cells) return fit;
    if (lineBreak) fit.text = kLineBreakSign, fit.sign = true;
    else if (kind == EntryKind::EndToken) fit.text = kEndSign, fit.sign = true;
    else if (isBracketedCode(bare)) fit.text = kCodeSign, fit.sign = true;
    if (fit.sign) {
        fit.lastDrawable = true;
        return fit;
    }
    const int room = kLettersPerCell * cells;
    fit.narrowed = true;
    if (count > room || letters.size() > kMaxCellBytes) fit.text = firstCharacters(fit.text, room - 1) + std::string(kCutSign);
    return fit;
}

}  // namespace tarpon
