#include "script/switch_reader.h"

#include <algorithm>

#include "core/hex_text.h"

namespace tarpon {
namespace {

// Switches open inside one another beyond this are not followed.
constexpr int kDeepest = 16;

// A text that reads differently as a script line: a command, a comment, a blank start
// (a line of blanks is passed over), a carriage return.
bool safeInLines(std::string_view text) {
    if (text.find("//") != std::string_view::npos || text.find('\r') != std::string_view::npos) return false;
    for (size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        if (text[at] == '#' || text[at] == ' ' || text[at] == '\t') return false;
        if (text.find('\n', at) == std::string_view::npos) break;
    }
    return true;
}

const SwitchPart kWholeString{"", 0, "", 1, false};  // the first table: as long as the string goes

}  // namespace

// One string being read: where, its text, and how much reading that was thrown away it may still do.
struct SwitchReader::Walk {
    std::span<const uint8_t> doc;
    int64_t at = 0, limit = 0;
    std::string& out;
    int64_t room = 0;  // bytes that failed switches may still read
    bool switches = true;
    const Progress& progress;
    bool open = false;  // the string ended inside a part that stays to its end
    // The parts being read, the first table's at the bottom: matches still due, and "+".
    struct Count {
        int left = 0;
        bool counted = false, plus = false;
    };
    std::vector<Count> counts = {};

