#include "table/tbl_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_map>

#include "core/text_coding.h"
#include "table/tbl_lines.h"

namespace tarpon {
namespace {

using Role = TableSourceLine::Role;

// Where each line's key went, for the duplicates and for "the last line counts".
struct KeyLines {
    std::unordered_map<std::string, std::vector<int>> lines;  // key -> line indexes (from 0)
    std::vector<std::string> order;                           // keys in the order first met
};

void noteSkip(TblReadResult& result, int line, TblSkip reason) {
    ++result.skipped;
    if (result.firstSkips.size() < kListedSkips) result.firstSkips.push_back({line, reason});
}

void noteKey(KeyLines& keys, const std::string& key, int index) {
    auto [it, fresh] = keys.lines.try_emplace(key);
    if (fresh) keys.order.push_back(key);
    it->second.push_back(index);
}

// Applies one parsed line to the table, counting what it did.
void applyLine(const ParsedLine& parsed, int index, Table& table, TblReadResult& result, KeyLines& keys) {
    if (parsed.role == Role::Entry) {
        if (parsed.entry.key.empty()) ++result.entries;
        else noteKey(keys, parsed.entry.key, index);
        table.set(parsed.entry);
    } else if (parsed.role == Role::Emptying) {
        noteKey(keys, parsed.entry.key, index);
        table.remove(parsed.entry.key);
    } else if (parsed.skipped) {
        noteSkip(result, index + 1, parsed.reason);
    }
}

void noteDuplicates(const KeyLines& keys, TblReadResult& result) {
    result.entries += static_cast<int>(keys.order.size());
    for (const std::string& key : keys.order) {
        const std::vector<int>& lines = keys.lines.at(key);
        if (lines.size() < 2) continue;
        ++result.duplicates;
        if (result.firstDuplicates.size() >= kListedSkips) continue;
        TblDuplicate duplicate{key, {}};
        for (const int line : lines) duplicate.lines.push_back(line + 1);
        result.firstDuplicates.push_back(std::move(duplicate));
    }
}

// A file of one-byte "XX=text" lines only, upper-case, ascending, each ending in CR LF.
bool onlyOneByteLines(const TableSource& source) {
    if (source.byteOrderMark || codeUnitSize(source.encoding) != 1) return false;
    int previous = -1;
    for (const TableSourceLine& line : source.lines) {
        if (line.role != Role::Entry || line.read.kind != EntryKind::Letter || line.read.key.size() != 1) return false;
        const int value = static_cast<uint8_t>(line.read.key[0]);
        if (value <= previous || line.lead != hexKey(line.read.key) + "=") return false;
        if (line.endBytes != 2 || !line.raw.ends_with("\r\n")) return false;
        previous = value;
    }
    return true;
}

void keepSource(TableSource& source, std::vector<TableSourceLine> lines, const KeyLines& keys,
                const DetectedEncoding& found, std::string lineEnd) {
    for (const auto& [key, indexes] : keys.lines) lines[static_cast<size_t>(indexes.back())].last = true;
    source = TableSource{};
    source.present = true;
    source.encoding = found.encoding;
    source.fixedEncoding = !found.ascii;
    source.byteOrderMark = found.byteOrderMark;
    source.lineEnd = std::move(lineEnd);
    source.lines = std::move(lines);
    source.oneByteLines = onlyOneByteLines(source);
}

DetectedEncoding chooseEncoding(std::string_view bytes, std::optional<TextEncoding> encoding) {
    if (!encoding) return detectEncoding(bytes);
    DetectedEncoding chosen{*encoding};
    const std::string_view mark = byteOrderMark(*encoding);
    chosen.byteOrderMark = !mark.empty() && bytes.starts_with(mark);
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
    result.encoding = chooseEncoding(bytes, encoding);
    if (result.encoding.byteOrderMark) bytes.remove_prefix(byteOrderMark(result.encoding.encoding).size());
    const std::vector<LineSpan> spans = splitLines(bytes, result.encoding.encoding);
    std::vector<TableSourceLine> lines(source ? spans.size() : 0);
    KeyLines keys;
    std::string lineEnd;
    for (size_t i = 0; i < spans.size(); ++i) {
        const LineSpan& span = spans[i];
        const std::string_view content = bytes.substr(span.start, span.length);
        const bool lastLine = span.start + span.length + span.endBytes >= bytes.size();
        const ParsedLine parsed = parseTblLine(content, result.encoding.encoding, lastLine);
        applyLine(parsed, static_cast<int>(i), table, result, keys);
        if (lineEnd.empty() && span.endBytes > 0)
            lineEnd = decodeText(bytes.substr(span.start + span.length, span.endBytes), result.encoding.encoding)
                          .value_or("\r\n");
        if (!source) continue;
        TableSourceLine& line = lines[i];
        line.raw = std::string(bytes.substr(span.start, span.length + span.endBytes));
        line.endBytes = span.endBytes;
        line.lead = parsed.lead;
        line.role = parsed.role;
        line.read = parsed.entry;
    }
    noteDuplicates(keys, result);
    if (source) keepSource(*source, std::move(lines), keys, result.encoding, lineEnd.empty() ? "\r\n" : lineEnd);
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
    if (!bytes || !replaceFile(path, reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size(), io, error))
        return false;
    // An encoding chosen only because every text fitted it stays open to change.
    const bool fixed = (source.present && source.fixedEncoding) || hasByteAbove7F(*bytes);
    Table written;
    readTbl(*bytes, written, &source, used);
    source.fixedEncoding = fixed;
    source.path = path;
    return true;
}

}  // namespace tarpon
