// abcde's table switches when text is spelled: the fewest bytes over the states
// (place in the text, which table and how many of its entries are still due).
#include <algorithm>
#include <limits>
#include <queue>
#include <tuple>

#include "core/spell_rules.h"

namespace tarpon {
namespace {

// Which table a state reads through: -1 this one, else a switch and the entries
// still due in its table (0: as many as the text has).
struct Mode {
    int sw = -1;
    int left = 0;
};

// Counts above this are read as this many: the states stay few.
constexpr int kLongestCount = 64;

}  // namespace

bool RuleSpeller::spellSwitching(std::string_view text, std::vector<SpellPiece>& out, size_t* badAt) const {
    std::vector<Mode> modes{{-1, 0}};
    std::vector<size_t> firstMode(switches_.size());
    std::vector<const RuleSpeller*> target(switches_.size());
    for (size_t k = 0; k < switches_.size(); ++k) {
        target[k] = byId_ ? byId_(switches_[k].target) : nullptr;
        firstMode[k] = modes.size();
        const int count = std::min(switches_[k].closing.empty() ? switches_[k].count : 0, kLongestCount);
        for (int left = count; left >= 1; --left) modes.push_back({static_cast<int>(k), left});
        if (count == 0) modes.push_back({static_cast<int>(k), 0});
    }
    const size_t n = text.size(), m = modes.size();
    constexpr size_t kNone = std::numeric_limits<size_t>::max();
    std::vector<size_t> cost((n + 1) * m, kNone);
    std::vector<std::pair<size_t, SpellPiece>> from((n + 1) * m);
    using Item = std::tuple<size_t, size_t, size_t>;  // cost, order found, state
    std::priority_queue<Item, std::vector<Item>, std::greater<>> queue;
    size_t found = 0, farthest = 0;
    const auto reach = [&](size_t state, size_t before, const SpellPiece& p) {
        const size_t total = cost[before] + bytes(p).size();
        if (total >= cost[state]) return;
        cost[state] = total;
        from[state] = {before, p};
        queue.emplace(total, found++, state);
    };
    cost[0] = 0;
    queue.emplace(0, found++, 0);
    std::vector<SpellPiece> here;
    while (!queue.empty()) {
        const auto [c, order, state] = queue.top();
        queue.pop();
        if (c != cost[state]) continue;
        const size_t at = state / m, mode = state % m;
        const Mode& md = modes[mode];
        farthest = std::max(farthest, at);
        if (at == n && md.left == 0) {  // the end, with no entries still due
            std::vector<SpellPiece> pieces;
            for (size_t s = state; s != 0; s = from[s].first) pieces.push_back(from[s].second);
            out.insert(out.end(), pieces.rbegin(), pieces.rend());
            return true;
        }
        const RuleSpeller* table = md.sw < 0 ? this : target[static_cast<size_t>(md.sw)];
        if (table && at < n) {
            table->candidates(text, at, n, here);
            for (const SpellPiece& p : here) {
                size_t next = mode;  // this table, or a stay that lasts
                if (md.sw >= 0 && (p.ends || md.left == 1)) next = 0;  // an end token goes back to the first table
                else if (md.left > 1) next = mode + 1;
                reach((at + p.length) * m + next, state, p);
            }
        }
        if (md.sw < 0) {
            for (size_t k = 0; k < switches_.size(); ++k) {
                const TableSwitch& sw = switches_[k];
                if (!target[k] || (!sw.label.empty() && !text.substr(at).starts_with(sw.label))) continue;
                const SpellPiece key{static_cast<uint32_t>(at), static_cast<uint32_t>(sw.label.size()), &sw.key, 0, false};
                reach((at + sw.label.size()) * m + firstMode[k], state, key);
            }
        } else if (!switches_[static_cast<size_t>(md.sw)].closing.empty()) {
            const SpellPiece key{static_cast<uint32_t>(at), 0, &switches_[static_cast<size_t>(md.sw)].closing, 0, false};
            reach(at * m, state, key);
        }
    }
    if (badAt) *badAt = std::min(farthest, n - 1);
    return false;
}

}  // namespace tarpon
