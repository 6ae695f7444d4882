#include "script/block_dump.h"

#include <algorithm>
#include <map>
#include <memory>
#include <new>
#include <set>

#include "script/bit_dump.h"
#include "script/script_text.h"
#include "script/switch_reader.h"

namespace tarpon {
namespace {

// Bytes read in one go, from `at` to `end`, and their text; `after` is written after
// the text (label lines); `ends`: a string ends with it (a blank line follows).
struct Run {
    int64_t at = 0, end = 0;
    std::string text, after;
    bool ends = false;
};

// One string (or a RAW block's range) and the pointers to it, in table order.
struct Entry {
    int64_t target = 0;
    std::vector<std::pair<int64_t, int64_t>> pointers;  // number, place
    std::vector<Run> runs;
};

bool isPointerBlock(const CartoBlock& b) { return b.method != CartoMethod::Raw; }

std::string atLine(const CartoBlock& b, const std::string& key) {
    const auto it = b.lines.find(key);
    return "Line " + std::to_string(it == b.lines.end() ? b.line : it->second) + ": ";
}

// Why the block cannot be read from a file of `size` bytes, or nothing.
std::string checkBlock(const CartoBlock& b, int64_t size) {
    if (!isPointerBlock(b)) {
        if (*b.scriptStop > size) return atLine(b, "SCRIPT STOP") + "the range runs past the end of the file.";
        return {};
    }
    const int64_t step = b.pointerSize + b.pointerSpace;
    const int64_t last = b.tableStart + (b.tableStop - b.tableStart - 1) / step * step;
    if (last + b.pointerSize > size) return atLine(b, "POINTER TABLE STOP") + "the pointer table runs past the end of the file.";
    return {};
}

std::string commented(std::string_view text) {
    std::string out = "//";
    for (const char c : text) {
        out += c;
        if (c == '\n') out += "//";
    }
    return out;
}

std::string blockNumber(size_t n) {
    std::string digits = std::to_string(n);
    return std::string(digits.size() < 3 ? 3 - digits.size() : 0, '0') + digits;
}

// A custom pointer's name for a block of one-byte pointers: letters only, as Atlas reads names.
std::string pointerName(size_t block) {
    std::string name = "PtrByte";
    do {
        name += static_cast<char>('A' + block % 26);
        block /= 26;
    } while (block);
    return name;
}

class BlockDumper {
public:
    // `room`: how many bytes of text it may read before the script is too large.
    // Strings are read through `st`, or with `sw` through logical tables and their switches,
    // or with `bits` through a table's bit keys.
    BlockDumper(const CartoBlock& b, const ScriptTable* st, const SwitchReader* sw, std::span<const uint8_t> doc,
                const Progress& progress, uint64_t room, const BitTable* bits = nullptr)
        : b_(b), st_(st), sw_(sw), doc_(doc), size_(static_cast<int64_t>(doc.size())), progress_(progress), room_(room),
          bits_(bits) {}

    void read();
    // Appends the block's lines; `bigEndian` is the pointer byte order the insert is in.
    // `table`: what the block's #ACTIVETBL names ("Table_0", "@id"), or "" where the script declares none.
    void write(size_t number, const std::string& table, std::string& out, bool& bigEndian) const;
    int64_t strings() const { return std::ssize(entries_); }
    bool tooLarge() const { return read_ > room_; }

private:
    // A string's text; the table's reading stops once past the room left.
    int64_t readText(int64_t at, int64_t limit, std::string& out, bool* ended = nullptr) const {
        if (sw_) return sw_->read(doc_, at, limit, out, ended, progress_);
        Measure measure{false, 0, room_ - std::min(room_, read_)};
        return readScriptString(*st_, doc_, at, limit, out, progress_, ended, &measure);
    }
    void readPointers();
    void readTexts(Entry& e, int64_t limit);
    void readStrings(int64_t at, int64_t limit, int64_t count, bool through, std::vector<Run>& runs);
    void readFixed(int64_t at, int64_t limit, std::vector<Run>& runs);
    int64_t realign(int64_t at) const;
    void writePointers(const Entry& e, size_t number, std::string& out, int64_t& pos) const;
    void writeRuns(const Entry& e, std::string& out, int64_t& pos) const;

