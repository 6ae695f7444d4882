#include "table/tbl_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "core/hex_text.h"
#include "core/text_coding.h"
#include "table/tbl_lines.h"

namespace tarpon {
namespace {

using Role = TableSourceLine::Role;

constexpr size_t kReservedEntries = 65536;

// The keys' lines: the last one counts, and a key on several lines is reported.
// Indexed by the table's key ids, so that thousands of keys cost an array slot
// each rather than a hash.
class KeyLines {
public:
    // Notes that line `number` gives the key with this id; returns the number of the
    // key's line before it, or 0 when it is its first.
    int note(const Table& table, int32_t keyId, int number) {
        const auto id = static_cast<size_t>(keyId);
        if (id >= last_.size()) last_.resize(std::max(table.keyIds(), 2 * last_.size()), 0);
        const int before = last_[id];
        if (before == 0) ++count_;
        last_[id] = number;
        return before;
    }

    // A key met again, with the numbers of the line before and of this one: the
    // first kListedLines lines of the first kListedSkips such keys are listed.
    void noteAgain(int32_t keyId, std::string_view key, int before, int number) {
        const auto [it, first] = listed_.try_emplace(keyId, -1);
        if (!first) {
            if (it->second >= 0) {
                TblDuplicate& d = repeated_[static_cast<size_t>(it->second)];
                if (d.lines.size() < kListedLines) d.lines.push_back(number);
                ++d.count;
                d.last = number;
            }
        } else if (repeated_.size() < kListedSkips) {
            it->second = static_cast<int32_t>(repeated_.size());
            repeated_.push_back({std::string(key), {before, number}, 2, number});
        } else {
            ++repeatedCount_;
        }
    }

    int count() const { return count_; }
    std::vector<TblDuplicate>& repeated() { return repeated_; }
    int repeatedCount() const { return repeatedCount_; }

private:
    std::vector<int> last_;                        // by key id: the number of its last line, or 0
    int count_ = 0;                                // keys met
    std::unordered_map<int32_t, int32_t> listed_;  // keys met again: their place in repeated_, or -1
    std::vector<TblDuplicate> repeated_;           // the first keys met again, with their lines
    int repeatedCount_ = 0;                        // keys met again beyond those
};

void noteSkip(TblReadResult& result, int line, TblSkip reason) {
    ++result.skipped;
    if (result.firstSkips.size() < kListedSkips) result.firstSkips.push_back({line, reason});
}

// Whether the lines read so far are only one-byte "XX=text" lines, upper-case,
// ascending, each ending in CR LF.
struct OneByteLines {
    bool only = true;
    int previous = -1;
    void note(const LineFields& line, std::string_view content, std::string_view end) {
        only = only && line.role == Role::Entry && line.kind == EntryKind::Letter && line.keyLength == 1 &&
               static_cast<uint8_t>(line.keyBytes[0]) > previous && end == "\r\n" &&
               content.starts_with(hexKey(line.key()) + "=");
        if (only) previous = static_cast<uint8_t>(line.keyBytes[0]);
    }
};

// A file's encoding, its bytes after the byte-order mark, and its text as UTF-8.
struct FileText {
    DetectedEncoding encoding;
    std::string_view bytes;
    std::string_view text;  // the bytes themselves in a UTF-8 file
    bool whole = false;     // every byte is text in the encoding: the lines are read from the text
};

// The text of bytes (after any byte-order mark) in `encoding`, converted whole into
// `converted` unless that was done (or the UTF-8 checked) already. `checked`: UTF-8
// that needs no check.
FileText textOf(std::string_view bytes, DetectedEncoding encoding, bool checked, std::string& converted) {
    FileText file{encoding, bytes, {}, false};
    const TextEncoding coding = encoding.encoding;
    if (coding == TextEncoding::Utf8) {
        file.whole = checked || isValidUtf8(bytes);
        file.text = bytes;
        return file;
    }
    if (converted.empty()) converted = decodeText(bytes, coding).value_or("");
    file.whole = !converted.empty();
    file.text = converted;
    return file;
}

// Finds the encoding unless it is given, passes over a byte-order mark, and
// converts the file whole into `converted` (finding the encoding may have done
// that, or checked the UTF-8).
FileText fileText(std::string_view bytes, std::optional<TextEncoding> encoding, std::string& converted) {
    DetectedEncoding found;
    if (encoding) {
        found.encoding = *encoding;
        const std::string_view mark = byteOrderMark(*encoding);
        found.byteOrderMark = !mark.empty() && bytes.starts_with(mark);
    } else {
        found = detectEncoding(bytes, &converted);
    }
    if (found.byteOrderMark) bytes.remove_prefix(byteOrderMark(found.encoding).size());
    return textOf(bytes, found, !encoding && !found.byteOrderMark, converted);
}

// Reads a file's lines into a table, one after another. With `keepLines`, it also
// keeps where each line is and what it gave, for writing the file back.
class TblReader {
public:
    TblReader(const FileText& file, Table& table, bool keepLines, size_t part);
    void readLines(const Progress& progress);
    TblReadResult finish(TableSource* source);
    SourceLines takeLines(bool byteOrderMark);

private:
    void notePart();
    void apply(int number);
    void keep(const LineSpan& span);

