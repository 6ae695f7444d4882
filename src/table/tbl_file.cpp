#include "table/tbl_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace tarpon {
namespace {

// A line is read only when at least this many characters remain from its start:
// two digits, "=", one letter and CR LF.
constexpr size_t kShortestLine = 6;
// An unterminated last line needs two digits, "=" and one letter.
constexpr size_t kShortestLastLine = 4;

int hexValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return -1;
}

// The byte value of a line's two leading characters, read as a hexadecimal number
// that ends at the first character that is not a digit: "4G" gives 4, "G4" gives 0.
uint8_t lineValue(char first, char second) {
    const int hi = hexValue(first);
    if (hi < 0) return 0;
    const int lo = hexValue(second);
    return static_cast<uint8_t>(lo < 0 ? hi : hi * 16 + lo);
}

bool isLineEnd(std::string_view text, size_t j) {
    return j + 1 < text.size() && text[j] == '\r' && text[j + 1] == '\n';
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

TblReadEnd readTbl(std::string_view text, CharTable& table) {
    const size_t size = text.size();
    size_t i = 0;
    for (;;) {
        const size_t left = size - i;
        if (left < kShortestLine) {
            // A hand-written last line without CR LF still delivers its entry, even a
            // short one; a short line that does end in CR LF (41= CR LF) is not read.
            const bool unterminated = text.substr(i).find("\r\n") == std::string_view::npos;
            if (unterminated && left >= kShortestLastLine && text[i + 2] == '=')
                table[lineValue(text[i], text[i + 1])] = std::string(text.substr(i + 3));
            return TblReadEnd::Complete;
        }
        const uint8_t value = lineValue(text[i], text[i + 1]);
        if (text[i + 2] != '=') return TblReadEnd::Stopped;
        size_t j = i + 3;
        while (j < size && !isLineEnd(text, j)) ++j;
        // j == size: the last line has no CR LF, and its entry runs to the end.
        table[value] = std::string(text.substr(i + 3, j - (i + 3)));
        if (j >= size) return TblReadEnd::Complete;
        i = j + 2;
    }
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
    result.status = readTbl(text, table) == TblReadEnd::Complete ? TblLoadStatus::Complete
                                                                  : TblLoadStatus::Stopped;
    return result;
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
    return replaceFile(path, reinterpret_cast<const uint8_t*>(text.data()), text.size(), io, error);
}

}  // namespace tarpon