    const CartoBlock& b_;
    const ScriptTable* st_;
    const SwitchReader* sw_;
    std::span<const uint8_t> doc_;
    int64_t size_;
    const Progress& progress_;
    uint64_t room_, read_ = 0;  // text read so far
    std::vector<Entry> entries_;
    const BitTable* bits_;  // the table's bit keys, which read its strings instead
    std::string outside_;  // pointers to no byte of the file
    int64_t first_ = 0, end_ = 0;  // the lowest string start, the byte after the highest string end
};

int64_t BlockDumper::realign(int64_t at) const {
    const int64_t m = b_.realignMultiple, o = b_.realignOffset;
    if (m <= 0) return at;
    const int64_t k = at <= o ? 0 : (at - o + m - 1) / m;
    return o + k * m;
}

// Strings from `at` until `count` of them ended with an end token (with `through`,
// only `limit` ends the reading); an #AUTO JUMP START reached continues at its STOP.
void BlockDumper::readStrings(int64_t at, int64_t limit, int64_t count, bool through, std::vector<Run>& runs) {
    for (int64_t strings = 0; at < limit && (through || strings < count) && !progress_.stopped() && !tooLarge();) {
        int64_t stop = limit;
        if (b_.jumpFrom && at < *b_.jumpFrom) stop = std::min(stop, *b_.jumpFrom);
        Run& r = runs.emplace_back();
        r.at = at;
        bool ended = false;
        r.end = readText(at, stop, r.text, &ended);
        read_ += r.text.size();
        at = r.end;
        if (ended) {
            ++strings;
            r.ends = true;
            at = realign(at);
        } else if (b_.jumpFrom && at == *b_.jumpFrom) {
            at = *b_.jumpTo;
        }
    }
}

// Fixed strings of STRING LENGTH bytes from `at` (one for a pointer, back to back in
// a RAW range), each split into lines of LINE LENGTH bytes; end tokens end nothing.
void BlockDumper::readFixed(int64_t at, int64_t limit, std::vector<Run>& runs) {
    const bool raw = !isPointerBlock(b_);
    for (; at < limit && !progress_.stopped() && !tooLarge(); at += b_.stringLength) {
        const int64_t end = std::min(limit, at + b_.stringLength);
        const int64_t lineLength = b_.lineLength > 0 ? b_.lineLength : b_.stringLength;
        for (int64_t line = at; line < end; line += lineLength) {
            const int64_t lineEnd = std::min(end, line + lineLength);
            for (int64_t from = line; from < lineEnd;) {
                Run& r = runs.emplace_back();
                r.at = from;
                from = r.end = readText(from, lineEnd, r.text);
                read_ += r.text.size();
            }
            if (b_.lineLabel) runs.back().after += "//" + *b_.lineLabel + "\n";
        }
        if (b_.endLabel) runs.back().after += "//" + *b_.endLabel + "\n";
        runs.back().ends = true;
        if (!raw) return;
    }
}

void BlockDumper::readTexts(Entry& e, int64_t limit) {
    if (bits_) {  // one run of bits: the insert reads no command between its strings
        const bool through = !isPointerBlock(b_) || b_.endAtNextPointer;
        BitString s = readBitStrings(*bits_, doc_, e.target, limit, through ? 0 : b_.stringsPerPointer);
        read_ += s.text.size();
        e.runs.push_back({e.target, static_cast<int64_t>((s.end + 7) / 8), std::move(s.text), {}, true});
    } else if (b_.stringLength > 0) readFixed(e.target, limit, e.runs);
    else readStrings(e.target, limit, b_.stringsPerPointer, !isPointerBlock(b_) || b_.endAtNextPointer, e.runs);
    for (Run& r : e.runs) {
        while (b_.trimNewlines && r.text.ends_with('\n')) r.text.pop_back();
        end_ = std::max(end_, r.end);
    }
    first_ = std::min(first_, e.target);
    end_ = std::max(end_, e.target + 1);
}

void BlockDumper::readPointers() {
    const int64_t step = b_.pointerSize + b_.pointerSpace;
    std::map<int64_t, size_t> entryOf;
    int64_t number = 0;
    for (int64_t place = b_.tableStart; place < b_.tableStop; place += step, ++number) {
        uint64_t value = 0;
        for (int i = 0; i < b_.pointerSize; ++i) {
            const int byte = b_.bigEndian ? i : b_.pointerSize - 1 - i;
            value = value << 8 | doc_[static_cast<size_t>(place + byte)];
        }
        int64_t target = static_cast<int64_t>(value) + b_.base;
        if (b_.method == CartoMethod::PointerRelativePc) target += place;
        if (target < 0 || target >= size_) {
            outside_ += "//POINTER #" + std::to_string(number) + " @ " + scriptNumber(place) + " points outside the file (" +
                        scriptNumber(target) + ")\n";
            continue;
        }
        const auto [it, added] = entryOf.try_emplace(target, entries_.size());
        if (added) entries_.push_back({target, {}, {}});
        entries_[it->second].pointers.push_back({number, place});
    }
    if (b_.sortByAddress)
        std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& x, const Entry& y) { return x.target < y.target; });
}

