#include "table/tbl_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/text_coding.h"
#include "table/tbl_lines.h"

namespace tarpon {
namespace {

using Role = TableSourceLine::Role;

constexpr size_t kReservedEntries = 65536;

// Where each key's lines are: the last one counts, and a key on several lines is
// reported. Indexed by the table's key ids, so that thousands of keys cost an
// array slot each rather than a hash.
class KeyLines {
public:
    explicit KeyLines(size_t expected) { keys_.reserve(expected); }

    // `keyId`: the table's id of the key; `index`: the line's place in the kept
    // lines; `number`: its line number.
    void note(const Table& table, int32_t keyId, std::string_view key, int index, int number) {
        const auto id = static_cast<size_t>(keyId);
        if (id >= slots_.size()) slots_.resize(std::max(table.keyIds(), 2 * slots_.size()), -1);
        if (slots_[id] < 0) {
            slots_[id] = static_cast<int32_t>(keys_.size());
            keys_.push_back({index, number});
            return;
        }
        Key& k = keys_[static_cast<size_t>(slots_[id])];
        if (k.listed >= 0) {
            repeated_[static_cast<size_t>(k.listed)].lines.push_back(number);
        } else if (!k.repeated) {  // the lines of the first kListedSkips keys met again are listed
            k.repeated = true;
            if (repeated_.size() < kListedSkips) {
                k.listed = static_cast<int>(repeated_.size());
                repeated_.push_back({std::string(key), {k.lastNumber, number}});
            } else {
                ++repeatedCount_;
            }
        }
        k.last = index;
        k.lastNumber = number;
    }

    // Marks the line that counts for each key; returns how many keys there were.
    int markLastLines(std::vector<TableSourceLine>& lines) const {
        for (const Key& k : keys_) lines[static_cast<size_t>(k.last)].last = true;
        return static_cast<int>(keys_.size());
    }
    std::vector<TblDuplicate>& repeated() { return repeated_; }
    int repeatedCount() const { return repeatedCount_; }

private:
    struct Key {
        int last = 0;             // the place of the last line that gives it
        int lastNumber = 0;       // that line's number
        int listed = -1;          // its place in repeated_
        bool repeated = false;    // met on more than one line
    };

    std::vector<int32_t> slots_;  // key id -> index into keys_, or -1
    std::vector<Key> keys_;
    std::vector<TblDuplicate> repeated_;  // the first keys met again, with their lines
    int repeatedCount_ = 0;               // keys met again beyond those
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
    void note(const ParsedLine& parsed, std::string_view content, std::string_view end) {
        const TableEntry& e = parsed.entry;
        only = only && parsed.role == Role::Entry && e.kind == EntryKind::Letter && e.key.size() == 1 &&
               static_cast<uint8_t>(e.key[0]) > previous && end == "\r\n" &&
               content.starts_with(hexKey(e.key) + "=");
        if (only) previous = static_cast<uint8_t>(e.key[0]);
    }
};

// Applies one parsed line to the table, counting what it did.
void applyLine(ParsedLine& parsed, int index, int number, Table& table, TblReadResult& result, KeyLines& keys) {
    if (parsed.role == Role::Entry) {
        const int32_t id = table.set(std::move(parsed.entry));
        if (id < 0) ++result.entries;
        else keys.note(table, id, table.entryOf(id)->key, index, number);
    } else if (parsed.role == Role::Emptying) {
        keys.note(table, table.keyId(parsed.entry.key), parsed.entry.key, index, number);
        table.remove(parsed.entry.key);
    } else if (parsed.skipped) {
        noteSkip(result, number, parsed.reason);
    }
}

// Keeps where a line is; a run of lines that give no entry is kept as one.
void keepLine(std::vector<TableSourceLine>& lines, const LineSpan& span, Role role) {
    if (role == Role::Other && !lines.empty() && lines.back().role == Role::Other) {
        TableSourceLine& run = lines.back();
        run.length = span.start + span.length - run.start;
        run.endBytes = span.endBytes;
        return;
    }
    lines.push_back({span.start, span.length, span.endBytes, role, false});
}

void keepSource(TableSource& source, std::vector<TableSourceLine> lines, std::string_view bytes,
                const DetectedEncoding& found, std::string lineEnd, bool oneByteLines) {
    source = TableSource{};
    source.present = true;
    source.encoding = found.encoding;
    source.fixedEncoding = !found.ascii;
    source.byteOrderMark = found.byteOrderMark;
    source.lineEnd = lineEnd.empty() ? "\r\n" : std::move(lineEnd);
    source.bytes = std::string(bytes);
    source.lines = std::move(lines);
    source.oneByteLines = oneByteLines && !found.byteOrderMark && codeUnitSize(found.encoding) == 1;
}

// The file's encoding, and its text as UTF-8 when it converts whole (finding the
// encoding may have done that already).
DetectedEncoding chooseEncoding(std::string_view bytes, std::optional<TextEncoding> encoding, std::string* text) {
    DetectedEncoding chosen;
    if (encoding) {
        chosen.encoding = *encoding;
        const std::string_view mark = byteOrderMark(*encoding);
        chosen.byteOrderMark = !mark.empty() && bytes.starts_with(mark);
    } else {
        chosen = detectEncoding(bytes, text);
    }
    if (chosen.byteOrderMark) bytes.remove_prefix(byteOrderMark(chosen.encoding).size());
    if (text->empty() && chosen.encoding != TextEncoding::Utf8) *text = decodeText(bytes, chosen.encoding).value_or("");
    return chosen;
}

}  // namespace

std::string hexKey(std::string_view key) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : key) {
        out += kDigits[static_cast<uint8_t>(c) >> 4];
        out += kDigits[static_cast<uint8_t>(c) & 15];
    }
    return out;
}

