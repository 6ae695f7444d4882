#include "core/switch_table.h"

#include <algorithm>
#include <optional>

#include "core/hex_text.h"

namespace tarpon {
namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    return s;
}

// Whole bytes from hex digits; nothing and `problem` when they are not.
std::optional<std::string> keyBytes(std::string_view hex, std::string& problem) {
    if (hex.starts_with('%')) {
        problem = "bit keys (%" + std::string(hex.substr(1)) + ") are not read by this editor";
        return std::nullopt;
    }
    std::string out;
    for (const char c : hex)
        if (hexDigitValue(c) < 0) {
            problem = "\"" + std::string(hex) + "\" is not a key of hexadecimal digits";
            return std::nullopt;
        }
    if (hex.empty() || hex.size() % 2) {
        problem = hex.empty() ? "the key is missing" : "keys of half bytes (an odd number of digits) are not read by this editor";
        return std::nullopt;
    }
    if (hex.size() / 2 > kMaxKeyBytes) {
        problem = "the key is longer than " + std::to_string(kMaxKeyBytes) + " bytes";
        return std::nullopt;
    }
    for (size_t i = 0; i < hex.size(); i += 2) out += static_cast<char>(hexDigitValue(hex[i]) * 16 + hexDigitValue(hex[i + 1]));
    return out;
}

// A whole decimal number from `s`, at most kMaxSwitchCount, or -1.
int smallNumber(std::string_view s) {
    if (s.empty() || s.size() > 4) return -1;
    int n = 0;
    for (const char c : s) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n <= kMaxSwitchCount ? n : -1;
}

// "KEY<N>" into KEY and N (1 without "<N>"); N < 0 when the weight is malformed.
std::pair<std::string_view, int> weighted(std::string_view key) {
    const size_t open = key.find('<');
    if (open == std::string_view::npos) return {key, 1};
    if (!key.ends_with('>')) return {key, -1};
    return {key.substr(0, open), smallNumber(key.substr(open + 1, key.size() - open - 2))};
}

bool readCount(std::string_view count, SwitchPart& part, std::string& problem) {
    if (count.starts_with('%')) {
        problem = "closing bit keys (" + std::string(count) + ") are not read by this editor";
        return false;
    }
    if (count.starts_with('$')) {
        const auto [hex, weight] = weighted(count.substr(1));
        const std::optional<std::string> key = keyBytes(hex, problem);
        if (!key) return false;
        if (weight < 0) {
            problem = "the closing key's weight \"" + std::string(count) + "\" is not a number";
            return false;
        }
        part.closing = *key;
        part.closingWeight = weight;
        part.count = 0;
        return true;
    }
    if (count == "-1") {
        if (!part.target.empty()) problem = "a count of -1 is only for a part without a table id";
        part.count = -1;
        return problem.empty();
    }
    part.count = smallNumber(count);
    if (part.count < 0) problem = "the count \"" + std::string(count) + "\" is not a number from -1 to " + std::to_string(kMaxSwitchCount);
    return part.count >= 0;
}

bool readPart(std::string_view text, SwitchPart& part, std::string& problem) {
    if (text.starts_with("<binary>")) {
        problem = "<binary> parts (raw bits) are not read by this editor";
        return false;
    }
    if (text.starts_with("<@")) {
        const size_t close = text.find(">:");
        if (close == std::string_view::npos || close == 2) {
            problem = "the part \"" + std::string(text) + "\" has no <@id>: before its count";
            return false;
        }
        part.target = std::string(text.substr(2, close - 2));
        text.remove_prefix(close + 2);
    }
    if (text.ends_with('+')) {
        part.plus = true;
        text.remove_suffix(1);
    }
    return readCount(text, part, problem);
}

}  // namespace

std::optional<TableSwitch> readSwitchLine(std::string_view line, std::string& problem) {
    line = trimmed(line);
    if (line.starts_with("/!")) {
        problem = "end tokens that switch tables (/!) are not read by this editor";
        return std::nullopt;
    }
    const size_t equals = line.find('=');
    if (!line.starts_with('!') || equals == std::string_view::npos) {
        problem = "a switch is written !KEY=<label>,<@id>:COUNT";
        return std::nullopt;
    }
    TableSwitch sw;
    const auto [hex, weight] = weighted(line.substr(1, equals - 1));
    const std::optional<std::string> key = keyBytes(hex, problem);
    if (!key) return std::nullopt;
    if (weight < 0) {
        problem = "the key's weight is not a number";
        return std::nullopt;
    }
    sw.key = *key;
    sw.weight = weight;
    std::string_view rest = line.substr(equals + 1);
    if (rest.starts_with('<')) {
        const size_t close = rest.find('>');
        if (close == std::string_view::npos) {
            problem = "the label has no closing \">\"";
            return std::nullopt;
        }
        sw.label = std::string(rest.substr(1, close - 1));
        rest.remove_prefix(close + 1);
    }
    if (!rest.starts_with(',')) {
        problem = rest.empty() ? "the switch has no part (,<@id>:COUNT)"
                               : "a switch is written !KEY=<label>,<@id>:COUNT (a \",\" and its parts after the label)";
        return std::nullopt;
    }
    while (rest.starts_with(',')) {
        rest.remove_prefix(1);
        const size_t comma = std::min(rest.find(','), rest.size());
        SwitchPart& part = sw.parts.emplace_back();
        if (!readPart(rest.substr(0, comma), part, problem)) return std::nullopt;
        rest.remove_prefix(comma);
    }
    return sw;
}

