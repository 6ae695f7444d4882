#pragma once
// Character table files (.tbl): one "XX=letters" line per non-empty entry, CR LF
// after each. Reading and writing work on in-memory text, so they are testable
// without the disk; the file functions around them add the disk.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/char_table.h"
#include "core/file_io.h"

namespace tarpon {

// Table files of this many bytes or more are refused.
inline constexpr int64_t kMaxTblFileSize = 16 * 1024 * 1024;

// The letters a newline marker ("*XX") gives its entry: a line break.
inline constexpr std::string_view kNewlineMarkerLetters = "\n";

// The file's bytes: ascending byte values, two upper-case hex digits, "=", the
// letters byte for byte, CR LF. An empty table gives no bytes at all.
std::string writeTbl(const CharTable& table);

// The first entry whose letters hold CR LF (which would end its line early and so
// could not be read back), or -1 when every entry can be written.
int unwritableEntry(const CharTable& table);

// Why a line that holds data was not read.
enum class TblSkip {
    WideKey,     // a key of two bytes or more ("8140=")
    NoEquals,    // no "=" after the key
    BadKey,      // the key is not two hexadecimal digits
    MarkerText,  // letters after a newline marker ("*0A=x")
};
std::string_view skipReason(TblSkip reason);

struct TblSkippedLine {
    int line = 0;  // counted from 1
    TblSkip reason = TblSkip::BadKey;
};

// How a table file's letters are encoded.
enum class TblCoding {
    Ascii,   // no byte above 0x7F: either reading gives the same letters
    Latin1,  // one byte a letter
    Utf8,    // valid UTF-8 with a byte above 0x7F, or a UTF-8 byte-order mark
};

struct TblReadResult {
    int entries = 0;                         // byte values the text set (emptied by "41=" included)
    int skipped = 0;                         // lines holding data that were not read
    std::vector<TblSkippedLine> firstSkips;  // the first kListedSkips of them
    TblCoding coding = TblCoding::Ascii;
};
inline constexpr size_t kListedSkips = 5;

// Merges the lines of `text` into `table`; entries not mentioned keep their letters
// and the last line for a byte value wins. Text that holds CR LF anywhere has CR LF
// as its only line end (so letters may hold a lone CR or LF, as writeTbl writes
// them); other text ends a line at each LF and each CR. Blank lines and comments
// ("#", ";") are passed over; "/XX=letters" (an end token) is the entry XX, "*XX"
// (a newline marker) the entry XX with kNewlineMarkerLetters; blanks around the
// key are dropped. A leading UTF-8 byte-order mark is passed over. An entry with no
// letters empties its entry, except on the last line, where it is passed over.
// Never reads outside `text`.
TblReadResult readTbl(std::string_view text, CharTable& table);

enum class TblLoadStatus { Loaded, Failed };

struct TblLoadResult {
    TblLoadStatus status = TblLoadStatus::Failed;
    std::string error;  // why it failed, for the user
    TblReadResult read;
};

// Reads the file at `path` whole and merges it into `table`. A file that is missing,
// unreadable or too large changes nothing.
TblLoadResult loadTblFile(const std::string& path, CharTable& table);

// "Read N entries from PATH." and, when lines holding data were skipped, which.
std::string describeTblLoad(const std::string& path, const TblReadResult& read);

// Replaces the file at `path` with the table's lines; a failure leaves the old file as it was.
// True when the lines are in the file; error then says what failed afterwards, if anything.
bool saveTblFile(const std::string& path, const CharTable& table, FileIo& io, std::string* error);

}  // namespace tarpon
