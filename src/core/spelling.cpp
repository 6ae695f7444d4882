#include "core/spelling.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <set>
#include <string>

#include "core/hex_text.h"
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

char32_t characterAt(std::string_view text, size_t at) {
    const size_t length = utf8SequenceLength(text, at);
    return length > 0 ? utf8CodePoint(text, at, length) : static_cast<uint8_t>(text[at]);
}

namespace {

// Texts longer than this are not looked for: such bytes are written raw.
constexpr size_t kLongestSpelledText = 1024;

std::string withoutLineBreaks(std::string_view text) {
    std::string out;
    for (const char c : text)
        if (c != '\n' && c != '\r') out += c;
    return out;
}

bool higherKey(const std::string& a, const std::string& b) { return a > b; }

}  // namespace

int rawByteText(std::string_view text, SpellRule rule) {
    if (text.size() < 5 || text[1] != '$') return -1;
    const bool angle = text[0] == '<' && text[4] == '>';
    const bool round = rule == SpellRule::Atlas && text[0] == '(' && text[4] == ')';
    if (!angle && !round) return -1;
    const int high = hexDigitValue(text[2]), low = hexDigitValue(text[3]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

namespace {

// A table text with its line breaks written as the two letters `\n`, as a table file holds them.
std::string withWrittenLineBreaks(std::string_view text) {
    std::string out;
    for (const char c : text)
        if (c != '\r') out += c == '\n' ? std::string_view("\\n") : std::string_view(&c, 1);
    return out;
}

}  // namespace

Speller::Speller(const Table& table, SpellRule rule) : rule_(rule) {
    for (int b = 0; b < 256; ++b) bytes_[static_cast<size_t>(b)] = static_cast<uint8_t>(b);
    keyOfText_.reserve(table.entries().size() + table.endTags().size());
    for (const TableEntry& e : table.entries()) {
        const bool marks = e.kind == EntryKind::EndToken || e.kind == EntryKind::LineBreak;
        if (rule != SpellRule::Window) {
            add(withoutLineBreaks(e.text), e, marks);
            continue;
        }
        add(e.text, e, false);
        if (e.kind == EntryKind::LineBreak) add(e.text + "\n", e, false);
    }
    for (const TableEntry& tag : table.endTags()) add(withoutLineBreaks(tag.text), tag, rule == SpellRule::Atlas);
    // Texts as a table file writes them come last, so that they never take a text from an entry.
    if (rule == SpellRule::Atlas)
        for (const TableEntry& e : table.entries())
            if (e.text.find('\n') != std::string::npos && !keyOf(withWrittenLineBreaks(e.text)))
                add(withWrittenLineBreaks(e.text), e, false);
}

void Speller::add(const std::string& text, const TableEntry& entry, bool replaces) {
    // Nothing to spell it with, or too long to look for.
    if (text.empty() || text.size() > kLongestSpelledText) return;
    if (const TableEntry* held = keyOfText_.find(text)) {
        const bool wins = rule_ == SpellRule::Window  ? higherKey(entry.key, held->text)
                          : rule_ == SpellRule::Atlas ? replaces
                                                      : entry.key < held->text;
        if (!wins) return;
    }
    const EntryKind kind = entry.kind == EntryKind::EndToken ? EntryKind::EndToken : EntryKind::Letter;
    keyOfText_.set(text, entry.key, kind, 0);
    longest_ = std::max(longest_, text.size());
    reachesIntoRaw_ = reachesIntoRaw_ || text.find('<', 1) != std::string::npos;
}

Speller::Step Speller::step(std::string_view text, size_t at, size_t end) const {
    const std::string_view rest = text.substr(at, end - at);
    // `<$XX>` is always the byte XX, so that raw bytes spell back whatever the table holds.
    if (const int raw = rawByteText(rest, rule_); raw >= 0)
        return {5, {reinterpret_cast<const char*>(&bytes_[static_cast<size_t>(raw)]), 1}};
    const TableEntry* e = longestText(rest);
    if (!e) return {};
    return {e->key.size(), e->text, &e->text, e->kind == EntryKind::EndToken};
}

bool Speller::spellInto(std::string_view text, std::vector<uint8_t>& bytes, std::vector<size_t>* from,
                        size_t* badAt) const {
    bytes.clear();
    if (from) from->clear();
    if (text.find('\r') == std::string_view::npos) return spellPlain(text, bytes, from, badAt);
    // Carriage returns are not data and never part of an entry's text: spell the text
    // without them, then give the places back as places in `text`.
    std::string plain;
    std::vector<size_t> place;  // place[i]: where plain[i] stands in `text`
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] != '\r') {
            plain += text[i];
            place.push_back(i);
        }
    place.push_back(text.size());
    const bool spelled = spellPlain(plain, bytes, from, badAt);
    if (from)
        for (size_t& at : *from) at = place[at];
    if (!spelled && badAt) *badAt = place[*badAt];
    return spelled;
}

bool Speller::spellPlain(std::string_view text, std::vector<uint8_t>& bytes, std::vector<size_t>* from,
                         size_t* badAt) const {
    // To Atlas a line break is never data, so an entry's text never reaches past one.
    const bool linesAreData = rule_ == SpellRule::Window;
    size_t at = 0, lineEnd = text.size();
    bool lineKnown = linesAreData;
    while (at < text.size()) {
        if (!linesAreData && text[at] == '\n') {
            ++at;
            continue;
        }
        if (!lineKnown || lineEnd < at) {
            lineEnd = std::min(text.find('\n', at), text.size());
            lineKnown = true;
        }
        const Step s = step(text, at, lineEnd);
        if (s.textLength == 0) {
            if (badAt) *badAt = at;
            return false;
        }
        bytes.insert(bytes.end(), s.bytes.begin(), s.bytes.end());
        if (from) from->insert(from->end(), s.bytes.size(), at);
        at += s.textLength;
    }
    return true;
}

std::optional<std::vector<uint8_t>> Speller::spell(std::string_view text, size_t* badAt) const {
    std::vector<uint8_t> bytes;
    if (!spellInto(text, bytes, nullptr, badAt)) return std::nullopt;
    return bytes;
}

}  // namespace tarpon
