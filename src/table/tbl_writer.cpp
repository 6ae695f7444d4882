// Writing a table back to its file: every line as it was read unless its entry
// changed, so that a table saved unchanged gives the same bytes.
#include <algorithm>
#include <deque>
#include <unordered_map>
#include <unordered_set>

#include "core/text_coding.h"
#include "table/tbl_file.h"
#include "table/tbl_lines.h"

namespace tarpon {
namespace {

using Role = TableSourceLine::Role;

// One line of the output, with the key it sorts by in a file of one-byte lines.
struct Chunk {
    std::string_view key;
    std::string_view bytes;
    bool ended = true;  // ends with a line end
};

class TblWriter {
public:
    TblWriter(const Table& table, const TableSource& source) : table_(table), source_(source) {
        encoding_ = source.present && source.fixedEncoding ? source.encoding : flexibleEncoding();
        if (!source.present) return;
        // Where the lines are and what each gave is read again: the source keeps only the file.
        SourceLines read = readSourceLines(source);
        lines_ = std::move(read.lines);
        reads_ = std::move(read.reads);
        oneByteLines_ = read.oneByteLines;
        newLinesAt_ = read.newLinesAt;
        for (size_t i = 0; i < lines_.size(); ++i) {
            const TableSourceLine& line = lines_[i];
            if (line.role == Role::Other) continue;
            if (reads_[i].key.empty()) tagsInFile_.push_back(&reads_[i]);
            else keysInFile_.insert(reads_[i].key);
            if (line.last) lastLine_[reads_[i].key] = i;
        }
    }

    std::optional<std::string> write(std::string* problem);
    TextEncoding encoding() const { return encoding_; }

private:
    // A file any 8-bit encoding reads (plain ASCII, or none yet): Latin-1, byte for
    // byte as the one-byte tables always were, unless a text needs UTF-8.
    TextEncoding flexibleEncoding() const {
        for (const auto* list : {&table_.entries(), &table_.endTags()})
            for (const TableEntry& entry : *list)
                if (!latin1FromUtf8(entry.text)) return TextEncoding::Utf8;
        return TextEncoding::Latin1;
    }

    std::optional<std::string> encode(const std::string& text, std::string_view key);
    std::optional<std::string> textForFile(const TableEntry& entry);
    std::optional<std::string> freshLine(const TableEntry& entry);
    std::optional<std::string> rewrittenLine(size_t at, const TableEntry& entry);
    bool keepLines();
    bool addNewEntries();
    bool unchanged(const std::string& key) const;

