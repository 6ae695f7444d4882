// Tables of bit keys in an insert. Only abcde reads them: a script whose table has
// such keys is read by abcde's rules (unless a dialect is asked for), and the Atlas
// dialect refuses the table. All the text up to the next command becomes one run of
// bits, packed with no alignment at end tokens; its last byte is padded with zero bits.
#include "core/text_coding.h"
#include "script/atlas_run.h"

namespace tarpon {
namespace {

// Line `n` (from 1) of `lines`, without its line end.
std::string_view lineOf(std::string_view lines, int n) {
    size_t at = 0;
    for (int i = 1; i < n && at < lines.size(); ++i) at = std::min(lines.find('\n', at), lines.size() - 1) + 1;
    std::string_view line = lines.substr(at, std::min(lines.find('\n', at), lines.size()) - at);
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

}  // namespace

bool AtlasRun::usesBitTables(std::string_view text) const {
    bool namesTables = false;
    std::string ignored;
    ScriptLineReader lines(text);
    for (ScriptLine l; lines.next(l);) {
        if (l.kind != LineKind::Command) continue;
        const auto c = parseCommand(l.text, ignored);
        if (!c || c->name != "ADDTBL" || c->args.empty()) continue;
        namesTables = true;
        std::vector<std::string> tried;
        if (const std::optional<std::string> bytes = findNamedFile(c->args[0].text, tried))
            for (const LogicalTable& part : readLogicalTables(*bytes, false).tables)
                if (firstBitKeyLine(part.lines) > 0) return true;
    }
    return !namesTables && options_.bitTable;
}

std::optional<bool> AtlasRun::readBitTable(std::string_view part, const std::string& file, int line, ScriptTableVar& t) {
    const int bitLine = firstBitKeyLine(part);
    if (bitLine == 0) return std::nullopt;
    if (!abcde())
        return fail(line, "the table \"" + file + "\" line " + std::to_string(bitLine) + " (" + std::string(lineOf(part, bitLine)) +
                              ") has a key of bits, which only abcde's rules read: insert with the abcde dialect (--dialect abcde).");
    std::string problem;
    std::optional<BitTable> bits = BitTable::read(part, problem);
    if (!bits) return fail(line, "the table \"" + file + "\" " + problem);
    t.bits = std::make_unique<BitTable>(std::move(*bits));
    return true;
}

bool AtlasRun::isActiveEndText(std::string_view text) const {
    if (const BitTable* bits = bitTableOf(active_)) return bits->isEndText(text);
    return active_->isEndText(text);
}

bool AtlasRun::writeBits(const BitTable& table, std::string_view text, const std::function<int(size_t)>& lineOf) {
    std::vector<BitPiece> pieces;
    size_t bad = 0;
    if (!table.spell(text, pieces, &bad)) {
        const size_t length = utf8SequenceLength(text, bad);
        const char32_t c = length ? utf8CodePoint(text, bad, length) : static_cast<uint8_t>(text[bad]);
        return fail(lineOf(bad), describeCharacter(c) + " begins no entry of the table.");
    }
    if (pieces.empty()) return true;
    if (pos_ < 0) return fail(lineOf(0), "text before the first #JMP: where should it go?");
    BitPacker packer;
    int64_t stringStart = pos_;  // the byte that holds the first bit of the string being read
    for (const BitPiece& p : pieces) {
        packer.put(table.bitsOf(p));
        if (p.entry < 0 || !table.entries()[static_cast<size_t>(p.entry)].ends) continue;
        if (const auto it = autoWrites_.find(text.substr(p.at, p.length)); it != autoWrites_.end())
            for (const AutoWriteTarget& t : it->second)
                if (!writeAutomatic(t, lineOf(p.at), stringStart)) return false;
        stringStart = pos_ + static_cast<int64_t>(packer.bitCount() / 8);
    }
    std::vector<uint8_t> body = packer.bytes();
    return writeString(body, static_cast<int>(pieces.size()), std::string_view(), lineOf(pieces.back().at));
}

}  // namespace tarpon