    // A match of `weight` where the reading is, also for the counts "+" leads to; false
    // where it would take a count past its number (counts are met exactly).
    bool count(int weight) {
        for (size_t i = counts.size(); i-- > 0;) {
            if (counts[i].counted && counts[i].left < weight) return false;
            if (!counts[i].plus) break;
        }
        for (size_t i = counts.size(); i-- > 0;) {
            if (counts[i].counted) counts[i].left -= weight;
            if (!counts[i].plus) break;
        }
        return true;
    }
    // The part being read is done: its count met, or through "+" the count of a part below.
    bool done() const {
        for (size_t i = counts.size(); i-- > 0;) {
            if (counts[i].counted && counts[i].left == 0) return true;
            if (!counts[i].plus) return false;
        }
        return false;
    }
};

SwitchReader::SwitchReader(const SwitchingTables& tables, size_t first) : tables_(tables), first_(first) {
    for (size_t i = 0; i < tables.size(); ++i) {
        const SwitchingTable& t = tables.at(i);
        auto s = std::make_unique<RuleSpeller>(*t.table, SpellRule::Abcde);
        for (const TableSwitch& sw : t.switches) s->addSwitch(sw);
        s->setWeights(t.weights);
        s->setSwitchTables([this](std::string_view id) -> const RuleSpeller* {
            const int k = tables_.find(id);
            return k < 0 ? nullptr : spellers_[static_cast<size_t>(k)].get();
        });
        spellers_.push_back(std::move(s));
    }
}

bool SwitchReader::readSwitch(Walk& w, const TableSwitch& sw, int depth, Outcome& out) const {
    const int64_t from = w.at;
    const size_t textFrom = w.out.size();
    const std::vector<Walk::Count> counts = w.counts;
    if (!w.count(sw.weight)) return false;
    w.at += static_cast<int64_t>(sw.key.size());
    w.out += sw.label;
    out = Outcome::Done;
    for (const SwitchPart& p : sw.parts) {
        if (p.count < 0) {  // the table that holds the switch is left at once
            out = Outcome::Left;
            break;
        }
        const int target = p.target.empty() ? -1 : tables_.find(p.target);
        out = !p.target.empty() && target < 0 ? Outcome::Failed : readIn(w, target, p, depth + 1);
        if (out != Outcome::Done) break;
    }
    if (out == Outcome::Failed) {
        w.room -= w.at - from + 1;
        w.at = from;
        w.out.resize(textFrom);
        w.counts = counts;
        return false;
    }
    return true;
}

SwitchReader::Outcome SwitchReader::readIn(Walk& w, int table, const SwitchPart& goal, int depth) const {
    w.counts.push_back({goal.count, goal.count > 0, goal.plus});
    const Outcome o = readPart(w, table, goal, depth);
    w.counts.pop_back();
    return o;
}

SwitchReader::Outcome SwitchReader::readPart(Walk& w, int table, const SwitchPart& goal, int depth) const {
    const SwitchingTable* t = table < 0 ? nullptr : &tables_.at(static_cast<size_t>(table));
    const bool bounded = goal.count > 0 || !goal.closing.empty();  // it cannot simply stop
    const auto same = [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; };
    for (;;) {
        if (!w.progress.keepGoing(w.at, std::ssize(w.doc), 1 << 16)) return Outcome::Done;  // the dump is thrown away
        if (w.done()) return Outcome::Done;
        if (w.at >= w.limit) {
            w.open = w.open || (!bounded && depth > 0);
            return bounded ? Outcome::Failed : Outcome::Done;
        }
        const std::span<const uint8_t> rest = w.doc.subspan(static_cast<size_t>(w.at), static_cast<size_t>(w.limit - w.at));
        if (!goal.closing.empty() && rest.size() >= goal.closing.size() &&
            std::equal(goal.closing.begin(), goal.closing.end(), rest.begin(), same)) {
            if (!w.count(goal.closingWeight)) return Outcome::Failed;
            w.at += static_cast<int64_t>(goal.closing.size());
            return Outcome::Done;
        }
        if (!t) {  // the raw table: every byte
            if (!w.count(1)) return Outcome::Failed;
            appendRawByte(w.out, rest[0]);
            ++w.at;
            continue;
        }
        const TableEntry* e = t->table->longestMatch(rest);
        const TableSwitch* sw = nullptr;
        if (w.switches && depth < kDeepest && w.room > 0)
            for (const TableSwitch& s : t->switches)
                if (s.key.size() <= rest.size() && std::equal(s.key.begin(), s.key.end(), rest.begin(), same) &&
                    (!sw || s.key.size() > sw->key.size()))
                    sw = &s;
        if (sw && (!e || sw->key.size() >= e->key.size())) {
            Outcome o = Outcome::Done;
            if (readSwitch(w, *sw, depth, o)) {
                if (o == Outcome::Ended || (o == Outcome::Left && depth > 0)) return o == Outcome::Left ? Outcome::Done : o;
                continue;
            }
        }
        if (e && (e->kind == EntryKind::EndToken || w.count(t->weightOf(e->key)))) {
            w.out += e->text;
            if (e->kind == EntryKind::LineBreak) w.out += '\n';
            w.at += static_cast<int64_t>(e->key.size());
            for (int i = 0; e->kind == EntryKind::Linked && i < e->params && w.at < w.limit; ++i)
                appendRawByte(w.out, w.doc[static_cast<size_t>(w.at++)]);
            if (e->kind == EntryKind::EndToken) return Outcome::Ended;
            continue;
        }
        if (bounded || !w.count(1)) return Outcome::Failed;  // a byte the part cannot read
        appendRawByte(w.out, rest[0]);  // staying: an unmatched byte is written raw
        ++w.at;
    }
}

bool SwitchReader::spellsBack(std::string_view text, std::span<const uint8_t> bytes) const {
    std::vector<SpellPiece> pieces;
    if (!safeInLines(text) || !spellers_[first_]->spell(text, pieces)) return false;
    size_t at = 0;
    for (const SpellPiece& p : pieces) {
        const std::string_view b = RuleSpeller::bytes(p);
        if (at + b.size() > bytes.size() || !std::equal(b.begin(), b.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                                         [](char x, uint8_t y) { return static_cast<uint8_t>(x) == y; }))
            return false;
        at += b.size();
    }
    return at == bytes.size();
}

int64_t SwitchReader::read(std::span<const uint8_t> doc, int64_t start, int64_t limit, std::string& out, bool* ended,
                           const Progress& progress) const {
    const size_t textAt = out.size();
    Walk w{doc, start, limit, out, 4 * (limit - start) + 65536, true, progress};
    const Outcome o = readIn(w, static_cast<int>(first_), kWholeString, 0);
    const std::span<const uint8_t> bytes = doc.subspan(static_cast<size_t>(start), static_cast<size_t>(w.at - start));
    // A string that ends inside a part staying to its end would have an insert read the
    // text after it (joined to it up to the next command) in that part's table.
    const bool staysOpen = w.open && o != Outcome::Ended;
    if (!progress.stopped() && (staysOpen || !spellsBack(std::string_view(out).substr(textAt), bytes))) {
        // Without switches: the first table's entries and raw bytes.
        out.resize(textAt);
        const int64_t end = w.at;
        Walk plain{doc, start, end, out, 0, false, progress};
        readIn(plain, static_cast<int>(first_), kWholeString, 0);
        if (!spellsBack(std::string_view(out).substr(textAt), bytes)) {
            out.resize(textAt);
            for (const uint8_t b : bytes) appendRawByte(out, b);
        }
    }
    if (ended) *ended = o == Outcome::Ended;
    return w.at;
}

}  // namespace tarpon
