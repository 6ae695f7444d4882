#include "script/script_insert.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/edits.h"
#include "core/editor_state.h"
#include "core/plain_number.h"
#include "core/pointer_settings.h"
#include "core/text_coding.h"
#include "script/script_text.h"

namespace tarpon {
namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// `text` up to a "//" comment.
std::string_view beforeComment(std::string_view text) { return text.substr(0, text.find("//")); }

struct Command {
    std::string name;
    std::vector<std::string> args;
};

// "#NAME(a, b)" with nothing after it but blanks and a comment; nothing when malformed.
std::optional<Command> readCommand(std::string_view line) {
    line = trim(beforeComment(line));
    const size_t open = line.find('(');
    if (line.size() < 2 || open == std::string_view::npos || line.back() != ')') return std::nullopt;
    Command c{std::string(trim(line.substr(1, open - 1))), {}};
    std::string_view inside = line.substr(open + 1, line.size() - open - 2);
    while (!inside.empty()) {
        const size_t comma = inside.find(',');
        c.args.emplace_back(trim(inside.substr(0, comma)));
        if (comma == std::string_view::npos) break;
        inside.remove_prefix(comma + 1);
    }
    return c;
}

class Inserter {
public:
    Inserter(const Table& table, std::span<const uint8_t> doc) : speller_(table, SpellRule::Atlas), doc_(doc) {}

    bool line(std::string_view text, int number) {
        if (text.starts_with("#")) return flush() && command(text, number);
        const std::string_view data = beforeComment(text);
        if (data.empty()) return true;  // blanks are text: a table may give them bytes
        lineStarts_.push_back({pending_.size(), number});
        pending_ += data;
        pending_ += '\n';  // not data: keeps the lines apart for the messages
        return true;
    }
    bool finish() { return flush(); }
    InsertPlan plan;

private:
    bool fail(int number, const std::string& why) {
        plan.problem = "Line " + std::to_string(number) + ": " + why;
        return false;
    }
    // The number of the line that holds `textIndex` of the pending text.
    static int lineOf(const std::vector<std::pair<size_t, int>>& starts, size_t textIndex) {
        int number = starts.empty() ? 0 : starts.front().second;
        for (const auto& [start, n] : starts)
            if (start <= textIndex) number = n;
        return number;
    }

    bool flush();
    bool command(std::string_view text, int number);