    const FileText& file_;
    Table& table_;
    bool keepLines_;
    // The lines are read from the converted text when line n of the text is line n
    // of the bytes (no character of our encodings holds a CR or LF byte, but that is
    // checked), else from the bytes, line by line.
    bool inStep_ = false;
    std::optional<LineCursor> textLines_, byteLines_;
    TblReadResult result_;
    KeyLines keys_;
    LineFields line_;                // the line being read
    std::string decoded_, scratch_;  // its text, when it is not a view of the file's text
    int32_t lineKey_ = -1;           // the id of the key it gave, or -1
    std::vector<TableSourceLine> lines_;  // with keepLines: the lines, a run of lines that give no entry as one
    std::vector<int32_t> lineKeys_;      // the id of the key each of them gave, or -1
    std::vector<TableEntry> reads_;      // and the entry
    OneByteLines oneByte_;
    int64_t lineCount_ = 0;
    // The logical tables: their names, the one whose lines are read, the one the line is in.
    std::vector<std::string> names_;
    size_t part_ = 0, at_ = 0;
    bool startsPart_ = false;  // the line starts a logical table after the first
    size_t newLinesAt_ = SIZE_MAX;  // with keepLines: the first kept line after the table read
};

// Room for the lines that may hold an entry, up to a bound that no junk file can push further.
size_t expectedEntries(std::string_view bytes, size_t lines) {
    const size_t equals = countWhere(0, bytes.size(), [bytes](size_t i) { return bytes[i] == '='; });
    return std::min({equals, lines, kReservedEntries});
}

TblReader::TblReader(const FileText& file, Table& table, bool keepLines, size_t part)
    : file_(file), table_(table), keepLines_(keepLines), part_(part) {
    const TextEncoding coding = file.encoding.encoding;
    if (file.whole) textLines_.emplace(file.text, TextEncoding::Utf8);
    inStep_ = file.whole && (coding == TextEncoding::Utf8 || textLines_->count() == countLines(file.bytes, coding));
    if (keepLines || !inStep_) byteLines_.emplace(file.bytes, coding);
    const size_t lineCount = inStep_ ? textLines_->count() : byteLines_->count();
    lineCount_ = static_cast<int64_t>(lineCount);
    const size_t expected = expectedEntries(file.bytes, lineCount);
    table_.reserve(expected);
    if (keepLines) {
        lines_.reserve(lineCount);
        lineKeys_.reserve(lineCount);
        reads_.reserve(lineCount);
    }
    result_.encoding = file.encoding;
}

void TblReader::readLines(const Progress& progress) {
    const std::string_view bytes = file_.bytes, text = file_.text;
    LineSpan span, textSpan;
    for (int number = 1;; ++number) {
        if (number % 1024 == 1 && !progress.keepGoing(number - 1, lineCount_)) break;
        if (byteLines_ && !byteLines_->next(span)) break;
        if (inStep_) {
            if (!textLines_->next(textSpan)) break;
            const bool lastLine = textSpan.start + textSpan.length + textSpan.endBytes >= text.size();
            readTblFields(text.substr(textSpan.start, textSpan.length), lastLine, line_, scratch_);
        } else if (std::optional<std::string> decoded =
                       decodeText(bytes.substr(span.start, span.length), file_.encoding.encoding)) {
            decoded_ = std::move(*decoded);
            readTblFields(decoded_, span.start + span.length + span.endBytes >= bytes.size(), line_, scratch_);
        } else {
            line_.reset();
            line_.skipped = true;
            line_.reason = TblSkip::NotEncoded;
        }
        notePart();
        apply(number);
        if (keepLines_) keep(span);
    }
}

// Notes a line that names a logical table; a line of a table other than the one read
// gives nothing.
void TblReader::notePart() {
    startsPart_ = line_.names && !names_.empty();
    if (line_.names) {
        if (startsPart_) ++at_;
        names_.resize(at_ + 1);
        names_[at_] = std::string(line_.text);
    }
    if (at_ != part_) line_.reset();
}

// Applies the line read to the table, counting what it did.
void TblReader::apply(int number) {
    const LineFields& line = line_;
    lineKey_ = -1;
    if (line.role == Role::Other) {
        if (line.skipped) noteSkip(result_, number, line.reason);
        return;
    }
    int32_t id = -1;
    if (line.role == Role::Entry) {
        id = table_.set(line.key(), line.text, line.kind, line.params);
    } else {
        id = table_.keyId(line.key());
        table_.remove(line.key());
    }
    if (id < 0) {  // an end tag with no bytes
        ++result_.entries;
        return;
    }
    lineKey_ = id;
    if (const int before = keys_.note(table_, id, number); before > 0) [[unlikely]]
        keys_.noteAgain(id, line.key(), before, number);
}

// Keeps where the line is.
void TblReader::keep(const LineSpan& span) {
    const std::string_view content = file_.bytes.substr(span.start, span.length);
    oneByte_.note(line_, content, file_.bytes.substr(span.start + span.length, span.endBytes));
    const Role role = line_.role;
    if (startsPart_ && at_ == part_ + 1) newLinesAt_ = lines_.size();
    if (role == Role::Other && !startsPart_ && !lines_.empty() && lines_.back().role == Role::Other) {
        TableSourceLine& run = lines_.back();
        run.length = span.start + span.length - run.start;
        run.endBytes = span.endBytes;
        return;
    }
    lines_.push_back({span.start, span.length, span.endBytes, role, false});
    lineKeys_.push_back(lineKey_);
    TableEntry& read = reads_.emplace_back();
    if (role == Role::Other) return;
    read = {std::string(line_.key()), std::string(line_.text), line_.kind, line_.params};
}

TblReadResult TblReader::finish(TableSource* source) {
    result_.entries += keys_.count();
    result_.firstDuplicates = std::move(keys_.repeated());
    result_.duplicates = static_cast<int>(result_.firstDuplicates.size()) + keys_.repeatedCount();
    result_.tables = names_;
    result_.part = part_;
    if (!source) return std::move(result_);
    const DetectedEncoding& found = file_.encoding;
    *source = TableSource{};
    source->present = true;
    source->encoding = found.encoding;
    source->fixedEncoding = !found.ascii;
    source->byteOrderMark = found.byteOrderMark;
    const std::string_view end = inStep_ ? textLines_->firstEnd() : byteLines_->firstEnd();
    if (!end.empty()) source->lineEnd = inStep_ ? std::string(end) : decodeText(end, found.encoding).value_or("\r\n");
    source->bytes = std::string(file_.bytes);
    source->tables = std::move(names_);
    source->part = part_;
    return std::move(result_);
}

// The kept lines, each marked when it is the last for its key (the one that counted).
SourceLines TblReader::takeLines(bool byteOrderMark) {
    std::vector<bool> seen(table_.keyIds());
    for (size_t i = lines_.size(); i-- > 0;) {
        const int32_t id = lineKeys_[i];
        if (id < 0 || seen[static_cast<size_t>(id)]) continue;
        seen[static_cast<size_t>(id)] = true;
        lines_[i].last = true;
    }
    const bool oneByte = oneByte_.only && !byteOrderMark && codeUnitSize(file_.encoding.encoding) == 1;
    const size_t newLinesAt = std::min(newLinesAt_, lines_.size());
    return {std::move(lines_), std::move(reads_), oneByte, newLinesAt};
}

}  // namespace

std::string hexKey(std::string_view key) {
    std::string out;
    for (const char c : key) appendHexByte(out, static_cast<uint8_t>(c));
    return out;
}

std::string_view skipReason(TblSkip reason) {
    switch (reason) {
    case TblSkip::LongKey: return "keys of more than 32 bytes are not supported";
    case TblSkip::NoEquals: return "no \"=\" after the key";
    case TblSkip::BadKey: return "the key is not an even number of hexadecimal digits";
    case TblSkip::TableId: return "an \"@\" line other than a table's name (@name on a line of its own) is not read";
    case TblSkip::TableSwitch: return "table switches (!XX) are kept in the file, but the window does not follow them";
    case TblSkip::BitKey: return "bit-string keys (%...) are kept in the file, but the window does not read them";
    case TblSkip::BadLinked: return "a linked entry ($XX=text,N) needs its number of parameter bytes";
    case TblSkip::NotEncoded: return "bytes that are not text in the file's encoding";
    }
    return {};
}

TblReadResult readTbl(std::string_view bytes, Table& table, TableSource* source,
                      std::optional<TextEncoding> encoding, const Progress& progress, size_t part) {
    std::string converted;
    const FileText file = fileText(bytes, encoding, converted);
    TblReader reader(file, table, false, part);
    reader.readLines(progress);
    return reader.finish(progress.stopped() ? nullptr : source);
}

SourceLines readSourceLines(const TableSource& source) {
    std::string converted;
    DetectedEncoding encoding{source.encoding};
    encoding.byteOrderMark = source.byteOrderMark;
    const FileText file = textOf(source.bytes, encoding, false, converted);
    Table table;
    TblReader reader(file, table, true, source.part);
    reader.readLines({});
    return reader.takeLines(source.byteOrderMark);
}

std::string readLogicalTable(Table& table, TableSource& source, size_t part) {
    if (!source.present || part >= source.tables.size()) return "the table file holds no such table";
    std::string problem;
    TextEncoding used = source.encoding;
    const std::optional<std::string> bytes = writeTbl(table, source, &problem, &used);
    if (!bytes) return problem;
    Table chosen;
    TableSource kept;
    readTbl(*bytes, chosen, &kept, used, {}, part);
    kept.fixedEncoding = source.fixedEncoding || hasByteAbove7F(*bytes);
    kept.path = source.path;
    kept.stamp = source.stamp;
    table = std::move(chosen);
    source = std::move(kept);
    return {};
}

TblLoadResult loadTblFile(const std::string& path, Table& table, TableSource& source,
                          std::optional<TextEncoding> encoding, const Progress& progress) {
    TblLoadResult result;
    // Reading creates a missing file; a table that is not there is an error instead.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        result.error = "Cannot open \"" + path + "\": " + std::strerror(errno);
        return result;
    }
    ReadResult read = readWholeFile(path, kMaxTblFileSize);
    if (read.status == ReadStatus::TooLarge) {
        result.error = "\"" + path + "\" is too big for a table file (16 MiB or more).";
        return result;
    }
    if (read.status != ReadStatus::Ok) {
        result.error = read.error;
        return result;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size());
    Table merged = table;  // a stopped load leaves the table as it was
    TableSource kept;
    result.read = readTbl(bytes, merged, &kept, encoding, progress);
    if (progress.stopped()) {
        result.status = TblLoadStatus::Cancelled;
        return result;
    }
    table = std::move(merged);
    source = std::move(kept);
    source.path = path;
    source.stamp = read.stamp;
    result.status = TblLoadStatus::Loaded;
    return result;
}

