#include "script/atlas_run.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <set>
#include <utility>

#include "core/text_coding.h"
#include "script/script_text.h"

namespace tarpon {
namespace {

// Commands only abcde has: a script that uses one was written for it.
bool abcdeOnly(const ScriptCommand& c) {
    static const std::set<std::string> names{"AUTOCMD", "CALC", "READ", "PRINT", "SKIP", "PASCALTYPE",
                                             "W8", "CONTINUOUSFILE", "CREATECTR", "INC"};
    if (names.contains(c.name)) return true;
    const auto arg = [&](size_t i) { return c.args.size() > i ? std::string_view(c.args[i].text) : std::string_view(); };
    if (c.name == "VAR" && (arg(1) == "CALCVAR" || arg(1) == "COUNTER")) return true;
    if (c.name == "ACTIVETBL" && arg(0).starts_with('@')) return true;
    return c.name == "SMA" && addressMapNamed(arg(0)) == AddressMap::PointerRelative;
}

// Whose rules the script follows, and whether it names tables of its own.
std::pair<ScriptDialect, bool> surveyOf(std::string_view text) {
    std::string ignored;
    ScriptDialect dialect = ScriptDialect::Atlas;
    bool namesTables = false;
    ScriptLineReader lines(text);
    for (ScriptLine l; lines.next(l);) {
        if (l.kind != LineKind::Command) continue;
        const auto c = parseCommand(l.text, ignored);
        if (c && abcdeOnly(*c)) dialect = ScriptDialect::Abcde;
        if (c && c->name == "ADDTBL") namesTables = true;
    }
    return {dialect, namesTables};
}

}  // namespace

bool AtlasRun::fail(int line, const std::string& why) {
    if (plan_.problem.empty()) plan_.problem = "Line " + std::to_string(line) + ": " + why;
    return false;
}

void AtlasRun::warn(int line, const std::string& what) {
    plan_.warnings.push_back("Line " + std::to_string(line) + ": " + what);
}

bool AtlasRun::run(std::string_view text) {
    const auto [dialect, namesTables] = surveyOf(text);
    plan_.dialect = options_.dialect == ScriptDialect::Auto ? dialect : options_.dialect;
    if (options_.dialect == ScriptDialect::Auto && !abcde() && usesBitTables(text)) plan_.dialect = ScriptDialect::Abcde;
    namesTables_ = namesTables;
    std::string problem;
    // abcde declares every variable and loads every table before anything runs.
    const auto declares = [&](const ScriptLine& l) {
        if (!abcde() || l.kind != LineKind::Command) return false;
        const auto c = parseCommand(l.text, problem);
        return c && (c->name == "VAR" || c->name == "ADDTBL");
    };
    ScriptLineReader first(text);
    for (ScriptLine l; first.next(l);)
        if (declares(l) && !command(*parseCommand(l.text, problem), l.number)) return false;
    if (abcde() && !checkSwitchTargets()) return false;
    ScriptLineReader lines(text);
    for (ScriptLine l; !stopped_ && lines.next(l);) {
        if (options_.progress && !options_.progress->keepGoing(l.number, 0, 4096)) return false;
        if (l.kind == LineKind::Text || (l.kind == LineKind::Blank && abcde() && !l.text.empty())) {
            if (!addText(l)) return false;
            continue;
        }
        if (l.kind != LineKind::Command || declares(l)) continue;
        if (!flush()) return false;
        const auto c = parseCommand(l.text, problem);
        if (!c) return fail(l.number, problem);
        if (!command(*c, l.number)) return false;
    }
    if (!flush()) return false;
    for (const auto& [n, e] : embedded_)
        if (e.set != e.written)
            warn(e.line, "embedded pointer " + std::to_string(n) + " has " + (e.set ? "#EMBSET but no #EMBWRITE." : "#EMBWRITE but no #EMBSET."));
    return true;
}

// Atlas spells each line as it comes (a string goes on across lines, a table text
// never does); abcde gathers the lines up to the next command and spells them as one.
bool AtlasRun::addText(const ScriptLine& line) {
    if (abcde()) {
        lineStarts_.push_back({pending_.size(), line.number});
        pending_ += line.text;
        return true;
    }
    const RuleSpeller* speller = spellPending() ? activeSpeller(line.number) : nullptr;  // #PRINT's bytes first
    const int number = line.number;
    return speller && spellAndWrite(*speller, line.text, [number](size_t) { return number; });
}

const RuleSpeller* AtlasRun::activeSpeller(int line) {
    if (active_) return active_;
    if (namesTables_ || !options_.table) {
        fail(line, namesTables_ ? "text before the first #ACTIVETBL: which table spells it?"
                                : "no table: the script names none (#VAR, #ADDTBL, #ACTIVETBL) and none was given.");
        return nullptr;
    }
    if (options_.bitTable && !abcde()) {
        fail(line, "the table has keys of bits, which only abcde's rules read: insert with the abcde dialect (--dialect abcde).");
        return nullptr;
    }
    fallbackSpeller_ = std::make_unique<RuleSpeller>(*options_.table, abcde() ? SpellRule::Abcde : SpellRule::Atlas);
    if (options_.bitTable) bitTables_[fallbackSpeller_.get()] = options_.bitTable;
    return active_ = fallbackSpeller_.get();
}

bool AtlasRun::spellPending() {
    if (pending_.empty()) return true;
    const std::string text = std::exchange(pending_, {});
    const auto starts = std::exchange(lineStarts_, {});
    const auto lineOf = [&](size_t at) {
        const auto after = std::upper_bound(starts.begin(), starts.end(), std::pair<size_t, int>(at, INT_MAX));
        return after == starts.begin() ? starts.front().second : std::prev(after)->second;
    };
    const RuleSpeller* speller = activeSpeller(starts.front().second);
    if (!speller) return false;
    // Through switches a long text is spelled in pieces, each up to a line that ends with
    // an end token, where the next string starts in the first table anyway: the search
    // for the fewest bytes stays within its bounds.
    size_t from = 0;
    for (size_t k = 1; k < starts.size() && !speller->switches().empty(); ++k) {
        const size_t cut = starts[k].first;
        if (cut - from < kSwitchPiece || !speller->endsWithEndText(std::string_view(text).substr(from, cut - from))) continue;
        if (!spellAndWrite(*speller, std::string_view(text).substr(from, cut - from), [&](size_t at) { return lineOf(from + at); }))
            return false;
        from = cut;
    }
    return spellAndWrite(*speller, std::string_view(text).substr(from), [&](size_t at) { return lineOf(from + at); });
}

bool AtlasRun::flush() {
    if (!spellPending()) return false;
    if (text_.body.empty()) return true;
    const bool written = writeString(text_.body, text_.tokens, std::string_view(), text_.line);
    text_.body.clear();
    text_.tokens = 0;
    return written;
}

bool AtlasRun::spellAndWrite(const RuleSpeller& speller, std::string_view text, const std::function<int(size_t)>& lineOf) {
    if (const BitTable* bits = bitTableOf(&speller)) return writeBits(*bits, text, lineOf);
    std::vector<SpellPiece>& pieces = text_.pieces;
    pieces.clear();
    size_t bad = 0;
    bool bounded = false;
    if (!speller.spell(text, pieces, &bad, &bounded)) {
        if (bounded)
            return fail(lineOf(0), "the text from here to line " + std::to_string(lineOf(text.size() - 1)) +
                                       " is too long to spell through table switches at once: a command between its strings cuts it.");
        const size_t length = utf8SequenceLength(text, bad);
        const char32_t c = length ? utf8CodePoint(text, bad, length) : static_cast<uint8_t>(text[bad]);
        return fail(lineOf(bad), describeCharacter(c) + " begins no entry of the table.");
    }
    if (pieces.empty()) return true;
    if (pos_ < 0) return fail(lineOf(0), "text before the first #JMP: where should it go?");
    for (const SpellPiece& p : pieces) {
        const std::string_view bytes = RuleSpeller::bytes(p);
        text_.body.insert(text_.body.end(), bytes.begin(), bytes.end());
        ++text_.tokens;
        text_.line = lineOf(p.at);
        if (!p.ends) continue;
        if (!writeString(text_.body, text_.tokens, text.substr(p.at, p.length), text_.line)) return false;
        text_.body.clear();
        text_.tokens = 0;
    }
    return true;
}

bool AtlasRun::writeString(std::vector<uint8_t>& body, int tokens, std::string_view endText, int line) {
    if (align_ > 0) {
        const int64_t over = ((pos_ - header_) % align_ + align_) % align_;
        const int64_t pad = over ? align_ - over : 0;
        if (pos_ + pad > static_cast<int64_t>(doc_.size()))
            return fail(line, "#STRINGALIGN's padding runs past the end of the file.");
        if (!writeText(std::vector<uint8_t>(static_cast<size_t>(pad), 0), line)) return false;
    }
    if (!endText.empty())
        if (const auto it = autoWrites_.find(endText); it != autoWrites_.end())
            for (const AutoWriteTarget& t : it->second)
                if (!writeAutomatic(t, line)) return false;
    const auto prefixBytes = static_cast<size_t>(pascal_ ? pascalLength_ : 0);
    if (fixedLength_ > 0) body.resize(std::min(body.size(), static_cast<size_t>(std::max<int64_t>(fixedLength_ - static_cast<int64_t>(prefixBytes), 0))));
    std::vector<uint8_t> out;
    if (pascal_) {
        const auto length = static_cast<uint32_t>(pascalTokens_ ? tokens : static_cast<int>(body.size()));
        out = valueBytes(length, pascalLength_, bigEndian_ && pascalLength_ > 1);
    }
    out.insert(out.end(), body.begin(), body.end());
    if (fixedLength_ > 0) out.resize(static_cast<size_t>(fixedLength_), fill_);
    ++plan_.strings;
    return writeText(out, line);
}

bool AtlasRun::writeText(std::span<const uint8_t> bytes, int line) {
    // #AUTOCMD: a command queued for a place the text covers runs when the text reaches it.
    while (!queued_.empty() && !bytes.empty()) {
        const auto next = queued_.lower_bound(pos_);
        if (next == queued_.end() || next->first >= pos_ + static_cast<int64_t>(bytes.size())) break;
        const auto before = static_cast<size_t>(next->first - pos_);
        if (!putBytes(pos_, bytes.first(before), line, true)) return false;
        bytes = bytes.subspan(before);
        if (!runQueuedCommands(next->first)) return false;
    }
    return putBytes(pos_, bytes, line, true);
}

bool AtlasRun::runQueuedCommands(int64_t at) {
    auto [first, last] = queued_.equal_range(at);
    std::vector<std::pair<ScriptCommand, int>> due;
    for (auto it = first; it != last; ++it) due.push_back(std::move(it->second));
    queued_.erase(first, last);
    for (const auto& [c, line] : due)
        if (!command(c, line)) return false;
    return true;
}

bool AtlasRun::putBytes(int64_t at, std::span<const uint8_t> bytes, int line, bool text) {
    if (bytes.empty()) return true;
    const auto size = static_cast<int64_t>(bytes.size());
    // Atlas cuts a string at its #JMP's bound and goes on; the cut string would lose its end
    // token and the game read on into what follows, so it is refused here, with its line.
    if (text && bound_ >= 0 && at + size > bound_ + 1)
        return fail(line, "the text is " + std::to_string(at + size - bound_ - 1) +
                              " bytes too long: it runs past the last byte of its #JMP, " + scriptNumber(bound_) + ".");
    const auto docSize = static_cast<int64_t>(doc_.size());
    if (at < 0 || at + size > docSize)
        return fail(line, text ? "the text runs " + std::to_string(at + size - docSize) + " bytes past the end of the file."
                               : "the write at " + scriptNumber(at) + " lies outside the file.");
    std::vector<ScriptWrite>& writes = plan_.writes;
    // Text that goes on where the last went joins it, in pieces of at most 1 MiB so that
    // no large piece is ever copied to grow.
    if (text && !writes.empty() && writes.back().at + static_cast<int64_t>(writes.back().bytes.size()) == at &&
        writes.back().bytes.size() < (size_t{1} << 20))
        writes.back().bytes.insert(writes.back().bytes.end(), bytes.begin(), bytes.begin() + size);
    else writes.push_back({at, std::vector<uint8_t>(bytes.begin(), bytes.begin() + size)});
    if (text) {
        plan_.textBytes += size;
        pos_ = at + size;
    }
    return true;
}

bool AtlasRun::writePointer(int64_t at, const PointerKind& kind, int64_t target, int line) {
    const uint32_t value = pointerValue(kind, target, at);
    if (!writeValue(at, value, kind.bits / 8, line)) return false;
    ++plan_.pointers;
    return true;
}

bool AtlasRun::writeValue(int64_t at, uint32_t value, int bytes, int line) {
    const std::vector<uint8_t> out = valueBytes(value, bytes, bigEndian_ && bytes > 1);
    return putBytes(at, out, line, false);
}

bool AtlasRun::writeAutomatic(const AutoWriteTarget& t, int line, int64_t target) {
    if (target < 0) target = pos_;
    if (t.list) {
        PointerListVar& list = pointerLists_[static_cast<size_t>(t.index)];
        if (list.next >= list.places.size()) {
            if (abcde()) return fail(line, "pointer list " + t.name + " has no place left for #AUTOWRITE.");
            warn(line, "pointer list " + t.name + " has no place left: the #AUTOWRITE pointer was not written.");
            return true;
        }
        return writePointer(list.places[list.next++], currentKind(list.kind, line), target, line);
    }
    PointerTableVar& table = pointerTables_[static_cast<size_t>(t.index)];
    const int64_t at = table.next;
    table.next = static_cast<int64_t>(static_cast<uint64_t>(table.next) + static_cast<uint64_t>(table.step));
    return writePointer(at, currentKind(table.kind, line), target, line);
}

PointerKind AtlasRun::currentKind(const PointerKind& captured, int line) {
    PointerKind k = captured;
    if (abcde()) k.header = header_;  // abcde reads the header when it writes; Atlas when the pointer was made
    else if (k.header != header_ && !headerNoted_) {
        headerNoted_ = true;
        warn(line, "this pointer is written with the #HDR of its making (" + scriptNumber(k.header) +
                       "), as Atlas does; abcde would use the #HDR now in force (" + scriptNumber(header_) +
                       "): --dialect abcde for that.");
    }
    return k;
}

}  // namespace tarpon
