#include "core/spell_rules.h"

#include <algorithm>
#include <limits>
#include <span>

namespace tarpon {
namespace {

// Texts longer than this are left out: no script spells with them.
constexpr size_t kLongestText = 1024;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string withoutLineBreaks(std::string_view text) {
    std::string out;
    for (const char c : text)
        if (c != '\n' && c != '\r') out += c;
    return out;
}

std::string withWrittenLineBreaks(std::string_view text) {
    std::string out;
    for (const char c : text)
        if (c != '\r') out += c == '\n' ? std::string_view("\\n") : std::string_view(&c, 1);
    return out;
}

std::span<const uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

}  // namespace

int rawByteText(std::string_view text, SpellRule rule) {
    if (text.size() < 5 || text[1] != '$') return -1;
    const bool angle = text[0] == '<' && text[4] == '>';
    const bool round = rule == SpellRule::Atlas && text[0] == '(' && text[4] == ')';
    if (!angle && !round) return -1;
    const int high = hexDigit(text[2]), low = hexDigit(text[3]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

RuleSpeller::RuleSpeller(const Table& table, SpellRule rule) : rule_(rule) {
    byText_.reserve(table.entries().size() + table.endTags().size());
    for (const TableEntry& e : table.entries()) add(withoutLineBreaks(e.text), e);
    for (const TableEntry& tag : table.endTags()) add(withoutLineBreaks(tag.text), tag);
    // Texts as written in the table file come last, so that they never take a text from an entry.
    if (rule == SpellRule::Atlas)
        for (const TableEntry& e : table.entries())
            if (e.text.find('\n') != std::string::npos && !byText_.find(withWrittenLineBreaks(e.text))) add(withWrittenLineBreaks(e.text), e);
}

void RuleSpeller::add(std::string_view text, const TableEntry& e) {
    if (text.empty() || text.size() > kLongestText) return;
    const bool ends = e.kind == EntryKind::EndToken;
    Choice c{e.key, ends, ends || e.kind == EntryKind::LineBreak};
    const TableEntry* had = byText_.find(text);
    if (had) {
        Choice& old = choices_[static_cast<size_t>(had->params)];
        const bool replace = rule_ == SpellRule::Atlas ? c.strong
                             : rule_ == SpellRule::Abcde ? c.key < old.key
                                                         : false;
        if (replace) old = std::move(c);
        return;
    }
    byText_.set(text, std::string_view(), EntryKind::Letter, static_cast<int>(choices_.size()));
    choices_.push_back(std::move(c));
}

SpellPiece RuleSpeller::piece(size_t at, const TableEntry& e) const {
    const Choice& c = choices_[static_cast<size_t>(e.params)];
    return {static_cast<uint32_t>(at), static_cast<uint32_t>(e.key.size()), &c.key, 0, c.ends};
}

bool RuleSpeller::isEndText(std::string_view text) const {
    const TableEntry* e = byText_.find(text);
    return e && choices_[static_cast<size_t>(e->params)].ends;
}

bool RuleSpeller::spell(std::string_view text, std::vector<SpellPiece>& out, size_t* badAt) const {
    if (rule_ != SpellRule::Abcde) return spellLongest(text, out, badAt);
    return switches_.empty() ? spellFewest(text, out, badAt) : spellSwitching(text, out, badAt);
}

bool RuleSpeller::spellLongest(std::string_view text, std::vector<SpellPiece>& out, size_t* badAt) const {
    size_t at = 0, lineEnd = 0;
    while (at < text.size()) {
        if (text[at] == '\n') {
            ++at;
            continue;
        }
        const auto here = static_cast<uint32_t>(at);
        if (const int raw = rawByteText(text.substr(at, 5), rule_); raw >= 0) {
            out.push_back({here, 5, nullptr, static_cast<uint8_t>(raw), false});
            at += 5;
            continue;
        }
        if (lineEnd <= at) lineEnd = std::min(text.find('\n', at), text.size());
        const TableEntry* e = byText_.longestMatch(bytesOf(text.substr(at, lineEnd - at)));
        if (!e) {
            if (badAt) *badAt = at;
            return false;
        }
        out.push_back(piece(at, *e));
        at += e->key.size();
    }
    return true;
}

void RuleSpeller::candidates(std::string_view text, size_t at, size_t end, std::vector<SpellPiece>& out) const {
    out.clear();
    const auto here = static_cast<uint32_t>(at);
    if (const int raw = rawByteText(text.substr(at, 5), rule_); raw >= 0)
        out.push_back({here, 5, nullptr, static_cast<uint8_t>(raw), false});
    const TableEntry* e = byText_.longestMatch(bytesOf(text.substr(at, end - at)));
    while (e) {
        out.push_back(piece(at, *e));
        if (e->key.size() <= 1) break;
        e = byText_.longestMatch(bytesOf(text.substr(at, e->key.size() - 1)));
    }
}

bool RuleSpeller::spellFewest(std::string_view text, std::vector<SpellPiece>& out, size_t* badAt) const {
    // Fewest bytes from each place to the end, found from the end back; of equally
    // short ways on, the one whose piece reads the most text, then has the lowest bytes
    // (the way abcde's search, which looks first at what leaves the least text, finds).
    constexpr size_t kNone = std::numeric_limits<size_t>::max();
    const size_t n = text.size();
    std::vector<size_t> cost(n + 1, kNone);
    std::vector<SpellPiece> best(n), here;
    cost[n] = 0;
    for (size_t at = n; at-- > 0;) {
        if (text[at] == '\n') {  // not data
            cost[at] = cost[at + 1];
            best[at] = {static_cast<uint32_t>(at), 1, nullptr, 0, false};
            continue;
        }
        candidates(text, at, n, here);
        for (const SpellPiece& p : here) {
            const size_t next = cost[at + p.length];
            if (next == kNone) continue;
            const size_t total = next + bytes(p).size();
            const bool longer = p.length > best[at].length || (p.length == best[at].length && bytes(p) < bytes(best[at]));
            if (total < cost[at] || (total == cost[at] && longer)) {
                cost[at] = total;
                best[at] = p;
            }
        }
    }
    if (cost[0] == kNone) {
        // Where the longest pieces lead before they stop: the place no piece begins.
        size_t at = 0;
        while (at < n) {
            candidates(text, at, n, here);
            if (here.empty()) break;
            at += std::max_element(here.begin(), here.end(), [](auto& a, auto& b) { return a.length < b.length; })->length;
        }
        if (badAt) *badAt = std::min(at, n - 1);
        return false;
    }
    for (size_t at = 0; at < n; at += best[at].length)
        if (text[at] != '\n') out.push_back(best[at]);
    return true;
}

}  // namespace tarpon
