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

using tarpon::PatternKind;

void check(bool ok) {
    if (!ok) std::abort();
}

// A request holds a pattern and a wildcard that is a byte value or none; none when
// none was typed (when `strict`).
void checkRequest(const tarpon::SearchRequest& r, const std::string& wildcard, bool strict) {
    check(r.wildcard >= -1 && r.wildcard <= 255 && !r.pattern.empty() && !(strict && wildcard.empty() && r.wildcard != -1));
}

void checkTextKinds(const std::string& text, const std::string& wildcard, const tarpon::CharTable& table) {
    const auto ascii = tarpon::buildPattern(PatternKind::Ascii, text, wildcard, table);
    const auto viaTable = tarpon::buildPattern(PatternKind::Table, text, wildcard, table);
    check(ascii.has_value() == !text.empty() && viaTable.has_value() == !text.empty());
    if (text.empty()) return;
    check(std::string(ascii->pattern.begin(), ascii->pattern.end()) == text);
    check(ascii->wildcard == (wildcard.empty() ? -1 : static_cast<uint8_t>(wildcard[0])));
    checkRequest(*viaTable, wildcard, true);
    check((wildcard.empty() || viaTable->wildcard >= 0) && viaTable->pattern.size() == text.size());
    // Each byte an entry starting with its character, or 0 when no entry does.
    for (size_t i = 0; i < text.size(); ++i) {
        const std::string& letters = table[viaTable->pattern[i]];
        check((!letters.empty() && letters[0] == text[i]) || viaTable->pattern[i] == 0);
    }
}

void checkUtf8Table(const std::string& text, const std::string& wildcard, const tarpon::CharTable& table) {
    std::string problem;
    const auto request = tarpon::buildPattern(PatternKind::Table, text, wildcard, table, true, &problem);
    check(request.has_value() == (!text.empty() && problem.empty()));
    check(problem.empty() || !wildcard.empty());
    if (!request) return;
    checkRequest(*request, wildcard, false);
    // Each byte is an entry the rest of the text starts with, or stands for one
    // character (of one to four bytes) that no entry matched.
    std::string_view rest = text;
    for (const uint8_t b : request->pattern) {
        check(!rest.empty());
        const std::string& letters = table[b];
        const bool entry = !letters.empty() && rest.starts_with(letters);
        const size_t length = entry ? letters.size() : std::max<size_t>(tarpon::utf8SequenceLength(rest, 0), 1);
        check(entry || b == 0 || std::string_view(letters).starts_with(rest.substr(0, length)));
        rest.remove_prefix(length);
    }
    check(rest.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    tarpon::CharTable table;
    for (int i = in.ConsumeIntegralInRange(0, 32); i > 0; --i) {
        const uint8_t code = in.ConsumeIntegral<uint8_t>();
        table[code] = in.ConsumeRandomLengthString(4);
    }
    const std::string wildcard = in.ConsumeRandomLengthString(6);
    const std::string text = in.ConsumeRemainingBytesAsString();
    checkTextKinds(text, wildcard, table);
    checkUtf8Table(text, wildcard, table);
    // Number lists: nothing for an empty text or a leading blank, else at most one byte per blank-separated piece.
    const auto blanks = static_cast<size_t>(std::count(text.begin(), text.end(), ' '));
    for (const PatternKind kind : {PatternKind::Hex, PatternKind::Dec, PatternKind::Oct}) {
        const auto request = tarpon::buildPattern(kind, text, wildcard, table);
        if (text.empty() || text[0] == ' ') check(!request.has_value());
        if (!request) continue;
        checkRequest(*request, wildcard, true);
        check(request->pattern.size() <= blanks + 1);
    }
    return 0;
}