    const Table& table_;
    const TableSource& source_;
    TextEncoding encoding_;
    bool oneByteLines_ = true;  // a table made from nothing is written as one-byte lines are
    size_t newLinesAt_ = 0;     // the line new entries go before (lines_.size(): the end)
    std::vector<TableSourceLine> lines_;
    std::vector<Chunk> chunks_;
    std::deque<std::string> written_;  // the bytes of lines written anew, which chunks_ points into
    std::unordered_set<std::string> keysInFile_;
    std::vector<const TableEntry*> tagsInFile_;
    std::vector<TableEntry> reads_;  // the entry each line gave (its key for an emptying line)
    std::unordered_map<std::string, size_t> lastLine_;
    std::string lineEnd_;
    std::string problem_;
};

std::optional<std::string> TblWriter::encode(const std::string& text, std::string_view key) {
    char32_t refused = 0;
    std::optional<std::string> bytes = encodeText(text, encoding_, &refused);
    if (!bytes)
        problem_ = "Entry " + hexKey(key) + " holds " + describeCharacter(refused) + ", which " +
                   std::string(encodingName(encoding_)) + " has no bytes for.";
    return bytes;
}

// A text as its line holds it: in a file of one-byte lines byte for byte, as such
// tables always were (only CR LF would end the line early); elsewhere a line break
// is written "\n" and a lone CR would end the line.
std::optional<std::string> TblWriter::textForFile(const TableEntry& entry) {
    const bool breaksLine = oneByteLines_ ? entry.text.find("\r\n") != std::string::npos
                                          : entry.text.find('\r') != std::string::npos;
    if (breaksLine) {
        problem_ = "Entry " + hexKey(entry.key) + " holds a line end, which would end its line early in a table file.";
        return std::nullopt;
    }
    std::string text = oneByteLines_ ? entry.text : escapeLineBreaks(entry.text);
    if (entry.kind == EntryKind::Linked) text += "," + std::to_string(entry.params);
    return text;
}

std::optional<std::string> TblWriter::freshLine(const TableEntry& entry) {
    if (!entry.key.empty() && !textForFile(entry)) return std::nullopt;
    const bool raw = oneByteLines_ && entry.kind == EntryKind::Letter;
    return encode(raw ? hexKey(entry.key) + "=" + entry.text : entryRow(entry), entry.key);
}

// The line with its new text after the key as the file wrote it; a line for a key
// whose kind changed is written afresh.
std::optional<std::string> TblWriter::rewrittenLine(size_t at, const TableEntry& entry) {
    const TableSourceLine& line = lines_[at];
    const std::string lead = tblLineLead(source_.content(line), source_.encoding);
    std::optional<std::string> bytes;
    if (entry.kind != reads_[at].kind) {
        bytes = freshLine(entry);
    } else if (lead.ends_with('=')) {
        const std::optional<std::string> text = textForFile(entry);
        if (text) bytes = encode(lead + *text, entry.key);
    } else if (entry.text.empty()) {  // "/00" or "*FE" stays bare
        bytes = encode(lead, entry.key);
    } else {
        const std::optional<std::string> text = textForFile(entry);
        if (text) bytes = encode(lead + "=" + *text, entry.key);
    }
    if (bytes) *bytes += source_.raw(line).substr(line.length);
    return bytes;
}

// The key's entry is what the line that counted for it gave.
bool TblWriter::unchanged(const std::string& key) const {
    const TableEntry* now = table_.find(key);
    const auto last = lastLine_.find(key);
    if (last == lastLine_.end()) return false;
    const size_t at = last->second;
    return lines_[at].role == Role::Emptying ? now == nullptr : now && *now == reads_[at];
}

bool TblWriter::keepLines() {
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (i == newLinesAt_ && !addNewEntries()) return false;
        const TableSourceLine& line = lines_[i];
        const bool ended = line.endBytes > 0;
        if (line.role == Role::Other) {
            chunks_.push_back({{}, source_.raw(line), ended});
            continue;
        }
        const std::string& key = reads_[i].key;
        if (key.empty()) {  // an end tag with no bytes stays while the table has it
            const auto& tags = table_.endTags();
            if (std::find(tags.begin(), tags.end(), reads_[i]) != tags.end())
                chunks_.push_back({key, source_.raw(line), ended});
            continue;
        }
        const TableEntry* now = table_.find(key);
        if (unchanged(key) || (!line.last && now)) {
            chunks_.push_back({key, source_.raw(line), ended});
        } else if (line.last && now) {
            std::optional<std::string> bytes = rewrittenLine(i, *now);
            if (!bytes) return false;
            chunks_.push_back({key, written_.emplace_back(std::move(*bytes)), ended});
        }
    }
    return true;
}

bool TblWriter::addNewEntries() {
    std::vector<const TableEntry*> fresh;
    for (const auto* list : {&table_.entries(), &table_.endTags()})
        for (const TableEntry& entry : *list)
            if (entry.key.empty() ? std::none_of(tagsInFile_.begin(), tagsInFile_.end(),
                                                 [&](const TableEntry* tag) { return *tag == entry; })
                                  : !keysInFile_.contains(entry.key))
                fresh.push_back(&entry);
    if (oneByteLines_)
        std::stable_sort(fresh.begin(), fresh.end(), [](const TableEntry* a, const TableEntry* b) {
            return std::pair(a->key.size() != 1, a->key) < std::pair(b->key.size() != 1, b->key);
        });
    for (const TableEntry* entry : fresh) {
        std::optional<std::string> bytes = freshLine(*entry);
        if (!bytes) return false;
        chunks_.push_back({entry->key, written_.emplace_back(*bytes + lineEnd_), true});
    }
    return true;
}

std::optional<std::string> TblWriter::write(std::string* problem) {
    lineEnd_ = encode(source_.lineEnd, {}).value_or("\r\n");
    const bool newAtEnd = !source_.present || newLinesAt_ >= lines_.size();
    if ((source_.present && !keepLines()) || (newAtEnd && !addNewEntries())) {
        if (problem) *problem = problem_;
        return std::nullopt;
    }
    // A file of one-byte lines keeps its keys in order; the last line it read may have had no line end.
    if (oneByteLines_)
        std::stable_sort(chunks_.begin(), chunks_.end(), [](const Chunk& a, const Chunk& b) {
            return std::pair(a.key.size() != 1, a.key) < std::pair(b.key.size() != 1, b.key);
        });
    std::string out(source_.byteOrderMark ? byteOrderMark(encoding_) : "");
    for (size_t i = 0; i < chunks_.size(); ++i) {
        out += chunks_[i].bytes;
        if (!chunks_[i].ended && i + 1 < chunks_.size()) out += lineEnd_;
    }
    return out;
}

}  // namespace

std::optional<std::string> writeTbl(const Table& table, const TableSource& source, std::string* problem,
                                    TextEncoding* used) {
    TblWriter writer(table, source);
    if (used) *used = writer.encoding();
    return writer.write(problem);
}

}  // namespace tarpon
