#include "core/spelling.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <set>
#include <string>

#include "core/text_coding.h"

namespace tarpon {
namespace {

// One way on from a place of the text: an entry's key, or a single byte (no entry
// fits there), and the place after it.
struct Step {
    const std::string* key = nullptr;  // nullptr: `byte` alone
    uint8_t byte = 0;
    size_t next = 0;
};

// The ways on from every place, found from the end back, with whether the rest can be spelled from there.
struct SpellGraph {
    std::vector<Step> steps;
    std::vector<std::pair<size_t, size_t>> range;  // each place's steps in `steps`
    std::vector<char> clean;                      // the rest spells with entries alone
};

size_t characterLength(std::string_view text, size_t at) { return std::max<size_t>(utf8SequenceLength(text, at), 1); }

// The first entry of the one-byte view that starts with the character, or 0.
uint8_t fallbackByte(const CharTable& view, std::string_view character) {
    for (size_t i = 0; i < view.size(); ++i)
        if (!view[i].empty() && view[i].starts_with(character)) return static_cast<uint8_t>(i);
    return 0;
}

// The entries the text goes on with from `at`, in the order spellings prefer them.
std::vector<Step> entriesAt(const Table& table, std::string_view text, size_t at) {
    std::vector<Step> steps;
    for (const TableEntry* e : table.entriesPrefixOf(text.substr(at)))
        if (!e->key.empty()) steps.push_back({&e->key, 0, at + e->text.size()});
    std::sort(steps.begin(), steps.end(), [](const Step& a, const Step& b) {
        if (a.next != b.next) return a.next > b.next;
        if (a.key->size() != b.key->size()) return a.key->size() < b.key->size();
        return *a.key < *b.key;
    });
    return steps;
}

SpellGraph spellGraph(const Table& table, std::string_view text, const CharTable* fallback) {
    const size_t n = text.size();
    SpellGraph g;
    g.range.resize(n + 1);
    g.clean.assign(n, 0);
    g.clean.push_back(1);  // the end: nothing left to spell
    for (size_t at = n; at-- > 0;) {
        std::vector<Step> all = entriesAt(table, text, at);
        std::vector<Step> clean;
        std::copy_if(all.begin(), all.end(), std::back_inserter(clean), [&](const Step& s) { return g.clean[s.next]; });
        g.clean[at] = !clean.empty();
        if (!clean.empty()) all = std::move(clean);
        if (all.empty() && fallback) {
            const size_t length = characterLength(text, at);
            all.push_back({nullptr, fallbackByte(*fallback, text.substr(at, length)), at + length});
        }
        g.range[at] = {g.steps.size(), g.steps.size() + all.size()};
        g.steps.insert(g.steps.end(), all.begin(), all.end());
    }
    return g;
}

// How many ways the text spells from place 0, counted up to `most` + 1.
size_t countWays(const SpellGraph& g, size_t n, size_t most) {
    std::vector<size_t> ways(n + 1, 0);
    ways[n] = 1;
    for (size_t at = n; at-- > 0;)
        for (size_t k = g.range[at].first; k < g.range[at].second; ++k)
            ways[at] = std::min(most + 1, ways[at] + ways[g.steps[k].next]);
    return ways[0];
}

// The character at the first place that no spelling gets past.
char32_t refusedCharacter(const SpellGraph& g, std::string_view text) {
    size_t at = 0;
    while (at < text.size() && g.range[at].first < g.range[at].second) at = g.steps[g.range[at].first].next;
    if (at >= text.size()) return 0;
    const size_t length = utf8SequenceLength(text, at);
    return length > 0 ? utf8CodePoint(text, at, length) : static_cast<uint8_t>(text[at]);
}

void append(std::vector<uint8_t>& bytes, const Step& s) {
    if (s.key) bytes.insert(bytes.end(), s.key->begin(), s.key->end());
    else bytes.push_back(s.byte);
}

size_t stepLength(const Step& s) { return s.key ? s.key->size() : 1; }

// The spellings in order (depth first, each place's steps in turn), without a stack
// as deep as the text is long; at most `most` ways, repeated byte sequences once.
std::vector<std::vector<uint8_t>> walk(const SpellGraph& g, size_t n, size_t most) {
    std::vector<std::vector<uint8_t>> out;
    std::set<std::string> seen;
    std::vector<uint8_t> bytes;
    std::vector<size_t> path;  // the step taken at each place on the way
    size_t at = 0, ways = 0;
    for (;;) {
        if (at == n) {
            ++ways;
            if (seen.insert(std::string(bytes.begin(), bytes.end())).second) out.push_back(bytes);
        } else if (g.range[at].first < g.range[at].second) {
            path.push_back(g.range[at].first);
            append(bytes, g.steps[path.back()]);
            at = g.steps[path.back()].next;
            continue;
        }
        // Back to the last place with a step not yet taken.
        while (!path.empty() && ways < most) {
            const Step& taken = g.steps[path.back()];
            bytes.resize(bytes.size() - stepLength(taken));
            const size_t from = path.size() > 1 ? g.steps[path[path.size() - 2]].next : 0;
            if (++path.back() < g.range[from].second) break;
            path.pop_back();
        }
        if (path.empty() || ways >= most) return out;
        append(bytes, g.steps[path.back()]);
        at = g.steps[path.back()].next;
    }
}

}  // namespace

Spellings spellingsOf(const Table& table, std::string_view text, size_t most, const CharTable* fallback) {
    Spellings result;
    if (text.empty() || most == 0) return result;
    const SpellGraph g = spellGraph(table, text, fallback);
    if (!fallback && !g.clean[0]) {
        result.refused = refusedCharacter(g, text);
        return result;
    }
    result.more = countWays(g, text.size(), most) > most;
    result.bytes = walk(g, text.size(), most);
    return result;
}

std::optional<std::vector<uint8_t>> spellLongest(std::string_view text, const Table& table, char32_t* refused) {
    Spellings s = spellingsOf(table, text, 1);
    if (s.bytes.empty()) {
        if (refused) *refused = s.refused;
        return std::nullopt;
    }
    return std::move(s.bytes.front());
}

}  // namespace tarpon
