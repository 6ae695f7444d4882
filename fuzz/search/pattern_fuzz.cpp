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

void checkTextKinds(const std::string& text, const std::string& wildcard, const tarpon::CharTable& table) {
    using tarpon::PatternKind;
    const auto ascii = tarpon::buildPattern(PatternKind::Ascii, text, wildcard, table);
    check(ascii.has_value() == !text.empty());
    if (ascii) {
        check(std::string(ascii->pattern.begin(), ascii->pattern.end()) == text);
        check(ascii->wildcard == (wildcard.empty() ? -1 : static_cast<uint8_t>(wildcard[0])));
    }
    const auto viaTable = tarpon::buildPattern(PatternKind::Table, text, wildcard, table);
    check(viaTable.has_value() == !text.empty());
    if (!viaTable) return;
    check(viaTable->pattern.size() == text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const std::string& letters = table[viaTable->pattern[i]];
        // Either an entry starting with the character, or 0 when no entry does.
        check((!letters.empty() && letters[0] == text[i]) || viaTable->pattern[i] == 0);
    }
    if (wildcard.empty()) check(viaTable->wildcard == -1);
    else check(viaTable->wildcard >= 0 && viaTable->wildcard <= 255);
}

void checkUtf8Table(const std::string& text, const std::string& wildcard, const tarpon::CharTable& table) {
    std::string problem;
    const auto request = tarpon::buildPattern(tarpon::PatternKind::Table, text, wildcard, table, true, &problem);
    check(request.has_value() == (!text.empty() && problem.empty()));
    check(problem.empty() || !wildcard.empty());
    if (!request) return;
    check(request->wildcard >= -1 && request->wildcard <= 255);
    // Each byte is an entry the rest of the text starts with, or stands for one
    // character (of one to four bytes) that no entry matched.
    std::string_view rest = text;
    for (const uint8_t b : request->pattern) {
        check(!rest.empty());
        const std::string& letters = table[b];
        if (!letters.empty() && rest.starts_with(letters)) {
            rest.remove_prefix(letters.size());
            continue;
        }
        const size_t length = std::max<size_t>(tarpon::utf8SequenceLength(rest, 0), 1);
        check(b == 0 || std::string_view(letters).starts_with(rest.substr(0, length)));
        rest.remove_prefix(length);
    }
    check(rest.empty());
}

void checkNumberKinds(const std::string& text, const std::string& wildcard, const tarpon::CharTable& table) {
    using tarpon::PatternKind;
    size_t blanks = 0;
    for (char c : text) blanks += c == ' ';
    for (PatternKind kind : {PatternKind::Hex, PatternKind::Dec, PatternKind::Oct}) {
        const auto request = tarpon::buildPattern(kind, text, wildcard, table);
        if (text.empty() || text[0] == ' ') check(!request.has_value());
        if (!request) continue;
        check(!request->pattern.empty() && request->pattern.size() <= blanks + 1);
        check(request->wildcard >= -1 && request->wildcard <= 255);
        if (wildcard.empty()) check(request->wildcard == -1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    tarpon::CharTable table;
    const int entries = in.ConsumeIntegralInRange(0, 32);
    for (int i = 0; i < entries; ++i) {
        const uint8_t code = in.ConsumeIntegral<uint8_t>();
        table[code] = in.ConsumeRandomLengthString(4);
    }
    const std::string wildcard = in.ConsumeRandomLengthString(6);
    const std::string text = in.ConsumeRemainingBytesAsString();
    checkTextKinds(text, wildcard, table);
    checkUtf8Table(text, wildcard, table);
    checkNumberKinds(text, wildcard, table);
    return 0;
}
