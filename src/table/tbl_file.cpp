#include "table/tbl_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <bitset>
#include <cerrno>
#include <cstring>

#include "core/text_coding.h"

namespace tarpon {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

int hexValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return -1;
}

bool isBlank(char ch) { return ch == ' ' || ch == '\t'; }

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A line of nothing but white space, a lone CR or LF included, is blank.
bool isBlankLine(std::string_view line) {
    for (const char ch : line)
        if (!isBlank(ch) && ch != '\r' && ch != '\n' && ch != '\f' && ch != '\v') return false;
    return true;
}

// The byte a key names; -1 and the reason when it names none.
int keyValue(std::string_view key, TblSkip* reason) {
    bool hex = !key.empty();
    for (const char ch : key) hex = hex && hexValue(ch) >= 0;
    if (hex && key.size() == 2) return hexValue(key[0]) * 16 + hexValue(key[1]);
    *reason = hex && key.size() % 2 == 0 ? TblSkip::WideKey : TblSkip::BadKey;
    return -1;
}

// One line's entry, or why it has none.
struct LineEntry {
    enum { None, Entry, Skipped } kind = None;
    int value = 0;
    std::string_view letters;
    TblSkip reason = TblSkip::BadKey;
};

LineEntry readLine(std::string_view line) {
    LineEntry out;
    if (isBlankLine(line)) return out;
    size_t start = 0;
    while (isBlank(line[start])) ++start;
    const char lead = line[start];
    if (lead == '#' || lead == ';') return out;
    const bool marker = lead == '*';
    if (marker || lead == '/') ++start;
    const size_t equals = line.find('=', start);
    out.kind = LineEntry::Skipped;
    if (equals == std::string_view::npos && !marker) {
        out.reason = TblSkip::NoEquals;
        return out;
    }
    const size_t keyEnd = equals == std::string_view::npos ? line.size() : equals;
    out.value = keyValue(trimBlanks(line.substr(start, keyEnd - start)), &out.reason);
    if (out.value < 0) return out;
    if (marker) {
        if (keyEnd < line.size() && !trimBlanks(line.substr(keyEnd + 1)).empty()) {
            out.reason = TblSkip::MarkerText;
            return out;
        }
        out.letters = kNewlineMarkerLetters;
    } else {
        out.letters = line.substr(equals + 1);
    }
    out.kind = LineEntry::Entry;
    return out;
}

TblCoding codingOf(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) return TblCoding::Utf8;
    if (!hasByteAbove7F(text)) return TblCoding::Ascii;
    return isValidUtf8(text) ? TblCoding::Utf8 : TblCoding::Latin1;
}

}  // namespace

std::string writeTbl(const CharTable& table) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t b = 0; b < table.size(); ++b) {
        if (table[b].empty()) continue;
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
        out += '=';
        out += table[b];
        out += "\r\n";
    }
    return out;
}

int unwritableEntry(const CharTable& table) {
    for (size_t b = 0; b < table.size(); ++b)
        if (table[b].find("\r\n") != std::string::npos) return static_cast<int>(b);
    return -1;
}

std::string_view skipReason(TblSkip reason) {
    switch (reason) {
    case TblSkip::WideKey: return "keys of more than one byte are not supported";
    case TblSkip::NoEquals: return "no \"=\" after the key";
    case TblSkip::BadKey: return "the key is not two hexadecimal digits";
    case TblSkip::MarkerText: return "a newline marker (*XX) takes no letters";
    }
    return {};
}

TblReadResult readTbl(std::string_view text, CharTable& table) {
    TblReadResult result;
    result.coding = codingOf(text);
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    const bool crlfOnly = text.find("\r\n") != std::string_view::npos;
    std::bitset<256> given;
    int lineNumber = 0;
    for (size_t i = 0; i < text.size();) {
        ++lineNumber;
        const size_t end = crlfOnly ? text.find("\r\n", i) : text.find_first_of("\r\n", i);
        const size_t next = end == std::string_view::npos ? text.size() : end + (crlfOnly ? 2 : 1);
        const std::string_view line = text.substr(i, std::min(end, text.size()) - i);
        i = next;
        const LineEntry entry = readLine(line);
        if (entry.kind == LineEntry::Skipped) {
            ++result.skipped;
            if (result.firstSkips.size() < kListedSkips) result.firstSkips.push_back({lineNumber, entry.reason});
            continue;
        }
        // The last line is read only with letters, as a line too short to hold any always was.
        if (entry.kind == LineEntry::None || (entry.letters.empty() && next >= text.size())) continue;
        table[static_cast<size_t>(entry.value)] = std::string(entry.letters);
        given.set(static_cast<size_t>(entry.value));
    }
    result.entries = static_cast<int>(given.count());
    return result;
}

TblLoadResult loadTblFile(const std::string& path, CharTable& table) {
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
    const std::string_view text(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size());
    result.read = readTbl(text, table);
    result.status = TblLoadStatus::Loaded;
    return result;
}

std::string describeTblLoad(const std::string& path, const TblReadResult& read) {
    std::string text = "Read " + std::to_string(read.entries) + (read.entries == 1 ? " entry" : " entries") +
                       " from \"" + path + "\".";
    if (read.skipped == 0) return text;
    text += "\n" + std::to_string(read.skipped) + (read.skipped == 1 ? " line was" : " lines were") +
            " skipped:";
    for (const TblSkippedLine& skip : read.firstSkips)
        text += "\nline " + std::to_string(skip.line) + ": " + std::string(skipReason(skip.reason));
    const int more = read.skipped - static_cast<int>(read.firstSkips.size());
    if (more > 0) text += "\nand " + std::to_string(more) + " more.";
    return text;
}

bool saveTblFile(const std::string& path, const CharTable& table, FileIo& io, std::string* error) {
    const int bad = unwritableEntry(table);
    if (bad >= 0) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        if (error)
            *error = std::string("Entry ") + kDigits[bad >> 4] + kDigits[bad & 15] +
                     " holds CR LF, which would end its line early in a table file.";
        return false;
    }
    const std::string text = writeTbl(table);
    const SaveResult saved = replaceFile(path, reinterpret_cast<const uint8_t*>(text.data()), text.size(), io);
    if (error) *error = saved.error;
    return saved.saved();
}

}  // namespace tarpon