namespace {

// "41 on lines 1, 5 and 9"; a key on more lines than are listed: "41 on lines 1, 2, 3, 4
// and 996 more (the last, line 1000, counts)".
std::string describeDuplicate(const TblDuplicate& d) {
    std::string text = hexKey(d.key) + " on lines";
    const int more = d.count - static_cast<int>(d.lines.size());
    for (size_t i = 0; i < d.lines.size(); ++i)
        text += (i == 0 ? " " : i + 1 == d.lines.size() && more == 0 ? " and " : ", ") + std::to_string(d.lines[i]);
    if (more > 0)
        text += " and " + std::to_string(more) + " more (the last, line " + std::to_string(d.last) + ", counts)";
    return text;
}

// "The file holds 2 tables, @main and @items: the entries are those of @main (the table editor chooses another)."
std::string describeTables(const TblReadResult& read) {
    std::string text = "The file holds " + std::to_string(read.tables.size()) + " tables, ";
    for (size_t i = 0; i < read.tables.size(); ++i)
        text += (i == 0 ? "" : i + 1 == read.tables.size() ? " and " : ", ") + ("@" + read.tables[i]);
    const std::string chosen = read.part < read.tables.size() ? "@" + read.tables[read.part] : "none";
    return text + ": the entries are those of " + chosen + " (the table editor chooses another).";
}

}  // namespace