void BlockDumper::read() {
    first_ = size_;
    const int64_t limit = std::min(size_, b_.scriptStop.value_or(size_));
    if (!isPointerBlock(b_)) {
        entries_.push_back({*b_.scriptStart, {}, {}});
        readTexts(entries_.back(), limit);
        return;
    }
    readPointers();
    std::set<int64_t> starts;
    for (const Entry& e : entries_) starts.insert(e.target);
    for (size_t k = 0; k < entries_.size() && !progress_.stopped() && !tooLarge(); ++k) {
        Entry& e = entries_[k];
        int64_t stop = limit;
        if (b_.endAtNextPointer)
            if (const auto next = starts.upper_bound(e.target); next != starts.end()) stop = std::min(stop, *next);
        readTexts(e, stop);
    }
}

void BlockDumper::writePointers(const Entry& e, size_t number, std::string& out, int64_t& pos) const {
    if (!b_.atlasPtrs || e.pointers.empty()) return;
    if (pos != e.target) out += "#JMP(" + scriptNumber(e.target) + ", " + scriptNumber(end_ - 1) + ")\n";
    pos = e.target;
    for (const auto& [n, place] : e.pointers) {
        if (b_.method == CartoMethod::PointerRelativePc) out += "#HDR(" + scriptNumber(b_.base + place) + ")\n";
        if (b_.pointerSize > 1) {
            out += "#W" + std::to_string(8 * b_.pointerSize) + "(" + scriptNumber(place) + ")\n";
            continue;
        }
        // Atlas has no #W8: a custom pointer of 8 bits, made after the #HDR it keeps.
        if (b_.method == CartoMethod::PointerRelativePc) out += "#CREATEPTR(" + pointerName(number) + ", \"LINEAR\", $0, 8)\n";
        out += "#WRITE(" + pointerName(number) + ", " + scriptNumber(place) + ")\n";
    }
}

void BlockDumper::writeRuns(const Entry& e, std::string& out, int64_t& pos) const {
    for (const Run& r : e.runs) {
        if (&r != &e.runs.front() && (&r)[-1].ends) out += "\n";
        // Through switches each run is spelled alone, as it was checked: abcde's insert joins
        // text lines up to the next command, which a #JMP to where it is already is.
        const bool alone = sw_ && &r != &e.runs.front();
        if (b_.comments != CartoComments::Yes && (r.at != pos || alone)) {
            out += "#JMP(" + scriptNumber(r.at) + ", " + scriptNumber(end_ - 1) + ")\n";
            pos = r.at;
        }
        if (b_.comments != CartoComments::No) out += commented(r.text) + "\n";
        if (b_.comments != CartoComments::Yes) {
            out += r.text + "\n";
            pos = r.end;
        }
        out += r.after;
    }
}

void BlockDumper::write(size_t number, const std::string& table, std::string& out, bool& bigEndian) const {
    out += "//BLOCK #" + blockNumber(number) + " NAME:\t\t" + b_.name + "\n";
    // Once the script declares tables, each block's text needs its own made active.
    if (!table.empty()) out += "#ACTIVETBL(" + table + ") // Activate this block's starting TABLE\n";
    out += "\n";
    int64_t pos = -1;
    if (!entries_.empty()) {
        out += "#JMP(" + scriptNumber(first_) + ", " + scriptNumber(end_ - 1) + ") // Jump to insertion point\n";
        pos = first_;
    }
    if (isPointerBlock(b_) && b_.atlasPtrs) {
        if (b_.method != CartoMethod::PointerRelativePc)
            out += "#HDR(" + scriptNumber(b_.base) +
                   ") // Difference between ROM and RAM addresses for pointer value calculations\n";
        if (b_.bigEndian != bigEndian && b_.pointerSize > 1) {
            out += endianCommand(b_.bigEndian) + "\n";
            bigEndian = b_.bigEndian;
        }
        if (b_.pointerSize == 1) out += "#VAR(" + pointerName(number) + ", CUSTOMPOINTER)\n";
        if (b_.pointerSize == 1 && b_.method != CartoMethod::PointerRelativePc)
            out += "#CREATEPTR(" + pointerName(number) + ", \"LINEAR\", $0, 8)\n";
    }
    out += outside_ + "\n";
    for (size_t k = 0; k < entries_.size(); ++k) {
        const Entry& e = entries_[k];
        if (!isPointerBlock(b_))
            out += "//Block Range: " + scriptNumber(*b_.scriptStart) + " - " + scriptNumber(*b_.scriptStop) + "\n";
        for (const auto& [n, place] : e.pointers)
            out += "//POINTER #" + std::to_string(n) + " @ " + scriptNumber(place) + " - STRING #" + std::to_string(k) +
                   " @ " + scriptNumber(e.target) + "\n";
        writePointers(e, number, out, pos);
        writeRuns(e, out, pos);
        if (b_.showEndAddress && !e.runs.empty()) out += "// current address: " + scriptNumber(e.runs.back().end) + "\n";
        out += "\n";
    }
}

