#pragma once
// Character table files (.tbl): one "XX=letters" line per non-empty entry, CR LF
// after each. Reading and writing work on in-memory text, so they are testable
// without the disk; the file functions around them add the disk.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/char_table.h"
#include "core/file_io.h"

namespace tarpon {

// Table files of this many bytes or more are refused.
inline constexpr int64_t kMaxTblFileSize = 16 * 1024 * 1024;

// The file's bytes: ascending byte values, two upper-case hex digits, "=", the
// letters byte for byte, CR LF. An empty table gives no bytes at all.
std::string writeTbl(const CharTable& table);

// The first entry whose letters hold CR LF (which would end its line early and so
// could not be read back), or -1 when every entry can be written.
int unwritableEntry(const CharTable& table);

enum class TblReadEnd {
    Complete,  // reached the end of the text: the caller repaints
    Stopped,   // met a line whose third character is not "=": no repaint
};

// Merges the lines of `text` into `table`; entries not mentioned keep their letters
// and the last line for a byte value wins. Never reads outside `text`.
TblReadEnd readTbl(std::string_view text, CharTable& table);

enum class TblLoadStatus { Complete, Stopped, Failed };

struct TblLoadResult {
    TblLoadStatus status = TblLoadStatus::Failed;
    std::string error;  // why it failed, for the user
};

// Reads the file at `path` whole and merges it into `table`. A file that is missing,
// unreadable or too large changes nothing.
TblLoadResult loadTblFile(const std::string& path, CharTable& table);

// Replaces the file at `path` with the table's lines; a failure leaves the old file as it was.
bool saveTblFile(const std::string& path, const CharTable& table, FileIo& io, std::string* error);

}  // namespace tarpon