    Speller speller_;
    std::span<const uint8_t> doc_;
    std::string pending_;                              // text lines since the last command
    std::vector<std::pair<size_t, int>> lineStarts_;  // where each line starts in pending_, its number
    int64_t at_ = -1, end_ = -1;                       // where text goes, the last byte it may use
    int64_t header_ = 0;
    bool bigEndian_ = false;
};

bool Inserter::flush() {
    const std::string text = std::exchange(pending_, {});
    const auto starts = std::exchange(lineStarts_, {});
    if (text.empty()) return true;
    std::vector<size_t> from;
    size_t bad = 0;
    std::optional<std::vector<uint8_t>> bytes{std::in_place};
    if (!speller_.spellInto(text, *bytes, &from, &bad))
        return fail(lineOf(starts, bad), describeCharacter(characterAt(text, bad)) + " begins no entry of the table.");
    if (bytes->empty()) return true;
    if (at_ < 0) return fail(lineOf(starts, 0), "text before the first #JMP: where should it go?");
    const auto size = static_cast<int64_t>(bytes->size()), docSize = static_cast<int64_t>(doc_.size());
    const bool jmpEnds = end_ >= 0 && end_ + 1 <= docSize;  // the #JMP's end comes before the file's
    const int64_t limit = jmpEnds ? end_ + 1 : docSize;
    if (at_ + size > limit) {
        const size_t first = static_cast<size_t>(std::max<int64_t>(limit - at_, 0));  // the first byte that does not fit
        const std::string room = jmpEnds ? "the last byte of its #JMP, " + scriptNumber(end_) : "the end of the file";
        return fail(lineOf(starts, from[first]),
                    "the text is " + std::to_string(at_ + size - limit) + " bytes too long: it runs past " + room + ".");
    }
    plan.writes.push_back({at_, *bytes});
    plan.textBytes += size;
    at_ += size;
    return true;
}

bool Inserter::command(std::string_view text, int number) {
    const std::optional<Command> c = readCommand(text);
    if (!c) return fail(number, "a command is written #NAME(arguments).");
    std::vector<int64_t> n;
    for (const std::string& arg : c->args)
        if (const auto value = readPlainNumber(arg)) n.push_back(*value);
    const bool numbers = n.size() == c->args.size();
    const auto docSize = static_cast<int64_t>(doc_.size());
    if (c->name == "JMP" && numbers && (n.size() == 1 || n.size() == 2)) {
        if (n[0] < 0 || n[0] >= docSize) return fail(number, "#JMP to " + scriptNumber(n[0]) + ", outside the file.");
        if (n.size() == 2 && n[1] < n[0]) return fail(number, "#JMP's last byte lies before its first.");
        at_ = n[0];
        end_ = n.size() == 2 ? n[1] : -1;
        return true;
    }
    if ((c->name == "W16" || c->name == "W24" || c->name == "W32") && numbers && n.size() == 1) {
        const int size = std::stoi(c->name.substr(1)) / 8;
        if (at_ < 0) return fail(number, c->name + " before the first #JMP: there is nothing to point at yet.");
        if (n[0] < 0 || n[0] + size > docSize) return fail(number, "the pointer at " + scriptNumber(n[0]) + " lies outside the file.");
        const int64_t value = at_ - header_;
        if (value < 0 || value >= (int64_t{1} << (8 * size)))
            return fail(number, "the pointer value " + std::to_string(value) + " does not fit in " + std::to_string(size) + " bytes.");
        std::vector<uint8_t> bytes(static_cast<size_t>(size));
        putPointerValue(static_cast<uint64_t>(value), size, bigEndian_, bytes.data());
        plan.writes.push_back({n[0], std::move(bytes)});
        ++plan.pointers;
        return true;
    }
    if (c->name == "HDR" && numbers && n.size() == 1) {
        header_ = n[0];
        return true;
    }
    if (c->name == "SMA" && c->args.size() == 1 && c->args[0] == "\"LINEAR\"") return true;
    if (c->name == "ENDIAN" && c->args.size() == 1 && (c->args[0] == "\"BIG\"" || c->args[0] == "\"LITTLE\"")) {
        bigEndian_ = c->args[0] == "\"BIG\"";
        return true;
    }
    return fail(number, "#" + c->name + " with these arguments is not a command this editor reads.");
}

}  // namespace

InsertPlan planInsert(const Table& table, std::span<const uint8_t> doc, std::string_view script,
                      const Progress& progress) {
    Inserter in(table, doc);
    if (script.starts_with("\xEF\xBB\xBF")) script.remove_prefix(3);
    int number = 0;
    bool ok = isValidUtf8(script) || (in.plan.problem = "The script is not UTF-8 text.", false);
    const auto total = std::ssize(script);
    while (ok && !script.empty()) {
        if (!progress.keepGoing(total - std::ssize(script), total, 1 << 16)) {
            InsertPlan stopped;
            stopped.problem = "The insert was cancelled.";
            stopped.cancelled = true;
            return stopped;
        }
        const size_t end = script.find('\n');
        ok = in.line(script.substr(0, end), ++number);
        script.remove_prefix(end == std::string_view::npos ? script.size() : end + 1);
    }
    if (ok) ok = in.finish();
    if (!ok) in.plan.writes.clear();
    return std::move(in.plan);
}

void applyInsert(EditorState& s, const InsertPlan& plan) {
    bool joined = false;
    for (const ScriptWrite& w : plan.writes) {
        spliceRecorded(s, w.at, static_cast<int64_t>(w.bytes.size()), w.bytes, joined);
        joined = true;
    }
}

std::string describeInsert(const InsertPlan& plan) {
    return "Wrote " + std::to_string(plan.textBytes) + " bytes of text and " + std::to_string(plan.pointers) +
           (plan.pointers == 1 ? " pointer." : " pointers.");
}

}  // namespace tarpon
