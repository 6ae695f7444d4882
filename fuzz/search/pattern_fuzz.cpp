// libFuzzer target for the find pattern builder: every kind, with and without a
// wildcard, against a random table. A pattern is never empty, a wildcard is a
// byte value or none, an Ascii text gives one byte per character, and every
// spelling of a Table text reads as the text from its start to its end.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/spelling.h"
#include "core/text_coding.h"
#include "search/pattern.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// Whether `bytes` read as `text`: each byte an entry that the rest begins with, or
// one character's stand-in (an entry starting with the character, or 0).
bool spells(const std::vector<uint8_t>& bytes, std::string_view text, const tarpon::CharTable& table, bool utf8) {
    std::vector<char> at(text.size() + 1, 0);  // the places the bytes so far can have reached
    at[0] = 1;
    for (const uint8_t b : bytes) {
        std::vector<char> next(text.size() + 1, 0);
        const std::string_view letters = table[b];
        for (size_t j = 0; j < text.size(); ++j) {
            if (!at[j]) continue;
            const std::string_view rest = text.substr(j);
            if (!letters.empty() && rest.starts_with(letters)) next[j + letters.size()] = 1;
            const size_t character = utf8 ? std::max<size_t>(tarpon::utf8SequenceLength(rest, 0), 1) : 1;
            if (b == 0 || letters.starts_with(rest.substr(0, character))) next[j + character] = 1;
        }
        at = std::move(next);
    }
    return at[text.size()] != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarpon;
    FuzzedDataProvider in(data, size);
    CharTable table;
    for (int i = in.ConsumeIntegralInRange(0, 32); i > 0; --i) {
        const uint8_t code = in.ConsumeIntegral<uint8_t>();
        table[code] = in.ConsumeRandomLengthString(4);
    }
    const std::string wildcard = in.ConsumeRandomLengthString(6);
    const std::string text = in.ConsumeRemainingBytesAsString();
    const auto ascii = buildPattern(PatternKind::Ascii, text, wildcard, table);
    check(ascii.has_value() == !text.empty());
    if (ascii) {
        check(std::string(ascii->pattern.begin(), ascii->pattern.end()) == text);
        check(ascii->wildcard == (wildcard.empty() ? -1 : static_cast<uint8_t>(wildcard[0])));
    }
    // Only a UTF-8 wildcard that no entry and no byte stands for gives nothing, and says why.
    for (const bool utf8 : {false, true}) {
        std::string problem;
        const auto request = buildPattern(PatternKind::Table, text, wildcard, table, utf8, &problem);
        check(request.has_value() == (!text.empty() && problem.empty()));
        check(problem.empty() || (utf8 && !wildcard.empty()));
        if (!request) continue;
        check(wildcard.empty() ? request->wildcard == -1 : (request->wildcard >= 0 && request->wildcard <= 255));
        // Every spelling reads as the whole text, and none is looked for twice.
        std::vector<std::vector<uint8_t>> all = request->otherSpellings;
        all.push_back(request->pattern);
        check(all.size() <= kMaxSpellings);
        for (const auto& spelling : all) check(spells(spelling, text, table, utf8));
        std::sort(all.begin(), all.end());
        check(std::adjacent_find(all.begin(), all.end()) == all.end());
    }
    // Number lists: nothing for an empty text or a leading blank, else at most one byte per blank-separated piece.
    const auto blanks = static_cast<size_t>(std::count(text.begin(), text.end(), ' '));
    for (const PatternKind kind : {PatternKind::Hex, PatternKind::Dec, PatternKind::Oct}) {
        const auto request = buildPattern(kind, text, wildcard, table);
        if (text.empty() || text[0] == ' ') check(!request.has_value());
        if (!request) continue;
        check(!request->pattern.empty() && request->pattern.size() <= blanks + 1);
        check(wildcard.empty() ? request->wildcard == -1 : (request->wildcard >= -1 && request->wildcard <= 255));
    }
    return 0;
}
