#include "core/spell_rules.h"

#include <algorithm>
#include <limits>

namespace tarpon {

RuleSpeller::RuleSpeller(const Table& table, SpellRule rule) : texts_(table, rule) {}

bool RuleSpeller::spell(std::string_view text, std::vector<SpellPiece>& out, size_t* badAt, bool* bounded) const {
    if (bounded) *bounded = false;
    if (rule() != SpellRule::Abcde) return spellLongest(text, out, badAt);
    return switches_.empty() ? spellFewest(text, out, badAt) : spellSwitching(text, out, badAt, bounded);
}

bool RuleSpeller::spellLongest(std::string_view text, std::vector<SpellPiece>& out, size_t* badAt) const {
    size_t at = 0, lineEnd = 0;
    while (at < text.size()) {
        if (text[at] == '\n') {
            ++at;
            continue;
        }
        if (lineEnd <= at) lineEnd = std::min(text.find('\n', at), text.size());
        const Speller::Step s = texts_.step(text, at, lineEnd);
        if (s.textLength == 0) {
            if (badAt) *badAt = at;
            return false;
        }
        const auto here = static_cast<uint32_t>(at);
        out.push_back(s.key ? SpellPiece{here, static_cast<uint32_t>(s.textLength), s.key, 0, s.ends}
                            : SpellPiece{here, 5, nullptr, static_cast<uint8_t>(s.bytes[0]), false});
        at += s.textLength;
    }
    return true;
}

void RuleSpeller::candidates(std::string_view text, size_t at, size_t end, std::vector<SpellPiece>& out) const {
    out.clear();
    const auto here = static_cast<uint32_t>(at);
    if (const int raw = rawByteText(text.substr(at, 5), rule()); raw >= 0)
        out.push_back({here, 5, nullptr, static_cast<uint8_t>(raw), false});
    const TableEntry* e = texts_.longestText(text.substr(at, end - at));
    while (e) {
        out.push_back(piece(at, *e));
        if (e->key.size() <= 1) break;
        e = texts_.longestText(text.substr(at, e->key.size() - 1));
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