std::string describeTblLoad(const std::string& path, const TblReadResult& read) {
    const bool several = read.tables.size() > 1;
    if (read.skipped == 0 && read.duplicates == 0 && !several) return {};
    const std::string encoding = read.encoding.ascii ? "ASCII" : std::string(encodingName(read.encoding.encoding));
    std::string text = "Read " + std::to_string(read.entries) + (read.entries == 1 ? " entry" : " entries") +
                       " from \"" + path + "\" (" + encoding + ").";
    if (several) text += "\n" + describeTables(read);
    if (read.duplicates > 0) {
        text += "\n" + std::to_string(read.duplicates) + (read.duplicates == 1 ? " key was" : " keys were") +
                " given more than once (the last line counts):";
        for (const TblDuplicate& duplicate : read.firstDuplicates) text += "\n" + describeDuplicate(duplicate);
        const int more = read.duplicates - static_cast<int>(read.firstDuplicates.size());
        if (more > 0) text += "\nand " + std::to_string(more) + " more.";
    }
    if (read.skipped == 0) return text;
    text += "\n" + std::to_string(read.skipped) + (read.skipped == 1 ? " line was" : " lines were") +
            " skipped (kept as they are when the table is saved):";
    for (const TblSkippedLine& skip : read.firstSkips)
        text += "\nline " + std::to_string(skip.line) + ": " + std::string(skipReason(skip.reason));
    const int more = read.skipped - static_cast<int>(read.firstSkips.size());
    if (more > 0) text += "\nand " + std::to_string(more) + " more.";
    return text;
}

SaveStatus saveTblFile(const std::string& path, const Table& table, TableSource& source, FileIo& io,
                       std::string* error, const FileStamp* expected) {
    TextEncoding used = TextEncoding::Utf8;
    const std::optional<std::string> bytes = writeTbl(table, source, error, &used);
    if (!bytes) return SaveStatus::Failed;
    const SaveResult saved =
        replaceFile(path, reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size(), io, expected);
    if (error) *error = saved.error;
    if (!saved.saved()) {
        // Put back after a failed save in place: the same file, at a new time.
        if (saved.stamp.known && path == source.path) source.stamp = saved.stamp;
        return saved.status;
    }
    // An encoding chosen only because every text fitted it stays open to change.
    const bool fixed = (source.present && source.fixedEncoding) || hasByteAbove7F(*bytes);
    Table written;
    readTbl(*bytes, written, &source, used, {}, source.part);
    source.fixedEncoding = fixed;
    source.path = path;
    source.stamp = saved.stamp;
    return saved.status;
}

}  // namespace tarpon
