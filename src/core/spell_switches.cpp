// abcde's table switches when text is spelled: the fewest bytes over the states
// (place in the text, and the switches open there: which part of each, and how many
// matches it still needs). A labelled switch is written only where its label stands
// in the text; an unlabelled one wherever the text needs its table. An end token
// goes back to the first table.
#include <algorithm>
#include <limits>
#include <map>
#include <queue>
#include <tuple>
#include <unordered_map>

#include "core/spell_rules.h"

namespace tarpon {
namespace {

// An open switch: the table that holds it, which of its switches, which part, and
// the matches that part still needs (parts of a count).
struct Frame {
    const RuleSpeller* owner = nullptr;
    uint32_t sw = 0, part = 0;
    int32_t left = 0;
    auto operator<=>(const Frame&) const = default;
};
using Mode = std::vector<Frame>;  // the outermost switch first; none: the first table

// Bounds that keep the search small whatever the tables say: switches open inside
// one another, different sets of open switches, and states looked at.
constexpr size_t kDeepest = 8;
constexpr size_t kMostModes = 4096;
constexpr size_t kMostStates = size_t{1} << 21;

}  // namespace

class SwitchSearch {
public:
    SwitchSearch(const RuleSpeller& first, std::string_view text) : first_(first), text_(text) { modeOf({}); }
    bool run(std::vector<SpellPiece>& out, size_t* badAt);
    bool full() const { return full_; }

private:
    const SwitchPart& part(const Frame& f) const { return f.owner->switches_[f.sw].parts[f.part]; }
    // The table the text is read through in a mode: nullptr for the raw table.
    const RuleSpeller* table(const Mode& m) const {
        if (m.empty()) return &first_;
        const SwitchPart& p = part(m.back());
        if (p.target.empty() || !first_.byId_) return nullptr;
        const auto [it, added] = targets_.try_emplace(&p, nullptr);
        if (added) it->second = first_.byId_(p.target);
        return it->second;
    }
    bool counted(const Frame& f) const { return part(f).count > 0; }
    size_t modeOf(const Mode& m);
    // A match of `weight` in the mode's table: its count, and the enclosing ones' for "+".
    // False where it would take a count past its number: counts are met exactly.
    bool countIn(Mode& m, int weight) const;
    // The top switch's part is done: its next part, or back in the table that holds it.
    void complete(Mode& m) const;
    // Part `p` of a switch opened on `m`; past its last part, back in the table that
    // holds it; a -1 part leaves that table too (nothing to leave in the first table).
    void enter(Mode& m, const RuleSpeller* owner, uint32_t sw, size_t p) const;
    // The top part is done: its count met, or through "+" the count of a table below it.
    bool done(const Mode& m) const {
        for (size_t i = m.size(); i-- > 0;) {
            if (counted(m[i]) && m[i].left == 0) return true;
            if (!part(m[i]).plus) return false;
        }
        return false;
    }
    void settle(Mode& m) const {
        while (!m.empty() && done(m)) complete(m);
    }
    // A switch of `owner` written: its code counts in the table it is in, then its first part opens.
    bool open(Mode& m, const RuleSpeller& owner, size_t k) const;
    bool accepts(const Mode& m) const {
        return std::all_of(m.begin(), m.end(), [this](const Frame& f) { return !counted(f) || f.left == 0; });
    }
    void reach(size_t at, const Mode& m, size_t before, const SpellPiece& p);
    void step(size_t state);