std::string_view skipReason(TblSkip reason) {
    switch (reason) {
    case TblSkip::LongKey: return "keys of more than 32 bytes are not supported";
    case TblSkip::NoEquals: return "no \"=\" after the key";
    case TblSkip::BadKey: return "the key is not an even number of hexadecimal digits";
    case TblSkip::TableId: return "table names (@name) are not supported";
    case TblSkip::TableSwitch: return "table switches (!XX) are not supported";
    case TblSkip::BitKey: return "bit-string keys (%...) are not supported";
    case TblSkip::BadLinked: return "a linked entry ($XX=text,N) needs its number of parameter bytes";
    case TblSkip::NotEncoded: return "bytes that are not text in the file's encoding";
    }
    return {};
}

TblReadResult readTbl(std::string_view bytes, Table& table, TableSource* source,
                      std::optional<TextEncoding> encoding) {
    TblReadResult result;
    std::string converted;
    result.encoding = chooseEncoding(bytes, encoding, &converted);
    const TextEncoding coding = result.encoding.encoding;
    if (result.encoding.byteOrderMark) bytes.remove_prefix(byteOrderMark(coding).size());
    // A UTF-8 file is its own text once it is valid; any other is converted once,
    // whole, and read in step with its bytes when its lines are the same.
    const bool utf8 = coding == TextEncoding::Utf8;
    const std::string_view text = utf8 ? bytes : std::string_view(converted);
    LineCursor byteLines(bytes, coding), textLines(text, TextEncoding::Utf8);
    const size_t lineCount = byteLines.count();
    const bool inStep = utf8 ? isValidUtf8(bytes) : !converted.empty() && textLines.count() == lineCount;
    std::vector<TableSourceLine> lines;
    // Room for the lines that may hold an entry, up to a bound that no junk file can push further.
    const size_t equals = static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '='));
    const size_t expected = std::min({equals, lineCount, kReservedEntries});
    table.reserve(expected);
    lines.reserve(expected);
    KeyLines keys(expected);
    OneByteLines oneByte;
    std::string lineEnd;
    LineSpan span, textSpan;
    for (int number = 1; byteLines.next(span); ++number) {
        const bool lastLine = span.start + span.length + span.endBytes >= bytes.size();
        const std::string_view content = bytes.substr(span.start, span.length);
        const std::string_view end = bytes.substr(span.start + span.length, span.endBytes);
        ParsedLine parsed = inStep && textLines.next(textSpan)
                                ? parseTblText(text.substr(textSpan.start, textSpan.length), lastLine)
                                : parseTblLine(content, coding, lastLine);
        if (lineEnd.empty() && !end.empty()) lineEnd = decodeText(end, coding).value_or("\r\n");
        keepLine(lines, span, parsed.role);
        oneByte.note(parsed, content, end);
        applyLine(parsed, static_cast<int>(lines.size() - 1), number, table, result, keys);
    }
    result.entries += keys.markLastLines(lines);
    result.firstDuplicates = std::move(keys.repeated());
    result.duplicates = static_cast<int>(result.firstDuplicates.size()) + keys.repeatedCount();
    if (source) keepSource(*source, std::move(lines), bytes, result.encoding, std::move(lineEnd), oneByte.only);
    return result;
}

TblLoadResult loadTblFile(const std::string& path, Table& table, TableSource& source,
                          std::optional<TextEncoding> encoding) {
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
    result.read = readTbl(bytes, table, &source, encoding);
    source.path = path;
    result.status = TblLoadStatus::Loaded;
    return result;
}

std::string describeTblLoad(const std::string& path, const TblReadResult& read) {
    if (read.skipped == 0 && read.duplicates == 0) return {};
    const std::string encoding = read.encoding.ascii ? "ASCII" : std::string(encodingName(read.encoding.encoding));
    std::string text = "Read " + std::to_string(read.entries) + (read.entries == 1 ? " entry" : " entries") +
                       " from \"" + path + "\" (" + encoding + ").";
    if (read.duplicates > 0) {
        text += "\n" + std::to_string(read.duplicates) + (read.duplicates == 1 ? " key was" : " keys were") +
                " given more than once (the last line counts):";
        for (const TblDuplicate& duplicate : read.firstDuplicates) {
            text += "\n" + hexKey(duplicate.key) + " on lines";
            for (size_t i = 0; i < duplicate.lines.size(); ++i)
                text += (i == 0 ? " " : i + 1 == duplicate.lines.size() ? " and " : ", ") +
                        std::to_string(duplicate.lines[i]);
        }
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

bool saveTblFile(const std::string& path, const Table& table, TableSource& source, FileIo& io, std::string* error) {
    TextEncoding used = TextEncoding::Utf8;
    const std::optional<std::string> bytes = writeTbl(table, source, error, &used);
    if (!bytes) return false;
    const SaveResult saved = replaceFile(path, reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size(), io);
    if (error) *error = saved.error;
    if (!saved.saved()) return false;
    // An encoding chosen only because every text fitted it stays open to change.
    const bool fixed = (source.present && source.fixedEncoding) || hasByteAbove7F(*bytes);
    Table written;
    readTbl(*bytes, written, &source, used);
    source.fixedEncoding = fixed;
    source.path = path;
    return true;
}

}  // namespace tarpon