// Each table's variable number: the first of the tables loaded from the same file.
std::vector<size_t> tableIds(const CommandTables& tables) {
    std::vector<size_t> ids;
    for (size_t i = 0; i < tables.paths.size(); ++i)
        ids.push_back(static_cast<size_t>(std::find(tables.paths.begin(), tables.paths.end(), tables.paths[i]) -
                                          tables.paths.begin()));
    return ids;
}

bool declaresTables(const CommandFile& file) {
    return std::any_of(file.blocks.begin(), file.blocks.end(), [](const CartoBlock& b) { return b.atlasPtrs; });
}

// The logical table a block starts in, or -1 where it is read through its file's table
// as a whole (no switches, one table in the file, no #TABLE ID); `problem` for an id no table has.
int startTable(const CartoBlock& b, const CommandTables& t, std::string& problem) {
    if (!t.logical || t.first.size() != t.tables.size()) {
        if (!b.tableId.empty()) problem = atLine(b, "TABLE ID") + "no table loaded has the id @" + b.tableId + ".";
        return -1;
    }
    if (!b.tableId.empty()) {
        const int found = t.logical->find(b.tableId);
        if (found < 0) problem = atLine(b, "TABLE ID") + "no table loaded has the id @" + b.tableId + ".";
        else if (!writableTableId(b.tableId)) problem = atLine(b, "TABLE ID") + "the id @" + b.tableId + " cannot be written in an #ACTIVETBL line.";
        return found;
    }
    const size_t next = b.table + 1 < t.first.size() ? t.first[b.table + 1] : t.logical->size();
    const bool several = next - t.first[b.table] > 1;
    return t.logical->switches() || several ? static_cast<int>(t.first[b.table]) : -1;
}

// What each block's #ACTIVETBL names: a table read by id is named so (abcde's own
// form, and the one that has an insert read the script by abcde's rules).
std::vector<std::string> activeNames(const CommandFile& file, const CommandTables& tables, const std::vector<size_t>& ids,
                                     const std::vector<int>& starts) {
    std::vector<std::string> names;
    for (size_t i = 0; i < file.blocks.size(); ++i) {
        const int s = starts[i];
        const std::string& id = s >= 0 ? tables.logical->at(static_cast<size_t>(s)).id : std::string();
        names.push_back(writableTableId(id) ? "@" + id : "Table_" + std::to_string(ids[file.blocks[i].table]));
    }
    return names;
}

std::string tableLines(const CommandFile& file, const CommandTables& tables, const std::vector<size_t>& ids,
                       bool abcdeOnly) {
    if (!declaresTables(file)) return {};
    std::string out = "// Define required TABLE variables and load the corresponding tables\n";
    for (size_t i = 0; i < tables.paths.size(); ++i)
        if (ids[i] == i)
            out += "#VAR(Table_" + std::to_string(i) + ", TABLE)\n#ADDTBL(\"" + tables.paths[i] + "\", Table_" +
                   std::to_string(i) + ")\n";
    // Switches are abcde's alone: a command only abcde has makes an insert read the script by its rules.
    if (abcdeOnly) out += "#CONTINUOUSFILE(\"FALSE\") // read by abcde's rules: the tables switch\n";
    return out + "\n";
}