    struct Node {
        size_t cost = 0, from = 0;
        SpellPiece piece;
    };
    const RuleSpeller& first_;
    std::string_view text_;
    std::vector<Mode> modes_;
    std::map<Mode, size_t> modeIds_;
    std::unordered_map<uint64_t, size_t> stateOf_;  // (place, mode) to its node
    std::vector<std::pair<size_t, size_t>> places_;  // each node's place and mode
    std::vector<Node> nodes_;
    using Item = std::tuple<size_t, size_t, size_t>;  // cost, order found, node
    std::priority_queue<Item, std::vector<Item>, std::greater<>> queue_;
    size_t found_ = 0;
    std::vector<SpellPiece> here_;
    bool full_ = false;  // a bound was met
    mutable std::unordered_map<const SwitchPart*, const RuleSpeller*> targets_;  // each part's table, once looked up
};

size_t SwitchSearch::modeOf(const Mode& m) {
    const auto [it, added] = modeIds_.try_emplace(m, modes_.size());
    if (added) modes_.push_back(m);
    return it->second;
}

bool SwitchSearch::countIn(Mode& m, int weight) const {
    for (size_t i = m.size(); i-- > 0;) {
        if (counted(m[i])) {
            if (m[i].left < weight) return false;
            m[i].left -= weight;
        }
        if (!part(m[i]).plus) break;
    }
    return true;
}

void SwitchSearch::complete(Mode& m) const {
    const Frame f = m.back();
    m.pop_back();
    enter(m, f.owner, f.sw, f.part + 1);
}

void SwitchSearch::enter(Mode& m, const RuleSpeller* owner, uint32_t sw, size_t p) const {
    const auto& parts = owner->switches_[sw].parts;
    if (p < parts.size() && parts[p].count >= 0) {
        m.push_back({owner, sw, static_cast<uint32_t>(p), parts[p].count});
        return;
    }
    if (p < parts.size() && !m.empty()) complete(m);  // -1: the table that holds the switch is left at once
    settle(m);
}

bool SwitchSearch::open(Mode& m, const RuleSpeller& owner, size_t k) const {
    const TableSwitch& sw = owner.switches_[k];
    if (m.size() >= kDeepest || !countIn(m, sw.weight)) return false;
    const size_t depth = m.size();
    enter(m, &owner, static_cast<uint32_t>(k), 0);
    if (m.size() > depth && !part(m.back()).target.empty() && !table(m)) return false;  // a table not loaded
    settle(m);
    return true;
}

void SwitchSearch::reach(size_t at, const Mode& m, size_t before, const SpellPiece& p) {
    if (modes_.size() >= kMostModes && !modeIds_.contains(m)) {
        full_ = true;
        return;
    }
    const size_t mode = modeOf(m);
    const size_t cost = before == SIZE_MAX ? 0 : nodes_[before].cost + (p.key || p.length != 1 ? RuleSpeller::bytes(p).size() : 0);
    const uint64_t key = static_cast<uint64_t>(at) * kMostModes + mode;
    const auto [it, added] = stateOf_.try_emplace(key, nodes_.size());
    if (added) {
        if (nodes_.size() >= kMostStates) {
            stateOf_.erase(it);
            full_ = true;
            return;
        }
        nodes_.push_back({SIZE_MAX, 0, {}});
        places_.push_back({at, mode});
    }
    Node& n = nodes_[it->second];
    if (!added && cost >= n.cost) return;
    n = {cost, before, p};
    queue_.emplace(cost, found_++, it->second);
}

void SwitchSearch::step(size_t state) {
    const auto [at, mode] = places_[state];
    const Mode m = modes_[mode];
    const RuleSpeller* t = table(m);
    if (!m.empty() && !part(m.back()).target.empty() && !t) return;  // a table not loaded: no way on
    const size_t n = text_.size();
    if (at < n && text_[at] == '\n') {  // not data
        reach(at + 1, m, state, {static_cast<uint32_t>(at), 1, nullptr, 0, false});
        return;
    }
    if (at < n) {
        if (t) {
            t->candidates(text_, at, n, here_);
        } else {
            here_.clear();
            if (const int raw = rawByteText(text_.substr(at, 5), SpellRule::Abcde); raw >= 0)
                here_.push_back({static_cast<uint32_t>(at), 5, nullptr, static_cast<uint8_t>(raw), false});
        }
        for (const SpellPiece& p : here_) {
            Mode next = m;
            if (p.ends) {
                next.clear();  // an end token: the next string begins in the first table
            } else {
                if (!countIn(next, p.key && t ? t->weightOf(*p.key) : 1)) continue;
                settle(next);
            }
            reach(at + p.length, next, state, p);
        }
    }
    if (t)
        for (size_t k = 0; k < t->switches_.size(); ++k) {
            const TableSwitch& sw = t->switches_[k];
            if (!sw.label.empty() && !text_.substr(at).starts_with(sw.label)) continue;
            Mode next = m;
            if (!open(next, *t, k)) continue;
            reach(at + sw.label.size(), next, state,
                  {static_cast<uint32_t>(at), static_cast<uint32_t>(sw.label.size()), &sw.key, 0, false});
        }
    if (!m.empty() && !part(m.back()).closing.empty()) {  // back to the table before: its closing key
        Mode next = m;
        const std::string& closing = part(m.back()).closing;
        if (countIn(next, part(m.back()).closingWeight)) {
            complete(next);
            settle(next);
            reach(at, next, state, {static_cast<uint32_t>(at), 0, &closing, 0, false});
        }
    }
}

bool SwitchSearch::run(std::vector<SpellPiece>& out, size_t* badAt) {
    reach(0, {}, SIZE_MAX, {});
    size_t farthest = 0;
    while (!queue_.empty()) {
        const auto [c, order, state] = queue_.top();
        queue_.pop();
        if (c != nodes_[state].cost) continue;
        const auto [at, mode] = places_[state];
        farthest = std::max(farthest, at);
        if (at == text_.size() && accepts(modes_[mode])) {
            std::vector<SpellPiece> pieces;
            for (size_t s = state; nodes_[s].from != SIZE_MAX; s = nodes_[s].from) {
                const SpellPiece& p = nodes_[s].piece;
                if (p.key || p.length != 1) pieces.push_back(p);  // not a line break passed over
            }
            out.insert(out.end(), pieces.rbegin(), pieces.rend());
            return true;
        }
        step(state);
    }
    if (badAt) *badAt = std::min(farthest, text_.empty() ? 0 : text_.size() - 1);
    return false;
}

bool RuleSpeller::spellSwitching(std::string_view text, std::vector<SpellPiece>& out, size_t* badAt, bool* bounded) const {
    SwitchSearch search(*this, text);
    const bool found = search.run(out, badAt);
    if (!found && bounded) *bounded = search.full();
    return found;
}

}  // namespace tarpon
