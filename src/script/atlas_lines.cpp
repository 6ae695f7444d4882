#include "script/atlas_lines.h"

#include <cctype>

#include "core/text_coding.h"
#include "core/hex_text.h"

namespace tarpon {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

constexpr int64_t kLargestNumber = int64_t{1} << 48;

std::optional<int64_t> digitsValue(std::string_view text, int base) {
    if (text.empty()) return std::nullopt;
    int64_t value = 0;
    for (const char c : text) {
        const int d = hexDigitValue(c);
        if (d < 0 || d >= base) return std::nullopt;
        value = value * base + d;
        if (value > kLargestNumber) return std::nullopt;
    }
    return value;
}

constexpr std::string_view kOpenQuote = "\xE2\x80\x9C", kCloseQuote = "\xE2\x80\x9D";

// A quoted argument's contents ("…", or the typographic quotes a manual's examples carry).
std::optional<std::string> quoted(std::string_view arg) {
    if (arg.size() >= 2 && arg.front() == '"' && arg.back() == '"') return std::string(arg.substr(1, arg.size() - 2));
    if (arg.starts_with(kOpenQuote) && arg.ends_with(kCloseQuote) && arg.size() >= 6)
        return std::string(arg.substr(3, arg.size() - 6));
    return std::nullopt;
}

ScriptArg classify(std::string_view arg) {
    if (const auto s = quoted(arg)) return {ArgKind::String, 0, *s};
    if (const auto n = readScriptNumber(arg)) return {ArgKind::Number, *n, std::string(arg)};
    return {ArgKind::Name, 0, std::string(arg)};
}

// The arguments between "(" and the ")" that closes it (or the line's end); commas
// inside quotes or inner brackets do not split.
std::vector<ScriptArg> splitArguments(std::string_view inside) {
    std::vector<ScriptArg> args;
    int depth = 0;
    bool inQuotes = false;
    size_t start = 0, at = 0;
    for (; at < inside.size(); ++at) {
        const char c = inside[at];
        if (c == '"') inQuotes = !inQuotes;
        if (inQuotes) continue;
        if (c == '(') ++depth;
        else if (c == ')' && depth-- == 0) break;
        else if (c == ',' && depth == 0) {
            args.push_back(classify(trimBlanks(inside.substr(start, at - start))));
            start = at + 1;
        }
    }
    const std::string_view last = trimBlanks(inside.substr(start, at - start));
    if (!last.empty() || !args.empty()) args.push_back(classify(last));
    return args;
}

}  // namespace

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

DecodedScript decodeScript(std::string_view bytes, std::optional<TextEncoding> forced) {
    DecodedScript out;
    const TextEncoding encoding = forced ? *forced : detectEncoding(bytes, &out.owned).encoding;
    out.encoding = encoding;
    if (!byteOrderMark(encoding).empty() && bytes.starts_with(byteOrderMark(encoding)))
        bytes.remove_prefix(byteOrderMark(encoding).size());
    if (!out.owned.empty() && !forced) {  // converted while its encoding was found
        out.text = out.owned;
        return out;
    }
    if (encoding == TextEncoding::Utf8 && isValidUtf8(bytes)) {
        out.text = bytes;
        return out;
    }
    std::optional<std::string> text = decodeText(bytes, encoding);
    if (!text) out.problem = "The script is not " + std::string(encodingName(encoding)) + " text.";
    else out.owned = std::move(*text), out.text = out.owned;
    return out;
}

bool ScriptLineReader::next(ScriptLine& line) {
    if (at_ >= text_.size()) return false;
    const size_t end = std::min(text_.find_first_of("\r\n", at_), text_.size());
    line = {++number_, LineKind::Text, text_.substr(at_, end - at_)};
    const bool crLf = end + 1 < text_.size() && text_[end] == '\r' && text_[end + 1] == '\n';
    at_ = end + (crLf ? 2 : 1);
    const size_t first = line.text.find_first_not_of(" \t");
    if (first == std::string_view::npos) line.kind = LineKind::Blank;
    else if (line.text.substr(first).starts_with("//")) line.kind = LineKind::Comment;
    else if (line.text[first] == '#') {
        line.kind = LineKind::Command;
        line.text.remove_prefix(first);
    }
    return true;
}

std::optional<ScriptCommand> parseCommand(std::string_view line, std::string& problem) {
    size_t at = 1;
    while (at < line.size() && (std::isalnum(static_cast<unsigned char>(line[at])) || line[at] == '_')) ++at;
    ScriptCommand c;
    for (const char ch : line.substr(1, at - 1)) c.name += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    while (at < line.size() && isBlank(line[at])) ++at;
    if (c.name.empty() || at >= line.size() || line[at] != '(') {
        problem = "a command is written #NAME(arguments).";
        return std::nullopt;
    }
    c.args = splitArguments(line.substr(at + 1));
    return c;
}

std::optional<int64_t> readScriptNumber(std::string_view text) {
    bool negative = false;
    if (text.starts_with('-')) {
        negative = true;
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
        if (!negative && text.starts_with('-')) {
            negative = true;
            text.remove_prefix(1);
        }
    }
    const std::optional<int64_t> value = digitsValue(text, base);
    if (!value) return std::nullopt;
    return negative ? -*value : *value;
}

}  // namespace tarpon
