// libFuzzer target for the find pattern builder: every kind, with and without a
// wildcard, against a random table. A pattern is never empty, a wildcard is a
// byte value or none, and text kinds give one byte per typed character; through
// a UTF-8 table, the pattern's entries spell the text from its start to its end.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/text_coding.h"
#include "search/pattern.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
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
        // The pattern spells the whole text: each byte stands for one character (of one to four
        // bytes through a UTF-8 table) and is an entry starting with it, or 0; through a UTF-8
        // table it may also be an entry the rest of the text starts with.
        std::string_view rest = text;
        for (const uint8_t b : request->pattern) {
            check(!rest.empty());
            const std::string& letters = table[b];
            const bool entry = utf8 && !letters.empty() && rest.starts_with(letters);
            const size_t character = utf8 ? std::max<size_t>(utf8SequenceLength(rest, 0), 1) : 1;
            const size_t length = entry ? letters.size() : character;
            check(entry || b == 0 || std::string_view(letters).starts_with(rest.substr(0, length)));
            rest.remove_prefix(length);
        }
        check(rest.empty());
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