bool LogicalTables::switches() const {
    return std::any_of(tables.begin(), tables.end(), [](const LogicalTable& t) { return !t.switches.empty(); });
}

bool LogicalTables::named() const {
    return std::any_of(tables.begin(), tables.end(), [](const LogicalTable& t) { return !t.id.empty(); });
}

namespace {

// An entry line with "<N>" after its key: the line without it, and the weight by key.
bool takeWeight(std::string_view line, LogicalTable& t, std::string& out, std::string& problem) {
    const size_t equals = line.find('=');
    const size_t open = line.find('<');
    if (equals == std::string_view::npos || open == std::string_view::npos || open > equals) return false;
    size_t keyStart = 0;
    while (keyStart < open && (line[keyStart] == '/' || line[keyStart] == '*' || line[keyStart] == '$')) ++keyStart;
    if (hexDigitValue(line[keyStart]) < 0) return false;  // a bookmark, or no entry: the reader's to judge
    const auto [hex, weight] = weighted(line.substr(keyStart, equals - keyStart));
    const std::optional<std::string> key = keyBytes(hex, problem);
    if (!key || weight < 0) {
        if (problem.empty()) problem = "the entry's weight is not a number";
        return false;
    }
    t.weights[*key] = weight;
    out = std::string(line.substr(0, open)) + std::string(line.substr(equals));
    return true;
}

}  // namespace

LogicalTables readLogicalTables(std::string_view bytes, bool switches) {
    LogicalTables out;
    out.tables.emplace_back();
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {  // UTF-16: read whole
        out.tables.front().lines = bytes;
        return out;
    }
    bool named = false;  // the table being read has its id
    // Each table keeps the file's line numbers: the lines before it, its "@" line and its
    // switch lines are empty lines in it.
    const std::string_view lineEnd = bytes.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    int number = 0;
    for (size_t at = 0; at < bytes.size();) {
        const size_t end = std::min(bytes.find('\n', at), bytes.size() - 1) + 1;
        std::string_view line = bytes.substr(at, end - at);
        at = end;
        ++number;
        if (number == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
        const std::string_view text = trimmed(line);
        LogicalTable& t = out.tables.back();
        std::string problem;
        if (text.starts_with('@') && text.find('=') == std::string_view::npos) {  // "@XX=…" is an entry
            if (named) {
                out.tables.emplace_back();
                for (int i = 1; i < number; ++i) out.tables.back().lines += lineEnd;
            }
            out.tables.back().id = std::string(trimmed(text.substr(1)));
            out.tables.back().lines += lineEnd;
            named = true;
        } else if (switches && (text.starts_with('!') || text.starts_with("/!")) && text.find('=') != std::string_view::npos) {
            if (auto sw = readSwitchLine(text, problem)) t.switches.push_back(std::move(*sw));
            t.lines += lineEnd;
        } else if (std::string rewritten; switches && !text.starts_with('#') && takeWeight(line, t, rewritten, problem)) {
            t.lines += rewritten;
        } else if (problem.empty()) {
            t.lines += line;
        }
        if (!problem.empty()) {
            out.problem = "line " + std::to_string(number) + ": " + problem + ".";
            out.tables.clear();
            return out;
        }
    }
    return out;
}

int SwitchingTables::add(std::string_view bytes, const std::string& file, const EntryReader& read, std::string& problem) {
    LogicalTables read0 = readLogicalTables(bytes);
    if (!read0.problem.empty()) {
        problem = "the table \"" + file + "\", " + read0.problem;
        return -1;
    }
    const int first = static_cast<int>(tables_.size());
    for (LogicalTable& t : read0.tables) {
        SwitchingTable s{t.id, std::make_unique<Table>(), std::move(t.switches), std::move(t.weights), file};
        std::string why;
        // A table of switches alone has no entries of its own: not a fault.
        if (!read(t.lines, *s.table, why) && s.switches.empty()) {
            problem = "the table \"" + file + "\"" + (t.id.empty() ? "" : " @" + t.id) + ": " + why;
            return -1;
        }
        if (!s.id.empty() && find(s.id) >= 0) {
            problem = "the table \"" + file + "\": the table id @" + s.id + " is given twice.";
            return -1;
        }
        switches_ = switches_ || !s.switches.empty();
        tables_.push_back(std::move(s));
    }
    return first;
}

bool writableTableId(std::string_view id) {
    return !id.empty() && id.find("//") == std::string_view::npos &&
           std::none_of(id.begin(), id.end(), [](char c) {
               return static_cast<unsigned char>(c) <= ' ' || c == '(' || c == ')' || c == ',' || c == '"';
           });
}

int SwitchingTables::find(std::string_view id) const {
    for (size_t i = 0; i < tables_.size(); ++i)
        if (!id.empty() && tables_[i].id == id) return static_cast<int>(i);
    return -1;
}

std::string SwitchingTables::missingTarget() const {
    for (const SwitchingTable& t : tables_)
        for (const TableSwitch& sw : t.switches)
            for (const SwitchPart& p : sw.parts)
                if (!p.target.empty() && find(p.target) < 0) return "@" + p.target;
    return {};
}

}  // namespace tarpon