void dumpBlocks(const CommandFile& file, const CommandTables& tables, const std::vector<int>& starts,
                std::span<const uint8_t> doc, const Progress& progress, uint64_t maxScript, DumpResult& out) {
    std::vector<std::unique_ptr<ScriptTable>> readers(tables.tables.size());
    std::map<int, std::unique_ptr<SwitchReader>> switchReaders;
    const std::vector<size_t> ids = tableIds(tables);
    const std::vector<std::string> names = activeNames(file, tables, ids, starts);
    const bool switches = tables.logical && tables.logical->switches();
    const bool byId = std::any_of(names.begin(), names.end(), [](const std::string& n) { return n.starts_with('@'); });
    std::string game = file.blocks.empty() ? std::string() : file.blocks.front().game;
    if (!game.empty()) out.script = "//GAME NAME:\t\t" + game + "\n\n";
    out.script += tableLines(file, tables, ids, switches && !byId);
    bool bigEndian = false;
    for (size_t i = 0; i < file.blocks.size(); ++i) {
        const CartoBlock& b = file.blocks[i];
        if (!progress.keepGoing(static_cast<int64_t>(i), std::ssize(file.blocks))) return;
        if (b.game != game && !b.game.empty()) out.script += "//GAME NAME:\t\t" + b.game + "\n\n";
        game = b.game;
        const BitTable* bits = b.table < tables.bitTables.size() ? tables.bitTables[b.table] : nullptr;
        if (bits && (b.stringLength > 0 || b.jumpFrom || b.realignMultiple > 0)) {
            out.script.clear();
            out.problem = atLine(b, "TABLE") + "the table has keys of bits: its blocks are read as strings ended by end "
                                               "tokens, with no fixed length, auto jump or realigning.";
            return;
        }
        if (bits && !isPointerBlock(b) && *b.scriptStop - *b.scriptStart > kMaxBitRun) {
            out.script.clear();
            out.problem = atLine(b, "SCRIPT STOP") + "a range read through a table of bit keys is at most 4 MiB.";
            return;
        }
        if (bits && starts[i] >= 0) {
            out.script.clear();
            out.problem = atLine(b, "TABLE") + "the table has keys of bits: its strings are read without table switches or #TABLE ID.";
            return;
        }
        const SwitchReader* sw = nullptr;
        if (starts[i] >= 0) {
            auto& r = switchReaders[starts[i]];
            if (!r) r = std::make_unique<SwitchReader>(*tables.logical, static_cast<size_t>(starts[i]));
            sw = r.get();
        } else if (!readers[b.table]) {
            readers[b.table] = std::make_unique<ScriptTable>(*tables.tables[b.table]);
        }
        BlockDumper block(b, readers[b.table].get(), sw, doc, progress, maxScript - std::min<uint64_t>(maxScript, out.script.size()), bits);
        block.read();
        if (!block.tooLarge()) block.write(i, declaresTables(file) ? names[i] : std::string(), out.script, bigEndian);
        out.strings += block.strings();
        if (block.tooLarge() || out.script.size() > maxScript) {
            out.script.clear();
            out.problem = "The script would be larger than " + std::to_string(maxScript) +
                          " bytes: dump fewer blocks, or smaller ones.";
            return;
        }
    }
}

// Why the tables cannot dump the blocks, or nothing; each block's start table into `starts`.
std::string checkTables(const CommandFile& file, const CommandTables& tables, std::vector<int>& starts) {
    std::string problem;
    for (const CartoBlock& b : file.blocks) {
        starts.push_back(startTable(b, tables, problem));
        if (!problem.empty()) return problem;
    }
    const bool used = std::any_of(starts.begin(), starts.end(), [](int s) { return s >= 0; });
    if (const std::string missing = used ? tables.logical->missingTarget() : std::string(); !missing.empty())
        return "A table switches to " + missing + ", which no table the command file loads has (#TABLE or #SUB TABLE).";
    return {};
}

}  // namespace

DumpResult dumpCommandFile(const CommandFile& file, const CommandTables& tables, std::span<const uint8_t> doc,
                           const Progress& progress, uint64_t maxScript) {
    DumpResult out;
    if (!file.problem.empty() || tables.tables.size() != file.tables.size() || tables.paths.size() != file.tables.size()) {
        out.problem = file.problem.empty() ? "The command file's tables are not loaded." : file.problem;
        return out;
    }
    for (const CartoBlock& b : file.blocks)
        if (std::string why = checkBlock(b, static_cast<int64_t>(doc.size())); !why.empty()) {
            out.problem = why;
            return out;
        }
    std::vector<int> starts;
    if (out.problem = checkTables(file, tables, starts); !out.problem.empty()) return out;
    guardDump(out, progress, "dump fewer blocks.", [&] { dumpBlocks(file, tables, starts, doc, progress, maxScript, out); });
    return out;
}

}  // namespace tarpon
